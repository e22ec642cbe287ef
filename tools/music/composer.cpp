#include "tools/music/composer.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>

namespace music {
namespace {

const std::vector<int> kMinor = {0, 2, 3, 5, 7, 8, 10};
const std::vector<int> kMajor = {0, 2, 4, 5, 7, 9, 11};
const std::vector<int> kDorian = {0, 2, 3, 5, 7, 9, 10};
const std::vector<int> kLydian = {0, 2, 4, 6, 7, 9, 11};
const std::vector<int> kPhrygian = {0, 1, 3, 5, 7, 8, 10};

const std::vector<Mood> kMoods = {
    {"title", 43, kDorian, {0, 5, 3, 4, 0, 5, 6, 4}, 6, 0.7, 0.6, 0.15, 0.4},
    {"patrol", 45, kMinor, {0, 5, 6, 4}, 8, 0.5, 0.4, 0.3, 0.3},
    {"drift", 48, kLydian, {0, 1, 0, 4}, 10, 0.35, 0.3, 0.0, 0.5},
    {"tension", 40, kPhrygian, {0, 1, 0, 6}, 6, 0.4, 0.2, 0.6, 0.2},
    {"mining", 50, kMajor, {0, 3, 4, 0}, 7, 0.55, 0.7, 0.35, 0.3},
    {"council", 46, kDorian, {0, 3, 6, 4}, 9, 0.45, 0.5, 0.1, 0.35},
    {"battle", 38, kMinor, {0, 0, 5, 6}, 4, 0.8, 0.35, 1.0, 0.25},
    {"nebula", 52, kLydian, {0, 4, 1, 5}, 12, 0.3, 0.45, 0.0, 0.7},
    {"victory", 48, kMajor, {0, 4, 5, 3}, 5, 0.85, 0.8, 0.4, 0.3},
    {"requiem", 41, kMinor, {0, 3, 5, 4}, 11, 0.25, 0.25, 0.05, 0.45},
};

// Sine from a table: the pieces need millions of them.
class SineTable {
 public:
  SineTable() {
    for (std::size_t i = 0; i < table_.size(); ++i) table_[i] = static_cast<float>(std::sin(2 * M_PI * i / table_.size()));
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

 private:
  std::uint64_t s_;
};

int ScaleNote(const Mood& m, int degree) {
  const int n = static_cast<int>(m.scale.size());
  const int octave = degree >= 0 ? degree / n : -((-degree + n - 1) / n);
  return m.rootMidi + 12 * octave + m.scale[static_cast<std::size_t>(degree - octave * n)];
}

// A feedback delay per channel: cheap room sound that spreads the pad.
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

}  // namespace

const Mood* FindMood(std::string_view name) {
  for (const Mood& m : kMoods) {
    if (m.name == name) return &m;
  }
  return nullptr;
}

std::vector<float> Compose(const Mood& mood, double seconds) {
  const auto frames = static_cast<std::size_t>(std::max(seconds, mood.barSeconds) * kRate);
  std::vector<float> out(frames * 2, 0.0f);
  std::uint64_t seed = 1469598103934665603ull;  // FNV-1a of the name: the same on every library
  for (unsigned char c : mood.name) seed = (seed ^ c) * 1099511628211ull;
  Rng rng(seed);
  const std::size_t barFrames = static_cast<std::size_t>(mood.barSeconds * kRate);

  // Pad: the bar's triad in three detuned voices each, filtered, cross-faded
  // between bars.
  std::vector<double> phases(18, 0.0);
  float lowL = 0, lowR = 0;
  for (std::size_t i = 0; i < frames; ++i) {
    const std::size_t bar = i / barFrames;
    const double inBar = static_cast<double>(i % barFrames) / barFrames;
    const int degree = mood.chords[bar % mood.chords.size()];
    const double swell = 0.55 + 0.45 * std::sin(M_PI * inBar);
    float l = 0, r = 0;
    for (int v = 0; v < 3; ++v) {
      const double hz = MidiHz(ScaleNote(mood, degree + 2 * v));
      for (int d = 0; d < 3; ++d) {
        double& ph = phases[static_cast<std::size_t>(v * 3 + d)];
        ph += hz * (1.0 + (d - 1) * 0.004 * mood.detune) / kRate;
        const float s = kSine(ph) + 0.3f * kSine(ph * 2) + 0.12f * kSine(ph * 3);
        (d == 0 ? l : d == 2 ? r : l) += s * (d == 1 ? 0.5f : 1.0f);
        if (d == 1) r += s * 0.5f;
      }
    }
    const float cutoff = static_cast<float>(0.02 + 0.1 * mood.brightness * swell);
    lowL += cutoff * (l - lowL);
    lowR += cutoff * (r - lowR);
    out[2 * i] += 0.07f * static_cast<float>(swell) * lowL;
    out[2 * i + 1] += 0.07f * static_cast<float>(swell) * lowR;
  }

  // Bass: the chord root an octave down, pulsing with the mood's drive.
  double bassPhase = 0;
  for (std::size_t i = 0; i < frames; ++i) {
    const std::size_t bar = i / barFrames;
    const int degree = mood.chords[bar % mood.chords.size()];
    bassPhase += MidiHz(ScaleNote(mood, degree) - 12) / kRate;
    const double beat = std::fmod(static_cast<double>(i) / kRate, mood.barSeconds / 8) / (mood.barSeconds / 8);
    const double amp = (1 - mood.pulse) * 0.8 + mood.pulse * std::exp(-beat * 5);
    const float s = static_cast<float>(0.16 * amp) * kSine(bassPhase);
    out[2 * i] += s;
    out[2 * i + 1] += s;
  }

  // Bells: notes of the scale at seeded times, panned, with long decays.
  const double step = mood.barSeconds / 8;
  for (double t = step; t < frames / static_cast<double>(kRate) - 2; t += step) {
    if (rng.Unit() > mood.bells) continue;
    const int degree = 7 + static_cast<int>(rng.Unit() * 8);
    const double hz = MidiHz(ScaleNote(mood, degree));
    const float pan = static_cast<float>(rng.Unit());
    const auto start = static_cast<std::size_t>(t * kRate);
    const std::size_t len = std::min<std::size_t>(frames - start, static_cast<std::size_t>(3.0 * kRate));
    for (std::size_t k = 0; k < len; ++k) {
      const double tt = static_cast<double>(k) / kRate;
      const float env = static_cast<float>(std::exp(-tt * 1.6) * std::min(1.0, tt * 200));
      const float s = 0.06f * env * (kSine(hz * tt) + 0.25f * kSine(hz * 2.76 * tt) * static_cast<float>(std::exp(-tt * 4)));
      out[2 * (start + k)] += s * (1 - pan);
      out[2 * (start + k) + 1] += s * pan;
    }
  }

  // Drums for the driven moods: a soft kick on the beat, noise ticks between.
  if (mood.pulse > 0.2) {
    Rng noise(99);
    for (double t = 0; t < frames / static_cast<double>(kRate) - 1; t += step) {
      const auto start = static_cast<std::size_t>(t * kRate);
      const std::size_t len = std::min<std::size_t>(frames - start, kRate / 3);
      const bool kick = static_cast<int>(t / step) % 2 == 0;
      double ph = 0;
      for (std::size_t k = 0; k < len; ++k) {
        const double tt = static_cast<double>(k) / kRate;
        float s;
        if (kick) {
          ph += (50 + 90 * std::exp(-tt * 30)) / kRate;
          s = static_cast<float>(0.25 * mood.pulse * std::exp(-tt * 9)) * kSine(ph);
        } else {
          s = static_cast<float>(0.05 * mood.pulse * std::exp(-tt * 40) * (noise.Unit() * 2 - 1));
        }
        out[2 * (start + k)] += s;
        out[2 * (start + k) + 1] += s;
      }
    }
  }

  // Room: two delays of different lengths, then a gentle limiter and the ends faded.
  Echo echoL(static_cast<std::size_t>(0.37 * kRate), 0.45f), echoR(static_cast<std::size_t>(0.43 * kRate), 0.45f);
  const std::size_t fade = std::min<std::size_t>(frames / 4, 3 * kRate);
  for (std::size_t i = 0; i < frames; ++i) {
    float l = out[2 * i], r = out[2 * i + 1];
    l += 0.35f * echoL.Step(r);
    r += 0.35f * echoR.Step(l);
    float g = 1.0f;
    if (i < fade) g = static_cast<float>(i) / fade;
    if (frames - i < fade) g = static_cast<float>(frames - i) / fade;
    out[2 * i] = std::tanh(1.4f * l) * 0.8f * g;
    out[2 * i + 1] = std::tanh(1.4f * r) * 0.8f * g;
  }
  return out;
}

}  // namespace music
