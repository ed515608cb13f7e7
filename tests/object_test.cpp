// Objects and lists: creation from the pool, dog tags, running lists that
// grow as they run, movement, extents, aiming and world coordinates; the sorted
// collision sweep against a brute-force pairwise reference, the area tests
// with power budgets, clipping.
#include <algorithm>
#include <array>
#include <iterator>
#include <random>
#include <vector>
#include "GameFixture.h"

namespace {

struct Body
{
	Object obj;
	int id;
	int hitsleft;  // the hit that brings this to 0 removes the object
};
CHECK_OBJECT_KIND(Body);

typedef std::array<int, 3> Hit;  // id, other id, power
std::vector<Hit> hits;

// Takes the other side's power off its own, so a hit function that ran first
// would show in the power the second one is given if it were read late.
bool HitBody(Object *obj, Object *other, int power)
{
	Body *self = (Body *)obj;
	hits.push_back({self->id, other ? ((Body *)other)->id : -1, power});
	self->obj.power -= power;
	return --self->hitsleft > 0;
}

// A run keeps the object while it has hits left.
bool RunBody(Object *obj) { return ((Body *)obj)->hitsleft > 0; }

Body *NewBody(ObjectList *list, int id, double x, double y, double radius, int power = 1, int hitsleft = 1000)
{
	Body *b = (Body *)NewObject(list, sizeof(Body), RunBody, HitBody, nullptr);
	if (!b) return b;
	b->id = id;
	b->hitsleft = hitsleft;
	SetObjectPosition(&b->obj, Px(x), Px(y));
	SetObjectHitRadius(&b->obj, Px(radius));
	SetObjectPower(&b->obj, power);
	return b;
}

std::vector<int> Ids(ObjectList *list)
{
	std::vector<int> ids;
	for (Object *obj = list->first; obj; obj = obj->next) ids.push_back(((Body *)obj)->id);
	return ids;
}

// Copies of the records, dead when their hits are spent: the reference model.
std::vector<Body> Snapshot(ObjectList *list)
{
	std::vector<Body> copies;
	for (Object *obj = list->first; obj; obj = obj->next) copies.push_back(*(Body *)obj);
	return copies;
}

bool RejectSomePairs(Object *a, Object *b)
{
	return (((Body *)a)->id + ((Body *)b)->id) % 3 != 0;
}

// Every pair in list order, with the same hit rules: what the sweep must do.
std::vector<Hit> BruteForce(std::vector<Body> &a, std::vector<Body> &b, bool filtered)
{
	std::vector<Hit> log;
	for (Body &b1 : a) {
		for (Body &b2 : b) {
			Object &m1 = b1.obj, &m2 = b2.obj;
			if (b1.hitsleft <= 0) break;
			if (b2.hitsleft <= 0) continue;
			bool overlap = m2.minx <= m1.maxx && m2.maxx >= m1.minx && m2.miny <= m1.maxy && m2.maxy >= m1.miny;
			if (!overlap || !m1.hitradius || !m2.hitradius) continue;
			if (filtered && (b1.id + b2.id) % 3 == 0) continue;
			int p1 = m1.power, p2 = m2.power;
			log.push_back({b1.id, b2.id, p2});
			log.push_back({b2.id, b1.id, p1});
			m1.power -= p2, m2.power -= p1;
			b1.hitsleft--, b2.hitsleft--;
		}
	}
	return log;
}

std::vector<int> Survivors(const std::vector<Body> &bodies)
{
	std::vector<int> ids;
	for (const Body &b : bodies)
		if (b.hitsleft > 0) ids.push_back(b.id);
	return ids;
}

}  // namespace

using Objects = GameFixture;

// Random scenes in whole pixels, so that touching edges are common.
void MakeScene(std::mt19937 &rng, ObjectList *list, int base, int n, int spread)
{
	for (int i = 0; i < n; i++) {
		int radius = rng() % 5 == 0 ? 0 : (int)(rng() % 12);
		NewBody(list, base + i, game.x0 + (int)(rng() % spread), (int)(rng() % spread), radius, 1 + (int)(rng() % 4),
			1 + (int)(rng() % 3));
	}
}

// Same hit calls in the same order with the same powers, same survivors, as
// a check of every pair; the lists sorted and merged as a model says.
TEST_F(Objects, SweepAgreesWithBruteForce)
{
	std::mt19937 rng(2024);
	hits.clear();
	size_t totalhits = 0;
	for (int round = 0; round < 3000; round++) {
		bool filtered = round % 4 == 3;
		game.x0 = (int32_t)(rng() % 2048);
		int spread = 16 + (int)(rng() % 200);
		MakeScene(rng, &game.enemies, 1000, (int)(rng() % 25), spread);
		MakeScene(rng, &game.playerbullets, 2000, (int)(rng() % 40), spread);
		for (ObjectList *list : {&game.enemies, &game.playerbullets}) {
			CalculateExtentsForObjectList(list);
			// by top, and equal tops in list order: the frames may not hang on the C library
			std::vector<Body> want = Snapshot(list);
			std::stable_sort(want.begin(), want.end(),
				[](const Body &x, const Body &y) { return x.obj.miny < y.obj.miny; });
			InsertionSortObjectList(list);
			ASSERT_EQ(Ids(list), Survivors(want));  // all alive yet
		}
		std::vector<Body> m1 = Snapshot(&game.enemies), m2 = Snapshot(&game.playerbullets);
		std::vector<Hit> expected = BruteForce(m1, m2, filtered);
		if (filtered) CollideSortedObjectListsWithCallback(&game.enemies, &game.playerbullets, RejectSomePairs);
		else CollideSortedObjectLists(&game.enemies, &game.playerbullets);
		ASSERT_EQ(hits, expected) << "round " << round;
		ASSERT_EQ(Ids(&game.enemies), Survivors(m1)) << "round " << round;
		ASSERT_EQ(Ids(&game.playerbullets), Survivors(m2)) << "round " << round;
		totalhits += hits.size();
		hits.clear();
		// merging sorted lists: on equal tops the second list's object first
		std::vector<Body> want, first = Snapshot(&game.enemies), second = Snapshot(&game.playerbullets);
		std::merge(second.begin(), second.end(), first.begin(), first.end(), std::back_inserter(want),
			[](const Body &x, const Body &y) { return x.obj.miny < y.obj.miny; });
		MergeSortedObjectLists(&game.enemies, &game.playerbullets);
		ASSERT_EQ(Ids(&game.enemies), Survivors(want));
		ASSERT_TRUE(IsObjectListEmpty(&game.playerbullets));
		CleanupObjectList(&game.enemies);
	}
	EXPECT_GT(totalhits, 10000u);  // the scenes really collide
}

// The area tests against a model: in list order while power lasts, each
// touching object is hit with what is left and then takes its power off it.
TEST_F(Objects, AreasSpendTheirPowerAsAModelSays)
{
	std::mt19937 rng(99);
	hits.clear();
	for (int round = 0; round < 2000; round++) {
		bool circle = round % 2;
		game.x0 = (int32_t)(rng() % 2048);
		MakeScene(rng, &game.enemybullets, 0, (int)(rng() % 20), 64);
		int32_t x = Px(game.x0 + (int)(rng() % 64)) + (int32_t)(rng() % 4096), y = Px((int)(rng() % 64));
		int32_t radius = Px((int)(rng() % 16)) + (int32_t)(rng() % 3);
		if (round % 4 < 2)  // one exactly at the reach: a touch counts
			NewBody(&game.enemybullets, 50, (x + radius + Px(3)) / 4096.0, (round % 4 ? y : y - radius - Px(3)) / 4096.0, 3);
		CalculateExtentsForObjectList(&game.enemybullets);
		int power = (int)(rng() % 8) - 1, left = power;
		std::vector<Hit> want;
		std::vector<int> survivors;
		for (Object *o = game.enemybullets.first; o; o = o->next) {
			Body *b = (Body *)o;
			// x from the view's left edge, the 2048-pixel world wrapped to the nearer side
			auto Wrap = [](int64_t d) { return ((d + 0x400000) & 0x7FFFFF) - 0x400000; };
			int64_t cx = Wrap(x - Px(game.x0)), dx = Wrap(o->x - (int64_t)x), dy = o->y - y, reach = o->hitradius + radius;
			bool touch = left > 0 && o->hitradius && o->minx <= cx + radius && o->maxx >= cx - radius &&
				o->miny <= y + radius && o->maxy >= y - radius &&
				(!circle || (dx * dx >> 12) + (dy * dy >> 12) <= reach * reach >> 12);
			if (touch) want.push_back({b->id, -1, left}), left -= o->power;
			if (!touch || b->hitsleft > 1) survivors.push_back(b->id);
		}
		int got = circle ? CollideObjectListAgainstCircleWithPower(&game.enemybullets, x, y, radius, power)
		                 : CollideObjectListAgainstSquareWithPower(&game.enemybullets, x, y, radius, power);
		ASSERT_EQ(got, left) << round;
		ASSERT_EQ(hits, want) << round;
		ASSERT_EQ(Ids(&game.enemybullets), survivors) << round;
		hits.clear();
		CleanupObjectList(&game.enemybullets);
	}
}

TEST_F(Objects, CreationStampsInsertsAtTheHeadMovesAndStopsWhenThePoolIsFull)
{
	game.timer = 77;
	memset(game.allocatorstorage + 2048, 0xEE, 512);  // members come back dirty
	Object *a = NewObject(&game.enemies, sizeof(Body), nullptr, nullptr, nullptr);
	Object *b = NewObject(&game.enemies, sizeof(Body), nullptr, nullptr, nullptr);
	EXPECT_TRUE((void *)a == game.allocatorstorage + 2048 && game.enemies.first == b && b->next == a);
	EXPECT_TRUE(ObjectDogTag(a) == 1u && ObjectDogTag(b) == 2u);
	const int32_t fields[] = {a->x, a->y, a->vx, a->vy, a->hitradius, a->power, a->birthtime, a->minx, a->maxy};
	EXPECT_EQ(std::vector<int32_t>(fields, fields + 9), (std::vector<int32_t>{0, 0, 0, 0, 0, 1, 77, INT32_MIN, INT32_MIN}));
	game.timer += 5;
	EXPECT_EQ(ObjectLocalTime(a), 5);
	SetObjectPosition(a, INT32_MAX, 20);
	SetObjectVelocity(a, 2, -4);
	RunAndMoveObjectList(&game.enemies);  // records the last position and wraps
	EXPECT_TRUE(a->lastx == INT32_MAX && a->lasty == 20 && a->x == INT32_MIN + 1 && a->y == 16);
	game.x0 = 2040;
	SetObjectPosition(a, Px(5), Px(100));  // 13 pixels right of the view's edge, across the seam
	SetObjectHitRadius(a, Px(3));
	CalculateExtentsForObjectList(&game.enemies);
	EXPECT_TRUE(a->minx == Px(10) && a->maxx == Px(16) && a->miny == Px(97) && a->maxy == Px(103));
	CleanupObjectList(&game.enemies);
	EXPECT_EQ(&NewBody(&game.enemies, 3, 0, 0, 0)->obj, a);  // the last freed member again, with a new tag
	EXPECT_TRUE(IsObjectDead(a, 1));
	while (NewBody(&game.items, 0, 0, 0, 0)) {}
	EXPECT_EQ(game.allocator.nummembers, 1024u);
	EXPECT_EQ(game.objectcounter, 1026u);  // a failed creation takes no tag
}

// Clipping keeps what lies within the margins, edges included, in screen
// pixels rounded down, across the world's seam.
TEST_F(Objects, ClippingKeepsWhatIsWithinTheMargins)
{
	game.x0 = 2000;
	const struct { double x, y; bool kept; } rows[] = {{-33, 0, 0}, {-32, 0, 1}, {-32 - 1 / 4096.0, 5, 0}, {352, 0, 1},
		{353, 0, 0}, {352.9, 9, 1}, {0, -33, 0}, {0, -32, 1}, {0, 272, 1}, {0, 273, 0}, {100, 100, 1}};
	std::vector<int> kept;
	for (int i = 0; i < (int)std::size(rows); i++) {
		NewBody(&game.playerbullets, i, game.x0 + rows[i].x, rows[i].y, 0);
		if (rows[i].kept) kept.insert(kept.begin(), i);
	}
	ClipObjectListAgainstScreen(&game.playerbullets, -32, 352, -32, 272);
	EXPECT_EQ(Ids(&game.playerbullets), kept);
}

// A run may add objects to its own list, as the main controller adds its
// waves, and then say no: the newcomers stay at the head, and the refuser
// goes, from the head of the list or from further on.
bool RunAdder(Object *)
{
	for (int id : {10, 11}) NewBody(&game.controllers, id, 0, 0, 0);
	return false;
}

TEST_F(Objects, ARunThatAddsToItsOwnListMayStillRefuse)
{
	for (int adder : {0, 1}) {
		for (int id = 2; id >= 0; id--) NewBody(&game.controllers, id, 0, 0, 0)->obj.runfunc = id == adder ? RunAdder : RunBody;
		RunObjectList(&game.controllers);
		EXPECT_EQ(Ids(&game.controllers), adder ? (std::vector<int>{11, 10, 0, 2}) : (std::vector<int>{11, 10, 1, 2}));
		CleanupObjectList(&game.controllers);
	}
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
		EXPECT_TRUE(obj->vx == row.vx && obj->vy == row.vy) << row.tx << "," << row.ty;
	}
}

