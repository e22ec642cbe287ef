// The solar-system view: where game locations land in the world, the camera
// over the asteroids and its modes, the start screen and its leaving, the
// future view's commands and steps, the saved block and its refusals, and
// the picture of the start screen.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "Game/model/GAsteroid.h"
#include "Game/model/GChapter.h"
#include "Game/views/frame/CPopupMenu.h"
#include "Game/views/space/CVSolar.h"
#include "Game/views/world/CVDispObj.h"
#include "Game/views/world/CVSgWorld.h"
#include "Game/views/world/DisplayList.h"
#include "tests/Game/views/space/space_world.h"
#include "tests/support/golden.h"

namespace {

using namespace views_test;
using space_test::SpaceWorld;

class SolarView : public SpaceWorld {
 protected:
  void TearDown() override {
    solar.reset();
    SharedScreen().futureView = 0;
    SharedScreen().futureViewState = 0;
    SpaceWorld::TearDown();
  }
  CVSolar& Make() {
    // Every asteroid shown unless a test plays under fog of war.
    g_gameData->SetGuildScanVisibility(0);
    solar = std::make_unique<CVSolar>(window, program);
    SuspendScreenFlush(0);
    return *solar;
  }
  static void Position(CVSolar& v, std::uint16_t asteroid, double out[3]) {
    CVDispObj* object = v.displayList->Find(DISP_ASTEROID, asteroid);
    ASSERT_NE(object, nullptr);
    object->GetPosition(out);
  }
  std::unique_ptr<CVSolar> solar;
};

TEST_F(SolarView, LocationsSpanTheCubeFrom1000To1200) {
  CVSolar& v = Make();
  double at[3];
  v.LocationToWorld(Location{0, -32768, 0, 32767}, at);
  EXPECT_NEAR(at[0], 999.997, 1e-3);
  EXPECT_NEAR(at[1], 1100.0, 1e-2);
  EXPECT_NEAR(at[2], 1200.0, 1e-2);
  // Every asteroid has its object where its location says.
  for (std::uint16_t a = 0; a < 4; ++a) {
    Location l;
    g_gameData->solarDB.GetAsteroid(a)->GetPosition(&l);
    double expected[3], shown[3];
    v.LocationToWorld(l, expected);
    Position(v, a, shown);
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(shown[i], expected[i], 1e-3) << a;
  }
  EXPECT_EQ(v.GetCurrentAsteroidId(), 4);
  EXPECT_EQ(v.GetViewType(), VIEW_SOLAR);
}

TEST_F(SolarView, TheOverviewCameraStandsLowerForMoreAsteroids) {
  CVSolar& v = Make();
  double eye[3];
  v.UpdateCamera(0);
  Camera(eye);
  EXPECT_NEAR(eye[2], 1040.0 - 4 * 0.6, 1e-3);
  EXPECT_NEAR(eye[0], 1100.0, 1e-3);
  const std::uint16_t saved = g_numAsteroids;
  g_numAsteroids = 100;
  v.UpdateCamera(0);
  Camera(eye);
  EXPECT_NEAR(eye[2], 980.0, 1e-3);
  g_numAsteroids = 0;
  v.UpdateCamera(0);
  Camera(eye);
  EXPECT_NEAR(eye[2], 1040.0, 1e-3);
  g_numAsteroids = saved;
}

// Nothing marked or selected: the solar view goes into the slot under the
// menu, also at the slot's right edge past x = 320.
TEST_F(SolarView, SetGotoFillsTheSlotUnderTheMenuAtItsEdge) {
  CVSolar& v = Make();
  const std::size_t first = static_cast<std::size_t>(kGotoColumns * SharedScreen().gotoGroup);
  SharedScreen().gotoSlots[first + 3] = GotoEntry{};
  SharedScreen().gotoSlots[first + 4] = GotoEntry{};
  SharedScreen().popupMenu = new CPopupMenu(SharedScreen().viewDDraw, SharedScreen().viewWnd,
                                            SharedScreen().screenSprite, GotoColumnLeft(4) - 1, 40, 0xFFFF, 0);
  EXPECT_EQ(v.OnMenuCommand(501), 1);
  EXPECT_EQ(SharedScreen().gotoSlots[first + 3].kind, GOTO_SOLAR);
  EXPECT_EQ(SharedScreen().gotoSlots[first + 4].kind, GotoEntry{}.kind);
}

TEST_F(SolarView, CameraModesCycleBothWaysWithTheirTexts) {
  CVSolar& v = Make();
  EXPECT_EQ(v.GetCameraMode(), 2);
  v.SetCameraMode(1);
  v.CycleCameraMode(0);
  EXPECT_EQ(v.GetCameraMode(), 3);
  EXPECT_TRUE(v.IsCameraFree());
  EXPECT_EQ(Status(), "Free motion camera mode");
  v.CycleCameraMode(1);
  EXPECT_EQ(v.GetCameraMode(), 1);
  EXPECT_TRUE(v.IsCameraLinear());
  EXPECT_EQ(Status(), "Linear camera mode");
  v.CycleCameraMode(1);
  EXPECT_EQ(Status(), "Solar Center Camera Mode");
  EXPECT_EQ(SharedScreen().statusShown, 26);
}

TEST_F(SolarView, TheStartScreenRunsTheFutureViewUntilAKeyOrClick) {
  CVSolar& v = Make();
  EXPECT_EQ(v.startScreenShown, 1u);
  EXPECT_EQ(SharedScreen().futureView, 1u);
  EXPECT_EQ(Status(), "Press any key to start the game");
  // Nothing is left before the view has been drawn once.
  v.LeaveStartScreen();
  EXPECT_EQ(v.startScreenShown, 1u);
  // The orbits run one turn per 75 ms behind it.
  v.PlayFrameAnimation(80);
  EXPECT_EQ(v.activated, 1u);
  EXPECT_EQ(v.futureTurns, 1);
  v.PlayFrameAnimation(80);
  EXPECT_EQ(v.futureTurns, 2);
  g_gameData->GetLocalChapter()->homeAsteroid = 2;
  g_gameData->solarDB.GetAsteroid(2)->owner = g_gameData->localChapterId;
  v.OnLButtonDown(300, 300, 0);
  EXPECT_EQ(v.startScreenShown, 0u);
  EXPECT_EQ(SharedScreen().futureView, 0u);
  EXPECT_EQ(v.GetCameraMode(), 1);
  EXPECT_EQ(v.activeFilter, 1);
  // The asteroids are back where this turn has them.
  double shown[3], expected[3];
  Location l;
  g_gameData->solarDB.GetAsteroid(1)->GetPosition(&l);
  v.LocationToWorld(l, expected);
  Position(v, 1, shown);
  EXPECT_NEAR(shown[0], expected[0], 1e-6);
  EXPECT_NE(Status().find("Strategic command transferal complete"), std::string::npos) << Status();
  EXPECT_EQ(SharedScreen().statusShown, 208);
  // The camera went to the one asteroid the player holds.
  EXPECT_EQ(g_jumpAsteroid, 2);
}

TEST_F(SolarView, JumpsFindThePlayersAsteroidsOrSaySoWhenNoneIs) {
  CVSolar& v = Make();
  v.Render(-1);
  v.SetCameraMode(1);
  g_jumpAsteroid = 0;
  v.JumpToNextAsteroid();
  EXPECT_EQ(Status(), "You don't control, or have a presence at, any asteroid!");
  EXPECT_EQ(g_jumpAsteroid, 0);
  // With one held, both ways end on it; the camera stands 32 before it.
  g_gameData->solarDB.GetAsteroid(3)->owner = g_gameData->localChapterId;
  SharedScreen().statusText.clear();
  v.JumpToPreviousAsteroid();
  EXPECT_EQ(g_jumpAsteroid, 3);
  v.JumpToNextAsteroid();
  EXPECT_EQ(g_jumpAsteroid, 3);
  EXPECT_EQ(Status(), "");
  double eye[3], at[3];
  Camera(eye);
  Position(v, 3, at);
  EXPECT_NEAR(eye[2], at[2] - 32.0, 1e-3);
  // A turn being processed ends the future view.
  v.ToggleFutureView();
  v.OnTurnProcessing();
  EXPECT_EQ(SharedScreen().futureView, 0u);
}

TEST_F(SolarView, JumpsFromANumberPastTheLastAsteroidEnd) {
  CVSolar& v = Make();
  v.Render(-1);
  v.SetCameraMode(1);
  // A saved game's number beyond the asteroids, none of them the player's.
  for (std::uint16_t a = 0; a < 4; ++a) g_gameData->solarDB.GetAsteroid(a)->owner = 0xFFFF;
  g_jumpAsteroid = 500;
  SharedScreen().statusText.clear();
  v.JumpToNextAsteroid();
  EXPECT_EQ(Status(), "You don't control, or have a presence at, any asteroid!");
  EXPECT_LT(g_jumpAsteroid, 4);
  g_jumpAsteroid = 0xFFFF;
  v.JumpToPreviousAsteroid();
  EXPECT_LT(g_jumpAsteroid, 4);
  // With one held, both ways find it.
  g_gameData->solarDB.GetAsteroid(1)->owner = g_gameData->localChapterId;
  SharedScreen().statusText.clear();
  g_jumpAsteroid = 500;
  v.JumpToNextAsteroid();
  EXPECT_EQ(g_jumpAsteroid, 1);
  g_jumpAsteroid = 0xFFFF;
  v.JumpToPreviousAsteroid();
  EXPECT_EQ(g_jumpAsteroid, 1);
  EXPECT_EQ(Status(), "");
}

TEST_F(SolarView, WhileTheOrbitsRunAheadTheCameraMovesWithTheirStepsOnly) {
  CVSolar& v = Make();
  v.Render(-1);
  v.LeaveStartScreen();
  ASSERT_EQ(SharedScreen().futureView, 0u);
  double before[3], after[3];
  // Without the future view the camera moves every frame.
  g_animElapsedMs = 0;
  v.SetCameraRate(2, -0.1f);
  Camera(before);
  v.PlayFrameAnimation(35);
  Camera(after);
  EXPECT_NE(after[2], before[2]);
  v.ToggleFutureView();
  ASSERT_EQ(SharedScreen().futureView, 1u);
  g_animElapsedMs = 0;
  v.SetCameraRate(2, -0.1f);
  Camera(before);
  v.PlayFrameAnimation(35);
  v.PlayFrameAnimation(35);
  Camera(after);
  EXPECT_EQ(after[2], before[2]);
  EXPECT_EQ(v.futureTurns, 0);
  // The frame that steps the orbits moves it, at ten steps a second.
  v.PlayFrameAnimation(35);
  EXPECT_EQ(v.futureTurns, 1);
  EXPECT_EQ(g_frameRate, 10.0);
  Camera(after);
  EXPECT_NE(after[2], before[2]);
}

TEST_F(SolarView, FutureCommandsStepPauseAndNeverGoBeforeTheTurn) {
  CVSolar& v = Make();
  v.Render(-1);
  v.FutureViewCommand(3);
  EXPECT_EQ(SharedScreen().futureViewState, 2);
  v.FutureStep(0);
  EXPECT_EQ(v.futureTurns, 0);
  v.FutureViewCommand(4);
  EXPECT_EQ(SharedScreen().futureViewState, 0);
  v.FutureViewCommand(4);
  EXPECT_EQ(SharedScreen().futureViewState, 2);
  v.FutureViewCommand(1);
  v.FutureStep(0);
  v.FutureViewCommand(1);
  v.FutureStep(0);
  EXPECT_EQ(v.futureTurns, 2);
  EXPECT_EQ(SharedScreen().futureViewState, 2);
  v.FutureViewCommand(3);
  EXPECT_EQ(SharedScreen().futureViewState, 3);
  v.FutureStep(0);
  EXPECT_EQ(v.futureTurns, 1);
  EXPECT_EQ(SharedScreen().futureViewState, 2);
  v.FutureViewCommand(5);
  EXPECT_EQ(v.futureTurns, 0);
  // Turned off, the asteroids stand where the turn has them.
  v.ToggleFutureView();
  EXPECT_EQ(SharedScreen().futureView, 0u);
}

TEST_F(SolarView, TheSavedBlockComesBackAndBadBlocksChangeNothing) {
  CVSolar& v = Make();
  v.Render(-1);
  v.LeaveStartScreen();
  v.activeFilter = 7;
  v.selectedChapter = 12;
  v.SetCameraMode(3);
  const std::vector<std::uint8_t> good = v.SaveSolarBlock();
  ASSERT_EQ(good.size(), kSolarBlockSize);

  auto refused = [&](std::vector<std::uint8_t> b) {
    v.activated = 1;
    v.activeFilter = 3;
    const bool loaded = v.LoadSolarBlock(b);
    return !loaded && v.activated == 1 && v.activeFilter == 3;
  };
  EXPECT_TRUE(refused(std::vector<std::uint8_t>(good.begin(), good.end() - 1)));
  std::vector<std::uint8_t> b = good;
  b[1] = 0;
  EXPECT_TRUE(refused(b));
  b = good;
  b.back() = 0;
  EXPECT_TRUE(refused(b));
  b = good;
  b[11] = 11;  // the filter
  EXPECT_TRUE(refused(b));
  b = good;
  b[10] = 0x7F;  // a turn offset of 2^31 - 1
  EXPECT_TRUE(refused(b));
  b = good;
  b[0] = 2;
  EXPECT_TRUE(refused(b));

  ASSERT_TRUE(v.LoadSolarBlock(good));
  EXPECT_EQ(v.activated, 0u);
  EXPECT_EQ(v.activeFilter, 7);
  EXPECT_EQ(v.selectedChapter, 12);
  EXPECT_EQ(v.GetCameraMode(), 3);
  EXPECT_EQ(v.startScreenShown, 0u);
  // The next picture activates the view again.
  v.Render(-1);
  EXPECT_EQ(v.activated, 1u);
}

TEST_F(SolarView, TheStartScreenOnScreen) {
  CVSolar& v = Make();
  g_gameData->GetLocalChapter()->homeAsteroid = 1;
  g_animElapsedMs = 0;
  v.Render(-1);
  FlushScreen();
  const plat::RECT area{29, 98, 614, 465};
  EXPECT_TRUE(quentest::MatchesGolden(
      quentest::Crop(quentest::ScreenArea({0, 0, 800, 600}), area),
      std::filesystem::path(QUEN_SOURCE_DIR) / "tests/Game/views/space/data/solar_start_screen.png"));
}

}  // namespace
