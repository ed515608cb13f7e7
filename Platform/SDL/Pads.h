// The first gamepad over SDL's joystick API. SDL 1.2 counts its joysticks
// only when its joystick subsystem starts and keeps a vanished pad's last
// state, so a pad plugged in or pulled out is seen by starting it afresh.
// Keep nothing else in Pads.cpp: tests link a scripted pad in its place.
#pragma once
#include "Platform/PadButtons.h"

// Whether pads may have come or gone since the last call (true on the
// first); where it cannot be told, false.
[[nodiscard]] bool HavePadsChanged();
// Closes the open pad, starts the joystick subsystem afresh (apart from
// SDL_Init's subsystems) and opens the first pad; false when there is none
// or the subsystem cannot start, which is no error.
[[nodiscard]] bool OpenFirstPad();
// The open pad's state of the moment, all zero when none is open.
void ReadPad(PadState *state);
