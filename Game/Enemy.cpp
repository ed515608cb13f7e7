// The three kinds of enemy and what they share. Every random draw below is
// made even where its value is not used: the sequence shapes the whole game.
#include "Game/Enemy.h"
#include "Game/Bullets.h"
#include "Game/Decorations.h"
#include "Game/Game.h"
#include "Game/Random.h"
#include "Graphics/Drawing.h"
#include "Graphics/Pixels/Construction32.h"
#include "Platform/PixelDoubledScreen.h"

static int RandomInRange(int low, int high) { return (int)RandomIntegerInRange((uint32_t)low, (uint32_t)high); }

Enemy *NewEnemy(size_t objsize, int32_t x, int32_t y, const char *filename, int colour, int score,
	ObjectRunFunction runfunc, ObjectHitFunction hitfunc, ObjectDrawFunction drawfunc)
{
	Enemy *self = (Enemy *)NewSprite(&game.enemies, objsize, runfunc, hitfunc, drawfunc);
	if (!self) return nullptr;
	SetObjectPosition(&self->sprite.obj, x, y);
	SetSpriteSheet(&self->sprite, filename);
	self->colour = colour;
	self->score = score;
	self->hitend = 0;
	return self;
}

bool HitEnemy(Object *obj, Object *, int power)
{
	Enemy *self = (Enemy *)obj;
	obj->power -= power;
	self->hitend = game.timer + 10;
	if (obj->power < 1) {
		NewSplatExplosion(obj->x, obj->y, self->colour);
		game.score += self->score;
		PlaySound(&game.audio, "Sounds/enemyexplode", 1.0f);
	}
	return obj->power > 0;
}

void DrawEnemy(Object *obj, Bitmap *screen)
{
	if (game.timer < ((Enemy *)obj)->hitend) FillSprite(obj, screen, RGB(255, 255, 255));
	else DrawSprite(obj, screen);
}

void DrawIndicatorEnemy(Object *obj, Bitmap *screen)
{
	int sx = ScreenXCoordForWorldCoord(obj->x), sy = ScreenYCoordForWorldCoord(obj->y);
	if (game.warning && game.warning[0]) {
		if (sx < 0) DrawRLEBitmap(screen, game.warning[0], -6, sy - 15);
		else if (sx >= ScreenWidth()) DrawRLEBitmap(screen, game.warning[0], ScreenWidth() - 25, sy - 15);
	}
	DrawEnemy(obj, screen);
}

// The ring of bullets an ectoplasm or orb fires: n evenly spaced from a random angle.
static void FireRing(Object *obj, int n, int colour)
{
	int a = (int)(RandomInteger() & 4095);
	for (int i = 0; i < n; i++) NewSimpleBulletAtAngle(obj->x, obj->y, 12288, (i * 4096) / n + a, 120, colour, 1);
}

Object *NewEctoplasm(int32_t x, int32_t y, int)
{
	Ectoplasm *self = (Ectoplasm *)NewEnemy(sizeof(Ectoplasm), x, y, "Graphics/Sprites/Ectoplasm", 7, 20, RunEctoplasm,
		HitEnemy, DrawIndicatorEnemy);
	if (!self) return nullptr;
	Object *obj = &self->enemy.sprite.obj;
	SetObjectVelocity(obj, 0, 0);
	SetObjectHitRadius(obj, 49152);
	SetObjectPower(obj, 25);
	SetSpriteFrame(&self->enemy.sprite, 0);
	self->tx = x;
	self->ty = y;
	self->state = Approach;
	return obj;
}

// The unit vector towards (x, y) and the distance to it. On the spot itself
// there is no direction, and no force.
static int32_t UnitVectorTowards(Object *obj, int32_t x, int32_t y, int32_t *fx, int32_t *fy)
{
	int32_t dx = XCoordDifference(x, obj->x), dy = YCoordDifference(y, obj->y);
	int32_t r = idistance(dx, dy);
	*fx = r ? idiv(dx, r) : 0;
	*fy = r ? idiv(dy, r) : 0;
	return r;
}

static const int EctoplasmIdleFrames[16] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 7, 6, 5, 4, 3, 2, 1};
static const int EctoplasmChargeFrames[4] = {9, 4, 10, 4};

bool RunEctoplasm(Object *obj)
{
	Ectoplasm *self = (Ectoplasm *)obj;
	int32_t fx = 0, fy = 0;
	switch (self->state) {
	case Approach:
		if (UnitVectorTowards(obj, game.player.x, game.player.y, &fx, &fy) <= 262143) self->state = Settle;
		break;
	case Settle:
		if (self->enemy.sprite.frame == 4) {
			self->state = Charge;
			self->startcharge = game.timer;
		}
		break;
	case Charge:
		if (game.timer >= self->startcharge + 30) {
			FireRing(obj, 12, self->enemy.colour);
			PlaySound(&game.audio, "Sounds/enemybullet", 1.0f);
			int escapedir = XCoordDifference(game.player.x, obj->x) < 0 ? 1 : -1;
			self->tx = game.player.x + RandomInRange(150, 300) * escapedir * 4096;
			self->ty = RandomInRange(10, 229) * 4096;
			self->state = Retreat;
		}
		break;
	case Retreat:
		if (UnitVectorTowards(obj, self->tx, self->ty, &fx, &fy) <= 262143) {
			self->state = Rest;
			self->startcharge = game.timer;
		}
		break;
	case Rest:
		if (game.timer >= self->startcharge + 30) self->state = Approach;
		break;
	}
	obj->vx += fx / 3;
	obj->vy += fy / 3;
	obj->vx -= obj->vx / 8;
	obj->vy -= obj->vy / 8;
	int age = ObjectLocalTime(obj);
	SetSpriteFrame(&self->enemy.sprite,
		self->state == Charge ? EctoplasmChargeFrames[(age / 3) % 4] : EctoplasmIdleFrames[(age / 6) % 16]);
	return true;
}

Object *NewOrb(int32_t x, int32_t y, int size)
{
	Orb *self = (Orb *)NewEnemy(sizeof(Orb), x, y, "Graphics/Sprites/Orb", 10, 1, RunOrb, HitEnemy, DrawEnemy);
	if (!self) return nullptr;
	Object *obj = &self->enemy.sprite.obj;
	SetObjectVelocity(obj, 0, -2048);
	SetObjectHitRadius(obj, size ? 24576 : 16384);
	SetObjectPower(obj, 5);
	SetSpriteFrame(&self->enemy.sprite, 0);
	self->size = size;
	self->offset = (int)(RandomInteger() & 4095);
	self->burstheight = RandomInRange(8, 48) * 4096;
	self->reverse = (RandomInteger() & 1) != 0;
	return obj;
}

bool RunOrb(Object *obj)
{
	Orb *self = (Orb *)obj;
	if (obj->y < self->burstheight) {
		NewSplatExplosion(obj->x, obj->y, self->enemy.colour);
		PlaySound(&game.audio, "Sounds/enemyexplode", 1.0f);
		FireRing(obj, (self->size + 2) * 4, self->enemy.colour);
		return false;
	}
	int age = ObjectLocalTime(obj);
	int picture = (age / 2) % 4;
	if (self->reverse) picture ^= 3;
	if (obj->y < self->burstheight + 196608 && age % 5 > 2) picture = 4;
	SetSpriteFrame(&self->enemy.sprite, self->size * 5 + picture);
	obj->vx = isin(self->offset + age * 5) / 3;
	return true;
}

Object *NewFlame(int32_t x, int32_t y, int dir)
{
	Flame *self = (Flame *)NewEnemy(sizeof(Flame), x, y, "Graphics/Sprites/Flame", 1, 10, RunFlame, HitEnemy,
		DrawIndicatorEnemy);
	if (!self) return nullptr;
	Object *obj = &self->enemy.sprite.obj;
	SetObjectVelocity(obj, dir * 4096, 0);
	SetObjectHitRadius(obj, 49152);
	SetObjectPower(obj, 25);
	SetSpriteFrame(&self->enemy.sprite, 0);
	self->a = dir == 1 ? 0 : 2048;
	(void)RandomInteger();
	self->da = -1;
	return obj;
}

// Chooses the turning direction again from the heading and the row, so that
// a flame high up turns downwards and one low down turns upwards.
static int ChooseTurn(int32_t y, int h)
{
	if (y < 491520) {
		if (h < 2048) return (void)RandomInteger(), -1;
		return h < 3072 ? -1 : 1;
	}
	if (h > 2048) return (void)RandomInteger(), -1;
	return h > 1024 ? 1 : -1;
}

bool RunFlame(Object *obj)
{
	Flame *self = (Flame *)obj;
	SetSpriteFrame(&self->enemy.sprite, (ObjectLocalTime(obj) / 4) % 4);
	if ((RandomInteger() & 127) == 0) self->da = ChooseTurn(obj->y, self->a & 4095);
	if (obj->y < 0 && (self->a & 4095) > 2048) self->a = -self->a;
	if (obj->y > 983040 && (self->a & 4095) < 2048) self->a = -self->a;
	self->a += 10 * self->da;
	SetObjectVelocityAndDirection(obj, 4096, self->a);
	if ((RandomInteger() & 127) == 0) {
		NewSimpleBulletTowardsPlayer(obj->x, obj->y, 10240, 240, self->enemy.colour, self->enemy.colour);
		PlaySound(&game.audio, "Sounds/enemybullet", 0.25f);
	}
	return true;
}
