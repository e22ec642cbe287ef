// Music tracks through the CD player's decoder (Ogg Vorbis by its own reader,
// other formats through FFmpeg): any bytes are refused at the open or decoded
// in blocks no larger than asked for, each read returning (a read that never
// returns is the fuzzer's time-out).
#include <cstddef>
#include <cstdint>
#include <vector>

#include "fuzz/scratch.h"
#include "platform/display/audio.h"
#include "platform/sound/trackdecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto& scratch = fuzz::Scratch::Get();
  scratch.Write("track", {data, size});
  auto decoder = plat::TrackDecoder::Open(scratch.dir() / "track");
  if (!decoder) return 0;
  // A few kilobytes of near-silence can hold many minutes: two are enough
  // to reach every path of the decoder.
  constexpr std::size_t kBlock = 4096, kMostFrames = std::size_t{plat::kAudioRate} * 120;
  std::vector<std::int16_t> block(kBlock * plat::kAudioChannels);
  std::size_t frames = 0;
  for (;;) {
    const std::size_t got = decoder->Read(block.data(), kBlock);
    if (got > kBlock) __builtin_trap();
    if (got == 0) break;
    frames += got;
    if (frames > kMostFrames) break;
  }
  return 0;
}
