// Bundle file images built in memory for tests through the packer's own
// writer, which can start every entry's data 1 to 3 bytes past a 4-byte
// boundary as other writers may; bundles loaded the way the loader loads them;
// and a scratch folder in the build folder for the tests that write files.
#pragma once
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>
#include <gtest/gtest.h>
#include "Graphics/Drawing.h"
#include "Graphics/RLEBitmapIndex.h"
#include "Platform/ResourceBundle.h"
#include "tools/laserpack/BundleWriter.h"

struct Picture
{
	int width, height;
	std::vector<Pixel> pixels;  // rows top to bottom; bit 31 clear is transparent in a frame
};

static inline Bitmap AsBitmap(const Picture &p)
{
	Bitmap b;
	InitializeBitmap(&b, p.width, p.height, p.width * 4, const_cast<Pixel *>(p.pixels.data()));
	return b;
}

struct BundleImage
{
	BundleWriter writer;
	std::string error;

	void Add(const std::string &name, char type, const std::vector<uint8_t> &data)
	{
		EXPECT_TRUE(AddRawEntry(&writer, name, (uint32_t)(uint8_t)type, data, &error)) << error;
	}
	void AddFrames(const std::string &name, const std::vector<Picture> &pictures)
	{
		std::vector<Bitmap> bitmaps;
		for (const Picture &p : pictures) bitmaps.push_back(AsBitmap(p));
		EXPECT_TRUE(AddFramesEntry(&writer, name, bitmaps, &error)) << error;
	}
	void AddBitmap(const std::string &name, const Picture &picture)
	{
		Bitmap b = AsBitmap(picture);
		EXPECT_TRUE(AddBitmapEntry(&writer, name, &b, &error)) << error;
	}
	std::vector<uint8_t> Build(int skew = 0)
	{
		std::vector<uint8_t> file;
		writer.skew = skew;
		EXPECT_TRUE(WriteBundle(&writer, &file, &error)) << error;
		return file;
	}
};

// A bundle checked where it lies at an odd address in an exactly sized block
// (so ASan sees any read past its end), then fixed up in a malloc'd block as
// the loader does. self is null when the check refused it.
struct LoadedBundle
{
	ResourceBundle *self = nullptr;
	ResourceBundleProblems problems = {};
	LoadedBundle(const std::vector<uint8_t> &file, const char *name)
	{
		uint8_t *odd = (uint8_t *)malloc(file.size() + 1);
		if (!file.empty()) memcpy(odd + 1, file.data(), file.size());
		size_t size = CheckResourceBundle(odd + 1, file.size(), &problems);
		free(odd);
		if (size == 0) return;
		self = (ResourceBundle *)malloc(size);
		memcpy(self, file.data(), file.size());
		EXPECT_TRUE(FixUpResourceBundle(self, file.size(), name));
		AddIndexedRLEBlock(self, (uint8_t *)self + size);  // as the loader does
	}
	~LoadedBundle()
	{
		RemoveIndexedRLEBlock(self);
		free(self);
	}
};

// The picture an RLE image draws onto a cleared canvas of its size.
static inline std::vector<Pixel> Drawn(RLEBitmap *r)
{
	std::vector<Pixel> pixels((size_t)r->width * r->height, 0);
	Bitmap canvas;
	InitializeBitmap(&canvas, r->width, r->height, r->width * 4, pixels.data());
	DrawRLEBitmap(&canvas, r, 0, 0);
	return pixels;
}

// A fresh folder in the working directory, the build folder, removed at the end.
struct ScratchFolder
{
	char name[32] = "zep-scratch-XXXXXX";
	ScratchFolder() { EXPECT_NE(mkdtemp(name), nullptr); }
	~ScratchFolder() { EXPECT_EQ(system((std::string("rm -rf ") + name).c_str()), 0); }
};

static inline std::string ReadFile(const std::string &path)
{
	std::ifstream in(path, std::ios::binary);
	return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

static inline void WriteFile(const std::string &path, const std::vector<uint8_t> &bytes)
{
	std::ofstream(path, std::ios::binary).write((const char *)bytes.data(), (std::streamsize)bytes.size());
}
