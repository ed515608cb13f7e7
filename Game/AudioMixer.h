// Sound effects by resource name and one piece of music, over SDL_mixer 1.2,
// read from the loaded bundles in memory. Channels 0 .. dedicated-1 are
// reserved for callers that name them; the rest form group 0, where a new
// sound takes the lowest free channel or cuts off the oldest. Every operation
// is harmless when the device could not be opened. Needs SDL_mixer,
// Game/HashTable.h and the bundle lookup of Platform/ResourceBundle.h.
#pragma once
#include <SDL_mixer.h>
#include "Game/HashTable.h"

struct AudioMixer
{
	Mix_Music *music;  // or null
	SDL_RWops *musicstream;  // what music is decoded from; SDL_mixer 1.2 never frees it
	HashTable sounds;  // resource name -> Mix_Chunk*
};

// True when the audio device is open.
bool InitializeAudioMixer(AudioMixer *self, int dedicatedchannels, int freechannels);
void CleanupAudioMixer(AudioMixer *self);
// True when the sound is loaded, now or before.
bool LoadSound(AudioMixer *self, const char *filename);
void FlushLoadedSounds(AudioMixer *self);
// Volumes from 0.0 (silent) to 1.0 (full); both 0.0 takes no channel.
void PlaySoundInStereo(AudioMixer *self, const char *filename, float leftvolume, float rightvolume);
void PlaySoundInStereoOnChannel(AudioMixer *self, const char *filename, float leftvolume, float rightvolume, int channel);
bool LoadMusic(AudioMixer *self, const char *filename);
void PlayMusic(AudioMixer *self);  // from the beginning, looped, fading in
void PauseMusic(AudioMixer *self);
void SetMusicVolume(AudioMixer *self, float volume);

// Volumes truncate to SDL_mixer's 0..128 (0.25 gives 32, 0.7 gives 89) and
// panning levels to 0..255. Values outside 0..1 are held at the ends: a
// negative volume would ask SDL_mixer to report instead of set, and a level
// taken modulo 256 would turn 1.01 nearly silent.
static inline int MixerVolumeForVolume(float volume)
{
	return !(volume > 0.0f) ? 0 : volume >= 1.0f ? MIX_MAX_VOLUME : (int)(volume * MIX_MAX_VOLUME);
}

static inline Uint8 PanningLevelForVolume(float volume)
{
	return !(volume > 0.0f) ? 0 : volume >= 1.0f ? 255 : (Uint8)(int)(volume * 255);
}

// Centred sounds, which is how the game plays all of them.
static inline void PlaySound(AudioMixer *self, const char *filename, float volume)
{
	PlaySoundInStereo(self, filename, volume, volume);
}

static inline void PlaySoundOnChannel(AudioMixer *self, const char *filename, float volume, int channel)
{
	PlaySoundInStereoOnChannel(self, filename, volume, volume, channel);
}
