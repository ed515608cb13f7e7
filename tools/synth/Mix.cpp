// Mixing a score: each instrument's notes into a mono track, the track
// through its echo and onto the output with its pan, then the whole mix
// scaled to the score's peak. A looping score is treated as a circle: notes
// and echoes that ring past the end sound at the start, as they will when the
// player loops the file, so the join is as smooth as any other moment.
#include <algorithm>
#include <cmath>
#include "tools/synth/Oscillators.h"
#include "tools/synth/Synth.h"

// Long enough for an echo to fall below -60 dB.
static double EchoTail(const Instrument *self)
{
	if (self->echotime <= 0.0f || self->echomix <= 0.0f) return 0.0;
	if (self->echofeedback <= 0.0f) return self->echotime;
	return self->echotime * (1.0 + std::log(0.001) / std::log((double)self->echofeedback));
}

int64_t ScoreFrames(const Score *self)
{
	if (self->length > 0.0) return std::llround(self->length * self->rate);
	double end = 0.0;
	for (const Note &n : self->notes) {
		for (int i = n.instrument; i >= 0; i = self->instruments[i].layer) {
			const Instrument *instrument = &self->instruments[i];
			end = std::max(end, n.start + NoteLength(instrument, n.gate) + EchoTail(instrument));
		}
	}
	return (int64_t)std::ceil(end * self->rate);
}

// Ping-pong echo: the first repeat comes from the left, the next from the
// right, and so on. Summed (a mono score) it is a plain feedback echo.
static void RunEcho(const Instrument *self, const float *dry, float *left, float *right,
                    int64_t frames, int rate, bool loop)
{
	const int64_t delay = std::max<int64_t>(1, std::llround(self->echotime * rate));
	const float feedback = self->echofeedback;
	std::fill(left, left + frames, 0.0f);
	std::fill(right, right + frames, 0.0f);
	// Around a circle the second pass starts from the tail of the first.
	for (int pass = 0; pass < (loop ? 2 : 1); pass++) {
		for (int64_t n = 0; n < frames; n++) {
			int64_t from = n - delay;
			if (from < 0) {
				if (!loop) continue;
				from = ((from % frames) + frames) % frames;
			}
			left[n] = dry[from] + feedback * right[from];
			right[n] = feedback * left[from];
		}
	}
}

std::vector<float> RenderScore(const Score *self)
{
	const int64_t frames = ScoreFrames(self);
	const int channels = self->channels;
	std::vector<float> out((size_t)(frames * channels), 0.0f);
	if (frames == 0) return out;
	std::vector<float> track((size_t)frames), left, right;

	for (size_t i = 0; i < self->instruments.size(); i++) {
		const Instrument *instrument = &self->instruments[i];
		std::fill(track.begin(), track.end(), 0.0f);
		bool used = false;
		for (const Note &n : self->notes) {
			for (int k = n.instrument; k >= 0; k = self->instruments[k].layer) {
				if (k != (int)i) continue;
				Note played = n;
				played.instrument = k;
				RenderNote(instrument, &played, self->rate, self->seed, track.data(), frames,
				           std::llround(n.start * self->rate), self->loop);
				used = true;
			}
		}
		if (!used) continue;

		bool echo = instrument->echotime > 0.0f && instrument->echomix > 0.0f;
		if (echo) {
			left.resize((size_t)frames);
			right.resize((size_t)frames);
			RunEcho(instrument, track.data(), left.data(), right.data(), frames, self->rate, self->loop);
		}
		const float wet = instrument->echomix;
		// Constant power: a centred instrument has gain 1 on each side.
		double angle = (std::clamp(instrument->pan, -1.0f, 1.0f) + 1.0) * Tau / 8.0;
		const float gl = (float)(std::cos(angle) * std::sqrt(2.0));
		const float gr = (float)(std::sin(angle) * std::sqrt(2.0));
		for (int64_t n = 0; n < frames; n++) {
			float dl = echo ? wet * left[n] : 0.0f, dr = echo ? wet * right[n] : 0.0f;
			if (channels == 1) {
				out[n] += track[n] + dl + dr;
			} else {
				out[2 * n] += gl * track[n] + dl;
				out[2 * n + 1] += gr * track[n] + dr;
			}
		}
	}

	if (!self->loop) {
		// Echoes cut off by a fixed length still end at silence.
		const int64_t fade = std::min<int64_t>(frames, self->rate / 200);
		for (int64_t n = 0; n < fade; n++)
			for (int c = 0; c < channels; c++)
				out[(frames - 1 - n) * channels + c] *= (float)n / fade;
	}

	float peak = 0.0f;
	for (float s : out) peak = std::max(peak, std::fabs(s));
	if (peak > 0.0f) {
		float scale = (float)(std::pow(10.0, self->peak / 20.0) / peak);
		for (float &s : out) s *= scale;
	}
	return out;
}
