#include <algorithm>
#include <fstream>
#include <iterator>
#include <tuple>

#include "platform/core/clock.h"
#include "platform/display/screen.h"
#include "platform/resource/cursoricon.h"
#include "platform/resource/module.h"
#include "platform/user/cursor.h"
#include "tests/platform/user/user_fixture.h"
#include "tests/support/fixture_module.h"

namespace usertest {
namespace {

using namespace plat;

class InputTest : public UserTest {};

using quentest::FixtureModule;

constexpr std::initializer_list<UINT> kButtons = {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK};

TEST_F(InputTest, DoubleClicksNeedTheClassStyleAndCloseClicks) {
  HWND dbl = Popup(0, 0, 100, 100, nullptr, "DoubleClicker");
  HWND plain = Popup(200, 0, 100, 100);
  backend_->RunUntilIdle();
  Log().clear();
  backend_->Click(10, 10);
  backend_->Click(12, 11, input::Button::Left, GetDoubleClickTime());
  backend_->Click(12, 11, input::Button::Left, 10);  // a third click starts again
  backend_->Click(210, 10, input::Button::Left, 1000);
  backend_->Click(210, 10, input::Button::Left, 10);
  backend_->RunUntilIdle();
  EXPECT_EQ(MessagesOf(dbl, kButtons), (std::vector<UINT>{WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP,
                                                          WM_LBUTTONDOWN, WM_LBUTTONUP}));
  EXPECT_EQ(MessagesOf(plain, kButtons),
            (std::vector<UINT>{WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDOWN, WM_LBUTTONUP}));

  Log().clear();
  backend_->Click(10, 10, input::Button::Left, 1000);
  backend_->Click(10, 10, input::Button::Left, GetDoubleClickTime() + 1);  // too slow
  backend_->Click(20, 10, input::Button::Left, 10);                        // too far
  backend_->Click(20, 10, input::Button::Right, 10);                       // another button
  backend_->RunUntilIdle();
  EXPECT_TRUE(Only(WM_LBUTTONDBLCLK).empty());
  EXPECT_TRUE(Only(WM_RBUTTONDBLCLK).empty());
  // Client coordinates and button state travel with the message.
  auto downs = Only(WM_LBUTTONDOWN);
  ASSERT_EQ(downs.size(), 3u);
  EXPECT_EQ(GET_X_LPARAM(downs[2].lParam), 20);
  EXPECT_EQ(downs[2].wParam & MK_LBUTTON, MK_LBUTTON);

  // The middle button: its own messages and key state.
  Log().clear();
  backend_->MouseDown(input::Button::Middle, 1000);
  backend_->RunUntilIdle();
  EXPECT_TRUE(GetKeyState(VK_MBUTTON) & 0x8000);
  backend_->MouseUp(input::Button::Middle, 10);
  backend_->RunUntilIdle();
  EXPECT_EQ(MessagesOf(dbl, {WM_MBUTTONDOWN, WM_MBUTTONUP}), (std::vector<UINT>{WM_MBUTTONDOWN, WM_MBUTTONUP}));
  EXPECT_EQ(Only(WM_MBUTTONDOWN)[0].wParam & MK_MBUTTON, MK_MBUTTON);
}

TEST_F(InputTest, AReusedHandleStartsNoDoubleClick) {
  // A window made where a clicked one was destroyed may get its handle; its
  // first click is still a click, not the second half of a double click.
  HWND first = Popup(0, 0, 100, 100, nullptr, "DoubleClicker");
  backend_->RunUntilIdle();
  backend_->Click(10, 10);
  backend_->RunUntilIdle();
  const HWND gone = first;
  DestroyWindow(first);
  HWND again = nullptr;
  for (int i = 0; i < 50 && again != gone; ++i) {
    if (again) DestroyWindow(again);
    again = Popup(0, 0, 100, 100, nullptr, "DoubleClicker");
  }
  if (again != gone) GTEST_SKIP() << "no handle was reused";
  Log().clear();
  backend_->Click(10, 10, input::Button::Left, 10);
  backend_->RunUntilIdle();
  EXPECT_EQ(MessagesOf(again, kButtons), (std::vector<UINT>{WM_LBUTTONDOWN, WM_LBUTTONUP}));
}

TEST_F(InputTest, CaptureTakesTheMouseAndLosingItIsAnnounced) {
  HWND a = Popup(0, 0, 100, 100);
  HWND b = Popup(300, 300, 100, 100);
  backend_->RunUntilIdle();
  SetCapture(a);
  Log().clear();
  backend_->MoveMouse(350, 320);
  backend_->RunUntilIdle();
  auto moves = Only(WM_MOUSEMOVE);
  ASSERT_EQ(moves.size(), 1u);
  EXPECT_EQ(moves[0].hwnd, a);
  EXPECT_EQ(GET_X_LPARAM(moves[0].lParam), 350);
  EXPECT_TRUE(Only(WM_SETCURSOR).empty());
  SetCapture(b);
  EXPECT_EQ(MessagesOf(a, {WM_CAPTURECHANGED}).size(), 1u);
  ReleaseCapture();
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(MessagesOf(b, {WM_CAPTURECHANGED}).size(), 1u);
  Log().clear();
  backend_->MoveMouse(350, 321);
  backend_->RunUntilIdle();
  ASSERT_EQ(Only(WM_MOUSEMOVE).size(), 1u);
  EXPECT_EQ(Only(WM_MOUSEMOVE)[0].hwnd, b);
  EXPECT_EQ(GET_X_LPARAM(Only(WM_MOUSEMOVE)[0].lParam), 50);
}

TEST_F(InputTest, ClicksActivateAndDisabledOwnersIgnoreThem) {
  HWND owner = Popup(0, 0, 400, 400);
  HWND other = Popup(500, 0, 100, 100);
  ASSERT_EQ(GetActiveWindow(), other);
  backend_->RunUntilIdle();
  Log().clear();
  backend_->Click(10, 10);
  backend_->RunUntilIdle();
  EXPECT_EQ(GetActiveWindow(), owner);
  ASSERT_FALSE(Only(WM_ACTIVATE).empty());
  EXPECT_EQ(LOWORD(Only(WM_ACTIVATE).back().wParam), WA_CLICKACTIVE);

  // The focus taken by another program and never given back: a click in the
  // already active window still brings the program and its focus back.
  backend_->SetAppActive(false);
  backend_->RunUntilIdle();
  ASSERT_EQ(GetForegroundWindow(), nullptr);
  Log().clear();
  backend_->Click(10, 10);
  backend_->RunUntilIdle();
  EXPECT_EQ(GetForegroundWindow(), owner);
  EXPECT_EQ(GetFocus(), owner);
  ASSERT_FALSE(Only(WM_ACTIVATEAPP).empty());
  EXPECT_EQ(Only(WM_ACTIVATEAPP)[0].wParam, 1u);
  EXPECT_EQ(MessagesOf(owner, kButtons).size(), 2u);

  HWND modal = Popup(100, 100, 100, 100, owner);
  EnableWindow(owner, FALSE);
  backend_->RunUntilIdle();
  Log().clear();
  backend_->Click(10, 10);
  backend_->Click(150, 150, input::Button::Left, 10);
  backend_->RunUntilIdle();
  EXPECT_TRUE(MessagesOf(owner, kButtons).empty());
  EXPECT_EQ(MessagesOf(modal, kButtons).size(), 2u);
}

TEST_F(InputTest, DisabledChildLetsTheClickThroughToItsParent) {
  HWND top = Popup(0, 0, 200, 200);
  HWND child = Child(top, 5, 10, 10, 50, 50);
  EXPECT_EQ(WindowFromPoint(POINT{20, 20}), child);
  EnableWindow(child, FALSE);
  EXPECT_EQ(WindowFromPoint(POINT{20, 20}), top);
}

TEST_F(InputTest, WheelGoesToTheFocusAndOnToItsParent) {
  HWND top = Popup(0, 0, 200, 200);
  HWND child = Child(top, 5, 10, 10, 50, 50);
  SetFocus(child);
  Log().clear();
  backend_->MoveMouse(150, 150);
  backend_->Wheel(-WHEEL_DELTA);
  backend_->RunUntilIdle();
  auto wheels = Only(WM_MOUSEWHEEL);
  ASSERT_EQ(wheels.size(), 2u);
  EXPECT_EQ(wheels[0].hwnd, child);
  EXPECT_EQ(wheels[1].hwnd, top);  // DefWindowProc passed it up
  EXPECT_EQ(GET_WHEEL_DELTA_WPARAM(wheels[0].wParam), -WHEEL_DELTA);
  EXPECT_EQ(GET_X_LPARAM(wheels[0].lParam), 150);  // screen coordinates
}

TEST_F(InputTest, KeyStateFollowsTheQueueAsyncStateFollowsTheKeys) {
  HWND w = Popup(0, 0, 10, 10);
  backend_->RunUntilIdle();
  backend_->KeyDown(VK_CAPITAL);
  backend_->KeyUp(VK_CAPITAL);
  backend_->KeyDown(VK_MENU);
  backend_->Service();
  EXPECT_TRUE(GetAsyncKeyState(VK_MENU) & 0x8000);
  EXPECT_FALSE(GetKeyState(VK_MENU) & 0x8000);  // its message is still waiting
  Log().clear();
  backend_->PressKey('X');
  backend_->RunUntilIdle();
  EXPECT_TRUE(GetKeyState(VK_MENU) & 0x8000);
  EXPECT_EQ(GetKeyState(VK_CAPITAL) & 1, 1);
  EXPECT_EQ(MessagesOf(w, {WM_KEYDOWN, WM_SYSKEYDOWN, WM_SYSCHAR, WM_SYSKEYUP}),
            (std::vector<UINT>{WM_KEYDOWN, WM_SYSKEYDOWN, WM_SYSKEYDOWN, WM_SYSCHAR, WM_SYSKEYUP}));
  auto downs = Only(WM_SYSKEYDOWN);
  EXPECT_TRUE(downs[1].lParam & (1 << 29));  // Alt held
  backend_->KeyUp(VK_MENU);
  backend_->RunUntilIdle();
  Log().clear();
  backend_->KeyDown(VK_DOWN);
  backend_->KeyDown(VK_DOWN);  // held: a repeat
  backend_->RunUntilIdle();
  auto keyDowns = Only(WM_KEYDOWN);
  ASSERT_EQ(keyDowns.size(), 2u);
  EXPECT_TRUE(keyDowns[0].lParam & (1 << 24));  // extended key
  EXPECT_FALSE(keyDowns[0].lParam & (1 << 30));
  EXPECT_TRUE(keyDowns[1].lParam & (1 << 30));  // was down before
}

TEST_F(InputTest, AKeyHeldIntoTheNextWindowRepeatsNothingThere) {
  // Space ends a movie and its window goes; the next screen comes up while
  // the key is still held.
  HWND movie = Popup(0, 0, 10, 10);
  SetFocus(movie);
  backend_->KeyDown(VK_SPACE);
  backend_->RunUntilIdle();
  DestroyWindow(movie);
  HWND title = Popup(0, 0, 10, 10);
  SetFocus(title);
  Log().clear();
  backend_->KeyDown(VK_SPACE);  // repeats
  backend_->KeyDown(VK_SPACE);
  backend_->KeyUp(VK_SPACE);
  backend_->PressKey(VK_SPACE);  // pressed again: typed
  backend_->RunUntilIdle();
  EXPECT_EQ(MessagesOf(title, {WM_KEYDOWN, WM_CHAR, WM_KEYUP}),
            (std::vector<UINT>{WM_KEYUP, WM_KEYDOWN, WM_CHAR, WM_KEYUP}));
}

TEST_F(InputTest, KeysWithoutFocusGoToTheActiveWindowAsSystemKeys) {
  HWND w = Popup(0, 0, 10, 10);
  SetFocus(nullptr);
  Log().clear();
  backend_->PressKey(VK_RETURN);
  backend_->RunUntilIdle();
  EXPECT_EQ(MessagesOf(w, {WM_KEYDOWN, WM_SYSKEYDOWN}), (std::vector<UINT>{WM_SYSKEYDOWN}));
}

TEST_F(InputTest, CursorCounterClipAndClassCursor) {
  EXPECT_EQ(ShowCursor(FALSE), -1);
  EXPECT_EQ(CurrentCursorOverlay().image, nullptr);
  EXPECT_EQ(ShowCursor(TRUE), 0);
  EXPECT_NE(CurrentCursorOverlay().image, nullptr);  // the arrow to start with

  RECT clip{100, 100, 200, 150};
  ClipCursor(&clip);
  RECT got{};
  ASSERT_TRUE(GetClipCursor(&got));
  EXPECT_EQ(EdgesOf(got), EdgesOf(clip));
  backend_->MoveMouse(500, 10);
  backend_->Service();
  POINT p;
  GetCursorPos(&p);
  EXPECT_EQ(std::make_tuple(p.x, p.y), std::make_tuple(199, 100));
  ClipCursor(nullptr);
  ASSERT_TRUE(GetClipCursor(&got));
  EXPECT_EQ(EdgesOf(got), (Edges{0, 0, 800, 600}));

  // Captures leave the cursor out unless asked: then the arrow's white inside
  // lies one pixel right and two down of its tip.
  backend_->MoveMouse(300, 300);
  backend_->Service();
  const std::size_t inside = 302 * 800 + 301;
  EXPECT_EQ(backend_->Capture().rgb[inside], ScreenImage().rgb[inside]);
  backend_->IncludeCursorInCaptures(true);
  EXPECT_EQ(backend_->Capture().rgb[inside], 0xFFFFFFu);
  backend_->IncludeCursorInCaptures(false);

  const FixtureModule fixture;
  const HMODULE module = fixture.module;
  ASSERT_NE(module, nullptr) << LastModuleError();
  HCURSOR red = LoadCursor(module, "IDC_CURSOR_NORMAL_RED");
  ASSERT_NE(red, nullptr);
  EXPECT_EQ(LoadCursor(module, "idc_cursor_normal_red"), red);
  EXPECT_EQ(LoadCursor(module, "IDC_CURSOR_MISSING"), nullptr);

  HWND w = Popup(0, 0, 300, 300);
  SetClassLongPtr(w, GCLP_HCURSOR, reinterpret_cast<LONG_PTR>(red));
  backend_->MoveMouse(20, 20);
  backend_->RunUntilIdle();
  EXPECT_EQ(GetCursor(), red);
  const CursorOverlay o = CurrentCursorOverlay();
  ASSERT_NE(o.image, nullptr);
  EXPECT_EQ(std::make_tuple(o.image->hotspot.x, o.image->hotspot.y), std::make_tuple(5, 7));
  ASSERT_EQ(o.image->width, 16);
  // The bottom row (stored first): colour bits 1010..., AND mask 0000 1111.
  EXPECT_EQ(o.image->argb[15 * 16 + 0], 0xFFFFFFFFu);
  EXPECT_EQ(o.image->argb[15 * 16 + 1], 0xFF000000u);
  EXPECT_EQ(o.image->argb[15 * 16 + 5], 0u);
  HCURSOR arrow = LoadCursor(nullptr, IDC_ARROW);
  EXPECT_EQ(SetCursor(arrow), red);
  EXPECT_EQ(GetCursor(), arrow);
  DestroyWindow(w);
}

// The program's icon comes from its main window's class: the larger picture
// of the group, what the SDL backend gives the host window. Closing the host
// window asks that window to close.
TEST_F(InputTest, MainWindowGivesTheProgramIconAndTakesTheQuitRequest) {
  const FixtureModule fixture;
  const HMODULE module = fixture.module;
  ASSERT_NE(module, nullptr) << LastModuleError();
  HICON icon = LoadIcon(module, 1);
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(LoadIcon(module, "#1"), icon);
  EXPECT_EQ(LoadIcon(module, 2), nullptr);
  EXPECT_EQ(IconImage(icon)->width, 32);

  input::RequestQuit();  // no window yet
  MSG m;
  ASSERT_TRUE(PeekMessage(&m, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(m.message, WM_QUIT);

  WNDCLASSEX wc;
  wc.lpfnWndProc = RecordingProc;
  wc.lpszClassName = "WithIcon";
  wc.hIcon = icon;
  ASSERT_NE(RegisterClassEx(&wc), 0);
  HWND main = Popup(0, 0, 800, 600, nullptr, "WithIcon");
  HWND box = Popup(100, 100, 100, 100, main);
  SetActiveWindow(box);
  EXPECT_EQ(ProgramIcon(), icon);
  Log().clear();
  input::RequestQuit();
  backend_->RunUntilIdle();
  EXPECT_EQ(MessagesOf(main, {WM_CLOSE}), std::vector<UINT>{WM_CLOSE});
  EXPECT_FALSE(IsWindow(box));  // owned windows go with their owner
}

// The window under the mouse shows its own class cursor inside a parent with
// a class cursor of its own, unless the parent takes WM_SETCURSOR over.
TEST_F(InputTest, TheWindowUnderTheMouseChoosesTheCursor) {
  const FixtureModule fixture;
  const HMODULE module = fixture.module;
  ASSERT_NE(module, nullptr) << LastModuleError();
  HCURSOR red = LoadCursor(module, "IDC_CURSOR_NORMAL_RED");
  HCURSOR arrow = LoadCursor(nullptr, IDC_ARROW);
  HWND parent = Popup(0, 0, 300, 300);
  HWND child = CreateWindowEx(0, "DoubleClicker", "child", WS_CHILD | WS_VISIBLE, 50, 50, 100, 100, parent, nullptr,
                              nullptr, nullptr);
  SetClassLongPtr(parent, GCLP_HCURSOR, reinterpret_cast<LONG_PTR>(arrow));
  SetClassLongPtr(child, GCLP_HCURSOR, reinterpret_cast<LONG_PTR>(red));
  auto cursorAt = [&](int x, int y) {
    SetCursor(nullptr);
    backend_->MoveMouse(x, y);
    backend_->RunUntilIdle();
    return GetCursor();
  };
  EXPECT_EQ(cursorAt(60, 60), red);
  EXPECT_EQ(cursorAt(10, 10), arrow);
  Reactions()[parent] = [&](HWND, UINT m, WPARAM, LPARAM, bool* handled) -> LRESULT {
    if (m != WM_SETCURSOR) return 0;
    *handled = true;
    SetCursor(arrow);
    return TRUE;
  };
  EXPECT_EQ(cursorAt(60, 60), arrow);
  auto asks = Only(WM_SETCURSOR);
  ASSERT_FALSE(asks.empty());
  EXPECT_EQ(reinterpret_cast<HWND>(asks.back().wParam), child);  // the hit window travels to the parent
}

// A module freed and a same-sized one loaded in its place (the allocator
// usually hands back the same memory) must not be served the first one's
// cursor: every load shows its own picture.
TEST_F(InputTest, CursorsNeverComeFromAFreedModule) {
  std::ifstream in(quentest::FixtureModulePath(), std::ios::binary);
  const std::vector<std::uint8_t> white{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  HMODULE probe = LoadLibraryFromMemory(white);
  ASSERT_NE(probe, nullptr);
  auto group = LoadCursorGroup(probe, "IDC_CURSOR_NORMAL_RED");
  ASSERT_TRUE(group);
  const CursorIconImage& image = group->images.front();
  auto raw = ResourceBytes(probe, image.resourceId, RT_CURSOR);
  const auto at = std::search(white.begin(), white.end(), raw.begin(), raw.end()) - white.begin();
  FreeLibrary(probe);
  // The first colour byte holds pixel 0 of the bottom row: white, and black once inverted.
  std::vector<std::uint8_t> black = white;
  black[static_cast<std::size_t>(at) + 4 + image.header.bitsOffset] ^= 0xFF;

  for (int i = 0; i < 8; ++i) {
    HMODULE module = LoadLibraryFromMemory(i % 2 ? black : white);
    ASSERT_NE(module, nullptr);
    SetCursor(LoadCursor(module, "IDC_CURSOR_NORMAL_RED"));
    const CursorOverlay o = CurrentCursorOverlay();
    ASSERT_NE(o.image, nullptr);
    EXPECT_EQ(o.image->argb[15 * 16 + 0], i % 2 ? 0xFF000000u : 0xFFFFFFFFu) << "load " << i;
    FreeLibrary(module);
  }
}

}  // namespace
}  // namespace usertest
