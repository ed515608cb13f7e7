// Headless runs of the real game: InitializeGame, StartGame, then RunGame and
// DrawGame frame after frame, steered by recorded button states or by a bot.
// Used by the simulate command and by the soak and determinism tests.
#pragma once
#include <cstdint>
#include <string>
#include <vector>
#include "Graphics/Bitmap.h"

struct SimulationFigures
{
	int frames = 0, score = 0, lives = 0, deaths = 0, games = 0;
	size_t alive[7] = {};      // objects per list, in the game record's order
	uint64_t statehash = 0;    // the world at the end, and every sound started so far
	uint64_t pixelhash = 0;    // the last frame drawn
	uint64_t drawnhash = 0;    // every frame drawn so far, in turn
	bool consistent = true;    // every list well formed and the pool balanced
};

struct Simulation
{
	std::vector<Pixel> pixels;
	Bitmap screen;
	uint64_t botstate;  // the bot's own sequence, apart from the game's
	uint32_t lastbuttons;
	uint64_t drawnhash;  // every frame drawn so far
};

// false with a message when the bundles are not there or not complete.
bool StartSimulation(Simulation *self, uint64_t botseed, std::string *problem);
// The bot's buttons for this frame, from what it sees of the world.
uint32_t BotButtons(Simulation *self);
// One frame with the given button state (the bits of Platform/Input.h).
void StepSimulation(Simulation *self, uint32_t buttons);
void MeasureSimulation(Simulation *self, SimulationFigures *figures);
// What the game asks the mixer for as it starts a sound: the volume, the
// panning (left << 8 | right) and the sound's decoded length in bytes, never
// the channel, which depends on how far the audio thread has played. Called
// by the mixer's stand-ins: SDLMixerHearing.cpp on the desktop,
// NodePlatform.cpp in the browser's build.
void HearMixerCall(uint32_t what);
