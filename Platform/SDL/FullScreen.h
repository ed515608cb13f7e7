// Full screen for the SDL window: what the input's event pump calls when
// the player presses F11 or Alt+Enter. Needs the screen to be initialised.
#pragma once

// Switches between the 640x480 window and the whole display, the picture at
// the largest whole scale that fits, centred on black. A display where it
// cannot go full screen keeps the window. False only when no window could be
// opened again (said on stderr): the game cannot go on.
[[nodiscard]] bool ToggleFullScreen();
