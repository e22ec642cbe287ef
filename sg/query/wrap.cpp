// Wrapping positions and offsets in a world that repeats in x and y.

#include "sg/query/wrap.h"

#include <cmath>

#include "sg/instance/instance.h"
#include "sg/render/instsort.h"
#include "sg/scene/scene.h"

double ISGWrapAxis(double d, double r, double period, const float* direction, int axis) {
  if (!(period > 0.0)) {
    return d;
  }
  const float dc = direction != nullptr ? direction[axis] : 0.f;
  if (dc < -0.7f) {
    d -= period * ISGWrapPeriodsDown(d - r, period);
    d += period * ISGWrapPeriodsUp(d + r, period);
  } else if (dc > 0.7f) {
    d += period * ISGWrapPeriodsUp(d + r, period);
    d -= period * ISGWrapPeriodsDown(d - r, period);
  } else {
    d -= period * ISGWrapPeriodsDown(d - period / 2.0, period);
    d += period * ISGWrapPeriodsUp(d + period / 2.0, period);
  }
  return d;
}

void ISGSceneWrapPoint(const SGScene* scene, const double point[3], double out[3]) {
  const bool shifted = (scene->scnFlags & SG_SCN_FLAG_ORIGIN) != 0;
  for (int k = 0; k < 3; ++k) {
    out[k] = shifted ? point[k] - scene->scnOrigin[k] : point[k];
  }
  for (int k = 0; k < 2; ++k) {
    const double period = scene->scnWorldExtent[k];
    if (period > 0.0 && std::isfinite(out[k])) {
      out[k] -= period * std::floor(out[k] / period);
      if (out[k] >= period) {
        out[k] -= period;
      }
    }
  }
}

void ISGInstanceWrapPosition(const SGInstance* inst, const double point[3], const float* direction, float radius,
                             double out[3]) {
  const SGScene* scene = inst->instScene;
  for (int k = 0; k < 2; ++k) {
    const double d = point[k] - inst->instPos[k];
    const double period = scene != nullptr ? scene->scnWorldExtent[k] : 0.0;
    out[k] = point[k] - ISGWrapAxis(d, radius, period, direction, k);
  }
  out[2] = inst->instPos[2];
}

void ISGWrapPointNear(const SGScene* scene, const float reference[2], const float* direction, float point[2],
                      float radius) {
  for (int k = 0; k < 2; ++k) {
    // The offset runs from the point to the reference, as for instances.
    const double d = static_cast<double>(reference[k]) - point[k];
    const double period = scene != nullptr ? scene->scnWorldExtent[k] : 0.0;
    point[k] = static_cast<float>(reference[k] - ISGWrapAxis(d, radius, period, direction, k));
  }
}
