#include "Game/panels/ChartLabels.h"

#include <algorithm>
#include <array>
#include <numeric>

void SpreadChartLabels(std::span<int> ys, int top, int bottom, int step) {
  // A chart has a handful of lines: their order is kept on the stack.
  std::array<std::size_t, kMostChartLabels> order{};
  const std::size_t n = std::min(ys.size(), order.size());
  std::iota(order.begin(), order.begin() + n, std::size_t{0});
  std::stable_sort(order.begin(), order.begin() + n, [&](std::size_t a, std::size_t b) { return ys[a] < ys[b]; });
  // Up from the lowest, then down from the highest: labels crowded at either
  // end move towards the middle, and each pass leaves spaced ones alone.
  int limit = bottom + step;
  for (std::size_t i = n; i-- > 0;) {
    int& y = ys[order[i]];
    y = std::min(y, limit - step);
    limit = y;
  }
  limit = top - step;
  for (std::size_t i = 0; i < n; ++i) {
    int& y = ys[order[i]];
    y = std::max(y, limit + step);
    limit = y;
  }
}
