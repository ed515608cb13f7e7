// Fonts and text. A Font is a height and four slots through which all text is
// measured and drawn; the one kind in the game, the RLE font, keeps every
// glyph as byte-coded runs of ink and draws each run as a clipped horizontal
// line. Needs Graphics/Bitmap and, in Font.cpp, Graphics/Drawing.
//
// Glyph data, one byte string per glyph: advance, box width w, row count h,
// then h rows from the top of the text line. A row alternates skip and run
// bytes from x = 0 and ends as soon as x reaches w, after either kind.
#pragma once
#include <cstddef>
#include <cstdint>
#include "Graphics/Bitmap.h"

struct Font
{
	int height;
	int (*charwidthfunc)(const Font *font, int c);
	int (*stringwidthfunc)(const Font *font, const void *str);
	void (*drawcharfunc)(Bitmap *bitmap, const Font *font, int x, int y, uint32_t col, int c);
	void (*drawstringfunc)(Bitmap *bitmap, const Font *font, int x, int y, uint32_t col, const void *str);
};

// A Font by its first field. C++ cannot put an open-ended array in front of
// the storage that holds it, so glyphs points at that storage instead.
struct RLEFont
{
	Font font;
	int firstglyph, lastglyph;
	const uint8_t *const *glyphs;
};

// The compiled-in fonts: codes 32-255, one pointer each.
constexpr int StaticRLEFontGlyphCount = 224;
struct StaticRLEFont
{
	RLEFont rle;
	const uint8_t *glyphpointers[StaticRLEFontGlyphCount];
};
static_assert(offsetof(RLEFont, font) == 0, "an RLEFont is used wherever a Font is expected");
static_assert(offsetof(StaticRLEFont, rle) == 0, "a compiled font is used wherever a Font is expected");

enum { GlyphAdvanceByte, GlyphWidthByte, GlyphHeightByte, GlyphRowsByte };

int _WidthOfRLECharacter(const Font *font, int c);
void _DrawRLECharacter(Bitmap *bitmap, const Font *font, int x, int y, uint32_t col, int c);
int _WidthOfSimpleString(const Font *font, const void *str);
void _DrawSimpleString(Bitmap *bitmap, const Font *font, int x, int y, uint32_t col, const void *str);

// 8, 12 and 16 pixels high; generated from assets/fonts/ by tools/fontgen.
extern const Font &OL8Font;
extern const Font &OL12Font;
extern const Font &OL16Font;

static inline int WidthOfCharacter(const Font *font, int c) { return font->charwidthfunc(font, c); }

static inline void DrawCharacter(Bitmap *bitmap, const Font *font, int x, int y, uint32_t col, int c)
{
	font->drawcharfunc(bitmap, font, x, y, col, c);
}

static inline int HeightOfFont(const Font *font) { return font->height; }

static inline int WidthOfString(const Font *font, const void *str) { return font->stringwidthfunc(font, str); }

static inline void DrawString(Bitmap *bitmap, const Font *font, int x, int y, uint32_t col, const void *str)
{
	font->drawstringfunc(bitmap, font, x, y, col, str);
}

// The last column of the string's advance box lands on x.
static inline void DrawStringToTheLeftOf(Bitmap *bitmap, const Font *font, int x, int y, uint32_t col, const void *str)
{
	DrawString(bitmap, font, x - WidthOfString(font, str) + 1, y, col, str);
}

static inline void DrawStringCenteredInRectangle(Bitmap *bitmap, const Font *font, int x, int y, int w, int h,
	uint32_t col, const void *str)
{
	DrawString(bitmap, font, x + (w - WidthOfString(font, str)) / 2, y + (h - HeightOfFont(font)) / 2, col, str);
}
