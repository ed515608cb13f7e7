// Single-pixel writing, compositing and reading, clipped and NoClip.
// "Inside" is 0 <= x < width and 0 <= y < height.
#include "Graphics/Drawing.h"

static inline bool IsInside(Bitmap *bitmap, int x, int y)
{
	return x >= 0 && y >= 0 && x < bitmap->width && y < bitmap->height;
}

void DrawPixel(Bitmap *bitmap, int x, int y, Pixel c)
{
	if (IsInside(bitmap, x, y)) DrawPixelNoClip(bitmap, x, y, c);
}

void DrawPixelNoClip(Bitmap *bitmap, int x, int y, Pixel c) { *BitmapPixelPointer(bitmap, x, y) = c; }

void CompositePixel(Bitmap *bitmap, int x, int y, Pixel c, CompositionMode comp)
{
	if (IsInside(bitmap, x, y)) CompositePixelNoClip(bitmap, x, y, c, comp);
}

void CompositePixelNoClip(Bitmap *bitmap, int x, int y, Pixel c, CompositionMode comp)
{
	DrawPixelNoClip(bitmap, x, y, comp(ReadPixelNoClip(bitmap, x, y), c));
}

Pixel ReadPixel(Bitmap *bitmap, int x, int y)
{
	return IsInside(bitmap, x, y) ? ReadPixelNoClip(bitmap, x, y) : 0;
}

Pixel ReadPixelNoClip(Bitmap *bitmap, int x, int y) { return *BitmapPixelPointer(bitmap, x, y); }
