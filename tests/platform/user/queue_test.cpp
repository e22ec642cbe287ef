#include <chrono>
#include <thread>
#include <tuple>

#include "platform/core/clock.h"
#include "tests/platform/user/user_fixture.h"

namespace usertest {
namespace {

using namespace plat;

class QueueTest : public UserTest {};

TEST_F(QueueTest, SentMessagesRunAtOnceWhilePostedOnesWaitTheirTurn) {
  HWND w = Popup(0, 0, 100, 100);
  Reactions()[w] = [](HWND h, UINT m, WPARAM, LPARAM, bool* handled) -> LRESULT {
    if (m == WM_USER) {
      PostMessage(h, WM_USER + 2, 0, 0);
      *handled = true;
      return SendMessage(h, WM_USER + 1, 0, 0) + 1;
    }
    if (m == WM_USER + 1) {
      *handled = true;
      return 41;
    }
    return 0;
  };
  PostMessage(w, WM_USER + 3, 0, 0);
  Log().clear();
  EXPECT_EQ(SendMessage(w, WM_USER, 0, 0), 42);
  backend_->RunUntilIdle();
  std::vector<UINT> order;
  for (const auto& s : Log())
    if (s.msg >= WM_USER) order.push_back(s.msg - WM_USER);
  EXPECT_EQ(order, (std::vector<UINT>{0, 1, 3, 2}));
}

TEST_F(QueueTest, PeekWithFiltersFindsOneMessageAndLeavesIt) {
  HWND a = Popup(0, 0, 100, 100);
  HWND b = Popup(200, 0, 100, 100);
  backend_->RunUntilIdle();
  PostMessage(a, WM_LBUTTONUP, 0, 1);
  PostMessage(b, WM_LBUTTONDBLCLK, 0, 2);
  PostMessage(b, WM_LBUTTONUP, 0, 3);
  MSG m;
  ASSERT_TRUE(PeekMessage(&m, b, WM_LBUTTONUP, WM_LBUTTONUP, PM_NOREMOVE));
  EXPECT_EQ(m.lParam, 3);
  ASSERT_TRUE(PeekMessage(&m, b, WM_LBUTTONDBLCLK, WM_LBUTTONDBLCLK, PM_NOREMOVE));
  EXPECT_EQ(m.lParam, 2);
  EXPECT_FALSE(PeekMessage(&m, b, WM_KEYDOWN, WM_KEYUP, PM_NOREMOVE));
  // Nothing was taken: the queue still hands them out in posting order.
  for (LPARAM want : {1, 2, 3}) {
    ASSERT_TRUE(GetMessage(&m, nullptr, 0, 0));
    EXPECT_EQ(m.lParam, want);
  }
  // A filtered removal takes just that one.
  PostMessage(a, WM_USER, 0, 10);
  PostMessage(b, WM_USER, 0, 20);
  ASSERT_TRUE(PeekMessage(&m, b, 0, 0, PM_REMOVE));
  EXPECT_EQ(m.lParam, 20);
  ASSERT_TRUE(PeekMessage(&m, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(m.lParam, 10);
}

TEST_F(QueueTest, QuitComesAfterPostedMessagesAndIgnoresFilters) {
  HWND w = Popup(0, 0, 10, 10);
  backend_->RunUntilIdle();
  PostQuitMessage(7);
  PostMessage(w, WM_USER, 0, 0);
  MSG m;
  ASSERT_TRUE(GetMessage(&m, nullptr, 0, 0));
  EXPECT_EQ(m.message, WM_USER);
  ASSERT_TRUE(PeekMessage(&m, w, WM_KEYDOWN, WM_KEYDOWN, PM_NOREMOVE));
  EXPECT_EQ(m.message, WM_QUIT);
  EXPECT_FALSE(GetMessage(&m, nullptr, 0, 0));
  EXPECT_EQ(m.wParam, 7u);
  EXPECT_FALSE(PeekMessage(&m, nullptr, 0, 0, PM_REMOVE));
}

struct HookLog {
  static std::vector<std::pair<int, WPARAM>>& Calls() {
    static std::vector<std::pair<int, WPARAM>> calls;
    return calls;
  }
  static inline HHOOK older = nullptr;
  static inline HHOOK newer = nullptr;
};

LRESULT OlderHook(int code, WPARAM remove, LPARAM lParam) {
  HookLog::Calls().push_back({1, remove});
  return CallNextHookEx(HookLog::older, code, remove, lParam);
}

// Keeps Escape key downs from the older hook and changes WM_USER+5 into WM_USER+6.
LRESULT NewerHook(int code, WPARAM remove, LPARAM lParam) {
  auto* msg = reinterpret_cast<MSG*>(lParam);
  HookLog::Calls().push_back({2, remove});
  if (msg->message == WM_KEYDOWN && msg->wParam == VK_ESCAPE) return 0;
  if (msg->message == WM_USER + 5) msg->message = WM_USER + 6;
  return CallNextHookEx(HookLog::newer, code, remove, lParam);
}

TEST_F(QueueTest, HooksSeePeekedAndRemovedMessagesNewestFirst) {
  HWND w = Popup(0, 0, 10, 10);
  backend_->RunUntilIdle();
  HookLog::Calls().clear();
  HookLog::older = SetWindowsHookEx(WH_GETMESSAGE, OlderHook, nullptr, 0);
  HookLog::newer = SetWindowsHookEx(WH_GETMESSAGE, NewerHook, nullptr, 0);
  ASSERT_TRUE(HookLog::older && HookLog::newer);

  PostMessage(w, WM_USER, 0, 0);
  MSG m;
  ASSERT_TRUE(PeekMessage(&m, nullptr, 0, 0, PM_NOREMOVE));
  ASSERT_TRUE(PeekMessage(&m, nullptr, 0, 0, PM_REMOVE));
  using Call = std::pair<int, WPARAM>;
  EXPECT_EQ(HookLog::Calls(), (std::vector<Call>{{2, PM_NOREMOVE}, {1, PM_NOREMOVE}, {2, PM_REMOVE}, {1, PM_REMOVE}}));

  HookLog::Calls().clear();
  PostMessage(w, WM_KEYDOWN, VK_ESCAPE, 0);
  ASSERT_TRUE(PeekMessage(&m, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(m.message, WM_KEYDOWN);  // kept from the older hook, still delivered
  EXPECT_EQ(HookLog::Calls(), (std::vector<Call>{{2, PM_REMOVE}}));

  PostMessage(w, WM_USER + 5, 0, 0);
  ASSERT_TRUE(PeekMessage(&m, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(m.message, WM_USER + 6);

  EXPECT_TRUE(UnhookWindowsHookEx(HookLog::newer));
  EXPECT_FALSE(UnhookWindowsHookEx(HookLog::newer));
  HookLog::Calls().clear();
  PostMessage(w, WM_USER, 0, 0);
  ASSERT_TRUE(PeekMessage(&m, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(HookLog::Calls(), (std::vector<Call>{{1, PM_REMOVE}}));
}

TEST_F(QueueTest, TranslateTypesCharactersAheadOfWaitingInput) {
  HWND w = Popup(0, 0, 10, 10);
  SetFocus(w);
  backend_->KeyDown(VK_SHIFT);
  backend_->PressKey('Q');
  backend_->KeyUp(VK_SHIFT);
  backend_->PressKey('Q');
  backend_->PressKey(VK_OEM_MINUS);
  backend_->KeyDown(VK_CONTROL);
  backend_->PressKey('C');
  backend_->KeyUp(VK_CONTROL);
  backend_->PressKey(VK_LEFT);
  Log().clear();
  backend_->RunUntilIdle();
  std::string typed;
  for (const auto& s : Only(WM_CHAR)) typed += static_cast<char>(s.wParam);
  EXPECT_EQ(typed, std::string("Qq-\x03"));
  // WM_CHAR arrives between its key down and key up.
  std::vector<UINT> forQ;
  for (const auto& s : Log())
    if ((s.msg == WM_KEYDOWN || s.msg == WM_KEYUP || s.msg == WM_CHAR) && (s.wParam == 'Q' || s.wParam == 'q'))
      forQ.push_back(s.msg);
  EXPECT_EQ(forQ, (std::vector<UINT>{WM_KEYDOWN, WM_CHAR, WM_KEYUP, WM_KEYDOWN, WM_CHAR, WM_KEYUP}));
}

TEST_F(QueueTest, TimersFireOnTheVirtualClockOncePerPeriod) {
  HWND w = Popup(0, 0, 10, 10);
  backend_->RunUntilIdle();
  Log().clear();
  const DWORD start = timeGetTime();
  ASSERT_EQ(SetTimer(w, 8008, 90, nullptr), 8008u);
  ASSERT_EQ(SetTimer(w, 5555, 1000, nullptr), 5555u);
  backend_->RunFor(2000);
  int fast = 0, slow = 0;
  for (const auto& s : Only(WM_TIMER)) (s.wParam == 8008 ? fast : slow)++;
  EXPECT_EQ(fast, 22);
  EXPECT_EQ(slow, 2);
  EXPECT_EQ(timeGetTime() - start, 2000u);

  // A timer far behind gives one message, not one per missed period.
  Log().clear();
  AdvanceVirtualClock(1000);
  MSG m;
  int got = 0;
  while (PeekMessage(&m, w, WM_TIMER, WM_TIMER, PM_REMOVE))
    if (m.wParam == 8008) ++got;
  EXPECT_EQ(got, 1);

  EXPECT_TRUE(KillTimer(w, 8008));
  EXPECT_FALSE(KillTimer(w, 8008));
  Log().clear();
  backend_->RunFor(500);
  EXPECT_TRUE(Only(WM_TIMER).empty());
}

TEST_F(QueueTest, TimerProcedureRunsInsteadOfTheWindow) {
  static int calls = 0;
  calls = 0;
  UINT_PTR id = SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR, DWORD) { ++calls; });
  ASSERT_NE(id, 0u);
  backend_->RunFor(200);
  EXPECT_EQ(calls, 4);
  KillTimer(nullptr, id);
}

TEST_F(QueueTest, NestedModalLoopKeepsTimersAndPostedMessagesFlowing) {
  HWND owner = Popup(0, 0, 100, 100);
  HWND dialog = Popup(10, 10, 50, 50, owner);
  backend_->RunUntilIdle();
  static int timerTicks = 0;
  static bool modalDone = false;
  static std::vector<int> events;
  timerTicks = 0;
  modalDone = false;
  events.clear();
  Reactions()[owner] = [dialog](HWND h, UINT m, WPARAM, LPARAM l, bool* handled) -> LRESULT {
    if (m == WM_USER) {
      *handled = true;
      events.push_back(1);
      SetTimer(dialog, 1, 100, nullptr);
      PostMessage(h, WM_USER + 1, 0, 7);
      MSG msg;
      while (!modalDone && GetMessage(&msg, nullptr, 0, 0)) {
        TranslateMessage(&msg);
        DispatchMessage(&msg);
      }
      events.push_back(3);
      return 0;
    }
    if (m == WM_USER + 1) events.push_back(static_cast<int>(l));
    return 0;
  };
  Reactions()[dialog] = [](HWND h, UINT m, WPARAM, LPARAM, bool*) -> LRESULT {
    if (m == WM_TIMER && ++timerTicks == 3) {
      KillTimer(h, 1);
      modalDone = true;
    }
    return 0;
  };
  PostMessage(owner, WM_USER, 0, 0);
  PostMessage(owner, WM_USER + 1, 0, 8);
  const DWORD start = timeGetTime();
  backend_->RunUntilIdle();
  EXPECT_EQ(timerTicks, 3);
  EXPECT_EQ(timeGetTime() - start, 300u);  // the modal wait moved the virtual clock to each tick
  EXPECT_EQ(events, (std::vector<int>{1, 8, 7, 3}));
}

TEST_F(QueueTest, MessagesForGoneWindowsAreDropped) {
  HWND a = Popup(0, 0, 10, 10);
  HWND b = Popup(0, 0, 10, 10);
  PostMessage(a, WM_USER, 0, 0);
  PostMessage(b, WM_USER, 0, 0);
  DestroyWindow(a);
  EXPECT_FALSE(PostMessage(a, WM_USER, 0, 0));
  EXPECT_EQ(SendMessage(a, WM_USER, 0, 0), 0);
  Log().clear();
  backend_->RunUntilIdle();
  ASSERT_EQ(Only(WM_USER).size(), 1u);
  EXPECT_EQ(Only(WM_USER)[0].hwnd, b);
}

TEST_F(QueueTest, AnotherThreadCanPostAndWakeAWait) {
  HWND w = Popup(0, 0, 10, 10);
  backend_->RunUntilIdle();
  std::thread poster([w] { PostMessage(w, WM_USER + 9, 1, 2); });
  MSG m;
  ASSERT_TRUE(GetMessage(&m, nullptr, WM_USER + 9, WM_USER + 9));
  poster.join();
  EXPECT_EQ(std::make_tuple(m.hwnd, m.lParam), std::make_tuple(w, 2));
}

// The idle wait of a polling loop: on the real clock it ends when another
// thread posts, long before its limit, and otherwise at the limit; on the
// virtual clock it is one millisecond, however long the limit.
TEST_F(QueueTest, IdleWaitEndsAtAPostOrItsLimit) {
  HWND w = Popup(0, 0, 10, 10);
  backend_->RunUntilIdle();
  const DWORD start = timeGetTime();
  WaitIdle(50);
  EXPECT_EQ(timeGetTime() - start, 1u);

  struct VirtualClockAfter {
    ~VirtualClockAfter() { UseVirtualClock(timeGetTime()); }
  } restore;
  UseRealClock();
  const auto before = std::chrono::steady_clock::now();
  WaitIdle(20);
  EXPECT_GE(std::chrono::steady_clock::now() - before, std::chrono::milliseconds(19));
  std::thread poster([w] {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    PostMessage(w, WM_USER + 9, 1, 2);
  });
  const auto posted = std::chrono::steady_clock::now();
  WaitIdle(60000);
  poster.join();
  EXPECT_LT(std::chrono::steady_clock::now() - posted, std::chrono::seconds(30));
  MSG m;
  EXPECT_TRUE(PeekMessage(&m, nullptr, WM_USER + 9, WM_USER + 9, PM_REMOVE));
}

}  // namespace
}  // namespace usertest
