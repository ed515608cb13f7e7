// RLEBitmap: a header and rows of spans, one contiguous block, the same bytes
// in memory and in bundle files. A span word holds the transparent run in its
// high half and the opaque run in its low half; the opaque pixels follow it.
// Rows have no index: reaching row n means walking the n rows above it.
#pragma once
#include <cstddef>
#include <cstdint>
#include "Graphics/Bitmap.h"
#include "Graphics/Pixels/Packing32.h"

struct RLEBitmap
{
	int32_t width, height;
	// the spans of all rows follow the header, back to back
};
static_assert(sizeof(RLEBitmap) == 8, "the header is two 32-bit words");

static inline Pixel *RLEBitmapRows(RLEBitmap *self) { return (Pixel *)(self + 1); }
static inline const Pixel *RLEBitmapRows(const RLEBitmap *self) { return (const Pixel *)(self + 1); }

static inline int MaximumRunLength() { return 65535; }
static inline Pixel PackRunLengths(int empty, int filled) { return ((Pixel)empty << 16) | (Pixel)filled; }
static inline int EmptySpanLength(Pixel spans) { return (int)(spans >> 16); }
static inline int FilledSpanLength(Pixel spans) { return (int)(spans & 0xffff); }

// Keeps the compiler from folding a pointer step that is known on one branch
// into the step that depends on a loaded value (see WalkRLERuns).
static inline const Pixel *UnfoldedStep(const Pixel *p)
{
#if defined(__GNUC__)
	__asm__("" : "+r"(p));
#endif
	return p;
}

// The one walk over an image's spans, which drawing and indexing share:
// run(row, x, pixels, length) for each opaque run of n rows of the given
// width from rows on, row counted from 0; returns the word after the last.
// The address of each span word depends on the length stored in the one
// before it, a chain of dependent loads. Half of all spans are a row's
// trailing empty span with no pixels: for those the next word is known
// without the loaded length, and stepping on the predicted branch lets the
// processor start the next load early.
template <typename RunAction>
static inline const Pixel *WalkRLERuns(const Pixel *rows, int width, int n, RunAction run)
{
	for (int r = 0; r < n; r++)
		for (int pos = 0; pos < width;) {
			Pixel span = *rows;
			int filled = FilledSpanLength(span);
			pos += EmptySpanLength(span) + filled;
			if (filled == 0) {
				rows = UnfoldedStep(rows + 1);
				continue;
			}
			run(r, pos - filled, rows + 1, filled);
			rows += 1 + filled;
		}
	return rows;
}

size_t SizeOfRLEBitmapFromBitmap(Bitmap *bitmap);
size_t SizeOfRLEBitmapFromPartialBitmap(Bitmap *bitmap, int x0, int y0, int width, int height);
void InitializeRLEBitmapFromBitmap(RLEBitmap *self, Bitmap *bitmap);
void InitializeRLEBitmapFromPartialBitmap(RLEBitmap *self, Bitmap *bitmap, int x0, int y0, int width, int height);
