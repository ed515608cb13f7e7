// PNG files for the tools: read with the engine's own PNG loader into BGRA32
// pixels (alpha kept as the file has it), written through libpng.
#pragma once
#include <string>
#include <vector>
#include "Graphics/Pixels/BGRA32.h"

struct PngImage
{
	int width = 0, height = 0;
	std::vector<Pixel> pixels;  // rows top to bottom, width pixels each
};

// Fails with a message naming the file for anything the engine cannot read,
// and for pictures wider or higher than a Bitmap holds (32767).
// A whole regular file; false for anything else or when it cannot be read.
bool ReadWholeFile(const std::string &path, std::vector<uint8_t> *data);
bool ReadPngFile(const std::string &path, PngImage *image, std::string *error);
bool WritePngFile(const std::string &path, int width, int height, const Pixel *pixels, std::string *error);
