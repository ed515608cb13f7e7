// The strnlen we supply for runtimes without one. This C library has its own,
// so ours is built right here under another name and tested beside it.
#define ZEP_SUPPLY_STRNLEN 1
#define strnlen SuppliedStrnlen
#include "Platform/Windows/Kludges.cpp"
#undef strnlen

#include <gtest/gtest.h>
#include <cstring>
#include <sys/mman.h>
#include <unistd.h>

TEST(Strnlen, StopsAtTheFirstZeroOrAtTheLimit)
{
	EXPECT_EQ(SuppliedStrnlen("", 10), 0u);
	EXPECT_EQ(SuppliedStrnlen("", 0), 0u);
	EXPECT_EQ(SuppliedStrnlen("abc", 10), 3u);
	EXPECT_EQ(SuppliedStrnlen("abc", 3), 3u);
	EXPECT_EQ(SuppliedStrnlen("abc", 2), 2u);
	EXPECT_EQ(SuppliedStrnlen("abc", 0), 0u);
	const char inner[] = {'a', 0, 'b', 0};
	EXPECT_EQ(SuppliedStrnlen(inner, sizeof inner), 1u);
	// bytes above 127 are not zero bytes, whatever char's signedness
	EXPECT_EQ(SuppliedStrnlen("\xff\x80", 8), 2u);
}

TEST(Strnlen, NeverReadsBeyondTheLimit)
{
	// a buffer with no zero byte that ends right where an unreadable page
	// begins: one byte too many and the test dies
	long page = sysconf(_SC_PAGESIZE);
	void *map = mmap(nullptr, 2 * page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
	ASSERT_NE(map, MAP_FAILED);
	char *base = (char *)map;
	ASSERT_EQ(mprotect(base + page, page, PROT_NONE), 0);
	char *buffer = base + page - 16;
	memset(buffer, 'x', 16);
	EXPECT_EQ(SuppliedStrnlen(buffer, 16), 16u);
	EXPECT_EQ(SuppliedStrnlen(buffer + 15, 1), 1u);
	munmap(map, 2 * page);
}
