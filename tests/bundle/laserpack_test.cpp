// The packer and the inspector run as commands, as artists run them, in a
// scratch folder of the build folder; their bundles loaded as the game loads.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>
#include "BundleImage.h"
#include "tools/laserpack/PngFile.h"

TEST(Laserpack, PacksRewritesChecksAndExports)
{
	ScratchFolder scratch;
	std::string folder = std::string(scratch.name) + "/", out, error, pack = LASERPACK " ", inspect = LASERINSPECT " ";
	auto shell = [&](const std::string &command) {  // the exit status; what it printed in out
		int status = system(("cd " + folder + " && " + command + " >out.txt 2>&1").c_str());
		out = ReadFile(folder + "out.txt");
		return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
	};
	std::vector<Pixel> sheet(12 * 6);  // alphas 0, 127, 128 and 255; 3 x 2 cells of 4 x 3
	const uint32_t alphas[4] = {0, 127, 128, 255};
	for (int i = 0; i < 72; i++) sheet[i] = alphas[(i + i / 12) % 4] << 24 | i * 0x010305;
	auto cell = [&](int c) {
		std::vector<Pixel> px;
		for (int i = 0; i < 12; i++) px.push_back(sheet[(c / 3 * 3 + i / 4) * 12 + c % 3 * 4 + i % 4]);
		for (Pixel &p : px) p = IsPixelTransparent(p) ? 0 : p;
		return px;
	};
	ASSERT_TRUE(WritePngFile(folder + "sheet.png", 12, 6, sheet.data(), &error)) << error;
	WriteFile(folder + "tune.ogg", {'O', 'g', 'g', 'S'});
	std::ofstream(folder + "m.txt") << "# pictures\nR Splat sheet.png 4 3 5\n\nB Title sheet.png\nS tune tune.ogg\n";
	ASSERT_EQ(shell(pack + "m.txt a.laser Test"), 0) << out;
	ASSERT_EQ(shell(pack + "--skew 3 a.laser b.laser"), 0) << out;
	for (const char *file : {"a.laser", "b.laser"}) {
		std::string bytes = ReadFile(folder + file);
		LoadedBundle l(std::vector<uint8_t>(bytes.begin(), bytes.end()), "Test");
		ASSERT_NE(l.self, nullptr) << l.problems.first;
		RLEBitmap **splat = (RLEBitmap **)DataForResourceWithName(l.self, "Splat", nullptr);
		for (int f = 0; f < 5; f++) EXPECT_EQ(Drawn(splat[f]), cell(f)) << file << " cell " << f;
		EXPECT_EQ(splat[5], nullptr);
		Bitmap *title = (Bitmap *)DataForResourceWithName(l.self, "Title", nullptr);
		EXPECT_EQ(std::vector<Pixel>(title->pixels, title->pixels + 72), sheet);  // alpha kept
		size_t size = 0;
		char *tune = (char *)DataForResourceWithName(l.self, "tune", &size);
		EXPECT_EQ(std::string(tune, size), "OggS");
	}
	ASSERT_EQ(shell(inspect + "b.laser"), 0) << out;
	EXPECT_NE(out.find("3 entries\nSplat "), std::string::npos) << out;
	EXPECT_NE(out.find(" 5 frames: 4x3 4x3 4x3 4x3 4x3\nTitle "), std::string::npos) << out;
	EXPECT_NE(out.find(" bitmap 12x6\ntune "), std::string::npos) << out;
	ASSERT_EQ(shell(inspect + "b.laser Splat 2 f.png"), 0) << out;
	PngImage frame;
	ASSERT_TRUE(ReadPngFile(folder + "f.png", &frame, &error)) << error;
	EXPECT_EQ(frame.pixels, cell(2));
	EXPECT_EQ(shell(inspect + "b.laser Splat 5 f.png"), 1);
	EXPECT_EQ(out, "laserinspect: \"Splat\" has 5 frames\n");

	// two faults in the rewritten file: every one is named
	std::string bad = ReadFile(folder + "b.laser");
	uint32_t splat, title, frame0;
	memcpy(&splat, &bad[140], 4);
	memcpy(&title, &bad[184], 4);
	memcpy(&frame0, &bad[splat], 4);
	bad[splat + frame0 + 8 + 2] = 3;  // frame 0's first span: 3 empty pixels before its 2 filled ones
	bad[title + 4] = 3;  // rows 3 bytes apart
	WriteFile(folder + "bad.laser", std::vector<uint8_t>(bad.begin(), bad.end()));
	char expected[300];
	snprintf(expected, sizeof expected, "bad.laser: entry \"Splat\", frame 0: row 0 runs past the image's width of 4 at "
		"offset 0x%x\nbad.laser: entry \"Title\": the bitmap's size 12 x 6 with rows 3 bytes apart is invalid at offset "
		"0x%x\n", splat + frame0 + 8, title);
	EXPECT_EQ(shell(inspect + "--check a.laser bad.laser"), 1);
	EXPECT_EQ(out, expected);
	EXPECT_EQ(shell(inspect + "--check a.laser b.laser"), 0);
	EXPECT_EQ(out, "");
	EXPECT_EQ(shell(inspect + "bad.laser"), 1);
	EXPECT_EQ(out, "laserinspect: bad.laser: " + std::string(expected + 11, strchr(expected, '\n')) + "\n");
	EXPECT_EQ(shell(pack + "--skew 1 bad.laser c.laser"), 1);
	EXPECT_NE(out.find("bad.laser: entry \"Splat\""), std::string::npos) << out;

	// bad manifests name the file and the line, and leave no bundle behind
	const char *manifests[][2] = {
		{"B ok sheet.png\n\nB abcdefghijklmnopqrstuvwxyz0123456 sheet.png\n", "m.txt:3: entry name \"abcdefghijklmnopqrstuvwxyz0123456\" is longer than 32 bytes"},
		{"# a comment\nR sub/name sheet.png\n", "m.txt:2: entry name \"sub/name\" contains '/'"},
		{"R cells sheet.png 4 3 7\n", "m.txt:1: the picture holds 6 cells, not 7"},
		{"R cells sheet.png 13 3\n", "m.txt:1: cell size does not fit the picture"},
		{"B same sheet.png\nS same tune.ogg\n", "entry \"same\" is given twice"},
		{"R frames sheet.png .\n", "m.txt:1: .: cannot be read (missing, or not a file)"},
		{"B Title tune.ogg\n", "tune.ogg: not a PNG the engine reads"},
	};
	for (auto &m : manifests) {
		std::ofstream(folder + "m.txt") << m[0];
		EXPECT_EQ(shell(pack + "m.txt c.laser Test"), 1) << m[0];
		EXPECT_NE(out.find(m[1]), std::string::npos) << m[0] << "printed: " << out;
		EXPECT_NE(access((folder + "c.laser").c_str(), F_OK), 0) << m[0];
	}
	EXPECT_EQ(shell(LASERPACK), 2);
	EXPECT_EQ(shell(LASERINSPECT), 2);
}
