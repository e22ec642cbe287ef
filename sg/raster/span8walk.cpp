// The 8-bpp textured edge walkers.

#include <algorithm>
#include <array>

#include "sg/raster/span8.h"
#include "sg/raster/walk8.h"

namespace {

constexpr auto kNoClass = [](const auto&, const auto&) { return 0u; };

// Squared texel step per pixel along one texture axis, in 2^-16 texel^2.
float SquaredStep(uint32_t gradX, uint32_t gradY) {
  const float a = static_cast<float>(static_cast<int32_t>(gradX) >> 8);
  const float b = static_cast<float>(static_cast<int32_t>(gradY) >> 8);
  return static_cast<float>(static_cast<double>(a) * a + static_cast<double>(b) * b);
}

// The dithering class from the u and v gradients (the first two attributes).
constexpr auto kDitherClass = [](const auto& gx, const auto& gy) {
  const float smaller = std::min(SquaredStep(gx[0], gy[0]), SquaredStep(gx[1], gy[1]));
  // A step too long for 32 bits is no magnification at all.
  if (!(smaller < 2147483648.0f)) return 0u;
  const int32_t m = static_cast<int32_t>(smaller);
  return m < 4096 ? SG_FILL_DITHER4 : m < 16384 ? SG_FILL_DITHER2 : 0u;
};

}  // namespace

uint32_t ISGWalkTexture8(const SGQVert* first, const SGQVert* second, const SGQVert* third, const SGRasterFrame* frame,
                         SGSpanList* list) {
  return ISGWalk8<ISGAttrs8UV>(first, second, third, frame, list, kNoClass);
}

uint32_t ISGWalkShadedTexture8(const SGQVert* first, const SGQVert* second, const SGQVert* third,
                               const SGRasterFrame* frame, SGSpanList* list) {
  return ISGWalk8<ISGAttrs8UVQ>(first, second, third, frame, list, kNoClass);
}

uint32_t ISGWalkDitheredTexture8(const SGQVert* first, const SGQVert* second, const SGQVert* third,
                                 const SGRasterFrame* frame, SGSpanList* list) {
  return ISGWalk8<ISGAttrs8UV>(first, second, third, frame, list, kDitherClass);
}

uint32_t ISGWalkAlphaTexture8(const SGQVert* first, const SGQVert* second, const SGQVert* third,
                              const SGRasterFrame* frame, SGSpanList* list) {
  return ISGWalk8<ISGAttrs8UVQC>(first, second, third, frame, list, kNoClass);
}

uint32_t ISGWalkAlphaStrip8(const SGQVert* first, const SGQVert* second, const SGQVert* third,
                            const SGRasterFrame* frame, SGSpanList* list) {
  SGQVert clamped[3] = {*first, *second, *third};
  for (SGQVert& v : clamped)
    if (v.u > 92.0f) v.u = 92.0f;
  return ISGWalk8<ISGAttrs8UVC>(&clamped[0], &clamped[1], &clamped[2], frame, list, kDitherClass);
}
