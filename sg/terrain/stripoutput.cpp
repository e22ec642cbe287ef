// The software pair of terrain operations.

#include "sg/terrain/stripoutput.h"

#include "sg/cull/cullterrain.h"
#include "sg/render/renderer.h"
#include "sg/scene/scene.h"
#include "sg/terrain/page.h"

void ISGTerrainInstallOps(SGRenderer* rend) {
  if (rend->renMethods.rmTerrainTile == nullptr) {
    rend->renMethods.rmTerrainTile = ISGEptspStrip;
  }
  if (rend->renMethods.rmTerrainTriangle == nullptr) {
    rend->renMethods.rmTerrainTriangle = ISGEptspTriangle;
  }
}

bool ISGTspFacesViewer(const SGTxVertex* a, const SGTxVertex* b, const SGTxVertex* c) {
  const float* p0 = a->txvLoc;
  const float* p1 = b->txvLoc;
  const float* p2 = c->txvLoc;
  return (p1[1] - p0[1]) * (p2[0] - p0[0]) > (p1[0] - p0[0]) * (p2[1] - p0[1]);
}

SGError ISGEptspStrip(SGRenderer* rend, void* data) {
  const auto* cell = static_cast<const SGTerrainCellArgs*>(data);
  SGTxVertex* const* c = cell->verts;
  const std::uint32_t n = cell->count;
  std::uint32_t shared = SG_XFORM_FLAG_CLIP_MASK;
  std::uint32_t any = 0;
  for (std::uint32_t i = 0; i < n; ++i) {
    shared &= c[i]->txvFlags;
    any |= c[i]->txvFlags;
  }
  if ((shared & SG_XFORM_FLAG_CLIP_MASK) != 0) {
    return SG_ERROR_NONE;
  }
  const SGPage* page = cell->page;
  if ((page->pagFlags & SG_PAGE_FLAG_CULL_PARTIAL) != 0 &&
      ISGCullTestVertices(cell->scene->scnCullRoot, page->pagCullState, c, n) == 3) {
    return SG_ERROR_NONE;
  }
  SGTxVertex* tri[3];
  auto fanTriangle = [&](std::uint32_t i) {
    tri[0] = c[0];
    tri[1] = cell->reversed ? c[i + 1] : c[i];
    tri[2] = cell->reversed ? c[i] : c[i + 1];
  };
  // Screen places exist only for vertices beyond the near limit.
  if ((any & SG_XFORM_FLAG_NEAR_CLIP) == 0) {
    bool facing = false;
    for (std::uint32_t i = 1; i + 1 < n && !facing; ++i) {
      fanTriangle(i);
      facing = ISGTspFacesViewer(tri[0], tri[1], tri[2]);
    }
    if (!facing) {
      return SG_ERROR_NONE;
    }
  }
  SGTerrainCellArgs one = *cell;
  one.verts = tri;
  one.count = 3;
  SGError err = SG_ERROR_NONE;
  for (std::uint32_t i = 1; i + 1 < n && err == SG_ERROR_NONE; ++i) {
    fanTriangle(i);
    err = rend->renMethods.rmTerrainTriangle(rend, &one);
  }
  return err;
}

SGError ISGEptspTriangle(SGRenderer* rend, void* data) {
  const auto* cell = static_cast<const SGTerrainCellArgs*>(data);
  SGTxVertex* tri[3] = {cell->verts[0], cell->verts[1], cell->verts[2]};
  return rend->renMethods.rmClipTriangle(rend, cell->scene, cell->mat, tri, 0);
}
