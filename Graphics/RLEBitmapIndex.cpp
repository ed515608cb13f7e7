// Building span indexes, and the few registered blocks that hold indexed
// images. The lookup runs once per drawn image, so it is a short scan of
// address ranges kept packed at the front of the table.
#include "Graphics/RLEBitmapIndex.h"

void BuildRLEBitmapIndex(const RLEBitmap *image, uint32_t *rowstarts, RLESpan *spans)
{
	const Pixel *rows = RLEBitmapRows(image), *p = rows;
	uint32_t n = 0;
	for (int y = 0; y < image->height; y++) {
		rowstarts[y] = n;
		for (int x = 0; x < image->width;) {
			Pixel span = *p++;
			int filled = FilledSpanLength(span);
			x += EmptySpanLength(span);
			if (filled > 0) spans[n++] = {(uint16_t)x, (uint16_t)y, (uint16_t)filled, 0, (uint32_t)(p - rows)};
			x += filled;
			p += filled;
		}
	}
	rowstarts[image->height] = n;
}

struct IndexedBlock
{
	uintptr_t begin, end;
};
static IndexedBlock blocks[8];
static int numblocks;

void AddIndexedRLEBlock(const void *begin, const void *end)
{
	if (numblocks < (int)(sizeof blocks / sizeof blocks[0])) blocks[numblocks++] = {(uintptr_t)begin, (uintptr_t)end};
}

void RemoveIndexedRLEBlock(const void *begin)
{
	for (int i = 0; i < numblocks; i++)
		if (blocks[i].begin == (uintptr_t)begin) {
			blocks[i] = blocks[--numblocks];
			return;
		}
}

const RLEBitmapIndex *IndexOfRLEBitmap(const RLEBitmap *image)
{
	uintptr_t at = (uintptr_t)image;
	for (int i = 0; i < numblocks; i++)
		if (at >= blocks[i].begin && at < blocks[i].end) {
			const RLEBitmapIndex *index = (const RLEBitmapIndex *)image - 1;
			return index->spans ? index : nullptr;
		}
	return nullptr;
}
