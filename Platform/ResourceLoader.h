// The resource loader: reads bundle files "<path>.laser" from the working
// directory with the C runtime's file functions, synchronously, and keeps the
// resident bundles in one chain for DataForResourceWithName.
#pragma once
#include "Platform/ResourceLoaderCore.h"

constexpr int MaximumMissingBundles = 8;

struct ResourceLoader
{
	ResourceLoaderCore core;
	int nummissing;  // bundles of the last batch that had no file, named in missing
	char missing[MaximumMissingBundles][ResourceBundleNameSize + 1];
};

[[nodiscard]] ResourceLoader *AllocResourceLoader();
void FreeResourceLoader(ResourceLoader *self);
void AddResourceParser(ResourceLoader *self, ResourceIdentificationFunction *identifyfunc, ResourceParsingFunction *parsefunc);
void StartRequestingResourceBundles(ResourceLoader *self);
void RequestResourceBundle(ResourceLoader *self, const char *path);
void EndRequestingResourceBundles(ResourceLoader *self);
int ResourceLoadingProgress(ResourceLoader *self);
ResourceBundle *ResourceBundleList(ResourceLoader *self);

// Whether a bundle of the last batch that had no file has one now, so that a
// new batch would find it. Looks for the files of those bundles only: with
// none missing it costs nothing.
[[nodiscard]] bool HaveResourceBundlesArrived(ResourceLoader *self);
// Whether bundles that have no file yet may still get one: the browser's
// page fetches the sound bundle after the first frame. Each platform answers.
[[nodiscard]] bool MayResourceBundlesArrive();

// Reads and checks one bundle file; null when it is missing or not valid.
ResourceBundle *AllocAndLoadBundleAtPath(ResourceLoader *self, const char *path);

// Why the last load of path failed, naming the file and what is wrong
// ("Graphics/Sprites.laser: entry "Orb", frame 3: row 7 runs past ..."), or
// null when it did not fail or found no file. Kept for the few most recent
// paths.
const char *ResourceBundleRefusal(const char *path);
