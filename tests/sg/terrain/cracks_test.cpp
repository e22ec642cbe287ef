// Levels of detail meet without cracks: generated fields seen from above at
// several LOD values, every pixel of the view lying on the ground, must come
// out wholly covered.

#include <cmath>

#include "support/terraindrawfixture.h"

#include "sg/core/context.h"
#include "sg/render/primitives.h"
#include "sg/render/renderer.h"
#include "sg/terrain/lod.h"
#include "sg/terrain/terrain.h"

namespace terraintest {
namespace {

using Heights = std::function<std::vector<std::uint8_t>(std::uint32_t, std::uint32_t)>;

// Fields over the whole 4 x 4 world (64 samples a side), so pages meet without a step.
Heights WorldField(std::function<double(double, double)> f) {
  return [f](std::uint32_t column, std::uint32_t row) {
    return Field(17, [=](std::uint32_t x, std::uint32_t y) {
      return static_cast<std::uint8_t>(f(column * 16.0 + x, row * 16.0 + y));
    });
  };
}
const Heights kFlat = WorldField([](double, double) { return 40.0; });
// Up along x to the middle of the world and down again.
const Heights kRamp = WorldField([](double x, double) { return 4.0 * (x < 32.0 ? x : 64.0 - x); });
const Heights kCone =
    WorldField([](double x, double y) { return std::fmax(0.0, 220.0 - 8.0 * std::hypot(x - 32.0, y - 40.0)); });

class TerrainCracks : public TerrainDraw {
 protected:
  // Looking steeply down from 40 units: the view's top edge meets the ground
  // about a hundred units ahead, well inside the far distance.
  std::size_t Uncovered(float lodValue) {
    LookFrom(32.0, -8.0, 40.0, 0.f, 0.7f, -0.7f);
    ISGLodDestroy(rend_);
    SGRendererSetLOD(rend_, lodValue);
    Hook(ground_);
    EXPECT_EQ(Draw(), SG_ERROR_NONE);
    return static_cast<std::size_t>(fbtest::kGameWidth) * fbtest::kGameHeight - Covered();
  }
  // The sky shows above the ground: a hole is an empty pixel with its four neighbours drawn.
  int Pinholes() const {
    int holes = 0;
    for (int y = 1; y + 1 < static_cast<int>(fbtest::kGameHeight); ++y) {
      for (int x = 1; x + 1 < static_cast<int>(fbtest::kGameWidth); ++x) {
        holes += Pixel(x, y) == 0 && Pixel(x - 1, y) != 0 && Pixel(x + 1, y) != 0 && Pixel(x, y - 1) != 0 &&
                 Pixel(x, y + 1) != 0;
      }
    }
    return holes;
  }
  // Looking at (32, 40), the cone's top, from 40 units away at angle `a` and `height` up, down by `down`.
  void LookAround(double a, double height, float down, float lodValue) {
    const float dx = static_cast<float>(0.7 * std::cos(a)), dy = static_cast<float>(0.7 * std::sin(a));
    LookFrom(32.0 - 40.0 * std::cos(a), 40.0 - 40.0 * std::sin(a), height, dx, dy, down);
    ISGLodDestroy(rend_);
    SGRendererSetLOD(rend_, lodValue);
  }
};

TEST_F(TerrainCracks, LevelsMeetWithoutGapsOnFlatRampAndCone) {
  const float derived = 1.f / 128.f;  // what a LOD value of 0 gives these pages
  struct Case {
    const char* name;
    const Heights* heights;
  } cases[] = {{"flat", &kFlat}, {"ramp", &kRamp}, {"cone", &kCone}};
  for (const Case& c : cases) {
    ReplaceGround(c.name, *c.heights);
    for (const float lod : {derived / 4.f, derived, derived * 4.f}) {
      EXPECT_EQ(Uncovered(lod), 0u) << c.name << " at LOD value " << lod;
      // Coarser values start the levels nearer: more than one shows in every case.
      EXPECT_GT(g_sgTerrainStats.tsRows, 3u) << c.name;
    }
  }
}

// The walk runs from the far side toward the eye whichever way the view
// looks: around the cone in eight directions, and down the diagonals between
// the axes, the ground stays whole.
TEST_F(TerrainCracks, ViewsFromEveryDirectionMeetWithoutGaps) {
  ReplaceGround("conearound", kCone);
  Hook(ground_);
  for (int k = 0; k < 8; ++k) {
    LookAround(k * 3.14159265358979 / 4.0 + 0.1, 40.0, -0.7f, 1.f / 256.f);
    EXPECT_EQ(Draw(), SG_ERROR_NONE);
    EXPECT_EQ(static_cast<std::size_t>(fbtest::kGameWidth) * fbtest::kGameHeight - Covered(), 0u) << "direction " << k;
  }
}

// Looking across the ramp's slope, where five-corner cells meet finer rows,
// the textured ground split for perspective has no single-pixel holes.
TEST_F(TerrainCracks, PerspectiveSplitsLeaveNoPinholes) {
  ReplaceGround("rampacross", kRamp);
  Hook(ground_);
  ASSERT_NE(rend_->renOptions & SG_REND_OPT_PERSPECTIVE, 0u);
  for (int k = 0; k < 4; ++k) {
    LookAround(k * 3.14159265358979 / 2.0 + 3.0 * 3.14159265358979 / 8.0 + 0.05, 60.0, -0.45f, 1.f / 512.f);
    ASSERT_EQ(Draw(), SG_ERROR_NONE);
    EXPECT_EQ(Pinholes(), 0) << "direction " << k;
  }
}

// A row in front may be coarser than the row behind where the finer level
// begins: the split fan laid there under finer cells takes their vertices on
// its far side, so no T-junction opens between them.
TEST_F(TerrainCracks, RowsOfDifferentLevelsMeetWithoutPinholes) {
  ReplaceGround("conefan", kCone);
  Hook(ground_);
  LookAround(8.0 * 3.14159265358979 / 12.0 + 0.03, 70.0, -0.5f, 1.f / 1024.f);
  ASSERT_EQ(Draw(), SG_ERROR_NONE);
  EXPECT_EQ(Pinholes(), 0);
  // Around every field from two heights, where rows of different levels meet
  // in all the ways the walk lays them.
  const Heights* fields[] = {&kFlat, &kRamp, &kCone};
  for (int f = 0; f < 3; ++f) {
    ReplaceGround("fan" + std::to_string(f), *fields[f]);
    Hook(ground_);
    for (const float lod : {1.f / 1024.f, 1.f / 128.f}) {
      for (int k = 0; k < 24; ++k) {
        const bool high = k % 2 != 0;
        LookAround(k * 3.14159265358979 / 12.0 + 0.03, high ? 70.0 : 40.0, high ? -0.5f : -0.7f, lod);
        ASSERT_EQ(Draw(), SG_ERROR_NONE);
        EXPECT_EQ(Pinholes(), 0) << "field " << f << " at LOD value " << lod << ", view " << k;
      }
    }
  }
}

int g_pieces = 0;
void CountPiece(const SGQVert*, const SGQVert*, const SGQVert*, const SGRasterFrame*, const void*, const void*,
                const void*) {
  ++g_pieces;
}

// An edge 30 pixels long whose ends' depths lie at the border of the accepted
// ratio is split alike by the triangles on both of its sides.
TEST_F(TerrainCracks, SharedEdgeSplitsAlikeFromBothSides) {
  const auto q = [](std::int32_t x, std::int32_t y, float rhw) { return SGQVert{x * 32, y * 32, rhw, 0, 0, 16, 0}; };
  const float near = 0.0970870033f, far = 0.0794348121f, middle = (near + far) / 2.f;
  const SGQVert a = q(100, 100, near), b = q(130, 100, far);
  const SGQVert above = q(115, 90, middle), below = q(115, 110, middle);
  g_pieces = 0;
  ISGTriDrawSubdivided(&a, &b, &above, rend_, CountPiece, 0, 0, 0);
  const int first = g_pieces;
  g_pieces = 0;
  ISGTriDrawSubdivided(&b, &a, &below, rend_, CountPiece, 0, 0, 0);
  EXPECT_EQ(g_pieces, first);
}

// With textures off the levels show as flat colours, the finest nearest, in
// rings around the eye; the ramp is drawn textured.
TEST_F(TerrainCracks, LevelPictures) {
  ReplaceGround("conepicture", kCone);
  SGContextSetDebug(ctx_, SG_CTX_DEBUG_NO_TEXTURES);
  EXPECT_EQ(Uncovered(1.f / 64.f), 0u);
  ExpectGolden("terrain_cone_levels");
  ReplaceGround("flatpicture", kFlat);
  EXPECT_EQ(Uncovered(1.f / 32.f), 0u);
  ExpectGolden("terrain_flat_levels");
  SGContextSetDebug(ctx_, 0);
  ReplaceGround("ramppicture", kRamp);
  EXPECT_EQ(Uncovered(1.f / 128.f), 0u);
  ExpectGolden("terrain_ramp");
}

}  // namespace
}  // namespace terraintest
