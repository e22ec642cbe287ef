// Contrast of a text colour on its ground, and the light ground a dark one needs.
#include <gtest/gtest.h>

#include "Game/panels/InfoPageDraw.h"
#include "Game/panels/Legibility.h"

using infopage::ContrastRatio;

TEST(Legibility, ContrastWeighsGreenMostAndBlueLeastAndOnlyDarkInksGetAGround) {
  EXPECT_NEAR(ContrastRatio(0x000000, 0xFFFFFF), 21.0, 1e-9);
  EXPECT_NEAR(ContrastRatio(0x808080, 0x808080), 1.0, 1e-9);
  // Red in the low byte, blue in the high one.
  EXPECT_GT(ContrastRatio(0x00FF00, 0), ContrastRatio(0x0000FF, 0));
  EXPECT_GT(ContrastRatio(0x0000FF, 0), ContrastRatio(0xFF0000, 0));
  for (int m : {0, 1, 3}) EXPECT_EQ(infopage::LightGroundPercent(infopage::kMineralColours[m]), 0) << m;
  const unsigned percent = infopage::LightGroundPercent(infopage::kMineralColours[2]);
  EXPECT_GT(percent, 0u);
  EXPECT_LT(percent, 100u);
}
