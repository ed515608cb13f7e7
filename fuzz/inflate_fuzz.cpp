// Fuzz target: a raw deflate stream. The loader keeps its inflate decoder to
// itself, so the stream becomes the image data of a greyscale PNG built
// around it: byte 0 picks the row width, byte 1 how the data is cut into
// chunks. The decoder must read nothing outside its input and its window,
// and the rows it hands out must be exactly those that fit the stream.
#include <cstdlib>
#include <cstring>
#include <vector>
#include "Graphics/PNG.h"

static void Put32BE(std::vector<uint8_t> &out, uint32_t v)
{
	for (int shift = 24; shift >= 0; shift -= 8) out.push_back((uint8_t)(v >> shift));
}

static void PutChunk(std::vector<uint8_t> &out, const char *type, const uint8_t *data, size_t length)
{
	Put32BE(out, (uint32_t)length);
	out.insert(out.end(), type, type + 4);
	out.insert(out.end(), data, data + length);
	Put32BE(out, 0);  // the loader does not read CRCs
}

static long calls;
static void *Count(void *destination, uint8_t, uint8_t, uint8_t, uint8_t, int, int)
{
	calls++;
	return destination;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
	if (size < 2) return 0;
	static const uint32_t widths[8] = {1, 3, 16, 255, 1000, 4095, 20000, 32510};
	uint32_t width = widths[data[0] & 7];
	uint32_t height = (UINT32_MAX - 258) / (width + 1) < (1u << 20) ? (UINT32_MAX - 258) / (width + 1) : 1u << 20;
	size_t piece = data[1] < 16 ? data[1] + 1 : size;  // 1…16 bytes a chunk, or one chunk
	std::vector<uint8_t> stream = {0x78, 0x01};
	stream.insert(stream.end(), data + 2, data + size);

	std::vector<uint8_t> file = {137, 80, 78, 71, 13, 10, 26, 10};
	uint8_t ihdr[13] = {};
	for (int i = 0; i < 4; i++) ihdr[i] = (uint8_t)(width >> (24 - 8 * i)), ihdr[4 + i] = (uint8_t)(height >> (24 - 8 * i));
	ihdr[8] = 8;  // 8-bit greyscale
	PutChunk(file, "IHDR", ihdr, sizeof ihdr);
	size_t first = piece < 2 ? 2 : piece;  // the first chunk holds the zlib header
	for (size_t at = 0; at < stream.size();) {
		size_t n = at == 0 ? first : piece;
		if (n > stream.size() - at) n = stream.size() - at;
		PutChunk(file, "IDAT", stream.data() + at, n);
		at += n;
	}
	PutChunk(file, "IEND", nullptr, 0);

	PNGLoader loader;
	InitializePNGLoader(&loader, file.data(), file.size());
	if (!LoadPNGHeader(&loader)) abort();  // the file is well formed
	std::vector<uint8_t> storage(TemporaryBytesForPNGLoader(&loader));
	static uint32_t sink;
	calls = 0;
	(void)LoadPNGImageDataWithTemporaryStorage(&loader, &sink, 0, Count, storage.data());
	if (calls % width != 0) abort();  // a row is handed out only once all of it is decoded
	return 0;
}
