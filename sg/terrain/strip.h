#pragma once
// The rows of the terrain walk and the per-frame classification of pages and
// rows against the view and the cull objects. Drawing thread only, inside a
// frame (the renderer's clip planes and stamps are this frame's).

#include <cstdint>

#include "sg/core/sgerror.h"

struct SGInstance;
struct SGPage;
struct SGRenderer;
struct SGScene;

constexpr std::uint32_t SG_STRIP_FLAG_CLIP = 0x10;  // straddles a view plane
constexpr std::uint32_t SG_STRIP_FLAG_SKIP = 0x20;  // outside
constexpr std::uint32_t SG_STRIP_FLAG_ROW = 0x8;

// One row of cells at one level, relative to the eye.
struct SGTerrainRow {
  std::uint32_t rowFlags;
  std::uint32_t rowLOD;
  std::uint32_t rowAlongX;  // 1: the row runs along x and the walk steps in y
  float rowStart[3];        // the row's start corner on its far edge (z: the ground level, -eye height)
  float rowEnd;             // end coordinate along the row
  float rowDepth;           // extent across the row, signed towards the far side
};

// The page's eye-relative origin for this frame, from its near origin.
void ISGPageSetEyeOrigin(const SGRenderer* rend, SGPage* page);
// Once per frame (stamp renTimeStamp): culled, clipped, fogged, cull-object
// and light bits, and the light list. 0, or 1 when the light list cannot grow.
SGError ISGPageClassify(SGRenderer* rend, SGScene* scene, SGPage* page);
// Appends a light to the page's list (capacity doubling from 1) and marks the page lit; 0 or 1.
SGError ISGPageAddLight(SGPage* page, SGInstance* light);
// Sets SG_STRIP_FLAG_SKIP or SG_STRIP_FLAG_CLIP from the row's box against the six view planes.
void ISGStripTestFrustum(const SGRenderer* rend, const SGScene* scene, SGTerrainRow* row);

// The ground the view can reach: the view volume cut by the slab between the
// resident pages' lowest floor and highest ceiling, as five eye-relative
// lines a x + b y <= c (the far plane and the four sides); ground outside any
// of them is out of view at every height of the slab.
struct SGTerrainFootprint {
  float ftTrace[5][3];
};
void ISGTerrainFootprint(const SGRenderer* rend, const SGScene* scene, SGTerrainFootprint* out);
// The extent [*from, *to] along a row (along x when alongX, else along y) of
// the band across it from `lo` to `hi` (eye-relative) within the footprint;
// false when no part of the band lies in it.
bool ISGFootprintRowExtent(const SGTerrainFootprint* ft, bool alongX, float lo, float hi, float* from, float* to);
// The grid line of a level (a multiple of 2^level fine cells) at or beyond
// `place` (fine cells) in the direction `sign` (+1 up, -1 down).
std::int32_t ISGSnapToLOD(std::int32_t place, std::uint32_t level, int sign);
