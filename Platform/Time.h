// The clock the frame pacing reads, and sleeping; each platform implements it.
#pragma once
#include <cstdint>

int TicksPerSecond();
// Ticks from an arbitrary start. A platform's counter may wrap (SDL's is 32
// bits of milliseconds, about 49.7 days), so callers must not assume it only
// grows.
uint64_t GetTicks();
void SleepForTicks(uint64_t ticks);
