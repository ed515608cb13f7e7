// The game's resource set: every bundle and every entry the game looks up,
// with its type and the number of pictures the game indexes, so that a bundle
// set can be checked at start-up and what is missing can be named.
#pragma once
#include <cstddef>
#include "Platform/ResourceBundle.h"

struct GameResource
{
	const char *name;  // "<bundle>/<entry>"
	char type;         // 'B', 'R' or 'S' (raw sound data)
	int pictures;      // 'R' only: how many pictures the game indexes
};

extern const char *const GameBundleNames[4];
extern const GameResource GameResources[];
extern const size_t NumberOfGameResources;

// Checks the chain against the pictures of the resource set, which the game
// draws unchecked: true when all are there. Otherwise problem receives one
// line naming the first bundle file that could not be read (and why) or the
// first entry that is missing, has the wrong type or has too few pictures.
[[nodiscard]] bool CheckGameResources(ResourceBundle *chain, char *problem, size_t problemsize);
// The same for the sounds and the music, which the game may play without.
[[nodiscard]] bool CheckGameSounds(ResourceBundle *chain, char *problem, size_t problemsize);
