// The pixel-doubled screen: every doubling path against "(x, y) becomes the 2x2 block at
// (2x, 2y)" on guard-framed surfaces of many shapes, and frames on SDL's dummy video driver.
#include <gtest/gtest.h>
#include <SDL.h>
#include <cstdlib>
#include <cstring>
#include "GuardedBitmap.h"
#include "Platform/PixelDoubledScreen.h"
#include "Platform/PixelDoubling.h"

static Pixel Pattern(int x, int y) { return 0x80000000u | (uint32_t)y << 12 | (uint32_t)x; }

TEST(CopyDoubledPixels, EveryPathDoublesIntoEveryShapeOfSurface)
{
	// sizes and allocated row widths: odd ones misalign every other row, wider ones pad
	struct { int sw, sh, sa, dw, dh, da; } shapes[] = {{320, 240, 320, 640, 480, 640}, {320, 240, 320, 640, 480, 641},
		{320, 240, 336, 700, 500, 704}, {13, 7, 15, 26, 14, 26}, {5, 3, 8, 11, 6, 12},
		// too small in one direction: nothing at all is written
		{320, 240, 320, 639, 480, 640}, {320, 240, 320, 1000, 479, 1000}, {7, 2, 7, 13, 4, 13}};
	for (DoublingPath path : {DoublingPortable, DoublingSSE2, DoublingAVX2, DoublingSIMD128}) {
		if (!IsDoublingPathAvailable(path)) continue;
		for (auto s : shapes) {
			SCOPED_TRACE(testing::Message() << "path " << path << ", " << s.dw << "x" << s.dh << " in rows of " << s.da);
			GuardedBitmap src(s.sa, s.sh), dest(s.da, s.dh), want(s.da, s.dh), best(s.da, s.dh);
			src.bitmap.width = (int16_t)s.sw;
			dest.bitmap.width = best.bitmap.width = (int16_t)s.dw;
			for (int y = 0; y < s.sh; y++)
				for (int x = 0; x < s.sw; x++) *BitmapPixelPointer(&src.bitmap, x, y) = Pattern(x, y);
			bool fits = 2 * s.sw <= s.dw && 2 * s.sh <= s.dh;
			for (int y = 0; fits && y < 2 * s.sh; y++)
				for (int x = 0; x < 2 * s.sw; x++) *BitmapPixelPointer(&want.bitmap, x, y) = Pattern(x / 2, y / 2);
			CopyDoubledPixelsUsing(&dest.bitmap, &src.bitmap, path);
			ASSERT_EQ(dest.memory, want.memory);
			CopyDoubledPixels(&best.bitmap, &src.bitmap);
			ASSERT_EQ(best.memory, want.memory);
		}
	}
}

