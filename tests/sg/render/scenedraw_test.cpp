// Whole frames drawn through SGSceneDraw into the game's frame buffer,
// compared with golden pictures.

#include <cmath>
#include <memory>
#include <tuple>

#include "sg/fb/lut.h"
#include "sg/render/dropshadow.h"
#include "sg/render/horizon.h"
#include "support/renderfixture.h"

namespace rendertest {
namespace {

using SceneDrawTest = RenderTest;

TEST_F(SceneDrawTest, EachMaterialTypeLitAndUnlit) {
  PlaceMaterialRow();
  ASSERT_EQ(Draw(), SG_ERROR_NONE);
  ExpectGolden("materials_unlit");
  BuildShadeTable();
  AddLight(0.3f, 1.f, -0.6f);
  ASSERT_EQ(Draw(), SG_ERROR_NONE);
  ExpectGolden("materials_lit");
}

// A ring of 17 billboards seen from above at a slant, each turned a 17th of a
// turn further: each shows the image of the azimuth it is seen from (8
// around) and of its polar angle (3 rows).
TEST_F(SceneDrawTest, BillboardRingShowsTheImageOfEachViewAngle) {
  SGModel* model = Keep(Billboard(1.2f, 1.6f, 8, 3));
  std::vector<SGMaterial*> images;
  for (int i = 0; i < 24; ++i) {
    images.push_back(
        Keep(Material(SG_MAT_TYPE_TRANSPARENT_TEXTURE, 0, Texture(32, 32, static_cast<std::uint8_t>(161 + i), 0))));
  }
  for (int i = 0; i < 17; ++i) {
    const double a = 2.0 * 3.14159265358979 * i / 17.0;
    SGInstance* inst = Place(model, images, 8.0 * std::cos(a), 8.0 * std::sin(a), 0.0);
    const float up[3] = {0.f, 0.f, 1.f};
    const float forward[3] = {static_cast<float>(std::sin(a)), static_cast<float>(std::cos(a)), 0.f};
    SGInstanceSetOrientationUp(inst, up, forward);
    SGInstanceUpdate(inst);
  }
  LookFrom(0.0, -22.0, 9.0, 0.f, 0.92f, -0.39f);
  ASSERT_EQ(Draw(), SG_ERROR_NONE);
  ExpectGolden("billboard_ring");
}

// Boxes that overlap on the screen are drawn farthest first; a box of higher
// sort priority is drawn over its neighbours in the same bucket.
TEST_F(SceneDrawTest, OverlappingBoxesDrawFarthestFirst) {
  SGModel* box = Keep(Box(1.5f, 1.5f, 1.5f, 1));
  for (int i = 0; i < 5; ++i) {
    SGMaterial* mat = Keep(Material(SG_MAT_TYPE_FLAT, static_cast<std::uint8_t>(33 + 37 * i), nullptr));
    Place(box, {mat}, -3.0 + 1.4 * i, 6.0 * i, 0.3 * i);
  }
  SGMaterial* front = Keep(Material(SG_MAT_TYPE_FLAT, 250, nullptr));
  SGInstance* raised = Place(Keep(Box(0.8f, 0.8f, 0.8f, 1)), {front}, 2.5, 14.0, 2.0);
  SGInstanceSetSortPriority(raised, 2.f);
  ASSERT_EQ(Draw(), SG_ERROR_NONE);
  ExpectGolden("sort_overlaps");
}

// Boxes across each side of the view, the near and the far plane are clipped
// to the view: nothing is drawn outside the frame and no triangle is lost.
TEST_F(SceneDrawTest, BoxesAcrossEveryPlaneAreClipped) {
  SGModel* box = Keep(Box(2.f, 2.f, 2.f, 6));
  std::vector<SGMaterial*> sides;
  for (int s = 0; s < 6; ++s) {
    sides.push_back(Keep(Material(SG_MAT_TYPE_TEXTURE, 0, Texture(32, 32, static_cast<std::uint8_t>(3 + 40 * s), 9))));
  }
  const double y = 20.0;  // 40 ahead of the camera
  const double halfWidth = std::tan(22.5 * 3.14159265358979 / 180.0) * 585.0 / 367.0 * 40.0;
  const double halfHeight = std::tan(22.5 * 3.14159265358979 / 180.0) * 40.0;
  Place(box, sides, -halfWidth, y, 0.0);
  Place(box, sides, halfWidth, y, 0.0);
  Place(box, sides, 0.0, y, halfHeight);
  Place(box, sides, 0.0, y, -halfHeight);
  Place(box, sides, 3.0, -18.0, -1.0);  // across the near plane
  Place(box, sides, -4.0, 180.0, 3.0);  // across the far plane
  LookFrom(0.0, -20.0, 0.0, 0.f, 1.f, 0.f);
  SGInstanceSetCamera(camera_, 45.f, 585.f / 367.f, 1.5f, 200.f);
  ASSERT_EQ(Draw(), SG_ERROR_NONE);
  ExpectGolden("clip_planes");
}

// A long textured floor seen at a grazing angle, with and without perspective
// subdivision: subdivided, the texture's squares shrink with distance.
TEST_F(SceneDrawTest, SubdivisionKeepsTexturesInPerspective) {
  SGMaterial* mat = Keep(Material(SG_MAT_TYPE_TEXTURE, 0, Texture(64, 64, 100, 200, 8)));
  Place(Keep(Box(6.f, 40.f, 0.1f, 1)), {mat}, 0.0, 22.0, -3.0);
  LookFrom(0.0, -20.0, 0.0, 0.f, 1.f, 0.f);
  SGRendererClearRenderOptions(rend_, SG_REND_OPT_PERSPECTIVE);
  ASSERT_EQ(Draw(), SG_ERROR_NONE);
  const Image affine = Frame();
  ExpectGolden("subdivision_off");
  SGRendererSetRenderOptions(rend_, SG_REND_OPT_PERSPECTIVE);
  ASSERT_EQ(Draw(), SG_ERROR_NONE);
  ExpectGolden("subdivision_on");
  EXPECT_NE(affine.rgb, Frame().rgb);
}

// Boxes floating over the ground each lay a dark quad under themselves; a box
// whose shadow is disabled lays none.
TEST_F(SceneDrawTest, DropShadowsLieOnTheGroundUnderTheirInstances) {
  BuildShadeTable();
  SGModel* box = Keep(Box(1.f, 1.f, 1.f, 1));
  for (int i = 0; i < 3; ++i) {
    SGMaterial* mat = Keep(Material(SG_MAT_TYPE_TEXTURE, 0, Texture(32, 32, static_cast<std::uint8_t>(200 + i), 7)));
    SGInstance* inst = Place(box, {mat}, -5.0 + 5.0 * i, 0.0, 3.0);
    ASSERT_EQ(SGDropShadowCreate(inst), SG_ERROR_NONE);
    SGDropShadowSetSize(inst, 3.f + static_cast<float>(i), 2.f);
    SGDropShadowSetColour(inst, Keep(Material(SG_MAT_TYPE_FLAT, 200, nullptr))->matColour);
    SGDropShadowSetShade(inst, 40, 1);
    SGDropShadowEnable(inst, i != 2 ? 1 : 0);
  }
  LookFrom(0.0, -14.0, 10.0, 0.f, 0.8f, -0.6f);
  ASSERT_EQ(Draw(), SG_ERROR_NONE);
  ExpectGolden("drop_shadows");
}

TEST_F(SceneDrawTest, HorizonDrawsSkyFadeBandAndGroundBehindTheInstances) {
  std::uint32_t ignored = 0;
  EXPECT_EQ(SGRendererToggleHorizon(rend_), SG_ERROR_NO_HORIZON);
  EXPECT_EQ(SGRendererGetHorizonColours(rend_, &ignored, &ignored), SG_ERROR_NO_HORIZON);
  PlaceHorizonScene();
  EXPECT_EQ(SGRendererHorizonShown(rend_), 1u);
  ASSERT_EQ(Draw(), SG_ERROR_NONE);
  ExpectGolden("horizon");
  EXPECT_EQ(SGRendererToggleHorizon(rend_), SG_ERROR_NONE);
  ASSERT_EQ(Draw(), SG_ERROR_NONE);
  EXPECT_EQ(Pixel(5, 5), 0u);
}

// The highest point of a background polygon, and whether any point has the height.
float Top(const SGHorizonPoly& poly) {
  float top = -1e30f;
  for (std::uint32_t i = 0; i < poly.count; ++i) top = std::fmax(top, poly.p[i][2]);
  return top;
}

// The ground lies 4 scene LOD distances below the eye's ground plane: the
// region below it drops by exactly that.
TEST_F(SceneDrawTest, TheGroundLiesFourSceneDistancesBelowTheEyesPlane) {
  PlaceHorizonScene();
  SGRendererSetHorizonAngle(rend_, 0.15f, -1.f);  // a horizon at eye height, above the ground
  LookFrom(0.0, -20.0, 8.0, 0.f, 1.f, 0.f);
  ASSERT_EQ(Draw(), SG_ERROR_NONE);
  SGHorizonPoly sky, fade, ground;
  std::uint32_t mode = 99;
  scene_->scnLODDist = 0.f;
  ASSERT_EQ(ISGRendererHorizonGeometry(rend_, scene_, &sky, &fade, &ground, &mode), SG_ERROR_NONE);
  EXPECT_EQ(mode, SG_HZ_MODE_OPEN);
  ASSERT_GE(ground.count, 3u);
  const float flat = Top(ground);
  scene_->scnLODDist = 1.5f;
  ASSERT_EQ(ISGRendererHorizonGeometry(rend_, scene_, &sky, &fade, &ground, &mode), SG_ERROR_NONE);
  ASSERT_GE(ground.count, 3u);
  EXPECT_NEAR(flat - Top(ground), 6.f, 1e-3f);
  EXPECT_LT(flat, -8.f);
}

// A covered scene seen from under its cover draws no background (its
// sub-scene's ceiling is behind); from above, no ground, and the band below
// the sky in the cover's colour, made once.
TEST_F(SceneDrawTest, ACoveredScenesBackgroundFollowsTheCover) {
  PlaceHorizonScene();
  ASSERT_EQ(Draw(), SG_ERROR_NONE);
  SGHorizonPoly sky, fade, ground;
  std::uint32_t mode = 99;
  scene_->scnFlags |= SG_SCN_FLAG_COVERED;
  scene_->scnCover.covColour = 0xF0F0F000u | 7;
  scene_->scnCover.covHeight = 8.f;
  ASSERT_EQ(ISGRendererHorizonGeometry(rend_, scene_, &sky, &fade, &ground, &mode), SG_ERROR_NONE);
  EXPECT_EQ(mode, SG_HZ_MODE_UNDER_COVER);
  EXPECT_EQ(sky.count + fade.count + ground.count, 0u);
  scene_->scnCover.covHeight = 2.f;
  ASSERT_EQ(ISGRendererHorizonGeometry(rend_, scene_, &sky, &fade, &ground, &mode), SG_ERROR_NONE);
  EXPECT_EQ(mode, SG_HZ_MODE_ABOVE_COVER);
  EXPECT_GE(sky.count, 3u);
  EXPECT_GE(fade.count, 3u);
  EXPECT_EQ(ground.count, 0u);
  EXPECT_EQ(rend_->renHorizon.renCoverMaterial, nullptr) << "made on first need";
  ASSERT_EQ(ISGRendererMakeCoverMaterial(rend_, scene_), SG_ERROR_NONE);
  SGMaterial* cover = rend_->renHorizon.renCoverMaterial;
  ASSERT_NE(cover, nullptr);
  EXPECT_EQ(std::make_tuple(cover->matType, cover->matColour), std::make_tuple(SG_MAT_TYPE_FLAT, 0xF0F0F007u));
  ASSERT_EQ(ISGRendererMakeCoverMaterial(rend_, scene_), SG_ERROR_NONE);
  EXPECT_EQ(rend_->renHorizon.renCoverMaterial, cover);
  scene_->scnFlags &= ~SG_SCN_FLAG_COVERED;
  EXPECT_EQ(ISGRendererMakeCoverMaterial(rend_, scene_), SG_ERROR_UNSUPPORTED) << "an open scene has no cover";
}

// A sub-scene draws nothing from under its cover; from above, its heights
// are the super-scene's and its yon that of the cloud's fog at the eye.
TEST_F(SceneDrawTest, ASubScenesBackgroundStandsOverTheCoverAsFarAsTheFogReaches) {
  PlaceHorizonScene();
  ASSERT_EQ(Draw(), SG_ERROR_NONE);
  auto sub = std::make_unique<SGScene>();
  sub->scnFlags = SG_SCN_FLAG_SUB_SCENE;
  sub->scnSuperScene = scene_;
  sub->scnCover.covScale[0] = 0.5f;
  sub->scnCover.covScale[1] = 1.f;
  scene_->scnCover.covHeight = 4.f;
  const float maxYon = rend_->renViewData->viMaxYon;
  EXPECT_FLOAT_EQ(ISGSubSceneFogYon(rend_, sub.get(), 0.f), 0.5f * maxYon);
  EXPECT_FLOAT_EQ(ISGSubSceneFogYon(rend_, sub.get(), 2.f), 0.75f * maxYon);
  EXPECT_FLOAT_EQ(ISGSubSceneFogYon(rend_, sub.get(), 40.f), maxYon);

  SGHorizonPoly sky, fade, ground;
  std::uint32_t mode = 99;
  rend_->renEye[2] = 0.0;
  ASSERT_EQ(ISGRendererHorizonGeometry(rend_, sub.get(), &sky, &fade, &ground, &mode), SG_ERROR_NONE);
  EXPECT_EQ(mode, SG_HZ_MODE_ABOVE_COVER);
  EXPECT_EQ(sky.count + fade.count + ground.count, 0u);

  rend_->renEye[2] = 2.0;  // 6 over the super-scene's ground
  ASSERT_EQ(ISGRendererHorizonGeometry(rend_, sub.get(), &sky, &fade, &ground, &mode), SG_ERROR_NONE);
  EXPECT_EQ(mode, SG_HZ_MODE_UNDER_COVER);
  const float yon = 0.75f * maxYon;
  const float horizon = -6.f / (100.f + yon) * yon;
  ASSERT_GE(fade.count, 3u);
  float lowest = 1e30f;
  for (std::uint32_t i = 0; i < fade.count; ++i) lowest = std::fmin(lowest, fade.p[i][2]);
  EXPECT_NEAR(lowest, horizon, 1e-3f);
  // The far rectangle stands at the fog's yon.
  const float* p = sky.p[0];
  const float reach = std::sqrt(p[0] * p[0] + p[1] * p[1] + p[2] * p[2]);
  EXPECT_GT(reach, 0.999f * yon * 0.999f);
  EXPECT_LT(reach, 2.f * yon);
}

// Boxes ever farther into the fog band fade towards the fog colour; the last
// stands beyond the yon and is not drawn.
TEST_F(SceneDrawTest, FogFadesDistantInstancesTowardsItsColour) {
  PlaceFogRow();
  ASSERT_EQ(Draw(), SG_ERROR_NONE);
  ExpectGolden("fog");
}

}  // namespace
}  // namespace rendertest
