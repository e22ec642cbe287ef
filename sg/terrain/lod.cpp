// The renderer's terrain LOD record: the distance-to-level table, the level
// starts and blends, and the blended heights of terrain vertices.

#include <algorithm>
#include <cmath>
#include <cstring>

#include "sg/core/malloc.h"
#include "sg/core/sgassert.h"
#include "sg/render/renderer.h"
#include "sg/scene/scene.h"
#include "sg/terrain/lod.h"

namespace {

// The record's level starts, spans and blends from its distance-to-level table (taken over).
void FillLevels(SGLODState* lod, std::uint32_t* lut, std::uint32_t n) {
  lod->lodLUT = lut;
  lod->lodLUTLen = n;
  lod->lodBlendFrac = 1.f;
  lod->lodBlendFracRecip = 1.f;
  for (float& d : lod->lodDist) {
    d = -1.f;
  }
  lod->lodFirst = lut[0];
  lod->lodDist[lod->lodFirst] = 0.f;
  for (std::uint32_t i = 1; i < n; ++i) {
    ISG_ASSERT(lut[i] >= lut[i - 1], "lod.c");
    for (std::uint32_t level = lut[i - 1] + 1; level <= lut[i]; ++level) {
      lod->lodDist[level] = static_cast<float>(i);
    }
  }
  lod->lodLast = lut[n - 1];
  for (std::uint32_t level = lod->lodFirst; level < lod->lodLast; ++level) {
    const float diff = lod->lodDist[level + 1] - lod->lodDist[level];
    lod->lodInvDist[level] = diff > 0.f ? 1.f / diff : (level > 0 ? lod->lodInvDist[level - 1] : 0.f);
    lod->lodBlendStart[level] = lod->lodDist[level] + (1.f - lod->lodBlendFrac) / lod->lodInvDist[level];
  }
  lod->lodBlendStart[lod->lodLast] = 1e33f;
}

void Replace(SGRenderer* rend, SGLODState* lod) {
  if (rend->renLOD != nullptr) {
    ISGLodFreeWeights(rend->renLOD);
    SGFree(rend->renLOD->lodLUT);
  }
  SGFree(rend->renLOD);
  rend->renLOD = lod;
}

}  // namespace

SGError SGRendererSetLOD(SGRenderer* rend, float value) {
  rend->renLODValue = value;
  return SG_ERROR_NONE;
}

SGError SGRendererGetLOD(const SGRenderer* rend, float* out) {
  *out = rend->renLODValue;
  return SG_ERROR_NONE;
}

SGError SGRendererSetLODDistFactor(SGRenderer* rend, float value) {
  rend->renLODDistFactor = value;
  return SG_ERROR_NONE;
}

SGError SGRendererGetLODDistFactor(const SGRenderer* rend, float* out) {
  *out = rend->renLODDistFactor;
  return SG_ERROR_NONE;
}

SGError ISGLodCreate(SGRenderer* rend, SGScene* scene) {
  const std::uint32_t maxLOD = scene->scnMaxLOD;
  // The table only has to tell levels apart up to the one after the coarsest
  // (its start bounds the blend of the coarsest and the distance ceiling):
  // entry i is floor(log2(i) / 2) + 1, which reaches maxLOD + 2 at i = 4^(maxLOD + 1).
  // Running on to level 2 x maxLOD would need 4 GiB at 257 samples a page.
  const std::uint32_t target = maxLOD + 2;
  if (target >= SG_LOD_MAX_LEVELS || 2 * (maxLOD + 1) >= 32 || (1u << (2 * (maxLOD + 1))) + 1 > SG_LOD_MAX_LUT ||
      scene->scnPageNumVerts < 2) {
    return SG_ERROR_UNSUPPORTED;
  }
  if (!(rend->renLODValue > 0.f)) {
    const float v = 16.f * scene->scnPageSize / static_cast<float>(scene->scnPageNumVerts - 1) / std::sqrt(2.f);
    rend->renLODValue = 1.f / (v * v);
  }
  if (!(rend->renLODDistFactor > 0.f)) {
    rend->renLODDistFactor = rend->renLODValue;
  }
  const std::uint32_t len = (1u << (2 * (maxLOD + 1))) + 1;
  auto* lod = static_cast<SGLODState*>(SGCalloc(1, sizeof(SGLODState)));
  auto* lut = static_cast<std::uint32_t*>(SGMalloc(static_cast<std::size_t>(len) * sizeof(std::uint32_t)));
  if (lod == nullptr || lut == nullptr) {
    SGFree(lod);
    SGFree(lut);
    return SG_ERROR_NO_MEMORY;
  }
  lut[0] = 0;
  std::uint32_t n = 1;
  for (; n < len; ++n) {
    const double l = std::log2(std::sqrt(static_cast<double>(n)));
    lut[n] = l < 0.0 ? 0u : static_cast<std::uint32_t>(l) + 1u;
    if (lut[n] >= target) {
      ++n;
      break;
    }
  }
  FillLevels(lod, lut, n);
  scene->scnLODDist = rend->renLODValue * scene->scnLODScale;
  const float page = scene->scnPageSize;
  lod->lodCeilingFactor = (lod->lodDist[maxLOD + 1] - lod->lodDist[maxLOD]) / (4.f * page * page);
  lod->lodDistScale = scene->scnLODDist;
  Replace(rend, lod);
  return SG_ERROR_NONE;
}

SGError SGRendererSetLODTable(SGRenderer* rend, const std::uint32_t* table, std::uint32_t length) {
  if (length == 0 || length > SG_LOD_MAX_LUT) {
    return SG_ERROR_UNSUPPORTED;
  }
  for (std::uint32_t i = 0; i < length; ++i) {
    if (table[i] >= SG_LOD_MAX_LEVELS || (i > 0 && table[i] < table[i - 1])) {
      return SG_ERROR_UNSUPPORTED;
    }
  }
  auto* lod = static_cast<SGLODState*>(SGCalloc(1, sizeof(SGLODState)));
  auto* lut = static_cast<std::uint32_t*>(SGMalloc(static_cast<std::size_t>(length) * sizeof(std::uint32_t)));
  if (lod == nullptr || lut == nullptr) {
    SGFree(lod);
    SGFree(lut);
    return SG_ERROR_NO_MEMORY;
  }
  std::memcpy(lut, table, static_cast<std::size_t>(length) * sizeof(std::uint32_t));
  FillLevels(lod, lut, length);
  // A caller's table sets no ceiling on the distance scale.
  lod->lodCeilingFactor = 1e33f;
  lod->lodDistScale = rend->renLODValue;
  Replace(rend, lod);
  return SG_ERROR_NONE;
}

SGError ISGLodBuildLUTSqrt(SGRenderer* rend, const SGScene* scene) {
  std::uint32_t table[SG_LOD_SQRT_LUT_LEN];
  std::uint32_t n = 0;
  while (n < SG_LOD_SQRT_LUT_LEN) {
    table[n] = static_cast<std::uint32_t>(std::sqrt(static_cast<double>(n)));
    if (table[n++] >= scene->scnMaxLOD) {
      break;
    }
  }
  return SGRendererSetLODTable(rend, table, n);
}

SGError ISGLodDestroy(SGRenderer* rend) {
  if (rend->renLOD != nullptr) {
    ISGLodFreeWeights(rend->renLOD);
    SGFree(rend->renLOD->lodLUT);
    SGFree(rend->renLOD);
    rend->renLOD = nullptr;
  }
  return SG_ERROR_NONE;
}

SGError ISGLodChoose(const SGRenderer* rend, const SGScene* scene, float x, float y, std::uint32_t* level,
                     float* fraction) {
  const SGLODState* lod = rend->renLOD;
  if (lod == nullptr) {
    return SG_ERROR_NO_LOD;
  }
  // A scale set negative after the table was made must not index before it.
  const float d = std::max(0.f, (x * x + y * y) * lod->lodDistScale);
  if (fraction != nullptr) {
    *fraction = 0.f;
  }
  if (!(d < static_cast<float>(lod->lodLUTLen))) {
    *level = scene->scnMaxLOD;
    return SG_ERROR_NONE;
  }
  std::uint32_t l = lod->lodLUT[static_cast<std::uint32_t>(d)];
  if (l < scene->scnMinLOD || l > scene->scnMaxLOD) {
    *level = l < scene->scnMinLOD ? scene->scnMinLOD : scene->scnMaxLOD;
    return SG_ERROR_NONE;
  }
  *level = l;
  if (fraction != nullptr && d > lod->lodBlendStart[l]) {
    const float f = ((d - lod->lodDist[l]) * lod->lodInvDist[l] - (1.f - lod->lodBlendFrac)) * lod->lodBlendFracRecip;
    *fraction = f < 0.f ? 0.f : (f > 1.f ? 1.f : f);
  }
  return SG_ERROR_NONE;
}

SGError ISGLodForDistance(const SGRenderer* rend, const SGScene* scene, const float offset[3], std::uint32_t* level,
                          float* weight) {
  const SGLODState* lod = rend->renLOD;
  if (lod == nullptr) {
    return SG_ERROR_NO_LOD;
  }
  const float d2 = offset[0] * offset[0] + offset[1] * offset[1] + offset[2] * offset[2];
  const float d = std::max(0.f, d2 * rend->renLODDistFactor * scene->scnLODDistScale);
  std::uint32_t l =
      d < static_cast<float>(lod->lodLUTLen) ? lod->lodLUT[static_cast<std::uint32_t>(d)] : scene->scnMaxLOD;
  *level = l > scene->scnMaxLOD ? scene->scnMaxLOD : l;
  if (weight != nullptr) {
    *weight = 0.f;
    if (lod->lodWeights != nullptr) {
      const float at = std::max(0.f, d2 * lod->lodWeightScale);
      *weight = at < static_cast<float>(lod->lodWeightsLen)
                    ? static_cast<float>(lod->lodWeights[static_cast<std::uint32_t>(at)] & 0xFF) / 255.f
                    : 1.f;
    }
  }
  return SG_ERROR_NONE;
}

float ISGLodBlendHeight(const SGScene* scene, const std::uint8_t* grid, std::uint32_t u, std::uint32_t v,
                        std::uint32_t level, float fraction) {
  const std::uint32_t n = scene->scnPageNumVerts;
  const std::uint8_t* at = grid + static_cast<std::size_t>(v) * n + u;
  const float k = scene->scnHeightScale;
  if (level >= scene->scnMaxLOD || fraction <= 0.f) {
    return static_cast<float>(*at) * k;
  }
  const std::ptrdiff_t s = std::ptrdiff_t{1} << level;
  const std::ptrdiff_t r = static_cast<std::ptrdiff_t>(n) << level;
  const std::uint32_t m = (2u << level) - 1;
  const bool uOff = (u & m) != 0;
  const bool vOff = (v & m) != 0;
  ISG_ASSERT(((u | v) & ((1u << level) - 1)) == 0, "lod.c");
  std::uint32_t a = 0;
  if (uOff && vOff) {
    a = (at[-s - r] + at[s + r]) >> 1;
  } else if (!uOff && vOff) {
    a = (at[-r] + at[r]) >> 1;
  } else if (uOff) {
    a = (at[-s] + at[s]) >> 1;
  } else {
    return static_cast<float>(*at) * k;
  }
  return (static_cast<float>(*at) * (1.f - fraction) + static_cast<float>(a) * fraction) * k;
}
