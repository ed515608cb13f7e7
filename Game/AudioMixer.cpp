// The mixer's policy, the same on every platform: which channel a sound
// takes, when a channel is free again, volumes and panning, and the music's
// fade; the platform plays what it is told (Platform/Audio.h). Sound effects
// are decoded once from the bundle memory; the music is decoded from it while
// it plays, so the bundles must outlive it (they live for the whole run).
// Needs Platform/Audio.h, Platform/Time.h and Platform/ResourceBundle.h.
#include "Game/AudioMixer.h"
#include "Game/Game.h"
#include "Platform/ResourceBundle.h"
#include "Platform/Time.h"

constexpr int MusicFadeInMilliseconds = 1000;

// Milliseconds modulo 2^32, as SDL's own clock counts them.
static uint32_t Now()
{
	return (uint32_t)(GetTicks() * 1000 / (uint64_t)TicksPerSecond());
}

// Volumes truncate to 0..AudioVolumeFull (0.25 gives 32, 0.7 gives 89) and
// panning levels to 0..AudioLevelFull. Values outside 0..1 are held at the
// ends: a negative volume would ask a platform to report instead of set, and
// a level taken modulo 256 would turn 1.01 nearly silent.
static int MixerVolumeForVolume(float volume)
{
	return !(volume > 0.0f) ? 0 : volume >= 1.0f ? AudioVolumeFull : (int)(volume * AudioVolumeFull);
}

static int PanningLevelForVolume(float volume)
{
	return !(volume > 0.0f) ? 0 : volume >= 1.0f ? AudioLevelFull : (int)(volume * AudioLevelFull);
}

bool InitializeAudioMixer(AudioMixer *self, int dedicatedchannels, int freechannels)
{
	self->music = nullptr;
	InitHashTable(&self->sounds);
	for (AudioChannel &channel : self->channels) channel = {nullptr, 0};
	self->dedicated = self->count = 0;
	self->open = false;
	if (dedicatedchannels < 0 || freechannels < 0 || dedicatedchannels + freechannels > MaximumAudioChannels) return false;
	if (!OpenAudioDevice(dedicatedchannels + freechannels)) return false;
	self->dedicated = dedicatedchannels;
	self->count = dedicatedchannels + freechannels;
	self->open = true;
	return true;
}

static void FreeMusic(AudioMixer *self)
{
	if (self->music) CloseMusic(self->music);
	self->music = nullptr;
}

void CleanupAudioMixer(AudioMixer *self)
{
	FlushLoadedSounds(self);
	CleanupHashTable(&self->sounds);
	FreeMusic(self);
	if (self->open) CloseAudioDevice();
	self->open = false;
}

bool LoadSound(AudioMixer *self, const char *filename)
{
	if (IsKeyInTable(&self->sounds, filename)) return true;
	size_t size = 0;
	const void *data = DataForResourceWithName(game.resources, filename, &size);
	if (!self->open || !data) return false;
	AudioSound *sound = DecodeSound(data, size);
	if (!sound) return false;
	if (!AddPointerWithKey(&self->sounds, sound, filename)) {
		FreeSound(sound);
		return false;
	}
	return true;
}

static void FreeSoundInTable(void *sound, const char *)
{
	FreeSound((AudioSound *)sound);
}

void FlushLoadedSounds(AudioMixer *self)
{
	// every sound goes, so every channel stops
	for (int i = 0; i < self->count; i++)
		if (self->channels[i].sound) StopVoice(i);
	for (AudioChannel &channel : self->channels) channel.sound = nullptr;
	CleanupHashTableWithCallback(&self->sounds, FreeSoundInTable);
	InitHashTable(&self->sounds);
}

bool IsChannelPlaying(const AudioMixer *self, int channel)
{
	if (channel < 0 || channel >= self->count) return false;
	const AudioChannel *c = &self->channels[channel];
	if (!c->sound) return false;
	int32_t length = SoundLength(c->sound);
	return length < 0 || Now() - c->start < (uint32_t)length;  // not yet known: still playing
}

// The lowest free pool channel, else the one playing longest; of equal ages
// the higher channel, as SDL_mixer's Mix_GroupOldest breaks the tie.
static int ChoosePoolChannel(const AudioMixer *self)
{
	int oldest = -1;
	uint32_t now = Now(), oldestage = 0;
	for (int i = self->dedicated; i < self->count; i++) {
		if (!IsChannelPlaying(self, i)) return i;
		uint32_t age = now - self->channels[i].start;
		if (oldest < 0 || age >= oldestage) {
			oldest = i;
			oldestage = age;
		}
	}
	return oldest;
}

void PlaySoundInStereo(AudioMixer *self, const char *filename, float leftvolume, float rightvolume)
{
	PlaySoundInStereoOnChannel(self, filename, leftvolume, rightvolume, ChoosePoolChannel(self));
}

void PlaySoundInStereoOnChannel(AudioMixer *self, const char *filename, float leftvolume, float rightvolume, int channel)
{
	if ((leftvolume == 0.0f && rightvolume == 0.0f) || !self->open) return;
	AudioSound *sound = (AudioSound *)PointerForKey(&self->sounds, filename);
	if (!sound || channel < 0 || channel >= self->count) return;
	// A centred sound is a channel volume unpanned; a placed one is full
	// volume panned. Set on every play, so no channel carries one over.
	bool centred = leftvolume == rightvolume;
	int volume = centred ? MixerVolumeForVolume(leftvolume) : AudioVolumeFull;
	int left = centred ? AudioLevelFull : PanningLevelForVolume(leftvolume);
	int right = centred ? AudioLevelFull : PanningLevelForVolume(rightvolume);
	if (StartVoice(channel, sound, volume, left, right)) self->channels[channel] = {sound, Now()};
}

bool LoadMusic(AudioMixer *self, const char *filename)
{
	FreeMusic(self);
	size_t size = 0;
	const void *data = DataForResourceWithName(game.resources, filename, &size);
	if (!self->open || !data) return false;
	self->music = OpenMusic(data, size);
	return self->music != nullptr;
}

void PlayMusic(AudioMixer *self)
{
	if (self->music && self->open) StartMusicVoice(self->music, MusicFadeInMilliseconds);
}

void PauseMusic(AudioMixer *self)
{
	if (self->open) PauseMusicVoice();
}

void SetMusicVolume(AudioMixer *self, float volume)
{
	if (self->open) SetMusicVoiceVolume(MixerVolumeForVolume(volume));
}
