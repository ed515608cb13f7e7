// Gzip members, read as RFC 1952 lays them out: a 10-byte header with
// optional fields, the deflate stream, then the CRC-32 and the length (modulo
// 2^32) of the data, little-endian. Only a single member is read: the
// trailer is the file's last 8 bytes.
#include "Platform/CompressedBundle.h"
#include <cstdlib>
#include <initializer_list>
#include "Graphics/Inflate.h"

namespace {

constexpr size_t HeaderSize = 10, TrailerSize = 8;
constexpr uint8_t MethodDeflate = 8;
constexpr uint8_t FlagHeaderCRC = 2, FlagExtra = 4, FlagName = 8, FlagComment = 16, FlagsReserved = 0xe0;
// deflate's best case: a 258-byte match for every 2 bits, about 1032 to 1
constexpr size_t MaximumInflation = 1032;

struct CRCTable
{
	uint32_t entries[256];
};

// The reflected CRC-32 of gzip, zlib and PNG (polynomial 0xEDB88320).
constexpr CRCTable MakeCRCTable()
{
	CRCTable table = {};
	for (uint32_t n = 0; n < 256; n++) {
		uint32_t c = n;
		for (int k = 0; k < 8; k++) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
		table.entries[n] = c;
	}
	return table;
}
constexpr CRCTable CRC = MakeCRCTable();
static_assert(CRC.entries[1] == 0x77073096u && CRC.entries[255] == 0x2D02EF8Du, "the CRC-32 table of RFC 1952");

}  // namespace

static uint32_t CRC32(const uint8_t *data, size_t size)
{
	uint32_t c = 0xffffffffu;
	for (size_t i = 0; i < size; i++) c = CRC.entries[(c ^ data[i]) & 0xff] ^ (c >> 8);
	return c ^ 0xffffffffu;
}

static uint32_t GetUInt32LE(const uint8_t *p)
{
	return (uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 | (uint32_t)p[3] << 24;
}

bool IsGzipFile(const void *file, size_t size)
{
	const uint8_t *p = (const uint8_t *)file;
	return size >= 2 && p[0] == 0x1f && p[1] == 0x8b;
}

// Where the deflate stream starts: past the header and its optional fields,
// each of which must end before the trailer. 0 when one does not.
static size_t DeflateStreamStart(const uint8_t *p, size_t size)
{
	size_t end = size - TrailerSize, at = HeaderSize;
	uint8_t flags = p[3];
	if (flags & FlagExtra) {
		if (end - at < 2) return 0;
		at += 2 + (size_t)(p[at] | p[at + 1] << 8);
		if (at > end) return 0;
	}
	for (uint8_t field : {FlagName, FlagComment}) {
		if (!(flags & field)) continue;
		while (at < end && p[at] != 0) at++;
		if (at == end) return 0;
		at++;
	}
	if (flags & FlagHeaderCRC) at += 2;
	return at <= end ? at : 0;
}

uint8_t *AllocAndInflateGzipFile(const void *file, size_t size, size_t *inflatedsize, const char **why)
{
	const uint8_t *p = (const uint8_t *)file;
	if (!IsGzipFile(file, size) || size < HeaderSize || p[2] != MethodDeflate || (p[3] & FlagsReserved)) {
		*why = "not a gzip file of deflated data";
		return nullptr;
	}
	size_t start = size >= HeaderSize + TrailerSize ? DeflateStreamStart(p, size) : 0;
	if (start == 0) {
		*why = "a gzip file cut short";
		return nullptr;
	}
	size_t length = size - TrailerSize - start;
	uint32_t crc = GetUInt32LE(p + size - 8), datasize = GetUInt32LE(p + size - 4);
	if (datasize / MaximumInflation > length) {
		*why = "a gzip file whose stated length its data cannot hold";
		return nullptr;
	}
	uint8_t *data = (uint8_t *)malloc(datasize ? datasize : 1);
	if (!data) {
		*why = "not enough memory";
		return nullptr;
	}
	if (!InflateWhole(p + start, length, data, datasize) || CRC32(data, datasize) != crc) {
		*why = "a damaged gzip file: its data does not inflate to its length and CRC-32";
		free(data);
		return nullptr;
	}
	*inflatedsize = datasize;
	return data;
}
