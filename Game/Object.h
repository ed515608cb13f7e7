// Objects and object lists: the header record that every bullet, enemy,
// decoration and controller starts with, the intrusive singly linked lists
// they live in, the removal-safe iterator, and the per-frame list operations
// (run, move, extents, sort, collide, clip, draw). Objects come from the pool
// in game.allocator (Game/Game.h). Needs Game/Utils.h and Graphics/Bitmap.h.
#pragma once
#include <cstddef>
#include <cstdint>
#include <type_traits>
#include "Game/Utils.h"
#include "Graphics/Bitmap.h"

constexpr size_t MaximumObjectSize = 256;  // the member size of the game's pool

struct Object;
typedef bool (*ObjectRunFunction)(Object *obj);
// other is null when obj was hit by an area; power is the other side's.
typedef bool (*ObjectHitFunction)(Object *obj, Object *other, int power);
typedef void (*ObjectDrawFunction)(Object *obj, Bitmap *screen);
typedef bool (*CollisionCallbackFunction)(Object *obj1, Object *obj2);

struct Object
{
	Object *next;
	uint32_t dogtag;  // unique per incarnation; 0 once freed
	int32_t x, y;     // fixed-point world position; x wraps
	int32_t vx, vy;
	int power;
	int32_t hitradius;  // 0: takes part in no collision
	int32_t lastx, lasty;
	int32_t minx, maxx, miny, maxy;  // collision box, view-relative x
	int birthtime;
	ObjectRunFunction runfunc;
	ObjectHitFunction hitfunc;
	ObjectDrawFunction drawfunc;
};

// Every kind of object puts an Object (or a Sprite) first and must fit a
// pool member; each kind's file states it with CHECK_OBJECT_KIND(Orb);
#define CHECK_OBJECT_KIND(type) \
	static_assert(sizeof(type) <= MaximumObjectSize && alignof(type) <= 16 && \
	              std::is_standard_layout<type>::value, \
	              #type " must fit a pool member and start with its Object")

CHECK_OBJECT_KIND(Object);

struct ObjectList
{
	Object *first;
};

struct ObjectIterator
{
	Object **linktocurrent;
	Object *expectednext;  // what followed the current object when we last moved
};

// Creation and release.
Object *NewObject(ObjectList *list, size_t objsize, ObjectRunFunction runfunc,
                  ObjectHitFunction hitfunc, ObjectDrawFunction drawfunc);
void FreeObject(Object *self);  // does not unlink
void AimObjectAtPosition(Object *obj, int32_t x, int32_t y, int32_t vel);

// Lists.
void InitializeObjectList(ObjectList *self);
void CleanupObjectList(ObjectList *self);
void AddObjectToList(ObjectList *self, Object *obj);
void RunObjectList(ObjectList *self);
void MoveObjectList(ObjectList *self);
void RunAndMoveObjectList(ObjectList *self);
void CalculateExtentsForObjectList(ObjectList *self);

// Sorting, collision, clipping and drawing.
void QSortObjectList(ObjectList *self);
void InsertionSortObjectList(ObjectList *self);
void MergeObjectLists(ObjectList *first, ObjectList *second);
void MergeSortedObjectLists(ObjectList *first, ObjectList *second);
void CollideSortedObjectLists(ObjectList *list1, ObjectList *list2);
void CollideSortedObjectListsWithCallback(ObjectList *list1, ObjectList *list2, CollisionCallbackFunction callback);
int CollideObjectListAgainstSquareWithPower(ObjectList *list, int32_t x, int32_t y, int32_t radius, int totalpower);
int CollideObjectListAgainstCircleWithPower(ObjectList *list, int32_t x, int32_t y, int32_t radius, int totalpower);
void ClipObjectListAgainstScreen(ObjectList *self, int left, int right, int top, int bottom);
void DrawObjectList(ObjectList *self, Bitmap *screen);

// The iterator compares links instead of remembering what it returned, so a
// change to the current object's successor made through a clone also reads as
// a removal: NextObject then returns the current object once more.
static inline void InitializeObjectIteratorForList(ObjectIterator *self, ObjectList *list)
{
	self->linktocurrent = &list->first;
	self->expectednext = list->first;
}

static inline void InitializeObjectIteratorAsClone(ObjectIterator *self, ObjectIterator *other)
{
	*self = *other;
}

static inline bool CurrentObjectWasRemoved(ObjectIterator *self)
{
	Object *c = *self->linktocurrent;
	return !c || c->next != self->expectednext;
}

static inline Object *NextObject(ObjectIterator *self)
{
	Object *c = *self->linktocurrent;
	if (CurrentObjectWasRemoved(self)) {
		if (!c) return nullptr;
		self->expectednext = c->next;
		return c;
	}
	if (!c->next) return nullptr;
	self->linktocurrent = &c->next;
	self->expectednext = c->next->next;
	return c->next;
}

// Unlinks without freeing; the next NextObject returns the successor.
static inline void RemoveCurrentObject(ObjectIterator *self)
{
	Object *c = *self->linktocurrent;
	if (c) *self->linktocurrent = c->next;
}

static inline void SetObjectPosition(Object *self, int32_t x, int32_t y) { self->x = x, self->y = y; }
static inline void SetObjectVelocity(Object *self, int32_t vx, int32_t vy) { self->vx = vx, self->vy = vy; }

static inline void SetObjectVelocityAndDirection(Object *self, int32_t v, int a)
{
	self->vx = imul(v, icos(a));
	self->vy = imul(v, isin(a));
}

static inline void SetObjectPower(Object *self, int power) { self->power = power; }
static inline void SetObjectHitRadius(Object *self, int32_t hitradius) { self->hitradius = hitradius; }
static inline uint32_t ObjectDogTag(Object *self) { return self->dogtag; }
static inline bool IsObjectDead(Object *self, uint32_t dogtag) { return self->dogtag != dogtag; }
static inline bool IsObjectListEmpty(ObjectList *self) { return !self->first; }
