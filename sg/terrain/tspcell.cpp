// A terrain cell against the view planes, and its texture.

#include "sg/d3d/d3ddevice.h"
#include "sg/material/material.h"
#include "sg/render/primitives.h"
#include "sg/render/renderer.h"
#include "sg/scene/scene.h"
#include "sg/terrain/page.h"
#include "sg/terrain/tsp.h"

namespace {

// The outcodes any vertex of the polygon has.
std::uint32_t Outcodes(const ISGPolygon& poly) {
  std::uint32_t codes = 0;
  for (std::uint32_t k = 0; k < poly.count; ++k) {
    codes |= poly.verts[k]->txvFlags;
  }
  return codes & SG_XFORM_FLAG_CLIP_MASK;
}

}  // namespace

SGError ISGTspClipCell(SGRenderer* rend, SGTerrainCell* cell) {
  const SGTxQuad& quad = cell->quad;
  const std::uint32_t n = quad.txqNumVerts;
  SGTxVertex* const* c = quad.txqVerts;
  SGTxVertex* piece[3];
  SGTerrainCell triangle = *cell;
  triangle.quad = SGTxQuad{0, 3, piece};
  for (std::uint32_t i = 1; i + 1 < n; ++i) {
    // Seen from below the corners turn round: the pairs are taken from the end backwards.
    ISGPolygon poly{3, {c[0], cell->reversed ? c[n - i] : c[i], cell->reversed ? c[n - i - 1] : c[i + 1]}};
    // Only a plane some vertex has the outcode of cuts; the others leave the polygon as it is.
    std::uint32_t cut = Outcodes(poly);
    for (std::uint32_t p = 0; p < 6 && poly.count != 0; ++p) {
      if ((cut & (SG_XFORM_FLAG_NEAR_CLIP << p)) == 0) {
        continue;
      }
      const SGError err = ISGPolygonClipPlane(rend, &poly, p);
      if (err != SG_ERROR_NONE) {
        return err;
      }
      cut = Outcodes(poly);
    }
    for (std::uint32_t k = 2; k < poly.count; ++k) {
      piece[0] = poly.verts[0];
      piece[1] = poly.verts[k - 1];
      piece[2] = poly.verts[k];
      const SGError err = rend->renMethods.rmTerrainTriangle(rend, &triangle);
      if (err != SG_ERROR_NONE) {
        return err;
      }
    }
  }
  return SG_ERROR_NONE;
}

SGError ISGTspSetTexture(SGRenderer* rend, SGTerrainCell* cell) {
  cell->current = nullptr;
  SGScene* scene = cell->scene;
  const SGPage* page = cell->page;
  SGTextureMap* txm = nullptr;
  for (int attempt = 0; attempt < 2 && txm == nullptr; ++attempt) {
    const SGPageTexInfo* pti = page->pagTextureInfo;
    std::uint32_t lod = cell->level;
    if (pti != nullptr && pti->ptiNumTexLODs != 0) {
      lod = lod < pti->ptiNumTexLODs ? lod : pti->ptiNumTexLODs - 1;
      txm = pti->ptiTexLODs[lod];
    }
    if (txm == nullptr && attempt == 0) {
      scene->scnNeedPageLOD(page->pagLoc[1], page->pagLoc[0], lod, scene->scnNeedPageLODData);
    }
  }
  if (txm == nullptr) {
    return SG_ERROR_PAGE_MISSING;
  }
  if ((txm->txmFormat & SG_TXM_NO_DRAW) != 0) {
    return SG_ERROR_NONE;
  }
  if (rend->renD3D != nullptr) {
    SGMaterial* mat = cell->mat;
    if (mat->matTexMap != txm || rend->renD3D->d3dCurrMaterial != mat) {
      mat->matTexMap = txm;
      rend->renD3D->d3dCurrMaterial = nullptr;
      const SGError err = ISGD3DSetMaterial(rend, mat, rend->renOptions & ~SG_D3D_OPT_ANTIALIAS);
      if (err != SG_ERROR_NONE) {
        return err;
      }
    }
    cell->current = mat;
    return SG_ERROR_NONE;
  }
  // A texture whose size has no terrain fill is not drawn.
  if (ISGRendererSetTerrainFill(rend, 1, txm) != SG_ERROR_NONE) {
    rend->renTerrTexture = nullptr;
    return SG_ERROR_NONE;
  }
  cell->current = txm;
  return SG_ERROR_NONE;
}
