#include "platform/user/focus.h"

#include "platform/user/input.h"
#include "platform/user/messages.h"
#include "platform/user/paint.h"
#include "platform/user/queue.h"
#include "platform/user/window.h"
#include "platform/user/window_impl.h"

namespace plat {
namespace user_impl {

namespace {

bool InSubtree(HWND root, HWND w) {
  for (; w; w = w->parent)
    if (w == root) return true;
  return false;
}

void BroadcastActivateApp(bool active) {
  std::vector<HWND> tops = State().topLevel;
  for (HWND t : tops)
    if (Live(t)) SendMessage(t, WM_ACTIVATEAPP, active ? TRUE : FALSE, 0);
}

}  // namespace

void Activate(HWND top, WORD how) {
  auto& s = State();
  if (top && !Live(top)) return;
  if (top == s.active) return;
  HWND old = s.active;
  s.active = top;
  if (top) SetWindowPos(top, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  if (old && Live(old)) {
    SendMessage(old, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, old->minimized ? 1 : 0), reinterpret_cast<LPARAM>(top));
  }
  if (s.active != top) return;  // the handler activated another window
  if (s.focus && (!top || !InSubtree(top, s.focus))) SetFocus(nullptr);
  if (!top || !Live(top)) return;
  SendMessage(top, WM_ACTIVATE, MAKEWPARAM(how, top->minimized ? 1 : 0), reinterpret_cast<LPARAM>(old));
}

void ActivateNextAfter(HWND leaving) {
  auto& s = State();
  auto usable = [&](HWND w) {
    return w && w != leaving && Live(w) && !w->destroying && IsShown(w) && !(w->style & WS_DISABLED) && !w->minimized &&
           !(w->exStyle & WS_EX_TOOLWINDOW);
  };
  HWND next = usable(leaving->owner) ? leaving->owner : nullptr;
  if (!next) {
    for (HWND t : s.topLevel) {
      if (usable(t) && t->owner != leaving) {
        next = t;
        break;
      }
    }
  }
  Activate(next, WA_ACTIVE);
}

}  // namespace user_impl

using namespace user_impl;

HWND SetFocus(HWND hwnd) {
  auto& s = State();
  HWND prior = s.focus;
  if (!hwnd) {
    s.focus = nullptr;
    if (prior && Live(prior)) SendMessage(prior, WM_KILLFOCUS, 0, 0);
    return prior;
  }
  if (!Live(hwnd)) return nullptr;
  if (hwnd == s.focus) return prior;
  HWND top = TopLevelOf(hwnd);
  // A disabled window (the owner of a modal dialog) takes neither the focus
  // nor the activation: the dialog would go on showing but lose its keys.
  if (top->style & WS_DISABLED) return nullptr;
  if (top != s.active) {
    Activate(top, WA_ACTIVE);
    if (!Live(hwnd)) return nullptr;
    if (s.focus == hwnd) return prior;
  }
  HWND old = s.focus;
  s.focus = hwnd;
  if (old && Live(old)) SendMessage(old, WM_KILLFOCUS, reinterpret_cast<WPARAM>(hwnd), 0);
  if (Live(hwnd) && s.focus == hwnd) SendMessage(hwnd, WM_SETFOCUS, reinterpret_cast<WPARAM>(old), 0);
  return prior;
}

HWND GetFocus() { return State().focus; }

HWND SetActiveWindow(HWND hwnd) {
  auto& s = State();
  HWND prior = s.active;
  if (!Live(hwnd)) return nullptr;
  Activate(TopLevelOf(hwnd), WA_ACTIVE);
  return prior;
}

HWND GetActiveWindow() { return State().active; }

HWND GetForegroundWindow() {
  auto& s = State();
  return s.appActive ? s.active : nullptr;
}

BOOL SetForegroundWindow(HWND hwnd) {
  if (!Live(hwnd)) return FALSE;
  input::SetAppActive(true);
  SetActiveWindow(hwnd);
  return TRUE;
}

BOOL IsIconic(HWND hwnd) {
  HWND__* w = Live(hwnd);
  return (w && w->minimized) ? TRUE : FALSE;
}

namespace input {

void SetAppActive(bool active) {
  auto& s = State();
  if (s.appActive == active) return;
  s.appActive = active;
  if (!active) {
    if (s.active && Live(s.active))
      SendMessage(s.active, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, s.active->minimized ? 1 : 0), 0);
    BroadcastActivateApp(false);
  } else {
    BroadcastActivateApp(true);
    if (s.active && Live(s.active))
      SendMessage(s.active, WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, s.active->minimized ? 1 : 0), 0);
  }
}

bool IsAppActive() { return State().appActive; }

void SetAppMinimized(bool minimized) {
  auto& s = State();
  if (minimized) SetAppActive(false);
  std::vector<HWND> tops = s.topLevel;
  for (HWND t : tops) {
    if (!Live(t) || t->owner || !(t->style & WS_VISIBLE) || t->minimized == minimized) continue;
    t->minimized = minimized;
    RECT client = ClientRectOf(t);
    SendMessage(t, WM_SIZE, minimized ? SIZE_MINIMIZED : SIZE_RESTORED,
                minimized ? 0 : MAKELPARAM(static_cast<WORD>(client.right), static_cast<WORD>(client.bottom)));
  }
  if (!minimized) {
    InvalidateRect(nullptr, nullptr, TRUE);
    SetAppActive(true);
  }
}

}  // namespace input
}  // namespace plat
