// The real input and clock over SDL's dummy video driver. Keys are set by
// writing SDL's keyboard snapshot directly (the dummy driver has no keyboard);
// events are pushed onto SDL's own queue.
#include <gtest/gtest.h>
#include <SDL.h>
#include <cstring>
#include <vector>
#include "Platform/SDL/Input.h"
#include "Platform/SDL/Time.h"

class Input : public testing::Test
{
protected:
	Uint8 *keys = nullptr;
	int numkeys = 0;
	void SetUp() override
	{
		ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO | SDL_INIT_TIMER), 0) << SDL_GetError();
		ASSERT_NE(SDL_SetVideoMode(64, 48, 32, SDL_SWSURFACE), nullptr) << SDL_GetError();
		keys = SDL_GetKeyState(&numkeys);
		memset(keys, 0, numkeys);
	}
	void TearDown() override
	{
		memset(keys, 0, numkeys);
		SDL_Quit();
	}
	static std::vector<Uint8> Queued()
	{
		SDL_Event events[32];
		int n = SDL_PeepEvents(events, 32, SDL_PEEKEVENT, SDL_ALLEVENTS);
		std::vector<Uint8> types;
		for (int i = 0; i < n; i++) types.push_back(events[i].type);
		return types;
	}
};

TEST_F(Input, EachKeySetsItsOwnBitAndOthersNone)
{
	// key symbol values and bits as the game's controls define them
	const struct { int key; uint32_t bit; } table[] = {{276, 0x1}, {275, 0x2}, {273, 0x4}, {274, 0x8}, {122, 0x10},
		{120, 0x20}, {121, 0x40}, {304, 0x80}, {13, 0x10000000}, {32, 0x20000000}, {27, 0x80000000}};
	EXPECT_EQ(GetButtonState(), 0u);
	for (auto entry : table) {
		keys[entry.key] = 0x80;  // any non-zero byte is down
		EXPECT_EQ(GetButtonState(), entry.bit) << entry.key;
		keys[entry.key] = 0;
	}
	for (SDLKey key : {SDLK_RSHIFT, SDLK_LCTRL, SDLK_a, SDLK_w, SDLK_KP_ENTER, SDLK_TAB, SDLK_F1}) keys[key] = 1;
	EXPECT_EQ(GetButtonState(), 0u);
	keys[SDLK_LEFT] = keys[SDLK_RIGHT] = 1;
	EXPECT_EQ(GetButtonState(), 0x3u);
	for (auto entry : table) keys[entry.key] = 1;
	EXPECT_EQ(GetButtonState(), 0xB00000FFu);
}

TEST_F(Input, QuitStopsTheDrainAndLeavesLaterEventsQueued)
{
	for (Uint8 type : {SDL_KEYDOWN, SDL_MOUSEBUTTONDOWN, SDL_QUIT, SDL_USEREVENT, SDL_QUIT, SDL_KEYUP}) {
		SDL_Event event;
		memset(&event, 0, sizeof event);
		event.type = type;
		ASSERT_EQ(SDL_PushEvent(&event), 0);
	}
	EXPECT_FALSE(HandleInput());
	EXPECT_EQ(Queued(), (std::vector<Uint8>{SDL_USEREVENT, SDL_QUIT, SDL_KEYUP}));
	EXPECT_FALSE(HandleInput());
	EXPECT_EQ(Queued(), (std::vector<Uint8>{SDL_KEYUP}));
	EXPECT_TRUE(HandleInput());
	EXPECT_TRUE(Queued().empty());
}

// SDL's millisecond counter itself, read between two readings of it; no
// waiting on it.
TEST_F(Input, ClockIsSDLsMillisecondCounter)
{
	EXPECT_EQ(TicksPerSecond(), 1000);
	Uint32 before = SDL_GetTicks();
	uint64_t ticks = GetTicks();
	Uint32 after = SDL_GetTicks();
	EXPECT_GE(ticks, before);
	EXPECT_LE(ticks, after);
	SleepForTicks(0);
}
