// The process-wide pseudo-random generator: L'Ecuyer's three-component
// Tausworthe generator taus88. The game never seeds it, so every run plays
// the same sequence for the same inputs. Needs nothing.
#pragma once
#include <cstdint>

// The state words, visible so that tests and tools can read or restore the
// sequence. Each must keep its significant bits non-zero: s1 > 1, s2 > 7,
// s3 > 15 (the seeding functions see to that).
extern uint32_t s1, s2, s3;

void SeedRandom(uint32_t seed);
void SeedRandom64(uint64_t seed);

uint32_t RandomInteger();
// Both ends included; high - low + 1 must not wrap to 0. A signed range works
// when passed as 32-bit patterns and the result is read as signed.
uint32_t RandomIntegerInRange(uint32_t low, uint32_t high);
float RandomFloat();           // [0, 1]: rounding to float can give 1.0
double RandomDouble();         // [0, 1), 32 random bits
double PreciseRandomDouble();  // [0, 1), 53 random bits, two draws
