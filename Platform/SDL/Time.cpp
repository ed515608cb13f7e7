// The millisecond clock and sleeping, over SDL_GetTicks and SDL_Delay.
// Keep nothing else in this file: the frame rate tests link their own clock
// in place of this one, which works only while these three are all it holds.
#include "Platform/Time.h"
#include <SDL.h>

int TicksPerSecond() { return 1000; }

uint64_t GetTicks() { return SDL_GetTicks(); }

// SDL_Delay takes 32 bits; a longer sleep is no use to a frame loop
void SleepForTicks(uint64_t ticks) { SDL_Delay((Uint32)ticks); }
