// A pool of fixed-size members in caller-provided storage, with constant-time
// allocation and release in last-in, first-out order and no heap use. The
// storage holds the stack of free indices (two bytes per member) followed by
// the members. Needs nothing but the C runtime.
#pragma once
#include <cstddef>
#include <cstdint>

struct SimpleAllocator
{
	size_t nummembers;  // handed out
	size_t maxmembers;  // at most 65536: indices are 16 bits
	size_t membersize;
	uint8_t *members;
	uint16_t *queue;  // free indices; the top is queue[maxmembers - nummembers - 1]
};

// Bytes of storage needed for a pool.
static constexpr size_t SimpleAllocatorStorageSize(size_t membersize, size_t maxmembers)
{
	return maxmembers * 2 + maxmembers * membersize;
}

void InitializeSimpleAllocator(SimpleAllocator *self, size_t membersize, size_t maxmembers, void *storage);
[[nodiscard]] void *AllocMember(SimpleAllocator *self);
void FreeMember(SimpleAllocator *self, void *member);
// For a record obtained from malloc; the storage is the caller's.
void FreeSimpleAllocator(SimpleAllocator *self);
