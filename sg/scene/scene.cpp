#include "sg/scene/scene.h"

#include <cmath>

#include "sg/core/malloc.h"
#include "sg/core/sgassert.h"
#include "sg/instance/instance.h"
#include "sg/terrain/lod.h"

namespace {

void PushScn(SGInstance** head, SGInstance* inst) {
  inst->instScnNext = *head;
  inst->instScnBack = head;
  if (*head != nullptr) {
    (*head)->instScnBack = &inst->instScnNext;
  }
  *head = inst;
}

}  // namespace

SGError SGSceneAddInstance(SGScene* scene, SGInstance* inst) {
  if (inst->instScene != nullptr && inst->instScene != scene) {
    SGInstanceRemove(inst);
  }
  if (inst->instScene == scene) {
    // Already here: only brought up to date.
    return SGInstanceUpdate(inst);
  }
  inst->instScene = scene;
  if (inst->instType == SG_INST_TYPE_LIGHT) {
    PushScn(&scene->scnLights, inst);
  } else {
    for (const SGInstance* tst = scene->scnInstances; tst != nullptr; tst = tst->instScnNext) {
      ISG_ASSERT(tst != inst, "scene");
    }
    PushScn(&scene->scnInstances, inst);
    if ((inst->instAttributes & SG_ATTR_NO_COLLIDE) == 0) {
      ISGInstanceLinkCollide(inst);
    }
    if ((inst->instAttributes & (SG_ATTR_NO_PICK | SG_ATTR_NO_LOS)) != (SG_ATTR_NO_PICK | SG_ATTR_NO_LOS)) {
      ISGInstanceLinkLOS(inst);
    }
  }
  return SGInstanceUpdate(inst);
}

namespace {

bool PowerOfTwo(std::uint32_t v) { return v != 0 && (v & (v - 1)) == 0; }

void FreeCache(SGScene* scene) {
  if (scene->scnCache != nullptr) {
    for (std::uint32_t r = 0; r < scene->scnCacheSize[1]; ++r) {
      SGFree(scene->scnCache[r]);
    }
    SGFree(scene->scnCache);
    scene->scnCache = nullptr;
  }
}

void PrintNeedPage(std::int32_t row, std::int32_t column, std::uintptr_t data) {
  std::fprintf(stderr, "Need page at (%d, %d) %p\n", column, row, reinterpret_cast<void*>(data));
}

void PrintNeedPageLOD(std::int32_t row, std::int32_t column, std::uint32_t lod, std::uintptr_t data) {
  std::fprintf(stderr, "Need page at (%d, %d) lod %u %p\n", column, row, lod, reinterpret_cast<void*>(data));
}

void DestroyList(SGInstance** head) {
  while (*head != nullptr) {
    ISGInstanceDestroy(*head);
  }
}

}  // namespace

SGError SGSceneCreate(SGContext* ctx, SGScene** out) {
  auto* scene = static_cast<SGScene*>(SGCalloc(1, sizeof(SGScene)));
  if (scene == nullptr) {
    return SG_ERROR_NO_MEMORY;
  }
  scene->scnWorldExtent[0] = scene->scnWorldExtent[1] = 1000.f;
  scene->scnWorldExtentRecip[0] = scene->scnWorldExtentRecip[1] = 0.001f;
  scene->scnPageSize = 1.f;
  scene->scnPageSizeRecip = 1.f;
  scene->scnPageNumVerts = 2;
  scene->scnMaxLOD = 4;
  scene->scnHeightScale = 1.f / 256.f;
  scene->scnMaxHeight = 1.f;
  scene->scnCacheFloor = 1.f;
  scene->scnContext = ctx;
  scene->scnNeedPage = PrintNeedPage;
  scene->scnNeedPageLOD = PrintNeedPageLOD;
  scene->scnTerrTexU = scene->scnTerrTexV = 0.5f;
  scene->scnLODDistScale = 1.f;
  scene->scnLODScale = 1.f;
  scene->scnCover.covScale[0] = scene->scnCover.covScale[1] = 1.f;
  scene->scnRandom = 1;
  for (int r = 0; r < 16; ++r) {
    for (int c = 0; c < 16; ++c) {
      const float x = static_cast<float>(c - 8) / 8.f;
      const float y = static_cast<float>(r - 8) / 8.f;
      const float s = x * x + y * y;
      float* n = scene->scnNormals[r * 16 + c];
      if (s <= 1.f) {
        n[0] = x;
        n[1] = y;
        n[2] = std::sqrt(1.f - s);
      } else {
        n[0] = x / s;
        n[1] = y / s;
        n[2] = 0.f;
      }
    }
  }
  const std::uint32_t size[2] = {16, 16};
  if (SGSceneSetWorldSize(scene, size) != SG_ERROR_NONE) {
    SGFree(scene);
    return SG_ERROR_NO_MEMORY;
  }
  *out = scene;
  return SG_ERROR_NONE;
}

SGError SGSceneDestroy(SGScene* scene) {
  if (scene == nullptr) {
    return SG_ERROR_NONE;
  }
  if ((scene->scnFlags & SG_SCN_FLAG_COVERED) != 0 && scene->scnSubScene != nullptr) {
    SGSceneDestroy(scene->scnSubScene);
  }
  if ((scene->scnFlags & SG_SCN_FLAG_SUB_SCENE) != 0 && scene->scnSuperScene != nullptr) {
    scene->scnSuperScene->scnSubScene = nullptr;
    scene->scnSuperScene->scnFlags &= ~SG_SCN_FLAG_COVERED;
  }
  SGSceneUnload(scene);
  DestroyList(&scene->scnInstances);
  DestroyList(&scene->scnLights);
  SGFree(scene->scnInstVector);
  SGFree(scene->scnSortRecs);
  SGFree(scene->scnSortKeys);
  ISGLodAdjustFree(scene);
  SGFree(scene->scnCover.covFogTable);
  SGFree(scene->scnShadeTable);
  FreeCache(scene);
  SGFree(scene);
  return SG_ERROR_NONE;
}

SGError SGSceneSetWorldSize(SGScene* scene, const std::uint32_t size[2]) {
  FreeCache(scene);
  scene->scnCacheValid = 0;
  for (int k = 0; k < 2; ++k) {
    if (!PowerOfTwo(size[k]) || (scene->scnWorldSize[k] != 0 && scene->scnWorldSize[k] < size[k])) {
      scene->scnCacheSize[0] = scene->scnCacheSize[1] = 0;
      return SG_ERROR_CACHE_SIZE;
    }
  }
  scene->scnCache = static_cast<SGPage***>(SGCalloc(size[1], sizeof(SGPage**)));
  if (scene->scnCache == nullptr) {
    scene->scnCacheSize[0] = scene->scnCacheSize[1] = 0;
    return SG_ERROR_NO_MEMORY;
  }
  for (std::uint32_t r = 0; r < size[1]; ++r) {
    scene->scnCache[r] = static_cast<SGPage**>(SGCalloc(size[0], sizeof(SGPage*)));
    if (scene->scnCache[r] == nullptr) {
      scene->scnCacheSize[1] = r;
      FreeCache(scene);
      scene->scnCacheSize[0] = scene->scnCacheSize[1] = 0;
      return SG_ERROR_NO_MEMORY;
    }
  }
  for (int k = 0; k < 2; ++k) {
    scene->scnCacheSize[k] = size[k];
    scene->scnCacheMask[k] = size[k] - 1;
  }
  return SG_ERROR_NONE;
}

SGError SGSceneAbortDraw(std::uintptr_t, SGScene* scene) {
  scene->scnFlags &= ~SG_SCN_FLAG_DRAWING;
  if ((scene->scnFlags & SG_SCN_FLAG_COVERED) != 0 && scene->scnSubScene != nullptr) {
    scene->scnSubScene->scnFlags &= ~SG_SCN_FLAG_DRAWING;
  }
  if ((scene->scnFlags & SG_SCN_FLAG_SUB_SCENE) != 0 && scene->scnSuperScene != nullptr) {
    scene->scnSuperScene->scnFlags &= ~SG_SCN_FLAG_DRAWING;
  }
  return SG_ERROR_NONE;
}

SGError SGSceneSetOrigin(SGScene* scene, const double origin[3]) {
  for (int k = 0; k < 3; ++k) {
    scene->scnOrigin[k] = origin[k];
  }
  for (int k = 0; k < 2; ++k) {
    const double extent = scene->scnWorldExtent[k];
    if (extent > 0.0 && (origin[k] <= -extent || origin[k] > extent)) {
      scene->scnOrigin[k] = std::fmod(origin[k], extent);
    }
  }
  if (origin[0] == 0.0 && origin[1] == 0.0 && origin[2] == 0.0) {
    scene->scnFlags &= ~SG_SCN_FLAG_ORIGIN;
  } else {
    scene->scnFlags |= SG_SCN_FLAG_ORIGIN;
  }
  return SG_ERROR_NONE;
}

SGError SGSceneGetOrigin(const SGScene* scene, double out[3]) {
  for (int k = 0; k < 3; ++k) {
    out[k] = scene->scnOrigin[k];
  }
  return SG_ERROR_NONE;
}

SGError SGSceneGetFlags(const SGScene* scene, std::uint32_t* out) {
  *out = scene->scnFlags & SG_SCN_CALLER_FLAGS;
  return SG_ERROR_NONE;
}

SGError SGSceneSetFlags(SGScene* scene, std::uint32_t bits) {
  scene->scnFlags |= bits & SG_SCN_CALLER_FLAGS;
  return SG_ERROR_NONE;
}

SGError SGSceneClearFlags(SGScene* scene, std::uint32_t bits) {
  scene->scnFlags &= ~(bits & SG_SCN_CALLER_FLAGS);
  return SG_ERROR_NONE;
}

SGError SGSceneSetPageCallback(SGScene* scene, SGNeedPageFn fn, std::uintptr_t data) {
  scene->scnNeedPage = fn;
  scene->scnNeedPageData = data;
  return SG_ERROR_NONE;
}

SGError SGSceneSetPageLODCallback(SGScene* scene, SGNeedPageLODFn fn, std::uintptr_t data) {
  scene->scnNeedPageLOD = fn;
  scene->scnNeedPageLODData = data;
  return SG_ERROR_NONE;
}

SGError SGSceneGetPalette(const SGScene* scene, std::uint32_t* colours, std::uint32_t* count) {
  for (std::uint32_t i = 0; i < scene->scnPaletteLen; ++i) {
    colours[i] = scene->scnPalette[i];
  }
  *count = scene->scnPaletteLen;
  return SG_ERROR_NONE;
}

SGError SGSceneSetPalette(SGScene* scene, const std::uint32_t* colours, std::uint32_t count) {
  count = count > 256 ? 256 : count;
  for (std::uint32_t i = 0; i < count; ++i) {
    scene->scnPalette[i] = colours[i];
  }
  scene->scnPaletteLen = count;
  scene->scnFlags &= ~0x2u;
  return SG_ERROR_NONE;
}

SGError SGSceneSetFog(SGScene* scene, const std::uint32_t* colour, float far) {
  scene->scnFogColour = *colour;
  scene->scnFogFar = far;
  scene->scnFogFarRecip = far != 0.f ? 1.f / far : 0.f;
  scene->scnFlags |= SG_SCN_FLAG_OWN_FOG;
  return SG_ERROR_NONE;
}

SGError SGSceneSetTerrTex(SGScene* scene, float a, float b) {
  scene->scnTerrTexV = a;
  scene->scnTerrTexU = b;
  return SG_ERROR_NONE;
}

SGError SGSceneGetTerrTex(const SGScene* scene, float* a, float* b) {
  *a = scene->scnTerrTexV;
  *b = scene->scnTerrTexU;
  return SG_ERROR_NONE;
}

SGError SGSceneSetLODScale(SGScene* scene, float value) {
  scene->scnLODScale = value;
  return SG_ERROR_NONE;
}

SGError SGSceneGetLODScale(const SGScene* scene, float* value) {
  *value = scene->scnLODScale;
  return SG_ERROR_NONE;
}

SGError SGSceneSetLODDistScale(SGScene* scene, float value) {
  scene->scnLODDistScale = value;
  return SG_ERROR_NONE;
}

SGError SGSceneGetLODDistScale(const SGScene* scene, float* value) {
  *value = scene->scnLODDistScale;
  return SG_ERROR_NONE;
}

SGError SGSceneSetCloudParams(SGScene* scene, std::uint32_t a, std::uint32_t b) {
  scene->scnCloudParams[0] = a;
  scene->scnCloudParams[1] = b;
  SGScene* sub = scene->scnSubScene;
  if ((scene->scnFlags & SG_SCN_FLAG_COVERED) != 0 && sub != nullptr && sub->scnCloudParams[0] == 0) {
    sub->scnCloudParams[0] = a;
    sub->scnCloudParams[1] = b;
  }
  return SG_ERROR_NONE;
}

SGError SGSceneSetPlumeClock(SGScene* scene, SGPlumeClockFn clock) {
  scene->scnPlumeClock = clock;
  return SG_ERROR_NONE;
}

SGError SGSceneStubUpdate(std::uintptr_t, std::uintptr_t) { return SG_ERROR_NONE; }

SGError SGSceneUnsupported(std::uintptr_t, std::uintptr_t, std::uintptr_t, std::uintptr_t, std::uintptr_t) {
  return SG_ERROR_UNSUPPORTED;
}
