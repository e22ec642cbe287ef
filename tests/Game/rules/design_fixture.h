#pragma once
// A small hull and module database for the design tests, set into the registered
// world (the test's RulesLinksScope, declared before it).
//
// Hulls (section 0): index 0 "Frame", a destroyer of mass 200, costs 100 50 20
// 10, structure 200, slots: 0 computer, 1 weapon, 2 weapon, 3 propulsion,
// 4 any; its successor is index 1 "Frame Mk II" (not researched).
// Modules: 0 corrosive weapon (strength 10, ammo 40, successor 4), 1 combat
// computer (survey bonus 10), 2 scout (survey 10), 3 drive (thrust 20, local
// 12), 4 weapon II (not researched), 5 power (transfer 10, storage 300,
// generation 25).

#include <memory>

#include "Game/model/GameWorld.h"
#include "Game/rules/GHullDB.h"
#include "Game/rules/GModuleDB.h"
#include "tests/Game/rules/rules_fixture.h"

namespace rules_test {

class DesignWorld {
 public:
  explicit DesignWorld(const Sandbox& box) {
    HullEntry frame;
    frame.name = "Frame";
    frame.successor = 1;
    frame.slots = {{100, 10, 1, 1, 1u << 1},
                   {10, 60, 1, 1, 1u << 10},
                   {200, 60, 1, 1, 1u << 10},
                   {10, 120, 1, 1, 1u << 5},
                   {200, 120, 1, 1, 0x1000}};
    HullEntry mk2 = frame;
    mk2.name = "Frame Mk II";
    mk2.successor = 255;
    mk2.researched = 0;
    box.Write("hulls.dat", HullsFile({{frame, mk2}}));
    hullDB = std::make_unique<CGHullDB>(Sandbox::Dos("hulls.dat").c_str());

    ModuleEntry weapon = Module("Weapon", 10, WeaponData(2, 10, 20, 10, 3, 70, 40, 0));
    weapon.successor = 4;
    ModuleEntry weapon2 = weapon;
    weapon2.name = "Weapon II";
    weapon2.successor = 0xFFFF;
    weapon2.techLevel = 2;
    box.Write("modules.dat", ModulesFile({weapon, Module("Computer", 1, {2, 0, 0, 0, 0, 0, 0, 0, 10, 0}),
                                          Module("Scout", 6, {10}), Module("Drive", 5, DriveData(20, 12)), weapon2,
                                          Module("Power", 4, {10, 0, 0x2C, 0x01, 25, 0})}));
    moduleDB = std::make_unique<CGModuleDB>(Sandbox::Dos("modules.dat").c_str());

    World().hulls = hullDB.get();
    World().modules = moduleDB.get();
  }
  CGHull* Frame() const { return hullDB->GetHull(0, 0); }

  std::unique_ptr<CGHullDB> hullDB;
  std::unique_ptr<CGModuleDB> moduleDB;
};

}  // namespace rules_test
