// The construct-ATV sums: costs by the game variables (tripled at a build
// rate), the turns the build points take, and the counts' signed-byte cap.
#include <gtest/gtest.h>

#include "Game/dialogs/CDConstructAtvDlg.h"
#include "Game/rules/GGameVar.h"

namespace {

class AtvSums : public ::testing::Test {
 protected:
  void SetUp() override {
    saved = g_gameVariables;
    const std::int16_t costs[4][5] = {{10, 5, 0, 2, 9}, {4, 0, 1, 0, 9}, {0, 8, 0, 0, 9}, {1, 1, 1, 1, 9}};
    for (int t = 0; t < 4; ++t) {
      for (int m = 0; m < 5; ++m) g_gameVariables.atvCosts[t][m] = costs[t][m];
      g_gameVariables.atvBuildPoints[t] = static_cast<std::uint16_t>(12 + t);
    }
  }
  void TearDown() override { g_gameVariables = saved; }
  CGameVariables saved;
};

TEST_F(AtvSums, TurnsRoundUpAndNoneShowZero) {
  EXPECT_EQ(AtvTurns({2, 0, 0, 0}, 10), 3);  // 24 points at 10 a turn
  EXPECT_EQ(AtvTurns({0, 0, 0, 0}, 10), 0);
  EXPECT_EQ(AtvTurns({1, 0, 0, 0}, 12), 1);
  EXPECT_EQ(AtvTurns({1, 1, 0, 0}, 12), 3);  // 25 points
  EXPECT_EQ(AtvTurns({3, 0, 0, 0}, 0), 0);   // a rate of 0 builds nothing
  EXPECT_EQ(AtvTurns({1, 7, 2, 0}, kNoBuildRate), 7);
  // The full signed-byte counts stay within the 16-bit total.
  EXPECT_EQ(AtvTurns({kMaxAtvCount, kMaxAtvCount, kMaxAtvCount, kMaxAtvCount}, 1), kMaxAtvCount * (12 + 13 + 14 + 15));
}

TEST_F(AtvSums, CostsTripleAtABuildRate) {
  const auto plain = AtvCosts({2, 1, 0, 3}, false);
  EXPECT_EQ(plain, (std::array<std::int32_t, 4>{27, 13, 4, 7}));
  const auto built = AtvCosts({2, 1, 0, 3}, true);
  EXPECT_EQ(built, (std::array<std::int32_t, 4>{81, 39, 12, 21}));
}

}  // namespace
