// zepprobe: the end-to-end tests' eyes and hand on zep in an X server. It
// closes a window as a window manager does, and checks a screenshot against
// what the engine itself draws, with the bundles of the folder it runs in.
// The screenshot is a 640x480 PNG of the pixel-doubled window, or of a whole
// screen showing either the full screen's picture (at the largest whole
// scale up to 9, centred) or the window at its top-left.
//   zepprobe close <window id>
//   zepprobe picture <shot.png> <scale> <x> <y>
//   zepprobe same <shot.png> <earlier shot.png>
//   zepprobe text <shot.png> <8|12|16> <x> <y> <left|right> <text|white|highlight> <string>
//   zepprobe sprite <shot.png> <entry> <x> <y> <radius>
//   zepprobe sky <shot.png> <x0 from> <x0 to>
//   zepprobe menu <shot.png> <highlighted item: 0|1|2>
//   zepprobe credits <shot.png>
// Exit code 0 when the window was closed or the screenshot shows what was
// asked, 1 when it does not (one line on stdout says why), 2 on bad use.
// Xlib's own "Font" is renamed on the way in: the engine has one.
#define Font XFont
#include <X11/Xlib.h>
#undef Font
#include <png.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <vector>
#include "Game/Font.h"
#include "Game/Game.h"
#include "Game/Layout.h"
#include "Game/ParallaxBackground.h"
#include "Graphics/Drawing.h"
#include "Platform/GameResources.h"
#include "Platform/ResourceBundle.h"
#include "Platform/ResourceLoader.h"

constexpr int Width = 320, Height = 240, Size = Width * Height;
static std::vector<Pixel> shot(Size);  // the screenshot at game resolution, opaque

static int shotwidth, shotheight;
static std::vector<Pixel> screen;  // the whole screenshot, opaque

static bool ReadPNG(const char *path)
{
	png_image image = {};
	image.version = PNG_IMAGE_VERSION;
	if (!png_image_begin_read_from_file(&image, path)) return false;
	image.format = PNG_FORMAT_BGRA;  // opaque 0xAARRGGBB words on this little-endian target, as the engine's
	shotwidth = (int)image.width, shotheight = (int)image.height;
	screen.assign((size_t)shotwidth * shotheight, 0);
	return png_image_finish_read(&image, nullptr, screen.data(), 0, nullptr);
}

// Takes the picture at (x, y) of the screenshot into shot; false unless it
// fits and each of its scale x scale blocks is one colour.
static bool TakePicture(int scale, int x, int y)
{
	if (scale < 1 || x < 0 || y < 0 || x + scale * Width > shotwidth || y + scale * Height > shotheight) return false;
	for (int i = 0; i < Size; i++) {
		const Pixel *block = &screen[(size_t)(y + i / Width * scale) * shotwidth + x + i % Width * scale];
		shot[i] = block[0];
		for (int dy = 0; dy < scale; dy++)
			for (int dx = 0; dx < scale; dx++)
				if (block[(size_t)dy * shotwidth + dx] != shot[i]) return false;
	}
	return true;
}

// The picture of a window shot, of a full screen or of a window at the
// screen's top-left, whichever the screenshot shows.
static bool LoadShot(const char *path)
{
	if (!ReadPNG(path)) return false;
	int scale = std::min(std::min(shotwidth / Width, shotheight / Height), 9);
	return TakePicture(scale, (shotwidth - scale * Width) / 2, (shotheight - scale * Height) / 2) ||
	       TakePicture(2, 0, 0);
}

// The picture at that scale and place, and nothing but black around it.
static int CheckPicture(int scale, int x, int y)
{
	if (!TakePicture(scale, x, y)) return printf("no picture at %dx at (%d, %d) of the %dx%d screen\n", scale, x, y, shotwidth, shotheight), 1;
	for (int sy = 0; sy < shotheight; sy++)
		for (int sx = 0; sx < shotwidth; sx++) {
			bool inside = sx >= x && sy >= y && sx < x + scale * Width && sy < y + scale * Height;
			if (!inside && (screen[(size_t)sy * shotwidth + sx] & 0xFFFFFF))
				return printf("not black outside the picture: %06X at (%d, %d)\n", screen[(size_t)sy * shotwidth + sx] & 0xFFFFFF, sx, sy), 1;
		}
	printf("the picture at %dx at (%d, %d) of the %dx%d screen, black around it\n", scale, x, y, shotwidth, shotheight);
	return 0;
}

// What draw() puts into a transparent game-sized canvas.
static std::vector<Pixel> Drawn(const std::function<void(Bitmap *)> &draw)
{
	std::vector<Pixel> pixels(Size, 0);
	Bitmap bitmap;
	InitializeBitmap(&bitmap, Width, Height, Width * 4, pixels.data());
	draw(&bitmap);
	return pixels;
}

static bool IsInColourClass(Pixel p, const char *colourclass)
{
	p &= 0xFFFFFF;
	if (!strcmp(colourclass, "text")) return p == (TitleTextColour() & 0xFFFFFF);
	if (!strcmp(colourclass, "white")) return p == 0xFFFFFF;
	return IsTitleHighlightColour(p);
}

// The picture is the earlier one's but for pixels lit in both (the menu's
// pulsing item).
static int CheckSame(const char *earlier)
{
	std::vector<Pixel> now = shot;
	if (!LoadShot(earlier)) return printf("%s shows no picture\n", earlier), 2;
	int lit = 0;
	for (int i = 0; i < Size; i++) {
		if (now[i] == shot[i]) continue;
		if (!IsTitleHighlightColour(now[i] & 0xFFFFFF) || !IsTitleHighlightColour(shot[i] & 0xFFFFFF))
			return printf("(%d, %d) is %06X, was %06X\n", i % Width, i / Width, now[i] & 0xFFFFFF, shot[i] & 0xFFFFFF), 1;
		lit++;
	}
	printf("the same picture as %s but for %d lit pixels\n", earlier, lit);
	return 0;
}

// Every ink pixel of the text is on screen in one colour of the class.
static int CheckText(int size, int x, int y, bool right, const char *colourclass, const char *str)
{
	const Font *font = FontOfSize(size);
	std::vector<Pixel> ink = Drawn([&](Bitmap *b) { (right ? DrawStringToTheLeftOf : DrawString)(b, font, x, y, ~0u, str); });
	int count = 0;
	Pixel first = 0;
	for (int i = 0; i < Size; i++) {
		if (!ink[i]) continue;
		if (count++ == 0) first = shot[i];
		if (!IsInColourClass(shot[i], colourclass) || shot[i] != first) {
			printf("\"%s\" at (%d, %d) is not all one %s colour: %06X at (%d, %d)\n", str, x, y, colourclass,
				shot[i] & 0xFFFFFF, i % Width, i / Width);
			return 1;
		}
	}
	printf("\"%s\" is %s (%06X, %d pixels)\n", str, colourclass, first & 0xFFFFFF, count);
	return count ? 0 : 1;
}

// Every line of the title menu, item lit pulsing and the rest plain, or of
// the credits, where "OK" pulses.
static int CheckTitleScreen(bool menu, int lit)
{
	int failed = 0;
	auto check = [&](const ScreenText &line, bool pulsing) {
		failed |= CheckText(line.size, line.x, line.y, false, pulsing ? "highlight" : "text", line.text);
	};
	for (int i = 0; menu && i < MenuItemCount; i++) check(MenuItems[i], i == lit);
	for (const ScreenText &line : menu ? MenuLines : CreditsLines) check(line, false);
	if (!menu) check(CreditsOK, true);
	return failed;
}

// The best of draws 0 .. count-1 by the fraction of its pixels that the
// screenshot shows unchanged; which one in *which.
static double BestMatch(int count, int *which, const std::function<void(Bitmap *, int)> &draw)
{
	double best = 0;
	for (int k = 0; k < count; k++) {
		std::vector<Pixel> drawn = Drawn([&](Bitmap *b) { draw(b, k); });
		int opaque = 0, same = 0;
		for (int i = 0; i < Size; i++)
			if (drawn[i] & 0x80000000u) opaque++, same += (drawn[i] | 0xFF000000u) == shot[i];
		if (opaque && (double)same / opaque > best) best = (double)same / opaque, *which = k;
	}
	return best;
}

// Some frame of the entry, its top-left within radius of (x, y), is on
// screen with at most a tenth of it covered.
static int CheckSprite(const char *entry, int x, int y, int radius)
{
	RLEBitmap **frames = (RLEBitmap **)DataForResourceWithName(game.resources, entry, nullptr);
	if (!frames) return printf("no \"%s\" in the bundles\n", entry), 2;
	int count = 0, side = 2 * radius + 1, k = 0;
	while (frames[count]) count++;
	double best = BestMatch(count * side * side, &k, [&](Bitmap *b, int k) {
		DrawRLEBitmap(b, frames[k / (side * side)], x + k % side - radius, y + k / side % side - radius);
	});
	printf("best match of \"%s\": frame %d at (%d, %d), %.0f%% of its pixels\n", entry, k / (side * side),
		x + k % side - radius, y + k / side % side - radius, best * 100);
	return best >= 0.9 ? 0 : 1;
}

// The sky as the game draws it for some view position in the range matches
// most of the screen; sprites and text cover the rest.
static int CheckSky(int from, int to)
{
	ParallaxBackground sky;
	InitializeNightSky(&sky);
	if (!sky.layers[0]) return printf("no sky in the bundles\n"), 2;
	int k = 0;
	double best = BestMatch(to - from + 1, &k, [&](Bitmap *b, int k) {
		FillBitmap(b, 0xFF000000u);
		DrawParallaxBackground(&sky, b, from + k);
	});
	printf("the sky for x0 = %d matches %.1f%% of the screen\n", from + k, best * 100);
	return best >= 0.8 ? 0 : 1;
}

// Asks the window to close as a window manager does, with the
// WM_DELETE_WINDOW message that SDL turns into a quit event.
static int CloseGameWindow(Window window)
{
	Display *display = XOpenDisplay(nullptr);
	if (!display) return printf("cannot open the display\n"), 2;
	XEvent event = {};
	event.xclient.type = ClientMessage;
	event.xclient.window = window;
	event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
	event.xclient.format = 32;
	event.xclient.data.l[0] = (long)XInternAtom(display, "WM_DELETE_WINDOW", False);
	Status sent = XSendEvent(display, window, False, NoEventMask, &event);
	XCloseDisplay(display);
	return sent ? 0 : 1;
}

int main(int argc, char **argv)
{
	const char *command = argc > 1 ? argv[1] : "";
	if (argc == 3 && !strcmp(command, "close")) return CloseGameWindow(strtoul(argv[2], nullptr, 0));
	int size = argc > 3 ? atoi(argv[3]) : 0;
	bool text = !strcmp(command, "text") && argc == 9 && (size == 8 || size == 12 || size == 16);
	bool menu = !strcmp(command, "menu") && argc == 4, credits = !strcmp(command, "credits") && argc == 3;
	bool picture = !strcmp(command, "picture") && argc == 6, same = !strcmp(command, "same") && argc == 4;
	if (!text && !menu && !credits && !picture && !same && !(!strcmp(command, "sprite") && argc == 7) &&
		!(!strcmp(command, "sky") && argc == 5))
		return fprintf(stderr, "bad use; see the head of tests/e2e/ZepProbe.cpp\n"), 2;
	if (picture) return ReadPNG(argv[2]) ? CheckPicture(atoi(argv[3]), atoi(argv[4]), atoi(argv[5])) : 1;
	if (!LoadShot(argv[2])) return printf("%s shows no scaled %dx%d picture\n", argv[2], Width, Height), 1;
	if (same) return CheckSame(argv[3]);
	if (text) return CheckText(size, atoi(argv[4]), atoi(argv[5]), !strcmp(argv[6], "right"), argv[7], argv[8]);
	if (menu || credits) return CheckTitleScreen(menu, menu ? atoi(argv[3]) : -1);
	// kept in the game record, where the bundles stay reachable until exit
	game.loader = AllocResourceLoader();
	StartRequestingResourceBundles(game.loader);
	for (const char *bundle : GameBundleNames) RequestResourceBundle(game.loader, bundle);
	EndRequestingResourceBundles(game.loader);
	if (!(game.resources = ResourceBundleList(game.loader))) return printf("no bundles in this folder\n"), 2;
	return !strcmp(command, "sky") ? CheckSky(atoi(argv[3]), atoi(argv[4]))
	                               : CheckSprite(argv[3], atoi(argv[4]), atoi(argv[5]), atoi(argv[6]));
}
