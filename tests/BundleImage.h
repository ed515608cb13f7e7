// Bundle file images built in memory for tests, through the packer's own
// bundle writer and the engine's RLE encoder, and a PCM WAV writer for test
// sounds.
#pragma once
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>
#include <gtest/gtest.h>
#include "Graphics/RLEBitmap.h"
#include "tools/laserpack/BundleWriter.h"
#include "Platform/ResourceBundle.h"

struct Picture
{
	int width, height;
	std::vector<Pixel> pixels;
};

struct BundleImage
{
	BundleWriter writer;

	void Add(const std::string &name, char type, const std::vector<uint8_t> &data)
	{
		std::string error;
		EXPECT_TRUE(AddRawEntry(&writer, name, (uint32_t)(uint8_t)type, data, &error)) << error;
	}

	// A frames array of pictures given as rows of pixels (bit 31 clear is transparent).
	void AddFrames(const std::string &name, const std::vector<Picture> &pictures)
	{
		std::vector<Bitmap> bitmaps;
		for (const Picture &p : pictures) {
			Bitmap b;
			InitializeBitmap(&b, p.width, p.height, p.width * 4, const_cast<Pixel *>(p.pixels.data()));
			bitmaps.push_back(b);
		}
		std::string error;
		EXPECT_TRUE(AddFramesEntry(&writer, name, bitmaps, &error)) << error;
	}

	std::vector<uint8_t> Build()
	{
		std::vector<uint8_t> file;
		std::string error;
		EXPECT_TRUE(WriteBundle(&writer, &file, &error)) << error;
		return file;
	}
};

// Grows a file image to the block a loaded bundle needs and fixes it up.
static inline bool FixUpBundleImage(std::vector<uint8_t> &file, const char *name)
{
	size_t filesize = file.size(), size = ResourceBundleMemorySize(file.data(), filesize);
	if (size == 0) return false;
	file.resize(size);
	return FixUpResourceBundle((ResourceBundle *)file.data(), filesize, name);
}

// Pixels of a picture, rows top to bottom.
static inline Picture MakePicture(int width, int height, const std::vector<uint32_t> &pixels)
{
	return Picture{width, height, pixels};
}

// 16-bit stereo PCM at 22050 Hz: a quiet square wave of the given length.
static inline std::vector<uint8_t> MakeWAV(int frames)
{
	std::vector<uint8_t> wav(44 + frames * 4);
	auto put32 = [&](size_t at, uint32_t v) { memcpy(&wav[at], &v, 4); };
	auto put16 = [&](size_t at, uint16_t v) { memcpy(&wav[at], &v, 2); };
	memcpy(&wav[0], "RIFF", 4);
	put32(4, (uint32_t)wav.size() - 8);
	memcpy(&wav[8], "WAVEfmt ", 8);
	put32(16, 16);
	put16(20, 1);  // PCM
	put16(22, 2);
	put32(24, 22050);
	put32(28, 22050 * 4);
	put16(32, 4);
	put16(34, 16);
	memcpy(&wav[36], "data", 4);
	put32(40, (uint32_t)frames * 4);
	for (int i = 0; i < frames; i++) {
		int16_t s = (i / 50) % 2 ? 500 : -500;
		memcpy(&wav[44 + i * 4], &s, 2);
		memcpy(&wav[46 + i * 4], &s, 2);
	}
	return wav;
}
