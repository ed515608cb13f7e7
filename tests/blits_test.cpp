// Every blit form against a per-pixel model, at random positions and sizes,
// between bitmaps of equal and of different row lengths and onto themselves.
#include <gtest/gtest.h>
#include <algorithm>
#include <cstring>
#include "GuardedBitmap.h"

// Clipping keeps exactly the pixels inside both bitmaps. A full-width copy
// between equal row lengths moves whole rows, their padding included; other
// copies move row by row from the top; composites go pixel by pixel.
static void Model(GuardedBitmap &d, GuardedBitmap &s, int x, int y, int u, int v, int w, int h, CompositionMode comp)
{
	int i0 = std::max({0, -x, -u}), i1 = std::min({w, d.width - x, s.width - u});
	int j0 = std::max({0, -y, -v}), j1 = std::min({h, d.height - y, s.height - v});
	if (i1 <= i0 || j1 <= j0) return;
	if (!comp && x + i0 == 0 && u + i0 == 0 && i1 - i0 == d.width && d.stride == s.stride) {
		memmove(&d.At(0, y + j0), &s.At(0, v + j0), (size_t)(j1 - j0) * d.stride * 4);
		return;
	}
	for (int j = j0; j < j1; j++) {
		std::vector<Pixel> row(&s.At(u + i0, v + j), &s.At(u + i0, v + j) + (i1 - i0));
		for (int i = i0; i < i1; i++)
			d.At(x + i, y + j) = comp ? comp(d.At(x + i, y + j), s.At(u + i, v + j)) : row[i - i0];
	}
}

TEST(Blits, EveryFormMatchesThePerPixelModel)
{
	std::mt19937 rng(5);
	auto in = [&](int lo, int hi) { return lo + (int)(rng() % (unsigned)(hi - lo + 1)); };
	const int widths[] = {0, 1, 6, 9};
	for (int n = 0; n < 20000; n++) {
		int dw = widths[n % 4], dh = in(0, 6), sw = widths[n / 4 % 4], sh = in(0, 6), pad = in(0, 1);
		bool self = n % 7 == 0, noclip = n % 3 == 0, whole = n % 5 < 2, composite = n % 2;
		GuardedBitmap got(dw, dh, 0, pad), want(dw, dh, 0, pad);
		GuardedBitmap gotsrc(sw, sh, 0, in(0, 1)), wantsrc(sw, sh, 0, gotsrc.stride - sw - 2 * gotsrc.border);
		got.Randomise(rng), gotsrc.Randomise(rng);
		want.memory = got.memory, wantsrc.memory = gotsrc.memory;
		GuardedBitmap &s = self ? got : gotsrc, &t = self ? want : wantsrc;
		int x = in(-4, dw), y = in(-4, dh), u = whole ? 0 : in(-4, s.width), v = whole ? 0 : in(-4, s.height);
		int w = whole ? s.width : in(-1, dw + 4), h = whole ? s.height : in(-1, dh + 4);
		if (n % 4 == 1 && !whole) u = x, w = dw - x;
		if (noclip) {  // the model's clipped rectangle, inside both
			int i0 = std::max({0, -x, -u}), j0 = std::max({0, -y, -v});
			x += i0, u += i0, y += j0, v += j0, w = std::min({w - i0, dw - x, s.width - u}), h = std::min({h - j0, dh - y, s.height - v});
			if (w <= 0 || h <= 0 || (whole && (w != s.width || h != s.height))) continue;
		}
		CompositionMode comp = composite ? (n % 3 ? FastHalfTransparentCompositionMode : DummyCompositionMode) : nullptr;
		if (whole && noclip) composite ? CompositeBitmapNoClip(&got.bitmap, &s.bitmap, x, y, comp) : DrawBitmapNoClip(&got.bitmap, &s.bitmap, x, y);
		else if (whole) composite ? CompositeBitmap(&got.bitmap, &s.bitmap, x, y, comp) : DrawBitmap(&got.bitmap, &s.bitmap, x, y);
		else if (noclip) composite ? CompositePartialBitmapNoClip(&got.bitmap, &s.bitmap, x, y, u, v, w, h, comp) : DrawPartialBitmapNoClip(&got.bitmap, &s.bitmap, x, y, u, v, w, h);
		else composite ? CompositePartialBitmap(&got.bitmap, &s.bitmap, x, y, u, v, w, h, comp) : DrawPartialBitmap(&got.bitmap, &s.bitmap, x, y, u, v, w, h);
		Model(want, t, x, y, u, v, w, h, comp);
		ASSERT_EQ(Difference(got, want), "") << "trial " << n << ": (" << x << ", " << y << ") from (" << u << ", " << v << "), " << w << " x " << h;
	}
}
