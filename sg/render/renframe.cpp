// Opening and closing a frame: the camera, its viewport scale and window,
// the camera matrices, and the fog override that lives until the frame closes.

#include <cmath>

#include "sg/core/context.h"
#include "sg/core/sgassert.h"
#include "sg/d3d/d3ddevice.h"
#include "sg/fb/framebuffer.h"
#include "sg/instance/instance.h"
#include "sg/render/renderer.h"
#include "sg/scene/scene.h"
#include "sg/terrain/lod.h"

SGError ISGRendererSetCamera(SGRenderer* rend, SGInstance* camera) {
  ISG_ASSERT(camera->instType == SG_INST_TYPE_CAMERA, "renderer.c");
  for (int k = 0; k < 3; ++k) {
    rend->renEye[k] = camera->instPos[k];
  }
  ISGInstanceAddVelocity(camera, rend->renEye);
  for (int k = 0; k < 3; ++k) {
    rend->renViewDir[k] = -camera->instXform.m[2][k];
  }
  // A camera made where a destroyed one lay has the address the renderer
  // remembers but a view block of its own.
  if (camera != rend->renCamera || camera->instData != rend->renViewData) {
    rend->renCamera = camera;
    rend->renViewData = static_cast<SGViewData*>(camera->instData);
    ISGRendererApplyD3DFog(rend);
    rend->renViewData->viFlags &= ~SG_VI_SCALED;
  }
  return SG_ERROR_NONE;
}

SGError ISGRendererFitWindow(SGRenderer* rend, SGInstance* camera) {
  const SGViewData* vi = static_cast<const SGViewData*>(camera->instData);
  const float x = static_cast<float>(vi->viOrigin[0]);
  const float y = static_cast<float>(vi->viOrigin[1]);
  const float w = static_cast<float>(vi->viSize[0]);
  const float h = static_cast<float>(vi->viSize[1]);
  const float fbw = static_cast<float>(rend->renFrameBuffer->fbWidth);
  const float fbh = static_cast<float>(rend->renFrameBuffer->fbHeight);
  if (!(w > 0.f && h > 0.f) || x >= fbw || y >= fbh || x + w <= 0.f || y + h <= 0.f) {
    // No pixel of the viewport lies in the frame buffer: a frame of it would
    // write nothing but outside the buffer, so none is drawn.
    return SG_ERROR_UNSUPPORTED;
  }
  if (x >= 0.f && y >= 0.f && x + w <= fbw && y + h <= fbh) {
    return SG_ERROR_NONE;
  }
  float lowX = std::fmax(0.f, -x / w);
  float lowY = std::fmax(0.f, -y / h);
  float hiX = std::fmin(1.f, (fbw - x) / w);
  float hiY = std::fmin(1.f, (fbh - y) / h);
  if ((vi->viFlags & SG_VI_WINDOW) != 0) {
    lowX = std::fmax(lowX, (vi->viWindowLo[0] + 1.f) / 2.f);
    lowY = std::fmax(lowY, (vi->viWindowLo[1] + 1.f) / 2.f);
    hiX = std::fmin(hiX, (vi->viWindowHi[0] + 1.f) / 2.f);
    hiY = std::fmin(hiY, (vi->viWindowHi[1] + 1.f) / 2.f);
  }
  return SGInstanceSetViewWindow(camera, lowX, hiX, lowY, hiY);
}

SGError ISGRendererSetupCamera(SGRenderer* rend, SGInstance* camera) {
  const SGViewData* vi = static_cast<const SGViewData*>(camera->instData);
  SGMatrix projection;
  SGMatrixPerspective(&projection, vi->viFov, vi->viAspect, vi->viHither, vi->viYon);
  SGMatrix view;
  SGMatrixIdentity(&view);
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 3; ++c) {
      view.m[c][r] = camera->instXform.m[r][c];
    }
  }
  rend->renCameraXform = projection;
  if (rend->renD3D != nullptr) {
    ISGD3DSetViewMatrix(rend, &view.m[0][0]);
    ISGD3DSetProjectionMatrix(rend);
  }
  SGMatrixMultiplyAffineInPlace(&rend->renCameraXform, &view);
  rend->renViewXform = view;
  for (int r = 0; r < 4; ++r) {
    rend->renCameraXform.m[r][1] = -rend->renCameraXform.m[r][1];
  }
  const SGError err = SGMatrixInvert(&rend->renCameraInverse, &rend->renCameraXform);
  if (err != SG_ERROR_NONE) {
    return err;
  }
  rend->renXform = rend->renCameraXform;
  return SG_ERROR_NONE;
}

SGError ISGRendererBeginFrame(SGRenderer* rend, SGInstance* camera) {
  ISG_ASSERT(rend->renFrameBuffer, "renderer.c");
  rend->renTimeStamp = 0;
  rend->renXformStackTop = 0;
  rend->renNextQVert = 0;
  // The remembered fill points into tables and textures that may have been
  // replaced or freed since the last frame: each frame chooses afresh.
  rend->renObjMaterial = nullptr;
  SGMatrixIdentity(&rend->renXformStack[0]);
  ISGRendererSetCamera(rend, camera);
  const SGError lodErr = ISGSceneUpdateLOD(rend, camera->instScene);
  if (lodErr != SG_ERROR_NONE) {
    return lodErr;
  }
  SGViewData* vi = rend->renViewData;
  if ((vi->viFlags & SG_VI_VIEWPORT) == 0) {
    vi->viOrigin[0] = vi->viOrigin[1] = 0;
    vi->viSize[0] = static_cast<std::int32_t>(rend->renFrameBuffer->fbWidth);
    vi->viSize[1] = static_cast<std::int32_t>(rend->renFrameBuffer->fbHeight);
    vi->viFlags |= SG_VI_VIEWPORT;
  }
  if ((vi->viFlags & SG_VI_SCALED) == 0) {
    for (int k = 0; k < 2; ++k) {
      const float origin = static_cast<float>(vi->viOrigin[k]);
      const float size = static_cast<float>(vi->viSize[k]);
      if ((rend->renFlags & SG_REND_FLAG_SOFTWARE) != 0) {
        vi->viScale[k] = 16.f * size;
        vi->viOffset[k] = 32.f * origin - 16.f;
      } else if ((rend->renFlags & SG_REND_FLAG_PIXEL_CENTRED) != 0) {
        vi->viScale[k] = size / 2.f;
        vi->viOffset[k] = origin + 0.5f;
      } else {
        vi->viScale[k] = size / 2.f;
        vi->viOffset[k] = origin;
      }
    }
    const SGError err = ISGRendererFitWindow(rend, camera);
    if (err != SG_ERROR_NONE) {
      return err;
    }
    vi->viFlags |= SG_VI_SCALED;
  }
  const SGError err = ISGRendererSetupCamera(rend, camera);
  if (err != SG_ERROR_NONE) {
    return err;
  }
  constexpr std::uint32_t kBoth = SG_REND_FLAG_DEBUG_A | SG_REND_FLAG_DEBUG_B;
  if (rend->renContext != nullptr && (rend->renContext->ctxDebug & SG_CTX_DEBUG_LOG) != 0) {
    if ((rend->renFlags & kBoth) == kBoth) {
      rend->renFlags &= ~SG_REND_FLAG_DEBUG_A;
    } else if ((rend->renFlags & SG_REND_FLAG_DEBUG_B) == 0) {
      rend->renFlags |= kBoth;
    }
  } else {
    rend->renFlags &= ~kBoth;
  }
  if ((rend->renFlags & SG_REND_FLAG_FRAME_OPEN) == 0 && rend->renD3D != nullptr) {
    ISGD3DBeginScene(rend);
  }
  rend->renFlags |= SG_REND_FLAG_FRAME_OPEN;
  return SG_ERROR_NONE;
}

SGError ISGRendererEndFrame(SGRenderer* rend) {
  const SGError sceneErr = rend->renD3D != nullptr ? ISGD3DEndScene(rend) : SG_ERROR_NONE;
  rend->renFlags &= ~SG_REND_FLAG_FRAME_OPEN;
  if ((rend->renFlags & SG_REND_FLAG_FOG_OVERRIDE) != 0) {
    rend->renFogLUT = rend->renSavedFogLUT;
    rend->renFogColour = rend->renSavedFogColour;
    rend->renFogFar = rend->renSavedFogFar;
    if (rend->renFogFar > 0.f) {
      rend->renFogRecip = 1.f / rend->renFogFar;
      rend->renFlags |= SG_REND_FLAG_FOG;
    } else {
      rend->renFogRecip = 0.f;
      rend->renFlags &= ~SG_REND_FLAG_FOG;
    }
    ISGRendererApplyD3DFog(rend);
    rend->renFlags &= ~SG_REND_FLAG_FOG_OVERRIDE;
  }
  ISG_ASSERT(rend->renXformStackTop == 0, "renderer.c");
  return sceneErr;
}

SGError SGRendererOverrideFog(SGRenderer* rend, SGScene* scene, std::uint32_t colour, std::uint8_t* table, float yon,
                              float far, std::uint32_t clear) {
  if ((rend->renFlags & SG_REND_FLAG_FOG_OVERRIDE) != 0) {
    return SG_ERROR_NONE;
  }
  SGError err = ISGRendererSetupCamera(rend, rend->renCamera);
  if (err != SG_ERROR_NONE) {
    return err;
  }
  rend->renSavedFogLUT = rend->renFogLUT;
  rend->renSavedFogColour = rend->renFogColour;
  rend->renSavedFogFar = (rend->renFlags & SG_REND_FLAG_FOG) != 0 ? rend->renFogFar : 0.f;
  rend->renFogColour = colour;
  rend->renFogLUT = table;
  rend->renObjMaterial = nullptr;  // fogged fills chosen before read the old table
  rend->renFogFar = far;
  rend->renFogRecip = 1.f / far;
  rend->renFlags |= SG_REND_FLAG_FOG;
  SGViewData* vi = rend->renViewData;
  vi->viYon = yon;
  ISGSceneSetClipPlanes(rend, scene);
  if (clear != 0) {
    std::int32_t x = vi->viOrigin[0], y = vi->viOrigin[1], w = vi->viSize[0], h = vi->viSize[1];
    if ((vi->viFlags & SG_VI_WINDOW) != 0) {
      const float fw = static_cast<float>(w), fh = static_cast<float>(h);
      x += static_cast<std::int32_t>(std::lround((vi->viWindowLo[0] + 1.f) / 2.f * fw));
      y += static_cast<std::int32_t>(std::lround((vi->viWindowLo[1] + 1.f) / 2.f * fh));
      w = static_cast<std::int32_t>(std::lround(fw * (vi->viWindowHi[0] - vi->viWindowLo[0]) / 2.f));
      h = static_cast<std::int32_t>(std::lround(fh * (vi->viWindowHi[1] - vi->viWindowLo[1]) / 2.f));
    }
    err = SGFrameBufferClearRegion(rend->renFrameBuffer, x, y, w, h, colour);
    if (err != SG_ERROR_NONE) {
      return err;
    }
  }
  ISGRendererApplyD3DFog(rend);
  rend->renFlags |= SG_REND_FLAG_FOG_OVERRIDE;
  return SG_ERROR_NONE;
}
