// The packer and the inspector as artists use them: real manifests and PNG
// files in a scratch folder, the programs run as commands, their bundles
// loaded the way the game loads them.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cstring>
#include <fstream>
#include <iterator>
#include <regex>
#include "Graphics/Drawing.h"
#include "Platform/ResourceBundle.h"
#include "tests/png/PNGFiles.h"
#include "tools/laserpack/PngFile.h"

class LaserpackTest : public ::testing::Test
{
protected:
	std::string folder;
	std::string out, err;  // what the last command printed
	void SetUp() override
	{
		char name[] = "/tmp/zep-laserpack-XXXXXX";
		ASSERT_NE(mkdtemp(name), nullptr);
		folder = name;
		ASSERT_EQ(mkdir((folder + "/art").c_str(), 0700), 0);
	}
	void TearDown() override { ASSERT_EQ(system(("rm -rf " + folder).c_str()), 0); }

	std::string Read(const std::string &path)
	{
		std::ifstream in(path, std::ios::binary);
		return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
	}
	void Write(const std::string &path, const std::string &text) { std::ofstream(path, std::ios::binary) << text; }
	// Runs a command, returns its exit status and keeps what it printed.
	int Run(const std::string &command)
	{
		int status = system((command + " >" + folder + "/out 2>" + folder + "/err").c_str());
		out = Read(folder + "/out");
		err = Read(folder + "/err");
		return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
	}
	int Pack(const std::string &manifest, const std::string &output = "out.laser")
	{
		Write(folder + "/art/manifest.txt", manifest);
		return Run(std::string(LASERPACK) + " " + folder + "/art/manifest.txt " + folder + "/" + output + " Test");
	}
	void Picture(const std::string &name, int width, int height, const std::vector<Pixel> &pixels)
	{
		std::string error;
		ASSERT_TRUE(WritePngFile(folder + "/art/" + name, width, height, pixels.data(), &error)) << error;
	}
};

// A loaded bundle in a block of its own.
struct Bundle
{
	std::vector<uint64_t> block;
	std::vector<uint8_t> file;
	ResourceBundle *self = nullptr;
	explicit Bundle(const std::string &bytes) : file(bytes.begin(), bytes.end())
	{
		size_t size = ResourceBundleMemorySize(file.data(), file.size());
		if (size == 0) return;
		block.resize((size + 7) / 8);
		memcpy(block.data(), file.data(), file.size());
		self = (ResourceBundle *)block.data();
		if (!FixUpResourceBundle(self, file.size(), "Test")) self = nullptr;
	}
};

// The picture an RLE image draws onto a cleared canvas.
static std::vector<Pixel> Drawn(RLEBitmap *r)
{
	std::vector<Pixel> pixels((size_t)r->width * r->height, 0);
	Bitmap canvas;
	InitializeBitmap(&canvas, r->width, r->height, r->width * 4, pixels.data());
	DrawRLEBitmap(&canvas, r, 0, 0);
	return pixels;
}

// A sheet of 3 x 2 cells of 4 x 3 pixels; each pixel names its cell and place,
// and the alpha runs through 0, 127, 128 and 255.
static std::vector<Pixel> Sheet()
{
	std::vector<Pixel> px(12 * 6);
	const uint32_t alphas[4] = {0, 127, 128, 255};
	for (int y = 0; y < 6; y++)
		for (int x = 0; x < 12; x++) px[y * 12 + x] = alphas[(x + y) % 4] << 24 | (uint32_t)(y * 12 + x) * 0x010305;
	return px;
}

static std::vector<Pixel> Cell(const std::vector<Pixel> &sheet, int index, bool transparency)
{
	std::vector<Pixel> cell;
	for (int y = 0; y < 3; y++)
		for (int x = 0; x < 4; x++) {
			Pixel p = sheet[(index / 3 * 3 + y) * 12 + index % 3 * 4 + x];
			cell.push_back(transparency && IsPixelTransparent(p) ? 0 : p);
		}
	return cell;
}

TEST_F(LaserpackTest, PacksEveryKindOfEntry)
{
	std::vector<Pixel> sheet = Sheet();
	Picture("sheet.png", 12, 6, sheet);
	Picture("one.png", 2, 1, {0xff112233, 0x80445566});
	Picture("two.png", 1, 3, {0xffabcdef, 0x00000000, 0x7f010203});
	Write(folder + "/art/tune.ogg", std::string("OggS\0\1\2", 7));
	ASSERT_EQ(Pack("# sprites\n"
				   "R Splat sheet.png 4 3 5   # five of the six cells\n"
				   "\n"
				   "R All sheet.png 4 3\n"
				   "R Whole sheet.png\n"
				   "R Pair one.png two.png\n"
				   "B Title sheet.png\n"
				   "S oladventure tune.ogg\n"),
		0)
		<< err;
	Bundle b(Read(folder + "/out.laser"));
	ASSERT_NE(b.self, nullptr);
	EXPECT_EQ(b.self->numentries, 6u);
	// the data of every entry starts on 4 bytes, in the file itself
	for (uint32_t i = 0; i < 6; i++) {
		uint32_t offset;
		memcpy(&offset, b.file.data() + 140 + 44 * i, 4);
		EXPECT_EQ(offset % 4, 0u) << i;
	}

	RLEBitmap **splat = (RLEBitmap **)DataForResourceWithName(b.self, "Test/Splat", nullptr);
	ASSERT_NE(splat, nullptr);
	for (int f = 0; f < 5; f++) {
		ASSERT_NE(splat[f], nullptr);
		EXPECT_EQ(splat[f]->width, 4);
		EXPECT_EQ(splat[f]->height, 3);
		EXPECT_EQ(Drawn(splat[f]), Cell(sheet, f, true)) << "cell " << f;
	}
	EXPECT_EQ(splat[5], nullptr);
	RLEBitmap **all = (RLEBitmap **)DataForResourceWithName(b.self, "All", nullptr);
	ASSERT_NE(all[5], nullptr);
	EXPECT_EQ(Drawn(all[5]), Cell(sheet, 5, true));
	EXPECT_EQ(all[6], nullptr);
	RLEBitmap **whole = (RLEBitmap **)DataForResourceWithName(b.self, "Whole", nullptr);
	EXPECT_EQ(whole[0]->width, 12);
	EXPECT_EQ(whole[0]->height, 6);
	EXPECT_EQ(whole[1], nullptr);
	RLEBitmap **pair = (RLEBitmap **)DataForResourceWithName(b.self, "Pair", nullptr);
	EXPECT_EQ(Drawn(pair[0]), std::vector<Pixel>({0xff112233, 0x80445566}));
	EXPECT_EQ(Drawn(pair[1]), std::vector<Pixel>({0xffabcdef, 0, 0}));  // alpha 127 is transparent
	EXPECT_EQ(pair[2], nullptr);

	// a bitmap keeps every pixel with its alpha, transparent ones included
	Bitmap *title = (Bitmap *)DataForResourceWithName(b.self, "Title", nullptr);
	ASSERT_NE(title, nullptr);
	ASSERT_EQ(title->width, 12);
	ASSERT_EQ(title->height, 6);
	for (int y = 0; y < 6; y++)
		for (int x = 0; x < 12; x++) EXPECT_EQ(*BitmapPixelPointer(title, x, y), sheet[y * 12 + x]) << x << "," << y;

	size_t size = 0;
	const char *tune = (const char *)DataForResourceWithName(b.self, "oladventure", &size);
	ASSERT_NE(tune, nullptr);
	EXPECT_EQ(std::string(tune, size), std::string("OggS\0\1\2", 7));
	EXPECT_EQ(ResourceBundleEntries(b.self)[5].type, (uint32_t)'S');
}

TEST_F(LaserpackTest, TheInspectorListsAndExports)
{
	std::vector<Pixel> sheet = Sheet();
	Picture("sheet.png", 12, 6, sheet);
	Write(folder + "/art/raw.bin", "xyz");
	ASSERT_EQ(Pack("R Splat sheet.png 4 3 3\nB Title sheet.png\nS raw raw.bin\n"), 0) << err;
	std::string bundle = folder + "/out.laser";
	ASSERT_EQ(Run(std::string(LASERINSPECT) + " " + bundle), 0) << err;
	EXPECT_NE(out.find("3 entries"), std::string::npos) << out;
	EXPECT_NE(out.find("3 frames: 4x3 4x3 4x3"), std::string::npos) << out;
	EXPECT_NE(out.find("bitmap 12x6"), std::string::npos) << out;
	EXPECT_TRUE(std::regex_search(out, std::regex("\nraw +S +3 bytes\n"))) << out;

	ASSERT_EQ(Run(std::string(LASERINSPECT) + " " + bundle + " Splat 2 " + folder + "/frame.png"), 0) << err;
	PngImage frame;
	std::string error;
	ASSERT_TRUE(ReadPngFile(folder + "/frame.png", &frame, &error)) << error;
	EXPECT_EQ(frame.width, 4);
	EXPECT_EQ(frame.pixels, Cell(sheet, 2, true));
	ASSERT_EQ(Run(std::string(LASERINSPECT) + " " + bundle + " Title 0 " + folder + "/title.png"), 0) << err;
	PngImage title;
	ASSERT_TRUE(ReadPngFile(folder + "/title.png", &title, &error)) << error;
	EXPECT_EQ(title.pixels, sheet);

	EXPECT_NE(Run(std::string(LASERINSPECT) + " " + bundle + " Splat 3 " + folder + "/x.png"), 0);
	EXPECT_NE(err.find("has 3 frames"), std::string::npos) << err;
	EXPECT_NE(Run(std::string(LASERINSPECT) + " " + bundle + " raw 0 " + folder + "/x.png"), 0);
	EXPECT_NE(err.find("raw data"), std::string::npos) << err;
	EXPECT_NE(Run(std::string(LASERINSPECT) + " " + bundle + " Nothing 0 " + folder + "/x.png"), 0);
	EXPECT_NE(err.find("no entry"), std::string::npos) << err;
	Write(folder + "/broken.laser", Read(bundle).substr(0, 200));
	EXPECT_NE(Run(std::string(LASERINSPECT) + " " + folder + "/broken.laser"), 0);
	EXPECT_NE(err.find("not a valid bundle"), std::string::npos) << err;
	EXPECT_EQ(Run(std::string(LASERINSPECT)), 2);
}

TEST_F(LaserpackTest, BadManifestsNameTheLine)
{
	Picture("a.png", 8, 4, std::vector<Pixel>(32, 0xff000000));
	struct Case
	{
		const char *manifest, *message;
	} cases[] = {
		{"B ok a.png\n\nB abcdefghijklmnopqrstuvwxyz0123456 a.png\n", ":3: entry name \"abcdefghijklmnopqrstuvwxyz0123456\" is longer than 32 bytes"},
		{"# a comment\nR sub/name a.png\n", ":2: entry name \"sub/name\" contains '/'"},
		{"B ok missing.png\n", ":1: "},
		{"R cells a.png 4 4 3\n", ":1: the picture holds 2 cells, not 3"},
		{"R cells a.png 9 4\n", ":1: cell size does not fit the picture"},
		{"R cells a.png 4\n", ":1: a grid needs <cellw> <cellh> [<count>] after the file"},
		{"B two a.png a.png\n", ":1: a bitmap entry takes one file"},
		{"BB name a.png\n", ":1: the type is one letter"},
		{"B lonely\n", ":1: expected: <type> <entry> <file>"},
		{"S raw missing.ogg\n", ":1: cannot read"},
		{"B same a.png\nS same a.png\n", "entry \"same\" is given twice"},
		// a folder where a file should be: once an uncaught exception
		{"R frames a.png .\n", "/.: cannot be read (missing, or not a file)"},
		{"S raw .\n", ":1: cannot read"},
	};
	for (const Case &c : cases) {
		EXPECT_EQ(Pack(c.manifest, "bad.laser"), 1) << c.manifest;
		EXPECT_NE(err.find(c.message), std::string::npos) << c.manifest << "printed: " << err;
		EXPECT_NE(err.find("manifest.txt"), std::string::npos) << err;
		struct stat st;
		EXPECT_NE(stat((folder + "/bad.laser").c_str(), &st), 0) << "no bundle is left behind";
	}
	// a name of exactly 32 bytes is fine
	EXPECT_EQ(Pack("B abcdefghijklmnopqrstuvwxyz012345 a.png\n"), 0) << err;
	EXPECT_EQ(Run(LASERPACK), 2);
	EXPECT_NE(err.find("usage: laserpack <manifest.txt> <output.laser> <bundle name>"), std::string::npos);
}

TEST_F(LaserpackTest, PNGsTheEngineCannotReadAreRefused)
{
	// a 16-bit greyscale picture, which the engine's loader does not read
	Bytes rows = {0, 0x12, 0x34, 0xff, 0xff};
	Bytes zlib(compressBound(5));
	uLongf size = (uLongf)zlib.size();
	ASSERT_EQ(compress(zlib.data(), &size, rows.data(), 5), Z_OK);
	zlib.resize(size);
	Bytes deep = Concatenate({HeaderChunk(2, 1, 16, 0), Chunk("IDAT", zlib), Chunk("IEND", {})});
	Write(folder + "/art/deep.png", std::string(deep.begin(), deep.end()));
	Write(folder + "/art/text.png", "not a picture");
	for (const char *file : {"deep.png", "text.png"}) {
		EXPECT_EQ(Pack(std::string("B Title ") + file + "\n"), 1);
		EXPECT_NE(err.find(std::string(file) + ": not a PNG the engine reads"), std::string::npos) << err;
	}
}
