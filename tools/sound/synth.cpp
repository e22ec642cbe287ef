#include "tools/sound/synth.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <map>
#include <stdexcept>

namespace sound {

float Noise::Next() {
  state_ ^= state_ << 13;
  state_ ^= state_ >> 7;
  state_ ^= state_ << 17;
  return static_cast<float>(static_cast<double>(state_ >> 11) / 4503599627370496.0 - 1.0);
}

float LowPass::Step(float in, float cutoff) {
  const float a = 1.0f - std::exp(-2.0f * static_cast<float>(M_PI) * cutoff / kRate);
  y_ += a * (in - y_);
  return y_;
}

float Envelope(float t, float attack, float halfLife) {
  if (t < 0) return 0;
  if (t < attack) return t / attack;
  return std::exp2(-(t - attack) / halfLife);
}

namespace {

constexpr float kLoopLevel = 0.4f;  // -8 dB

// Everything a recipe needs: time in seconds, the seed's noise, and a
// variation factor near 1 so files sharing a recipe differ a little.
struct Ctx {
  Noise noise;
  float vary;
  explicit Ctx(std::uint64_t seed)
      : noise(seed), vary(0.9f + 0.2f * static_cast<float>((seed >> 8) % 1000) / 1000.0f) {}
};

using Voice = std::function<float(float t, Ctx& c)>;

std::vector<float> Render(float seconds, Ctx& c, const Voice& voice) {
  std::vector<float> out(static_cast<std::size_t>(seconds * kRate));
  for (std::size_t i = 0; i < out.size(); ++i) out[i] = voice(static_cast<float>(i) / kRate, c);
  // Peak-normalise to -1 dBFS so every effect plays at a like level.
  float peak = 0;
  for (float s : out) peak = std::max(peak, std::fabs(s));
  if (peak > 0) {
    for (float& s : out) s *= 0.89f / peak;
  }
  // Short fades keep the ends click-free.
  const std::size_t fade = std::min<std::size_t>(out.size() / 2, kRate / 200);
  for (std::size_t i = 0; i < fade; ++i) {
    const float k = static_cast<float>(i) / fade;
    out[i] *= k;
    out[out.size() - 1 - i] *= k;
  }
  return out;
}

float Sine(float phase) { return std::sin(2.0f * static_cast<float>(M_PI) * phase); }
float Saw(float phase) { return 2.0f * (phase - std::floor(phase)) - 1.0f; }
float Square(float phase) { return phase - std::floor(phase) < 0.5f ? 1.0f : -1.0f; }

// A sine whose frequency glides exponentially from f0 to f1 over `len` seconds.
float Glide(float t, float f0, float f1, float len) {
  const float k = std::log(f1 / f0) / len;
  const float tt = std::min(t, len);
  float phase = std::fabs(k) < 1e-6f ? f0 * tt : f0 * (std::exp(k * tt) - 1.0f) / k;
  phase += f1 * std::max(0.0f, t - len);
  return phase;
}

std::vector<float> Make(std::string_view recipe, Ctx& c) {
  // Each filter lives as long as one rendering.
  LowPass lp, lp2;
  const float v = c.vary;
  if (recipe == "click") {
    return Render(0.06f, c, [&](float t, Ctx& x) {
      return Envelope(t, 0.001f, 0.006f) * (0.6f * Sine(1800 * v * t) + 0.4f * x.noise.Next());
    });
  }
  if (recipe == "open" || recipe == "shut") {
    const bool open = recipe == "open";
    return Render(0.7f, c, [&, open](float t, Ctx& x) {
      const float sweep = open ? Glide(t, 180 * v, 520 * v, 0.45f) : Glide(t, 520 * v, 150 * v, 0.45f);
      const float whoosh = lp.Step(x.noise.Next(), open ? 300 + 3000 * t : 3000 - 3500 * std::min(t, 0.8f));
      return Envelope(t, 0.05f, 0.15f) * (0.5f * Saw(sweep) * 0.4f + 0.6f * whoosh) +
             (open ? 0.0f : Envelope(t - 0.5f, 0.002f, 0.03f) * 0.8f * x.noise.Next());
    });
  }
  if (recipe == "gong") {
    // A struck metal plate: inharmonic partials from the hum to the shimmer,
    // the higher ones dying sooner, pairs a little apart so the tone beats,
    // and the mallet's splash of bright noise at the strike.
    static constexpr std::array<float, 12> kRatios = {1.0f, 1.52f, 2.0f,  2.76f, 3.41f, 4.12f,
                                                      5.4f, 6.79f, 8.93f, 11.2f, 14.1f, 17.6f};
    return Render(2.5f, c, [&](float t, Ctx& x) {
      float ring = 0;
      for (std::size_t k = 0; k < kRatios.size(); ++k) {
        const float f = 220 * v * kRatios[k];
        const float halfLife = 0.9f / (1.0f + 0.35f * static_cast<float>(k));
        ring += Envelope(t, 0.002f, halfLife) / (1.0f + 0.25f * static_cast<float>(k)) *
                (Sine(f * t) + 0.5f * Sine(f * 1.003f * t));
      }
      const float bright = x.noise.Next() - lp.Step(x.noise.Next(), 3500);
      return ring + 0.9f * Envelope(t, 0.001f, 0.06f) * bright;
    });
  }
  if (recipe == "chime") {
    return Render(1.4f, c, [&](float t, Ctx&) {
      float s = 0;
      const float notes[] = {660, 880, 1320};
      for (int i = 0; i < 3; ++i) s += Envelope(t - 0.12f * i, 0.003f, 0.25f) * Sine(notes[i] * v * t);
      return s;
    });
  }
  if (recipe == "thud" || recipe == "land") {
    const float len = recipe == "land" ? 0.9f : 0.4f;
    return Render(len, c, [&](float t, Ctx& x) {
      const float body = Sine(Glide(t, 120 * v, 45, 0.15f));
      const float dust = lp.Step(x.noise.Next(), 900);
      return Envelope(t, 0.002f, len / 6) * (0.8f * body + 0.5f * dust);
    });
  }
  if (recipe == "explosion" || recipe == "hit") {
    const bool big = recipe == "explosion";
    return Render(big ? 1.6f : 0.5f, c, [&, big](float t, Ctx& x) {
      const float cutoff = (big ? 2500 : 4000) * std::exp2(-t / (big ? 0.25f : 0.08f)) + 80;
      const float rumble = lp.Step(x.noise.Next(), cutoff);
      const float crack = Envelope(t, 0.0005f, 0.01f) * x.noise.Next();
      return Envelope(t, 0.003f, big ? 0.3f : 0.07f) * (1.6f * rumble + 0.5f * crack) +
             (big ? 0.5f * Envelope(t, 0.01f, 0.4f) * Sine(Glide(t, 60, 30, 1.0f)) : 0.0f);
    });
  }
  if (recipe == "gun" || recipe == "cannon") {
    const bool heavy = recipe == "cannon";
    return Render(heavy ? 0.8f : 0.35f, c, [&, heavy](float t, Ctx& x) {
      const float boom = Sine(Glide(t, heavy ? 160 * v : 400 * v, 50, 0.1f));
      const float blast = lp.Step(x.noise.Next(), heavy ? 1500 : 5000);
      return Envelope(t, 0.001f, heavy ? 0.12f : 0.04f) * (0.7f * boom + 0.8f * blast);
    });
  }
  if (recipe == "beam" || recipe == "zap" || recipe == "rail") {
    const float f0 = recipe == "rail" ? 2400 : recipe == "zap" ? 900 : 1400;
    const float len = recipe == "rail" ? 0.4f : 0.6f;
    return Render(len, c, [&, f0, len](float t, Ctx& x) {
      const float tone =
          Saw(Glide(t, f0 * v, f0 * 0.35f * v, len)) * 0.5f + Sine(Glide(t, f0 * 1.5f * v, f0 * 0.5f, len));
      const float crackle = recipe == "zap" ? (x.noise.Next() > 0.7f ? 1.0f : 0.0f) : 0.0f;
      return Envelope(t, 0.004f, len / 4) * (0.7f * lp.Step(tone, 5000) + 0.5f * crackle);
    });
  }
  if (recipe == "missile" || recipe == "takeoff" || recipe == "lift") {
    const bool up = recipe != "missile";
    const float len = recipe == "lift" ? 1.0f : 1.3f;
    return Render(len, c, [&, up, len](float t, Ctx& x) {
      const float roar = lp.Step(x.noise.Next(), up ? 400 + 1500 * t / len : 2500 - 1500 * t / len);
      const float whine = Sine(Glide(t, up ? 200 * v : 900 * v, up ? 700 * v : 300 * v, len)) * 0.25f;
      return Envelope(t, 0.15f, len / 2.5f) * (1.3f * roar + whine);
    });
  }
  if (recipe == "flame" || recipe == "acid") {
    const bool acid = recipe == "acid";
    return Render(0.9f, c, [&, acid](float t, Ctx& x) {
      const float hiss = lp.Step(x.noise.Next(), acid ? 6000 : 1800) - (acid ? lp2.Step(x.noise.Next(), 600) : 0.0f);
      const float bubble = acid ? Sine(300 * v * t + 0.3f * Sine(23 * t)) * 0.3f : 0.0f;
      return Envelope(t, 0.03f, 0.25f) * (1.2f * hiss + bubble);
    });
  }
  if (recipe == "engine" || recipe == "hum" || recipe == "shield") {
    const float base = recipe == "engine" ? 55 : recipe == "hum" ? 110 : 330;
    std::vector<float> loop = Render(1.5f, c, [&, base](float t, Ctx& x) {
      const float wobble = 1.0f + 0.01f * Sine(3 * t);
      float s = Saw(base * v * wobble * t) * 0.5f + Square(base * 0.5f * v * t) * 0.2f + Sine(base * 2 * v * t) * 0.3f;
      if (recipe == "shield")
        s = Sine(base * v * t) * (0.6f + 0.4f * Sine(9 * t)) + 0.3f * lp2.Step(x.noise.Next(), 3000);
      // Loops seamlessly enough: no envelope but the short edge fades.
      return lp.Step(s, 1800) + 0.15f * lp2.Step(x.noise.Next(), 300);
    });
    // A loop sounds all the time at its peak level where the other effects
    // only touch it: 8 dB down it sits with them.
    for (float& sample : loop) sample *= kLoopLevel;
    return loop;
  }
  throw std::invalid_argument("unknown sound recipe \"" + std::string(recipe) + "\"");
}

constexpr std::string_view kRecipes[] = {"click", "open",  "shut",   "gong",   "chime", "thud",  "land",    "explosion",
                                         "hit",   "gun",   "cannon", "beam",   "zap",   "rail",  "missile", "takeoff",
                                         "lift",  "flame", "acid",   "engine", "hum",   "shield"};

}  // namespace

bool IsRecipe(std::string_view recipe) {
  return std::find(std::begin(kRecipes), std::end(kRecipes), recipe) != std::end(kRecipes);
}

std::vector<float> RenderEffect(std::string_view recipe, std::uint64_t seed) {
  Ctx c(seed);
  return Make(recipe, c);
}

}  // namespace sound
