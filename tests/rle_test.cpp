// RLE images: the encoder against the format's examples, and every drawing form of what it encodes
// against a per-pixel model on a guard-framed bitmap, at places straddling every edge.
#include <gtest/gtest.h>
#include <memory>
#include <random>
#include <vector>
#include "Graphics/Drawing.h"
#include "Graphics/RLEBitmapIndex.h"
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

// The edges the random round trip below does not reach: a run of spans, a
// row, a rectangle of nothing.
TEST(RLEEncoder, RowsEncodeAsTheFormatShows)
{
	std::vector<Pixel> px{T, 0, A, B, 0};
	Bitmap b;
	InitializeBitmap(&b, 5, 1, 20, px.data());
	EXPECT_EQ(Encode(&b, 0, 0, 5, 1), (std::vector<Pixel>{5, 1, 0x00020002u, A, B, 0x00010000u}));
	// far past the right edge: the empty run is split at 65535
	EXPECT_EQ(Encode(&b, 5, 0, 70000, 1), (std::vector<Pixel>{70000, 1, 0xFFFF0000u, 0x11710000u}));
	EXPECT_EQ(Encode(&b, 0, 0, 0, 4), (std::vector<Pixel>{0, 4}));
	EXPECT_EQ(Encode(&b, 0, 0, 4, 0), (std::vector<Pixel>{4, 0}));
}

static std::vector<Pixel> RandomPixels(std::mt19937 &rng, size_t n, unsigned density)
{
	std::vector<Pixel> px(n + 1);
	for (Pixel &p : px) p = (rng() % 4 < density ? 0x80000000u : 0) | (rng() & 0x7FFFFFFFu);
	return px;
}

// The image laid out in block as a bundle hands it out, its index just before
// it (empty when the image is too large to index). The block keeps its
// address while its capacity holds the layout.
static RLEBitmap *LayOutIndexed(std::vector<uint64_t> &block, const std::vector<Pixel> &words)
{
	const RLEBitmap *src = (const RLEBitmap *)words.data();
	size_t imagewords = (words.size() + 1) / 2, rowwords = ((size_t)src->height + 2) / 2;
	block.assign(2 + imagewords + rowwords + 2 * words.size(), 0xCCCCCCCCCCCCCCCCu);
	RLEBitmap *image = (RLEBitmap *)&block[2];
	memcpy(image, words.data(), 4 * words.size());
	RLEBitmapIndex *index = (RLEBitmapIndex *)block.data();
	*index = {nullptr, nullptr};
	if (CanIndexRLEBitmap(src->width, src->height)) {
		index->rowstarts = (uint32_t *)&block[2 + imagewords];
		index->spans = (RLESpan *)&block[2 + imagewords + rowwords];
		BuildRLEBitmapIndex(image, (uint32_t *)index->rowstarts, (RLESpan *)index->spans);
	}
	return image;
}

// ... in a block registered for as long as it lives, as the loader does.
struct IndexedImage
{
	std::vector<uint64_t> block;
	RLEBitmap *image;
	explicit IndexedImage(const std::vector<Pixel> &words) : image(LayOutIndexed(block, words))
	{
		AddIndexedRLEBlock(block.data(), block.data() + block.size());
	}
	~IndexedImage() { RemoveIndexedRLEBlock(block.data()); }
};

enum Kind { Plain, Composite, Filled, CompositeFilled };

// Drawing the w x h pixels of src at (x0, y0) (transparent outside src) pixel
// by pixel: each opaque one that lands inside the bitmap is written,
// composited, or replaced by the colour.
static void Model(GuardedBitmap &g, Bitmap *src, int x0, int y0, int w, int h, int x, int y, Kind kind, Pixel c,
	CompositionMode mode)
{
	for (int v = 0; v < h; v++)
		for (int u = 0; u < w; u++) {
			Pixel p = ReadPixel(src, x0 + u, y0 + v);
			if (!(p & 0x80000000u)) continue;
			Pixel above = kind == Plain || kind == Composite ? p : c;
			if (kind == Plain || kind == Filled) g.Put(x + u, y + v, above);
			else g.Blend(x + u, y + v, above, mode);
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
		// encoded from a place in a larger source, maybe partly outside it
		int sw = w + (int)(rng() % 4), sh = h + (int)(rng() % 4);
		int x0 = sweep ? 0 : (int)(rng() % 7) - 2, y0 = sweep ? 0 : (int)(rng() % 7) - 2;
		std::vector<Pixel> px = RandomPixels(rng, (size_t)sw * sh, sweep ? 4 : (unsigned)(rng() % 5));
		Bitmap src;
		InitializeBitmap(&src, sw, sh, sw * 4, px.data());
		std::vector<Pixel> words = Encode(&src, x0, y0, w, h);
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
		GuardedBitmap got(W, H, 0xFF204060u), gotindexed(W, H, 0xFF204060u), want(W, H, 0xFF204060u);
		Draw(got, (RLEBitmap *)words.data(), x, y, kind, c, mode, noclip);
		IndexedImage indexed(words);
		ASSERT_EQ(IndexOfRLEBitmap(indexed.image) != nullptr, w > 0);
		Draw(gotindexed, indexed.image, x, y, kind, c, mode, noclip);
		Model(want, &src, x0, y0, w, h, x, y, kind, c, mode);
		ASSERT_EQ(got.memory, want.memory) << "round " << round << " kind " << kind << (noclip ? " NoClip" : "");
		ASSERT_EQ(gotindexed.memory, want.memory) << "indexed, round " << round << " kind " << kind << (noclip ? " NoClip" : "");
	}
}

TEST(RLEDrawing, RunsSplitAtTheLimit)
{
	std::vector<Pixel> words{65537u, 1u, 0x0000FFFFu};  // one row of 65537 opaque pixels
	for (int i = 0; i < 65535; i++) words.push_back(0xFF000000u | (Pixel)i);
	for (Pixel w : {0x00000002u, 0xFFAAAAAAu, 0xFFBBBBBBu}) words.push_back(w);
	GuardedBitmap got(10, 1), want(10, 1);
	DrawRLEBitmap(&got.bitmap, (RLEBitmap *)words.data(), -65530, 0);
	for (int x = 0; x < 7; x++) want.At(x, 0) = x < 5 ? 0xFF000000u | (Pixel)(65530 + x) : x == 5 ? 0xFFAAAAAAu : 0xFFBBBBBBu;
	EXPECT_EQ(Difference(got, want), "");
}

static std::vector<Pixel> EncodeAll(Bitmap *src) { return Encode(src, 0, 0, src->width, src->height); }

// A drawing of the image at (1, 1) on a guarded bitmap one pixel larger
// than it each way matches the model of src.
static void ExpectDrawsAsModel(RLEBitmap *image, Bitmap *src)
{
	GuardedBitmap got(src->width + 2, src->height + 2, 0xFF204060u), want(src->width + 2, src->height + 2, 0xFF204060u);
	DrawRLEBitmap(&got.bitmap, image, 1, 1);
	Model(want, src, 0, 0, src->width, src->height, 1, 1, Plain, 0, DummyCompositionMode);
	EXPECT_EQ(got.memory, want.memory);
}

// A block beyond the table is reported (an assertion in debug builds,
// counted otherwise) and draws by its spans; removing a block keeps the
// others found.
TEST(RLEIndexRegistry, ABlockBeyondTheTableIsReportedAndStillDraws)
{
	std::vector<Pixel> px{A, T, B, A, B, T};
	Bitmap src;
	InitializeBitmap(&src, 3, 2, 12, px.data());
	std::vector<Pixel> words = EncodeAll(&src);
	std::vector<std::unique_ptr<IndexedImage>> images;
	int unindexed = UnindexedRLEBlockCount();
	for (int i = 0; i < MaximumIndexedRLEBlocks; i++) images.push_back(std::make_unique<IndexedImage>(words));
	EXPECT_EQ(UnindexedRLEBlockCount(), unindexed);
	EXPECT_DEBUG_DEATH(images.push_back(std::make_unique<IndexedImage>(words)), "more indexed RLE blocks than the table holds");
#ifdef NDEBUG
	ASSERT_EQ(images.size(), MaximumIndexedRLEBlocks + 1u);
	EXPECT_EQ(IndexOfRLEBitmap(images.back()->image), nullptr);
	EXPECT_EQ(UnindexedRLEBlockCount(), unindexed + 1);
#endif
	images.erase(images.begin() + 3);
	for (int i = 0; i < MaximumIndexedRLEBlocks - 1; i++) EXPECT_NE(IndexOfRLEBitmap(images[i]->image), nullptr) << i;
	for (auto &image : images) ExpectDrawsAsModel(image->image, &src);
}

// A bundle freed and other data put at its address: what lies there now is
// never taken for the old index (here it would point anywhere), and a new
// block registered there is found with its own.
TEST(RLEIndexRegistry, ABlockAtAFreedBlocksAddressIsFoundAfresh)
{
	std::vector<Pixel> px1{A, T, B, A, B, T}, px2(7 * 5);
	for (size_t i = 0; i < px2.size(); i++) px2[i] = i % 3 ? 0xFF000000u | (Pixel)(i * 0x10203) : T;
	Bitmap src1, src2;
	InitializeBitmap(&src1, 3, 2, 12, px1.data());
	InitializeBitmap(&src2, 7, 5, 28, px2.data());
	std::vector<uint64_t> block;
	block.reserve(1024);
	RLEBitmap *first = LayOutIndexed(block, EncodeAll(&src1));
	ASSERT_TRUE(AddIndexedRLEBlock(block.data(), block.data() + block.size()));
	ASSERT_NE(IndexOfRLEBitmap(first), nullptr);
	RemoveIndexedRLEBlock(block.data());
	EXPECT_EQ(IndexOfRLEBitmap(first), nullptr);
	std::vector<Pixel> words2 = EncodeAll(&src2);
	RLEBitmap *second = LayOutIndexed(block, words2);
	ASSERT_EQ(second, first);
	block[0] = block[1] = 0xCCCCCCCCCCCCCCCCu;
	EXPECT_EQ(IndexOfRLEBitmap(second), nullptr);
	ExpectDrawsAsModel(second, &src2);
	LayOutIndexed(block, words2);
	ASSERT_TRUE(AddIndexedRLEBlock(block.data(), block.data() + block.size()));
	EXPECT_NE(IndexOfRLEBitmap(second), nullptr);
	ExpectDrawsAsModel(second, &src2);
	RemoveIndexedRLEBlock(block.data());
}
