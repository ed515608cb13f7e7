// Drawing of RLE images: the renderer's hot path. Transparent runs are
// skipped in one step and each opaque run of the plain kind is one block copy,
// so the cost follows the opaque pixels. Images with a span index (what
// bundles hand out) are drawn from it and start at their first visible row;
// others walk their spans. Vertical clipping happens once per image; per-run
// horizontal clipping is paid only by images that straddle the left or right
// edge.
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#include "Graphics/Clipping.h"
#include "Graphics/Drawing.h"
#include "Graphics/RLEBitmapIndex.h"

// The runs of height rows from rows on, drawn with their top at y0.
template <typename RunAction>
static inline void WalkRLERows(Bitmap *bitmap, const Pixel *rows, int width, int height, int x0, int y0, RunAction run)
{
	// held in locals: the runs' stores could otherwise alias the record
	uint8_t *pixels = (uint8_t *)bitmap->pixels;
	ptrdiff_t bytesperrow = bitmap->bytesperrow;
	WalkRLERuns(rows, width, height, [&](int r, int x, const Pixel *src, int n) {
		int y = y0 + r;
		run((Pixel *)(pixels + (ptrdiff_t)y * bytesperrow), y, x0 + x, src, n);
	});
}

// An indexed image's runs, in rows top to bottom: no run's address depends
// on another's, so the processor can work on several at once.
template <typename RunAction>
static inline void WalkRLESpans(Bitmap *bitmap, const RLEBitmap *src, const RLEBitmapIndex *index, int top, int bottom, int x0,
	int y0, RunAction run)
{
	uint8_t *pixels = (uint8_t *)bitmap->pixels;
	ptrdiff_t bytesperrow = bitmap->bytesperrow;
	const Pixel *stored = RLEBitmapRows(src);
	const RLESpan *end = index->spans + index->rowstarts[bottom];
	for (const RLESpan *s = index->spans + index->rowstarts[top]; s < end; s++) {
		int y = y0 + s->y;
		run((Pixel *)(pixels + (ptrdiff_t)y * bytesperrow), y, x0 + s->x, stored + s->pixels, s->length);
	}
}

// Every run of the rows that lie on the bitmap, from the index when the
// image has one. Flattened: a call for each run costs more than most runs.
template <typename RunAction>
__attribute__((flatten)) static void WalkRuns(Bitmap *bitmap, const RLEBitmap *src, int x0, int y0, RunAction run)
{
	int top = y0 < 0 ? -y0 : 0, bottom = src->height;
	if (y0 + bottom > bitmap->height) bottom = bitmap->height - y0;
	if (const RLEBitmapIndex *index = IndexOfRLEBitmap(src)) WalkRLESpans(bitmap, src, index, top, bottom, x0, y0, run);
	else {
		const Pixel *rows = WalkRLERuns(RLEBitmapRows(src), src->width, top, [](int, int, const Pixel *, int) {});
		WalkRLERows(bitmap, rows, src->width, bottom - top, x0, y0 + top, run);
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
	// the byte average rounded up, less the odd bit: each byte's (a + b) / 2 rounded down
	const __m128i low1 = _mm_set1_epi8(1);
	__m128i half = _mm_sub_epi8(_mm_avg_epu8(above, below), _mm_and_si128(_mm_xor_si128(above, below), low1));
	__m128i opaque = _mm_srai_epi32(above, 31);
	return _mm_or_si128(_mm_and_si128(opaque, half), _mm_andnot_si128(opaque, below));
}

// The last block of a run overlaps the ones before it (a run of up to 8 is
// two blocks, one from each end); it is blended from the pixels as they were
// before any store, so the overlap receives the same value twice instead of
// being blended twice.
__attribute__((always_inline)) static inline void CompositeRun(Pixel *dest, const Pixel *src, int n, HalfTransparent)
{
	if (n > 8) {
		__m128i last = BlendHalfTransparent(_mm_loadu_si128((const __m128i *)(dest + n - 4)),
			_mm_loadu_si128((const __m128i *)(src + n - 4)));
		for (int i = 0; i < n - 4; i += 4) {
			__m128i *d = (__m128i *)(dest + i);
			_mm_storeu_si128(d, BlendHalfTransparent(_mm_loadu_si128(d), _mm_loadu_si128((const __m128i *)(src + i))));
		}
		_mm_storeu_si128((__m128i *)(dest + n - 4), last);
	} else if (n >= 4) {
		__m128i first = BlendHalfTransparent(_mm_loadu_si128((const __m128i *)dest), _mm_loadu_si128((const __m128i *)src));
		__m128i last = BlendHalfTransparent(_mm_loadu_si128((const __m128i *)(dest + n - 4)),
			_mm_loadu_si128((const __m128i *)(src + n - 4)));
		_mm_storeu_si128((__m128i *)dest, first);
		_mm_storeu_si128((__m128i *)(dest + n - 4), last);
	} else {
		// one to three pixels, without a branch on which: the first, the
		// middle and the last, blended from what lay there before any store
		int middle = n / 2, last = n - 1;
		__m128i v = BlendHalfTransparent(_mm_setr_epi32((int)dest[0], (int)dest[middle], (int)dest[last], 0),
			_mm_setr_epi32((int)src[0], (int)src[middle], (int)src[last], 0));
		dest[last] = (Pixel)_mm_cvtsi128_si32(_mm_srli_si128(v, 8));
		dest[middle] = (Pixel)_mm_cvtsi128_si32(_mm_srli_si128(v, 4));
		dest[0] = (Pixel)_mm_cvtsi128_si32(v);
	}
}
#else
static inline void CompositeRun(Pixel *dest, const Pixel *src, int n, HalfTransparent)
{
	for (int i = 0; i < n; i++) dest[i] = FastHalfTransparentCompositionMode(dest[i], src[i]);
}
#endif

// Runs copied as they are, or cut at the bitmap's left and right edges.
static auto CopyRuns()
{
	return [](Pixel *dest, int, int start, const Pixel *pixels, int n) { CopyRun(dest + start, pixels, n); };
}

static auto ClippedCopyRuns(int max)
{
	return [max](Pixel *dest, int, int start, const Pixel *pixels, int n) {
		int skip;
		if (ClipRun(&start, &n, &skip, max)) CopyRun(dest + start + skip, pixels + skip, n);
	};
}

template <typename Mode>
static void CompositeRuns(Bitmap *bitmap, const RLEBitmap *src, int x, int y, Mode mode)
{
	if (IsSpanCompletelyInside(x, src->width, bitmap->width))
		WalkRuns(bitmap, src, x, y, [mode](Pixel *dest, int, int start, const Pixel *pixels, int n) {
			CompositeRun(dest + start, pixels, n, mode);
		});
	else
		WalkRuns(bitmap, src, x, y, [max = bitmap->width, mode](Pixel *dest, int, int start, const Pixel *pixels, int n) {
			int skip;
			if (ClipRun(&start, &n, &skip, max)) CompositeRun(dest + start + skip, pixels + skip, n, mode);
		});
}

static bool IsRLEBitmapOutside(Bitmap *bitmap, const RLEBitmap *src, int x, int y)
{
	return IsCompletelyOutside(x, y, src->width, src->height, bitmap->width, bitmap->height);
}

void DrawRLEBitmap(Bitmap *bitmap, RLEBitmap *src, int x, int y)
{
	if (IsRLEBitmapOutside(bitmap, src, x, y)) return;
	if (IsSpanCompletelyInside(x, src->width, bitmap->width)) WalkRuns(bitmap, src, x, y, CopyRuns());
	else WalkRuns(bitmap, src, x, y, ClippedCopyRuns(bitmap->width));
}

void DrawRLEBitmapNoClip(Bitmap *bitmap, RLEBitmap *src, int x, int y)
{
	WalkRLERows(bitmap, RLEBitmapRows(src), src->width, src->height, x, y, ClippedCopyRuns(bitmap->width));
}

void CompositeRLEBitmap(Bitmap *bitmap, RLEBitmap *src, int x, int y, CompositionMode mode)
{
	if (IsRLEBitmapOutside(bitmap, src, x, y)) return;
	if (mode == DummyCompositionMode) DrawRLEBitmap(bitmap, src, x, y);  // the mode that keeps what is drawn
	else if (mode == FastHalfTransparentCompositionMode) CompositeRuns(bitmap, src, x, y, HalfTransparent());
	else CompositeRuns(bitmap, src, x, y, mode);
}

// Composites pixel by pixel through the clipped pixel operation, so rows off
// the bitmap are dropped here too, as the clipped form drops them.
void CompositeRLEBitmapNoClip(Bitmap *bitmap, RLEBitmap *src, int x, int y, CompositionMode mode)
{
	CompositeRLEBitmap(bitmap, src, x, y, mode);
}

// Runs replaced by clipped lines of one colour, drawn or composited.
static auto DrawLines(Bitmap *bitmap, Pixel c)
{
	return [bitmap, c](Pixel *, int y, int start, const Pixel *, int n) { DrawHorizontalLine(bitmap, start, y, n, c); };
}

void DrawFilledRLEBitmap(Bitmap *bitmap, RLEBitmap *src, int x, int y, Pixel c)
{
	if (IsRLEBitmapOutside(bitmap, src, x, y)) return;
	if (IsSpanCompletelyInside(x, src->width, bitmap->width))
		WalkRuns(bitmap, src, x, y, [bitmap, c](Pixel *, int y, int start, const Pixel *, int n) {
			DrawHorizontalLineNoClip(bitmap, start, y, n, c);
		});
	else WalkRuns(bitmap, src, x, y, DrawLines(bitmap, c));
}

void DrawFilledRLEBitmapNoClip(Bitmap *bitmap, RLEBitmap *src, int x, int y, Pixel c)
{
	WalkRLERows(bitmap, RLEBitmapRows(src), src->width, src->height, x, y, DrawLines(bitmap, c));
}

static auto CompositeLines(Bitmap *bitmap, Pixel c, CompositionMode mode)
{
	return [bitmap, c, mode](Pixel *, int y, int start, const Pixel *, int n) { CompositeHorizontalLine(bitmap, start, y, n, c, mode); };
}

void CompositeFilledRLEBitmap(Bitmap *bitmap, RLEBitmap *src, int x, int y, Pixel c, CompositionMode mode)
{
	if (IsRLEBitmapOutside(bitmap, src, x, y)) return;
	if (IsSpanCompletelyInside(x, src->width, bitmap->width))
		WalkRuns(bitmap, src, x, y, [bitmap, c, mode](Pixel *, int y, int start, const Pixel *, int n) {
			CompositeHorizontalLineNoClip(bitmap, start, y, n, c, mode);
		});
	else WalkRuns(bitmap, src, x, y, CompositeLines(bitmap, c, mode));
}

void CompositeFilledRLEBitmapNoClip(Bitmap *bitmap, RLEBitmap *src, int x, int y, Pixel c, CompositionMode mode)
{
	WalkRLERows(bitmap, RLEBitmapRows(src), src->width, src->height, x, y, CompositeLines(bitmap, c, mode));
}
