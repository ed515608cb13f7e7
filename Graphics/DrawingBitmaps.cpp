// Bitmap blits: rectangles copied with block moves (one move for a whole
// full-width picture between bitmaps of equal row length) or blended pixel by
// pixel. Clipping runs against the destination, then against the source.
#include <cstring>
#include "Graphics/Clipping.h"
#include "Graphics/Drawing.h"

static bool ClipBlit(Bitmap *dest, Bitmap *src, int *x, int *y, int *u, int *v, int *w, int *h)
{
	if (!ClipRectangle2(x, y, u, v, w, h, dest->width, dest->height)) return false;
	return ClipRectangle2(u, v, x, y, w, h, src->width, src->height);
}

void DrawBitmap(Bitmap *dest, Bitmap *src, int x, int y) { DrawPartialBitmap(dest, src, x, y, 0, 0, src->width, src->height); }

void DrawBitmapNoClip(Bitmap *dest, Bitmap *src, int x, int y)
{
	DrawPartialBitmapNoClip(dest, src, x, y, 0, 0, src->width, src->height);
}

void DrawPartialBitmap(Bitmap *dest, Bitmap *src, int x, int y, int u, int v, int w, int h)
{
	if (ClipBlit(dest, src, &x, &y, &u, &v, &w, &h)) DrawPartialBitmapNoClip(dest, src, x, y, u, v, w, h);
}

void DrawPartialBitmapNoClip(Bitmap *dest, Bitmap *src, int x, int y, int u, int v, int w, int h)
{
	if (w <= 0 || h <= 0) return;
	if (x == 0 && u == 0 && w == dest->width && src->bytesperrow == dest->bytesperrow) {
		memmove(BitmapRowPointer(dest, y), BitmapRowPointer(src, v), (size_t)src->bytesperrow * (size_t)h);
		return;
	}
	for (int j = 0; j < h; j++)
		memmove(BitmapPixelPointer(dest, x, y + j), BitmapPixelPointer(src, u, v + j), (size_t)w * 4);
}

void CompositeBitmap(Bitmap *dest, Bitmap *src, int x, int y, CompositionMode comp)
{
	CompositePartialBitmap(dest, src, x, y, 0, 0, src->width, src->height, comp);
}

void CompositeBitmapNoClip(Bitmap *dest, Bitmap *src, int x, int y, CompositionMode comp)
{
	CompositePartialBitmapNoClip(dest, src, x, y, 0, 0, src->width, src->height, comp);
}

void CompositePartialBitmap(Bitmap *dest, Bitmap *src, int x, int y, int u, int v, int w, int h, CompositionMode comp)
{
	if (ClipBlit(dest, src, &x, &y, &u, &v, &w, &h)) CompositePartialBitmapNoClip(dest, src, x, y, u, v, w, h, comp);
}

void CompositePartialBitmapNoClip(Bitmap *dest, Bitmap *src, int x, int y, int u, int v, int w, int h, CompositionMode comp)
{
	for (int j = 0; j < h; j++) {
		Pixel *d = BitmapPixelPointer(dest, x, y + j);
		Pixel *s = BitmapPixelPointer(src, u, v + j);
		for (int i = 0; i < w; i++) d[i] = comp(d[i], s[i]);
	}
}
