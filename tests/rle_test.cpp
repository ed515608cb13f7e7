// RLE images: the encoder against the format's examples and a decoder of its own, and every
// drawing form against a per-pixel model on a guard-framed bitmap, at places straddling every edge.
#include <gtest/gtest.h>
#include <random>
#include <vector>
#include "Graphics/Drawing.h"
#include "GuardedBitmap.h"

// An encoded image; one spare word after the encoder's size shows an overrun.
static std::vector<Pixel> Encode(Bitmap *b, int x0, int y0, int w, int h)
{
	size_t size = SizeOfRLEBitmapFromPartialBitmap(b, x0, y0, w, h);
	std::vector<Pixel> words(size / 4 + 1, 0xCCCCCCCCu);
	InitializeRLEBitmapFromPartialBitmap((RLEBitmap *)words.data(), b, x0, y0, w, h);
	EXPECT_EQ(words.back(), 0xCCCCCCCCu) << "encoder wrote past its size";
	words.pop_back();
	return words;
}

const Pixel A = 0xFF112233u, B = 0x80445566u, T = 0x7FFFFFFFu;

TEST(RLEEncoder, RowsEncodeAsTheFormatShows)
{
	std::vector<Pixel> opaque(10, A), onerun{10, 1, 0x0000000Au};
	onerun.insert(onerun.end(), opaque.begin(), opaque.end());
	struct { std::vector<Pixel> row, words; } cases[] = {
		{std::vector<Pixel>(10, 0), {10, 1, 0x000A0000u}},
		{opaque, onerun},
		{{T, 0, A, B, 0}, {5, 1, 0x00020002u, A, B, 0x00010000u}},
	};
	for (auto &c : cases) {
		Bitmap b;
		InitializeBitmap(&b, (int)c.row.size(), 1, (int)c.row.size() * 4, c.row.data());
		EXPECT_EQ(Encode(&b, 0, 0, (int)c.row.size(), 1), c.words);
	}
	std::vector<Pixel> px(16, A);
	Bitmap b;
	InitializeBitmap(&b, 4, 4, 16, px.data());
	// far past the right edge: the empty run is split at 65535
	EXPECT_EQ(Encode(&b, 4, 0, 70000, 1), (std::vector<Pixel>{70000, 1, 0xFFFF0000u, 0x11710000u}));
	EXPECT_EQ(Encode(&b, -2, 3, 4, 1), (std::vector<Pixel>{4, 1, 0x00020002u, A, A}));
	EXPECT_EQ(Encode(&b, 0, 0, 0, 4), (std::vector<Pixel>{0, 4}));
	EXPECT_EQ(Encode(&b, 0, 0, 4, 0), (std::vector<Pixel>{4, 0}));
}

static std::vector<Pixel> RandomPixels(std::mt19937 &rng, size_t n, unsigned density)
{
	std::vector<Pixel> px(n + 1);
	for (Pixel &p : px) p = (rng() % 4 < density ? 0x80000000u : 0) | (rng() & 0x7FFFFFFFu);
	return px;
}

// Decodes from the format's rules alone: transparent pixels come out as 0.
static std::vector<Pixel> Decode(const std::vector<Pixel> &words)
{
	int w = (int)words[0], h = (int)words[1];
	std::vector<Pixel> out((size_t)w * h, 0);
	size_t i = 2;
	for (int y = 0; y < h; y++)
		for (int x = 0; x < w;) {
			Pixel span = words.at(i++);
			x += (int)(span >> 16);
			for (Pixel n = span & 0xFFFF; n > 0; n--) out.at((size_t)y * w + x++) = words.at(i++);
		}
	EXPECT_EQ(i, words.size()) << "size and contents disagree";
	return out;
}

TEST(RLEEncoder, RandomRectanglesRoundTrip)
{
	std::mt19937 rng(99);
	for (int round = 0; round < 200; round++) {
		int bw = 1 + (int)(rng() % 30), bh = 1 + (int)(rng() % 20);
		std::vector<Pixel> px = RandomPixels(rng, (size_t)bw * bh, 2);
		Bitmap src;
		InitializeBitmap(&src, bw, bh, bw * 4, px.data());
		int x0 = (int)(rng() % 40) - 10, y0 = (int)(rng() % 30) - 5, w = (int)(rng() % 40), h = (int)(rng() % 30);
		std::vector<Pixel> got = Decode(Encode(&src, x0, y0, w, h));
		for (int y = 0; y < h; y++)
			for (int x = 0; x < w; x++) {
				Pixel p = ReadPixel(&src, x0 + x, y0 + y);
				ASSERT_EQ(got[(size_t)y * w + x], p & 0x80000000u ? p : 0) << "round " << round << " at " << x << "," << y;
			}
	}
}

enum Kind { Plain, Composite, Filled, CompositeFilled };

// Drawing pixel by pixel: each opaque source pixel that lands inside the
// bitmap is written, composited, or replaced by the colour.
static void Model(GuardedBitmap &g, Bitmap *src, int x, int y, Kind kind, Pixel c, CompositionMode mode)
{
	for (int v = 0; v < src->height; v++)
		for (int u = 0; u < src->width; u++) {
			Pixel p = src->pixels[v * src->width + u];
			int dx = x + u, dy = y + v;
			if (!(p & 0x80000000u) || dx < 0 || dy < 0 || dx >= g.width || dy >= g.height) continue;
			Pixel &d = g.memory[(size_t)(dy + g.border) * g.stride + dx + g.border];
			Pixel above = kind == Plain || kind == Composite ? p : c;
			d = kind == Plain || kind == Filled ? above : mode(d, above);
		}
}

static void Draw(GuardedBitmap &g, RLEBitmap *image, int x, int y, Kind kind, Pixel c, CompositionMode mode, bool noclip)
{
	Bitmap *b = &g.bitmap;
	switch (kind) {
	case Plain: noclip ? DrawRLEBitmapNoClip(b, image, x, y) : DrawRLEBitmap(b, image, x, y); break;
	case Composite: noclip ? CompositeRLEBitmapNoClip(b, image, x, y, mode) : CompositeRLEBitmap(b, image, x, y, mode); break;
	case Filled: noclip ? DrawFilledRLEBitmapNoClip(b, image, x, y, c) : DrawFilledRLEBitmap(b, image, x, y, c); break;
	case CompositeFilled:
		noclip ? CompositeFilledRLEBitmapNoClip(b, image, x, y, c, mode) : CompositeFilledRLEBitmap(b, image, x, y, c, mode);
		break;
	}
}

TEST(RLEDrawing, EveryFormMatchesTheModelAcrossEveryEdge)
{
	const CompositionMode modes[] = {FastHalfTransparentCompositionMode, SourceOverCompositionMode,
		FastTransparencyCompositionMode, DummyCompositionMode};
	const int W = 40, H = 30;
	std::mt19937 rng(1234);
	for (int round = 0; round < 3000; round++) {
		// first every run length up to 45 (runs are copied in size classes),
		// whole and cut at both sides; then half or wholly off each edge;
		// then anywhere from fully off one side to fully off the other
		bool sweep = round < 90;
		int w = sweep ? 1 + round / 2 : (int)(rng() % 45), h = (int)(rng() % 45) + sweep;
		std::vector<Pixel> px = RandomPixels(rng, (size_t)w * h, sweep ? 4 : (unsigned)(rng() % 5));
		Bitmap src;
		InitializeBitmap(&src, w, h, w * 4, px.data());
		std::vector<Pixel> words = Encode(&src, 0, 0, w, h);
		const int edgex[] = {-w / 2, W - w / 2, -w, W}, edgey[] = {-h / 2, H - h / 2, -h, H};
		int x = sweep ? (W - w) / 2 : round < 94 ? edgex[round - 90] : (int)(rng() % (W + 2 * w + 1)) - w - 1;
		int y = sweep ? 1 : round < 94 ? edgey[round - 90] : (int)(rng() % (H + 2 * h + 1)) - h - 1;
		Kind kind = sweep ? (Kind)(round % 2) : (Kind)(rng() % 4);
		CompositionMode mode = modes[rng() % 4];
		Pixel c = 0x80000000u | (Pixel)rng();
		// the NoClip forms trust the caller vertically, but compositing still
		// drops what is off the bitmap: up to the depth of the guard frame
		bool noclip = rng() % 2 && (kind == Composite ? y >= -GuardedBitmap::border && y + h <= H + GuardedBitmap::border
		                                              : y >= 0 && y + h <= H);
		GuardedBitmap got(W, H, 0xFF204060u), want(W, H, 0xFF204060u);
		Draw(got, (RLEBitmap *)words.data(), x, y, kind, c, mode, noclip);
		Model(want, &src, x, y, kind, c, mode);
		ASSERT_EQ(got.memory, want.memory) << "round " << round << " kind " << kind << (noclip ? " NoClip" : "");
	}
}

TEST(RLEDrawing, RunsSplitAtTheLimit)
{
	std::vector<Pixel> words{65537u, 1u, 0x0000FFFFu};  // one row of 65537 opaque pixels
	for (int i = 0; i < 65535; i++) words.push_back(0xFF000000u | (Pixel)i);
	for (Pixel w : {0x00000002u, 0xFFAAAAAAu, 0xFFBBBBBBu}) words.push_back(w);
	GuardedBitmap r(10, 1);
	DrawRLEBitmap(&r.bitmap, (RLEBitmap *)words.data(), -65530, 0);
	EXPECT_EQ(std::vector<Pixel>({r.At(0, 0), r.At(4, 0), r.At(5, 0), r.At(6, 0), r.At(7, 0)}),
		std::vector<Pixel>({0xFF000000u | 65530u, 0xFF000000u | 65534u, 0xFFAAAAAAu, 0xFFBBBBBBu, 0u}));
	EXPECT_TRUE(r.GuardsIntact());
}
