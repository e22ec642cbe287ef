#include "Game/rules/GDefBP.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "tests/Game/rules/rules_fixture.h"

namespace {

using rules_test::RulesLinksScope;
using rules_test::Sandbox;
using rules_test::Word;

std::string Block(int who, int closest, int primary, int range, const char* hit, const char* life, const char* hull,
                  int noWeapons, const char* eol = "\r\n") {
  std::string s;
  s += "BATTLEPLAN_WHOTOFIREAT=" + std::to_string(who) + eol;
  s += "BATTLEPLAN_TARGET_CLOSEST=" + std::to_string(closest) + eol;
  s += "BATTLEPLAN_ONLY_PRIMARY=" + std::to_string(primary) + eol;
  s += "BATTLEPLAN_RANGE=" + std::to_string(range) + eol;
  s += std::string("BATTLEPLAN_HIT_CHANCE=") + hit + eol;
  s += std::string("BATTLEPLAN_RETREAT_LIFE=") + life + eol;
  s += std::string("BATTLEPLAN_RETREAT_HULL=") + hull + eol;
  s += "BATTLEPLAN_RETREATNOWEPAONS=" + std::to_string(noWeapons) + eol;
  return s;
}

TargetingPart Targeting(int c) {
  TargetingPart t;
  std::copy_n(GetDefaultTargetingPlan(c), 5, t.begin());
  return t;
}
RetreatPart Retreat(int c) {
  RetreatPart r;
  std::copy_n(GetDefaultRetreatPlan(c), 3, r.begin());
  return r;
}

// Every test starts from the built-in plans and leaves them so.
class DefBPTest : public ::testing::Test {
 protected:
  DefBPTest() { Reset(); }
  ~DefBPTest() override { Reset(); }
  static void Reset() {
    for (int c = 0; c < kUnitClassCount; ++c) {
      SetDefaultTargetingPlan(c, {0, 1, 0, 2, 10});
      SetDefaultRetreatPlan(c, c == 1 || c == 2 ? RetreatPart{0, 0, 0} : RetreatPart{80, 80, 0});
    }
  }
  Sandbox box;
  RulesLinksScope links;
};

TEST_F(DefBPTest, BoundsOfTheTables) {
  EXPECT_EQ(GetDefaultRetreatPlan(11), nullptr);
  EXPECT_EQ(GetDefaultTargetingPlan(-1), nullptr);
  SetDefaultRetreatPlan(11, {1, 2, 3});  // ignored
  EXPECT_EQ(Retreat(10), (RetreatPart{80, 80, 0}));
  EXPECT_EQ(Retreat(2), (RetreatPart{0, 0, 0}));
}

TEST_F(DefBPTest, TwoBlocksChangeTwoClasses) {
  box.Write("defBP.dat",
            "; two classes only\r\n" + Block(1, 0, 1, 3, "25", "50", "40", 1) + Block(2, 0, 0, 1, "05", "00", "00", 0));
  DefaultBattlePlanTable table;
  table.ReadFile(13);
  EXPECT_EQ(Targeting(0), (TargetingPart{1, 0, 1, 3, 25}));
  EXPECT_EQ(Retreat(0), (RetreatPart{50, 40, 1}));
  EXPECT_EQ(Targeting(1), (TargetingPart{2, 0, 0, 1, 5}));
  EXPECT_EQ(Targeting(2), (TargetingPart{0, 1, 0, 2, 10}));
  EXPECT_EQ(Retreat(5), (RetreatPart{80, 80, 0}));
  EXPECT_TRUE(links.messages.empty());

  ASSERT_EQ(links.sent.size(), 1u);
  EXPECT_TRUE(links.sent[0].unsequenced);
  // Type, the header's rest left to the session, chapter, every class's targeting part, every class's
  // retreat part, two spare bytes.
  rules_test::Image want;
  want.U16(315).U16(0).U32(0).U16(13).U8(1).U8(0).U8(1).U8(3).U8(25).U8(2).U8(0).U8(0).U8(1).U8(5);
  for (int c = 2; c < 11; ++c) want.U8(0).U8(1).U8(0).U8(2).U8(10);
  want.U8(50).U8(40).U8(1);
  for (int c = 1; c < 11; ++c) want.U8(c < 3 ? 0 : 80).U8(c < 3 ? 0 : 80).U8(0);
  EXPECT_EQ(links.sent[0].bytes, want.U16(0).bytes);
}

TEST_F(DefBPTest, ATwelfthBlockIsRefusedWithoutTouchingClassZero) {
  std::string file;
  for (int c = 0; c < 11; ++c) file += Block(c % 3, 1, 0, 2, "10", "70", "60", 1);
  file += Block(9, 9, 9, 9, "99", "99", "99", 9);
  box.Write("defBP.dat", file);
  DefaultBattlePlanTable table;
  table.ReadFile(0);
  ASSERT_EQ(links.messages.size(), 1u);
  EXPECT_EQ(links.messages[0], "defBPs.dat file corrupted");
  EXPECT_EQ(Targeting(0), (TargetingPart{0, 1, 0, 2, 10}));
  EXPECT_EQ(Retreat(0), (RetreatPart{70, 60, 1}));
  EXPECT_EQ(Targeting(10), (TargetingPart{1, 1, 0, 2, 10}));
  EXPECT_EQ(Retreat(10), (RetreatPart{70, 60, 1}));
}

TEST_F(DefBPTest, MissingFileChangesNothing) {
  DefaultBattlePlanTable table;
  table.targeting[0][0] = 7;
  table.ReadFile(0);
  EXPECT_EQ(links.messages, std::vector<std::string>{"defBP.dat file not found"});
  EXPECT_TRUE(links.sent.empty());
  EXPECT_EQ(Targeting(0)[0], 0);
  WriteDefaultBattlePlanFile();
  EXPECT_EQ(links.messages.size(), 2u);
  EXPECT_EQ(links.messages[1], "defBP.dat file not found");
}

TEST_F(DefBPTest, WritingBackKeepsTheLayout) {
  std::string file = ";plans\r\n";
  for (int c = 0; c < 11; ++c) file += Block(0, 1, 0, 2, "10", "80", "80", 0);
  box.Write("defBP.dat", file);
  SetDefaultTargetingPlan(0, {1, 0, 1, 3, 5});
  SetDefaultRetreatPlan(0, {7, 120, 1});  // 120 cannot take two characters: written as 99
  SetDefaultTargetingPlan(10, {12, 0, 0, 0, 0});
  WriteDefaultBattlePlanFile();
  const std::string written = box.Read("defBP.dat");
  ASSERT_EQ(written.size(), file.size());
  std::string expected = ";plans\r\n" + Block(1, 0, 1, 3, "05", "07", "99", 1);
  for (int c = 1; c < 10; ++c) {
    const bool station = c == 1 || c == 2;  // built-in: never retreat
    expected += Block(0, 1, 0, 2, "10", station ? "00" : "80", station ? "00" : "80", 0);
  }
  expected += Block(9, 0, 0, 0, "00", "80", "80", 0);
  EXPECT_EQ(written, expected);

  Reset();
  DefaultBattlePlanTable table;
  table.ReadFile(0);
  EXPECT_EQ(Targeting(0), (TargetingPart{1, 0, 1, 3, 5}));
  EXPECT_EQ(Retreat(0), (RetreatPart{7, 99, 1}));
}

TEST_F(DefBPTest, WritingNeverRunsOverALineEnd) {
  // Line feeds only, and a hit chance written with one character by hand.
  std::string file = Block(0, 1, 0, 2, "10", "80", "80", 0, "\n");
  file.replace(file.find("=10"), 3, "=7");
  box.Write("defBP.dat", file);
  SetDefaultTargetingPlan(0, {3, 1, 0, 2, 45});
  SetDefaultRetreatPlan(0, {20, 30, 1});
  WriteDefaultBattlePlanFile();
  const std::string written = box.Read("defBP.dat");
  EXPECT_EQ(std::count(written.begin(), written.end(), '\n'), 8);
  EXPECT_NE(written.find("BATTLEPLAN_WHOTOFIREAT=3\n"), std::string::npos);
  EXPECT_NE(written.find("BATTLEPLAN_HIT_CHANCE=7\n"), std::string::npos);  // too narrow: left as it was
  EXPECT_NE(written.find("BATTLEPLAN_RETREAT_HULL=30\n"), std::string::npos);
}

TEST_F(DefBPTest, ReadOnlyFileIsLeftAlone) {
  const std::string file = Block(0, 1, 0, 2, "10", "80", "80", 0);
  box.Write("defBP.dat", file);
  std::filesystem::permissions(box.Host("defBP.dat"), std::filesystem::perms::owner_read);
  if (std::FILE* probe = std::fopen(box.Host("defBP.dat").c_str(), "r+")) {  // running with rights past the mode bits
    std::fclose(probe);
    GTEST_SKIP() << "file modes do not bind this user";
  }
  SetDefaultTargetingPlan(0, {5, 5, 5, 5, 55});
  WriteDefaultBattlePlanFile();
  EXPECT_EQ(links.messages, std::vector<std::string>{"DefBP.dat file is read only"});
  EXPECT_EQ(box.Read("defBP.dat"), file);
}

TEST_F(DefBPTest, TheDialogDecidesWhatIsSent) {
  std::string file;
  for (int c = 0; c < 11; ++c) file += Block(0, 1, 0, 2, "10", "80", "80", 0);
  box.Write("defBP.dat", file);
  links.localChapter = 21;
  SendDefaultBattlePlans();  // no dialog: as cancelled
  links.shell.defaultPlanDialog = [](DefaultBattlePlanTable&) { return false; };
  SendDefaultBattlePlans();
  EXPECT_TRUE(links.sent.empty());
  links.shell.defaultPlanDialog = [](DefaultBattlePlanTable& plans) {
    plans.targeting[4][4] = 33;
    plans.retreat[4][0] = 44;
    return true;
  };
  SendDefaultBattlePlans();
  EXPECT_EQ(Targeting(4)[4], 33);
  ASSERT_EQ(links.sent.size(), 1u);
  EXPECT_FALSE(links.sent[0].unsequenced);
  EXPECT_EQ(Word(links.sent[0].bytes, 8), 21);
  EXPECT_EQ(links.sent[0].bytes[10 + 5 * 4 + 4], 33);
  EXPECT_EQ(links.sent[0].bytes[65 + 3 * 4], 44);
  EXPECT_NE(box.Read("defBP.dat").find("BATTLEPLAN_HIT_CHANCE=33"), std::string::npos);
}

}  // namespace
