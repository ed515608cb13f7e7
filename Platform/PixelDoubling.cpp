// The doubling copy of the drawing bitmap into the window's pixels, apart
// from the SDL window so that every platform's screen shares it.
#include "Platform/PixelDoubling.h"
#include <cstring>
#include <utility>
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

// Each row scaler writes every pixel of in scale times over into each of the
// scale rows out[0] .. out[scale - 1]. The portable one spells out the first
// row and copies it to the others; the vector ones form each output vector
// with a shuffle (SSE2) or a permute (AVX2) and store it, row after row, as
// many stores as memcpy of the output makes.
typedef void (*ScaleRowFunction)(uint8_t *const *out, const Pixel *in, int width, int scale);

static void ScaleRowPortable(uint8_t *const *out, const Pixel *in, int width, int scale)
{
	size_t bytes = (size_t)width * scale * 4;
	uint8_t *first = out[0];
	for (int x = 0; x < width; x++)
		for (int i = 0; i < scale; i++) memcpy(first + 4 * ((size_t)scale * x + i), &in[x], 4);
	for (int r = 1; r < scale; r++) memcpy(out[r], first, bytes);
}

#if defined(__x86_64__)
// SSE2 shuffles take their lane order as a constant: the one of output
// vector j of each 4 source pixels, which takes pixels (4j + i) / scale.
template <int scale, int j>
constexpr int scaleshuffle =
	(4 * j) / scale | (4 * j + 1) / scale << 2 | (4 * j + 2) / scale << 4 | (4 * j + 3) / scale << 6;

template <int scale, int... j>
__attribute__((target("sse2"))) static inline void StoreScaledSSE2(uint8_t *at, __m128i v, std::integer_sequence<int, j...>)
{
	// the lane order in parentheses: unoptimised, the shuffle is a macro
	(_mm_storeu_si128((__m128i *)(at + 16 * j), _mm_shuffle_epi32(v, (scaleshuffle<scale, j>))), ...);
}

// One function for each scale, so that the loops over a block's vectors unroll.
template <int scale>
__attribute__((target("sse2"))) static void ScaleRowSSE2(uint8_t *const *out, const Pixel *in, int width, int)
{
	int whole = width & ~3;
	for (int r = 0; r < scale; r++) {
		uint8_t *row = out[r];
		for (int x = 0; x < whole; x += 4)
			StoreScaledSSE2<scale>(row + 4 * (size_t)scale * x, _mm_loadu_si128((const __m128i *)(in + x)),
				std::make_integer_sequence<int, scale>());
	}
	if (whole == width) return;
	uint8_t *rest[MaximumScale];
	for (int r = 0; r < scale; r++) rest[r] = out[r] + 4 * (size_t)scale * whole;
	ScaleRowPortable(rest, in + whole, width - whole, scale);
}

template <int scale>
__attribute__((target("avx2"))) static void ScaleRowAVX2(uint8_t *const *out, const Pixel *in, int width, int)
{
	// output vector j of each 8 source pixels takes pixels (8j + i) / scale
	__m256i index[scale];
	for (int j = 0; j < scale; j++)
		index[j] = _mm256_setr_epi32((8 * j) / scale, (8 * j + 1) / scale, (8 * j + 2) / scale, (8 * j + 3) / scale,
			(8 * j + 4) / scale, (8 * j + 5) / scale, (8 * j + 6) / scale, (8 * j + 7) / scale);
	int whole = width & ~7;
	// row by row, each written from start to end as memcpy writes
	for (int r = 0; r < scale; r++) {
		uint8_t *row = out[r];
		for (int x = 0; x < whole; x += 8) {
			__m256i v = _mm256_loadu_si256((const __m256i *)(in + x));
			for (int j = 0; j < scale; j++)
				_mm256_storeu_si256((__m256i *)(row + 4 * (size_t)scale * x + 32 * j), _mm256_permutevar8x32_epi32(v, index[j]));
		}
	}
	if (whole == width) return;
	uint8_t *rest[MaximumScale];
	for (int r = 0; r < scale; r++) rest[r] = out[r] + 4 * (size_t)scale * whole;
	ScaleRowPortable(rest, in + whole, width - whole, scale);
}
#endif

static ScaleRowFunction RowScaler(DoublingPath path, int scale)
{
#if defined(__x86_64__)
	static const ScaleRowFunction avx2[MaximumScale + 1] = {nullptr, nullptr, nullptr, ScaleRowAVX2<3>, ScaleRowAVX2<4>,
		ScaleRowAVX2<5>, ScaleRowAVX2<6>, ScaleRowAVX2<7>, ScaleRowAVX2<8>, ScaleRowAVX2<9>};
	static const ScaleRowFunction sse2[MaximumScale + 1] = {nullptr, nullptr, nullptr, ScaleRowSSE2<3>, ScaleRowSSE2<4>,
		ScaleRowSSE2<5>, ScaleRowSSE2<6>, ScaleRowSSE2<7>, ScaleRowSSE2<8>, ScaleRowSSE2<9>};
	if (path == DoublingAVX2) return avx2[scale];
	if (path == DoublingSSE2) return sse2[scale];
#else
	(void)path;
	(void)scale;
#endif
	return ScaleRowPortable;
}

void CopyScaledPixelsUsing(Bitmap *dest, Bitmap *src, int scale, DoublingPath path)
{
	if (scale == 2) return CopyDoubledPixelsUsing(dest, src, path);
	if (scale < 2 || scale > MaximumScale) return;
	int width = src->width, height = src->height;
	if (scale * width > dest->width || scale * height > dest->height) return;
	ScaleRowFunction scalerow = RowScaler(path, scale);
	uint8_t *rows[MaximumScale];
	for (int y = 0; y < height; y++) {
		for (int r = 0; r < scale; r++) rows[r] = (uint8_t *)BitmapRowPointer(dest, scale * y + r);
		scalerow(rows, BitmapRowPointer(src, y), width, scale);
	}
}

void CopyScaledPixels(Bitmap *dest, Bitmap *src, int scale)
{
	static const DoublingPath best = IsDoublingPathAvailable(DoublingAVX2) ? DoublingAVX2
		: IsDoublingPathAvailable(DoublingSSE2) ? DoublingSSE2 : DoublingPortable;
	if (scale == 2) return CopyDoubledPixels(dest, src);
	CopyScaledPixelsUsing(dest, src, scale, best);
}

int LargestScaleThatFits(int screenwidth, int screenheight, int width, int height)
{
	if (width <= 0 || height <= 0 || screenwidth <= 0 || screenheight <= 0) return 0;
	int scale = screenwidth / width < screenheight / height ? screenwidth / width : screenheight / height;
	return scale < MaximumScale ? scale : MaximumScale;
}
