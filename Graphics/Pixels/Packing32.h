// Packing and unpacking of BGRA32 pixels. Transparency is decided by bit 31
// alone everywhere in the engine, so alpha 128-255 is opaque.
#pragma once
#include "Graphics/Pixels/BGRA32.h"

static inline Pixel AssemblePixel(int r, int g, int b, int a)
{
	return ((Pixel)a << 24) | ((Pixel)r << 16) | ((Pixel)g << 8) | (Pixel)b;
}

static inline int ExtractRed(Pixel c) { return (c >> 16) & 255; }
static inline int ExtractGreen(Pixel c) { return (c >> 8) & 255; }
static inline int ExtractBlue(Pixel c) { return c & 255; }
static inline int ExtractAlpha(Pixel c) { return c >> 24; }

static inline int IsPixelTransparent(Pixel c) { return (int)((~c) >> 31); }
