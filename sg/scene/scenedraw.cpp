// The per-frame draw of a scene and the clip planes of its camera.

#include <cmath>

#include "sg/core/context.h"
#include "sg/core/point.h"
#include "sg/cull/cull.h"
#include "sg/fb/framebuffer.h"
#include "sg/instance/instance.h"
#include "sg/render/horizon.h"
#include "sg/render/instsort.h"
#include "sg/render/renderer.h"
#include "sg/scene/culldisplay.h"
#include "sg/scene/scene.h"
#include "sg/terrain/terrain.h"

namespace {

constexpr float kDegToRad = 0.0174532925f;

// A camera-space direction in world axes.
SGPoint3s ToWorld(const SGInstance* camera, float x, float y, float z) {
  const SGMatrix& m = camera->instXform;
  return SGPoint3s{x * m.m[0][0] + y * m.m[1][0] + z * m.m[2][0], x * m.m[0][1] + y * m.m[1][1] + z * m.m[2][1],
                   x * m.m[0][2] + y * m.m[1][2] + z * m.m[2][2]};
}

// The plane through the eye and two corner directions, facing away from `inside`.
void SidePlane(float out[4], const SGPoint3s& a, const SGPoint3s& b, const SGPoint3s& inside) {
  SGPoint3s n = ISGVector3sCross(a, b);
  ISGVector3sNormalize(&n);
  if (SGPoint3sDot(&n, &inside) > 0.f) {
    n = SGPoint3s{-n.x, -n.y, -n.z};
  }
  out[0] = n.x;
  out[1] = n.y;
  out[2] = n.z;
  out[3] = 0.f;
}

void WithOrigin(SGScene* scene, SGInstance* camera, double sign) {
  if ((scene->scnFlags & SG_SCN_FLAG_ORIGIN) != 0) {
    for (int k = 0; k < 3; ++k) {
      camera->instPos[k] += sign * scene->scnOrigin[k];
    }
  }
}

constexpr std::uint32_t kCullDisplayColour = 10;

// Seen from above a cloud cover that hides the ground, nothing of the scene below shows.
bool HiddenByCover(const SGRenderer* rend, const SGScene* scene) {
  const SGCloudCover& cov = scene->scnCover;
  return (scene->scnFlags & SG_SCN_FLAG_COVERED) != 0 && (cov.covFlags & (0x2 | 0x4)) != 0 &&
         rend->renEye[2] > cov.covHeight;
}

SGError CleanUp(SGRenderer* rend, SGScene* scene, SGError status) {
  if ((scene->scnFlags & SG_SCN_FLAG_SUB_SCENE) == 0) {
    scene->scnPlumes = nullptr;
    ISGRendererResetTxVerts(rend);
  }
  ISGRendererEndFrame(rend);
  scene->scnFlags &= ~SG_SCN_FLAG_DRAWING;
  return status;
}

SGError DrawFrame(SGRenderer* rend, SGScene* scene, SGInstance* camera) {
  if (camera->instScene != scene) {
    SGInstanceRemove(camera);
    const SGError err = SGSceneAddInstance(scene, camera);
    if (err != SG_ERROR_NONE) {
      return err;
    }
  }
  ISGRendererSetCamera(rend, camera);
  ISGInstanceEyeRelative(rend, scene, camera);
  if ((scene->scnFlags & SG_SCN_FLAG_SUB_SCENE) == 0) {
    const SGError err = ISGSceneUpdateInstances(rend, scene);
    if (err != SG_ERROR_NONE) {
      return err;
    }
  }
  rend->renFrameNum += 1;
  if ((rend->renFrameNum & 0xFFFFFF) == 0xFFFFFF) {
    rend->renFrameNum = rend->renSlot << 24;
  }
  scene->scnFlags |= SG_SCN_FLAG_DRAWING;
  if ((scene->scnFlags & SG_SCN_FLAG_LOADED) == 0) {
    ISGRendererBeginFrame(rend, camera);
    return CleanUp(rend, scene, SG_ERROR_SCENE_NOT_LOADED);
  }
  SGFrameBufferBeginScene(rend->renFrameBuffer);
  SGError err = ISGRendererBeginFrame(rend, camera);
  if (err != SG_ERROR_NONE) {
    return CleanUp(rend, scene, err);
  }
  ISGSceneSetClipPlanes(rend, scene);
  if ((rend->renFlags & SG_REND_FLAG_HORIZON_SHOWN) != 0) {
    err = ISGRendererDrawBackground(rend, scene);
    if (err != SG_ERROR_NONE) {
      return CleanUp(rend, scene, err);
    }
  }
  if (scene->scnCullRoot != nullptr) {
    ISGCullPrepare(scene->scnCullRoot, rend->renEye, 0, 0);
  }
  bool instancesDrawn = false;
  err = ISGTerrainFrameDraw(rend, scene, camera, &instancesDrawn);
  if (err != SG_ERROR_NONE) {
    return CleanUp(rend, scene, err);
  }
  if (!instancesDrawn && !HiddenByCover(rend, scene)) {
    err = ISGSceneSortAndDraw(rend, scene);
    if (err != SG_ERROR_NONE) {
      return CleanUp(rend, scene, err);
    }
  }
  if (scene->scnCullRoot != nullptr && rend->renContext != nullptr &&
      (rend->renContext->ctxDebug & SG_CTX_DEBUG_DRAW) != 0) {
    ISGCullScene(rend, scene->scnCullRoot, nullptr, kCullDisplayColour);
  }
  if ((scene->scnFlags & SG_SCN_FLAG_DRAWING) == 0) {
    return CleanUp(rend, scene, SG_ERROR_ABANDONED);
  }
  err = ISGTerrainFrameEnd(rend, scene, camera);
  if (err != SG_ERROR_NONE) {
    return CleanUp(rend, scene, err);
  }
  scene->scnFlags &= ~SG_SCN_FLAG_DRAWING;
  if ((scene->scnFlags & SG_SCN_FLAG_SUB_SCENE) == 0) {
    scene->scnPlumes = nullptr;
    ISGRendererResetTxVerts(rend);
  }
  return ISGRendererEndFrame(rend);
}

}  // namespace

void ISGSceneSetClipPlanes(SGRenderer* rend, SGScene*) {
  const SGInstance* camera = rend->renCamera;
  const SGViewData* vi = rend->renViewData;
  const float h = std::tan(vi->viFov / 2.f * kDegToRad) * vi->viYon;
  const float w = h * vi->viAspect;
  float lowX = -1.f, hiX = 1.f, lowY = -1.f, hiY = 1.f;
  if ((vi->viFlags & SG_VI_WINDOW) != 0) {
    lowX = vi->viWindowLo[0];
    hiX = vi->viWindowHi[0];
    lowY = vi->viWindowLo[1];
    hiY = vi->viWindowHi[1];
  }
  // Window y runs down the screen; camera y runs up.
  const float yTop = -lowY * h;
  const float yBottom = -hiY * h;
  const SGPoint3s leftTop = ToWorld(camera, lowX * w, yTop, -vi->viYon);
  const SGPoint3s leftBottom = ToWorld(camera, lowX * w, yBottom, -vi->viYon);
  const SGPoint3s rightTop = ToWorld(camera, hiX * w, yTop, -vi->viYon);
  const SGPoint3s rightBottom = ToWorld(camera, hiX * w, yBottom, -vi->viYon);
  const SGPoint3s centre = ToWorld(camera, (lowX + hiX) / 2.f * w, (yTop + yBottom) / 2.f, -vi->viYon);
  float(*planes)[4] = rend->renClipPlanes;
  const float* dir = rend->renViewDir;
  planes[0][0] = -dir[0];
  planes[0][1] = -dir[1];
  planes[0][2] = -dir[2];
  planes[0][3] = -vi->viHither;
  planes[1][0] = dir[0];
  planes[1][1] = dir[1];
  planes[1][2] = dir[2];
  planes[1][3] = leftTop.x * dir[0] + leftTop.y * dir[1] + leftTop.z * dir[2];
  // Planes 2 to 5 match the outcodes: left, window top, right, window bottom.
  SidePlane(planes[2], leftTop, leftBottom, centre);
  SidePlane(planes[3], leftTop, rightTop, centre);
  SidePlane(planes[4], rightTop, rightBottom, centre);
  SidePlane(planes[5], leftBottom, rightBottom, centre);
}

SGError SGSceneDraw(SGRenderer* rend, SGScene* scene, SGInstance* camera) {
  if ((scene->scnFlags & SG_SCN_FLAG_DRAWING) != 0) {
    // A draw of this scene is under way (a message handler of a single-step
    // draw called back): the refusal touches nothing the outer draw uses.
    return SG_ERROR_DRAWING;
  }
  WithOrigin(scene, camera, -1.0);
  ++rend->renHoldFrameLock;
  SGError err = DrawFrame(rend, scene, camera);
  // The lock the triangles kept goes with the outermost draw, so the frame
  // buffer is left as the draw found it: unlocked, for the blits that follow.
  if (--rend->renHoldFrameLock == 0 && rend->renFrameBuffer != nullptr) {
    const SGError unlocked = SGFrameBufferUnlock(rend->renFrameBuffer);
    err = err != SG_ERROR_NONE ? err : unlocked;
  }
  WithOrigin(scene, camera, 1.0);
  return err;
}
