// The PNG loader and the inflate decoder it reads image data with, which
// InflateWhole (Graphics/Inflate.h) offers whole-buffer. Needs only the C
// library.
//
// Inflate (RFC 1951) decodes on demand into a 32 KiB circular window: the
// loader asks for the stream up to a byte position and copies each row out
// while it is still in the window. Input comes in pieces through a callback,
// so image data split over several chunks is never joined. Nothing is
// allocated: state, window and tables live in one DeflateReader.
//
// Speed comes from a 64-bit bit buffer refilled 8 bytes at a time, table
// entries that carry a length's or distance's base and extra bit count, and a
// fast loop that runs without bounds checks while at least 8 input bytes are
// left in the buffer and a longest match fits before the window's end; near
// either end the careful step, byte by byte, takes over. Huffman tables are
// two-level (11 bits for literal/lengths, 8 for distances, then subtables),
// so that a block header fills a few KiB rather than the whole code space.
//
// No input is trusted: every read that runs out of input fails, and so does a
// distance reaching before the first byte output or beyond the window.
#include "Graphics/PNG.h"
#include <cstdlib>
#include <cstring>
#include "Graphics/Inflate.h"

namespace {

struct BitStreamReader;
typedef void BitStreamInputFunction(BitStreamReader *reader, void *context);

struct BitStreamReader
{
	BitStreamInputFunction *callback;  // asked for more when the buffer is used up; may be null
	void *context;
	const uint8_t *pos, *end;
	uint64_t bits;  // the next bit of the stream is bit 0
	int numbits;
};

constexpr uint32_t WindowSize = 32768;
constexpr uint32_t WindowMask = WindowSize - 1;
constexpr int MaximumMatchLength = 258;
constexpr int MaximumCodeLength = 15;

// A main table indexed by the next TableBits bits, then subtables for longer
// codes: at most one per code, each of 2^(15 - TableBits) entries.
constexpr int LiteralTableBits = 11, DistanceTableBits = 8, MetaTableBits = 7;
constexpr int LiteralTableSize = (1 << LiteralTableBits) + 288 * (1 << (MaximumCodeLength - LiteralTableBits));
constexpr int DistanceTableSize = (1 << DistanceTableBits) + 32 * (1 << (MaximumCodeLength - DistanceTableBits));

struct DeflateReader
{
	BitStreamReader bitstream;  // first, so that the two pointers are one address
	uint32_t pos;  // bytes output so far
	bool isstoredblock, islastblock;
	int storedbytesleft;
	uint8_t window[WindowSize];  // stream byte p lives at p & WindowMask
	uint32_t literalcode[LiteralTableSize];
	uint32_t distancecode[DistanceTableSize];
};
// The input callback is handed the bit reader and may treat it as the deflate reader.
static_assert(offsetof(DeflateReader, bitstream) == 0, "the bit reader is the deflate reader's first member");

}  // namespace

// ---- bit reader ----

static void InitializeBitStreamReader(BitStreamReader *self)
{
	self->callback = nullptr;
	self->context = nullptr;
	self->pos = self->end = nullptr;
	self->bits = 0;
	self->numbits = 0;
}

static void SetBitStreamInputCallback(BitStreamReader *self, BitStreamInputFunction *callback, void *context)
{
	self->callback = callback;
	self->context = context;
}

static void ProvideBitStreamInputBuffer(BitStreamReader *self, const void *bytes, size_t length)
{
	self->pos = (const uint8_t *)bytes;
	self->end = self->pos + length;
}

// Buffers at least required bits unless the input ends first.
static void FillBits(BitStreamReader *self, int required)
{
	while (self->numbits < required) {
		if (self->pos == self->end) {
			if (!self->callback) return;
			self->callback(self, self->context);
			if (self->pos == self->end) return;
		}
		self->bits |= (uint64_t)*self->pos++ << self->numbits;
		self->numbits += 8;
	}
}

static void DiscardBits(BitStreamReader *self, int length)
{
	self->bits >>= length;
	self->numbits -= length;
}

// The next length bits, least significant first; -1 when the input runs out.
static int ReadBitString(BitStreamReader *self, int length)
{
	if (length == 0) return 0;
	FillBits(self, length);
	if (self->numbits < length) return -1;
	int value = (int)(self->bits & ((1u << length) - 1));
	DiscardBits(self, length);
	return value;
}

// Aligns to the next byte boundary; whole buffered bytes stay buffered.
static void FlushBitStream(BitStreamReader *self) { DiscardBits(self, self->numbits & 7); }

// ---- Huffman tables ----
//
// An entry: bits 0-7 the bits it consumes (its code, or the rest of its code
// in a subtable, plus the extra bits that follow), bits 8-11 the code's part
// alone, bits 12-14 what it is, bits 16-31 a literal byte, a base length or
// distance, or a subtable's start. Entry 0 marks a bit pattern that starts no
// code. A code of length L fills every entry whose low L bits are the code in
// stream order.

constexpr uint32_t EntryLiteral = 1 << 12, EntryEnd = 1 << 13, EntrySubtable = 1 << 14;

static uint32_t ExtraBitsOfEntry(uint32_t entry) { return (entry & 0xff) - ((entry >> 8) & 15); }

static uint32_t LiteralEntry(int s);
static uint32_t DistanceEntry(int s);
static uint32_t MetaEntry(int s) { return (uint32_t)s << 16 | EntryLiteral; }

static uint32_t ReverseBits(uint32_t code, int length)
{
	uint32_t r = 0;
	for (int i = 0; i < length; i++, code >>= 1) r = r << 1 | (code & 1);
	return r;
}

// Canonical codes from code lengths (0 to 15). An over-subscribed set fails;
// an incomplete one is accepted and its unused patterns stay 0.
static bool BuildHuffmanTableFromLengths(uint32_t *table, int tablebits, const int *lengths, int numcodes,
	uint32_t (*entryof)(int))
{
	int count[MaximumCodeLength + 1] = {}, first[MaximumCodeLength + 2] = {};
	for (int s = 0; s < numcodes; s++) count[lengths[s]]++;
	int left = 1, longest = 0;
	for (int length = 1; length <= MaximumCodeLength; length++) {
		left = (left << 1) - count[length];
		if (left < 0) return false;
		if (count[length]) longest = length;
		first[length + 1] = first[length] + count[length];
	}
	bool complete = left == 0;
	int sorted[288];
	for (int s = 0; s < numcodes; s++)
		if (lengths[s]) sorted[first[lengths[s]]++] = s;
	uint32_t mainsize = 1u << tablebits, subbits = longest > tablebits ? (uint32_t)(longest - tablebits) : 0;
	if (!complete) memset(table, 0, mainsize * sizeof *table);
	uint32_t code = 0, next = mainsize, subtable = 0, prefix = ~0u;
	int previous = 0;
	for (int i = 0; i < numcodes - count[0]; i++) {
		int s = sorted[i], length = lengths[s];
		code <<= length - previous;
		previous = length;
		uint32_t reversed = ReverseBits(code++, length), entry = entryof(s);
		if (length <= tablebits) {
			entry += (uint32_t)length | (uint32_t)length << 8;
			for (uint32_t at = reversed; at < mainsize; at += 1u << length) table[at] = entry;
			continue;
		}
		if ((reversed & (mainsize - 1)) != prefix) {  // codes sharing a prefix come one after another
			prefix = reversed & (mainsize - 1);
			subtable = next;
			next += 1u << subbits;
			table[prefix] = subtable << 16 | EntrySubtable | subbits << 8 | (uint32_t)tablebits;
			if (!complete) memset(table + subtable, 0, sizeof *table << subbits);
		}
		int rest = length - tablebits;
		entry += (uint32_t)rest | (uint32_t)rest << 8;
		for (uint32_t at = reversed >> tablebits; at < 1u << subbits; at += 1u << rest) table[subtable + at] = entry;
	}
	return true;
}

// The entry of the next code, its code bits consumed; false when the input
// runs out or the pattern is no code.
static bool ReadHuffmanCode(BitStreamReader *self, const uint32_t *table, int tablebits, uint32_t *result)
{
	FillBits(self, MaximumCodeLength);  // at the end of input the missing high bits read as 0
	uint32_t entry = table[self->bits & ((1u << tablebits) - 1)];
	int length = 0;
	if (entry & EntrySubtable) {
		length = tablebits;
		entry = table[(entry >> 16) + ((self->bits >> tablebits) & ((1u << ((entry >> 8) & 15)) - 1))];
	}
	length += (int)((entry >> 8) & 15);
	if (entry == 0 || self->numbits < length) return false;
	DiscardBits(self, length);
	*result = entry;
	return true;
}

// ---- deflate ----

static const uint8_t order[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};
static const uint16_t baselengths[20] = {
	11, 13, 15, 17, 19, 23, 27, 31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227};
static const uint32_t baseoffsets[28] = {5, 7, 9, 13, 17, 25, 33, 49, 65, 97, 129, 193, 257, 385, 513, 769, 1025,
	1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577, 32769, 49153};

// Symbols 286 and 287, which no encoder uses, read as length 258 like 285.
static uint32_t LiteralEntry(int s)
{
	if (s < 256) return (uint32_t)s << 16 | EntryLiteral;
	if (s == 256) return EntryEnd;
	if (s <= 264) return (uint32_t)(s - 254) << 16;
	if (s <= 284) return (uint32_t)baselengths[s - 265] << 16 | (uint32_t)(s - 261) / 4;
	return (uint32_t)MaximumMatchLength << 16;
}

// Symbols 30 and 31 reach beyond the window and fail when used.
static uint32_t DistanceEntry(int s)
{
	if (s <= 3) return (uint32_t)(s + 1) << 16;
	return baseoffsets[s - 4] << 16 | (uint32_t)(s - 2) / 2;
}

static void InitializeDeflateReader(DeflateReader *self)
{
	InitializeBitStreamReader(&self->bitstream);
	self->pos = 0;
	// an empty stored block, so that the first step reads the first block header
	self->isstoredblock = true;
	self->islastblock = false;
	self->storedbytesleft = 0;
}

static void SetDeflateInputCallback(DeflateReader *self, BitStreamInputFunction *callback, void *context)
{
	SetBitStreamInputCallback(&self->bitstream, callback, context);
}

static void ProvideDeflateInputBuffer(DeflateReader *self, const void *bytes, size_t length)
{
	ProvideBitStreamInputBuffer(&self->bitstream, bytes, length);
}

static uint32_t DeflateStreamPosition(DeflateReader *self) { return self->pos; }

static uint8_t ByteFromDeflateWindow(DeflateReader *self, uint32_t pos) { return self->window[pos & WindowMask]; }

static void CopyBytesFromDeflateWindow(DeflateReader *self, void *destination, uint32_t pos, uint32_t length)
{
	uint32_t s = pos & WindowMask;
	if (s + length > WindowSize) {
		uint32_t first = WindowSize - s;
		memcpy(destination, &self->window[s], first);
		memcpy((uint8_t *)destination + first, self->window, length - first);
	} else {
		memcpy(destination, &self->window[s], length);
	}
}

static void OutputDeflateLiteral(DeflateReader *self, uint8_t literal)
{
	self->window[self->pos & WindowMask] = literal;
	self->pos++;
}

// A match whose source and destination both lie before the window's end.
// It writes exactly length bytes: bytes just past it are the oldest in the
// window, which the next match may still need.
__attribute__((always_inline)) static inline void CopyDeflateMatch(uint8_t *d, const uint8_t *s, uint32_t offset, uint32_t length)
{
	if (offset >= 8) {  // each 8 bytes are out before they are read again
		if (length >= 8) {
			for (uint32_t i = 0; i + 8 <= length; i += 8) memcpy(d + i, s + i, 8);
			memcpy(d + length - 8, s + length - 8, 8);
		} else if (length >= 4) {
			memcpy(d, s, 4);
			memcpy(d + length - 4, s + length - 4, 4);
		} else {
			d[0] = s[0], d[1] = s[1], d[2] = s[2];
		}
		return;
	}
	if (offset == 1) {
		memset(d, s[0], length);
		return;
	}
	// Nearer than 8, the match repeats its first offset bytes: once past the
	// first step - offset bytes, where step is the smallest multiple of the
	// offset of at least 8, byte i equals byte i - step, which is out.
	uint32_t step = (8 + offset - 1) / offset * offset, i = 0;
	for (; i < length && i < step - offset; i++) d[i] = s[i];
	for (; i + 8 <= length; i += 8) memcpy(d + i, d + i - step, 8);
	for (; i < length; i++) d[i] = s[i];
}

static void OutputDeflateMatch(DeflateReader *self, uint32_t offset, uint32_t length)
{
	uint32_t to = self->pos & WindowMask, from = (self->pos - offset) & WindowMask;
	uint8_t *window = self->window;
	self->pos += length;
	if (to + length > WindowSize || from + length > WindowSize) {
		for (uint32_t i = 0; i < length; i++) window[(to + i) & WindowMask] = window[(from + i) & WindowMask];
		return;
	}
	CopyDeflateMatch(window + to, window + from, offset, length);
}

static void InitializeDeflateFixedLiteralCode(uint32_t *table)
{
	int lengths[288];
	for (int s = 0; s < 288; s++) lengths[s] = s < 144 ? 8 : s < 256 ? 9 : s < 280 ? 7 : 8;
	BuildHuffmanTableFromLengths(table, LiteralTableBits, lengths, 288, LiteralEntry);  // complete: cannot fail
}

static void InitializeDeflateFixedDistanceCode(uint32_t *table)
{
	int lengths[32];
	for (int &l : lengths) l = 5;
	BuildHuffmanTableFromLengths(table, DistanceTableBits, lengths, 32, DistanceEntry);
}

// The code-length code: nummetas 3-bit lengths in the order of the table above.
static bool ReadDeflateMetaCode(DeflateReader *self, uint32_t *table, int nummetas)
{
	int lengths[19] = {};
	for (int i = 0; i < nummetas; i++) {
		int length = ReadBitString(&self->bitstream, 3);
		if (length < 0) return false;
		lengths[order[i]] = length;
	}
	return BuildHuffmanTableFromLengths(table, MetaTableBits, lengths, 19, MetaEntry);
}

static bool ReadDeflateDynamicCodes(DeflateReader *self)
{
	BitStreamReader *in = &self->bitstream;
	int hlit = ReadBitString(in, 5), hdist = ReadBitString(in, 5), hclen = ReadBitString(in, 4);
	if (hlit < 0 || hdist < 0 || hclen < 0) return false;
	int numliterals = hlit + 257, numdistances = hdist + 1, total = numliterals + numdistances;
	uint32_t metacode[1 << MetaTableBits];
	if (!ReadDeflateMetaCode(self, metacode, hclen + 4)) return false;
	int lengths[288 + 32];
	for (int n = 0; n < total;) {
		uint32_t entry;
		if (!ReadHuffmanCode(in, metacode, MetaTableBits, &entry)) return false;
		int sym = (int)(entry >> 16);
		if (sym < 16) {
			lengths[n++] = sym;
			continue;
		}
		if (sym == 16 && n == 0) return false;  // nothing to repeat
		int value = sym == 16 ? lengths[n - 1] : 0;
		int extra = ReadBitString(in, sym == 16 ? 2 : sym == 17 ? 3 : 7);
		if (extra < 0) return false;
		int repeat = extra + (sym == 18 ? 11 : 3);
		if (n + repeat > total) return false;
		while (repeat-- > 0) lengths[n++] = value;
	}
	return BuildHuffmanTableFromLengths(self->literalcode, LiteralTableBits, lengths, numliterals, LiteralEntry) &&
		BuildHuffmanTableFromLengths(self->distancecode, DistanceTableBits, lengths + numliterals, numdistances,
			DistanceEntry);
}

static bool ReadDeflateBlockHeader(DeflateReader *self)
{
	BitStreamReader *in = &self->bitstream;
	int last = ReadBitString(in, 1), type = ReadBitString(in, 2);
	if (last < 0 || type < 0) return false;
	self->islastblock = last != 0;
	switch (type) {
	case 0: {
		FlushBitStream(in);
		int len = ReadBitString(in, 16), nlen = ReadBitString(in, 16);
		if (len < 0 || nlen < 0 || (nlen ^ 0xffff) != len) return false;
		self->storedbytesleft = len;
		self->isstoredblock = true;
		return true;
	}
	case 1:
		InitializeDeflateFixedLiteralCode(self->literalcode);
		InitializeDeflateFixedDistanceCode(self->distancecode);
		self->isstoredblock = false;
		return true;
	case 2:
		if (!ReadDeflateDynamicCodes(self)) return false;
		self->isstoredblock = false;
		return true;
	default:
		return false;
	}
}

// One careful step: a literal, a match, or the next block header. False at
// the end of the stream and on anything invalid.
static bool ReadDeflateCode(DeflateReader *self)
{
	BitStreamReader *in = &self->bitstream;
	if (self->isstoredblock) {
		if (self->storedbytesleft < 1) return self->islastblock ? false : ReadDeflateBlockHeader(self);
		int byte = ReadBitString(in, 8);
		if (byte < 0) return false;
		self->storedbytesleft--;
		OutputDeflateLiteral(self, (uint8_t)byte);
		return true;
	}
	uint32_t entry;
	if (!ReadHuffmanCode(in, self->literalcode, LiteralTableBits, &entry)) return false;
	if (entry & EntryLiteral) {
		OutputDeflateLiteral(self, (uint8_t)(entry >> 16));
		return true;
	}
	if (entry & EntryEnd) return self->islastblock ? false : ReadDeflateBlockHeader(self);
	int extra = ReadBitString(in, (int)ExtraBitsOfEntry(entry));
	if (extra < 0) return false;
	uint32_t length = (entry >> 16) + (uint32_t)extra;
	if (!ReadHuffmanCode(in, self->distancecode, DistanceTableBits, &entry)) return false;
	extra = ReadBitString(in, (int)ExtraBitsOfEntry(entry));
	if (extra < 0) return false;
	uint32_t offset = (entry >> 16) + (uint32_t)extra;
	// before the first byte, or older than the window keeps: there is nothing to copy
	if (offset > self->pos || offset > WindowSize) return false;
	OutputDeflateMatch(self, offset, length);
	return true;
}

// Copies a stored block's bytes straight from the input, up to pos.
static bool CopyStoredDeflateBytes(DeflateReader *self, uint32_t pos)
{
	BitStreamReader *in = &self->bitstream;
	while (self->storedbytesleft > 0 && self->pos < pos) {
		if (in->numbits >= 8 || in->pos == in->end) {  // buffered bytes first; the callback for more
			if (!ReadDeflateCode(self)) return false;
			continue;
		}
		uint32_t n = (uint32_t)self->storedbytesleft, to = self->pos & WindowMask;
		if (n > (size_t)(in->end - in->pos)) n = (uint32_t)(in->end - in->pos);
		if (n > pos - self->pos) n = pos - self->pos;
		if (n > WindowSize - to) n = WindowSize - to;
		memcpy(self->window + to, in->pos, n);
		in->bits = 0;  // the fast loop may have left these bytes' bits above numbits
		in->pos += n;
		self->pos += n;
		self->storedbytesleft -= (int)n;
	}
	return true;
}

// Decodes literals and matches while that needs no checks: at least 8 input
// bytes left (one refill of 56 bits or more covers a length and a distance
// code with their extra bits), and room for a longest match before the
// window's end. Leaves a block's end, a bad pattern and everything near the
// ends to the careful step. False only for a distance that reaches nothing.
static bool DecodeDeflateFast(DeflateReader *self, uint32_t pos)
{
	BitStreamReader *in = &self->bitstream;
	const uint8_t *next = in->pos;
	if (in->end - next < 8) return true;
	const uint8_t *last = in->end - 8;
	uint64_t bits = in->bits;
	int numbits = in->numbits;
	uint32_t out = self->pos, to = out & WindowMask;
	if (to > WindowSize - MaximumMatchLength) return true;
	uint32_t stop = out + (WindowSize - MaximumMatchLength - to) + 1;
	if (stop > pos) stop = pos;
	uint8_t *window = self->window;
	const uint32_t *literals = self->literalcode, *distances = self->distancecode;
	bool ok = true;
	while (out < stop && next <= last) {
		uint64_t word;
		memcpy(&word, next, 8);
		bits |= word << numbits;
		next += (63 - numbits) >> 3;
		numbits |= 56;
		uint32_t entry = literals[bits & ((1u << LiteralTableBits) - 1)];
		if (entry & EntrySubtable) {
			uint32_t sub = literals[(entry >> 16) + ((bits >> LiteralTableBits) & ((1u << ((entry >> 8) & 15)) - 1))];
			if (sub == 0 || (sub & EntryEnd)) break;  // left to the careful step, unconsumed
			bits >>= LiteralTableBits;
			numbits -= LiteralTableBits;
			entry = sub;
		}
		if (entry & EntryLiteral) {
			bits >>= entry & 0xff;
			numbits -= (int)(entry & 0xff);
			window[out++ & WindowMask] = (uint8_t)(entry >> 16);
			continue;
		}
		if (entry == 0 || (entry & EntryEnd)) break;
		uint32_t consumed = entry & 0xff, codelength = (entry >> 8) & 15;
		uint32_t length = (entry >> 16) + (uint32_t)((bits & ((1ull << consumed) - 1)) >> codelength);
		bits >>= consumed;
		numbits -= (int)consumed;
		entry = distances[bits & ((1u << DistanceTableBits) - 1)];
		if (entry & EntrySubtable) {
			bits >>= DistanceTableBits;
			numbits -= DistanceTableBits;
			entry = distances[(entry >> 16) + (bits & ((1u << ((entry >> 8) & 15)) - 1))];
		}
		consumed = entry & 0xff, codelength = (entry >> 8) & 15;
		uint32_t offset = (entry >> 16) + (uint32_t)((bits & ((1ull << consumed) - 1)) >> codelength);
		bits >>= consumed;
		numbits -= (int)consumed;
		if (entry == 0 || offset > out || offset > WindowSize) {
			ok = false;
			break;
		}
		uint32_t from = (out - offset) & WindowMask;
		if (from + length > WindowSize) {
			for (uint32_t i = 0; i < length; i++) window[(out + i) & WindowMask] = window[(from + i) & WindowMask];
		} else {
			CopyDeflateMatch(window + (out & WindowMask), window + from, offset, length);
		}
		out += length;
	}
	in->pos = next;
	in->bits = bits;
	in->numbits = numbits;
	self->pos = out;
	return ok;
}

// Decodes until at least pos bytes are out (up to 257 more: the rest of a match).
static bool ReadDeflateStreamToPosition(DeflateReader *self, uint32_t pos)
{
	while (DeflateStreamPosition(self) < pos) {
		if (self->isstoredblock ? !CopyStoredDeflateBytes(self, pos) : !DecodeDeflateFast(self, pos)) return false;
		if (DeflateStreamPosition(self) >= pos) break;
		if (!ReadDeflateCode(self)) return false;
	}
	return true;
}

// Copies out at most a window's worth less a longest match at a time, so that
// decoding to the end of a piece (and up to 257 bytes past it) never
// overwrites a byte of it before it is copied.
bool InflateWhole(const void *stream, size_t length, void *out, size_t size)
{
	if (size > UINT32_MAX - WindowSize) return false;
	DeflateReader *reader = (DeflateReader *)malloc(sizeof(DeflateReader));
	if (!reader) return false;
	InitializeDeflateReader(reader);
	ProvideDeflateInputBuffer(reader, stream, length);
	bool ok = true;
	for (uint32_t done = 0, step; ok && done < size; done += step) {
		step = (uint32_t)(size - done < WindowSize - MaximumMatchLength ? size - done : WindowSize - MaximumMatchLength);
		ok = ReadDeflateStreamToPosition(reader, done + step);
		if (ok) CopyBytesFromDeflateWindow(reader, (uint8_t *)out + done, done, step);
	}
	free(reader);
	return ok;
}

// ---- PNG ----

constexpr uint32_t ChunkIHDR = 0x49484452, ChunkPLTE = 0x504C5445, ChunkTRNS = 0x74524E53, ChunkIDAT = 0x49444154;
static const uint8_t Signature[8] = {137, 80, 78, 71, 13, 10, 26, 10};

static uint32_t GetUInt32BE(const uint8_t *ptr)
{
	return (uint32_t)ptr[0] << 24 | (uint32_t)ptr[1] << 16 | (uint32_t)ptr[2] << 8 | ptr[3];
}

static int Abs(int val) { return val < 0 ? -val : val; }

void *StorePNGPixelRGBA(void *destination, uint8_t r, uint8_t g, uint8_t b, uint8_t a, int, int)
{
	uint8_t *d = (uint8_t *)destination;
	d[0] = r, d[1] = g, d[2] = b, d[3] = a;
	return d + 4;
}

void *StorePNGPixelARGB(void *destination, uint8_t r, uint8_t g, uint8_t b, uint8_t a, int, int)
{
	uint32_t p = (uint32_t)a << 24 | (uint32_t)r << 16 | (uint32_t)g << 8 | b;
	memcpy(destination, &p, 4);
	return (uint8_t *)destination + 4;
}

void InitializePNGLoader(PNGLoader *self, const void *bytes, size_t length)
{
	memset(self, 0, sizeof *self);
	self->bytes = (const uint8_t *)bytes;
	self->length = length;
}

static bool ReadPNGImageHeader(PNGLoader *self, const uint8_t *data, uint32_t length)
{
	if (length < 13 || data[10] != 0 || data[11] != 0 || data[12] != 0) return false;  // compression, filter, interlace
	uint32_t width = GetUInt32BE(data), height = GetUInt32BE(data + 4);
	int depth = data[8], type = data[9];
	if (width == 0 || height == 0 || width > INT32_MAX || height > INT32_MAX) return false;
	int channels;
	switch (type) {
	case 0:
	case 3:
		if (depth != 1 && depth != 2 && depth != 4 && depth != 8) return false;
		channels = 1;
		break;
	case 2: channels = 3; break;
	case 4: channels = 2; break;
	case 6: channels = 4; break;
	default: return false;
	}
	if (type != 0 && type != 3 && depth != 8) return false;
	uint64_t rowbytes = ((uint64_t)width * (uint64_t)(depth * channels) + 7) / 8;
	// a row and the rest of the match that ends it must fit the window to be copied out
	if (rowbytes + 1 + (MaximumMatchLength - 1) > WindowSize) return false;
	// stream positions are 32-bit
	if ((rowbytes + 1) * height + MaximumMatchLength > UINT32_MAX) return false;
	self->width = (int)width;
	self->height = (int)height;
	self->bitdepth = depth;
	self->colourtype = type;
	self->bytesperrow = (int)rowbytes;
	self->bytesperpixel = depth == 8 ? channels : 1;
	return true;
}

bool LoadPNGHeader(PNGLoader *self)
{
	if (self->length < 8 || memcmp(self->bytes, Signature, 8) != 0) return false;
	bool header = false;
	for (size_t at = 8;;) {
		size_t remaining = self->length - at;
		if (remaining < 12) return false;
		const uint8_t *chunk = self->bytes + at;
		uint32_t length = GetUInt32BE(chunk), type = GetUInt32BE(chunk + 4);
		if ((uint64_t)length + 12 > remaining) return false;
		const uint8_t *data = chunk + 8;
		switch (type) {
		case ChunkIHDR:
			if (!ReadPNGImageHeader(self, data, length)) return false;
			header = true;
			break;
		case ChunkPLTE:
			self->palettestart = data;
			self->palettecount = (int)(length > 3 * 256 ? 256 : length / 3);  // an 8-bit index reaches 256 at most
			break;
		case ChunkTRNS:
			self->transparencystart = data;
			self->transparencycount = (int)(length > 256 ? 256 : length);
			break;
		case ChunkIDAT:
			// the first two bytes are the zlib header
			if (!header || length < 2) return false;
			self->idatstart = data;
			self->idatsize = length;
			return true;
		}
		at += 12 + (size_t)length;
	}
}

size_t TemporaryBytesForPNGLoader(PNGLoader *self)
{
	return sizeof(DeflateReader) + 2 * ((size_t)self->bytesperrow + (size_t)self->bytesperpixel);
}

// Chains consecutive image data chunks into one stream; the first chunk of
// another type, or one that does not fit the file, ends the input.
static void InputCallback(BitStreamReader *bits, void *context)
{
	DeflateReader *reader = (DeflateReader *)bits;
	PNGLoader *self = (PNGLoader *)context;
	size_t at = (size_t)(self->idatstart - self->bytes) + self->idatsize + 4;  // past the CRC
	for (;;) {
		if (at > self->length || self->length - at < 12) return;
		const uint8_t *chunk = self->bytes + at;
		uint32_t length = GetUInt32BE(chunk);
		if ((uint64_t)length + 12 > self->length - at || GetUInt32BE(chunk + 4) != ChunkIDAT) return;
		self->idatstart = chunk + 8;
		self->idatsize = length;
		if (length > 0) break;
		at += 12;  // an empty chunk carries nothing, but the stream goes on
	}
	ProvideDeflateInputBuffer(reader, self->idatstart, self->idatsize);
}

// Eight bytewise sums modulo 256 in one word: the low seven bits of each
// byte add without reaching the next byte, and the top bit is their carry
// plus the two top bits.
static uint64_t AddBytes(uint64_t a, uint64_t b)
{
	const uint64_t top = 0x8080808080808080u;
	return ((a & ~top) + (b & ~top)) ^ ((a ^ b) & top);
}

// Unfilters one row in place; above is the previous row, zeros for the first.
// Both have bpp zero bytes before them, the "left" of the first pixel. Made
// once for each pixel size, so that the distance to the left byte is a
// constant the compiler can unroll and schedule around.
template <int bpp>
static void UndoPNGFilterOf(uint8_t *current, const uint8_t *above, int filter, int n)
{
	switch (filter) {
	case 1:
		for (int i = 0; i < n; i++) current[i] = (uint8_t)(current[i] + current[i - bpp]);
		break;
	case 2: {
		int i = 0;
		for (; i + 8 <= n; i += 8) {
			uint64_t c, u;
			memcpy(&c, current + i, 8);
			memcpy(&u, above + i, 8);
			c = AddBytes(c, u);
			memcpy(current + i, &c, 8);
		}
		for (; i < n; i++) current[i] = (uint8_t)(current[i] + above[i]);
		break;
	}
	case 3:
		for (int i = 0; i < n; i++) current[i] = (uint8_t)(current[i] + ((current[i - bpp] + above[i]) >> 1));
		break;
	case 4:
		for (int i = 0; i < n; i++) {
			int left = current[i - bpp], up = above[i], upleft = above[i - bpp];
			int p = left + up - upleft;
			int pa = Abs(p - left), pb = Abs(p - up), pc = Abs(p - upleft);
			int predictor = pa <= pb && pa <= pc ? left : pb <= pc ? up : upleft;
			current[i] = (uint8_t)(current[i] + predictor);
		}
		break;
	}
}

// bpp is 1 for depths below 8, else 1 to 4 bytes of 8-bit samples.
static void UndoPNGFilter(uint8_t *current, const uint8_t *above, int filter, int n, int bpp)
{
	switch (bpp) {
	case 1: UndoPNGFilterOf<1>(current, above, filter, n); break;
	case 2: UndoPNGFilterOf<2>(current, above, filter, n); break;
	case 3: UndoPNGFilterOf<3>(current, above, filter, n); break;
	default: UndoPNGFilterOf<4>(current, above, filter, n); break;
	}
}

static int PNGSample(const uint8_t *row, int x, int depth)
{
	if (depth == 8) return row[x];
	int bit = x * depth;
	return (row[bit / 8] >> (8 - depth - bit % 8)) & ((1 << depth) - 1);
}

// Hands one unfiltered row to the pixel function; false at a palette index past the palette.
static bool EmitPNGRow(PNGLoader *self, const uint8_t *row, uint8_t *destination, PNGPixelFunction *pixelfunc, int y)
{
	static const int greyscale[9] = {0, 255, 85, 0, 17, 0, 0, 0, 1};
	void *d = destination;
	for (int x = 0; x < self->width; x++) {
		uint8_t r, g, b, a = 255;
		switch (self->colourtype) {
		case 0:
			r = g = b = (uint8_t)(PNGSample(row, x, self->bitdepth) * greyscale[self->bitdepth]);
			break;
		case 2:
			r = row[3 * x], g = row[3 * x + 1], b = row[3 * x + 2];
			break;
		case 3: {
			int index = PNGSample(row, x, self->bitdepth);
			if (index >= self->palettecount) return false;
			const uint8_t *entry = self->palettestart + 3 * index;
			r = entry[0], g = entry[1], b = entry[2];
			if (index < self->transparencycount) a = self->transparencystart[index];
			break;
		}
		case 4:
			r = g = b = row[2 * x];
			a = row[2 * x + 1];
			break;
		default:
			r = row[4 * x], g = row[4 * x + 1], b = row[4 * x + 2], a = row[4 * x + 3];
			break;
		}
		d = pixelfunc(d, r, g, b, a, x, y);
	}
	return true;
}

// The loader's own pixel functions, a row at a time: the bytes that calling
// them for each pixel writes, without the calls.
template <bool argb>
static void PutPNGPixel(uint8_t *d, uint32_t r, uint32_t g, uint32_t b, uint32_t a)
{
	if (argb) {
		uint32_t p = a << 24 | r << 16 | g << 8 | b;
		memcpy(d, &p, 4);
	} else {
		d[0] = (uint8_t)r, d[1] = (uint8_t)g, d[2] = (uint8_t)b, d[3] = (uint8_t)a;
	}
}

// Greyscale and indexed rows go through lookup, count entries of finished
// pixels; false at a palette index past the palette.
template <bool argb>
static bool ConvertPNGRow(PNGLoader *self, const uint8_t *row, uint8_t *d, const uint32_t *lookup, int count)
{
	int width = self->width;
	switch (self->colourtype) {
	case 2:
		for (int x = 0; x < width; x++, row += 3) PutPNGPixel<argb>(d + 4 * x, row[0], row[1], row[2], 255);
		return true;
	case 4:
		for (int x = 0; x < width; x++, row += 2) PutPNGPixel<argb>(d + 4 * x, row[0], row[0], row[0], row[1]);
		return true;
	case 6:
		if (!argb) {
			memcpy(d, row, 4 * (size_t)width);
		} else {
			for (int x = 0; x < width; x++, row += 4) PutPNGPixel<argb>(d + 4 * x, row[0], row[1], row[2], row[3]);
		}
		return true;
	}
	for (int x = 0; x < width; x++) {
		int index = self->bitdepth == 8 ? row[x] : PNGSample(row, x, self->bitdepth);
		if (index >= count) return false;
		memcpy(d + 4 * x, &lookup[index], 4);
	}
	return true;
}

// The finished pixel of each grey level or palette index; the count of them.
template <bool argb>
static int MakePNGLookup(PNGLoader *self, uint32_t *lookup)
{
	static const int greyscale[9] = {0, 255, 85, 0, 17, 0, 0, 0, 1};
	if (self->colourtype == 0) {
		int count = 1 << self->bitdepth;
		for (int v = 0; v < count; v++) {
			uint32_t grey = (uint32_t)(v * greyscale[self->bitdepth]);
			PutPNGPixel<argb>((uint8_t *)&lookup[v], grey, grey, grey, 255);
		}
		return count;
	}
	for (int i = 0; i < self->palettecount; i++) {
		const uint8_t *entry = self->palettestart + 3 * i;
		PutPNGPixel<argb>((uint8_t *)&lookup[i], entry[0], entry[1], entry[2],
			i < self->transparencycount ? self->transparencystart[i] : 255);
	}
	return self->palettecount;
}

bool LoadPNGImageDataWithTemporaryStorage(PNGLoader *self, void *pixels, int bytesperrow, PNGPixelFunction *pixelfunc,
	void *temporarystorage)
{
	if (!self->idatstart) return false;  // no header was loaded
	int bpp = self->bytesperpixel, n = self->bytesperrow;
	DeflateReader *reader = (DeflateReader *)temporarystorage;
	uint8_t *a = (uint8_t *)(reader + 1), *b = a + bpp + n;
	memset(a, 0, (size_t)(bpp + n));
	memset(b, 0, (size_t)bpp);
	uint8_t *above = a + bpp, *current = b + bpp;

	InitializeDeflateReader(reader);
	ProvideDeflateInputBuffer(reader, self->idatstart + 2, self->idatsize - 2);  // past the zlib header
	SetDeflateInputCallback(reader, InputCallback, self);

	uint32_t lookup[256];
	int count = 0;
	if (self->colourtype == 0 || self->colourtype == 3) {
		if (pixelfunc == StorePNGPixelRGBA) count = MakePNGLookup<false>(self, lookup);
		if (pixelfunc == StorePNGPixelARGB) count = MakePNGLookup<true>(self, lookup);
	}
	uint32_t rowbytes = (uint32_t)n + 1;
	for (int y = 0; y < self->height; y++) {
		uint32_t start = rowbytes * (uint32_t)y;
		if (!ReadDeflateStreamToPosition(reader, start + rowbytes)) return false;
		int filter = ByteFromDeflateWindow(reader, start);
		if (filter > 4) return false;
		CopyBytesFromDeflateWindow(reader, current, start + 1, (uint32_t)n);
		UndoPNGFilter(current, above, filter, n, bpp);
		uint8_t *destination = (uint8_t *)pixels + (ptrdiff_t)y * bytesperrow;
		bool ok = pixelfunc == StorePNGPixelRGBA ? ConvertPNGRow<false>(self, current, destination, lookup, count)
			: pixelfunc == StorePNGPixelARGB     ? ConvertPNGRow<true>(self, current, destination, lookup, count)
												 : EmitPNGRow(self, current, destination, pixelfunc, y);
		if (!ok) return false;
		uint8_t *swap = above;
		above = current;
		current = swap;
	}
	return true;
}

bool LoadPNGImageData(PNGLoader *self, void *pixels, int bytesperrow, PNGPixelFunction *pixelfunc)
{
	void *storage = malloc(TemporaryBytesForPNGLoader(self));
	if (!storage) return false;
	bool ok = LoadPNGImageDataWithTemporaryStorage(self, pixels, bytesperrow, pixelfunc, storage);
	free(storage);
	return ok;
}
