// Test helpers for the PNG loader and its inflate decoder: a deflate bit
// writer for hand-made streams, PNG framing with real CRCs (zlib's crc32),
// and decoding through the engine, checked three ways.
#pragma once
#include <zlib.h>
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>
#include "Graphics/PNG.h"

typedef std::vector<uint8_t> Bytes;

inline void Append(Bytes &out, const void *data, size_t n)
{
	if (n == 0) return;
	out.resize(out.size() + n);
	memcpy(out.data() + out.size() - n, data, n);
}

inline void Put32BE(Bytes &out, uint32_t v)
{
	for (int shift = 24; shift >= 0; shift -= 8) out.push_back((uint8_t)(v >> shift));
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
		chunks.push_back(Chunk("IDAT", Bytes(zlib.begin() + (long)at, zlib.begin() + (long)(at + n))));
		at += n;
	}
	chunks.push_back(Chunk("IDAT", Bytes(zlib.begin() + (long)at, zlib.end())));
	return chunks;
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

// What the engine makes of a file: pixels as the engine's ARGB words through
// a caller's pixel function that checks the order and the destination of
// every call, and whether the loader's own ARGB and RGBA functions agree.
struct Decoded
{
	bool header = false, ok = false, inorder = true, agree = true;
	int width = 0, height = 0;
	int64_t calls = 0;
	std::vector<uint32_t> pixels;
};

namespace pngtest {
inline Decoded *current;
inline void *Store(void *destination, uint8_t r, uint8_t g, uint8_t b, uint8_t a, int x, int y)
{
	Decoded *d = current;
	if (d->calls++ != (int64_t)y * d->width + x || destination != d->pixels.data() + (size_t)y * d->width + x)
		d->inorder = false;
	*(uint32_t *)destination = (uint32_t)a << 24 | (uint32_t)r << 16 | (uint32_t)g << 8 | b;
	return (uint32_t *)destination + 1;
}
}  // namespace pngtest

// Decodes with temporary storage of exactly the size asked for.
inline bool DecodeInto(const Bytes &file, void *pixels, int pitch, PNGPixelFunction *f, PNGLoader *loader)
{
	InitializePNGLoader(loader, file.data(), file.size());
	if (!LoadPNGHeader(loader)) return false;
	void *storage = malloc(TemporaryBytesForPNGLoader(loader));
	bool ok = LoadPNGImageDataWithTemporaryStorage(loader, pixels, pitch, f, storage);
	free(storage);
	return ok;
}

inline Decoded DecodeWithEngine(const Bytes &file)
{
	Decoded d;
	PNGLoader loader;
	InitializePNGLoader(&loader, file.data(), file.size());
	d.header = LoadPNGHeader(&loader);
	if (!d.header) return d;
	d.width = loader.width, d.height = loader.height;
	if ((int64_t)d.width * d.height > 1 << 22) return d;  // damage that makes an image huge: not decoded here
	d.pixels.assign((size_t)d.width * d.height, 0);
	pngtest::current = &d;
	d.ok = DecodeInto(file, d.pixels.data(), d.width * 4, pngtest::Store, &loader);
	pngtest::current = nullptr;
	std::vector<uint32_t> argb(d.pixels.size()), rgba(d.pixels.size());
	d.agree = DecodeInto(file, argb.data(), d.width * 4, StorePNGPixelARGB, &loader) == d.ok &&
		DecodeInto(file, rgba.data(), d.width * 4, StorePNGPixelRGBA, &loader) == d.ok;
	for (size_t i = 0; d.ok && i < argb.size(); i++) {
		const uint8_t *c = (const uint8_t *)&rgba[i];
		uint32_t p = (uint32_t)c[3] << 24 | (uint32_t)c[0] << 16 | (uint32_t)c[1] << 8 | c[2];
		d.agree = d.agree && argb[i] == d.pixels[i] && p == d.pixels[i];
	}
	return d;
}

// The grey values of a decoded greyscale image.
inline Bytes GreyValues(const Decoded &d)
{
	Bytes out;
	for (uint32_t p : d.pixels) out.push_back((uint8_t)p);
	return out;
}
