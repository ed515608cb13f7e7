// Synth: zEP's own small synthesizer, used at build time to turn the readable
// recipes of assets/sounds/ and the score of assets/music/ into Ogg Vorbis
// files. A Score is a list of instruments (oscillator, envelope, pitch sweep,
// vibrato, filter, echo) and of notes played on them; rendering is plain
// arithmetic with a seeded noise generator, so the same text gives the same
// samples, and so the same bytes, on every build. Needs libvorbisenc and
// libvorbisfile (OggVorbis.cpp) and nothing else.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

enum WaveKind : uint8_t { WaveSine, WaveTriangle, WavePulse, WaveSaw, WaveNoise };
enum FilterKind : uint8_t { FilterNone, FilterLowpass, FilterHighpass, FilterBandpass };

// Times in seconds, sustain a level 0..1. The level rises linearly over
// attack, stays at 1 for hold, falls to sustain over decay and, once the gate
// closes, falls to exactly zero over release.
struct Envelope
{
	float attack, hold, decay, sustain, release;
};

struct Instrument
{
	std::string name;
	WaveKind wave;
	float duty;                   // pulse: fraction of the period that is high
	float pwmdepth, pwmrate;      // pulse: duty wobble (fraction, Hz)
	float volume;                 // linear gain of every note
	float pan;                    // -1 left, 0 centre, 1 right (stereo scores)
	Envelope envelope;
	float sweep, sweeptime;       // pitch glides by sweep semitones over sweeptime
	float sweepcurve;             // 1 even glide; larger values fall fast, then settle
	float vibratorate, vibratodepth, vibratodelay; // Hz, semitones, seconds
	FilterKind filter;
	float cutoff, cutoffend, cutofftime; // Hz; glides exponentially to cutoffend
	bool cutofftrack;             // cutoffs are multiples of the note's frequency
	float resonance;              // 0.5 gentle … 10 sharp peak
	int unison;                   // oscillators per note, spread by detune cents
	float detune;
	float echotime, echofeedback, echomix; // a delay line on the instrument's track
	float pitch;                  // frequency of drum hits ('x', 'o')
	int layer;                    // another instrument triggered with every note, or -1
};

struct Note
{
	int instrument;
	double start, gate;           // seconds
	double frequency;             // Hz
	float velocity;
};

struct Score
{
	int rate, channels;
	float peak;                   // the mix is scaled so its peak is this (dBFS)
	float quality;                // Vorbis quality, -0.1 … 1
	uint32_t seed;
	bool loop;                    // the end runs on into the start
	double length;                // seconds; 0: until the last note has died away
	std::vector<Instrument> instruments;
	std::vector<Note> notes;
};

// Notes.cpp
[[nodiscard]] bool ParsePitch(const char *text, double *frequency); // "a4", "c#5", "eb3", "880hz"

// Recipe.cpp: reads the text form. On failure returns false with a message
// naming the line in *error.
void InitializeScore(Score *self);
void InitializeInstrument(Instrument *self, const std::string &name);
[[nodiscard]] bool ParseScore(Score *self, const std::string &text, const std::string &filename, std::string *error);

// Voice.cpp: one note, mono, added into out (length samples, circular when wrap).
[[nodiscard]] double EnvelopeLevel(const Envelope *self, double t, double gate);
[[nodiscard]] double NoteLength(const Instrument *instrument, double gate);
void RenderNote(const Instrument *instrument, const Note *note, int rate, uint32_t seed,
                float *out, int64_t length, int64_t start, bool wrap);

// Mix.cpp: the whole score, interleaved frames of score.channels samples,
// normalized to score.peak and with the ends of a non-looping sound at zero.
[[nodiscard]] std::vector<float> RenderScore(const Score *self);
[[nodiscard]] int64_t ScoreFrames(const Score *self);

// OggVorbis.cpp
[[nodiscard]] std::vector<uint8_t> EncodeOggVorbis(const float *samples, int64_t frames, int channels,
                                                   int rate, float quality, uint32_t serial);
// Decodes a whole Ogg Vorbis file; false when it is not one.
[[nodiscard]] bool DecodeOggVorbis(const std::vector<uint8_t> &file, std::vector<float> *samples,
                                   int *channels, int *rate);

// Wav.cpp: 16-bit PCM, for looking at renders with other tools.
[[nodiscard]] std::vector<uint8_t> EncodeWav(const float *samples, int64_t frames, int channels, int rate);
