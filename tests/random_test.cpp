// taus88 against a reference model of its three words, the seeding and the
// draws built on it.
#include <gtest/gtest.h>
#include <algorithm>
#include <random>
#include "Game/Random.h"

namespace {

struct Model
{
	uint32_t a, b, c;
	uint32_t Next()
	{
		a = ((a ^ (a << 13)) >> 19) ^ ((a & 0xFFFFFFFEu) << 12);
		b = ((b ^ (b << 2)) >> 25) ^ ((b & 0xFFFFFFF8u) << 4);
		c = ((c ^ (c << 3)) >> 11) ^ ((c & 0xFFFFFFF0u) << 17);
		return a ^ b ^ c;
	}
	void ExpectState() const
	{
		EXPECT_EQ(s1, a);
		EXPECT_EQ(s2, b);
		EXPECT_EQ(s3, c);
	}
};

uint32_t Lcg(uint32_t x, uint32_t m, uint32_t k, uint32_t bit) { return (x * m + k) | bit; }

}  // namespace

// First in the file: nothing may have drawn or seeded before.
TEST(Random, StartsFromTheBuiltInStateAndFollowsTheModel)
{
	Model m = {0xC7FF5F16u, 0x0DC556AEu, 0x78010089u};
	m.ExpectState();
	for (uint32_t v : {0x28B30E3Eu, 0xD14FA71Fu, 0xBD1A165Cu}) EXPECT_EQ(RandomInteger(), v);
	m.Next(), m.Next(), m.Next();
	for (int i = 0; i < 10000; i++) ASSERT_EQ(RandomInteger(), m.Next());
	m.ExpectState();
}

TEST(Random, SeedsOfEveryKindGiveTheModelsWords)
{
	SeedRandom(0);
	Model{0x3C6EF35Fu, 0x00003039u, 0x00369EC3u}.ExpectState();
	std::mt19937_64 rng(5);
	for (int i = 0; i < 2000; i++) {
		uint64_t seed = rng() >> (i % 64);
		uint32_t a = (uint32_t)(seed >> 32), b = (uint32_t)seed;
		SeedRandom(b);
		Model m = {Lcg(b, 1664525u, 1013904223u, 0x10), Lcg(b, 1103515245u, 12345u, 0x1000),
			Lcg(b, 214013u, 2531011u, 0x100000)};
		m.ExpectState();
		SeedRandom64(seed);
		Model w = {Lcg(a, 1664525u, 1013904223u, 0x10), Lcg(b, 1103515245u, 12345u, 0x1000),
			Lcg(a ^ b, 214013u, 2531011u, 0x100000)};
		w.ExpectState();
		ASSERT_EQ(RandomInteger(), w.Next()) << seed;
	}
}

// Each draw consumes what it should and maps the model's words as written.
TEST(Random, DrawsAreTheModelsWordsMapped)
{
	std::mt19937 rng(9);
	SeedRandom(77);
	Model m = {s1, s2, s3};
	int lowest = 99, highest = 0, signedlow = 0, signedhigh = 0;
	for (int i = 0; i < 20000; i++) {
		uint32_t low = rng() % 300, span = rng() % 300;
		ASSERT_EQ(RandomIntegerInRange(low, low + span), m.Next() % (span + 1) + low);
		int v = (int)RandomIntegerInRange(10, 229);
		lowest = std::min(lowest, v), highest = std::max(highest, v);
		m.Next();
		int s = (int)RandomIntegerInRange((uint32_t)-20, 20);
		signedlow = std::min(signedlow, s), signedhigh = std::max(signedhigh, s);
		m.Next();
		ASSERT_EQ(RandomIntegerInRange(5, 5), 5u);
		m.Next();
		ASSERT_EQ(RandomFloat(), (float)(m.Next() / 4294967296.0));
		ASSERT_EQ(RandomDouble(), m.Next() * 2.3283064365386963e-10);
		uint32_t a = m.Next() >> 5, b = m.Next() >> 6;
		ASSERT_EQ(PreciseRandomDouble(), (a * 67108864.0 + b) / 9007199254740992.0);
	}
	EXPECT_EQ(lowest, 10);
	EXPECT_EQ(highest, 229);
	EXPECT_EQ(signedlow, -20);
	EXPECT_EQ(signedhigh, 20);
	m.ExpectState();
}
