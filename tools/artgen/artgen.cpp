// artgen: writes every picture of the game as a PNG into one folder, where
// the bundle manifests of assets/art pick them up. Any of the files can be
// replaced by hand-drawn art of the same layout.
//
//   artgen <folder>
#include <cstdio>
#include <string>
#include "tools/artgen/Art.h"

int main(int argc, char **argv)
{
	if (argc != 2) {
		fprintf(stderr, "usage: artgen <folder>\n");
		return 2;
	}
	std::string dir = std::string(argv[1]) + "/";
	struct Output
	{
		const char *file;
		Canvas (*make)();
	} outputs[] = {
		{"OL.png", HeroSheet}, {"PlayerBullets2.png", PlayerBulletSheet}, {"PlayerBulletFlash.png", FlashSheet},
		{"Bullets.png", BulletSheet}, {"Splat.png", SplatSheet}, {"Ectoplasm.png", EctoplasmSheet},
		{"Orb.png", OrbSheet}, {"Flame.png", FlameSheet}, {"Warning.png", WarningSheet}, {"Star.png", StarSheet},
		{"Title.png", TitlePicture}, {"Icon.png", IconPicture},
	};
	for (const Output &o : outputs)
		if (!Save(o.make(), dir + o.file)) return 1;
	for (int band = 0; band < 4; band++)
		if (!Save(SkyBand(band), dir + "NightSky" + std::to_string(band + 1) + ".png")) return 1;
	return 0;
}
