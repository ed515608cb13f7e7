// The crowded frame of the engine benchmark, shared with the browser's
// (bench/web): a game with 200 orbs, bullets keeping the pool near full.
#pragma once
#include "Game/Bullets.h"
#include "Game/Enemy.h"
#include "Game/Game.h"
#include "Platform/PixelDoubledScreen.h"
#include "Platform/PixelDoubling.h"

// After InitializeGame: a new game with the orbs in place.
inline void StartCrowdedFrames()
{
	StartGame();
	for (int i = 0; i < 200; i++) NewOrb((int32_t)((20 + i % 280) << 12), (int32_t)((60 + i % 170) << 12), i & 1);
}

// One frame's run of the game; *i counts the bullets made so far.
inline void RunCrowdedGame(int *i)
{
	// bullets leave the screen and orbs burst: new ones keep the pool
	// near full, as a wave of enemies firing would
	for (; game.allocator.nummembers < 1000; (*i)++)
		NewSimpleBulletAtAngle((int32_t)((*i * 7 % 320) << 12), (int32_t)((*i * 13 % 240) << 12), 1 << 12,
			(*i * 37) & 4095, 600, *i % 13, *i % 3);
	RunGame(false, false, false, false, true, false, false);
}

// One frame run, drawn into screen (320x240) and doubled into window
// (640x480).
inline void RunCrowdedFrame(Bitmap *screen, Bitmap *window, int *i)
{
	RunCrowdedGame(i);
	DrawGame(screen);
	CopyDoubledPixels(window, screen);
}
