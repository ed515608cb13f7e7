// The bundle writer behind the packer (and the tests that need bundles).
#include "tools/laserpack/BundleWriter.h"
#include <algorithm>
#include <cstring>
#include "Graphics/RLEBitmap.h"
#include "Platform/ResourceBundle.h"

static void Put32(std::vector<uint8_t> *out, size_t at, uint32_t v) { memcpy(out->data() + at, &v, 4); }

static bool IsValidEntryName(const std::string &name, std::string *error)
{
	if (name.empty()) *error = "an entry needs a name";
	else if (name.size() > (size_t)ResourceEntryNameSize)
		*error = "entry name \"" + name + "\" is longer than 32 bytes";
	else if (name.find('/') != std::string::npos) *error = "entry name \"" + name + "\" contains '/'";
	else if (name.find('\0') != std::string::npos) *error = "entry name contains a zero byte";
	else return true;
	return false;
}

bool AddBitmapEntry(BundleWriter *self, const std::string &name, Bitmap *bitmap, std::string *error)
{
	if (!IsValidEntryName(name, error)) return false;
	int rowbytes = 4 * bitmap->width;
	std::vector<uint8_t> data(12 + (size_t)rowbytes * bitmap->height);
	int16_t width = bitmap->width, height = bitmap->height;
	memcpy(data.data(), &width, 2);
	memcpy(data.data() + 2, &height, 2);
	Put32(&data, 4, (uint32_t)rowbytes);
	Put32(&data, 8, 12);
	for (int y = 0; y < bitmap->height; y++)
		memcpy(data.data() + 12 + (size_t)y * rowbytes, BitmapRowPointer(bitmap, y), (size_t)rowbytes);
	self->entries.push_back({name, 'B', std::move(data)});
	return true;
}

bool AddFramesEntry(BundleWriter *self, const std::string &name, const std::vector<Bitmap> &pictures, std::string *error)
{
	if (!IsValidEntryName(name, error)) return false;
	if (pictures.empty()) {
		*error = "frames entry \"" + name + "\" has no pictures";
		return false;
	}
	std::vector<uint8_t> data(4 * (pictures.size() + 1), 0);
	for (size_t i = 0; i < pictures.size(); i++) {
		Bitmap b = pictures[i];
		size_t at = data.size();
		Put32(&data, 4 * i, (uint32_t)at);
		data.resize(at + SizeOfRLEBitmapFromBitmap(&b));
		InitializeRLEBitmapFromBitmap((RLEBitmap *)(data.data() + at), &b);
	}
	self->entries.push_back({name, 'R', std::move(data)});
	return true;
}

bool AddRawEntry(BundleWriter *self, const std::string &name, uint32_t type, const std::vector<uint8_t> &data, std::string *error)
{
	if (!IsValidEntryName(name, error)) return false;
	self->entries.push_back({name, type, data});
	return true;
}

bool WriteBundle(BundleWriter *self, std::vector<uint8_t> *out, std::string *error)
{
	std::vector<BundleWriterEntry *> sorted;
	for (BundleWriterEntry &e : self->entries) sorted.push_back(&e);
	// the order lookups search in: strncmp over 32 bytes, i.e. unsigned bytes
	std::sort(sorted.begin(), sorted.end(), [](BundleWriterEntry *a, BundleWriterEntry *b) {
		return strncmp(a->name.c_str(), b->name.c_str(), ResourceEntryNameSize) < 0;
	});
	for (size_t i = 1; i < sorted.size(); i++)
		if (sorted[i - 1]->name == sorted[i]->name) {
			*error = "entry \"" + sorted[i]->name + "\" is given twice";
			return false;
		}
	size_t offset = ResourceBundleHeaderSize + sizeof(ResourceBundleEntry) * sorted.size();
	out->assign(offset, 0);
	memcpy(out->data(), "LoVeSiGn", 8);
	Put32(out, 8, (uint32_t)sorted.size());
	memcpy(out->data() + 12, self->name.data(), std::min(self->name.size(), (size_t)ResourceBundleNameSize));
	for (size_t i = 0; i < sorted.size(); i++) {
		offset = ((offset + 3) & ~(size_t)3) + (size_t)(self->skew & 3);
		size_t at = ResourceBundleHeaderSize + i * sizeof(ResourceBundleEntry);
		Put32(out, at, (uint32_t)offset);
		Put32(out, at + 4, (uint32_t)sorted[i]->data.size());
		Put32(out, at + 8, sorted[i]->type);
		memcpy(out->data() + at + 12, sorted[i]->name.data(), sorted[i]->name.size());
		out->resize(offset, 0);
		out->insert(out->end(), sorted[i]->data.begin(), sorted[i]->data.end());
		offset = out->size();
	}
	if (out->size() > UINT32_MAX) {
		*error = "the bundle would be larger than 4 GiB";
		return false;
	}
	return true;
}
