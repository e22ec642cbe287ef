// List boxes (standard and owner-drawn) and the drop-down list combo box.

#include "platform/dialog/combobox.h"

#include <tuple>

#include "platform/dialog/listbox.h"
#include "platform/dialog/ownerdraw.h"
#include "platform/user/system.h"
#include "tests/platform/dialog/dialog_fixture.h"

namespace dlgtest {
namespace {

LPARAM Str(const char* s) { return reinterpret_cast<LPARAM>(s); }

class ListTest : public ShownDialogTest {
 protected:
  void SetUp() override {
    ShownDialogTest::SetUp();
    script_.on = [this](HWND, UINT m, WPARAM w, LPARAM l) -> LRESULT {
      if (m == WM_MEASUREITEM) {
        measured_.push_back(*reinterpret_cast<const MEASUREITEMSTRUCT*>(l));
        reinterpret_cast<MEASUREITEMSTRUCT*>(l)->itemHeight = 20;
        return TRUE;
      }
      if (m == WM_DRAWITEM) {
        drawn_.push_back(*reinterpret_cast<const DRAWITEMSTRUCT*>(l));
        return TRUE;
      }
      if (m == WM_VKEYTOITEM) {
        keys_.push_back(w);
        return vkeyAnswer_;
      }
      return FALSE;
    };
    Open(107);
  }
  LRESULT To(int id, UINT msg, WPARAM w = 0, LPARAM l = 0) { return SendMessage(Item(id), msg, w, l); }
  std::string LineText(int id, int index) {
    char buf[64] = {};
    To(id, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(buf));
    return buf;
  }
  // The screen point of a line of a list box.
  POINT LinePoint(int id, int index) {
    RECT r;
    To(id, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r));
    POINT p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    ClientToScreen(Item(id), &p);
    return p;
  }

  std::vector<MEASUREITEMSTRUCT> measured_;
  std::vector<DRAWITEMSTRUCT> drawn_;
  std::vector<WPARAM> keys_;
  LRESULT vkeyAnswer_ = -1;
};

TEST_F(ListTest, LinesAreAddedSortedReadAndRemoved) {
  EXPECT_EQ(To(IDC_LIST, LB_ADDSTRING, 0, Str("pear")), 0);
  EXPECT_EQ(To(IDC_LIST, LB_ADDSTRING, 0, Str("Apple")), 0);
  EXPECT_EQ(To(IDC_LIST, LB_ADDSTRING, 0, Str("banana")), 1);
  EXPECT_EQ(To(IDC_LIST, LB_GETCOUNT), 3);
  EXPECT_EQ(LineText(IDC_LIST, 0), "Apple");
  EXPECT_EQ(LineText(IDC_LIST, 2), "pear");
  EXPECT_EQ(To(IDC_LIST, LB_GETTEXTLEN, 1), 6);
  EXPECT_EQ(To(IDC_LIST, LB_GETTEXT, 3, Str("")), LB_ERR);

  EXPECT_EQ(To(IDC_LIST, LB_GETCURSEL), LB_ERR);
  EXPECT_EQ(To(IDC_LIST, LB_SETCURSEL, 2), 2);
  EXPECT_EQ(To(IDC_LIST, LB_GETCURSEL), 2);
  EXPECT_EQ(To(IDC_LIST, LB_SETCURSEL, 7), LB_ERR);
  EXPECT_EQ(To(IDC_LIST, LB_GETCURSEL), 2);
  // A line sorted in before the selection moves it along.
  EXPECT_EQ(To(IDC_LIST, LB_ADDSTRING, 0, Str("cherry")), 2);
  EXPECT_EQ(To(IDC_LIST, LB_GETCURSEL), 3);
  EXPECT_EQ(To(IDC_LIST, LB_DELETESTRING, 0), 3);
  EXPECT_EQ(To(IDC_LIST, LB_GETCURSEL), 2);
  EXPECT_EQ(To(IDC_LIST, LB_DELETESTRING, 2), 2);
  EXPECT_EQ(To(IDC_LIST, LB_GETCURSEL), LB_ERR);
  EXPECT_EQ(To(IDC_LIST, LB_SETITEMDATA, 1, 0xBEEF), LB_OKAY);
  EXPECT_EQ(To(IDC_LIST, LB_GETITEMDATA, 1), 0xBEEF);
  EXPECT_EQ(To(IDC_LIST, LB_INSERTSTRING, 0, Str("zebra")), 0);  // inserting does not sort
  EXPECT_EQ(LineText(IDC_LIST, 0), "zebra");
  EXPECT_EQ(To(IDC_LIST, LB_INSERTSTRING, 9, Str("x")), LB_ERR);
  EXPECT_EQ(To(IDC_LIST, LB_SETCURSEL, static_cast<WPARAM>(-1)), LB_ERR);
  EXPECT_EQ(To(IDC_LIST, LB_RESETCONTENT), LB_OKAY);
  EXPECT_EQ(To(IDC_LIST, LB_GETCOUNT), 0);
  // None of this notifies (the list had the focus from the start).
  EXPECT_EQ(script_.Commands(IDC_LIST), std::vector<WORD>{LBN_SETFOCUS});
}

TEST_F(ListTest, ClicksKeysAndTypedLettersSelectAndNotify) {
  for (const char* s : {"alpha", "beta", "gamma", "delta"}) To(IDC_LIST, LB_ADDSTRING, 0, Str(s));
  const POINT beta = LinePoint(IDC_LIST, 1);
  backend_->MoveMouse(beta.x, beta.y, 10);
  backend_->MouseDown(input::Button::Left, 10);
  Pump(dialog_);
  EXPECT_EQ(To(IDC_LIST, LB_GETCURSEL), 1);
  EXPECT_EQ(script_.Commands(IDC_LIST), std::vector<WORD>{LBN_SETFOCUS});  // from the start
  backend_->MouseUp(input::Button::Left, 10);
  backend_->MouseDown(input::Button::Left, 10);  // the second press is a double click
  backend_->MouseUp(input::Button::Left, 10);
  Pump(dialog_);
  EXPECT_EQ(script_.Commands(IDC_LIST), (std::vector<WORD>{LBN_SETFOCUS, LBN_SELCHANGE, LBN_DBLCLK}));

  script_.log.clear();
  Press(VK_DOWN);
  Press(VK_END);
  Press('G');
  Pump(dialog_);
  EXPECT_EQ(To(IDC_LIST, LB_GETCURSEL), 3);  // gamma (sorted: alpha beta delta gamma)
  EXPECT_EQ(script_.Commands(IDC_LIST), (std::vector<WORD>{LBN_SELCHANGE, LBN_SELCHANGE, LBN_SELCHANGE}));
}

TEST_F(ListTest, TheWheelAndTheScrollBarMoveTheTopLine) {
  for (int i = 0; i < 30; ++i) To(IDC_LIST, LB_ADDSTRING, 0, Str(("line" + std::to_string(100 + i)).c_str()));
  SetFocus(Item(IDC_LIST));
  backend_->Wheel(-WHEEL_DELTA, 10);
  Pump(dialog_);
  EXPECT_EQ(To(IDC_LIST, LB_GETTOPINDEX), 3);
  backend_->Wheel(2 * WHEEL_DELTA, 10);
  Pump(dialog_);
  EXPECT_EQ(To(IDC_LIST, LB_GETTOPINDEX), 0);

  // The bar at the right edge: its lower arrow steps one line.
  RECT r;
  GetWindowRect(Item(IDC_LIST), &r);
  backend_->Click(r.right - 4, r.bottom - 4, input::Button::Left, 10);
  Pump(dialog_);
  EXPECT_EQ(To(IDC_LIST, LB_GETTOPINDEX), 1);
  EXPECT_EQ(To(IDC_LIST, LB_GETCURSEL), LB_ERR);  // scrolling selects nothing
  EXPECT_EQ(To(IDC_LIST, LB_SETTOPINDEX, 29), LB_OKAY);
  EXPECT_LT(To(IDC_LIST, LB_GETTOPINDEX), 29);  // never beyond a full last page
}

TEST_F(ListTest, OwnerDrawnListsMeasureDrawAndAskForKeys) {
  // Measured once, at creation, before WM_INITDIALOG.
  ASSERT_EQ(measured_.size(), 1u);
  EXPECT_EQ(measured_[0].CtlType, ODT_LISTBOX);
  EXPECT_EQ(measured_[0].CtlID, static_cast<UINT>(IDC_DRAWN));
  EXPECT_EQ(To(IDC_DRAWN, LB_GETITEMHEIGHT), 20);
  bool measuredBeforeInit = false;
  for (const Seen& s : script_.log) {
    if (s.msg == WM_MEASUREITEM) measuredBeforeInit = true;
    if (s.msg == WM_INITDIALOG) break;
  }
  EXPECT_TRUE(measuredBeforeInit);

  EXPECT_EQ(To(IDC_DRAWN, LB_SETITEMHEIGHT, 0, 15), LB_OKAY);
  EXPECT_EQ(To(IDC_DRAWN, LB_SETITEMHEIGHT, 0, 300), LB_ERR);
  for (const char* s : {"one", "two", "three"}) To(IDC_DRAWN, LB_ADDSTRING, 0, Str(s));
  To(IDC_DRAWN, LB_SETCURSEL, 1);
  To(IDC_DRAWN, LB_SETITEMDATA, 2, 77);
  drawn_.clear();
  Pump(dialog_);
  ASSERT_EQ(drawn_.size(), 3u);
  for (UINT i = 0; i < 3; ++i) {
    EXPECT_EQ(drawn_[i].CtlType, ODT_LISTBOX);
    EXPECT_EQ(std::make_tuple(drawn_[i].itemID, drawn_[i].itemAction, drawn_[i].rcItem.top),
              std::make_tuple(i, ODA_DRAWENTIRE, static_cast<LONG>(15 * i)));
    EXPECT_EQ(drawn_[i].rcItem.bottom - drawn_[i].rcItem.top, 15);
    EXPECT_EQ(drawn_[i].hwndItem, Item(IDC_DRAWN));
  }
  EXPECT_EQ(drawn_[1].itemState & ODS_SELECTED, ODS_SELECTED);
  EXPECT_EQ(drawn_[0].itemState & ODS_SELECTED, 0u);
  EXPECT_EQ(drawn_[2].itemData, 77u);
  EXPECT_EQ(LineText(IDC_DRAWN, 2), "three");

  // WM_VKEYTOITEM: -1 the usual move, -2 nothing, an index that line.
  SetFocus(Item(IDC_DRAWN));
  Press(VK_DOWN);
  Pump(dialog_);
  EXPECT_EQ(To(IDC_DRAWN, LB_GETCURSEL), 2);
  ASSERT_EQ(keys_.size(), 1u);
  EXPECT_EQ(keys_[0], MAKEWPARAM(VK_DOWN, 1));
  vkeyAnswer_ = -2;
  Press(VK_UP);
  Pump(dialog_);
  EXPECT_EQ(To(IDC_DRAWN, LB_GETCURSEL), 2);
  vkeyAnswer_ = 0;
  Press(VK_DOWN);
  Pump(dialog_);
  EXPECT_EQ(To(IDC_DRAWN, LB_GETCURSEL), 0);
  EXPECT_EQ(script_.Commands(IDC_DRAWN), (std::vector<WORD>{LBN_SETFOCUS, LBN_SELCHANGE, LBN_SELCHANGE}));
}

TEST_F(ListTest, TheComboOpensChoosesAndCancels) {
  HWND combo = Item(IDC_COMBO);
  for (const char* s : {"Crimson", "Emerald", "Blue"}) To(IDC_COMBO, CB_ADDSTRING, 0, Str(s));
  EXPECT_EQ(To(IDC_COMBO, CB_GETCOUNT), 3);
  EXPECT_EQ(To(IDC_COMBO, CB_SETCURSEL, 0), 0);
  EXPECT_EQ(To(IDC_COMBO, CB_SETCURSEL, 5), CB_ERR);
  EXPECT_EQ(To(IDC_COMBO, CB_GETCURSEL), CB_ERR);
  To(IDC_COMBO, CB_SETCURSEL, 0);
  char buf[16];
  EXPECT_EQ(To(IDC_COMBO, CB_GETLBTEXT, 2, reinterpret_cast<LPARAM>(buf)), 4);
  EXPECT_STREQ(buf, "Blue");
  EXPECT_TRUE(script_.Commands(IDC_COMBO).empty());
  // The window keeps the field's height; the rest is the open list's.
  RECT field;
  GetWindowRect(combo, &field);
  RECT full{0, 0, 0, 60};
  MapDialogRect(dialog_, &full);
  EXPECT_LT(field.bottom - field.top, full.bottom);

  ClickOn(combo);
  Pump(dialog_);
  ASSERT_TRUE(To(IDC_COMBO, CB_GETDROPPEDSTATE));
  // The list opens below the field; its third line is two lines further down.
  const int line = static_cast<int>(field.bottom - field.top) - 6;
  backend_->MoveMouse(field.left + 10, field.bottom + 1 + line * 2 + line / 2, 10);
  backend_->MouseDown(input::Button::Left, 10);
  backend_->MouseUp(input::Button::Left, 10);
  Pump(dialog_);
  EXPECT_FALSE(To(IDC_COMBO, CB_GETDROPPEDSTATE));
  EXPECT_EQ(To(IDC_COMBO, CB_GETCURSEL), 2);
  EXPECT_EQ(script_.Commands(IDC_COMBO),
            (std::vector<WORD>{CBN_SETFOCUS, CBN_DROPDOWN, CBN_SELENDOK, CBN_CLOSEUP, CBN_SELCHANGE}));

  // Escape closes the open list and keeps the selection; the dialog never sees it.
  script_.log.clear();
  ClickOn(combo, 600);
  Press(VK_DOWN);
  Press(VK_ESCAPE);
  Pump(dialog_);
  EXPECT_FALSE(To(IDC_COMBO, CB_GETDROPPEDSTATE));
  EXPECT_EQ(To(IDC_COMBO, CB_GETCURSEL), 2);
  EXPECT_EQ(script_.Commands(IDC_COMBO), (std::vector<WORD>{CBN_DROPDOWN, CBN_SELENDCANCEL, CBN_CLOSEUP}));
  EXPECT_TRUE(script_.Commands(IDCANCEL).empty());

  // Closed, the arrows change the selection at once; a click elsewhere closes the list.
  script_.log.clear();
  Press(VK_UP);
  Pump(dialog_);
  EXPECT_EQ(To(IDC_COMBO, CB_GETCURSEL), 1);
  EXPECT_EQ(script_.Commands(IDC_COMBO), std::vector<WORD>{CBN_SELCHANGE});
  To(IDC_COMBO, CB_SHOWDROPDOWN, TRUE);
  backend_->Click(5, 5, input::Button::Left, 10);
  Pump(dialog_);
  EXPECT_FALSE(To(IDC_COMBO, CB_GETDROPPEDSTATE));
  EXPECT_EQ(To(IDC_COMBO, CB_GETCURSEL), 1);
}

}  // namespace
}  // namespace dlgtest
