// PNG loader: decodes a PNG image held in memory and hands every pixel, as
// 8-bit red, green, blue and alpha with its coordinates, to a function of the
// caller's, which stores it in whatever form it wants. Reads non-interlaced
// images of 8 bits per channel (truecolour, truecolour with alpha, greyscale
// with alpha) and greyscale or indexed images of 1, 2, 4 or 8 bits, with
// palette transparency. Needs only the C library; its inflate decoder is
// PNG.cpp's own, offered whole-buffer by Graphics/Inflate.h.
#pragma once
#include <cstddef>
#include <cstdint>

// Stores one pixel at destination and returns where the next pixel of the row goes.
typedef void *PNGPixelFunction(void *destination, uint8_t r, uint8_t g, uint8_t b, uint8_t a, int x, int y);

struct PNGLoader
{
	const uint8_t *bytes;  // the file, owned by the caller until decoding ends
	size_t length;
	int width, height;
	int bitdepth;     // bits per sample: 1, 2, 4 or 8
	int colourtype;   // 0 grey, 2 truecolour, 3 indexed, 4 grey with alpha, 6 truecolour with alpha
	int bytesperrow;  // one unfiltered row, without its filter byte
	int bytesperpixel;  // the filter distance; 1 for depths below 8
	const uint8_t *palettestart;  // RGB triples, or null
	int palettecount;
	const uint8_t *transparencystart;  // one alpha byte per palette index, or null
	int transparencycount;
	const uint8_t *idatstart;  // the image data chunk being read
	uint32_t idatsize;
};

// The loader's own pixel functions: 8-bit red, green, blue, alpha bytes, and
// the engine's 32-bit Pixel (alpha in bits 24-31, then red, green, blue).
// Given one of these, the loader converts whole rows at a time.
void *StorePNGPixelRGBA(void *destination, uint8_t r, uint8_t g, uint8_t b, uint8_t a, int x, int y);
void *StorePNGPixelARGB(void *destination, uint8_t r, uint8_t g, uint8_t b, uint8_t a, int x, int y);

void InitializePNGLoader(PNGLoader *self, const void *bytes, size_t length);

// Checks the signature and walks the chunks up to the first image data chunk.
// False for anything this loader cannot decode, including rows too long for
// the decoder's 32 KiB window and images of more than 4 GiB of data.
[[nodiscard]] bool LoadPNGHeader(PNGLoader *self);

// Bytes of temporary storage that decoding needs (about 76 KiB plus two rows).
[[nodiscard]] size_t TemporaryBytesForPNGLoader(PNGLoader *self);

// Decodes the image after LoadPNGHeader. pixels is where the top-left pixel
// goes and bytesperrow the caller's row pitch; temporarystorage holds
// TemporaryBytesForPNGLoader bytes, aligned as malloc aligns. Rows decoded
// before a failure have already been handed out. Decoding again needs a fresh
// LoadPNGHeader.
[[nodiscard]] bool LoadPNGImageDataWithTemporaryStorage(PNGLoader *self, void *pixels, int bytesperrow,
	PNGPixelFunction *pixelfunc, void *temporarystorage);

// The same with temporary storage allocated for the call; false when that fails.
[[nodiscard]] bool LoadPNGImageData(PNGLoader *self, void *pixels, int bytesperrow, PNGPixelFunction *pixelfunc);
