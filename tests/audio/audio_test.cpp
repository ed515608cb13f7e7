// The mixer against the real SDL_mixer, all in one process as the game runs
// it: one call script goes through the game's mixer, which plays on the
// channels it chooses, while SDL_mixer, set up with the channel layout of the
// design (channel 0 reserved, 1 to 15 in group 0), says after every call which
// channel its own group calls would have chosen and which channels still play.
// SDL_mixer runs on the test's clock: it mixes exactly the samples of the
// time the test lets pass. Then volumes, loading, the music, and a device
// that cannot play Ogg Vorbis or cannot be opened.
#include <SDL.h>
#include <SDL_mixer.h>
#include <dlfcn.h>
#include <algorithm>
#include "BundleImage.h"
#include "Game/Game.h"
#include "Game/AudioMixer.h"

template <typename F> static F Real(const char *name) { return (F)dlsym(RTLD_NEXT, name); }

// SDL_mixer takes the oldest channel by its start time on SDL's clock, and
// ends a timed channel by it: the test's own clock, moved by hand.
static Uint32 ticks = 1000;
extern "C" Uint32 SDL_GetTicks(void) { return ticks; }

// The device plays silence; SDL_mixer's own mixing runs only when the test
// lets time pass (Pass), a device buffer of 512 frames a call as SDL would.
static void (*mixchannels)(void *, Uint8 *, int);
static void *mixuserdata;
static void Silence(void *, Uint8 *stream, int len) { memset(stream, 0, (size_t)len); }
extern "C" int SDL_OpenAudio(SDL_AudioSpec *desired, SDL_AudioSpec *obtained)
{
	mixchannels = desired->callback;
	mixuserdata = desired->userdata;
	SDL_AudioSpec spec = *desired;
	spec.callback = Silence;
	return Real<int (*)(SDL_AudioSpec *, SDL_AudioSpec *)>("SDL_OpenAudio")(&spec, obtained);
}

static uint64_t passed, mixed;  // milliseconds let pass, frames mixed
static void Pass(uint32_t ms)
{
	ticks += ms;
	passed += ms;
	static Uint8 buffer[512 * 4];
	for (uint64_t until = passed * 22050 / 1000; mixed < until;) {
		uint64_t frames = std::min<uint64_t>(512, until - mixed);
		memset(buffer, 0, sizeof buffer);
		mixchannels(mixuserdata, buffer, (int)frames * 4);
		mixed += frames;
	}
}

// The channel and panning of every voice started, and what Mix_Init grants
// (-1: what SDL_mixer grants).
static std::vector<int> started, panned;
static int granted = -1;
extern "C" int Mix_PlayChannelTimed(int channel, Mix_Chunk *chunk, int loops, int ticks)
{
	started.push_back(channel);
	return Real<int (*)(int, Mix_Chunk *, int, int)>("Mix_PlayChannelTimed")(channel, chunk, loops, ticks);
}
extern "C" int Mix_SetPanning(int channel, Uint8 left, Uint8 right)
{
	panned = {channel, left, right};
	return Real<int (*)(int, Uint8, Uint8)>("Mix_SetPanning")(channel, left, right);
}
extern "C" int Mix_Init(int flags)
{
	int real = Real<int (*)(int)>("Mix_Init")(flags);
	return granted < 0 ? real : granted;
}

// 16-bit stereo PCM at 22050 Hz, silent; a whole number of 20 ms is a whole number of frames.
static std::vector<uint8_t> SilentWAV(uint32_t ms)
{
	uint32_t frames = ms * 441 / 20;
	const uint32_t header[11] = {0x46464952, 36 + 4 * frames, 0x45564157, 0x20746d66, 16, 0x00020001, 22050,
		22050 * 4, 0x00100004, 0x61746164, 4 * frames};  // "RIFF", "WAVE", "fmt ", PCM 2 x 16 bits, "data"
	std::vector<uint8_t> wav(44 + 4 * frames);
	memcpy(wav.data(), header, 44);
	return wav;
}

static const char *const Names[4] = {"Sounds/short", "Sounds/medium", "Sounds/long", "Sounds/longest"};
static const uint32_t Lengths[4] = {60, 300, 1000, 2000};

struct Audio : testing::Test
{
	AudioMixer *mixer = &game.audio;
	BundleImage image;
	std::unique_ptr<LoadedBundle> bundle;

	void SetUp() override
	{
		for (int i = 0; i < 4; i++) image.Add(Names[i] + 7, 'S', SilentWAV(Lengths[i]));
		image.Add("music", 'S', SilentWAV(3000));
		image.Add("broken", 'S', {'R', 'I', 'F', 'F', 0, 0});
		bundle = std::make_unique<LoadedBundle>(image.Build(1), "Sounds");
		game.resources = bundle->self;
		ASSERT_EQ(SDL_Init(SDL_INIT_AUDIO), 0) << SDL_GetError();
	}
	void TearDown() override
	{
		CleanupAudioMixer(mixer);
		SDL_Quit();
	}
	// SDL_mixer's choice for a pool sound, by the design's layout
	static int Choice()
	{
		int channel = Mix_GroupAvailable(0);
		return channel >= 0 ? channel : Mix_GroupOldest(0);
	}
	// '.' silent, 'p' playing by both, '!' where they disagree
	std::string Channels() const
	{
		std::string s;
		for (int c = 0; c < 16; c++) s += Mix_Playing(c) != IsChannelPlaying(mixer, c) ? '!' : Mix_Playing(c) ? 'p' : '.';
		return s;
	}
	// The channel a sound was started on, or -1 for none.
	int Play(const char *name, float volume, int channel = -1)
	{
		started.clear();
		if (channel < 0) PlaySound(mixer, name, volume);
		else PlaySoundOnChannel(mixer, name, volume, channel);
		return started.empty() ? -1 : started.back();
	}
};

TEST_F(Audio, ChoosesTheChannelsSDLMixerWouldChooseAndFreesThemAtTheirLength)
{
	ASSERT_TRUE(InitializeAudioMixer(mixer, 1, 15)) << Mix_GetError();
	Mix_ReserveChannels(1);
	ASSERT_EQ(Mix_GroupChannels(1, 15, 0), 15);
	for (const char *name : Names) ASSERT_TRUE(LoadSound(mixer, name));
	// the design's cases, with their own expected channels
	EXPECT_EQ(Play("Sounds/short", 0.0f), -1);  // silent: takes nothing
	for (int i = 1; i <= 3; i++) EXPECT_EQ(Play("Sounds/short", 1.0f), i);
	EXPECT_EQ(Play("Sounds/long", 1.0f, 0), 0);  // a shot never takes a pool channel
	EXPECT_EQ(Play("Sounds/long", 0.0f, 0), -1);  // and a silent one stops nothing
	EXPECT_EQ(Channels(), "pppp............");
	Pass(40);
	EXPECT_EQ(Play("Sounds/medium", 1.0f), 4);
	Pass(20);  // the short sounds are over at 60 ms, not before
	EXPECT_EQ(Channels(), "p...p...........");
	EXPECT_EQ(Play("Sounds/long", 1.0f), 1);
	for (int i = 0; i < 13; i++) Play("Sounds/longest", 1.0f);
	Pass(20);
	EXPECT_EQ(Play("Sounds/longest", 1.0f), 4);  // all 15 busy: the oldest goes
	EXPECT_EQ(Play("Sounds/longest", 1.0f), 15);  // then of equal starts the higher channel, as SDL_mixer

	// A long script of plays and pauses, checked call by call against SDL_mixer.
	uint32_t state = 12345, freed = 0, cutoff = 0;
	auto random = [&state](uint32_t n) { return (state = state * 1103515245u + 12345u) / 65536 % n; };
	for (int step = 0; step < 2000; step++) {
		std::string before = Channels();
		Pass(random(2) ? 0 : 20 * random(6));
		std::string after = Channels();
		freed += (uint32_t)std::count(before.begin(), before.end(), 'p') - std::count(after.begin(), after.end(), 'p');
		const char *name = Names[random(4)];
		float volume = random(8) ? 0.25f * random(5) : 0.0f;
		int expected = volume == 0.0f ? -1 : Choice(), shot = random(6) == 0;
		cutoff += expected >= 0 && Mix_Playing(expected) && !shot;
		ASSERT_EQ(shot ? Play(name, volume, 0) : Play(name, volume), shot && volume != 0.0f ? 0 : expected) << step;
		ASSERT_EQ(Channels().find('!'), std::string::npos) << Channels() << " at " << step;
	}
	// the script has seen both ways of taking a channel, and sounds ending
	EXPECT_GT(cutoff, 100u);
	EXPECT_GT(freed, 500u);
}

TEST_F(Audio, SetsVolumesAndPanningLoadsOnceAndFadesTheMusicIn)
{
	ASSERT_TRUE(InitializeAudioMixer(mixer, 1, 15)) << Mix_GetError();
	int frequency = 0, channels = 0;
	Uint16 format = 0;
	EXPECT_TRUE(Mix_QuerySpec(&frequency, &format, &channels) && frequency == 22050 && format == 0x8010 && channels == 2);
	EXPECT_EQ(Mix_AllocateChannels(-1), 16);
	ASSERT_TRUE(LoadSound(mixer, "Sounds/long"));
	Play("Sounds/long", 0.25f);
	EXPECT_EQ(panned, std::vector<int>({1, 255, 255}));
	PlaySoundInStereo(mixer, "Sounds/long", 0.0f, 0.5f);  // placed: full channel volume, panned
	EXPECT_EQ(panned, std::vector<int>({2, 0, 127}));
	PlaySoundInStereo(mixer, "Sounds/long", 1.01f, -1.0f);  // held at the ends, not taken modulo 256
	EXPECT_EQ(panned, std::vector<int>({3, 255, 0}));
	Play("Sounds/long", 0.5f, 0);
	Play("Sounds/long", 0.7f, 4);
	EXPECT_EQ(std::vector<int>({Mix_Volume(0, -1), Mix_Volume(1, -1), Mix_Volume(2, -1), Mix_Volume(4, -1)}),
		std::vector<int>({64, 32, 128, 89}));
	Play("Sounds/long", 0.5f, 2);  // no channel keeps a volume over
	EXPECT_EQ(Mix_Volume(2, -1), 64);

	Mix_Chunk *before = (Mix_Chunk *)PointerForKey(&mixer->sounds, "Sounds/long");
	EXPECT_TRUE(LoadSound(mixer, "Sounds/long") && PointerForKey(&mixer->sounds, "Sounds/long") == before);
	for (const char *name : {"Sounds/nothere", "Sounds/broken"}) {
		EXPECT_FALSE(LoadSound(mixer, name));
		EXPECT_EQ(Play(name, 1.0f), -1);
		EXPECT_EQ(Play(name, 1.0f, 0), -1);
	}
	FlushLoadedSounds(mixer);  // every sound stops with it
	EXPECT_EQ(Mix_Playing(-1) + IsChannelPlaying(mixer, 0) + IsChannelPlaying(mixer, 1), 0);
	EXPECT_EQ(Play("Sounds/long", 1.0f), -1);

	// the music fades in over a second (SDL_mixer's steps of 23 ms), and
	// starts afresh after a pause
	EXPECT_TRUE(LoadMusic(mixer, "Sounds/music"));
	SetMusicVolume(mixer, 0.7f);
	EXPECT_EQ(Mix_VolumeMusic(-1), 89);
	for (int round = 0; round < 2; round++) {
		PlayMusic(mixer);
		Pass(980);
		EXPECT_TRUE(Mix_PlayingMusic() && !Mix_PausedMusic() && Mix_FadingMusic() == MIX_FADING_IN) << round;
		Pass(40);
		EXPECT_EQ(Mix_FadingMusic(), MIX_NO_FADING) << round;
		PauseMusic(mixer);
		Pass(500);
		EXPECT_TRUE(Mix_PausedMusic()) << round;
	}
	EXPECT_FALSE(LoadMusic(mixer, "Sounds/nothere"));
	EXPECT_EQ(mixer->music, nullptr);
}

// Without Ogg Vorbis, or without a device: every operation must be harmless.
TEST_F(Audio, RefusesADeviceWithoutOggVorbisOrNoDeviceAtAll)
{
	for (int failure = 0; failure < 2; failure++) {
		granted = failure == 0 ? MIX_INIT_FLAC | MIX_INIT_MOD | MIX_INIT_MP3 : -1;
		if (failure == 1) {
			SDL_QuitSubSystem(SDL_INIT_AUDIO);
			setenv("SDL_AUDIODRIVER", "no such driver", 1);
		}
		memset((void *)mixer, 0xAB, sizeof *mixer);  // whatever was there before
		started.clear();
		EXPECT_FALSE(InitializeAudioMixer(mixer, 1, 15)) << failure;
		EXPECT_FALSE(Mix_QuerySpec(nullptr, nullptr, nullptr)) << failure;
		EXPECT_FALSE(LoadSound(mixer, "Sounds/long") || LoadMusic(mixer, "Sounds/music")) << failure;
		PlaySound(mixer, "Sounds/long", 1.0f);  // once a crash inside SDL_mixer
		PlaySoundInStereo(mixer, "Sounds/long", 0.2f, 0.8f);
		PlaySoundOnChannel(mixer, "Sounds/long", 1.0f, 0);
		EXPECT_TRUE(started.empty()) << failure;
		PlayMusic(mixer);
		PauseMusic(mixer);
		SetMusicVolume(mixer, 0.5f);
		CleanupAudioMixer(mixer);
	}
	granted = -1;
	setenv("SDL_AUDIODRIVER", "dummy", 1);
}
