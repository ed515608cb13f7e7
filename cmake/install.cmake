# Installation like a desktop game: the binary in lib/zep, its bundles in
# share/zep (it reads them from the folder it runs in), a launcher bin/zep that
# starts it there from anywhere, an icon and a menu entry.
#   cmake --install build --prefix ~/.local
include(GNUInstallDirs)
install(TARGETS zep RUNTIME DESTINATION ${CMAKE_INSTALL_LIBDIR}/zep)
install(FILES ${ZEP_RUN_DIR}/Sounds.laser DESTINATION ${CMAKE_INSTALL_DATADIR}/zep)
install(FILES ${ZEP_RUN_DIR}/Graphics/Sprites.laser ${ZEP_RUN_DIR}/Graphics/Title.laser
  DESTINATION ${CMAKE_INSTALL_DATADIR}/zep/Graphics)
install(FILES ${ZEP_RUN_DIR}/Graphics/Backgrounds/NightSky.laser DESTINATION ${CMAKE_INSTALL_DATADIR}/zep/Graphics/Backgrounds)
configure_file(${CMAKE_SOURCE_DIR}/assets/icon/zep.in ${CMAKE_BINARY_DIR}/launcher/zep @ONLY)
install(PROGRAMS ${CMAKE_BINARY_DIR}/launcher/zep DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_SOURCE_DIR}/assets/icon/zep.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_BINARY_DIR}/art/Icon.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/32x32/apps RENAME zep.png)

# An installed copy started through its launcher from another folder finds
# its bundles: it is still showing the menu two seconds later.
add_test(NAME install.LauncherStartsFromAnyFolder
  COMMAND sh -c "${CMAKE_COMMAND} --install ${CMAKE_BINARY_DIR} --prefix ${CMAKE_BINARY_DIR}/install-check >/dev/null && cd / && timeout 2 ${CMAKE_BINARY_DIR}/install-check/bin/zep; test $? -eq 124")
set_tests_properties(install.LauncherStartsFromAnyFolder PROPERTIES
  ENVIRONMENT "SDL_VIDEODRIVER=dummy;SDL_AUDIODRIVER=dummy" TIMEOUT 60)
