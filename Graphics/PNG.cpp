// The PNG loader and the inflate decoder it reads image data with. Needs only
// the C library.
//
// Inflate (RFC 1951) decodes on demand into a 32 KiB circular window: the
// loader asks for the stream up to a byte position and copies each row out
// while it is still in the window. Input comes in pieces through a callback,
// so image data split over several chunks is never joined. Huffman tables are
// direct-lookup, 15 bits wide, one access per symbol. Nothing is allocated:
// state, window and tables live in one DeflateReader.
//
// No input is trusted: every read that runs out of input fails, and so does a
// distance reaching before the first byte output or beyond the window.
#include "Graphics/PNG.h"
#include <cstdlib>
#include <cstring>

namespace {

struct BitStreamReader;
typedef void BitStreamInputFunction(BitStreamReader *reader, void *context);

struct BitStreamReader
{
	BitStreamInputFunction *callback;  // asked for more when the buffer is used up; may be null
	void *context;
	const uint8_t *pos, *end;
	uint32_t bits;  // the next bit of the stream is bit 0
	int numbits;
};

constexpr uint32_t WindowSize = 32768;
constexpr uint32_t WindowMask = WindowSize - 1;
constexpr int MaximumMatchLength = 258;

struct DeflateReader
{
	BitStreamReader bitstream;  // first, so that the two pointers are one address
	uint32_t pos;  // bytes output so far
	bool isstoredblock, islastblock;
	int storedbytesleft;
	uint8_t window[WindowSize];  // stream byte p lives at p & WindowMask
	uint16_t literalcode[1 << 15];
	uint16_t distancecode[1 << 15];
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

// Buffers at least required bits unless the input ends first; never more than required + 7.
static void FillBits(BitStreamReader *self, int required)
{
	while (self->numbits < required) {
		if (self->pos == self->end) {
			if (!self->callback) return;
			self->callback(self, self->context);
			if (self->pos == self->end) return;
		}
		self->bits |= (uint32_t)*self->pos++ << self->numbits;
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
// An entry holds the symbol in its low 12 bits and the code length in its high
// 4; entry 0 marks a bit pattern that starts no code. A code of length L fills
// every entry whose low L bits are the code in stream order.

static uint16_t MakeHuffmanTableEntry(int value, int length) { return (uint16_t)(value | (length << 12)); }
static int ValueOfHuffmanTableEntry(uint16_t entry) { return entry & 0xfff; }
static int LengthOfHuffmanTableEntry(uint16_t entry) { return entry >> 12; }

static void InitializeHuffmanTable(uint16_t *table, int maxlength)
{
	memset(table, 0, sizeof(uint16_t) << maxlength);
}

static bool AddHuffmanCodeToTable(uint16_t *table, int maxlength, uint16_t code, int length, int value)
{
	for (uint32_t i = 0; i < (1u << (maxlength - length)); i++) {
		uint16_t *entry = &table[(i << length) + code];
		if (*entry != 0) return false;
		*entry = MakeHuffmanTableEntry(value, length);
	}
	return true;
}

static uint16_t ReverseBits(uint16_t val)
{
	uint32_t v = val;
	v = ((v >> 1) & 0x5555) | ((v & 0x5555) << 1);
	v = ((v >> 2) & 0x3333) | ((v & 0x3333) << 2);
	v = ((v >> 4) & 0x0f0f) | ((v & 0x0f0f) << 4);
	v = ((v >> 8) & 0x00ff) | ((v & 0x00ff) << 8);
	return (uint16_t)v;
}

// Canonical codes from code lengths. An over-subscribed set fails; an
// incomplete one is accepted and its unused patterns stay 0.
static bool BuildHuffmanTableFromLengths(uint16_t *table, int maxlength, const int *lengths, int numcodes)
{
	InitializeHuffmanTable(table, maxlength);
	uint32_t next = 0;  // the next code, left-aligned in 16 bits
	for (int length = 1; length <= maxlength; length++) {
		for (int s = 0; s < numcodes; s++) {
			if (lengths[s] != length) continue;
			if (next > 0xffff) return false;  // the code space is used up
			if (!AddHuffmanCodeToTable(table, maxlength, ReverseBits((uint16_t)next), length, s)) return false;
			next += 1u << (16 - length);
		}
	}
	return true;
}

// The next symbol; -1 when the input runs out, -2 for a pattern that is no code.
static int ReadHuffmanCode(BitStreamReader *self, const uint16_t *table, int maxlength)
{
	FillBits(self, maxlength);  // at the end of input the missing high bits read as 0
	uint16_t entry = table[self->bits & ((1u << maxlength) - 1)];
	int length = LengthOfHuffmanTableEntry(entry);
	if (self->numbits < length) return -1;
	if (length == 0) return -2;
	DiscardBits(self, length);
	return ValueOfHuffmanTableEntry(entry);
}

// ---- deflate ----

static const uint8_t order[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};
static const uint16_t baselengths[20] = {
	11, 13, 15, 17, 19, 23, 27, 31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227};
static const uint32_t baseoffsets[28] = {5, 7, 9, 13, 17, 25, 33, 49, 65, 97, 129, 193, 257, 385, 513, 769, 1025,
	1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577, 32769, 49153};

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

// A match is most of the bytes of a picture, so it is copied in blocks where
// it can be: when neither end wraps round the window, a match at least as far
// back as it is long is one memmove (whose source may lie ahead, in bytes
// not yet overwritten), and a nearer one, which repeats its own output, is
// copied forwards in 8-byte steps where the offset allows or byte by byte.
static void OutputDeflateMatch(DeflateReader *self, int offset, int length)
{
	uint32_t to = self->pos & WindowMask, from = (self->pos - (uint32_t)offset) & WindowMask;
	uint8_t *window = self->window;
	self->pos += (uint32_t)length;
	if (to + (uint32_t)length > WindowSize || from + (uint32_t)length > WindowSize) {
		for (int i = 0; i < length; i++) window[(to + (uint32_t)i) & WindowMask] = window[(from + (uint32_t)i) & WindowMask];
		return;
	}
	uint8_t *d = window + to;
	const uint8_t *s = window + from;
	if (offset >= length) {
		memmove(d, s, (size_t)length);
		return;
	}
	// Nearer than it is long, the match repeats its first offset bytes: once
	// past the first step - offset bytes, where step is the smallest multiple
	// of the offset of at least 8, byte i equals byte i - step, which is
	// already out, so 8 bytes move at a time.
	int step = (8 + offset - 1) / offset * offset, i = 0;
	for (; i < length && i < step - offset; i++) d[i] = s[i];
	for (; i + 8 <= length; i += 8) memcpy(d + i, d + i - step, 8);
	for (; i < length; i++) d[i] = s[i];
}

static void InitializeDeflateFixedLiteralCode(uint16_t *table)
{
	int lengths[288];
	for (int s = 0; s < 288; s++) lengths[s] = s < 144 ? 8 : s < 256 ? 9 : s < 280 ? 7 : 8;
	BuildHuffmanTableFromLengths(table, 15, lengths, 288);  // complete: cannot fail
}

static void InitializeDeflateFixedDistanceCode(uint16_t *table)
{
	int lengths[32];
	for (int &l : lengths) l = 5;
	BuildHuffmanTableFromLengths(table, 15, lengths, 32);
}

// The code-length code: nummetas 3-bit lengths in the order of the table above.
static bool ReadDeflateMetaCode(DeflateReader *self, uint16_t *table, int nummetas)
{
	int lengths[19] = {};
	for (int i = 0; i < nummetas; i++) {
		int length = ReadBitString(&self->bitstream, 3);
		if (length < 0) return false;
		lengths[order[i]] = length;
	}
	return BuildHuffmanTableFromLengths(table, 7, lengths, 19);
}

static bool ReadDeflateDynamicCodes(DeflateReader *self)
{
	BitStreamReader *in = &self->bitstream;
	int hlit = ReadBitString(in, 5), hdist = ReadBitString(in, 5), hclen = ReadBitString(in, 4);
	if (hlit < 0 || hdist < 0 || hclen < 0) return false;
	int numliterals = hlit + 257, numdistances = hdist + 1, total = numliterals + numdistances;
	uint16_t metacode[1 << 7];
	if (!ReadDeflateMetaCode(self, metacode, hclen + 4)) return false;
	int lengths[288 + 32];
	for (int n = 0; n < total;) {
		int sym = ReadHuffmanCode(in, metacode, 7);
		if (sym < 0) return false;
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
	return BuildHuffmanTableFromLengths(self->literalcode, 15, lengths, numliterals) &&
		BuildHuffmanTableFromLengths(self->distancecode, 15, lengths + numliterals, numdistances);
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

// One step: a literal, a match, or the next block header. False at the end of
// the stream and on anything invalid.
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
	int sym = ReadHuffmanCode(in, self->literalcode, 15);
	if (sym < 0) return false;
	if (sym < 256) {
		OutputDeflateLiteral(self, (uint8_t)sym);
		return true;
	}
	if (sym == 256) return self->islastblock ? false : ReadDeflateBlockHeader(self);
	int length;
	if (sym <= 264) {
		length = sym - 254;
	} else if (sym <= 284) {
		int extra = ReadBitString(in, (sym - 261) / 4);
		if (extra < 0) return false;
		length = baselengths[sym - 265] + extra;
	} else {
		length = MaximumMatchLength;
	}
	int dist = ReadHuffmanCode(in, self->distancecode, 15);
	if (dist < 0) return false;
	uint32_t offset;
	if (dist <= 3) {
		offset = (uint32_t)dist + 1;
	} else {
		int extra = ReadBitString(in, (dist - 2) / 2);
		if (extra < 0) return false;
		offset = baseoffsets[dist - 4] + (uint32_t)extra;
	}
	// before the first byte, or older than the window keeps: there is nothing to copy
	if (offset > self->pos || offset > WindowSize) return false;
	OutputDeflateMatch(self, (int)offset, length);
	return true;
}

// Decodes until at least pos bytes are out (up to 257 more: the rest of a match).
static bool ReadDeflateStreamToPosition(DeflateReader *self, uint32_t pos)
{
	while (DeflateStreamPosition(self) < pos)
		if (!ReadDeflateCode(self)) return false;
	return true;
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

	uint32_t rowbytes = (uint32_t)n + 1;
	for (int y = 0; y < self->height; y++) {
		uint32_t start = rowbytes * (uint32_t)y;
		if (!ReadDeflateStreamToPosition(reader, start + rowbytes)) return false;
		int filter = ByteFromDeflateWindow(reader, start);
		if (filter > 4) return false;
		CopyBytesFromDeflateWindow(reader, current, start + 1, (uint32_t)n);
		UndoPNGFilter(current, above, filter, n, bpp);
		uint8_t *destination = (uint8_t *)pixels + (ptrdiff_t)y * bytesperrow;
		if (!EmitPNGRow(self, current, destination, pixelfunc, y)) return false;
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
