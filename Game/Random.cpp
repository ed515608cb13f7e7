// taus88 (L'Ecuyer 1996): three Tausworthe components combined by XOR, period
// about 2^88. All arithmetic is on unsigned 32-bit words, shifts logical.
#include "Game/Random.h"

uint32_t s1 = 0xC7FF5F16u, s2 = 0x0DC556AEu, s3 = 0x78010089u;

// Each word from one step of a different linear congruential generator, with
// one bit forced on so that no component starts at zero.
void SeedRandom(uint32_t seed)
{
	s1 = (seed * 1664525u + 1013904223u) | 0x10u;
	s2 = (seed * 1103515245u + 12345u) | 0x1000u;
	s3 = (seed * 214013u + 2531011u) | 0x100000u;
}

void SeedRandom64(uint64_t seed)
{
	uint32_t a = (uint32_t)(seed >> 32), b = (uint32_t)seed;
	s1 = (a * 1664525u + 1013904223u) | 0x10u;
	s2 = (b * 1103515245u + 12345u) | 0x1000u;
	s3 = ((a ^ b) * 214013u + 2531011u) | 0x100000u;
}

uint32_t RandomInteger()
{
	s1 = ((s1 ^ (s1 << 13)) >> 19) ^ ((s1 & 0xFFFFFFFEu) << 12);
	s2 = ((s2 ^ (s2 << 2)) >> 25) ^ ((s2 & 0xFFFFFFF8u) << 4);
	s3 = ((s3 ^ (s3 << 3)) >> 11) ^ ((s3 & 0xFFFFFFF0u) << 17);
	return s1 ^ s2 ^ s3;
}

// The modulo bias is accepted: the game's ranges are tiny next to 2^32.
uint32_t RandomIntegerInRange(uint32_t low, uint32_t high)
{
	return RandomInteger() % (high - low + 1u) + low;
}

float RandomFloat()
{
	return (float)((double)RandomInteger() / 4294967296.0);
}

double RandomDouble()
{
	return RandomInteger() * 2.3283064365386963e-10;
}

double PreciseRandomDouble()
{
	uint32_t a = RandomInteger() >> 5;
	uint32_t b = RandomInteger() >> 6;
	return (a * 67108864.0 + b) / 9007199254740992.0;
}
