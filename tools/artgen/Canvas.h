// A small RGBA canvas for the picture generators: shapes in colours, a dark
// outline around what is drawn, mirroring, and cells copied into sheets.
#pragma once
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>
#include "Graphics/Pixels/BGRA32.h"

struct Canvas
{
	int width, height;
	std::vector<Pixel> pixels;
};

Canvas NewCanvas(int width, int height, Pixel fill = 0);
Pixel Hex(uint32_t rgb);  // opaque from 0xRRGGBB
Pixel Mix(Pixel a, Pixel b, double t);
Pixel Darker(Pixel c, double f);
bool IsInk(const Canvas &c, int x, int y);
Pixel At(const Canvas &c, int x, int y);
void Plot(Canvas *c, int x, int y, Pixel p);
// A disc shaded as a sphere lit from the top left: light, mid and dark.
void ShadedDisc(Canvas *c, double cx, double cy, double r, Pixel light, Pixel mid, Pixel dark);
// A disc glowing outwards: core at the centre, rim at the edge.
void GlowDisc(Canvas *c, double cx, double cy, double r, Pixel core, Pixel mid, Pixel rim);
void Ellipse(Canvas *c, double cx, double cy, double rx, double ry, Pixel p);
void Rect(Canvas *c, int x, int y, int w, int h, Pixel p);
// Every transparent pixel next to ink becomes the outline colour.
void Outline(Canvas *c, Pixel p);
Canvas Mirrored(const Canvas &c);
// Copies the ink of src; its transparent pixels leave dest as it was.
void Paste(Canvas *dest, const Canvas &src, int x, int y);
bool Save(const Canvas &c, const std::string &path);
