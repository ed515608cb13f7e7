// The RLE encoder: turns a bitmap, or a rectangle of one, into spans of
// skipped transparent pixels and stored opaque ones. Pixels are read with the
// clipped ReadPixel, so a rectangle reaching past the bitmap encodes its
// outside part as transparent. The size function walks the same runs.
#include "Graphics/RLEBitmap.h"
#include "Graphics/Drawing.h"

// Finds the next span of row y starting at *x: the empty run, then the filled
// run, each at most MaximumRunLength long. Returns where the filled run starts.
static int NextSpan(Bitmap *bitmap, int x0, int y, int width, int *x, int *emptylength)
{
	int emptystart = *x;
	while (*x < width && *x - emptystart < MaximumRunLength() && IsPixelTransparent(ReadPixel(bitmap, x0 + *x, y))) (*x)++;
	int filledstart = *x;
	while (*x < width && *x - filledstart < MaximumRunLength() && !IsPixelTransparent(ReadPixel(bitmap, x0 + *x, y))) (*x)++;
	*emptylength = filledstart - emptystart;
	return filledstart;
}

size_t SizeOfRLEBitmapFromBitmap(Bitmap *bitmap)
{
	return SizeOfRLEBitmapFromPartialBitmap(bitmap, 0, 0, bitmap->width, bitmap->height);
}

size_t SizeOfRLEBitmapFromPartialBitmap(Bitmap *bitmap, int x0, int y0, int width, int height)
{
	size_t words = 2;
	for (int y = 0; y < height; y++) {
		int x = 0, empty;
		while (x < width) {
			int filledstart = NextSpan(bitmap, x0, y0 + y, width, &x, &empty);
			words += 1 + (size_t)(x - filledstart);
		}
	}
	return words * 4;
}

void InitializeRLEBitmapFromBitmap(RLEBitmap *self, Bitmap *bitmap)
{
	InitializeRLEBitmapFromPartialBitmap(self, bitmap, 0, 0, bitmap->width, bitmap->height);
}

void InitializeRLEBitmapFromPartialBitmap(RLEBitmap *self, Bitmap *bitmap, int x0, int y0, int width, int height)
{
	self->width = width;
	self->height = height;
	Pixel *out = RLEBitmapRows(self);
	for (int y = 0; y < height; y++) {
		int x = 0, empty;
		while (x < width) {
			int filledstart = NextSpan(bitmap, x0, y0 + y, width, &x, &empty);
			*out++ = PackRunLengths(empty, x - filledstart);
			for (int i = filledstart; i < x; i++) *out++ = ReadPixelNoClip(bitmap, x0 + i, y0 + y);
		}
	}
}
