// The game's entry, which each platform's start-up calls once its screen is
// up, and the statuses that end the program: the game's own, returned by
// EntryPoint, and the platform's, when it cannot start the game at all. The
// desktop ends the process with the status as its exit code; the browser
// passes it to the page, which says why the game stopped.
#pragma once

enum EndStatus : int
{
	EndedByPlayer = 0,         // quit from the menu, or the window closed
	EndedBundlesIncomplete = 1,  // the game's bundles are not the complete set; stderr says which
	EndedPlatformFailed = 2,   // the platform could not start (the screen, memory); stderr says why
};

// Runs until the player quits: "Quit", Escape in the menu, or the window is
// closed (EndedByPlayer). Returns EndedBundlesIncomplete at once, with a
// message on stderr, when the bundles in the working directory are not the
// complete set.
[[nodiscard]] EndStatus EntryPoint();
