// Test helpers for the PNG loader and its inflate decoder: a deflate bit
// writer and canonical Huffman codes for hand-made streams, PNG framing with
// real CRCs (zlib's crc32), and decoding through the engine into RGBA words.
#pragma once
#include <zlib.h>
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>
#include "Graphics/PNG.h"

typedef std::vector<uint8_t> Bytes;

// Deflate's bit order: fields least significant bit first, Huffman codes most
// significant bit first.
struct BitWriter
{
	Bytes bytes;
	uint32_t acc = 0;
	int n = 0;
	void Put(uint32_t value, int length)
	{
		for (int i = 0; i < length; i++) {
			acc |= ((value >> i) & 1) << n;
			if (++n == 8) Flush();
		}
	}
	void PutCode(uint32_t code, int length)
	{
		for (int i = length - 1; i >= 0; i--) Put((code >> i) & 1, 1);
	}
	void Flush()
	{
		if (n == 0) return;
		bytes.push_back((uint8_t)acc);
		acc = 0;
		n = 0;
	}
	void Align() { Flush(); }
	Bytes Finish()
	{
		Flush();
		return bytes;
	}
};

// The RFC 1951 construction (bl_count, next_code), for writing test streams.
inline std::vector<uint32_t> CanonicalCodes(const std::vector<int> &lengths)
{
	int count[16] = {};
	for (int l : lengths) count[l]++;
	count[0] = 0;
	uint32_t next[16] = {}, code = 0;
	for (int bits = 1; bits < 16; bits++) {
		code = (code + count[bits - 1]) << 1;
		next[bits] = code;
	}
	std::vector<uint32_t> codes(lengths.size());
	for (size_t s = 0; s < lengths.size(); s++)
		if (lengths[s]) codes[s] = next[lengths[s]]++;
	return codes;
}

// Fixed-code symbols of RFC 1951 3.2.6.
inline void PutFixedLiteral(BitWriter &w, int sym)
{
	if (sym < 144) w.PutCode(0x30 + sym, 8);
	else if (sym < 256) w.PutCode(0x190 + sym - 144, 9);
	else if (sym < 280) w.PutCode(sym - 256, 7);
	else w.PutCode(0xc0 + sym - 280, 8);
}
inline void PutFixedDistance(BitWriter &w, int sym) { w.PutCode(sym, 5); }

inline void Put32BE(Bytes &out, uint32_t v)
{
	for (int shift = 24; shift >= 0; shift -= 8) out.push_back((uint8_t)(v >> shift));
}

inline Bytes Chunk(const char *type, const Bytes &data)
{
	Bytes out;
	Put32BE(out, (uint32_t)data.size());
	out.insert(out.end(), type, type + 4);
	out.insert(out.end(), data.begin(), data.end());
	uint32_t crc = (uint32_t)crc32(0, (const Bytef *)type, 4);
	crc = (uint32_t)crc32(crc, data.data(), (uInt)data.size());
	Put32BE(out, crc);
	return out;
}

inline Bytes HeaderChunk(uint32_t width, uint32_t height, int depth, int colourtype, int interlace = 0)
{
	Bytes ihdr;
	Put32BE(ihdr, width);
	Put32BE(ihdr, height);
	ihdr.insert(ihdr.end(), {(uint8_t)depth, (uint8_t)colourtype, 0, 0, (uint8_t)interlace});
	return Chunk("IHDR", ihdr);
}

inline Bytes Concatenate(const std::vector<Bytes> &parts)
{
	Bytes out = {137, 80, 78, 71, 13, 10, 26, 10};
	for (const Bytes &p : parts) out.insert(out.end(), p.begin(), p.end());
	return out;
}

// Cuts a zlib stream into consecutive IDAT chunks of the given sizes (the
// rest goes into one last chunk).
inline std::vector<Bytes> IDATChunks(const Bytes &zlib, const std::vector<size_t> &sizes)
{
	std::vector<Bytes> chunks;
	size_t at = 0;
	for (size_t s : sizes) {
		size_t n = std::min(s, zlib.size() - at);
		chunks.push_back(Chunk("IDAT", Bytes(zlib.begin() + at, zlib.begin() + at + n)));
		at += n;
	}
	chunks.push_back(Chunk("IDAT", Bytes(zlib.begin() + at, zlib.end())));
	return chunks;
}

// What the engine makes of a file: pixels as (a << 24 | r << 16 | g << 8 | b),
// and whether every call of the pixel function came in order with the
// destination the row pitch gives. Images of more than MaximumKeptPixels are
// decoded without keeping their pixels.
struct Decoded
{
	bool header = false, ok = false, inorder = true;
	int width = 0, height = 0;
	int64_t calls = 0;
	std::vector<uint32_t> pixels;
};
constexpr int64_t MaximumKeptPixels = 1 << 24;

namespace pngtest {
inline Decoded *current;
inline bool InOrder(Decoded *d, int x, int y)
{
	bool ok = d->calls == (int64_t)y * d->width + x && x < d->width && y < d->height;
	d->calls++;
	return ok;
}
inline void *Store(void *destination, uint8_t r, uint8_t g, uint8_t b, uint8_t a, int x, int y)
{
	Decoded *d = current;
	if (!InOrder(d, x, y) || destination != d->pixels.data() + (size_t)y * d->width + x) d->inorder = false;
	*(uint32_t *)destination = (uint32_t)a << 24 | (uint32_t)r << 16 | (uint32_t)g << 8 | b;
	return (uint32_t *)destination + 1;
}
inline void *Discard(void *destination, uint8_t, uint8_t, uint8_t, uint8_t, int x, int y)
{
	if (!InOrder(current, x, y)) current->inorder = false;
	return destination;
}
}  // namespace pngtest

inline bool HeaderOnly(const Bytes &file)
{
	PNGLoader loader;
	InitializePNGLoader(&loader, file.data(), file.size());
	return LoadPNGHeader(&loader);
}

inline Decoded DecodeWithEngine(const Bytes &file)
{
	Decoded d;
	PNGLoader loader;
	InitializePNGLoader(&loader, file.data(), file.size());
	d.header = LoadPNGHeader(&loader);
	if (!d.header) return d;
	d.width = loader.width;
	d.height = loader.height;
	pngtest::current = &d;
	if ((int64_t)d.width * d.height <= MaximumKeptPixels) {
		d.pixels.assign((size_t)d.width * d.height, 0);
		d.ok = LoadPNGImageData(&loader, d.pixels.data(), d.width * 4, pngtest::Store);
	} else {
		static uint32_t sink;
		d.ok = LoadPNGImageData(&loader, &sink, 0, pngtest::Discard);
	}
	pngtest::current = nullptr;
	return d;
}

// An 8-bit greyscale image whose rows (filter byte 0, then width bytes) spell
// out data: the way these tests see an inflate stream's output through the loader.
inline Bytes RowsOf(const Bytes &data, int width)
{
	Bytes rows;
	for (size_t at = 0; at < data.size(); at += (size_t)width) {
		rows.push_back(0);
		rows.insert(rows.end(), data.begin() + at, data.begin() + at + width);
	}
	return rows;
}

// A greyscale PNG of the given size around a raw deflate stream, behind a
// zlib header but with no checksum, so that the stream ends where it ends.
inline Bytes GreyPNGAroundDeflate(int width, int height, const Bytes &deflate)
{
	Bytes zlib = {0x78, 0x01};
	zlib.insert(zlib.end(), deflate.begin(), deflate.end());
	std::vector<Bytes> parts = {HeaderChunk((uint32_t)width, (uint32_t)height, 8, 0), Chunk("IDAT", zlib)};
	parts.push_back(Chunk("IEND", {}));
	return Concatenate(parts);
}

// The grey values of a decoded greyscale image.
inline Bytes GreyValues(const Decoded &d)
{
	Bytes out;
	for (uint32_t p : d.pixels) out.push_back((uint8_t)p);
	return out;
}
