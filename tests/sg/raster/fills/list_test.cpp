// The fills' list entries against their own fill called for each triangle in
// turn: the same pixels over the same old ones, for runs whose triangles
// overlap, share vertices, face away, have no area or attributes out of range.

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

#include "canvas.h"
#include "members.h"
#include "sg/raster/fill16.h"
#include "tables.h"
#include "triangles.h"

namespace {

// Blue in the top bits: the shaders' run-time layout.
constexpr SGPixelFormat kFormatBgr565 = {5, 0x001F, 0, 6, 0x07E0, 5, 5, 0xF800, 11};

bool HasList(RefMode mode) { return mode == RefMode::kShadedTexture || mode == RefMode::kShadedTransparentTexture; }

TEST(FillList, TheShadedTexturedFamiliesAloneHaveListEntries) {
  for (const FillMember& member : kFill16Members) {
    const ISGTriFillList list = ISGFill16ListOf(member.fill);
    EXPECT_EQ(list != nullptr, HasList(member.mode)) << member.name;
    for (const FillMember& other : kFill16Members) {
      if (other.fill != member.fill && list != nullptr) {
        EXPECT_NE(list, ISGFill16ListOf(other.fill)) << member.name;
      }
    }
  }
  EXPECT_EQ(ISGFill16ListOf(nullptr), nullptr);
}

// A run of `count` triangles of the source's, each listed from its second
// vertex (the same winding); every other one takes the place of its third
// vertex from the triangle before, so that triangles share vertices.
struct Run {
  Run(TriangleSource& source, int count) {
    for (int i = 0; i < count; ++i) {
      SGQVert v[3];
      source.Next(v);
      const auto first = static_cast<uint32_t>(verts.size());
      verts.insert(verts.end(), v, v + 3);
      std::array<uint32_t, 3> c = {first + 1, first + 2, first};
      if (i % 2 == 1) c[2] = corners.back()[0];
      corners.push_back(c);
    }
  }
  std::vector<SGQVert> verts;
  std::vector<std::array<uint32_t, 3>> corners;
};

// Every member with a list entry, on frames `scale` times the usual size
// (larger triangles take the fills' paths for many pixels), in `format`.
void CompareRuns(const SGPixelFormat& format, unsigned seed, int scale) {
  for (const FillMember& member : kFill16Members) {
    const ISGTriFillList list = ISGFill16ListOf(member.fill);
    if (list == nullptr) continue;
    const int w = 48 * scale, h = 36 * scale;
    TriangleSource source(seed++, w, h);
    FillTables tables(member, source, 63, 8);
    Canvas expected(w, h, 8, PitchKind::kPositive, format), actual(w, h, 8, PitchKind::kPositive, format);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) expected.At(x, y) = actual.At(x, y) = static_cast<uint16_t>(source.Pick(0, 65535));
    const Run run(source, 60 / scale);
    for (const auto& c : run.corners)
      member.fill(&run.verts[c[0]], &run.verts[c[1]], &run.verts[c[2]], expected.Frame(), tables.texels,
                  tables.shade.data(), tables.colours.data());
    const auto* corners = reinterpret_cast<const uint32_t(*)[3]>(run.corners.data());
    list(run.verts.data(), corners, static_cast<uint32_t>(run.corners.size()), actual.Frame(), tables.texels,
         tables.shade.data(), tables.colours.data());
    ASSERT_EQ(actual.Memory(), expected.Memory()) << member.name << " scale " << scale;
    EXPECT_TRUE(actual.GuardIntact()) << member.name;
  }
}

TEST(FillList, RunsDrawWhatTheirFillDrawsTriangleByTriangle) {
  CompareRuns(kFormat565, 10, 1);
  CompareRuns(kFormat555, 40, 1);
  CompareRuns(kFormatBgr565, 70, 1);
}

TEST(FillList, RunsOfTrianglesOfManyPixelsToo) {
  CompareRuns(kFormat565, 100, 4);
  CompareRuns(kFormatBgr565, 130, 4);
}

TEST(FillList, AnEmptyRunDrawsNothing) {
  const ISGTriFillList list = ISGFill16ListOf(ISGFill16ShadedTexture16x16);
  ASSERT_NE(list, nullptr);
  Canvas canvas(16, 16);
  const std::vector<uint8_t> texels(256, 7), shade(65536, 9);
  const std::vector<uint16_t> colours(256, 0xFFFF);
  const SGQVert v[3] = {Vert(0, 0), Vert(15 * 32, 0), Vert(0, 15 * 32)};
  const uint32_t corners[1][3] = {{0, 1, 2}};
  list(v, corners, 0, canvas.Frame(), texels.data(), shade.data(), colours.data());
  EXPECT_EQ(canvas.Count(0), 16 * 16);
  EXPECT_TRUE(canvas.GuardIntact());
}

}  // namespace
