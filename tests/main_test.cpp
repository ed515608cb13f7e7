// The top loop on SDL's dummy video driver: the ways it ends, and that what it
// presents is a doubled picture. The button tests of Game/Main too.
#include <gtest/gtest.h>
#include <SDL.h>
#include <unistd.h>
#include <cstring>
#include "Game/Main.h"
#include "Platform/SDL/PixelDoubledScreen.h"

TEST(ButtonTests, EachTestsItsOwnBitOnly)
{
	bool (*tests[])(uint32_t) = {IsLeftPressed, IsRightPressed, IsUpPressed, IsDownPressed,
		IsFire1Pressed, IsFire2Pressed, IsFire4Pressed};
	uint32_t bits[] = {0x1, 0x2, 0x4, 0x8, 0x10, 0x20, 0x80};
	for (int i = 0; i < 7; i++) {
		SCOPED_TRACE(i);
		EXPECT_TRUE(tests[i](bits[i]));
		EXPECT_TRUE(tests[i](0xFFFFFFFFu));
		EXPECT_FALSE(tests[i](~bits[i]));
		EXPECT_FALSE(tests[i](0));
	}
}

class Loop : public testing::Test
{
protected:
	Uint8 *keys = nullptr;
	int numkeys = 0;
	void SetUp() override
	{
		alarm(20);  // a loop that never ends fails here instead of hanging
		ASSERT_EQ(SDL_Init(SDL_INIT_TIMER | SDL_INIT_VIDEO), 0) << SDL_GetError();
		ASSERT_TRUE(_InitializeScreen());
		keys = SDL_GetKeyState(&numkeys);
		memset(keys, 0, numkeys);
	}
	void TearDown() override
	{
		memset(keys, 0, numkeys);
		SDL_Quit();
		alarm(0);
	}
};

static void PushQuit()
{
	SDL_Event event;
	memset(&event, 0, sizeof event);
	event.type = SDL_QUIT;
	SDL_PushEvent(&event);
}

// Both ways out are seen before anything of the frame is drawn.
static void ExpectWindowUntouched()
{
	SDL_Surface *window = SDL_GetVideoSurface();
	int touched = 0;
	for (int y = 0; y < window->h; y++)
		for (int x = 0; x < window->w; x++)
			if (((uint8_t *)window->pixels)[y * window->pitch + 4 * x] != 0xA5) touched++;
	EXPECT_EQ(touched, 0);
}

TEST_F(Loop, EndsOnAQuitEvent)
{
	SDL_Surface *window = SDL_GetVideoSurface();
	memset(window->pixels, 0xA5, (size_t)window->pitch * window->h);
	PushQuit();
	EntryPoint();
	ExpectWindowUntouched();
	SDL_Event event;
	EXPECT_EQ(SDL_PollEvent(&event), 0);
}

TEST_F(Loop, EndsWhileEscapeIsHeld)
{
	SDL_Surface *window = SDL_GetVideoSurface();
	memset(window->pixels, 0xA5, (size_t)window->pitch * window->h);
	keys[SDLK_ESCAPE] = 1;
	EntryPoint();
	ExpectWindowUntouched();
}

static Uint32 QuitLater(Uint32, void *)
{
	PushQuit();
	return 0;
}

TEST_F(Loop, PresentsADoubledPictureUntilTheWindowIsClosed)
{
	SDL_Surface *window = SDL_GetVideoSurface();
	memset(window->pixels, 0, (size_t)window->pitch * window->h);
	Uint32 start = SDL_GetTicks();
	ASSERT_NE(SDL_AddTimer(300, QuitLater, nullptr), nullptr);
	EntryPoint();
	EXPECT_GE(SDL_GetTicks() - start, 300u);

	auto at = [window](int x, int y) {
		return *(Pixel *)((uint8_t *)window->pixels + (ptrdiff_t)y * window->pitch + 4 * x);
	};
	int blocksbroken = 0, colours = 0;
	Pixel last = at(0, 0) + 1;
	for (int y = 0; y < 480; y += 2)
		for (int x = 0; x < 640; x += 2) {
			Pixel p = at(x, y);
			if (at(x + 1, y) != p || at(x, y + 1) != p || at(x + 1, y + 1) != p) blocksbroken++;
			if (p != last) colours++, last = p;
		}
	EXPECT_EQ(blocksbroken, 0);
	// a test card, not an empty window
	EXPECT_GT(colours, 100);
}
