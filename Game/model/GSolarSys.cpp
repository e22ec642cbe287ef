#include "Game/model/GSolarSys.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <vector>

#include "Game/model/GGamePieceDB.h"
#include "Game/model/GNotify.h"
#include "Game/model/GNotifyCodes.h"
#include "Game/model/GViewNotices.h"
#include "Game/model/GameWorld.h"
#include "Game/rules/GGameVar.h"
#include "Game/rules/GRulesFacts.h"
#include "platform/core/random.h"

std::uint16_t g_numAsteroids = 0;

namespace {

// Squared distance of two positions in 64 bits (the coordinates' squares
// overflow 32).
std::int64_t DistanceSq64(const Location& a, const Location& b) {
  const std::int64_t dx = a.x - b.x;
  const std::int64_t dy = a.y - b.y;
  const std::int64_t dz = a.z - b.z;
  return dx * dx + dy * dy + dz * dz;
}

std::uint32_t SquaredOrNone(const CGAsteroid* found, std::int64_t sq) {
  return found == nullptr ? 0xFFFFFFFFu : static_cast<std::uint32_t>(std::min<std::int64_t>(sq, 0xFFFFFFFE));
}

template <class T>
void DeleteSlots(IndexedArray<T>& array) {
  for (std::uint16_t i = 0; i < array.size; ++i) delete array.take(i);
  array.items.reset();
  array.size = 0;
}

// Slots owned while a load is under way; freed unless taken over.
template <class T>
struct PendingSlots {
  IndexedArray<T> array;
  ~PendingSlots() { DeleteSlots(array); }
};

}  // namespace

CGSolarDB::~CGSolarDB() {
  DeleteAsteroids();
  DeleteStars();
}

void CGSolarDB::DeleteAsteroids() { DeleteSlots(asteroids); }
void CGSolarDB::DeleteStars() { DeleteSlots(stars); }

int CGSolarDB::CreateAsteroidArray(std::uint16_t n) {
  if (n > kMaxAsteroids) return 0;
  DeleteAsteroids();
  asteroids.create(n);
  g_numAsteroids = n;
  ++g_asteroidPlaceChanges;
  return 1;
}

int CGSolarDB::CreateStarArray(std::uint16_t n) {
  if (n > kMaxStars) return 0;
  DeleteStars();
  stars.create(n);
  return 1;
}

void CGSolarDB::CreateStars() {
  for (std::uint16_t i = 0; i < stars.size; ++i) {
    delete stars.take(i);
    stars.set(i, new CGStar(static_cast<std::uint8_t>(i)));
  }
}

int CGSolarDB::SetAsteroid(std::unique_ptr<CGAsteroid> asteroid) {
  if (!asteroid || asteroid->id >= asteroids.size) return 0;
  const std::uint16_t slot = asteroid->id;
  delete asteroids.take(slot);
  asteroids.set(slot, asteroid.release());
  ++g_asteroidPlaceChanges;
  return 1;
}

CGAsteroid* CGSolarDB::GetAsteroid(std::uint32_t i) const {
  return i < g_numAsteroids && i < asteroids.size ? asteroids.get(static_cast<std::uint16_t>(i)) : nullptr;
}

CGStar* CGSolarDB::GetStar(std::uint32_t i) const {
  return i < stars.size ? stars.get(static_cast<std::uint16_t>(i)) : nullptr;
}

CGStar* CGSolarDB::GetStarOfAsteroid(const CGAsteroid* a) const {
  return a != nullptr ? GetStar(a->center1.asteroid) : nullptr;
}

double CGSolarDB::GetAsteroidDistance(std::uint32_t a, std::uint32_t b) const {
  if (a == b || a >= g_numAsteroids || b >= g_numAsteroids) return 0.0;
  const CGAsteroid* pa = GetAsteroid(a);
  const CGAsteroid* pb = GetAsteroid(b);
  if (pa == nullptr || pb == nullptr) return 4294967295.0;
  return std::sqrt(static_cast<double>(DistanceSq64(pa->position, pb->position)));
}

std::int32_t CGSolarDB::GetAsteroidDistanceSquared(std::uint32_t a, std::uint32_t b) const {
  if (a == b || a >= g_numAsteroids || b >= g_numAsteroids) return 0;
  const CGAsteroid* pa = GetAsteroid(a);
  const CGAsteroid* pb = GetAsteroid(b);
  if (pa == nullptr || pb == nullptr) return -1;
  // Far corners of the system lie further apart than 32 bits can square:
  // such a distance stays the largest one, not a wrapped (negative) one.
  const std::int64_t d = DistanceSq64(pa->position, pb->position);
  return d > std::numeric_limits<std::int32_t>::max() ? std::numeric_limits<std::int32_t>::max()
                                                      : static_cast<std::int32_t>(d);
}

int CGSolarDB::GetOrbitDirection() const {
  if (orbitDirection != 0) return orbitDirection;
  return (plat::rand() & 1) != 0 ? 1 : -1;
}

CGAsteroid* CGSolarDB::SearchNearestAsteroid(const Location* loc, std::uint32_t max, std::uint32_t* out) const {
  CGAsteroid* best = nullptr;
  std::int64_t bestSq = 0;
  for (std::uint16_t i = 0; i < g_numAsteroids; ++i) {
    CGAsteroid* a = GetAsteroid(i);
    if (a == nullptr) continue;
    if (std::uint32_t(std::abs(a->position.x - loc->x)) > max || std::uint32_t(std::abs(a->position.y - loc->y)) > max)
      continue;
    const std::int64_t sq = DistanceSq64(a->position, *loc);
    if (best == nullptr || sq < bestSq) {
      best = a;
      bestSq = sq;
    }
  }
  if (out != nullptr) *out = SquaredOrNone(best, bestSq);
  return best;
}

CGAsteroid* CGSolarDB::FindNearestAsteroid(const Location* loc, std::uint32_t max, std::uint32_t* out) const {
  // Units ask this at every step of every trip they predict, and asteroids
  // move once a turn: a search of all of them took a third of a server turn.
  const std::uint32_t count = std::uint32_t{g_numAsteroids} << 16 | asteroids.size;
  if (nearIndexChanges != g_asteroidPlaceChanges || nearIndexCount != count) {
    nearIndex.Build(*this);
    nearIndexChanges = g_asteroidPlaceChanges;
    nearIndexCount = count;
  }
  int index = -1;
  std::int64_t bestSq = 0;
  if (!nearIndex.Nearest(*loc, max, &index, &bestSq)) return SearchNearestAsteroid(loc, max, out);
  CGAsteroid* best = index >= 0 ? GetAsteroid(static_cast<std::uint32_t>(index)) : nullptr;
  if (out != nullptr) *out = SquaredOrNone(best, bestSq);
  return best;
}

std::uint32_t CGSolarDB::IsOwnedByLocalChapter(std::uint32_t asteroid) const {
  const CGAsteroid* a = GetAsteroid(asteroid);
  return a != nullptr && a->owner == RulesFacts().LocalChapterId() ? 0xFFFFFFFFu : 0;
}

void CGSolarDB::ReleaseZonesOfChapter(std::uint8_t chapter) {
  for (std::uint16_t i = 0; i < g_numAsteroids; ++i)
    if (CGAsteroid* a = GetAsteroid(i)) a->ReleaseChapterZones(chapter);
}

void CGSolarDB::ResetAsteroidPositions() {
  for (std::uint16_t i = 0; i < g_numAsteroids; ++i)
    if (CGAsteroid* a = GetAsteroid(i)) a->RestorePreviousOrbit();
}

std::uint16_t CGSolarDB::GetNextAsteroidByName(std::uint16_t index, int ascending) {
  const char* current = nullptr;
  if (index == 0xFFFF) {
    current = ascending != 0 ? "Aaaaaaaaaaa" : "Zzzzzzzzzzz";
  } else {
    CGAsteroid* a = GetAsteroid(index);
    if (a == nullptr) return 0xFFFF;
    current = a->GetName();
  }
  const char* bound = ascending != 0 ? "Zzzzzzzzzzzz" : "Aaaaaaaaaaaa";
  std::uint16_t result = 0xFFFF;
  for (std::uint16_t i = 0; i < g_numAsteroids; ++i) {
    CGAsteroid* a = GetAsteroid(i);
    if (a == nullptr) continue;
    // strcmp compares the bytes as unsigned characters.
    const char* n = a->GetName();
    const bool between = ascending != 0 ? std::strcmp(n, current) > 0 && std::strcmp(n, bound) < 0
                                        : std::strcmp(n, current) < 0 && std::strcmp(n, bound) > 0;
    if (between) {
      bound = n;
      result = i;
    }
  }
  return result;
}

void CGSolarDB::AdvanceTurn() {
  for (std::uint16_t i = 0; i < stars.size; ++i)
    if (CGStar* s = stars.get(i)) s->UpdateRadiation();
  MoveAsteroids(0, 1);
  if (World().AsteroidsHiddenUntilSeen()) DetectAsteroids(0);
}

void CGSolarDB::MoveAsteroids(int animate, int forward) {
  const std::uint16_t n = g_numAsteroids;
  if (orbitMotion == 0) {
    if (animate == 0)
      for (std::uint16_t i = 0; i < n; ++i)
        if (CGAsteroid* a = GetAsteroid(i)) a->ComputeRadiationCoefficient();
    return;
  }
  if (animate == 0) {
    for (std::uint16_t i = 0; i < n; ++i)
      if (CGAsteroid* a = GetAsteroid(i)) a->AdvanceOrbit(0, forward);
    return;
  }
  if (forward != 0) {
    for (std::uint16_t i = 0; i < n; ++i)
      if (CGAsteroid* a = GetAsteroid(i)) a->AdvanceOrbit(1, 1);
  } else {
    for (std::uint16_t i = n; i-- > 0;)
      if (CGAsteroid* a = GetAsteroid(i)) a->AdvanceOrbit(1, 0);
  }
  if (!World().RandomEvents()) return;
  for (std::uint16_t i = 0; i < n; ++i) {
    CGAsteroid* a = GetAsteroid(i);
    if (a != nullptr && a->animationStep == 0) CheckCollision(a, forward);
  }
}

int CGSolarDB::CheckCollision(CGAsteroid* asteroid, int forward) {
  if (asteroid == nullptr || asteroid->detected == 0) return 0;
  const std::uint32_t range = g_gameVariables.asteroidCollisionRange;
  const std::uint32_t limit = range + range / 20;
  for (std::uint16_t i = 0; i < g_numAsteroids; ++i) {
    CGAsteroid* other = GetAsteroid(i);
    if (other == nullptr || other == asteroid || other->detected == 0) continue;
    if (GetLocationDistanceSq(&asteroid->position, &other->position) >= limit) continue;
    asteroid->animationStep = forward != 0 ? 25 : 1;
    other->animationStep = forward != 0 ? 26 : 1;
    ViewNotices().AsteroidNotice(asteroid, other);
    return 1;
  }
  return 0;
}

void CGSolarDB::DetectAsteroids(int silent) {
  const std::uint16_t local = RulesFacts().LocalChapterId();
  CGGamePieceDB* pieces = World().pieces;
  for (std::uint16_t i = 0; i < g_numAsteroids; ++i) {
    const CGAsteroid* from = GetAsteroid(i);
    if (from == nullptr) continue;
    const bool present = from->owner == local ||
                         (pieces != nullptr && pieces->CountOperationalUnits(i, static_cast<std::int16_t>(local)) > 0);
    if (!present) continue;
    for (std::uint16_t j = 0; j < g_numAsteroids; ++j) {
      CGAsteroid* to = GetAsteroid(j);
      if (to == nullptr || to->detected != 0) continue;
      if (GetLocationRangeSq(&from->position, &to->position) >= kDetectionRangeSq) continue;
      to->detected = 1;
      if (silent == 0)
        World().Notify(local, notify::kGameEvent, notify::kAsteroidLocated, nullptr, nullptr, local, j, 0xFFFFFFFFu);
    }
  }
  if (pieces != nullptr) pieces->DetectAsteroidsNearUnitsInSpace(silent != 0);
}

int CGSolarDB::Save(plat::FILE* fp) const {
  BlockWriter w(fp);
  return Save(w) ? 1 : 0;
}

int CGSolarDB::Load(plat::FILE* fp) {
  BlockReader r(fp);
  return LoadResult(Load(r));
}

bool CGSolarDB::Save(BlockWriter& w) const {
  w.U8(kSolarDBVersion);
  w.U16(stars.size);
  for (std::uint16_t i = 0; i < stars.size; ++i) {
    const CGStar* s = stars.get(i);
    w.U8(s != nullptr ? 1 : 0);
    if (s != nullptr) s->Save(w);
  }
  w.U16(asteroids.size);
  for (std::uint16_t i = 0; i < asteroids.size; ++i) {
    const CGAsteroid* a = asteroids.get(i);
    w.U8(a != nullptr ? 1 : 0);
    if (a != nullptr) a->Save(w);
  }
  w.I8(orbitDirection);
  w.U16(orbitMotion);
  return w.Ok();
}

LoadStatus CGSolarDB::Load(BlockReader& r) {
  const std::uint8_t version = r.U8();
  const std::uint16_t starCount = r.U16();
  if (!r.Ok()) return LoadStatus::kTruncated;
  if (version > kSolarDBVersion) return LoadStatus::kBadVersion;
  if (starCount > kMaxStars) return LoadStatus::kBadCount;
  PendingSlots<CGStar> newStars;
  newStars.array.create(starCount);
  for (std::uint16_t i = 0; i < starCount; ++i) {
    const std::uint8_t present = r.U8();
    if (!r.Ok()) return LoadStatus::kTruncated;
    if (present == 0) continue;
    LoadStatus s = LoadStatus::kOk;
    std::unique_ptr<CGStar> star = CGStar::CreateFromBlock(r, &s);
    if (s != LoadStatus::kOk) return s;
    newStars.array.set(i, star.release());
  }
  const std::uint16_t asteroidCount = r.U16();
  if (!r.Ok()) return LoadStatus::kTruncated;
  if (asteroidCount > kMaxAsteroids) return LoadStatus::kBadCount;
  PendingSlots<CGAsteroid> newAsteroids;
  newAsteroids.array.create(asteroidCount);
  for (std::uint16_t i = 0; i < asteroidCount; ++i) {
    const std::uint8_t present = r.U8();
    if (!r.Ok()) return LoadStatus::kTruncated;
    if (present == 0) continue;
    LoadStatus s = LoadStatus::kOk;
    std::unique_ptr<CGAsteroid> asteroid = CGAsteroid::CreateFromBlock(r, &s);
    if (s != LoadStatus::kOk) return s;
    newAsteroids.array.set(i, asteroid.release());
  }
  const std::int8_t direction = r.I8();
  const std::uint16_t motion = version >= 2 ? r.U16() : orbitMotion;
  if (!r.Ok()) return LoadStatus::kTruncated;
  DeleteStars();
  DeleteAsteroids();
  std::swap(stars, newStars.array);
  std::swap(asteroids, newAsteroids.array);
  g_numAsteroids = asteroids.size;
  ++g_asteroidPlaceChanges;
  orbitDirection = direction;
  orbitMotion = motion;
  return LoadStatus::kOk;
}
