// Plume records: creation, configuration, the ring and record pool, the
// material copies, and the plume's life after its owner.

#include "sg/plume/plume.h"

#include <cmath>
#include <cstring>

#include "sg/core/malloc.h"
#include "sg/instance/instance.h"
#include "sg/plume/plumegeom.h"
#include "sg/scene/scene.h"

namespace {

void RecomputeU(SGPlume* plm) {
  if (!(plm->plmHalfWidth > 0.f)) {
    return;
  }
  const std::uint32_t steps = (plm->plmFlags & SG_PLM_FLAG_MAX_AGE) != 0 ? plm->plmMaxAge : plm->plmLength;
  // The largest half width: at the old end when the trail grows, at the
  // emitter when it narrows. U only ever runs forward along the trail.
  const float widest =
      std::fmax(static_cast<float>(steps) * plm->plmWidthGrowth + plm->plmHalfWidth, plm->plmHalfWidth);
  const float perUnit = plm->plmTexRepeat * 0.5f / widest;
  plm->plmUPerUnit = perUnit > 0.f ? perUnit : 0.f;
}

void FreePool(SGPlume* plm) {
  for (std::uint32_t i = 0; i < plm->plmNumInsts; ++i) {
    ISGPlumeFreeRecord(plm->plmInsts[i]);
  }
  SGFree(plm->plmInsts);
  plm->plmInsts = nullptr;
  plm->plmNumInsts = 0;
  plm->plmUsedInsts = 0;
}

// Resizes the pool to `count` records, freeing those beyond it; false when
// out of memory (the pool is then gone).
bool ResizePool(SGPlume* plm, std::uint32_t count) {
  if (count == 0) {
    FreePool(plm);
    return true;
  }
  for (std::uint32_t i = count; i < plm->plmNumInsts; ++i) {
    ISGPlumeFreeRecord(plm->plmInsts[i]);
    plm->plmInsts[i] = nullptr;
  }
  const std::uint32_t old = plm->plmNumInsts < count ? plm->plmNumInsts : count;
  auto* pool = static_cast<SGInstance**>(SGRealloc(plm->plmInsts, sizeof(SGInstance*) * count));
  if (pool == nullptr) {
    plm->plmNumInsts = old;
    FreePool(plm);
    return false;
  }
  plm->plmInsts = pool;
  plm->plmNumInsts = old;
  for (std::uint32_t i = old; i < count; ++i) {
    pool[i] = static_cast<SGInstance*>(SGCalloc(1, sizeof(SGInstance)));
    if (pool[i] == nullptr) {
      FreePool(plm);
      return false;
    }
    plm->plmNumInsts = i + 1;
  }
  plm->plmUsedInsts = 0;
  return true;
}

void FreeCopies(SGPlumeMaterials* set) {
  SGFree(set->pmMats);
  SGFree(set->pmInfos);
  *set = SGPlumeMaterials{};
}

// Checks the materials and makes the plume's drawing copies with `typeBits`.
SGError CopyMaterials(SGPlumeMaterials* set, std::uint32_t count, SGMaterial** mats, std::uint32_t typeBits) {
  if (count > 0 && mats == nullptr) {
    return SG_ERROR_UNSUPPORTED;
  }
  for (std::uint32_t i = 0; i < count; ++i) {
    const SGMaterial* mat = mats[i];
    // The ribbon's U runs along the trail in units of its width: the texture must be square.
    if (mat == nullptr || mat->matTexMap == nullptr || mat->matTexMap->txmSize.u[0] != mat->matTexMap->txmSize.u[1]) {
      return SG_ERROR_UNSUPPORTED;
    }
  }
  SGPlumeMaterials made{count, nullptr, nullptr};
  if (count > 0) {
    made.pmMats = static_cast<SGMaterial*>(SGCalloc(count, sizeof(SGMaterial)));
    made.pmInfos = static_cast<SGMaterialInfo*>(SGCalloc(count, sizeof(SGMaterialInfo)));
    if (made.pmMats == nullptr || made.pmInfos == nullptr) {
      FreeCopies(&made);
      return SG_ERROR_NO_MEMORY;
    }
  }
  for (std::uint32_t i = 0; i < count; ++i) {
    made.pmMats[i] = *mats[i];
    if (mats[i]->matInfo != nullptr) {
      made.pmInfos[i] = *mats[i]->matInfo;
    }
    made.pmInfos[i].maiScale = 1.f;
    made.pmMats[i].matInfo = &made.pmInfos[i];
    made.pmMats[i].matType |= typeBits;
  }
  FreeCopies(set);
  *set = made;
  return SG_ERROR_NONE;
}

// The owner is gone: the first pooled record becomes the plume's hidden scene
// instance, through which the scene goes on driving it.
void HandToScene(SGScene* scene, SGPlume* plm) {
  SGInstance* rec = plm->plmInsts[0];
  ISGPlumeClearRecord(rec);
  rec->instType = SG_INST_TYPE_MODEL_TWO;
  rec->instAttributes =
      SG_ATTR_NO_COLLIDE | SG_ATTR_NO_WALK | SG_ATTR_HIDDEN | SG_ATTR_NO_PICK | SG_ATTR_NO_LOS | SG_ATTR_UNLIT;
  rec->instScene = scene;
  rec->instScnNext = scene->scnInstances;
  rec->instScnBack = &scene->scnInstances;
  if (scene->scnInstances != nullptr) {
    scene->scnInstances->instScnBack = &rec->instScnNext;
  }
  scene->scnInstances = rec;
  rec->instPlume = plm;
  plm->plmInstance = rec;
  plm->plmFlags |= SG_PLM_FLAG_DYING | SG_PLM_FLAG_RELEASED;
  plm->plmPeriod = 1;
}

}  // namespace

SGError SGPlumeCreate(SGContext*, SGPlume** out) {
  auto* plm = static_cast<SGPlume*>(SGCalloc(1, sizeof(SGPlume)));
  if (plm == nullptr) {
    return SG_ERROR_NO_MEMORY;
  }
  plm->plmTexRepeat = 1.f;
  plm->plmTaper = 1.f;
  plm->plmStepPeriod = 1;
  plm->plmPeriod = 1;
  *out = plm;
  return SG_ERROR_NONE;
}

SGError SGPlumeDestroy(SGPlume* plm) {
  SGFree(plm->plmNodes);
  plm->plmNodes = nullptr;
  if (plm->plmInstance != nullptr && plm->plmInstance->instPlume == plm) {
    plm->plmInstance->instPlume = nullptr;
  }
  if (plm->plmInsts != nullptr) {
    std::uint32_t first = 0;
    if (plm->plmNumInsts > 0 && plm->plmInstance == plm->plmInsts[0]) {
      // The scene record: the scene removes it at its next frame.
      SGInstance* rec = plm->plmInsts[0];
      SGFree(rec->instData);
      rec->instData = nullptr;
      SGInstanceDelete(rec);
      first = 1;
    }
    for (std::uint32_t i = first; i < plm->plmNumInsts; ++i) {
      ISGPlumeFreeRecord(plm->plmInsts[i]);
    }
    SGFree(plm->plmInsts);
  }
  FreeCopies(&plm->plmTrailCopies);
  FreeCopies(&plm->plmCapCopies);
  SGFree(plm);
  return SG_ERROR_NONE;
}

SGError SGPlumeSetLength(SGPlume* plm, std::uint32_t n) {
  if (n == 0) {
    SGFree(plm->plmNodes);
    plm->plmNodes = nullptr;
  } else {
    auto* ring = static_cast<SGPlumeNode*>(SGRealloc(plm->plmNodes, sizeof(SGPlumeNode) * n));
    if (ring == nullptr) {
      plm->plmLength = 0;
      FreePool(plm);
      return SG_ERROR_NO_MEMORY;
    }
    std::memset(static_cast<void*>(ring), 0, sizeof(SGPlumeNode) * n);
    plm->plmNodes = ring;
  }
  if (!ResizePool(plm, n / 4)) {
    plm->plmLength = 0;
    SGFree(plm->plmNodes);
    plm->plmNodes = nullptr;
    return SG_ERROR_NO_MEMORY;
  }
  plm->plmLength = n;
  plm->plmHead = plm->plmTail = plm->plmNodes;
  // A plume resized while it runs starts its trail again: the old nodes and
  // the head drawn from are gone with the old ring.
  plm->plmCurrLen = 0;
  plm->plmDrawHead = nullptr;
  plm->plmStepStatus = SG_PLM_NOTHING;
  plm->plmFlags &= ~SG_PLM_FLAG_FULL;
  RecomputeU(plm);
  return SG_ERROR_NONE;
}

SGError SGPlumeAttach(SGPlume* plm, SGInstance* inst) {
  // One owner at a time: a plume driven through two owners would take its
  // pooled records twice in a frame.
  SGInstance* old = plm->plmInstance;
  if (old != nullptr && old != inst && old->instPlume == plm) {
    old->instPlume = nullptr;
  }
  inst->instPlume = plm;
  plm->plmInstance = inst;
  return SG_ERROR_NONE;
}

SGError SGPlumeGetInstance(const SGPlume* plm, SGInstance** out) {
  *out = plm->plmInstance;
  return SG_ERROR_NONE;
}

SGError SGInstanceGetPlume(const SGInstance* inst, SGPlume** out) {
  *out = inst->instPlume;
  return SG_ERROR_NONE;
}

SGError SGPlumeSetWidth(SGPlume* plm, float width) {
  plm->plmHalfWidth = width / 2.f;
  RecomputeU(plm);
  return SG_ERROR_NONE;
}

SGError SGPlumeSetWidthGrowth(SGPlume* plm, float growth) {
  plm->plmWidthGrowth = growth;
  plm->plmFlags |= SG_PLM_FLAG_GROW;
  RecomputeU(plm);
  return SG_ERROR_NONE;
}

SGError SGPlumeSetTexRepeat(SGPlume* plm, float factor) {
  plm->plmTexRepeat = factor;
  RecomputeU(plm);
  return SG_ERROR_NONE;
}

SGError SGPlumeSetTaper(SGPlume* plm, float rate) {
  plm->plmTaper = rate;
  return SG_ERROR_NONE;
}

SGError SGPlumeSetFade(SGPlume* plm, float fraction) {
  plm->plmFade = fraction;
  return SG_ERROR_NONE;
}

SGError SGPlumeSetLODScale(SGPlume* plm, float factor) {
  plm->plmLODScale = factor;
  return SG_ERROR_NONE;
}

SGError SGPlumeSetMaxAge(SGPlume* plm, std::uint32_t steps) {
  plm->plmMaxAge = steps;
  plm->plmFlags |= SG_PLM_FLAG_MAX_AGE;
  return SG_ERROR_NONE;
}

SGError SGPlumeSetDecelSteps(SGPlume* plm, std::uint32_t steps) {
  plm->plmDecelSteps = steps;
  plm->plmFlags |= SG_PLM_FLAG_DECEL;
  return SG_ERROR_NONE;
}

SGError SGPlumeSetDriftRamp(SGPlume* plm, std::uint32_t steps) {
  plm->plmDriftRamp = steps;
  return SG_ERROR_NONE;
}

SGError SGPlumeSetStepPeriod(SGPlume* plm, std::uint32_t period) {
  plm->plmStepPeriod = period;
  return SG_ERROR_NONE;
}

SGError SGPlumeSetDrift(SGPlume* plm, const float drift[3]) {
  std::memcpy(plm->plmDrift, drift, sizeof(plm->plmDrift));
  plm->plmFlags |= SG_PLM_FLAG_DRIFT;
  return SG_ERROR_NONE;
}

SGError SGPlumeSetWind(SGPlume* plm, const float wind[3]) {
  std::memcpy(plm->plmWind, wind, sizeof(plm->plmWind));
  plm->plmFlags |= SG_PLM_FLAG_WIND;
  return SG_ERROR_NONE;
}

SGError SGPlumeSetOffset(SGPlume* plm, const float offset[3]) {
  std::memcpy(plm->plmOffset, offset, sizeof(plm->plmOffset));
  plm->plmFlags |= SG_PLM_FLAG_OFFSET;
  return SG_ERROR_NONE;
}

SGError SGPlumeSetFogLUT(SGPlume* plm, std::uint8_t* table) {
  plm->plmFogLUT = table;
  return SG_ERROR_NONE;
}

SGError SGPlumeGetFogLUT(const SGPlume* plm, std::uint8_t** out) {
  *out = plm->plmFogLUT;
  return SG_ERROR_NONE;
}

SGError SGPlumeHide(SGPlume* plm) {
  plm->plmFlags |= SG_PLM_FLAG_HIDDEN;
  return SG_ERROR_NONE;
}

SGError SGPlumeShow(SGPlume* plm) {
  plm->plmFlags &= ~SG_PLM_FLAG_HIDDEN;
  return SG_ERROR_NONE;
}

SGError SGPlumeSetWrap(SGPlume* plm, std::uint32_t on) {
  plm->plmFlags = on != 0 ? plm->plmFlags & ~SG_PLM_FLAG_NO_WRAP : plm->plmFlags | SG_PLM_FLAG_NO_WRAP;
  return SG_ERROR_NONE;
}

SGError SGPlumeSetMaterials(SGPlume* plm, std::uint32_t count, SGMaterial** mats) {
  const SGError err = CopyMaterials(&plm->plmTrailCopies, count, mats,
                                    SG_MAT_TYPE_ALPHA | SG_MAT_TYPE_VERTEX_COLOUR | SG_MAT_TYPE_SRC_COLOUR_BLEND);
  if (err == SG_ERROR_NONE) {
    plm->plmNumMats = count;
    plm->plmMats = mats;
  }
  return err;
}

SGError SGPlumeSetCaps(SGPlume* plm, std::uint32_t count, SGMaterial** caps) {
  const SGError err = CopyMaterials(&plm->plmCapCopies, count, caps, SG_MAT_TYPE_SRC_COLOUR_BLEND);
  if (err == SG_ERROR_NONE) {
    plm->plmCurrCap = 0;
    plm->plmNumCaps = count;
    plm->plmCaps = caps;
  }
  return err;
}

SGMaterial* ISGPlumeTrailMaterial(const SGPlume* plm, std::uint32_t i) { return &plm->plmTrailCopies.pmMats[i]; }

SGMaterial* ISGPlumeCapMaterial(const SGPlume* plm, std::uint32_t i) { return &plm->plmCapCopies.pmMats[i]; }

SGError ISGPlumeRelease(SGPlume* plm) {
  SGInstance* owner = plm->plmInstance;
  SGScene* scene = owner != nullptr ? owner->instScene : nullptr;
  if (owner != nullptr) {
    owner->instPlume = nullptr;
  }
  // Without a pooled record there is nothing to live on in.
  if ((plm->plmFlags & SG_PLM_FLAG_DYING) != 0 || scene == nullptr || plm->plmNumInsts == 0) {
    return SGPlumeDestroy(plm);
  }
  HandToScene(scene, plm);
  return SG_ERROR_NONE;
}

SGPlumeNode* ISGPlumeNext(const SGPlume* plm, SGPlumeNode* node) {
  return node + 1 == plm->plmNodes + plm->plmLength ? plm->plmNodes : node + 1;
}

SGPlumeNode* ISGPlumePrev(const SGPlume* plm, SGPlumeNode* node) {
  return node == plm->plmNodes ? plm->plmNodes + plm->plmLength - 1 : node - 1;
}
