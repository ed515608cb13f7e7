// Note names to frequencies: equal temperament with a4 = 440 Hz, octaves
// numbered so that c4 is middle C. A plain number with "hz" is taken as is,
// which the sound recipes use for sweeps that start between notes.
#include <cmath>
#include <cstdlib>
#include <cstring>
#include "tools/synth/Synth.h"

bool ParsePitch(const char *text, double *frequency)
{
	size_t n = strlen(text);
	if (n > 2 && strcmp(text + n - 2, "hz") == 0) {
		char *end = nullptr;
		double hz = strtod(text, &end);
		if (end != text + n - 2 || !(hz > 0.0) || hz > 20000.0) return false;
		*frequency = hz;
		return true;
	}
	static constexpr int semitones[7] = {9, 11, 0, 2, 4, 5, 7}; // a b c d e f g from c
	if (text[0] < 'a' || text[0] > 'g') return false;
	int semitone = semitones[text[0] - 'a'];
	const char *p = text + 1;
	if (*p == '#') semitone++, p++;
	else if (*p == 'b' && p[1] >= '0' && p[1] <= '9') semitone--, p++;
	if (*p < '0' || *p > '9' || p[1] != '\0') return false;
	int midi = 12 * (*p - '0' + 1) + semitone;
	*frequency = 440.0 * std::pow(2.0, (midi - 69) / 12.0);
	return true;
}
