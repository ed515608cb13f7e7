// The inflate decoder, seen through the PNG loader that owns it: every stream
// is the image data of an 8-bit greyscale PNG whose rows spell out the bytes
// under test, so decoding the image decodes the stream. Checked against
// zlib's own compressor and against hand-made blocks.
#include <gtest/gtest.h>
#include <fstream>
#include <iterator>
#include <random>
#include "tests/png/PNGFiles.h"

static Bytes Compress(const Bytes &data, int level, int windowbits, int strategy)
{
	z_stream z;
	memset(&z, 0, sizeof z);
	EXPECT_EQ(deflateInit2(&z, level, Z_DEFLATED, windowbits, 8, strategy), Z_OK);
	Bytes out(deflateBound(&z, (uLong)data.size()));
	z.next_in = (Bytef *)data.data();
	z.avail_in = (uInt)data.size();
	z.next_out = out.data();
	z.avail_out = (uInt)out.size();
	EXPECT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
	out.resize(z.total_out);
	deflateEnd(&z);
	return out;
}

static Bytes ReadFileBytes(const char *path, size_t limit)
{
	std::ifstream in(path, std::ios::binary);
	Bytes data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
	if (data.size() > limit) data.resize(limit);
	return data;
}

// An image of the given width around a zlib stream of data, split into IDAT
// chunks of random sizes, some of them empty.
static Bytes ImageOfStream(const Bytes &zlib, int width, int height, std::mt19937 &rng)
{
	std::vector<size_t> split = {2 + rng() % 3};  // the first chunk holds at least the zlib header
	for (size_t total = split[0]; total < zlib.size();) {
		size_t n = rng() % 7 == 0 ? 0 : 1 + rng() % (rng() % 2 ? 16 : 6000);
		split.push_back(n);
		total += n;
	}
	std::vector<Bytes> parts = {HeaderChunk((uint32_t)width, (uint32_t)height, 8, 0)};
	for (Bytes &c : IDATChunks(zlib, split)) parts.push_back(c);
	parts.push_back(Chunk("IEND", {}));
	return Concatenate(parts);
}

static void ExpectRoundTrip(const Bytes &source, int width, int level, int windowbits, int strategy, std::mt19937 &rng)
{
	Bytes data = source;
	data.resize((data.size() + width - 1) / width * width, 0x5a);
	int height = (int)(data.size() / width);
	Bytes file = ImageOfStream(Compress(RowsOf(data, width), level, windowbits, strategy), width, height, rng);
	Decoded d = DecodeWithEngine(file);
	ASSERT_TRUE(d.header);
	ASSERT_TRUE(d.ok) << "level " << level << " window " << windowbits << " strategy " << strategy << " width " << width;
	EXPECT_TRUE(GreyValues(d) == data) << "level " << level << " strategy " << strategy << " width " << width;
}

TEST(Inflate, ZlibStreamsOfEveryLevelAndStrategy)
{
	std::mt19937 rng(1951);
	Bytes random(60000), runs;
	for (uint8_t &b : random) b = (uint8_t)rng();
	// short and long repeats at every distance, so that matches up to 258 bytes occur
	while (runs.size() < 90000) {
		size_t length = 1 + rng() % 600, distance = 1 + rng() % std::min<size_t>(runs.size() + 1, 40000);
		for (size_t i = 0; i < length; i++)
			runs.push_back(runs.size() >= distance && rng() % 8 ? runs[runs.size() - distance] : (uint8_t)(rng() % 4));
	}
	std::vector<Bytes> sources = {random, runs, ReadFileBytes("/usr/share/common-licenses/GPL-3", 40000),
		ReadFileBytes("/proc/self/exe", 120000)};
	const int strategies[] = {Z_DEFAULT_STRATEGY, Z_FILTERED, Z_HUFFMAN_ONLY, Z_RLE, Z_FIXED};
	const int widths[] = {1, 97, 4096, 32510};  // 32510: the widest row the window holds
	int round = 0;
	for (const Bytes &source : sources) {
		ASSERT_GT(source.size(), 1000u);
		for (int level = 0; level <= 9; level++)
			for (int strategy : strategies) {
				int windowbits = 9 + round % 7;
				ExpectRoundTrip(source, widths[round % 4], level, windowbits, strategy, rng);
				round++;
			}
	}
}

TEST(Inflate, StoredBlocks)
{
	BitWriter empty;
	empty.Put(1, 1), empty.Put(0, 2), empty.Align(), empty.Put(0, 16), empty.Put(0xffff, 16);
	Decoded d = DecodeWithEngine(GreyPNGAroundDeflate(1, 1, empty.Finish()));
	EXPECT_TRUE(d.header);
	EXPECT_FALSE(d.ok);  // the image needs two bytes, the stream holds none

	// a non-final stored block, then a final one, each holding one row
	BitWriter two;
	two.Put(0, 1), two.Put(0, 2), two.Align(), two.Put(2, 16), two.Put(0xfffd, 16), two.Put(0, 8), two.Put(200, 8);
	two.Put(1, 1), two.Put(0, 2), two.Align(), two.Put(2, 16), two.Put(0xfffd, 16), two.Put(0, 8), two.Put(7, 8);
	Bytes stream = two.Finish();
	d = DecodeWithEngine(GreyPNGAroundDeflate(1, 2, stream));
	ASSERT_TRUE(d.ok);
	EXPECT_EQ(GreyValues(d), Bytes({200, 7}));
	EXPECT_FALSE(DecodeWithEngine(GreyPNGAroundDeflate(1, 3, stream)).ok);  // past the final block

	BitWriter wrong;
	wrong.Put(1, 1), wrong.Put(0, 2), wrong.Align(), wrong.Put(2, 16), wrong.Put(0xfffc, 16), wrong.Put(0, 8), wrong.Put(1, 8);
	EXPECT_FALSE(DecodeWithEngine(GreyPNGAroundDeflate(1, 1, wrong.Finish())).ok);

	// a stored block cut short inside its data
	BitWriter cut;
	cut.Put(1, 1), cut.Put(0, 2), cut.Align(), cut.Put(4, 16), cut.Put(0xfffb, 16), cut.Put(0, 8), cut.Put(1, 8);
	EXPECT_FALSE(DecodeWithEngine(GreyPNGAroundDeflate(3, 1, cut.Finish())).ok);
}

TEST(Inflate, FixedBlockMatchRepeatsAShortPattern)
{
	BitWriter w;
	w.Put(1, 1), w.Put(1, 2);
	for (int literal : {0, (int)'a', (int)'b'}) PutFixedLiteral(w, literal);
	PutFixedLiteral(w, 260);   // length 6
	PutFixedDistance(w, 2);    // distance 3
	PutFixedLiteral(w, 256);
	Decoded d = DecodeWithEngine(GreyPNGAroundDeflate(8, 1, w.Finish()));
	ASSERT_TRUE(d.ok);
	EXPECT_EQ(GreyValues(d), Bytes({'a', 'b', 0, 'a', 'b', 0, 'a', 'b'}));
}

TEST(Inflate, AskingInsideALongMatchDecodesAllOfIt)
{
	// rows of one pixel: filter byte 0 and the value 5, then a 258-byte match
	// that repeats them; row 1 lies inside the match, rows up to 129 come from it
	BitWriter w;
	w.Put(1, 1), w.Put(1, 2);
	PutFixedLiteral(w, 0), PutFixedLiteral(w, 5);
	PutFixedLiteral(w, 285), PutFixedDistance(w, 1);
	PutFixedLiteral(w, 256);
	Bytes stream = w.Finish();
	Decoded d = DecodeWithEngine(GreyPNGAroundDeflate(1, 130, stream));
	ASSERT_TRUE(d.ok);
	EXPECT_EQ(GreyValues(d), Bytes(130, 5));
	EXPECT_FALSE(DecodeWithEngine(GreyPNGAroundDeflate(1, 131, stream)).ok);
}

TEST(Inflate, DistancesMustReachBytesThatExist)
{
	// distance equal to the bytes output so far: fine
	BitWriter exact;
	exact.Put(1, 1), exact.Put(1, 2);
	PutFixedLiteral(exact, 0), PutFixedLiteral(exact, 7);
	PutFixedLiteral(exact, 258), PutFixedDistance(exact, 1);  // length 4, distance 2
	PutFixedLiteral(exact, 256);
	Decoded d = DecodeWithEngine(GreyPNGAroundDeflate(1, 3, exact.Finish()));
	ASSERT_TRUE(d.ok);
	EXPECT_EQ(GreyValues(d), Bytes({7, 7, 7}));

	// one byte further back than the start of the output; the bytes it would
	// copy all land on pixels, so only the check of the distance can fail it
	BitWriter before;
	before.Put(1, 1), before.Put(1, 2);
	PutFixedLiteral(before, 0), PutFixedLiteral(before, 7);
	PutFixedLiteral(before, 258), PutFixedDistance(before, 2);  // length 4, distance 3
	PutFixedLiteral(before, 256);
	EXPECT_FALSE(DecodeWithEngine(GreyPNGAroundDeflate(2, 2, before.Finish())).ok);

	// After 32771 bytes, distance code 29 (24578) still reaches into the
	// window; codes 30 and 31 (32769 and more) reach past it and fail. The
	// copies keep the filter bytes in place either way.
	auto far = [](int distancecode, int extra) {
		BitWriter w;
		Bytes rows;
		for (int i = 0; i < 16385; i++) rows.insert(rows.end(), {0, 9});
		for (size_t at = 0; at < rows.size(); at += 30000) {
			size_t n = std::min<size_t>(30000, rows.size() - at);
			w.Put(0, 1), w.Put(0, 2), w.Align(), w.Put((uint32_t)n, 16), w.Put((uint32_t)(n ^ 0xffff), 16);
			for (size_t i = 0; i < n; i++) w.Put(rows[at + i], 8);
		}
		w.Put(1, 1), w.Put(1, 2);
		PutFixedLiteral(w, 0);
		PutFixedLiteral(w, 257), PutFixedDistance(w, distancecode), w.Put((uint32_t)extra, (distancecode - 2) / 2);
		PutFixedLiteral(w, 256);
		return DecodeWithEngine(GreyPNGAroundDeflate(1, 16387, w.Finish()));
	};
	Decoded inside = far(29, 1);
	ASSERT_TRUE(inside.ok);
	EXPECT_EQ(inside.pixels[16385] & 0xff, 9u);
	EXPECT_EQ(inside.pixels[16386] & 0xff, 9u);
	EXPECT_FALSE(far(30, 0).ok);
	EXPECT_FALSE(far(31, 0).ok);
}

// A dynamic block header. meta gives the code-length code's lengths by symbol;
// sequence is the code-length symbols with their extra bits.
static void PutDynamicHeader(BitWriter &w, int numliterals, int numdistances, const std::vector<int> &meta,
	const std::vector<std::pair<int, int>> &sequence)
{
	static const int order[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};
	int nummetas = 4;
	for (int i = 0; i < 19; i++)
		if (meta[order[i]]) nummetas = std::max(nummetas, i + 1);
	w.Put(1, 1), w.Put(2, 2);
	w.Put((uint32_t)(numliterals - 257), 5), w.Put((uint32_t)(numdistances - 1), 5), w.Put((uint32_t)(nummetas - 4), 4);
	for (int i = 0; i < nummetas; i++) w.Put((uint32_t)meta[order[i]], 3);
	std::vector<uint32_t> codes = CanonicalCodes(meta);
	for (auto [sym, extra] : sequence) {
		w.PutCode(codes[sym], meta[sym]);
		if (sym >= 16) w.Put((uint32_t)extra, sym == 16 ? 2 : sym == 17 ? 3 : 7);
	}
}

// Code lengths written one symbol each, with a meta code of 4 bits for 0…15.
static std::vector<std::pair<int, int>> Plain(const std::vector<int> &lengths)
{
	std::vector<std::pair<int, int>> sequence;
	for (int l : lengths) sequence.push_back({l, 0});
	return sequence;
}
static const std::vector<int> FourBitMeta = {4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 0, 0, 0};

TEST(Inflate, DynamicBlocks)
{
	// An incomplete literal code (0 and 256 only, two bits each) is accepted...
	std::vector<int> lengths(258, 0);
	lengths[0] = 2, lengths[256] = 2;
	std::vector<uint32_t> codes = CanonicalCodes(std::vector<int>(lengths.begin(), lengths.begin() + 257));
	BitWriter good;
	PutDynamicHeader(good, 257, 1, FourBitMeta, Plain(lengths));
	good.PutCode(codes[0], 2), good.PutCode(codes[0], 2), good.PutCode(codes[256], 2);
	Decoded d = DecodeWithEngine(GreyPNGAroundDeflate(1, 1, good.Finish()));
	ASSERT_TRUE(d.ok);
	EXPECT_EQ(GreyValues(d), Bytes({0}));
	// ...and fails only where a pattern that is no code turns up
	BitWriter unassigned;
	PutDynamicHeader(unassigned, 257, 1, FourBitMeta, Plain(lengths));
	unassigned.PutCode(codes[0], 2), unassigned.PutCode(codes[0], 2), unassigned.PutCode(3, 2);
	EXPECT_FALSE(DecodeWithEngine(GreyPNGAroundDeflate(1, 2, unassigned.Finish())).ok);

	// three codes of one bit over-subscribe the code space
	std::vector<int> over(258, 0);
	over[0] = over[1] = over[256] = 1;
	BitWriter oversubscribed;
	PutDynamicHeader(oversubscribed, 257, 1, FourBitMeta, Plain(over));
	oversubscribed.Put(0, 8);
	EXPECT_FALSE(DecodeWithEngine(GreyPNGAroundDeflate(1, 1, oversubscribed.Finish())).ok);
	std::vector<int> overmeta(19, 0);
	overmeta[0] = overmeta[1] = overmeta[2] = 1;
	BitWriter badmeta;
	PutDynamicHeader(badmeta, 257, 1, overmeta, {});
	badmeta.Put(0, 16);
	EXPECT_FALSE(DecodeWithEngine(GreyPNGAroundDeflate(1, 1, badmeta.Finish())).ok);

	// repeats: 17 and 18 for runs of zeros, a run crossing from the literal
	// lengths into the distance lengths (numliterals 260: 257…259 and the
	// first distance get zeros)
	std::vector<int> meta(19, 0);
	meta[1] = 2, meta[16] = 2, meta[17] = 2, meta[18] = 2;
	std::vector<std::pair<int, int>> crossing = {{1, 0}, {18, 127}, {18, 106}, {1, 0}, {17, 1}, {1, 0}, {1, 0}};
	BitWriter repeats;
	PutDynamicHeader(repeats, 260, 3, meta, crossing);
	repeats.PutCode(0, 1), repeats.PutCode(0, 1), repeats.PutCode(1, 1);  // literal 0 twice, end of block
	d = DecodeWithEngine(GreyPNGAroundDeflate(1, 1, repeats.Finish()));
	ASSERT_TRUE(d.ok);
	EXPECT_EQ(GreyValues(d), Bytes({0}));
	// a repeat of the previous length with none before it, and runs past the end
	BitWriter first;
	PutDynamicHeader(first, 257, 1, meta, {{16, 0}});
	first.Put(0, 16);
	EXPECT_FALSE(DecodeWithEngine(GreyPNGAroundDeflate(1, 1, first.Finish())).ok);
	BitWriter past;
	PutDynamicHeader(past, 257, 1, meta, {{18, 127}, {18, 127}});
	past.Put(0, 16);
	EXPECT_FALSE(DecodeWithEngine(GreyPNGAroundDeflate(1, 1, past.Finish())).ok);
	BitWriter type3;
	type3.Put(1, 1), type3.Put(3, 2), type3.Put(0, 16);
	EXPECT_FALSE(DecodeWithEngine(GreyPNGAroundDeflate(1, 1, type3.Finish())).ok);
}

TEST(Inflate, CutStreamsNeverYieldWrongBytes)
{
	std::mt19937 rng(3);
	Bytes data;
	for (int i = 0; i < 3000; i++) data.push_back((uint8_t)(i % 50 < 25 ? rng() % 3 : i / 7));
	const int width = 60, height = (int)data.size() / width;
	for (int level : {1, 9}) {
		Bytes zlib = Compress(RowsOf(data, width), level, 15, Z_DEFAULT_STRATEGY);
		int failures = 0;
		for (size_t n = 2; n <= zlib.size(); n++) {
			Bytes cut(zlib.begin(), zlib.begin() + n);
			Decoded d = DecodeWithEngine(Concatenate({HeaderChunk(width, height, 8, 0), Chunk("IDAT", cut)}));
			ASSERT_TRUE(d.header);
			if (d.ok) {
				EXPECT_TRUE(GreyValues(d) == data) << "cut at " << n;
			} else {
				failures++;
			}
			EXPECT_TRUE(d.inorder);
		}
		// only the checksum and the end-of-block code may be missing
		EXPECT_GE(failures, (int)zlib.size() - 2 - 6) << "level " << level;
	}
}

TEST(Inflate, DamagedStreamsStayInBounds)
{
	std::mt19937 rng(11);
	Bytes data(5000);
	for (size_t i = 0; i < data.size(); i++) data[i] = (uint8_t)(i % 97 < 40 ? i % 5 : rng());
	Bytes zlib = Compress(RowsOf(data, 100), 6, 15, Z_DEFAULT_STRATEGY);
	Decoded intact = DecodeWithEngine(Concatenate({HeaderChunk(100, 50, 8, 0), Chunk("IDAT", zlib)}));
	ASSERT_TRUE(intact.ok);
	int noticed = 0;
	for (int round = 0; round < 2000; round++) {
		Bytes bad = zlib;
		for (int k = 0; k <= round % 3; k++) bad[2 + rng() % (bad.size() - 2)] ^= (uint8_t)(1 << rng() % 8);
		Decoded d = DecodeWithEngine(Concatenate({HeaderChunk(100, 50, 8, 0), Chunk("IDAT", bad)}));
		EXPECT_TRUE(d.inorder);
		EXPECT_LE(d.calls, 100 * 50);
		noticed += !d.ok || d.pixels != intact.pixels;
	}
	EXPECT_GT(noticed, 1900);  // only damage to the unread checksum can go unseen
}
