// The program's top level: EntryPoint loads the game, refuses to go on
// without the complete bundle set, and then alternates between the title
// menu and play; the title menu and the credits screen draw over the title
// picture. Every loop paces itself at 60 frames per second, reacts to newly
// pressed buttons only and passes a closed window straight up. Needs the
// game logic (Game/Game), the screen, input, the frame rate manager and the
// fonts.
#include "Game/Main.h"
#include <unistd.h>
#include <SDL.h>
#include <cstdio>
#include <cstdlib>
#include "Game/Font.h"
#include "Game/FrameRateManager.h"
#include "Game/Game.h"
#include "Graphics/Drawing.h"
#include "Graphics/Pixels/Construction32.h"
#include "Platform/GameResources.h"
#include "Platform/ResourceBundle.h"
#include "Platform/SDL/PixelDoubledScreen.h"

static Pixel TextColour() { return RGB(224, 255, 224); }
static Pixel HighlightColour(int t)
{
	int c = HighlightLevel(t);
	return RGB(c, c, 128);
}

static Bitmap *TitlePicture() { return (Bitmap *)DataForResourceWithName(game.resources, "Graphics/Title/Title", nullptr); }

bool WaitForButtonUp()
{
	for (;;) {
		if (!HandleInput()) return false;
		if (GetButtonState() == 0) return true;
	}
}

bool RunCredits()
{
	Bitmap *title = TitlePicture();
	FrameRateManager framerate;
	InitializeFrameRateManager(&framerate, 60, 0);
	if (!WaitForButtonUp()) return false;
	const int creditsx1 = 180, creditsx2 = creditsx1 + 9, creditsy = 140;
	uint32_t laststate = 0;
	for (int t = 0;; t++) {
		if (!HandleInput()) return false;
		uint32_t state = GetButtonState();
		uint32_t pressed = ~laststate & state;
		laststate = state;
		if ((int32_t)pressed < 0 || IsFire1Pressed(pressed)) break;
		Pixel col = HighlightColour(t);
		BeginFrame(&framerate);
		SleepUntilFrameStart(&framerate);
		Bitmap *screen = StartScreenUpdates();
		DrawBitmap(screen, title, 0, 0);
		DrawString(screen, &OL8Font, creditsx1, creditsy, TextColour(), "Code & Graphics:");
		DrawString(screen, &OL16Font, creditsx2, creditsy + 12, TextColour(), "Quillon");
		DrawString(screen, &OL8Font, creditsx1, creditsy + 36, TextColour(), "Audio & Title Art:");
		DrawString(screen, &OL16Font, creditsx2, creditsy + 48, TextColour(), "Ambrel");
		DrawString(screen, &OL12Font, 200, 216, col, "OK");
		EndScreenUpdates();
	}
	PlaySound(&game.audio, "Sounds/points", 1.0f);
	return WaitForButtonUp();
}

bool RunMainMenu()
{
	Bitmap *title = TitlePicture();
	FrameRateManager framerate;
	InitializeFrameRateManager(&framerate, 60, 0);
	if (!WaitForButtonUp()) return false;
	const int menux = 187, menuy = 140, instructionx = 190, instructiony = 207;
	int pos = 0;
	uint32_t laststate = 0;
	for (int t = 0;; t++) {
		if (!HandleInput()) return false;
		uint32_t state = GetButtonState();
		uint32_t pressed = ~laststate & state;
		laststate = state;
		if ((int32_t)pressed < 0) return false;
		if (IsUpPressed(pressed)) {
			pos = (pos + 2) % 3;
			PlaySound(&game.audio, "Sounds/enemybullet", 0.25f);
		}
		if (IsDownPressed(pressed)) {
			pos = (pos + 1) % 3;
			PlaySound(&game.audio, "Sounds/enemybullet", 0.25f);
		}
		if (IsFire1Pressed(pressed)) {
			PlaySound(&game.audio, "Sounds/points", 1.0f);
			if (pos == 0) break;
			if (pos == 2) return false;
			if (!RunCredits()) return false;
		}
		Pixel cols[3];
		for (int i = 0; i < 3; i++) cols[i] = i == pos ? HighlightColour(t) : TextColour();
		BeginFrame(&framerate);
		SleepUntilFrameStart(&framerate);
		Bitmap *screen = StartScreenUpdates();
		DrawBitmap(screen, title, 0, 0);
		DrawString(screen, &OL12Font, menux, menuy, cols[0], "Start game");
		DrawString(screen, &OL12Font, menux, menuy + 16, cols[1], "Credits");
		DrawString(screen, &OL12Font, menux, menuy + 32, cols[2], "Quit");
		DrawString(screen, &OL8Font, instructionx, instructiony, TextColour(), "Arrow keys to move,");
		DrawString(screen, &OL8Font, instructionx, instructiony + 9, TextColour(), "Z to fire (and select),");
		DrawString(screen, &OL8Font, instructionx, instructiony + 18, TextColour(), "Left shift to focus fire.");
		DrawString(screen, &OL8Font, 230, 2, TextColour(), "zEP beta version");
		EndScreenUpdates();
	}
	return WaitForButtonUp();
}

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

void EntryPoint()
{
	FrameRateManager framerate;
	InitializeFrameRateManager(&framerate, 60, 0);
	InitializeGame();
	if (!CheckBundles()) {
		SDL_Quit();
		exit(1);
	}
	while (RunMainMenu()) {
		PlayMusic(&game.audio);
		StartGame();
		bool canquit = false;
		for (;;) {
			if (!HandleInput()) return;
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
}
