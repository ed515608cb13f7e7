// The voices over SDL_mixer 1.2 with Ogg Vorbis. SDL_mixer's own channel
// choice (reserved channels, groups) is never used: every voice starts on the
// channel the game's mixer names. An AudioSound is SDL_mixer's Mix_Chunk
// itself; music from memory needs its stream kept beside it.
#include "Platform/Audio.h"
#include <SDL_mixer.h>
#include <climits>
#include <cstdlib>

static_assert(AudioVolumeFull == MIX_MAX_VOLUME, "voice volumes are SDL_mixer's");

struct AudioMusic
{
	Mix_Music *music;
	SDL_RWops *stream;  // SDL_mixer 1.2 never frees it
};

static uint32_t bytespersecond;  // of the open device's samples

bool OpenAudioDevice(int channels)
{
	if (!(Mix_Init(MIX_INIT_OGG) & MIX_INIT_OGG)) return false;
	if (Mix_OpenAudio(22050, AUDIO_S16LSB, 2, 512) != 0) return false;
	int frequency = 0, outputs = 0;
	Uint16 format = 0;
	Mix_QuerySpec(&frequency, &format, &outputs);
	bytespersecond = (uint32_t)frequency * (uint32_t)outputs * (format & 0xFF) / 8;
	Mix_AllocateChannels(channels);
	return true;
}

void CloseAudioDevice()
{
	Mix_CloseAudio();
	// No Mix_Quit: SDL_mixer 1.2 frees its decoder state twice when it is
	// initialised again after one, and the decoders cost nothing to keep.
}

static SDL_RWops *OpenBytes(const void *data, size_t size)
{
	return size > INT_MAX ? nullptr : SDL_RWFromConstMem(data, (int)size);
}

AudioSound *DecodeSound(const void *data, size_t size)
{
	SDL_RWops *stream = OpenBytes(data, size);
	return stream ? (AudioSound *)Mix_LoadWAV_RW(stream, 1) : nullptr;
}

int32_t SoundLength(const AudioSound *sound)
{
	uint64_t bytes = ((const Mix_Chunk *)sound)->alen;
	return bytespersecond ? (int32_t)((bytes * 1000 + bytespersecond - 1) / bytespersecond) : 0;
}

void FreeSound(AudioSound *sound)
{
	Mix_FreeChunk((Mix_Chunk *)sound);
}

bool StartVoice(int channel, AudioSound *sound, int volume, int left, int right)
{
	Mix_Volume(channel, volume);
	Mix_SetPanning(channel, (Uint8)left, (Uint8)right);
	return Mix_PlayChannelTimed(channel, (Mix_Chunk *)sound, 0, -1) == channel;
}

void StopVoice(int channel)
{
	Mix_HaltChannel(channel);
}

AudioMusic *OpenMusic(const void *data, size_t size)
{
	AudioMusic *self = (AudioMusic *)calloc(1, sizeof(AudioMusic));
	if (!self) return nullptr;
	self->stream = OpenBytes(data, size);
	self->music = self->stream ? Mix_LoadMUS_RW(self->stream) : nullptr;
	if (self->music) return self;
	CloseMusic(self);
	return nullptr;
}

void CloseMusic(AudioMusic *self)
{
	if (self->music) Mix_FreeMusic(self->music);
	if (self->stream) SDL_FreeRW(self->stream);
	free(self);
}

void StartMusicVoice(AudioMusic *self, int fademilliseconds)
{
	// halted first: SDL_mixer 1.2 skips the fade of music started over paused music
	Mix_HaltMusic();
	Mix_FadeInMusic(self->music, -1, fademilliseconds);
}

void PauseMusicVoice()
{
	Mix_PauseMusic();
}

void SetMusicVoiceVolume(int volume)
{
	Mix_VolumeMusic(volume);
}
