// The popup menu (placement, cascade, backdrop, look-ups) and the order menus
// built on it: the items each object is offered, what a chosen item does,
// and how the menus look.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

#include "Game/model/GGuild.h"
#include "Game/model/GUnit.h"
#include "Game/net/OrderMenuPackets.h"
#include "Game/views/frame/CPopupMenu.h"
#include "Game/views/frame/CVGeneric.h"
#include "media/CSprite.h"
#include "platform/dialog/menu.h"
#include "platform/user/keys.h"
#include "platform/user/queue.h"
#include "tests/Game/views/frame/order_world.h"
#include "tests/support/golden.h"

namespace {

using namespace views_test;
using namespace plat;

class OrderMenus : public OrderWorld {
 protected:
  // A menu of `items` items at (x, y), tracked until Escape; its shown place.
  POINT TrackedAt(int x, int y, int items) {
    CPopupMenu menu(SharedScreen().viewDDraw, SharedScreen().viewWnd, SharedScreen().screenSprite, x, y, 0xFFFF, 0);
    for (int i = 0; i < items; ++i)
      menu.AppendItem(601 + static_cast<std::uint32_t>(i), "pmscan.ima", "phscan.ima", guildArt);
    backend->PressKey(VK_ESCAPE, 10);
    menu.Track();
    return POINT{menu.GetX(), menu.GetY()};
  }
  // The command ids of the open menu, in order.
  static std::vector<std::uint32_t> Items() {
    std::vector<std::uint32_t> ids;
    for (int i = 0; SharedScreen().popupMenu && i < SharedScreen().popupMenu->GetItemCount(); ++i)
      ids.push_back(SharedScreen().popupMenu->GetItemId(i));
    return ids;
  }
  // Opens the order menu (closed again at once by Escape) and gives its items.
  std::vector<std::uint32_t> MenuOf(int flags, std::uint32_t id, int x = 200, int y = 40) {
    backend->PressKey(VK_ESCAPE, 10);
    lastShown = view->ShowOrderMenu(flags, id, x, y);
    return Items();
  }
  // The picture name of item `i` of the open menu, without its folder.
  static std::string Picture(int i) {
    const std::string name = SharedScreen().popupMenu->GetItemSprite(i)->imageName;
    return name.substr(name.find_last_of('\\') + 1);
  }
  int lastShown = 0;
};

TEST_F(OrderMenus, MenusOpenLeftOfTheRightEdgeAndAboveTheFootAndSubmenusCascadeBesideTheirItem) {
  Make();
  EXPECT_EQ(TrackedAt(461, 100, 1).x, 461);
  EXPECT_EQ(TrackedAt(462, 100, 1).x, 338);
  EXPECT_EQ(TrackedAt(100, 400, 10).y, 356);
  EXPECT_EQ(TrackedAt(100, 355, 10).y, 355);

  auto cascadeFrom = [&](int x, int y, int index) {
    CPopupMenu sub(SharedScreen().viewDDraw, SharedScreen().viewWnd, SharedScreen().screenSprite, x, y, 0xFFFF, 1);
    for (int i = 0; i < 3; ++i)
      sub.AppendItem(514 + static_cast<std::uint32_t>(i), "pmbasic.ima", "phbasic.ima", guildArt);
    sub.CaptureBackdrop(index);
    sub.CaptureBackdrop(index + 5);  // once only
    return POINT{sub.GetX(), sub.GetY()};
  };
  EXPECT_EQ(cascadeFrom(567, 100, 0).x, 452);
  EXPECT_EQ(cascadeFrom(566, 100, 0).x, 676);
  EXPECT_EQ(cascadeFrom(100, 100, 2).y, 140);
  EXPECT_EQ(cascadeFrom(100, 500, 3).y, 576 - 22 * 3);
}

TEST_F(OrderMenus, ASecondSubmenuReplacesTheFirstAndItemsAreFoundThroughSubmenus) {
  Make();
  CPopupMenu menu(SharedScreen().viewDDraw, SharedScreen().viewWnd, SharedScreen().screenSprite, 10, 10, 0xFFFF, 0);
  menu.AppendItem(701, "smdisply.ima", "shdisply.ima", guildArt);
  menu.AppendItem(616, "pmbatpln.ima", "phbatpln.ima", guildArt);
  auto* first =
      new CPopupMenu(SharedScreen().viewDDraw, SharedScreen().viewWnd, SharedScreen().screenSprite, 10, 10, 0xFFFF, 1);
  first->AppendItem(514, "pmbasic.ima", "phbasic.ima", guildArt);
  const HMENU firstHandle = first->GetHandle();
  EXPECT_TRUE(menu.AttachSubmenu(701, first));
  auto* second =
      new CPopupMenu(SharedScreen().viewDDraw, SharedScreen().viewWnd, SharedScreen().screenSprite, 10, 10, 0xFFFF, 1);
  second->AppendItem(515, "pmdamage.ima", "phdamage.ima", guildArt);
  second->AppendItem(521, "pmorders.ima", "phorders.ima", guildArt);
  EXPECT_TRUE(menu.AttachSubmenu(701, second));
  EXPECT_FALSE(IsMenu(firstHandle));
  EXPECT_EQ(menu.FindItemIndex(521), 1);  // its index in the submenu
  EXPECT_EQ(menu.FindItemIndex(616), 1);
  EXPECT_EQ(menu.FindItemIndex(514), -1);
  EXPECT_EQ(menu.FindMenu(second->GetHandle()), second);
  EXPECT_EQ(menu.FindMenu(menu.GetHandle()), &menu);
  EXPECT_EQ(menu.FindMenu(nullptr), nullptr);
  EXPECT_EQ(menu.GetItemSprite(2), nullptr);
  EXPECT_EQ(menu.GetItemHighlightSprite(-1), nullptr);
  int x = 0, y = 0;
  menu.GetPosition(&x, &y);
  EXPECT_EQ(x, 10);
  EXPECT_EQ(y, 10);
}

TEST_F(OrderMenus, TheScreenUnderAMenuComesBackWhenItGoes) {
  Make();
  const RECT area{300, 200, 420, 300};
  const Image before = quentest::ScreenArea(area);
  auto* menu = new CPopupMenu(SharedScreen().viewDDraw, SharedScreen().viewWnd, SharedScreen().screenSprite, 300, 200,
                              0xFFFF, 0);
  for (std::uint32_t id : {601u, 602u, 603u}) menu->AppendItem(id, "pmscan.ima", "phscan.ima", guildArt);
  static std::optional<Image> shown;
  shown.reset();
  SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    shown = quentest::ScreenArea({303, 203, 403, 223});
  });
  backend->PressKey(VK_ESCAPE, 200);
  menu->Track();
  EXPECT_TRUE(menu->HasBackdrop());
  ASSERT_TRUE(shown.has_value());
  EXPECT_NE(shown->rgb, quentest::Crop(before, {3, 3, 103, 23}).rgb);  // the picture was drawn there
  ReleasePopupMenu(menu);
  EXPECT_EQ(quentest::ScreenArea(area).rgb, before.rgb);
}

// A chosen item's command runs while the menu is still held (and may open a
// dialog): the screen under the menu is already back when tracking ends.
TEST_F(OrderMenus, TheScreenUnderAMenuIsBackAsSoonAsTheMenuCloses) {
  Make();
  const RECT area{300, 200, 420, 300};
  const Image before = quentest::ScreenArea(area);
  auto* menu = new CPopupMenu(SharedScreen().viewDDraw, SharedScreen().viewWnd, SharedScreen().screenSprite, 300, 200,
                              0xFFFF, 0);
  for (std::uint32_t id : {601u, 602u, 603u}) menu->AppendItem(id, "pmscan.ima", "phscan.ima", guildArt);
  backend->Click(303 + 50, 203 + 20 + 10, input::Button::Left, 200);
  menu->Track();
  EXPECT_EQ(quentest::ScreenArea(area).rgb, before.rgb);
  MSG msg;
  ASSERT_TRUE(PeekMessage(&msg, SharedScreen().viewWnd, WM_COMMAND, WM_COMMAND, PM_REMOVE));
  EXPECT_EQ(LOWORD(msg.wParam), 602u);
  ReleasePopupMenu(menu);
  EXPECT_EQ(quentest::ScreenArea(area).rgb, before.rgb);
}

// A menu closed by a click beside it is let go only at the next click; what
// the view drew there in between stays.
TEST_F(OrderMenus, AMenuLetGoLateLeavesWhatWasDrawnSinceItClosed) {
  Make();
  const RECT area{300, 200, 420, 300};
  auto* menu = new CPopupMenu(SharedScreen().viewDDraw, SharedScreen().viewWnd, SharedScreen().screenSprite, 300, 200,
                              0xFFFF, 0);
  for (std::uint32_t id : {601u, 602u, 603u}) menu->AppendItem(id, "pmscan.ima", "phscan.ima", guildArt);
  backend->PressKey(VK_ESCAPE, 200);
  menu->Track();
  SharedScreen().screenSprite->Fade(80, 0xFFFFFF, &area);
  AddDirtyRect(area);
  FlushScreen();
  const Image drawn = quentest::ScreenArea(area);
  ReleasePopupMenu(menu);
  EXPECT_EQ(quentest::ScreenArea(area).rgb, drawn.rgb);
}

TEST_F(OrderMenus, AUnitIsOfferedWhatItAndTheSelectionCanDo) {
  OrderView& v = Make(VIEW_ASTEROID_SPACE, 1);
  CGUnit* builder = Builder(1);
  EXPECT_EQ(MenuOf(4, builder->id),
            (std::vector<std::uint32_t>{701, 618, 601, 602, 603, 700, 613, 612, 609, 510, 615, 616}));
  EXPECT_EQ(lastShown, 1);
  EXPECT_EQ(SharedScreen().menuObjectKind, 2);
  EXPECT_EQ(SharedScreen().menuObjectId, builder->id);
  EXPECT_EQ(Picture(0), "smdisply.ima");
  ASSERT_NE(SharedScreen().popupMenu->GetSubmenu(0), nullptr);
  EXPECT_EQ(SharedScreen().popupMenu->GetSubmenu(0)->GetItemCount(), 3);
  EXPECT_EQ(SharedScreen().popupMenu->GetSubmenu(5)->GetItemCount(), 4);

  // Carried ATVs can be landed once the centre is surveyed; a second selected
  // unit hides the single-unit items and offers the formation move.
  builder->SetAtvCargo(1, 0, 0, 0);
  g_gameData->solarDB.GetAsteroid(1)->GetZone(0)->owner = 254;
  EXPECT_EQ(MenuOf(4, builder->id),
            (std::vector<std::uint32_t>{701, 618, 601, 602, 603, 700, 613, 612, 609, 610, 510, 615, 616}));
  CGUnit* other = Builder(1);
  Select(builder);
  Select(other);
  v.type = VIEW_SOLAR;
  EXPECT_EQ(MenuOf(4, builder->id), (std::vector<std::uint32_t>{701, 618, 617, 601, 602, 603, 700, 613, 612, 616}));
  g_gameData->ClearSelection();

  // In solar space: display, rendezvous, scan, battle plan and delete orders.
  CGUnit* flying = Builder(4);
  Select(flying);
  v.OrderMoveToLocation(2, 0, 1, 0);
  g_gameData->ClearSelection();
  EXPECT_EQ(MenuOf(4, flying->id), (std::vector<std::uint32_t>{701, 618, 601, 616, 620}));
}

TEST_F(OrderMenus, StunnedOrMissingUnitsOpenNoMenuAndSpecialWeaponsGoByGuild) {
  Make(VIEW_ASTEROID_SPACE, 1);
  CGUnit* stunned = Builder(1);
  auto stun = std::make_unique<UnitOrder>();
  stun->type = ORDER_STUNNED;
  stunned->InsertOrder(std::move(stun), kInsertReplace, false);
  EXPECT_TRUE(MenuOf(4, stunned->id).empty());
  EXPECT_EQ(lastShown, 0);
  EXPECT_EQ(SharedScreen().popupMenu, nullptr);
  EXPECT_EQ(SharedScreen().statusText, Text("NOORDSTN"));
  // A missing unit with the goto items still shows those.
  EXPECT_TRUE(MenuOf(4, 0x24000999).empty());
  EXPECT_EQ(lastShown, 0);
  EXPECT_EQ(MenuOf(5, 0x24000999, 7 + 79 * 5), std::vector<std::uint32_t>{501});
  EXPECT_EQ(lastShown, 1);

  CGUnit* miner = Unit({kComputer, kMines, kDrive}, 1);
  std::vector<std::uint32_t> items = MenuOf(4, miner->id);
  auto at = std::find(items.begin(), items.end(), 619u);
  ASSERT_NE(at, items.end());
  EXPECT_EQ(Picture(static_cast<int>(at - items.begin())), "pmactimn.ima");
  miner->ArmSpecialWeapons(false);
  items = MenuOf(4, miner->id);
  EXPECT_EQ(Picture(static_cast<int>(std::find(items.begin(), items.end(), 619u) - items.begin())), "pmdeacmn.ima");

  CGUnit* bomber = Unit({kComputer, kLance, kDrive}, 1, 25);
  items = MenuOf(4, bomber->id);
  at = std::find(items.begin(), items.end(), 619u);
  ASSERT_NE(at, items.end());
  EXPECT_EQ(Picture(static_cast<int>(at - items.begin())), "pmbmbard.ima");
  CGUnit* guild2 = Unit({kComputer, kLance, kDrive}, 1, kOther);
  items = MenuOf(4, guild2->id);
  EXPECT_EQ(std::count(items.begin(), items.end(), 619u), 0);
  // Guilds 0 and 4 have no item for a special weapon either.
  for (std::uint8_t chapter : {std::uint8_t{2}, std::uint8_t{33}}) {
    items = MenuOf(4, Unit({kComputer, kLance, kDrive}, 1, chapter)->id);
    EXPECT_EQ(std::count(items.begin(), items.end(), 619u), 0) << "chapter " << int{chapter};
  }
}

TEST_F(OrderMenus, AsteroidAndGotoItemsFollowTheViewAndTheOwners) {
  OrderView& v = Make(VIEW_ASTEROID_SPACE, 1);
  CGAsteroid* a = g_gameData->solarDB.GetAsteroid(1);
  EXPECT_EQ(MenuOf(2, 1), (std::vector<std::uint32_t>{506, 507}));
  a->owner = kLocal;
  a->controller = kLocal;
  v.type = VIEW_TERRAIN;
  EXPECT_EQ(MenuOf(2, 1), (std::vector<std::uint32_t>{506, 508, 516, 524}));
  v.type = VIEW_SOLAR;
  EXPECT_EQ(MenuOf(8, 1), (std::vector<std::uint32_t>{508, 507, 516, 524}));
  EXPECT_EQ(SharedScreen().menuObjectKind, 12);
  EXPECT_TRUE(MenuOf(2, 4).empty());  // solar space is no asteroid

  // Clear goto only over a slot that holds something; it empties the slot under the menu.
  v.SetGotoSlot(3, GOTO_ASTEROID, 1, 0);
  EXPECT_EQ(MenuOf(1, 0, 7 + 79 * 3 + 5), (std::vector<std::uint32_t>{501, 520}));
  EXPECT_EQ(MenuOf(1, 0, 7 + 79 * 4 + 5), std::vector<std::uint32_t>{501});
  MenuOf(1, 0, 250);
  EXPECT_EQ(v.OnMenuCommand(520), 1);
  EXPECT_EQ(SharedScreen().gotoSlots[3].kind, GOTO_EMPTY);
  EXPECT_EQ(SharedScreen().popupMenu, nullptr);
  // Slots are 79 wide from x 7: near a slot's edge the menu still clears the slot it was opened over.
  for (auto [x, column] : {std::pair{240, 2}, std::pair{322, 3}}) {
    for (int c = 1; c <= 4; ++c) v.SetGotoSlot(c, GOTO_ASTEROID, static_cast<std::uint32_t>(c), 0);
    EXPECT_EQ(MenuOf(1, 0, x), (std::vector<std::uint32_t>{501, 520})) << x;
    v.OnMenuCommand(520);
    for (int c = 1; c <= 4; ++c)
      EXPECT_EQ(SharedScreen().gotoSlots[static_cast<std::size_t>(c)].kind, c == column ? GOTO_EMPTY : GOTO_ASTEROID)
          << x << " " << c;
  }
  MenuOf(1, 0, 250);
  EXPECT_EQ(v.OnMenuCommand(501), 0);  // the views' own
  EXPECT_NE(SharedScreen().popupMenu, nullptr);
}

TEST_F(OrderMenus, ChosenItemsEnterModesGiveOrdersAndSendPackets) {
  OrderView& v = Make(VIEW_ASTEROID_SPACE, 1);
  CGUnit* builder = Builder(1);
  MenuOf(4, builder->id);
  EXPECT_EQ(v.OnMenuCommand(601), 1);
  EXPECT_EQ(SharedScreen().commandMode, 11u);
  EXPECT_EQ(SharedScreen().commandUnitId, builder->id);
  EXPECT_EQ(SharedScreen().statusText, Text("SELOBJTS"));
  EXPECT_EQ(g_gameData->IsSelected(2, builder->id), 1);
  EXPECT_EQ(SharedScreen().popupMenu, nullptr);

  MenuOf(4, builder->id);
  v.OnMenuCommand(615);
  EXPECT_EQ(SentOrders(), std::vector<std::uint32_t>{24});
  EXPECT_EQ(LastVoice(), VoiceFile(35));
  EXPECT_EQ(g_gameData->GetSelectionCount(), 0u);

  MenuOf(4, builder->id);
  v.OnMenuCommand(620);
  EXPECT_EQ(builder->GetOrderCount(), 0u);
  EXPECT_EQ(SharedScreen().statusText, Text("ALLORDDL"));

  CGAsteroid* a = g_gameData->solarDB.GetAsteroid(1);
  a->owner = kLocal;
  MenuOf(2, 1);
  packets.clear();
  EXPECT_EQ(v.OnMenuCommand(524), 1);
  ASSERT_EQ(packets.size(), 1u);
  DistributeResourcesPacket spread;
  ASSERT_TRUE(DistributeResourcesPacket::Parse(packets[0], &spread));
  EXPECT_EQ(packets[0][0] | packets[0][1] << 8, 405);
  EXPECT_EQ(spread.guild, 1);
  EXPECT_EQ(spread.slot, 1);
  EXPECT_EQ(spread.asteroid, 1);

  MenuOf(2, 1);
  v.OnMenuCommand(525);
  EXPECT_EQ(SharedScreen().commandMode, 8u);
  EXPECT_EQ(SharedScreen().commandUnitId, kAsteroidSubject | 1);
}

TEST_F(OrderMenus, DecommissioningAShipOnOfferWithdrawsItOnlyAfterTheSecondYes) {
  OrderView& v = Make(VIEW_ASTEROID_SPACE, 1);
  CGUnit* ship = Builder(1);
  std::vector<std::uint8_t> offer(kShipOfferPacketSize, 0);
  offer[10] = kLocal & 7;
  for (int i = 0; i < 4; ++i) offer[12 + i] = static_cast<std::uint8_t>(ship->id >> (8 * i));
  CGuild* guild = g_gameData->GetLocalGuild();
  ASSERT_EQ(guild->PostShipOffer(offer), 1);
  auto answer = [&](bool yes) { backend->Click(263 + (yes ? 47 : 157) + 35, 229 + 108 + 17, input::Button::Left, 10); };
  MenuOf(4, ship->id);
  packets.clear();
  answer(false);
  v.OnMenuCommand(612);
  EXPECT_NE(guild->FindShipOffer(ship->id), nullptr);
  EXPECT_TRUE(packets.empty());
  EXPECT_EQ(SharedScreen().commandMode, kNoCommandMode);

  MenuOf(4, ship->id);
  answer(true);
  v.OnMenuCommand(612);
  EXPECT_EQ(guild->FindShipOffer(ship->id), nullptr);
  ASSERT_EQ(packets.size(), 1u);
  ShipOfferWithdrawnPacket withdrawn;
  ASSERT_TRUE(ShipOfferWithdrawnPacket::Parse(packets[0], &withdrawn));
  EXPECT_EQ(packets[0][0] | packets[0][1] << 8, 402);
  EXPECT_EQ(withdrawn.guild, 1);
  EXPECT_EQ(withdrawn.slot, 1);
  EXPECT_EQ(withdrawn.unitId, ship->id);
  EXPECT_EQ(SharedScreen().commandMode, 10u);
  EXPECT_EQ(SharedScreen().statusText, Text("SELSCRP3"));
}

TEST_F(OrderMenus, TheUnitMenuWithItsDisplaySubmenuOpen) {
  Make(VIEW_ASTEROID_SPACE, 1);
  CGUnit* builder = Builder(1);
  // Over the display item its submenu opens; the screen is taken while both show.
  backend->MoveMouse(250, 93, 10);
  backend->MoveMouse(360, 110, 10);
  static std::optional<Image> captured;
  captured.reset();
  SetTimer(nullptr, 0, 200, [](HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    captured = quentest::ScreenArea({180, 30, 560, 330});
  });
  backend->PressKey(VK_ESCAPE, 400);
  backend->PressKey(VK_ESCAPE, 10);
  EXPECT_EQ(view->ShowOrderMenu(5, builder->id, 200, 40), 1);
  ASSERT_TRUE(captured.has_value());
  EXPECT_TRUE(quentest::MatchesGolden(*captured, std::filesystem::path(QUEN_TEST_DATA_DIR) / "unit_menu.png"));
  // Goto items first (the slot under x 200 holds the home asteroid), then the unit's.
  ASSERT_EQ(SharedScreen().popupMenu->GetItemId(2), 701u);
  ASSERT_NE(SharedScreen().popupMenu->GetSubmenu(2), nullptr);
  EXPECT_EQ(SharedScreen().popupMenu->GetSubmenu(2)->GetX(), 310);  // beside the menu at 200
  EXPECT_EQ(SharedScreen().popupMenu->GetSubmenu(2)->GetY(), 80);   // level with its item
}

// A menu left with Escape is held until the next click; a click on a button
// of the control panel is one, or the 3D views would not draw what it changes.
TEST_F(OrderMenus, AControlPanelButtonLetsGoOfAMenuLeftWithoutAChoice) {
  OrderView& v = Make(VIEW_ASTEROID_SPACE, 1);
  MenuOf(2, 1);
  ASSERT_NE(SharedScreen().popupMenu, nullptr);
  EXPECT_EQ(v.OnControlCommand(130), 1);  // the info button
  EXPECT_EQ(SharedScreen().popupMenu, nullptr);
  MenuOf(2, 1);
  ASSERT_NE(SharedScreen().popupMenu, nullptr);
  EXPECT_EQ(v.OnControlCommand(261), 1);  // the trade page
  EXPECT_EQ(SharedScreen().popupMenu, nullptr);
}

TEST_F(OrderMenus, ASubmenuClosedByAnotherItemLeavesNothingBehindAndTheMenuStays) {
  Make(VIEW_ASTEROID_SPACE, 1);
  CGUnit* builder = Builder(1);
  const RECT under{310, 80, 430, 160};
  const Image before = quentest::ScreenArea(under);
  const Image itemBefore = quentest::ScreenArea({203, 43, 303, 63});
  backend->MoveMouse(250, 93, 10);   // the display item: its submenu opens
  backend->MoveMouse(360, 110, 10);  // into it
  backend->MoveMouse(250, 133, 10);  // back to scan: the submenu closes
  static std::optional<Image> submenuArea, menuItem;
  submenuArea.reset();
  SetTimer(nullptr, 0, 200, [](HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    submenuArea = quentest::ScreenArea({310, 80, 430, 160});
    menuItem = quentest::ScreenArea({203, 43, 303, 63});
  });
  backend->PressKey(VK_ESCAPE, 400);
  view->ShowOrderMenu(5, builder->id, 200, 40);
  ASSERT_TRUE(submenuArea.has_value());
  EXPECT_EQ(submenuArea->rgb, before.rgb);
  // The screen's repaint while the menu showed did not cover it.
  EXPECT_NE(menuItem->rgb, itemBefore.rgb);
}

}  // namespace
