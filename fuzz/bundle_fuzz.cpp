// Fuzz target: a bundle file (or a gzip file of one, inflated first as the
// loader does), checked where it lies at an odd address (the check reads any
// alignment), once. A refusal must say why; whatever the check lets through
// must fix up, look up by every name and draw to the last pixel without a
// fault, from aligned copies where its pictures are not aligned, and its
// frames must draw the same through their indexes as by their spans.
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include "Graphics/Drawing.h"
#include "Graphics/RLEBitmapIndex.h"
#include "Platform/CompressedBundle.h"
#include "Platform/GameResources.h"
#include "Platform/ResourceBundle.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
	// a gzip file goes on as the bundle it inflates to, or is refused saying why
	if (IsGzipFile(data, size)) {
		size_t inflatedsize = 0;
		const char *why = nullptr;
		uint8_t *inflated = AllocAndInflateGzipFile(data, size, &inflatedsize, &why);
		if (!inflated) {
			if (!why) abort();
			return 0;
		}
		if (!IsGzipFile(inflated, inflatedsize)) LLVMFuzzerTestOneInput(inflated, inflatedsize);
		free(inflated);
		return 0;
	}
	uint8_t *odd = (uint8_t *)malloc(size + 1);
	memcpy(odd + 1, data, size);
	ResourceBundleProblems problems = {};
	size_t memorysize = CheckResourceBundle(odd + 1, size, &problems);
	free(odd);
	if ((memorysize == 0) != (problems.count > 0) || (problems.count > 0 && !strstr(problems.first, " at offset 0x")))
		abort();
	if (memorysize == 0) return 0;
	ResourceBundle *bundle = (ResourceBundle *)malloc(memorysize);
	memcpy(bundle, data, size);
	if (!FixUpResourceBundle(bundle, size, "Graphics/Sprites")) abort();  // it was found valid a moment ago

	static Pixel screen[48][64], walked[48][64];
	Bitmap canvas, walkedcanvas;
	InitializeBitmap(&canvas, 64, 48, sizeof screen[0], &screen[0][0]);
	InitializeBitmap(&walkedcanvas, 64, 48, sizeof walked[0], &walked[0][0]);
	ResourceBundleEntry *entries = ResourceBundleEntries(bundle);
	for (uint32_t i = 0; i < bundle->numentries; i++) {
		char name[ResourceEntryNameSize + 1] = {};
		memcpy(name, entries[i].name, ResourceEntryNameSize);
		if (strlen(name) < ResourceEntryNameSize && !strchr(name, '/')) {  // names that a lookup can spell
			size_t found = 0;
			void *looked = DataForResourceWithName(bundle, name, &found);
			if (looked != (char *)bundle + entries[i].offset || found != entries[i].size) abort();
		}
		void *entry = (char *)bundle + entries[i].offset;
		if (entries[i].type == 'R') {
			for (RLEBitmap **f = (RLEBitmap **)entry; *f; f++) {
				if ((uintptr_t)*f % 4 != 0) abort();  // drawing reads 32-bit words
				memcpy(walked, screen, sizeof screen);
				for (bool indexed : {true, false}) {
					Bitmap *b = indexed ? &canvas : &walkedcanvas;
					if (indexed) AddIndexedRLEBlock(bundle, (char *)bundle + memorysize);
					DrawRLEBitmap(b, *f, -3, -5);
					DrawRLEBitmap(b, *f, 60, 40);
					CompositeRLEBitmap(b, *f, 10, 10, SourceOverCompositionMode);
					CompositeRLEBitmap(b, *f, -7, 30, FastHalfTransparentCompositionMode);
					RemoveIndexedRLEBlock(bundle);
				}
				if (memcmp(screen, walked, sizeof screen) != 0) abort();
			}
		} else if (entries[i].type == 'B') {
			Bitmap *b = (Bitmap *)entry;
			if ((uintptr_t)b->pixels % 4 != 0 || b->bytesperrow % 4 != 0) abort();
			DrawBitmap(&canvas, b, -1, -2);
			DrawBitmap(&canvas, b, 30, 20);
		}
	}
	char problem[200];
	(void)CheckGameResources(bundle, problem, sizeof problem);
	free(bundle);
	return 0;
}
