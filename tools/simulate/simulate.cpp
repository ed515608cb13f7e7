// simulate: runs the real game headless and prints what happened.
//
//   simulate [--frames N] [--bot SEED | --input FILE] [--png FRAME:FILE]... [--at FRAME]...
//
// --at prints the score, lives, state hash (the sounds started included) and a
// hash of every frame drawn so far once FRAME frames have run.
// An input file holds one button state a line (decimal or 0x hex), one line
// per frame; the game is deterministic, so the same input gives the same
// figures on every run. Run it from the folder that holds the bundles.
#include <SDL.h>
#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <cstring>
#include <fstream>
#include <map>
#include "Game/Game.h"
#ifdef __EMSCRIPTEN__
// the browser's build, run under node, has no libpng
static bool WritePngFile(const std::string &, int, int, const Pixel *, std::string *error)
{
	*error = "this build writes no pictures";
	return false;
}
#else
#include "tools/laserpack/PngFile.h"
#endif
#include "tools/simulate/Simulation.h"

int main(int argc, char **argv)
{
	setenv("SDL_AUDIODRIVER", "dummy", 0);
	int frames = 3600;
	uint64_t seed = 1;
	std::vector<uint32_t> recorded;
	bool fromfile = false;
	std::map<int, std::string> shots;
	std::vector<int> checkpoints;
	for (int i = 1; i < argc; i++) {
		std::string arg = argv[i];
		const char *value = i + 1 < argc ? argv[i + 1] : nullptr;
		if (!value) {
			fprintf(stderr, "simulate: %s needs a value\n", arg.c_str());
			return 2;
		}
		i++;
		if (arg == "--frames") frames = atoi(value);
		else if (arg == "--bot") seed = strtoull(value, nullptr, 10);
		else if (arg == "--input") {
			std::ifstream in(value);
			if (!in) {
				fprintf(stderr, "simulate: cannot read %s\n", value);
				return 1;
			}
			for (std::string line; std::getline(in, line);)
				if (!line.empty()) recorded.push_back((uint32_t)strtoul(line.c_str(), nullptr, 0));
			fromfile = true;
		} else if (arg == "--png" && strchr(value, ':')) shots[atoi(value)] = strchr(value, ':') + 1;
		else if (arg == "--at") checkpoints.push_back(atoi(value));
		else {
			fprintf(stderr, "usage: simulate [--frames N] [--bot SEED | --input FILE] [--png FRAME:FILE]... [--at FRAME]...\n");
			return 2;
		}
	}
	Simulation sim;
	std::string problem;
	if (!StartSimulation(&sim, seed, &problem)) {
		fprintf(stderr, "simulate: %s\n", problem.c_str());
		return 1;
	}
	SimulationFigures figures;
	int deaths = 0, games = 1, lastlives = game.player.lives;
	for (int f = 0; f < frames; f++) {
		uint32_t buttons = fromfile ? (f < (int)recorded.size() ? recorded[f] : 0) : BotButtons(&sim);
		int timebefore = game.player.timeofdeath;
		bool over = IsGameOver();
		StepSimulation(&sim, buttons);
		if (game.player.timeofdeath != timebefore && game.player.lives < lastlives + 1) deaths++;
		if (over && !IsGameOver()) games++;
		lastlives = game.player.lives;
		auto shot = shots.find(f);
		std::string error;
		if (shot != shots.end() && !WritePngFile(shot->second, 320, 240, sim.pixels.data(), &error))
			fprintf(stderr, "simulate: %s\n", error.c_str());
		if (std::find(checkpoints.begin(), checkpoints.end(), f + 1) != checkpoints.end()) {
			MeasureSimulation(&sim, &figures);
			printf("at %d: score %d lives %d state %016llx drawn %016llx\n", f + 1, figures.score, figures.lives,
				(unsigned long long)figures.statehash, (unsigned long long)figures.drawnhash);
		}
	}
	MeasureSimulation(&sim, &figures);
	printf("frames %d\nscore %d\nlives %d\ndeaths %d\ngames %d\n", frames, figures.score, figures.lives, deaths, games);
	const char *names[7] = {"controllers", "enemies", "enemybullets", "playerbullets", "items", "decorations", "newdecorations"};
	for (int i = 0; i < 7; i++) printf("%s %zu\n", names[i], figures.alive[i]);
	printf("pool %zu\nstate %016llx\npixels %016llx\nconsistent %s\n", game.allocator.nummembers,
		(unsigned long long)figures.statehash, (unsigned long long)figures.pixelhash, figures.consistent ? "yes" : "no");
	CleanupGame();
	SDL_Quit();
	return figures.consistent ? 0 : 3;
}
