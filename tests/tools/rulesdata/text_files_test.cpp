#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "Game/rules/GGameVar.h"
#include "tools/rulesdata/build.h"
#include "tools/rulesdata/text_files.h"

namespace {

using rulesdata::CompiledText;

std::string Block(const char* hit, const char* life) {
  return std::string("BATTLEPLAN_WHOTOFIREAT=0\nBATTLEPLAN_TARGET_CLOSEST=1\nBATTLEPLAN_ONLY_PRIMARY=0\n") +
         "BATTLEPLAN_RANGE=2\nBATTLEPLAN_HIT_CHANCE=" + hit + "\nBATTLEPLAN_RETREAT_LIFE=" + life +
         "\nBATTLEPLAN_RETREAT_HULL=80\nBATTLEPLAN_RETREATNOWEPAONS=1\n";
}

TEST(CompileDefBP, ElevenBlocksInTheirWritingWidths) {
  std::string source = "; plans\n\n";
  for (int c = 0; c < 11; ++c) source += "\n" + Block("5", "0");
  const CompiledText t = rulesdata::CompileDefBP(source);
  ASSERT_TRUE(t.problems.empty()) << t.problems[0].message;
  EXPECT_EQ(t.records, 11u);
  EXPECT_EQ(t.text.rfind("BATTLEPLAN_WHOTOFIREAT=0\r\n", 0), 0u);  // written by the game's writer
  EXPECT_NE(t.text.find("BATTLEPLAN_HIT_CHANCE=05\r\nBATTLEPLAN_RETREAT_LIFE=00\r\n"), std::string::npos);
  EXPECT_EQ(t.text.find("\r\n\r\n"), std::string::npos);
  EXPECT_EQ(t.text.substr(t.text.size() - 2), "\r\n");
}

TEST(CompileDefBP, RefusesWhatTheGameCouldNotReadOrWriteBack) {
  std::string twelve;
  for (int c = 0; c < 12; ++c) twelve += Block("10", "80");
  EXPECT_FALSE(rulesdata::CompileDefBP(twelve).problems.empty());
  std::string ten;
  for (int c = 0; c < 10; ++c) ten += Block("10", "80");
  EXPECT_FALSE(rulesdata::CompileDefBP(ten).problems.empty());
  std::string wide = Block("100", "80");
  for (int c = 1; c < 11; ++c) wide += Block("10", "80");
  const CompiledText t = rulesdata::CompileDefBP(wide);
  ASSERT_FALSE(t.problems.empty());
  EXPECT_EQ(t.problems[0].line, 5);
  EXPECT_TRUE(t.text.empty());
  std::string swapped = "BATTLEPLAN_TARGET_CLOSEST=1\n";
  EXPECT_EQ(rulesdata::CompileDefBP(swapped).problems[0].line, 1);
}

TEST(CompileGameVar, KnownKeysOnCrLfLines) {
  const std::string source =
      "; start\n\nCHAPTER_METALS = 3000 \n  LEECH_AMOUNT=5\nATV_TECH_LEVELS=4 3 3 1 2 3 4 a b\nPOWER_ATV_COSTS=1 2 3";
  const CompiledText t = rulesdata::CompileGameVar(source);
  ASSERT_TRUE(t.problems.empty());
  // The game reads the compiled file as it reads the source's entries.
  CGameVariables expected{std::string_view()};
  expected.chapterStartingResources[0] = 3000;
  expected.leechAmount = 5;
  expected.atvTechLevels[4][3][3] = {1, 2, 3, 4, 'a', 'b'};
  expected.atvCosts[2][0] = 1;
  expected.atvCosts[2][1] = 2;
  expected.atvCosts[2][2] = 3;
  EXPECT_EQ(GameVariablesText(CGameVariables(t.text)), GameVariablesText(expected));
  EXPECT_EQ(t.text.find("\r\n\r\n"), std::string::npos);
  EXPECT_EQ(rulesdata::CompileGameVar("CHAPTER_METAL=3\n").problems[0].line, 1);
  EXPECT_FALSE(rulesdata::CompileGameVar("CHAPTER_METALS=\n").problems.empty());
  EXPECT_FALSE(rulesdata::CompileGameVar("no equals sign\n").problems.empty());
}

TEST(CompileAstNames, EnoughDistinctNames) {
  std::string names = "# names\n";
  for (int i = 0; i < 151; ++i) names += "Rock " + std::to_string(i) + "\n";
  const CompiledText t = rulesdata::CompileAstNames(names);
  ASSERT_TRUE(t.problems.empty());
  EXPECT_EQ(t.records, 151u);
  EXPECT_EQ(t.text.rfind("Rock 0\r\nRock 1\r\n", 0), 0u);
  EXPECT_FALSE(rulesdata::CompileAstNames("Rock\n").problems.empty());
  EXPECT_EQ(rulesdata::CompileAstNames(names + "Rock 3\n").problems[0].line, 153);
  EXPECT_EQ(rulesdata::CompileAstNames(names + "A|B\n").problems[0].line, 153);
  EXPECT_EQ(rulesdata::CompileAstNames(names + std::string(252, 'x') + "\n").problems[0].line, 153);
}

// The project's own sources build whole; a broken source writes nothing.
TEST(BuildRulesData, ProjectSources) {
  const std::filesystem::path repo =
      std::filesystem::path(QUEN_TEST_DATA_DIR).parent_path().parent_path().parent_path().parent_path();
  const std::filesystem::path out = std::filesystem::temp_directory_path() / "quenrulesdata-test";
  std::filesystem::remove_all(out);
  const rulesdata::BuildReport report = rulesdata::BuildRulesData(repo / "data" / "rules", out);
  EXPECT_TRUE(report.problems.empty()) << report.problems[0];
  EXPECT_EQ(report.summary.size(), 5u);
  for (const char* name : {"hulls.dat", "modules.dat", "defBP.dat", "gamevar.dat", "astnames.dat"}) {
    EXPECT_GT(std::filesystem::file_size(out / name), 0u) << name;
  }

  const std::filesystem::path broken = out / "broken";
  std::filesystem::create_directories(broken);
  for (const char* name : {"hulls.txt", "modules.txt", "defBP.txt", "gamevar.txt", "astnames.txt"}) {
    std::filesystem::copy_file(repo / "data" / "rules" / name, broken / name);
  }
  std::ofstream(broken / "gamevar.txt", std::ios::app) << "NOT_A_VARIABLE=1\n";
  const std::filesystem::path out2 = out / "out2";
  const rulesdata::BuildReport failed = rulesdata::BuildRulesData(broken, out2);
  ASSERT_EQ(failed.problems.size(), 1u);
  EXPECT_NE(failed.problems[0].find("gamevar.txt:"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(out2));
  std::filesystem::remove_all(out);
}

}  // namespace
