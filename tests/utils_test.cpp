// Fixed-point arithmetic, the sine table, the bit counts and the assertion.
#include <gtest/gtest.h>
#include <cmath>
#include "Game/Utils.h"

TEST(FixedPoint, ConversionRoundsDown)
{
	EXPECT_EQ(FixedToInt(-1), -1);
	EXPECT_EQ(FixedToInt(0xFFF), 0);
	EXPECT_EQ(FixedToInt(0x1000), 1);
	EXPECT_EQ(FixedToInt(-0x1000), -1);
	EXPECT_EQ(FixedToInt(-0x1001), -2);
}

TEST(FixedPoint, MultiplyFloorsDivideTruncates)
{
	EXPECT_EQ(imul(1, 1), 0);
	EXPECT_EQ(imul(-1, 1), -1);
	EXPECT_EQ(imul(-1, 0x800), -1);
	EXPECT_EQ(imul(0x18000, 0x2000), 0x30000);
	for (int32_t x : {0, 1, -1, 0x12345, -0x7654321, INT32_MAX, INT32_MIN}) EXPECT_EQ(imul(0x1000, x), x);
	EXPECT_EQ(idiv(-1, 0x2000), 0);
	EXPECT_EQ(idiv(1, 0x2000), 0);
	EXPECT_EQ(idiv(-3, 0x2000), -1);
	EXPECT_EQ(idiv(0x3000, 0x2000), 0x1800);
	EXPECT_EQ(idiv(-0x3000, 0x2000), -0x1800);
	EXPECT_EQ(isq(0x3000), 0x9000);
	EXPECT_EQ(isq(-0x3000), 0x9000);
}

TEST(FixedPoint, WideIntermediatesWrapToLow32Bits)
{
	// 2^20 * 2^20 / 2^12 = 2^28 needs the 64-bit product
	EXPECT_EQ(imul(1 << 20, 1 << 20), 1 << 28);
	// 600 pixels squared is 360000 square pixels, still in range
	EXPECT_EQ(isq(600 << 12), 360000 << 12);
	// 1000 pixels squared no longer fits: the low 32 bits of 1000000 << 12
	EXPECT_EQ(isq(1000 << 12), (int32_t)(uint32_t)((uint64_t)1000000 << 12));
	EXPECT_EQ(imul64((int64_t)1 << 40, 1 << 12), (int64_t)1 << 40);
	EXPECT_EQ(idiv64((int64_t)1 << 40, 1 << 13), (int64_t)1 << 39);
	// idiv's numerator is shifted in 64 bits: 2^24 / 2^12 would overflow 32-bit
	EXPECT_EQ(idiv(1 << 24, 1 << 20), 1 << 16);
}

TEST(FixedPoint, SquareRootTruncates)
{
	EXPECT_EQ(isqrt(0), 0);
	EXPECT_EQ(isqrt(0x1000), 0x1000);
	EXPECT_EQ(isqrt(0x4000), 0x2000);
	EXPECT_EQ(isqrt(2), 90);
	EXPECT_EQ(isqrt(INT32_MAX), (int32_t)std::sqrt(2147483647.0 * 4096.0));
}

TEST(FixedPoint, DistanceAgreesWithNarrowFormulaAndSurvivesHalfAWorld)
{
	const int32_t values[] = {0, 1, 63, 64, 0x1000, -0x1000, 0x12345, -0x54321, 0x2D4000, -0x2D4000};
	int compared = 0;
	for (int32_t dx : values)
		for (int32_t dy : values) {
			if (imul64(dx, dx) + imul64(dy, dy) > INT32_MAX) continue;  // the narrow sum overflows
			EXPECT_EQ(idistance(dx, dy), isqrt(isq(dx) + isq(dy))) << dx << " " << dy;
			compared++;
		}
	EXPECT_GT(compared, 80);
	EXPECT_EQ(idistance(0x400000, 0), 0x400000);  // 1024 pixels
	EXPECT_EQ(idistance(-0x400000, 0x300000), 0x500000);  // 3-4-5 at 256-pixel scale
	EXPECT_EQ(idistance(63, 63), 0);
}

TEST(Sine, TableRowsAndQuadrants)
{
	const struct { int a; int32_t s; } rows[] = {
		{0, 0}, {1, 6}, {2, 13}, {256, 1567}, {512, 2896}, {768, 3784}, {1023, 4096}, {1024, 4096},
		{1025, 4096}, {2048, 0}, {2049, -6}, {3072, -4096}, {4096, 0}, {-1, -6}, {-1024, -4096},
		{4096 * 5 + 512, 2896}, {-4096 * 3 + 256, 1567}, {INT32_MIN, 0}, {INT32_MAX, -6},
	};
	for (auto row : rows) EXPECT_EQ(isin(row.a), row.s) << row.a;
	EXPECT_EQ(icos(0), 4096);
	EXPECT_EQ(icos(2048), -4096);
	EXPECT_EQ(icos(1024), 0);
}

TEST(Sine, EveryEntryIsTheRoundedSineAndTheTurnIsSymmetric)
{
	for (int i = 0; i <= 1024; i++) EXPECT_EQ(isin(i), (int32_t)std::lround(4096 * std::sin(i * M_PI / 2048))) << i;
	for (int a = 0; a < 4096; a++) {
		EXPECT_EQ(isin(a + 2048), -isin(a)) << a;
		EXPECT_EQ(isin(a - 4096), isin(a)) << a;
		EXPECT_LE(std::abs(isin(a)), 4096);
	}
}

TEST(Bits, Counts)
{
	EXPECT_EQ(CountBits32(0xFFFFFFFFu), 32);
	EXPECT_EQ(CountBits32(0), 0);
	EXPECT_EQ(CountBits32(0x80000001u), 2);
	EXPECT_EQ(CountBits16(0xFFFF), 16);
	EXPECT_EQ(CountBits16(0x8001), 2);
	EXPECT_EQ(CountBits8(0), 0);
	EXPECT_EQ(CountBits8(0xFF), 8);
	for (uint32_t v = 0; v < 0x10000; v += 7) {
		EXPECT_EQ(CountBits32(v * 0x9E3779B1u), __builtin_popcount(v * 0x9E3779B1u));
		EXPECT_EQ(CountBits16((uint16_t)v), __builtin_popcount(v));
		EXPECT_EQ(CountBits8((uint8_t)v), __builtin_popcount(v & 0xFF));
	}
}

TEST(Bits, LowestSet)
{
	EXPECT_EQ(LowestBitSet32(0), -1);
	EXPECT_EQ(LowestBitSet32(0x80000000u), 31);
	EXPECT_EQ(LowestBitSet32(0xFFFFFFFFu), 0);
	EXPECT_EQ(LowestBitSet16(0), -1);
	EXPECT_EQ(LowestBitSet16(0x0100), 8);
	EXPECT_EQ(LowestBitSet16(0x8000), 15);
	EXPECT_EQ(LowestBitSet8(0), -1);
	EXPECT_EQ(LowestBitSet8(0x80), 7);
	EXPECT_EQ(LowestBitSet8(6), 1);
	for (int i = 0; i < 32; i++) EXPECT_EQ(LowestBitSet32(0xFFFFFFFFu << i), i);
}

TEST(AssertDeathTest, StopsWithExpressionFileAndLine)
{
	EXPECT_DEATH(FailAssertion("self->nummembers>0", "Game/SimpleAllocator.cpp", 35),
	             "Assertion failed: self->nummembers>0, file Game/SimpleAllocator.cpp, line 35");
	int two = 2;
	EXPECT_DEATH(ASSERT(two<1), "two<1");
	ASSERT(two>1);  // a true assertion does nothing
}
