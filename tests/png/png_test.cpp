// The PNG loader against libpng: generated images of every colour type, bit
// depth and filter, real PNG files found on this machine, and hand-made files
// for the edge cases of the format and of damaged input.
#include <gtest/gtest.h>
#include <png.h>
#include <algorithm>
#include <csetjmp>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include "tests/png/PNGFiles.h"

struct Reference
{
	bool ok = false;
	int width = 0, height = 0, depth = 0, interlace = 0;
	std::vector<uint32_t> pixels;
};

struct MemoryReader
{
	const Bytes *file;
	size_t at;
};

static void ReadFromMemory(png_structp png, png_bytep data, size_t n)
{
	MemoryReader *r = (MemoryReader *)png_get_io_ptr(png);
	if (r->file->size() - r->at < n) png_error(png, "truncated");
	memcpy(data, r->file->data() + r->at, n);
	r->at += n;
}

static void WriteToMemory(png_structp png, png_bytep data, size_t n)
{
	Bytes *out = (Bytes *)png_get_io_ptr(png);
	out->insert(out->end(), data, data + n);
}

static void Silent(png_structp, png_const_charp) {}
static void Fatal(png_structp png, png_const_charp) { png_longjmp(png, 1); }

// libpng's view as RGBA: palettes expanded with their transparency, grey
// widened, a missing alpha filled with 255 (colour-key transparency of grey
// and truecolour images is not applied, as the engine ignores it too).
static Reference DecodeWithLibpng(const Bytes &file)
{
	Reference ref;
	png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, Fatal, Silent);
	png_infop info = png_create_info_struct(png);
	MemoryReader reader = {&file, 0};
	std::vector<png_bytep> rows;
	Bytes rgba;
	if (setjmp(png_jmpbuf(png))) {
		png_destroy_read_struct(&png, &info, nullptr);
		return Reference();
	}
	png_set_read_fn(png, &reader, ReadFromMemory);
	png_read_info(png, info);
	ref.width = (int)png_get_image_width(png, info);
	ref.height = (int)png_get_image_height(png, info);
	ref.depth = png_get_bit_depth(png, info);
	ref.interlace = png_get_interlace_type(png, info);
	int type = png_get_color_type(png, info);
	if (ref.width > 20000 || ref.height > 20000) png_longjmp(png, 1);
	if (type == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
	if (type == PNG_COLOR_TYPE_GRAY && ref.depth < 8) png_set_expand_gray_1_2_4_to_8(png);
	if (type == PNG_COLOR_TYPE_GRAY || type == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(png);
	if (ref.depth == 16) png_set_strip_16(png);
	bool alpha = type == PNG_COLOR_TYPE_RGB_ALPHA || type == PNG_COLOR_TYPE_GRAY_ALPHA ||
		(type == PNG_COLOR_TYPE_PALETTE && png_get_valid(png, info, PNG_INFO_tRNS));
	if (!alpha) png_set_filler(png, 0xff, PNG_FILLER_AFTER);
	png_set_interlace_handling(png);
	png_read_update_info(png, info);
	if (png_get_rowbytes(png, info) != (size_t)ref.width * 4) png_longjmp(png, 1);
	rgba.resize((size_t)ref.width * ref.height * 4);
	for (int y = 0; y < ref.height; y++) rows.push_back(rgba.data() + (size_t)y * ref.width * 4);
	png_read_image(png, rows.data());
	png_read_end(png, nullptr);
	png_destroy_read_struct(&png, &info, nullptr);
	for (size_t i = 0; i < rgba.size(); i += 4)
		ref.pixels.push_back((uint32_t)rgba[i + 3] << 24 | (uint32_t)rgba[i] << 16 | (uint32_t)rgba[i + 1] << 8 | rgba[i + 2]);
	ref.ok = true;
	return ref;
}

struct Image
{
	int width, height, depth, type;
	Bytes rows;  // packed rows as the file holds them, no filter bytes
	Bytes palette, transparency;
	int interlace = 0;
};

// libpng writes the file: one filter for every row, small IDAT chunks.
static Bytes WriteWithLibpng(const Image &img, int filter, size_t idatsize)
{
	Bytes out;
	png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, Fatal, Silent);
	png_infop info = png_create_info_struct(png);
	if (setjmp(png_jmpbuf(png))) {
		png_destroy_write_struct(&png, &info);
		return Bytes();
	}
	png_set_write_fn(png, &out, WriteToMemory, nullptr);
	png_set_IHDR(png, info, (png_uint_32)img.width, (png_uint_32)img.height, img.depth, img.type, img.interlace,
		PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
	if (!img.palette.empty()) png_set_PLTE(png, info, (png_const_colorp)img.palette.data(), (int)img.palette.size() / 3);
	if (!img.transparency.empty())
		png_set_tRNS(png, info, img.transparency.data(), (int)img.transparency.size(), nullptr);
	png_set_filter(png, 0, filter);
	png_set_compression_buffer_size(png, idatsize);
	png_write_info(png, info);
	int passes = png_set_interlace_handling(png);
	size_t rowbytes = img.rows.size() / img.height;
	for (int pass = 0; pass < passes; pass++)
		for (int y = 0; y < img.height; y++) png_write_row(png, img.rows.data() + y * rowbytes);
	png_write_end(png, info);
	png_destroy_write_struct(&png, &info);
	return out;
}

static int CountChunks(const Bytes &file, const char *type)
{
	int n = 0;
	for (size_t at = 8; at + 12 <= file.size();) {
		uint32_t length = (uint32_t)file[at] << 24 | file[at + 1] << 16 | file[at + 2] << 8 | file[at + 3];
		n += memcmp(&file[at + 4], type, 4) == 0;
		at += 12 + (size_t)length;
	}
	return n;
}

// The filter bytes of the image data, through zlib's uncompress.
static std::vector<int> FilterBytes(const Bytes &file, size_t rowbytes, int height)
{
	Bytes zlib;
	for (size_t at = 8; at + 12 <= file.size();) {
		uint32_t length = (uint32_t)file[at] << 24 | file[at + 1] << 16 | file[at + 2] << 8 | file[at + 3];
		if (memcmp(&file[at + 4], "IDAT", 4) == 0) zlib.insert(zlib.end(), &file[at + 8], &file[at + 8] + length);
		at += 12 + (size_t)length;
	}
	Bytes raw((rowbytes + 1) * height);
	uLongf size = (uLongf)raw.size();
	EXPECT_EQ(uncompress(raw.data(), &size, zlib.data(), (uLong)zlib.size()), Z_OK);
	std::vector<int> filters;
	for (int y = 0; y < height; y++) filters.push_back(raw[(size_t)y * (rowbytes + 1)]);
	return filters;
}

static Image MakeImage(int width, int height, int depth, int type, std::mt19937 &rng)
{
	Image img = {width, height, depth, type, {}, {}, {}};
	int channels = type == 2 ? 3 : type == 4 ? 2 : type == 6 ? 4 : 1;
	size_t rowbytes = ((size_t)width * depth * channels + 7) / 8;
	for (int y = 0; y < height; y++)
		for (size_t i = 0; i < rowbytes; i++)  // smooth areas and noise, so that every filter has work
			img.rows.push_back((uint8_t)(rng() % 3 == 0 ? rng() : i * 3 + y * 5));
	if (type == 3) {
		int entries = 1 << depth;
		for (int i = 0; i < 3 * entries; i++) img.palette.push_back((uint8_t)rng());
		for (int i = 0; i < (entries + 1) / 2; i++) img.transparency.push_back((uint8_t)rng());  // shorter than the palette
	}
	return img;
}

TEST(PNG, GeneratedImagesOfEveryTypeDepthAndFilterMatchLibpng)
{
	const int formats[][2] = {{0, 1}, {0, 2}, {0, 4}, {0, 8}, {2, 8}, {3, 1}, {3, 2}, {3, 4}, {3, 8}, {4, 8}, {6, 8}};
	const int filters[] = {PNG_FILTER_NONE, PNG_FILTER_SUB, PNG_FILTER_UP, PNG_FILTER_AVG, PNG_FILTER_PAETH};
	const int sizes[][2] = {{1, 1}, {13, 9}, {70, 23}};
	std::mt19937 rng(15948);
	for (auto &format : formats)
		for (int f = 0; f < 5; f++)
			for (auto &size : sizes) {
				Image img = MakeImage(size[0], size[1], format[1], format[0], rng);
				Bytes file = WriteWithLibpng(img, filters[f], 8);
				ASSERT_FALSE(file.empty());
				std::string what = "type " + std::to_string(format[0]) + " depth " + std::to_string(format[1]) +
					" filter " + std::to_string(f) + " size " + std::to_string(size[0]) + "x" + std::to_string(size[1]);
				// the file really uses the filter on the rows after the first, and splits its data
				std::vector<int> used = FilterBytes(file, img.rows.size() / img.height, img.height);
				for (size_t y = 1; y < used.size(); y++) EXPECT_EQ(used[y], f) << what;
				if (size[1] > 1) {
					EXPECT_GT(CountChunks(file, "IDAT"), 1) << what;
				}
				Reference ref = DecodeWithLibpng(file);
				ASSERT_TRUE(ref.ok) << what;
				Decoded d = DecodeWithEngine(file);
				ASSERT_TRUE(d.header) << what;
				ASSERT_TRUE(d.ok) << what;
				EXPECT_TRUE(d.inorder) << what;
				EXPECT_TRUE(d.pixels == ref.pixels) << what;
			}
}

TEST(PNG, UnsupportedImagesAreRejectedByTheHeader)
{
	std::mt19937 rng(16);
	Image deep = MakeImage(5, 4, 16, 2, rng);
	Bytes file = WriteWithLibpng(deep, PNG_FILTER_NONE, 8192);
	ASSERT_TRUE(DecodeWithLibpng(file).ok);
	EXPECT_FALSE(DecodeWithEngine(file).header);
	Image interlaced = MakeImage(9, 9, 8, 6, rng);
	interlaced.interlace = PNG_INTERLACE_ADAM7;
	file = WriteWithLibpng(interlaced, PNG_FILTER_NONE, 8192);
	ASSERT_TRUE(DecodeWithLibpng(file).ok);
	EXPECT_FALSE(DecodeWithEngine(file).header);
}

// Every PNG under /usr/share that libpng reads: the engine decodes the same
// pixels, or, for 16-bit and interlaced files, refuses them at the header.
TEST(PNG, RealFilesMatchLibpng)
{
	std::vector<std::string> paths;
	std::error_code ec;
	for (auto it = std::filesystem::recursive_directory_iterator(
			 "/usr/share", std::filesystem::directory_options::skip_permission_denied, ec);
		 !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
		if (it->path().extension() == ".png" && it->is_regular_file(ec) && it->file_size(ec) < 2000000)
			paths.push_back(it->path().string());
	if (paths.empty()) GTEST_SKIP() << "no PNG files under /usr/share";
	std::sort(paths.begin(), paths.end());
	int compared = 0, refused = 0;
	size_t pixels = 0;
	for (const std::string &path : paths) {
		if (pixels > 40000000) break;  // enough for one run
		std::ifstream in(path, std::ios::binary);
		Bytes file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
		Reference ref = DecodeWithLibpng(file);
		Decoded d = DecodeWithEngine(file);  // whatever libpng says, the engine must not misbehave
		EXPECT_TRUE(d.inorder) << path;
		if (!ref.ok) continue;
		if (ref.depth == 16 || ref.interlace != 0) {
			EXPECT_FALSE(d.header) << path;
			refused++;
			continue;
		}
		ASSERT_TRUE(d.ok) << path;
		EXPECT_TRUE(d.pixels == ref.pixels) << path;
		compared++;
		pixels += d.pixels.size();
	}
	printf("compared %d files, %d refused as 16-bit or interlaced\n", compared, refused);
	EXPECT_GT(compared, 0);
}

// Hand-made files: chunks with valid CRCs around image data compressed by zlib.
static Bytes Deflated(const Bytes &filtered)
{
	Bytes out(compressBound((uLong)filtered.size()));
	uLongf size = (uLongf)out.size();
	EXPECT_EQ(compress(out.data(), &size, filtered.data(), (uLong)filtered.size()), Z_OK);
	out.resize(size);
	return out;
}

static Bytes File(const Bytes &ihdr, const Bytes &filtered, const std::vector<Bytes> &before = {})
{
	std::vector<Bytes> parts = {ihdr};
	parts.insert(parts.end(), before.begin(), before.end());
	parts.push_back(Chunk("IDAT", Deflated(filtered)));
	parts.push_back(Chunk("IEND", {}));
	return Concatenate(parts);
}

TEST(PNG, SmallestImagesAndSubBytePacking)
{
	Decoded one = DecodeWithEngine(File(HeaderChunk(1, 1, 8, 6), {0, 10, 20, 30, 40}));
	ASSERT_TRUE(one.ok);
	EXPECT_EQ(one.calls, 1);
	EXPECT_TRUE(one.inorder);
	EXPECT_EQ(one.pixels[0], 0x280a141eu);  // a 40, r 10, g 20, b 30

	Decoded bits = DecodeWithEngine(File(HeaderChunk(8, 1, 1, 0), {0, 0x80}));
	ASSERT_TRUE(bits.ok);
	EXPECT_EQ(bits.pixels[0], 0xffffffffu);
	for (int x = 1; x < 8; x++) EXPECT_EQ(bits.pixels[x], 0xff000000u) << x;

	// two-bit grey scales by 85, four-bit by 17
	Decoded two = DecodeWithEngine(File(HeaderChunk(4, 1, 2, 0), {0, 0x1b}));  // samples 0 1 2 3
	ASSERT_TRUE(two.ok);
	EXPECT_EQ(GreyValues(two), Bytes({0, 85, 170, 255}));
	Decoded four = DecodeWithEngine(File(HeaderChunk(3, 1, 4, 0), {0, 0x1f, 0x70}));  // 1 15 7, low nibble unused
	ASSERT_TRUE(four.ok);
	EXPECT_EQ(GreyValues(four), Bytes({17, 255, 119}));
}

TEST(PNG, PaletteLimitsAndTransparency)
{
	Bytes plte = Chunk("PLTE", {1, 2, 3, 4, 5, 6});
	// 0x10: samples 0 and 1; the tRNS data covers index 0 only
	Decoded d = DecodeWithEngine(File(HeaderChunk(2, 1, 2, 3), {0, 0x10}, {plte, Chunk("tRNS", {77})}));
	ASSERT_TRUE(d.ok);
	EXPECT_EQ(d.pixels[0], 0x4d010203u);
	EXPECT_EQ(d.pixels[1], 0xff040506u);  // past the tRNS data: opaque
	Decoded past = DecodeWithEngine(File(HeaderChunk(2, 1, 2, 3), {0, 0x80}, {plte}));  // sample 2, two entries
	EXPECT_TRUE(past.header);
	EXPECT_FALSE(past.ok);
	EXPECT_FALSE(DecodeWithEngine(File(HeaderChunk(1, 1, 8, 3), {0, 0})).ok);  // no palette at all
}

TEST(PNG, FirstRowAndFirstPixelSeeZeros)
{
	// row 0 Paeth (above and upper-left are 0: it adds the left byte), row 1
	// Up, row 2 Average (the first pixel's left is 0)
	Bytes filtered = {4, 10, 20, 30, 5, 5, 5, 2, 1, 1, 1, 2, 2, 2, 3, 0, 0, 0, 0, 0, 0};
	Decoded d = DecodeWithEngine(File(HeaderChunk(2, 3, 8, 2), filtered));
	ASSERT_TRUE(d.ok);
	std::vector<uint32_t> expected = {0xff0a141e, 0xff0f1923, 0xff0b151f, 0xff111b25, 0xff050a0f, 0xff0b121a};
	EXPECT_EQ(d.pixels, expected);
	filtered[7] = 5;  // no such filter
	d = DecodeWithEngine(File(HeaderChunk(2, 3, 8, 2), filtered));
	EXPECT_FALSE(d.ok);
	EXPECT_EQ(d.calls, 2);  // the row before it was handed out
}

TEST(PNG, ImageDataChunks)
{
	Bytes filtered;
	for (int y = 0; y < 20; y++) {
		filtered.push_back((uint8_t)(y % 5));
		for (int x = 0; x < 30; x++) filtered.push_back((uint8_t)(x * y));
	}
	Bytes zlib = Deflated(filtered);
	ASSERT_GT(zlib.size(), 20u);
	Bytes ihdr = HeaderChunk(30, 20, 8, 0);
	Decoded whole = DecodeWithEngine(Concatenate({ihdr, Chunk("IDAT", zlib)}));
	ASSERT_TRUE(whole.ok);
	std::vector<Bytes> three = IDATChunks(zlib, {5, 9});
	Decoded split = DecodeWithEngine(Concatenate({ihdr, three[0], three[1], three[2]}));
	ASSERT_TRUE(split.ok);
	EXPECT_EQ(split.pixels, whole.pixels);
	// an empty chunk between two of them carries nothing; the stream goes on
	Decoded empty = DecodeWithEngine(Concatenate({ihdr, three[0], Chunk("IDAT", {}), three[1], three[2]}));
	ASSERT_TRUE(empty.ok);
	EXPECT_EQ(empty.pixels, whole.pixels);
	// an ancillary chunk between them ends the image data
	Decoded ended = DecodeWithEngine(Concatenate({ihdr, three[0], Chunk("tEXt", {'a', 0, 'b'}), three[1], three[2]}));
	EXPECT_TRUE(ended.header);
	EXPECT_FALSE(ended.ok);
	// a first chunk shorter than the zlib header
	std::vector<Bytes> tiny = IDATChunks(zlib, {1});
	EXPECT_FALSE(DecodeWithEngine(Concatenate({ihdr, tiny[0], tiny[1]})).header);
	// decoding into exactly the temporary storage asked for
	Bytes file = Concatenate({ihdr, three[0], three[1], three[2]});
	PNGLoader loader;
	InitializePNGLoader(&loader, file.data(), file.size());
	ASSERT_TRUE(LoadPNGHeader(&loader));
	void *storage = malloc(TemporaryBytesForPNGLoader(&loader));
	Decoded own;
	own.width = 30;
	own.height = 20;
	own.pixels.assign(600, 0);
	pngtest::current = &own;
	EXPECT_TRUE(LoadPNGImageDataWithTemporaryStorage(&loader, own.pixels.data(), 120, pngtest::Store, storage));
	pngtest::current = nullptr;
	free(storage);
	EXPECT_EQ(own.pixels, whole.pixels);
	EXPECT_TRUE(own.inorder);
}

TEST(PNG, HeaderChecks)
{
	Bytes data = {0, 1};
	auto header = [&](const Bytes &ihdr) { return HeaderOnly(File(ihdr, data)); };
	EXPECT_TRUE(header(HeaderChunk(1, 1, 8, 0)));
	EXPECT_FALSE(header(HeaderChunk(0, 1, 8, 0)));
	EXPECT_FALSE(header(HeaderChunk(1, 0, 8, 0)));
	EXPECT_FALSE(header(HeaderChunk(1, 1, 4, 2)));
	EXPECT_FALSE(header(HeaderChunk(1, 1, 16, 3)));
	EXPECT_FALSE(header(HeaderChunk(1, 1, 3, 0)));
	EXPECT_FALSE(header(HeaderChunk(1, 1, 8, 5)));
	EXPECT_FALSE(header(HeaderChunk(1, 1, 8, 0, 1)));
	for (int field : {10, 11}) {  // compression and filter method
		Bytes ihdr = HeaderChunk(1, 1, 8, 0);
		ihdr[8 + field] = 1;
		EXPECT_FALSE(header(ihdr)) << field;
	}
	Bytes shortihdr;
	Put32BE(shortihdr, 1), Put32BE(shortihdr, 1), shortihdr.insert(shortihdr.end(), {8, 0, 0, 0});
	EXPECT_FALSE(header(Chunk("IHDR", shortihdr)));
	// the widest rows the 32 KiB window holds: 32510 bytes
	EXPECT_TRUE(header(HeaderChunk(32510, 1, 8, 0)));
	EXPECT_FALSE(header(HeaderChunk(32511, 1, 8, 0)));
	EXPECT_TRUE(header(HeaderChunk(8127, 1, 8, 6)));
	EXPECT_FALSE(header(HeaderChunk(8128, 1, 8, 6)));
	EXPECT_TRUE(header(HeaderChunk(32510 * 8, 1, 1, 0)));
	EXPECT_FALSE(header(HeaderChunk(32510 * 8 + 1, 1, 1, 0)));
	EXPECT_FALSE(header(HeaderChunk(0x80000000u, 1, 1, 0)));
	// stream positions stay within 32 bits
	EXPECT_TRUE(header(HeaderChunk(32510, 132000, 8, 0)));
	EXPECT_FALSE(header(HeaderChunk(32510, 132110, 8, 0)));

	Bytes good = File(HeaderChunk(1, 1, 8, 0), data);
	EXPECT_TRUE(HeaderOnly(good));
	EXPECT_FALSE(HeaderOnly(Bytes(good.begin(), good.begin() + 7)));
	Bytes foreign = good;
	foreign[1] = 'Q';
	EXPECT_FALSE(HeaderOnly(foreign));
	// an image data chunk before the header, and files without image data
	EXPECT_FALSE(HeaderOnly(Concatenate({Chunk("IDAT", Deflated(data)), HeaderChunk(1, 1, 8, 0)})));
	EXPECT_FALSE(HeaderOnly(Concatenate({HeaderChunk(1, 1, 8, 0), Chunk("IEND", {})})));
	// a chunk that claims more than the file holds, at every length of the file
	for (size_t n = 8; n < good.size(); n++) {
		Bytes cut(good.begin(), good.begin() + n);
		Decoded d = DecodeWithEngine(cut);
		if (d.header) {
			EXPECT_GE(n, 8 + 25 + 12 + 2u) << n;  // the header and an IDAT chunk fit
		}
		EXPECT_FALSE(d.ok && d.pixels[0] != 0xff010101u) << n;
	}
}

TEST(PNG, DamagedFilesNeverMisbehave)
{
	std::mt19937 rng(7);
	Image img = MakeImage(21, 17, 2, 3, rng);
	Bytes good = WriteWithLibpng(img, PNG_FILTER_PAETH, 50);
	Decoded reference = DecodeWithEngine(good);
	ASSERT_TRUE(reference.ok);
	int changed = 0;
	for (int round = 0; round < 3000; round++) {
		Bytes bad = good;
		for (int k = 0; k <= round % 4; k++) bad[rng() % bad.size()] ^= (uint8_t)(1 << rng() % 8);
		if (round % 5 == 0) bad.resize(rng() % bad.size());
		Decoded d = DecodeWithEngine(bad);
		EXPECT_TRUE(d.inorder);
		EXPECT_LE(d.calls, (int64_t)d.width * d.height);
		changed += !d.ok || d.pixels != reference.pixels;
	}
	EXPECT_GT(changed, 0);
}
