#include "Game/rules/GGameVar.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "Game/base/GKeyValueReader.h"
#include "Game/base/GStartupMessage.h"
#include "platform/core/dospath.h"
#include "tests/Game/base/sandbox.h"

namespace {

using model_test::Sandbox;

class GameVarTest : public ::testing::Test {
 protected:
  void SetUp() override { TakeStartupMessages(); }  // whatever the program's own start left
  void WriteFile(const std::string& text) { box.Write("c/gamevar.dat", text); }
  Sandbox box;
};

TEST_F(GameVarTest, DefaultsStandWhereTheFileIsSilent) {
  WriteFile("CREDITS_PER_ASTEROID=75\n");
  CGameVariables v;
  EXPECT_EQ(std::make_tuple(v.creditsPerAsteroid, v.asteroidCollisionRange, v.costStorageFacility),
            std::make_tuple(75u, 9000u, 255));
  EXPECT_EQ(std::make_tuple(v.effectPowerFacility, v.facilityDestruction[4], v.leechAmount),
            std::make_tuple(100u, 100, 0));
  ATVTechEntry e{};
  v.GetATVTechEntry(4, 3, 3, &e);
  EXPECT_EQ(e, (ATVTechEntry{0, 0, 0, 0, '.', '.'}));
  // Every key is optional: one key is a whole file, with nothing to tell.
  EXPECT_TRUE(TakeStartupMessages().empty());
}

TEST_F(GameVarTest, EveryKindOfValue) {
  WriteFile(
      "COMBAT_ATV_COSTS=1 -2 3 4 5\n"
      "POWER_ATV_COSTS=7 8 9\n"
      "SEEDBANK_ATV_BUILD_PTS=300\n"
      "FACILITY_DESTRUCTION=10 20 30 40 300\n"
      "COST_ATV_CONSTRUCTION_FACILITY=12\n"
      "CHAPTER_CREDITS_POOL=5000\n"
      "POWER_BASE_SAPHIRE=6\n"
      "LEECH_AMOUNT=3\n"
      "ATV_TECH_LEVELS=4 3 3 1 2 3 260 A B\n"
      "ATV_TECH_LEVELS=5 0 0 1 1 1 1 X X\n"
      "ATV_TECH_LEVELS=-1 0 0 1 1 1 1 X X\n"
      "ATV_TECH_LEVELS=0 0 0 9 9\n"
      "UNKNOWN_KEY=12\n"
      "EFFECT_MINING_FACILITY=lots\n");
  CGameVariables v;
  std::int16_t costs[5] = {};
  v.GetATVCosts(0, costs);
  EXPECT_EQ(std::make_tuple(costs[1], costs[4]), std::make_tuple(-2, 5));
  v.GetATVCosts(2, costs);  // three numbers: the last two keep their defaults
  EXPECT_EQ(std::make_tuple(costs[0], costs[2], costs[3]), std::make_tuple(7, 9, 0));
  std::int16_t untouched[5] = {9, 9, 9, 9, 9};
  v.GetATVCosts(4, untouched);
  EXPECT_EQ(untouched[0], 9);

  EXPECT_EQ(v.GetATVBuildPoints(3), 300);
  EXPECT_EQ(v.GetATVBuildPoints(4), 0);
  EXPECT_EQ(v.facilityDestruction[3], 40);
  EXPECT_EQ(v.facilityDestruction[4], 300 & 0xFF);
  EXPECT_EQ(v.costATVConstructionFacility, 12);
  EXPECT_EQ(v.GetChapterStartingResource(4), 5000u);
  EXPECT_EQ(v.GetChapterStartingResource(5), 0u);
  EXPECT_EQ(std::make_tuple(v.powerBases[2], v.leechAmount), std::make_tuple(6, 3));
  EXPECT_EQ(v.effectMiningFacility, 0u);  // not a number: what atoi gives

  ATVTechEntry e{};
  v.GetATVTechEntry(4, 3, 3, &e);
  EXPECT_EQ(e, (ATVTechEntry{1, 2, 3, 260 & 0xFF, 'A', 'B'}));
  v.GetATVTechEntry(0, 0, 0, &e);  // the short and out-of-range lines stored nothing
  EXPECT_EQ(e, (ATVTechEntry{0, 0, 0, 0, '.', '.'}));
  ATVTechEntry keep{7, 7, 7, 7, 7, 7};
  v.GetATVTechEntry(0, 0, 4, &keep);
  v.GetATVTechEntry(5, 0, 0, &keep);
  EXPECT_EQ(keep[0], 7);
}

TEST_F(GameVarTest, LineRulesOfTheFormat) {
  WriteFile(
      ";COMBAT_ATV_COSTS=9 9 9 9 9\n"
      "; costs in \xA3,\tper ATV\n"  // a tab and a Windows-1252 sign are text
      "COST_MINING_FACILITY=3\r\n"   // CR LF reads as a line end in text mode
      "\n"
      "COST_POWER_FACILITY=4\n"  // after a blank line: the key holds the line end
      "LEECH_AMOUNT=" +
      std::string(kMaxValueChars, '0') + "\n" + std::string(kMaxKeyChars, 'K') +
      "=1\n"  // the longest value and key the format holds
      "CREDITS_PER_ASTEROID=66\n"
      "; a comment at the very end without a line end");
  CGameVariables v;
  std::int16_t costs[5] = {};
  v.GetATVCosts(0, costs);
  EXPECT_EQ(costs[0], 0);
  EXPECT_EQ(std::make_tuple(v.costMiningFacility, v.costPowerFacility, v.leechAmount, v.creditsPerAsteroid),
            std::make_tuple(3, 255, 0, 66u));
  EXPECT_TRUE(TakeStartupMessages().empty());
}

TEST_F(GameVarTest, ALastLineWithoutLineEndIsNotUsed) {
  WriteFile("LEECH_AMOUNT=4\nCREDITS_PER_ASTEROID=75");
  CGameVariables v;
  EXPECT_EQ(std::make_tuple(v.leechAmount, v.creditsPerAsteroid), std::make_tuple(4, 50u));
  EXPECT_TRUE(TakeStartupMessages().empty());  // a file cut there reads as the shorter file it is
}

TEST_F(GameVarTest, TheParentDirectoryIsTriedThenThePlayerIsTold) {
  box.Write("c/gamevar.dat", "LEECH_AMOUNT=9\n");
  box.Write("c/game/readme.txt", "");
  ASSERT_TRUE(plat::SetCurrentDosDirectory("C:\\game"));
  CGameVariables fromParent;
  EXPECT_EQ(fromParent.leechAmount, 9);
  EXPECT_TRUE(TakeStartupMessages().empty());

  ASSERT_TRUE(std::filesystem::remove(box.Host("c/gamevar.dat")));
  CGameVariables missing;
  EXPECT_EQ(missing.creditsPerAsteroid, 50u);
  EXPECT_EQ(TakeStartupMessages(), std::vector<std::string>{"gamevar.dat file not found"});
}

// Only what the format cannot hold is damage; then not even the good lines
// before it are taken.
TEST_F(GameVarTest, OnlyWhatTheFormatCannotHoldIsToldAsDamaged) {
  // In text mode a Ctrl-Z ends the file: what follows it is not read.
  for (const std::string& text : {std::string(), std::string("NOT_A_KEY=4\n"), std::string("\n\n"),
                                  std::string("LEECH_AMOUNT=4\n\x1a\0\x01", 18)}) {
    WriteFile(text);
    CGameVariables v;
    EXPECT_EQ(v.creditsPerAsteroid, 50u);
    EXPECT_TRUE(TakeStartupMessages().empty()) << text.size();
  }
  const std::string good = "LEECH_AMOUNT=4\n";
  for (const std::string& damage : {
           std::string("MZ\x90\0\x03\0\0\0\x04\0", 10),  // a program, not a rules file
           std::string("CREDITS_PER_ASTEROID=7\x01"
                       "5\n"),
           std::string("; a comment with a \0 in it\n", 27),
           "CREDITS_PER_ASTEROID=" + std::string(kMaxValueChars + 1, '1') + "\n",
           std::string(kMaxKeyChars + 1, 'K') + "=1\n",
           std::string(300, 'A'),  // past the key's length even without its line end
       }) {
    WriteFile(good + damage);
    CGameVariables v;
    EXPECT_EQ(std::make_tuple(v.leechAmount, v.creditsPerAsteroid), std::make_tuple(0, 50u)) << damage;
    EXPECT_EQ(TakeStartupMessages(), std::vector<std::string>{kGameVarDamaged}) << damage;
  }
}

}  // namespace
