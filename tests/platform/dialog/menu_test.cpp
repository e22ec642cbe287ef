// Popup menus: building and destroying them, and TrackPopupMenu with its
// messages, submenus, mouse and keys, dismissal, and from a modal dialog.

#include "platform/dialog/menu.h"

#include <tuple>

#include "platform/dialog/ownerdraw.h"
#include "platform/gdi/dc.h"
#include "tests/platform/dialog/dialog_fixture.h"

namespace dlgtest {
namespace {

constexpr int kItemWidth = 100, kItemHeight = 20, kBorder = 3;

const char* Data(UINT_PTR v) { return reinterpret_cast<const char*>(v); }

struct Drawn {
  DRAWITEMSTRUCT dis;
  RECT onScreen;  // GetMenuItemRect of the item, asked while drawing
  POINT dcOrigin;
};

class MenuTest : public DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    Reactions()[owner_] = [this](HWND h, UINT m, WPARAM, LPARAM l, bool* handled) -> LRESULT {
      if (m == WM_MEASUREITEM) {
        auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(l);
        mis->itemWidth = kItemWidth;
        mis->itemHeight = kItemHeight;
        *handled = true;
        return TRUE;
      }
      if (m == WM_DRAWITEM) {
        const auto* dis = reinterpret_cast<const DRAWITEMSTRUCT*>(l);
        Drawn d{*dis, {}, {}};
        GetDCOrgEx(dis->hDC, &d.dcOrigin);
        HMENU menu = reinterpret_cast<HMENU>(dis->hwndItem);
        for (int i = 0; i < GetMenuItemCount(menu); ++i) {
          RECT r;
          if (GetMenuItemRect(h, menu, static_cast<UINT>(i), &r) && r.top == dis->rcItem.top + d.dcOrigin.y)
            d.onScreen = r;
        }
        drawn_.push_back(d);
        *handled = true;
        return TRUE;
      }
      return 0;
    };
    menu_ = CreatePopupMenu();
    for (UINT id : {501u, 505u, 506u}) AppendMenu(menu_, MF_OWNERDRAW, id, Data(id));
  }
  void TearDown() override {
    DestroyMenu(menu_);
    DialogTest::TearDown();
  }
  // The centre of item `i` of a menu of 20-pixel owner-drawn items shown at (x, y).
  static POINT ItemCentre(int x, int y, int i) {
    return POINT{x + kBorder + kItemWidth / 2, y + kBorder + kItemHeight * i + kItemHeight / 2};
  }
  static std::vector<Seen> OwnerMessages(UINT msg) { return OnlyOf(Log(), msg); }
  std::vector<UINT> Commands() const {
    std::vector<UINT> out;
    for (const Seen& s : Log())
      if (s.msg == WM_COMMAND) out.push_back(LOWORD(s.wParam));
    return out;
  }

  HMENU menu_ = nullptr;
  std::vector<Drawn> drawn_;
};

TEST_F(MenuTest, MenusAreBuiltChangedAndDestroyedWithTheirSubmenus) {
  EXPECT_EQ(GetMenuItemCount(menu_), 3);
  HMENU sub = CreatePopupMenu();
  AppendMenu(sub, MF_STRING, 701, "Basic");
  AppendMenu(sub, MF_SEPARATOR, 0, nullptr);
  AppendMenu(menu_, MF_OWNERDRAW, 700, Data(700));
  MENUITEMINFO info;
  info.fMask = MIIM_SUBMENU;
  info.hSubMenu = sub;
  EXPECT_TRUE(SetMenuItemInfo(menu_, 700, FALSE, &info));
  info.fMask = MIIM_STATE;
  info.fState = MFS_GRAYED;
  EXPECT_TRUE(SetMenuItemInfo(menu_, 701, FALSE, &info));  // found in the submenu
  EXPECT_FALSE(SetMenuItemInfo(menu_, 999, FALSE, &info));
  EXPECT_TRUE(SetMenuItemInfo(menu_, 0, TRUE, &info));
  EXPECT_FALSE(SetMenuItemInfo(menu_, 9, TRUE, &info));
  // The opener still answers to its own id: a second submenu replaces the first.
  HMENU second = CreatePopupMenu();
  info.fMask = MIIM_SUBMENU;
  info.hSubMenu = second;
  EXPECT_TRUE(SetMenuItemInfo(menu_, 700, FALSE, &info));
  EXPECT_TRUE(DestroyMenu(sub));
  EXPECT_TRUE(IsMenu(second));

  // The parent takes its submenus along; a submenu destroyed first is skipped.
  HMENU top = CreatePopupMenu();
  HMENU a = CreatePopupMenu(), b = CreatePopupMenu();
  AppendMenu(top, MF_POPUP, reinterpret_cast<UINT_PTR>(a), "A");
  AppendMenu(top, MF_POPUP, reinterpret_cast<UINT_PTR>(b), "B");
  EXPECT_TRUE(DestroyMenu(a));
  EXPECT_TRUE(DestroyMenu(top));
  EXPECT_FALSE(IsMenu(b));
  EXPECT_FALSE(DestroyMenu(top));
  EXPECT_FALSE(AppendMenu(top, MF_STRING, 1, "x"));
  EXPECT_FALSE(AppendMenu(menu_, MF_POPUP, reinterpret_cast<UINT_PTR>(a), "gone"));
  EXPECT_FALSE(AppendMenu(menu_, MF_POPUP, reinterpret_cast<UINT_PTR>(menu_), "itself"));
  EXPECT_EQ(GetMenuItemCount(top), -1);
  RECT r;
  EXPECT_FALSE(GetMenuItemRect(owner_, menu_, 0, &r));  // not shown
}

TEST_F(MenuTest, TrackingSendsItsMessagesInOrderAndPostsTheChoice) {
  const POINT second = ItemCentre(200, 150, 1);
  backend_->MoveMouse(second.x, second.y, 10);
  backend_->MouseDown(input::Button::Left, 10);
  backend_->MouseUp(input::Button::Left, 10);
  EXPECT_TRUE(TrackPopupMenu(menu_, TPM_RIGHTBUTTON, 200, 150, 0, owner_, nullptr));

  std::vector<UINT> order;
  for (const Seen& s : Log())
    if (s.msg == WM_INITMENUPOPUP || s.msg == WM_MEASUREITEM || s.msg == WM_DRAWITEM || s.msg == WM_MENUSELECT)
      order.push_back(s.msg);
  const std::vector<UINT> expected = {WM_INITMENUPOPUP, WM_MEASUREITEM, WM_MEASUREITEM, WM_MEASUREITEM, WM_DRAWITEM,
                                      WM_DRAWITEM,      WM_DRAWITEM,    WM_DRAWITEM,    WM_MENUSELECT,  WM_MENUSELECT};
  EXPECT_EQ(order, expected);
  const auto init = OwnerMessages(WM_INITMENUPOPUP);
  EXPECT_EQ(reinterpret_cast<HMENU>(init[0].wParam), menu_);
  EXPECT_EQ(init[0].lParam, MAKELPARAM(0, FALSE));

  ASSERT_EQ(drawn_.size(), 4u);
  for (UINT i = 0; i < 3; ++i) {
    const DRAWITEMSTRUCT& d = drawn_[i].dis;
    EXPECT_EQ(std::make_tuple(d.CtlType, d.CtlID, d.itemAction, d.itemState),
              std::make_tuple(ODT_MENU, 0u, ODA_DRAWENTIRE, 0u));
    EXPECT_EQ(reinterpret_cast<HMENU>(d.hwndItem), menu_);
    EXPECT_EQ(d.itemID, d.itemData);
    // rcItem is in the DC's coordinates; GetMenuItemRect gives the screen's.
    EXPECT_EQ(drawn_[i].onScreen.left, d.rcItem.left + drawn_[i].dcOrigin.x);
    EXPECT_EQ(drawn_[i].onScreen.bottom - drawn_[i].onScreen.top, kItemHeight);
    EXPECT_GT(drawn_[i].onScreen.right - drawn_[i].onScreen.left, kItemWidth);  // plus two character widths
  }
  EXPECT_EQ(drawn_[0].onScreen.left, 200 + kBorder);
  EXPECT_EQ(drawn_[0].onScreen.top, 150 + kBorder);
  EXPECT_EQ(std::make_tuple(drawn_[3].dis.itemID, drawn_[3].dis.itemAction, drawn_[3].dis.itemState),
            std::make_tuple(505u, ODA_SELECT, ODS_SELECTED));

  const auto selects = OwnerMessages(WM_MENUSELECT);
  EXPECT_EQ(selects[0].wParam, MAKEWPARAM(505, MF_OWNERDRAW | MF_HILITE));
  EXPECT_EQ(reinterpret_cast<HMENU>(selects[0].lParam), menu_);
  EXPECT_EQ(selects[1].wParam, MAKEWPARAM(0, 0xFFFF));  // closed
  EXPECT_EQ(selects[1].lParam, 0);

  // The choice was posted: it arrives once the caller's loop runs.
  EXPECT_TRUE(Commands().empty());
  backend_->RunUntilIdle();
  EXPECT_EQ(Commands(), std::vector<UINT>{505});
  RECT r;
  EXPECT_FALSE(GetMenuItemRect(owner_, menu_, 0, &r));
}

TEST_F(MenuTest, SubmenusCascadeByMouseAndByKeys) {
  HMENU sub = CreatePopupMenu();
  AppendMenu(sub, MF_OWNERDRAW, 514, Data(514));
  AppendMenu(sub, MF_OWNERDRAW, 515, Data(515));
  AppendMenu(menu_, MF_OWNERDRAW, 701, Data(701));
  MENUITEMINFO info;
  info.fMask = MIIM_SUBMENU;
  info.hSubMenu = sub;
  SetMenuItemInfo(menu_, 3, TRUE, &info);

  // Mouse: over the fourth item its submenu opens beside the menu.
  const POINT opener = ItemCentre(100, 100, 3);
  backend_->MoveMouse(opener.x, opener.y, 10);
  backend_->MoveMouse(opener.x + kItemWidth, opener.y + kItemHeight, 10);  // into the submenu's second item
  backend_->MouseDown(input::Button::Left, 10);
  backend_->MouseUp(input::Button::Left, 10);
  TrackPopupMenu(menu_, 0, 100, 100, 0, owner_, nullptr);
  const auto inits = OwnerMessages(WM_INITMENUPOPUP);
  ASSERT_EQ(inits.size(), 2u);
  EXPECT_EQ(reinterpret_cast<HMENU>(inits[1].wParam), sub);
  EXPECT_EQ(inits[1].lParam, MAKELPARAM(3, FALSE));
  const auto selects = OwnerMessages(WM_MENUSELECT);
  ASSERT_GE(selects.size(), 2u);
  EXPECT_EQ(selects[0].wParam, MAKEWPARAM(3, MF_OWNERDRAW | MF_HILITE | MF_POPUP));  // an opener gives its index
  Drawn subFirst{};
  for (const Drawn& d : drawn_)
    if (d.dis.itemID == 514) subFirst = d;
  RECT parentItem{};
  for (const Drawn& d : drawn_)
    if (d.dis.itemID == 701) parentItem = d.onScreen;
  EXPECT_GT(subFirst.onScreen.left, parentItem.right);
  EXPECT_EQ(subFirst.onScreen.top, parentItem.top);
  backend_->RunUntilIdle();
  EXPECT_EQ(Commands(), std::vector<UINT>{515});

  // Keys: down to the opener, right into the submenu, down, Enter.
  Log().clear();
  for (UINT key : {VK_UP, VK_RIGHT, VK_DOWN, VK_RETURN}) backend_->PressKey(key, 10);
  EXPECT_EQ(TrackPopupMenu(menu_, TPM_RETURNCMD, 100, 100, 0, owner_, nullptr), 515);
  backend_->RunUntilIdle();
  EXPECT_TRUE(Commands().empty());  // TPM_RETURNCMD posts nothing
}

TEST_F(MenuTest, ASubmenuWithAFixedPositionOpensThereEvenWhenSetAsItOpens) {
  HMENU sub = CreatePopupMenu();
  AppendMenu(sub, MF_OWNERDRAW, 514, Data(514));
  AppendMenu(menu_, MF_POPUP | MF_OWNERDRAW, reinterpret_cast<UINT_PTR>(sub), Data(701));
  EXPECT_FALSE(SetSubmenuPosition(nullptr, 0, 0));
  // Set while the owner answers the submenu's opening, as a painting owner does.
  auto old = Reactions()[owner_];
  Reactions()[owner_] = [&](HWND h, UINT m, WPARAM w, LPARAM l, bool* handled) -> LRESULT {
    if (m == WM_INITMENUPOPUP && reinterpret_cast<HMENU>(w) == sub) {
      EXPECT_TRUE(SetSubmenuPosition(sub, 452, 180));
    }
    return old(h, m, w, l, handled);
  };
  for (UINT key : {VK_UP, VK_RIGHT, VK_ESCAPE, VK_ESCAPE}) backend_->PressKey(key, 10);
  TrackPopupMenu(menu_, 0, 567, 100, 0, owner_, nullptr);
  Drawn subItem{};
  for (const Drawn& d : drawn_)
    if (d.dis.itemID == 514) subItem = d;
  EXPECT_EQ(subItem.onScreen.left, 452 + kBorder);  // left of its parent, though there was room to the right
  EXPECT_EQ(subItem.onScreen.top, 180 + kBorder);
  // A fixed place still keeps the submenu on the screen.
  SetSubmenuPosition(sub, 780, 590);
  drawn_.clear();
  for (UINT key : {VK_UP, VK_RIGHT, VK_ESCAPE, VK_ESCAPE}) backend_->PressKey(key, 10);
  Reactions()[owner_] = old;
  TrackPopupMenu(menu_, 0, 100, 100, 0, owner_, nullptr);
  for (const Drawn& d : drawn_)
    if (d.dis.itemID == 514) subItem = d;
  EXPECT_LE(subItem.onScreen.right, 800 - kBorder);
  EXPECT_LE(subItem.onScreen.bottom, 600 - kBorder);
}

TEST_F(MenuTest, EscapeClicksOutsideAndDisabledItemsChooseNothing) {
  HMENU sub = CreatePopupMenu();
  AppendMenu(sub, MF_OWNERDRAW, 514, Data(514));
  AppendMenu(menu_, MF_POPUP | MF_OWNERDRAW, reinterpret_cast<UINT_PTR>(sub), Data(700));
  // Escape closes the submenu first, then the menu.
  for (UINT key : {VK_UP, VK_RIGHT, VK_ESCAPE}) backend_->PressKey(key, 10);
  backend_->PressKey(VK_DOWN, 10);
  backend_->PressKey(VK_ESCAPE, 10);
  EXPECT_EQ(TrackPopupMenu(menu_, TPM_RETURNCMD, 50, 50, 0, owner_, nullptr), 0);
  // The first Escape closed only the submenu: the menu took Down and a second Escape.
  EXPECT_EQ(OwnerMessages(WM_INITMENUPOPUP).size(), 2u);
  EXPECT_EQ(OwnerMessages(WM_MENUSELECT).back().wParam, MAKEWPARAM(0, 0xFFFF));
  EXPECT_EQ(OwnerMessages(WM_MENUSELECT).size(), 4u);  // the opener, the submenu's item, the first item, closed

  backend_->Click(700, 500, input::Button::Left, 10);
  EXPECT_EQ(TrackPopupMenu(menu_, TPM_RETURNCMD, 50, 50, 0, owner_, nullptr), 0);

  MENUITEMINFO info;
  info.fMask = MIIM_STATE;
  info.fState = MFS_GRAYED;
  SetMenuItemInfo(menu_, 501, FALSE, &info);
  const POINT first = ItemCentre(50, 50, 0);
  backend_->Click(first.x, first.y, input::Button::Left, 10);
  backend_->PressKey(VK_ESCAPE, 10);
  Log().clear();
  EXPECT_TRUE(TrackPopupMenu(menu_, 0, 50, 50, 0, owner_, nullptr));
  backend_->RunUntilIdle();
  EXPECT_TRUE(Commands().empty());
  EXPECT_FALSE(TrackPopupMenu(nullptr, 0, 50, 50, 0, owner_, nullptr));
}

TEST_F(MenuTest, MenusStayOnTheScreenAndFollowTheAlignment) {
  backend_->PressKey(VK_ESCAPE, 10);
  TrackPopupMenu(menu_, 0, 790, 590, 0, owner_, nullptr);
  ASSERT_FALSE(drawn_.empty());
  for (const Drawn& d : drawn_) {
    EXPECT_LE(d.onScreen.right, 800 - kBorder);
    EXPECT_LE(d.onScreen.bottom, 600 - kBorder);
  }
  drawn_.clear();
  backend_->PressKey(VK_ESCAPE, 10);
  TrackPopupMenu(menu_, TPM_RIGHTALIGN | TPM_BOTTOMALIGN, 300, 300, 0, owner_, nullptr);
  ASSERT_EQ(drawn_.size(), 3u);
  EXPECT_EQ(drawn_[2].onScreen.right, 300 - kBorder);
  EXPECT_EQ(drawn_[2].onScreen.bottom, 300 - kBorder);
}

TEST_F(MenuTest, APopupMenuTrackedFromAModalDialog) {
  Script s;
  bool mainDisabled = false;
  s.on = [&](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
    if (m == WM_INITDIALOG) ClickOn(GetDlgItem(h, IDOK));
    if (m == WM_COMMAND && LOWORD(w) == IDOK) {
      // Chosen with the right button, as the game's menus are.
      const POINT third = ItemCentre(300, 200, 2);
      backend_->MoveMouse(third.x, third.y, 10);
      backend_->MouseDown(input::Button::Right, 10);
      backend_->MouseUp(input::Button::Right, 10);
      mainDisabled = !IsWindowEnabled(owner_);
      TrackPopupMenu(menu_, TPM_RIGHTBUTTON, 300, 200, 0, h, nullptr);
      return TRUE;
    }
    if (m == WM_MEASUREITEM) {
      reinterpret_cast<MEASUREITEMSTRUCT*>(l)->itemWidth = kItemWidth;
      reinterpret_cast<MEASUREITEMSTRUCT*>(l)->itemHeight = kItemHeight;
      return TRUE;
    }
    if (m == WM_DRAWITEM) return TRUE;
    if (m == WM_COMMAND && LOWORD(w) == 506) {
      EndDialog(h, 506);
      return TRUE;
    }
    return FALSE;
  };
  EXPECT_EQ(Modal("IDD_INNER", &s), 506);
  EXPECT_TRUE(mainDisabled);
  EXPECT_EQ(s.Only(WM_INITMENUPOPUP).size(), 1u);
  EXPECT_TRUE(IsWindowEnabled(owner_));
}

}  // namespace
}  // namespace dlgtest
