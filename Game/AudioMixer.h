// Sound effects by resource name and one piece of music, read from the
// loaded bundles in memory, and every choice about them: channels 0 ..
// dedicated-1 are reserved for callers that name them; the rest form a pool
// where a new sound takes the lowest free channel or else cuts off the one
// that has played longest, as SDL_mixer's group calls would choose. A channel
// is free once its sound's length has passed on the game's clock. The
// platform (Platform/Audio.h) only plays the voices. Every operation is
// harmless when the device could not be opened. Needs Game/HashTable.h, the
// clock of Platform/Time.h and the bundle lookup of Platform/ResourceBundle.h.
#pragma once
#include <cstdint>
#include "Game/HashTable.h"
#include "Platform/Audio.h"

constexpr int MaximumAudioChannels = 16;

struct AudioChannel
{
	AudioSound *sound;  // the last one started, or null
	uint32_t start;     // when, in milliseconds; ages are taken modulo 2^32
};

struct AudioMixer
{
	AudioMusic *music;  // or null
	HashTable sounds;   // resource name -> AudioSound*
	AudioChannel channels[MaximumAudioChannels];
	int dedicated, count;  // reserved channels 0 .. dedicated-1; all of them 0 .. count-1
	bool open;
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
// Whether the channel's last sound is still playing by the clock.
[[nodiscard]] bool IsChannelPlaying(const AudioMixer *self, int channel);
bool LoadMusic(AudioMixer *self, const char *filename);
void PlayMusic(AudioMixer *self);  // from the beginning, looped, fading in
void PauseMusic(AudioMixer *self);
void SetMusicVolume(AudioMixer *self, float volume);

// Centred sounds, which is how the game plays all of them.
static inline void PlaySound(AudioMixer *self, const char *filename, float volume)
{
	PlaySoundInStereo(self, filename, volume, volume);
}

static inline void PlaySoundOnChannel(AudioMixer *self, const char *filename, float volume, int channel)
{
	PlaySoundInStereoOnChannel(self, filename, volume, volume, channel);
}
