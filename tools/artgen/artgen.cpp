// artgen: writes every picture of the game as a PNG into one folder, where
// the bundle manifests of assets/art pick them up. Any of the files can be
// replaced by hand-drawn art of the same layout. The hero is read from its
// pixel-art grids; a mistake in them is reported with its line.
//
//   artgen <folder> <hero grids, assets/art/OL.txt>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include "tools/artgen/Art.h"

static bool ReadHero(const char *path, std::vector<GridPicture> *hero)
{
	std::ifstream in(path, std::ios::binary);
	if (!in) {
		fprintf(stderr, "artgen: cannot read %s\n", path);
		return false;
	}
	std::stringstream text;
	text << in.rdbuf();
	std::string error;
	if (!ReadPixelGrids(text.str(), 24, 28, hero, &error) || !CheckHeroGrids(*hero, &error)) {
		fprintf(stderr, "artgen: %s: %s\n", path, error.c_str());
		return false;
	}
	return true;
}

int main(int argc, char **argv)
{
	if (argc != 3) {
		fprintf(stderr, "usage: artgen <folder> <hero grids>\n");
		return 2;
	}
	std::string dir = std::string(argv[1]) + "/";
	std::vector<GridPicture> hero;
	if (!ReadHero(argv[2], &hero)) return 1;
	struct Output
	{
		const char *file;
		Canvas (*make)();
	} outputs[] = {
		{"PlayerBullets2.png", PlayerBulletSheet}, {"PlayerBulletFlash.png", FlashSheet},
		{"Bullets.png", BulletSheet}, {"Splat.png", SplatSheet}, {"Ectoplasm.png", EctoplasmSheet},
		{"Orb.png", OrbSheet}, {"Flame.png", FlameSheet}, {"Warning.png", WarningSheet}, {"Star.png", StarSheet},
		{"Title.png", TitlePicture},
	};
	if (!Save(HeroSheet(hero), dir + "OL.png")) return 1;
	for (int size : {16, 32, 48, 64, 128, 256})
		if (!Save(IconPicture(hero, size), dir + "Icon" + std::to_string(size) + ".png")) return 1;
	for (const Output &o : outputs)
		if (!Save(o.make(), dir + o.file)) return 1;
	for (int band = 0; band < 4; band++)
		if (!Save(SkyBand(band), dir + "NightSky" + std::to_string(band + 1) + ".png")) return 1;
	return 0;
}
