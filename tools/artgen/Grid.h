// Pixel art kept as text: a palette of named colours, one character each,
// and pictures drawn as rows of those characters. '.' is transparent and '*'
// a transparent mark whose place the generator may use (the hero's muzzle).
//
//   # comment
//   colour h 4a2e5e hair
//   picture still
//   ..hhh..
//   ...
#pragma once
#include <string>
#include <vector>
#include "tools/artgen/Canvas.h"

struct GridPicture
{
	std::string name;
	Canvas canvas;
	std::vector<std::pair<int, int>> marks;  // x, y of every '*'
};

// Every picture must be width x height. False with the line and the mistake
// in error for anything else.
[[nodiscard]] bool ReadPixelGrids(const std::string &text, int width, int height, std::vector<GridPicture> *out,
	std::string *error);

// The picture of that name, or null.
const GridPicture *FindGridPicture(const std::vector<GridPicture> &pictures, const std::string &name);
