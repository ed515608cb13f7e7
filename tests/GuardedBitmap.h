// A bitmap framed by guard pixels inside a larger buffer, rows maybe padded
// further; Put and Blend are the clipped writes of the tests' reference models.
#pragma once
#include <algorithm>
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
		InitializeBitmap(&bitmap, w, h, stride * 4, &At(0, 0));
		for (int y = 0; y < h; y++) std::fill_n(&At(0, y), w, fill);
	}
	Pixel &At(int x, int y) { return memory[(size_t)(y + border) * stride + x + border]; }
	const Pixel &At(int x, int y) const { return memory[(size_t)(y + border) * stride + x + border]; }
	bool Inside(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
	Pixel Get(int x, int y) const { return Inside(x, y) ? At(x, y) : 0; }
	void Put(int x, int y, Pixel c) { if (Inside(x, y)) At(x, y) = c; }
	void Blend(int x, int y, Pixel c, CompositionMode comp) { Put(x, y, comp(Get(x, y), c)); }
};

// "" when both buffers hold the same pixels, else the first place they differ.
inline std::string Difference(const GuardedBitmap &got, const GuardedBitmap &want)
{
	size_t i = std::mismatch(got.memory.begin(), got.memory.end(), want.memory.begin()).first - got.memory.begin();
	char text[80] = "";
	if (i < got.memory.size())
		snprintf(text, sizeof text, "(%d, %d): 0x%08X instead of 0x%08X", (int)(i % got.stride) - got.border,
			(int)(i / got.stride) - got.border, got.memory[i], want.memory[i]);
	return text;
}
