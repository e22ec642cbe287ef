// The statistics of a design: derived from its hull, its fitted modules and
// the owner chapter's traits.
#include <algorithm>
#include <cstdint>
#include <limits>

#include "Game/rules/GHullDB.h"
#include "Game/rules/GModuleDB.h"
#include "Game/rules/GRulesFacts.h"
#include "Game/rules/GUnitTem.h"

namespace {

// Chapter traits the design statistics use, each a percent.
enum DesignTrait {
  TRAIT_CORROSIVE_ATTACK = 0,
  TRAIT_EXPLOSIVE_ATTACK = 1,
  TRAIT_TRACKING = 2,
  TRAIT_DEFENCES = 4,
  TRAIT_DAMAGE_CONTROL = 5,
  TRAIT_STEALTH = 6,
  TRAIT_DEEP_THRUST = 8,
  TRAIT_LOCAL_THRUST_AND_SURVEY = 9,
  TRAIT_POWER_GENERATION = 14,
  TRAIT_COSTS = 16,
  TRAIT_CONSTRUCTION = 17,
};

// Sums are kept wide while they grow and stored saturated in their fields.
template <class T>
T Saturated(std::int64_t v) {
  return static_cast<T>(std::clamp<std::int64_t>(v, 0, std::numeric_limits<T>::max()));
}

std::int64_t Raised(std::int64_t value, int percent) { return value + value * percent / 100; }

// The computer bonus: (100 + 2 x byte) percent, the byte signed.
std::int64_t Boosted(std::int64_t value, std::uint8_t bonusByte) {
  return value * (100 + 2 * static_cast<std::int8_t>(bonusByte)) / 100;
}

struct Sums {
  std::int64_t costs[5] = {};
  std::int64_t buildPoints = 0, powerUse = 0, mass = 0, deepThrust = 0, localThrust = 0;
  std::int64_t atvCapacity = 0, stealth = 0, tracking = 0, attack = 0, construction = 0, survey = 0;
  std::int64_t defences[8] = {};
  std::int64_t damageControl = 0, activeDefence = 0, powerStorage = 0, powerGeneration = 0, transferRate = 0;
  std::int64_t totalAmmo = 0;
};

void AddModuleValues(const ModuleRecord& m, std::uint8_t chapter, Sums& s) {
  switch (m.type) {
    case MODULE_PROPULSION:
      s.deepThrust += m.DeepThrust();
      s.localThrust += m.LocalThrust();
      break;
    case MODULE_TRANSPORT:
      s.atvCapacity += m.TypeWord(0);
      break;
    case MODULE_TRACKING:
      s.tracking += m.TypeByte(0);
      break;
    case MODULE_ECM:
      s.stealth += m.TypeByte(0);
      break;
    case MODULE_WEAPON: {
      int percent = 0;
      if (m.AttackKind() == ATTACK_CORROSIVE) percent = RulesFacts().ChapterTrait(chapter, TRAIT_CORROSIVE_ATTACK);
      if (m.AttackKind() == ATTACK_EXPLOSIVE) percent = RulesFacts().ChapterTrait(chapter, TRAIT_EXPLOSIVE_ATTACK);
      s.attack += Raised(m.Strength(), percent);
      if (m.MaxAmmo() != kUnlimitedAmmo) s.totalAmmo += m.MaxAmmo();
      break;
    }
    case MODULE_CONSTRUCTION:
      s.construction += m.TypeByte(0);
      break;
    case MODULE_SCOUT:
      s.survey += m.TypeByte(0);
      break;
    case MODULE_DAMAGECONTROL:
      s.damageControl += m.TypeByte(0);
      break;
    case MODULE_DEFENSE:
      s.activeDefence += m.TypeByte(0);
      for (int k = 0; k < 8; ++k) s.defences[k] += m.TypeByte(1 + k);
      break;
    case MODULE_POWER:
      s.transferRate += m.TypeWord(0);
      s.powerStorage += m.TypeWord(1);
      s.powerGeneration += Raised(m.TypeWord(2), RulesFacts().ChapterTrait(chapter, TRAIT_POWER_GENERATION));
      break;
    default:
      break;
  }
}

void ApplyChapterTraits(std::uint8_t chapter, Sums& s) {
  auto trait = [chapter](int t) { return int{RulesFacts().ChapterTrait(chapter, t)}; };
  if (const int t = trait(TRAIT_COSTS)) {
    for (std::int64_t& c : s.costs) c -= c * t / 100;
  }
  if (const int t = trait(TRAIT_CONSTRUCTION)) s.construction = Raised(s.construction, t);
  if (const int t = trait(TRAIT_DAMAGE_CONTROL)) s.damageControl = Raised(s.damageControl, t);
  if (const int t = trait(TRAIT_TRACKING)) s.tracking = Raised(s.tracking, t);
  if (const int t = trait(TRAIT_STEALTH)) s.stealth = Raised(s.stealth, t);
  if (const int t = trait(TRAIT_LOCAL_THRUST_AND_SURVEY)) s.localThrust = Raised(s.localThrust, t);
  if (const int t = trait(TRAIT_DEEP_THRUST)) s.deepThrust = Raised(s.deepThrust, t);
  if (const int t = trait(TRAIT_DEFENCES)) {
    for (std::int64_t& d : s.defences) d = Raised(d, t);
  }
  if (const int t = trait(TRAIT_LOCAL_THRUST_AND_SURVEY)) s.survey = Raised(s.survey, t);
}

void ApplyComputer(const ModuleRecord& c, Sums& s) {
  s.atvCapacity = Boosted(s.atvCapacity, c.TypeByte(1));
  s.tracking = Boosted(s.tracking, c.TypeByte(2));
  s.construction = Boosted(s.construction, c.TypeByte(3));
  s.damageControl = Boosted(s.damageControl, c.TypeByte(4));
  s.activeDefence = Boosted(s.activeDefence, c.TypeByte(5));
  s.powerGeneration = Boosted(s.powerGeneration, c.TypeByte(6));
  s.stealth = Boosted(s.stealth, c.TypeByte(7));
  s.survey = Boosted(s.survey, c.TypeByte(8));
  s.deepThrust = Boosted(s.deepThrust, c.TypeByte(9));
  s.localThrust = Boosted(s.localThrust, c.TypeByte(9));
}

}  // namespace

void CGUnitTemplate::ClearStatistics() {
  moduleCount = 0;
  std::fill(std::begin(costs), std::end(costs), 0);
  buildPoints = powerUse = mass = deepThrust = localThrust = reservedThrust = 0;
  atvCapacity = stealth = tracking = 0;
  attack = construction = survey = 0;
  std::fill(std::begin(defences), std::end(defences), 0);
  damageControl = activeDefence = 0;
  powerStorage = powerGeneration = 0;
  transferRate = totalAmmo = 0;
  computerType = kNotAComputer;
  unitClass = 0;
}

// A design without a hull has no statistics (the design view always gives it
// one first); modules the module database does not know add nothing.
void CGUnitTemplate::Recompute() {
  ClearStatistics();
  const CGModuleDB* db = RulesFacts().Modules();
  if (slots[0].fitted != 0 && db != nullptr) computerType = db->GetComputerType(slots[0].moduleId);
  if (hull == nullptr) return;

  Sums s;
  std::uint16_t hullCosts[4];
  hull->GetCosts(hullCosts);
  const std::int64_t hullBuildPoints = hull->GetBuildPoints();
  std::copy(std::begin(hullCosts), std::end(hullCosts), s.costs);
  s.buildPoints = hullBuildPoints;
  s.mass = hull->mass;

  std::int64_t misfits = 0;
  for (int slot = 0; slot < kTemplateSlots; ++slot) {
    TemplateModuleSlot& fitting = slots[slot];
    if (fitting.fitted == 0) continue;
    fitting.fitted = 1;
    const ModuleRecord* m = db != nullptr ? db->GetRecord(fitting.moduleId) : nullptr;
    if (m == nullptr) continue;
    ++moduleCount;
    std::uint16_t moduleCosts[5];
    db->GetCosts(fitting.moduleId, moduleCosts);
    for (int k = 0; k < 5; ++k) s.costs[k] += moduleCosts[k];
    s.buildPoints += db->GetBuildPoints(fitting.moduleId);
    s.powerUse += db->GetPowerUse(fitting.moduleId);
    s.mass += db->GetMass(fitting.moduleId);
    if (hull->SlotAcceptsModuleType(slot, m->type) == 0) {
      // Each further misfit costs more: the q-th adds q x q x 5 percent of the hull.
      ++misfits;
      for (int k = 0; k < 4; ++k) s.costs[k] += hullCosts[k] * misfits * misfits * 5 / 100;
      s.buildPoints += hullBuildPoints * misfits * misfits * 5 / 100;
    }
    AddModuleValues(*m, chapter, s);
  }

  ApplyChapterTraits(chapter, s);
  const ModuleRecord* computer = slots[0].fitted != 0 && db != nullptr ? db->GetRecord(slots[0].moduleId) : nullptr;
  if (computer != nullptr && computer->type == MODULE_COMPUTER) ApplyComputer(*computer, s);

  for (int k = 0; k < 5; ++k) costs[k] = Saturated<std::uint16_t>(s.costs[k]);
  buildPoints = Saturated<std::uint32_t>(s.buildPoints);
  powerUse = Saturated<std::uint32_t>(s.powerUse);
  mass = Saturated<std::uint32_t>(s.mass);
  deepThrust = Saturated<std::uint32_t>(s.deepThrust);
  localThrust = Saturated<std::uint32_t>(s.localThrust);
  atvCapacity = Saturated<std::uint16_t>(s.atvCapacity);
  stealth = Saturated<std::uint16_t>(s.stealth);
  tracking = Saturated<std::uint16_t>(s.tracking);
  attack = Saturated<std::uint16_t>(s.attack);
  construction = Saturated<std::uint16_t>(s.construction);
  survey = Saturated<std::uint16_t>(s.survey);
  for (int k = 0; k < 8; ++k) defences[k] = Saturated<std::uint16_t>(s.defences[k]);
  damageControl = Saturated<std::uint16_t>(s.damageControl);
  activeDefence = Saturated<std::uint16_t>(s.activeDefence);
  powerStorage = Saturated<std::uint32_t>(s.powerStorage);
  powerGeneration = Saturated<std::uint32_t>(s.powerGeneration);
  transferRate = Saturated<std::uint16_t>(s.transferRate);
  totalAmmo = Saturated<std::uint16_t>(s.totalAmmo);
  unitClass = hull->unitClass;
}
