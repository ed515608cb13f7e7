// The pixel-doubled window over an SDL 1.2 video surface. Pixels go into the
// surface unconverted, so the surface must keep red, green and blue where a
// Pixel has them (SDL's default 32-bit layout); the alpha byte is ignored.
#include "Platform/PixelDoubledScreen.h"
#include "Platform/PixelDoubling.h"
#include <SDL.h>
#include <cstdio>
#include <cstdlib>

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
