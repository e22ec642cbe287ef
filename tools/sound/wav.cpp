#include "tools/sound/wav.h"

#include <algorithm>
#include <cmath>

#include "platform/core/bytes.h"

namespace sound {

std::vector<std::uint8_t> EncodeWav(std::span<const float> samples, int rate, int channels) {
  const auto dataBytes = static_cast<std::uint32_t>(samples.size() * 2);
  plat::ByteWriter w;
  w.Chars("RIFF");
  w.U32(36 + dataBytes);
  w.Chars("WAVE");
  w.Chars("fmt ");
  w.U32(16);
  w.U16(1);  // PCM
  w.U16(static_cast<std::uint16_t>(channels));
  w.U32(static_cast<std::uint32_t>(rate));
  w.U32(static_cast<std::uint32_t>(rate * channels * 2));
  w.U16(static_cast<std::uint16_t>(channels * 2));
  w.U16(16);
  w.Chars("data");
  w.U32(dataBytes);
  for (float s : samples) w.I16(static_cast<std::int16_t>(std::lround(std::clamp(s, -1.0f, 1.0f) * 32767.0f)));
  return w.Take();
}

}  // namespace sound
