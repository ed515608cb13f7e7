// The program's top level: EntryPoint loads the game, refuses to go on
// without the complete bundle set, and then alternates between the title
// menu and play; the title menu and the credits screen draw over the title
// picture. Every loop paces itself at 60 frames per second, reacts to newly
// pressed buttons only, passes a closed window straight up and takes up a
// sound bundle that arrived late between its frames. Needs the
// game logic (Game/Game), the screen, input, the frame rate manager and the
// fonts.
#include "Game/Main.h"
#include <unistd.h>
#include <cstdio>
#include "Game/Font.h"
#include "Game/FrameRateManager.h"
#include "Game/Game.h"
#include "Game/Layout.h"
#include "Graphics/Drawing.h"
#include "Graphics/Pixels/Construction32.h"
#include "Platform/GameResources.h"
#include "Platform/ResourceBundle.h"
#include "Platform/PixelDoubledScreen.h"
#include "Platform/Time.h"

static Bitmap *TitlePicture() { return (Bitmap *)DataForResourceWithName(game.resources, "Graphics/Title/Title", nullptr); }

// A tick between looks leaves the processor (and the browser's main thread,
// which delivers the key-up only while the game sleeps) to others.
bool WaitForButtonUp()
{
	for (;;) {
		if (!HandleInput()) return false;
		if (GetButtonState() == 0) return true;
		SleepForTicks(1);
	}
}

static void DrawText(Bitmap *screen, const ScreenText &line, Pixel colour)
{
	DrawString(screen, FontOfSize(line.size), line.x, line.y, colour, line.text);
}

// What a title screen makes of the buttons newly pressed in a frame.
enum TitleStep
{
	StayOnScreen,
	LeaveScreen,  // back to the caller, once every button is up
	QuitProgram,
};

// The frame loop that the menu and the credits share: the title picture, the
// screen's own text, t counting frames from 0 in each call. pos is the
// screen's own state (the menu's highlighted item).
static bool RunTitleScreen(TitleStep (*react)(int *pos, uint32_t pressed), void (*draw)(Bitmap *screen, int pos, int t))
{
	Bitmap *title = TitlePicture();
	FrameRateManager framerate;
	InitializeFrameRateManager(&framerate, 60, 0);
	if (!WaitForButtonUp()) return false;
	int pos = 0;
	uint32_t laststate = 0;
	for (int t = 0;; t++) {
		if (!HandleInput()) return false;
		PickUpLateSounds();
		uint32_t state = GetButtonState();
		uint32_t pressed = ~laststate & state;
		laststate = state;
		TitleStep step = react(&pos, pressed);
		if (step == QuitProgram) return false;
		if (step == LeaveScreen) break;
		BeginFrame(&framerate);
		SleepUntilFrameStart(&framerate);
		Bitmap *screen = StartScreenUpdates();
		DrawBitmap(screen, title, 0, 0);
		draw(screen, pos, t);
		EndScreenUpdates();
	}
	return WaitForButtonUp();
}

static TitleStep ReactInCredits(int *, uint32_t pressed)
{
	if ((int32_t)pressed >= 0 && !IsFire1Pressed(pressed)) return StayOnScreen;
	PlaySound(&game.audio, "Sounds/points", 1.0f);
	return LeaveScreen;
}

static void DrawCredits(Bitmap *screen, int, int t)
{
	for (const ScreenText &line : CreditsLines) DrawText(screen, line, TitleTextColour());
	DrawText(screen, CreditsOK, TitleHighlightColour(t));
}

bool RunCredits() { return RunTitleScreen(ReactInCredits, DrawCredits); }

static TitleStep ReactInMenu(int *pos, uint32_t pressed)
{
	if ((int32_t)pressed < 0) return QuitProgram;
	if (IsUpPressed(pressed)) {
		*pos = (*pos + MenuItemCount - 1) % MenuItemCount;
		PlaySound(&game.audio, "Sounds/enemybullet", 0.25f);
	}
	if (IsDownPressed(pressed)) {
		*pos = (*pos + 1) % MenuItemCount;
		PlaySound(&game.audio, "Sounds/enemybullet", 0.25f);
	}
	if (!IsFire1Pressed(pressed)) return StayOnScreen;
	PlaySound(&game.audio, "Sounds/points", 1.0f);
	if (*pos == 0) return LeaveScreen;
	if (*pos == 2 || !RunCredits()) return QuitProgram;
	return StayOnScreen;
}

static void DrawMenu(Bitmap *screen, int pos, int t)
{
	for (int i = 0; i < MenuItemCount; i++)
		DrawText(screen, MenuItems[i], i == pos ? TitleHighlightColour(t) : TitleTextColour());
	for (const ScreenText &line : MenuLines) DrawText(screen, line, TitleTextColour());
}

bool RunMainMenu() { return RunTitleScreen(ReactInMenu, DrawMenu); }

// The menus draw the title picture unchecked and the game logic uses its
// pictures unchecked, so an incomplete set stops here, saying what is
// missing and where the game looked for it.
static bool CheckBundles()
{
	char problem[256];
	if (CheckGameResources(game.resources, problem, sizeof problem)) return true;
	char folder[4096];
	fprintf(stderr, "zEP cannot start: %s.\nIt reads its bundles from the folder it was started in: %s\n", problem,
		getcwd(folder, sizeof folder) ? folder : "(a folder whose name cannot be read)");
	return false;
}

EndStatus EntryPoint()
{
	FrameRateManager framerate;
	InitializeFrameRateManager(&framerate, 60, 0);
	InitializeGame();
	if (!CheckBundles()) return EndedBundlesIncomplete;
	while (RunMainMenu()) {
		PlayMusic(&game.audio);
		StartGame();
		bool canquit = false;
		for (;;) {
			if (!HandleInput()) return EndedByPlayer;
			// where the frame's world may change, before the buttons count
			PickUpLateSounds();
			uint32_t state = GetButtonState();
			if (ShouldLeavePlay(state, IsGameOver(), &canquit)) break;
			BeginFrame(&framerate);
			SleepUntilFrameStart(&framerate);
			RunGame(IsLeftPressed(state), IsRightPressed(state), IsUpPressed(state), IsDownPressed(state),
				IsFire1Pressed(state), IsFire4Pressed(state), IsFire2Pressed(state));
			Bitmap *screen = StartScreenUpdates();
			DrawGame(screen);
			EndScreenUpdates();
		}
		PauseMusic(&game.audio);
	}
	return EndedByPlayer;
}
