// The dithered ramp triangle: its dither pattern on the worked levels, its
// coverage against the flat fill, and the faults it must not have.

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "canvas.h"
#include "sg/raster/fill8.h"

namespace {

constexpr int32_t kLevel = 1 << 20;

// Ramp entry L holds 100 + L; entries past 15 hold 99, which must never show.
std::vector<uint8_t> Ramp() {
  std::vector<uint8_t> ramp(32, 99);
  for (int i = 0; i < 16; ++i) ramp[i] = static_cast<uint8_t>(100 + i);
  return ramp;
}

// A 40 x 40 clockwise right triangle at one intensity; returns the 4 x 4 block
// at (4, 4) .. (7, 7) as levels.
std::vector<int> Block(int32_t intensity, Canvas8& canvas) {
  const std::vector<uint8_t> ramp = Ramp();
  const SGRampVertex a{0, 0, intensity}, b{40, 0, intensity}, c{0, 40, intensity};
  ISGFill8RampDithered(&a, &b, &c, &canvas.At(0, 0), canvas.Frame()->fbPitch, ramp.data());
  std::vector<int> levels;
  for (int y = 4; y < 8; ++y)
    for (int x = 4; x < 8; ++x) levels.push_back(canvas.At(x, y) - 100);
  return levels;
}

TEST(Fill8RampDithered, PatternSplitsLevelsBySixteenths) {
  Canvas8 canvas(48, 48);
  const std::vector<int> half = Block(3 * kLevel + kLevel / 2, canvas);
  EXPECT_EQ(std::count(half.begin(), half.end(), 4), 8);
  EXPECT_EQ(std::count(half.begin(), half.end(), 3), 8);
  const std::vector<int> whole = Block(3 * kLevel, canvas);
  EXPECT_EQ(std::count(whole.begin(), whole.end(), 3), 16);
  // At 3 + 1/16 only offset 15/16, row 0 column 0 of the pattern, reaches 4.
  const std::vector<int> sixteenth = Block(3 * kLevel + kLevel / 16, canvas);
  EXPECT_EQ(std::count(sixteenth.begin(), sixteenth.end(), 4), 1);
  EXPECT_EQ(sixteenth[0], 4);
  EXPECT_TRUE(canvas.GuardIntact());
}

TEST(Fill8RampDithered, LevelsPastTheRampAreHeldToItsEnds) {
  Canvas8 canvas(48, 48);
  const std::vector<int> top = Block(15 * kLevel + kLevel / 2, canvas);
  EXPECT_EQ(std::count(top.begin(), top.end(), 15), 16);
  const std::vector<int> below = Block(-2 * kLevel, canvas);
  EXPECT_EQ(std::count(below.begin(), below.end(), 0), 16);
  EXPECT_EQ(canvas.Count(99), 0);
}

// Exact left and right x of the triangle on row y, when the row crosses it.
bool SpanAt(const SGRampVertex v[3], double y, double& left, double& right) {
  left = 1e9, right = -1e9;
  for (int i = 0; i < 3; ++i) {
    const SGRampVertex& p = v[i];
    const SGRampVertex& q = v[(i + 1) % 3];
    if ((y < p.y && y < q.y) || (y > p.y && y > q.y) || p.y == q.y) continue;
    const double x = p.x + static_cast<double>(q.x - p.x) * (y - p.y) / (q.y - p.y);
    left = std::min(left, x), right = std::max(right, x);
  }
  return left <= right;
}

// Whole-pixel triangles, a quarter with a flat bottom (middle and bottom on
// one row: a lower half of no height, whose slope would divide by zero):
// rows top .. bottom - 1, every pixel well inside the exact span drawn and
// none well outside it; counter-clockwise ones draw nothing.
TEST(Fill8RampDithered, CoversTheExactTriangleWithoutDividingByZero) {
  std::mt19937 random(5);
  const std::vector<uint8_t> ramp = Ramp();
  const double tolerance = 0.01;
  for (int n = 0; n < 1000; ++n) {
    auto pick = [&](int high) { return static_cast<int32_t>(random() % (high + 1)); };
    SGRampVertex v[3];
    for (SGRampVertex& p : v) p = {pick(40), pick(30), pick(15) * kLevel};
    if (n % 4 == 0) v[2].y = std::max(v[0].y, v[1].y);
    Canvas8 canvas(41, 31);
    ISGFill8RampDithered(&v[0], &v[1], &v[2], &canvas.At(0, 0), canvas.Frame()->fbPitch, ramp.data());
    ASSERT_TRUE(canvas.GuardIntact()) << n;
    const int64_t cross = static_cast<int64_t>(v[1].x - v[0].x) * (v[2].y - v[0].y) -
                          static_cast<int64_t>(v[1].y - v[0].y) * (v[2].x - v[0].x);
    if (cross <= 0) {
      ASSERT_EQ(canvas.Count(0), 41 * 31) << n;
      continue;
    }
    const int top = std::min({v[0].y, v[1].y, v[2].y}), bottom = std::max({v[0].y, v[1].y, v[2].y});
    for (int y = 0; y < 31; ++y) {
      double left, right;
      const bool crosses = y >= top && y < bottom && SpanAt(v, y, left, right);
      for (int x = 0; x < 41; ++x) {
        const bool drawn = canvas.At(x, y) != 0;
        if (!crosses)
          ASSERT_FALSE(drawn) << n << " at " << x << ", " << y;
        else if (drawn)
          ASSERT_TRUE(x >= left - tolerance && x <= right + tolerance) << n << " at " << x << ", " << y;
        else
          ASSERT_FALSE(x >= left + tolerance && x <= right - tolerance) << n << " at " << x << ", " << y;
      }
    }
  }
}

}  // namespace
