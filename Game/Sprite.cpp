// Sprites: objects drawn as one frame of a frames array from a loaded bundle,
// placed by a hot spot at the object's screen position. Needs the bundle
// lookup (Platform/ResourceBundle.h) and the RLE drawing of
// Graphics/Drawing.h.
#include "Game/Sprite.h"
#include "Game/Game.h"
#include "Graphics/Drawing.h"
#include "Platform/ResourceBundle.h"

Sprite *NewSprite(ObjectList *list, size_t objsize, ObjectRunFunction runfunc,
                  ObjectHitFunction hitfunc, ObjectDrawFunction drawfunc)
{
	Sprite *self = (Sprite *)NewObject(list, objsize, runfunc, hitfunc, drawfunc);
	if (!self) return nullptr;
	self->frames = nullptr;
	self->hotx = self->hoty = self->frame = 0;
	return self;
}

// A name missing from the bundles leaves the sprite without a sheet, and a
// sprite without a sheet draws nothing.
void SetSpriteSheet(Sprite *self, const char *name)
{
	self->frames = (RLEBitmap **)DataForResourceWithName(game.resources, name, nullptr);
	if (!self->frames || !self->frames[0]) {
		self->frames = nullptr;
		return;
	}
	self->hotx = self->frames[0]->width / 2;
	self->hoty = self->frames[0]->height / 2;
}

static RLEBitmap *SpriteFrame(Sprite *self, int *x, int *y)
{
	*x = ScreenXCoordForWorldCoord(self->obj.x) - self->hotx;
	*y = ScreenYCoordForWorldCoord(self->obj.y) - self->hoty;
	return self->frames ? self->frames[self->frame] : nullptr;
}

void DrawSprite(Object *obj, Bitmap *screen)
{
	int x, y;
	if (RLEBitmap *frame = SpriteFrame((Sprite *)obj, &x, &y)) DrawRLEBitmap(screen, frame, x, y);
}

void CompositeSprite(Object *obj, Bitmap *screen, CompositionMode mode)
{
	int x, y;
	if (RLEBitmap *frame = SpriteFrame((Sprite *)obj, &x, &y)) CompositeRLEBitmap(screen, frame, x, y, mode);
}

void FillSprite(Object *obj, Bitmap *screen, Pixel c)
{
	int x, y;
	if (RLEBitmap *frame = SpriteFrame((Sprite *)obj, &x, &y)) DrawFilledRLEBitmap(screen, frame, x, y, c);
}
