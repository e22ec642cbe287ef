// The asteroid's zones as a whole and their geometry: rings, angles and
// which zones touch.
#include "Game/model/GAsteroid.h"

#include <algorithm>
#include <cstdint>

namespace {

int FirstZoneOfRing(int ring) { return ring * (ring + 1) + 1; }

int PositiveMod(int v, int n) {
  const int m = v % n;
  return m < 0 ? m + n : m;
}

// Whether an outer angle x lies in the window of inner angle a (see
// AreZonesAdjacent); q is a quarter of the inner ring's steps, n the outer
// ring's step count.
bool InWindow(int x, int a, int q, int n) {
  if (a == 0) return x < 3 || x > n - 3;
  if (a < q) return a <= x && x < a + 3;
  if (a == q) return a <= x && x < a + 5;
  if (a < 2 * q) return a + 1 < x && x < a + 5;
  if (a == 2 * q) return a + 1 < x && x < a + 7;
  if (a < 3 * q) return a + 3 < x && x < a + 7;
  if (a == 3 * q) return a + 3 < x && x < a + 9;
  return a + 5 < x && x < a + 9;
}

}  // namespace

int CGAsteroid::GetZoneRing(std::uint32_t zone) {
  if (zone == 0) return -1;
  if (zone <= 2) return 0;
  if (zone <= 6) return 1;
  if (zone <= 12) return 2;
  if (zone <= 20) return 3;
  return 4;
}

int CGAsteroid::GetZoneAngle(std::uint32_t zone, int offset, int* ring) const {
  const int r = GetZoneRing(zone);
  if (ring != nullptr) *ring = r;
  if (r < 0) return 0;
  // A zone number past the last ring would count beyond its ring's steps;
  // the modulus keeps every angle on the ring (and rotations may be negative).
  const int place = static_cast<int>(std::min<std::uint32_t>(zone, 0xFFFF)) - FirstZoneOfRing(r);
  return PositiveMod(offset + ringRotations[r] + 4 * place, 8 * (r + 1));
}

int CGAsteroid::AreZonesAdjacent(std::uint32_t z1, std::uint32_t z2) const {
  const int r1 = GetZoneRing(z1);
  const int r2 = GetZoneRing(z2);
  if (r1 - r2 > 1 || r2 - r1 > 1) return 0;
  if (r1 == r2) {
    if (r1 < 0) return 0;
    const std::int64_t n = 2 * (r1 + 1);
    // Zone numbers come from callers unchecked: the difference in 64 bits.
    std::int64_t d = (n - static_cast<std::int64_t>(z2) + static_cast<std::int64_t>(z1)) % n;
    if (d < 0) d += n;
    return d == 1 || d == n - 1 ? 1 : 0;
  }
  const std::uint32_t inner = r1 < r2 ? z1 : z2;
  const std::uint32_t outer = r1 < r2 ? z2 : z1;
  const int ri = r1 < r2 ? r1 : r2;
  const int q = 2 * (ri + 1);
  const int n = 8 * (ri + 2);
  const int s = GetZoneAngle(outer, 0, nullptr);
  const int e = GetZoneAngle(outer, 3, nullptr);
  for (int offset : {0, 3}) {
    const int a = GetZoneAngle(inner, offset, nullptr);
    if (InWindow(s, a, q, n) || InWindow(e, a, q, n)) return 1;
  }
  return 0;
}

int CGAsteroid::FindIntermediateZone(std::uint32_t z1, std::uint32_t z2, std::uint32_t* out) const {
  *out = 0;
  if (AreZonesAdjacent(z1, z2) != 0) {
    *out = z2;
    return 1;
  }
  const CGZone* from = z1 <= 0xFFFF ? GetZone(static_cast<std::uint16_t>(z1)) : nullptr;
  if (from == nullptr) return 0;
  for (int v = 0; v < zoneCount; ++v) {
    const auto zv = static_cast<std::uint32_t>(v);
    if (zv == z1 || zv == z2) continue;
    const CGZone* zone = zones.get(static_cast<std::uint16_t>(v));
    if (zone->owner != from->owner && zone->owner != kZoneNobody) continue;
    if (AreZonesAdjacent(z1, zv) == 0 || AreZonesAdjacent(zv, z2) == 0) continue;
    if (zone->GetAtvCount(kAllAtvKinds) >= zone->atvLimit) continue;
    *out = zv;
    return 1;
  }
  return 0;
}

int CGAsteroid::IsChapterPresent(std::uint8_t chapter) const {
  for (int i = 0; i < zoneCount; ++i) {
    const CGZone* z = zones.get(static_cast<std::uint16_t>(i));
    if (z->owner == chapter || z->HasArrivingAtvs(chapter) != 0) return 1;
  }
  return 0;
}

void CGAsteroid::CountChapterATVs(std::uint8_t chapter, std::uint16_t* c0, std::uint16_t* c1, std::uint16_t* c2,
                                  std::uint16_t* c3) const {
  std::uint16_t* outs[kAtvKinds] = {c0, c1, c2, c3};
  for (int k = 0; k < kAtvKinds; ++k) {
    if (outs[k] == nullptr) continue;
    std::uint16_t sum = 0;
    for (int i = 0; i < zoneCount; ++i)
      sum = static_cast<std::uint16_t>(
          sum + zones.get(static_cast<std::uint16_t>(i))->GetChapterAtvCount(chapter, static_cast<std::uint8_t>(k)));
    *outs[k] = sum;
  }
}

int CGAsteroid::HasAnyATVs() const {
  for (int i = 0; i < zoneCount; ++i) {
    const CGZone* z = zones.get(static_cast<std::uint16_t>(i));
    for (std::uint8_t c : z->atvCounts)
      if (c != 0) return 1;
  }
  return 0;
}

void CGAsteroid::ReleaseChapterZones(std::uint8_t chapter) {
  for (int i = 0; i < zoneCount; ++i) {
    CGZone* z = zones.get(static_cast<std::uint16_t>(i));
    if (z->owner != chapter) continue;
    z->owner = kZoneNobody;
    z->SetAtvCounts(0, 0, 0, 0);
  }
}
