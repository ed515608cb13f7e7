// Writes the fuzzers' starting corpora into <folder>/bundle, <folder>/png and
// <folder>/inflate: bundles from the packer's writer (one gzip-compressed),
// PNG files of every colour type and depth, and deflate streams of every
// zlib level and strategy.
#include <sys/stat.h>
#include <cstdio>
#include <random>
#include <string>
#include "tests/png/PNGFiles.h"
#include "tools/laserpack/BundleWriter.h"

static void Save(const std::string &path, const Bytes &bytes)
{
	FILE *f = fopen(path.c_str(), "wb");
	if (!f || fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size() || fclose(f) != 0) {
		fprintf(stderr, "fuzzseeds: cannot write %s\n", path.c_str());
		exit(1);
	}
}

static Bytes Compress(const Bytes &data, int level, int windowbits, int strategy)
{
	z_stream z = {};
	deflateInit2(&z, level, Z_DEFLATED, windowbits, 8, strategy);
	Bytes out(deflateBound(&z, (uLong)data.size()));
	z.next_in = (Bytef *)data.data();
	z.avail_in = (uInt)data.size();
	z.next_out = out.data();
	z.avail_out = (uInt)out.size();
	deflate(&z, Z_FINISH);
	out.resize(z.total_out);
	deflateEnd(&z);
	return out;
}

static void Bundles(const std::string &folder)
{
	std::vector<Pixel> pixels(12 * 7);
	for (size_t i = 0; i < pixels.size(); i++) pixels[i] = i % 3 ? 0xff000000u | (Pixel)(i * 0x10203) : 0x40000000u;
	Bitmap sheet, small;
	InitializeBitmap(&sheet, 12, 7, 48, pixels.data());
	InitializeBitmap(&small, 3, 2, 48, pixels.data() + 5);
	BundleWriter w;
	std::string error;
	AddFramesEntry(&w, "Orb", {sheet, small, small}, &error);
	AddBitmapEntry(&w, "Title", &small, &error);
	AddRawEntry(&w, "points", 'S', {1, 2, 3, 4, 5}, &error);
	Bytes bytes;
	for (int skew = 0; skew < 4; skew++) {  // aligned as laserpack writes, and as other writers may not
		w.skew = skew;
		WriteBundle(&w, &bytes, &error);
		Save(folder + "/sample" + std::to_string(skew) + ".laser", bytes);
	}
	Save(folder + "/sample.laser.gz", Compress(bytes, 9, 31, Z_DEFAULT_STRATEGY));  // gzip, as the web site ships them
	BundleWriter empty;
	WriteBundle(&empty, &bytes, &error);
	Save(folder + "/empty.laser", bytes);
}

static void PNGs(const std::string &folder, std::mt19937 &rng)
{
	const int formats[][2] = {{0, 1}, {0, 2}, {0, 4}, {0, 8}, {2, 8}, {3, 1}, {3, 2}, {3, 4}, {3, 8}, {4, 8}, {6, 8}};
	for (auto &format : formats) {
		int type = format[0], depth = format[1], width = 9, height = 5;
		int channels = type == 2 ? 3 : type == 4 ? 2 : type == 6 ? 4 : 1;
		size_t rowbytes = ((size_t)width * depth * channels + 7) / 8;
		Bytes filtered;
		for (int y = 0; y < height; y++) {
			filtered.push_back((uint8_t)(y % 5));
			for (size_t i = 0; i < rowbytes; i++) filtered.push_back((uint8_t)rng());
		}
		std::vector<Bytes> parts = {HeaderChunk(width, height, depth, type)};
		if (type == 3) {
			Bytes palette(3 << depth), alpha(1 << (depth - 1));
			for (uint8_t &b : palette) b = (uint8_t)rng();
			for (uint8_t &b : alpha) b = (uint8_t)rng();
			parts.push_back(Chunk("PLTE", palette));
			parts.push_back(Chunk("tRNS", alpha));
		}
		for (Bytes &c : IDATChunks(Compress(filtered, 9, 15, Z_DEFAULT_STRATEGY), {7, 20})) parts.push_back(c);
		parts.push_back(Chunk("IEND", {}));
		Save(folder + "/type" + std::to_string(type) + "-depth" + std::to_string(depth) + ".png", Concatenate(parts));
	}
}

static void Streams(const std::string &folder, std::mt19937 &rng)
{
	const int strategies[] = {Z_DEFAULT_STRATEGY, Z_FILTERED, Z_HUFFMAN_ONLY, Z_RLE, Z_FIXED};
	const int widths[8] = {1, 3, 16, 255, 1000, 4095, 20000, 32510};
	int n = 0;
	for (int level : {0, 1, 6, 9})
		for (int strategy : strategies) {
			int choice = n % 5;  // the first five widths keep the seeds small
			Bytes data;
			for (int i = 0; i < 6 * widths[choice]; i++) data.push_back((uint8_t)(i % 40 < 20 ? rng() % 4 : rng()));
			Bytes stream = {(uint8_t)choice, (uint8_t)(n % 3 == 0 ? 3 : 200)};
			Bytes deflated = Compress(RowsOf(data, widths[choice]), level, -15, strategy);
			stream.insert(stream.end(), deflated.begin(), deflated.end());
			Save(folder + "/stream" + std::to_string(n++), stream);
		}
}

int main(int argc, char **argv)
{
	if (argc != 2) {
		fprintf(stderr, "usage: fuzzseeds <folder>\n");
		return 2;
	}
	std::string folder = argv[1];
	for (const char *sub : {"", "/bundle", "/png", "/inflate"}) mkdir((folder + sub).c_str(), 0755);
	std::mt19937 rng(2024);
	Bundles(folder + "/bundle");
	PNGs(folder + "/png", rng);
	Streams(folder + "/inflate", rng);
	return 0;
}
