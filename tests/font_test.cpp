// The three fonts: every glyph, drawn in, across and outside a bitmap, against
// a decoder of the row code and the fixed facts of the data; strings as their
// characters side by side, placed to the left of a column and centred.
#include <gtest/gtest.h>
#include "Game/Font.h"
#include "GuardedBitmap.h"

struct Facts { const Font *font; int height, space, empty, box, minadvance, maxadvance, digitlow, digithigh; };
static const Facts Fonts[] = {{&OL8Font, 8, 4, 8, 7, 2, 8, 6, 7}, {&OL12Font, 12, 5, 9, 10, 3, 11, 9, 9}, {&OL16Font, 16, 7, 16, 14, 5, 16, 12, 12}};
static const Pixel Ink = 0x12E0FFE0u;  // written as it is, even at low alpha

TEST(Fonts, EveryGlyphDrawsItsRowCodeInsideItsBoxAndKeepsTheFixedFacts)
{
	std::mt19937 rng(8);
	for (const Facts &f : Fonts) {
		const RLEFont *rle = (const RLEFont *)f.font;
		ASSERT_TRUE(rle->firstglyph == 32 && rle->lastglyph == 255);
		int boxw = 0, boxh = 0;
		for (int c = -1; c <= 256; c++) {
			int x0 = (int)(rng() % 40) - 18, y0 = (int)(rng() % 40) - 18, ink = 0, advance = 0;
			GuardedBitmap got(20, 20), want(20, 20);
			DrawCharacter(&got.bitmap, f.font, x0, y0, Ink, c);
			if (c >= 32 && c <= 255) {
				const uint8_t *g = rle->glyphs[c - 32], *p = g + GlyphRowsByte;
				int w = g[GlyphWidthByte], h = g[GlyphHeightByte];
				advance = g[GlyphAdvanceByte], boxw = std::max(boxw, w), boxh = std::max(boxh, h);
				for (int r = 0; r < h; r++)
					for (int x = 0; (x += *p++) < w;) {  // a skip, then a run, while the row lasts
						for (int end = x + *p++; x < end; x++, ink++) want.Put(x0 + x, y0 + r, Ink);
						ASSERT_LE(x, w) << "code " << c << " runs past its box";
						if (x == w) break;
					}
			}
			ASSERT_EQ(Difference(got, want), "") << "code " << c << " at " << x0 << ", " << y0;
			EXPECT_EQ(ink > 0, (c >= 33 && c <= 126) || c == 181) << c;
			EXPECT_EQ(WidthOfCharacter(f.font, c), advance) << c;
			EXPECT_TRUE(c < 33 || c > 126 || (advance >= f.minadvance && advance <= f.maxadvance)) << c;
			EXPECT_TRUE(c < '0' || c > '9' || (advance >= f.digitlow && advance <= f.digithigh)) << c;
			EXPECT_TRUE(c < 127 || c > 255 || c == 181 || advance == f.empty) << c;
		}
		EXPECT_TRUE(WidthOfCharacter(f.font, ' ') == f.space && boxw == f.box && boxh == f.height && HeightOfFont(f.font) == boxh);
	}
}

TEST(Fonts, StringsAreTheirCharactersSideBySideAndArePlaced)
{
	const char *text = "Mg|\x01W y\x80{\xb5}";  // control codes take no room
	for (const Facts &f : Fonts) {
		for (int x : {-1000, -40, -3, 5, 25}) {
			GuardedBitmap got(30, 12), want(30, 12);
			DrawString(&got.bitmap, f.font, x, 6 - f.height, Ink, text);
			int end = x;
			for (const char *s = text; *s; end += WidthOfCharacter(f.font, (uint8_t)*s++)) DrawCharacter(&want.bitmap, f.font, end, 6 - f.height, Ink, (uint8_t)*s);
			ASSERT_TRUE(Difference(got, want) == "" && WidthOfString(f.font, text) == end - x && WidthOfString(f.font, "") == 0) << x;
		}
		GuardedBitmap got(320, 60), want(320, 60);  // centring truncates an odd, negative slack toward zero
		DrawStringToTheLeftOf(&got.bitmap, f.font, 312, 4, Ink, text);
		DrawString(&want.bitmap, f.font, 312 - WidthOfString(f.font, text) + 1, 4, Ink, text);
		DrawStringCenteredInRectangle(&got.bitmap, f.font, 50, 30, WidthOfString(f.font, text) - 3, f.height - 3, Ink, text);
		DrawString(&want.bitmap, f.font, 50 - 1, 30 - 1, Ink, text);
		EXPECT_EQ(Difference(got, want), "");
	}
}
