// laserpack: builds a bundle file from a manifest (the format is described in
// tools/laserpack/Manifest.h).
//
//   laserpack <manifest.txt> <output.laser> <bundle name>
#include <cstdio>
#include <fstream>
#include "tools/laserpack/Manifest.h"

int main(int argc, char **argv)
{
	if (argc != 4) {
		fprintf(stderr, "usage: laserpack <manifest.txt> <output.laser> <bundle name>\n");
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
	std::vector<uint8_t> bytes;
	std::string error;
	if (!WriteBundle(&writer, &bytes, &error)) {
		fprintf(stderr, "%s: %s\n", m.path.c_str(), error.c_str());
		return 1;
	}
	std::string tmp = std::string(argv[2]) + ".tmp";
	FILE *out = fopen(tmp.c_str(), "wb");
	bool written = out && fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
	if (out && fclose(out) != 0) written = false;
	if (!written || rename(tmp.c_str(), argv[2]) != 0) {
		fprintf(stderr, "laserpack: cannot write %s\n", argv[2]);
		remove(tmp.c_str());
		return 1;
	}
	return 0;
}
