// A state-variable filter in the trapezoidal form: lowpass, highpass and
// bandpass from one structure, stable at every cutoff below half the sample
// rate and cheap to sweep, since a new cutoff only changes three numbers.
#pragma once
#include <cmath>
#include "tools/synth/Oscillators.h"

struct StateVariableFilter
{
	double g, k, a1, a2, a3; // coefficients
	double ic1, ic2;         // the two integrators
};

static inline void ResetFilter(StateVariableFilter *self)
{
	self->ic1 = self->ic2 = 0.0;
}

// resonance is the filter's Q: 0.707 flat, higher values ring at the cutoff.
static inline void TuneFilter(StateVariableFilter *self, double cutoff, double resonance, int rate)
{
	double limit = 0.49 * rate;
	if (cutoff > limit) cutoff = limit;
	if (cutoff < 10.0) cutoff = 10.0;
	self->g = std::tan(Tau * 0.5 * cutoff / rate);
	self->k = 1.0 / resonance;
	self->a1 = 1.0 / (1.0 + self->g * (self->g + self->k));
	self->a2 = self->g * self->a1;
	self->a3 = self->g * self->a2;
}

struct FilterOutputs
{
	double low, band, high;
};

static inline FilterOutputs StepFilter(StateVariableFilter *self, double v0)
{
	double v3 = v0 - self->ic2;
	double v1 = self->a1 * self->ic1 + self->a2 * v3;
	double v2 = self->ic2 + self->a2 * self->ic1 + self->a3 * v3;
	self->ic1 = 2.0 * v1 - self->ic1;
	self->ic2 = 2.0 * v2 - self->ic2;
	return {v2, v1, v0 - self->k * v1 - v2};
}
