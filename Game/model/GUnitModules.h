#pragma once
// The module records behind a design's slots, as the unit code reads them.

#include <cstdint>

#include "Game/model/GameWorld.h"
#include "Game/rules/GModuleDB.h"
#include "Game/rules/GUnitTem.h"

// The module fitted in the slot; null for a missing design, an unfitted slot
// or a module the database does not hold.
inline const ModuleRecord* SlotModule(const CGUnitTemplate* design, int slot) {
  if (design == nullptr || slot < 0 || slot >= kTemplateSlots || design->slots[slot].fitted == 0) return nullptr;
  if (World().modules == nullptr) return nullptr;
  return World().modules->GetRecord(design->slots[slot].moduleId);
}

inline std::uint8_t SlotFitted(const CGUnitTemplate* design, int slot) {
  return design == nullptr || slot < 0 || slot >= kTemplateSlots ? 0 : design->slots[slot].fitted;
}

inline bool IsWeapon(const ModuleRecord* m) { return m != nullptr && m->type == MODULE_WEAPON; }
