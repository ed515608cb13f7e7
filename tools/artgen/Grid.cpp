// The pixel-art text reader: reads top to bottom, one line at a time, and
// names the line of the first mistake.
#include "tools/artgen/Grid.h"
#include <cstdlib>
#include <sstream>

static bool Fail(std::string *error, int line, const std::string &what)
{
	*error = "line " + std::to_string(line) + ": " + what;
	return false;
}

bool ReadPixelGrids(const std::string &text, int width, int height, std::vector<GridPicture> *out, std::string *error)
{
	Pixel palette[256] = {};
	bool known[256] = {};
	out->clear();
	std::istringstream in(text);
	std::string line;
	int number = 0, row = height;  // row < height while a picture is being read
	while (std::getline(in, line)) {
		number++;
		if (!line.empty() && line.back() == '\r') line.pop_back();
		if (row < height) {
			if ((int)line.size() != width)
				return Fail(error, number, "a row of \"" + out->back().name + "\" must be " + std::to_string(width) +
					" characters, not " + std::to_string(line.size()));
			for (int x = 0; x < width; x++) {
				unsigned char ch = (unsigned char)line[(size_t)x];
				if (ch == '.') continue;
				if (ch == '*') out->back().marks.push_back({x, row});
				else if (known[ch]) Plot(&out->back().canvas, x, row, palette[ch]);
				else return Fail(error, number, std::string("'") + (char)ch + "' is not a colour of the palette");
			}
			row++;
			continue;
		}
		std::istringstream words(line);
		std::string word;
		if (!(words >> word) || word[0] == '#') continue;
		if (word == "colour") {
			std::string ch, hex;
			words >> ch >> hex;
			char *end = nullptr;
			unsigned long rgb = strtoul(hex.c_str(), &end, 16);
			if (ch.size() != 1 || ch == "." || ch == "*" || ch == "#" || hex.size() != 6 || *end)
				return Fail(error, number, "a colour is: colour <character> <rrggbb> <name>");
			unsigned char c = (unsigned char)ch[0];
			if (known[c]) return Fail(error, number, "'" + ch + "' is given a colour twice");
			known[c] = true;
			palette[c] = Hex((uint32_t)rgb);
		} else if (word == "picture") {
			std::string name;
			if (!(words >> name)) return Fail(error, number, "a picture needs a name");
			if (FindGridPicture(*out, name)) return Fail(error, number, "a second picture \"" + name + "\"");
			out->push_back(GridPicture{name, NewCanvas(width, height), {}});
			row = 0;
		} else {
			return Fail(error, number, "\"" + word + "\" is neither colour, picture nor a comment");
		}
	}
	if (row < height)
		return Fail(error, number, "\"" + out->back().name + "\" has " + std::to_string(row) + " rows, not " +
			std::to_string(height));
	return true;
}

const GridPicture *FindGridPicture(const std::vector<GridPicture> &pictures, const std::string &name)
{
	for (const GridPicture &p : pictures)
		if (p.name == name) return &p;
	return nullptr;
}
