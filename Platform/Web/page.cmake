# Writes the site's index.html (cmake -P, from web.cmake): the page with the
# size of every file it fetches put in place of ZEP_SITE_FILES, by group, as
# {"pictures": {"Graphics/Sprites.laser.gz": 20113, ...}, "code": {...}},
# and the title screens' text colour of Game/Layout.h in place of
# ZEP_TEXT_COLOUR, so that the page's words are in the game's.
#   cmake -DIN=<page> -DOUT=<index.html> -DSITE=<site folder> -DFILES=<group>:<file>|... -P page.cmake
string(REPLACE "|" ";" FILES "${FILES}")
set(json "{}")
foreach(entry ${FILES})
  string(REGEX MATCH "^([^:]+):(.+)$" whole "${entry}")
  set(group ${CMAKE_MATCH_1})
  set(name ${CMAKE_MATCH_2})
  file(SIZE "${SITE}/${name}" size)
  string(JSON have ERROR_VARIABLE missing GET "${json}" ${group})
  if(missing)
    string(JSON json SET "${json}" ${group} "{}")
  endif()
  string(JSON json SET "${json}" ${group} ${name} ${size})
endforeach()
string(REGEX REPLACE "[\n ]+" " " json "${json}")
file(READ "${IN}" page)
string(FIND "${page}" "ZEP_SITE_FILES" at)
if(at LESS 0)
  message(FATAL_ERROR "${IN} has no ZEP_SITE_FILES to replace")
endif()
string(REPLACE "ZEP_SITE_FILES" "${json}" page "${page}")
file(READ "${CMAKE_CURRENT_LIST_DIR}/../../Game/Layout.h" layout)
if(NOT layout MATCHES "TitleTextColour\\(\\) { return RGB\\(([0-9]+), ([0-9]+), ([0-9]+)\\)")
  message(FATAL_ERROR "Game/Layout.h has no TitleTextColour to give the page")
endif()
string(REPLACE "ZEP_TEXT_COLOUR" "rgb(${CMAKE_MATCH_1}, ${CMAKE_MATCH_2}, ${CMAKE_MATCH_3})" page "${page}")
file(WRITE "${OUT}" "${page}")
