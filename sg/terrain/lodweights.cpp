// The renderer's optional blend weights by distance and the brightness table
// made with them.

#include <cmath>

#include "sg/core/malloc.h"
#include "sg/fb/framebuffer.h"
#include "sg/fb/lut.h"
#include "sg/material/material.h"
#include "sg/render/renderer.h"
#include "sg/terrain/lod.h"

namespace {

// Past this radius the table (radius^2 entries of two bytes) would pass 2 MiB.
constexpr std::uint32_t kMaxWeightRadius = 1024;
constexpr std::uint32_t kBrightnessRows = 16;

// Row i scales every colour of the frame buffer by 2^((i - 8) / 8) and takes the nearest one.
SGError BuildBrightness(const SGFrameBuffer* fb, std::uint8_t** out) {
  auto* table = static_cast<std::uint8_t*>(SGMalloc(kBrightnessRows * 256));
  if (table == nullptr) {
    return SG_ERROR_NO_MEMORY;
  }
  for (std::uint32_t row = 0; row < kBrightnessRows; ++row) {
    const float scale = std::exp2((static_cast<float>(row) - 8.f) / 8.f);
    for (std::uint32_t k = 0; k < 256; ++k) {
      const SGPalEntry c = k < fb->fbColourCount ? fb->fbColours[k] : SGPalEntry{};
      auto channel = [scale](std::uint8_t v) {
        const float s = static_cast<float>(v) * scale;
        return s >= 255.f ? 255u : static_cast<std::uint32_t>(s);
      };
      std::uint32_t word = (channel(c.red) << 24) | (channel(c.green) << 16) | (channel(c.blue) << 8);
      SGPaletteFindNearest(fb->fbColours, fb->fbColourCount, &word);
      table[row * 256 + k] = static_cast<std::uint8_t>(word & 0xFF);
    }
  }
  *out = table;
  return SG_ERROR_NONE;
}

}  // namespace

void ISGLodFreeWeights(SGLODState* lod) {
  SGFree(lod->lodWeights);
  SGFree(lod->lodWeightColours);
  lod->lodWeights = nullptr;
  lod->lodWeightColours = nullptr;
  lod->lodWeightsLen = 0;
}

SGError SGRendererSetLODWeights(SGRenderer* rend, std::uint32_t word, std::uint32_t mode, std::uint32_t radius,
                                float range, float fraction) {
  SGLODState* lod = rend->renLOD;
  if (lod == nullptr) {
    return SG_ERROR_NO_LOD;
  }
  const float n = static_cast<float>(radius);
  const float inner = n * (1.f - fraction);
  const float outer = (n - inner / 64.f) / (63.f / 64.f);
  if (radius == 0 || radius > kMaxWeightRadius || !(range > 0.f) || !(fraction >= 0.f) || !(outer > inner)) {
    return SG_ERROR_UNSUPPORTED;
  }
  // The brightness table is made once; without colours to take it from nothing changes.
  std::uint8_t* colours = nullptr;
  if (lod->lodWeightColours == nullptr) {
    const SGFrameBuffer* fb = rend->renFrameBuffer;
    if (fb == nullptr || fb->fbColours == nullptr || fb->fbColourCount == 0) {
      return SG_ERROR_NO_LUT;
    }
    const SGError err = BuildBrightness(fb, &colours);
    if (err != SG_ERROR_NONE) {
      return err;
    }
  }
  const std::uint32_t len = radius * radius;
  auto* weights = static_cast<std::uint16_t*>(SGMalloc(static_cast<std::size_t>(len) * sizeof(std::uint16_t)));
  if (weights == nullptr) {
    SGFree(colours);
    return SG_ERROR_NO_MEMORY;
  }
  for (std::uint32_t i = 0; i < len; ++i) {
    const float d = std::sqrt(static_cast<float>(i));
    std::uint32_t halvings = 0;
    for (float t = n / 2.f; d < t && halvings < kBrightnessRows - 1; t /= 2.f) {
      ++halvings;
    }
    float w = (d - inner) / (outer - inner);
    w = w < 0.f ? 0.f : (w > 1.f ? 1.f : w);
    const int low = static_cast<int>(256.f * w) - 1;
    weights[i] = static_cast<std::uint16_t>((halvings << 8) | static_cast<std::uint32_t>(low < 0 ? 0 : low));
  }
  SGFree(lod->lodWeights);
  lod->lodWeights = weights;
  lod->lodWeightsLen = len;
  lod->lodWeightScale = static_cast<float>(len) / range;
  lod->lodWeightWord = word;
  lod->lodWeightMode = mode;
  if (colours != nullptr) {
    lod->lodWeightColours = colours;
  }
  return SG_ERROR_NONE;
}

SGError SGRendererFreeLODWeights(SGRenderer* rend) {
  SGLODState* lod = rend->renLOD;
  if (lod == nullptr) {
    return SG_ERROR_NO_LOD;
  }
  if (lod->lodWeights == nullptr) {
    return SG_ERROR_NO_WEIGHTS;
  }
  ISGLodFreeWeights(lod);
  return SG_ERROR_NONE;
}
