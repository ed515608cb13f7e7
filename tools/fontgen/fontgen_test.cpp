// Tests of the grid parser and glyph encoder, and of the compiled-in fonts
// against the grid files they were generated from.
#include <gtest/gtest.h>
#include <fstream>
#include <sstream>
#include "Game/Font.h"
#include "tools/fontgen/FontGrid.h"

namespace {

const char *Header = "height 3\nspacing 1\nspace 2\nempty 5\n";

std::string ParseError(const std::string &text)
{
	FontGrid font;
	std::string error;
	EXPECT_FALSE(ParseFontGrid(text, "t.txt", &font, &error)) << text;
	return error;
}

} // namespace

TEST(FontGrid, ParsesSettingsGlyphsAndAdvances)
{
	FontGrid font;
	std::string error;
	std::string text = std::string("; comment\n") + Header +
		"\nglyph 33 !\n#\n#\n.\n"
		"glyph 35 #\nadvance 9\n.#.\n###\n.#.\n"
		"glyph 181 \xc2\xb5\n#.#\n##.\n#..\n";
	ASSERT_TRUE(ParseFontGrid(text, "t.txt", &font, &error)) << error;
	EXPECT_EQ(font.height, 3);
	EXPECT_EQ(font.space, 2);
	EXPECT_EQ(font.empty, 5);
	ASSERT_EQ(font.glyphs.size(), 3u);
	EXPECT_EQ(font.glyphs[0].code, 33);
	EXPECT_EQ(font.glyphs[0].advance, 2); // width 1 + spacing 1
	EXPECT_EQ(font.glyphs[1].advance, 9);
	EXPECT_EQ(font.glyphs[2].code, 181);
	EXPECT_EQ(font.glyphs[2].rows[1], "##.");
}

TEST(FontGrid, RejectsBrokenGridsNamingTheLine)
{
	std::string h = Header;
	EXPECT_EQ(ParseError(h + "glyph 33 !\n#\n#.\n#\n"), "t.txt:5: glyph 33 has rows of different widths");
	EXPECT_EQ(ParseError(h + "glyph 33 !\n#\n#\n"), "t.txt:5: glyph 33 has 2 rows, the font is 3 high");
	EXPECT_EQ(ParseError(h + "glyph 33 !\n#\n#\n#\n#\n"), "t.txt:9: more grid rows than the font's height");
	EXPECT_EQ(ParseError(h + "glyph 33 !\n.\n.\n.\n"), "t.txt:5: glyph 33 has no ink; leave it out instead");
	EXPECT_EQ(ParseError(h + "glyph 34 !\n#\n#\n#\n"), "t.txt:5: glyph 34 is not the character '!'");
	EXPECT_EQ(ParseError(h + "glyph 34 \"\n#\n#\n#\nglyph 33 !\n#\n#\n#\n"), "t.txt:9: glyph 33 is out of order or repeated");
	EXPECT_EQ(ParseError(h + "glyph 32  \n#\n#\n#\n"), "t.txt:5: glyph code must be a number from 33 to 255");
	EXPECT_EQ(ParseError(h + "glyph 256 x\n#\n#\n#\n"), "t.txt:5: glyph code must be a number from 33 to 255");
	EXPECT_EQ(ParseError("height 3\nspacing 1\nglyph 33 !\n#\n#\n#\n"),
		"t.txt:3: height, spacing, space and empty must come before the first glyph");
	EXPECT_EQ(ParseError(h + "#\n"), "t.txt:5: grid row outside a glyph");
	EXPECT_EQ(ParseError(h + "colour 3\n"), "t.txt:5: unknown setting 'colour'");
	EXPECT_EQ(ParseError(h + "glyph 33 !\n#\nadvance 3\n"), "t.txt:7: advance belongs right after a glyph line");
	EXPECT_EQ(ParseError(h + "glyph 33 !\nadvance 3 4\n"), "t.txt:6: expected a setting and one number from 0 to 255");
	EXPECT_EQ(ParseError(h + "glyph 33 !\nadvance 256\n"), "t.txt:6: expected a setting and one number from 0 to 255");
	EXPECT_EQ(ParseError(h), "t.txt:4: no glyphs");
}

TEST(FontGrid, EncodesRowsAsSkipsAndRuns)
{
	GlyphGrid g = {65, 7, 1, {".....", "#..##", ".#...", "#####", ".....", "....."}};
	// empty row: one skip of the width; a row ending in blank: a final skip to the edge
	std::vector<uint8_t> expected = {7, 5, 4, 5, 0, 1, 2, 2, 1, 1, 3, 0, 5};
	EXPECT_EQ(EncodeGlyph(g), expected);

	FontGrid font = {1, 1, 3, 6, {{33, 2, 1, {"#"}}, {181, 4, 1, {"#.#"}}}};
	std::vector<std::vector<uint8_t>> glyphs = EncodeFont(font);
	ASSERT_EQ(glyphs.size(), 224u);
	EXPECT_EQ(glyphs[0], (std::vector<uint8_t>{3, 0, 0}));
	EXPECT_EQ(glyphs[1], (std::vector<uint8_t>{2, 1, 1, 0, 1}));
	EXPECT_EQ(glyphs[2], (std::vector<uint8_t>{6, 0, 0}));
	EXPECT_EQ(glyphs[181 - 32], (std::vector<uint8_t>{4, 3, 1, 0, 1, 1, 1}));
	EXPECT_EQ(glyphs[223], (std::vector<uint8_t>{6, 0, 0}));
}

// The build compiled the fonts from these very files: every glyph draws its
// grid pixel for pixel and advances as the grid says.
TEST(CompiledFonts, MatchTheirGrids)
{
	struct { const char *file; const Font *font; } fonts[] = {
		{"OL8.txt", &OL8Font}, {"OL12.txt", &OL12Font}, {"OL16.txt", &OL16Font}};
	for (auto &f : fonts) {
		SCOPED_TRACE(f.file);
		std::ifstream in(std::string(ZEP_FONT_GRIDS) + "/" + f.file, std::ios::binary);
		ASSERT_TRUE(in);
		std::ostringstream text;
		text << in.rdbuf();
		FontGrid grid;
		std::string error;
		ASSERT_TRUE(ParseFontGrid(text.str(), f.file, &grid, &error)) << error;
		EXPECT_EQ(HeightOfFont(f.font), grid.height);
		EXPECT_EQ(WidthOfCharacter(f.font, 32), grid.space);
		size_t next = 0;
		for (int c = 33; c <= 255; c++) {
			SCOPED_TRACE(c);
			const int W = 24, H = 20;
			std::vector<Pixel> memory(W * H, 0);
			Bitmap bitmap;
			InitializeBitmap(&bitmap, W, H, W * 4, memory.data());
			DrawCharacter(&bitmap, f.font, 0, 0, 0xFFFFFFFFu, c);
			std::vector<Pixel> expected(W * H, 0);
			int advance = grid.empty;
			if (next < grid.glyphs.size() && grid.glyphs[next].code == c) {
				const GlyphGrid &g = grid.glyphs[next++];
				for (size_t y = 0; y < g.rows.size(); y++)
					for (size_t x = 0; x < g.rows[y].size(); x++)
						if (g.rows[y][x] == '#') expected[y * W + x] = 0xFFFFFFFFu;
				advance = g.advance;
			}
			EXPECT_EQ(WidthOfCharacter(f.font, c), advance);
			ASSERT_EQ(memory, expected);
		}
	}
}
