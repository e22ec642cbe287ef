#include <algorithm>
#include <array>

#include "Game/model/GAsteroid.h"
#include "Game/model/GChapter.h"
#include "Game/model/GUnit.h"
#include "Game/model/GZone.h"
#include "Game/rules/GTemplateDB.h"
#include "Game/rules/GUnitTem.h"
#include "server/ai/SrvAiOrders.h"
#include "server/ai/SrvAiPlan.h"
#include "server/ai/SrvAiSight.h"
#include "server/ai/SrvChapterState.h"

namespace {

// ATVs built in one order: a hold's worth, at most this many.
constexpr int kAtvsPerBuild = 4;
// Workers kept besides one per this many asteroids controlled.
constexpr int kBaseWorkers = 2;
constexpr int kAsteroidsPerWorker = 4;

bool IsWorker(const CGUnitTemplate& d) { return d.construction > 0 || d.atvCapacity > 0; }
bool IsWarship(const CGUnitTemplate& d) { return d.attack > 0 && d.deepThrust > 0; }

bool Reachable(CGUnit& unit, std::uint16_t asteroid) {
  std::int32_t failure = 0;
  return unit.GetTurnsToAsteroid(asteroid, &failure) < kUnreachable;
}

void Give(SrvAiPlan& plan, SrvPacket packet) { plan.orders.push_back(std::move(packet)); }

// A design of the kind the chapter is short of that its pool here affords.
const CGUnitTemplate* ChooseDesign(SrvAiPlan& plan, std::uint16_t asteroid) {
  const int controlled = SrvControlledAsteroids(plan.world, plan.chapter);
  const bool wantWorker = plan.workers < kBaseWorkers + controlled / kAsteroidsPerWorker;
  std::vector<const CGUnitTemplate*> fitting, other;
  for (int slot = 0; slot < kFixedTemplateSlots; ++slot) {
    const CGUnitTemplate* d = plan.world.templates->GetTemplate(plan.chapter, slot, 1);
    if (d == nullptr || d->hull == nullptr || !plan.budget.Affords(asteroid, SrvAiDesignCost(*d))) continue;
    if (!IsWorker(*d) && !IsWarship(*d)) continue;
    (wantWorker == IsWorker(*d) ? fitting : other).push_back(d);
  }
  const auto& from = fitting.empty() ? other : fitting;
  if (from.empty()) return nullptr;
  return from[static_cast<std::size_t>(plan.rng.Range(0, static_cast<int>(from.size()) - 1))];
}

bool BuildShip(SrvAiPlan& plan, CGUnit& unit) {
  if (plan.units >= plan.level.fleetLimit) return false;
  const CGUnitTemplate* design = ChooseDesign(plan, unit.location.asteroid);
  if (design == nullptr) return false;
  plan.budget.Spend(unit.location.asteroid, SrvAiDesignCost(*design));
  ++plan.units;
  if (IsWorker(*design)) ++plan.workers;
  Give(plan, SrvAiBuildShipOrder(unit, *design));
  return true;
}

bool BuildAtvs(SrvAiPlan& plan, CGUnit& unit) {
  const int room = std::min(unit.GetFreeAtvCapacity(), kAtvsPerBuild);
  if (room <= 0) return false;
  // A chapter that goes to war takes one combat ATV along in each load.
  const int combat = plan.level.aggression > 0 && room >= 2 ? 1 : 0;
  const std::array<std::uint8_t, kAtvKinds> counts{static_cast<std::uint8_t>(combat),
                                                   static_cast<std::uint8_t>(room - combat), 0, 0};
  const SrvAiCost cost = SrvAiAtvCost(counts);
  if (!plan.budget.Affords(unit.location.asteroid, cost)) return false;
  plan.budget.Spend(unit.location.asteroid, cost);
  Give(plan, SrvAiBuildAtvsOrder(unit, counts));
  return true;
}

// One ATV a free zone, mining ones first, as far as the hold goes.
bool LandAtvs(SrvAiPlan& plan, CGUnit& unit) {
  if (!SrvAiCanSettle(plan.world, plan.chapter, unit.location.asteroid)) return false;
  LandingBlock landing;
  std::array<int, kAtvKinds> left{};
  for (int kind = 0; kind < kAtvKinds; ++kind) left[kind] = unit.atvCargo[static_cast<std::size_t>(kind)];
  constexpr int kOrder[kAtvKinds] = {ATV_MINING, ATV_POWER, ATV_COMBAT, ATV_SEED_BANK};
  bool any = false;
  for (std::uint16_t zone : SrvAiFreeZones(plan.world, unit.location.asteroid))
    for (int kind : kOrder)
      if (left[kind] > 0) {
        --left[kind];
        landing.Count(kind, zone) = 1;
        any = true;
        break;
      }
  if (any) Give(plan, SrvAiLandAtvsOrder(unit, landing));
  return any;
}

bool GoSettle(SrvAiPlan& plan, CGUnit& unit) {
  const auto target = SrvAiNearest(plan.world, unit.location.asteroid, [&](std::uint16_t a) {
    return SrvAiCanSettle(plan.world, plan.chapter, a) &&
           std::find(plan.settling.begin(), plan.settling.end(), a) == plan.settling.end() && Reachable(unit, a);
  });
  if (!target) return false;
  plan.settling.push_back(*target);
  Give(plan, SrvAiMoveOrder(unit, *target));
  return true;
}

bool SetOut(SrvAiPlan& plan, CGUnit& unit) {
  if (plan.level.aggression <= 0 || plan.rng.Range(1, 100) > plan.level.aggression) return false;
  const auto target = SrvAiNearest(plan.world, unit.location.asteroid, [&](std::uint16_t a) {
    const CGAsteroid* asteroid = plan.world.solar.GetAsteroid(a);
    return asteroid != nullptr && asteroid->controller < kMaxChapters &&
           !SrvSameSide(plan.world, plan.chapter, asteroid->controller) && Reachable(unit, a);
  });
  if (!target) return false;
  Give(plan, SrvAiMoveOrder(unit, *target));
  return true;
}

// An armed unit fights the nearest enemy where it stands, closing in first
// when its weapons do not reach: a unit that waits out of range would keep
// both sides in a battle without a shot.
bool Fight(SrvAiPlan& plan, CGUnit& unit) {
  if (unit.GetAttackStrength() <= 0) return false;
  const CGUnit* enemy = SrvAiNearestEnemy(plan.world, plan.chapter, unit);
  if (enemy == nullptr) return false;
  if (SrvAiInReach(unit, *enemy))
    Give(plan, SrvAiAttackOrder(unit, *enemy));
  else if (unit.GetSpeed() > 0)
    Give(plan, SrvAiApproachOrder(unit, *enemy));
  else
    return false;
  return true;
}

// A worker with nothing to do away from home goes back to its pool; so does
// any unit that cannot fire where an enemy stands, which would otherwise sit
// in a battle without a shot turn after turn.
void ReturnHome(SrvAiPlan& plan, CGUnit& unit) {
  const CGChapter* self = plan.world.Chapter(plan.chapter);
  if (self == nullptr || unit.location.asteroid == self->homeAsteroid || !Reachable(unit, self->homeAsteroid)) return;
  const bool worker = unit.GetTemplate() != nullptr && IsWorker(*unit.GetTemplate());
  if (worker || SrvAiNearestEnemy(plan.world, plan.chapter, unit) != nullptr)
    Give(plan, SrvAiMoveOrder(unit, self->homeAsteroid));
}

bool CarriesAtvs(const CGUnit& unit) {
  return std::any_of(unit.atvCargo.begin(), unit.atvCargo.end(), [](std::uint8_t n) { return n != 0; });
}

}  // namespace

void SrvAiCommandUnit(SrvAiPlan& plan, CGUnit& unit) {
  const std::uint16_t at = unit.location.asteroid;
  if (at >= CGSolarDB::GetAsteroidCount()) {
    // Stranded in solar space: home.
    const CGChapter* self = plan.world.Chapter(plan.chapter);
    if (self != nullptr && Reachable(unit, self->homeAsteroid)) Give(plan, SrvAiMoveOrder(unit, self->homeAsteroid));
    return;
  }
  if (Fight(plan, unit)) return;
  if (CarriesAtvs(unit) && (LandAtvs(plan, unit) || GoSettle(plan, unit))) return;
  if (unit.GetConstructionCapacity() > 0 && (BuildShip(plan, unit) || BuildAtvs(plan, unit))) return;
  if (unit.GetAttackStrength() > 0 && SetOut(plan, unit)) return;
  ReturnHome(plan, unit);
}
