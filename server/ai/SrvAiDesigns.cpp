#include "server/ai/SrvAiDesigns.h"

#include <algorithm>
#include <array>
#include <vector>

#include "Game/model/GChapter.h"
#include "Game/rules/GModuleDB.h"
#include "Game/rules/GTemplateDB.h"
#include "server/ai/SrvAiOrders.h"
#include "server/ai/SrvAiPlan.h"
#include "server/world/SrvStartingUnits.h"

namespace {

bool Researched(const std::vector<std::uint16_t>& points, int index) {
  return index >= 0 && static_cast<std::size_t>(index) < points.size() &&
         points[static_cast<std::size_t>(index)] >= kResearched;
}

// The guild's researched modules of each kind, best first (the highest
// technology level, the first in the module list among equals), special
// weapons apart: made once a design, it spares a pass over every module for
// each slot and kind (a third of a hard turn went there).
struct GuildModules {
  std::array<std::vector<int>, kModuleTypeCount> ordinary, special;
};

GuildModules GuildModulesOf(const SrvWorld& world, int guild, bool fitsBombards) {
  const CGModuleDB& modules = *world.modules;
  const SrvGuildResearch& research = world.research[static_cast<std::size_t>(guild)];
  GuildModules found;
  for (int m = 0; m < modules.GetCount(); ++m) {
    const ModuleRecord* r = modules.GetRecord(m);
    if (r == nullptr || (r->guildMask & (1u << guild)) == 0 || r->type >= kModuleTypeCount ||
        !SrvAiFitsModule(*r, fitsBombards) || !Researched(research.modulePoints, m))
      continue;
    (r->SpecialCode() != 0 ? found.special : found.ordinary)[r->type].push_back(m);
  }
  const auto higherLevel = [&modules](int a, int b) {
    return modules.GetRecord(a)->techLevel > modules.GetRecord(b)->techLevel;
  };
  for (auto* lists : {&found.ordinary, &found.special})
    for (std::vector<int>& list : *lists) std::stable_sort(list.begin(), list.end(), higherLevel);
  return found;
}

// The best module of the list whose mass fits in `room`; -1: none.
int BestFitting(const SrvWorld& world, const std::vector<int>& best, std::uint32_t room) {
  for (int m : best)
    if (world.modules->GetMass(m) <= room) return m;
  return -1;
}

// The kinds the hull's slot takes, a bit each: asked once a slot rather than
// once a kind and module.
std::uint32_t KindsTaken(const CGHull& hull, int slot) {
  std::uint32_t kinds = 0;
  for (int type = 0; type < kModuleTypeCount; ++type)
    if (hull.SlotAcceptsModuleType(slot, type) != 0) kinds |= 1u << type;
  return kinds;
}

// The best fitting module of any kind the slot takes: the highest technology
// level, the first in the module list among equals; -1: none.
int BestOfAnyKind(const SrvWorld& world, const GuildModules& guild, std::uint32_t kinds, std::uint32_t room) {
  int best = -1;
  for (int type = 0; type < kModuleTypeCount; ++type) {
    if ((kinds & (1u << type)) == 0) continue;
    const int m = BestFitting(world, guild.ordinary[static_cast<std::size_t>(type)], room);
    if (m < 0) continue;
    const int level = world.modules->GetRecord(m)->techLevel,
              bestLevel = best < 0 ? -1 : world.modules->GetRecord(best)->techLevel;
    if (best < 0 || level > bestLevel || (level == bestLevel && m < best)) best = m;
  }
  return best;
}

struct Fitting {
  int modules = 0;
  int techLevels = 0;
};

void Count(const SrvWorld& world, Fitting& f, int module) {
  const ModuleRecord* r = module >= 0 ? world.modules->GetRecord(module) : nullptr;
  if (r == nullptr) return;
  ++f.modules;
  f.techLevels += r->techLevel;
}

Fitting FittingOf(const SrvWorld& world, const CGUnitTemplate& design) {
  Fitting f;
  for (const TemplateModuleSlot& slot : design.slots) Count(world, f, slot.fitted != 0 ? slot.moduleId : -1);
  return f;
}

bool Improves(const Fitting& candidate, const Fitting& fixed) {
  return candidate.modules >= fixed.modules && candidate.techLevels > fixed.techLevels;
}

// The module of each slot of the hull's best design (-1: empty), chosen
// without making the design: most turns it improves on nothing.
using Choices = std::array<int, kTemplateSlots>;

Choices BestChoices(const SrvWorld& world, const GuildModules& researched, const CGHull& hull) {
  Choices chosen;
  chosen.fill(-1);
  std::uint32_t mass = hull.mass;
  std::array<bool, kModuleTypeCount> fitted{};
  bool special = false;
  for (int slot = 0; slot < hull.GetSlotCount() && slot < kTemplateSlots; ++slot) {
    const std::uint32_t room = hull.massLimit > mass ? hull.massLimit - mass : 0;
    int& pick = chosen[static_cast<std::size_t>(slot)];
    const std::uint32_t kinds = KindsTaken(hull, slot);
    for (std::uint8_t type : kSrvModulePreference) {
      if (fitted[type] || (kinds & (1u << type)) == 0) continue;
      pick = BestFitting(world, researched.ordinary[type], room);
      if (pick >= 0) break;
    }
    // A warship's second weapon slot takes its guild's bombard: it opens a
    // siege several times faster than a gun, and a special attack fires it
    // at a ship beside the guns; one is all that fires.
    if (pick < 0 && !special && fitted[MODULE_WEAPON] && (kinds & (1u << MODULE_WEAPON)) != 0) {
      pick = BestFitting(world, researched.special[MODULE_WEAPON], room);
      special = pick >= 0;
    }
    if (pick < 0) pick = BestOfAnyKind(world, researched, kinds, room);
    if (pick < 0) continue;
    fitted[world.modules->GetRecord(pick)->type] = true;
    mass += world.modules->GetMass(pick);
  }
  return chosen;
}

Fitting FittingOf(const SrvWorld& world, const Choices& chosen) {
  Fitting f;
  for (int m : chosen) Count(world, f, m);
  return f;
}

std::unique_ptr<CGUnitTemplate> DesignOf(std::uint16_t chapter, CGHull* hull, std::uint32_t id, const Choices& chosen) {
  auto design = std::make_unique<CGUnitTemplate>(static_cast<std::uint8_t>(chapter), static_cast<std::int32_t>(id));
  design->SetHull(hull);
  design->SetName(hull->name);
  // Fitted without a recount each time: one once the design is whole.
  for (std::size_t slot = 0; slot < chosen.size(); ++slot)
    if (chosen[slot] >= 0) design->slots[slot] = TemplateModuleSlot{static_cast<std::uint16_t>(chosen[slot]), 1};
  design->Recompute();
  return design;
}

}  // namespace

bool SrvAiFitsModule(const ModuleRecord& module, bool fitsBombards) {
  const std::uint8_t code = module.SpecialCode();
  return code == 0 || (code == kSpecialBombard && fitsBombards);
}

std::unique_ptr<CGUnitTemplate> SrvAiBestDesign(const SrvWorld& world, std::uint16_t chapter, CGHull* hull,
                                                std::uint32_t id, bool fitsBombards) {
  if (hull == nullptr) return nullptr;
  return DesignOf(chapter, hull, id, BestChoices(world, GuildModulesOf(world, chapter >> 3, fitsBombards), *hull));
}

bool SrvAiDesignImproves(const SrvWorld& world, const CGUnitTemplate& candidate, const CGUnitTemplate& fixed) {
  return Improves(FittingOf(world, candidate), FittingOf(world, fixed));
}

void SrvAiStoreDesign(SrvAiPlan& plan) {
  SrvWorld& world = plan.world;
  const int guild = plan.chapter >> 3;
  const SrvGuildResearch& research = world.research[static_cast<std::size_t>(guild)];
  const CGChapter* self = world.Chapter(plan.chapter);
  int freeSlot = -1;
  for (int s = 0; s < kFixedTemplateSlots && freeSlot < 0; ++s)
    if (world.templates->GetTemplate(plan.chapter, s, 1) == nullptr) freeSlot = s;
  const GuildModules researched = GuildModulesOf(world, guild, plan.level.fitsBombards);
  for (int h = 0; h < world.hulls->GetHullCount(guild); ++h) {
    CGHull* hull = world.hulls->GetHull(guild, h);
    if (hull == nullptr || !Researched(research.hullPoints, h)) continue;
    int slot = -1;
    for (int s = 0; s < kFixedTemplateSlots && slot < 0; ++s) {
      const CGUnitTemplate* d = world.templates->GetTemplate(plan.chapter, s, 1);
      if (d != nullptr && d->hull == hull) slot = s;
    }
    if (slot < 0 && freeSlot < 0) continue;
    const Choices best = BestChoices(world, researched, *hull);
    const Fitting fitting = FittingOf(world, best);
    if (fitting.modules == 0) continue;
    if (slot >= 0 && !Improves(fitting, FittingOf(world, *world.templates->GetTemplate(plan.chapter, slot, 1))))
      continue;
    // An id the chapter has not given yet: the intake moves its counter past it.
    plan.orders.push_back(SrvAiDesignOrder(plan.chapter, static_cast<std::uint16_t>(slot >= 0 ? slot : freeSlot),
                                           static_cast<std::uint8_t>(h),
                                           *DesignOf(plan.chapter, hull, self->nextObjectId, best)));
    return;
  }
}
