// Start-up timing, preloaded into zep (LD_PRELOAD) by bench/startup/run.sh.
// The first SDL_UpdateRect is the first frame that reaches the window; at
// that moment this writes the milliseconds since ZEP_START_NS (wall-clock
// nanoseconds taken just before zep was started) into the file named by
// ZEP_FIRST_FRAME_FILE, then forwards every call to SDL unchanged.
#include <SDL.h>
#include <dlfcn.h>
#include <cstdio>
#include <cstdlib>
#include <ctime>

using UpdateRect = void (*)(SDL_Surface *, Sint32, Sint32, Uint32, Uint32);

static void NoteFirstFrame()
{
	const char *start = getenv("ZEP_START_NS"), *path = getenv("ZEP_FIRST_FRAME_FILE");
	if (!start || !path) return;
	timespec now;
	clock_gettime(CLOCK_REALTIME, &now);
	long long elapsed = (long long)now.tv_sec * 1000000000LL + now.tv_nsec - atoll(start);
	if (FILE *file = fopen(path, "w")) {
		fprintf(file, "%.1f\n", (double)elapsed / 1e6);
		fclose(file);
	}
}

extern "C" void SDL_UpdateRect(SDL_Surface *screen, Sint32 x, Sint32 y, Uint32 w, Uint32 h)
{
	static UpdateRect next = (UpdateRect)dlsym(RTLD_NEXT, "SDL_UpdateRect");
	static bool noted = false;
	if (!noted) {
		noted = true;
		NoteFirstFrame();
	}
	if (next) next(screen, x, y, w, h);
}
