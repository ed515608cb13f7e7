// Doubling the drawing bitmap into a bigger one, or scaling it by a larger
// whole number, apart from any window so that the screens of every platform,
// the tests and the benchmarks share it.
#pragma once
#include "Graphics/Bitmap.h"

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

// Each src pixel becomes a scale x scale block at (scale x, scale y) of dest,
// for a scale of 2 (CopyDoubledPixels) to MaximumScale; writes nothing at all
// for any other scale or when dest is smaller than scale times src either way.
constexpr int MaximumScale = 9;
void CopyScaledPixels(Bitmap *dest, Bitmap *src, int scale);
// The same through the given path, which must be available.
void CopyScaledPixelsUsing(Bitmap *dest, Bitmap *src, int scale, DoublingPath path);
// The largest whole scale, at most MaximumScale, at which a width x height
// picture fits a screenwidth x screenheight screen; 0 when it does not fit
// even once.
[[nodiscard]] int LargestScaleThatFits(int screenwidth, int screenheight, int width, int height);
