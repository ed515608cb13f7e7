// The night sky's four bands and the title picture. Band outlines are sums of
// sines whose periods divide the 512-pixel tile, so the tiles repeat without
// a seam, and each band is opaque from its outline down to its last row, so
// that the four together cover every pixel of the screen.
#include "Game/Layout.h"
#include "tools/artgen/Art.h"


// Height of a band's outline at column x: its top edge, from the start row down.
static double Ridge(int band, double x)
{
	const double tau = 6.2831853 / 512;
	switch (band) {
	case 1: return 104 + 14 * std::sin(x * tau * 2 + 1) + 7 * std::sin(x * tau * 5 + 2) + 3 * std::sin(x * tau * 11);
	case 2: return 150 + 16 * std::sin(x * tau * 3 + 4) + 6 * std::sin(x * tau * 7 + 1) + 3 * std::sin(x * tau * 16 + 2);
	default: return 190 + 8 * std::sin(x * tau * 4 + 2) + 4 * std::sin(x * tau * 9) + 2 * std::sin(x * tau * 23 + 1);
	}
}

static void Sky(Canvas *c, int rows, uint64_t seed, bool moon, int moonx)
{
	const Pixel top = Hex(0x0b0d2b), middle = Hex(0x1d1f4f), horizon = Hex(0x3a2f6b);
	for (int y = 0; y < rows; y++) {
		double t = (double)y / (rows - 1);
		Pixel p = t < 0.6 ? Mix(top, middle, t / 0.6) : Mix(middle, horizon, (t - 0.6) / 0.4);
		// ordered dithering between bands of the gradient keeps it smooth at 1x
		for (int x = 0; x < c->width; x++) {
			double n = t * 24 + ((x + y * 2) % 4) * 0.25;
			Plot(c, x, y, Mix(p, Mix(p, horizon, 0.04), (int)n % 2 ? 1 : 0));
		}
	}
	Random rng(seed);
	for (int k = 0; k < 160; k++) {
		int x = (int)(rng.Next() % (uint32_t)c->width), y = (int)(rng.Next() % (uint32_t)(rows - 20));
		uint32_t kind = rng.Next() % 10;
		Pixel star = kind < 6 ? Hex(0x8a8ab8) : kind < 9 ? Hex(0xc8c8f0) : Hex(0xfffbe0);
		Plot(c, x, y, star);
		if (kind == 9) Plot(c, x - 1, y, Hex(0x6a6a9a)), Plot(c, x + 1, y, Hex(0x6a6a9a)), Plot(c, x, y - 1, Hex(0x6a6a9a)), Plot(c, x, y + 1, Hex(0x6a6a9a));
	}
	if (moon) {
		for (int y = 0; y < rows; y++)
			for (int x = moonx - 30; x < moonx + 30; x++) {
				double d = std::hypot(x + 0.5 - moonx, y + 0.5 - 40);
				if (d < 26 && d >= 17) Plot(c, x, y, Mix(At(*c, x, y), Hex(0x4a4a7a), (26 - d) / 30));
			}
		ShadedDisc(c, moonx, 40, 16, Hex(0xf4f1d0), Hex(0xf4f1d0), Hex(0xc9c39a));
		Ellipse(c, moonx + 5, 35, 3, 2.5, Hex(0xd8d2aa));
		Ellipse(c, moonx - 4, 46, 2.5, 2, Hex(0xd8d2aa));
		Ellipse(c, moonx + 2, 48, 1.5, 1.5, Hex(0xd8d2aa));
	}
}

static void Trees(Canvas *c, int band, uint64_t seed, Pixel dark, Pixel light)
{
	Random rng(seed);
	for (int k = 0; k < 18; k++) {
		int x = (int)(rng.Next() % 512u);
		int h = 10 + (int)(rng.Next() % 14u);
		int base = (int)Ridge(band, x) + 2;
		for (int j = 0; j < h; j++) {
			int half = (j * 5) / h + ((j % 4) == 3 ? 1 : 0);
			for (int i = -half; i <= half; i++) Plot(c, (x + i + 512) % 512, base - h + j, i < 0 ? light : dark);
		}
		Plot(c, x, base - h - 1, dark);
	}
}

Canvas SkyBand(int band)
{
	Canvas c = NewCanvas(512, 240);
	if (band == 0) {
		Sky(&c, NightSkyBands[0].end + 1, 7, true, 380);
		return c;
	}
	const Pixel fills[4][3] = {{0, 0, 0}, {Hex(0x2a2d5c), Hex(0x23264f), Hex(0x353a70)},
		{Hex(0x1a2a3a), Hex(0x142230), Hex(0x24384a)}, {Hex(0x0e1a20), Hex(0x0a1216), Hex(0x2e5a4a)}};
	for (int x = 0; x < 512; x++) {
		int top = (int)Ridge(band, x);
		for (int y = top; y <= NightSkyBands[band].end; y++) {
			Pixel p = y == top ? fills[band][2] : ((x * 7 + y * 3) % 11 == 0 ? fills[band][1] : fills[band][0]);
			if (band == 3 && y - top < 2 && (x % 3) != 1) p = fills[3][2];  // grass tips
			Plot(&c, x, y, p);
		}
	}
	if (band == 2) Trees(&c, 2, 21, Hex(0x0e1822), Hex(0x1a2a3a));
	if (band == 3) Trees(&c, 3, 33, Hex(0x060c10), Hex(0x0e1a20));
	// the tallest trees stop at the band's first row, so the farther bands show above it
	for (int y = 0; y < NightSkyBands[band].start; y++)
		for (int x = 0; x < 512; x++) Plot(&c, x, y, 0);
	return c;
}

// The logo's letters on a 5 x 7 grid, drawn large with a bevel.
static const char *const Logo[3][7] = {
	{".....", ".....", "#####", "...##", "..##.", ".##..", "#####"},
	{"#####", "#....", "#....", "####.", "#....", "#....", "#####"},
	{"####.", "#...#", "#...#", "#####", "#....", "#....", "#...."},
};

Canvas TitlePicture()
{
	Canvas c = NewCanvas(320, 240);
	Sky(&c, 240, 11, true, 92);
	Canvas hills = SkyBand(1), near = SkyBand(2), ground = SkyBand(3);
	for (Canvas *layer : {&hills, &near, &ground})
		for (int y = 0; y < 240; y++)
			for (int x = 0; x < 320; x++)
				if (IsInk(*layer, x + 40, y)) Plot(&c, x, y, At(*layer, x + 40, y));
	// a calm, even panel for the menu, instructions and credits
	for (int y = 132; y < 240; y++)
		for (int x = 172; x < 320; x++) Plot(&c, x, y, Mix(At(c, x, y), Hex(0x0a0c22), 0.72));
	for (int y = 0; y < 14; y++)
		for (int x = 222; x < 320; x++) Plot(&c, x, y, Mix(At(c, x, y), Hex(0x0a0c22), 0.6));
	// the logo over the moon: solid letters lit from the top left, with a
	// two-step bevel and a shadow that lifts them off the sky
	Canvas logo = NewCanvas(136, 76);
	const int cell = 7, gap = 8;
	for (int l = 0; l < 3; l++)
		for (int row = 0; row < 7; row++)
			for (int col = 0; col < 5; col++)
				if (Logo[l][row][col] == '#')
					Rect(&logo, 2 + l * (5 * cell + gap) + col * cell, 8 + row * cell, cell, cell, Hex(0x7dffb0));
	Canvas shape = logo;
	for (int y = 0; y < logo.height; y++)
		for (int x = 0; x < logo.width; x++) {
			if (!IsInk(shape, x, y)) continue;
			bool top = !IsInk(shape, x, y - 1), left = !IsInk(shape, x - 1, y);
			bool bottom = !IsInk(shape, x, y + 1) || !IsInk(shape, x, y + 2), right = !IsInk(shape, x + 1, y);
			Pixel p = top || left ? Hex(0xe8ffe8) : bottom || right ? Hex(0x2f9f66) : (y / 3) % 2 ? Hex(0x7dffb0) : Hex(0x8dffbc);
			Plot(&logo, x, y, p);
		}
	Outline(&logo, Hex(0x0e3a2a));
	Canvas shadow = NewCanvas(logo.width, logo.height);
	for (int y = 0; y < logo.height; y++)
		for (int x = 0; x < logo.width; x++)
			if (IsInk(logo, x, y)) Plot(&shadow, x, y, Hex(0x06071a));
	Paste(&c, shadow, 31, 61);
	Paste(&c, logo, 28, 58);
	return c;
}
