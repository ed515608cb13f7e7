// A platform of the tests' own in place of Platform/SDL/Input and Time. A test
// program that includes this header (from one source file) defines
// HandleInput, GetButtonState, TicksPerSecond, GetTicks and SleepForTicks
// itself, so the linker leaves zepcore's Input.o and Time.o out: keep those
// two files holding nothing else. Input follows a script of one button state
// per poll; every poll past its end is a closed window, so no loop can wait
// for ever. The clock moves only when something sleeps on it or a test sets it.
#pragma once
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>
#include "Platform/SDL/Input.h"
#include "Platform/SDL/Time.h"

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
