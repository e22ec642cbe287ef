// Buttons: owner drawing with its states, presses and releases, check boxes,
// radio groups and the Space key.

#include "platform/dialog/button.h"

#include <tuple>

#include "platform/dialog/ownerdraw.h"
#include "platform/dialog/static.h"
#include "platform/gdi/dc.h"
#include "platform/user/cursor.h"
#include "platform/user/paint.h"
#include "platform/user/system.h"
#include "tests/platform/dialog/dialog_fixture.h"
#include "tests/support/fixture_module.h"

namespace dlgtest {
namespace {

struct Drawn {
  DRAWITEMSTRUCT dis;
  POINT origin;  // of its DC on the screen
  bool pressedBeforeRelease;
};

class ButtonTest : public DialogTest {
 protected:
  // The images dialog, shown, recording each WM_DRAWITEM as it comes.
  HWND Images() {
    script_.on = [this](HWND, UINT m, WPARAM, LPARAM l) -> LRESULT {
      if (m != WM_DRAWITEM) return FALSE;
      const auto* dis = reinterpret_cast<const DRAWITEMSTRUCT*>(l);
      Drawn d{*dis, {}, false};
      GetDCOrgEx(dis->hDC, &d.origin);
      drawn_.push_back(d);
      return TRUE;
    };
    HWND d = Shown("IDD_IMAGES", &script_);
    drawn_.clear();
    return d;
  }

  Script script_;
  std::vector<Drawn> drawn_;
};

TEST_F(ButtonTest, OwnerDrawnPressIsDrawnAtOnceWithTheFullState) {
  HWND d = Images();
  HWND no = GetDlgItem(d, IDNO);  // not the first tab stop: a press moves the focus to it
  const POINT c = Centre(no);
  backend_->MoveMouse(c.x, c.y, 10);
  backend_->MouseDown(input::Button::Left, 10);
  Pump(d);
  // The first button loses the focus; this one gains it, then is pressed,
  // all before any release.
  using Step = std::tuple<HWND, UINT, UINT>;  // the button, the action, the state
  auto steps = [&] {
    std::vector<Step> out;
    for (const Drawn& x : drawn_) out.emplace_back(x.dis.hwndItem, x.dis.itemAction, x.dis.itemState);
    return out;
  };
  std::vector<Step> want = {
      {GetDlgItem(d, IDOK), ODA_FOCUS, 0u}, {no, ODA_FOCUS, ODS_FOCUS}, {no, ODA_SELECT, ODS_SELECTED | ODS_FOCUS}};
  ASSERT_EQ(steps(), want);
  const DRAWITEMSTRUCT& dis = drawn_[2].dis;
  EXPECT_EQ(std::make_tuple(dis.CtlType, dis.CtlID), std::make_tuple(ODT_BUTTON, static_cast<UINT>(IDNO)));
  RECT client, window;
  GetClientRect(no, &client);
  EXPECT_EQ(EdgesOf(dis.rcItem), EdgesOf(client));
  GetWindowRect(no, &window);
  EXPECT_EQ(drawn_[2].origin.x, window.left);
  EXPECT_EQ(drawn_[2].origin.y, window.top);
  EXPECT_TRUE(script_.Commands(IDNO).empty());

  backend_->MouseUp(input::Button::Left, 10);
  Pump(d);
  want.emplace_back(no, ODA_SELECT, ODS_FOCUS);
  EXPECT_EQ(steps(), want);
  EXPECT_EQ(script_.Commands(IDNO), std::vector<WORD>{BN_CLICKED});

  // A disabled button paints with ODS_DISABLED.
  drawn_.clear();
  EnableWindow(no, FALSE);
  Pump(d);
  ASSERT_FALSE(drawn_.empty());
  EXPECT_EQ(drawn_.back().dis.itemAction, ODA_DRAWENTIRE);
  EXPECT_TRUE(drawn_.back().dis.itemState & ODS_DISABLED);
}

TEST_F(ButtonTest, ReleasingOutsideCancelsAndComingBackPressesAgain) {
  HWND d = Images();
  HWND ok = GetDlgItem(d, IDOK);
  const POINT c = Centre(ok);
  backend_->MoveMouse(c.x, c.y, 10);
  backend_->MouseDown(input::Button::Left, 10);
  backend_->MoveMouse(c.x + 200, c.y, 10);
  backend_->MouseUp(input::Button::Left, 10);
  Pump(d);
  EXPECT_TRUE(script_.Commands(IDOK).empty());
  EXPECT_EQ(drawn_.back().dis.itemState & ODS_SELECTED, 0u);
  EXPECT_EQ(GetCapture(), nullptr);

  backend_->MoveMouse(c.x, c.y, 10);
  backend_->MouseDown(input::Button::Left, 600);
  backend_->MoveMouse(c.x + 200, c.y, 10);
  backend_->MoveMouse(c.x + 1, c.y, 10);
  backend_->MouseUp(input::Button::Left, 10);
  Pump(d);
  EXPECT_EQ(script_.Commands(IDOK), std::vector<WORD>{BN_CLICKED});
}

TEST_F(ButtonTest, DoubleClickOnAnOwnerDrawnButtonNotifiesIt) {
  HWND d = Images();
  ClickOn(GetDlgItem(d, IDNO));
  ClickOn(GetDlgItem(d, IDNO), 50);
  Pump(d);
  EXPECT_EQ(script_.Commands(IDNO), (std::vector<WORD>{BN_CLICKED, BN_DOUBLECLICKED}));
}

TEST_F(ButtonTest, CheckBoxesAndRadioGroups) {
  Script s;
  HWND d = Shown("IDD_FORM", &s);
  HWND check = GetDlgItem(d, IDC_CHECK);
  ClickOn(check);
  Pump(d);
  EXPECT_EQ(SendMessage(check, BM_GETCHECK, 0, 0), static_cast<LRESULT>(BST_CHECKED));
  ClickOn(check, 600);
  Pump(d);
  EXPECT_EQ(SendMessage(check, BM_GETCHECK, 0, 0), static_cast<LRESULT>(BST_UNCHECKED));
  EXPECT_EQ(s.Commands(IDC_CHECK), (std::vector<WORD>{BN_CLICKED, BN_CLICKED}));

  HWND one = GetDlgItem(d, IDC_RADIO1), two = GetDlgItem(d, IDC_RADIO2), three = GetDlgItem(d, IDC_RADIO3);
  SendMessage(one, BM_SETCHECK, BST_CHECKED, 0);
  ClickOn(three, 600);
  Pump(d);
  EXPECT_EQ(SendMessage(one, BM_GETCHECK, 0, 0), static_cast<LRESULT>(BST_UNCHECKED));
  EXPECT_EQ(SendMessage(two, BM_GETCHECK, 0, 0), static_cast<LRESULT>(BST_UNCHECKED));
  EXPECT_EQ(SendMessage(three, BM_GETCHECK, 0, 0), static_cast<LRESULT>(BST_CHECKED));
  // The checked radio button is the group's tab stop.
  EXPECT_TRUE(GetWindowLong(three, GWL_STYLE) & static_cast<LONG>(WS_TABSTOP));
  EXPECT_FALSE(GetWindowLong(one, GWL_STYLE) & static_cast<LONG>(WS_TABSTOP));
  EXPECT_EQ(s.Commands(IDC_RADIO3), std::vector<WORD>{BN_CLICKED});
  EXPECT_EQ(SendMessage(three, BM_GETSTATE, 0, 0), static_cast<LRESULT>(BST_CHECKED | BST_FOCUS));

  // A group box takes no clicks; its etched frame ends in the highlight colour.
  HWND box = GetDlgItem(d, 124);
  ClickOn(box, 600);
  Pump(d);
  EXPECT_TRUE(s.Commands(124).empty());
  EXPECT_EQ(SendMessage(box, WM_GETDLGCODE, 0, 0), DLGC_STATIC);
  RECT frame;
  GetWindowRect(box, &frame);
  EXPECT_EQ(Pixel((frame.left + frame.right) / 2, frame.bottom - 1), Encoded(GetSysColor(COLOR_BTNHIGHLIGHT)));
  EXPECT_EQ(Pixel((frame.left + frame.right) / 2, frame.bottom - 2), Encoded(GetSysColor(COLOR_BTNSHADOW)));

  // The check box draws its box in the window colour, the face around it in the button face.
  RECT r;
  GetWindowRect(check, &r);
  EXPECT_EQ(Pixel(r.right - 2, r.bottom - 1), Encoded(GetSysColor(COLOR_BTNFACE)));
}

TEST_F(ButtonTest, SpaceClicksTheFocusedButtonAndDisabledButtonsIgnoreClicks) {
  Script s;
  HWND d = Shown("IDD_FORM", &s);
  SetFocus(GetDlgItem(d, IDCANCEL));
  Press(VK_SPACE);
  Pump(d);
  EXPECT_EQ(s.Commands(IDCANCEL), std::vector<WORD>{BN_CLICKED});

  HWND off = GetDlgItem(d, 121);
  SendMessage(off, BM_CLICK, 0, 0);
  ClickOn(off);
  Pump(d);
  EXPECT_TRUE(s.Commands(121).empty());

  // A push button's face and its default frame.
  RECT r;
  GetWindowRect(GetDlgItem(d, IDOK), &r);
  EXPECT_EQ(Pixel(r.left, r.top + 5), Encoded(GetSysColor(COLOR_WINDOWFRAME)));
  EXPECT_EQ(Pixel(r.left + 4, r.bottom - 5), Encoded(GetSysColor(COLOR_BTNFACE)));
}

// The screens set one cursor on the dialog and every control, then another on
// their buttons; each control shows its own class cursor.
TEST_F(ButtonTest, ButtonsShowTheirClassCursorInsideADialogWithOne) {
  const quentest::FixtureModule cursors;
  ASSERT_NE(cursors.module, nullptr);
  HCURSOR guild = LoadCursor(nullptr, IDC_ARROW);
  HCURSOR red = LoadCursor(cursors.module, "IDC_CURSOR_NORMAL_RED");
  Script s;
  HWND d = Shown("IDD_FORM", &s);
  SetClassLongPtr(d, GCLP_HCURSOR, reinterpret_cast<LONG_PTR>(guild));
  for (HWND c = GetWindow(d, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
    SetClassLongPtr(c, GCLP_HCURSOR, reinterpret_cast<LONG_PTR>(guild));
  SetClassLongPtr(GetDlgItem(d, IDOK), GCLP_HCURSOR, reinterpret_cast<LONG_PTR>(red));
  auto over = [&](HWND h) {
    SetCursor(nullptr);
    const POINT p = Centre(h);
    backend_->MoveMouse(p.x, p.y, 10);
    Pump(d);
    return GetCursor();
  };
  EXPECT_EQ(over(GetDlgItem(d, IDOK)), red);
  EXPECT_EQ(over(GetDlgItem(d, IDC_NAME)), guild);
  RECT r;
  GetWindowRect(d, &r);
  backend_->MoveMouse(r.right - 2, r.bottom - 2, 10);
  Pump(d);
  EXPECT_EQ(GetCursor(), guild);
}

// Static frames draw only their edge, in their style's colour.
TEST_F(ButtonTest, StaticFramesDrawAnEdge) {
  Script s;
  HWND d = Shown("IDD_FORM", &s);
  RECT r;
  struct Frame {
    DWORD style;
    int colour;
  };
  for (const Frame f : {Frame{SS_BLACKFRAME, COLOR_WINDOWFRAME}, Frame{SS_GRAYFRAME, COLOR_BTNSHADOW},
                        Frame{SS_WHITEFRAME, COLOR_BTNHIGHLIGHT}}) {
    HWND frame =
        CreateWindowEx(0, "Static", "", WS_CHILD | WS_VISIBLE | f.style, 4, 4, 20, 10, d, nullptr, nullptr, nullptr);
    GetWindowRect(frame, &r);
    const std::uint16_t inside = Pixel(r.left + 5, r.top + 5);
    UpdateWindow(frame);
    EXPECT_EQ(Pixel(r.left, r.top), Encoded(GetSysColor(f.colour))) << f.style;
    EXPECT_EQ(Pixel(r.right - 1, r.bottom - 1), Encoded(GetSysColor(f.colour))) << f.style;
    EXPECT_EQ(Pixel(r.left + 5, r.top + 5), inside) << f.style;
    DestroyWindow(frame);
  }
}

}  // namespace
}  // namespace dlgtest
