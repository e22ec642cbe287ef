// Heights, normals, altitudes and rays on generated height fields whose
// answers are known: 16-unit pages of 17 samples (one unit a cell), heights
// in steps of 0.2.

#include <cmath>

#include "support/terrainfixture.h"

#include "sg/instance/instance.h"
#include "sg/query/raypick.h"
#include "sg/query/terrainquery.h"
#include "sg/render/renderer.h"
#include "sg/terrain/lod.h"

namespace terraintest {
namespace {

class Query : public TerrainTest {
 protected:
  double Height(double x, double y) {
    const double p[3] = {x, y, 0.0};
    double h = -1.0;
    EXPECT_EQ(ISGTerrainHeight(Scene(), p, &h), SG_COLLIDE_TERRAIN);
    return h;
  }
  // The ray's distance in lengths of the direction, or -1 without a crossing.
  float Ray(double x, double y, double z, float dx, float dy, float dz, float maximum, std::uint32_t mode = 0) {
    const double o[3] = {x, y, z};
    const float d[3] = {dx, dy, dz};
    float dist = -1.f;
    const SGError err = ISGCollideTerrain(Scene(), o, d, maximum, mode, &dist);
    EXPECT_TRUE(err == SG_COLLIDE_TERRAIN || err == SG_ERROR_NONE) << err;
    return err == SG_COLLIDE_TERRAIN ? dist : -1.f;
  }
};

TEST_F(Query, FlatFieldHasOneHeightAndAnUprightNormalEverywhere) {
  World w;
  w.files = {HeightFile(17, Flat(17, 100))};
  Open(w);
  for (const double x : {0.0, 3.25, 15.999, 16.0, 63.5, -0.5, 64.0 + 7.0}) {
    EXPECT_NEAR(Height(x, 9.75), 20.0, 1e-5) << x;
  }
  const double p[3] = {7.3, 2.2, 0.0};
  float n[3];
  ASSERT_EQ(ISGTerrainNormal(Scene(), p, n), SG_COLLIDE_TERRAIN);
  EXPECT_FLOAT_EQ(n[0], 0.f);
  EXPECT_FLOAT_EQ(n[1], 0.f);
  EXPECT_FLOAT_EQ(n[2], 1.f);
}

// A ramp rising 4 steps (0.8 units) a cell along x: bilinear heights follow
// it exactly, and the normal leans back against the slope.
TEST_F(Query, RampHeightsAndNormalFollowTheSlope) {
  World w;
  w.files = {HeightFile(17, Ramp(17, 4))};
  Open(w);
  EXPECT_NEAR(Height(3.25, 5.0), 2.6, 1e-5);
  EXPECT_NEAR(Height(16.0 + 10.5, 40.1), 8.4, 1e-5);
  EXPECT_NEAR(Height(-16.0 + 2.0, 1.0), 1.6, 1e-5);  // wraps to the last column of pages
  const double p[3] = {6.5, 6.5, 0.0};
  float n[3];
  double h = 0.0;
  ASSERT_EQ(ISGTerrainHeightNormal(Scene(), p, n, &h), SG_COLLIDE_TERRAIN);
  EXPECT_NEAR(h, 5.2, 1e-5);
  EXPECT_NEAR(n[0], -0.625f, 1e-6);  // quantised -0.6247
  EXPECT_NEAR(n[1], 0.f, 1e-6);
  EXPECT_NEAR(n[2], 0.7806f, 1e-4);
}

TEST_F(Query, ConeAndNoiseHeightsMatchTheirSamples) {
  World w;
  w.files = {HeightFile(17, Cone(17, 200, 10)), HeightFile(17, Noise(17, 7))};
  w.keyOf = [](std::int32_t c, std::int32_t) { return static_cast<std::uint32_t>(c & 1); };
  Open(w);
  EXPECT_NEAR(Height(8.0, 8.0), 40.0, 1e-5);
  EXPECT_NEAR(Height(11.0, 8.0), 170 * 0.2, 1e-5);
  const auto noise = Noise(17, 7);
  const double fx = 0.3, fy = 0.6;
  const int ix = 5, iy = 9;
  const double expect = (noise[iy * 17 + ix] * (1 - fx) * (1 - fy) + noise[iy * 17 + ix + 1] * fx * (1 - fy) +
                         noise[(iy + 1) * 17 + ix + 1] * fx * fy + noise[(iy + 1) * 17 + ix] * (1 - fx) * fy) *
                        0.2;
  EXPECT_NEAR(Height(16.0 + ix + fx, iy + fy), expect, 1e-4);
}

// Ground rising to 12.8 at x = 16 and falling away again in the next page: a
// point a hair short of the edge, which rounds onto the next page in single
// precision, still stands at the edge and not at that page's far side.
TEST_F(Query, PointJustShortOfAPageEdgeIsAtThatEdge) {
  World w;
  w.files = {
      HeightFile(17, Ramp(17, 4)),
      HeightFile(17, Field(17, [](std::uint32_t x, std::uint32_t) { return static_cast<std::uint8_t>(64 - 4 * x); }))};
  w.keyOf = [](std::int32_t c, std::int32_t) { return static_cast<std::uint32_t>(c & 1); };
  Open(w);
  EXPECT_NEAR(Height(16.0 - 1e-7, 5.0), 12.8, 1e-4);
  EXPECT_NEAR(Height(16.0 + 1e-7, 5.0), 12.8, 1e-4);
  EXPECT_NEAR(Height(15.5, 5.0), 12.4, 1e-4);
  // In a world one page wide every point lies in a copy of that page.
  terrain_.Close();
  w.size[0] = w.size[1] = 1;
  Open(w);
  EXPECT_NEAR(Height(16.0 + 12.0, 5.0), 9.6, 1e-4);
  EXPECT_NEAR(Height(-4.0, 21.0), 9.6, 1e-4);
}

// Drawn at level 0 without blending, a cell is two triangles split along its
// diagonal; on the diagonal both triangles agree.
TEST_F(Query, HeightAsDrawnUsesTheTriangleOfTheCell) {
  World w;
  w.files = {HeightFile(17, Noise(17, 3))};
  Open(w);
  SGRenderer* rend = nullptr;
  ASSERT_EQ(SGRendererCreate(ctx_, &rend), SG_ERROR_NONE);
  ASSERT_EQ(ISGLodCreate(rend, Scene()), SG_ERROR_NONE);
  rend->renLOD->lodDistScale = 1e-6f;  // everything near enough for level 0
  const auto h = Noise(17, 3);
  auto at = [&](int x, int y) { return h[y * 17 + x] * 0.2; };
  const double eye[3] = {4.0, 4.0, 50.0};
  const int ix = 4, iy = 2;
  const double cases[][2] = {{0.25, 0.75}, {0.75, 0.25}, {0.5, 0.5}};
  for (const auto& f : cases) {
    const double p[3] = {ix + f[0], iy + f[1], 0.0};
    double got = 0.0;
    ASSERT_EQ(ISGTerrainHeightOnLOD(rend, Scene(), eye, p, &got), SG_COLLIDE_TERRAIN);
    const double fx = f[0], fy = f[1];
    const double want = fx < fy ? at(ix, iy) * (1 - fy) + at(ix, iy + 1) * (fy - fx) + at(ix + 1, iy + 1) * fx
                                : at(ix, iy) * (1 - fx) + at(ix + 1, iy) * (fx - fy) + at(ix + 1, iy + 1) * fy;
    EXPECT_NEAR(got, want, 1e-4) << fx << "," << fy;
  }
  SGRendererDestroy(rend);
}

TEST_F(Query, AltitudeIsTheHeightAboveTheGround) {
  World w;
  w.files = {HeightFile(17, Flat(17, 100))};
  Open(w);
  SGInstance* inst = nullptr;
  ASSERT_EQ(SGInstanceCreate(ctx_, SG_INST_TYPE_CAMERA, &inst), SG_ERROR_NONE);
  const double pos[3] = {5.0, 5.0, 30.0};
  SGInstanceSetPosition(inst, pos);
  ASSERT_EQ(SGSceneAddInstance(Scene(), inst), SG_ERROR_NONE);
  float alt = 0.f;
  ASSERT_EQ(SGInstanceGetAltitude(inst, &alt), SG_COLLIDE_TERRAIN);
  EXPECT_NEAR(alt, 10.f, 1e-5);
}

// A missing page that the hook cannot load passes its status out.
TEST_F(Query, PointOverAPageThatCannotBeLoadedPassesTheLookUpStatus) {
  World w;
  w.files = {HeightFile(17, Flat(17, 100)), {3, 1}};
  w.keyOf = [](std::int32_t c, std::int32_t) { return c == 2 ? 1u : 0u; };
  Open(w);
  const double p[3] = {40.0, 3.0, 0.0};
  double h = 0.0;
  EXPECT_EQ(ISGTerrainHeight(Scene(), p, &h), SG_ERROR_PAGE_MISSING);
}

TEST_F(Query, VerticalAndSlantedRaysMeetFlatGroundWhereItIs) {
  World w;
  w.files = {HeightFile(17, Flat(17, 100))};
  Open(w);
  EXPECT_NEAR(Ray(5.5, 5.5, 50.0, 0.f, 0.f, -1.f, 100.f), 30.f, 1e-3);
  EXPECT_NEAR(Ray(5.5, 5.5, 50.0, 0.f, 0.f, -2.f, 100.f), 15.f, 1e-3);  // lengths of the direction
  // Entering the ground's page from the side, far from where the ray
  // started: the hit is on the ground, 40 along x.
  EXPECT_NEAR(Ray(2.0, 8.0, 60.0, 1.f, 0.f, -1.f, 100.f), 40.f, 1e-3);
  EXPECT_EQ(Ray(2.0, 8.0, 60.0, 1.f, 0.f, 0.f, 200.f), -1.f);  // stays above every page
  EXPECT_EQ(Ray(5.5, 5.5, 50.0, 0.f, 0.f, -1.f, 20.f), -1.f);  // ends short of the ground
  // The box mode answers where the ray enters the page's height box.
  EXPECT_NEAR(Ray(5.5, 5.5, 50.0, 0.f, 0.f, -1.f, 100.f, SG_COLLIDE_TERRAIN_BOXES), 30.f, 1e-3);
}

// Descending over a ramp, the walk's height must fall by the ray's own slope
// per row of cells: the crossing is where 12 - 0.1 t = 0.8 (0.5 + t).
TEST_F(Query, SlantedRayMeetsARampWhereTheSlopesCross) {
  World w;
  w.files = {HeightFile(17, Ramp(17, 4))};
  Open(w);
  EXPECT_NEAR(Ray(0.5, 8.5, 12.0, 1.f, 0.f, -0.1f, 15.f), 11.6f / 0.9f, 0.02f);
  EXPECT_NEAR(Ray(8.5, 0.5, 12.0, 0.f, 1.f, -0.1f, 15.f), -1.f, 0.f);  // along y the ramp stays below
}

// A ray leaving the world at x = 64 carries on at x = 0 of the same row of
// pages, where higher ground stands.
TEST_F(Query, RayAcrossTheWorldEdgeWraps) {
  World w;
  w.files = {HeightFile(17, Flat(17, 100)), HeightFile(17, Flat(17, 200))};
  w.keyOf = [](std::int32_t c, std::int32_t) { return c == 0 ? 1u : 0u; };
  Open(w);
  EXPECT_NEAR(Ray(60.0, 8.0, 45.0, 1.f, 0.f, -0.5f, 40.f), 10.f, 1e-3);
}

}  // namespace
}  // namespace terraintest
