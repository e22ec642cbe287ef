// The layouts of "hulls.dat" and "modules.dat", pinned by two small files
// checked in beside this test: the writers give exactly their bytes, and the
// readers give back the records.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>

#include "Game/rules/GHullDB.h"
#include "Game/rules/GModuleDB.h"
#include "tests/Game/rules/rules_fixture.h"

namespace {

std::vector<std::uint8_t> Pinned(const char* name) {
  std::ifstream in(std::string(QUEN_TEST_DATA_DIR) + "/" + name, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Section 2: an empty entry, then a hull with two slots.
CGHull PinnedHull() {
  CGHull h = CGHull();  // value-initialised: its padding is zero, as the database's records are
  std::strcpy(h.name, "Pin");
  h.section = 2;
  h.index = 1;
  h.unitClass = 8;
  h.attribute = 0;
  h.mass = 200;
  h.massLimit = 600;
  h.available = 1;
  h.researchPoints = kResearched;
  const std::uint16_t costs[4] = {100, 50, 20, 10};
  std::copy(std::begin(costs), std::end(costs), h.costs);
  h.structurePoints = 200;
  h.slots[0] = HullSlot{10, 20, 1, 1, kSlotAcceptsAny};
  h.slots[1] = HullSlot{40, 20, 5, 6, 1u << 10};
  return h;
}

std::vector<ModuleRecord> PinnedModules() {
  ModuleRecord gun = ModuleRecord();
  std::strcpy(gun.name, "Pin Gun");
  gun.guildMask = 1;
  gun.type = MODULE_WEAPON;
  const std::uint16_t gunCosts[5] = {30, 20, 10, 5, 40};
  std::copy(std::begin(gunCosts), std::end(gunCosts), gun.costs);
  gun.helpTopic = 1010;
  gun.buildPoints = 20;
  gun.techLevel = 1;
  gun.researchPoints = 10000;
  std::strcpy(gun.imageName, "wpin");
  std::strcpy(gun.soundName, "@boom");
  gun.powerUse = 8;
  gun.mass = 10;
  const std::uint8_t gunData[10] = {1, 12, 0, 0, 0, 0, 3, 70, 40, 0};
  std::copy(std::begin(gunData), std::end(gunData), gun.typeData);
  gun.SetTypeWord(1, 25 * kWeaponRangeScale);
  gun.SetTypeWord(2, 15 * kWeaponRangeScale);

  ModuleRecord drive = ModuleRecord();
  std::strcpy(drive.name, "Pin Drive");
  drive.guildMask = 2;
  drive.type = MODULE_PROPULSION;
  const std::uint16_t driveCosts[5] = {1, 2, 3, 4, 5};
  std::copy(std::begin(driveCosts), std::end(driveCosts), drive.costs);
  drive.helpTopic = 1005;
  drive.buildPoints = 7;
  drive.techLevel = 2;
  std::strcpy(drive.imageName, "dpin");
  drive.powerUse = 3;
  drive.mass = 4;
  drive.typeData[0] = 9;
  drive.SetTypeWord(1, 0x0102);
  drive.SetTypeWord(3, 0x0304);
  drive.typeData[8] = 6;
  return {gun, drive};
}

std::vector<std::uint8_t> Bytes(const void* p, std::size_t n) {
  const auto* b = static_cast<const std::uint8_t*>(p);
  return {b, b + n};
}

TEST(RulesImages, HullsRoundTripThroughThePinnedFile) {
  rules_test::RulesLinksScope links;
  const CGHull hull = PinnedHull();
  const CGHull* list[] = {&hull};
  const auto pinned = Pinned("hulls.dat");
  ASSERT_FALSE(pinned.empty());
  EXPECT_EQ(WriteHullsImage(list), pinned);

  CGHullDB db(rules_test::Sandbox::Dos("none.dat").c_str());
  ASSERT_EQ(db.LoadHulls(pinned), 1);
  ASSERT_EQ(db.GetHullCount(2), 1);
  // Whole records compared: every field, the unused slots included.
  EXPECT_EQ(Bytes(db.GetHull(2, 0), sizeof(CGHull)), Bytes(&hull, sizeof(CGHull)));
  EXPECT_EQ(db.HullsImage(), pinned);
}

TEST(RulesImages, ModulesRoundTripThroughThePinnedFile) {
  rules_test::RulesLinksScope links;
  const auto records = PinnedModules();
  const auto pinned = Pinned("modules.dat");
  ASSERT_FALSE(pinned.empty());
  EXPECT_EQ(WriteModulesImage(records), pinned);

  CGModuleDB db(rules_test::Sandbox::Dos("none.dat").c_str());
  ASSERT_EQ(db.LoadModules(pinned), 1);
  ASSERT_EQ(db.GetCount(), 2);
  for (int i = 0; i < 2; ++i)
    EXPECT_EQ(Bytes(db.GetRecord(i), sizeof(ModuleRecord)), Bytes(&records[i], sizeof(ModuleRecord))) << i;

  ModuleRecord unknown;
  unknown.type = kModuleTypeCount;
  EXPECT_TRUE(WriteModulesImage(std::span(&unknown, 1)).empty());
}

}  // namespace
