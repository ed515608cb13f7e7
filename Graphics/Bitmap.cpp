// Out-of-line bitmap operations: set-up, clearing and filling whole bitmaps.
#include "Graphics/Bitmap.h"
#include <cstring>

void InitializeBitmap(Bitmap *self, int width, int height, int bytesperrow, Pixel *pixels)
{
	self->width = (int16_t)width;
	self->height = (int16_t)height;
	self->bytesperrow = bytesperrow;
	self->pixels = pixels;
}

void ClearBitmap(Bitmap *self)
{
	// whole rows, padding included, in one run; a size below 0 (as a 16-bit
	// field truncates a large one) is empty rather than a huge run
	if (self->width < 0 || self->height < 0 || self->bytesperrow < 0) return;
	memset(self->pixels, 0, (size_t)self->height * (size_t)self->bytesperrow);
}

void FillBitmap(Bitmap *self, uint32_t c)
{
	for (int y = 0; y < self->height; y++) {
		Pixel *row = BitmapRowPointer(self, y);
		for (int x = 0; x < self->width; x++) row[x] = c;
	}
}
