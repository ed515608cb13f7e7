// Bundles: pictures from aligned and unaligned files drawing alike, refusals
// that name the fault, the loader. Randomly damaged bundles are
// fuzz/bundle_fuzz.cpp's.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <memory>
#include <unistd.h>
#include <zlib.h>
#include "BundleImage.h"
#include "GuardedBitmap.h"
#include "Graphics/RLEBitmapIndex.h"
#include "Platform/GameResources.h"
#include "Platform/ResourceLoader.h"

// reallocs (linked with --wrap) made to fail on request; the block a failed
// one was given must be freed all the same
static bool failrealloc;
static void *unfreed;
extern "C" void *__real_realloc(void *p, size_t n);
extern "C" void __real_free(void *p);
extern "C" void *__wrap_realloc(void *p, size_t n) { return failrealloc ? (unfreed = p, nullptr) : __real_realloc(p, n); }
extern "C" void __wrap_free(void *p)
{
	if (p == unfreed) unfreed = nullptr;
	__real_free(p);
}

static const Picture Pictures[3] = {
	{5, 3, {0xff000001, 2, 3, 0xff000004, 5, 0xff000006, 0xff000007, 0x7f000008, 9, 10, 11, 12, 13, 14, 0xff00000f}},
	{1, 1, {0x80123456}},
	{3, 2, {0xffabcdef, 0xff000001, 0xff000002, 0xff000003, 0, 0xffffffff}}};

static std::vector<uint8_t> SampleBundle(int skew, const char *same = "one")
{
	BundleImage image;
	image.AddFrames("Orb", {Pictures[0], Pictures[1], Pictures[2]});
	image.AddBitmap("Title", Pictures[2]);
	image.Add("a", 'S', {3});
	image.Add("points", 'S', {'o', 'g', 'g'});
	image.Add("same", 'S', std::vector<uint8_t>(same, same + 3));
	image.Add("zz", 'S', {});
	return image.Build(skew);
}

// A bundle of one entry "e" whose data, given as 32-bit words, lies at offset.
static std::vector<uint8_t> OneEntry(uint32_t type, uint32_t offset, const std::vector<uint32_t> &words, uint32_t size = 0)
{
	std::vector<uint8_t> b(offset + 4 * words.size(), 0);
	uint32_t header[4] = {1, offset, size ? size : 4 * (uint32_t)words.size(), type};
	memcpy(b.data(), "LoVeSiGn", 8);
	memcpy(&b[8], header, 4);
	memcpy(&b[140], header + 1, 12);
	b[152] = 'e';
	memcpy(&b[offset], words.data(), 4 * words.size());
	return b;
}

// One batch of requests; the names of the bundles loaded, in list order.
static std::string Batch(ResourceLoader *loader, const std::vector<const char *> &paths)
{
	StartRequestingResourceBundles(loader);
	for (const char *p : paths) RequestResourceBundle(loader, p);
	EndRequestingResourceBundles(loader);
	std::string names;
	for (ResourceBundle *b = ResourceBundleList(loader); b; b = b->head.next) names += std::string(b->name) + " ";
	return names;
}

TEST(Bundle, UnalignedFilesDrawWhatAlignedOnesDraw)
{
	for (int skew = 0; skew < 4; skew++) {
		std::vector<uint8_t> file = SampleBundle(skew);
		LoadedBundle l(file, "Graphics/Sprites");
		ASSERT_NE(l.self, nullptr) << l.problems.first;
		// aligned; bitmaps copied out of the file only when they must be, frames
		// always, each behind its index
		auto infile = [&](const void *p) { return p >= (void *)l.self && p < (void *)((char *)l.self + file.size()); };
		auto placed = [&](const void *p) { return (uintptr_t)p % 4 == 0 && infile(p) == (skew == 0); };
		RLEBitmap **frames = (RLEBitmap **)DataForResourceWithName(l.self, "Graphics/Sprites/Orb", nullptr);
		ASSERT_NE(frames, nullptr);
		for (int i = 0; i < 3; i++) {
			std::vector<Pixel> expected = Pictures[i].pixels;
			for (Pixel &p : expected) p = IsPixelTransparent(p) ? 0 : p;
			const RLEBitmapIndex *index = (const RLEBitmapIndex *)frames[i] - 1;
			EXPECT_TRUE(frames[i] && (uintptr_t)frames[i] % 8 == 0 && !infile(frames[i]) && index->spans &&
				index->rowstarts[frames[i]->height] == (uint32_t)(i == 0 ? 4 : i == 1 ? 1 : 3) && Drawn(frames[i]) == expected)
				<< "skew " << skew << " frame " << i;
		}
		EXPECT_EQ(frames[3], nullptr);
		Bitmap *title = (Bitmap *)DataForResourceWithName(l.self, "Title", nullptr);
		GuardedBitmap out(3, 2);
		DrawBitmap(&out.bitmap, title, 0, 0);
		for (int k = 0; k < 6; k++) EXPECT_EQ(out.At(k % 3, k / 3), Pictures[2].pixels[k]) << "skew " << skew;
		EXPECT_TRUE(placed(title->pixels) && title->bytesperrow % 4 == 0) << "skew " << skew;
	}
	// a bitmap whose rows lie 6 bytes apart: 0xff000001, then 0xff000002 two bytes after the row's end
	LoadedBundle l(OneEntry('B', 184, {0x00020001, 6, 12, 0xff000001, 0x00020000, 0x0000ff00}), "Rows");
	Bitmap *b = (Bitmap *)DataForResourceWithName(l.self, "e", nullptr);
	EXPECT_TRUE(b->bytesperrow == 4 && *BitmapPixelPointer(b, 0, 0) == 0xff000001 && *BitmapPixelPointer(b, 0, 1) == 0xff000002);
}

TEST(BundleCheck, EachRefusalNamesTheEntryTheOffsetAndTheFault)
{
	std::vector<uint32_t> shared = {12, 12, 0, 1, 400};  // two frames, one image of 400 rows
	shared.insert(shared.end(), 400, 0x00010000);
	std::vector<uint8_t> unsorted = SampleBundle(0);
	std::swap_ranges(unsorted.begin() + 152, unsorted.begin() + 184, unsorted.begin() + 196);
	std::vector<uint8_t> twice = SampleBundle(0);  // "a" renamed "Title", as the entry before it
	std::copy(twice.begin() + 196, twice.begin() + 228, twice.begin() + 240);
	std::vector<uint8_t> magic = unsorted;
	magic[7] = 'm';
	const struct
	{
		std::vector<uint8_t> file;
		const char *problem;  // null: accepted
	} cases[] = {
		{OneEntry('B', 184, {0x00010001, 3, 12, 0xff102030}), "entry \"e\": the bitmap's size 1 x 1 with rows 3"},
		{OneEntry('B', 184, {0, 0, 12}), nullptr},  // no pixels: the record alone
		{OneEntry('B', 184, {0x00020000, 4, 12, 0}), nullptr},  // two empty rows, the second starting at the end
		{OneEntry('B', 184, {0x00030000, 4, 12, 0}), "entry \"e\": the bitmap's pixels run past the end of the entry"},
		{OneEntry('B', 184, {0x0001FFFF, 4, 12, 0xff102030}), "the bitmap's size -1 x 1 with rows 4"},
		{OneEntry('B', 184, {0xFFFF0001, 4, 12, 0xff102030}), "the bitmap's size 1 x -1 with rows 4"},
		{OneEntry('B', 186, {0x00020001, 4, 12, 0xff102030}), "entry \"e\": the bitmap's pixels run past the end of the entry at offset 0xc2"},
		{OneEntry('R', 187, {8, 0, 1, 1, 0x00000001, 0xff102030}), nullptr},
		{OneEntry('R', 184, {8, 0, 3, 1, 0x00000002, 1, 2, 0x00040000}), nullptr},  // an empty run may pass the width
		{OneEntry('R', 184, {8, 0, 1, 1, 0x00010001, 0xff102030}), "entry \"e\", frame 0: row 0 runs past the image's width of 1 at offset 0xc8"},
		{OneEntry('R', 185, {8, 0, 2, 2, 0x00000002, 1, 2, 0x00000002, 3}), "entry \"e\", frame 0: row 1's pixels run past the end of the file at offset 0xd5"},
		{OneEntry('R', 184, {8, 0, 2, 2, 0x00020000}), "entry \"e\", frame 0: row 1 runs past the end of the file at offset 0xcc"},
		{OneEntry('R', 184, {8, 4, 0x7fffffff, 1}), "entry \"e\", frame 0: the image's size 2147483647 x 1 is out of range at offset 0xc0"},
		{OneEntry('R', 184, {8, 0, 0xffffffff, 1}), "the image's size -1 x 1 is out of range"},
		{OneEntry('R', 184, {8, 0, 1, 0xffffffff}), "the image's size 1 x -1 is out of range"},
		{OneEntry('R', 184, {8, 0, 1, 0x1000001}), "the image's size 1 x 16777217 is out of range"},
		{OneEntry('R', 184, {8, 0, 0x1000000, 0}), nullptr},  // the widest, with no rows
		{OneEntry('R', 184, {0x1000, 0}), "entry \"e\", frame 0: the image lies outside the file's data at offset 0x10b8"},
		{OneEntry('R', 184, {8, 0, 1, 1, 0x00000001, 0xff102030}, 8), nullptr},  // an entry of just the array
		{OneEntry('R', 184, {8, 0, 0, 0}, 4), "entry \"e\": the frames array has no terminating zero inside the entry at offset 0xb8"},
		{OneEntry('R', 184, {0, 1}), "entry \"e\": the frames array is empty at offset 0xb8"},
		{OneEntry('R', 160, std::vector<uint32_t>(8)), "entry \"e\": the entry's data (32 bytes at 0xa0) lies outside the file's data at offset 0x8c"},
		{OneEntry('R', 184, shared), nullptr},
		{std::vector<uint8_t>(unsorted.begin(), unsorted.begin() + 139), "the file is 139 bytes, shorter than a bundle's header at offset 0x0"},
		{magic, "the file does not begin with \"LoVeSiGn\" at offset 0x0"},
		{unsorted, "entry \"Orb\": the directory is not sorted at offset 0xb8"},
		{twice, "entry \"Title\": the directory names the entry twice at offset 0xe4"},
	};
	for (const auto &k : cases) {
		LoadedBundle l(k.file, "Check");
		EXPECT_EQ(l.self == nullptr, k.problem != nullptr) << (k.problem ? k.problem : l.problems.first);
		EXPECT_TRUE(!k.problem || strstr(l.problems.first, k.problem)) << l.problems.first;
	}
	magic.resize(4 * magic.size());  // room for what a fix-up would add
	EXPECT_FALSE(FixUpResourceBundle((ResourceBundle *)magic.data(), magic.size() / 4, "Check"));
	std::vector<uint8_t> good = SampleBundle(3);
	for (size_t n = 0; n < good.size(); n++)
		EXPECT_EQ(LoadedBundle(std::vector<uint8_t>(good.begin(), good.begin() + n), "Cut").self, nullptr) << n;
	// frames sharing one image: allowed, but walking it for each of 20000 would be quadratic
	std::vector<uint32_t> many(20000, 4 * 20001);
	many.push_back(0);
	many.insert(many.end(), shared.begin() + 3, shared.end());
	LoadedBundle l(OneEntry('R', 184, many), "Many");
	EXPECT_NE(strstr(l.problems.first, "shared too often"), nullptr) << l.problems.first;
}

// The loader in a scratch folder: request order, failed requests left out
// and explained, reuse without rereading, and the game's start-up check.
TEST(Loader, BatchesRefusalsAndTheGameSet)
{
	ScratchFolder scratch;
	ASSERT_EQ(chdir(scratch.name), 0);
	WriteFile("A.laser", SampleBundle(2, "aaa"));
	WriteFile("C.laser", SampleBundle(0, "ccc"));
	mkdir("D.laser", 0700);
	mkdir("Graphics", 0700);
	WriteFile("Graphics/Sprites.laser", OneEntry('R', 184, {8, 0, 1, 1, 0x00010001, 0xff102030}));
	ResourceLoader *loader = AllocResourceLoader();
	EXPECT_EQ(Batch(loader, {"A", "B", "C", "D", "Graphics/Sprites"}), "A C ");
	EXPECT_EQ(ResourceBundleRefusal("A"), nullptr);
	EXPECT_EQ(ResourceBundleRefusal("B"), nullptr);  // missing, which the caller says
	EXPECT_STREQ(ResourceBundleRefusal("D"), "D.laser: not a regular file");
	char problem[256];
	EXPECT_FALSE(CheckGameResources(ResourceBundleList(loader), problem, sizeof problem));
	EXPECT_STREQ(problem, "the bundle file \"Graphics/Sprites.laser\" was refused: Graphics/Sprites.laser: entry \"e\", "
		"frame 0: row 0 runs past the image's width of 1 at offset 0xc8");
	WriteFile("A.laser", SampleBundle(0, "new"));  // a bundle named again is not reread
	EXPECT_EQ(Batch(loader, {"C", "A", "A"}), "C A A ");
	EXPECT_EQ(std::string((char *)DataForResourceWithName(ResourceBundleList(loader), "A/same", nullptr), 3), "aaa");
	WriteFile("Graphics/Sprites.laser", SampleBundle(1));
	EXPECT_EQ(Batch(loader, {"Graphics/Sprites"}), "Graphics/Sprites ");
	EXPECT_EQ(ResourceBundleRefusal("Graphics/Sprites"), nullptr);  // forgotten once it loads
	EXPECT_EQ(Batch(loader, {"B"}), "");
	WriteFile("E.laser", SampleBundle(0));
	failrealloc = true;  // no room to grow into for the side records
	EXPECT_EQ(Batch(loader, {"E"}), "");
	failrealloc = false;
	EXPECT_STREQ(ResourceBundleRefusal("E"), "E.laser: not enough memory");
	EXPECT_EQ(unfreed, nullptr);
	FreeResourceLoader(loader);
	FreeResourceLoader(nullptr);
	ASSERT_EQ(chdir(".."), 0);
}

// The start-up checks over bundles made from the game's set: whole, then with
// one resource left out (type 0), of another type, or a picture short.
TEST(GameResourceCheck, NamesTheFirstMissingMistypedOrShortResource)
{
	const struct { std::string name; char type; int less; const char *problem; } faults[] = {{"", 0, 0, nullptr},
		{"Graphics/Sprites/Orb", 0, 0, "\"Graphics/Sprites/Orb\" is missing"},
		{"Graphics/Sprites/Orb", 'B', 0, "\"Graphics/Sprites/Orb\" is not of type 'R'"},
		{"Graphics/Sprites/Orb", 'R', 1, "\"Graphics/Sprites/Orb\" has 9 pictures, the game needs 10"},
		{"Graphics/Sprites/Splat", 'R', 1, "\"Graphics/Sprites/Splat\" has 103 pictures, the game needs 104"},
		{"Graphics/Title/Title", 'R', 0, "\"Graphics/Title/Title\" is not of type 'B'"},
		{"Graphics/Backgrounds/NightSky/NightSky4", 0, 0, "\"Graphics/Backgrounds/NightSky/NightSky4\" is missing"},
		{"Sounds/points", 0, 0, "\"Sounds/points\" is missing"}, {"Sounds/points", 'R', 0, "\"Sounds/points\" is not of type 'S'"}};
	for (auto &f : faults) {
		std::vector<std::unique_ptr<LoadedBundle>> chain;
		for (std::string bundle : GameBundleNames) {
			BundleImage image;
			for (const GameResource *r = GameResources; r < GameResources + NumberOfGameResources; r++) {
				std::string name = r->name, entry = name.substr(std::min(name.size(), bundle.size() + 1));
				char type = name == f.name ? f.type : r->type;
				if (name.compare(0, bundle.size() + 1, bundle + "/") || !type) continue;
				if (type == 'R') image.AddFrames(entry, std::vector<Picture>(std::max(1, r->pictures - (name == f.name) * f.less), Pictures[1]));
				else type == 'B' ? image.AddBitmap(entry, Pictures[2]) : image.Add(entry, type, {1});
			}
			chain.emplace_back(new LoadedBundle(image.Build(), bundle.c_str()));
			ASSERT_NE(chain.back()->self, nullptr) << chain.back()->problems.first;
			if (chain.size() > 1) chain[chain.size() - 2]->self->head.next = chain.back()->self;
		}
		char problem[256] = "";
		bool sound = f.name.compare(0, 6, "Sounds") == 0;
		EXPECT_EQ(CheckGameResources(chain[0]->self, problem, sizeof problem), !f.problem || sound) << f.name;
		EXPECT_EQ(CheckGameSounds(chain[0]->self, problem, sizeof problem), !f.problem || !sound) << f.name;
		EXPECT_STREQ(f.problem ? problem : nullptr, f.problem) << f.name;
	}
}

// A gzip member as RFC 1952 lays it out: header, optional fields, raw
// deflate from zlib, then CRC-32 and length from zlib's crc32 unless given.
static std::vector<uint8_t> Gzip(const std::vector<uint8_t> &data, uint8_t flags = 0, const std::vector<uint8_t> &fields = {},
	int64_t crc = -1, int64_t length = -1, uint8_t method = 8)
{
	// sized at once: GCC 12 at -O3 warns of its own growing a 10-byte vector
	const uint8_t head[10] = {0x1f, 0x8b, method, flags, 0, 0, 0, 0, 2, 3};
	std::vector<uint8_t> out(sizeof head + fields.size());
	std::copy(head, head + sizeof head, out.begin());
	std::copy(fields.begin(), fields.end(), out.begin() + sizeof head);
	z_stream z = {};
	EXPECT_EQ(deflateInit2(&z, 9, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY), Z_OK);
	std::vector<uint8_t> stream(deflateBound(&z, (uLong)data.size()));
	z.next_in = (Bytef *)data.data(), z.avail_in = (uInt)data.size();
	z.next_out = stream.data(), z.avail_out = (uInt)stream.size();
	EXPECT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
	out.insert(out.end(), stream.begin(), stream.begin() + (long)z.total_out);
	deflateEnd(&z);
	uint32_t trailer[2] = {(uint32_t)(crc >= 0 ? crc : crc32(0, data.data(), (uInt)data.size())),
		(uint32_t)(length >= 0 ? length : (int64_t)data.size())};
	for (uint32_t word : trailer)
		for (int shift = 0; shift < 32; shift += 8) out.push_back((uint8_t)(word >> shift));
	return out;
}

// Bundles that come gzip-compressed load as they would plain, whatever
// optional fields their header has; a member cut short, damaged, or of
// another method is refused, naming the file and the fault.
TEST(Loader, GzipCompressedBundles)
{
	ScratchFolder scratch;
	ASSERT_EQ(chdir(scratch.name), 0);
	std::vector<uint8_t> plain = SampleBundle(1, "gzz");
	const std::vector<uint8_t> extra = {4, 0, 'a', 'b', 'c', 'd'}, name = {'n', '.', 'l', 'a', 's', 'e', 'r', 0};
	std::vector<uint8_t> all = extra;
	all.insert(all.end(), name.begin(), name.end());
	all.insert(all.end(), {'h', 'i', 0, 0x12, 0x34});  // a comment, then the header's CRC (not checked)
	WriteFile("Plain.laser", Gzip(plain));
	WriteFile("Fields.laser", Gzip(plain, 2 | 4 | 8 | 16, all));
	ResourceLoader *loader = AllocResourceLoader();
	EXPECT_EQ(Batch(loader, {"Plain", "Fields"}), "Plain Fields ");
	ResourceBundle *chain = ResourceBundleList(loader);
	for (const char *path : {"Plain", "Fields"}) {
		EXPECT_EQ(ResourceBundleRefusal(path), nullptr) << path;
		const void *same = DataForResourceWithName(chain, (std::string(path) + "/same").c_str(), nullptr);
		EXPECT_TRUE(same && memcmp(same, "gzz", 3) == 0) << path;
		RLEBitmap **orb = (RLEBitmap **)DataForResourceWithName(chain, (std::string(path) + "/Orb").c_str(), nullptr);
		ASSERT_TRUE(orb && orb[0] && orb[2] && !orb[3]) << path;
		EXPECT_EQ(orb[2]->width, 3);
	}
	const std::vector<uint8_t> gz = Gzip(plain);
	const struct
	{
		const char *what;
		std::vector<uint8_t> file;
		const char *why;  // after "R.laser: "
	} refused[] = {
		{"the header alone", std::vector<uint8_t>(gz.begin(), gz.begin() + 17), "a gzip file cut short"},
		{"an extra field past the end", Gzip(plain, 4, {0xff, 0xff}), "a gzip file cut short"},
		{"a name without its end", std::vector<uint8_t>({0x1f, 0x8b, 8, 8, 0, 0, 0, 0, 2, 3, 'n', 'n', 'n', 'n', 'n', 'n', 'n', 'n'}),
			"a gzip file cut short"},
		{"the magic alone", {0x1f, 0x8b}, "not a gzip file of deflated data"},
		{"another method", Gzip(plain, 0, {}, -1, -1, 7), "not a gzip file of deflated data"},
		{"a reserved flag", Gzip(plain, 0x20), "not a gzip file of deflated data"},
		{"its CRC one off", Gzip(plain, 0, {}, crc32(0, plain.data(), (uInt)plain.size()) ^ 1),
			"a damaged gzip file: its data does not inflate to its length and CRC-32"},
		{"its length one more", Gzip(plain, 0, {}, -1, (int64_t)plain.size() + 1),
			"a damaged gzip file: its data does not inflate to its length and CRC-32"},
		{"its stream cut short", [&] {
			 std::vector<uint8_t> cut(gz.begin(), gz.begin() + (long)gz.size() / 2);
			 cut.insert(cut.end(), gz.end() - 8, gz.end());
			 return cut;
		 }(),
			"a damaged gzip file: its data does not inflate to its length and CRC-32"},
		{"a length its data cannot hold", Gzip({1, 2, 3}, 0, {}, -1, 0xfffffff0), "a gzip file whose stated length its data cannot hold"},
		{"a sound, not a bundle", Gzip({'O', 'g', 'g', 'S'}), nullptr},
	};
	for (const auto &r : refused) {
		WriteFile("R.laser", r.file);
		EXPECT_EQ(Batch(loader, {"R"}), "") << r.what;
		const char *why = ResourceBundleRefusal("R");
		ASSERT_NE(why, nullptr) << r.what;
		if (r.why) EXPECT_EQ(std::string(why), std::string("R.laser: ") + r.why) << r.what;
		else EXPECT_EQ(std::string(why).find("gzip"), std::string::npos) << r.what << ": " << why;
	}
	FreeResourceLoader(loader);
	ASSERT_EQ(chdir(".."), 0);
}
