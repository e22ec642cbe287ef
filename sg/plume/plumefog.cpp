// The eye inside a plume's trail, the fog that shows it, and the thinning of
// distant nodes.

#include <cmath>

#include "sg/core/sgassert.h"
#include "sg/fb/framebuffer.h"
#include "sg/instance/instance.h"
#include "sg/plume/plume.h"
#include "sg/plume/plumegeom.h"
#include "sg/render/renderer.h"
#include "sg/scene/scene.h"
#include "sg/scene/scenerandom.h"
#include "sg/terrain/lod.h"

namespace {

// 1 (with the fog set) when the eye lies within the trail's width of the node's axis.
std::uint32_t EyeInside(SGRenderer* rend, SGScene* scene, SGPlume* plm, SGPlumeNode* node, const float e1[3],
                        float a1) {
  const float age = static_cast<float>(static_cast<std::int64_t>(plm->plmTimeStamp) - node->pndTimeStamp);
  const float w = age * plm->plmWidthGrowth + plm->plmHalfWidth;
  const float p2 = e1[0] * e1[0] + e1[1] * e1[1] + e1[2] * e1[2] - a1 * a1;
  if (p2 >= w * w) {
    return 0;
  }
  ISGPlumeFogInside(rend, scene, plm, node, p2 / (w * w));
  return 1;
}

void EyeOffset(const SGRenderer* rend, const SGPlumeNode* node, float out[3]) {
  for (int k = 0; k < 3; ++k) {
    out[k] = static_cast<float>(rend->renEye[k] - node->pndPos[k]);
  }
}

float Along(const float e[3], const float dir[3]) { return e[0] * dir[0] + e[1] * dir[1] + e[2] * dir[2]; }

std::uint8_t Byte(std::uint32_t word, int i) { return static_cast<std::uint8_t>(word >> (8 * i)); }

}  // namespace

std::uint32_t ISGPlumeEyeInSegment(SGRenderer* rend, SGScene* scene, SGPlume* plm, SGPlumeNode* node,
                                   SGPlumeNode* newer) {
  float e1[3];
  float e2[3];
  EyeOffset(rend, node, e1);
  EyeOffset(rend, newer, e2);
  const float a1 = Along(e1, node->pndDir);
  const float a2 = Along(e2, node->pndDir);
  if (a1 * a2 >= 0.f) {
    return 0;  // the eye is not between the two nodes
  }
  return EyeInside(rend, scene, plm, node, e1, a1);
}

std::uint32_t ISGPlumeEyeInTube(SGRenderer* rend, SGScene* scene, SGPlume* plm, SGPlumeNode* node) {
  float e1[3];
  EyeOffset(rend, node, e1);
  return EyeInside(rend, scene, plm, node, e1, Along(e1, node->pndDir));
}

SGError ISGPlumeFogInside(SGRenderer* rend, SGScene* scene, SGPlume* plm, SGPlumeNode* node, float depth) {
  const float fran = static_cast<float>(ISGSceneRandom(scene)) * 3.051851e-5f;
  float invDensity = depth * fran * 0.5f + 0.5f;  // a flicker, deeper inside the trail
  ISG_ASSERT(fran >= 0.f, "plume");
  ISG_ASSERT(invDensity >= 0.f, "plume");
  const std::int64_t age = static_cast<std::int64_t>(plm->plmTimeStamp) - node->pndTimeStamp;
  if ((plm->plmFlags & SG_PLM_FLAG_MAX_AGE) != 0 && age > plm->plmMaxAge && plm->plmLength > plm->plmMaxAge) {
    invDensity += static_cast<float>(age - plm->plmMaxAge) / static_cast<float>(plm->plmLength - plm->plmMaxAge) * 0.5f;
    invDensity = std::fmin(invDensity, 1.f);
  }
  const SGFrameBuffer* fb = rend->renFrameBuffer;
  std::uint32_t colour = 0;
  if (fb->fbMode != SG_FB_MODE_IDX) {
    const std::uint32_t smoke = plm->plmNumMats > 0 ? plm->plmMats[0]->matColour : 0;
    colour = 255;
    for (int i = 1; i < 4; ++i) {
      const auto mixed = static_cast<std::uint32_t>(static_cast<float>(Byte(rend->renFogColour, i)) * invDensity) +
                         static_cast<std::uint32_t>(static_cast<float>(Byte(smoke, i)) * (1.f - invDensity));
      colour |= (mixed > 255 ? 255 : mixed) << (8 * i);
    }
  } else if (plm->plmFogLUT != nullptr) {
    const auto row = static_cast<std::uint32_t>((1.f - invDensity) * 4095.f) & 0xF00;
    colour = plm->plmFogLUT[row | Byte(rend->renFogColour, 0)];
  }
  if (fb->fbMode != SG_FB_MODE_RGB && plm->plmFogLUT == nullptr) {
    return SG_ERROR_NONE;  // nothing to fog with on this buffer
  }
  const float fogYon = rend->renViewData->viMaxYon * invDensity;
  ISG_ASSERT((fogYon <= rend->renViewData->viMaxYon) && (fogYon >= 0.f), "plume");
  SGRendererOverrideFog(rend, scene, colour, plm->plmFogLUT, fogYon, 2.f * fogYon, 1);
  return SG_ERROR_NONE;
}

SGError ISGPlumeNodeLOD(SGRenderer* rend, SGPlume* plm, SGPlumeNode* node, std::uint32_t* level) {
  *level = 0;
  const SGLODState* lod = rend->renLOD;
  if (lod == nullptr || plm->plmLODScale <= 0.f || lod->lodLUT == nullptr) {
    return SG_ERROR_NONE;
  }
  float d2 = 0.f;
  for (int k = 0; k < 3; ++k) {
    const auto d = static_cast<float>(rend->renEye[k] - node->pndPos[k]);
    d2 += d * d;
  }
  const float s = d2 * plm->plmLODScale;
  *level = s >= static_cast<float>(lod->lodLUTLen) ? lod->lodLast : lod->lodLUT[static_cast<std::uint32_t>(s)];
  return SG_ERROR_NONE;
}
