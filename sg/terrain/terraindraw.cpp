// The terrain walk: the ground in view drawn back to front in rows from the
// far edge of the view's footprint toward the eye, each row a strip of cells
// at the level of its ends that splits into finer cells where it comes nearer
// the eye and merges back beyond. A split cell and a merge cell are fans with
// the finer level's vertices on the sides toward the finer cells; between
// them the finer level's two rows (the intermediate row behind, then the
// strip itself) are drawn as strips of their own. A cell takes the vertices
// the row behind it made on its far edge, so cells of different levels meet
// without cracks; vertices on page edges are copied into the pages across.

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

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

// Frames drawn with terrain in this process (28 bits), and the times that
// count came round to its start; drawing thread only.
std::uint32_t g_terrainFrame = 0;
std::uint32_t g_terrainFrameRounds = 0;

// Missing pages remembered per frame; past that many they are asked for again.
constexpr std::uint32_t kMaxMissing = 64;

// Most pages the walk reaches from the eye along each axis.
constexpr float kMaxPagesReach = 32.f;

// Messages handled per pump in single-step mode: a handler that keeps posting cannot hold the frame.
constexpr int kMaxMessagesPerPump = 256;

// Most vertices of a cell polygon: a fan's centre, ring and closing vertex,
// and on its far side those of the finer cells behind it, room for a row
// behind five levels finer; past that the finest of them are left out.
constexpr std::uint32_t kMaxCellVerts = 48;

}  // namespace

// The slot tables of page copies outside the eye's world period, kept by the
// renderer from one frame to the next so that a warm frame allocates none:
// `copies` has room for `alloc` entries, of which the first `made` own a
// table of `slotsEach` slots. A table lent again keeps the stamps of the
// frames before, which no stamp of a later frame equals until the frame count
// comes round: the tables are cleared when it has (`rounds` is the count's
// rounds when they were last lent).
struct SGTerrainCopies {
  struct CopySlots {
    std::int32_t column;
    std::int32_t row;
    SGTerrVertSlot* slots;
  } * copies;
  std::uint32_t alloc;
  std::uint32_t made;
  std::size_t slotsEach;
  std::uint32_t rounds;
};

namespace {

// What the walk learnt of one page copy (an unwrapped page location) this
// frame: its stamp, its wrapped key, the resident page there (null: none,
// or not resident when looked at), its slot table once asked for and the
// near and eye-relative origins the page takes as this copy. Taken only
// while g_sgPageEpoch stays where it was when it was learnt.
struct CopyRef {
  std::int32_t column;
  std::int32_t row;
  std::uint32_t epoch;
  bool known;
  std::uint32_t stamp;
  std::uint32_t key;
  SGPage* page;
  SGTerrVertSlot* slots;
  float near[2];
  float eye[3];
};

// Copies remembered: direct-mapped by the low three bits of column and row,
// so a copy and the eight around it never take each other's place.
constexpr std::uint32_t kCopyRefBits = 3;
constexpr std::uint32_t kCopyRefs = 1u << (2 * kCopyRefBits);

struct Walk {
  SGRenderer* rend;
  SGScene* scene;
  std::uint32_t n;      // samples a page side
  std::int32_t cells;   // cells a page side, n - 1
  int cellsShift;       // log2 of cells when that is a power of two, else -1
  float cell;           // world size of a cell
  std::int32_t lo[2];   // first fine grid line of the walk's reach, per axis (unwrapped)
  std::int32_t hi[2];   // last one
  int major;            // axis the rows step along (1: rows run along x and step in y)
  int minor;            // axis along the rows
  int sign[2];          // walk sign along x and y: from the far side toward the eye
  std::uint32_t frame;  // the renderer's frame number
  std::uint32_t minLOD;
  bool reversed;
  bool instances;  // the scene's instances are drawn between the rows
  SGTerrainFootprint footprint;
  // Locations (wrapped) already asked for in vain this frame: each is asked once.
  std::uint32_t missing[kMaxMissing];
  std::uint32_t numMissing;
  SGMaterialInfo info;
  SGMaterial mat;
  // A page seen more than once in a frame (the world repeats within the view)
  // keeps the vertices of its copy in the eye's own world period in its slot
  // table and those of every other copy in a table of the walk's.
  std::int32_t home[2];   // the eye's world period, per axis
  SGTerrainCopies* kept;  // the renderer's tables, lent to the walk
  std::uint32_t numCopies;
  // The last copy lent this frame whose location falls in each place of
  // this table (by the low four bits of column and row), as its index + 1;
  // 0: none, so a copy whose place is empty has no table yet.
  std::uint16_t lent[256];
  CopyRef refs[kCopyRefs];
};

std::int32_t FloorDiv(std::int32_t a, std::int32_t b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

// The stamp of the copy of a page at an unwrapped location: the frame's with
// the copy's wraps in the top four bits, so each copy's vertices are made for it.
std::uint32_t CopyStamp(const Walk& w, std::int32_t column, std::int32_t row) {
  const auto wrapX = static_cast<std::uint32_t>(FloorDiv(column, static_cast<std::int32_t>(w.scene->scnWorldSize[0])));
  const auto wrapY = static_cast<std::uint32_t>(FloorDiv(row, static_cast<std::int32_t>(w.scene->scnWorldSize[1])));
  return (w.frame & 0x0FFFFFFF) | ((wrapY & 3) << 28) | ((wrapX & 3) << 30);
}

// Most page copies outside the eye's world period kept in one frame.
constexpr std::uint32_t kMaxCopies = 4096;
static_assert(kMaxCopies <= 0xFFFF, "Walk::lent keeps a copy's index + 1 in 16 bits");

// The slot table of the copy of a page at an unwrapped location; null when
// the walk's table cannot grow.
SGTerrVertSlot* Slots(Walk& w, const SGPage* page, std::int32_t column, std::int32_t row) {
  if (FloorDiv(column, static_cast<std::int32_t>(w.scene->scnWorldSize[0])) == w.home[0] &&
      FloorDiv(row, static_cast<std::int32_t>(w.scene->scnWorldSize[1])) == w.home[1]) {
    return page->pagHeightLOD->phlVerts;
  }
  SGTerrainCopies& kept = *w.kept;
  std::uint16_t& lent = w.lent[(static_cast<std::uint32_t>(row & 15) << 4) | static_cast<std::uint32_t>(column & 15)];
  if (lent != 0) {
    const SGTerrainCopies::CopySlots& last = kept.copies[lent - 1];
    if (last.column == column && last.row == row) {
      return last.slots;
    }
    // Another copy took the place since: the list is searched.
    for (std::uint32_t i = 0; i < w.numCopies; ++i) {
      if (kept.copies[i].column == column && kept.copies[i].row == row) {
        return kept.copies[i].slots;
      }
    }
  }
  const std::size_t slotsEach = static_cast<std::size_t>(w.n) * w.n;
  if (w.numCopies < kept.made) {
    SGTerrainCopies::CopySlots& copy = kept.copies[w.numCopies++];
    copy.column = column;
    copy.row = row;
    lent = static_cast<std::uint16_t>(w.numCopies);
    return copy.slots;
  }
  if (w.numCopies == kept.alloc) {
    const std::uint32_t grown = kept.alloc == 0 ? 16 : 2 * kept.alloc;
    if (grown > kMaxCopies) {
      return nullptr;
    }
    auto* copies =
        static_cast<SGTerrainCopies::CopySlots*>(SGRealloc(kept.copies, grown * sizeof(SGTerrainCopies::CopySlots)));
    if (copies == nullptr) {
      return nullptr;
    }
    kept.copies = copies;
    kept.alloc = grown;
  }
  auto* slots = static_cast<SGTerrVertSlot*>(SGCalloc(slotsEach, sizeof(SGTerrVertSlot)));
  if (slots == nullptr) {
    return nullptr;
  }
  kept.copies[w.numCopies++] = SGTerrainCopies::CopySlots{column, row, slots};
  kept.made = w.numCopies;
  lent = static_cast<std::uint16_t>(w.numCopies);
  return slots;
}

void FreeCopies(SGTerrainCopies* kept) {
  for (std::uint32_t i = 0; i < kept->made; ++i) {
    SGFree(kept->copies[i].slots);
  }
  SGFree(kept->copies);
  *kept = SGTerrainCopies{};
}

// The wrapped location of a page copy, as the missing list keeps it.
std::uint32_t MissingKey(const SGScene* scene, std::int32_t column, std::int32_t row) {
  const auto sx = static_cast<std::int32_t>(scene->scnWorldSize[0]);
  const auto sy = static_cast<std::int32_t>(scene->scnWorldSize[1]);
  return (static_cast<std::uint32_t>(row - FloorDiv(row, sy) * sy) << 16) |
         static_cast<std::uint32_t>(column - FloorDiv(column, sx) * sx);
}

// What the walk knows of the page copy at an unwrapped location (Copy), learnt
// again (Learn) when the entry is another copy's or the pages moved since.
[[gnu::noinline]] CopyRef& Learn(Walk& w, CopyRef& c, std::int32_t column, std::int32_t row, std::uint32_t epoch) {
  c.column = column;
  c.row = row;
  c.epoch = epoch;
  c.known = true;
  c.stamp = CopyStamp(w, column, row);
  c.key = MissingKey(w.scene, column, row);
  c.near[0] = static_cast<float>(column) * w.scene->scnPageSize;
  c.near[1] = static_cast<float>(row) * w.scene->scnPageSize;
  // As ISGPageSetEyeOrigin makes them from the near origin.
  c.eye[0] = static_cast<float>(c.near[0] - w.rend->renEye[0]);
  c.eye[1] = static_cast<float>(c.near[1] - w.rend->renEye[1]);
  c.eye[2] = static_cast<float>(-w.rend->renEye[2]);
  const std::int32_t loc[2] = {column, row};
  if (SGSceneGetPage(w.scene, &c.page, loc, 0) != SG_ERROR_NONE) {
    c.page = nullptr;
  }
  c.slots = nullptr;
  return c;
}

inline CopyRef& Copy(Walk& w, std::int32_t column, std::int32_t row) {
  constexpr auto kMask = static_cast<std::int32_t>((1u << kCopyRefBits) - 1);
  CopyRef& c =
      w.refs[(static_cast<std::uint32_t>(row & kMask) << kCopyRefBits) | static_cast<std::uint32_t>(column & kMask)];
  const std::uint32_t epoch = g_sgPageEpoch.load(std::memory_order_relaxed);
  if (c.known && c.column == column && c.row == row && c.epoch == epoch) {
    return c;
  }
  return Learn(w, c, column, row, epoch);
}

// The slot table of a page copy (`page` is the page there); null when the
// walk's table cannot grow.
SGTerrVertSlot* SlotsOf(Walk& w, CopyRef& c, const SGPage* page) {
  if (c.slots == nullptr) {
    c.slots = Slots(w, page, c.column, c.row);
  }
  return c.slots;
}

// The page at an unwrapped page location (the world repeats), classified for
// this frame and copy of it; a missing page is asked for (scnNeedPage). Null
// when it stays missing (the rest of the terrain is drawn) or lies outside the
// view. Each copy of a page drawn in a frame gets its own stamp (the frame's
// with the copy's wraps in the top four bits), so its vertices are made for
// it. *ref: what the walk knows of the copy.
SGError PageAt(Walk& w, std::int32_t column, std::int32_t row, SGPage** out, CopyRef** ref) {
  *out = nullptr;
  SGScene* scene = w.scene;
  CopyRef* c = &Copy(w, column, row);
  *ref = c;
  const std::uint32_t stamp = c->stamp;
  const std::uint32_t key = c->key;
  for (std::uint32_t i = 0; i < w.numMissing; ++i) {
    if (w.missing[i] == key) {
      return SG_ERROR_NONE;
    }
  }
  SGPage* page = c->page;
  if (page == nullptr) {
    const std::int32_t loc[2] = {column, row};
    const SGError found = SGSceneGetPage(scene, &page, loc, 1);
    // The page hook may have moved the pages: what the walk knew is learnt again.
    c = &Copy(w, column, row);
    *ref = c;
    if (found == SG_ERROR_PAGE_MISSING) {
      if (w.numMissing < kMaxMissing) {
        w.missing[w.numMissing++] = key;
      }
      return SG_ERROR_NONE;
    }
    if (found != SG_ERROR_NONE) {
      return found;
    }
  }
  w.rend->renTimeStamp = stamp;
  // A page placed and classified as this copy already (its stamp is the
  // copy's) stays as it is; the same copy placed again would change nothing.
  if (page->pagTimeStamp == stamp && page->pagNearOrigin[0] == c->near[0] && page->pagNearOrigin[1] == c->near[1] &&
      page->pagEyeOrigin[0] == c->eye[0] && page->pagEyeOrigin[1] == c->eye[1] && page->pagEyeOrigin[2] == c->eye[2]) {
    if ((page->pagFlags & SG_PAGE_FLAG_CULLED) == 0) {
      *out = page;
    }
    return SG_ERROR_NONE;
  }
  page->pagNearOrigin[0] = static_cast<float>(column) * scene->scnPageSize;
  page->pagNearOrigin[1] = static_cast<float>(row) * scene->scnPageSize;
  ISGPageSetEyeOrigin(w.rend, page);
  const SGError err = ISGPageClassify(w.rend, scene, page);
  if (err == SG_ERROR_NONE && (page->pagFlags & SG_PAGE_FLAG_CULLED) == 0) {
    *out = page;
  }
  return err;
}

// The copies of a place on a page edge in the resident pages across that
// edge and across the corner: `visit`(mode, the stamp of the copy there,
// slot there) for each, mode 0x1 across a column edge, 0x2 across a row
// edge, 0x3 both.
// Stops at the first non-zero result of `visit` and returns it.
template <typename Visit>
SGError Twins(Walk& w, std::int32_t column, std::int32_t row, std::uint32_t u, std::uint32_t v, Visit visit) {
  const std::uint32_t last = w.n - 1;
  const int du = u == 0 ? -1 : (u == last ? 1 : 0);
  const int dv = v == 0 ? -1 : (v == last ? 1 : 0);
  for (std::uint32_t mode = 1; mode <= 3; ++mode) {
    if (((mode & 1) != 0 && du == 0) || ((mode & 2) != 0 && dv == 0)) {
      continue;
    }
    const std::int32_t loc[2] = {column + ((mode & 1) != 0 ? du : 0), row + ((mode & 2) != 0 ? dv : 0)};
    CopyRef& other = Copy(w, loc[0], loc[1]);
    if (other.page == nullptr) {
      continue;
    }
    const std::uint32_t tu = (mode & 1) != 0 ? last - u : u;
    const std::uint32_t tv = (mode & 2) != 0 ? last - v : v;
    SGTerrVertSlot* slots = SlotsOf(w, other, other.page);
    if (slots == nullptr) {
      return SG_ERROR_NO_MEMORY;
    }
    const SGError result = visit(mode, other.stamp, &slots[tv * w.n + tu]);
    if (result != SG_ERROR_NONE) {
      return result;
    }
  }
  return SG_ERROR_NONE;
}

// A copy made this frame of the place (u, v) of the page copy at (column,
// row) in a page across its edge, or null.
SGTerrVertSlot* Twin(Walk& w, std::int32_t column, std::int32_t row, std::uint32_t u, std::uint32_t v,
                     std::uint32_t* mode) {
  SGTerrVertSlot* found = nullptr;
  Twins(w, column, row, u, v, [&](std::uint32_t m, std::uint32_t stamp, SGTerrVertSlot* slot) {
    if (slot->tvTimeStamp == stamp && slot->tvXVert != nullptr) {
      found = slot;
      *mode = m;
      return SG_ERROR_UNSUPPORTED;  // stops the search
    }
    return SG_ERROR_NONE;
  });
  return found;
}

// A grid vertex of the page copy at (column, row), whose slot table is
// `slots`, made once per frame (its slot keeps it). Its height depends on
// its place alone, so every cell with the vertex on its border puts it in
// the same spot: blended at the level chosen there towards the next coarser
// one, or, off that level's grid (where a finer cell meets a coarser one),
// wholly towards the level above its own grid.
SGError GridVertex(Walk& w, const SGPage* page, SGTerrVertSlot* slots, std::int32_t column, std::int32_t row,
                   std::uint32_t u, std::uint32_t v, SGTxVertex** out) {
  SGTerrVertSlot* slot = &slots[v * w.n + u];
  if (slot->tvTimeStamp == w.rend->renTimeStamp && slot->tvXVert != nullptr) {
    *out = slot->tvXVert;
    return SG_ERROR_NONE;
  }
  const bool edge = u == 0 || v == 0 || u == w.n - 1 || v == w.n - 1;
  // A page read in after its neighbour made the vertex takes that one.
  std::uint32_t mode = 0;
  if (const SGTerrVertSlot* twin = edge ? Twin(w, column, row, u, v, &mode) : nullptr; twin != nullptr) {
    const SGError err = ISGTspGhost(w.rend, mode, twin, slot, w.rend->renTimeStamp);
    *out = slot->tvXVert;
    return err;
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
  const float position[3] = {
      at[0], at[1],
      page->pagEyeOrigin[2] + ISGLodBlendHeight(w.scene, page->pagHeightLOD->phlHeights, u, v, level, fraction)};
  SGError err = ISGTspMakeVert(w.rend, w.scene, page, position, u, v, slot, out);
  if (err == SG_ERROR_NONE) {
    ++g_sgTerrainStats.tsVertices;
    if (edge) {
      // Copied into the pages across the edge, so they take it as it is instead of making it again.
      err = Twins(w, column, row, u, v, [&](std::uint32_t m, std::uint32_t stamp, SGTerrVertSlot* target) {
        return target->tvTimeStamp == stamp && target->tvXVert != nullptr ? SG_ERROR_NONE
                                                                          : ISGTspGhost(w.rend, m, slot, target, stamp);
      });
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

// The side of an instance nearest the eye along the walk axis, eye-relative
// (the translation row holds the eye-relative place it is drawn at): its
// box's, or, for an instance without a box, its sphere's.
double NearSide(const Walk& w, SGInstance* inst, std::int32_t step) {
  const int a = w.major;
  const double at = inst->instXform.m[3][a];
  float box[6];
  if (SGInstanceGetBounds(inst, box) == SG_ERROR_NONE) {
    return at + static_cast<double>(step < 0 ? box[a] : box[3 + a]) - inst->instPos[a];
  }
  return at + (step < 0 ? -inst->instRadius : inst->instRadius);
}

// Draws, farthest first, the sorted instances that lie wholly beyond the grid
// line just walked (their near side along the walk axis is past it), so
// that rows drawn later cover them where the ground rises in front; the first
// instance not yet passed ends the drawing until the next row. Between the
// rows they are drawn in the renderer's alternate fog when it has one.
SGError DrawBehind(Walk& w, float line, std::int32_t step, bool all) {
  SGScene* scene = w.scene;
  SGRenderer* rend = w.rend;
  SGInstance** buckets = scene->scnInstVector;
  if (!w.instances || buckets == nullptr) {
    return SG_ERROR_NONE;
  }
  const bool altFog = !all && (rend->renFlags & SG_REND_FLAG_ALT_FOG) != 0;
  bool swapped = false;
  SGError err = SG_ERROR_NONE;
  while (err == SG_ERROR_NONE && scene->scnSortFarthest != nullptr && scene->scnSortFarthest >= buckets) {
    SGInstance* inst = *scene->scnSortFarthest;
    if (inst == nullptr) {
      if (scene->scnSortFarthest == buckets) {
        break;
      }
      --scene->scnSortFarthest;
      continue;
    }
    if (!all) {
      const double nearest = NearSide(w, inst, step);
      const double row = line - rend->renEye[w.major];
      if (step < 0 ? nearest < row : nearest > row) {
        break;
      }
    }
    if (altFog && !swapped) {
      err = ISGRendererSwapFog(rend);
      swapped = true;
      // The fills chosen before read the other fog table.
      rend->renObjMaterial = nullptr;
      if (err != SG_ERROR_NONE) {
        break;
      }
    }
    *scene->scnSortFarthest = inst->instNext;
    err = ISGInstanceDraw(rend, scene, inst);
  }
  if (swapped) {
    const SGError back = ISGRendererSwapFog(rend);
    rend->renObjMaterial = nullptr;
    err = err != SG_ERROR_NONE ? err : back;
  }
  return err;
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

// A grid place of the walk from its place along a row (t, growing in walk
// order) and its line across the rows.
void Place(const Walk& w, std::int32_t t, std::int32_t line, std::int32_t g[2]) {
  g[w.minor] = w.sign[w.minor] * t;
  g[w.major] = line;
}

// The page (unwrapped) holding a fine grid line: a shift when pages are a
// power of two cells wide (floor division, negative lines too).
std::int32_t PageOf(const Walk& w, std::int32_t line) {
  return w.cellsShift >= 0 ? line >> w.cellsShift : FloorDiv(line, w.cells);
}

// The copy of a page a cell lies in, with its stamp and what the walk knows
// of it (good until the next call that may reach the page hooks).
struct PageRef {
  SGPage* page;
  std::int32_t column;
  std::int32_t row;
  std::uint32_t stamp;
  CopyRef* ref;
};

// The page copy holding a cell whose lowest corner is `lo`; page null when
// it is missing or out of view (the cell is not drawn).
SGError CellPage(Walk& w, const std::int32_t lo[2], PageRef* out) {
  const std::int32_t column = PageOf(w, lo[0]);
  const std::int32_t row = PageOf(w, lo[1]);
  SGPage* page = nullptr;
  CopyRef* ref = nullptr;
  const SGError err = PageAt(w, column, row, &page, &ref);
  *out = PageRef{page, column, row, ref->stamp, ref};
  return err;
}

bool Current(Walk& w, const PageRef& p, const std::int32_t g[2]) {
  const std::int32_t u = g[0] - p.column * w.cells;
  const std::int32_t v = g[1] - p.row * w.cells;
  if (u < 0 || v < 0 || u > w.cells || v > w.cells) {
    return false;
  }
  const SGTerrVertSlot* slots = SlotsOf(w, *p.ref, p.page);
  if (slots == nullptr) {
    return false;
  }
  const SGTerrVertSlot& slot = slots[v * static_cast<std::int32_t>(w.n) + u];
  if (slot.tvTimeStamp == p.stamp && slot.tvXVert != nullptr) {
    return true;
  }
  const bool edge = u == 0 || v == 0 || u == w.cells || v == w.cells;
  std::uint32_t mode = 0;
  return edge &&
         Twin(w, p.column, p.row, static_cast<std::uint32_t>(u), static_cast<std::uint32_t>(v), &mode) != nullptr;
}

// A cell polygon on the grid: corners in the order the strip meets them, or
// a fan (centre first, then its ring, closed on the ring's first corner).
struct CellShape {
  std::int32_t g[kMaxCellVerts][2];
  std::uint32_t count;
  bool fan;
  std::uint32_t level;
};

void Add(const Walk& w, CellShape* s, std::int32_t t, std::int32_t line) { Place(w, t, line, s->g[s->count++]); }

// Makes the cell's vertices in its page and hands it to the renderer's
// terrain-tile operation, its corners turned to run counter-clockwise seen from above.
SGError DrawShape(Walk& w, CellShape* s) {
  const std::uint32_t first = s->fan ? 1 : 0;
  std::int32_t lo[2] = {s->g[0][0], s->g[0][1]};
  double area = 0.0;
  for (std::uint32_t i = 0; i < s->count; ++i) {
    lo[0] = std::min(lo[0], s->g[i][0]);
    lo[1] = std::min(lo[1], s->g[i][1]);
    if (i >= first) {
      const std::int32_t* a = s->g[i];
      const std::int32_t* b = s->g[i + 1 < s->count ? i + 1 : first];
      area += static_cast<double>(a[0]) * b[1] - static_cast<double>(b[0]) * a[1];
    }
  }
  if (area < 0.0) {
    // The fan keeps its first corner: a five-corner cell's is the midpoint of
    // its straight side, and a fan from a corner of that side would lay a flat
    // triangle along it (and its diagonal, split on the screen, off the side).
    std::reverse(&s->g[1], &s->g[s->count]);
  }
  PageRef p{};
  SGError err = CellPage(w, lo, &p);
  if (err != SG_ERROR_NONE || p.page == nullptr) {
    return err;
  }
  SGTerrVertSlot* slots = SlotsOf(w, *p.ref, p.page);
  if (slots == nullptr) {
    return SG_ERROR_NO_MEMORY;
  }
  SGTxVertex* verts[kMaxCellVerts];
  for (std::uint32_t i = 0; i < s->count; ++i) {
    w.rend->renTimeStamp = p.stamp;
    err = GridVertex(w, p.page, slots, p.column, p.row, static_cast<std::uint32_t>(s->g[i][0] - p.column * w.cells),
                     static_cast<std::uint32_t>(s->g[i][1] - p.row * w.cells), &verts[i]);
    if (err != SG_ERROR_NONE) {
      return err;
    }
  }
  return DrawPolygon(w, p.page, s->level, verts, s->count);
}

// Whether the vertex at (t, line) was made this frame in the page of the
// cell whose opposite corners are (t0, line0) and (t1, line1).
bool Made(Walk& w, std::int32_t t, std::int32_t line, std::int32_t t0, std::int32_t line0, std::int32_t t1,
          std::int32_t line1) {
  std::int32_t g[2], a[2], b[2];
  Place(w, t, line, g);
  Place(w, t0, line0, a);
  Place(w, t1, line1, b);
  const std::int32_t lo[2] = {std::min(a[0], b[0]), std::min(a[1], b[1])};
  PageRef p{};
  if (CellPage(w, lo, &p) != SG_ERROR_NONE || p.page == nullptr) {
    return false;
  }
  return Current(w, p, g);
}

// The vertices the row behind made strictly between (from, line) and (to,
// line), the far side of the cell whose opposite corners are (t0, line0) and
// (t1, line1), added in order from `from` to `to`, leaving `room` places
// free. That row's near side is cut into aligned halvings of the levels'
// steps, so a vertex lies between two only where their midpoint is one too.
void AddMadeBetween(Walk& w, CellShape* s, std::int32_t from, std::int32_t to, std::int32_t line, std::int32_t t0,
                    std::int32_t line0, std::int32_t t1, std::int32_t line1, std::uint32_t room) {
  if (std::abs(to - from) < 2 || s->count + room >= kMaxCellVerts ||
      !Made(w, (from + to) / 2, line, t0, line0, t1, line1)) {
    return;
  }
  const std::int32_t mid = (from + to) / 2;
  AddMadeBetween(w, s, from, mid, line, t0, line0, t1, line1, room + 1);
  Add(w, s, mid, line);
  AddMadeBetween(w, s, mid, to, line, t0, line0, t1, line1, room);
}

// Where a strip on `line` needs cells finer than `level`: the places (t)
// strictly between *from and *to. false when it needs none.
bool FinerBand(const Walk& w, std::uint32_t level, std::int32_t line, float* from, float* to) {
  const SGLODState* lod = w.rend->renLOD;
  if (level <= w.minLOD || level >= SG_LOD_MAX_LEVELS || !(lod->lodDist[level] > 0.f) || !(lod->lodDistScale > 0.f)) {
    return false;
  }
  // A line past the eye counts as the eye's own: the walk comes toward it.
  float across = static_cast<float>(line) * w.cell - static_cast<float>(w.rend->renEye[w.major]);
  if (across * static_cast<float>(w.sign[w.major]) > 0.f) {
    across = 0.f;
  }
  const float reach = lod->lodDist[level] / lod->lodDistScale - across * across;
  if (reach <= 0.f) {
    return false;
  }
  const float half = std::sqrt(reach) / w.cell;
  const float eye = static_cast<float>(w.sign[w.minor]) * static_cast<float>(w.rend->renEye[w.minor]) / w.cell;
  *from = eye - half;
  *to = eye + half;
  return true;
}

SGError Strip(Walk& w, std::uint32_t level, std::int32_t line, std::int32_t start, std::int32_t end, bool openEnd);

// The fan of a split (finer toward the end) or merge (finer toward the start)
// over the cell [c, c + size] of a strip on `line` at `level` + 1: the finer
// level's vertices on its near side and on the side toward the finer cells,
// and on its far side every one the row behind made (it may be finer there).
SGError Fan(Walk& w, std::uint32_t level, std::int32_t line, std::int32_t c, bool split) {
  const std::int32_t s = 1 << level;
  const std::int32_t across = -w.sign[w.major] * s;  // one finer step toward the far side
  CellShape f{};
  f.fan = true;
  f.level = level;
  Add(w, &f, c + s, line + across);
  Add(w, &f, c, line + 2 * across);
  if (!split) {
    Add(w, &f, c, line + across);
  }
  Add(w, &f, c, line);
  Add(w, &f, c + s, line);
  Add(w, &f, c + 2 * s, line);
  if (split) {
    Add(w, &f, c + 2 * s, line + across);
  }
  Add(w, &f, c + 2 * s, line + 2 * across);
  AddMadeBetween(w, &f, c + 2 * s, c, line + 2 * across, c, line + 2 * across, c + 2 * s, line, 1);
  std::copy(f.g[1], f.g[1] + 2, f.g[f.count++]);
  return DrawShape(w, &f);
}

// The cells of a strip at `level` on the row line `line` (its near edge)
// from place `start` to `end` (multiples of the level's step, walk order).
// Where the cells come within the finer level's band they split: a split
// fan, then the finer level's two rows over the band as strips of their own
// (the intermediate row behind first), then a merge fan. A cell whose far
// corner the coarser row behind did not make takes one step more (five
// corners); a cell takes on its far side every vertex a finer row behind
// made. With `openEnd` nothing lies beyond `end` in this row; else the
// finer cells stop one cell short of it, leaving room for the merge fan.
SGError Strip(Walk& w, std::uint32_t level, std::int32_t line, std::int32_t start, std::int32_t end, bool openEnd) {
  const std::int32_t size = 1 << level;
  const std::int32_t far = line - w.sign[w.major] * size;
  float from = 0.f, to = 0.f;
  const bool band = FinerBand(w, level, line, &from, &to);
  // A cell splits when it reaches into the band, the row behind made both its
  // far corners and that of the cell after it (where a merge fan may go), and
  // a merge fan still fits before the strip's end.
  auto splits = [&](std::int32_t c) {
    if (!band || !(static_cast<float>(c + size) > from && static_cast<float>(c) < to)) {
      return false;
    }
    if (!openEnd && c + size >= end) {
      return false;
    }
    return Made(w, c + size, far, c, far, c + size, line) &&
           (c + 2 * size > end || Made(w, c + 2 * size, far, c + size, far, c + 2 * size, line));
  };
  SGError err = SG_ERROR_NONE;
  std::int32_t c = start;
  while (c < end && err == SG_ERROR_NONE) {
    if (splits(c)) {
      err = Fan(w, level - 1, line, c, true);
      std::int32_t d = c + size;
      while (d < end && splits(d)) {
        d += size;
      }
      if (err == SG_ERROR_NONE && d > c + size) {
        const bool open = openEnd && d == end;
        err = Strip(w, level - 1, line - w.sign[w.major] * size / 2, c + size, d, open);
        if (err == SG_ERROR_NONE) {
          err = Strip(w, level - 1, line, c + size, d, open);
        }
      }
      if (err == SG_ERROR_NONE && d < end) {
        err = Fan(w, level - 1, line, d, false);
        d += size;
      }
      c = d;
      continue;
    }
    CellShape q{};
    q.level = level;
    const std::int32_t u = c + size;
    Add(w, &q, u, line);
    std::int32_t next = u;
    if (!Made(w, u, far, c, far, u, line) && level < w.scene->scnMaxLOD && (u & size) != 0 && u + size <= end) {
      // The row behind is coarser here and lacks the far corner.
      Add(w, &q, u + size, line);
      next = u + size;
    }
    Add(w, &q, next, far);
    AddMadeBetween(w, &q, next, c, far, c, far, next, line, 2);
    Add(w, &q, c, far);
    Add(w, &q, c, line);
    err = DrawShape(w, &q);
    c = next;
  }
  return err;
}

// The level the walk's LOD tables give at a grid place.
std::uint32_t LevelAt(const Walk& w, std::int32_t t, std::int32_t line) {
  std::int32_t g[2];
  Place(w, t, line, g);
  std::uint32_t level = w.scene->scnMaxLOD;
  ISGLodChoose(w.rend, w.scene, static_cast<float>(g[0]) * w.cell - static_cast<float>(w.rend->renEye[0]),
               static_cast<float>(g[1]) * w.cell - static_cast<float>(w.rend->renEye[1]), &level, nullptr);
  return level;
}

// One row: the band between the row lines `farLine` and `line`, tested
// against the view and the cull objects, drawn as a strip over its extent
// in the footprint. *empty when no part of it lies in the footprint.
SGError Row(Walk& w, std::int32_t farLine, std::int32_t line, std::uint32_t* level, bool* empty) {
  SGRenderer* rend = w.rend;
  const int a = w.major, b = w.minor;
  const float eyeA = static_cast<float>(rend->renEye[a]);
  const float eyeB = static_cast<float>(rend->renEye[b]);
  const float lineLo = static_cast<float>(std::min(farLine, line)) * w.cell - eyeA;
  const float lineHi = static_cast<float>(std::max(farLine, line)) * w.cell - eyeA;
  float from = 0.f, to = 0.f;
  *empty = !ISGFootprintRowExtent(&w.footprint, a == 1, lineLo, lineHi, &from, &to);
  if (*empty) {
    return SG_ERROR_NONE;
  }
  const std::int32_t lo = std::max(
      w.lo[b], static_cast<std::int32_t>(std::fmax(std::floor((from + eyeB) / w.cell), static_cast<float>(w.lo[b]))));
  const std::int32_t hi = std::min(
      w.hi[b], static_cast<std::int32_t>(std::fmin(std::ceil((to + eyeB) / w.cell), static_cast<float>(w.hi[b]))));
  if (lo >= hi) {
    *empty = true;
    return SG_ERROR_NONE;
  }
  // The strip starts on the far side along the row, on the grid of the level above its own.
  const int sb = w.sign[b];
  const std::uint32_t snap = std::min<std::uint32_t>(*level + 1, w.scene->scnMaxLOD);
  const std::int32_t start = ISGSnapToLOD(std::min(sb * lo, sb * hi), snap, -1);
  const std::int32_t end = ISGSnapToLOD(std::max(sb * lo, sb * hi), snap, 1);
  SGTerrainRow row{};
  row.rowFlags = SG_STRIP_FLAG_ROW;
  row.rowLOD = *level;
  row.rowAlongX = a == 1 ? 1 : 0;
  row.rowStart[b] = static_cast<float>(lo) * w.cell - eyeB;
  row.rowStart[a] = static_cast<float>(farLine) * w.cell - eyeA;
  row.rowStart[2] = -static_cast<float>(rend->renEye[2]);
  row.rowEnd = static_cast<float>(hi) * w.cell - eyeB;
  row.rowDepth = static_cast<float>(line - farLine) * w.cell;
  ISGStripTestFrustum(rend, w.scene, &row);
  if ((row.rowFlags & SG_STRIP_FLAG_SKIP) != 0 ||
      (w.scene->scnCullRoot != nullptr && ISGCullClassifyStrip(w.scene->scnCullRoot, w.scene, &row) == 3)) {
    return SG_ERROR_NONE;
  }
  ++g_sgTerrainStats.tsRows;
  return Strip(w, *level, line, start, end, true);
}

// The rows from the far edge of the walk's reach toward the eye, each as
// fine as the LOD tables give at its start and never coarser than the row
// before it; past the eye they keep their level until the footprint ends.
SGError Rows(Walk& w) {
  const int a = w.major;
  const int sa = w.sign[a];
  std::int32_t line = sa < 0 ? w.hi[a] : w.lo[a];
  const std::int32_t last = sa < 0 ? w.lo[a] : w.hi[a];
  const float eye = static_cast<float>(w.rend->renEye[a]) / w.cell;
  std::uint32_t level = w.scene->scnMaxLOD;
  bool started = false;
  while (line != last) {
    const std::int32_t next = line + sa * (1 << level);
    if ((sa < 0 && next < last) || (sa > 0 && next > last)) {
      if (level == 0) {
        break;
      }
      --level;
      continue;
    }
    // Finer where the row starts than the row's level: one level finer, the same line.
    bool empty = false;
    if (level > w.minLOD) {
      float from = 0.f, to = 0.f;
      const float lineLo = static_cast<float>(std::min(line, next)) * w.cell - static_cast<float>(w.rend->renEye[a]);
      const float lineHi = static_cast<float>(std::max(line, next)) * w.cell - static_cast<float>(w.rend->renEye[a]);
      if (ISGFootprintRowExtent(&w.footprint, a == 1, lineLo, lineHi, &from, &to)) {
        const float eyeB = static_cast<float>(w.rend->renEye[w.minor]);
        const float startB = w.sign[w.minor] > 0 ? from : to;
        const float clamped = std::fmin(std::fmax(startB + eyeB, static_cast<float>(w.lo[w.minor]) * w.cell),
                                        static_cast<float>(w.hi[w.minor]) * w.cell);
        const auto t = static_cast<std::int32_t>(std::floor(clamped / w.cell)) * w.sign[w.minor];
        if (LevelAt(w, t, next) < level) {
          --level;
          continue;
        }
      }
    }
    SGError err = Row(w, line, next, &level, &empty);
    if (err == SG_ERROR_NONE && !empty) {
      started = true;
      err = StepMessages(w);
      if (err == SG_ERROR_NONE) {
        err = DrawBehind(w, static_cast<float>(next) * w.cell, sa, false);
      }
    }
    if (err != SG_ERROR_NONE) {
      return err;
    }
    const bool pastEye = (static_cast<float>(next) - eye) * static_cast<float>(sa) > 0.f;
    if (empty && (started || pastEye)) {
      break;
    }
    line = next;
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
  if (rend->renTerrainCopies == nullptr) {
    rend->renTerrainCopies = static_cast<SGTerrainCopies*>(SGCalloc(1, sizeof(SGTerrainCopies)));
    if (rend->renTerrainCopies == nullptr) {
      return SG_ERROR_NO_MEMORY;
    }
  }
  Walk w{};
  w.rend = rend;
  w.scene = scene;
  w.n = scene->scnPageNumVerts;
  w.kept = rend->renTerrainCopies;
  // Tables made for pages of another size are of no use to this scene.
  if (w.kept->slotsEach != static_cast<std::size_t>(w.n) * w.n) {
    FreeCopies(w.kept);
    w.kept->slotsEach = static_cast<std::size_t>(w.n) * w.n;
  }
  w.cells = static_cast<std::int32_t>(w.n - 1);
  w.cellsShift = std::has_single_bit(w.n - 1) ? std::countr_zero(w.n - 1) : -1;
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
    const float reach =
        std::fmin(std::fmin(vi != nullptr ? vi->viYon : scene->scnWorldExtent[k], 1.5f * scene->scnWorldExtent[k]),
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
    ++g_terrainFrameRounds;
  }
  w.frame = g_terrainFrame;
  if (w.kept->rounds != g_terrainFrameRounds) {
    for (std::uint32_t i = 0; i < w.kept->made; ++i) {
      std::memset(static_cast<void*>(w.kept->copies[i].slots), 0, w.kept->slotsEach * sizeof(SGTerrVertSlot));
    }
    w.kept->rounds = g_terrainFrameRounds;
  }
  ISGTerrainFootprint(rend, scene, &w.footprint);
  const float dx = rend->renViewDir[0], dy = rend->renViewDir[1];
  w.major = std::fabs(dy) >= std::fabs(dx) ? 1 : 0;
  w.minor = 1 - w.major;
  // From the far side toward the eye along both axes.
  w.sign[0] = dx > 0.f ? -1 : 1;
  w.sign[1] = dy > 0.f ? -1 : 1;
  w.minLOD = std::min(scene->scnMinLOD, scene->scnMaxLOD);
  for (int k = 0; k < 2; ++k) {
    const double page = std::floor(rend->renEye[k] / scene->scnPageSize);
    w.home[k] = FloorDiv(static_cast<std::int32_t>(std::fmax(-1e9, std::fmin(1e9, page))),
                         static_cast<std::int32_t>(scene->scnWorldSize[k]));
  }
  SGError err = Rows(w);
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

void ISGTerrainDrawDestroy(SGRenderer* rend) {
  if (rend->renTerrainCopies != nullptr) {
    FreeCopies(rend->renTerrainCopies);
    SGFree(rend->renTerrainCopies);
    rend->renTerrainCopies = nullptr;
  }
}
