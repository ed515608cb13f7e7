// The pixel-art reader, and the hero's own grids as the build reads them.
#include <gtest/gtest.h>
#include <fstream>
#include <sstream>
#include "tools/artgen/Art.h"

static const char *const Palette = "colour a ff0000 red\ncolour b 00ff00 green\n";

static bool Read(const std::string &text, std::vector<GridPicture> *out, std::string *error)
{
	return ReadPixelGrids(text, 3, 2, out, error);
}

TEST(PixelGrid, ReadsColoursTransparencyAndMarks)
{
	std::vector<GridPicture> out;
	std::string error;
	ASSERT_TRUE(Read(std::string("# a comment\n") + Palette + "picture one\na.b\n*ba\r\n\npicture two\n...\n..a\n", &out, &error))
		<< error;
	ASSERT_EQ(out.size(), 2u);
	const Canvas &one = FindGridPicture(out, "one")->canvas;
	EXPECT_EQ(At(one, 0, 0), Hex(0xff0000));
	EXPECT_FALSE(IsInk(one, 1, 0));
	EXPECT_EQ(At(one, 2, 0), Hex(0x00ff00));
	EXPECT_FALSE(IsInk(one, 0, 1));  // the mark is transparent
	EXPECT_EQ(FindGridPicture(out, "one")->marks, (std::vector<std::pair<int, int>>{{0, 1}}));
	EXPECT_EQ(At(FindGridPicture(out, "two")->canvas, 2, 1), Hex(0xff0000));
	EXPECT_TRUE(FindGridPicture(out, "two")->marks.empty());
	EXPECT_EQ(FindGridPicture(out, "three"), nullptr);
}

TEST(PixelGrid, MistakesNameTheirLine)
{
	struct Case
	{
		std::string text, error;
	} cases[] = {
		{std::string(Palette) + "picture p\na.\n...\n", "line 4: a row of \"p\" must be 3 characters, not 2"},
		{std::string(Palette) + "picture p\naxb\n...\n", "line 4: 'x' is not a colour of the palette"},
		{std::string(Palette) + "picture p\naab\n", "line 4: \"p\" has 1 rows, not 2"},
		{std::string(Palette) + "picture p\n...\n...\npicture p\n", "line 6: a second picture \"p\""},
		{std::string(Palette) + "picture\n", "line 3: a picture needs a name"},
		{"colour a ff00 red\n", "line 1: a colour is: colour <character> <rrggbb> <name>"},
		{"colour . ff0000 clear\n", "line 1: a colour is: colour <character> <rrggbb> <name>"},
		{"colour a ff00zz red\n", "line 1: a colour is: colour <character> <rrggbb> <name>"},
		{"colour a ff0000 red\ncolour a 00ff00 green\n", "line 2: 'a' is given a colour twice"},
		{"draw a\n", "line 1: \"draw\" is neither colour, picture nor a comment"},
	};
	for (const Case &c : cases) {
		std::vector<GridPicture> out;
		std::string error;
		EXPECT_FALSE(Read(c.text, &out, &error)) << c.text;
		EXPECT_EQ(error, c.error) << c.text;
	}
}

TEST(HeroGrids, HoldEveryPoseWithItsMuzzleAndFireFromIt)
{
	std::ifstream in(ZEP_SOURCE_DIR "/assets/art/OL.txt");
	std::stringstream text;
	text << in.rdbuf();
	std::vector<GridPicture> hero;
	std::string error;
	ASSERT_TRUE(ReadPixelGrids(text.str(), 24, 28, &hero, &error)) << error;
	ASSERT_TRUE(CheckHeroGrids(hero, &error)) << error;
	Canvas sheet = HeroSheet(hero);
	ASSERT_EQ(sheet.width, 24 * 12);
	ASSERT_EQ(sheet.height, 28 * 2);
	const char *poses[6] = {"up-backward", "up-still", "up-forward", "level-backward", "level-still", "level-forward"};
	for (int pose = 0; pose < 6; pose++) {
		auto [mx, my] = FindGridPicture(hero, poses[pose])->marks[0];
		// the muzzle lies ahead of the hero, clear of the picture's edges
		EXPECT_GE(mx, 16) << poses[pose];
		EXPECT_LE(mx, 21) << poses[pose];
		// firing lights the flash's core on it; not firing leaves at most the outline there
		EXPECT_EQ(At(sheet, (pose + 6) * 24 + mx, my), Hex(0xfff6d0)) << poses[pose] << " shows no flash when firing";
		EXPECT_TRUE(!IsInk(sheet, pose * 24 + mx, my) || At(sheet, pose * 24 + mx, my) == Hex(0x2a1020)) << poses[pose];
		// facing left is the mirror image
		for (int y = 0; y < 28; y++)
			for (int x = 0; x < 24; x++)
				ASSERT_EQ(At(sheet, pose * 24 + x, y), At(sheet, pose * 24 + 23 - x, 28 + y)) << poses[pose];
	}
	hero.pop_back();
	EXPECT_FALSE(CheckHeroGrids(hero, &error));
	EXPECT_EQ(error, "the hero has no picture \"level-forward\"");
}
