#include "platform/core/clock.h"

#include <tuple>

#include "tests/platform/user/user_fixture.h"

namespace usertest {
namespace {

using namespace plat;

class PaintTest : public UserTest {};

TEST_F(PaintTest, UpdateRegionGrowsAndShrinks) {
  HWND w = Popup(0, 0, 200, 100);
  ValidateRect(w, nullptr);
  RECT r;
  EXPECT_FALSE(GetUpdateRect(w, &r, FALSE));
  RECT a{10, 10, 20, 20}, b{50, 5, 60, 15};
  InvalidateRect(w, &a, FALSE);
  InvalidateRect(w, &b, FALSE);
  ASSERT_TRUE(GetUpdateRect(w, &r, FALSE));
  EXPECT_EQ(EdgesOf(r), (Edges{10, 5, 60, 20}));
  RECT strip{0, 0, 200, 10};  // spans the region's width: takes its top off
  ValidateRect(w, &strip);
  GetUpdateRect(w, &r, FALSE);
  EXPECT_EQ(EdgesOf(r), (Edges{10, 10, 60, 20}));
  RECT middle{20, 12, 30, 14};  // a hole: the bounding rectangle stays
  ValidateRect(w, &middle);
  GetUpdateRect(w, &r, FALSE);
  EXPECT_EQ(EdgesOf(r), (Edges{10, 10, 60, 20}));
  RECT beyond{-50, -50, 500, 500};
  InvalidateRect(w, &beyond, FALSE);
  GetUpdateRect(w, &r, FALSE);
  EXPECT_EQ(EdgesOf(r), (Edges{0, 0, 200, 100}));  // clipped to the client area
}

TEST_F(PaintTest, PaintComesAfterPostedMessagesAndBeforeTimers) {
  HWND w = Popup(0, 0, 200, 100);
  backend_->RunUntilIdle();
  SetTimer(w, 1, 10, nullptr);
  backend_->RunFor(10);  // the timer is due again from here
  Log().clear();
  InvalidateRect(w, nullptr, FALSE);
  PostMessage(w, WM_USER, 0, 0);
  plat::AdvanceVirtualClock(10);
  MSG m;
  std::vector<UINT> order;
  while (PeekMessage(&m, nullptr, 0, 0, PM_REMOVE)) {
    order.push_back(m.message);
    DispatchMessage(&m);
  }
  EXPECT_EQ(order, (std::vector<UINT>{WM_USER, WM_PAINT, WM_TIMER}));
}

TEST_F(PaintTest, BeginPaintErasesOnlyWhenAskedAndValidates) {
  HWND w = Popup(0, 0, 200, 100);
  backend_->RunUntilIdle();
  static PAINTSTRUCT seen;
  static bool eraseHandled = false;
  Reactions()[w] = [](HWND h, UINT m, WPARAM, LPARAM, bool* handled) -> LRESULT {
    if (m == WM_PAINT) {
      BeginPaint(h, &seen);
      EndPaint(h, &seen);
      *handled = true;
    }
    if (m == WM_ERASEBKGND) {
      *handled = eraseHandled;
      return eraseHandled ? 1 : 0;
    }
    return 0;
  };
  RECT part{5, 6, 7, 8};
  Log().clear();
  InvalidateRect(w, &part, FALSE);
  backend_->RunUntilIdle();
  EXPECT_TRUE(Only(WM_ERASEBKGND).empty());
  EXPECT_EQ(std::make_tuple(seen.rcPaint.left, seen.rcPaint.bottom), std::make_tuple(5, 8));
  EXPECT_FALSE(seen.fErase);
  EXPECT_FALSE(GetUpdateRect(w, nullptr, FALSE));

  InvalidateRect(w, nullptr, TRUE);
  backend_->RunUntilIdle();
  EXPECT_EQ(Only(WM_ERASEBKGND).size(), 1u);
  EXPECT_TRUE(seen.fErase);  // nobody erased
  eraseHandled = true;
  InvalidateRect(w, nullptr, TRUE);
  backend_->RunUntilIdle();
  EXPECT_FALSE(seen.fErase);
  ASSERT_EQ(Only(WM_PAINT).size(), 3u);
}

TEST_F(PaintTest, LockWindowUpdateHoldsPaintingBack) {
  HWND main = Popup(0, 0, 800, 600);
  HWND child = Child(main, 1, 10, 10, 50, 50);
  backend_->RunUntilIdle();
  EXPECT_TRUE(LockWindowUpdate(main));
  EXPECT_FALSE(LockWindowUpdate(child));  // one at a time
  EXPECT_TRUE(IsWindowUpdateLocked(child));
  Log().clear();
  InvalidateRect(main, nullptr, TRUE);
  UpdateWindow(main);
  backend_->RunUntilIdle();
  EXPECT_TRUE(Only(WM_PAINT).empty());
  LockWindowUpdate(nullptr);
  backend_->RunUntilIdle();
  EXPECT_EQ(MessagesOf(main, {WM_PAINT}).size(), 1u);
  EXPECT_EQ(MessagesOf(child, {WM_PAINT}).size(), 1u);
}

TEST_F(PaintTest, UncoveringAnAreaRepaintsWhatWasBelow) {
  HWND main = Popup(0, 0, 800, 600);
  HWND box = Popup(100, 100, 50, 50, main);
  backend_->RunUntilIdle();
  Log().clear();
  DestroyWindow(box);
  RECT r;
  ASSERT_TRUE(GetUpdateRect(main, &r, FALSE));
  EXPECT_EQ(std::make_tuple(r.left, r.right), std::make_tuple(100, 150));
  backend_->RunUntilIdle();
  EXPECT_EQ(MessagesOf(main, {WM_PAINT}).size(), 1u);
  // Painting now, without the queue.
  InvalidateRect(main, nullptr, FALSE);
  Log().clear();
  UpdateWindow(main);
  EXPECT_EQ(MessagesOf(main, {WM_PAINT}).size(), 1u);
}

}  // namespace
}  // namespace usertest
