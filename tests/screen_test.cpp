// The pixel-doubled screen: every doubling and scaling path against "(x, y) becomes the
// k x k block at (kx, ky)" on guard-framed surfaces of many shapes, the full screen's
// scale for common displays, and F11 and Alt+Enter on SDL's dummy video driver.
#include <gtest/gtest.h>
#include <SDL.h>
#include <cstdlib>
#include <cstring>
#include <tuple>
#include "GuardedBitmap.h"
#include "Platform/Input.h"
#include "Platform/PixelDoubledScreen.h"
#include "Platform/PixelDoubling.h"

static Pixel Pattern(int x, int y) { return 0x80000000u | (uint32_t)y << 12 | (uint32_t)x; }

TEST(CopyScaledPixels, EveryPathScalesTwoToNineTimesIntoEveryShapeOfSurface)
{
	// source widths with and without a tail of fewer than 4 or 8 pixels; destination rows
	// exactly wide enough, padded by an odd number of pixels, or one pixel short; scale 2 is the doubling
	struct { int sw, sh, sa; } sources[] = {{16, 3, 16}, {13, 4, 15}, {5, 2, 8}, {1, 1, 1}, {24, 2, 27}};
	for (DoublingPath path : {DoublingPortable, DoublingSSE2, DoublingAVX2, DoublingSIMD128}) {
		if (!IsDoublingPathAvailable(path)) continue;
		for (int k = 1; k <= MaximumScale + 1; k++)
			for (auto s : sources)
				for (auto [dw, dh, pad] : {std::tuple{k * s.sw, k * s.sh, 0}, {k * s.sw + 2, k * s.sh + 1, 3},
						 {k * s.sw - 1, k * s.sh, 1}, {k * s.sw, k * s.sh - 1, 5}}) {
					SCOPED_TRACE(testing::Message() << "path " << path << ", scale " << k << ", " << s.sw << "x" << s.sh
									 << " into " << dw << "x" << dh << " padded by " << pad);
					GuardedBitmap src(s.sa, s.sh), dest(dw, dh, 0, pad), want(dw, dh, 0, pad), best(dw, dh, 0, pad);
					src.bitmap.width = (int16_t)s.sw;
					for (int y = 0; y < s.sh; y++)
						for (int x = 0; x < s.sw; x++) src.At(x, y) = Pattern(x, y);
					bool fits = k >= 2 && k <= 9 && k * s.sw <= dw && k * s.sh <= dh;
					for (int y = 0; fits && y < k * s.sh; y++)
						for (int x = 0; x < k * s.sw; x++) want.At(x, y) = Pattern(x / k, y / k);
					CopyScaledPixelsUsing(&dest.bitmap, &src.bitmap, k, path);
					ASSERT_EQ(Difference(dest, want), "");
					CopyScaledPixels(&best.bitmap, &src.bitmap, k);
					ASSERT_EQ(Difference(best, want), "");
				}
	}
}

TEST(CopyScaledPixels, TheFullScreensScaleIsTheLargestWholeOneThatFitsUpToNine)
{
	struct { int w, h, scale; } displays[] = {{1920, 1080, 4}, {1280, 1024, 4}, {1366, 768, 3}, {1280, 720, 3},
		{2560, 1440, 6}, {3840, 2160, 9}, {7680, 4320, 9}, {2879, 2160, 8}, {640, 480, 2}, {639, 480, 1},
		{640, 479, 1}, {319, 240, 0}, {0, 0, 0}};
	for (auto d : displays) EXPECT_EQ(LargestScaleThatFits(d.w, d.h, 320, 240), d.scale) << d.w << "x" << d.h;
}

// F11 and Alt+Enter, pushed as the events SDL makes of them, on the dummy driver
// pretending to be a 1290x970 display: there the picture is 4x at (5, 5).
TEST(FullScreen, F11AndAltEnterSwitchBetweenTheWindowAndTheWholeDisplay)
{
	ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO | SDL_INIT_TIMER), 0) << SDL_GetError();
	ASSERT_NE(SDL_SetVideoMode(1290, 970, 32, SDL_SWSURFACE), nullptr);
	ASSERT_TRUE(_InitializeScreen());
	Bitmap *drawing = StartScreenUpdates();
	for (int y = 0; y < 240; y++)
		for (int x = 0; x < 320; x++) *BitmapPixelPointer(drawing, x, y) = Pattern(x, y);
	auto press = [](SDLKey key, SDLMod mod) {
		SDL_Event event = {};
		event.type = SDL_KEYDOWN;
		event.key.state = SDL_PRESSED;
		event.key.keysym.sym = key;
		event.key.keysym.mod = mod;
		ASSERT_EQ(SDL_PushEvent(&event), 0);
		ASSERT_TRUE(HandleInput());
	};
	// every pixel of the surface, checked against the picture at scale k and (x0, y0), black around
	auto expect = [](int w, int h, bool full, int k, int x0, int y0) {
		SDL_Surface *surface = SDL_GetVideoSurface();
		ASSERT_EQ(surface->w, w);
		ASSERT_EQ(surface->h, h);
		ASSERT_EQ((surface->flags & SDL_FULLSCREEN) != 0, full);
		for (int y = 0; y < h; y++)
			for (int x = 0; x < w; x++) {
				Pixel got = ((Pixel *)((uint8_t *)surface->pixels + y * surface->pitch))[x];
				bool inside = x >= x0 && y >= y0 && x < x0 + 320 * k && y < y0 + 240 * k;
				ASSERT_EQ(got, inside ? Pattern((x - x0) / k, (y - y0) / k) : 0u) << "(" << x << ", " << y << ")";
			}
	};
	EndScreenUpdates();
	expect(640, 480, false, 2, 0, 0);
	press(SDLK_RETURN, KMOD_NONE);  // Return alone is a button
	press(SDLK_F12, KMOD_NONE);
	expect(640, 480, false, 2, 0, 0);

	press(SDLK_F11, KMOD_NONE);
	SDL_Surface *surface = SDL_GetVideoSurface();
	ASSERT_EQ(surface->w, 1290);
	// the surface outside the picture is cleared once, not by every frame
	std::fill_n((Pixel *)surface->pixels, 1290 * 5, 0xFFFFFFFFu);
	EndScreenUpdates();
	for (int x = 0; x < 1290; x++) ASSERT_EQ(((Pixel *)surface->pixels)[x], 0xFFFFFFFFu);
	std::fill_n((Pixel *)surface->pixels, 1290 * 5, 0u);
	expect(1290, 970, true, 4, 5, 5);

	press(SDLK_F11, KMOD_NONE);
	EndScreenUpdates();
	expect(640, 480, false, 2, 0, 0);
	press(SDLK_RETURN, KMOD_RALT);
	EndScreenUpdates();
	expect(1290, 970, true, 4, 5, 5);
	press(SDLK_RETURN, KMOD_LALT);
	EndScreenUpdates();
	expect(640, 480, false, 2, 0, 0);

	// the keys are no buttons: F11 has none, and Return held with Alt is not Return
	Uint8 *keys = SDL_GetKeyState(nullptr);
	keys[SDLK_F11] = keys[SDLK_RETURN] = 1;
	EXPECT_EQ(GetButtonState(), ReturnButton);
	keys[SDLK_LALT] = 1;
	EXPECT_EQ(GetButtonState(), 0u);
	keys[SDLK_LALT] = 0, keys[SDLK_RALT] = 1;
	EXPECT_EQ(GetButtonState(), 0u);
	SDL_Quit();
}
