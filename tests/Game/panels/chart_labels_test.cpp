// The figures at the ends of a chart's lines: moved apart only where they
// would overlap, in their order, within the chart.
#include <gtest/gtest.h>

#include <vector>

#include "Game/panels/ChartLabels.h"

namespace {

TEST(ChartLabels, CrowdedFiguresAreStackedInTheirOrderFromTheEndTheyCrowd) {
  // At the foot: four small figures beside a large one with room; equal
  // heights keep the order they were given in.
  std::vector<int> ys = {292, 40, 290, 292, 288};
  SpreadChartLabels(ys, 27, 292, 11);
  EXPECT_EQ(ys, (std::vector<int>{281, 40, 270, 292, 259}));
  // At the top: pushed down into the chart.
  ys = {20, 27, 30, 100};
  SpreadChartLabels(ys, 27, 292, 11);
  EXPECT_EQ(ys, (std::vector<int>{27, 38, 49, 100}));
}

}  // namespace
