// The FNV-1a hash table: slot placement, probing with wrap-around, a full
// table, lookups and clean-up.
#include <gtest/gtest.h>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>
#include "Game/HashTable.h"

// Slots are found through the public record: the first probe of a key is the
// low 12 bits of its hash.
static int SlotOf(HashTable *table, const char *key)
{
	for (int i = 0; i < HashTableSize; i++)
		if (table->table[i].key && std::string(table->table[i].key) == key) return i;
	return -1;
}

static uint32_t ReferenceHash(const std::string &s)
{
	uint32_t h = 0x811C9DC5u;
	for (unsigned char c : s) h = (h ^ c) * 16777619u;
	return h;
}

// Finds two keys other than those in avoid whose first slots are equal, or
// whose first slot is the given one.
static std::string KeyForSlot(int slot, const std::vector<std::string> &avoid = {})
{
	for (int i = 0;; i++) {
		std::string key = "key" + std::to_string(i);
		if ((int)(ReferenceHash(key) & 0xFFF) != slot) continue;
		bool taken = false;
		for (const std::string &a : avoid) taken |= a == key;
		if (!taken) return key;
	}
}

class HashTableTest : public ::testing::Test
{
protected:
	std::unique_ptr<HashTable> table{new HashTable};
	void SetUp() override { InitHashTable(table.get()); }
	void TearDown() override { CleanupHashTable(table.get()); }
};

TEST_F(HashTableTest, EmptyAndOneLetterKeysLandWhereFnv1aSays)
{
	ASSERT_TRUE(AddIntegerWithKey(table.get(), 1, ""));
	ASSERT_TRUE(AddIntegerWithKey(table.get(), 2, "a"));
	EXPECT_EQ(SlotOf(table.get(), ""), 0x811C9DC5 & 0xFFF);
	EXPECT_EQ(SlotOf(table.get(), "a"), 0xE40C292C & 0xFFF);
	int v = 0;
	EXPECT_TRUE(GetIntegerForKey(table.get(), &v, ""));
	EXPECT_EQ(v, 1);
	EXPECT_TRUE(GetIntegerForKey(table.get(), &v, "a"));
	EXPECT_EQ(v, 2);
}

TEST_F(HashTableTest, HighBytesAreUnsigned)
{
	// A signed char would fold 0xE9 to a negative value before the XOR.
	const char key[] = "\xE9t\xE9";
	ASSERT_TRUE(AddIntegerWithKey(table.get(), 7, key));
	EXPECT_EQ(SlotOf(table.get(), key), (int)(ReferenceHash(key) & 0xFFF));
}

TEST_F(HashTableTest, CollidingKeysTakeConsecutiveSlots)
{
	std::string a = KeyForSlot(100), b = KeyForSlot(100, {a});
	ASSERT_TRUE(AddIntegerWithKey(table.get(), 1, a.c_str()));
	ASSERT_TRUE(AddIntegerWithKey(table.get(), 2, b.c_str()));
	EXPECT_EQ(SlotOf(table.get(), a.c_str()), 100);
	EXPECT_EQ(SlotOf(table.get(), b.c_str()), 101);
	int v = 0;
	EXPECT_TRUE(GetIntegerForKey(table.get(), &v, b.c_str()));
	EXPECT_EQ(v, 2);
}

TEST_F(HashTableTest, ProbingWrapsFromTheLastSlotToTheFirst)
{
	std::string a = KeyForSlot(4095), b = KeyForSlot(4095, {a});
	ASSERT_TRUE(AddIntegerWithKey(table.get(), 1, a.c_str()));
	ASSERT_TRUE(AddIntegerWithKey(table.get(), 2, b.c_str()));
	EXPECT_EQ(SlotOf(table.get(), b.c_str()), 0);
	EXPECT_TRUE(IsKeyInTable(table.get(), b.c_str()));
}

TEST_F(HashTableTest, KeysAreCopied)
{
	char key[] = "Sounds/points";
	int value = 5;
	ASSERT_TRUE(AddPointerWithKey(table.get(), &value, key));
	key[0] = 'X';
	EXPECT_EQ(PointerForKey(table.get(), "Sounds/points"), &value);
	EXPECT_EQ(PointerForKey(table.get(), key), nullptr);
}

TEST_F(HashTableTest, AbsentKeysWriteNothing)
{
	ASSERT_TRUE(AddIntegerWithKey(table.get(), 9, "present"));
	int v = 1234;
	void *p = &v;
	EXPECT_FALSE(GetIntegerForKey(table.get(), &v, "absent"));
	EXPECT_FALSE(GetPointerForKey(table.get(), &p, "absent"));
	EXPECT_EQ(v, 1234);
	EXPECT_EQ(p, &v);
	EXPECT_EQ(PointerForKey(table.get(), "absent"), nullptr);
	EXPECT_FALSE(IsKeyInTable(table.get(), "absent"));
	EXPECT_TRUE(GetIntegerForKey(table.get(), nullptr, "present"));
}

TEST_F(HashTableTest, DuplicateKeyAddsASecondEntryThatIsShadowed)
{
	ASSERT_TRUE(AddIntegerWithKey(table.get(), 1, "twice"));
	ASSERT_TRUE(AddIntegerWithKey(table.get(), 2, "twice"));
	int v = 0, count = 0;
	for (const HashTableEntry &e : table->table) count += e.key && std::string(e.key) == "twice";
	EXPECT_EQ(count, 2);
	EXPECT_TRUE(GetIntegerForKey(table.get(), &v, "twice"));
	EXPECT_EQ(v, 1);
}

TEST_F(HashTableTest, FullTableRefusesAndStillAnswersLookups)
{
	char key[16];
	for (int i = 0; i < HashTableSize; i++) {
		snprintf(key, sizeof key, "k%d", i);
		ASSERT_TRUE(AddIntegerWithKey(table.get(), i, key)) << i;
	}
	EXPECT_FALSE(AddIntegerWithKey(table.get(), -1, "one more"));
	EXPECT_FALSE(AddPointerWithKey(table.get(), table.get(), "one more"));
	EXPECT_FALSE(IsKeyInTable(table.get(), "one more"));  // visits all 4096 slots
	for (int i = 0; i < HashTableSize; i += 97) {
		snprintf(key, sizeof key, "k%d", i);
		int v = -1;
		EXPECT_TRUE(GetIntegerForKey(table.get(), &v, key));
		EXPECT_EQ(v, i);
	}
}

static std::vector<std::pair<intptr_t, std::string>> seen;
static void Remember(void *value, const char *key) { seen.push_back({(intptr_t)value, key}); }

TEST_F(HashTableTest, CleanupOffersEachNonZeroValueOnceInSlotOrder)
{
	std::string low = KeyForSlot(3), high = KeyForSlot(3000), zero = KeyForSlot(50);
	ASSERT_TRUE(AddIntegerWithKey(table.get(), 30, high.c_str()));
	ASSERT_TRUE(AddIntegerWithKey(table.get(), 0, zero.c_str()));
	ASSERT_TRUE(AddIntegerWithKey(table.get(), 10, low.c_str()));
	seen.clear();
	CleanupHashTableWithCallback(table.get(), Remember);
	ASSERT_EQ(seen.size(), 2u);
	EXPECT_EQ(seen[0], std::make_pair((intptr_t)10, low));
	EXPECT_EQ(seen[1], std::make_pair((intptr_t)30, high));
	InitHashTable(table.get());  // the keys were released; the table starts over
	EXPECT_FALSE(IsKeyInTable(table.get(), low.c_str()));
}
