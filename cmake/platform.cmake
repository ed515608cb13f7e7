# Platform layer: checks of the zep program itself, which the unit tests
# cannot reach because its entry point is not in zepcore.
enable_testing()
add_test(NAME zep.ExitsWithOneWhenSDLCannotStart
  COMMAND sh -c "./zep; test $? -eq 1"
  WORKING_DIRECTORY ${ZEP_RUN_DIR})
set_tests_properties(zep.ExitsWithOneWhenSDLCannotStart PROPERTIES
  ENVIRONMENT "SDL_VIDEODRIVER=nosuchdriver;SDL_AUDIODRIVER=dummy" TIMEOUT 30)
