// Decorations: short animations that take no part in play (explosion splats
// and shot flashes). They are always born in game.newdecorations, which joins
// game.decorations once a frame, so making one never changes a list that is
// being run or drawn. Needs Game/Sprite.h.
#pragma once
#include "Game/Sprite.h"

struct Animation
{
	Sprite sprite;
	int firstframe, numframes;
	int ttl;  // frames the sequence lasts; above 0
	bool loop;
};
CHECK_OBJECT_KIND(Animation);

// Each returns null, making nothing, when the pool is full.
Animation *NewAnimation(int32_t x, int32_t y, const char *filename, int firstframe, int numframes, int ttl, bool loop);
bool RunAnimation(Object *obj);
Animation *NewSplatExplosion(int32_t x, int32_t y, int colour);
Animation *NewPlayerBulletFlash(int32_t x, int32_t y);
