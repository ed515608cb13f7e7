// Bullets: the enemies' round bullets (game.enemybullets, tested against the
// player) and the player's shots (game.playerbullets, tested against the
// enemies). Both fly straight and live for ttl frames. Needs Game/Sprite.h.
#pragma once
#include "Game/Sprite.h"

struct Bullet
{
	Sprite sprite;
	int ttl;     // lives while its age is at most this
	int colour;  // picture colour of an enemy bullet; 4 for player shots
};
CHECK_OBJECT_KIND(Bullet);

// Each returns null, making nothing, when the pool is full.
Bullet *NewRoundBullet(size_t objsize, ObjectRunFunction runfunc, int32_t x, int32_t y, int ttl, int colour, int size);
Bullet *NewSimpleBulletAtAngle(int32_t x, int32_t y, int32_t v, int a, int ttl, int colour, int size);
Bullet *NewSimpleBulletTowardsPlayer(int32_t x, int32_t y, int32_t v, int ttl, int colour, int size);
Bullet *NewPlayerBullet(int32_t x, int32_t y, int32_t vx, int32_t vy, int ttl, int power, int size, int dir);
bool RunSimpleBullet(Object *obj);
bool HitBullet(Object *obj, Object *other, int power);
bool HitPlayerBullet(Object *obj, Object *other, int power);
