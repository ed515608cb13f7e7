// Enemies: sprite objects in game.enemies with hit points (the object's
// power), a colour for their splat and bullets, a score and a white hit
// flash. Three kinds: the ectoplasm (chases, charges, sprays a ring, flies
// off), the orb (rises, sways, bursts into a ring) and the flame (wanders,
// fires aimed shots). Needs Game/Sprite.h.
#pragma once
#include "Game/Sprite.h"

struct Enemy
{
	Sprite sprite;
	int colour;
	int score;   // added to game.score when shot down
	int hitend;  // drawn white while game.timer is below this
};
CHECK_OBJECT_KIND(Enemy);

enum EctoplasmState { Approach, Settle, Charge, Retreat, Rest };

struct Ectoplasm
{
	Enemy enemy;
	int32_t tx, ty;  // where it retreats to
	int state;
	int startcharge;
};
CHECK_OBJECT_KIND(Ectoplasm);

struct Orb
{
	Enemy enemy;
	int size;             // 0 small, 1 large
	int32_t burstheight;  // bursts once above this row
	int offset;           // phase of the sway
	bool reverse;         // spins the other way
};
CHECK_OBJECT_KIND(Orb);

struct Flame
{
	Enemy enemy;
	int a;   // heading
	int da;  // turning direction, +1 or -1
};
CHECK_OBJECT_KIND(Flame);

// Each returns null, making nothing, when the pool is full.
Enemy *NewEnemy(size_t objsize, int32_t x, int32_t y, const char *filename, int colour, int score,
	ObjectRunFunction runfunc, ObjectHitFunction hitfunc, ObjectDrawFunction drawfunc);
bool HitEnemy(Object *obj, Object *other, int power);
void DrawEnemy(Object *obj, Bitmap *screen);
void DrawIndicatorEnemy(Object *obj, Bitmap *screen);

Object *NewEctoplasm(int32_t x, int32_t y, int dir);
Object *NewOrb(int32_t x, int32_t y, int size);
Object *NewFlame(int32_t x, int32_t y, int dir);
bool RunEctoplasm(Object *obj);
bool RunOrb(Object *obj);
bool RunFlame(Object *obj);
