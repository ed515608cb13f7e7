// The audio layer over SDL_mixer 1.2. Sound effects are decoded once from the
// bundle memory into SDL_mixer's own; the music is decoded from the bundle
// memory while it plays, so the bundles must outlive it (they live for the
// whole run). Needs SDL_mixer with Ogg Vorbis, and Platform/ResourceBundle.h.
#include "Game/AudioMixer.h"
#include "Game/Game.h"
#include "Platform/ResourceBundle.h"

static bool IsAudioOpen()
{
	return Mix_QuerySpec(nullptr, nullptr, nullptr) != 0;
}

bool InitializeAudioMixer(AudioMixer *self, int dedicatedchannels, int freechannels)
{
	self->music = nullptr;
	self->musicstream = nullptr;
	InitHashTable(&self->sounds);
	if (!(Mix_Init(MIX_INIT_OGG) & MIX_INIT_OGG)) return false;
	if (Mix_OpenAudio(22050, AUDIO_S16LSB, 2, 512) != 0) return false;
	Mix_AllocateChannels(dedicatedchannels + freechannels);
	Mix_ReserveChannels(dedicatedchannels);
	Mix_GroupChannels(dedicatedchannels, dedicatedchannels + freechannels - 1, 0);
	return true;
}

static void FreeMusic(AudioMixer *self)
{
	if (self->music) Mix_FreeMusic(self->music);
	if (self->musicstream) SDL_FreeRW(self->musicstream);
	self->music = nullptr;
	self->musicstream = nullptr;
}

void CleanupAudioMixer(AudioMixer *self)
{
	FlushLoadedSounds(self);
	CleanupHashTable(&self->sounds);
	FreeMusic(self);
	Mix_CloseAudio();
	// No Mix_Quit: SDL_mixer 1.2 frees its decoder state twice when it is
	// initialised again after one, and the decoders cost nothing to keep.
}

// A read-only stream over a resource's bytes in the bundle, or null.
static SDL_RWops *OpenResource(const char *filename)
{
	size_t size = 0;
	const void *data = DataForResourceWithName(game.resources, filename, &size);
	if (!data || size > INT32_MAX) return nullptr;
	return SDL_RWFromConstMem(data, (int)size);
}

bool LoadSound(AudioMixer *self, const char *filename)
{
	if (IsKeyInTable(&self->sounds, filename)) return true;
	if (!IsAudioOpen()) return false;
	SDL_RWops *stream = OpenResource(filename);
	if (!stream) return false;
	Mix_Chunk *chunk = Mix_LoadWAV_RW(stream, 1);
	if (!chunk) return false;
	if (!AddPointerWithKey(&self->sounds, chunk, filename)) {
		Mix_FreeChunk(chunk);
		return false;
	}
	return true;
}

static void FreeChunk(void *chunk, const char *)
{
	Mix_FreeChunk((Mix_Chunk *)chunk);
}

void FlushLoadedSounds(AudioMixer *self)
{
	CleanupHashTableWithCallback(&self->sounds, FreeChunk);
	InitHashTable(&self->sounds);
}

// The channel is picked before the sound is looked up: a request for a
// sound that is not loaded costs only the choice.
void PlaySoundInStereo(AudioMixer *self, const char *filename, float leftvolume, float rightvolume)
{
	if (!IsAudioOpen()) return;  // SDL_mixer's channel calls need an open device
	int channel = Mix_GroupAvailable(0);
	if (channel == -1) channel = Mix_GroupOldest(0);
	PlaySoundInStereoOnChannel(self, filename, leftvolume, rightvolume, channel);
}

void PlaySoundInStereoOnChannel(AudioMixer *self, const char *filename, float leftvolume, float rightvolume, int channel)
{
	if ((leftvolume == 0.0f && rightvolume == 0.0f) || !IsAudioOpen()) return;
	Mix_Chunk *chunk = (Mix_Chunk *)PointerForKey(&self->sounds, filename);
	if (!chunk || channel < 0) return;
	// Set before every play, so that no channel carries a volume over.
	if (leftvolume == rightvolume) {
		Mix_Volume(channel, MixerVolumeForVolume(leftvolume));
		Mix_SetPanning(channel, 255, 255);
	} else {
		Mix_Volume(channel, MIX_MAX_VOLUME);
		Mix_SetPanning(channel, PanningLevelForVolume(leftvolume), PanningLevelForVolume(rightvolume));
	}
	Mix_PlayChannelTimed(channel, chunk, 0, -1);
}

bool LoadMusic(AudioMixer *self, const char *filename)
{
	FreeMusic(self);
	if (!IsAudioOpen()) return false;
	self->musicstream = OpenResource(filename);
	if (!self->musicstream) return false;
	self->music = Mix_LoadMUS_RW(self->musicstream);
	if (!self->music) FreeMusic(self);
	return self->music != nullptr;
}

void PlayMusic(AudioMixer *self)
{
	if (!self->music || !IsAudioOpen()) return;
	// a paused player would keep the new start paused and skip its fade
	Mix_HaltMusic();
	Mix_ResumeMusic();
	Mix_FadeInMusic(self->music, -1, 1000);
}

void PauseMusic(AudioMixer *)
{
	if (IsAudioOpen()) Mix_PauseMusic();
}

void SetMusicVolume(AudioMixer *, float volume)
{
	if (IsAudioOpen()) Mix_VolumeMusic(MixerVolumeForVolume(volume));
}
