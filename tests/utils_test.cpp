// Fixed-point arithmetic against wide reference formulas, the sine table
// against the rounded sine, the bit counts against the compiler's, and the
// assertion report.
#include <gtest/gtest.h>
#include <climits>
#include <cmath>
#include <random>
#include "Game/Utils.h"

// The edges the random operands below rarely reach.
TEST(FixedPoint, EdgesAndRoundings)
{
	const struct { int32_t got, want; } rows[] = {
		{FixedToInt(-1), -1}, {FixedToInt(0xFFF), 0}, {FixedToInt(0x1000), 1}, {FixedToInt(-0x1001), -2},
		{imul(-1, 0x800), -1}, {idiv(-1, 0x2000), 0}, {isq(-0x3000), 0x9000},
		{isq(1000 << 12), (int32_t)(uint32_t)((uint64_t)1000000 << 12)}, {isqrt(0), 0}, {isqrt(0x1000), 0x1000},
		{isqrt(0x4000), 0x2000}, {isqrt(2), 90}, {idistance(-0x400000, 0x300000), 0x500000},
		{isin(INT_MIN), 0}, {isin(INT_MAX), -6}, {icos(INT_MAX), isin(4095 + 1024)}, {icos(INT_MIN), 4096},
		{icos(INT_MAX - 1024), isin(3071 + 1024)},
	};
	for (size_t i = 0; i < sizeof rows / sizeof rows[0]; i++) EXPECT_EQ(rows[i].got, rows[i].want) << "row " << i;
}

// The products and quotients as the arithmetic says: 64-bit, floor for the
// product, truncation for the quotient, the low 32 bits kept.
TEST(FixedPoint, RandomOperandsMatchWideArithmetic)
{
	std::mt19937 rng(3);
	for (int i = 0; i < 100000; i++) {
		int32_t a = (int32_t)rng() >> (rng() % 32), b = (int32_t)rng() >> (rng() % 32);
		__int128 product = (__int128)a * b;
		ASSERT_EQ(imul(a, b), (int32_t)(uint32_t)(uint64_t)(product >> 12)) << a << " " << b;
		if (b) { ASSERT_EQ(idiv(a, b), (int32_t)(((int64_t)a * 4096) / b)) << a << " " << b; }
		// isqrt(isq(dx) + isq(dy)) with squares that cannot overflow
		int64_t dx = a >> 10, dy = b >> 10, sum = (dx * dx >> 12) + (dy * dy >> 12);
		ASSERT_EQ(idistance((int32_t)dx, (int32_t)dy), (int32_t)std::sqrt(sum * 4096.0)) << dx << " " << dy;
	}
}

TEST(Sine, EveryAngleIsTheRoundedTableEntry)
{
	for (int a = -8192; a < 8192; a++) {
		int q = (a >> 10) & 3, i = a & 1023;
		int entry = (int)std::lround(4096 * std::sin((q & 1 ? 1024 - i : i) * M_PI / 2048));
		ASSERT_EQ(isin(a), q & 2 ? -entry : entry) << a;
		ASSERT_EQ(icos(a), isin(a + 1024)) << a;
	}
}

TEST(Bits, CountsAndLowestBitMatchTheBuiltins)
{
	std::mt19937 rng(1);
	for (int i = 0; i < 100000; i++) {
		uint32_t v = i ? rng() >> (rng() % 32) << (rng() % 32) : 0;
		ASSERT_EQ(CountBits32(v), __builtin_popcount(v)) << v;
		ASSERT_EQ(CountBits16((uint16_t)v), __builtin_popcount(v & 0xFFFF)) << v;
		ASSERT_EQ(CountBits8((uint8_t)v), __builtin_popcount(v & 0xFF)) << v;
		ASSERT_EQ(LowestBitSet32(v), v ? __builtin_ctz(v) : -1) << v;
		ASSERT_EQ(LowestBitSet16((uint16_t)v), v & 0xFFFF ? __builtin_ctz(v) : -1) << v;
		ASSERT_EQ(LowestBitSet8((uint8_t)v), v & 0xFF ? __builtin_ctz(v) : -1) << v;
	}
}

TEST(AssertDeathTest, StopsWithExpressionFileAndLine)
{
	int two = 2;
	ASSERT(two > 1);  // a true assertion does nothing
	EXPECT_DEATH(ASSERT(two<1), "Assertion failed: two<1, file .*utils_test.cpp, line [0-9]+");
}
