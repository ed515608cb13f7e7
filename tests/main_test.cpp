// The program's top level on SDL's dummy drivers: the button tests, the
// highlight's pulse, the play loop's way out, WaitForButtonUp, and the menu,
// the credits and EntryPoint driven by a script thread that holds keys in
// SDL's key snapshot and closes the window. What a screen showed is read
// back from the window after the loop has returned. The tests that load the
// game need the bundles in the folder the tests run in and skip without them.
#include <gtest/gtest.h>
#include <SDL.h>
#include <SDL_mixer.h>
#include <unistd.h>
#include <atomic>
#include <chrono>
#include <cstring>
#include <functional>
#include <thread>
#include <vector>
#include "Game/Font.h"
#include "Game/Game.h"
#include "Game/Main.h"
#include "Platform/GameResources.h"
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

TEST(Highlight, StartsAt200AndSwingsBetween145And255Truncated)
{
	EXPECT_EQ(HighlightLevel(0), 200);
	// sin(1/3) * 55 + 200 = 217.996 and sin(10/3) * 55 + 200 = 189.52: cut, not rounded
	EXPECT_EQ(HighlightLevel(1), 217);
	EXPECT_EQ(HighlightLevel(10), 189);
	int lowest = 1000, highest = 0;
	for (int t = 0; t < 2000; t++) {
		lowest = std::min(lowest, HighlightLevel(t));
		highest = std::max(highest, HighlightLevel(t));
	}
	EXPECT_GE(lowest, 145);
	EXPECT_LE(lowest, 146);
	EXPECT_GE(highest, 254);
	EXPECT_LE(highest, 255);
	// a period of 6 pi frames: nearly the same level 19 frames on
	EXPECT_NEAR(HighlightLevel(19), HighlightLevel(0), 3);
}

TEST(LeavingPlay, EscapeAlwaysLeavesAndZOnlyAfterGameOverOnceSeenUp)
{
	bool canquit = false;
	EXPECT_TRUE(ShouldLeavePlay(EscapeButton, false, &canquit));
	EXPECT_TRUE(ShouldLeavePlay(EscapeButton | Fire1Button, true, &canquit));
	// Z with lives left is only fire
	for (int i = 0; i < 3; i++) EXPECT_FALSE(ShouldLeavePlay(Fire1Button, false, &canquit));
	EXPECT_FALSE(ShouldLeavePlay(0, false, &canquit));
	EXPECT_FALSE(canquit);

	// Z held as the last life goes: play goes on until Z is up once and then held
	for (int i = 0; i < 3; i++) EXPECT_FALSE(ShouldLeavePlay(Fire1Button | LeftButton, true, &canquit));
	EXPECT_FALSE(canquit);
	EXPECT_FALSE(ShouldLeavePlay(LeftButton, true, &canquit));
	EXPECT_TRUE(canquit);
	EXPECT_FALSE(ShouldLeavePlay(0, true, &canquit));
	EXPECT_TRUE(canquit);
	EXPECT_TRUE(ShouldLeavePlay(Fire1Button, true, &canquit));
}

TEST(LeavingPlay, ZUpAtGameOverArmsInTheNextFrame)
{
	bool canquit = false;
	EXPECT_FALSE(ShouldLeavePlay(0, true, &canquit));
	EXPECT_TRUE(canquit);
	EXPECT_TRUE(ShouldLeavePlay(Fire1Button, true, &canquit));
	// other fire buttons are not Z
	canquit = true;
	EXPECT_FALSE(ShouldLeavePlay(Fire2Button | Fire4Button | ReturnButton | SpaceButton, true, &canquit));
}

using Clock = std::chrono::steady_clock;

static void PushQuit()
{
	SDL_Event event;
	memset(&event, 0, sizeof event);
	event.type = SDL_QUIT;
	SDL_PushEvent(&event);
}

// SDL, the window and, when its bundles are here, the game: brought up once
// for the whole program, as the real one does, and never taken down.
class TopLevel : public testing::Test
{
protected:
	static inline Uint8 *keys = nullptr;
	static inline bool loaded = false;
	std::thread script;

	static void SetUpTestSuite()
	{
		if (keys) return;
		ASSERT_EQ(SDL_Init(SDL_INIT_TIMER | SDL_INIT_AUDIO | SDL_INIT_VIDEO), 0) << SDL_GetError();
		ASSERT_TRUE(_InitializeScreen());
		int numkeys = 0;
		keys = SDL_GetKeyState(&numkeys);
		char problem[256];
		InitializeGame();
		loaded = CheckGameResources(game.resources, problem, sizeof problem);
	}
	void SetUp() override
	{
		alarm(30);  // a loop that never ends fails here instead of hanging
		ASSERT_NE(keys, nullptr);
		ReleaseAll();
		SDL_Event event;
		while (SDL_PollEvent(&event)) {}
		// a volume no sound of the game is played at marks every channel unused
		Mix_HaltChannel(-1);
		Mix_Volume(-1, 1);
		SDL_Surface *window = SDL_GetVideoSurface();
		memset(window->pixels, 0xA5, (size_t)window->pitch * window->h);
	}
	void TearDown() override
	{
		if (script.joinable()) script.join();
		ReleaseAll();
		alarm(0);
	}
	void RequireGame()
	{
		if (!loaded) GTEST_SKIP() << "the bundles are not in " << get_current_dir_name();
	}

	static void ReleaseAll() { memset(keys, 0, SDLK_LAST); }
	static void Hold(SDLKey key) { keys[key] = 1; }
	static void Release(SDLKey key) { keys[key] = 0; }
	static void Wait(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
	// Long enough for a 60 Hz loop to see the key down and then up.
	static void Press(SDLKey key)
	{
		Hold(key);
		Wait(150);
		Release(key);
		Wait(150);
	}
	void Run(std::function<void()> steps) { script = std::thread(steps); }

	static bool WindowUntouched()
	{
		SDL_Surface *window = SDL_GetVideoSurface();
		for (int i = 0; i < window->pitch * window->h; i++)
			if (((uint8_t *)window->pixels)[i] != 0xA5) return false;
		return true;
	}
	static Pixel WindowPixel(int x, int y)
	{
		SDL_Surface *window = SDL_GetVideoSurface();
		return *(Pixel *)((uint8_t *)window->pixels + (ptrdiff_t)(2 * y) * window->pitch + 8 * x) & 0xFFFFFF;
	}
	// Every ink pixel of the text drawn at (x, y) in the last frame shown, as
	// one colour; 0 when they differ or there is no ink.
	static Pixel ColourOfText(const Font *font, int x, int y, const char *str)
	{
		std::vector<Pixel> canvas(320 * 240, 0);
		Bitmap bitmap;
		InitializeBitmap(&bitmap, 320, 240, 320 * 4, canvas.data());
		DrawString(&bitmap, font, x, y, 0xFFFFFFFFu, str);
		Pixel colour = 0;
		for (int i = 0; i < 320 * 240; i++) {
			if (!canvas[i]) continue;
			Pixel p = WindowPixel(i % 320, i / 320);
			if (colour && p != colour) return 0;
			colour = p;
		}
		return colour;
	}
	static bool IsHighlight(Pixel p)
	{
		int r = (p >> 16) & 255, g = (p >> 8) & 255, b = p & 255;
		return r == g && r >= 145 && b == 128;
	}
	static constexpr Pixel Text = 0xE0FFE0;
	// Which of the three items the last menu frame highlighted, -1 when the
	// frame is not the menu with exactly one highlighted item.
	static int HighlightedItem()
	{
		const char *items[3] = {"Start game", "Credits", "Quit"};
		int highlighted = -1;
		for (int i = 0; i < 3; i++) {
			Pixel c = ColourOfText(&OL12Font, 187, 140 + 16 * i, items[i]);
			if (IsHighlight(c)) {
				if (highlighted != -1) return -1;
				highlighted = i;
			} else if (c != Text) return -1;
		}
		if (ColourOfText(&OL8Font, 190, 207, "Arrow keys to move,") != Text ||
			ColourOfText(&OL8Font, 190, 216, "Z to fire (and select),") != Text ||
			ColourOfText(&OL8Font, 190, 225, "Left shift to focus fire.") != Text ||
			ColourOfText(&OL8Font, 230, 2, "zEP beta version") != Text)
			return -1;
		return highlighted;
	}
	static bool ShowsCredits()
	{
		return ColourOfText(&OL8Font, 180, 140, "Code & Graphics:") == Text &&
		       ColourOfText(&OL16Font, 189, 152, "Quillon") == Text &&
		       ColourOfText(&OL8Font, 180, 176, "Audio & Title Art:") == Text &&
		       ColourOfText(&OL16Font, 189, 188, "Ambrel") == Text &&
		       IsHighlight(ColourOfText(&OL12Font, 200, 216, "OK"));
	}
	static bool ShowsPlay()
	{
		return ColourOfText(&OL8Font, 312 - WidthOfString(&OL8Font, "Score: 00000") + 1, 4, "Score: 00000") == 0xFFFFFF;
	}
	// Some channel played the sound at this volume since the test began.
	static bool WasPlayed(const char *sound, int volume)
	{
		Mix_Chunk *chunk = (Mix_Chunk *)PointerForKey(&game.audio.sounds, sound);
		for (int channel = 1; channel < 16; channel++)
			if (chunk && Mix_GetChunk(channel) == chunk && Mix_Volume(channel, -1) == volume) return true;
		return false;
	}
};

TEST_F(TopLevel, WaitForButtonUpReturnsAtOnceWhenNothingIsHeld)
{
	Clock::time_point start = Clock::now();
	EXPECT_TRUE(WaitForButtonUp());
	EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(100));
	EXPECT_TRUE(WindowUntouched());
}

TEST_F(TopLevel, WaitForButtonUpWaitsForEveryKeyReturnSpaceAndYIncluded)
{
	SDLKey held[] = {SDLK_RETURN, SDLK_SPACE, SDLK_y, SDLK_LSHIFT, SDLK_ESCAPE};
	for (SDLKey key : held) Hold(key);
	std::atomic<Clock::rep> lastrelease{0};
	Run([&] {
		for (SDLKey key : held) {
			Wait(60);
			lastrelease = Clock::now().time_since_epoch().count();
			Release(key);
		}
	});
	EXPECT_TRUE(WaitForButtonUp());
	EXPECT_GE(Clock::now().time_since_epoch().count(), lastrelease.load());
	script.join();
	EXPECT_TRUE(WindowUntouched());
}

TEST_F(TopLevel, WaitForButtonUpEndsOnAClosedWindowWhileAKeyIsHeld)
{
	Hold(SDLK_z);
	PushQuit();
	EXPECT_FALSE(WaitForButtonUp());
}

TEST_F(TopLevel, MenuOpensOnStartGameAndUpWrapsToQuitWithASound)
{
	RequireGame();
	Run([] {
		Wait(200);
		Press(SDLK_UP);
		PushQuit();
	});
	EXPECT_FALSE(RunMainMenu());
	EXPECT_EQ(HighlightedItem(), 2);
	EXPECT_TRUE(WasPlayed("Sounds/enemybullet", 32));
	EXPECT_FALSE(WasPlayed("Sounds/points", 128));
}

TEST_F(TopLevel, MenuStartsOnStartGame)
{
	RequireGame();
	Run([] {
		Wait(200);
		PushQuit();
	});
	EXPECT_FALSE(RunMainMenu());
	EXPECT_EQ(HighlightedItem(), 0);
	EXPECT_FALSE(WasPlayed("Sounds/enemybullet", 32));
}

TEST_F(TopLevel, MenuDownWrapsFromQuitToStartGame)
{
	RequireGame();
	Run([] {
		for (int i = 0; i < 3; i++) Press(SDLK_DOWN);
		PushQuit();
	});
	EXPECT_FALSE(RunMainMenu());
	EXPECT_EQ(HighlightedItem(), 0);
}

TEST_F(TopLevel, MenuMovesOnceForAHeldKey)
{
	RequireGame();
	Run([] {
		Wait(100);
		Hold(SDLK_DOWN);
		Wait(500);
		PushQuit();
	});
	EXPECT_FALSE(RunMainMenu());
	EXPECT_EQ(HighlightedItem(), 1);
}

TEST_F(TopLevel, MenuIsNotDrawnWhileAKeyHeldAtItsStartIsDown)
{
	RequireGame();
	Hold(SDLK_DOWN);
	Run([] {
		Wait(300);
		PushQuit();
	});
	EXPECT_FALSE(RunMainMenu());
	EXPECT_TRUE(WindowUntouched());
}

TEST_F(TopLevel, MenuIgnoresAKeyHeldAtItsStartAfterItsRelease)
{
	RequireGame();
	Hold(SDLK_DOWN);
	Hold(SDLK_ESCAPE);
	Run([] {
		Wait(200);
		ReleaseAll();
		Wait(200);
		PushQuit();
	});
	EXPECT_FALSE(RunMainMenu());
	EXPECT_EQ(HighlightedItem(), 0);
}

TEST_F(TopLevel, MenuEscapeEndsTheRunSilently)
{
	RequireGame();
	Run([] {
		Wait(200);
		Hold(SDLK_ESCAPE);
	});
	EXPECT_FALSE(RunMainMenu());
	EXPECT_FALSE(WasPlayed("Sounds/points", 128));
}

TEST_F(TopLevel, MenuQuitPlaysPointsAndEndsTheRun)
{
	RequireGame();
	Run([] {
		Press(SDLK_DOWN);
		Press(SDLK_DOWN);
		Hold(SDLK_z);
	});
	EXPECT_FALSE(RunMainMenu());
	EXPECT_TRUE(WasPlayed("Sounds/points", 128));
}

TEST_F(TopLevel, MenuStartGameReturnsOnlyOnceZIsReleased)
{
	RequireGame();
	std::atomic<Clock::rep> release{0};
	Run([&] {
		Wait(200);
		Hold(SDLK_z);
		Wait(300);
		release = Clock::now().time_since_epoch().count();
		Release(SDLK_z);
	});
	EXPECT_TRUE(RunMainMenu());
	EXPECT_GE(Clock::now().time_since_epoch().count(), release.load());
	EXPECT_NE(release.load(), 0);
	EXPECT_TRUE(WasPlayed("Sounds/points", 128));
}

TEST_F(TopLevel, CreditsOpenFromTheMenu)
{
	RequireGame();
	Run([] {
		Press(SDLK_DOWN);
		Press(SDLK_z);
		Wait(200);
		PushQuit();
	});
	EXPECT_FALSE(RunMainMenu());
	EXPECT_TRUE(ShowsCredits());
}

TEST_F(TopLevel, EscapeInTheCreditsReturnsToTheMenuStillOnCredits)
{
	RequireGame();
	Run([] {
		Press(SDLK_DOWN);
		Press(SDLK_z);
		Press(SDLK_ESCAPE);
		Wait(200);
		PushQuit();
	});
	EXPECT_FALSE(RunMainMenu());
	EXPECT_EQ(HighlightedItem(), 1);
}

TEST_F(TopLevel, CreditsLeaveOnZAfterTheSoundAndTheRelease)
{
	RequireGame();
	std::atomic<Clock::rep> release{0};
	Run([&] {
		Wait(200);
		Hold(SDLK_z);
		Wait(300);
		release = Clock::now().time_since_epoch().count();
		Release(SDLK_z);
	});
	EXPECT_TRUE(RunCredits());
	EXPECT_GE(Clock::now().time_since_epoch().count(), release.load());
	EXPECT_TRUE(ShowsCredits());
	EXPECT_TRUE(WasPlayed("Sounds/points", 128));
}

TEST_F(TopLevel, CreditsEndOnAClosedWindow)
{
	RequireGame();
	Run([] {
		Wait(200);
		PushQuit();
	});
	EXPECT_FALSE(RunCredits());
	EXPECT_TRUE(ShowsCredits());
	EXPECT_FALSE(WasPlayed("Sounds/points", 128));
}

