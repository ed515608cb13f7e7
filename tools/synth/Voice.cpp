// One note of one instrument: oscillators through the pitch sweep and the
// vibrato, then the filter, then the envelope, added into a mono track. The
// envelope is zero at the note's first and last sample, which is what keeps
// every sound and every note of the music free of clicks.
#include <algorithm>
#include <cmath>
#include "tools/synth/Filter.h"
#include "tools/synth/Oscillators.h"
#include "tools/synth/Synth.h"

// Falls from 1 to 0 with a flat end, so a decay or release lands softly.
static double Fall(double u) { return (1.0 - u) * (1.0 - u); }

static double HeldLevel(const Envelope *self, double t)
{
	if (t < self->attack) return t / self->attack;
	t -= self->attack + self->hold;
	if (t < 0.0) return 1.0;
	if (t < self->decay) return self->sustain + (1.0 - self->sustain) * Fall(t / self->decay);
	return self->sustain;
}

double EnvelopeLevel(const Envelope *self, double t, double gate)
{
	if (t <= 0.0) return 0.0;
	if (t < gate) return HeldLevel(self, t);
	double after = t - gate;
	if (after >= self->release) return 0.0;
	return HeldLevel(self, gate) * Fall(after / self->release);
}

double NoteLength(const Instrument *instrument, double gate)
{
	const Envelope *e = &instrument->envelope;
	double length = gate + e->release;
	if (e->sustain <= 0.0) length = std::min(length, (double)e->attack + e->hold + e->decay);
	return length;
}

static double SweptCutoff(const Instrument *self, double t, double frequency)
{
	double cutoff = self->cutoff;
	if (self->cutofftime > 0.0f && self->cutoffend > 0.0f) {
		double u = std::min(t / self->cutofftime, 1.0);
		cutoff *= std::pow((double)self->cutoffend / self->cutoff, u);
	}
	return self->cutofftrack ? cutoff * frequency : cutoff;
}

static double PitchOffset(const Instrument *self, double t)
{
	double semitones = 0.0;
	if (self->sweeptime > 0.0f) {
		double u = std::min(t / self->sweeptime, 1.0);
		semitones += self->sweep * (1.0 - std::pow(1.0 - u, (double)self->sweepcurve));
	}
	double v = t - self->vibratodelay;
	if (self->vibratodepth > 0.0f && v > 0.0) {
		double onset = std::min(v / 0.15, 1.0);
		semitones += self->vibratodepth * onset * std::sin(Tau * self->vibratorate * v);
	}
	return semitones;
}

void RenderNote(const Instrument *self, const Note *note, int rate, uint32_t seed,
                float *out, int64_t length, int64_t start, bool wrap)
{
	constexpr int MaximumUnison = 8;
	const int voices = std::clamp(self->unison, 1, MaximumUnison);
	const int64_t frames = (int64_t)std::ceil(NoteLength(self, note->gate) * rate);

	NoiseSource noise;
	SeedNoise(&noise, seed ^ (uint32_t)(start * 2246822519u) ^ (uint32_t)note->instrument * 3266489917u);
	double phase[MaximumUnison], ratio[MaximumUnison];
	for (int v = 0; v < voices; v++) {
		// The first voice starts at phase 0, the others anywhere: unison
		// voices that start together sound like one loud attack.
		phase[v] = v == 0 ? 0.0 : (NextNoiseBits(&noise) >> 8) / 16777216.0;
		double cents = voices == 1 ? 0.0 : self->detune * (2.0 * v / (voices - 1) - 1.0);
		ratio[v] = std::pow(2.0, cents / 1200.0);
	}

	StateVariableFilter filter = {};
	ResetFilter(&filter);
	const double gain = self->volume * note->velocity / voices;
	for (int64_t i = 0; i < frames; i++) {
		double t = (double)i / rate;
		if (self->filter != FilterNone && (i & 7) == 0)
			TuneFilter(&filter, SweptCutoff(self, t, note->frequency), self->resonance, rate);
		double f = note->frequency * std::pow(2.0, PitchOffset(self, t) / 12.0);
		double duty = std::clamp(self->duty + self->pwmdepth * std::sin(Tau * self->pwmrate * t), 0.05, 0.95);
		double value = 0.0;
		for (int v = 0; v < voices; v++) {
			double dt = std::min(f * ratio[v] / rate, 0.5);
			switch (self->wave) {
			case WaveSine: value += SineWave(phase[v]); break;
			case WaveTriangle: value += TriangleWave(phase[v]); break;
			case WavePulse: value += PulseWave(phase[v], dt, duty); break;
			case WaveSaw: value += SawWave(phase[v], dt); break;
			case WaveNoise: value += NextNoise(&noise); break;
			}
			phase[v] += dt;
			phase[v] -= std::floor(phase[v]);
		}
		if (self->filter != FilterNone) {
			FilterOutputs o = StepFilter(&filter, value);
			value = self->filter == FilterLowpass ? o.low : self->filter == FilterHighpass ? o.high : o.band * filter.k;
		}
		int64_t at = start + i;
		if (wrap) at = ((at % length) + length) % length;
		else if (at < 0 || at >= length) continue;
		out[at] += (float)(value * gain * EnvelopeLevel(&self->envelope, t, note->gate));
	}
}
