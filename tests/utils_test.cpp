// The utilities against reference models: fixed-point arithmetic against
// wide formulas, the sine table against the rounded sine, taus88 against a
// model of its three words, the hash table against a model of its 4096
// slots, the pool against a stack of free member numbers; and the assertion
// reports.
#include <gtest/gtest.h>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>
#include "Game/Controllers.h"
#include "Game/HashTable.h"
#include "Game/Random.h"
#include "Game/SimpleAllocator.h"
#include "Game/Utils.h"
#include "GameFixture.h"

namespace {

// taus88 from its definition rather than its shifts: each component is the bit
// sequence of a trinomial x^k + x^q + 1 (a[m+k] = a[m+q] ^ a[m]) started from
// the word's top k bits, and each step reads the 32 bits s further on.
// L'Ecuyer's (k, q, s) are (31, 13, 12), (29, 2, 4) and (28, 3, 17).
struct Component
{
	int k, q, s;
	std::vector<bool> a;
	size_t n = 0;
	Component(int k, int q, int s, uint32_t word) : k(k), q(q), s(s)
	{
		for (int j = 0; j < k; j++) a.push_back(word >> (31 - j) & 1);
	}
	uint32_t Next()
	{
		n += s;
		while (a.size() < n + 32) a.push_back(a[a.size() - k + q] ^ a[a.size() - k]);
		uint32_t w = 0;
		for (int j = 0; j < 32; j++) w |= (uint32_t)a[n + j] << (31 - j);
		return last = w;
	}
	uint32_t last = 0;
};

struct RandomModel
{
	Component c1, c2, c3;
	RandomModel(uint32_t a, uint32_t b, uint32_t c) : c1(31, 13, 12, a), c2(29, 2, 4, b), c3(28, 3, 17, c) {}
	uint32_t Next() { return c1.Next() ^ c2.Next() ^ c3.Next(); }
	bool IsTheState() const { return s1 == c1.last && s2 == c2.last && s3 == c3.last; }
};

// The words seeding makes from a word for each of the three.
bool SeededWith(uint32_t a, uint32_t b, uint32_t c)
{
	return s1 == ((a * 1664525u + 1013904223u) | 0x10) && s2 == ((b * 1103515245u + 12345u) | 0x1000) &&
		s3 == ((c * 214013u + 2531011u) | 0x100000);
}

}  // namespace

// Seeds of every kind give the model's words; each draw then consumes what
// it should and maps the words as written; a range from -20 wraps as unsigned
// arithmetic.
TEST(Random, SeedsAndDrawsAreTheModelsWords)
{
	std::mt19937_64 rng(5);
	for (int i = 0; i < 2000; i++) {
		uint64_t seed = i ? rng() >> (i % 64) : 0;
		uint32_t a = (uint32_t)(seed >> 32), b = (uint32_t)seed;
		SeedRandom(b);
		ASSERT_TRUE(SeededWith(b, b, b)) << b;
		SeedRandom64(seed);
		ASSERT_TRUE(SeededWith(a, b, a ^ b)) << seed;
		RandomModel m(s1, s2, s3);
		for (int k = 0; k < 10; k++) {
			uint32_t low = (uint32_t)(rng() % 300), span = (uint32_t)(rng() % 300);
			ASSERT_EQ(RandomInteger(), m.Next()) << seed;
			ASSERT_EQ(RandomIntegerInRange(low, low + span), m.Next() % (span + 1) + low);
			ASSERT_EQ((int)RandomIntegerInRange((uint32_t)-20, 20), (int)(m.Next() % 41) - 20);
			ASSERT_EQ(RandomFloat(), (float)(m.Next() / 4294967296.0));
			ASSERT_EQ(RandomDouble(), m.Next() * 2.3283064365386963e-10);
			uint32_t x = m.Next() >> 5, y = m.Next() >> 6;
			ASSERT_EQ(PreciseRandomDouble(), (x * 67108864.0 + y) / 9007199254740992.0);
		}
		ASSERT_TRUE(m.IsTheState()) << seed;
	}
}

// The edges the random operands below rarely reach: every int is an angle.
TEST(FixedPoint, EdgesAndRoundings)
{
	const struct { int32_t got, want; } rows[] = {
		{FixedToInt(-1), -1}, {FixedToInt(0xFFF), 0}, {FixedToInt(-0x1001), -2}, {isq(-0x3000), 0x9000},
		{isq(1000 << 12), (int32_t)(uint32_t)((uint64_t)1000000 << 12)}, {isqrt(0), 0}, {isqrt(2), 90},
		{isin(INT_MIN), 0}, {isin(INT_MAX), -6}, {icos(INT_MAX), 4096}, {icos(INT_MIN), 4096}, {imul(1, 1), 0},
		{imul(-1, 1), -1}, {imul(0x18000, 0x2000), 0x30000}, {imul(-1, 0x800), -1}, {idiv(-1, 0x2000), 0},
		{idiv(0x3000, 0x2000), 0x1800}, {isqrt(0x1000), 0x1000}, {isqrt(0x4000), 0x2000},
	};
	for (size_t i = 0; i < sizeof rows / sizeof rows[0]; i++) EXPECT_EQ(rows[i].got, rows[i].want) << "row " << i;
}

// The products and quotients as the arithmetic says: 64-bit, floor for the
// product, truncation for the quotient, the low 32 bits kept.
TEST(FixedPoint, RandomOperandsMatchWideArithmetic)
{
	std::mt19937 rng(3);
	for (int i = 0; i < 100000; i++) {
		int32_t a = (int32_t)rng() >> (rng() % 32), b = (int32_t)rng() >> (rng() % 32);
		__int128 product = (__int128)a * b;
		ASSERT_EQ(imul(a, b), (int32_t)(uint32_t)(uint64_t)(product >> 12)) << a << " " << b;
		if (b) { ASSERT_EQ(idiv(a, b), (int32_t)(((int64_t)a * 4096) / b)) << a << " " << b; }
		// isqrt(isq(dx) + isq(dy)) with squares that cannot overflow
		int64_t dx = a >> 10, dy = b >> 10, sum = (dx * dx >> 12) + (dy * dy >> 12);
		ASSERT_EQ(idistance((int32_t)dx, (int32_t)dy), (int32_t)std::sqrt(sum * 4096.0)) << dx << " " << dy;
	}
}

TEST(Sine, EveryAngleIsTheRoundedTableEntry)
{
	for (int a = -8192; a < 8192; a++) {
		ASSERT_TRUE(isin(a) == Sine(a) && icos(a) == Sine(a + 1024)) << a;
	}
}

// Misuse stops at once, naming the expression, file and line: a member freed
// into an empty pool, a pool released with members out, an object kind larger
// than a member, a ninth wait.
TEST(AssertDeathTest, MisuseStopsWithTheExpressionFileAndLine)
{
	int two = 2;
	ASSERT(two > 1);  // a true assertion does nothing
	EXPECT_DEATH(ASSERT(two<1), "Assertion failed: two<1, file .*utils_test.cpp, line [0-9]+");
	uint8_t storage[2 * (2 + 8)];
	SimpleAllocator *pool = (SimpleAllocator *)malloc(sizeof(SimpleAllocator));
	InitializeSimpleAllocator(pool, 8, 2, storage);
	EXPECT_DEATH(FreeMember(pool, storage + 4), "self->nummembers>0.*Game/SimpleAllocator");
	void *member = AllocMember(pool);
	EXPECT_DEATH(FreeSimpleAllocator(pool), "self->nummembers==0.*Game/SimpleAllocator");
	FreeMember(pool, member);
	FreeSimpleAllocator(pool);  // empty again: released without complaint
	ObjectList list = {};
	EXPECT_DEATH(NewObject(&list, MaximumObjectSize + 1, nullptr, nullptr, nullptr), "objsize<=MaximumObjectSize.*Game/Object");
	MainController m = {};
	m.numwait = 8;
	EXPECT_DEATH(WaitForObject(&m, &m.obj), "self->numwait<sizeof.*Game/Controllers");
}

namespace {

// FNV-1a picks the first slot, linear probing wraps at the end, the older of
// two equal keys wins.
struct TableModel
{
	std::vector<std::string> slots = std::vector<std::string>(HashTableSize);  // empty: unused
	std::map<std::string, intptr_t> first;  // what a lookup finds
	int Add(const std::string &key, intptr_t value)
	{
		uint32_t h = 0x811C9DC5u;
		for (unsigned char c : key) h = (h ^ c) * 16777619u;
		for (uint32_t i = 0; i < HashTableSize; i++) {
			int slot = (int)((h + i) & (HashTableSize - 1));
			if (!slots[slot].empty()) continue;
			slots[slot] = key;
			first.emplace(key, value);
			return slot;
		}
		return -1;
	}
};

std::vector<std::pair<intptr_t, std::string>> offered;
void Remember(void *value, const char *key) { offered.push_back({(intptr_t)value, key}); }

}  // namespace

TEST(HashTable, RandomFillsAgreeWithTheSlotModel)
{
	std::mt19937 rng(12);
	std::unique_ptr<HashTable> table(new HashTable);
	for (int round = 0; round < 6; round++) {
		InitHashTable(table.get());
		TableModel model;
		// few letters make equal keys and equal low bits common; the last
		// round fills the table and goes past it
		auto Key = [&](int i) {
			return round == 5 ? "k" + std::to_string(i) : std::string(rng() % 4, 'a' + rng() % 3) + "\xE9" + std::to_string(rng() % 200);
		};
		int adds = round == 5 ? HashTableSize + 3 : 50 << round;
		for (int i = 0; i < adds; i++) {
			std::string key = Key(i);
			intptr_t value = (intptr_t)(rng() % 50);
			int slot = model.Add(key, value);
			bool added = i % 2 ? AddIntegerWithKey(table.get(), (int)value, key.c_str())
			                   : AddPointerWithKey(table.get(), (void *)value, key.c_str());
			ASSERT_EQ(added, slot >= 0) << key;
			HashTableEntry *e = slot >= 0 ? &table->table[slot] : nullptr;
			if (e) { ASSERT_TRUE(e->key && e->key == key && e->value == value) << key << " in slot " << slot; }
		}
		for (int i = 0; i < 300; i++) {
			std::string key = Key((int)(rng() % (HashTableSize + 100)));
			auto it = model.first.find(key);
			bool in = it != model.first.end();
			int v = -1;
			void *p = &v;
			ASSERT_EQ(IsKeyInTable(table.get(), key.c_str()), in) << key;
			ASSERT_EQ(GetIntegerForKey(table.get(), &v, key.c_str()), in);
			ASSERT_EQ(GetPointerForKey(table.get(), &p, key.c_str()), in);
			ASSERT_EQ(PointerForKey(table.get(), key.c_str()), in ? (void *)it->second : nullptr);
			ASSERT_TRUE(in ? v == it->second && p == (void *)it->second : v == -1 && p == &v);  // absent: nothing written
		}
		// clean-up offers each non-zero value once, in slot order
		std::vector<std::pair<intptr_t, std::string>> expected;
		for (int slot = 0; slot < HashTableSize; slot++)
			if (!model.slots[slot].empty() && table->table[slot].value) expected.push_back({table->table[slot].value, model.slots[slot]});
		offered.clear();
		CleanupHashTableWithCallback(table.get(), Remember);
		ASSERT_EQ(offered, expected);
	}
}

TEST(Pool, RandomTrafficAgreesWithAStackModel)
{
	std::mt19937 rng(4);
	for (size_t count : {0u, 1u, 7u, 1024u, 65536u}) {
		const size_t size = count > 1024 ? 1 : 256;
		std::vector<uint8_t> storage(SimpleAllocatorStorageSize(size, count) + 1, 0xAB);
		SimpleAllocator pool;
		InitializeSimpleAllocator(&pool, size, count, storage.data());
		ASSERT_EQ((void *)pool.queue, (void *)storage.data());
		uint8_t *members = storage.data() + count * 2;
		std::vector<size_t> free, live;  // the model: top of the stack last
		for (size_t n = count; n-- > 0;) free.push_back(n);
		for (int step = 0; step < 200000; step++) {
			bool alloc = live.empty() || (rng() % 100) < (step / 2000 % 2 ? 30u : 70u);
			if (alloc && free.empty()) {
				ASSERT_EQ(AllocMember(&pool), nullptr);
			} else if (alloc) {
				ASSERT_EQ(AllocMember(&pool), members + free.back() * size) << count << " step " << step;
				live.push_back(free.back());
				free.pop_back();
			} else {
				size_t i = rng() % live.size();
				FreeMember(&pool, members + live[i] * size);
				free.push_back(live[i]);
				live[i] = live.back();
				live.pop_back();
			}
		}
		ASSERT_EQ(pool.nummembers, live.size());
		for (size_t i = count * 2; i < storage.size(); i++) ASSERT_EQ(storage[i], 0xAB) << "a member was written";
	}
	EXPECT_EQ(SimpleAllocatorStorageSize(256, 1024), 264192u);
}
