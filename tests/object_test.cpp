// Objects and lists: creation from the pool, dogtags, the removal-safe
// iterator, running and moving lists, extents, aiming, world coordinates.
#include <vector>
#include "GameFixture.h"

namespace {

struct Probe
{
	Object obj;
	int id;
	bool keep;
};
CHECK_OBJECT_KIND(Probe);

std::vector<int> visited;

bool RunProbe(Object *obj)
{
	Probe *self = (Probe *)obj;
	visited.push_back(self->id);
	return self->keep;
}

Probe *NewProbe(ObjectList *list, int id, bool keep = true)
{
	Probe *p = (Probe *)NewObject(list, sizeof(Probe), RunProbe, nullptr, nullptr);
	if (p) p->id = id, p->keep = keep;
	return p;
}

std::vector<int> Ids(ObjectList *list)
{
	std::vector<int> ids;
	for (Object *obj = list->first; obj; obj = obj->next) ids.push_back(((Probe *)obj)->id);
	return ids;
}

}  // namespace

class Objects : public GameFixture
{
protected:
	void SetUp() override
	{
		GameFixture::SetUp();
		visited.clear();
	}
};

TEST_F(Objects, NewObjectStampsAndInsertsAtTheHead)
{
	game.timer = 77;
	Probe *a = NewProbe(&game.enemies, 1), *b = NewProbe(&game.enemies, 2);
	EXPECT_EQ(ObjectDogTag(&a->obj), 1u);
	EXPECT_EQ(ObjectDogTag(&b->obj), 2u);
	EXPECT_EQ(game.objectcounter, 2u);
	EXPECT_EQ(Ids(&game.enemies), (std::vector<int>{2, 1}));
	EXPECT_EQ(a->obj.power, 1);
	EXPECT_EQ(a->obj.hitradius, 0);
	EXPECT_EQ(a->obj.x, 0);
	EXPECT_EQ(a->obj.vy, 0);
	EXPECT_EQ(a->obj.birthtime, 77);
	EXPECT_EQ(a->obj.minx, INT32_MIN);
	EXPECT_EQ(a->obj.maxy, INT32_MIN);
	EXPECT_EQ(a->obj.runfunc, RunProbe);
	EXPECT_EQ(ObjectLocalTime(&a->obj), 0);
	game.timer += 5;
	EXPECT_EQ(ObjectLocalTime(&a->obj), 5);
	EXPECT_EQ((void *)a, (void *)(game.allocatorstorage + 2048));
}

TEST_F(Objects, DeadStaysDeadAfterTheMemberIsReused)
{
	Probe *a = NewProbe(&game.enemies, 1);
	uint32_t tag = ObjectDogTag(&a->obj);
	EXPECT_FALSE(IsObjectDead(&a->obj, tag));
	CleanupObjectList(&game.enemies);
	EXPECT_TRUE(IsObjectDead(&a->obj, tag));
	EXPECT_EQ(a->obj.dogtag, 0u);
	Probe *b = NewProbe(&game.enemies, 2);
	ASSERT_EQ((void *)b, (void *)a);  // the same member, handed out again
	EXPECT_TRUE(IsObjectDead(&a->obj, tag));
	EXPECT_EQ(ObjectDogTag(&b->obj), 2u);
}

TEST_F(Objects, PoolExhaustionChangesNothing)
{
	for (int i = 0; i < 1024; i++) ASSERT_NE(NewProbe(&game.enemies, i), nullptr);
	Object *first = game.enemies.first;
	EXPECT_EQ(NewObject(&game.enemies, sizeof(Probe), RunProbe, nullptr, nullptr), nullptr);
	EXPECT_EQ(NewObject(&game.items, sizeof(Probe), RunProbe, nullptr, nullptr), nullptr);
	EXPECT_EQ(game.objectcounter, 1024u);
	EXPECT_EQ(game.enemies.first, first);
	EXPECT_TRUE(IsObjectListEmpty(&game.items));
	EXPECT_EQ(game.allocator.nummembers, 1024u);
	// one freed member makes room for exactly one more
	ObjectIterator it;
	InitializeObjectIteratorForList(&it, &game.enemies);
	Object *obj = NextObject(&it);
	RemoveCurrentObject(&it);
	FreeObject(obj);
	EXPECT_NE(NewProbe(&game.items, 5000), nullptr);
	EXPECT_EQ(game.objectcounter, 1025u);
}

TEST(ObjectsDeathTest, OversizedKindStops)
{
	ObjectList list;
	InitializeObjectList(&list);
	EXPECT_DEATH(NewObject(&list, MaximumObjectSize + 1, nullptr, nullptr, nullptr),
	             "objsize<=MaximumObjectSize.*Game/Object");
}

TEST_F(Objects, IteratorRemovingCurrentAndLast)
{
	for (int i = 5; i >= 1; i--) NewProbe(&game.enemies, i);  // list 1..5
	ObjectIterator it;
	InitializeObjectIteratorForList(&it, &game.enemies);
	std::vector<int> seen;
	std::vector<Object *> removed;
	while (Object *obj = NextObject(&it)) {
		int id = ((Probe *)obj)->id;
		seen.push_back(id);
		if (id == 1 || id == 3 || id == 5) {
			RemoveCurrentObject(&it);
			EXPECT_TRUE(CurrentObjectWasRemoved(&it));
			removed.push_back(obj);
		} else {
			EXPECT_FALSE(CurrentObjectWasRemoved(&it));
		}
	}
	EXPECT_EQ(seen, (std::vector<int>{1, 2, 3, 4, 5}));
	EXPECT_EQ(Ids(&game.enemies), (std::vector<int>{2, 4}));
	EXPECT_EQ(NextObject(&it), nullptr);  // stays at the end
	for (Object *obj : removed) FreeObject(obj);
}

TEST_F(Objects, IteratorOnAnEmptyListAndRemovingTheOnlyObject)
{
	ObjectIterator it;
	InitializeObjectIteratorForList(&it, &game.enemies);
	EXPECT_EQ(NextObject(&it), nullptr);
	RemoveCurrentObject(&it);  // nothing to remove: harmless
	Probe *a = NewProbe(&game.enemies, 1);
	InitializeObjectIteratorForList(&it, &game.enemies);
	EXPECT_EQ(NextObject(&it), &a->obj);
	RemoveCurrentObject(&it);
	EXPECT_EQ(NextObject(&it), nullptr);
	EXPECT_TRUE(IsObjectListEmpty(&game.enemies));
	FreeObject(&a->obj);
}

TEST_F(Objects, CloneRemovingTheSuccessorResynchronises)
{
	for (int i = 4; i >= 1; i--) NewProbe(&game.enemies, i);  // 1 2 3 4
	ObjectIterator it, clone;
	InitializeObjectIteratorForList(&it, &game.enemies);
	Object *one = NextObject(&it);
	Object *two = NextObject(&it);
	ASSERT_EQ(((Probe *)two)->id, 2);
	InitializeObjectIteratorAsClone(&clone, &it);
	Object *three = NextObject(&clone);
	ASSERT_EQ(((Probe *)three)->id, 3);
	RemoveCurrentObject(&clone);
	FreeObject(three);
	EXPECT_TRUE(CurrentObjectWasRemoved(&it));
	EXPECT_EQ(NextObject(&it), two);  // the current object once more
	EXPECT_FALSE(CurrentObjectWasRemoved(&it));
	Object *four = NextObject(&it);
	EXPECT_EQ(((Probe *)four)->id, 4);
	EXPECT_EQ(NextObject(&it), nullptr);
	EXPECT_EQ(Ids(&game.enemies), (std::vector<int>{1, 2, 4}));
	(void)one;
}

TEST_F(Objects, RunFreesEveryObjectThatSaysNo)
{
	for (int i = 6; i >= 1; i--) NewProbe(&game.enemies, i, i % 2 == 0);
	RunObjectList(&game.enemies);
	EXPECT_EQ(visited, (std::vector<int>{1, 2, 3, 4, 5, 6}));
	EXPECT_EQ(Ids(&game.enemies), (std::vector<int>{2, 4, 6}));
	EXPECT_EQ(game.allocator.nummembers, 3u);
	for (Object *obj = game.enemies.first; obj; obj = obj->next) ((Probe *)obj)->keep = false;
	visited.clear();
	RunObjectList(&game.enemies);
	EXPECT_EQ(visited, (std::vector<int>{2, 4, 6}));
	EXPECT_TRUE(IsObjectListEmpty(&game.enemies));
	EXPECT_EQ(game.allocator.nummembers, 0u);
}

TEST_F(Objects, RunRecordsTheLastPositionAndSkipsNullRunFunctions)
{
	Object *obj = NewObject(&game.enemies, sizeof(Object), nullptr, nullptr, nullptr);
	SetObjectPosition(obj, 10, 20);
	SetObjectVelocity(obj, 3, -4);
	RunAndMoveObjectList(&game.enemies);
	EXPECT_EQ(obj->lastx, 10);
	EXPECT_EQ(obj->lasty, 20);
	EXPECT_EQ(obj->x, 13);
	EXPECT_EQ(obj->y, 16);
	SetObjectPosition(obj, INT32_MAX, INT32_MIN);
	SetObjectVelocity(obj, 2, -1);
	MoveObjectList(&game.enemies);
	EXPECT_EQ(obj->x, INT32_MIN + 1);  // x wraps round 2^32 freely
	EXPECT_EQ(obj->y, INT32_MAX);
}

// A run function that adds to its own list, as a spawner does.
namespace {
int spawnerid = 100;
bool spawnerkeeps = true;
bool RunSpawner(Object *obj)
{
	visited.push_back(((Probe *)obj)->id);
	if (((Probe *)obj)->id < 100) return true;
	Probe *child = NewProbe(&game.controllers, spawnerid++ - 90);
	(void)child;
	return spawnerkeeps;
}
}  // namespace

TEST_F(Objects, ObjectsCreatedAtTheHeadDuringARun)
{
	// Standing on the first object: the new one is visited next, then the
	// spawner again.
	Probe *s = NewProbe(&game.controllers, 100);
	s->obj.runfunc = RunSpawner;
	spawnerid = 100;
	spawnerkeeps = true;
	RunObjectList(&game.controllers);
	EXPECT_EQ(visited, (std::vector<int>{100, 10, 100}));
	EXPECT_EQ(Ids(&game.controllers), (std::vector<int>{11, 10, 100}));
	// Past the first object: new objects are not visited in this pass.
	CleanupObjectList(&game.controllers);
	NewProbe(&game.controllers, 200)->obj.runfunc = RunSpawner;
	NewProbe(&game.controllers, 1);
	visited.clear();
	spawnerid = 100;
	RunObjectList(&game.controllers);
	EXPECT_EQ(visited, (std::vector<int>{1, 200}));
	EXPECT_EQ(Ids(&game.controllers), (std::vector<int>{10, 1, 200}));
}

TEST_F(Objects, SpawnerThatDiesOnTheFirstPlaceFreesItselfNotItsChild)
{
	Probe *s = NewProbe(&game.controllers, 100);
	s->obj.runfunc = RunSpawner;
	spawnerid = 100;
	spawnerkeeps = false;
	RunObjectList(&game.controllers);
	EXPECT_EQ(Ids(&game.controllers), (std::vector<int>{10}));
	EXPECT_EQ(s->obj.dogtag, 0u);
	EXPECT_EQ(game.allocator.nummembers, 1u);
}

TEST_F(Objects, ExtentsAreViewRelativeSquares)
{
	game.x0 = 2040;
	Object *obj = NewObject(&game.enemies, sizeof(Object), nullptr, nullptr, nullptr);
	SetObjectPosition(obj, Px(5), Px(100));  // 13 pixels right of the view's edge, across the seam
	SetObjectHitRadius(obj, Px(3));
	CalculateExtentsForObjectList(&game.enemies);
	EXPECT_EQ(obj->minx, Px(10));
	EXPECT_EQ(obj->maxx, Px(16));
	EXPECT_EQ(obj->miny, Px(97));
	EXPECT_EQ(obj->maxy, Px(103));
}

TEST_F(Objects, VelocityFromSpeedAndAngle)
{
	Object *obj = NewObject(&game.enemies, sizeof(Object), nullptr, nullptr, nullptr);
	SetObjectVelocityAndDirection(obj, 0x3000, 1024);  // straight down
	EXPECT_EQ(obj->vx, 0);
	EXPECT_EQ(obj->vy, 0x3000);
	SetObjectVelocityAndDirection(obj, 0x2000, 2048);
	EXPECT_EQ(obj->vx, -0x2000);
	EXPECT_EQ(obj->vy, 0);
	SetObjectVelocityAndDirection(obj, 0x1000, 512);
	EXPECT_EQ(obj->vx, 2896);
	EXPECT_EQ(obj->vy, 2896);
}

TEST_F(Objects, AimingAtAPoint)
{
	Object *obj = NewObject(&game.enemybullets, sizeof(Object), nullptr, nullptr, nullptr);
	SetObjectPosition(obj, Px(100), Px(100));
	AimObjectAtPosition(obj, Px(130), Px(140), 0x5000);  // 30, 40: a 3-4-5 triangle
	EXPECT_EQ(obj->vx, 0x3000);
	EXPECT_EQ(obj->vy, 0x4000);
	AimObjectAtPosition(obj, Px(100), Px(50), 0x2000);
	EXPECT_EQ(obj->vx, 0);
	EXPECT_EQ(obj->vy, -0x2000);
}

TEST_F(Objects, AimingTheShortWayAcrossTheSeam)
{
	Object *obj = NewObject(&game.enemybullets, sizeof(Object), nullptr, nullptr, nullptr);
	SetObjectPosition(obj, Px(5), Px(100));
	AimObjectAtPosition(obj, Px(2043), Px(100), 0x1000);  // 10 pixels to the left
	EXPECT_EQ(obj->vx, -0x1000);
	EXPECT_EQ(obj->vy, 0);
}

TEST_F(Objects, AimingAcrossHalfTheWorldDoesNotOverflow)
{
	// 1000 pixels away: its square does not fit 32 bits.
	Object *obj = NewObject(&game.enemybullets, sizeof(Object), nullptr, nullptr, nullptr);
	SetObjectPosition(obj, 0, Px(120));
	AimObjectAtPosition(obj, Px(1000), Px(120), 0x3000);
	EXPECT_EQ(obj->vx, 0x3000);
	EXPECT_EQ(obj->vy, 0);
	AimObjectAtPosition(obj, Px(-800), Px(120 + 600), 0x5000);  // 800 left, 600 down
	EXPECT_EQ(obj->vx, -0x4000);
	EXPECT_EQ(obj->vy, 0x3000);
}

TEST_F(Objects, AimingAtItsOwnPositionGoesStraightDown)
{
	Object *obj = NewObject(&game.enemybullets, sizeof(Object), nullptr, nullptr, nullptr);
	SetObjectPosition(obj, Px(50), Px(60));
	AimObjectAtPosition(obj, Px(50), Px(60), 0x2800);
	EXPECT_EQ(obj->vx, 0);
	EXPECT_EQ(obj->vy, 0x2800);
	AimObjectAtPosition(obj, Px(50) + 63, Px(60) - 63, 0x2800);  // closer than 1/64 pixel
	EXPECT_EQ(obj->vx, 0);
	EXPECT_EQ(obj->vy, 0x2800);
	AimObjectAtPosition(obj, Px(50) + 64, Px(60), 0x2800);  // far enough to have a direction
	EXPECT_EQ(obj->vx, 0x2800);
	EXPECT_EQ(obj->vy, 0);
}

TEST_F(Objects, CleanupReturnsEverythingToThePool)
{
	for (int i = 0; i < 10; i++) NewProbe(i % 2 ? &game.enemies : &game.items, i);
	CleanupObjectList(&game.enemies);
	CleanupObjectList(&game.items);
	EXPECT_TRUE(IsObjectListEmpty(&game.enemies));
	EXPECT_TRUE(IsObjectListEmpty(&game.items));
	EXPECT_EQ(game.allocator.nummembers, 0u);
}

class Coordinates : public GameFixture {};

TEST_F(Coordinates, DifferencesWrapAroundTheWorld)
{
	EXPECT_EQ(XCoordDifference(0, 0x7FF000), 0x1000);
	EXPECT_EQ(XCoordDifference(0x7FF000, 0), -0x1000);
	EXPECT_EQ(XCoordDifference(0x400000, 0), 0x400000);
	EXPECT_EQ(XCoordDifference(0x400001, 0), -0x3FFFFF);
	EXPECT_EQ(XCoordDifference(0, 0x400000), 0x400000);  // half a world either way counts as ahead
	EXPECT_EQ(XCoordDifference(INT32_MIN, INT32_MAX), 1);
	EXPECT_EQ(XCoordDifference(0x800000 * 7 + 5, 5), 0);
	EXPECT_EQ(YCoordDifference(3, 10), -7);
	EXPECT_EQ(YCoordDifference(INT32_MIN, 1), INT32_MAX);
}

TEST_F(Coordinates, ScreenPositions)
{
	game.x0 = 500;
	EXPECT_EQ(ScreenXCoordForWorldCoord(Px(510) + 2048), 10);
	EXPECT_EQ(ScreenXCoordForWorldCoord(Px(500) - 1), -1);
	EXPECT_EQ(ScreenXCoordForWorldCoord(Px(499)), -1);
	EXPECT_EQ(WrappedXCoordForWorldCoord(Px(500 + 2048 * 3)), 0);
	game.x0 = 2040;
	EXPECT_EQ(ScreenXCoordForWorldCoord(Px(5)), 13);
	EXPECT_EQ(ScreenXCoordForWorldCoord(Px(2030)), -10);
	game.x0 = -8;  // the view's edge runs freely below zero as well
	EXPECT_EQ(ScreenXCoordForWorldCoord(Px(0)), 8);
	EXPECT_EQ(ScreenYCoordForWorldCoord(-1), -1);
	EXPECT_EQ(ScreenYCoordForWorldCoord(0xFFF), 0);
	EXPECT_EQ(WrappedYCoordForWorldCoord(-12345), -12345);
}
