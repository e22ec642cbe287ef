// The dithered ramp triangle of the renderer's own polygon path: whole-pixel
// vertices, 12.20 intensities and slopes, and a 4 x 4 ordered intensity
// dither.

#include <cstdint>

#include "sg/raster/fill8.h"
#include "sg/raster/fixed.h"
#include "sg/raster/span8fill.h"
#include "sg/raster/triwalk.h"

namespace {

constexpr int32_t kOne = 0x100000;  // one pixel or one level in 12.20

// The textured dither pattern in sixteenths of a level.
int32_t Offset(int32_t row, uint32_t column) { return static_cast<int32_t>(kISGDither4[row & 3][column & 3]) << 4; }

struct RampEdge {
  int64_t offset;  // from base
  int64_t stepA, stepB;
  int32_t error = kOne;
  int32_t fraction;
};

// Slope in 12.20 pixels per row and its two steps; height must not be 0.
RampEdge SetUpEdge(int32_t width, int32_t height, int32_t pitch, int64_t offset, int32_t& slope, int32_t& whole) {
  slope = ISGFixedMulShift10(width, 0x40000000 / height);
  whole = slope >= 0 ? slope >> 20 : ISGNeg32(ISGNeg32(slope) >> 20);
  RampEdge edge{offset, static_cast<int64_t>(pitch) + whole, static_cast<int64_t>(pitch) + whole, kOne,
                slope & 0xFFFFF};
  if (edge.fraction != 0) {
    if (slope <= 0)
      edge.stepA -= 1;
    else
      edge.stepB += 1;
  }
  return edge;
}

}  // namespace

void ISGFill8RampDithered(const SGRampVertex* p1, const SGRampVertex* p2, const SGRampVertex* p3, uint8_t* base,
                          int32_t pitch, const uint8_t* ramp) {
  // Order by y with the tests and parity of the screen-vertex fills.
  const SGRampVertex* v[3] = {p1, p2, p3};
  SGQVert keys[3];
  for (int i = 0; i < 3; ++i) keys[i] = SGQVert{0, v[i]->y, 0, 0, 0, 0, 0};
  const ISGTriOrder order = ISGTriOrderByY(&keys[0], &keys[1], &keys[2]);
  const SGRampVertex& top = *v[order.top - keys];
  const SGRampVertex& middle = *v[order.middle - keys];
  const SGRampVertex& bottom = *v[order.bottom - keys];
  if (top.y == bottom.y) return;

  const int32_t dx1 = ISGSub32(middle.x, top.x), dy1 = ISGSub32(middle.y, top.y);
  const int32_t dx2 = ISGSub32(bottom.x, top.x), dy2 = ISGSub32(bottom.y, top.y);
  const int32_t area = ISGSub32(ISGMul32(dx2, dy1), ISGMul32(dy2, dx1));
  if (order.parity ? !(area < 0) : !(area > 0)) return;

  const int32_t di1 = ISGSub32(middle.intensity, top.intensity);
  const int32_t di2 = ISGSub32(bottom.intensity, top.intensity);
  const int32_t reciprocal = 0x40000000 / area;
  const int32_t gx =
      ISGFixedMulShift20(ISGSub32(ISGFixedMulShift10(di2, dy1), ISGFixedMulShift10(dy2, di1)), reciprocal);
  const int32_t gy =
      ISGFixedMulShift20(ISGSub32(ISGFixedMulShift10(dx2, di1), ISGFixedMulShift10(di2, dx1)), reciprocal);

  int32_t slope = 0, whole = 0;
  RampEdge longEdge = SetUpEdge(dx2, dy2, pitch, static_cast<int64_t>(top.y) * pitch + top.x, slope, whole);
  int32_t rowA = ISGAdd32(gy, ISGMul32(whole, gx)), rowB = rowA;
  if (longEdge.fraction != 0) {
    if (area < 0) longEdge.fraction = kOne - longEdge.fraction;
    if (slope <= 0)
      rowA = ISGSub32(rowA, gx);
    else
      rowB = ISGAdd32(rowB, gx);
  }
  int32_t rowIntensity = top.intensity;
  int32_t row = top.y;

  auto half = [&](const SGRampVertex& origin, int32_t width, int32_t height, int32_t endRow) {
    // A half of no height has no rows; its slope would divide by zero.
    if (height <= 0) return;
    int32_t slope = 0, whole = 0;
    RampEdge shortEdge = SetUpEdge(width, height, pitch, static_cast<int64_t>(row) * pitch + origin.x, slope, whole);
    const int32_t shortFraction = area >= 0 ? (kOne - shortEdge.fraction) & 0xFFFFF : shortEdge.fraction;
    for (; row < endRow; ++row) {
      int32_t intensity = rowIntensity;
      uint32_t column =
          static_cast<uint32_t>(reinterpret_cast<uintptr_t>(base) + static_cast<uintptr_t>(longEdge.offset));
      const int step = area >= 0 ? -1 : 1;
      for (int64_t p = longEdge.offset; area >= 0 ? p >= shortEdge.offset : p <= shortEdge.offset; p += step) {
        // Levels past the 16-entry ramp are held to its ends.
        const int32_t level = ISGAdd32(Offset(row, column), intensity) >> 20;
        base[p] = ramp[level < 0 ? 0 : level > 15 ? 15 : level];
        intensity = ISGAdd32(intensity, step > 0 ? gx : ISGNeg32(gx));
        column += static_cast<uint32_t>(step);
      }
      longEdge.error = ISGSub32(longEdge.error, longEdge.fraction);
      const bool carry = longEdge.error <= 0;
      if (carry) longEdge.error = ISGAdd32(longEdge.error, kOne);
      const bool takeA = area >= 0 ? !carry : carry;
      longEdge.offset += takeA ? longEdge.stepA : longEdge.stepB;
      rowIntensity = ISGAdd32(rowIntensity, takeA ? rowA : rowB);

      shortEdge.error = ISGSub32(shortEdge.error, shortFraction);
      const bool shortCarry = shortEdge.error <= 0;
      if (shortCarry) shortEdge.error = ISGAdd32(shortEdge.error, kOne);
      shortEdge.offset += (area >= 0 ? shortCarry : !shortCarry) ? shortEdge.stepA : shortEdge.stepB;
    }
  };
  if (middle.y > top.y) half(top, dx1, dy1, middle.y);
  half(middle, ISGSub32(dx2, dx1), ISGSub32(dy2, dy1), bottom.y);
}
