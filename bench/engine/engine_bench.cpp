// The engine's hot paths, each beside a peer measured in the same run:
// RLE sprites against SDL 1.2's own RLE-accelerated colour-key blit, the
// doubling copy against memcpy and SDL_SoftStretch, the full screen's scaled
// copy against memcpy, the sorted collision
// sweep against testing every pair, and a crowded frame of the real game
// (the PNG loader and its inflate decoder are in png_bench.cpp). Run from the folder with the bundles
// (bench/run.sh does it and prints the ratios).
#include <benchmark/benchmark.h>
#include <SDL.h>
#include <algorithm>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>
#include "CrowdedFrame.h"
#include "Game/Game.h"
#include "Graphics/Drawing.h"
#include "Platform/ResourceLoader.h"
#include "Platform/PixelDoubledScreen.h"
#include "Platform/PixelDoubling.h"
#if defined(__x86_64__)
#include <immintrin.h>
#endif

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

// Every frame of every sheet in Sprites.laser, and where each lands: inside
// the screen, or straddling its edges.
struct Placed
{
	RLEBitmap *image;
	int x, y;
};

std::vector<Placed> Sprites(bool clipped)
{
	std::vector<Placed> out;
	int k = 0;
	for (ResourceBundle *b = Bundles(); b; b = b->head.next) {
		if (strcmp(b->name, "Graphics/Sprites") != 0) continue;
		for (uint32_t e = 0; e < b->numentries; e++) {
			ResourceBundleEntry *entry = &ResourceBundleEntries(b)[e];
			if (entry->type != 'R') continue;
			std::string name = std::string("Graphics/Sprites/") + std::string(entry->name, strnlen(entry->name, 32));
			RLEBitmap **f = (RLEBitmap **)DataForResourceWithName(Bundles(), name.c_str(), nullptr);
			for (int i = 0; f && f[i]; i++, k++) {
				int x = clipped ? (k % 2 ? -f[i]->width / 2 : 320 - f[i]->width / 2) : 20 + (k * 37) % 260;
				int y = clipped ? (k % 3 ? -f[i]->height / 2 : 240 - f[i]->height / 2) : 10 + (k * 53) % 190;
				out.push_back({f[i], x, y});
			}
		}
	}
	return out;
}

std::vector<Pixel> screenpixels(320 * 240);

// The background every contender draws onto before the bytes are compared.
void ClearScreen(std::vector<Pixel> &pixels)
{
	for (size_t i = 0; i < pixels.size(); i++) pixels[i] = 0xFF000000u | (Pixel)(i * 2654435761u >> 8);
}

// What the composite kind must leave: every stored pixel put through the
// mode one at a time, as the engine's per-pixel operations do it.
void CompositeReference(Bitmap *screen, RLEBitmap *image, int x, int y, CompositionMode mode)
{
	const Pixel *p = RLEBitmapRows(image);
	for (int r = 0; r < image->height; r++)
		for (int pos = 0; pos < image->width;) {
			Pixel span = *p++;
			pos += EmptySpanLength(span);
			for (int i = 0; i < FilledSpanLength(span); i++, pos++) CompositePixel(screen, x + pos, y + r, *p++, mode);
		}
}

// The frame every RLE contender must leave: each stored pixel written where
// it lands, or put through the mode when compositing.
std::vector<Pixel> ExpectedSprites(const std::vector<Placed> &sprites, CompositionMode mode)
{
	std::vector<Pixel> pixels(320 * 240);
	ClearScreen(pixels);
	Bitmap screen;
	InitializeBitmap(&screen, 320, 240, 1280, pixels.data());
	for (const Placed &p : sprites) CompositeReference(&screen, p.image, p.x, p.y, mode);
	return pixels;
}

// Draws every sprite once and checks the frame before it measures.
template <typename DrawFunction>
void BenchmarkSprites(benchmark::State &state, const std::vector<Placed> &sprites, CompositionMode mode, DrawFunction draw)
{
	if (sprites.size() < 200) return state.SkipWithError("Sprites.laser is missing or has too few frames");
	Bitmap screen;
	InitializeBitmap(&screen, 320, 240, 1280, screenpixels.data());
	ClearScreen(screenpixels);
	for (size_t i = 0; i < sprites.size(); i++) draw(&screen, i);
	if (screenpixels != ExpectedSprites(sprites, mode)) return state.SkipWithError("wrong pixels drawn");
	for (auto _ : state) {
		for (size_t i = 0; i < sprites.size(); i++) draw(&screen, i);
		benchmark::ClobberMemory();
	}
	state.SetItemsProcessed(state.iterations() * sprites.size());
}

void BM_DrawRLEBitmap(benchmark::State &state)
{
	std::vector<Placed> sprites = Sprites(state.range(0));
	BenchmarkSprites(state, sprites, DummyCompositionMode, [&](Bitmap *screen, size_t i) {
		DrawRLEBitmap(screen, sprites[i].image, sprites[i].x, sprites[i].y);
	});
}

// With the blinking player's mode, the one the game composites with.
void BM_CompositeRLEBitmap(benchmark::State &state)
{
	std::vector<Placed> sprites = Sprites(state.range(0));
	BenchmarkSprites(state, sprites, FastHalfTransparentCompositionMode, [&](Bitmap *screen, size_t i) {
		CompositeRLEBitmap(screen, sprites[i].image, sprites[i].x, sprites[i].y, FastHalfTransparentCompositionMode);
	});
}

// The same pictures as SDL surfaces with a colour key and RLE acceleration.
void BM_SDLBlitSurface(benchmark::State &state)
{
	const Pixel key = 0xFF00FF;
	std::vector<Placed> sprites = Sprites(state.range(0));
	std::vector<SDL_Surface *> surfaces;
	for (const Placed &p : sprites) {
		int w = p.image->width, h = p.image->height;
		SDL_Surface *s = SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, 32, 0xFF0000, 0xFF00, 0xFF, 0);
		Bitmap b;
		InitializeBitmap(&b, w, h, s->pitch, (Pixel *)s->pixels);
		FillBitmap(&b, key);
		DrawRLEBitmap(&b, p.image, 0, 0);
		SDL_SetColorKey(s, SDL_SRCCOLORKEY | SDL_RLEACCEL, key);
		surfaces.push_back(s);
	}
	SDL_Surface *screen = SDL_CreateRGBSurfaceFrom(screenpixels.data(), 320, 240, 32, 1280, 0xFF0000, 0xFF00, 0xFF, 0);
	BenchmarkSprites(state, sprites, DummyCompositionMode, [&](Bitmap *, size_t i) {
		SDL_Rect r = {(Sint16)sprites[i].x, (Sint16)sprites[i].y, 0, 0};
		SDL_BlitSurface(surfaces[i], nullptr, screen, &r);
	});
	for (SDL_Surface *s : surfaces) SDL_FreeSurface(s);
	SDL_FreeSurface(screen);
}

// The doubling copy against the hand-written SIMD loops a programmer would
// write for it (one permute or unpack per stored vector, ordinary stores),
// against memcpy of its output and against SDL stretching the frame.
std::vector<Pixel> windowpixels(640 * 480);

#if defined(__x86_64__)
__attribute__((target("avx2"))) void DoubleAVX2(Bitmap *dest, Bitmap *src)
{
	const __m256i low = _mm256_setr_epi32(0, 0, 1, 1, 2, 2, 3, 3), high = _mm256_setr_epi32(4, 4, 5, 5, 6, 6, 7, 7);
	for (int y = 0; y < src->height; y++) {
		const Pixel *in = BitmapRowPointer(src, y);
		Pixel *out0 = BitmapRowPointer(dest, 2 * y), *out1 = BitmapRowPointer(dest, 2 * y + 1);
		for (int x = 0; x < src->width; x += 8) {
			__m256i v = _mm256_loadu_si256((const __m256i *)(in + x));
			__m256i a = _mm256_permutevar8x32_epi32(v, low), b = _mm256_permutevar8x32_epi32(v, high);
			_mm256_storeu_si256((__m256i *)(out0 + 2 * x), a);
			_mm256_storeu_si256((__m256i *)(out0 + 2 * x + 8), b);
			_mm256_storeu_si256((__m256i *)(out1 + 2 * x), a);
			_mm256_storeu_si256((__m256i *)(out1 + 2 * x + 8), b);
		}
	}
}

void DoubleSSE2(Bitmap *dest, Bitmap *src)
{
	for (int y = 0; y < src->height; y++) {
		const Pixel *in = BitmapRowPointer(src, y);
		Pixel *out0 = BitmapRowPointer(dest, 2 * y), *out1 = BitmapRowPointer(dest, 2 * y + 1);
		for (int x = 0; x < src->width; x += 4) {
			__m128i v = _mm_loadu_si128((const __m128i *)(in + x));
			__m128i a = _mm_unpacklo_epi32(v, v), b = _mm_unpackhi_epi32(v, v);
			_mm_storeu_si128((__m128i *)(out0 + 2 * x), a);
			_mm_storeu_si128((__m128i *)(out0 + 2 * x + 4), b);
			_mm_storeu_si128((__m128i *)(out1 + 2 * x), a);
			_mm_storeu_si128((__m128i *)(out1 + 2 * x + 4), b);
		}
	}
}
#endif

// The one frame every doubling contender must leave in the window.
std::vector<Pixel> DoubledFrame()
{
	std::vector<Pixel> window(640 * 480);
	for (int y = 0; y < 480; y++)
		for (int x = 0; x < 640; x++) window[(size_t)y * 640 + x] = screenpixels[(size_t)(y / 2) * 320 + x / 2];
	return window;
}

template <typename CopyFunction>
void BenchmarkDoubling(benchmark::State &state, CopyFunction copy)
{
	ClearScreen(screenpixels);
	std::fill(windowpixels.begin(), windowpixels.end(), 0);
	Bitmap src, dest;
	InitializeBitmap(&src, 320, 240, 1280, screenpixels.data());
	InitializeBitmap(&dest, 640, 480, 2560, windowpixels.data());
	copy(&dest, &src);
	if (windowpixels != DoubledFrame()) return state.SkipWithError("wrong pixels in the window");
	for (auto _ : state) {
		copy(&dest, &src);
		benchmark::ClobberMemory();
	}
	state.SetBytesProcessed(state.iterations() * 1228800);
}

void BM_CopyDoubledPixels(benchmark::State &state)
{
	BenchmarkDoubling(state, CopyDoubledPixels);
}

#if defined(__x86_64__)
void BM_DoubleAVX2(benchmark::State &state)
{
	if (!__builtin_cpu_supports("avx2")) return state.SkipWithError("skipped: this CPU has no AVX2");
	BenchmarkDoubling(state, DoubleAVX2);
}

void BM_DoubleSSE2(benchmark::State &state)
{
	BenchmarkDoubling(state, DoubleSSE2);
}
#endif

// memcpy of the finished frame: the bytes the doubling writes, moved with no
// work on them (it reads four times what the doubling reads).
void BM_Memcpy1228800(benchmark::State &state)
{
	ClearScreen(screenpixels);
	std::vector<Pixel> from = DoubledFrame();
	BenchmarkDoubling(state, [&](Bitmap *dest, Bitmap *) { memcpy(dest->pixels, from.data(), 1228800); });
}

void BM_SDLSoftStretch(benchmark::State &state)
{
	SDL_Surface *src = SDL_CreateRGBSurfaceFrom(screenpixels.data(), 320, 240, 32, 1280, 0xFF0000, 0xFF00, 0xFF, 0);
	SDL_Surface *dest = SDL_CreateRGBSurfaceFrom(windowpixels.data(), 640, 480, 32, 2560, 0xFF0000, 0xFF00, 0xFF, 0);
	BenchmarkDoubling(state, [&](Bitmap *, Bitmap *) { SDL_SoftStretch(src, nullptr, dest, nullptr); });
	SDL_FreeSurface(src);
	SDL_FreeSurface(dest);
}

// The full screen's copy at every whole scale from 2 to 9, through the best
// path, SSE2 and the portable one, against memcpy of the same output bytes.
std::vector<Pixel> scaledpixels;

// What the scaled copy must leave, worked out pixel by pixel.
std::vector<Pixel> ScaledFrame(int scale)
{
	size_t width = 320 * (size_t)scale, height = 240 * (size_t)scale;
	std::vector<Pixel> frame(width * height);
	for (size_t y = 0; y < height; y++)
		for (size_t x = 0; x < width; x++) frame[y * width + x] = screenpixels[y / scale * 320 + x / scale];
	return frame;
}

template <typename CopyFunction>
void BenchmarkScaling(benchmark::State &state, CopyFunction copy)
{
	int scale = (int)state.range(0);
	ClearScreen(screenpixels);
	std::vector<Pixel> want = ScaledFrame(scale);
	scaledpixels.assign(want.size(), 0);
	Bitmap src, dest;
	InitializeBitmap(&src, 320, 240, 1280, screenpixels.data());
	InitializeBitmap(&dest, (int16_t)(320 * scale), (int16_t)(240 * scale), 1280 * scale, scaledpixels.data());
	copy(&dest, &src, want);
	if (scaledpixels != want) return state.SkipWithError("wrong pixels on the screen");
	for (auto _ : state) {
		copy(&dest, &src, want);
		benchmark::ClobberMemory();
	}
	state.SetBytesProcessed(state.iterations() * (int64_t)(want.size() * 4));
}

// The second argument: 0 the path CopyScaledPixels picks, 1 SSE2, 2 portable.
void BM_CopyScaledPixels(benchmark::State &state)
{
	int scale = (int)state.range(0), which = (int)state.range(1);
	DoublingPath path = which == 1 ? DoublingSSE2 : DoublingPortable;
	if (which && !IsDoublingPathAvailable(path)) return state.SkipWithError("skipped: this CPU has no SSE2");
	BenchmarkScaling(state, [&](Bitmap *dest, Bitmap *src, const std::vector<Pixel> &) {
		if (which) CopyScaledPixelsUsing(dest, src, scale, path);
		else CopyScaledPixels(dest, src, scale);
	});
}

void BM_MemcpyScaled(benchmark::State &state)
{
	BenchmarkScaling(state, [&](Bitmap *dest, Bitmap *, const std::vector<Pixel> &from) {
		memcpy(dest->pixels, from.data(), from.size() * 4);
	});
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
	StartCrowdedFrames();
	Bitmap screen, window;
	InitializeBitmap(&screen, 320, 240, 1280, screenpixels.data());
	InitializeBitmap(&window, 640, 480, 2560, windowpixels.data());
	int i = 0;
	double objects = 0;
	for (auto _ : state) {
		RunCrowdedFrame(&screen, &window, &i);
		objects += game.allocator.nummembers;
	}
	state.counters["objects"] = objects / (double)state.iterations();
}

}  // namespace

BENCHMARK(BM_DrawRLEBitmap)->Arg(0)->Arg(1);
BENCHMARK(BM_CompositeRLEBitmap)->Arg(0)->Arg(1);
BENCHMARK(BM_SDLBlitSurface)->Arg(0)->Arg(1);
BENCHMARK(BM_CopyDoubledPixels);
#if defined(__x86_64__)
BENCHMARK(BM_DoubleAVX2);
BENCHMARK(BM_DoubleSSE2);
#endif
BENCHMARK(BM_Memcpy1228800);
BENCHMARK(BM_SDLSoftStretch);
BENCHMARK(BM_CopyScaledPixels)->ArgsProduct({benchmark::CreateDenseRange(2, 9, 1), {0, 1, 2}});
BENCHMARK(BM_MemcpyScaled)->DenseRange(2, 9);
BENCHMARK(BM_CollisionSweep)->Arg(64)->Arg(256)->Arg(1024);
BENCHMARK(BM_CollisionBruteForce)->Arg(64)->Arg(256)->Arg(1024);
BENCHMARK(BM_CrowdedFrame);
BENCHMARK_MAIN();
