// Sphere contacts between instances, instances against the terrain, and the
// cone query.

#include "sg/query/collide.h"

#include <cmath>
#include <limits>

#include "sg/instance/instance.h"
#include "sg/model/model.h"
#include "sg/query/raypick.h"
#include "sg/query/terrainquery.h"
#include "sg/scene/scene.h"

namespace {

constexpr float kDegToRad = 3.14159265358979f / 180.f;

// The model of a model instance whose sphere it takes, or null.
const SGModel* ModelOf(const SGInstance* inst) {
  if ((inst->instType != SG_INST_TYPE_MODEL_ONE && inst->instType != SG_INST_TYPE_MODEL_TWO) ||
      (inst->instAttributes & SG_ATTR_PREPPED) != 0 || inst->instData == nullptr) {
    return nullptr;
  }
  return static_cast<const SGModelInst*>(inst->instData)->miModel;
}

// The instance's radius, refreshed from its model.
float Radius(SGInstance* inst) {
  if (const SGModel* model = ModelOf(inst); model != nullptr) {
    inst->instRadius = model->modRadius;
  }
  return inst->instRadius;
}

// Adds `sign` times the model's sphere centre, turned into world axes, to v.
void AddCentre(const SGInstance* inst, float sign, float v[3]) {
  const SGModel* model = ModelOf(inst);
  if (model == nullptr) {
    return;
  }
  const float* c = model->modCentre;
  for (int k = 0; k < 3; ++k) {
    v[k] += sign * (c[0] * inst->instXform.m[0][k] + c[1] * inst->instXform.m[1][k] + c[2] * inst->instXform.m[2][k]);
  }
}

float Dot(const float* a, const float* b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

bool HasTerrain(const SGScene* scene) { return scene != nullptr && (scene->scnFlags & SG_SCN_FLAG_TERRAIN) != 0; }

bool GroundAtOrAbove(SGScene* scene, const double point[3], double z) {
  double h = 0.0;
  return ISGTerrainHeight(scene, point, &h) == SG_COLLIDE_TERRAIN && z <= h;
}

// The first time below `best` at which a ray from the point along the motion meets the ground.
void RayTime(SGScene* scene, const double from[3], const float motion[3], float limit, std::uint32_t mode,
             float* best) {
  float t = 0.f;
  if (ISGCollideTerrain(scene, from, motion, limit, mode, &t) == SG_COLLIDE_TERRAIN && t < *best) {
    *best = t;
  }
}

bool MaskNames(const SGInstance* a, const SGInstance* b) {
  return ((a->instCollideMask >> (b->instCollideGroup & 31)) & 1) != 0;
}

bool Within(float time, float limit) { return time < limit || time <= 0.f; }

}  // namespace

std::uint32_t ISGCollidePair(SGInstance* a, SGInstance* b, std::uint32_t mode, float* entry, float* exit) {
  const float r = Radius(a) + Radius(b);
  float m[3];
  for (int k = 0; k < 3; ++k) {
    m[k] = a->instMotion[k] - b->instMotion[k];
  }
  // D runs from b's sphere centre to a's: a's centre is added, b's taken off.
  float d[3];
  ISGInstanceWrapOffset(b, a->instPos, nullptr, r, d);
  AddCentre(a, 1.f, d);
  AddCentre(b, -1.f, d);
  const float c0 = Dot(d, d) - r * r;
  std::uint32_t result = 0;
  const bool touching = c0 < 0.f;
  if (touching) {
    *entry = 0.f;
    result = 1;
  }
  const float mm = Dot(m, m);
  if ((mode & SG_COLLIDE_MOTION) != 0 && mm > 0.f) {
    const float bq = 2.f * Dot(d, m);
    if (!touching && bq >= 0.f) {
      return result;  // moving apart
    }
    const float disc = bq * bq - 4.f * mm * c0;
    if (disc >= 0.f) {
      const float s = std::sqrt(disc);
      if (!touching) {
        *entry = (-bq - s) / (2.f * mm);
      }
      *exit = (-bq + s) / (2.f * mm);
      result = 1;
    }
  }
  return result;
}

SGError ISGCollideInstanceTerrain(SGScene* scene, SGInstance* inst, std::uint32_t mode, float limit, float* time) {
  if (!HasTerrain(scene)) {
    return SG_ERROR_NONE;
  }
  const float radius = Radius(inst);
  const SGModel* model = ModelOf(inst);
  float best = std::numeric_limits<float>::infinity();
  if (model == nullptr) {
    if (GroundAtOrAbove(scene, inst->instPos, inst->instPos[2] - radius)) {
      *time = 0.f;
      return SG_COLLIDE_TERRAIN;
    }
    if ((mode & SG_COLLIDE_MOTION) == 0) {
      return SG_ERROR_NONE;
    }
    const double low[3] = {inst->instPos[0], inst->instPos[1], inst->instPos[2] - radius};
    RayTime(scene, low, inst->instMotion, limit, mode, &best);
  } else {
    const auto* corners = static_cast<const SGModelInst*>(inst->instData)->miCorners;
    for (int i = 0; i < 8; ++i) {
      const double p[3] = {corners[i][0], corners[i][1], corners[i][2]};
      if (GroundAtOrAbove(scene, p, p[2])) {
        *time = 0.f;
        return SG_COLLIDE_TERRAIN;
      }
    }
    if ((mode & SG_COLLIDE_MOTION) == 0) {
      return SG_ERROR_NONE;
    }
    float centre[3] = {0.f, 0.f, 0.f};
    for (int i = 0; i < 8; ++i) {
      for (int k = 0; k < 3; ++k) {
        centre[k] += corners[i][k] / 8.f;
      }
    }
    // From each corner, only along faces turned towards the motion.
    for (int i = 0; i < 8; ++i) {
      for (int k = 0; k < 3; ++k) {
        const float* c = corners[i];
        const float* ca = corners[i ^ (1 << ((k + 1) % 3))];
        const float* cb = corners[i ^ (1 << ((k + 2) % 3))];
        const float e1[3] = {ca[0] - c[0], ca[1] - c[1], ca[2] - c[2]};
        const float e2[3] = {cb[0] - c[0], cb[1] - c[1], cb[2] - c[2]};
        float n[3] = {e2[1] * e1[2] - e2[2] * e1[1], e2[2] * e1[0] - e2[0] * e1[2], e2[0] * e1[1] - e2[1] * e1[0]};
        // The face's outward normal, whichever way round its corner's edges run.
        const float out[3] = {c[0] - centre[0], c[1] - centre[1], c[2] - centre[2]};
        const float turn = Dot(n, out) < 0.f ? -1.f : 1.f;
        if (turn * Dot(n, inst->instMotion) > 0.f) {
          const double p[3] = {c[0], c[1], c[2]};
          RayTime(scene, p, inst->instMotion, limit, mode, &best);
        }
      }
    }
  }
  if (best < limit) {
    *time = best;
    return SG_COLLIDE_TERRAIN;
  }
  return SG_ERROR_NONE;
}

SGError SGSceneCollide(SGScene* scene, SGCollideFn fn, std::uintptr_t arg, std::uint32_t mode, float limit) {
  if (!(limit > 0.f)) {
    mode &= ~SG_COLLIDE_MOTION;
  }
  for (SGInstance* a = scene->scnCollide; a != nullptr; a = a->instCollNext) {
    const bool aOut = (a->instAttributes & SG_ATTR_NO_COLLIDE) != 0;
    float time = 0.f;
    if ((a->instCollideMask & 1) != 0 && (mode & SG_COLLIDE_NO_TERRAIN) == 0 && !aOut &&
        ISGCollideInstanceTerrain(scene, a, mode, limit, &time) == SG_COLLIDE_TERRAIN && Within(time, limit)) {
      fn(arg, a, nullptr, time);
    }
    for (SGInstance* b = a->instCollNext; b != nullptr; b = b->instCollNext) {
      if ((!MaskNames(a, b) && !MaskNames(b, a)) || aOut || (b->instAttributes & SG_ATTR_NO_COLLIDE) != 0) {
        continue;
      }
      float entry = 0.f;
      float exit = 0.f;
      if (ISGCollidePair(a, b, mode, &entry, &exit) != 0 && Within(entry, limit)) {
        if (MaskNames(a, b)) {
          fn(arg, a, b, entry);
        } else {
          fn(arg, b, a, entry);
        }
      }
    }
  }
  return SG_ERROR_NONE;
}

SGError SGSceneFindInCone(SGScene* scene, const double origin[3], const float direction[3], float range, float degrees,
                          std::uint32_t mode, SGInstance** out) {
  float dir[3] = {direction[0], direction[1], direction[2]};
  const float len = std::sqrt(Dot(dir, dir));
  if (!(len > 0.f) || !(range > 0.f)) {
    return SG_ERROR_NONE;
  }
  for (float& v : dir) {
    v /= len;
  }
  float tangent = std::tan(degrees * kDegToRad);
  const float range2 = range * range;
  SGInstance* found = nullptr;
  for (SGInstance* inst = scene->scnLOS; inst != nullptr; inst = inst->instLOSNext) {
    if (((mode & SG_CONE_SKIP_CULLED) != 0 && (inst->instFlags & SG_INST_CULLED) != 0) ||
        (inst->instAttributes & SG_ATTR_NO_LOS) != 0) {
      continue;
    }
    const float r = Radius(inst);
    // E runs from the origin to the instance's sphere centre.
    float e[3];
    ISGInstanceWrapOffset(inst, origin, dir, r, e);
    for (float& v : e) {
      v = -v;
    }
    AddCentre(inst, 1.f, e);
    const float e2 = Dot(e, e);
    const float p = Dot(e, dir);
    if (e2 > range2 || !(p > 0.f)) {
      continue;
    }
    const float lateral2 = e2 - p * p;
    const float reach = p * tangent + r;
    if (lateral2 > reach * reach || reach < 0.f) {
      continue;
    }
    if ((mode & SG_COLLIDE_NO_TERRAIN) == 0 && HasTerrain(scene)) {
      float t = 0.f;
      if (ISGCollideTerrain(scene, origin, e, 1.f, mode, &t) == SG_COLLIDE_TERRAIN) {
        continue;  // the ground stands between
      }
    }
    found = inst;
    if ((mode & SG_CONE_NO_NARROWING) == 0) {
      tangent = (std::sqrt(std::fmax(lateral2, 0.f)) - r) / p;
    }
  }
  if (found == nullptr) {
    return SG_ERROR_NONE;
  }
  *out = found;
  return SG_HIT_INSTANCE;
}
