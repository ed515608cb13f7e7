#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cstring>
#include <fstream>
#include <random>
#include "Graphics/Drawing.h"
#include "Platform/GameResources.h"
#include "Platform/ResourceLoader.h"
#include "tools/laserpack/BundleWriter.h"

// A bundle built in memory and held in a malloc'd block the way the loader holds one.
struct Loaded
{
	ResourceBundle *bundle = nullptr;
	~Loaded() { free(bundle); }
};

static std::vector<uint8_t> Build(BundleWriter &w)
{
	std::vector<uint8_t> bytes;
	std::string error;
	EXPECT_TRUE(WriteBundle(&w, &bytes, &error)) << error;
	return bytes;
}

static bool Load(const std::vector<uint8_t> &bytes, const char *name, Loaded *out)
{
	size_t size = ResourceBundleMemorySize(bytes.data(), bytes.size());
	if (size == 0) return false;
	out->bundle = (ResourceBundle *)malloc(size);
	memcpy(out->bundle, bytes.data(), bytes.size());
	return FixUpResourceBundle(out->bundle, bytes.size(), name);
}

static void AddRaw(BundleWriter &w, const std::string &name, const std::string &contents)
{
	std::string error;
	ASSERT_TRUE(AddRawEntry(&w, name, 'S', std::vector<uint8_t>(contents.begin(), contents.end()), &error)) << error;
}

// Three pictures of different sizes, pixels numbered so that mix-ups show.
struct Pictures
{
	std::vector<std::vector<Pixel>> memory;
	std::vector<Bitmap> bitmaps;
	Pictures()
	{
		const int sizes[3][2] = {{5, 3}, {1, 1}, {9, 7}};
		for (auto &s : sizes) {
			std::vector<Pixel> px((size_t)s[0] * s[1]);
			for (size_t i = 0; i < px.size(); i++) px[i] = (i % 3 ? 0xFF000000u : 0) | (Pixel)(i * 7 + s[0]);
			memory.push_back(px);
		}
		for (size_t i = 0; i < 3; i++) {
			Bitmap b;
			InitializeBitmap(&b, sizes[i][0], sizes[i][1], sizes[i][0] * 4, memory[i].data());
			bitmaps.push_back(b);
		}
	}
};

static std::vector<uint8_t> SampleBundle()
{
	BundleWriter w;
	Pictures p;
	std::string error;
	EXPECT_TRUE(AddFramesEntry(&w, "Orb", p.bitmaps, &error));
	EXPECT_TRUE(AddBitmapEntry(&w, "Title", &p.bitmaps[2], &error));
	AddRaw(w, "points", "ogg bytes");
	AddRaw(w, "a", "first");
	AddRaw(w, "zz", "last");
	return Build(w);
}

TEST(Bundle, RoundTripHandsOutReadyRecords)
{
	Loaded l;
	ASSERT_TRUE(Load(SampleBundle(), "Graphics/Sprites", &l));
	Pictures p;
	RLEBitmap **frames = (RLEBitmap **)DataForResourceWithName(l.bundle, "Graphics/Sprites/Orb", nullptr);
	ASSERT_NE(frames, nullptr);
	for (int i = 0; i < 3; i++) {
		ASSERT_NE(frames[i], nullptr);
		EXPECT_EQ(frames[i]->width, p.bitmaps[i].width);
		// drawing the stored picture gives back the opaque pixels of the source
		std::vector<Pixel> out((size_t)frames[i]->width * frames[i]->height, 0);
		Bitmap canvas;
		InitializeBitmap(&canvas, frames[i]->width, frames[i]->height, frames[i]->width * 4, out.data());
		DrawRLEBitmap(&canvas, frames[i], 0, 0);
		for (size_t k = 0; k < out.size(); k++)
			EXPECT_EQ(out[k], IsPixelTransparent(p.memory[i][k]) ? 0 : p.memory[i][k]);
	}
	EXPECT_EQ(frames[3], nullptr);
	Bitmap *title = (Bitmap *)DataForResourceWithName(l.bundle, "Graphics/Sprites/Title", nullptr);
	ASSERT_NE(title, nullptr);
	EXPECT_EQ(title->width, 9);
	EXPECT_EQ(title->height, 7);
	EXPECT_EQ(0, memcmp(title->pixels, p.memory[2].data(), 9 * 7 * 4));
	size_t size = 0;
	const char *raw = (const char *)DataForResourceWithName(l.bundle, "Graphics/Sprites/points", &size);
	ASSERT_NE(raw, nullptr);
	EXPECT_EQ(std::string(raw, size), "ogg bytes");
	EXPECT_EQ(0, strncmp(l.bundle->name, "Graphics/Sprites", 128));
	EXPECT_EQ(l.bundle->head.next, nullptr);
}

TEST(Bundle, LookupNeedsTheExactDirectory)
{
	Loaded l;
	ASSERT_TRUE(Load(SampleBundle(), "Graphics/Sprites", &l));
	size_t size = 1234;
	EXPECT_EQ(DataForResourceWithName(l.bundle, "Graphics/Sprite/points", &size), nullptr);
	EXPECT_EQ(DataForResourceWithName(l.bundle, "Graphics/Sprites2/points", &size), nullptr);
	EXPECT_EQ(DataForResourceWithName(l.bundle, "Graphics/points", &size), nullptr);
	EXPECT_EQ(size, 1234u);  // left alone when not found
	EXPECT_NE(DataForResourceWithName(l.bundle, "points", nullptr), nullptr);
	EXPECT_NE(DataForResourceWithName(l.bundle, "Graphics/Sprites/a", nullptr), nullptr);
	EXPECT_NE(DataForResourceWithName(l.bundle, "Graphics/Sprites/zz", nullptr), nullptr);
	EXPECT_EQ(DataForResourceWithName(l.bundle, "Graphics/Sprites/0", nullptr), nullptr);
	EXPECT_EQ(DataForResourceWithName(l.bundle, "Graphics/Sprites/zzz", nullptr), nullptr);
	EXPECT_EQ(DataForResourceWithName(nullptr, "points", nullptr), nullptr);
}

TEST(Bundle, SmallDirectoriesAndFullLengthNames)
{
	std::string name32(32, 'n');
	BundleWriter one, none;
	AddRaw(one, name32, "x");
	Loaded a, b;
	ASSERT_TRUE(Load(Build(one), "One", &a));
	ASSERT_TRUE(Load(Build(none), "None", &b));
	b.bundle->head.next = a.bundle;
	EXPECT_NE(DataForResourceWithName(b.bundle, name32.c_str(), nullptr), nullptr);
	EXPECT_NE(DataForResourceWithName(b.bundle, ("One/" + name32 + "tail").c_str(), nullptr), nullptr);
	EXPECT_EQ(DataForResourceWithName(b.bundle, ("One/" + name32.substr(1)).c_str(), nullptr), nullptr);
	EXPECT_EQ(DataForResourceWithName(b.bundle, "None/x", nullptr), nullptr);
	b.bundle->head.next = nullptr;
}

TEST(Bundle, FirstBundleOfTheChainWins)
{
	BundleWriter w1, w2;
	AddRaw(w1, "same", "one");
	AddRaw(w2, "same", "two");
	Loaded a, b;
	ASSERT_TRUE(Load(Build(w1), "A", &a));
	ASSERT_TRUE(Load(Build(w2), "B", &b));
	a.bundle->head.next = b.bundle;
	size_t size;
	EXPECT_EQ(std::string((char *)DataForResourceWithName(a.bundle, "same", &size), 3), "one");
	EXPECT_EQ(std::string((char *)DataForResourceWithName(a.bundle, "B/same", &size), 3), "two");
	a.bundle->head.next = nullptr;
}

TEST(BundleWriter, RefusesBadNames)
{
	BundleWriter w;
	std::string error;
	EXPECT_FALSE(AddRawEntry(&w, std::string(33, 'x'), 'S', {}, &error));
	EXPECT_FALSE(AddRawEntry(&w, "a/b", 'S', {}, &error));
	EXPECT_FALSE(AddFramesEntry(&w, "empty", {}, &error));
	AddRaw(w, "twice", "1");
	AddRaw(w, "twice", "2");
	std::vector<uint8_t> bytes;
	EXPECT_FALSE(WriteBundle(&w, &bytes, &error));
}

// Damaged files must be rejected or, when they happen to be consistent, be
// safe to use to the last pixel; ASan watches every read.
static void UseEverything(ResourceBundle *bundle)
{
	std::vector<Pixel> screen(64 * 64);
	Bitmap canvas;
	InitializeBitmap(&canvas, 64, 64, 256, screen.data());
	ResourceBundleEntry *entries = ResourceBundleEntries(bundle);
	for (uint32_t i = 0; i < bundle->numentries; i++) {
		void *data = (char *)bundle + entries[i].offset;
		if (entries[i].type == 'R')
			for (RLEBitmap **f = (RLEBitmap **)data; *f; f++) DrawRLEBitmap(&canvas, *f, -3, -2);
		else if (entries[i].type == 'B') DrawBitmap(&canvas, (Bitmap *)data, -1, -1);
	}
}

static bool LoadDamaged(const std::vector<uint8_t> &bytes)
{
	// an exactly sized copy so that ASan sees reads past the end
	uint8_t *copy = (uint8_t *)malloc(bytes.size() ? bytes.size() : 1);
	if (!bytes.empty()) memcpy(copy, bytes.data(), bytes.size());
	size_t size = ResourceBundleMemorySize(copy, bytes.size());
	free(copy);
	if (size == 0) return false;
	Loaded l;
	l.bundle = (ResourceBundle *)malloc(size);
	memcpy(l.bundle, bytes.data(), bytes.size());
	EXPECT_TRUE(FixUpResourceBundle(l.bundle, bytes.size(), "Damaged"));
	UseEverything(l.bundle);
	return true;
}

TEST(BundleValidation, TruncatedFilesAreRejected)
{
	std::vector<uint8_t> good = SampleBundle();
	ASSERT_TRUE(LoadDamaged(good));
	for (size_t n = 0; n < good.size(); n++) {
		std::vector<uint8_t> cut(good.begin(), good.begin() + n);
		EXPECT_FALSE(LoadDamaged(cut)) << "cut at " << n;
	}
}

static uint32_t Get32(const std::vector<uint8_t> &b, size_t at)
{
	uint32_t v;
	memcpy(&v, b.data() + at, 4);
	return v;
}

static std::vector<uint8_t> With32(std::vector<uint8_t> b, size_t at, uint32_t v)
{
	memcpy(b.data() + at, &v, 4);
	return b;
}

// The directory entry of the sample bundle that carries this name.
static size_t EntryAt(const std::vector<uint8_t> &b, const char *name)
{
	for (uint32_t i = 0; i < Get32(b, 8); i++)
		if (strncmp((const char *)b.data() + 140 + 44 * i + 12, name, 32) == 0) return 140 + 44 * i;
	ADD_FAILURE() << "no entry " << name;
	return 0;
}

TEST(BundleValidation, EveryCountOffsetAndSizePastTheEnd)
{
	std::vector<uint8_t> good = SampleBundle();
	const uint32_t end = (uint32_t)good.size();
	ASSERT_TRUE(LoadDamaged(good));
	for (uint32_t n : {6u, 1000u, 0xffffffffu}) EXPECT_FALSE(LoadDamaged(With32(good, 8, n))) << n;
	for (uint32_t i = 0; i < 5; i++) {
		size_t at = 140 + 44 * i;
		uint32_t offset = Get32(good, at), size = Get32(good, at + 4);
		for (uint32_t bad : {end, end - size + 4, 0xfffffffcu, 0u})  // 0: the data would be the header
			EXPECT_FALSE(LoadDamaged(With32(good, at, bad))) << "entry " << i << " offset " << bad;
		for (uint32_t bad : {end - offset + 1, 0xffffffffu, 0x80000000u})
			EXPECT_FALSE(LoadDamaged(With32(good, at + 4, bad))) << "entry " << i << " size " << bad;
	}
	// the bitmap record: rows, row length and pixel offset outside the entry
	size_t title = EntryAt(good, "Title"), record = Get32(good, title), size = Get32(good, title + 4);
	std::vector<uint8_t> taller = good;
	taller[record + 2] = 8;  // height 7 → 8
	EXPECT_FALSE(LoadDamaged(taller));
	EXPECT_FALSE(LoadDamaged(With32(good, record + 4, 40)));  // rows 40 bytes apart
	EXPECT_FALSE(LoadDamaged(With32(good, record + 4, 0x7ffffffc)));
	EXPECT_FALSE(LoadDamaged(With32(good, record + 4, 32)));  // shorter than a row of 9 pixels
	EXPECT_FALSE(LoadDamaged(With32(good, record + 8, (uint32_t)size)));
	EXPECT_FALSE(LoadDamaged(With32(good, record + 8, 16)));  // the last row runs past the entry
	EXPECT_FALSE(LoadDamaged(With32(good, record + 8, 0xfffffff0u)));
	EXPECT_FALSE(LoadDamaged(With32(good, title + 4, (uint32_t)size - 4)));  // the entry ends inside the pixels
	// the frames array: each offset, and the terminating zero
	size_t orb = EntryAt(good, "Orb"), array = Get32(good, orb);
	for (int f = 0; f < 3; f++)
		for (uint32_t bad : {end - (uint32_t)array, end - (uint32_t)array - 4, 0xfffffff8u})
			EXPECT_FALSE(LoadDamaged(With32(good, array + 4 * f, bad))) << "frame " << f;
	EXPECT_FALSE(LoadDamaged(With32(good, orb + 4, 12)));  // the zero lies outside the entry
	EXPECT_FALSE(LoadDamaged(With32(good, array + 12, 4)));  // no zero where it should be: frames run on
	// an image's size
	uint32_t frame0 = (uint32_t)array + Get32(good, array);
	EXPECT_FALSE(LoadDamaged(With32(good, frame0 + 4, 0x7fffffff)));
	EXPECT_FALSE(LoadDamaged(With32(good, frame0, 0x80000000u)));
}

// A one-entry bundle written by hand, the entry's data at any offset.
static std::vector<uint8_t> Words(const std::vector<uint32_t> &words)
{
	std::vector<uint8_t> bytes(4 * words.size());
	memcpy(bytes.data(), words.data(), bytes.size());
	return bytes;
}

static std::vector<uint8_t> OneEntry(uint32_t type, uint32_t offset, const std::vector<uint8_t> &data)
{
	std::vector<uint8_t> b(offset + data.size(), 0);
	memcpy(b.data(), "LoVeSiGn", 8);
	b = With32(b, 8, 1);
	b = With32(b, 140, offset);
	b = With32(b, 144, (uint32_t)data.size());
	b = With32(b, 148, type);
	b[152] = 'e';
	memcpy(b.data() + offset, data.data(), data.size());
	return b;
}

TEST(BundleValidation, PicturesMustBeAlignedAndRowsWhole)
{
	// a 1 x 1 bitmap: width 1, height 1, 4 bytes a row, pixels 12 bytes in
	std::vector<uint8_t> bitmap = Words({0x00010001, 4, 12, 0xff102030});
	EXPECT_TRUE(LoadDamaged(OneEntry('B', 184, bitmap)));
	EXPECT_FALSE(LoadDamaged(OneEntry('B', 186, bitmap)));
	std::vector<uint8_t> later = Words({0x00010001, 4, 14, 0});  // the pixel 2 bytes further on
	later.insert(later.begin() + 14, bitmap.begin() + 12, bitmap.end());
	EXPECT_FALSE(LoadDamaged(OneEntry('B', 184, later)));
	// one 1 x 1 frame: array (offset 8, zero), then width, height, span, pixel
	std::vector<uint8_t> image = Words({1, 1, 0x00000001, 0xff102030});
	std::vector<uint8_t> frames = Words({8, 0});
	frames.insert(frames.end(), image.begin(), image.end());
	EXPECT_TRUE(LoadDamaged(OneEntry('R', 184, frames)));
	EXPECT_FALSE(LoadDamaged(OneEntry('R', 186, frames)));
	std::vector<uint8_t> shifted = Words({10, 0});  // the image 2 bytes further on
	shifted.insert(shifted.end(), {0, 0});
	shifted.insert(shifted.end(), image.begin(), image.end());
	shifted.insert(shifted.end(), {0, 0});
	EXPECT_FALSE(LoadDamaged(OneEntry('R', 184, shifted)));
	// a span running past the width, or a row ending short of it
	std::vector<uint8_t> wide = Words({8, 0, 1, 1, 0x00010001, 0xff102030});
	EXPECT_FALSE(LoadDamaged(OneEntry('R', 184, wide)));
	std::vector<uint8_t> shortrow = Words({8, 0, 2, 2, 0x00000001, 0xff102030, 0x00010001, 0xff102030});
	EXPECT_FALSE(LoadDamaged(OneEntry('R', 184, shortrow)));
	// raw data may lie anywhere
	EXPECT_TRUE(LoadDamaged(OneEntry('S', 187, {1, 2, 3})));
}

TEST(BundleValidation, FramesMayShareAnImageButNotWithoutLimit)
{
	// every frame leads to one image of 400 rows, 401 words
	auto shared = [](uint32_t count) {
		std::vector<uint32_t> words;
		for (uint32_t i = 0; i < count; i++) words.push_back(4 * (count + 1));
		words.push_back(0);
		words.push_back(1);
		words.push_back(400);
		for (int r = 0; r < 400; r++) words.push_back(0x00010000);  // one transparent pixel a row
		return OneEntry('R', 184, Words(words));
	};
	Loaded l;
	ASSERT_TRUE(Load(shared(3), "Shared", &l));
	RLEBitmap **frames = (RLEBitmap **)DataForResourceWithName(l.bundle, "e", nullptr);
	ASSERT_NE(frames, nullptr);
	EXPECT_EQ(frames[0], frames[2]);
	EXPECT_EQ(frames[3], nullptr);
	// walking the image for each of 20000 frames would visit 8 million span words
	EXPECT_FALSE(LoadDamaged(shared(20000)));
}

TEST(BundleValidation, RandomDamage)
{
	std::vector<uint8_t> good = SampleBundle();
	std::mt19937 rng(77);
	for (int round = 0; round < 3000; round++) {
		std::vector<uint8_t> bad = good;
		for (int k = 0; k < 1 + round % 4; k++) bad[rng() % bad.size()] ^= (uint8_t)(1 << (rng() % 8));
		LoadDamaged(bad);
	}
}

TEST(BundleValidation, MagicOrderAndShortFiles)
{
	std::vector<uint8_t> good = SampleBundle();
	std::vector<uint8_t> magic = good;
	magic[7] = 'm';
	EXPECT_FALSE(LoadDamaged(magic));
	EXPECT_FALSE(LoadDamaged({}));
	EXPECT_FALSE(LoadDamaged(std::vector<uint8_t>(good.begin(), good.begin() + 139)));
	// swap the names of the first two entries: the directory is no longer sorted
	std::vector<uint8_t> unsorted = good;
	std::swap_ranges(unsorted.begin() + 140 + 12, unsorted.begin() + 140 + 44, unsorted.begin() + 184 + 12);
	EXPECT_FALSE(LoadDamaged(unsorted));
	Loaded l;
	EXPECT_FALSE(Load(magic, "x", &l));
}

// The loader reads "<path>.laser" relative to the working directory.
class LoaderTest : public ::testing::Test
{
protected:
	char folder[64] = "/tmp/zep-loader-XXXXXX";
	char previous[4096];
	void SetUp() override
	{
		ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
		ASSERT_NE(mkdtemp(folder), nullptr);
		ASSERT_EQ(chdir(folder), 0);
	}
	void TearDown() override
	{
		ASSERT_EQ(chdir(previous), 0);
		std::string cmd = std::string("rm -rf ") + folder;
		ASSERT_EQ(system(cmd.c_str()), 0);
	}
	static void Write(const std::string &path, const std::string &entry)
	{
		BundleWriter w;
		AddRaw(w, "x", entry);
		std::vector<uint8_t> bytes = Build(w);
		std::ofstream(path, std::ios::binary).write((const char *)bytes.data(), (std::streamsize)bytes.size());
	}
	static std::string Chain(ResourceLoader *loader)
	{
		std::string names;
		for (ResourceBundle *b = ResourceBundleList(loader); b; b = b->head.next) names += std::string(b->name) + " ";
		return names;
	}
};

TEST_F(LoaderTest, BatchesKeepRequestOrderSkipFailuresAndReuse)
{
	Write("A.laser", "a");
	Write("C.laser", "c");
	mkdir("D.laser", 0700);  // not a regular file
	ResourceLoader *loader = AllocResourceLoader();
	EXPECT_EQ(ResourceLoadingProgress(loader), 100);
	StartRequestingResourceBundles(loader);
	for (const char *p : {"A", "B", "C", "D"}) RequestResourceBundle(loader, p);
	EndRequestingResourceBundles(loader);
	EXPECT_EQ(Chain(loader), "A C ");
	ResourceBundle *a = ResourceBundleList(loader);
	Write("A.laser", "changed");  // a reused bundle is not read again
	Write("B.laser", "b");
	StartRequestingResourceBundles(loader);
	RequestResourceBundle(loader, "C");
	RequestResourceBundle(loader, "A");
	EndRequestingResourceBundles(loader);
	EXPECT_EQ(Chain(loader), "C A ");
	size_t size = 0;
	const char *data = (const char *)DataForResourceWithName(ResourceBundleList(loader), "A/x", &size);
	ASSERT_NE(data, nullptr);
	EXPECT_EQ(std::string(data, size), "a");
	EXPECT_EQ(ResourceBundleList(loader)->head.next, a);
	StartRequestingResourceBundles(loader);
	RequestResourceBundle(loader, "B");
	EndRequestingResourceBundles(loader);  // frees C and A
	EXPECT_EQ(Chain(loader), "B ");
	EXPECT_EQ(ResourceLoadingProgress(loader), 100);
	FreeResourceLoader(loader);
	FreeResourceLoader(nullptr);
}

TEST_F(LoaderTest, BrokenFilesAreLeftOut)
{
	std::ofstream("Short.laser") << "LoVeSiGn";
	Write("Good.laser", "g");
	ResourceLoader *loader = AllocResourceLoader();
	StartRequestingResourceBundles(loader);
	RequestResourceBundle(loader, "Short");
	RequestResourceBundle(loader, "Good");
	RequestResourceBundle(loader, "Missing");
	EndRequestingResourceBundles(loader);
	EXPECT_EQ(Chain(loader), "Good ");
	FreeResourceLoader(loader);
}

TEST(GameResources, CheckNamesWhatIsMissing)
{
	char problem[256] = "";
	EXPECT_FALSE(CheckGameResources(nullptr, problem, sizeof problem));
	EXPECT_NE(strstr(problem, "Graphics/Sprites.laser"), nullptr) << problem;
	// every bundle present, but the sprites bundle has a short OL sheet
	Pictures p;
	BundleWriter sprites, title, sky, sounds;
	std::string error;
	for (size_t i = 0; i < NumberOfGameResources; i++) {
		const GameResource &r = GameResources[i];
		std::string entry = strrchr(r.name, '/') + 1;
		BundleWriter *w = strncmp(r.name, "Graphics/Sprites/", 17) == 0 ? &sprites
			: strncmp(r.name, "Graphics/Title/", 15) == 0 ? &title
			: strncmp(r.name, "Sounds/", 7) == 0 ? &sounds : &sky;
		if (r.type == 'B') AddBitmapEntry(w, entry, &p.bitmaps[0], &error);
		else if (r.type == 'R')
			AddFramesEntry(w, entry, std::vector<Bitmap>(entry == "OL" ? 23 : r.pictures, p.bitmaps[1]), &error);
		else AddRaw(*w, entry, "s");
	}
	Loaded l[4];
	ASSERT_TRUE(Load(Build(sprites), "Graphics/Sprites", &l[0]));
	ASSERT_TRUE(Load(Build(title), "Graphics/Title", &l[1]));
	ASSERT_TRUE(Load(Build(sky), "Graphics/Backgrounds/NightSky", &l[2]));
	ASSERT_TRUE(Load(Build(sounds), "Sounds", &l[3]));
	for (int i = 0; i < 3; i++) l[i].bundle->head.next = l[i + 1].bundle;
	EXPECT_FALSE(CheckGameResources(l[0].bundle, problem, sizeof problem));
	EXPECT_NE(strstr(problem, "\"Graphics/Sprites/OL\" has 23 pictures, the game needs 24"), nullptr) << problem;
	for (int i = 0; i < 3; i++) l[i].bundle->head.next = nullptr;
}

// The loader core with a loading function that counts its calls and makes
// one-entry bundles in memory.
static int loads;
static ResourceBundle *CountingLoad(ResourceLoader *, const char *path)
{
	if (strcmp(path, "missing") == 0) return nullptr;
	loads++;
	BundleWriter w;
	AddRaw(w, "x", path);
	Loaded l;
	if (!Load(Build(w), path, &l)) return nullptr;
	ResourceBundle *b = l.bundle;
	l.bundle = nullptr;
	return b;
}

static std::string CoreChain(ResourceLoaderCore *core)
{
	std::string names;
	for (ResourceBundle *b = ResourceBundleListCore(core); b; b = b->head.next) names += std::string(b->name) + " ";
	return names;
}

TEST(LoaderCore, BatchesReuseFreeAndLoadTwice)
{
	ResourceLoaderCore core;
	InitializeResourceLoaderCore(&core);
	loads = 0;
	StartRequestingResourceBundlesCore(&core);
	for (const char *p : {"A", "B", "missing", "C"}) RequestResourceBundleCore(&core, nullptr, p, CountingLoad);
	EndRequestingResourceBundlesCore(&core);
	EXPECT_EQ(CoreChain(&core), "A B C ");
	EXPECT_EQ(loads, 3);
	ResourceBundle *a = ResourceBundleListCore(&core);
	StartRequestingResourceBundlesCore(&core);
	RequestResourceBundleCore(&core, nullptr, "C", CountingLoad);
	RequestResourceBundleCore(&core, nullptr, "A", CountingLoad);
	EXPECT_EQ(CoreChain(&core), "C A ");
	EXPECT_NE(core.oldresources, nullptr);  // B waits to be freed until the batch ends
	EndRequestingResourceBundlesCore(&core);  // frees B (the leak checker would see it otherwise)
	EXPECT_EQ(core.oldresources, nullptr);
	EXPECT_EQ(loads, 3);
	EXPECT_EQ(ResourceBundleListCore(&core)->head.next, a);
	// a path named twice in one batch is loaded twice; lookups find the first
	StartRequestingResourceBundlesCore(&core);
	for (const char *p : {"D", "D", "A"}) RequestResourceBundleCore(&core, nullptr, p, CountingLoad);
	EndRequestingResourceBundlesCore(&core);
	EXPECT_EQ(CoreChain(&core), "D D A ");
	EXPECT_EQ(loads, 5);
	EXPECT_EQ(DataForResourceWithName(ResourceBundleListCore(&core), "D/x", nullptr),
		(char *)ResourceBundleListCore(&core) + ResourceBundleEntries(ResourceBundleListCore(&core))[0].offset);
	CleanupResourceLoaderCore(&core);
	EXPECT_EQ(ResourceBundleListCore(&core), nullptr);
}

TEST(LoaderCore, ParsersBeyondThirtyTwoAreIgnored)
{
	ResourceLoader *loader = AllocResourceLoader();
	ASSERT_NE(loader, nullptr);
	auto identify = [](const void *, size_t) -> size_t { return 0; };
	for (int i = 0; i < 40; i++) AddResourceParser(loader, identify, nullptr);
	EXPECT_EQ(loader->core.numparsers, 32);
	EXPECT_EQ(loader->core.identifyfunctions[31], (ResourceIdentificationFunction *)identify);
	FreeResourceLoader(loader);
}
