// How many turns the unit's first order needs and what it does to the unit's
// power, with the repair, rebuild, modification and rearming work of the
// construction orders.
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "Game/base/TraceError.h"
#include "Game/model/GAsteroid.h"
#include "Game/model/GChapter.h"
#include "Game/model/GGamePieceDB.h"
#include "Game/model/GPoolDB.h"
#include "Game/model/GUnit.h"
#include "Game/model/GUnitModules.h"
#include "Game/model/GameWorld.h"
#include "Game/rules/GGameVar.h"
#include "Game/rules/GTemplateDB.h"

namespace {

constexpr std::int64_t kUnknown = 0xFFFF;
constexpr std::uint16_t kSelfDestruct = 0xFFFE;
// A scrap estimate asks the scrapped unit for its own estimate; a chain of
// such questions is cut short rather than followed round a cycle.
int g_scrapDepth = 0;
constexpr int kMaxScrapDepth = 4;

std::int64_t CeilDiv(std::int64_t a, std::int64_t b) { return b == 0 ? kUnknown : a / b + (a % b != 0 ? 1 : 0); }

// The low byte of a module's build points.
std::uint32_t BuildPointsLow(std::uint16_t moduleId) {
  return World().modules != nullptr ? World().modules->GetBuildPoints(moduleId) & 0xFFu : 0u;
}

// The sum of the low build-point bytes of a design's modules times their counts.
std::int64_t DesignWork(const CGUnitTemplate* design) {
  std::int64_t sum = 0;
  for (int s = 0; s < kTemplateSlots; ++s) {
    if (SlotFitted(design, s) != 0) sum += BuildPointsLow(design->slots[s].moduleId) * design->slots[s].fitted;
  }
  return sum;
}

bool AimedAt(const UnitOrder* order, const CGUnit* unit) {
  return order != nullptr && (order->target == unit || order->Word(0) == unit->id);
}

}  // namespace

CGUnit* CGUnit::ResolveTarget(UnitOrder* order, int word) {
  if (order->target == nullptr) order->target = FindNear(order->Word(word));
  return order->target;
}

std::int32_t CGUnit::GetScanRange() const {
  std::int32_t best = -1;
  for (int s = 1; s < kUnitSlots; ++s) {
    const ModuleRecord* m = SlotModule(design, s);
    if (m == nullptr || m->type != MODULE_SCOUT || m->TypeByte(0) == 0) continue;
    if (best < 0 || m->TypeByte(0) < best) best = m->TypeByte(0);
  }
  return best < 0 ? -1 : 520 * best;
}

std::int32_t CGUnit::GetRepairPoints() const {
  std::int32_t sum = hullDamage + lifeSupportDamage;
  for (const ModuleSlotState& m : modules) sum += m.damage;
  return sum;
}

std::int32_t CGUnit::GetRebuildPoints() const {
  std::int32_t sum = hullDamage + lifeSupportDamage;
  for (int s = 0; s < kUnitSlots; ++s) {
    if (SlotFitted(design, s) != 0) sum += modules[s].damage;
  }
  return sum;
}

std::uint16_t CGUnit::GetModifyTurns(std::uint32_t reuseOwn, std::uint32_t reuseTarget, CGUnit* target,
                                     std::uint32_t templateId, std::uint32_t targetId) {
  if (target != nullptr) {
    const std::int64_t q = std::int64_t{target->receivedPoints} + target->GetConstructionCapacity();
    if (q != 0) return static_cast<std::uint16_t>(std::min(CeilDiv(target->GetRepairPoints(), q), kUnknown));
  }
  const CGUnitTemplate* wanted =
      World().templates != nullptr ? World().templates->FindTemplateById(templateId) : nullptr;
  if (wanted == nullptr) {
    TraceError("No design for the modification", __FILE__, __LINE__);
    return static_cast<std::uint16_t>(kUnknown);
  }
  std::uint8_t remaining[kUnitSlots];
  for (int s = 0; s < kUnitSlots; ++s) remaining[s] = SlotFitted(wanted, s);
  std::uint32_t cost[5];
  wanted->GetCost32(cost);
  if (reuseTarget == 1) {
    if (target == nullptr) target = FindNear(targetId);
    if (target == nullptr) {
      TraceError("No unit to modify", __FILE__, __LINE__);
      return static_cast<std::uint16_t>(kUnknown);
    }
    target->ReuseTargetModules(wanted, cost, remaining);
  } else if (reuseOwn == 1) {
    std::uint8_t used[kUnitSlots];
    ReuseOwnModules(wanted, cost, used, remaining);
  }
  std::int64_t points = 0;
  for (int s = 0; s < kUnitSlots; ++s) {
    if (remaining[s] != 0 && SlotFitted(design, s) != 0)
      points += BuildPointsLow(design->slots[s].moduleId) * remaining[s];
  }
  std::int64_t k = GetConstructionCapacity();
  if (k == 0) {
    TraceError("Modification without construction capacity", __FILE__, __LINE__);
    return static_cast<std::uint16_t>(kUnknown);
  }
  if (target != nullptr) k += target->GetConstructionCapacity();
  return static_cast<std::uint16_t>(std::clamp<std::int64_t>(CeilDiv(points, k), 1, kUnknown));
}

std::uint16_t CGUnit::GetRearmTurns(std::uint16_t* cost, std::uint16_t extraPoints) {
  std::uint16_t points = extraPoints;
  std::uint16_t longest = 0;
  for (int s = 1; s < kUnitSlots; ++s) {
    const ModuleRecord* m = SlotModule(design, s);
    if (!IsWeapon(m) || modules[s].FiringLevel() == 0 || modules[s].ammo >= m->MaxAmmo()) continue;
    points = static_cast<std::uint16_t>(points + receivedPoints);
    const std::int32_t half = (9 - static_cast<std::int32_t>(m->RateOfFire())) / 2;
    const std::int32_t missing = m->MaxAmmo() - modules[s].ammo;
    std::int32_t rate = 0;
    std::uint32_t use = 0;
    if (points != 0) {
      const std::uint8_t level = modules[s].FiringLevel();
      modules[s].SetFiringLevel(2);
      use = GetModulePowerUse(MODULE_WEAPON, static_cast<std::uint16_t>(s), kAllSlots);
      modules[s].SetFiringLevel(level);
      // A weapon that draws no power rearms at the full construction rate.
      rate = std::max<std::int32_t>(points / static_cast<std::int32_t>(std::max<std::uint32_t>(use, 1)), 1) + half;
      if (half == 0) rate += 1;
    } else {
      use = GetModulePowerUse(MODULE_WEAPON, static_cast<std::uint16_t>(s), kAllSlots);
      rate = half == 0 ? 1 : half;
    }
    // A fast weapon (rate of fire above 9) would give no rate at all.
    rate = std::max(rate, 1);
    const auto t = static_cast<std::uint16_t>(CeilDiv(missing, rate));
    if (cost != nullptr) *cost = static_cast<std::uint16_t>(*cost + use * t);
    longest = std::max(longest, t);
  }
  return longest;
}

std::uint16_t CGUnit::GetNumTurnsUntilOrderCompletion(std::int16_t* outPowerChange) {
  if (outPowerChange != nullptr) *outPowerChange = 0;
  UnitOrder* first = orders.GetAt(0);
  if (first == nullptr) return statusWord != 0 ? static_cast<std::uint16_t>(kUnknown) : 0;
  std::uint16_t cost = 0;
  std::uint16_t perTurn = 0;
  const std::uint16_t turns = TurnsOfFirstOrder(first, &cost, &perTurn);
  if (turns == kSelfDestruct) return turns;

  // Power rules.
  const std::int64_t t = turns;
  const std::int64_t c = cost;
  const std::int64_t p = perTurn;
  if (t == 0) return 0;
  if (cost == 0 && (first->type == ORDER_RECHARGE_FROM_UNIT || first->type == ORDER_RECHARGE_FROM_ASTEROID)) {
    return turns;
  }
  const std::int64_t pow = GetPower();
  const std::int64_t max = GetMaxPower();
  const std::int64_t gen = GetPowerGeneration();
  std::int64_t g = gen * t;
  if (pow + gen >= max) g += max - pow - gen;
  if (outPowerChange != nullptr) {
    std::int64_t change = 0;
    if (first->type == ORDER_DECOMMISSION) {
      change = -c;
    } else {
      change = g - c;
      if (pow + change > max) change = max - pow;
      if (change > -p && max - pow < p) change = max - p - pow;
    }
    *outPowerChange = static_cast<std::int16_t>(std::clamp<std::int64_t>(change, -32768, 32767));
  }
  // A decommissioned unit hands all its power over: that is its cost, not a
  // shortfall, whether or not the caller asked for the power change.
  if (first->type == ORDER_DECOMMISSION) return turns;
  if ((g & 0xFFFF) < c && c - g >= pow) return static_cast<std::uint16_t>(kUnknown);
  return turns;
}

// The type's rule: the turns, the power it costs and the power it uses per turn.
std::uint16_t CGUnit::TurnsOfFirstOrder(UnitOrder* first, std::uint16_t* outCost, std::uint16_t* outPerTurn) {
  std::int64_t t = kUnknown;
  std::int64_t c = 0;
  std::int64_t p = 0;
  auto powerUse = [this](int type) -> std::int64_t { return GetModulePowerUse(type, kAllSlots, kAllSlots); };
  auto approach = [this, first](CGUnit* target) -> std::int64_t {
    if (IsUnitInRange(first->type, target, kWorkRangeSq) != 0) return 0;
    return GetTurnsToLocation(&target->location, 1, kApproachRangeSq, nullptr);
  };
  auto busyElsewhere = [this](const CGUnit* target) {
    const UnitOrder* theirs = target->orders.GetAt(0);
    return theirs != nullptr && stage == kStageNotStarted && !AimedAt(theirs, this);
  };
  auto asMove = [&] {
    t = static_cast<std::uint16_t>(GetETA());
    p = powerUse(MODULE_PROPULSION) * 8;
    c = t * p;
  };
  const std::int64_t k = GetConstructionCapacity();
  const std::int64_t gen = GetPowerGeneration();
  const std::int64_t speed = GetLocalSpaceSpeed();
  const std::uint32_t type = first->type;
  bool constructionWork = type == ORDER_REPAIR_UNIT || type == ORDER_REBUILD_UNIT;
  std::int64_t approachTurns = 0;

  switch (type) {
    case ORDER_MOVE_TO_LOCATION:
    case ORDER_GO_TO_UNIT:
    case ORDER_MOVE_TO_ASTEROID:
    case ORDER_MOVE_NEXT_TO_ASTEROID:
    case ORDER_RETREAT:
      asMove();
      break;

    case ORDER_ATTACK_UNIT:
    case ORDER_SPECIAL_ATTACK:
    case ORDER_BOMBARD:
    case ORDER_MENTAL_ATTACK: {
      std::int64_t r = 0;
      if (type == ORDER_ATTACK_UNIT) {
        r = GetMinWeaponRangeSq();
      } else {
        for (int s = 1; s < kUnitSlots; ++s) {
          const ModuleRecord* m = SlotModule(design, s);
          if (IsWeapon(m) && m->RateOfFire() > 20 && GetWeaponStrengthAtLevel(s) != 0) {
            r = GetWeaponRangeSq(s);
            break;
          }
        }
      }
      const auto range = static_cast<std::uint32_t>(std::max<std::int64_t>(r, kApproachRangeSq));
      const bool inRange = type == ORDER_BOMBARD ? IsAsteroidInRange(type, first->Asteroid(), range) != 0
                                                 : IsUnitInRange(ORDER_ATTACK_UNIT, first->target, range) != 0;
      if (inRange) {
        t = 0;
      } else {
        asMove();
      }
      break;
    }

    case ORDER_TRANSFER_POWER: {
      CGUnit* target = ResolveTarget(first, 0);
      if (target == nullptr) {
        TraceError("Transfer target not found", __FILE__, __LINE__);
        return static_cast<std::uint16_t>(kUnknown);
      }
      if (busyElsewhere(target)) return static_cast<std::uint16_t>(kUnknown);
      const std::int64_t m = approach(target);
      c = powerUse(MODULE_PROPULSION) * m * 8;
      std::int64_t room = std::int64_t{target->GetMaxPower()} - target->GetPower();
      const std::int64_t tGen = target->GetPowerGeneration();
      if (room > tGen * m) {
        room -= tGen * m;
        if (GetTransferRate() == 0) return static_cast<std::uint16_t>(kUnknown);
        t = m + CeilDiv(room, tGen + GetTransferRate());
      } else {
        room = 0;
        t = m;
      }
      p = powerUse(MODULE_POWER);
      c += (t - m) * p + room;
      break;
    }

    case ORDER_RECHARGE_FROM_UNIT: {
      CGUnit* target = ResolveTarget(first, 0);
      if (target == nullptr) {
        TraceError("Recharge source not found", __FILE__, __LINE__);
        return static_cast<std::uint16_t>(kUnknown);
      }
      if (target->orders.count != 0 && stage == kStageNotStarted) return static_cast<std::uint16_t>(kUnknown);
      const std::int64_t rate = target->GetTransferRate();
      if (rate == 0) return static_cast<std::uint16_t>(kUnknown);
      std::int64_t gained = 0;
      if (IsUnitInRange(type, target, kWorkRangeSq) != 0) {
        t = 0;
      } else {
        const std::int64_t u = powerUse(MODULE_PROPULSION) * 8;
        const std::int64_t m = GetTurnsToLocation(&target->location, 1, kApproachRangeSq, nullptr);
        if (u > gen) {
          t = m + CeilDiv(m * u, rate + gen);
        } else {
          t = m;
          gained = (gen - u) * m;
        }
      }
      const std::int64_t need = GetMaxPower() - (gained & 0xFFFF) - GetPower();
      if (need > 0) t += CeilDiv(need, rate + gen);
      c = 0;
      break;
    }

    case ORDER_RECHARGE_FROM_ASTEROID: {
      const std::uint16_t asteroid = first->Asteroid();
      const CGAsteroid* source = World().Asteroid(asteroid);
      if (source == nullptr) return static_cast<std::uint16_t>(kUnknown);
      const std::int64_t rate = source->GetChapterPowerOutput(static_cast<std::uint16_t>(GetChapter()));
      if (rate == 0) return static_cast<std::uint16_t>(kUnknown);
      std::int64_t gained = 0;
      if (IsAsteroidInRange(type, asteroid, kAsteroidRechargeRangeSq) != 0) {
        t = 0;
      } else {
        const Location centre{location.asteroid, 0, 0, 0};
        const std::int64_t m = GetTurnsToLocation(&centre, 1, kAsteroidRechargeRangeSq, nullptr);
        c = powerUse(MODULE_PROPULSION) * 8 * m;
        if (c > gen * m) {
          t = m + CeilDiv(c, gen + rate);
        } else {
          t = m;
          gained = gen * m - c;
        }
      }
      const std::int64_t need = GetMaxPower() - gained - GetPower();
      if (need > 0) t += CeilDiv(need, rate + gen);
      break;
    }

    case ORDER_SCRAP_UNIT: {
      if (first->target != nullptr && first->target->stage != kStageNotStarted) {
        first->target = nullptr;
        CGUnit* target = ResolveTarget(first, 0);
        if (target == nullptr) return static_cast<std::uint16_t>(kUnknown);
        const std::int64_t m = approach(target);
        p = powerUse(MODULE_CONSTRUCTION);
        c = p * stage - target->GetPower();
        std::int64_t rest = stage;
        if (stage == kStageNotStarted) {
          if (g_scrapDepth >= kMaxScrapDepth) return static_cast<std::uint16_t>(kUnknown);
          ++g_scrapDepth;
          rest = target->GetNumTurnsUntilOrderCompletion(nullptr);
          --g_scrapDepth;
        }
        t = m + rest;
      } else {
        CGUnit* target = ResolveTarget(first, 0);
        if (target == nullptr || target->GetChapter() != GetChapter()) return static_cast<std::uint16_t>(kUnknown);
        // A scrapper without construction capacity cannot scrap at all.
        if (k == 0) return static_cast<std::uint16_t>(kUnknown);
        t = DesignWork(target->design) / (2 * k);
      }
      break;
    }

    case ORDER_DECOMMISSION: {
      if (stage < kStageNotStarted) {
        t = stage;
      } else {
        CGUnit* constructor = ResolveTarget(first, 0);
        if (constructor == nullptr) return static_cast<std::uint16_t>(kUnknown);
        const std::int64_t ck = constructor->GetConstructionCapacity();
        if (ck == 0) return static_cast<std::uint16_t>(kUnknown);
        const std::int64_t m = approach(constructor);
        t = m + static_cast<std::uint8_t>(static_cast<std::int64_t>(DesignWork(design) / (ck * 4.0)));
        if (t == 0) t = 1;
      }
      c = GetPower();
      break;
    }

    case ORDER_SCAN_ASTEROID: {
      p = powerUse(MODULE_SCOUT);
      if (stage < kStageNotStarted) {
        t = stage;
        c = p * t;
        break;
      }
      const std::uint16_t asteroid = first->Asteroid();
      const std::int64_t v = design != nullptr ? design->survey & 0xFF : 0;
      if (v == 0) return static_cast<std::uint16_t>(kUnknown);  // cannot scan: no survey rating
      double x = 0.0;
      if (speed != 0) {
        if (asteroid != location.asteroid) {
          x = GetTurnsToAsteroid(asteroid, nullptr);
          if (x < 1.0) x = 1.1;
          x += static_cast<double>(kScanDistance - GetScanRange()) / static_cast<double>(speed);
          if (location.asteroid >= World().AsteroidCount()) x -= 1.0;
        } else {
          const Location centre{asteroid, 0, 0, 0};
          x = std::sqrt(static_cast<double>(GetLocationRangeSq(&location, &centre))) / static_cast<double>(speed);
        }
        c = powerUse(MODULE_PROPULSION) * static_cast<std::int64_t>(x) * 8;
      }
      const CGAsteroid* body = World().Asteroid(asteroid);
      const std::int64_t z = body != nullptr ? body->sizeClass : 0;
      x += static_cast<double>((4 * z + 4) / v + 2);
      c += ((4 * z + 4) / v + 1) * p;
      t = static_cast<std::int64_t>(std::min(x, 65535.0));
      break;
    }

    case ORDER_SCAN_SHIP: {
      CGUnit* target = World().pieces != nullptr ? World().pieces->FindUnit(first->Word(0), nullptr) : nullptr;
      if (target == nullptr) return static_cast<std::uint16_t>(kUnknown);
      p = powerUse(MODULE_SCOUT);
      if (stage < kStageNotStarted || target->GetChapter() == GetChapter()) {
        t = stage;
        c = p * t;
        break;
      }
      first->target = target;
      const std::int64_t v = design != nullptr ? design->survey & 0xFF : 0;
      if (v == 0) return static_cast<std::uint16_t>(kUnknown);
      double x = 0.0;
      const std::int32_t scan = GetScanRange();
      if (target->location.asteroid != location.asteroid) {
        x = GetTurnsToAsteroid(target->location.asteroid, nullptr);
        if (x < 1.0) x = 1.1;
        if (speed != 0) x += static_cast<double>((std::int64_t{kScanDistance} - scan) / speed);
        if (location.asteroid >= World().AsteroidCount()) x -= 1.0;
      } else {
        const auto scanSq = static_cast<std::uint32_t>(std::int64_t{scan} * scan);
        x = GetTurnsToLocation(&target->location, 1, scanSq, nullptr);
        if (x > 1.0) x -= 1.0;
      }
      c = powerUse(MODULE_PROPULSION) * static_cast<std::int64_t>(x) * 8;
      const std::int64_t d = target->GetStealth() + (target->design != nullptr ? target->design->moduleCount / 2 : 0);
      x += static_cast<double>(d / v + 1);
      c += p * d / v + 1;
      t = static_cast<std::int64_t>(std::min(x, 65535.0));
      break;
    }

    case ORDER_BUILD_ATVS: {
      const std::int64_t b = design != nullptr ? design->atvCapacity : 0;
      if (b == 0) return static_cast<std::uint16_t>(kUnknown);
      p = powerUse(MODULE_TRANSPORT);
      if (stage < kStageNotStarted) {
        t = stage;
      } else {
        std::int64_t points = 0;
        for (int kind = 0; kind < kAtvKinds; ++kind) {
          points += std::int64_t{first->ZoneAtvCount(kind)} * g_gameVariables.GetATVBuildPoints(kind);
        }
        t = (points - 1) / b + 1;
      }
      c = t * p;
      break;
    }

    case ORDER_LAND_ATVS:
    case ORDER_RECOVER_ATVS: {
      std::int64_t m = 0;
      if (IsAsteroidInRange(type, location.asteroid, kAtvRangeSq) == 0) {
        const Location centre{location.asteroid, 0, 0, 0};
        m = GetTurnsToLocation(&centre, 1, kBodyRangeSq, nullptr);
      }
      p = c = powerUse(MODULE_TRANSPORT);
      if (m == 0) {
        t = 1;
      } else {
        c += powerUse(MODULE_PROPULSION) * m * 8;
        t = m;
      }
      break;
    }

    case ORDER_BUILD_SHIP:
    case ORDER_BUILD_OR_REPAIR_SHIP: {
      if (first->target != nullptr) {
        constructionWork = true;
        break;
      }
      const CGUnitTemplate* wanted =
          World().templates != nullptr ? World().templates->FindTemplateById(first->Word(0)) : nullptr;
      if (wanted == nullptr || k == 0) {
        TraceError("No design or no construction capacity", __FILE__, __LINE__);
        return static_cast<std::uint16_t>(kUnknown);
      }
      c = std::min<std::int64_t>(wanted->powerStorage / 3, GetPower() / 2);
      p = powerUse(MODULE_CONSTRUCTION);
      if (stage < kStageNotStarted) {
        // Once begun, the server counts the build down in the stage byte and
        // makes the ship on the last turn: the figure is what is left of it,
        // not the whole build again.
        t = stage;
        c += t * p;
        break;
      }
      t = CeilDiv(std::int64_t{wanted->buildPoints} + 50, k) + 1;
      const CGChapter* own = World().Chapter(static_cast<std::uint8_t>(GetChapter()));
      const std::uint16_t home = own != nullptr ? own->homeAsteroid : std::uint16_t{0xFFFF};
      std::uint32_t minerals[5];
      wanted->GetCost32(minerals);
      const bool poolPays = World().pools != nullptr && World().pools->HasMinerals(location.asteroid, minerals) != 0;
      Location here, there;
      if (location.asteroid != home && !poolPays && World().AsteroidPosition(location.asteroid, &here) &&
          World().AsteroidPosition(home, &there)) {
        t += static_cast<std::int64_t>(GetLocationDistance(&here, &there)) / (k * 100);
      }
      c += t * p;
      break;
    }

    case ORDER_MODIFY_SHIP: {
      CGUnit* target = ResolveTarget(first, 1);
      if (target == nullptr) {
        TraceError("Unit to modify not found", __FILE__, __LINE__);
        return static_cast<std::uint16_t>(kUnknown);
      }
      if (busyElsewhere(target)) return static_cast<std::uint16_t>(kUnknown);
      const std::int64_t m = approach(target);
      t = m + GetModifyTurns(0, 1, target, first->Word(0), first->Word(0));
      p = powerUse(MODULE_CONSTRUCTION);
      c = t * p;
      break;
    }

    case ORDER_BE_CONSTRUCTED:
    case ORDER_GET_REPAIRED:
      break;  // rule below
    case ORDER_SELF_DESTRUCT:
      return kSelfDestruct;
    case ORDER_STUNNED:
      return static_cast<std::uint16_t>(kUnknown);
    default:
      break;
  }

  if (constructionWork) {
    CGUnit* target = ResolveTarget(first, 0);
    if (target == nullptr) {
      TraceError("Construction target not found", __FILE__, __LINE__);
      return static_cast<std::uint16_t>(kUnknown);
    }
    const UnitOrder* theirs = target->orders.GetAt(0);
    if (theirs != nullptr && theirs->type != ORDER_BE_CONSTRUCTED && !AimedAt(theirs, this) &&
        stage == kStageNotStarted) {
      return static_cast<std::uint16_t>(kUnknown);
    }
    std::int64_t rate = std::int64_t{target->receivedPoints} + k;
    std::int64_t pre = 0;
    if (IsUnitInRange(type, target, kWorkRangeSq) == 0) {
      approachTurns = approach(target);
      pre = rate * approachTurns;
    }
    if (stage == kStageNotStarted) rate += k;
    if (rate == 0) {
      t = approachTurns;  // nobody works on it: only the approach is known
    } else {
      const std::int64_t need =
          (stage == kStageNotStarted ? target->GetRebuildPoints() : target->GetRepairPoints()) - pre;
      t = approachTurns + (need > 0 ? CeilDiv(need, rate) : 0);
      c = approachTurns != 0 ? powerUse(MODULE_PROPULSION) * approachTurns * 8 : 0;
      p = powerUse(MODULE_CONSTRUCTION);
      c += t == 0 ? p : (t - approachTurns) * p;
      auto c16 = static_cast<std::uint16_t>(c);
      t += target->GetRearmTurns(&c16, stage == kStageNotStarted ? static_cast<std::uint16_t>(k) : 0);
      c = c16;
      if (t == 0) c = 0;
    }
  } else if (type == ORDER_BE_CONSTRUCTED || type == ORDER_GET_REPAIRED) {
    CGUnit* other = ResolveTarget(first, 0);
    if (other == nullptr) {
      TraceError("Constructor not found", __FILE__, __LINE__);
      return static_cast<std::uint16_t>(kUnknown);
    }
    std::int64_t rate = std::int64_t{receivedPoints} + k;
    if (type == ORDER_GET_REPAIRED && stage == kStageNotStarted) rate += other->GetConstructionCapacity();
    if (rate != 0) {
      const UnitOrder* theirs = other->orders.GetAt(0);
      const bool rebuild = theirs != nullptr && theirs->type == ORDER_REBUILD_UNIT && AimedAt(theirs, this);
      const std::int64_t need = rebuild ? GetRebuildPoints() : GetRepairPoints();
      t = CeilDiv(need, rate);
      std::int64_t m = 0;
      if (IsUnitInRange(type, other, kWorkRangeSq) == 0) {
        m = GetTurnsToLocation(&other->location, 1, kApproachRangeSq, nullptr);
        t += m;
        c = powerUse(MODULE_PROPULSION) * m * 8;
      }
      if (t == 0 && need > 0) t = 1;
      if (k != 0) {
        p = powerUse(MODULE_CONSTRUCTION);
        c += (t - m) * p;
      }
      auto c16 = static_cast<std::uint16_t>(c);
      const bool lend = type == ORDER_GET_REPAIRED && stage == kStageNotStarted;
      t += GetRearmTurns(&c16, lend ? static_cast<std::uint16_t>(other->GetConstructionCapacity()) : 0);
      c = c16;
    }
  }
  *outCost = static_cast<std::uint16_t>(std::clamp<std::int64_t>(c, 0, 0xFFFF));
  *outPerTurn = static_cast<std::uint16_t>(std::clamp<std::int64_t>(p, 0, 0xFFFF));
  return static_cast<std::uint16_t>(std::clamp<std::int64_t>(t, 0, kUnknown));
}
