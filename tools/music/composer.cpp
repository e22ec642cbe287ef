#include "tools/music/composer.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>

#include "tools/music/loudness.h"

namespace music {
namespace {

const std::vector<int> kMinor = {0, 2, 3, 5, 7, 8, 10};
const std::vector<int> kMajor = {0, 2, 4, 5, 7, 9, 11};
const std::vector<int> kDorian = {0, 2, 3, 5, 7, 9, 10};
const std::vector<int> kLydian = {0, 2, 4, 6, 7, 9, 11};
const std::vector<int> kPhrygian = {0, 1, 3, 5, 7, 8, 10};

// name, root, mode, chords (one a bar), bar seconds, brightness, bells, pulse, detune, lead.
// The title and victory pieces are bright and stately, calm play drifts, battle
// drives, the requiem mourns.
const std::vector<Mood> kMoods = {
    {"title", 43, kDorian, {0, 5, 3, 4, 0, 5, 6, 4}, 3.2, 0.75, 0.5, 0.35, 0.4, 0.9},
    {"patrol", 45, kMinor, {0, 5, 6, 4}, 3.0, 0.55, 0.35, 0.4, 0.3, 0.7},
    {"drift", 48, kLydian, {0, 1, 0, 4}, 4.0, 0.45, 0.45, 0.1, 0.5, 0.55},
    {"tension", 40, kPhrygian, {0, 1, 0, 6}, 2.6, 0.5, 0.2, 0.65, 0.2, 0.6},
    {"mining", 50, kMajor, {0, 3, 4, 0}, 2.4, 0.6, 0.6, 0.5, 0.3, 0.8},
    {"council", 46, kDorian, {0, 3, 6, 4}, 3.4, 0.5, 0.4, 0.25, 0.35, 0.7},
    {"battle", 38, kMinor, {0, 0, 5, 6}, 1.8, 0.85, 0.2, 1.0, 0.25, 0.85},
    {"nebula", 52, kLydian, {0, 4, 1, 5}, 4.4, 0.4, 0.55, 0.05, 0.7, 0.5},
    {"victory", 48, kMajor, {0, 4, 5, 3}, 2.2, 0.9, 0.7, 0.6, 0.3, 1.0},
    {"requiem", 41, kMinor, {0, 3, 5, 4}, 4.0, 0.35, 0.25, 0.1, 0.45, 0.65},
};

// Sine from a table: the pieces need hundreds of millions of them.
class SineTable {
 public:
  SineTable() {
    for (std::size_t i = 0; i < table_.size(); ++i)
      table_[i] = static_cast<float>(std::sin(2 * M_PI * i / table_.size()));
  }
  float operator()(double phase) const {
    const double p = (phase - std::floor(phase)) * table_.size();
    const auto i = static_cast<std::size_t>(p);
    const float f = static_cast<float>(p - i);
    return table_[i] * (1 - f) + table_[(i + 1) % table_.size()] * f;
  }

 private:
  std::array<float, 4096> table_{};
};

const SineTable kSine;

double MidiHz(double note) { return 440.0 * std::exp2((note - 69) / 12.0); }

class Rng {
 public:
  explicit Rng(std::uint64_t s) : s_(s | 1) {}
  double Unit() {
    s_ ^= s_ << 13;
    s_ ^= s_ >> 7;
    s_ ^= s_ << 17;
    return static_cast<double>(s_ >> 11) / 9007199254740992.0;
  }
  int Below(int n) { return std::min(n - 1, static_cast<int>(Unit() * n)); }

 private:
  std::uint64_t s_;
};

int ScaleNote(const Mood& m, int degree) {
  const int n = static_cast<int>(m.scale.size());
  const int octave = degree >= 0 ? degree / n : -((-degree + n - 1) / n);
  return m.rootMidi + 12 * octave + m.scale[static_cast<std::size_t>(degree - octave * n)];
}

// A feedback delay per channel: cheap room sound that spreads the voices.
class Echo {
 public:
  Echo(std::size_t length, float feedback) : buffer_(length), feedback_(feedback) {}
  float Step(float in) {
    float& slot = buffer_[pos_];
    const float out = slot;
    slot = in + out * feedback_;
    pos_ = (pos_ + 1) % buffer_.size();
    return out;
  }

 private:
  std::vector<float> buffer_;
  std::size_t pos_ = 0;
  float feedback_;
};

// The score and the voices that play it into a stereo buffer. The buffer runs
// a tail past the piece's end, added back onto its start when done, so the end
// flows into the beginning.
class Piece {
 public:
  Piece(const Mood& mood, std::size_t frames)
      : mood_(mood),
        frames_(frames),
        tail_(static_cast<std::size_t>(4.0 * kRate)),
        buffer_(2 * (frames + tail_), 0.0f) {}

  double Beat() const { return mood_.barSeconds / 4; }
  int Bars() const { return static_cast<int>(std::ceil(frames_ / (mood_.barSeconds * kRate) - 1e-9)); }
  int ChordOf(int bar) const { return mood_.chords[static_cast<std::size_t>(bar) % mood_.chords.size()]; }

  // One note: additive partials with weights 1/n^tilt, an attack, a decay
  // rate (0: held) and a release; vibrato after a moment on long notes.
  struct Timbre {
    int partials = 4;
    double tilt = 1.0;
    double attack = 0.01;
    double decay = 0;  // per second, while held
    double release = 0.1;
    double vibrato = 0;     // semitones
    double inharmonic = 0;  // stretch of the upper partials (bells)
  };
  void Note(double start, double length, double midi, double gain, double pan, const Timbre& t) {
    const auto first = static_cast<std::size_t>(start * kRate);
    const auto count = static_cast<std::size_t>((length + t.release) * kRate);
    if (first >= frames_ + tail_) return;
    const std::size_t n = std::min(count, frames_ + tail_ - first);
    const double hz = MidiHz(midi);
    std::array<double, 12> weight{};
    double total = 0;
    const int partials = std::clamp(t.partials, 1, static_cast<int>(weight.size()));
    for (int k = 0; k < partials; ++k) {
      // no partial above the Nyquist frequency
      const double f = hz * (k + 1) * (1 + t.inharmonic * k * k);
      weight[static_cast<std::size_t>(k)] = f < kRate * 0.45 ? 1.0 / std::pow(k + 1, t.tilt) : 0.0;
      total += weight[static_cast<std::size_t>(k)];
    }
    const float gl = static_cast<float>(gain * std::cos(pan * M_PI / 2) / total);
    const float gr = static_cast<float>(gain * std::sin(pan * M_PI / 2) / total);
    double phase = 0;
    for (std::size_t i = 0; i < n; ++i) {
      const double tt = static_cast<double>(i) / kRate;
      double env = std::min(1.0, tt / t.attack);
      if (t.decay > 0) env *= std::exp(-tt * t.decay);
      if (tt > length) env *= std::max(0.0, 1 - (tt - length) / t.release);
      if (env < 1e-4 && tt > t.attack) break;
      const double vib =
          t.vibrato > 0 && tt > 0.2 ? t.vibrato * std::sin(2 * M_PI * 5.2 * tt) * std::min(1.0, (tt - 0.2) * 3) : 0;
      phase += hz * std::exp2(vib / 12) / kRate;
      float s = 0;
      for (int k = 0; k < partials; ++k) {
        const auto kk = static_cast<std::size_t>(k);
        if (weight[kk] > 0) s += static_cast<float>(weight[kk]) * kSine(phase * (k + 1) * (1 + t.inharmonic * k * k));
      }
      s *= static_cast<float>(env);
      buffer_[2 * (first + i)] += s * gl;
      buffer_[2 * (first + i) + 1] += s * gr;
    }
  }

  // Percussion: a pitched thump, a noise burst (band-limited by a one-pole
  // filter: high-passed for hats, low-passed for the snare's body).
  void Kick(double start, double gain) {
    const auto first = static_cast<std::size_t>(start * kRate);
    const std::size_t n =
        std::min(static_cast<std::size_t>(0.35 * kRate), frames_ + tail_ - std::min(first, frames_ + tail_));
    double ph = 0;
    for (std::size_t i = 0; i < n; ++i) {
      const double tt = static_cast<double>(i) / kRate;
      ph += (48 + 110 * std::exp(-tt * 28)) / kRate;
      // the click of the beater carries the kick on small speakers
      const float s =
          static_cast<float>(gain * (std::exp(-tt * 8) * kSine(ph) + 0.3 * std::exp(-tt * 60) * kSine(ph * 5.3)));
      buffer_[2 * (first + i)] += s;
      buffer_[2 * (first + i) + 1] += s;
    }
  }
  void Noise(double start, double seconds, double decay, double gain, double pan, bool high, double toneHz) {
    const auto first = static_cast<std::size_t>(start * kRate);
    const std::size_t n =
        std::min(static_cast<std::size_t>(seconds * kRate), frames_ + tail_ - std::min(first, frames_ + tail_));
    double low = 0, ph = 0;
    const float gl = static_cast<float>(gain * std::cos(pan * M_PI / 2)),
                gr = static_cast<float>(gain * std::sin(pan * M_PI / 2));
    for (std::size_t i = 0; i < n; ++i) {
      const double tt = static_cast<double>(i) / kRate;
      const double white = noise_.Unit() * 2 - 1;
      low += 0.35 * (white - low);
      double s = high ? white - low : low * 1.6;
      if (toneHz > 0) {
        ph += toneHz / kRate;
        s += 0.6 * kSine(ph) * std::exp(-tt * 25);
      }
      const float v = static_cast<float>(s * std::exp(-tt * decay));
      buffer_[2 * (first + i)] += v * gl;
      buffer_[2 * (first + i) + 1] += v * gr;
    }
  }

  std::vector<float> Finish() {
    // Room: two delays of different lengths across the channels.
    Echo echoL(static_cast<std::size_t>(0.37 * kRate), 0.35f), echoR(static_cast<std::size_t>(0.43 * kRate), 0.35f);
    const std::size_t all = frames_ + tail_;
    // The echo runs over the piece twice so that its state at the start is the
    // state the end leaves: the second pass is the one kept.
    std::vector<float> wet(2 * all, 0.0f);
    for (int pass = 0; pass < 2; ++pass) {
      for (std::size_t i = 0; i < frames_; ++i) {
        const float l = buffer_[2 * i], r = buffer_[2 * i + 1];
        wet[2 * i] = l + 0.3f * echoL.Step(r);
        wet[2 * i + 1] = r + 0.3f * echoR.Step(l);
      }
    }
    std::vector<float> out(2 * frames_);
    for (std::size_t i = 0; i < 2 * frames_; ++i) out[i] = wet[i];
    // Notes sounding past the end ring on over the start.
    for (std::size_t i = 0; i < tail_ && i < frames_; ++i) {
      out[2 * i] += buffer_[2 * (frames_ + i)];
      out[2 * i + 1] += buffer_[2 * (frames_ + i) + 1];
    }
    return out;
  }

 private:
  const Mood& mood_;
  std::size_t frames_, tail_;
  std::vector<float> buffer_;
  Rng noise_{0x5eed};
};

// A motif: note lengths in beats (summing to 8, two bars) and the step in scale
// degrees from each note to the next.
struct Motif {
  std::vector<double> lengths;
  std::vector<int> steps;
};

Motif MakeMotif(Rng& rng) {
  static const std::vector<std::vector<double>> kRhythms = {
      {1, 0.5, 0.5, 1, 1, 2, 1, 1},
      {1.5, 0.5, 1, 1, 1, 1, 2},
      {0.5, 0.5, 1, 0.5, 0.5, 1, 3, 1},
      {2, 1, 1, 1.5, 0.5, 2},
      {1, 1, 1, 1, 1, 1, 2},
      {0.5, 0.5, 0.5, 0.5, 1, 1, 1.5, 0.5, 2},
      {3, 1, 1, 1, 2},
      {1, 0.5, 0.5, 2, 1, 0.5, 0.5, 2},
  };
  static const std::array<int, 10> kSteps = {-2, -1, -1, 1, 1, 2, 0, -3, 3, 1};
  Motif m;
  m.lengths = kRhythms[static_cast<std::size_t>(rng.Below(static_cast<int>(kRhythms.size())))];
  for (std::size_t i = 0; i < m.lengths.size(); ++i) m.steps.push_back(kSteps[static_cast<std::size_t>(rng.Below(10))]);
  return m;
}

// The nearest degree to `d` that is a tone of the chord on `root` (root, third, fifth).
int NearestChordTone(int d, int root) {
  for (int off = 0; off < 4; ++off) {
    for (int c : {d - off, d + off}) {
      const int rel = ((c - root) % 7 + 7) % 7;
      if (rel == 0 || rel == 2 || rel == 4) return c;
    }
  }
  return d;
}

}  // namespace

const Mood* FindMood(std::string_view name) {
  for (const Mood& m : kMoods) {
    if (m.name == name) return &m;
  }
  return nullptr;
}

double WholeBars(const Mood& mood, double seconds) {
  return std::max(1.0, std::ceil(seconds / mood.barSeconds - 1e-9)) * mood.barSeconds;
}

std::vector<float> Compose(const Mood& mood, double seconds) {
  const auto frames = static_cast<std::size_t>(std::max(seconds, mood.barSeconds) * kRate);
  std::uint64_t seed = 1469598103934665603ull;  // FNV-1a of the name: the same on every library
  for (unsigned char c : mood.name) seed = (seed ^ c) * 1099511628211ull;
  Rng rng(seed);
  Piece piece(mood, frames);
  const double beat = piece.Beat(), bar = mood.barSeconds;
  const int bars = piece.Bars();
  const double bright = mood.brightness;

  const Piece::Timbre padVoice{5, 1.6 - bright * 0.6, 0.6, 0, 0.9, 0, 0};
  const Piece::Timbre bassVoice{5, 1.0, 0.008, mood.pulse > 0.3 ? 2.5 : 0.6, 0.12, 0, 0};
  const Piece::Timbre leadVoice{8, 1.25 - bright * 0.4, 0.02, 0.35, 0.18, 0.18, 0};
  const Piece::Timbre arpVoice{6, 1.3, 0.004, 7.0, 0.08, 0, 0};
  const Piece::Timbre bellVoice{4, 0.8, 0.003, 1.4, 0.4, 0, 0.0009};

  // Four motifs per piece: A and B for the melody's phrases, C for the
  // variation, D for the counter-line.
  std::array<Motif, 4> motifs{MakeMotif(rng), MakeMotif(rng), MakeMotif(rng), MakeMotif(rng)};

  int leadDegree = 14;
  for (int b = 0; b < bars; ++b) {
    const double t0 = b * bar;
    const int chord = piece.ChordOf(b);
    // Sections of eight bars: a quiet opening, the theme, the answer with the
    // arpeggio, and the theme again with everything; then round again.
    const int section = (b / 8) % 4;
    const bool theme = section >= 1, full = section >= 2;

    // Pad: the chord with its seventh, two detuned voices each, spread wide.
    for (int v = 0; v < 4; ++v) {
      const int midi = ScaleNote(mood, chord + 7 + 2 * v);
      for (int d = 0; d < 2; ++d) {
        const double cents = (d ? 1 : -1) * 6 * mood.detune;
        piece.Note(t0, bar, midi + cents / 100, 0.05, d ? 0.8 - 0.1 * v : 0.2 + 0.1 * v, padVoice);
      }
    }

    // Bass: the chord's root, held in calm pieces, in a driving figure in the others.
    const int bassMidi = ScaleNote(mood, chord) - (mood.rootMidi > 44 ? 12 : 0);
    if (mood.pulse < 0.3) {
      piece.Note(t0, bar * 0.95, bassMidi, 0.22, 0.5, bassVoice);
    } else if (mood.pulse < 0.7) {
      for (double at : {0.0, 2.0, 3.5})
        piece.Note(t0 + at * beat, beat * (at == 3.5 ? 0.45 : 1.4), bassMidi + (at == 3.5 ? 12 : 0), 0.2, 0.5,
                   bassVoice);
    } else {
      for (int e = 0; e < 8; ++e) {
        const int midi = bassMidi + (e % 4 == 3 ? 7 : e == 6 ? 12 : 0);
        piece.Note(t0 + e * beat / 2, beat * 0.45, midi, 0.18, 0.5, bassVoice);
      }
    }

    // Arpeggio: the chord's tones high up, in eighths (sixteenths when driven).
    if (full || bright > 0.7) {
      const int per = mood.pulse > 0.8 ? 16 : 8;
      static const std::array<int, 6> kArp = {0, 2, 4, 7, 4, 2};
      for (int k = 0; k < per; ++k) {
        const int degree = chord + 14 + kArp[static_cast<std::size_t>(k) % kArp.size()];
        const double pan = 0.5 + 0.35 * std::sin(k * 0.9 + b);
        piece.Note(t0 + k * bar / per, bar / per, ScaleNote(mood, degree), full ? 0.07 : 0.04, pan, arpVoice);
      }
    }

    // Melody: two-bar motifs in an A A' B A'' order over each eight bars,
    // notes on the strong beats drawn to the chord.
    if (theme && (b % 2 == 0)) {
      const int phrase = (b / 2) % 4;  // 0 A, 1 A', 2 B, 3 A''
      const Motif& m = phrase == 2 ? motifs[section == 2 ? 2 : 1] : motifs[0];
      const int octave = section == 3 && bright > 0.5 ? 7 : 0;
      if (phrase == 0) leadDegree = NearestChordTone(14 + chord, chord);
      double at = 0;
      int degree = leadDegree;
      for (std::size_t k = 0; k < m.lengths.size(); ++k) {
        const int barNow = b + static_cast<int>(at / 4);
        const int chordNow = piece.ChordOf(barNow);
        const bool strong = std::fmod(at, 2.0) == 0.0;
        int d = strong ? NearestChordTone(degree, chordNow) : degree;
        const bool last = k + 1 == m.lengths.size();
        // the last phrase comes home to the chord's root
        if (last && phrase == 3) d = chordNow + 7 * static_cast<int>(std::lround((d - chordNow) / 7.0));
        if (last && phrase == 1) d = NearestChordTone(d + 1, chordNow);
        d = std::clamp(d, 10, 23);
        const double len = m.lengths[k] * beat;
        piece.Note(t0 + at * beat, len * 0.92, ScaleNote(mood, d + octave), 0.16 * mood.lead, 0.45, leadVoice);
        // in the fuller sections a second voice follows a third below
        if (full && mood.lead > 0.6)
          piece.Note(t0 + at * beat, len * 0.92, ScaleNote(mood, d + octave - 2), 0.06 * mood.lead, 0.65, leadVoice);
        degree = d + m.steps[k];
        at += m.lengths[k];
      }
      leadDegree = degree;
    }

    // Counter-line in the answer section: the fourth motif, low and soft.
    if (section == 2 && b % 2 == 1) {
      const Motif& m = motifs[3];
      double at = 0;
      int degree = NearestChordTone(9 + chord, chord);
      for (std::size_t k = 0; k < m.lengths.size() && at < 4; ++k) {
        piece.Note(t0 + at * beat, m.lengths[k] * beat, ScaleNote(mood, std::clamp(degree, 7, 14)), 0.06, 0.25,
                   leadVoice);
        degree += m.steps[k];
        at += m.lengths[k];
      }
    }

    // Bells: scattered high notes of the chord.
    for (int k = 0; k < 8; ++k) {
      if (rng.Unit() > mood.bells * 0.35) continue;
      const int degree = NearestChordTone(18 + rng.Below(7), chord);
      piece.Note(t0 + k * bar / 8, 0.05, ScaleNote(mood, degree), 0.05, rng.Unit(), bellVoice);
    }

    // Drums: kick and snare with the pulse; hats or a shaker on the eighths.
    if (mood.pulse >= 0.3 && section > 0) {
      piece.Kick(t0, 0.35 * mood.pulse + 0.1);
      piece.Kick(t0 + 2 * beat, 0.3 * mood.pulse + 0.08);
      if (mood.pulse > 0.8) piece.Kick(t0 + 2.5 * beat, 0.25);
      if (mood.pulse >= 0.5) {
        for (double at : {1.0, 3.0}) piece.Noise(t0 + at * beat, 0.25, 14, 0.16 * mood.pulse, 0.5, false, 190);
      }
    }
    if (mood.pulse > 0.02) {
      for (int e = 0; e < 8; ++e) {
        const double accent = e % 2 ? 0.6 : 1.0;
        piece.Noise(t0 + e * beat / 2, 0.08, 45, 0.05 * accent * std::min(1.0, mood.pulse * 2 + 0.3),
                    e % 2 ? 0.65 : 0.35, true, 0);
      }
    }
  }

  std::vector<float> out = piece.Finish();
  // Loudness: bring the piece to the target, round off peaks above -1 dBFS
  // softly, and measure again (the rounding takes a little loudness away).
  for (int pass = 0; pass < 3; ++pass) {
    const double lufs = IntegratedLoudness(out, kRate);
    if (lufs <= -70) break;
    const auto gain = static_cast<float>(std::pow(10.0, (kTargetLufs - lufs) / 20));
    constexpr float kKnee = 0.8f, kCeiling = 0.89f;
    for (float& v : out) {
      float x = v * gain;
      const float a = std::fabs(x);
      if (a > kKnee) x = std::copysign(kKnee + (kCeiling - kKnee) * std::tanh((a - kKnee) / (kCeiling - kKnee)), x);
      v = x;
    }
  }
  return out;
}

}  // namespace music
