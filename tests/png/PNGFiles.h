// Test helpers for the PNG loader and its inflate decoder: zlib streams, a
// deflate bit writer for hand-made ones, PNG framing with real CRCs, and
// decoding through the engine, checked three ways.
#pragma once
#include <zlib.h>
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>
#include "Graphics/PNG.h"

typedef std::vector<uint8_t> Bytes;

// Byte by byte: GCC 12 at -O3 warns (stringop-overread) on vector::insert here.
inline void Append(Bytes &out, const void *data, size_t n) { for (size_t i = 0; i < n; i++) out.push_back(((const uint8_t *)data)[i]); }
inline void Put32BE(Bytes &out, uint32_t v) { for (int shift = 24; shift >= 0; shift -= 8) out.push_back((uint8_t)(v >> shift)); }

// Empty when zlib fails, which every caller's comparison notices.
inline Bytes ZlibStream(const Bytes &data, int level = 9, int windowbits = 15, int strategy = Z_DEFAULT_STRATEGY)
{
	z_stream z = {};
	if (deflateInit2(&z, level, Z_DEFLATED, windowbits, 8, strategy) != Z_OK) return {};
	Bytes out(deflateBound(&z, (uLong)data.size()));
	z.next_in = (Bytef *)data.data(), z.avail_in = (uInt)data.size();
	z.next_out = out.data(), z.avail_out = (uInt)out.size();
	bool ok = deflate(&z, Z_FINISH) == Z_STREAM_END;
	out.resize(ok ? z.total_out : 0);
	deflateEnd(&z);
	return out;
}

inline Bytes Chunk(const char *type, const Bytes &data)
{
	Bytes out;
	Put32BE(out, (uint32_t)data.size());
	Append(out, type, 4);
	Append(out, data.data(), data.size());
	Put32BE(out, (uint32_t)crc32(crc32(0, (const Bytef *)type, 4), data.data(), (uInt)data.size()));
	return out;
}

inline Bytes HeaderChunk(uint32_t width, uint32_t height, int depth, int colourtype, int interlace = 0)
{
	Bytes ihdr;
	Put32BE(ihdr, width);
	Put32BE(ihdr, height);
	for (int b : {depth, colourtype, 0, 0, interlace}) ihdr.push_back((uint8_t)b);
	return Chunk("IHDR", ihdr);
}

inline Bytes Concatenate(const std::vector<Bytes> &parts)
{
	Bytes out = {137, 80, 78, 71, 13, 10, 26, 10};
	for (const Bytes &p : parts) Append(out, p.data(), p.size());
	return out;
}

// Cuts a zlib stream into IDAT chunks of the given sizes, the rest in one more.
inline std::vector<Bytes> IDATChunks(const Bytes &zlib, const std::vector<size_t> &sizes)
{
	std::vector<Bytes> chunks;
	size_t at = 0;
	for (size_t s : sizes) {
		size_t n = std::min(s, zlib.size() - at);
		chunks.push_back(Chunk("IDAT", Bytes(zlib.data() + at, zlib.data() + at + n)));
		at += n;
	}
	chunks.push_back(Chunk("IDAT", Bytes(zlib.data() + at, zlib.data() + zlib.size())));
	return chunks;
}

// A file of the given header whose zlib stream is cut into IDAT chunks of
// the given sizes, after the chunks given before it.
inline Bytes PNGFile(const Bytes &ihdr, const Bytes &zlib, const std::vector<size_t> &split = {}, std::vector<Bytes> before = {})
{
	before.insert(before.begin(), ihdr);
	for (Bytes &c : IDATChunks(zlib, split)) before.push_back(c);
	before.push_back(Chunk("IEND", {}));
	return Concatenate(before);
}

// Rows of an 8-bit greyscale image (filter byte 0, then width bytes) that
// spell out data: how these tests see an inflate stream through the loader.
inline Bytes RowsOf(const Bytes &data, int width)
{
	Bytes rows;
	for (size_t at = 0; at < data.size(); at += (size_t)width) {
		rows.push_back(0);
		Append(rows, data.data() + at, (size_t)width);
	}
	return rows;
}

// Deflate's bit order: fields least significant bit first, Huffman codes most
// significant bit first.
struct BitWriter
{
	Bytes bytes;
	int n = 0;
	BitWriter &Put(uint32_t value, int length)
	{
		for (int i = 0; i < length; i++, n = (n + 1) & 7) {
			if (n == 0) bytes.push_back(0);
			bytes.back() = (uint8_t)(bytes.back() | ((value >> i) & 1) << n);
		}
		return *this;
	}
	BitWriter &Code(uint32_t code, int length)
	{
		for (int i = length - 1; i >= 0; i--) Put(code >> i, 1);
		return *this;
	}
	BitWriter &Align() { return Put(0, (8 - n) & 7); }
};

// What the engine makes of a file: pixels as ARGB words through a pixel
// function that checks the order and destination of every call, and whether
// the loader's own ARGB and RGBA functions, which convert whole rows, agree.
struct Decoded
{
	bool header = false, ok = false, inorder = true, agree = true;
	int width = 0;
	std::vector<uint32_t> pixels;
};

namespace pngtest {
inline Decoded *current;
inline int64_t calls;
inline void *Store(void *destination, uint8_t r, uint8_t g, uint8_t b, uint8_t a, int x, int y)
{
	Decoded *d = current;
	if (calls++ != (int64_t)y * d->width + x || destination != d->pixels.data() + (size_t)y * d->width + x)
		d->inorder = false;
	*(uint32_t *)destination = (uint32_t)a << 24 | (uint32_t)r << 16 | (uint32_t)g << 8 | b;
	return (uint32_t *)destination + 1;
}
}  // namespace pngtest

inline Decoded DecodeWithEngine(const Bytes &file)
{
	Decoded d;
	PNGLoader loader;
	InitializePNGLoader(&loader, file.data(), file.size());
	d.header = LoadPNGHeader(&loader);
	d.width = loader.width;
	if (!d.header || (int64_t)loader.width * loader.height > 1 << 22) return d;  // damage that makes an image huge: not decoded here
	std::vector<uint32_t> out[3];
	PNGPixelFunction *functions[3] = {pngtest::Store, StorePNGPixelARGB, StorePNGPixelRGBA};
	for (int i = 0; i < 3; i++) {
		d.pixels.assign((size_t)loader.width * loader.height, 0);
		pngtest::current = &d, pngtest::calls = 0;
		InitializePNGLoader(&loader, file.data(), file.size());
		bool header = LoadPNGHeader(&loader);
		Bytes storage(TemporaryBytesForPNGLoader(&loader));  // exactly the size asked for
		bool ok = LoadPNGImageDataWithTemporaryStorage(&loader, d.pixels.data(), d.width * 4, functions[i], storage.data());
		d.ok = i == 0 ? ok : d.ok;
		d.agree = d.agree && header && ok == d.ok;
		out[i].swap(d.pixels);
	}
	for (uint32_t &p : out[2]) p = (p & 0xff00ff00) | (p & 0xff) << 16 | (p >> 16 & 0xff);  // RGBA bytes as ARGB
	d.agree = d.agree && (!d.ok || (out[1] == out[0] && out[2] == out[0]));
	d.pixels.swap(out[0]);
	return d;
}

// The grey values of a decoded greyscale image.
inline Bytes GreyValues(const Decoded &d)
{
	Bytes out;
	for (uint32_t p : d.pixels) out.push_back((uint8_t)p);
	return out;
}
