// The top loop. Until the game itself exists it shows a test card of the
// engine's drawing at 60 frames per second, until Escape or the window is
// closed. Needs SDL, the screen and the frame rate manager.
#include "Game/Main.h"
#include "Game/FrameRateManager.h"
#include "Graphics/Bitmap.h"
#include "Platform/SDL/PixelDoubledScreen.h"

static void DrawTestCard(Bitmap *screen, uint32_t frame)
{
	FillBitmap(screen, 0xFF101830u);
	// a bar sweeping one pixel per frame shows the pacing
	int x = (int)(frame % (uint32_t)screen->width);
	for (int y = 0; y < screen->height; y++) *BitmapPixelPointer(screen, x, y) = 0xFFFFFFFFu;
}

void EntryPoint()
{
	FrameRateManager framerate;
	InitializeFrameRateManager(&framerate, 60, 0);
	for (uint32_t frame = 0;; frame++) {
		if (!HandleInput()) return;
		uint32_t state = GetButtonState();
		if ((int32_t)state < 0) return;
		BeginFrame(&framerate);
		SleepUntilFrameStart(&framerate);
		DrawTestCard(StartScreenUpdates(), frame);
		EndScreenUpdates();
	}
}
