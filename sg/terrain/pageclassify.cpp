// Once per frame and page: is it visible, does it need clipping or the cull
// objects, does fog reach it, which lights reach it. And the view test of a
// whole row of the terrain walk.

#include <cmath>

#include "sg/core/malloc.h"
#include "sg/cull/cullterrain.h"
#include "sg/instance/instance.h"
#include "sg/render/renderer.h"
#include "sg/scene/scene.h"
#include "sg/terrain/page.h"
#include "sg/terrain/strip.h"

namespace {

constexpr std::uint32_t kLighting = 0x10;  // renderer option: lights are applied

float Side(const float* plane, const float p[3]) {
  return plane[0] * p[0] + plane[1] * p[1] + plane[2] * p[2] - plane[3];
}

// The eight corners of the page's height box, eye-relative.
void Corners(const SGScene* scene, const SGPage* page, float out[8][3]) {
  const SGPageHeightInfo* phi = page->pagHeightInfo;
  for (int i = 0; i < 8; ++i) {
    out[i][0] = page->pagEyeOrigin[0] + ((i & 1) != 0 ? scene->scnPageSize : 0.f);
    out[i][1] = page->pagEyeOrigin[1] + ((i & 2) != 0 ? scene->scnPageSize : 0.f);
    out[i][2] = page->pagEyeOrigin[2] + ((i & 4) != 0 ? phi->phiFloor : phi->phiCeiling);
  }
}

void TestFrustum(const SGRenderer* rend, const SGScene* scene, SGPage* page, const float corners[8][3]) {
  const SGPageHeightInfo* phi = page->pagHeightInfo;
  const float half = scene->scnPageSize / 2.f;
  const float halfHeight = (phi->phiCeiling - phi->phiFloor) / 2.f;
  const float centre[3] = {page->pagEyeOrigin[0] + half, page->pagEyeOrigin[1] + half,
                           page->pagEyeOrigin[2] + phi->phiFloor + halfHeight};
  const float radius = std::sqrt(scene->scnPageSize * scene->scnPageSize / 2.f + halfHeight * halfHeight);
  for (std::uint32_t p = 0; p < 6; ++p) {
    const float* plane = rend->renClipPlanes[p];
    const float d = Side(plane, centre);
    if (d >= radius) {
      page->pagFlags |= SG_PAGE_FLAG_CULLED;
      return;
    }
    if (d <= -radius) {
      continue;
    }
    int outside = 0;
    for (int i = 0; i < 8; ++i) {
      outside += Side(plane, corners[i]) >= 0.f ? 1 : 0;
    }
    if (outside == 8) {
      page->pagFlags |= SG_PAGE_FLAG_CULLED;
      return;
    }
    if (outside != 0) {
      page->pagFlags |= SG_PAGE_FLAG_CLIP | (p == 1 ? SG_PAGE_FLAG_CLIP_FAR : 0);
    }
  }
}

SGError GatherLights(const SGRenderer* rend, const SGScene* scene, SGPage* page, const float corners[8][3]) {
  page->pagNumLights = 0;
  if ((rend->renFlags & kLighting) == 0) {
    return SG_ERROR_NONE;
  }
  const SGScene* owner =
      (scene->scnFlags & SG_SCN_FLAG_SUB_SCENE) != 0 && scene->scnSuperScene != nullptr ? scene->scnSuperScene : scene;
  for (SGInstance* light = owner->scnLights; light != nullptr; light = light->instScnNext) {
    const auto* data = static_cast<const SGLightData*>(light->instData);
    if (data == nullptr || (light->instFlags & SG_INST_CULLED) != 0) {
      continue;
    }
    if (data->ltKind == SG_LIGHT_DIRECTIONAL) {
      if ((scene->scnFlags & SG_SCN_FLAG_LIGHT_SHADES) != 0) {
        page->pagFlags |= SG_PAGE_FLAG_LIT;
      }
      continue;
    }
    if (data->ltKind != SG_LIGHT_POSITIONED) {
      continue;
    }
    const float at[3] = {static_cast<float>(light->instPos[0] - rend->renEye[0]),
                         static_cast<float>(light->instPos[1] - rend->renEye[1]),
                         static_cast<float>(light->instPos[2] - rend->renEye[2])};
    bool reaches = at[0] >= page->pagEyeOrigin[0] && at[0] <= page->pagEyeOrigin[0] + scene->scnPageSize &&
                   at[1] >= page->pagEyeOrigin[1] && at[1] <= page->pagEyeOrigin[1] + scene->scnPageSize;
    if (!reaches) {
      const float k = scene->scnTerrTexU * data->ltIntensity;
      float best = 0.f;
      for (int i = 0; i < 8; ++i) {
        const float dx = corners[i][0] - at[0], dy = corners[i][1] - at[1], dz = corners[i][2] - at[2];
        const float d2 = dx * dx + dy * dy + dz * dz;
        best = d2 > 0.f ? std::fmax(best, k * k / d2) : best;
      }
      reaches = std::trunc(std::sqrt(best) * 16.f) > 0.f;
    }
    if (reaches) {
      const SGError err = ISGPageAddLight(page, light);
      if (err != SG_ERROR_NONE) {
        return err;
      }
    }
  }
  return SG_ERROR_NONE;
}

}  // namespace

void ISGPageSetEyeOrigin(const SGRenderer* rend, SGPage* page) {
  page->pagEyeOrigin[0] = static_cast<float>(page->pagNearOrigin[0] - rend->renEye[0]);
  page->pagEyeOrigin[1] = static_cast<float>(page->pagNearOrigin[1] - rend->renEye[1]);
  page->pagEyeOrigin[2] = static_cast<float>(-rend->renEye[2]);
}

SGError ISGPageAddLight(SGPage* page, SGInstance* light) {
  if (page->pagNumLights == page->pagNumLightsAlloc) {
    const std::uint32_t grown = page->pagNumLightsAlloc == 0 ? 1 : 2 * page->pagNumLightsAlloc;
    auto* lights = static_cast<SGInstance**>(SGRealloc(page->pagLights, grown * sizeof(SGInstance*)));
    if (lights == nullptr) {
      return SG_ERROR_NO_MEMORY;
    }
    page->pagLights = lights;
    page->pagNumLightsAlloc = grown;
  }
  page->pagLights[page->pagNumLights++] = light;
  page->pagFlags |= SG_PAGE_FLAG_LIT;
  return SG_ERROR_NONE;
}

SGError ISGPageClassify(SGRenderer* rend, SGScene* scene, SGPage* page) {
  if (page->pagTimeStamp == rend->renTimeStamp) {
    return SG_ERROR_NONE;
  }
  page->pagFlags &= 0xFFFF;
  float corners[8][3];
  Corners(scene, page, corners);
  TestFrustum(rend, scene, page, corners);
  if ((page->pagFlags & SG_PAGE_FLAG_CULLED) == 0 && scene->scnCullRoot != nullptr) {
    ISGCullStateClear(page->pagCullState);
    const std::uint32_t code = ISGCullClassifyPageBox(scene->scnCullRoot, scene, page);
    if (code == 3) {
      page->pagFlags |= SG_PAGE_FLAG_CULLED;
    } else if (code == 1) {
      page->pagFlags |= SG_PAGE_FLAG_CULL_PARTIAL;
    }
  }
  if ((page->pagFlags & SG_PAGE_FLAG_CULLED) == 0) {
    if ((rend->renFlags & SG_REND_FLAG_FOG) != 0 && rend->renViewData != nullptr) {
      const float start = rend->renViewData->viYon - rend->renFogFar;
      const float* dir = rend->renViewDir;
      for (const auto& c : corners) {
        if (c[0] * dir[0] + c[1] * dir[1] + c[2] * dir[2] > start) {
          page->pagFlags |= SG_PAGE_FLAG_FOGGED;
          break;
        }
      }
    }
    const SGError err = GatherLights(rend, scene, page, corners);
    if (err != SG_ERROR_NONE) {
      return err;
    }
  }
  page->pagTimeStamp = rend->renTimeStamp;
  return SG_ERROR_NONE;
}

void ISGStripTestFrustum(const SGRenderer* rend, const SGScene* scene, SGTerrainRow* row) {
  row->rowFlags &= ~(SG_STRIP_FLAG_CLIP | SG_STRIP_FLAG_SKIP);
  const float low = scene->scnCacheFloor - static_cast<float>(rend->renEye[2]);
  const float high = scene->scnCacheCeiling - static_cast<float>(rend->renEye[2]);
  float corners[8][3];
  for (int i = 0; i < 8; ++i) {
    const float along = (i & 1) != 0 ? row->rowEnd : row->rowStart[row->rowAlongX != 0 ? 0 : 1];
    const float across = row->rowStart[row->rowAlongX != 0 ? 1 : 0] + ((i & 2) != 0 ? row->rowDepth : 0.f);
    corners[i][0] = row->rowAlongX != 0 ? along : across;
    corners[i][1] = row->rowAlongX != 0 ? across : along;
    corners[i][2] = (i & 4) != 0 ? low : high;
  }
  bool some = false;
  for (std::uint32_t p = 0; p < 6; ++p) {
    int outside = 0;
    for (const auto& c : corners) {
      outside += Side(rend->renClipPlanes[p], c) > 0.f ? 1 : 0;
    }
    if (outside == 8) {
      row->rowFlags |= SG_STRIP_FLAG_SKIP;
      return;
    }
    some = some || outside != 0;
  }
  if (some) {
    row->rowFlags |= SG_STRIP_FLAG_CLIP;
  }
}
