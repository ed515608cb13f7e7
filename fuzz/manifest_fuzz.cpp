// Fuzzes the packer's manifest reader with arbitrary manifest text over a
// folder of small pictures, and checks that every bundle the packer accepts
// is one the game's loader accepts too.
#include <unistd.h>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <vector>
#include "Platform/ResourceBundle.h"
#include "tools/laserpack/Manifest.h"
#include "tools/laserpack/PngFile.h"

static std::string Folder()
{
	static std::string folder;
	if (!folder.empty()) return folder;
	char name[] = "/tmp/zep-manifest-fuzz-XXXXXX";
	if (!mkdtemp(name)) abort();
	folder = std::string(name) + "/";
	std::vector<Pixel> pixels(16 * 8);
	for (size_t i = 0; i < pixels.size(); i++) pixels[i] = (i % 3 ? 0xFF000000u : 0x40000000u) | (Pixel)(i * 977);
	std::string error;
	if (!WritePngFile(folder + "a.png", 16, 8, pixels.data(), &error)) abort();
	if (!WritePngFile(folder + "b.png", 3, 5, pixels.data(), &error)) abort();
	FILE *raw = fopen((folder + "s.ogg").c_str(), "wb");
	if (!raw) abort();
	fputs("OggS raw bytes", raw);
	fclose(raw);
	return folder;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
	// only plain file names: the manifest may name nothing outside the folder
	std::string text((const char *)data, size);
	if (text.find('/') != std::string::npos || text.find("..") != std::string::npos) return 0;
	Manifest m{"fuzz.txt", Folder(), 0, ""};
	BundleWriter writer;
	std::istringstream lines(text);
	for (std::string line; std::getline(lines, line);) {
		m.line++;
		if (!AddManifestLine(&writer, m, line)) return 0;
	}
	std::vector<uint8_t> bundle;
	std::string error;
	if (!WriteBundle(&writer, &bundle, &error)) return 0;
	size_t memory = CheckResourceBundle(bundle.data(), bundle.size(), nullptr);
	if (memory == 0) __builtin_trap();  // the packer wrote a bundle the game would refuse
	std::vector<uint64_t> block((memory + 7) / 8);
	memcpy(block.data(), bundle.data(), bundle.size());
	if (!FixUpResourceBundle((ResourceBundle *)block.data(), bundle.size(), "Fuzz")) __builtin_trap();
	return 0;
}
