// Each compiled-in glyph draws its grid pixel for pixel and advances as it says.
#include <gtest/gtest.h>
#include <fstream>
#include <sstream>
#include "Game/Font.h"
#include "tests/GuardedBitmap.h"
#include "tools/fontgen/FontGrid.h"

TEST(CompiledFonts, DrawTheirGrids)
{
	const std::pair<const char *, const Font *> fonts[] = {{"OL8.txt", &OL8Font}, {"OL12.txt", &OL12Font}, {"OL16.txt", &OL16Font}};
	for (auto &[file, font] : fonts) {
		std::stringstream text;
		text << std::ifstream(std::string(ZEP_FONT_GRIDS) + "/" + file, std::ios::binary).rdbuf();
		FontGrid grid;
		std::string error;
		ASSERT_TRUE(ParseFontGrid(text.str(), file, &grid, &error)) << error;
		for (size_t c = 33, next = 0; c <= 255; c++) {
			GuardedBitmap got(16, 16), want(16, 16);
			DrawCharacter(&got.bitmap, font, 0, 0, 0xFFFFFFFFu, (int)c);
			int advance = grid.empty;
			if (next < grid.glyphs.size() && grid.glyphs[next].code == (int)c) {
				const GlyphGrid &g = grid.glyphs[next++];
				advance = g.advance;
				for (size_t y = 0; y < g.rows.size(); y++)
					for (size_t x = 0; x < g.rows[y].size(); x++)
						if (g.rows[y][x] == '#') want.At((int)x, (int)y) = 0xFFFFFFFFu;
			}
			EXPECT_EQ(WidthOfCharacter(font, (int)c), advance) << file << " code " << c;
			ASSERT_EQ(Difference(got, want), "") << file << " code " << c;
		}
	}
}
