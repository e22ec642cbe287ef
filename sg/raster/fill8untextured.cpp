// The untextured 8-bpp fills: flat, and the 16-entry ramp with and without
// skipped pixels.

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "sg/raster/fill8.h"
#include "sg/raster/triwalk.h"

namespace {

struct OpFlat8 {
  static constexpr bool kWholeSpans = true;
  uint8_t colour;
  void Span(uint8_t* left, uint8_t* right) const { std::memset(left, colour, static_cast<size_t>(right - left) + 1); }
};

// The ramp entry of a pixel's level, bits 16..19 of its q.
struct KeysRamp8 {
  static constexpr std::size_t kKeys = 1;
  template <class T>
  static std::array<T, 1> Keys(const std::array<T, 1>& a) {
    return {(a[0] >> 16) & 15};
  }
};

struct OpRamp8 : KeysRamp8 {
  const uint8_t* ramp;
  void Put(uint8_t& pixel, const std::array<uint32_t, 1>& keys) const { pixel = ramp[keys[0]]; }
};

struct OpRampTransparent8 : KeysRamp8 {
  const uint8_t* ramp;
  void Put(uint8_t& pixel, const std::array<uint32_t, 1>& keys) const {
    const uint8_t index = ramp[keys[0]];
    if (index != 0) pixel = index;
  }
};

}  // namespace

void ISGFill8Flat(const SGQVert* first, const SGQVert* second, const SGQVert* third, const SGRasterFrame* frame,
                  const void*, const void*, const void* colour) {
  ISGTriWalk<ISGAttrsNone, uint8_t>(first, second, third, frame,
                                    [&] { return OpFlat8{*static_cast<const uint8_t*>(colour)}; });
}

void ISGFill8Shaded(const SGQVert* first, const SGQVert* second, const SGQVert* third, const SGRasterFrame* frame,
                    const void*, const void* ramp, const void*) {
  ISGTriWalk<ISGAttrsQ, uint8_t>(first, second, third, frame, [&] {
    return OpRamp8{{}, static_cast<const uint8_t*>(ramp)};
  });
}

void ISGFill8ShadedTransparent(const SGQVert* first, const SGQVert* second, const SGQVert* third,
                               const SGRasterFrame* frame, const void*, const void* ramp, const void*) {
  ISGTriWalk<ISGAttrsQ, uint8_t>(first, second, third, frame, [&] {
    return OpRampTransparent8{{}, static_cast<const uint8_t*>(ramp)};
  });
}
