// The inflate decoder, seen through the PNG loader that owns it: a stream is
// the image data of an 8-bit greyscale PNG whose rows spell out the bytes
// under test. Checked against zlib's compressor and against hand-made and
// malformed blocks; cut and damaged streams are fuzz/inflate_fuzz.cpp's.
#include <gtest/gtest.h>
#include <fstream>
#include <iterator>
#include <random>
#include "tests/png/PNGFiles.h"

// Bytes after the stream (padding) let the fast loop run to its end.
static Decoded Inflated(Bytes zlib, int width, int height, const std::vector<size_t> &split = {}, size_t padding = 0)
{
	zlib.resize(zlib.size() + padding, 0);
	return DecodeWithEngine(PNGFile(HeaderChunk((uint32_t)width, (uint32_t)height, 8, 0), zlib, split));
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
	const int widths[] = {1, 97, 4096, 32510};  // 32510: the widest row the window holds
	int round = 0;
	for (Bytes data : {random, runs, bundle})
		for (int level = 0; level <= 9; level++)
			for (int strategy : {Z_DEFAULT_STRATEGY, Z_FILTERED, Z_HUFFMAN_ONLY, Z_RLE, Z_FIXED}) {
				int width = widths[round % 4];
				data.resize((data.size() + width - 1) / width * width, 0x5a);
				std::vector<size_t> split = {2 + rng() % 3};  // the first chunk holds the zlib header
				for (int i = 0; i < 40; i++) split.push_back(rng() % 7 == 0 ? 0 : 1 + rng() % (rng() % 2 ? 16 : 6000));
				Bytes zlib = ZlibStream(RowsOf(data, width), level, 9 + round++ % 7, strategy);
				Decoded d = Inflated(zlib, width, (int)data.size() / width, split);
				EXPECT_TRUE(d.ok && GreyValues(d) == data && d.inorder && d.agree)
					<< "level " << level << " strategy " << strategy << " width " << width;
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
// Lengths 0, 1 and 2 and the repeats 16, 17 and 18 have 3-bit codes 0…5, in
// order; then the data, as codes of n bits.
typedef std::vector<std::pair<int, int>> Lengths;
static BitWriter &MetaLengths(BitWriter &w)
{
	for (int sym : {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15}) w.Put(sym <= 2 || sym >= 16 ? 3 : 0, 3);
	return w;
}
static BitWriter Dynamic(int numliterals, int numdistances, Lengths lengths, std::vector<int> codes, int n = 1, BitWriter w = {})
{
	w.Put(1, 1).Put(2, 2).Put((uint32_t)numliterals - 257, 5).Put((uint32_t)numdistances - 1, 5).Put(15, 4);
	MetaLengths(w);
	for (auto [sym, extra] : lengths) {
		w.Code(sym <= 2 ? (uint32_t)sym : (uint32_t)sym - 13, 3);
		if (sym >= 16) w.Put((uint32_t)extra, sym == 16 ? 2 : sym == 17 ? 3 : 7);
	}
	for (int c : codes) w.Code((uint32_t)c, n);
	return w;
}

TEST(Inflate, HandMadeAndMalformedStreams)
{
	// 32771 bytes of rows in two stored blocks, for distances near the window's size
	auto far = [](uint8_t (*grey)(int row)) {
		Bytes rows;
		for (int i = 0; i < 32771; i++) rows.push_back(i % 2 ? grey(i / 2) : 0);
		BitWriter w = Stored(false, 30000, 30000 ^ 0xffff, Bytes(rows.data(), rows.data() + 30000));
		for (uint8_t b : Stored(false, 2771, 2771 ^ 0xffff, Bytes(rows.data() + 30000, rows.data() + rows.size())).bytes) w.Put(b, 8);
		return std::make_pair(w, rows);
	};
	BitWriter farstream = far([](int) { return (uint8_t)9; }).first;
	auto reach = [&](int code, int extra) {
		BitWriter w = Fixed({257, -code - 1}, farstream).Put((uint32_t)extra, (code - 2) / 2);
		return Literal(w, 256);
	};
	// a match read across the window's end, then one from exactly the window's
	// size back, which a byte written past the first would spoil
	auto [wrapping, raw] = far([](int row) { return (uint8_t)(row % 251); });
	wrapping = Fixed({258, -4, 257, -30}, wrapping).Put(32768 - 24577, 13);
	Literal(wrapping, 256);
	Bytes wrapped;
	for (auto [length, distance] : {std::pair{4, 4}, {3, 32768}})
		for (int i = 0; i < length; i++) raw.push_back(raw[raw.size() - (size_t)distance]);
	for (size_t i = 1; i < raw.size(); i += 2) wrapped.push_back(raw[i]);
	// literal 0 and the end of block have codes of length n, the distances none
	auto two = [](int n) { return Lengths{{n, 0}, {18, 127}, {18, 106}, {n, 0}, {0, 0}}; };
	Lengths overrun = two(1), crossing = {{1, 0}, {18, 127}, {18, 106}, {1, 0}, {17, 1}, {1, 0}, {1, 0}};
	overrun.back() = {16, 0};  // three more 1s where one length is left
	std::vector<int> literals;
	for (int i = 1; i <= 12; i++) literals.insert(literals.end(), {0, i});
	literals.push_back(256);
	// a block of 1-bit codes, then a final header that must be refused: the
	// bits after it must not be read with the old codes
	auto ones = [&] {
		BitWriter w = Dynamic(257, 1, two(1), {0, 1});
		w.bytes[0] &= 0xFE;
		return w;
	};
	BitWriter stale = Dynamic(257, 1, overrun, {}, 1, Fixed({0, 5, 256}, {}, false));
	for (int s : {0, 6, 256}) Literal(stale, s);
	// the same with a code-length code of four 1-bit lengths
	BitWriter metastale = Fixed({0, 5, 256}, {}, false).Put(5, 3).Put(0, 10).Put(0, 4).Put(0x49, 12);
	for (int s : {0, 6, 256}) Literal(metastale, s);
	BitWriter mixed = Stored(true, 2, 0xfffd, {0, 9}, Stored(false, 4, 0xfffb, {0, 7, 0, 8}, Fixed(literals, {}, false)));
	const struct
	{
		const char *what;
		BitWriter stream;
		int width, height;
		Bytes expected;  // empty: the stream must be refused
	} cases[] = {
		{"fixed, stored, stored", mixed, 1, 15, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 7, 8, 9}},
		{"fixed, a match repeating 3 bytes", Fixed({0, 'a', 'b', 260, -3, 256}), 8, 1, {'a', 'b', 0, 'a', 'b', 0, 'a', 'b'}},
		{"a row inside a 258-byte match", Fixed({0, 5, 285, -2, 256}), 1, 130, Bytes(130, 5)},
		{"a distance of all the output", Fixed({0, 7, 258, -2, 256}), 1, 3, {7, 7, 7}},
		{"distance code 29 into the window", reach(29, 1), 1, 16386, Bytes(16386, 9)},
		{"a match across the window's end", wrapping, 1, 16389, wrapped},
		{"an incomplete code", Dynamic(257, 1, two(2), {0, 0, 1}, 2), 1, 1, {0}},
		{"lengths repeated across into the distances", Dynamic(260, 3, crossing, {0, 0, 1}), 1, 1, {0}},
		{"an empty stored block", Stored(true, 0, 0xffff, {}), 1, 1, {}},
		{"past the final block", Stored(true, 2, 0xfffd, {0, 200}), 1, 2, {}},
		{"a stored length's complement wrong", Stored(true, 2, 0xfffc, {0, 1}), 1, 1, {}},
		{"a stored block cut short", Stored(true, 200, 200 ^ 0xffff, {0, 1}), 199, 1, {}},
		{"block type 3", BitWriter().Put(7, 3).Put(0, 16), 1, 1, {}},
		{"a distance before the first byte", Fixed({0, 7, 257, -3, 0, 8, 256}), 1, 2, {}},
		{"distance code 30", reach(30, 0), 1, 16386, {}},
		{"distance code 31", reach(31, 0), 1, 16386, {}},
		{"a dynamic header cut inside its counts", ones().Put(1, 1).Put(2, 2).Put(0, 10), 1, 1, {}},
		{"a dynamic header cut inside a repeat", MetaLengths(ones().Put(1, 1).Put(2, 2).Put(0, 10).Put(15, 4)).Code(5, 3), 1, 1, {}},
		{"a stored length's complement wrong after codes", Stored(true, 1, 0xfffc, {0, 0}, ones()), 1, 1, {}},
		{"a pattern that is no code", Dynamic(257, 1, two(2), {0, 0, 3}, 2), 1, 2, {}},
		{"over-subscribed lengths", Dynamic(257, 1, {{1, 0}, {1, 0}, {1, 0}, {18, 127}, {18, 106}}, {0, 0}), 1, 1, {}},
		{"an over-subscribed code-length code", BitWriter().Put(5, 3).Put(0, 10).Put(0, 4).Put(0x49, 12).Put(0, 16), 1, 1, {}},
		{"a repeat with nothing before it", Dynamic(257, 1, {{16, 0}}, {0, 0}), 1, 1, {}},
		{"a repeat past the lengths", Dynamic(257, 1, overrun, {0, 0, 1}), 1, 1, {}},
		{"the same after a fixed block, whose codes must not serve on", stale, 1, 2, {}},
		{"an over-subscribed code-length code after a fixed block", metastale, 1, 2, {}},
		{"zeros past the lengths", Dynamic(257, 1, {{18, 127}, {18, 127}}, {0, 0}), 1, 1, {}},
	};
	for (const auto &c : cases)
		for (size_t padding : {0, 64}) {  // the careful step alone, and the fast loop
			Bytes zlib = {0x78, 0x01};
			Append(zlib, c.stream.bytes.data(), c.stream.bytes.size());
			Decoded d = Inflated(zlib, c.width, c.height, {}, padding);
			EXPECT_EQ(d.ok, !c.expected.empty()) << c.what << ", padding " << padding;
			EXPECT_TRUE(!d.ok || GreyValues(d) == c.expected) << c.what;
		}
}
