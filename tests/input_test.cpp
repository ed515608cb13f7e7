// Input on SDL's dummy video driver. Keys are set by writing SDL's keyboard
// snapshot directly (the dummy driver has no keyboard to press); events are
// pushed onto SDL's own queue.
#include <gtest/gtest.h>
#include <SDL.h>
#include <cstring>
#include <vector>
#include "Platform/SDL/Input.h"

class Input : public testing::Test
{
protected:
	Uint8 *keys = nullptr;
	int numkeys = 0;
	void SetUp() override
	{
		ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
		ASSERT_NE(SDL_SetVideoMode(64, 48, 32, SDL_SWSURFACE), nullptr) << SDL_GetError();
		keys = SDL_GetKeyState(&numkeys);
		memset(keys, 0, numkeys);
	}
	void TearDown() override
	{
		memset(keys, 0, numkeys);
		SDL_Quit();
	}
	void Push(Uint8 type)
	{
		SDL_Event event;
		memset(&event, 0, sizeof event);
		event.type = type;
		ASSERT_EQ(SDL_PushEvent(&event), 0);
	}
	std::vector<Uint8> Queued()
	{
		SDL_Event events[32];
		int n = SDL_PeepEvents(events, 32, SDL_PEEKEVENT, SDL_ALLEVENTS);
		std::vector<Uint8> types;
		for (int i = 0; i < n; i++) types.push_back(events[i].type);
		return types;
	}
};

// key symbol values and bits as the game's controls define them
static const struct { int key; uint32_t bit; } table[] = {
	{276, 0x1}, {275, 0x2}, {273, 0x4}, {274, 0x8}, {122, 0x10}, {120, 0x20},
	{121, 0x40}, {304, 0x80}, {13, 0x10000000}, {32, 0x20000000}, {27, 0x80000000},
};

TEST_F(Input, NoKeyDownIsExactlyZero)
{
	EXPECT_EQ(GetButtonState(), 0u);
}

TEST_F(Input, EachKeyAloneSetsOnlyItsBit)
{
	for (auto entry : table) {
		SCOPED_TRACE(entry.key);
		keys[entry.key] = 1;
		EXPECT_EQ(GetButtonState(), entry.bit);
		keys[entry.key] = 0;
	}
}

TEST_F(Input, EscapeAloneMakesTheStateNegative)
{
	keys[SDLK_ESCAPE] = 1;
	EXPECT_EQ(GetButtonState(), 0x80000000u);
	EXPECT_LT((int32_t)GetButtonState(), 0);
	// any other byte value counts as down too
	keys[SDLK_ESCAPE] = 0;
	keys[SDLK_UP] = 0x80;
	EXPECT_EQ(GetButtonState(), 0x4u);
	EXPECT_GT((int32_t)GetButtonState(), 0);
}

TEST_F(Input, KeysCombineOppositeDirectionsIncluded)
{
	keys[SDLK_LEFT] = keys[SDLK_RIGHT] = 1;
	EXPECT_EQ(GetButtonState(), 0x3u);
	for (auto entry : table) keys[entry.key] = 1;
	EXPECT_EQ(GetButtonState(), 0xB00000FFu);
}

TEST_F(Input, KeysWithoutAButtonAreIgnored)
{
	for (SDLKey key : {SDLK_RSHIFT, SDLK_LCTRL, SDLK_a, SDLK_w, SDLK_KP_ENTER, SDLK_TAB, SDLK_F1})
		keys[key] = 1;
	EXPECT_EQ(GetButtonState(), 0u);
}

TEST_F(Input, OtherEventsAreDrainedWithoutQuitting)
{
	Push(SDL_KEYDOWN);
	Push(SDL_MOUSEMOTION);
	Push(SDL_ACTIVEEVENT);
	Push(SDL_VIDEORESIZE);
	EXPECT_TRUE(HandleInput());
	EXPECT_TRUE(Queued().empty());
}

TEST_F(Input, QuitStopsTheDrainAndLeavesLaterEventsQueued)
{
	Push(SDL_KEYDOWN);
	Push(SDL_MOUSEBUTTONDOWN);
	Push(SDL_QUIT);
	Push(SDL_USEREVENT);
	Push(SDL_QUIT);
	Push(SDL_KEYUP);
	EXPECT_FALSE(HandleInput());
	EXPECT_EQ(Queued(), (std::vector<Uint8>{SDL_USEREVENT, SDL_QUIT, SDL_KEYUP}));
	EXPECT_FALSE(HandleInput());
	EXPECT_EQ(Queued(), (std::vector<Uint8>{SDL_KEYUP}));
	EXPECT_TRUE(HandleInput());
	EXPECT_TRUE(Queued().empty());
}
