// The unit's effectiveness from its module states, and the figures that
// combine it with the design.
#include <algorithm>
#include <cstdint>

#include "Game/base/TraceError.h"
#include "Game/model/GUnit.h"
#include "Game/model/GUnitModules.h"
#include "Game/model/GameWorld.h"

namespace {

struct Sum {
  double raw = 0.0;
  double working = 0.0;
};

std::uint8_t Percent(const Sum& s) {
  if (s.raw == 0.0) return 0;
  return static_cast<std::uint8_t>(std::clamp(s.working / s.raw * 100.0, 0.0, 255.0));
}

std::int32_t Scaled(std::int64_t designValue, std::uint8_t percent) {
  return static_cast<std::int32_t>(designValue * percent / 100);
}

}  // namespace

std::uint32_t CGUnit::GetSlotCapacity(int slot) const {
  const std::uint8_t fitted = SlotFitted(design, slot);
  if (fitted == 0 || World().modules == nullptr) return 0;
  const std::uint32_t points = World().modules->GetBaseBuildPoints(design->slots[slot].moduleId);
  return std::min<std::uint32_t>(points * fitted, 255);
}

void CGUnit::RecomputeStats(std::uint32_t /*ignored*/) {
  percents.fill(0);
  Sum sums[kUnitPercents];
  bool crippled = false;
  for (int k = 0; k < kUnitSlots; ++k) {
    const ModuleRecord* m = SlotModule(design, k);
    if (m == nullptr) continue;
    const std::uint32_t capacity = GetSlotCapacity(k);
    double health = 0.0;
    if (capacity != 0) {
      if (modules[k].damage > capacity) modules[k].damage = static_cast<std::uint8_t>(capacity);
      health = static_cast<double>(capacity - modules[k].damage) / capacity;
    }
    if (k == 0 && modules[0].damage == capacity) crippled = true;
    const double level = modules[k].FiringLevel() * 0.5;
    auto add = [&](int percent, double raw, bool halvable = true, bool levelled = true) {
      sums[percent].raw += raw;
      sums[percent].working += raw * health * (levelled ? level : 1.0);
      if (crippled && halvable) sums[percent].working /= 2.0;
    };
    switch (m->type) {
      case MODULE_CONSTRUCTION:
        add(PCT_CONSTRUCTION, m->TypeByte(0));
        break;
      case MODULE_DAMAGECONTROL:
        add(PCT_DAMAGE_CONTROL, m->TypeByte(0));
        break;
      case MODULE_DEFENSE:
        add(PCT_ACTIVE_DEFENCE, m->TypeByte(0));
        for (int d = 0; d < 8; ++d) add(PCT_DEFENCE_FIRST + d, m->TypeByte(1 + d));
        break;
      case MODULE_POWER:
        add(PCT_POWER_STORAGE, m->TypeWord(1), false, false);
        add(PCT_POWER_GENERATION, m->TypeWord(2));
        add(PCT_TRANSFER_RATE, m->TypeWord(0));
        break;
      case MODULE_PROPULSION:
        add(PCT_DEEP_DRIVE, m->DeepThrust());
        add(PCT_LOCAL_DRIVE, m->LocalThrust());
        break;
      case MODULE_SCOUT:
        add(PCT_SURVEY, m->TypeByte(0));
        break;
      case MODULE_ECM:
        add(PCT_STEALTH, m->TypeByte(0));
        break;
      case MODULE_TRACKING:
        add(PCT_TRACKING, m->TypeByte(0));
        break;
      case MODULE_TRANSPORT:
        add(PCT_ATV_CAPACITY, m->TypeWord(0), false);
        break;
      case MODULE_WEAPON:
        sums[PCT_ATTACK].raw += m->Strength();
        if (modules[k].ammo != 0) {
          sums[PCT_ATTACK].working += m->Strength() * health * level;
          if (crippled) sums[PCT_ATTACK].working /= 2.0;
        }
        break;
      default:
        break;
    }
  }
  for (int p = 0; p < kUnitPercents; ++p) percents[p] = Percent(sums[p]);
}

std::int32_t CGUnit::GetDeepSpaceSpeed() const {
  return design == nullptr ? 0 : Scaled(design->GetDeepSpaceSpeed(), percents[PCT_DEEP_DRIVE]);
}
std::int32_t CGUnit::GetLocalSpaceSpeed() const {
  return design == nullptr ? 0 : Scaled(design->GetLocalSpaceSpeed(), percents[PCT_LOCAL_DRIVE]);
}
std::int32_t CGUnit::GetSpeed() const {
  return location.asteroid < World().AsteroidCount() ? GetLocalSpaceSpeed() : GetDeepSpaceSpeed();
}
double CGUnit::GetLocalSpeedScaled() const { return GetLocalSpaceSpeed() * 3.84 / 2600.0; }
std::int32_t CGUnit::GetAtvCapacity() const {
  return design == nullptr ? 0 : Scaled(design->atvCapacity, percents[PCT_ATV_CAPACITY]);
}
std::int32_t CGUnit::GetFreeAtvCapacity() const {
  const std::int32_t used = atvCargo[0] + atvCargo[1] + atvCargo[2] + atvCargo[3];
  return std::max(GetAtvCapacity() - used, 0);
}
std::int32_t CGUnit::GetStealth() const {
  return design == nullptr ? 0 : Scaled(design->stealth, percents[PCT_STEALTH]);
}
std::int32_t CGUnit::GetTracking() const {
  return design == nullptr ? 0 : Scaled(design->tracking, percents[PCT_TRACKING]);
}
std::int32_t CGUnit::GetAttackStrength() const {
  return design == nullptr ? 0 : Scaled(design->attack, percents[PCT_ATTACK]);
}
std::int32_t CGUnit::GetConstructionCapacity() const {
  return design == nullptr ? 0 : Scaled(design->construction, percents[PCT_CONSTRUCTION]);
}
std::int32_t CGUnit::GetSurveyRate() const {
  return design == nullptr ? 0 : Scaled(design->survey, percents[PCT_SURVEY]);
}
std::int32_t CGUnit::GetActiveDefense() const {
  return design == nullptr ? 0 : Scaled(design->activeDefence, percents[PCT_ACTIVE_DEFENCE]);
}
std::int32_t CGUnit::GetActiveDefenseForMode(int mode) const {
  if (mode == 0) return GetActiveDefense() / 2;
  if (mode == 1) return 0;
  return GetActiveDefense();
}
std::int32_t CGUnit::GetMaxPower() const {
  return design == nullptr ? 0 : Scaled(design->powerStorage, percents[PCT_POWER_STORAGE]);
}
std::int32_t CGUnit::GetPower() {
  power = std::min(power, GetMaxPower());
  return power;
}
std::int32_t CGUnit::GetPowerGeneration() const {
  return design == nullptr ? 0 : Scaled(design->powerGeneration, percents[PCT_POWER_GENERATION]);
}
std::int32_t CGUnit::GetTransferRate() const {
  return design == nullptr ? 0 : Scaled(design->transferRate, percents[PCT_TRANSFER_RATE]);
}

std::uint32_t CGUnit::GetSlotDamagePercent(int slot) const {
  if (SlotFitted(design, slot) == 0) return 100;
  const std::uint32_t capacity = GetSlotCapacity(slot);
  if (capacity == 0) return 100;
  const std::uint32_t damage = modules[slot].damage;
  return damage <= capacity ? damage * 100 / capacity : 0;
}

std::uint32_t CGUnit::GetDamagePercent() const {
  if (design == nullptr || design->moduleCount == 0) return 100;
  std::uint32_t sum = 0;
  for (int s = 0; s < kUnitSlots; ++s) {
    const std::uint32_t capacity = GetSlotCapacity(s);
    if (capacity != 0) sum += modules[s].damage * 100u / capacity;
  }
  return std::min<std::uint32_t>(static_cast<std::uint16_t>(sum) / design->moduleCount, 100);
}

std::uint32_t CGUnit::GetWeaponHitChance(std::uint16_t moduleId, int slot) const {
  const ModuleRecord* m = World().modules != nullptr ? World().modules->GetRecord(moduleId) : nullptr;
  if (!IsWeapon(m)) return 0;
  const std::uint32_t capacity = GetSlotCapacity(slot);
  if (capacity == 0) return m->HitPercent();
  const std::uint32_t healthy = capacity - std::min<std::uint32_t>(modules[slot].damage, capacity);
  return healthy * modules[slot].FiringLevel() * m->HitPercent() / (2 * capacity);
}

std::uint32_t CGUnit::GetWeaponStrengthAtLevel(int slot) const {
  if (SlotFitted(design, slot) == 0 || GetSlotDamagePercent(slot) >= 100) return 0;
  return design->GetWeaponStrength(slot) * modules[slot].FiringLevel() / 2u;
}

std::int32_t CGUnit::GetHitChanceAgainst(int slot, const CGUnit* target) const {
  const ModuleRecord* m = SlotModule(design, slot);
  if (!IsWeapon(m) || target == nullptr) return 0;
  const std::int32_t targetStealth = target->design != nullptr ? target->design->stealth : 0;
  return static_cast<std::int32_t>(GetWeaponHitChance(design->slots[slot].moduleId, slot)) + GetTracking() -
         targetStealth - target->GetActiveDefenseForMode(m->AttackKind());
}

std::uint32_t CGUnit::GetTotalAmmo(std::uint32_t* unlimited) const {
  std::uint32_t total = 0;
  for (int s = 1; s < kUnitSlots; ++s) {
    const ModuleRecord* m = SlotModule(design, s);
    if (!IsWeapon(m)) continue;
    if (m->MaxAmmo() == kUnlimitedAmmo) {
      if (unlimited != nullptr) *unlimited = 1;
    } else {
      total += modules[s].ammo;
    }
  }
  return total;
}

std::uint32_t CGUnit::GetWeaponMaxRange(int slot) const {
  return design == nullptr ? 0 : design->GetWeaponMaxRange(slot);
}
std::uint32_t CGUnit::GetWeaponEffectiveRange(int slot) const {
  return design == nullptr ? 0 : design->GetWeaponEffectiveRange(slot);
}
std::uint32_t CGUnit::GetWeaponMaxRangeSq(int slot) const {
  const std::uint32_t r = GetWeaponMaxRange(slot);
  return r * r;
}
std::uint32_t CGUnit::GetWeaponEffectiveRangeSq(int slot) const {
  const std::uint32_t r = GetWeaponEffectiveRange(slot);
  return r * r;
}
std::uint32_t CGUnit::GetWeaponRange(int slot) const {
  return targeting[3] == 1 ? GetWeaponEffectiveRange(slot) : GetWeaponMaxRange(slot);
}
std::uint32_t CGUnit::GetWeaponRangeSq(int slot) const {
  const std::uint32_t r = GetWeaponRange(slot);
  return r * r;
}
std::uint32_t CGUnit::GetMinWeaponRange() const {
  std::uint32_t best = 0;
  bool any = false;
  for (int s = 1; s < kUnitSlots; ++s) {
    if (!IsWeapon(SlotModule(design, s))) continue;
    const std::uint32_t r = GetWeaponRange(s);
    if (!any || r < best) best = r;
    any = true;
  }
  return any ? best : 1;
}
std::uint32_t CGUnit::GetMinWeaponRangeSq() const {
  const std::uint32_t r = GetMinWeaponRange();
  return r * r;
}

std::uint32_t CGUnit::GetModulePowerUse(int moduleType, std::uint16_t slot, std::uint16_t index) const {
  auto slotUse = [this](int s) -> std::uint32_t {
    const ModuleRecord* m = SlotModule(design, s);
    if (m == nullptr) return 0;
    const std::uint32_t use = World().modules->GetPowerUse(design->slots[s].moduleId);
    return static_cast<std::uint32_t>(use * modules[s].FiringLevel() * design->slots[s].fitted * 0.5);
  };
  if (slot != kAllSlots) return slot < kUnitSlots ? slotUse(slot) : 0;
  if (moduleType == MODULE_DEFENSE && index >= 8) {
    TraceError("Defence byte index out of range", __FILE__, __LINE__);
    return 0;
  }
  std::uint32_t sum = 0;
  for (int s = 1; s < kUnitSlots; ++s) {
    const ModuleRecord* m = SlotModule(design, s);
    if (m == nullptr || m->type != moduleType) continue;
    if (moduleType == MODULE_DEFENSE && m->TypeByte(1 + index) == 0) continue;
    sum += slotUse(s);
  }
  return sum;
}
