// The screen the game draws on: each frame goes into a 320x240 bitmap in
// ordinary memory, and EndScreenUpdates shows it, every pixel doubled both
// ways or more (the desktop's 640x480 window, the browser's canvas). Each
// platform implements it; the game knows nothing of windows.
#pragma once
#include "Graphics/Bitmap.h"

static inline int ScreenWidth() { return 320; }
static inline int ScreenHeight() { return 240; }

// Opens the window and allocates the drawing bitmap, once, after the
// platform has started.
// On failure it says why in one line on stderr and returns false.
[[nodiscard]] bool _InitializeScreen();

// The drawing bitmap; it still holds the previous frame, nothing is cleared.
Bitmap *StartScreenUpdates();
// Doubles the drawing bitmap into the window and presents it.
void EndScreenUpdates();
