#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "Game/rules/GHullDB.h"
#include "Game/rules/GModuleDB.h"
#include "tools/rulesdata/hulls.h"
#include "tools/rulesdata/modules.h"

namespace {

using rulesdata::CompiledFile;
using rulesdata::CompileHulls;
using rulesdata::CompileModules;

// The first problem's line and whether its message holds `part`.
void ExpectProblem(const CompiledFile& f, int line, const std::string& part) {
  ASSERT_FALSE(f.problems.empty()) << "expected: " << part;
  EXPECT_TRUE(f.bytes.empty());
  EXPECT_EQ(f.problems[0].line, line) << f.problems[0].message;
  EXPECT_NE(f.problems[0].message.find(part), std::string::npos) << f.problems[0].message;
}

const char* const kHullSource = R"(; comment
layout small
  slot 10 20 70 35 computer weapon   ; a slot
  slot 200 20 1 1 any
section 3
hull "Tiny" dest 19 200 600 1 2 3 4 150 small "Tiny Mk II" yes
empty
hull "Tiny Mk II" dest 20 210 650 5 6 7 8 190 small - no
)";

// What the game reads back from the compiled file.
TEST(CompileHulls, TheGameReadsBackWhatTheSourceSays) {
  const CompiledFile f = CompileHulls(kHullSource);
  ASSERT_TRUE(f.problems.empty()) << f.problems[0].message;
  EXPECT_EQ(f.records, 2u);
  CGHullDB db("C:\\none.dat");
  ASSERT_EQ(db.LoadHulls(f.bytes), 1);
  for (int s : {0, 1, 2, 4}) EXPECT_EQ(db.GetHullCount(s), 0);
  ASSERT_EQ(db.GetHullCount(3), 2);
  const CGHull& tiny = *db.GetHull(3, 0);
  const CGHull& next = *db.GetHull(3, 1);
  EXPECT_STREQ(tiny.name, "Tiny");
  EXPECT_EQ(std::make_tuple(tiny.index, tiny.unitClass, tiny.attribute, tiny.mass, tiny.massLimit),
            std::make_tuple(0, 8, 19, 200u, 600u));
  EXPECT_EQ(next.attribute, 20);
  EXPECT_EQ(db.GetSuccessor(tiny), &next);  // its index is 2: past the empty entry
  EXPECT_EQ(next.index, 2);
  EXPECT_EQ(std::make_tuple(tiny.available, next.available), std::make_tuple(1u, 0u));
  EXPECT_EQ(std::vector<std::uint16_t>(tiny.costs, tiny.costs + 4), (std::vector<std::uint16_t>{1, 2, 3, 4}));
  EXPECT_EQ(tiny.structurePoints, 150);
  ASSERT_EQ(tiny.GetSlotCount(), 2);
  EXPECT_EQ(std::make_tuple(tiny.slots[0].x, tiny.slots[0].y, tiny.slots[0].anchorX, tiny.slots[0].anchorY,
                            tiny.slots[0].typeMask),
            std::make_tuple(10, 20, 70, 35, (1u << 1) | (1u << 10)));
  EXPECT_EQ(tiny.slots[1].typeMask, kSlotAcceptsAny);
}

TEST(CompileHulls, RefusesBadSources) {
  ExpectProblem(CompileHulls("section 0\nhull \"A\" xxxx 10 1 2 1 1 1 1 1 l - yes\n"), 2, "unit class");
  ExpectProblem(CompileHulls("layout l\n slot 1 1 1 1 laser\n"), 2, "module type");
  ExpectProblem(CompileHulls("layout l\n slot 230 1 1 1 any\n"), 2, "outside");
  std::string many = "layout l\n";
  for (int i = 0; i < 21; ++i) many += " slot 1 1 1 1 any\n";
  ExpectProblem(CompileHulls(many), 22, "at most 20");
  const std::string name50(50, 'n');
  ExpectProblem(CompileHulls("layout l\nsection 0\nhull \"" + name50 + "\" dest 10 1 2 1 1 1 1 1 l - yes\n"), 3,
                "1 to 49");
  ExpectProblem(CompileHulls("layout l\nsection 0\nhull \"A\" dest 10 1 2 1 1 1 1 1 l \"B\" yes\n"), 3, "next hull");
  ExpectProblem(CompileHulls("layout l\nsection 0\nhull \"A\" dest 10 5 2 1 1 1 1 1 l - yes\n"), 3, "limit");
  ExpectProblem(CompileHulls("hull \"A\" dest 10 1 2 1 1 1 1 1 l - yes\n"), 1, "outside a section");
  ExpectProblem(CompileHulls("section 0\nsection 0\n"), 2, "twice");
  ExpectProblem(CompileHulls("layout l\nsection 0\nhull \"A\" dest 10 1 2\n"), 3, "fields");
  ExpectProblem(CompileHulls("layout l\nsection 0\nhull \"A\" dest 256 1 2 1 1 1 1 1 l - yes\n"), 3, "size");
  ExpectProblem(CompileHulls("layout l\nsection 0\nhull \"A\" dest big 1 2 1 1 1 1 1 l - yes\n"), 3, "size");
}

const char* const kModuleSource = R"(
modules propulsion
module "Drive" 2 1 "Drive II" 1 2 3 4 5 14 3 7 mdrv1 @drv 20 12
module "Drive II" 2 2 - 1 2 3 4 5 18 4 8 mdrv2 - 30 18
modules weapon
module "Gun" 0 1 - 30 15 10 12 25 16 8 8 wcan1 bang heat 10 12 9 1 80 unlimited cannon
)";

TEST(CompileModules, TheGameReadsBackWhatTheSourceSays) {
  const CompiledFile f = CompileModules(kModuleSource);
  ASSERT_TRUE(f.problems.empty()) << f.problems[0].message;
  EXPECT_EQ(f.records, 3u);
  CGModuleDB db("C:\\none.dat");
  ASSERT_EQ(db.LoadModules(f.bytes), 1);
  ASSERT_EQ(db.GetCount(), 3);
  const ModuleRecord& drive = *db.GetRecord(0);
  EXPECT_STREQ(drive.name, "Drive");
  EXPECT_EQ(std::make_tuple(drive.guildMask, drive.type, drive.successor, drive.helpTopic, drive.buildPoints,
                            drive.techLevel, drive.powerUse, drive.mass),
            std::make_tuple(1 << 2, MODULE_PROPULSION, 1, 1005, 14, 1, 3, 7));
  EXPECT_EQ(std::vector<std::uint16_t>(drive.costs, drive.costs + 5), (std::vector<std::uint16_t>{1, 2, 3, 4, 5}));
  EXPECT_STREQ(drive.imageName, "mdrv1");
  EXPECT_STREQ(drive.soundName, "@drv");
  EXPECT_EQ(std::make_tuple(drive.DeepThrust(), drive.LocalThrust()), std::make_tuple(20, 12));
  EXPECT_EQ(db.GetRecord(1)->successor, kNoModule);
  EXPECT_STREQ(db.GetRecord(1)->soundName, "");
  const ModuleRecord& gun = *db.GetRecord(2);
  EXPECT_EQ(std::make_tuple(gun.guildMask, gun.AttackKind(), gun.Strength(), gun.MaxRange(), gun.EffectiveRange(),
                            gun.RateOfFire(), gun.HitPercent(), gun.MaxAmmo(), gun.Pattern()),
            std::make_tuple(1, ATTACK_HEAT, 10, 12 * kWeaponRangeScale, 9 * kWeaponRangeScale, 1, 80, kUnlimitedAmmo,
                            PATTERN_CANNON));
}

TEST(CompileModules, RefusesBadSources) {
  ExpectProblem(CompileModules("modules laser\n"), 1, "module type");
  ExpectProblem(CompileModules("module \"A\" 0 1 - 1 1 1 1 1 1 1 1 i - 5\n"), 1, "before");
  ExpectProblem(CompileModules("modules scout\nmodule \"A\" 0 1 - 1 1 1 1 1 1 1 1 i -\n"), 2, "fields");
  ExpectProblem(CompileModules("modules scout\nmodule \"" + std::string(30, 'a') + "\" 0 1 - 1 1 1 1 1 1 1 1 i - 5\n"),
                2, "1 to 29");
  ExpectProblem(CompileModules("modules scout\nmodule \"A\" 0 1 - 1 1 1 1 1 1 1 1 images - 5\n"), 2, "image");
  ExpectProblem(CompileModules("modules weapon\nmodule \"A\" 0 1 - 1 1 1 1 1 1 1 1 i - laser 1 2 1 1 50 5 beam\n"), 2,
                "attack");
  ExpectProblem(CompileModules("modules weapon\nmodule \"A\" 0 1 - 1 1 1 1 1 1 1 1 i - heat 1 700 1 1 50 5 beam\n"), 2,
                "1..630");
  ExpectProblem(CompileModules("modules weapon\nmodule \"A\" 0 1 - 1 1 1 1 1 1 1 1 i - heat 1 5 9 1 50 5 beam\n"), 2,
                "effective");
  ExpectProblem(CompileModules("modules computer\nmodule \"A\" 0 1 - 1 1 1 1 1 1 1 1 i - combat 1,2,3\n"), 2,
                "nine bonuses");
  ExpectProblem(CompileModules("modules defense\nmodule \"A\" 0 1 - 1 1 1 1 1 1 1 1 i - 5 1,1,1,1,1,1,1,1 1100\n"), 2,
                "flags");
  ExpectProblem(CompileModules("modules scout\nmodule \"A\" 0 1 \"B\" 1 1 1 1 1 1 1 1 i - 5\n"
                               "module \"B\" 1 1 - 1 1 1 1 1 1 1 1 i - 5\n"),
                2, "not another module of the guild");
  ExpectProblem(CompileModules("modules scout\nmodule \"A\" 0 1 - 1 1 1 1 1 1 1 1 i - 5\n"
                               "module \"A\" 0 1 - 1 1 1 1 1 1 1 1 i - 5\n"),
                3, "twice");
}

}  // namespace
