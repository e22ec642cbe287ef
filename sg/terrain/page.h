#pragma once
// Terrain pages: the squares of a scene's height field, the height sets they
// share (one per height index of the description file, read from a height
// file or handed over as grids) and the texture sets they share. A scene owns
// its pages; a height set owns its grids unless the caller handed them over.
// Every operation returns 0, 1 (out of memory) or a status below. Drawing
// thread only; nothing here locks.

#include <atomic>
#include <cstddef>
#include <cstdint>

#include "sg/core/sgerror.h"
#include "sg/cull/cull.h"
#include "sg/scene/scenefile.h"

struct SGInstance;
struct SGScene;
struct SGTxVertex;

constexpr SGError SG_ERROR_NO_TABLE = 0x105;       // the scene has no height (or texture) table
constexpr SGError SG_ERROR_HEIGHT_FILE = 0x107;    // height file not opened, short, or of a size refused
constexpr SGError SG_ERROR_PAGE_OUTSIDE = 0x10D;   // page location outside the world
constexpr SGError SG_ERROR_PAGE_RESIDENT = 0x10E;  // page already resident
constexpr SGError SG_ERROR_CACHE_EMPTY = 0x10F;    // empty page-cache range
constexpr SGError SG_ERROR_PAGE_MISSING = 0x110;   // page not resident, or height set not loaded
constexpr SGError SG_ERROR_HEIGHT_SIZE = 0x111;    // height set of another size than the scene's pages

constexpr std::uint32_t SG_PAGE_FLAG_HEIGHTS = 0x4;
constexpr std::uint32_t SG_PAGE_FLAG_CULLED = 0x10000;
constexpr std::uint32_t SG_PAGE_FLAG_FOGGED = 0x80000;
constexpr std::uint32_t SG_PAGE_FLAG_LIT = 0x100000;
constexpr std::uint32_t SG_PAGE_FLAG_CLIP = 0x200000;
constexpr std::uint32_t SG_PAGE_FLAG_CLIP_FAR = 0x400000;
constexpr std::uint32_t SG_PAGE_FLAG_CULL_PARTIAL = 0x800000;

constexpr std::uint32_t SG_PHI_LOADED = 0x1;
constexpr std::uint32_t SG_PHI_CALLER_HEIGHTS = 0x2;
constexpr std::uint32_t SG_PHI_CALLER_NORMALS = 0x4;

// Largest height file: a size byte is signed and at most 127 samples a side.
constexpr std::int32_t SG_HEIGHT_FILE_MAX_SIZE = 127;

struct SGTerrVertSlot {
  SGTxVertex* tvXVert;
  std::uint32_t tvTimeStamp;  // renderer stamp of the frame that made tvXVert; 0 never
};

struct SGPageHeightLOD {
  std::uint32_t phlSize;     // samples a side, (1 << scnMaxLOD) + 1
  std::uint8_t* phlHeights;  // phlSize^2 heights, row by row (x fastest)
  std::uint8_t* phlNormals;  // phlSize^2 normal indices (high nibble y, low nibble x)
  SGTerrVertSlot* phlVerts;  // phlSize^2 slots, owned by this record
};

struct SGPage {
  std::uint32_t pagFlags;
  std::uint16_t pagLoc[2];  // column, row
  float pagEyeOrigin[3];
  float pagOrigin[3];
  float pagNearOrigin[2];
  std::uint32_t pagTimeStamp;
  SGInstance** pagLights;
  std::uint32_t pagNumLightsAlloc;
  std::uint32_t pagNumLights;
  SGPage* pagXNext;
  SGPage* pagYNext;
  SGPage** pagBack;
  SGPageHeightInfo* pagHeightInfo;
  SGPageHeightLOD* pagHeightLOD;
  SGPageTexInfo* pagTextureInfo;
  std::uint32_t pagUserData;
  SGCullState* pagCullState;
};

// A zeroed page with its own cull state.
SGError SGPageCreate(SGScene* scene, SGPage** out);
SGError SGPageSetUserData(SGPage* page, std::uint32_t word);
SGError SGPageGetHeightKey(const SGPage* page, std::uint32_t* out);

// A height file image: the size byte and n x n heights. SG_ERROR_HEIGHT_FILE
// when it is short or its size byte is not 1..127; the heights are not copied.
SGError ISGHeightFileParse(const std::uint8_t* bytes, std::size_t size, std::uint32_t* n, const std::uint8_t** heights);
// Makes (or refills) the height set of `key` from an n x n grid, reducing it to
// the scene's page size: SG_ERROR_HEIGHT_SIZE for a loaded set of another size
// or a grid smaller than the scene's pages.
SGError ISGHeightInfoBuild(SGScene* scene, const std::uint8_t* heights, std::uint32_t n, std::uint32_t key);
// The same from grids that stay the caller's (size must be the scene's page size).
SGError SGSceneAddHeightGrid(SGScene* scene, std::uint8_t* heights, std::uint8_t* normals, std::uint32_t rawMax,
                             std::uint32_t rawMin, std::uint32_t size, std::uint32_t key);
SGError ISGPageLoadHeights(SGScene* scene, SGPage* page, std::uint32_t key);
SGError ISGPageAttachHeights(SGScene* scene, SGPage* page, std::uint32_t key);
SGError ISGPageDetachHeights(SGScene* scene, SGPage* page);
SGError ISGHeightInfoRelease(SGScene* scene, SGPageHeightInfo* phi);
SGError SGSceneReleaseHeights(SGScene* scene, std::uint32_t key);
SGError SGSceneRefHeights(SGScene* scene, std::uint32_t key);
SGError SGSceneUnrefHeights(SGScene* scene, std::uint32_t key);

// The normal index of a unit normal.
std::uint8_t ISGNormalIndex(float x, float y);

// Texture sets (software: each texture level is a texture map).
SGError ISGPageLoadTextures(SGScene* scene, SGPage* page, std::uint32_t key);
SGError SGPageDetachTextures(SGScene* scene, SGPage* page);
// Installs a caller's texture map (one reference taken) as a level of the set of `key`.
SGError SGSceneSetTexLOD(SGScene* scene, SGTextureMap* txm, std::uint32_t key, std::uint32_t lod);
// The set of `key` (or the other page's) becomes the page's, one reference more.
SGError SGPageAttachTextures(SGScene* scene, SGPage* page, std::uint32_t key);
SGError SGPageShareTextures(SGScene* scene, SGPage* page, const SGPage* other);
SGError SGSceneRefTextures(SGScene* scene, std::uint32_t key);
SGError SGSceneUnrefTextures(SGScene* scene, std::uint32_t key);
// Reads one named level of the page's set again: SG_ERROR_INST_INDEX past the
// set's levels, SG_ERROR_PAGE_MISSING for an unnamed level that is empty.
SGError SGPageLoadTexLOD(SGScene* scene, SGPage* page, std::uint32_t lod);
// The set of `key` becomes the page's (when it is not already) and that level is read.
SGError SGPageLoadTexLODByKey(SGScene* scene, SGPage* page, std::uint32_t key, std::uint32_t lod);
// Frees one level of a set and empties its slot: SG_ERROR_INST_INDEX past the set's levels.
SGError ISGTexInfoReleaseLOD(SGScene* scene, SGPageTexInfo* pti, std::uint32_t lod);
SGError SGPageReleaseTexLOD(SGScene* scene, SGPage* page, std::uint32_t lod);
SGError SGSceneReleaseTexLOD(SGScene* scene, std::uint32_t key, std::uint32_t lod);
// Drops one reference of the set of `key`; the last frees the set with its
// levels and names and takes the key out of the table (no page may hold it).
SGError SGSceneReleaseTextures(SGScene* scene, std::uint32_t key);

// Moves on whenever a page is made or freed or takes or lets go of its
// heights (and their slot table): what remembers pages or their slots across
// calls that may reach the page hooks looks again when it has moved.
extern std::atomic<std::uint32_t> g_sgPageEpoch;
inline void ISGPageEpochMove() { g_sgPageEpoch.fetch_add(1, std::memory_order_relaxed); }

// The page index and cache.
// Finds the page at a location (taken modulo the world size); with find flag 1
// a missing page is made and asked for through scnNeedPage. SG_ERROR_PAGE_MISSING.
SGError SGSceneGetPage(SGScene* scene, SGPage** out, const std::int32_t loc[2], std::uint32_t flags);
// The page under a world point (flag 0x2: a point on a column edge belongs to
// the column before; 0x4 likewise for rows); its near origin follows the point.
SGError ISGSceneGetPageAtPoint(SGScene* scene, SGPage** out, const float point[3], std::uint32_t flags);
// Makes the page at (column, row) resident from the height and texture sets of the two indices.
SGError SGSceneLoadPage(SGScene* scene, std::uint32_t heightKey, std::uint32_t textureKey, std::int32_t row,
                        std::int32_t column, SGPage** out);
// Moves a page (linked or not) to the location wrapped into the world; a
// page already there is unlinked and left to the caller (free it with
// ISGSceneFreePage or link it elsewhere). The page cache is refilled at the
// next draw. SG_ERROR_PAGE_OUTSIDE in a world of no pages.
SGError SGSceneMovePage(SGScene* scene, SGPage* page, const std::int32_t loc[2]);
// Unlinks a page and gives it the wrapped location. A page already there
// (found in the cache slot first, then in the index) hands the new one its
// place in the index and its cache slot and is left unlinked, the caller's;
// with none there the page stays unlinked. SG_ERROR_PAGE_OUTSIDE as above.
SGError SGSceneTakePage(SGScene* scene, SGPage* page, const std::int32_t loc[2]);
// Unlinks and frees one page with what it holds.
SGError ISGSceneFreePage(SGScene* scene, SGPage* page);
// Refills the cache around the camera's page when it moved: 0, SG_ERROR_CACHE_EMPTY.
SGError ISGSceneFillCache(SGScene* scene, const double eye[3]);
// Moves pagNearOrigin to the copy of the page nearest the point.
void ISGPageNearOrigin(const SGScene* scene, SGPage* page, const float point[3]);
// Frees every resident page and the grids of every height set (the tables stay).
void ISGSceneFreeTerrain(SGScene* scene);
