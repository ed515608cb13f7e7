// The audio mixer under SDL's dummy driver, all in one process as the game
// runs it: channel layout and choice, volumes and panning, loading from bundle
// memory, the music, and a device closed and then failing to open again.
#include <SDL.h>
#include <dlfcn.h>
#include "BundleImage.h"
#include "Game/Game.h"
#include "Game/AudioMixer.h"

// Panning cannot be read back from SDL_mixer: the test's own Mix_SetPanning
// takes the mixer's calls, notes them and passes them on.
static std::vector<int> panned;
extern "C" int Mix_SetPanning(int channel, Uint8 left, Uint8 right)
{
	panned = {channel, left, right};
	auto real = (int (*)(int, Uint8, Uint8))dlsym(RTLD_NEXT, "Mix_SetPanning");
	return real(channel, left, right);
}

// SDL_mixer takes the oldest channel by its start time on SDL's clock: the
// test's own clock, moved by hand, gives each sound a start of its own.
static Uint32 ticks = 1000;
extern "C" Uint32 SDL_GetTicks(void) { return ticks; }

// 16-bit stereo PCM at 22050 Hz, silent: 20 seconds keep a channel busy for the whole test.
static std::vector<uint8_t> SilentWAV(uint32_t frames)
{
	const uint32_t header[11] = {0x46464952, 36 + 4 * frames, 0x45564157, 0x20746d66, 16, 0x00020001, 22050,
		22050 * 4, 0x00100004, 0x61746164, 4 * frames};  // "RIFF", "WAVE", "fmt ", PCM 2 x 16 bits, "data"
	std::vector<uint8_t> wav(44 + 4 * frames);
	memcpy(wav.data(), header, 44);
	return wav;
}

static Mix_Chunk *Chunk(const char *name) { return (Mix_Chunk *)PointerForKey(&game.audio.sounds, name); }

// What each of the 16 channels plays: '.' nothing, 'l' long, 'o' other.
static std::string Channels()
{
	std::string s;
	for (int c = 0; c < 16; c++) s += !Mix_Playing(c) ? '.' : Mix_GetChunk(c) == Chunk("Sounds/long") ? 'l' : 'o';
	return s;
}

// One test, as the game runs: opened, played, closed, then failing to open.
TEST(Audio, ChannelsVolumesPanningSoundsMusicAndNoDevice)
{
	AudioMixer *mixer = &game.audio;
	BundleImage image;
	for (const char *name : {"long", "other", "music"}) image.Add(name, 'S', SilentWAV(22050 * 20));
	image.Add("broken", 'S', {'R', 'I', 'F', 'F', 0, 0});
	LoadedBundle sounds(image.Build(1), "Sounds");
	game.resources = sounds.self;
	ASSERT_EQ(SDL_Init(SDL_INIT_AUDIO), 0) << SDL_GetError();
	ASSERT_TRUE(InitializeAudioMixer(mixer, 1, 15)) << Mix_GetError();
	ASSERT_TRUE(LoadSound(mixer, "Sounds/long") && LoadSound(mixer, "Sounds/other"));
	int frequency = 0, channels = 0;
	Uint16 format = 0;
	EXPECT_TRUE(Mix_QuerySpec(&frequency, &format, &channels) && frequency == 22050 && format == AUDIO_S16LSB && channels == 2);
	EXPECT_TRUE(Mix_AllocateChannels(-1) == 16 && Mix_GroupCount(0) == 15);
	PlaySound(mixer, "Sounds/long", 0.25f);
	EXPECT_EQ(panned, std::vector<int>({1, 255, 255}));
	PlaySoundInStereo(mixer, "Sounds/other", 0.0f, 0.5f);  // placed: full channel volume, panned
	EXPECT_EQ(panned, std::vector<int>({2, 0, 127}));
	PlaySoundInStereo(mixer, "Sounds/long", 1.01f, -1.0f);  // held at the ends, not taken modulo 256
	EXPECT_EQ(panned, std::vector<int>({3, 255, 0}));
	PlaySound(mixer, "Sounds/long", 0.0f);  // silent: takes no channel
	PlaySoundOnChannel(mixer, "Sounds/other", 0.5f, 0);
	PlaySoundOnChannel(mixer, "Sounds/long", 0.0f, 0);  // and stops nothing
	EXPECT_EQ(Channels(), "olol............");
	EXPECT_EQ(std::vector<int>({Mix_Volume(0, -1), Mix_Volume(1, -1), Mix_Volume(2, -1)}), std::vector<int>({64, 32, 128}));
	Mix_HaltChannel(2);
	ticks += 3;
	PlaySound(mixer, "Sounds/long", 0.7f);  // the gap is filled first; the channel keeps no volume over
	EXPECT_EQ(Mix_Volume(2, -1), 89);
	for (int i = 0; i < 12; i++) {
		ticks += 3;  // distinct start times: SDL_mixer breaks ties its own way
		PlaySound(mixer, "Sounds/long", 1.0f);
	}
	EXPECT_EQ(Channels(), "olllllllllllllll");
	PlaySound(mixer, "Sounds/other", 1.0f);  // a full pool cuts off the oldest, never channel 0
	PlaySound(mixer, "Sounds/other", 1.0f);
	PlaySoundOnChannel(mixer, "Sounds/long", 1.0f, 0);  // and a shot cuts off the one before
	EXPECT_EQ(Channels(), "lolo" + std::string(12, 'l'));

	Mix_Chunk *before = Chunk("Sounds/long");
	EXPECT_TRUE(LoadSound(mixer, "Sounds/long") && Chunk("Sounds/long") == before);
	for (const char *name : {"Sounds/nothere", "Sounds/broken"}) {
		EXPECT_FALSE(LoadSound(mixer, name));
		PlaySound(mixer, name, 1.0f);
		PlaySoundOnChannel(mixer, name, 1.0f, 0);
	}
	FlushLoadedSounds(mixer);
	PlaySound(mixer, "Sounds/long", 1.0f);
	EXPECT_EQ(Channels(), "................");
	EXPECT_TRUE(LoadMusic(mixer, "Sounds/music"));
	SetMusicVolume(mixer, 0.7f);
	EXPECT_EQ(Mix_VolumeMusic(-1), 89);
	PlayMusic(mixer);
	PauseMusic(mixer);
	EXPECT_TRUE(Mix_PausedMusic());
	PlayMusic(mixer);  // from the start, fading in again
	EXPECT_TRUE(Mix_PlayingMusic() && !Mix_PausedMusic() && Mix_FadingMusic() == MIX_FADING_IN);
	EXPECT_FALSE(LoadMusic(mixer, "Sounds/nothere"));
	EXPECT_EQ(mixer->music, nullptr);

	// closed and failing to open again: every operation must be harmless
	CleanupAudioMixer(mixer);
	SDL_QuitSubSystem(SDL_INIT_AUDIO);
	setenv("SDL_AUDIODRIVER", "no such driver", 1);
	memset((void *)mixer, 0xAB, sizeof *mixer);  // whatever was there before
	EXPECT_FALSE(InitializeAudioMixer(mixer, 1, 15) || Mix_QuerySpec(nullptr, nullptr, nullptr));
	EXPECT_FALSE(LoadSound(mixer, "Sounds/long") || LoadMusic(mixer, "Sounds/music"));
	PlaySound(mixer, "Sounds/long", 1.0f);  // once a crash inside SDL_mixer
	PlaySoundInStereo(mixer, "Sounds/long", 0.2f, 0.8f);
	PlaySoundOnChannel(mixer, "Sounds/long", 1.0f, 0);
	PlayMusic(mixer);
	PauseMusic(mixer);
	SetMusicVolume(mixer, 0.5f);
	CleanupAudioMixer(mixer);
	SDL_Quit();
}
