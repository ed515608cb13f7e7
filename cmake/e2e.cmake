# End-to-end tests of the zep program itself: each tests/e2e/*.sh starts its
# own X server (Xvfb), drives the game with real key presses (xdotool) and
# checks screenshots (ImageMagick's import) with zepprobe, which draws the
# expected text, sprites and sky with the engine. Select them with
# "ctest -L e2e"; the screenshots of a run stay in build/e2e-shots. Tests that
# need the bundles skip (exit code 77) where they have not been built.
# They run in the sanitizer build too, so the real program is checked by
# ASan and UBSan while it plays; there every wait and key hold is four times
# as long (ZEP_E2E_SLOW), and leaks inside X11 and SDL are not ours.
set(ZEP_E2E_ENV "SDL_AUDIODRIVER=dummy")
set(ZEP_E2E_TIMEOUT 60)
if(ZEP_SANITIZE)
  list(APPEND ZEP_E2E_ENV ZEP_E2E_SLOW=4 LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/tests/lsan.supp)
  set(ZEP_E2E_TIMEOUT 240)
endif()
pkg_check_modules(ZEP_E2E REQUIRED IMPORTED_TARGET libpng x11)
add_executable(zepprobe tests/e2e/ZepProbe.cpp)
if(ZEP_SANITIZE)
  # The probe only reads screenshots, and under the sanitizers its sprite
  # search took seconds a screenshot: on a loaded machine the game played on
  # to its end between two looks. Its own engine copy is built without them.
  add_library(zepprobecore STATIC $<TARGET_PROPERTY:zepcore,SOURCES>)
  target_include_directories(zepprobecore PUBLIC ${CMAKE_SOURCE_DIR})
  target_link_libraries(zepprobecore PUBLIC PkgConfig::SDL m)
  foreach(target zepprobecore zepprobe)
    target_compile_options(${target} PRIVATE -fno-sanitize=all -O2)
    target_link_options(${target} PRIVATE -fno-sanitize=all)
  endforeach()
  target_link_libraries(zepprobe PRIVATE zepprobecore PkgConfig::ZEP_E2E)
else()
  target_link_libraries(zepprobe PRIVATE zepcore PkgConfig::ZEP_E2E)
endif()

set(ZEP_SHOTS_DIR ${CMAKE_BINARY_DIR}/e2e-shots)
file(GLOB ZEP_E2E_SCRIPTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/e2e/*.sh)
foreach(script ${ZEP_E2E_SCRIPTS})
  get_filename_component(name ${script} NAME_WE)
  add_test(NAME e2e.${name}
    COMMAND bash ${script} ${ZEP_RUN_DIR} $<TARGET_FILE:zepprobe> ${ZEP_SHOTS_DIR})
  set_tests_properties(e2e.${name} PROPERTIES
    LABELS e2e SKIP_RETURN_CODE 77 TIMEOUT ${ZEP_E2E_TIMEOUT}
    # one X server at a time: parallel runs raced for display numbers
    RESOURCE_LOCK xserver
    # no sound device is needed to play; the dummy driver still mixes
    ENVIRONMENT "${ZEP_E2E_ENV}")
endforeach()
