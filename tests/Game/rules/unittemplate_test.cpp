#include "Game/rules/GUnitTem.h"

#include <gtest/gtest.h>

#include <tuple>

#include "tests/Game/rules/design_fixture.h"

namespace {

using rules_test::DesignWorld;
using rules_test::RulesLinksScope;
using rules_test::Sandbox;

class DesignTest : public ::testing::Test {
 protected:
  DesignTest() {
    links.nextSerial = 5;
    links.turn = 17;
  }
  Sandbox box;
  RulesLinksScope links;
  DesignWorld world{box};
};

TEST_F(DesignTest, NewDesignIsEmpty) {
  links.localChapter = 9;
  CGUnitTemplate mine(9, -1);
  EXPECT_EQ(std::make_tuple(mine.templateId, mine.visible, mine.creationTurn), std::make_tuple((9u << 26) | 5, 1u, 17));
  EXPECT_EQ(mine.GetName(), nullptr);
  EXPECT_EQ(mine.hull, nullptr);
  for (int s = 0; s < kTemplateSlots; ++s)
    EXPECT_EQ(std::make_tuple(mine.slots[s].moduleId, mine.slots[s].fitted, mine.GetModuleId(s)),
              std::make_tuple(kNoModuleId, 0, kNoModuleId))
        << s;
  EXPECT_EQ(mine.GetModuleId(20), kNoModuleId);
  CGUnitTemplate theirs(3, 0x0C000001);
  EXPECT_EQ(std::make_tuple(theirs.templateId, theirs.visible), std::make_tuple(0x0C000001u, 0u));
}

TEST_F(DesignTest, MisfitsCostMoreEachTime) {
  CGUnitTemplate fits(0, 1);
  fits.SetHull(world.Frame());
  fits.FitModule(1, 0);
  fits.FitModule(2, 0);
  CGUnitTemplate oneMisfit(0, 2);
  oneMisfit.SetHull(world.Frame());
  oneMisfit.FitModule(1, 0);
  oneMisfit.FitModule(3, 0);  // a propulsion slot
  CGUnitTemplate twoMisfits(0, 3);
  twoMisfits.SetHull(world.Frame());
  twoMisfits.FitModule(3, 0);
  twoMisfits.FitModule(0, 0);  // the computer slot
  EXPECT_EQ(fits.costs[0], 100 + 30 + 30);
  const int first = oneMisfit.costs[0] - fits.costs[0];
  const int second = twoMisfits.costs[0] - oneMisfit.costs[0];
  EXPECT_EQ(std::make_tuple(first, second), std::make_tuple(5, 4 * first));
  EXPECT_EQ(twoMisfits.buildPoints - oneMisfit.buildPoints, 4 * (oneMisfit.buildPoints - fits.buildPoints));
  EXPECT_EQ(std::make_tuple(fits.costs[4], fits.moduleCount, fits.unitClass), std::make_tuple(80, 2, 8));
}

TEST_F(DesignTest, StatisticsFromModulesTraitsAndTheComputer) {
  CGUnitTemplate t(0, 1);
  t.SetHull(world.Frame());
  t.FitModule(1, 0);  // weapon
  t.FitModule(4, 2);  // scout in the "any" slot
  t.FitModule(3, 3);  // drive
  EXPECT_EQ(std::make_tuple(t.survey, t.attack, t.totalAmmo, t.computerType, t.mass),
            std::make_tuple(10, 10, 40, kNotAComputer, 200u + 10 + 10 + 10));
  EXPECT_EQ(std::make_tuple(t.GetLocalSpaceSpeed(), t.GetDeepSpaceSpeed()),
            std::make_tuple(12u * 5000 / 230, 20u * 5000 / 230));

  EXPECT_EQ(t.FitModule(0, 1), 1);  // the computer: survey byte 10 raises survey by 20 percent
  EXPECT_EQ(std::make_tuple(t.computerType, t.survey), std::make_tuple(2, 12));
  EXPECT_EQ(t.RemoveModule(0), kNotAComputer);
  EXPECT_EQ(t.survey, 10);

  links.traits[0] = 50;   // corrosive attacks
  links.traits[16] = 10;  // costs
  t.Recompute();
  EXPECT_EQ(std::make_tuple(t.attack, t.GetWeaponStrength(1), t.GetWeaponStrength(3), t.costs[4]),
            std::make_tuple(15, 15, 0, (40 + 40 + 40) * 9 / 10));
  EXPECT_EQ(std::make_tuple(t.GetWeaponMaxRange(1), t.GetWeaponEffectiveRange(1)), std::make_tuple(2080, 1040));
  EXPECT_EQ(std::make_tuple(t.FindFreeSlotForModuleType(10), t.FindFreeSlotForModuleType(5)), std::make_tuple(2, -1));
  EXPECT_EQ(t.FitModule(20, 0), 0);

  t.slots[2] = {77, 1};  // a module the database does not know adds nothing
  t.Recompute();
  EXPECT_EQ(t.moduleCount, 3);
}

TEST_F(DesignTest, ClassAbbreviations) {
  EXPECT_EQ(std::make_tuple(GetUnitClassFromAbbreviation("crus"), GetUnitClassFromAbbreviation("zzzz"),
                            GetUnitClassFromAbbreviation(nullptr)),
            std::make_tuple(9, 0, 0));
  EXPECT_STREQ(GetUnitClassAbbreviation(12), "genp");
}

TEST_F(DesignTest, UpgradesFollowResearchedSuccessors) {
  CGUnitTemplate t(0, 1);
  t.SetHull(world.Frame());
  t.FitModule(1, 0);
  EXPECT_EQ(t.CanAutoUpgrade(), 0);
  EXPECT_EQ(t.RemoveUnresearchedModules(), 1);
  world.moduleDB->GetRecord(4)->researchPoints = 10000;
  EXPECT_EQ(t.CanAutoUpgrade(), 1);
  std::uint32_t hullChanged = 7;
  EXPECT_EQ(t.AutoUpgrade(&hullChanged), 1);
  EXPECT_EQ(hullChanged, 0u);
  EXPECT_EQ(t.GetModuleId(1), 4);
  world.hullDB->GetHull(0, 1)->researchPoints = 10000;
  EXPECT_EQ(t.CanAutoUpgrade(), 1);
  EXPECT_EQ(t.AutoUpgrade(&hullChanged), 0);
  EXPECT_EQ(hullChanged, 1u);
  EXPECT_STREQ(t.hull->name, "Frame Mk II");

  world.moduleDB->GetRecord(4)->researchPoints = 0;
  EXPECT_EQ(t.RemoveUnresearchedModules(), 0);
  EXPECT_EQ(t.GetModuleId(1), kNoModuleId);
  EXPECT_EQ(t.moduleCount, 0);
}

TEST_F(DesignTest, CopiesAndComparisons) {
  CGUnitTemplate a(2, 1);
  a.SetName(std::string(150, 'n').c_str());
  a.SetHull(world.Frame());
  a.FitModule(1, 0);
  a.slots[2] = {0, 0};
  CGUnitTemplate copy(a, 4);
  EXPECT_EQ(std::make_tuple(copy.chapter, copy.templateId, copy.slots[2].moduleId),
            std::make_tuple(4, (4u << 26) | 5, kNoModuleId));
  EXPECT_EQ(copy.moduleCount, 0);  // statistics cleared
  EXPECT_TRUE(copy.IsSameDesign(a) == false);
  CGUnitTemplate b(2, 9);
  b.CopyDesign(a, -1);
  EXPECT_EQ(b.chapter, 2);
  EXPECT_EQ(std::string(b.GetName()).size(), 99u);
  EXPECT_TRUE(b.IsSameDesign(a));
  EXPECT_EQ(b.attack, a.attack);
  b.CopyDesign(b, 3);  // onto itself: only recomputed
  EXPECT_EQ(b.chapter, 2);
  EXPECT_EQ(b.Release(), 0);  // never below nothing
}

TEST_F(DesignTest, TemplateFileRoundTrip) {
  CGUnitTemplate t(5, 0x14000007);
  t.SetName("Lancer");
  t.SetHull(world.Frame());
  t.FitModule(0, 1);
  t.FitModule(1, 0);
  t.FitModule(3, 3);
  t.FitModule(4, 5);
  t.references = 3;
  t.trailingWords[1] = 0x1111;
  t.trailingLongs[3] = 0xDEADBEEF;
  t.buildPoints = 0x00012345;
  const std::string bytes = box.SavedOf(t);
  ASSERT_EQ(bytes.size(),
            1 + 1 + 1 + 4 + 2 + 2 + 1 + 4 + 20 + 6 + 1 + 6 + 4 + 8 + 4 + 8 + 16 + 4 + 10 + 16 + 60 + 1 + 1 + 6 + 1u);
  EXPECT_EQ(bytes.substr(0, 3), std::string("\x02\x05\x08", 3));  // version, chapter, class
  EXPECT_EQ(bytes.substr(7, 2), std::string("\x00\x00", 2));      // hull index 0, section 0
  EXPECT_EQ(bytes.substr(12, 4), std::string("\x45\x23\x01\x00", 4));
  EXPECT_EQ(static_cast<unsigned char>(bytes.back()), 0xDC);
  EXPECT_EQ(bytes.substr(bytes.size() - 9, 8), std::string("\x01\x06Lancer", 8));

  CGUnitTemplate back(0, 0);
  ASSERT_EQ(box.LoadedInto(back, bytes), 1);
  EXPECT_EQ(back.hull, world.Frame());
  EXPECT_STREQ(back.GetName(), "Lancer");
  EXPECT_EQ(back.trailingLongs[3], 0xDEADBEEFu);
  EXPECT_EQ(box.SavedOf(back, "again.tpl"), bytes);
}

TEST_F(DesignTest, OlderAndBrokenTemplateFiles) {
  CGUnitTemplate t(1, 0x04000002);
  t.SetHull(world.Frame());
  t.FitModule(1, 0);
  const std::string v2 = box.SavedOf(t);
  // Version 1: one more u16 after each of the five costs (at offset 93 with a hull).
  const std::size_t costsAt = 93;
  std::string v1 = v2;
  v1[0] = 1;
  for (int k = 4; k >= 0; --k) v1.insert(costsAt + 2 * k + 2, std::string("\x99\x99", 2));
  CGUnitTemplate old(0, 0);
  ASSERT_EQ(box.LoadedInto(old, v1), 1);
  EXPECT_EQ(std::make_tuple(old.costs[0], old.costs[4], old.defences[0], old.slots[1].moduleId),
            std::make_tuple(t.costs[0], t.costs[4], t.defences[0], 0));

  CGUnitTemplate x(0, 0);
  auto with = [&](std::size_t at, char c) {
    std::string b = v2;
    b[at] = c;
    return b;
  };
  EXPECT_EQ(box.LoadedInto(x, with(v2.size() - 1, '\xDD')), 0);
  EXPECT_EQ(box.LoadedInto(x, with(0, 3)), 0);
  EXPECT_EQ(box.LoadedInto(x, with(1, 40)), 0);             // no such chapter
  EXPECT_EQ(box.LoadedInto(x, with(v2.size() - 2, 2)), 0);  // a name flag that is neither 0 nor 1
  EXPECT_EQ(box.LoadedInto(x, v2.substr(0, v2.size() - 2) + std::string("\x01\xF0", 2) + "abc"),
            0);  // name past the end
  EXPECT_EQ(box.LoadedInto(x, v2.substr(0, 50)), 0);
  ASSERT_EQ(box.LoadedInto(x, with(7, 9)), 1);  // a hull the database does not know
  EXPECT_EQ(x.hull, nullptr);

  CGUnitTemplate empty(0, 0);
  empty.SetName("");
  const std::string noName = box.SavedOf(empty);
  EXPECT_EQ(noName.substr(noName.size() - 3), std::string("\x01\x00\xDC", 3));
  EXPECT_EQ(static_cast<unsigned char>(noName[7]), 0xFF);  // no hull: a single 255
  CGUnitTemplate e2(0, 0);
  ASSERT_EQ(box.LoadedInto(e2, noName), 1);
  ASSERT_NE(e2.GetName(), nullptr);
  EXPECT_STREQ(e2.GetName(), "");
}

TEST_F(DesignTest, FileDescription) {
  links.guildNames = {{2, "Blue Talon Corps"}, {3, "?"}};
  CGUnitTemplate t(2 * 8 + 1, 1);
  t.SetHull(world.Frame());
  box.SavedOf(t, "LANCER.TPL");
  char out[64];
  EXPECT_EQ(GetTemplateFileDescription("C:\\", "LANCER", "TPL", out), 1);
  EXPECT_STREQ(out, " - Blue Talon Corps ");  // no text index: the class text is empty
  EXPECT_EQ(GetTemplateFileDescription("C:\\", "NONE", "TPL", out), 0);
  box.Write("SHORT.TPL", std::string("\x02\x11", 2));
  EXPECT_EQ(GetTemplateFileDescription("C:\\", "SHORT", "TPL", out), 0);
  char tiny[5];
  EXPECT_EQ(GetTemplateFileDescription("C:\\", "LANCER", "TPL", tiny), 0);
}

}  // namespace
