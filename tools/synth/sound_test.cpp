// The rendered sounds and music: they decode through SDL_mixer as the game
// loads them, never clip, start and end at silence (the music instead runs
// on into its own start), and come out byte for byte the same every time.
#include <gtest/gtest.h>
#include <SDL.h>
#include <SDL_mixer.h>
#include <cmath>
#include <fstream>
#include <sstream>
#include "tools/synth/Synth.h"

namespace {

const char *const Effects[8] = {"bulletcontact", "dash", "enemybullet", "enemyexplode", "health", "zorvabullet", "pichun", "points"};

std::vector<uint8_t> ReadFile(const std::string &path)
{
	std::ifstream in(path, std::ios::binary);
	return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string Built(const std::string &name) { return std::string(ZEP_SOUND_DIR) + "/" + name + ".ogg"; }

std::string Source(const std::string &name)
{
	std::string dir = name == "oladventure" ? "/assets/music/" : "/assets/sounds/";
	return std::string(ZEP_SOURCE_DIR) + dir + name + ".txt";
}

std::vector<float> Decode(const std::string &name, int *channels, int *rate)
{
	std::vector<float> samples;
	EXPECT_TRUE(DecodeOggVorbis(ReadFile(Built(name)), &samples, channels, rate)) << name;
	return samples;
}

TEST(Sounds, SDLMixerLoadsEveryFileFromMemory)
{
	ASSERT_EQ(SDL_Init(SDL_INIT_AUDIO), 0);
	ASSERT_EQ(Mix_OpenAudio(22050, AUDIO_S16LSB, 2, 512), 0) << Mix_GetError();
	for (const char *name : Effects) {
		std::vector<uint8_t> file = ReadFile(Built(name));
		Mix_Chunk *chunk = Mix_LoadWAV_RW(SDL_RWFromConstMem(file.data(), (int)file.size()), 1);
		ASSERT_NE(chunk, nullptr) << name << ": " << Mix_GetError();
		EXPECT_GT(chunk->alen, 22050u * 4 / 40) << name;  // at least a fortieth of a second
		EXPECT_LE(chunk->alen, 22050u * 4) << name;       // at most a second
		Mix_FreeChunk(chunk);
	}
	std::vector<uint8_t> music = ReadFile(Built("oladventure"));
	SDL_RWops *stream = SDL_RWFromConstMem(music.data(), (int)music.size());
	Mix_Music *m = Mix_LoadMUS_RW(stream);
	EXPECT_NE(m, nullptr) << Mix_GetError();
	if (m) Mix_FreeMusic(m);
	SDL_FreeRW(stream);
	Mix_CloseAudio();
	SDL_Quit();
}

TEST(Sounds, NothingClipsAndEffectsBeginAndEndInSilence)
{
	const float limit = std::pow(10.0f, -1.0f / 20);  // -1 dBFS
	for (const char *name : Effects) {
		int channels, rate;
		std::vector<float> s = Decode(name, &channels, &rate);
		ASSERT_FALSE(s.empty()) << name;
		EXPECT_EQ(rate, 22050) << name;
		float peak = 0;
		for (float v : s) peak = std::max(peak, std::fabs(v));
		EXPECT_LT(peak, limit) << name;
		// the render ends exactly at zero; the lossy codec leaves a faint ring
		EXPECT_LT(std::fabs(s.front()), 0.05f) << name;
		EXPECT_LT(std::fabs(s.back()), 0.05f) << name;
	}
}

TEST(Sounds, MusicIsLongEnoughAndItsEndJoinsItsStart)
{
	int channels, rate;
	std::vector<float> s = Decode("oladventure", &channels, &rate);
	ASSERT_EQ(channels, 2);
	EXPECT_GE(s.size() / 2 / (size_t)rate, 60u);
	float peak = 0, largeststep = 0;
	for (size_t i = 0; i < s.size(); i++) {
		peak = std::max(peak, std::fabs(s[i]));
		if (i >= 2) largeststep = std::max(largeststep, std::fabs(s[i] - s[i - 2]));
	}
	EXPECT_LT(peak, std::pow(10.0f, -1.0f / 20));
	// the step from the last frame back to the first is no larger than the
	// music makes anywhere else
	for (int c = 0; c < 2; c++) EXPECT_LE(std::fabs(s[c] - s[s.size() - 2 + c]), largeststep);
}

TEST(Sounds, RenderingTwiceGivesTheSameBytes)
{
	for (const char *name : {"pichun", "enemyexplode", "oladventure"}) {
		std::stringstream text;
		text << std::ifstream(Source(name)).rdbuf();
		std::vector<uint8_t> runs[2];
		for (auto &bytes : runs) {
			Score score;
			InitializeScore(&score);
			std::string error;
			ASSERT_TRUE(ParseScore(&score, text.str(), name, &error)) << error;
			std::vector<float> samples = RenderScore(&score);
			bytes = EncodeOggVorbis(samples.data(), (int64_t)samples.size() / score.channels, score.channels, score.rate,
				score.quality, score.seed);
		}
		EXPECT_EQ(runs[0], runs[1]) << name;
		EXPECT_EQ(runs[0], ReadFile(Built(name))) << name;
	}
}

TEST(Sounds, RecipeMistakesNameTheLine)
{
	Score score;
	InitializeScore(&score);
	std::string error;
	EXPECT_FALSE(ParseScore(&score, "instrument a\nwave sine\nend\nplay 0 h9 0.1 a\n", "bad.txt", &error));
	EXPECT_NE(error.find("bad.txt:4"), std::string::npos) << error;
}

}  // namespace
