#pragma once
// The renderer's two terrain operations, primitive-table slots 6 and 7: a
// cell of the terrain walk (the terrain tile) and one triangle left of a
// clipped cell. The software pair turns the cell's vertices into the
// renderer's screen vertices and fills the triangles with the terrain fill of
// the current texture (ISGRendererSetTerrainFill) through perspective
// subdivision; the Direct3D pair queues them in the device's batch. Both are
// handed an SGTerrainCell (sg/terrain/tsp.h). Drawing thread only, inside a frame.

#include <cstdint>

#include "sg/core/sgerror.h"

struct SGRenderer;
struct SGScene;
struct SGTerrainCell;
struct SGTxVertex;

// Puts the pair of the renderer's back end into slots 6 and 7 where they are empty.
void ISGTerrainInstallOps(SGRenderer* rend);

// Slot 6, software: nothing for a culled page, a cell wholly beyond one view
// plane or outside the cull objects, or one whose every fan triangle faces
// away; a cell with an outcode goes to ISGTspClipCell; else the cell is
// filled as a fan. 0, 1 (vertex pools), SG_ERROR_PAGE_MISSING (texture level).
SGError ISGEptspStrip(SGRenderer* rend, void* data);
// Slot 7, software: the triangle quad.txqVerts[0..2] (already turned round
// when reversed); nothing when it lies beyond one plane, has a vertex before
// the near limit or faces away.
SGError ISGEptspTriangle(SGRenderer* rend, void* data);
// The pair for a renderer with a Direct3D device.
SGError ISGD3dtspStrip(SGRenderer* rend, void* data);
SGError ISGD3dtspTriangle(SGRenderer* rend, void* data);

// Sets txqFlags (the or of the vertices' flags) and marks the cell
// SG_STRIP_FLAG_SKIP when its vertices share an outcode or the page's cull
// objects cut it away. Returns whether it is kept.
bool ISGTspRejectCell(const SGTerrainCell* cell, std::uint32_t* flags);
// The index of the vertex's screen vertex (made once per frame; its u, v are
// rescaled when the terrain texture changed, its level when the cell's fog
// or shade differs): 0xFFFFFFFF when the screen vertices cannot grow.
std::uint32_t ISGEptspVertex(SGRenderer* rend, const SGScene* scene, SGTxVertex* txv, std::uint32_t cellFlags);
// Converts a cell that is wholly in view and faces the viewer: indices in
// screen order, so the fan runs the same way round whatever the winding.
// false when every fan triangle faces away. 1 when the screen vertices cannot grow.
SGError ISGEptspCell(SGRenderer* rend, SGTerrainCell* cell, std::uint32_t* indices, bool* drawn);
// Fills the converted fan (indices[0..count)) in the cell's fill; the
// triangles are counted (also when the context asks for no fill).
SGError ISGEptspFan(SGRenderer* rend, const std::uint32_t* indices, std::uint32_t count, std::uint32_t flags,
                    std::uint32_t colour);
// Whether the screen triangle (a, b, c) faces the viewer: corners that run
// counter-clockwise seen from above do (screen y grows downward).
bool ISGTspFacesViewer(const SGTxVertex* a, const SGTxVertex* b, const SGTxVertex* c);
// Counts the cell, then whether it is to be output: its page is not culled
// and ISGTspRejectCell keeps it (which sets its flags).
bool ISGTspCellInView(SGTerrainCell* cell);
// Whether any triangle of the cell's fan faces the viewer, in the cell's winding.
bool ISGTspCellFacesViewer(const SGTerrainCell* cell);
// A clipped triangle cell (three vertices) is drawn when it is not wholly
// outside a view plane, not cut by the near plane, faces the viewer and its
// texture can be made current: `draw` says so, `any` holds its vertices'
// flags together; the texture's failure is returned.
SGError ISGTspReadyTriangle(SGRenderer* rend, SGTerrainCell* cell, std::uint32_t* any, bool* draw);
