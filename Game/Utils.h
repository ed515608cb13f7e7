// Fixed-point and bit arithmetic shared by the object system and the game
// content, plus the assertion that stops the program on a broken invariant.
// Fixed-point numbers are int32_t with 12 fraction bits (0x1000 is one pixel);
// angles run 4096 to the full turn, 0 pointing right and 1024 down.
// Needs only the C runtime (sqrt, fprintf, abort).
#pragma once
#include <cmath>
#include <cstdint>

// Stays on in release builds: these are invariants whose breach would corrupt
// the pool or the lists, so continuing is never better than stopping.
[[noreturn]] void FailAssertion(const char *expression, const char *file, int line);
#define ASSERT(expression) ((expression) ? (void)0 : FailAssertion(#expression, __FILE__, __LINE__))

static inline int32_t FixedToInt(int32_t val) { return val >> 12; }

// Products are taken modulo 2^64 (unsigned, so the wrap is well defined) and
// then shifted arithmetically: the result rounds towards minus infinity.
static inline int64_t imul64(int64_t a, int64_t b)
{
	return (int64_t)((uint64_t)a * (uint64_t)b) >> 12;
}

static inline int32_t imul(int32_t a, int32_t b) { return (int32_t)imul64(a, b); }

// Truncates towards zero, unlike imul; den must not be 0.
static inline int64_t idiv64(int64_t num, int64_t den)
{
	return (int64_t)((uint64_t)num << 12) / den;
}

static inline int32_t idiv(int32_t num, int32_t den) { return (int32_t)idiv64(num, den); }

// Exact only for |val| <= 2965820 (about 724 pixels); see idistance.
static inline int32_t isq(int32_t val) { return imul(val, val); }

static inline int32_t isqrt(int32_t val) { return (int32_t)std::sqrt((double)val * 4096.0); }

// isqrt(isq(dx) + isq(dy)) with 64-bit squares: wrapped distances reach 1024
// pixels, where the 32-bit squares would overflow. Where they do not, the
// result is the same.
static inline int32_t idistance(int32_t dx, int32_t dy)
{
	int64_t sum = imul64(dx, dx) + imul64(dy, dy);
	return (int32_t)std::sqrt((double)sum * 4096.0);
}

int32_t isin(int a);
// Every int is an angle: the quarter turn is added modulo 2^32.
static inline int32_t icos(int a) { return isin((int)((unsigned)a + 1024u)); }

static inline int CountBits32(uint32_t val)
{
	val = (val & 0x55555555u) + ((val & 0xAAAAAAAAu) >> 1);
	val = (val & 0x33333333u) + ((val & 0xCCCCCCCCu) >> 2);
	val = (val & 0x0F0F0F0Fu) + ((val & 0xF0F0F0F0u) >> 4);
	val = (val & 0x00FF00FFu) + ((val & 0xFF00FF00u) >> 8);
	return (int)((val & 0xFFFFu) + (val >> 16));
}

static inline int CountBits16(uint16_t val)
{
	unsigned v = val;
	v = (v & 0x5555u) + ((v & 0xAAAAu) >> 1);
	v = (v & 0x3333u) + ((v & 0xCCCCu) >> 2);
	v = (v & 0x0F0Fu) + ((v & 0xF0F0u) >> 4);
	return (int)((v & 0xFFu) + (v >> 8));
}

static inline int CountBits8(uint8_t val)
{
	unsigned v = val;
	v = (v & 0x55u) + ((v & 0xAAu) >> 1);
	v = (v & 0x33u) + ((v & 0xCCu) >> 2);
	return (int)((v & 0x0Fu) + (v >> 4));
}

// val ^ (val - 1) sets exactly the bits up to and including the lowest set one.
static inline int LowestBitSet32(uint32_t val)
{
	return val ? CountBits32(val ^ (val - 1)) - 1 : -1;
}

static inline int LowestBitSet16(uint16_t val)
{
	return val ? CountBits16((uint16_t)(val ^ (uint16_t)(val - 1))) - 1 : -1;
}

static inline int LowestBitSet8(uint8_t val)
{
	return val ? CountBits8((uint8_t)(val ^ (uint8_t)(val - 1))) - 1 : -1;
}
