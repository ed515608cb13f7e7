// The game's top loop, and the tests of single buttons in a button state
// (Platform/SDL/Input) that the loops use. Needs SDL and the screen up.
#pragma once
#include <cstdint>
#include "Platform/SDL/Input.h"

static inline bool IsLeftPressed(uint32_t state) { return state & LeftButton; }
static inline bool IsRightPressed(uint32_t state) { return state & RightButton; }
static inline bool IsUpPressed(uint32_t state) { return state & UpButton; }
static inline bool IsDownPressed(uint32_t state) { return state & DownButton; }
static inline bool IsFire1Pressed(uint32_t state) { return state & Fire1Button; }
static inline bool IsFire2Pressed(uint32_t state) { return state & Fire2Button; }
static inline bool IsFire4Pressed(uint32_t state) { return state & Fire4Button; }

// Runs until the player quits: Escape, or the window is closed.
void EntryPoint();
