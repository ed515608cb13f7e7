// What the game asks of a platform's input: a look at the outside world
// between frames, and the keyboard, the first gamepad and whatever else the
// platform reads as one 32-bit button state, built afresh on every call.
// Platform/SDL and Platform/Web implement it, on the thread that runs the game.
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

// Takes in what happened since the last call; false when the player closed
// the game (a quit event), true otherwise.
[[nodiscard]] bool HandleInput();
// The keyboard's bits OR the pad's (PadButtons.h) OR any other source's.
[[nodiscard]] uint32_t GetButtonState();
