// The pool against a model stack of free member numbers, and the assertions
// on misuse.
#include <gtest/gtest.h>
#include <cstdlib>
#include <random>
#include <vector>
#include "Game/SimpleAllocator.h"

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
			if (alloc) {
				void *m = AllocMember(&pool);
				if (free.empty()) {
					ASSERT_EQ(m, nullptr);
					continue;
				}
				ASSERT_EQ(m, members + free.back() * size) << count << " step " << step;
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

TEST(PoolDeathTest, FreeingIntoAnEmptyPoolOrReleasingLiveMembersStops)
{
	uint8_t storage[2 * (2 + 8)];
	SimpleAllocator *pool = (SimpleAllocator *)malloc(sizeof(SimpleAllocator));
	InitializeSimpleAllocator(pool, 8, 2, storage);
	EXPECT_DEATH(FreeMember(pool, storage + 4), "self->nummembers>0.*Game/SimpleAllocator");
	void *member = AllocMember(pool);
	EXPECT_DEATH(FreeSimpleAllocator(pool), "self->nummembers==0.*Game/SimpleAllocator");
	FreeMember(pool, member);
	FreeSimpleAllocator(pool);  // empty again: released without complaint
}
