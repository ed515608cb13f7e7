// The PNG loader against libpng: the game's own pictures, generated images of
// every colour type, bit depth and filter, and a table of malformed files.
// Randomly damaged files are fuzz/png_fuzz.cpp's.
#include <gtest/gtest.h>
#include <png.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include "tests/png/PNGFiles.h"

static void Fatal(png_structp png, png_const_charp) { png_longjmp(png, 1); }
static void Silent(png_structp, png_const_charp) {}
static void ReadFromMemory(png_structp png, png_bytep data, size_t n)
{
	Bytes *file = (Bytes *)png_get_io_ptr(png);
	if (file->size() < n) png_error(png, "truncated");
	memcpy(data, file->data(), n);
	file->erase(file->begin(), file->begin() + (long)n);
}
static void WriteToMemory(png_structp png, png_bytep data, size_t n) { Append(*(Bytes *)png_get_io_ptr(png), data, n); }

// libpng's view as ARGB words: palettes with their transparency, grey widened,
// no colour keys for grey and truecolour (the loader ignores them too).
static std::vector<uint32_t> DecodeWithLibpng(Bytes file)
{
	png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, Fatal, Silent);
	png_infop info = png_create_info_struct(png);
	std::vector<uint32_t> pixels;
	Bytes row;
	if (setjmp(png_jmpbuf(png))) {
		png_destroy_read_struct(&png, &info, nullptr);
		return {};
	}
	png_set_read_fn(png, &file, ReadFromMemory);
	png_read_info(png, info);
	int type = png_get_color_type(png, info), height = (int)png_get_image_height(png, info);
	png_set_expand(png);
	if (!png_get_valid(png, info, PNG_INFO_tRNS) || type != PNG_COLOR_TYPE_PALETTE) png_set_filler(png, 0xff, PNG_FILLER_AFTER);
	if (type == PNG_COLOR_TYPE_GRAY || type == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(png);
	png_read_update_info(png, info);
	row.resize(png_get_rowbytes(png, info));
	for (int y = 0; y < height; y++) {
		png_read_row(png, row.data(), nullptr);
		for (size_t i = 0; i + 3 < row.size(); i += 4)
			pixels.push_back((uint32_t)row[i + 3] << 24 | (uint32_t)row[i] << 16 | (uint32_t)row[i + 1] << 8 | row[i + 2]);
	}
	png_destroy_read_struct(&png, &info, nullptr);
	return pixels;
}

TEST(PNG, TheGamesPicturesMatchLibpng)
{
	int files = 0;
	for (auto &entry : std::filesystem::directory_iterator("art")) {
		if (entry.path().extension() != ".png") continue;
		std::ifstream in(entry.path(), std::ios::binary);
		Bytes file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
		Decoded d = DecodeWithEngine(file);
		EXPECT_TRUE(d.ok && d.inorder && d.agree && d.pixels == DecodeWithLibpng(file)) << entry.path();
		files++;
	}
	EXPECT_GE(files, 16) << "the tests run in the build folder, after the pictures are drawn";
}

// libpng writes an image of random rows, one filter for every row, small IDAT chunks.
static Bytes WriteWithLibpng(int width, int height, int depth, int type, int filter, int interlace, std::mt19937 &rng)
{
	int channels = type == 2 ? 3 : type == 4 ? 2 : type == 6 ? 4 : 1;
	size_t rowbytes = ((size_t)width * depth * channels + 7) / 8;
	Bytes rows, palette(3 << std::min(depth, 8)), alpha((1 << std::min(depth, 8)) / 2), out;
	for (size_t i = 0; i < rowbytes * height; i++) rows.push_back((uint8_t)(rng() % 3 == 0 ? rng() : i * 3));
	for (uint8_t &b : palette) b = (uint8_t)rng();
	for (uint8_t &b : alpha) b = (uint8_t)rng();  // shorter than the palette
	png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, Fatal, Silent);
	png_infop info = png_create_info_struct(png);
	png_set_write_fn(png, &out, WriteToMemory, nullptr);
	png_set_IHDR(png, info, (png_uint_32)width, (png_uint_32)height, depth, type, interlace, 0, 0);
	if (type == 3) png_set_PLTE(png, info, (png_const_colorp)palette.data(), (int)palette.size() / 3);
	if (type == 3) png_set_tRNS(png, info, alpha.data(), (int)alpha.size(), nullptr);
	png_set_filter(png, 0, filter);
	png_set_compression_buffer_size(png, 8);
	png_write_info(png, info);
	for (int pass = png_set_interlace_handling(png); pass > 0; pass--)
		for (int y = 0; y < height; y++) png_write_row(png, rows.data() + y * rowbytes);
	png_write_end(png, info);
	png_destroy_write_struct(&png, &info);
	return out;
}

TEST(PNG, GeneratedImagesOfEveryTypeDepthAndFilterMatchLibpng)
{
	const int formats[][2] = {{0, 1}, {0, 2}, {0, 4}, {0, 8}, {2, 8}, {3, 1}, {3, 2}, {3, 4}, {3, 8}, {4, 8}, {6, 8}};
	const int filters[] = {PNG_FILTER_NONE, PNG_FILTER_SUB, PNG_FILTER_UP, PNG_FILTER_AVG, PNG_FILTER_PAETH};
	std::mt19937 rng(15948);
	for (auto &format : formats)
		for (int filter : filters)
			for (int size : {1, 13, 70}) {
				Bytes file = WriteWithLibpng(size, size / 3 + 1, format[1], format[0], filter, 0, rng);
				Decoded d = DecodeWithEngine(file);
				EXPECT_TRUE(d.ok && d.inorder && d.agree && d.pixels == DecodeWithLibpng(file))
					<< "type " << format[0] << " depth " << format[1] << " filter " << filter << " size " << size;
			}
	EXPECT_FALSE(DecodeWithEngine(WriteWithLibpng(5, 4, 16, 2, PNG_FILTER_NONE, 0, rng)).header);
	EXPECT_FALSE(DecodeWithEngine(WriteWithLibpng(9, 9, 8, 6, PNG_FILTER_NONE, PNG_INTERLACE_ADAM7, rng)).header);
}

static Bytes Deflated(const Bytes &filtered)
{
	Bytes out(compressBound((uLong)filtered.size()));
	uLongf size = (uLongf)out.size();
	EXPECT_EQ(compress(out.data(), &size, filtered.data(), (uLong)filtered.size()), Z_OK);
	out.resize(size);
	return out;
}

static Bytes File(const Bytes &ihdr, const Bytes &filtered, std::vector<Bytes> before = {})
{
	before.insert(before.begin(), ihdr);
	before.push_back(Chunk("IDAT", Deflated(filtered)));
	before.push_back(Chunk("IEND", {}));
	return Concatenate(before);
}

struct Case
{
	const char *what;
	Bytes file;
	int header;  // 0: refused by the header, 1: refused by decoding, 2: decoded
	std::vector<uint32_t> pixels;
};

TEST(PNG, EdgeCasesAndMalformedFiles)
{
	Bytes rows, plte = Chunk("PLTE", {1, 2, 3, 4, 5, 6}), data = {0, 1}, ihdr = HeaderChunk(30, 20, 8, 0), badihdr = ihdr;
	for (int y = 0; y < 20; y++)
		for (int x = -1; x < 30; x++) rows.push_back((uint8_t)(x < 0 ? y % 5 : x * y));
	std::vector<Bytes> three = IDATChunks(Deflated(rows), {5, 9});
	Decoded whole = DecodeWithEngine(File(ihdr, rows));
	ASSERT_TRUE(whole.ok);
	Bytes cut = File(HeaderChunk(1, 1, 8, 0), data);
	cut.resize(cut.size() - 14);  // the IDAT chunk runs past the end
	badihdr[8 + 10] = 1;  // compression method
	Case cases[] = {
		{"1x1 RGBA", File(HeaderChunk(1, 1, 8, 6), {0, 10, 20, 30, 40}), 2, {0x280a141e}},
		{"1-bit grey", File(HeaderChunk(8, 1, 1, 0), {0, 0x80}), 2, {~0u, 255u << 24, 255u << 24, 255u << 24, 255u << 24, 255u << 24, 255u << 24, 255u << 24}},
		{"2-bit grey", File(HeaderChunk(4, 1, 2, 0), {0, 0x1b}), 2, {0xff000000, 0xff555555, 0xffaaaaaa, ~0u}},
		{"4-bit grey", File(HeaderChunk(3, 1, 4, 0), {0, 0x1f, 0x70}), 2, {0xff111111, ~0u, 0xff777777}},
		{"tRNS shorter than the palette", File(HeaderChunk(2, 1, 2, 3), {0, 0x10}, {plte, Chunk("tRNS", {77})}), 2, {0x4d010203, 0xff040506}},
		{"Paeth, Up, Average: zeros above and left", File(HeaderChunk(2, 3, 8, 2), {4, 10, 20, 30, 5, 5, 5, 2, 1, 1, 1, 2, 2, 2, 3, 0, 0, 0, 0, 0, 0}), 2,
			{0xff0a141e, 0xff0f1923, 0xff0b151f, 0xff111b25, 0xff050a0f, 0xff0b121a}},
		{"IDAT split in three, and an empty one", Concatenate({ihdr, three[0], Chunk("IDAT", {}), three[1], three[2]}), 2, whole.pixels},
		{"a palette index past the palette", File(HeaderChunk(2, 1, 2, 3), {0, 0x80}, {plte}), 1, {}},
		{"no palette", File(HeaderChunk(1, 1, 8, 3), {0, 0}), 1, {}},
		{"filter 5", File(HeaderChunk(1, 2, 8, 0), {0, 1, 5, 1}), 1, {}},
		{"image data in an ancillary chunk", Concatenate({ihdr, three[0], Chunk("tEXt", Bytes(three[1].begin() + 8, three[1].end() - 4)), three[2]}), 1, {}},
		{"an ancillary chunk between IDATs", Concatenate({ihdr, three[0], Chunk("tEXt", {'a', 0, 'b'}), three[1], three[2]}), 1, {}},
		{"no signature", Bytes(cut.begin() + 8, cut.end()), 0, {}},
		{"a chunk past the end", cut, 0, {}},
		{"IDAT before IHDR", Concatenate({Chunk("IDAT", Deflated(data)), HeaderChunk(1, 1, 8, 0)}), 0, {}},
		{"no IDAT", Concatenate({HeaderChunk(1, 1, 8, 0), Chunk("IEND", {})}), 0, {}},
		{"a first IDAT shorter than the zlib header", Concatenate({ihdr, IDATChunks(Deflated(rows), {1})[0]}), 0, {}},
		{"a short IHDR", Concatenate({Chunk("IHDR", Bytes(ihdr.begin() + 8, ihdr.end() - 5))}), 0, {}},
		{"compression method 1", File(badihdr, rows), 0, {}},
		{"width 0", File(HeaderChunk(0, 1, 8, 0), data), 0, {}},
		{"height 0", File(HeaderChunk(1, 0, 8, 0), data), 0, {}},
		{"4-bit truecolour", File(HeaderChunk(1, 1, 4, 2), data), 0, {}},
		{"3-bit grey", File(HeaderChunk(1, 1, 3, 0), data), 0, {}},
		{"colour type 5", File(HeaderChunk(1, 1, 8, 5), data), 0, {}},
		{"interlaced", File(HeaderChunk(1, 1, 8, 0, 1), data), 0, {}},
		{"rows of 32511 bytes", File(HeaderChunk(32511, 1, 8, 0), data), 0, {}},
		{"RGBA rows of 32512 bytes", File(HeaderChunk(8128, 1, 8, 6), data), 0, {}},
		{"past 32-bit stream positions", File(HeaderChunk(32510, 132110, 8, 0), data), 0, {}},
	};
	for (Case &c : cases) {
		Decoded d = DecodeWithEngine(c.file);
		EXPECT_EQ((int)d.header + (int)d.ok, c.header) << c.what;
		EXPECT_TRUE(d.inorder && d.agree) << c.what;
		EXPECT_TRUE(!d.ok || d.pixels == c.pixels) << c.what;
	}
	EXPECT_TRUE(DecodeWithEngine(File(HeaderChunk(32510, 2, 8, 0), Bytes(65022, 0))).ok);  // the widest rows
	EXPECT_TRUE(DecodeWithEngine(File(HeaderChunk(1, 1, 8, 0), data)).header);
}
