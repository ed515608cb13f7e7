// The pixel-doubled screen: the doubling copy on surfaces of many shapes, and
// the whole frame path on SDL's dummy video driver.
#include <gtest/gtest.h>
#include <SDL.h>
#include <cstdlib>
#include <cstring>
#include <vector>
#include "Platform/SDL/PixelDoubledScreen.h"

static constexpr Pixel Guard = 0x5A5A5A5Au;

// a distinct, opaque value for every source pixel
static Pixel Pattern(int x, int y) { return 0x80000000u | (uint32_t)y << 12 | (uint32_t)x; }

struct Surface
{
	std::vector<Pixel> memory;
	Bitmap bitmap;
	Surface(int width, int height, int bytesperrow) : memory((size_t)bytesperrow * height / 4, Guard)
	{
		InitializeBitmap(&bitmap, width, height, bytesperrow, memory.data());
	}
	Pixel At(int x, int y) { return *BitmapPixelPointer(&bitmap, x, y); }
	// every word of the row beyond the given width, padding included
	bool RowKeptFrom(int y, int x0)
	{
		for (int x = x0; x < bitmap.bytesperrow / 4; x++)
			if (At(x, y) != Guard) return false;
		return true;
	}
};

static Surface Source(int width, int height, int bytesperrow)
{
	Surface s(width, height, bytesperrow);
	for (int y = 0; y < height; y++)
		for (int x = 0; x < width; x++) *BitmapPixelPointer(&s.bitmap, x, y) = Pattern(x, y);
	return s;
}

static void ExpectDoubled(Surface &dest, int width, int height)
{
	int mismatches = 0;
	for (int y = 0; y < 2 * height; y++)
		for (int x = 0; x < 2 * width; x++)
			if (dest.At(x, y) != Pattern(x / 2, y / 2)) mismatches++;
	EXPECT_EQ(mismatches, 0);
}

TEST(CopyDoubledPixels, EachPixelBecomesATwoByTwoBlock)
{
	Surface src = Source(320, 240, 1280);
	Surface dest(640, 480, 2560);
	CopyDoubledPixels(&dest.bitmap, &src.bitmap);
	for (int y : {0, 1, 117, 239})
		for (int x : {0, 1, 200, 319}) {
			Pixel p = Pattern(x, y);
			EXPECT_EQ(dest.At(2 * x, 2 * y), p);
			EXPECT_EQ(dest.At(2 * x + 1, 2 * y), p);
			EXPECT_EQ(dest.At(2 * x, 2 * y + 1), p);
			EXPECT_EQ(dest.At(2 * x + 1, 2 * y + 1), p);
		}
	ExpectDoubled(dest, 320, 240);
}

TEST(CopyDoubledPixels, WideRowsAreFollowedByTheirPitch)
{
	// 2600 keeps 64-bit alignment, 2564 does not; padding stays untouched
	for (int pitch : {2600, 2564, 4096}) {
		SCOPED_TRACE(pitch);
		Surface src = Source(320, 240, 1280);
		Surface dest(640, 480, pitch);
		CopyDoubledPixels(&dest.bitmap, &src.bitmap);
		ExpectDoubled(dest, 320, 240);
		for (int y : {0, 1, 240, 479}) EXPECT_TRUE(dest.RowKeptFrom(y, 640));
	}
}

TEST(CopyDoubledPixels, SourceRowsAreFollowedByTheirPitch)
{
	Surface src = Source(5, 3, 32);
	Surface dest(10, 6, 40);
	CopyDoubledPixels(&dest.bitmap, &src.bitmap);
	ExpectDoubled(dest, 5, 3);
}

TEST(CopyDoubledPixels, LargerSurfaceKeepsEverythingOutsideTheTopLeft)
{
	Surface src = Source(320, 240, 1280);
	Surface dest(700, 500, 2800);
	CopyDoubledPixels(&dest.bitmap, &src.bitmap);
	ExpectDoubled(dest, 320, 240);
	for (int y = 0; y < 480; y++) ASSERT_TRUE(dest.RowKeptFrom(y, 640)) << y;
	for (int y = 480; y < 500; y++) ASSERT_TRUE(dest.RowKeptFrom(y, 0)) << y;
}

TEST(CopyDoubledPixels, TooSmallSurfaceReceivesNothing)
{
	Surface src = Source(320, 240, 1280);
	struct { int width, height; } sizes[] = {{639, 480}, {640, 479}, {1000, 100}, {100, 1000}};
	for (auto size : sizes) {
		SCOPED_TRACE(testing::Message() << size.width << "x" << size.height);
		Surface dest(size.width, size.height, 4 * size.width);
		CopyDoubledPixels(&dest.bitmap, &src.bitmap);
		for (Pixel p : dest.memory) ASSERT_EQ(p, Guard);
	}
}

class Screen : public testing::Test
{
protected:
	void TearDown() override { SDL_Quit(); }
};

TEST_F(Screen, FramesReachTheWindowAndUndrawnOnesRepeat)
{
	ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
	ASSERT_TRUE(_InitializeScreen());
	SDL_Surface *window = SDL_GetVideoSurface();
	ASSERT_NE(window, nullptr);
	EXPECT_EQ(window->w, 640);
	EXPECT_EQ(window->h, 480);
	EXPECT_EQ(window->format->BitsPerPixel, 32);
	EXPECT_EQ(window->format->Rmask, 0x00FF0000u);
	EXPECT_EQ(window->format->Gmask, 0x0000FF00u);
	EXPECT_EQ(window->format->Bmask, 0x000000FFu);

	Bitmap *screen = StartScreenUpdates();
	EXPECT_EQ(screen->width, 320);
	EXPECT_EQ(screen->height, 240);
	EXPECT_EQ(screen->bytesperrow, 1280);
	for (int y = 0; y < 240; y++)
		for (int x = 0; x < 320; x++) *BitmapPixelPointer(screen, x, y) = Pattern(x, y);
	EndScreenUpdates();

	auto windowpixel = [window](int x, int y) {
		return *(Pixel *)((uint8_t *)window->pixels + (ptrdiff_t)y * window->pitch + 4 * x);
	};
	auto windowmatches = [&]() {
		int mismatches = 0;
		for (int y = 0; y < 480; y++)
			for (int x = 0; x < 640; x++)
				if (windowpixel(x, y) != Pattern(x / 2, y / 2)) mismatches++;
		return mismatches;
	};
	EXPECT_EQ(windowmatches(), 0);

	// a frame that draws nothing shows the last one again: the drawing
	// bitmap is handed out as it was left, and the window is overwritten
	memset(window->pixels, 0, (size_t)window->pitch * 480);
	EXPECT_EQ(StartScreenUpdates(), screen);
	EndScreenUpdates();
	EXPECT_EQ(windowmatches(), 0);
	EXPECT_EQ(*BitmapPixelPointer(screen, 319, 239), Pattern(319, 239));
}

TEST_F(Screen, WindowThatCannotOpenIsReportedOnOneLine)
{
	// SDL brings up video itself when asked for a mode; with no such
	// driver there is none to be had
	setenv("SDL_VIDEODRIVER", "nosuchdriver", 1);
	testing::internal::CaptureStderr();
	bool opened = _InitializeScreen();
	std::string message = testing::internal::GetCapturedStderr();
	EXPECT_FALSE(opened);
	EXPECT_EQ(message.rfind("zEP: cannot open a 640x480 window", 0), 0u) << message;
	EXPECT_EQ(message.find('\n'), message.size() - 1) << message;
}
