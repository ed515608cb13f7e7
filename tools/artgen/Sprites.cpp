// The sprite sheets: the hero, shots, bullets, splats, the three enemies,
// the off-screen warning and the lives star. The hero is pixel art read from
// a text grid; everything else is computed from shapes and a seeded
// sequence, so every build draws the same pixels.
#include "tools/artgen/Art.h"

// Thirteen colours for bullets and splats: around the hue circle plus white,
// placed so that 1 matches the flame, 7 the ectoplasm and 10 the orb.
const uint32_t PaletteColours[13] = {0xff5a5a, 0xffb13b, 0xfff07a, 0xb6ff5a, 0xffe6c0, 0x5affe6, 0x5ab4ff,
	0x7dffb0, 0x6a7dff, 0xff8ad8, 0xc59bff, 0xff5ab4, 0xffffff};

static Canvas Sheet(const std::vector<Canvas> &cells, int columns)
{
	int w = cells[0].width, h = cells[0].height, rows = ((int)cells.size() + columns - 1) / columns;
	Canvas sheet = NewCanvas(w * columns, h * rows);
	for (size_t i = 0; i < cells.size(); i++) Paste(&sheet, cells[i], (int)(i % columns) * w, (int)(i / columns) * h);
	return sheet;
}

// The hero's poses in sheet order: climbing, then level, each backward,
// still and forward.
static const char *const HeroPoses[6] = {"up-backward", "up-still", "up-forward", "level-backward", "level-still",
	"level-forward"};

bool CheckHeroGrids(const std::vector<GridPicture> &hero, std::string *error)
{
	for (const char *pose : HeroPoses) {
		const GridPicture *p = FindGridPicture(hero, pose);
		if (!p) {
			*error = std::string("the hero has no picture \"") + pose + "\"";
			return false;
		}
		if (p->marks.size() != 1) {
			*error = std::string("the hero's \"") + pose + "\" needs one '*' where its shots leave, not " +
				std::to_string(p->marks.size());
			return false;
		}
	}
	return true;
}

// A pose as drawn, outlined, and when firing with a muzzle flash on its mark.
static Canvas Hero(const std::vector<GridPicture> &hero, int pose, bool firing)
{
	const GridPicture *p = FindGridPicture(hero, HeroPoses[pose]);
	Canvas c = p->canvas;
	Outline(&c, Hex(0x2a1020));
	if (firing) {
		auto [x, y] = p->marks[0];
		GlowDisc(&c, x + 0.5, y + 0.5, 2.5, Hex(0xfff6d0), Hex(0xffd07a), Hex(0xffb347));
	}
	return c;
}

Canvas HeroSheet(const std::vector<GridPicture> &hero)
{
	std::vector<Canvas> right;
	for (int firing = 0; firing < 2; firing++)
		for (int pose = 0; pose < 6; pose++) right.push_back(Hero(hero, pose, firing));
	std::vector<Canvas> all = right;
	for (const Canvas &c : right) all.push_back(Mirrored(c));
	return Sheet(all, 12);
}

Canvas PlayerBulletSheet()
{
	std::vector<Canvas> cells;
	const int lengths[3] = {9, 13, 17}, thickness[3] = {1, 2, 3};
	for (int size = 0; size < 3; size++) {
		Canvas c = NewCanvas(20, 8);
		int len = lengths[size], t = thickness[size], x0 = 10 - len / 2;
		for (int x = 0; x < len; x++) {
			double f = (double)x / (len - 1);  // tail to head
			int half = (int)std::lround(t * (0.4 + 0.6 * f));
			for (int y = -half; y <= half; y++)
				Plot(&c, x0 + x, 4 + y, std::abs(y) < half || half == 0 ? Mix(Hex(0xffb347), Hex(0xfff6d0), f) : Hex(0xffb347));
		}
		Outline(&c, Hex(0x8c4a1e));
		cells.push_back(c);
	}
	for (int size = 0; size < 3; size++) cells.push_back(Mirrored(cells[size]));
	return Sheet(cells, 6);
}

Canvas FlashSheet()
{
	std::vector<Canvas> cells;
	for (int f = 0; f < 4; f++) {
		Canvas c = NewCanvas(12, 12);
		double r = 2.0 + f * 1.3;
		Pixel core = Mix(Hex(0xfff6d0), Hex(0xffb347), f / 3.0);
		for (int k = 0; k < 8; k++) {
			double a = k * 3.14159265 / 4, len = (k % 2 ? r * 0.6 : r);
			for (double d = f * 0.8; d <= len; d += 0.5) Plot(&c, (int)(6 + std::cos(a) * d), (int)(6 + std::sin(a) * d), k % 2 ? Hex(0xffb347) : core);
		}
		if (f < 2) GlowDisc(&c, 6, 6, 2 - f * 0.5, Hex(0xffffff), core, core);
		cells.push_back(c);
	}
	return Sheet(cells, 4);
}

Canvas BulletSheet()
{
	std::vector<Canvas> cells;
	const double radius[3] = {2.2, 3.6, 5.1};
	for (uint32_t colour : PaletteColours)
		for (double r : radius) {
			Canvas c = NewCanvas(12, 12);
			Pixel base = Hex(colour);
			GlowDisc(&c, 6, 6, r, Hex(0xffffff), Mix(base, Hex(0xffffff), 0.35), base);
			Outline(&c, Darker(base, 0.65));
			cells.push_back(c);
		}
	return Sheet(cells, 12);
}

// An expanding ring of sparks that fades from white through the colour to
// its dark shade; the spark angles come from the seeded sequence.
Canvas SplatSheet()
{
	std::vector<Canvas> cells;
	for (int colour = 0; colour < 13; colour++) {
		Random rng(1000 + colour);
		double angles[14], speeds[14];
		for (int k = 0; k < 14; k++) angles[k] = rng.Unit() * 6.2831853, speeds[k] = 0.7 + rng.Unit() * 0.6;
		Pixel base = Hex(PaletteColours[colour]), dark = Darker(base, 0.55);
		for (int f = 0; f < 8; f++) {
			Canvas c = NewCanvas(32, 32);
			double t = f / 7.0;
			Pixel hot = Mix(Hex(0xffffff), base, t * 1.5), rim = Mix(base, dark, t);
			if (f < 5) {
				double r = 3 + f * 2.3, inner = f < 2 ? 0 : r - 3.5 + f * 0.3;
				for (int y = 0; y < 32; y++)
					for (int x = 0; x < 32; x++) {
						double d = std::hypot(x + 0.5 - 16, y + 0.5 - 16);
						if (d <= r && d >= inner) Plot(&c, x, y, d > r - 1.5 ? rim : hot);
					}
			}
			for (int k = 0; k < 14; k++) {
				double d = (4 + f * 2.2) * speeds[k];
				int x = (int)(16 + std::cos(angles[k]) * d), y = (int)(16 + std::sin(angles[k]) * d);
				Pixel spark = f < 6 ? hot : rim;
				Plot(&c, x, y, spark);
				if (f < 6) Plot(&c, x + 1, y, spark), Plot(&c, x, y + 1, rim);
			}
			cells.push_back(c);
		}
	}
	return Sheet(cells, 8);
}

// A ghostly blob breathing: a body whose outline wobbles, two hollow eyes and
// a ragged tail; the charge poses squash and stretch it.
static Canvas Ghost(double wobble, double stretch)
{
	Canvas c = NewCanvas(36, 36);
	const Pixel light = Hex(0x7dffb0), mid = Hex(0x3fcf82), dark = Hex(0x1f7a52), eye = Hex(0x0b2a1a);
	for (int y = 0; y < 36; y++)
		for (int x = 0; x < 36; x++) {
			double dx = (x + 0.5 - 18) / (13.0 * (1 + stretch * 0.15)), dy = (y + 0.5 - 16) / (12.0 * (1 - stretch * 0.12));
			double a = std::atan2(dy, dx), edge = 1 + 0.06 * std::sin(a * 5 + wobble) + 0.04 * std::sin(a * 3 - wobble * 2);
			double d = std::hypot(dx, dy);
			bool tail = y > 16 && y < 32 && d < 1.6 && std::fabs(dx) < 0.95 &&
				(y - 16) < 12 + 3 * std::sin(x * 0.9 + wobble * 2);
			if (d > edge && !tail) continue;
			double lx = dx + 0.35, ly = dy + 0.35, l = std::hypot(lx, ly);
			Plot(&c, x, y, l < 0.55 ? light : l < 1.1 ? mid : dark);
		}
	Ellipse(&c, 13.5, 14.5, 2.2, 3.0 - stretch, eye);
	Ellipse(&c, 22.5, 14.5, 2.2, 3.0 - stretch, eye);
	Plot(&c, 13, 13, Hex(0xc8ffe0));
	Plot(&c, 22, 13, Hex(0xc8ffe0));
	Outline(&c, Hex(0x0e3a2a));
	return c;
}

Canvas EctoplasmSheet()
{
	std::vector<Canvas> cells;
	for (int f = 0; f < 9; f++) cells.push_back(Ghost(f * 0.7, 0));
	cells.push_back(Ghost(2.0, 1.2));
	cells.push_back(Ghost(4.5, -1.0));
	return Sheet(cells, 11);
}

// The orb: a violet sphere with a ring of light that turns; the fifth
// picture is its bright warning flash.
Canvas OrbSheet()
{
	std::vector<Canvas> cells;
	const double radius[2] = {5.0, 7.0};
	for (double r : radius)
		for (int f = 0; f < 5; f++) {
			Canvas c = NewCanvas(16, 16);
			if (f < 4) {
				ShadedDisc(&c, 8, 8, r, Hex(0xc59bff), Hex(0x8a5cf0), Hex(0x4b2ea6));
				double a = f * 3.14159265 / 2;
				for (double t = -0.6; t <= 0.6; t += 0.1) {
					double x = 8 + std::cos(a + t) * (r - 1.5), y = 8 + std::sin(a + t) * (r - 1.5) * 0.5;
					Plot(&c, (int)x, (int)y, Hex(0xf0e0ff));
				}
				Plot(&c, (int)(8 - r * 0.4), (int)(8 - r * 0.45), Hex(0xffffff));
			} else {
				GlowDisc(&c, 8, 8, r + 0.5, Hex(0xffffff), Hex(0xf0e0ff), Hex(0xc59bff));
			}
			Outline(&c, Hex(0x2a1660));
			cells.push_back(c);
		}
	return Sheet(cells, 10);
}

// A will-o'-wisp: a teardrop of fire whose tip flickers.
Canvas FlameSheet()
{
	std::vector<Canvas> cells;
	const Pixel colours[4] = {Hex(0xfff2a8), Hex(0xffb13b), Hex(0xe4572e), Hex(0x8c2a1e)};
	for (int f = 0; f < 4; f++) {
		Canvas c = NewCanvas(28, 28);
		double sway = std::sin(f * 1.5708) * 2.0;
		for (int y = 0; y < 28; y++)
			for (int x = 0; x < 28; x++) {
				double v = (y + 0.5 - 17) / 9.0;  // -1.9 at the tip, 1 at the bottom
				double cx = 14 + sway * (v < 0 ? -v : 0) * 0.8;
				double halfwidth = v >= 0 ? 9 * std::sqrt(std::max(0.0, 1 - v * v)) : 9 * std::max(0.0, 1 + v / 1.9) * (1 + 0.15 * std::sin(f * 2 + y));
				double d = std::fabs(x + 0.5 - cx) / std::max(halfwidth, 0.01);
				if (d > 1 || halfwidth <= 0.3) continue;
				double heat = d * 0.7 + (v < 0 ? -v * 0.25 : v * 0.4);
				Plot(&c, x, y, colours[heat < 0.35 ? 0 : heat < 0.65 ? 1 : heat < 0.9 ? 2 : 3]);
			}
		Plot(&c, 11, 18, Hex(0x3a0a05)), Plot(&c, 16, 18, Hex(0x3a0a05));
		Outline(&c, Hex(0x4a1208));
		cells.push_back(c);
	}
	return Sheet(cells, 4);
}

// A warning sign: a red-rimmed triangle with an exclamation mark, its mark
// far enough right that it still reads with 6 columns cut off at the left.
Canvas WarningSheet()
{
	Canvas c = NewCanvas(31, 31);
	for (int y = 3; y < 28; y++) {
		double half = (y - 3) * 0.55;
		for (int x = 0; x < 31; x++) {
			double d = std::fabs(x + 0.5 - 18.5);
			if (d > half + 0.5) continue;
			bool rim = d > half - 2 || y > 25;
			Plot(&c, x, y, rim ? Hex(0xff4a3a) : Hex(0xfff07a));
		}
	}
	Rect(&c, 17, 10, 3, 9, Hex(0x2a1010));
	Rect(&c, 17, 21, 3, 3, Hex(0x2a1010));
	Outline(&c, Hex(0x3a0a0a));
	return c;
}

static Canvas Star(bool lit)
{
	Canvas c = NewCanvas(12, 12);
	for (int y = 0; y < 12; y++)
		for (int x = 0; x < 12; x++) {
			double dx = x + 0.5 - 6, dy = y + 0.5 - 6, a = std::atan2(dy, dx), r = std::hypot(dx, dy);
			double edge = 2.4 + 2.6 * std::pow(std::fabs(std::cos(a * 2.5 + 1.5708 * 0.5 + 0.314)), 3);
			if (r > edge) continue;
			Plot(&c, x, y, lit ? (r < 2 ? Hex(0xfffbe0) : Hex(0xffd24a)) : (r < 2 ? Hex(0x6a6a8a) : Hex(0x4a4a6a)));
		}
	Outline(&c, lit ? Hex(0x6a4a10) : Hex(0x1a1a2a));
	return c;
}

Canvas StarSheet() { return Sheet({Star(false), Star(true)}, 2); }

// The desktop icon: the hero, still and facing right, on a disc of night sky.
static Canvas Icon32(const std::vector<GridPicture> &hero)
{
	Canvas icon = NewCanvas(32, 32);
	GlowDisc(&icon, 16, 16, 15.5, Hex(0x3a2f6b), Hex(0x1d1f4f), Hex(0x0b0d2b));
	Paste(&icon, Hero(hero, 4, false), 4, 2);
	return icon;
}

// At 16 pixels the hero's grid does not fit: a smaller drawing of him, in
// his colours.
static const char SmallHero[] = R"(colour h 4a2e5e
colour H 7a5294
colour s ffd8a0
colour z d9a067
colour e 1a1030
colour c c8383a
colour d 8a2030
colour t 3e6fb8
colour T 6a9ae0
colour p 2c2c54
colour y 7a4a2a
colour g f0e0c0
picture small
............
....hhh.....
...hHHhh....
...hhsss....
..hhhsse....
...hzsss....
....czzt....
...cctTtgg..
..ccdtTt....
..ccd.pp....
..cd..p.p...
.....y..y...
)";

static Canvas Icon16()
{
	std::vector<GridPicture> grid;
	std::string error;
	Canvas icon = NewCanvas(16, 16);
	GlowDisc(&icon, 8, 8, 7.8, Hex(0x3a2f6b), Hex(0x1d1f4f), Hex(0x0b0d2b));
	if (ReadPixelGrids(SmallHero, 12, 12, &grid, &error)) {
		Canvas hero = grid[0].canvas;
		Outline(&hero, Hex(0x2a1020));
		Paste(&icon, hero, 2, 2);
	}
	return icon;
}

// Pixel art grows by whole factors, each pixel a square block: never blurred.
static Canvas Scaled(const Canvas &c, int factor)
{
	Canvas big = NewCanvas(c.width * factor, c.height * factor);
	for (int y = 0; y < big.height; y++)
		for (int x = 0; x < big.width; x++) Plot(&big, x, y, At(c, x / factor, y / factor));
	return big;
}

Canvas IconPicture(const std::vector<GridPicture> &hero, int size)
{
	return size % 32 == 0 ? Scaled(Icon32(hero), size / 32) : Scaled(Icon16(), size / 16);
}
