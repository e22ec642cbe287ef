#pragma once
// Terrain queries on a scene's paged height field: the height under a point
// (bilinear as stored, or as drawn at the level of detail seen from an eye),
// the normal, an instance's altitude, and the first crossing of a ray with the
// terrain. Each answers SG_COLLIDE_TERRAIN when a value was found, or passes on the
// page look-up's status (SG_ERROR_PAGE_MISSING when the page under the point is
// not resident; missing pages are asked for through scnNeedPage). Points are
// world positions; a scene with an origin (flag 0x100) has it taken off first.
// Drawing thread only.

#include <cstdint>

#include "sg/core/sgerror.h"

struct SGInstance;
struct SGPage;
struct SGRenderer;
struct SGScene;

// A cell position: the grid entries of its lower corner and the fraction inside it, each in [0, 1).
struct SGTerrainCell {
  SGPage* page;
  const std::uint8_t* height;  // entry (ix, iy) of the page's height grid
  const std::uint8_t* normal;  // entry (ix, iy) of its normal grid
  std::uint32_t ix, iy;
  float fraction[2];
};

// The cell under a point (no origin taken off): 0 or the look-up's status.
SGError ISGTerrainLocate(SGScene* scene, const double point[3], SGTerrainCell* out);
// The same on the grid of `level`, whose cells span 2^level samples.
SGError ISGTerrainLocateLOD(SGScene* scene, const double point[3], std::uint32_t level, SGTerrainCell* out);
SGError ISGTerrainHeight(SGScene* scene, const double point[3], double* height);
// The height as drawn for the eye: the level and blend of the offset point - eye,
// each cell split along its diagonal from (0, 0) to (1, 1).
SGError ISGTerrainHeightOnLOD(SGRenderer* rend, SGScene* scene, const double eye[3], const double point[3],
                              double* height);
SGError ISGTerrainNormal(SGScene* scene, const double point[3], float normal[3]);
SGError ISGTerrainHeightNormal(SGScene* scene, const double point[3], float normal[3], double* height);
// The cell's mean height and the normal of the mean of its corners' normal indices.
void ISGTerrainCellPlane(const SGScene* scene, const std::uint8_t* height, const std::uint8_t* normal,
                         float outNormal[3], float* outHeight);
// The instance's height above the terrain under it, in its scene.
SGError SGInstanceGetAltitude(SGInstance* inst, float* out);
// The first crossing of the ray origin + t x direction, 0 <= t <= maximum, with
// the terrain seen from above: SG_COLLIDE_TERRAIN with t in `distance`, or 0.
// Mode SG_COLLIDE_TERRAIN_BOXES answers the entry into a page's height box.
SGError ISGCollideTerrain(SGScene* scene, const double origin[3], const float direction[3], float maximum,
                          std::uint32_t mode, float* distance);
