#pragma once
// 16-bit PCM WAV files: RIFF "WAVE" with a 16-byte "fmt " chunk and one "data" chunk.

#include <cstdint>
#include <span>
#include <vector>

namespace sound {

// Samples in -1..1 (clipped), `channels` interleaved.
std::vector<std::uint8_t> EncodeWav(std::span<const float> samples, int rate, int channels = 1);

}  // namespace sound
