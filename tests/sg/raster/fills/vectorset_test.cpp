// The fills with the processor's widest vector paths against the same fills
// held to the base set, pixel for pixel, on random triangles large enough
// for the large-triangle paths and their long rows.

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "canvas.h"
#include "members.h"
#include "tables.h"
#include "sg/raster/fill16.h"
#include "sg/raster/vectorset.h"
#include "triangles.h"

namespace {

// Puts the widest set back however the test ends.
struct WidestSetAfter {
  ~WidestSetAfter() { ISGLimitVectorSet(ISGVectorSet::kAvx2); }
};

constexpr SGPixelFormat kFormatBgr565 = {5, 0x001F, 0, 6, 0x07E0, 5, 5, 0xF800, 11};

TEST(FillVectorSets, WidePathsDrawWhatTheBasePathsDraw) {
  WidestSetAfter restore;
  ISGLimitVectorSet(ISGVectorSet::kAvx2);
  if (ISGVectorSetInUse() != ISGVectorSet::kAvx2) GTEST_SKIP() << "the processor has no AVX2";
  ISGLimitVectorSet(ISGVectorSet::kBase);
  ASSERT_EQ(ISGVectorSetInUse(), ISGVectorSet::kBase);

  unsigned seed = 4242;
  for (const FillMember& member : kFill16Members) {
    for (const SGPixelFormat& format : {kFormat565, kFormat555, kFormatBgr565}) {
      const int w = 180 + static_cast<int>(seed % 37), h = 120 + static_cast<int>(seed % 23);
      TriangleSource source(seed++, w, h);
      FillTables tables(member, source, 255, 5);
      std::vector<uint16_t>& colours = tables.colours;
      const void* texels = tables.texels;
      const std::vector<uint8_t>& shade = tables.shade;
      const PitchKind pitch = seed % 2 == 0 ? PitchKind::kPositive : PitchKind::kNegative;
      Canvas base(w, h, 8, pitch, format), wide(w, h, 8, pitch, format);
      for (int n = 0; n < 40; ++n) {
        SGQVert v[3];
        source.Next(v);
        if (n % 2 == 0) {
          // Texture and level gradients of every size, not only the source's.
          for (SGQVert& vertex : v) {
            vertex.u = static_cast<float>(vertex.x * source.Pick(-3, 3) + source.Pick(-4096, 4096));
            vertex.v = static_cast<float>(vertex.y * source.Pick(-3, 3) + source.Pick(-4096, 4096));
            vertex.q = static_cast<float>(source.Pick(16, 8176));
          }
        }
        colours[0] = static_cast<uint16_t>(source.Pick(0, 65535));
        ISGLimitVectorSet(ISGVectorSet::kBase);
        member.fill(&v[0], &v[1], &v[2], base.Frame(), texels, shade.data(), colours.data());
        ISGLimitVectorSet(ISGVectorSet::kAvx2);
        member.fill(&v[0], &v[1], &v[2], wide.Frame(), texels, shade.data(), colours.data());
        ASSERT_EQ(wide.Memory(), base.Memory())
            << member.name << " triangle " << n << ": (" << v[0].x << "," << v[0].y << ") (" << v[1].x << ","
            << v[1].y << ") (" << v[2].x << "," << v[2].y << ")";
      }
      EXPECT_TRUE(wide.GuardIntact()) << member.name;
      EXPECT_LT(wide.Count(0), w * h * 9 / 10) << member.name << ": too few pixels drawn to tell the paths apart";
    }
  }
}

}  // namespace
