// Every blit form against a per-pixel model, at random positions and sizes,
// between bitmaps of equal and of different row lengths and onto themselves.
#include <gtest/gtest.h>
#include <cstring>
#include "GuardedBitmap.h"

// Clipping keeps the pixels inside both bitmaps. A full-width copy between equal
// row lengths moves whole rows, padding included; others go row by row.
static void Model(GuardedBitmap &d, GuardedBitmap &s, int x, int y, int u, int v, int w, int h, CompositionMode comp)
{
	int i0 = std::max({0, -x, -u}), i1 = std::min({w, d.width - x, s.width - u});
	int j0 = std::max({0, -y, -v}), j1 = std::min({h, d.height - y, s.height - v});
	if (i1 > i0 && !comp && x + i0 == 0 && u + i0 == 0 && i1 - i0 == d.width && d.stride == s.stride)
		return (void)memmove(&d.At(0, y + j0), &s.At(0, v + j0), (size_t)std::max(j1 - j0, 0) * d.stride * 4);
	for (int j = j0; j < j1 && i1 > i0; j++) {
		std::vector<Pixel> row(&s.At(u + i0, v + j), &s.At(u + i0, v + j) + (i1 - i0));
		for (int i = i0; i < i1; i++) d.At(x + i, y + j) = comp ? comp(d.At(x + i, y + j), s.At(u + i, v + j)) : row[i - i0];
	}
}

TEST(Blits, EveryFormMatchesThePerPixelModel)
{
	std::mt19937 rng(5);
	auto in = [&](int lo, int hi) { return lo + (int)(rng() % (unsigned)(hi - lo + 1)); };
	for (int n = 0; n < 20000; n++) {
		int dw = n % 4 * 3, sw = n / 4 % 4 * 3, dh = in(0, 6), sh = in(0, 6), dpad = in(0, 1), spad = in(0, 1);
		bool self = n % 7 == 0, noclip = n % 3 == 0, whole = n % 5 < 2, composite = n % 2;
		GuardedBitmap got(dw, dh, 0, dpad), want(dw, dh, 0, dpad), gotsrc(sw, sh, 0, spad), wantsrc(sw, sh, 0, spad);
		for (size_t i = 0; i < got.memory.size(); i++) got.memory[i] = want.memory[i] = (Pixel)rng();
		for (size_t i = 0; i < gotsrc.memory.size(); i++) gotsrc.memory[i] = wantsrc.memory[i] = (Pixel)rng();
		GuardedBitmap &s = self ? got : gotsrc, &t = self ? want : wantsrc;
		int x = in(-4, dw), y = in(-4, dh), u = whole ? 0 : in(-4, s.width), v = whole ? 0 : in(-4, s.height);
		int w = whole ? s.width : n % 4 == 1 ? dw - (u = x) : in(-1, dw + 4), h = whole ? s.height : in(-1, dh + 4);
		if (noclip) {  // the rectangle the model keeps, inside both bitmaps
			int i0 = std::max({0, -x, -u}), j0 = std::max({0, -y, -v});
			x += i0, u += i0, y += j0, v += j0, w = std::min({w - i0, dw - x, s.width - u}), h = std::min({h - j0, dh - y, s.height - v});
			if (w <= 0 || h <= 0 || (whole && (w != s.width || h != s.height))) continue;
		}
		CompositionMode comp = composite ? (n % 3 ? FastHalfTransparentCompositionMode : DummyCompositionMode) : nullptr;
		Bitmap *d = &got.bitmap, *b = &s.bitmap;
		if (whole && noclip) composite ? CompositeBitmapNoClip(d, b, x, y, comp) : DrawBitmapNoClip(d, b, x, y);
		else if (whole) composite ? CompositeBitmap(d, b, x, y, comp) : DrawBitmap(d, b, x, y);
		else if (noclip) composite ? CompositePartialBitmapNoClip(d, b, x, y, u, v, w, h, comp) : DrawPartialBitmapNoClip(d, b, x, y, u, v, w, h);
		else composite ? CompositePartialBitmap(d, b, x, y, u, v, w, h, comp) : DrawPartialBitmap(d, b, x, y, u, v, w, h);
		Model(want, t, x, y, u, v, w, h, comp);
		ASSERT_EQ(Difference(got, want), "") << "trial " << n << ": (" << x << ", " << y << ") from (" << u << ", " << v << "), " << w << " x " << h;
	}
}
