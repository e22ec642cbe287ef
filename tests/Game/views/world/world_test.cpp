// The world owner's camera, fog, eye rays and frames, and the star field's
// window, scrolling and painting.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "sg/core/apphooks.h"
#include "sg/render/renderer.h"
#include "tests/Game/views/world/world_screen.h"

namespace {

using namespace world_test;

class WorldTest : public WorldScreen {};

float Far(CVSgWorld* w) {
  std::uint32_t colour = 0;
  float far = 0.f;
  std::uint8_t* table = nullptr;
  SGRendererGetFog(w->renderer, &colour, &far, &table);
  return far;
}

TEST_F(WorldTest, WithoutASceneAFrameDrawsNothingNotEvenTheSky) {
  world = new CVSgWorld(nullptr, g_ddraw, screen, 0);
  ASSERT_NE(world->frameBuffer, nullptr);
  ASSERT_NE(world->starField, nullptr);
  EXPECT_EQ(world->RenderFrame(), 1u);
  const plat::Image view = View();
  for (std::uint32_t p : view.rgb) ASSERT_EQ(p, 0u);
  EXPECT_EQ(world->fogBaseDistance, 200.0);
  EXPECT_EQ(world->IsDistanceFogOn(), 1u);
  EXPECT_EQ(g_animElapsedMs, 0u);
}

TEST_F(WorldTest, TheGamesHooksAcceptEveryDataPathAndTakeTheNameAsPrepared) {
  world = new CVSgWorld(nullptr, g_ddraw, screen, 0);
  char name[16] = "prepared";
  EXPECT_EQ(ISGCallContextNameHook(name, sizeof name), name);
  EXPECT_STREQ(name, "prepared");
  EXPECT_EQ(ISGCallCheckDataPathHook("Z:\\NOWHERE\\"), 0);
  SGSetApplicationHooks(nullptr, nullptr);
}

TEST_F(WorldTest, FogFollowsTheCameraAndItsSwitches) {
  MakeWorld();
  // At or beyond the base distance the fog closes in at 1.0.
  world->ApplyFog(400.0);
  EXPECT_FLOAT_EQ(Far(world), 1.f);
  // Within 200 of the origin (negative components pushed 100 further) the
  // offset is 90; at L = 250 it is 3 x 250 - 380 = 370.
  world->SetCameraPosition(100.0, -50.0, 0.0);
  EXPECT_EQ(world->UpdateDistanceFog(0.0), 1u);
  EXPECT_EQ(world->lastFogOffset, 90.0);
  world->SetCameraPosition(150.0, 200.0, 0.0);
  world->UpdateDistanceFog(0.0);
  EXPECT_DOUBLE_EQ(world->lastFogOffset, 370.0);
  world->UpdateDistanceFog(12.5);
  EXPECT_EQ(world->lastFogOffset, 12.5);
  // Off, then on again: the base stays 1000, so the far distance is 900.
  world->DisableDistanceFog();
  EXPECT_EQ(world->UpdateDistanceFog(12.5), 0u);
  EXPECT_FLOAT_EQ(Far(world), 1000.f);
  world->EnableDistanceFog();
  EXPECT_FLOAT_EQ(Far(world), 900.f);
  std::uint32_t colour = 0;
  float far = 0.f;
  std::uint8_t* table = nullptr;
  SGRendererGetFog(world->renderer, &colour, &far, &table);
  EXPECT_NE(table, nullptr);  // built once, on the first switch
}

TEST_F(WorldTest, CameraSetsAreRecordedAndRebuiltOnceWhenRead) {
  MakeWorld();
  world->SetCameraPosition(1.0, 2.0, 3.0);
  EXPECT_EQ(world->positionDirty, 1u);
  EXPECT_TRUE(world->NeedsRedraw());
  // The second set rebuilds the first's transform before it.
  world->SetCameraPosition(4.0, 5.0, 6.0);
  EXPECT_DOUBLE_EQ(world->currentCamera->instXform.m[3][0], 1.0);
  double p[3];
  world->GetCameraPosition(p);
  EXPECT_EQ(p[0], 4.0);
  EXPECT_FALSE(world->NeedsRedraw());
  // Looking straight along the up vector turns the up vector aside.
  world->SetCameraOrientationXYZ(0, 0, 1, 0, 1, 0);
  const double above[3] = {4.0, 50.0, 6.0};
  world->LookAt(above);
  float f[3], u[3];
  world->GetCameraForward(f);
  world->GetCameraUp(u);
  EXPECT_NEAR(f[1], 1.f, 1e-5);
  EXPECT_NEAR(f[0] * u[0] + f[1] * u[1] + f[2] * u[2], 0.f, 1e-5);
  EXPECT_GT(std::fabs(u[0]) + std::fabs(u[2]), 0.9f);
  world->SetCameraRange(250.f);
  EXPECT_FLOAT_EQ(static_cast<SGViewData*>(world->currentCamera->instData)->viYon, 250.f);
  EXPECT_FLOAT_EQ(static_cast<SGViewData*>(world->currentCamera->instData)->viMaxYon, 250.f);
}

TEST_F(WorldTest, EyeRaysStayInsideTheViewport) {
  MakeWorld();
  const double eye[3] = {1100.0, 1100.0, 1080.0}, at[3] = {1100.0, 1100.0, 1100.0};
  Look(eye, at);
  float dir[3];
  // Before the first frame there is no projection to undo.
  EXPECT_EQ(world->ScreenToWorld(300, 200, dir), 0u);
  ASSERT_EQ(world->RenderFrame(), 1u);
  const int left = CVSgWorld::kViewLeft, top = CVSgWorld::kViewTop;
  ASSERT_EQ(world->ScreenToWorld(left + 292, top + 183, dir), 1u);
  EXPECT_NEAR(dir[2], 1.f, 0.001f);
  // The viewport, not the frame buffer, bounds the pixel.
  EXPECT_EQ(world->ScreenToWorld(left + 585, top, dir), 0u);
  EXPECT_EQ(world->ScreenToWorld(left - 1, top, dir), 0u);
  EXPECT_EQ(world->ScreenToWorld(left + 584, top + 366, dir), 1u);
  EXPECT_EQ(world->ScreenToWorld(left + 584, top + 367, dir), 0u);
  // The top-left corner looks up and to the camera's left.
  ASSERT_EQ(world->ScreenToWorld(left, top, dir), 1u);
  EXPECT_GT(dir[1], 0.3f);
  EXPECT_GT(dir[0], 0.3f);
}

TEST_F(WorldTest, WithoutAFrameBufferFramesAndPicksAreRefusedAndThePlayerToldOnce) {
  world = new CVSgWorld(nullptr, g_ddraw, nullptr, 0);  // no surface to draw into
  EXPECT_EQ(world->frameBuffer, nullptr);
  SGScene* scene = nullptr;
  ASSERT_EQ(SGSceneCreate(world->context, &scene), SG_ERROR_NONE);
  world->solarScene = scene;
  world->SetScene(scene);
  EXPECT_EQ(world->RenderFrame(), 0u);
  SGInstance* hit = nullptr;
  double point[3];
  EXPECT_EQ(world->PickScreenPoint(100, 200, &hit, point), 0u);
  EXPECT_EQ(world->RenderFrame(), 0u);
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_NE(Messages()[0].find("3D view"), std::string::npos);
  EXPECT_EQ(world->Destroy(), 0u);
}

// --- The star field --------------------------------------------------------

class StarFieldTest : public WorldScreen {
 protected:
  plat::Image Picture() { return SpriteImage(sky->picture, {0, 0, 585, 367}); }
  CVStarField* sky = nullptr;
  void TearDown() override {
    delete sky;
    WorldScreen::TearDown();
  }
};

TEST_F(StarFieldTest, TheSkyShowsGreyStarsAndNebulae) {
  sky = new CVStarField(g_ddraw, screen, 24, 1, 1);
  EXPECT_EQ(sky->placementCount, 24);
  EXPECT_EQ(sky->placements[0].left / 512, 5);  // the first placement takes the middle cell
  EXPECT_EQ(sky->placements[0].top / 512, 3);
  EXPECT_EQ(sky->window.left, 2340);
  EXPECT_EQ(sky->window.right, 2340 + 585);
  EXPECT_TRUE(quentest::MatchesGolden(Picture(), Golden("star_field")));
  sky->BltToSurface();
  EXPECT_EQ(Pixel(screen, 29 + 100, 98 + 100), Pixel(sky->picture, 100, 100));
}

TEST_F(StarFieldTest, ASmallTurnScrollsAndPaintsOnlyTheStripThatCameIntoView) {
  sky = new CVStarField(g_ddraw, screen, 0, 1, 1);
  const plat::Image before = Picture();
  sky->ScrollX(0.01f);  // 8 pixels
  EXPECT_EQ(sky->window.left, 2340 - 8);
  const plat::Image after = Picture();
  for (int y = 0; y < 367; ++y)
    for (int x = 8; x < 585; ++x) ASSERT_EQ(after.rgb[y * 585 + x], before.rgb[y * 585 + x - 8]) << x << "," << y;
  int painted = 0;
  for (int y = 0; y < 367; ++y)
    for (int x = 0; x < 8; ++x) painted += after.rgb[y * 585 + x] != 0;
  EXPECT_GT(painted, 0);
  sky->ScrollY(-0.01f);  // 5 rows up
  EXPECT_EQ(sky->window.top, 1468 + 5);
  // A turn above 0.4 radians paints the window anew.
  sky->ScrollX(0.5f);
  const plat::Image fresh = Picture();
  int same = 0, lit = 0;
  for (std::size_t i = 0; i < fresh.rgb.size(); ++i) {
    lit += fresh.rgb[i] != 0;
    same += fresh.rgb[i] != 0 && fresh.rgb[i] == after.rgb[i];
  }
  EXPECT_GT(lit, 1000);
  EXPECT_LT(same, lit / 10);
}

TEST_F(StarFieldTest, AWrappingWindowDrawsNebulaeFromTheSkysStartAfterItsEnd) {
  sky = new CVStarField(g_ddraw, screen, 0, 0, 1);
  CSprite nebula(g_ddraw, nullptr, kNoColourKey, 128, 128, 0, 0, 0);
  nebula.FillSurface(plat::RGB(255, 0, 0), nullptr);
  CVNebulaPlacement placement{100, 1500, 228, 1628, &nebula};
  sky->placements = new CVNebulaPlacement[1]{placement};
  sky->placementCount = 1;
  sky->onFlag = 1;
  sky->window = {5000, 1400, 320, 1767};
  sky->Clear();
  sky->PaintAll();
  EXPECT_EQ(Pixel(sky->picture, 265 + 100, 100), 0xF800);
  EXPECT_EQ(Pixel(sky->picture, 265 + 99, 100) == 0xF800, false);
  sky->placements[0].sprite = nullptr;
  // Switched off, the sky is cleared and paints nothing.
  sky->Toggle();
  EXPECT_EQ(sky->onFlag, 0u);
  sky->PaintAll();
  for (std::uint32_t p : Picture().rgb) ASSERT_EQ(p, 0u);
  sky->Toggle();
  EXPECT_EQ(sky->onFlag, 1u);
}

TEST_F(StarFieldTest, TheWindowFollowsTheCameraAndJumpsRepaintWhole) {
  sky = new CVStarField(g_ddraw, screen, 0, 1, 1);
  plat::RECT r;
  const float ahead[3] = {0.f, 0.f, 1.f};
  CVStarField::WindowFor(0, ahead, &r);
  // Straight ahead: yaw 0 less the 0.7 offset, pitch 0.
  const int cx = static_cast<std::uint16_t>(static_cast<int>((5265 + 0.7 * 5265 / 3.14159265358979) / 3));
  EXPECT_EQ(r.left, cx - 292);
  EXPECT_EQ(r.right, cx + 292);
  EXPECT_EQ(r.top, 3303 / 2 - 183);
  const float up[3] = {0.f, 1.f, 0.f};
  sky->Orient(0, ahead, up, 0);
  EXPECT_EQ(sky->window.left, r.left);
  // A small turn moves the window a little; locked, it stays.
  const float turned[3] = {0.02f, 0.f, 1.f};
  sky->Orient(0, turned, up, 0);
  EXPECT_NE(sky->window.left, r.left);
  const plat::RECT moved = sky->window;
  sky->lockFlag = 1;
  const float back[3] = {0.f, 0.f, -1.f};
  sky->Orient(0, back, up, 0);
  EXPECT_EQ(sky->window.left, moved.left);
}

}  // namespace
