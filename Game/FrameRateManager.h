// FrameRateManager: paces a loop at a fixed number of frames per second on
// the millisecond clock of Platform/Time. It sleeps until each frame's
// scheduled start, may tell a late loop to skip drawing a bounded number of
// frames, and re-anchors the schedule when the loop falls further behind or
// the clock steps backwards. Each loop owns one; it holds no resources.
#pragma once
#include <cstdint>

struct FrameRateManager
{
	int fps;
	int timerrate;            // clock ticks per second
	int maxframeskip;
	int skippableframesleft;
	// Internal time counts 1/(timerrate*fps) s: a tick is fps units and a
	// frame exactly timerrate units, so the schedule never drifts.
	uint64_t currtime;        // when the current frame began
	uint64_t nexttime;        // when the current frame was due
	uint64_t timelost;        // total by which the schedule was pushed on
	bool firstframe;
};
static_assert(sizeof(FrameRateManager) == 48, "four ints, three 64-bit times, a flag");

void InitializeFrameRateManager(FrameRateManager *self, int fps, int maxframeskip);
// Once per frame: BeginFrame, SleepUntilFrameStart, then ShouldSkipThisFrame
// for a loop that may skip drawing.
void BeginFrame(FrameRateManager *self);
void SleepUntilFrameStart(FrameRateManager *self);
[[nodiscard]] bool ShouldSkipThisFrame(FrameRateManager *self);
// Milliseconds by which the schedule has been pushed forward.
[[nodiscard]] int TimeLost(FrameRateManager *self);
void ResetTimeLost(FrameRateManager *self);
