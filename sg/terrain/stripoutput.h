#pragma once
// The renderer's two terrain operations, primitive-table slots 6 and 7: a
// cell of the terrain walk (the terrain tile) and one triangle of it. The
// pair here draws through the renderer's clipping operation (slot 5), so the
// fills are those of the renderer's frame buffer. Drawing thread only,
// inside a frame.

#include <cstdint>

#include "sg/core/sgerror.h"

struct SGMaterial;
struct SGPage;
struct SGRenderer;
struct SGScene;
struct SGTxVertex;

// What both operations are handed (their `data`).
struct SGTerrainCellArgs {
  SGScene* scene;
  SGMaterial* mat;  // the cell's texture level
  const SGPage* page;
  SGTxVertex* const* verts;  // a convex fan, corners counter-clockwise seen from above
  std::uint32_t count;       // 3 or more
  bool reversed;             // seen from below (a ceiling): the corners turn round
};

// Puts the pair into slots 6 and 7 where they are empty.
void ISGTerrainInstallOps(SGRenderer* rend);
// Slot 6: nothing for a cell wholly beyond one view plane, outside the cull
// objects, or facing away from the viewer; else each fan triangle through
// slot 7. 0, or the first failing status (1: vertex pool).
SGError ISGEptspStrip(SGRenderer* rend, void* data);
// Slot 7: the triangle verts[0..2] (already turned round when reversed), clipped and filled.
SGError ISGEptspTriangle(SGRenderer* rend, void* data);
// Whether the screen triangle (a, b, c) faces the viewer (screen y grows downward).
bool ISGTspFacesViewer(const SGTxVertex* a, const SGTxVertex* b, const SGTxVertex* c);
