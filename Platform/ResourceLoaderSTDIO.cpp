// The file-reading half of the resource loader. Every failure leaves the
// bundle out of the chain and closes and frees whatever it had opened.
#include <sys/stat.h>
#include <cstdio>
#include <cstdlib>
#include <string>
#include "Platform/ResourceLoader.h"

ResourceLoader *AllocResourceLoader()
{
	ResourceLoader *self = (ResourceLoader *)malloc(sizeof(ResourceLoader));
	if (self) InitializeResourceLoaderCore(&self->core);
	return self;
}

void FreeResourceLoader(ResourceLoader *self)
{
	if (!self) return;
	CleanupResourceLoaderCore(&self->core);
	free(self);
}

void AddResourceParser(ResourceLoader *self, ResourceIdentificationFunction *identifyfunc, ResourceParsingFunction *parsefunc)
{
	AddResourceParserCore(&self->core, identifyfunc, parsefunc);
}

void StartRequestingResourceBundles(ResourceLoader *self) { StartRequestingResourceBundlesCore(&self->core); }

void RequestResourceBundle(ResourceLoader *self, const char *path)
{
	RequestResourceBundleCore(&self->core, self, path, AllocAndLoadBundleAtPath);
}

void EndRequestingResourceBundles(ResourceLoader *self) { EndRequestingResourceBundlesCore(&self->core); }

int ResourceLoadingProgress(ResourceLoader *) { return 100; }

ResourceBundle *ResourceBundleList(ResourceLoader *self) { return ResourceBundleListCore(&self->core); }

ResourceBundle *AllocAndLoadBundleAtPath(ResourceLoader *, const char *path)
{
	std::string filename = std::string(path) + ".laser";
	struct stat st;
	if (stat(filename.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return nullptr;
	size_t filesize = (size_t)st.st_size;
	if (filesize < (size_t)ResourceBundleHeaderSize) return nullptr;
	uint8_t *block = (uint8_t *)malloc(filesize);
	if (!block) return nullptr;
	FILE *file = fopen(filename.c_str(), "rb");
	if (!file) {
		free(block);
		return nullptr;
	}
	size_t got = fread(block, 1, filesize, file);
	fclose(file);
	size_t memorysize = got == filesize ? ResourceBundleMemorySize(block, filesize) : 0;
	if (memorysize == 0) {
		free(block);
		return nullptr;
	}
	// room for the side records that fix-up builds behind the image
	uint8_t *grown = (uint8_t *)realloc(block, memorysize);
	if (!grown) {
		free(block);
		return nullptr;
	}
	ResourceBundle *bundle = (ResourceBundle *)grown;
	if (!FixUpResourceBundle(bundle, filesize, path)) {
		free(bundle);
		return nullptr;
	}
	return bundle;
}
