# The simulator from the browser's build, run under node (included at the end
# of Platform/Web/web.cmake): the game's own wasm objects from zepweb, with
# NodePlatform.cpp in place of the page, reading the bundles from the folder
# it is started in. tools/simulate/golden.sh checks its figures.
# The voices are the desktop's, over SDL_mixer, whose calls NodePlatform.cpp
# answers; the page's (Platform/Web/Audio.cpp) is then never linked. Its
# bundles are all in the folder from the start, as the desktop's are.
add_executable(simulate-node ${CMAKE_CURRENT_LIST_DIR}/simulate.cpp ${CMAKE_CURRENT_LIST_DIR}/Simulation.cpp
  ${CMAKE_CURRENT_LIST_DIR}/NodePlatform.cpp ${CMAKE_SOURCE_DIR}/Platform/SDL/Audio.cpp
  ${CMAKE_SOURCE_DIR}/Platform/SDL/LateBundles.cpp)
target_include_directories(simulate-node PRIVATE ${CMAKE_SOURCE_DIR})
target_compile_options(simulate-node PRIVATE -O2)
# the archive alone, without the page's link options (zep.js, the web environment)
add_dependencies(simulate-node zepweb)
target_link_libraries(simulate-node PRIVATE $<TARGET_FILE:zepweb>)
# compiled at once: the runtime would fetch() the .wasm on a node that has fetch
target_link_options(simulate-node PRIVATE -O2 -sENVIRONMENT=node -sNODERAWFS=1 -sALLOW_MEMORY_GROWTH=1
  -sEXIT_RUNTIME=1 -sWASM_ASYNC_COMPILATION=0)
set_target_properties(simulate-node PROPERTIES OUTPUT_NAME simulate SUFFIX .js
  RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/simulate)
