// The audio mixer under SDL's dummy audio driver: channel layout and choice,
// the reserved channel, volumes, loading from bundle memory, the music, and
// a device that could not be opened.
#include <SDL.h>
#include <cstdlib>
#include <string>
#include "BundleImage.h"
#include "GameFixture.h"
#include "Game/AudioMixer.h"
#include "Platform/ResourceBundle.h"

namespace {

// Sounds long enough to keep their channels busy for the whole test.
std::vector<uint8_t> SoundBundle()
{
	BundleImage image;
	image.Add("long", 'S', MakeWAV(22050 * 20));
	image.Add("other", 'S', MakeWAV(22050 * 20));
	image.Add("music", 'S', MakeWAV(22050 * 20));
	image.Add("broken", 'S', {'R', 'I', 'F', 'F', 0, 0});
	return image.Build();
}

int CountKeys(HashTable *table, const char *key)
{
	int n = 0;
	for (const HashTableEntry &e : table->table) n += e.key && std::string(e.key) == key;
	return n;
}

}  // namespace

TEST(AudioVolumes, ConversionsTruncateAndClamp)
{
	EXPECT_EQ(MixerVolumeForVolume(0.25f), 32);
	EXPECT_EQ(MixerVolumeForVolume(0.5f), 64);
	EXPECT_EQ(MixerVolumeForVolume(0.7f), 89);
	EXPECT_EQ(MixerVolumeForVolume(1.0f), 128);
	EXPECT_EQ(MixerVolumeForVolume(0.0f), 0);
	EXPECT_EQ(MixerVolumeForVolume(-0.5f), 0);  // never -1, which only asks
	EXPECT_EQ(MixerVolumeForVolume(3.0f), 128);
	EXPECT_EQ(PanningLevelForVolume(0.5f), 127);
	EXPECT_EQ(PanningLevelForVolume(1.0f), 255);
	EXPECT_EQ(PanningLevelForVolume(0.0f), 0);
	EXPECT_EQ(PanningLevelForVolume(1.01f), 255);  // not 257 mod 256
	EXPECT_EQ(PanningLevelForVolume(-1.0f), 0);
}

class Audio : public GameFixture
{
protected:
	std::vector<uint8_t> file = SoundBundle();
	AudioMixer *mixer = &game.audio;
	void SetUp() override
	{
		GameFixture::SetUp();
		ASSERT_TRUE(FixUpBundleImage(file, "Sounds"));
		game.resources = (ResourceBundle *)file.data();
		ASSERT_EQ(SDL_Init(SDL_INIT_AUDIO), 0) << SDL_GetError();
		ASSERT_TRUE(InitializeAudioMixer(mixer, 1, 15)) << Mix_GetError();
		ASSERT_TRUE(LoadSound(mixer, "Sounds/long"));
		ASSERT_TRUE(LoadSound(mixer, "Sounds/other"));
	}
	void TearDown() override
	{
		CleanupAudioMixer(mixer);
		SDL_Quit();
		GameFixture::TearDown();
	}
	Mix_Chunk *Chunk(const char *name) { return (Mix_Chunk *)PointerForKey(&mixer->sounds, name); }
	int Playing()
	{
		int n = 0;
		for (int c = 0; c < 16; c++) n += Mix_Playing(c) != 0;
		return n;
	}
};

TEST_F(Audio, LayoutIsOneReservedAndFifteenPooled)
{
	int frequency = 0, channels = 0;
	Uint16 format = 0;
	ASSERT_NE(Mix_QuerySpec(&frequency, &format, &channels), 0);
	EXPECT_EQ(frequency, 22050);
	EXPECT_EQ(format, 0x8010);
	EXPECT_EQ(channels, 2);
	EXPECT_EQ(Mix_AllocateChannels(-1), 16);
	EXPECT_EQ(Mix_GroupCount(0), 15);
	EXPECT_EQ(Mix_GroupAvailable(0), 1);
}

TEST_F(Audio, PoolTakesTheLowestFreeChannelsInOrder)
{
	PlaySound(mixer, "Sounds/long", 1.0f);
	PlaySound(mixer, "Sounds/other", 1.0f);
	PlaySound(mixer, "Sounds/long", 1.0f);
	EXPECT_FALSE(Mix_Playing(0));
	EXPECT_TRUE(Mix_Playing(1));
	EXPECT_TRUE(Mix_Playing(2));
	EXPECT_TRUE(Mix_Playing(3));
	EXPECT_FALSE(Mix_Playing(4));
	EXPECT_EQ(Mix_GetChunk(2), Chunk("Sounds/other"));
	Mix_HaltChannel(2);
	PlaySound(mixer, "Sounds/other", 1.0f);  // the gap is filled first
	EXPECT_TRUE(Mix_Playing(2));
	EXPECT_FALSE(Mix_Playing(4));
}

TEST_F(Audio, FullPoolCutsOffTheOldest)
{
	for (int i = 0; i < 15; i++) {
		PlaySound(mixer, "Sounds/long", 1.0f);
		SDL_Delay(3);  // distinct start times: SDL_mixer breaks ties its own way
	}
	EXPECT_EQ(Playing(), 15);
	EXPECT_FALSE(Mix_Playing(0));
	PlaySound(mixer, "Sounds/other", 1.0f);
	EXPECT_EQ(Mix_GetChunk(1), Chunk("Sounds/other"));
	SDL_Delay(3);
	PlaySound(mixer, "Sounds/other", 1.0f);
	EXPECT_EQ(Mix_GetChunk(2), Chunk("Sounds/other"));
	EXPECT_EQ(Mix_GetChunk(3), Chunk("Sounds/long"));
	EXPECT_FALSE(Mix_Playing(0));  // the reserved channel is never taken
}

TEST_F(Audio, ReservedChannelCutsOffEachPreviousShot)
{
	PlaySoundOnChannel(mixer, "Sounds/long", 0.25f, 0);
	EXPECT_TRUE(Mix_Playing(0));
	EXPECT_EQ(Mix_Volume(0, -1), 32);
	PlaySoundOnChannel(mixer, "Sounds/other", 0.5f, 0);
	EXPECT_EQ(Mix_GetChunk(0), Chunk("Sounds/other"));
	EXPECT_EQ(Mix_Volume(0, -1), 64);
	EXPECT_EQ(Playing(), 1);
	PlaySound(mixer, "Sounds/long", 1.0f);
	EXPECT_TRUE(Mix_Playing(1));
	EXPECT_EQ(Mix_GetChunk(0), Chunk("Sounds/other"));
}

TEST_F(Audio, VolumesAreSetBeforeEveryPlay)
{
	PlaySound(mixer, "Sounds/long", 0.25f);
	PlaySound(mixer, "Sounds/long", 0.7f);
	PlaySoundInStereo(mixer, "Sounds/long", 0.0f, 0.5f);  // placed: full channel volume
	EXPECT_EQ(Mix_Volume(1, -1), 32);
	EXPECT_EQ(Mix_Volume(2, -1), 89);
	EXPECT_EQ(Mix_Volume(3, -1), 128);
	PlaySoundOnChannel(mixer, "Sounds/long", 0.25f, 3);  // the channel keeps nothing over
	EXPECT_EQ(Mix_Volume(3, -1), 32);
}

TEST_F(Audio, SilentRequestsTakeNoChannelAndStopNothing)
{
	PlaySound(mixer, "Sounds/long", 0.0f);
	EXPECT_EQ(Playing(), 0);
	PlaySoundOnChannel(mixer, "Sounds/long", 0.5f, 0);
	PlaySoundOnChannel(mixer, "Sounds/other", 0.0f, 0);
	EXPECT_EQ(Mix_GetChunk(0), Chunk("Sounds/long"));
	EXPECT_EQ(Mix_Volume(0, -1), 64);
	EXPECT_EQ(Playing(), 1);
}

TEST_F(Audio, SoundsLoadOnceAndMissingOnesAreIgnored)
{
	Mix_Chunk *before = Chunk("Sounds/long");
	EXPECT_TRUE(LoadSound(mixer, "Sounds/long"));
	EXPECT_EQ(Chunk("Sounds/long"), before);
	EXPECT_EQ(CountKeys(&mixer->sounds, "Sounds/long"), 1);
	EXPECT_FALSE(LoadSound(mixer, "Sounds/nothere"));
	EXPECT_FALSE(LoadSound(mixer, "Sounds/broken"));
	EXPECT_FALSE(IsKeyInTable(&mixer->sounds, "Sounds/nothere"));
	EXPECT_FALSE(IsKeyInTable(&mixer->sounds, "Sounds/broken"));
	PlaySound(mixer, "Sounds/nothere", 1.0f);
	PlaySound(mixer, "Sounds/broken", 1.0f);
	PlaySoundOnChannel(mixer, "Sounds/nothere", 1.0f, 0);
	EXPECT_EQ(Playing(), 0);
}

TEST_F(Audio, FlushedSoundsNoLongerPlay)
{
	FlushLoadedSounds(mixer);
	EXPECT_FALSE(IsKeyInTable(&mixer->sounds, "Sounds/long"));
	PlaySound(mixer, "Sounds/long", 1.0f);
	EXPECT_EQ(Playing(), 0);
	EXPECT_TRUE(LoadSound(mixer, "Sounds/long"));  // and can be loaded again
}

TEST_F(Audio, MusicFadesInFromTheStartEachTime)
{
	EXPECT_TRUE(LoadMusic(mixer, "Sounds/music"));
	ASSERT_NE(mixer->music, nullptr);
	SetMusicVolume(mixer, 0.7f);
	EXPECT_EQ(Mix_VolumeMusic(-1), 89);
	PlayMusic(mixer);
	EXPECT_TRUE(Mix_PlayingMusic());
	EXPECT_EQ(Mix_FadingMusic(), MIX_FADING_IN);
	PauseMusic(mixer);
	EXPECT_TRUE(Mix_PausedMusic());
	PlayMusic(mixer);
	EXPECT_TRUE(Mix_PlayingMusic());
	EXPECT_FALSE(Mix_PausedMusic());
	EXPECT_EQ(Mix_FadingMusic(), MIX_FADING_IN);
	EXPECT_TRUE(LoadMusic(mixer, "Sounds/music"));  // replaces the old one
	EXPECT_FALSE(LoadMusic(mixer, "Sounds/nothere"));
	EXPECT_EQ(mixer->music, nullptr);
	PlayMusic(mixer);  // nothing to play: harmless
}

// No device: every operation must be harmless.
TEST(AudioWithoutDevice, EverythingIsHarmless)
{
	BundleImage image;
	image.Add("long", 'S', MakeWAV(2205));
	std::vector<uint8_t> file = image.Build();
	ASSERT_TRUE(FixUpBundleImage(file, "Sounds"));
	game.resources = (ResourceBundle *)file.data();
	setenv("SDL_AUDIODRIVER", "no such driver", 1);
	SDL_Init(SDL_INIT_AUDIO);  // whether or not SDL starts, the device cannot open
	AudioMixer mixer;
	memset((void *)&mixer, 0xAB, sizeof mixer);  // whatever was there before
	EXPECT_FALSE(InitializeAudioMixer(&mixer, 1, 15));
	EXPECT_EQ(mixer.music, nullptr);
	EXPECT_FALSE(LoadSound(&mixer, "Sounds/long"));
	EXPECT_FALSE(LoadMusic(&mixer, "Sounds/long"));
	PlaySound(&mixer, "Sounds/long", 1.0f);
	PlaySoundInStereo(&mixer, "Sounds/long", 0.2f, 0.8f);
	PlaySoundOnChannel(&mixer, "Sounds/long", 1.0f, 0);
	PlayMusic(&mixer);
	PauseMusic(&mixer);
	SetMusicVolume(&mixer, 0.5f);
	FlushLoadedSounds(&mixer);
	CleanupAudioMixer(&mixer);
	EXPECT_EQ(mixer.music, nullptr);
	EXPECT_EQ(Mix_QuerySpec(nullptr, nullptr, nullptr), 0);
	SDL_Quit();
	setenv("SDL_AUDIODRIVER", "dummy", 1);
}
