// Instances: life cycle, orientation, update, bounds and model attachment.

#include "sg/instance/instance.h"

#include <cmath>
#include <cstring>

#include "sg/core/malloc.h"
#include "sg/core/point.h"
#include "sg/core/sgassert.h"
#include "sg/cull/cull.h"
#include "sg/model/model.h"
#include "sg/plume/plume.h"
#include "sg/scene/scene.h"

namespace {

constexpr double kParallel = 0.99985;

bool IsModelKind(const SGInstance* inst) { return (inst->instType & SG_INST_TYPE_MODEL) != 0; }

bool IsModelInstance(const SGInstance* inst) {
  return inst->instType == SG_INST_TYPE_MODEL_ONE || inst->instType == SG_INST_TYPE_MODEL_TWO;
}

SGModelInst* ModelBlock(const SGInstance* inst) { return static_cast<SGModelInst*>(inst->instData); }

SGPoint3s Row(const SGInstance* inst, int r) {
  return SGPoint3s{inst->instXform.m[r][0], inst->instXform.m[r][1], inst->instXform.m[r][2]};
}

void SetRow(SGInstance* inst, int r, const SGPoint3s& v) {
  inst->instXform.m[r][0] = v.x;
  inst->instXform.m[r][1] = v.y;
  inst->instXform.m[r][2] = v.z;
}

SGPoint3s Neg(const SGPoint3s& v) { return SGPoint3s{-v.x, -v.y, -v.z}; }

double Dot(const SGPoint3s& a, const SGPoint3s& b) {
  return static_cast<double>(a.x) * b.x + static_cast<double>(a.y) * b.y + static_cast<double>(a.z) * b.z;
}

double Length(const float v[3]) {
  return std::sqrt(static_cast<double>(v[0]) * v[0] + static_cast<double>(v[1]) * v[1] +
                   static_cast<double>(v[2]) * v[2]);
}

// The instance's own velocity turned into world axes.
SGPoint3s WorldVelocity(const SGInstance* inst) {
  const float* v = inst->instVelocity;
  SGPoint3s w{};
  for (int k = 0; k < 3; ++k) {
    w.x += v[k] * inst->instXform.m[k][0];
    w.y += v[k] * inst->instXform.m[k][1];
    w.z += v[k] * inst->instXform.m[k][2];
  }
  return w;
}

void AnglesToXform(SGInstance* inst) {
  SGMatrixIdentity(&inst->instXform);
  const float* a = inst->instAngles;
  const float c1 = std::cos(a[1]), s1 = std::sin(a[1]);
  const float c0 = std::cos(a[0]), s0 = std::sin(a[0]);
  const float c2 = std::cos(a[2]), s2 = std::sin(a[2]);
  for (int r = 0; r < 3; ++r) {
    float* row = inst->instXform.m[r];
    float y = row[1] * c1 - row[2] * s1;
    float z = row[1] * s1 + row[2] * c1;
    row[1] = y;
    row[2] = z;
    float x = row[0] * c0 + row[2] * s0;
    z = row[2] * c0 - row[0] * s0;
    row[0] = x;
    row[2] = z;
    x = row[0] * c2 - row[1] * s2;
    y = row[0] * s2 + row[1] * c2;
    row[0] = x;
    row[1] = y;
  }
  inst->instFlags = (inst->instFlags & ~SG_INST_MODE_ANGLES) | SG_INST_ANGLES_VALID;
}

// Rebuilds the rotation from forward and up; `upExact` keeps up as given.
void VectorsToXform(SGInstance* inst, bool upExact) {
  SGPoint3s u{inst->instUp[0], inst->instUp[1], inst->instUp[2]};
  SGPoint3s f{inst->instForward[0], inst->instForward[1], inst->instForward[2]};
  ISGVector3sNormalize(&u);
  ISGVector3sNormalize(&f);
  if (std::fabs(Dot(u, f)) >= kParallel) {
    if (upExact) {
      if (std::fabs(Dot(u, Row(inst, 2))) >= kParallel) {
        u = Row(inst, 1);
      } else {
        f = Neg(Row(inst, 2));
      }
    } else if (std::fabs(Dot(f, Row(inst, 1))) >= kParallel) {
      f = Neg(Row(inst, 2));
    } else {
      u = Row(inst, 1);
    }
  }
  SGPoint3s r = ISGVector3sCross(f, u);
  ISGVector3sNormalize(&r);
  if (upExact) {
    f = ISGVector3sCross(u, r);
    ISGVector3sNormalize(&f);
  } else {
    u = ISGVector3sCross(r, f);
  }
  SetRow(inst, 0, r);
  SetRow(inst, 1, u);
  SetRow(inst, 2, Neg(f));
  inst->instFlags &= ~((upExact ? SG_INST_MODE_UP_FWD : SG_INST_MODE_FWD_UP) | SG_INST_ANGLES_VALID);
}

SGError AllocShadeTable(float** table) {
  if (*table == nullptr) {
    *table = static_cast<float*>(SGCalloc(SG_SCN_SHADE_TABLE_ROOM, sizeof(float)));
  }
  return *table != nullptr ? SG_ERROR_NONE : SG_ERROR_NO_MEMORY;
}

// Refreshes the shade tables of the light's scene (and its covering sub-scene).
SGError LightUpdateShades(SGInstance* inst) {
  SGScene* scene = inst->instScene;
  SGScene* sub = (scene->scnFlags & SG_SCN_FLAG_COVERED) != 0 ? scene->scnSubScene : nullptr;
  if ((scene->scnFlags & SG_SCN_FLAG_LIGHT_SHADES) == 0 &&
      (sub == nullptr || (sub->scnFlags & SG_SCN_FLAG_LIGHT_SHADES) == 0)) {
    return SG_ERROR_NONE;
  }
  if (AllocShadeTable(&scene->scnShadeTable) != SG_ERROR_NONE ||
      (sub != nullptr && AllocShadeTable(&sub->scnShadeTable) != SG_ERROR_NONE)) {
    return SG_ERROR_NO_MEMORY;
  }
  const float* l = inst->instForward;
  for (std::uint32_t i = 0; i < SG_SCN_NUM_NORMALS; ++i) {
    const float* n = scene->scnNormals[i];
    const float v = -(n[0] * l[0] + n[1] * l[1] + n[2] * l[2]);
    scene->scnShadeTable[i] = v > 0.f ? v : 0.f;
    if (sub != nullptr) {
      const float m = -(n[0] * l[0] + n[1] * l[1] - n[2] * l[2]);
      sub->scnShadeTable[i] = m > 0.f ? m : 0.f;
    }
  }
  return SG_ERROR_NONE;
}

void ResetReach(SGInstance* inst, const SGModel* model) {
  inst->instRadius = model->modRadius;
  float v[3];
  for (int k = 0; k < 3; ++k) {
    v[k] = model->modCentre[k] + inst->instVelocity[k];
    if ((inst->instFlags & SG_INST_MOVING) != 0) {
      v[k] += inst->instVelocity[k];
    }
  }
  inst->instReach = inst->instRadius + static_cast<float>(Length(v));
}

void FreeModelBlockParts(SGModelInst* mi) {
  SGFree(mi->miPartCacheB);
  SGFree(mi->miPartCacheA);
  SGFree(mi->miXforms);
  SGFree(mi->miHardPoints);
  mi->miPartCacheA = mi->miPartCacheB = nullptr;
  mi->miNumPartCacheA = mi->miNumPartCacheB = 0;
  mi->miXforms = nullptr;
  mi->miNumXforms = 0;
  mi->miHardPoints = nullptr;
  mi->miNumHardPoints = 0;
}

SGError CreateBlock(SGInstance* inst) {
  switch (inst->instType) {
    case SG_INST_TYPE_CAMERA: {
      auto* vi = static_cast<SGViewData*>(SGCalloc(1, sizeof(SGViewData)));
      if (vi == nullptr) {
        return SG_ERROR_NO_MEMORY;
      }
      vi->viFov = 40.f;
      vi->viAspect = 1.f;
      vi->viHither = 0.001f;
      vi->viYon = 1.f;
      vi->viMaxYon = 1.f;
      vi->viWindowHi[0] = vi->viWindowHi[1] = 1.f;
      vi->viWindowLo[0] = vi->viWindowLo[1] = -1.f;
      inst->instData = vi;
      inst->instAttributes |= SG_ATTR_NO_WRAP;
      return SG_ERROR_NONE;
    }
    case SG_INST_TYPE_MODEL_ONE:
    case SG_INST_TYPE_MODEL_TWO:
      inst->instData = SGCalloc(1, sizeof(SGModelInst));
      return inst->instData != nullptr ? SG_ERROR_NONE : SG_ERROR_NO_MEMORY;
    case SG_INST_TYPE_LIGHT: {
      auto* light = static_cast<SGLightData*>(SGCalloc(1, sizeof(SGLightData)));
      if (light == nullptr) {
        return SG_ERROR_NO_MEMORY;
      }
      light->ltKind = SG_LIGHT_DIRECTIONAL;
      light->ltIntensity = 1.f;
      inst->instData = light;
      return SG_ERROR_NONE;
    }
    default:
      return SG_ERROR_NONE;
  }
}

}  // namespace

SGError SGInstanceCreate(SGContext*, std::uint32_t type, SGInstance** out) {
  auto* inst = static_cast<SGInstance*>(SGCalloc(1, sizeof(SGInstance)));
  if (inst == nullptr) {
    return SG_ERROR_NO_MEMORY;
  }
  inst->instType = type;
  inst->instCollideMask = 1;
  inst->instSortPriority = 1.f;
  inst->instLODFactor = 1.f;
  inst->instFlags = SG_INST_MODE_ANGLES;
  SGError err = ISGCullStateCreate(&inst->instCullState);
  if (err == SG_ERROR_NONE) {
    err = CreateBlock(inst);
    if (err != SG_ERROR_NONE) {
      ISGCullStateFree(inst->instCullState);
    }
  }
  if (err != SG_ERROR_NONE) {
    SGFree(inst);
    return err;
  }
  SGInstanceUpdate(inst);
  *out = inst;
  return SG_ERROR_NONE;
}

SGError SGInstanceDelete(SGInstance* inst) {
  if (inst->instType != SG_INST_TYPE_CAMERA && inst->instScene != nullptr) {
    return SGInstanceSetAttributes(inst, SG_ATTR_DELETE_MASK);
  }
  ISGInstanceDestroy(inst);
  return SG_ERROR_NONE;
}

void ISGInstanceDestroy(SGInstance* inst) {
  ISG_ASSERT(NULL != inst, "instance");
  if (inst->instCullObject != nullptr) {
    SGCullDestroy(inst->instCullObject);
    inst->instCullObject = nullptr;
  }
  if (inst->instPlume != nullptr) {
    ISGPlumeRelease(inst->instPlume);
  }
  SGScene* scene = inst->instScene;
  SGInstanceRemove(inst);
  ISGCullStateFree(inst->instCullState);
  inst->instCullState = nullptr;
  SGFree(inst->instDropShadow);
  inst->instDropShadow = nullptr;
  if ((inst->instAttributes & SG_ATTR_STATIC) != 0) {
    return;
  }
  if (IsModelInstance(inst) && inst->instData != nullptr) {
    FreeModelBlockParts(ModelBlock(inst));
  } else if (inst->instType == SG_INST_TYPE_MODEL_COMPLEX) {
    ISGBspFree(static_cast<SGBsp*>(inst->instData));
    inst->instData = nullptr;
  } else if (inst->instType == SG_INST_TYPE_LIGHT && scene != nullptr &&
             static_cast<SGLightData*>(inst->instData)->ltKind == SG_LIGHT_DIRECTIONAL) {
    SGFree(scene->scnShadeTable);
    scene->scnShadeTable = nullptr;
    SGScene* sub = (scene->scnFlags & SG_SCN_FLAG_COVERED) != 0 ? scene->scnSubScene : nullptr;
    if (sub != nullptr) {
      SGFree(sub->scnShadeTable);
      sub->scnShadeTable = nullptr;
    }
  }
  SGFree(inst->instData);
  SGFree(inst);
}

SGError SGInstanceRemove(SGInstance* inst) {
  if (inst->instScene == nullptr) {
    return SG_ERROR_NONE;
  }
  ISG_ASSERT(inst->instScnBack, "instance");
  ISG_ASSERT(*inst->instScnBack == inst, "instance");
  *inst->instScnBack = inst->instScnNext;
  if (inst->instScnNext != nullptr) {
    inst->instScnNext->instScnBack = inst->instScnBack;
  }
  inst->instScnNext = nullptr;
  inst->instScnBack = nullptr;
  ISGInstanceUnlinkCollide(inst);
  ISGInstanceUnlinkLOS(inst);
  inst->instScene = nullptr;
  return SG_ERROR_NONE;
}

SGError SGInstanceSetPosition(SGInstance* inst, const double pos[3]) {
  std::memcpy(inst->instPos, pos, sizeof(inst->instPos));
  return SG_ERROR_NONE;
}

SGError SGInstanceGetPosition(const SGInstance* inst, double out[3]) {
  std::memcpy(out, inst->instPos, sizeof(inst->instPos));
  return SG_ERROR_NONE;
}

SGError SGInstanceSetOrientation(SGInstance* inst, const float forward[3], const float up[3]) {
  std::memcpy(inst->instForward, forward, sizeof(inst->instForward));
  std::memcpy(inst->instUp, up, sizeof(inst->instUp));
  inst->instFlags = (inst->instFlags & ~(SG_INST_MODE_ANGLES | SG_INST_MODE_UP_FWD)) | SG_INST_MODE_FWD_UP;
  return SG_ERROR_NONE;
}

SGError SGInstanceSetOrientationUp(SGInstance* inst, const float up[3], const float forward[3]) {
  std::memcpy(inst->instForward, forward, sizeof(inst->instForward));
  std::memcpy(inst->instUp, up, sizeof(inst->instUp));
  inst->instFlags = (inst->instFlags & ~(SG_INST_MODE_ANGLES | SG_INST_MODE_FWD_UP)) | SG_INST_MODE_UP_FWD;
  return SG_ERROR_NONE;
}

SGError SGInstanceSetAngles(SGInstance* inst, const float angles[3]) {
  std::memcpy(inst->instAngles, angles, sizeof(inst->instAngles));
  inst->instFlags = (inst->instFlags & ~(SG_INST_MODE_FWD_UP | SG_INST_MODE_UP_FWD)) | SG_INST_MODE_ANGLES;
  return SG_ERROR_NONE;
}

SGError SGInstanceGetAngles(SGInstance* inst, float out[3]) {
  if ((inst->instFlags & SG_INST_ANGLES_VALID) == 0) {
    SGMatrixToAngles(inst->instAngles, &inst->instXform);
    inst->instFlags |= SG_INST_ANGLES_VALID;
  }
  std::memcpy(out, inst->instAngles, sizeof(inst->instAngles));
  return SG_ERROR_NONE;
}

SGError SGInstanceSetAxes(SGInstance* inst, const float x[3], const float y[3], const float z[3]) {
  const SGPoint3s X{x[0], x[1], x[2]};
  const SGPoint3s Y{y[0], y[1], y[2]};
  const SGPoint3s Z{z[0], z[1], z[2]};
  ISG_ASSERT(SGVector3sLenSq(&X) > 0.999f, "instance");
  ISG_ASSERT(SGVector3sLenSq(&X) < 1.001f, "instance");
  ISG_ASSERT(SGVector3sLenSq(&Y) > 0.999f, "instance");
  ISG_ASSERT(SGVector3sLenSq(&Y) < 1.001f, "instance");
  ISG_ASSERT(SGVector3sLenSq(&Z) > 0.999f, "instance");
  ISG_ASSERT(SGVector3sLenSq(&Z) < 1.001f, "instance");
  ISG_ASSERT(SGPoint3sDot(&X, &Y) < 0.001f, "instance");
  ISG_ASSERT(SGPoint3sDot(&X, &Y) > -0.001f, "instance");
  ISG_ASSERT(SGPoint3sDot(&Y, &Z) < 0.001f, "instance");
  ISG_ASSERT(SGPoint3sDot(&Y, &Z) > -0.001f, "instance");
  ISG_ASSERT(SGPoint3sDot(&Z, &X) < 0.001f, "instance");
  ISG_ASSERT(SGPoint3sDot(&Z, &X) > -0.001f, "instance");
  SetRow(inst, 0, X);
  SetRow(inst, 1, Y);
  SetRow(inst, 2, Z);
  inst->instFlags &= ~(SG_INST_MODE_ANGLES | SG_INST_MODE_FWD_UP | SG_INST_MODE_UP_FWD | SG_INST_ANGLES_VALID);
  return SG_ERROR_NONE;
}

SGError SGInstanceGetForward(const SGInstance* inst, float out[3]) {
  for (int k = 0; k < 3; ++k) {
    out[k] = -inst->instXform.m[2][k];
  }
  return SG_ERROR_NONE;
}

SGError SGInstanceGetUp(const SGInstance* inst, float out[3]) {
  for (int k = 0; k < 3; ++k) {
    out[k] = inst->instXform.m[1][k];
  }
  return SG_ERROR_NONE;
}

SGError SGInstanceSetVelocity(SGInstance* inst, const float velocity[3]) {
  if ((inst->instFlags & SG_INST_MOVING) != 0) {
    inst->instReach -= static_cast<float>(Length(inst->instVelocity));
  }
  std::memcpy(inst->instVelocity, velocity, sizeof(inst->instVelocity));
  if (velocity[0] == 0.f && velocity[1] == 0.f && velocity[2] == 0.f) {
    inst->instFlags &= ~SG_INST_MOVING;
  } else {
    inst->instReach += static_cast<float>(Length(velocity));
    inst->instFlags |= SG_INST_MOVING;
  }
  return SG_ERROR_NONE;
}

SGError SGInstanceUpdate(SGInstance* inst) {
  if ((inst->instFlags & SG_INST_MODE_ANGLES) != 0) {
    AnglesToXform(inst);
  } else if ((inst->instFlags & SG_INST_MODE_FWD_UP) != 0) {
    VectorsToXform(inst, false);
  } else if ((inst->instFlags & SG_INST_MODE_UP_FWD) != 0) {
    VectorsToXform(inst, true);
  }
  if (inst->instType == SG_INST_TYPE_MODEL_ONE && (inst->instFlags & SG_INST_LOCKED) != 0) {
    return SG_ERROR_INST_LOCKED;
  }
  const auto* light = inst->instType == SG_INST_TYPE_LIGHT ? static_cast<const SGLightData*>(inst->instData) : nullptr;
  if (light != nullptr && light->ltKind == SG_LIGHT_DIRECTIONAL) {
    for (int k = 0; k < 3; ++k) {
      inst->instForward[k] = -inst->instXform.m[2][k] * light->ltIntensity;
    }
    if (inst->instScene != nullptr) {
      LightUpdateShades(inst);
    }
  } else {
    for (int k = 0; k < 3; ++k) {
      inst->instXform.m[3][k] = static_cast<float>(inst->instPos[k]);
    }
  }
  ISGInstanceUpdateBounds(inst);
  inst->instFlags &= ~SG_INST_XFORM_PENDING;
  return SG_ERROR_NONE;
}

void ISGInstanceUpdateBounds(SGInstance* inst) {
  if (inst->instType == SG_INST_TYPE_MODEL_COMPLEX) {
    ISGInstanceComplexBounds(inst);
    return;
  }
  if (!IsModelInstance(inst) || inst->instData == nullptr || ModelBlock(inst)->miModel == nullptr) {
    return;
  }
  SGModelInst* mi = ModelBlock(inst);
  const SGModel* model = mi->miModel;
  float t[3] = {static_cast<float>(inst->instPos[0]), static_cast<float>(inst->instPos[1]),
                static_cast<float>(inst->instPos[2])};
  if ((inst->instFlags & SG_INST_MOVING) != 0) {
    const SGPoint3s v = WorldVelocity(inst);
    t[0] += v.x;
    t[1] += v.y;
    t[2] += v.z;
  }
  for (int i = 0; i < 8; ++i) {
    const float c[3] = {(i & 1) != 0 ? model->modMax[0] : model->modMin[0],
                        (i & 2) != 0 ? model->modMax[1] : model->modMin[1],
                        (i & 4) != 0 ? model->modMax[2] : model->modMin[2]};
    for (int k = 0; k < 3; ++k) {
      mi->miCorners[i][k] =
          c[0] * inst->instXform.m[0][k] + c[1] * inst->instXform.m[1][k] + c[2] * inst->instXform.m[2][k] + t[k];
    }
  }
  inst->instFlags &= ~SG_INST_BOX_VALID;
}

SGError SGInstanceGetBounds(SGInstance* inst, float out[6]) {
  if (!IsModelKind(inst)) {
    return SG_ERROR_INST_TYPE;
  }
  if ((inst->instAttributes & SG_ATTR_PREPPED) == 0) {
    if (inst->instData == nullptr) {
      return SG_ERROR_INST_NO_DATA;
    }
    if ((inst->instFlags & SG_INST_BOX_VALID) == 0) {
      // Every model-kind block starts with the eight corners.
      const float(*corners)[3] = static_cast<const float(*)[3]>(inst->instData);
      for (int k = 0; k < 3; ++k) {
        inst->instWorldBox[k] = inst->instWorldBox[k + 3] = corners[0][k];
      }
      for (int i = 1; i < 8; ++i) {
        for (int k = 0; k < 3; ++k) {
          inst->instWorldBox[k] = std::fmin(inst->instWorldBox[k], corners[i][k]);
          inst->instWorldBox[k + 3] = std::fmax(inst->instWorldBox[k + 3], corners[i][k]);
        }
      }
      inst->instFlags |= SG_INST_BOX_VALID;
    }
  }
  std::memcpy(out, inst->instWorldBox, sizeof(inst->instWorldBox));
  return SG_ERROR_NONE;
}

SGError SGInstanceGetRadius(const SGInstance* inst, float* out) {
  *out = inst->instRadius;
  return SG_ERROR_NONE;
}

SGError SGInstanceSetRadius(SGInstance* inst, float radius) {
  inst->instRadius = radius;
  return SG_ERROR_NONE;
}

SGError SGInstanceGetCentre(const SGInstance* inst, float out[3]) {
  if (!IsModelKind(inst)) {
    return SG_ERROR_INST_TYPE;
  }
  if (inst->instType == SG_INST_TYPE_MODEL_COMPLEX) {
    return SG_ERROR_UNSUPPORTED;
  }
  if (inst->instData == nullptr || ModelBlock(inst)->miModel == nullptr) {
    return SG_ERROR_INST_NO_DATA;
  }
  const SGModel* model = ModelBlock(inst)->miModel;
  for (int k = 0; k < 3; ++k) {
    out[k] = static_cast<float>(model->modCentre[k] + inst->instPos[k]);
  }
  return SG_ERROR_NONE;
}

namespace {

// The checks shared by the two scalers; on success *model is the attached model.
SGError ScalableModel(const SGInstance* inst, SGModel** model) {
  if (!IsModelKind(inst)) {
    return SG_ERROR_INST_TYPE;
  }
  if (inst->instType == SG_INST_TYPE_MODEL_COMPLEX) {
    return SG_ERROR_UNSUPPORTED;
  }
  if (inst->instData == nullptr || ModelBlock(inst)->miModel == nullptr) {
    return SG_ERROR_INST_NO_DATA;
  }
  *model = ModelBlock(inst)->miModel;
  return SG_ERROR_NONE;
}

}  // namespace

SGError SGInstanceScale(SGInstance* inst, float factor) {
  SGModel* model = nullptr;
  SGError err = ScalableModel(inst, &model);
  if (err == SG_ERROR_NONE) {
    err = SGModelScale(model, factor);
  }
  if (err == SG_ERROR_NONE) {
    ResetReach(inst, model);
    ISGInstanceUpdateBounds(inst);
  }
  return err;
}

SGError SGInstanceScaleAxis(SGInstance* inst, std::uint32_t axis, float factor) {
  SGModel* model = nullptr;
  SGError err = ScalableModel(inst, &model);
  if (err == SG_ERROR_NONE) {
    err = SGModelScaleAxis(model, axis, factor);
  }
  if (err == SG_ERROR_NONE) {
    ResetReach(inst, model);
    ISGInstanceUpdateBounds(inst);
  }
  return err;
}

SGError SGInstanceSetModel(SGInstance* inst, SGModel* model) {
  if (!IsModelKind(inst) || inst->instType == SG_INST_TYPE_MODEL_COMPLEX) {
    return SG_ERROR_INST_TYPE;
  }
  if (inst->instData == nullptr) {
    return SG_ERROR_INST_NO_DATA;
  }
  SGModelInst* mi = ModelBlock(inst);
  mi->miModel = model;
  ResetReach(inst, model);
  FreeModelBlockParts(mi);
  if (model->modNumXforms != 0) {
    // The count is only set with its table, so that no reader indexes a missing one.
    mi->miXforms =
        static_cast<SGMatrix*>(SGMalloc(sizeof(SGMatrix) * (model->modNumXforms + static_cast<std::size_t>(1))));
    if (mi->miXforms == nullptr) {
      return SG_ERROR_NO_MEMORY;
    }
    mi->miNumXforms = model->modNumXforms;
    for (std::uint32_t i = 0; i <= mi->miNumXforms; ++i) {
      SGMatrixIdentity(&mi->miXforms[i]);
    }
  }
  return SG_ERROR_NONE;
}

namespace {

// A model kind other than a complex model is asked about its block, so a kind
// that has none answers SG_ERROR_INST_NO_DATA rather than a type refusal.
SGError XformSlot(const SGInstance* inst, std::uint32_t k, SGMatrix** out) {
  if (!IsModelKind(inst) || inst->instType == SG_INST_TYPE_MODEL_COMPLEX) {
    return SG_ERROR_INST_TYPE;
  }
  if (inst->instData == nullptr) {
    return SG_ERROR_INST_NO_DATA;
  }
  const SGModelInst* mi = ModelBlock(inst);
  if (k >= mi->miNumXforms) {
    return SG_ERROR_INST_INDEX;
  }
  *out = &mi->miXforms[k];
  return SG_ERROR_NONE;
}

}  // namespace

SGError SGInstanceGetXform(const SGInstance* inst, std::uint32_t k, SGMatrix* out) {
  ISG_ASSERT(SG_INST_TYPE_MODEL & inst->instType, "instance");
  SGMatrix* slot = nullptr;
  const SGError err = XformSlot(inst, k, &slot);
  if (err == SG_ERROR_NONE) {
    *out = *slot;
  }
  return err;
}

SGError SGInstanceSetXform(SGInstance* inst, std::uint32_t k, const SGMatrix* m) {
  SGMatrix* slot = nullptr;
  const SGError err = XformSlot(inst, k, &slot);
  if (err == SG_ERROR_NONE) {
    *slot = *m;
  }
  return err;
}

SGError SGInstanceMulXform(SGInstance* inst, std::uint32_t k, const SGMatrix* m) {
  SGMatrix* slot = nullptr;
  const SGError err = XformSlot(inst, k, &slot);
  if (err == SG_ERROR_NONE) {
    SGMatrixMultiplyInPlace(slot, m);
  }
  return err;
}

SGError SGInstanceAllocHardPoints(SGInstance* inst, const SGModel* model, std::int32_t count) {
  SGModelInst* mi = IsModelInstance(inst) ? ModelBlock(inst) : nullptr;
  ISG_ASSERT(mi, "instance");
  const std::uint32_t n = count < 0 ? SGModelCountHardPoints(model) : static_cast<std::uint32_t>(count);
  // A table being replaced is released, not lost.
  SGFree(mi->miHardPoints);
  mi->miHardPoints = static_cast<std::uintptr_t*>(SGCalloc(n == 0 ? 1 : n, sizeof(std::uintptr_t)));
  mi->miNumHardPoints = mi->miHardPoints != nullptr ? n : 0;
  return mi->miHardPoints != nullptr ? SG_ERROR_NONE : SG_ERROR_NO_MEMORY;
}

SGError SGInstanceSetHardPoint(SGInstance* inst, std::uintptr_t value, std::uint32_t which) {
  SGModelInst* mi = ModelBlock(inst);
  ISG_ASSERT(mi->miHardPoints, "instance");
  ISG_ASSERT(mi->miNumHardPoints > which, "instance");
  mi->miHardPoints[which] = value;
  return SG_ERROR_NONE;
}

SGError SGInstanceGetHardPoint(const SGInstance* inst, std::uintptr_t* out, std::uint32_t which) {
  const SGModelInst* mi = ModelBlock(inst);
  ISG_ASSERT(mi->miHardPoints, "instance");
  ISG_ASSERT(mi->miNumHardPoints > which, "instance");
  *out = mi->miHardPoints[which];
  return SG_ERROR_NONE;
}

SGError SGInstanceSetMaterial(SGInstance* inst, std::uint32_t count, SGMaterial** table) {
  if (!IsModelInstance(inst)) {
    return SG_ERROR_INST_TYPE;
  }
  if (inst->instData == nullptr) {
    return SG_ERROR_INST_NO_DATA;
  }
  ModelBlock(inst)->miNumMaterials = count;
  ModelBlock(inst)->miMatTable = table;
  return SG_ERROR_NONE;
}

SGError SGInstanceGetMaterial(const SGInstance* inst, std::uint32_t* count, SGMaterial*** table) {
  if (!IsModelInstance(inst)) {
    return SG_ERROR_INST_TYPE;
  }
  if (inst->instData == nullptr) {
    return SG_ERROR_INST_NO_DATA;
  }
  *count = ModelBlock(inst)->miNumMaterials;
  *table = ModelBlock(inst)->miMatTable;
  return SG_ERROR_NONE;
}

SGError SGInstanceSetLight(SGInstance* inst, std::uint32_t kind, float intensity) {
  if (inst->instType != SG_INST_TYPE_LIGHT) {
    return SG_ERROR_INST_TYPE;
  }
  auto* light = static_cast<SGLightData*>(inst->instData);
  light->ltKind = kind;
  light->ltIntensity = intensity;
  return SG_ERROR_NONE;
}

SGError SGInstanceGetLight(const SGInstance* inst, float* intensity, std::uint32_t* kind) {
  if (inst->instType != SG_INST_TYPE_LIGHT) {
    return SG_ERROR_INST_TYPE;
  }
  const auto* light = static_cast<const SGLightData*>(inst->instData);
  *intensity = light->ltIntensity;
  *kind = light->ltKind;
  return SG_ERROR_NONE;
}

void ISGInstanceWorldToLocal(const SGInstance* inst, const double world[3], float out[3]) {
  const SGPoint3s q{static_cast<float>(world[0] - inst->instPos[0]), static_cast<float>(world[1] - inst->instPos[1]),
                    static_cast<float>(world[2] - inst->instPos[2])};
  for (int r = 0; r < 3; ++r) {
    const SGPoint3s axis = Row(inst, r);
    out[r] = SGPoint3sDot(&axis, &q);
  }
}

void ISGInstanceApplyVelocity(SGInstance* inst) {
  if ((inst->instFlags & SG_INST_MOVING) == 0) {
    return;
  }
  const SGPoint3s v = WorldVelocity(inst);
  inst->instXform.m[3][0] += v.x;
  inst->instXform.m[3][1] += v.y;
  inst->instXform.m[3][2] += v.z;
}

void ISGInstanceAddVelocity(const SGInstance* inst, double point[3]) {
  if ((inst->instFlags & SG_INST_MOVING) == 0) {
    return;
  }
  const SGPoint3s v = WorldVelocity(inst);
  point[0] += v.x;
  point[1] += v.y;
  point[2] += v.z;
}
