// The PNG loader against libpng, stb_image and libspng (to RGBA bytes), and
// its inflate decoder against zlib and libdeflate, on two fixed sets of real
// files: the game's own pictures (build/art, read from build/run) and the 40
// large PNG files of RealWorldFiles below, which Debian's desktop-base,
// adwaita-icon-theme, valgrind and gnupg packages install (bench/run.sh
// installs them; a missing file is skipped and named). Before anything is
// timed, every contender must give the same bytes for every file.
// The decoder is private to Graphics/PNG.cpp, so this file compiles its own
// copy of that file inside a namespace to reach it.
#include <benchmark/benchmark.h>
#include <libdeflate.h>
#include <png.h>
#include <spng.h>
#include <zlib.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wall"
#pragma GCC diagnostic ignored "-Wextra"
#pragma GCC diagnostic ignored "-Wconversion"
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#include <stb_image.h>
#pragma GCC diagnostic pop
namespace decoder {
#include "Graphics/PNG.cpp"
}
using namespace decoder;

namespace {

const char *const RealWorldFiles[40] = {
	"/usr/share/plymouth/themes/spacefun/background.png",
	"/usr/share/plymouth/themes/emerald/logo+emerald.png",
	"/usr/share/plymouth/themes/homeworld/plymouth_background_homeworld.png",
	"/usr/share/plymouth/themes/softwaves/plymouth_background_waves.png",
	"/usr/share/plymouth/themes/lines/background.png",
	"/usr/share/plymouth/themes/futureprototype/plymouth_background_future.png",
	"/usr/share/desktop-base/softwaves-theme/grub/grub-16x9.png",
	"/usr/share/desktop-base/emerald-theme/grub/grub-16x9.png",
	"/usr/share/desktop-base/joy-theme/grub/grub-16x9.png",
	"/usr/share/desktop-base/homeworld-theme/grub/grub-16x9.png",
	"/usr/share/desktop-base/moonlight-theme/grub/grub-16x9.png",
	"/usr/share/desktop-base/futureprototype-theme/grub/grub-16x9.png",
	"/usr/share/plymouth/themes/moonlight/background.png",
	"/usr/share/doc/valgrind/html/images/dh-tree.png",
	"/usr/share/plymouth/themes/joy/background.png",
	"/usr/share/plymouth/themes/lines/logo.png",
	"/usr/share/plymouth/themes/emerald/glow.png",
	"/usr/share/doc/valgrind/html/images/kcachegrind_xtree.png",
	"/usr/share/info/gnupg-card-architecture.png",
	"/usr/share/plymouth/themes/moonlight/support.png",
	"/usr/share/desktop-base/softwaves-theme/grub/grub-4x3.png",
	"/usr/share/desktop-base/spacefun-theme/grub/grub-4x3.png",
	"/usr/share/desktop-base/spacefun-theme/grub/grub-16x9.png",
	"/usr/share/desktop-base/lines-theme/grub/grub-4x3.png",
	"/usr/share/desktop-base/emerald-theme/grub/grub-4x3.png",
	"/usr/share/desktop-base/lines-theme/grub/grub-16x9.png",
	"/usr/share/desktop-base/joy-theme/grub/grub-4x3.png",
	"/usr/share/desktop-base/homeworld-theme/grub/grub-4x3.png",
	"/usr/share/desktop-base/moonlight-theme/grub/grub-4x3.png",
	"/usr/share/desktop-base/futureprototype-theme/grub/grub-4x3.png",
	"/usr/share/icons/Adwaita/512x512/devices/camera-web.png",
	"/usr/share/icons/Adwaita/512x512/mimetypes/image-x-generic.png",
	"/usr/share/icons/Adwaita/512x512/devices/audio-headset.png",
	"/usr/share/icons/Adwaita/512x512/devices/audio-headphones.png",
	"/usr/share/icons/Adwaita/512x512/devices/media-optical.png",
	"/usr/share/icons/Adwaita/512x512/mimetypes/x-office-document.png",
	"/usr/share/icons/Adwaita/512x512/devices/input-gaming.png",
	"/usr/share/icons/Adwaita/512x512/devices/drive-harddisk.png",
	"/usr/share/icons/Adwaita/512x512/devices/audio-microphone.png",
	"/usr/share/icons/Adwaita/512x512/mimetypes/audio-x-generic.png",
};

using Bytes = std::vector<uint8_t>;

struct PNGFile
{
	std::string path;
	Bytes file;
	std::vector<std::pair<const uint8_t *, uint32_t>> idats;  // the image data chunks, in place in file
	Bytes stream;  // the image data joined: a zlib stream
	size_t unpacked;  // its decoded size
	int width, height;
};

struct FileSet
{
	std::vector<PNGFile> files;
	std::string error;  // a contender that disagreed, or no files at all
};

uint32_t BigEndian(const uint8_t *p) { return (uint32_t)p[0] << 24 | (uint32_t)p[1] << 16 | (uint32_t)p[2] << 8 | p[3]; }

Bytes ReadFile(const std::string &path)
{
	std::ifstream in(path, std::ios::binary);
	return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// ---- inflate contenders: each decodes f's image data into out (f.unpacked bytes) ----

struct ChunkCursor
{
	const PNGFile *file;
	size_t next;
};

void NextChunk(BitStreamReader *reader, void *context)
{
	ChunkCursor *c = (ChunkCursor *)context;
	if (c->next < c->file->idats.size()) {
		ProvideBitStreamInputBuffer(reader, c->file->idats[c->next].first, c->file->idats[c->next].second);
		c->next++;
	}
}

// Ours as the loader drives it: chunk after chunk through the input callback,
// the output copied out of the 32 KiB window 16 KiB at a time.
bool InflateOurs(DeflateReader *reader, const PNGFile &f, uint8_t *out)
{
	ChunkCursor cursor = {&f, 1};
	InitializeDeflateReader(reader);
	ProvideDeflateInputBuffer(reader, f.idats[0].first + 2, f.idats[0].second - 2);
	SetDeflateInputCallback(reader, NextChunk, &cursor);
	for (uint32_t at = 0; at < f.unpacked; at += 16384) {
		uint32_t n = (uint32_t)std::min<size_t>(16384, f.unpacked - at);
		if (!ReadDeflateStreamToPosition(reader, at + n)) return false;
		CopyBytesFromDeflateWindow(reader, out + at, at, n);
	}
	return true;
}

bool InflateZlibUncompress(const PNGFile &f, uint8_t *out)
{
	uLongf size = (uLongf)f.unpacked;
	return uncompress(out, &size, f.stream.data(), (uLong)f.stream.size()) == Z_OK && size == f.unpacked;
}

// zlib on the raw deflate data without its Adler-32 check: the same work as ours.
bool InflateZlibRaw(const PNGFile &f, uint8_t *out)
{
	z_stream z;
	memset(&z, 0, sizeof z);
	if (inflateInit2(&z, -15) != Z_OK) return false;
	z.next_in = (Bytef *)f.stream.data() + 2;
	z.avail_in = (uInt)(f.stream.size() - 2);
	z.next_out = out;
	z.avail_out = (uInt)f.unpacked;
	bool ok = inflate(&z, Z_FINISH) == Z_STREAM_END && z.total_out == f.unpacked;
	inflateEnd(&z);
	return ok;
}

libdeflate_decompressor *Libdeflate()
{
	static libdeflate_decompressor *d = libdeflate_alloc_decompressor();
	return d;
}

bool InflateLibdeflateRaw(const PNGFile &f, uint8_t *out)
{
	return libdeflate_deflate_decompress(Libdeflate(), f.stream.data() + 2, f.stream.size() - 2, out, f.unpacked,
			   nullptr) == LIBDEFLATE_SUCCESS;
}

bool InflateLibdeflateZlib(const PNGFile &f, uint8_t *out)
{
	return libdeflate_zlib_decompress(Libdeflate(), f.stream.data(), f.stream.size(), out, f.unpacked, nullptr) ==
		LIBDEFLATE_SUCCESS;
}

// ---- PNG contenders: each decodes f into out, RGBA bytes, width × height × 4 ----

bool LoadOurs(const PNGFile &f, uint8_t *out, PNGPixelFunction *pixelfunc)
{
	PNGLoader loader;
	InitializePNGLoader(&loader, f.file.data(), f.file.size());
	return LoadPNGHeader(&loader) && LoadPNGImageData(&loader, out, f.width * 4, pixelfunc);
}

// A pixel function of the caller's own: the loader cannot know what it does.
void *CallersRGBA(void *destination, uint8_t r, uint8_t g, uint8_t b, uint8_t a, int, int)
{
	uint8_t *d = (uint8_t *)destination;
	d[0] = r, d[1] = g, d[2] = b, d[3] = a;
	return d + 4;
}

bool LoadOursFast(const PNGFile &f, uint8_t *out) { return LoadOurs(f, out, StorePNGPixelRGBA); }
bool LoadOursCallers(const PNGFile &f, uint8_t *out) { return LoadOurs(f, out, CallersRGBA); }

bool LoadStbImage(const PNGFile &f, uint8_t *out)
{
	int w, h, n;
	uint8_t *pixels = stbi_load_from_memory(f.file.data(), (int)f.file.size(), &w, &h, &n, 4);
	if (!pixels) return false;
	// the copy is part of the cost: the others write into the caller's memory
	memcpy(out, pixels, (size_t)w * h * 4);
	stbi_image_free(pixels);
	return w == f.width && h == f.height;
}

bool LoadSpng(const PNGFile &f, uint8_t *out)
{
	spng_ctx *ctx = spng_ctx_new(SPNG_CTX_IGNORE_ADLER32);
	spng_set_crc_action(ctx, SPNG_CRC_USE, SPNG_CRC_USE);  // we read no CRCs either
	size_t size = 0;
	spng_ihdr ihdr;
	bool ok = spng_set_png_buffer(ctx, f.file.data(), f.file.size()) == 0 && spng_get_ihdr(ctx, &ihdr) == 0 &&
		spng_decoded_image_size(ctx, SPNG_FMT_RGBA8, &size) == 0 && size == (size_t)f.width * f.height * 4 &&
		// palette transparency, but no colour keys, as ours
		spng_decode_image(ctx, out, size, SPNG_FMT_RGBA8, ihdr.color_type == 3 ? SPNG_DECODE_TRNS : 0) == 0;
	spng_ctx_free(ctx);
	return ok;
}

struct MemoryReader
{
	const Bytes *file;
	size_t at;
};

void ReadFromMemory(png_structp png, png_bytep data, size_t n)
{
	MemoryReader *r = (MemoryReader *)png_get_io_ptr(png);
	if (r->file->size() - r->at < n) png_error(png, "truncated");
	memcpy(data, r->file->data() + r->at, n);
	r->at += n;
}

void Fatal(png_structp png, png_const_charp) { png_longjmp(png, 1); }

// libpng's row API with the transforms that give RGBA bytes; like ours it
// skips CRCs and the Adler-32 sum and ignores grey and truecolour colour keys.
bool LoadLibpng(const PNGFile &f, uint8_t *out)
{
	png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, Fatal, nullptr);
	png_infop info = png_create_info_struct(png);
	MemoryReader reader = {&f.file, 0};
	if (setjmp(png_jmpbuf(png))) {
		png_destroy_read_struct(&png, &info, nullptr);
		return false;
	}
	png_set_read_fn(png, &reader, ReadFromMemory);
	png_set_crc_action(png, PNG_CRC_QUIET_USE, PNG_CRC_QUIET_USE);
	png_set_option(png, PNG_IGNORE_ADLER32, PNG_OPTION_ON);
	png_read_info(png, info);
	int type = png_get_color_type(png, info), depth = png_get_bit_depth(png, info);
	if (type == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
	if (type == PNG_COLOR_TYPE_GRAY && depth < 8) png_set_expand_gray_1_2_4_to_8(png);
	if (type == PNG_COLOR_TYPE_GRAY || type == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(png);
	if (type != PNG_COLOR_TYPE_PALETTE && png_get_valid(png, info, PNG_INFO_tRNS)) png_set_tRNS_to_alpha(png);
	bool alpha = type == PNG_COLOR_TYPE_RGB_ALPHA || type == PNG_COLOR_TYPE_GRAY_ALPHA ||
		(type == PNG_COLOR_TYPE_PALETTE && png_get_valid(png, info, PNG_INFO_tRNS));
	if (!alpha) png_set_filler(png, 0xff, PNG_FILLER_AFTER);
	png_read_update_info(png, info);
	for (int y = 0; y < f.height; y++) png_read_row(png, out + (size_t)y * f.width * 4, nullptr);
	png_destroy_read_struct(&png, &info, nullptr);
	return true;
}

// ---- the file sets ----

// A file every contender reads, with its image data found; false for others.
bool Prepare(const std::string &path, PNGFile *f)
{
	f->path = path;
	f->file = ReadFile(path);
	PNGLoader loader;
	InitializePNGLoader(&loader, f->file.data(), f->file.size());
	if (!LoadPNGHeader(&loader)) return false;
	for (size_t at = 8; at + 12 <= f->file.size();) {
		uint32_t length = BigEndian(&f->file[at]);
		if (length > f->file.size() - at - 12) return false;
		if (!memcmp(&f->file[at + 4], "IDAT", 4)) {
			f->idats.push_back({&f->file[at + 8], length});
			f->stream.insert(f->stream.end(), &f->file[at + 8], &f->file[at + 8] + length);
		}
		at += 12 + (size_t)length;
	}
	f->unpacked = (size_t)(loader.bytesperrow + 1) * (size_t)loader.height;
	f->width = loader.width;
	f->height = loader.height;
	return true;
}

// Runs every contender once on every file; the first to disagree with the
// first contender is named.
template <typename Contender>
std::string Agree(const std::vector<PNGFile> &files, const std::vector<std::pair<const char *, Contender>> &contenders,
	size_t (*size)(const PNGFile &))
{
	for (const PNGFile &f : files) {
		Bytes first;
		for (auto &[name, decode] : contenders) {
			Bytes out(size(f), 0xcd);
			if (!decode(f, out.data())) return std::string(name) + " failed on " + f.path;
			if (first.empty()) first = out;
			else if (out != first) return std::string(name) + " differs on " + f.path;
		}
	}
	return "";
}

size_t UnpackedSize(const PNGFile &f) { return f.unpacked; }
size_t RGBASize(const PNGFile &f) { return (size_t)f.width * f.height * 4; }

bool InflateOursChecked(const PNGFile &f, uint8_t *out)
{
	static std::vector<uint8_t> storage(sizeof(DeflateReader));
	return InflateOurs((DeflateReader *)storage.data(), f, out);
}

typedef bool Decode(const PNGFile &, uint8_t *);
const std::vector<std::pair<const char *, Decode *>> Inflaters = {{"zlib uncompress", InflateZlibUncompress},
	{"ours", InflateOursChecked}, {"zlib raw", InflateZlibRaw}, {"libdeflate raw", InflateLibdeflateRaw},
	{"libdeflate zlib", InflateLibdeflateZlib}};
const std::vector<std::pair<const char *, Decode *>> Loaders = {{"libpng", LoadLibpng}, {"ours", LoadOursFast},
	{"ours with the caller's pixel function", LoadOursCallers}, {"stb_image", LoadStbImage}, {"libspng", LoadSpng}};

// 0: the game's pictures (run in build/run); 1: the real-world files.
const FileSet &Files(int set)
{
	static FileSet sets[2];
	static bool loaded[2];
	FileSet &s = sets[set];
	if (loaded[set]) return s;
	loaded[set] = true;
	std::vector<std::string> paths;
	if (set == 0) {
		std::error_code ec;
		for (auto &entry : std::filesystem::directory_iterator("../art", ec))
			if (entry.path().extension() == ".png") paths.push_back(entry.path().string());
		std::sort(paths.begin(), paths.end());
	} else {
		std::string missing;
		for (const char *path : RealWorldFiles) {
			if (std::filesystem::exists(path)) paths.push_back(path);
			else missing += std::string(" ") + path;
		}
		if (!missing.empty()) fprintf(stderr, "png_bench: skipping missing files:%s\n", missing.c_str());
	}
	for (const std::string &path : paths) {
		PNGFile f;
		if (Prepare(path, &f)) s.files.push_back(std::move(f));
		else fprintf(stderr, "png_bench: %s is not a PNG the loader reads\n", path.c_str());
	}
	if (s.files.empty()) s.error = "no PNG files (run in build/run)";
	if (s.error.empty()) s.error = Agree(s.files, Inflaters, UnpackedSize);
	if (s.error.empty()) s.error = Agree(s.files, Loaders, RGBASize);
	return s;
}

void Run(benchmark::State &state, Decode *decode, size_t (*size)(const PNGFile &))
{
	const FileSet &set = Files((int)state.range(0));
	if (!set.error.empty()) {
		state.SkipWithError(set.error.c_str());
		return;
	}
	size_t most = 0;
	for (const PNGFile &f : set.files) most = std::max(most, size(f));
	Bytes out(most);
	int64_t bytes = 0;
	for (auto _ : state)
		for (const PNGFile &f : set.files) {
			if (!decode(f, out.data())) state.SkipWithError("decoding failed");
			benchmark::ClobberMemory();
			bytes += (int64_t)size(f);
		}
	state.SetBytesProcessed(bytes);
	state.counters["files"] = (double)set.files.size();
}

void BM_Inflate(benchmark::State &state)
{
	std::vector<uint8_t> storage(sizeof(DeflateReader));
	DeflateReader *reader = (DeflateReader *)storage.data();
	const FileSet &set = Files((int)state.range(0));
	if (!set.error.empty()) {
		state.SkipWithError(set.error.c_str());
		return;
	}
	size_t most = 0;
	for (const PNGFile &f : set.files) most = std::max(most, f.unpacked);
	Bytes out(most);
	int64_t bytes = 0;
	for (auto _ : state)
		for (const PNGFile &f : set.files) {
			if (!InflateOurs(reader, f, out.data())) state.SkipWithError("decoding failed");
			benchmark::ClobberMemory();
			bytes += (int64_t)f.unpacked;
		}
	state.SetBytesProcessed(bytes);
}
void BM_ZlibUncompress(benchmark::State &state) { Run(state, InflateZlibUncompress, UnpackedSize); }
void BM_ZlibInflateRaw(benchmark::State &state) { Run(state, InflateZlibRaw, UnpackedSize); }
void BM_LibdeflateRaw(benchmark::State &state) { Run(state, InflateLibdeflateRaw, UnpackedSize); }
void BM_LibdeflateZlib(benchmark::State &state) { Run(state, InflateLibdeflateZlib, UnpackedSize); }
void BM_LoadPNG(benchmark::State &state) { Run(state, LoadOursFast, RGBASize); }
void BM_LoadPNGCallersFunction(benchmark::State &state) { Run(state, LoadOursCallers, RGBASize); }
void BM_Libpng(benchmark::State &state) { Run(state, LoadLibpng, RGBASize); }
void BM_StbImage(benchmark::State &state) { Run(state, LoadStbImage, RGBASize); }
void BM_Spng(benchmark::State &state) { Run(state, LoadSpng, RGBASize); }

}  // namespace

BENCHMARK(BM_Inflate)->Arg(0)->Arg(1);
BENCHMARK(BM_ZlibUncompress)->Arg(0)->Arg(1);
BENCHMARK(BM_ZlibInflateRaw)->Arg(0)->Arg(1);
BENCHMARK(BM_LibdeflateRaw)->Arg(0)->Arg(1);
BENCHMARK(BM_LibdeflateZlib)->Arg(0)->Arg(1);
BENCHMARK(BM_LoadPNG)->Arg(0)->Arg(1);
BENCHMARK(BM_LoadPNGCallersFunction)->Arg(0)->Arg(1);
BENCHMARK(BM_Libpng)->Arg(0)->Arg(1);
BENCHMARK(BM_StbImage)->Arg(0)->Arg(1);
BENCHMARK(BM_Spng)->Arg(0)->Arg(1);
