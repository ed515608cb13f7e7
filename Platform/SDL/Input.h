// Events and keys: pumping SDL's event queue, and the keyboard and the first
// gamepad as one 32-bit button state built afresh from SDL's key snapshot and
// the pad's on every call. Needs SDL video initialised, on the thread that
// did it; the pad's subsystem is started here, apart from SDL_Init's.
#pragma once
#include <cstdint>

// The bits of the button state; bits without a key or pad button stay 0.
// Escape is the top bit, so a state read as signed is negative while Escape
// is held.
enum : uint32_t
{
	LeftButton = 0x1,      // left arrow
	RightButton = 0x2,     // right arrow
	UpButton = 0x4,        // up arrow
	DownButton = 0x8,      // down arrow
	Fire1Button = 0x10,    // Z
	Fire2Button = 0x20,    // X
	Fire3Button = 0x40,    // Y
	Fire4Button = 0x80,    // left Shift
	ReturnButton = 0x10000000,
	SpaceButton = 0x20000000,
	EscapeButton = 0x80000000,
};

// Drains the event queue, discarding everything but a quit event, which
// ends the call with false; events behind it wait for the next call.
[[nodiscard]] bool HandleInput();
// The keyboard's bits OR the pad's (PadButtons.h); pads plugged in or
// pulled out are looked for at most once a second, by the clock of Time.h.
[[nodiscard]] uint32_t GetButtonState();
