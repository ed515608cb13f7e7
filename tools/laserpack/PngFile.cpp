// Reading goes through Graphics/PNG, so that the pictures in a bundle are
// exactly what the engine's decoder makes of the files; writing (for the
// inspector) uses libpng's simplified API.
#include "tools/laserpack/PngFile.h"
#include <png.h>
#include <sys/stat.h>
#include <cstdio>
#include <cstring>
#include "Graphics/PNG.h"
#include "Graphics/Pixels/Packing32.h"

static void *StorePixel(void *destination, uint8_t r, uint8_t g, uint8_t b, uint8_t a, int, int)
{
	*(Pixel *)destination = AssemblePixel(r, g, b, a);
	return (Pixel *)destination + 1;
}

// Only regular files: reading a directory through a stream throws instead of failing.
bool ReadWholeFile(const std::string &path, std::vector<uint8_t> *data)
{
	struct stat st;
	if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
	FILE *f = fopen(path.c_str(), "rb");
	if (!f) return false;
	data->resize((size_t)st.st_size);
	bool ok = fread(data->data(), 1, data->size(), f) == data->size();
	fclose(f);
	return ok;
}

bool ReadPngFile(const std::string &path, PngImage *image, std::string *error)
{
	std::vector<uint8_t> bytes;
	if (!ReadWholeFile(path, &bytes)) {
		*error = path + ": cannot be read (missing, or not a file)";
		return false;
	}
	PNGLoader loader;
	InitializePNGLoader(&loader, bytes.data(), bytes.size());
	if (!LoadPNGHeader(&loader)) {
		*error = path + ": not a PNG the engine reads (it takes 8 bits per channel, or 1 to 8-bit grey or indexed, "
			"not interlaced)";
		return false;
	}
	if (loader.width > 32767 || loader.height > 32767) {
		*error = path + ": larger than 32767 pixels";
		return false;
	}
	image->width = loader.width;
	image->height = loader.height;
	image->pixels.assign((size_t)loader.width * (size_t)loader.height, 0);
	if (!LoadPNGImageData(&loader, image->pixels.data(), loader.width * 4, StorePixel)) {
		*error = path + ": damaged image data";
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
	png.format = PNG_FORMAT_BGRA;  // bytes B, G, R, A: the engine's pixel word on a little-endian machine
	if (!png_image_write_to_file(&png, path.c_str(), 0, pixels, 0, nullptr)) {
		*error = path + ": " + png.message;
		return false;
	}
	return true;
}
