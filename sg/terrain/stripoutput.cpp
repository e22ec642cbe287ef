// The software pair of terrain operations: screen vertices and the terrain fills.

#include "sg/terrain/stripoutput.h"

#include <cmath>
#include <cstdint>

#include "sg/core/context.h"
#include "sg/cull/cullterrain.h"
#include "sg/fb/framebuffer.h"
#include "sg/material/material.h"
#include "sg/raster/fill16.h"
#include "sg/raster/fill8.h"
#include "sg/render/primitives.h"
#include "sg/render/renderer.h"
#include "sg/scene/scene.h"
#include "sg/terrain/page.h"
#include "sg/terrain/strip.h"
#include "sg/terrain/terrain.h"
#include "sg/terrain/tsp.h"

namespace {

// How far (27.5) a vertex may stray outside the buffer: half a pixel and rounding.
constexpr std::int64_t kSlack = 32;

// The level colours shown with textures off are palette indices; the 8-bit
// flat fill reads its index byte from here.
struct LevelIndices {
  std::uint8_t index[256];
  constexpr LevelIndices() : index{} {
    for (int i = 0; i < 256; ++i) {
      index[i] = static_cast<std::uint8_t>(i);
    }
  }
};
constexpr LevelIndices kIndices;

// The colour of a triangle left of a clipped cell, with textures off.
constexpr std::uint32_t kClippedColour = 31;

std::uint32_t ContextDebug(const SGRenderer* rend) {
  return rend->renContext != nullptr ? rend->renContext->ctxDebug : 0;
}

bool Indexed(const SGRenderer* rend) {
  return rend->renFrameBuffer->fbMode == SG_FB_MODE_IDX && rend->renFrameBuffer->fbBPP == 8;
}

// How a screen vertex's level is made, kept with it: 1 plain, 2 fogged, 3 shaded.
std::uint32_t LevelMode(std::uint32_t cellFlags) {
  return (cellFlags & SG_TXV_FOGGED) != 0 ? 2 : ((cellFlags & SG_TXV_SHADED) != 0 ? 3 : 1);
}

void MakeUV(SGQVert* q, const SGTxVertex* txv, const SGTextureMap* txm) {
  if (txm == nullptr) {
    q->u = q->v = 16.f;
    return;
  }
  q->u = (txv->txvUV[0] * static_cast<float>(txm->txmSize.u[0] - 1) + 0.5f) * 32.f;
  q->v = (txv->txvUV[1] * static_cast<float>(txm->txmSize.u[1] - 1) + 0.5f) * 32.f;
}

void MakeLevel(const SGRenderer* rend, const SGScene* scene, SGQVert* q, const SGTxVertex* txv, std::uint32_t mode) {
  const float scale = static_cast<float>(rend->renShadeScale);
  float level = 0.f;
  if (mode == 2) {
    level = (1.f - txv->txvFog) * scale;
  } else if (mode == 3) {
    if (rend->renFrameBuffer->fbMode == SG_FB_MODE_QUASI_RGB) {
      // Unlit ground sits at the middle of the table, so light can brighten it.
      const float half = std::trunc(scale / 2.f);
      level = txv->txvShade * scene->scnTerrTexU * (scale / 2.f) + half;
    } else {
      level = scale * txv->txvShade;
    }
  }
  q->q = std::fmin(std::fmax(level, 0.f), scale) + 16.f;
}

// A 27.5 screen coordinate truncated; out of any buffer's range (or not a
// number) becomes INT32_MIN, which the range check of the draw refuses.
std::int32_t Screen(float value) {
  if (!(value > -1073741824.f && value < 1073741824.f)) {
    return INT32_MIN;
  }
  return static_cast<std::int32_t>(value);
}

}  // namespace

void ISGTerrainInstallOps(SGRenderer* rend) {
  const bool d3d = rend->renD3D != nullptr;
  if (rend->renMethods.rmTerrainTile == nullptr) {
    rend->renMethods.rmTerrainTile = d3d ? ISGD3dtspStrip : ISGEptspStrip;
  }
  if (rend->renMethods.rmTerrainTriangle == nullptr) {
    rend->renMethods.rmTerrainTriangle = d3d ? ISGD3dtspTriangle : ISGEptspTriangle;
  }
}

bool ISGTspFacesViewer(const SGTxVertex* a, const SGTxVertex* b, const SGTxVertex* c) {
  const float* p0 = a->txvLoc;
  const float* p1 = b->txvLoc;
  const float* p2 = c->txvLoc;
  return (p1[1] - p0[1]) * (p2[0] - p0[0]) > (p1[0] - p0[0]) * (p2[1] - p0[1]);
}

bool ISGTspCellInView(SGTerrainCell* cell) {
  ++g_sgTerrainStats.tsCells;
  return (cell->page->pagFlags & SG_PAGE_FLAG_CULLED) == 0 && ISGTspRejectCell(cell, &cell->quad.txqFlags);
}

bool ISGTspCellFacesViewer(const SGTerrainCell* cell) {
  const std::uint32_t n = cell->quad.txqNumVerts;
  SGTxVertex* const* c = cell->quad.txqVerts;
  for (std::uint32_t i = 1; i + 1 < n; ++i) {
    if (cell->reversed ? ISGTspFacesViewer(c[0], c[n - i], c[n - i - 1]) : ISGTspFacesViewer(c[0], c[i], c[i + 1])) {
      return true;
    }
  }
  return false;
}

SGError ISGTspReadyTriangle(SGRenderer* rend, SGTerrainCell* cell, std::uint32_t* any, bool* draw) {
  *draw = false;
  SGTxVertex* const* t = cell->quad.txqVerts;
  const std::uint32_t all = t[0]->txvFlags & t[1]->txvFlags & t[2]->txvFlags;
  *any = t[0]->txvFlags | t[1]->txvFlags | t[2]->txvFlags;
  if ((all & SG_XFORM_FLAG_CLIP_MASK) != 0 || (*any & SG_XFORM_FLAG_NEAR_CLIP) != 0 ||
      !ISGTspFacesViewer(t[0], t[1], t[2])) {
    return SG_ERROR_NONE;
  }
  const SGError err = ISGTspSetTexture(rend, cell);
  *draw = err == SG_ERROR_NONE && cell->current != nullptr;
  return err;
}

bool ISGTspRejectCell(const SGTerrainCell* cell, std::uint32_t* flags) {
  const SGTxQuad& quad = cell->quad;
  std::uint32_t shared = SG_XFORM_FLAG_CLIP_MASK;
  std::uint32_t any = 0;
  for (std::uint32_t i = 0; i < quad.txqNumVerts; ++i) {
    shared &= quad.txqVerts[i]->txvFlags;
    any |= quad.txqVerts[i]->txvFlags;
  }
  *flags = any;
  if ((shared & SG_XFORM_FLAG_CLIP_MASK) != 0) {
    *flags |= SG_STRIP_FLAG_SKIP;
    return false;
  }
  const SGPage* page = cell->page;
  if ((page->pagFlags & SG_PAGE_FLAG_CULL_PARTIAL) != 0 &&
      ISGCullTestVertices(cell->scene->scnCullRoot, page->pagCullState, quad.txqVerts, quad.txqNumVerts) == 3) {
    *flags |= SG_STRIP_FLAG_SKIP;
    return false;
  }
  return true;
}

std::uint32_t ISGEptspVertex(SGRenderer* rend, const SGScene* scene, SGTxVertex* txv, std::uint32_t cellFlags) {
  const SGTextureMap* txm = rend->renTerrTexture;
  const std::uint32_t mode = LevelMode(cellFlags);
  if (txv->txvConverted != 0) {
    SGQVert* q = &rend->renQVerts[txv->txvQIndex];
    if (txv->txvTexture != txm) {
      MakeUV(q, txv, txm);
      txv->txvTexture = txm;
    }
    if (txv->txvConverted != mode) {
      MakeLevel(rend, scene, q, txv, mode);
      txv->txvConverted = mode;
    }
    return txv->txvQIndex;
  }
  const std::uint32_t index = ISGRendererNewQVert(rend);
  if (index == 0xFFFFFFFF) {
    return index;
  }
  SGQVert* q = &rend->renQVerts[index];
  q->x = Screen(txv->txvLoc[0]);
  q->y = Screen(txv->txvLoc[1]);
  q->rhw = txv->txvLoc[3];
  MakeUV(q, txv, txm);
  MakeLevel(rend, scene, q, txv, mode);
  q->col = static_cast<float>(txv->txvColour[0]) * 32.f;
  txv->txvConverted = mode;
  txv->txvQIndex = index;
  txv->txvTexture = txm;
  return index;
}

SGError ISGEptspCell(SGRenderer* rend, SGTerrainCell* cell, std::uint32_t* indices, bool* drawn) {
  *drawn = false;
  const SGTxQuad& quad = cell->quad;
  const std::uint32_t n = quad.txqNumVerts;
  SGTxVertex* const* c = quad.txqVerts;
  if (!ISGTspCellFacesViewer(cell)) {
    return SG_ERROR_NONE;
  }
  for (std::uint32_t i = 0; i < n; ++i) {
    SGTxVertex* v = cell->reversed && i != 0 ? c[n - i] : c[i];
    indices[i] = ISGEptspVertex(rend, cell->scene, v, quad.txqFlags);
    if (indices[i] == 0xFFFFFFFF) {
      return SG_ERROR_NO_MEMORY;
    }
  }
  *drawn = true;
  return SG_ERROR_NONE;
}

SGError ISGEptspFan(SGRenderer* rend, const std::uint32_t* indices, std::uint32_t count, std::uint32_t flags,
                    std::uint32_t colour) {
  SGFrameBuffer* fb = rend->renFrameBuffer;
  // The fills do not clip: a vertex outside the buffer (a camera whose
  // matrices came out of range) drops the cell.
  const std::int64_t maxX = static_cast<std::int64_t>(fb->fbWidth) * 32 + kSlack;
  const std::int64_t maxY = static_cast<std::int64_t>(fb->fbHeight) * 32 + kSlack;
  for (std::uint32_t i = 0; i < count; ++i) {
    const SGQVert& q = rend->renQVerts[indices[i]];
    if (q.x < -kSlack || q.x > maxX || q.y < -kSlack || q.y > maxY) {
      return SG_ERROR_NONE;
    }
  }
  const std::uint32_t debug = ContextDebug(rend);
  const bool indexed = Indexed(rend);
  ISGTriFill fill = nullptr;
  bool textured = false;
  if ((debug & SG_CTX_DEBUG_NO_FILL) != 0) {
    fill = nullptr;
  } else if ((debug & SG_CTX_DEBUG_NO_TEXTURES) != 0) {
    // A flat colour per level shows the levels; palette indices on either depth.
    const auto* table = static_cast<const std::uint16_t*>(fb->fbPixelTable);
    if (indexed) {
      fill = ISGFill8Flat;
      rend->renFillColour = &kIndices.index[colour & 0xFF];
    } else if (table != nullptr) {
      fill = ISGFill16Flat;
      rend->renFillColour = &table[colour & 0xFF];
    }
    rend->renFillTexels = nullptr;
    rend->renFillLUT = nullptr;
  } else {
    const SGTextureMap* txm = rend->renTerrTexture;
    const SGTextureInfo* info = txm != nullptr ? txm->txmInfo : nullptr;
    const std::uint8_t* table =
        (flags & SG_TXV_FOGGED) != 0 ? rend->renFogLUT : ((flags & SG_TXV_SHADED) != 0 ? rend->renShadeLUT : nullptr);
    // Without its table a shaded fill would read nothing: the plain fill draws the cell.
    fill = table != nullptr ? rend->renTerrShadedFill : rend->renTerrFill;
    textured = true;
    rend->renFillTexels = info != nullptr ? info->tpiTexels : nullptr;
    rend->renFillLUT = table;
    const SGTexturePalette* pal = info != nullptr ? info->tpiPal : nullptr;
    rend->renFillColour =
        indexed ? nullptr : (pal != nullptr && pal->tpMapped != nullptr ? pal->tpMapped : fb->fbPixelTable);
    if (rend->renFillTexels == nullptr || (!indexed && rend->renFillColour == nullptr)) {
      fill = nullptr;
    }
  }
  // The object fills must be chosen again after the terrain's.
  rend->renObjMaterial = nullptr;
  const std::uint32_t edge = textured && (rend->renOptions & SG_REND_OPT_PERSPECTIVE) != 0 ? 0 : 1;
  const SGQVert* q = rend->renQVerts;
  for (std::uint32_t i = 2; i < count; ++i) {
    // The fan runs counter-clockwise on the screen; the fills draw clockwise triangles.
    const SGError err =
        ISGTriDrawSubdivided(&q[indices[i]], &q[indices[i - 1]], &q[indices[0]], rend, fill, edge, edge, edge);
    ++rend->renTriCount;
    if (err != SG_ERROR_NONE) {
      return err;
    }
  }
  return SG_ERROR_NONE;
}

SGError ISGEptspStrip(SGRenderer* rend, void* data) {
  auto* cell = static_cast<SGTerrainCell*>(data);
  if (!ISGTspCellInView(cell)) {
    return SG_ERROR_NONE;
  }
  SGTxQuad& quad = cell->quad;
  if ((quad.txqFlags & SG_XFORM_FLAG_CLIP_MASK) != 0) {
    return ISGTspClipCell(rend, cell);
  }
  SGError err = ISGTspSetTexture(rend, cell);
  if (err != SG_ERROR_NONE || cell->current == nullptr) {
    return err;
  }
  constexpr std::uint32_t kMost = 4 * 256 + 2;
  std::uint32_t indices[kMost];
  if (quad.txqNumVerts > kMost) {
    return SG_ERROR_UNSUPPORTED;
  }
  bool drawn = false;
  err = ISGEptspCell(rend, cell, indices, &drawn);
  if (err != SG_ERROR_NONE || !drawn) {
    return err;
  }
  return ISGEptspFan(rend, indices, quad.txqNumVerts, quad.txqFlags, ((cell->level & 3) + 1) * 32 - 1);
}

SGError ISGEptspTriangle(SGRenderer* rend, void* data) {
  auto* cell = static_cast<SGTerrainCell*>(data);
  SGTxVertex* const* t = cell->quad.txqVerts;
  std::uint32_t any = 0;
  bool draw = false;
  const SGError err = ISGTspReadyTriangle(rend, cell, &any, &draw);
  if (!draw) {
    return err;
  }
  std::uint32_t indices[3];
  for (int i = 0; i < 3; ++i) {
    indices[i] = ISGEptspVertex(rend, cell->scene, t[i], any);
    if (indices[i] == 0xFFFFFFFF) {
      return SG_ERROR_NO_MEMORY;
    }
  }
  return ISGEptspFan(rend, indices, 3, any, kClippedColour);
}
