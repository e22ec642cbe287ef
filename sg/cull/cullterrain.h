#pragma once
// The terrain's classifications against a prepared cull tree (codes as in
// sg/cull/cull.h: 0 kept, 1 straddles, 3 cut away). Drawing thread only.

#include <cstdint>

#include "sg/cull/cull.h"

struct SGPage;
struct SGScene;
struct SGTerrainRow;
struct SGTxVertex;

// The page's height box from its eye origin; codes are stored in pagCullState.
std::uint32_t ISGCullClassifyPageBox(SGCullObject* tree, const SGScene* scene, SGPage* page);
// The box of a row of the terrain walk; nothing is stored.
std::uint32_t ISGCullClassifyStrip(SGCullObject* tree, const SGScene* scene, const SGTerrainRow* row);
// Vertices (eye-relative txvPos) tested below the objects that straddled the
// page (their codes in `state`); a fog object lowers a vertex's fog and marks it fogged.
std::uint32_t ISGCullTestVertices(SGCullObject* tree, const SGCullState* state, SGTxVertex* const* verts,
                                  std::uint32_t count);
