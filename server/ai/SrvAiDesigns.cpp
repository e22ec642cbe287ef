#include "server/ai/SrvAiDesigns.h"

#include <array>

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

// The researched module of the guild whose kind `takes` and whose mass fits
// in `room`, of the highest technology level (the first of equals); -1: none.
// Special weapons are never chosen: the chapters neither arm nor aim them.
template <typename Takes>
int BestModule(const SrvWorld& world, int guild, std::uint32_t room, Takes takes) {
  const CGModuleDB& modules = *world.modules;
  const SrvGuildResearch& research = world.research[static_cast<std::size_t>(guild)];
  int best = -1;
  for (int m = 0; m < modules.GetCount(); ++m) {
    const ModuleRecord* r = modules.GetRecord(m);
    if (r == nullptr || (r->guildMask & (1u << guild)) == 0 || r->SpecialCode() != 0 || !takes(r->type) ||
        !Researched(research.modulePoints, m) || modules.GetMass(m) > room)
      continue;
    if (best < 0 || r->techLevel > modules.GetRecord(best)->techLevel) best = m;
  }
  return best;
}

struct Fitting {
  int modules = 0;
  int techLevels = 0;
};

Fitting FittingOf(const SrvWorld& world, const CGUnitTemplate& design) {
  Fitting f;
  for (const TemplateModuleSlot& slot : design.slots) {
    const ModuleRecord* r = slot.fitted != 0 ? world.modules->GetRecord(slot.moduleId) : nullptr;
    if (r == nullptr) continue;
    ++f.modules;
    f.techLevels += r->techLevel;
  }
  return f;
}

}  // namespace

std::unique_ptr<CGUnitTemplate> SrvAiBestDesign(const SrvWorld& world, std::uint16_t chapter, CGHull* hull,
                                                std::uint32_t id) {
  if (hull == nullptr) return nullptr;
  const int guild = chapter >> 3;
  auto design = std::make_unique<CGUnitTemplate>(static_cast<std::uint8_t>(chapter), static_cast<std::int32_t>(id));
  design->SetHull(hull);
  design->SetName(hull->name);
  std::uint32_t mass = hull->mass;
  std::array<bool, kModuleTypeCount> fitted{};
  for (int slot = 0; slot < hull->GetSlotCount(); ++slot) {
    const std::uint32_t room = hull->massLimit > mass ? hull->massLimit - mass : 0;
    int chosen = -1;
    for (std::uint8_t type : kSrvModulePreference) {
      if (fitted[type] || hull->SlotAcceptsModuleType(slot, type) == 0) continue;
      chosen = BestModule(world, guild, room, [type](std::uint8_t t) { return t == type; });
      if (chosen >= 0) break;
    }
    if (chosen < 0)
      chosen = BestModule(world, guild, room,
                          [&](std::uint8_t t) { return t < kModuleTypeCount && hull->SlotAcceptsModuleType(slot, t) != 0; });
    if (chosen < 0) continue;
    fitted[world.modules->GetRecord(chosen)->type] = true;
    mass += world.modules->GetMass(chosen);
    design->FitModule(slot, static_cast<std::uint16_t>(chosen));
  }
  return design;
}

bool SrvAiDesignImproves(const SrvWorld& world, const CGUnitTemplate& candidate, const CGUnitTemplate& fixed) {
  const Fitting c = FittingOf(world, candidate), f = FittingOf(world, fixed);
  return c.modules >= f.modules && c.techLevels > f.techLevels;
}

void SrvAiStoreDesign(SrvAiPlan& plan) {
  SrvWorld& world = plan.world;
  const int guild = plan.chapter >> 3;
  const SrvGuildResearch& research = world.research[static_cast<std::size_t>(guild)];
  const CGChapter* self = world.Chapter(plan.chapter);
  int freeSlot = -1;
  for (int s = 0; s < kFixedTemplateSlots && freeSlot < 0; ++s)
    if (world.templates->GetTemplate(plan.chapter, s, 1) == nullptr) freeSlot = s;
  for (int h = 0; h < world.hulls->GetHullCount(guild); ++h) {
    CGHull* hull = world.hulls->GetHull(guild, h);
    if (hull == nullptr || !Researched(research.hullPoints, h)) continue;
    int slot = -1;
    for (int s = 0; s < kFixedTemplateSlots && slot < 0; ++s) {
      const CGUnitTemplate* d = world.templates->GetTemplate(plan.chapter, s, 1);
      if (d != nullptr && d->hull == hull) slot = s;
    }
    if (slot < 0 && freeSlot < 0) continue;
    // An id the chapter has not given yet: the intake moves its counter past it.
    const auto best = SrvAiBestDesign(world, plan.chapter, hull, self->nextObjectId);
    if (best == nullptr || best->moduleCount == 0) continue;
    if (slot >= 0 && !SrvAiDesignImproves(world, *best, *world.templates->GetTemplate(plan.chapter, slot, 1)))
      continue;
    plan.orders.push_back(SrvAiDesignOrder(plan.chapter, static_cast<std::uint16_t>(slot >= 0 ? slot : freeSlot),
                                           static_cast<std::uint8_t>(h), *best));
    return;
  }
}
