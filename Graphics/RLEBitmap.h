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

size_t SizeOfRLEBitmapFromBitmap(Bitmap *bitmap);
size_t SizeOfRLEBitmapFromPartialBitmap(Bitmap *bitmap, int x0, int y0, int width, int height);
void InitializeRLEBitmapFromBitmap(RLEBitmap *self, Bitmap *bitmap);
void InitializeRLEBitmapFromPartialBitmap(RLEBitmap *self, Bitmap *bitmap, int x0, int y0, int width, int height);
