#pragma once
// A game-data root over a scratch installation: "hulls.dat" with one hull in
// each guild's section, "modules.dat" with a weapon and a drive, no resource
// modules. The root under test is g_gameData while it lives.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "Game/model/GGameData.h"
#include "platform/core/files.h"
#include "tests/Game/rules/rules_fixture.h"

namespace root_test {

class RootGame : public ::testing::Test {
 protected:
  RootGame() { WriteRules(); }
  ~RootGame() override { g_gameData = nullptr; }

  void WriteRules() {
    std::vector<std::vector<rules_test::HullEntry>> hulls(kGuildCount, std::vector<rules_test::HullEntry>(1));
    for (int section = 0; section < kGuildCount; ++section) {
      rules_test::HullEntry& hull = hulls[section][0];
      hull.name = "Hull " + std::to_string(section);
      hull.unitClass = static_cast<std::uint8_t>(3 + section);
      hull.slots.assign(20, {10, 10, 1, 1, 0x1000});
    }
    box.Write("hulls.dat", rules_test::HullsFile(hulls));
    // Called through a pointer: inlined into a large test, GCC 12 takes the
    // module records' default type data for uninitialised.
    static auto* volatile module = &rules_test::Module;
    box.Write("modules.dat",
              rules_test::ModulesFile({module("Weapon", 10, rules_test::WeaponData(2, 10, 20, 10, 3, 70, 40, 0)),
                                       module("Drive", 5, rules_test::DriveData(20, 12))}));
  }

  // A new root as the application makes it: the only one, reached through g_gameData.
  std::unique_ptr<CGameData> NewGame(std::uint16_t localChapter = 9, std::uint8_t perGuild = 8) {
    auto game = std::make_unique<CGameData>(localChapter, perGuild);
    g_gameData = game.get();
    return game;
  }

  // The bytes a root saves.
  std::vector<std::uint8_t> Saved(const CGameData& game, const std::string& name = "game.sav") {
    const std::string bytes = box.Saved([&](plat::FILE* fp) { return game.Save(fp); }, name);
    return {bytes.begin(), bytes.end()};
  }
  int LoadInto(CGameData& game, const std::string& name = "game.sav") {
    plat::FILE* fp = plat::fopen(rules_test::Sandbox::Dos(name).c_str(), "rb");
    const int result = game.Load(fp);
    plat::fclose(fp);
    return result;
  }

  rules_test::Sandbox box;
};

}  // namespace root_test
