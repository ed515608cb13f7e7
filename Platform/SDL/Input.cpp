// Input over SDL 1.2: keys are read from SDL's keyboard snapshot, which the
// event pumping of HandleInput keeps up to date, not from key events; the
// first gamepad from its own snapshot, read at each call. F11 and Alt+Enter
// switch to full screen and back, here, out of the game's sight.
#include "Platform/Input.h"
#include <SDL.h>
#include "Platform/SDL/FullScreen.h"
#include "Platform/SDL/Pads.h"
#include "Platform/Time.h"

static bool IsFullScreenKey(const SDL_keysym &key)
{
	return key.sym == SDLK_F11 || (key.sym == SDLK_RETURN && (key.mod & KMOD_ALT));
}

bool HandleInput()
{
	SDL_Event event;
	while (SDL_PollEvent(&event)) {
		if (event.type == SDL_QUIT) return false;
		if (event.type == SDL_KEYDOWN && IsFullScreenKey(event.key.keysym) && !ToggleFullScreen()) return false;
	}
	return true;
}

static const struct
{
	SDLKey key;
	uint32_t button;
} buttonkeys[] = {
	{SDLK_LEFT, LeftButton},
	{SDLK_RIGHT, RightButton},
	{SDLK_UP, UpButton},
	{SDLK_DOWN, DownButton},
	{SDLK_z, Fire1Button},
	{SDLK_x, Fire2Button},
	{SDLK_y, Fire3Button},
	{SDLK_LSHIFT, Fire4Button},
	{SDLK_RETURN, ReturnButton},
	{SDLK_SPACE, SpaceButton},
	{SDLK_ESCAPE, EscapeButton},
};

// Looking for pads restarts SDL's joystick subsystem, which drops what an open
// pad holds: once a second at most, and with a pad open only when the
// devices changed.
static struct
{
	bool open, looked;
	uint64_t lookedat;
} pads;

static uint32_t GetPadState()
{
	uint64_t now = GetTicks();
	// unsigned, so a clock that wrapped round looks at once
	if (!pads.looked || now - pads.lookedat >= (uint64_t)TicksPerSecond()) {
		pads.looked = true;
		pads.lookedat = now;
		bool changed = HavePadsChanged();
		if (!pads.open || changed) pads.open = OpenFirstPad();
	}
	if (!pads.open) return 0;
	PadState state;
	ReadPad(&state);
	return GetPadButtonState(&state, &XpadLayout);
}

uint32_t GetButtonState()
{
	const Uint8 *keys = SDL_GetKeyState(nullptr);
	uint32_t state = GetPadState();
	for (const auto &k : buttonkeys)
		if (keys[k.key]) state |= k.button;
	// Return with Alt is the full-screen key, no button
	if (keys[SDLK_LALT] || keys[SDLK_RALT]) state &= ~ReturnButton;
	return state;
}
