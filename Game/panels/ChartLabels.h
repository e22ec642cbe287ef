#pragma once
// Where a chart writes the latest value of each of its lines.
//
// Any thread.

#include <cstddef>
#include <span>

// Labels moved at most; any beyond stay where they were.
constexpr std::size_t kMostChartLabels = 16;

// Takes the label heights (the y of each label's top, one per line, in any
// order) and moves apart those closer than `step` pixels, keeping their order
// from top to bottom, so that lines ending close together keep readable
// figures. A label that has room stays where it was. Labels stay within
// `top` to `bottom` while there is room for all of them `step` apart.
void SpreadChartLabels(std::span<int> ys, int top, int bottom, int step);
