#include <gtest/gtest.h>
#include "Graphics/Drawing.h"
#include "GuardedBitmap.h"

static const Pixel ink = 0xFFFFFFFFu;

// Columns of row y that hold ink, as a bit string for readable failures.
static std::string Row(const GuardedBitmap &g, int y)
{
	std::string s;
	for (int x = 0; x < g.width; x++) s += g.At(x, y) == ink ? '#' : '.';
	return s;
}

TEST(Lines, HorizontalClipsAtBothEnds)
{
	GuardedBitmap g(320, 2);
	DrawHorizontalLine(&g.bitmap, -3, 0, 10, ink);
	DrawHorizontalLine(&g.bitmap, 315, 1, 10, ink);
	for (int x = 0; x < 320; x++) {
		EXPECT_EQ(g.At(x, 0) == ink, x <= 6) << x;
		EXPECT_EQ(g.At(x, 1) == ink, x >= 315) << x;
	}
	EXPECT_TRUE(g.GuardsIntact());
}

TEST(Lines, OutsideOrEmptyLinesDrawNothingInEveryForm)
{
	GuardedBitmap g(8, 6);
	for (int len : {0, -1, -1000}) {
		DrawHorizontalLine(&g.bitmap, 2, 2, len, ink);
		DrawVerticalLine(&g.bitmap, 2, 2, len, ink);
		DrawHorizontalLineNoClip(&g.bitmap, 2, 2, len, ink);
		CompositeVerticalLineNoClip(&g.bitmap, 2, 2, len, ink, DummyCompositionMode);
	}
	DrawHorizontalLine(&g.bitmap, 0, -1, 8, ink);
	DrawHorizontalLine(&g.bitmap, 0, 6, 8, ink);
	DrawVerticalLine(&g.bitmap, -1, 0, 6, ink);
	DrawVerticalLine(&g.bitmap, 8, 0, 6, ink);
	CompositeHorizontalLine(&g.bitmap, 8, 0, 3, ink, DummyCompositionMode);
	CompositeVerticalLine(&g.bitmap, 0, -6, 6, ink, DummyCompositionMode);
	EXPECT_EQ(g.CountOf(ink), 0);
	EXPECT_TRUE(g.GuardsIntact());
}

TEST(Lines, NoClipFormsStillNeverWriteOutside)
{
	GuardedBitmap g(8, 6);
	DrawHorizontalLineNoClip(&g.bitmap, -4, 1, 20, ink);
	DrawVerticalLineNoClip(&g.bitmap, 3, -2, 20, ink);
	CompositeHorizontalLineNoClip(&g.bitmap, -4, -1, 20, ink, DummyCompositionMode);
	CompositeVerticalLineNoClip(&g.bitmap, 8, 0, 5, ink, DummyCompositionMode);
	EXPECT_EQ(Row(g, 1), "########");
	EXPECT_EQ(g.CountOf(ink), 8 + 5);
	EXPECT_TRUE(g.GuardsIntact());
}

TEST(Rectangles, OutlineShapes)
{
	GuardedBitmap g(8, 6);
	DrawRectangle(&g.bitmap, 1, 1, 4, 3, ink);
	EXPECT_EQ(Row(g, 0), "........");
	EXPECT_EQ(Row(g, 1), ".####...");
	EXPECT_EQ(Row(g, 2), ".#..#...");
	EXPECT_EQ(Row(g, 3), ".####...");
	GuardedBitmap one(4, 4);
	DrawRectangle(&one.bitmap, 1, 0, 1, 3, ink);
	EXPECT_EQ(one.CountOf(ink), 3);
	DrawRectangle(&one.bitmap, 0, 3, 4, 1, ink);
	EXPECT_EQ(Row(one, 3), "####");
	EXPECT_EQ(one.CountOf(ink), 7);
}

TEST(Rectangles, CompositedOutlineBlendsEachPixelOnce)
{
	for (int size : {2, 3, 5}) {
		GuardedBitmap g(6, 6, 0xFF000000u);
		CompositeRectangle(&g.bitmap, 0, 0, size, size, 0xFFFEFEFEu, FastHalfTransparentCompositionMode);
		// blended once gives 0x7F, twice would give 0xBE
		EXPECT_EQ(g.CountOf(0xFF7F7F7Fu), size == 2 ? 4 : 4 * size - 4) << size;
		EXPECT_EQ(g.CountOf(0xFFBEBEBEu), 0);
	}
}

TEST(Rectangles, ClippedOutlineShowsVisibleEdges)
{
	GuardedBitmap g(6, 6);
	DrawRectangle(&g.bitmap, -2, -2, 5, 5, ink);
	EXPECT_EQ(Row(g, 2), "###...");
	EXPECT_EQ(Row(g, 0), "..#...");
	CompositeRectangleNoClip(&g.bitmap, 4, 4, 10, 10, ink, DummyCompositionMode);
	EXPECT_EQ(Row(g, 4), "....##");
	EXPECT_EQ(Row(g, 5), "....#.");
	EXPECT_TRUE(g.GuardsIntact());
}

TEST(Rectangles, FilledIsCutToBitmapAndEmptyDrawsNothing)
{
	GuardedBitmap g(6, 6);
	DrawFilledRectangle(&g.bitmap, 1, 1, 0, 4, ink);
	DrawFilledRectangle(&g.bitmap, 1, 1, 4, -1, ink);
	CompositeFilledRectangle(&g.bitmap, 6, 0, 4, 4, ink, DummyCompositionMode);
	EXPECT_EQ(g.CountOf(ink), 0);
	DrawFilledRectangle(&g.bitmap, 4, -3, 10, 5, ink);
	EXPECT_EQ(g.CountOf(ink), 4);
	CompositeFilledRectangle(&g.bitmap, -10, 5, 100, 100, ink, DummyCompositionMode);
	EXPECT_EQ(Row(g, 5), "######");
	EXPECT_EQ(g.CountOf(ink), 10);
	EXPECT_TRUE(g.GuardsIntact());
}
