#include <gtest/gtest.h>
#include <vector>
#include "Graphics/Bitmap.h"
#include "Graphics/Pixels/Construction32.h"
#include "Graphics/Pixels/Multiply8.h"

TEST(Pixels, PackingAndClamping)
{
	EXPECT_EQ(RGB(-5, 300, 128), 0xFF00FF80u);
	EXPECT_EQ(ExtractAlpha(0x80123456u), 0x80);
	EXPECT_EQ(IsPixelTransparent(0x7FFFFFFFu), 1);
	EXPECT_EQ(IsPixelTransparent(0x80000000u), 0);
	EXPECT_EQ(PixelMul8(128, 255), 128);
	EXPECT_EQ(PixelMul8(128, 128), 64);
	EXPECT_EQ(PixelMul8(1, 254), 0);
}

TEST(Bitmap, FillKeepsRowPaddingClearZeroesIt)
{
	std::vector<Pixel> memory(3 * 4, 0xDEADBEEFu);
	Bitmap b;
	InitializeBitmap(&b, 3, 3, 16, memory.data());
	FillBitmap(&b, 0xFF00FF00u);
	for (int y = 0; y < 3; y++) {
		for (int x = 0; x < 3; x++) EXPECT_EQ(memory[y * 4 + x], 0xFF00FF00u);
		EXPECT_EQ(memory[y * 4 + 3], 0xDEADBEEFu);
	}
	ClearBitmap(&b);
	for (Pixel p : memory) EXPECT_EQ(p, 0u);
}
