# Tests of bundles that need the bundle writer of tools/laserpack.
add_executable(bundle_test tests/bundle/bundle_test.cpp)
target_link_libraries(bundle_test PRIVATE laserio GTest::gtest GTest::gtest_main)
gtest_discover_tests(bundle_test WORKING_DIRECTORY ${CMAKE_BINARY_DIR} DISCOVERY_TIMEOUT 60)
