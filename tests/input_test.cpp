// The real input over SDL's dummy video driver, which has no keyboard: keys
// are set in SDL's keyboard snapshot.
#include <gtest/gtest.h>
#include <SDL.h>
#include <cstring>
#include <vector>
#include "Game/Main.h"
#include "Platform/SDL/Input.h"

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
	void TearDown() override { SDL_Quit(); }
};

// Each key sets its own bit, which its test (where the game has one) finds
// and no other state passes.
TEST_F(Input, EachKeySetsItsOwnBitAndOthersNone)
{
	// key symbol values and bits as the game's controls define them
	const struct { int key; uint32_t bit; bool (*pressed)(uint32_t); } table[] = {{276, 0x1, IsLeftPressed},
		{275, 0x2, IsRightPressed}, {273, 0x4, IsUpPressed}, {274, 0x8, IsDownPressed}, {122, 0x10, IsFire1Pressed},
		{120, 0x20, IsFire2Pressed}, {121, 0x40, nullptr}, {304, 0x80, IsFire4Pressed}, {13, 0x10000000, nullptr},
		{32, 0x20000000, nullptr}, {27, 0x80000000, nullptr}};
	EXPECT_EQ(GetButtonState(), 0u);
	for (auto entry : table) {
		keys[entry.key] = 0x80;  // any non-zero byte is down
		EXPECT_EQ(GetButtonState(), entry.bit) << entry.key;
		keys[entry.key] = 0;
		EXPECT_TRUE(!entry.pressed || (entry.pressed(entry.bit) && !entry.pressed(~entry.bit))) << entry.key;
	}
	for (SDLKey key : {SDLK_RSHIFT, SDLK_LCTRL, SDLK_a, SDLK_w, SDLK_KP_ENTER, SDLK_TAB, SDLK_F1}) keys[key] = 1;
	EXPECT_EQ(GetButtonState(), 0u);
	for (auto entry : table) keys[entry.key] = 1;
	EXPECT_EQ(GetButtonState(), 0xB00000FFu);
}

