// Sorting, merging, the sorted collision sweep (checked against a brute-force
// pairwise reference), the area tests with power budgets, clipping, drawing.
#include <sys/resource.h>
#include <unistd.h>
#include <algorithm>
#include <cstdio>
#include <random>
#include <tuple>
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

bool IsSortedByMinY(ObjectList *list)
{
	for (Object *obj = list->first; obj && obj->next; obj = obj->next)
		if (obj->miny > obj->next->miny) return false;
	return true;
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
	void Prepare(ObjectList *list)
	{
		CalculateExtentsForObjectList(list);
		InsertionSortObjectList(list);
	}
};

TEST_F(Collision, SortingOrdersByTopEdge)
{
	std::mt19937 rng(7);
	for (int round = 0; round < 50; round++) {
		int n = (int)(rng() % 40);
		for (int i = 0; i < n; i++) NewBody(&game.enemies, i, rng() % 320, rng() % 50, rng() % 8);
		CalculateExtentsForObjectList(&game.enemies);
		std::vector<int> before = Ids(&game.enemies);
		QSortObjectList(&game.enemies);
		ASSERT_TRUE(IsSortedByMinY(&game.enemies));
		std::vector<int> after = Ids(&game.enemies);
		std::sort(before.begin(), before.end());
		std::sort(after.begin(), after.end());
		ASSERT_EQ(before, after);  // a permutation: nothing lost or doubled
		CleanupObjectList(&game.enemies);
	}
	NewBody(&game.enemies, 1, 0, 10, 1);
	QSortObjectList(&game.enemies);  // one object: left alone
	EXPECT_EQ(Ids(&game.enemies), (std::vector<int>{1}));
}

// The pointer array comes from the heap; when it cannot be had the list
// must stay as it was. The heap is starved with an address-space limit in a
// child process, with a list long enough that its array needs fresh memory.
TEST(SortWithoutMemory, ListKeepsItsOrder)
{
#if defined(__SANITIZE_ADDRESS__)
	GTEST_SKIP() << "the address sanitizer reserves address space that the limit would deny";
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
	GTEST_SKIP() << "the address sanitizer reserves address space that the limit would deny";
#endif
#endif
	auto starve = [] {
		const size_t n = 1 << 19;  // the array needs 4 MiB
		std::vector<Object> objects(n);
		ObjectList list = {nullptr};
		for (size_t i = 0; i < n; i++) {
			objects[i].miny = (int32_t)i;  // added at the head: descending order
			AddObjectToList(&list, &objects[i]);
		}
		long pages = 0, resident = 0;
		FILE *statm = fopen("/proc/self/statm", "r");
		if (!statm || fscanf(statm, "%ld %ld", &pages, &resident) != 2) _exit(3);
		fclose(statm);
		rlim_t limit = (rlim_t)pages * (rlim_t)sysconf(_SC_PAGESIZE) + (1 << 20);
		struct rlimit rl = {limit, limit};
		if (setrlimit(RLIMIT_AS, &rl) != 0) _exit(4);
		if (malloc(n * sizeof(Object *))) _exit(5);  // the limit must bite for the test to mean anything
		QSortObjectList(&list);
		Object *obj = list.first;
		for (size_t i = n; i-- > 0; obj = obj->next)
			if (obj != &objects[i]) _exit(1);
		_exit(obj ? 2 : 0);
	};
	EXPECT_EXIT(starve(), ::testing::ExitedWithCode(0), "");
}

TEST_F(Collision, MergingAppendsAndMergingSortedKeepsOrder)
{
	ObjectList a, b;
	InitializeObjectList(&a);
	InitializeObjectList(&b);
	MergeObjectLists(&a, &b);
	EXPECT_TRUE(IsObjectListEmpty(&a));
	Body *b1 = NewBody(&b, 2, 0, 5, 0), *b0 = NewBody(&b, 1, 0, 0, 0);
	MergeObjectLists(&a, &b);  // into an empty list
	EXPECT_EQ(Ids(&a), (std::vector<int>{1, 2}));
	EXPECT_TRUE(IsObjectListEmpty(&b));
	NewBody(&b, 4, 0, 0, 0);
	NewBody(&b, 3, 0, 0, 0);
	MergeObjectLists(&a, &b);
	EXPECT_EQ(Ids(&a), (std::vector<int>{1, 2, 3, 4}));
	EXPECT_TRUE(IsObjectListEmpty(&b));
	MergeObjectLists(&a, &b);  // empty second: nothing happens
	EXPECT_EQ(Ids(&a), (std::vector<int>{1, 2, 3, 4}));
	CleanupObjectList(&a);
	(void)b0, (void)b1;

	// first = [miny 0, miny 5], second = [miny 5]: [0, 5 from second, 5 from first]
	NewBody(&a, 11, 0, 5, 0);
	NewBody(&a, 10, 0, 0, 0);
	NewBody(&b, 20, 0, 5, 0);
	CalculateExtentsForObjectList(&a);
	CalculateExtentsForObjectList(&b);
	MergeSortedObjectLists(&a, &b);
	EXPECT_EQ(Ids(&a), (std::vector<int>{10, 20, 11}));
	EXPECT_TRUE(IsObjectListEmpty(&b));
	MergeSortedObjectLists(&b, &a);  // into an empty list
	EXPECT_EQ(Ids(&b), (std::vector<int>{10, 20, 11}));
	EXPECT_TRUE(IsObjectListEmpty(&a));
	CleanupObjectList(&b);
}

TEST_F(Collision, SortedMergeOfRandomListsIsSortedAndComplete)
{
	std::mt19937 rng(11);
	ObjectList a, b;
	for (int round = 0; round < 100; round++) {
		InitializeObjectList(&a);
		InitializeObjectList(&b);
		int na = (int)(rng() % 12), nb = (int)(rng() % 12);
		for (int i = 0; i < na; i++) NewBody(&a, i, 0, rng() % 10, 0);
		for (int i = 0; i < nb; i++) NewBody(&b, 100 + i, 0, rng() % 10, 0);
		Prepare(&a);
		Prepare(&b);
		MergeSortedObjectLists(&a, &b);
		ASSERT_EQ(Count(&a), (size_t)(na + nb));
		ASSERT_TRUE(IsSortedByMinY(&a));
		ASSERT_TRUE(IsObjectListEmpty(&b));
		CleanupObjectList(&a);
	}
}

TEST_F(Collision, EmptyListsEndTheSweepAtOnce)
{
	NewBody(&game.enemies, 1, 10, 10, 5);
	Prepare(&game.enemies);
	CollideSortedObjectLists(&game.enemies, &game.playerbullets);
	CollideSortedObjectLists(&game.playerbullets, &game.enemies);
	EXPECT_TRUE(hits.empty());
}

TEST_F(Collision, TouchingEdgesCollideZeroRadiusNever)
{
	NewBody(&game.enemies, 1, 10, 10, 2);  // x 8..12, y 8..12
	NewBody(&game.playerbullets, 2, 14, 30, 2);  // touches at x 12 but lies lower
	NewBody(&game.playerbullets, 3, 14, 10, 2);  // minx = 12 = obj1.maxx
	NewBody(&game.playerbullets, 4, 10, 14, 2);  // miny = 12 = obj1.maxy
	NewBody(&game.playerbullets, 5, 10, 10, 0);  // same place, no radius
	Prepare(&game.enemies);
	Prepare(&game.playerbullets);
	CollideSortedObjectLists(&game.enemies, &game.playerbullets);
	std::vector<std::pair<int, int>> pairs;
	for (const Hit &h : hits) pairs.push_back({h.id, h.otherid});
	std::sort(pairs.begin(), pairs.end());
	EXPECT_EQ(pairs, (std::vector<std::pair<int, int>>{{1, 3}, {1, 4}, {3, 1}, {4, 1}}));
}

TEST_F(Collision, ShotDiesEnemyGoesOnThenEnemyDiesAndStops)
{
	Body *enemy = NewBody(&game.enemies, 1, 100, 100, 10, 5, 2);
	NewBody(&game.playerbullets, 12, 100, 104, 2, 1, 1);
	NewBody(&game.playerbullets, 11, 100, 102, 2, 1, 1);
	NewBody(&game.playerbullets, 10, 100, 100, 2, 1, 1);
	Prepare(&game.enemies);
	Prepare(&game.playerbullets);
	CollideSortedObjectLists(&game.enemies, &game.playerbullets);
	// the enemy survives shot 10, dies on shot 11 which is freed too; 12 is untouched
	EXPECT_EQ(hits, (std::vector<Hit>{{1, 10, 1}, {10, 1, 5}, {1, 11, 1}, {11, 1, 4}}));
	EXPECT_TRUE(IsObjectListEmpty(&game.enemies));
	EXPECT_EQ(Ids(&game.playerbullets), (std::vector<int>{12}));
	EXPECT_EQ(enemy->obj.dogtag, 0u);
}

TEST_F(Collision, NullHitFunctionsKeepTheirObjects)
{
	Body *a = NewBody(&game.enemies, 1, 0, 0, 3);
	Body *b = NewBody(&game.playerbullets, 2, 0, 0, 3, 1, 1);
	a->obj.hitfunc = nullptr;
	Prepare(&game.enemies);
	Prepare(&game.playerbullets);
	CollideSortedObjectLists(&game.enemies, &game.playerbullets);
	EXPECT_EQ(hits, (std::vector<Hit>{{2, 1, 1}}));
	EXPECT_EQ(Count(&game.enemies), 1u);
	EXPECT_TRUE(IsObjectListEmpty(&game.playerbullets));
	(void)b;
}

// Many random scenes: same hit calls in the same order with the same powers,
// same survivors, as a check of every pair.
TEST_F(Collision, SweepAgreesWithBruteForce)
{
	std::mt19937 rng(2024);
	int totalhits = 0, deaths1 = 0, deaths2 = 0;
	for (int round = 0; round < 3000; round++) {
		bool filtered = round % 4 == 3;
		game.x0 = (int32_t)(rng() % 2048);
		int n1 = (int)(rng() % 25), n2 = (int)(rng() % 40);
		int spread = 16 + (int)(rng() % 200);
		auto make = [&](ObjectList *list, int base, int n) {
			for (int i = 0; i < n; i++) {
				// whole pixels and radii so that touching edges are common
				int radius = rng() % 5 == 0 ? 0 : (int)(rng() % 12);
				NewBody(list, base + i, game.x0 + (int)(rng() % spread), (int)(rng() % spread), radius,
				        1 + (int)(rng() % 4), 1 + (int)(rng() % 3));
			}
		};
		make(&game.enemies, 1000, n1);
		make(&game.playerbullets, 2000, n2);
		Prepare(&game.enemies);
		Prepare(&game.playerbullets);
		std::vector<Model> m1 = Snapshot(&game.enemies), m2 = Snapshot(&game.playerbullets);
		std::vector<Hit> expected = BruteForce(m1, m2, filtered);
		hits.clear();
		if (filtered)
			CollideSortedObjectListsWithCallback(&game.enemies, &game.playerbullets, RejectSomePairs);
		else
			CollideSortedObjectLists(&game.enemies, &game.playerbullets);
		ASSERT_EQ(hits, expected) << "round " << round;
		ASSERT_EQ(Ids(&game.enemies), Survivors(m1)) << "round " << round;
		ASSERT_EQ(Ids(&game.playerbullets), Survivors(m2)) << "round " << round;
		totalhits += (int)hits.size();
		deaths1 += n1 - (int)Count(&game.enemies);
		deaths2 += n2 - (int)Count(&game.playerbullets);
		CleanupObjectList(&game.enemies);
		CleanupObjectList(&game.playerbullets);
	}
	// the scenes must really exercise collisions and deaths on both sides
	EXPECT_GT(totalhits, 5000);
	EXPECT_GT(deaths1, 1000);
	EXPECT_GT(deaths2, 1000);
}

TEST_F(Collision, SquareSpendsItsPowerBudget)
{
	NewBody(&game.enemybullets, 3, 100, 100, 2, 1);
	NewBody(&game.enemybullets, 2, 100, 100, 2, 1);
	NewBody(&game.enemybullets, 1, 100, 100, 2, 1, 1);
	CalculateExtentsForObjectList(&game.enemybullets);
	EXPECT_EQ(CollideObjectListAgainstSquareWithPower(&game.enemybullets, Px(100), Px(100), Px(3), 1), 0);
	EXPECT_EQ(hits, (std::vector<Hit>{{1, -1, 1}}));  // the first hit used it all up
	EXPECT_EQ(Ids(&game.enemybullets), (std::vector<int>{2, 3}));
	hits.clear();
	EXPECT_EQ(CollideObjectListAgainstSquareWithPower(&game.enemybullets, Px(100), Px(100), Px(3), 5), 3);
	EXPECT_EQ(hits, (std::vector<Hit>{{2, -1, 5}, {3, -1, 4}}));  // each sees what is left
	hits.clear();
	EXPECT_EQ(CollideObjectListAgainstSquareWithPower(&game.enemybullets, Px(100), Px(100), Px(3), 0), 0);
	EXPECT_EQ(CollideObjectListAgainstSquareWithPower(&game.enemybullets, Px(100), Px(100), Px(3), -2), -2);
	EXPECT_TRUE(hits.empty());
}

// The hit function spends an object's power; give each object power 1 again.
static void RestorePowers(ObjectList *list)
{
	for (Object *obj = list->first; obj; obj = obj->next) obj->power = 1;
}

TEST_F(Collision, SquareBoundsAreInclusiveAndWrapped)
{
	game.x0 = 2040;
	NewBody(&game.enemies, 1, 20, 50, 2);  // screen x 28, box 26..30, y 48..52
	NewBody(&game.enemies, 2, 2040, 50, 0);  // in range, no radius
	CalculateExtentsForObjectList(&game.enemies);
	// a square round world x 2045 (screen 5) of half-size 21 reaches screen 26
	EXPECT_EQ(CollideObjectListAgainstSquareWithPower(&game.enemies, Px(2045), Px(50), Px(21), 1), 0);
	RestorePowers(&game.enemies);
	EXPECT_EQ(CollideObjectListAgainstSquareWithPower(&game.enemies, Px(2045), Px(50), Px(21) - 1, 1), 1);
	EXPECT_EQ(CollideObjectListAgainstSquareWithPower(&game.enemies, Px(20), Px(28), Px(20), 1), 0);
	RestorePowers(&game.enemies);
	EXPECT_EQ(CollideObjectListAgainstSquareWithPower(&game.enemies, Px(20), Px(28) - 1, Px(20), 1), 1);
	EXPECT_EQ(CollideObjectListAgainstSquareWithPower(&game.enemies, Px(20), Px(72), Px(20), 1), 0);
	RestorePowers(&game.enemies);
	EXPECT_EQ(CollideObjectListAgainstSquareWithPower(&game.enemies, Px(20), Px(72) + 1, Px(20), 1), 1);
	EXPECT_EQ(hits.size(), 3u);
	for (const Hit &h : hits) EXPECT_EQ(h.id, 1);
}

TEST_F(Collision, CircleNeedsTheCentresWithinBothRadii)
{
	NewBody(&game.enemies, 1, 109, 109, 6);  // boxes overlap at a corner, centres 12.7 apart
	NewBody(&game.enemies, 2, 103, 104, 0);
	NewBody(&game.enemies, 3, 103, 104, 1);  // 5 pixels away: exactly radius 4 + 1
	CalculateExtentsForObjectList(&game.enemies);
	EXPECT_EQ(CollideObjectListAgainstSquareWithPower(&game.enemies, Px(100), Px(100), Px(4), 10), 8);
	RestorePowers(&game.enemies);
	hits.clear();
	EXPECT_EQ(CollideObjectListAgainstCircleWithPower(&game.enemies, Px(100), Px(100), Px(4), 10), 9);
	EXPECT_EQ(hits, (std::vector<Hit>{{3, -1, 10}}));
	RestorePowers(&game.enemies);
	hits.clear();
	EXPECT_EQ(CollideObjectListAgainstCircleWithPower(&game.enemies, Px(100), Px(100), Px(4) - 1, 10), 10);
	EXPECT_TRUE(hits.empty());
}

TEST_F(Collision, CircleWithAHugeRadiusDoesNotWrap)
{
	// Centres 727 pixels apart (720 across, 100 down): the sum of the squares
	// no longer fits 32 bits, so a reach of 720 must still miss.
	NewBody(&game.enemies, 1, 720, 100, 20);
	CalculateExtentsForObjectList(&game.enemies);
	EXPECT_EQ(CollideObjectListAgainstCircleWithPower(&game.enemies, 0, 0, Px(700), 3), 3);
	EXPECT_EQ(CollideObjectListAgainstCircleWithPower(&game.enemies, 0, 0, Px(710), 3), 2);
	EXPECT_EQ(hits.size(), 1u);
}

TEST_F(Collision, ClippingBoundsAreInclusive)
{
	game.x0 = 100;
	const int inside[][2] = {{-32, 0}, {352, 0}, {0, -32}, {0, 272}, {-32, -32}, {352, 272}};
	const int outside[][2] = {{-33, 0}, {353, 0}, {0, -33}, {0, 273}};
	int id = 0;
	for (auto p : inside) NewBody(&game.playerbullets, id++, 100 + p[0], p[1], 1);
	for (auto p : outside) NewBody(&game.playerbullets, 100 + id++, 100 + p[0], p[1], 1);
	NewBody(&game.playerbullets, 200, 100 - 32, 0, 1)->obj.x -= 1;  // just left of -32
	ClipObjectListAgainstScreen(&game.playerbullets, -32, 352, -32, 272);
	std::vector<int> ids = Ids(&game.playerbullets);
	std::sort(ids.begin(), ids.end());
	EXPECT_EQ(ids, (std::vector<int>{0, 1, 2, 3, 4, 5}));
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
