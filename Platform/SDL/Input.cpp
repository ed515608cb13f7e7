// Input over SDL 1.2: keys are read from SDL's keyboard snapshot, which the
// event pumping of HandleInput keeps up to date, not from key events.
#include "Platform/SDL/Input.h"
#include <SDL.h>

bool HandleInput()
{
	SDL_Event event;
	while (SDL_PollEvent(&event))
		if (event.type == SDL_QUIT) return false;
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

uint32_t GetButtonState()
{
	const Uint8 *keys = SDL_GetKeyState(nullptr);
	uint32_t state = 0;
	for (const auto &k : buttonkeys)
		if (keys[k.key]) state |= k.button;
	return state;
}
