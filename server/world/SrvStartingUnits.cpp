#include "server/world/SrvStartingUnits.h"

#include <array>
#include <memory>

#include "Game/model/GChapter.h"
#include "Game/model/GUnit.h"

namespace {

// Starting units stand this far apart on the x axis, outside the asteroid's body.
constexpr std::int16_t kFirstUnitX = 1200;
constexpr std::int16_t kUnitSpacing = 500;

bool ModuleOfGuild(const ModuleRecord& m, int guild) { return (m.guildMask & (1u << guild)) != 0; }

}  // namespace

std::unique_ptr<CGUnitTemplate> SrvMakeStartingDesign(const SrvWorld& world, std::uint16_t chapter, CGHull* hull) {
  if (hull == nullptr) return nullptr;
  const int guild = chapter >> 3;
  auto design = std::make_unique<CGUnitTemplate>(static_cast<std::uint8_t>(chapter), -1);
  design->SetHull(hull);
  design->SetName(hull->name);
  std::array<bool, kModuleTypeCount> fitted{};
  const CGModuleDB& modules = *world.modules;
  for (int slot = 0; slot < hull->GetSlotCount(); ++slot) {
    int chosen = -1;
    for (std::uint8_t type : kSrvModulePreference) {
      if (fitted[type] || hull->SlotAcceptsModuleType(slot, type) == 0) continue;
      for (int m = 0; m < modules.GetCount() && chosen < 0; ++m) {
        const ModuleRecord* r = modules.GetRecord(m);
        if (r->type == type && ModuleOfGuild(*r, guild) && modules.IsResearched(m) != 0) chosen = m;
      }
      if (chosen >= 0) break;
    }
    for (int m = 0; m < modules.GetCount() && chosen < 0; ++m) {
      const ModuleRecord* r = modules.GetRecord(m);
      if (ModuleOfGuild(*r, guild) && modules.IsResearched(m) != 0 && hull->SlotAcceptsModuleType(slot, r->type) != 0)
        chosen = m;
    }
    if (chosen < 0) continue;
    fitted[modules.GetRecord(chosen)->type] = true;
    design->FitModule(slot, static_cast<std::uint16_t>(chosen));
  }
  return design;
}

void SrvGiveStartingForces(SrvWorld& world, std::uint16_t chapter) {
  const CGChapter* owner = world.Chapter(chapter);
  if (owner == nullptr) return;
  const int guild = chapter >> 3;
  int slot = 0;
  for (int h = 0; h < world.hulls->GetHullCount(guild) && slot < kFixedTemplateSlots; ++h) {
    CGHull* hull = world.hulls->GetHull(guild, h);
    if (hull == nullptr || hull->available == 0) continue;
    auto design = SrvMakeStartingDesign(world, chapter, hull);
    if (design == nullptr) continue;
    world.templates->SetFixedTemplate(*design, chapter, slot++);
  }
  for (int k = 0; k < kStartingUnitCount && k < slot; ++k) {
    const Location at{owner->homeAsteroid, static_cast<std::int16_t>(kFirstUnitX + k * kUnitSpacing), 0, 0};
    world.CreateUnit(chapter, world.templates->GetTemplate(chapter, k, 1), at);
  }
}
