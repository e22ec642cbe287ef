#include "platform/user/input.h"

#include <algorithm>
#include <cstdlib>
#include <optional>

#include "platform/core/clock.h"
#include "platform/core/lifelong.h"
#include "platform/display/screen.h"
#include "platform/user/cursor.h"
#include "platform/user/focus.h"
#include "platform/user/keys.h"
#include "platform/user/messages.h"
#include "platform/user/queue.h"
#include "platform/user/queue_impl.h"
#include "platform/user/system.h"
#include "platform/user/window.h"
#include "platform/user/window_impl.h"

namespace plat {
namespace user_impl {

namespace {

constexpr BYTE kDown = 0x80;
constexpr BYTE kToggled = 0x01;
constexpr UINT kDefaultDoubleClickTime = 500;

struct InputState {
  BYTE async[256] = {};
  BYTE sync[256] = {};
  POINT cursor{Screen::kWidth / 2, Screen::kHeight / 2};
  std::optional<RECT> clip;
  UINT doubleClickTime = kDefaultDoubleClickTime;
  // The top-level window the key's press went to, while the key is held.
  HWND keyWindow[256] = {};
  HWND lastDownWindow = nullptr;
  UINT lastDownMessage = 0;
  DWORD lastDownTime = 0;
  POINT lastDownPoint;
};

InputState& In() { return Lifelong<InputState>(); }

WPARAM KeyFlags() {
  const InputState& s = In();
  WPARAM k = 0;
  if (s.async[VK_LBUTTON] & kDown) k |= MK_LBUTTON;
  if (s.async[VK_RBUTTON] & kDown) k |= MK_RBUTTON;
  if (s.async[VK_MBUTTON] & kDown) k |= MK_MBUTTON;
  if (s.async[VK_SHIFT] & kDown) k |= MK_SHIFT;
  if (s.async[VK_CONTROL] & kDown) k |= MK_CONTROL;
  return k;
}

bool IsExtended(UINT vk) {
  return (vk >= VK_PRIOR && vk <= VK_DOWN) || vk == VK_INSERT || vk == VK_DELETE || vk == VK_DIVIDE || vk == VK_NUMLOCK;
}

void Post(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  MSG m;
  m.hwnd = hwnd;
  m.message = message;
  m.wParam = wParam;
  m.lParam = lParam;
  m.time = timeGetTime();
  m.pt = In().cursor;
  PostInputMessage(m);
}

LPARAM ClientPoint(HWND hwnd, POINT screen) {
  ScreenToClient(hwnd, &screen);
  return MAKELPARAM(static_cast<WORD>(screen.x), static_cast<WORD>(screen.y));
}

// The window a mouse event goes to; null when it is dropped.
HWND MouseTarget() {
  auto& s = State();
  if (s.capture && Live(s.capture)) return s.capture;
  HWND w = WindowFromPoint(In().cursor);
  if (!w || (TopLevelOf(w)->style & WS_DISABLED)) return nullptr;
  return w;
}

UINT ButtonVk(input::Button b) {
  switch (b) {
    case input::Button::Left:
      return VK_LBUTTON;
    case input::Button::Right:
      return VK_RBUTTON;
    default:
      return VK_MBUTTON;
  }
}

UINT ButtonMessage(input::Button b, bool down) {
  switch (b) {
    case input::Button::Left:
      return down ? WM_LBUTTONDOWN : WM_LBUTTONUP;
    case input::Button::Right:
      return down ? WM_RBUTTONDOWN : WM_RBUTTONUP;
    default:
      return down ? WM_MBUTTONDOWN : WM_MBUTTONUP;
  }
}

// WM_xBUTTONDOWN becomes WM_xBUTTONDBLCLK (three numbers on).
UINT DownMessage(HWND target, UINT down) {
  InputState& s = In();
  const DWORD now = timeGetTime();
  const bool dbl = (target->cls->style & CS_DBLCLKS) && s.lastDownWindow == target && s.lastDownMessage == down &&
                   static_cast<DWORD>(now - s.lastDownTime) <= s.doubleClickTime &&
                   std::abs(s.cursor.x - s.lastDownPoint.x) <= GetSystemMetrics(SM_CXDOUBLECLK) / 2 &&
                   std::abs(s.cursor.y - s.lastDownPoint.y) <= GetSystemMetrics(SM_CYDOUBLECLK) / 2;
  if (dbl) {
    s.lastDownWindow = nullptr;  // a third click starts again
    return down + 2;
  }
  s.lastDownWindow = target;
  s.lastDownMessage = down;
  s.lastDownTime = now;
  s.lastDownPoint = s.cursor;
  return down;
}

POINT Clamp(POINT p) {
  const InputState& s = In();
  RECT area{0, 0, Screen::kWidth, Screen::kHeight};
  if (s.clip) area = Intersect(area, *s.clip);
  if (RectEmpty(area)) return p;
  p.x = std::clamp<LONG>(p.x, area.left, area.right - 1);
  p.y = std::clamp<LONG>(p.y, area.top, area.bottom - 1);
  return p;
}

}  // namespace

void NoteRemovedInput(const MSG& msg) {
  InputState& s = In();
  const UINT m = msg.message;
  if (m == WM_KEYDOWN || m == WM_SYSKEYDOWN || m == WM_KEYUP || m == WM_SYSKEYUP) {
    BYTE& k = s.sync[msg.wParam & 0xFF];
    if (m == WM_KEYDOWN || m == WM_SYSKEYDOWN) {
      if (!(msg.lParam & (1 << 30))) k ^= kToggled;
      k |= kDown;
    } else {
      k &= static_cast<BYTE>(~kDown);
    }
    return;
  }
  auto set = [&](UINT vk, bool down) {
    if (down) {
      s.sync[vk] |= kDown;
    } else {
      s.sync[vk] &= static_cast<BYTE>(~kDown);
    }
  };
  switch (m) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      set(VK_LBUTTON, true);
      break;
    case WM_LBUTTONUP:
      set(VK_LBUTTON, false);
      break;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
      set(VK_RBUTTON, true);
      break;
    case WM_RBUTTONUP:
      set(VK_RBUTTON, false);
      break;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
      set(VK_MBUTTON, true);
      break;
    case WM_MBUTTONUP:
      set(VK_MBUTTON, false);
      break;
    default:
      break;
  }
}

void ResetInput() { In() = InputState{}; }

void ForgetInputWindow(HWND hwnd) {
  InputState& s = In();
  if (s.lastDownWindow == hwnd) s.lastDownWindow = nullptr;
  std::replace(std::begin(s.keyWindow), std::end(s.keyWindow), hwnd, HWND{nullptr});
}

}  // namespace user_impl

using namespace user_impl;

SHORT GetKeyState(int vk) {
  const BYTE k = In().sync[vk & 0xFF];
  return static_cast<SHORT>(static_cast<WORD>(((k & kDown) ? 0x8000 : 0) | (k & kToggled)));
}

SHORT GetAsyncKeyState(int vk) {
  return static_cast<SHORT>(static_cast<WORD>((In().async[vk & 0xFF] & kDown) ? 0x8000 : 0));
}

BOOL GetCursorPos(POINT* point) {
  if (!point) return FALSE;
  *point = In().cursor;
  return TRUE;
}

BOOL SetCursorPos(int x, int y) {
  input::MouseMove(POINT{x, y});
  return TRUE;
}

BOOL ClipCursor(const RECT* rect) {
  InputState& s = In();
  if (rect) {
    s.clip = *rect;
  } else {
    s.clip.reset();
  }
  s.cursor = Clamp(s.cursor);
  return TRUE;
}

BOOL GetClipCursor(RECT* rect) {
  if (!rect) return FALSE;
  const InputState& s = In();
  *rect = s.clip ? *s.clip : RECT{0, 0, Screen::kWidth, Screen::kHeight};
  return TRUE;
}

HWND SetCapture(HWND hwnd) {
  auto& s = State();
  HWND prior = s.capture;
  s.capture = Live(hwnd) ? hwnd : nullptr;
  if (prior && prior != s.capture && Live(prior))
    SendMessage(prior, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(s.capture));
  return prior;
}

BOOL ReleaseCapture() {
  auto& s = State();
  HWND prior = s.capture;
  s.capture = nullptr;
  if (prior && Live(prior)) SendMessage(prior, WM_CAPTURECHANGED, 0, 0);
  return TRUE;
}

HWND GetCapture() { return State().capture; }

UINT GetDoubleClickTime() { return In().doubleClickTime; }

BOOL SetDoubleClickTime(UINT ms) {
  In().doubleClickTime = ms ? ms : kDefaultDoubleClickTime;
  return TRUE;
}

namespace user_impl {

HWND MainWindow() {
  HWND w = State().active;
  while (w && GetWindow(w, GW_OWNER)) w = GetWindow(w, GW_OWNER);
  return w;
}

}  // namespace user_impl

namespace input {

void MouseMove(POINT p) {
  InputState& s = In();
  s.cursor = Clamp(p);
  HWND target = MouseTarget();
  if (!target) return;
  if (!State().capture) {
    SendMessage(target, WM_SETCURSOR, reinterpret_cast<WPARAM>(target), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    if (!Live(target)) return;
  }
  Post(target, WM_MOUSEMOVE, KeyFlags(), ClientPoint(target, s.cursor));
}

void MouseButton(Button button, bool down) {
  InputState& s = In();
  const UINT vk = ButtonVk(button);
  if (down) {
    s.async[vk] |= kDown;
  } else {
    s.async[vk] &= static_cast<BYTE>(~kDown);
  }
  HWND target = MouseTarget();
  if (!target) return;
  if (down && !State().capture) {
    // A click in the program's window brings the program to the foreground
    // even when the host sends no focus event for it (no window manager).
    if (!State().appActive) {
      SetAppActive(true);
      if (!Live(target)) return;
    }
    HWND top = TopLevelOf(target);
    if (State().active != top) {
      Activate(top, WA_CLICKACTIVE);
      if (!Live(target)) return;
    }
  }
  UINT message = ButtonMessage(button, down);
  if (down) message = DownMessage(target, message);
  Post(target, message, KeyFlags(), ClientPoint(target, s.cursor));
}

void MouseWheel(int delta) {
  auto& st = State();
  HWND target = st.focus ? st.focus : st.active;
  if (!target) return;
  const POINT c = In().cursor;
  Post(target, WM_MOUSEWHEEL, MAKEWPARAM(static_cast<WORD>(KeyFlags()), static_cast<WORD>(static_cast<SHORT>(delta))),
       MAKELPARAM(static_cast<WORD>(c.x), static_cast<WORD>(c.y)));
}

void RequestQuit() {
  if (HWND main = MainWindow()) {
    PostMessage(main, WM_CLOSE, 0, 0);
  } else {
    PostQuitMessage(0);
  }
}

void Key(UINT vk, bool down) {
  InputState& s = In();
  vk &= 0xFF;
  const bool wasDown = (s.async[vk] & kDown) != 0;
  if (down) {
    if (!wasDown) s.async[vk] ^= kToggled;
    s.async[vk] |= kDown;
  } else {
    s.async[vk] &= static_cast<BYTE>(~kDown);
  }
  auto& st = State();
  HWND target = st.focus;
  bool sys = false;
  if (!target) {
    target = st.active;
    sys = true;
  }
  // A key held on from one window into another repeats nothing there: the key
  // that closed a window (ended a movie) types nothing into the next one.
  const HWND top = target ? TopLevelOf(target) : nullptr;
  if (down && !wasDown) s.keyWindow[vk] = top;
  if (!target || (down && wasDown && s.keyWindow[vk] != top)) return;
  const bool alt = (s.async[VK_MENU] & kDown) != 0;
  const bool ctrl = (s.async[VK_CONTROL] & kDown) != 0;
  if ((alt && !ctrl) || vk == VK_MENU || vk == VK_F10) sys = true;
  const UINT message = down ? (sys ? WM_SYSKEYDOWN : WM_KEYDOWN) : (sys ? WM_SYSKEYUP : WM_KEYUP);
  DWORD data = 1;
  if (IsExtended(vk)) data |= 1u << 24;
  if (alt) data |= 1u << 29;
  if (wasDown) data |= 1u << 30;
  if (!down) data |= 1u << 31;
  Post(target, message, vk, static_cast<LPARAM>(data));
}

}  // namespace input
}  // namespace plat
