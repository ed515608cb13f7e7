#include <gtest/gtest.h>
#include "Graphics/Drawing.h"
#include "GuardedBitmap.h"

// A source whose every pixel tells where it came from.
static void Number(GuardedBitmap &g)
{
	for (int y = 0; y < g.height; y++)
		for (int x = 0; x < g.width; x++) DrawPixel(&g.bitmap, x, y, 0xFF000000u | (Pixel)(y << 8 | x));
}

static Pixel From(int u, int v) { return 0xFF000000u | (Pixel)(v << 8 | u); }

TEST(Blits, FullScreenCopyIsOneBlockIncludingRowPadding)
{
	std::vector<Pixel> a(322 * 240), b(322 * 240, 7);
	for (size_t i = 0; i < a.size(); i++) a[i] = (Pixel)i * 2654435761u;
	Bitmap src, dest;
	InitializeBitmap(&src, 320, 240, 322 * 4, a.data());
	InitializeBitmap(&dest, 320, 240, 322 * 4, b.data());
	DrawBitmap(&dest, &src, 0, 0);
	EXPECT_EQ(a, b);
}

TEST(Blits, ClippingMovesSourceAlongWithDestination)
{
	GuardedBitmap src(10, 10);
	Number(src);
	GuardedBitmap d(8, 8);
	DrawPartialBitmap(&d.bitmap, &src.bitmap, -5, 0, 1, 1, 8, 2);
	EXPECT_EQ(d.At(0, 0), From(6, 1));
	EXPECT_EQ(d.At(2, 1), From(8, 2));
	EXPECT_EQ(d.At(3, 0), 0u);
	GuardedBitmap e(8, 8);
	DrawPartialBitmap(&e.bitmap, &src.bitmap, 0, 0, -3, 0, 5, 1);
	EXPECT_EQ(e.At(3, 0), From(0, 0));
	EXPECT_EQ(e.At(4, 0), From(1, 0));
	EXPECT_EQ(e.At(2, 0), 0u);
	EXPECT_EQ(e.At(5, 0), 0u);
	EXPECT_TRUE(d.GuardsIntact() && e.GuardsIntact());
}

TEST(Blits, CutAtFarEdgesAndNothingWhenOutside)
{
	GuardedBitmap src(10, 10);
	Number(src);
	GuardedBitmap d(8, 8);
	DrawBitmap(&d.bitmap, &src.bitmap, 5, 6);
	EXPECT_EQ(d.At(7, 7), From(2, 1));
	EXPECT_EQ(d.CountOf(0), 64 - 6);
	GuardedBitmap e(8, 8);
	DrawBitmap(&e.bitmap, &src.bitmap, 8, 0);
	DrawBitmap(&e.bitmap, &src.bitmap, 0, -10);
	DrawPartialBitmap(&e.bitmap, &src.bitmap, 0, 0, 10, 0, 4, 4);
	DrawPartialBitmap(&e.bitmap, &src.bitmap, 0, 0, 0, 0, 0, 4);
	DrawPartialBitmap(&e.bitmap, &src.bitmap, 2, 2, 0, 0, -4, 4);
	CompositePartialBitmap(&e.bitmap, &src.bitmap, 2, 2, 0, 0, 3, -1, DummyCompositionMode);
	EXPECT_EQ(e.CountOf(0), 64);
	EXPECT_TRUE(d.GuardsIntact() && e.GuardsIntact());
}

TEST(Blits, CompositeModes)
{
	GuardedBitmap src(4, 4);
	Number(src);
	DrawPixel(&src.bitmap, 1, 1, 0x7F123456u);
	GuardedBitmap a(6, 6, 0xFF0000FFu), b(6, 6, 0xFF0000FFu);
	DrawBitmap(&a.bitmap, &src.bitmap, -1, 3);
	CompositeBitmap(&b.bitmap, &src.bitmap, -1, 3, DummyCompositionMode);
	EXPECT_EQ(a.memory, b.memory);
	GuardedBitmap c(6, 6, 0xFF0000FFu);
	CompositeBitmap(&c.bitmap, &src.bitmap, 0, 0, FastTransparencyCompositionMode);
	EXPECT_EQ(c.At(1, 1), 0xFF0000FFu);
	EXPECT_EQ(c.At(2, 1), From(2, 1));
	EXPECT_TRUE(c.GuardsIntact());
}
