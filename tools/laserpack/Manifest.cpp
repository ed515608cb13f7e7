// Reading a packer manifest, one line at a time, into a bundle writer.
#include "tools/laserpack/Manifest.h"
#include <cstdlib>
#include <sstream>
#include "tools/laserpack/PngFile.h"

static bool Fail(const Manifest &m, const std::string &message)
{
	m.error = m.path + ":" + std::to_string(m.line) + ": " + message;
	return false;
}

static bool IsNumber(const std::string &s) { return !s.empty() && s.find_first_not_of("0123456789") == std::string::npos; }

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

bool AddManifestLine(BundleWriter *writer, const Manifest &m, const std::string &text)
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
	if (!ReadWholeFile(m.folder + args[0], &data)) return Fail(m, "cannot read " + m.folder + args[0]);
	return AddRawEntry(writer, name, (uint8_t)type[0], data, &error) || Fail(m, error);
}

