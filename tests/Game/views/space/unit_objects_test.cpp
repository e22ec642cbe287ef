// The unit display objects kept in line with the model, the grid plane and
// the picture of units, grid and selection marks.
#include <gtest/gtest.h>

#include <memory>

#include "Game/model/GUnitOrder.h"
#include "Game/panels/CVData.h"
#include "Game/rules/GUnitTem.h"
#include "Game/views/space/CVB3DView.h"
#include "Game/views/world/CVDispObj.h"
#include "Game/views/world/CVDispUnt.h"
#include "Game/views/world/DisplayList.h"
#include "platform/user/keys.h"
#include "tests/Game/views/space/space_world.h"
#include "tests/support/golden.h"

namespace {

using namespace plat;
using namespace views_test;
using space_test::SpaceWorld;
using space_test::TestView;

class UnitObjects : public SpaceWorld {
 protected:
  CGUnit* Ship(std::uint16_t asteroid, std::uint8_t chapter = kLocal, std::int16_t x = 0) {
    return Unit({kComputer, kDrive, kPower, kWeapon}, asteroid, chapter, x);
  }
  static CVDispUnt* ObjectOf(TestView& v, const CGUnit* unit) {
    return static_cast<CVDispUnt*>(v.displayList->Find(DISP_UNIT, unit->id));
  }
  static std::unique_ptr<UnitOrder> OrderOnAsteroid(std::uint32_t type, std::uint16_t asteroid) {
    auto order = std::make_unique<UnitOrder>();
    order->type = type;
    order->SetWord(0, asteroid);
    return order;
  }
};

TEST_F(UnitObjects, ObjectsFollowUnitsArrivingLeavingRefittedAndWrecked) {
  TestView& v = Make3D();
  CGUnit* stays = Ship(0);
  CGUnit* leaves = Ship(0);
  CGUnit* away = Ship(1);
  v.UpdateUnitObjects();
  ASSERT_NE(ObjectOf(v, stays), nullptr);
  ASSERT_NE(ObjectOf(v, leaves), nullptr);
  EXPECT_EQ(ObjectOf(v, away), nullptr);
  CVDispUnt* kept = ObjectOf(v, stays);

  const std::uint16_t one = 1, zero = 0;
  g_gameData->pieces.MoveUnit(leaves, &one);
  g_gameData->pieces.MoveUnit(away, &zero);
  v.UpdateUnitObjects();
  EXPECT_EQ(ObjectOf(v, leaves), nullptr);
  ASSERT_NE(ObjectOf(v, away), nullptr);
  EXPECT_EQ(ObjectOf(v, stays), kept);

  // A refit to another class brings a new object with the new model.
  const std::uint8_t oldClass = stays->GetTemplate()->unitClass;
  stays->GetTemplate()->unitClass = static_cast<std::uint8_t>(oldClass == 8 ? 9 : 8);
  v.UpdateUnitObjects();
  CVDispUnt* refitted = ObjectOf(v, stays);
  ASSERT_NE(refitted, nullptr);
  char abbreviation[8] = {};
  stays->GetClassAbbreviation(abbreviation);
  EXPECT_EQ(refitted->baseName.substr(0, 4), std::string(abbreviation, 4));

  // A wreck once: the same object on the next update.
  g_gameData->pieces.MarkUnitUnoperational(stays);
  v.UpdateUnitObjects();
  CVDispUnt* wreck = ObjectOf(v, stays);
  ASSERT_NE(wreck, nullptr);
  EXPECT_EQ(wreck->wreck, 1u);
  v.UpdateUnitObjects();
  EXPECT_EQ(ObjectOf(v, stays), wreck);
}

// Both ways an object is made, from the unit and from its id alone (as the
// battle replay does), size the ship by its hull.
TEST_F(UnitObjects, ShipsOfSmallHullsAreDrawnATenthSmaller) {
  TestView& v = Make3D();
  CGUnit* ship = Ship(0);
  CGHull* hull = ship->GetTemplate()->hull;
  ASSERT_NE(hull, nullptr);
  DisplayList& list = *v.displayList;

  hull->attribute = 19;
  EXPECT_FLOAT_EQ(list.CreateUnit(ship)->scale, 0.9f);
  EXPECT_FLOAT_EQ(list.CreateUnitFromTemplate(ship->id, "dest", 0)->scale, 0.9f);

  hull->attribute = 20;
  EXPECT_FLOAT_EQ(list.CreateUnit(ship)->scale, 1.f);
  EXPECT_FLOAT_EQ(list.CreateUnitFromTemplate(ship->id, "dest", 0)->scale, 1.f);

  // No hull, or no unit of that id in the game: full size.
  hull->attribute = 0;
  ship->GetTemplate()->hull = nullptr;
  EXPECT_FLOAT_EQ(list.CreateUnit(ship)->scale, 1.f);
  EXPECT_FLOAT_EQ(list.CreateUnitFromTemplate(ship->id, "dest", 0)->scale, 1.f);
  ship->GetTemplate()->hull = hull;
  EXPECT_FLOAT_EQ(list.CreateUnitFromTemplate(ship->id + 1000, "dest", 0)->scale, 1.f);
}

TEST_F(UnitObjects, OrdersNamingMissingThingsAreSkipped) {
  TestView& v = Make3D();
  CGUnit* unit = Ship(0);
  unit->InsertOrder(OrderOnAsteroid(2, 200), 1, false);
  v.UpdateUnitObjects();
  ASSERT_NE(ObjectOf(v, unit), nullptr);
  v.UpdateUnitObjects();
  v.ShowUnitHover(unit->id, 0xFFFF);
  v.ClearOrderTargetMarker(unit);
  EXPECT_TRUE(v.picked.empty());
  // A unit's target marker goes when the hover leaves it.
  CGUnit* other = Ship(0, kLocal, 3000);
  CGUnit* chaser = Ship(0, kLocal, -3000);
  v.UpdateUnitObjects();
  g_gameData->ClearSelection();
  Select(chaser);
  v.IssueOrder(1, DISP_UNIT, other->id, 0);
  v.UpdateUnitObjects();
  v.ShowUnitHover(chaser->id, 0xFFFF);
  EXPECT_TRUE(ObjectOf(v, other)->HasHalo());
  v.ClearOrderTargetMarker(nullptr);
  EXPECT_FALSE(ObjectOf(v, other)->HasHalo());
  ASSERT_EQ(v.picked.size(), 1u);
  EXPECT_EQ(v.picked[0], ObjectOf(v, other));
}

TEST_F(UnitObjects, HoveringAUnitMarksItsTargetAndLeavingItTakesTheMarkOff) {
  TestView& v = Make3D();
  CGUnit* target = Ship(0, kLocal, 2500);
  CGUnit* chaser = Ship(0, kLocal, -2500);
  Select(chaser);
  v.IssueOrder(1, DISP_UNIT, target->id, 0);
  g_gameData->ClearSelection();
  v.UpdateUnitObjects();
  const double eye[3] = {1100, 1100, 1080}, at[3] = {1100, 1100, 1100};
  Place(eye, at);
  g_currentView = &v;
  v.RefreshObjects(1);
  ASSERT_EQ(v.DrawFrame(), 1u);
  g_currentView = nullptr;
  // A point of the picture where the chaser is picked.
  int x = 0, y = 0;
  for (int ty = 150; ty < 400 && !x; ty += 2)
    for (int tx = 300; tx < 612 && !x; tx += 2)
      if (v.PickAt(tx, ty) == ObjectOf(v, chaser)) x = tx, y = ty;
  ASSERT_NE(x, 0);
  const LPARAM over = MAKELPARAM(x, y);
  v.OnMouseMove(0, over);
  EXPECT_EQ(v.currentKind, DISP_UNIT);
  EXPECT_EQ(v.currentId, chaser->id);
  EXPECT_TRUE(ObjectOf(v, target)->HasHalo());
  ASSERT_NE(SharedScreen().dataPanel, nullptr);
  EXPECT_FALSE(SharedScreen().dataPanel->shown.empty());
  // Again over the same unit: nothing changes.
  v.OnMouseMove(0, over);
  EXPECT_TRUE(v.picked.empty());
  // Empty space below the goto bar: the mark goes.
  v.OnMouseMove(0, MAKELPARAM(40, 455));
  EXPECT_FALSE(ObjectOf(v, target)->HasHalo());
  EXPECT_EQ(v.picked.size(), 1u);
}

TEST_F(UnitObjects, AMoveToALocationHereIsMarkedWhileItsUnitIsHovered) {
  TestView& v = Make3D();
  CGUnit* unit = Ship(0);
  const Location to{0, 1000, 2000, -500};
  unit->OrderToLocation(0, &to, 1);
  v.ShowUnitHover(unit->id, 0xFFFF);
  CVDispObj* marker = v.displayList->Find(DISP_ASTEROID_3D, unit->id);
  ASSERT_NE(marker, nullptr);
  double at[3], want[3];
  marker->GetPosition(at);
  v.LocationToWorld(to, want);
  EXPECT_DOUBLE_EQ(at[1], want[1]);
  v.ClearOrderTargetMarker(unit);
  EXPECT_EQ(v.displayList->Find(DISP_ASTEROID_3D, unit->id), nullptr);
}

TEST_F(UnitObjects, TheSolarViewPlacesItsAsteroidsWhereTheyAreNow) {
  TestView& v = Make3D(VIEW_SOLAR, 4);
  for (std::uint16_t a = 0; a < 4; ++a) v.CreateAsteroidObject(g_gameData->solarDB.GetAsteroid(a));
  const Location moved{0, 100, 200, 300};
  for (std::uint16_t a : {0, 3}) g_gameData->solarDB.GetAsteroid(a)->SetPosition(&moved);
  double want[3], at[3];
  v.LocationToWorld(moved, want);
  // From 3 past the end to 1: asteroids 3 and 0.
  v.RepositionAsteroids(3, 1);
  v.displayList->Find(DISP_ASTEROID, 3)->GetPosition(at);
  EXPECT_DOUBLE_EQ(at[2], want[2]);
  v.displayList->Find(DISP_ASTEROID, 0)->GetPosition(at);
  EXPECT_DOUBLE_EQ(at[2], want[2]);
}

TEST_F(UnitObjects, TheGridTogglesBackToTheSameSixteenTiles) {
  TestView& v = Make3D();
  v.RebuildGrid();
  ASSERT_EQ(v.GridTileCount(), 16u);
  EXPECT_EQ(g_gridShown, 1u);
  double first[3], last[3];
  v.displayList->Find(DISP_GRID, 0)->GetPosition(first);
  v.displayList->Find(DISP_GRID, 15)->GetPosition(last);
  EXPECT_DOUBLE_EQ(first[0], 1103.125 - 12.5);
  EXPECT_DOUBLE_EQ(first[2], 1103.125 - 12.5);
  EXPECT_DOUBLE_EQ(last[0], 1103.125 + 6.25);
  EXPECT_DOUBLE_EQ(last[1], 1093.5);
  v.RebuildGrid();
  EXPECT_EQ(v.GridTileCount(), 0u);
  EXPECT_EQ(g_gridShown, 0u);
  v.RebuildGrid();
  double again[3];
  v.displayList->Find(DISP_GRID, 15)->GetPosition(again);
  EXPECT_DOUBLE_EQ(again[0], last[0]);
  EXPECT_DOUBLE_EQ(again[1], 1093.5);
  // With Shift the plane returns to its first height.
  v.MoveGrid(3.0);
  v.RebuildGrid();
  backend->KeyDown(VK_SHIFT, 10);
  backend->RunUntilIdle();
  v.RebuildGrid();
  backend->KeyUp(VK_SHIFT, 10);
  backend->RunUntilIdle();
  EXPECT_DOUBLE_EQ(v.GridHeight(), 1093.5);
  // A unit made while the grid is shown gets its height line.
  CGUnit* unit = Ship(0);
  v.UpdateUnitObjects();
  bool line = false;
  for (CVDispNode* n = ObjectOf(v, unit)->children; n; n = n->next) line |= n->object->GetType() == DISP_LINE;
  EXPECT_TRUE(line);
}

TEST_F(UnitObjects, UnitsGridAndSelectionMarksOnScreen) {
  TestView& v = Make3D();
  g_sgWorld->DisableDistanceFog();
  CGUnit* a = Ship(0, kLocal, -2500);
  Ship(0, kLocal, 2500);
  Ship(0, kOther, 0);
  v.UpdateUnitObjects();
  v.RebuildGrid();
  Select(a);
  v.MarkSelection();
  // From afar (beyond 71) the selection mark is a halo around the unit.
  const double eye[3] = {1100, 1120, 1024}, at[3] = {1100, 1097, 1100};
  Place(eye, at);
  // Units choose their picture for the current view's camera.
  g_currentView = &v;
  g_unitViewAngles = 1;
  v.RefreshObjects(1);
  g_animElapsedMs = 0;
  ASSERT_EQ(v.DrawFrame(), 1u);
  g_currentView = nullptr;
  FlushScreen();
  const plat::RECT area{29, 98, 614, 465};
  EXPECT_TRUE(quentest::MatchesGolden(
      quentest::Crop(quentest::ScreenArea({0, 0, 800, 600}), area),
      std::filesystem::path(QUEN_SOURCE_DIR) / "tests/Game/views/space/data/units_grid_selection.png"));
}

}  // namespace
