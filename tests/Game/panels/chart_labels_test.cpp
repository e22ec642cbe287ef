// The figures at the ends of a chart's lines: moved apart only where they
// would overlap, in their order, within the chart.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "Game/panels/ChartLabels.h"

namespace {

TEST(ChartLabels, LabelsWithRoomStayWhereTheirLinesEnd) {
  std::vector<int> ys = {40, 200, 120, 292};
  SpreadChartLabels(ys, 27, 292, 11);
  EXPECT_EQ(ys, (std::vector<int>{40, 200, 120, 292}));
}

TEST(ChartLabels, LinesEndingTogetherAtTheFootGetTheirFiguresStackedUpwards) {
  // Four small figures of a late game beside one large: all at the chart's foot.
  std::vector<int> ys = {292, 40, 290, 292, 288};
  SpreadChartLabels(ys, 27, 292, 11);
  EXPECT_EQ(ys[1], 40) << "the large one has room";
  std::vector<int> foot = {ys[0], ys[2], ys[3], ys[4]};
  std::sort(foot.begin(), foot.end());
  EXPECT_EQ(foot.back(), 292);
  for (std::size_t i = 1; i < foot.size(); ++i) EXPECT_EQ(foot[i] - foot[i - 1], 11);
  // Equal heights keep the order they were given in; the higher stays higher.
  EXPECT_LT(ys[0], ys[3]);
  EXPECT_LT(ys[4], ys[2]);
}

TEST(ChartLabels, LabelsCrowdedAtTheTopMoveDownIntoTheChart) {
  std::vector<int> ys = {20, 27, 30, 100};
  SpreadChartLabels(ys, 27, 292, 11);
  EXPECT_EQ(ys, (std::vector<int>{27, 38, 49, 100}));
}

TEST(ChartLabels, NoLabelsAndOneLabelAreLeftAlone) {
  std::vector<int> none;
  SpreadChartLabels(none, 27, 292, 11);
  std::vector<int> one = {150};
  SpreadChartLabels(one, 27, 292, 11);
  EXPECT_EQ(one[0], 150);
}

}  // namespace
