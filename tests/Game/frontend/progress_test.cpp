#include <gtest/gtest.h>

#include <set>
#include <string>

#include "Game/frontend/CInitializingDlg.h"

namespace {

// The frames one animation shows over two rounds, in order.
std::vector<int> Cycle(int kind) {
  const ProgressAnimation a = ProgressAnimationOf(kind);
  std::vector<int> shown;
  std::int16_t frame = 0;
  std::int16_t step = 1;
  for (int i = 0; i < 2 * a.frames; ++i) {
    shown.push_back(frame);
    frame = NextProgressFrame(frame, step, a.frames);
  }
  return shown;
}

TEST(ProgressAnimation, EachKindLoopsThroughItsOwnFrames) {
  EXPECT_EQ(std::string(ProgressAnimationOf(0).kind), "prgs");
  EXPECT_EQ(std::string(ProgressAnimationOf(1).kind), "prog");
  EXPECT_EQ(std::string(ProgressAnimationOf(2).kind), "circ");
  EXPECT_EQ(std::string(ProgressAnimationOf(-5).kind), "circ");
  for (int kind : {0, 1, 2}) {
    const std::vector<int> shown = Cycle(kind);
    const int frames = ProgressAnimationOf(kind).frames;
    ASSERT_EQ(static_cast<int>(shown.size()), 2 * frames);
    for (int i = 0; i < 2 * frames; ++i) EXPECT_EQ(shown[i], i % frames) << "kind " << kind;
  }
  EXPECT_EQ(Cycle(1)[37], 37);
  EXPECT_EQ(Cycle(0)[35], 35);
}

TEST(ProgressAnimation, AFrameBelowZeroRestartsForwards) {
  std::int16_t step = -3;
  EXPECT_EQ(NextProgressFrame(1, step, 36), 0);
  EXPECT_EQ(step, 1);
  EXPECT_EQ(NextProgressFrame(0, step, 36), 1);
}

TEST(ProgressAnimation, TheFramePeriodFollowsTheFirstLoad) {
  EXPECT_EQ(ProgressPeriod(0), 66u);
  EXPECT_EQ(ProgressPeriod(16), 66u);
  EXPECT_EQ(ProgressPeriod(200), 250u);
}

}  // namespace
