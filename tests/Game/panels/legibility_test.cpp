// Contrast of a text colour on its ground, and the light ground a dark text
// colour needs on the panels' dim tint.
#include <gtest/gtest.h>

#include "Game/panels/InfoPageDraw.h"
#include "Game/panels/Legibility.h"

namespace {

using infopage::ContrastRatio;
using infopage::kReadableContrast;
using infopage::LightGroundPercent;

TEST(Legibility, ContrastRunsFromOneToTwentyOneWhicheverColourIsTheInk) {
  EXPECT_NEAR(ContrastRatio(0xFFFFFF, 0x000000), 21.0, 1e-9);
  EXPECT_NEAR(ContrastRatio(0x000000, 0xFFFFFF), 21.0, 1e-9);
  EXPECT_NEAR(ContrastRatio(0x808080, 0x808080), 1.0, 1e-9);
  // Green weighs most and blue least: red in the low byte, blue in the high.
  EXPECT_GT(ContrastRatio(0x00FF00, 0x000000), ContrastRatio(0x0000FF, 0x000000));
  EXPECT_GT(ContrastRatio(0x0000FF, 0x000000), ContrastRatio(0xFF0000, 0x000000));
}

TEST(Legibility, OnlyTheDeepBlueMineralNeedsTheSmallestLightGroundThatReads) {
  for (int m : {0, 1, 3}) EXPECT_EQ(LightGroundPercent(infopage::kMineralColours[m]), 0) << m;
  const plat::COLORREF blue = infopage::kMineralColours[2];
  EXPECT_LT(ContrastRatio(blue, 0x000000), kReadableContrast);
  const unsigned percent = LightGroundPercent(blue);
  ASSERT_GT(percent, 0u);
  ASSERT_LT(percent, 100u);
  auto grey = [](unsigned p) { return ((31 * p / 100) << 3) * 0x010101u; };
  EXPECT_GE(ContrastRatio(blue, grey(percent)), kReadableContrast);
  EXPECT_LT(ContrastRatio(blue, grey(percent - 1)), kReadableContrast) << "no lighter than it must be";
}

}  // namespace
