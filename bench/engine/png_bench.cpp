// The PNG loader against libpng and its inflate decoder against zlib's
// uncompress, on two sets of real files: the game's own pictures (the PNG
// files the bundles are packed from) and the PNG files under /usr/share.
// The decoder is private to Graphics/PNG.cpp, so this file compiles its own
// copy of that file, with the same flags, inside a namespace to reach it, and
// measures the loader through that copy as well.
#include <benchmark/benchmark.h>
#include <png.h>
#include <zlib.h>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>
namespace decoder {
#include "Graphics/PNG.cpp"
}
using namespace decoder;

namespace {

using Bytes = std::vector<uint8_t>;

struct PNGFile
{
	Bytes file;
	Bytes stream;  // the image data: a zlib stream
	size_t unpacked;  // its decoded size
	int width, height;
};

uint32_t BigEndian(const uint8_t *p) { return (uint32_t)p[0] << 24 | (uint32_t)p[1] << 16 | (uint32_t)p[2] << 8 | p[3]; }

Bytes ReadFile(const std::string &path)
{
	std::ifstream in(path, std::ios::binary);
	return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Our decoder on a zlib stream, the output copied out of the window 16 KiB
// at a time: to its place in out, or, with reuse, always to the start of out.
bool Inflate(DeflateReader *reader, const Bytes &stream, size_t unpacked, uint8_t *out, bool reuse)
{
	InitializeDeflateReader(reader);
	ProvideDeflateInputBuffer(reader, stream.data() + 2, stream.size() - 2);
	for (uint32_t at = 0; at < unpacked; at += 16384) {
		uint32_t n = (uint32_t)std::min<size_t>(16384, unpacked - at);
		if (!ReadDeflateStreamToPosition(reader, at + n)) return false;
		CopyBytesFromDeflateWindow(reader, reuse ? out : out + at, at, n);
	}
	return true;
}

// A file both decoders read, with its image data joined; false for others.
bool Prepare(Bytes file, PNGFile *out)
{
	PNGLoader loader;
	InitializePNGLoader(&loader, file.data(), file.size());
	if (!LoadPNGHeader(&loader)) return false;
	png_image image;
	memset(&image, 0, sizeof image);
	image.version = PNG_IMAGE_VERSION;
	if (!png_image_begin_read_from_memory(&image, file.data(), file.size())) return false;
	png_image_free(&image);
	out->stream.clear();
	for (size_t at = 8; at + 12 <= file.size();) {
		uint32_t length = BigEndian(&file[at]);
		if (length > file.size() - at - 12) return false;
		if (!memcmp(&file[at + 4], "IDAT", 4)) out->stream.insert(out->stream.end(), &file[at + 8], &file[at + 8 + length]);
		at += 12 + (size_t)length;
	}
	out->unpacked = (size_t)(loader.bytesperrow + 1) * (size_t)loader.height;
	Bytes check(out->unpacked);
	uLongf size = (uLongf)check.size();
	if (uncompress(check.data(), &size, out->stream.data(), (uLong)out->stream.size()) != Z_OK || size != check.size())
		return false;
	// and ours must give the same bytes
	Bytes ours(check.size());
	std::vector<uint8_t> storage(sizeof(DeflateReader));
	if (!Inflate((DeflateReader *)storage.data(), out->stream, ours.size(), ours.data(), false) || ours != check)
		return false;
	out->width = loader.width;
	out->height = loader.height;
	out->file = std::move(file);
	return true;
}

// 0: the game's pictures, read from the build's art folder (run in build/run);
// 1: the PNG files of this machine, at most 60 of the largest under 2 MB.
const std::vector<PNGFile> &Files(int set)
{
	static std::vector<PNGFile> sets[2];
	static bool loaded[2];
	if (loaded[set]) return sets[set];
	loaded[set] = true;
	std::vector<std::pair<uintmax_t, std::string>> paths;
	std::error_code ec;
	const char *root = set == 0 ? "../art" : "/usr/share";
	for (auto it = std::filesystem::recursive_directory_iterator(root,
			 std::filesystem::directory_options::skip_permission_denied, ec);
		 it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
		if (it->path().extension() != ".png" || !it->is_regular_file(ec)) continue;
		uintmax_t size = it->file_size(ec);
		if (size < 2000000) paths.push_back({size, it->path().string()});
	}
	std::sort(paths.begin(), paths.end(), [](auto &a, auto &b) { return a.first != b.first ? a.first > b.first : a.second < b.second; });
	for (auto &[size, path] : paths) {
		if (set == 1 && sets[set].size() == 60) break;
		PNGFile f;
		if (Prepare(ReadFile(path), &f)) sets[set].push_back(std::move(f));
	}
	return sets[set];
}

bool HaveFiles(benchmark::State &state, const std::vector<PNGFile> &files)
{
	if (!files.empty()) return true;
	state.SkipWithError("no PNG files (run in build/run)");
	return false;
}

void *StorePixel(void *destination, uint8_t r, uint8_t g, uint8_t b, uint8_t a, int, int)
{
	uint32_t p = (uint32_t)a << 24 | (uint32_t)r << 16 | (uint32_t)g << 8 | b;
	memcpy(destination, &p, 4);
	return (uint8_t *)destination + 4;
}

void BM_LoadPNG(benchmark::State &state)
{
	const std::vector<PNGFile> &files = Files((int)state.range(0));
	if (!HaveFiles(state, files)) return;
	std::vector<uint32_t> out;
	int64_t pixels = 0;
	for (auto _ : state)
		for (const PNGFile &f : files) {
			out.resize((size_t)f.width * f.height);
			PNGLoader loader;
			InitializePNGLoader(&loader, f.file.data(), f.file.size());
			if (!LoadPNGHeader(&loader) || !LoadPNGImageData(&loader, out.data(), f.width * 4, StorePixel))
				state.SkipWithError("decode");
			benchmark::ClobberMemory();
			pixels += (int64_t)f.width * f.height;
		}
	state.SetBytesProcessed(pixels * 4);
}

void BM_Libpng(benchmark::State &state)
{
	const std::vector<PNGFile> &files = Files((int)state.range(0));
	if (!HaveFiles(state, files)) return;
	std::vector<uint32_t> out;
	int64_t pixels = 0;
	for (auto _ : state)
		for (const PNGFile &f : files) {
			out.resize((size_t)f.width * f.height);
			png_image image;
			memset(&image, 0, sizeof image);
			image.version = PNG_IMAGE_VERSION;
			if (!png_image_begin_read_from_memory(&image, f.file.data(), f.file.size())) state.SkipWithError("libpng");
			image.format = PNG_FORMAT_BGRA;
			if (!png_image_finish_read(&image, nullptr, out.data(), 0, nullptr)) state.SkipWithError("libpng");
			benchmark::ClobberMemory();
			pixels += (int64_t)f.width * f.height;
		}
	state.SetBytesProcessed(pixels * 4);
}

// Both write every decoded byte to memory: zlib into one buffer, ours out of
// its window in 16 KiB pieces, as the PNG loader copies rows out.
void BM_Inflate(benchmark::State &state)
{
	const std::vector<PNGFile> &files = Files((int)state.range(0));
	if (!HaveFiles(state, files)) return;
	std::vector<uint8_t> storage(sizeof(DeflateReader)), out(16384);
	int64_t bytes = 0;
	for (auto _ : state)
		for (const PNGFile &f : files) {
			if (!Inflate((DeflateReader *)storage.data(), f.stream, f.unpacked, out.data(), true)) state.SkipWithError("inflate");
			benchmark::ClobberMemory();
			bytes += (int64_t)f.unpacked;
		}
	state.SetBytesProcessed(bytes);
}

// uncompress also checks the stream's Adler-32 sum, which ours leaves alone.
void BM_ZlibUncompress(benchmark::State &state)
{
	const std::vector<PNGFile> &files = Files((int)state.range(0));
	if (!HaveFiles(state, files)) return;
	std::vector<uint8_t> out;
	int64_t bytes = 0;
	for (auto _ : state)
		for (const PNGFile &f : files) {
			out.resize(f.unpacked);
			uLongf size = (uLongf)out.size();
			if (uncompress(out.data(), &size, f.stream.data(), (uLong)f.stream.size()) != Z_OK) state.SkipWithError("zlib");
			benchmark::ClobberMemory();
			bytes += (int64_t)f.unpacked;
		}
	state.SetBytesProcessed(bytes);
}

// zlib on the raw deflate data without its Adler-32 check: the same work as ours.
void BM_ZlibInflateRaw(benchmark::State &state)
{
	const std::vector<PNGFile> &files = Files((int)state.range(0));
	if (!HaveFiles(state, files)) return;
	std::vector<uint8_t> out;
	int64_t bytes = 0;
	for (auto _ : state)
		for (const PNGFile &f : files) {
			out.resize(f.unpacked);
			z_stream z;
			memset(&z, 0, sizeof z);
			if (inflateInit2(&z, -15) != Z_OK) state.SkipWithError("zlib");
			z.next_in = (Bytef *)f.stream.data() + 2;
			z.avail_in = (uInt)(f.stream.size() - 6);
			z.next_out = out.data();
			z.avail_out = (uInt)out.size();
			if (inflate(&z, Z_FINISH) != Z_STREAM_END) state.SkipWithError("zlib");
			inflateEnd(&z);
			benchmark::ClobberMemory();
			bytes += (int64_t)f.unpacked;
		}
	state.SetBytesProcessed(bytes);
}

}  // namespace

BENCHMARK(BM_LoadPNG)->Arg(0)->Arg(1);
BENCHMARK(BM_Libpng)->Arg(0)->Arg(1);
BENCHMARK(BM_Inflate)->Arg(0)->Arg(1);
BENCHMARK(BM_ZlibUncompress)->Arg(0)->Arg(1);
BENCHMARK(BM_ZlibInflateRaw)->Arg(0)->Arg(1);
