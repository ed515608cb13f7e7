// The real input over SDL's dummy video driver, which has no keyboard: keys
// are set in SDL's keyboard snapshot; the pad and the clock are scripted.
#include <gtest/gtest.h>
#include <SDL.h>
#include <cstring>
#include <utility>
#include <vector>
#include "Game/Main.h"
#include "Platform/Input.h"
#include "Platform/SDL/Pads.h"
#include "Platform/Time.h"

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

// The pad's bits from its raw snapshot, in both layouts. Expected bits from
// the controls: south Fire1 (0x10), east Fire2 (0x20), north Fire3 (0x40),
// west and shoulders Fire4 (0x80), Back and Start Escape (0x80000000),
// D-pad and left stick the arrows (left 0x1, right 0x2, up 0x4, down 0x8),
// with a dead zone of 40 % of the stick's way (13107).
TEST(PadButtons, EachButtonAxisAndHatInBothLayouts)
{
	// buttons 0 to 16 alone: xpad's 8 Guide, 9 and 10 the sticks; the
	// browser's 6 and 7 the triggers, 10 and 11 the sticks, 16 its centre;
	// a 13-button pad's (PlayStation) 6 and 7 the triggers, 8 Share, 9 Options;
	// a pad numbered some unknown way fires with its first button alone
	const uint32_t Esc = 0x80000000, xpad[17] = {0x10, 0x20, 0x80, 0x40, 0x80, 0x80, Esc, Esc},
		standard[17] = {0x10, 0x20, 0x80, 0x40, 0x80, 0x80, 0, 0, Esc, Esc, 0, 0, 0x4, 0x8, 0x1, 0x2},
		triggers[17] = {0x10, 0x20, 0x80, 0x40, 0x80, 0x80, 0, 0, Esc, Esc}, unknown[17] = {0x10};
	for (int b = 0; b < 17; b++) {
		PadState pad;
		pad.buttons = 1u << b;
		EXPECT_EQ(GetPadButtonState(&pad, &XpadLayout), xpad[b]) << b;
		EXPECT_EQ(GetPadButtonState(&pad, &StandardGamepadLayout), standard[b]) << b;
		EXPECT_EQ(GetPadButtonState(&pad, &FirstButtonLayout), unknown[b]) << b;
		pad.nbuttons = 13;
		EXPECT_EQ(GetPadButtonState(&pad, &XpadLayout), triggers[b]) << b;
	}
	const struct { bool xpad; PadState pad; uint32_t bits; } table[] = {
		{true, {0xFFFFFFFFu}, 0x800000F0},
		// evdev: six axes, the triggers (2, 5) resting at their minimum, and a hat
		{true, {0, {0, 0, -32768, 0, 0, -32768}, 6, 0x1, 1}, 0x4}, {true, {0, {}, 6, 0x2, 1}, 0x2},
		{true, {0, {}, 6, 0x4, 1}, 0x8}, {true, {0, {}, 6, 0x8 | 0x1, 1}, 0x5},
		// the joystick device: the hat as axes 6 and 7 of eight; not on a pad of more axes
		{true, {0, {0, 0, 0, 0, 0, 0, -32767, 32767}, 8}, 0x9}, {true, {0, {0, 0, 0, 0, 0, 0, 32767, -32767}, 8}, 0x6},
		{true, {0, {0, 0, 0, 0, 0, 0, -32767, -32767}, 27}, 0}, {true, {0, {0, 0, 0, 0, 0, 0, 32767, 0}, 8, 0, 1}, 0},
		{false, {0, {0, 0, 0, 0, 0, 0, -32767, -32767}, 8}, 0},
		// the left stick: inside the dead zone, at its edge, past it
		{true, {0, {9830, -9830}, 2}, 0}, {true, {0, {13107, -13107}, 2}, 0}, {true, {0, {13108, 0}, 2}, 0x2},
		{true, {0, {-13108, 0}, 2}, 0x1}, {true, {0, {0, -13108}, 2}, 0x4}, {true, {0, {0, 32767}, 2}, 0x8},
		{true, {0, {-32768, -32768}, 2}, 0x5}, {true, {0, {23170, 23170}, 6}, 0xA}, {false, {0, {-20000, 20000}, 4}, 0x9},
	};
	for (const auto &row : table)
		EXPECT_EQ(GetPadButtonState(&row.pad, row.xpad ? &XpadLayout : &StandardGamepadLayout), row.bits)
			<< &row - table;
}

// A pad through GetButtonState over a scripted clock and pad that behaves as
// SDL 1.2's: the pad count is taken at each open, and a pulled pad keeps
// reading its last state until the subsystem is started afresh.
static struct { bool plugged, changed, open; PadState held; int opens; uint64_t ticks; } pad;
bool HavePadsChanged() { return std::exchange(pad.changed, false); }
bool OpenFirstPad()
{
	pad.opens++;
	return pad.open = pad.plugged;
}
void ReadPad(PadState *state) { *state = pad.open ? pad.held : PadState{}; }
int TicksPerSecond() { return 1000; }
uint64_t GetTicks() { return pad.ticks; }
void SleepForTicks(uint64_t ticks) { pad.ticks += ticks; }

TEST_F(Input, PadsAreLookedForOnceASecondAndNeverLeaveABitHeld)
{
	// ticks from a start 8 s before SDL's 32-bit clock wraps and far from any
	// earlier look; plug: 1 in, -1 out, 0 as it was
	const struct { uint64_t ticks; int plug; uint32_t buttons; int16_t x; int key; uint32_t bits; int opens; } steps[] = {
		{0, 0, 0, 0, 0, 0, 1},  // no pad: the keyboard alone, and a look
		{500, 1, 1u << 0, 0, 0, 0, 1}, {999, 0, 1u << 0, 0, 0, 0, 1},  // plugged in: seen a second on
		{1000, 0, 1u << 0, 0, 0, 0x10, 2},
		{1500, 0, 1u << 0, -32768, SDLK_LSHIFT, 0x91, 2},  // pad and keyboard together
		{4000, 0, 1u << 7, 0, 0, 0x80000000, 2},  // looked at, unchanged: not opened again
		{4100, -1, 1u << 0, 0, 0, 0x10, 2},  // pulled with A held: stale till the next look
		{5000, 0, 1u << 0, 0, 0, 0, 3}, {5000, 0, 1u << 0, 0, SDLK_z, 0x10, 3},
		{5999, 0, 0, 0, 0, 0, 3}, {6000, 0, 0, 0, 0, 0, 4},  // no pad: looked for each second
		{6001, 1, 1u << 1, 0, 0, 0, 4}, {7000, 0, 1u << 1, 0, 0, 0x20, 5}, {7999, 0, 1u << 1, 0, 0, 0x20, 5},
		{8005, -1, 1u << 1, 0, 0, 0, 6},  // the clock wrapped round to 5: a look
	};
	const uint64_t start = 0x100000000 - 8000;
	const int opens = pad.opens;
	for (const auto &step : steps) {
		pad.ticks = (start + step.ticks) & 0xFFFFFFFF;
		if (step.plug) pad.changed = true, pad.plugged = step.plug > 0;
		pad.held = {step.buttons, {step.x}, 2};
		if (step.key) keys[step.key] = 1;
		EXPECT_EQ(GetButtonState(), step.bits) << step.ticks;
		EXPECT_EQ(pad.opens - opens, step.opens) << step.ticks;
		if (step.key) keys[step.key] = 0;
	}
}

// Each key of the controls alone sets its bit, and every other key none:
// arrows 0x1 left, 0x2 right, 0x4 up, 0x8 down; Z 0x10, X 0x20, Y 0x40,
// left Shift 0x80; Return 0x10000000, Space 0x20000000, Escape 0x80000000.
TEST_F(Input, EachKeyOfTheControlsAloneSetsItsBit)
{
	uint32_t bits[SDLK_LAST] = {};
	bits[SDLK_LEFT] = 0x1, bits[SDLK_RIGHT] = 0x2, bits[SDLK_UP] = 0x4, bits[SDLK_DOWN] = 0x8;
	bits[SDLK_z] = 0x10, bits[SDLK_x] = 0x20, bits[SDLK_y] = 0x40, bits[SDLK_LSHIFT] = 0x80;
	bits[SDLK_RETURN] = 0x10000000, bits[SDLK_SPACE] = 0x20000000, bits[SDLK_ESCAPE] = 0x80000000;
	ASSERT_EQ(numkeys, SDLK_LAST);
	for (int key = 0; key < numkeys; key++) {
		keys[key] = 1;
		EXPECT_EQ(GetButtonState(), bits[key]) << key;
		keys[key] = 0;
	}
}
