// specimen <output.png> [scale]: draws the three fonts - every glyph, then
// the strings the game shows - white and pale green on dark green, through
// the game's own text functions, and writes the picture scaled up as a PNG.
// Needs zepcore (fonts and drawing) and libpng.
#include <png.h>
#include <cstdio>
#include <cstdlib>
#include <vector>
#include "Game/Font.h"
#include "Game/Layout.h"
#include "Graphics/Pixels/Construction32.h"

static const char *GameStrings[] = {
	"Start game", "Credits", "Quit", "Arrow keys to move,", "Z to fire (and select),", "Left shift to focus fire.",
	"zEP beta version", "Code & Graphics:", "Quillon", "Audio & Title Art:", "Ambrel", "OK", "Score: 00000", "Game Over",
};

static const uint32_t White = RGB(255, 255, 255), PaleGreen = RGB(224, 255, 224), Grey = RGB(120, 160, 130);

// Text wrapped at the page's right edge; returns the y below it.
static int DrawWrapped(Bitmap *bitmap, const Font *font, int y, uint32_t col, const char *const *texts, int count)
{
	int x = 8, gap = 3 * WidthOfCharacter(font, ' ');
	for (int i = 0; i < count; i++) {
		int w = WidthOfString(font, texts[i]);
		if (x > 8 && x + w > bitmap->width - 8) {
			x = 8;
			y += HeightOfFont(font) + 3;
		}
		DrawString(bitmap, font, x, y, col, texts[i]);
		x += w + gap;
	}
	return y + HeightOfFont(font) + 3;
}

// Every glyph with pixels (symbols and digits, capitals, small letters), then
// the game's strings once in each of its two text colours.
static int DrawFont(Bitmap *bitmap, const Font *font, const char *name, int y)
{
	DrawString(bitmap, &OL8Font, 8, y, Grey, name);
	y += 12;
	const char *glyphs[] = {"!\"#$%&'()*+,-./0123456789:;<=>?@", "ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_`",
		"abcdefghijklmnopqrstuvwxyz{|}~\xb5"};
	for (int i = 0; i < 3; i++) y = DrawWrapped(bitmap, font, y, i % 2 ? PaleGreen : White, &glyphs[i], 1);
	y += 4;
	const int count = sizeof(GameStrings) / sizeof(GameStrings[0]);
	y = DrawWrapped(bitmap, font, y, White, GameStrings, count);
	y = DrawWrapped(bitmap, font, y, PaleGreen, GameStrings, count);
	return y + 10;
}

// The texts where the game puts them on its 320 x 240 screen: menu,
// instructions, version line, score and "Game Over" together.
static int DrawScreen(Bitmap *page, int y)
{
	if (y + 240 > page->height) return y;
	Bitmap screen;
	InitializeBitmap(&screen, 320, 240, page->bytesperrow, BitmapPixelPointer(page, 8, y));
	FillBitmap(&screen, RGB(14, 16, 44));
	auto put = [&](const ScreenText &t, int dx, Pixel colour) {
		DrawString(&screen, FontOfSize(t.size), t.x + dx, t.y, colour, t.text);
	};
	for (int i = 0; i < MenuItemCount; i++) put(MenuItems[i], 0, i == 0 ? RGB(200, 200, 128) : PaleGreen);
	for (const ScreenText &t : MenuLines) put(t, 0, PaleGreen);
	DrawStringToTheLeftOf(&screen, &OL8Font, 312, 4 + 12, White, "Score: 00000");
	DrawStringCenteredInRectangle(&screen, &OL12Font, 0, 0, 320, 240, White, "Game Over");
	// the credits moved to the left edge, beside the menu
	for (const ScreenText &t : CreditsLines) put(t, -172, PaleGreen);
	put(CreditsOK, -172, RGB(255, 255, 128));
	return y + 240 + 8;
}

// The height used.
static int DrawAll(Bitmap *bitmap)
{
	int y = 6;
	y = DrawFont(bitmap, &OL8Font, "OL8Font", y);
	y = DrawFont(bitmap, &OL12Font, "OL12Font", y);
	y = DrawFont(bitmap, &OL16Font, "OL16Font", y);
	DrawString(bitmap, &OL8Font, 8, y, Grey, "On the screen (credits moved left to share it)");
	return DrawScreen(bitmap, y + 12);
}

static bool WritePNG(const char *path, const Bitmap *bitmap, int height, int scale)
{
	int w = bitmap->width * scale, h = height * scale;
	std::vector<uint8_t> rgb((size_t)w * h * 3);
	for (int y = 0; y < h; y++)
		for (int x = 0; x < w; x++) {
			Pixel p = bitmap->pixels[(y / scale) * (bitmap->bytesperrow / 4) + x / scale];
			uint8_t *out = &rgb[((size_t)y * w + x) * 3];
			out[0] = (uint8_t)ExtractRed(p), out[1] = (uint8_t)ExtractGreen(p), out[2] = (uint8_t)ExtractBlue(p);
		}
	png_image image = {};
	image.version = PNG_IMAGE_VERSION;
	image.width = (png_uint_32)w;
	image.height = (png_uint_32)h;
	image.format = PNG_FORMAT_RGB;
	bool ok = png_image_write_to_file(&image, path, 0, rgb.data(), w * 3, nullptr) != 0;
	png_image_free(&image);
	return ok;
}

int main(int argc, char **argv)
{
	int scale = argc > 2 ? atoi(argv[2]) : 3;
	if (argc < 2 || argc > 3 || scale < 1 || scale > 8) {
		fprintf(stderr, "usage: specimen <output.png> [scale 1-8, default 3]\n");
		return 2;
	}
	// drawn into more room than it needs, then cut to the height used
	const int width = 480, room = 1000;
	std::vector<Pixel> pixels((size_t)width * room);
	Bitmap page;
	InitializeBitmap(&page, width, room, width * 4, pixels.data());
	FillBitmap(&page, RGB(12, 52, 30));
	int height = DrawAll(&page);
	if (!WritePNG(argv[1], &page, height, scale)) {
		fprintf(stderr, "specimen: cannot write %s\n", argv[1]);
		return 1;
	}
	return 0;
}
