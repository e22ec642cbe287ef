#include <algorithm>
#include <array>
#include <optional>

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

bool IsWorker(const CGUnitTemplate& d) { return d.construction > 0 || d.atvCapacity > 0; }
bool IsWarship(const CGUnitTemplate& d) { return d.attack > 0 && d.deepThrust > 0; }

bool Reachable(CGUnit& unit, std::uint16_t asteroid) {
  std::int32_t failure = 0;
  return unit.GetTurnsToAsteroid(asteroid, &failure) < kUnreachable;
}

void Give(SrvAiPlan& plan, SrvPacket packet) { plan.orders.push_back(std::move(packet)); }

// A design of the kind the chapter is short of that its pool here affords.
const CGUnitTemplate* ChooseDesign(SrvAiPlan& plan, std::uint16_t asteroid, bool defend) {
  const int controlled = SrvControlledAsteroids(plan.world, plan.chapter);
  const bool wantWorker =
      !defend && plan.workers < plan.level.baseWorkers + controlled / std::max(plan.level.asteroidsPerWorker, 1);
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

bool ArmedHere(const SrvAiPlan& plan, const CGUnit& unit) {
  const std::uint16_t at = unit.location.asteroid;
  for (std::uint16_t k = 0; const CGUnit* u = plan.world.pieces->GetOperationalUnitAt(at, plan.chapter, k); ++k)
    // A warship that cannot fire yet counts: building more of the same
    // would not help.
    if (SrvAiCanFire(*u) || (u->GetTemplate() != nullptr && IsWarship(*u->GetTemplate()))) return true;
  return false;
}

int FleetLimit(const SrvAiPlan& plan) {
  return plan.level.fleetLimit + plan.level.fleetPerAsteroid * SrvControlledAsteroids(plan.world, plan.chapter);
}

// A ship while the fleet is short; a warship whatever the fleet when an
// enemy stands where the builder is and nothing of the chapter there is
// armed (else the two would sit in a battle without a shot).
bool BuildShip(SrvAiPlan& plan, CGUnit& unit) {
  const bool defend = SrvAiNearestEnemy(plan.world, plan.chapter, unit) != nullptr && !ArmedHere(plan, unit);
  if (!defend && plan.units >= FleetLimit(plan)) return false;
  const CGUnitTemplate* design = ChooseDesign(plan, unit.location.asteroid, defend);
  if (design == nullptr) return false;
  plan.budget.Spend(unit.location.asteroid, SrvAiDesignCost(*design));
  ++plan.units;
  if (IsWorker(*design)) ++plan.workers;
  Give(plan, SrvAiBuildShipOrder(unit, *design));
  return true;
}

// An asteroid the chapter may settle that the unit can reach, other than where it stands.
std::optional<std::uint16_t> SettleTarget(SrvAiPlan& plan, CGUnit& unit) {
  return SrvAiNearest(plan.world, unit.location.asteroid, [&](std::uint16_t a) {
    return SrvAiCanSettle(plan.world, plan.chapter, a) &&
           std::find(plan.settling.begin(), plan.settling.end(), a) == plan.settling.end() && Reachable(unit, a);
  });
}

// An enemy asteroid with a free zone the unit can reach, when the level invades.
std::optional<std::uint16_t> InvasionTarget(SrvAiPlan& plan, CGUnit& unit) {
  if (!plan.level.invades) return std::nullopt;
  return SrvAiNearest(plan.world, unit.location.asteroid, [&](std::uint16_t a) {
    return SrvAiCanInvade(plan.world, plan.chapter, a) && Reachable(unit, a);
  });
}

bool BuildAtvs(SrvAiPlan& plan, CGUnit& unit) {
  const int room = std::min(unit.GetFreeAtvCapacity(), plan.level.atvsPerLoad);
  if (room <= 0) return false;
  // A chapter that goes to war takes one combat ATV along in each load; one
  // that invades loads nothing else once no asteroid is left to settle.
  const bool invading = plan.level.invades && !SettleTarget(plan, unit) && InvasionTarget(plan, unit);
  const int combat = invading ? room : plan.level.aggression > 0 && room >= 2 ? 1 : 0;
  const std::array<std::uint8_t, kAtvKinds> counts{static_cast<std::uint8_t>(combat),
                                                   static_cast<std::uint8_t>(room - combat), 0, 0};
  const SrvAiCost cost = SrvAiAtvCost(counts);
  if (!plan.budget.Affords(unit.location.asteroid, cost)) return false;
  plan.budget.Spend(unit.location.asteroid, cost);
  Give(plan, SrvAiBuildAtvsOrder(unit, counts));
  return true;
}

// One ATV a free zone, as far as the hold goes: mining ones first where the
// chapter settles; combat ones first on an enemy's asteroid, where each zone
// held counts towards its control and the combat ATVs go on against the
// enemy's zones.
bool LandAtvs(SrvAiPlan& plan, CGUnit& unit) {
  const std::uint16_t at = unit.location.asteroid;
  const bool settle = SrvAiCanSettle(plan.world, plan.chapter, at);
  if (!settle && !(plan.level.invades && SrvAiCanInvade(plan.world, plan.chapter, at))) return false;
  LandingBlock landing;
  std::array<int, kAtvKinds> left{};
  for (int kind = 0; kind < kAtvKinds; ++kind) left[kind] = unit.atvCargo[static_cast<std::size_t>(kind)];
  constexpr int kSettleOrder[kAtvKinds] = {ATV_MINING, ATV_POWER, ATV_COMBAT, ATV_SEED_BANK};
  constexpr int kInvadeOrder[kAtvKinds] = {ATV_COMBAT, ATV_MINING, ATV_POWER, ATV_SEED_BANK};
  const int* kOrder = settle ? kSettleOrder : kInvadeOrder;
  bool any = false;
  for (std::uint16_t zone : SrvAiFreeZones(plan.world, at))
    for (int k = 0; k < kAtvKinds; ++k)
      if (const int kind = kOrder[k]; left[kind] > 0) {
        --left[kind];
        landing.Count(kind, zone) = 1;
        any = true;
        break;
      }
  if (any) Give(plan, SrvAiLandAtvsOrder(unit, landing));
  return any;
}

bool GoSettle(SrvAiPlan& plan, CGUnit& unit) {
  auto target = SettleTarget(plan, unit);
  if (!target && unit.atvCargo[ATV_COMBAT] != 0) target = InvasionTarget(plan, unit);
  if (!target) return false;
  plan.settling.push_back(*target);
  Give(plan, SrvAiMoveOrder(unit, *target));
  return true;
}

// While the chapter still has asteroids to settle within their reach, the
// level's guards for each asteroid it controls stay to guard them; the
// others, and all once nothing is left to settle, go to war.
bool SetOut(SrvAiPlan& plan, CGUnit& unit) {
  if (plan.level.aggression <= 0 || plan.rng.Range(1, 100) > plan.level.aggression) return false;
  const int guards = plan.level.guardsPerAsteroid * SrvControlledAsteroids(plan.world, plan.chapter);
  if (plan.warships <= guards && SettleTarget(plan, unit)) return false;
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
  if (!SrvAiCanFire(unit)) return false;
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

// Whether the unit has drives and the power for a move's step (its drives'
// use eight times over, as the intake reckons a move).
bool CanMove(const CGUnit& unit) {
  const auto step = static_cast<std::int64_t>(unit.GetModulePowerUse(MODULE_PROPULSION, kAllSlots, kAllSlots)) * 8;
  return unit.GetSpeed() > 0 && std::int64_t{unit.power} + unit.GetPowerGeneration() >= step;
}

// A worker with nothing to do away from home goes back to its pool; so does
// any unit that cannot fire where an enemy stands, which would otherwise sit
// in a battle without a shot turn after turn. One that can neither fire nor
// leave destroys itself.
void ReturnHome(SrvAiPlan& plan, CGUnit& unit) {
  const CGChapter* self = plan.world.Chapter(plan.chapter);
  if (self == nullptr || unit.location.asteroid == self->homeAsteroid) return;
  const bool canGo = CanMove(unit) && Reachable(unit, self->homeAsteroid);
  if (SrvAiNearestEnemy(plan.world, plan.chapter, unit) != nullptr)
    Give(plan, canGo ? SrvAiMoveOrder(unit, self->homeAsteroid) : SrvAiSelfDestructOrder(unit));
  else if (canGo && unit.GetTemplate() != nullptr && IsWorker(*unit.GetTemplate()))
    Give(plan, SrvAiMoveOrder(unit, self->homeAsteroid));
}

bool CarriesAtvs(const CGUnit& unit) {
  return std::any_of(unit.atvCargo.begin(), unit.atvCargo.end(), [](std::uint8_t n) { return n != 0; });
}

}  // namespace

void SrvAiCommandUnit(SrvAiPlan& plan, CGUnit& unit) {
  const std::uint16_t at = unit.location.asteroid;
  if (at >= CGSolarDB::GetAsteroidCount()) {
    // Stranded in solar space: home, or destroyed when it cannot move.
    const CGChapter* self = plan.world.Chapter(plan.chapter);
    if (!CanMove(unit))
      Give(plan, SrvAiSelfDestructOrder(unit));
    else if (self != nullptr && Reachable(unit, self->homeAsteroid))
      Give(plan, SrvAiMoveOrder(unit, self->homeAsteroid));
    return;
  }
  if (Fight(plan, unit)) return;
  if (CarriesAtvs(unit) && (LandAtvs(plan, unit) || GoSettle(plan, unit))) return;
  if (unit.GetConstructionCapacity() > 0 && (BuildShip(plan, unit) || BuildAtvs(plan, unit))) return;
  if (SrvAiCanFire(unit) && SetOut(plan, unit)) return;
  ReturnHome(plan, unit);
}
