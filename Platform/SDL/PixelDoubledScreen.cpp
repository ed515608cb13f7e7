// The pixel-doubled window over an SDL 1.2 video surface, and the full screen
// that F11 switches to: the display's own resolution with the picture at the
// largest whole scale that fits, centred on black. Pixels go into the
// surface unconverted, so the surface must keep red, green and blue where a
// Pixel has them (SDL's default 32-bit layout); the alpha byte is ignored.
#include "Platform/PixelDoubledScreen.h"
#include "Platform/PixelDoubling.h"
#include "Platform/SDL/FullScreen.h"
#include <SDL.h>
#include <cstdio>
#include <cstdlib>

static SDL_Surface *screensurface;
static Bitmap screenbitmap;  // a view of screensurface, valid only while it is locked
static Bitmap lowresbitmap;
// The display's size as it was before the window opened (SDL reports the
// window's mode after that); 0 where SDL cannot tell.
static int displaywidth, displayheight;
// While in full screen: the scale and where the picture's top-left lies on
// the surface. A scale of 0 is the window.
static struct
{
	int scale, x, y;
} fullscreen;

static SDL_Surface *OpenWindow()
{
	return SDL_SetVideoMode(2 * ScreenWidth(), 2 * ScreenHeight(), 32, SDL_HWSURFACE);
}

bool _InitializeScreen()
{
	const SDL_VideoInfo *info = SDL_GetVideoInfo();
	displaywidth = info ? info->current_w : 0;
	displayheight = info ? info->current_h : 0;
	screensurface = OpenWindow();
	if (!screensurface) {
		fprintf(stderr, "zEP: cannot open a %dx%d window with 32-bit pixels: %s\n", 2 * ScreenWidth(),
			2 * ScreenHeight(), SDL_GetError());
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

// The display at its own size (0x0 asks SDL for its current mode where the
// size is unknown), no mode change: a whole scale of 2 or more, never a
// stretch. The black around the picture is drawn here, once; the frames
// write the picture's area alone.
static bool EnterFullScreen()
{
	SDL_Surface *surface = SDL_SetVideoMode(displaywidth, displayheight, 32, SDL_HWSURFACE | SDL_FULLSCREEN);
	if (!surface) {
		fprintf(stderr, "zEP: cannot go full screen: %s\n", SDL_GetError());
		return false;
	}
	int scale = LargestScaleThatFits(surface->w, surface->h, ScreenWidth(), ScreenHeight());
	if (scale < 2) return false;
	screensurface = surface;
	fullscreen.scale = scale;
	fullscreen.x = (surface->w - scale * ScreenWidth()) / 2;
	fullscreen.y = (surface->h - scale * ScreenHeight()) / 2;
	SDL_FillRect(surface, nullptr, SDL_MapRGB(surface->format, 0, 0, 0));
	SDL_UpdateRect(surface, 0, 0, 0, 0);
	SDL_ShowCursor(SDL_DISABLE);
	return true;
}

bool ToggleFullScreen()
{
	if (!fullscreen.scale && EnterFullScreen()) return true;
	bool wasfull = fullscreen.scale != 0;
	fullscreen.scale = 0;
	screensurface = OpenWindow();
	if (!screensurface) {
		fprintf(stderr, "zEP: cannot open the %dx%d window again: %s\n", 2 * ScreenWidth(), 2 * ScreenHeight(),
			SDL_GetError());
		return false;
	}
	if (wasfull) {
		// SDL left the pointer in the middle of the display: back into the
		// window, or where focus follows the pointer the keys go elsewhere
		SDL_ShowCursor(SDL_ENABLE);
		SDL_WarpMouse((Uint16)ScreenWidth(), (Uint16)ScreenHeight());
	}
	return true;
}

Bitmap *StartScreenUpdates()
{
	return &lowresbitmap;
}

void EndScreenUpdates()
{
	if (!screensurface) return;
	int scale = fullscreen.scale, width = scale * ScreenWidth(), height = scale * ScreenHeight();
	// a surface that cannot be locked has no pixels to write this frame
	if (SDL_LockSurface(screensurface) == 0) {
		if (scale) {
			Pixel *origin = (Pixel *)((uint8_t *)screensurface->pixels + (size_t)fullscreen.y * screensurface->pitch) +
			                fullscreen.x;
			InitializeBitmap(&screenbitmap, width, height, screensurface->pitch, origin);
			CopyScaledPixels(&screenbitmap, &lowresbitmap, scale);
		} else {
			InitializeBitmap(&screenbitmap, screensurface->w, screensurface->h, screensurface->pitch,
				(Pixel *)screensurface->pixels);
			CopyDoubledPixels(&screenbitmap, &lowresbitmap);
		}
		SDL_UnlockSurface(screensurface);
	}
	if (scale) SDL_UpdateRect(screensurface, fullscreen.x, fullscreen.y, width, height);
	else SDL_UpdateRect(screensurface, 0, 0, screensurface->w, screensurface->h);
}
