// laserpack: builds a bundle file from a manifest (the format is described in
// tools/laserpack/Manifest.h), or rewrites a bundle with every entry's data
// <n> bytes past a 4-byte boundary, as another writer may lay it out.
//
//   laserpack <manifest.txt> <output.laser> <bundle name>
//   laserpack --skew <n> <input.laser> <output.laser>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include "Platform/ResourceBundle.h"
#include "tools/WholeFiles.h"
#include "tools/laserpack/Manifest.h"

// The entries of a valid bundle file, their data as it stands.
static bool ReadBundle(const char *path, BundleWriter *writer)
{
	std::ifstream in(path, std::ios::binary);
	std::vector<uint8_t> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
	ResourceBundleProblems problems = {};
	if (CheckResourceBundle(file.data(), file.size(), &problems) == 0) {
		fprintf(stderr, "laserpack: %s: %s\n", path, in ? problems.first : "cannot be read");
		return false;
	}
	uint32_t n;
	memcpy(&n, file.data() + 8, 4);
	for (uint32_t i = 0; i < n; i++) {
		ResourceBundleEntry e;
		memcpy(&e, file.data() + ResourceBundleHeaderSize + i * sizeof e, sizeof e);
		const uint8_t *data = file.data() + e.offset;
		writer->entries.push_back({std::string(e.name, strnlen(e.name, sizeof e.name)), e.type, {data, data + e.size}});
	}
	return true;
}

static bool Save(const char *path, BundleWriter *writer, const std::string &context)
{
	std::vector<uint8_t> bytes;
	std::string error;
	if (!WriteBundle(writer, &bytes, &error)) {
		fprintf(stderr, "%s: %s\n", context.c_str(), error.c_str());
		return false;
	}
	if (ReplaceFile(path, bytes.data(), bytes.size())) return true;
	fprintf(stderr, "laserpack: cannot write %s\n", path);
	return false;
}

int main(int argc, char **argv)
{
	if (argc == 5 && strcmp(argv[1], "--skew") == 0) {
		BundleWriter writer;
		writer.skew = atoi(argv[2]);
		return ReadBundle(argv[3], &writer) && Save(argv[4], &writer, argv[3]) ? 0 : 1;
	}
	if (argc != 4) {
		fprintf(stderr, "usage: laserpack <manifest.txt> <output.laser> <bundle name>\n"
						"       laserpack --skew <n> <input.laser> <output.laser>\n");
		return 2;
	}
	Manifest m{argv[1], "", 0, ""};
	size_t slash = m.path.rfind('/');
	if (slash != std::string::npos) m.folder = m.path.substr(0, slash + 1);
	std::ifstream in(m.path);
	if (!in) {
		fprintf(stderr, "laserpack: cannot read %s\n", m.path.c_str());
		return 1;
	}
	BundleWriter writer;
	writer.name = argv[3];
	for (std::string text; std::getline(in, text);) {
		m.line++;
		if (!AddManifestLine(&writer, m, text)) {
			fprintf(stderr, "%s\n", m.error.c_str());
			return 1;
		}
	}
	return Save(argv[2], &writer, m.path) ? 0 : 1;
}
