// Terrain scenes drawn whole through SGSceneDraw into the game's frame
// buffer (and an 8-bit one), compared with golden pictures.

#include <cmath>
#include <set>
#include <utility>

#include "support/terraindrawfixture.h"

#include "sg/core/context.h"
#include "sg/scene/scenerandom.h"
#include "sg/terrain/lod.h"
#include "sg/terrain/stripoutput.h"
#include "sg/terrain/terrain.h"
#include "sg/terrain/tsp.h"

namespace terraintest {
namespace {

using rendertest::RenderTest;
using namespace plat;

// Cloud puffs: bumps on a grid of 32 units, thinning to nothing between them.
std::vector<std::uint8_t> Puffs(std::uint32_t column, std::uint32_t row) {
  return Field(17, [=](std::uint32_t x, std::uint32_t y) {
    const double gx = (column * 16.0 + x) / 32.0 * 2.0 * 3.14159265358979;
    const double gy = (row * 16.0 + y) / 32.0 * 2.0 * 3.14159265358979;
    return static_cast<std::uint8_t>(std::fmax(0.0, 200.0 * std::sin(gx) * std::sin(gy + 0.7)));
  });
}

TEST_F(TerrainDraw, HillsDrawBackToFrontAtTheirLevels) {
  ASSERT_EQ(DrawTerrain(), SG_ERROR_NONE);
  EXPECT_GT(Covered(), 150000u);
  EXPECT_GT(g_sgTerrainStats.tsRows, 4u);
  ExpectGolden("terrain_hills");
  // The same frame drawn again comes out the same (pages stay, vertices are remade).
  const auto first = Frame();
  ASSERT_EQ(DrawTerrain(), SG_ERROR_NONE);
  EXPECT_EQ(Frame().rgb, first.rgb);
}

// The world repeats within this view: the vertex tables of the page copies
// outside the eye's world period stay with the renderer, so a warm frame
// takes no memory and draws as the first one did.
TEST_F(TerrainDraw, AWarmFrameAllocatesNothing) {
  // The first frame loads the pages and grows the pools; the second may still
  // grow a pool the first frame's pages did not reach.
  ASSERT_EQ(DrawTerrain(), SG_ERROR_NONE);
  ASSERT_EQ(DrawTerrain(), SG_ERROR_NONE);
  const auto first = Frame();
  const std::uint64_t before = SGMallocCount();
  for (int i = 0; i < 3; ++i) {
    ASSERT_EQ(DrawTerrain(), SG_ERROR_NONE);
  }
  EXPECT_EQ(SGMallocCount(), before);
  EXPECT_EQ(Frame().rgb, first.rgb);
}

// With textures off each row shows its level as a flat colour: nearer rows finer.
TEST_F(TerrainDraw, LevelsShowAsFlatColoursWithTexturesOff) {
  SGContextSetDebug(ctx_, SG_CTX_DEBUG_NO_TEXTURES);
  ASSERT_EQ(DrawTerrain(), SG_ERROR_NONE);
  ExpectGolden("terrain_levels");
  SGContextSetDebug(ctx_, 0);
}

// A cloud cover above the camera: the sub-scene's heights hang down from
// the cover as a ceiling, drawn from below with its winding turned round.
TEST_F(TerrainDraw, CloudCeilingSeenFromBelow) {
  ASSERT_EQ(SGSceneSetCoverHeight(scene_, 40.f, -0.8f), SG_ERROR_NONE);
  clouds_ = OpenTerrain(
      "clouds", [](std::uint32_t c, std::uint32_t r) { return Puffs(c, r); }, 234, 250);
  ASSERT_EQ(SGSceneAttachSubScene(scene_, clouds_.scene), SG_ERROR_NONE);
  ASSERT_EQ(SGSceneCloudsOn(scene_), SG_ERROR_NONE);
  SGSceneSetCoverThreshold(scene_, 10.f);
  SGSceneSetCoverDepth(scene_, 2.f);
  Hook(clouds_);
  LookFrom(20.0, -6.0, 24.0, 0.3f, 0.9f, 0.1f);
  ASSERT_EQ(DrawTerrain(), SG_ERROR_NONE);
  EXPECT_EQ(camera_->instScene, scene_);
  EXPECT_EQ(camera_->instPos[2], 24.0);
  ExpectGolden("terrain_clouds");
}

// Inside the layer nothing of it is drawn: the view is cleared to the cloud
// colour, blended with the fog colour by a flicker from the scene's seeded numbers.
TEST_F(TerrainDraw, InsideTheCloudTheViewIsFogged) {
  ASSERT_EQ(SGSceneSetCoverHeight(scene_, 40.f, -0.15f), SG_ERROR_NONE);
  clouds_ = OpenTerrain(
      "clouds", [](std::uint32_t, std::uint32_t) { return terraintest::Flat(17, 100); }, 239, 255);
  ASSERT_EQ(SGSceneAttachSubScene(scene_, clouds_.scene), SG_ERROR_NONE);
  SGSceneCloudsOn(scene_);
  SGSceneSetCoverDepth(scene_, 5.f);
  SGSceneSetCoverColour(scene_, 0xC0C0C000u);
  Hook(clouds_);
  LookFrom(20.0, -6.0, 39.0, 0.f, 1.f, 0.f);  // the ceiling hangs down to 40 - 0.15 x 10 = 38.5
  SGSceneSetRandomSeed(scene_, 7);
  ASSERT_EQ(DrawTerrain(), SG_ERROR_NONE);
  const std::uint32_t centre = Pixel(292, 183);
  EXPECT_EQ(Pixel(3, 3), centre);
  EXPECT_NE(centre, 0u);
  // The flicker comes from the scene's own numbers: the same seed, the same frame.
  std::set<std::uint32_t> shades{centre};
  for (int i = 0; i < 4; ++i) {
    ASSERT_EQ(DrawTerrain(), SG_ERROR_NONE);
    shades.insert(Pixel(292, 183));
  }
  EXPECT_GT(shades.size(), 1u);
  SGSceneSetRandomSeed(scene_, 7);
  ASSERT_EQ(DrawTerrain(), SG_ERROR_NONE);
  EXPECT_EQ(Pixel(292, 183), centre);
}

// Instances are drawn between the rows: a box behind a ridge is covered by
// it, one in front of the ridge is not.
TEST_F(TerrainDraw, InstancesBehindARidgeAreHiddenByIt) {
  ReplaceGround("ridge", [](std::uint32_t, std::uint32_t r) {
    return Field(17,
                 [r](std::uint32_t, std::uint32_t y) { return static_cast<std::uint8_t>(r == 1 && y == 8 ? 250 : 0); });
  });
  LookFrom(32.0, 2.0, 6.0, 0.f, 1.f, -0.05f);
  SGModel* box = Keep(rendertest::Box(2.f, 2.f, 2.f, 1));
  Place(box, {Keep(rendertest::Material(SG_MAT_TYPE_FLAT, 200, nullptr))}, 32.0, 45.0, 4.0);  // behind the ridge at 24
  Place(box, {Keep(rendertest::Material(SG_MAT_TYPE_FLAT, 230, nullptr))}, 38.0, 14.0, 3.0);  // in front of it
  ASSERT_EQ(DrawTerrain(), SG_ERROR_NONE);
  const auto* table = static_cast<const std::uint16_t*>(fb_->fbPixelTable);
  std::size_t behind = 0, front = 0;
  for (int y = 0; y < static_cast<int>(fbtest::kGameHeight); ++y) {
    for (int x = 0; x < static_cast<int>(fbtest::kGameWidth); ++x) {
      behind += Pixel(x, y) == table[200] ? 1 : 0;
      front += Pixel(x, y) == table[230] ? 1 : 0;
    }
  }
  EXPECT_EQ(behind, 0u);
  EXPECT_GT(front, 500u);
  // Without the ridge the box behind shows.
  scene_->scnFlags &= ~SG_SCN_FLAG_TERRAIN;
  ASSERT_EQ(Draw(), SG_ERROR_NONE);
  behind = 0;
  for (int y = 0; y < static_cast<int>(fbtest::kGameHeight); ++y) {
    for (int x = 0; x < static_cast<int>(fbtest::kGameWidth); ++x) {
      behind += Pixel(x, y) == table[200] ? 1 : 0;
    }
  }
  EXPECT_GT(behind, 100u);
}

// What a frame hands the renderer: the farthest eye-relative y of the
// nearest ground cell drawn before the first instance triangle, and the fog
// distance that triangle was drawn in.
SGDrawPrimFn g_triangle = nullptr;
SGTerrainPrimFn g_tile = nullptr;
float g_groundBefore = 1e9f;
float g_instanceFog = -1.f;
SGError RecordTriangle(SGRenderer* rend, SGScene* scene, SGMaterial* mat, SGTxVertex** verts) {
  if (g_instanceFog < 0.f) {
    g_instanceFog = rend->renFogFar;
  }
  return g_triangle(rend, scene, mat, verts);
}
SGError RecordTile(SGRenderer* rend, void* data) {
  const auto* cell = static_cast<const SGTerrainCell*>(data);
  if (g_instanceFog < 0.f) {
    float far = -1e9f;
    for (std::uint32_t i = 0; i < cell->quad.txqNumVerts; ++i) {
      far = std::fmax(far, cell->quad.txqVerts[i]->txvPos[1]);
    }
    g_groundBefore = std::fmin(g_groundBefore, far);
  }
  return g_tile(rend, data);
}

// A box wide across the view is drawn as soon as the rows have passed its
// near side (not its far wider sphere), so no ground nearer than it is drawn
// before it; between the rows it is drawn in the renderer's alternate fog,
// and the renderer has its own fog back afterwards.
TEST_F(TerrainDraw, InstancesBetweenRowsFollowTheirBoxInTheAlternateFog) {
  ReplaceGround("wide", [](std::uint32_t, std::uint32_t) { return terraintest::Flat(17, 0); });
  LookFrom(32.0, 2.0, 6.0, 0.f, 1.f, -0.1f);
  Place(Keep(rendertest::Box(10.f, 0.5f, 0.5f, 1)), {Keep(rendertest::Material(SG_MAT_TYPE_FLAT, 200, nullptr))}, 32.0,
        40.0, 1.0);
  ISGTerrainInstallOps(rend_);
  g_triangle = std::exchange(rend_->renMethods.rmDrawTriangle, RecordTriangle);
  g_tile = std::exchange(rend_->renMethods.rmTerrainTile, RecordTile);
  const std::uint32_t colour = 0x40404000u;
  SGRendererSetAltFog(rend_, &colour, 33.f);
  ASSERT_EQ(DrawTerrain(), SG_ERROR_NONE);
  EXPECT_GE(g_groundBefore, 40.f - 0.5f - 2.f);  // the box's near side, seen from y = 2
  EXPECT_EQ(g_instanceFog, 33.f);
  EXPECT_EQ(rend_->renFogFar, 0.f);
  EXPECT_EQ(rend_->renAltFogFar, 33.f);
}

// A scene with fog of its own draws its terrain in that fog and gives the
// renderer its own fog back afterwards.
TEST_F(TerrainDraw, SceneFogIsTakenForTheTerrainOnly) {
  ASSERT_EQ(DrawTerrain(), SG_ERROR_NONE);
  const auto clear = Frame();
  const std::uint32_t grey = 0x80808000u;
  std::uint8_t* table = nullptr;
  ASSERT_EQ(SGRendererBuildFogLUT(rend_, 0, grey, &table), SG_ERROR_NONE);
  SGSceneSetFog(scene_, &grey, 60.f);
  scene_->scnFogLUT = table;
  ASSERT_EQ(DrawTerrain(), SG_ERROR_NONE);
  EXPECT_NE(Frame().rgb, clear.rgb);
  EXPECT_EQ(scene_->scnFogLUT, table);
  EXPECT_EQ(rend_->renFlags & SG_REND_FLAG_FOG, 0u);
  EXPECT_EQ(rend_->renFogLUT, nullptr);
  scene_->scnFogLUT = nullptr;
  SGFree(table);
}

// With lighting on, a positioned light low over flat ground lights the
// ground under it and less the farther away; without lights the ground is unshaded.
TEST_F(TerrainDraw, APositionedLightLightsTheGroundUnderIt) {
  ReplaceGround("flat", [](std::uint32_t, std::uint32_t) { return terraintest::Flat(17, 0); });
  LookFrom(32.0, 10.0, 12.0, 0.f, 0.7f, -0.7f);
  BuildShadeTable();
  SGRendererSetOptions(rend_, 0x10);
  ASSERT_EQ(DrawTerrain(), SG_ERROR_NONE);
  const auto unlit = Frame();
  SGInstance* light = NewInstance(SG_INST_TYPE_LIGHT);
  auto* data = static_cast<SGLightData*>(light->instData);
  data->ltKind = SG_LIGHT_POSITIONED;
  data->ltIntensity = 20.f;
  const double pos[3] = {32.0, 22.0, 2.0};
  SGInstanceSetPosition(light, pos);
  ASSERT_EQ(SGSceneAddInstance(scene_, light), SG_ERROR_NONE);
  ASSERT_EQ(DrawTerrain(), SG_ERROR_NONE);
  EXPECT_NE(Frame().rgb, unlit.rgb);
  ExpectGolden("terrain_light");
}

// A page the hook cannot give is asked for once a frame, not once a row, and
// the rest of the terrain is drawn around the hole.
TEST_F(TerrainDraw, AMissingPageIsAskedForOnceAFrame) {
  struct Hole {
    Opened* ground;
    int asked = 0;
  } hole{&ground_};
  SGSceneSetPageCallback(
      scene_,
      [](std::int32_t row, std::int32_t column, std::uintptr_t data) {
        auto* h = reinterpret_cast<Hole*>(data);
        if (row == 1 && column == 1) {
          ++h->asked;
          return;
        }
        NeedPage(row, column, reinterpret_cast<std::uintptr_t>(h->ground));
      },
      reinterpret_cast<std::uintptr_t>(&hole));
  LookFrom(24.0, -20.0, 60.0, 0.f, 0.6f, -0.8f);
  ASSERT_EQ(Draw(), SG_ERROR_NONE);
  EXPECT_EQ(hole.asked, 1);
  EXPECT_GT(Covered(), 100000u);
  ASSERT_EQ(Draw(), SG_ERROR_NONE);
  EXPECT_EQ(hole.asked, 2);
}

TEST(CloudFog, FactorBlendsEvenlyAtZeroAndNeverFallsToZero) {
  EXPECT_FLOAT_EQ(ISGCloudFogFactor(0.f, 12345), 0.5f);
  EXPECT_FLOAT_EQ(ISGCloudFogFactor(-2.f, 32767), 0.1f);
  EXPECT_NEAR(ISGCloudFogFactor(1.f, 32767), 0.5f + 0.5f * 32767 * 3.051851e-5f, 1e-6);
}

// A renderer whose vertex pool (or LOD table, or screen vertices) cannot grow
// ends the frame with status 1 and leaves nothing half-made: the next frame
// draws whole.
TEST_F(TerrainDraw, AllocationFailuresInTheFrameEndItCleanly) {
  ASSERT_EQ(DrawTerrain(), SG_ERROR_NONE);
  const auto whole = Frame();
  int failures = 0;
  for (std::uint32_t n = 1; n < 40; ++n) {
    // A fresh renderer has to grow its pools again.
    SGRendererDestroy(rend_);
    ASSERT_EQ(SGRendererCreate(ctx_, &rend_), SG_ERROR_NONE);
    SGRendererSetOptions(rend_, 1);
    SGRendererSetFrameBuffer(rend_, fb_);
    ASSERT_EQ(SGRendererEnableSoftwarePrimitives(rend_, 1), SG_ERROR_NONE);
    SGMallocFailAt(n);
    const SGError err = DrawTerrain();
    SGMallocFailAt(0);
    EXPECT_TRUE(err == SG_ERROR_NONE || err == SG_ERROR_NO_MEMORY) << n << " " << err;
    failures += err == SG_ERROR_NO_MEMORY ? 1 : 0;
    if (err == SG_ERROR_NO_MEMORY) {
      ASSERT_EQ(DrawTerrain(), SG_ERROR_NONE) << n;
      EXPECT_EQ(Frame().rgb, whole.rgb) << n;
    }
  }
  EXPECT_GE(failures, 3);
}

class TerrainDraw8 : public TerrainDraw {
 protected:
  IDirectDrawSurface* OpenFrame() override { return OpenIndexedFrame(); }
};

// On an 8-bit indexed frame buffer the terrain is drawn by the 8-bit fills:
// every pixel is one of the texture's two indices.
TEST_F(TerrainDraw8, IndexedFrameBufferTakesThe8BitFills) {
  ASSERT_EQ(DrawTerrain(), SG_ERROR_NONE);
  std::size_t covered = 0;
  for (int y = 0; y < static_cast<int>(fbtest::kGameHeight); ++y) {
    for (int x = 0; x < static_cast<int>(fbtest::kGameWidth); ++x) {
      const std::uint32_t p = Pixel(x, y);
      ASSERT_TRUE(p == 0 || p == 85 || p == 118) << x << "," << y << " " << p;
      covered += p != 0 ? 1 : 0;
    }
  }
  EXPECT_GT(covered, 150000u);
}

// The levels' flat colours with textures off are drawn by the 8-bit flat
// fill there, as palette indices, never as 16-bit pixels.
TEST_F(TerrainDraw8, LevelColoursAreIndicesOnAnIndexedFrameBuffer) {
  SGContextSetDebug(ctx_, SG_CTX_DEBUG_NO_TEXTURES);
  ASSERT_EQ(DrawTerrain(), SG_ERROR_NONE);
  SGContextSetDebug(ctx_, 0);
  std::set<std::uint32_t> seen;
  for (int y = 0; y < static_cast<int>(fbtest::kGameHeight); ++y) {
    for (int x = 0; x < static_cast<int>(fbtest::kGameWidth); ++x) {
      seen.insert(Pixel(x, y));
    }
  }
  const std::set<std::uint32_t> levels{0, 31, 63, 95, 127};
  for (const std::uint32_t p : seen) {
    EXPECT_TRUE(levels.count(p) == 1) << p;
  }
  EXPECT_GE(seen.size(), 3u);  // the background and at least two levels
}

}  // namespace
}  // namespace terraintest
