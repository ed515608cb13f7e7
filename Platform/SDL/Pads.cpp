// The first pad over SDL's joystick calls, and nothing else (Pads.h).
#include "Platform/SDL/Pads.h"
#include <SDL.h>
#include <sys/stat.h>

static_assert(PadHatUp == SDL_HAT_UP && PadHatRight == SDL_HAT_RIGHT && PadHatDown == SDL_HAT_DOWN &&
	PadHatLeft == SDL_HAT_LEFT, "hat bits as SDL's");

static SDL_Joystick *pad;

bool HavePadsChanged()
{
#if defined(__linux__)
	// a device node made or removed in /dev/input changes its time
	static struct timespec seen;
	static bool first = true;
	struct stat folder;
	if (stat("/dev/input", &folder) != 0) return false;
	bool changed = first || folder.st_mtim.tv_sec != seen.tv_sec || folder.st_mtim.tv_nsec != seen.tv_nsec;
	first = false;
	seen = folder.st_mtim;
	return changed;
#else
	return false;
#endif
}

bool OpenFirstPad()
{
	if (pad) SDL_JoystickClose(pad);
	pad = nullptr;
	if (SDL_WasInit(SDL_INIT_JOYSTICK)) SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
	if (SDL_InitSubSystem(SDL_INIT_JOYSTICK) < 0) return false;
	// read when asked, not queued as events that nobody reads
	SDL_JoystickEventState(SDL_IGNORE);
	if (SDL_NumJoysticks() > 0) pad = SDL_JoystickOpen(0);
	return pad != nullptr;
}

void ReadPad(PadState *state)
{
	*state = {};
	if (!pad) return;
	SDL_JoystickUpdate();
	state->nbuttons = SDL_JoystickNumButtons(pad);
	for (int i = 0; i < state->nbuttons && i < 32; i++)
		if (SDL_JoystickGetButton(pad, i)) state->buttons |= 1u << i;
	state->naxes = SDL_JoystickNumAxes(pad);
	for (int i = 0; i < state->naxes && i < 8; i++) state->axes[i] = SDL_JoystickGetAxis(pad, i);
	state->hats = SDL_JoystickNumHats(pad);
	if (state->hats > 0) state->hat = SDL_JoystickGetHat(pad, 0);
}
