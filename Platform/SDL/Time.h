// The millisecond clock and sleeping, over SDL's timer. Needs SDL initialised
// with its timer for the clock to count from start-up.
#pragma once
#include <cstdint>

int TicksPerSecond();
// Milliseconds since SDL was initialised; SDL's counter is 32 bits wide and
// wraps after about 49.7 days, so callers must not assume it only grows.
uint64_t GetTicks();
void SleepForTicks(uint64_t ticks);
