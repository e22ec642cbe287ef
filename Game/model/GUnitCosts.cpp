// What building orders cost, paying for them out of the asteroid's pool and
// the chapter's organics, refunding them, and reusing modules already built.
#include <algorithm>
#include <cstdint>

#include "Game/base/TraceError.h"
#include "Game/model/GChapter.h"
#include "Game/model/GPoolDB.h"
#include "Game/model/GUnit.h"
#include "Game/model/GUnitModules.h"
#include "Game/model/GameWorld.h"
#include "Game/rules/GGameVar.h"
#include "Game/rules/GHullDB.h"
#include "Game/rules/GTemplateDB.h"

namespace {

constexpr int kFirstReusableSlot = 4;

bool NoMinerals(const std::uint32_t cost[5]) { return cost[0] == 0 && cost[1] == 0 && cost[2] == 0 && cost[3] == 0; }

bool PoolHolds(std::uint16_t asteroid, const std::uint32_t cost[5]) {
  if (NoMinerals(cost)) return true;
  return World().pools != nullptr && World().pools->HasMinerals(asteroid, cost) != 0;
}

bool PoolTakes(std::uint16_t asteroid, const std::uint32_t cost[5]) {
  if (NoMinerals(cost)) return true;
  return World().pools != nullptr && World().pools->TakeMinerals(asteroid, cost) != 0;
}

// Lowers a cost, never below 0 (a u32 cost must not wrap to a huge demand).
void TakeOff(std::uint32_t& cost, std::int64_t amount) {
  cost = static_cast<std::uint32_t>(std::max<std::int64_t>(std::int64_t{cost} - amount, 0));
}

void ModuleCosts(std::uint16_t moduleId, std::uint16_t out[5]) {
  std::fill_n(out, 5, 0);
  if (World().modules != nullptr) World().modules->GetCosts(moduleId, out);
}

}  // namespace

std::int32_t CGUnit::CheckAtvConstruction(UnitOrder* order) {
  std::int64_t sums[5] = {};
  for (int kind = 0; kind < kAtvKinds; ++kind) {
    std::int16_t unitCost[5] = {};
    g_gameVariables.GetATVCosts(kind, unitCost);
    for (int r = 0; r < 5; ++r) sums[r] += std::int64_t{order->ZoneAtvCount(kind)} * 3 * unitCost[r];
  }
  std::uint32_t cost[5];
  for (int r = 0; r < 5; ++r) cost[r] = static_cast<std::uint32_t>(std::clamp<std::int64_t>(sums[r], 0, 0xFFFF));
  return PayConstruction(order, cost);
}

std::int32_t CGUnit::CheckConstruction(UnitOrder* order, CGUnit* target) {
  std::uint32_t cost[5] = {};
  const CGUnitTemplate* wanted = nullptr;
  if (order->type == ORDER_REBUILD_UNIT) {
    if (target == nullptr || target->design == nullptr) {
      TraceError("A rebuild needs its target", __FILE__, __LINE__);
      return 0;
    }
    wanted = target->design;
    for (int s = 0; s < kUnitSlots; ++s) {
      const std::uint8_t fitted = SlotFitted(wanted, s);
      if (fitted == 0 || target->modules[s].damage != target->GetSlotCapacity(s)) continue;
      std::uint16_t m[5];
      ModuleCosts(wanted->slots[s].moduleId, m);
      for (int r = 0; r < 5; ++r) cost[r] += std::uint32_t{m[r]} * fitted;
    }
  } else {
    wanted = World().templates != nullptr ? World().templates->FindTemplateById(order->Word(0)) : nullptr;
    if (wanted == nullptr) {
      TraceError("No design to build", __FILE__, __LINE__);
      return 0;
    }
    wanted->GetCost32(cost);
  }
  if (order->Word(1) != kNoTargetId && target != nullptr) {
    std::uint8_t remaining[kUnitSlots];
    for (int s = 0; s < kUnitSlots; ++s) remaining[s] = SlotFitted(wanted, s);
    target->ReuseTargetModules(wanted, cost, remaining);
  }
  return PayConstruction(order, cost);
}

std::int32_t CGUnit::PayConstruction(UnitOrder* order, const std::uint32_t cost[5]) {
  order->construction.reset();
  const auto chapter = static_cast<std::uint8_t>(GetChapter());
  if (!PoolHolds(location.asteroid, cost)) return 0;
  CGChapter* payer = World().Chapter(chapter);
  const std::uint32_t organics = payer != nullptr ? payer->credits : 0;
  if (organics < cost[4]) return 0;
  if (!PoolTakes(location.asteroid, cost)) return -1;
  if (payer != nullptr) payer->credits = organics - cost[4];
  order->construction = std::make_unique<ConstructionBlock>();
  for (int r = 0; r < 5; ++r) {
    order->construction->words[ConstructionBlock::kFirstCost + r] = static_cast<std::uint16_t>(cost[r]);
  }
  return 1;
}

std::uint32_t CGUnit::RefundConstruction(UnitOrder* order) {
  if (order == nullptr || !order->construction) return 0;
  const ConstructionBlock& paid = *order->construction;
  if (CGPoolDB* pools = World().pools; pools != nullptr && World().Asteroid(location.asteroid) != nullptr) {
    for (int mineral = 0; mineral < 4; ++mineral) {
      if (paid.Cost(mineral) != 0)
        pools->AddMineral(location.asteroid, static_cast<std::uint32_t>(mineral), paid.Cost(mineral));
    }
  }
  if (CGChapter* payer = World().Chapter(static_cast<std::uint8_t>(GetChapter()))) payer->credits += paid.Cost(4);
  order->construction.reset();
  return 1;
}

void CGUnit::ReuseOwnModules(const CGUnitTemplate* wanted, std::uint32_t cost[5], std::uint8_t used[20],
                             std::uint8_t remaining[20]) const {
  std::fill_n(used, kUnitSlots, 0);
  for (int own = kFirstReusableSlot; own < kUnitSlots; ++own) {
    const std::uint8_t fitted = SlotFitted(design, own);
    if (fitted == 0) continue;
    for (int s = 0; s < kUnitSlots && used[own] < fitted; ++s) {
      if (remaining[s] == 0 || wanted->slots[s].moduleId != design->slots[own].moduleId) continue;
      const std::uint8_t n = std::min<std::uint8_t>(static_cast<std::uint8_t>(fitted - used[own]), remaining[s]);
      used[own] = static_cast<std::uint8_t>(used[own] + n);
      remaining[s] = static_cast<std::uint8_t>(remaining[s] - n);
      std::uint16_t m[5];
      ModuleCosts(design->slots[own].moduleId, m);
      for (int r = 0; r < 5; ++r) TakeOff(cost[r], std::int64_t{static_cast<std::int16_t>(m[r])} * n);
    }
  }
}

void CGUnit::ReuseTargetModules(const CGUnitTemplate* wanted, std::uint32_t cost[5], std::uint8_t remaining[20]) const {
  if (design == nullptr || wanted == nullptr) return;
  if (design->unitClass == wanted->unitClass && wanted->hull != nullptr) {
    std::uint16_t hullCost[4];
    wanted->hull->GetCosts(hullCost);
    for (int r = 0; r < 4; ++r) TakeOff(cost[r], hullCost[r]);
  }
  for (int own = 0; own < kUnitSlots; ++own) {
    std::uint8_t available = SlotFitted(design, own);
    for (int s = 0; s < kUnitSlots && available != 0; ++s) {
      if (remaining[s] == 0 || wanted->slots[s].moduleId != design->slots[own].moduleId) continue;
      const std::uint8_t n = std::min(available, remaining[s]);
      available = static_cast<std::uint8_t>(available - n);
      remaining[s] = static_cast<std::uint8_t>(remaining[s] - n);
      std::uint16_t m[5];
      ModuleCosts(design->slots[own].moduleId, m);
      for (int r = 0; r < 5; ++r) TakeOff(cost[r], std::int64_t{m[r]} * n);
    }
  }
}

std::uint32_t CGUnit::DesignCost(const CGUnitTemplate* wanted, bool reuseOwn, const CGUnit* target,
                                 std::uint32_t cost[5]) const {
  wanted->GetCost32(cost);
  std::uint8_t remaining[kUnitSlots];
  for (int s = 0; s < kUnitSlots; ++s) remaining[s] = SlotFitted(wanted, s);
  if (target != nullptr) {
    if (target->design == nullptr || target->design->unitClass != wanted->unitClass) return 0;
    target->ReuseTargetModules(wanted, cost, remaining);
  }
  if (reuseOwn) {
    std::uint8_t used[kUnitSlots];
    ReuseOwnModules(wanted, cost, used, remaining);
  }
  return 1;
}

std::uint32_t CGUnit::CanAffordTemplate(const CGUnitTemplate* wanted, bool reuseOwn, const CGUnit* target) const {
  if (wanted == nullptr) return 0;
  std::uint32_t cost[5];
  if (DesignCost(wanted, reuseOwn, target, cost) == 0) return 0;
  const CGChapter* payer = World().Chapter(static_cast<std::uint8_t>(GetChapter()));
  return PoolHolds(location.asteroid, cost) && (payer != nullptr ? payer->credits : 0) >= cost[4] ? 1 : 0;
}

std::uint32_t CGUnit::CanAffordFixedTemplate(int slot, bool reuseOwn, const CGUnit* target) const {
  if (World().templates == nullptr) return 0;
  return CanAffordTemplate(World().templates->GetTemplate(static_cast<int>(GetChapter()), slot, 1), reuseOwn, target);
}

std::uint32_t CGUnit::IsSameClassAsFixedTemplate(int slot, const CGUnit* target) const {
  if (target == nullptr || target->design == nullptr || World().templates == nullptr) return 0;
  const CGUnitTemplate* t = World().templates->GetTemplate(static_cast<int>(GetChapter()), slot, 1);
  return t != nullptr && t->unitClass == target->design->unitClass ? 1 : 0;
}
