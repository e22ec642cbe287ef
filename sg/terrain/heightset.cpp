// Height sets: the height file, the reduction of a grid to the scene's page
// size, normal indices, and attaching and releasing sets by pages.

#include <cmath>
#include <cstdio>
#include <cstring>

#include "sg/core/datapath.h"
#include "sg/core/hash.h"
#include "sg/core/malloc.h"
#include "sg/scene/scene.h"
#include "sg/terrain/page.h"

namespace {

SGError FindSet(const SGScene* scene, std::uint32_t key, SGPageHeightInfo** out) {
  if (scene->scnHeightTable == nullptr) {
    return SG_ERROR_NO_TABLE;
  }
  SGHashValue v = 0;
  const SGError err = SGHashFind(scene->scnHeightTable, key, &v);
  *out = reinterpret_cast<SGPageHeightInfo*>(v);
  return err;
}

float HeightScale(const SGScene* scene) {
  float k = scene->scnHeightScale;
  if (k < 0.f && scene->scnSuperScene != nullptr && scene->scnSuperScene->scnCover.covBot != 0.f) {
    k /= scene->scnSuperScene->scnCover.covBot;
  }
  return k;
}

void SetRange(const SGScene* scene, SGPageHeightInfo* phi, float top, float bottom) {
  phi->phiCeiling = top;
  phi->phiFloor = bottom;
  if ((scene->scnFlags & SG_SCN_FLAG_SUB_SCENE) != 0 && scene->scnSuperScene != nullptr) {
    phi->phiFloor = phi->phiCeiling * scene->scnSuperScene->scnCover.covBot;
  }
}

void WidenCache(SGScene* scene, const SGPageHeightInfo* phi) {
  if (phi->phiCeiling > scene->scnCacheCeiling) {
    scene->scnCacheCeiling = phi->phiCeiling;
  }
  if (phi->phiFloor < scene->scnCacheFloor) {
    scene->scnCacheFloor = phi->phiFloor;
  }
}

void FreeLOD(SGPageHeightLOD* phl, std::uint32_t callerFlags) {
  if (phl == nullptr) {
    return;
  }
  ISGPageEpochMove();
  SGFree(phl->phlVerts);
  if ((callerFlags & SG_PHI_CALLER_HEIGHTS) == 0) {
    SGFree(phl->phlHeights);
  }
  if ((callerFlags & SG_PHI_CALLER_NORMALS) == 0) {
    SGFree(phl->phlNormals);
  }
  SGFree(phl);
}

SGPageHeightLOD* NewLOD(std::uint32_t m, bool grids) {
  auto* phl = static_cast<SGPageHeightLOD*>(SGCalloc(1, sizeof(SGPageHeightLOD)));
  if (phl == nullptr) {
    return nullptr;
  }
  const std::size_t cells = static_cast<std::size_t>(m) * m;
  phl->phlSize = m;
  phl->phlVerts = static_cast<SGTerrVertSlot*>(SGCalloc(cells, sizeof(SGTerrVertSlot)));
  if (grids) {
    phl->phlHeights = static_cast<std::uint8_t*>(SGMalloc(cells));
    phl->phlNormals = static_cast<std::uint8_t*>(SGMalloc(cells));
  }
  if (phl->phlVerts == nullptr || (grids && (phl->phlHeights == nullptr || phl->phlNormals == nullptr))) {
    FreeLOD(phl, 0);
    return nullptr;
  }
  return phl;
}

// One pass of the reduction: a grid of size s to s / 2 + 1, each output the
// weighted mean of its sample (1), edge neighbours (1/2) and diagonals (1/4).
void ReducePass(const float* in, std::uint32_t s, float* out) {
  const std::uint32_t o = s / 2 + 1;
  for (std::uint32_t j = 0; j < o; ++j) {
    for (std::uint32_t i = 0; i < o; ++i) {
      float sum = 0.f;
      float weight = 0.f;
      for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
          const std::int64_t x = 2 * static_cast<std::int64_t>(i) + dx;
          const std::int64_t y = 2 * static_cast<std::int64_t>(j) + dy;
          if (x < 0 || y < 0 || x >= s || y >= s) {
            continue;
          }
          const float w = (dx == 0 ? 1.f : 0.5f) * (dy == 0 ? 1.f : 0.5f);
          sum += w * in[static_cast<std::size_t>(y) * s + static_cast<std::size_t>(x)];
          weight += w;
        }
      }
      out[static_cast<std::size_t>(j) * o + i] = sum / weight;
    }
  }
}

// Reduces an n x n grid `passes` times into m x m bytes; false when out of memory.
bool Reduce(const std::uint8_t* heights, std::uint32_t n, std::uint32_t passes, std::uint8_t* out) {
  const std::size_t cells = static_cast<std::size_t>(n) * n;
  auto* a = static_cast<float*>(SGMalloc(cells * sizeof(float)));
  auto* b = static_cast<float*>(SGMalloc(cells * sizeof(float)));
  if (a == nullptr || b == nullptr) {
    SGFree(a);
    SGFree(b);
    return false;
  }
  for (std::size_t i = 0; i < cells; ++i) {
    a[i] = heights[i];
  }
  std::uint32_t s = n;
  for (std::uint32_t p = 0; p < passes; ++p) {
    ReducePass(a, s, b);
    s = s / 2 + 1;
    std::swap(a, b);
  }
  for (std::size_t i = 0; i < static_cast<std::size_t>(s) * s; ++i) {
    out[i] = static_cast<std::uint8_t>(a[i]);
  }
  SGFree(a);
  SGFree(b);
  return true;
}

void ComputeNormals(const SGScene* scene, const std::uint8_t* h, std::uint32_t m, float k, std::uint8_t* out) {
  const float s = scene->scnPageSize / static_cast<float>(m - 1);
  for (std::uint32_t y = 0; y < m; ++y) {
    for (std::uint32_t x = 0; x < m; ++x) {
      const float here = h[y * m + x];
      const bool hasL = x > 0, hasR = x + 1 < m, hasU = y > 0, hasD = y + 1 < m;
      const float dL = hasL ? (h[y * m + x - 1] - here) * k : 0.f;
      const float dR = hasR ? (h[y * m + x + 1] - here) * k : 0.f;
      const float dU = hasU ? (h[(y - 1) * m + x] - here) * k : 0.f;
      const float dD = hasD ? (h[(y + 1) * m + x] - here) * k : 0.f;
      float n[3] = {0.f, 0.f, 0.f};
      const bool horiz[2] = {hasR, hasL};
      const bool vert[2] = {hasD, hasU};
      for (int a = 0; a < 2; ++a) {
        for (int c = 0; c < 2; ++c) {
          if (!horiz[a] || !vert[c]) {
            continue;
          }
          n[0] += a == 0 ? -s * dR : s * dL;
          n[1] += c == 0 ? -s * dD : s * dU;
          n[2] += s * s;
        }
      }
      const float len2 = n[0] * n[0] + n[1] * n[1] + n[2] * n[2];
      if (len2 > 0.f && (len2 < 0.9999f || len2 > 1.0001f)) {
        const float r = 1.f / std::sqrt(len2);
        n[0] *= r;
        n[1] *= r;
      }
      out[y * m + x] = ISGNormalIndex(n[0], n[1]);
    }
  }
}

// A new, empty set under `key`; a set already in the table is returned as it is.
SGError FindOrMakeSet(SGScene* scene, std::uint32_t key, SGPageHeightInfo** out, bool* made) {
  *made = false;
  SGError err = FindSet(scene, key, out);
  if (err != SG_ERROR_HASH_NOT_FOUND) {
    return err;
  }
  auto* phi = static_cast<SGPageHeightInfo*>(SGCalloc(1, sizeof(SGPageHeightInfo)));
  if (phi == nullptr) {
    return SG_ERROR_NO_MEMORY;
  }
  phi->phiIndex = key;
  err = SGHashInsert(scene->scnHeightTable, key, reinterpret_cast<SGHashValue>(phi));
  if (err != SG_ERROR_NONE) {
    SGFree(phi);
    return err;
  }
  *made = true;
  *out = phi;
  return SG_ERROR_NONE;
}

void DropMadeSet(SGScene* scene, SGPageHeightInfo* phi, bool made) {
  if (made) {
    SGHashRemove(scene->scnHeightTable, phi->phiIndex);
    SGFree(phi);
  }
}

}  // namespace

std::uint8_t ISGNormalIndex(float x, float y) {
  auto quantise = [](float c) {
    const float q = std::trunc((c + 1.f) * 8.f + 0.5f);
    return static_cast<std::uint32_t>(q < 0.f ? 0.f : (q > 15.f ? 15.f : q));
  };
  return static_cast<std::uint8_t>((quantise(y) << 4) | quantise(x));
}

SGError ISGHeightFileParse(const std::uint8_t* bytes, std::size_t size, std::uint32_t* n,
                           const std::uint8_t** heights) {
  if (size < 1) {
    return SG_ERROR_HEIGHT_FILE;
  }
  const auto side = static_cast<std::int8_t>(bytes[0]);
  if (side < 1) {
    return SG_ERROR_HEIGHT_FILE;
  }
  const auto count = static_cast<std::size_t>(side) * static_cast<std::size_t>(side);
  if (size - 1 < count) {
    return SG_ERROR_HEIGHT_FILE;
  }
  *n = static_cast<std::uint32_t>(side);
  *heights = bytes + 1;
  return SG_ERROR_NONE;
}

SGError ISGHeightInfoBuild(SGScene* scene, const std::uint8_t* heights, std::uint32_t n, std::uint32_t key) {
  if (scene->scnHeightTable == nullptr) {
    return SG_ERROR_NO_TABLE;
  }
  const float k = HeightScale(scene);
  std::uint32_t lods = 0;
  while ((1u << lods) < n) {
    ++lods;
  }
  std::uint32_t passes = 0;
  if (lods > scene->scnMaxLOD + 1) {
    passes = lods - (scene->scnMaxLOD + 1);
    lods = scene->scnMaxLOD + 1;
  }
  const std::uint32_t m = lods == 0 ? 1 : (1u << (lods - 1)) + 1;
  // A grid that the passes would not bring to exactly m samples a side, or one
  // smaller than the scene's pages, cannot be laid on the page grid.
  if (m < 2 || ((m - 1) << passes) + 1 != n || lods - 1 != scene->scnMaxLOD ||
      (scene->scnPageNumVerts != 0 && scene->scnPageNumVerts != m)) {
    return SG_ERROR_HEIGHT_SIZE;
  }
  SGPageHeightInfo* phi = nullptr;
  bool made = false;
  SGError err = FindOrMakeSet(scene, key, &phi, &made);
  if (err != SG_ERROR_NONE) {
    return err;
  }
  if ((phi->phiFlags & SG_PHI_LOADED) != 0 && phi->phiLOD->phlSize != m) {
    return SG_ERROR_HEIGHT_SIZE;
  }
  SGPageHeightLOD* phl = phi->phiLOD;
  const bool fresh = (phi->phiFlags & SG_PHI_LOADED) == 0;
  if (fresh) {
    phl = NewLOD(m, true);
    if (phl == nullptr) {
      DropMadeSet(scene, phi, made);
      return SG_ERROR_NO_MEMORY;
    }
  } else if ((phi->phiFlags & (SG_PHI_CALLER_HEIGHTS | SG_PHI_CALLER_NORMALS)) != 0) {
    // The grids are the caller's: a refill must not write into them.
    return SG_ERROR_PAGE_RESIDENT;
  }
  if (passes == 0) {
    std::memcpy(phl->phlHeights, heights, static_cast<std::size_t>(m) * m);
  } else if (!Reduce(heights, n, passes, phl->phlHeights)) {
    if (fresh) {
      FreeLOD(phl, 0);
      DropMadeSet(scene, phi, made);
    }
    return SG_ERROR_NO_MEMORY;
  }
  std::uint8_t top = 0;
  std::uint8_t bottom = 255;
  for (std::size_t i = 0; i < static_cast<std::size_t>(m) * m; ++i) {
    top = phl->phlHeights[i] > top ? phl->phlHeights[i] : top;
    bottom = phl->phlHeights[i] < bottom ? phl->phlHeights[i] : bottom;
  }
  SetRange(scene, phi, top * k, bottom * k);
  ComputeNormals(scene, phl->phlHeights, m, k, phl->phlNormals);
  scene->scnPageNumVerts = m;
  phi->phiLOD = phl;
  phi->phiNumTerrLODs = lods;
  phi->phiFlags |= SG_PHI_LOADED;
  return SG_ERROR_NONE;
}

SGError SGSceneAddHeightGrid(SGScene* scene, std::uint8_t* heights, std::uint8_t* normals, std::uint32_t rawMax,
                             std::uint32_t rawMin, std::uint32_t size, std::uint32_t key) {
  if (scene->scnHeightTable == nullptr) {
    return SG_ERROR_NO_TABLE;
  }
  if (size != scene->scnPageNumVerts || size != (1u << scene->scnMaxLOD) + 1 || rawMin > rawMax) {
    return SG_ERROR_HEIGHT_SIZE;
  }
  for (std::size_t i = 0; i < static_cast<std::size_t>(size) * size; ++i) {
    if (heights[i] < rawMin || heights[i] > rawMax) {
      return SG_ERROR_HEIGHT_SIZE;
    }
  }
  SGPageHeightInfo* phi = nullptr;
  bool made = false;
  SGError err = FindOrMakeSet(scene, key, &phi, &made);
  if (err != SG_ERROR_NONE) {
    return err;
  }
  if ((phi->phiFlags & SG_PHI_LOADED) != 0) {
    return SG_ERROR_PAGE_RESIDENT;
  }
  SGPageHeightLOD* phl = NewLOD(size, false);
  if (phl == nullptr) {
    DropMadeSet(scene, phi, made);
    return SG_ERROR_NO_MEMORY;
  }
  phl->phlHeights = heights;
  phl->phlNormals = normals;
  const float k = HeightScale(scene);
  SetRange(scene, phi, static_cast<float>(rawMax) * k, static_cast<float>(rawMin) * k);
  phi->phiLOD = phl;
  phi->phiNumTerrLODs = scene->scnMaxLOD + 1;
  phi->phiFlags |= SG_PHI_LOADED | SG_PHI_CALLER_HEIGHTS | SG_PHI_CALLER_NORMALS;
  return SG_ERROR_NONE;
}

SGError ISGPageAttachHeights(SGScene* scene, SGPage* page, std::uint32_t key) {
  ISGPageEpochMove();
  SGPageHeightInfo* phi = nullptr;
  const SGError err = FindSet(scene, key, &phi);
  if (err != SG_ERROR_NONE) {
    return err;
  }
  if ((phi->phiFlags & SG_PHI_LOADED) == 0) {
    page->pagFlags &= ~SG_PAGE_FLAG_HEIGHTS;
    return SG_ERROR_PAGE_MISSING;
  }
  SGPageHeightLOD* phl = phi->phiLOD;
  if (phi->phiRefCnt != 0) {
    // Each further page transforms its own vertices: same grids, own slots.
    phl = NewLOD(phi->phiLOD->phlSize, false);
    if (phl == nullptr) {
      return SG_ERROR_NO_MEMORY;
    }
    phl->phlHeights = phi->phiLOD->phlHeights;
    phl->phlNormals = phi->phiLOD->phlNormals;
  }
  scene->scnFlags |= SG_SCN_FLAG_TERRAIN;
  page->pagFlags |= SG_PAGE_FLAG_HEIGHTS;
  page->pagHeightInfo = phi;
  page->pagHeightLOD = phl;
  phi->phiRefCnt += 1;
  WidenCache(scene, phi);
  return SG_ERROR_NONE;
}

SGError ISGPageLoadHeights(SGScene* scene, SGPage* page, std::uint32_t key) {
  SGPageHeightInfo* phi = nullptr;
  SGError err = FindSet(scene, key, &phi);
  if (err != SG_ERROR_NONE) {
    return err;
  }
  if ((phi->phiFlags & SG_PHI_LOADED) != 0) {
    return ISGPageAttachHeights(scene, page, key);
  }
  if (phi->phiName == nullptr) {
    return SG_ERROR_PAGE_MISSING;
  }
  std::FILE* f = nullptr;
  if (SGDataPathOpen(scene->scnDataPath, phi->phiName, "rb", &f) != SG_ERROR_NONE) {
    return SG_ERROR_HEIGHT_FILE;
  }
  constexpr std::size_t kMaxFile = 1 + SG_HEIGHT_FILE_MAX_SIZE * SG_HEIGHT_FILE_MAX_SIZE;
  auto* bytes = static_cast<std::uint8_t*>(SGMalloc(kMaxFile));
  if (bytes == nullptr) {
    std::fclose(f);
    return SG_ERROR_NO_MEMORY;
  }
  const std::size_t got = std::fread(bytes, 1, kMaxFile, f);
  std::fclose(f);
  std::uint32_t n = 0;
  const std::uint8_t* heights = nullptr;
  err = ISGHeightFileParse(bytes, got, &n, &heights);
  if (err == SG_ERROR_NONE) {
    err = ISGHeightInfoBuild(scene, heights, n, key);
  }
  SGFree(bytes);
  if (err != SG_ERROR_NONE) {
    return err;
  }
  return ISGPageAttachHeights(scene, page, key);
}

SGError ISGPageDetachHeights(SGScene* scene, SGPage* page) {
  ISGPageEpochMove();
  SGPageHeightInfo* phi = page->pagHeightInfo;
  if (phi != nullptr) {
    if (page->pagHeightLOD != phi->phiLOD) {
      FreeLOD(page->pagHeightLOD, SG_PHI_CALLER_HEIGHTS | SG_PHI_CALLER_NORMALS);
    }
    ISGHeightInfoRelease(scene, phi);
  }
  page->pagHeightInfo = nullptr;
  page->pagHeightLOD = nullptr;
  page->pagFlags &= ~SG_PAGE_FLAG_HEIGHTS;
  return SG_ERROR_NONE;
}

SGError ISGHeightInfoRelease(SGScene* scene, SGPageHeightInfo* phi) {
  if (phi->phiRefCnt >= 2) {
    phi->phiRefCnt -= 1;
    return SG_ERROR_NONE;
  }
  phi->phiRefCnt = 0;
  FreeLOD(phi->phiLOD, phi->phiFlags);
  phi->phiLOD = nullptr;
  phi->phiFlags = 0;
  if (phi->phiName == nullptr) {
    SGHashRemove(scene->scnHeightTable, phi->phiIndex);
    SGFree(phi);
  }
  return SG_ERROR_NONE;
}

SGError SGSceneReleaseHeights(SGScene* scene, std::uint32_t key) {
  SGPageHeightInfo* phi = nullptr;
  const SGError err = FindSet(scene, key, &phi);
  return err != SG_ERROR_NONE ? err : ISGHeightInfoRelease(scene, phi);
}

SGError SGSceneRefHeights(SGScene* scene, std::uint32_t key) {
  SGPageHeightInfo* phi = nullptr;
  const SGError err = FindSet(scene, key, &phi);
  if (err == SG_ERROR_NONE) {
    phi->phiRefCnt += 1;
  }
  return err;
}

SGError SGSceneUnrefHeights(SGScene* scene, std::uint32_t key) {
  SGPageHeightInfo* phi = nullptr;
  const SGError err = FindSet(scene, key, &phi);
  if (err == SG_ERROR_NONE && phi->phiRefCnt > 0) {
    phi->phiRefCnt -= 1;
  }
  return err;
}

SGError SGPageGetHeightKey(const SGPage* page, std::uint32_t* out) {
  *out = page->pagHeightInfo != nullptr ? page->pagHeightInfo->phiIndex : 0;
  return SG_ERROR_NONE;
}
