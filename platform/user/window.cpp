#include "platform/user/window.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "platform/core/lifelong.h"
#include "platform/user/focus.h"
#include "platform/user/input.h"
#include "platform/user/messages.h"
#include "platform/user/paint.h"
#include "platform/user/queue.h"
#include "platform/user/queue_impl.h"
#include "platform/user/system.h"
#include "platform/user/window_impl.h"

namespace plat {
namespace user_impl {

UserState& State() { return Lifelong<UserState>(); }

HWND__* Live(HWND hwnd) {
  if (!hwnd) return nullptr;
  auto& s = State();
  HWND__* w = s.windows.Find(hwnd);
  if (!w || w->destroyed) return nullptr;
  return w;
}

void CollectDestroyed() {
  auto& s = State();
  s.windows.EraseIf([](const HWND__& w) { return w.destroyed && w.callDepth == 0; });
}

bool RectEmpty(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }

RECT Intersect(const RECT& a, const RECT& b) {
  RECT r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
  if (RectEmpty(r)) return RECT{};
  return r;
}

RECT Union(const RECT& a, const RECT& b) {
  if (RectEmpty(a)) return b;
  if (RectEmpty(b)) return a;
  return RECT{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
              std::max(a.bottom, b.bottom)};
}

bool Contains(const RECT& r, POINT p) { return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom; }

RECT Offset(RECT r, LONG dx, LONG dy) { return RECT{r.left + dx, r.top + dy, r.right + dx, r.bottom + dy}; }

namespace {

// Thickness of the parts of a window that are not client area.
struct Insets {
  LONG left = 0, top = 0, right = 0, bottom = 0;
};

Insets NonClient(DWORD style, DWORD exStyle) {
  LONG frame = 0;
  if (style & WS_THICKFRAME) {
    frame = GetSystemMetrics(SM_CXFRAME);
  } else if ((style & WS_DLGFRAME) || (exStyle & WS_EX_DLGMODALFRAME)) {
    frame = GetSystemMetrics(SM_CXDLGFRAME);
  } else if (style & WS_BORDER) {
    frame = GetSystemMetrics(SM_CXBORDER);
  }
  if (exStyle & WS_EX_CLIENTEDGE) frame += GetSystemMetrics(SM_CXEDGE);
  if (exStyle & WS_EX_STATICEDGE) frame += 1;
  Insets in{frame, frame, frame, frame};
  if ((style & WS_CAPTION) == WS_CAPTION) in.top += GetSystemMetrics(SM_CYCAPTION);
  return in;
}

}  // namespace

RECT ClientRectOf(HWND hwnd) {
  Insets in = NonClient(hwnd->style, hwnd->exStyle);
  LONG w = hwnd->rect.right - hwnd->rect.left - in.left - in.right;
  LONG h = hwnd->rect.bottom - hwnd->rect.top - in.top - in.bottom;
  return RECT{0, 0, std::max<LONG>(w, 0), std::max<LONG>(h, 0)};
}

RECT ScreenRectOf(HWND hwnd) {
  if (hwnd->parent) {
    POINT o = ClientOrigin(hwnd->parent);
    return Offset(hwnd->rect, o.x, o.y);
  }
  return hwnd->rect;
}

POINT ClientOrigin(HWND hwnd) {
  RECT r = ScreenRectOf(hwnd);
  Insets in = NonClient(hwnd->style, hwnd->exStyle);
  return POINT{r.left + in.left, r.top + in.top};
}

HWND TopLevelOf(HWND hwnd) {
  while (hwnd->parent) hwnd = hwnd->parent;
  return hwnd;
}

bool IsShown(HWND hwnd) {
  for (HWND w = hwnd; w; w = w->parent)
    if (!(w->style & WS_VISIBLE)) return false;
  return true;
}

namespace {

std::string Upper(const char* s) {
  std::string out = s ? s : "";
  for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

bool InSubtree(HWND root, HWND w) {
  for (; w; w = w->parent)
    if (w == root) return true;
  return false;
}

std::vector<HWND>& SiblingsOf(HWND hwnd) { return hwnd->parent ? hwnd->parent->children : State().topLevel; }

// An owner's windows stay just above it wherever it goes: a modal dialog is
// never hidden behind the window it disables, even when that window takes
// the focus or is raised. The chain of owners is followed only so deep.
void KeepOwnedAbove(HWND owner, std::vector<HWND>& list, int depth = 0) {
  constexpr int kMaxOwnerDepth = 16;
  if (depth >= kMaxOwnerDepth) return;
  std::vector<HWND> owned;
  // Topmost ones of a plain owner are above it already.
  const bool ownerTopmost = (owner->exStyle & WS_EX_TOPMOST) != 0;
  for (HWND w : list)
    if (w->owner == owner && (ownerTopmost || !(w->exStyle & WS_EX_TOPMOST))) owned.push_back(w);
  // Each goes right before the owner, so they keep their order among themselves.
  for (HWND w : owned) {
    std::erase(list, w);
    list.insert(std::find(list.begin(), list.end(), owner), w);
    KeepOwnedAbove(w, list, depth + 1);
  }
}

// Puts a window into its sibling list: topmost top-level windows stay above
// the others.
void Restack(HWND hwnd, HWND insertAfter) {
  auto& list = SiblingsOf(hwnd);
  std::erase(list, hwnd);
  const bool topLevel = hwnd->parent == nullptr;
  if (topLevel && insertAfter == HWND_TOPMOST) hwnd->exStyle |= WS_EX_TOPMOST;
  if (topLevel && insertAfter == HWND_NOTOPMOST) hwnd->exStyle &= ~WS_EX_TOPMOST;
  auto firstPlain = [&] {
    return std::find_if(list.begin(), list.end(), [](HWND w) { return !(w->exStyle & WS_EX_TOPMOST); });
  };
  if (insertAfter == HWND_BOTTOM) {
    list.push_back(hwnd);
  } else if (insertAfter == HWND_TOP || insertAfter == HWND_TOPMOST || insertAfter == HWND_NOTOPMOST) {
    if (topLevel && !(hwnd->exStyle & WS_EX_TOPMOST)) {
      list.insert(firstPlain(), hwnd);
    } else {
      list.insert(list.begin(), hwnd);
    }
  } else {
    auto it = std::find(list.begin(), list.end(), insertAfter);
    list.insert(it == list.end() ? list.begin() : it + 1, hwnd);
  }
  if (topLevel) KeepOwnedAbove(hwnd, list);
}

// Invalidates the window and every shown descendant entirely.
void InvalidateTree(HWND hwnd) {
  InvalidateRect(hwnd, nullptr, TRUE);
  for (HWND c : hwnd->children)
    if (c->style & WS_VISIBLE) InvalidateTree(c);
}

void InvalidateTreeArea(HWND hwnd, const RECT& screenRect, HWND except) {
  if (hwnd == except || !(hwnd->style & WS_VISIBLE)) return;
  POINT o = ClientOrigin(hwnd);
  RECT local = Intersect(Offset(screenRect, -o.x, -o.y), ClientRectOf(hwnd));
  if (!RectEmpty(local)) InvalidateRect(hwnd, &local, TRUE);
  for (HWND c : hwnd->children) InvalidateTreeArea(c, screenRect, except);
}

void SendDestroyTree(HWND hwnd) {
  hwnd->destroying = true;
  SendMessage(hwnd, WM_DESTROY, 0, 0);
  std::vector<HWND> children = hwnd->children;
  for (HWND c : children)
    if (Live(c)) SendDestroyTree(c);
}

void FinishDestroyTree(HWND hwnd) {
  std::vector<HWND> children = hwnd->children;
  for (HWND c : children)
    if (Live(c)) FinishDestroyTree(c);
  SendMessage(hwnd, WM_NCDESTROY, 0, 0);
  KillTimersOf(hwnd);
  DropMessagesOf(hwnd);
  ForgetInputWindow(hwnd);
  std::erase(SiblingsOf(hwnd), hwnd);
  hwnd->destroyed = true;
}

}  // namespace

void InvalidateScreenArea(const RECT& screenRect, HWND except) {
  if (RectEmpty(screenRect)) return;
  std::vector<HWND> tops = State().topLevel;
  for (HWND t : tops)
    if (!t->minimized) InvalidateTreeArea(t, screenRect, except);
}

}  // namespace user_impl

using namespace user_impl;

ATOM RegisterClassEx(const WNDCLASSEX* wc) {
  static ATOM nextAtom = 0xC000;
  if (!wc || wc->cbSize != sizeof(WNDCLASSEX) || !wc->lpfnWndProc || !wc->lpszClassName || !*wc->lpszClassName ||
      wc->cbWndExtra < 0)
    return 0;
  auto& s = State();
  std::string key = Upper(wc->lpszClassName);
  if (s.classes.count(key)) return 0;
  auto cls = std::make_shared<WindowClass>();
  cls->name = wc->lpszClassName;
  cls->style = wc->style;
  cls->proc = wc->lpfnWndProc;
  cls->wndExtra = wc->cbWndExtra;
  cls->instance = wc->hInstance;
  cls->icon = wc->hIcon;
  cls->iconSmall = wc->hIconSm;
  cls->cursor = wc->hCursor;
  s.classes.emplace(std::move(key), std::move(cls));
  return nextAtom++;
}

BOOL UnregisterClass(const char* className, HINSTANCE) {
  auto& s = State();
  auto it = s.classes.find(Upper(className));
  if (it == s.classes.end()) return FALSE;
  if (s.windows.FindIf([&](const HWND__& w) { return !w.destroyed && w.cls == it->second; })) return FALSE;
  s.classes.erase(it);
  return TRUE;
}

BOOL GetClassInfoEx(HINSTANCE, const char* className, WNDCLASSEX* out) {
  auto& s = State();
  auto it = s.classes.find(Upper(className));
  if (it == s.classes.end() || !out) return FALSE;
  const WindowClass& c = *it->second;
  *out = WNDCLASSEX{};
  out->style = c.style;
  out->lpfnWndProc = c.proc;
  out->cbWndExtra = c.wndExtra;
  out->hInstance = c.instance;
  out->hIcon = c.icon;
  out->hCursor = c.cursor;
  out->lpszClassName = c.name.c_str();
  out->hIconSm = c.iconSmall;
  return TRUE;
}

HWND CreateWindowEx(DWORD exStyle, const char* className, const char* title, DWORD style, int x, int y, int width,
                    int height, HWND parent, HMENU menu, HINSTANCE instance, void* param) {
  NoteGameThread();
  auto& s = State();
  auto it = s.classes.find(Upper(className));
  if (it == s.classes.end()) return nullptr;
  const bool child = (style & WS_CHILD) != 0;
  HWND__* parentWindow = Live(parent);
  if ((child && !parentWindow) || (parent && !parentWindow)) return nullptr;

  auto owned = std::make_unique<HWND__>();
  HWND hwnd = owned.get();
  hwnd->cls = it->second;
  hwnd->proc = it->second->proc;
  hwnd->style = style & ~WS_VISIBLE;
  hwnd->exStyle = exStyle;
  hwnd->text = title ? title : "";
  hwnd->instance = instance;
  hwnd->extra.assign(static_cast<std::size_t>(it->second->wndExtra), 0);
  if (child) {
    hwnd->parent = parentWindow;
    hwnd->id = reinterpret_cast<LONG_PTR>(menu);
  } else if (parentWindow) {
    hwnd->owner = TopLevelOf(parentWindow);
  }
  if (x == CW_USEDEFAULT) x = y = 0;
  if (width == CW_USEDEFAULT) {
    width = GetSystemMetrics(SM_CXSCREEN);
    height = GetSystemMetrics(SM_CYSCREEN);
  }
  hwnd->rect = RECT{x, y, x + std::max(width, 0), y + std::max(height, 0)};
  s.windows.Add(std::move(owned));
  if (child) {
    parentWindow->children.push_back(hwnd);
  } else {
    s.topLevel.push_back(hwnd);
    Restack(hwnd, HWND_TOP);
  }

  CREATESTRUCT cs;
  cs.lpCreateParams = param;
  cs.hInstance = instance;
  cs.hMenu = menu;
  cs.hwndParent = parent;
  cs.cx = width;
  cs.cy = height;
  cs.x = x;
  cs.y = y;
  cs.style = static_cast<LONG>(style);
  cs.lpszName = title;
  cs.lpszClass = className;
  cs.dwExStyle = exStyle;
  if (SendMessage(hwnd, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
    DestroyWindow(hwnd);
    return nullptr;
  }
  if (!Live(hwnd)) return nullptr;
  RECT client = ClientRectOf(hwnd);
  SendMessage(hwnd, WM_SIZE, SIZE_RESTORED,
              MAKELPARAM(static_cast<WORD>(client.right), static_cast<WORD>(client.bottom)));
  POINT origin{hwnd->rect.left, hwnd->rect.top};
  SendMessage(hwnd, WM_MOVE, 0, MAKELPARAM(static_cast<WORD>(origin.x), static_cast<WORD>(origin.y)));
  if ((style & WS_VISIBLE) && Live(hwnd)) ShowWindow(hwnd, SW_SHOW);
  return Live(hwnd) ? hwnd : nullptr;
}

BOOL DestroyWindow(HWND hwnd) {
  HWND__* w = Live(hwnd);
  if (!w || w->destroying) return FALSE;
  auto& s = State();
  w->destroying = true;
  // Copied only when there is an owned window to destroy (the list changes
  // under the loop), so that a window owning none costs no heap call.
  if (std::any_of(s.topLevel.begin(), s.topLevel.end(), [hwnd](HWND t) { return t->owner == hwnd; })) {
    const std::vector<HWND> tops = s.topLevel;
    for (HWND t : tops)
      if (t->owner == hwnd && Live(t)) DestroyWindow(t);
  }

  if (IsShown(hwnd)) InvalidateScreenArea(ScreenRectOf(hwnd), hwnd);
  w->style &= ~WS_VISIBLE;
  if (s.capture && InSubtree(hwnd, s.capture)) s.capture = nullptr;
  if (s.focus && InSubtree(hwnd, s.focus)) s.focus = nullptr;
  if (s.locked && InSubtree(hwnd, s.locked)) s.locked = nullptr;
  if (s.active == hwnd) ActivateNextAfter(hwnd);
  if (s.lastActive == hwnd) s.lastActive = nullptr;

  SendDestroyTree(hwnd);
  FinishDestroyTree(hwnd);
  CollectDestroyed();
  return TRUE;
}

BOOL IsWindow(HWND hwnd) { return Live(hwnd) ? TRUE : FALSE; }

HWND GetParent(HWND hwnd) {
  HWND__* w = Live(hwnd);
  if (!w) return nullptr;
  return w->parent ? w->parent : w->owner;
}

BOOL IsChild(HWND parent, HWND hwnd) {
  HWND__* w = Live(hwnd);
  if (!w || !Live(parent)) return FALSE;
  for (HWND p = w->parent; p; p = p->parent)
    if (p == parent) return TRUE;
  return FALSE;
}

HWND GetWindow(HWND hwnd, UINT relation) {
  HWND__* w = Live(hwnd);
  if (!w) return nullptr;
  if (relation == GW_OWNER) return w->owner;
  if (relation == GW_CHILD) return w->children.empty() ? nullptr : w->children.front();
  const auto& list = SiblingsOf(hwnd);
  auto it = std::find(list.begin(), list.end(), hwnd);
  switch (relation) {
    case GW_HWNDFIRST:
      return list.front();
    case GW_HWNDLAST:
      return list.back();
    case GW_HWNDNEXT:
      return (it == list.end() || it + 1 == list.end()) ? nullptr : *(it + 1);
    case GW_HWNDPREV:
      return (it == list.begin() || it == list.end()) ? nullptr : *(it - 1);
    default:
      return nullptr;
  }
}

HWND GetDlgItem(HWND parent, int id) {
  HWND__* p = Live(parent);
  if (!p) return nullptr;
  for (HWND c : p->children)
    if (c->id == id) return c;
  return nullptr;
}

int GetDlgCtrlID(HWND hwnd) {
  HWND__* w = Live(hwnd);
  return w ? static_cast<int>(w->id) : 0;
}

LONG_PTR GetWindowLongPtr(HWND hwnd, int index) {
  HWND__* w = Live(hwnd);
  if (!w) return 0;
  switch (index) {
    case GWLP_WNDPROC:
      return reinterpret_cast<LONG_PTR>(w->proc);
    case GWLP_HINSTANCE:
      return reinterpret_cast<LONG_PTR>(w->instance);
    case GWLP_HWNDPARENT:
      return reinterpret_cast<LONG_PTR>(w->parent ? w->parent : w->owner);
    case GWLP_ID:
      return w->id;
    case GWL_STYLE:
      return static_cast<LONG_PTR>(w->style);
    case GWL_EXSTYLE:
      return static_cast<LONG_PTR>(w->exStyle);
    case GWLP_USERDATA:
      return w->userData;
    default:
      break;
  }
  if (index < 0 || static_cast<std::size_t>(index) + sizeof(LONG_PTR) > w->extra.size()) return 0;
  LONG_PTR v = 0;
  std::memcpy(&v, w->extra.data() + index, sizeof v);
  return v;
}

LONG_PTR SetWindowLongPtr(HWND hwnd, int index, LONG_PTR value) {
  HWND__* w = Live(hwnd);
  if (!w) return 0;
  LONG_PTR old = GetWindowLongPtr(hwnd, index);
  switch (index) {
    case GWLP_WNDPROC:
      w->proc = reinterpret_cast<WNDPROC>(value);
      return old;
    case GWLP_HINSTANCE:
      w->instance = reinterpret_cast<HINSTANCE>(value);
      return old;
    case GWLP_HWNDPARENT:
      if (!w->parent) {
        HWND owner = Live(reinterpret_cast<HWND>(value));
        w->owner = owner ? TopLevelOf(owner) : nullptr;
      }
      return old;
    case GWLP_ID:
      w->id = value;
      return old;
    case GWL_STYLE:
      w->style = static_cast<DWORD>(value);
      return old;
    case GWL_EXSTYLE:
      w->exStyle = static_cast<DWORD>(value);
      return old;
    case GWLP_USERDATA:
      w->userData = value;
      return old;
    default:
      break;
  }
  if (index < 0 || static_cast<std::size_t>(index) + sizeof(LONG_PTR) > w->extra.size()) return 0;
  std::memcpy(w->extra.data() + index, &value, sizeof value);
  return old;
}

LONG GetWindowLong(HWND hwnd, int index) {
  HWND__* w = Live(hwnd);
  if (!w) return 0;
  if (index < 0) return static_cast<LONG>(GetWindowLongPtr(hwnd, index));
  if (static_cast<std::size_t>(index) + sizeof(LONG) > w->extra.size()) return 0;
  LONG v = 0;
  std::memcpy(&v, w->extra.data() + index, sizeof v);
  return v;
}

LONG SetWindowLong(HWND hwnd, int index, LONG value) {
  HWND__* w = Live(hwnd);
  if (!w) return 0;
  if (index < 0) {
    // Styles are 32-bit words: keep them unsigned, not sign-extended.
    LONG_PTR wide = (index == GWL_STYLE || index == GWL_EXSTYLE) ? static_cast<LONG_PTR>(static_cast<DWORD>(value))
                                                                 : static_cast<LONG_PTR>(value);
    return static_cast<LONG>(SetWindowLongPtr(hwnd, index, wide));
  }
  if (static_cast<std::size_t>(index) + sizeof(LONG) > w->extra.size()) return 0;
  LONG old = GetWindowLong(hwnd, index);
  std::memcpy(w->extra.data() + index, &value, sizeof value);
  return old;
}

LONG_PTR GetClassLongPtr(HWND hwnd, int index) {
  HWND__* w = Live(hwnd);
  if (!w) return 0;
  const WindowClass& c = *w->cls;
  switch (index) {
    case GCLP_HCURSOR:
      return reinterpret_cast<LONG_PTR>(c.cursor);
    case GCLP_HICON:
      return reinterpret_cast<LONG_PTR>(c.icon);
    case GCLP_HICONSM:
      return reinterpret_cast<LONG_PTR>(c.iconSmall);
    case GCLP_WNDPROC:
      return reinterpret_cast<LONG_PTR>(c.proc);
    case GCL_STYLE:
      return static_cast<LONG_PTR>(c.style);
    default:
      return 0;
  }
}

LONG_PTR SetClassLongPtr(HWND hwnd, int index, LONG_PTR value) {
  HWND__* w = Live(hwnd);
  if (!w) return 0;
  LONG_PTR old = GetClassLongPtr(hwnd, index);
  WindowClass& c = *w->cls;
  switch (index) {
    case GCLP_HCURSOR:
      c.cursor = reinterpret_cast<HCURSOR>(value);
      break;
    case GCLP_HICON:
      c.icon = reinterpret_cast<HICON>(value);
      break;
    case GCLP_HICONSM:
      c.iconSmall = reinterpret_cast<HICON>(value);
      break;
    case GCLP_WNDPROC:
      c.proc = reinterpret_cast<WNDPROC>(value);
      break;
    case GCL_STYLE:
      c.style = static_cast<UINT>(value);
      break;
    default:
      return 0;
  }
  return old;
}

BOOL SetWindowText(HWND hwnd, const char* text) {
  if (!Live(hwnd)) return FALSE;
  return SendMessage(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text ? text : "")) ? TRUE : FALSE;
}

int GetWindowText(HWND hwnd, char* buffer, int size) {
  if (!buffer || size <= 0) return 0;
  buffer[0] = '\0';
  if (!Live(hwnd)) return 0;
  return static_cast<int>(SendMessage(hwnd, WM_GETTEXT, static_cast<WPARAM>(size), reinterpret_cast<LPARAM>(buffer)));
}

int GetWindowTextLength(HWND hwnd) {
  if (!Live(hwnd)) return 0;
  return static_cast<int>(SendMessage(hwnd, WM_GETTEXTLENGTH, 0, 0));
}

BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int width, int height, UINT flags) {
  HWND__* w = Live(hwnd);
  if (!w) return FALSE;
  const RECT oldScreen = ScreenRectOf(hwnd);
  const RECT old = w->rect;
  const bool shown = IsShown(hwnd);
  RECT r = w->rect;
  if (!(flags & SWP_NOMOVE)) r = Offset(r, x - r.left, y - r.top);
  if (!(flags & SWP_NOSIZE)) {
    r.right = r.left + std::max(width, 0);
    r.bottom = r.top + std::max(height, 0);
  }
  w->rect = r;
  if (!(flags & SWP_NOZORDER)) Restack(hwnd, insertAfter);
  const bool moved = r.left != old.left || r.top != old.top;
  const bool sized = (r.right - r.left) != (old.right - old.left) || (r.bottom - r.top) != (old.bottom - old.top);
  if (shown && (moved || sized) && !(flags & SWP_NOREDRAW)) {
    InvalidateScreenArea(oldScreen, hwnd);
    InvalidateTree(hwnd);
  }
  if (sized && !w->minimized) {
    RECT client = ClientRectOf(hwnd);
    SendMessage(hwnd, WM_SIZE, SIZE_RESTORED,
                MAKELPARAM(static_cast<WORD>(client.right), static_cast<WORD>(client.bottom)));
  }
  if (moved && Live(hwnd)) {
    SendMessage(hwnd, WM_MOVE, 0, MAKELPARAM(static_cast<WORD>(r.left), static_cast<WORD>(r.top)));
  }
  if (!Live(hwnd)) return TRUE;
  if (flags & SWP_SHOWWINDOW) ShowWindow(hwnd, (flags & SWP_NOACTIVATE) ? SW_SHOWNA : SW_SHOW);
  if (flags & SWP_HIDEWINDOW) ShowWindow(hwnd, SW_HIDE);
  if (!(flags & SWP_NOACTIVATE) && Live(hwnd) && !w->parent && IsShown(hwnd) && !(w->style & WS_DISABLED))
    Activate(hwnd, WA_ACTIVE);
  return TRUE;
}

BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint) {
  return SetWindowPos(hwnd, nullptr, x, y, width, height,
                      SWP_NOZORDER | SWP_NOACTIVATE | (repaint ? 0u : SWP_NOREDRAW));
}

BOOL ShowWindow(HWND hwnd, int command) {
  HWND__* w = Live(hwnd);
  if (!w) return FALSE;
  auto& s = State();
  const bool wasVisible = (w->style & WS_VISIBLE) != 0;
  if (command == SW_HIDE) {
    if (!wasVisible) return FALSE;
    SendMessage(hwnd, WM_SHOWWINDOW, FALSE, 0);
    if (!Live(hwnd)) return TRUE;
    const bool shown = IsShown(hwnd);
    const RECT area = ScreenRectOf(hwnd);
    w->style &= ~WS_VISIBLE;
    if (shown) InvalidateScreenArea(area, hwnd);
    if (s.capture && InSubtree(hwnd, s.capture)) ReleaseCapture();
    if (s.focus && InSubtree(hwnd, s.focus)) SetFocus(nullptr);
    if (s.active == hwnd) ActivateNextAfter(hwnd);
    return TRUE;
  }

  if (!wasVisible) {
    SendMessage(hwnd, WM_SHOWWINDOW, TRUE, 0);
    if (!Live(hwnd)) return FALSE;
    w->style |= WS_VISIBLE;
    if (IsShown(hwnd)) InvalidateTree(hwnd);
  }
  const bool topLevel = w->parent == nullptr;
  switch (command) {
    case SW_MINIMIZE:
    case SW_SHOWMINIMIZED:
      if (!w->minimized) {
        w->minimized = true;
        SendMessage(hwnd, WM_SIZE, SIZE_MINIMIZED, 0);
      }
      if (s.active == hwnd && command == SW_MINIMIZE) ActivateNextAfter(hwnd);
      return wasVisible;
    case SW_RESTORE:
    case SW_SHOWNORMAL:
      if (w->minimized) {
        w->minimized = false;
        RECT client = ClientRectOf(hwnd);
        SendMessage(hwnd, WM_SIZE, SIZE_RESTORED,
                    MAKELPARAM(static_cast<WORD>(client.right), static_cast<WORD>(client.bottom)));
        if (Live(hwnd)) InvalidateTree(hwnd);
      }
      break;
    case SW_SHOWNA:
    case SW_SHOWNOACTIVATE:
      return wasVisible;
    default:
      break;
  }
  if (Live(hwnd) && topLevel && !(w->style & WS_DISABLED)) Activate(hwnd, WA_ACTIVE);
  return wasVisible;
}

BOOL EnableWindow(HWND hwnd, BOOL enable) {
  HWND__* w = Live(hwnd);
  if (!w) return FALSE;
  const bool wasDisabled = (w->style & WS_DISABLED) != 0;
  if (wasDisabled == !enable) return wasDisabled;
  if (enable) {
    w->style &= ~WS_DISABLED;
  } else {
    w->style |= WS_DISABLED;
    auto& s = State();
    if (s.focus && InSubtree(hwnd, s.focus)) SetFocus(nullptr);
    if (s.capture && InSubtree(hwnd, s.capture)) ReleaseCapture();
  }
  SendMessage(hwnd, WM_ENABLE, enable ? TRUE : FALSE, 0);
  return wasDisabled;
}

BOOL IsWindowEnabled(HWND hwnd) {
  HWND__* w = Live(hwnd);
  return (w && !(w->style & WS_DISABLED)) ? TRUE : FALSE;
}

BOOL IsWindowVisible(HWND hwnd) { return (Live(hwnd) && IsShown(hwnd)) ? TRUE : FALSE; }

BOOL GetClientRect(HWND hwnd, RECT* rect) {
  if (!Live(hwnd) || !rect) return FALSE;
  *rect = ClientRectOf(hwnd);
  return TRUE;
}

BOOL GetWindowRect(HWND hwnd, RECT* rect) {
  if (!Live(hwnd) || !rect) return FALSE;
  *rect = ScreenRectOf(hwnd);
  return TRUE;
}

BOOL ClientToScreen(HWND hwnd, POINT* point) {
  if (!Live(hwnd) || !point) return FALSE;
  POINT o = ClientOrigin(hwnd);
  point->x += o.x;
  point->y += o.y;
  return TRUE;
}

BOOL ScreenToClient(HWND hwnd, POINT* point) {
  if (!Live(hwnd) || !point) return FALSE;
  POINT o = ClientOrigin(hwnd);
  point->x -= o.x;
  point->y -= o.y;
  return TRUE;
}

int MapWindowPoints(HWND from, HWND to, POINT* points, UINT count) {
  POINT a{}, b{};
  if (from) {
    if (!Live(from)) return 0;
    a = ClientOrigin(from);
  }
  if (to) {
    if (!Live(to)) return 0;
    b = ClientOrigin(to);
  }
  const LONG dx = a.x - b.x, dy = a.y - b.y;
  for (UINT i = 0; points && i < count; ++i) {
    points[i].x += dx;
    points[i].y += dy;
  }
  return MAKELONG(static_cast<WORD>(dx), static_cast<WORD>(dy));
}

BOOL AdjustWindowRectEx(RECT* rect, DWORD style, BOOL, DWORD exStyle) {
  if (!rect) return FALSE;
  Insets in = NonClient(style, exStyle);
  rect->left -= in.left;
  rect->top -= in.top;
  rect->right += in.right;
  rect->bottom += in.bottom;
  return TRUE;
}

namespace {

HWND Deepest(HWND hwnd, POINT p) {
  POINT o = ClientOrigin(hwnd);
  if (!Contains(Offset(ClientRectOf(hwnd), o.x, o.y), p)) return hwnd;
  for (HWND c : hwnd->children) {
    if (!(c->style & WS_VISIBLE) || (c->style & WS_DISABLED)) continue;
    if (Contains(ScreenRectOf(c), p)) return Deepest(c, p);
  }
  return hwnd;
}

}  // namespace

HWND WindowFromPoint(POINT p) {
  for (HWND t : State().topLevel) {
    if ((t->style & WS_VISIBLE) && !t->minimized && Contains(t->rect, p)) return Deepest(t, p);
  }
  return nullptr;
}

LRESULT CallWindowProc(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto& s = State();
  if (!proc || !s.windows.Contains(hwnd)) return 0;
  ++hwnd->callDepth;
  LRESULT r = proc(hwnd, msg, wParam, lParam);
  if (--hwnd->callDepth == 0 && hwnd->destroyed) CollectDestroyed();
  return r;
}

void ResetUserLayer() {
  auto& s = State();
  std::vector<HWND> tops = s.topLevel;
  for (HWND t : tops)
    if (Live(t)) DestroyWindow(t);
  ResetQueue();
  ResetTimers();
  ResetInput();
  ResetCursors();
  ResetSystem();
  s.classes.clear();
  s.active = s.lastActive = s.focus = s.capture = s.locked = nullptr;
  s.appActive = true;
  CollectDestroyed();
}

}  // namespace plat
