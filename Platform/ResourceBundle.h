// Resource bundles: a file image with a sorted directory of named entries,
// used in place. Names are "<bundle path>/<entry>", e.g. "Graphics/Sprites/Orb".
// Every file is checked once before it is trusted; see ResourceBundle.cpp for
// how the 32-bit offsets of the file become 64-bit pointers.
#pragma once
#include <cstddef>
#include <cstdint>

constexpr int ResourceBundleHeaderSize = 140;
constexpr int ResourceBundleNameSize = 128;
constexpr int ResourceEntryNameSize = 32;

struct ResourceBundleEntry
{
	uint32_t offset;  // from the first byte of the bundle
	uint32_t size;
	uint32_t type;    // 'B' bitmap, 'R' frames array, anything else raw
	char name[ResourceEntryNameSize];  // zero-padded; 32 characters leave no terminator
};
static_assert(sizeof(ResourceBundleEntry) == 44, "directory entries are 44 bytes in the file");

struct ResourceBundle
{
	union {
		ResourceBundle *next;  // after fix-up: the next bundle of the chain
		char magic[8];         // in the file: "LoVeSiGn"
	} head;
	uint32_t numentries;
	char name[ResourceBundleNameSize];  // the path it was requested under
	// the directory follows at ResourceBundleHeaderSize
};
static_assert(sizeof(((ResourceBundle *)0)->head) == 8, "the chain link lives in the magic's eight bytes");

static inline ResourceBundleEntry *ResourceBundleEntries(ResourceBundle *self)
{
	return (ResourceBundleEntry *)((char *)self + ResourceBundleHeaderSize);
}

// What a check found wrong with a file. Each problem names the entry (when
// there is one), the byte offset in the file and what is wrong, e.g.
// entry "Orb", frame 3: row 7 runs past the image's width of 16 at offset 0x1a3c
// The first is kept; every one is passed to report when it is set.
struct ResourceBundleProblems
{
	int count;
	char first[224];
	void (*report)(void *context, const char *problem);
	void *context;
};

// Checks a file image of filesize bytes (any alignment) and returns the size
// of the block the bundle needs once fixed up (the image plus ready records
// for its pictures), or 0 when the file must not be used. problems may be null.
[[nodiscard]] size_t CheckResourceBundle(const void *file, size_t filesize, ResourceBundleProblems *problems);

// self is a block of the size CheckResourceBundle gave, starting with a file
// image that passed it: only the magic is looked at again. Returns false,
// changing nothing, when it is wrong.
[[nodiscard]] bool FixUpResourceBundle(ResourceBundle *self, size_t filesize, const char *filename);

// Finds a resource in the chain starting at self (may be null): a 'B' entry
// as a ready Bitmap, an 'R' entry as a null-terminated RLEBitmap* array, any
// other as its bytes. Stores the entry's size through sizeptr when found.
void *DataForResourceWithName(ResourceBundle *self, const char *name, size_t *sizeptr);
