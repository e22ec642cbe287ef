// Terrain heights, normals, altitudes and the terrain ray.

#include "sg/query/terrainquery.h"

#include <cmath>

#include "sg/instance/instance.h"
#include "sg/scene/scene.h"
#include "sg/terrain/lod.h"
#include "sg/terrain/page.h"

namespace {

void Local(const SGScene* scene, const double in[3], double out[3]) {
  for (int k = 0; k < 3; ++k) {
    out[k] = in[k] - ((scene->scnFlags & SG_SCN_FLAG_ORIGIN) != 0 ? scene->scnOrigin[k] : 0.0);
  }
}

// The grid coordinate of a world coordinate inside the page found for it, in
// [0, n - 1]. It is taken from the page's own (near) origin: the page was
// found from the point in single precision, and a point just short of a page
// edge may have rounded onto the next page, where its fraction of a page size
// would put it at that page's far edge.
double GridCoordinate(const SGScene* scene, double x, float origin) {
  double f = (x - static_cast<double>(origin)) / scene->scnPageSize;
  f = f >= 0.0 ? f : 0.0;
  f = f <= 1.0 ? f : 1.0;
  return f * static_cast<double>(scene->scnPageNumVerts - 1);
}

// Splits a grid coordinate into the cell (at most n - 2, on the grid of step s)
// and the fraction, kept below 1.
void Split(double g, std::uint32_t n, std::uint32_t s, std::uint32_t* cell, float* fraction) {
  std::uint32_t c = static_cast<std::uint32_t>(g);
  if (c > n - 2) {
    c = n - 2;
  }
  c &= ~(s - 1);
  float f = static_cast<float>((g - static_cast<double>(c)) / static_cast<double>(s));
  f = f < 0.f ? 0.f : f;
  *cell = c;
  *fraction = f < 1.f ? f : std::nextafter(1.f, 0.f);
}

SGError LocateOn(SGScene* scene, const double point[3], std::uint32_t level, SGTerrainCell* out) {
  const float p[3] = {static_cast<float>(point[0]), static_cast<float>(point[1]), static_cast<float>(point[2])};
  SGError err = ISGSceneGetPageAtPoint(scene, &out->page, p, 1);
  if (err != SG_ERROR_NONE) {
    return err;
  }
  const std::uint32_t n = scene->scnPageNumVerts;
  const std::uint32_t s = 1u << level;
  Split(GridCoordinate(scene, point[0], out->page->pagNearOrigin[0]), n, s, &out->ix, &out->fraction[0]);
  Split(GridCoordinate(scene, point[1], out->page->pagNearOrigin[1]), n, s, &out->iy, &out->fraction[1]);
  const std::size_t at = static_cast<std::size_t>(out->iy) * n + out->ix;
  out->height = out->page->pagHeightLOD->phlHeights + at;
  out->normal = out->page->pagHeightLOD->phlNormals + at;
  return SG_ERROR_NONE;
}

// A corner's stored height sample of the located cell.
float Corner(const SGTerrainCell& cell, std::uint32_t dx, std::uint32_t dy) {
  const std::uint32_t n = cell.page->pagHeightLOD->phlSize;
  return static_cast<float>(cell.height[dy * n + dx]);
}

float Bilinear(const float c[4], const float f[2]) {
  const float fx = f[0], fy = f[1];
  return c[0] * (1.f - fx) * (1.f - fy) + c[1] * fx * (1.f - fy) + c[2] * fx * fy + c[3] * (1.f - fx) * fy;
}

// The bilinear height of the stored samples at the located point.
double StoredHeight(const SGScene* scene, const SGTerrainCell& cell) {
  const float c[4] = {Corner(cell, 0, 0), Corner(cell, 1, 0), Corner(cell, 1, 1), Corner(cell, 0, 1)};
  return static_cast<double>(Bilinear(c, cell.fraction)) * scene->scnHeightScale;
}

void Normalise(float n[3]) {
  const float len2 = n[0] * n[0] + n[1] * n[1] + n[2] * n[2];
  if (len2 > 0.f && (len2 < 0.9999f || len2 > 1.0001f)) {
    const float r = 1.f / std::sqrt(len2);
    n[0] *= r;
    n[1] *= r;
    n[2] *= r;
  }
}

// Clips the segment [a, b] to the box in place; false when none of it is inside.
bool ClipSegmentToBox(double a[3], double b[3], const double lo[3], const double hi[3]) {
  double t0 = 0.0, t1 = 1.0;
  for (int k = 0; k < 3; ++k) {
    const double d = b[k] - a[k];
    if (d == 0.0) {
      if (a[k] < lo[k] || a[k] > hi[k]) {
        return false;
      }
      continue;
    }
    double ta = (lo[k] - a[k]) / d;
    double tb = (hi[k] - a[k]) / d;
    if (ta > tb) {
      std::swap(ta, tb);
    }
    t0 = std::fmax(t0, ta);
    t1 = std::fmin(t1, tb);
    if (t0 > t1) {
      return false;
    }
  }
  double start[3], end[3];
  for (int k = 0; k < 3; ++k) {
    start[k] = a[k] + t0 * (b[k] - a[k]);
    end[k] = a[k] + t1 * (b[k] - a[k]);
  }
  for (int k = 0; k < 3; ++k) {
    a[k] = start[k];
    b[k] = end[k];
  }
  return true;
}

double Dot(const double a[3], const double b[3]) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

void Cross(const double a[3], const double b[3], double out[3]) {
  out[0] = a[1] * b[2] - a[2] * b[1];
  out[1] = a[2] * b[0] - a[0] * b[2];
  out[2] = a[0] * b[1] - a[1] * b[0];
}

// Whether the line through g along d passes through the cell's quadrilateral
// (grid units, heights in height steps), seen from above.
bool CellCrossed(const std::uint8_t* h, std::uint32_t n, std::uint32_t ix, std::uint32_t iy, const double g[3],
                 const double d[3]) {
  const std::uint8_t* at = h + static_cast<std::size_t>(iy) * n + ix;
  const double x0 = ix - g[0], x1 = ix + 1.0 - g[0], y0 = iy - g[1], y1 = iy + 1.0 - g[1];
  const double corners[4][3] = {
      {x0, y0, at[0] - g[2]}, {x1, y0, at[1] - g[2]}, {x1, y1, at[n + 1] - g[2]}, {x0, y1, at[n] - g[2]}};
  for (int e = 0; e < 4; ++e) {
    double c[3];
    Cross(corners[(e + 1) % 4], corners[e], c);
    // A line along a cell's edge belongs to it: rounding of the clipped
    // start must not drop a ray that lands exactly on the ground.
    if (Dot(c, d) < -1e-4) {
      return false;
    }
  }
  return true;
}

// The segment from s (world) along q tested against one page: 1 with the hit
// point, 0 when it does not meet the page's terrain.
int TerrainPage(const SGScene* scene, const SGPage* page, const double s[3], const double q[3], std::uint32_t mode,
                double hit[3]) {
  const SGPageHeightInfo* phi = page->pagHeightInfo;
  const double size = scene->scnPageSize;
  const double lo[3] = {page->pagNearOrigin[0], page->pagNearOrigin[1], phi->phiFloor};
  const double hi[3] = {lo[0] + size, lo[1] + size, phi->phiCeiling};
  double a[3] = {s[0], s[1], s[2]};
  double b[3] = {s[0] + q[0], s[1] + q[1], s[2] + q[2]};
  if (!ClipSegmentToBox(a, b, lo, hi)) {
    return 0;
  }
  if ((mode & 0x4) != 0) {
    for (int k = 0; k < 3; ++k) {
      hit[k] = a[k];
    }
    return 1;
  }
  const std::uint32_t n = scene->scnPageNumVerts;
  const double k = (n - 1) / size;
  const double hs = scene->scnHeightScale;
  double g[3] = {(a[0] - lo[0]) * k, (a[1] - lo[1]) * k, hs != 0.0 ? a[2] / hs : 0.0};
  const double g1[3] = {(b[0] - lo[0]) * k, (b[1] - lo[1]) * k, hs != 0.0 ? b[2] / hs : 0.0};
  // The ray's direction in grid units and height steps (the clipped piece may
  // have no length, on flat ground, but the ray still has a way to go).
  double d[3] = {q[0] * k, q[1] * k, hs != 0.0 ? q[2] / hs : 0.0};
  // Walk rows along the axis of larger change; the per-row steps, the height
  // change included, are the direction divided by its change along that axis
  // (all in grid and height-step units alike).
  const int major = std::fabs(d[0]) <= std::fabs(d[1]) ? 1 : 0;
  const int minor = 1 - major;
  const double span = std::fabs(d[major]);
  std::uint32_t rows = 1;
  if (span < 1e-9) {
    d[0] = d[1] = 0.0;
    d[2] = d[2] < 0.0 ? -1.0 : 1.0;
  } else {
    for (double& c : d) {
      c /= span;
    }
    rows = static_cast<std::uint32_t>(std::fabs(std::trunc(g1[major]) - std::trunc(g[major]))) + 1;
  }
  const std::uint8_t* heights = page->pagHeightLOD->phlHeights;
  for (std::uint32_t r = 0; r < rows; ++r) {
    const double row = std::fmin(std::fmax(std::trunc(g[major]), 0.0), n - 2.0);
    const double reach = std::fabs(d[minor]);
    for (double c = std::trunc(g[minor] - reach); c <= g[minor] + reach; c += 1.0) {
      if (c < 0.0 || c >= n - 1.0) {
        continue;
      }
      const auto ix = static_cast<std::uint32_t>(major == 1 ? c : row);
      const auto iy = static_cast<std::uint32_t>(major == 1 ? row : c);
      if (!CellCrossed(heights, n, ix, iy, g, d)) {
        continue;
      }
      float normal[3];
      float h = 0.f;
      const std::size_t at = static_cast<std::size_t>(iy) * n + ix;
      ISGTerrainCellPlane(scene, heights + at, page->pagHeightLOD->phlNormals + at, normal, &h);
      const double nn[3] = {normal[0], normal[1], normal[2]};
      const double centre[3] = {(ix + 0.5) / k, (iy + 0.5) / k, h};
      const double start[3] = {a[0] - lo[0], a[1] - lo[1], a[2]};
      const double seg[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
      const double denom = Dot(nn, q);
      // The plane parameter is measured from the clipped start, so the hit is
      // formed from that start too; it stays on the clipped piece.
      const double tMax = Dot(seg, q) / Dot(q, q);
      const double t = denom != 0.0 ? std::fmin(std::fmax((Dot(nn, centre) - Dot(nn, start)) / denom, 0.0), tMax) : 0.0;
      for (int j = 0; j < 3; ++j) {
        hit[j] = a[j] + t * q[j];
      }
      return 1;
    }
    for (int j = 0; j < 3; ++j) {
      g[j] += d[j];
    }
  }
  return 0;
}

// The cell under a world point, the scene's origin taken off first.
SGError LocatePoint(SGScene* scene, const double point[3], SGTerrainCell* out) {
  double p[3];
  Local(scene, point, p);
  return ISGTerrainLocate(scene, p, out);
}

}  // namespace

SGError ISGTerrainLocate(SGScene* scene, const double point[3], SGTerrainCell* out) {
  return LocateOn(scene, point, 0, out);
}

SGError ISGTerrainLocateLOD(SGScene* scene, const double point[3], std::uint32_t level, SGTerrainCell* out) {
  return LocateOn(scene, point, level > scene->scnMaxLOD ? scene->scnMaxLOD : level, out);
}

SGError ISGTerrainHeight(SGScene* scene, const double point[3], double* height) {
  SGTerrainCell cell{};
  const SGError err = LocatePoint(scene, point, &cell);
  if (err == SG_ERROR_NONE) {
    *height = StoredHeight(scene, cell);
  }
  return err == SG_ERROR_NONE ? SG_COLLIDE_TERRAIN : err;
}

SGError ISGTerrainHeightOnLOD(SGRenderer* rend, SGScene* scene, const double eye[3], const double point[3],
                              double* height) {
  double p[3];
  Local(scene, point, p);
  std::uint32_t level = 0;
  float fraction = 0.f;
  SGError err = ISGLodChoose(rend, scene, static_cast<float>(point[0] - eye[0]), static_cast<float>(point[1] - eye[1]),
                             &level, &fraction);
  if (err != SG_ERROR_NONE) {
    return err;
  }
  SGTerrainCell cell{};
  err = ISGTerrainLocateLOD(scene, p, level, &cell);
  if (err != SG_ERROR_NONE) {
    return err;
  }
  level = level > scene->scnMaxLOD ? scene->scnMaxLOD : level;
  const std::uint32_t s = 1u << level;
  const std::uint8_t* grid = cell.page->pagHeightLOD->phlHeights;
  const float h00 = ISGLodBlendHeight(scene, grid, cell.ix, cell.iy, level, fraction);
  const float h10 = ISGLodBlendHeight(scene, grid, cell.ix + s, cell.iy, level, fraction);
  const float h11 = ISGLodBlendHeight(scene, grid, cell.ix + s, cell.iy + s, level, fraction);
  const float h01 = ISGLodBlendHeight(scene, grid, cell.ix, cell.iy + s, level, fraction);
  const float fx = cell.fraction[0], fy = cell.fraction[1];
  const float h =
      fx < fy ? h00 * (1.f - fy) + h01 * (fy - fx) + h11 * fx : h00 * (1.f - fx) + h10 * (fx - fy) + h11 * fy;
  *height = h;
  return SG_COLLIDE_TERRAIN;
}

SGError ISGTerrainHeightNormal(SGScene* scene, const double point[3], float normal[3], double* height) {
  SGTerrainCell cell{};
  const SGError err = LocatePoint(scene, point, &cell);
  if (err != SG_ERROR_NONE) {
    return err;
  }
  const std::uint32_t n = scene->scnPageNumVerts;
  const std::uint8_t idx[4] = {cell.normal[0], cell.normal[1], cell.normal[n + 1], cell.normal[n]};
  for (int k = 0; k < 3; ++k) {
    const float c[4] = {scene->scnNormals[idx[0]][k], scene->scnNormals[idx[1]][k], scene->scnNormals[idx[2]][k],
                        scene->scnNormals[idx[3]][k]};
    normal[k] = Bilinear(c, cell.fraction);
  }
  Normalise(normal);
  if (height != nullptr) {
    *height = StoredHeight(scene, cell);
  }
  return SG_COLLIDE_TERRAIN;
}

SGError ISGTerrainNormal(SGScene* scene, const double point[3], float normal[3]) {
  return ISGTerrainHeightNormal(scene, point, normal, nullptr);
}

void ISGTerrainCellPlane(const SGScene* scene, const std::uint8_t* height, const std::uint8_t* normal,
                         float outNormal[3], float* outHeight) {
  const std::uint32_t n = scene->scnPageNumVerts;
  const std::uint32_t h = height[0] + height[1] + height[n] + height[n + 1];
  *outHeight = static_cast<float>(h) * scene->scnHeightScale * 0.25f;
  const std::uint8_t c[4] = {normal[0], normal[1], normal[n], normal[n + 1]};
  std::uint32_t lowSum = 0, highSum = 0;
  for (const std::uint8_t v : c) {
    lowSum += v & 0xF;
    highSum += v >> 4;
  }
  const std::uint32_t idx = ((highSum / 4) << 4) | (lowSum / 4);
  for (int k = 0; k < 3; ++k) {
    outNormal[k] = scene->scnNormals[idx][k];
  }
}

SGError SGInstanceGetAltitude(SGInstance* inst, float* out) {
  if (inst->instScene == nullptr) {
    return SG_ERROR_PAGE_MISSING;
  }
  double h = 0.0;
  const SGError err = ISGTerrainHeight(inst->instScene, inst->instPos, &h);
  if (err == SG_COLLIDE_TERRAIN) {
    *out = static_cast<float>(inst->instPos[2] - h);
  }
  return err;
}

SGError ISGCollideTerrain(SGScene* scene, const double origin[3], const float direction[3], float maximum,
                          std::uint32_t mode, float* distance) {
  double o[3], p[3], e[3], q[3];
  Local(scene, origin, o);
  for (int k = 0; k < 3; ++k) {
    p[k] = o[k];
    q[k] = static_cast<double>(direction[k]) * maximum;
    e[k] = p[k] + q[k];
  }
  const double bound = Dot(q, q);
  const double dirLen =
      std::sqrt(static_cast<double>(direction[0]) * direction[0] + static_cast<double>(direction[1]) * direction[1] +
                static_cast<double>(direction[2]) * direction[2]);
  if (!(bound > 0.0) || !std::isfinite(bound)) {
    return SG_ERROR_NONE;
  }
  const std::uint32_t lookup = 1 | (p[0] > e[0] ? 0x2u : 0u) | (p[1] > e[1] ? 0x4u : 0u);
  const double size = scene->scnPageSize;
  // Each pass leaves one page; the segment crosses at most this many.
  const double pages = (std::fabs(q[0]) + std::fabs(q[1])) / size + 3.0;
  const std::uint32_t maxPasses = pages < 1e6 ? static_cast<std::uint32_t>(pages) : 1000000u;
  for (std::uint32_t pass = 0; pass < maxPasses; ++pass) {
    const double op[3] = {p[0] - o[0], p[1] - o[1], p[2] - o[2]};
    if (!(Dot(op, op) < bound)) {
      break;
    }
    const float fp[3] = {static_cast<float>(p[0]), static_cast<float>(p[1]), static_cast<float>(p[2])};
    SGPage* page = nullptr;
    const SGError err = ISGSceneGetPageAtPoint(scene, &page, fp, lookup);
    if (err != SG_ERROR_NONE) {
      return err;
    }
    const double rest[3] = {e[0] - p[0], e[1] - p[1], e[2] - p[2]};
    double hit[3];
    if (TerrainPage(scene, page, p, rest, mode, hit) != 0) {
      const double oh[3] = {hit[0] - o[0], hit[1] - o[1], hit[2] - o[2]};
      *distance = static_cast<float>(std::sqrt(Dot(oh, oh)) / dirLen);
      return SG_COLLIDE_TERRAIN;
    }
    // Leave the page through the nearer of its x and y edges ahead.
    double t = 1.0;
    for (int k = 0; k < 2; ++k) {
      if (rest[k] > 0.0) {
        t = std::fmin(t, (page->pagNearOrigin[k] + size - p[k]) / rest[k]);
      } else if (rest[k] < 0.0) {
        t = std::fmin(t, (page->pagNearOrigin[k] - p[k]) / rest[k]);
      }
    }
    t = std::fmax(t, 0.0);
    for (int k = 0; k < 3; ++k) {
      p[k] += t * rest[k];
    }
    if (t >= 1.0) {
      break;
    }
    for (int k = 0; k < 2; ++k) {
      const double w = scene->scnWorldExtent[k];
      const double shift = p[k] >= w ? -w : (p[k] < 0.0 ? w : 0.0);
      p[k] += shift;
      e[k] += shift;
      o[k] += shift;
    }
  }
  return SG_ERROR_NONE;
}
