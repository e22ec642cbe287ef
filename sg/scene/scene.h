#pragma once
// The scene: the container of a 3D world that is drawn every frame. It owns the
// instances on its instance and light lists; the collision and line-of-sight
// lists run through the same instances. It also carries the paged terrain, the
// colour table of its description file, fog, a cull tree and a covering
// sub-scene.

#include <cstdint>
#include <cstdio>

#include "sg/core/sgerror.h"

struct SGContext;
struct SGCullObject;
struct SGDataPath;
struct SGHashTable;
struct SGInstance;
struct SGLODAdjust;
struct SGPage;

constexpr std::uint32_t SG_SCN_FLAG_LOADED = 0x1;
constexpr std::uint32_t SG_SCN_FLAG_COVERED = 0x10;
constexpr std::uint32_t SG_SCN_FLAG_SUB_SCENE = 0x40;
constexpr std::uint32_t SG_SCN_FLAG_LIGHT_SHADES = 0x200;  // directional lights keep scnShadeTable current

// Light values per normal-table entry; room for 768 words of which 256 are used.
constexpr std::uint32_t SG_SCN_SHADE_TABLE_ROOM = 768;
constexpr std::uint32_t SG_SCN_NUM_NORMALS = 256;

using SGNeedPageFn = void (*)(std::int32_t row, std::int32_t column, std::uintptr_t data);
using SGNeedPageLODFn = void (*)(std::int32_t row, std::int32_t column, std::uint32_t lod, std::uintptr_t data);
using SGPlumeClockFn = std::uint32_t (*)();

struct SGCloudCover {
  std::uint32_t covFlags;
  float covThreshold;
  float covHeight;
  float covBot;
  float covDepth;
  std::uint32_t covColour;
  float covScale[2];
  std::uint8_t* covFogTable;
};

struct SGScene {
  std::uint32_t scnFlags;
  SGPage* scnPages;
  std::FILE* scnFile;
  SGDataPath* scnDataPath;
  SGHashTable* scnHeightTable;
  SGHashTable* scnTextureTable;
  double scnOrigin[3];
  std::uint32_t scnWorldSize[2];
  float scnWorldExtent[2];
  float scnWorldExtentRecip[2];
  float scnPageSize;
  float scnPageSizeRecip;
  std::uint32_t scnPageNumVerts;
  std::uint32_t scnMaxLOD;
  std::uint32_t scnMinLOD;
  float scnHeightScale;
  float scnMaxHeight;
  float scnCacheCeiling;
  float scnMinHeight;
  float scnCacheFloor;
  float scnNormals[SG_SCN_NUM_NORMALS][3];
  std::int32_t scnCacheCentre[2];
  std::uint32_t scnCacheValid;
  std::uint32_t scnCacheSize[2];
  std::uint32_t scnCacheMask[2];
  SGPage*** scnCache;
  SGContext* scnContext;
  float* scnShadeTable;
  SGInstance* scnLights;
  SGInstance* scnInstances;
  SGInstance** scnInstVector;
  std::uint32_t scnInstVectorLen;
  SGInstance** scnSortFarthest;
  SGInstance* scnPlumes;
  SGInstance* scnCollide;
  SGInstance* scnLOS;
  SGNeedPageFn scnNeedPage;
  std::uintptr_t scnNeedPageData;
  SGNeedPageLODFn scnNeedPageLOD;
  std::uintptr_t scnNeedPageLODData;
  std::uint32_t scnPalette[256];
  std::uint32_t scnPaletteLen;
  std::uint32_t scnCloudParams[2];
  float scnTerrTexU;
  float scnTerrTexV;
  float scnLODDistScale;
  float scnLODScale;
  float scnLODDist;
  SGCullObject* scnCullRoot;
  SGLODAdjust* scnLODAdjust;
  SGCloudCover scnCover;
  SGScene* scnSubScene;
  SGScene* scnSuperScene;
  std::uint32_t scnFogColour;
  float scnFogFar;
  float scnFogFarRecip;
  std::uint8_t* scnFogLUT;
  SGPlumeClockFn scnPlumeClock;
};

// Puts the instance on the scene (taking it off another scene first): a light on
// the light list, anything else on the instance list and, as its attributes
// allow, the collision and line-of-sight lists; then updates it.
SGError SGSceneAddInstance(SGScene* scene, SGInstance* inst);
