// The library's fills against the step-by-step reference, over many seeded
// random triangles on framed buffers whose guard bands must stay untouched;
// and the flat fill's coverage against the exact triangle.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "canvas.h"
#include "members.h"
#include "reference.h"
#include "sg/raster/fill16.h"
#include "tables.h"
#include "triangles.h"

namespace {

// Blue in the top bits: neither layout the shaded fills have a fixed path for.
constexpr SGPixelFormat kFormatBgr565 = {5, 0x001F, 0, 6, 0x07E0, 5, 5, 0xF800, 11};

// Every member on three pitches; with `other`, every pitch in kFormatBgr565,
// else 5-6-5 and, on the odd pitch, 5-5-5. Frames `scale` times the usual
// size hold triangles large enough for the fills' large-triangle paths.
void CompareWithReference(bool other, int scale = 1) {
  unsigned seed = (other ? 1001 : 1) + 5000 * static_cast<unsigned>(scale - 1);
  for (const FillMember& member : kFill16Members) {
    for (PitchKind pitch : {PitchKind::kPositive, PitchKind::kNegative, PitchKind::kOdd}) {
      const SGPixelFormat format = other ? kFormatBgr565 : pitch == PitchKind::kOdd ? kFormat555 : kFormat565;
      const int w = (40 + static_cast<int>(seed % 29)) * scale, h = (30 + static_cast<int>(seed % 17)) * scale;
      TriangleSource source(seed++, w, h);
      FillTables tables(member, source, 63, 8);
      std::vector<uint16_t>& colours = tables.colours;
      const void* texels = tables.texels;
      const std::vector<uint8_t>& shade = tables.shade;

      Canvas expected(w, h, 8, pitch, format), actual(w, h, 8, pitch, format);
      for (int n = 0; n < 150 / scale; ++n) {
        SGQVert v[3];
        source.Next(v);
        if (member.mode == RefMode::kFlat || member.mode == RefMode::kShaded ||
            member.mode == RefMode::kShadedTransparent)
          colours[0] = static_cast<uint16_t>(source.Pick(0, 65535));
        RefFill16(member.mode, member.w, member.h, &v[0], &v[1], &v[2], expected.Frame(), texels, shade.data(),
                  colours.data());
        member.fill(&v[0], &v[1], &v[2], actual.Frame(), texels, shade.data(), colours.data());
        ASSERT_EQ(actual.Memory(), expected.Memory())
            << member.name << " triangle " << n << ": (" << v[0].x << "," << v[0].y << ") (" << v[1].x << "," << v[1].y
            << ") (" << v[2].x << "," << v[2].y << ")";
      }
      EXPECT_TRUE(actual.GuardIntact()) << member.name;
      EXPECT_GT(actual.Count(0), 0) << member.name;
      EXPECT_LT(actual.Count(0), w * h) << member.name;
    }
  }
}

TEST(FillDifferential, EveryMemberMatchesTheReferenceAndStaysInsideTheFrame) { CompareWithReference(false); }

TEST(FillDifferential, AnyOtherPixelFormatMatchesTheReferenceToo) { CompareWithReference(true); }

TEST(FillDifferential, LargeTrianglesMatchTheReference) {
  CompareWithReference(false, 4);
  CompareWithReference(true, 4);
}

// Exact left and right x of the triangle on the horizontal line y, when the
// line crosses it.
bool SpanAt(const SGQVert v[3], double y, double& left, double& right) {
  left = std::numeric_limits<double>::infinity();
  right = -left;
  for (int i = 0; i < 3; ++i) {
    const double x0 = v[i].x / 32.0, y0 = v[i].y / 32.0;
    const double x1 = v[(i + 1) % 3].x / 32.0, y1 = v[(i + 1) % 3].y / 32.0;
    if ((y < y0 && y < y1) || (y > y0 && y > y1) || y0 == y1) continue;
    const double x = x0 + (x1 - x0) * (y - y0) / (y1 - y0);
    left = std::min(left, x);
    right = std::max(right, x);
  }
  return left <= right;
}

// Rows ceil(top) .. ceil(bottom) - 1 exactly; in a row, every pixel well
// inside the exact span is drawn and none well outside it. The edge walk's
// truncated reciprocals move an edge by far less than the tolerance here.
TEST(FillDifferential, FlatCoverageFollowsTheExactTriangle) {
  const double tolerance = 0.05;
  TriangleSource source(77, 64, 48);
  const uint16_t ink = 1;
  for (int n = 0; n < 2000; ++n) {
    SGQVert v[3];
    source.Next(v);
    MakeClockwise(v[0], v[1], v[2]);
    Canvas canvas(64, 48);
    ISGFill16Flat(&v[0], &v[1], &v[2], canvas.Frame(), nullptr, nullptr, &ink);
    const double twiceArea = (static_cast<double>(v[1].x - v[0].x) * (v[2].y - v[0].y) -
                              static_cast<double>(v[1].y - v[0].y) * (v[2].x - v[0].x)) /
                             1024.0;
    const int top = static_cast<int>(std::ceil(std::min({v[0].y, v[1].y, v[2].y}) / 32.0));
    const int bottom = static_cast<int>(std::ceil(std::max({v[0].y, v[1].y, v[2].y}) / 32.0));
    if (twiceArea <= 0) continue;
    for (int y = 0; y < 48; ++y) {
      double left, right;
      const bool crosses = y >= top && y < bottom && SpanAt(v, y, left, right);
      for (int x = 0; x < 64; ++x) {
        const bool drawn = canvas.At(x, y) == ink;
        if (!crosses) {
          ASSERT_FALSE(drawn) << n << " at " << x << ", " << y;
          continue;
        }
        if (drawn)
          ASSERT_TRUE(x >= left - tolerance && x <= right + tolerance) << n << " at " << x << ", " << y;
        else
          ASSERT_FALSE(x >= left + tolerance && x <= right - tolerance) << n << " at " << x << ", " << y;
      }
    }
  }
}

}  // namespace
