// The unit's order queue: building orders, inserting, sending, receiving
// back, removing and cancelling them, and the packets that carry them.
#include <algorithm>
#include <memory>

#include "Game/base/TraceError.h"
#include "Game/model/GAsteroid.h"
#include "Game/model/GGamePieceDB.h"
#include "Game/model/GUnit.h"
#include "Game/model/GViewNotices.h"
#include "Game/model/GZone.h"
#include "Game/model/GameWorld.h"
#include "Game/rules/GRulesFacts.h"
#include "Game/rules/GRulesLinks.h"

PacketImage<kOrderPacketSize> BuildOrderPacket(std::uint32_t unitId, const UnitOrder& order, std::uint8_t insertMode) {
  PacketImage<kOrderPacketSize> p(PKT_ORDER);
  p.Put(8, unitId);
  p.Put(12, order.type);
  p.Put(16, std::uint32_t{order.target != nullptr ? 1u : 0u});
  p.Put(20, insertMode);
  p.PutBytes(24, order.head);  // words 2 and 3 (24 + 8 .. 39) stay zero
  if (order.type == ORDER_LAND_ATVS && order.landing) p.PutBytes(40, order.landing->bytes);
  return p;
}

bool ParseOrderPacket(std::span<const std::uint8_t> image, OrderPacket* out) {
  plat::ByteReader r(image);
  if (!r.Has(0, kOrderPacketSize)) return false;
  r.ReadAt(8, out->unitId);
  r.ReadAt(12, out->type);
  r.ReadAt(16, out->hasTarget);
  r.ReadAt(20, out->insertMode);
  r.ReadAt(24, std::span<std::uint8_t>(out->head));
  r.ReadAt(40, std::span<std::uint8_t>(out->landing));
  return true;
}

PacketImage<kCancelOrdersSize> BuildCancelOrdersPacket(std::uint32_t unitId, std::uint16_t asteroid, std::uint8_t all) {
  PacketImage<kCancelOrdersSize> p(PKT_ORDERS_CANCELLED);
  p.Put(8, unitId);
  p.Put(12, asteroid);
  p.Put(14, all);
  return p;
}

bool ParseCancelOrdersPacket(std::span<const std::uint8_t> image, CancelOrdersPacket* out) {
  plat::ByteReader r(image);
  if (!r.Has(0, kCancelOrdersSize)) return false;
  r.ReadAt(8, out->unitId);
  r.ReadAt(12, out->asteroid);
  r.ReadAt(14, out->all);
  return true;
}

PacketImage<20> BuildAtvsReturnedPacket(std::uint16_t asteroid, std::uint16_t zone, std::uint16_t chapter,
                                        std::uint16_t kind, std::int16_t change) {
  PacketImage<20> p(PKT_ATVS_RETURNED);
  p.Put(8, asteroid);
  p.Put(10, zone);
  p.Put(12, chapter);
  p.Put(14, kind);
  p.Put(16, change);
  return p;
}

namespace {

bool IsDesignOrder(std::uint32_t type) {
  return type == ORDER_BUILD_SHIP || type == ORDER_MODIFY_SHIP || type == ORDER_BUILD_OR_REPAIR_SHIP;
}

}  // namespace

std::int32_t CGUnit::IssueOrder(std::uint32_t type, std::uint32_t targetValue, std::uint8_t insertMode, CGUnit* target,
                                bool constructionChecks) {
  auto order = std::make_unique<UnitOrder>();
  order->type = type;
  order->SetWord(0, targetValue);
  if (orders.count == 0) order->target = target;
  const std::uint32_t targetId = target != nullptr ? target->id : kNoTargetId;
  if (type == ORDER_REBUILD_UNIT) {
    order->SetWord(0, targetId);
    // A rebuild pays for the destroyed modules only; reusing the target's
    // fitted modules would make it nearly free.
    order->SetWord(1, kNoTargetId);
  } else {
    order->SetWord(1, targetId);
  }
  if (constructionChecks) {
    const std::int32_t paid =
        type == ORDER_BUILD_ATVS ? CheckAtvConstruction(order.get()) : CheckConstruction(order.get(), target);
    if (paid <= 0) return paid;
  }
  return static_cast<std::int32_t>(InsertOrder(std::move(order), insertMode, true));
}

int CGUnit::OrderMoveToAsteroid(std::uint16_t asteroid, std::uint8_t newStage) {
  if (asteroid >= World().AsteroidCount()) return 0;
  auto order = std::make_unique<UnitOrder>();
  order->type = ORDER_MOVE_TO_ASTEROID;
  order->SetWord(0, asteroid | (std::uint32_t{newStage} << 16));
  if (InsertOrder(std::move(order), kInsertReplace, true) == 0) return 0;
  stage = newStage;
  return 1;
}

int CGUnit::OrderToLocation(std::uint32_t type, const Location* loc, std::uint8_t insertMode) {
  if (loc == nullptr) return 0;
  if (loc->asteroid != location.asteroid && loc->asteroid < World().AsteroidCount()) {
    if (OrderOnAsteroid(ORDER_MOVE_TO_ASTEROID, loc->asteroid, insertMode) == 0) return 0;
    insertMode = kInsertAppend;
  }
  auto order = std::make_unique<UnitOrder>();
  order->type = type;
  order->SetLocation(*loc);
  return InsertOrder(std::move(order), insertMode, true) != 0 ? 1 : 0;
}

int CGUnit::OrderOnUnit(std::uint32_t type, CGUnit* target, std::uint8_t insertMode) {
  if (target == nullptr) return 0;
  if (!target->IsOperational() && type != ORDER_SCRAP_UNIT && type != ORDER_GO_TO_UNIT) return 0;
  if (!IsOperational() && type != ORDER_DECOMMISSION) {
    TraceError("An unoperational unit takes only decommissioning", __FILE__, __LINE__);
    return 0;
  }
  const std::uint16_t there = target->location.asteroid;
  if (there != location.asteroid && there < World().AsteroidCount()) {
    if (OrderOnAsteroid(ORDER_MOVE_TO_ASTEROID, there, insertMode) == 0) return 0;
    insertMode = kInsertAppend;
  }
  auto order = std::make_unique<UnitOrder>();
  order->type = type;
  order->SetWord(0, target->id);
  if (orders.count == 0) order->target = target;
  return InsertOrder(std::move(order), insertMode, true) != 0 ? 1 : 0;
}

int CGUnit::OrderOnAsteroid(std::uint32_t type, std::uint16_t asteroid, std::uint8_t insertMode) {
  if ((type == ORDER_MOVE_TO_ASTEROID || type == ORDER_MOVE_NEXT_TO_ASTEROID) && asteroid >= World().AsteroidCount()) {
    return 0;
  }
  if (NeedsMoveBeforeOrder(type, asteroid, insertMode)) {
    if (OrderOnAsteroid(ORDER_MOVE_TO_ASTEROID, asteroid, insertMode) == 0) return 0;
    insertMode = kInsertAppend;
  }
  auto order = std::make_unique<UnitOrder>();
  order->type = type;
  order->SetWord(0, asteroid);
  return InsertOrder(std::move(order), insertMode, true) != 0 ? 1 : 0;
}

int CGUnit::OrderOnZone(std::uint32_t type, const std::uint8_t zoneTarget[6], std::uint8_t insertMode) {
  if (zoneTarget == nullptr) return 0;
  auto order = std::make_unique<UnitOrder>();
  order->type = type;
  std::copy_n(zoneTarget, 6, order->head.begin());
  if (type == ORDER_BUILD_ATVS && CheckAtvConstruction(order.get()) <= 0) return 0;
  return InsertOrder(std::move(order), insertMode, true) != 0 ? 1 : 0;
}

int CGUnit::OrderRecoverAtvs(std::uint32_t type, const std::uint8_t zoneTarget[6], const std::uint16_t counts[31],
                             std::uint8_t insertMode) {
  if (zoneTarget == nullptr || counts == nullptr) return 0;
  auto order = std::make_unique<UnitOrder>();
  order->type = type;
  std::copy_n(zoneTarget, 6, order->head.begin());
  order->recovery = std::make_unique<RecoveryBlock>();
  std::copy_n(counts, kZonesPerAsteroid, order->recovery->words.begin());
  return InsertOrder(std::move(order), insertMode, true) != 0 ? 1 : 0;
}

int CGUnit::OrderLandAtvs(const std::uint8_t block[132], std::uint8_t insertMode) {
  if (block == nullptr) return 0;
  auto order = std::make_unique<UnitOrder>();
  order->type = ORDER_LAND_ATVS;
  order->landing = std::make_unique<LandingBlock>();
  std::copy_n(block, LandingBlock::kSize, order->landing->bytes.begin());
  return InsertOrder(std::move(order), insertMode, true) != 0 ? 1 : 0;
}

bool CGUnit::NeedsMoveBeforeOrder(std::uint32_t type, std::uint16_t asteroid, std::uint8_t insertMode) const {
  const bool asteroidWork =
      type == ORDER_RECHARGE_FROM_ASTEROID || type == ORDER_SCAN_ASTEROID || type == ORDER_BOMBARD;
  if (!asteroidWork || asteroid >= World().AsteroidCount()) return false;
  if (asteroid != location.asteroid) return true;
  if (insertMode != kInsertAppend) return false;
  for (int i = orders.count - 1; i >= 0; --i) {
    const UnitOrder* o = orders.GetAt(static_cast<std::uint16_t>(i));
    if (o == nullptr) continue;
    switch (o->type) {
      case ORDER_MOVE_TO_ASTEROID:
      case ORDER_MOVE_NEXT_TO_ASTEROID:
      case ORDER_RETREAT:
      case ORDER_RECHARGE_FROM_ASTEROID:
      case ORDER_SCAN_ASTEROID:
      case ORDER_BOMBARD:
        return o->Asteroid() != asteroid;
      default:
        break;
    }
  }
  return false;
}

std::uint32_t CGUnit::InsertOrder(std::unique_ptr<UnitOrder> order, std::uint8_t insertMode, bool send) {
  if (!order) return 0;
  order->flag = 0;
  if (IsDesignOrder(order->type)) AddRefDesignById(order->Word(0), nullptr);
  if ((insertMode & kInsertFront) != 0) {
    orders.InsertAt(order.get(), 0);
  } else {
    if ((insertMode & kInsertReplace) != 0) {
      ClearOrders(false);
      stage = kStageNotStarted;
      const UnitOrder* first = orders.GetAt(0);
      if (first != nullptr && first->type == ORDER_STUNNED) {
        // What the order paid when it was built goes back before it is dropped.
        if (IsDesignOrder(order->type)) ReleaseDesignById(order->Word(0), nullptr);
        RefundConstruction(order.get());
        return 0;
      }
    }
    orders.SetAt(order.get(), ArrayMan<UnitOrder>::kAtEnd);
  }
  UnitOrder* placed = order.release();  // the queue owns it from here
  if (send) {
    SendOrder(0, placed, insertMode);
    return 1;
  }
  const std::uint32_t t = placed->type;
  if ((t == ORDER_REPAIR_UNIT || t == ORDER_BUILD_SHIP || t == ORDER_BUILD_OR_REPAIR_SHIP || t == ORDER_MODIFY_SHIP ||
       t == ORDER_REBUILD_UNIT) &&
      orders.count == 1 && World().pieces != nullptr) {
    placed->target = World().pieces->FindUnit(placed->Word(0), nullptr);
    if (placed->target != nullptr) {
      placed->target->AddConstructionPoints(static_cast<std::uint32_t>(GetConstructionCapacity()));
    }
  }
  return 1;
}

bool CGUnit::AppendLoadedOrder(std::unique_ptr<UnitOrder> order) {
  if (!order) return false;
  const std::uint16_t before = orders.count;
  orders.SetAt(order.get(), ArrayMan<UnitOrder>::kAtEnd);
  if (orders.count != before + 1) return false;
  const UnitOrder* placed = order.release();  // the queue owns it from here
  // Every way an order leaves the queue lets go of its design.
  if (IsDesignOrder(placed->type)) AddRefDesignById(placed->Word(0), nullptr);
  return true;
}

void CGUnit::SendOrder(std::uint32_t flag, const UnitOrder* order, std::uint8_t insertMode) const {
  if (order == nullptr) {
    TraceError("No order to send", __FILE__, __LINE__);
    return;
  }
  if (flag != 0) TraceError("Order sent with a flag", __FILE__, __LINE__);
  auto packet = BuildOrderPacket(id, *order, insertMode);
  RulesSendToAll(packet.bytes);
}

void CGUnit::AddOrderFromPacket(const OrderPacket& packet) {
  auto order = std::make_unique<UnitOrder>();
  order->type = packet.type;
  std::copy_n(packet.head.begin(), order->head.size(), order->head.begin());
  if (order->type == ORDER_LAND_ATVS) {
    order->landing = std::make_unique<LandingBlock>();
    order->landing->bytes = packet.landing;
  }
  InsertOrder(std::move(order), packet.insertMode, false);
}

void CGUnit::ReturnLandingAtvs(UnitOrder* order) {
  if (!order->landing) return;
  // Every zone of the asteroid can hold ATVs to land, so every run is read whole.
  for (int kind = 0; kind < kAtvKinds; ++kind) {
    for (int zone = 0; zone < kZonesPerAsteroid; ++zone) {
      const std::uint8_t n = order->landing->Count(kind, zone);
      if (n != 0) AddAtvs(kind, n);
    }
  }
  order->landing.reset();
}

void CGUnit::ReturnRecoveryAtvs(UnitOrder* order) {
  if (order == nullptr || !order->recovery) return;
  const std::uint16_t asteroid = order->ZoneAsteroid();
  const auto chapter = static_cast<std::uint8_t>(GetChapter());
  const CGAsteroid* home = World().Asteroid(asteroid);
  for (int zone = 0; zone < kZonesPerAsteroid; ++zone) {
    if (order->recovery->words[zone] == 0) continue;
    for (int kind = 0; kind < kAtvKinds; ++kind) {
      const int n = order->recovery->Count(zone, kind);
      if (n == 0) continue;
      if (CGZone* z = home != nullptr ? home->GetZone(static_cast<std::uint16_t>(zone)) : nullptr) {
        z->SetOwner(chapter);
        z->AddAtvs(static_cast<std::uint8_t>(kind), static_cast<std::int8_t>(n), 1);
      }
      auto packet = BuildAtvsReturnedPacket(asteroid, static_cast<std::uint16_t>(zone), RulesFacts().LocalChapterId(),
                                            static_cast<std::uint16_t>(kind), static_cast<std::int16_t>(-n));
      RulesSendToAll(packet.bytes);
    }
  }
  order->recovery.reset();
  ViewNotices().ZoneAtvsReturned();
}

void CGUnit::CancelConstructionOrder(UnitOrder* order, std::uint16_t index, std::int32_t result) {
  if (IsDesignOrder(order->type)) ReleaseDesignById(order->Word(0), nullptr);
  if (index == 0 && order->target != nullptr && result < 0) {
    order->target->UseConstructionPoints(static_cast<std::uint32_t>(GetConstructionCapacity()), true);
  }
  const bool underWay = stage != kStageNotStarted && index == 0;
  if (!underWay && result != 0 && IsConstructionOrderType(order->type)) {
    RefundConstruction(order);
  } else {
    order->construction.reset();
  }
  RecomputeStats();
}

// Clean-up of an order taken off the queue by a clear or a removal of the last one.
void CGUnit::CleanUpRemovedOrder(UnitOrder* order, std::uint16_t index) {
  switch (order->type) {
    case ORDER_SCRAP_UNIT:
      if (index == 0 && order->target != nullptr && order->target != this) order->target->ClearOrders(false);
      break;
    case ORDER_BUILD_ATVS:
    case ORDER_BUILD_SHIP:
    case ORDER_MODIFY_SHIP:
    case ORDER_BUILD_OR_REPAIR_SHIP:
    case ORDER_REPAIR_UNIT:
    case ORDER_REBUILD_UNIT:
      CancelConstructionOrder(order, index, -1);
      break;
    case ORDER_LAND_ATVS:
      ReturnLandingAtvs(order);
      break;
    case ORDER_RECOVER_ATVS:
      ReturnRecoveryAtvs(order);
      break;
    case ORDER_BE_CONSTRUCTED:
      receivedPoints = 0;
      break;
    default:
      break;
  }
}

void CGUnit::PopFirstOrder(std::int32_t result, std::uint32_t /*ignored*/) {
  std::unique_ptr<UnitOrder> order(orders.RemoveAt(0));
  if (!order) {
    stage = kStageNotStarted;
    return;
  }
  // The clean-up reads the stage of the order that ends: a construction order
  // that had started is not refunded, whether it failed or completed.
  switch (order->type) {
    case ORDER_SCRAP_UNIT:
      if (result != ORDERFAIL_TARGET_DECAYED && order->target != nullptr && order->target != this) {
        order->target->ClearOrders(false);
      }
      break;
    case ORDER_BUILD_ATVS:
      if (result < 0) CancelConstructionOrder(order.get(), 0, result);
      break;
    case ORDER_LAND_ATVS:
      if (result < 0) ReturnLandingAtvs(order.get());
      order->landing.reset();
      break;
    case ORDER_RECOVER_ATVS:
      if (result >= 0) {
        order->recovery.reset();
      } else {
        ReturnRecoveryAtvs(order.get());
      }
      break;
    case ORDER_BUILD_SHIP:
    case ORDER_MODIFY_SHIP:
    case ORDER_BUILD_OR_REPAIR_SHIP:
      if (order->target == this) {
        ReleaseDesignById(order->Word(0), nullptr);
      } else {
        CancelConstructionOrder(order.get(), 0, result);
      }
      break;
    case ORDER_REPAIR_UNIT:
    case ORDER_REBUILD_UNIT:
      if (order->target != this) CancelConstructionOrder(order.get(), 0, result);
      break;
    case ORDER_BE_CONSTRUCTED:
    case ORDER_GET_REPAIRED:
      receivedPoints = 0;
      break;
    default:
      break;
  }
  stage = kStageNotStarted;
  order.reset();
  if (result < 0) ClearOrders(false);
}

std::uint32_t CGUnit::ClearOrders(bool force) {
  const UnitOrder* first = orders.GetAt(0);
  if (!force && first != nullptr && first->type == ORDER_STUNNED) return 0;
  for (int i = orders.count - 1; i >= 0; --i) {
    const auto index = static_cast<std::uint16_t>(i);
    std::unique_ptr<UnitOrder> order(orders.RemoveAt(index));
    if (!order) continue;
    if (force) {
      if (IsDesignOrder(order->type)) ReleaseDesignById(order->Word(0), nullptr);
    } else {
      CleanUpRemovedOrder(order.get(), index);
    }
  }
  stage = kStageNotStarted;
  return 1;
}

std::uint32_t CGUnit::RemoveLastOrder() {
  if (orders.count != 0) {
    const auto index = static_cast<std::uint16_t>(orders.count - 1);
    std::unique_ptr<UnitOrder> order(orders.RemoveAt(index));
    // A removed "be constructed" order gives up its borrowed points, as a clear does.
    if (order) CleanUpRemovedOrder(order.get(), index);
  }
  if (orders.count == 0) stage = kStageNotStarted;
  return 1;
}

void CGUnit::SendCancel(std::uint8_t all) const {
  auto packet = BuildCancelOrdersPacket(id, location.asteroid, all);
  RulesSendToAll(packet.bytes);
}

void CGUnit::CancelOrders() {
  ClearOrders(false);
  SendCancel(1);
}

void CGUnit::CancelLastOrder() {
  RemoveLastOrder();
  SendCancel(0);
}

void CGUnit::BindFirstOrderTarget(std::uint32_t targetId, std::uint8_t newStage) {
  stage = newStage;
  UnitOrder* first = orders.GetAt(0);
  if (targetId == kNoTargetId || first == nullptr) return;
  first->target = FindNear(targetId);
  if (first->target == nullptr) TraceError("Order target not found", __FILE__, __LINE__);
}

bool CGUnit::BindConstructee(std::span<const std::uint8_t> packet) {
  plat::ByteReader r(packet);
  std::uint16_t bound = 0;
  std::uint32_t constructee = 0;
  if (!r.ReadAt(14, bound) || !r.ReadAt(16, constructee)) return false;
  UnitOrder* first = orders.GetAt(0);
  if (first == nullptr) {
    TraceError("Constructee for an empty queue", __FILE__, __LINE__);
    return true;
  }
  stage = 200;
  if (bound == 0) {
    CGUnit* found = World().pieces != nullptr ? World().pieces->FindUnitAt(location.asteroid, constructee) : nullptr;
    if (found == nullptr) {
      TraceError("Constructee not found", __FILE__, __LINE__);
      return true;
    }
    first->target = found;
  }
  if (IsOperational()) RecomputeStats();
  return true;
}

bool CGUnit::HasAsteroidTargetOrder() const {
  const UnitOrder* first = orders.GetAt(0);
  if (first == nullptr) return false;
  switch (first->type) {
    case ORDER_MOVE_NEXT_TO_ASTEROID:
    case ORDER_MOVE_TO_ASTEROID:
    case ORDER_SCAN_ASTEROID:
    case ORDER_LAND_ATVS:
    case ORDER_RECOVER_ATVS:
    case ORDER_BOMBARD:
    case ORDER_RECHARGE_FROM_ASTEROID:
      return true;
    default:
      return false;
  }
}

void CGUnit::EndScrapOrdersOnUnit(bool completed) {
  CGGamePieceDB* pieces = World().pieces;
  if (pieces == nullptr) return;
  const int limit = CGGamePieceDB::ChapterLimit();
  for (int chapter = 0; chapter < limit && chapter < kPieceOwners; ++chapter) {
    const auto owner = static_cast<std::uint16_t>(chapter);
    for (std::uint16_t k = 0; k < pieces->CountUnits(location.asteroid, static_cast<std::int16_t>(owner)); ++k) {
      CGUnit* unit = pieces->GetUnitAt(location.asteroid, owner, k);
      const UnitOrder* first = unit != nullptr ? unit->orders.GetAt(0) : nullptr;
      if (first != nullptr && first->type == ORDER_SCRAP_UNIT && first->target == this) {
        unit->PopFirstOrder(completed ? 0 : ORDERFAIL_TARGET_DECAYED, 1);
      }
    }
  }
}
