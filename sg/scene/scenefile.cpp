// The scene description file: colour table, page size, height range, page
// resolution, world size, and the height files and texture sets by index.

#include <cmath>
#include <cstdio>
#include <cstring>

#include "sg/core/datapath.h"
#include "sg/core/hash.h"
#include "sg/core/malloc.h"
#include "sg/material/material.h"
#include "sg/scene/scene.h"
#include "sg/scene/scenefile.h"
#include "sg/terrain/page.h"

namespace {

constexpr int kLine = 1024;
constexpr std::uint32_t kMaxVertsShift = 30;

char* CopyString(const char* s) {
  const std::size_t n = std::strlen(s) + 1;
  auto* copy = static_cast<char*>(SGMalloc(n));
  if (copy != nullptr) {
    std::memcpy(copy, s, n);
  }
  return copy;
}

void FreeHeightInfo(SGPageHeightInfo* phi) {
  if (phi != nullptr) {
    SGFree(phi->phiName);
    SGFree(phi);
  }
}

void FreeTexInfo(SGPageTexInfo* pti) {
  if (pti == nullptr) {
    return;
  }
  for (std::uint32_t i = 0; i < pti->ptiNumTexLODs; ++i) {
    if (pti->ptiNames != nullptr) {
      SGFree(pti->ptiNames[i]);
    }
    if (pti->ptiTexLODs != nullptr) {
      SGTextureMapRelease(pti->ptiTexLODs[i]);
    }
  }
  SGFree(pti->ptiNames);
  SGFree(pti->ptiTexLODs);
  SGFree(pti);
}

// Frees every entry of an integer table, then the table.
template <class Entry>
void FreeTable(SGHashTable* table, void (*freeEntry)(Entry*)) {
  if (table == nullptr) {
    return;
  }
  for (std::uint32_t b = 0; b < table->hashNumBuckets; ++b) {
    for (SGHashEntry* e = table->hashBuckets[b]; e != nullptr; e = e->heNext) {
      freeEntry(reinterpret_cast<Entry*>(e->heValue));
    }
  }
  SGHashDestroy(table);
}

// Inserts an entry under its index. The table holds one entry per index: a
// later entry with an index already listed is dropped, the first one stays.
template <class Entry>
SGError InsertEntry(SGHashTable* table, std::uint32_t index, Entry* entry, void (*freeEntry)(Entry*)) {
  const SGError err = SGHashInsert(table, index, reinterpret_cast<SGHashValue>(entry));
  if (err != SG_ERROR_NONE) {
    freeEntry(entry);
  }
  return err == SG_ERROR_HASH_DUPLICATE ? SG_ERROR_NONE : err;
}

SGError ReadPalette(SGScene* scene, const SGDataPath* dp, const char* name) {
  std::FILE* f = nullptr;
  if (SGDataPathOpen(dp, name, "rb", &f) != SG_ERROR_NONE) {
    return SG_ERROR_SCENE_PALETTE;
  }
  std::uint8_t bytes[4 * 256 + 1];
  const std::size_t got = std::fread(bytes, 1, sizeof(bytes), f);
  std::fclose(f);
  if (got < 1) {
    return SG_ERROR_SCENE_PALETTE;
  }
  const std::uint32_t count = bytes[0] + 1u;
  if (got < 1 + 4 * static_cast<std::size_t>(count)) {
    return SG_ERROR_SCENE_PALETTE;
  }
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::uint8_t* p = bytes + 1 + 4 * i;
    scene->scnPalette[i] = p[0] | (static_cast<std::uint32_t>(p[1]) << 8) | (static_cast<std::uint32_t>(p[2]) << 16) |
                           (static_cast<std::uint32_t>(p[3]) << 24);
  }
  scene->scnPaletteLen = count;
  scene->scnFlags &= ~0x2u;
  return SG_ERROR_NONE;
}

bool PowerOfTwo(std::uint32_t v) { return v != 0 && (v & (v - 1)) == 0; }

SGError ReadHeight(SGScene* scene, std::FILE* f) {
  int index = 0;
  char name[kLine];
  if (std::fscanf(f, "%d %1023s", &index, name) != 2) {
    return SG_ERROR_SCENE_FORMAT;
  }
  auto* phi = static_cast<SGPageHeightInfo*>(SGCalloc(1, sizeof(SGPageHeightInfo)));
  if (phi == nullptr) {
    return SG_ERROR_NO_MEMORY;
  }
  phi->phiIndex = static_cast<std::uint32_t>(index);
  phi->phiName = CopyString(name);
  if (phi->phiName == nullptr) {
    FreeHeightInfo(phi);
    return SG_ERROR_NO_MEMORY;
  }
  scene->scnFlags |= SG_SCN_FLAG_TERRAIN;
  return InsertEntry(scene->scnHeightTable, phi->phiIndex, phi, FreeHeightInfo);
}

SGError ReadTexture(SGScene* scene, std::FILE* f) {
  int index = 0;
  int count = 0;
  if (std::fscanf(f, "%d %d", &index, &count) != 2 || count < 0 || count > static_cast<int>(SG_SCENE_MAX_TEX_LODS)) {
    return SG_ERROR_SCENE_FORMAT;
  }
  auto* pti = static_cast<SGPageTexInfo*>(SGCalloc(1, sizeof(SGPageTexInfo)));
  if (pti == nullptr) {
    return SG_ERROR_NO_MEMORY;
  }
  pti->ptiIndex = static_cast<std::uint32_t>(index);
  pti->ptiTexLODs = static_cast<SGTextureMap**>(SGCalloc(static_cast<std::size_t>(count), sizeof(SGTextureMap*)));
  pti->ptiNames = static_cast<char**>(SGCalloc(static_cast<std::size_t>(count), sizeof(char*)));
  if (pti->ptiTexLODs == nullptr || pti->ptiNames == nullptr) {
    FreeTexInfo(pti);
    return SG_ERROR_NO_MEMORY;
  }
  pti->ptiNumTexLODs = static_cast<std::uint32_t>(count);
  for (int i = 0; i < count; ++i) {
    char name[kLine];
    if (std::fscanf(f, "%1023s", name) != 1) {
      FreeTexInfo(pti);
      return SG_ERROR_SCENE_FORMAT;
    }
    pti->ptiNames[i] = CopyString(name);
    if (pti->ptiNames[i] == nullptr) {
      FreeTexInfo(pti);
      return SG_ERROR_NO_MEMORY;
    }
  }
  return InsertEntry(scene->scnTextureTable, pti->ptiIndex, pti, FreeTexInfo);
}

SGError ReadBody(SGScene* scene, std::FILE* f, const SGDataPath* dp) {
  char line[kLine];
  for (;;) {
    if (std::fgets(line, sizeof(line), f) == nullptr) {
      return SG_ERROR_SCENE_FORMAT;
    }
    if (std::strncmp(line, "START", 5) == 0) {
      break;
    }
  }
  char word[kLine];
  if (std::fscanf(f, "%1023s", word) != 1) {
    return SG_ERROR_SCENE_FORMAT;
  }
  SGError err = ReadPalette(scene, dp, word);
  if (err != SG_ERROR_NONE) {
    return err;
  }
  float pageSize = 0.f;
  float maxHeight = 0.f;
  int numVerts = 0;
  float unused = 0.f;
  int world[2] = {0, 0};
  if (std::fscanf(f, "%f", &pageSize) != 1 || std::fscanf(f, "%f", &maxHeight) != 1 ||
      std::fscanf(f, "%d", &numVerts) != 1 || std::fscanf(f, "%f", &unused) != 1 ||
      std::fscanf(f, "%d %d", &world[0], &world[1]) != 2) {
    return SG_ERROR_SCENE_FORMAT;
  }
  // A page of no size, or a world of no pages or of a size that is not a power
  // of two, would give a world without extent: its wrapping could never end.
  if (!(pageSize > 0.f) || !std::isfinite(pageSize)) {
    return SG_ERROR_SCENE_FORMAT;
  }
  if (world[0] <= 0 || world[1] <= 0 || !PowerOfTwo(static_cast<std::uint32_t>(world[0])) ||
      !PowerOfTwo(static_cast<std::uint32_t>(world[1]))) {
    return SG_ERROR_CACHE_SIZE;
  }
  scene->scnPageSize = pageSize;
  scene->scnPageSizeRecip = 1.f / pageSize;
  if (maxHeight >= 0.f) {
    scene->scnMaxHeight = maxHeight;
    scene->scnCacheFloor = maxHeight;
    scene->scnHeightScale = maxHeight / 255.f;
  }
  if (numVerts > 0) {
    std::uint32_t n = 0;
    while (n < kMaxVertsShift && (1u << n) + 1 < static_cast<std::uint32_t>(numVerts)) {
      ++n;
    }
    if ((1u << n) + 1 != static_cast<std::uint32_t>(numVerts)) {
      return SG_ERROR_SCENE_VERTS;
    }
    scene->scnPageNumVerts = static_cast<std::uint32_t>(numVerts);
    scene->scnMaxLOD = n;
  }
  scene->scnWorldSize[0] = static_cast<std::uint32_t>(world[0]);
  scene->scnWorldSize[1] = static_cast<std::uint32_t>(world[1]);
  err = SGHashCreate(&scene->scnHeightTable, 64, SG_HASH_KEY_INT);
  if (err == SG_ERROR_NONE) {
    err = SGHashCreate(&scene->scnTextureTable, 64, SG_HASH_KEY_INT);
  }
  while (err == SG_ERROR_NONE && std::fscanf(f, "%1023s", word) == 1) {
    if (std::strncmp(word, "HEIGHT", 6) == 0) {
      err = ReadHeight(scene, f);
    } else if (std::strncmp(word, "TEXTURE", 7) == 0) {
      err = ReadTexture(scene, f);
    }
  }
  return err;
}

}  // namespace

SGError SGSceneLoad(SGScene* scene, SGDataPath* dp, const char* name) {
  if ((scene->scnFlags & SG_SCN_FLAG_LOADED) != 0) {
    return SG_ERROR_SCENE_LOADED;
  }
  std::FILE* f = nullptr;
  if (SGDataPathOpen(dp, name, "rb", &f) != SG_ERROR_NONE) {
    return SG_ERROR_OPEN;
  }
  scene->scnFile = f;
  scene->scnDataPath = dp;
  const SGError err = ReadBody(scene, f, dp);
  std::fclose(f);
  scene->scnFile = nullptr;
  if (err != SG_ERROR_NONE) {
    // A scene that is not loaded keeps no half-read tables: a later load starts afresh.
    SGSceneUnload(scene);
    return err;
  }
  scene->scnFlags |= SG_SCN_FLAG_LOADED;
  const std::uint32_t size[2] = {
      scene->scnWorldSize[0] < scene->scnCacheSize[0] ? scene->scnWorldSize[0] : scene->scnCacheSize[0],
      scene->scnWorldSize[1] < scene->scnCacheSize[1] ? scene->scnWorldSize[1] : scene->scnCacheSize[1]};
  if (size[0] != scene->scnCacheSize[0] || size[1] != scene->scnCacheSize[1]) {
    const SGError resize = SGSceneSetWorldSize(scene, size);
    if (resize != SG_ERROR_NONE) {
      return resize;
    }
  }
  for (int k = 0; k < 2; ++k) {
    scene->scnWorldExtent[k] = static_cast<float>(scene->scnWorldSize[k]) * scene->scnPageSize;
    scene->scnWorldExtentRecip[k] = 1.f / scene->scnWorldExtent[k];
  }
  return SG_ERROR_NONE;
}

SGError SGSceneUnload(SGScene* scene) {
  ISGSceneFreeTerrain(scene);
  FreeTable<SGPageHeightInfo>(scene->scnHeightTable, FreeHeightInfo);
  FreeTable<SGPageTexInfo>(scene->scnTextureTable, FreeTexInfo);
  scene->scnHeightTable = nullptr;
  scene->scnTextureTable = nullptr;
  scene->scnFlags &= ~(SG_SCN_FLAG_LOADED | SG_SCN_FLAG_TERRAIN);
  return SG_ERROR_NONE;
}
