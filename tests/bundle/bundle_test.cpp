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

TEST(BundleValidation, EveryWordPushedOutOfRange)
{
	std::vector<uint8_t> good = SampleBundle();
	const uint32_t values[] = {0xFFFFFFFFu, 0x80000000u, 0x7FFFFFFFu, (uint32_t)good.size(), (uint32_t)good.size() - 4, 1, 0};
	int rejected = 0;
	for (size_t at = 0; at + 4 <= good.size(); at += 2)
		for (uint32_t v : values) {
			std::vector<uint8_t> bad = good;
			memcpy(bad.data() + at, &v, 4);
			rejected += !LoadDamaged(bad);
		}
	EXPECT_GT(rejected, 0);
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
