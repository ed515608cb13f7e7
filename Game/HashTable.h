// A fixed table of 4096 slots mapping zero-terminated strings to one machine
// word each, with open addressing and linear probing. Keys are copied to the
// heap; values are stored as given. No removal: fill, read, clean up whole.
// Needs the C runtime (malloc, strcmp).
#pragma once
#include <cstdint>

constexpr int HashTableSize = 4096;

struct HashTableEntry
{
	char *key;  // the table's own copy; null marks an empty slot
	intptr_t value;
};

struct HashTable
{
	HashTableEntry table[HashTableSize];
};

typedef void (*HashTableCleanupFunction)(void *value, const char *key);

void InitHashTable(HashTable *self);
// Both leave the key pointers dangling: InitHashTable again before reuse.
void CleanupHashTable(HashTable *self);
void CleanupHashTableWithCallback(HashTable *self, HashTableCleanupFunction func);

// Adding a key already present adds a second entry that lookups never find.
[[nodiscard]] bool AddIntegerWithKey(HashTable *self, int value, const char *key);
[[nodiscard]] bool AddPointerWithKey(HashTable *self, void *value, const char *key);
bool GetIntegerForKey(HashTable *self, int *value, const char *key);
bool GetPointerForKey(HashTable *self, void **value, const char *key);
void *PointerForKey(HashTable *self, const char *key);
bool IsKeyInTable(HashTable *self, const char *key);
