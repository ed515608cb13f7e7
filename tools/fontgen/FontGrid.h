// Glyph grids: the text source of a bitmap font, and its translation into the
// RLE glyph bytes of Game/Font.h. Plain C++ with the standard library; used by
// the fontgen tool and its tests.
//
// A grid file holds, one per line, the font's settings and then its glyphs:
//   height 8        rows of the text line; every grid has exactly this many
//   spacing 1       advance = grid width + spacing unless the glyph says
//   space 4         advance of code 32
//   empty 8         advance of every other code without a grid
//   glyph 65 A      code, then the character itself (UTF-8)
//   advance 6       (optional) this glyph's own advance
//   .##.            grid rows, '#' ink and '.' blank, top row first
// Blank lines and lines starting with ';' are ignored.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct GlyphGrid
{
	int code;
	int advance;
	int line; // where the glyph starts in its file
	std::vector<std::string> rows;
};

struct FontGrid
{
	int height, spacing, space, empty;
	std::vector<GlyphGrid> glyphs; // in increasing code order
};

constexpr int FirstGridCode = 32, LastGridCode = 255;

// False with "name:line: what" in *error when the text is not a valid font.
[[nodiscard]] bool ParseFontGrid(const std::string &text, const std::string &name, FontGrid *font, std::string *error);

// Advance, width, row count, then the row codes; trailing blank rows are left
// out, blank rows above the ink are kept as one skip byte each.
std::vector<uint8_t> EncodeGlyph(const GlyphGrid &glyph);

// The glyph bytes of every code from FirstGridCode to LastGridCode.
std::vector<std::vector<uint8_t>> EncodeFont(const FontGrid &font);
