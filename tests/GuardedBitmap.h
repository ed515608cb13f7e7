// A bitmap inside a larger buffer whose frame of guard pixels must survive
// every drawing operation untouched.
#pragma once
#include <vector>
#include "Graphics/Bitmap.h"

struct GuardedBitmap
{
	static constexpr int border = 8;
	static constexpr Pixel guard = 0x5A5A5A5Au;
	int width, height, stride;
	std::vector<Pixel> memory;
	Bitmap bitmap;

	GuardedBitmap(int w, int h, Pixel fill = 0) : width(w), height(h), stride(w + 2 * border),
		memory((size_t)(w + 2 * border) * (h + 2 * border), guard)
	{
		InitializeBitmap(&bitmap, w, h, stride * 4, &memory[(size_t)border * stride + border]);
		FillBitmap(&bitmap, fill);
	}

	Pixel At(int x, int y) const { return memory[(size_t)(y + border) * stride + x + border]; }

	bool GuardsIntact() const
	{
		for (int y = -border; y < height + border; y++)
			for (int x = -border; x < width + border; x++) {
				bool inside = x >= 0 && y >= 0 && x < width && y < height;
				if (!inside && At(x, y) != guard) return false;
			}
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
