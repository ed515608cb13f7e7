// Sorting, merging, the sorted collision sweep (checked against a brute-force
// pairwise reference), the area tests with power budgets, clipping, drawing.
#include <algorithm>
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

struct Hit
{
	int id, otherid, power;
	bool operator==(const Hit &o) const { return id == o.id && otherid == o.otherid && power == o.power; }
};
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

Body *NewBody(ObjectList *list, int id, double x, double y, double radius, int power = 1, int hitsleft = 1000)
{
	Body *b = (Body *)NewObject(list, sizeof(Body), nullptr, HitBody, nullptr);
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

// A snapshot of an object as the reference model sees it.
struct Model
{
	int id, power, hitsleft;
	int32_t minx, maxx, miny, maxy, hitradius;
	bool dead;
};

std::vector<Model> Snapshot(ObjectList *list)
{
	std::vector<Model> models;
	for (Object *obj = list->first; obj; obj = obj->next) {
		Body *b = (Body *)obj;
		models.push_back({b->id, obj->power, b->hitsleft, obj->minx, obj->maxx, obj->miny, obj->maxy, obj->hitradius, false});
	}
	return models;
}

bool RejectSomePairs(Object *a, Object *b)
{
	return (((Body *)a)->id + ((Body *)b)->id) % 3 != 0;
}

// Every pair in list order, with the same hit rules: what the sweep must do.
std::vector<Hit> BruteForce(std::vector<Model> &a, std::vector<Model> &b, bool filtered)
{
	std::vector<Hit> log;
	for (Model &m1 : a) {
		for (Model &m2 : b) {
			if (m1.dead) break;
			if (m2.dead) continue;
			bool overlap = m2.minx <= m1.maxx && m2.maxx >= m1.minx && m2.miny <= m1.maxy && m2.maxy >= m1.miny;
			if (!overlap || !m1.hitradius || !m2.hitradius) continue;
			if (filtered && (m1.id + m2.id) % 3 == 0) continue;
			int p1 = m1.power, p2 = m2.power;
			log.push_back({m1.id, m2.id, p2});
			m1.power -= p2;
			m1.dead = --m1.hitsleft <= 0;
			log.push_back({m2.id, m1.id, p1});
			m2.power -= p1;
			m2.dead = --m2.hitsleft <= 0;
		}
	}
	return log;
}

std::vector<int> Survivors(const std::vector<Model> &models)
{
	std::vector<int> ids;
	for (const Model &m : models)
		if (!m.dead) ids.push_back(m.id);
	return ids;
}

}  // namespace

class Collision : public GameFixture
{
protected:
	void SetUp() override
	{
		GameFixture::SetUp();
		hits.clear();
	}
};

// Random scenes in whole pixels, so that touching edges are common.
void MakeScene(std::mt19937 &rng, ObjectList *list, int base, int n, int spread)
{
	for (int i = 0; i < n; i++) {
		int radius = rng() % 5 == 0 ? 0 : (int)(rng() % 12);
		NewBody(list, base + i, game.x0 + (int)(rng() % spread), (int)(rng() % spread), radius, 1 + (int)(rng() % 4),
			1 + (int)(rng() % 3));
	}
}

std::vector<int> MinYs(ObjectList *list)
{
	std::vector<int> ys;
	for (Object *obj = list->first; obj; obj = obj->next) ys.push_back(obj->miny);
	return ys;
}

// Same hit calls in the same order with the same powers, same survivors, as
// a check of every pair; the lists sorted and merged as a model says.
TEST_F(Collision, SweepAgreesWithBruteForce)
{
	std::mt19937 rng(2024);
	int totalhits = 0, deaths = 0;
	for (int round = 0; round < 3000; round++) {
		bool filtered = round % 4 == 3;
		game.x0 = (int32_t)(rng() % 2048);
		int n1 = (int)(rng() % 25), n2 = (int)(rng() % 40), spread = 16 + (int)(rng() % 200);
		MakeScene(rng, &game.enemies, 1000, n1, spread);
		MakeScene(rng, &game.playerbullets, 2000, n2, spread);
		for (ObjectList *list : {&game.enemies, &game.playerbullets}) {
			CalculateExtentsForObjectList(list);
			std::vector<int> ids = Ids(list), ys = MinYs(list);
			InsertionSortObjectList(list);
			std::vector<int> sortedids = Ids(list), sortedys = MinYs(list);
			std::sort(ids.begin(), ids.end()), std::sort(sortedids.begin(), sortedids.end()), std::sort(ys.begin(), ys.end());
			ASSERT_EQ(sortedids, ids);  // a permutation
			ASSERT_EQ(sortedys, ys);  // in order of the top edge
		}
		std::vector<Model> m1 = Snapshot(&game.enemies), m2 = Snapshot(&game.playerbullets);
		std::vector<Hit> expected = BruteForce(m1, m2, filtered);
		if (filtered) CollideSortedObjectListsWithCallback(&game.enemies, &game.playerbullets, RejectSomePairs);
		else CollideSortedObjectLists(&game.enemies, &game.playerbullets);
		ASSERT_EQ(hits, expected) << "round " << round;
		ASSERT_EQ(Ids(&game.enemies), Survivors(m1)) << "round " << round;
		ASSERT_EQ(Ids(&game.playerbullets), Survivors(m2)) << "round " << round;
		totalhits += (int)hits.size();
		deaths += n1 + n2 - (int)(Count(&game.enemies) + Count(&game.playerbullets));
		hits.clear();
		// merging sorted lists: on equal tops the second list's object first
		std::vector<std::pair<int, int>> merged;
		for (Object *o = game.enemies.first; o; o = o->next) merged.push_back({o->miny, 0});
		for (Object *o = game.playerbullets.first; o; o = o->next) merged.push_back({o->miny, -1});
		std::stable_sort(merged.begin(), merged.end());
		std::vector<int> ys;
		for (auto &m : merged) ys.push_back(m.first);
		MergeSortedObjectLists(&game.enemies, &game.playerbullets);
		ASSERT_EQ(MinYs(&game.enemies), ys);
		ASSERT_TRUE(IsObjectListEmpty(&game.playerbullets));
		CleanupObjectList(&game.enemies);
	}
	// the scenes must really exercise collisions and deaths
	EXPECT_GT(totalhits, 5000);
	EXPECT_GT(deaths, 2000);
}

TEST_F(Collision, MergingAppendsInOrder)
{
	ObjectList a, b;
	InitializeObjectList(&a), InitializeObjectList(&b);
	NewBody(&b, 2, 0, 0, 0), NewBody(&b, 1, 0, 0, 0);
	MergeObjectLists(&a, &b);  // into an empty list
	NewBody(&b, 4, 0, 0, 0), NewBody(&b, 3, 0, 0, 0);
	MergeObjectLists(&a, &b);
	MergeObjectLists(&a, &b);  // an empty second: nothing happens
	EXPECT_EQ(Ids(&a), (std::vector<int>{1, 2, 3, 4}));
	EXPECT_TRUE(IsObjectListEmpty(&b));
	// first = [0, 5], second = [5]: [0, 5 from second, 5 from first]
	CleanupObjectList(&a);
	NewBody(&a, 11, 0, 5, 0), NewBody(&a, 10, 0, 0, 0), NewBody(&b, 20, 0, 5, 0);
	CalculateExtentsForObjectList(&a), CalculateExtentsForObjectList(&b);
	MergeSortedObjectLists(&a, &b);
	EXPECT_EQ(Ids(&a), (std::vector<int>{10, 20, 11}));
	CleanupObjectList(&a);
}

// The area tests against a model: in list order while power lasts, each
// touching object is hit with what is left and then takes its power off it.
TEST_F(Collision, AreasSpendTheirPowerAsAModelSays)
{
	std::mt19937 rng(99);
	for (int round = 0; round < 2000; round++) {
		bool circle = round % 2;
		game.x0 = (int32_t)(rng() % 2048);
		MakeScene(rng, &game.enemybullets, 0, (int)(rng() % 20), 64);
		CalculateExtentsForObjectList(&game.enemybullets);
		int32_t x = Px(game.x0 + (int)(rng() % 64)) + (int32_t)(rng() % 4096), y = Px((int)(rng() % 64));
		int32_t radius = Px((int)(rng() % 16)) + (int32_t)(rng() % 3);
		int power = (int)(rng() % 8) - 1, left = power;
		std::vector<Hit> want;
		std::vector<int> survivors;
		for (Object *o = game.enemybullets.first; o; o = o->next) {
			Body *b = (Body *)o;
			int32_t cx = WrappedXCoordForWorldCoord(x), dx = WrappedXCoordForWorldCoord(o->x) - cx, dy = o->y - y;
			bool touch = left > 0 && o->hitradius && o->minx <= cx + radius && o->maxx >= cx - radius &&
				o->miny <= y + radius && o->maxy >= y - radius &&
				(!circle || isq(dx) + isq(dy) <= isq(o->hitradius + radius));
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

TEST_F(Collision, ClippingBoundsAreInclusive)
{
	game.x0 = 100;
	const int inside[][2] = {{-32, 0}, {352, 0}, {0, -32}, {0, 272}, {-32, -32}, {352, 272}};
	const int outside[][2] = {{-33, 0}, {353, 0}, {0, -33}, {0, 273}};
	for (auto p : inside) NewBody(&game.playerbullets, 1, 100 + p[0], p[1], 1);
	for (auto p : outside) NewBody(&game.playerbullets, 2, 100 + p[0], p[1], 1);
	NewBody(&game.playerbullets, 2, 100 - 32, 0, 1)->obj.x -= 1;  // just left of -32
	ClipObjectListAgainstScreen(&game.playerbullets, -32, 352, -32, 272);
	EXPECT_EQ(Ids(&game.playerbullets), std::vector<int>(6, 1));
}

namespace {
std::vector<int> drawn;
void DrawBody(Object *obj, Bitmap *) { drawn.push_back(((Body *)obj)->id); }
}  // namespace

TEST_F(Collision, DrawingFollowsListOrderAndSkipsNull)
{
	NewBody(&game.decorations, 3, 0, 0, 0)->obj.drawfunc = DrawBody;
	NewBody(&game.decorations, 2, 0, 0, 0);
	NewBody(&game.decorations, 1, 0, 0, 0)->obj.drawfunc = DrawBody;
	DrawObjectList(&game.decorations, nullptr);
	EXPECT_EQ(drawn, (std::vector<int>{1, 3}));
}
