// The RLE font's slot functions: glyph lookup, run-by-run glyph drawing with
// the clipped DrawHorizontalLine, and plain left-to-right strings. Needs
// Game/Font.h and Graphics/Drawing.h.
#include "Game/Font.h"
#include "Graphics/Drawing.h"

static const uint8_t *GlyphOfCharacter(const Font *font, int c)
{
	const RLEFont *self = (const RLEFont *)font;
	if (c < self->firstglyph || c > self->lastglyph) return nullptr;
	return self->glyphs[c - self->firstglyph];
}

int _WidthOfRLECharacter(const Font *font, int c)
{
	const uint8_t *glyph = GlyphOfCharacter(font, c);
	return glyph ? glyph[GlyphAdvanceByte] : 0;
}

void _DrawRLECharacter(Bitmap *bitmap, const Font *font, int x, int y, uint32_t col, int c)
{
	const uint8_t *glyph = GlyphOfCharacter(font, c);
	if (!glyph) return;
	int w = glyph[GlyphWidthByte], h = glyph[GlyphHeightByte];
	if (w == 0) return; // such a glyph has no rows at all
	const uint8_t *code = glyph + GlyphRowsByte;
	for (int r = 0; r < h; r++) {
		int cx = 0;
		for (;;) {
			cx += *code++;
			if (cx >= w) break;
			int run = *code++;
			DrawHorizontalLine(bitmap, x + cx, y + r, run, col);
			cx += run;
			if (cx >= w) break;
		}
	}
}

int _WidthOfSimpleString(const Font *font, const void *str)
{
	int width = 0;
	for (const uint8_t *s = (const uint8_t *)str; *s; s++) width += WidthOfCharacter(font, *s);
	return width;
}

void _DrawSimpleString(Bitmap *bitmap, const Font *font, int x, int y, uint32_t col, const void *str)
{
	for (const uint8_t *s = (const uint8_t *)str; *s; s++) {
		DrawCharacter(bitmap, font, x, y, col, *s);
		x += WidthOfCharacter(font, *s);
	}
}
