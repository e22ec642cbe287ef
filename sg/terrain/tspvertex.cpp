// The terrain's grid vertices: made once per frame and page copy, lit,
// fogged, projected, and copied into the page across an edge.

#include "sg/instance/instance.h"
#include "sg/render/renderer.h"
#include "sg/scene/scene.h"
#include "sg/terrain/page.h"
#include "sg/terrain/tsp.h"

namespace {

constexpr float kNearDepth = -0.0001f;
constexpr float kEdge = 1.0001f;

float Column(const SGMatrix& m, const float p[3], int c) {
  return p[0] * m.m[0][c] + p[1] * m.m[1][c] + p[2] * m.m[2][c] + m.m[3][c];
}

}  // namespace

SGError ISGTspMakeVert(SGRenderer* rend, const SGScene* scene, const SGPage* page, const float at[3], std::uint32_t u,
                       std::uint32_t v, SGTerrVertSlot* slot, SGTxVertex** out) {
  SGTxVertex* t = nullptr;
  const SGError err = ISGRendererNewTxVert(rend, &t);
  if (err != SG_ERROR_NONE) {
    return err;
  }
  *t = SGTxVertex{};
  const float last = static_cast<float>(scene->scnPageNumVerts - 1);
  t->txvUV[0] = static_cast<float>(u) / last;
  t->txvUV[1] = static_cast<float>(v) / last;
  t->txvPos[0] = at[0];
  t->txvPos[1] = at[1];
  t->txvPos[2] = at[2];
  t->txvColour[0] = t->txvColour[1] = t->txvColour[2] = t->txvColour[3] = 255;
  ISGTspFinishVert(rend, scene, page, t, u, v);
  slot->tvXVert = t;
  slot->tvTimeStamp = rend->renTimeStamp;
  *out = t;
  return SG_ERROR_NONE;
}

void ISGTspFinishVert(const SGRenderer* rend, const SGScene* scene, const SGPage* page, SGTxVertex* txv,
                      std::uint32_t u, std::uint32_t v) {
  const SGMatrix& m = rend->renXform;
  const float depth = Column(m, txv->txvPos, 2);
  txv->txvFlags &= ~(SG_TXV_FOGGED | SG_TXV_SHADED | SG_XFORM_FLAG_CLIP_MASK);
  txv->txvFog = 1.f;
  if ((page->pagFlags & SG_PAGE_FLAG_FOGGED) != 0 && (rend->renFlags & SG_REND_FLAG_FOG) != 0) {
    ISGTspFog(rend, txv, depth);
  }
  if ((rend->renFlags & SG_REND_FLAG_ALL_FOGGED) != 0) {
    txv->txvFlags |= SG_TXV_FOGGED;
  }
  txv->txvShade = 0.f;
  if ((page->pagFlags & SG_PAGE_FLAG_LIT) != 0) {
    ISGTspShade(rend, scene, page, u, v, txv);
  }
  if (depth < kNearDepth) {
    txv->txvFlags |= SG_XFORM_FLAG_NEAR_CLIP;
    return;
  }
  const SGViewData* vi = rend->renViewData;
  const float w = Column(m, txv->txvPos, 3);
  if (w > vi->viYon) {
    txv->txvFlags |= SG_XFORM_FLAG_FAR_CLIP;
  }
  const float q = 1.f / w;
  const float x = Column(m, txv->txvPos, 0) * q;
  const float y = Column(m, txv->txvPos, 1) * q;
  if ((page->pagFlags & (SG_PAGE_FLAG_CULLED | SG_PAGE_FLAG_CLIP)) != 0) {
    const bool window = (vi->viFlags & SG_VI_WINDOW) != 0;
    const float lo[2] = {window ? vi->viWindowLo[0] : -kEdge, window ? vi->viWindowLo[1] : -kEdge};
    const float hi[2] = {window ? vi->viWindowHi[0] : kEdge, window ? vi->viWindowHi[1] : kEdge};
    // The same sides as the renderer's own outcodes, so its plane clipping agrees.
    txv->txvFlags |= x < lo[0] ? SG_XFORM_FLAG_LEFT_CLIP : (x >= hi[0] ? SG_XFORM_FLAG_RIGHT_CLIP : 0);
    txv->txvFlags |= y < lo[1] ? SG_XFORM_FLAG_BOTTOM_CLIP : (y >= hi[1] ? SG_XFORM_FLAG_TOP_CLIP : 0);
  }
  txv->txvLoc[0] = (x + 1.f) * vi->viScale[0] + vi->viOffset[0];
  txv->txvLoc[1] = (y + 1.f) * vi->viScale[1] + vi->viOffset[1];
  txv->txvLoc[2] = depth > 0.f ? depth * q : 0.f;
  txv->txvLoc[3] = q;
}

void ISGTspFog(const SGRenderer* rend, SGTxVertex* txv, float depth) {
  const float f = (rend->renViewData->viYon - depth) * rend->renFogRecip;
  if (f < 0.f) {
    txv->txvFog = 0.f;
    txv->txvFlags |= SG_TXV_FOGGED | SG_XFORM_FLAG_FAR_CLIP;
  } else if (f < 1.f) {
    txv->txvFog = f;
    txv->txvFlags |= SG_TXV_FOGGED;
  } else {
    txv->txvFog = 1.f;
  }
}

void ISGTspShade(const SGRenderer* rend, const SGScene* scene, const SGPage* page, std::uint32_t u, std::uint32_t v,
                 SGTxVertex* txv) {
  const std::uint8_t index = page->pagHeightLOD->phlNormals[v * scene->scnPageNumVerts + u];
  const float* n = scene->scnNormals[index];
  float sum = 0.f;
  for (std::uint32_t i = 0; i < page->pagNumLights; ++i) {
    const SGInstance* light = page->pagLights[i];
    const auto* data = static_cast<const SGLightData*>(light->instData);
    float d[3];
    for (int k = 0; k < 3; ++k) {
      d[k] = static_cast<float>(light->instPos[k] - rend->renEye[k]) - txv->txvPos[k];
    }
    const float d2 = d[0] * d[0] + d[1] * d[1] + d[2] * d[2];
    // A light standing on the vertex has no direction to it.
    if (d2 > 0.f) {
      const float term = scene->scnTerrTexU * data->ltIntensity / d2 * (d[0] * n[0] + d[1] * n[1] + d[2] * n[2]);
      sum += term > 0.f ? term : 0.f;
    }
  }
  if ((scene->scnFlags & SG_SCN_FLAG_LIGHT_SHADES) != 0) {
    // A ceiling of clouds (heights not turned down) is lit as the ground it covers.
    const SGScene* lit = (scene->scnFlags & SG_SCN_FLAG_SUB_SCENE) != 0 && scene->scnHeightScale >= 0.f &&
                                 scene->scnSuperScene != nullptr
                             ? scene->scnSuperScene
                             : scene;
    if (lit->scnShadeTable != nullptr) {
      sum += lit->scnShadeTable[index];
    }
  }
  if (sum > 0.f) {
    txv->txvFlags |= SG_TXV_SHADED;
    txv->txvShade = sum;
  }
}

SGError ISGTspGhost(SGRenderer* rend, std::uint32_t mode, const SGTerrVertSlot* slot, SGTerrVertSlot* target,
                    std::uint32_t stamp) {
  SGTxVertex* t = nullptr;
  const SGError err = ISGRendererNewTxVert(rend, &t);
  if (err != SG_ERROR_NONE) {
    return err;
  }
  *t = *slot->tvXVert;
  t->txvConverted = 0;
  t->txvTexture = nullptr;
  if ((mode & 0x1) != 0) {
    t->txvUV[0] = 1.f - t->txvUV[0];
  }
  if ((mode & 0x2) != 0) {
    t->txvUV[1] = 1.f - t->txvUV[1];
  }
  target->tvXVert = t;
  target->tvTimeStamp = stamp;
  return SG_ERROR_NONE;
}
