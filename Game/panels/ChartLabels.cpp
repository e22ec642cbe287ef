#include "Game/panels/ChartLabels.h"

#include <algorithm>
#include <array>

void SpreadChartLabels(std::span<int> ys, int top, int bottom, int step) {
  // A chart has a handful of lines: their order is kept on the stack.
  std::array<std::size_t, kMostChartLabels> order{};
  const std::size_t n = std::min(ys.size(), order.size());
  // Sorted by height in place (a stable sort may take a heap buffer, and a
  // page redraw makes no heap call); equal heights keep their given order.
  for (std::size_t i = 0; i < n; ++i) {
    std::size_t j = i;
    for (; j > 0 && ys[order[j - 1]] > ys[i]; --j) order[j] = order[j - 1];
    order[j] = i;
  }
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
