#include <algorithm>
#include <array>
#include <optional>

#include "Game/model/GAsteroid.h"
#include "Game/model/GChapter.h"
#include "Game/model/GLocation.h"
#include "Game/model/GUnit.h"
#include "Game/model/GZone.h"
#include "Game/rules/GTemplateDB.h"
#include "Game/rules/GUnitTem.h"
#include "server/ai/SrvAiOrders.h"
#include "server/ai/SrvAiPlan.h"
#include "server/ai/SrvAiSight.h"
#include "server/ai/SrvChapterState.h"
#include "server/world/SrvCentreZone.h"

namespace {

bool IsWorker(const CGUnitTemplate& d) { return d.construction > 0 || d.atvCapacity > 0; }
bool IsWarship(const CGUnitTemplate& d) { return d.attack > 0 && d.deepThrust > 0; }

bool Reachable(CGUnit& unit, std::uint16_t asteroid) {
  std::int32_t failure = 0;
  return unit.GetTurnsToAsteroid(asteroid, &failure) < kUnreachable;
}

// Whether the unit has drives and the power for a move's step (its drives'
// use eight times over, as the intake reckons a move).
bool CanMove(const CGUnit& unit) {
  const auto step = static_cast<std::int64_t>(unit.GetModulePowerUse(MODULE_PROPULSION, kAllSlots, kAllSlots)) * 8;
  return unit.GetSpeed() > 0 && std::int64_t{unit.power} + unit.GetPowerGeneration() >= step;
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

// A pool that would pay for a warship this many times over is more than
// the chapter needs to keep: it builds one before it loads ATVs.
constexpr std::uint32_t kRichTimes = 5;

std::uint32_t Price(const SrvAiCost& cost) {
  std::uint32_t sum = 0;
  for (std::uint32_t c : cost) sum += c;
  return sum;
}

// The dearest warship the pool here would pay for `times` over: what a
// chapter past its fleet limit builds with minerals it does not need.
const CGUnitTemplate* SurplusWarship(SrvAiPlan& plan, std::uint16_t asteroid, std::uint32_t times) {
  const CGUnitTemplate* best = nullptr;
  for (int slot = 0; slot < kFixedTemplateSlots; ++slot) {
    const CGUnitTemplate* d = plan.world.templates->GetTemplate(plan.chapter, slot, 1);
    if (d == nullptr || d->hull == nullptr || !IsWarship(*d)) continue;
    SrvAiCost reserve = SrvAiDesignCost(*d);
    for (std::uint32_t& c : reserve) c *= times;
    if (!plan.budget.Affords(asteroid, reserve)) continue;
    if (best == nullptr || Price(SrvAiDesignCost(*d)) > Price(SrvAiDesignCost(*best))) best = d;
  }
  return best;
}

bool ArmedAt(const SrvAiPlan& plan, std::uint16_t at) {
  for (std::uint16_t k = 0; const CGUnit* u = plan.world.pieces->GetOperationalUnitAt(at, plan.chapter, k); ++k)
    // A warship that cannot fire yet counts: building more of the same
    // would not help.
    if (SrvAiCanFire(*u) || (u->GetTemplate() != nullptr && IsWarship(*u->GetTemplate()))) return true;
  return false;
}

bool ArmedHere(const SrvAiPlan& plan, const CGUnit& unit) { return ArmedAt(plan, unit.location.asteroid); }

int FleetLimit(const SrvAiPlan& plan) {
  return plan.level.fleetLimit + plan.level.fleetPerAsteroid * SrvControlledAsteroids(plan.world, plan.chapter);
}

void Ordered(SrvAiPlan& plan, CGUnit& unit, const CGUnitTemplate& design) {
  plan.budget.Spend(unit.location.asteroid, SrvAiDesignCost(design));
  ++plan.units;
  if (IsWorker(design)) ++plan.workers;
  Give(plan, SrvAiBuildShipOrder(unit, design));
}

// A ship while the fleet is short; a warship whatever the fleet when an
// enemy stands where the builder is and nothing of the chapter there is
// armed (else the two would sit in a battle without a shot).
bool BuildShip(SrvAiPlan& plan, CGUnit& unit) {
  const bool defend = SrvAiNearestEnemy(plan.world, plan.chapter, unit) != nullptr && !ArmedHere(plan, unit);
  if (!defend && plan.units >= FleetLimit(plan)) return false;
  const CGUnitTemplate* design = ChooseDesign(plan, unit.location.asteroid, defend);
  if (design == nullptr) return false;
  Ordered(plan, unit, *design);
  return true;
}

// Past the fleet limit, a builder spends a surplus on warships, up to the
// level's cap: a pool `times` the warship's price over.
bool BuildSurplus(SrvAiPlan& plan, CGUnit& unit, std::uint32_t times) {
  const int cap =
      plan.level.fleetCap + plan.level.fleetCapPerAsteroid * SrvControlledAsteroids(plan.world, plan.chapter);
  if (plan.units >= cap) return false;
  const CGUnitTemplate* design = SurplusWarship(plan, unit.location.asteroid, times);
  if (design == nullptr) return false;
  Ordered(plan, unit, *design);
  return true;
}

// An asteroid the chapter may settle that the unit can reach, other than where it stands;
// for a hold of miners alone, at a level that frees mined zones, only land worth mining.
std::optional<std::uint16_t> SettleTarget(SrvAiPlan& plan, CGUnit& unit) {
  const bool minersOnly = plan.level.freesMinedZones && unit.atvCargo[ATV_MINING] != 0 &&
                          unit.atvCargo[ATV_POWER] == 0 && unit.atvCargo[ATV_SEED_BANK] == 0 &&
                          unit.atvCargo[ATV_COMBAT] == 0;
  return SrvAiNearest(plan.world, unit.location.asteroid, [&](std::uint16_t a) {
    return SrvAiCanSettle(plan.world, plan.chapter, a) &&
           (!minersOnly || SrvAiWorthMining(plan.world, plan.plenty, a)) &&
           std::find(plan.settling.begin(), plan.settling.end(), a) == plan.settling.end() && Reachable(unit, a);
  });
}

// An asteroid nobody controls with a free zone the unit can reach: new land
// comes before war.
std::optional<std::uint16_t> NewLand(SrvAiPlan& plan, CGUnit& unit) {
  return SrvAiNearest(plan.world, unit.location.asteroid, [&](std::uint16_t a) {
    const CGAsteroid* asteroid = plan.world.solar.GetAsteroid(a);
    return asteroid != nullptr && asteroid->controller == kNoChapter && SrvAiCanSettle(plan.world, plan.chapter, a) &&
           std::find(plan.settling.begin(), plan.settling.end(), a) == plan.settling.end() && Reachable(unit, a);
  });
}

// ATVs that, landed on the asteroid's free zones, would give the chapter
// more of its zones than its controller holds, and so its control; 0 when
// it has too few free zones for that.
int AtvsToTake(const SrvWorld& world, std::uint16_t chapter, std::uint16_t asteroid) {
  const CGAsteroid* a = world.solar.GetAsteroid(asteroid);
  if (a == nullptr || a->controller >= kMaxChapters) return 0;
  const int needed =
      std::max(SrvAiZonesHeld(world, asteroid, a->controller) - SrvAiZonesHeld(world, asteroid, chapter) + 1, 1);
  return needed <= static_cast<int>(SrvAiFreeZones(world, asteroid).size()) ? needed : 0;
}

struct Conquest {
  std::uint16_t asteroid = 0;
  int atvs = 0;
};

// Whether an enemy of the chapter has an operational unit at the asteroid:
// a battle would cut short a landing there, each turn anew.
bool Guarded(const SrvWorld& world, std::uint16_t chapter, std::uint16_t asteroid) {
  for (std::uint16_t c = 0; c < kMaxChapters; ++c)
    if (world.HasChapter(c) && !SrvSameSide(world, chapter, c) &&
        world.pieces->CountOperationalUnits(asteroid, static_cast<std::int16_t>(c)) > 0)
      return true;
  return false;
}

// Some mineral of the chapter's pools outlasts its income.
bool SomePlenty(const SrvAiPlan& plan) {
  return std::find(plan.plenty.begin(), plan.plenty.end(), true) != plan.plenty.end();
}

// The hold's settlers are mining ATVs alone while the chapter has minerals
// to spare: on its own land they land only where that is worth it.
bool MinersAboard(const SrvAiPlan& plan, const CGUnit& unit) {
  return unit.atvCargo[ATV_MINING] != 0 && unit.atvCargo[ATV_POWER] == 0 && unit.atvCargo[ATV_SEED_BANK] == 0 &&
         SomePlenty(plan);
}

// The chapter's mining ATVs on the asteroid, and its zones that only mining
// ATVs hold (no other kind, no facility): taking those miners off would free
// the zone.
struct Miners {
  int count = 0;
  std::vector<std::uint16_t> lone;
};

Miners MinersAt(const SrvAiPlan& plan, const CGAsteroid& a) {
  Miners miners;
  for (std::uint16_t z = 0; z < a.GetZoneCount(); ++z) {
    const CGZone* zone = a.GetZone(z);
    if (zone == nullptr || zone->owner != plan.chapter || zone->atvCounts[ATV_MINING] == 0) continue;
    miners.count += zone->atvCounts[ATV_MINING];
    const int others = zone->atvCounts[ATV_COMBAT] + zone->atvCounts[ATV_POWER] + zone->atvCounts[ATV_SEED_BANK];
    if (others == 0 && zone->facilities == 0) miners.lone.push_back(z);
  }
  return miners;
}

// Whether the chapter keeps control of the asteroid with the zones only its
// miners hold left free: another chapter holding more zones than it has left
// would take it, and the chapter's carriers land to take it back (at hard one
// asteroid changed hands between the same two chapters every three turns,
// 48 times a game, with no battle).
bool KeepsControlWithout(const SrvAiPlan& plan, const CGAsteroid& a, const Miners& miners) {
  std::array<int, kMaxChapters> held{};
  for (std::uint16_t z = 0; z < a.GetZoneCount(); ++z)
    if (const CGZone* zone = a.GetZone(z); zone != nullptr && zone->owner < kMaxChapters) ++held[zone->owner];
  const int left = held[plan.chapter] - static_cast<int>(miners.lone.size());
  for (std::uint16_t c = 0; c < kMaxChapters; ++c)
    if (c != plan.chapter && held[c] > left) return false;
  return true;
}

// The nearest asteroid the chapter controls, not worth mining, where only
// miners hold some of its zones and no enemy stands: where a hold of power
// ATVs takes the miners' place (QuietMiners).
std::optional<std::uint16_t> QuietTarget(SrvAiPlan& plan, CGUnit& unit) {
  return SrvAiNearest(plan.world, unit.location.asteroid, [&](std::uint16_t at) {
    const CGAsteroid* a = plan.world.solar.GetAsteroid(at);
    return a != nullptr && a->controller == plan.chapter && !SrvAiWorthMining(plan.world, plan.plenty, at) &&
           !MinersAt(plan, *a).lone.empty() && !Guarded(plan.world, plan.chapter, at) &&
           std::find(plan.settling.begin(), plan.settling.end(), at) == plan.settling.end() && Reachable(unit, at);
  });
}

// The nearest asteroid the chapter controls that is worth mining, with zones
// of its own, where miners taken off other land go on mining.
std::optional<std::uint16_t> MiningTarget(SrvAiPlan& plan, CGUnit& unit) {
  return SrvAiNearest(plan.world, unit.location.asteroid, [&](std::uint16_t at) {
    const CGAsteroid* a = plan.world.solar.GetAsteroid(at);
    return a != nullptr && a->controller == plan.chapter && SrvAiWorthMining(plan.world, plan.plenty, at) &&
           SrvAiZonesHeld(plan.world, at, plan.chapter) > 0 && !Guarded(plan.world, plan.chapter, at) &&
           Reachable(unit, at);
  });
}

// Whether the unit may make for the asteroid with ATVs: no enemy's unit
// stands there, or the unit can fire on every one that does and none of
// them can fire back (it destroys them before it lands).
bool MayLandAt(const SrvWorld& world, std::uint16_t chapter, const CGUnit& unit, std::uint16_t asteroid) {
  if (!SrvAiCanFire(unit)) return !Guarded(world, chapter, asteroid);
  for (std::uint16_t c = 0; c < kMaxChapters; ++c) {
    if (!world.HasChapter(c) || SrvSameSide(world, chapter, c)) continue;
    for (std::uint32_t k = 0, n = world.pieces->CountOperationalUnits(asteroid, static_cast<std::int16_t>(c)); k < n;
         ++k)
      if (const CGUnit* u = world.pieces->GetOperationalUnitAt(asteroid, c, static_cast<std::uint16_t>(k));
          u != nullptr && (SrvAiCanFire(*u) || !SrvAiCanHit(unit, *u)))
        return false;
  }
  return true;
}

// A side holding this many flags, and no fewer than any other, makes for the
// rest with every warship it can spare; the others leave it the flags.
constexpr int kPushFlags = 2;

// The chapter's side is ahead in flags and makes for the rest.
bool AheadInFlags(const SrvAiPlan& plan) {
  return plan.level.prizeWeight > 1 && plan.sideFlags >= kPushFlags && plan.sideFlags >= plan.rivalFlags;
}

// The chapter's side makes for the last flags, or, at a level that does so,
// the last asteroids its imperator needs.
bool Pushing(const SrvAiPlan& plan) { return AheadInFlags(plan) || (plan.level.pushesWhenClosingIn && plan.closingIn); }

// Another side is ahead in flags: the chapter's side leaves it the flags.
bool FlagsLeft(const SrvAiPlan& plan) { return plan.rivalFlags >= kPushFlags && plan.rivalFlags > plan.sideFlags; }

// Whether the asteroid is the home of a guild's flag-bearer (its first
// member), whoever holds it now.
bool IsFlag(const SrvWorld& world, std::uint16_t asteroid) {
  for (int g = 0; g < kGuildCount; ++g)
    if (const CGChapter* bearer = world.Chapter(static_cast<std::uint16_t>(g * 8));
        bearer != nullptr && bearer->homeAsteroid == asteroid)
      return true;
  return false;
}

// What taking the asteroid is worth beside its distance: its holder's home,
// one of its holder's last two asteroids (their fall puts it out of the
// game), one where its holder has no zone left (one ATV takes it), one held
// by the weakest guild (the quarry) each multiply it by the level's weight;
// a flag-bearer's home, whoever holds it, by the weight squared when the
// flags can win the game, and once more for each flag the chapter's side
// holds while it is ahead in them; not at all while another side is ahead.
int Worth(const SrvAiPlan& plan, std::uint16_t asteroid) {
  const CGAsteroid* a = plan.world.solar.GetAsteroid(asteroid);
  const CGChapter* holder = a != nullptr ? plan.world.Chapter(a->controller) : nullptr;
  if (holder == nullptr) return 1;
  const int weight = plan.level.prizeWeight;
  int worth = 1;
  if (holder->homeAsteroid == asteroid) worth *= weight;
  if (SrvControlledAsteroids(plan.world, a->controller) <= 2) worth *= weight;
  if (SrvAiZonesHeld(plan.world, asteroid, a->controller) == 0) worth *= weight;
  if (plan.level.flagsWin && IsFlag(plan.world, asteroid) && !FlagsLeft(plan)) {
    worth *= weight * weight;
    if (AheadInFlags(plan))
      for (int f = 0; f < plan.sideFlags; ++f) worth *= weight;
  }
  if ((a->controller >> 3) == plan.quarry) worth *= weight;
  return worth;
}

// The enemy asteroid for which `wanted` holds that is nearest to the unit,
// its distance divided by its worth when the level weighs prizes.
template <class Wanted>
std::optional<std::uint16_t> Prize(const SrvAiPlan& plan, const CGUnit& unit, Wanted&& wanted) {
  if (plan.level.prizeWeight <= 1) return SrvAiNearest(plan.world, unit.location.asteroid, wanted);
  return SrvAiBestPrize(plan.world, unit.location.asteroid, wanted, [&](std::uint16_t a) { return Worth(plan, a); });
}

int Cargo(const CGUnit& unit) {
  int n = 0;
  for (std::uint8_t c : unit.atvCargo) n += c;
  return n;
}

// A hold loaded for war: more combat ATVs than mining ones, and more than
// the one a load for settling takes along (none at a level that sends no
// warships out).
bool WarLoad(const SrvAiPlan& plan, const CGUnit& unit) {
  const int alongForSettling = plan.level.aggression > 0 ? 1 : 0;
  return unit.atvCargo[ATV_COMBAT] > alongForSettling && unit.atvCargo[ATV_COMBAT] > unit.atvCargo[ATV_MINING];
}

// A level that raids rather than invades takes land only on a turn a raid
// sets out, or with the raid's load aboard.
bool Raids(const SrvAiPlan& plan, const CGUnit& unit) {
  return !plan.level.invades && plan.level.raidPercent > 0 && (plan.raiding || WarLoad(plan, unit));
}

// A raid's prize: an asteroid whose holder controls fewer asteroids than
// the chapter does, so that a raid keeps the weak weak rather than making
// the raider strong.
bool HeldByAWeakerChapter(const SrvAiPlan& plan, std::uint16_t asteroid) {
  const CGAsteroid* a = plan.world.solar.GetAsteroid(asteroid);
  return a != nullptr && a->controller < kMaxChapters &&
         SrvControlledAsteroids(plan.world, a->controller) < SrvControlledAsteroids(plan.world, plan.chapter);
}

// Whether the unit's landing may take the asteroid from its holder.
bool MayTake(const SrvAiPlan& plan, const CGUnit& unit, std::uint16_t asteroid) {
  return plan.level.invades || (Raids(plan, unit) && HeldByAWeakerChapter(plan, asteroid));
}

// The enemy asteroid the unit can reach that a landing of at most `atvs`
// ATVs would take at once, when the level invades or raids (MayTake): the
// nearest, or the best prize (Worth).
std::optional<Conquest> ConquestTarget(SrvAiPlan& plan, CGUnit& unit, int atvs) {
  if (!plan.level.invades && !Raids(plan, unit)) return std::nullopt;
  const auto wanted = [&](std::uint16_t a) {
    const int needed = AtvsToTake(plan.world, plan.chapter, a);
    return needed > 0 && needed <= atvs && MayTake(plan, unit, a) && SrvAiCanInvade(plan.world, plan.chapter, a) &&
           MayLandAt(plan.world, plan.chapter, unit, a) && Reachable(unit, a);
  };
  const auto target = Prize(plan, unit, wanted);
  if (!target) return std::nullopt;
  return Conquest{*target, AtvsToTake(plan.world, plan.chapter, *target)};
}

// An enemy asteroid with a free zone the unit can reach: the nearest that
// `atvs` would take at once, else, when the level invades, the nearest.
std::optional<std::uint16_t> InvasionTarget(SrvAiPlan& plan, CGUnit& unit, int atvs) {
  if (const auto conquest = ConquestTarget(plan, unit, atvs)) return conquest->asteroid;
  if (!plan.level.invades) return std::nullopt;
  return SrvAiNearest(plan.world, unit.location.asteroid, [&](std::uint16_t a) {
    return SrvAiCanInvade(plan.world, plan.chapter, a) && MayLandAt(plan.world, plan.chapter, unit, a) &&
           Reachable(unit, a);
  });
}

// With `warOnly`, only the combat ATVs of a landing that takes an enemy's
// asteroid are loaded.
bool BuildAtvs(SrvAiPlan& plan, CGUnit& unit, bool warOnly) {
  const int free = unit.GetFreeAtvCapacity();
  if (free <= 0) return false;
  // A chapter that goes to war takes one combat ATV along in each load; one
  // that invades, when an enemy asteroid that a landing would take at once
  // (outnumbering the holder's zones) is nearer than any new land (its own
  // asteroids' free zones wait), loads the combat ATVs that take it, or as
  // many of them as its pool pays for.
  // Where its armed units already hold the space above the asteroid, or it
  // is a flag its side, ahead in flags, still needs, the landing goes ahead
  // whatever new land lies nearer.
  std::optional<Conquest> conquest = ConquestTarget(plan, unit, free);
  if (conquest && !ArmedAt(plan, conquest->asteroid) &&
      !(AheadInFlags(plan) && IsFlag(plan.world, conquest->asteroid))) {
    const auto land = NewLand(plan, unit);
    const std::uint16_t at = unit.location.asteroid;
    if (land && plan.world.solar.GetAsteroidDistanceSquared(at, *land) <=
                    plan.world.solar.GetAsteroidDistanceSquared(at, conquest->asteroid))
      conquest.reset();
  }
  const bool invading = conquest.has_value();
  if (warOnly && !invading) return false;
  // Settlers hold their zones with power ATVs, which mine nothing, when the
  // land they would settle next yields mostly minerals the chapter's pools
  // already outlast its income in.
  bool power = plan.mineralsToSpare;
  if (!power && !invading && SomePlenty(plan)) {
    const auto land = SettleTarget(plan, unit);
    power = land ? !SrvAiWorthMining(plan.world, plan.plenty, *land) : QuietTarget(plan, unit).has_value();
  }
  const int load = !invading                   ? std::min(free, plan.level.atvsPerLoad)
                   : plan.level.massesLandings ? free
                                               : conquest->atvs;
  for (int room = load; room > 0; --room) {
    const int combat = invading ? room : plan.level.aggression > 0 && room >= 2 ? 1 : 0;
    const auto settlers = static_cast<std::uint8_t>(room - combat);
    const std::array<std::uint8_t, kAtvKinds> counts{
        static_cast<std::uint8_t>(combat), power ? std::uint8_t{0} : settlers, power ? settlers : std::uint8_t{0}, 0};
    const SrvAiCost cost = SrvAiAtvCost(counts);
    if (!plan.budget.Affords(unit.location.asteroid, cost)) {
      if (!invading) return false;
      continue;
    }
    plan.budget.Spend(unit.location.asteroid, cost);
    Give(plan, SrvAiBuildAtvsOrder(unit, counts));
    return true;
  }
  return false;
}

// One ATV a free zone, as far as the hold goes: mining ones first where the
// chapter settles land worth mining, power ones first on other land (no
// mining ones at all on such land it already controls, nor, at a level that
// frees mined zones, on any: miners taken off it are not landed there
// again); combat ones first on an enemy's asteroid,
// where each zone held counts towards its control and the combat ATVs go on
// against the enemy's zones.
bool LandAtvs(SrvAiPlan& plan, CGUnit& unit) {
  const std::uint16_t at = unit.location.asteroid;
  // A landing takes turns, which a battle cuts short: none is started where
  // an enemy's unit stands (an armed unit fights those it can hit first).
  if (Guarded(plan.world, plan.chapter, at)) return false;
  const bool settle = SrvAiCanSettle(plan.world, plan.chapter, at);
  if (!settle && !(MayTake(plan, unit, at) && SrvAiCanInvade(plan.world, plan.chapter, at))) return false;
  // A war load is not spent on land the chapter holds while war is in reach.
  if (settle && WarLoad(plan, unit) && InvasionTarget(plan, unit, Cargo(unit))) return false;
  LandingBlock landing;
  std::array<int, kAtvKinds> left{};
  for (int kind = 0; kind < kAtvKinds; ++kind) left[kind] = unit.atvCargo[static_cast<std::size_t>(kind)];
  const CGAsteroid* here = plan.world.solar.GetAsteroid(at);
  if (settle && here != nullptr && (here->controller == plan.chapter || plan.level.freesMinedZones) &&
      !SrvAiWorthMining(plan.world, plan.plenty, at))
    left[ATV_MINING] = 0;
  constexpr int kSettleOrder[kAtvKinds] = {ATV_MINING, ATV_POWER, ATV_COMBAT, ATV_SEED_BANK};
  constexpr int kHoldOrder[kAtvKinds] = {ATV_POWER, ATV_SEED_BANK, ATV_MINING, ATV_COMBAT};
  constexpr int kInvadeOrder[kAtvKinds] = {ATV_COMBAT, ATV_MINING, ATV_POWER, ATV_SEED_BANK};
  const int* kOrder = !settle                                         ? kInvadeOrder
                      : SrvAiWorthMining(plan.world, plan.plenty, at) ? kSettleOrder
                                                                      : kHoldOrder;
  bool any = false;
  std::vector<std::uint16_t> stormed;
  for (std::uint16_t zone : SrvAiFreeZones(plan.world, at))
    for (int k = 0; k < kAtvKinds; ++k)
      if (const int kind = kOrder[k]; left[kind] > 0) {
        --left[kind];
        landing.Count(kind, zone) = 1;
        if (kind == ATV_COMBAT) stormed.push_back(zone);
        any = true;
        break;
      }
  if (!settle && plan.level.massesLandings)
    for (std::size_t i = 0; !stormed.empty() && left[ATV_COMBAT] > 0; ++i, --left[ATV_COMBAT])
      ++landing.Count(ATV_COMBAT, stormed[i % stormed.size()]);
  if (any) Give(plan, SrvAiLandAtvsOrder(unit, landing));
  return any;
}

// A move the unit has no power for would fail each turn, the unit staying
// where it is.
bool GoSettle(SrvAiPlan& plan, CGUnit& unit) {
  if (!CanMove(unit)) return false;
  std::optional<std::uint16_t> target;
  if (WarLoad(plan, unit)) target = InvasionTarget(plan, unit, Cargo(unit));
  if (!target) target = SettleTarget(plan, unit);
  // Miners off other land stay where the chapter's own land is worth mining
  // (StackMiners), else make for such land; at a level that frees mined
  // zones they stay aboard for new land worth mining.
  if (!target && MinersAboard(plan, unit) && !plan.level.freesMinedZones) {
    const CGAsteroid* here = plan.world.solar.GetAsteroid(unit.location.asteroid);
    if (here != nullptr && here->controller == plan.chapter &&
        SrvAiWorthMining(plan.world, plan.plenty, unit.location.asteroid))
      return false;
    target = MiningTarget(plan, unit);
  }
  if (!target && unit.atvCargo[ATV_POWER] != 0) target = QuietTarget(plan, unit);
  if (!target && unit.atvCargo[ATV_COMBAT] != 0) target = InvasionTarget(plan, unit, Cargo(unit));
  if (!target) return false;
  plan.settling.push_back(*target);
  Give(plan, SrvAiMoveOrder(unit, *target));
  return true;
}

// When the flags can win the game, a flag the chapter holds keeps the
// level's guards per asteroid: the side that holds every flag at once wins,
// and one left bare is soon taken back.
bool FlagGuard(const SrvAiPlan& plan, const CGUnit& unit) {
  if (!plan.level.flagsWin || plan.level.prizeWeight <= 1) return false;
  const std::uint16_t at = unit.location.asteroid;
  const CGAsteroid* a = plan.world.solar.GetAsteroid(at);
  if (a == nullptr || a->controller != plan.chapter || !IsFlag(plan.world, at)) return false;
  int armed = 0;
  for (std::uint16_t k = 0; const CGUnit* u = plan.world.pieces->GetOperationalUnitAt(at, plan.chapter, k); ++k)
    if (SrvAiCanFire(*u)) ++armed;
  return armed <= plan.level.guardsPerAsteroid;
}

// While the chapter still has asteroids to settle within their reach, the
// level's guards for each asteroid it controls stay to guard them; the
// others, and all once nothing is left to settle, go to war: as often as the
// level's aggression says, every turn and guards too while its side pushes
// (ahead in flags, or closing in on what an imperator needs).
bool SetOut(SrvAiPlan& plan, CGUnit& unit) {
  if (plan.level.aggression <= 0 || !CanMove(unit)) return false;
  const bool push = Pushing(plan);
  if (!push && plan.rng.Range(1, 100) > plan.level.aggression) return false;
  const int guards = plan.level.guardsPerAsteroid * SrvControlledAsteroids(plan.world, plan.chapter);
  // A side that pushes keeps no guards for its land: the last flags or
  // asteroids taken win the game, land settled meanwhile does not.
  if (!push && plan.warships <= guards && SettleTarget(plan, unit)) return false;
  if (FlagGuard(plan, unit)) return false;
  const auto target = Prize(plan, unit, [&](std::uint16_t a) {
    const CGAsteroid* asteroid = plan.world.solar.GetAsteroid(a);
    return asteroid != nullptr && asteroid->controller < kMaxChapters &&
           !SrvSameSide(plan.world, plan.chapter, asteroid->controller) && Reachable(unit, a);
  });
  if (!target) return false;
  Give(plan, SrvAiMoveOrder(unit, *target));
  return true;
}

// The loads of ATVs a landing on a flag may take.
constexpr int kFlagLandingLoads = 2;

// A warship of a level that bombards, where no enemy unit stands, wears
// down the enemy's ATVs on the zones of an enemy asteroid that no landing
// would take at once, to free zones for one (a zone left with neither ATVs
// nor facilities comes free), however fully its holder had settled it: a
// home has no free zone otherwise. Once a landing would take it, the
// carriers' turn has come.
bool SiegeHere(const SrvAiPlan& plan, const CGUnit& unit) {
  const std::uint16_t at = unit.location.asteroid;
  const CGAsteroid* asteroid = plan.world.solar.GetAsteroid(at);
  if (!plan.level.bombards || asteroid == nullptr || asteroid->controller == plan.chapter ||
      unit.GetTemplate() == nullptr || IsWorker(*unit.GetTemplate()) || !SrvAiCanFire(unit) ||
      !SrvAiEnemyAtvsAt(plan.world, plan.chapter, at) || SrvAiNearestEnemy(plan.world, plan.chapter, unit) != nullptr)
    return false;
  // A flag is worn down further, until two loads would take it: a big one
  // half held needs more ATVs than the carriers bring at once, and the side
  // that needs it would wait above it for good.
  const int needed = AtvsToTake(plan.world, plan.chapter, at);
  return needed == 0 ||
         (plan.level.flagsWin && IsFlag(plan.world, at) && needed > kFlagLandingLoads * plan.level.atvsPerLoad);
}

bool Bombard(SrvAiPlan& plan, CGUnit& unit) {
  if (!SiegeHere(plan, unit)) return false;
  Give(plan, SrvAiBombardOrder(unit));
  return true;
}

// An armed unit fights the nearest enemy where it stands, closing in first
// when its weapons do not reach: a unit that waits out of range would keep
// both sides in a battle without a shot.
bool Fight(SrvAiPlan& plan, CGUnit& unit) {
  if (!SrvAiCanFire(unit)) return false;
  const CGUnit* enemy = SrvAiNearestEnemy(plan.world, plan.chapter, unit, true);
  if (enemy == nullptr) return false;
  // Closing in ends at the range units close in to: a unit already that
  // near that still would not fire has nothing to gain by staying.
  const bool closer = GetLocationDistanceSq(&unit.location, &enemy->location) > kApproachRangeSq;
  if (SrvAiInReach(unit, *enemy))
    Give(plan,
         SrvAiBombardReaches(unit, *enemy) ? SrvAiSpecialAttackOrder(unit, *enemy) : SrvAiAttackOrder(unit, *enemy));
  else if (closer && CanMove(unit))
    Give(plan, SrvAiApproachOrder(unit, *enemy));
  else
    return false;
  return true;
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

// On its own land not worth mining (SrvAiWorthMining) - its home above all,
// where its builders stand - a unit with a hold takes the chapter's mining
// ATVs off the zones, each zone kept by another ATV: it builds power ATVs
// (when it builds), lands one on each zone only miners hold, and once every
// zone has one, takes the miners aboard; at a level that frees mined zones,
// a carrier with no power ATV aboard takes them at once, and the settlers
// hold the zones left free with power ATVs. Its pools then grow only by what
// it is short of; the miners go where that is mined (GoSettle).
bool QuietMiners(SrvAiPlan& plan, CGUnit& unit) {
  const std::uint16_t at = unit.location.asteroid;
  const CGAsteroid* a = plan.world.solar.GetAsteroid(at);
  if (a == nullptr || a->controller != plan.chapter || unit.GetTemplate() == nullptr ||
      unit.GetTemplate()->atvCapacity == 0 || SrvAiWorthMining(plan.world, plan.plenty, at) ||
      Guarded(plan.world, plan.chapter, at))
    return false;
  const Miners miners = MinersAt(plan, *a);
  if (miners.count == 0) return false;
  const int room = unit.GetFreeAtvCapacity();
  if (miners.lone.empty() ||
      (plan.level.freesMinedZones && unit.atvCargo[ATV_POWER] == 0 && KeepsControlWithout(plan, *a, miners))) {
    // A builder's hold is kept for the ATVs it builds.
    if (room <= 0 || unit.GetConstructionCapacity() > 0) return false;
    Give(plan, SrvAiRecoverAtvsOrder(unit, ATV_MINING, static_cast<std::uint8_t>(std::min({miners.count, room, 127}))));
    return true;
  }
  if (unit.atvCargo[ATV_POWER] > 0) {
    LandingBlock landing;
    const std::size_t n = std::min<std::size_t>(miners.lone.size(), unit.atvCargo[ATV_POWER]);
    for (std::size_t i = 0; i < n; ++i) landing.Count(ATV_POWER, miners.lone[i]) = 1;
    Give(plan, SrvAiLandAtvsOrder(unit, landing));
    return true;
  }
  if (unit.GetConstructionCapacity() <= 0 || room <= 0 || a->owner != plan.chapter) return false;
  const std::array<std::uint8_t, kAtvKinds> counts{
      0, 0, static_cast<std::uint8_t>(std::min({static_cast<int>(miners.lone.size()), room, 127})), 0};
  const SrvAiCost cost = SrvAiAtvCost(counts);
  if (!plan.budget.Affords(at, cost)) return false;
  plan.budget.Spend(at, cost);
  Give(plan, SrvAiBuildAtvsOrder(unit, counts));
  return true;
}

// Where the level gathers combat ATVs, an idle carrier on the chapter's own
// land, with no enemy on its surface or above it, takes aboard the combat
// ATVs none of its zones there needs, while an invasion is in reach: on the
// surface they would only mine. On outlying land not worth mining that is
// all of them (the settlers hold the zones left free with power ATVs);
// elsewhere a recovery, which takes them zone by zone in order, stops at the
// first zone they hold alone, leaving one there.
bool GatherCombat(SrvAiPlan& plan, CGUnit& unit) {
  const std::uint16_t at = unit.location.asteroid;
  const CGAsteroid* a = plan.world.solar.GetAsteroid(at);
  const int room = unit.GetFreeAtvCapacity();
  if (!plan.level.gathersCombat || plan.world.turn < kStakeTurns || a == nullptr || a->controller != plan.chapter ||
      unit.GetConstructionCapacity() > 0 || room <= 0 || Guarded(plan.world, plan.chapter, at))
    return false;
  for (std::uint16_t z = 0; z < a->GetZoneCount(); ++z)
    if (const CGZone* zone = a->GetZone(z);
        zone != nullptr && zone->owner < kMaxChapters && !SrvSameSide(plan.world, plan.chapter, zone->owner))
      return false;
  const CGChapter* self = plan.world.Chapter(plan.chapter);
  const bool quiet = self != nullptr && at != self->homeAsteroid && !SrvAiWorthMining(plan.world, plan.plenty, at);
  int spare = 0;
  for (std::uint16_t z = 0; z < a->GetZoneCount(); ++z) {
    const CGZone* zone = a->GetZone(z);
    if (zone == nullptr || zone->owner != plan.chapter || zone->atvCounts[ATV_COMBAT] == 0) continue;
    const int combat = zone->atvCounts[ATV_COMBAT];
    if (quiet || zone->atvCounts[ATV_MINING] + zone->atvCounts[ATV_POWER] + zone->atvCounts[ATV_SEED_BANK] > 0) {
      spare += combat;
      continue;
    }
    spare += combat - 1;
    break;
  }
  spare = std::min({spare, room, 127});
  // A war load takes two combat ATVs or more.
  if (spare + unit.atvCargo[ATV_COMBAT] < 2 || spare == 0 || !InvasionTarget(plan, unit, Cargo(unit) + spare))
    return false;
  Give(plan, SrvAiRecoverAtvsOrder(unit, ATV_COMBAT, static_cast<std::uint8_t>(spare)));
  return true;
}

// Where the level frees mined zones, an idle carrier with room and no
// construction makes for the nearest land of the chapter's own not worth
// mining where miners work, to take them aboard there (QuietMiners).
bool FetchMiners(SrvAiPlan& plan, CGUnit& unit) {
  if (!plan.level.freesMinedZones || unit.GetConstructionCapacity() > 0 || unit.GetFreeAtvCapacity() <= 0 ||
      !CanMove(unit))
    return false;
  const auto target = SrvAiNearest(plan.world, unit.location.asteroid, [&](std::uint16_t at) {
    const CGAsteroid* a = plan.world.solar.GetAsteroid(at);
    return at != unit.location.asteroid && a != nullptr && a->controller == plan.chapter &&
           !SrvAiWorthMining(plan.world, plan.plenty, at) && MinersAt(plan, *a).count > 0 &&
           KeepsControlWithout(plan, *a, MinersAt(plan, *a)) && !Guarded(plan.world, plan.chapter, at) &&
           std::find(plan.settling.begin(), plan.settling.end(), at) == plan.settling.end() && Reachable(unit, at);
  });
  if (!target) return false;
  plan.settling.push_back(*target);
  Give(plan, SrvAiMoveOrder(unit, *target));
  return true;
}

// Miners aboard land on the zones the chapter holds where mining is worth it,
// spread over them (not at a level that frees mined zones: what they would
// mine there the pools mostly outlast too).
bool StackMiners(SrvAiPlan& plan, CGUnit& unit) {
  const std::uint16_t at = unit.location.asteroid;
  const CGAsteroid* a = plan.world.solar.GetAsteroid(at);
  if (!MinersAboard(plan, unit) || plan.level.freesMinedZones || a == nullptr || a->controller != plan.chapter ||
      !SrvAiWorthMining(plan.world, plan.plenty, at) || Guarded(plan.world, plan.chapter, at))
    return false;
  std::vector<std::uint16_t> own;
  for (std::uint16_t z = 0; z < a->GetZoneCount(); ++z)
    if (const CGZone* zone = a->GetZone(z);
        zone != nullptr && zone->owner == plan.chapter && SrvZoneTakesAtvKind(z, ATV_MINING))
      own.push_back(z);
  if (own.empty()) return false;
  LandingBlock landing;
  for (int i = 0; i < unit.atvCargo[ATV_MINING]; ++i)
    ++landing.Count(ATV_MINING, own[static_cast<std::size_t>(i) % own.size()]);
  Give(plan, SrvAiLandAtvsOrder(unit, landing));
  return true;
}

}  // namespace

SrvAiFlagCount SrvAiCountFlags(const SrvWorld& world, std::uint16_t chapter) {
  std::array<std::uint16_t, kGuildCount> holders{};
  for (int g = 0; g < kGuildCount; ++g) {
    const CGChapter* bearer = world.Chapter(static_cast<std::uint16_t>(g * 8));
    const CGAsteroid* a = bearer != nullptr ? world.solar.GetAsteroid(bearer->homeAsteroid) : nullptr;
    holders[static_cast<std::size_t>(g)] = a != nullptr && SrvInPlay(world, a->controller) ? a->controller : kNoChapter;
  }
  SrvAiFlagCount count;
  for (std::uint16_t h : holders) {
    if (h == kNoChapter) continue;
    if (SrvSameSide(world, chapter, h)) {
      ++count.side;
      continue;
    }
    int n = 0;
    for (std::uint16_t other : holders) n += other != kNoChapter && SrvSameSide(world, h, other) ? 1 : 0;
    count.rival = std::max(count.rival, n);
  }
  return count;
}

int SrvAiQuarry(const SrvWorld& world, std::uint16_t chapter) {
  std::array<int, kGuildCount> held{};
  std::array<bool, kGuildCount> inPlay{};
  for (std::uint16_t c = 0; c < kMaxChapters; ++c)
    if (SrvInPlay(world, c)) inPlay[static_cast<std::size_t>(c >> 3)] = true;
  for (std::uint16_t a = 0; a < CGSolarDB::GetAsteroidCount(); ++a)
    if (const CGAsteroid* as = world.solar.GetAsteroid(a); as != nullptr && as->controller < kMaxChapters)
      ++held[static_cast<std::size_t>(as->controller >> 3)];
  int weakest = -1;
  for (int g = 0; g < kGuildCount; ++g)
    if (g != (chapter >> 3) && inPlay[static_cast<std::size_t>(g)] &&
        (weakest < 0 || held[static_cast<std::size_t>(g)] < held[static_cast<std::size_t>(weakest)]))
      weakest = g;
  return weakest;
}

bool SrvAiClosingIn(const SrvWorld& world, std::uint16_t chapter, int target) {
  if (target <= 0) return false;
  std::array<int, kGuildCount> guilds{};
  int side = 0;
  for (std::uint16_t a = 0; a < CGSolarDB::GetAsteroidCount(); ++a)
    if (const CGAsteroid* as = world.solar.GetAsteroid(a); as != nullptr && as->controller < kMaxChapters) {
      ++guilds[static_cast<std::size_t>(as->controller >> 3)];
      if (SrvSameSide(world, chapter, as->controller)) ++side;
    }
  for (int g = 0; g < kGuildCount; ++g)
    if (g != (chapter >> 3) && guilds[static_cast<std::size_t>(g)] >= side) return false;
  return 100 * side >= kSrvAiClosingInPercent * target;
}

bool SrvAiBombardmentStands(const SrvAiPlan& plan, const CGUnit& unit) { return SiegeHere(plan, unit); }

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
  if (CarriesAtvs(unit) && (LandAtvs(plan, unit) || (unit.atvCargo[ATV_POWER] != 0 && QuietMiners(plan, unit)) ||
                            GoSettle(plan, unit) || StackMiners(plan, unit)))
    return;
  // Builds are paid from the pool where the builder stands: its own. Ships
  // come before miners are taken off the land; for a side that pushes, the
  // combat ATVs of a conquest come before ships (its fleet would otherwise
  // hold its builders while the last flags or asteroids wait for a landing).
  const CGAsteroid* asteroid = plan.world.solar.GetAsteroid(at);
  const bool builds = unit.GetConstructionCapacity() > 0 && asteroid != nullptr && asteroid->owner == plan.chapter;
  if (builds && Pushing(plan) && BuildAtvs(plan, unit, true)) return;
  if (builds && (BuildShip(plan, unit) || SrvAiRefit(plan, unit) || BuildSurplus(plan, unit, kRichTimes) ||
                 BuildAtvs(plan, unit, true)))
    return;
  if (QuietMiners(plan, unit) || GatherCombat(plan, unit) || FetchMiners(plan, unit)) return;
  if (builds && (BuildAtvs(plan, unit, false) || BuildSurplus(plan, unit, 1))) return;
  if (SrvAiCanFire(unit) && (Bombard(plan, unit) || SetOut(plan, unit))) return;
  ReturnHome(plan, unit);
}
