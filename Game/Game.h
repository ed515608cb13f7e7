// The game record: all state of the game that outlives a frame, in the one
// global `game`, read and written directly by the object system, the game
// content, the audio wrappers and the menus. Also the world-coordinate
// functions (the world wraps every xmask + 1 raw units horizontally and does
// not scroll vertically) and the game logic's operations.
#pragma once
#include <cstdint>
#include "Game/AudioMixer.h"
#include "Game/Object.h"
#include "Game/ParallaxBackground.h"
#include "Game/Player.h"
#include "Game/SimpleAllocator.h"
#include "Graphics/RLEBitmap.h"

struct ResourceLoader;
struct ResourceBundle;

constexpr size_t MaximumNumberOfObjects = 1024;

struct Game
{
	ResourceLoader *loader;
	ResourceBundle *resources;  // head of the chain every lookup searches
	Player player;
	SimpleAllocator allocator;  // MaximumNumberOfObjects members of MaximumObjectSize
	uint32_t objectcounter;     // source of dogtags; never reset
	ObjectList controllers, enemies, enemybullets, playerbullets, items, decorations;
	ObjectList newdecorations;  // joins decorations once per frame
	ParallaxBackground background;
	AudioMixer audio;
	RLEBitmap **star, **warning;
	uint32_t xmask;  // world width in raw units, minus one: a power of two minus one
	int timer;       // frames since the process started; never reset
	int32_t x0, y0;  // world pixel of the screen's top-left corner
	int32_t viewx;   // fixed-point world x of the view's centre
	int score;
	alignas(16) uint8_t allocatorstorage[SimpleAllocatorStorageSize(MaximumObjectSize, MaximumNumberOfObjects)];
};

static_assert(sizeof(Game::allocatorstorage) == 264192, "2048 bytes of free stack, then the members");

extern Game game;

// The game logic (Game/Game.cpp).
bool InitializeGame();
// When a bundle the loader found no file for has one now (the browser's
// sound bundle arrives after start-up): the bundle batch again, which keeps
// the pictures in place, then the sounds and music. Otherwise nothing. Call
// it between frames.
void PickUpLateSounds();
void CleanupGame();
void StartGame();
void RunGame(bool left, bool right, bool up, bool down, bool fire, bool focus, bool bomb);
void DrawGame(Bitmap *screen);
bool IsGameOver();

static inline int ObjectLocalTime(Object *self) { return game.timer - self->birthtime; }

// a - b as the shortest signed distance around the world: within
// -(xmask+1)/2 + 1 .. +(xmask+1)/2, exactly half a world counting as ahead.
static inline int32_t XCoordDifference(int32_t a, int32_t b)
{
	uint32_t h = game.xmask >> 1;
	return (int32_t)((((uint32_t)a - (uint32_t)b + h) & game.xmask) - h);
}

static inline int32_t YCoordDifference(int32_t a, int32_t b) { return (int32_t)((uint32_t)a - (uint32_t)b); }

// Fixed-point x relative to the screen's left edge, within half a world of it.
static inline int WrappedXCoordForWorldCoord(int32_t worldx)
{
	return XCoordDifference(worldx, (int32_t)((uint32_t)game.x0 << 12));
}

static inline int WrappedYCoordForWorldCoord(int32_t worldy) { return worldy; }
static inline int ScreenXCoordForWorldCoord(int32_t worldx) { return FixedToInt(WrappedXCoordForWorldCoord(worldx)); }
static inline int ScreenYCoordForWorldCoord(int32_t worldy) { return FixedToInt(WrappedYCoordForWorldCoord(worldy)); }
