// The pixel-doubled screen on a canvas. The canvas holds the 320x240 frame
// and the page shows it at whole multiples of 640x480 without smoothing, so
// the browser doubles it: a quarter of the bytes to hand over each frame. A
// canvas wants red, green, blue, alpha in memory where a Pixel has blue
// first, so each frame is swapped into canvas order, opaque.
#include "Platform/PixelDoubledScreen.h"
#include <cstdio>
#include <cstdlib>
#include "Platform/Web/Web.h"

static Bitmap lowresbitmap, canvasorder;

static bool AllocateBitmap(Bitmap *self)
{
	int bytesperrow = BytesPerRowForWidth(ScreenWidth());
	Pixel *block = (Pixel *)malloc((size_t)bytesperrow * (size_t)ScreenHeight());
	if (block) InitializeBitmap(self, ScreenWidth(), ScreenHeight(), bytesperrow, block);
	return block != nullptr;
}

bool _InitializeScreen()
{
	if (AllocateBitmap(&lowresbitmap) && AllocateBitmap(&canvasorder)) return true;
	fprintf(stderr, "zEP: cannot allocate the screen bitmaps\n");
	return false;
}

Bitmap *StartScreenUpdates()
{
	return &lowresbitmap;
}

void EndScreenUpdates()
{
	for (int y = 0; y < lowresbitmap.height; y++) {
		const Pixel *in = BitmapRowPointer(&lowresbitmap, y);
		Pixel *out = BitmapRowPointer(&canvasorder, y);
		for (int x = 0; x < lowresbitmap.width; x++) {
			Pixel p = in[x];
			out[x] = 0xff000000u | (p & 0x00ff00u) | ((p >> 16) & 0xffu) | ((p & 0xffu) << 16);
		}
	}
	zep_present(canvasorder.pixels, canvasorder.width, canvasorder.height);
}
