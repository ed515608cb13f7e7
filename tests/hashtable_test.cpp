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
	std::vector<std::string> slots = std::vector<std::string>(HashTableSize);  // empty: unused
	std::map<std::string, intptr_t> first;  // what a lookup finds
	int Add(const std::string &key, intptr_t value)
	{
		for (uint32_t i = 0, h = Fnv1a(key); i < HashTableSize; i++) {
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
		Model model;
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
			if (slot >= 0) { ASSERT_TRUE(table->table[slot].key == key && table->table[slot].value == value) << key; }
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

TEST(HashTable, KeysAreCopied)
{
	std::unique_ptr<HashTable> table(new HashTable);
	InitHashTable(table.get());
	char key[] = "a";
	ASSERT_TRUE(AddIntegerWithKey(table.get(), 2, key));
	key[0] = 'b';
	EXPECT_TRUE(IsKeyInTable(table.get(), "a"));
	EXPECT_FALSE(IsKeyInTable(table.get(), "b"));
	CleanupHashTable(table.get());
}
