// Objects and lists: creation from the pool, dog tags, running lists that
// free what says no, movement, extents, aiming and world coordinates.
#include <random>
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
	visited.push_back(((Probe *)obj)->id);
	return ((Probe *)obj)->keep;
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

using Objects = GameFixture;

TEST_F(Objects, CreationStampsInsertsAtTheHeadAndStopsWhenThePoolIsFull)
{
	game.timer = 77;
	memset(game.allocatorstorage + 2048, 0xEE, 512);  // members come back dirty
	Probe *a = NewProbe(&game.enemies, 1), *b = NewProbe(&game.enemies, 2);
	EXPECT_EQ((void *)a, (void *)(game.allocatorstorage + 2048));
	EXPECT_EQ(ObjectDogTag(&a->obj), 1u);
	EXPECT_EQ(ObjectDogTag(&b->obj), 2u);
	EXPECT_EQ(Ids(&game.enemies), (std::vector<int>{2, 1}));
	const int32_t fields[] = {a->obj.x, a->obj.y, a->obj.vx, a->obj.vy, a->obj.hitradius, a->obj.power, a->obj.birthtime,
		a->obj.minx, a->obj.maxy};
	EXPECT_EQ(std::vector<int32_t>(fields, fields + 9), (std::vector<int32_t>{0, 0, 0, 0, 0, 1, 77, INT32_MIN, INT32_MIN}));
	game.timer += 5;
	EXPECT_EQ(ObjectLocalTime(&a->obj), 5);
	CleanupObjectList(&game.enemies);
	EXPECT_TRUE(IsObjectDead(&a->obj, 1));
	EXPECT_EQ(NewProbe(&game.enemies, 3), a);  // the last freed member again, with a new tag
	EXPECT_TRUE(IsObjectDead(&a->obj, 1));
	while (NewProbe(&game.items, 0)) {}
	EXPECT_EQ(game.allocator.nummembers, 1024u);
	EXPECT_EQ(game.objectcounter, 1026u);  // a failed creation takes no tag
}

TEST(ObjectsDeathTest, OversizedKindStops)
{
	ObjectList list;
	InitializeObjectList(&list);
	EXPECT_DEATH(NewObject(&list, MaximumObjectSize + 1, nullptr, nullptr, nullptr), "objsize<=MaximumObjectSize.*Game/Object");
}

// Random lists in which random objects say no: every object is run once in
// order and the refusers are freed, wherever they stand.
TEST_F(Objects, RunningFreesTheRefusersAndVisitsInOrder)
{
	std::mt19937 rng(8);
	for (int round = 0; round < 300; round++) {
		int n = (int)(rng() % 12);
		for (int i = n; i-- > 0;) NewProbe(&game.controllers, i, rng() % 3 != 0);
		std::vector<int> want = Ids(&game.controllers), kept;
		for (Object *o = game.controllers.first; o; o = o->next)
			if (((Probe *)o)->keep) kept.push_back(((Probe *)o)->id);
		visited.clear();
		RunObjectList(&game.controllers);
		ASSERT_EQ(visited, want) << round;
		ASSERT_EQ(Ids(&game.controllers), kept) << round;
		CleanupObjectList(&game.controllers);
	}
}

TEST_F(Objects, MovingRecordsTheLastPositionAndWraps)
{
	Object *obj = NewObject(&game.enemies, sizeof(Object), nullptr, nullptr, nullptr);
	SetObjectPosition(obj, INT32_MAX, 20);
	SetObjectVelocity(obj, 2, -4);
	RunAndMoveObjectList(&game.enemies);
	EXPECT_EQ(obj->lastx, INT32_MAX);
	EXPECT_EQ(obj->lasty, 20);
	EXPECT_EQ(obj->x, INT32_MIN + 1);
	EXPECT_EQ(obj->y, 16);
	game.x0 = 2040;
	SetObjectPosition(obj, Px(5), Px(100));  // 13 pixels right of the view's edge, across the seam
	SetObjectHitRadius(obj, Px(3));
	CalculateExtentsForObjectList(&game.enemies);
	EXPECT_EQ(std::vector<int32_t>({obj->minx, obj->maxx, obj->miny, obj->maxy}),
		std::vector<int32_t>({Px(10), Px(16), Px(97), Px(103)}));
}

TEST_F(Objects, AimingTheShortWayWithoutOverflow)
{
	const struct { double fx, fy, tx, ty; int32_t v, vx, vy; } rows[] = {
		{100, 100, 130, 140, 0x5000, 0x3000, 0x4000}, {100, 100, 100, 50, 0x2000, 0, -0x2000},
		{5, 100, 2043, 100, 0x1000, -0x1000, 0}, {0, 120, 1000, 120, 0x3000, 0x3000, 0},
		{0, 120, -800, 720, 0x5000, -0x4000, 0x3000}, {50, 60, 50, 60, 0x2800, 0, 0x2800},
		{50, 60, 50 + 63 / 4096.0, 60 - 63 / 4096.0, 0x2800, 0, 0x2800}, {50, 60, 50 + 64 / 4096.0, 60, 0x2800, 0x2800, 0},
	};
	Object *obj = NewObject(&game.enemybullets, sizeof(Object), nullptr, nullptr, nullptr);
	for (auto &row : rows) {
		SetObjectPosition(obj, Px(row.fx), Px(row.fy));
		AimObjectAtPosition(obj, Px(row.tx), Px(row.ty), row.v);
		EXPECT_EQ(obj->vx, row.vx) << row.tx << "," << row.ty;
		EXPECT_EQ(obj->vy, row.vy) << row.tx << "," << row.ty;
	}
}

TEST_F(Objects, WorldCoordinatesWrapAroundTheView)
{
	const struct { int32_t got, want; } rows[] = {
		{XCoordDifference(0, 0x7FF000), 0x1000}, {XCoordDifference(0x7FF000, 0), -0x1000},
		{XCoordDifference(0x400000, 0), 0x400000}, {XCoordDifference(0x400001, 0), -0x3FFFFF},
		{XCoordDifference(0, 0x400000), 0x400000}, {XCoordDifference(INT32_MIN, INT32_MAX), 1},
		{YCoordDifference(INT32_MIN, 1), INT32_MAX}, {ScreenYCoordForWorldCoord(-1), -1},
		{(game.x0 = 500, ScreenXCoordForWorldCoord(Px(510) + 2048)), 10}, {ScreenXCoordForWorldCoord(Px(500) - 1), -1},
		{WrappedXCoordForWorldCoord(Px(500 + 2048 * 3)), 0}, {(game.x0 = 2040, ScreenXCoordForWorldCoord(Px(5))), 13},
		{ScreenXCoordForWorldCoord(Px(2030)), -10}, {(game.x0 = -8, ScreenXCoordForWorldCoord(0)), 8},
	};
	for (size_t i = 0; i < sizeof rows / sizeof rows[0]; i++) EXPECT_EQ(rows[i].got, rows[i].want) << "row " << i;
}
