// The terrain walk: the pages of the cache drawn back to front in rows of
// cells, each row at the level of its distance from the eye, through the
// renderer's transform, clipping and triangle fills.

#include <cmath>

#include "platform/user/queue.h"
#include "sg/core/context.h"
#include "sg/cull/cullterrain.h"
#include "sg/instance/instance.h"
#include "sg/material/material.h"
#include "sg/render/instsort.h"
#include "sg/render/primitives.h"
#include "sg/render/renderer.h"
#include "sg/scene/scene.h"
#include "sg/terrain/lod.h"
#include "sg/terrain/page.h"
#include "sg/terrain/strip.h"
#include "sg/terrain/terrain.h"

SGTerrainStats g_sgTerrainStats;

namespace {

// Frames drawn with terrain in this process (28 bits); drawing thread only.
std::uint32_t g_terrainFrame = 0;

// Missing pages remembered per frame; past that many they are asked for again.
constexpr std::uint32_t kMaxMissing = 64;

// Most pages the walk reaches from the eye along each axis.
constexpr float kMaxPagesReach = 32.f;

// Messages handled per pump in single-step mode: a handler that keeps posting cannot hold the frame.
constexpr int kMaxMessagesPerPump = 256;

struct Walk {
  SGRenderer* rend;
  SGScene* scene;
  std::uint32_t n;      // samples a page side
  std::int32_t cells;   // cells a page side, n - 1
  float cell;           // world size of a cell
  std::int32_t lo[2];   // first fine grid line of the cached pages, per axis (unwrapped)
  std::int32_t hi[2];   // last one
  int major;            // axis the walk steps along (1: rows run along x)
  std::uint32_t frame;  // the renderer's frame number
  bool reversed;
  bool shades;
  const float* shadeTable;  // the directional lights' values by normal index
  bool instances;  // the scene's instances are drawn between the rows
  // Locations (wrapped) already asked for in vain this frame: each is asked once.
  std::uint32_t missing[kMaxMissing];
  std::uint32_t numMissing;
  SGMaterialInfo info;
  SGMaterial mat;
};

std::int32_t FloorDiv(std::int32_t a, std::int32_t b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

// The page at an unwrapped page location (the world repeats), classified for
// this frame and copy of it; a missing page is asked for (scnNeedPage). Null
// when it stays missing (the rest of the terrain is drawn) or lies outside the
// view. Each copy of a page drawn in a frame gets its own stamp (the frame's
// with the copy's wraps in the top four bits), so its vertices are made for it.
SGError PageAt(Walk& w, std::int32_t column, std::int32_t row, SGPage** out) {
  *out = nullptr;
  SGScene* scene = w.scene;
  SGPage* page = nullptr;
  const std::int32_t loc[2] = {column, row};
  const std::uint32_t key =
      (static_cast<std::uint32_t>(row - FloorDiv(row, static_cast<std::int32_t>(scene->scnWorldSize[1])) *
                                            static_cast<std::int32_t>(scene->scnWorldSize[1]))
       << 16) |
      static_cast<std::uint32_t>(column - FloorDiv(column, static_cast<std::int32_t>(scene->scnWorldSize[0])) *
                                              static_cast<std::int32_t>(scene->scnWorldSize[0]));
  for (std::uint32_t i = 0; i < w.numMissing; ++i) {
    if (w.missing[i] == key) {
      return SG_ERROR_NONE;
    }
  }
  const SGError found = SGSceneGetPage(scene, &page, loc, 1);
  if (found == SG_ERROR_PAGE_MISSING) {
    if (w.numMissing < kMaxMissing) {
      w.missing[w.numMissing++] = key;
    }
    return SG_ERROR_NONE;
  }
  if (found != SG_ERROR_NONE) {
    return found;
  }
  const auto wrapX = static_cast<std::uint32_t>(FloorDiv(column, static_cast<std::int32_t>(scene->scnWorldSize[0])));
  const auto wrapY = static_cast<std::uint32_t>(FloorDiv(row, static_cast<std::int32_t>(scene->scnWorldSize[1])));
  w.rend->renTimeStamp = (w.frame & 0x0FFFFFFF) | ((wrapY & 3) << 28) | ((wrapX & 3) << 30);
  page->pagNearOrigin[0] = static_cast<float>(column) * scene->scnPageSize;
  page->pagNearOrigin[1] = static_cast<float>(row) * scene->scnPageSize;
  ISGPageSetEyeOrigin(w.rend, page);
  const SGError err = ISGPageClassify(w.rend, scene, page);
  if (err == SG_ERROR_NONE && (page->pagFlags & SG_PAGE_FLAG_CULLED) == 0) {
    *out = page;
  }
  return err;
}

// The light at a vertex: each light listed for the page by its intensity over
// the squared distance times the cosine's numerator, and the directional
// lights' value for the vertex's normal.
float Shade(const Walk& w, const SGPage* page, std::uint8_t normalIndex, const float at[3]) {
  const float* n = w.scene->scnNormals[normalIndex];
  float sum = 0.f;
  for (std::uint32_t i = 0; i < page->pagNumLights; ++i) {
    const SGInstance* light = page->pagLights[i];
    const auto* data = static_cast<const SGLightData*>(light->instData);
    float d[3];
    for (int k = 0; k < 3; ++k) {
      d[k] = static_cast<float>(light->instPos[k] - w.rend->renEye[k]) - at[k];
    }
    const float d2 = d[0] * d[0] + d[1] * d[1] + d[2] * d[2];
    const float term = d2 > 0.f ? w.scene->scnTerrTexU * data->ltIntensity / d2 * (d[0] * n[0] + d[1] * n[1] + d[2] * n[2])
                                : 0.f;
    sum += term > 0.f ? term : 0.f;
  }
  if (w.shades) {
    sum += w.shadeTable[normalIndex];
  }
  return sum;
}

SGError MakeVertex(Walk& w, const SGPage* page, std::uint32_t u, std::uint32_t v, float height, SGTxVertex** out) {
  SGTxVertex* t = nullptr;
  const SGError err = ISGRendererNewTxVert(w.rend, &t);
  if (err != SG_ERROR_NONE) {
    return err;
  }
  t->txvPos[0] = page->pagEyeOrigin[0] + static_cast<float>(u) * w.cell;
  t->txvPos[1] = page->pagEyeOrigin[1] + static_cast<float>(v) * w.cell;
  t->txvPos[2] = page->pagEyeOrigin[2] + height;
  t->txvFlags = 0;
  t->txvUV[0] = static_cast<float>(u) / static_cast<float>(w.cells);
  t->txvUV[1] = static_cast<float>(v) / static_cast<float>(w.cells);
  t->txvShade = 0.f;
  t->txvFog = 1.f;
  t->txvTexture = nullptr;
  t->txvConverted = 0;
  t->txvQIndex = 0;
  t->txvColour[0] = t->txvColour[1] = t->txvColour[2] = t->txvColour[3] = 255;
  if (w.shades || page->pagNumLights != 0) {
    const float shade = Shade(w, page, page->pagHeightLOD->phlNormals[v * w.n + u], t->txvPos);
    if (shade > 0.f) {
      t->txvShade = shade;
      t->txvFlags |= SG_TXV_SHADED;
    }
  }
  ISGTransformVertex(w.rend, t);
  ++g_sgTerrainStats.tsVertices;
  *out = t;
  return SG_ERROR_NONE;
}

// A grid vertex of the page, made once per frame (its slot keeps it) at the
// level of the row that first needs it, its height blended towards the next
// coarser level by how far it lies into its level's band, so that a row that
// turns coarser from one frame to the next does not jump.
SGError GridVertex(Walk& w, const SGPage* page, std::uint32_t u, std::uint32_t v, std::uint32_t rowLevel,
                   SGTxVertex** out) {
  SGTerrVertSlot* slot = &page->pagHeightLOD->phlVerts[v * w.n + u];
  if (slot->tvTimeStamp == w.rend->renTimeStamp && slot->tvXVert != nullptr) {
    *out = slot->tvXVert;
    return SG_ERROR_NONE;
  }
  const float x = page->pagEyeOrigin[0] + static_cast<float>(u) * w.cell;
  const float y = page->pagEyeOrigin[1] + static_cast<float>(v) * w.cell;
  std::uint32_t level = rowLevel;
  float fraction = 0.f;
  ISGLodChoose(w.rend, w.scene, x, y, &level, &fraction);
  fraction = level > rowLevel ? 1.f : (level < rowLevel ? 0.f : fraction);
  const float h = ISGLodBlendHeight(w.scene, page->pagHeightLOD->phlHeights, u, v, rowLevel, fraction);
  const SGError err = MakeVertex(w, page, u, v, h, out);
  if (err == SG_ERROR_NONE) {
    slot->tvXVert = *out;
    slot->tvTimeStamp = w.rend->renTimeStamp;
  }
  return err;
}

// The texture level of the page for a row, asked for once through the hook when missing.
SGError ChooseTexture(Walk& w, SGPage* page, std::uint32_t level) {
  SGScene* scene = w.scene;
  SGTextureMap* txm = nullptr;
  for (int attempt = 0; attempt < 2 && txm == nullptr; ++attempt) {
    const SGPageTexInfo* pti = page->pagTextureInfo;
    std::uint32_t lod = level;
    if (pti != nullptr && pti->ptiNumTexLODs != 0) {
      lod = level < pti->ptiNumTexLODs ? level : pti->ptiNumTexLODs - 1;
      txm = pti->ptiTexLODs[lod];
    }
    if (txm == nullptr && attempt == 0) {
      scene->scnNeedPageLOD(page->pagLoc[1], page->pagLoc[0], lod, scene->scnNeedPageLODData);
    }
  }
  if (txm == nullptr) {
    return SG_ERROR_PAGE_MISSING;
  }
  // A flat colour per level shows the levels when textures are off.
  const std::uint32_t colour = ((level & 3) + 1) * 32 - 1;
  if (txm != w.mat.matTexMap || colour != (w.mat.matColour & 0xFF)) {
    w.mat.matTexMap = txm;
    w.mat.matColour = colour | (colour << 8) | (colour << 16) | (colour << 24);
    w.rend->renObjMaterial = nullptr;
  }
  return SG_ERROR_NONE;
}

// A convex cell polygon whose corners run counter-clockwise seen from above,
// drawn as a fan from its first corner; a ceiling seen from below turns the
// corners round.
SGError DrawPolygon(Walk& w, const SGPage* page, SGTxVertex* const* c, std::uint32_t count) {
  ++g_sgTerrainStats.tsCells;
  if ((page->pagFlags & SG_PAGE_FLAG_CULL_PARTIAL) != 0 &&
      ISGCullTestVertices(w.scene->scnCullRoot, page->pagCullState, c, count) == 3) {
    return SG_ERROR_NONE;
  }
  SGError err = SG_ERROR_NONE;
  for (std::uint32_t i = 1; i + 1 < count && err == SG_ERROR_NONE; ++i) {
    SGTxVertex* tri[3] = {c[0], w.reversed ? c[i + 1] : c[i], w.reversed ? c[i] : c[i + 1]};
    err = ISGClipTriangle(w.rend, w.scene, &w.mat, tri, 0);
  }
  return err;
}

// Most corners of a cell against a coarser row: the near edge split into at
// most a whole page's cells, plus the two far corners.
constexpr std::uint32_t kMaxCellCorners = 64;

// The cells of a row under one edge of the coarser row behind it, as one
// polygon: its far edge is that row's edge itself, unbroken, and its near
// edge runs through every vertex of this row, so no vertex of one lies in
// the middle of an edge of the other (a crack a pixel wide opens there).
// (u0, v0)-(u1, v1) is the span's rectangle, `farAlong` its far line and `s` this row's step.
SGError DrawStitched(Walk& w, const SGPage* page, const std::uint32_t lo[2], const std::uint32_t hi[2],
                     std::uint32_t farAlong, std::uint32_t s, std::uint32_t level, std::uint32_t farLevel) {
  const int along = w.major;  // grid axis 0 = u, 1 = v
  SGTxVertex* c[kMaxCellCorners];
  std::uint32_t count = 0;
  // Corners counter-clockwise: bottom edge left to right, right edge up, top edge right to left, left edge down.
  const std::uint32_t corner[4][2] = {{lo[0], lo[1]}, {hi[0], lo[1]}, {hi[0], hi[1]}, {lo[0], hi[1]}};
  std::uint32_t cornerAt[4];  // index in c of each corner
  for (int e = 0; e < 4; ++e) {
    cornerAt[e] = count;
    const std::uint32_t* from = corner[e];
    const std::uint32_t* to = corner[(e + 1) % 4];
    // An edge running across the walk is split when it is the near one.
    const int moving = from[0] != to[0] ? 0 : 1;
    const bool split = moving != along && from[along] != farAlong;
    const std::uint32_t length = from[moving] < to[moving] ? to[moving] - from[moving] : from[moving] - to[moving];
    const std::uint32_t steps = split ? length / s : 1;
    for (std::uint32_t k = 0; k < steps; ++k) {
      std::uint32_t at[2] = {from[0], from[1]};
      const std::uint32_t offset = k * (split ? s : 0);
      at[moving] = from[moving] < to[moving] ? at[moving] + offset : at[moving] - offset;
      const bool far = at[along] == farAlong;
      if (count == kMaxCellCorners) {
        return SG_ERROR_UNSUPPORTED;
      }
      const SGError err = GridVertex(w, page, at[0], at[1], far ? farLevel : level, &c[count]);
      if (err != SG_ERROR_NONE) {
        return err;
      }
      ++count;
    }
  }
  // The fan starts at a far corner, so the far edge is not split by a fan edge.
  SGTxVertex* fan[kMaxCellCorners];
  const std::uint32_t start = cornerAt[lo[along] == farAlong ? 0 : 2];
  for (std::uint32_t i = 0; i < count; ++i) {
    fan[i] = c[(i + start) % count];
  }
  return DrawPolygon(w, page, fan, count);
}

// One row: the fine grid lines [start, start + 2^level) along the walk axis,
// across every cached page; `farLine` is the line shared with the row drawn
// before it, at level `farLevel` (none when farLevel <= level).
SGError DrawRow(Walk& w, std::int32_t start, std::uint32_t level, std::int32_t farLine, std::uint32_t farLevel) {
  SGRenderer* rend = w.rend;
  const std::int32_t s = 1 << level;
  const int minor = 1 - w.major;
  const float eyeMinor = static_cast<float>(rend->renEye[minor]);
  const float eyeMajor = static_cast<float>(rend->renEye[w.major]);
  SGTerrainRow row{};
  row.rowFlags = SG_STRIP_FLAG_ROW;
  row.rowLOD = level;
  row.rowAlongX = w.major == 1 ? 1 : 0;
  row.rowStart[minor] = static_cast<float>(w.lo[minor]) * w.cell - eyeMinor;
  row.rowStart[w.major] = static_cast<float>(farLine) * w.cell - eyeMajor;
  row.rowEnd = static_cast<float>(w.hi[minor]) * w.cell - eyeMinor;
  row.rowDepth = static_cast<float>(farLine == start ? s : -s) * w.cell;
  ISGStripTestFrustum(rend, w.scene, &row);
  if ((row.rowFlags & SG_STRIP_FLAG_SKIP) != 0 ||
      (w.scene->scnCullRoot != nullptr && ISGCullClassifyStrip(w.scene->scnCullRoot, w.scene, &row) == 3)) {
    return SG_ERROR_NONE;
  }
  ++g_sgTerrainStats.tsRows;
  const std::int32_t pageMajor = FloorDiv(start, w.cells);
  const auto local = static_cast<std::uint32_t>(start - pageMajor * w.cells);
  const auto farLocal = static_cast<std::uint32_t>(farLine - pageMajor * w.cells);
  const bool stitched = farLevel > level;
  for (std::int32_t pm = FloorDiv(w.lo[minor], w.cells); pm * w.cells < w.hi[minor]; ++pm) {
    SGPage* page = nullptr;
    SGError err = w.major == 1 ? PageAt(w, pm, pageMajor, &page) : PageAt(w, pageMajor, pm, &page);
    if (err != SG_ERROR_NONE) {
      return err;
    }
    if (page == nullptr) {
      continue;
    }
    err = ChooseTexture(w, page, level);
    if (err != SG_ERROR_NONE) {
      return err;
    }
    // Against a coarser row behind, a whole edge of that row is drawn at a time.
    const std::uint32_t span = stitched ? 1u << farLevel : static_cast<std::uint32_t>(s);
    for (std::uint32_t m = 0; m < static_cast<std::uint32_t>(w.cells); m += span) {
      const std::uint32_t a = local;
      const std::uint32_t b = local + static_cast<std::uint32_t>(s);
      // Corners (x, y) in the page's grid: (lo, lo), (hi, lo), (hi, hi), (lo, hi).
      const std::uint32_t xs[2] = {w.major == 1 ? m : a, w.major == 1 ? m + span : b};
      const std::uint32_t ys[2] = {w.major == 1 ? a : m, w.major == 1 ? b : m + span};
      if (stitched) {
        const std::uint32_t lo[2] = {xs[0], ys[0]};
        const std::uint32_t hi[2] = {xs[1], ys[1]};
        err = DrawStitched(w, page, lo, hi, farLocal, static_cast<std::uint32_t>(s), level, farLevel);
      } else {
        const int order[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
        SGTxVertex* c[4];
        for (int k = 0; k < 4 && err == SG_ERROR_NONE; ++k) {
          err = GridVertex(w, page, xs[order[k][0]], ys[order[k][1]], level, &c[k]);
        }
        if (err == SG_ERROR_NONE) {
          err = DrawPolygon(w, page, c, 4);
        }
      }
      if (err != SG_ERROR_NONE) {
        return err;
      }
    }
  }
  return SG_ERROR_NONE;
}

// Draws, farthest first, the sorted instances that lie wholly beyond the grid
// line just walked (their nearest extent along the walk axis is past it), so
// that rows drawn later cover them where the ground rises in front; the first
// instance not yet passed ends the drawing until the next row.
SGError DrawBehind(Walk& w, float line, std::int32_t step, bool all) {
  SGScene* scene = w.scene;
  SGInstance** buckets = scene->scnInstVector;
  if (!w.instances || buckets == nullptr) {
    return SG_ERROR_NONE;
  }
  while (scene->scnSortFarthest != nullptr && scene->scnSortFarthest >= buckets) {
    SGInstance* inst = *scene->scnSortFarthest;
    if (inst == nullptr) {
      if (scene->scnSortFarthest == buckets) {
        break;
      }
      --scene->scnSortFarthest;
      continue;
    }
    if (!all) {
      // The translation row holds the eye-relative position it is drawn at.
      const double d = inst->instXform.m[3][w.major];
      const double nearest = d + (step < 0 ? -inst->instRadius : inst->instRadius);
      const double row = line - w.rend->renEye[w.major];
      if (step < 0 ? nearest < row : nearest > row) {
        break;
      }
    }
    *scene->scnSortFarthest = inst->instNext;
    const SGError err = ISGInstanceDraw(w.rend, scene, inst);
    if (err != SG_ERROR_NONE) {
      return err;
    }
  }
  return SG_ERROR_NONE;
}

std::uint32_t LevelAt(const Walk& w, float distance) {
  std::uint32_t level = w.scene->scnMaxLOD;
  ISGLodChoose(w.rend, w.scene, distance, 0.f, &level, nullptr);
  return level;
}

// In single-step mode the window messages waiting are handled between rows; a
// handler may abandon the draw.
SGError StepMessages(const Walk& w) {
  if ((w.rend->renFlags & SG_REND_FLAG_SINGLE_STEP) == 0) {
    return SG_ERROR_NONE;
  }
  plat::MSG msg;
  for (int i = 0; i < kMaxMessagesPerPump && plat::PeekMessage(&msg, nullptr, 0, 0, plat::PM_REMOVE); ++i) {
    plat::TranslateMessage(&msg);
    plat::DispatchMessage(&msg);
  }
  return (w.scene->scnFlags & SG_SCN_FLAG_DRAWING) == 0 ? SG_ERROR_ABANDONED : SG_ERROR_NONE;
}

// Rows from `from` towards `to` (exclusive) along the walk axis, each as
// coarse as its distance allows and no coarser than the one before.
SGError WalkRows(Walk& w, std::int32_t from, std::int32_t to, bool front) {
  const std::int32_t step = to > from ? 1 : -1;
  const float eye = static_cast<float>(w.rend->renEye[w.major]) / w.cell;
  std::uint32_t prev = w.scene->scnMaxLOD;
  std::uint32_t farLevel = 0;  // no coarser row lies beyond the first
  std::int32_t pos = from;
  auto distance = [&](std::int32_t line) {
    const float d = (static_cast<float>(line) - eye) * static_cast<float>(-step);
    return d > 0.f ? d * w.cell : 0.f;
  };
  while (pos != to) {
    std::uint32_t level = LevelAt(w, distance(pos));
    level = level > prev ? prev : level;
    while (level > 0) {
      const std::int32_t next = pos + step * (1 << level);
      const bool overshoots = step > 0 ? next > to : next < to;
      if (!overshoots && (pos & ((1 << level) - 1)) == 0 && LevelAt(w, distance(next)) >= level) {
        break;
      }
      --level;
    }
    const std::int32_t next = pos + step * (1 << level);
    const std::int32_t start = step > 0 ? pos : next;
    SGError err = DrawRow(w, start, level, pos, farLevel);
    if (err == SG_ERROR_NONE) {
      err = StepMessages(w);
    }
    if (err == SG_ERROR_NONE && front) {
      err = DrawBehind(w, static_cast<float>(next) * w.cell, step, false);
    }
    if (err != SG_ERROR_NONE) {
      return err;
    }
    farLevel = level;
    prev = level;
    pos = next;
  }
  return SG_ERROR_NONE;
}

}  // namespace

SGError ISGTerrainDraw(SGRenderer* rend, SGScene* scene, bool instances) {
  g_sgTerrainStats = SGTerrainStats{};
  if (scene->scnPageNumVerts < 2 || rend->renLOD == nullptr || scene->scnWorldSize[0] == 0 ||
      scene->scnWorldSize[1] == 0) {
    return SG_ERROR_NONE;
  }
  Walk w{};
  w.rend = rend;
  w.scene = scene;
  w.n = scene->scnPageNumVerts;
  w.cells = static_cast<std::int32_t>(w.n - 1);
  w.cell = scene->scnPageSize / static_cast<float>(w.cells);
  w.reversed = (scene->scnFlags & SG_SCN_FLAG_REVERSED) != 0;
  w.instances = instances;
  // A ceiling of clouds (heights not turned down) is lit as the ground it covers.
  const SGScene* lit = (scene->scnFlags & SG_SCN_FLAG_SUB_SCENE) != 0 && scene->scnHeightScale >= 0.f &&
                               scene->scnSuperScene != nullptr
                           ? scene->scnSuperScene
                           : scene;
  w.shadeTable = lit->scnShadeTable;
  w.shades = (scene->scnFlags & SG_SCN_FLAG_LIGHT_SHADES) != 0 && w.shadeTable != nullptr;
  w.mat.matType = SG_MAT_TYPE_SHADED_TEXTURE;
  w.mat.matAmbient = scene->scnTerrTexV;
  w.mat.matDiffuse = scene->scnTerrTexU;
  w.mat.matInfo = &w.info;
  // The walk covers the view's reach around the eye, at most one and a half
  // world extents each way: four copies of a page at most, told apart by two
  // bits of wrap per axis in the stamps.
  const SGViewData* vi = rend->renViewData;
  for (int k = 0; k < 2; ++k) {
    // Pages far smaller than the view would make a walk without end: it keeps to kMaxPagesReach pages.
    const float reach = std::fmin(std::fmin(vi != nullptr ? vi->viYon : scene->scnWorldExtent[k],
                                            1.5f * scene->scnWorldExtent[k]),
                                  kMaxPagesReach * scene->scnPageSize);
    const double eye = rend->renEye[k];
    w.lo[k] = static_cast<std::int32_t>(std::floor((eye - reach) / scene->scnPageSize)) * w.cells;
    w.hi[k] = (static_cast<std::int32_t>(std::floor((eye + reach) / scene->scnPageSize)) + 1) * w.cells;
  }
  // Slot stamps outlive renderers (a page keeps its slots), and a new renderer
  // counts its frames from the start again: the terrain's frames are counted
  // once for the process instead. Stamp 0 marks a slot never made.
  g_terrainFrame = (g_terrainFrame + 1) & 0x0FFFFFFF;
  if (g_terrainFrame == 0) {
    g_terrainFrame = 1;
  }
  w.frame = g_terrainFrame;
  const float dx = rend->renViewDir[0], dy = rend->renViewDir[1];
  w.major = std::fabs(dy) >= std::fabs(dx) ? 1 : 0;
  const float toward = rend->renViewDir[w.major];
  const std::int32_t farEnd = toward > 0.f ? w.hi[w.major] : w.lo[w.major];
  const std::int32_t nearEnd = toward > 0.f ? w.lo[w.major] : w.hi[w.major];
  // The eye's grid line, on the cache's grid of whole pages' cells.
  const float eyeLine = static_cast<float>(rend->renEye[w.major]) / w.cell;
  std::int32_t split = static_cast<std::int32_t>(std::floor(eyeLine)) + (toward > 0.f ? 0 : 1);
  split = split < w.lo[w.major] ? w.lo[w.major] : (split > w.hi[w.major] ? w.hi[w.major] : split);
  // In front of the eye from the far edge back to it, then behind it from the other edge.
  SGError err = WalkRows(w, farEnd, split, true);
  if (err == SG_ERROR_NONE) {
    err = WalkRows(w, nearEnd, split, false);
  }
  if (err == SG_ERROR_NONE && (scene->scnFlags & SG_SCN_FLAG_DRAWING) != 0) {
    err = DrawBehind(w, 0.f, 1, true);
  }
  // The material lived on this stack: nothing may remember it.
  rend->renObjMaterial = nullptr;
  return err;
}
