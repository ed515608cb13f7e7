// A gamepad's snapshot turned into the button state's bits, with no SDL in
// it: the pad's buttons, its first axes and its first hat as SDL reports
// them, and the layout that says which button numbers are which, since the
// numbering differs between drivers and the browser.
#pragma once
#include <cstdint>

// A stick counts as pushed beyond 40 % of the way from centre to edge, so a
// resting or worn stick moves nothing.
constexpr int PadDeadZone = 13107;

// Hat positions as SDL reports them (SDL_HAT_UP ... SDL_HAT_LEFT).
enum : uint8_t
{
	PadHatUp = 0x1,
	PadHatRight = 0x2,
	PadHatDown = 0x4,
	PadHatLeft = 0x8,
};

struct PadState
{
	uint32_t buttons = 0;  // bit n: button n held; buttons past 31 are not read
	int16_t axes[8] = {};  // the first eight axes, -32768 to 32767, negative left or up
	int naxes = 0;         // how many axes the pad has, which may be more than 8
	uint8_t hat = 0;       // hat 0 in PadHat bits, 0 when centred or absent
	int hats = 0;          // how many hats the pad has
	int nbuttons = 0;      // how many buttons the pad has
};

// For each bit, the mask of pad buttons that set it.
struct PadLayout
{
	uint32_t fire1, fire2, fire3, fire4, escape;
	uint32_t up, down, left, right;  // D-pad buttons, where it is made of buttons
	// a pad without a hat and with exactly dpadaxis + 2 axes has its D-pad
	// on the last two (xpad through the joystick device); -1 never
	int dpadaxis;
	// a pad of exactly this many buttons has its triggers as buttons 6 and
	// 7, ahead of the rest (PlayStation pads, xpad ones with trigger
	// buttons); they are left out and the rest read two places lower
	int triggerpads;
};

// Linux's evdev and joystick numbering of xpad pads (Xbox and most others):
// 0 A, 1 B, 2 X, 3 Y, 4 and 5 the shoulders, 6 Back, 7 Start; D-pad on
// hat 0.
extern const PadLayout XpadLayout;
// The browser's standard gamepad: 0 to 3 the face buttons south, east, west,
// north, 4 and 5 the shoulders, 8 Back, 9 Start, 12 to 15 the D-pad.
extern const PadLayout StandardGamepadLayout;
// A pad numbered in a way nothing here knows: the first button fires and
// the rest do nothing, so that no unknown button leaves.
extern const PadLayout FirstButtonLayout;

// The bits the pad holds: the D-pad and the left stick give the arrows, the
// buttons whatever the layout gives them.
[[nodiscard]] uint32_t GetPadButtonState(const PadState *self, const PadLayout *layout);
