// Drawing of RLE images: the renderer's hot path. Transparent runs are
// skipped in one step and each opaque run of the plain kind is one block copy,
// so the cost follows the opaque pixels. Vertical clipping happens once per
// image; per-run horizontal clipping is paid only by images that straddle the
// left or right edge.
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#include "Graphics/Clipping.h"
#include "Graphics/Drawing.h"

// Keeps the compiler from folding a pointer step that is known on one branch
// into the step that depends on a loaded value (see WalkRLERows).
static inline const Pixel *Opaque(const Pixel *p)
{
#if defined(__GNUC__)
	__asm__("" : "+r"(p));
#endif
	return p;
}

// The address of each span word depends on the length stored in the one
// before it, so walking the spans is a chain of dependent loads. Half of all
// spans are a row's trailing empty span with no pixels: for those the next
// word is known without the loaded length, and stepping on the predicted
// branch lets the processor start the next load early.
static const Pixel *SkipRLERows(const Pixel *rows, int width, int n)
{
	for (int r = 0; r < n; r++) {
		for (int pos = 0; pos < width;) {
			Pixel span = *rows;
			int filled = FilledSpanLength(span);
			pos += EmptySpanLength(span) + filled;
			if (filled == 0) rows = Opaque(rows + 1);
			else rows += 1 + filled;
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
	// held in locals: the runs' stores could otherwise alias the record
	uint8_t *pixels = (uint8_t *)bitmap->pixels;
	ptrdiff_t bytesperrow = bitmap->bytesperrow;
	for (int r = 0; r < height; r++) {
		Pixel *dest = (Pixel *)(pixels + (ptrdiff_t)(y0 + r) * bytesperrow);
		for (int pos = 0; pos < width;) {
			Pixel span = *rows;
			int empty = EmptySpanLength(span), filled = FilledSpanLength(span);
			pos += empty + filled;
			if (filled == 0) {
				rows = Opaque(rows + 1);
				continue;
			}
			run(dest, y0 + r, x0 + pos - filled, rows + 1, filled);
			rows += 1 + filled;
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

// Composite runs. Any mode is called once per pixel; the game's blink mode
// is recognised by its address and blended a vector at a time where the
// processor has them, with the same result (a pixel whose bit 31 is clear
// leaves the one below as it is).
struct HalfTransparent
{
};

static inline void CompositeRun(Pixel *dest, const Pixel *src, int n, CompositionMode mode)
{
	for (int i = 0; i < n; i++) dest[i] = mode(dest[i], src[i]);
}

#if defined(__SSE2__)
static inline __m128i BlendHalfTransparent(__m128i below, __m128i above)
{
	const __m128i low7 = _mm_set1_epi32(0x7F7F7F7F), low1 = _mm_set1_epi32(0x01010101);
	__m128i half = _mm_add_epi32(_mm_and_si128(_mm_srli_epi32(above, 1), low7), _mm_and_si128(_mm_srli_epi32(below, 1), low7));
	half = _mm_add_epi32(half, _mm_and_si128(_mm_and_si128(above, below), low1));
	__m128i opaque = _mm_srai_epi32(above, 31);
	return _mm_or_si128(_mm_and_si128(opaque, half), _mm_andnot_si128(opaque, below));
}

// The last block of a run overlaps the ones before it; it is blended from the
// pixels as they were before any store, so the overlap receives the same
// value twice instead of being blended twice. Inlined into the row walk: a
// call for each run costs more than most runs.
__attribute__((always_inline)) static inline void CompositeRun(Pixel *dest, const Pixel *src, int n, HalfTransparent)
{
	if (n >= 4) {
		__m128i last = BlendHalfTransparent(_mm_loadu_si128((const __m128i *)(dest + n - 4)),
			_mm_loadu_si128((const __m128i *)(src + n - 4)));
		for (int i = 0; i < n - 4; i += 4) {
			__m128i *d = (__m128i *)(dest + i);
			_mm_storeu_si128(d, BlendHalfTransparent(_mm_loadu_si128(d), _mm_loadu_si128((const __m128i *)(src + i))));
		}
		_mm_storeu_si128((__m128i *)(dest + n - 4), last);
	} else if (n >= 2) {
		__m128i first = BlendHalfTransparent(_mm_loadl_epi64((const __m128i *)dest), _mm_loadl_epi64((const __m128i *)src));
		__m128i last = BlendHalfTransparent(_mm_loadl_epi64((const __m128i *)(dest + n - 2)),
			_mm_loadl_epi64((const __m128i *)(src + n - 2)));
		_mm_storel_epi64((__m128i *)dest, first);
		_mm_storel_epi64((__m128i *)(dest + n - 2), last);
	} else if (n == 1) dest[0] = FastHalfTransparentCompositionMode(dest[0], src[0]);
}
#else
static inline void CompositeRun(Pixel *dest, const Pixel *src, int n, HalfTransparent)
{
	for (int i = 0; i < n; i++) dest[i] = FastHalfTransparentCompositionMode(dest[i], src[i]);
}
#endif

template <typename Mode>
static void CompositeRLEBitmapRowsNoClip(Bitmap *bitmap, const Pixel *rows, int width, int height, int x0, int y0, Mode mode)
{
	WalkRLERows(bitmap, rows, width, height, x0, y0, [mode](Pixel *dest, int, int start, const Pixel *pixels, int filled) {
		CompositeRun(dest + start, pixels, filled, mode);
	});
}

template <typename Mode>
static void CompositeRLEBitmapRows(Bitmap *bitmap, const Pixel *rows, int width, int height, int x0, int y0, Mode mode)
{
	int max = bitmap->width;
	WalkRLERows(bitmap, rows, width, height, x0, y0, [max, mode](Pixel *dest, int, int start, const Pixel *pixels, int num) {
		int skip;
		if (ClipRun(&start, &num, &skip, max)) CompositeRun(dest + start + skip, pixels + skip, num, mode);
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
	bool inside = IsSpanCompletelyInside(x, src->width, bitmap->width);
	if (mode == DummyCompositionMode) {
		// the mode that keeps what is drawn: a plain copy
		if (inside) DrawRLEBitmapRowsNoClip(bitmap, rows, src->width, height, x, y);
		else DrawRLEBitmapRows(bitmap, rows, src->width, height, x, y);
	} else if (mode == FastHalfTransparentCompositionMode) {
		if (inside) CompositeRLEBitmapRowsNoClip(bitmap, rows, src->width, height, x, y, HalfTransparent());
		else CompositeRLEBitmapRows(bitmap, rows, src->width, height, x, y, HalfTransparent());
	} else if (inside) CompositeRLEBitmapRowsNoClip(bitmap, rows, src->width, height, x, y, mode);
	else CompositeRLEBitmapRows(bitmap, rows, src->width, height, x, y, mode);
}

// Composites pixel by pixel through the clipped pixel operation, so rows off
// the bitmap are dropped here too, as the clipped form drops them.
void CompositeRLEBitmapNoClip(Bitmap *bitmap, RLEBitmap *src, int x, int y, CompositionMode mode)
{
	CompositeRLEBitmap(bitmap, src, x, y, mode);
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
