// A bitmap inside a larger buffer: a frame of guard pixels that every drawing
// operation must leave untouched, and rows that may be padded further, so
// that bytesperrow is always wider than the width. The clipped Put and Blend
// are what the tests' per-pixel reference models are written with.
#pragma once
#include <cstdio>
#include <random>
#include <string>
#include <vector>
#include "Graphics/Drawing.h"

struct GuardedBitmap
{
	static constexpr int border = 16;
	static constexpr Pixel guard = 0x5A5A5A5Au;
	int width, height, stride;
	std::vector<Pixel> memory;
	Bitmap bitmap;

	GuardedBitmap(int w, int h, Pixel fill = 0, int pad = 0) : width(w), height(h), stride(w + 2 * border + pad),
		memory((size_t)stride * (h + 2 * border), guard)
	{
		InitializeBitmap(&bitmap, w, h, stride * 4, &memory[(size_t)border * stride + border]);
		for (int y = 0; y < h; y++)
			for (int x = 0; x < w; x++) At(x, y) = fill;
	}

	Pixel &At(int x, int y) { return memory[(size_t)(y + border) * stride + x + border]; }
	Pixel At(int x, int y) const { return memory[(size_t)(y + border) * stride + x + border]; }
	bool Inside(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
	Pixel Get(int x, int y) const { return Inside(x, y) ? At(x, y) : 0; }
	void Put(int x, int y, Pixel c) { if (Inside(x, y)) At(x, y) = c; }
	void Blend(int x, int y, Pixel c, CompositionMode comp) { Put(x, y, comp(Get(x, y), c)); }

	// Every pixel, frame and padding included, from rng.
	void Randomise(std::mt19937 &rng) { for (Pixel &p : memory) p = (Pixel)rng(); }

	bool GuardsIntact() const
	{
		for (int y = -border; y < height + border; y++)
			for (int x = -border; x < stride - border; x++)
				if (!Inside(x, y) && At(x, y) != guard) return false;
		return true;
	}

	int CountOf(Pixel c) const
	{
		int n = 0;
		for (int y = 0; y < height; y++)
			for (int x = 0; x < width; x++) n += At(x, y) == c;
		return n;
	}
};

// "" when both buffers hold the same bytes, else the first place they differ.
static inline std::string Difference(const GuardedBitmap &got, const GuardedBitmap &want)
{
	for (size_t i = 0; i < got.memory.size(); i++)
		if (got.memory[i] != want.memory[i]) {
			char text[96];
			snprintf(text, sizeof text, "(%d, %d): 0x%08X instead of 0x%08X", (int)(i % got.stride) - got.border,
				(int)(i / got.stride) - got.border, got.memory[i], want.memory[i]);
			return text;
		}
	return "";
}
