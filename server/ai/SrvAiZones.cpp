// A computer chapter's work on the surfaces of its asteroids (SrvAiPlan.h).
#include <algorithm>

#include "Game/model/GAsteroid.h"
#include "Game/model/GChapter.h"
#include "Game/model/GZone.h"
#include "Game/rules/GGameVar.h"
#include "server/ai/SrvAiOrders.h"
#include "server/ai/SrvAiPlan.h"
#include "server/ai/SrvChapterState.h"
#include "server/world/SrvCentreZone.h"

namespace {

// A neighbour of `zone` for which `wanted` holds, or -1.
template <class Wanted>
int Neighbour(const CGAsteroid& a, std::uint16_t zone, Wanted&& wanted) {
  for (std::uint16_t z = 0; z < a.GetZoneCount(); ++z)
    if (z != zone && a.AreZonesAdjacent(zone, z) != 0 && wanted(*a.GetZone(z))) return z;
  return -1;
}

bool EnemyZone(const SrvAiPlan& plan, const CGZone& z) {
  return SrvZoneTakesAtvKind(z.index, ATV_COMBAT) && z.owner < kMaxChapters &&
         !SrvSameSide(plan.world, plan.chapter, z.owner);
}

int ZoneAtvs(const CGZone& z) {
  return z.atvCounts[ATV_COMBAT] + z.atvCounts[ATV_MINING] + z.atvCounts[ATV_POWER] + z.atvCounts[ATV_SEED_BANK];
}

// What a zone's holders fire back with, in the terrain battle's odds: a
// combat ATV hits three times as often as another kind, a facility twice.
int Defence(const CGZone& z) {
  int facilities = 0;
  for (std::uint32_t bits = z.facilities; bits != 0; bits &= bits - 1) ++facilities;
  return 3 * z.atvCounts[ATV_COMBAT] + ZoneAtvs(z) - z.atvCounts[ATV_COMBAT] + 2 * facilities;
}

// The weakest neighbouring enemy zone that `combat` ATVs outgun, else -1.
int WeakestNeighbour(const SrvAiPlan& plan, const CGAsteroid& a, std::uint16_t zone, int combat) {
  int best = -1, bestDefence = 0;
  for (std::uint16_t z = 0; z < a.GetZoneCount(); ++z) {
    const CGZone* other = a.GetZone(z);
    if (z == zone || other == nullptr || a.AreZonesAdjacent(zone, z) == 0 || !EnemyZone(plan, *other)) continue;
    const int defence = Defence(*other);
    // An empty zone (a facility alone) falls without a fight.
    if ((ZoneAtvs(*other) != 0 && defence >= 3 * combat) || (best >= 0 && defence >= bestDefence)) continue;
    best = z, bestDefence = defence;
  }
  return best;
}

bool Attack(SrvAiPlan& plan, const CGAsteroid& a, const CGZone& zone) {
  const std::uint8_t combat = zone.atvCounts[ATV_COMBAT];
  if (plan.level.aggression <= 0 || combat == 0) return false;
  // Combat ATVs alone in their zone keep one back to hold it: a zone they
  // leave comes free, and on an asteroid taken by a landing that hands its
  // control back. Thrown at the first enemy neighbour whatever held it,
  // average's took land and lost it again (it ended behind easy's, which
  // never attack, in 5 of 16 default mixed games).
  const bool alone = ZoneAtvs(zone) == combat && zone.facilities == 0;
  const int sent = alone ? combat - 1 : combat;
  const int target = sent > 0 ? WeakestNeighbour(plan, a, zone.index, sent) : -1;
  if (target < 0) return false;
  plan.orders.push_back(SrvAiZoneMove(plan.chapter, a.id, zone.index, static_cast<std::uint16_t>(target), ATV_COMBAT,
                                      static_cast<std::uint8_t>(std::min(sent, 127)), true));
  return true;
}

bool BuildFacility(SrvAiPlan& plan, const CGAsteroid& a, const CGZone& zone, std::uint32_t facility,
                   std::uint8_t cost) {
  // One mining ATV stays behind to work the zone.
  if ((zone.facilities & facility) != 0 || zone.atvCounts[ATV_MINING] <= cost) return false;
  plan.orders.push_back(SrvAiZoneFacility(plan.chapter, a.id, zone.index, facility));
  return true;
}

bool Spread(SrvAiPlan& plan, const CGAsteroid& a, const CGZone& zone) {
  if (zone.atvCounts[ATV_MINING] < 2) return false;
  const int target = Neighbour(a, zone.index, [](const CGZone& z) {
    return SrvZoneTakesAtvKind(z.index, ATV_MINING) && z.owner == kZoneNobody && z.atvLimit > 0;
  });
  if (target < 0) return false;
  plan.orders.push_back(
      SrvAiZoneMove(plan.chapter, a.id, zone.index, static_cast<std::uint16_t>(target), ATV_MINING, 1, false));
  return true;
}

}  // namespace

void SrvAiWorkZones(SrvAiPlan& plan) {
  const std::uint16_t home = plan.world.Chapter(plan.chapter)->homeAsteroid;
  for (std::uint16_t i = 0; i < CGSolarDB::GetAsteroidCount(); ++i) {
    const CGAsteroid* a = plan.world.solar.GetAsteroid(i);
    if (a == nullptr) continue;
    bool storeOrdered = i == home || plan.world.poolDB.GetStorageFacilities(i) != 0 || a->owner != plan.chapter;
    for (std::uint16_t z = 0; z < a->GetZoneCount(); ++z) {
      const CGZone* zone = a->GetZone(z);
      if (zone == nullptr || zone->owner != plan.chapter) continue;
      if (Attack(plan, *a, *zone)) continue;
      if (!storeOrdered && BuildFacility(plan, *a, *zone, FACILITY_STORAGE, g_gameVariables.costStorageFacility)) {
        storeOrdered = true;
        continue;
      }
      if (SrvAiWorthMining(plan.world, plan.plenty, i) &&
          BuildFacility(plan, *a, *zone, FACILITY_MINING, g_gameVariables.costMiningFacility))
        continue;
      Spread(plan, *a, *zone);
    }
  }
}
