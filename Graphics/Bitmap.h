// Bitmap: a view of rows of 32-bit pixels that it does not own. Rows may be
// padded (a window surface keeps its own pitch), so rows are always reached
// through bytesperrow.
#pragma once
#include <cstddef>
#include <cstdint>
#include "Graphics/Pixels/BGRA32.h"

struct Bitmap
{
	int16_t width, height;
	int32_t bytesperrow;
	Pixel *pixels;
};

static inline int BytesPerRowForWidth(int width) { return (4 * width + 3) & ~3; }

static inline Pixel *BitmapRowPointer(Bitmap *self, int y)
{
	return (Pixel *)((uint8_t *)self->pixels + (ptrdiff_t)y * self->bytesperrow);
}

static inline Pixel *BitmapPixelPointer(Bitmap *self, int x, int y)
{
	return BitmapRowPointer(self, y) + x;
}

void InitializeBitmap(Bitmap *self, int width, int height, int bytesperrow, Pixel *pixels);
void ClearBitmap(Bitmap *self);
void FillBitmap(Bitmap *self, uint32_t c);
