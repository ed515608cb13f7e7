// RLE span indexes: an aid to drawing that bundle fix-up builds beside each
// image it hands out. Walking an image's spans is a chain of dependent loads
// (each span's address follows from the length before it); the index lists
// every opaque run with its row, column and pixels, so drawing reads runs that
// do not depend on each other and starts at the first visible row.
//
// Drawing cannot tell from an RLEBitmap alone whether it has an index, so the
// owner of a block of indexed images registers the block: within it, every
// RLEBitmap is preceded by its RLEBitmapIndex (whose pointers may be null when
// the image is too large to index). Images anywhere else, such as fonts and
// what the encoder just made, draw by walking their spans.
#pragma once
#include <cstddef>
#include <cstdint>
#include "Graphics/RLEBitmap.h"

struct RLESpan
{
	uint16_t x, y, length, unused;
	uint32_t pixels;  // the run's first pixel, counted from RLEBitmapRows
};
static_assert(sizeof(RLESpan) == 12, "a span is three 32-bit words");

struct RLEBitmapIndex
{
	const uint32_t *rowstarts;  // height + 1 entries: the first span of each row, then the count
	const RLESpan *spans;
};
static_assert(sizeof(RLEBitmapIndex) % 8 == 0, "the image after an index stays on 8 bytes");

// Spans store 16-bit rows and columns.
static inline bool CanIndexRLEBitmap(int width, int height) { return width > 0 && width <= 65535 && height <= 65535; }

// Fills rowstarts (height + 1 entries) and spans (one per opaque run) from
// the image's own runs; the image must be indexable and well formed.
void BuildRLEBitmapIndex(const RLEBitmap *image, uint32_t *rowstarts, RLESpan *spans);

// Drawing scans the registered blocks for every image, so the table is
// short: the game registers its four bundles. A block that finds the table
// full is a fault of the caller: it asserts in debug builds; otherwise its
// images draw by their spans, and it is counted and false returned.
constexpr int MaximumIndexedRLEBlocks = 8;
bool AddIndexedRLEBlock(const void *begin, const void *end);
// Before the block is freed: its address may hold another block next.
void RemoveIndexedRLEBlock(const void *begin);
// The blocks that found the table full, since the program started.
int UnindexedRLEBlockCount();

// The image's index, or null when it has none.
const RLEBitmapIndex *IndexOfRLEBitmap(const RLEBitmap *image);
