// The solar view under the game's settings: fog of war hiding the asteroids
// not yet detected, other chapters' ships dropped at turn processing when
// only ships in range are shown, a resumed game that keeps its saved future
// view, the depth fog keeping the whole system in range, and the goto bar and
// menu that take the view's marked asteroid and no stale object.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "Game/model/GAsteroid.h"
#include "Game/model/GChapter.h"
#include "Game/model/GUnit.h"
#include "Game/net/NetSession.h"
#include "Game/views/frame/CPopupMenu.h"
#include "Game/views/space/CVSolar.h"
#include "Game/views/world/CVDispObj.h"
#include "Game/views/world/CVSgWorld.h"
#include "Game/views/world/DisplayList.h"
#include "media/CImageButton.h"
#include "platform/user/keys.h"
#include "tests/Game/views/space/space_world.h"
#include "tests/support/golden.h"
#include "tests/support/scratch_drive.h"

namespace {

using namespace views_test;
using space_test::SpaceWorld;

class SolarFog : public SpaceWorld {
 protected:
  void TearDown() override {
    solar.reset();
    SharedScreen().futureView = 0;
    SharedScreen().futureViewState = 0;
    SharedScreen().menuObjectKind = 0xFF;
    SpaceWorld::TearDown();
  }
  // The player holds asteroid 2; with `fog` only it (of the player's guild)
  // starts detected. The asteroids lie too far apart to detect each other.
  CVSolar& Make(std::uint32_t fog) {
    g_gameData->solarDB.GetAsteroid(2)->owner = kLocal;
    g_gameData->GetLocalChapter()->homeAsteroid = 2;
    g_gameData->SetGuildScanVisibility(fog);
    solar = std::make_unique<CVSolar>(window, program);
    SuspendScreenFlush(0);
    return *solar;
  }
  int Objects(std::uint16_t kind, std::uint32_t id) const {
    int n = 0;
    for (CVDispNode* node = solar->displayList->head; node; node = node->next)
      if (node->object->GetType() == kind && node->object->key.id == id) ++n;
    return n;
  }
  std::string Shown() const {
    std::string s;
    for (std::uint16_t a = 0; a < CGSolarDB::GetAsteroidCount(); ++a) s += Objects(DISP_ASTEROID, a) ? '1' : '0';
    return s;
  }
  std::unique_ptr<CVSolar> solar;
};

TEST_F(SolarFog, UndetectedAsteroidsStayHiddenUntilDetected) {
  CVSolar& v = Make(1);
  EXPECT_EQ(Shown(), "0010");
  // Detected during a turn: the rebuild after it adds the asteroid, once, where it stands.
  g_gameData->solarDB.GetAsteroid(3)->detected = 1;
  v.MarkStale();
  v.RebuildDisplay();
  EXPECT_EQ(Shown(), "0011");
  v.MarkStale();
  v.RebuildDisplay();
  EXPECT_EQ(Objects(DISP_ASTEROID, 3), 1);
  Location l;
  g_gameData->solarDB.GetAsteroid(3)->GetPosition(&l);
  double expected[3], shown[3];
  v.LocationToWorld(l, expected);
  v.displayList->Find(DISP_ASTEROID, 3)->GetPosition(shown);
  EXPECT_NEAR(shown[0], expected[0], 1e-6);
  // A game started or loaded takes the detection as it stands.
  g_gameData->solarDB.GetAsteroid(3)->detected = 0;
  v.Render(-1);
  v.OnGameStart();
  EXPECT_EQ(Shown(), "0010");
  EXPECT_EQ(v.startScreenShown, 0u);
}

TEST_F(SolarFog, WithoutFogEveryAsteroidIsShown) {
  CVSolar& v = Make(0);
  EXPECT_EQ(Shown(), "1111");
  g_gameData->solarDB.GetAsteroid(1)->detected = 0;
  v.Render(-1);
  v.LeaveStartScreen();
  v.OnGameStart();
  EXPECT_EQ(Shown(), "1111");
}

TEST_F(SolarFog, AGameOfMoreThan148AsteroidsGetsEachDetectedOneOnce) {
  const std::uint16_t count = 150;
  ASSERT_EQ(g_gameData->solarDB.CreateAsteroidArray(count), 1);
  for (std::uint16_t a = 0; a < count; ++a) {
    auto asteroid = std::make_unique<CGAsteroid>(a);
    const Location at{0, static_cast<std::int16_t>(-32000 + (a % 10) * 6000), static_cast<std::int16_t>(a * 400), 0};
    asteroid->SetPosition(&at);
    asteroid->sizeClass = 1;
    asteroid->CreateZones();
    g_gameData->solarDB.SetAsteroid(std::move(asteroid));
  }
  CVSolar& v = Make(1);
  for (std::uint16_t a : {147, 148, 149}) g_gameData->solarDB.GetAsteroid(a)->detected = 1;
  v.AddDetectedAsteroids();
  v.AddDetectedAsteroids();
  for (std::uint16_t a : {147, 148, 149}) EXPECT_EQ(Objects(DISP_ASTEROID, a), 1) << a;
  EXPECT_EQ(Objects(DISP_ASTEROID, 0), 0);
  g_gameData->solarDB.GetAsteroid(149)->detected = 0;
  v.RemoveUndetectedAsteroids();
  EXPECT_EQ(Objects(DISP_ASTEROID, 149), 0);
  EXPECT_EQ(Objects(DISP_ASTEROID, 148), 1);
}

TEST_F(SolarFog, OtherChaptersShipsLeaveAtTurnProcessingWhenOnlyShipsInRangeShow) {
  const std::uint16_t space = 4;
  CGUnit* own = Builder(space);
  CGUnit* other = Builder(space, 17);
  ASSERT_TRUE(own && other);
  CVSolar& v = Make(0);
  v.Render(-1);
  v.LeaveStartScreen();
  ASSERT_EQ(Objects(DISP_UNIT, other->id), 1);
  g_gameData->shipDisplay = 0;
  v.OnTurnProcessing();
  EXPECT_EQ(Objects(DISP_UNIT, other->id), 1);
  g_gameData->shipDisplay = 1;
  v.OnTurnProcessing();
  EXPECT_EQ(Objects(DISP_UNIT, other->id), 0);
  EXPECT_EQ(Objects(DISP_UNIT, own->id), 1);
}

TEST_F(SolarFog, AResumedGameRunsNoOrbitsBehindItsStartScreen) {
  std::vector<std::uint8_t> block;
  {
    CVSolar& first = Make(0);
    first.Render(-1);
    first.LeaveStartScreen();
    block = first.SaveSolarBlock();
    solar.reset();
  }
  SharedScreen().futureView = 0;
  g_session->loadInProgress = 1;
  CVSolar& v = Make(0);
  g_session->loadInProgress = 0;
  auto face = [&] {
    const std::string name = solar->futureButton->normalImage;
    return name.substr(name.find_last_of('\\') + 1);
  };
  EXPECT_EQ(SharedScreen().futureView, 0u);
  EXPECT_EQ(face(), "futuredn.ima");
  Location before;
  g_gameData->solarDB.GetAsteroid(1)->GetPosition(&before);
  ASSERT_TRUE(v.LoadSolarBlock(block));
  EXPECT_EQ(face(), "futureup.ima");
  EXPECT_EQ(SharedScreen().futureView, 0u);
  Location after;
  g_gameData->solarDB.GetAsteroid(1)->GetPosition(&after);
  EXPECT_EQ(after.x, before.x);
  EXPECT_EQ(after.y, before.y);
  // A game saved as it began holds no block of the view: it opens as a new game does.
  solar.reset();
  SharedScreen().futureView = 0;
  g_session->loadInProgress = 1;
  Make(0);
  g_session->loadInProgress = 0;
  quentest::ScratchDrive drive;
  const std::string path = drive.Dos("empty.blk");
  plat::FILE* f = plat::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  plat::fclose(f);
  f = plat::fopen(path.c_str(), "rb");
  EXPECT_EQ(solar->LoadState(f), 0);
  plat::fclose(f);
  EXPECT_EQ(solar->startScreenShown, 1u);
  EXPECT_EQ(SharedScreen().futureView, 1u);
  EXPECT_EQ(face(), "futuredn.ima");
  // A new game's view runs them.
  solar.reset();
  SharedScreen().futureView = 0;
  Make(0);
  EXPECT_EQ(SharedScreen().futureView, 1u);
  EXPECT_EQ(face(), "futuredn.ima");
}

TEST_F(SolarFog, TheDepthFogKeepsEveryAsteroidInRange) {
  CVSolar& v = Make(0);
  v.Render(-1);
  v.LeaveStartScreen();
  v.SetStarBackground(0);
  v.SetCameraMode(3);
  const double eye[3] = {1100, 1100, 1000};
  const double ahead[3] = {1100, 1100, 1100};
  Place(eye, ahead);
  // One asteroid close before the camera, the others far beyond it.
  const double places[4][3] = {{1100, 1100, 1030}, {1125, 1105, 1150}, {1075, 1095, 1110}, {1100, 1080, 1190}};
  for (std::uint16_t a = 0; a < 4; ++a) v.displayList->Find(DISP_ASTEROID, a)->SetPosition(places[a]);
  v.RefreshObjects(1);
  ASSERT_TRUE(g_sgWorld->IsDistanceFogOn());
  v.fogUpdatePending = 1;
  g_sgWorld->redraw = 1;
  g_animElapsedMs = 0;
  ASSERT_EQ(v.DrawFrame(), 1u);
  FlushScreen();
  const double farPlane = g_sgWorld->fogBaseDistance;
  const double band = farPlane - g_sgWorld->lastFogOffset;
  for (const auto& p : places) EXPECT_LT(std::sqrt(DistanceSq(p, eye)), farPlane);
  // The nearest asteroid stands clear of the fog.
  EXPECT_GE((farPlane - 30.0) / band, 1.0);
  // And on screen the far asteroids are there.
  const plat::Image screen = quentest::ScreenArea({0, 0, 800, 600});
  for (std::uint16_t a = 1; a < 4; ++a) {
    int x = 0, y = 0;
    v.displayList->Find(DISP_ASTEROID, a)->GetScreenPosition(&x, &y);
    ASSERT_NE(x, 0x7FFF) << a;
    int lit = 0;
    for (int dy = -2; dy <= 2; ++dy)
      for (int dx = -2; dx <= 2; ++dx) {
        const int sx = CVSgWorld::kViewLeft + x + dx, sy = CVSgWorld::kViewTop + y + dy;
        if ((screen.rgb[static_cast<std::size_t>(sy * screen.width + sx)] & 0xFFFFFF) != 0) ++lit;
      }
    EXPECT_GT(lit, 0) << a;
  }
}

TEST_F(SolarFog, AMarkedAsteroid0FillsAnEmptyGotoSlot) {
  CVSolar& v = Make(0);
  v.Render(-1);
  v.LeaveStartScreen();
  std::uint16_t asteroid = 0xFFFF;
  EXPECT_EQ(v.HasObject(&asteroid), 0);
  v.marks.Add(0);
  ASSERT_EQ(SharedScreen().gotoSlots[3].kind, GOTO_EMPTY);
  v.OnLButtonDblClk(7 + 79 * 3 + 10, 40);
  EXPECT_EQ(SharedScreen().gotoSlots[3].kind, GOTO_ASTEROID);
  EXPECT_EQ(SharedScreen().gotoSlots[3].id, 0u);
  // With nothing marked the slot stands for the solar view.
  v.marks.Remove(0);
  v.OnLButtonDblClk(7 + 79 * 4 + 10, 40);
  EXPECT_EQ(SharedScreen().gotoSlots[4].kind, GOTO_SOLAR);
}

TEST_F(SolarFog, TheViewsMenuIsAboutNoObject) {
  CVSolar& v = Make(0);
  v.Render(-1);
  v.LeaveStartScreen();
  // Left by a unit's menu in another view.
  SharedScreen().menuObjectKind = 2;
  SharedScreen().menuObjectId = 77;
  // The menu's own loop ends at once.
  backend->PressKey(plat::VK_ESCAPE, 10);
  v.ShowObjectMenu(300, 300);
  EXPECT_EQ(SharedScreen().menuObjectKind, 0xFF);
  ASSERT_NE(SharedScreen().popupMenu, nullptr);
  EXPECT_EQ(SharedScreen().popupMenu->GetItemId(0), 505u);
  ReleasePopupMenu(SharedScreen().popupMenu);
  SharedScreen().popupMenu = nullptr;
}

}  // namespace
