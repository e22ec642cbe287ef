// The untextured 8-bpp fills: flat, and the 16-entry ramp with and without
// skipped pixels.

#include <array>
#include <cstdint>
#include <cstring>

#include "sg/raster/fill8.h"
#include "sg/raster/triwalk.h"

namespace {

struct OpFlat8 {
  static constexpr bool kWholeSpans = true;
  uint8_t colour;
  void Span(uint8_t* left, uint8_t* right) const {
    std::memset(left, colour, static_cast<size_t>(right - left) + 1);
  }
};

struct OpRamp8 {
  const uint8_t* ramp;
  void operator()(uint8_t& pixel, const std::array<uint32_t, 1>& values) const {
    pixel = ramp[(values[0] >> 16) & 15];
  }
};

struct OpRampTransparent8 {
  const uint8_t* ramp;
  void operator()(uint8_t& pixel, const std::array<uint32_t, 1>& values) const {
    const uint8_t index = ramp[(values[0] >> 16) & 15];
    if (index != 0) pixel = index;
  }
};

}  // namespace

void ISGFill8Flat(const SGQVert* first, const SGQVert* second, const SGQVert* third, const SGRasterFrame* frame,
                  const void*, const void*, const void* colour) {
  ISGTriWalk<ISGAttrsNone, uint8_t>(first, second, third, frame,
                                    [&] { return OpFlat8{*static_cast<const uint8_t*>(colour)}; });
}

void ISGFill8Shaded(const SGQVert* first, const SGQVert* second, const SGQVert* third,
                    const SGRasterFrame* frame, const void*, const void* ramp, const void*) {
  ISGTriWalk<ISGAttrsQ, uint8_t>(first, second, third, frame,
                                 [&] { return OpRamp8{static_cast<const uint8_t*>(ramp)}; });
}

void ISGFill8ShadedTransparent(const SGQVert* first, const SGQVert* second, const SGQVert* third,
                               const SGRasterFrame* frame, const void*, const void* ramp, const void*) {
  ISGTriWalk<ISGAttrsQ, uint8_t>(first, second, third, frame,
                                 [&] { return OpRampTransparent8{static_cast<const uint8_t*>(ramp)}; });
}
