#include <tuple>

#include "tests/platform/user/user_fixture.h"

namespace usertest {
namespace {

using namespace plat;

class WindowTest : public UserTest {};

WNDPROC g_original = nullptr;
int g_subclassCalls = 0;

LRESULT Subclass(HWND h, UINT m, WPARAM w, LPARAM l) {
  if (m == WM_USER) {
    ++g_subclassCalls;
    return CallWindowProc(g_original, h, m, w, l) + 100;
  }
  return CallWindowProc(g_original, h, m, w, l);
}

TEST_F(WindowTest, WindowDataAndSubclassing) {
  HWND top = Popup(0, 0, 100, 100);
  HWND child = Child(top, 42, 5, 5, 20, 20);
  EXPECT_EQ(GetDlgCtrlID(child), 42);
  EXPECT_EQ(GetDlgItem(top, 42), child);
  EXPECT_EQ(GetParent(child), top);
  EXPECT_TRUE(IsChild(top, child));
  EXPECT_EQ(SetWindowLongPtr(child, GWLP_USERDATA, 1234), 0);
  // Extra window bytes of the class, as the dialog code keeps its words.
  SetWindowLongPtr(child, 8, 0x1122334455667788LL);
  EXPECT_EQ(GetWindowLongPtr(child, 8), 0x1122334455667788LL);
  EXPECT_EQ(GetWindowLongPtr(child, 12), 0);  // would read past the 16 bytes

  Reactions()[child] = [](HWND, UINT m, WPARAM, LPARAM, bool* handled) -> LRESULT {
    *handled = m == WM_USER;
    return 5;
  };
  g_subclassCalls = 0;
  g_original = reinterpret_cast<WNDPROC>(SetWindowLongPtr(child, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Subclass)));
  ASSERT_EQ(g_original, RecordingProc);
  EXPECT_EQ(SendMessage(child, WM_USER, 0, 0), 105);
  EXPECT_EQ(g_subclassCalls, 1);
  SetWindowText(child, "renamed");
  char text[4];
  EXPECT_EQ(GetWindowText(child, text, sizeof text), 3);  // cut to the buffer
  EXPECT_STREQ(text, "ren");
  EXPECT_EQ(GetWindowTextLength(child), 7);
}

TEST_F(WindowTest, CreationAndDestructionOrder) {
  HWND owner = Popup(0, 0, 100, 100);
  HWND top = Popup(0, 0, 100, 100, owner);
  HWND child = Child(top, 1, 0, 0, 10, 10);
  HWND grandchild = Child(child, 2, 0, 0, 5, 5);
  EXPECT_EQ(MessagesOf(child, {WM_CREATE, WM_SIZE, WM_MOVE}), (std::vector<UINT>{WM_CREATE, WM_SIZE, WM_MOVE}));
  Log().clear();
  EXPECT_TRUE(DestroyWindow(owner));
  std::vector<std::pair<HWND, UINT>> order;
  for (const auto& s : Log())
    if (s.msg == WM_DESTROY || s.msg == WM_NCDESTROY) order.push_back({s.hwnd, s.msg});
  const std::vector<std::pair<HWND, UINT>> want = {
      {top, WM_DESTROY},     {child, WM_DESTROY}, {grandchild, WM_DESTROY}, {grandchild, WM_NCDESTROY},
      {child, WM_NCDESTROY}, {top, WM_NCDESTROY}, {owner, WM_DESTROY},      {owner, WM_NCDESTROY}};
  EXPECT_EQ(order, want);
  EXPECT_FALSE(IsWindow(child));
  EXPECT_FALSE(DestroyWindow(child));
}

TEST_F(WindowTest, AWindowMayDestroyItselfInItsOwnProcedure) {
  HWND w = Popup(0, 0, 10, 10);
  Reactions()[w] = [](HWND h, UINT m, WPARAM, LPARAM, bool* handled) -> LRESULT {
    if (m == WM_USER) {
      DestroyWindow(h);
      *handled = true;
      return IsWindow(h) ? 1 : 2;
    }
    return 0;
  };
  EXPECT_EQ(SendMessage(w, WM_USER, 0, 0), 2);
  EXPECT_FALSE(IsWindow(w));
}

TEST_F(WindowTest, CreateRefusedByItsProcedureYieldsNull) {
  WNDCLASSEX wc;
  wc.lpszClassName = "Refuser";
  wc.lpfnWndProc = [](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
    return m == WM_CREATE ? -1 : DefWindowProc(h, m, w, l);
  };
  ASSERT_NE(RegisterClassEx(&wc), 0);
  EXPECT_EQ(RegisterClassEx(&wc), 0);  // the name is taken
  EXPECT_EQ(CreateWindowEx(0, "refuser", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr), nullptr);
  EXPECT_EQ(CreateWindowEx(0, "NoSuchClass", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr), nullptr);
}

TEST_F(WindowTest, GeometryThroughBordersAndNesting) {
  RECT r{0, 0, 200, 100};
  AdjustWindowRectEx(&r, WS_POPUP | WS_CAPTION, FALSE, 0);
  EXPECT_EQ(EdgesOf(r), (Edges{-3, -21, 203, 103}));

  HWND top = CreateWindowEx(0, "Recorder", "", WS_POPUP | WS_BORDER | WS_VISIBLE, 100, 50, 300, 200, nullptr, nullptr,
                            nullptr, nullptr);
  HWND child = Child(top, 1, 10, 20, 100, 100);
  RECT client;
  GetClientRect(top, &client);
  EXPECT_EQ(EdgesOf(client), (Edges{0, 0, 298, 198}));
  POINT p{1, 2};
  ClientToScreen(child, &p);
  EXPECT_EQ(std::make_tuple(p.x, p.y), std::make_tuple(100 + 1 + 10 + 1, 50 + 1 + 20 + 2));
  ScreenToClient(top, &p);
  EXPECT_EQ(p.x, 11);
  RECT wr;
  GetWindowRect(child, &wr);
  EXPECT_EQ(wr.left, 111);
  POINT pts[1] = {{0, 0}};
  MapWindowPoints(child, top, pts, 1);
  EXPECT_EQ(std::make_tuple(pts[0].x, pts[0].y), std::make_tuple(10, 20));
  MoveWindow(child, 30, 40, 50, 60, TRUE);
  GetWindowRect(child, &wr);
  EXPECT_EQ(EdgesOf(wr), (Edges{131, 91, 181, 151}));
  EXPECT_EQ(Only(WM_SIZE).back().lParam, MAKELPARAM(50, 60));
}

TEST_F(WindowTest, ChildrenKeepCreationOrderForTabbing) {
  HWND top = Popup(0, 0, 100, 100);
  HWND a = Child(top, 1, 0, 0, 10, 10);
  HWND b = Child(top, 2, 0, 0, 10, 10);
  HWND c = Child(top, 3, 0, 0, 10, 10);
  EXPECT_EQ(GetWindow(top, GW_CHILD), a);
  EXPECT_EQ(GetWindow(a, GW_HWNDNEXT), b);
  EXPECT_EQ(GetWindow(c, GW_HWNDPREV), b);
  EXPECT_EQ(GetWindow(c, GW_HWNDNEXT), nullptr);
  EXPECT_EQ(GetWindow(b, GW_HWNDLAST), c);
  SetWindowPos(c, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  EXPECT_EQ(GetWindow(top, GW_CHILD), c);
}

TEST_F(WindowTest, ActivationFocusAndTheForeground) {
  HWND main = Popup(0, 0, 800, 600);
  EXPECT_EQ(GetActiveWindow(), main);
  EXPECT_EQ(GetFocus(), main);  // DefWindowProc's answer to WM_ACTIVATE
  HWND edit = Child(main, 7, 10, 10, 50, 20);
  Log().clear();
  EXPECT_EQ(SetFocus(edit), main);
  EXPECT_EQ(MessagesOf(main, {WM_KILLFOCUS}).size(), 1u);
  ASSERT_EQ(Only(WM_SETFOCUS).size(), 1u);
  EXPECT_EQ(Only(WM_SETFOCUS)[0].wParam, reinterpret_cast<WPARAM>(main));

  HWND dialog = Popup(100, 100, 200, 200, main);
  EXPECT_EQ(GetActiveWindow(), dialog);
  EXPECT_EQ(GetFocus(), dialog);
  Log().clear();
  DestroyWindow(dialog);
  EXPECT_EQ(GetActiveWindow(), main);  // the owner comes back
  EXPECT_EQ(MessagesOf(main, {WM_ACTIVATE}).size(), 1u);

  Log().clear();
  backend_->SetAppActive(false);
  backend_->RunUntilIdle();
  EXPECT_EQ(GetForegroundWindow(), nullptr);
  ASSERT_EQ(Only(WM_ACTIVATEAPP).size(), 1u);
  EXPECT_EQ(Only(WM_ACTIVATEAPP)[0].wParam, 0u);
  EXPECT_TRUE(SetForegroundWindow(main));
  EXPECT_EQ(GetForegroundWindow(), main);
  EXPECT_EQ(Only(WM_ACTIVATEAPP).back().wParam, 1u);

  backend_->SetMinimized(true);
  backend_->RunUntilIdle();
  EXPECT_TRUE(IsIconic(main));
  EXPECT_EQ(GetForegroundWindow(), nullptr);
  backend_->SetMinimized(false);
  backend_->RunUntilIdle();
  EXPECT_FALSE(IsIconic(main));
  EXPECT_EQ(GetForegroundWindow(), main);
}

TEST_F(WindowTest, HidingOrDisablingTakesTheFocusAway) {
  HWND main = Popup(0, 0, 800, 600);
  HWND edit = Child(main, 7, 10, 10, 50, 20);
  SetFocus(edit);
  EnableWindow(edit, FALSE);
  EXPECT_EQ(GetFocus(), nullptr);
  EXPECT_FALSE(IsWindowEnabled(edit));
  EXPECT_EQ(MessagesOf(edit, {WM_ENABLE}).size(), 1u);
  EnableWindow(edit, TRUE);
  SetFocus(edit);
  ShowWindow(edit, SW_HIDE);
  EXPECT_EQ(GetFocus(), nullptr);
  EXPECT_FALSE(IsWindowVisible(edit));
  ShowWindow(main, SW_HIDE);
  EXPECT_EQ(GetActiveWindow(), nullptr);
}

// A modal dialog stays in front of the window it disables: the owner taking
// the focus again (a button of it repainting) raises it, never above the
// dialog, so clicks still reach the dialog.
TEST_F(WindowTest, OwnedWindowsStayAboveTheirRaisedOwner) {
  HWND main = Popup(0, 0, 800, 600);
  HWND button = Child(main, 7, 10, 10, 50, 20);
  HWND dialog = Popup(0, 0, 800, 600, main);
  HWND box = Popup(100, 100, 200, 200, dialog);
  HWND other = Popup(0, 0, 800, 600);
  EXPECT_EQ(WindowFromPoint(POINT{20, 15}), other);
  SetFocus(button);
  EXPECT_EQ(GetWindow(main, GW_HWNDFIRST), box);
  EXPECT_EQ(GetWindow(box, GW_HWNDNEXT), dialog);
  EXPECT_EQ(GetWindow(dialog, GW_HWNDNEXT), main);
  EXPECT_EQ(GetWindow(main, GW_HWNDNEXT), other);
  EXPECT_EQ(WindowFromPoint(POINT{20, 15}), dialog);
  EXPECT_EQ(WindowFromPoint(POINT{150, 150}), box);
  // Sent to the bottom, the owner takes its windows along, still above it.
  SetWindowPos(main, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  EXPECT_EQ(GetWindow(main, GW_HWNDFIRST), other);
  EXPECT_EQ(GetWindow(main, GW_HWNDNEXT), nullptr);
  EXPECT_EQ(GetWindow(dialog, GW_HWNDNEXT), main);
}

}  // namespace
}  // namespace usertest
