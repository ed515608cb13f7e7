// Input over SDL 1.2: keys are read from SDL's keyboard snapshot, which the
// event pumping of HandleInput keeps up to date, not from key events; the
// first gamepad from its own snapshot, read at each call. F11 and Alt+Enter
// switch to full screen and back, here, out of the game's sight.
#include "Platform/Input.h"
#include <SDL.h>
#include "Platform/KeyButtons.h"
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

static_assert(SDLK_LEFT == 276 && SDLK_RIGHT == 275 && SDLK_UP == 273 && SDLK_DOWN == 274 && SDLK_z == 'z' &&
		SDLK_x == 'x' && SDLK_y == 'y' && SDLK_LSHIFT == 304 && SDLK_RETURN == '\r' && SDLK_SPACE == ' ' &&
		SDLK_ESCAPE == 27,
	"the key symbols of KeyButtons.h are SDL 1.2's");

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
	for (const KeyButton &k : KeyButtons)
		if (keys[k.symbol]) state |= k.button;
	// Return with Alt is the full-screen key, no button
	if (keys[SDLK_LALT] || keys[SDLK_RALT]) state &= ~ReturnButton;
	return state;
}
