// The SDL clock and sleep, lower bounds only: a loaded machine may always
// sleep longer than asked, never shorter.
#include <gtest/gtest.h>
#include <SDL.h>
#include "Platform/SDL/Time.h"

TEST(Time, MillisecondsFromStartUpAndSleepsOfAtLeastTheTime)
{
	ASSERT_EQ(SDL_Init(SDL_INIT_TIMER), 0) << SDL_GetError();
	EXPECT_EQ(TicksPerSecond(), 1000);
	uint64_t start = GetTicks();
	EXPECT_LT(start, 10000u);  // counted from SDL_Init, not from some epoch
	SleepForTicks(0);
	SleepForTicks(30);
	uint64_t end = GetTicks();
	EXPECT_GE(end - start, 30u);
	SDL_Quit();
}
