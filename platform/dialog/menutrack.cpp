// TrackPopupMenu: laying out, showing and drawing popup menus, and the modal
// loop that follows the mouse and keys until an item is chosen.

#include <algorithm>
#include <vector>

#include "platform/dialog/classic.h"
#include "platform/dialog/controls_impl.h"
#include "platform/dialog/menu.h"
#include "platform/dialog/menu_impl.h"
#include "platform/dialog/ownerdraw.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/text.h"
#include "platform/user/input.h"
#include "platform/user/keys.h"
#include "platform/user/paint.h"
#include "platform/user/queue.h"
#include "platform/user/system.h"

namespace plat {

using namespace dialog_impl;

namespace {

constexpr int kBorder = 3;
constexpr int kSeparatorHeight = 8;
constexpr int kCheckArea = 16;   // left of a string item's text
constexpr int kArrowArea = 16;   // right of it
constexpr int kTextPadding = 6;  // above and below

struct Level {
  HMENU menu = nullptr;
  HWND window = nullptr;
};

struct Session {
  HWND owner = nullptr;
  UINT flags = 0;
  std::vector<Level> levels;  // the top menu first
  bool done = false;
  bool chosen = false;
  UINT choice = 0;
};

Session* g_session = nullptr;

// --- Layout --------------------------------------------------------------------

SIZE MeasureItem(HWND owner, const MenuItem& item, HDC dc, int averageChar) {
  if (item.IsSeparator()) return SIZE{0, kSeparatorHeight};
  if (item.flags & MF_OWNERDRAW) {
    MEASUREITEMSTRUCT mis;
    mis.CtlType = ODT_MENU;
    mis.itemID = item.id;
    mis.itemData = item.data;
    SendMessage(owner, WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&mis));
    return SIZE{static_cast<LONG>(mis.itemWidth) + 2 * averageChar, static_cast<LONG>(mis.itemHeight)};
  }
  RECT r{0, 0, 0, 0};
  DrawText(dc, item.text.c_str(), static_cast<int>(item.text.size()), &r, DT_CALCRECT | DT_SINGLELINE);
  return SIZE{kCheckArea + (r.right - r.left) + kArrowArea, (r.bottom - r.top) + kTextPadding};
}

// Measures the items (WM_MEASUREITEM for owner-drawn ones), places them and
// returns the size of the popup.
SIZE LayOutMenu(HWND owner, HMENU menu) {
  HDC dc = CreateCompatibleDC(nullptr);
  SelectObject(dc, GuiFont());
  const int averageChar = FontCharSize(GuiFont()).cx;
  std::vector<SIZE> sizes;
  for (const MenuItem& item : menu->items) sizes.push_back(MeasureItem(owner, item, dc, averageChar));
  DeleteDC(dc);
  if (!IsLiveMenu(menu) || sizes.size() != menu->items.size()) return SIZE{0, 0};
  LONG width = 0;
  for (const SIZE& s : sizes) width = std::max(width, s.cx);
  LONG y = kBorder;
  for (std::size_t i = 0; i < sizes.size(); ++i) {
    menu->items[i].rect = RECT{kBorder, y, kBorder + width, y + sizes[i].cy};
    y += sizes[i].cy;
  }
  return SIZE{width + 2 * kBorder, y + kBorder};
}

// --- Drawing -------------------------------------------------------------------

bool Enabled(const MenuItem& item) { return !(item.flags & (MF_GRAYED | MF_DISABLED)); }

void DrawItem(HWND owner, HMENU menu, std::size_t index, HDC dc, UINT action) {
  const MenuItem& item = menu->items[index];
  const bool lit = menu->highlighted == static_cast<int>(index);
  if (item.flags & MF_OWNERDRAW) {
    DRAWITEMSTRUCT dis;
    dis.CtlType = ODT_MENU;
    dis.itemID = item.id;
    dis.itemAction = action;
    dis.itemState = (lit ? ODS_SELECTED : 0) | ((item.flags & MF_GRAYED) ? ODS_GRAYED : 0) |
                    ((item.flags & MF_DISABLED) ? ODS_DISABLED : 0) | ((item.flags & MF_CHECKED) ? ODS_CHECKED : 0);
    dis.hwndItem = reinterpret_cast<HWND>(menu);
    dis.hDC = dc;
    dis.rcItem = item.rect;
    dis.itemData = item.data;
    SendMessage(owner, WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&dis));
    return;
  }
  const RECT& r = item.rect;
  if (item.IsSeparator()) {
    FillSolid(dc, r, GetSysColor(COLOR_MENU));
    const LONG y = (r.top + r.bottom) / 2 - 1;
    FillSolid(dc, RECT{r.left + 1, y, r.right - 1, y + 1}, GetSysColor(COLOR_BTNSHADOW));
    FillSolid(dc, RECT{r.left + 1, y + 1, r.right - 1, y + 2}, GetSysColor(COLOR_BTNHIGHLIGHT));
    return;
  }
  FillSolid(dc, r, GetSysColor(lit ? COLOR_HIGHLIGHT : COLOR_MENU));
  const COLORREF ink =
      !Enabled(item) ? GetSysColor(COLOR_GRAYTEXT) : GetSysColor(lit ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT);
  if (item.flags & MF_CHECKED) DrawCheckMark(dc, RECT{r.left, r.top, r.left + kCheckArea, r.bottom}, ink);
  if (item.submenu) DrawArrow(dc, RECT{r.right - kArrowArea, r.top, r.right, r.bottom}, Arrow::kRight, ink);
  HGDIOBJ oldFont = SelectObject(dc, GuiFont());
  SetTextColor(dc, ink);
  SetBkMode(dc, TRANSPARENT);
  RECT text{r.left + kCheckArea, r.top, r.right - kArrowArea, r.bottom};
  DrawText(dc, item.text.c_str(), static_cast<int>(item.text.size()), &text, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
  SelectObject(dc, oldFont);
}

void DrawItemNow(HWND owner, HMENU menu, int index, UINT action) {
  if (index < 0 || index >= static_cast<int>(menu->items.size()) || !IsWindowVisible(menu->window)) return;
  HDC dc = GetDC(menu->window);
  DrawItem(owner, menu, static_cast<std::size_t>(index), dc, action);
  ReleaseDC(menu->window, dc);
}

// --- Opening and closing -------------------------------------------------------

bool SessionAlive(const Session& s) {
  if (!IsWindow(s.owner) || s.levels.empty()) return false;
  for (const Level& l : s.levels)
    if (!IsLiveMenu(l.menu) || !IsWindow(l.window)) return false;
  return true;
}

void CloseBelow(Session& s, std::size_t keep) {
  while (s.levels.size() > keep) {
    const Level l = s.levels.back();
    s.levels.pop_back();
    if (IsLiveMenu(l.menu)) {
      l.menu->window = nullptr;
      l.menu->highlighted = -1;
    }
    if (IsWindow(l.window)) DestroyWindow(l.window);
  }
}

// Sends WM_INITMENUPOPUP, lays the menu out and shows it at (x, y), aligned by
// the TPM_ flags in `align` and kept on the screen; `besideLeft` is where a
// submenu ends when it does not fit to the right of its parent (-1: a top
// menu). A submenu with a fixed position opens there instead.
bool OpenLevel(Session& s, HMENU menu, int index, int x, int y, UINT align, int besideLeft) {
  SendMessage(s.owner, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu), MAKELPARAM(static_cast<WORD>(index), FALSE));
  if (!IsLiveMenu(menu) || !IsWindow(s.owner)) return false;
  const SIZE size = LayOutMenu(s.owner, menu);
  if (!IsLiveMenu(menu) || !IsWindow(s.owner) || menu->items.empty()) return false;
  const int w = static_cast<int>(size.cx), h = static_cast<int>(size.cy);
  if (besideLeft >= 0 && menu->placed) {
    x = static_cast<int>(menu->place.x);
    y = static_cast<int>(menu->place.y);
    besideLeft = -1;
  }
  if (align & TPM_CENTERALIGN) x -= w / 2;
  if (align & TPM_RIGHTALIGN) x -= w;
  if (align & TPM_VCENTERALIGN) y -= h / 2;
  if (align & TPM_BOTTOMALIGN) y -= h;
  const int screenW = GetSystemMetrics(SM_CXSCREEN), screenH = GetSystemMetrics(SM_CYSCREEN);
  if (besideLeft >= 0 && x + w > screenW) x = besideLeft - w;
  x = std::clamp(x, 0, std::max(0, screenW - w));
  y = std::clamp(y, 0, std::max(0, screenH - h));
  HWND window = CreateWindowEx(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kMenuClass, "", WS_POPUP, x, y, w, h, s.owner, nullptr,
                               nullptr, menu);
  if (!window) return false;
  menu->window = window;
  menu->highlighted = -1;
  s.levels.push_back(Level{menu, window});
  ShowWindow(window, SW_SHOWNA);
  UpdateWindow(window);
  return true;
}

void OpenSubmenu(Session& s, std::size_t level, int index) {
  HMENU menu = s.levels[level].menu;
  HMENU sub = menu->items[static_cast<std::size_t>(index)].submenu;
  if (!IsLiveMenu(sub)) return;
  if (s.levels.size() > level + 1 && s.levels[level + 1].menu == sub) return;
  CloseBelow(s, level + 1);
  RECT parent, item;
  GetWindowRect(s.levels[level].window, &parent);
  GetMenuItemRect(nullptr, menu, static_cast<UINT>(index), &item);
  OpenLevel(s, sub, index, parent.right - kBorder, item.top - kBorder, 0, parent.left + kBorder);
}

// Highlights an item of a level (closing submenus of other items); with
// `open`, an item with a submenu opens it.
void Select(Session& s, std::size_t level, int index, bool open) {
  HMENU menu = s.levels[level].menu;
  if (s.levels.size() > level + 1 && menu->highlighted != index) CloseBelow(s, level + 1);
  if (menu->highlighted != index) {
    const int old = menu->highlighted;
    menu->highlighted = index;
    DrawItemNow(s.owner, menu, old, ODA_SELECT);
    DrawItemNow(s.owner, menu, index, ODA_SELECT);
    if (!SessionAlive(s)) return;
    const MenuItem& item = menu->items[static_cast<std::size_t>(index)];
    const UINT flags = (item.flags & ~MF_POPUP) | MF_HILITE | (item.submenu ? MF_POPUP : 0);
    const WORD first = item.submenu ? static_cast<WORD>(index) : static_cast<WORD>(item.id);
    SendMessage(s.owner, WM_MENUSELECT, MAKEWPARAM(first, static_cast<WORD>(flags)), reinterpret_cast<LPARAM>(menu));
    if (!SessionAlive(s)) return;
  }
  if (open && menu->items[static_cast<std::size_t>(index)].submenu) OpenSubmenu(s, level, index);
}

void Choose(Session& s, const MenuItem& item) {
  if (!Enabled(item) || item.IsSeparator() || item.submenu) return;
  s.chosen = true;
  s.choice = item.id;
  s.done = true;
}

// --- Input ---------------------------------------------------------------------

bool Contains(const RECT& r, POINT p) { return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom; }

// The innermost level under a screen point and its item there (-1: none).
bool HitTest(const Session& s, POINT p, std::size_t* level, int* index) {
  for (std::size_t i = s.levels.size(); i-- > 0;) {
    RECT r;
    GetWindowRect(s.levels[i].window, &r);
    if (!Contains(r, p)) continue;
    *level = i;
    *index = -1;
    const POINT local{p.x - r.left, p.y - r.top};
    const auto& items = s.levels[i].menu->items;
    for (std::size_t k = 0; k < items.size(); ++k)
      if (!items[k].IsSeparator() && Contains(items[k].rect, local)) *index = static_cast<int>(k);
    return true;
  }
  return false;
}

void OnMouse(Session& s, const MSG& msg) {
  std::size_t level = 0;
  int index = -1;
  const bool inside = HitTest(s, msg.pt, &level, &index);
  switch (msg.message) {
    case WM_MOUSEMOVE:
      if (inside && index >= 0) Select(s, level, index, true);
      return;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK:
      if (!inside) {
        s.done = true;
      } else if (index >= 0) {
        Select(s, level, index, true);
      }
      return;
    case WM_RBUTTONUP:
      if (!(s.flags & TPM_RIGHTBUTTON)) return;
      [[fallthrough]];
    case WM_LBUTTONUP:
      if (inside && index >= 0) Choose(s, s.levels[level].menu->items[static_cast<std::size_t>(index)]);
      return;
    default:
      return;
  }
}

// The next item that can take the highlight, from `from` in `step` direction.
int NextSelectable(HMENU menu, int from, int step) {
  const int n = static_cast<int>(menu->items.size());
  int i = from;
  for (int tries = 0; tries < n; ++tries) {
    i = (from < 0 && tries == 0) ? (step > 0 ? 0 : n - 1) : ((i + step) % n + n) % n;
    if (!menu->items[static_cast<std::size_t>(i)].IsSeparator()) return i;
  }
  return -1;
}

void OnKey(Session& s, UINT key) {
  const std::size_t level = s.levels.size() - 1;
  HMENU menu = s.levels[level].menu;
  const int lit = menu->highlighted;
  switch (key) {
    case VK_UP:
    case VK_DOWN:
      if (int next = NextSelectable(menu, lit, key == VK_DOWN ? 1 : -1); next >= 0) Select(s, level, next, false);
      return;
    case VK_RIGHT:
    case VK_RETURN:
      if (lit < 0) return;
      if (menu->items[static_cast<std::size_t>(lit)].submenu) {
        OpenSubmenu(s, level, lit);
        if (SessionAlive(s) && s.levels.size() > level + 1) {
          if (int first = NextSelectable(s.levels.back().menu, -1, 1); first >= 0)
            Select(s, s.levels.size() - 1, first, false);
        }
      } else if (key == VK_RETURN) {
        Choose(s, menu->items[static_cast<std::size_t>(lit)]);
      }
      return;
    case VK_LEFT:
    case VK_ESCAPE:
      if (s.levels.size() > 1) {
        CloseBelow(s, level);
      } else if (key == VK_ESCAPE) {
        s.done = true;
      }
      return;
    case VK_MENU:
      s.done = true;
      return;
    default:
      return;
  }
}

bool IsMouse(UINT m) { return m >= WM_MOUSEFIRST && m <= WM_MOUSELAST; }
bool IsKey(UINT m) { return m >= WM_KEYFIRST && m <= WM_KEYLAST; }

}  // namespace

namespace dialog_impl {

LRESULT MenuPopupProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_CREATE) {
    const auto* cs = reinterpret_cast<const CREATESTRUCT*>(lParam);
    SetWindowLongPtr(hwnd, 0, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    return 0;
  }
  auto menu = reinterpret_cast<HMENU>(GetWindowLongPtr(hwnd, 0));
  const bool tracked = g_session && IsLiveMenu(menu) && menu->window == hwnd;
  switch (msg) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      if (dc && tracked) {
        RECT r;
        GetClientRect(hwnd, &r);
        FillSolid(dc, r, GetSysColor(COLOR_MENU));
        DrawEdge(dc, r, Edge::kRaised);
        for (std::size_t i = 0; i < menu->items.size() && IsLiveMenu(menu); ++i)
          DrawItem(g_session->owner, menu, i, dc, ODA_DRAWENTIRE);
      }
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    default:
      return DefWindowProc(hwnd, msg, wParam, lParam);
  }
}

}  // namespace dialog_impl

BOOL TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int, HWND owner, const RECT*) {
  if (!IsLiveMenu(menu) || !IsWindow(owner) || g_session) return FALSE;
  RegisterControlClasses();
  Session session;
  session.owner = owner;
  session.flags = flags;
  g_session = &session;

  bool quit = false;
  MSG msg{};
  if (OpenLevel(session, menu, 0, x, y, flags, -1)) {
    HWND grab = session.levels[0].window;
    SetCapture(grab);
    while (!session.done && SessionAlive(session) && GetCapture() == grab) {
      if (!GetMessage(&msg, nullptr, 0, 0)) {
        quit = true;
        break;
      }
      if (IsMouse(msg.message)) {
        OnMouse(session, msg);
      } else if (IsKey(msg.message)) {
        if (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN) OnKey(session, static_cast<UINT>(msg.wParam));
      } else {
        TranslateMessage(&msg);
        DispatchMessage(&msg);
      }
    }
    if (GetCapture() == grab) ReleaseCapture();
  }
  CloseBelow(session, 0);
  g_session = nullptr;
  if (IsWindow(owner)) SendMessage(owner, WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
  if (quit) PostQuitMessage(static_cast<int>(msg.wParam));
  if (flags & TPM_RETURNCMD) return session.chosen ? static_cast<BOOL>(session.choice) : 0;
  if (session.chosen && IsWindow(owner))
    PostMessage(owner, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(session.choice), 0), 0);
  return TRUE;
}

}  // namespace plat
