// Two clockwise triangles that share an edge leave no gap between them and
// write no pixel twice, except a pixel whose centre lies exactly on the
// shared edge, which the convention (left ends rounded up, right ends rounded
// down, both drawn) gives to both.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>
#include <vector>

#include "canvas.h"
#include "sg/raster/fill16.h"

namespace {

constexpr uint16_t kInk = 1;

// Draws one triangle alone with the flat fill or, through a one-texel
// texture, with the per-pixel walk of the textured fills.
void Draw(Canvas& canvas, const SGQVert& a, const SGQVert& b, const SGQVert& c, bool textured) {
  static const uint8_t texels[16 * 16] = {};
  static const uint16_t colours[256] = {kInk};
  if (textured)
    ISGFill16Texture16x16(&a, &b, &c, canvas.Frame(), texels, nullptr, colours);
  else
    ISGFill16Flat(&a, &b, &c, canvas.Frame(), nullptr, nullptr, &kInk);
}

// Distance in pixels from (x, y) to the line through p and q along x.
double OffEdge(const SGQVert& p, const SGQVert& q, int x, int y) {
  const double x0 = p.x / 32.0, y0 = p.y / 32.0, x1 = q.x / 32.0, y1 = q.y / 32.0;
  return std::abs(x0 + (x1 - x0) * (y - y0) / (y1 - y0) - x);
}

// Checks the pair (a, b, c) and (a, c, d) sharing a-c; returns the number of
// pixels drawn by both.
int CheckPair(const SGQVert& a, const SGQVert& b, const SGQVert& c, const SGQVert& d, bool textured) {
  const int w = 48, h = 40;
  Canvas first(w, h), second(w, h);
  Draw(first, a, b, c, textured);
  Draw(second, a, c, d, textured);
  int doubled = 0;
  for (int y = 0; y < h; ++y) {
    int runs = 0, lastDrawn = -2;
    for (int x = 0; x < w; ++x) {
      const bool one = first.At(x, y) == kInk, two = second.At(x, y) == kInk;
      if (one && two) {
        ++doubled;
        EXPECT_LT(OffEdge(a, c, x, y), 1.0 / 256) << "doubled off the edge at " << x << ", " << y;
      }
      if (one || two) {
        if (lastDrawn != x - 1) ++runs;
        lastDrawn = x;
      }
    }
    EXPECT_LE(runs, 1) << "gap in row " << y;
  }
  return doubled;
}

TEST(SharedEdge, RandomConvexQuadsSplitOnADiagonal) {
  std::mt19937 random(3);
  auto pick = [&](int high) { return std::uniform_int_distribution<int>(0, high)(random); };
  int pairs = 0;
  while (pairs < 600) {
    // A convex quad: four points on an ellipse, in clockwise screen order.
    const double cx = 24 * 32, cy = 20 * 32, rx = pick(22 * 32) + 32, ry = pick(18 * 32) + 32;
    double angle[4];
    for (double& t : angle) t = pick(10000) / 10000.0 * 2 * std::numbers::pi;
    std::sort(angle, angle + 4);
    SGQVert q[4];
    for (int i = 0; i < 4; ++i)
      q[i] =
          Vert(static_cast<int32_t>(cx + rx * std::cos(angle[i])), static_cast<int32_t>(cy + ry * std::sin(angle[i])));
    if (pick(3) == 0)  // whole-pixel corners put edges through pixel centres
      for (SGQVert& v : q) {
        v.x &= ~31;
        v.y &= ~31;
      }
    const int64_t cross1 = static_cast<int64_t>(q[1].x - q[0].x) * (q[2].y - q[0].y) -
                           static_cast<int64_t>(q[1].y - q[0].y) * (q[2].x - q[0].x);
    const int64_t cross2 = static_cast<int64_t>(q[2].x - q[0].x) * (q[3].y - q[0].y) -
                           static_cast<int64_t>(q[2].y - q[0].y) * (q[3].x - q[0].x);
    if (cross1 <= 0 || cross2 <= 0 || q[0].y == q[2].y) continue;
    for (bool textured : {false, true}) CheckPair(q[0], q[1], q[2], q[3], textured);
    ++pairs;
  }
}

TEST(SharedEdge, VerticalEdgeThroughPixelCentresIsDrawnByBoth) {
  // Shared edge at x = 10 exactly: column 10 of rows 0 to 19 belongs to both.
  const SGQVert a = Vert(320, 0), b = Vert(640, 320), c = Vert(320, 640), d = Vert(0, 320);
  EXPECT_EQ(CheckPair(a, b, c, d, false), 20);
  // At x = 10.5 no pixel centre lies on it: nothing is drawn twice.
  const SGQVert a2 = Vert(336, 0), b2 = Vert(656, 320), c2 = Vert(336, 640), d2 = Vert(16, 320);
  EXPECT_EQ(CheckPair(a2, b2, c2, d2, false), 0);
}

TEST(SharedEdge, SlantedEdgeIsSplitWithoutOverlap) {
  // Slope 1 between pixel centres: the truncated reciprocal keeps the walked
  // edge just left of each centre below the top, so each of those centres
  // goes to one triangle; only the shared top vertex's pixel is drawn twice.
  const SGQVert a = Vert(64, 0), b = Vert(448, 0), c = Vert(448, 384), d = Vert(64, 384);
  EXPECT_EQ(CheckPair(a, b, c, d, false), 1);
  EXPECT_EQ(CheckPair(a, b, c, d, true), 1);
}

}  // namespace
