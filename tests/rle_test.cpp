#include <gtest/gtest.h>
#include <random>
#include <vector>
#include "Graphics/Drawing.h"
#include "GuardedBitmap.h"

// An RLE image together with the memory that holds it.
struct Encoded
{
	std::vector<Pixel> words;
	RLEBitmap *image() { return (RLEBitmap *)words.data(); }
	std::vector<Pixel> rows() const { return std::vector<Pixel>(words.begin() + 2, words.end()); }
};

static Encoded Encode(Bitmap *b, int x0, int y0, int w, int h)
{
	size_t size = SizeOfRLEBitmapFromPartialBitmap(b, x0, y0, w, h);
	Encoded e;
	e.words.assign(size / 4 + 1, 0xCCCCCCCCu);  // one spare word shows an overrun
	InitializeRLEBitmapFromPartialBitmap(e.image(), b, x0, y0, w, h);
	EXPECT_EQ(e.words.back(), 0xCCCCCCCCu) << "encoder wrote past its size";
	e.words.pop_back();
	return e;
}

static Encoded EncodeRow(std::vector<Pixel> row)
{
	Bitmap b;
	InitializeBitmap(&b, (int)row.size(), 1, (int)row.size() * 4, row.data());
	return Encode(&b, 0, 0, (int)row.size(), 1);
}

const Pixel A = 0xFF112233u, B = 0x80445566u, T = 0x7FFFFFFFu;

TEST(RLEEncoder, RowExamples)
{
	EXPECT_EQ(EncodeRow(std::vector<Pixel>(10, 0)).rows(), std::vector<Pixel>{0x000A0000u});
	std::vector<Pixel> full(10, A), expect{0x0000000Au};
	expect.insert(expect.end(), full.begin(), full.end());
	EXPECT_EQ(EncodeRow(full).rows(), expect);
	EXPECT_EQ(EncodeRow({T, 0, A, B, 0}).rows(), (std::vector<Pixel>{0x00020002u, A, B, 0x00010000u}));
}

TEST(RLEEncoder, LongEmptyRunIsSplitAt65535)
{
	Pixel p = A;
	Bitmap b;
	InitializeBitmap(&b, 1, 1, 4, &p);
	Encoded e = Encode(&b, 1, 0, 70000, 1);
	EXPECT_EQ(e.rows(), (std::vector<Pixel>{0xFFFF0000u, 0x11710000u}));
	EXPECT_EQ(e.words[0], 70000u);
}

TEST(RLEEncoder, RectangleLeftOfBitmapAndEmptyImages)
{
	std::vector<Pixel> px(16, A);
	Bitmap b;
	InitializeBitmap(&b, 4, 4, 16, px.data());
	Encoded e = Encode(&b, -2, 0, 4, 4);
	EXPECT_EQ(e.rows(), (std::vector<Pixel>{0x00020002u, A, A, 0x00020002u, A, A, 0x00020002u, A, A, 0x00020002u, A, A}));
	EXPECT_EQ(Encode(&b, 0, 0, 0, 4).words.size(), 2u);
	EXPECT_EQ(Encode(&b, 0, 0, 4, 0).words.size(), 2u);
}

// What drawing must produce, pixel by pixel from the source bitmap.
enum Kind { Plain, Composite, Filled, CompositeFilled };

static void Reference(GuardedBitmap &dest, Bitmap *src, int x, int y, Kind kind, Pixel c)
{
	for (int v = 0; v < src->height; v++)
		for (int u = 0; u < src->width; u++) {
			Pixel p = ReadPixel(src, u, v);
			if (IsPixelTransparent(p)) continue;
			Pixel below = ReadPixel(&dest.bitmap, x + u, y + v);
			Pixel out = kind == Plain ? p : kind == Composite ? FastHalfTransparentCompositionMode(below, p)
				: kind == Filled ? c : SourceOverCompositionMode(below, c);
			DrawPixel(&dest.bitmap, x + u, y + v, out);
		}
}

static void Draw(GuardedBitmap &dest, RLEBitmap *image, int x, int y, Kind kind, Pixel c, bool noclip)
{
	Bitmap *b = &dest.bitmap;
	switch (kind) {
	case Plain: noclip ? DrawRLEBitmapNoClip(b, image, x, y) : DrawRLEBitmap(b, image, x, y); break;
	case Composite:
		noclip ? CompositeRLEBitmapNoClip(b, image, x, y, FastHalfTransparentCompositionMode)
		       : CompositeRLEBitmap(b, image, x, y, FastHalfTransparentCompositionMode);
		break;
	case Filled: noclip ? DrawFilledRLEBitmapNoClip(b, image, x, y, c) : DrawFilledRLEBitmap(b, image, x, y, c); break;
	case CompositeFilled:
		noclip ? CompositeFilledRLEBitmapNoClip(b, image, x, y, c, SourceOverCompositionMode)
		       : CompositeFilledRLEBitmap(b, image, x, y, c, SourceOverCompositionMode);
		break;
	}
}

TEST(RLEDrawing, EveryKindMatchesPerPixelDrawingAtRandomPositions)
{
	std::mt19937 rng(1234);
	for (int round = 0; round < 300; round++) {
		int w = (int)(rng() % 40), h = (int)(rng() % 40);
		std::vector<Pixel> px((size_t)w * h + 1);
		int density = (int)(rng() % 4);
		for (Pixel &p : px) p = (rng() % 4 < (unsigned)density ? 0x80000000u : 0) | (rng() & 0x7FFFFFFFu);
		Bitmap src;
		InitializeBitmap(&src, w, h, w * 4, px.data());
		Encoded e = Encode(&src, 0, 0, w, h);
		int x = (int)(rng() % 100) - 45, y = (int)(rng() % 90) - 45;
		Kind kind = (Kind)(rng() % 4);
		Pixel c = 0x80FFFFFFu | (Pixel)rng();
		GuardedBitmap got(32, 24, 0xFF204060u), want(32, 24, 0xFF204060u);
		Draw(got, e.image(), x, y, kind, c, false);
		Reference(want, &src, x, y, kind, c);
		ASSERT_EQ(got.memory, want.memory) << "round " << round << " kind " << kind << " at " << x << "," << y;
		// NoClip forms promise only horizontal clipping
		if (y >= 0 && y + h <= 24) {
			GuardedBitmap nc(32, 24, 0xFF204060u);
			Draw(nc, e.image(), x, y, kind, c, true);
			ASSERT_EQ(nc.memory, want.memory) << "NoClip round " << round;
		}
	}
}

// Short runs are copied in size classes (1, 2-3, 4-7, 8-16, longer) that
// overlap their own ends: every length, unclipped and cut at either edge,
// must write exactly its pixels.
TEST(RLEDrawing, EveryRunLengthWritesExactlyItsPixels)
{
	for (int n = 1; n <= 40; n++) {
		std::vector<Pixel> row((size_t)n + 2, 0);
		for (int i = 1; i <= n; i++) row[(size_t)i] = 0xFF000000u | (Pixel)(i * 0x010203);
		Bitmap src;
		InitializeBitmap(&src, n + 2, 1, (n + 2) * 4, row.data());
		Encoded e = Encode(&src, 0, 0, n + 2, 1);
		for (int x : {3, -n / 2, 48 - n / 2 - 2}) {
			GuardedBitmap got(48, 3, 0xFF204060u), want(48, 3, 0xFF204060u);
			DrawRLEBitmap(&got.bitmap, e.image(), x, 1);
			Reference(want, &src, x, 1, Plain, 0);
			ASSERT_EQ(got.memory, want.memory) << "run of " << n << " at " << x;
		}
	}
}

TEST(RLEDrawing, EdgePlacements)
{
	std::vector<Pixel> px(16 * 300);
	for (size_t i = 0; i < px.size(); i++) px[i] = 0xFF000000u | (Pixel)i;
	Bitmap src;
	InitializeBitmap(&src, 16, 16, 64, px.data());
	Encoded e = Encode(&src, 0, 0, 16, 16);
	GuardedBitmap g(320, 240);
	DrawRLEBitmap(&g.bitmap, e.image(), -8, 0);
	EXPECT_EQ(g.At(0, 0), px[8]);
	EXPECT_EQ(g.At(7, 15), px[15 * 16 + 15]);
	DrawRLEBitmap(&g.bitmap, e.image(), 312, 232);
	EXPECT_EQ(g.At(319, 239), px[7 * 16 + 7]);
	EXPECT_EQ(g.CountOf(0), 320 * 240 - 128 - 64);
	DrawRLEBitmap(&g.bitmap, e.image(), -16, 0);
	DrawRLEBitmap(&g.bitmap, e.image(), 320, 0);
	DrawRLEBitmap(&g.bitmap, e.image(), 0, 240);
	DrawRLEBitmap(&g.bitmap, e.image(), 0, -16);
	EXPECT_EQ(g.CountOf(0), 320 * 240 - 128 - 64);

	Bitmap tall;
	InitializeBitmap(&tall, 16, 300, 64, px.data());
	Encoded t = Encode(&tall, 0, 0, 16, 300);
	GuardedBitmap h(16, 240);
	DrawRLEBitmap(&h.bitmap, t.image(), 0, -20);
	EXPECT_EQ(h.At(0, 0), px[20 * 16]);
	EXPECT_EQ(h.At(15, 239), px[259 * 16 + 15]);
	EXPECT_TRUE(g.GuardsIntact() && h.GuardsIntact());
}

TEST(RLEDrawing, ReaderAcceptsRunsSplitAtTheLimit)
{
	// one row of 65537 opaque pixels, split as the encoder would split it
	std::vector<Pixel> words{65537u, 1u, 0x0000FFFFu};
	for (int i = 0; i < 65535; i++) words.push_back(0xFF000000u | (Pixel)i);
	words.push_back(0x00000002u);
	words.push_back(0xFFAAAAAAu);
	words.push_back(0xFFBBBBBBu);
	GuardedBitmap g(10, 1);
	DrawRLEBitmap(&g.bitmap, (RLEBitmap *)words.data(), -65530, 0);
	EXPECT_EQ(g.At(0, 0), 0xFF000000u | 65530u);
	EXPECT_EQ(g.At(4, 0), 0xFF000000u | 65534u);
	EXPECT_EQ(g.At(5, 0), 0xFFAAAAAAu);
	EXPECT_EQ(g.At(6, 0), 0xFFBBBBBBu);
	EXPECT_EQ(g.At(7, 0), 0u);
	EXPECT_TRUE(g.GuardsIntact());
}
