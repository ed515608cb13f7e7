// Bundle files in the browser: the page fetches them and keeps their bytes
// (Platform/Web/bundles.js) until the loader takes them here, so the build
// needs no file system. A file is taken once; a batch naming it again keeps
// the bundle already loaded.
#include <cstdlib>
#include "Platform/BundleFile.h"
#include "Platform/Web/Web.h"

uint8_t *AllocAndReadBundleFile(const char *filename, size_t *size, const char **why)
{
	int length = zep_bundle_size(filename);
	*why = nullptr;
	if (length < 0) return nullptr;  // not fetched, or not (yet) arrived
	uint8_t *block = (uint8_t *)malloc(length ? (size_t)length : 1);
	if (!block) {
		*why = "not enough memory";
		return nullptr;
	}
	zep_bundle_take(filename, block);
	*size = (size_t)length;
	return block;
}

bool BundleFileExists(const char *filename) { return zep_bundle_size(filename) >= 0; }
