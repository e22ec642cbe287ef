// The design chamber's rules: the module list, its scroll, the refusals at
// saving and at loading a template file, the upgrade message, the hull
// chooser's offers and cells, and the read-out's measures.
#include <gtest/gtest.h>

#include <array>
#include <string>

#include "Game/rules/GHullDB.h"
#include "Game/rules/GModuleDB.h"
#include "Game/rules/GUnitTem.h"
#include "Game/views/flat/CVDesignRules.h"
#include "tests/Game/rules/design_fixture.h"

namespace {

using rules_test::DesignWorld;
using rules_test::RulesLinksScope;
using rules_test::Sandbox;

class DesignRulesTest : public ::testing::Test {
 protected:
  DesignRulesTest() { links.nextSerial = 1; }
  Sandbox box;
  RulesLinksScope links;
  DesignWorld world{box};
};

TEST_F(DesignRulesTest, ModuleListFiltersByTypeAndGuildAndCapsUnresearchedPercent) {
  world.moduleDB->GetRecord(4)->researchPoints = 9990;  // 99 % becomes 95 %
  world.moduleDB->GetRecord(2)->guildMask = 2;          // another guild's scout
  std::array<ModuleListEntry, kModuleListCapacity> list{};
  ASSERT_EQ(ListGuildModules(*world.moduleDB, 0, MODULE_WEAPON, list), 2);
  EXPECT_EQ(list[0].module, 0);
  EXPECT_EQ(list[0].percent, 100);
  EXPECT_EQ(list[1].module, 4);
  EXPECT_EQ(list[1].percent, kUnresearchedPercentCap);
  EXPECT_EQ(ListGuildModules(*world.moduleDB, 0, kAllModulesFilter, list), 5);
  EXPECT_EQ(ListGuildModules(*world.moduleDB, 0, MODULE_SCOUT, list), 0);
  EXPECT_EQ(ListGuildModules(*world.moduleDB, 1, MODULE_SCOUT, list), 1);
  // A list smaller than the modules of a filter takes only what fits.
  EXPECT_EQ(ListGuildModules(*world.moduleDB, 0, kAllModulesFilter, std::span(list).first(3)), 3);
  EXPECT_EQ(ListGuildModules(*world.moduleDB, 9, kAllModulesFilter, list), 0);
}

TEST(ModuleListScrollTest, StopsWithFiveVisibleBeepsAtZeroAndStepsOncePer100Ms) {
  ModuleListScroll scroll;
  EXPECT_EQ(scroll.Scroll(-1, 7, 1000), ModuleListScroll::Step::kAtEnd);
  EXPECT_EQ(scroll.Scroll(1, 7, 1000), ModuleListScroll::Step::kMoved);
  EXPECT_EQ(scroll.Scroll(1, 7, 1099), ModuleListScroll::Step::kTooSoon);
  EXPECT_EQ(scroll.Scroll(1, 7, 1100), ModuleListScroll::Step::kMoved);
  EXPECT_EQ(scroll.First(), 2);
  EXPECT_EQ(scroll.Scroll(1, 7, 1200), ModuleListScroll::Step::kAtEnd);
  EXPECT_EQ(scroll.First(), 2);
  // A clock that wrapped still counts the interval.
  ModuleListScroll wrapped;
  EXPECT_EQ(wrapped.Scroll(1, 9, 0xFFFFFFF0u), ModuleListScroll::Step::kMoved);
  EXPECT_EQ(wrapped.Scroll(1, 9, 0x10), ModuleListScroll::Step::kTooSoon);
  EXPECT_EQ(wrapped.Scroll(1, 9, 0x60), ModuleListScroll::Step::kMoved);
  // Fewer than five entries never scroll.
  ModuleListScroll shortList;
  EXPECT_EQ(shortList.Scroll(1, 3, 0), ModuleListScroll::Step::kAtEnd);
}

TEST_F(DesignRulesTest, SaveRulesComeInTheirOrderAndTheMassLimitItselfSaves) {
  CGUnitTemplate design(0, -1);
  EXPECT_STREQ(DesignSaveRefusal(design), "CANTSAVE");
  design.SetHull(world.Frame());
  design.mass = world.Frame()->massLimit + 1;
  EXPECT_STREQ(DesignSaveRefusal(design), "CANTSAVE");  // empty comes first, however heavy
  design.FitModule(3, 3);
  design.mass = world.Frame()->massLimit + 1;
  EXPECT_STREQ(DesignSaveRefusal(design), "BIG_MASS");
  design.mass = world.Frame()->massLimit;
  EXPECT_EQ(DesignSaveRefusal(design), nullptr);
}

TEST_F(DesignRulesTest, TemplateFileVerdicts) {
  CGUnitTemplate loaded(9, -1);
  EXPECT_EQ(JudgeTemplateFile(0, loaded, 9), TemplateFileVerdict::kDamaged);
  EXPECT_EQ(JudgeTemplateFile(1, loaded, 9), TemplateFileVerdict::kHullNotResearched);  // no hull at all
  loaded.SetHull(world.Frame());
  world.Frame()->researchPoints = kResearched;
  EXPECT_EQ(JudgeTemplateFile(1, loaded, 9), TemplateFileVerdict::kAccept);
  EXPECT_EQ(JudgeTemplateFile(1, loaded, 14), TemplateFileVerdict::kAccept);  // same guild, other chapter
  EXPECT_EQ(JudgeTemplateFile(1, loaded, 17), TemplateFileVerdict::kOtherGuild);
  world.Frame()->researchPoints = kResearched - 1;
  EXPECT_EQ(JudgeTemplateFile(1, loaded, 9), TemplateFileVerdict::kHullNotResearched);
  world.Frame()->researchPoints = kResearched;
  loaded.FitModule(1, 4);  // weapon II is not researched
  EXPECT_EQ(JudgeTemplateFile(1, loaded, 9), TemplateFileVerdict::kModulesRemoved);
  EXPECT_EQ(loaded.GetModuleId(1), kNoModuleId);
  EXPECT_STREQ(TemplateFileVerdictText(TemplateFileVerdict::kDamaged), "BADTPLFL");
  EXPECT_EQ(TemplateFileVerdictText(TemplateFileVerdict::kAccept), nullptr);
}

TEST(AutoUpgradeMessageTest, HullModulesBothOrNothing) {
  const char* hull = "The hull was upgraded.";
  const char* mods = "%n1 modules were upgraded.";
  EXPECT_EQ(AutoUpgradeMessage(false, 0, hull, mods), "");
  EXPECT_EQ(AutoUpgradeMessage(true, 0, hull, mods), hull);
  EXPECT_EQ(AutoUpgradeMessage(false, 3, hull, mods), "3 modules were upgraded.");
  EXPECT_EQ(AutoUpgradeMessage(true, 2, hull, mods), "The hull was upgraded.       2 modules were upgraded.");
}

TEST(HullChooserCellsTest, CellsAndTheGapsBetweenThem) {
  EXPECT_EQ(ClassCellAt(39, 128), 0);
  EXPECT_EQ(ClassCellAt(39 + 84, 128 + 139), 0);
  EXPECT_EQ(ClassCellAt(39 + 85, 128), -1);   // between columns
  EXPECT_EQ(ClassCellAt(39, 128 + 140), -1);  // between rows
  EXPECT_EQ(ClassCellAt(39, 278), 1);
  EXPECT_EQ(ClassCellAt(39 + 5 * 96, 128), 10);
  EXPECT_EQ(ClassCellAt(39 + 5 * 96, 278), -1);  // the twelfth place holds no class
  EXPECT_EQ(HullCellAt(39 + 96, 278, 12), 7);
  EXPECT_EQ(HullCellAt(39 + 96, 278, 7), -1);  // only as many cells as hulls
  EXPECT_EQ(HullCellAt(10, 10, 12), -1);
}

TEST_F(DesignRulesTest, HullChooserOffersTheChainWhileItHasResearch) {
  CGHull* frame = world.Frame();
  CGHull* mk2 = world.hullDB->GetHull(0, 1);
  frame->researchPoints = kResearched;
  mk2->researchPoints = 99;  // under 1 %
  std::array<HullOffer, kChooserHullCells> offers{};
  ASSERT_EQ(ListClassHulls(*world.hullDB, 0, frame->unitClass, offers), 1);
  mk2->researchPoints = 4000;
  ASSERT_EQ(ListClassHulls(*world.hullDB, 0, frame->unitClass, offers), 2);
  EXPECT_EQ(offers[0].percent, 100);
  EXPECT_EQ(offers[1].hull, mk2);
  EXPECT_EQ(offers[1].percent, 40);
  std::array<CGHull*, kChooserHullCells> listed{};
  EXPECT_EQ(ListResearchedClassHulls(*world.hullDB, 0, frame->unitClass, listed), 1);
  EXPECT_EQ(ListClassHulls(*world.hullDB, 0, (frame->unitClass + 1) % 11, offers), 0);
  // A chain that loops back on itself ends where the page is full.
  mk2->successor = 0;
  EXPECT_EQ(ListClassHulls(*world.hullDB, 0, frame->unitClass, offers), kChooserHullCells);
}

TEST(StatBarTest, ScaleLengthAndTick) {
  StatBarMeasure m = MeasureStatBar(50, 200, 100);
  EXPECT_EQ(m.scale, 200u);
  EXPECT_EQ(m.length, 50);
  EXPECT_EQ(m.tick, 25);
  m = MeasureStatBar(50, 200, 400);  // above the maximum: full bar, the value is the scale
  EXPECT_EQ(m.scale, 400u);
  EXPECT_EQ(m.length, 100);
  m = MeasureStatBar(0, 0, 0);
  EXPECT_EQ(m.scale, 0u);
  EXPECT_EQ(m.length, 0);
}

TEST(SlotLabelsTest, AnyAloneOrEachTypeInBitOrder) {
  std::array<const char*, 12> labels{};
  std::array<int, 12> types{};
  ASSERT_EQ(SlotTypeLabels(kSlotAcceptsAny, labels, types), 1);
  EXPECT_STREQ(labels[0], "ANY");
  ASSERT_EQ(SlotTypeLabels((1u << 10) | (1u << 1) | 1u, labels, types), 3);
  EXPECT_STREQ(labels[0], "CON");
  EXPECT_STREQ(labels[1], "CMP");
  EXPECT_STREQ(labels[2], "WPN");
  EXPECT_EQ(types[2], 10);
  EXPECT_EQ(SlotTypeLabels(0, labels, types), 0);
}

}  // namespace
