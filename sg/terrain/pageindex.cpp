// The scene's page index (rows by y, pages in a row by x), its cache of the
// pages around the camera, and pages made resident and freed.

#include <cmath>

#include "sg/core/hash.h"
#include "sg/core/malloc.h"
#include "sg/scene/scene.h"
#include "sg/terrain/page.h"

std::atomic<std::uint32_t> g_sgPageEpoch{0};

namespace {

std::uint32_t Wrap(std::int32_t v, std::uint32_t size) {
  const std::int64_t s = size;
  return static_cast<std::uint32_t>(((v % s) + s) % s);
}

SGPage** CacheSlot(const SGScene* scene, std::uint32_t x, std::uint32_t y) {
  if (scene->scnCache == nullptr || scene->scnCacheSize[0] == 0 || scene->scnCacheSize[1] == 0) {
    return nullptr;
  }
  return &scene->scnCache[y & scene->scnCacheMask[1]][x & scene->scnCacheMask[0]];
}

SGPage* Find(const SGScene* scene, std::uint32_t x, std::uint32_t y) {
  SGPage** slot = CacheSlot(scene, x, y);
  if (slot != nullptr && *slot != nullptr && (*slot)->pagLoc[0] == x && (*slot)->pagLoc[1] == y) {
    return *slot;
  }
  SGPage* row = scene->scnPages;
  while (row != nullptr && row->pagLoc[1] < y) {
    row = row->pagYNext;
  }
  if (row == nullptr || row->pagLoc[1] != y) {
    return nullptr;
  }
  SGPage* page = row;
  while (page != nullptr && page->pagLoc[0] < x) {
    page = page->pagXNext;
  }
  return page != nullptr && page->pagLoc[0] == x ? page : nullptr;
}

// Gives the page its location and origin, nothing more.
void Place(const SGScene* scene, SGPage* page, std::uint32_t x, std::uint32_t y) {
  ISGPageEpochMove();
  page->pagLoc[0] = static_cast<std::uint16_t>(x);
  page->pagLoc[1] = static_cast<std::uint16_t>(y);
  page->pagOrigin[0] = static_cast<float>(x) * scene->scnPageSize;
  page->pagOrigin[1] = static_cast<float>(y) * scene->scnPageSize;
  page->pagOrigin[2] = 0.f;
  page->pagNearOrigin[0] = page->pagOrigin[0];
  page->pagNearOrigin[1] = page->pagOrigin[1];
}

SGError Link(SGScene* scene, SGPage* page, std::uint32_t x, std::uint32_t y) {
  if (x >= scene->scnWorldSize[0] || y >= scene->scnWorldSize[1] || x > 0xFFFF || y > 0xFFFF) {
    return SG_ERROR_PAGE_OUTSIDE;
  }
  Place(scene, page, x, y);
  SGPage** link = &scene->scnPages;
  while (*link != nullptr && (*link)->pagLoc[1] < y) {
    link = &(*link)->pagYNext;
  }
  if (*link == nullptr || (*link)->pagLoc[1] > y) {
    page->pagYNext = *link;
    if (*link != nullptr) {
      (*link)->pagBack = &page->pagYNext;
    }
    page->pagXNext = nullptr;
  } else if ((*link)->pagLoc[0] > x) {
    SGPage* head = *link;
    page->pagYNext = head->pagYNext;
    if (page->pagYNext != nullptr) {
      page->pagYNext->pagBack = &page->pagYNext;
    }
    head->pagYNext = nullptr;
    page->pagXNext = head;
    head->pagBack = &page->pagXNext;
  } else {
    link = &(*link)->pagXNext;
    while (*link != nullptr && (*link)->pagLoc[0] < x) {
      link = &(*link)->pagXNext;
    }
    page->pagXNext = *link;
    page->pagYNext = nullptr;
    if (*link != nullptr) {
      (*link)->pagBack = &page->pagXNext;
    }
  }
  *link = page;
  page->pagBack = link;
  return SG_ERROR_NONE;
}

void Unlink(SGScene* scene, SGPage* page) {
  SGPage** slot = CacheSlot(scene, page->pagLoc[0], page->pagLoc[1]);
  if (slot != nullptr && *slot == page) {
    *slot = nullptr;
  }
  if (page->pagBack == nullptr) {
    return;
  }
  SGPage* row = scene->scnPages;
  while (row != nullptr && row->pagLoc[1] < page->pagLoc[1]) {
    row = row->pagYNext;
  }
  if (row == page) {
    SGPage* next = page->pagXNext;
    if (next != nullptr) {
      next->pagYNext = page->pagYNext;
      if (next->pagYNext != nullptr) {
        next->pagYNext->pagBack = &next->pagYNext;
      }
      next->pagBack = page->pagBack;
      *page->pagBack = next;
    } else {
      *page->pagBack = page->pagYNext;
      if (page->pagYNext != nullptr) {
        page->pagYNext->pagBack = page->pagBack;
      }
    }
  } else {
    *page->pagBack = page->pagXNext;
    if (page->pagXNext != nullptr) {
      page->pagXNext->pagBack = page->pagBack;
    }
  }
  page->pagBack = nullptr;
  page->pagXNext = page->pagYNext = nullptr;
}

}  // namespace

SGError SGPageCreate(SGScene*, SGPage** out) {
  auto* page = static_cast<SGPage*>(SGCalloc(1, sizeof(SGPage)));
  if (page == nullptr) {
    return SG_ERROR_NO_MEMORY;
  }
  if (ISGCullStateCreate(&page->pagCullState) != SG_ERROR_NONE) {
    SGFree(page);
    return SG_ERROR_NO_MEMORY;
  }
  *out = page;
  return SG_ERROR_NONE;
}

SGError SGPageSetUserData(SGPage* page, std::uint32_t word) {
  page->pagUserData = word;
  return SG_ERROR_NONE;
}

SGError ISGSceneFreePage(SGScene* scene, SGPage* page) {
  ISGPageEpochMove();
  // A cache slot left on a freed page would be trusted by the next lookup of
  // its location.
  if (SGPage** slot = CacheSlot(scene, page->pagLoc[0], page->pagLoc[1]); slot != nullptr && *slot == page) {
    *slot = nullptr;
  }
  Unlink(scene, page);
  SGPageDetachTextures(scene, page);
  ISGPageDetachHeights(scene, page);
  ISGCullStateFree(page->pagCullState);
  SGFree(page->pagLights);
  SGFree(page);
  return SG_ERROR_NONE;
}

SGError SGSceneMovePage(SGScene* scene, SGPage* page, const std::int32_t loc[2]) {
  if (scene->scnWorldSize[0] == 0 || scene->scnWorldSize[1] == 0) {
    return SG_ERROR_PAGE_OUTSIDE;
  }
  const std::uint32_t x = Wrap(loc[0], scene->scnWorldSize[0]);
  const std::uint32_t y = Wrap(loc[1], scene->scnWorldSize[1]);
  Unlink(scene, page);
  if (SGPage* there = Find(scene, x, y); there != nullptr) {
    Unlink(scene, there);
  }
  // The cache was filled with the pages where they lay.
  scene->scnCacheValid = 0;
  return Link(scene, page, x, y);
}

SGError SGSceneTakePage(SGScene* scene, SGPage* page, const std::int32_t loc[2]) {
  if (scene->scnWorldSize[0] == 0 || scene->scnWorldSize[1] == 0) {
    return SG_ERROR_PAGE_OUTSIDE;
  }
  const std::uint32_t x = Wrap(loc[0], scene->scnWorldSize[0]);
  const std::uint32_t y = Wrap(loc[1], scene->scnWorldSize[1]);
  Unlink(scene, page);
  SGPage* there = Find(scene, x, y);
  Place(scene, page, x, y);
  scene->scnCacheValid = 0;
  if (there == nullptr) {
    return SG_ERROR_NONE;
  }
  if (SGPage** slot = CacheSlot(scene, x, y); slot != nullptr && *slot == there) {
    *slot = page;
  }
  if (there->pagBack != nullptr) {
    page->pagXNext = there->pagXNext;
    page->pagYNext = there->pagYNext;
    page->pagBack = there->pagBack;
    *page->pagBack = page;
    if (page->pagXNext != nullptr) {
      page->pagXNext->pagBack = &page->pagXNext;
    }
    if (page->pagYNext != nullptr) {
      page->pagYNext->pagBack = &page->pagYNext;
    }
  }
  there->pagBack = nullptr;
  there->pagXNext = there->pagYNext = nullptr;
  return SG_ERROR_NONE;
}

SGError SGSceneGetPage(SGScene* scene, SGPage** out, const std::int32_t loc[2], std::uint32_t flags) {
  *out = nullptr;
  if (scene->scnWorldSize[0] == 0 || scene->scnWorldSize[1] == 0) {
    return SG_ERROR_PAGE_MISSING;
  }
  const std::uint32_t x = Wrap(loc[0], scene->scnWorldSize[0]);
  const std::uint32_t y = Wrap(loc[1], scene->scnWorldSize[1]);
  SGPage* page = Find(scene, x, y);
  if (page != nullptr && (page->pagFlags & SG_PAGE_FLAG_HEIGHTS) != 0) {
    *out = page;
    return SG_ERROR_NONE;
  }
  if ((flags & 1) == 0) {
    return SG_ERROR_PAGE_MISSING;
  }
  if (page == nullptr) {
    SGError err = SGPageCreate(scene, &page);
    if (err != SG_ERROR_NONE) {
      return err;
    }
    err = Link(scene, page, x, y);
    if (err != SG_ERROR_NONE) {
      ISGSceneFreePage(scene, page);
      return err;
    }
  }
  scene->scnNeedPage(static_cast<std::int32_t>(y), static_cast<std::int32_t>(x), scene->scnNeedPageData);
  // The hook may have freed the page it found (a failed load): look again.
  page = Find(scene, x, y);
  if (page == nullptr) {
    return SG_ERROR_PAGE_MISSING;
  }
  if ((page->pagFlags & SG_PAGE_FLAG_HEIGHTS) == 0) {
    ISGSceneFreePage(scene, page);
    return SG_ERROR_PAGE_MISSING;
  }
  *out = page;
  return SG_ERROR_NONE;
}

void ISGPageNearOrigin(const SGScene* scene, SGPage* page, const float point[3]) {
  const float size = scene->scnPageSize;
  for (int k = 0; k < 2; ++k) {
    const float d = point[k] - page->pagNearOrigin[k];
    if (d >= 0.f && d <= size) {
      continue;
    }
    // The copy whose square holds the point: in a world one page wide the
    // nearest copy's origin may lie beyond the point.
    const float extent = scene->scnWorldExtent[k];
    page->pagNearOrigin[k] = page->pagOrigin[k] + std::floor((point[k] - page->pagOrigin[k]) / extent) * extent;
  }
}

SGError ISGSceneGetPageAtPoint(SGScene* scene, SGPage** out, const float point[3], std::uint32_t flags) {
  std::int32_t loc[2];
  for (int k = 0; k < 2; ++k) {
    const double t = static_cast<double>(point[k]) * scene->scnPageSizeRecip;
    const std::uint32_t edgeFlag = k == 0 ? 0x2 : 0x4;
    const double cell = (flags & edgeFlag) != 0 ? std::ceil(t) - 1.0 : std::floor(t);
    if (!std::isfinite(cell) || std::fabs(cell) > 1e9) {
      return SG_ERROR_PAGE_MISSING;
    }
    loc[k] = static_cast<std::int32_t>(cell);
  }
  SGError err = SGSceneGetPage(scene, out, loc, flags);
  if (err == SG_ERROR_NONE) {
    ISGPageNearOrigin(scene, *out, point);
  }
  return err;
}

SGError SGSceneLoadPage(SGScene* scene, std::uint32_t heightKey, std::uint32_t textureKey, std::int32_t row,
                        std::int32_t column, SGPage** out) {
  if ((scene->scnFlags & SG_SCN_FLAG_LOADED) == 0) {
    return SG_ERROR_SCENE_NOT_LOADED;
  }
  if (column < 0 || row < 0) {
    return SG_ERROR_PAGE_OUTSIDE;
  }
  const auto x = static_cast<std::uint32_t>(column);
  const auto y = static_cast<std::uint32_t>(row);
  SGPage* page = Find(scene, x, y);
  if (page != nullptr && (page->pagFlags & SG_PAGE_FLAG_HEIGHTS) != 0) {
    return SG_ERROR_PAGE_RESIDENT;
  }
  SGError err = SG_ERROR_NONE;
  if (page == nullptr) {
    err = SGPageCreate(scene, &page);
    if (err != SG_ERROR_NONE) {
      return err;
    }
    err = Link(scene, page, x, y);
  }
  if (err == SG_ERROR_NONE) {
    err = ISGPageLoadHeights(scene, page, heightKey);
  }
  if (err == SG_ERROR_NONE) {
    err = ISGPageLoadTextures(scene, page, textureKey);
  }
  if (err != SG_ERROR_NONE) {
    ISGSceneFreePage(scene, page);
    return err;
  }
  if (out != nullptr) {
    *out = page;
  }
  return SG_ERROR_NONE;
}

SGError ISGSceneFillCache(SGScene* scene, const double eye[3]) {
  std::int32_t centre[2];
  for (int k = 0; k < 2; ++k) {
    const double t = eye[k] / scene->scnPageSize;
    const double c = std::fabs(t) < 1e9 ? t : 0.0;
    centre[k] = static_cast<std::int32_t>(c) - (c < 0.0 ? 1 : 0);
  }
  if (scene->scnCache == nullptr || centre[0] != scene->scnCacheCentre[0] || centre[1] != scene->scnCacheCentre[1]) {
    scene->scnCacheValid = 0;
    scene->scnCacheCentre[0] = centre[0];
    scene->scnCacheCentre[1] = centre[1];
  }
  if (scene->scnCacheValid != 0) {
    return SG_ERROR_NONE;
  }
  if (scene->scnCache == nullptr || scene->scnCacheSize[0] == 0 || scene->scnCacheSize[1] == 0) {
    return SG_ERROR_CACHE_EMPTY;
  }
  const auto half = [&](int k) { return static_cast<std::int32_t>(scene->scnCacheSize[k] / 2); };
  float floor = scene->scnMaxHeight;
  float ceiling = scene->scnMinHeight;
  for (std::int32_t r = centre[1] - half(1); r < centre[1] + half(1) + (half(1) == 0 ? 1 : 0); ++r) {
    for (std::int32_t c = centre[0] - half(0); c < centre[0] + half(0) + (half(0) == 0 ? 1 : 0); ++c) {
      SGPage** slot = CacheSlot(scene, static_cast<std::uint32_t>(c), static_cast<std::uint32_t>(r));
      SGPage* page = nullptr;
      const std::int32_t loc[2] = {c, r};
      const SGError err = SGSceneGetPage(scene, &page, loc, 0);
      if (err == SG_ERROR_PAGE_MISSING) {
        *slot = nullptr;
        continue;
      }
      if (err != SG_ERROR_NONE) {
        return err;
      }
      page->pagNearOrigin[0] = static_cast<float>(c) * scene->scnPageSize;
      page->pagNearOrigin[1] = static_cast<float>(r) * scene->scnPageSize;
      *slot = page;
      floor = std::fmin(floor, page->pagHeightInfo->phiFloor);
      ceiling = std::fmax(ceiling, page->pagHeightInfo->phiCeiling);
    }
  }
  if (floor < ceiling) {
    scene->scnCacheFloor = floor;
    scene->scnCacheCeiling = ceiling;
  } else {
    scene->scnCacheFloor = scene->scnMinHeight;
    scene->scnCacheCeiling = scene->scnMaxHeight;
  }
  scene->scnCacheValid = 1;
  return SG_ERROR_NONE;
}

void ISGSceneFreeTerrain(SGScene* scene) {
  ISGPageEpochMove();
  while (scene->scnPages != nullptr) {
    ISGSceneFreePage(scene, scene->scnPages);
  }
  scene->scnCacheValid = 0;
  SGHashTable* table = scene->scnHeightTable;
  if (table == nullptr) {
    return;
  }
  for (std::uint32_t b = 0; b < table->hashNumBuckets; ++b) {
    for (SGHashEntry* e = table->hashBuckets[b]; e != nullptr; e = e->heNext) {
      auto* phi = reinterpret_cast<SGPageHeightInfo*>(e->heValue);
      if (phi->phiLOD != nullptr) {
        // Every page let go above; what is left is a set no page took or a
        // caller's reference: the grids go, the named entry stays for its table.
        phi->phiRefCnt = 0;
        SGFree(phi->phiLOD->phlVerts);
        if ((phi->phiFlags & SG_PHI_CALLER_HEIGHTS) == 0) {
          SGFree(phi->phiLOD->phlHeights);
        }
        if ((phi->phiFlags & SG_PHI_CALLER_NORMALS) == 0) {
          SGFree(phi->phiLOD->phlNormals);
        }
        SGFree(phi->phiLOD);
        phi->phiLOD = nullptr;
        phi->phiFlags = 0;
      }
    }
  }
}
