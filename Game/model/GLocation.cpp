#include "Game/model/GLocation.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "Game/base/ByteStream.h"
#include "Game/base/GBlockStream.h"
#include "Game/base/TraceError.h"

namespace {

// Per-axis differences a - b, exact (they need 17 bits).
struct Delta {
  std::int32_t x, y, z;
};
Delta Diff(const Location* a, const Location* b) { return {a->x - b->x, a->y - b->y, a->z - b->z}; }

}  // namespace

double GetLocationDistance(const Location* a, const Location* b) {
  if (a->asteroid != b->asteroid) {
    TraceError("Locations on different asteroids", __FILE__, __LINE__);
    return std::numeric_limits<double>::max();
  }
  // In 64 bits: the squares of far-apart coordinates overflow 32.
  const Delta d = Diff(a, b);
  const std::int64_t sq = std::int64_t{d.x} * d.x + std::int64_t{d.y} * d.y + std::int64_t{d.z} * d.z;
  return std::sqrt(static_cast<double>(sq));
}

std::uint32_t GetLocationDistanceSq(const Location* a, const Location* b) {
  const Delta d = Diff(a, b);
  auto sq = [](std::int32_t v) { return static_cast<std::uint32_t>(v) * static_cast<std::uint32_t>(v); };
  return sq(d.x) + sq(d.y) + sq(d.z);
}

std::uint32_t GetLocationRangeSq(const Location* a, const Location* b) {
  if (a->asteroid != b->asteroid) {
    TraceError("Locations on different asteroids", __FILE__, __LINE__);
    return 0xFFFFFFFFu;
  }
  const Delta d = Diff(a, b);
  const auto m = static_cast<std::uint32_t>(std::max({std::abs(d.x), std::abs(d.y), std::abs(d.z)}));
  return m * m;
}

void GetLocationDirection(const Location* from, const Location* to, double* x, double* y, double* z) {
  const double dx = static_cast<std::int16_t>(to->x - from->x);
  const double dy = static_cast<std::int16_t>(to->y - from->y);
  const double dz = static_cast<std::int16_t>(to->z - from->z);
  const double len = std::sqrt(dx * dx + dy * dy + dz * dz);
  if (len == 0.0) {
    *x = *y = *z = 0.0;
    return;
  }
  *x = dx / len;
  *y = dy / len;
  *z = dz / len;
}

void CopyLocation(Location* dst, const Location* src) { *dst = *src; }

int SaveLocation(const Location* loc, plat::FILE* fp) {
  BlockWriter w(fp);
  return SaveLocation(loc, w);
}

int SaveLocation(const Location* loc, BlockWriter& w) {
  w.Write(loc->asteroid);
  w.Write(static_cast<std::uint16_t>(loc->x));
  w.Write(static_cast<std::uint16_t>(loc->y));
  w.Write(static_cast<std::uint16_t>(loc->z));
  return w.Ok() ? 1 : 0;
}

int LoadLocation(Location* loc, plat::FILE* fp) {
  BlockReader r(fp);
  return LoadLocation(loc, r);
}

int LoadLocation(Location* loc, BlockReader& r) {
  Location in;
  r.Read(in.asteroid);
  r.Read(in.x);
  r.Read(in.y);
  r.Read(in.z);
  if (!r.Ok()) return 0;
  *loc = in;
  return 1;
}

void ExpressLocationInFrame(Location* c, const Location* a, const Location* b) {
  if (a == nullptr || b == nullptr) {
    TraceError("Missing frame axis", __FILE__, __LINE__);
    return;
  }
  // 64-bit products: a cross product of 16-bit values times a third one
  // exceeds 32 bits.
  const std::int64_t ax = a->x, ay = a->y, az = a->z;
  const std::int64_t bx = b->x, by = b->y, bz = b->z;
  const std::int64_t cx = c->x, cy = c->y, cz = c->z;
  const std::int64_t nx = ay * bz - az * by;
  const std::int64_t ny = az * bx - ax * bz;
  const std::int64_t nz = ax * by - ay * bx;
  double v[3] = {static_cast<double>(-(nx * cx + ny * cy + nz * cz)), static_cast<double>(ax * cx + ay * cy + az * cz),
                 static_cast<double>(bx * cx + by * cy + bz * cz)};
  const double len = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
  if (len != 0.0) {
    for (double& e : v) e = e * 1024.0 / len;
  }
  c->x = static_cast<std::int16_t>(v[0]);
  c->y = static_cast<std::int16_t>(v[1]);
  c->z = static_cast<std::int16_t>(v[2]);
}
