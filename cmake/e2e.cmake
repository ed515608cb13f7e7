# End-to-end tests of the zep program itself: each tests/e2e/*.sh starts its
# own X server (Xvfb), drives the game with real key presses (xdotool) and
# checks screenshots (ImageMagick's import) with zepprobe, which draws the
# expected text, sprites and sky with the engine. Select them with
# "ctest -L e2e"; the screenshots of a run stay in build/e2e-shots. Tests that
# need the bundles skip (exit code 77) where they have not been built.
# They play against the clock of a real window, which a sanitized build is
# too slow to keep up with on a loaded machine: they run in the plain build.
if(ZEP_SANITIZE)
  return()
endif()
pkg_check_modules(ZEP_E2E REQUIRED IMPORTED_TARGET libpng x11)
add_executable(zepprobe tests/e2e/ZepProbe.cpp tests/e2e/ProbeWindow.cpp)
target_link_libraries(zepprobe PRIVATE zepcore PkgConfig::ZEP_E2E)

set(ZEP_SHOTS_DIR ${CMAKE_BINARY_DIR}/e2e-shots)
file(GLOB ZEP_E2E_SCRIPTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/e2e/*.sh)
foreach(script ${ZEP_E2E_SCRIPTS})
  get_filename_component(name ${script} NAME_WE)
  add_test(NAME e2e.${name}
    COMMAND bash ${script} ${ZEP_RUN_DIR} $<TARGET_FILE:zepprobe> ${ZEP_SHOTS_DIR})
  set_tests_properties(e2e.${name} PROPERTIES
    LABELS e2e SKIP_RETURN_CODE 77 TIMEOUT 60
    # one X server at a time: parallel runs raced for display numbers
    RESOURCE_LOCK xserver
    # no sound device is needed to play; the dummy driver still mixes
    ENVIRONMENT "SDL_AUDIODRIVER=dummy")
endforeach()
