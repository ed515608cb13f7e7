// libpng's simplified API does the format work; this converts to and from the
// engine's pixel word.
#include "tools/laserpack/PngFile.h"
#include <png.h>
#include <cstring>

bool ReadPngFile(const std::string &path, PngImage *image, std::string *error)
{
	png_image png;
	memset(&png, 0, sizeof png);
	png.version = PNG_IMAGE_VERSION;
	if (!png_image_begin_read_from_file(&png, path.c_str())) {
		*error = path + ": " + png.message;
		return false;
	}
	png.format = PNG_FORMAT_BGRA;  // bytes B, G, R, A: the engine's word on a little-endian machine
	image->width = (int)png.width;
	image->height = (int)png.height;
	if (png.width > 32767 || png.height > 32767) {
		png_image_free(&png);
		*error = path + ": larger than 32767 pixels";
		return false;
	}
	image->pixels.assign((size_t)png.width * png.height, 0);
	if (!png_image_finish_read(&png, nullptr, image->pixels.data(), 0, nullptr)) {
		*error = path + ": " + png.message;
		return false;
	}
	return true;
}

bool WritePngFile(const std::string &path, int width, int height, const Pixel *pixels, std::string *error)
{
	png_image png;
	memset(&png, 0, sizeof png);
	png.version = PNG_IMAGE_VERSION;
	png.width = (png_uint_32)width;
	png.height = (png_uint_32)height;
	png.format = PNG_FORMAT_BGRA;
	if (!png_image_write_to_file(&png, path.c_str(), 0, pixels, 0, nullptr)) {
		*error = path + ": " + png.message;
		return false;
	}
	return true;
}
