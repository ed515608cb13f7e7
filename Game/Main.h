// The program's top level: loading the game once, then the title menu, the
// credits and the play loop in turn until the player quits or closes the
// window. Also the tests of single buttons in a button state
// (Platform/Input) that the loops use. Needs the platform and its screen up.
#pragma once
#include <cmath>
#include <cstdint>
#include "Platform/EntryPoint.h"
#include "Platform/Input.h"

static inline bool IsLeftPressed(uint32_t state) { return state & LeftButton; }
static inline bool IsRightPressed(uint32_t state) { return state & RightButton; }
static inline bool IsUpPressed(uint32_t state) { return state & UpButton; }
static inline bool IsDownPressed(uint32_t state) { return state & DownButton; }
static inline bool IsFire1Pressed(uint32_t state) { return state & Fire1Button; }
static inline bool IsFire2Pressed(uint32_t state) { return state & Fire2Button; }
static inline bool IsFire4Pressed(uint32_t state) { return state & Fire4Button; }

// The loops of EntryPoint; declared here for their tests. Each returns false
// as soon as the window is closed.
// True once no button at all is held; draws nothing and sleeps a tick
// between looks.
[[nodiscard]] bool WaitForButtonUp();
// True when "Start game" was chosen and every button is up again.
[[nodiscard]] bool RunMainMenu();
// True when the player left the credits and every button is up again.
[[nodiscard]] bool RunCredits();

// Red and green of the menus' highlight t frames into a screen: 200 at first,
// swinging between 145 and 255 every 6 pi frames.
static inline int HighlightLevel(int t) { return (int)(sinf((float)t / 3.0f) * 55.0f + 200.0f); }

// One play frame's way out, given the buttons held and whether the game is
// over: Escape always leaves; after game over Z must be seen up (canquit is
// set) before a Z held leaves, so the Z that lost the last life cannot.
static inline bool ShouldLeavePlay(uint32_t state, bool gameover, bool *canquit)
{
	if ((int32_t)state < 0) return true;
	if (*canquit && IsFire1Pressed(state)) return true;
	if (gameover && !IsFire1Pressed(state)) *canquit = true;
	return false;
}
