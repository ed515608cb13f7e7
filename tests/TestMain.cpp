// The main of every test program: tests run headless, on SDL's dummy video
// and audio drivers, unless the environment says otherwise.
#include <gtest/gtest.h>
#include <cstdlib>

int main(int argc, char **argv)
{
	setenv("SDL_VIDEODRIVER", "dummy", 0);
	setenv("SDL_AUDIODRIVER", "dummy", 0);
	::testing::InitGoogleTest(&argc, argv);
	return RUN_ALL_TESTS();
}
