// Bundle files read with the C runtime's file functions: the desktop, and
// the browser build's benchmark and simulator, which have a file system.
#include <sys/stat.h>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include "Platform/BundleFile.h"

uint8_t *AllocAndReadBundleFile(const char *filename, size_t *size, const char **why)
{
	struct stat st;
	if (stat(filename, &st) != 0) {
		*why = errno == ENOENT ? nullptr : strerror(errno);
		return nullptr;
	}
	if (!S_ISREG(st.st_mode)) {
		*why = "not a regular file";
		return nullptr;
	}
	size_t filesize = (size_t)st.st_size;
	uint8_t *block = (uint8_t *)malloc(filesize ? filesize : 1);
	if (!block) {
		*why = "not enough memory";
		return nullptr;
	}
	FILE *file = fopen(filename, "rb");
	if (!file) {
		*why = strerror(errno);
		free(block);
		return nullptr;
	}
	size_t got = fread(block, 1, filesize, file);
	fclose(file);
	if (got != filesize) {
		*why = "cannot be read whole";
		free(block);
		return nullptr;
	}
	*size = filesize;
	return block;
}

bool BundleFileExists(const char *filename)
{
	struct stat st;
	return stat(filename, &st) == 0;
}
