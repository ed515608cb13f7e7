// Opaque colours from possibly out-of-range channel values.
#pragma once
#include "Graphics/Pixels/Packing32.h"

static inline int ClampChannel8(int v) { return v < 0 ? 0 : v > 255 ? 255 : v; }

static inline Pixel RGB(int r, int g, int b)
{
	return AssemblePixel(ClampChannel8(r), ClampChannel8(g), ClampChannel8(b), 255);
}
