// laserpack: builds a bundle file from a manifest.
//
//   laserpack <manifest.txt> <output.laser> <bundle name>
//
// One entry a line, '#' starts a comment, paths relative to the manifest:
//   B <entry> <file.png>                          a bitmap
//   R <entry> <file.png> [<cellw> <cellh> [<n>]]  frames: the whole picture, or
//                                                 n cells of a grid, row-major
//   R <entry> <a.png> <b.png> ...                 frames: one picture a file
//   <letter> <entry> <file>                       raw data of that type
// Pixels with alpha below 128 become transparent in frames.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include "tools/laserpack/BundleWriter.h"
#include "tools/laserpack/PngFile.h"

struct Manifest
{
	std::string path, folder;
	int line;
};

static bool Fail(const Manifest &m, const std::string &message)
{
	fprintf(stderr, "%s:%d: %s\n", m.path.c_str(), m.line, message.c_str());
	return false;
}

static bool IsNumber(const std::string &s) { return !s.empty() && s.find_first_not_of("0123456789") == std::string::npos; }

static bool ReadFile(const std::string &path, std::vector<uint8_t> *data)
{
	std::ifstream in(path, std::ios::binary);
	if (!in) return false;
	data->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
	return !in.bad();
}

// Cuts pictures out of images that stay alive in storage.
static bool CutFrames(const Manifest &m, const std::vector<std::string> &args, std::vector<PngImage> *storage,
	std::vector<Bitmap> *pictures)
{
	std::string error;
	bool grid = args.size() >= 2 && IsNumber(args[1]);
	size_t files = grid ? 1 : args.size();
	storage->resize(files);
	for (size_t i = 0; i < files; i++)
		if (!ReadPngFile(m.folder + args[i], &(*storage)[i], &error)) return Fail(m, error);
	if (!grid) {
		for (PngImage &img : *storage) {
			Bitmap b;
			InitializeBitmap(&b, img.width, img.height, img.width * 4, img.pixels.data());
			pictures->push_back(b);
		}
		return true;
	}
	if (args.size() < 3 || args.size() > 4 || !IsNumber(args[2]) || (args.size() == 4 && !IsNumber(args[3])))
		return Fail(m, "a grid needs <cellw> <cellh> [<count>] after the file");
	PngImage &img = (*storage)[0];
	int cw = atoi(args[1].c_str()), ch = atoi(args[2].c_str());
	if (cw <= 0 || ch <= 0 || cw > img.width || ch > img.height) return Fail(m, "cell size does not fit the picture");
	int columns = img.width / cw, available = columns * (img.height / ch);
	int count = args.size() == 4 ? atoi(args[3].c_str()) : available;
	if (count <= 0 || count > available)
		return Fail(m, "the picture holds " + std::to_string(available) + " cells, not " + std::to_string(count));
	for (int i = 0; i < count; i++) {
		Bitmap b;
		Pixel *corner = img.pixels.data() + (size_t)(i / columns) * ch * img.width + (size_t)(i % columns) * cw;
		InitializeBitmap(&b, cw, ch, img.width * 4, corner);
		pictures->push_back(b);
	}
	return true;
}

static bool AddLine(BundleWriter *writer, const Manifest &m, const std::string &text)
{
	std::istringstream words(text.substr(0, text.find('#')));
	std::string type, name, word;
	std::vector<std::string> args;
	if (!(words >> type)) return true;
	words >> name;
	while (words >> word) args.push_back(word);
	if (type.size() != 1) return Fail(m, "the type is one letter: B, R, or the letter of a raw entry");
	if (name.empty() || args.empty()) return Fail(m, "expected: <type> <entry> <file> ...");
	std::string error;
	if (type == "B") {
		if (args.size() != 1) return Fail(m, "a bitmap entry takes one file");
		PngImage img;
		if (!ReadPngFile(m.folder + args[0], &img, &error)) return Fail(m, error);
		Bitmap b;
		InitializeBitmap(&b, img.width, img.height, img.width * 4, img.pixels.data());
		return AddBitmapEntry(writer, name, &b, &error) || Fail(m, error);
	}
	if (type == "R") {
		std::vector<PngImage> storage;
		std::vector<Bitmap> pictures;
		if (!CutFrames(m, args, &storage, &pictures)) return false;
		return AddFramesEntry(writer, name, pictures, &error) || Fail(m, error);
	}
	if (args.size() != 1) return Fail(m, "a raw entry takes one file");
	std::vector<uint8_t> data;
	if (!ReadFile(m.folder + args[0], &data)) return Fail(m, "cannot read " + m.folder + args[0]);
	return AddRawEntry(writer, name, (uint8_t)type[0], data, &error) || Fail(m, error);
}

int main(int argc, char **argv)
{
	if (argc != 4) {
		fprintf(stderr, "usage: laserpack <manifest.txt> <output.laser> <bundle name>\n");
		return 2;
	}
	Manifest m{argv[1], "", 0};
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
		if (!AddLine(&writer, m, text)) return 1;
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
