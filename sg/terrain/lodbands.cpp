// Where the levels start along a terrain strip.

#include <cmath>

#include "sg/render/renderer.h"
#include "sg/scene/scene.h"
#include "sg/terrain/lod.h"

SGError ISGLodStripBands(const SGRenderer* rend, const SGScene* scene, float x, float y, bool alongX, const int dir[2],
                         std::uint32_t finest, std::uint32_t coarsest, float bands[2 * SG_LOD_MAX_LEVELS],
                         std::uint32_t* level, std::uint32_t* top, std::uint32_t* bottom) {
  const SGLODState* lod = rend->renLOD;
  if (lod == nullptr) {
    return SG_ERROR_NO_LOD;
  }
  for (std::uint32_t i = 0; i < 2 * SG_LOD_MAX_LEVELS; ++i) {
    bands[i] = 0.f;
  }
  const SGError err = ISGLodChoose(rend, scene, x, y, level, nullptr);
  if (err != SG_ERROR_NONE) {
    return err;
  }
  coarsest = coarsest < SG_LOD_MAX_LEVELS ? coarsest : SG_LOD_MAX_LEVELS - 1;
  *top = *level + 1 < coarsest ? *level + 1 : coarsest;
  // The row's own coordinate: the walk comes toward the eye, so one already past it stands at the eye.
  float row = alongX ? y : x;
  const int rowDir = alongX ? dir[1] : dir[0];
  if (row * static_cast<float>(rowDir) > 0.f) {
    row = 0.f;
  }
  const float sign = static_cast<float>(alongX ? dir[0] : dir[1]);
  std::uint32_t l = *top;
  for (;; --l) {
    const float reach = lod->lodDist[l] / lod->lodDistScale - row * row;
    // A level that starts nowhere on the row is the finest the row reaches.
    if (!(lod->lodDist[l] >= 0.f) || !(lod->lodDistScale > 0.f) || reach <= 0.f) {
      break;
    }
    const float half = std::sqrt(reach);
    bands[2 * l] = -sign * half;
    bands[2 * l + 1] = sign * half;
    if (l <= finest) {
      break;
    }
  }
  *bottom = l < finest ? finest : l;
  return SG_ERROR_NONE;
}
