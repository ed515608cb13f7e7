// Platform/Input and Time, as Platform/SDL implements them, replaced at link time in a test program that
// includes this from one source file (keep those two holding nothing else):
// input follows a script, one button state per poll, every poll past its end
// a closed window; the clock moves only by sleeps and by the tests.
#pragma once
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>
#include "Platform/Input.h"
#include "Platform/Time.h"

struct ScriptedPlatform
{
	std::vector<uint32_t> script;  // the button state of each poll
	size_t polls = 0;              // HandleInput calls so far
	std::function<void()> onpoll;  // runs first in every poll
	uint64_t ticks = 0;            // the clock, in milliseconds
	std::vector<uint64_t> sleeps;  // every sleep asked for, in order
};
inline ScriptedPlatform scripted;

bool HandleInput()
{
	if (scripted.onpoll) scripted.onpoll();
	// a loop that ignores the closed window fails now, not at the time limit
	if (scripted.polls > scripted.script.size() + 1000) {
		fprintf(stderr, "still polling long after the window was closed\n");
		abort();
	}
	return ++scripted.polls <= scripted.script.size();
}

uint32_t GetButtonState()
{
	// before the first poll the index wraps round to past the end
	size_t i = scripted.polls - 1;
	return i < scripted.script.size() ? scripted.script[i] : 0;
}

int TicksPerSecond() { return 1000; }
uint64_t GetTicks() { return scripted.ticks; }
void SleepForTicks(uint64_t ticks)
{
	scripted.sleeps.push_back(ticks);
	scripted.ticks += ticks;
}
