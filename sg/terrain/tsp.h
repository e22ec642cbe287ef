#pragma once
// Terrain strip processing: the transformed vertices of the page grid (each
// made once per frame and copy of a page, guarded by its slot's stamp), their
// fog, light and screen place, ghost copies into the neighbouring page, the
// clipping of a cell against the view and the texture of a cell. Drawing
// thread only, inside a frame (the renderer's matrices and stamps are this
// frame's). Every operation returns 0, 1 when the renderer's vertex pool
// cannot grow, or the status named.

#include <cstdint>

#include "sg/core/sgerror.h"

struct SGMaterial;
struct SGPage;
struct SGRenderer;
struct SGScene;
struct SGTerrVertSlot;
struct SGTxVertex;

// A cell polygon: the or of its vertices' flags (plus SG_STRIP_FLAG_SKIP
// when rejected) and its corners, a convex fan whose corners run
// counter-clockwise seen from above. A cell may carry every vertex its
// neighbours put on its sides, so the corners are the caller's array.
struct SGTxQuad {
  std::uint32_t txqFlags;
  std::uint32_t txqNumVerts;  // 3 or more
  SGTxVertex** txqVerts;
};

// What the renderer's two terrain operations are handed (their `data`).
struct SGTerrainCell {
  SGScene* scene;
  SGPage* page;
  std::uint32_t level;  // the cell's level: its texture level, and its colour with textures off
  bool reversed;        // seen from below (a ceiling): the corners turn round on the screen
  SGMaterial* mat;      // the walk's material wrapping the texture (Direct3D); the walk owns it
  const void* current;  // tspCurrMat: the texture map (software) or the material (Direct3D) chosen
  SGTxQuad quad;
};

// A new pool vertex at the eye-relative position (x, y, z), grid place (u, v)
// of the page, finished (ISGTspFinishVert) and put into the slot with the
// renderer's stamp.
SGError ISGTspMakeVert(SGRenderer* rend, const SGScene* scene, const SGPage* page, const float at[3], std::uint32_t u,
                       std::uint32_t v, SGTerrVertSlot* slot, SGTxVertex** out);
// Depth, fog, shade, screen place and outcodes of a vertex whose position is
// set. Outcodes are made only on a page that straddles the view or is culled;
// a vertex before the near limit gets SG_XFORM_FLAG_NEAR_CLIP and nothing else.
void ISGTspFinishVert(const SGRenderer* rend, const SGScene* scene, const SGPage* page, SGTxVertex* txv,
                      std::uint32_t u, std::uint32_t v);
// Fog of a vertex at a depth (the renderer must fog).
void ISGTspFog(const SGRenderer* rend, SGTxVertex* txv, float depth);
// Light at the vertex (u, v) of the page from its listed lights and the
// scene's directional value by normal index.
void ISGTspShade(const SGRenderer* rend, const SGScene* scene, const SGPage* page, std::uint32_t u, std::uint32_t v,
                 SGTxVertex* txv);
// Copies the slot's vertex into the target slot as a new pool vertex with
// that stamp: mode bit 0x1 mirrors u (u -> 1 - u), bit 0x2 mirrors v.
SGError ISGTspGhost(SGRenderer* rend, std::uint32_t mode, const SGTerrVertSlot* slot, SGTerrVertSlot* target,
                    std::uint32_t stamp);
// Cuts the cell into a fan of triangles, clips each against the six view
// planes and hands every piece left to the renderer's terrain-triangle operation.
SGError ISGTspClipCell(SGRenderer* rend, SGTerrainCell* cell);
// Chooses the page's texture level for the cell (asking scnNeedPageLOD once
// for a missing set or level) and makes it current: SG_ERROR_PAGE_MISSING
// when it stays missing, SG_ERROR_UNSUPPORTED for a size without a fill.
SGError ISGTspSetTexture(SGRenderer* rend, SGTerrainCell* cell);
