// The terrain's two steps in a scene's frame.

#include <utility>

#include "sg/core/stopwatch.h"
#include "sg/render/instsort.h"
#include "sg/render/renderer.h"
#include "sg/scene/scene.h"
#include "sg/terrain/lod.h"
#include "sg/terrain/page.h"
#include "sg/terrain/terrain.h"

namespace {

// Exchanges the scene's own fog with the renderer's (both ways alike).
void SwapFog(SGRenderer* rend, SGScene* scene) {
  std::swap(rend->renFogColour, scene->scnFogColour);
  std::swap(rend->renFogFar, scene->scnFogFar);
  std::swap(rend->renFogRecip, scene->scnFogFarRecip);
  std::swap(rend->renFogLUT, scene->scnFogLUT);
  rend->renFlags = rend->renFogFar > 0.f ? rend->renFlags | SG_REND_FLAG_FOG : rend->renFlags & ~SG_REND_FLAG_FOG;
  // Fills chosen before read the other table.
  rend->renObjMaterial = nullptr;
}

bool Covered(const SGScene* scene) {
  return (scene->scnFlags & SG_SCN_FLAG_COVERED) != 0 && scene->scnSubScene != nullptr;
}

}  // namespace

SGError ISGTerrainFrameDraw(SGRenderer* rend, SGScene* scene, SGInstance* camera, bool* instancesDrawn) {
  *instancesDrawn = false;
  if (Covered(scene)) {
    const SGError err = ISGCloudDrawBelow(rend, scene, camera);
    if (err != SG_ERROR_NONE) {
      return err;
    }
  }
  if ((scene->scnFlags & SG_SCN_FLAG_TERRAIN) == 0) {
    return SG_ERROR_NONE;
  }
  SGError err = ISGSceneFillCache(scene, rend->renEye);
  if (err != SG_ERROR_NONE) {
    return err;
  }
  // Seen from above a cover that hides what lies below, the ground is not drawn.
  if (Covered(scene) && (scene->scnCover.covFlags & 0x6) != 0 && rend->renEye[2] > scene->scnCover.covHeight) {
    return SG_ERROR_NONE;
  }
  err = ISGSceneBuildInstVector(rend, scene);
  if (err != SG_ERROR_NONE) {
    return err;
  }
  *instancesDrawn = true;
  // A scene with fog of its own draws its terrain and instances in it.
  const bool ownFog = (scene->scnFlags & SG_SCN_FLAG_OWN_FOG) != 0;
  const bool fogOn = (rend->renFlags & SG_REND_FLAG_FOG) != 0;
  if (ownFog) {
    SwapFog(rend, scene);
  }
  err = ISGTerrainDraw(rend, scene, true);
  if (ownFog) {
    SwapFog(rend, scene);
    rend->renFlags = fogOn ? rend->renFlags | SG_REND_FLAG_FOG : rend->renFlags & ~SG_REND_FLAG_FOG;
  }
  return err;
}

SGError ISGTerrainFrameEnd(SGRenderer* rend, SGScene* scene, SGInstance* camera) {
  SGError err = SG_ERROR_NONE;
  if (Covered(scene)) {
    err = ISGCloudDrawAbove(rend, scene, camera);
  }
  const SGLODAdjust* laj = scene->scnLODAdjust;
  if ((scene->scnFlags & SG_SCN_FLAG_SUB_SCENE) == 0 && laj != nullptr &&
      (laj->lajFlags & SG_LAJ_FLAG_TIME_BASE) != 0 && laj->lajTimer != nullptr) {
    ISGStopwatchStop(laj->lajTimer);
  }
  return err;
}
