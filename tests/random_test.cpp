// taus88 against a reference model of its three words, the seeding and the
// draws built on it.
#include <gtest/gtest.h>
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
	bool IsTheState() const { return s1 == a && s2 == b && s3 == c; }
};

uint32_t Lcg(uint32_t x, uint32_t m, uint32_t k, uint32_t bit) { return (x * m + k) | bit; }

}  // namespace

// First in the file: nothing may have drawn or seeded before.
TEST(Random, StartsFromTheBuiltInStateAndFollowsTheModel)
{
	Model m = {0xC7FF5F16u, 0x0DC556AEu, 0x78010089u};
	EXPECT_TRUE(m.IsTheState());
	EXPECT_EQ(RandomInteger(), 0x28B30E3Eu);
	m.Next();
	for (int i = 0; i < 10000; i++) ASSERT_EQ(RandomInteger(), m.Next());
}

TEST(Random, SeedsOfEveryKindGiveTheModelsWords)
{
	std::mt19937_64 rng(5);
	for (int i = 0; i < 2000; i++) {
		uint64_t seed = i ? rng() >> (i % 64) : 0;
		uint32_t a = (uint32_t)(seed >> 32), b = (uint32_t)seed;
		SeedRandom(b);
		Model m = {Lcg(b, 1664525u, 1013904223u, 0x10), Lcg(b, 1103515245u, 12345u, 0x1000), Lcg(b, 214013u, 2531011u, 0x100000)};
		ASSERT_TRUE(m.IsTheState()) << b;
		SeedRandom64(seed);
		Model w = {Lcg(a, 1664525u, 1013904223u, 0x10), Lcg(b, 1103515245u, 12345u, 0x1000),
			Lcg(a ^ b, 214013u, 2531011u, 0x100000)};
		ASSERT_TRUE(w.IsTheState()) << seed;
		ASSERT_EQ(RandomInteger(), w.Next()) << seed;
	}
}

// Each draw consumes what it should and maps the model's words as written;
// a range from -20 wraps as unsigned arithmetic.
TEST(Random, DrawsAreTheModelsWordsMapped)
{
	std::mt19937 rng(9);
	SeedRandom(77);
	Model m = {s1, s2, s3};
	for (int i = 0; i < 20000; i++) {
		uint32_t low = rng() % 300, span = rng() % 300;
		ASSERT_EQ(RandomIntegerInRange(low, low + span), m.Next() % (span + 1) + low);
		ASSERT_EQ((int)RandomIntegerInRange((uint32_t)-20, 20), (int)(m.Next() % 41) - 20);
		ASSERT_EQ(RandomFloat(), (float)(m.Next() / 4294967296.0));
		ASSERT_EQ(RandomDouble(), m.Next() * 2.3283064365386963e-10);
		uint32_t a = m.Next() >> 5, b = m.Next() >> 6;
		ASSERT_EQ(PreciseRandomDouble(), (a * 67108864.0 + b) / 9007199254740992.0);
	}
	EXPECT_TRUE(m.IsTheState());
}
