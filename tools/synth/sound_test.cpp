// A sound and the music render byte for byte as built, and never clip.
#include <gtest/gtest.h>
#include <cmath>
#include <fstream>
#include <sstream>
#include "tools/synth/Synth.h"

TEST(Sounds, RenderAsBuiltAndNeverClip)
{
	for (std::string name : {"pichun", "oladventure"}) {
		std::ifstream in(ZEP_SOUND_DIR "/" + name + ".ogg", std::ios::binary);
		std::stringstream text;
		text << std::ifstream(ZEP_SOURCE_DIR + std::string(name == "pichun" ? "/assets/sounds/" : "/assets/music/") + name + ".txt").rdbuf();
		Score score;
		InitializeScore(&score);
		std::string error;
		ASSERT_TRUE(ParseScore(&score, text.str(), name, &error)) << error;
		std::vector<float> samples = RenderScore(&score);
		for (float v : samples) ASSERT_LT(std::fabs(v), std::pow(10.0f, -1.0f / 20)) << name << " clips above -1 dBFS";
		EXPECT_EQ(EncodeOggVorbis(samples.data(), (int64_t)samples.size() / score.channels, score.channels, score.rate, score.quality, score.seed),
			std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>())) << name;
	}
}
