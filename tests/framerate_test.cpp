// The frame rate manager against a clock of our own: this file defines the
// three clock functions, so the linker takes them instead of
// Platform/SDL/Time's, and every sleep simply moves the clock on.
#include <gtest/gtest.h>
#include <vector>
#include "Game/FrameRateManager.h"
#include "Platform/SDL/Time.h"

static uint64_t faketicks;
static std::vector<uint64_t> sleeps;

int TicksPerSecond() { return 1000; }
uint64_t GetTicks() { return faketicks; }
void SleepForTicks(uint64_t ticks)
{
	sleeps.push_back(ticks);
	faketicks += ticks;
}

class FrameRate : public testing::Test
{
protected:
	FrameRateManager frm;
	void SetUp() override
	{
		faketicks = 1000;
		sleeps.clear();
	}
	// one frame of a loop that does no work
	void Frame()
	{
		BeginFrame(&frm);
		SleepUntilFrameStart(&frm);
	}
};

TEST_F(FrameRate, FirstFrameAnchorsWithoutSleepingOrSkipping)
{
	InitializeFrameRateManager(&frm, 60, 0);
	EXPECT_EQ(frm.timerrate, 1000);
	Frame();
	EXPECT_TRUE(sleeps.empty());
	EXPECT_FALSE(ShouldSkipThisFrame(&frm));
	EXPECT_EQ(frm.nexttime, 60000u);
	EXPECT_EQ(frm.currtime, 60000u);
	EXPECT_EQ(TimeLost(&frm), 0);
}

TEST_F(FrameRate, IdleLoopSleeps16And17And17Repeating)
{
	InitializeFrameRateManager(&frm, 60, 0);
	Frame();
	for (int i = 0; i < 9; i++) Frame();
	std::vector<uint64_t> expected;
	for (int i = 0; i < 3; i++) expected.insert(expected.end(), {16, 17, 17});
	EXPECT_EQ(sleeps, expected);
	// nine frames after the anchor is exactly 150 ms after it
	EXPECT_EQ(faketicks, 1150u);
	EXPECT_EQ(frm.nexttime, 60000u + 9000u);
	EXPECT_EQ(TimeLost(&frm), 0);
}

TEST_F(FrameRate, LateFrameWithoutSkipReanchorsAndBooksTheLoss)
{
	InitializeFrameRateManager(&frm, 60, 0);
	Frame();
	Frame();
	Frame();
	ASSERT_EQ(faketicks, 1033u);
	// the third frame is due at 1050 ms and begins at 1055
	faketicks = 1055;
	BeginFrame(&frm);
	EXPECT_EQ(frm.nexttime, 1055u * 60);
	EXPECT_EQ(frm.timelost, 300u);
	EXPECT_EQ(TimeLost(&frm), 5);
	EXPECT_FALSE(ShouldSkipThisFrame(&frm));
	size_t before = sleeps.size();
	SleepUntilFrameStart(&frm);
	EXPECT_EQ(sleeps.size(), before);
	// from the new anchor the loop runs at full speed again
	Frame();
	EXPECT_EQ(sleeps.back(), 16u);

	ResetTimeLost(&frm);
	EXPECT_EQ(TimeLost(&frm), 0);
	EXPECT_EQ(frm.nexttime, 1055u * 60 + 1000);
	EXPECT_EQ(frm.currtime, 1055u * 60);
}

TEST_F(FrameRate, LateByExactlyTheBudgetKeepsTheSchedule)
{
	InitializeFrameRateManager(&frm, 60, 0);
	Frame();
	Frame();
	Frame();
	// due at 1050 ms and beginning then: on time, not late
	faketicks = 1050;
	BeginFrame(&frm);
	EXPECT_EQ(frm.nexttime, 63000u);
	EXPECT_EQ(frm.timelost, 0u);
	EXPECT_FALSE(ShouldSkipThisFrame(&frm));
}

TEST_F(FrameRate, FrameSkipOfTwoSkipsAtMostTwoFramesInARow)
{
	InitializeFrameRateManager(&frm, 60, 2);
	Frame();  // anchor at 60000 units
	Frame();
	// the next frame is due at 62000 and begins 2.5 frames after that
	faketicks = 1075;
	BeginFrame(&frm);
	EXPECT_EQ(frm.nexttime, 62500u);  // pulled forward by half a frame
	EXPECT_EQ(frm.timelost, 500u);
	EXPECT_TRUE(ShouldSkipThisFrame(&frm));
	sleeps.clear();
	SleepUntilFrameStart(&frm);
	EXPECT_TRUE(sleeps.empty());

	// the loop's frames take no time: one more skipped, then one drawn
	BeginFrame(&frm);
	EXPECT_EQ(frm.skippableframesleft, 1);
	EXPECT_TRUE(ShouldSkipThisFrame(&frm));
	BeginFrame(&frm);
	EXPECT_EQ(frm.skippableframesleft, 0);
	EXPECT_FALSE(ShouldSkipThisFrame(&frm));
	EXPECT_EQ(frm.timelost, 500u);

	// caught up: the frame after is early, sleeps, and refills the budget
	Frame();
	EXPECT_EQ(frm.skippableframesleft, 2);
	EXPECT_EQ(sleeps.size(), 1u);
	EXPECT_EQ(sleeps[0], 16u);
}

TEST_F(FrameRate, FrameSkipBudgetNeverGoesNegative)
{
	InitializeFrameRateManager(&frm, 60, 2);
	Frame();
	// a loop whose every frame takes three frames' time
	std::vector<bool> skipped;
	for (int i = 0; i < 9; i++) {
		faketicks += 50;
		BeginFrame(&frm);
		EXPECT_GE(frm.skippableframesleft, 0);
		skipped.push_back(ShouldSkipThisFrame(&frm));
		SleepUntilFrameStart(&frm);
	}
	EXPECT_TRUE(sleeps.empty());
	// never more than two skipped in a row: each spent budget pulls the
	// schedule up to the present, and the drawn frame refills it
	EXPECT_EQ(skipped, (std::vector<bool>{1, 1, 0, 1, 1, 0, 1, 1, 0}));
	EXPECT_EQ(frm.nexttime, faketicks * 60);
	EXPECT_GT(TimeLost(&frm), 0);
}

TEST_F(FrameRate, ClockSteppingBackReanchorsInsteadOfSleepingForWeeks)
{
	InitializeFrameRateManager(&frm, 60, 0);
	Frame();
	Frame();
	faketicks = 10;
	BeginFrame(&frm);
	EXPECT_EQ(frm.nexttime, 600u);
	EXPECT_EQ(frm.currtime, 600u);
	size_t before = sleeps.size();
	SleepUntilFrameStart(&frm);
	EXPECT_EQ(sleeps.size(), before);
	EXPECT_EQ(TimeLost(&frm), 0);
	for (int i = 0; i < 3; i++) Frame();
	EXPECT_EQ(std::vector<uint64_t>(sleeps.end() - 3, sleeps.end()), (std::vector<uint64_t>{16, 17, 17}));
}

TEST_F(FrameRate, SDLCounterWrapIsSurvived)
{
	// SDL's 32-bit millisecond counter just before and just after its wrap
	faketicks = 0xFFFFFFF0u;
	InitializeFrameRateManager(&frm, 60, 0);
	Frame();
	Frame();
	faketicks = 3;
	Frame();
	for (uint64_t s : sleeps) EXPECT_LE(s, 17u);
	Frame();
	EXPECT_EQ(sleeps.back(), 16u);
	EXPECT_EQ(faketicks, 19u);
}

TEST_F(FrameRate, OtherRatesKeepTheirOwnSchedule)
{
	InitializeFrameRateManager(&frm, 50, 0);
	Frame();
	for (int i = 0; i < 4; i++) Frame();
	EXPECT_EQ(sleeps, (std::vector<uint64_t>{20, 20, 20, 20}));
}
