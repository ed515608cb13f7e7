// Pixels, the four composition modes and whole-bitmap operations.
#include <gtest/gtest.h>
#include "GuardedBitmap.h"
#include "Graphics/Pixels/Construction32.h"

static Pixel Byte(Pixel p, int i) { return p >> (8 * i) & 255; }

TEST(Composition, TableOfCasesAndRandomPixelsAgainstTheChannelArithmetic)
{
	const struct { CompositionMode mode; Pixel below, above, result; } cases[] = {
		{SourceOverCompositionMode, 0xFF0000FFu, 0x80FF0000u, 0xBF80007Fu},
		{SourceOverCompositionMode, 0x12345678u, 0xFFABCDEFu, 0xFFABCDEFu},
		{SourceOverCompositionMode, 0x12345678u, 0x00ABCDEFu, 0x12345678u},
		{FastTransparencyCompositionMode, 1u, 0x80000000u, 0x80000000u},
		{FastTransparencyCompositionMode, 1u, 0x7FFFFFFFu, 1u},
		{FastHalfTransparentCompositionMode, 0x00000000u, 0xFFFFFFFFu, 0x7F7F7F7Fu},
		{FastHalfTransparentCompositionMode, 0xFF000000u, 0x80FFFFFFu, 0xBF7F7F7Fu},
		{FastHalfTransparentCompositionMode, 0xFF010101u, 0xFF010101u, 0xFF010101u},
		{FastHalfTransparentCompositionMode, 0x00ABCDEFu, 0x7FFFFFFFu, 0x00ABCDEFu},
		{DummyCompositionMode, 5u, 9u, 9u},
	};
	for (auto &c : cases) EXPECT_EQ(c.mode(c.below, c.above), c.result) << std::hex << c.below << " " << c.above;
	std::mt19937 rng(7);
	for (int n = 0; n < 100000; n++) {
		Pixel below = (Pixel)rng(), above = (Pixel)rng(), over = 0, half = 0;
		for (int i = 0; i < 4; i++) {
			Pixel a = above >> 24, top = i == 3 ? a : Byte(above, i);
			over |= (a * top / 255 + (255 - a) * Byte(below, i) / 255) << (8 * i);
			half |= (Byte(above, i) + Byte(below, i)) / 2 << (8 * i);
		}
		ASSERT_EQ(SourceOverCompositionMode(below, above), over) << std::hex << below << " " << above;
		ASSERT_EQ(FastHalfTransparentCompositionMode(below, above), above >> 31 ? half : below);
		ASSERT_EQ(FastTransparencyCompositionMode(below, above), above >> 31 ? above : below);
		ASSERT_EQ(IsPixelTransparent(above), !(above >> 31));
	}
	EXPECT_EQ(RGB(-5, 300, 128), 0xFF00FF80u);
	EXPECT_EQ(PixelMul8(127, 255), 127);
}

TEST(PixelOperations, RandomPointsInAndAroundTheBitmap)
{
	std::mt19937 rng(3);
	for (int size : {0, 1, 7}) {
		GuardedBitmap got(size, size + 1), want(size, size + 1);
		for (int n = 0; n < 2000; n++) {
			int x = (int)(rng() % 13) - 3, y = (int)(rng() % 14) - 3;
			Pixel c = (Pixel)rng();
			ASSERT_EQ(ReadPixel(&got.bitmap, x, y), want.Get(x, y)) << x << "," << y;
			if (n % 2) DrawPixel(&got.bitmap, x, y, c), want.Put(x, y, c);
			else CompositePixel(&got.bitmap, x, y, c, FastHalfTransparentCompositionMode),
				want.Blend(x, y, c, FastHalfTransparentCompositionMode);
			if (!want.Inside(x, y)) continue;
			ASSERT_EQ(ReadPixelNoClip(&got.bitmap, x, y), want.At(x, y));
			c = (Pixel)rng();
			if (n % 3) DrawPixelNoClip(&got.bitmap, x, y, c), want.Put(x, y, c);
			else CompositePixelNoClip(&got.bitmap, x, y, c, SourceOverCompositionMode),
				want.Blend(x, y, c, SourceOverCompositionMode);
		}
		ASSERT_EQ(Difference(got, want), "") << size;
	}
}

// Fill keeps the bytes beyond each row's pixels; clear zeroes whole rows,
// those bytes included; a size below 0 (16-bit truncation can make one) is
// empty for both.
TEST(Bitmap, FillAndClearWholeBitmaps)
{
	const int sizes[][2] = {{5, 4}, {0, 4}, {5, 0}, {3, 2}, {-2, 4}, {5, -1}, {65538, 1}, {2, 65535}};
	for (auto &s : sizes) {
		GuardedBitmap got(5, 4, 0, 3), want(5, 4, 0, 3);
		int w = (int16_t)s[0], h = (int16_t)s[1];
		InitializeBitmap(&got.bitmap, s[0], s[1], got.stride * 4, &got.At(0, 0));
		FillBitmap(&got.bitmap, 0xFF00FF00u);
		for (int y = 0; y < h; y++)
			for (int x = 0; x < w; x++) want.At(x, y) = 0xFF00FF00u;
		ASSERT_EQ(Difference(got, want), "") << "filling " << s[0] << " x " << s[1];
		ClearBitmap(&got.bitmap);
		if (w >= 0 && h > 0) std::fill_n(&want.At(0, 0), (size_t)h * want.stride, 0);
		ASSERT_EQ(Difference(got, want), "") << "clearing " << s[0] << " x " << s[1];
	}
}
