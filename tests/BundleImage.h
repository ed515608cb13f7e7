// Builds resource bundle file images in memory for tests, in the layout the
// bundle reader expects: magic, entry count, 128-byte name, a sorted
// directory of 44-byte entries, then the data, 4-byte aligned. Also a small
// RLE encoder for test pictures and a PCM WAV writer for test sounds.
#pragma once
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>
#include "Graphics/RLEBitmap.h"
#include "Platform/ResourceBundle.h"

struct BundleImage
{
	struct Entry
	{
		std::string name;
		uint32_t type;
		std::vector<uint8_t> data;
	};
	std::vector<Entry> entries;

	void Add(const std::string &name, char type, const std::vector<uint8_t> &data)
	{
		entries.push_back({name, (uint32_t)(uint8_t)type, data});
	}

	// A frames array: offsets from the array's start, a zero, then the pictures.
	void AddFrames(const std::string &name, const std::vector<std::vector<uint32_t>> &pictures)
	{
		std::vector<uint32_t> words(pictures.size() + 1, 0);
		for (size_t i = 0; i < pictures.size(); i++) {
			words[i] = (uint32_t)(words.size() * 4);
			words.insert(words.end(), pictures[i].begin(), pictures[i].end());
		}
		std::vector<uint8_t> bytes(words.size() * 4);
		memcpy(bytes.data(), words.data(), bytes.size());
		Add(name, 'R', bytes);
	}

	// The file image; its storage is 16-byte aligned by the vector's allocator.
	std::vector<uint8_t> Build()
	{
		std::sort(entries.begin(), entries.end(),
		          [](const Entry &a, const Entry &b) { return strncmp(a.name.c_str(), b.name.c_str(), 32) < 0; });
		std::vector<uint8_t> file(140 + 44 * entries.size(), 0);
		memcpy(file.data(), "LoVeSiGn", 8);
		Put(file, 8, (uint32_t)entries.size());
		for (size_t i = 0; i < entries.size(); i++) {
			while (file.size() % 4) file.push_back(0);
			size_t at = 140 + 44 * i;
			Put(file, at, (uint32_t)file.size());
			Put(file, at + 4, (uint32_t)entries[i].data.size());
			Put(file, at + 8, entries[i].type);
			memcpy(&file[at + 12], entries[i].name.data(), std::min<size_t>(32, entries[i].name.size()));
			file.insert(file.end(), entries[i].data.begin(), entries[i].data.end());
		}
		return file;
	}

	static void Put(std::vector<uint8_t> &file, size_t at, uint32_t v) { memcpy(&file[at], &v, 4); }
};

// Grows a file image to the block a loaded bundle needs and fixes it up.
static inline bool FixUpBundleImage(std::vector<uint8_t> &file, const char *name)
{
	size_t filesize = file.size(), size = ResourceBundleMemorySize(file.data(), filesize);
	if (size == 0) return false;
	file.resize(size);
	return FixUpResourceBundle((ResourceBundle *)file.data(), filesize, name);
}

// Encodes rows of pixels (bit 31 clear = transparent) as RLEBitmap words.
static inline std::vector<uint32_t> EncodeRLE(int width, int height, const std::vector<uint32_t> &pixels)
{
	std::vector<uint32_t> words = {(uint32_t)width, (uint32_t)height};
	for (int y = 0; y < height; y++) {
		int x = 0;
		while (x < width) {
			int empty = 0, filled = 0;
			while (x + empty < width && !(pixels[y * width + x + empty] >> 31)) empty++;
			while (x + empty + filled < width && (pixels[y * width + x + empty + filled] >> 31)) filled++;
			words.push_back(PackRunLengths(empty, filled));
			for (int i = 0; i < filled; i++) words.push_back(pixels[y * width + x + empty + i]);
			x += empty + filled;
		}
	}
	return words;
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
