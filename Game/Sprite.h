// Sprite: an object drawn as one frame of a frames array (a null-terminated
// array of RLE bitmaps in a loaded bundle) around a hot spot at the object's
// position. Kinds of sprite put a Sprite first in their records. Needs
// Game/Object.h, the world coordinates of Game/Game.h and the RLE drawing of
// Graphics/Drawing.h.
#pragma once
#include "Game/Object.h"
#include "Graphics/RLEBitmap.h"

struct Sprite
{
	Object obj;
	RLEBitmap **frames;  // shared with the bundle, not owned
	int hotx, hoty;      // pixels from the frame's top-left corner
	int frame;
};

CHECK_OBJECT_KIND(Sprite);

// objsize is the size of the caller's whole record; null when the pool is full.
Sprite *NewSprite(ObjectList *list, size_t objsize, ObjectRunFunction runfunc,
                  ObjectHitFunction hitfunc, ObjectDrawFunction drawfunc);
// The sheet is looked up in game.resources; the hot spot becomes the centre
// of its first frame.
void SetSpriteSheet(Sprite *self, const char *name);
static inline void SetSpriteFrame(Sprite *self, int frame) { self->frame = frame; }

void DrawSprite(Object *obj, Bitmap *screen);
// mode is a CompositionMode of Graphics/Drawing.h.
void CompositeSprite(Object *obj, Bitmap *screen, Pixel (*mode)(Pixel below, Pixel above));
void FillSprite(Object *obj, Bitmap *screen, Pixel c);
