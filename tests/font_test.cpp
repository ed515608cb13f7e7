// Tests of the three compiled-in fonts: the fixed facts of their data, the
// shape of every row code, and text measuring, placing and clipping.
#include <gtest/gtest.h>
#include <cstring>
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

// Walks the row code of a glyph; false (with a reason) on any code that does
// not end exactly at the box edge. *ink counts the pixels set.
bool WalkRows(const uint8_t *glyph, int *ink, std::string *why)
{
	int w = glyph[GlyphWidthByte], h = glyph[GlyphHeightByte];
	const uint8_t *p = glyph + GlyphRowsByte;
	*ink = 0;
	for (int r = 0; r < h; r++) {
		int x = 0;
		for (;;) {
			x += *p++;
			if (x >= w) {
				if (x != w) *why = "row " + std::to_string(r) + " skips past the edge";
				break;
			}
			int run = *p++;
			if (run == 0) {
				*why = "row " + std::to_string(r) + " has an empty run";
				return false;
			}
			x += run;
			*ink += run;
			if (x >= w) {
				if (x != w) *why = "row " + std::to_string(r) + " runs past the edge";
				break;
			}
		}
		if (!why->empty()) return false;
	}
	return true;
}

// A bitmap inside a larger block whose border must stay untouched.
struct Canvas
{
	static constexpr Pixel Background = 0xFF102030u;
	int width, height, border;
	std::vector<Pixel> memory;
	Bitmap bitmap;

	Canvas(int w, int h, int b = 8) : width(w), height(h), border(b), memory((size_t)(w + 2 * b) * (h + 2 * b), Background)
	{
		InitializeBitmap(&bitmap, w, h, (w + 2 * b) * 4, &memory[(size_t)b * (w + 2 * b) + b]);
	}
	// Coordinates relative to the bitmap; the border lies outside 0..w-1, 0..h-1.
	Pixel At(int x, int y) const { return memory[(size_t)(y + border) * (width + 2 * border) + x + border]; }
	int Count(Pixel c) const
	{
		int n = 0;
		for (Pixel p : memory) n += p == c;
		return n;
	}
	bool BorderUntouched() const
	{
		for (int y = -border; y < height + border; y++)
			for (int x = -border; x < width + border; x++)
				if ((x < 0 || y < 0 || x >= width || y >= height) && At(x, y) != Background) return false;
		return true;
	}
	// Inked area of colour c: false when nothing is inked.
	bool Extent(Pixel c, int *x0, int *y0, int *x1, int *y1) const
	{
		*x0 = *y0 = 1 << 30;
		*x1 = *y1 = -(1 << 30);
		for (int y = 0; y < height; y++)
			for (int x = 0; x < width; x++)
				if (At(x, y) == c) {
					*x0 = std::min(*x0, x), *y0 = std::min(*y0, y), *x1 = std::max(*x1, x), *y1 = std::max(*y1, y);
				}
		return *x1 >= 0;
	}
};

const Pixel Ink = 0xFFE0FFE0u;

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
		// the glyph table is the record's own storage
		EXPECT_EQ((const void *)rle->glyphs, (const void *)((const StaticRLEFont *)f.font)->glyphpointers);
	}
}

TEST(FontData, EveryRowCodeEndsAtTheBoxEdge)
{
	for (const FontFacts &f : Fonts) {
		for (int c = 32; c <= 255; c++) {
			SCOPED_TRACE(std::string(f.name) + " code " + std::to_string(c));
			const uint8_t *g = Glyph(f.font, c);
			ASSERT_NE(g, nullptr);
			int ink = 0;
			std::string why;
			EXPECT_TRUE(WalkRows(g, &ink, &why)) << why;
			EXPECT_LE(g[GlyphHeightByte], f.height);
			if (HasPixels(c)) {
				EXPECT_GT(ink, 0);
			} else {
				EXPECT_EQ(g[GlyphWidthByte], 0);
				EXPECT_EQ(g[GlyphHeightByte], 0);
			}
		}
	}
}

TEST(FontData, AdvancesAndBoxes)
{
	for (const FontFacts &f : Fonts) {
		SCOPED_TRACE(f.name);
		EXPECT_EQ(WidthOfCharacter(f.font, ' '), f.space);
		for (int c = 127; c <= 255; c++) {
			if (c == 181) continue;
			EXPECT_EQ(WidthOfCharacter(f.font, c), f.empty) << "code " << c;
		}
		int maxw = 0, maxh = 0, usual = 0, inked = 0;
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
	}
}

TEST(FontData, DescendersReachBelowTheCapitals)
{
	for (const FontFacts &f : Fonts) {
		SCOPED_TRACE(f.name);
		int caps = Glyph(f.font, 'H')[GlyphHeightByte];
		EXPECT_LT(caps, f.height);
		for (int c : {(int)'g', (int)'j', (int)'p', (int)'q', (int)'y', 181})
			EXPECT_GT(Glyph(f.font, c)[GlyphHeightByte], caps) << "code " << c;
	}
}

TEST(FontDrawing, EachGlyphStaysInItsBoxInOneColour)
{
	for (const FontFacts &f : Fonts) {
		for (int c = 1; c <= 255; c++) {
			SCOPED_TRACE(std::string(f.name) + " code " + std::to_string(c));
			Canvas canvas(20, 20);
			// colours are written as they are, with no blending even at low alpha
			const Pixel col = 0x12345678u;
			DrawCharacter(&canvas.bitmap, f.font, 2, 1, col, c);
			int drawn = canvas.Count(col);
			EXPECT_EQ(drawn + canvas.Count(Canvas::Background), (int)canvas.memory.size());
			EXPECT_EQ(drawn > 0, HasPixels(c));
			if (!drawn) continue;
			const uint8_t *g = Glyph(f.font, c);
			int x0, y0, x1, y1;
			canvas.Extent(col, &x0, &y0, &x1, &y1);
			EXPECT_GE(x0, 2);
			EXPECT_GE(y0, 1);
			EXPECT_LE(x1, 2 + g[GlyphWidthByte] - 1);
			EXPECT_LE(y1, 1 + g[GlyphHeightByte] - 1);
			EXPECT_EQ(y1, 1 + g[GlyphHeightByte] - 1) << "the last row holds ink";
		}
	}
}

TEST(FontDrawing, OutOfRangeAndControlCodesDoNothing)
{
	for (const FontFacts &f : Fonts) {
		SCOPED_TRACE(f.name);
		for (int c : {-1, 0, 1, 31, 256, 1000}) {
			Canvas canvas(20, 20);
			EXPECT_EQ(WidthOfCharacter(f.font, c), 0);
			DrawCharacter(&canvas.bitmap, f.font, 2, 2, Ink, c);
			EXPECT_EQ(canvas.Count(Ink), 0) << "code " << c;
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
		EXPECT_EQ(empty.Count(Ink), 0);

		// bytes are unsigned: 0xB5 is the micro sign, 0x80 an empty glyph
		const char *text = "Ab \x80y\xb5!";
		int sum = 0;
		for (const char *s = text; *s; s++) sum += WidthOfCharacter(f.font, (uint8_t)*s);
		EXPECT_EQ(WidthOfString(f.font, text), sum);
		EXPECT_EQ(sum, WidthOfCharacter(f.font, 'A') + WidthOfCharacter(f.font, 'b') + f.space + f.empty +
			WidthOfCharacter(f.font, 'y') + WidthOfCharacter(f.font, 181) + WidthOfCharacter(f.font, '!'));

		Canvas whole(200, 20), pieces(200, 20);
		DrawString(&whole.bitmap, f.font, 3, 2, Ink, text);
		int x = 3;
		for (const char *s = text; *s; s++) {
			DrawCharacter(&pieces.bitmap, f.font, x, 2, Ink, (uint8_t)*s);
			x += WidthOfCharacter(f.font, (uint8_t)*s);
		}
		EXPECT_EQ(whole.memory, pieces.memory);
		EXPECT_GT(whole.Count(Ink), 0);
	}
}

// Text across every edge of a small bitmap must show exactly the part of the
// same text, drawn in a big bitmap, that falls inside, and nothing outside.
TEST(FontDrawing, ClippedAtEveryEdge)
{
	const char *text = "Mg|Wy{j}";
	for (const FontFacts &f : Fonts) {
		int tw = WidthOfString(f.font, text), th = f.height;
		const int W = 30, H = 10, X0 = 120, Y0 = 40;
		for (int y : {-th, -th + 1, -th / 2, 0, 3, H - th, H - 2, H - 1, H, H + 3})
			for (int x : {-tw, -tw + 1, -tw / 2, -2, 0, 5, W - tw, W - 5, W - 1, W, W + 7}) {
				SCOPED_TRACE(std::string(f.name) + " at " + std::to_string(x) + "," + std::to_string(y));
				Canvas reference(W + 2 * X0, H + 2 * Y0, 0);
				DrawString(&reference.bitmap, f.font, X0 + x, Y0 + y, Ink, text);
				Canvas small(W, H, 48);
				DrawString(&small.bitmap, f.font, x, y, Ink, text);
				ASSERT_TRUE(small.BorderUntouched());
				for (int py = 0; py < H; py++)
					for (int px = 0; px < W; px++)
						ASSERT_EQ(small.At(px, py), reference.At(X0 + px, Y0 + py)) << px << "," << py;
			}
	}
}

TEST(FontDrawing, WhollyOutsideDoesNoHarm)
{
	const char *text = "Wide text, Mgj";
	for (const FontFacts &f : Fonts) {
		Canvas canvas(16, 16, 16);
		int width = WidthOfString(f.font, text);
		for (int x : {-100000, -width, 0, 16, 100000})
			for (int y : {-100000, -f.height, 0, 16, 100000})
				if (x != 0 || y != 0) DrawString(&canvas.bitmap, f.font, x, y, Ink, text);
		EXPECT_EQ(canvas.Count(Ink), 0) << f.name;
		DrawString(&canvas.bitmap, f.font, -width + f.spacing + 1, 0, Ink, text); // only the last ink column inside
		EXPECT_GT(canvas.Count(Ink), 0) << f.name;
		EXPECT_TRUE(canvas.BorderUntouched());
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
	// the score line itself, in the 8-pixel font
	EXPECT_EQ(WidthOfString(&OL8Font, "Score: 00000"), WidthOfString(&OL8Font, "Score:") + 4 + 5 * 6);
}

TEST(TextPlacement, GameOverCentredOnTheScreen)
{
	Canvas screen(320, 240);
	DrawStringCenteredInRectangle(&screen.bitmap, &OL12Font, 0, 0, 320, 240, Ink, "Game Over");
	int x0, y0, x1, y1;
	ASSERT_TRUE(screen.Extent(Ink, &x0, &y0, &x1, &y1));
	EXPECT_EQ(y0, 114);
	EXPECT_LE(y1, 114 + 11);
	int width = WidthOfString(&OL12Font, "Game Over");
	EXPECT_EQ(x0, (320 - width) / 2); // 'G' inks its first column
	EXPECT_TRUE(screen.BorderUntouched());
}

TEST(TextPlacement, CentringTruncatesTowardZero)
{
	for (const FontFacts &f : Fonts) {
		SCOPED_TRACE(f.name);
		const char *text = "Wider than the box";
		int width = WidthOfString(f.font, text);
		// odd negative slack in both directions: (w - width) / 2 and (h - height) / 2 round up toward zero
		int w = 10 + (width % 2 ? 0 : 1), h = 3 + f.height % 2;
		Canvas centred(200, 40), expected(200, 40);
		DrawStringCenteredInRectangle(&centred.bitmap, f.font, 50, 20, w, h, Ink, text);
		ASSERT_LT(w - width, 0);
		ASSERT_NE((w - width) % 2, 0);
		DrawString(&expected.bitmap, f.font, 50 + (w - width + 1) / 2, 20 + (h - f.height + 1) / 2, Ink, text);
		EXPECT_EQ(centred.memory, expected.memory);
	}
}
