// The simulator's platform in the browser's build run under node: SDL's
// start, its memory streams and SDL_mixer's calls as Platform/SDL/Audio.cpp
// makes them, answered without sound; a clock that never waits; no screen.
// Every sound the game starts is heard as the desktop simulator hears it
// through SDL_mixer (volume, panning, length), so both builds give the same
// figures. Needs Emscripten's SDL headers and tools/simulate/Simulation.h.
#include <SDL.h>
#include <SDL_mixer.h>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <emscripten.h>
#include "Platform/PixelDoubledScreen.h"
#include "Platform/Time.h"
#include "tools/simulate/Simulation.h"

extern "C" {
int SDL_Init(Uint32) { return 0; }
void SDL_Quit() {}
const char *SDL_GetError() { return ""; }

SDL_RWops *SDL_RWFromConstMem(const void *mem, int size)
{
	SDL_RWops *rw = (SDL_RWops *)calloc(1, sizeof(SDL_RWops));
	if (!rw) return nullptr;
	rw->hidden.mem.base = rw->hidden.mem.here = (Uint8 *)mem;
	rw->hidden.mem.stop = (Uint8 *)mem + size;
	return rw;
}

void SDL_FreeRW(SDL_RWops *rw) { free(rw); }
}

static bool audioopen;
static int numchannels;

struct _Mix_Music
{
	int unused;
};

// SDL_mixer decodes a sound to 16-bit stereo at the device's 22050 Hz; an Ogg
// Vorbis stream's last page holds its length in samples, so the decoded
// length follows without decoding. Another rate would be resampled: refused.
static Uint32 DecodedLength(const Uint8 *data, size_t size)
{
	static const char id[] = "\x01vorbis";
	const Uint8 *header = nullptr;
	for (size_t i = 0; i + 16 <= size && !header; i++)
		if (memcmp(data + i, id, 7) == 0) header = data + i;
	const Uint8 *last = nullptr;
	for (size_t i = 0; i + 27 <= size; i++)
		if (memcmp(data + i, "OggS", 4) == 0) last = data + i;
	if (!header || !last) return 0;
	uint32_t rate;
	int64_t samples;
	memcpy(&rate, header + 12, 4);
	memcpy(&samples, last + 6, 8);
	if (rate != 22050 || samples <= 0 || samples > INT32_MAX / 4) return 0;
	return (Uint32)samples * 4;
}

extern "C" {
int Mix_Init(int flags) { return flags & MIX_INIT_OGG; }

int Mix_OpenAudio(int, Uint16, int, int)
{
	audioopen = true;
	return 0;
}

void Mix_CloseAudio() { audioopen = false; }

int Mix_QuerySpec(int *frequency, Uint16 *format, int *channels)
{
	if (frequency) *frequency = 22050;
	if (format) *format = AUDIO_S16LSB;
	if (channels) *channels = 2;
	return audioopen;
}

int Mix_AllocateChannels(int n)
{
	if (n >= 0) numchannels = n;
	return numchannels;
}

int Mix_Volume(int, int volume)
{
	if (volume >= 0) HearMixerCall((uint32_t)volume);
	return MIX_MAX_VOLUME;
}

int Mix_SetPanning(int, Uint8 left, Uint8 right)
{
	HearMixerCall((uint32_t)(left << 8 | right));
	return 1;
}

int Mix_PlayChannelTimed(int channel, Mix_Chunk *chunk, int, int)
{
	HearMixerCall(chunk ? chunk->alen : 0);
	return channel;
}

Mix_Chunk *Mix_LoadWAV_RW(SDL_RWops *rw, int freesrc)
{
	Uint32 length = DecodedLength(rw->hidden.mem.base, (size_t)(rw->hidden.mem.stop - rw->hidden.mem.base));
	if (freesrc) SDL_FreeRW(rw);
	if (!length) return nullptr;
	Mix_Chunk *chunk = (Mix_Chunk *)calloc(1, sizeof(Mix_Chunk));
	if (chunk) chunk->alen = length, chunk->volume = MIX_MAX_VOLUME;
	return chunk;
}

void Mix_FreeChunk(Mix_Chunk *chunk) { free(chunk); }
Mix_Music *Mix_LoadMUS_RW(SDL_RWops *) { return (Mix_Music *)calloc(1, sizeof(Mix_Music)); }
void Mix_FreeMusic(Mix_Music *music) { free(music); }
int Mix_HaltChannel(int) { return 0; }
int Mix_FadeInMusic(Mix_Music *, int, int) { return 0; }
int Mix_HaltMusic() { return 0; }
void Mix_PauseMusic() {}
int Mix_VolumeMusic(int) { return MIX_MAX_VOLUME; }
}

// The clock, for the mixer's channel bookkeeping; nothing here waits.
int TicksPerSecond() { return 1000; }
uint64_t GetTicks() { return (uint64_t)emscripten_get_now(); }
void SleepForTicks(uint64_t) {}

// The game draws into the simulation's own bitmap; a background loader's
// progress bar, the only other drawing, never shows with the file loader.
static Pixel nowhere[320 * 240];
static Bitmap offscreen;

bool _InitializeScreen() { return true; }

Bitmap *StartScreenUpdates()
{
	InitializeBitmap(&offscreen, ScreenWidth(), ScreenHeight(), ScreenWidth() * 4, nowhere);
	return &offscreen;
}

void EndScreenUpdates() {}
