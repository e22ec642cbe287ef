#pragma once
// A small game for the unit tests: one hull that takes any module, a module
// of each kind the unit rules read, the design and game-piece databases, and
// a small world of asteroids, pools and chapters.
//
// Modules: 0 weapon (strength 10, range 20 / effective 10 file units, rate of
// fire 3, hit 70, ammo 40, power use 8), 1 computer, 2 scout (survey 10),
// 3 drive (deep 20, local 12), 4 power (transfer 10, storage 300, generation
// 25), 5 construction (20), 6 transport (10 ATVs), 7 special weapon (rate of
// fire 24). Every module has build points 20 and costs 30 20 10 5 40.

#include <gtest/gtest.h>

#include <array>
#include <map>
#include <memory>
#include <vector>

#include "Game/model/GGamePieceDB.h"
#include "Game/model/GUnit.h"
#include "Game/model/GZone.h"
#include "Game/rules/GGameVar.h"
#include "Game/rules/GHullDB.h"
#include "Game/rules/GModuleDB.h"
#include "Game/rules/GTemplateDB.h"
#include "tests/Game/rules/rules_fixture.h"
#include "tests/support/small_world.h"

namespace units_test {

enum TestModule : std::uint16_t {
  kWeapon = 0,
  kComputer = 1,
  kScout = 2,
  kDrive = 3,
  kPower = 4,
  kConstruction = 5,
  kTransport = 6,
  kSpecial = 7,
};

class UnitWorld : public ::testing::Test {
 protected:
  UnitWorld() {
    rules_test::HullEntry hull;
    hull.name = "Yard";
    hull.unitClass = 7;
    hull.slots.assign(20, {10, 10, 1, 1, 0x1000});
    box.Write("hulls.dat", rules_test::HullsFile({{hull}}));
    hullDB = std::make_unique<CGHullDB>(rules_test::Sandbox::Dos("hulls.dat").c_str());

    using rules_test::Module;
    box.Write("modules.dat", rules_test::ModulesFile({
                                 Module("Weapon", 10, rules_test::WeaponData(2, 10, 20, 10, 3, 70, 40, 0)),
                                 Module("Computer", 1, {2, 0, 0, 0, 0, 0, 0, 0, 0, 0}),
                                 Module("Scout", 6, {10}),
                                 Module("Drive", 5, rules_test::DriveData(20, 12)),
                                 Module("Power", 4, {10, 0, 0x2C, 0x01, 25, 0}),
                                 Module("Builder", 0, {20}),
                                 Module("Hold", 9, {10, 0}),
                                 Module("Lance", 10, rules_test::WeaponData(2, 30, 40, 30, 24, 70, 255, 1)),
                             }));
    moduleDB = std::make_unique<CGModuleDB>(rules_test::Sandbox::Dos("modules.dat").c_str());
    links.hulls = hullDB.get();
    links.modules = moduleDB.get();

    savedVariables = g_gameVariables;
    links.pieces = &pieces;
    links.templates = &templates;
  }
  ~UnitWorld() override { g_gameVariables = savedVariables; }

  // A design of `chapter` held by the design database, with `fitted` module ids in slots 0, 1, ...
  CGUnitTemplate* Design(std::uint8_t chapter, const std::vector<std::uint16_t>& fitted) {
    auto design = std::make_unique<CGUnitTemplate>(chapter, static_cast<std::int32_t>((chapter << 26) | ++nextSerial));
    design->SetHull(hullDB->GetHull(0, 0));
    for (std::size_t s = 0; s < fitted.size(); ++s) {
      if (fitted[s] != kNoModuleId) design->FitModule(static_cast<int>(s), fitted[s]);
    }
    // Fixed slots: the database never deletes their designs when units let go of them.
    const int slot = fixedUsed[chapter]++;
    EXPECT_EQ(templates.SetFixedTemplate(*design, chapter, slot), 1);
    return templates.GetTemplate(chapter, slot, 1);
  }
  // A unit of the chapter at the place, filed in the game-piece database.
  CGUnit* Unit(CGUnitTemplate* design, Location at, std::uint8_t chapter = 0) {
    CGUnit* u = pieces.CreateUnit(design, &at, chapter, (std::uint32_t{chapter} << 26) | ++nextSerial);
    EXPECT_NE(u, nullptr);
    if (u != nullptr) u->power = u->GetMaxPower();
    return u;
  }
  // A fitted unit that can build, move, scan, carry and fight.
  CGUnitTemplate* Builder(std::uint8_t chapter = 0) {
    return Design(chapter, {kComputer, kConstruction, kDrive, kPower, kScout, kTransport, kWeapon});
  }

  // Asteroid 0 gives chapter 0 `amount` power a turn: zone 1 is the
  // chapter's, with that many ATVs worth 1 each.
  void PowerFromAsteroid0(std::uint8_t amount) {
    g_gameVariables.powerBases[0] = 1;
    CGChapter& chapter = *space.guilds.GetChapter(0);
    chapter.ownedAsteroids = 1;
    chapter.atvTech[0].values[2] = 1;
    CGZone& zone = *space.Asteroid(0).GetZone(1);
    zone.SetOwner(0);
    zone.SetAtvCounts(amount, 0, 0, 0);
  }

  rules_test::Sandbox box;
  rules_test::RulesLinksScope links;
  // Asteroid 3 is missing: the count takes in a slot with none.
  inline static const test_support::SmallWorld::Places kPlaces = {
      {0, {0, 0, 0, 0}}, {1, {0, 10000, 0, 0}}, {2, {0, 0, 20000, 0}}};
  test_support::SmallWorld space{links, 4, kPlaces};
  std::unique_ptr<CGHullDB> hullDB;
  std::unique_ptr<CGModuleDB> moduleDB;
  CGTemplateDB templates;
  CGGamePieceDB pieces;  // after the templates: its units release their designs
  CGameVariables savedVariables = g_gameVariables;

  std::uint32_t nextSerial = 0;
  std::map<std::uint8_t, int> fixedUsed;
};

}  // namespace units_test
