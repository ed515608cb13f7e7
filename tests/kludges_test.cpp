// The strnlen we supply for runtimes without one. This C library has its own,
// so ours is built right here under another name and compared with it.
#define ZEP_SUPPLY_STRNLEN 1
#define strnlen SuppliedStrnlen
#include "Platform/Windows/Kludges.cpp"
#undef strnlen

#include <gtest/gtest.h>
#include <cstring>
#include <sys/mman.h>
#include <unistd.h>

// Strings that end right where an unreadable page begins: a read past the
// limit kills the test.
TEST(Strnlen, AgreesWithTheLibraryAndNeverReadsPastTheLimit)
{
	long page = sysconf(_SC_PAGESIZE);
	char *base = (char *)mmap(nullptr, 2 * page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
	ASSERT_NE(base, MAP_FAILED);
	ASSERT_EQ(mprotect(base + page, page, PROT_NONE), 0);
	const char *texts[] = {"", "abc", "a\0b", "\xff\x80", "xxxxxxxxxxxxxxxx"};
	for (const char *text : texts)
		for (size_t limit = 0; limit <= 16; limit++) {
			char *s = base + page - limit;
			memcpy(s, text, std::min(limit, strlen(text) + 1));
			ASSERT_EQ(SuppliedStrnlen(s, limit), strnlen(s, limit)) << text << " " << limit;
		}
	munmap(base, 2 * page);
}
