# Resource tests that need more than zepcore: the bundle tests use the bundle
# writer of tools/laserpack, and the PNG and inflate tests compare the engine
# with libpng and zlib.
find_package(PNG REQUIRED)
find_package(ZLIB REQUIRED)

function(zep_resource_test name source)
  add_executable(${name} ${source})
  target_link_libraries(${name} PRIVATE ${ARGN} zeptestmain)
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  gtest_discover_tests(${name} WORKING_DIRECTORY ${CMAKE_BINARY_DIR} DISCOVERY_TIMEOUT 60
    PROPERTIES TIMEOUT 300)
endfunction()

zep_resource_test(bundle_test tests/bundle/bundle_test.cpp laserio ZLIB::ZLIB)
zep_resource_test(inflate_test tests/png/inflate_test.cpp zepcore ZLIB::ZLIB)
zep_resource_test(png_test tests/png/png_test.cpp zepcore PNG::PNG ZLIB::ZLIB)
# the loaders' allocations are made to fail on request
target_link_options(png_test PRIVATE -Wl,--wrap=malloc)
target_link_options(bundle_test PRIVATE -Wl,--wrap=realloc,--wrap=free)
# they read the game's pictures and bundles that the build makes
add_dependencies(inflate_test zep-pictures)
add_dependencies(png_test zep-pictures)

# The packer and the inspector run as commands, as artists run them.
zep_resource_test(laserpack_test tests/bundle/laserpack_test.cpp laserio ZLIB::ZLIB)
add_dependencies(laserpack_test laserpack laserinspect)
target_compile_definitions(laserpack_test PRIVATE
  LASERPACK="$<TARGET_FILE:laserpack>" LASERINSPECT="$<TARGET_FILE:laserinspect>")

# The mixer runs as one process, as the game does: SDL_mixer opened, closed
# and failed again in turn, so a crash left between two tests shows.
add_executable(audio_test tests/audio/audio_test.cpp)
target_link_libraries(audio_test PRIVATE zepcore laserio zeptestmain ${CMAKE_DL_LIBS})
target_include_directories(audio_test PRIVATE ${CMAKE_SOURCE_DIR}/tests)
add_test(NAME audio_test COMMAND audio_test WORKING_DIRECTORY ${ZEP_RUN_DIR})
set_tests_properties(audio_test PROPERTIES TIMEOUT 60 ENVIRONMENT "SDL_AUDIODRIVER=dummy")
