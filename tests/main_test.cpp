// The menu, the credits and EntryPoint's play loop on one thread, on scripted
// input and clock; at every poll the test notes what the window and the music
// show. Needs the bundles where the tests run; sound stands still (SDL's audio
// paused), so the music stays in its fade; every voice started is noted.
#include <gtest/gtest.h>
#include <SDL.h>
#include <SDL_mixer.h>
#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>
#include "Game/Font.h"
#include "Game/Game.h"
#include "Game/Layout.h"
#include "Game/Main.h"
#include "Graphics/Drawing.h"
#include "Platform/GameResources.h"
#include "Platform/PixelDoubledScreen.h"
#include "ScriptedPlatform.h"

constexpr uint32_t U = UpButton, D = DownButton, Z = Fire1Button, Esc = EscapeButton, White = 0xFFFFFF;
static const Pixel Text = TitleTextColour() & 0xFFFFFF;

// One script and what it must show. screens: at each poll, the last frame
// shown: '.' none yet, 'S', 'C' or 'Q' the menu with that item highlighted,
// 'K' the credits, 'P' play with the right lives row and score, 'G' the same
// under "Game Over". music: '-' none, 'F' fading in, 'M' playing, 'p' paused.
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

// The sound and channel volume of every voice started, on its way to SDL_mixer.
static std::vector<std::pair<Mix_Chunk *, int>> voices;
extern "C" int Mix_PlayChannelTimed(int channel, Mix_Chunk *chunk, int loops, int ticks)
{
	voices.push_back({chunk, Mix_Volume(channel, -1)});
	return ((int (*)(int, Mix_Chunk *, int, int))dlsym(RTLD_NEXT, "Mix_PlayChannelTimed"))(channel, chunk, loops, ticks);
}

void PrintTo(const Script &script, std::ostream *out) { *out << script.name; }

static const Script scripts[] = {
	{"KeyHeldAtOpenWaitsUndrawnThenEscapeEnds", 0, {ReturnButton | D, SpaceButton, Fire3Button | Esc, 0, 0, Esc}, false,
		".....S", 0, 0},
	{"HeldUpMovesOnceAndBothWaysWrap", 0, {0, U, U, U, 0, D, 0, D, 0, D, 0, D}, false, "..QQQQSSCCQQS", 5, 0},
	{"UpAndDownTogetherCancel", 0, {0, U | D, 0}, false, "..SS", 2, 0},
	{"QuitPlaysPointsAndEndsTheRun", 0, {0, D, 0, D, 0, Z}, false, "..CCQQ", 2, 1},
	{"StartGameOnlyOnceZIsUp", 0, {0, 0, Z, Z, Z, 0}, true, "..SSSS", 0, 1},
	{"FireWithAMoveOpensCredits", 0, {0, D | Z, 0, 0}, false, "....K", 1, 1},
	{"EscapeInCreditsBackOnCredits", 0, {0, D, 0, Z, Z, 0, 0, Esc, Esc, 0, 0}, false, "..CCCCCKKKCC", 1, 2},
	{"ClosedWhileWaitingForKeysUp", 0, {Z}, false, "..", 0, 0},
	{"CreditsLeaveOnceZIsUp", 1, {0, 0, Z, Z, 0}, true, "..KKK", 0, 1},
	{"CreditsClosed", 1, {0, 0}, false, "..K", 0, 0},
	{"CreditsClosedWhileWaitingForKeysUp", 1, {Z}, false, "..", 0, 0},
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

	void SetUp() override
	{
		if (!SDL_GetVideoSurface()) {
			ASSERT_EQ(SDL_Init(SDL_INIT_TIMER | SDL_INIT_AUDIO | SDL_INIT_VIDEO), 0) << SDL_GetError();
			ASSERT_TRUE(_InitializeScreen());
		}
		scripted = ScriptedPlatform();
		voices.clear();
		scripted.ticks = 1000;
		scripted.onpoll = [this] { Observe(); };
		SDL_Surface *window = SDL_GetVideoSurface();
		memset(window->pixels, 0xA5, (size_t)window->pitch * window->h);
	}
	void TearDown() override { CleanupGame(); }
	void Load()
	{
		testing::internal::CaptureStderr();
		InitializeGame();
		EXPECT_EQ(testing::internal::GetCapturedStderr(), "");  // the whole set: nothing to say
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
	// Draws with draw() into a clear canvas of the screen's size, then looks at the window
	// where it drew: the one colour there (0 when colours differ) or, asdrawn,
	// 1 when every pixel is there as drawn (else 0).
	template <typename Draw>
	static Pixel Look(Draw draw, bool asdrawn = false)
	{
		const int w = ScreenWidth(), h = ScreenHeight();
		std::vector<Pixel> canvas((size_t)(w * h), 0);
		Bitmap bitmap;
		InitializeBitmap(&bitmap, w, h, w * 4, canvas.data());
		draw(&bitmap);
		Pixel colour = 0;
		for (int i = 0; i < w * h; i++) {
			Pixel p = WindowPixel(i % w, i / w);
			if (!(canvas[i] & 0x80000000u)) continue;
			if (asdrawn ? p != (canvas[i] & 0xFFFFFF) : colour && p != colour) return 0;
			colour = asdrawn ? 1 : p;
		}
		return colour;
	}
	static Pixel Ink(const ScreenText &line)
	{
		return Look([&](Bitmap *b) { DrawString(b, FontOfSize(line.size), line.x, line.y, 0xFFFFFFFFu, line.text); });
	}
	// star[1] for each life beyond the current one, star[0] for the rest of
	// at least two places: the one shown, the other not; none further left.
	static bool ShowsLives(int lives)
	{
		for (int i = 1, places = std::max(3, lives); i <= places; i++) {
			auto star = [i](int k) {
				return Look([&](Bitmap *b) { DrawRLEBitmap(b, game.star[k], 312 - 16 * i, 224); }, true);
			};
			if (i == places ? star(0) || star(1) : !star(lives > i) || star(lives <= i)) return false;
		}
		return true;
	}
	static char Screen()
	{
		int lit = -1, plain = 0;
		for (int i = 0; i < MenuItemCount; i++) {
			Pixel c = Ink(MenuItems[i]);
			if (IsTitleHighlightColour(c)) lit = i;
			plain += c == Text;
		}
		// the rest of both screens' text is the end-to-end tests' to check
		if (lit >= 0 && plain == 2 && Ink(MenuLines[3]) == Text) return "SCQ"[lit];
		if (Ink(CreditsLines[1]) == Text && IsTitleHighlightColour(Ink(CreditsOK))) return 'K';
		char score[32];
		snprintf(score, sizeof score, "Score: %05d", game.score);
		if (game.star && Look([&](Bitmap *b) { DrawStringToTheLeftOf(b, &OL8Font, 312, 4, ~0u, score); }) == White &&
			ShowsLives(game.player.lives)) {
			auto gameover = [](Bitmap *b) { DrawStringCenteredInRectangle(b, &OL12Font, 0, 0, ScreenWidth(), ScreenHeight(), ~0u, "Game Over"); };
			return Look(gameover) == White ? 'G' : 'P';
		}
		SDL_Surface *window = SDL_GetVideoSurface();
		for (int i = 0; i < window->pitch * window->h; i++)
			if (((uint8_t *)window->pixels)[i] != 0xA5) return '?';
		return '.';
	}
	// Voices started with the sound at this mixer volume.
	static int Playing(const char *sound, int volume)
	{
		Mix_Chunk *chunk = (Mix_Chunk *)PointerForKey(&game.audio.sounds, sound);
		return chunk ? (int)std::count(voices.begin(), voices.end(), std::make_pair(chunk, volume)) : 0;
	}
};

TEST_P(TopLevel, Runs)
{
	script = &GetParam();
	scripted.script = script->states;
	if (script->loop < 2) {
		ASSERT_NO_FATAL_FAILURE(Load());
	}
	bool result = false;
	if (script->loop == 2) {
		EXPECT_EQ(EntryPoint(), EndedByPlayer);
	} else result = script->loop == 0 ? RunMainMenu() : RunCredits();
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
	// two menus, then two credits, the last for four frames: (int)(sin(1) * 55 + 200) = 246
	const size_t polls[] = {2, 2, 2, 5};
	const Pixel lit[] = {0xC8C880u, 0xC8C880u, 0xC8C880u, 0xF6F680u};
	for (int call = 0; call < 4; call++) {
		scripted.polls = 0;
		scripted.script.assign(polls[call], 0);
		scripted.sleeps.clear();
		EXPECT_FALSE(call < 2 ? RunMainMenu() : RunCredits());
		EXPECT_EQ(Ink(call < 2 ? MenuItems[0] : CreditsOK), lit[call]) << call;
	}
	EXPECT_EQ(scripted.sleeps, (std::vector<uint64_t>{16, 17, 17}));
}

// The wait for every button up sleeps a tick after each look that finds a
// button held, and not after the look that finds none or a closed window.
TEST_F(TopLevel, WaitForButtonUpSleepsATickBetweenLooks)
{
	const struct { std::vector<uint32_t> states; bool result; size_t polls, sleeps; } rows[] = {
		{{0}, true, 1, 0},
		{{Z, Esc, ReturnButton | D, 0, Z}, true, 4, 3},
		{{Z, SpaceButton}, false, 3, 2},
	};
	for (const auto &row : rows) {
		scripted.polls = 0;
		scripted.script = row.states;
		scripted.sleeps.clear();
		EXPECT_EQ(WaitForButtonUp(), row.result) << &row - rows;
		EXPECT_EQ(scripted.polls, row.polls) << &row - rows;
		EXPECT_EQ(scripted.sleeps, std::vector<uint64_t>(row.sleeps, 1)) << &row - rows;
	}
}

// The game in a folder of its own holding links to some of the bundles of
// the folder the tests run in.
class Folder : public TopLevel
{
protected:
	std::string from, dir;
	void SetUp() override
	{
		TopLevel::SetUp();
		char here[4096], name[] = "/tmp/zep-main-test-XXXXXX";
		ASSERT_TRUE(getcwd(here, sizeof here) && mkdtemp(name));
		from = here;
		dir = name;
		ASSERT_EQ(mkdir((dir + "/Graphics").c_str(), 0700), 0);
		ASSERT_EQ(mkdir((dir + "/Graphics/Backgrounds").c_str(), 0700), 0);
		ASSERT_EQ(chdir(name), 0);
	}
	void TearDown() override
	{
		TopLevel::TearDown();
		EXPECT_EQ(chdir(from.c_str()), 0);
		EXPECT_EQ(system(("rm -r " + dir).c_str()), 0);
	}
	void Link(const char *bundle)
	{
		std::string file = std::string(bundle) + ".laser";
		ASSERT_EQ(symlink((from + "/" + file).c_str(), file.c_str()), 0) << file;
	}
};

TEST_F(Folder, EntryPointWithoutTheTitleEndsSayingSo)
{
	for (const char *bundle : {"Graphics/Sprites", "Graphics/Backgrounds/NightSky", "Sounds"}) Link(bundle);
	testing::internal::CaptureStderr();
	EXPECT_EQ(EntryPoint(), EndedBundlesIncomplete);
	EXPECT_EQ(testing::internal::GetCapturedStderr(),
		"zEP cannot start: the bundle file \"Graphics/Title.laser\" is missing.\n"
		"It reads its bundles from the folder it was started in: " + dir + "\n");
	EXPECT_EQ(scripted.polls, 0u);
}

// A sound bundle put in the folder while the menu runs is taken up between
// frames: the first move is silent, the second plays, and nothing more is
// said than the missing sounds at start-up.
TEST_F(Folder, SoundsThatArriveLateArePickedUpBetweenFrames)
{
	for (const char *bundle : {"Graphics/Sprites", "Graphics/Title", "Graphics/Backgrounds/NightSky"}) Link(bundle);
	testing::internal::CaptureStderr();
	InitializeGame();
	scripted.onpoll = [this] {
		Observe();
		if (scripted.polls == 4) Link("Sounds");
	};
	scripted.script = {0, 0, D, 0, D, 0, Esc};
	EXPECT_FALSE(RunMainMenu());
	EXPECT_EQ(testing::internal::GetCapturedStderr(),
		"zEP plays without some of its sounds: the bundle file \"Sounds.laser\" is missing\n");
	EXPECT_EQ(screens, "..SCCQQ");
	EXPECT_EQ(Playing("Sounds/enemybullet", 32), 1);
}
