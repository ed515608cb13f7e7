// The voices a platform plays for the game's mixer (Game/AudioMixer), which
// decides everything else: the channel a sound takes, when a channel is free
// again, how loud, and the music's fade. A platform opens the output,
// decodes, starts and stops; it keeps no channel policy of its own.
// Platform/SDL/Audio.cpp plays through SDL_mixer, Platform/Web/Audio.cpp
// through the page's Web Audio.
#pragma once
#include <cstddef>
#include <cstdint>

struct AudioSound;  // a sound effect, decoded whole
struct AudioMusic;  // a piece of music

constexpr int AudioVolumeFull = 128;  // voice and music volumes run 0..AudioVolumeFull
constexpr int AudioLevelFull = 255;   // per-side levels run 0..AudioLevelFull

// 22050 Hz, 16-bit, stereo, with channels 0..channels-1. False when there is
// no device or it cannot play Ogg Vorbis.
[[nodiscard]] bool OpenAudioDevice(int channels);
void CloseAudioDevice();

// From bytes that need not outlive the call; null when they cannot be decoded.
[[nodiscard]] AudioSound *DecodeSound(const void *data, size_t size);
// In milliseconds, rounded up; -1 while not yet known (decoding goes on in
// the background on some platforms), 0 once it has failed there.
[[nodiscard]] int32_t SoundLength(const AudioSound *sound);
void FreeSound(AudioSound *sound);

// Plays the sound once on the channel at a volume and per-side levels,
// cutting off what the channel played; false when it cannot.
[[nodiscard]] bool StartVoice(int channel, AudioSound *sound, int volume, int left, int right);
void StopVoice(int channel);

// From bytes that must outlive the music: it is decoded while it plays.
[[nodiscard]] AudioMusic *OpenMusic(const void *data, size_t size);
void CloseMusic(AudioMusic *music);
// From its beginning, paused before or not, looping for ever, rising from
// silence over the fade.
void StartMusicVoice(AudioMusic *music, int fademilliseconds);
void PauseMusicVoice();
void SetMusicVoiceVolume(int volume);
