# The three compiled-in fonts: fontgen turns each grid file of assets/fonts/
# into Game/OL<size>Font.cpp in the build folder, part of zepcore.
set(ZEP_FONT_SOURCES ${CMAKE_BINARY_DIR}/generated/Game)
file(MAKE_DIRECTORY ${ZEP_FONT_SOURCES})
foreach(size 8 12 16)
  set(grids ${CMAKE_SOURCE_DIR}/assets/fonts/OL${size}.txt)
  set(source ${ZEP_FONT_SOURCES}/OL${size}Font.cpp)
  add_custom_command(OUTPUT ${source}
    COMMAND fontgen ${grids} ${source} OL${size}Font
    DEPENDS fontgen ${grids}
    COMMENT "Generating OL${size}Font from its glyph grids"
    VERBATIM)
  target_sources(zepcore PRIVATE ${source})
  list(APPEND ZEP_FONT_FILES ${source})
endforeach()
# the browser build (web.sh) takes the generated fonts from here
add_custom_target(zep-fonts DEPENDS ${ZEP_FONT_FILES})
