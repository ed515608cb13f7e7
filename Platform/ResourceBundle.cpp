// Bundle validation, fix-up and lookup.
//
// In memory a bundle is one heap block:
//
//   [ file image, padded to 8 bytes ][ side records ]
//
// The file stores 32-bit offsets where the engine wants pointers, and a
// pointer is 64 bits here, so the offsets cannot be overwritten in place.
// Instead fix-up builds, in the side area, a Bitmap record for every 'B'
// entry (its pixels pointing into the image) and a null-terminated
// RLEBitmap* array for every 'R' entry (its elements pointing at the RLE
// images in the image), then points the entry's offset at that record. A
// lookup therefore hands out "bundle + offset" for every type alike, and all
// of it is freed with the one block. Raw entries are left as they are.
//
// Nothing in a file is trusted: before fix-up every count, offset and size is
// checked against the file, every RLE image is walked span by span exactly as
// drawing will walk it (each row's spans must add up to the image's width),
// and pictures must be 4-byte aligned so that they can be read as 32-bit
// words. A file that fails is rejected like one with a
// wrong magic.
#include "Platform/ResourceBundle.h"
#include <cstring>
#include "Graphics/Bitmap.h"
#include "Graphics/RLEBitmap.h"

static const char Magic[8] = {'L', 'o', 'V', 'e', 'S', 'i', 'G', 'n'};

// Sizes beyond this would let span arithmetic in the drawing loops overflow,
// or (a height without a width costs no bytes) keep them busy for ever.
constexpr int64_t MaximumRLESize = 1 << 24;

static uint32_t Read32(const uint8_t *p)
{
	uint32_t v;
	memcpy(&v, p, 4);
	return v;
}

static size_t PaddedImageSize(size_t filesize) { return (filesize + 7) & ~(size_t)7; }

static bool IsAligned(uint64_t offset) { return (offset & 3) == 0; }

// The region that fix-up never changes: everything after the directory. Data
// must lie there, or what was checked would not be what gets drawn.
struct DataRegion
{
	uint64_t start, end;
};

// Walks an RLE image at file offset pos; true when all of it lies in the data.
// Each span word visited is taken from budget: frames may share an image, but
// a file whose thousands of frames all lead to one large image would
// otherwise make checking it quadratic.
static bool IsValidRLEBitmap(const uint8_t *file, DataRegion data, uint64_t pos, uint64_t *budget)
{
	uint64_t filesize = data.end;
	if (!IsAligned(pos) || pos < data.start || pos + 8 > filesize) return false;
	int32_t width = (int32_t)Read32(file + pos), height = (int32_t)Read32(file + pos + 4);
	if (width < 0 || height < 0 || width > MaximumRLESize || height > MaximumRLESize) return false;
	pos += 8;
	if (width == 0) return true;  // rows of width 0 hold no spans
	for (int32_t r = 0; r < height; r++) {
		int64_t x = 0;
		while (x < width) {
			if (pos + 4 > filesize || *budget == 0) return false;
			--*budget;
			uint32_t span = Read32(file + pos);
			pos += 4 + 4 * (uint64_t)FilledSpanLength(span);
			if (pos > filesize) return false;
			x += EmptySpanLength(span) + FilledSpanLength(span);
		}
		// Drawing trusts the width to bound every row (the encoder never
		// writes a span past it), so a row must end exactly there.
		if (x != width) return false;
	}
	return true;
}

// Number of frames of an 'R' entry, or 0 when it is malformed.
static uint32_t CountValidFrames(const uint8_t *file, DataRegion data, const ResourceBundleEntry *e, uint64_t *budget)
{
	if (!IsAligned(e->offset) || e->size < 8) return 0;
	const uint8_t *array = file + e->offset;
	uint32_t count = 0;
	for (;; count++) {
		if (4 * ((uint64_t)count + 1) > e->size) return 0;  // no terminating zero inside the entry
		uint32_t offset = Read32(array + 4 * count);
		if (offset == 0) break;
		if (!IsValidRLEBitmap(file, data, (uint64_t)e->offset + offset, budget)) return 0;
	}
	return count;
}

static bool IsValidBitmapEntry(const uint8_t *file, const ResourceBundleEntry *e)
{
	if (!IsAligned(e->offset) || e->size < 12) return false;
	const uint8_t *record = file + e->offset;
	int16_t width, height;
	memcpy(&width, record, 2);
	memcpy(&height, record + 2, 2);
	int32_t bytesperrow = (int32_t)Read32(record + 4);
	uint64_t pixels = Read32(record + 8);
	if (width < 0 || height < 0 || bytesperrow < 4 * width || !IsAligned(pixels) || !IsAligned((uint64_t)bytesperrow))
		return false;
	if (height == 0 || width == 0) return pixels <= e->size;
	uint64_t end = pixels + (uint64_t)bytesperrow * (uint64_t)(height - 1) + 4 * (uint64_t)width;
	return end <= e->size;
}

size_t ResourceBundleMemorySize(const void *image, size_t filesize)
{
	const uint8_t *file = (const uint8_t *)image;
	if (filesize < (size_t)ResourceBundleHeaderSize || memcmp(file, Magic, 8) != 0) return 0;
	uint64_t numentries = Read32(file + 8);
	DataRegion data = {ResourceBundleHeaderSize + numentries * sizeof(ResourceBundleEntry), filesize};
	if (data.start > filesize || numentries > INT32_MAX) return 0;
	size_t side = 0;
	uint64_t budget = filesize;  // span words: every word of the file visited four times over
	const ResourceBundleEntry *previous = nullptr;
	for (uint64_t i = 0; i < numentries; i++) {
		ResourceBundleEntry e;
		memcpy(&e, file + ResourceBundleHeaderSize + i * sizeof e, sizeof e);
		if (e.offset < data.start || (uint64_t)e.offset + e.size > filesize) return 0;
		const ResourceBundleEntry *here = (const ResourceBundleEntry *)(file + ResourceBundleHeaderSize + i * sizeof e);
		if (previous && strncmp(previous->name, here->name, ResourceEntryNameSize) >= 0) return 0;  // unsorted or twice
		previous = here;
		if (e.type == 'B') {
			if (!IsValidBitmapEntry(file, &e)) return 0;
			side += sizeof(Bitmap);
		} else if (e.type == 'R') {
			uint32_t frames = CountValidFrames(file, data, &e, &budget);
			if (frames == 0) return 0;
			side += ((size_t)frames + 1) * sizeof(RLEBitmap *);
		}
	}
	size_t total = PaddedImageSize(filesize) + side;
	return total > UINT32_MAX ? 0 : total;  // side records are reached through 32-bit offsets
}

bool FixUpResourceBundle(ResourceBundle *self, size_t filesize, const char *filename)
{
	if (ResourceBundleMemorySize(self, filesize) == 0) return false;
	uint8_t *base = (uint8_t *)self;
	size_t side = PaddedImageSize(filesize);
	ResourceBundleEntry *entries = ResourceBundleEntries(self);
	for (uint32_t i = 0; i < self->numentries; i++) {
		ResourceBundleEntry *e = &entries[i];
		uint8_t *data = base + e->offset;
		if (e->type == 'B') {
			Bitmap *b = (Bitmap *)(base + side);
			int16_t width, height;
			memcpy(&width, data, 2);
			memcpy(&height, data + 2, 2);
			InitializeBitmap(b, width, height, (int32_t)Read32(data + 4), (Pixel *)(data + Read32(data + 8)));
			e->offset = (uint32_t)side;
			side += sizeof(Bitmap);
		} else if (e->type == 'R') {
			RLEBitmap **frames = (RLEBitmap **)(base + side);
			uint32_t n = 0;
			for (uint32_t offset; (offset = Read32(data + 4 * n)) != 0; n++) frames[n] = (RLEBitmap *)(data + offset);
			frames[n] = nullptr;
			e->offset = (uint32_t)side;
			side += ((size_t)n + 1) * sizeof(RLEBitmap *);
		}
	}
	self->head.next = nullptr;
	// strncpy's rules: zero-filled, and a 128-character path has no terminator
	memset(self->name, 0, ResourceBundleNameSize);
	memcpy(self->name, filename, strnlen(filename, ResourceBundleNameSize));
	return true;
}

void *DataForResourceWithName(ResourceBundle *self, const char *name, size_t *sizeptr)
{
	for (; self; self = self->head.next) {
		const char *entryname = name;
		if (const char *slash = strrchr(name, '/')) {
			size_t pathlength = (size_t)(slash - name);
			if (pathlength > ResourceBundleNameSize) pathlength = ResourceBundleNameSize;
			if (strncmp(name, self->name, pathlength) != 0) continue;
			if (strnlen(self->name, ResourceBundleNameSize) != pathlength) continue;
			entryname = slash + 1;
		}
		if (self->numentries == 0) continue;
		ResourceBundleEntry *entries = ResourceBundleEntries(self);
		int first = 0, last = (int)self->numentries - 1;
		for (;;) {
			int mid = (first + last) / 2;
			int res = strncmp(entries[mid].name, entryname, ResourceEntryNameSize);
			if (res == 0) {
				if (sizeptr) *sizeptr = entries[mid].size;
				return (uint8_t *)self + entries[mid].offset;
			}
			if (res < 0) {
				if (last == mid) break;
				first = mid + 1;
			} else {
				if (first == mid) break;
				last = mid - 1;
			}
		}
	}
	return nullptr;
}
