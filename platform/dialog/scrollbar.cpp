// The "ScrollBar" class.

#include "platform/dialog/scrollbar.h"

#include <algorithm>
#include <memory>

#include "platform/dialog/controls_impl.h"
#include "platform/dialog/dialog.h"
#include "platform/dialog/scrollmodel.h"
#include "platform/user/keys.h"
#include "platform/user/paint.h"
#include "platform/user/queue.h"

namespace plat::dialog_impl {

namespace {

struct ScrollBarState {
  ScrollInfo info;
  ScrollTracker tracker;
};

bool IsVertical(HWND hwnd) { return (GetWindowLong(hwnd, GWL_STYLE) & static_cast<LONG>(SBS_VERT)) != 0; }

ScrollBarLayout LayOut(HWND hwnd, const ScrollBarState& s) {
  RECT client;
  GetClientRect(hwnd, &client);
  return LayOutScrollBar(client, IsVertical(hwnd), s.info);
}

ScrollTracker::Request Requester(HWND hwnd) {
  return [hwnd](WORD code, int position) {
    if (HWND parent = GetParent(hwnd))
      SendMessage(parent, IsVertical(hwnd) ? WM_VSCROLL : WM_HSCROLL, MAKEWPARAM(code, static_cast<WORD>(position)),
                  reinterpret_cast<LPARAM>(hwnd));
  };
}

void OnKey(HWND hwnd, const ScrollBarState& s, UINT key) {
  WORD code = 0;
  switch (key) {
    case VK_UP:
    case VK_LEFT:
      code = SB_LINEUP;
      break;
    case VK_DOWN:
    case VK_RIGHT:
      code = SB_LINEDOWN;
      break;
    case VK_PRIOR:
      code = SB_PAGEUP;
      break;
    case VK_NEXT:
      code = SB_PAGEDOWN;
      break;
    case VK_HOME:
      code = SB_TOP;
      break;
    case VK_END:
      code = SB_BOTTOM;
      break;
    default:
      return;
  }
  const ScrollTracker::Request request = Requester(hwnd);
  request(code, code == SB_TOP ? s.info.min : (code == SB_BOTTOM ? s.info.max : 0));
  if (IsWindow(hwnd)) request(SB_ENDSCROLL, 0);
}

}  // namespace

LRESULT ScrollBarProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_CREATE) {
    AttachState(hwnd, std::make_unique<ScrollBarState>());
    return 0;
  }
  ScrollBarState* s = StateOf<ScrollBarState>(hwnd);
  if (!s) return DefWindowProc(hwnd, msg, wParam, lParam);
  const POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  switch (msg) {
    case WM_NCDESTROY:
      FreeState<ScrollBarState>(hwnd);
      return DefWindowProc(hwnd, msg, wParam, lParam);
    case WM_PAINT:
      return PaintControl(
          hwnd,
          [&](HDC dc) { DrawScrollBar(dc, LayOut(hwnd, *s), s->tracker.Pushed(), IsWindowEnabled(hwnd) != FALSE); },
          Border::kNone);
    case WM_ERASEBKGND:
      return 1;
    case WM_ENABLE:
      InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (s->tracker.Press(hwnd, LayOut(hwnd, *s), s->info, p, Requester(hwnd))) InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    case WM_MOUSEMOVE: {
      const ScrollPart before = s->tracker.Pushed();
      s->tracker.Move(LayOut(hwnd, *s), s->info, p, Requester(hwnd));
      if (IsWindow(hwnd) && s->tracker.Pushed() != before) InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    }
    case WM_LBUTTONUP:
      s->tracker.Release(hwnd, Requester(hwnd));
      InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    case WM_TIMER:
      if (wParam == ScrollTracker::kTimerId) s->tracker.Repeat(hwnd, LayOut(hwnd, *s), Requester(hwnd));
      return 0;
    case WM_CAPTURECHANGED:
      if (reinterpret_cast<HWND>(lParam) != hwnd && s->tracker.Active()) {
        s->tracker.Cancel(hwnd);
        InvalidateRect(hwnd, nullptr, TRUE);
      }
      return 0;
    case WM_KEYDOWN:
      OnKey(hwnd, *s, static_cast<UINT>(wParam));
      return 0;
    case SBM_SETPOS: {
      const int old = s->info.pos;
      s->info.pos = std::clamp(static_cast<int>(wParam), s->info.min, std::max(s->info.min, s->info.max));
      if (lParam) InvalidateRect(hwnd, nullptr, TRUE);
      return old;
    }
    case SBM_GETPOS:
      return s->info.pos;
    case SBM_SETRANGE:
      s->info.min = static_cast<int>(wParam);
      s->info.max = static_cast<int>(lParam);
      s->info.pos = std::clamp(s->info.pos, s->info.min, std::max(s->info.min, s->info.max));
      InvalidateRect(hwnd, nullptr, TRUE);
      return TRUE;
    case SBM_GETRANGE:
      if (auto* lo = reinterpret_cast<INT*>(wParam)) *lo = s->info.min;
      if (auto* hi = reinterpret_cast<INT*>(lParam)) *hi = s->info.max;
      return 0;
    default:
      return DefWindowProc(hwnd, msg, wParam, lParam);
  }
}

}  // namespace plat::dialog_impl
