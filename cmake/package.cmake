# The .deb, made by CPack from this build's install rules ("cpack" in the
# build folder): zep_<version>_amd64.deb, its version from project(), its
# dependencies computed by dpkg-shlibdeps from the binary, the binary
# stripped. Laid out by install.cmake under /usr.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zep)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_PACKAGE_CONTACT "zEP maintainers <maintainers@users.noreply.c-seed-44355440.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "small shoot-'em-up through a haunted night")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "A two-dimensional shoot-'em-up for one player: fly over a night world
that wraps around, facing left or right and firing, while ectoplasms,
orbs and flames come at you in waves. Every 500 points gives an extra
life. Drawn in software at 320x240 and shown doubled in an SDL window.")
# Directories 0755 in the package, whatever this machine's umask.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR})
set(CPACK_OUTPUT_CONFIG_FILE ${CMAKE_BINARY_DIR}/CPackConfig.cmake)
include(CPack)

# The README's package command as a test, then the package installed,
# played from another folder in a real X server and removed again.
if(ZEP_SANITIZE)
  return()
endif()
execute_process(COMMAND dpkg --print-architecture OUTPUT_VARIABLE ZEP_DEB_ARCH OUTPUT_STRIP_TRAILING_WHITESPACE)
set(ZEP_DEB ${CMAKE_BINARY_DIR}/zep_${PROJECT_VERSION}_${ZEP_DEB_ARCH}.deb)
set(ZEP_DEB_ROOT ${CMAKE_BINARY_DIR}/package-check)
add_test(NAME package.Build COMMAND ${CMAKE_CPACK_COMMAND} --config ${CMAKE_BINARY_DIR}/CPackConfig.cmake
  WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
set_tests_properties(package.Build PROPERTIES FIXTURES_SETUP deb TIMEOUT 300)
add_test(NAME package.InstallPlayRemove
  COMMAND bash ${CMAKE_SOURCE_DIR}/tests/package/install.sh ${ZEP_DEB_ROOT}/usr/share/games/zep
    $<TARGET_FILE:zepprobe> ${CMAKE_BINARY_DIR}/e2e-shots ${ZEP_DEB} ${ZEP_DEB_ROOT})
set_tests_properties(package.InstallPlayRemove PROPERTIES FIXTURES_REQUIRED deb TIMEOUT 120
  LABELS e2e RESOURCE_LOCK xserver ENVIRONMENT "SDL_AUDIODRIVER=dummy")
