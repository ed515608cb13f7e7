// contactsheet: renders every picture of the built bundles into PNG contact
// sheets, one per entry: the pictures side by side, once on a checkerboard
// (to see transparency) and once on the night sky's colour (to see them as
// the player does), doubled like the game's window.
//
//   contactsheet <output folder>        (run from the folder with the bundles)
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>
#include "Graphics/Drawing.h"
#include "Graphics/Pixels/Construction32.h"
#include "Platform/GameResources.h"
#include "Platform/ResourceLoader.h"
#include "tools/laserpack/PngFile.h"

static bool WriteSheet(const std::string &path, RLEBitmap **frames)
{
	int n = 0, h = 0;
	for (; frames[n]; n++) h = std::max(h, (int)frames[n]->height);
	int columns = std::min(n, 16), rows = (n + columns - 1) / columns;
	int cellw = 0;
	for (int i = 0; i < n; i++) cellw = std::max(cellw, (int)frames[i]->width);
	cellw += 2;
	int sheetw = columns * cellw, rowh = h + 2, sheeth = rows * rowh * 2;
	std::vector<Pixel> pixels((size_t)sheetw * sheeth);
	Bitmap sheet;
	InitializeBitmap(&sheet, sheetw, sheeth, sheetw * 4, pixels.data());
	for (int y = 0; y < sheeth; y++)
		for (int x = 0; x < sheetw; x++)
			*BitmapPixelPointer(&sheet, x, y) = y < sheeth / 2 ? (((x / 4) + (y / 4)) % 2 ? RGB(200, 200, 200) : RGB(150, 150, 150)) : RGB(0x1d, 0x1f, 0x4f);
	for (int i = 0; i < n; i++) {
		int x = (i % columns) * cellw + 1, y = (i / columns) * rowh + 1;
		DrawRLEBitmap(&sheet, frames[i], x, y);
		DrawRLEBitmap(&sheet, frames[i], x, y + sheeth / 2);
	}
	std::vector<Pixel> doubled((size_t)sheetw * sheeth * 4);
	for (int y = 0; y < sheeth * 2; y++)
		for (int x = 0; x < sheetw * 2; x++) doubled[(size_t)y * sheetw * 2 + x] = pixels[(size_t)(y / 2) * sheetw + x / 2];
	std::string error;
	if (WritePngFile(path, sheetw * 2, sheeth * 2, doubled.data(), &error)) return true;
	fprintf(stderr, "contactsheet: %s\n", error.c_str());
	return false;
}

int main(int argc, char **argv)
{
	if (argc != 2) {
		fprintf(stderr, "usage: contactsheet <output folder>\n");
		return 2;
	}
	ResourceLoader *loader = AllocResourceLoader();
	StartRequestingResourceBundles(loader);
	for (const char *name : GameBundleNames) RequestResourceBundle(loader, name);
	EndRequestingResourceBundles(loader);
	int written = 0;
	for (size_t i = 0; i < NumberOfGameResources; i++) {
		const GameResource &r = GameResources[i];
		if (r.type != 'R') continue;
		RLEBitmap **frames = (RLEBitmap **)DataForResourceWithName(ResourceBundleList(loader), r.name, nullptr);
		if (!frames) {
			fprintf(stderr, "contactsheet: \"%s\" is missing\n", r.name);
			continue;
		}
		std::string file = std::string(argv[1]) + "/" + (strrchr(r.name, '/') + 1) + ".png";
		written += WriteSheet(file, frames);
	}
	FreeResourceLoader(loader);
	printf("%d contact sheets in %s\n", written, argv[1]);
	return written ? 0 : 1;
}
