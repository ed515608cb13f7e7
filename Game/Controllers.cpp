// The stage script and its wave controllers. When the pool is full a state
// cannot make all its controllers: it then makes none, waits for none and is
// tried again in a later frame, so no wave of the script is ever lost.
#include "Game/Controllers.h"
#include "Game/Enemy.h"
#include "Game/Game.h"
#include "Game/Random.h"

Object *NewMainController()
{
	MainController *self = (MainController *)NewObject(&game.controllers, sizeof(MainController), RunMainController,
		nullptr, nullptr);
	if (!self) return nullptr;
	self->state = 0;
	self->waittime = 0;
	self->numwait = 0;
	return &self->obj;
}

void WaitForObject(MainController *self, Object *obj)
{
	// the expression is written as the failure message names it; numwait is never negative
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wsign-compare"
	ASSERT(self->numwait<sizeof(self->waitobjects)/sizeof(self->waitobjects[0]));
#pragma GCC diagnostic pop
	self->waitobjects[self->numwait] = obj;
	self->waitdogtags[self->numwait] = ObjectDogTag(obj);
	self->numwait++;
}

enum WaveKind { Flames, Orbs, Ectoplasms };

// How a wave's side is chosen: a fresh random side, or the side of the
// state's first wave, or the other one.
enum Side { RandomSide, SameSide, OtherSide };

struct Wave
{
	WaveKind kind;
	int count;
	Side side;
};

static const Wave Script[17][3] = {
	{{Flames, 4, RandomSide}},
	{{Orbs, 32, RandomSide}},
	{{Flames, 6, RandomSide}},
	{{Ectoplasms, 4, RandomSide}},
	{{Orbs, 64, RandomSide}},
	{{Ectoplasms, 4, RandomSide}},
	{{Ectoplasms, 4, RandomSide}, {Flames, 6, SameSide}},
	{{Flames, 4, RandomSide}, {Orbs, 128, RandomSide}},
	{{Ectoplasms, 8, RandomSide}},
	{{Flames, 12, RandomSide}},
	{{Flames, 8, RandomSide}, {Ectoplasms, 6, OtherSide}},
	{{Orbs, 128, RandomSide}, {Flames, 8, RandomSide}},
	{{Orbs, 128, RandomSide}, {Ectoplasms, 12, RandomSide}},
	{{Flames, 6, RandomSide}, {Flames, 6, OtherSide}},
	{{Ectoplasms, 8, RandomSide}, {Ectoplasms, 8, OtherSide}},
	{{Flames, 12, RandomSide}, {Ectoplasms, 12, OtherSide}, {Orbs, 256, RandomSide}},
	{},
};

// Makes the controllers of one state; false, with all of them taken back,
// when the pool could not hold them all.
static bool StartState(MainController *self, const Wave *waves)
{
	Object *made[3];
	int n = 0;
	bool side = false;
	for (const Wave *w = waves; n < 3 && w->count; w++) {
		Object *c;
		if (w->kind == Orbs) c = NewOrbController(w->count, 10);
		else {
			if (w->side == RandomSide) side = (RandomInteger() & 1) != 0;
			bool left = w->side == OtherSide ? !side : side;
			c = w->kind == Flames ? NewFlameController(w->count, left) : NewEctoplasmController(w->count, left);
		}
		if (!c) break;
		made[n++] = c;
		if (n == 3 || !waves[n].count) {
			for (int i = 0; i < n; i++) WaitForObject(self, made[i]);
			return true;
		}
	}
	// New objects sit at the head of the list: unlink and free what was made.
	for (int i = n - 1; i >= 0; i--) {
		game.controllers.first = made[i]->next;
		FreeObject(made[i]);
	}
	return n == 0 && !waves[0].count;
}

bool RunMainController(Object *obj)
{
	MainController *self = (MainController *)obj;
	if (self->waittime != 0 && game.timer < self->waittime) return true;
	for (int i = 0; i < self->numwait; i++)
		if (!IsObjectDead(self->waitobjects[i], self->waitdogtags[i])) return true;
	self->numwait = 0;
	if (self->state > 16) return true;
	if (!StartState(self, Script[self->state])) return true;
	self->state = self->state == 16 ? 0 : self->state + 1;
	return true;
}

Object *NewOrbController(int numorbs, int orbrate)
{
	OrbController *self = (OrbController *)NewObject(&game.controllers, sizeof(OrbController), RunOrbController, nullptr,
		nullptr);
	if (!self) return nullptr;
	self->numleft = numorbs;
	self->rate = orbrate;
	self->next = game.timer + orbrate;
	return &self->obj;
}

static Object *NewEdgeController(int count, bool left, ObjectRunFunction runfunc)
{
	EdgeController *self = (EdgeController *)NewObject(&game.controllers, sizeof(EdgeController), runfunc, nullptr, nullptr);
	if (!self) return nullptr;
	self->numleft = count;
	self->next = game.timer + 60;
	self->left = left;
	return &self->obj;
}

Object *NewEctoplasmController(int numplasms, bool left)
{
	return NewEdgeController(numplasms, left, RunEctoplasmController);
}

Object *NewFlameController(int numflames, bool left) { return NewEdgeController(numflames, left, RunFlameController); }

// A wave lasts until it has released everything and the field is clear.
static bool IsWaveGoing(int numleft) { return numleft > 0 || !IsObjectListEmpty(&game.enemies); }

bool RunOrbController(Object *obj)
{
	OrbController *self = (OrbController *)obj;
	if (self->numleft > 0 && game.timer > self->next) {
		int size = (int)(RandomInteger() & 1);
		int x = (int)RandomIntegerInRange(10, 309);
		NewOrb((int32_t)((uint32_t)(x + game.x0) << 12), 1015808, size);
		self->next += self->rate;
		self->numleft--;
	}
	return IsWaveGoing(self->numleft);
}

static bool RunEdgeController(Object *obj, Object *(*newenemy)(int32_t x, int32_t y, int dir))
{
	EdgeController *self = (EdgeController *)obj;
	if (self->numleft > 0 && game.timer > self->next) {
		int32_t y = (int32_t)RandomIntegerInRange(10, 229) * 4096;
		if (self->left) newenemy((int32_t)((uint32_t)(game.x0 - 96) << 12), y, 1);
		else newenemy((int32_t)((uint32_t)(game.x0 + 416) << 12), y, -1);
		self->next += 60;
		self->numleft--;
	}
	return IsWaveGoing(self->numleft);
}

bool RunEctoplasmController(Object *obj) { return RunEdgeController(obj, NewEctoplasm); }

bool RunFlameController(Object *obj) { return RunEdgeController(obj, NewFlame); }
