// The hash table against a model of its 4096 slots: FNV-1a picks the first
// slot, linear probing wraps at the end, the older of two equal keys wins.
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>
#include "Game/HashTable.h"

namespace {

uint32_t Fnv1a(const std::string &s)
{
	uint32_t h = 0x811C9DC5u;
	for (unsigned char c : s) h = (h ^ c) * 16777619u;
	return h;
}

struct Model
{
	std::vector<std::string> slots = std::vector<std::string>(HashTableSize);
	std::vector<bool> used = std::vector<bool>(HashTableSize);
	std::map<std::string, intptr_t> first;  // what a lookup finds
	int Add(const std::string &key, intptr_t value)
	{
		for (uint32_t i = 0, h = Fnv1a(key); i < HashTableSize; i++) {
			int slot = (int)((h + i) & (HashTableSize - 1));
			if (used[slot]) continue;
			used[slot] = true, slots[slot] = key;
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
		Model model;
		// few letters make equal keys and equal low bits common; the last
		// round fills the table and goes past it
		int adds = round == 5 ? HashTableSize + 3 : 50 << round;
		for (int i = 0; i < adds; i++) {
			std::string key = round == 5 ? "k" + std::to_string(i) : std::string(rng() % 4, 'a' + rng() % 3) + "\xE9" + std::to_string(rng() % 200);
			intptr_t value = (intptr_t)(rng() % 50);
			int slot = model.Add(key, value);
			bool added = i % 2 ? AddIntegerWithKey(table.get(), (int)value, key.c_str())
			                   : AddPointerWithKey(table.get(), (void *)value, key.c_str());
			ASSERT_EQ(added, slot >= 0) << key;
			if (slot >= 0) { ASSERT_STREQ(table->table[slot].key, key.c_str()); }
			if (slot >= 0) { ASSERT_EQ(table->table[slot].value, value); }
		}
		for (int i = 0; i < 300; i++) {
			std::string key = std::string(rng() % 4, 'a' + rng() % 3) + "\xE9" + std::to_string(rng() % 200);
			if (round == 5) key = "k" + std::to_string(rng() % (HashTableSize + 100));
			auto it = model.first.find(key);
			int v = -1;
			void *p = &v;
			ASSERT_EQ(IsKeyInTable(table.get(), key.c_str()), it != model.first.end()) << key;
			ASSERT_EQ(GetIntegerForKey(table.get(), &v, key.c_str()), it != model.first.end());
			ASSERT_EQ(GetPointerForKey(table.get(), &p, key.c_str()), it != model.first.end());
			ASSERT_EQ(PointerForKey(table.get(), key.c_str()), it == model.first.end() ? nullptr : (void *)it->second);
			ASSERT_EQ(v, it == model.first.end() ? -1 : (int)it->second);  // absent: nothing written
			ASSERT_EQ(p, it == model.first.end() ? (void *)&v : (void *)it->second);
			ASSERT_EQ(GetIntegerForKey(table.get(), nullptr, key.c_str()), it != model.first.end());
		}
		// clean-up offers each non-zero value once, in slot order
		std::vector<std::pair<intptr_t, std::string>> expected;
		for (int slot = 0; slot < HashTableSize; slot++)
			if (model.used[slot] && table->table[slot].value) expected.push_back({table->table[slot].value, model.slots[slot]});
		offered.clear();
		CleanupHashTableWithCallback(table.get(), Remember);
		ASSERT_EQ(offered, expected);
	}
}

TEST(HashTable, KnownSlotsAndCopiedKeys)
{
	std::unique_ptr<HashTable> table(new HashTable);
	InitHashTable(table.get());
	char key[] = "a";
	ASSERT_TRUE(AddIntegerWithKey(table.get(), 1, ""));
	ASSERT_TRUE(AddIntegerWithKey(table.get(), 2, key));
	EXPECT_STREQ(table->table[0x811C9DC5u & 0xFFF].key, "");
	EXPECT_STREQ(table->table[0xE40C292Cu & 0xFFF].key, "a");
	key[0] = 'b';
	EXPECT_TRUE(IsKeyInTable(table.get(), "a"));
	EXPECT_FALSE(IsKeyInTable(table.get(), "b"));
	CleanupHashTable(table.get());
}
