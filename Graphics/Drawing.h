// Every drawing operation of the engine. Each exists as Draw (writes) and
// Composite (blends through a CompositionMode), clipped and NoClip. Clipped
// forms drop what lies outside the destination; NoClip forms trust the caller.
#pragma once
#include "Graphics/Bitmap.h"
#include "Graphics/Pixels/Composition32.h"
#include "Graphics/RLEBitmap.h"

typedef Pixel (*CompositionMode)(Pixel below, Pixel above);
typedef void (*LineDrawingFunction)(Bitmap *bitmap, int x, int y, int len, Pixel c, CompositionMode comp);

// Single pixels.
void DrawPixel(Bitmap *bitmap, int x, int y, Pixel c);
void DrawPixelNoClip(Bitmap *bitmap, int x, int y, Pixel c);
void CompositePixel(Bitmap *bitmap, int x, int y, Pixel c, CompositionMode comp);
void CompositePixelNoClip(Bitmap *bitmap, int x, int y, Pixel c, CompositionMode comp);
Pixel ReadPixel(Bitmap *bitmap, int x, int y);
Pixel ReadPixelNoClip(Bitmap *bitmap, int x, int y);

// Axis-aligned lines.
void DrawHorizontalLine(Bitmap *bitmap, int x, int y, int len, Pixel c);
void DrawHorizontalLineNoClip(Bitmap *bitmap, int x, int y, int len, Pixel c);
void CompositeHorizontalLine(Bitmap *bitmap, int x, int y, int len, Pixel c, CompositionMode comp);
void CompositeHorizontalLineNoClip(Bitmap *bitmap, int x, int y, int len, Pixel c, CompositionMode comp);
void DrawVerticalLine(Bitmap *bitmap, int x, int y, int len, Pixel c);
void DrawVerticalLineNoClip(Bitmap *bitmap, int x, int y, int len, Pixel c);
void CompositeVerticalLine(Bitmap *bitmap, int x, int y, int len, Pixel c, CompositionMode comp);
void CompositeVerticalLineNoClip(Bitmap *bitmap, int x, int y, int len, Pixel c, CompositionMode comp);

// Rectangle outlines and filled rectangles.
void DrawRectangle(Bitmap *bitmap, int x, int y, int w, int h, Pixel c);
void DrawRectangleNoClip(Bitmap *bitmap, int x, int y, int w, int h, Pixel c);
void CompositeRectangle(Bitmap *bitmap, int x, int y, int w, int h, Pixel c, CompositionMode comp);
void CompositeRectangleNoClip(Bitmap *bitmap, int x, int y, int w, int h, Pixel c, CompositionMode comp);
void DrawFilledRectangle(Bitmap *bitmap, int x, int y, int w, int h, Pixel c);
void DrawFilledRectangleNoClip(Bitmap *bitmap, int x, int y, int w, int h, Pixel c);
void CompositeFilledRectangle(Bitmap *bitmap, int x, int y, int w, int h, Pixel c, CompositionMode comp);
void CompositeFilledRectangleNoClip(Bitmap *bitmap, int x, int y, int w, int h, Pixel c, CompositionMode comp);

// Bitmap blits: (x, y) in dest receives (u, v) of src.
void DrawBitmap(Bitmap *dest, Bitmap *src, int x, int y);
void DrawBitmapNoClip(Bitmap *dest, Bitmap *src, int x, int y);
void DrawPartialBitmap(Bitmap *dest, Bitmap *src, int x, int y, int u, int v, int w, int h);
void DrawPartialBitmapNoClip(Bitmap *dest, Bitmap *src, int x, int y, int u, int v, int w, int h);
void CompositeBitmap(Bitmap *dest, Bitmap *src, int x, int y, CompositionMode comp);
void CompositeBitmapNoClip(Bitmap *dest, Bitmap *src, int x, int y, CompositionMode comp);
void CompositePartialBitmap(Bitmap *dest, Bitmap *src, int x, int y, int u, int v, int w, int h, CompositionMode comp);
void CompositePartialBitmapNoClip(Bitmap *dest, Bitmap *src, int x, int y, int u, int v, int w, int h, CompositionMode comp);

// RLE images with their top-left corner at (x, y). The NoClip forms trust the
// caller vertically and still clip each run horizontally.
void DrawRLEBitmap(Bitmap *bitmap, RLEBitmap *src, int x, int y);
void DrawRLEBitmapNoClip(Bitmap *bitmap, RLEBitmap *src, int x, int y);
void CompositeRLEBitmap(Bitmap *bitmap, RLEBitmap *src, int x, int y, CompositionMode mode);
void CompositeRLEBitmapNoClip(Bitmap *bitmap, RLEBitmap *src, int x, int y, CompositionMode mode);
void DrawFilledRLEBitmap(Bitmap *bitmap, RLEBitmap *src, int x, int y, Pixel c);
void DrawFilledRLEBitmapNoClip(Bitmap *bitmap, RLEBitmap *src, int x, int y, Pixel c);
void CompositeFilledRLEBitmap(Bitmap *bitmap, RLEBitmap *src, int x, int y, Pixel c, CompositionMode mode);
void CompositeFilledRLEBitmapNoClip(Bitmap *bitmap, RLEBitmap *src, int x, int y, Pixel c, CompositionMode mode);
