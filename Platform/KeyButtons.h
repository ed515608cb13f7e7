// The keys the game reads and their bits of the button state (Input.h): one
// table for every platform. Each key has SDL 1.2's key symbol (the desktop's)
// and the browser's name for it: its KeyboardEvent.code, or for a letter the
// letter it types (KeyboardEvent.key), as SDL 1.2's letter symbols follow
// the keyboard layout.
#pragma once
#include <cstdint>
#include "Platform/Input.h"

struct KeyButton
{
	uint16_t symbol;   // SDLKey
	const char *name;  // the browser's
	uint32_t button;
};

constexpr KeyButton KeyButtons[] = {
	{276, "ArrowLeft", LeftButton},
	{275, "ArrowRight", RightButton},
	{273, "ArrowUp", UpButton},
	{274, "ArrowDown", DownButton},
	{'z', "z", Fire1Button},
	{'x', "x", Fire2Button},
	{'y', "y", Fire3Button},
	{304, "ShiftLeft", Fire4Button},
	{'\r', "Enter", ReturnButton},
	{' ', "Space", SpaceButton},
	{27, "Escape", EscapeButton},
};
constexpr int NumberOfKeyButtons = sizeof(KeyButtons) / sizeof(KeyButtons[0]);
