// Composition modes against their channel arithmetic; filling and clearing.
#include <gtest/gtest.h>
#include "GuardedBitmap.h"
#include "Graphics/Pixels/Construction32.h"

// f applied to each channel of below and above, alpha included, with above's alpha.
template <class F> static Pixel Channels(Pixel below, Pixel above, F f)
{
	Pixel out = 0;
	for (int i = 0; i < 32; i += 8) out |= (Pixel)f(below >> i & 255, above >> i & 255, above >> 24) << i;
	return out;
}

TEST(Composition, EveryModeAgainstItsChannelArithmeticOnRandomPixels)
{
	const struct { CompositionMode mode; Pixel (*model)(Pixel below, Pixel above); } modes[] = {
		{SourceOverCompositionMode, [](Pixel b, Pixel a) { return Channels(b, a, [](int lo, int hi, int alpha) { return alpha * hi / 255 + (255 - alpha) * lo / 255; }); }},
		{FastHalfTransparentCompositionMode, [](Pixel b, Pixel a) { return a >> 31 ? Channels(b, a, [](int lo, int hi, int) { return (lo + hi) / 2; }) : b; }},
		{FastTransparencyCompositionMode, [](Pixel b, Pixel a) { return a >> 31 ? a : b; }},
		{DummyCompositionMode, [](Pixel, Pixel a) { return a; }},
	};
	std::mt19937 rng(7);
	for (auto &m : modes)
		for (int n = 0; n < 100000; n++) {
			Pixel below = (Pixel)rng(), above = (Pixel)rng();
			ASSERT_EQ(m.mode(below, above), m.model(below, above)) << std::hex << below << " " << above;
			ASSERT_EQ(IsPixelTransparent(above), above < 0x80000000u);
		}
	const struct { CompositionMode mode; Pixel below, above, want; } examples[] = {
		{SourceOverCompositionMode, 0xFF0000FFu, 0x80FF0000u, 0xBF80007Fu},  // alpha blends as a colour: 128 enters squared
		{FastHalfTransparentCompositionMode, 0, 0xFFFFFFFFu, 0x7F7F7F7Fu},
		{FastHalfTransparentCompositionMode, 0xFF000000u, 0x80FFFFFFu, 0xBF7F7F7Fu},
		{FastHalfTransparentCompositionMode, 0xFF010101u, 0xFF010101u, 0xFF010101u},
		{FastHalfTransparentCompositionMode, 0x12345678u, 0x7FFFFFFFu, 0x12345678u},
		{FastTransparencyCompositionMode, 1, 0x80000000u, 0x80000000u}, {FastTransparencyCompositionMode, 1, 0x7FFFFFFFu, 1}};
	for (auto &e : examples) EXPECT_EQ(e.mode(e.below, e.above), e.want) << std::hex << e.below << " " << e.above;
	EXPECT_EQ(RGB(-5, 300, 128), 0xFF00FF80u);
}

// Fill keeps the bytes after each row's pixels, clear zeroes them; a size
// below 0 (16-bit truncation makes one) is empty.
TEST(Bitmap, FillAndClearWholeBitmaps)
{
	const int sizes[][2] = {{5, 4}, {0, 4}, {5, 0}, {3, 2}, {-2, 4}, {5, -1}, {65538, 1}, {2, 65535}};
	for (auto &s : sizes) {
		GuardedBitmap got(5, 4, 0, 3), want(5, 4, 0, 3);
		int w = (int16_t)s[0], h = (int16_t)s[1];
		InitializeBitmap(&got.bitmap, s[0], s[1], got.stride * 4, &got.At(0, 0));
		FillBitmap(&got.bitmap, 0xFF00FF00u);
		for (int y = 0; y < h; y++) std::fill_n(&want.At(0, y), std::max(w, 0), 0xFF00FF00u);
		ASSERT_EQ(Difference(got, want), "") << "filling " << s[0] << " x " << s[1];
		ClearBitmap(&got.bitmap);
		if (w >= 0 && h > 0) std::fill_n(&want.At(0, 0), (size_t)h * want.stride, 0);
		ASSERT_EQ(Difference(got, want), "") << "clearing " << s[0] << " x " << s[1];
	}
}
