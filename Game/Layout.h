// Where things stand on the 320 x 240 screen, in one place: the title
// screens' texts and the night sky's bands. The game draws from these tables,
// and so do the end-to-end probe, the tests and the tools that show them.
#pragma once
#include "Game/Font.h"
#include "Game/Main.h"
#include "Game/ParallaxBackground.h"
#include "Graphics/Pixels/Construction32.h"

// One line of text: font height (8, 12 or 16), top-left corner, the text.
struct ScreenText
{
	int size, x, y;
	const char *text;
};

static inline const Font *FontOfSize(int size) { return size == 8 ? &OL8Font : size == 12 ? &OL12Font : &OL16Font; }

// The title screens' text colour, and their highlight t frames into a screen.
static inline Pixel TitleTextColour() { return RGB(224, 255, 224); }
static inline Pixel TitleHighlightColour(int t) { return RGB(HighlightLevel(t), HighlightLevel(t), 128); }
// Whether an opaque colour is that highlight at any frame.
static inline bool IsTitleHighlightColour(Pixel p)
{
	int r = p >> 16 & 255, g = p >> 8 & 255, b = p & 255;
	return r == g && r >= 145 && b == 128;
}

// The title menu's items, top to bottom; the one chosen pulses.
inline constexpr int MenuItemCount = 3;
inline constexpr ScreenText MenuItems[MenuItemCount] = {
	{12, 187, 140, "Start game"}, {12, 187, 156, "Credits"}, {12, 187, 172, "Quit"}};
// The menu's other lines, all in the plain text colour.
inline constexpr ScreenText MenuLines[] = {{8, 190, 207, "Arrow keys to move,"}, {8, 190, 216, "Z to fire (and select),"},
	{8, 190, 225, "Left shift to focus fire."}, {8, 230, 2, "zEP beta version"}};
// The credits in the plain colour, and their one item, which pulses.
inline constexpr ScreenText CreditsLines[] = {{8, 180, 140, "Code & Graphics:"}, {16, 189, 152, "Quillon"},
	{8, 180, 176, "Audio & Title Art:"}, {16, 189, 188, "Ambrel"}};
inline constexpr ScreenText CreditsOK = {12, 200, 216, "OK"};

// The sky's four layers, back to front, each over rows start to end.
struct SkyLayer
{
	const char *entry;
	int start, end;
};
inline constexpr SkyLayer NightSkyBands[4] = {{"Graphics/Backgrounds/NightSky/NightSky1", 0, 131},
	{"Graphics/Backgrounds/NightSky/NightSky2", 73, 182}, {"Graphics/Backgrounds/NightSky/NightSky3", 118, 223},
	{"Graphics/Backgrounds/NightSky/NightSky4", 165, 239}};

static inline void InitializeNightSky(ParallaxBackground *sky)
{
	const SkyLayer *b = NightSkyBands;
	InitializeParallaxBackground(sky, b[0].entry, b[1].entry, b[2].entry, b[3].entry, b[0].start, b[1].start, b[2].start,
		b[3].start, b[0].end, b[1].end, b[2].end, b[3].end);
}
