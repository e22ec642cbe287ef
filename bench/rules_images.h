#pragma once
// The rules files as the data build makes them, 5 x 40 hulls and 600
// modules, as the bytes of "hulls.dat" and "modules.dat".

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "Game/rules/GHullDB.h"
#include "Game/rules/GModuleDB.h"

inline std::pair<std::vector<std::uint8_t>, std::vector<std::uint8_t>> BenchRulesImages() {
  std::vector<std::unique_ptr<CGHull>> hulls;
  std::vector<const CGHull*> list;
  for (int s = 0; s < kHullSections; ++s) {
    for (int i = 0; i < 40; ++i) {
      hulls.push_back(std::make_unique<CGHull>());
      hulls.back()->section = static_cast<std::uint8_t>(s);
      hulls.back()->index = static_cast<std::uint8_t>(i);
      hulls.back()->slots[0] = HullSlot{10, 10, 1, 1, kSlotAcceptsAny};
      list.push_back(hulls.back().get());
    }
  }
  std::vector<ModuleRecord> modules(600);
  for (auto& m : modules) m.type = MODULE_WEAPON;
  return {WriteHullsImage(list), WriteModulesImage(modules)};
}
