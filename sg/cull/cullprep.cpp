// Cull objects: per-frame preparation and classification.

#include <cmath>

#include "sg/core/matrix.h"
#include "sg/core/point.h"
#include "sg/core/sgassert.h"
#include "sg/cull/cull.h"
#include "sg/instance/instance.h"

namespace {

bool IsPlaneObject(const SGCullObject* co) { return (co->coFlags & (SG_CULL_FLAG_BEYOND | SG_CULL_FLAG_BEFORE)) != 0; }

// Starts an object's frame: its index, the per-frame bits cleared; false when it
// is skipped this frame.
bool Begin(SGCullObject* co, std::uint32_t* index, bool hidden) {
  co->coIndex = (*index)++;
  co->coFlags &= ~SG_CULL_FRAME_FLAGS;
  if ((co->coFlags & SG_CULL_FLAG_OFF) != 0 || hidden) {
    co->coFlags |= SG_CULL_FLAG_SKIP;
    return false;
  }
  return true;
}

// The eye plane of a plane object from its plane moved into eye-relative space
// (normal n, offset d); e is the eye's value against the original plane.
void SetPlane(SGCullObject* co, const SGPoint3s& n, float d, double e) {
  float p[4] = {n.x, n.y, n.z, d};
  if ((co->coFlags & SG_CULL_FLAG_FOG) != 0) {
    const float f = co->coFog / std::sqrt(SGVector3sLenSq(&n));
    for (float& v : p) {
      v *= f;
    }
  }
  const bool negate =
      (e <= 0.0 && (co->coFlags & SG_CULL_FLAG_BEYOND) != 0) || (e > 0.0 && (co->coFlags & SG_CULL_FLAG_BEFORE) != 0);
  for (int k = 0; k < 4; ++k) {
    co->coEyePlane[k] = negate ? -p[k] : p[k];
  }
}

// The side plane through the eye (the origin) and the eye-relative edge a, b.
void SetEdge(SGCullObject* co, const SGPoint3s& a, const SGPoint3s& b) {
  SGPoint3s n = ISGVector3sCross(a, b);
  ISGVector3sNormalize(&n);
  const float f = (co->coFlags & SG_CULL_FLAG_FOG) != 0 ? co->coFog : 1.f;
  co->coEyePlane[0] = n.x * f;
  co->coEyePlane[1] = n.y * f;
  co->coEyePlane[2] = n.z * f;
  co->coEyePlane[3] = 0.f;
}

void MarkReady(SGCullObject* co) {
  if ((co->coFlags & SG_CULL_FLAG_LEAF) != 0) {
    co->coFlags |= SG_CULL_FLAG_PLANE_READY;
  } else if (co->coNumANDs != 0) {
    co->coFlags |= SG_CULL_FLAG_GROUP_READY;
  }
}

void PrepareWorld(SGCullObject* co, const double eye[3]) {
  const double e = co->coPlane[0] * eye[0] + co->coPlane[1] * eye[1] + co->coPlane[2] * eye[2] - co->coPlane[3];
  if (IsPlaneObject(co)) {
    const SGPoint3s n{co->coPlane[0], co->coPlane[1], co->coPlane[2]};
    SetPlane(co, n, static_cast<float>(co->coPlane[3] - (n.x * eye[0] + n.y * eye[1] + n.z * eye[2])), e);
  } else if ((co->coFlags & SG_CULL_FLAG_LEAF) != 0) {
    const int first = e > 0.0 ? 0 : 1;
    const double* p = co->coPoints[first];
    const double* q = co->coPoints[1 - first];
    const SGPoint3s a{static_cast<float>(p[0] - eye[0]), static_cast<float>(p[1] - eye[1]),
                      static_cast<float>(p[2] - eye[2])};
    const SGPoint3s b{static_cast<float>(q[0] - eye[0]), static_cast<float>(q[1] - eye[1]),
                      static_cast<float>(q[2] - eye[2])};
    SetEdge(co, a, b);
  }
}

void PrepareMoved(SGCullObject* co, const SGMatrix& m) {
  SGPoint3s n{co->coPlane[0], co->coPlane[1], co->coPlane[2]};
  const SGPoint3s rotated{n.x * m.m[0][0] + n.y * m.m[1][0] + n.z * m.m[2][0],
                          n.x * m.m[0][1] + n.y * m.m[1][1] + n.z * m.m[2][1],
                          n.x * m.m[0][2] + n.y * m.m[1][2] + n.z * m.m[2][2]};
  const float offset = co->coPlane[3] + rotated.x * m.m[3][0] + rotated.y * m.m[3][1] + rotated.z * m.m[3][2];
  const double e = -static_cast<double>(offset);
  if (IsPlaneObject(co)) {
    SetPlane(co, rotated, offset, e);
  } else if ((co->coFlags & SG_CULL_FLAG_LEAF) != 0) {
    SGPoint3s pts[2];
    for (int i = 0; i < 2; ++i) {
      const SGPoint3s p{static_cast<float>(co->coPoints[i][0]), static_cast<float>(co->coPoints[i][1]),
                        static_cast<float>(co->coPoints[i][2])};
      SGPoint3sTransform(&pts[i], &m, &p);
    }
    const int first = e > 0.0 ? 0 : 1;
    SetEdge(co, pts[first], pts[1 - first]);
  }
}

// Value of an eye-relative point against a prepared object's eye plane.
float Value(const SGCullObject* co, const float p[3]) {
  return co->coEyePlane[0] * p[0] + co->coEyePlane[1] * p[1] + co->coEyePlane[2] * p[2] - co->coEyePlane[3];
}

void Store(SGCullState* state, std::uint32_t index, std::uint32_t code) {
  if (state != nullptr && index < SG_CULL_MAX_OBJECTS) {
    state->csWords[index >> 4] |= code << (2 * (index & 15));
  }
}

template <class LeafCode>
std::uint32_t Classify(SGCullObject* co, SGCullState* state, LeafCode leafCode, SGInstance* inst);

template <class LeafCode>
std::uint32_t ClassifyOne(SGCullObject* co, SGCullState* state, LeafCode leafCode, SGInstance* inst) {
  std::uint32_t code = 0;
  bool prepared = false;
  if ((co->coFlags & SG_CULL_FLAG_PLANE_READY) != 0) {
    code = leafCode(co);
    prepared = true;
  } else if ((co->coFlags & SG_CULL_FLAG_GROUP_READY) != 0) {
    code = 3;
    prepared = true;
  }
  if (prepared) {
    for (std::uint32_t i = 0; i < co->coNumANDs && code != 0; ++i) {
      code &= Classify(co->coANDs[i], state, leafCode, inst);
    }
  }
  if (code == 0 && inst != nullptr) {
    inst->instFade = 1.f;
    inst->instFlags &= ~SG_INST_FADING;
  }
  Store(state, co->coIndex, code);
  return code;
}

template <class LeafCode>
std::uint32_t Classify(SGCullObject* co, SGCullState* state, LeafCode leafCode, SGInstance* inst) {
  std::uint32_t all = 0;
  for (; co != nullptr; co = co->coORs) {
    const std::uint32_t code = ClassifyOne(co, state, leafCode, inst);
    if (code == 3) {
      return 3;
    }
    all |= code;
  }
  return all;
}

// One axis of the wrap: how far an object at d from the eye moves.
double WrapShift(double d, double radius, float dir, double w) {
  if (dir > 0.7f) {
    const double x = d + radius;
    return std::fmod(x, w) - x + (x < 0.0 ? w : 0.0);
  }
  if (dir < -0.7f) {
    const double x = d - radius;
    return std::fmod(x, w) - x - (x > 0.0 ? w : 0.0);
  }
  const double h = w / 2.0;
  const double r = std::fmod(d, w);
  if (d > h) {
    return r > h ? r - (d + w) : r - d;
  }
  if (d < -h) {
    return r < -h ? (r + w) - d : r - d;
  }
  return 0.0;
}

bool PointsNearCentre(const SGCullObject* co) {
  const double limit = static_cast<double>(co->coRadius) * co->coRadius * 1.1;
  for (const auto& p : co->coPoints) {
    const double dx = p[0] - co->coCenter[0];
    const double dy = p[1] - co->coCenter[1];
    const double dz = p[2] - co->coCenter[2];
    if (dx * dx + dy * dy + dz * dz > limit) {
      return false;
    }
  }
  return true;
}

}  // namespace

std::uint32_t ISGCullPrepareRelative(SGCullObject* co, const double eye[3], const SGMatrix* xform,
                                     std::uint32_t firstIndex) {
  std::uint32_t index = firstIndex;
  for (; co != nullptr; co = co->coORs) {
    const bool hidden = co->coInst != nullptr && (co->coInst->instAttributes & SG_ATTR_HIDDEN) != 0;
    if (Begin(co, &index, hidden)) {
      SGMatrix m;
      if ((co->coFlags & SG_CULL_FLAG_RELATIVE) != 0) {
        if (xform != nullptr) {
          SGMatrixMultiplyAffine(&m, co->coXform, xform);
        } else {
          m = *co->coXform;
        }
      } else {
        ISG_ASSERT(xform, "cull");
        m = *xform;
      }
      PrepareMoved(co, m);
      MarkReady(co);
      for (std::uint32_t i = 0; i < co->coNumANDs; ++i) {
        index = ISGCullPrepareRelative(co->coANDs[i], eye, &m, index);
      }
    }
    if (xform == nullptr) {
      return ISGCullPrepare(co->coORs, eye, 0, index);
    }
  }
  return index;
}

std::uint32_t ISGCullPrepare(SGCullObject* tree, const double eye[3], std::uint32_t, std::uint32_t firstIndex) {
  std::uint32_t index = firstIndex;
  for (SGCullObject* co = tree; co != nullptr; co = co->coORs) {
    if ((co->coFlags & SG_CULL_FLAG_RELATIVE) != 0) {
      return ISGCullPrepareRelative(co, eye, nullptr, index);
    }
    if (!Begin(co, &index, false)) {
      continue;
    }
    PrepareWorld(co, eye);
    MarkReady(co);
    for (std::uint32_t i = 0; i < co->coNumANDs; ++i) {
      index = ISGCullPrepare(co->coANDs[i], eye, 0, index);
    }
  }
  return index;
}

std::uint32_t ISGCullTestInstance(SGCullObject* tree, SGInstance* inst) {
  const float pos[3] = {inst->instXform.m[3][0], inst->instXform.m[3][1], inst->instXform.m[3][2]};
  auto leafCode = [inst, &pos](SGCullObject* co) -> std::uint32_t {
    const bool fog = (co->coFlags & SG_CULL_FLAG_FOG) != 0;
    const float r = fog ? inst->instReach * co->coFog + 1.f : inst->instReach;
    const float v = Value(co, pos);
    if (v < -r) {
      return 3;
    }
    if (v >= r) {
      return 0;
    }
    if (fog) {
      const float f = (v / r + 1.f) * 0.5f;
      ISG_ASSERT((f >= 0.f) && (f <= 1.f), "cull");
      if (f < inst->instFade) {
        inst->instFade = f;
        inst->instFlags |= SG_INST_FADING;
      }
    }
    return 1;
  };
  return Classify(tree, inst->instCullState, leafCode, inst);
}

std::uint32_t ISGCullClassifyBox(SGCullObject* tree, const float corners[8][3], bool fog, SGCullState* state) {
  auto leafCode = [corners, fog](SGCullObject* co) -> std::uint32_t {
    const bool fogged = fog && (co->coFlags & SG_CULL_FLAG_FOG) != 0;
    bool positive = false;
    bool negative = false;
    for (int i = 0; i < 8 && !(positive && negative); ++i) {
      const float v = Value(co, corners[i]);
      if (v >= 0.f) {
        positive = true;
        if (fogged && v < 1.f) {
          negative = true;
        }
      } else {
        negative = true;
      }
    }
    if (!positive) {
      return 3;
    }
    return negative ? 1 : 0;
  };
  return Classify(tree, state, leafCode, nullptr);
}

void ISGCullWrapToEye(SGCullObject* tree, const double eye[3], const float viewDir[2], const float worldSize[2],
                      std::uint32_t) {
  if (tree == nullptr) {
    return;
  }
  auto wrap = [&](SGCullObject* co) {
    if ((co->coFlags & SG_CULL_FLAG_LEAF) == 0 || (co->coFlags & SG_CULL_FLAG_RELATIVE) != 0) {
      return;
    }
    const bool edge = !IsPlaneObject(co);
    if (edge) {
      ISG_ASSERT(PointsNearCentre(co), "cull");
    }
    for (int axis = 0; axis < 2; ++axis) {
      const double shift = WrapShift(co->coCenter[axis] - eye[axis], co->coRadius, viewDir[axis], worldSize[axis]);
      co->coCenter[axis] += shift;
      co->coPoints[0][axis] += shift;
      co->coPoints[1][axis] += shift;
    }
    if (edge) {
      ISG_ASSERT(PointsNearCentre(co), "cull");
    }
    co->coPlane[3] = static_cast<float>(co->coPlane[0] * co->coCenter[0] + co->coPlane[1] * co->coCenter[1] +
                                        co->coPlane[2] * co->coCenter[2]);
  };
  struct Walker {
    static void Run(SGCullObject* co, const decltype(wrap)& fn) {
      for (; co != nullptr; co = co->coORs) {
        fn(co);
        for (std::uint32_t i = 0; i < co->coNumANDs; ++i) {
          Run(co->coANDs[i], fn);
        }
      }
    }
  };
  Walker::Run(tree, wrap);
}
