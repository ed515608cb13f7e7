// Parsing and encoding of glyph grids (see FontGrid.h).
#include "tools/fontgen/FontGrid.h"
#include <algorithm>
#include <cstdlib>
#include <sstream>

static bool Fail(std::string *error, const std::string &name, int line, const std::string &what)
{
	*error = name + ":" + std::to_string(line) + ": " + what;
	return false;
}

static bool IsGridRow(const std::string &s)
{
	return !s.empty() && s.find_first_not_of(".#") == std::string::npos;
}

// A whole decimal number from 0 to max, nothing else.
static bool ParseNumber(const std::string &s, int max, int *value)
{
	if (s.empty() || s.size() > 4 || s.find_first_not_of("0123456789") != std::string::npos) return false;
	*value = atoi(s.c_str());
	return *value <= max;
}

static std::string Utf8(int code)
{
	std::string s;
	if (code < 0x80) {
		s += (char)code;
	} else {
		s += (char)(0xC0 | (code >> 6));
		s += (char)(0x80 | (code & 0x3F));
	}
	return s;
}

static bool CheckGlyph(const GlyphGrid &g, const FontGrid &font, const std::string &name, std::string *error)
{
	if ((int)g.rows.size() != font.height)
		return Fail(error, name, g.line, "glyph " + std::to_string(g.code) + " has " + std::to_string(g.rows.size()) +
			" rows, the font is " + std::to_string(font.height) + " high");
	bool ink = false;
	for (const std::string &row : g.rows) {
		if (row.size() != g.rows[0].size())
			return Fail(error, name, g.line, "glyph " + std::to_string(g.code) + " has rows of different widths");
		ink = ink || row.find('#') != std::string::npos;
	}
	if (g.rows[0].size() > 255)
		return Fail(error, name, g.line, "glyph " + std::to_string(g.code) + " is wider than 255");
	if (!ink)
		return Fail(error, name, g.line, "glyph " + std::to_string(g.code) + " has no ink; leave it out instead");
	return true;
}

bool ParseFontGrid(const std::string &text, const std::string &name, FontGrid *font, std::string *error)
{
	*font = FontGrid{-1, -1, -1, -1, {}};
	std::istringstream in(text);
	std::string line;
	int number = 0;
	GlyphGrid *glyph = nullptr;
	while (std::getline(in, line)) {
		number++;
		while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) line.pop_back();
		if (line.empty() || line[0] == ';') continue;
		if (IsGridRow(line)) {
			if (!glyph) return Fail(error, name, number, "grid row outside a glyph");
			if ((int)glyph->rows.size() == font->height) return Fail(error, name, number, "more grid rows than the font's height");
			glyph->rows.push_back(line);
			continue;
		}
		std::istringstream words(line);
		std::string key, value, rest;
		words >> key >> value;
		int n = 0;
		if (key == "glyph") {
			if (font->height < 1 || font->spacing < 0 || font->space < 0 || font->empty < 0)
				return Fail(error, name, number, "height, spacing, space and empty must come before the first glyph");
			if (glyph && !CheckGlyph(*glyph, *font, name, error)) return false;
			std::string character;
			words >> character;
			if (!ParseNumber(value, LastGridCode, &n) || n <= FirstGridCode)
				return Fail(error, name, number, "glyph code must be a number from 33 to 255");
			if (character != Utf8(n))
				return Fail(error, name, number, "glyph " + std::to_string(n) + " is not the character '" + character + "'");
			if (!font->glyphs.empty() && font->glyphs.back().code >= n)
				return Fail(error, name, number, "glyph " + std::to_string(n) + " is out of order or repeated");
			font->glyphs.push_back(GlyphGrid{n, -1, number, {}});
			glyph = &font->glyphs.back();
			continue;
		}
		if (!ParseNumber(value, 255, &n) || (words >> rest))
			return Fail(error, name, number, "expected a setting and one number from 0 to 255");
		if (key == "advance") {
			if (!glyph || !glyph->rows.empty()) return Fail(error, name, number, "advance belongs right after a glyph line");
			glyph->advance = n;
		} else if (glyph) {
			return Fail(error, name, number, "font settings belong before the first glyph");
		} else if (key == "height") {
			if (n < 1) return Fail(error, name, number, "height must be at least 1");
			font->height = n;
		} else if (key == "spacing") {
			font->spacing = n;
		} else if (key == "space") {
			font->space = n;
		} else if (key == "empty") {
			font->empty = n;
		} else {
			return Fail(error, name, number, "unknown setting '" + key + "'");
		}
	}
	if (!glyph) return Fail(error, name, number, "no glyphs");
	if (!CheckGlyph(*glyph, *font, name, error)) return false;
	for (GlyphGrid &g : font->glyphs) {
		if (g.advance >= 0) continue;
		g.advance = (int)g.rows[0].size() + font->spacing;
		if (g.advance > 255) return Fail(error, name, g.line, "advance over 255");
	}
	return true;
}

std::vector<uint8_t> EncodeGlyph(const GlyphGrid &glyph)
{
	int w = (int)glyph.rows[0].size();
	int h = (int)glyph.rows.size();
	while (h > 0 && glyph.rows[h - 1].find('#') == std::string::npos) h--;
	std::vector<uint8_t> bytes = {(uint8_t)glyph.advance, (uint8_t)w, (uint8_t)h};
	for (int r = 0; r < h; r++) {
		const std::string &row = glyph.rows[r];
		int x = 0;
		for (;;) {
			int start = (int)std::min(row.find('#', x), (size_t)w);
			bytes.push_back((uint8_t)(start - x));
			if (start == w) break;
			int end = (int)std::min(row.find('.', start), (size_t)w);
			bytes.push_back((uint8_t)(end - start));
			if (end == w) break;
			x = end;
		}
	}
	return bytes;
}

std::vector<std::vector<uint8_t>> EncodeFont(const FontGrid &font)
{
	std::vector<std::vector<uint8_t>> glyphs;
	size_t next = 0;
	for (int code = FirstGridCode; code <= LastGridCode; code++) {
		if (next < font.glyphs.size() && font.glyphs[next].code == code) {
			glyphs.push_back(EncodeGlyph(font.glyphs[next++]));
		} else {
			int advance = code == FirstGridCode ? font.space : font.empty;
			glyphs.push_back({(uint8_t)advance, 0, 0});
		}
	}
	return glyphs;
}
