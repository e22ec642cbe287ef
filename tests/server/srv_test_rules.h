#pragma once
// A small rules set for the server's tests, written by the game's own
// writers: drives, cranes, holds and power cells every guild has from the
// start, a weapon to research, a reactor that improves on the power cell,
// and per guild a researched construction hull of four open slots and an
// unresearched cruiser hull that improves on it.

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <utility>
#include <vector>

#include "Game/rules/GHullDB.h"
#include "Game/rules/GModuleDB.h"
#include "Game/rules/GUnitClass.h"

namespace {

inline ModuleRecord TestModule(const char* name, std::uint8_t type, std::uint8_t techLevel) {
  ModuleRecord m;
  std::strncpy(m.name, name, sizeof m.name - 1);
  m.guildMask = 0x1F;
  m.type = type;
  m.techLevel = techLevel;
  m.mass = 10;
  m.buildPoints = 10;
  for (int r = 0; r < 4; ++r) m.costs[r] = 5;
  return m;
}

inline std::pair<std::vector<std::uint8_t>, std::vector<std::uint8_t>> SrvTestRules() {
  std::vector<ModuleRecord> modules;
  ModuleRecord drive = TestModule("Drive", MODULE_PROPULSION, 1);
  drive.typeData[0] = 60;
  drive.typeData[8] = 60;
  modules.push_back(drive);
  ModuleRecord crane = TestModule("Crane", MODULE_CONSTRUCTION, 1);
  crane.typeData[0] = 20;
  modules.push_back(crane);
  ModuleRecord hold = TestModule("Hold", MODULE_TRANSPORT, 1);
  hold.SetTypeWord(0, 20);
  modules.push_back(hold);
  ModuleRecord cell = TestModule("Cell", MODULE_POWER, 1);
  cell.SetTypeWord(0, 10);
  cell.SetTypeWord(1, 200);
  cell.SetTypeWord(2, 20);
  cell.successor = 5;
  modules.push_back(cell);
  modules.push_back(TestModule("Laser", MODULE_WEAPON, 0));
  ModuleRecord reactor = TestModule("Reactor", MODULE_POWER, 2);
  reactor.SetTypeWord(0, 20);
  reactor.SetTypeWord(1, 400);
  reactor.SetTypeWord(2, 40);
  modules.push_back(reactor);

  std::vector<CGHull> hulls(10);
  std::vector<const CGHull*> list;
  for (std::uint8_t g = 0; g < 5; ++g) {
    for (std::uint8_t k = 0; k < 2; ++k) {
      CGHull& h = hulls[g * 2u + k];
      std::strcpy(h.name, k == 0 ? "Hauler" : "Cruiser");
      h.section = g;
      h.index = k;
      h.unitClass = k == 0 ? UNITCLASS_CONS : UNITCLASS_CRUS;
      h.mass = 100;
      h.massLimit = 1000;
      h.available = k == 0 ? 1 : 0;
      if (k == 0) h.successor = 1;
      for (std::uint16_t& c : h.costs) c = 20;
      h.structurePoints = 40;
      for (int s = 0; s < 4; ++s) {
        h.slots[s].x = static_cast<std::uint16_t>(40 * s);
        h.slots[s].typeMask = kSlotAcceptsAny;
      }
      list.push_back(&h);
    }
  }
  return {WriteHullsImage(list), WriteModulesImage(modules)};
}

// The test rules as "hulls.dat" and "modules.dat" in `dir`, where a server
// started there reads them.
inline void WriteSrvTestRules(const std::filesystem::path& dir) {
  const auto [hulls, modules] = SrvTestRules();
  std::ofstream(dir / "hulls.dat", std::ios::binary)
      .write(reinterpret_cast<const char*>(hulls.data()), static_cast<std::streamsize>(hulls.size()));
  std::ofstream(dir / "modules.dat", std::ios::binary)
      .write(reinterpret_cast<const char*>(modules.data()), static_cast<std::streamsize>(modules.size()));
}

}  // namespace
