#include "tools/music/loudness.h"

#include <cmath>
#include <vector>

namespace music {
namespace {

// A direct-form biquad; coefficients normalised so a0 = 1.
struct Biquad {
  double b0, b1, b2, a1, a2;
  double z1 = 0, z2 = 0;
  double Step(double x) {
    const double y = b0 * x + z1;
    z1 = b1 * x - a1 * y + z2;
    z2 = b2 * x - a2 * y;
    return y;
  }
};

// The two K-weighting stages, designed for any sample rate from their analogue
// prototypes (the standard gives coefficients for 48 kHz only).
Biquad Shelf(int rate) {
  const double gainDb = 3.999843853973347, f0 = 1681.974450955533, q = 0.7071752369554196;
  const double k = std::tan(M_PI * f0 / rate), vh = std::pow(10.0, gainDb / 20), vb = std::pow(vh, 0.4996667741545416);
  const double a0 = 1 + k / q + k * k;
  return {(vh + vb * k / q + k * k) / a0, 2 * (k * k - vh) / a0, (vh - vb * k / q + k * k) / a0, 2 * (k * k - 1) / a0,
          (1 - k / q + k * k) / a0};
}

Biquad HighPass(int rate) {
  const double f0 = 38.13547087602444, q = 0.5003270373238773;
  const double k = std::tan(M_PI * f0 / rate), a0 = 1 + k / q + k * k;
  return {1, -2, 1, 2 * (k * k - 1) / a0, (1 - k / q + k * k) / a0};
}

}  // namespace

double IntegratedLoudness(std::span<const float> stereo, int rate) {
  const std::size_t frames = stereo.size() / 2;
  const auto block = static_cast<std::size_t>(0.4 * rate), hop = static_cast<std::size_t>(0.1 * rate);
  if (rate <= 0 || frames < block || hop == 0) return -70.0;
  // K-weighted energy per 100 ms step, both channels summed.
  std::vector<double> steps(frames / hop, 0.0);
  for (int ch = 0; ch < 2; ++ch) {
    Biquad shelf = Shelf(rate), highPass = HighPass(rate);
    for (std::size_t i = 0; i < steps.size() * hop; ++i) {
      const double y = highPass.Step(shelf.Step(stereo[2 * i + ch]));
      steps[i / hop] += y * y;
    }
  }
  const std::size_t perBlock = block / hop;
  std::vector<double> blocks;  // mean square of each 400 ms block
  for (std::size_t s = 0; s + perBlock <= steps.size(); ++s) {
    double sum = 0;
    for (std::size_t k = 0; k < perBlock; ++k) sum += steps[s + k];
    blocks.push_back(sum / static_cast<double>(perBlock * hop));
  }
  auto lufs = [](double z) { return -0.691 + 10 * std::log10(std::max(z, 1e-20)); };
  auto gatedMean = [&](double gate) {
    double sum = 0;
    std::size_t n = 0;
    for (double z : blocks) {
      if (lufs(z) > gate) sum += z, ++n;
    }
    return n ? sum / static_cast<double>(n) : 0.0;
  };
  const double ungated = gatedMean(-70.0);
  if (ungated <= 0) return -70.0;
  const double gated = gatedMean(lufs(ungated) - 10.0);
  return gated > 0 ? lufs(gated) : -70.0;
}

}  // namespace music
