// The canvas operations of the picture generators.
#include "tools/artgen/Canvas.h"
#include <cstdio>
#include "tools/laserpack/PngFile.h"

Canvas NewCanvas(int width, int height, Pixel fill) { return Canvas{width, height, std::vector<Pixel>((size_t)width * height, fill)}; }

Pixel Hex(uint32_t rgb) { return 0xFF000000u | (rgb & 0xFFFFFFu); }

static int Channel(Pixel c, int shift) { return (int)((c >> shift) & 255); }

Pixel Mix(Pixel a, Pixel b, double t)
{
	if (t < 0) t = 0;
	if (t > 1) t = 1;
	Pixel out = 0;
	for (int shift = 0; shift < 32; shift += 8) {
		int v = (int)std::lround(Channel(a, shift) * (1 - t) + Channel(b, shift) * t);
		out |= (Pixel)v << shift;
	}
	return out;
}

Pixel Darker(Pixel c, double f) { return Mix(c | 0xFF000000u, 0xFF000000u, f); }

bool IsInk(const Canvas &c, int x, int y)
{
	return x >= 0 && y >= 0 && x < c.width && y < c.height && (c.pixels[(size_t)y * c.width + x] >> 31);
}

Pixel At(const Canvas &c, int x, int y)
{
	return x >= 0 && y >= 0 && x < c.width && y < c.height ? c.pixels[(size_t)y * c.width + x] : 0;
}

void Plot(Canvas *c, int x, int y, Pixel p)
{
	if (x >= 0 && y >= 0 && x < c->width && y < c->height) c->pixels[(size_t)y * c->width + x] = p;
}

void ShadedDisc(Canvas *c, double cx, double cy, double r, Pixel light, Pixel mid, Pixel dark)
{
	for (int y = (int)(cy - r - 1); y <= (int)(cy + r + 1); y++)
		for (int x = (int)(cx - r - 1); x <= (int)(cx + r + 1); x++) {
			double dx = x + 0.5 - cx, dy = y + 0.5 - cy;
			if (dx * dx + dy * dy > r * r) continue;
			// distance from a light spot up and to the left
			double lx = dx + r * 0.35, ly = dy + r * 0.35;
			double d = std::sqrt(lx * lx + ly * ly) / (r * 1.35);
			Plot(c, x, y, d < 0.45 ? light : d < 0.85 ? mid : dark);
		}
}

void GlowDisc(Canvas *c, double cx, double cy, double r, Pixel core, Pixel mid, Pixel rim)
{
	for (int y = (int)(cy - r - 1); y <= (int)(cy + r + 1); y++)
		for (int x = (int)(cx - r - 1); x <= (int)(cx + r + 1); x++) {
			double dx = x + 0.5 - cx, dy = y + 0.5 - cy, d = std::sqrt(dx * dx + dy * dy) / r;
			if (d > 1) continue;
			Plot(c, x, y, d < 0.45 ? core : d < 0.8 ? mid : rim);
		}
}

void Ellipse(Canvas *c, double cx, double cy, double rx, double ry, Pixel p)
{
	for (int y = (int)(cy - ry - 1); y <= (int)(cy + ry + 1); y++)
		for (int x = (int)(cx - rx - 1); x <= (int)(cx + rx + 1); x++) {
			double dx = (x + 0.5 - cx) / rx, dy = (y + 0.5 - cy) / ry;
			if (dx * dx + dy * dy <= 1) Plot(c, x, y, p);
		}
}

void Rect(Canvas *c, int x, int y, int w, int h, Pixel p)
{
	for (int j = y; j < y + h; j++)
		for (int i = x; i < x + w; i++) Plot(c, i, j, p);
}

void Outline(Canvas *c, Pixel p)
{
	Canvas before = *c;
	for (int y = 0; y < c->height; y++)
		for (int x = 0; x < c->width; x++)
			if (!IsInk(before, x, y) &&
				(IsInk(before, x - 1, y) || IsInk(before, x + 1, y) || IsInk(before, x, y - 1) || IsInk(before, x, y + 1)))
				Plot(c, x, y, p);
}

Canvas Mirrored(const Canvas &c)
{
	Canvas m = c;
	for (int y = 0; y < c.height; y++)
		for (int x = 0; x < c.width; x++) m.pixels[(size_t)y * c.width + x] = At(c, c.width - 1 - x, y);
	return m;
}

void Paste(Canvas *dest, const Canvas &src, int x, int y)
{
	for (int j = 0; j < src.height; j++)
		for (int i = 0; i < src.width; i++)
			if (IsInk(src, i, j)) Plot(dest, x + i, y + j, At(src, i, j));
}

bool Save(const Canvas &c, const std::string &path)
{
	std::string error;
	if (WritePngFile(path, c.width, c.height, c.pixels.data(), &error)) return true;
	fprintf(stderr, "artgen: %s\n", error.c_str());
	return false;
}
