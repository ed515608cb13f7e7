// Splats and shot flashes: fixed sequences of pictures that stand still.
#include "Game/Decorations.h"
#include "Game/Game.h"

Animation *NewAnimation(int32_t x, int32_t y, const char *filename, int firstframe, int numframes, int ttl, bool loop)
{
	Animation *self = (Animation *)NewSprite(&game.newdecorations, sizeof(Animation), RunAnimation, nullptr, DrawSprite);
	if (!self) return nullptr;
	SetObjectPosition(&self->sprite.obj, x, y);
	SetSpriteSheet(&self->sprite, filename);
	SetSpriteFrame(&self->sprite, firstframe);
	self->firstframe = firstframe;
	self->numframes = numframes;
	self->ttl = ttl;
	self->loop = loop;
	return self;
}

bool RunAnimation(Object *obj)
{
	Animation *self = (Animation *)obj;
	int t = ObjectLocalTime(obj);
	if (self->loop) t %= self->ttl;
	else if (t >= self->ttl) return false;
	SetSpriteFrame(&self->sprite, self->firstframe + (self->numframes * t) / self->ttl);
	return true;
}

Animation *NewSplatExplosion(int32_t x, int32_t y, int colour)
{
	return NewAnimation(x, y, "Graphics/Sprites/Splat", colour * 8, 8, 32, false);
}

Animation *NewPlayerBulletFlash(int32_t x, int32_t y)
{
	return NewAnimation(x, y, "Graphics/Sprites/PlayerBulletFlash", 0, 4, 8, false);
}
