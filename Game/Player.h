// The player: not a pooled object but a record in the game record
// (game.player), steered by the buttons each frame. Needs Graphics/RLEBitmap.h.
#pragma once
#include <cstdint>
#include "Graphics/RLEBitmap.h"

struct Player
{
	int32_t x, y;    // fixed-point centre; x wraps, y stays within 3 .. 237
	int32_t vx, vy;  // fixed-point pixels per frame
	int32_t frame;   // picture to draw
	int32_t dir;     // 1 facing right, -1 left
	int nextbullet;  // game.timer from which the next volley may fire
	int timeofdeath; // game.timer at the last death
	int lives;       // 0 ends the game
	RLEBitmap **frames;  // the 24 pictures
};
