// The engine's hot paths, each beside a peer measured in the same run:
// RLE sprites against SDL 1.2's own RLE-accelerated colour-key blit, the
// doubling copy against memcpy and SDL_SoftStretch, the sorted collision
// sweep against testing every pair, and a crowded frame of the real game
// (the PNG loader and its inflate decoder are in png_bench.cpp). Run from the folder with the bundles
// (bench/run.sh does it and prints the ratios).
#include <benchmark/benchmark.h>
#include <SDL.h>
#include <cstring>
#include <fstream>
#include <vector>
#include "Game/Game.h"
#include "Game/Bullets.h"
#include "Game/Enemy.h"
#include "Graphics/Drawing.h"
#include "Platform/ResourceLoader.h"
#include "Platform/SDL/PixelDoubledScreen.h"

namespace {

ResourceBundle *Bundles()
{
	static ResourceLoader *loader = nullptr;
	if (!loader) {
		loader = AllocResourceLoader();
		StartRequestingResourceBundles(loader);
		for (const char *b : {"Graphics/Sprites", "Graphics/Backgrounds/NightSky"}) RequestResourceBundle(loader, b);
		EndRequestingResourceBundles(loader);
	}
	return ResourceBundleList(loader);
}

// The sheets the game draws most, and where each picture lands: inside the
// screen, or straddling its edges.
struct Placed
{
	RLEBitmap *image;
	int x, y;
};

std::vector<Placed> Sprites(bool clipped)
{
	std::vector<Placed> out;
	const char *sheets[] = {"Graphics/Sprites/Bullets", "Graphics/Sprites/Ectoplasm", "Graphics/Sprites/Orb",
		"Graphics/Sprites/Flame", "Graphics/Sprites/OL", "Graphics/Sprites/Splat"};
	int k = 0;
	for (const char *name : sheets) {
		RLEBitmap **f = (RLEBitmap **)DataForResourceWithName(Bundles(), name, nullptr);
		for (int i = 0; f && f[i]; i++, k++) {
			int x = clipped ? (k % 2 ? -f[i]->width / 2 : 320 - f[i]->width / 2) : 20 + (k * 37) % 260;
			int y = clipped ? (k % 3 ? -f[i]->height / 2 : 240 - f[i]->height / 2) : 10 + (k * 53) % 190;
			out.push_back({f[i], x, y});
		}
	}
	return out;
}

std::vector<Pixel> screenpixels(320 * 240);

void BM_DrawRLEBitmap(benchmark::State &state)
{
	std::vector<Placed> sprites = Sprites(state.range(0));
	Bitmap screen;
	InitializeBitmap(&screen, 320, 240, 1280, screenpixels.data());
	for (auto _ : state) {
		for (const Placed &p : sprites) DrawRLEBitmap(&screen, p.image, p.x, p.y);
		benchmark::ClobberMemory();
	}
	state.SetItemsProcessed(state.iterations() * sprites.size());
}

// The same pictures as SDL surfaces with a colour key and RLE acceleration.
void BM_SDLBlitSurface(benchmark::State &state)
{
	std::vector<Placed> sprites = Sprites(state.range(0));
	SDL_Surface *screen = SDL_CreateRGBSurfaceFrom(screenpixels.data(), 320, 240, 32, 1280, 0xFF0000, 0xFF00, 0xFF, 0);
	std::vector<SDL_Surface *> surfaces;
	std::vector<std::vector<Pixel>> storage;
	for (const Placed &p : sprites) {
		storage.emplace_back((size_t)p.image->width * p.image->height, 0xFF00FFu);
		Bitmap b;
		InitializeBitmap(&b, p.image->width, p.image->height, p.image->width * 4, storage.back().data());
		DrawRLEBitmap(&b, p.image, 0, 0);
		SDL_Surface *s = SDL_CreateRGBSurface(SDL_SWSURFACE, p.image->width, p.image->height, 32, 0xFF0000, 0xFF00, 0xFF, 0);
		for (int y = 0; y < p.image->height; y++)
			memcpy((uint8_t *)s->pixels + y * s->pitch, storage.back().data() + (size_t)y * p.image->width, p.image->width * 4);
		SDL_SetColorKey(s, SDL_SRCCOLORKEY | SDL_RLEACCEL, 0xFF00FF);
		surfaces.push_back(s);
	}
	for (auto _ : state) {
		for (size_t i = 0; i < sprites.size(); i++) {
			SDL_Rect r = {(Sint16)sprites[i].x, (Sint16)sprites[i].y, 0, 0};
			SDL_BlitSurface(surfaces[i], nullptr, screen, &r);
		}
		benchmark::ClobberMemory();
	}
	state.SetItemsProcessed(state.iterations() * sprites.size());
	for (SDL_Surface *s : surfaces) SDL_FreeSurface(s);
	SDL_FreeSurface(screen);
}

std::vector<Pixel> windowpixels(640 * 480);

void BM_CopyDoubledPixels(benchmark::State &state)
{
	Bitmap src, dest;
	InitializeBitmap(&src, 320, 240, 1280, screenpixels.data());
	InitializeBitmap(&dest, 640, 480, 2560, windowpixels.data());
	for (auto _ : state) {
		CopyDoubledPixels(&dest, &src);
		benchmark::ClobberMemory();
	}
	state.SetBytesProcessed(state.iterations() * 1228800);
}

void BM_Memcpy1228800(benchmark::State &state)
{
	std::vector<Pixel> from(640 * 480, 7);
	for (auto _ : state) {
		memcpy(windowpixels.data(), from.data(), 1228800);
		benchmark::ClobberMemory();
	}
	state.SetBytesProcessed(state.iterations() * 1228800);
}

void BM_SDLSoftStretch(benchmark::State &state)
{
	SDL_Surface *src = SDL_CreateRGBSurfaceFrom(screenpixels.data(), 320, 240, 32, 1280, 0xFF0000, 0xFF00, 0xFF, 0);
	SDL_Surface *dest = SDL_CreateRGBSurfaceFrom(windowpixels.data(), 640, 480, 32, 2560, 0xFF0000, 0xFF00, 0xFF, 0);
	for (auto _ : state) {
		SDL_SoftStretch(src, nullptr, dest, nullptr);
		benchmark::ClobberMemory();
	}
	state.SetBytesProcessed(state.iterations() * 1228800);
	SDL_FreeSurface(src);
	SDL_FreeSurface(dest);
}

// n bullets against n enemies spread over the screen, sorted by their tops.
// They live outside the pool, which holds fewer than 2 x 1024 objects.
std::vector<Object> collisionobjects;

void FillCollisionLists(int n)
{
	game.xmask = 0x7fffff;
	collisionobjects.assign(2 * (size_t)n, Object{});
	InitializeObjectList(&game.enemies);
	InitializeObjectList(&game.enemybullets);
	uint32_t r = 12345;
	auto next = [&r]() { return r = r * 1103515245u + 12345u; };
	for (int i = 0; i < 2 * n; i++) {
		Object *o = &collisionobjects[i];
		SetObjectPosition(o, (int32_t)(next() % 320) << 12, (int32_t)(next() % 240) << 12);
		SetObjectHitRadius(o, (i < n ? 4 : 2) << 12);
		AddObjectToList(i < n ? &game.enemies : &game.enemybullets, o);
	}
	CalculateExtentsForObjectList(&game.enemies);
	CalculateExtentsForObjectList(&game.enemybullets);
	QSortObjectList(&game.enemies);
	QSortObjectList(&game.enemybullets);
}

int touching;
bool CountTouch(Object *, Object *)
{
	touching++;
	return true;
}

void BM_CollisionSweep(benchmark::State &state)
{
	FillCollisionLists((int)state.range(0));
	for (auto _ : state) {
		touching = 0;
		CollideSortedObjectListsWithCallback(&game.enemies, &game.enemybullets, CountTouch);
		benchmark::DoNotOptimize(touching);
	}
	state.counters["touching"] = touching;
}

void BM_CollisionBruteForce(benchmark::State &state)
{
	FillCollisionLists((int)state.range(0));
	for (auto _ : state) {
		touching = 0;
		for (Object *a = game.enemies.first; a; a = a->next)
			for (Object *b = game.enemybullets.first; b; b = b->next)
				if (a->minx <= b->maxx && b->minx <= a->maxx && a->miny <= b->maxy && b->miny <= a->maxy) touching++;
		benchmark::DoNotOptimize(touching);
	}
	state.counters["touching"] = touching;
}

// A frame of the real game with the pool nearly full: the world run, drawn
// and doubled, as a fraction of the 16.67 ms a frame may take.
void BM_CrowdedFrame(benchmark::State &state)
{
	static bool loaded = false;
	if (!loaded) {
		SDL_Init(SDL_INIT_AUDIO);
		InitializeGame();
		loaded = true;
	}
	StartGame();
	for (int i = 0; i < 200; i++) NewOrb((int32_t)((20 + i % 280) << 12), (int32_t)((60 + i % 170) << 12), i & 1);
	Bitmap screen, window;
	InitializeBitmap(&screen, 320, 240, 1280, screenpixels.data());
	InitializeBitmap(&window, 640, 480, 2560, windowpixels.data());
	int i = 0;
	double objects = 0;
	for (auto _ : state) {
		// bullets leave the screen and orbs burst: new ones keep the pool
		// near full, as a wave of enemies firing would
		for (; game.allocator.nummembers < 1000; i++)
			NewSimpleBulletAtAngle((int32_t)((i * 7 % 320) << 12), (int32_t)((i * 13 % 240) << 12), 1 << 12,
				(i * 37) & 4095, 600, i % 13, i % 3);
		objects += game.allocator.nummembers;
		RunGame(false, false, false, false, true, false, false);
		DrawGame(&screen);
		CopyDoubledPixels(&window, &screen);
	}
	state.counters["objects"] = objects / (double)state.iterations();
}

}  // namespace

BENCHMARK(BM_DrawRLEBitmap)->Arg(0)->Arg(1);
BENCHMARK(BM_SDLBlitSurface)->Arg(0)->Arg(1);
BENCHMARK(BM_CopyDoubledPixels);
BENCHMARK(BM_Memcpy1228800);
BENCHMARK(BM_SDLSoftStretch);
BENCHMARK(BM_CollisionSweep)->Arg(64)->Arg(256)->Arg(1024);
BENCHMARK(BM_CollisionBruteForce)->Arg(64)->Arg(256)->Arg(1024);
BENCHMARK(BM_CrowdedFrame);
BENCHMARK_MAIN();
