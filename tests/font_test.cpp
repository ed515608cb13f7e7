// The three fonts: every glyph, drawn in, across and outside a bitmap, against
// the grid file it was made from; strings as their characters side by side,
// placed to the left of a column and centred.
#include <gtest/gtest.h>
#include <fstream>
#include <map>
#include <sstream>
#include "Game/Font.h"
#include "GuardedBitmap.h"

struct Facts { const Font *font; const char *grids; };
static const Facts Fonts[] = {{&OL8Font, "OL8"}, {&OL12Font, "OL12"}, {&OL16Font, "OL16"}};
static const Pixel Ink = 0x12E0FFE0u;  // written as it is, even at low alpha

// A grid file: settings as "name value", then per glyph "glyph code", an
// optional "advance n" and rows of '#' (ink) and '.'.
struct Grids
{
	std::map<std::string, int> settings;
	std::map<int, std::vector<std::string>> rows;
	std::map<int, int> advance;
};
static Grids Read(const std::string &name)
{
	// from the build's word on where the sources are: __FILE__ is relative under a compiler cache
	std::ifstream in(std::string(ZEP_SOURCE_DIR "/assets/fonts/") + name + ".txt");
	Grids g;
	int code = -1;
	for (std::string line, word; std::getline(in, line);) {
		std::istringstream(line) >> word;
		if (line.find_first_not_of("#.") == std::string::npos && !line.empty()) g.rows[code].push_back(line);
		else if (word == "glyph") std::istringstream(line) >> word >> code;
		else if (word == "advance") std::istringstream(line) >> word >> g.advance[code];
		else if (!word.empty() && word[0] != ';') std::istringstream(line) >> word >> g.settings[word];
	}
	return g;
}

TEST(Fonts, EveryGlyphDrawsItsGridAndAdvancesAsItsFileSays)
{
	std::mt19937 rng(8);
	for (const Facts &f : Fonts) {
		Grids g = Read(f.grids);
		ASSERT_EQ(g.rows.size(), 95u) << f.grids;  // 33 to 126 and 181
		EXPECT_EQ(HeightOfFont(f.font), g.settings["height"]);
		for (int c = -1; c <= 256; c++) {
			int x0 = (int)(rng() % 40) - 18, y0 = (int)(rng() % 40) - 18;
			GuardedBitmap got(20, 20), want(20, 20);
			DrawCharacter(&got.bitmap, f.font, x0, y0, Ink, c);
			const std::vector<std::string> &rows = g.rows[c];
			for (size_t y = 0; y < rows.size(); y++)
				for (size_t x = 0; x < rows[y].size(); x++)
					if (rows[y][x] == '#') want.Put(x0 + (int)x, y0 + (int)y, Ink);
			int advance = c < 32 || c > 255 ? 0 : c == 32 ? g.settings["space"] : rows.empty() ? g.settings["empty"]
				: g.advance.count(c) ? g.advance[c] : (int)rows[0].size() + g.settings["spacing"];
			ASSERT_EQ(Difference(got, want), "") << f.grids << " code " << c << " at " << x0 << ", " << y0;
			EXPECT_EQ(WidthOfCharacter(f.font, c), advance) << f.grids << " code " << c;
		}
	}
}

TEST(Fonts, StringsAreTheirCharactersSideBySideAndArePlaced)
{
	const char *text = "Mg|\x01W y\x80{\xb5}";  // control codes take no room
	for (const Facts &f : Fonts) {
		for (int x : {-1000, -40, -3, 5, 25}) {
			GuardedBitmap got(30, 12), want(30, 12);
			DrawString(&got.bitmap, f.font, x, 6 - HeightOfFont(f.font), Ink, text);
			int end = x;
			for (const char *s = text; *s; end += WidthOfCharacter(f.font, (uint8_t)*s++)) DrawCharacter(&want.bitmap, f.font, end, 6 - HeightOfFont(f.font), Ink, (uint8_t)*s);
			ASSERT_TRUE(Difference(got, want) == "" && WidthOfString(f.font, text) == end - x && WidthOfString(f.font, "") == 0) << x;
		}
		GuardedBitmap got(320, 60), want(320, 60);  // centring truncates an odd, negative slack toward zero
		DrawStringToTheLeftOf(&got.bitmap, f.font, 312, 4, Ink, text);
		DrawString(&want.bitmap, f.font, 312 - WidthOfString(f.font, text) + 1, 4, Ink, text);
		DrawStringCenteredInRectangle(&got.bitmap, f.font, 50, 30, WidthOfString(f.font, text) - 3, HeightOfFont(f.font) - 3, Ink, text);
		DrawString(&want.bitmap, f.font, 50 - 1, 30 - 1, Ink, text);
		EXPECT_EQ(Difference(got, want), "");
	}
}
