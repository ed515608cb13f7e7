# The browser build's test: ./web.sh builds the site into build-web/site
# (test.sh does so before the tests), and tests/web drives it in Debian's
# chromium next to the desktop game in Xvfb. Once, in the plain build only.
if(ZEP_SANITIZE)
  return()
endif()
add_test(NAME web.Browser
  COMMAND bash ${CMAKE_SOURCE_DIR}/tests/web/browser.sh ${ZEP_RUN_DIR} $<TARGET_FILE:zepprobe> ${ZEP_SHOTS_DIR}
    ${CMAKE_SOURCE_DIR}/build-web/site)
set_tests_properties(web.Browser PROPERTIES LABELS "e2e;web" SKIP_RETURN_CODE 77 TIMEOUT 180
  RESOURCE_LOCK xserver ENVIRONMENT "SDL_AUDIODRIVER=dummy")

# The page in a portal's frame (another origin) and in windows of several
# sizes, headless: no Xvfb.
add_test(NAME web.Frame
  COMMAND node ${CMAKE_SOURCE_DIR}/tests/web/frame_test.mjs ${CMAKE_SOURCE_DIR}/build-web/site ${ZEP_RUN_DIR}
    $<TARGET_FILE:zepprobe> ${ZEP_SHOTS_DIR})
set_tests_properties(web.Frame PROPERTIES LABELS "web" SKIP_RETURN_CODE 77 TIMEOUT 180)

# A page hidden through its window minimized, headless: no Xvfb.
add_test(NAME web.Hidden
  COMMAND node ${CMAKE_SOURCE_DIR}/tests/web/hidden_test.mjs ${CMAKE_SOURCE_DIR}/build-web/site ${ZEP_SHOTS_DIR})
set_tests_properties(web.Hidden PROPERTIES LABELS "web" SKIP_RETURN_CODE 77 TIMEOUT 120)
# The site over an emulated slow link from a plain server: the loading
# screen, its bar without Content-Length, the line while the sounds load.
add_test(NAME web.Loading COMMAND node ${CMAKE_SOURCE_DIR}/tests/web/loading_test.mjs ${CMAKE_SOURCE_DIR}/build-web/site)
set_tests_properties(web.Loading PROPERTIES LABELS web SKIP_RETURN_CODE 77 TIMEOUT 180)

# The same site on an emulated phone: touch controls, layout, sound from a tap.
add_test(NAME web.Phone
  COMMAND node ${CMAKE_SOURCE_DIR}/tests/web/phone_test.mjs ${CMAKE_SOURCE_DIR}/build-web/site ${ZEP_RUN_DIR}
    $<TARGET_FILE:zepprobe> ${ZEP_SHOTS_DIR})
set_tests_properties(web.Phone PROPERTIES LABELS "web" SKIP_RETURN_CODE 77 TIMEOUT 120)
