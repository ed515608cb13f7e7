// Building span indexes, and the few registered blocks that hold indexed
// images. The lookup runs once per drawn image, so it is a short scan of
// address ranges kept packed at the front of the table.
#include "Graphics/RLEBitmapIndex.h"
#include <cassert>

void BuildRLEBitmapIndex(const RLEBitmap *image, uint32_t *rowstarts, RLESpan *spans)
{
	const Pixel *rows = RLEBitmapRows(image);
	uint32_t n = 0;
	int y = 0;  // rows up to y - 1 have their start
	WalkRLERuns(rows, image->width, image->height, [&](int r, int x, const Pixel *p, int filled) {
		while (y <= r) rowstarts[y++] = n;
		spans[n++] = {(uint16_t)x, (uint16_t)r, (uint16_t)filled, 0, (uint32_t)(p - rows)};
	});
	while (y <= image->height) rowstarts[y++] = n;
}

struct IndexedBlock
{
	uintptr_t begin, end;
};
static IndexedBlock blocks[MaximumIndexedRLEBlocks];
static int numblocks, unindexed;

bool AddIndexedRLEBlock(const void *begin, const void *end)
{
	assert(numblocks < MaximumIndexedRLEBlocks && "more indexed RLE blocks than the table holds");
	if (numblocks == MaximumIndexedRLEBlocks) return unindexed++, false;
	blocks[numblocks++] = {(uintptr_t)begin, (uintptr_t)end};
	return true;
}

int UnindexedRLEBlockCount() { return unindexed; }

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
