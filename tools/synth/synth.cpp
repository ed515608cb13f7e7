// synth: renders a sound recipe or a piece of music written as text into an
// Ogg Vorbis file (and, on request, a WAV file to look at with other tools).
//
//   synth <score.txt> <out.ogg> [<out.wav>]
#include <cstdio>
#include "tools/WholeFiles.h"
#include "tools/synth/Synth.h"

static bool WriteFile(const char *path, const std::vector<uint8_t> &bytes)
{
	if (ReplaceFile(path, bytes.data(), bytes.size())) return true;
	fprintf(stderr, "synth: cannot write %s\n", path);
	return false;
}

int main(int argc, char **argv)
{
	if (argc != 3 && argc != 4) {
		fprintf(stderr, "usage: synth <score.txt> <out.ogg> [<out.wav>]\n");
		return 2;
	}
	std::string text;
	if (!ReadWholeFile(argv[1], &text)) {
		fprintf(stderr, "synth: cannot read %s\n", argv[1]);
		return 1;
	}
	Score score;
	InitializeScore(&score);
	std::string error;
	if (!ParseScore(&score, text, argv[1], &error)) {
		fprintf(stderr, "%s\n", error.c_str());
		return 1;
	}
	std::vector<float> samples = RenderScore(&score);
	int64_t frames = (int64_t)samples.size() / score.channels;
	std::vector<uint8_t> ogg = EncodeOggVorbis(samples.data(), frames, score.channels, score.rate, score.quality, score.seed);
	if (ogg.empty()) {
		fprintf(stderr, "synth: %s: the encoder failed\n", argv[1]);
		return 1;
	}
	if (!WriteFile(argv[2], ogg)) return 1;
	if (argc == 4 && !WriteFile(argv[3], EncodeWav(samples.data(), frames, score.channels, score.rate))) return 1;
	return 0;
}
