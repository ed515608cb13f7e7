// CopyDoubledPixels over a whole frame: 320x240 into a 640x480 surface, at
// the plain pitch and at a padded one.
#include <benchmark/benchmark.h>
#include <vector>
#include "Platform/PixelDoubling.h"

static void BM_CopyDoubledPixels(benchmark::State &state)
{
	int pitch = (int)state.range(0);
	std::vector<Pixel> small(320 * 240), window((size_t)pitch / 4 * 480);
	for (size_t i = 0; i < small.size(); i++) small[i] = 0xFF000000u | (uint32_t)(i * 2654435761u >> 8);
	Bitmap src, dest;
	InitializeBitmap(&src, 320, 240, 1280, small.data());
	InitializeBitmap(&dest, 640, 480, pitch, window.data());
	for (auto _ : state) {
		CopyDoubledPixels(&dest, &src);
		benchmark::DoNotOptimize(window.data());
		benchmark::ClobberMemory();
	}
	state.SetBytesProcessed(state.iterations() * 640 * 480 * 4);
}
BENCHMARK(BM_CopyDoubledPixels)->Arg(2560)->Arg(2816);
