#include "platform/dialog/scrollmodel.h"

#include <algorithm>

#include "platform/dialog/classic.h"
#include "platform/dialog/scrollbar.h"
#include "platform/user/input.h"
#include "platform/user/queue.h"
#include "platform/user/system.h"

namespace plat::dialog_impl {

namespace {

constexpr UINT kFirstRepeatMs = 400;
constexpr UINT kRepeatMs = 50;
constexpr int kMinThumb = 8;

bool Inside(const RECT& r, POINT p) { return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom; }

int Along(const ScrollBarLayout& l, POINT p) { return l.vertical ? p.y : p.x; }
int Start(const ScrollBarLayout& l, const RECT& r) { return l.vertical ? r.top : r.left; }
int Length(const ScrollBarLayout& l, const RECT& r) { return l.vertical ? r.bottom - r.top : r.right - r.left; }

WORD CodeOf(ScrollPart part) {
  switch (part) {
    case ScrollPart::kArrowBack:
      return SB_LINEUP;
    case ScrollPart::kPageBack:
      return SB_PAGEUP;
    case ScrollPart::kPageForward:
      return SB_PAGEDOWN;
    default:
      return SB_LINEDOWN;
  }
}

int PositionForThumb(const ScrollBarLayout& l, const ScrollInfo& info, int thumbStart) {
  const int room = Length(l, l.track) - Length(l, l.thumb);
  const int span = info.Highest() - info.min;
  if (room <= 0 || span <= 0) return info.min;
  const int offset = std::clamp(thumbStart - Start(l, l.track), 0, room);
  return info.min + (offset * span + room / 2) / room;
}

}  // namespace

ScrollBarLayout LayOutScrollBar(const RECT& bar, bool vertical, const ScrollInfo& info) {
  ScrollBarLayout l;
  l.vertical = vertical;
  l.bar = bar;
  const int length = vertical ? bar.bottom - bar.top : bar.right - bar.left;
  const int thickness = vertical ? bar.right - bar.left : bar.bottom - bar.top;
  const int arrow = std::min(thickness, length / 2);
  if (vertical) {
    l.arrowBack = RECT{bar.left, bar.top, bar.right, bar.top + arrow};
    l.arrowForward = RECT{bar.left, bar.bottom - arrow, bar.right, bar.bottom};
    l.track = RECT{bar.left, bar.top + arrow, bar.right, bar.bottom - arrow};
  } else {
    l.arrowBack = RECT{bar.left, bar.top, bar.left + arrow, bar.bottom};
    l.arrowForward = RECT{bar.right - arrow, bar.top, bar.right, bar.bottom};
    l.track = RECT{bar.left + arrow, bar.top, bar.right - arrow, bar.bottom};
  }
  const int track = length - 2 * arrow;
  const int span = info.Highest() - info.min;
  if (span <= 0 || track < kMinThumb) return l;
  int thumb = thickness;
  if (info.page > 0) thumb = std::max(kMinThumb, track * info.page / std::max(1, info.max - info.min + 1));
  thumb = std::min(thumb, track);
  const int pos = std::clamp(info.pos, info.min, info.Highest());
  const int start = (track - thumb) * (pos - info.min) / span;
  l.hasThumb = true;
  l.thumb = vertical ? RECT{bar.left, l.track.top + start, bar.right, l.track.top + start + thumb}
                     : RECT{l.track.left + start, bar.top, l.track.left + start + thumb, bar.bottom};
  return l;
}

ScrollPart HitScrollBar(const ScrollBarLayout& l, POINT p) {
  if (!Inside(l.bar, p)) return ScrollPart::kNone;
  if (Inside(l.arrowBack, p)) return ScrollPart::kArrowBack;
  if (Inside(l.arrowForward, p)) return ScrollPart::kArrowForward;
  if (!l.hasThumb) return ScrollPart::kNone;
  if (Inside(l.thumb, p)) return ScrollPart::kThumb;
  return Along(l, p) < Start(l, l.thumb) ? ScrollPart::kPageBack : ScrollPart::kPageForward;
}

void DrawScrollBar(HDC dc, const ScrollBarLayout& l, ScrollPart pushed, bool enabled) {
  FillSolid(dc, l.track, GetSysColor(COLOR_SCROLLBAR));
  const COLORREF glyph = GetSysColor((enabled && l.hasThumb) ? COLOR_BTNTEXT : COLOR_GRAYTEXT);
  auto button = [&](const RECT& r, bool down) {
    FillSolid(dc, r, GetSysColor(COLOR_BTNFACE));
    return DrawEdge(dc, r, down ? Edge::kPushed : Edge::kRaised);
  };
  const RECT back = button(l.arrowBack, pushed == ScrollPart::kArrowBack);
  DrawArrow(dc, back, l.vertical ? Arrow::kUp : Arrow::kLeft, glyph);
  const RECT forward = button(l.arrowForward, pushed == ScrollPart::kArrowForward);
  DrawArrow(dc, forward, l.vertical ? Arrow::kDown : Arrow::kRight, glyph);
  if (l.hasThumb && enabled) button(l.thumb, false);
}

bool ScrollTracker::Press(HWND hwnd, const ScrollBarLayout& layout, const ScrollInfo& info, POINT p,
                          const Request& request) {
  const ScrollPart part = HitScrollBar(layout, p);
  if (part == ScrollPart::kNone) return false;
  part_ = part;
  over_ = true;
  last_ = p;
  SetCapture(hwnd);
  if (part == ScrollPart::kThumb) {
    grab_ = Along(layout, p) - Start(layout, layout.thumb);
    thumbPos_ = info.pos;
    return true;
  }
  request(CodeOf(part), 0);
  SetTimer(hwnd, kTimerId, kFirstRepeatMs, nullptr);
  return true;
}

void ScrollTracker::Move(const ScrollBarLayout& layout, const ScrollInfo& info, POINT p, const Request& request) {
  if (!Active()) return;
  last_ = p;
  if (part_ == ScrollPart::kThumb) {
    const int pos = PositionForThumb(layout, info, Along(layout, p) - grab_);
    if (pos != thumbPos_) {
      thumbPos_ = pos;
      request(SB_THUMBTRACK, pos);
    }
    return;
  }
  over_ = HitScrollBar(layout, p) == part_;
}

void ScrollTracker::Repeat(HWND hwnd, const ScrollBarLayout& layout, const Request& request) {
  if (!Active() || part_ == ScrollPart::kThumb) return;
  SetTimer(hwnd, kTimerId, kRepeatMs, nullptr);
  over_ = HitScrollBar(layout, last_) == part_;
  if (over_) request(CodeOf(part_), 0);
}

void ScrollTracker::Release(HWND hwnd, const Request& request) {
  if (!Active()) return;
  const ScrollPart part = part_;
  part_ = ScrollPart::kNone;
  over_ = false;
  KillTimer(hwnd, kTimerId);
  if (GetCapture() == hwnd) ReleaseCapture();
  if (part == ScrollPart::kThumb) request(SB_THUMBPOSITION, thumbPos_);
  request(SB_ENDSCROLL, 0);
}

void ScrollTracker::Cancel(HWND hwnd) {
  part_ = ScrollPart::kNone;
  over_ = false;
  KillTimer(hwnd, kTimerId);
}

}  // namespace plat::dialog_impl
