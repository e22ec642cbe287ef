// The per-scene LOD auto-adjuster and the per-frame LOD update: the camera
// height picks the finest level and the yon, the last frame's time or
// triangle count scales the LOD distances towards the budget.

#include <cmath>
#include <cstring>

#include "sg/core/malloc.h"
#include "sg/core/stopwatch.h"
#include "sg/instance/instance.h"
#include "sg/render/renderer.h"
#include "sg/scene/scene.h"
#include "sg/terrain/lod.h"

namespace {

SGLODAdjust* Adjuster(SGScene* scene) {
  if (scene->scnLODAdjust == nullptr) {
    scene->scnLODAdjust = static_cast<SGLODAdjust*>(SGCalloc(1, sizeof(SGLODAdjust)));
  }
  return scene->scnLODAdjust;
}

void CopyInto(SGScene* to, const SGScene* from) {
  if (to != nullptr && to != from) {
    SGSceneCopyLODAdjust(to, from);
  }
}

void Multiply(SGScene* scene, float f) {
  scene->scnLODDist *= f;
  if (scene->scnSubScene != nullptr) {
    scene->scnSubScene->scnLODDist *= f;
  }
  if (scene->scnSuperScene != nullptr) {
    scene->scnSuperScene->scnLODDist *= f;
  }
}

std::uint32_t Truncate(double v) {
  return v <= 0.0 ? 0u : (v >= 4294967295.0 ? 0xFFFFFFFFu : static_cast<std::uint32_t>(v));
}

}  // namespace

SGError SGSceneSetLODTimeBudget(SGScene* scene, float framesPerSecond) {
  if (!(framesPerSecond > 0.f)) {
    return SG_ERROR_UNSUPPORTED;
  }
  SGLODAdjust* laj = Adjuster(scene);
  if (laj == nullptr) {
    return SG_ERROR_NO_MEMORY;
  }
  if (laj->lajTimer == nullptr && ISGStopwatchCreate(0, &laj->lajTimer) != SG_ERROR_NONE) {
    return SG_ERROR_NO_MEMORY;
  }
  const double t = 1e9 / framesPerSecond;
  laj->lajTargetMax = Truncate(t * 1.1);
  laj->lajTargetMin = Truncate(t * 0.9);
  laj->lajSaneMax = Truncate(t * 2.2);
  laj->lajSaneMin = Truncate(t * 0.36);
  laj->lajTargetRecip = static_cast<float>(1.0 / t);
  laj->lajFlags = (laj->lajFlags | SG_LAJ_FLAG_TIME_BASE) & ~SG_LAJ_FLAG_POLY_BASE;
  CopyInto(scene->scnSubScene, scene);
  CopyInto(scene->scnSuperScene, scene);
  return SG_ERROR_NONE;
}

SGError SGSceneGetLODTimeBudget(const SGScene* scene, std::int32_t* out) {
  if (scene->scnLODAdjust == nullptr) {
    return SG_ERROR_NO_ADJUST;
  }
  *out = static_cast<std::int32_t>(scene->scnLODAdjust->lajTargetRecip * 1e9f);
  return SG_ERROR_NONE;
}

SGError SGSceneSetLODPolyBudget(SGScene* scene, std::uint32_t polygons) {
  if (polygons == 0) {
    return SG_ERROR_UNSUPPORTED;
  }
  SGLODAdjust* laj = Adjuster(scene);
  if (laj == nullptr) {
    return SG_ERROR_NO_MEMORY;
  }
  const double n = polygons;
  laj->lajTargetMax = Truncate(n * 1.1);
  laj->lajTargetMin = Truncate(n * 0.9);
  laj->lajSaneMax = Truncate(n * 5000.0);
  laj->lajSaneMin = Truncate(n * 0.1);
  laj->lajTargetRecip = static_cast<float>(1.0 / n);
  laj->lajFlags = (laj->lajFlags | SG_LAJ_FLAG_POLY_BASE) & ~SG_LAJ_FLAG_TIME_BASE;
  CopyInto(scene->scnSubScene, scene);
  CopyInto(scene->scnSuperScene, scene);
  return SG_ERROR_NONE;
}

SGError SGSceneGetLODPolyBudget(const SGScene* scene, std::int32_t* out) {
  if (scene->scnLODAdjust == nullptr) {
    return SG_ERROR_NO_ADJUST;
  }
  *out = static_cast<std::int32_t>(1.f / scene->scnLODAdjust->lajTargetRecip + 0.5f);
  return SG_ERROR_NONE;
}

SGError SGSceneStopLODAdjust(SGScene* scene) {
  if (scene->scnLODAdjust != nullptr) {
    scene->scnLODAdjust->lajFlags &= ~(SG_LAJ_FLAG_TIME_BASE | SG_LAJ_FLAG_POLY_BASE);
  }
  return SG_ERROR_NONE;
}

SGError SGSceneCopyLODAdjust(SGScene* to, const SGScene* from) {
  const SGLODAdjust* src = from->scnLODAdjust;
  if (src == nullptr) {
    return SG_ERROR_NO_ADJUST;
  }
  SGLODAdjust* dst = Adjuster(to);
  if (dst == nullptr) {
    return SG_ERROR_NO_MEMORY;
  }
  dst->lajTargetMin = src->lajTargetMin;
  dst->lajTargetMax = src->lajTargetMax;
  dst->lajSaneMin = src->lajSaneMin;
  dst->lajSaneMax = src->lajSaneMax;
  dst->lajTargetRecip = src->lajTargetRecip;
  if (src->lajTimer != nullptr) {
    if (dst->lajTimer == nullptr && ISGStopwatchCreate(0, &dst->lajTimer) != SG_ERROR_NONE) {
      return SG_ERROR_NO_MEMORY;
    }
    *dst->lajTimer = *src->lajTimer;
  }
  if (src->lajHistoryLen != 0) {
    auto* history = static_cast<std::uint32_t*>(SGRealloc(dst->lajHistory, src->lajHistoryLen * sizeof(std::uint32_t)));
    if (history == nullptr) {
      return SG_ERROR_NO_MEMORY;
    }
    std::memcpy(history, src->lajHistory, src->lajHistoryLen * sizeof(std::uint32_t));
    dst->lajHistory = history;
    dst->lajHistoryLen = src->lajHistoryLen;
    dst->lajHistoryNext = src->lajHistoryNext;
    dst->lajHistoryCount = src->lajHistoryCount;
  }
  constexpr std::uint32_t kBase = SG_LAJ_FLAG_TIME_BASE | SG_LAJ_FLAG_POLY_BASE;
  dst->lajFlags = (dst->lajFlags & ~kBase) | (src->lajFlags & kBase);
  return SG_ERROR_NONE;
}

SGError SGSceneSetLODHeightParams(SGScene* scene, std::uint32_t lowLevel, float lowHeight, float lowYon,
                                  float highHeight, std::uint32_t highLevel, float highYon) {
  SGLODAdjust* laj = Adjuster(scene);
  if (laj == nullptr) {
    return SG_ERROR_NO_MEMORY;
  }
  laj->lajLowLevel = lowLevel;
  laj->lajLowHeight = lowHeight;
  laj->lajLowYon = lowYon;
  laj->lajHighHeight = highHeight;
  laj->lajHighLevel = highLevel;
  laj->lajHighYon = highYon;
  return SG_ERROR_NONE;
}

SGError SGSceneGetLODHeightParams(const SGScene* scene, std::uint32_t* lowLevel, float* lowHeight, float* lowYon,
                                  float* highHeight, std::uint32_t* highLevel, float* highYon) {
  const SGLODAdjust* laj = scene->scnLODAdjust;
  if (laj == nullptr) {
    return SG_ERROR_NO_ADJUST;
  }
  *lowLevel = laj->lajLowLevel;
  *lowHeight = laj->lajLowHeight;
  *lowYon = laj->lajLowYon;
  *highHeight = laj->lajHighHeight;
  *highLevel = laj->lajHighLevel;
  *highYon = laj->lajHighYon;
  return SG_ERROR_NONE;
}

SGError SGSceneSetLODHistory(SGScene* scene, std::uint32_t length) {
  if (length > SG_LAJ_MAX_HISTORY) {
    return SG_ERROR_UNSUPPORTED;
  }
  SGLODAdjust* laj = Adjuster(scene);
  if (laj == nullptr) {
    return SG_ERROR_NO_MEMORY;
  }
  SGFree(laj->lajHistory);
  laj->lajHistory = nullptr;
  if (length != 0) {
    laj->lajHistory = static_cast<std::uint32_t*>(SGCalloc(length, sizeof(std::uint32_t)));
    if (laj->lajHistory == nullptr) {
      laj->lajHistoryLen = 0;
      return SG_ERROR_NO_MEMORY;
    }
  }
  laj->lajHistoryLen = length;
  laj->lajHistoryNext = laj->lajHistoryCount = 0;
  laj->lajFlags &= ~SG_LAJ_FLAG_VALID;
  return SG_ERROR_NONE;
}

void ISGLodAdjustStep(SGScene* scene, std::uint32_t x) {
  SGLODAdjust* laj = scene->scnLODAdjust;
  if (laj == nullptr || x <= laj->lajSaneMin || x >= laj->lajSaneMax) {
    return;
  }
  if (laj->lajHistoryLen != 0) {
    // The readings of the last frames, oldest overwritten first.
    laj->lajHistory[laj->lajHistoryNext] = x;
    laj->lajHistoryNext = (laj->lajHistoryNext + 1) % laj->lajHistoryLen;
    if (++laj->lajHistoryCount >= laj->lajHistoryLen) {
      laj->lajHistoryCount = laj->lajHistoryLen;
      laj->lajFlags |= SG_LAJ_FLAG_VALID;
    }
  }
  float f = static_cast<float>(x) * laj->lajTargetRecip;
  if (x > laj->lajTargetMax) {
    if (laj->lajLastStep == 1) {
      f = f * f;
    } else if (laj->lajLastStep == 2) {
      f = std::sqrt(f);
    }
    Multiply(scene, f);
    laj->lajLastStep = 1;
  } else if (x < laj->lajTargetMin) {
    if (laj->lajLastStep == 1) {
      f = std::sqrt(f);
    } else if (laj->lajLastStep == 2) {
      f = f * f;
    }
    Multiply(scene, f * f);
    laj->lajLastStep = 2;
  } else {
    laj->lajLastStep = 0;
  }
}

namespace {

// The adjuster's reading of the frame: the time since the last update (the
// stopwatch starts again) or the triangles drawn since the counters were cleared.
void Adjust(SGRenderer* rend, SGScene* scene, SGLODAdjust* laj) {
  if ((laj->lajFlags & SG_LAJ_FLAG_TIME_BASE) != 0 && laj->lajTimer != nullptr) {
    std::int32_t time = 0;
    std::uint32_t overhead = 0;
    ISGStopwatchRead(laj->lajTimer, &time, &overhead);
    ISGStopwatchReset(laj->lajTimer);
    ISGStopwatchStart(laj->lajTimer);
    ISGLodAdjustStep(scene, time > 0 ? static_cast<std::uint32_t>(time) : 0u);
  } else if ((laj->lajFlags & SG_LAJ_FLAG_POLY_BASE) != 0) {
    ISGLodAdjustStep(scene, rend->renTriCount);
  }
}

void UpdateLevels(SGRenderer* rend, SGScene* scene) {
  SGLODState* lod = rend->renLOD;
  const float g = 2.f * std::fabs(rend->renViewDir[2]) + 1.f;
  const float base = rend->renLODValue * scene->scnLODScale;
  const float low = base * 0.125f;
  const float ceiling = lod->lodCeilingFactor;
  SGViewData* vi = rend->renViewData;
  const bool fogOverride = (rend->renFlags & SG_REND_FLAG_FOG_OVERRIDE) != 0;
  if (scene->scnLODDist <= 0.f) {
    scene->scnLODDist = base;
  }
  SGLODAdjust* laj = scene->scnLODAdjust;
  if (laj != nullptr && laj->lajLowHeight < laj->lajHighHeight) {
    const float eye = static_cast<float>(rend->renEye[2]);
    const float span = laj->lajHighHeight - laj->lajLowHeight;
    float a = 0.f;
    if (eye >= 0.f) {
      a = (eye - laj->lajLowHeight) / span;
    } else {
      const float d = (scene->scnFlags & SG_SCN_FLAG_SUB_SCENE) != 0 && scene->scnSuperScene != nullptr
                          ? span * scene->scnSuperScene->scnCover.covBot
                          : -span;
      a = d != 0.f ? (laj->lajLowHeight + eye) / d : 0.f;
    }
    const float yonBase = fogOverride ? vi->viYon : vi->viMaxYon;
    std::uint32_t minLOD = 0;
    if (a >= 0.f && a < 1.f) {
      vi->viYon = (laj->lajLowYon + (laj->lajHighYon - laj->lajLowYon) * a) * yonBase;
      const float levels = static_cast<float>(laj->lajHighLevel) - static_cast<float>(laj->lajLowLevel);
      minLOD = static_cast<std::uint32_t>(static_cast<float>(laj->lajLowLevel) + std::trunc(levels * a));
    } else if (a >= 1.f) {
      vi->viYon = laj->lajHighYon * yonBase;
      minLOD = laj->lajHighLevel;
    } else {
      vi->viYon = laj->lajLowYon * yonBase;
      minLOD = laj->lajLowLevel;
    }
    scene->scnMinLOD = minLOD > scene->scnMaxLOD ? scene->scnMaxLOD : minLOD;
  } else if (!fogOverride) {
    vi->viYon = vi->viMaxYon;
  }
  // A budget adjusts with or without the camera-height rule; a scene drawn
  // inside another's frame (a cloud cover) or off screen does not.
  constexpr std::uint32_t kBases = SG_LAJ_FLAG_TIME_BASE | SG_LAJ_FLAG_POLY_BASE;
  if (laj != nullptr && (laj->lajFlags & kBases) != 0) {
    if ((rend->renFlags & (SG_REND_FLAG_FRAME_OPEN | SG_REND_FLAG_OFFSCREEN_FB)) == 0) {
      Adjust(rend, scene, laj);
    }
  } else if (laj != nullptr && laj->lajLowHeight < laj->lajHighHeight) {
    scene->scnLODDist = base;
  }
  lod->lodDistScale = scene->scnLODDist * g;
  if (lod->lodDistScale >= ceiling) {
    lod->lodDistScale = ceiling;
    scene->scnLODDist = ceiling / g;
  } else if (lod->lodDistScale < low) {
    lod->lodDistScale = low;
    scene->scnLODDist = low / g;
  }
  if ((scene->scnFlags & SG_SCN_FLAG_COVERED) != 0 && scene->scnCover.covHeight < rend->renEye[2]) {
    scene->scnMinLOD = scene->scnMaxLOD;
  }
}

}  // namespace

SGError ISGSceneUpdateLOD(SGRenderer* rend, SGScene* scene) {
  SGError err = SG_ERROR_NONE;
  if (scene != nullptr && (scene->scnFlags & SG_SCN_FLAG_TERRAIN) != 0) {
    if (rend->renLOD == nullptr) {
      err = ISGLodCreate(rend, scene);
    }
    if (err == SG_ERROR_NONE && (scene->scnFlags & SG_SCN_FLAG_SKIP_LOD) == 0) {
      UpdateLevels(rend, scene);
    }
  }
  if ((rend->renFlags & SG_REND_FLAG_FRAME_OPEN) == 0) {
    rend->renFaceCount = 0;
    rend->renTriCount = 0;
  }
  return err;
}

void ISGLodAdjustFree(SGScene* scene) {
  SGLODAdjust* laj = scene->scnLODAdjust;
  if (laj != nullptr) {
    ISGStopwatchDestroy(laj->lajTimer);
    SGFree(laj->lajHistory);
    SGFree(laj);
    scene->scnLODAdjust = nullptr;
  }
}
