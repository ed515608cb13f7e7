// The four ways of combining the pixel already in a bitmap ("below") with the
// one being drawn ("above"). The fast modes work on the packed word and decide
// transparency by bit 31 alone; only source-over unpacks and multiplies.
// Not static: each mode has one address in the whole program, so that drawing
// can recognise a mode it has a faster loop for.
#pragma once
#include "Graphics/Pixels/Multiply8.h"
#include "Graphics/Pixels/Packing32.h"

inline Pixel SourceOverCompositionMode(Pixel below, Pixel above)
{
	int a2 = ExtractAlpha(above), a1 = ExtractAlpha(below);
	// alpha goes through the same blend as the colours, so above's alpha enters squared
	int r = PixelMul8(a2, ExtractRed(above)) + PixelMul8(255 - a2, ExtractRed(below));
	int g = PixelMul8(a2, ExtractGreen(above)) + PixelMul8(255 - a2, ExtractGreen(below));
	int b = PixelMul8(a2, ExtractBlue(above)) + PixelMul8(255 - a2, ExtractBlue(below));
	int a = PixelMul8(a2, a2) + PixelMul8(255 - a2, a1);
	return AssemblePixel(r, g, b, a);
}

inline Pixel FastTransparencyCompositionMode(Pixel below, Pixel above)
{
	return (above & 0x80000000u) ? above : below;
}

inline Pixel FastHalfTransparentCompositionMode(Pixel below, Pixel above)
{
	if (!(above & 0x80000000u)) return below;
	return ((above >> 1) & 0x7F7F7F7Fu) + ((below >> 1) & 0x7F7F7F7Fu) + (above & below & 0x01010101u);
}

inline Pixel DummyCompositionMode(Pixel below, Pixel above)
{
	(void)below;
	return above;
}
