// The stage script: invisible objects in game.controllers. The main
// controller steps through 17 states, each making one to three wave
// controllers and waiting until they have ended; a wave controller releases
// enemies of one kind at an interval and ends once it has released them all
// and the field is clear. Needs Game/Object.h.
#pragma once
#include "Game/Object.h"

struct MainController
{
	Object obj;
	int state;     // the step to perform next, 0 .. 16
	int waittime;  // when non-zero, nothing happens before game.timer reaches it
	int numwait;
	Object *waitobjects[8];
	uint32_t waitdogtags[8];
};
CHECK_OBJECT_KIND(MainController);

struct OrbController
{
	Object obj;
	int numleft, rate;
	int next;  // the next orb comes once game.timer is past this
};
CHECK_OBJECT_KIND(OrbController);

// Ectoplasm and flame waves share one record.
struct EdgeController
{
	Object obj;
	int numleft;
	int next;
	bool left;  // enter from the left edge moving right
};
typedef EdgeController EctoplasmController;
typedef EdgeController FlameController;
CHECK_OBJECT_KIND(EdgeController);

// Each returns null, making nothing, when the pool is full.
Object *NewMainController();
bool RunMainController(Object *obj);
void WaitForObject(MainController *self, Object *obj);
Object *NewOrbController(int numorbs, int orbrate);
Object *NewEctoplasmController(int numplasms, bool left);
Object *NewFlameController(int numflames, bool left);
bool RunOrbController(Object *obj);
bool RunEctoplasmController(Object *obj);
bool RunFlameController(Object *obj);
