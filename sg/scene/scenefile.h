#pragma once
// The entries a scene description file lists by index: height files and sets
// of terrain texture files. The terrain pages fetch them when they are made
// resident; the scene frees them when it is unloaded. Drawing thread only.

#include <cstdint>

struct SGTextureMap;

struct SGPageHeightLOD;

struct SGPageHeightInfo {
  std::uint32_t phiIndex;
  char* phiName;  // owned copy
  // Kept by the terrain pages (sg/terrain/page.h): loaded state, users, height range and grids.
  std::uint32_t phiFlags;
  std::uint32_t phiRefCnt;
  float phiFloor;
  float phiCeiling;
  std::uint32_t phiNumTerrLODs;
  SGPageHeightLOD* phiLOD;
};

struct SGPageTexInfo {
  std::uint32_t ptiIndex;
  std::uint32_t ptiRefCnt;
  std::uint32_t ptiNumTexLODs;
  SGTextureMap** ptiTexLODs;  // ptiNumTexLODs slots, filled when the textures are loaded
  char** ptiNames;            // ptiNumTexLODs owned copies, finest level first
};

// Most texture levels one set may list.
constexpr std::uint32_t SG_SCENE_MAX_TEX_LODS = 16;
