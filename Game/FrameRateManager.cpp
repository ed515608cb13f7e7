// Frame pacing on a schedule of internal time units; integer arithmetic only.
// Needs GetTicks, SleepForTicks and TicksPerSecond of Platform/Time.
#include "Game/FrameRateManager.h"
#include "Platform/Time.h"

static uint64_t TimerTicksToInternalTime(FrameRateManager *self, uint64_t ticks)
{
	return ticks * (uint64_t)(int64_t)self->fps;
}

static uint64_t InternalTimeToTimerTicks(FrameRateManager *self, uint64_t time)
{
	return time / (uint64_t)self->fps;
}

static uint64_t FramesToInternalTime(FrameRateManager *self, int frames)
{
	return (uint64_t)(int64_t)(self->timerrate * frames);
}

void InitializeFrameRateManager(FrameRateManager *self, int fps, int maxframeskip)
{
	self->fps = fps;
	self->timerrate = TicksPerSecond();
	self->maxframeskip = maxframeskip;
	self->skippableframesleft = maxframeskip;
	self->currtime = 0;
	self->nexttime = 0;
	self->timelost = 0;
	self->firstframe = true;
}

void BeginFrame(FrameRateManager *self)
{
	uint64_t time = TimerTicksToInternalTime(self, GetTicks());

	// A clock that reads earlier than the last frame (SDL's 32-bit counter
	// wrapped, or the clock was set back) would leave the schedule far in
	// the future; start it afresh instead. What went missing is unknown, so
	// nothing is booked as lost.
	if (self->firstframe || time < self->currtime) {
		self->nexttime = time;
		self->skippableframesleft = self->maxframeskip;
		self->firstframe = false;
		self->currtime = time;
		return;
	}

	// evaluated on the previous frame's times: was that frame late?
	if (ShouldSkipThisFrame(self)) self->skippableframesleft--;
	else self->skippableframesleft = self->maxframeskip;

	self->nexttime += FramesToInternalTime(self, 1);

	// later than the skip budget allows: give up the excess and book it
	uint64_t budget = FramesToInternalTime(self, self->skippableframesleft);
	if (self->nexttime + budget < time) {
		uint64_t old = self->nexttime;
		self->nexttime = time - budget;
		self->timelost += self->nexttime - old;
	}
	self->currtime = time;
}

void SleepUntilFrameStart(FrameRateManager *self)
{
	if (self->nexttime > self->currtime)
		SleepForTicks(InternalTimeToTimerTicks(self, self->nexttime - self->currtime));
}

bool ShouldSkipThisFrame(FrameRateManager *self)
{
	return self->nexttime < self->currtime;
}

int TimeLost(FrameRateManager *self)
{
	return (int)InternalTimeToTimerTicks(self, self->timelost);
}

void ResetTimeLost(FrameRateManager *self)
{
	self->timelost = 0;
}
