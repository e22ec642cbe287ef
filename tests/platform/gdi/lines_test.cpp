// Level and upright lines of every pen width against a literal walk that
// stamps the pen's square at each point, including lines that leave the target.

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/gdi/shapes.h"
#include "tests/platform/gdi/gdi_fixture.h"

namespace gditest {
namespace {

constexpr COLORREF kRed = RGB(255, 0, 0);

// What LineTo from a to b should set: a nib of `width` pixels centred on each
// point of the walk; the last point only for pens wider than one.
std::vector<bool> Reference(int w, int h, POINT a, POINT b, int width) {
  std::vector<bool> set(static_cast<std::size_t>(w) * h, false);
  const int sx = (b.x > a.x) - (b.x < a.x), sy = (b.y > a.y) - (b.y < a.y);
  const int length = std::max(std::abs(b.x - a.x), std::abs(b.y - a.y));
  const int last = width > 1 ? length : length - 1;
  const int lo = width > 1 ? -(width - 1) / 2 : 0, nib = std::max(width, 1);
  for (int i = 0; i <= last; ++i)
    for (int dy = 0; dy < nib; ++dy)
      for (int dx = 0; dx < nib; ++dx) {
        const int x = a.x + sx * i + lo + dx, y = a.y + sy * i + lo + dy;
        if (x >= 0 && y >= 0 && x < w && y < h) set[static_cast<std::size_t>(y) * w + x] = true;
      }
  return set;
}

class LinesTest : public ::testing::TestWithParam<int> {};

TEST_P(LinesTest, LevelAndUprightLinesMatchTheStampedWalk) {
  const int width = GetParam();
  const POINT ends[][2] = {
      {{5, 10}, {25, 10}},   // right
      {{25, 12}, {5, 12}},   // left
      {{8, 3}, {8, 30}},     // down
      {{14, 30}, {14, 3}},   // up
      {{-6, 20}, {12, 20}},  // starts left of the target
      {{30, 0}, {30, 50}},   // runs past the top and the bottom edges
      {{36, 36}, {36, 36}},  // a single point
      {{36, 38}, {37, 38}},  // one step
  };
  for (const auto& e : ends) {
    Target t{40, 40, PixelFormat::kRgb565};
    HPEN pen = CreatePen(PS_SOLID, width, kRed);
    SelectObject(t.dc(), pen);
    MoveToEx(t.dc(), e[0].x, e[0].y, nullptr);
    ASSERT_TRUE(LineTo(t.dc(), e[1].x, e[1].y));
    const std::vector<bool> want = Reference(40, 40, e[0], e[1], width);
    int wrong = 0;
    for (int y = 0; y < 40; ++y)
      for (int x = 0; x < 40; ++x)
        wrong += (t.At(x, y) == t.Colour(kRed)) != want[static_cast<std::size_t>(y) * 40 + x];
    EXPECT_EQ(wrong, 0) << "pen " << width << " from (" << e[0].x << ", " << e[0].y << ") to (" << e[1].x << ", "
                        << e[1].y << ")";
    SelectObject(t.dc(), GetStockObject(BLACK_PEN));
    DeleteObject(pen);
  }
}

INSTANTIATE_TEST_SUITE_P(PenWidths, LinesTest, ::testing::Values(1, 2, 3, 4));

}  // namespace
}  // namespace gditest
