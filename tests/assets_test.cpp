// The built bundles hold everything the game looks up, at the sizes the game
// draws them, and the sky's four bands cover the screen at every scroll.
#include <gtest/gtest.h>
#include <vector>
#include "Game/Game.h"
#include "Graphics/Drawing.h"
#include "Platform/GameResources.h"
#include "Platform/ResourceLoader.h"

namespace {

class Assets : public ::testing::Test
{
protected:
	static ResourceLoader *loader;
	static void SetUpTestSuite()
	{
		loader = AllocResourceLoader();
		StartRequestingResourceBundles(loader);
		for (const char *name : GameBundleNames) RequestResourceBundle(loader, name);
		EndRequestingResourceBundles(loader);
	}
	static void TearDownTestSuite() { FreeResourceLoader(loader); }
	static RLEBitmap **Frames(const char *name)
	{
		return (RLEBitmap **)DataForResourceWithName(ResourceBundleList(loader), name, nullptr);
	}
	// Column x of an RLE image: which rows are opaque.
	static std::vector<bool> Column(RLEBitmap *image, int x)
	{
		std::vector<Pixel> pixels((size_t)image->width * image->height, 0);
		Bitmap b;
		InitializeBitmap(&b, image->width, image->height, image->width * 4, pixels.data());
		DrawRLEBitmap(&b, image, 0, 0);
		std::vector<bool> column;
		for (int y = 0; y < image->height; y++) column.push_back(!IsPixelTransparent(pixels[(size_t)y * image->width + x]));
		return column;
	}
};
ResourceLoader *Assets::loader = nullptr;

TEST_F(Assets, EveryResourceIsThereWithItsPictures)
{
	char problem[256] = "";
	EXPECT_TRUE(CheckGameResources(ResourceBundleList(loader), problem, sizeof problem)) << problem;
}

TEST_F(Assets, PicturesHaveTheSizesTheGameDrawsThemAt)
{
	RLEBitmap **hero = Frames("Graphics/Sprites/OL");
	ASSERT_NE(hero, nullptr);
	for (int i = 0; i < 24; i++) {
		EXPECT_EQ(hero[i]->width, 24) << i;
		EXPECT_EQ(hero[i]->height, 28) << i;
	}
	struct Expected
	{
		const char *name;
		int pictures, low, high;  // size range of the pictures' cells
	} sheets[] = {{"Graphics/Sprites/Bullets", 39, 10, 14}, {"Graphics/Sprites/Splat", 104, 24, 40},
		{"Graphics/Sprites/Ectoplasm", 11, 28, 40}, {"Graphics/Sprites/Orb", 10, 10, 18},
		{"Graphics/Sprites/Flame", 4, 24, 32}, {"Graphics/Sprites/Warning", 1, 31, 31},
		{"Graphics/Sprites/Star", 2, 10, 14}, {"Graphics/Sprites/PlayerBulletFlash", 4, 8, 16}};
	for (const Expected &e : sheets) {
		RLEBitmap **f = Frames(e.name);
		ASSERT_NE(f, nullptr) << e.name;
		int n = 0;
		for (; f[n]; n++) {
			EXPECT_GE(f[n]->width, e.low) << e.name;
			EXPECT_LE(f[n]->width, e.high) << e.name;
		}
		EXPECT_GE(n, e.pictures) << e.name;
	}
	Bitmap *title = (Bitmap *)DataForResourceWithName(ResourceBundleList(loader), "Graphics/Title/Title", nullptr);
	ASSERT_NE(title, nullptr);
	EXPECT_EQ(title->width, 320);
	EXPECT_EQ(title->height, 240);
	for (int y = 0; y < 240; y++)
		for (int x = 0; x < 320; x++) ASSERT_FALSE(IsPixelTransparent(*BitmapPixelPointer(title, x, y))) << x << "," << y;
}

TEST_F(Assets, SkyBandsAreSeamlessTilesTransparentAboveTheirBand)
{
	const int start[4] = {0, 73, 118, 165}, end[4] = {131, 182, 223, 239};
	const char *names[4] = {"Graphics/Backgrounds/NightSky/NightSky1", "Graphics/Backgrounds/NightSky/NightSky2",
		"Graphics/Backgrounds/NightSky/NightSky3", "Graphics/Backgrounds/NightSky/NightSky4"};
	for (int band = 0; band < 4; band++) {
		RLEBitmap *image = Frames(names[band])[0];
		EXPECT_EQ(image->width, 512);
		ASSERT_GE(image->height, end[band] + 1);
		for (int x = 0; x < 512; x += 1) {
			std::vector<bool> column = Column(image, x);
			for (int y = 0; y < start[band]; y++) ASSERT_FALSE(column[y]) << "band " << band << " at " << x << "," << y;
			// opaque all the way down from above the farther band's last row,
			// so that nothing of the sky can show below that row
			int reach = band ? end[band - 1] + 1 : 0;
			for (int y = reach; y <= end[band]; y++) ASSERT_TRUE(column[y]) << "band " << band << " at " << x << "," << y;
		}
		// where the tile repeats, the outline runs on within a row or two
		std::vector<bool> left = Column(image, 0), right = Column(image, 511);
		int lefttop = 0, righttop = 0;
		while (!left[lefttop]) lefttop++;
		while (!right[righttop]) righttop++;
		EXPECT_LE(std::abs(lefttop - righttop), 2) << "band " << band;
	}
}

TEST_F(Assets, FourBandsCoverTheScreenAtEveryScroll)
{
	ParallaxBackground sky;
	RLEBitmap *layers[4];
	const char *names[4] = {"Graphics/Backgrounds/NightSky/NightSky1", "Graphics/Backgrounds/NightSky/NightSky2",
		"Graphics/Backgrounds/NightSky/NightSky3", "Graphics/Backgrounds/NightSky/NightSky4"};
	for (int i = 0; i < 4; i++) layers[i] = Frames(names[i])[0];
	const int start[4] = {0, 73, 118, 165}, end[4] = {131, 182, 223, 239};
	for (int i = 0; i < 4; i++) sky.layers[i] = layers[i], sky.startheight[i] = start[i], sky.endheight[i] = end[i];
	std::vector<Pixel> pixels(320 * 240);
	Bitmap screen;
	InitializeBitmap(&screen, 320, 240, 1280, pixels.data());
	for (int x0 = -2048; x0 < 2048 * 3; x0 += 7) {
		std::fill(pixels.begin(), pixels.end(), 0);
		DrawParallaxBackground(&sky, &screen, x0);
		for (size_t i = 0; i < pixels.size(); i++)
			ASSERT_FALSE(IsPixelTransparent(pixels[i])) << "x0 " << x0 << " leaves " << i % 320 << "," << i / 320;
	}
}

}  // namespace
