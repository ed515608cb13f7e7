// Input in the browser. The page keeps the button state from key events,
// which arrive only while the game yields; a frame that runs late does not
// sleep, and a run of late frames would freeze the tab, so HandleInput yields
// whenever nothing has since its last call. There is no quit event: closing
// the tab ends everything at once. The gamepad is read afresh on every call,
// since the browser sends no events for its buttons and hides a pad until
// one is pressed.
#include "Platform/Input.h"
#include <cmath>
#include "Platform/PadButtons.h"
#include "Platform/Web/Web.h"

bool HandleInput()
{
	if (!TakeYield()) {
		YieldToBrowser(0);
		TakeYield();
	}
	return true;
}

static uint32_t GetPadState()
{
	PadState state;
	float axes[8] = {};
	int mapping = zep_pad(&state.buttons, axes, &state.nbuttons, &state.naxes);
	if (mapping == 0) return 0;
	for (int i = 0; i < 8; i++) {
		float a = std::isnan(axes[i]) ? 0 : axes[i] < -1 ? -1 : axes[i] > 1 ? 1 : axes[i];
		state.axes[i] = (int16_t)(a * 32767);
	}
	return GetPadButtonState(&state, mapping == 1 ? &StandardGamepadLayout : &FirstButtonLayout);
}

uint32_t GetButtonState() { return zep_buttons() | GetPadState(); }
