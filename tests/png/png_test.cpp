// The PNG loader against libpng: random images of every colour type, bit
// depth and filter, and a table of malformed files (a picture libpng wrote,
// read through laserpack: laserpack_test).
// Randomly damaged files are fuzz/png_fuzz.cpp's.
#include <gtest/gtest.h>
#include <png.h>
#include <random>
#include "tests/png/PNGFiles.h"

// The engine's mallocs (linked with --wrap=malloc), made to fail on request.
static bool failmalloc;
extern "C" void *__real_malloc(size_t size);
extern "C" void *__wrap_malloc(size_t size) { return failmalloc ? nullptr : __real_malloc(size); }

// libpng's view as ARGB words, through its simplified reader.
static std::vector<uint32_t> DecodeWithLibpng(const Bytes &file)
{
	png_image image = {};
	image.version = PNG_IMAGE_VERSION;
	if (!png_image_begin_read_from_memory(&image, file.data(), file.size())) return {};
	image.format = PNG_FORMAT_BGRA;  // ARGB words on this little-endian target
	std::vector<uint32_t> pixels(PNG_IMAGE_SIZE(image) / 4);
	if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) pixels.clear();
	png_image_free(&image);
	return pixels;
}

static void ExpectLibpngsPixels(const Bytes &file, const std::string &what)
{
	Decoded d = DecodeWithEngine(file);
	EXPECT_TRUE(d.ok && d.inorder && d.agree && d.pixels == DecodeWithLibpng(file)) << what;
}

// Any bytes after a filter byte are a valid row: rows of random bytes, row y
// filtered with filter y % 5, a full palette with a shorter transparency.
TEST(PNG, RandomImagesOfEveryTypeDepthAndFilterMatchLibpng)
{
	const int formats[][2] = {{0, 1}, {0, 2}, {0, 4}, {0, 8}, {2, 8}, {3, 1}, {3, 2}, {3, 4}, {3, 8}, {4, 8}, {6, 8}};
	std::mt19937 rng(15948);
	for (auto [type, depth] : formats)
		for (int width : {1, 13, 70}) {
			int channels = type == 2 ? 3 : type == 4 ? 2 : type == 6 ? 4 : 1, height = width / 3 + 5;
			Bytes rows, palette(3 << depth), alpha((1 << depth) / 2);
			for (int y = 0; y < height; y++) {
				rows.push_back((uint8_t)(y % 5));
				for (int i = 0; i < (width * depth * channels + 7) / 8; i++) rows.push_back((uint8_t)(rng() % 3 ? i * 3 : rng()));
			}
			for (uint8_t &b : palette) b = (uint8_t)rng();
			for (uint8_t &b : alpha) b = (uint8_t)rng();
			std::vector<Bytes> before;
			if (type == 3) before = {Chunk("PLTE", palette), Chunk("tRNS", alpha)};
			Bytes file = PNGFile(HeaderChunk(width, height, depth, type), ZlibStream(rows), {7, 30}, before);
			ExpectLibpngsPixels(file, "type " + std::to_string(type) + " depth " + std::to_string(depth) + " width " + std::to_string(width));
		}
}

// A file of the given header around the given rows, filter bytes included.
static Bytes File(const Bytes &ihdr, const Bytes &filtered, std::vector<Bytes> before = {})
{
	return PNGFile(ihdr, ZlibStream(filtered), {}, before);
}

TEST(PNG, EdgeCasesAndMalformedFiles)
{
	Bytes rows, plte = Chunk("PLTE", {1, 2, 3, 4, 5, 6}), data = {0, 1}, ihdr = HeaderChunk(30, 20, 8, 0), badihdr = ihdr;
	for (int y = 0; y < 20; y++)
		for (int x = -1; x < 30; x++) rows.push_back((uint8_t)(x < 0 ? y % 5 : x * y));
	std::vector<Bytes> three = IDATChunks(ZlibStream(rows), {5, 9});
	Decoded whole = DecodeWithEngine(File(ihdr, rows));
	ASSERT_TRUE(whole.ok);
	EXPECT_EQ(DecodeWithEngine(Concatenate({ihdr, three[0], Chunk("IDAT", {}), three[1], three[2]})).pixels, whole.pixels);
	Bytes cut = File(HeaderChunk(1, 1, 8, 0), data);
	cut.resize(cut.size() - 13);  // the IDAT chunk runs one byte past the end
	badihdr[8 + 10] = 1;  // compression method
	const struct
	{
		const char *what;
		Bytes file;
		int header;  // 0: refused by the header, 1: refused by decoding
	} cases[] = {
		{"a palette index past the palette", File(HeaderChunk(2, 1, 2, 3), {0, 0x80}, {plte}), 1},
		{"no palette", File(HeaderChunk(1, 1, 8, 3), {0, 0}), 1},
		{"filter 5", File(HeaderChunk(1, 2, 8, 0), {0, 1, 5, 1}), 1},
		{"image data in an ancillary chunk", Concatenate({ihdr, three[0], Chunk("tEXt", Bytes(three[1].begin() + 8, three[1].end() - 4)), three[2]}), 1},
		{"an ancillary chunk between IDATs", Concatenate({ihdr, three[0], Chunk("tEXt", {'a', 0, 'b'}), three[1], three[2]}), 1},
		{"no signature", Bytes(cut.begin() + 8, cut.end()), 0},
		{"a chunk past the end", cut, 0},
		{"IDAT before IHDR", Concatenate({Chunk("IDAT", ZlibStream(data)), HeaderChunk(1, 1, 8, 0)}), 0},
		{"no IDAT", Concatenate({HeaderChunk(1, 1, 8, 0), Chunk("IEND", {})}), 0},
		{"a first IDAT shorter than the zlib header", Concatenate({ihdr, IDATChunks(ZlibStream(rows), {1})[0]}), 0},
		{"a short IHDR", Concatenate({Chunk("IHDR", Bytes(ihdr.begin() + 8, ihdr.end() - 5))}), 0},
		{"compression method 1", File(badihdr, rows), 0},
	};
	for (const auto &c : cases) {
		Decoded d = DecodeWithEngine(c.file);
		EXPECT_EQ((int)d.header + (int)d.ok, c.header) << c.what;
		EXPECT_TRUE(d.inorder && d.agree) << c.what;
	}
	// Refused by the header, as width, height, depth, colour type, interlace: sizes of 0; depths that
	// are not the type's; colour type 5; interlaced; rows of 32511 bytes, RGBA rows of 32512 bytes;
	// stream positions past 32 bits.
	const uint32_t headers[][5] = {{0, 1, 8, 0, 0}, {1, 0, 8, 0, 0}, {1, 1, 4, 2, 0}, {1, 1, 3, 0, 0}, {1, 1, 16, 2, 0},
		{1, 1, 8, 5, 0}, {1, 1, 8, 0, 1}, {32511, 1, 8, 0, 0}, {8128, 1, 8, 6, 0}, {32510, 132110, 8, 0, 0}};
	for (auto &h : headers)
		EXPECT_FALSE(DecodeWithEngine(File(HeaderChunk(h[0], h[1], (int)h[2], (int)h[3], (int)h[4]), data)).header)
			<< h[0] << " x " << h[1] << ", depth " << h[2] << ", type " << h[3] << ", interlace " << h[4];
	EXPECT_TRUE(DecodeWithEngine(File(HeaderChunk(32510, 2, 8, 0), Bytes(65022, 0))).ok);  // the widest rows
	Bytes longplte(3 * 300);  // past 256 entries, which an 8-bit index cannot reach, nothing is read or written
	for (size_t i = 0; i < longplte.size(); i++) longplte[i] = (uint8_t)(i / 3);
	EXPECT_EQ(DecodeWithEngine(File(HeaderChunk(2, 1, 8, 3), {0, 255, 1}, {Chunk("PLTE", longplte)})).pixels, (std::vector<uint32_t>{0xFFFFFFFF, 0xFF010101}));
}

// The form that allocates its own storage: the same pixels; a failed
// allocation, or a loader without a header, is a failure.
TEST(PNG, TheAllocatingFormDecodesAndFailsWithoutMemoryOrHeader)
{
	Bytes file = File(HeaderChunk(2, 1, 8, 0), {0, 7, 9});
	for (int fault : {0, 1, 2}) {  // none, no memory, no header
		PNGLoader loader;
		InitializePNGLoader(&loader, file.data(), fault == 2 ? 7 : file.size());
		EXPECT_EQ(LoadPNGHeader(&loader), fault != 2);
		uint32_t pixels[2] = {};
		failmalloc = fault == 1;
		bool ok = LoadPNGImageData(&loader, pixels, 8, StorePNGPixelARGB);
		failmalloc = false;
		EXPECT_TRUE(fault ? !ok : ok && pixels[0] == 0xFF070707u && pixels[1] == 0xFF090909u) << fault;
	}
}
