// Enemy bullets and player shots. Neither survives a hit, so each bullet
// strikes at most one target.
#include "Game/Bullets.h"
#include "Game/Decorations.h"
#include "Game/Game.h"

static const int32_t EnemyBulletRadius[3] = {4096, 8192, 12288};
static const int32_t PlayerBulletRadius[3] = {16384, 24576, 32768};

Bullet *NewRoundBullet(size_t objsize, ObjectRunFunction runfunc, int32_t x, int32_t y, int ttl, int colour, int size)
{
	Bullet *self = (Bullet *)NewSprite(&game.enemybullets, objsize, runfunc, HitBullet, DrawSprite);
	if (!self) return nullptr;
	SetObjectPosition(&self->sprite.obj, x, y);
	SetObjectPower(&self->sprite.obj, 1);
	SetObjectHitRadius(&self->sprite.obj, EnemyBulletRadius[size]);
	SetSpriteSheet(&self->sprite, "Graphics/Sprites/Bullets");
	SetSpriteFrame(&self->sprite, colour * 3 + size);
	self->ttl = ttl;
	self->colour = colour;
	return self;
}

Bullet *NewSimpleBulletAtAngle(int32_t x, int32_t y, int32_t v, int a, int ttl, int colour, int size)
{
	Bullet *self = NewRoundBullet(sizeof(Bullet), RunSimpleBullet, x, y, ttl, colour, size);
	if (self) SetObjectVelocityAndDirection(&self->sprite.obj, v, a);
	return self;
}

Bullet *NewSimpleBulletTowardsPlayer(int32_t x, int32_t y, int32_t v, int ttl, int colour, int size)
{
	Bullet *self = NewRoundBullet(sizeof(Bullet), RunSimpleBullet, x, y, ttl, colour, size);
	if (self) AimObjectAtPosition(&self->sprite.obj, game.player.x, game.player.y, v);
	return self;
}

Bullet *NewPlayerBullet(int32_t x, int32_t y, int32_t vx, int32_t vy, int ttl, int power, int size, int dir)
{
	Bullet *self = (Bullet *)NewSprite(&game.playerbullets, sizeof(Bullet), RunSimpleBullet, HitPlayerBullet, DrawSprite);
	if (!self) return nullptr;
	SetObjectPosition(&self->sprite.obj, x, y);
	SetObjectVelocity(&self->sprite.obj, vx, vy);
	SetObjectPower(&self->sprite.obj, power);
	SetObjectHitRadius(&self->sprite.obj, PlayerBulletRadius[size]);
	SetSpriteSheet(&self->sprite, "Graphics/Sprites/PlayerBullets2");
	SetSpriteFrame(&self->sprite, dir == -1 ? 3 + size : size);
	self->ttl = ttl;
	self->colour = 4;
	return self;
}

bool RunSimpleBullet(Object *obj) { return ObjectLocalTime(obj) <= ((Bullet *)obj)->ttl; }

bool HitBullet(Object *, Object *, int) { return false; }

bool HitPlayerBullet(Object *obj, Object *, int)
{
	NewPlayerBulletFlash(obj->x, obj->y);
	PlaySound(&game.audio, "Sounds/bulletcontact", 0.25f);
	return false;
}
