#pragma once
// A generated world with battle-ready rules: one hull for every guild and a
// weapon, a shield against it and a drive; designs and units are put where a
// test wants them, and the turn's queues are read back by packet type.
//
// Modules: 0 gun (attack kind 0, strength 40, range 25 / effective 15 file
// units, rate of fire 3, hit 70, ammo 30, pattern 0), 1 shield (stops 60 of
// attack kind 0), 2 drive, 3 scanner, 4 ATV hold, 5 mind weapon (special code
// 22, strength 3: a hit stuns for 3 turns), 6 bombard (special code 24,
// strength 15: three shots a turn). Every module has 20 build points.

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "Game/model/GAsteroid.h"
#include "Game/model/GUnit.h"
#include "Game/model/GZone.h"
#include "server/turn/SrvTurnSteps.h"
#include "tests/Game/rules/rules_fixture.h"
#include "tests/server/srv_packets.h"

namespace battle_test {

enum TestModule : std::uint16_t { kGun = 0, kShield = 1, kDrive = 2, kScanner = 3, kHold = 4, kMind = 5, kBombard = 6 };

class BattleWorld : public ::testing::Test {
 protected:
  explicit BattleWorld(std::uint32_t seed = 987654321) : random(seed) {
    setup.config.Put<std::uint16_t>(14, 8);
    setup.config.Put<std::uint16_t>(16, 40);
    world.Generate(setup, 1234, nullptr);
    rules_test::HullEntry hull;
    hull.slots.assign(20, {10, 10, 1, 1, 0x1000});
    std::vector<std::vector<rules_test::HullEntry>> sections(5, {hull});
    auto gun = rules_test::Module("Gun", 10, rules_test::WeaponData(0, 40, 25, 15, 3, 70, 30, 0));
    auto shield = rules_test::Module("Shield", 3, {0, 60, 0, 0, 0, 0, 0, 0, 0});
    auto drive = rules_test::Module("Drive", 5, rules_test::DriveData(20, 12));
    auto scanner = rules_test::Module("Scanner", MODULE_SCOUT, {20, 0, 0, 0, 0, 0, 0, 0, 0});
    auto hold = rules_test::Module("Hold", MODULE_TRANSPORT, {4, 0, 0, 0, 0, 0, 0, 0, 0});
    auto mind = rules_test::Module("Mind", 10, rules_test::WeaponData(6, 3, 25, 15, kSpecialMind, 100, 255, 1));
    auto bombard =
        rules_test::Module("Bombard", 10, rules_test::WeaponData(6, 15, 25, 15, kSpecialBombard, 100, 255, 2));
    std::vector<rules_test::ModuleEntry> modules = {gun, shield, drive, scanner, hold, mind, bombard};
    for (auto& m : modules) m.guildMask = 0x1F;
    EXPECT_TRUE(world.UseRules(rules_test::HullsFile(sections), rules_test::ModulesFile(modules)));
  }

  // The units go while the world's databases they release their designs to still stand.
  ~BattleWorld() override {
    for (std::uint16_t at = 0; at <= CGSolarDB::GetAsteroidCount(); ++at) world.pieces->DeleteUnitsAt(at);
  }

  CGUnitTemplate* Design(std::uint16_t chapter, const std::vector<std::uint16_t>& fitted) {
    CGUnitTemplate design(static_cast<std::uint8_t>(chapter), static_cast<std::int32_t>((chapter << 26) | 1000));
    design.SetHull(world.hulls->GetHull(chapter >> 3, 0));
    for (std::size_t s = 0; s < fitted.size(); ++s) design.FitModule(static_cast<int>(s), fitted[s]);
    const int slot = fixedUsed[chapter]++;
    EXPECT_EQ(world.templates->SetFixedTemplate(design, chapter, slot), 1);
    return world.templates->GetTemplate(chapter, slot, 1);
  }
  // `n` units of the design standing side by side from x on the asteroid,
  // with a plan that never retreats.
  std::vector<CGUnit*> Fleet(std::uint16_t chapter, CGUnitTemplate* design, int n, std::uint16_t asteroid,
                             std::int16_t x = 0) {
    std::vector<CGUnit*> units;
    for (int i = 0; i < n; ++i) {
      CGUnit* u = world.CreateUnit(chapter, design, Location{asteroid, static_cast<std::int16_t>(x + 10 * i), 0, 0});
      EXPECT_NE(u, nullptr);
      if (u == nullptr) continue;
      u->retreat = {100, 100, 0};  // 100: the damage that makes it leave can never be passed
      units.push_back(u);
    }
    return units;
  }

  // The turn's battles; `arrivals` came this turn.
  std::unique_ptr<SrvTurnContext> Resolve(std::vector<std::uint32_t> arrivals = {}) {
    auto turn = std::make_unique<SrvTurnContext>(SrvTurnContext{world, setup, log, random});
    turn->arrivals = std::move(arrivals);
    SrvResolveBattles(*turn);
    return turn;
  }

  rules_test::Sandbox box;
  SrvSetup setup;
  SrvLog log;
  SrvWorld world;
  SrvRandom random;
  std::map<std::uint16_t, int> fixedUsed;
};

}  // namespace battle_test
