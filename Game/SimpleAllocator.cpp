// The pool keeps the indices of its free members as a stack in front of the
// member area, so both allocation and release are a few integer operations.
#include "Game/SimpleAllocator.h"
#include <cstdlib>
#include "Game/Utils.h"

static bool IsSimpleAllocatorFull(SimpleAllocator *self)
{
	return self->nummembers >= self->maxmembers;
}

void InitializeSimpleAllocator(SimpleAllocator *self, size_t membersize, size_t maxmembers, void *storage)
{
	self->nummembers = 0;
	self->maxmembers = maxmembers;
	self->membersize = membersize;
	self->queue = (uint16_t *)storage;
	self->members = (uint8_t *)storage + maxmembers * 2;
	// Member 0 on top, so a fresh pool hands out members in address order.
	for (size_t i = 0; i < maxmembers; i++) self->queue[i] = (uint16_t)(maxmembers - 1 - i);
}

void *AllocMember(SimpleAllocator *self)
{
	if (IsSimpleAllocatorFull(self)) return nullptr;
	self->nummembers++;
	size_t n = self->queue[self->maxmembers - self->nummembers];
	return self->members + n * self->membersize;
}

void FreeMember(SimpleAllocator *self, void *member)
{
	ASSERT(self->nummembers>0);
	uint16_t n = (uint16_t)((size_t)((uint8_t *)member - self->members) / self->membersize);
	self->queue[self->maxmembers - self->nummembers] = n;
	self->nummembers--;
}

void FreeSimpleAllocator(SimpleAllocator *self)
{
	ASSERT(self->nummembers==0);
	free(self);
}
