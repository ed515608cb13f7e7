// Drawing of RLE images: the renderer's hot path. Transparent runs are
// skipped in one step and each opaque run of the plain kind is one block copy,
// so the cost follows the opaque pixels. Vertical clipping happens once per
// image; per-run horizontal clipping is paid only by images that straddle the
// left or right edge.
#include <cstring>
#include "Graphics/Clipping.h"
#include "Graphics/Drawing.h"

static const Pixel *SkipRLERows(const Pixel *rows, int width, int n)
{
	for (int r = 0; r < n; r++) {
		for (int pos = 0; pos < width;) {
			Pixel span = *rows++;
			rows += FilledSpanLength(span);
			pos += EmptySpanLength(span) + FilledSpanLength(span);
		}
	}
	return rows;
}

static void AdjustRLERows(const Pixel **rows, int width, int *height, int *y, int maxheight)
{
	if (*y + *height > maxheight) *height = maxheight - *y;
	if (*y < 0) {
		*rows = SkipRLERows(*rows, width, -*y);
		*height += *y;
		*y = 0;
	}
}

// The four kinds differ only in what they do with one run; the row walk is
// shared and the run action is inlined into each instantiation.
template <typename RunAction>
static inline void WalkRLERows(Bitmap *bitmap, const Pixel *rows, int width, int height, int x0, int y0, RunAction run)
{
	for (int r = 0; r < height; r++) {
		Pixel *dest = BitmapRowPointer(bitmap, y0 + r);
		for (int pos = 0; pos < width;) {
			Pixel span = *rows++;
			int empty = EmptySpanLength(span), filled = FilledSpanLength(span);
			run(dest, y0 + r, x0 + pos + empty, rows, filled);
			rows += filled;
			pos += empty + filled;
		}
	}
}

// Sprite runs are mostly short, where a call to memcpy costs more than the
// copy and a loop over the length mispredicts: a short run is copied as two
// fixed-size blocks, one from each end, which overlap in the middle.
static inline void CopyRun(Pixel *dest, const Pixel *src, int n)
{
	if (n > 16) memcpy(dest, src, (size_t)n * 4);
	else if (n >= 8) {
		memcpy(dest, src, 32);
		memcpy(dest + n - 8, src + n - 8, 32);
	} else if (n >= 4) {
		memcpy(dest, src, 16);
		memcpy(dest + n - 4, src + n - 4, 16);
	} else if (n >= 2) {
		memcpy(dest, src, 8);
		memcpy(dest + n - 2, src + n - 2, 8);
	} else if (n == 1) dest[0] = src[0];
}

// Cuts a run at start..start+num against [0, max); false when nothing is left.
static inline bool ClipRun(int *start, int *num, int *skip, int max)
{
	*skip = 0;
	if (*start + *num > max) *num = max - *start;
	if (*start < 0) {
		*skip = -*start;
		*num -= *skip;
	}
	return *num > 0;
}

static void DrawRLEBitmapRowsNoClip(Bitmap *bitmap, const Pixel *rows, int width, int height, int x0, int y0)
{
	WalkRLERows(bitmap, rows, width, height, x0, y0, [](Pixel *dest, int, int start, const Pixel *pixels, int filled) {
		CopyRun(dest + start, pixels, filled);
	});
}

static void DrawRLEBitmapRows(Bitmap *bitmap, const Pixel *rows, int width, int height, int x0, int y0)
{
	int max = bitmap->width;
	WalkRLERows(bitmap, rows, width, height, x0, y0, [max](Pixel *dest, int, int start, const Pixel *pixels, int num) {
		int skip;
		if (ClipRun(&start, &num, &skip, max)) CopyRun(dest + start + skip, pixels + skip, num);
	});
}

static void CompositeRLEBitmapRowsNoClip(Bitmap *bitmap, const Pixel *rows, int width, int height, int x0, int y0,
	CompositionMode mode)
{
	WalkRLERows(bitmap, rows, width, height, x0, y0, [mode](Pixel *dest, int, int start, const Pixel *pixels, int filled) {
		for (int i = 0; i < filled; i++) dest[start + i] = mode(dest[start + i], pixels[i]);
	});
}

static void CompositeRLEBitmapRows(Bitmap *bitmap, const Pixel *rows, int width, int height, int x0, int y0,
	CompositionMode mode)
{
	int max = bitmap->width;
	WalkRLERows(bitmap, rows, width, height, x0, y0, [max, mode](Pixel *dest, int, int start, const Pixel *pixels, int num) {
		int skip;
		if (!ClipRun(&start, &num, &skip, max)) return;
		for (int i = skip; i < skip + num; i++) dest[start + i] = mode(dest[start + i], pixels[i]);
	});
}

static void DrawFilledRLEBitmapRows(Bitmap *bitmap, const Pixel *rows, int width, int height, int x0, int y0, Pixel c)
{
	WalkRLERows(bitmap, rows, width, height, x0, y0, [bitmap, c](Pixel *, int y, int start, const Pixel *, int filled) {
		DrawHorizontalLine(bitmap, start, y, filled, c);
	});
}

static void DrawFilledRLEBitmapRowsNoClip(Bitmap *bitmap, const Pixel *rows, int width, int height, int x0, int y0, Pixel c)
{
	WalkRLERows(bitmap, rows, width, height, x0, y0, [bitmap, c](Pixel *, int y, int start, const Pixel *, int filled) {
		DrawHorizontalLineNoClip(bitmap, start, y, filled, c);
	});
}

static void CompositeFilledRLEBitmapRows(Bitmap *bitmap, const Pixel *rows, int width, int height, int x0, int y0, Pixel c,
	CompositionMode mode)
{
	WalkRLERows(bitmap, rows, width, height, x0, y0, [bitmap, c, mode](Pixel *, int y, int start, const Pixel *, int filled) {
		CompositeHorizontalLine(bitmap, start, y, filled, c, mode);
	});
}

static void CompositeFilledRLEBitmapRowsNoClip(Bitmap *bitmap, const Pixel *rows, int width, int height, int x0, int y0,
	Pixel c, CompositionMode mode)
{
	WalkRLERows(bitmap, rows, width, height, x0, y0, [bitmap, c, mode](Pixel *, int y, int start, const Pixel *, int filled) {
		CompositeHorizontalLineNoClip(bitmap, start, y, filled, c, mode);
	});
}

// Clips vertically; false when nothing of the image is on the bitmap.
static bool ClipRLEBitmap(Bitmap *bitmap, RLEBitmap *src, int x, int *y, const Pixel **rows, int *height)
{
	if (IsCompletelyOutside(x, *y, src->width, src->height, bitmap->width, bitmap->height)) return false;
	*rows = RLEBitmapRows(src);
	*height = src->height;
	AdjustRLERows(rows, src->width, height, y, bitmap->height);
	return true;
}

void DrawRLEBitmap(Bitmap *bitmap, RLEBitmap *src, int x, int y)
{
	const Pixel *rows;
	int height;
	if (!ClipRLEBitmap(bitmap, src, x, &y, &rows, &height)) return;
	if (IsSpanCompletelyInside(x, src->width, bitmap->width)) DrawRLEBitmapRowsNoClip(bitmap, rows, src->width, height, x, y);
	else DrawRLEBitmapRows(bitmap, rows, src->width, height, x, y);
}

void DrawRLEBitmapNoClip(Bitmap *bitmap, RLEBitmap *src, int x, int y)
{
	DrawRLEBitmapRows(bitmap, RLEBitmapRows(src), src->width, src->height, x, y);
}

void CompositeRLEBitmap(Bitmap *bitmap, RLEBitmap *src, int x, int y, CompositionMode mode)
{
	const Pixel *rows;
	int height;
	if (!ClipRLEBitmap(bitmap, src, x, &y, &rows, &height)) return;
	if (IsSpanCompletelyInside(x, src->width, bitmap->width))
		CompositeRLEBitmapRowsNoClip(bitmap, rows, src->width, height, x, y, mode);
	else CompositeRLEBitmapRows(bitmap, rows, src->width, height, x, y, mode);
}

void CompositeRLEBitmapNoClip(Bitmap *bitmap, RLEBitmap *src, int x, int y, CompositionMode mode)
{
	CompositeRLEBitmapRows(bitmap, RLEBitmapRows(src), src->width, src->height, x, y, mode);
}

void DrawFilledRLEBitmap(Bitmap *bitmap, RLEBitmap *src, int x, int y, Pixel c)
{
	const Pixel *rows;
	int height;
	if (!ClipRLEBitmap(bitmap, src, x, &y, &rows, &height)) return;
	if (IsSpanCompletelyInside(x, src->width, bitmap->width))
		DrawFilledRLEBitmapRowsNoClip(bitmap, rows, src->width, height, x, y, c);
	else DrawFilledRLEBitmapRows(bitmap, rows, src->width, height, x, y, c);
}

void DrawFilledRLEBitmapNoClip(Bitmap *bitmap, RLEBitmap *src, int x, int y, Pixel c)
{
	DrawFilledRLEBitmapRows(bitmap, RLEBitmapRows(src), src->width, src->height, x, y, c);
}

void CompositeFilledRLEBitmap(Bitmap *bitmap, RLEBitmap *src, int x, int y, Pixel c, CompositionMode mode)
{
	const Pixel *rows;
	int height;
	if (!ClipRLEBitmap(bitmap, src, x, &y, &rows, &height)) return;
	if (IsSpanCompletelyInside(x, src->width, bitmap->width))
		CompositeFilledRLEBitmapRowsNoClip(bitmap, rows, src->width, height, x, y, c, mode);
	else CompositeFilledRLEBitmapRows(bitmap, rows, src->width, height, x, y, c, mode);
}

void CompositeFilledRLEBitmapNoClip(Bitmap *bitmap, RLEBitmap *src, int x, int y, Pixel c, CompositionMode mode)
{
	CompositeFilledRLEBitmapRows(bitmap, RLEBitmapRows(src), src->width, src->height, x, y, c, mode);
}
