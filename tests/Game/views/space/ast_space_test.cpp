// The asteroid-space view: its saved block, camera modes and the per-asteroid
// camera, filters and labels, orders from the command table, and the picture
// of an asteroid with its units.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "Game/model/GChapter.h"
#include "Game/model/GGuild.h"
#include "Game/model/GUnitOrder.h"
#include "Game/net/OrderMenuPackets.h"
#include "Game/panels/CVNotify.h"
#include "Game/views/frame/CPopupMenu.h"
#include "Game/views/frame/CVDataHookup.h"
#include "Game/views/frame/CVFrameEffects.h"
#include "Game/views/frame/CVGeneric.h"
#include "Game/views/frame/OrderFeedback.h"
#include "Game/views/space/CVAstSpace.h"
#include "Game/views/world/CDispLine.h"
#include "Game/views/world/CVDispObj.h"
#include "Game/views/world/CVStarField.h"
#include "Game/views/world/DisplayList.h"
#include "media/CImageButton.h"
#include "platform/user/input.h"
#include "platform/user/keys.h"
#include "tests/Game/views/space/space_world.h"
#include "tests/support/golden.h"

namespace {

using namespace plat;
using namespace views_test;
using space_test::SpaceWorld;

// --- values without a view ---

TEST(AstSpaceBlock, RoundTripsAndRefusesHostileBytes) {
  const AstSpaceBlock in{4, 3, 0x10, 17, 1};
  const std::vector<std::uint8_t> bytes = BuildAstSpaceBlock(in);
  ASSERT_EQ(bytes.size(), 13u);
  EXPECT_EQ(bytes[0], 1);
  EXPECT_EQ(bytes[12], 0xFE);
  AstSpaceBlock out;
  ASSERT_TRUE(ParseAstSpaceBlock(bytes, &out));
  EXPECT_EQ(out.cameraMode, 4);
  EXPECT_EQ(out.asteroid, 3);
  EXPECT_EQ(out.filterMask, 0x10);
  EXPECT_EQ(out.filterChapter, 17);
  EXPECT_EQ(out.filterInverted, 1u);

  auto refused = [](std::vector<std::uint8_t> b) {
    AstSpaceBlock o;
    return !ParseAstSpaceBlock(b, &o);
  };
  EXPECT_TRUE(refused({bytes.begin(), bytes.end() - 1}));  // short
  std::vector<std::uint8_t> b = bytes;
  b[12] = 0xFD;
  EXPECT_TRUE(refused(b));  // validity byte
  b = bytes;
  b[4] = 0x03;
  EXPECT_TRUE(refused(b));  // two filters at once
  b = bytes;
  b[4] = 0x40;
  EXPECT_TRUE(refused(b));  // past the six buttons
  b = bytes;
  b[1] = 0;
  EXPECT_TRUE(refused(b));  // no such camera mode
  b[1] = 5;
  EXPECT_TRUE(refused(b));
}

TEST(AstSpaceCamera, TheModeRingRunsBothWays) {
  // Forward: linear, locked, centre, free, linear.
  EXPECT_EQ(NextAstCameraMode(1, 1), 4);
  EXPECT_EQ(NextAstCameraMode(4, 1), 2);
  EXPECT_EQ(NextAstCameraMode(2, 1), 3);
  EXPECT_EQ(NextAstCameraMode(3, 1), 1);
  // Backward: linear, free, centre, locked, linear.
  EXPECT_EQ(NextAstCameraMode(1, 0), 3);
  EXPECT_EQ(NextAstCameraMode(3, 0), 2);
  EXPECT_EQ(NextAstCameraMode(2, 0), 4);
  EXPECT_EQ(NextAstCameraMode(4, 0), 1);
  EXPECT_EQ(NextAstCameraMode(7, 1), 7);
}

TEST(AstSpaceLabels, WeaponDashesInTheirFiveColourPairs) {
  struct Row {
    WeaponDashCase c;
    COLORREF dark, bright;
  };
  const Row rows[] = {
      {{true, true, true, true, false}, 0x646464, 0x969696},  // out of range wins over the rest
      {{false, true, true, true, false}, 0x0000A0, 0x0000FF},
      {{false, false, true, true, false}, 0x800000, 0xFF0000},
      {{false, false, false, true, false}, 0x008000, 0x00FF00},
      {{false, false, false, false, false}, 0x008080, 0x00FFFF},
  };
  for (const Row& r : rows) {
    WeaponDashCase c = r.c;
    EXPECT_EQ(WeaponDashColour(c), r.dark);
    c.bright = true;
    EXPECT_EQ(WeaponDashColour(c), r.bright);
  }
}

TEST(AstSpaceCoordinates, PackedCoordinatesMapIntoTheCubeAndNeverWrap) {
  EXPECT_NEAR(PackedToWorld(0), 1100.0, 0.01);
  EXPECT_NEAR(PackedToWorld(-32767), 1000.0, 1e-9);
  EXPECT_EQ(WorldToPacked(1100.0), 0);
  EXPECT_EQ(WorldToPacked(PackedToWorld(1234)), 1234);
  EXPECT_EQ(WorldToPacked(5000.0), 32767);
  EXPECT_EQ(WorldToPacked(-5000.0), -32767);
}

// --- the view ---

class AstSpace : public SpaceWorld {
 protected:
  void TearDown() override {
    g_currentView = nullptr;
    ast.reset();
    CVAstSpace::labelsOn = 0;
    SharedScreen().pendingOrderOption = 0xFF;
    SpaceWorld::TearDown();
  }
  CVAstSpace& MakeAst() {
    ast = std::make_unique<CVAstSpace>(window, program);
    SuspendScreenFlush(0);
    g_currentView = ast.get();
    return *ast;
  }
  void Show(CVAstSpace& v, std::uint16_t asteroid) {
    v.sceneShown = 0;
    v.Render(static_cast<std::int32_t>(0xFFFF0000u | asteroid));
  }
  CGUnit* Ship(std::uint16_t asteroid, std::uint8_t chapter = kLocal, std::int16_t x = 0) {
    return Unit({kComputer, kDrive, kPower, kWeapon}, asteroid, chapter, x);
  }
  CVDispObj* ObjectOf(CVAstSpace& v, const CGUnit* unit) { return v.displayList->Find(DISP_UNIT, unit->id); }
  // The view over asteroid 1 with `ship` selected and a height target
  // started on the grid under the picture's centre.
  CVAstSpace& HeightTargetStarted(CGUnit* ship) {
    CVAstSpace& v = MakeAst();
    Show(v, 1);
    g_sgWorld->redraw = 1;
    v.DrawFrame();
    Select(ship);
    const double point[3] = {1100.0, v.GridHeight(), 1100.0};
    v.StartHeightTarget(point, nullptr);
    return v;
  }
  void Shift(bool down) {
    if (down)
      backend->KeyDown(VK_SHIFT, 10);
    else
      backend->KeyUp(VK_SHIFT, 10);
    backend->RunUntilIdle();
  }

  std::unique_ptr<CVAstSpace> ast;
};

TEST_F(AstSpace, AGameStartsWithTheHomeCameraAt1080AndModesTellTheirNames) {
  g_gameData->GetLocalChapter()->homeAsteroid = 2;
  CVAstSpace& v = MakeAst();
  double pos[3];
  float f[3], u[3];
  g_gameData->solarDB.GetAsteroid(2)->GetViewCamera(pos, f, u);
  EXPECT_DOUBLE_EQ(pos[2], 1080.0);
  EXPECT_EQ(v.GetCameraMode(), 2);
  EXPECT_EQ(v.GetCurrentAsteroidId(), 4);  // none yet

  Show(v, 1);
  v.cameraMode = 1;
  const char* forward[] = {"Locked camera mode", "Asteroid center camera mode", "Free motion camera mode",
                           "Linear camera mode"};
  const int forwardModes[] = {4, 2, 3, 1};
  for (int i = 0; i < 4; ++i) {
    v.CycleCameraMode(1);
    EXPECT_EQ(v.GetCameraMode(), forwardModes[i]);
    EXPECT_EQ(Status(), forward[i]);
  }
  v.CycleCameraMode(0);
  EXPECT_EQ(v.GetCameraMode(), 3);
  // The locked mode stays until restored; restoring takes the remembered one.
  v.cameraMode = 2;
  v.SetCameraMode(4);
  v.SetCameraMode(3);
  EXPECT_TRUE(v.IsCameraLocked());
  v.RestoreCameraMode();
  EXPECT_EQ(v.GetCameraMode(), 2);
  // Locked: the camera stands off the axis, above the asteroid by 0.375 of that.
  v.cameraMode = 1;
  v.CycleCameraMode(1);
  double eye[3];
  Camera(eye);
  const double r = std::hypot(eye[0] - 1100.0, eye[2] - 1100.0);
  EXPECT_GE(r, 20.0);
  EXPECT_NEAR(eye[1], 1100.0 + 0.375 * r, 0.01);
}

TEST_F(AstSpace, UAndShiftUFlashTheShipReachedInTheLockedModeOnly) {
  CVAstSpace& v = MakeAst();
  CGUnit* first = Ship(1, kLocal, -3000);
  CGUnit* second = Ship(1, kLocal, 3000);
  Show(v, 1);
  v.cameraMode = 2;
  v.NextShip();
  EXPECT_EQ(v.flashCount, 0) << "only the locked mode flashes";
  v.cameraMode = 4;
  v.NextShip();
  const std::uint32_t reached = v.flashId;
  EXPECT_TRUE(reached == first->id || reached == second->id);
  EXPECT_EQ(v.flashKind, 2);
  EXPECT_EQ(v.flashCount, 11);
  v.PreviousShip();
  EXPECT_NE(v.flashId, reached);
  EXPECT_EQ(v.flashCount, 11);
}

TEST_F(AstSpace, ShowingAnAsteroidPutsBackTheLampFrameAndTheNotificationPanel) {
  CVAstSpace& v = MakeAst();
  Show(v, 1);
  // As a replay leaves them: the lamp frame on its other picture, the panel hidden.
  ASSERT_EQ(v.ShowLampFrame4(), 1);
  ASSERT_EQ(SharedScreen().notifyPanel->Show(0), 1);
  Show(v, 1);
  EXPECT_EQ(SharedScreen().frameAnimation.lampFrameState, 0u);
  EXPECT_EQ(SharedScreen().notifyPanel->Show(1), 0) << "shown again";

  // Coming back from this asteroid's replay to a unit elsewhere the sky is
  // not turned as the camera moves; from another view it is.
  ASSERT_NE(g_sgWorld->starField, nullptr);
  CVStarField& sky = *g_sgWorld->starField;
  CGUnit* away = Ship(2);
  const auto skyAfterShowing = [&](ViewType previous) {
    Show(v, 1);
    SharedScreen().previousViewType = previous;
    SharedScreen().previousViewAsteroid = 1;
    sky.window = {0, 0, 1, 1};
    v.sceneShown = 0;
    v.Render(static_cast<std::int32_t>(away->id));
    EXPECT_EQ(v.GetCurrentAsteroidId(), 2);
    return sky.window.right;
  };
  EXPECT_EQ(skyAfterShowing(VIEW_SPACE_REPLAY), 1);
  EXPECT_NE(skyAfterShowing(VIEW_SOLAR), 1);
  EXPECT_EQ(sky.lockFlag, 0u);
}

TEST_F(AstSpace, TheLinearModeRestoresAStoredCameraOnlyBetween920And1089) {
  CVAstSpace& v = MakeAst();
  v.cameraMode = 1;
  CGAsteroid* a = g_gameData->solarDB.GetAsteroid(1);
  const float f[3] = {0.f, 0.f, 1.f}, u[3] = {0.f, 1.f, 0.f};
  struct Case {
    double z;
    double expectedZ;
  };
  for (const Case c : {Case{1089.0, 1060.0}, Case{920.0, 1060.0}, Case{1088.0, 1088.0}, Case{921.0, 921.0}}) {
    const double stored[3] = {1090.0, 1101.0, c.z};
    a->SetViewCamera(stored, f, u);
    v.RestoreAsteroidCamera(1);
    double eye[3];
    Camera(eye);
    EXPECT_NEAR(eye[2], c.expectedZ, 1e-6) << "stored z " << c.z;
  }
  // Leaving the view keeps the camera in the asteroid.
  v.currentAsteroid = 1;
  const double here[3] = {1050.0, 1105.0, 1010.0};
  g_sgWorld->SetCameraPosition(here[0], here[1], here[2]);
  v.GoToView(VIEW_SOLAR, -1);
  double pos[3];
  float ff[3], uu[3];
  a->GetViewCamera(pos, ff, uu);
  EXPECT_DOUBLE_EQ(pos[0], 1050.0);
  EXPECT_DOUBLE_EQ(pos[2], 1010.0);
}

TEST_F(AstSpace, FiltersCycleWithTheirTextsAndMarkTheUnitsThatPass) {
  CVAstSpace& v = MakeAst();
  CGUnit* mine = Ship(1, kLocal, -3000);
  CGUnit* theirs = Ship(1, kOther, 3000);
  Show(v, 1);
  ASSERT_NE(ObjectOf(v, mine), nullptr);
  ASSERT_NE(ObjectOf(v, theirs), nullptr);
  // F runs through the six filters and back to none.
  const char* texts[] = {"Filter: All My Units", "Filter: Loyal", "Filter: Rebels", "Filter: Not Probed"};
  for (int i = 0; i < 4; ++i) {
    v.ShowGuildMenu();
    EXPECT_EQ(v.filterMask, 1u << i);
    EXPECT_EQ(Status(), texts[i]);
  }
  v.ShowGuildMenu();  // the chapter filter waits for a guild
  EXPECT_EQ(v.filterMask, 0x10);
  EXPECT_EQ(Status(), "Select a guild...");
  EXPECT_EQ(SharedScreen().pendingOrderOption, 4);
  v.ShowGuildMenu();
  EXPECT_EQ(v.filterMask, 0x20);
  EXPECT_EQ(SharedScreen().pendingOrderOption, 255);
  EXPECT_EQ(Status(), "Filter: Guild");
  EXPECT_TRUE(ObjectOf(v, mine)->HasHalo());
  EXPECT_TRUE(ObjectOf(v, theirs)->HasHalo());
  v.ShowGuildMenu();
  EXPECT_EQ(v.filterMask, 0);
  EXPECT_EQ(Status(), "No Filters");
  EXPECT_FALSE(ObjectOf(v, mine)->HasHalo());

  // Mine, then inverted with Shift: the other chapter's unit is marked.
  v.ToggleFilter(0);
  EXPECT_TRUE(ObjectOf(v, mine)->HasHalo());
  EXPECT_FALSE(ObjectOf(v, theirs)->HasHalo());
  Shift(true);
  v.ToggleFilter(0);  // the same button: off
  EXPECT_EQ(v.filterMask, 0);
  v.ToggleFilter(0);
  Shift(false);
  EXPECT_EQ(Status(), "Filter: Not My Units");
  EXPECT_FALSE(ObjectOf(v, mine)->HasHalo());
  EXPECT_TRUE(ObjectOf(v, theirs)->HasHalo());
  // The pressed button shows its other picture.
  EXPECT_NE(std::string(v.filterButtons[0]->normalImage).find("sfmine_u.ima"), std::string::npos);

  // Labels take the markers off; switching them off brings them back.
  v.ToggleUnitHalos();
  EXPECT_FALSE(ObjectOf(v, theirs)->HasHalo());
  v.ToggleUnitHalos();
  EXPECT_TRUE(ObjectOf(v, theirs)->HasHalo());

  // A destroyed unit passes no filter, inverted or not.
  theirs->unoperational = 1;
  EXPECT_EQ(v.PassesFilter(theirs->id), 0);
  // The guild filter with Shift passes nothing.
  Shift(true);
  v.ToggleFilter(5);
  Shift(false);
  EXPECT_EQ(Status(), "Filter: Not Guild");
  EXPECT_EQ(v.PassesFilter(mine->id), 0);
}

// Rebels are the guild's chapters that are renegade or have taken a camp in
// an interregnum; the loyal ones are the rest of the guild.
TEST_F(AstSpace, RebelAndLoyalFiltersTellTheGuildsChaptersApart) {
  CVAstSpace& v = MakeAst();
  constexpr std::uint8_t kMate = kLocal + 1;
  CGUnit* mate = Ship(1, kMate, 1000);
  CGUnit* theirs = Ship(1, kOther, 3000);
  Show(v, 1);
  CGChapter* chapter = g_gameData->guildList->GetChapter(kMate);
  ASSERT_NE(chapter, nullptr);
  struct Case {
    std::uint32_t renegade, camp;
    int rebel;
  };
  for (const Case c : {Case{0, 0, 0}, Case{1, 0, 1}, Case{0, 2, 1}}) {
    chapter->renegade = c.renegade;
    chapter->camp = c.camp;
    v.filterMask = 0x04;
    EXPECT_EQ(v.PassesFilter(mate->id), c.rebel) << "renegade " << c.renegade << " camp " << c.camp;
    v.filterMask = 0x02;
    EXPECT_EQ(v.PassesFilter(mate->id), 1 - c.rebel) << "renegade " << c.renegade << " camp " << c.camp;
    // Another guild's chapter is neither.
    EXPECT_EQ(v.PassesFilter(theirs->id), 0);
  }
}

TEST_F(AstSpace, TheChapterFilterAsksForAGuildThenAChapter) {
  CVAstSpace& v = MakeAst();
  CGUnit* theirs = Ship(1, kOther, 3000);
  Show(v, 1);
  v.ToggleFilter(4);
  EXPECT_EQ(Status(), "Select a guild...");
  v.OnSelectGuild(kOther >> 3);
  EXPECT_EQ(Status(), "Select a chapter...");
  EXPECT_EQ(SharedScreen().pendingOrderOption, 5);
  v.OnSelectChapter(kOther & 7);
  EXPECT_EQ(v.filterChapter, kOther);
  EXPECT_EQ(Status().rfind("Filter: ", 0), 0u) << Status();
  EXPECT_TRUE(ObjectOf(v, theirs)->HasHalo());
}

// The F key and a filter that replaces another change buttons nobody
// clicked: both show their new picture at once, as a full redraw would.
TEST_F(AstSpace, FilterButtonsShowTheirStateAtOnceWithoutAClick) {
  CVAstSpace& v = MakeAst();
  Ship(1);
  Show(v, 1);
  v.UpdateControlPanel();
  const RECT mine{637, 494, 662, 518}, loyal{662, 494, 688, 518};
  const std::vector<std::uint32_t> mineUp = quentest::ScreenArea(mine).rgb;
  const std::vector<std::uint32_t> loyalUp = quentest::ScreenArea(loyal).rgb;
  v.ShowGuildMenu();
  ASSERT_EQ(v.filterMask, 0x01);
  const std::vector<std::uint32_t> mineDown = quentest::ScreenArea(mine).rgb;
  EXPECT_NE(mineDown, mineUp);
  v.UpdateControlPanel();
  EXPECT_EQ(quentest::ScreenArea(mine).rgb, mineDown);
  // The loyal filter replaces it: the first button is up again.
  v.ShowGuildMenu();
  ASSERT_EQ(v.filterMask, 0x02);
  EXPECT_EQ(quentest::ScreenArea(mine).rgb, mineUp);
  EXPECT_NE(quentest::ScreenArea(loyal).rgb, loyalUp);
  // Under the info panel the buttons are hidden and stay undrawn.
  SharedScreen().infoPanelVisible = 1;
  const std::vector<std::uint32_t> covered = quentest::ScreenArea(loyal).rgb;
  v.ShowGuildMenu();
  EXPECT_EQ(quentest::ScreenArea(loyal).rgb, covered);
  SharedScreen().infoPanelVisible = 0;
}

TEST_F(AstSpace, TheSavedBlockBringsBackModeFilterButtonAndAsteroid) {
  CVAstSpace& v = MakeAst();
  Show(v, 2);
  v.cameraMode = 4;
  v.ToggleFilter(1);
  const std::vector<std::uint8_t> block = v.SaveViewBlock();
  ast.reset();

  CVAstSpace& w = MakeAst();
  ASSERT_TRUE(w.LoadViewBlock(block));
  EXPECT_EQ(w.cameraMode, 4);
  EXPECT_EQ(w.filterMask, 0x02);
  EXPECT_EQ(w.pendingAsteroid, 2);
  EXPECT_EQ(w.currentAsteroid, 4);
  EXPECT_NE(std::string(w.filterButtons[1]->normalImage).find("sfloyalu.ima"), std::string::npos);
  w.Render(-1);
  EXPECT_EQ(w.GetCurrentAsteroidId(), 2);

  // An asteroid past the count is no asteroid: the view falls back.
  AstSpaceBlock far;
  far.asteroid = 900;
  ASSERT_TRUE(w.LoadViewBlock(BuildAstSpaceBlock(far)));
  EXPECT_EQ(w.pendingAsteroid, 4);
  // A refused block changes nothing.
  std::vector<std::uint8_t> bad = block;
  bad[12] = 0;
  EXPECT_FALSE(w.LoadViewBlock(bad));
  EXPECT_EQ(w.pendingAsteroid, 4);
}

TEST_F(AstSpace, OrdersFromTheCommandTable) {
  CVAstSpace& v = MakeAst();
  CGUnit* tanker = Builder(1);
  CGUnit* theirs = Ship(1, kOther, 3000);
  Show(v, 1);
  packets.clear();

  // Refuel from this asteroid: packet 126 with the unit and its asteroid, padding zero.
  SharedScreen().commandMode = ORDER_RECHARGE_FROM_ASTEROID;
  SharedScreen().commandUnitId = 0xFFFF0000u | 1;
  v.ExecuteOrderMode(DISP_UNIT, tanker->id);
  ASSERT_EQ(packets.size(), 1u);
  RefuelAtAsteroidPacket sent;
  ASSERT_TRUE(RefuelAtAsteroidPacket::Parse(packets[0], &sent));
  EXPECT_EQ(sent.unitId, tanker->id);
  EXPECT_EQ(sent.asteroid, 1);
  ASSERT_EQ(packets[0].size(), 16u);
  EXPECT_EQ(packets[0][14], 0);
  EXPECT_EQ(packets[0][15], 0);
  EXPECT_EQ(Status(), "Refueling target acquired");
  EXPECT_EQ(SharedScreen().commandMode, kNoCommandMode);

  // Construction is given elsewhere: any object here is refused, and the command ends.
  Select(tanker);
  SharedScreen().commandMode = ORDER_BUILD_SHIP;
  SharedScreen().commandUnitId = tanker->id;
  v.ExecuteOrderMode(DISP_UNIT, tanker->id);
  EXPECT_EQ(Status(), "Invalid Target");
  EXPECT_EQ(SharedScreen().commandMode, kNoCommandMode);

  // An attack on an own unit is refused and kept for another click.
  Select(tanker);
  SharedScreen().commandMode = ORDER_MENTAL_ATTACK;
  SharedScreen().commandUnitId = tanker->id;
  CGUnit* friendly = Ship(1, kLocal, -3000);
  v.UpdateUnitObjects();
  v.ExecuteOrderMode(DISP_UNIT, friendly->id);
  EXPECT_EQ(Status(), "Cannot Target Friendly Ships");
  EXPECT_EQ(SharedScreen().commandMode, ORDER_MENTAL_ATTACK);
  EXPECT_TRUE(SentOrders().empty());
  // ... and the foreign unit is taken.
  v.ExecuteOrderMode(DISP_UNIT, theirs->id);
  EXPECT_EQ(Status(), "Target Acquired");
  EXPECT_EQ(SharedScreen().commandMode, kNoCommandMode);
  EXPECT_EQ(SentOrders(), std::vector<std::uint32_t>{ORDER_MENTAL_ATTACK});
  // Command 31 takes no other chapter's unit in this view: refused, kept.
  Select(tanker);
  SharedScreen().commandMode = 31;
  EXPECT_EQ(v.ExecuteOrderMode(DISP_UNIT, theirs->id), 0);
  EXPECT_EQ(Status(), "Invalid Target");
  EXPECT_EQ(SharedScreen().commandMode, 31u);

  // A power transfer onto a foreign unit: refused, the command kept.
  Select(tanker);
  SharedScreen().commandMode = ORDER_TRANSFER_POWER;
  SharedScreen().commandUnitId = tanker->id;
  EXPECT_EQ(v.ExecuteOrderMode(DISP_UNIT, theirs->id), 0);
  EXPECT_EQ(Status(), "Invalid Target");
  EXPECT_EQ(SharedScreen().commandMode, ORDER_TRANSFER_POWER);

  // A command this view has no row for.
  SharedScreen().commandMode = ORDER_ATTACK_UNIT;
  v.ExecuteOrderMode(DISP_UNIT, theirs->id);
  EXPECT_EQ(Status(), "Not implemented yet");
}

TEST_F(AstSpace, ATemplatePickedInTheDataPanelIsOrderedFromEverySelectedConstructor) {
  CVAstSpace& v = MakeAst();
  CGUnit* first = Builder(1);
  CGUnit* gunship = Ship(1);
  CGUnit* second = Builder(1);
  Show(v, 1);
  SentOrders();
  const std::uint32_t plenty[4] = {100000, 100000, 100000, 100000};
  g_gameData->poolDB.SetMinerals(1, plenty);
  g_gameData->GetLocalChapter()->credits = 100000;

  // Construction: both builders build, the gunship is told it cannot.
  Select(first);
  Select(second);
  Select(gunship);
  SharedScreen().commandMode = ORDER_BUILD_SHIP;
  SharedScreen().commandUnitId = first->id;
  v.OnDataPanelCommand(0, 0);
  EXPECT_EQ(SentOrders(), (std::vector<std::uint32_t>{ORDER_BUILD_SHIP, ORDER_BUILD_SHIP}));
  EXPECT_EQ(Status(), "Construction failed - no construction capability");
  EXPECT_EQ(first->GetOrderCount(), 1u);
  EXPECT_EQ(second->GetOrderCount(), 1u);
  EXPECT_EQ(g_gameData->GetSelectionCount(), 0u);
  EXPECT_EQ(SharedScreen().commandMode, kNoCommandMode);
  EXPECT_EQ(SharedScreen().templateSlot, 255u);

  // Modification: each builder works on the target.
  Select(first);
  Select(second);
  SharedScreen().commandMode = ORDER_MODIFY_SHIP;
  SharedScreen().commandUnitId = first->id;
  SharedScreen().modifyTargetId = gunship->id;
  v.OnDataPanelCommand(0, 0);
  EXPECT_EQ(SentOrders(), (std::vector<std::uint32_t>{ORDER_MODIFY_SHIP, ORDER_MODIFY_SHIP}));
  EXPECT_EQ(Status(), "Modification initiated");

  // A target gone by then: each constructor says so, none is ordered.
  Select(first);
  Select(second);
  SharedScreen().commandMode = ORDER_MODIFY_SHIP;
  SharedScreen().commandUnitId = first->id;
  SharedScreen().modifyTargetId = 0x7FFFFFF0u;
  v.OnDataPanelCommand(0, 0);
  EXPECT_TRUE(SentOrders().empty());
  EXPECT_EQ(Status(), "Modification failed - target destroyed");

  // An empty slot ends the order at once.
  Select(first);
  SharedScreen().commandMode = ORDER_BUILD_SHIP;
  SharedScreen().commandUnitId = first->id;
  v.OnDataPanelCommand(14, 0);
  EXPECT_TRUE(SentOrders().empty());
  EXPECT_EQ(Status(), "Construction failed - invalid template");
  EXPECT_EQ(g_gameData->GetSelectionCount(), 0u);
  SharedScreen().modifyTargetId = 0xFFFFFFFF;
}

TEST_F(AstSpace, TheHeightClickIsKeptWithinTheBandThePreviewShows) {
  CGUnit* ship = Ship(1);
  CVAstSpace& v = HeightTargetStarted(ship);
  EXPECT_EQ(Status(), "Set height");
  ASSERT_TRUE(v.targetLineActive);
  // The top edge of the picture looks far above the band.
  v.FinishHeightTarget(300, 99);
  EXPECT_FALSE(v.targetLineActive);
  ASSERT_GE(ship->GetOrderCount(), 1);
  const Location at = ship->GetOrder(0)->GetLocation();
  EXPECT_EQ(at.asteroid, 1);
  EXPECT_LE(PackedToWorld(at.y), CVAstSpace::kHeightHigh + 0.01);
  EXPECT_GE(PackedToWorld(at.y), CVAstSpace::kHeightLow - 0.01);
  EXPECT_EQ(SentOrders(), std::vector<std::uint32_t>{ORDER_MOVE_TO_LOCATION});
}

// The preview line stands on the picked point of the grid and reaches up to
// the height the cursor points at, not half below the grid.
TEST_F(AstSpace, TheHeightPreviewRisesFromThePickedPoint) {
  CGUnit* ship = Ship(1);
  CVAstSpace& v = HeightTargetStarted(ship);
  ASSERT_NE(v.targetLine, nullptr);
  // A point near the top of the picture: the line ends where the click
  // there sends the unit.
  v.TrackHeightTarget(300, 110);
  double at[3];
  v.targetLine->GetPosition(at);
  const double length = std::fabs(v.targetLine->GetLength());
  EXPECT_GT(length, 1.0);
  EXPECT_NEAR(at[1] - length / 2, v.GridHeight(), 0.05);
  EXPECT_DOUBLE_EQ(at[0], 1100.0);
  EXPECT_DOUBLE_EQ(at[2], 1100.0);
  v.FinishHeightTarget(300, 110);
  ASSERT_GE(ship->GetOrderCount(), 1);
  EXPECT_NEAR(at[1] + length / 2, PackedToWorld(ship->GetOrder(0)->GetLocation().y), 0.05);
}

// Switching the grid off takes its lines and the height target's with them:
// the view forgets that line rather than keep it, and the next target makes
// a new one.
TEST_F(AstSpace, TheGridSwitchedOffTakesTheTargetLineAndANewTargetMakesAnother) {
  CVAstSpace& v = MakeAst();
  Select(Ship(1));
  Show(v, 1);
  v.RebuildGrid();
  ASSERT_TRUE(v.displayList->Find(DISP_GRID, 0));
  const double point[3] = {1100.0, v.GridHeight(), 1100.0};
  v.StartHeightTarget(point, nullptr);
  ASSERT_NE(v.targetLine, nullptr);
  v.RebuildGrid();
  EXPECT_FALSE(v.displayList->Find(DISP_GRID, 0));
  EXPECT_EQ(v.targetLine, nullptr);
  EXPECT_FALSE(v.targetLineActive);
  v.RebuildGrid();
  v.StartHeightTarget(point, nullptr);
  ASSERT_NE(v.targetLine, nullptr);
  EXPECT_EQ(v.displayList->Find(DISP_LINE, v.targetLine->key.id), v.targetLine);
}

TEST_F(AstSpace, TheStatusLineNamesTheAsteroidAndItsScanAge) {
  CVAstSpace& v = MakeAst();
  CGAsteroid& a = *g_gameData->solarDB.GetAsteroid(1);
  a.SetName("Vornix");
  Ship(1, kOther);
  g_gameData->turn = 9;
  a.lastScanTurn = 9;
  Show(v, 1);
  EXPECT_EQ(Status(), "Vornix - Up to date");
  a.lastScanTurn = 6;
  Show(v, 1);
  EXPECT_EQ(Status(), "Vornix - Last updated: 3 turns ago");
  // The chapter's own ship there, or the asteroid its own, sees it this turn,
  // as the data panel beside the view says.
  Ship(1);
  a.lastScanTurn = 6;  // as the turn's start left it
  Show(v, 1);
  EXPECT_EQ(Status(), "Vornix - Up to date");
  EXPECT_EQ(a.lastScanTurn, 9);
  CGAsteroid& b = *g_gameData->solarDB.GetAsteroid(2);
  b.SetName("Quilorlox");
  b.owner = kLocal;
  b.lastScanTurn = 4;
  Show(v, 2);
  EXPECT_EQ(Status(), "Quilorlox - Up to date");
}

// Arriving at an asteroid, the unit under the pointer is read out at once,
// before the pointer moves.
TEST_F(AstSpace, TheUnitUnderThePointerIsReadOutOnArrival) {
  CVAstSpace& v = MakeAst();
  CGUnit* ship = Ship(1, kLocal, 0);
  ship->location.z = -6000;  // before the asteroid, in the middle of the picture
  Show(v, 1);
  g_sgWorld->redraw = 1;
  v.DrawFrame();
  int sx = 0, sy = 0;
  ObjectOf(v, ship)->GetScreenPosition(&sx, &sy);
  ASSERT_NE(sx, 0x7FFF);
  SetCursorPos(29 + sx, 98 + sy);
  v.currentKind = 0xFFFF;
  v.currentId = 0xFFFFFFFF;
  Show(v, 1);
  EXPECT_EQ(v.currentKind, DISP_UNIT);
  EXPECT_EQ(v.currentId, ship->id);
  SetCursorPos(0, 0);
}

// A status text goes after its time, as in the other views; the height
// prompt stays until the height is given.
TEST_F(AstSpace, TheStatusLineGoesAfterItsTimeButTheHeightPromptStays) {
  CVAstSpace& v = MakeAst();
  Select(Ship(1));
  Show(v, 1);
  ASSERT_NE(SharedScreen().statusShown, 0);
  for (int i = 0; i < orders::kStatusTime - 1; ++i) v.PlayFrameAnimation(75);
  EXPECT_NE(SharedScreen().statusShown, 0);
  v.PlayFrameAnimation(75);
  EXPECT_EQ(SharedScreen().statusShown, 0);
  // Frames shorter than an animation step do not count.
  orders::Tell(v, "TRGTAQRD");
  const std::uint16_t shown = SharedScreen().statusShown;
  v.PlayFrameAnimation(10);
  EXPECT_EQ(SharedScreen().statusShown, shown);
  const double point[3] = {1100.0, v.GridHeight(), 1100.0};
  v.StartHeightTarget(point, nullptr);
  for (int i = 0; i < 3 * orders::kStatusTime; ++i) v.PlayFrameAnimation(75);
  EXPECT_NE(SharedScreen().statusShown, 0);
  EXPECT_EQ(Status(), "Set height");
  // A timed line over the prompt gives it back, still waiting.
  v.SetStatusText("Game saved", orders::kStatusTime);
  for (int i = 0; i < orders::kStatusTime; ++i) v.PlayFrameAnimation(75);
  EXPECT_EQ(Status(), "Set height");
  EXPECT_EQ(SharedScreen().statusShown, 0xFFFF);
}

TEST_F(AstSpace, TabWithNowhereElseToGoSaysSoAndStays) {
  CVAstSpace& v = MakeAst();
  Ship(1);
  Show(v, 1);
  v.JumpToNextAsteroid();
  EXPECT_EQ(Status(), "You don't control, or have a presence at, any other asteroid!");
  EXPECT_EQ(v.GetCurrentAsteroidId(), 1);
  // With units elsewhere the jump goes there.
  Ship(3);
  v.JumpToPreviousAsteroid();
  EXPECT_EQ(g_jumpAsteroid, 3);
}

TEST_F(AstSpace, TheAsteroidMenuOffersVotesToItsControllerAndRulesToItsOwner) {
  CVAstSpace& v = MakeAst();
  Show(v, 1);
  CGAsteroid* a = g_gameData->solarDB.GetAsteroid(1);
  a->owner = kLocal;
  a->controller = kOther;
  auto items = [&] {
    backend->PressKey(VK_ESCAPE, 10);
    v.ShowObjectMenu(100, 200);
    std::vector<std::uint32_t> ids;
    if (SharedScreen().popupMenu)
      for (int i = 0; i < SharedScreen().popupMenu->GetItemCount(); ++i)
        ids.push_back(SharedScreen().popupMenu->GetItemId(i));
    ReleasePopupMenu(SharedScreen().popupMenu);
    SharedScreen().popupMenu = nullptr;
    return ids;
  };
  EXPECT_EQ(items(), (std::vector<std::uint32_t>{506, 507, 616, 524}));
  EXPECT_EQ(SharedScreen().menuObjectId, 1u);
  a->owner = kOther;
  a->controller = kLocal;
  EXPECT_EQ(items(), (std::vector<std::uint32_t>{506, 507, 516, 616}));
}

TEST_F(AstSpace, AnAsteroidWithItsUnitsFilterMarksAndLabelsOnScreen) {
  CVAstSpace& v = MakeAst();
  g_sgWorld->DisableDistanceFog();
  Ship(1, kLocal, -2500);
  CGUnit* mine = Ship(1, kLocal, 2500);
  CGUnit* theirs = Ship(1, kOther, 0);
  theirs->SetName("Raider");
  // In front of the asteroid, within reach of the first unit's weapon.
  theirs->location.z = -2500;
  v.cameraMode = 3;
  const double eye[3] = {1100, 1120, 1024};
  const float f[3] = {0.f, -0.25f, 1.f}, u[3] = {0.f, 1.f, 0.f};
  g_gameData->solarDB.GetAsteroid(1)->SetViewCamera(eye, f, u);
  Show(v, 1);
  v.RebuildGrid();
  v.ToggleFilter(0);
  g_currentView = &v;
  g_unitViewAngles = 1;
  v.RefreshObjects(1);
  g_animElapsedMs = 0;
  g_sgWorld->redraw = 1;
  ASSERT_EQ(v.DrawFrame(), 1u);
  FlushScreen();
  const RECT area{29, 98, 614, 465};
  const std::filesystem::path dir = std::filesystem::path(QUEN_SOURCE_DIR) / "tests/Game/views/space/data";
  EXPECT_TRUE(quentest::MatchesGolden(quentest::Crop(quentest::ScreenArea({0, 0, 800, 600}), area),
                                      dir / "asteroid_space_filter.png"));
  // Labels of every unit (the guild filter): names, hull and power bars, and
  // against the other chapter's unit the selected unit's weapon dash.
  v.ToggleFilter(5);
  Select(mine);
  v.ToggleUnitHalos();
  g_sgWorld->redraw = 1;
  ASSERT_EQ(v.DrawFrame(), 1u);
  FlushScreen();
  EXPECT_TRUE(quentest::MatchesGolden(quentest::Crop(quentest::ScreenArea({0, 0, 800, 600}), area),
                                      dir / "asteroid_space_labels.png"));
  // The filter, grid and terrain buttons, the guild filter pressed.
  v.UpdateControlPanel();
  EXPECT_TRUE(quentest::MatchesGolden(quentest::ScreenArea({637, 494, 790, 542}), dir / "asteroid_space_buttons.png"));
}

// The labels' dashes against the unit the selected unit's own battle plan
// would fire at are the bright ones; with Ctrl held that unit is picked from
// where the selected unit's move takes it.
TEST_F(AstSpace, LabelsLightTheDashesOfTheBattleTargetFromThePlannedPlace) {
  CVAstSpace& v = MakeAst();
  g_sgWorld->DisableDistanceFog();
  CGUnit* mine = Ship(1, kLocal, -2000);
  CGUnit* nearHere = Ship(1, kOther, -1500);
  CGUnit* nearThere = Ship(1, kOther, 2000);
  for (CGUnit* u : {mine, nearHere, nearThere}) u->location.z = -2500;
  Location there = mine->location;
  there.x = 1800;
  ASSERT_EQ(mine->OrderToLocation(ORDER_MOVE_TO_LOCATION, &there, 1), 1);
  v.cameraMode = 3;
  const double eye[3] = {1100, 1120, 1024};
  const float f[3] = {0.f, -0.25f, 1.f}, u[3] = {0.f, 1.f, 0.f};
  g_gameData->solarDB.GetAsteroid(1)->SetViewCamera(eye, f, u);
  Show(v, 1);
  v.ToggleFilter(5);
  Select(mine);
  v.ToggleUnitHalos();
  // Whether a dash under the unit's label has the full strength of one
  // channel, as only the bright forms have.
  auto bright = [&](const CGUnit* target) {
    int sx = 0, sy = 0;
    ObjectOf(v, target)->GetScreenPosition(&sx, &sy);
    const RECT dashes{29 + sx + 2, 98 + sy + 9, 29 + sx + 2 + 6 * 4, 98 + sy + 12};
    for (std::uint32_t c : quentest::ScreenArea(dashes).rgb)
      if ((c & 0xFF) >= 0xF0 || ((c >> 8) & 0xFF) >= 0xF0 || ((c >> 16) & 0xFF) >= 0xF0) return true;
    return false;
  };
  auto draw = [&] {
    g_sgWorld->redraw = 1;
    ASSERT_EQ(v.DrawFrame(), 1u);
    FlushScreen();
  };
  draw();
  EXPECT_TRUE(bright(nearHere));
  EXPECT_FALSE(bright(nearThere));
  backend->KeyDown(VK_CONTROL, 10);
  backend->RunUntilIdle();
  draw();
  backend->KeyUp(VK_CONTROL, 10);
  backend->RunUntilIdle();
  EXPECT_FALSE(bright(nearHere));
  EXPECT_TRUE(bright(nearThere));
}

}  // namespace
