// The program's top level on one thread: the menu, the credits and
// EntryPoint's play loop run against a script of button states, one per poll
// of HandleInput, on a clock that moves only when they sleep. At every poll
// the test notes what the window showed last (a menu with its highlighted
// item, the credits, play, or nothing yet) and, in play, the music; a table
// of scripts gives what must be seen. Needs the bundles in the folder the
// tests run in; sound stands still (SDL's audio paused), so every sound
// started stays on its channel and the music keeps its fade.
#include <gtest/gtest.h>
#include <SDL.h>
#include <SDL_mixer.h>
#include <cstring>
#include <string>
#include <vector>
#include "Game/Font.h"
#include "Game/Game.h"
#include "Game/Main.h"
#include "Graphics/Drawing.h"
#include "Platform/GameResources.h"
#include "Platform/SDL/PixelDoubledScreen.h"
#include "ScriptedPlatform.h"

TEST(ButtonTests, EachTestsItsOwnBitOnly)
{
	bool (*tests[])(uint32_t) = {IsLeftPressed, IsRightPressed, IsUpPressed, IsDownPressed, IsFire1Pressed,
		IsFire2Pressed, IsFire4Pressed};
	uint32_t bits[] = {0x1, 0x2, 0x4, 0x8, 0x10, 0x20, 0x80};
	for (int i = 0; i < 7; i++) {
		EXPECT_TRUE(tests[i](bits[i])) << i;
		EXPECT_FALSE(tests[i](~bits[i])) << i;
	}
}

constexpr uint32_t U = UpButton, D = DownButton, Z = Fire1Button, Esc = EscapeButton, Text = 0xE0FFE0,
				   White = 0xFFFFFF;

// One script and what it must show. screens has one letter per poll, the
// last frame shown at that moment: '.' nothing yet, 'S', 'C' or 'Q' the menu
// with "Start game", "Credits" or "Quit" highlighted, 'K' the credits, 'P'
// play with the right lives row and score, 'G' the same under "Game Over".
// music, for EntryPoint: '-' none, 'F' fading in, 'M' playing, 'p' paused.
struct Script
{
	const char *name;
	int loop;  // 0 RunMainMenu, 1 RunCredits, 2 EntryPoint
	std::vector<uint32_t> states;
	bool result;
	const char *screens;
	int moves, selects;  // "Sounds/enemybullet" at 0.25 and "Sounds/points" at 1.0 played
	const char *music = "";
	std::vector<std::pair<size_t, int>> lives = {};  // at poll, the player's lives set to
	size_t newgame = 0;  // the first poll of a second game
};

void PrintTo(const Script &script, std::ostream *out) { *out << script.name; }

static const Script scripts[] = {
	{"KeyHeldAtOpenWaitsUndrawn", 0, {ReturnButton | D, SpaceButton, Fire3Button | Esc, 0, 0}, false, ".....S", 0, 0},
	{"HeldUpMovesOnce", 0, {0, U, U, U, 0}, false, "..QQQQ", 1, 0},
	{"WrapsBothWays", 0, {0, U, 0, D, 0, D, 0, D, 0, D}, false, "..QQSSCCQQS", 5, 0},
	{"UpAndDownTogetherCancel", 0, {0, U | D, 0}, false, "..SS", 2, 0},
	{"EscapeEndsTheRunSilently", 0, {0, 0, Esc}, false, "..S", 0, 0},
	{"QuitPlaysPointsAndEndsTheRun", 0, {0, D, 0, D, 0, Z}, false, "..CCQQ", 2, 1},
	{"StartGameOnlyOnceZIsUp", 0, {0, 0, Z, Z, Z, 0}, true, "..SSSS", 0, 1},
	{"FireWithAMoveOpensCredits", 0, {0, D | Z, 0, 0}, false, "....K", 1, 1},
	{"EscapeInCreditsBackOnCredits", 0, {0, D, 0, Z, Z, 0, 0, Esc, Esc, 0, 0}, false, "..CCCCCKKKCC", 1, 2},
	{"ClosedWhileWaitingForKeysUp", 0, {Z}, false, "..", 0, 0},
	{"CreditsLeaveOnceZIsUp", 1, {0, 0, Z, Z, 0}, true, "..KKK", 0, 1},
	{"CreditsClosed", 1, {0, 0}, false, "..K", 0, 0},
	// leaving play pauses the music, the same Escape does not end the menu,
	// the next game restarts the music and the lists; a closed window ends
	// play at once
	{"EscapeLeavesPlayAndNextGameRestartsMusic", 2, {0, Z, 0, Z, Z, Esc, Esc, 0, 0, Z, 0, 0, 0}, false,
		"....PPPPPSSSPP", 0, 2, "---FFFpppppFFF", {{3, 2}, {4, 1}, {11, 5}}, 11},
	// Z fires while lives are left; Z held as the last life goes must be
	// seen up once before a Z leaves
	{"GameOverWithZHeld", 2, {0, Z, 0, Z, Z, Z, 0, 0, Z, Z, 0, Esc}, false, "....PGGGGGGG", 0, 1, "---FFFFFFppp",
		{{4, 0}}},
	{"GameOverWithZUp", 2, {0, Z, 0, 0, 0, Z, 0}, false, "....PGGG", 0, 1, "---FFFpp", {{4, 0}}},
};

class TopLevel : public testing::TestWithParam<Script>
{
protected:
	std::string screens, music;
	std::vector<size_t> members;  // objects out of the pool at each poll
	const Script *script = nullptr;

	static void SetUpTestSuite()
	{
		if (SDL_GetVideoSurface()) return;
		ASSERT_EQ(SDL_Init(SDL_INIT_TIMER | SDL_INIT_AUDIO | SDL_INIT_VIDEO), 0) << SDL_GetError();
		ASSERT_TRUE(_InitializeScreen());
	}
	void SetUp() override
	{
		scripted = ScriptedPlatform();
		scripted.ticks = 1000;
		scripted.onpoll = [this] { Observe(); };
		SDL_Surface *window = SDL_GetVideoSurface();
		memset(window->pixels, 0xA5, (size_t)window->pitch * window->h);
	}
	void TearDown() override
	{
		scripted.onpoll = nullptr;
		CleanupGame();
	}
	void Load()
	{
		InitializeGame();
		char problem[256];
		ASSERT_TRUE(CheckGameResources(game.resources, problem, sizeof problem)) << problem;
	}
	void Observe()
	{
		SDL_PauseAudio(1);
		screens += Screen();
		members.push_back(game.allocator.nummembers);
		if (!Mix_PlayingMusic()) music += '-';
		else music += Mix_PausedMusic() ? 'p' : Mix_FadingMusic() == MIX_FADING_IN ? 'F' : 'M';
		for (auto [poll, lives] : script ? script->lives : std::vector<std::pair<size_t, int>>())
			if (poll == scripted.polls) game.player.lives = lives;
	}

	static Pixel WindowPixel(int x, int y)
	{
		SDL_Surface *window = SDL_GetVideoSurface();
		return *(Pixel *)((uint8_t *)window->pixels + (ptrdiff_t)(2 * y) * window->pitch + 8 * x) & 0xFFFFFF;
	}
	// What the engine draws into a clear 320x240 canvas with draw(), in
	// the window: the one colour of all its pixels there, 0 when they differ.
	template <typename Draw>
	static Pixel ColourOf(Draw draw)
	{
		std::vector<Pixel> canvas(320 * 240, 0);
		Bitmap bitmap;
		InitializeBitmap(&bitmap, 320, 240, 320 * 4, canvas.data());
		draw(&bitmap);
		Pixel colour = 0;
		for (int i = 0; i < 320 * 240; i++) {
			Pixel p = WindowPixel(i % 320, i / 320);
			if (!(canvas[i] & 0x80000000u)) continue;
			if (colour && p != colour) return 0;
			colour = p;
		}
		return colour;
	}
	static Pixel Ink(const Font *font, int x, int y, const char *str)
	{
		return ColourOf([&](Bitmap *b) { DrawString(b, font, x, y, 0xFFFFFFFFu, str); });
	}
	static bool IsHighlight(Pixel p) { return p >> 16 == ((p >> 8) & 255) && p >> 16 >= 145 && (p & 255) == 128; }
	// star[1] for each life beyond the current one, star[0] for the rest of
	// at least two places; either frame matched pixel for pixel, the other not.
	static bool ShowsLives(int lives)
	{
		auto shows = [](RLEBitmap *star, int x) {
			std::vector<Pixel> box(12 * 12);
			Bitmap bitmap;
			InitializeBitmap(&bitmap, 12, 12, 12 * 4, box.data());
			for (int i = 0; i < 144; i++) box[i] = WindowPixel(x + i % 12, 224 + i / 12);
			DrawRLEBitmap(&bitmap, star, 0, 0);
			for (int i = 0; i < 144; i++)
				if ((box[i] & 0xFFFFFF) != WindowPixel(x + i % 12, 224 + i / 12)) return false;
			return true;
		};
		for (int i = 1; i < std::max(3, lives); i++)
			if (!shows(game.star[lives > i], 312 - 16 * i) || shows(game.star[lives <= i], 312 - 16 * i)) return false;
		return true;
	}
	static char Screen()
	{
		const char *items[3] = {"Start game", "Credits", "Quit"};
		int lit = -1, plain = 0;
		for (int i = 0; i < 3; i++) {
			Pixel c = Ink(&OL12Font, 187, 140 + 16 * i, items[i]);
			if (IsHighlight(c)) lit = i;
			plain += c == Text;
		}
		if (lit >= 0 && plain == 2 && Ink(&OL8Font, 190, 207, "Arrow keys to move,") == Text &&
			Ink(&OL8Font, 190, 216, "Z to fire (and select),") == Text &&
			Ink(&OL8Font, 190, 225, "Left shift to focus fire.") == Text &&
			Ink(&OL8Font, 230, 2, "zEP beta version") == Text)
			return "SCQ"[lit];
		if (Ink(&OL8Font, 180, 140, "Code & Graphics:") == Text && Ink(&OL16Font, 189, 152, "Quillon") == Text &&
			Ink(&OL8Font, 180, 176, "Audio & Title Art:") == Text && Ink(&OL16Font, 189, 188, "Ambrel") == Text &&
			IsHighlight(Ink(&OL12Font, 200, 216, "OK")))
			return 'K';
		char score[32];
		snprintf(score, sizeof score, "Score: %05d", game.score);
		if (game.star && ColourOf([&](Bitmap *b) { DrawStringToTheLeftOf(b, &OL8Font, 312, 4, ~0u, score); }) == White &&
			ShowsLives(game.player.lives)) {
			return ColourOf([](Bitmap *b) {
				DrawStringCenteredInRectangle(b, &OL12Font, 0, 0, 320, 240, ~0u, "Game Over");
			}) == White ? 'G' : 'P';
		}
		SDL_Surface *window = SDL_GetVideoSurface();
		for (int i = 0; i < window->pitch * window->h; i++)
			if (((uint8_t *)window->pixels)[i] != 0xA5) return '?';
		return '.';
	}
	// Channels playing the sound at this mixer volume.
	static int Playing(const char *sound, int volume)
	{
		Mix_Chunk *chunk = (Mix_Chunk *)PointerForKey(&game.audio.sounds, sound);
		int n = 0;
		for (int channel = 0; channel < 16; channel++)
			n += chunk && Mix_Playing(channel) && Mix_GetChunk(channel) == chunk && Mix_Volume(channel, -1) == volume;
		return n;
	}
};

TEST_P(TopLevel, Runs)
{
	script = &GetParam();
	scripted.script = script->states;
	if (script->loop < 2) {
		ASSERT_NO_FATAL_FAILURE(Load());
	}
	bool result = script->loop == 0 ? RunMainMenu() : script->loop == 1 ? RunCredits() : (EntryPoint(), false);
	EXPECT_EQ(result, script->result);
	EXPECT_EQ(screens, script->screens);
	if (script->loop == 2) {
		EXPECT_EQ(music, script->music);
	}
	EXPECT_EQ(Playing("Sounds/enemybullet", 32), script->moves);
	EXPECT_EQ(Playing("Sounds/points", 128), script->selects);
	// a new game empties every list into the pool but for its main controller
	if (script->newgame) {
		EXPECT_GT(members[script->newgame - 1], 1u);
		EXPECT_EQ(members[script->newgame], 1u);
	}
}

INSTANTIATE_TEST_SUITE_P(Script, TopLevel, testing::ValuesIn(scripts),
	[](const testing::TestParamInfo<Script> &info) { return info.param.name; });

// The pulse starts afresh at (200, 200, 128) in each call of either screen,
// and each frame is paced on the loop's own 60 Hz schedule.
TEST_F(TopLevel, FirstFrameHighlightAndPacing)
{
	ASSERT_NO_FATAL_FAILURE(Load());
	for (int call = 0; call < 2; call++) {
		scripted.polls = 0;
		scripted.script = {0, 0};
		EXPECT_FALSE(RunMainMenu());
		EXPECT_EQ(Ink(&OL12Font, 187, 140, "Start game"), 0xC8C880u);
	}
	scripted.polls = 0;
	scripted.script = {0, 0, 0, 0, 0};
	scripted.sleeps.clear();
	EXPECT_FALSE(RunCredits());
	// the fourth frame: (int)(sin(1) * 55 + 200) = 246
	EXPECT_EQ(Ink(&OL12Font, 200, 216, "OK"), 0xF6F680u);
	EXPECT_EQ(scripted.sleeps, (std::vector<uint64_t>{16, 17, 17}));
	scripted.polls = 0;
	scripted.script = {0, 0};
	EXPECT_FALSE(RunCredits());
	EXPECT_EQ(Ink(&OL12Font, 200, 216, "OK"), 0xC8C880u);
}
