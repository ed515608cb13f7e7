// Bundle checking, fix-up and lookup.
//
// In memory a bundle is one heap block:
//
//   [ file image, padded to 8 bytes ][ side records ]
//
// The file stores 32-bit offsets where the engine wants pointers, and a
// pointer is 64 bits here, so the offsets cannot be overwritten in place, and
// a writer need not align anything, while drawing reads pictures as 32-bit
// words. So fix-up builds side records, one group per picture entry in
// directory order, each record padded to 8 bytes:
//
//   'B': the Bitmap record; then, when its pixels do not lie on 4 bytes in
//        the file, an aligned copy of them (rows 4 * width bytes apart)
//   'R': the null-terminated RLEBitmap* array; then, for each frame, its
//        RLEBitmapIndex, a copy of its image, and the index's row starts and
//        spans (none for an image too large to index)
//
// and points the entry's offset at its first record. A lookup hands out
// "bundle + offset" for every type alike; all of it is freed with the block.
// BitmapSideSize and FrameSideLayout give the sizes, for the check that
// measures the block and for the fix-up that fills it. Frames are copied
// even when aligned: the index must lie just before the image, where drawing
// finds it once the loader has registered the block (see RLEBitmapIndex.h).
//
// Nothing in a file is trusted: the one check walks every RLE image span by
// span as drawing will, with every count, offset and size, and names what it
// refuses. Fix-up then trusts what the check passed and walks only the
// directory, the frames arrays and the images it copies.
#include "Platform/ResourceBundle.h"
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include "Graphics/Bitmap.h"
#include "Graphics/RLEBitmap.h"
#include "Graphics/RLEBitmapIndex.h"

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

static int16_t Read16(const uint8_t *p)
{
	int16_t v;
	memcpy(&v, p, 2);
	return v;
}

static uint64_t Pad8(uint64_t n) { return (n + 7) & ~(uint64_t)7; }
static bool IsAligned(uint64_t offset) { return (offset & 3) == 0; }

// A bitmap's pixels are used in place when every row starts on 4 bytes.
static bool IsBitmapInPlace(uint64_t pixeloffset, int32_t bytesperrow)
{
	return IsAligned(pixeloffset) && IsAligned((uint32_t)bytesperrow);
}

static uint64_t BitmapSideSize(uint64_t pixeloffset, int32_t bytesperrow, int width, int height)
{
	bool inplace = IsBitmapInPlace(pixeloffset, bytesperrow);
	return Pad8(sizeof(Bitmap)) + (inplace ? 0 : Pad8(4 * (uint64_t)width * (uint64_t)height));
}

// The side records of one frame: where each part lies from the first.
struct FrameSide
{
	uint64_t image, rowstarts, spans, size;
};

static FrameSide FrameSideLayout(int32_t width, int32_t height, uint64_t imagesize, uint64_t spans)
{
	FrameSide f;
	f.image = sizeof(RLEBitmapIndex);
	f.rowstarts = f.spans = f.size = f.image + Pad8(imagesize);
	if (CanIndexRLEBitmap(width, height)) {
		f.spans = f.rowstarts + Pad8(4 * ((uint64_t)height + 1));
		f.size = f.spans + Pad8(sizeof(RLESpan) * spans);
	}
	return f;
}

// The walk of one checked RLE image: its size in bytes and its opaque runs.
static uint64_t RLEBitmapSize(const uint8_t *image, uint64_t *spans)
{
	int32_t width = (int32_t)Read32(image), height = (int32_t)Read32(image + 4);
	uint64_t pos = 8;
	*spans = 0;
	for (int32_t r = 0; width > 0 && r < height; r++)
		for (int64_t x = 0; x < width;) {
			uint32_t span = Read32(image + pos);
			pos += 4 + 4 * (uint64_t)FilledSpanLength(span);
			x += EmptySpanLength(span) + FilledSpanLength(span);
			*spans += FilledSpanLength(span) > 0;
		}
	return pos;
}

struct Checker
{
	const uint8_t *file;
	uint64_t filesize, datastart;  // data lies after the directory, which fix-up changes
	uint64_t budget;  // bytes of images left to walk: frames may share an image, but not without limit
	bool stop;
	int count;  // problems found
	char where[64];  // 'entry "Orb", frame 3: '
	ResourceBundleProblems *problems;
};

__attribute__((format(printf, 3, 4))) static void Refuse(Checker *c, uint64_t offset, const char *format, ...)
{
	char what[120], text[sizeof(ResourceBundleProblems::first)];
	va_list args;
	va_start(args, format);
	vsnprintf(what, sizeof what, format, args);
	va_end(args);
	snprintf(text, sizeof text, "%s%s at offset 0x%llx", c->where, what, (unsigned long long)offset);
	c->count++;
	if (!c->problems) return;
	if (c->problems->count++ == 0) memcpy(c->problems->first, text, sizeof text);
	if (c->problems->report) c->problems->report(c->problems->context, text);
}

static void SetWhere(Checker *c, const char *name, int frame)
{
	char printable[ResourceEntryNameSize + 1] = {};
	for (int i = 0; i < ResourceEntryNameSize && name[i]; i++)
		printable[i] = name[i] >= 32 && name[i] < 127 && name[i] != '"' ? name[i] : '?';
	if (frame < 0) snprintf(c->where, sizeof c->where, "entry \"%s\": ", printable);
	else snprintf(c->where, sizeof c->where, "entry \"%s\", frame %d: ", printable, frame);
}

// Walks the RLE image at file offset pos; the bytes of its side records, or
// 0 when it is refused. A row ends when its position reaches or passes the
// width, but only an empty run may pass it: a filled one would be drawn
// outside the picture.
static uint64_t CheckRLEBitmap(Checker *c, uint64_t pos)
{
	if (pos + 8 > c->filesize) {  // an image lies after its array, itself after the directory
		Refuse(c, pos, "the image lies outside the file's data");
		return 0;
	}
	int32_t width = (int32_t)Read32(c->file + pos), height = (int32_t)Read32(c->file + pos + 4);
	if (width < 0 || height < 0 || width > MaximumRLESize || height > MaximumRLESize) {
		Refuse(c, pos, "the image's size %d x %d is out of range", width, height);
		return 0;
	}
	uint64_t start = pos, spans = 0;
	pos += 8;
	for (int32_t r = 0; width > 0 && r < height; r++) {
		for (int64_t x = 0; x < width;) {
			if (pos + 4 > c->filesize) {
				Refuse(c, pos, "row %d runs past the end of the file", r);
				return 0;
			}
			uint32_t span = Read32(c->file + pos);
			int empty = EmptySpanLength(span), filled = FilledSpanLength(span);
			if (filled > 0 && x + empty + filled > width) {
				Refuse(c, pos, "row %d runs past the image's width of %d", r, width);
				return 0;
			}
			pos += 4 + 4 * (uint64_t)filled;
			spans += filled > 0;
			if (pos > c->filesize) {
				Refuse(c, pos - 4 * (uint64_t)filled - 4, "row %d's pixels run past the end of the file", r);
				return 0;
			}
			x += empty + filled;
		}
	}
	if (pos - start > c->budget) {
		Refuse(c, start, "the frames lead to more image data than the file can hold (one image shared too often)");
		c->stop = true;
		return 0;
	}
	c->budget -= pos - start;
	return FrameSideLayout(width, height, pos - start, spans).size;
}

// Side bytes of an 'R' entry, or 0 when it is refused.
static uint64_t CheckFrames(Checker *c, const ResourceBundleEntry *e)
{
	uint64_t side = 0;
	uint32_t count = 0;
	for (;; count++) {
		if (4 * ((uint64_t)count + 1) > e->size) {
			SetWhere(c, e->name, -1);
			Refuse(c, e->offset, "the frames array has no terminating zero inside the entry");
			return 0;
		}
		uint32_t offset = Read32(c->file + e->offset + 4 * count);
		if (offset == 0) break;
		SetWhere(c, e->name, (int)count);
		uint64_t size = CheckRLEBitmap(c, (uint64_t)e->offset + offset);
		if (size == 0) side = UINT64_MAX;  // go on: every problem of the entry is named
		else if (side != UINT64_MAX) side += size;
		if (c->stop) return 0;
	}
	SetWhere(c, e->name, -1);
	if (count == 0) Refuse(c, e->offset, "the frames array is empty");
	return count == 0 || side == UINT64_MAX ? 0 : side + Pad8(8 * ((uint64_t)count + 1));
}

// Side bytes of a 'B' entry, or 0 when it is refused.
static uint64_t CheckBitmap(Checker *c, const ResourceBundleEntry *e)
{
	const uint8_t *record = c->file + e->offset;
	if (e->size < 12) {
		Refuse(c, e->offset, "a bitmap needs 12 bytes, the entry has %u", e->size);
		return 0;
	}
	int width = Read16(record), height = Read16(record + 2);
	int32_t bytesperrow = (int32_t)Read32(record + 4);
	uint64_t pixels = Read32(record + 8);
	if (width < 0 || height < 0 || bytesperrow < 4 * width) {
		Refuse(c, e->offset, "the bitmap's size %d x %d with rows %d bytes apart is invalid", width, height, bytesperrow);
		return 0;
	}
	// every row starts inside the entry, even an empty one: its start is a pointer handed out
	uint64_t end = height == 0 ? pixels
		: pixels + (uint64_t)bytesperrow * (uint64_t)(height - 1) + 4 * (uint64_t)width;
	if (end > e->size) {
		Refuse(c, e->offset + 8, "the bitmap's pixels run past the end of the entry");
		return 0;
	}
	return BitmapSideSize(e->offset + pixels, bytesperrow, width, height);
}

size_t CheckResourceBundle(const void *image, size_t filesize, ResourceBundleProblems *problems)
{
	Checker c = {(const uint8_t *)image, filesize, 0, 4 * (uint64_t)filesize, false, 0, "", problems};
	if (problems) *problems = {0, "", problems->report, problems->context};
	if (filesize < (size_t)ResourceBundleHeaderSize) {
		Refuse(&c, 0, "the file is %zu bytes, shorter than a bundle's header", filesize);
		return 0;
	}
	if (memcmp(c.file, Magic, 8) != 0) {
		Refuse(&c, 0, "the file does not begin with \"LoVeSiGn\"");
		return 0;
	}
	uint64_t numentries = Read32(c.file + 8);
	c.datastart = ResourceBundleHeaderSize + numentries * sizeof(ResourceBundleEntry);
	if (c.datastart > filesize) {
		Refuse(&c, 8, "the directory of %llu entries runs past the end of the file", (unsigned long long)numentries);
		return 0;
	}
	uint64_t side = 0;
	for (uint64_t i = 0; i < numentries && !c.stop; i++) {
		uint64_t at = ResourceBundleHeaderSize + i * sizeof(ResourceBundleEntry);
		ResourceBundleEntry e;
		memcpy(&e, c.file + at, sizeof e);
		SetWhere(&c, e.name, -1);
		uint64_t entryside = 0;  // raw data needs none
		int order = i == 0 ? -1 : strncmp((const char *)c.file + at - sizeof e + 12, e.name, ResourceEntryNameSize);
		if (order == 0) Refuse(&c, at, "the directory names the entry twice");
		else if (order > 0) Refuse(&c, at, "the directory is not sorted");
		if (e.offset < c.datastart || (uint64_t)e.offset + e.size > filesize)
			Refuse(&c, at, "the entry's data (%u bytes at 0x%x) lies outside the file's data", e.size, e.offset);
		else if (e.type == 'B') entryside = CheckBitmap(&c, &e);
		else if (e.type == 'R') entryside = CheckFrames(&c, &e);
		side += entryside;
	}
	if (c.count > 0) return 0;
	uint64_t total = Pad8(filesize) + side;
	if (total > UINT32_MAX) {  // side records are reached through 32-bit offsets
		c.where[0] = 0;
		Refuse(&c, 0, "the bundle would need more than 4 GiB in memory");
		return 0;
	}
	return (size_t)total;
}

// The next side record of a bundle being fixed up.
static uint8_t *TakeSide(uint8_t *base, uint64_t *side, uint64_t size)
{
	uint8_t *record = base + *side;
	*side += size;
	return record;
}

static void FixUpBitmap(uint8_t *base, uint64_t *side, ResourceBundleEntry *e)
{
	const uint8_t *record = base + e->offset;
	int width = Read16(record), height = Read16(record + 2);
	int32_t bytesperrow = (int32_t)Read32(record + 4);
	uint32_t pixeloffset = Read32(record + 8);
	uint64_t at = e->offset + (uint64_t)pixeloffset;
	Bitmap *b = (Bitmap *)TakeSide(base, side, BitmapSideSize(at, bytesperrow, width, height));
	uint8_t *pixels = base + at;
	if (!IsBitmapInPlace(at, bytesperrow)) {
		uint8_t *copy = (uint8_t *)b + Pad8(sizeof(Bitmap));
		for (int y = 0; y < height; y++)
			memcpy(copy + (size_t)y * 4 * width, pixels + (size_t)y * bytesperrow, (size_t)4 * width);
		pixels = copy;
		bytesperrow = 4 * width;
	}
	InitializeBitmap(b, width, height, bytesperrow, (Pixel *)pixels);
	e->offset = (uint32_t)((uint8_t *)b - base);
}

static RLEBitmap *FixUpFrame(uint8_t *base, uint64_t *side, uint64_t at)
{
	uint64_t spans, size = RLEBitmapSize(base + at, &spans);
	int32_t width = (int32_t)Read32(base + at), height = (int32_t)Read32(base + at + 4);
	FrameSide layout = FrameSideLayout(width, height, size, spans);
	uint8_t *record = TakeSide(base, side, layout.size);
	RLEBitmap *image = (RLEBitmap *)(record + layout.image);
	memcpy(image, base + at, size);
	RLEBitmapIndex *index = (RLEBitmapIndex *)record;
	*index = {nullptr, nullptr};
	if (CanIndexRLEBitmap(width, height)) {
		index->rowstarts = (uint32_t *)(record + layout.rowstarts);
		index->spans = (RLESpan *)(record + layout.spans);
		BuildRLEBitmapIndex(image, (uint32_t *)index->rowstarts, (RLESpan *)index->spans);
	}
	return image;
}

static void FixUpFrames(uint8_t *base, uint64_t *side, ResourceBundleEntry *e)
{
	const uint8_t *array = base + e->offset;
	uint32_t n = 0;
	while (Read32(array + 4 * n) != 0) n++;
	RLEBitmap **frames = (RLEBitmap **)TakeSide(base, side, Pad8(8 * ((uint64_t)n + 1)));
	for (uint32_t i = 0; i < n; i++) frames[i] = FixUpFrame(base, side, e->offset + (uint64_t)Read32(array + 4 * i));
	frames[n] = nullptr;
	e->offset = (uint32_t)((uint8_t *)frames - base);
}

bool FixUpResourceBundle(ResourceBundle *self, size_t filesize, const char *filename)
{
	if (memcmp(self->head.magic, Magic, 8) != 0) return false;
	uint8_t *base = (uint8_t *)self;
	uint64_t side = Pad8(filesize);
	ResourceBundleEntry *entries = ResourceBundleEntries(self);
	for (uint32_t i = 0; i < self->numentries; i++) {
		if (entries[i].type == 'B') FixUpBitmap(base, &side, &entries[i]);
		else if (entries[i].type == 'R') FixUpFrames(base, &side, &entries[i]);
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
