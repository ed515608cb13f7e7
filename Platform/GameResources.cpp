// The table of the game's resource set and the start-up checks against it.
#include "Platform/GameResources.h"
#include <cstdio>
#include <cstring>
#include <iterator>
#include "GameBundles.h"
#include "Graphics/Bitmap.h"
#include "Graphics/RLEBitmap.h"
#include "Platform/ResourceLoader.h"

// the build's list (cmake/bundlenames.cmake)
static constexpr const char *BuildBundleNames[] = {ZEP_GAME_BUNDLES};
static_assert(std::size(BuildBundleNames) == std::size(GameBundleNames), "as many bundles as the build lists");
const char *const GameBundleNames[4] = {ZEP_GAME_BUNDLES};

const GameResource GameResources[] = {
	{"Graphics/Title/Title", 'B', 0},
	{"Graphics/Backgrounds/NightSky/NightSky1", 'R', 1},
	{"Graphics/Backgrounds/NightSky/NightSky2", 'R', 1},
	{"Graphics/Backgrounds/NightSky/NightSky3", 'R', 1},
	{"Graphics/Backgrounds/NightSky/NightSky4", 'R', 1},
	{"Graphics/Sprites/OL", 'R', 24},
	{"Graphics/Sprites/PlayerBullets2", 'R', 6},
	{"Graphics/Sprites/PlayerBulletFlash", 'R', 4},
	{"Graphics/Sprites/Bullets", 'R', 33},
	{"Graphics/Sprites/Splat", 'R', 104},
	{"Graphics/Sprites/Ectoplasm", 'R', 11},
	{"Graphics/Sprites/Orb", 'R', 10},
	{"Graphics/Sprites/Flame", 'R', 4},
	{"Graphics/Sprites/Warning", 'R', 1},
	{"Graphics/Sprites/Star", 'R', 2},
	{"Sounds/bulletcontact", 'S', 0},
	{"Sounds/dash", 'S', 0},
	{"Sounds/enemybullet", 'S', 0},
	{"Sounds/enemyexplode", 'S', 0},
	{"Sounds/health", 'S', 0},
	{"Sounds/zorvabullet", 'S', 0},
	{"Sounds/pichun", 'S', 0},
	{"Sounds/points", 'S', 0},
	{"Sounds/oladventure", 'S', 0},
};
const size_t NumberOfGameResources = sizeof(GameResources) / sizeof(GameResources[0]);

// The type of the entry behind a name, found the way lookups find it.
static const ResourceBundleEntry *EntryForResource(ResourceBundle *chain, const char *name)
{
	size_t size;
	void *data = DataForResourceWithName(chain, name, &size);
	if (!data) return nullptr;
	for (ResourceBundle *b = chain; b; b = b->head.next) {
		ResourceBundleEntry *entries = ResourceBundleEntries(b);
		for (uint32_t i = 0; i < b->numentries; i++)
			if ((char *)b + entries[i].offset == data) return &entries[i];
	}
	return nullptr;
}

// The first problem with the resources of one kind (pictures, or sounds and
// music), in the words of the start-up check; false when there is none.
static bool FindProblem(ResourceBundle *chain, bool pictures, char *problem, size_t problemsize)
{
	for (const char *bundle : GameBundleNames) {
		bool soundbundle = strcmp(bundle, ZEP_SOUND_BUNDLE) == 0;
		if (soundbundle == pictures) continue;
		bool loaded = false;
		for (ResourceBundle *b = chain; b && !loaded; b = b->head.next)
			loaded = strncmp(b->name, bundle, ResourceBundleNameSize) == 0;
		if (loaded) continue;
		if (const char *why = ResourceBundleRefusal(bundle))
			snprintf(problem, problemsize, "the bundle file \"%s.laser\" was refused: %s", bundle, why);
		else snprintf(problem, problemsize, "the bundle file \"%s.laser\" is missing", bundle);
		return true;
	}
	for (size_t i = 0; i < NumberOfGameResources; i++) {
		const GameResource *r = &GameResources[i];
		if ((r->type == 'S') == pictures) continue;
		const ResourceBundleEntry *e = EntryForResource(chain, r->name);
		if (!e) {
			snprintf(problem, problemsize, "\"%s\" is missing", r->name);
			return true;
		}
		if (pictures ? e->type != (uint32_t)r->type : e->type == 'B' || e->type == 'R') {
			snprintf(problem, problemsize, "\"%s\" is not of type '%c'", r->name, r->type);
			return true;
		}
		if (r->type == 'R') {
			RLEBitmap **frames = (RLEBitmap **)DataForResourceWithName(chain, r->name, nullptr);
			int n = 0;
			while (frames[n]) n++;
			if (n < r->pictures) {
				snprintf(problem, problemsize, "\"%s\" has %d pictures, the game needs %d", r->name, n, r->pictures);
				return true;
			}
		}
	}
	return false;
}

bool CheckGameResources(ResourceBundle *chain, char *problem, size_t problemsize)
{
	return !FindProblem(chain, true, problem, problemsize);
}

bool CheckGameSounds(ResourceBundle *chain, char *problem, size_t problemsize)
{
	return !FindProblem(chain, false, problem, problemsize);
}
