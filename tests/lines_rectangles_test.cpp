// Every pixel and rectangle form against a per-pixel model, at random places in,
// across and outside a guard-framed bitmap; outlines one pixel wide or high are
// the lines of each form. Even the NoClip forms only lose what falls outside.
#include <gtest/gtest.h>
#include "GuardedBitmap.h"

enum Shape { Point, Read, Outline, Filled };

static void Line(GuardedBitmap &g, bool horizontal, int x, int y, int len, Pixel c, CompositionMode comp)
{
	for (int i = 0; i < len; i++) horizontal ? g.Blend(x + i, y, c, comp) : g.Blend(x, y + i, c, comp);
}

// Outlines as lines that never overlap, as the rectangle code draws them.
static void Model(GuardedBitmap &g, Shape shape, int x, int y, int w, int h, Pixel c, CompositionMode comp)
{
	if (shape == Point || shape == Read) return shape == Point ? g.Blend(x, y, c, comp) : g.Put(0, 0, g.Get(x, y));
	if (shape == Filled) {
		for (int j = 0; j < h; j++) Line(g, true, x, y + j, w, c, comp);
	} else if (w == 1 || h == 1) {
		Line(g, w != 1, x, y, w == 1 ? h : w, c, comp);
	} else {
		Line(g, true, x, y, w, c, comp), Line(g, true, x, y + h - 1, w, c, comp);
		Line(g, false, x, y + 1, h - 2, c, comp), Line(g, false, x + w - 1, y + 1, h - 2, c, comp);
	}
}

static const struct Form { const char *name; Shape shape; bool composite; void (*call)(Bitmap *, int, int, int, int, Pixel, CompositionMode); } Forms[] = {
	{"DrawPixel", Point, false, [](Bitmap *b, int x, int y, int, int, Pixel c, CompositionMode) { DrawPixel(b, x, y, c); }},
	{"CompositePixel", Point, true, [](Bitmap *b, int x, int y, int, int, Pixel c, CompositionMode m) { CompositePixel(b, x, y, c, m); }},
	{"ReadPixel", Read, false, [](Bitmap *b, int x, int y, int, int, Pixel, CompositionMode) { DrawPixel(b, 0, 0, ReadPixel(b, x, y)); }},
	{"DrawRectangle", Outline, false, [](Bitmap *b, int x, int y, int w, int h, Pixel c, CompositionMode) { DrawRectangle(b, x, y, w, h, c); }},
	{"DrawRectangleNoClip", Outline, false, [](Bitmap *b, int x, int y, int w, int h, Pixel c, CompositionMode) { DrawRectangleNoClip(b, x, y, w, h, c); }},
	{"CompositeRectangle", Outline, true, CompositeRectangle},
	{"CompositeRectangleNoClip", Outline, true, CompositeRectangleNoClip},
	{"DrawFilledRectangle", Filled, false, [](Bitmap *b, int x, int y, int w, int h, Pixel c, CompositionMode) { DrawFilledRectangle(b, x, y, w, h, c); }},
	{"DrawFilledRectangleNoClip", Filled, false, [](Bitmap *b, int x, int y, int w, int h, Pixel c, CompositionMode) { DrawFilledRectangleNoClip(b, x, y, w, h, c); }},
	{"CompositeFilledRectangle", Filled, true, CompositeFilledRectangle},
	{"CompositeFilledRectangleNoClip", Filled, true, CompositeFilledRectangleNoClip},
};

TEST(LinesAndRectangles, EveryFormMatchesThePerPixelModel)
{
	const CompositionMode modes[] = {FastHalfTransparentCompositionMode, SourceOverCompositionMode, FastTransparencyCompositionMode};
	std::mt19937 rng(12);
	auto in = [&](int lo, int hi) { return lo + (int)(rng() % (unsigned)(hi - lo + 1)); };
	for (const Form &f : Forms)
		for (int n = 0; n < 1000; n++) {
			int W = in(0, 12), H = in(0, 9), x = in(-12, W + 3), y = in(-12, H + 3), w = n % 4 ? in(-2, 16) : 1, h = n % 4 == 1 ? 1 : in(-2, 16), pad = in(0, 2);
			if (n % 50 == 0 && !strstr(f.name, "NoClip")) x = -100000, w = 300000;
			GuardedBitmap got(W, H, 0, pad), want(W, H, 0, pad);
			for (int j = 0; j < H; j++)
				for (int i = 0; i < W; i++) got.At(i, j) = want.At(i, j) = (Pixel)rng();
			Pixel c = (Pixel)rng();
			CompositionMode comp = f.composite ? modes[n % 3] : DummyCompositionMode;
			f.call(&got.bitmap, x, y, w, h, c, comp);
			Model(want, f.shape, x, y, w, h, c, comp);
			ASSERT_EQ(Difference(got, want), "") << f.name << "(" << x << ", " << y << ", " << w << ", " << h << ") on " << W << " x " << H;
		}
}
