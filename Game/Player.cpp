// The player's movement, volleys, death and drawing.
#include "Game/Player.h"
#include "Game/Bullets.h"
#include "Game/Decorations.h"
#include "Game/Game.h"
#include "Game/Random.h"
#include "Graphics/Drawing.h"
#include "Platform/ResourceBundle.h"

void InitializePlayer(Player *self)
{
	self->x = 409600;
	self->y = 409600;
	self->vx = self->vy = 0;
	self->dir = 1;
	self->nextbullet = 0;
	self->timeofdeath = -180;
	self->lives = 3;
	self->frames = (RLEBitmap **)DataForResourceWithName(game.resources, "Graphics/Sprites/OL", nullptr);
}

bool IsPlayerOutOfLives(Player *self) { return self->lives == 0; }
bool IsPlayerExploding(Player *self) { return game.timer < self->timeofdeath + 90; }
bool IsPlayerDead(Player *self) { return game.timer < self->timeofdeath + 180 || IsPlayerOutOfLives(self); }
bool IsPlayerImmortal(Player *self) { return game.timer < self->timeofdeath + 300 || IsPlayerOutOfLives(self); }

static void FireVolley(Player *self, bool focus)
{
	int32_t muzzle = self->x + (self->dir == 1 ? 16384 : 20480) * self->dir;
	int32_t vx = 49152 * self->dir;
	if (focus) NewPlayerBullet(muzzle, self->y, vx, 0, 50, 5, 2, self->dir);
	else {
		NewPlayerBullet(muzzle, self->y, vx, 0, 50, 2, 1, self->dir);
		NewPlayerBullet(muzzle, self->y, vx, 12288, 50, 1, 0, self->dir);
		NewPlayerBullet(muzzle, self->y, vx, -12288, 50, 1, 0, self->dir);
	}
	self->nextbullet = game.timer + 3;
	PlaySoundOnChannel(&game.audio, "Sounds/zorvabullet", focus ? 0.5f : 0.25f, 0);
}

static void RunLivingPlayer(Player *self, bool left, bool right, bool up, bool down, bool fire, bool focus)
{
	const int32_t step = 4096;
	if (left) self->vx -= step;
	if (right) self->vx += step;
	if (up) self->vy -= step;
	if (down) self->vy += step;
	self->x += self->vx;
	self->y += self->vy;
	if (self->y < 12288) self->y = 12288;
	if (self->y > 970752) self->y = 970752;
	int friction = focus ? 2 : 4;
	self->vx -= self->vx / friction;
	self->vy -= self->vy / friction;
	if (!focus) {
		if (left) self->dir = -1;
		if (right) self->dir = 1;
	}
	if (fire && game.timer >= self->nextbullet) FireVolley(self, focus);
	self->frame = 4 - (left ? self->dir : 0) + (right ? self->dir : 0) - (up ? 3 : 0) + (fire ? 6 : 0) + (self->dir == -1 ? 12 : 0);
}

void RunPlayer(Player *self, bool left, bool right, bool up, bool down, bool fire, bool focus, bool)
{
	if (!IsPlayerDead(self)) {
		RunLivingPlayer(self, left, right, up, down, fire, focus);
		return;
	}
	if (!IsPlayerExploding(self)) return;
	int t = game.timer - self->timeofdeath;
	if (t % 4 != 1) return;
	int colour = (int)(RandomInteger() % 13);
	int dy = (int)RandomIntegerInRange((uint32_t)-20, 20);
	int dx = (int)RandomIntegerInRange((uint32_t)-20, 20);
	NewSplatExplosion(self->x + dx * 4096, self->y + dy * 4096, colour);
	PlaySound(&game.audio, "Sounds/enemyexplode", 0.5f);
}

void CollidePlayer(Player *self)
{
	if (IsPlayerImmortal(self)) return;
	if (CollideObjectListAgainstSquareWithPower(&game.enemybullets, self->x, self->y, 12288, 1) > 0 &&
		CollideObjectListAgainstSquareWithPower(&game.enemies, self->x, self->y, 12288, 1) > 0)
		return;
	self->vx = self->vy = 0;
	self->lives--;
	NewSplatExplosion(self->x, self->y, (int)(RandomInteger() % 13));
	self->timeofdeath = game.timer;
	PlaySound(&game.audio, "Sounds/pichun", 1.0f);
}

void DrawPlayer(Player *self, Bitmap *screen)
{
	if (IsPlayerDead(self) || !self->frames) return;
	int x = ScreenXCoordForWorldCoord(self->x) - 12, y = ScreenYCoordForWorldCoord(self->y) - 14;
	RLEBitmap *picture = self->frames[self->frame];
	if (IsPlayerImmortal(self) && (game.timer & 7) > 2) CompositeRLEBitmap(screen, picture, x, y, FastHalfTransparentCompositionMode);
	else DrawRLEBitmap(screen, picture, x, y);
}
