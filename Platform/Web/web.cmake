# The browser build (emcmake cmake, as web.sh runs it): the same engine and
# game sources, with Platform/Web in place of the SDL window, keys and clock,
# into zep.js and zep.wasm. The fonts come from the native build's fontgen
# (ZEP_HOST_BUILD), as the bundles do.
set(ZEP_HOST_BUILD "${CMAKE_SOURCE_DIR}/build" CACHE PATH "the native build that made the fonts")
set(ZEP_SITE_DIR "${CMAKE_BINARY_DIR}/site" CACHE PATH "where zep.js and zep.wasm go")
include(${CMAKE_SOURCE_DIR}/cmake/bundlenames.cmake)
file(GLOB ZEP_WEB_SOURCES CONFIGURE_DEPENDS
  Graphics/*.cpp Game/*.cpp Platform/*.cpp Platform/Windows/*.cpp Platform/Web/*.cpp)
foreach(size 8 12 16)
  list(APPEND ZEP_WEB_SOURCES ${ZEP_HOST_BUILD}/generated/Game/OL${size}Font.cpp)
endforeach()

list(REMOVE_ITEM ZEP_WEB_SOURCES ${CMAKE_SOURCE_DIR}/Platform/Web/Start.cpp)
add_library(zepweb STATIC ${ZEP_WEB_SOURCES})
target_include_directories(zepweb PUBLIC ${CMAKE_SOURCE_DIR})
# SIMD for the vector paths beside the scalar loops, bulk memory so that a
# long memcpy is one instruction instead of a call out to JavaScript
target_compile_options(zepweb PUBLIC -O2 -msimd128 -mbulk-memory "-fmacro-prefix-map=${CMAKE_SOURCE_DIR}/=")
set(ZEP_WEB_LIBRARY ${CMAKE_SOURCE_DIR}/Platform/Web/zep.js)
# fixed memory, enough for the bundles with room to spare
target_link_options(zepweb INTERFACE -O2 -msimd128 -mbulk-memory -sENVIRONMENT=web -sINITIAL_MEMORY=33554432 --js-library ${ZEP_WEB_LIBRARY})

add_executable(zep Platform/Web/Start.cpp)
target_link_libraries(zep PRIVATE zepweb)
# ASYNCIFY lets the game's own loops sleep and hand the main thread to the
# browser; the page writes the bundles into the file system, and the runtime
# ends when main returns (EXIT_RUNTIME).
target_link_options(zep PRIVATE -sASYNCIFY -sEXIT_RUNTIME=1 -sFORCE_FILESYSTEM=1
  "-sEXPORTED_RUNTIME_METHODS=FS,addRunDependency,removeRunDependency")
set_target_properties(zep PROPERTIES SUFFIX .js RUNTIME_OUTPUT_DIRECTORY ${ZEP_SITE_DIR}
  LINK_DEPENDS ${ZEP_WEB_LIBRARY})

# bench/web/run.sh: the engine benchmark's crowded frame, with the picture
# bundles packed in.
add_executable(crowded_frame EXCLUDE_FROM_ALL bench/web/crowded_frame.cpp)
target_link_libraries(crowded_frame PRIVATE zepweb)
target_link_options(crowded_frame PRIVATE --preload-file ${ZEP_HOST_BUILD}/run/Graphics@/Graphics)
set_target_properties(crowded_frame PROPERTIES SUFFIX .js RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench
  LINK_DEPENDS ${ZEP_WEB_LIBRARY})
add_custom_command(TARGET crowded_frame POST_BUILD
  COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/bench/web/crowded_frame.html ${CMAKE_BINARY_DIR}/bench/)

# The rest of the site beside them, and the whole of it as the zip for a
# game portal: build-web/zep-web-<version>.zip. The page names the bundles
# it fetches and preloads from the build's list.
set(ZEP_SITE_FILES)
set(ZEP_SITE_BUNDLES)
set(ZEP_SITE_FILES_FROM)
set(ZEP_PAGE_PRELOADS)
set(ZEP_PAGE_PICTURES)
foreach(bundle ${ZEP_GAME_BUNDLES})
  list(APPEND ZEP_SITE_FILES_FROM "run/${bundle}.laser|${bundle}.laser")
  list(APPEND ZEP_SITE_BUNDLES ${bundle}.laser)
endforeach()
foreach(bundle ${ZEP_PICTURE_BUNDLES})
  string(APPEND ZEP_PAGE_PRELOADS "<link rel=\"preload\" href=\"${bundle}.laser\" as=\"fetch\" crossorigin>\n")
  list(APPEND ZEP_PAGE_PICTURES "'${bundle}.laser'")
endforeach()
string(STRIP "${ZEP_PAGE_PRELOADS}" ZEP_PAGE_PRELOADS)
list(JOIN ZEP_PAGE_PICTURES ", " ZEP_PAGE_PICTURES)
set(ZEP_PAGE_SOUNDS "${ZEP_SOUND_BUNDLE}.laser")
configure_file(${CMAKE_SOURCE_DIR}/Platform/Web/index.html ${CMAKE_BINARY_DIR}/index.html @ONLY)
foreach(pair ${ZEP_SITE_FILES_FROM} "art/Icon32.png|icon.png" "${CMAKE_BINARY_DIR}/index.html|index.html")
  string(REPLACE "|" ";" parts ${pair})
  list(GET parts 0 from)
  list(GET parts 1 to)
  if(NOT IS_ABSOLUTE ${from})
    set(from ${ZEP_HOST_BUILD}/${from})
  endif()
  add_custom_command(OUTPUT ${ZEP_SITE_DIR}/${to}
    COMMAND ${CMAKE_COMMAND} -E copy ${from} ${ZEP_SITE_DIR}/${to}
    DEPENDS ${from})
  list(APPEND ZEP_SITE_FILES ${ZEP_SITE_DIR}/${to})
endforeach()
get_filename_component(ZEP_WEB_ZIP ${ZEP_SITE_DIR}/../zep-web-${PROJECT_VERSION}.zip ABSOLUTE)
add_custom_command(OUTPUT ${ZEP_WEB_ZIP}
  COMMAND ${CMAKE_COMMAND} -E rm -f ${ZEP_WEB_ZIP}
  COMMAND ${CMAKE_COMMAND} -E tar cf ${ZEP_WEB_ZIP} --format=zip
    index.html icon.png zep.js zep.wasm ${ZEP_SITE_BUNDLES}
  WORKING_DIRECTORY ${ZEP_SITE_DIR}
  DEPENDS zep ${ZEP_SITE_FILES}
  COMMENT "Packing zep-web-${PROJECT_VERSION}.zip")
add_custom_target(zep-site ALL DEPENDS ${ZEP_WEB_ZIP})

# the golden runs from this build, under node
include(tools/simulate/node.cmake)
