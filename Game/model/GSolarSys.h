#pragma once
// The solar system: the asteroids and stars, found by index, moved along
// their orbits each turn and while the solar views animate, checked for
// collisions, detected near the local player's possessions, and saved and
// loaded whole inside the game data.
//
// Game thread only.

#include <cstdint>
#include <memory>

#include "Game/arrayman/IndexedArray.h"
#include "Game/base/GBlockStream.h"
#include "Game/model/GAsteroid.h"
#include "Game/model/GAsteroidGrid.h"
#include "Game/model/GStar.h"
#include "platform/core/files.h"

constexpr std::uint8_t kSolarDBVersion = 2;
// Stars are numbered by a byte.
constexpr std::uint16_t kMaxStars = 256;
// Range measure within which the local player's asteroids detect others.
constexpr std::uint32_t kDetectionRangeSq = 3240000;

class CGSolarDB {
 public:
  // No arrays, orbit direction 0 (random), orbit motion 2.
  CGSolarDB() = default;
  // Deletes every asteroid and star.
  ~CGSolarDB();
  CGSolarDB(const CGSolarDB&) = delete;
  CGSolarDB& operator=(const CGSolarDB&) = delete;

  // A new array of n empty slots (old asteroids deleted); g_numAsteroids = n.
  // 0, with nothing changed, for more than kMaxAsteroids.
  int CreateAsteroidArray(std::uint16_t n);
  // A new array of n empty star slots; 0 for more than kMaxStars.
  int CreateStarArray(std::uint16_t n);
  // Fills every star slot with a new CGStar of that index.
  void CreateStars();
  // Puts an asteroid into its slot (its id); refused (deleted, 0) outside the array.
  int SetAsteroid(std::unique_ptr<CGAsteroid> asteroid);

  static std::uint16_t GetAsteroidCount() { return g_numAsteroids; }
  CGAsteroid* GetAsteroid(std::uint32_t i) const;
  std::uint16_t GetStarCount() const { return stars.size; }
  CGStar* GetStar(std::uint32_t i) const;
  CGStar* GetStarOfAsteroid(const CGAsteroid* a) const;
  // Euclidean distance of two asteroids' positions; 0 for a == b or an index
  // out of range; 4294967295.0 when a slot is empty.
  double GetAsteroidDistance(std::uint32_t a, std::uint32_t b) const;
  // Squared distance; 0 for a == b or out of range; -1 for an empty slot.
  std::int32_t GetAsteroidDistanceSquared(std::uint32_t a, std::uint32_t b) const;
  // +1 or -1; a stored 0 gives a random sign each call (rand).
  int GetOrbitDirection() const;
  // Among asteroids within `max` in x and y, the nearest (lowest index on a
  // tie); *out its squared distance (0xFFFFFFFF and null when none). Looked
  // up in an index of the places, rebuilt after any asteroid moved
  // (g_asteroidPlaceChanges); a `max` wider than it serves searches them all.
  CGAsteroid* FindNearestAsteroid(const Location* loc, std::uint32_t max, std::uint32_t* out) const;
  // The same answer from every asteroid looked at in turn.
  CGAsteroid* SearchNearestAsteroid(const Location* loc, std::uint32_t max, std::uint32_t* out) const;
  // All bits set when the local chapter owns the asteroid, else 0.
  std::uint32_t IsOwnedByLocalChapter(std::uint32_t asteroid) const;
  void ReleaseZonesOfChapter(std::uint8_t chapter);
  void ResetAsteroidPositions();
  // The next asteroid in name order (bytes unsigned) from `index` (0xFFFF:
  // from the start); 0xFFFF when none.
  std::uint16_t GetNextAsteroidByName(std::uint16_t index, int ascending);

  // A new turn: stars' radiation, every orbit, then detection when asteroids
  // stay hidden until seen. No allocation.
  void AdvanceTurn();
  void MoveAsteroids(int animate, int forward);
  // 1 when another detected asteroid lies within the collision range.
  int CheckCollision(CGAsteroid* asteroid, int forward);
  void DetectAsteroids(int silent);

  // u8 version 2, stars, asteroids, orbit direction, orbit motion. Load takes
  // versions 1 and 2 and replaces the system only when every star and
  // asteroid read; otherwise the system stays as it was.
  int Save(plat::FILE* fp) const;
  int Load(plat::FILE* fp);
  bool Save(BlockWriter& w) const;
  LoadStatus Load(BlockReader& r);

  IndexedArray<CGAsteroid> asteroids;
  IndexedArray<CGStar> stars;
  std::int8_t orbitDirection = 0;
  std::uint16_t orbitMotion = 2;

 private:
  mutable CGAsteroidGrid nearIndex;
  // g_asteroidPlaceChanges and the count when the index was built.
  mutable std::uint32_t nearIndexChanges = 0;
  mutable std::uint32_t nearIndexCount = 0xFFFFFFFFu;
  void DeleteAsteroids();
  void DeleteStars();
};
