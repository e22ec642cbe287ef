#include "platform/user/paint.h"

#include "platform/user/messages.h"
#include "platform/user/queue.h"
#include "platform/user/window.h"
#include "platform/user/window_impl.h"

namespace plat {
namespace user_impl {

namespace {

bool HeldBack(HWND hwnd) {
  HWND locked = State().locked;
  if (!locked) return false;
  for (HWND w = hwnd; w; w = w->parent)
    if (w == locked) return true;
  return false;
}

bool NeedsPaint(HWND w) { return w->hasUpdate && !w->minimized && IsShown(w) && !HeldBack(w); }

// Parents before children, windows in z-order.
HWND FindPaint(HWND w, HWND filter) {
  if (!(w->style & WS_VISIBLE)) return nullptr;
  if ((!filter || filter == w) && NeedsPaint(w)) return w;
  for (HWND c : w->children)
    if (HWND found = FindPaint(c, filter)) return found;
  return nullptr;
}

void AddUpdate(HWND w, const RECT& r, bool erase) {
  if (RectEmpty(r)) return;
  w->update = w->hasUpdate ? Union(w->update, r) : r;
  w->hasUpdate = true;
  if (erase) w->eraseUpdate = true;
}

void InvalidateOne(HWND w, const RECT* rect, bool erase) {
  RECT client = ClientRectOf(w);
  RECT r = rect ? Intersect(*rect, client) : client;
  AddUpdate(w, r, erase);
  if (w->style & WS_CLIPCHILDREN) return;
  POINT o = ClientOrigin(w);
  for (HWND c : w->children) {
    if (!(c->style & WS_VISIBLE)) continue;
    POINT co = ClientOrigin(c);
    RECT inChild = Offset(r, o.x - co.x, o.y - co.y);
    InvalidateOne(c, &inChild, erase);
  }
}

void InvalidateAll(HWND w) {
  AddUpdate(w, ClientRectOf(w), true);
  for (HWND c : w->children) InvalidateAll(c);
}

}  // namespace

HWND NextPaintWindow(HWND filter) {
  for (HWND t : State().topLevel) {
    if (t->minimized) continue;
    if (HWND found = FindPaint(t, filter)) return found;
  }
  return nullptr;
}

}  // namespace user_impl

using namespace user_impl;

std::vector<RECT> ClippedChildren(HWND hwnd) {
  std::vector<RECT> out;
  ClippedChildren(hwnd, out);
  return out;
}

void ClippedChildren(HWND hwnd, std::vector<RECT>& out) {
  out.clear();
  HWND__* w = Live(hwnd);
  if (!w || !(w->style & WS_CLIPCHILDREN)) return;
  for (HWND c : w->children)
    if (c->style & WS_VISIBLE) out.push_back(ScreenRectOf(c));
}

void CoveringWindows(HWND hwnd, std::vector<RECT>& out) {
  out.clear();
  HWND__* w = Live(hwnd);
  if (!w) return;
  HWND top = TopLevelOf(w);
  for (HWND t : State().topLevel) {
    if (t == top) break;
    if ((t->style & WS_VISIBLE) && !t->minimized) out.push_back(ScreenRectOf(t));
  }
}

BOOL InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase) {
  if (!hwnd) {
    for (HWND t : State().topLevel) InvalidateAll(t);
    return TRUE;
  }
  HWND__* w = Live(hwnd);
  if (!w) return FALSE;
  InvalidateOne(w, rect, erase != FALSE);
  return TRUE;
}

BOOL ValidateRect(HWND hwnd, const RECT* rect) {
  HWND__* w = Live(hwnd);
  if (!w) return FALSE;
  if (!w->hasUpdate) return TRUE;
  if (!rect) {
    w->hasUpdate = false;
    w->eraseUpdate = false;
    return TRUE;
  }
  // The region is one rectangle: what remains of it after taking `rect` away is
  // still a rectangle only when `rect` spans it in one direction.
  RECT u = w->update;
  const RECT& v = *rect;
  const bool spansX = v.left <= u.left && v.right >= u.right;
  const bool spansY = v.top <= u.top && v.bottom >= u.bottom;
  if (spansX && spansY) {
    w->hasUpdate = false;
    w->eraseUpdate = false;
  } else if (spansX) {
    if (v.top <= u.top && v.bottom > u.top) u.top = v.bottom;
    if (v.bottom >= u.bottom && v.top < u.bottom) u.bottom = v.top;
  } else if (spansY) {
    if (v.left <= u.left && v.right > u.left) u.left = v.right;
    if (v.right >= u.right && v.left < u.right) u.right = v.left;
  }
  if (w->hasUpdate) {
    if (RectEmpty(u)) {
      w->hasUpdate = false;
      w->eraseUpdate = false;
    } else {
      w->update = u;
    }
  }
  return TRUE;
}

BOOL GetUpdateRect(HWND hwnd, RECT* rect, BOOL) {
  HWND__* w = Live(hwnd);
  const bool has = w && w->hasUpdate;
  if (rect) *rect = has ? w->update : RECT{};
  return has ? TRUE : FALSE;
}

HDC BeginPaint(HWND hwnd, PAINTSTRUCT* ps) {
  HWND__* w = Live(hwnd);
  if (!w || !ps) return nullptr;
  *ps = PAINTSTRUCT{};
  ps->rcPaint = w->hasUpdate ? w->update : RECT{};
  const bool erase = w->eraseUpdate;
  w->hasUpdate = false;
  w->eraseUpdate = false;
  ps->hdc = GetPaintDC(hwnd, ps->rcPaint);
  if (erase) ps->fErase = SendMessage(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(ps->hdc), 0) ? FALSE : TRUE;
  return ps->hdc;
}

BOOL EndPaint(HWND hwnd, const PAINTSTRUCT* ps) {
  if (!ps) return FALSE;
  if (ps->hdc) ReleasePaintDC(hwnd, ps->hdc);
  return TRUE;
}

BOOL UpdateWindow(HWND hwnd) {
  HWND__* w = Live(hwnd);
  if (!w) return FALSE;
  if (NeedsPaint(w)) SendMessage(hwnd, WM_PAINT, 0, 0);
  std::vector<HWND> children = w->children;
  for (HWND c : children)
    if (Live(c)) UpdateWindow(c);
  return TRUE;
}

BOOL LockWindowUpdate(HWND hwnd) {
  auto& s = State();
  if (!hwnd) {
    s.locked = nullptr;
    return TRUE;
  }
  if (!Live(hwnd) || (s.locked && s.locked != hwnd)) return FALSE;
  s.locked = hwnd;
  return TRUE;
}

bool IsWindowUpdateLocked(HWND hwnd) { return Live(hwnd) && HeldBack(hwnd); }

}  // namespace plat
