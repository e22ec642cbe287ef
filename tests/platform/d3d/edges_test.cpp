// The edge functions worked out in vector lanes against the scalar ones,
// over the whole range the rasteriser lets through: corners within a million
// pixels (2^28 in 1/256 pixel) and first samples anywhere on a target below
// 2^22 pixels a side.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>

#include "platform/d3d/d3dedges.h"

namespace d3dtest {
namespace {

using plat::d3d_impl::EdgesScalar;
using plat::d3d_impl::EdgesWide;
using plat::d3d_impl::TriangleEdges;

constexpr std::int64_t kCorner = std::int64_t{1} << 28;  // beyond the largest snapped corner
constexpr int kSide = (1 << 22) - 1;                     // the largest first sample

bool HasAvx2() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2") != 0;
}

// Both ways for one triangle; a failure says which triangle.
void ExpectSame(const std::int64_t (&px)[3], const std::int64_t (&py)[3], int x0, int y0) {
  TriangleEdges scalar, wide;
  EdgesScalar(px, py, x0, y0, &scalar);
  EdgesWide(px, py, x0, y0, &wide);
  const auto where = [&] {
    return ::testing::Message() << "(" << px[0] << ", " << py[0] << ") (" << px[1] << ", " << py[1] << ") (" << px[2]
                                << ", " << py[2] << ") from " << x0 << ", " << y0;
  };
  for (int k = 0; k < 3; ++k) {
    ASSERT_EQ(wide.ex[k], scalar.ex[k]) << where() << " edge " << k;
    ASSERT_EQ(wide.ey[k], scalar.ey[k]) << where() << " edge " << k;
    ASSERT_EQ(wide.at[k], scalar.at[k]) << where() << " edge " << k;
  }
  ASSERT_EQ(wide.topLeft, scalar.topLeft) << where();
}

TEST(EdgesTest, TheScalarEdgesAreTheFunctionsAtTheFirstSample) {
  // Clockwise on screen, sample (128, 128) of pixel 0: the corners (0, 0),
  // (512, 0), (0, 512) are 128 and 128 away from it.
  const std::int64_t px[3] = {0, 512, 0}, py[3] = {0, 0, 512};
  TriangleEdges e;
  EdgesScalar(px, py, 0, 0, &e);
  // Edge 0, (512, 0) to (0, 512): dx -512, dy 512.
  EXPECT_EQ(e.ex[0], -512 * 256);
  EXPECT_EQ(e.ey[0], -512 * 256);
  EXPECT_EQ(e.at[0], -512 * (128 - 0) - 512 * (128 - 512));
  // Edge 1 runs up the left side, edge 2 rightwards along the top: both own
  // their samples; edge 0 runs down and left.
  EXPECT_EQ(e.topLeft, 6u);
  EXPECT_GT(e.at[1], 0);
  EXPECT_GT(e.at[2], 0);
}

TEST(EdgesTest, VectorLanesMatchTheScalarEdgesOnEdgeCases) {
  if (!HasAvx2()) {
    GTEST_SKIP() << "no AVX2";
  }
  const std::int64_t big = 256'000'000;  // a million pixels, the most a corner may lie out
  const std::int64_t places[] = {0,       1,        -1,          127,          128,           129, 255,
                                 256,     257,      -128,        -256,         5 * 256 + 128, big, -big,
                                 kCorner, -kCorner, kCorner - 1, -kCorner + 1, big - 128};
  const int starts[] = {0, 1, 7, 1000, kSide};
  // Every corner at each of these places would be too many; pairs of corners
  // share places, which gives level, upright, degenerate and huge edges.
  for (const std::int64_t a : places) {
    for (const std::int64_t b : places) {
      for (const std::int64_t c : places) {
        for (const int s : starts) {
          ExpectSame({a, b, c}, {b, c, a}, s, kSide - s);
          ExpectSame({a, a, b}, {c, b, b}, s, s);
          ExpectSame({a, b, b}, {a, a, c}, kSide - s, s);
          ExpectSame({a, a, a}, {b, c, b}, s, 0);
        }
        if (::testing::Test::HasFatalFailure()) {
          return;
        }
      }
    }
  }
}

TEST(EdgesTest, VectorLanesMatchTheScalarEdgesOverRandomTriangles) {
  if (!HasAvx2()) {
    GTEST_SKIP() << "no AVX2";
  }
  std::mt19937_64 rng(20261208);
  std::uniform_int_distribution<std::int64_t> anywhere(-kCorner, kCorner), small(-600, 600);
  std::uniform_int_distribution<int> start(0, kSide), near(0, 3);
  for (int round = 0; round < 300'000; ++round) {
    std::int64_t px[3], py[3];
    // Huge, screen-sized and subpixel triangles, some on sample centres.
    const int kind = round % 4;
    const std::int64_t cx = anywhere(rng), cy = anywhere(rng);
    for (int k = 0; k < 3; ++k) {
      if (kind == 0) {
        px[k] = anywhere(rng);
        py[k] = anywhere(rng);
      } else {
        const std::int64_t scale = kind == 1 ? 1000 : 1;
        px[k] = std::clamp<std::int64_t>(cx + small(rng) * scale, -kCorner, kCorner);
        py[k] = std::clamp<std::int64_t>(cy + small(rng) * scale, -kCorner, kCorner);
        if (kind == 3) {
          px[k] = std::min(px[k] / 256 * 256 + 128, kCorner);
          py[k] = std::min(py[k] / 256 * 256 + 128, kCorner);
        }
      }
    }
    const int x0 = near(rng) == 0 ? kSide : start(rng);
    const int y0 = near(rng) == 0 ? 0 : start(rng);
    ExpectSame(px, py, x0, y0);
    if (::testing::Test::HasFatalFailure()) {
      return;
    }
  }
}

}  // namespace
}  // namespace d3dtest
