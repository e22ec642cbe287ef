#include "server/ai/SrvAiSight.h"

#include <algorithm>

#include "Game/model/GAsteroid.h"
#include "Game/model/GLocation.h"
#include "Game/model/GUnit.h"
#include "Game/model/GUnitModules.h"
#include "Game/model/GZone.h"
#include "server/ai/SrvChapterState.h"
#include "server/battle/SrvSpaceBattle.h"
#include "server/world/SrvCentreZone.h"

CGUnit* SrvAiNearestEnemy(const SrvWorld& world, std::uint16_t chapter, const CGUnit& unit, bool hittable) {
  CGUnit* nearest = nullptr;
  std::uint32_t best = 0;
  const std::uint16_t at = unit.location.asteroid;
  for (std::uint16_t c = 0; c < kMaxChapters; ++c) {
    if (!world.HasChapter(c) || SrvSameSide(world, chapter, c)) continue;
    for (std::uint32_t k = 0, n = world.pieces->CountOperationalUnits(at, static_cast<std::int16_t>(c)); k < n; ++k) {
      CGUnit* u = world.pieces->GetOperationalUnitAt(at, c, static_cast<std::uint16_t>(k));
      if (u == nullptr || (hittable && !SrvAiCanHit(unit, *u))) continue;
      const std::uint32_t d = GetLocationDistanceSq(&unit.location, &u->location);
      if (nearest == nullptr || d < best) nearest = u, best = d;
    }
  }
  return nearest;
}

namespace {

// A weapon of the slot that fires in a battle: set to fire, working, with
// ammunition, and not special (faster fire than this marks a special weapon,
// which fires only by its own orders).
bool Fires(const CGUnit& unit, int slot) {
  constexpr std::uint8_t kMaxRateOfFire = 20;
  const ModuleRecord* m = SlotModule(unit.design, slot);
  if (!IsWeapon(m) || m->RateOfFire() > kMaxRateOfFire) return false;
  if (unit.modules[slot].FiringLevel() == 0 || unit.GetSlotDamagePercent(slot) >= 100) return false;
  return m->MaxAmmo() == kUnlimitedAmmo || unit.modules[slot].ammo != 0;
}

}  // namespace

bool SrvAiCanFire(const CGUnit& unit) {
  if (unit.GetAttackStrength() <= 0) return false;
  for (int s = 1; s < kUnitSlots; ++s)
    if (Fires(unit, s)) return true;
  return false;
}

bool SrvAiCanHit(const CGUnit& unit, const CGUnit& target) {
  if (unit.GetAttackStrength() <= 0) return false;
  for (int s = 1; s < kUnitSlots; ++s)
    if (Fires(unit, s) && unit.GetHitChanceAgainst(s, &target) >= unit.targeting[4] &&
        SrvHitHurts(unit, s, target, true))
      return true;
  return false;
}

bool SrvAiInReach(const CGUnit& unit, const CGUnit& target) {
  if (target.location.asteroid != unit.location.asteroid || unit.GetAttackStrength() <= 0) return false;
  const std::uint32_t d = GetLocationDistanceSq(&unit.location, &target.location);
  for (int s = 1; s < kUnitSlots; ++s)
    if (Fires(unit, s) && d <= unit.GetWeaponRangeSq(s) && SrvShotChance(unit, s, target) >= unit.targeting[4] &&
        SrvHitHurts(unit, s, target, d <= unit.GetWeaponEffectiveRangeSq(s)))
      return true;
  return false;
}

bool SrvAiBombardReaches(const CGUnit& unit, const CGUnit& target) {
  const int slot = SrvSpecialSlot(unit, kSpecialBombard);
  return slot >= 0 && target.location.asteroid == unit.location.asteroid &&
         GetLocationDistanceSq(&unit.location, &target.location) <= unit.GetWeaponRangeSq(slot);
}

std::vector<std::uint16_t> SrvAiFreeZones(const SrvWorld& world, std::uint16_t asteroid) {
  std::vector<std::uint16_t> zones;
  if (const CGAsteroid* a = world.solar.GetAsteroid(asteroid))
    for (std::uint16_t z = 0; z < a->GetZoneCount(); ++z)
      if (const CGZone* zone = a->GetZone(z);
          z != kSrvCentreZone && zone != nullptr && zone->owner == kZoneNobody && zone->atvLimit > 0)
        zones.push_back(z);
  return zones;
}

int SrvAiZonesHeld(const SrvWorld& world, std::uint16_t asteroid, std::uint16_t chapter) {
  int held = 0;
  if (const CGAsteroid* a = world.solar.GetAsteroid(asteroid))
    for (std::uint16_t z = 0; z < a->GetZoneCount(); ++z)
      if (const CGZone* zone = a->GetZone(z); zone != nullptr && zone->owner == chapter) ++held;
  return held;
}

bool SrvAiCanSettle(const SrvWorld& world, std::uint16_t chapter, std::uint16_t asteroid) {
  const CGAsteroid* a = world.solar.GetAsteroid(asteroid);
  return a != nullptr && (a->controller == kNoChapter || a->controller == chapter) &&
         !SrvAiFreeZones(world, asteroid).empty();
}

bool SrvAiCanInvade(const SrvWorld& world, std::uint16_t chapter, std::uint16_t asteroid) {
  const CGAsteroid* a = world.solar.GetAsteroid(asteroid);
  return a != nullptr && a->controller < kMaxChapters && !SrvSameSide(world, chapter, a->controller) &&
         !SrvAiFreeZones(world, asteroid).empty();
}

bool SrvAiEnemyAtvsAt(const SrvWorld& world, std::uint16_t chapter, std::uint16_t asteroid) {
  const CGAsteroid* a = world.solar.GetAsteroid(asteroid);
  for (std::uint16_t z = 0; a != nullptr && z < a->GetZoneCount(); ++z) {
    const CGZone* zone = a->GetZone(z);
    if (zone == nullptr || zone->owner >= kMaxChapters || SrvSameSide(world, chapter, zone->owner)) continue;
    for (std::uint8_t n : zone->atvCounts)
      if (n != 0) return true;
  }
  return false;
}
