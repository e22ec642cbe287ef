// The Direct3D pair of terrain operations: cells queued in the device's batch.

#include "sg/d3d/d3ddevice.h"
#include "sg/render/renderer.h"
#include "sg/terrain/page.h"
#include "sg/terrain/stripoutput.h"
#include "sg/terrain/terrain.h"
#include "sg/terrain/tsp.h"

SGError ISGD3dtspStrip(SGRenderer* rend, void* data) {
  auto* cell = static_cast<SGTerrainCell*>(data);
  if (!ISGTspCellInView(cell)) {
    return SG_ERROR_NONE;
  }
  SGTxQuad& quad = cell->quad;
  const std::uint32_t n = quad.txqNumVerts;
  // Screen places exist only for vertices beyond the near limit.
  if ((quad.txqFlags & SG_XFORM_FLAG_NEAR_CLIP) == 0 && !ISGTspCellFacesViewer(cell)) {
    return SG_ERROR_NONE;
  }
  if ((quad.txqFlags & SG_XFORM_FLAG_CLIP_MASK) != 0) {
    return ISGTspClipCell(rend, cell);
  }
  const SGError err = ISGTspSetTexture(rend, cell);
  if (err != SG_ERROR_NONE || cell->current == nullptr) {
    return err;
  }
  rend->renTriCount += n - 2;
  // The corners run counter-clockwise on the screen; the device keeps clockwise triangles.
  return ISGD3DAddFan(rend, n, quad.txqVerts, !cell->reversed);
}

SGError ISGD3dtspTriangle(SGRenderer* rend, void* data) {
  auto* cell = static_cast<SGTerrainCell*>(data);
  SGTxVertex* const* t = cell->quad.txqVerts;
  std::uint32_t any = 0;
  bool draw = false;
  const SGError err = ISGTspReadyTriangle(rend, cell, &any, &draw);
  if (!draw) {
    return err;
  }
  ++rend->renTriCount;
  // The device's triangle turns the corners round itself: they go in as they face the viewer.
  return ISGD3DAddTriangle(rend, t[0], t[1], t[2]);
}
