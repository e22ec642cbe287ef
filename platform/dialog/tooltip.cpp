// The tooltip control ("tooltips_class32").

#include "platform/dialog/tooltip.h"

#include <algorithm>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/core/clock.h"
#include "platform/dialog/classic.h"
#include "platform/dialog/controls_impl.h"
#include "platform/display/screen.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/shapes.h"
#include "platform/gdi/text.h"
#include "platform/resource/module.h"
#include "platform/user/focus.h"
#include "platform/user/input.h"
#include "platform/user/paint.h"
#include "platform/user/queue.h"
#include "platform/user/system.h"

namespace plat::dialog_impl {

namespace {

constexpr UINT_PTR kShowTimer = 1;
constexpr UINT_PTR kWatchTimer = 2;
constexpr UINT kWatchMs = 100;
constexpr int kPadding = 3;
constexpr int kCursorHeight = 20;  // the tip goes below the cursor's picture
constexpr std::size_t kMaxResourceText = 1024;

struct Tool {
  UINT flags = 0;
  HWND hwnd = nullptr;
  UINT_PTR id = 0;
  RECT rect;
  std::string text;

  HWND Window() const { return (flags & TTF_IDISHWND) ? reinterpret_cast<HWND>(id) : hwnd; }
};

enum class Phase {
  kIdle,     // no tool under the mouse
  kWaiting,  // the mouse rests on `current`; the tip shows when the delay is over
  kShowing,
  kDone,  // the tip went away; it comes again only after the mouse leaves the tool
};

// The screen pixels of one rectangle, row by row.
struct Pixels {
  RECT rect{0, 0, 0, 0};
  std::vector<std::uint16_t> values;
};

struct TooltipState {
  std::vector<Tool> tools;
  int current = -1;
  Phase phase = Phase::kIdle;
  DWORD shownAt = 0;
  // The tip is a popup over a screen whose owner may not repaint what lies
  // under it (the game screen repaints only its viewport), so it keeps the
  // pixels it covers and gives them back when it goes, as a classic window
  // class with saved bits does. `drawn` is what the tip itself painted: a
  // pixel that differs from it when the tip goes was drawn since by someone
  // else and is kept.
  Pixels under;
  Pixels drawn;
};

// --- Subclassed tool windows ---------------------------------------------------

struct Watched {
  WNDPROC previous = nullptr;
  std::set<HWND> tooltips;
};

std::map<HWND, Watched>& WatchedWindows() {
  static std::map<HWND, Watched> windows;
  return windows;
}

void Relay(HWND tooltip, HWND window, UINT msg);
void Forget(HWND tooltip, HWND window);

LRESULT WatchProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto it = WatchedWindows().find(hwnd);
  if (it == WatchedWindows().end()) return DefWindowProc(hwnd, msg, wParam, lParam);
  const WNDPROC previous = it->second.previous;
  if (msg == WM_NCDESTROY) {
    const std::set<HWND> tooltips = it->second.tooltips;
    WatchedWindows().erase(it);
    SetWindowLongPtr(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
    for (HWND t : tooltips)
      if (IsWindow(t)) Forget(t, hwnd);
  } else if (msg == WM_MOUSEMOVE || msg == WM_LBUTTONDOWN || msg == WM_RBUTTONDOWN || msg == WM_MBUTTONDOWN) {
    const std::set<HWND> tooltips = it->second.tooltips;
    for (HWND t : tooltips)
      if (IsWindow(t)) Relay(t, hwnd, msg);
  }
  return CallWindowProc(previous, hwnd, msg, wParam, lParam);
}

void Watch(HWND window, HWND tooltip) {
  if (!IsWindow(window)) return;
  auto it = WatchedWindows().find(window);
  if (it == WatchedWindows().end()) {
    Watched w;
    w.previous =
        reinterpret_cast<WNDPROC>(SetWindowLongPtr(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WatchProc)));
    it = WatchedWindows().emplace(window, std::move(w)).first;
  }
  it->second.tooltips.insert(tooltip);
}

void Unwatch(HWND window, HWND tooltip) {
  auto it = WatchedWindows().find(window);
  if (it == WatchedWindows().end()) return;
  it->second.tooltips.erase(tooltip);
  if (!it->second.tooltips.empty()) return;
  // Someone who subclassed the window after us keeps calling us: stay a relay.
  if (IsWindow(window) && GetWindowLongPtr(window, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&WatchProc)) {
    SetWindowLongPtr(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(it->second.previous));
    WatchedWindows().erase(it);
  }
}

// --- Tools ---------------------------------------------------------------------

bool ToolArea(const Tool& tool, RECT* out) {
  HWND window = tool.Window();
  if (!IsWindow(window) || !IsWindowVisible(window)) return false;
  if (tool.flags & TTF_IDISHWND) return GetWindowRect(window, out) != FALSE;
  POINT origin{0, 0};
  ClientToScreen(window, &origin);
  *out = RECT{tool.rect.left + origin.x, tool.rect.top + origin.y, tool.rect.right + origin.x,
              tool.rect.bottom + origin.y};
  return true;
}

bool Under(const Tool& tool, POINT p) {
  RECT r;
  return ToolArea(tool, &r) && p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}

int ToolUnder(const TooltipState& s, POINT p) {
  for (std::size_t i = 0; i < s.tools.size(); ++i)
    if (Under(s.tools[i], p)) return static_cast<int>(i);
  return -1;
}

int FindTool(const TooltipState& s, HWND hwnd, UINT_PTR id) {
  for (std::size_t i = 0; i < s.tools.size(); ++i)
    if (s.tools[i].hwnd == hwnd && s.tools[i].id == id) return static_cast<int>(i);
  return -1;
}

bool MayShow(HWND tooltip, const Tool& tool) {
  if (GetWindowLong(tooltip, GWL_STYLE) & static_cast<LONG>(TTS_ALWAYSTIP)) return true;
  HWND top = tool.Window();
  while (top && (GetWindowLong(top, GWL_STYLE) & static_cast<LONG>(WS_CHILD))) top = GetParent(top);
  return top && top == GetActiveWindow();
}

// --- Showing -------------------------------------------------------------------

SIZE TextSize(const std::string& text) {
  SIZE size{0, 0};
  HDC dc = CreateCompatibleDC(nullptr);
  if (!dc) return size;
  SelectObject(dc, GuiFont());
  RECT r{0, 0, 0, 0};
  DrawText(dc, text.c_str(), static_cast<int>(text.size()), &r, DT_CALCRECT | DT_NOPREFIX);
  size = SIZE{r.right - r.left, r.bottom - r.top};
  DeleteDC(dc);
  return size;
}

// The screen rectangle clipped to the screen.
RECT OnScreen(RECT r) {
  r.left = std::clamp<LONG>(r.left, 0, Screen::kWidth);
  r.right = std::clamp<LONG>(r.right, r.left, Screen::kWidth);
  r.top = std::clamp<LONG>(r.top, 0, Screen::kHeight);
  r.bottom = std::clamp<LONG>(r.bottom, r.top, Screen::kHeight);
  return r;
}

Pixels Grab(const RECT& area) {
  Pixels p;
  p.rect = OnScreen(area);
  const Screen& screen = GetScreen();
  p.values.reserve(static_cast<std::size_t>((p.rect.right - p.rect.left) * (p.rect.bottom - p.rect.top)));
  for (LONG y = p.rect.top; y < p.rect.bottom; ++y)
    for (LONG x = p.rect.left; x < p.rect.right; ++x) p.values.push_back(screen.At(x, y));
  return p;
}

void Put(Screen& screen, LONG x, LONG y, std::uint16_t value) {
  BYTE* p = screen.pixels.data() + static_cast<std::size_t>(y) * Screen::kPitch + static_cast<std::size_t>(x) * 2;
  p[0] = static_cast<BYTE>(value & 0xFF);
  p[1] = static_cast<BYTE>(value >> 8);
}

// Gives back the covered pixels that still show the tip.
void RestoreUnder(TooltipState& s) {
  const bool same = s.under.rect.left == s.drawn.rect.left && s.under.rect.top == s.drawn.rect.top &&
                    s.under.rect.right == s.drawn.rect.right && s.under.rect.bottom == s.drawn.rect.bottom;
  if (same && !s.drawn.values.empty() && s.drawn.values.size() == s.under.values.size()) {
    Screen& screen = GetScreen();
    std::size_t i = 0;
    for (LONG y = s.under.rect.top; y < s.under.rect.bottom; ++y)
      for (LONG x = s.under.rect.left; x < s.under.rect.right; ++x, ++i)
        if (screen.At(x, y) == s.drawn.values[i]) Put(screen, x, y, s.under.values[i]);
  }
  s.under = Pixels{};
  s.drawn = Pixels{};
}

void Hide(HWND tooltip, TooltipState& s, Phase next) {
  s.phase = next;
  KillTimer(tooltip, kShowTimer);
  if (next == Phase::kIdle) {
    s.current = -1;
    KillTimer(tooltip, kWatchTimer);
  }
  if (IsWindowVisible(tooltip)) ShowWindow(tooltip, SW_HIDE);
}

void Show(HWND tooltip, TooltipState& s) {
  const Tool& tool = s.tools[static_cast<std::size_t>(s.current)];
  if (tool.text.empty()) {
    s.phase = Phase::kDone;
    return;
  }
  const SIZE text = TextSize(tool.text);
  const int width = text.cx + 2 * kPadding + 2, height = text.cy + 2 * kPadding + 2;
  POINT p;
  GetCursorPos(&p);
  int x = std::min<int>(p.x, GetSystemMetrics(SM_CXSCREEN) - width);
  int y = p.y + kCursorHeight;
  if (y + height > GetSystemMetrics(SM_CYSCREEN)) y = p.y - height;
  s.phase = Phase::kShowing;
  s.shownAt = timeGetTime();
  x = std::max(0, x);
  y = std::max(0, y);
  s.under = Grab(RECT{x, y, x + width, y + height});
  s.drawn = Pixels{};
  SetWindowPos(tooltip, HWND_TOPMOST, x, y, width, height, SWP_NOACTIVATE | SWP_SHOWWINDOW);
  InvalidateRect(tooltip, nullptr, TRUE);
}

void Relay(HWND tooltip, HWND window, UINT msg) {
  TooltipState* s = StateOf<TooltipState>(tooltip);
  if (!s) return;
  POINT p;
  GetCursorPos(&p);
  int tool = ToolUnder(*s, p);
  if (tool >= 0 && s->tools[static_cast<std::size_t>(tool)].Window() != window) tool = -1;
  if (msg != WM_MOUSEMOVE) {
    if (s->phase != Phase::kIdle) Hide(tooltip, *s, Phase::kDone);
    return;
  }
  if (tool < 0 || !MayShow(tooltip, s->tools[static_cast<std::size_t>(tool)])) {
    if (s->phase != Phase::kIdle) Hide(tooltip, *s, Phase::kIdle);
    return;
  }
  if (tool == s->current && (s->phase == Phase::kShowing || s->phase == Phase::kDone)) return;
  // From one tip straight to the next tool: the next one comes sooner.
  const UINT delay = s->phase == Phase::kShowing ? GetDoubleClickTime() / 5 : GetDoubleClickTime();
  if (s->phase == Phase::kShowing) Hide(tooltip, *s, Phase::kWaiting);
  s->current = tool;
  s->phase = Phase::kWaiting;
  SetTimer(tooltip, kShowTimer, delay, nullptr);
  SetTimer(tooltip, kWatchTimer, kWatchMs, nullptr);
}

void OnTimer(HWND tooltip, TooltipState& s, UINT_PTR id) {
  if (s.current < 0 || s.current >= static_cast<int>(s.tools.size())) {
    Hide(tooltip, s, Phase::kIdle);
    return;
  }
  POINT p;
  GetCursorPos(&p);
  if (!Under(s.tools[static_cast<std::size_t>(s.current)], p)) {
    Hide(tooltip, s, Phase::kIdle);
    return;
  }
  if (id == kShowTimer && s.phase == Phase::kWaiting) {
    KillTimer(tooltip, kShowTimer);
    Show(tooltip, s);
  } else if (id == kWatchTimer && s.phase == Phase::kShowing &&
             timeGetTime() - s.shownAt >= 10 * GetDoubleClickTime()) {
    Hide(tooltip, s, Phase::kDone);
  }
}

void Paint(HWND tooltip, const TooltipState& s, HDC dc) {
  RECT r;
  GetClientRect(tooltip, &r);
  FillSolid(dc, r, GetSysColor(COLOR_INFOBK));
  DrawFrame(dc, r, GetSysColor(COLOR_INFOTEXT));
  if (s.current < 0 || s.current >= static_cast<int>(s.tools.size())) return;
  const std::string& text = s.tools[static_cast<std::size_t>(s.current)].text;
  HGDIOBJ oldFont = SelectObject(dc, GuiFont());
  SetTextColor(dc, GetSysColor(COLOR_INFOTEXT));
  SetBkMode(dc, TRANSPARENT);
  RECT box{r.left + 1 + kPadding, r.top + 1 + kPadding, r.right - 1 - kPadding, r.bottom - 1 - kPadding};
  DrawText(dc, text.c_str(), static_cast<int>(text.size()), &box, DT_LEFT | DT_NOPREFIX);
  SelectObject(dc, oldFont);
}

// --- Messages ------------------------------------------------------------------

const TOOLINFO* Info(LPARAM lParam) {
  const auto* info = reinterpret_cast<const TOOLINFO*>(lParam);
  return (info && info->cbSize >= TTTOOLINFO_V1_SIZE) ? info : nullptr;
}

std::string TextOf(const TOOLINFO& info) {
  const auto value = reinterpret_cast<std::uintptr_t>(info.lpszText);
  if (info.hinst && value < 0x10000) {
    std::string text(kMaxResourceText, '\0');
    const int n = LoadString(info.hinst, static_cast<UINT>(value), text.data(), static_cast<int>(text.size()));
    text.resize(static_cast<std::size_t>(std::max(n, 0)));
    return text;
  }
  // A text the owner would give on request (the classic callback marker) is not kept.
  if (!info.lpszText || value == static_cast<std::uintptr_t>(-1)) return {};
  return info.lpszText;
}

LRESULT AddTool(HWND tooltip, TooltipState& s, const TOOLINFO* info) {
  if (!info) return FALSE;
  Tool tool;
  tool.flags = info->uFlags;
  tool.hwnd = info->hwnd;
  tool.id = info->uId;
  tool.rect = info->rect;
  tool.text = TextOf(*info);
  if (!IsWindow(tool.Window())) return FALSE;
  s.tools.push_back(std::move(tool));
  if (info->uFlags & TTF_SUBCLASS) Watch(s.tools.back().Window(), tooltip);
  return TRUE;
}

LRESULT DeleteTool(HWND tooltip, TooltipState& s, const TOOLINFO* info) {
  if (!info) return FALSE;
  const int index = FindTool(s, info->hwnd, info->uId);
  if (index < 0) return FALSE;
  const Tool removed = s.tools[static_cast<std::size_t>(index)];
  if (index == s.current) Hide(tooltip, s, Phase::kIdle);
  if (s.current > index) --s.current;
  s.tools.erase(s.tools.begin() + index);
  const bool stillWatched = std::any_of(s.tools.begin(), s.tools.end(), [&](const Tool& t) {
    return (t.flags & TTF_SUBCLASS) && t.Window() == removed.Window();
  });
  if ((removed.flags & TTF_SUBCLASS) && !stillWatched) Unwatch(removed.Window(), tooltip);
  return TRUE;
}

// The window of some tools is going: they go too.
void Forget(HWND tooltip, HWND window) {
  TooltipState* s = StateOf<TooltipState>(tooltip);
  if (!s) return;
  for (int i = static_cast<int>(s->tools.size()) - 1; i >= 0; --i) {
    if (s->tools[static_cast<std::size_t>(i)].Window() != window) continue;
    if (i == s->current) Hide(tooltip, *s, Phase::kIdle);
    if (s->current > i) --s->current;
    s->tools.erase(s->tools.begin() + i);
  }
}

void OnCreate(HWND tooltip) {
  AttachState(tooltip, std::make_unique<TooltipState>());
  const LONG style = GetWindowLong(tooltip, GWL_STYLE);
  if (style & static_cast<LONG>(WS_CHILD)) return;
  SetWindowLong(tooltip, GWL_STYLE, style | static_cast<LONG>(WS_POPUP));
  SetWindowLong(tooltip, GWL_EXSTYLE,
                GetWindowLong(tooltip, GWL_EXSTYLE) | static_cast<LONG>(WS_EX_TOOLWINDOW | WS_EX_TOPMOST));
}

}  // namespace

LRESULT TooltipProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_CREATE) {
    OnCreate(hwnd);
    return 0;
  }
  TooltipState* s = StateOf<TooltipState>(hwnd);
  if (!s) return DefWindowProc(hwnd, msg, wParam, lParam);
  switch (msg) {
    case WM_SHOWWINDOW:
      if (!wParam) RestoreUnder(*s);
      return DefWindowProc(hwnd, msg, wParam, lParam);
    case WM_DESTROY:
      RestoreUnder(*s);
      return DefWindowProc(hwnd, msg, wParam, lParam);
    case WM_NCDESTROY:
      for (const Tool& tool : s->tools)
        if (tool.flags & TTF_SUBCLASS) Unwatch(tool.Window(), hwnd);
      FreeState<TooltipState>(hwnd);
      return DefWindowProc(hwnd, msg, wParam, lParam);
    case WM_PAINT: {
      const LRESULT result = PaintControl(
          hwnd, [&](HDC dc) { Paint(hwnd, *s, dc); }, Border::kNone);
      RECT r;
      if (!s->under.values.empty() && GetWindowRect(hwnd, &r)) s->drawn = Grab(r);
      return result;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_TIMER:
      OnTimer(hwnd, *s, wParam);
      return 0;
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
      // The tip itself is under the mouse: it gets out of the way.
      Hide(hwnd, *s, Phase::kDone);
      return 0;
    case TTM_ADDTOOL:
      return AddTool(hwnd, *s, Info(lParam));
    case TTM_DELTOOL:
      return DeleteTool(hwnd, *s, Info(lParam));
    case TTM_GETTOOLCOUNT:
      return static_cast<LRESULT>(s->tools.size());
    default:
      return DefWindowProc(hwnd, msg, wParam, lParam);
  }
}

}  // namespace plat::dialog_impl
