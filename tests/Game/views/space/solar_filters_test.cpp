// The solar view's filters and marks, its clicks and orders in solar space,
// its packet, flashes and collision warnings, and the view on screen after
// the start screen: halos, labels, the filter buttons and the future line.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "Game/model/GAsteroid.h"
#include "Game/model/GChapter.h"
#include "Game/model/GGuild.h"
#include "Game/model/GUnit.h"
#include "Game/model/GZone.h"
#include "Game/views/frame/CVFrameEffects.h"
#include "Game/views/frame/CVGeneric.h"
#include "Game/views/space/CVAstSpace.h"
#include "Game/views/space/CVSolar.h"
#include "Game/views/space/SolarMarks.h"
#include "Game/views/world/CVDispObj.h"
#include "Game/views/world/CVSgWorld.h"
#include "Game/views/world/DisplayList.h"
#include "media/CImageButton.h"
#include "platform/user/keys.h"
#include "sg/instance/instance.h"
#include "tests/Game/views/space/space_world.h"
#include "tests/support/golden.h"

namespace {

using namespace views_test;
using space_test::SpaceWorld;

TEST(SolarMarks, MarksKeepTheirOrderAndAFullListRefusesMore) {
  SolarMarks m;
  std::uint16_t a = 0;
  EXPECT_FALSE(m.FirstOutside({}, &a));
  EXPECT_TRUE(m.Add(3));
  EXPECT_TRUE(m.Add(1));
  EXPECT_TRUE(m.IsMarked(1));
  EXPECT_FALSE(m.IsMarked(2));
  EXPECT_TRUE(m.At(1, &a));
  EXPECT_EQ(a, 1);
  EXPECT_FALSE(m.At(2, &a));
  EXPECT_EQ(a, 0xFFFF);
  // A goto slot already holding asteroid 3 passes it over; when every mark
  // stands in a slot, the first one is given.
  std::array<GotoEntry, 2> slots{GotoEntry{GOTO_ASTEROID, 3}, GotoEntry{GOTO_UNIT, 1}};
  ASSERT_TRUE(m.FirstOutside(slots, &a));
  EXPECT_EQ(a, 1);
  slots[1] = GotoEntry{GOTO_ASTEROID, 1};
  ASSERT_TRUE(m.FirstOutside(slots, &a));
  EXPECT_EQ(a, 3);
  m.Remove(3);
  m.Remove(7);
  EXPECT_EQ(m.Count(), 1u);
  while (m.Count() < SolarMarks::kMaxMarks) ASSERT_TRUE(m.Add(5));
  EXPECT_FALSE(m.Add(6));
  EXPECT_EQ(m.Count(), SolarMarks::kMaxMarks);
  EXPECT_FALSE(m.IsMarked(6));
}

TEST(SolarLabels, PowerLabelsAndMergedWarnings) {
  char label[64];
  EXPECT_TRUE(PowerFilterLabel(-1, 7, label, sizeof label));
  EXPECT_STREQ(label, "7");
  EXPECT_TRUE(PowerFilterLabel(3, 7, label, sizeof label));
  EXPECT_STREQ(label, "3 (7)");
  EXPECT_TRUE(PowerFilterLabel(3, 0, label, sizeof label));
  EXPECT_STREQ(label, "3");
  EXPECT_FALSE(PowerFilterLabel(-1, 0, label, sizeof label));

  std::string line;
  ASSERT_TRUE(MergeCollisionWarning("A hits B", false, "old", "A", "B", &line));
  EXPECT_EQ(line, "A hits B");
  EXPECT_FALSE(MergeCollisionWarning("A hits B", true, "x A y B", "A", "B", &line));
  ASSERT_TRUE(MergeCollisionWarning("A hits C", true, "A hits B", "A", "C", &line));
  EXPECT_EQ(line, "A hits C     A hits B");
  // Names of any length, empty ones too, cost nothing worse than no merge.
  const std::string longName(255, 'N');
  ASSERT_TRUE(MergeCollisionWarning(longName + " hits", true, "old", longName, "", &line));
  EXPECT_EQ(line.size(), 255u + 5 + 5 + 3);
}

TEST(SolarPacket, TheRefuelPacketHasItsTypeTargetAndZeroTail) {
  const std::vector<std::uint8_t> p = BuildSolarRefuelPacket(0x12345678u, 4);
  ASSERT_EQ(p.size(), 16u);
  EXPECT_EQ(p[0] | p[1] << 8, 126);
  EXPECT_EQ(p[8] | p[9] << 8 | p[10] << 16 | static_cast<std::uint32_t>(p[11]) << 24, 0x12345678u);
  EXPECT_EQ(p[12] | p[13] << 8, 4);
  EXPECT_EQ(p[14], 0);
  EXPECT_EQ(p[15], 0);
}

class SolarFilters : public SpaceWorld {
 protected:
  void TearDown() override {
    solar.reset();
    SharedScreen().futureView = 0;
    SharedScreen().futureViewState = 0;
    g_highlightAsteroid = 0xFFFF;
    CVAstSpace::labelsOn = 0;
    SpaceWorld::TearDown();
  }
  // The view past its start screen: the player owns asteroid 2 and has a
  // unit at asteroid 1; asteroid 3 is not surveyed.
  CVSolar& Started() {
    CGAsteroid* own = g_gameData->solarDB.GetAsteroid(2);
    own->owner = kLocal;
    g_gameData->GetLocalChapter()->homeAsteroid = 2;
    for (std::uint16_t a = 0; a < 4; ++a) {
      g_gameData->solarDB.GetAsteroid(a)->GetZone(0)->owner = a == 3 ? 253 : 254;
      const std::string name = "Rock" + std::to_string(a);
      g_gameData->solarDB.GetAsteroid(a)->SetName(name.c_str());
    }
    atOne = Builder(1);
    g_jumpAsteroid = 0;
    g_gameData->SetGuildScanVisibility(0);
    solar = std::make_unique<CVSolar>(window, program);
    SuspendScreenFlush(0);
    solar->Render(-1);
    solar->LeaveStartScreen();
    return *solar;
  }
  bool Haloed(std::uint16_t asteroid) const {
    CVDispObj* o = solar->displayList->Find(DISP_ASTEROID, asteroid);
    return o && o->HasHalo();
  }
  std::string Haloes() const {
    std::string s;
    for (std::uint16_t a = 0; a < 4; ++a) s += Haloed(a) ? '1' : '0';
    return s;
  }
  void Shift(bool down) {
    if (down)
      backend->KeyDown(plat::VK_SHIFT, 10);
    else
      backend->KeyUp(plat::VK_SHIFT, 10);
    backend->RunUntilIdle();
  }
  std::unique_ptr<CVSolar> solar;
  CGUnit* atOne = nullptr;
};

TEST_F(SolarFilters, FiltersHaloTheirAsteroidsAndTurnOffOnASecondPress) {
  CVSolar& v = Started();
  // Leaving the start screen chose "where I am present".
  EXPECT_EQ(v.activeFilter, 1);
  EXPECT_EQ(Haloes(), "0110");
  v.SelectFilter(0);
  EXPECT_EQ(v.activeFilter, 0);
  EXPECT_EQ(Status(), "No Filters");
  EXPECT_EQ(Haloes(), "0000");
  Shift(true);
  v.SelectFilter(0);
  Shift(false);
  EXPECT_EQ(Status(), "Filter: Asteroids where I am not present");
  EXPECT_EQ(Haloes(), "1001");
  // Size passes every asteroid; the economic grade never an unsurveyed one.
  v.SelectFilter(8);
  EXPECT_EQ(v.filterInverted, 0u);
  EXPECT_EQ(Status(), "Filter: Asteroid Size");
  EXPECT_EQ(Haloes(), "1111");
  v.SelectFilter(7);
  EXPECT_EQ(Haloes(), "1110");
  v.SelectFilter(9);
  std::uint16_t owner = 0;
  EXPECT_EQ(v.FilterAsteroid(3, &owner, nullptr, nullptr), 0);
  EXPECT_EQ(v.FilterAsteroid(4, &owner, nullptr, nullptr), 0);
  // The guild menu walks on past the last filter to none, then to the first.
  v.ShowGuildMenu();
  EXPECT_EQ(v.activeFilter, 0);
  v.ShowGuildMenu();
  EXPECT_EQ(v.activeFilter, 1);
}

TEST_F(SolarFilters, TheFilterButtonsLookPressedWithTheirFilterAlsoAfterALoad) {
  CVSolar& v = Started();
  auto face = [&](int i) {
    const std::string name = v.filterButtons[static_cast<std::size_t>(i)]->normalImage;
    return name.substr(name.find_last_of('\\') + 1);
  };
  EXPECT_EQ(face(0), "sfmine_u.ima");
  v.SelectFilter(8);
  EXPECT_EQ(face(0), "sfmine_d.ima");
  EXPECT_EQ(face(8), "sizedn.ima");
  const std::vector<std::uint8_t> block = v.SaveSolarBlock();
  v.SelectFilter(2);
  EXPECT_EQ(face(8), "sizeup.ima");
  EXPECT_EQ(face(2), "sfrebelu.ima");
  ASSERT_TRUE(v.LoadSolarBlock(block));
  EXPECT_EQ(v.activeFilter, 9);
  EXPECT_EQ(face(2), "sfrebeld.ima");
  EXPECT_EQ(face(8), "sizedn.ima");
  // The future button: pressed while the view runs ahead, then back.
  const std::string up = v.futureButton->normalImage;
  v.OnCommand(kFutureButtonId);
  EXPECT_NE(std::string(v.futureButton->normalImage), up);
  v.OnCommand(kToggleInfoPanelCommand);
  EXPECT_EQ(SharedScreen().futureView, 0u);
  EXPECT_EQ(std::string(v.futureButton->normalImage), up);
}

TEST_F(SolarFilters, TheChapterFilterWaitsForAGuildAndAChapter) {
  CVSolar& v = Started();
  v.SelectFilter(4);
  EXPECT_EQ(v.activeFilter, 5);
  EXPECT_EQ(Status(), "Select a guild...");
  EXPECT_EQ(SharedScreen().pendingOrderOption, 4);
  EXPECT_EQ(Haloes(), "0000");
  v.OnSelectGuild(kLocal >> 3);
  EXPECT_EQ(Status(), "Select a chapter...");
  EXPECT_EQ(v.selectedChapter, 8);
  v.OnSelectChapter(kLocal & 7);
  EXPECT_EQ(v.selectedChapter, kLocal);
  EXPECT_EQ(SharedScreen().pendingOrderOption, 0xFF);
  EXPECT_EQ(Status().rfind("Filter: ", 0), 0u) << Status();
  EXPECT_EQ(Haloes(), "0010");
  // Another filter while a choice is awaited forgets the chapter.
  v.SelectFilter(4);
  v.SelectFilter(4);
  v.SelectFilter(5);
  EXPECT_EQ(SharedScreen().pendingOrderOption, 0xFF);
}

TEST_F(SolarFilters, ClicksMarkAsteroidsAndSelectOwnUnitsInSolarSpace) {
  CVSolar& v = Started();
  v.SelectFilter(0);
  ASSERT_EQ(v.activeFilter, 0);
  v.SelectObject(0, 1);
  EXPECT_TRUE(v.marks.IsMarked(1));
  EXPECT_EQ(Haloes(), "0100");
  v.SelectObject(0, 1);
  EXPECT_FALSE(v.marks.IsMarked(1));
  EXPECT_EQ(Haloes(), "0000");
  v.SelectObject(0, 1);
  Shift(true);
  v.SelectObject(0, 3);
  Shift(false);
  EXPECT_EQ(Haloes(), "0101");
  v.SelectObject(0, 0);
  EXPECT_EQ(Haloes(), "1000");
  EXPECT_EQ(v.marks.Count(), 1u);
  // A marked asteroid already in a goto slot is still the one offered.
  SharedScreen().gotoSlots[0] = GotoEntry{GOTO_ASTEROID, 0};
  std::uint16_t a = 0xFFFF;
  EXPECT_TRUE(v.HasMarkedAsteroid(&a));
  EXPECT_EQ(a, 0);
  SharedScreen().gotoSlots[0] = GotoEntry{};

  CGUnit* mine = Builder(4);
  CGUnit* theirs = Builder(4, kOther);
  v.MarkStale();
  v.RebuildDisplay();
  ASSERT_NE(v.displayList->Find(DISP_UNIT, mine->id), nullptr);
  v.SelectObject(2, theirs->id);
  EXPECT_EQ(g_gameData->GetSelectionCount(), 0u);
  EXPECT_EQ(Status(), "Cannot order an enemy ship!");
  v.SelectObject(2, mine->id);
  EXPECT_EQ(g_gameData->IsSelected(SEL_UNIT, mine->id), 1);
  EXPECT_TRUE(v.displayList->Find(DISP_UNIT, mine->id)->HasHalo());
  // A unit in solar space cannot be intercepted; an asteroid can be reached.
  v.PickTarget(2, theirs->id);
  EXPECT_EQ(Status(), "Can not intercept a unit in solar space!");
  v.PickTarget(0, 1);
  EXPECT_EQ(Status(), "Target Acquired");
  ASSERT_NE(mine->GetOrder(0), nullptr);
  EXPECT_EQ(mine->GetOrder(0)->type, ORDER_MOVE_TO_ASTEROID);
  EXPECT_EQ(SharedScreen().commandMode, kNoCommandMode);
}

TEST_F(SolarFilters, PendingCommandsTheViewCannotCarryOutSaySo) {
  CVSolar& v = Started();
  CGUnit* mine = Builder(4);
  v.MarkStale();
  v.RebuildDisplay();
  ASSERT_NE(v.displayList->Find(DISP_UNIT, mine->id), nullptr);
  // A refuel from an asteroid never reaches a unit in solar space.
  SharedScreen().commandMode = ORDER_RECHARGE_FROM_ASTEROID;
  SharedScreen().commandUnitId = kAsteroidSubject | 2;
  EXPECT_EQ(v.ExecuteOrderMode(2, mine->id), 1);
  EXPECT_EQ(Status(), "Invalid Target");
  EXPECT_EQ(SharedScreen().commandMode, kNoCommandMode);
  EXPECT_TRUE(packets.empty());
  // Commanded from solar space, a unit whose object outlived it is not in range.
  CGUnit* gone = Builder(4);
  v.MarkStale();
  v.RebuildDisplay();
  const std::uint32_t goneId = gone->id;
  ASSERT_NE(v.displayList->Find(DISP_UNIT, goneId), nullptr);
  g_gameData->pieces.DeleteUnit(goneId);
  SharedScreen().commandMode = ORDER_RECHARGE_FROM_ASTEROID;
  SharedScreen().commandUnitId = kAsteroidSubject | 4;
  EXPECT_EQ(v.ExecuteOrderMode(2, goneId), 1);
  EXPECT_EQ(Status(), "Target invalid as it is not in range");
  EXPECT_EQ(SharedScreen().commandMode, kNoCommandMode);
  EXPECT_TRUE(packets.empty());
  SharedScreen().commandMode = ORDER_ATTACK_UNIT;
  SharedScreen().commandUnitId = mine->id;
  v.ExecuteOrderMode(0, 1);
  EXPECT_EQ(Status(), "Can not intercept a unit in solar space!");
  EXPECT_EQ(SharedScreen().commandMode, kNoCommandMode);
  // A formation move from solar space: every unit gets the one arrival.
  CGUnit* second = Builder(4);
  second->location.x = 20000;
  Select(mine);
  Select(second);
  SharedScreen().commandMode = ORDER_DELAYED_MOVE;
  EXPECT_EQ(v.ExecuteOrderMode(0, 1), 1);
  EXPECT_EQ(Status(), "Formation move initiated");
  ASSERT_NE(mine->GetOrder(0), nullptr);
  ASSERT_NE(second->GetOrder(0), nullptr);
  EXPECT_EQ(mine->GetOrder(0)->type, ORDER_MOVE_TO_ASTEROID);
  EXPECT_EQ(mine->GetOrder(0)->Word(0), second->GetOrder(0)->Word(0));
  // A bombardment needs an asteroid.
  SharedScreen().commandMode = ORDER_BOMBARD;
  SharedScreen().commandUnitId = mine->id;
  EXPECT_EQ(v.ExecuteOrderMode(2, mine->id), 0);
  EXPECT_EQ(Status(), "Invalid Target");
}

TEST_F(SolarFilters, NotificationsFlashTheUnitOrItsAsteroid) {
  CVSolar& v = Started();
  CGUnit* inSpace = Builder(4);
  v.MarkStale();
  v.RebuildDisplay();
  v.ShowObject(2, atOne->id);
  EXPECT_EQ(v.flashKind, 0);
  EXPECT_EQ(v.flashId, 1u);
  EXPECT_EQ(v.flashCount, 11);
  v.ShowObject(2, inSpace->id);
  EXPECT_EQ(v.flashKind, 2);
  EXPECT_EQ(v.flashId, inSpace->id);
  for (int i = 0; i < 11; ++i) {
    g_animElapsedMs = 0;
    v.PlayFrameAnimation(80);
  }
  EXPECT_EQ(v.flashCount, 0);
  // The asteroid a search found flashes twice as long in its owner's colour.
  v.GoToAsteroid(2);
  EXPECT_EQ(v.flashCount, 22);
  EXPECT_TRUE(Haloed(2));
  v.GoToAsteroid(9);
  EXPECT_EQ(v.flashId, 2u);
}

TEST_F(SolarFilters, AnAsteroidCarriedByItsHaloMovesWithItThroughTheFuture) {
  CVSolar& v = Started();
  // Close enough for the halo's cube, which carries its asteroid.
  CVDispObj* rock = v.displayList->Find(DISP_ASTEROID, 2);
  ASSERT_NE(rock, nullptr);
  double at[3];
  rock->GetPosition(at);
  const double eye[3] = {at[0], at[1], at[2] - 30.0};
  Place(eye, at);
  v.SelectFilter(0);
  v.SelectFilter(8);
  ASSERT_TRUE(rock->HasHalo());
  ASSERT_NE(rock->GetChildren(), nullptr);
  ASSERT_EQ(rock->GetChildren()->object->kindWords[0], 1u) << "the halo is a cube";
  v.ToggleFutureView();
  for (int i = 0; i < 5; ++i) v.FutureStep(1);
  Location l;
  g_gameData->solarDB.GetAsteroid(2)->GetPosition(&l);
  double expected[3], shown[3], own[3];
  v.LocationToWorld(l, expected);
  rock->GetPosition(shown);
  SGInstanceGetPosition(rock->instance, own);
  for (int i = 0; i < 3; ++i) {
    EXPECT_NEAR(shown[i], expected[i], 1e-6);
    // The carried rock stays at its halo's origin.
    EXPECT_EQ(own[i], 0.0);
  }
}

TEST_F(SolarFilters, CollisionWarningsWaitForTheFifthTurnAndComeOnce) {
  CVSolar& v = Started();
  SharedScreen().statusText.clear();
  SharedScreen().statusShown = 0;
  g_gameData->turn = 5;
  v.OnAsteroidNotice(0, 1);
  EXPECT_EQ(Status(), "");
  g_gameData->turn = 6;
  v.OnAsteroidNotice(0, 1);
  EXPECT_EQ(Status(), "Asteroids Rock0 and Rock1 will collide in 0 turns!");
  v.OnAsteroidNotice(1, 0);
  EXPECT_EQ(Status(), "Asteroids Rock0 and Rock1 will collide in 0 turns!");
  v.OnAsteroidNotice(2, 3);
  EXPECT_EQ(Status(),
            "Asteroids Rock2 and Rock3 will collide in 0 turns!     "
            "Asteroids Rock0 and Rock1 will collide in 0 turns!");
  EXPECT_EQ(SharedScreen().statusShown, 26);
  v.OnAsteroidNotice(0, 99);
}

TEST_F(SolarFilters, TheLampLitByLabelsOutOfViewGoesOutWithTheFilter) {
  CVSolar& v = Started();
  v.ToggleUnitHalos();
  ASSERT_EQ(CVAstSpace::labelsOn, 1);
  // Looking away from the system: every size label is out of view.
  v.SetCameraMode(3);
  const double eye[3] = {1100, 1100, 930};
  const double away[3] = {1100, 1100, 800};
  Place(eye, away);
  v.RefreshObjects(1);
  if (v.activeFilter) v.SelectFilter(-1);
  v.SelectFilter(8);
  SharedScreen().frameAnimation.lampFrameState = 0;
  v.DrawStatusText();
  EXPECT_EQ(SharedScreen().frameAnimation.lampFrameState, 1u);
  // The filter off: nothing is left out of view.
  v.SelectFilter(8);
  ASSERT_EQ(v.activeFilter, 0);
  v.DrawStatusText();
  EXPECT_EQ(SharedScreen().frameAnimation.lampFrameState, 0u);
}

TEST_F(SolarFilters, TheViewOnScreenWithHalosLabelsButtonsAndTheFutureLine) {
  CVSolar& v = Started();
  // The star field is scattered at random: left out, the picture repeats
  // whichever tests ran before.
  v.SetStarBackground(0);
  g_sgWorld->DisableDistanceFog();
  v.SetCameraMode(3);
  const double eye[3] = {1100, 1100, 930};
  const double at[3] = {1100, 1100, 1100};
  Place(eye, at);
  v.RefreshObjects(1);
  g_animElapsedMs = 0;
  g_sgWorld->redraw = 1;
  ASSERT_EQ(v.DrawFrame(), 1u);
  FlushScreen();
  const plat::RECT area{29, 98, 614, 465};
  const std::filesystem::path dir = std::filesystem::path(QUEN_SOURCE_DIR) / "tests/Game/views/space/data";
  EXPECT_TRUE(
      quentest::MatchesGolden(quentest::Crop(quentest::ScreenArea({0, 0, 800, 600}), area), dir / "solar_halos.png"));
  // Size labels beside every asteroid, and the future view's line.
  v.SelectFilter(8);
  v.ToggleUnitHalos();
  v.OnCommand(kFutureButtonId);
  ASSERT_EQ(SharedScreen().futureView, 1u);
  SharedScreen().statusShown = 0;
  g_sgWorld->redraw = 1;
  ASSERT_EQ(v.DrawFrame(), 1u);
  FlushScreen();
  EXPECT_TRUE(
      quentest::MatchesGolden(quentest::Crop(quentest::ScreenArea({0, 0, 800, 600}), area), dir / "solar_labels.png"));
  v.UpdateControlPanel();
  EXPECT_TRUE(quentest::MatchesGolden(quentest::ScreenArea({637, 494, 790, 542}), dir / "solar_buttons.png"));
}

}  // namespace
