// Open addressing over 4096 slots: the low 12 bits of a key's FNV-1a hash
// pick the first slot and the search walks forward, wrapping at the end.
#include "Game/HashTable.h"
#include <cstdlib>
#include <cstring>

static uint32_t Hash(const char *string)
{
	uint32_t h = 0x811C9DC5u;
	for (const unsigned char *p = (const unsigned char *)string; *p; p++) {
		h ^= *p;
		h *= 16777619u;
	}
	return h;
}

void InitHashTable(HashTable *self)
{
	for (HashTableEntry &entry : self->table) entry = {nullptr, 0};
}

void CleanupHashTable(HashTable *self)
{
	CleanupHashTableWithCallback(self, nullptr);
}

void CleanupHashTableWithCallback(HashTable *self, HashTableCleanupFunction func)
{
	for (HashTableEntry &entry : self->table) {
		if (func && entry.value) func((void *)entry.value, entry.key);
		free(entry.key);
	}
}

static HashTableEntry *AddEntryWithKey(HashTable *self, const char *key)
{
	uint32_t h = Hash(key);
	for (uint32_t i = 0; i < HashTableSize; i++) {
		HashTableEntry *entry = &self->table[(h + i) & (HashTableSize - 1)];
		if (!entry->key) return entry;
	}
	return nullptr;
}

static HashTableEntry *EntryForKey(HashTable *self, const char *key)
{
	uint32_t h = Hash(key);
	for (uint32_t i = 0; i < HashTableSize; i++) {
		HashTableEntry *entry = &self->table[(h + i) & (HashTableSize - 1)];
		if (!entry->key) return nullptr;
		if (strcmp(entry->key, key) == 0) return entry;
	}
	return nullptr;
}

// Keys are short resource names; a failed copy is not provided for.
static void SetEntryKey(HashTableEntry *entry, const char *key)
{
	size_t size = strlen(key) + 1;
	entry->key = (char *)malloc(size);
	memcpy(entry->key, key, size);
}

static bool AddValueWithKey(HashTable *self, intptr_t value, const char *key)
{
	HashTableEntry *entry = AddEntryWithKey(self, key);
	if (!entry) return false;
	entry->value = value;
	SetEntryKey(entry, key);
	return true;
}

bool AddIntegerWithKey(HashTable *self, int value, const char *key)
{
	return AddValueWithKey(self, value, key);
}

bool AddPointerWithKey(HashTable *self, void *value, const char *key)
{
	return AddValueWithKey(self, (intptr_t)value, key);
}

bool GetIntegerForKey(HashTable *self, int *value, const char *key)
{
	HashTableEntry *entry = EntryForKey(self, key);
	if (!entry) return false;
	if (value) *value = (int)entry->value;
	return true;
}

bool GetPointerForKey(HashTable *self, void **value, const char *key)
{
	HashTableEntry *entry = EntryForKey(self, key);
	if (!entry) return false;
	if (value) *value = (void *)entry->value;
	return true;
}

void *PointerForKey(HashTable *self, const char *key)
{
	HashTableEntry *entry = EntryForKey(self, key);
	return entry ? (void *)entry->value : nullptr;
}

bool IsKeyInTable(HashTable *self, const char *key)
{
	return EntryForKey(self, key) != nullptr;
}
