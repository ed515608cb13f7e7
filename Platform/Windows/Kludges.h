// Functions the C runtime of some targets lacks, supplied by us there and
// taken from the runtime everywhere else. Needs nothing.
#pragma once
#include <cstddef>

// Microsoft's runtime gained strnlen with Visual C++ 2005.
#ifndef ZEP_SUPPLY_STRNLEN
#if defined(_WIN32) && defined(_MSC_VER) && _MSC_VER < 1400
#define ZEP_SUPPLY_STRNLEN 1
#else
#define ZEP_SUPPLY_STRNLEN 0
#endif
#endif

#if ZEP_SUPPLY_STRNLEN
// The number of bytes before the first zero byte, at most maxlen; reads no
// further than maxlen bytes.
size_t strnlen(const char *string, size_t maxlen);
#endif
