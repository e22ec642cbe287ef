#pragma once
// The scene: the container of a 3D world that is drawn every frame. It owns the
// instances on its instance and light lists; the collision and line-of-sight
// lists run through the same instances. It also carries the paged terrain, the
// colour table of its description file, fog, a cull tree and a covering
// sub-scene. A scene belongs to the thread that draws it; nothing here locks.

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
struct ISGSortRec;

constexpr std::uint32_t SG_SCN_FLAG_LOADED = 0x1;
constexpr std::uint32_t SG_SCN_FLAG_COVERED = 0x10;
constexpr std::uint32_t SG_SCN_FLAG_SUB_SCENE = 0x40;
constexpr std::uint32_t SG_SCN_FLAG_TERRAIN = 0x4;  // the description file listed height files
constexpr std::uint32_t SG_SCN_FLAG_DRAWING = 0x8;  // a draw of this scene is under way
constexpr std::uint32_t SG_SCN_FLAG_SKIP_LOD = 0x80;
constexpr std::uint32_t SG_SCN_FLAG_LIGHT_SHADES = 0x200;  // directional lights keep scnShadeTable current
constexpr std::uint32_t SG_SCN_FLAG_ORIGIN = 0x100;        // scnOrigin is not zero
constexpr std::uint32_t SG_SCN_FLAG_OWN_FOG = 0x800;
constexpr std::uint32_t SG_SCN_FLAG_CURVED = 0x10000;  // instances sink with distance
constexpr std::uint32_t SG_SCN_CALLER_FLAGS = 0xFFFF0000;

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
  ISGSortRec* scnSortRecs;  // the sort's records, room for scnSortRecsLen instances
  float* scnSortKeys;       // the second pass's columns of keys (ISGSortPrefix), as much room
  std::uint32_t scnSortRecsLen;
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
  std::uint32_t scnRandom;  // state of the scene's random numbers (sg/scene/scenerandom.h)
};

// Puts the instance on the scene (taking it off another scene first): a light on
// the light list, anything else on the instance list and, as its attributes
// allow, the collision and line-of-sight lists; then updates it.
SGError SGSceneAddInstance(SGScene* scene, SGInstance* inst);

struct SGRenderer;

// A scene with the defaults, a 16 x 16 page cache and the normal table; 0 or 1.
SGError SGSceneCreate(SGContext* ctx, SGScene** out);
// Frees the scene with its instances, lights, tables and cache; null is accepted.
SGError SGSceneDestroy(SGScene* scene);
// Page-cache size, powers of two not above a known world size; SG_ERROR_CACHE_SIZE, 1.
SGError SGSceneSetWorldSize(SGScene* scene, const std::uint32_t size[2]);
// Reads a scene description file through the data path (sg/scene/scenefile.h).
SGError SGSceneLoad(SGScene* scene, SGDataPath* dp, const char* name);
// Frees the description file's tables and clears the loaded flag.
SGError SGSceneUnload(SGScene* scene);
// Draws one frame from the camera: 0, SG_ERROR_SCENE_NOT_LOADED, SG_ERROR_DRAWING
// (a draw of this scene is already under way; nothing is touched),
// SG_ERROR_ABANDONED (the frame must not be presented), or a failing step's status.
SGError SGSceneDraw(SGRenderer* rend, SGScene* scene, SGInstance* camera);
// Makes a draw that pumps messages stop with SG_ERROR_ABANDONED.
SGError SGSceneAbortDraw(std::uintptr_t unused, SGScene* scene);
SGError SGSceneSetOrigin(SGScene* scene, const double origin[3]);
SGError SGSceneGetOrigin(const SGScene* scene, double out[3]);
SGError SGSceneGetFlags(const SGScene* scene, std::uint32_t* out);
SGError SGSceneSetFlags(SGScene* scene, std::uint32_t bits);
SGError SGSceneClearFlags(SGScene* scene, std::uint32_t bits);
SGError SGSceneSetPageCallback(SGScene* scene, SGNeedPageFn fn, std::uintptr_t data);
SGError SGSceneSetPageLODCallback(SGScene* scene, SGNeedPageLODFn fn, std::uintptr_t data);
SGError SGSceneGetPalette(const SGScene* scene, std::uint32_t* colours, std::uint32_t* count);
SGError SGSceneSetPalette(SGScene* scene, const std::uint32_t* colours, std::uint32_t count);
SGError SGSceneSetFog(SGScene* scene, const std::uint32_t* colour, float far);
SGError SGSceneSetTerrTex(SGScene* scene, float a, float b);
SGError SGSceneGetTerrTex(const SGScene* scene, float* a, float* b);
SGError SGSceneSetLODScale(SGScene* scene, float value);
SGError SGSceneGetLODScale(const SGScene* scene, float* value);
SGError SGSceneSetLODDistScale(SGScene* scene, float value);
SGError SGSceneGetLODDistScale(const SGScene* scene, float* value);
SGError SGSceneSetCloudParams(SGScene* scene, std::uint32_t a, std::uint32_t b);
SGError SGSceneSetPlumeClock(SGScene* scene, SGPlumeClockFn clock);
SGError SGSceneStubUpdate(std::uintptr_t a, std::uintptr_t b);
// An operation the scene does not offer: always SG_ERROR_UNSUPPORTED.
SGError SGSceneUnsupported(std::uintptr_t a, std::uintptr_t b, std::uintptr_t c, std::uintptr_t d, std::uintptr_t e);

// The renderer's seven clip planes from its camera (eye-relative world
// coordinates; a point is outside a plane when a x + b y + c z > d).
void ISGSceneSetClipPlanes(SGRenderer* rend, SGScene* scene);
