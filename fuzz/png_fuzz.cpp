// Fuzz target: a PNG file. The header walk and the decoder must stay inside
// the file and the temporary storage, and hand out pixels in order.
#include <cstdlib>
#include <vector>
#include "Graphics/PNG.h"

static int width, height;
static long next;

static void *CheckPixel(void *destination, uint8_t, uint8_t, uint8_t, uint8_t, int x, int y)
{
	if (x < 0 || y < 0 || x >= width || y >= height || (long)y * width + x != next) abort();
	next++;
	return destination;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
	PNGLoader loader;
	InitializePNGLoader(&loader, data, size);
	if (!LoadPNGHeader(&loader)) return 0;
	width = loader.width, height = loader.height, next = 0;
	// decode into memory of exactly the temporary size asked for, so that ASan sees any overrun
	std::vector<uint8_t> storage(TemporaryBytesForPNGLoader(&loader));
	static uint32_t sink;
	(void)LoadPNGImageDataWithTemporaryStorage(&loader, &sink, 0, CheckPixel, storage.data());
	return 0;
}
