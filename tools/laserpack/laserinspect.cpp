// laserinspect: lists a bundle, exports one of its pictures as a PNG, or
// checks bundles and prints every problem (exit code 1 when there is one).
//
//   laserinspect <file.laser>
//   laserinspect <file.laser> <entry> <frame> <out.png>   (frame 0 for a bitmap)
//   laserinspect --check <file.laser>...
//
// The file is checked exactly as the game checks it.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <vector>
#include "Graphics/Drawing.h"
#include "Platform/ResourceBundle.h"
#include "tools/laserpack/PngFile.h"

static int FrameCount(RLEBitmap **frames)
{
	int n = 0;
	while (frames[n]) n++;
	return n;
}

static void List(ResourceBundle *bundle)
{
	printf("%u entries\n", bundle->numentries);
	ResourceBundleEntry *entries = ResourceBundleEntries(bundle);
	for (uint32_t i = 0; i < bundle->numentries; i++) {
		ResourceBundleEntry *e = &entries[i];
		char name[ResourceEntryNameSize + 1] = {};
		memcpy(name, e->name, ResourceEntryNameSize);
		void *data = (char *)bundle + e->offset;
		char type = e->type >= 32 && e->type < 127 ? (char)e->type : '?';
		printf("%-32s %c %9u bytes", name, type, e->size);
		if (e->type == 'B') {
			Bitmap *b = (Bitmap *)data;
			printf("  bitmap %dx%d", b->width, b->height);
		} else if (e->type == 'R') {
			RLEBitmap **frames = (RLEBitmap **)data;
			printf("  %d frames:", FrameCount(frames));
			for (int f = 0; frames[f]; f++) printf(" %dx%d", frames[f]->width, frames[f]->height);
		}
		printf("\n");
	}
}

static int Export(ResourceBundle *bundle, const char *entry, int frame, const char *out)
{
	std::string error;
	ResourceBundleEntry *entries = ResourceBundleEntries(bundle);
	for (uint32_t i = 0; i < bundle->numentries; i++) {
		if (strncmp(entries[i].name, entry, ResourceEntryNameSize) != 0) continue;
		void *data = (char *)bundle + entries[i].offset;
		if (entries[i].type == 'B') {
			Bitmap *b = (Bitmap *)data;
			std::vector<Pixel> pixels((size_t)b->width * b->height);
			Bitmap copy;
			InitializeBitmap(&copy, b->width, b->height, b->width * 4, pixels.data());
			DrawBitmap(&copy, b, 0, 0);
			if (WritePngFile(out, b->width, b->height, pixels.data(), &error)) return 0;
		} else if (entries[i].type == 'R') {
			RLEBitmap **frames = (RLEBitmap **)data;
			if (frame < 0 || frame >= FrameCount(frames)) {
				fprintf(stderr, "laserinspect: \"%s\" has %d frames\n", entry, FrameCount(frames));
				return 1;
			}
			RLEBitmap *r = frames[frame];
			std::vector<Pixel> pixels((size_t)r->width * r->height, 0);
			Bitmap canvas;
			InitializeBitmap(&canvas, r->width, r->height, r->width * 4, pixels.data());
			DrawRLEBitmap(&canvas, r, 0, 0);
			if (WritePngFile(out, r->width, r->height, pixels.data(), &error)) return 0;
		} else {
			error = std::string("\"") + entry + "\" is raw data, not a picture";
		}
		fprintf(stderr, "laserinspect: %s\n", error.c_str());
		return 1;
	}
	fprintf(stderr, "laserinspect: no entry \"%s\"\n", entry);
	return 1;
}

static std::vector<uint8_t> ReadFile(const char *path, bool *ok)
{
	std::ifstream in(path, std::ios::binary);
	std::vector<uint8_t> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
	*ok = (bool)in || in.eof();
	return file;
}

static void PrintProblem(void *path, const char *problem) { printf("%s: %s\n", (const char *)path, problem); }

static int Check(int count, char **paths)
{
	int status = 0;
	for (int i = 0; i < count; i++) {
		bool ok;
		std::vector<uint8_t> file = ReadFile(paths[i], &ok);
		ResourceBundleProblems problems = {0, "", PrintProblem, paths[i]};
		if (!ok) printf("%s: cannot be read\n", paths[i]);
		else if (CheckResourceBundle(file.data(), file.size(), &problems) != 0) continue;
		status = 1;
	}
	return status;
}

int main(int argc, char **argv)
{
	if (argc >= 3 && strcmp(argv[1], "--check") == 0) return Check(argc - 2, argv + 2);
	if (argc != 2 && argc != 5) {
		fprintf(stderr, "usage: laserinspect <file.laser> [<entry> <frame> <out.png>]\n"
						"       laserinspect --check <file.laser>...\n");
		return 2;
	}
	bool ok;
	std::vector<uint8_t> file = ReadFile(argv[1], &ok);
	ResourceBundleProblems problems = {};
	size_t size = ok ? CheckResourceBundle(file.data(), file.size(), &problems) : 0;
	if (size == 0) {
		fprintf(stderr, "laserinspect: %s: %s\n", argv[1], ok ? problems.first : "cannot be read");
		return 1;
	}
	std::vector<uint64_t> block((size + 7) / 8);  // 8-byte aligned, as malloc gives the game
	memcpy(block.data(), file.data(), file.size());
	ResourceBundle *bundle = (ResourceBundle *)block.data();
	if (!FixUpResourceBundle(bundle, file.size(), argv[1])) return 1;
	if (argc == 2) {
		List(bundle);
		return 0;
	}
	return Export(bundle, argv[2], atoi(argv[3]), argv[4]);
}
