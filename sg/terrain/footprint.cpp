// The view's footprint on the terrain's slab, and a row's extent within it.

#include <cmath>

#include "sg/render/renderer.h"
#include "sg/scene/scene.h"
#include "sg/terrain/strip.h"

namespace {

// Coefficients smaller than this along the row leave the row's coordinate unbounded by the trace.
constexpr float kParallel = 1e-6f;

}  // namespace

void ISGTerrainFootprint(const SGRenderer* rend, const SGScene* scene, SGTerrainFootprint* out) {
  const float eyeZ = static_cast<float>(rend->renEye[2]);
  const float low = std::fmin(scene->scnCacheFloor - eyeZ, 0.f);
  const float high = std::fmax(scene->scnCacheCeiling - eyeZ, 0.f);
  // Planes 1 to 5: the far plane and the four sides; inside is a.p <= d. A
  // point of the slab is within reach when some height of the slab is inside.
  for (int i = 0; i < 5; ++i) {
    const float* plane = rend->renClipPlanes[i + 1];
    const float h = plane[2] >= 0.f ? low : high;
    out->ftTrace[i][0] = plane[0];
    out->ftTrace[i][1] = plane[1];
    out->ftTrace[i][2] = plane[3] - plane[2] * h;
  }
}

bool ISGFootprintRowExtent(const SGTerrainFootprint* ft, bool alongX, float lo, float hi, float* from, float* to) {
  float first = -1e33f;
  float last = 1e33f;
  for (const auto& t : ft->ftTrace) {
    const float along = alongX ? t[0] : t[1];
    const float across = alongX ? t[1] : t[0];
    // The edge of the band that leaves more of the row.
    const float room = t[2] - std::fmin(across * lo, across * hi);
    if (std::fabs(along) <= kParallel) {
      if (room < 0.f) {
        return false;
      }
      continue;
    }
    const float bound = room / along;
    if (along > 0.f) {
      last = std::fmin(last, bound);
    } else {
      first = std::fmax(first, bound);
    }
  }
  *from = first;
  *to = last;
  return first <= last;
}

std::int32_t ISGSnapToLOD(std::int32_t place, std::uint32_t level, int sign) {
  const std::int32_t size = 1 << level;
  const std::int32_t down = place >= 0 ? place / size * size : -((-place + size - 1) / size * size);
  return sign < 0 || down == place ? down : down + size;
}
