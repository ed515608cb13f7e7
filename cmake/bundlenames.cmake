# The game's bundles, the pictures in the order the game requests them and
# the sound bundle last: the one list that the game (Platform/GameResources,
# through the header made here), the picture packing, the install, the site
# and its page take. Both builds read it.
set(ZEP_PICTURE_BUNDLES Graphics/Sprites Graphics/Title Graphics/Backgrounds/NightSky)
set(ZEP_SOUND_BUNDLE Sounds)
set(ZEP_GAME_BUNDLES ${ZEP_PICTURE_BUNDLES} ${ZEP_SOUND_BUNDLE})
list(JOIN ZEP_GAME_BUNDLES "\", \"" ZEP_GAME_BUNDLES_C)
file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/generated/GameBundles.h CONTENT
"// Made by cmake/bundlenames.cmake from its list of the game's bundles.
#pragma once
#define ZEP_GAME_BUNDLES \"${ZEP_GAME_BUNDLES_C}\"
#define ZEP_SOUND_BUNDLE \"${ZEP_SOUND_BUNDLE}\"
")
# every target that compiles it, the sanitizer build's probe library too
set_source_files_properties(${CMAKE_SOURCE_DIR}/Platform/GameResources.cpp PROPERTIES
  INCLUDE_DIRECTORIES ${CMAKE_BINARY_DIR}/generated)
