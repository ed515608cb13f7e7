// Horizontal and vertical lines. Even the NoClip forms lose the pixels that
// stray outside the bitmap instead of writing there (fonts and filled RLE
// images rely on that); they do it by trimming the span once, which writes
// exactly the pixels a per-pixel test would.
#include "Graphics/Clipping.h"
#include "Graphics/Drawing.h"

// Trims a span along an axis of size max; false when nothing is left.
static inline bool TrimSpan(int *start, int *len, int max)
{
	if (*len <= 0 || IsSpanCompletelyOutside(*start, *len, max)) return false;
	AdjustSpan(start, len, max);
	return true;
}

void DrawHorizontalLine(Bitmap *bitmap, int x, int y, int len, Pixel c)
{
	if (ClipLine(&x, &y, &len, bitmap->width, bitmap->height)) DrawHorizontalLineNoClip(bitmap, x, y, len, c);
}

void DrawHorizontalLineNoClip(Bitmap *bitmap, int x, int y, int len, Pixel c)
{
	if (y < 0 || y >= bitmap->height || !TrimSpan(&x, &len, bitmap->width)) return;
	Pixel *p = BitmapPixelPointer(bitmap, x, y);
	for (int i = 0; i < len; i++) p[i] = c;
}

void CompositeHorizontalLine(Bitmap *bitmap, int x, int y, int len, Pixel c, CompositionMode comp)
{
	if (ClipLine(&x, &y, &len, bitmap->width, bitmap->height)) CompositeHorizontalLineNoClip(bitmap, x, y, len, c, comp);
}

void CompositeHorizontalLineNoClip(Bitmap *bitmap, int x, int y, int len, Pixel c, CompositionMode comp)
{
	if (y < 0 || y >= bitmap->height || !TrimSpan(&x, &len, bitmap->width)) return;
	Pixel *p = BitmapPixelPointer(bitmap, x, y);
	for (int i = 0; i < len; i++) p[i] = comp(p[i], c);
}

void DrawVerticalLine(Bitmap *bitmap, int x, int y, int len, Pixel c)
{
	if (ClipLine(&y, &x, &len, bitmap->height, bitmap->width)) DrawVerticalLineNoClip(bitmap, x, y, len, c);
}

void DrawVerticalLineNoClip(Bitmap *bitmap, int x, int y, int len, Pixel c)
{
	if (x < 0 || x >= bitmap->width || !TrimSpan(&y, &len, bitmap->height)) return;
	for (int i = 0; i < len; i++) *BitmapPixelPointer(bitmap, x, y + i) = c;
}

void CompositeVerticalLine(Bitmap *bitmap, int x, int y, int len, Pixel c, CompositionMode comp)
{
	if (ClipLine(&y, &x, &len, bitmap->height, bitmap->width)) CompositeVerticalLineNoClip(bitmap, x, y, len, c, comp);
}

void CompositeVerticalLineNoClip(Bitmap *bitmap, int x, int y, int len, Pixel c, CompositionMode comp)
{
	if (x < 0 || x >= bitmap->width || !TrimSpan(&y, &len, bitmap->height)) return;
	for (int i = 0; i < len; i++) {
		Pixel *p = BitmapPixelPointer(bitmap, x, y + i);
		*p = comp(*p, c);
	}
}
