#pragma once
// The sound-effect synthesiser: oscillators, noise, envelopes and filters, and
// the recipes of the game's effects built from them. Rendering is pure
// arithmetic on a seeded generator, so a recipe and seed give the same samples
// everywhere.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace sound {

constexpr int kRate = 22050;

// Pseudo-random noise in -1..1 (xorshift).
class Noise {
 public:
  explicit Noise(std::uint64_t seed) : state_(seed | 1) {}
  float Next();

 private:
  std::uint64_t state_;
};

// One-pole low-pass filter; `cutoff` in Hz may change from sample to sample.
class LowPass {
 public:
  float Step(float in, float cutoff);

 private:
  float y_ = 0;
};

// Attack, then exponential decay to silence with the given half-life.
float Envelope(float t, float attack, float halfLife);

// The recipes the inventory names ("click", "explosion", "beam", ...); the
// seed varies a recipe between files that share it. Throws
// std::invalid_argument for an unknown recipe.
std::vector<float> RenderEffect(std::string_view recipe, std::uint64_t seed);

bool IsRecipe(std::string_view recipe);

}  // namespace sound
