// zepprobe: the end-to-end tests' eyes and hand on a running zep in an X
// server. It closes zep's window the way a window manager does, and it
// checks a screenshot (a 640x480 PNG of the pixel-doubled window) against
// what the engine itself draws: a text in a colour class, a sprite near a
// place, the night sky for some view position. Run it in the game's folder:
// it reads the bundles from there. Needs libpng, zepcore and, for the
// window, tests/e2e/ProbeWindow.
//
//   zepprobe close
//   zepprobe text <shot.png> <8|12|16> <x> <y> <left|right> <text|white|highlight> <string>
//   zepprobe sprite <shot.png> <entry> <x> <y> <radius>
//   zepprobe sky <shot.png> <x0 from> <x0 to>
//
// Exit code 0 when the window was closed or the screenshot shows what was
// asked, 1 when it does not (with one line on stdout saying why), 2 on bad use.
#include <png.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>
#include "Game/Font.h"
#include "Game/Game.h"
#include "Game/ParallaxBackground.h"
#include "Graphics/Drawing.h"
#include "Platform/GameResources.h"
#include "Platform/ResourceBundle.h"
#include "Platform/ResourceLoader.h"
#include "tests/e2e/ProbeWindow.h"

constexpr int Width = 320, Height = 240;

// The screenshot at game resolution. doubled is false when some 2x2 block of
// the window is not one colour: then it is not a pixel-doubled frame at all.
struct Shot
{
	std::vector<Pixel> pixels;  // Width x Height, opaque
	bool doubled;
};

static bool LoadShot(Shot *self, const char *path)
{
	png_image image;
	memset(&image, 0, sizeof image);
	image.version = PNG_IMAGE_VERSION;
	if (!png_image_begin_read_from_file(&image, path)) return false;
	image.format = PNG_FORMAT_RGB;
	if (image.width != 2 * Width || image.height != 2 * Height) {
		png_image_free(&image);
		return false;
	}
	std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(image));
	if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) return false;
	auto at = [&rgb](int x, int y) {
		const uint8_t *p = &rgb[((size_t)y * 2 * Width + (size_t)x) * 3];
		return 0xFF000000u | (uint32_t)p[0] << 16 | (uint32_t)p[1] << 8 | p[2];
	};
	self->pixels.resize(Width * Height);
	self->doubled = true;
	for (int y = 0; y < Height; y++)
		for (int x = 0; x < Width; x++) {
			Pixel p = at(2 * x, 2 * y);
			if (at(2 * x + 1, 2 * y) != p || at(2 * x, 2 * y + 1) != p || at(2 * x + 1, 2 * y + 1) != p)
				self->doubled = false;
			self->pixels[(size_t)y * Width + x] = p;
		}
	return true;
}

// A transparent game-sized bitmap for the engine to draw the expectation into.
struct Canvas
{
	std::vector<Pixel> pixels;
	Bitmap bitmap;
};

static void InitializeCanvas(Canvas *self)
{
	self->pixels.assign(Width * Height, 0);
	InitializeBitmap(&self->bitmap, Width, Height, Width * 4, self->pixels.data());
}

static bool IsInColourClass(Pixel p, const char *colourclass)
{
	int r = (p >> 16) & 255, g = (p >> 8) & 255, b = p & 255;
	if (!strcmp(colourclass, "text")) return r == 224 && g == 255 && b == 224;
	if (!strcmp(colourclass, "white")) return r == 255 && g == 255 && b == 255;
	// the menus' pulsing highlight
	return r == g && r >= 145 && r <= 255 && b == 128;
}

static int CheckText(const Shot *shot, int size, int x, int y, bool right, const char *colourclass, const char *str)
{
	const Font *font = size == 8 ? &OL8Font : size == 12 ? &OL12Font : &OL16Font;
	Canvas canvas;
	InitializeCanvas(&canvas);
	if (right) DrawStringToTheLeftOf(&canvas.bitmap, font, x, y, 0xFFFFFFFFu, str);
	else DrawString(&canvas.bitmap, font, x, y, 0xFFFFFFFFu, str);
	int ink = 0, wrong = 0, firstx = -1, firsty = -1;
	Pixel first = 0, firstwrong = 0;
	bool uniform = true;
	for (int i = 0; i < Width * Height; i++) {
		if (!canvas.pixels[i]) continue;
		Pixel p = shot->pixels[i];
		if (ink++ == 0) first = p;
		if (p != first) uniform = false;
		if (!IsInColourClass(p, colourclass) && wrong++ == 0) firstwrong = p, firstx = i % Width, firsty = i / Width;
	}
	if (ink == 0) {
		printf("\"%s\" at (%d, %d) draws nothing on screen\n", str, x, y);
		return 1;
	}
	if (wrong) {
		printf("\"%s\": %d of %d ink pixels are not %s, the first at (%d, %d) is %06X\n", str, wrong, ink, colourclass,
			firstx, firsty, firstwrong & 0xFFFFFF);
		return 1;
	}
	if (!uniform) {
		printf("\"%s\" is %s but not in one colour\n", str, colourclass);
		return 1;
	}
	printf("\"%s\" is %s (%06X, %d pixels)\n", str, colourclass, first & 0xFFFFFF, ink);
	return 0;
}

static bool LoadBundles()
{
	// kept in the game record, where the bundles stay reachable until exit
	game.loader = AllocResourceLoader();
	StartRequestingResourceBundles(game.loader);
	for (const char *bundle : GameBundleNames) RequestResourceBundle(game.loader, bundle);
	EndRequestingResourceBundles(game.loader);
	game.resources = ResourceBundleList(game.loader);
	return game.resources != nullptr;
}

// Fraction of the frame's opaque pixels that the screenshot shows unchanged.
static double MatchOfFrame(const Shot *shot, RLEBitmap *frame, int x, int y)
{
	Canvas canvas;
	InitializeCanvas(&canvas);
	DrawRLEBitmap(&canvas.bitmap, frame, x, y);
	int opaque = 0, same = 0;
	for (int i = 0; i < Width * Height; i++)
		if (canvas.pixels[i] & 0x80000000u) {
			opaque++;
			if ((canvas.pixels[i] | 0xFF000000u) == shot->pixels[i]) same++;
		}
	return opaque ? (double)same / opaque : 0.0;
}

// Some frame of the entry, its top-left within radius of (x, y), is on
// screen with at most a tenth of it covered.
static int CheckSprite(const Shot *shot, const char *entry, int x, int y, int radius)
{
	RLEBitmap **frames = (RLEBitmap **)DataForResourceWithName(game.resources, entry, nullptr);
	if (!frames) {
		printf("no \"%s\" in the bundles\n", entry);
		return 2;
	}
	double best = 0;
	int bestframe = 0, bestx = 0, besty = 0;
	for (int f = 0; frames[f]; f++)
		for (int dy = -radius; dy <= radius; dy++)
			for (int dx = -radius; dx <= radius; dx++) {
				double m = MatchOfFrame(shot, frames[f], x + dx, y + dy);
				if (m > best) best = m, bestframe = f, bestx = x + dx, besty = y + dy;
			}
	printf("best match of \"%s\": frame %d at (%d, %d), %.0f%% of its pixels\n", entry, bestframe, bestx, besty,
		best * 100);
	return best >= 0.9 ? 0 : 1;
}

// The sky as the game draws it for some view position in the range matches
// most of the screen; sprites and text cover the rest.
static int CheckSky(const Shot *shot, int from, int to)
{
	ParallaxBackground sky;
	InitializeParallaxBackground(&sky, "Graphics/Backgrounds/NightSky/NightSky1", "Graphics/Backgrounds/NightSky/NightSky2",
		"Graphics/Backgrounds/NightSky/NightSky3", "Graphics/Backgrounds/NightSky/NightSky4", 0, 73, 118, 165, 131, 182,
		223, 239);
	if (!sky.layers[0]) {
		printf("no sky in the bundles\n");
		return 2;
	}
	Canvas canvas;
	InitializeCanvas(&canvas);
	double best = 0;
	int bestx0 = from;
	for (int x0 = from; x0 <= to; x0++) {
		FillBitmap(&canvas.bitmap, 0xFF000000u);
		DrawParallaxBackground(&sky, &canvas.bitmap, x0);
		int same = 0;
		for (int i = 0; i < Width * Height; i++) same += (canvas.pixels[i] | 0xFF000000u) == shot->pixels[i];
		double m = (double)same / (Width * Height);
		if (m > best) best = m, bestx0 = x0;
	}
	printf("the sky for x0 = %d matches %.1f%% of the screen\n", bestx0, best * 100);
	return best >= 0.8 ? 0 : 1;
}

static int Usage()
{
	fprintf(stderr, "usage: zepprobe close | text <shot> <8|12|16> <x> <y> <left|right> <text|white|highlight> <string>"
	                " | sprite <shot> <entry> <x> <y> <radius> | sky <shot> <x0 from> <x0 to>\n");
	return 2;
}

int main(int argc, char **argv)
{
	if (argc == 2 && !strcmp(argv[1], "close")) return CloseGameWindow();
	if (argc < 3) return Usage();
	const char *command = argv[1];
	bool text = !strcmp(command, "text") && argc == 9, sprite = !strcmp(command, "sprite") && argc == 7,
	     sky = !strcmp(command, "sky") && argc == 5;
	if (!text && !sprite && !sky) return Usage();
	Shot shot;
	if (!LoadShot(&shot, argv[2])) {
		printf("%s is not a readable %dx%d PNG\n", argv[2], 2 * Width, 2 * Height);
		return 1;
	}
	if (!shot.doubled) {
		printf("%s is not a pixel-doubled frame\n", argv[2]);
		return 1;
	}
	if (text) {
		int size = atoi(argv[3]);
		if ((size != 8 && size != 12 && size != 16) || (strcmp(argv[6], "left") && strcmp(argv[6], "right")) ||
			(strcmp(argv[7], "text") && strcmp(argv[7], "white") && strcmp(argv[7], "highlight")))
			return Usage();
		return CheckText(&shot, size, atoi(argv[4]), atoi(argv[5]), !strcmp(argv[6], "right"), argv[7], argv[8]);
	}
	if (!LoadBundles()) {
		printf("no bundles in this folder\n");
		return 2;
	}
	if (sprite) return CheckSprite(&shot, argv[3], atoi(argv[4]), atoi(argv[5]), atoi(argv[6]));
	return CheckSky(&shot, atoi(argv[3]), atoi(argv[4]));
}
