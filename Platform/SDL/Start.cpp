// The program's entry: brings up SDL and the window, runs the game, shuts SDL
// down and ends with the game's status as the exit code. Where SDL has a
// start-up library (Windows, Mac OS) it defines main and calls SDL_main;
// elsewhere SDL.h leaves main alone and ours forwards.
#include <SDL.h>
#include <cstdio>
#include "Platform/EntryPoint.h"
#include "Platform/PixelDoubledScreen.h"

static_assert((SDL_INIT_TIMER | SDL_INIT_AUDIO | SDL_INIT_VIDEO | SDL_INIT_NOPARACHUTE) == 0x100031,
	"the flags SDL is started with");

extern "C" int SDL_main(int argc, char **argv)
{
	(void)argc;
	(void)argv;
	// timer, audio, video; no handlers for fatal signals
	if (SDL_Init(SDL_INIT_TIMER | SDL_INIT_AUDIO | SDL_INIT_VIDEO | SDL_INIT_NOPARACHUTE) < 0) {
		fprintf(stderr, "zEP: cannot start SDL: %s\n", SDL_GetError());
		return 1;
	}
	// the desktop's exit code for a platform that cannot start stays 1
	if (!_InitializeScreen()) {
		SDL_Quit();
		return 1;
	}
	EndStatus status = EntryPoint();
	SDL_Quit();
	return status;
}

#ifndef main
int main(int argc, char **argv)
{
	return SDL_main(argc, argv);
}
#endif
