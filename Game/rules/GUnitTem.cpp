#include "Game/rules/GUnitTem.h"

#include <algorithm>
#include <cstring>

#include "Game/arrayman/SlotBlocks.h"
#include "Game/base/TraceError.h"
#include "Game/rules/GHullDB.h"
#include "Game/rules/GModuleDB.h"
#include "Game/rules/GRulesFacts.h"

#ifndef QUEN_SLOTS_FROM_HEAP
namespace {
// Never destroyed: a design may outlive every other static object.
SlotBlocks& DesignSlots() {
  static_assert(alignof(CGUnitTemplate) <= SlotBlocks::kAlign);
  static SlotBlocks* const slots = new SlotBlocks(sizeof(CGUnitTemplate), 64);
  return *slots;
}
}  // namespace
#endif

void* CGUnitTemplate::operator new(std::size_t size) {
#ifndef QUEN_SLOTS_FROM_HEAP
  if (size == sizeof(CGUnitTemplate)) return DesignSlots().Take();
#endif
  return ::operator new(size);
}

void CGUnitTemplate::operator delete(void* p, [[maybe_unused]] std::size_t size) noexcept {
  if (p == nullptr) return;
#ifndef QUEN_SLOTS_FROM_HEAP
  if (size == sizeof(CGUnitTemplate)) {
    DesignSlots().Give(p);
    return;
  }
#endif
  ::operator delete(p);
}

namespace {

constexpr std::size_t kCopiedNameChars = 99;  // the copy goes through a 100-byte buffer

std::uint32_t NextIdOf(std::uint8_t chapter) { return RulesFacts().AllocateId(chapter); }

std::uint32_t VisibleFor(std::uint8_t chapter) {
  const bool all = RulesFacts().AllDesignsVisible();
  return chapter == RulesFacts().LocalChapterId() || all ? 1 : 0;
}

bool ValidSlot(int slot) { return slot >= 0 && slot < kTemplateSlots; }

const ModuleRecord* ModuleOf(std::uint16_t moduleId) {
  return RulesFacts().Modules() != nullptr ? RulesFacts().Modules()->GetRecord(moduleId) : nullptr;
}

bool Researched(std::uint16_t moduleId) {
  return RulesFacts().Modules() != nullptr && RulesFacts().Modules()->IsResearched(moduleId) != 0;
}

// The last module of the successor chain from `moduleId` reached through
// researched successors only; `moduleId` itself when the first is not researched.
std::uint16_t LastResearchedSuccessor(std::uint16_t moduleId) {
  const CGModuleDB* db = RulesFacts().Modules();
  if (db == nullptr) return moduleId;
  std::uint16_t current = moduleId;
  for (int steps = 0; steps < db->GetCount(); ++steps) {
    const std::uint16_t next = db->GetSuccessor(current);
    if (next == kNoModule || !Researched(next)) break;
    current = next;
  }
  return current;
}

CGHull* LastResearchedHull(CGHull* hull) {
  const CGHullDB* db = RulesFacts().Hulls();
  if (db == nullptr || hull == nullptr) return hull;
  CGHull* current = hull;
  for (int steps = 0; steps < db->GetHullCount(hull->section); ++steps) {
    CGHull* next = db->GetSuccessor(*current);
    if (next == nullptr || !next->IsResearched()) break;
    current = next;
  }
  return current;
}

}  // namespace

CGUnitTemplate::CGUnitTemplate(std::uint8_t owner, std::int32_t id)
    : chapter(owner),
      templateId(id == -1 ? NextIdOf(owner) : static_cast<std::uint32_t>(id)),
      visible(VisibleFor(owner)),
      creationTurn(static_cast<std::uint16_t>(RulesFacts().CurrentTurn())) {}

CGUnitTemplate::CGUnitTemplate(const CGUnitTemplate& source, std::uint8_t owner)
    : chapter(owner),
      name(source.name),
      hull(source.hull),
      templateId(NextIdOf(owner)),
      visible(source.visible),
      creationTurn(static_cast<std::uint16_t>(RulesFacts().CurrentTurn())) {
  for (int s = 0; s < kTemplateSlots; ++s) {
    slots[s] = source.slots[s];
    if (slots[s].fitted == 0) slots[s].moduleId = kNoModuleId;
  }
}

void CGUnitTemplate::AssignNewId() { templateId = NextIdOf(chapter); }

void CGUnitTemplate::SetName(const char* text) {
  if (text == nullptr) {
    name.reset();
  } else {
    name = text;
  }
}

std::uint16_t CGUnitTemplate::GetModuleId(int slot) const {
  return ValidSlot(slot) && slots[slot].fitted != 0 ? slots[slot].moduleId : kNoModuleId;
}

void CGUnitTemplate::GetModuleSlots(TemplateModuleSlot out[kTemplateSlots]) const {
  std::copy(std::begin(slots), std::end(slots), out);
}

void CGUnitTemplate::SetHull(CGHull* newHull) {
  hull = newHull;
  Recompute();
}

void CGUnitTemplate::Clear() {
  name.reset();
  hull = nullptr;
  ClearStatistics();
  for (TemplateModuleSlot& slot : slots) slot = TemplateModuleSlot{0, 0};
}

void CGUnitTemplate::CopyDesign(const CGUnitTemplate& source, std::int32_t chapterId) {
  if (&source != this) {
    if (source.name) {
      name = source.name->substr(0, kCopiedNameChars);
    } else {
      name.reset();
    }
    hull = source.hull;
    chapter = chapterId == -1 ? source.chapter : static_cast<std::uint8_t>(chapterId);
    std::copy(std::begin(source.slots), std::end(source.slots), slots);
  }
  Recompute();
}

int CGUnitTemplate::FitModule(int slot, std::uint16_t moduleId) {
  if (!ValidSlot(slot)) return 0;
  if (moduleId != kNoModuleId) slots[slot].moduleId = moduleId;
  slots[slot].fitted = 1;
  Recompute();
  return 1;
}

std::uint8_t CGUnitTemplate::RemoveModule(int slot) {
  if (ValidSlot(slot)) slots[slot] = TemplateModuleSlot{};
  Recompute();
  return computerType;
}

void CGUnitTemplate::GetCost(std::uint16_t out[5]) const { std::copy(std::begin(costs), std::end(costs), out); }

void CGUnitTemplate::GetCost32(std::uint32_t out[5]) const { std::copy(std::begin(costs), std::end(costs), out); }

std::uint32_t CGUnitTemplate::GetLocalSpaceSpeed() const {
  if (localThrust == 0 || mass == 0) return 0;
  return static_cast<std::uint32_t>(static_cast<double>(localThrust) / mass * 5000.0);
}

std::uint32_t CGUnitTemplate::GetDeepSpaceSpeed() const {
  if (deepThrust == 0 || mass == 0) return 0;
  const double ratio = static_cast<double>(deepThrust) / mass;
  return ratio < 0.01 ? 0 : static_cast<std::uint32_t>(ratio * 5000.0);
}

double CGUnitTemplate::GetLocalSpeedScaled() const { return GetLocalSpaceSpeed() * 3.84 / 2600.0; }

std::uint16_t CGUnitTemplate::GetWeaponEffectiveRange(int slot) const {
  const ModuleRecord* m = ModuleOf(GetModuleId(slot));
  return m && m->type == MODULE_WEAPON ? m->EffectiveRange() : 0;
}

std::uint16_t CGUnitTemplate::GetWeaponMaxRange(int slot) const {
  const ModuleRecord* m = ModuleOf(GetModuleId(slot));
  return m && m->type == MODULE_WEAPON ? m->MaxRange() : 0;
}

std::uint16_t CGUnitTemplate::GetWeaponStrength(int slot) const {
  const ModuleRecord* m = ModuleOf(GetModuleId(slot));
  if (m == nullptr || m->type != MODULE_WEAPON) return 0;
  const std::uint32_t strength = std::uint32_t{m->Strength()} * slots[slot].fitted;
  int modifier = -1;
  if (m->AttackKind() == ATTACK_CORROSIVE) modifier = 0;
  if (m->AttackKind() == ATTACK_EXPLOSIVE) modifier = 1;
  const std::uint32_t raise = modifier < 0 ? 0 : strength * RulesFacts().ChapterTrait(chapter, modifier) / 100;
  return static_cast<std::uint16_t>(std::min<std::uint32_t>(strength + raise, 0xFFFF));
}

const char* CGUnitTemplate::GetClassName() const { return GetUnitClassName(unitClass); }

const char* CGUnitTemplate::GetClassAbbreviation() const { return GetUnitClassAbbreviation(unitClass); }

bool CGUnitTemplate::IsSameDesign(const CGUnitTemplate& other) const {
  if ((hull == nullptr) != (other.hull == nullptr)) return false;
  if (hull != nullptr && hull->index != other.hull->index) return false;
  return std::equal(std::begin(slots), std::end(slots), std::begin(other.slots));
}

bool CGUnitTemplate::HasSameContents(const CGUnitTemplate& o) const {
  return chapter == o.chapter && name == o.name && references == o.references &&
         std::equal(std::begin(slots), std::end(slots), std::begin(o.slots)) && hull == o.hull &&
         templateId == o.templateId && moduleCount == o.moduleCount &&
         std::equal(std::begin(costs), std::end(costs), std::begin(o.costs)) && buildPoints == o.buildPoints &&
         powerUse == o.powerUse && mass == o.mass && deepThrust == o.deepThrust && localThrust == o.localThrust &&
         reservedThrust == o.reservedThrust && atvCapacity == o.atvCapacity && stealth == o.stealth &&
         tracking == o.tracking && computerType == o.computerType && attack == o.attack &&
         construction == o.construction && survey == o.survey && unitClass == o.unitClass &&
         std::equal(std::begin(defences), std::end(defences), std::begin(o.defences)) &&
         damageControl == o.damageControl && activeDefence == o.activeDefence && powerStorage == o.powerStorage &&
         powerGeneration == o.powerGeneration && transferRate == o.transferRate && totalAmmo == o.totalAmmo &&
         visible == o.visible && creationTurn == o.creationTurn && creationTurnHigh == o.creationTurnHigh &&
         std::equal(std::begin(trailingWords), std::end(trailingWords), std::begin(o.trailingWords)) &&
         std::equal(std::begin(trailingLongs), std::end(trailingLongs), std::begin(o.trailingLongs));
}

std::uint16_t CGUnitTemplate::AddRef() {
  if (references < 0xFFFF) ++references;
  return references;
}

std::uint16_t CGUnitTemplate::Release() {
  if (references == 0) {
    TraceError("Releasing a design nothing holds", __FILE__, __LINE__);
    return 0;
  }
  return --references;
}

int CGUnitTemplate::RemoveUnresearchedModules() {
  bool removed = false;
  for (TemplateModuleSlot& slot : slots) {
    if (slot.fitted == 0 || Researched(slot.moduleId)) continue;
    slot = TemplateModuleSlot{};
    removed = true;
  }
  if (removed) Recompute();
  return removed ? 0 : 1;
}

int CGUnitTemplate::CanAutoUpgrade() const {
  if (hull != nullptr && RulesFacts().Hulls() != nullptr) {
    const CGHull* next = RulesFacts().Hulls()->GetSuccessor(*hull);
    if (next != nullptr && next->IsResearched()) return 1;
  }
  for (const TemplateModuleSlot& slot : slots) {
    if (slot.fitted == 0 || RulesFacts().Modules() == nullptr) continue;
    const std::uint16_t next = RulesFacts().Modules()->GetSuccessor(slot.moduleId);
    if (next != kNoModule && Researched(next)) return 1;
  }
  return 0;
}

int CGUnitTemplate::AutoUpgrade(std::uint32_t* hullChanged) {
  int changed = 0;
  for (TemplateModuleSlot& slot : slots) {
    if (slot.fitted == 0) continue;
    const std::uint16_t upgraded = LastResearchedSuccessor(slot.moduleId);
    if (upgraded == slot.moduleId) continue;
    slot.moduleId = upgraded;
    ++changed;
  }
  CGHull* upgradedHull = LastResearchedHull(hull);
  if (hullChanged != nullptr) *hullChanged = upgradedHull != hull ? 1 : 0;
  hull = upgradedHull;
  Recompute();
  return changed;
}

int CGUnitTemplate::FindFreeSlotForModuleType(int moduleType) const {
  if (hull == nullptr) return -1;
  const int n = hull->GetSlotCount();
  for (int s = 0; s < n; ++s) {
    if (hull->SlotAcceptsModuleType(s, moduleType) != 0 && slots[s].fitted == 0) return s;
  }
  return -1;
}
