// The frame rate manager on the scripted clock, in loops whose frame i first
// works for work[i] ms (negative: the clock steps back), then calls BeginFrame,
// ShouldSkipThisFrame (skips: '1' for true) and SleepUntilFrameStart.
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "Game/FrameRateManager.h"
#include "ScriptedPlatform.h"

struct Pacing
{
	const char *name;
	int fps, maxframeskip;
	uint64_t start;
	std::vector<int64_t> work;
	std::vector<uint64_t> sleeps;
	const char *skips;
	int lost;  // TimeLost at the end
};

static const Pacing pacings[] = {
	{"IdleLoopSleeps16And17And17", 60, 0, 1000, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, {16, 17, 17, 16, 17, 17, 16, 17, 17},
		"0000000000", 0},
	{"OtherRatesKeepTheirSchedule", 50, 0, 1000, {0, 0, 0, 0, 0}, {20, 20, 20, 20}, "00000", 0},
	// the fourth frame, due at 1050 ms, begins at 1055: re-anchored, 5 ms lost
	{"LateFrameReanchorsAndBooksTheLoss", 60, 0, 1000, {0, 0, 0, 22, 0}, {16, 17, 16}, "00000", 5},
	{"LateByExactlyNothingKeepsTheSchedule", 60, 0, 1000, {0, 0, 0, 17, 0}, {16, 17, 16}, "00000", 0},
	// 2.5 frames behind: pulled forward by half a frame, two frames skipped
	{"SkipsAtMostTwoFramesInARow", 60, 2, 1000, {0, 0, 59, 0, 0, 0}, {16, 16}, "001100", 8},
	{"SkipBudgetNeverGoesNegative", 60, 2, 1000, {0, 50, 50, 50, 50, 50, 50, 50, 50, 50}, {}, "0110110110", 300},
	{"ClockSteppingBackReanchors", 60, 0, 1000, {0, 0, -1006, 0, 0, 0}, {16, 16, 17, 17}, "000000", 0},
	{"SDLCounterWrapIsSurvived", 60, 0, 0xFFFFFFF0u, {0, 0, 3 - 0x100000000, 0}, {16, 16}, "0000", 0},
};

TEST(FrameRate, PacesEachLoopOfTheTable)
{
	for (const Pacing &p : pacings) {
		SCOPED_TRACE(p.name);
		scripted = ScriptedPlatform();
		scripted.ticks = p.start;
		FrameRateManager frm;
		InitializeFrameRateManager(&frm, p.fps, p.maxframeskip);
		std::string skips;
		for (int64_t work : p.work) {
			scripted.ticks += (uint64_t)work;
			BeginFrame(&frm);
			skips += ShouldSkipThisFrame(&frm) ? '1' : '0';
			SleepUntilFrameStart(&frm);
			if (skips.size() == 1) {
				EXPECT_EQ(frm.nexttime, p.start * p.fps);
			}
		}
		EXPECT_EQ(scripted.sleeps, p.sleeps);
		EXPECT_EQ(skips, p.skips);
		EXPECT_EQ(TimeLost(&frm), p.lost);
		// clears only the time lost: the schedule stays
		FrameRateManager before = frm;
		ResetTimeLost(&frm);
		EXPECT_EQ(TimeLost(&frm), 0);
		EXPECT_TRUE(frm.nexttime == before.nexttime && frm.currtime == before.currtime &&
			frm.skippableframesleft == before.skippableframesleft);
	}
}
