// The pool allocator: storage layout, address order of a fresh pool, LIFO
// reuse, exhaustion, and the assertions on misuse.
#include <gtest/gtest.h>
#include <cstdlib>
#include <vector>
#include "Game/SimpleAllocator.h"

class Pool : public ::testing::Test
{
protected:
	static constexpr size_t size = 256, count = 1024;
	std::vector<uint8_t> storage = std::vector<uint8_t>(SimpleAllocatorStorageSize(size, count), 0xAB);
	SimpleAllocator pool;
	void SetUp() override { InitializeSimpleAllocator(&pool, size, count, storage.data()); }
	uint8_t *Member(size_t n) { return storage.data() + count * 2 + n * size; }
};

TEST_F(Pool, LayoutPutsTheIndexStackFirst)
{
	EXPECT_EQ(SimpleAllocatorStorageSize(256, 1024), 264192u);
	EXPECT_EQ((void *)pool.queue, (void *)storage.data());
	EXPECT_EQ(pool.members, Member(0));
	EXPECT_EQ(pool.queue[0], count - 1);
	EXPECT_EQ(pool.queue[count - 1], 0);
	EXPECT_EQ(pool.nummembers, 0u);
}

TEST_F(Pool, FreshPoolHandsOutAddressOrderWithoutTouchingMembers)
{
	for (size_t n = 0; n < 4; n++) EXPECT_EQ(AllocMember(&pool), Member(n));
	EXPECT_EQ(pool.nummembers, 4u);
	for (size_t i = count * 2; i < storage.size(); i++) ASSERT_EQ(storage[i], 0xAB) << i;
}

TEST_F(Pool, ReuseIsLastInFirstOut)
{
	void *m0 = AllocMember(&pool), *m1 = AllocMember(&pool), *m2 = AllocMember(&pool);
	EXPECT_EQ(m2, Member(2));
	FreeMember(&pool, m1);
	FreeMember(&pool, m0);
	EXPECT_EQ(AllocMember(&pool), m0);
	EXPECT_EQ(AllocMember(&pool), m1);
	EXPECT_EQ(AllocMember(&pool), Member(3));
}

TEST_F(Pool, ExhaustionReturnsNullAndChangesNothing)
{
	std::vector<void *> members;
	for (size_t i = 0; i < count; i++) members.push_back(AllocMember(&pool));
	for (size_t i = 0; i < count; i++) ASSERT_EQ(members[i], Member(i));
	EXPECT_EQ(AllocMember(&pool), nullptr);
	EXPECT_EQ(AllocMember(&pool), nullptr);
	EXPECT_EQ(pool.nummembers, count);
	FreeMember(&pool, members[517]);
	EXPECT_EQ(AllocMember(&pool), members[517]);
	EXPECT_EQ(AllocMember(&pool), nullptr);
}

TEST_F(Pool, EveryMemberComesBackAfterScrambledRelease)
{
	std::vector<void *> members;
	for (size_t i = 0; i < count; i++) members.push_back(AllocMember(&pool));
	for (size_t i = 0; i < count; i++) FreeMember(&pool, members[(i * 389) % count]);
	EXPECT_EQ(pool.nummembers, 0u);
	// LIFO: the last released comes out first
	for (size_t i = count; i-- > 0;) ASSERT_EQ(AllocMember(&pool), members[(i * 389) % count]);
	EXPECT_EQ(AllocMember(&pool), nullptr);
}

TEST(PoolEdges, ZeroMembersIsAlwaysFull)
{
	uint8_t dummy[1];
	SimpleAllocator pool;
	InitializeSimpleAllocator(&pool, 16, 0, dummy);
	EXPECT_EQ(AllocMember(&pool), nullptr);
	EXPECT_EQ(pool.nummembers, 0u);
}

TEST(PoolEdges, LargestPoolUsesAll16BitIndices)
{
	const size_t count = 65536;
	std::vector<uint8_t> storage(SimpleAllocatorStorageSize(1, count));
	SimpleAllocator pool;
	InitializeSimpleAllocator(&pool, 1, count, storage.data());
	void *last = nullptr;
	for (size_t i = 0; i < count; i++) last = AllocMember(&pool);
	EXPECT_EQ(last, storage.data() + count * 2 + count - 1);
	FreeMember(&pool, last);
	EXPECT_EQ(AllocMember(&pool), last);
}

TEST(PoolDeathTest, FreeingIntoAnEmptyPoolStops)
{
	uint8_t storage[2 * (2 + 8)];
	SimpleAllocator pool;
	InitializeSimpleAllocator(&pool, 8, 2, storage);
	EXPECT_DEATH(FreeMember(&pool, storage + 4), "self->nummembers>0.*Game/SimpleAllocator");
}

TEST(PoolDeathTest, ReleasingARecordWithLiveMembersStops)
{
	uint8_t storage[2 * (2 + 8)];
	SimpleAllocator *pool = (SimpleAllocator *)malloc(sizeof(SimpleAllocator));
	InitializeSimpleAllocator(pool, 8, 2, storage);
	void *member = AllocMember(pool);
	EXPECT_DEATH(FreeSimpleAllocator(pool), "self->nummembers==0.*Game/SimpleAllocator");
	FreeMember(pool, member);
	FreeSimpleAllocator(pool);  // empty again: released without complaint
}
