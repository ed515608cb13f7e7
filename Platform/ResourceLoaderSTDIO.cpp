// The file-reading half of the resource loader. Every failure leaves the
// bundle out of the chain, closes and frees whatever it had opened, and
// keeps a line saying why for the start-up check to show.
#include <sys/stat.h>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include "Platform/ResourceLoader.h"
#include "Graphics/RLEBitmapIndex.h"

ResourceLoader *AllocResourceLoader()
{
	ResourceLoader *self = (ResourceLoader *)malloc(sizeof(ResourceLoader));
	if (!self) return nullptr;
	InitializeResourceLoaderCore(&self->core);
	self->nummissing = 0;
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

void StartRequestingResourceBundles(ResourceLoader *self)
{
	StartRequestingResourceBundlesCore(&self->core);
	self->nummissing = 0;
}

// A load that found no file (and so left no refusal) is noted, for
// HaveResourceBundlesArrived to look for later.
static ResourceBundle *LoadOrNoteMissing(ResourceLoader *self, const char *path)
{
	ResourceBundle *bundle = AllocAndLoadBundleAtPath(self, path);
	if (!bundle && !ResourceBundleRefusal(path) && self->nummissing < MaximumMissingBundles)
		snprintf(self->missing[self->nummissing++], sizeof self->missing[0], "%s", path);
	return bundle;
}

void RequestResourceBundle(ResourceLoader *self, const char *path)
{
	RequestResourceBundleCore(&self->core, self, path, LoadOrNoteMissing);
}

bool HaveResourceBundlesArrived(ResourceLoader *self)
{
	for (int i = 0; i < self->nummissing; i++) {
		char filename[ResourceBundleNameSize + 8];
		snprintf(filename, sizeof filename, "%s.laser", self->missing[i]);
		struct stat st;
		if (stat(filename, &st) == 0) return true;
	}
	return false;
}

void EndRequestingResourceBundles(ResourceLoader *self) { EndRequestingResourceBundlesCore(&self->core); }

int ResourceLoadingProgress(ResourceLoader *) { return 100; }

ResourceBundle *ResourceBundleList(ResourceLoader *self) { return ResourceBundleListCore(&self->core); }

// The refusals of the most recent failed loads, by path.
struct Refusal
{
	char path[ResourceBundleNameSize + 1];
	char why[ResourceBundleNameSize + sizeof(ResourceBundleProblems::first) + 16];
};
static Refusal refusals[8];
static unsigned nextrefusal;

static Refusal *RefusalFor(const char *path)
{
	for (Refusal &r : refusals)
		if (r.path[0] && strncmp(r.path, path, ResourceBundleNameSize) == 0) return &r;
	return nullptr;
}

const char *ResourceBundleRefusal(const char *path)
{
	Refusal *r = RefusalFor(path);
	return r ? r->why : nullptr;
}

static ResourceBundle *Refuse(const char *path, const std::string &filename, const char *why)
{
	Refusal *r = RefusalFor(path);
	if (!r) r = &refusals[nextrefusal++ % 8];
	snprintf(r->path, sizeof r->path, "%s", path);
	snprintf(r->why, sizeof r->why, "%s: %s", filename.c_str(), why);
	return nullptr;
}

ResourceBundle *AllocAndLoadBundleAtPath(ResourceLoader *, const char *path)
{
	std::string filename = std::string(path) + ".laser";
	if (Refusal *r = RefusalFor(path)) r->path[0] = 0;
	struct stat st;
	if (stat(filename.c_str(), &st) != 0) return errno == ENOENT ? nullptr : Refuse(path, filename, strerror(errno));
	if (!S_ISREG(st.st_mode)) return Refuse(path, filename, "not a regular file");
	size_t filesize = (size_t)st.st_size;
	uint8_t *block = (uint8_t *)malloc(filesize ? filesize : 1);
	if (!block) return Refuse(path, filename, "not enough memory");
	FILE *file = fopen(filename.c_str(), "rb");
	if (!file) {
		free(block);
		return Refuse(path, filename, strerror(errno));
	}
	size_t got = fread(block, 1, filesize, file);
	fclose(file);
	if (got != filesize) {
		free(block);
		return Refuse(path, filename, "cannot be read whole");
	}
	ResourceBundleProblems problems = {};
	size_t memorysize = CheckResourceBundle(block, filesize, &problems);
	if (memorysize == 0) {
		free(block);
		return Refuse(path, filename, problems.first);
	}
	// room for the side records that fix-up builds behind the image
	uint8_t *grown = (uint8_t *)realloc(block, memorysize);
	if (!grown) {
		free(block);
		return Refuse(path, filename, "not enough memory");
	}
	ResourceBundle *bundle = (ResourceBundle *)grown;
	if (!FixUpResourceBundle(bundle, filesize, path)) {  // checked above: cannot fail
		free(bundle);
		return Refuse(path, filename, "the magic changed while it was loaded");
	}
	AddIndexedRLEBlock(bundle, grown + memorysize);  // FreeResourceBundleList removes it
	return bundle;
}
