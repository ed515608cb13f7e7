// Tests of the three compiled-in fonts: the fixed facts of their data, the
// shape of every row code, and text measuring, placing and clipping.
#include <gtest/gtest.h>
#include <algorithm>
#include <vector>
#include "Game/Font.h"

namespace {

struct FontFacts
{
	const char *name;
	const Font *font;
	int height, space, empty, maxwidth, minadvance, maxadvance, digitlow, digithigh, spacing;
};

const FontFacts Fonts[] = {
	{"OL8Font", &OL8Font, 8, 4, 8, 7, 2, 8, 6, 7, 1},
	{"OL12Font", &OL12Font, 12, 5, 9, 10, 3, 11, 9, 9, 1},
	{"OL16Font", &OL16Font, 16, 7, 16, 14, 5, 16, 12, 12, 2},
};

bool HasPixels(int c) { return (c >= 33 && c <= 126) || c == 181; }

const uint8_t *Glyph(const Font *font, int c)
{
	const RLEFont *rle = (const RLEFont *)font;
	return rle->glyphs[c - rle->firstglyph];
}

// Walks a glyph's row code: "" when every row ends exactly at the box edge,
// otherwise what is wrong. *ink counts the pixels set.
std::string WalkRows(const uint8_t *glyph, int *ink)
{
	int w = glyph[GlyphWidthByte], h = glyph[GlyphHeightByte];
	const uint8_t *p = glyph + GlyphRowsByte;
	*ink = 0;
	for (int r = 0; r < h; r++)
		for (int x = 0;;) {
			x += *p++;
			if (x >= w) {
				if (x > w) return "row " + std::to_string(r) + " skips past the edge";
				break;
			}
			int run = *p++;
			if (run == 0) return "row " + std::to_string(r) + " has an empty run";
			x += run, *ink += run;
			if (x >= w) {
				if (x > w) return "row " + std::to_string(r) + " runs past the edge";
				break;
			}
		}
	return "";
}

const Pixel Background = 0xFF102030u, Ink = 0xFFE0FFE0u;

// A bitmap in the middle of a larger block, so that writes outside it show.
struct Canvas
{
	int width, height, border;
	std::vector<Pixel> memory;
	Bitmap bitmap;

	Canvas(int w, int h, int b = 8) : width(w), height(h), border(b), memory((size_t)(w + 2 * b) * (h + 2 * b), Background)
	{
		InitializeBitmap(&bitmap, w, h, (w + 2 * b) * 4, &memory[(size_t)b * (w + 2 * b) + b]);
	}
	Pixel At(int x, int y) const { return memory[(size_t)(y + border) * (width + 2 * border) + x + border]; }
	bool Inside(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
	// The box around every pixel of colour c, or false when there is none;
	// *outside tells whether any of them lies outside the bitmap.
	bool Extent(Pixel c, int *x0, int *y0, int *x1, int *y1, bool *outside = nullptr) const
	{
		*x0 = *y0 = 1 << 30, *x1 = *y1 = -(1 << 30);
		if (outside) *outside = false;
		for (int y = -border; y < height + border; y++)
			for (int x = -border; x < width + border; x++) {
				if (At(x, y) != c) continue;
				*x0 = std::min(*x0, x), *y0 = std::min(*y0, y), *x1 = std::max(*x1, x), *y1 = std::max(*y1, y);
				if (outside && !Inside(x, y)) *outside = true;
			}
		return *x1 >= *x0;
	}
};

} // namespace

TEST(FontData, RecordsAndCodeRange)
{
	for (const FontFacts &f : Fonts) {
		SCOPED_TRACE(f.name);
		const RLEFont *rle = (const RLEFont *)f.font;
		EXPECT_EQ(HeightOfFont(f.font), f.height);
		EXPECT_EQ(rle->firstglyph, 32);
		EXPECT_EQ(rle->lastglyph, 255);
		EXPECT_EQ(f.font->charwidthfunc, _WidthOfRLECharacter);
		EXPECT_EQ(f.font->stringwidthfunc, _WidthOfSimpleString);
		EXPECT_EQ(f.font->drawcharfunc, _DrawRLECharacter);
		EXPECT_EQ(f.font->drawstringfunc, _DrawSimpleString);
		EXPECT_EQ((const void *)rle->glyphs, (const void *)((const StaticRLEFont *)f.font)->glyphpointers);
	}
}

TEST(FontData, EveryRowCodeEndsAtTheBoxEdge)
{
	for (const FontFacts &f : Fonts)
		for (int c = 32; c <= 255; c++) {
			SCOPED_TRACE(std::string(f.name) + " code " + std::to_string(c));
			const uint8_t *g = Glyph(f.font, c);
			ASSERT_NE(g, nullptr);
			int ink = 0;
			EXPECT_EQ(WalkRows(g, &ink), "");
			EXPECT_LE(g[GlyphHeightByte], f.height);
			EXPECT_EQ(ink > 0, HasPixels(c));
			if (!HasPixels(c)) {
				EXPECT_EQ(g[GlyphWidthByte] + g[GlyphHeightByte], 0);
			}
		}
}

TEST(FontData, AdvancesAndBoxes)
{
	for (const FontFacts &f : Fonts) {
		SCOPED_TRACE(f.name);
		EXPECT_EQ(WidthOfCharacter(f.font, ' '), f.space);
		int maxw = 0, maxh = 0, usual = 0, inked = 0;
		for (int c = 127; c <= 255; c++) {
			if (c == 181) continue;
			EXPECT_EQ(WidthOfCharacter(f.font, c), f.empty) << "code " << c;
		}
		for (int c = 33; c <= 255; c++) {
			if (!HasPixels(c)) continue;
			const uint8_t *g = Glyph(f.font, c);
			int advance = WidthOfCharacter(f.font, c);
			EXPECT_EQ(advance, g[GlyphAdvanceByte]);
			if (c <= 126) {
				EXPECT_GE(advance, f.minadvance) << "code " << c;
				EXPECT_LE(advance, f.maxadvance) << "code " << c;
			}
			maxw = std::max(maxw, (int)g[GlyphWidthByte]);
			maxh = std::max(maxh, (int)g[GlyphHeightByte]);
			usual += advance == g[GlyphWidthByte] + f.spacing;
			inked++;
		}
		EXPECT_EQ(maxw, f.maxwidth);
		EXPECT_EQ(maxh, f.height);
		EXPECT_GT(2 * usual, inked) << "most advances are the box width plus " << f.spacing;
		for (int c = '0'; c <= '9'; c++) {
			EXPECT_GE(WidthOfCharacter(f.font, c), f.digitlow) << (char)c;
			EXPECT_LE(WidthOfCharacter(f.font, c), f.digithigh) << (char)c;
		}
		// real descenders: below the capitals, as far as the line goes
		int caps = Glyph(f.font, 'H')[GlyphHeightByte];
		EXPECT_LT(caps, f.height);
		for (int c : {(int)'g', (int)'j', (int)'p', (int)'q', (int)'y', 181})
			EXPECT_GT(Glyph(f.font, c)[GlyphHeightByte], caps) << "code " << c;
	}
}

TEST(FontDrawing, ControlCodesAndOutOfRangeCodesDrawNothing)
{
	for (const FontFacts &f : Fonts) {
		SCOPED_TRACE(f.name);
		for (int c : {-1, 0, 1, 31, 128, 255, 256, 1000}) {
			Canvas canvas(20, 20);
			if (c < 32 || c > 255) {
				EXPECT_EQ(WidthOfCharacter(f.font, c), 0);
			}
			DrawCharacter(&canvas.bitmap, f.font, 2, 2, Ink, c);
			int x0, y0, x1, y1;
			EXPECT_FALSE(canvas.Extent(Ink, &x0, &y0, &x1, &y1)) << "code " << c;
		}
		Canvas plain(100, 20), with(100, 20);
		DrawString(&plain.bitmap, f.font, 1, 1, Ink, "AB");
		DrawString(&with.bitmap, f.font, 1, 1, Ink, "\x01" "A\x1f\x0a" "B\x02");
		EXPECT_EQ(plain.memory, with.memory) << "control codes take no room";
		EXPECT_EQ(WidthOfString(f.font, "\x01" "A\x1f\x0a" "B\x02"), WidthOfString(f.font, "AB"));
	}
}

TEST(FontDrawing, StringsAdvanceByEachCharacter)
{
	for (const FontFacts &f : Fonts) {
		SCOPED_TRACE(f.name);
		EXPECT_EQ(WidthOfString(f.font, ""), 0);
		Canvas empty(40, 20);
		DrawString(&empty.bitmap, f.font, 5, 5, Ink, "");
		EXPECT_EQ(empty.memory, Canvas(40, 20).memory);

		// bytes are unsigned: 0xB5 is the micro sign, 0x80 an empty glyph
		const char *text = "Ab \x80y\xb5!";
		EXPECT_EQ(WidthOfString(f.font, text), WidthOfCharacter(f.font, 'A') + WidthOfCharacter(f.font, 'b') + f.space +
			f.empty + WidthOfCharacter(f.font, 'y') + WidthOfCharacter(f.font, 181) + WidthOfCharacter(f.font, '!'));
		// colours are written as they are, with no blending even at low alpha
		const Pixel col = 0x12345678u;
		Canvas whole(200, 20), pieces(200, 20);
		DrawString(&whole.bitmap, f.font, 3, 2, col, text);
		int x = 3;
		for (const char *s = text; *s; s++) {
			DrawCharacter(&pieces.bitmap, f.font, x, 2, col, (uint8_t)*s);
			x += WidthOfCharacter(f.font, (uint8_t)*s);
		}
		EXPECT_EQ(whole.memory, pieces.memory);
		int x0, y0, x1, y1;
		EXPECT_TRUE(whole.Extent(col, &x0, &y0, &x1, &y1));
		for (Pixel p : whole.memory) ASSERT_TRUE(p == col || p == Background);
	}
}

// Text across every edge of a small bitmap, and far away from it, shows
// exactly the part of the same text drawn in a big bitmap that falls inside,
// and nothing outside.
TEST(FontDrawing, ClippedAtEveryEdge)
{
	const char *text = "Mg|Wy{j}";
	for (const FontFacts &f : Fonts) {
		int tw = WidthOfString(f.font, text), th = f.height;
		const int W = 30, H = 10, X0 = 120, Y0 = 40;
		for (int y : {-100000, -th, -th + 1, -th / 2, 0, 3, H - th, H - 2, H - 1, H, 100000})
			for (int x : {-100000, -tw, -tw + 1, -tw / 2, -2, 0, 5, W - tw, W - 5, W - 1, W, 100000}) {
				SCOPED_TRACE(std::string(f.name) + " at " + std::to_string(x) + "," + std::to_string(y));
				Canvas reference(W + 2 * X0, H + 2 * Y0, 0);
				DrawString(&reference.bitmap, f.font, X0 + x, Y0 + y, Ink, text);
				Canvas small(W, H, 48);
				DrawString(&small.bitmap, f.font, x, y, Ink, text);
				int x0, y0, x1, y1;
				bool outside = false;
				small.Extent(Ink, &x0, &y0, &x1, &y1, &outside);
				ASSERT_FALSE(outside);
				for (int py = 0; py < H; py++)
					for (int px = 0; px < W; px++)
						ASSERT_EQ(small.At(px, py), reference.At(X0 + px, Y0 + py)) << px << "," << py;
			}
	}
}

TEST(TextPlacement, ToTheLeftOfEndsTheAdvanceBoxAtX)
{
	for (const FontFacts &f : Fonts) {
		SCOPED_TRACE(f.name);
		const char *text = "Score: 00000";
		Canvas placed(320, 24), expected(320, 24);
		DrawStringToTheLeftOf(&placed.bitmap, f.font, 312, 4, Ink, text);
		DrawString(&expected.bitmap, f.font, 312 - WidthOfString(f.font, text) + 1, 4, Ink, text);
		EXPECT_EQ(placed.memory, expected.memory);
		// the last digit's ink reaches its box edge; only its spacing is left before column 312
		int x0, y0, x1, y1;
		ASSERT_TRUE(placed.Extent(Ink, &x0, &y0, &x1, &y1));
		const uint8_t *zero = Glyph(f.font, '0');
		EXPECT_EQ(x1, 312 - (zero[GlyphAdvanceByte] - zero[GlyphWidthByte]));
		EXPECT_EQ(y0, 4);
	}
}

TEST(TextPlacement, GameOverCentredOnTheScreen)
{
	Canvas screen(320, 240);
	DrawStringCenteredInRectangle(&screen.bitmap, &OL12Font, 0, 0, 320, 240, Ink, "Game Over");
	int x0, y0, x1, y1;
	ASSERT_TRUE(screen.Extent(Ink, &x0, &y0, &x1, &y1));
	EXPECT_EQ(y0, 114);
	EXPECT_LE(y1, 114 + 11);
	EXPECT_EQ(x0, (320 - WidthOfString(&OL12Font, "Game Over")) / 2); // 'G' inks its first column
}

TEST(TextPlacement, CentringTruncatesTowardZero)
{
	for (const FontFacts &f : Fonts) {
		SCOPED_TRACE(f.name);
		const char *text = "Wider than the box";
		int width = WidthOfString(f.font, text);
		// odd negative slack both ways: halving it must round toward zero, not down
		int w = 10 + (width % 2 ? 0 : 1), h = 3 + f.height % 2;
		ASSERT_LT(w - width, 0);
		ASSERT_NE((w - width) % 2, 0);
		Canvas centred(200, 40), expected(200, 40);
		DrawStringCenteredInRectangle(&centred.bitmap, f.font, 50, 20, w, h, Ink, text);
		DrawString(&expected.bitmap, f.font, 50 + (w - width + 1) / 2, 20 + (h - f.height + 1) / 2, Ink, text);
		EXPECT_EQ(centred.memory, expected.memory);
	}
}
