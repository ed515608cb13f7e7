// The desktop simulator hears SDL_mixer's calls as the game makes them,
// linked with --wrap, and passes them on to the real SDL_mixer.
#include <SDL_mixer.h>
#include "tools/simulate/Simulation.h"

extern "C" {
int __real_Mix_Volume(int channel, int volume);
int __real_Mix_SetPanning(int channel, Uint8 left, Uint8 right);
int __real_Mix_PlayChannelTimed(int channel, Mix_Chunk *chunk, int loops, int ticks);
int __wrap_Mix_Volume(int channel, int volume)
{
	if (volume >= 0) HearMixerCall((uint32_t)volume);
	return __real_Mix_Volume(channel, volume);
}
int __wrap_Mix_SetPanning(int channel, Uint8 left, Uint8 right)
{
	HearMixerCall((uint32_t)(left << 8 | right));
	return __real_Mix_SetPanning(channel, left, right);
}
int __wrap_Mix_PlayChannelTimed(int channel, Mix_Chunk *chunk, int loops, int ticks)
{
	HearMixerCall(chunk ? chunk->alen : 0);
	return __real_Mix_PlayChannelTimed(channel, chunk, loops, ticks);
}
}
