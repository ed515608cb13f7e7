// Input in the browser. The page keeps the button state from key events,
// which arrive only while the game yields; a loop that polls without sleeping
// (the wait for every button up) would freeze the tab, so HandleInput yields
// whenever nothing has since its last call. There is no quit event: closing
// the tab ends everything at once.
#include "Platform/SDL/Input.h"
#include "Game/Game.h"
#include "Platform/Web/Web.h"

bool HandleInput()
{
	if (!TakeYield()) {
		YieldToBrowser(0);
		TakeYield();
	}
	// between frames, where the play loop expects the world to change
	if (zep_take_sounds()) PickUpLateSounds();
	return true;
}

uint32_t GetButtonState() { return zep_buttons(); }
