#pragma once
// Integrated loudness of stereo samples, measured as broadcast loudness meters
// (and FFmpeg's ebur128 filter) measure it: K-weighting, 400 ms blocks every
// 100 ms, an absolute gate at -70 LUFS and a relative gate 10 LU below the
// ungated mean. Pure computation; any thread.

#include <span>

namespace music {

// Every track is brought to this integrated loudness.
constexpr double kTargetLufs = -18.0;

// Interleaved stereo in -1..1 at `rate` Hz. Returns -70 or less for silence or
// for less than one 400 ms block.
double IntegratedLoudness(std::span<const float> stereo, int rate);

}  // namespace music
