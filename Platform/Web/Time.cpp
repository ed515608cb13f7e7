// The millisecond clock and sleeping in the browser. A sleep hands the main
// thread back to the browser, which delivers key events and draws only then.
#include "Platform/Time.h"
#include <emscripten.h>
#include "Platform/Web/Web.h"

static bool yielded;

void YieldToBrowser(uint64_t ms)
{
	yielded = true;
	emscripten_sleep((unsigned)ms);
}

bool TakeYield()
{
	bool was = yielded;
	yielded = false;
	return was;
}

int TicksPerSecond() { return 1000; }

uint64_t GetTicks() { return (uint64_t)emscripten_get_now(); }

void SleepForTicks(uint64_t ticks) { YieldToBrowser(ticks); }
