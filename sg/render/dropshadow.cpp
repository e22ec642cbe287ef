#include "sg/render/dropshadow.h"

#include "sg/core/malloc.h"
#include "sg/core/sgassert.h"
#include "sg/instance/instance.h"
#include "sg/render/primitives.h"
#include "sg/render/renderer.h"

namespace {

SGDropShadow* Shadow(const SGInstance* inst) {
  ISG_ASSERT(inst->instDropShadow, "dropshad.c");
  return inst->instDropShadow;
}

}  // namespace

SGError SGDropShadowCreate(SGInstance* inst) {
  if (inst->instDropShadow != nullptr) {
    return SG_ERROR_NONE;
  }
  auto* ds = static_cast<SGDropShadow*>(SGCalloc(1, sizeof(SGDropShadow)));
  if (ds == nullptr) {
    return SG_ERROR_NO_MEMORY;
  }
  ds->dsShade = 130;
  ds->dsSpare[0] = 1;
  inst->instDropShadow = ds;
  return SG_ERROR_NONE;
}

SGError SGDropShadowDestroy(SGInstance* inst) {
  SGFree(inst->instDropShadow);
  inst->instDropShadow = nullptr;
  return SG_ERROR_NONE;
}

SGError SGDropShadowSetSize(SGInstance* inst, float length, float width) {
  SGDropShadow* ds = Shadow(inst);
  ds->dsHalfLength = length / 2.f;
  ds->dsHalfWidth = width / 2.f;
  return SG_ERROR_NONE;
}

SGError SGDropShadowGetSize(const SGInstance* inst, float* length, float* width) {
  const SGDropShadow* ds = inst->instDropShadow;
  *length = ds != nullptr ? ds->dsHalfLength * 2.f : 0.f;
  *width = ds != nullptr ? ds->dsHalfWidth * 2.f : 0.f;
  return SG_ERROR_NONE;
}

SGError SGDropShadowSetColour(SGInstance* inst, std::uint32_t colour) {
  Shadow(inst)->dsColour = colour;
  return SG_ERROR_NONE;
}

SGError SGDropShadowGetColour(const SGInstance* inst, std::uint32_t* colour) {
  *colour = Shadow(inst)->dsColour;
  return SG_ERROR_NONE;
}

SGError SGDropShadowSetOffset(SGInstance* inst, const float offset[3]) {
  SGDropShadow* ds = Shadow(inst);
  for (int k = 0; k < 3; ++k) {
    ds->dsOffset[k] = offset[k];
  }
  return SG_ERROR_NONE;
}

SGError SGDropShadowGetOffset(const SGInstance* inst, float offset[3]) {
  const SGDropShadow* ds = Shadow(inst);
  for (int k = 0; k < 3; ++k) {
    offset[k] = ds->dsOffset[k];
  }
  return SG_ERROR_NONE;
}

SGError SGDropShadowEnable(SGInstance* inst, std::uint32_t on) {
  SGDropShadow* ds = Shadow(inst);
  ds->dsFlags = on != 0 ? ds->dsFlags | SG_DROPSHADOW_ENABLED : ds->dsFlags & ~SG_DROPSHADOW_ENABLED;
  return SG_ERROR_NONE;
}

SGError SGDropShadowIsEnabled(const SGInstance* inst, std::uint32_t* on) {
  *on = (Shadow(inst)->dsFlags & SG_DROPSHADOW_ENABLED) != 0 ? 1 : 0;
  return SG_ERROR_NONE;
}

SGError SGDropShadowFollowBounds(SGInstance* inst, std::uint32_t on) {
  SGDropShadow* ds = Shadow(inst);
  ds->dsFlags = on != 0 ? ds->dsFlags | SG_DROPSHADOW_FOLLOW_BOUNDS : ds->dsFlags & ~SG_DROPSHADOW_FOLLOW_BOUNDS;
  ISGInstanceUpdateBounds(inst);
  return SG_ERROR_NONE;
}

SGError SGDropShadowFollowsBounds(const SGInstance* inst, std::uint32_t* on) {
  *on = (Shadow(inst)->dsFlags & SG_DROPSHADOW_FOLLOW_BOUNDS) != 0 ? 1 : 0;
  return SG_ERROR_NONE;
}

SGError SGDropShadowSetShade(SGInstance* inst, std::uint8_t value, std::uint32_t mark) {
  Shadow(inst)->dsShade = static_cast<std::uint8_t>(mark != 0 ? value | 0x80 : value);
  return SG_ERROR_NONE;
}

SGError ISGDropShadowDraw(SGRenderer* rend, SGScene* scene, SGInstance* inst) {
  SGDropShadow* ds = inst->instDropShadow;
  if ((ds->dsFlags & SG_DROPSHADOW_ENABLED) == 0) {
    return SG_ERROR_NONE;
  }
  float half[2] = {ds->dsHalfLength, ds->dsHalfWidth};
  float centre[2] = {inst->instXform.m[3][0], inst->instXform.m[3][1]};
  float box[6];
  if ((ds->dsFlags & SG_DROPSHADOW_FOLLOW_BOUNDS) != 0 && SGInstanceGetBounds(inst, box) == SG_ERROR_NONE) {
    for (int k = 0; k < 2; ++k) {
      half[k] = (box[k + 3] - box[k]) / 2.f;
      centre[k] = static_cast<float>((box[k + 3] + box[k]) / 2.0 - rend->renEye[k]);
    }
  }
  const float ground = static_cast<float>(-rend->renEye[2]) + ds->dsOffset[2];
  // The material is the shadow's own: the remembered fill is chosen afresh,
  // since its colour may have changed since the last frame.
  ds->dsMaterial = SGMaterial{};
  ds->dsMaterial.matType = rend->renShadeLUT != nullptr ? SG_MAT_TYPE_SHADED : SG_MAT_TYPE_FLAT;
  ds->dsMaterial.matColour = ds->dsColour;
  ds->dsMaterial.matDiffuse = 1.f;
  if (rend->renObjMaterial == &ds->dsMaterial) {
    rend->renObjMaterial = nullptr;
  }
  static constexpr float kCorners[4][2] = {{-1.f, -1.f}, {1.f, -1.f}, {1.f, 1.f}, {-1.f, 1.f}};
  SGTxVertex* quad[4];
  std::uint32_t andFlags = SG_XFORM_FLAG_CLIP_MASK;
  std::uint32_t orFlags = 0;
  for (int i = 0; i < 4; ++i) {
    SGTxVertex* txv = nullptr;
    const SGError err = ISGRendererNewTxVert(rend, &txv);
    if (err != SG_ERROR_NONE) {
      return err;
    }
    txv->txvPos[0] = centre[0] + ds->dsOffset[0] + kCorners[i][0] * half[0];
    txv->txvPos[1] = centre[1] + ds->dsOffset[1] + kCorners[i][1] * half[1];
    txv->txvPos[2] = ground;
    txv->txvShade = static_cast<float>(ds->dsShade & 0x7F) / 127.f;
    rend->renMethods.rmTransformVertex(rend, txv);
    txv->txvFlags |= SG_TXV_SHADED;
    andFlags &= txv->txvFlags;
    orFlags |= txv->txvFlags;
    quad[i] = txv;
  }
  if ((andFlags & SG_XFORM_FLAG_CLIP_MASK) != 0) {
    return SG_ERROR_NONE;
  }
  // Seen from above, the corners run counter-clockwise; from below the quad is a back face.
  SGTxVertex* first[3] = {quad[0], quad[1], quad[2]};
  SGTxVertex* second[3] = {quad[0], quad[2], quad[3]};
  const bool clip = (orFlags & SG_XFORM_FLAG_CLIP_MASK) != 0;
  SGError err = clip ? rend->renMethods.rmClipTriangle(rend, scene, &ds->dsMaterial, first, 0)
                     : rend->renMethods.rmDrawTriangle(rend, scene, &ds->dsMaterial, first);
  if (err == SG_ERROR_NONE) {
    err = clip ? rend->renMethods.rmClipTriangle(rend, scene, &ds->dsMaterial, second, 0)
               : rend->renMethods.rmDrawTriangle(rend, scene, &ds->dsMaterial, second);
  }
  return err;
}

void ISGInstanceGroundPlane(SGRenderer* rend, SGScene*, SGInstance* inst) {
  // Scenes here carry no terrain: the ground is the plane z = 0.
  float* plane = rend->renClipPlanes[6];
  plane[0] = 0.f;
  plane[1] = 0.f;
  plane[2] = -1.f;
  plane[3] = static_cast<float>(rend->renEye[2]);
  const float* pos = inst->instXform.m[3];
  const float d = plane[0] * pos[0] + plane[1] * pos[1] + plane[2] * pos[2] - plane[3];
  const float radius = inst->instRadius > inst->instReach ? inst->instRadius : inst->instReach;
  if (d >= -radius) {
    inst->instFlags |= SG_INST_GROUND_CLIP;
  } else {
    inst->instFlags &= ~SG_INST_GROUND_CLIP;
  }
}
