#include "server/orders/SrvOrders.h"

#include <algorithm>
#include <memory>

#include "Game/base/Packets.h"
#include "Game/model/GAsteroid.h"
#include "Game/model/GUnit.h"
#include "Game/model/GUnitModules.h"
#include "Game/net/TradePackets.h"
#include "Game/rules/GRulesPackets.h"
#include "Game/rules/GUnitTem.h"
#include "server/ai/SrvChapterState.h"
#include "server/battle/SrvSpaceBattle.h"
#include "server/orders/SrvPacketRead.h"
#include "server/orders/SrvUnitPackets.h"
#include "server/world/SrvCentreZone.h"
#include "server/world/SrvScienceBonus.h"

namespace {

// The server takes a cancel that stops after its flag, and a module
// allocation that stops after its percent.
constexpr std::size_t kCancelFieldsEnd = 15;
constexpr std::size_t kModuleAllocationFieldsEnd = 14;
constexpr std::size_t kBattlePlanSize = 48;
constexpr std::uint16_t kMaxTransitTurns = 254;
// Far above what 40 chapters' pools can send in a turn; a flood is refused.
constexpr std::size_t kMaxTransfersPerTurn = 40 * 150 * 4;

bool IsAllocationPercent(std::uint16_t percent) { return percent <= 100 && percent % 25 == 0; }

// Orders whose head's word 0 names another unit by id.
bool TargetsUnitByWord0(std::uint32_t type) {
  switch (type) {
    case ORDER_GO_TO_UNIT:
    case ORDER_ATTACK_UNIT:
    case ORDER_TRANSFER_POWER:
    case ORDER_RECHARGE_FROM_UNIT:
    case ORDER_SCRAP_UNIT:
    case ORDER_SCAN_SHIP:
    case ORDER_REPAIR_UNIT:
    case ORDER_REBUILD_UNIT:
    case ORDER_FOLLOW_FRIEND:
    case ORDER_SPECIAL_ATTACK:
    case ORDER_MENTAL_ATTACK:
      return true;
    default:
      return false;
  }
}

// Orders whose head's word 0 holds an asteroid in its low half.
bool TargetsAsteroid(std::uint32_t type) {
  switch (type) {
    case ORDER_MOVE_TO_ASTEROID:
    case ORDER_MOVE_NEXT_TO_ASTEROID:
    case ORDER_RETREAT:
    case ORDER_RECHARGE_FROM_ASTEROID:
    case ORDER_SCAN_ASTEROID:
    case ORDER_DEFEND:
    case ORDER_ATTACK_ENEMY_AT_ASTEROID:
    case ORDER_BOMBARD:
      return true;
    default:
      return false;
  }
}

// Orders no player may give: the server's own states of a unit.
bool IsServerOnlyOrder(std::uint32_t type) {
  return type == ORDER_STUNNED || type == ORDER_BE_CONSTRUCTED || type == ORDER_GET_REPAIRED || type == ORDER_TYPE_26 ||
         type == ORDER_TYPE_33 || type == ORDER_CANCEL_FIRST;
}

// A special attack (31) needs a working special weapon, a mental attack (34)
// a mind weapon; either is made on another chapter's unit within the
// weapon's range of where the unit stands in an asteroid's space.
SrvOrderVerdict CheckSpecialAttack(const CGUnit& unit, const CGUnit& target, std::uint32_t type) {
  const int slot = SrvSpecialSlot(unit, type == ORDER_MENTAL_ATTACK ? kSpecialMind : 0);
  if (slot < 0) return SrvOrderVerdict::kBadOrder;
  if (target.GetChapter() == unit.GetChapter()) return SrvOrderVerdict::kBadTarget;
  const std::uint16_t here = unit.location.asteroid;
  if (here >= CGSolarDB::GetAsteroidCount() || target.location.asteroid != here ||
      GetLocationDistanceSq(&unit.location, &target.location) > unit.GetWeaponRangeSq(slot))
    return SrvOrderVerdict::kOutOfRange;
  return SrvOrderVerdict::kAccepted;
}

struct OwnUnit {
  CGUnit* unit = nullptr;
  SrvOrderVerdict verdict = SrvOrderVerdict::kAccepted;
};

OwnUnit FindOwnUnit(SrvWorld& world, std::uint16_t chapter, std::uint32_t id) {
  std::uint16_t at = 0;
  CGUnit* unit = world.pieces->FindUnit(id, &at);
  if (unit == nullptr) return {nullptr, SrvOrderVerdict::kUnknownUnit};
  if (unit->GetChapter() != chapter) return {nullptr, SrvOrderVerdict::kNotOwner};
  return {unit, SrvOrderVerdict::kAccepted};
}

SrvOrderVerdict TakeUnitOrder(SrvWorld& world, std::uint16_t chapter, std::span<const std::uint8_t> packet) {
  OrderPacket order;
  if (!ParseOrderPacket(packet, &order)) return SrvOrderVerdict::kTooShort;
  const OwnUnit own = FindOwnUnit(world, chapter, order.unitId);
  if (own.unit == nullptr) return own.verdict;
  CGUnit& unit = *own.unit;
  if (order.type >= kOrderTypeCount || IsServerOnlyOrder(order.type)) return SrvOrderVerdict::kBadOrder;
  // Self-repair is the work of the unit's damage control.
  if (order.type == ORDER_REPAIR && (unit.design == nullptr || unit.design->damageControl == 0))
    return SrvOrderVerdict::kBadOrder;
  // No player's client puts an order before the current one: taken, it would
  // run on in that order's countdown (a trip's last turn would carry the unit
  // anywhere) and slip past a stun.
  if (order.insertMode != kInsertReplace && order.insertMode != kInsertAppend) return SrvOrderVerdict::kBadOrder;
  if (!unit.IsOperational() && order.type != ORDER_DECOMMISSION) return SrvOrderVerdict::kUnoperational;
  // A stunned unit's queue stays: an order may only wait behind the stun.
  if (order.insertMode == kInsertReplace && SrvStunned(unit)) return SrvOrderVerdict::kStunned;

  UnitOrder probe;
  std::copy_n(order.head.begin(), probe.head.size(), probe.head.begin());
  const std::uint16_t asteroids = CGSolarDB::GetAsteroidCount();
  CGUnit* target = nullptr;
  if (TargetsUnitByWord0(order.type)) {
    std::uint16_t at = 0;
    target = world.pieces->FindUnit(probe.Word(0), &at);
    if (target == nullptr || target == &unit) return SrvOrderVerdict::kBadTarget;
    // Work on a ship is done on the chapter's own.
    if ((order.type == ORDER_REPAIR_UNIT || order.type == ORDER_REBUILD_UNIT || order.type == ORDER_SCRAP_UNIT) &&
        target->GetChapter() != chapter)
      return SrvOrderVerdict::kBadTarget;
  }
  if (TargetsAsteroid(order.type) && probe.Asteroid() >= asteroids) return SrvOrderVerdict::kBadTarget;
  // A bombardment names an asteroid by its index alone: a star, or anything
  // else the views can pick, is no target.
  if (order.type == ORDER_BOMBARD && probe.Word(0) >= asteroids) return SrvOrderVerdict::kBadTarget;
  if (order.type == ORDER_SPECIAL_ATTACK || order.type == ORDER_MENTAL_ATTACK) {
    if (const SrvOrderVerdict v = CheckSpecialAttack(unit, *target, order.type); v != SrvOrderVerdict::kAccepted)
      return v;
  }
  if ((order.type == ORDER_MOVE_TO_LOCATION || order.type == ORDER_DELAYED_MOVE) &&
      probe.GetLocation().asteroid > asteroids)
    return SrvOrderVerdict::kBadTarget;
  if ((order.type == ORDER_LAND_ATVS || order.type == ORDER_RECOVER_ATVS) && probe.ZoneAsteroid() >= asteroids)
    return SrvOrderVerdict::kBadTarget;

  if (order.type == ORDER_BUILD_ATVS || order.type == ORDER_BUILD_SHIP || order.type == ORDER_MODIFY_SHIP ||
      order.type == ORDER_BUILD_OR_REPAIR_SHIP || order.type == ORDER_REBUILD_UNIT) {
    // The order pays, here as in the client, from the pool where the unit is.
    if (order.type != ORDER_BUILD_ATVS && order.type != ORDER_REBUILD_UNIT) {
      const CGUnitTemplate* design = world.templates->FindTemplateById(probe.Word(0));
      if (design == nullptr || design->chapter != chapter) return SrvOrderVerdict::kBadTarget;
      if (order.type == ORDER_MODIFY_SHIP) {
        std::uint16_t at = 0;
        target = world.pieces->FindUnit(probe.Word(1), &at);
        if (target == nullptr || target->GetChapter() != chapter) return SrvOrderVerdict::kBadTarget;
      }
    }
    if (unit.GetConstructionCapacity() <= 0) return SrvOrderVerdict::kBadOrder;
    auto built = std::make_unique<UnitOrder>();
    built->type = order.type;
    built->head = probe.head;
    if (order.type == ORDER_REBUILD_UNIT) built->SetWord(1, kNoTargetId);
    if (order.type != ORDER_MODIFY_SHIP && order.type != ORDER_REBUILD_UNIT && order.type != ORDER_BUILD_ATVS)
      built->SetWord(1, kNoTargetId);
    const std::int32_t paid = order.type == ORDER_BUILD_ATVS ? unit.CheckAtvConstruction(built.get())
                                                             : unit.CheckConstruction(built.get(), target);
    if (paid <= 0) return SrvOrderVerdict::kCannotAfford;
    if (unit.GetOrderCount() == 0) built->target = target;
    if (unit.InsertOrder(std::move(built), order.insertMode, false) == 0) return SrvOrderVerdict::kBadOrder;
    return SrvOrderVerdict::kAccepted;
  }

  if (order.type == ORDER_LAND_ATVS) {
    // What lands comes out of the hold now, as the client took it when the
    // order was given; ATVs the unit does not carry cannot be landed.
    LandingBlock block;
    block.bytes = order.landing;
    for (int kind = 0; kind < kAtvKinds; ++kind) {
      int total = 0;
      for (int zone = 0; zone < kZonesPerAsteroid; ++zone) total += block.Count(kind, zone);
      if (total > unit.atvCargo[static_cast<std::size_t>(kind)]) return SrvOrderVerdict::kBadOrder;
      if (block.Count(kind, kSrvCentreZone) != 0 && !SrvZoneTakesAtvKind(kSrvCentreZone, kind))
        return SrvOrderVerdict::kBadOrder;
    }
    for (int kind = 0; kind < kAtvKinds; ++kind) {
      int total = 0;
      for (int zone = 0; zone < kZonesPerAsteroid; ++zone) total += block.Count(kind, zone);
      unit.atvCargo[static_cast<std::size_t>(kind)] =
          static_cast<std::uint8_t>(unit.atvCargo[static_cast<std::size_t>(kind)] - total);
    }
  }
  const std::uint16_t before = unit.GetOrderCount();
  unit.AddOrderFromPacket(order);
  if (unit.GetOrderCount() == before && order.insertMode != kInsertReplace) return SrvOrderVerdict::kBadOrder;
  if (target != nullptr && unit.GetOrderCount() == 1) unit.GetOrder(0)->target = target;
  return SrvOrderVerdict::kAccepted;
}

SrvOrderVerdict TakeCancel(SrvWorld& world, std::uint16_t chapter, std::span<const std::uint8_t> packet) {
  CancelOrdersPacket cancel;
  if (packet.size() < kCancelFieldsEnd || !ParseCancelOrdersPacket(SrvFilledTo<kCancelOrdersSize>(packet), &cancel))
    return SrvOrderVerdict::kTooShort;
  const OwnUnit own = FindOwnUnit(world, chapter, cancel.unitId);
  if (own.unit == nullptr) return own.verdict;
  // Cancelling the last order of a stunned unit holding only its stun would end the stun.
  if (cancel.all == 0 && own.unit->GetOrderCount() == 1 && SrvStunned(*own.unit)) return SrvOrderVerdict::kStunned;
  if (cancel.all != 0)
    own.unit->CancelOrders();
  else
    own.unit->CancelLastOrder();
  return SrvOrderVerdict::kAccepted;
}

// Only the Emerald Combine arms and disarms mind weapons, and a firing level
// (the share of power a module runs on) is raised only where a module is
// fitted; the levels the plan leaves as they are pass, whatever the slot holds.
bool FiringLevelsAllowed(const CGUnit& unit, const BattlePlanPacket& plan) {
  for (std::size_t s = 0; s < plan.firingLevels.size(); ++s) {
    const int slot = static_cast<int>(s);
    const std::uint8_t now = unit.GetFiringLevel(slot), wanted = plan.firingLevels[s];
    if (wanted == now) continue;
    const ModuleRecord* m = SlotModule(unit.design, slot);
    if (m != nullptr && m->SpecialCode() == kSpecialMind && unit.GetGuild() != kMindWeaponGuild) return false;
    if (wanted > now && m == nullptr) return false;
  }
  return true;
}

SrvOrderVerdict TakeBattlePlan(SrvWorld& world, std::uint16_t chapter, std::span<const std::uint8_t> packet) {
  BattlePlanPacket plan;
  if (packet.size() < kBattlePlanSize || !BattlePlanPacket::Parse(packet, &plan)) return SrvOrderVerdict::kTooShort;
  const OwnUnit own = FindOwnUnit(world, chapter, plan.unitId);
  if (own.unit == nullptr) return own.verdict;
  for (std::uint8_t level : plan.firingLevels)
    if (level > 7) return SrvOrderVerdict::kBadOrder;
  if (!FiringLevelsAllowed(*own.unit, plan)) return SrvOrderVerdict::kBadOrder;
  own.unit->ApplyBattlePlanPacket(plan);
  return SrvOrderVerdict::kAccepted;
}

SrvOrderVerdict TakeModuleAllocation(SrvWorld& world, std::uint16_t chapter, std::span<const std::uint8_t> packet) {
  ResearchPacket allocation;
  if (packet.size() < kModuleAllocationFieldsEnd ||
      !ParseResearchPacket(SrvFilledTo<ResearchPacketSize(PKT_MODULE_ALLOCATION)>(packet), &allocation))
    return SrvOrderVerdict::kTooShort;
  const std::uint16_t module = allocation.item, percent = allocation.value;
  if (allocation.chapterSlot != (chapter & 7)) return SrvOrderVerdict::kNotOwner;
  const ModuleRecord* record = world.modules->GetRecord(module);
  if (record == nullptr || (record->guildMask & (1u << (chapter >> 3))) == 0 || !IsAllocationPercent(percent))
    return SrvOrderVerdict::kBadOrder;
  world.research[chapter >> 3].modulePercent[module] = percent;
  return SrvOrderVerdict::kAccepted;
}

SrvOrderVerdict TakeHullAllocation(SrvWorld& world, std::uint16_t chapter, std::span<const std::uint8_t> packet) {
  ResearchPacket allocation;
  if (!ParseResearchPacket(packet, &allocation)) return SrvOrderVerdict::kTooShort;
  const std::uint16_t section = allocation.section, hull = allocation.item, percent = allocation.value;
  if (allocation.chapterSlot != (chapter & 7) || section != (chapter >> 3)) return SrvOrderVerdict::kNotOwner;
  SrvGuildResearch& research = world.research[section];
  if (hull >= research.hullPercent.size() || !IsAllocationPercent(percent)) return SrvOrderVerdict::kBadOrder;
  research.hullPercent[hull] = percent;
  return SrvOrderVerdict::kAccepted;
}

SrvOrderVerdict TakeAutoTransfer(SrvWorld& world, std::uint16_t chapter, std::span<const std::uint8_t> packet) {
  MineralTransferPacket transfer;
  if (!MineralTransferPacket::Parse(packet, &transfer)) return SrvOrderVerdict::kTooShort;
  if (transfer.sender != chapter) return SrvOrderVerdict::kNotOwner;
  const SrvAutoTransfer t{transfer.sender,      transfer.source,
                          transfer.destination, transfer.mineral,
                          transfer.amount,      std::clamp<std::uint16_t>(transfer.transit, 1, kMaxTransitTurns)};
  const CGAsteroid* from = world.solar.GetAsteroid(t.source);
  const CGAsteroid* to = world.solar.GetAsteroid(t.destination);
  if (from == nullptr || to == nullptr || t.source == t.destination || t.mineral >= kMineralTypes || t.amount == 0)
    return SrvOrderVerdict::kBadOrder;
  if (from->owner != chapter || to->owner != chapter) return SrvOrderVerdict::kNotOwner;
  if (world.autoTransfers.size() >= kMaxTransfersPerTurn) return SrvOrderVerdict::kBadOrder;
  world.autoTransfers.push_back(t);
  return SrvOrderVerdict::kAccepted;
}

}  // namespace

bool SrvIsOrderPacket(std::uint16_t type) {
  return type == PKT_ORDER || type == PKT_ORDERS_CANCELLED || type == PKT_BATTLE_PLAN ||
         type == PKT_MODULE_ALLOCATION || type == PKT_HULL_ALLOCATION || type == PKT_AUTO_TRANSFER ||
         type == PKT_MODULE_SCIENCE_BONUS || type == PKT_HULL_SCIENCE_BONUS;
}

SrvOrderVerdict SrvSubmitOrder(SrvWorld& world, std::uint16_t chapter, std::span<const std::uint8_t> packet) {
  PacketHeader header;
  if (!ReadPacketHeader(packet, header)) return SrvOrderVerdict::kTooShort;
  // An eliminated chapter keeps its record (and its guild's research) but gives no more orders.
  if (!SrvInPlay(world, chapter)) return SrvOrderVerdict::kNoChapter;
  switch (header.type) {
    case PKT_ORDER:
      return TakeUnitOrder(world, chapter, packet);
    case PKT_ORDERS_CANCELLED:
      return TakeCancel(world, chapter, packet);
    case PKT_BATTLE_PLAN:
      return TakeBattlePlan(world, chapter, packet);
    case PKT_MODULE_ALLOCATION:
      return TakeModuleAllocation(world, chapter, packet);
    case PKT_HULL_ALLOCATION:
      return TakeHullAllocation(world, chapter, packet);
    case PKT_AUTO_TRANSFER:
      return TakeAutoTransfer(world, chapter, packet);
    case PKT_MODULE_SCIENCE_BONUS:
    case PKT_HULL_SCIENCE_BONUS:
      return SrvTakeScienceBonus(world, chapter, packet);
    default:
      return SrvOrderVerdict::kNotAnOrder;
  }
}

SrvPacket SrvRefusedOrderNotice(SrvWorld& world, std::uint16_t chapter, std::span<const std::uint8_t> packet,
                                SrvOrderVerdict verdict) {
  OrderPacket order;
  if (verdict == SrvOrderVerdict::kAccepted || !ParseOrderPacket(packet, &order)) return {};
  std::uint16_t at = 0;
  CGUnit* unit = world.pieces->FindUnit(order.unitId, &at);
  if (unit == nullptr || unit->GetChapter() != chapter) return {};
  if (order.insertMode != kInsertReplace && unit->GetOrderCount() != 0) return {};
  // A stunned unit's queue is never emptied (its client refuses to replace
  // it too): a 303 would end the stun on the client's side alone.
  if (SrvStunned(*unit)) return {};
  unit->ClearOrders(false);
  const std::int32_t code = verdict == SrvOrderVerdict::kCannotAfford ? ORDERFAIL_LACK_MINERALS
                            : verdict == SrvOrderVerdict::kBadTarget  ? ORDERFAIL_TARGET_DEAD
                                                                      : ORDERFAIL_UNKNOWN_CAUSE;
  return BuildOrderRemovedPacket(order.unitId, code);
}

const char* SrvOrderVerdictText(SrvOrderVerdict verdict) {
  switch (verdict) {
    case SrvOrderVerdict::kAccepted:
      return "accepted";
    case SrvOrderVerdict::kTooShort:
      return "too short";
    case SrvOrderVerdict::kNotAnOrder:
      return "not an order";
    case SrvOrderVerdict::kNoChapter:
      return "no such chapter in the game";
    case SrvOrderVerdict::kUnknownUnit:
      return "unknown unit";
    case SrvOrderVerdict::kNotOwner:
      return "another chapter's";
    case SrvOrderVerdict::kUnoperational:
      return "the unit is out of action";
    case SrvOrderVerdict::kBadOrder:
      return "order out of range";
    case SrvOrderVerdict::kBadTarget:
      return "no such target";
    case SrvOrderVerdict::kCannotAfford:
      return "the pool cannot pay for it";
    case SrvOrderVerdict::kRepeated:
      return "asked already this turn";
    case SrvOrderVerdict::kStunned:
      return "the unit is stunned";
    case SrvOrderVerdict::kOutOfRange:
      return "the target is beyond the special weapon's range";
  }
  return "refused";
}
