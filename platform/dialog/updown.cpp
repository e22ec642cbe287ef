// The up-down control ("msctls_updown32").

#include "platform/dialog/updown.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>

#include "platform/core/clock.h"
#include "platform/dialog/classic.h"
#include "platform/dialog/controls_impl.h"
#include "platform/dialog/scrollbar.h"
#include "platform/user/focus.h"
#include "platform/user/input.h"
#include "platform/user/keys.h"
#include "platform/user/paint.h"
#include "platform/user/queue.h"
#include "platform/user/system.h"

namespace plat::dialog_impl {

namespace {

constexpr UINT_PTR kRepeatTimer = 0x5D01;
constexpr UINT kFirstRepeatMs = 500;
constexpr UINT kRepeatMs = 50;

struct UpDownState {
  int lower = 100;  // the classic default range runs from 100 down to 0
  int upper = 0;
  int pos = 0;
  HWND buddy = nullptr;
  int held = 0;       // +1: the up (right) arrow is held, -1: the down (left) one
  bool over = false;  // the cursor is over the held arrow
  DWORD heldSince = 0;
};

DWORD StyleOf(HWND hwnd) { return static_cast<DWORD>(GetWindowLong(hwnd, GWL_STYLE)); }

bool InRange(const UpDownState& s, int v) { return v >= std::min(s.lower, s.upper) && v <= std::max(s.lower, s.upper); }

int Clamp(const UpDownState& s, int v) { return std::clamp(v, std::min(s.lower, s.upper), std::max(s.lower, s.upper)); }

// --- The buddy's number ------------------------------------------------------

std::string Format(int value, bool thousands) {
  const std::string digits = std::to_string(std::abs(static_cast<long long>(value)));
  std::string out = value < 0 ? "-" : "";
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (thousands && i > 0 && (digits.size() - i) % 3 == 0) out.push_back(',');
    out.push_back(digits[i]);
  }
  return out;
}

bool Parse(const std::string& text, bool thousands, int* out) {
  std::string digits;
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  for (; i < text.size(); ++i) {
    if (thousands && text[i] == ',') continue;
    if (text[i] < '0' || text[i] > '9') return false;
    digits.push_back(text[i]);
  }
  if (digits.empty() || digits.size() > 9) return false;
  const int v = std::stoi(digits);
  *out = negative ? -v : v;
  return true;
}

bool ShowsNumber(HWND hwnd, const UpDownState& s) {
  return (StyleOf(hwnd) & UDS_SETBUDDYINT) && s.buddy && IsWindow(s.buddy);
}

void WriteBuddy(HWND hwnd, const UpDownState& s) {
  if (!ShowsNumber(hwnd, s)) return;
  SetWindowText(s.buddy, Format(s.pos, !(StyleOf(hwnd) & UDS_NOTHOUSANDS)).c_str());
}

// Takes the buddy's number as the position; false when it is not a number of
// the range.
bool ReadBuddy(HWND hwnd, UpDownState& s) {
  if (!ShowsNumber(hwnd, s)) return true;
  const int length = GetWindowTextLength(s.buddy);
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  GetWindowText(s.buddy, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(length));
  int value = 0;
  if (!Parse(text, !(StyleOf(hwnd) & UDS_NOTHOUSANDS), &value) || !InRange(s, value)) return false;
  s.pos = value;
  return true;
}

// --- Stepping ----------------------------------------------------------------

bool Offset(HWND hwnd, UpDownState& s, int delta) {
  const int target = s.pos + delta;
  int next = target;
  if (!InRange(s, target)) {
    const int lo = std::min(s.lower, s.upper), hi = std::max(s.lower, s.upper);
    if (StyleOf(hwnd) & UDS_WRAP) {
      next = target > hi ? lo : hi;
    } else {
      next = Clamp(s, target);
    }
  }
  const bool changed = next != s.pos;
  s.pos = next;
  return changed;
}

void Scrolled(HWND hwnd, WORD code) {
  UpDownState* s = StateOf<UpDownState>(hwnd);
  HWND parent = GetParent(hwnd);
  if (!s || !parent) return;
  SendMessage(parent, (StyleOf(hwnd) & UDS_HORZ) ? WM_HSCROLL : WM_VSCROLL, MAKEWPARAM(code, static_cast<WORD>(s->pos)),
              reinterpret_cast<LPARAM>(hwnd));
}

// One step of `size` towards the upper value (direction +1) or the lower one.
void Step(HWND hwnd, int direction, int size) {
  UpDownState* s = StateOf<UpDownState>(hwnd);
  if (!s) return;
  ReadBuddy(hwnd, *s);
  NMUPDOWN nm;
  nm.hdr.hwndFrom = hwnd;
  nm.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(hwnd));
  nm.hdr.code = UDN_DELTAPOS;
  nm.iPos = s->pos;
  nm.iDelta = direction * size * (s->upper < s->lower ? -1 : 1);
  HWND parent = GetParent(hwnd);
  const LRESULT refused = parent ? SendMessage(parent, WM_NOTIFY, nm.hdr.idFrom, reinterpret_cast<LPARAM>(&nm)) : 0;
  if (!(s = StateOf<UpDownState>(hwnd))) return;
  if (!refused && nm.iDelta != 0 && Offset(hwnd, *s, nm.iDelta)) WriteBuddy(hwnd, *s);
  Scrolled(hwnd, SB_THUMBPOSITION);
}

// The step while an arrow is held: faster the longer it is held.
int HeldStepSize(const UpDownState& s) {
  const DWORD held = timeGetTime() - s.heldSince;
  if (held >= 5000) return 20;
  if (held >= 2000) return 5;
  return 1;
}

// --- The buddy ---------------------------------------------------------------

struct BuddyHook {
  HWND updown = nullptr;  // null once the up-down let go of the buddy
  WNDPROC previous = nullptr;
};

std::map<HWND, BuddyHook>& BuddyHooks() {
  static std::map<HWND, BuddyHook> hooks;
  return hooks;
}

LRESULT BuddyProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto it = BuddyHooks().find(hwnd);
  if (it == BuddyHooks().end()) return DefWindowProc(hwnd, msg, wParam, lParam);
  const BuddyHook hook = it->second;
  if (msg == WM_NCDESTROY) {
    BuddyHooks().erase(it);
    SetWindowLongPtr(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(hook.previous));
  } else if (hook.updown && IsWindow(hook.updown) && IsWindowEnabled(hook.updown)) {
    if (msg == WM_KEYDOWN && (wParam == VK_UP || wParam == VK_DOWN)) {
      Step(hook.updown, wParam == VK_UP ? 1 : -1, 1);
      return 0;
    }
    if (msg == WM_MOUSEWHEEL) {
      const int notches = GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA;
      for (int i = 0; i < std::abs(notches) && IsWindow(hook.updown); ++i) Step(hook.updown, notches > 0 ? 1 : -1, 1);
      return 0;
    }
  }
  return CallWindowProc(hook.previous, hwnd, msg, wParam, lParam);
}

void Unhook(HWND buddy) {
  auto it = BuddyHooks().find(buddy);
  if (it == BuddyHooks().end()) return;
  if (IsWindow(buddy) && GetWindowLongPtr(buddy, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&BuddyProc)) {
    SetWindowLongPtr(buddy, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(it->second.previous));
    BuddyHooks().erase(it);
  } else {
    it->second.updown = nullptr;  // someone subclassed it after us: stay a plain relay
  }
}

void Hook(HWND updown, HWND buddy) {
  auto it = BuddyHooks().find(buddy);
  if (it != BuddyHooks().end()) {
    it->second.updown = updown;
    return;
  }
  BuddyHook hook;
  hook.updown = updown;
  hook.previous =
      reinterpret_cast<WNDPROC>(SetWindowLongPtr(buddy, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&BuddyProc)));
  BuddyHooks().emplace(buddy, hook);
}

// Moves the up-down to the buddy's edge; the buddy gives up the room.
void Align(HWND hwnd, HWND buddy) {
  const DWORD align = StyleOf(hwnd) & (UDS_ALIGNLEFT | UDS_ALIGNRIGHT);
  HWND parent = GetParent(hwnd);
  if (!align || !parent || GetParent(buddy) != parent) return;
  RECT b, u;
  GetWindowRect(buddy, &b);
  GetWindowRect(hwnd, &u);
  POINT corner{b.left, b.top};
  ScreenToClient(parent, &corner);
  const int width = u.right - u.left;
  const int bw = std::max<int>(0, b.right - b.left - width);
  const int bh = b.bottom - b.top;
  if (align & UDS_ALIGNRIGHT) {
    MoveWindow(buddy, corner.x, corner.y, bw, bh, TRUE);
    MoveWindow(hwnd, corner.x + bw, corner.y, width, bh, TRUE);
  } else {
    MoveWindow(hwnd, corner.x, corner.y, width, bh, TRUE);
    MoveWindow(buddy, corner.x + width, corner.y, bw, bh, TRUE);
  }
}

HWND SetBuddy(HWND hwnd, UpDownState& s, HWND buddy) {
  HWND old = s.buddy;
  if (old) Unhook(old);
  s.buddy = IsWindow(buddy) ? buddy : nullptr;
  if (!s.buddy) return old;
  if (StyleOf(hwnd) & UDS_ARROWKEYS) Hook(hwnd, s.buddy);
  Align(hwnd, s.buddy);
  return old;
}

// --- Mouse and drawing -------------------------------------------------------

// +1 for the up (right) half, -1 for the down (left) half.
int ArrowAt(HWND hwnd, POINT p) {
  RECT r;
  GetClientRect(hwnd, &r);
  if (StyleOf(hwnd) & UDS_HORZ) return p.x >= r.right / 2 ? 1 : -1;
  return p.y < r.bottom / 2 ? 1 : -1;
}

bool Inside(HWND hwnd, POINT p) {
  RECT r;
  GetClientRect(hwnd, &r);
  return p.x >= 0 && p.y >= 0 && p.x < r.right && p.y < r.bottom;
}

void Release(HWND hwnd, UpDownState& s, bool endScroll) {
  if (!s.held) return;
  s.held = 0;
  s.over = false;
  KillTimer(hwnd, kRepeatTimer);
  InvalidateRect(hwnd, nullptr, TRUE);
  if (endScroll) Scrolled(hwnd, SB_ENDSCROLL);
}

void Paint(HWND hwnd, const UpDownState& s, HDC dc) {
  RECT r;
  GetClientRect(hwnd, &r);
  const bool horizontal = (StyleOf(hwnd) & UDS_HORZ) != 0;
  const RECT first =
      horizontal ? RECT{r.left, r.top, r.right / 2, r.bottom} : RECT{r.left, r.top, r.right, r.bottom / 2};
  const RECT second =
      horizontal ? RECT{r.right / 2, r.top, r.right, r.bottom} : RECT{r.left, r.bottom / 2, r.right, r.bottom};
  const COLORREF glyph = GetSysColor(IsWindowEnabled(hwnd) ? COLOR_BTNTEXT : COLOR_GRAYTEXT);
  // First half: up (vertical) or left (horizontal, the step down).
  const int firstDirection = horizontal ? -1 : 1;
  for (int half = 0; half < 2; ++half) {
    const RECT& box = half == 0 ? first : second;
    const int direction = half == 0 ? firstDirection : -firstDirection;
    FillSolid(dc, box, GetSysColor(COLOR_BTNFACE));
    const RECT face = DrawEdge(dc, box, (s.held == direction && s.over) ? Edge::kPushed : Edge::kRaised);
    Arrow arrow = direction > 0 ? Arrow::kUp : Arrow::kDown;
    if (horizontal) arrow = direction > 0 ? Arrow::kRight : Arrow::kLeft;
    DrawArrow(dc, face, arrow, glyph);
  }
}

}  // namespace

LRESULT UpDownProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_CREATE) {
    UpDownState* s = AttachState(hwnd, std::make_unique<UpDownState>());
    if (StyleOf(hwnd) & UDS_AUTOBUDDY) SetBuddy(hwnd, *s, GetWindow(hwnd, GW_HWNDPREV));
    return 0;
  }
  UpDownState* s = StateOf<UpDownState>(hwnd);
  if (!s) return DefWindowProc(hwnd, msg, wParam, lParam);
  const POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  switch (msg) {
    case WM_NCDESTROY:
      if (s->buddy) Unhook(s->buddy);
      FreeState<UpDownState>(hwnd);
      return DefWindowProc(hwnd, msg, wParam, lParam);
    case WM_PAINT:
      return PaintControl(
          hwnd, [&](HDC dc) { Paint(hwnd, *s, dc); }, Border::kNone);
    case WM_ERASEBKGND:
      return 1;
    case WM_ENABLE:
      if (!wParam) Release(hwnd, *s, true);
      InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    case WM_LBUTTONDOWN: {
      if (s->held) return 0;
      if (s->buddy && IsWindow(s->buddy) &&
          GetClassLongPtr(s->buddy, GCLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&EditProc))
        SetFocus(s->buddy);
      if (!(s = StateOf<UpDownState>(hwnd))) return 0;
      s->held = ArrowAt(hwnd, p);
      s->over = true;
      s->heldSince = timeGetTime();
      SetCapture(hwnd);
      InvalidateRect(hwnd, nullptr, TRUE);
      SetTimer(hwnd, kRepeatTimer, kFirstRepeatMs, nullptr);
      Step(hwnd, s->held, 1);
      return 0;
    }
    case WM_MOUSEMOVE:
      if (s->held) {
        const bool over = Inside(hwnd, p) && ArrowAt(hwnd, p) == s->held;
        if (over != s->over) InvalidateRect(hwnd, nullptr, TRUE);
        s->over = over;
      }
      return 0;
    case WM_TIMER:
      if (wParam == kRepeatTimer && s->held) {
        SetTimer(hwnd, kRepeatTimer, kRepeatMs, nullptr);
        if (s->over) Step(hwnd, s->held, HeldStepSize(*s));
      }
      return 0;
    case WM_LBUTTONUP:
      if (s->held) {
        Release(hwnd, *s, true);
        if (GetCapture() == hwnd) ReleaseCapture();
      }
      return 0;
    case WM_CAPTURECHANGED:
      Release(hwnd, *s, true);
      return 0;
    case UDM_SETRANGE:
      s->upper = static_cast<SHORT>(LOWORD(static_cast<std::uintptr_t>(lParam)));
      s->lower = static_cast<SHORT>(HIWORD(static_cast<std::uintptr_t>(lParam)));
      InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    case UDM_GETRANGE:
      return MAKELONG(static_cast<WORD>(s->upper), static_cast<WORD>(s->lower));
    case UDM_SETPOS: {
      const int old = s->pos;
      s->pos = Clamp(*s, static_cast<SHORT>(LOWORD(static_cast<std::uintptr_t>(lParam))));
      WriteBuddy(hwnd, *s);
      return old;
    }
    case UDM_GETPOS: {
      const bool ok = ReadBuddy(hwnd, *s);
      return MAKELONG(static_cast<WORD>(s->pos), ok ? 0 : 1);
    }
    case UDM_SETBUDDY:
      return reinterpret_cast<LRESULT>(SetBuddy(hwnd, *s, reinterpret_cast<HWND>(wParam)));
    case UDM_GETBUDDY:
      return reinterpret_cast<LRESULT>(s->buddy);
    default:
      return DefWindowProc(hwnd, msg, wParam, lParam);
  }
}

}  // namespace plat::dialog_impl
