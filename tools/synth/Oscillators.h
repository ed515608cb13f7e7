// Oscillators and the noise source of the synthesizer. A phase runs from 0 to
// 1 over one period; dt is the phase step of one sample. Pulse and saw are
// smoothed at their jumps (polyBLEP) so that high notes at 22050 Hz do not
// fold back into harsh, off-key tones. Every wave starts at 0 at phase 0 or
// carries no DC, so a note that fades in from silence never steps.
#pragma once
#include <cmath>
#include <cstdint>

constexpr double Tau = 6.283185307179586;

// The correction of a unit step at phase 0, for a phase t close to a jump.
static inline double PolyBlep(double t, double dt)
{
	if (t < dt) {
		t /= dt;
		return t + t - t * t - 1.0;
	}
	if (t > 1.0 - dt) {
		t = (t - 1.0) / dt;
		return t * t + t + t + 1.0;
	}
	return 0.0;
}

static inline double SineWave(double phase) { return std::sin(Tau * phase); }

static inline double TriangleWave(double phase)
{
	double p = phase + 0.25;
	p -= std::floor(p);
	return 1.0 - 4.0 * std::fabs(p - 0.5);
}

// High for duty of the period, then low, with the DC of the duty removed.
static inline double PulseWave(double phase, double dt, double duty)
{
	double v = phase < duty ? 1.0 : -1.0;
	v += PolyBlep(phase, dt);
	double fall = phase + 1.0 - duty;
	v -= PolyBlep(fall - std::floor(fall), dt);
	return v - (2.0 * duty - 1.0);
}

static inline double SawWave(double phase, double dt)
{
	double p = phase + 0.5; // rising through 0 at phase 0
	p -= std::floor(p);
	return 2.0 * p - 1.0 - PolyBlep(p, dt);
}

// xorshift32: small, fast, and the same sequence everywhere.
struct NoiseSource
{
	uint32_t state;
};

static inline void SeedNoise(NoiseSource *self, uint32_t seed)
{
	// Spread nearby seeds apart and never start from the stuck state 0.
	uint32_t s = seed * 2654435761u + 0x9E3779B9u;
	self->state = s ? s : 1u;
}

static inline uint32_t NextNoiseBits(NoiseSource *self)
{
	uint32_t x = self->state;
	x ^= x << 13;
	x ^= x >> 17;
	x ^= x << 5;
	return self->state = x;
}

// Uniform in [-1, 1).
static inline double NextNoise(NoiseSource *self)
{
	return (NextNoiseBits(self) >> 8) * (2.0 / 16777216.0) - 1.0;
}
