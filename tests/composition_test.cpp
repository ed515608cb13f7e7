#include <gtest/gtest.h>
#include "Graphics/Drawing.h"
#include "GuardedBitmap.h"

TEST(Composition, SourceOverWorkedExampleAndExtremes)
{
	EXPECT_EQ(SourceOverCompositionMode(0xFF0000FFu, 0x80FF0000u), 0xBF80007Fu);
	EXPECT_EQ(SourceOverCompositionMode(0x12345678u, 0xFFABCDEFu), 0xFFABCDEFu);
	EXPECT_EQ(SourceOverCompositionMode(0x12345678u, 0x00ABCDEFu), 0x12345678u);
}

TEST(Composition, FastModesDecideByBit31)
{
	EXPECT_EQ(FastTransparencyCompositionMode(1u, 0x80000000u), 0x80000000u);
	EXPECT_EQ(FastTransparencyCompositionMode(1u, 0x7FFFFFFFu), 1u);
	EXPECT_EQ(FastHalfTransparentCompositionMode(0x00000000u, 0xFFFFFFFFu), 0x7F7F7F7Fu);
	EXPECT_EQ(FastHalfTransparentCompositionMode(0xFF000000u, 0x80FFFFFFu), 0xBF7F7F7Fu);
	EXPECT_EQ(FastHalfTransparentCompositionMode(0xFF010101u, 0xFF010101u), 0xFF010101u);
	EXPECT_EQ(FastHalfTransparentCompositionMode(0x00ABCDEFu, 0x7FFFFFFFu), 0x00ABCDEFu);
	EXPECT_EQ(DummyCompositionMode(5u, 9u), 9u);
}

TEST(Composition, PixelMul8ReferenceValues)
{
	for (int v = 0; v < 256; v++) EXPECT_EQ(PixelMul8(255, v), v);
	EXPECT_EQ(PixelMul8(127, 255), 127);
}

TEST(PixelOperations, OutsideCoordinatesDoNothing)
{
	GuardedBitmap g(5, 4, 0x11111111u);
	const int outside[][2] = {{-1, 0}, {0, -1}, {5, 0}, {0, 4}, {-100000, 3}, {2, 1 << 20}};
	for (auto &p : outside) {
		DrawPixel(&g.bitmap, p[0], p[1], 0xFFFFFFFFu);
		CompositePixel(&g.bitmap, p[0], p[1], 0xFFFFFFFFu, DummyCompositionMode);
		EXPECT_EQ(ReadPixel(&g.bitmap, p[0], p[1]), 0u);
	}
	EXPECT_TRUE(g.GuardsIntact());
	EXPECT_EQ(g.CountOf(0x11111111u), 20);
	DrawPixel(&g.bitmap, 4, 3, 0xFF000001u);
	CompositePixel(&g.bitmap, 0, 0, 0xFFFFFFFFu, FastHalfTransparentCompositionMode);
	EXPECT_EQ(ReadPixel(&g.bitmap, 4, 3), 0xFF000001u);
	EXPECT_EQ(ReadPixel(&g.bitmap, 0, 0), 0x88888888u);
}

TEST(PixelOperations, EmptyBitmapIsValid)
{
	GuardedBitmap g(0, 0);
	FillBitmap(&g.bitmap, 0xFFFFFFFFu);
	DrawPixel(&g.bitmap, 0, 0, 0xFFFFFFFFu);
	EXPECT_EQ(ReadPixel(&g.bitmap, 0, 0), 0u);
	EXPECT_TRUE(g.GuardsIntact());
}
