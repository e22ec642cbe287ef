// The horizon and background of a frame.

#include "sg/render/horizon.h"

#include <algorithm>
#include <cmath>

#include "sg/core/context.h"
#include "sg/core/malloc.h"
#include "sg/d3d/d3ddevice.h"
#include "sg/fb/framebuffer.h"
#include "sg/fb/lut.h"
#include "sg/instance/instance.h"
#include "sg/material/material.h"
#include "sg/raster/fill8.h"
#include "sg/render/primitives.h"
#include "sg/render/renderer.h"
#include "sg/scene/scene.h"

namespace {

constexpr float kDegToRad = 0.0174532925f;
constexpr std::uint32_t kMaxPoly = SG_HZ_MAX_POLY;

SGMaterial* FlatMaterial(SGRenderer* rend, std::uint32_t colour) {
  auto* mat = static_cast<SGMaterial*>(SGCalloc(1, sizeof(SGMaterial)));
  if (mat == nullptr) {
    return nullptr;
  }
  mat->matInfo = static_cast<SGMaterialInfo*>(SGCalloc(1, sizeof(SGMaterialInfo)));
  if (mat->matInfo == nullptr) {
    SGFree(mat);
    return nullptr;
  }
  const SGFrameBuffer* fb = rend->renFrameBuffer;
  if ((colour & 0xFF) == 0xFF && fb->fbColours != nullptr) {
    SGPaletteFindNearest(fb->fbColours, fb->fbColourCount, &colour);
  }
  mat->matType = SG_MAT_TYPE_FLAT;
  mat->matColour = colour;
  mat->matAmbient = 1.f;
  mat->matDiffuse = 0.f;
  if (rend->renContext != nullptr) {
    SGContextPrepareMaterial(rend->renContext, mat);
  }
  return mat;
}

}  // namespace

void ISGRendererFreeHorizon(SGRenderer* rend) {
  SGHorizon* hz = &rend->renHorizon;
  SGFree(hz->hzGroundRamp);
  SGFree(hz->hzFadeRamp);
  SGMaterialDestroy(hz->hzSkyMaterial);
  SGMaterialDestroy(hz->hzGroundMaterial);
  SGMaterialDestroy(hz->renCoverMaterial);
  if ((hz->hzFlags & SG_HZ_BACKGROUND) == 0) {
    SGMaterialDestroy(hz->hzBackgroundMaterial);
  }
  *hz = SGHorizon{};
  rend->renFlags &= ~(SG_REND_FLAG_HORIZON_SHOWN | SG_REND_FLAG_HORIZON_MADE);
}

namespace {

using Poly = SGHorizonPoly;

// The part of a convex polygon at or above (keepAbove) or at or below height h.
Poly SplitAt(const Poly& in, float h, bool keepAbove) {
  Poly out;
  for (std::uint32_t i = 0; i < in.count; ++i) {
    const float* a = in.p[i];
    const float* b = in.p[(i + 1) % in.count];
    const bool aIn = keepAbove ? a[2] >= h : a[2] <= h;
    const bool bIn = keepAbove ? b[2] >= h : b[2] <= h;
    if (aIn && out.count < kMaxPoly) {
      std::copy(a, a + 3, out.p[out.count++]);
    }
    if (aIn != bIn && out.count < kMaxPoly) {
      const float t = (h - a[2]) / (b[2] - a[2]);
      float* q = out.p[out.count++];
      for (int k = 0; k < 3; ++k) {
        q[k] = a[k] + t * (b[k] - a[k]);
      }
      q[2] = h;
    }
  }
  return out;
}

// The far rectangle of the view at `far` in eye-relative world coordinates, just inside the far plane.
Poly FarRectangle(const SGRenderer* rend, float far) {
  const SGViewData* vi = rend->renViewData;
  const SGInstance* camera = rend->renCamera;
  const float yon = far * 0.999f;
  const float h = std::tan(vi->viFov / 2.f * kDegToRad) * yon;
  const float w = h * vi->viAspect;
  float lowX = -1.f, hiX = 1.f, lowY = -1.f, hiY = 1.f;
  if ((vi->viFlags & SG_VI_WINDOW) != 0) {
    lowX = vi->viWindowLo[0];
    hiX = vi->viWindowHi[0];
    lowY = -vi->viWindowHi[1];
    hiY = -vi->viWindowLo[1];
  }
  const float corners[4][2] = {{lowX, lowY}, {hiX, lowY}, {hiX, hiY}, {lowX, hiY}};
  Poly poly;
  poly.count = 4;
  const SGMatrix& m = camera->instXform;
  for (int i = 0; i < 4; ++i) {
    const float c[3] = {corners[i][0] * w, corners[i][1] * h, -yon};
    for (int k = 0; k < 3; ++k) {
      poly.p[i][k] = c[0] * m.m[0][k] + c[1] * m.m[1][k] + c[2] * m.m[2][k];
    }
  }
  return poly;
}

// Clears the screen rows the polygon covers to the colour.
void ClearPolygon(SGRenderer* rend, SGTxVertex* const* verts, std::uint32_t count, std::uint32_t colour) {
  SGFrameBuffer* fb = rend->renFrameBuffer;
  float top = 1e30f, bottom = -1e30f;
  for (std::uint32_t i = 0; i < count; ++i) {
    top = std::fmin(top, verts[i]->txvLoc[1] / 32.f);
    bottom = std::fmax(bottom, verts[i]->txvLoc[1] / 32.f);
  }
  const auto first = static_cast<std::int32_t>(std::ceil(std::fmax(top, 0.f)));
  const auto last = static_cast<std::int32_t>(std::floor(std::fmin(bottom, static_cast<float>(fb->fbHeight) - 1.f)));
  for (std::int32_t y = first; y <= last; ++y) {
    float left = 1e30f, right = -1e30f;
    const float row = static_cast<float>(y);
    for (std::uint32_t i = 0; i < count; ++i) {
      const float* a = verts[i]->txvLoc;
      const float* b = verts[(i + 1) % count]->txvLoc;
      const float ay = a[1] / 32.f, by = b[1] / 32.f;
      if ((row < ay && row < by) || (row > ay && row > by)) {
        continue;
      }
      const float x = ay == by ? a[0] / 32.f : (a[0] + (b[0] - a[0]) * (row - ay) / (by - ay)) / 32.f;
      const float x2 = ay == by ? b[0] / 32.f : x;
      left = std::fmin(left, std::fmin(x, x2));
      right = std::fmax(right, std::fmax(x, x2));
    }
    const auto x0 = static_cast<std::int32_t>(std::ceil(std::fmax(left, 0.f)));
    const auto x1 = static_cast<std::int32_t>(std::floor(std::fmin(right, static_cast<float>(fb->fbWidth) - 1.f)));
    if (x1 >= x0) {
      SGFrameBufferClearRegion(fb, x0, y, x1 - x0 + 1, 1, colour);
    }
  }
}

// Pool vertices of the polygon, transformed, fogged by 1 - fade.
SGError MakeVertices(SGRenderer* rend, const Poly& poly, SGTxVertex** out) {
  for (std::uint32_t i = 0; i < poly.count; ++i) {
    SGTxVertex* v = nullptr;
    const SGError err = ISGRendererNewTxVert(rend, &v);
    if (err != SG_ERROR_NONE) {
      return err;
    }
    std::copy(poly.p[i], poly.p[i] + 3, v->txvPos);
    v->txvShade = 1.f;
    rend->renMethods.rmTransformVertex(rend, v);
    v->txvUV[0] = std::fmin(1.f, std::fmax(0.f, poly.fade[i]));
    v->txvFog = 1.f - v->txvUV[0];
    v->txvFlags |= SG_TXV_FOGGED;
    out[i] = v;
  }
  return SG_ERROR_NONE;
}

// Draws a fan of the material with `ramp` standing in for the fog table.
SGError DrawFan(SGRenderer* rend, SGScene* scene, SGMaterial* mat, SGTxVertex* const* verts, std::uint32_t count,
                std::uint8_t* ramp) {
  if (mat == nullptr || ramp == nullptr || count < 3) {
    return SG_ERROR_NONE;
  }
  std::uint8_t* fog = rend->renFogLUT;
  rend->renFogLUT = ramp;
  rend->renObjMaterial = nullptr;  // the remembered fill holds the other table
  SGError err = SG_ERROR_NONE;
  for (std::uint32_t i = 2; i < count && err == SG_ERROR_NONE; ++i) {
    SGTxVertex* fan[3] = {verts[0], verts[i - 1], verts[i]};
    err = rend->renMethods.rmDrawTriangle(rend, scene, mat, fan);
  }
  rend->renFogLUT = fog;
  rend->renObjMaterial = nullptr;
  return err;
}

constexpr std::uint8_t kRampOutlineColour = 127;

// Draws a fan on an indexed buffer through the dithered ramp fill, each
// vertex at the ramp entry of its fade value: hzFadeRamp while SG_HZ_RAMP_FADE
// is set, else hzGroundRamp. The fill does not clip, so a polygon reaching past
// the buffer by more than a pixel is not drawn. Each fan triangle is outlined
// under the context's drawing debug flag.
SGError DrawRampPolygon(SGRenderer* rend, SGTxVertex* const* verts, std::uint32_t count) {
  const SGHorizon* hz = &rend->renHorizon;
  const bool fade = (hz->hzFlags & SG_HZ_RAMP_FADE) != 0;
  const std::uint8_t* ramp = fade ? hz->hzFadeRamp : hz->hzGroundRamp;
  const std::uint32_t entries = fade ? hz->hzFadeRampCount : hz->hzGroundRampCount;
  if (ramp == nullptr || entries < 16 || count < 3) {
    return SG_ERROR_NONE;
  }
  SGFrameBuffer* fb = rend->renFrameBuffer;
  const auto width = static_cast<float>(fb->fbWidth);
  const auto height = static_cast<float>(fb->fbHeight);
  SGRampVertex ramped[kMaxPoly];
  for (std::uint32_t i = 0; i < count; ++i) {
    const float x = verts[i]->txvLoc[0] / 32.f;
    const float y = verts[i]->txvLoc[1] / 32.f;
    if (!(x >= -1.f && x <= width + 1.f && y >= -1.f && y <= height + 1.f)) {
      return SG_ERROR_NONE;
    }
    const float level = std::fmin(1.f, std::fmax(0.f, verts[i]->txvUV[0])) * 15.f;
    ramped[i] = SGRampVertex{static_cast<std::int32_t>(std::lround(std::fmin(std::fmax(x, 0.f), width))),
                             static_cast<std::int32_t>(std::lround(std::fmin(std::fmax(y, 0.f), height))),
                             static_cast<std::int32_t>(level * 1048576.f)};
  }
  void* pixels = nullptr;
  if (SGFrameBufferLock(fb, &pixels) == SG_ERROR_NONE) {
    for (std::uint32_t i = 2; i < count; ++i) {
      // The fan runs counter-clockwise on the screen; the fill draws clockwise triangles.
      ISGFill8RampDithered(&ramped[i], &ramped[i - 1], &ramped[0], static_cast<std::uint8_t*>(fb->fbPixels),
                           fb->fbPitch, ramp);
    }
    if (rend->renContext != nullptr && (rend->renContext->ctxDebug & SG_CTX_DEBUG_DRAW) != 0) {
      const auto xmax = static_cast<std::int32_t>(fb->fbWidth) - 1;
      const auto ymax = static_cast<std::int32_t>(fb->fbHeight) - 1;
      for (std::uint32_t i = 2; i < count; ++i) {
        const SGRampVertex* tri[3] = {&ramped[0], &ramped[i - 1], &ramped[i]};
        for (int k = 0; k < 3; ++k) {
          const SGRampVertex& p = *tri[k];
          const SGRampVertex& q = *tri[(k + 1) % 3];
          ISGLineClip8(p.x * 32, p.y * 32, q.x * 32, q.y * 32, kRampOutlineColour, fb->fbPixels, fb->fbPitch, 0, 0,
                       xmax, ymax);
        }
      }
    }
  }
  return SGFrameBufferUnlock(fb);
}

// With a Direct3D device a polygon is drawn at once by the device in the
// material, its colour running from `from` to `to` by each vertex's fade
// value; the fan is walked backwards, as it runs counter-clockwise.
SGError DrawDeviceFan(SGRenderer* rend, SGMaterial* mat, const Poly& poly, std::uint32_t from, std::uint32_t to) {
  if (mat == nullptr || poly.count < 3) {
    return SG_ERROR_NONE;
  }
  SGTxVertex* verts[kMaxPoly];
  SGError err = MakeVertices(rend, poly, verts);
  if (err != SG_ERROR_NONE) {
    return err;
  }
  // The colours carry the fade, so the device's fog stays off these polygons.
  for (std::uint32_t i = 0; i < poly.count; ++i) {
    verts[i]->txvShade = verts[i]->txvUV[0];
    verts[i]->txvFog = 1.f;
  }
  if (mat != rend->renD3D->d3dCurrMaterial) {
    err = ISGD3DSetMaterial(rend, mat, rend->renOptions & ~SG_D3D_OPT_ANTIALIAS);
    if (err != SG_ERROR_NONE) {
      return err;
    }
  }
  return ISGD3DDrawShadedFan(rend, from, to, poly.count, verts, true);
}

}  // namespace

SGError SGRendererCreateHorizon(SGRenderer* rend, std::uint32_t fade, const std::uint32_t* sky,
                                const std::uint32_t* ground) {
  if (rend->renFrameBuffer == nullptr) {
    return SG_ERROR_NO_FRAME_BUFFER;
  }
  // The ground words given by SGRendererSetHorizonColours outlive a new horizon.
  const std::int32_t groundIndex = rend->renHorizon.hzGroundIndex;
  const std::int32_t groundD3DColour = rend->renHorizon.hzGroundD3DColour;
  ISGRendererFreeHorizon(rend);
  SGHorizon* hz = &rend->renHorizon;
  hz->hzGroundIndex = groundIndex;
  hz->hzGroundD3DColour = groundD3DColour;
  hz->hzSkyColour = *sky;
  hz->hzGroundColour = *ground;
  hz->hzTanAngle = 0.f;
  hz->hzFade = -1.f;
  hz->hzSkyMaterial = FlatMaterial(rend, *sky);
  hz->hzGroundMaterial =
      FlatMaterial(rend, (rend->renFogColour & ~0xFFu) | (static_cast<std::uint32_t>(hz->hzGroundIndex) & 0xFF));
  hz->hzBackgroundMaterial = FlatMaterial(rend, 0xFFFFFF00u | 0xFF);
  if (hz->hzSkyMaterial == nullptr || hz->hzGroundMaterial == nullptr || hz->hzBackgroundMaterial == nullptr) {
    ISGRendererFreeHorizon(rend);
    return SG_ERROR_NO_MEMORY;
  }
  rend->renFlags |= SG_REND_FLAG_HORIZON_SHOWN | SG_REND_FLAG_HORIZON_MADE;
  SGError err = ISGRendererBuildHorizonRamp1(rend, fade);
  if (err == SG_ERROR_NONE) {
    err = ISGRendererBuildHorizonRamp2(rend, fade);
  }
  if (err != SG_ERROR_NONE) {
    ISGRendererFreeHorizon(rend);
  }
  return err;
}

SGError SGRendererSetBackgroundMaterial(SGRenderer* rend, SGMaterial* mat) {
  SGHorizon* hz = &rend->renHorizon;
  if ((hz->hzFlags & SG_HZ_BACKGROUND) == 0) {
    SGMaterialDestroy(hz->hzBackgroundMaterial);
  }
  hz->hzBackgroundMaterial = mat;
  hz->hzFlags |= SG_HZ_BACKGROUND;
  return SG_ERROR_NONE;
}

SGError SGRendererGetHorizonColours(const SGRenderer* rend, std::uint32_t* sky, std::uint32_t* ground) {
  if ((rend->renFlags & SG_REND_FLAG_HORIZON_MADE) == 0) {
    return SG_ERROR_NO_HORIZON;
  }
  *sky = rend->renHorizon.hzSkyColour;
  *ground = rend->renHorizon.hzGroundColour;
  return SG_ERROR_NONE;
}

SGError SGRendererSetHorizonAngle(SGRenderer* rend, float angle, float fade) {
  SGHorizon* hz = &rend->renHorizon;
  if (angle > 0.f) {
    hz->hzTanAngle = std::tan(angle);
    hz->hzFlags |= SG_HZ_ANGLE;
  } else {
    hz->hzTanAngle = 0.f;
  }
  hz->hzFade = fade;
  return SG_ERROR_NONE;
}

SGError SGRendererGetHorizonAngle(const SGRenderer* rend, float* angle, float* fade) {
  *angle = std::atan(rend->renHorizon.hzTanAngle);
  *fade = rend->renHorizon.hzFade;
  return SG_ERROR_NONE;
}

std::uint32_t SGRendererHorizonShown(const SGRenderer* rend) {
  return (rend->renFlags & SG_REND_FLAG_HORIZON_SHOWN) != 0 ? 1 : 0;
}

SGError SGRendererToggleHorizon(SGRenderer* rend) {
  if ((rend->renFlags & (SG_REND_FLAG_HORIZON_MADE | SG_REND_FLAG_HORIZON_SHOWN)) == 0) {
    return SG_ERROR_NO_HORIZON;
  }
  rend->renFlags ^= SG_REND_FLAG_HORIZON_SHOWN;
  return SG_ERROR_NONE;
}

SGError SGRendererSetHorizonColours(SGRenderer* rend, const std::int32_t* index, const std::int32_t* colour) {
  rend->renHorizon.hzGroundIndex = *index;
  rend->renHorizon.hzGroundD3DColour = *colour;
  return SG_ERROR_NONE;
}

SGError ISGRendererMakeCoverMaterial(SGRenderer* rend, const SGScene* scene) {
  const SGScene* covered = nullptr;
  if ((scene->scnFlags & SG_SCN_FLAG_COVERED) != 0) {
    covered = scene;
  } else if ((scene->scnFlags & SG_SCN_FLAG_SUB_SCENE) != 0) {
    covered = scene->scnSuperScene;
  }
  if (covered == nullptr) {
    return SG_ERROR_UNSUPPORTED;
  }
  SGHorizon* hz = &rend->renHorizon;
  if (hz->renCoverMaterial == nullptr) {
    hz->renCoverMaterial = FlatMaterial(rend, covered->scnCover.covColour);
  }
  return hz->renCoverMaterial != nullptr ? SG_ERROR_NONE : SG_ERROR_NO_MEMORY;
}

float ISGSubSceneFogYon(const SGRenderer* rend, const SGScene* scene, float height) {
  const SGScene* super = scene->scnSuperScene;
  const float span = super != nullptr ? super->scnCover.covHeight : 0.f;
  const float t = span > 0.f ? std::fmin(1.f, std::fmax(0.f, height / span)) : 1.f;
  const float* scale = scene->scnCover.covScale;
  return rend->renViewData->viMaxYon * (scale[0] + (scale[1] - scale[0]) * t);
}

SGError ISGRendererHorizonGeometry(const SGRenderer* rend, const SGScene* scene, SGHorizonPoly* sky,
                                   SGHorizonPoly* fade, SGHorizonPoly* ground, std::uint32_t* mode) {
  *sky = *fade = *ground = SGHorizonPoly{};
  *mode = SG_HZ_MODE_OPEN;
  const SGHorizon* hz = &rend->renHorizon;
  const SGViewData* vi = rend->renViewData;
  float yon = vi->viYon;
  float eyeZ = static_cast<float>(rend->renEye[2]);
  float groundHeight = -eyeZ - 4.f * (scene != nullptr ? scene->scnLODDist : 0.f);
  if (scene != nullptr && (scene->scnFlags & SG_SCN_FLAG_COVERED) != 0) {
    if (scene->scnCover.covHeight >= eyeZ) {
      // Under the cover: its sub-scene, drawn before, is what lies behind.
      *mode = SG_HZ_MODE_UNDER_COVER;
      return SG_ERROR_NONE;
    }
    groundHeight = -1e20f;
    *mode = SG_HZ_MODE_ABOVE_COVER;
  } else if (scene != nullptr && (scene->scnFlags & SG_SCN_FLAG_SUB_SCENE) != 0 && scene->scnSuperScene != nullptr) {
    if (eyeZ <= 0.f) {
      *mode = SG_HZ_MODE_ABOVE_COVER;
      return SG_ERROR_NONE;
    }
    // The sub-scene's eye stands over its cover: the sky and ground lie where
    // the super-scene has them, as far as the cloud's fog reaches.
    yon = ISGSubSceneFogYon(rend, scene, eyeZ);
    eyeZ += scene->scnSuperScene->scnCover.covHeight;
    groundHeight = -eyeZ - 4.f * scene->scnLODDist;
    *mode = SG_HZ_MODE_UNDER_COVER;
  }
  const float horizon = hz->hzFade >= 0.f ? -eyeZ / (hz->hzFade + yon) * yon : 0.f;
  const float fadeTop = std::fmax(horizon, yon * hz->hzTanAngle + horizon);
  // The ground starts a pixel of the far plane below its height.
  const float tanHalf = std::tan(vi->viFov / 2.f * kDegToRad);
  const float pixel = std::fmax(2.f * tanHalf * yon / static_cast<float>(vi->viSize[1]),
                                2.f * tanHalf * yon * vi->viAspect / static_cast<float>(vi->viSize[0]));
  const float groundTop = std::fmin(groundHeight, horizon) - pixel;
  const Poly far = FarRectangle(rend, yon);
  *sky = SplitAt(far, fadeTop, true);
  *fade = SplitAt(SplitAt(far, horizon, true), fadeTop, false);
  *ground = SplitAt(far, groundTop, false);
  float lowest = groundTop;
  for (std::uint32_t i = 0; i < far.count; ++i) {
    lowest = std::fmin(lowest, far.p[i][2]);
  }
  for (std::uint32_t i = 0; i < fade->count; ++i) {
    fade->fade[i] = fadeTop > horizon ? (fade->p[i][2] - horizon) / (fadeTop - horizon) : 0.f;
  }
  for (std::uint32_t i = 0; i < ground->count; ++i) {
    ground->fade[i] = groundTop > lowest ? (groundTop - ground->p[i][2]) / (groundTop - lowest) : 0.f;
  }
  for (std::uint32_t i = 0; i < sky->count; ++i) {
    sky->fade[i] = 0.f;
  }
  return SG_ERROR_NONE;
}

SGError ISGRendererDrawBackground(SGRenderer* rend, SGScene* scene) {
  if ((rend->renFlags & SG_REND_FLAG_FOG_OVERRIDE) != 0 ||
      (rend->renContext != nullptr && (rend->renContext->ctxDebug & SG_CTX_DEBUG_NO_FILL) != 0)) {
    return SG_ERROR_NONE;
  }
  Poly sky, band, ground;
  std::uint32_t mode = SG_HZ_MODE_OPEN;
  SGError err = ISGRendererHorizonGeometry(rend, scene, &sky, &band, &ground, &mode);
  if (err != SG_ERROR_NONE || sky.count + band.count + ground.count == 0) {
    return err;
  }
  if (mode != SG_HZ_MODE_OPEN) {
    err = ISGRendererMakeCoverMaterial(rend, scene);
    if (err != SG_ERROR_NONE) {
      return err;
    }
  }
  const SGHorizon* hz = &rend->renHorizon;
  SGMaterial* upper = mode == SG_HZ_MODE_UNDER_COVER ? hz->renCoverMaterial : hz->hzSkyMaterial;
  SGMaterial* lower = mode == SG_HZ_MODE_ABOVE_COVER ? hz->renCoverMaterial : hz->hzGroundMaterial;
  const bool given = (hz->hzFlags & SG_HZ_BACKGROUND) != 0;
  if (rend->renD3D != nullptr) {
    const std::uint32_t upperColour = upper != nullptr ? upper->matColour : 0;
    err = DrawDeviceFan(rend, upper, sky, upperColour, upperColour);
    if (err == SG_ERROR_NONE && lower != nullptr) {
      err = DrawDeviceFan(rend, lower, band, lower->matColour, static_cast<std::uint32_t>(hz->hzGroundD3DColour));
    }
    if (err == SG_ERROR_NONE) {
      err = DrawDeviceFan(rend, given ? hz->hzBackgroundMaterial : lower, ground, hz->hzGroundColour, hz->hzSkyColour);
    }
    return err;
  }
  SGTxVertex* verts[kMaxPoly];
  err = MakeVertices(rend, sky, verts);
  if (err != SG_ERROR_NONE) {
    return err;
  }
  if (sky.count >= 3 && upper != nullptr) {
    ClearPolygon(rend, verts, sky.count, upper->matColour);
  }
  // An indexed buffer's ramps hold 16 palette entries, not the fog table's
  // rows, so its bands go through the ramp fill instead of the fogged fills.
  const SGFrameBuffer* fb = rend->renFrameBuffer;
  const bool indexed = fb->fbMode == SG_FB_MODE_IDX && fb->fbBPP == 8;
  err = MakeVertices(rend, band, verts);
  if (err == SG_ERROR_NONE) {
    if (!indexed) {
      err = DrawFan(rend, scene, lower, verts, band.count, hz->hzFadeRamp);
    } else if ((hz->hzFlags & SG_HZ_RAMP_FADE) != 0) {
      err = DrawRampPolygon(rend, verts, band.count);
    }
  }
  if (err == SG_ERROR_NONE) {
    err = MakeVertices(rend, ground, verts);
  }
  if (err == SG_ERROR_NONE) {
    if (!indexed) {
      err = DrawFan(rend, scene, given ? hz->hzBackgroundMaterial : lower, verts, ground.count, hz->hzGroundRamp);
    } else if (given) {
      err = DrawFan(rend, scene, hz->hzBackgroundMaterial, verts, ground.count, rend->renFogLUT);
    } else {
      err = DrawRampPolygon(rend, verts, ground.count);
    }
  }
  return err;
}
