// The terrain walk: the pages of the cache drawn back to front in rows of
// cells, each cell split until it is as fine as its own distance from the
// eye needs, through the renderer's transform, clipping and triangle fills.
// Two passes: the first cuts every row into cells and makes their corners,
// the second draws each cell with every vertex its neighbours put on its
// sides, so that cells of different levels meet without cracks.

#include <algorithm>
#include <bit>
#include <cmath>

#include "platform/user/queue.h"
#include "sg/core/context.h"
#include "sg/core/malloc.h"
#include "sg/cull/cullterrain.h"
#include "sg/d3d/d3ddevice.h"
#include "sg/instance/instance.h"
#include "sg/material/material.h"
#include "sg/render/instsort.h"
#include "sg/render/primitives.h"
#include "sg/render/renderer.h"
#include "sg/scene/scene.h"
#include "sg/terrain/lod.h"
#include "sg/terrain/page.h"
#include "sg/terrain/strip.h"
#include "sg/terrain/stripoutput.h"
#include "sg/terrain/terrain.h"
#include "sg/terrain/tsp.h"

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

// Most cells and rows kept for one frame (16 MiB of cells).
constexpr std::uint32_t kMaxCells = 1u << 20;
constexpr std::uint32_t kMaxRows = 1u << 16;
constexpr std::uint32_t kMaxPlaces = 1u << 22;

// A cell of the grid kept between the two passes: the page copy it lies in,
// its lower corner and its level (it spans 2^level samples).
struct Cell {
  std::int32_t column;
  std::int32_t row;
  std::uint16_t u;
  std::uint16_t v;
  std::uint32_t level;
  std::int32_t order;  // place of its far edge along the walk, farthest least
};

// A row's cells, drawn together; instances behind `line` follow a row of the front walk.
struct Row {
  std::uint32_t first;
  std::uint32_t end;
  float line;
  bool front;
};

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
  bool instances;  // the scene's instances are drawn between the rows
  SGTerrainFootprint footprint;
  // Locations (wrapped) already asked for in vain this frame: each is asked once.
  std::uint32_t missing[kMaxMissing];
  std::uint32_t numMissing;
  SGMaterialInfo info;
  SGMaterial mat;
  std::int32_t step;  // direction of the rows being made along the walk axis
  Cell* keptCells;    // owned for the frame
  std::uint32_t cellsAlloc;
  std::uint32_t numCells;
  std::uint64_t* places;  // made grid places, open addressing; owned for the frame
  std::uint32_t placesAlloc;
  std::uint32_t numPlaces;
  Row* rows;  // owned for the frame
  std::uint32_t rowsAlloc;
  std::uint32_t numRows;
};

std::int32_t FloorDiv(std::int32_t a, std::int32_t b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

// The stamp of the copy of a page at an unwrapped location: the frame's with
// the copy's wraps in the top four bits, so each copy's vertices are made for it.
std::uint32_t CopyStamp(const Walk& w, std::int32_t column, std::int32_t row) {
  const auto wrapX = static_cast<std::uint32_t>(FloorDiv(column, static_cast<std::int32_t>(w.scene->scnWorldSize[0])));
  const auto wrapY = static_cast<std::uint32_t>(FloorDiv(row, static_cast<std::int32_t>(w.scene->scnWorldSize[1])));
  return (w.frame & 0x0FFFFFFF) | ((wrapY & 3) << 28) | ((wrapX & 3) << 30);
}

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
  w.rend->renTimeStamp = CopyStamp(w, column, row);
  page->pagNearOrigin[0] = static_cast<float>(column) * scene->scnPageSize;
  page->pagNearOrigin[1] = static_cast<float>(row) * scene->scnPageSize;
  ISGPageSetEyeOrigin(w.rend, page);
  const SGError err = ISGPageClassify(w.rend, scene, page);
  if (err == SG_ERROR_NONE && (page->pagFlags & SG_PAGE_FLAG_CULLED) == 0) {
    *out = page;
  }
  return err;
}

// A vertex on a page edge is copied into the resident pages across that edge
// (and across the corner), so they take it as it is instead of making it again.
SGError Ghosts(Walk& w, std::int32_t column, std::int32_t row, std::uint32_t u, std::uint32_t v,
               const SGTerrVertSlot* slot) {
  const std::uint32_t last = w.n - 1;
  const int du = u == 0 ? -1 : (u == last ? 1 : 0);
  const int dv = v == 0 ? -1 : (v == last ? 1 : 0);
  for (std::uint32_t mode = 1; mode <= 3; ++mode) {
    const int sx = (mode & 1) != 0 ? du : 0;
    const int sy = (mode & 2) != 0 ? dv : 0;
    if (((mode & 1) != 0 && du == 0) || ((mode & 2) != 0 && dv == 0)) {
      continue;
    }
    const std::int32_t loc[2] = {column + sx, row + sy};
    SGPage* other = nullptr;
    if (SGSceneGetPage(w.scene, &other, loc, 0) != SG_ERROR_NONE) {
      continue;
    }
    const std::uint32_t tu = sx == 0 ? u : last - u;
    const std::uint32_t tv = sy == 0 ? v : last - v;
    SGTerrVertSlot* target = &other->pagHeightLOD->phlVerts[tv * w.n + tu];
    const std::uint32_t stamp = CopyStamp(w, loc[0], loc[1]);
    if (target->tvTimeStamp != stamp || target->tvXVert == nullptr) {
      const SGError err = ISGTspGhost(w.rend, mode, slot, target, stamp);
      if (err != SG_ERROR_NONE) {
        return err;
      }
    }
  }
  return SG_ERROR_NONE;
}

// A grid vertex of the page copy at (column, row), made once per frame (its
// slot keeps it). Its height depends on its place alone, so every cell with
// the vertex on its border puts it in the same spot: blended at the level
// chosen there towards the next coarser one, or, off that level's grid
// (where a finer cell meets a coarser one), wholly towards the level above
// its own grid.
SGError GridVertex(Walk& w, const SGPage* page, std::int32_t column, std::int32_t row, std::uint32_t u,
                   std::uint32_t v, SGTxVertex** out) {
  SGTerrVertSlot* slot = &page->pagHeightLOD->phlVerts[v * w.n + u];
  if (slot->tvTimeStamp == w.rend->renTimeStamp && slot->tvXVert != nullptr) {
    *out = slot->tvXVert;
    return SG_ERROR_NONE;
  }
  const std::uint32_t maxLOD = w.scene->scnMaxLOD;
  const float at[2] = {page->pagEyeOrigin[0] + static_cast<float>(u) * w.cell,
                       page->pagEyeOrigin[1] + static_cast<float>(v) * w.cell};
  std::uint32_t level = maxLOD;
  float fraction = 0.f;
  ISGLodChoose(w.rend, w.scene, at[0], at[1], &level, &fraction);
  const std::uint32_t bits = u | v;
  const std::uint32_t grid = bits == 0 ? maxLOD : std::min<std::uint32_t>(std::countr_zero(bits), maxLOD);
  if (level > grid) {
    level = grid;
    fraction = 1.f;
  }
  const float position[3] = {at[0], at[1],
                             page->pagEyeOrigin[2] +
                                 ISGLodBlendHeight(w.scene, page->pagHeightLOD->phlHeights, u, v, level, fraction)};
  SGError err = ISGTspMakeVert(w.rend, w.scene, page, position, u, v, slot, out);
  if (err == SG_ERROR_NONE) {
    ++g_sgTerrainStats.tsVertices;
    if (u == 0 || v == 0 || u == w.n - 1 || v == w.n - 1) {
      err = Ghosts(w, column, row, u, v, slot);
    }
  }
  return err;
}

// A convex cell polygon whose corners run counter-clockwise seen from above,
// drawn as a fan from its first corner by the renderer's terrain-tile operation.
SGError DrawPolygon(Walk& w, SGPage* page, std::uint32_t level, SGTxVertex** c, std::uint32_t count) {
  SGTerrainCell cell{w.scene, page, level, w.reversed, &w.mat, nullptr, SGTxQuad{0, count, c}};
  return w.rend->renMethods.rmTerrainTile(w.rend, &cell);
}

// Grows an array of `size`-byte records by doubling, to at most `most`; false when it cannot.
bool Grow(void** items, std::uint32_t* capacity, std::uint32_t used, std::size_t size, std::uint32_t most) {
  if (used < *capacity) {
    return true;
  }
  const std::uint32_t next = *capacity == 0 ? 256 : (*capacity >= most / 2 ? most : *capacity * 2);
  if (next <= used) {
    return false;
  }
  void* grown = SGRealloc(*items, next * size);
  if (grown == nullptr) {
    return false;
  }
  *items = grown;
  *capacity = next;
  return true;
}

// The grid places (unwrapped, over the whole world) whose vertices the first
// pass made: a copy of a page drawn twice in a frame remakes its vertices in
// the same slots, so the slots cannot tell which copy's neighbours made one.
std::uint64_t PlaceKey(const Walk& w, std::int32_t column, std::int32_t row, std::uint32_t u, std::uint32_t v) {
  const auto gx = static_cast<std::uint32_t>(column * w.cells + static_cast<std::int32_t>(u) + 0x40000000);
  const auto gy = static_cast<std::uint32_t>(row * w.cells + static_cast<std::int32_t>(v) + 0x40000000);
  return (std::uint64_t{1} << 63) | (static_cast<std::uint64_t>(gx) << 32) | gy;
}

std::uint32_t PlaceSlot(const Walk& w, std::uint64_t key) {
  std::uint64_t h = key * 0x9E3779B97F4A7C15ull;
  return static_cast<std::uint32_t>(h >> 32) & (w.placesAlloc - 1);
}

bool Made(const Walk& w, std::int32_t column, std::int32_t row, std::uint32_t u, std::uint32_t v) {
  if (w.placesAlloc == 0) {
    return false;
  }
  const std::uint64_t key = PlaceKey(w, column, row, u, v);
  for (std::uint32_t i = PlaceSlot(w, key);; i = (i + 1) & (w.placesAlloc - 1)) {
    if (w.places[i] == key) {
      return true;
    }
    if (w.places[i] == 0) {
      return false;
    }
  }
}

// Records a made place; the table stays at most half full. false when it cannot grow.
bool Remember(Walk& w, std::int32_t column, std::int32_t row, std::uint32_t u, std::uint32_t v) {
  if (2 * (w.numPlaces + 1) > w.placesAlloc) {
    const std::uint32_t next = w.placesAlloc == 0 ? 1024 : w.placesAlloc * 2;
    if (next > kMaxPlaces) {
      return false;
    }
    auto* table = static_cast<std::uint64_t*>(SGCalloc(next, sizeof(std::uint64_t)));
    if (table == nullptr) {
      return false;
    }
    std::uint64_t* old = w.places;
    const std::uint32_t oldAlloc = w.placesAlloc;
    w.places = table;
    w.placesAlloc = next;
    for (std::uint32_t i = 0; i < oldAlloc; ++i) {
      if (old[i] != 0) {
        std::uint32_t j = PlaceSlot(w, old[i]);
        while (table[j] != 0) {
          j = (j + 1) & (next - 1);
        }
        table[j] = old[i];
      }
    }
    SGFree(old);
  }
  const std::uint64_t key = PlaceKey(w, column, row, u, v);
  std::uint32_t i = PlaceSlot(w, key);
  while (w.places[i] != 0 && w.places[i] != key) {
    i = (i + 1) & (w.placesAlloc - 1);
  }
  if (w.places[i] == 0) {
    w.places[i] = key;
    ++w.numPlaces;
  }
  return true;
}

// Splits a cell into quarters while the level chosen at its point nearest
// the eye is finer than its own, making the corners of every cell kept.
SGError Subdivide(Walk& w, const SGPage* page, std::int32_t column, std::int32_t row, std::uint32_t u0,
                  std::uint32_t v0, std::uint32_t level) {
  const std::uint32_t size = 1u << level;
  auto nearest = [&](float from) {
    const float to = from + static_cast<float>(size) * w.cell;
    return from > 0.f ? from : (to < 0.f ? to : 0.f);
  };
  std::uint32_t needed = level;
  ISGLodChoose(w.rend, w.scene, nearest(page->pagEyeOrigin[0] + static_cast<float>(u0) * w.cell),
               nearest(page->pagEyeOrigin[1] + static_cast<float>(v0) * w.cell), &needed, nullptr);
  if (level > 0 && needed < level) {
    const std::uint32_t half = size / 2;
    for (std::uint32_t k = 0; k < 4; ++k) {
      const SGError err = Subdivide(w, page, column, row, u0 + (k & 1) * half, v0 + (k >> 1) * half, level - 1);
      if (err != SG_ERROR_NONE) {
        return err;
      }
    }
    return SG_ERROR_NONE;
  }
  SGTxVertex* corner = nullptr;
  for (std::uint32_t k = 0; k < 4; ++k) {
    const std::uint32_t u = u0 + (k & 1) * size;
    const std::uint32_t v = v0 + (k >> 1) * size;
    const SGError err = GridVertex(w, page, column, row, u, v, &corner);
    if (err != SG_ERROR_NONE) {
      return err;
    }
    if (!Remember(w, column, row, u, v)) {
      return SG_ERROR_NO_MEMORY;
    }
  }
  if (!Grow(reinterpret_cast<void**>(&w.keptCells), &w.cellsAlloc, w.numCells, sizeof(Cell), kMaxCells)) {
    return SG_ERROR_NO_MEMORY;
  }
  // Farther cells sort first: by the far edge's place along the walk.
  const std::int32_t along = (w.major == 1 ? row : column) * w.cells + static_cast<std::int32_t>(w.major == 1 ? v0 : u0);
  Cell& c = w.keptCells[w.numCells++];
  c.column = column;
  c.row = row;
  c.u = static_cast<std::uint16_t>(u0);
  c.v = static_cast<std::uint16_t>(v0);
  c.level = level;
  c.order = w.step < 0 ? -(along + static_cast<std::int32_t>(size)) : along;
  return SG_ERROR_NONE;
}

// The first pass over one row: the fine grid lines [start, start + 2^level)
// along the walk axis, across every cached page, cut into cells as fine as
// their distance needs, whose corners are made. The cells are kept, farthest first.
SGError MakeRow(Walk& w, std::int32_t start, std::uint32_t level, std::int32_t farLine, std::int32_t next,
                bool front) {
  SGRenderer* rend = w.rend;
  const std::int32_t s = 1 << level;
  const int minor = 1 - w.major;
  const float eyeMinor = static_cast<float>(rend->renEye[minor]);
  const float eyeMajor = static_cast<float>(rend->renEye[w.major]);
  // Only the part of the row within the view's footprint is cut into cells.
  float from = 0.f, to = 0.f;
  const float band = static_cast<float>(start) * w.cell - eyeMajor;
  if (!ISGFootprintRowExtent(&w.footprint, w.major == 1, band, band + static_cast<float>(s) * w.cell, &from, &to)) {
    return SG_ERROR_NONE;
  }
  const float first = std::floor((from + eyeMinor) / w.cell);
  const float last = std::ceil((to + eyeMinor) / w.cell);
  const std::int32_t lo = first > static_cast<float>(w.lo[minor]) ? static_cast<std::int32_t>(first) : w.lo[minor];
  const std::int32_t hi = last < static_cast<float>(w.hi[minor]) ? static_cast<std::int32_t>(last) : w.hi[minor];
  if (lo >= hi) {
    return SG_ERROR_NONE;
  }
  SGTerrainRow row{};
  row.rowFlags = SG_STRIP_FLAG_ROW;
  row.rowLOD = level;
  row.rowAlongX = w.major == 1 ? 1 : 0;
  row.rowStart[minor] = static_cast<float>(lo) * w.cell - eyeMinor;
  row.rowStart[w.major] = static_cast<float>(farLine) * w.cell - eyeMajor;
  row.rowStart[2] = -static_cast<float>(rend->renEye[2]);
  row.rowEnd = static_cast<float>(hi) * w.cell - eyeMinor;
  row.rowDepth = static_cast<float>(farLine == start ? s : -s) * w.cell;
  ISGStripTestFrustum(rend, w.scene, &row);
  if ((row.rowFlags & SG_STRIP_FLAG_SKIP) != 0 ||
      (w.scene->scnCullRoot != nullptr && ISGCullClassifyStrip(w.scene->scnCullRoot, w.scene, &row) == 3)) {
    return SG_ERROR_NONE;
  }
  ++g_sgTerrainStats.tsRows;
  if (!Grow(reinterpret_cast<void**>(&w.rows), &w.rowsAlloc, w.numRows, sizeof(Row), kMaxRows)) {
    return SG_ERROR_NO_MEMORY;
  }
  const std::uint32_t firstCell = w.numCells;
  const std::int32_t pageMajor = FloorDiv(start, w.cells);
  const auto local = static_cast<std::uint32_t>(start - pageMajor * w.cells);
  for (std::int32_t pm = FloorDiv(lo, w.cells); pm * w.cells < hi; ++pm) {
    SGPage* page = nullptr;
    const std::int32_t column = w.major == 1 ? pm : pageMajor;
    const std::int32_t pageRow = w.major == 1 ? pageMajor : pm;
    SGError err = PageAt(w, column, pageRow, &page);
    for (std::uint32_t m = 0; err == SG_ERROR_NONE && page != nullptr && m < static_cast<std::uint32_t>(w.cells);
         m += static_cast<std::uint32_t>(s)) {
      const std::int32_t at = pm * w.cells + static_cast<std::int32_t>(m);
      if (at + s <= lo || at >= hi) {
        continue;
      }
      err = w.major == 1 ? Subdivide(w, page, column, pageRow, m, local, level)
                         : Subdivide(w, page, column, pageRow, local, m, level);
    }
    if (err != SG_ERROR_NONE) {
      return err;
    }
  }
  std::stable_sort(w.keptCells + firstCell, w.keptCells + w.numCells,
                   [](const Cell& a, const Cell& b) { return a.order < b.order; });
  w.rows[w.numRows++] = Row{firstCell, w.numCells, static_cast<float>(next) * w.cell, front};
  return SG_ERROR_NONE;
}

// Most vertices around a cell: a whole page's side on each of its four.
constexpr std::uint32_t kMaxRing = 4 * 256;

// The second pass for one cell: its corners and every vertex made on its
// sides by its neighbours, so no vertex of one cell lies in the middle of a
// side of another (a crack a pixel wide would open there). With vertices on
// its sides the cell is a fan around its centre.
SGError DrawCell(Walk& w, SGPage* page, const Cell& c) {
  const std::uint32_t size = 1u << c.level;
  const std::uint32_t corner[4][2] = {{c.u, c.v}, {c.u + size, c.v}, {c.u + size, c.v + size}, {c.u, c.v + size}};
  SGTxVertex* fan[kMaxRing + 2];
  std::uint32_t count = 1;  // fan[0] is the centre
  for (int e = 0; e < 4; ++e) {
    const std::uint32_t* from = corner[e];
    const std::uint32_t* to = corner[(e + 1) % 4];
    const int moving = from[0] != to[0] ? 0 : 1;
    for (std::uint32_t k = 0; k < size; ++k) {
      std::uint32_t at[2] = {from[0], from[1]};
      at[moving] = from[moving] < to[moving] ? at[moving] + k : at[moving] - k;
      if (k != 0 && !Made(w, c.column, c.row, at[0], at[1])) {
        continue;
      }
      if (count > kMaxRing) {
        return SG_ERROR_UNSUPPORTED;
      }
      const SGError err = GridVertex(w, page, c.column, c.row, at[0], at[1], &fan[count++]);
      if (err != SG_ERROR_NONE) {
        return err;
      }
    }
  }
  if (count == 5) {
    return DrawPolygon(w, page, c.level, fan + 1, 4);
  }
  const SGError err = GridVertex(w, page, c.column, c.row, c.u + size / 2, c.v + size / 2, &fan[0]);
  if (err != SG_ERROR_NONE) {
    return err;
  }
  fan[count++] = fan[1];
  return DrawPolygon(w, page, c.level, fan, count);
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

// A row is this many levels coarser than its distance along the walk needs:
// its cells are split where they come nearer the eye, so its ends stay coarse.
constexpr std::uint32_t kRowCoarsening = 2;

std::uint32_t RowLevel(const Walk& w, float distance) {
  std::uint32_t level = w.scene->scnMaxLOD;
  ISGLodChoose(w.rend, w.scene, distance, 0.f, &level, nullptr);
  level += kRowCoarsening;
  return level > w.scene->scnMaxLOD ? w.scene->scnMaxLOD : level;
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

// The first pass over the rows from `from` towards `to` (exclusive) along
// the walk axis, each as tall as its distance allows.
SGError MakeRows(Walk& w, std::int32_t from, std::int32_t to, bool front) {
  const std::int32_t step = to > from ? 1 : -1;
  w.step = step;
  const float eye = static_cast<float>(w.rend->renEye[w.major]) / w.cell;
  std::int32_t pos = from;
  auto distance = [&](std::int32_t line) {
    const float d = (static_cast<float>(line) - eye) * static_cast<float>(-step);
    return d > 0.f ? d * w.cell : 0.f;
  };
  while (pos != to) {
    std::uint32_t level = RowLevel(w, distance(pos));
    while (level > 0) {
      const std::int32_t next = pos + step * (1 << level);
      const bool overshoots = step > 0 ? next > to : next < to;
      if (!overshoots && (pos & ((1 << level) - 1)) == 0) {
        break;
      }
      --level;
    }
    const std::int32_t next = pos + step * (1 << level);
    const SGError err = MakeRow(w, step > 0 ? pos : next, level, pos, next, front);
    if (err != SG_ERROR_NONE) {
      return err;
    }
    pos = next;
  }
  return SG_ERROR_NONE;
}

// The second pass: the cells of every row, farthest row first, with the
// instances behind each row of the front walk drawn after it.
SGError DrawRows(Walk& w, std::uint32_t first, std::uint32_t end, std::int32_t step) {
  for (std::uint32_t r = first; r < end; ++r) {
    const Row& row = w.rows[r];
    std::int32_t column = 0, pageRow = 0;
    SGPage* page = nullptr;
    for (std::uint32_t i = row.first; i < row.end; ++i) {
      const Cell& c = w.keptCells[i];
      SGError err = SG_ERROR_NONE;
      if (page == nullptr || c.column != column || c.row != pageRow) {
        column = c.column;
        pageRow = c.row;
        err = PageAt(w, column, pageRow, &page);
      }
      if (err == SG_ERROR_NONE && page != nullptr) {
        err = DrawCell(w, page, c);
      }
      if (err != SG_ERROR_NONE) {
        return err;
      }
    }
    SGError err = StepMessages(w);
    if (err == SG_ERROR_NONE && row.front) {
      err = DrawBehind(w, row.line, step, false);
    }
    if (err != SG_ERROR_NONE) {
      return err;
    }
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
  ISGTerrainInstallOps(rend);
  Walk w{};
  w.rend = rend;
  w.scene = scene;
  w.n = scene->scnPageNumVerts;
  w.cells = static_cast<std::int32_t>(w.n - 1);
  w.cell = scene->scnPageSize / static_cast<float>(w.cells);
  w.reversed = (scene->scnFlags & SG_SCN_FLAG_REVERSED) != 0;
  w.instances = instances;
  w.mat.matType = SG_MAT_TYPE_SHADED_TEXTURE;
  w.mat.matColour = 0xFFFFFFFFu;  // the device modulates the texture by it
  w.mat.matAmbient = scene->scnTerrTexV;
  w.mat.matDiffuse = scene->scnTerrTexU;
  w.info.maiScale = 1.f;  // opaque: the device blends by it
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
  ISGTerrainFootprint(rend, scene, &w.footprint);
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
  // First every row's cells and their corners, so that each cell drawn
  // afterwards finds the vertices its neighbours put on its sides: in front
  // of the eye from the far edge back to it, then behind it from the other edge.
  SGError err = MakeRows(w, farEnd, split, true);
  const std::uint32_t frontRows = w.numRows;
  const std::int32_t frontStep = split > farEnd ? 1 : -1;
  if (err == SG_ERROR_NONE) {
    err = MakeRows(w, nearEnd, split, false);
  }
  if (err == SG_ERROR_NONE) {
    err = DrawRows(w, 0, frontRows, frontStep);
  }
  if (err == SG_ERROR_NONE) {
    err = DrawRows(w, frontRows, w.numRows, -frontStep);
  }
  SGFree(w.keptCells);
  SGFree(w.rows);
  SGFree(w.places);
  if (err == SG_ERROR_NONE && (scene->scnFlags & SG_SCN_FLAG_DRAWING) != 0) {
    err = DrawBehind(w, 0.f, 1, true);
  }
  // The material lived on this stack and a texture may leave with its page: nothing may remember them.
  rend->renObjMaterial = nullptr;
  if (rend->renD3D != nullptr) {
    if (rend->renD3D->d3dCurrMaterial == &w.mat) {
      rend->renD3D->d3dCurrMaterial = nullptr;
    }
  } else {
    ISGRendererSetTerrainFill(rend, 0, nullptr);
  }
  return err;
}
