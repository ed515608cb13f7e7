// The millisecond clock and sleeping in the browser. A sleep hands the main
// thread back to the browser, which delivers key events and draws only then.
// While the page holds the game still (hidden, or paused by its portal) every
// yield waits, and the page's clock stands still meanwhile, so the game goes
// on from the frame it was on with nothing to catch up.
#include "Platform/Time.h"
#include <emscripten.h>
#include "Platform/Web/Web.h"

static bool yielded;

// how often a held game looks whether it may go on, in milliseconds
constexpr unsigned StillLook = 20;

void YieldToBrowser(uint64_t ms)
{
	yielded = true;
	emscripten_sleep((unsigned)ms);
	while (zep_still()) emscripten_sleep(StillLook);
}

bool TakeYield()
{
	bool was = yielded;
	yielded = false;
	return was;
}

int TicksPerSecond() { return 1000; }

uint64_t GetTicks() { return (uint64_t)zep_now(); }

void SleepForTicks(uint64_t ticks) { YieldToBrowser(ticks); }
