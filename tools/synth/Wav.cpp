// 16-bit PCM WAV files of a render, for spectrograms and waveform plots made
// with other tools. The game itself only ever gets the Ogg Vorbis files.
#include <algorithm>
#include <cmath>
#include <cstring>
#include "tools/synth/Synth.h"

static void Put32(std::vector<uint8_t> *out, uint32_t v)
{
	for (int i = 0; i < 4; i++) out->push_back((uint8_t)(v >> (8 * i)));
}

static void Put16(std::vector<uint8_t> *out, uint16_t v)
{
	out->push_back((uint8_t)v);
	out->push_back((uint8_t)(v >> 8));
}

std::vector<uint8_t> EncodeWav(const float *samples, int64_t frames, int channels, int rate)
{
	std::vector<uint8_t> out;
	uint32_t bytes = (uint32_t)(frames * channels * 2);
	out.insert(out.end(), {'R', 'I', 'F', 'F'});
	Put32(&out, 36 + bytes);
	out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
	Put32(&out, 16);
	Put16(&out, 1); // PCM
	Put16(&out, (uint16_t)channels);
	Put32(&out, (uint32_t)rate);
	Put32(&out, (uint32_t)(rate * channels * 2));
	Put16(&out, (uint16_t)(channels * 2));
	Put16(&out, 16);
	out.insert(out.end(), {'d', 'a', 't', 'a'});
	Put32(&out, bytes);
	for (int64_t i = 0; i < frames * channels; i++) {
		long v = std::lround(std::clamp(samples[i], -1.0f, 1.0f) * 32767.0f);
		Put16(&out, (uint16_t)(int16_t)v);
	}
	return out;
}
