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

# The game's link, made small because a page fetches it before the first
# frame: size-optimised, with none of Emscripten's own JavaScript libraries
# (SDL, OpenAL, GL...) and no file system (the page hands the bundles over,
# Platform/Web/bundles.js), and Asyncify only where the game's loops sleep.
# ASYNCIFY lets those loops sleep and hand the main thread to the browser;
# no sleep is reached through a function pointer but from the title screens'
# loop, which calls the menu's reaction that may run the credits: those two
# are named, and every other indirect call is left alone (a fifth less
# wasm). The page hears of an exit() (EXIT_RUNTIME).
function(zep_web_link_options target)
  target_link_options(${target} PRIVATE -Oz -sAUTO_JS_LIBRARIES=0 -sFILESYSTEM=0 -sMALLOC=emmalloc
    -sASYNCIFY -sASYNCIFY_IGNORE_INDIRECT "-sASYNCIFY_ADD=[\"RunTitleScreen*\",\"ReactInMenu*\"]"
    -sEXIT_RUNTIME=1 "-sEXPORTED_RUNTIME_METHODS=addRunDependency,removeRunDependency"
    "SHELL:--js-library ${CMAKE_SOURCE_DIR}/Platform/Web/bundles.js")
endfunction()

# The site beside zep.js, and the whole of it as the zip for a game portal:
# build-web/zep-web-<version>.zip, its bundles from the build's list. The
# picture bundles, which the first frame
# needs, go gzip-compressed (1.18 MB become 42 KB) for the engine's loader to
# inflate; so does zep.wasm, which the page inflates where the browser has
# DecompressionStream, zep.wasm beside it for those without. The sound bundle
# (Ogg Vorbis, which does not compress) and the icon go as they are. The
# page is given the size of every file it fetches (Platform/Web/page.cmake),
# so that its progress bar moves whether or not a server says how long a
# file is.
function(zep_web_site)
  set(files)
  set(names)
  set(groups)
  set(preloads)
  set(entries "|art/Icon32.png|icon.png")
  foreach(bundle ${ZEP_PICTURE_BUNDLES})
    list(APPEND entries "pictures|run/${bundle}.laser|${bundle}.laser.gz")
    string(APPEND preloads "<link rel=\"preload\" href=\"${bundle}.laser.gz\" as=\"fetch\" crossorigin>\n")
  endforeach()
  list(APPEND entries "sounds|run/${ZEP_SOUND_BUNDLE}.laser|${ZEP_SOUND_BUNDLE}.laser")
  foreach(entry ${entries})
    string(REPLACE "|" ";" parts "${entry}")
    list(GET parts 0 group)
    list(GET parts 1 from)
    list(GET parts 2 to)
    zep_web_site_file(${ZEP_HOST_BUILD}/${from} ${to})
    list(APPEND files ${ZEP_SITE_DIR}/${to})
    list(APPEND names ${to})
    if(group)
      list(APPEND groups "${group}:${to}")
    endif()
  endforeach()
  # the touch controls, a script of the page's own
  zep_web_site_file(${CMAKE_SOURCE_DIR}/Platform/Web/touch.js touch.js)
  list(APPEND files ${ZEP_SITE_DIR}/touch.js)
  list(APPEND names touch.js)
  zep_web_site_file(${ZEP_SITE_DIR}/zep.wasm zep.wasm.gz zep)
  list(APPEND groups code:zep.js code:zep.wasm code:zep.wasm.gz)
  list(JOIN groups "|" groups)
  # the preloads from the build's list of bundles (cmake/bundlenames.cmake)
  string(STRIP "${preloads}" ZEP_PAGE_PRELOADS)
  set(page ${CMAKE_BINARY_DIR}/index.html)
  configure_file(${CMAKE_SOURCE_DIR}/Platform/Web/index.html ${page} @ONLY)
  add_custom_command(OUTPUT ${ZEP_SITE_DIR}/index.html
    COMMAND ${CMAKE_COMMAND} -DIN=${page} -DOUT=${ZEP_SITE_DIR}/index.html -DSITE=${ZEP_SITE_DIR} "-DFILES=${groups}"
      -P ${CMAKE_SOURCE_DIR}/Platform/Web/page.cmake
    DEPENDS ${page} ${CMAKE_SOURCE_DIR}/Platform/Web/page.cmake ${CMAKE_SOURCE_DIR}/Game/Layout.h zep ${files} ${ZEP_SITE_DIR}/zep.wasm.gz
    VERBATIM)
  get_filename_component(zip ${ZEP_SITE_DIR}/../zep-web-${PROJECT_VERSION}.zip ABSOLUTE)
  add_custom_command(OUTPUT ${zip}
    COMMAND ${CMAKE_COMMAND} -E rm -f ${zip}
    COMMAND ${CMAKE_COMMAND} -E tar cf ${zip} --format=zip index.html zep.js zep.wasm zep.wasm.gz ${names}
    WORKING_DIRECTORY ${ZEP_SITE_DIR}
    DEPENDS zep ${files} ${ZEP_SITE_DIR}/zep.wasm.gz ${ZEP_SITE_DIR}/index.html
    COMMENT "Packing zep-web-${PROJECT_VERSION}.zip")
  add_custom_target(zep-site ALL DEPENDS ${zip})
endfunction()

# Puts a file into the site as to, gzip-compressed (gzip -9n, without a name
# or time, so that a build repeats) when to ends in .gz; what else it waits
# for may follow.
function(zep_web_site_file from to)
  get_filename_component(folder ${ZEP_SITE_DIR}/${to} DIRECTORY)
  if(to MATCHES "\\.gz$")
    add_custom_command(OUTPUT ${ZEP_SITE_DIR}/${to}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${folder}
      COMMAND sh -c "gzip -9nc \"$0\" > \"$1\"" ${from} ${ZEP_SITE_DIR}/${to}
      DEPENDS ${from} ${ARGN} VERBATIM)
  else()
    add_custom_command(OUTPUT ${ZEP_SITE_DIR}/${to}
      COMMAND ${CMAKE_COMMAND} -E copy ${from} ${ZEP_SITE_DIR}/${to}
      DEPENDS ${from})
  endif()
endfunction()

# Where bundle files come from is each program's own: the page's fetches for
# the game (Platform/Web/BundleFile.cpp, linked before the archive, whose
# ResourceLoaderSTDIO is then never taken), a file system for the benchmark
# and the simulator.
list(REMOVE_ITEM ZEP_WEB_SOURCES ${CMAKE_SOURCE_DIR}/Platform/Web/Start.cpp
  ${CMAKE_SOURCE_DIR}/Platform/Web/BundleFile.cpp)
add_library(zepweb STATIC ${ZEP_WEB_SOURCES})
target_include_directories(zepweb PUBLIC ${CMAKE_SOURCE_DIR})
# SIMD for the vector paths beside the scalar loops, bulk memory so that a
# long memcpy is one instruction instead of a call out to JavaScript
target_compile_options(zepweb PUBLIC -O2 -msimd128 -mbulk-memory "-fmacro-prefix-map=${CMAKE_SOURCE_DIR}/=")
set(ZEP_WEB_LIBRARY ${CMAKE_SOURCE_DIR}/Platform/Web/zep.js)
# fixed memory, enough for the bundles with room to spare
target_link_options(zepweb INTERFACE -msimd128 -mbulk-memory -sENVIRONMENT=web -sINITIAL_MEMORY=33554432
  "SHELL:--js-library ${ZEP_WEB_LIBRARY}")

add_executable(zep Platform/Web/Start.cpp Platform/Web/BundleFile.cpp)
target_link_libraries(zep PRIVATE zepweb)
zep_web_link_options(zep)
set_target_properties(zep PROPERTIES SUFFIX .js RUNTIME_OUTPUT_DIRECTORY ${ZEP_SITE_DIR}
  LINK_DEPENDS "${ZEP_WEB_LIBRARY};${CMAKE_SOURCE_DIR}/Platform/Web/bundles.js")

# bench/web/run.sh: the engine benchmark's crowded frame, with the picture
# bundles packed in.
add_executable(crowded_frame EXCLUDE_FROM_ALL bench/web/crowded_frame.cpp)
target_link_libraries(crowded_frame PRIVATE zepweb)
target_link_options(crowded_frame PRIVATE -O2 --preload-file ${ZEP_HOST_BUILD}/run/Graphics@/Graphics)
set_target_properties(crowded_frame PROPERTIES SUFFIX .js RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench
  LINK_DEPENDS ${ZEP_WEB_LIBRARY})
add_custom_command(TARGET crowded_frame POST_BUILD
  COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/bench/web/crowded_frame.html ${CMAKE_BINARY_DIR}/bench/)

zep_web_site()

# the golden runs from this build, under node
include(tools/simulate/node.cmake)
