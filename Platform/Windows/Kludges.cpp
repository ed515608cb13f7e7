// strnlen for C runtimes without it (see Kludges.h for where that is).
#include "Platform/Windows/Kludges.h"

#if ZEP_SUPPLY_STRNLEN
size_t strnlen(const char *string, size_t maxlen)
{
	size_t n = 0;
	while (n < maxlen && string[n] != 0) n++;
	return n;
}
#endif
