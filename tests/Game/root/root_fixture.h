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
    rules_test::Image hulls;
    for (int section = 0; section < kGuildCount; ++section) {
      hulls.U8(1);
      rules_test::HullEntry hull;
      hull.name = "Hull " + std::to_string(section);
      hull.unitClass = static_cast<std::uint8_t>(3 + section);
      hull.slots.assign(20, {10, 10, 1, 1, 0x1000});
      hull.AppendTo(hulls);
    }
    box.Write("hulls.dat", hulls.bytes);
    rules_test::Image modules;
    // Called through a pointer: inlined into a large test, GCC 12 takes the
    // module records' default type data for uninitialised.
    static auto* volatile module = &rules_test::Module;
    module("Weapon", 10, rules_test::WeaponData(2, 10, 20, 10, 3, 70, 40, 0)).AppendTo(modules);
    module("Drive", 5, {20, 0, 0, 0, 0, 0, 0, 12}).AppendTo(modules);
    box.Write("modules.dat", modules.bytes);
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
