// The player: not a pooled object but a record in the game record
// (game.player), steered by the buttons each frame. It dies on touching an
// enemy bullet or an enemy, explodes, waits and comes back immortal for a
// while at the spot where it died. Needs Graphics/RLEBitmap.h.
#pragma once
#include <cstdint>
#include "Graphics/Bitmap.h"
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

void InitializePlayer(Player *self);
bool IsPlayerOutOfLives(Player *self);
bool IsPlayerExploding(Player *self);
bool IsPlayerDead(Player *self);
bool IsPlayerImmortal(Player *self);
void RunPlayer(Player *self, bool left, bool right, bool up, bool down, bool fire, bool focus, bool bomb);
void CollidePlayer(Player *self);
void DrawPlayer(Player *self, Bitmap *screen);
