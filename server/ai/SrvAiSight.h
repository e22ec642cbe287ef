#pragma once
// What a computer chapter looks at to choose its orders: enemy units where
// its own stand, asteroids with zones it may land on, asteroids its enemies
// hold. An enemy is any chapter not on its side (SrvSameSide).
//
// One thread only.

#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

#include "server/world/SrvWorld.h"

// The operational enemy unit nearest to `unit` where it stands (with
// `hittable`, of those it can hit); null when there is none.
CGUnit* SrvAiNearestEnemy(const SrvWorld& world, std::uint16_t chapter, const CGUnit& unit, bool hittable = false);
// Whether the unit can fire in a battle: an attack strength, and a weapon
// working, set to fire and with ammunition left (a unit whose missiles are
// spent still counts its attack strength).
bool SrvAiCanFire(const CGUnit& unit);
// Whether the unit would fire at `target` within its weapons' effective
// range and do it harm: a weapon that fires, whose chance to hit it is not
// below the unit's battle plan's (else the weapon holds its fire), and whose
// hits get past the target's shields (else every hit is held).
bool SrvAiCanHit(const CGUnit& unit, const CGUnit& target);
// Whether the unit would fire at `target` from where both stand and do it
// harm: a weapon that fires, in range, whose chance to hit there (worse
// beyond its effective range) is not below the unit's battle plan's, and
// whose hits from there (weaker beyond its effective range) get past the
// target's shields.
bool SrvAiInReach(const CGUnit& unit, const CGUnit& target);
// Whether the unit's bombard reaches `target` where both stand: a special
// attack on it fires the bombard at it beside the guns.
bool SrvAiBombardReaches(const CGUnit& unit, const CGUnit& target);
// Zones of the asteroid nobody holds that a landing may take, in zone order:
// not the centre, which takes seed-bank ATVs only, and no load is of them.
std::vector<std::uint16_t> SrvAiFreeZones(const SrvWorld& world, std::uint16_t asteroid);
// Zones of the asteroid the chapter holds.
int SrvAiZonesHeld(const SrvWorld& world, std::uint16_t asteroid, std::uint16_t chapter);
// An asteroid the chapter may settle: it has a free zone and nobody but the
// chapter controls it.
bool SrvAiCanSettle(const SrvWorld& world, std::uint16_t chapter, std::uint16_t asteroid);
// An asteroid an enemy of the chapter controls that has a free zone to land on.
bool SrvAiCanInvade(const SrvWorld& world, std::uint16_t chapter, std::uint16_t asteroid);
// Whether an enemy of the chapter holds a zone of the asteroid with ATVs in
// it: a zone a bombardment can wear down.
bool SrvAiEnemyAtvsAt(const SrvWorld& world, std::uint16_t chapter, std::uint16_t asteroid);
// The asteroid nearest to `from` (by the asteroids' distance) for which
// `wanted` holds, other than `from`; nothing when none does.
template <class Wanted>
std::optional<std::uint16_t> SrvAiNearest(const SrvWorld& world, std::uint16_t from, Wanted&& wanted) {
  std::optional<std::uint16_t> best;
  std::int32_t bestDistance = 0;
  for (std::uint16_t a = 0; a < CGSolarDB::GetAsteroidCount(); ++a) {
    if (a == from || !wanted(a)) continue;
    const std::int32_t d = world.solar.GetAsteroidDistanceSquared(from, a);
    if (!best || d < bestDistance) {
      best = a;
      bestDistance = d;
    }
  }
  return best;
}

// Like SrvAiNearest, with the distance divided by the asteroid's `worth`
// (at least 1): a prize farther off may come before a poorer one near.
template <class Wanted, class Worth>
std::optional<std::uint16_t> SrvAiBestPrize(const SrvWorld& world, std::uint16_t from, Wanted&& wanted, Worth&& worth) {
  std::optional<std::uint16_t> best;
  double bestCost = 0;
  for (std::uint16_t a = 0; a < CGSolarDB::GetAsteroidCount(); ++a) {
    if (a == from || !wanted(a)) continue;
    const double cost = static_cast<double>(world.solar.GetAsteroidDistanceSquared(from, a)) / std::max(worth(a), 1);
    if (!best || cost < bestCost) {
      best = a;
      bestCost = cost;
    }
  }
  return best;
}
