// The voices in the browser: each call goes to the page's Web Audio voices
// (Platform/Web/zep.js), sounds and music named by the page's numbers. The
// page decodes in the background, so a sound's length is known only later.
#include "Platform/Audio.h"
#include <cstdint>

extern "C" {
int zep_audio_open();
int zep_sound_decode(const void *data, size_t size);  // 0 when it cannot start
int zep_sound_length(int sound);
void zep_sound_free(int sound);
int zep_voice_start(int channel, int sound, int volume, int left, int right);
void zep_voice_stop(int channel);
void zep_music_start(int music, int fademilliseconds);
void zep_music_pause();
void zep_music_volume(int volume);
}

static int Number(const void *handle) { return (int)(uintptr_t)handle; }

bool OpenAudioDevice(int) { return zep_audio_open() != 0; }
void CloseAudioDevice() {}

AudioSound *DecodeSound(const void *data, size_t size) { return (AudioSound *)(uintptr_t)zep_sound_decode(data, size); }
int32_t SoundLength(const AudioSound *sound) { return zep_sound_length(Number(sound)); }
void FreeSound(AudioSound *sound) { zep_sound_free(Number(sound)); }

bool StartVoice(int channel, AudioSound *sound, int volume, int left, int right)
{
	return zep_voice_start(channel, Number(sound), volume, left, right) != 0;
}
void StopVoice(int channel) { zep_voice_stop(channel); }

AudioMusic *OpenMusic(const void *data, size_t size) { return (AudioMusic *)(uintptr_t)zep_sound_decode(data, size); }
void CloseMusic(AudioMusic *music) { zep_sound_free(Number(music)); }
void StartMusicVoice(AudioMusic *music, int fademilliseconds) { zep_music_start(Number(music), fademilliseconds); }
void PauseMusicVoice() { zep_music_pause(); }
void SetMusicVoiceVolume(int volume) { zep_music_volume(volume); }
