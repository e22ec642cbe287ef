#pragma once
// The stream headers ('strh') of an AVI file, read from its own bytes: the
// demuxer gives a stream's timing only reduced, or made up from its format,
// while an audio stream's samples are counted in the units its header states.
// Internal to the video role. Pure function: may be called from several
// threads.

#include <cstdint>
#include <span>
#include <vector>

namespace plat::video_impl {

struct AviStreamTiming {
  std::uint32_t scale = 0;
  std::uint32_t rate = 0;
};

// One entry per stream list of the header list, in file order (the demuxer's
// stream order); a list without a whole header gives scale and rate 0. Empty
// when the bytes hold no AVI header list. Never reads past the bytes.
std::vector<AviStreamTiming> ReadAviStreamTimings(std::span<const std::uint8_t> bytes);

}  // namespace plat::video_impl
