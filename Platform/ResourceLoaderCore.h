// The part of the resource loader that does not read files: the chain of
// resident bundles and request batches. A batch names every bundle that should
// be resident; bundles named again are kept without rereading, the rest are
// freed when the batch ends.
#pragma once
#include <cstdlib>
#include <cstring>
#include "Graphics/RLEBitmapIndex.h"
#include "Platform/ResourceBundle.h"

struct ResourceLoader;
typedef ResourceBundle *ResourceLoadingFunction(ResourceLoader *loader, const char *path);
typedef size_t ResourceIdentificationFunction(const void *data, size_t size);
typedef bool ResourceParsingFunction(const void *data, size_t size, void *out);

constexpr int MaximumResourceParsers = 32;

struct ResourceLoaderCore
{
	ResourceBundle *currentresources;
	ResourceBundle *oldresources;  // during a batch: the previous batch's bundles not yet named again
	ResourceBundle **buildlink;    // during a batch: where the next bundle of the chain is attached
	int numparsers;
	ResourceIdentificationFunction *identifyfunctions[MaximumResourceParsers];
	ResourceParsingFunction *parsefunctions[MaximumResourceParsers];
};

static inline void FreeResourceBundleList(ResourceBundle *bundle)
{
	while (bundle) {
		ResourceBundle *next = bundle->head.next;
		RemoveIndexedRLEBlock(bundle);
		free(bundle);
		bundle = next;
	}
}

static inline void InitializeResourceLoaderCore(ResourceLoaderCore *self)
{
	self->currentresources = nullptr;
	self->oldresources = nullptr;
	self->buildlink = nullptr;
	self->numparsers = 0;
}

static inline void CleanupResourceLoaderCore(ResourceLoaderCore *self)
{
	FreeResourceBundleList(self->currentresources);
	FreeResourceBundleList(self->oldresources);
	self->currentresources = self->oldresources = nullptr;
}

static inline void AddResourceParserCore(ResourceLoaderCore *self, ResourceIdentificationFunction *identifyfunc,
	ResourceParsingFunction *parsefunc)
{
	if (self->numparsers >= MaximumResourceParsers) return;
	self->identifyfunctions[self->numparsers] = identifyfunc;
	self->parsefunctions[self->numparsers] = parsefunc;
	self->numparsers++;
}

static inline void StartRequestingResourceBundlesCore(ResourceLoaderCore *self)
{
	self->oldresources = self->currentresources;
	self->currentresources = nullptr;
	self->buildlink = &self->currentresources;
}

static inline void RequestResourceBundleCore(ResourceLoaderCore *self, ResourceLoader *loader, const char *path,
	ResourceLoadingFunction *loadfunc)
{
	for (ResourceBundle **link = &self->oldresources; *link; link = &(*link)->head.next) {
		ResourceBundle *bundle = *link;
		if (strncmp(bundle->name, path, ResourceBundleNameSize) != 0) continue;
		*link = bundle->head.next;
		bundle->head.next = nullptr;
		*self->buildlink = bundle;
		self->buildlink = &bundle->head.next;
		return;
	}
	ResourceBundle *bundle = loadfunc(loader, path);
	if (!bundle) return;
	*self->buildlink = bundle;
	self->buildlink = &bundle->head.next;
}

static inline void EndRequestingResourceBundlesCore(ResourceLoaderCore *self)
{
	FreeResourceBundleList(self->oldresources);
	self->oldresources = nullptr;
}

static inline ResourceBundle *ResourceBundleListCore(ResourceLoaderCore *self) { return self->currentresources; }
