#pragma once
// A scroll bar's geometry, drawing and mouse tracking, shared by the scroll bar
// control and the list box's own bar. Plain values: one model is used by one thread at a time.

#include <functional>

#include "platform/core/types.h"

namespace plat::dialog_impl {

struct ScrollInfo {
  int min = 0;
  int max = 100;
  int page = 0;  // 0: a square thumb, as a plain scroll bar control has
  int pos = 0;
  // The highest position the thumb can reach.
  int Highest() const { return page > 0 ? max - page + 1 : max; }
};

enum class ScrollPart { kNone, kArrowBack, kPageBack, kThumb, kPageForward, kArrowForward };

struct ScrollBarLayout {
  bool vertical = true;
  RECT bar, arrowBack, arrowForward, track, thumb;
  bool hasThumb = false;  // false when there is nothing to scroll
};

ScrollBarLayout LayOutScrollBar(const RECT& bar, bool vertical, const ScrollInfo& info);
ScrollPart HitScrollBar(const ScrollBarLayout& layout, POINT p);
void DrawScrollBar(HDC dc, const ScrollBarLayout& layout, ScrollPart pushed, bool enabled);

// A press on a bar, followed until the button is released: arrows and page
// areas repeat while held, the thumb follows the cursor.
class ScrollTracker {
 public:
  // A request to whoever moves the position: a scroll code and, for thumb
  // codes, the position asked for.
  using Request = std::function<void(WORD code, int position)>;
  static constexpr UINT_PTR kTimerId = 0x5C01;

  bool Active() const { return part_ != ScrollPart::kNone; }
  // The part drawn pushed now.
  ScrollPart Pushed() const { return over_ ? part_ : ScrollPart::kNone; }

  // A button press at `p` (client coordinates of `hwnd`): false when it misses
  // the bar. Takes the mouse and asks for the first step at once.
  bool Press(HWND hwnd, const ScrollBarLayout& layout, const ScrollInfo& info, POINT p, const Request& request);
  void Move(const ScrollBarLayout& layout, const ScrollInfo& info, POINT p, const Request& request);
  // The repeat timer (kTimerId) of `hwnd` fired.
  void Repeat(HWND hwnd, const ScrollBarLayout& layout, const Request& request);
  // The button went up: SB_THUMBPOSITION after a drag, then SB_ENDSCROLL.
  void Release(HWND hwnd, const Request& request);
  // The mouse was taken away: stop without further requests.
  void Cancel(HWND hwnd);

 private:
  ScrollPart part_ = ScrollPart::kNone;
  bool over_ = false;
  int grab_ = 0;      // the cursor's offset into the thumb
  int thumbPos_ = 0;  // the position the drag last asked for
  POINT last_;
};

}  // namespace plat::dialog_impl
