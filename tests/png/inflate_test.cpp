// The inflate decoder, seen through the PNG loader that owns it: a stream is
// the image data of an 8-bit greyscale PNG whose rows spell out the bytes
// under test. Checked against zlib's compressor and against hand-made and
// malformed blocks.
#include <gtest/gtest.h>
#include <fstream>
#include <iterator>
#include <random>
#include "tests/png/PNGFiles.h"

static Bytes Compress(const Bytes &data, int level, int windowbits, int strategy)
{
	z_stream z = {};
	EXPECT_EQ(deflateInit2(&z, level, Z_DEFLATED, windowbits, 8, strategy), Z_OK);
	Bytes out(deflateBound(&z, (uLong)data.size()));
	z.next_in = (Bytef *)data.data(), z.avail_in = (uInt)data.size();
	z.next_out = out.data(), z.avail_out = (uInt)out.size();
	EXPECT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
	out.resize(z.total_out);
	deflateEnd(&z);
	return out;
}

// A width × height image around a zlib stream cut into chunks of the given
// sizes, with bytes after the stream so that the fast loop reaches its end.
static Bytes Image(Bytes zlib, int width, int height, const std::vector<size_t> &split, size_t padding = 0)
{
	zlib.resize(zlib.size() + padding, 0);
	std::vector<Bytes> parts = {HeaderChunk((uint32_t)width, (uint32_t)height, 8, 0)};
	for (Bytes &c : IDATChunks(zlib, split)) parts.push_back(c);
	return Concatenate(parts);
}

TEST(Inflate, ZlibStreamsOfEveryLevelAndStrategyAndTheBuildsFiles)
{
	std::mt19937 rng(1951);
	Bytes random(60000), runs, bundle;
	for (size_t i = 0; i < random.size(); i++) random[i] = (uint8_t)(i % 20000 < 8000 ? i % 7 : rng());  // stored blocks between others
	while (runs.size() < 60000) {  // repeats at every distance, up to 258 bytes and beyond
		size_t length = 1 + rng() % 600, distance = 1 + rng() % std::min<size_t>(runs.size() + 1, 40000);
		for (size_t i = 0; i < length; i++)
			runs.push_back(runs.size() >= distance && rng() % 8 ? runs[runs.size() - distance] : (uint8_t)(rng() % 4));
	}
	std::ifstream in("run/Graphics/Sprites.laser", std::ios::binary);
	bundle.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
	ASSERT_GT(bundle.size(), 60000u) << "the tests run in the build folder";
	bundle.resize(60000);
	const int strategies[] = {Z_DEFAULT_STRATEGY, Z_FILTERED, Z_HUFFMAN_ONLY, Z_RLE, Z_FIXED};
	const int widths[] = {1, 97, 4096, 32510};  // 32510: the widest row the window holds
	int round = 0;
	for (Bytes data : {random, runs, bundle})
		for (int level = 0; level <= 9; level++)
			for (int strategy : strategies) {
				int width = widths[round % 4];
				data.resize((data.size() + width - 1) / width * width, 0x5a);
				std::vector<size_t> split = {2 + rng() % 3};  // the first chunk holds the zlib header
				for (int i = 0; i < 40; i++) split.push_back(rng() % 7 == 0 ? 0 : 1 + rng() % (rng() % 2 ? 16 : 6000));
				Bytes zlib = Compress(RowsOf(data, width), level, 9 + round++ % 7, strategy);
				Decoded d = DecodeWithEngine(Image(zlib, width, (int)data.size() / width, split));
				ASSERT_TRUE(d.ok) << "level " << level << " strategy " << strategy << " width " << width;
				EXPECT_TRUE(GreyValues(d) == data && d.inorder && d.agree) << "level " << level << " strategy " << strategy;
			}
}

// Hand-made streams: fixed-code symbols of RFC 1951 3.2.6, a dynamic header.
static BitWriter &Literal(BitWriter &w, int s)
{
	return s < 144 ? w.Code(0x30 + s, 8) : s < 256 ? w.Code(0x190 + s - 144, 9) : s < 280 ? w.Code(s - 256, 7) : w.Code(0xc0 + s - 280, 8);
}
static BitWriter Fixed(std::vector<int> symbols, BitWriter w = {}, bool last = true)  // below 0: -(distance code) - 1
{
	w.Put(last, 1).Put(1, 2);
	for (int s : symbols) s < 0 ? w.Code(-s - 1, 5) : Literal(w, s);
	return w;
}
static BitWriter Stored(bool last, uint32_t length, uint32_t complement, const Bytes &data, BitWriter w = {})
{
	w.Put(last, 1).Put(0, 2).Align().Put(length, 16).Put(complement, 16);
	for (uint8_t b : data) w.Put(b, 8);
	return w;
}
// Lengths 0, 1 and 2 and the repeats 16, 17 and 18 have 3-bit codes 0…5, in order.
static BitWriter Dynamic(int numliterals, int numdistances, std::vector<std::pair<int, int>> lengths)
{
	BitWriter w;
	w.Put(1, 1).Put(2, 2).Put((uint32_t)numliterals - 257, 5).Put((uint32_t)numdistances - 1, 5).Put(15, 4);
	for (int sym : {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15}) w.Put(sym <= 2 || sym >= 16 ? 3 : 0, 3);
	for (auto [sym, extra] : lengths) {
		w.Code(sym <= 2 ? (uint32_t)sym : (uint32_t)sym - 13, 3);
		if (sym >= 16) w.Put((uint32_t)extra, sym == 16 ? 2 : sym == 17 ? 3 : 7);
	}
	return w;
}
// Literal 0 and the end of block have codes of length n, the distances none.
static std::vector<std::pair<int, int>> TwoLiterals(int n) { return {{n, 0}, {18, 127}, {18, 106}, {n, 0}, {0, 0}}; }

struct Case
{
	const char *what;
	BitWriter stream;
	int width, height;
	Bytes expected;  // empty: the stream must be refused
};

TEST(Inflate, HandMadeAndMalformedStreams)
{
	Bytes far;  // 32771 bytes of rows {0, 9}, for distances near the window's size
	for (int i = 0; i < 16385; i++) far.insert(far.end(), {0, 9});
	far.push_back(0);
	BitWriter farstream = Stored(false, 30000, 30000 ^ 0xffff, Bytes(far.begin(), far.begin() + 30000));
	for (uint8_t b : Stored(false, 2771, 2771 ^ 0xffff, Bytes(far.begin() + 30000, far.end())).bytes) farstream.Put(b, 8);
	auto reach = [&](int code, int extra) {
		BitWriter w = Fixed({257, -code - 1}, farstream).Put((uint32_t)extra, (code - 2) / 2);
		return Literal(w, 256);
	};
	auto dynamic = [](int numliterals, int numdistances, std::vector<std::pair<int, int>> lengths, std::vector<int> codes,
					   int n = 1) {
		BitWriter w = Dynamic(numliterals, numdistances, lengths);
		for (int c : codes) w.Code((uint32_t)c, n);
		return w;
	};
	std::vector<std::pair<int, int>> overrun = TwoLiterals(1), crossing = {{1, 0}, {18, 127}, {18, 106}, {1, 0}, {17, 1}, {1, 0}, {1, 0}};
	overrun.back() = {16, 0};  // three more 1s where one length is left
	std::vector<int> literals;
	for (int i = 1; i <= 12; i++) literals.insert(literals.end(), {0, i});
	literals.push_back(256);
	BitWriter mixed = Stored(true, 2, 0xfffd, {0, 9}, Stored(false, 4, 0xfffb, {0, 7, 0, 8}, Fixed(literals, {}, false)));
	Case cases[] = {
		{"fixed, stored, stored", mixed, 1, 15, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 7, 8, 9}},
		{"stored, two blocks", Stored(false, 2, 0xfffd, {0, 200}).Put(1, 1).Put(0, 2).Align().Put(2, 16).Put(0xfffd, 16).Put(0, 8).Put(7, 8), 1, 2, {200, 7}},
		{"fixed, a match repeating 3 bytes", Fixed({0, 'a', 'b', 260, -3, 256}), 8, 1, {'a', 'b', 0, 'a', 'b', 0, 'a', 'b'}},
		{"a row inside a 258-byte match", Fixed({0, 5, 285, -2, 256}), 1, 130, Bytes(130, 5)},
		{"a distance of all the output", Fixed({0, 7, 258, -2, 256}), 1, 3, {7, 7, 7}},
		{"distance code 29 into the window", reach(29, 1), 1, 16386, Bytes(16386, 9)},
		{"an incomplete code", dynamic(257, 1, TwoLiterals(2), {0, 0, 1}, 2), 1, 1, {0}},
		{"lengths repeated across into the distances", dynamic(260, 3, crossing, {0, 0, 1}), 1, 1, {0}},
		{"an empty stored block", Stored(true, 0, 0xffff, {}), 1, 1, {}},
		{"past the final block", Stored(true, 2, 0xfffd, {0, 200}), 1, 2, {}},
		{"a stored length's complement wrong", Stored(true, 2, 0xfffc, {0, 1}), 1, 1, {}},
		{"a stored block cut short", Stored(true, 200, 200 ^ 0xffff, {0, 1}), 199, 1, {}},
		{"block type 3", BitWriter().Put(7, 3).Put(0, 16), 1, 1, {}},
		{"a distance before the first byte", Fixed({0, 7, 258, -3, 256}), 2, 2, {}},
		{"distance code 30", reach(30, 0), 1, 16386, {}},
		{"distance code 31", reach(31, 0), 1, 16386, {}},
		{"a pattern that is no code", dynamic(257, 1, TwoLiterals(2), {0, 0, 3}, 2), 1, 2, {}},
		{"over-subscribed lengths", dynamic(257, 1, {{1, 0}, {1, 0}, {1, 0}, {18, 127}, {18, 106}}, {0, 0}), 1, 1, {}},
		{"an over-subscribed code-length code", BitWriter().Put(5, 3).Put(0, 10).Put(0, 4).Put(0x49, 12).Put(0, 16), 1, 1, {}},
		{"a repeat with nothing before it", dynamic(257, 1, {{16, 0}}, {0, 0}), 1, 1, {}},
		{"a repeat past the lengths", dynamic(257, 1, overrun, {0, 0, 1}), 1, 1, {}},
		{"zeros past the lengths", dynamic(257, 1, {{18, 127}, {18, 127}}, {0, 0}), 1, 1, {}},
	};
	for (Case &c : cases)
		for (size_t padding : {0, 64}) {  // the careful step alone, and the fast loop
			Bytes zlib = {0x78, 0x01};
			zlib.insert(zlib.end(), c.stream.bytes.begin(), c.stream.bytes.end());
			Decoded d = DecodeWithEngine(Image(zlib, c.width, c.height, {}, padding));
			EXPECT_EQ(d.ok, !c.expected.empty()) << c.what << ", padding " << padding;
			EXPECT_TRUE(!d.ok || GreyValues(d) == c.expected) << c.what;
		}
}

TEST(Inflate, CutAndDamagedStreamsNeverYieldWrongBytes)
{
	std::mt19937 rng(3);
	Bytes data;
	for (int i = 0; i < 6000; i++) data.push_back((uint8_t)(i % 50 < 25 ? rng() % 3 : i / 7));
	Bytes zlib = Compress(RowsOf(data, 60), 9, 15, Z_DEFAULT_STRATEGY);
	int failures = 0, noticed = 0;
	for (size_t n = 2; n <= zlib.size(); n++) {
		Decoded d = DecodeWithEngine(Image(Bytes(zlib.begin(), zlib.begin() + (long)n), 60, 100, {}));
		failures += !d.ok;
		EXPECT_TRUE(d.ok ? GreyValues(d) == data : d.inorder) << "cut at " << n;
	}
	EXPECT_GE(failures, (int)zlib.size() - 2 - 6);  // only the checksum and the end of block may be missing
	for (int round = 0; round < 1500; round++) {
		Bytes bad = zlib;
		for (int k = 0; k <= round % 3; k++) bad[2 + rng() % (bad.size() - 2)] ^= (uint8_t)(1 << rng() % 8);
		Decoded d = DecodeWithEngine(Image(bad, 60, 100, {2 + rng() % 200}));
		EXPECT_TRUE(d.inorder && d.agree && d.calls <= 6000);
		noticed += !d.ok || GreyValues(d) != data;
	}
	EXPECT_GT(noticed, 1400);  // only damage to the unread checksum can go unseen
}
