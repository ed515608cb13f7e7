// PNG files for the tools, through libpng: read as BGRA32 pixels (alpha kept)
// and written from them. The game itself never reads PNG files.
#pragma once
#include <string>
#include <vector>
#include "Graphics/Pixels/BGRA32.h"

struct PngImage
{
	int width = 0, height = 0;
	std::vector<Pixel> pixels;  // rows top to bottom, width pixels each
};

bool ReadPngFile(const std::string &path, PngImage *image, std::string *error);
bool WritePngFile(const std::string &path, int width, int height, const Pixel *pixels, std::string *error);
