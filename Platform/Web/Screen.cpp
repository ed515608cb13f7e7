// The pixel-doubled screen on a 640x480 canvas. A canvas wants its bytes in
// red, green, blue, alpha order where a Pixel holds blue first in memory, so
// each frame is swapped into canvas order (opaque) at 320x240 and then
// doubled by the same copy as the desktop window's.
#include "Platform/SDL/PixelDoubledScreen.h"
#include <cstdio>
#include <cstdlib>
#include "Platform/Web/Web.h"

static Bitmap lowresbitmap, canvasorder, window;

static bool AllocateBitmap(Bitmap *self, int width, int height)
{
	int bytesperrow = BytesPerRowForWidth(width);
	Pixel *block = (Pixel *)malloc((size_t)bytesperrow * (size_t)height);
	if (block) InitializeBitmap(self, width, height, bytesperrow, block);
	return block != nullptr;
}

bool _InitializeScreen()
{
	if (AllocateBitmap(&lowresbitmap, ScreenWidth(), ScreenHeight()) &&
		AllocateBitmap(&canvasorder, ScreenWidth(), ScreenHeight()) &&
		AllocateBitmap(&window, 2 * ScreenWidth(), 2 * ScreenHeight()))
		return true;
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
	CopyDoubledPixels(&window, &canvasorder);
	zep_present(window.pixels);
}
