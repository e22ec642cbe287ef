// One turn of a unit's first order. Moves go by the model's own steps (the
// same code the client predicts with): a trip to another asteroid takes
// exactly the turns CGUnit::GetTurnsToAsteroid gave when it began, counted
// down in the unit's stage byte; a move inside an asteroid's space is one
// CGUnit::SimulateMoveStep a turn. Work orders take the turns
// CGUnit::GetNumTurnsUntilOrderCompletion gives when they begin, counted down
// in the stage byte likewise, and take effect on their last turn.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "Game/base/Packets.h"
#include "Game/model/GAsteroid.h"
#include "Game/model/GChapter.h"
#include "Game/model/GNotifyCodes.h"
#include "Game/model/GPoolDB.h"
#include "Game/model/GUnit.h"
#include "Game/model/GZone.h"
#include "Game/model/GameWorld.h"
#include "Game/net/AsteroidPackets.h"
#include "Game/rules/GGameVar.h"
#include "Game/rules/GModuleDB.h"
#include "Game/rules/GRulesPackets.h"
#include "Game/rules/GUnitTem.h"
#include "server/battle/SrvBattlePackets.h"
#include "server/battle/SrvSpaceBattle.h"
#include "server/battle/SrvTerrainBattle.h"
#include "server/orders/SrvUnitPackets.h"
#include "server/orders/SrvZoneOrders.h"
#include "server/trade/SrvTradeNotices.h"
#include "server/turn/SrvOrderSteps.h"
#include "server/turn/SrvStorePool.h"
#include "server/turn/SrvStuns.h"
#include "server/turn/SrvUnitNotices.h"
#include "server/world/SrvCentreZone.h"
#include "server/world/SrvDesignPackets.h"
#include "server/world/SrvZoneRoom.h"

namespace {

constexpr std::uint16_t kCannotComplete = 0xFFFF;
constexpr std::uint16_t kSelfDestruct = 0xFFFE;
constexpr std::uint32_t kUnitStopRangeSq = 90000;
// A new ship appears this far from its builder on the y axis.
constexpr std::int16_t kLaunchOffset = 500;
// ATVs built: category 1, code 113, outcome 0 in the low byte of parameter 1
// (1 would tell the player a zone's production halted at its ATV limit), the
// count in the first text. The high byte names the zone whose production the
// player's copy sets to parameter 3: none for a hold, or the hold's counts
// would stand as an order in the zone 0 of where it was built.
constexpr std::uint16_t kAtvsBuiltIntoHold = 0xFF00;
// Percent per shot of a hostile combat ATV at a pod landing beside its zone.
constexpr int kPodHit = 20;

std::uint16_t SolarSpace() { return CGSolarDB::GetAsteroidCount(); }

void TellMoved(SrvTurnContext& turn, const CGUnit& unit) { turn.TellAll(BuildUnitMovedPacket(unit)); }

void TellStage(SrvTurnContext& turn, const CGUnit& unit) {
  turn.Tell(static_cast<std::uint16_t>(unit.GetChapter()), BuildOrderStagePacket(unit, kNoTargetId));
}

// A client whose chapter arrives where it had no unit in action drops its
// picture of the units there (302): its player is given them anew.
void Arrive(SrvTurnContext& turn, CGUnit& unit, std::uint16_t asteroid) {
  const auto chapter = static_cast<std::uint16_t>(unit.GetChapter());
  const bool unwatched = turn.world.pieces->HasOperationalUnits(asteroid, chapter) == 0;
  const Location at{asteroid, static_cast<std::int16_t>(kScanDistance), 0, 0};
  unit.SetLocation(&at);
  unit.stage = kStageNotStarted;
  turn.arrivals.push_back(unit.id);
  TellMoved(turn, unit);
  if (unwatched)
    turn.world.ForEachUnit([&](const CGUnit& u) {
      if (&u == &unit || u.location.asteroid != asteroid) return;
      // The dropped units may have taken the last of a loose design with them.
      if (u.design != nullptr)
        for (const SrvPacket& p : BuildLooseDesignNews(turn.world, *u.design)) turn.Tell(chapter, p);
      turn.Tell(chapter, BuildUnitResultPacket(u));
    });
  TellStage(turn, unit);
}

// A move inside the unit's asteroid space toward `target`; true on arrival.
bool StepLocally(SrvTurnContext& turn, CGUnit& unit, const Location& target, std::int32_t stopInRange,
                 std::uint32_t rangeSq) {
  const Location before = unit.location;
  const std::int32_t r = unit.SimulateMoveStep(&target, 1, stopInRange, rangeSq);
  if (unit.location.x != before.x || unit.location.y != before.y || unit.location.z != before.z) TellMoved(turn, unit);
  if (r < 0) SrvFinishFirstOrder(turn, unit, r);
  return r == 1;
}

// Work orders whose turns the client tells without the countdown: the
// approach, the power to pass and the work as they stand each turn.
bool FigureWorkedAfresh(std::uint32_t type) {
  switch (type) {
    case ORDER_TRANSFER_POWER:
    case ORDER_RECHARGE_FROM_UNIT:
    case ORDER_RECHARGE_FROM_ASTEROID:
    case ORDER_LAND_ATVS:
    case ORDER_RECOVER_ATVS:
    case ORDER_MODIFY_SHIP:
    case ORDER_REPAIR_UNIT:
    case ORDER_REBUILD_UNIT:
      return true;
    default:
      return false;
  }
}

// Sets a work order's countdown when it begins; the turns left afterwards.
// Finishes the order (and answers kCannotComplete) when it cannot complete.
std::uint16_t CountDown(SrvTurnContext& turn, CGUnit& unit) {
  if (unit.stage == kStageNotStarted) {
    const std::uint16_t turns = unit.GetNumTurnsUntilOrderCompletion(nullptr);
    if (turns == kCannotComplete) {
      SrvFinishFirstOrder(turn, unit, ORDERFAIL_UNKNOWN_CAUSE);
      return kCannotComplete;
    }
    if (turns == kSelfDestruct) return 0;
    unit.stage = static_cast<std::uint8_t>(std::min<std::uint16_t>(turns > 0 ? turns - 1 : 0, 254));
  } else if (unit.stage > 0) {
    --unit.stage;
    // The player's figure for these is worked out afresh each turn from the
    // unit's place and store, not from this count: one begun with an empty
    // store counted its approach at idle speed, and once the unit has power
    // it is done when the player's figure says. A 0 ends it this turn, as at
    // its start: a taker filled or a ship mended meanwhile leaves no work.
    if (FigureWorkedAfresh(unit.GetOrder(0)->type)) {
      const std::uint16_t now = unit.GetNumTurnsUntilOrderCompletion(nullptr);
      if (now < kSelfDestruct) unit.stage = static_cast<std::uint8_t>(std::min<int>(unit.stage, now > 0 ? now - 1 : 0));
    }
  }
  if (unit.stage > 0) TellStage(turn, unit);
  return unit.stage;
}

// The order paid for every ATV asked for when it was given: what those the
// hold could not take cost goes back where it was paid from, never more than
// was paid.
void RefundAtvsNotBuilt(CGUnit& unit, const UnitOrder& order, const int (&unbuilt)[kAtvKinds]) {
  if (!order.construction) return;
  std::int64_t owed[5] = {};
  for (int kind = 0; kind < kAtvKinds; ++kind) {
    std::int16_t each[5] = {};
    g_gameVariables.GetATVCosts(kind, each);
    for (int r = 0; r < 5; ++r) owed[r] += std::int64_t{unbuilt[kind]} * 3 * each[r];
  }
  const ConstructionBlock& paid = *order.construction;
  auto back = [&](int r) { return static_cast<std::uint32_t>(std::clamp<std::int64_t>(owed[r], 0, paid.Cost(r))); };
  if (CGPoolDB* pools = World().pools; pools != nullptr && World().Asteroid(unit.location.asteroid) != nullptr) {
    for (int mineral = 0; mineral < 4; ++mineral)
      if (back(mineral) != 0)
        pools->AddMineral(unit.location.asteroid, static_cast<std::uint32_t>(mineral), back(mineral));
  }
  if (CGChapter* payer = World().Chapter(static_cast<std::uint8_t>(unit.GetChapter()))) payer->credits += back(4);
}

// The ATVs ordered come aboard as far as the hold takes them, kind by kind;
// the notice counts those built, and a hold that took fewer is told too.
void BuildAtvs(SrvTurnContext& turn, CGUnit& unit, const UnitOrder& order) {
  std::uint32_t counts = 0;
  int built = 0;
  bool reduced = false;
  int unbuilt[kAtvKinds] = {};
  for (int kind = 0; kind < kAtvKinds; ++kind) {
    const int wanted = std::max<int>(order.ZoneAtvCount(kind), 0);
    const int n = std::min<int>(wanted, unit.GetFreeAtvCapacity());
    reduced = reduced || n < wanted;
    unbuilt[kind] = wanted - n;
    unit.AddAtvs(kind, static_cast<std::uint32_t>(n));
    counts = (counts << 8) | static_cast<std::uint8_t>(n);
    built += n;
  }
  if (reduced) RefundAtvsNotBuilt(unit, order, unbuilt);
  const auto chapter = static_cast<std::uint16_t>(unit.GetChapter());
  turn.Tell(chapter, BuildAtvCargoPacket(unit));
  turn.world.notices.Add(chapter, notify::kUnitEvent, notify::kAtvsBuilt, std::to_string(built).c_str(), nullptr,
                         kAtvsBuiltIntoHold, SrvAtvProductionAsteroid(unit.location.asteroid), counts);
  if (reduced)
    turn.world.notices.Add(chapter, notify::kTradeEvent, notify::kAtvBuildReduced, nullptr, nullptr, 0, 0, unit.id);
}

void BuildShip(SrvTurnContext& turn, CGUnit& builder, const UnitOrder& order) {
  CGUnitTemplate* design = turn.world.templates->FindTemplateById(order.Word(0));
  Location at = builder.location;
  at.y = static_cast<std::int16_t>(at.y + kLaunchOffset);
  if (CGUnit* ship = turn.world.CreateUnit(static_cast<std::uint16_t>(builder.GetChapter()), design, at)) {
    // The new ship takes a third of its storage, at most half the builder's power.
    const std::int32_t handed = std::min(ship->GetMaxPower() / 3, std::max(builder.power, 0) / 2);
    builder.power -= handed;
    ship->power = handed;
    // A design out of the slots may be unknown to a player (300 names it only).
    if (const auto announced = BuildLooseDesignPacket(turn.world, *design)) turn.TellAll(*announced);
    turn.TellAll(BuildUnitPacket(*ship));
    // The design's number built, which the players' template lists count by.
    if (design->creationTurnHigh < 0xFFFF) ++design->creationTurnHigh;
    turn.TellAll(BuildTemplateValuesPacket(*design));
  }
}

// The ATVs land on their zones when nobody else holds them; the others go back aboard.
// The pods bringing `n` ATVs down on zone `z` pass the hostile zones beside
// it: each combat ATV there fires once at them, and each hit downs a pod with
// its ATV. Returns the ATVs lost; the shots go to the record.
int ShootAtPods(SrvTurnContext& turn, const CGAsteroid& a, const CGZone& z, std::uint8_t chapter, int kind, int n) {
  int lost = 0;
  for (std::uint16_t k = 0; k < a.GetZoneCount() && lost < n; ++k) {
    const CGZone* guard = a.GetZone(k);
    if (guard == nullptr || k == z.index || guard->owner >= kMaxChapters || !a.AreZonesAdjacent(k, z.index) ||
        !SrvChaptersHostile(guard->owner, chapter))
      continue;
    for (int shot = 0; shot < guard->atvCounts[0] && lost < n; ++shot) {
      if (turn.random.Range(1, 100) > kPodHit) continue;
      ++lost;
      turn.surface[a.id].Add(SrvTerrainEvent(kTerrainPodShotDown, 0, kElementShot, k, 0, kElementPod, z.index,
                                             static_cast<std::uint32_t>(kind), guard->owner),
                             guard->owner);
    }
  }
  return lost;
}

// The landing as the terrain replay shows it: one event per ATV, those whose
// pod was downed first (the replay matches its hits with them in order), and
// the pods of the kind.
void RecordLanding(SrvTurnContext& turn, const CGAsteroid& a, std::uint16_t zone, std::uint8_t chapter, int kind,
                   int n) {
  SrvSurfaceRecord& record = turn.surface[a.id];
  const auto k = static_cast<std::uint32_t>(kind);
  for (int i = 0; i < n; ++i)
    record.Add(SrvTerrainEvent(kTerrainLanding, 0, kElementAtv, zone, k, kElementAtv, zone, k, chapter), chapter);
  record.Add(SrvTerrainEvent(kTerrainLanding, 0, kElementPod, zone, k, kElementAtv, zone, k, chapter), chapter);
}

// The names the landing notices give each kind, in the kinds' order.
constexpr const char* kAtvKindNames[kAtvKinds] = {"combat ATV", "mining ATV", "power ATV", "scientific ATV"};

// The landing of `landed[kind]` ATVs of each kind, to the lander and to the
// other chapters holding zones of the asteroid; a landing held back by a
// zone another holds, to the lander.
void TellLanding(SrvTurnContext& turn, const CGAsteroid& a, std::uint8_t chapter, const int (&landed)[kAtvKinds],
                 bool heldBack) {
  std::vector<std::uint16_t> told{chapter};
  for (std::uint16_t k = 0; k < a.GetZoneCount(); ++k)
    if (const CGZone* z = a.GetZone(k);
        z != nullptr && z->owner < kMaxChapters && std::find(told.begin(), told.end(), z->owner) == told.end())
      told.push_back(z->owner);
  for (int kind = 0; kind < kAtvKinds; ++kind) {
    if (landed[kind] == 0) continue;
    for (std::uint16_t c : told)
      turn.world.notices.Add(c, notify::kUnitEvent, notify::kAtvsLanded, nullptr, kAtvKindNames[kind],
                             static_cast<std::uint16_t>(landed[kind]), chapter, a.id);
  }
  if (heldBack)
    turn.world.notices.Add(chapter, notify::kUnitEvent, notify::kLandingHeldBack, nullptr, nullptr, 0, a.id,
                           kSrvUnitNoParameter);
}

void LandAtvs(SrvTurnContext& turn, CGUnit& unit, UnitOrder& order) {
  CGAsteroid* a = turn.world.solar.GetAsteroid(unit.location.asteroid);
  if (a == nullptr || !order.landing) return;
  const auto chapter = static_cast<std::uint8_t>(unit.GetChapter());
  int landedOfKind[kAtvKinds] = {};
  bool heldBack = false;
  for (int zone = 0; zone < kZonesPerAsteroid; ++zone) {
    CGZone* z = a->GetZone(static_cast<std::uint16_t>(zone));
    for (int kind = 0; kind < kAtvKinds; ++kind) {
      const std::uint8_t n = order.landing->Count(kind, zone);
      if (n == 0) continue;
      // A kind the zone does not take stays aboard, as on a zone held by
      // another; so do the ATVs past the zone's room (the landing view paints
      // them red).
      const bool takes = z != nullptr && SrvZoneTakesAtvKind(static_cast<std::uint32_t>(zone), kind) &&
                         (z->owner == kZoneNobody || z->owner == chapter);
      const int down = takes ? std::min<int>(n, SrvZoneRoom(*z)) : 0;
      if (down < n) unit.AddAtvs(kind, static_cast<std::uint32_t>(n - down));
      heldBack = heldBack || (z != nullptr && z->owner != kZoneNobody && z->owner != chapter);
      if (down == 0) continue;
      RecordLanding(turn, *a, z->index, chapter, kind, down);
      const int landed = down - ShootAtPods(turn, *a, *z, chapter, kind, down);
      if (landed == 0) continue;
      landedOfKind[kind] += landed;
      z->SetOwner(chapter);
      // The room is at most 16, within the model's signed-byte step.
      z->AddAtvs(static_cast<std::uint8_t>(kind), static_cast<std::int8_t>(landed), 0);
    }
  }
  order.landing.reset();
  SrvTellZones(turn, *a);
  TellLanding(turn, *a, chapter, landedOfKind, heldBack);
  turn.Tell(chapter, BuildAtvCargoPacket(unit));
}

// The ATVs come aboard from the chapter's zones: per zone as the recovery
// block asks when the order carries one, else the head's count of each kind
// from the zones in their order. No more than the hold takes.
void RecoverAtvs(SrvTurnContext& turn, CGUnit& unit, const UnitOrder& order) {
  // The order's turns bring the unit to the asteroid it stands at; ATVs of
  // another asteroid the order may name stay where they are.
  if (order.ZoneAsteroid() != unit.location.asteroid) return;
  CGAsteroid* a = turn.world.solar.GetAsteroid(order.ZoneAsteroid());
  if (a == nullptr) return;
  const auto chapter = static_cast<std::uint8_t>(unit.GetChapter());
  int wanted[kAtvKinds] = {};
  for (int kind = 0; kind < kAtvKinds; ++kind) wanted[kind] = std::max<int>(order.ZoneAtvCount(kind), 0);
  for (int zone = 0; zone < kZonesPerAsteroid; ++zone) {
    CGZone* z = a->GetZone(static_cast<std::uint16_t>(zone));
    if (z == nullptr || z->owner != chapter) continue;
    for (int kind = 0; kind < kAtvKinds; ++kind) {
      const int asked = order.recovery ? order.recovery->Count(zone, kind) : wanted[kind];
      const int n = std::min<int>({asked, z->atvCounts[kind], unit.GetFreeAtvCapacity(), 127});
      if (n <= 0) continue;
      z->AddAtvs(static_cast<std::uint8_t>(kind), static_cast<std::int8_t>(-n), 0);
      unit.AddAtvs(kind, static_cast<std::uint32_t>(n));
      wanted[kind] -= n;
      const auto k = static_cast<std::uint32_t>(kind);
      turn.surface[a->id].Add(
          SrvTerrainEvent(kTerrainPickUp, 0, kElementPod, z->index, k, kElementAtv, z->index, k, chapter), chapter);
    }
  }
  SrvTellZones(turn, *a);
  turn.Tell(chapter, BuildAtvCargoPacket(unit));
}

// Power flows from `from` to `to` until `to` is full or `from` is empty.
void PassPower(SrvTurnContext& turn, CGUnit& from, CGUnit& to) {
  const std::int32_t moved = std::max(std::min(to.GetMaxPower() - to.power, from.power), 0);
  from.power -= moved;
  to.power += moved;
  for (const CGUnit* u : {&from, &to}) turn.Tell(static_cast<std::uint16_t>(u->GetChapter()), BuildUnitPowerPacket(*u));
}

void Recharge(SrvTurnContext& turn, CGUnit& unit, const UnitOrder& order) {
  if (order.type == ORDER_RECHARGE_FROM_ASTEROID) {
    // The asteroid's output over the order's turns has filled the store.
    unit.power = unit.GetMaxPower();
    turn.Tell(static_cast<std::uint16_t>(unit.GetChapter()), BuildUnitPowerPacket(unit));
    return;
  }
  std::uint16_t at = 0;
  CGUnit* other = turn.world.pieces->FindOperationalUnit(order.Word(0), &at);
  if (other == nullptr) return;
  if (order.type == ORDER_TRANSFER_POWER)
    PassPower(turn, unit, *other);
  else
    PassPower(turn, *other, unit);
}

// What the scan found: the asteroid's make-up, to the scanning chapter.
void TellScan(SrvTurnContext& turn, const CGUnit& unit, std::uint16_t asteroid) {
  const CGAsteroid* a = turn.world.solar.GetAsteroid(asteroid);
  if (a == nullptr) return;
  const auto p = AsteroidMakeUpPacket{asteroid, a->composition, a->spin, a->thermal, a->kinetic}.Build();
  const auto chapter = static_cast<std::uint16_t>(unit.GetChapter());
  turn.Tell(chapter, SrvPacket(p.bytes.begin(), p.bytes.end()));
  turn.world.notices.Add(chapter, notify::kUnitEvent, notify::kAsteroidScanned, nullptr, nullptr,
                         static_cast<std::uint16_t>(chapter & 7), asteroid, kSrvUnitNoParameter);
}

// The target of word `word` takes the order's design (a modification) or is
// made whole (a repair or rebuild); everyone sees the unit as it now is.
void WorkOnShip(SrvTurnContext& turn, const UnitOrder& order) {
  std::uint16_t at = 0;
  const bool modify = order.type == ORDER_MODIFY_SHIP;
  CGUnit* ship = turn.world.pieces->FindUnit(order.Word(modify ? 1 : 0), &at);
  if (ship == nullptr) return;
  if (modify) {
    CGUnitTemplate* design = turn.world.templates->FindTemplateById(order.Word(0));
    if (design == nullptr) return;
    ship->SetTemplate(design, true);
    // A design out of the slots may be unknown to a player; 1313 carries
    // the design but not its values.
    for (const SrvPacket& p : BuildLooseDesignNews(turn.world, *design)) turn.TellAll(p);
    turn.TellAll(BuildUnitResultPacket(*ship));
    return;
  }
  ship->hullDamage = 0;
  ship->lifeSupportDamage = 0;
  for (ModuleSlotState& m : ship->modules) m.damage = 0;
  // Its drives, weapons and the rest work again from this turn's battles on.
  ship->RecomputeStats();
  turn.TellAll(BuildUnitStatusPacket(*ship));
}

void RemoveUnit(SrvTurnContext& turn, CGUnit& unit);

// A turn of self-repair: the unit's working damage control mends as many
// points of damage, its modules' first in slot order, then its hull and its
// life support, until none is left.
void SelfRepair(SrvTurnContext& turn, CGUnit& unit) {
  if (unit.GetRepairPoints() == 0) {
    SrvFinishFirstOrder(turn, unit, 1);
    return;
  }
  std::int32_t rate = unit.design != nullptr ? unit.design->damageControl * unit.percents[PCT_DAMAGE_CONTROL] / 100 : 0;
  if (rate <= 0) {
    SrvFinishFirstOrder(turn, unit, ORDERFAIL_UNKNOWN_CAUSE);
    return;
  }
  auto mend = [&](std::uint8_t& damage) {
    const std::int32_t n = std::min<std::int32_t>(damage, rate);
    damage = static_cast<std::uint8_t>(damage - n);
    rate -= n;
  };
  for (ModuleSlotState& m : unit.modules) mend(m.damage);
  mend(unit.hullDamage);
  mend(unit.lifeSupportDamage);
  unit.RecomputeStats();
  turn.TellAll(BuildUnitStatusPacket(unit));
  if (unit.GetRepairPoints() == 0) SrvFinishFirstOrder(turn, unit, 1);
}

// The chapter's ship is taken apart: half of what its design cost in
// minerals goes into the chapter's pool where the scrapping unit stands, or
// its home pool when it stands elsewhere (in solar space, at another's
// asteroid); a chapter without either loses them. Its owner is told what
// came back, the line naming the ship taken apart (which its client no
// longer holds when it reads the line).
void Scrap(SrvTurnContext& turn, const CGUnit& scrapper, const UnitOrder& order) {
  std::uint16_t at = 0;
  CGUnit* ship = turn.world.pieces->FindUnit(order.Word(0), &at);
  if (ship == nullptr || ship->GetChapter() != scrapper.GetChapter()) return;
  if (ship->design != nullptr) {
    std::uint32_t cost[5] = {};
    ship->design->GetCost32(cost);
    const std::uint16_t pool =
        SrvStorePool(turn.world, scrapper.location.asteroid, static_cast<std::uint16_t>(scrapper.GetChapter()));
    std::uint32_t back[4] = {};
    for (std::uint32_t m = 0; m < 4 && pool != kSrvNoStorePool; ++m) {
      back[m] = cost[m] / 2;
      turn.world.poolDB.AddMineral(pool, m, back[m]);
    }
    // Metals in parameter 1, silicates and exotics in the halves of
    // parameter 2 (16 bits each), reactives as the first text's number.
    auto word = [](std::uint32_t v) { return std::min<std::uint32_t>(v, 0xFFFF); };
    const std::string reactives = std::to_string(back[3]);
    turn.world.notices.Add(static_cast<std::uint16_t>(scrapper.GetChapter()), notify::kTradeEvent, notify::kRecycled,
                           reactives.c_str(), nullptr, static_cast<std::uint16_t>(word(back[0])),
                           word(back[2]) << 16 | word(back[1]), ship->id);
  }
  RemoveUnit(turn, *ship);
}

void RemoveUnit(SrvTurnContext& turn, CGUnit& unit) {
  const std::uint32_t id = unit.id;
  turn.world.pieces->DeleteUnit(id);
  turn.TellAll(BuildUnitDeletedPacket(id));
}

bool IsMoveOrder(std::uint32_t type) {
  return type == ORDER_MOVE_TO_LOCATION || type == ORDER_GO_TO_UNIT || type == ORDER_MOVE_TO_ASTEROID ||
         type == ORDER_MOVE_NEXT_TO_ASTEROID || type == ORDER_RETREAT || type == ORDER_DELAYED_MOVE ||
         type == ORDER_FOLLOW_FRIEND;
}

// The power a turn of the order takes, as the client reckons it: drives
// eight times their use for moves, the working modules' use for the rest.
std::int32_t PowerPerTurn(const CGUnit& unit, std::uint32_t type) {
  auto use = [&](int moduleType) {
    return static_cast<std::int32_t>(unit.GetModulePowerUse(moduleType, kAllSlots, kAllSlots));
  };
  if (IsMoveOrder(type)) return use(MODULE_PROPULSION) * 8;
  switch (type) {
    case ORDER_BUILD_ATVS:
    case ORDER_LAND_ATVS:
    case ORDER_RECOVER_ATVS:
      return use(MODULE_TRANSPORT);
    case ORDER_BUILD_SHIP:
    case ORDER_MODIFY_SHIP:
    case ORDER_BUILD_OR_REPAIR_SHIP:
      return use(MODULE_CONSTRUCTION);
    case ORDER_SCAN_ASTEROID:
    case ORDER_SCAN_SHIP:
      return use(MODULE_SCOUT);
    case ORDER_REPAIR:
      return use(MODULE_DAMAGECONTROL);
    default:
      return 0;
  }
}

void SpendPower(SrvTurnContext& turn, CGUnit& unit, std::uint32_t type) {
  const std::int32_t spent = std::min(PowerPerTurn(unit, type), std::max(unit.power, 0));
  if (spent <= 0) return;
  unit.power -= spent;
  turn.Tell(static_cast<std::uint16_t>(unit.GetChapter()), BuildUnitPowerPacket(unit));
}

// Orders that hostile units carry out against each other are the battles'.
bool IsBattleOrder(std::uint32_t type) {
  return type == ORDER_ATTACK_UNIT || type == ORDER_DEFEND || type == ORDER_ATTACK_ENEMY_AT_ASTEROID ||
         type == ORDER_SPECIAL_ATTACK || type == ORDER_BOMBARD || type == ORDER_MENTAL_ATTACK ||
         type == ORDER_STUNNED || type == ORDER_BE_CONSTRUCTED || type == ORDER_GET_REPAIRED;
}

}  // namespace

void SrvFinishFirstOrder(SrvTurnContext& turn, CGUnit& unit, std::int32_t result) {
  const UnitOrder* order = unit.GetOrder(0);
  const bool had = order != nullptr;
  const std::uint32_t type = had ? order->type : 0;
  const auto chapter = static_cast<std::uint16_t>(unit.GetChapter());
  unit.PopFirstOrder(result, 1);
  turn.Tell(chapter, BuildOrderRemovedPacket(unit.id, result));
  if (!had) return;
  // The line is drawn from the unit as its client then holds it: the next
  // order's status follows a done one's name.
  if (result == 1)
    turn.world.notices.Add(chapter, notify::kUnitEvent, notify::kOrderDone, nullptr, nullptr, 0, type, unit.id);
  else
    turn.world.notices.Add(chapter, notify::kUnitEvent, notify::kOrderCancelled, nullptr, nullptr,
                           static_cast<std::uint16_t>(type), static_cast<std::uint32_t>(result), unit.id);
}

bool SrvMoveTowardAsteroid(SrvTurnContext& turn, CGUnit& unit, std::uint16_t asteroid) {
  if (unit.location.asteroid == asteroid) return true;
  const CGAsteroid* target = turn.world.solar.GetAsteroid(asteroid);
  if (target == nullptr) {
    SrvFinishFirstOrder(turn, unit, ORDERFAIL_NO_SOLAR_DRIVE);
    return false;
  }
  if (unit.stage == kStageNotStarted || unit.stage == 0) {
    std::int32_t failure = 0;
    const std::uint32_t turns = unit.GetTurnsToAsteroid(asteroid, &failure);
    if (turns >= kUnreachable) {
      SrvFinishFirstOrder(turn, unit, failure < 0 ? failure : ORDERFAIL_CANNOT_MOVE);
      return false;
    }
    if (const CGAsteroid* from = turn.world.solar.GetAsteroid(unit.location.asteroid)) {
      // The trip starts where the asteroid will be after this turn's orbit step.
      Location out;
      float speed = from->speed;
      double angle = from->angle;
      from->PredictOrbitStep(&out, &speed, &angle);
      out.asteroid = SolarSpace();
      unit.SetLocation(&out);
    }
    unit.stage = static_cast<std::uint8_t>(std::min<std::uint32_t>(turns > 0 ? turns - 1 : 0, 254));
  } else {
    --unit.stage;
    Location goal;
    target->GetPosition(&goal);
    goal.asteroid = SolarSpace();
    const std::int32_t speed = unit.GetDeepSpaceSpeed();
    if (speed > 0) unit.StepSolar(&unit.location, &goal, kUnitStopRangeSq, speed, nullptr);
  }
  if (unit.stage == 0) {
    Arrive(turn, unit, asteroid);
    return true;
  }
  TellMoved(turn, unit);
  TellStage(turn, unit);
  return false;
}

namespace {

void AdvanceOrder(SrvTurnContext& turn, CGUnit& unit) {
  UnitOrder* order = unit.GetOrder(0);
  switch (order->type) {
    case ORDER_MOVE_TO_ASTEROID:
    case ORDER_RETREAT:
      if (SrvMoveTowardAsteroid(turn, unit, order->Asteroid())) SrvFinishFirstOrder(turn, unit, 1);
      return;
    case ORDER_MOVE_NEXT_TO_ASTEROID: {
      const std::uint16_t asteroid = order->Asteroid();
      const bool wasThere = unit.location.asteroid == asteroid;
      if (!SrvMoveTowardAsteroid(turn, unit, asteroid) || !wasThere) return;
      if (StepLocally(turn, unit, Location{asteroid, 0, 0, 0}, 1, kBodyRangeSq)) SrvFinishFirstOrder(turn, unit, 1);
      return;
    }
    case ORDER_MOVE_TO_LOCATION:
    case ORDER_DELAYED_MOVE: {
      const Location target = order->GetLocation();
      if (target.asteroid < SolarSpace() && target.asteroid != unit.location.asteroid) {
        SrvMoveTowardAsteroid(turn, unit, target.asteroid);
        return;
      }
      if (StepLocally(turn, unit, target, 0, kApproachRangeSq)) SrvFinishFirstOrder(turn, unit, 1);
      return;
    }
    case ORDER_REPAIR:
      SelfRepair(turn, unit);
      return;
    case ORDER_GO_TO_UNIT:
    case ORDER_FOLLOW_FRIEND: {
      std::uint16_t at = 0;
      const CGUnit* target = turn.world.pieces->FindUnit(order->Word(0), &at);
      if (target == nullptr) {
        SrvFinishFirstOrder(turn, unit, ORDERFAIL_TARGET_DEAD);
        return;
      }
      if (target->location.asteroid != unit.location.asteroid && target->location.asteroid < SolarSpace()) {
        SrvMoveTowardAsteroid(turn, unit, target->location.asteroid);
        return;
      }
      if (StepLocally(turn, unit, target->location, 1, kApproachRangeSq) && order->type == ORDER_GO_TO_UNIT)
        SrvFinishFirstOrder(turn, unit, 1);
      return;
    }
    default:
      break;
  }
  const std::uint32_t type = order->type;
  if (CountDown(turn, unit) != 0) return;
  order = unit.GetOrder(0);
  switch (type) {
    case ORDER_BUILD_ATVS:
      BuildAtvs(turn, unit, *order);
      break;
    case ORDER_BUILD_SHIP:
    case ORDER_BUILD_OR_REPAIR_SHIP:
      BuildShip(turn, unit, *order);
      break;
    case ORDER_LAND_ATVS:
      LandAtvs(turn, unit, *order);
      break;
    case ORDER_RECOVER_ATVS:
      RecoverAtvs(turn, unit, *order);
      break;
    case ORDER_DECOMMISSION:
    case ORDER_SELF_DESTRUCT:
      RemoveUnit(turn, unit);
      return;
    case ORDER_SCAN_ASTEROID:
      TellScan(turn, unit, order->Asteroid());
      break;
    case ORDER_SCAN_SHIP:
      turn.world.notices.Add(static_cast<std::uint16_t>(unit.GetChapter()), notify::kUnitEvent, notify::kShipScanned,
                             nullptr, nullptr, 0, order->Word(0), unit.id);
      break;
    case ORDER_RECHARGE_FROM_ASTEROID:
    case ORDER_RECHARGE_FROM_UNIT:
    case ORDER_TRANSFER_POWER:
      Recharge(turn, unit, *order);
      break;
    case ORDER_MODIFY_SHIP:
    case ORDER_REPAIR_UNIT:
    case ORDER_REBUILD_UNIT:
      WorkOnShip(turn, *order);
      break;
    case ORDER_SCRAP_UNIT:
      Scrap(turn, unit, *order);
      break;
    default:
      SrvFinishFirstOrder(turn, unit, ORDERFAIL_UNIMPLEMENTED);
      return;
  }
  SrvFinishFirstOrder(turn, unit, 1);
}

}  // namespace

void SrvAdvanceUnitOrder(SrvTurnContext& turn, CGUnit& unit) {
  const UnitOrder* order = unit.GetOrder(0);
  // An order that waited behind a stun takes the turn the stun ends in: a
  // retreat queued behind it gets away before the turn's battles.
  if (order != nullptr && order->type == ORDER_STUNNED) {
    if (!SrvAdvanceStun(turn, unit)) return;
    order = unit.GetOrder(0);
  }
  // A special or mental attack is made from where the unit stands: one
  // whose target is gone, or has left, is over.
  if (order != nullptr && (order->type == ORDER_SPECIAL_ATTACK || order->type == ORDER_MENTAL_ATTACK)) {
    std::uint16_t at = 0;
    const CGUnit* target = turn.world.pieces->FindUnit(order->Word(0), &at);
    if (target == nullptr || !target->IsOperational() || target->location.asteroid != unit.location.asteroid)
      SrvFinishFirstOrder(turn, unit, ORDERFAIL_TARGET_DEAD);
    return;
  }
  if (order == nullptr || IsBattleOrder(order->type)) return;
  const std::uint32_t type = order->type, id = unit.id;
  // A move's step takes its drives' power: a unit whose store and a turn's
  // generation fall short of it cannot make the step, as the client's
  // prediction of the trip's power says.
  if (IsMoveOrder(type) && unit.power + unit.GetPowerGeneration() < PowerPerTurn(unit, type)) {
    SrvFinishFirstOrder(turn, unit, ORDERFAIL_LACK_POWER);
    return;
  }
  AdvanceOrder(turn, unit);
  // The turn's work is paid after it, so that the step the client predicted
  // with the unit's power is the one taken.
  std::uint16_t at = 0;
  if (CGUnit* still = turn.world.pieces->FindUnit(id, &at)) SpendPower(turn, *still, type);
}
