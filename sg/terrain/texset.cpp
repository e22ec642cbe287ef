// Texture sets of terrain pages (software family: each texture level is a
// texture map), shared by reference count.

#include <cstring>

#include "sg/core/context.h"
#include "sg/core/hash.h"
#include "sg/core/malloc.h"
#include "sg/material/material.h"
#include "sg/scene/scene.h"
#include "sg/terrain/page.h"

namespace {

SGError FindSet(const SGScene* scene, std::uint32_t key, SGPageTexInfo** out) {
  if (scene->scnTextureTable == nullptr) {
    return SG_ERROR_NO_TABLE;
  }
  SGHashValue v = 0;
  const SGError err = SGHashFind(scene->scnTextureTable, key, &v);
  *out = reinterpret_cast<SGPageTexInfo*>(v);
  return err;
}

bool AllLoaded(const SGPageTexInfo* pti) {
  for (std::uint32_t i = 0; i < pti->ptiNumTexLODs; ++i) {
    if (pti->ptiTexLODs[i] == nullptr) {
      return false;
    }
  }
  return true;
}

// A level the caller installed has no name to be read again from: it stays
// until the scene's tables go, so a page made later still finds it.
void ReleaseLevels(SGPageTexInfo* pti) {
  for (std::uint32_t i = 0; i < pti->ptiNumTexLODs; ++i) {
    if (pti->ptiNames[i] == nullptr) {
      continue;
    }
    SGTextureMapRelease(pti->ptiTexLODs[i]);
    pti->ptiTexLODs[i] = nullptr;
  }
}

// Grows both arrays to `count` entries, new ones null.
SGError Grow(SGPageTexInfo* pti, std::uint32_t count) {
  if (count <= pti->ptiNumTexLODs) {
    return SG_ERROR_NONE;
  }
  auto* maps = static_cast<SGTextureMap**>(SGCalloc(count, sizeof(SGTextureMap*)));
  auto* names = static_cast<char**>(SGCalloc(count, sizeof(char*)));
  if (maps == nullptr || names == nullptr) {
    SGFree(maps);
    SGFree(names);
    return SG_ERROR_NO_MEMORY;
  }
  if (pti->ptiNumTexLODs != 0) {
    std::memcpy(maps, pti->ptiTexLODs, pti->ptiNumTexLODs * sizeof(SGTextureMap*));
    std::memcpy(names, pti->ptiNames, pti->ptiNumTexLODs * sizeof(char*));
  }
  SGFree(pti->ptiTexLODs);
  SGFree(pti->ptiNames);
  pti->ptiTexLODs = maps;
  pti->ptiNames = names;
  pti->ptiNumTexLODs = count;
  return SG_ERROR_NONE;
}

}  // namespace

SGError ISGPageLoadTextures(SGScene* scene, SGPage* page, std::uint32_t key) {
  SGPageTexInfo* pti = nullptr;
  SGError err = FindSet(scene, key, &pti);
  if (err != SG_ERROR_NONE) {
    return err;
  }
  page->pagTextureInfo = pti;
  pti->ptiRefCnt += 1;
  if (AllLoaded(pti)) {
    return SG_ERROR_NONE;
  }
  for (std::uint32_t i = 0; i < pti->ptiNumTexLODs && err == SG_ERROR_NONE; ++i) {
    if (pti->ptiTexLODs[i] != nullptr || pti->ptiNames[i] == nullptr) {
      continue;
    }
    SGTextureMap* txm = nullptr;
    err = SGTextureMapLoad(scene->scnDataPath, pti->ptiNames[i], &txm);
    if (err == SG_ERROR_NONE) {
      pti->ptiTexLODs[i] = txm;
      err = SGContextPrepareTexture(scene->scnContext, txm);
    }
  }
  // A level that failed stays empty (its name is kept, so a later page may
  // try again); the drawing asks for a missing level through scnNeedPageLOD.
  return err;
}

SGError SGPageDetachTextures(SGScene*, SGPage* page) {
  SGPageTexInfo* pti = page->pagTextureInfo;
  if (pti == nullptr) {
    return SG_ERROR_NONE;
  }
  if (pti->ptiRefCnt > 0) {
    pti->ptiRefCnt -= 1;
  }
  if (pti->ptiRefCnt == 0) {
    ReleaseLevels(pti);
  }
  page->pagTextureInfo = nullptr;
  return SG_ERROR_NONE;
}

SGError SGSceneSetTexLOD(SGScene* scene, SGTextureMap* txm, std::uint32_t key, std::uint32_t lod) {
  if (lod >= SG_SCENE_MAX_TEX_LODS) {
    return SG_ERROR_INST_INDEX;
  }
  SGPageTexInfo* pti = nullptr;
  SGError err = FindSet(scene, key, &pti);
  if (err == SG_ERROR_HASH_NOT_FOUND) {
    pti = static_cast<SGPageTexInfo*>(SGCalloc(1, sizeof(SGPageTexInfo)));
    if (pti == nullptr) {
      return SG_ERROR_NO_MEMORY;
    }
    pti->ptiIndex = key;
    err = Grow(pti, lod + 1);
    if (err == SG_ERROR_NONE) {
      err = SGHashInsert(scene->scnTextureTable, key, reinterpret_cast<SGHashValue>(pti));
    }
    if (err != SG_ERROR_NONE) {
      SGFree(pti->ptiTexLODs);
      SGFree(pti->ptiNames);
      SGFree(pti);
      return err;
    }
  } else if (err != SG_ERROR_NONE) {
    return err;
  }
  err = Grow(pti, lod + 1);
  if (err != SG_ERROR_NONE) {
    return err;
  }
  SGFree(pti->ptiNames[lod]);
  pti->ptiNames[lod] = nullptr;
  SGTextureMapRelease(pti->ptiTexLODs[lod]);
  txm->txmRefCnt += 1;
  pti->ptiTexLODs[lod] = txm;
  return SG_ERROR_NONE;
}

SGError SGPageAttachTextures(SGScene* scene, SGPage* page, std::uint32_t key) {
  SGPageTexInfo* pti = nullptr;
  const SGError err = FindSet(scene, key, &pti);
  if (err == SG_ERROR_NONE) {
    page->pagTextureInfo = pti;
    pti->ptiRefCnt += 1;
  }
  return err;
}

SGError SGPageShareTextures(SGScene*, SGPage* page, const SGPage* other) {
  page->pagTextureInfo = other->pagTextureInfo;
  if (page->pagTextureInfo != nullptr) {
    page->pagTextureInfo->ptiRefCnt += 1;
  }
  page->pagFlags |= other->pagFlags & SG_PAGE_FLAG_HEIGHTS;
  return SG_ERROR_NONE;
}

SGError SGSceneRefTextures(SGScene* scene, std::uint32_t key) {
  SGPageTexInfo* pti = nullptr;
  const SGError err = FindSet(scene, key, &pti);
  if (err == SG_ERROR_NONE) {
    pti->ptiRefCnt += 1;
  }
  return err;
}

SGError SGSceneUnrefTextures(SGScene* scene, std::uint32_t key) {
  SGPageTexInfo* pti = nullptr;
  const SGError err = FindSet(scene, key, &pti);
  if (err == SG_ERROR_NONE && pti->ptiRefCnt > 0) {
    pti->ptiRefCnt -= 1;
  }
  return err;
}

SGError SGPageLoadTexLOD(SGScene* scene, SGPage* page, std::uint32_t lod) {
  SGPageTexInfo* pti = page->pagTextureInfo;
  if (pti == nullptr || lod >= pti->ptiNumTexLODs) {
    return SG_ERROR_INST_INDEX;
  }
  if (pti->ptiNames[lod] == nullptr) {
    return pti->ptiTexLODs[lod] != nullptr ? SG_ERROR_NONE : SG_ERROR_PAGE_MISSING;
  }
  SGTextureMap* txm = nullptr;
  SGError err = SGTextureMapLoad(scene->scnDataPath, pti->ptiNames[lod], &txm);
  if (err != SG_ERROR_NONE) {
    return err;
  }
  SGTextureMapRelease(pti->ptiTexLODs[lod]);
  pti->ptiTexLODs[lod] = txm;
  return SGContextPrepareTexture(scene->scnContext, txm);
}

SGError SGPageLoadTexLODByKey(SGScene* scene, SGPage* page, std::uint32_t key, std::uint32_t lod) {
  SGPageTexInfo* pti = nullptr;
  const SGError err = FindSet(scene, key, &pti);
  if (err != SG_ERROR_NONE) {
    return err;
  }
  if (page->pagTextureInfo != pti) {
    SGPageDetachTextures(scene, page);
    page->pagTextureInfo = pti;
    pti->ptiRefCnt += 1;
  }
  return SGPageLoadTexLOD(scene, page, lod);
}

SGError ISGTexInfoReleaseLOD(SGScene*, SGPageTexInfo* pti, std::uint32_t lod) {
  if (lod >= pti->ptiNumTexLODs) {
    return SG_ERROR_INST_INDEX;
  }
  SGTextureMapRelease(pti->ptiTexLODs[lod]);
  pti->ptiTexLODs[lod] = nullptr;
  return SG_ERROR_NONE;
}

SGError SGPageReleaseTexLOD(SGScene* scene, SGPage* page, std::uint32_t lod) {
  return page->pagTextureInfo == nullptr ? SG_ERROR_PAGE_MISSING
                                         : ISGTexInfoReleaseLOD(scene, page->pagTextureInfo, lod);
}

SGError SGSceneReleaseTexLOD(SGScene* scene, std::uint32_t key, std::uint32_t lod) {
  SGPageTexInfo* pti = nullptr;
  const SGError err = FindSet(scene, key, &pti);
  return err != SG_ERROR_NONE ? err : ISGTexInfoReleaseLOD(scene, pti, lod);
}

SGError SGSceneReleaseTextures(SGScene* scene, std::uint32_t key) {
  SGPageTexInfo* pti = nullptr;
  const SGError err = FindSet(scene, key, &pti);
  if (err != SG_ERROR_NONE) {
    return err;
  }
  if (pti->ptiRefCnt > 1) {
    pti->ptiRefCnt -= 1;
    return SG_ERROR_NONE;
  }
  // The last user: the set and its names go with every level, the caller's too.
  for (std::uint32_t i = 0; i < pti->ptiNumTexLODs; ++i) {
    SGTextureMapRelease(pti->ptiTexLODs[i]);
    SGFree(pti->ptiNames[i]);
  }
  SGHashRemove(scene->scnTextureTable, key);
  SGFree(pti->ptiTexLODs);
  SGFree(pti->ptiNames);
  SGFree(pti);
  return SG_ERROR_NONE;
}
