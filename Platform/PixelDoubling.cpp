// The doubling copy of the drawing bitmap into the window's pixels, apart
// from the SDL window so that every platform's screen shares it.
#include "Platform/PixelDoubling.h"
#include <cstring>
#if defined(__x86_64__)
#include <immintrin.h>
#endif
#if defined(__wasm_simd128__)
#include <wasm_simd128.h>
#endif

// Each row doubler writes every pixel of in twice into out0 and into out1.
// The portable one stores each doubled pair as one 64-bit word; the vector
// ones form the pairs with an unpack (SSE2), a shuffle (wasm SIMD) or a
// permute (AVX2) and store whole vectors, a quarter or an eighth of the stores.
typedef void (*DoubleRowFunction)(uint8_t *out0, uint8_t *out1, const Pixel *in, int width);

static void DoubleRowPortable(uint8_t *out0, uint8_t *out1, const Pixel *in, int width)
{
	for (int x = 0; x < width; x++) {
		uint64_t pair = (uint64_t)in[x] * 0x100000001u;
		// memcpy: one 64-bit store each, at any pitch, without aliasing
		// the surface's 32-bit pixels through a 64-bit pointer
		memcpy(out0 + 8 * x, &pair, 8);
		memcpy(out1 + 8 * x, &pair, 8);
	}
}

#if defined(__x86_64__)
__attribute__((target("sse2"))) static void DoubleRowSSE2(uint8_t *out0, uint8_t *out1, const Pixel *in, int width)
{
	int x = 0;
	for (; x + 4 <= width; x += 4) {
		__m128i v = _mm_loadu_si128((const __m128i *)(in + x));
		__m128i a = _mm_unpacklo_epi32(v, v), b = _mm_unpackhi_epi32(v, v);
		_mm_storeu_si128((__m128i *)(out0 + 8 * x), a);
		_mm_storeu_si128((__m128i *)(out0 + 8 * x + 16), b);
		_mm_storeu_si128((__m128i *)(out1 + 8 * x), a);
		_mm_storeu_si128((__m128i *)(out1 + 8 * x + 16), b);
	}
	DoubleRowPortable(out0 + 8 * x, out1 + 8 * x, in + x, width - x);
}

__attribute__((target("avx2"))) static void DoubleRowAVX2(uint8_t *out0, uint8_t *out1, const Pixel *in, int width)
{
	const __m256i low = _mm256_setr_epi32(0, 0, 1, 1, 2, 2, 3, 3), high = _mm256_setr_epi32(4, 4, 5, 5, 6, 6, 7, 7);
	int x = 0;
	for (; x + 8 <= width; x += 8) {
		__m256i v = _mm256_loadu_si256((const __m256i *)(in + x));
		__m256i a = _mm256_permutevar8x32_epi32(v, low), b = _mm256_permutevar8x32_epi32(v, high);
		_mm256_storeu_si256((__m256i *)(out0 + 8 * x), a);
		_mm256_storeu_si256((__m256i *)(out0 + 8 * x + 32), b);
		_mm256_storeu_si256((__m256i *)(out1 + 8 * x), a);
		_mm256_storeu_si256((__m256i *)(out1 + 8 * x + 32), b);
	}
	DoubleRowSSE2(out0 + 8 * x, out1 + 8 * x, in + x, width - x);
}
#endif

#if defined(__wasm_simd128__)
static void DoubleRowSIMD128(uint8_t *out0, uint8_t *out1, const Pixel *in, int width)
{
	int x = 0;
	for (; x + 4 <= width; x += 4) {
		v128_t v = wasm_v128_load(in + x);
		v128_t a = wasm_i32x4_shuffle(v, v, 0, 0, 1, 1), b = wasm_i32x4_shuffle(v, v, 2, 2, 3, 3);
		wasm_v128_store(out0 + 8 * x, a);
		wasm_v128_store(out0 + 8 * x + 16, b);
		wasm_v128_store(out1 + 8 * x, a);
		wasm_v128_store(out1 + 8 * x + 16, b);
	}
	DoubleRowPortable(out0 + 8 * x, out1 + 8 * x, in + x, width - x);
}
#endif

bool IsDoublingPathAvailable(DoublingPath path)
{
#if defined(__wasm_simd128__)
	if (path == DoublingSIMD128) return true;  // the build asked for it
#endif
#if defined(__x86_64__)
	if (path == DoublingAVX2) return __builtin_cpu_supports("avx2");
	if (path == DoublingSSE2) return true;  // part of every x86-64 CPU
#endif
	return path == DoublingPortable;
}

static DoubleRowFunction RowDoubler(DoublingPath path)
{
#if defined(__x86_64__)
	if (path == DoublingAVX2) return DoubleRowAVX2;
	if (path == DoublingSSE2) return DoubleRowSSE2;
#elif defined(__wasm_simd128__)
	if (path == DoublingSIMD128) return DoubleRowSIMD128;
#else
	(void)path;  // one path only elsewhere
#endif
	return DoubleRowPortable;
}

void CopyDoubledPixelsUsing(Bitmap *dest, Bitmap *src, DoublingPath path)
{
	DoubleRowFunction doublerow = RowDoubler(path);
	// held in locals: the stores could otherwise alias the records
	int width = src->width, height = src->height;
	if (2 * width > dest->width || 2 * height > dest->height) return;
	for (int y = 0; y < height; y++) {
		doublerow((uint8_t *)BitmapRowPointer(dest, 2 * y), (uint8_t *)BitmapRowPointer(dest, 2 * y + 1),
			BitmapRowPointer(src, y), width);
	}
}

void CopyDoubledPixels(Bitmap *dest, Bitmap *src)
{
	// the CPU is asked once; the answer holds for the whole run
	static const DoublingPath best = IsDoublingPathAvailable(DoublingAVX2) ? DoublingAVX2
		: IsDoublingPathAvailable(DoublingSSE2) ? DoublingSSE2
		: IsDoublingPathAvailable(DoublingSIMD128) ? DoublingSIMD128 : DoublingPortable;
	CopyDoubledPixelsUsing(dest, src, best);
}
