// The window and the drawing bitmap: the game draws each frame into a
// 320x240 bitmap in ordinary memory, and EndScreenUpdates shows it in a
// 640x480 32-bit SDL window with every pixel doubled both ways. The only code
// that touches the SDL video surface. Needs SDL with video initialised.
#pragma once
#include "Graphics/Bitmap.h"

static inline int ScreenWidth() { return 320; }
static inline int ScreenHeight() { return 240; }

// Opens the window and allocates the drawing bitmap, once, after SDL_Init.
// On failure it says why in one line on stderr and returns false.
[[nodiscard]] bool _InitializeScreen();

// The drawing bitmap; it still holds the previous frame, nothing is cleared.
Bitmap *StartScreenUpdates();
// Doubles the drawing bitmap into the window and presents it.
void EndScreenUpdates();

// Each src pixel becomes a 2x2 block at (2x, 2y) of dest; dest rows are
// reached through its bytesperrow. Writes nothing at all when dest is
// smaller than twice src either way. Uses the fastest of the paths below
// that the CPU runs, chosen on the first call.
void CopyDoubledPixels(Bitmap *dest, Bitmap *src);

// The ways this build can double: plain 64-bit stores on every CPU, and
// vector stores on x86-64 (SSE2 always, AVX2 where the CPU has it) and in a
// wasm build with SIMD. All give the same bytes; tests compare each
// available one with the others.
enum DoublingPath { DoublingPortable, DoublingSSE2, DoublingAVX2, DoublingSIMD128 };
bool IsDoublingPathAvailable(DoublingPath path);
// CopyDoubledPixels through the given path, which must be available.
void CopyDoubledPixelsUsing(Bitmap *dest, Bitmap *src, DoublingPath path);
