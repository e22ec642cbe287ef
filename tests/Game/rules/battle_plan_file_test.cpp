// The battle-plan file: its byte order, and files that are short, long or
// hold values out of range.
#include <gtest/gtest.h>

#include "Game/rules/GBattlePlanFile.h"
#include "tests/Game/rules/rules_fixture.h"

namespace {

class BattlePlanFile : public ::testing::Test {
 protected:
  rules_test::Sandbox box;
};

TEST_F(BattlePlanFile, TargetingBytesGoInTheOrderOneZeroTwoThreeFour) {
  const TargetingPart t{3, 1, 0, 2, 45};
  const RetreatPart r{80, 60, 1};
  const std::string bytes = box.Saved([&](plat::FILE* fp) { return WriteBattlePlan(fp, t, r) ? 1 : 0; });
  EXPECT_EQ(bytes, std::string({1, 3, 0, 2, 45, 80, 60, 1}));
  TargetingPart t2{};
  RetreatPart r2{};
  EXPECT_EQ(box.Loaded(bytes, [&](plat::FILE* fp) { return ReadBattlePlan(fp, &t2, &r2) ? 1 : 0; }), 1);
  EXPECT_EQ(t2, t);
  EXPECT_EQ(r2, r);
}

TEST_F(BattlePlanFile, ShortAndLongFilesLeaveThePlanAlone) {
  const TargetingPart before{1, 1, 1, 1, 1};
  for (const std::string& bytes : {std::string(), std::string(7, '\1'), std::string(9, '\1'), std::string(4096, 'x')}) {
    TargetingPart t = before;
    RetreatPart r{5, 5, 0};
    EXPECT_EQ(box.Loaded(bytes, [&](plat::FILE* fp) { return ReadBattlePlan(fp, &t, &r) ? 1 : 0; }), 0) << bytes.size();
    EXPECT_EQ(t, before);
    EXPECT_EQ(r, (RetreatPart{5, 5, 0}));
  }
}

TEST_F(BattlePlanFile, OutOfRangeValuesAreBroughtIntoRange) {
  const std::uint8_t bytes[8] = {9, 200, 7, 0, 255, 101, 250, 3};
  TargetingPart t{};
  RetreatPart r{};
  ASSERT_TRUE(ParseBattlePlan(bytes, &t, &r));
  EXPECT_EQ(t, (TargetingPart{3, 1, 1, 1, 100}));
  EXPECT_EQ(r, (RetreatPart{100, 100, 1}));
}

}  // namespace
