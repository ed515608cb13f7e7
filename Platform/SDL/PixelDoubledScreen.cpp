// The pixel-doubled window over an SDL 1.2 video surface. Pixels go into the
// surface unconverted, so the surface must keep red, green and blue where a
// Pixel has them (SDL's default 32-bit layout); the alpha byte is ignored.
#include "Platform/SDL/PixelDoubledScreen.h"
#include <SDL.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>

static SDL_Surface *screensurface;
static Bitmap screenbitmap;  // a view of screensurface, valid only while it is locked
static Bitmap lowresbitmap;

bool _InitializeScreen()
{
	int width = 2 * ScreenWidth(), height = 2 * ScreenHeight();
	screensurface = SDL_SetVideoMode(width, height, 32, SDL_HWSURFACE);
	if (!screensurface) {
		fprintf(stderr, "zEP: cannot open a %dx%d window with 32-bit pixels: %s\n", width, height, SDL_GetError());
		return false;
	}
	int bytesperrow = BytesPerRowForWidth(ScreenWidth());
	Pixel *block = (Pixel *)malloc((size_t)bytesperrow * (size_t)ScreenHeight());
	if (!block) {
		fprintf(stderr, "zEP: cannot allocate the %dx%d drawing bitmap\n", ScreenWidth(), ScreenHeight());
		return false;
	}
	InitializeBitmap(&lowresbitmap, ScreenWidth(), ScreenHeight(), bytesperrow, block);
	return true;
}

Bitmap *StartScreenUpdates()
{
	return &lowresbitmap;
}

void EndScreenUpdates()
{
	// a surface that cannot be locked has no pixels to write this frame
	if (SDL_LockSurface(screensurface) == 0) {
		InitializeBitmap(&screenbitmap, screensurface->w, screensurface->h, screensurface->pitch,
			(Pixel *)screensurface->pixels);
		CopyDoubledPixels(&screenbitmap, &lowresbitmap);
		SDL_UnlockSurface(screensurface);
	}
	SDL_UpdateRect(screensurface, 0, 0, screensurface->w, screensurface->h);
}

void CopyDoubledPixels(Bitmap *dest, Bitmap *src)
{
	// held in locals: the stores could otherwise alias the records
	int width = src->width, height = src->height;
	if (2 * width > dest->width || 2 * height > dest->height) return;
	for (int y = 0; y < height; y++) {
		const Pixel *in = BitmapRowPointer(src, y);
		uint8_t *out0 = (uint8_t *)BitmapRowPointer(dest, 2 * y);
		uint8_t *out1 = (uint8_t *)BitmapRowPointer(dest, 2 * y + 1);
		for (int x = 0; x < width; x++) {
			uint64_t pair = (uint64_t)in[x] * 0x100000001u;
			// memcpy: one 64-bit store each, at any pitch, without aliasing
			// the surface's 32-bit pixels through a 64-bit pointer
			memcpy(out0 + 8 * x, &pair, 8);
			memcpy(out1 + 8 * x, &pair, 8);
		}
	}
}
