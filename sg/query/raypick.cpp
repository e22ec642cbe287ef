// Ray queries against instances and the pick through a pixel.

#include "sg/query/raypick.h"
#include "sg/query/wrap.h"

#include <cmath>

#include "sg/core/malloc.h"
#include "sg/core/point.h"
#include "sg/core/sgassert.h"
#include "sg/fb/framebuffer.h"
#include "sg/instance/instance.h"
#include "sg/material/material.h"
#include "sg/model/model.h"
#include "sg/render/instsort.h"
#include "sg/render/primitives.h"
#include "sg/render/renderer.h"
#include "sg/scene/scene.h"

SGCollideHit* g_sgCollideHits = nullptr;

namespace {

constexpr float kPickRange = 10000.f;

const SGModel* ModelOf(const SGInstance* inst) {
  if (inst->instType != SG_INST_TYPE_MODEL_ONE && inst->instType != SG_INST_TYPE_MODEL_TWO) {
    return nullptr;
  }
  const auto* mi = static_cast<const SGModelInst*>(inst->instData);
  return mi != nullptr ? mi->miModel : nullptr;
}

const SGBillboard* BillboardOf(const SGModel* model) {
  if (model == nullptr || model->modNumLods == 0 || model->modLods[0].mdlData == nullptr ||
      model->modLods[0].mdlData->gdType != SG_GD_TYPE_BILLBOARD) {
    return nullptr;
  }
  return static_cast<const SGBillboard*>(model->modLods[0].mdlData->gdData);
}

void NormalizeDirection(double d[3]) {
  const double len2 = d[0] * d[0] + d[1] * d[1] + d[2] * d[2];
  if (len2 > 0.0 && (len2 < 0.9999 || len2 > 1.0001)) {
    const double len = std::sqrt(len2);
    for (int k = 0; k < 3; ++k) {
      d[k] /= len;
    }
  }
}

void Point(const SGMatrix& m, const float p[3], double out[3]) {
  for (int k = 0; k < 3; ++k) {
    out[k] = static_cast<double>(p[0]) * m.m[0][k] + static_cast<double>(p[1]) * m.m[1][k] +
             static_cast<double>(p[2]) * m.m[2][k] + m.m[3][k];
  }
}

SGError CollideBox(SGInstance* inst, const SGModel* model, const double origin[3], const float direction[3],
                   float maximum, float* distance) {
  double dir[3] = {direction[0], direction[1], direction[2]};
  NormalizeDirection(dir);
  const double end[3] = {origin[0] + dir[0] * maximum, origin[1] + dir[1] * maximum, origin[2] + dir[2] * maximum};
  float start[3];
  float stop[3];
  ISGInstanceWorldToLocal(inst, origin, start);
  ISGInstanceWorldToLocal(inst, end, stop);
  float clipped[3] = {start[0], start[1], start[2]};
  if (ISGClipSegmentToBox(clipped, stop, model->modMin[0], model->modMax[0], model->modMin[1], model->modMax[1],
                          model->modMin[2], model->modMax[2]) == 0) {
    return SG_ERROR_NONE;
  }
  const float d[3] = {clipped[0] - start[0], clipped[1] - start[1], clipped[2] - start[2]};
  *distance = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
  return SG_HIT_INSTANCE;
}

// The billboard's quad in world coordinates: centre, S, V and the facing normal N.
struct Quad {
  double c[3];
  double s[3];
  double v[3];
  double n[3];
};

void Cross(const double a[3], const double b[3], double out[3]) {
  out[0] = a[1] * b[2] - a[2] * b[1];
  out[1] = a[2] * b[0] - a[0] * b[2];
  out[2] = a[0] * b[1] - a[1] * b[0];
}

double Dot(const double a[3], const double b[3]) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

Quad BillboardQuad(const SGInstance* inst, const SGBillboard* bil) {
  SGMatrix m = inst->instXform;
  for (int k = 0; k < 3; ++k) {
    m.m[3][k] = static_cast<float>(inst->instPos[k]);
  }
  Quad q;
  double eye[3];
  Point(m, bil->bilCentre, q.c);
  Point(m, inst->instEyeLocal, eye);
  for (int k = 0; k < 3; ++k) {
    q.n[k] = eye[k] - q.c[k];
  }
  NormalizeDirection(q.n);
  const double up[3] = {m.m[1][0], m.m[1][1], m.m[1][2]};
  const double forward[3] = {-m.m[2][0], -m.m[2][1], -m.m[2][2]};
  Cross(q.n, up, q.s);
  if (Dot(q.s, q.s) <= 1e-6) {
    double fu[3];
    Cross(forward, up, fu);
    Cross(fu, q.n, q.v);
    NormalizeDirection(q.v);
    Cross(q.n, q.v, q.s);
    NormalizeDirection(q.s);
  } else {
    NormalizeDirection(q.s);
    Cross(q.s, q.n, q.v);
    NormalizeDirection(q.v);
  }
  for (int k = 0; k < 3; ++k) {
    q.s[k] *= bil->bilHalfWidth;
    q.v[k] *= bil->bilHalfHeight;
  }
  return q;
}

SGError CollideBillboard(const SGInstance* inst, const SGBillboard* bil, const double origin[3],
                         const float direction[3], float* distance, float uv[2]) {
  const Quad q = BillboardQuad(inst, bil);
  const double dir[3] = {direction[0], direction[1], direction[2]};
  const double denominator = Dot(q.n, dir);
  if (denominator == 0.0) {
    return SG_ERROR_NONE;
  }
  double k[3];
  for (int i = 0; i < 3; ++i) {
    k[i] = q.c[i] - q.s[i] - q.v[i];
  }
  const double t = -(Dot(q.n, origin) - Dot(q.n, k)) / denominator;
  double h[3];
  double hk[3];
  for (int i = 0; i < 3; ++i) {
    h[i] = origin[i] + t * dir[i];
    hk[i] = h[i] - k[i];
  }
  const double s2 = 4.0 * Dot(q.s, q.s);
  const double v2 = 4.0 * Dot(q.v, q.v);
  if (s2 == 0.0 || v2 == 0.0) {
    return SG_ERROR_NONE;
  }
  const double u = 2.0 * Dot(hk, q.s) / s2;
  const double v = 2.0 * Dot(hk, q.v) / v2;
  if (!(u >= 0.0 && u <= 1.0 && v >= 0.0 && v <= 1.0)) {
    return SG_ERROR_NONE;
  }
  double along[3] = {h[0] - origin[0], h[1] - origin[1], h[2] - origin[2]};
  *distance = static_cast<float>(std::sqrt(Dot(along, along)));
  uv[0] = static_cast<float>(u);
  uv[1] = static_cast<float>(v);
  return SG_HIT_INSTANCE;
}

SGError ExactTest(SGInstance* inst, const SGModel* model, const double origin[3], const float direction[3],
                  float maximum, float* distance, float uv[2]) {
  const SGBillboard* bil = BillboardOf(model);
  if (bil != nullptr) {
    return CollideBillboard(inst, bil, origin, direction, distance, uv);
  }
  return CollideBox(inst, model, origin, direction, maximum, distance);
}

void InsertHit(SGCollideHit* hit) {
  if (g_sgCollideHits == nullptr || !(g_sgCollideHits->hitDist < hit->hitDist)) {
    hit->hitNext = g_sgCollideHits;
    hit->hitBack = nullptr;
    g_sgCollideHits = hit;
    return;
  }
  SGCollideHit* after = g_sgCollideHits;
  while (after->hitNext != nullptr && after->hitNext->hitDist < hit->hitDist) {
    after = after->hitNext;
  }
  hit->hitNext = after->hitNext;
  hit->hitBack = after;
  after->hitNext = hit;
}

// Moves point a onto the plane where coordinate `axis` equals `bound`, along a -> b.
void MoveOnto(float a[3], const float b[3], int axis, float bound) {
  const float t = (bound - a[axis]) / (b[axis] - a[axis]);
  for (int k = 0; k < 3; ++k) {
    a[k] = k == axis ? bound : a[k] + t * (b[k] - a[k]);
  }
}

void ClipEnd(float a[3], const float b[3], const float lo[3], const float hi[3]) {
  for (int axis = 0; axis < 3; ++axis) {
    if (a[axis] < lo[axis] && b[axis] >= lo[axis]) {
      MoveOnto(a, b, axis, lo[axis]);
    }
  }
  for (int axis = 0; axis < 3; ++axis) {
    if (a[axis] > hi[axis] && b[axis] <= hi[axis]) {
      MoveOnto(a, b, axis, hi[axis]);
    }
  }
}

bool Inside(const float p[3], const float lo[3], const float hi[3]) {
  for (int k = 0; k < 3; ++k) {
    if (!(p[k] >= lo[k] && p[k] <= hi[k])) {
      return false;
    }
  }
  return true;
}

}  // namespace

int ISGClipSegmentToBox(float start[3], float end[3], float xmin, float xmax, float ymin, float ymax, float zmin,
                        float zmax) {
  const float lo[3] = {xmin, ymin, zmin};
  const float hi[3] = {xmax, ymax, zmax};
  ClipEnd(start, end, lo, hi);
  ClipEnd(end, start, lo, hi);
  return Inside(start, lo, hi) && Inside(end, lo, hi) ? 1 : 0;
}

void ISGInstanceWrapOffset(const SGInstance* inst, const double origin[3], const float* direction, float radius,
                           float out[3]) {
  const SGScene* scene = inst->instScene;
  for (int k = 0; k < 2; ++k) {
    const double d = origin[k] - inst->instPos[k];
    const double period = scene != nullptr ? scene->scnWorldExtent[k] : 0.0;
    out[k] = static_cast<float>(ISGWrapAxis(d, radius, period, direction, k));
  }
  out[2] = static_cast<float>(origin[2] - inst->instPos[2]);
}

SGError ISGCollideInstance(SGInstance* inst, const double origin[3], const float direction[3], float maximum,
                           std::uint32_t mode, float* distance, float uv[2]) {
  const SGModel* model = ModelOf(inst);
  if (model != nullptr) {
    inst->instRadius = model->modRadius;
  }
  const float r = inst->instRadius;
  float d[3];
  ISGInstanceWrapOffset(inst, origin, direction, r, d);
  if (model != nullptr) {
    const float* c = model->modCentre;
    for (int k = 0; k < 3; ++k) {
      d[k] -= c[0] * inst->instXform.m[0][k] + c[1] * inst->instXform.m[1][k] + c[2] * inst->instXform.m[2][k];
    }
  }
  uv[0] = uv[1] = 0.f;
  const bool exact = model != nullptr && (mode & SG_COLLIDE_SPHERES) == 0;
  const double c0 = static_cast<double>(d[0]) * d[0] + static_cast<double>(d[1]) * d[1] +
                    static_cast<double>(d[2]) * d[2] - static_cast<double>(r) * r;
  if (c0 < 0.0) {
    if (exact) {
      return ExactTest(inst, model, origin, direction, maximum, distance, uv);
    }
    *distance = 0.f;
    return SG_HIT_INSTANCE;
  }
  const double a = static_cast<double>(direction[0]) * direction[0] + static_cast<double>(direction[1]) * direction[1] +
                   static_cast<double>(direction[2]) * direction[2];
  if (!(a > 0.0)) {
    return SG_ERROR_NONE;
  }
  const double b = 2.0 * (static_cast<double>(d[0]) * direction[0] + static_cast<double>(d[1]) * direction[1] +
                          static_cast<double>(d[2]) * direction[2]);
  const double disc = b * b - 4.0 * a * c0;
  if (!(b < 0.0 && disc >= 0.0)) {
    return SG_ERROR_NONE;
  }
  if (exact) {
    return ExactTest(inst, model, origin, direction, maximum, distance, uv);
  }
  *distance = static_cast<float>(-(std::sqrt(disc) + b) / (2.0 * std::sqrt(a)));
  return SG_HIT_INSTANCE;
}

void SGCollideFreeHits() {
  while (g_sgCollideHits != nullptr) {
    SGCollideHit* next = g_sgCollideHits->hitNext;
    SGFree(g_sgCollideHits);
    g_sgCollideHits = next;
  }
}

SGError ISGCollideInstances(SGScene* scene, const double origin[3], const float direction[3], float maximum,
                            std::uint32_t mode, SGInstance** out, float* distance) {
  SGCollideFreeHits();
  SGInstance* nearest = nullptr;
  float best = maximum;
  for (SGInstance* inst = scene->scnLOS; inst != nullptr; inst = inst->instLOSNext) {
    if ((inst->instAttributes & SG_ATTR_NO_PICK) != 0) {
      continue;
    }
    float dist = 0.f;
    float uv[2];
    if (ISGCollideInstance(inst, origin, direction, maximum, mode, &dist, uv) != SG_HIT_INSTANCE) {
      continue;
    }
    auto* hit = static_cast<SGCollideHit*>(SGCalloc(1, sizeof(SGCollideHit)));
    if (hit == nullptr) {
      return SG_ERROR_NO_MEMORY;
    }
    hit->hitInstance = inst;
    hit->hitU = uv[0];
    hit->hitV = uv[1];
    hit->hitDist = dist;
    InsertHit(hit);
    if (dist < best) {
      best = dist;
      nearest = inst;
    }
  }
  if (nearest == nullptr) {
    return SG_ERROR_NONE;
  }
  *out = nearest;
  *distance = best;
  return SG_HIT_INSTANCE;
}

SGError ISGCollideRay(SGScene* scene, const double origin[3], const float direction[3], float maximum,
                      std::uint32_t mode, SGInstance** out, float* distance) {
  SGInstance* inst = nullptr;
  float dist = maximum;
  const SGError err = ISGCollideInstances(scene, origin, direction, maximum, mode, &inst, &dist);
  if (err == SG_HIT_INSTANCE) {
    *out = inst;
    *distance = dist;
  }
  return err;
}

SGError SGCollidePickScreen(SGRenderer* rend, SGScene* scene, const std::uint32_t pixel[2], std::uint32_t mode,
                            SGInstance** out, double point[3]) {
  const SGFrameBuffer* fb = rend->renFrameBuffer;
  const SGViewData* vi = rend->renViewData;
  if (fb == nullptr || vi == nullptr || pixel[0] >= fb->fbWidth || pixel[1] >= fb->fbHeight) {
    return SG_ERROR_NONE;
  }
  const float sx =
      (static_cast<float>(pixel[0]) - static_cast<float>(vi->viOrigin[0])) / (static_cast<float>(vi->viSize[0]) / 2.f) -
      1.f;
  const float sy =
      (static_cast<float>(pixel[1]) - static_cast<float>(vi->viOrigin[1])) / (static_cast<float>(vi->viSize[1]) / 2.f) -
      1.f;
  const float in[4] = {sx, sy, 1.f, 1.f};
  const SGMatrix& inv = rend->renCameraInverse;
  float r[4];
  for (int c = 0; c < 4; ++c) {
    r[c] = in[0] * inv.m[0][c] + in[1] * inv.m[1][c] + in[2] * inv.m[2][c] + in[3] * inv.m[3][c];
  }
  if (r[3] == 0.f) {
    return SG_ERROR_NONE;
  }
  const float direction[3] = {r[0] / r[3], r[1] / r[3], r[2] / r[3]};
  for (int k = 0; k < 3; ++k) {
    point[k] = rend->renEye[k];
  }
  float t = 0.f;
  SGInstance* hit = nullptr;
  const SGError err = ISGCollideRay(scene, rend->renEye, direction, kPickRange, mode, &hit, &t);
  if (err == SG_HIT_INSTANCE || err == SG_COLLIDE_TERRAIN) {
    double dir[3] = {direction[0], direction[1], direction[2]};
    NormalizeDirection(dir);
    for (int k = 0; k < 3; ++k) {
      point[k] += dir[k] * t;
    }
    *out = hit;
  }
  return err;
}

SGError SGCollideGetHits(SGInstance** instances, float* distances, float* pairs, std::uint32_t count) {
  const SGCollideHit* hit = g_sgCollideHits;
  for (std::uint32_t i = 0; i < count; ++i) {
    if (instances != nullptr) {
      instances[i] = hit != nullptr ? hit->hitInstance : nullptr;
    }
    if (distances != nullptr) {
      distances[i] = hit != nullptr ? hit->hitDist : 0.f;
    }
    if (pairs != nullptr) {
      pairs[2 * i] = hit != nullptr ? hit->hitU : 0.f;
      pairs[2 * i + 1] = hit != nullptr ? hit->hitV : 0.f;
    }
    if (hit != nullptr) {
      hit = hit->hitNext;
    }
  }
  return SG_ERROR_NONE;
}

SGError SGCollideBillboardTexel(const SGInstance* inst, float u, float v, std::uint8_t* texel) {
  const SGBillboard* bil = BillboardOf(ModelOf(inst));
  if (bil == nullptr || bil->bilNumAzimuth == 0 || bil->bilNumPolar == 0 || bil->bilMatIndex == nullptr) {
    return SG_ERROR_INST_TYPE;
  }
  ISGBillboardFrame frame;
  ISGBillboardFrameMake(bil, inst->instEyeLocal, &frame);
  const SGMaterial* mat =
      ISGPartMaterial(nullptr, inst, bil->bilMatIndex[frame.polar * bil->bilNumAzimuth + frame.azimuth]);
  const SGTextureMap* txm = mat != nullptr ? mat->matTexMap : nullptr;
  if (txm == nullptr || txm->txmInfo == nullptr || txm->txmInfo->tpiTexels == nullptr || txm->txmSize.u[0] == 0 ||
      txm->txmSize.u[1] == 0) {
    return SG_ERROR_UNSUPPORTED;
  }
  // The quad is drawn with its texture turned to face the viewer: the pick's
  // u runs to the viewer's left and v upwards.
  const std::uint32_t w = txm->txmSize.u[0];
  const std::uint32_t h = txm->txmSize.u[1];
  const float cu = std::fmin(std::fmax(1.f - u, 0.f), 1.f);
  const float cv = std::fmin(std::fmax(1.f - v, 0.f), 1.f);
  const auto col = static_cast<std::uint32_t>(cu * static_cast<float>(w - 1) + 0.5f);
  const auto row = static_cast<std::uint32_t>(cv * static_cast<float>(h - 1) + 0.5f);
  *texel = txm->txmInfo->tpiTexels[row * w + col];
  return SG_ERROR_NONE;
}
