// Builds the bytes of a bundle file from named entries: bitmaps, frames
// arrays (each picture RLE-encoded with the engine's own encoder) and raw
// data. The directory is sorted and every entry's data starts on 4 bytes,
// or skew bytes past them: the format fixes no alignment, and readers must
// take what another writer may lay out.
#pragma once
#include <cstdint>
#include <string>
#include <vector>
#include "Graphics/Bitmap.h"

struct BundleWriterEntry
{
	std::string name;
	uint32_t type;
	std::vector<uint8_t> data;  // as it will stand in the file, offsets counted from its own start
};

struct BundleWriter
{
	std::string name;  // informative only: a loaded bundle is named by the path it was requested under
	std::vector<BundleWriterEntry> entries;
	int skew = 0;  // 0 to 3
};

// Each returns false with a message when the name cannot stand in a bundle.
bool AddBitmapEntry(BundleWriter *self, const std::string &name, Bitmap *bitmap, std::string *error);
bool AddFramesEntry(BundleWriter *self, const std::string &name, const std::vector<Bitmap> &pictures, std::string *error);
bool AddRawEntry(BundleWriter *self, const std::string &name, uint32_t type, const std::vector<uint8_t> &data, std::string *error);

// The whole file; false with a message when two entries share a name.
bool WriteBundle(BundleWriter *self, std::vector<uint8_t> *out, std::string *error);
