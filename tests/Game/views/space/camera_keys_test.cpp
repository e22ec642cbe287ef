// The 3D views' camera by key script: rates, Shift, two held keys, the frame
// rate scaling, the zoom limits, the grid plane's reach and the glide.
#include <gtest/gtest.h>

#include <cmath>

#include "Game/model/GGameData.h"
#include "Game/views/space/CVB3DView.h"
#include "Game/views/space/CVSolar.h"
#include "Game/views/world/CVSgWorld.h"
#include "Game/views/world/DisplayList.h"
#include "platform/user/keys.h"
#include "tests/Game/views/space/space_world.h"

namespace {

using namespace plat;
using space_test::SpaceWorld;
using space_test::TestView;

class CameraKeys : public SpaceWorld {
 protected:
  void Down(TestView& v, UINT key) {
    backend->KeyDown(key, 10);
    backend->RunUntilIdle();
    v.OnKeyDown(key, 0);
  }
  void Up(TestView& v, UINT key) {
    backend->KeyUp(key, 10);
    backend->RunUntilIdle();
    v.OnKeyUp(key, 0);
  }
  TestView& Ready() {
    TestView& v = Make3D();
    const double eye[3] = {1100, 1100, 1060}, at[3] = {1100, 1100, 1100};
    Place(eye, at);
    return v;
  }
};

TEST_F(CameraKeys, ShiftSlowsARunningTurnToAnEighthAndItsReleaseRestoresIt) {
  TestView& v = Ready();
  Down(v, VK_RIGHT);
  EXPECT_DOUBLE_EQ(v.turnRateX, 0.1f);
  EXPECT_EQ(v.cameraMoving, 1u);
  Down(v, VK_SHIFT);
  EXPECT_NEAR(v.turnRateX, 0.0125, 1e-7);
  Up(v, VK_SHIFT);
  EXPECT_NEAR(v.turnRateX, 0.1, 1e-7);
  Up(v, VK_RIGHT);

  // The zoom rates are not Shift's.
  Down(v, 'I');
  EXPECT_DOUBLE_EQ(v.zoomRate, 1.0);
  Down(v, VK_SHIFT);
  EXPECT_DOUBLE_EQ(v.zoomRate, 1.0);
  Up(v, VK_SHIFT);
  Up(v, 'I');
  // With Shift held a key starts slow.
  Down(v, VK_SHIFT);
  Down(v, VK_UP);
  EXPECT_NEAR(v.turnRateY, 0.0125, 1e-7);
  Down(v, 'O');
  EXPECT_DOUBLE_EQ(v.zoomRate, -0.125);
  Up(v, VK_SHIFT);
  EXPECT_NEAR(v.turnRateY, 0.1, 1e-7);
}

TEST_F(CameraKeys, ReleasingOneOfTwoHeldKeysKeepsTheCameraMovingAndBothSendOneMouseMove) {
  TestView& v = Ready();
  Down(v, VK_LEFT);
  Down(v, VK_DOWN);
  EXPECT_DOUBLE_EQ(v.turnRateX, -0.1f);
  EXPECT_DOUBLE_EQ(v.turnRateY, -0.1f);
  Up(v, VK_LEFT);
  EXPECT_EQ(v.cameraMoving, 1u);
  EXPECT_EQ(v.mouseRefreshCount, 0u);
  Up(v, VK_DOWN);
  EXPECT_EQ(v.cameraMoving, 0u);
  EXPECT_EQ(v.mouseRefreshCount, 1u);
  const int before = v.mouseMoves;
  v.Render(-1);
  EXPECT_EQ(v.mouseMoves, before + 1);
  g_animElapsedMs = 0;
  v.Render(-1);
  EXPECT_EQ(v.mouseMoves, before + 1);
  // An axis that is none of the three changes nothing.
  v.SetCameraRate(3, 5.f);
  EXPECT_EQ(v.cameraMoving, 0u);
}

TEST_F(CameraKeys, AtTwiceTheReferenceFrameRateEachRateActsAtHalfItsValue) {
  TestView& v = Ready();
  double before[3], after[3];
  v.SetCameraRate(2, 1.f);
  g_frameRate = 13.333333333333334;
  Camera(before);
  v.ApplyCameraMotion();
  Camera(after);
  EXPECT_NEAR(after[2] - before[2], 1.0, 1e-6);
  g_frameRate = 26.666666666666668;
  Camera(before);
  v.ApplyCameraMotion();
  Camera(after);
  EXPECT_NEAR(after[2] - before[2], 0.5, 1e-6);
  // A turn orbits the look-at point by half the angle too.
  v.SetCameraRate(2, 0.f);
  v.SetCameraRate(0, 0.1f);
  Camera(before);
  v.ApplyCameraMotion();
  Camera(after);
  const double angle = std::atan2(after[0] - 1100, 1100 - after[2]) - std::atan2(before[0] - 1100, 1100 - before[2]);
  EXPECT_NEAR(std::fabs(angle), 0.05, 1e-4);
  EXPECT_NEAR(DistanceSq(after, v.target), DistanceSq(before, v.target), 1e-6);
}

TEST_F(CameraKeys, TheZoomStopsAtTheViewsLimitsWithLimitReached) {
  TestView& v = Ready();
  g_frameRate = 13.333333333333334;
  v.SetCameraRate(2, 1.f);
  double at[3];
  for (int i = 0; i < 60; ++i) v.ApplyCameraMotion();
  Camera(at);
  EXPECT_LE(DistanceSq(at, v.target), 100.0);
  EXPECT_GT(DistanceSq(at, v.target), 80.0);
  EXPECT_EQ(Status(), "Limit reached");
  SharedScreen().statusText.clear();
  v.SetCameraRate(2, -1.f);
  for (int i = 0; i < 200; ++i) v.ApplyCameraMotion();
  Camera(at);
  EXPECT_GE(DistanceSq(at, v.target), 5000.0);
  EXPECT_LT(DistanceSq(at, v.target), 5200.0);
  EXPECT_EQ(Status(), Text("LIMITRCH"));
  // The solar view's limit is farther.
  v.maxDistance = 48000.0;
  SharedScreen().statusText.clear();
  for (int i = 0; i < 300; ++i) v.ApplyCameraMotion();
  Camera(at);
  EXPECT_GE(DistanceSq(at, v.target), 48000.0);
  EXPECT_LT(DistanceSq(at, v.target), 48500.0);
}

TEST_F(CameraKeys, TAndBMoveTheGridByOneAndAHalfAFrameNeverFartherThan25From1100) {
  TestView& v = Ready();
  Down(v, 'G');
  ASSERT_EQ(v.GridTileCount(), 16u);
  Down(v, 'T');
  EXPECT_FLOAT_EQ(v.gridRate, 1.5f);
  v.ApplyGridMotion();
  EXPECT_DOUBLE_EQ(v.GridHeight(), 1095.0);
  for (int i = 0; i < 40; ++i) v.ApplyGridMotion();
  EXPECT_LE(v.GridHeight(), 1125.0);
  EXPECT_GT(v.GridHeight(), 1123.0);
  Up(v, 'T');
  EXPECT_EQ(v.gridRate, 0.f);
  Down(v, 'B');
  for (int i = 0; i < 60; ++i) v.ApplyGridMotion();
  EXPECT_GE(v.GridHeight(), 1075.0);
  EXPECT_LT(v.GridHeight(), 1077.0);
  // Every tile moved with the plane.
  double tile[3];
  g_sgWorld->redraw = 0;
  v.displayList->Find(DISP_GRID, 15)->GetPosition(tile);
  EXPECT_DOUBLE_EQ(tile[1], v.GridHeight());
}

TEST_F(CameraKeys, AGlideFliesToTheObjectAndAKeyPressEndsIt) {
  TestView& v = Ready();
  Down(v, 'G');
  CVDispObj* tile = v.displayList->Find(DISP_GRID, 5);
  ASSERT_NE(tile, nullptr);
  g_frameRate = 13.333333333333334;
  v.FlyTo(tile);
  EXPECT_EQ(v.glideActive, 1u);
  double at[3], goal[3];
  tile->GetPosition(goal);
  for (int i = 0; i < 200 && v.glideActive; ++i) v.ApplyCameraMotion();
  EXPECT_EQ(v.glideActive, 0u);
  Camera(at);
  EXPECT_NEAR(std::sqrt(DistanceSq(at, goal)), 20.0, 0.5);
  // With the glide off the camera is placed at once.
  SharedScreen().cameraTravelOff = 1;
  v.FlyTo(v.displayList->Find(DISP_GRID, 0));
  EXPECT_EQ(v.glideActive, 0u);
  SharedScreen().cameraTravelOff = 0;
  v.FlyTo(tile);
  Down(v, VK_LEFT);
  v.ApplyCameraMotion();
  EXPECT_EQ(v.glideActive, 0u);
}

TEST_F(CameraKeys, KeysReachTheSubclassesCommands) {
  TestView& v = Ready();
  Down(v, VK_SPACE);
  Down(v, 'Z');
  EXPECT_EQ(v.cameraUpdates, std::vector<int>{1});
  EXPECT_EQ(v.modeCycles, std::vector<int>{1});
  EXPECT_EQ(v.OnKeyDown('Q', 0), 1);
  Down(v, VK_OEM_4);
  EXPECT_EQ(Status(), "Processing Command...");
  // Shift+Space: back to the home pose.
  const double away[3] = {1120, 1090, 1070};
  Place(away, v.target);
  Down(v, VK_SHIFT);
  Down(v, VK_SPACE);
  Up(v, VK_SHIFT);
  double at[3];
  Camera(at);
  EXPECT_NEAR(at[0], v.homePosition[0], 1e-9);
  EXPECT_NEAR(at[2], v.homePosition[2], 1e-9);
  EXPECT_EQ(v.fogUpdatePending, 1u);
  // While the start message is up a key only leaves it.
  v.startScreenShown = 1;
  Down(v, VK_RIGHT);
  EXPECT_EQ(v.turnRateX, 0.0);
}

TEST_F(CameraKeys, WWithNothingSelectedFliesToTheAsteroidTheSolarViewFlashes) {
  TestView& v = Make3D(VIEW_SOLAR);
  const double eye[3] = {1100, 1100, 900}, at[3] = {1100, 1100, 1100};
  Place(eye, at);
  ASSERT_EQ(g_gameData->GetSelectionCount(), 0u);
  CVDispObj* flashed = v.CreateAsteroidObject(g_gameData->solarDB.GetAsteroid(2));
  ASSERT_NE(flashed, nullptr);
  g_highlightAsteroid = 2;
  Down(v, 'W');
  EXPECT_EQ(v.glideActive, 1u);
  EXPECT_EQ(v.glideObject, flashed);
  // Only the solar view flashes an asteroid; and with none flashed W stays put.
  v.StopCameraMotion();
  v.type = VIEW_ASTEROID_SPACE;
  Down(v, 'W');
  EXPECT_EQ(v.glideActive, 0u);
  v.type = VIEW_SOLAR;
  g_highlightAsteroid = 0xFFFF;
  Down(v, 'W');
  EXPECT_EQ(v.glideActive, 0u);
}

// Ctrl+S, Ctrl+L and Ctrl+V open a dialog, which takes Ctrl's release: the
// view must not go on acting as if Ctrl were held.
TEST_F(CameraKeys, CtrlLetGoInADialogNoLongerCounts) {
  TestView& v = Ready();
  Down(v, VK_CONTROL);
  ASSERT_EQ(g_3dCtrlHeld, 1u);
  backend->KeyUp(VK_CONTROL, 10);
  backend->RunUntilIdle();
  // F1 recalls its group rather than programming it from the empty selection.
  Down(v, VK_F1);
  EXPECT_EQ(Status(), Text("NOGROUP_"));
  EXPECT_EQ(g_3dCtrlHeld, 0u);
  // A free camera turns in place again instead of sliding.
  Down(v, VK_CONTROL);
  backend->KeyUp(VK_CONTROL, 10);
  backend->RunUntilIdle();
  v.mode = space_test::kFree;
  double before[3], after[3];
  Camera(before);
  v.SetCameraRate(0, 0.1f);
  v.ApplyCameraMotion();
  Camera(after);
  EXPECT_LT(DistanceSq(before, after), 1e-12);
  // While Ctrl is down the free camera slides.
  Down(v, VK_CONTROL);
  v.ApplyCameraMotion();
  Camera(before);
  EXPECT_GT(DistanceSq(before, after), 1.0);
}

}  // namespace
