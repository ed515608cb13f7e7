// What the picture generators share: the canvas, a seeded sequence, the
// bullet colours and one function per picture resource.
#pragma once
#include <cstdint>
#include <string>
#include <vector>
#include "tools/artgen/Canvas.h"
#include "tools/artgen/Grid.h"

// A fixed linear congruential sequence: the same numbers on every machine.
struct Random
{
	uint64_t state;
	explicit Random(uint64_t seed) : state(seed * 6364136223846793005ull + 1442695040888963407ull) {}
	uint32_t Next()
	{
		state = state * 6364136223846793005ull + 1442695040888963407ull;
		return (uint32_t)(state >> 33);
	}
	double Unit() { return Next() / 2147483648.0; }
};

extern const uint32_t PaletteColours[13];

// The hero comes from its pixel-art grids, which must hold its six poses.
[[nodiscard]] bool CheckHeroGrids(const std::vector<GridPicture> &hero, std::string *error);
Canvas HeroSheet(const std::vector<GridPicture> &hero);
Canvas PlayerBulletSheet();
Canvas FlashSheet();
Canvas BulletSheet();
Canvas SplatSheet();
Canvas EctoplasmSheet();
Canvas OrbSheet();
Canvas FlameSheet();
Canvas WarningSheet();
Canvas StarSheet();
// Band 0 .. 3 of the night sky: 512 x 240, transparent above the band.
Canvas SkyBand(int band);
Canvas TitlePicture();
// The desktop icon, size x size for 16, 32, 48, 64, 128 and 256.
Canvas IconPicture(const std::vector<GridPicture> &hero, int size);
