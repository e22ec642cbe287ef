#pragma once
// Ogg Vorbis encoding with libvorbisenc, with a fixed stream serial number so
// the same samples give the same file.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace music {

// Interleaved stereo samples in -1..1; quality -0.1..1 as libvorbis takes it.
// Throws std::runtime_error when the encoder refuses the settings.
std::vector<std::uint8_t> EncodeOggVorbis(std::span<const float> stereo, int rate, float quality,
                                          const std::string& title);

}  // namespace music
