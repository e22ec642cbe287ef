// Tooltips: tools that are windows, subclassed to watch the mouse; the tip
// after the hover delay, in the system tooltip colours; what it covered given
// back when it goes; removing tools.

#include "platform/dialog/tooltip.h"
#include "platform/dialog/button.h"
#include "platform/user/system.h"
#include "tests/platform/dialog/dialog_fixture.h"

namespace dlgtest {
namespace {

constexpr int kButtonId = 130;

// The program's own subclass of its buttons, as its image buttons have.
WNDPROC g_baseProc = nullptr;
int g_ownCalls = 0;
LRESULT OwnButtonProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  ++g_ownCalls;
  return CallWindowProc(g_baseProc, h, m, w, l);
}

// Another subclass, made after the tooltip's.
WNDPROC g_lateBase = nullptr;
LRESULT LateProc(HWND h, UINT m, WPARAM w, LPARAM l) { return CallWindowProc(g_lateBase, h, m, w, l); }

class TooltipTest : public DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    g_ownCalls = 0;
    tip_ = NewTip(TTS_ALWAYSTIP);
    ASSERT_NE(tip_, nullptr);
    button_ = CreateWindowEx(0, "button", "", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, 100, 100, 80, 30, owner_,
                             reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kButtonId)), nullptr, nullptr);
    g_baseProc =
        reinterpret_cast<WNDPROC>(SetWindowLongPtr(button_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&OwnButtonProc)));
    backend_->RunUntilIdle();
  }
  HWND NewTip(DWORD style) const {
    return CreateWindowEx(0, TOOLTIPS_CLASS, "", style, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                          owner_, nullptr, nullptr, nullptr);
  }
  TOOLINFO Tool() const {
    TOOLINFO ti;
    ti.cbSize = TTTOOLINFO_V1_SIZE;
    ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    ti.hwnd = owner_;
    ti.uId = reinterpret_cast<UINT_PTR>(button_);
    ti.rect = RECT{100, 100, 180, 130};
    ti.lpszText = "End Turn";
    return ti;
  }
  LRESULT Add(const TOOLINFO& ti) { return SendMessage(tip_, TTM_ADDTOOL, 0, reinterpret_cast<LPARAM>(&ti)); }
  LRESULT Remove(const TOOLINFO& ti) { return SendMessage(tip_, TTM_DELTOOL, 0, reinterpret_cast<LPARAM>(&ti)); }
  bool Showing() const { return IsWindowVisible(tip_) != FALSE; }

  HWND tip_ = nullptr;
  HWND button_ = nullptr;
};

TEST_F(TooltipTest, TheTipShowsAfterTheHoverDelayInTheSystemColours) {
  // The control made itself an always-on-top popup of its owner.
  EXPECT_TRUE(GetWindowLong(tip_, GWL_STYLE) & static_cast<LONG>(WS_POPUP));
  EXPECT_TRUE(GetWindowLong(tip_, GWL_EXSTYLE) & static_cast<LONG>(WS_EX_TOPMOST));
  EXPECT_EQ(GetParent(tip_), owner_);

  ASSERT_TRUE(Add(Tool()));
  EXPECT_EQ(SendMessage(tip_, TTM_GETTOOLCOUNT, 0, 0), 1);
  EXPECT_NE(GetWindowLongPtr(button_, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&OwnButtonProc));

  backend_->MoveMouse(120, 110);
  backend_->RunFor(GetDoubleClickTime() - 100);
  EXPECT_FALSE(Showing());
  EXPECT_GT(g_ownCalls, 0);  // the program's subclass still sees every message
  backend_->RunFor(200);
  ASSERT_TRUE(Showing());
  RECT r;
  GetWindowRect(tip_, &r);
  EXPECT_GE(r.top, 110);  // below the cursor
  EXPECT_EQ(r.left, 120);
  EXPECT_EQ(Pixel(r.left + 2, r.bottom - 2), Encoded(GetSysColor(COLOR_INFOBK)));
  EXPECT_EQ(Pixel(r.left, r.top), Encoded(GetSysColor(COLOR_INFOTEXT)));
  bool text = false;
  for (LONG y = r.top + 2; y < r.bottom - 2; ++y)
    for (LONG x = r.left + 2; x < r.right - 2; ++x) text |= Pixel(x, y) == Encoded(GetSysColor(COLOR_INFOTEXT));
  EXPECT_TRUE(text);

  // Leaving the tool takes the tip away; coming back shows it again later.
  backend_->MoveMouse(400, 400);
  backend_->RunFor(300);
  EXPECT_FALSE(Showing());
  backend_->MoveMouse(150, 115);
  backend_->RunFor(GetDoubleClickTime() + 200);
  EXPECT_TRUE(Showing());
  // A press hides it until the mouse leaves.
  backend_->MouseDown(input::Button::Left);
  backend_->MouseUp(input::Button::Left);
  backend_->MoveMouse(151, 115, 10);
  backend_->RunFor(GetDoubleClickTime() + 200);
  EXPECT_FALSE(Showing());
}

// The owner here repaints nothing, as the game screen outside its viewport:
// what the tip covered must come back from the tip itself when it goes, but a
// pixel drawn there while the tip showed is not painted over with old ones.
TEST_F(TooltipTest, TheTipGivesBackWhatItCoveredWhenItGoes) {
  const std::uint16_t backdrop = Encoded(RGB(40, 200, 90));
  const std::uint16_t drawnLater = Encoded(RGB(250, 10, 10));
  Screen& screen = GetScreen();
  auto put = [&](int x, int y, std::uint16_t v) {
    BYTE* p = screen.pixels.data() + static_cast<std::size_t>(y) * Screen::kPitch + static_cast<std::size_t>(x) * 2;
    p[0] = static_cast<BYTE>(v & 0xFF);
    p[1] = static_cast<BYTE>(v >> 8);
  };
  for (int y = 130; y < 300; ++y)
    for (int x = 0; x < 800; ++x) put(x, y, backdrop);
  TOOLINFO ti = Tool();
  ti.lpszText = "Display Terrain";
  ASSERT_TRUE(Add(ti));
  backend_->MoveMouse(170, 120);
  backend_->RunFor(GetDoubleClickTime() + 200);
  ASSERT_TRUE(Showing());
  RECT r;
  GetWindowRect(tip_, &r);
  ASSERT_GE(r.top, 130);
  ASSERT_NE(Pixel(r.left + 2, r.top + 2), backdrop);
  put(r.left + 1, r.top + 1, drawnLater);

  backend_->MoveMouse(400, 400);
  backend_->RunFor(300);
  ASSERT_FALSE(Showing());
  int left = 0;
  for (LONG y = r.top; y < r.bottom; ++y)
    for (LONG x = r.left; x < r.right; ++x) left += Pixel(x, y) != backdrop;
  EXPECT_EQ(left, 1);
  EXPECT_EQ(Pixel(r.left + 1, r.top + 1), drawnLater);

  // From one tool straight to the next: the first tip's place comes back too.
  backend_->MoveMouse(170, 120);
  backend_->RunFor(GetDoubleClickTime() + 200);
  ASSERT_TRUE(Showing());
  GetWindowRect(tip_, &r);
  DestroyWindow(tip_);
  for (LONG y = r.top; y < r.bottom; ++y)
    for (LONG x = r.left + 2; x < r.right; ++x) ASSERT_EQ(Pixel(x, y), backdrop) << x << "," << y;
}

TEST_F(TooltipTest, TheGameSetsTheTooltipColours) {
  const int indexes[] = {COLOR_INFOTEXT, COLOR_INFOBK};
  const COLORREF colours[] = {RGB(0, 0, 128), RGB(128, 255, 128)};
  SetSysColors(2, indexes, colours);
  ASSERT_TRUE(Add(Tool()));
  backend_->MoveMouse(120, 110);
  backend_->RunFor(GetDoubleClickTime() + 200);
  ASSERT_TRUE(Showing());
  RECT r;
  GetWindowRect(tip_, &r);
  EXPECT_EQ(Pixel(r.left + 2, r.bottom - 2), Encoded(RGB(128, 255, 128)));
  EXPECT_EQ(Pixel(r.left, r.top), Encoded(RGB(0, 0, 128)));
}

TEST_F(TooltipTest, RemovingToolsGivesBackTheWindowsProcedure) {
  const TOOLINFO ti = Tool();
  ASSERT_TRUE(Add(ti));
  ASSERT_TRUE(Remove(ti));
  EXPECT_FALSE(Remove(ti));
  EXPECT_EQ(SendMessage(tip_, TTM_GETTOOLCOUNT, 0, 0), 0);
  EXPECT_EQ(GetWindowLongPtr(button_, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&OwnButtonProc));
  backend_->MoveMouse(120, 110);
  backend_->RunFor(GetDoubleClickTime() + 200);
  EXPECT_FALSE(Showing());

  // Subclassed again after the tooltip: removing the tool leaves the chain
  // whole, and destroying the tooltip takes nothing down with it.
  ASSERT_TRUE(Add(ti));
  g_lateBase =
      reinterpret_cast<WNDPROC>(SetWindowLongPtr(button_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&LateProc)));
  ASSERT_TRUE(Remove(ti));
  EXPECT_EQ(GetWindowLongPtr(button_, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&LateProc));
  DestroyWindow(tip_);
  g_ownCalls = 0;
  Log().clear();
  backend_->Click(120, 110);
  backend_->RunUntilIdle();
  EXPECT_GT(g_ownCalls, 0);
  bool clicked = false;
  for (const Seen& seen : Log()) clicked |= seen.msg == WM_COMMAND && seen.wParam == MAKEWPARAM(kButtonId, BN_CLICKED);
  EXPECT_TRUE(clicked);

  // The tools of a window go with it.
  HWND fresh = NewTip(TTS_ALWAYSTIP);
  ASSERT_TRUE(SendMessage(fresh, TTM_ADDTOOL, 0, reinterpret_cast<LPARAM>(&ti)));
  DestroyWindow(button_);
  EXPECT_EQ(SendMessage(fresh, TTM_GETTOOLCOUNT, 0, 0), 0);

  // A tool without a window, or a record too small, is refused.
  TOOLINFO bad = ti;
  HWND tip = NewTip(TTS_ALWAYSTIP);
  bad.cbSize = 40;
  EXPECT_FALSE(SendMessage(tip, TTM_ADDTOOL, 0, reinterpret_cast<LPARAM>(&bad)));
  bad.cbSize = sizeof(TOOLINFO);
  bad.uId = 12345;
  EXPECT_FALSE(SendMessage(tip, TTM_ADDTOOL, 0, reinterpret_cast<LPARAM>(&bad)));
}

TEST_F(TooltipTest, WithoutAlwaysTipOnlyTheActiveWindowsToolsShow) {
  HWND tip = NewTip(0);
  const TOOLINFO ti = Tool();
  ASSERT_TRUE(SendMessage(tip, TTM_ADDTOOL, 0, reinterpret_cast<LPARAM>(&ti)));
  HWND other = Popup(600, 500, 50, 50);
  ASSERT_EQ(GetActiveWindow(), other);
  backend_->MoveMouse(120, 110);
  backend_->RunFor(GetDoubleClickTime() + 200);
  EXPECT_FALSE(IsWindowVisible(tip));
  SetActiveWindow(owner_);
  backend_->MoveMouse(121, 110);
  backend_->RunFor(GetDoubleClickTime() + 200);
  EXPECT_TRUE(IsWindowVisible(tip));
}

}  // namespace
}  // namespace dlgtest
