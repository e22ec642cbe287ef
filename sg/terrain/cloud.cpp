// The cloud cover: a sub-scene drawn as a ceiling from below, as ground from
// above, and as flickering fog from inside the layer.

#include <cmath>

#include "sg/core/malloc.h"
#include "sg/cull/cull.h"
#include "sg/fb/framebuffer.h"
#include "sg/fb/lut.h"
#include "sg/instance/instance.h"
#include "sg/query/terrainquery.h"
#include "sg/render/instsort.h"
#include "sg/render/renderer.h"
#include "sg/scene/scene.h"
#include "sg/scene/scenerandom.h"
#include "sg/terrain/lod.h"
#include "sg/terrain/terrain.h"

namespace {

// The sub-scene's terrain height under the camera, or `fallback` when it has none there.
double HeightUnder(SGScene* sub, const SGInstance* camera, double fallback) {
  double h = fallback;
  if (ISGTerrainHeight(sub, camera->instPos, &h) != SG_COLLIDE_TERRAIN) {
    h = fallback;
  }
  return h;
}

// Draws the sub-scene from the camera lowered to the cover, then gives the
// camera back to the scene and the renderer back to the scene's frame (the
// sub-scene's frame set its own LOD scale and yon).
SGError DrawSub(SGRenderer* rend, SGScene* scene, SGInstance* camera) {
  SGScene* sub = scene->scnSubScene;
  const SGMatrix xform = rend->renXform;
  SGViewData* vi = rend->renViewData;
  const float yon = vi != nullptr ? vi->viYon : 0.f;
  const SGLODState* lod = rend->renLOD;
  const float distScale = lod != nullptr ? lod->lodDistScale : 0.f;
  const double z = camera->instPos[2];
  camera->instPos[2] = z - scene->scnCover.covHeight;
  const SGError err = SGSceneDraw(rend, sub, camera);
  camera->instPos[2] = z;
  if (vi != nullptr) {
    vi->viYon = yon;
  }
  if (lod != nullptr && rend->renLOD == lod) {
    rend->renLOD->lodDistScale = distScale;
  }
  SGSceneAddInstance(scene, camera);
  ISGRendererSetCamera(rend, camera);
  const SGError setup = ISGRendererSetupCamera(rend, camera);
  rend->renXform = xform;
  ISGSceneSetClipPlanes(rend, scene);
  rend->renFlags |= SG_REND_FLAG_FRAME_OPEN;
  return err != SG_ERROR_NONE ? err : setup;
}

// A sub-scene is drawn without its own instance update; one with fog of its
// own gets it here, from the cover.
SGError UpdateSubInstances(SGRenderer* rend, SGScene* sub) {
  return (sub->scnFlags & SG_SCN_FLAG_OWN_FOG) != 0 ? ISGSceneUpdateInstances(rend, sub) : SG_ERROR_NONE;
}

// How deep inside the layer the camera is, in depths of the layer; a layer
// without depth has no measure of it and takes the middle.
float FogParameter(double inside, float depth) { return depth > 0.f ? static_cast<float>(inside / depth) : 0.f; }

SGError SetCoverFlag(SGScene* scene, std::uint32_t bit, std::uint32_t on) {
  scene->scnCover.covFlags = on != 0 ? scene->scnCover.covFlags | bit : scene->scnCover.covFlags & ~bit;
  return SG_ERROR_NONE;
}

}  // namespace

float ISGCloudFogFactor(float parameter, std::uint32_t random) {
  const float f = parameter * (static_cast<float>(random) * 3.051851e-5f) * 0.5f + 0.5f;
  return f <= 0.f ? 0.1f : f;
}

SGError SGSceneCloudsOn(SGScene* scene) {
  if (scene->scnSubScene != nullptr) {
    scene->scnFlags |= SG_SCN_FLAG_COVERED;
  }
  return SG_ERROR_NONE;
}

SGError SGSceneCloudsOff(SGScene* scene) {
  scene->scnFlags &= ~SG_SCN_FLAG_COVERED;
  return SG_ERROR_NONE;
}

SGError SGSceneAttachSubScene(SGScene* scene, SGScene* sub) {
  scene->scnSubScene = sub;
  sub->scnSuperScene = scene;
  sub->scnFlags |= SG_SCN_FLAG_SUB_SCENE;
  sub->scnCover.covScale[0] = scene->scnCover.covScale[0];
  sub->scnCover.covScale[1] = scene->scnCover.covScale[1];
  sub->scnCloudParams[0] = scene->scnCloudParams[0];
  sub->scnCloudParams[1] = scene->scnCloudParams[1];
  if (scene->scnLODAdjust != nullptr) {
    return SGSceneCopyLODAdjust(sub, scene);
  }
  if (sub->scnLODAdjust != nullptr) {
    return SGSceneCopyLODAdjust(scene, sub);
  }
  return SG_ERROR_NONE;
}

SGError SGSceneSetCoverHeight(SGScene* scene, float height, float bottom) {
  if (!(height >= bottom)) {
    return SG_ERROR_UNSUPPORTED;
  }
  scene->scnCover.covHeight = height;
  scene->scnCover.covBot = bottom;
  return SG_ERROR_NONE;
}

SGError SGSceneSetCoverThreshold(SGScene* scene, float value) {
  scene->scnCover.covThreshold = value;
  return SG_ERROR_NONE;
}

SGError SGSceneSetCoverDepth(SGScene* scene, float value) {
  scene->scnCover.covDepth = value;
  return SG_ERROR_NONE;
}

SGError SGSceneSetCoverColour(SGScene* scene, std::uint32_t colour) {
  scene->scnCover.covColour = colour;
  return SG_ERROR_NONE;
}

SGError SGSceneSetCoverFogTable(SGScene* scene, std::uint8_t* table) {
  if (table != scene->scnCover.covFogTable) {
    SGFree(scene->scnCover.covFogTable);
  }
  scene->scnCover.covFogTable = table;
  return SG_ERROR_NONE;
}

SGError SGSceneBuildCoverFog(SGRenderer* rend, SGScene* scene) {
  return SGRendererBuildFogLUT(rend, 0, scene->scnCover.covColour, &scene->scnCover.covFogTable);
}

SGError SGSceneSetCoverScales(SGScene* scene, float a, float b) {
  scene->scnCover.covScale[0] = a;
  scene->scnCover.covScale[1] = b;
  if (scene->scnSubScene != nullptr) {
    scene->scnSubScene->scnCover.covScale[0] = a;
    scene->scnSubScene->scnCover.covScale[1] = b;
  }
  return SG_ERROR_NONE;
}

SGError SGSceneSetCoverFlag1(SGScene* scene, std::uint32_t on) { return SetCoverFlag(scene, 0x1, on); }
SGError SGSceneSetCoverFlag2(SGScene* scene, std::uint32_t on) { return SetCoverFlag(scene, 0x2, on); }
SGError SGSceneSetCoverFlag4(SGScene* scene, std::uint32_t on) { return SetCoverFlag(scene, 0x4, on); }

SGError ISGCloudFog(SGRenderer* rend, SGScene* scene, float parameter) {
  const SGCloudCover& cov = scene->scnCover;
  const float f = ISGCloudFogFactor(parameter, ISGSceneRandom(scene));
  const float g = 1.f - f;
  const SGFrameBuffer* fb = rend->renFrameBuffer;
  std::uint32_t colour = cov.covColour;
  if (fb->fbMode != SG_FB_MODE_IDX) {
    colour = 0xFF;
    for (int shift = 8; shift < 32; shift += 8) {
      const float fog = static_cast<float>((rend->renFogColour >> shift) & 0xFF);
      const float cloud = static_cast<float>((cov.covColour >> shift) & 0xFF);
      const auto byte =
          static_cast<std::uint32_t>(std::trunc(fog * f)) + static_cast<std::uint32_t>(std::trunc(cloud * g));
      colour |= (byte > 255 ? 255 : byte) << shift;
    }
  } else if (cov.covFogTable != nullptr) {
    const std::uint32_t row = static_cast<std::uint32_t>(std::trunc(g * 4095.f)) & 0xF00;
    colour = (cov.covColour & ~0xFFu) | cov.covFogTable[row | (rend->renFogColour & 0xFF)];
  }
  const SGViewData* vi = rend->renViewData;
  if (fb->fbMode != SG_FB_MODE_RGB && cov.covFogTable == nullptr) {
    return SGFrameBufferClearRegion(rend->renFrameBuffer, vi->viOrigin[0], vi->viOrigin[1], vi->viSize[0],
                                    vi->viSize[1], colour);
  }
  const float far = std::fmin(std::fmax(vi->viMaxYon * f, 0.f), vi->viMaxYon);
  return SGRendererOverrideFog(rend, scene, colour, cov.covFogTable, far, 2.f * far, 1);
}

SGError ISGCloudDrawBelow(SGRenderer* rend, SGScene* scene, SGInstance* camera) {
  SGScene* sub = scene->scnSubScene;
  const SGCloudCover& cov = scene->scnCover;
  const double z = camera->instPos[2];
  if ((sub->scnFlags & SG_SCN_FLAG_INSIDE) != 0) {
    return SG_ERROR_NONE;
  }
  if (z <= cov.covHeight) {
    double h = HeightUnder(sub, camera, z);
    if (h > cov.covThreshold) {
      h = cov.covBot * h + cov.covHeight;
      if (z + cov.covDepth > h) {
        return ISGCloudFog(rend, scene, FogParameter(h - z, cov.covDepth));
      }
    }
    SGError err = SG_ERROR_NONE;
    if ((cov.covFlags & 0x1) != 0) {
      ISGCullClearFogFlag(sub->scnCullRoot);
      err = DrawSub(rend, scene, camera);
      ISGCullSetFogFlag(sub->scnCullRoot);
    }
    if (err == SG_ERROR_NONE) {
      // The scale is put back as it was, not divided again: a bottom factor
      // of 0 (a flat ceiling) must not leave the sub-scene's heights infinite.
      const float scale = sub->scnHeightScale;
      sub->scnFlags |= SG_SCN_FLAG_REVERSED;
      sub->scnHeightScale = scale * cov.covBot;
      err = DrawSub(rend, scene, camera);
      sub->scnHeightScale = scale;
      sub->scnFlags &= ~SG_SCN_FLAG_REVERSED;
    }
    return err;
  }
  const double h = HeightUnder(sub, camera, 0.0);
  if (h > cov.covThreshold) {
    const double above = z - cov.covHeight - h;
    if (cov.covDepth > above) {
      sub->scnFlags |= SG_SCN_FLAG_INSIDE;
      return ISGCloudFog(rend, scene, FogParameter(above, cov.covDepth));
    }
  }
  return UpdateSubInstances(rend, sub);
}

SGError ISGCloudDrawAbove(SGRenderer* rend, SGScene* scene, SGInstance* camera) {
  SGScene* sub = scene->scnSubScene;
  if (scene->scnCover.covHeight >= camera->instPos[2]) {
    return SG_ERROR_NONE;
  }
  if ((sub->scnFlags & SG_SCN_FLAG_INSIDE) != 0) {
    sub->scnFlags &= ~SG_SCN_FLAG_INSIDE;
    return SG_ERROR_NONE;
  }
  const SGError err = UpdateSubInstances(rend, sub);
  return err != SG_ERROR_NONE ? err : DrawSub(rend, scene, camera);
}
