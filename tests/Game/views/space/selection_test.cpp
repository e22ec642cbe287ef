// Selection, orders and unit groups of the 3D views against the model: the
// refusals and their texts, the order types chosen by alliance and place,
// groups stored and recalled on the function keys, and hostile model values.
#include <gtest/gtest.h>

#include <memory>

#include "Game/model/GChapter.h"
#include "Game/model/GGuild.h"
#include "Game/model/GUnitOrder.h"
#include "Game/views/frame/CPopupMenu.h"
#include "Game/views/space/CVB3DView.h"
#include "Game/views/world/CVDispObj.h"
#include "Game/views/world/DisplayList.h"
#include "platform/user/keys.h"
#include "tests/Game/views/space/space_world.h"

namespace {

using namespace plat;
using space_test::SpaceWorld;
using space_test::TestView;
using namespace views_test;

class Selection3D : public SpaceWorld {
 protected:
  void Key(TestView& v, UINT key, UINT modifier = 0) {
    if (modifier) {
      backend->KeyDown(modifier, 10);
      backend->RunUntilIdle();
    }
    v.OnKeyDown(key, 0);
    if (modifier) {
      backend->KeyUp(modifier, 10);
      backend->RunUntilIdle();
    }
  }
  CGUnit* Ship(std::uint16_t asteroid, std::uint8_t chapter = kLocal) {
    return Unit({kComputer, kDrive, kPower, kWeapon}, asteroid, chapter);
  }
  CGUnit* Crawler(std::uint16_t asteroid) { return Unit({kComputer, kThruster, kPower}, asteroid); }
  static void Stun(CGUnit* unit) {
    auto order = std::make_unique<UnitOrder>();
    order->type = ORDER_STUNNED;
    unit->InsertOrder(std::move(order), 1, false);
  }
};

TEST_F(Selection3D, GroupsAreStoredWithCtrlAndRecalledOnTheirKey) {
  TestView& v = Make3D();
  CGUnit* a = Ship(0);
  CGUnit* b = Ship(1);
  v.UpdateUnitObjects();

  // Ctrl+F3 with nothing selected stores nothing.
  Key(v, VK_F3, VK_CONTROL);
  EXPECT_EQ(Status(), "No units selected!");
  EXPECT_TRUE(g_gameData->GetUnitGroup(2).empty());

  Select(a);
  Key(v, VK_F1, VK_CONTROL);
  EXPECT_EQ(Status(), "Function key 1 Programmed");
  g_gameData->ClearSelection();
  Key(v, VK_F1);
  EXPECT_EQ(Status(), "Group 1 recalled");
  ASSERT_EQ(g_gameData->GetSelectionCount(), 1u);
  EXPECT_TRUE(v.displayList->Find(DISP_UNIT, a->id)->HasHalo());

  // A group over two asteroids is refused and leaves nothing selected.
  Select(b);
  Key(v, VK_F3, VK_CONTROL);
  Key(v, VK_F3);
  EXPECT_EQ(Status(), "Not all the group is in the same view");
  EXPECT_EQ(g_gameData->GetSelectionCount(), 0u);
  Key(v, VK_F5);
  EXPECT_EQ(Status(), "No group to recall");

  // With Shift a group elsewhere switches the view to it.
  g_gameData->ClearSelection();
  Select(b);
  Key(v, VK_F4, VK_CONTROL);
  Key(v, VK_F4, VK_SHIFT);
  ASSERT_EQ(v.views.size(), 1u);
  EXPECT_EQ(v.views[0].first, VIEW_ASTEROID_SPACE);
  EXPECT_EQ(v.views[0].second, 0xFFFF0001u);
}

TEST_F(Selection3D, OrdersFollowPlaceAndAlliance) {
  TestView& v = Make3D();
  CGUnit* own = Ship(0);
  CGUnit* crawler = Crawler(0);
  CGUnit* friendOther = Ship(0, kLocal);
  CGUnit* foreign = Ship(0, kOther);
  CGUnit* foreignAway = Ship(1, kOther);
  SentOrders();

  // Without deep-space speed a unit cannot leave for another asteroid.
  Select(crawler);
  EXPECT_EQ(v.IssueOrder(26, DISP_ASTEROID, 1, 0), 0);
  EXPECT_EQ(Status(), "Unit(s) does not have a solar space capability");
  EXPECT_EQ(crawler->GetOrderCount(), 0u);
  g_gameData->ClearSelection();

  // A foreign unit at another asteroid: its location is targeted instead.
  Select(own);
  v.IssueOrder(1, DISP_UNIT, foreignAway->id, 0);
  EXPECT_EQ(Status(), "Unable to target unit - location targeted instead");
  // (the model puts the trip to that asteroid first)
  EXPECT_EQ(SentOrders(), (std::vector<std::uint32_t>{2, 0}));

  // Here: the own chapter's unit is gone to, a foreign one attacked, and an
  // asteroid order becomes a move next to it in asteroid space.
  EXPECT_NE(v.IssueOrder(1, DISP_UNIT, friendOther->id, 0), 0);
  EXPECT_NE(v.IssueOrder(1, DISP_UNIT, foreign->id, 0), 0);
  EXPECT_NE(v.IssueOrder(26, DISP_ASTEROID, 0, 0), 0);
  EXPECT_EQ(SentOrders(), (std::vector<std::uint32_t>{1, 5, 3}));

  // A chapter of the own guild in the same camp is not attacked.
  CGUnit* ally = Ship(0, kLocal + 1);
  EXPECT_NE(v.IssueOrder(1, DISP_UNIT, ally->id, 0), 0);
  EXPECT_EQ(SentOrders(), std::vector<std::uint32_t>{1});
  g_gameData->guildList->GetGuild(1)->GetChapter((kLocal + 1) & 7)->renegade = 1;
  EXPECT_NE(v.IssueOrder(1, DISP_UNIT, ally->id, 0), 0);
  EXPECT_EQ(SentOrders(), std::vector<std::uint32_t>{5});

  // Targets a hostile server names but that do not exist order nothing.
  EXPECT_EQ(v.IssueOrder(2, DISP_ASTEROID, 99, 0), 0);
  EXPECT_EQ(v.IssueOrder(1, DISP_UNIT, 0x7FFFFFF, 0), 0);
  EXPECT_TRUE(SentOrders().empty());
  // Nothing selected, nothing ordered.
  g_gameData->ClearSelection();
  EXPECT_EQ(v.IssueOrder(1, DISP_UNIT, foreign->id, 0), 0);
}

TEST_F(Selection3D, AStunnedUnitIsRefusedAndLeftOutOfSelectAll) {
  TestView& v = Make3D();
  CGUnit* a = Ship(0);
  CGUnit* stunned = Ship(0);
  Ship(0, kOther);
  Stun(stunned);
  v.UpdateUnitObjects();
  SharedScreen().commandUnitId = stunned->id;
  EXPECT_EQ(v.SelectUnitForOrder(), 0);
  EXPECT_EQ(Status(), "Cannot order a stunned unit");
  EXPECT_EQ(g_gameData->GetSelectionCount(), 0u);

  Key(v, 'A');
  ASSERT_EQ(g_gameData->GetSelectionCount(), 1u);
  std::uint16_t kind = 0;
  std::uint32_t id = 0;
  g_gameData->GetSelectionAt(0, &kind, &id, nullptr);
  EXPECT_EQ(id, a->id);
  // Shift+A deselects all and takes the markers off.
  Key(v, 'A', VK_SHIFT);
  EXPECT_EQ(g_gameData->GetSelectionCount(), 0u);
  EXPECT_FALSE(v.displayList->Find(DISP_UNIT, a->id)->HasHalo());

  // Orders of the selection are deleted all at once.
  Select(a);
  v.IssueOrder(26, DISP_ASTEROID, 0, 0);
  ASSERT_GT(a->GetOrderCount(), 0u);
  v.DeleteAllOrders();
  EXPECT_EQ(Status(), "All orders deleted");
  EXPECT_EQ(g_gameData->GetSelectionCount(), 0u);
}

TEST_F(Selection3D, UCyclesThroughTheShipsHereOrSaysThereAreNone) {
  TestView& v = Make3D(VIEW_ASTEROID_SPACE, 2);
  Key(v, 'U');
  EXPECT_EQ(Status(), "No ships here!");
  CGUnit* a = Ship(2);
  CGUnit* b = Ship(2);
  v.UpdateUnitObjects();
  SharedScreen().cameraTravelOff = 1;
  Key(v, 'U');
  EXPECT_EQ(v.shipCycleIndex, 1u);
  Key(v, 'U');
  EXPECT_EQ(v.shipCycleIndex, 0u);
  Key(v, 'U', VK_SHIFT);
  EXPECT_EQ(v.shipCycleIndex, 1u);
  (void)a;
  (void)b;
}

TEST_F(Selection3D, TheMenusGotoCommandStoresTheSelectionOrTheAsteroidHere) {
  TestView& v = Make3D(VIEW_ASTEROID_SPACE, 1);
  CGUnit* a = Ship(1);
  v.UpdateUnitObjects();
  // Nothing happens without an open menu.
  EXPECT_EQ(v.OnMenuCommand(501), 0);
  Select(a);
  v.MarkSelection();
  SharedScreen().popupMenu =
      new CPopupMenu(SharedScreen().viewDDraw, SharedScreen().viewWnd, SharedScreen().screenSprite, 250, 40, 0xFFFF, 0);
  EXPECT_EQ(v.OnMenuCommand(501), 1);
  EXPECT_EQ(SharedScreen().popupMenu, nullptr);
  const GotoEntry& slot = SharedScreen().gotoSlots[SharedScreen().gotoGroup * kGotoColumns + 3];
  EXPECT_EQ(slot.kind, GOTO_UNIT);
  EXPECT_EQ(slot.id, a->id);
  // The only selected unit leaves the selection and its mark.
  EXPECT_EQ(g_gameData->GetSelectionCount(), 0u);
  EXPECT_FALSE(v.displayList->Find(DISP_UNIT, a->id)->HasHalo());
  // Nothing selected: the asteroid shown, or a refusal in solar space.
  SharedScreen().popupMenu =
      new CPopupMenu(SharedScreen().viewDDraw, SharedScreen().viewWnd, SharedScreen().screenSprite, 90, 40, 0xFFFF, 0);
  v.OnMenuCommand(501);
  EXPECT_EQ(SharedScreen().gotoSlots[SharedScreen().gotoGroup * kGotoColumns + 1].kind, GOTO_ASTEROID);
  EXPECT_EQ(SharedScreen().gotoSlots[SharedScreen().gotoGroup * kGotoColumns + 1].id, 1u);
  v.current = 4;
  SharedScreen().popupMenu =
      new CPopupMenu(SharedScreen().viewDDraw, SharedScreen().viewWnd, SharedScreen().screenSprite, 490, 40, 0xFFFF, 0);
  v.OnMenuCommand(501);
  EXPECT_EQ(Status(), "Nothing selected!");
}

// Slots are 79 pixels wide from x = 7: a menu opened at the right edge of
// slot 3, past x = 320, still fills slot 3, not its neighbour.
TEST_F(Selection3D, TheGotoCommandFillsTheSlotUnderTheMenuAtItsEdge) {
  TestView& v = Make3D(VIEW_ASTEROID_SPACE, 1);
  const std::size_t first = static_cast<std::size_t>(SharedScreen().gotoGroup * kGotoColumns);
  SharedScreen().gotoSlots[first + 3] = GotoEntry{};
  SharedScreen().gotoSlots[first + 4] = GotoEntry{};
  SharedScreen().popupMenu = new CPopupMenu(SharedScreen().viewDDraw, SharedScreen().viewWnd,
                                            SharedScreen().screenSprite, GotoColumnLeft(4) - 1, 40, 0xFFFF, 0);
  EXPECT_EQ(v.OnMenuCommand(501), 1);
  EXPECT_EQ(SharedScreen().gotoSlots[first + 3].kind, GOTO_ASTEROID);
  EXPECT_EQ(SharedScreen().gotoSlots[first + 4].kind, GotoEntry{}.kind);
}

TEST_F(Selection3D, AGotoSlotsMenuOffersWhatTheShownGroupHolds) {
  TestView& v = Make3D(VIEW_ASTEROID_SPACE, 1);
  const int group = SharedScreen().gotoGroup;
  SharedScreen().gotoGroup = 1;
  SharedScreen().gotoSlots[kGotoColumns + 3] = GotoEntry{GOTO_ASTEROID, 2};
  SharedScreen().gotoSlots[2 * kGotoColumns + 3] = GotoEntry{GOTO_ASTEROID, 4};
  SharedScreen().menuObjectId = 0;
  backend->PressKey(VK_ESCAPE, 10);
  EXPECT_EQ(v.ShowContextMenu(GotoColumnLeft(3) + 30, 40), 1);
  EXPECT_EQ(SharedScreen().menuObjectId, 2u);
  delete SharedScreen().popupMenu;
  SharedScreen().popupMenu = nullptr;
  SharedScreen().gotoSlots[kGotoColumns + 3] = GotoEntry{};
  SharedScreen().gotoSlots[2 * kGotoColumns + 3] = GotoEntry{};
  SharedScreen().gotoGroup = group;
}

}  // namespace
