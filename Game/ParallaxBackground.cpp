// Drawing the night sky: at most eight clipped RLE draws a frame. A band is
// kept above its end row by drawing into a copy of the screen record with a
// shorter height, so no row is tested twice.
#include "Game/ParallaxBackground.h"
#include "Game/Game.h"
#include "Graphics/Drawing.h"
#include "Platform/ResourceBundle.h"

constexpr int WrapWidth = 512, WrapMask = 511;

void InitializeParallaxBackground(ParallaxBackground *self, const char *file1, const char *file2, const char *file3,
	const char *file4, int start1, int start2, int start3, int start4, int end1, int end2, int end3, int end4)
{
	const char *files[4] = {file1, file2, file3, file4};
	const int starts[4] = {start1, start2, start3, start4}, ends[4] = {end1, end2, end3, end4};
	for (int i = 0; i < 4; i++) {
		RLEBitmap **frames = (RLEBitmap **)DataForResourceWithName(game.resources, files[i], nullptr);
		self->layers[i] = frames ? frames[0] : nullptr;
		self->startheight[i] = starts[i];
		self->endheight[i] = ends[i];
	}
}

void DrawParallaxBackground(ParallaxBackground *self, Bitmap *screen, int x0)
{
	Bitmap band = *screen;
	for (int i = 0; i < 4; i++) {
		if (!self->layers[i]) continue;
		int x1 = -((x0 / (4 - i)) & WrapMask);
		// never taller than the screen itself, whatever a band claims
		int height = self->endheight[i] + 1;
		band.height = (int16_t)(height < screen->height ? height : screen->height);
		DrawRLEBitmap(&band, self->layers[i], x1, 0);
		if (x1 + WrapWidth < screen->width) DrawRLEBitmap(&band, self->layers[i], x1 + WrapWidth, 0);
	}
}
