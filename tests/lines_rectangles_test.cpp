// Every line and rectangle form, clipped and NoClip, against a per-pixel
// model of what it draws, at random positions and sizes in, across and
// outside a guard-framed bitmap. Even the NoClip forms only lose the pixels
// that fall outside.
#include <gtest/gtest.h>
#include "GuardedBitmap.h"

namespace {

enum Shape { Horizontal, Vertical, Outline, Filled };
using Call = void (*)(Bitmap *, int x, int y, int w, int h, Pixel c, CompositionMode comp);

void Line(GuardedBitmap &g, bool horizontal, int x, int y, int len, Pixel c, CompositionMode comp)
{
	for (int i = 0; i < len; i++) horizontal ? g.Blend(x + i, y, c, comp) : g.Blend(x, y + i, c, comp);
}

// Outlines as lines that never overlap, as the rectangle code draws them.
void Model(GuardedBitmap &g, Shape shape, int x, int y, int w, int h, Pixel c, CompositionMode comp)
{
	if (shape == Horizontal || shape == Vertical) return Line(g, shape == Horizontal, x, y, w, c, comp);
	if (shape == Filled) {
		for (int j = 0; j < h; j++) Line(g, true, x, y + j, w, c, comp);
	} else if (w == 1 || h == 1) {
		Line(g, w != 1, x, y, w == 1 ? h : w, c, comp);
	} else {
		Line(g, true, x, y, w, c, comp), Line(g, true, x, y + h - 1, w, c, comp);
		Line(g, false, x, y + 1, h - 2, c, comp), Line(g, false, x + w - 1, y + 1, h - 2, c, comp);
	}
}

const struct Form { const char *name; Shape shape; bool composite; Call call; } Forms[] = {
	{"DrawHorizontalLine", Horizontal, false, [](Bitmap *b, int x, int y, int w, int, Pixel c, CompositionMode) { DrawHorizontalLine(b, x, y, w, c); }},
	{"DrawHorizontalLineNoClip", Horizontal, false, [](Bitmap *b, int x, int y, int w, int, Pixel c, CompositionMode) { DrawHorizontalLineNoClip(b, x, y, w, c); }},
	{"CompositeHorizontalLine", Horizontal, true, [](Bitmap *b, int x, int y, int w, int, Pixel c, CompositionMode m) { CompositeHorizontalLine(b, x, y, w, c, m); }},
	{"CompositeHorizontalLineNoClip", Horizontal, true, [](Bitmap *b, int x, int y, int w, int, Pixel c, CompositionMode m) { CompositeHorizontalLineNoClip(b, x, y, w, c, m); }},
	{"DrawVerticalLine", Vertical, false, [](Bitmap *b, int x, int y, int w, int, Pixel c, CompositionMode) { DrawVerticalLine(b, x, y, w, c); }},
	{"DrawVerticalLineNoClip", Vertical, false, [](Bitmap *b, int x, int y, int w, int, Pixel c, CompositionMode) { DrawVerticalLineNoClip(b, x, y, w, c); }},
	{"CompositeVerticalLine", Vertical, true, [](Bitmap *b, int x, int y, int w, int, Pixel c, CompositionMode m) { CompositeVerticalLine(b, x, y, w, c, m); }},
	{"CompositeVerticalLineNoClip", Vertical, true, [](Bitmap *b, int x, int y, int w, int, Pixel c, CompositionMode m) { CompositeVerticalLineNoClip(b, x, y, w, c, m); }},
	{"DrawRectangle", Outline, false, [](Bitmap *b, int x, int y, int w, int h, Pixel c, CompositionMode) { DrawRectangle(b, x, y, w, h, c); }},
	{"DrawRectangleNoClip", Outline, false, [](Bitmap *b, int x, int y, int w, int h, Pixel c, CompositionMode) { DrawRectangleNoClip(b, x, y, w, h, c); }},
	{"CompositeRectangle", Outline, true, CompositeRectangle},
	{"CompositeRectangleNoClip", Outline, true, CompositeRectangleNoClip},
	{"DrawFilledRectangle", Filled, false, [](Bitmap *b, int x, int y, int w, int h, Pixel c, CompositionMode) { DrawFilledRectangle(b, x, y, w, h, c); }},
	{"DrawFilledRectangleNoClip", Filled, false, [](Bitmap *b, int x, int y, int w, int h, Pixel c, CompositionMode) { DrawFilledRectangleNoClip(b, x, y, w, h, c); }},
	{"CompositeFilledRectangle", Filled, true, CompositeFilledRectangle},
	{"CompositeFilledRectangleNoClip", Filled, true, CompositeFilledRectangleNoClip},
};

} // namespace

TEST(LinesAndRectangles, EveryFormMatchesThePerPixelModel)
{
	const CompositionMode modes[] = {FastHalfTransparentCompositionMode, SourceOverCompositionMode, FastTransparencyCompositionMode};
	std::mt19937 rng(12);
	auto in = [&](int lo, int hi) { return lo + (int)(rng() % (unsigned)(hi - lo + 1)); };
	for (const Form &f : Forms)
		for (int n = 0; n < 400; n++) {
			int W = in(0, 12), H = in(0, 9), x = in(-12, W + 3), y = in(-12, H + 3), w = in(-2, 16), h = in(-2, 16);
			if (n % 50 == 0 && !strstr(f.name, "NoClip")) x = -100000, w = 300000;
			int pad = in(0, 2);
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
