// The text form of a score, one statement a line, '#' to the end of a line
// is a comment. Sound recipes place notes in seconds with "play"; music is
// written as patterns on a step grid, stacked into sections, strung into a
// song. Every mistake is reported with its file and line.
//
//   rate 22050 | channels 1|2 | peak DB | quality Q | seed N | length S | loop
//   tempo BPM | steps N                  (steps in a bar of four beats)
//   instrument NAME ... end              (settings, one a line:)
//     wave sine|triangle|pulse|saw|noise   duty F   pwm DEPTH HZ
//     volume DB   pan -1..1   attack S   hold S   decay S   sustain L   release S
//     sweep SEMITONES S [CURVE]   vibrato HZ SEMITONES [DELAY]
//     lowpass|highpass|bandpass HZ [ENDHZ S] [q Q]   (HZ as "3x": times the note)
//     unison N CENTS   echo S FEEDBACK MIX   pitch NOTE   layer INSTRUMENT
//   play TIME NOTE GATE INSTRUMENT [VELOCITY]
//   pattern NAME ... end                 (lines "INSTRUMENT | bar | bar |", a line
//                                          starting with '|' goes on with the last)
//     step tokens: NOTE or NOTE+NOTE+... starts notes, '-' holds them, '.' rests,
//     'x' and 'o' strike the instrument's pitch loud and soft
//   section NAME PATTERN...              (played together; shorter ones repeat)
//   song SECTION...
#include <cmath>
#include <cstdlib>
#include <map>
#include <sstream>
#include "tools/synth/Synth.h"

void InitializeInstrument(Instrument *self, const std::string &name)
{
	*self = Instrument{};
	self->name = name;
	self->wave = WaveSine;
	self->duty = 0.5f;
	self->volume = 1.0f;
	self->envelope = {0.005f, 0.0f, 0.0f, 1.0f, 0.05f};
	self->sweepcurve = 1.0f;
	self->filter = FilterNone;
	self->resonance = 0.707f;
	self->unison = 1;
	self->layer = -1;
}

void InitializeScore(Score *self)
{
	*self = Score{};
	self->rate = 22050;
	self->channels = 1;
	self->peak = -3.0f;
	self->quality = 0.5f;
	self->seed = 1;
}

namespace {

struct PatternLine
{
	int instrument;
	int line;
	std::vector<std::vector<std::string>> bars;
};

struct Pattern
{
	std::string name;
	std::vector<PatternLine> lines;
	int bars;
};

struct Parser
{
	Score *score;
	std::string filename;
	std::string *error;
	int line;
	double tempo;
	int steps;
	std::vector<Pattern> patterns;
	std::map<std::string, std::vector<int>> sections;
	std::vector<std::pair<std::string, int>> song; // section, line
	std::vector<std::pair<std::string, int>> layers; // per instrument: name, line
};

bool Fail(Parser *self, const std::string &message)
{
	std::ostringstream s;
	s << self->filename << ":" << self->line << ": " << message;
	*self->error = s.str();
	return false;
}

bool Number(Parser *self, const std::string &text, double low, double high, double *value)
{
	char *end = nullptr;
	double v = strtod(text.c_str(), &end);
	if (text.empty() || *end != '\0' || !std::isfinite(v))
		return Fail(self, "\"" + text + "\" is not a number");
	if (v < low || v > high) {
		std::ostringstream s;
		s << text << " is outside " << low << " … " << high;
		return Fail(self, s.str());
	}
	*value = v;
	return true;
}

bool Float(Parser *self, const std::string &text, double low, double high, float *value)
{
	double v;
	if (!Number(self, text, low, high, &v)) return false;
	*value = (float)v;
	return true;
}

bool Args(Parser *self, const std::vector<std::string> &w, size_t low, size_t high)
{
	if (w.size() - 1 < low || w.size() - 1 > high)
		return Fail(self, "wrong number of values for \"" + w[0] + "\"");
	return true;
}

int FindInstrument(const Parser *self, const std::string &name)
{
	for (size_t i = 0; i < self->score->instruments.size(); i++)
		if (self->score->instruments[i].name == name) return (int)i;
	return -1;
}

bool Cutoff(Parser *self, const std::string &text, float *value, bool *track)
{
	*track = !text.empty() && text.back() == 'x';
	std::string number = *track ? text.substr(0, text.size() - 1) : text;
	return *track ? Float(self, number, 0.1, 64.0, value) : Float(self, number, 10.0, 20000.0, value);
}

bool ParseFilter(Parser *self, Instrument *instrument, const std::vector<std::string> &w)
{
	instrument->filter = w[0] == "lowpass" ? FilterLowpass : w[0] == "highpass" ? FilterHighpass : FilterBandpass;
	size_t i = 1;
	if (i >= w.size() || !Cutoff(self, w[i++], &instrument->cutoff, &instrument->cutofftrack))
		return i > w.size() - 1 && w.size() < 2 ? Fail(self, "a filter needs a cutoff") : false;
	if (i + 1 < w.size() && w[i] != "q") {
		bool track;
		if (!Cutoff(self, w[i++], &instrument->cutoffend, &track)) return false;
		if (track != instrument->cutofftrack) return Fail(self, "both cutoffs must be in Hz or both in multiples");
		if (!Float(self, w[i++], 0.001, 60.0, &instrument->cutofftime)) return false;
	}
	if (i + 1 < w.size() && w[i] == "q") {
		if (!Float(self, w[i + 1], 0.3, 30.0, &instrument->resonance)) return false;
		i += 2;
	}
	return i == w.size() ? true : Fail(self, "unexpected \"" + w[i] + "\" in a filter");
}

bool ParseInstrumentLine(Parser *self, Instrument *in, const std::vector<std::string> &w)
{
	const std::string &k = w[0];
	Envelope *e = &in->envelope;
	if (k == "wave") {
		if (!Args(self, w, 1, 1)) return false;
		static const char *names[] = {"sine", "triangle", "pulse", "saw", "noise"};
		for (int i = 0; i < 5; i++)
			if (w[1] == names[i]) return in->wave = (WaveKind)i, true;
		return Fail(self, "unknown wave \"" + w[1] + "\"");
	}
	if (k == "duty") return Args(self, w, 1, 1) && Float(self, w[1], 0.05, 0.95, &in->duty);
	if (k == "pwm")
		return Args(self, w, 2, 2) && Float(self, w[1], 0.0, 0.45, &in->pwmdepth) && Float(self, w[2], 0.0, 50.0, &in->pwmrate);
	if (k == "volume") {
		double db;
		if (!Args(self, w, 1, 1) || !Number(self, w[1], -60.0, 12.0, &db)) return false;
		in->volume = (float)std::pow(10.0, db / 20.0);
		return true;
	}
	if (k == "pan") return Args(self, w, 1, 1) && Float(self, w[1], -1.0, 1.0, &in->pan);
	// A zero attack or release would jump straight to or from full level: a click.
	if (k == "attack") return Args(self, w, 1, 1) && Float(self, w[1], 0.001, 10.0, &e->attack);
	if (k == "release") return Args(self, w, 1, 1) && Float(self, w[1], 0.001, 10.0, &e->release);
	if (k == "hold") return Args(self, w, 1, 1) && Float(self, w[1], 0.0, 10.0, &e->hold);
	if (k == "decay") return Args(self, w, 1, 1) && Float(self, w[1], 0.0, 10.0, &e->decay);
	if (k == "sustain") return Args(self, w, 1, 1) && Float(self, w[1], 0.0, 1.0, &e->sustain);
	if (k == "sweep")
		return Args(self, w, 2, 3) && Float(self, w[1], -96.0, 96.0, &in->sweep) &&
		       Float(self, w[2], 0.001, 10.0, &in->sweeptime) &&
		       (w.size() < 4 || Float(self, w[3], 0.1, 16.0, &in->sweepcurve));
	if (k == "vibrato")
		return Args(self, w, 2, 3) && Float(self, w[1], 0.1, 30.0, &in->vibratorate) &&
		       Float(self, w[2], 0.0, 12.0, &in->vibratodepth) &&
		       (w.size() < 4 || Float(self, w[3], 0.0, 10.0, &in->vibratodelay));
	if (k == "lowpass" || k == "highpass" || k == "bandpass") return ParseFilter(self, in, w);
	if (k == "unison") {
		double n;
		if (!Args(self, w, 2, 2) || !Number(self, w[1], 1, 8, &n)) return false;
		if (n != std::floor(n)) return Fail(self, "unison needs a whole number of voices");
		in->unison = (int)n;
		return Float(self, w[2], 0.0, 100.0, &in->detune);
	}
	if (k == "echo")
		return Args(self, w, 3, 3) && Float(self, w[1], 0.001, 2.0, &in->echotime) &&
		       Float(self, w[2], 0.0, 0.9, &in->echofeedback) && Float(self, w[3], 0.0, 1.0, &in->echomix);
	if (k == "pitch") {
		double f;
		if (!Args(self, w, 1, 1)) return false;
		if (!ParsePitch(w[1].c_str(), &f)) return Fail(self, "\"" + w[1] + "\" is not a note");
		in->pitch = (float)f;
		return true;
	}
	if (k == "layer") {
		if (!Args(self, w, 1, 1)) return false;
		self->layers.back() = {w[1], self->line};
		return true;
	}
	return Fail(self, "unknown instrument setting \"" + k + "\"");
}

bool ParsePlay(Parser *self, const std::vector<std::string> &w)
{
	if (!Args(self, w, 4, 5)) return false;
	Note n;
	if (!Number(self, w[1], 0.0, 3600.0, &n.start)) return false;
	if (!ParsePitch(w[2].c_str(), &n.frequency)) return Fail(self, "\"" + w[2] + "\" is not a note");
	if (!Number(self, w[3], 0.0, 60.0, &n.gate)) return false;
	n.instrument = FindInstrument(self, w[4]);
	if (n.instrument < 0) return Fail(self, "no instrument \"" + w[4] + "\"");
	n.velocity = 1.0f;
	if (w.size() == 6 && !Float(self, w[5], 0.0, 4.0, &n.velocity)) return false;
	self->score->notes.push_back(n);
	return true;
}

// "| a | b |" (the first '|' already taken) into bars of tokens.
bool ParseBars(Parser *self, const std::vector<std::string> &w, size_t from, PatternLine *line)
{
	if (from >= w.size() || w[from] != "|") return Fail(self, "a pattern line begins its bars with '|'");
	std::vector<std::string> bar;
	for (size_t i = from + 1; i < w.size(); i++) {
		if (w[i] != "|") {
			bar.push_back(w[i]);
			continue;
		}
		if ((int)bar.size() != self->steps) {
			std::ostringstream s;
			s << "bar " << line->bars.size() + 1 << " has " << bar.size() << " steps, not " << self->steps;
			return Fail(self, s.str());
		}
		line->bars.push_back(bar);
		bar.clear();
	}
	return bar.empty() ? true : Fail(self, "a pattern line ends with '|'");
}

bool ParsePatternLine(Parser *self, const std::vector<std::string> &w)
{
	Pattern *p = &self->patterns.back();
	if (self->steps <= 0) return Fail(self, "\"steps\" must come before the first pattern");
	if (w[0] == "|") {
		if (p->lines.empty()) return Fail(self, "a continued line with nothing to continue");
		return ParseBars(self, w, 0, &p->lines.back());
	}
	PatternLine line;
	line.instrument = FindInstrument(self, w[0]);
	line.line = self->line;
	if (line.instrument < 0) return Fail(self, "no instrument \"" + w[0] + "\"");
	if (!ParseBars(self, w, 1, &line)) return false;
	p->lines.push_back(line);
	return true;
}

// One repetition of a pattern line from time t0; step is the length of a step.
bool ExpandLine(Parser *self, const PatternLine *line, double t0, double step)
{
	Score *score = self->score;
	const Instrument *in = &score->instruments[line->instrument];
	std::vector<size_t> sounding;
	self->line = line->line;
	int index = 0;
	for (const auto &bar : line->bars) {
		for (const std::string &token : bar) {
			double t = t0 + step * index++;
			if (token == "-") {
				if (sounding.empty()) return Fail(self, "'-' holds nothing");
				for (size_t n : sounding) score->notes[n].gate += step;
				continue;
			}
			sounding.clear();
			if (token == ".") continue;
			if (token == "x" || token == "o") {
				if (in->pitch <= 0.0f) return Fail(self, "instrument \"" + in->name + "\" has no pitch for 'x' and 'o'");
				sounding.push_back(score->notes.size());
				score->notes.push_back({line->instrument, t, step, in->pitch, token == "x" ? 1.0f : 0.5f});
				continue;
			}
			std::stringstream chord(token);
			std::string name;
			while (std::getline(chord, name, '+')) {
				double f;
				if (!ParsePitch(name.c_str(), &f)) return Fail(self, "\"" + name + "\" is not a note");
				sounding.push_back(score->notes.size());
				score->notes.push_back({line->instrument, t, step, f, 1.0f});
			}
		}
	}
	return true;
}

bool ExpandSong(Parser *self)
{
	const double step = 4.0 * 60.0 / self->tempo / self->steps;
	double t = 0.0;
	for (const auto &[name, line] : self->song) {
		self->line = line;
		auto found = self->sections.find(name);
		if (found == self->sections.end()) return Fail(self, "no section \"" + name + "\"");
		int bars = 0;
		for (int p : found->second) bars = std::max(bars, self->patterns[p].bars);
		for (int p : found->second) {
			const Pattern *pattern = &self->patterns[p];
			if (pattern->bars == 0 || bars % pattern->bars != 0) {
				self->line = line;
				return Fail(self, "pattern \"" + pattern->name + "\" does not fill section \"" + name + "\"");
			}
			for (int r = 0; r < bars / pattern->bars; r++)
				for (const PatternLine &l : pattern->lines)
					if (!ExpandLine(self, &l, t + r * pattern->bars * self->steps * step, step)) return false;
		}
		t += bars * self->steps * step;
	}
	self->score->length = t;
	return true;
}

bool FinishPattern(Parser *self)
{
	Pattern *p = &self->patterns.back();
	if (p->lines.empty()) return Fail(self, "pattern \"" + p->name + "\" is empty");
	p->bars = (int)p->lines[0].bars.size();
	for (const PatternLine &l : p->lines) {
		if ((int)l.bars.size() != p->bars) {
			self->line = l.line;
			return Fail(self, "every line of pattern \"" + p->name + "\" needs the same number of bars");
		}
	}
	return true;
}

bool ResolveLayers(Parser *self)
{
	Score *score = self->score;
	for (size_t i = 0; i < score->instruments.size(); i++) {
		const auto &[name, line] = self->layers[i];
		if (name.empty()) continue;
		self->line = line;
		score->instruments[i].layer = FindInstrument(self, name);
		if (score->instruments[i].layer < 0) return Fail(self, "no instrument \"" + name + "\" to layer");
	}
	for (size_t i = 0; i < score->instruments.size(); i++) {
		int k = (int)i;
		for (size_t depth = 0; k >= 0; depth++, k = score->instruments[k].layer) {
			if (depth > score->instruments.size()) {
				self->line = self->layers[i].second;
				return Fail(self, "instrument \"" + score->instruments[i].name + "\" layers itself");
			}
		}
	}
	return true;
}

bool ParseTop(Parser *self, const std::vector<std::string> &w, int *block)
{
	Score *s = self->score;
	const std::string &k = w[0];
	double v;
	if (k == "rate") {
		if (!Args(self, w, 1, 1) || !Number(self, w[1], 8000, 48000, &v)) return false;
		return s->rate = (int)v, true;
	}
	if (k == "channels") {
		if (!Args(self, w, 1, 1) || !Number(self, w[1], 1, 2, &v) || v != std::floor(v)) return Fail(self, "channels is 1 or 2");
		return s->channels = (int)v, true;
	}
	if (k == "peak") return Args(self, w, 1, 1) && Float(self, w[1], -40.0, 0.0, &s->peak);
	if (k == "quality") return Args(self, w, 1, 1) && Float(self, w[1], -0.1, 1.0, &s->quality);
	if (k == "seed") {
		if (!Args(self, w, 1, 1) || !Number(self, w[1], 0, 4294967295.0, &v)) return false;
		return s->seed = (uint32_t)v, true;
	}
	if (k == "length") return Args(self, w, 1, 1) && Number(self, w[1], 0.001, 3600.0, &s->length);
	if (k == "loop") return Args(self, w, 0, 0) && (s->loop = true);
	if (k == "tempo") return Args(self, w, 1, 1) && Number(self, w[1], 20, 400, &self->tempo);
	if (k == "steps") {
		if (!Args(self, w, 1, 1) || !Number(self, w[1], 1, 64, &v)) return false;
		return self->steps = (int)v, true;
	}
	if (k == "instrument") {
		if (!Args(self, w, 1, 1)) return false;
		if (FindInstrument(self, w[1]) >= 0) return Fail(self, "instrument \"" + w[1] + "\" is defined twice");
		Instrument in;
		InitializeInstrument(&in, w[1]);
		s->instruments.push_back(in);
		self->layers.push_back({"", 0});
		return *block = 1, true;
	}
	if (k == "pattern") {
		if (!Args(self, w, 1, 1)) return false;
		for (const Pattern &p : self->patterns)
			if (p.name == w[1]) return Fail(self, "pattern \"" + w[1] + "\" is defined twice");
		self->patterns.push_back({w[1], {}, 0});
		return *block = 2, true;
	}
	if (k == "play") return ParsePlay(self, w);
	if (k == "section") {
		if (w.size() < 3) return Fail(self, "a section needs a name and patterns");
		if (self->sections.count(w[1])) return Fail(self, "section \"" + w[1] + "\" is defined twice");
		std::vector<int> members;
		for (size_t i = 2; i < w.size(); i++) {
			size_t p = 0;
			while (p < self->patterns.size() && self->patterns[p].name != w[i]) p++;
			if (p == self->patterns.size()) return Fail(self, "no pattern \"" + w[i] + "\"");
			members.push_back((int)p);
		}
		self->sections[w[1]] = members;
		return true;
	}
	if (k == "song") {
		if (self->tempo <= 0.0) return Fail(self, "\"tempo\" must come before the song");
		for (size_t i = 1; i < w.size(); i++) self->song.push_back({w[i], self->line});
		return true;
	}
	return Fail(self, "unknown statement \"" + k + "\"");
}

} // namespace

bool ParseScore(Score *score, const std::string &text, const std::string &filename, std::string *error)
{
	InitializeScore(score);
	Parser self{score, filename, error, 0, 0.0, 0, {}, {}, {}, {}};
	std::istringstream lines(text);
	std::string raw;
	int block = 0; // 0 top level, 1 instrument, 2 pattern
	while (std::getline(lines, raw)) {
		self.line++;
		std::istringstream words(raw.substr(0, raw.find('#')));
		std::vector<std::string> w;
		for (std::string word; words >> word;) w.push_back(word);
		if (w.empty()) continue;
		if (w[0] == "end") {
			if (block == 0) return Fail(&self, "\"end\" without a block");
			if (!Args(&self, w, 0, 0)) return false;
			if (block == 2 && !FinishPattern(&self)) return false;
			block = 0;
			continue;
		}
		bool ok = block == 1 ? ParseInstrumentLine(&self, &score->instruments.back(), w)
		        : block == 2 ? ParsePatternLine(&self, w)
		                     : ParseTop(&self, w, &block);
		if (!ok) return false;
	}
	if (block != 0) return Fail(&self, "the last block has no \"end\"");
	if (!ResolveLayers(&self)) return false;
	if (!self.song.empty() && !ExpandSong(&self)) return false;
	if (score->loop && self.song.empty()) {
		self.line = 0;
		return Fail(&self, "a looping score needs a song");
	}
	if (score->notes.empty()) return Fail(&self, "nothing is played");
	return true;
}
