// Objects and their lists: creation from game.allocator, running, moving,
// collision boxes, sorting by the top of the box, the sorted collision sweep,
// area tests, clipping and drawing. Whoever unlinks an object frees it in the
// same step. Needs the game record (Game/Game.h).
#include "Game/Object.h"
#include <climits>
#include "Game/Game.h"

Object *NewObject(ObjectList *list, size_t objsize, ObjectRunFunction runfunc,
                  ObjectHitFunction hitfunc, ObjectDrawFunction drawfunc)
{
	ASSERT(objsize<=MaximumObjectSize);
	Object *self = (Object *)AllocMember(&game.allocator);
	if (!self) return nullptr;
	self->dogtag = ++game.objectcounter;
	self->x = self->y = self->vx = self->vy = 0;
	self->power = 1;
	self->hitradius = 0;
	self->birthtime = game.timer;
	self->minx = self->maxx = self->miny = self->maxy = INT32_MIN;
	self->runfunc = runfunc;
	self->hitfunc = hitfunc;
	self->drawfunc = drawfunc;
	AddObjectToList(list, self);
	return self;
}

void FreeObject(Object *self)
{
	self->dogtag = 0;
	FreeMember(&game.allocator, self);
}

// The distance is taken with 64-bit squares so that aiming across half the
// world stays right. A target closer than 1/64 pixel in both axes has no
// direction; such an object is sent straight down at the requested speed.
void AimObjectAtPosition(Object *obj, int32_t x, int32_t y, int32_t vel)
{
	int32_t dx = XCoordDifference(x, obj->x);
	int32_t dy = YCoordDifference(y, obj->y);
	int32_t r = idistance(dx, dy);
	if (r == 0) {
		SetObjectVelocity(obj, 0, vel);
		return;
	}
	SetObjectVelocity(obj, (int32_t)idiv64(imul64(dx, vel), r), (int32_t)idiv64(imul64(dy, vel), r));
}

void InitializeObjectList(ObjectList *self)
{
	self->first = nullptr;
}

void CleanupObjectList(ObjectList *self)
{
	ObjectIterator it;
	InitializeObjectIteratorForList(&it, self);
	while (Object *obj = NextObject(&it)) {
		RemoveCurrentObject(&it);
		FreeObject(obj);
	}
}

void AddObjectToList(ObjectList *self, Object *obj)
{
	obj->next = self->first;
	self->first = obj;
}

// A run function may add objects to its own list. Standing on the list's
// first object, those land in the iterator's slot in front of the current
// one, so the object to remove is searched for from the slot onwards rather
// than assumed to be in it.
static void RemoveAndFreeObjectFromRun(ObjectIterator *it, Object *obj)
{
	Object **link = it->linktocurrent;
	while (*link != obj) link = &(*link)->next;
	*link = obj->next;
	FreeObject(obj);
}

void RunObjectList(ObjectList *self)
{
	ObjectIterator it;
	InitializeObjectIteratorForList(&it, self);
	while (Object *obj = NextObject(&it)) {
		obj->lastx = obj->x;
		obj->lasty = obj->y;
		if (obj->runfunc && !obj->runfunc(obj)) RemoveAndFreeObjectFromRun(&it, obj);
	}
}

void MoveObjectList(ObjectList *self)
{
	for (Object *obj = self->first; obj; obj = obj->next) {
		obj->x = (int32_t)((uint32_t)obj->x + (uint32_t)obj->vx);
		obj->y = (int32_t)((uint32_t)obj->y + (uint32_t)obj->vy);
	}
}

void RunAndMoveObjectList(ObjectList *self)
{
	RunObjectList(self);
	MoveObjectList(self);
}

void CalculateExtentsForObjectList(ObjectList *self)
{
	for (Object *obj = self->first; obj; obj = obj->next) {
		int32_t wx = WrappedXCoordForWorldCoord(obj->x);
		int32_t wy = WrappedYCoordForWorldCoord(obj->y);
		obj->minx = wx - obj->hitradius;
		obj->maxx = wx + obj->hitradius;
		obj->miny = wy - obj->hitradius;
		obj->maxy = wy + obj->hitradius;
	}
}

// A stable merge sort of the links themselves (bottom-up, runs of 1, 2, 4...):
// objects with equal tops keep their list order whatever the C library's
// qsort would do, so every target draws and collides the same frames, and the
// sort needs no memory of its own.
void QSortObjectList(ObjectList *self)
{
	Object *list = self->first;
	if (!list) return;
	for (size_t width = 1;; width *= 2) {
		Object *p = list, **tail = &list;
		size_t runs = 0;
		while (p) {
			runs++;
			Object *q = p;
			size_t psize = 0, qsize = width;
			while (psize < width && q) psize++, q = q->next;
			while (psize > 0 || (qsize > 0 && q)) {
				Object *e;
				if (psize > 0 && (qsize == 0 || !q || p->miny <= q->miny)) e = p, p = p->next, psize--;
				else e = q, q = q->next, qsize--;
				*tail = e;
				tail = &e->next;
			}
			p = q;
		}
		*tail = nullptr;
		if (runs <= 1) break;
	}
	self->first = list;
}

void InsertionSortObjectList(ObjectList *self)
{
	QSortObjectList(self);
}

void MergeObjectLists(ObjectList *first, ObjectList *second)
{
	if (!second->first) return;
	Object **link = &first->first;
	while (*link) link = &(*link)->next;
	*link = second->first;
	second->first = nullptr;
}

// On equal miny the object from second goes first.
void MergeSortedObjectLists(ObjectList *first, ObjectList *second)
{
	Object *a = first->first, *b = second->first;
	if (!b) return;
	Object **link = &first->first;
	while (a && b) {
		if (a->miny < b->miny) {
			*link = a;
			a = a->next;
		} else {
			*link = b;
			b = b->next;
		}
		link = &(*link)->next;
	}
	*link = a ? a : b;
	second->first = nullptr;
}

static bool RegularCollisionTest(Object *, Object *)
{
	return true;
}

void CollideSortedObjectLists(ObjectList *list1, ObjectList *list2)
{
	CollideSortedObjectListsWithCallback(list1, list2, RegularCollisionTest);
}

// it2 stands on the first object of list2 that can still reach the current
// obj1; a clone of it scans forward from there. Removals through the clone
// show up on it2 as a changed link, which re-synchronises it.
void CollideSortedObjectListsWithCallback(ObjectList *list1, ObjectList *list2, CollisionCallbackFunction callback)
{
	ObjectIterator it1, it2, clone;
	InitializeObjectIteratorForList(&it1, list1);
	InitializeObjectIteratorForList(&it2, list2);
	Object *obj2 = NextObject(&it2);
	if (!obj2) return;
	while (Object *obj1 = NextObject(&it1)) {
		while (obj2->maxy < obj1->miny) {
			obj2 = NextObject(&it2);
			if (!obj2) return;
		}
		if (obj1->maxy < obj2->miny) continue;
		InitializeObjectIteratorAsClone(&clone, &it2);
		Object *obj = obj2;
		for (;;) {
			if (obj->minx <= obj1->maxx && obj->maxx >= obj1->minx && obj->hitradius != 0 &&
			    obj1->hitradius != 0 && callback(obj1, obj)) {
				int power1 = obj1->power, power = obj->power;
				bool remove1 = obj1->hitfunc && !obj1->hitfunc(obj1, obj, power);
				bool remove = obj->hitfunc && !obj->hitfunc(obj, obj1, power1);
				if (remove) {
					RemoveCurrentObject(&clone);
					FreeObject(obj);
				}
				if (remove1) {
					RemoveCurrentObject(&it1);
					FreeObject(obj1);
					break;
				}
			}
			do obj = NextObject(&clone);
			while (obj && obj->maxy < obj1->miny);
			if (!obj || obj->miny > obj1->maxy) break;
		}
		if (CurrentObjectWasRemoved(&it2)) {
			obj2 = NextObject(&it2);
			if (!obj2) return;
		}
	}
}

// The square test, and for circles the centre distance test too, squared in
// 64 bits so that a far-off centre cannot wrap into range.
static int CollideObjectListAgainstArea(ObjectList *list, int32_t x, int32_t y, int32_t radius, int totalpower, bool circle)
{
	int32_t cx = WrappedXCoordForWorldCoord(x), cy = WrappedYCoordForWorldCoord(y);
	int power = totalpower;
	ObjectIterator it;
	InitializeObjectIteratorForList(&it, list);
	Object *obj;
	while (power > 0 && (obj = NextObject(&it))) {
		if (obj->minx > cx + radius || obj->maxx < cx - radius || obj->miny > cy + radius ||
		    obj->maxy < cy - radius || obj->hitradius == 0)
			continue;
		if (circle) {
			int64_t ddx = WrappedXCoordForWorldCoord(obj->x) - (int64_t)cx;
			int64_t ddy = WrappedYCoordForWorldCoord(obj->y) - (int64_t)cy;
			int64_t reach = (int64_t)obj->hitradius + radius;
			if (imul64(ddx, ddx) + imul64(ddy, ddy) > imul64(reach, reach)) continue;
		}
		int p = obj->power;
		if (obj->hitfunc && !obj->hitfunc(obj, nullptr, power)) {
			RemoveCurrentObject(&it);
			FreeObject(obj);
		}
		power -= p;
	}
	return power;
}

int CollideObjectListAgainstSquareWithPower(ObjectList *list, int32_t x, int32_t y, int32_t radius, int totalpower)
{
	return CollideObjectListAgainstArea(list, x, y, radius, totalpower, false);
}

int CollideObjectListAgainstCircleWithPower(ObjectList *list, int32_t x, int32_t y, int32_t radius, int totalpower)
{
	return CollideObjectListAgainstArea(list, x, y, radius, totalpower, true);
}

void ClipObjectListAgainstScreen(ObjectList *self, int left, int right, int top, int bottom)
{
	ObjectIterator it;
	InitializeObjectIteratorForList(&it, self);
	while (Object *obj = NextObject(&it)) {
		int sx = ScreenXCoordForWorldCoord(obj->x), sy = ScreenYCoordForWorldCoord(obj->y);
		if (sx < left || sx > right || sy < top || sy > bottom) {
			RemoveCurrentObject(&it);
			FreeObject(obj);
		}
	}
}

void DrawObjectList(ObjectList *self, Bitmap *screen)
{
	for (Object *obj = self->first; obj; obj = obj->next)
		if (obj->drawfunc) obj->drawfunc(obj, screen);
}
