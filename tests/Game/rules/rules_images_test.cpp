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
  rules_test::HullEntry e;
  e.name = "Pin";
  e.slots = {{10, 20, 1, 1, kSlotAcceptsAny}, {40, 20, 5, 6, 1u << 10}};
  CGHull h = e.Record(2, 1);
  h.researchPoints = kResearched;
  return h;
}

// A researched weapon (the fixture's default module) and a drive of guild 1.
std::vector<ModuleRecord> PinnedModules() {
  rules_test::ModuleEntry gun, drive;
  gun.name = "Pin Gun";
  gun.image = "wpin";
  drive.name = "Pin Drive";
  drive.type = MODULE_PROPULSION;
  drive.typeData = {9, 0, 2, 1, 0, 0, 4, 3, 6, 0};
  drive.guildMask = 2;
  for (int i = 0; i < 5; ++i) drive.costs[i] = static_cast<std::uint16_t>(i + 1);
  drive.buildPoints = 7;
  drive.techLevel = 2;
  drive.image = "dpin";
  drive.sound = "";
  drive.powerUse = 3;
  drive.mass = 4;
  std::vector<ModuleRecord> records = {gun.Record(), drive.Record()};
  records[0].researchPoints = 10000;
  return records;
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
