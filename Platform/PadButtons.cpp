#include "Platform/PadButtons.h"
#include "Platform/Input.h"

static constexpr uint32_t B(int n) { return 1u << n; }

// south fires, east is X's bit, north Y's, west and the shoulders focus,
// Back and Start leave
const PadLayout XpadLayout = {B(0), B(1), B(3), B(2) | B(4) | B(5), B(6) | B(7), 0, 0, 0, 0, 6, 13};
const PadLayout StandardGamepadLayout = {
	B(0), B(1), B(3), B(2) | B(4) | B(5), B(8) | B(9), B(12), B(13), B(14), B(15), -1, -1};
const PadLayout FirstButtonLayout = {B(0), 0, 0, 0, 0, 0, 0, 0, 0, -1, -1};

static const struct
{
	uint32_t PadLayout::*buttons;
	uint32_t bit;
} buttonbits[] = {
	{&PadLayout::fire1, Fire1Button},
	{&PadLayout::fire2, Fire2Button},
	{&PadLayout::fire3, Fire3Button},
	{&PadLayout::fire4, Fire4Button},
	{&PadLayout::escape, EscapeButton},
	{&PadLayout::up, UpButton},
	{&PadLayout::down, DownButton},
	{&PadLayout::left, LeftButton},
	{&PadLayout::right, RightButton},
};

static uint32_t AxisButtons(int value, uint32_t negative, uint32_t positive)
{
	return value < -PadDeadZone ? negative : value > PadDeadZone ? positive : 0;
}

uint32_t GetPadButtonState(const PadState *self, const PadLayout *layout)
{
	uint32_t state = 0, buttons = self->buttons;
	if (self->nbuttons == layout->triggerpads) buttons = (buttons & 0x3F) | (buttons >> 2 & ~0x3Fu);
	for (const auto &b : buttonbits)
		if (buttons & layout->*b.buttons) state |= b.bit;
	state |= AxisButtons(self->axes[0], LeftButton, RightButton) | AxisButtons(self->axes[1], UpButton, DownButton);
	if (self->hats > 0) {
		if (self->hat & PadHatUp) state |= UpButton;
		if (self->hat & PadHatRight) state |= RightButton;
		if (self->hat & PadHatDown) state |= DownButton;
		if (self->hat & PadHatLeft) state |= LeftButton;
	} else if (layout->dpadaxis >= 0 && layout->dpadaxis + 2 <= 8 && self->naxes == layout->dpadaxis + 2) {
		state |= AxisButtons(self->axes[layout->dpadaxis], LeftButton, RightButton) |
			AxisButtons(self->axes[layout->dpadaxis + 1], UpButton, DownButton);
	}
	return state;
}
