# Installation as Debian's games policy lays a game out, under any prefix:
# the launcher in games/, the binary in lib/games/zep, its four bundles in
# share/games/zep (it reads them from the folder it runs in; the launcher
# starts it there), icons, a menu entry, AppStream metadata and a man page.
#   cmake --install build --prefix ~/.local      (or the .deb of package.cmake)
set(ZEP_GAME_DATA share/games/zep)
install(TARGETS zep RUNTIME DESTINATION lib/games/zep)
foreach(bundle ${ZEP_GAME_BUNDLES})
  get_filename_component(folder ${bundle} DIRECTORY)
  install(FILES ${ZEP_RUN_DIR}/${bundle}.laser DESTINATION ${ZEP_GAME_DATA}/${folder})
endforeach()
install(PROGRAMS ${CMAKE_SOURCE_DIR}/assets/icon/zep DESTINATION games)
install(FILES ${CMAKE_SOURCE_DIR}/assets/icon/zep.desktop DESTINATION share/applications)
foreach(size 16 32 48 64 128 256)
  install(FILES ${CMAKE_BINARY_DIR}/art/Icon${size}.png
    DESTINATION share/icons/hicolor/${size}x${size}/apps RENAME zep.png)
endforeach()

# The version and the release date come from CMakeLists.txt: the metadata,
# the changelog and the man page take them here, each date in its own form.
# Man pages and changelogs are installed compressed, without a time stamp
# in the header so that every build gives the same bytes.
foreach(form "CHANGELOG_DATE|-R" "MONTH|+%B %Y")
  string(REPLACE "|" ";" parts "${form}")
  list(GET parts 0 name)
  list(GET parts 1 format)
  execute_process(COMMAND ${CMAKE_COMMAND} -E env LC_ALL=C date -u -d ${ZEP_RELEASE_DATE} ${format}
    OUTPUT_VARIABLE ZEP_RELEASE_${name} OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
endforeach()
set(ZEP_DOC_OUT ${CMAKE_BINARY_DIR}/doc)
configure_file(${CMAKE_SOURCE_DIR}/assets/icon/io.github.zep.metainfo.xml.in ${ZEP_DOC_OUT}/io.github.zep.metainfo.xml @ONLY)
configure_file(${CMAKE_SOURCE_DIR}/assets/icon/changelog.in ${ZEP_DOC_OUT}/changelog @ONLY)
configure_file(${CMAKE_SOURCE_DIR}/assets/icon/zep.6 ${ZEP_DOC_OUT}/zep.6 @ONLY)
install(FILES ${ZEP_DOC_OUT}/io.github.zep.metainfo.xml DESTINATION share/metainfo)
find_program(GZIP gzip REQUIRED)
foreach(name zep.6 changelog)
  add_custom_command(OUTPUT ${ZEP_DOC_OUT}/${name}.gz
    COMMAND ${GZIP} -9nkf ${ZEP_DOC_OUT}/${name}
    DEPENDS ${ZEP_DOC_OUT}/${name})
  list(APPEND ZEP_DOCS ${ZEP_DOC_OUT}/${name}.gz)
endforeach()
add_custom_target(zepdocs ALL DEPENDS ${ZEP_DOCS})
install(FILES ${ZEP_DOC_OUT}/zep.6.gz DESTINATION share/man/man6)
install(FILES ${ZEP_DOC_OUT}/changelog.gz ${CMAKE_SOURCE_DIR}/assets/icon/copyright DESTINATION share/doc/zep)

# An installed copy started through its launcher from another folder shows
# the menu in a real X server and leaves it with Escape (e2e.cmake's machinery).
set(ZEP_INSTALL_CHECK ${CMAKE_BINARY_DIR}/install-check)
add_test(NAME install.LauncherStartsFromAnyFolder
  COMMAND bash ${CMAKE_SOURCE_DIR}/tests/package/launcher.sh ${ZEP_INSTALL_CHECK}/share/games/zep
    $<TARGET_FILE:zepprobe> ${ZEP_SHOTS_DIR} ${CMAKE_COMMAND} ${CMAKE_BINARY_DIR} ${ZEP_INSTALL_CHECK})
set_tests_properties(install.LauncherStartsFromAnyFolder PROPERTIES
  LABELS e2e RESOURCE_LOCK xserver TIMEOUT ${ZEP_E2E_TIMEOUT} ENVIRONMENT "${ZEP_E2E_ENV}")
