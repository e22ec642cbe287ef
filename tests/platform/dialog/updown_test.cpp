// The up-down control with its buddy field, and the scroll bar control.

#include "platform/dialog/edit.h"

#include <tuple>

#include "platform/dialog/scrollbar.h"
#include "platform/dialog/updown.h"
#include "tests/platform/dialog/dialog_fixture.h"

namespace dlgtest {
namespace {

struct Step {
  int pos;
  int delta;
};

class UpDownTest : public ShownDialogTest {
 protected:
  void SetUp() override {
    ShownDialogTest::SetUp();
    script_.on = [this](HWND h, UINT m, WPARAM, LPARAM l) -> LRESULT {
      if (m == WM_NOTIFY) {
        auto* nm = reinterpret_cast<NMUPDOWN*>(l);
        if (nm->hdr.code != UDN_DELTAPOS) return FALSE;
        steps_.push_back({nm->iPos, nm->iDelta});
        if (rewrite_) nm->iDelta = rewrite_(nm->iDelta);
        if (refuse_) {
          SetWindowLongPtr(h, DWLP_MSGRESULT, 1);
          return TRUE;
        }
        return FALSE;
      }
      if (m == WM_VSCROLL) return TRUE;
      return FALSE;
    };
    Open(107);
  }
  LRESULT UpDown(UINT msg, WPARAM w = 0, LPARAM l = 0) { return SendMessage(Item(IDC_UPDOWN), msg, w, l); }
  // The WM_VSCROLL codes and positions the dialog got.
  std::vector<std::pair<WORD, WORD>> Scrolls(HWND from) const {
    std::vector<std::pair<WORD, WORD>> out;
    for (const Seen& s : script_.log)
      if (s.msg == WM_VSCROLL && reinterpret_cast<HWND>(s.lParam) == from)
        out.emplace_back(LOWORD(s.wParam), HIWORD(s.wParam));
    return out;
  }
  void ClickArrow(bool up, DWORD afterMs = 600) {
    RECT r;
    GetWindowRect(Item(IDC_UPDOWN), &r);
    const int y = up ? r.top + 2 : r.bottom - 3;
    backend_->Click((r.left + r.right) / 2, y, input::Button::Left, afterMs);
  }

  std::vector<Step> steps_;
  std::function<int(int)> rewrite_;
  bool refuse_ = false;
};

TEST_F(UpDownTest, RangePositionAndBuddy) {
  EXPECT_EQ(reinterpret_cast<HWND>(UpDown(UDM_GETBUDDY)), Item(IDC_BUDDY));  // the window created before it
  EXPECT_EQ(UpDown(UDM_GETRANGE), MAKELONG(0, 100));                         // the classic default: 100 down to 0
  // Aligned right inside the buddy, which gave up the room.
  RECT buddy, updown, place{100, 70, 30, 12};  // the buddy's place in the template: x, y, width, height
  GetWindowRect(Item(IDC_BUDDY), &buddy);
  GetWindowRect(Item(IDC_UPDOWN), &updown);
  MapDialogRect(dialog_, &place);
  EXPECT_EQ(updown.right, place.left + place.right);
  EXPECT_EQ(buddy.right, updown.left);
  EXPECT_EQ(updown.bottom - updown.top, buddy.bottom - buddy.top);

  UpDown(UDM_SETRANGE, 0, MAKELONG(2000, 0));
  EXPECT_EQ(UpDown(UDM_SETPOS, 0, MAKELONG(1234, 0)), 0);
  EXPECT_EQ(TextOf(Item(IDC_BUDDY)), "1,234");
  EXPECT_EQ(UpDown(UDM_GETPOS), MAKELONG(1234, 0));
  EXPECT_EQ(UpDown(UDM_SETPOS, 0, MAKELONG(5000, 0)), 1234);
  EXPECT_EQ(LOWORD(static_cast<std::uintptr_t>(UpDown(UDM_GETPOS))), 2000);  // held in the range
  // A typed number is taken up; one that is not a number of the range is an error.
  SetWindowText(Item(IDC_BUDDY), "7");
  EXPECT_EQ(UpDown(UDM_GETPOS), MAKELONG(7, 0));
  SetWindowText(Item(IDC_BUDDY), "x7");
  EXPECT_EQ(UpDown(UDM_GETPOS), MAKELONG(7, 1));
  SetWindowText(Item(IDC_BUDDY), "2001");
  EXPECT_EQ(UpDown(UDM_GETPOS), MAKELONG(7, 1));
}

TEST_F(UpDownTest, AStepAsksTheParentFirstAndScrollsAfter) {
  UpDown(UDM_SETRANGE, 0, MAKELONG(100, 0));
  UpDown(UDM_SETPOS, 0, MAKELONG(5, 0));
  ClickArrow(true);
  Pump(dialog_);
  ASSERT_EQ(steps_.size(), 1u);
  EXPECT_EQ(std::make_tuple(steps_[0].pos, steps_[0].delta), std::make_tuple(5, 1));
  EXPECT_EQ(TextOf(Item(IDC_BUDDY)), "6");
  EXPECT_EQ(Scrolls(Item(IDC_UPDOWN)), (std::vector<std::pair<WORD, WORD>>{{SB_THUMBPOSITION, 6}, {SB_ENDSCROLL, 6}}));
  EXPECT_EQ(GetFocus(), Item(IDC_BUDDY));  // a click hands the focus to the buddy

  // The parent makes every step ten.
  rewrite_ = [](int d) { return d * 10; };
  ClickArrow(true);
  Pump(dialog_);
  EXPECT_EQ(TextOf(Item(IDC_BUDDY)), "16");
  // A step of 0 is refused, and so is one the parent answers nonzero; the
  // scroll message comes all the same.
  script_.log.clear();
  rewrite_ = [](int) { return 0; };
  ClickArrow(false);
  Pump(dialog_);
  EXPECT_EQ(TextOf(Item(IDC_BUDDY)), "16");
  EXPECT_EQ(Scrolls(Item(IDC_UPDOWN)).front(), (std::pair<WORD, WORD>{SB_THUMBPOSITION, 16}));
  rewrite_ = nullptr;
  refuse_ = true;
  ClickArrow(false);
  Pump(dialog_);
  EXPECT_EQ(TextOf(Item(IDC_BUDDY)), "16");
  refuse_ = false;

  // A typed value is where the next step starts; the range holds the step.
  SetWindowText(Item(IDC_BUDDY), "99");
  ClickArrow(true);
  ClickArrow(true);
  Pump(dialog_);
  EXPECT_EQ(steps_.back().pos, 100);
  EXPECT_EQ(TextOf(Item(IDC_BUDDY)), "100");
  // The arrow keys in the buddy step too.
  Press(VK_DOWN);
  Pump(dialog_);
  EXPECT_EQ(TextOf(Item(IDC_BUDDY)), "99");
}

TEST_F(UpDownTest, TheUpArrowGoesTowardsTheUpperValueAndHoldingRepeatsFaster) {
  // Default range: 100 down to 0, so the up arrow steps by -1.
  UpDown(UDM_SETRANGE, 0, MAKELONG(0, 100));
  UpDown(UDM_SETPOS, 0, MAKELONG(50, 0));
  ClickArrow(true);
  Pump(dialog_);
  ASSERT_EQ(steps_.size(), 1u);
  EXPECT_EQ(steps_[0].delta, -1);
  EXPECT_EQ(TextOf(Item(IDC_BUDDY)), "49");

  UpDown(UDM_SETRANGE, 0, MAKELONG(1000, 0));
  UpDown(UDM_SETPOS, 0, MAKELONG(0, 0));
  steps_.clear();
  RECT r;
  GetWindowRect(Item(IDC_UPDOWN), &r);
  backend_->MoveMouse((r.left + r.right) / 2, r.top + 2, 600);
  backend_->MouseDown(input::Button::Left);
  backend_->MouseUp(input::Button::Left, 2600);
  Pump(dialog_);
  ASSERT_GT(steps_.size(), 20u);
  EXPECT_EQ(steps_.front().delta, 1);
  EXPECT_EQ(steps_.back().delta, 5);  // held past two seconds
}

TEST_F(UpDownTest, ScrollBarAsksItsParentToMove) {
  HWND bar = Item(IDC_BAR);
  EXPECT_TRUE(SendMessage(bar, SBM_SETRANGE, 0, 10));
  EXPECT_EQ(SendMessage(bar, SBM_SETPOS, 20, TRUE), 0);
  EXPECT_EQ(SendMessage(bar, SBM_GETPOS, 0, 0), 10);
  SendMessage(bar, SBM_SETPOS, 0, TRUE);
  INT lo = -1, hi = -1;
  SendMessage(bar, SBM_GETRANGE, reinterpret_cast<WPARAM>(&lo), reinterpret_cast<LPARAM>(&hi));
  EXPECT_EQ(lo, 0);
  EXPECT_EQ(hi, 10);

  RECT r;
  GetWindowRect(bar, &r);
  const int x = (r.left + r.right) / 2;
  backend_->Click(x, r.bottom - 3, input::Button::Left, 600);   // the lower arrow
  backend_->Click(x, r.bottom - 30, input::Button::Left, 600);  // the track below the thumb
  Pump(dialog_);
  EXPECT_EQ(Scrolls(bar), (std::vector<std::pair<WORD, WORD>>{
                              {SB_LINEDOWN, 0}, {SB_ENDSCROLL, 0}, {SB_PAGEDOWN, 0}, {SB_ENDSCROLL, 0}}));
  EXPECT_EQ(SendMessage(bar, SBM_GETPOS, 0, 0), 0);  // the parent did not move it

  // Dragging the thumb (at the top) to the bottom asks for the positions on the way.
  script_.log.clear();
  backend_->MoveMouse(x, r.top + 20, 600);
  backend_->MouseDown(input::Button::Left);
  backend_->MoveMouse(x, r.bottom - 14, 10);
  backend_->MouseUp(input::Button::Left, 10);
  Pump(dialog_);
  const auto scrolls = Scrolls(bar);
  ASSERT_EQ(scrolls.size(), 3u);
  EXPECT_EQ(scrolls[0], (std::pair<WORD, WORD>{SB_THUMBTRACK, 10}));
  EXPECT_EQ(scrolls[1], (std::pair<WORD, WORD>{SB_THUMBPOSITION, 10}));
  EXPECT_EQ(scrolls[2].first, SB_ENDSCROLL);
}

}  // namespace
}  // namespace dlgtest
