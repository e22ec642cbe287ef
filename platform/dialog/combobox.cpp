// The "ComboBox" class and the list it opens ("ComboLBox").

#include "platform/dialog/combobox.h"

#include <algorithm>
#include <memory>

#include "platform/dialog/classic.h"
#include "platform/dialog/controls_impl.h"
#include "platform/dialog/dialog.h"
#include "platform/dialog/listitems.h"
#include "platform/dialog/scrollbar.h"
#include "platform/dialog/scrollmodel.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/shapes.h"
#include "platform/gdi/text.h"
#include "platform/user/focus.h"
#include "platform/user/input.h"
#include "platform/user/keys.h"
#include "platform/user/paint.h"
#include "platform/user/queue.h"

namespace plat::dialog_impl {

namespace {

constexpr int kFieldPadding = 6;  // edge and margin above and below the text
constexpr int kListBorder = 1;
constexpr UINT kF4 = VK_F1 + 3;

struct ComboState {
  ListItems items;
  HFONT font = nullptr;
  int itemHeight = 16;
  int fieldHeight = 22;
  int droppedHeight = 0;  // the open list's height
  int selected = -1;
  HWND list = nullptr;  // the open list, null while closed
  int marked = -1;      // the line marked in the open list
  int listTop = 0;
  bool resizing = false;
  ScrollTracker bar;
};

// The open list keeps its combo in its window bytes.
HWND ComboOfList(HWND list) { return reinterpret_cast<HWND>(GetWindowLongPtr(list, 0)); }

bool IsOpen(const ComboState& s) { return s.list && IsWindow(s.list); }

void FitHeight(HWND hwnd, ComboState& s) {
  RECT r;
  GetWindowRect(hwnd, &r);
  if (r.bottom - r.top == s.fieldHeight) return;
  s.resizing = true;
  SetWindowPos(hwnd, nullptr, 0, 0, r.right - r.left, s.fieldHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  s.resizing = false;
}

// --- The open list ---------------------------------------------------------

struct ListGeometry {
  RECT lines;
  bool hasBar = false;
  RECT bar;
  int visible = 1;
};

ListGeometry MeasureList(HWND list, const ComboState& s) {
  ListGeometry g;
  RECT client;
  GetClientRect(list, &client);
  g.lines = RECT{client.left + kListBorder, client.top + kListBorder, client.right - kListBorder,
                 client.bottom - kListBorder};
  g.visible = std::max(1, static_cast<int>(g.lines.bottom - g.lines.top) / s.itemHeight);
  if (s.items.Count() > g.visible) {
    g.hasBar = true;
    g.bar = RECT{g.lines.right - GetSystemMetrics(SM_CXVSCROLL), g.lines.top, g.lines.right, g.lines.bottom};
    g.lines.right = g.bar.left;
  }
  return g;
}

ScrollInfo ListBarInfo(const ComboState& s, const ListGeometry& g) {
  ScrollInfo info;
  info.max = std::max(0, s.items.Count() - 1);
  info.page = g.visible;
  info.pos = s.listTop;
  return info;
}

void SetListTop(ComboState& s, const ListGeometry& g, int top) {
  const int highest = std::max(0, s.items.Count() - g.visible);
  top = std::clamp(top, 0, highest);
  if (top == s.listTop) return;
  s.listTop = top;
  InvalidateRect(s.list, nullptr, TRUE);
}

void Mark(ComboState& s, int line) {
  if (!s.items.Valid(line)) return;
  const ListGeometry g = MeasureList(s.list, s);
  if (line < s.listTop) SetListTop(s, g, line);
  if (line >= s.listTop + g.visible) SetListTop(s, g, line - g.visible + 1);
  if (line != s.marked) InvalidateRect(s.list, nullptr, TRUE);
  s.marked = line;
}

void PaintList(HWND list, HWND combo, ComboState& s, HDC dc) {
  RECT client;
  GetClientRect(list, &client);
  DrawFrame(dc, client, GetSysColor(COLOR_WINDOWFRAME));
  const ListGeometry g = MeasureList(list, s);
  HBRUSH brush = ControlColours(combo, dc, WM_CTLCOLORLISTBOX);
  FillRect(dc, &g.lines, brush);
  HGDIOBJ oldFont = s.font ? SelectObject(dc, s.font) : nullptr;
  const COLORREF text = GetTextColor(dc);
  SetBkMode(dc, TRANSPARENT);
  const int last = std::min(s.items.Count(), s.listTop + g.visible);
  for (int i = s.listTop; i < last; ++i) {
    const LONG y = g.lines.top + (i - s.listTop) * s.itemHeight;
    const RECT line{g.lines.left, y, g.lines.right, y + s.itemHeight};
    if (i == s.marked) {
      FillSolid(dc, line, GetSysColor(COLOR_HIGHLIGHT));
      SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
    } else {
      SetTextColor(dc, text);
    }
    RECT box{line.left + 2, line.top, line.right - 2, line.bottom};
    const std::string& label = s.items.At(i).text;
    DrawText(dc, label.c_str(), static_cast<int>(label.size()), &box,
             DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  }
  if (oldFont) SelectObject(dc, oldFont);
  if (g.hasBar) DrawScrollBar(dc, LayOutScrollBar(g.bar, true, ListBarInfo(s, g)), s.bar.Pushed(), true);
}

void Notify(HWND combo, WORD code) { NotifyParent(combo, code); }

// Closes the open list; `accept` takes the marked line.
void Close(HWND combo, bool accept) {
  ComboState* s = StateOf<ComboState>(combo);
  if (!s || !IsOpen(*s)) return;
  HWND list = s->list;
  s->list = nullptr;
  s->bar.Cancel(list);
  if (GetCapture() == list) ReleaseCapture();
  DestroyWindow(list);
  const bool changed = accept && s->items.Valid(s->marked) && s->marked != s->selected;
  if (changed) s->selected = s->marked;
  InvalidateRect(combo, nullptr, TRUE);
  Notify(combo, accept ? CBN_SELENDOK : CBN_SELENDCANCEL);
  if (IsWindow(combo)) Notify(combo, CBN_CLOSEUP);
  if (changed && IsWindow(combo)) Notify(combo, CBN_SELCHANGE);
}

void Open(HWND combo) {
  ComboState* s = StateOf<ComboState>(combo);
  if (!s || IsOpen(*s)) return;
  Notify(combo, CBN_DROPDOWN);
  if (!IsWindow(combo) || !(s = StateOf<ComboState>(combo))) return;
  RECT field;
  GetWindowRect(combo, &field);
  const int rows = std::max(1, s->items.Count());
  const int wanted = rows * s->itemHeight + 2 * kListBorder;
  const int room = std::max(s->itemHeight + 2 * kListBorder, s->droppedHeight);
  const int height = std::min(wanted, room);
  LONG top = field.bottom;
  if (top + height > GetSystemMetrics(SM_CYSCREEN)) top = field.top - height;
  s->marked = s->selected;
  s->listTop = 0;
  HWND list = CreateWindowEx(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kComboListClass, "", WS_POPUP, field.left, top,
                             field.right - field.left, height, combo, nullptr, nullptr, combo);
  if (!list) return;
  s->list = list;
  if (s->items.Valid(s->marked)) Mark(*s, s->marked);
  ShowWindow(list, SW_SHOWNA);
  SetCapture(list);
  InvalidateRect(combo, nullptr, TRUE);
}

// --- The field -------------------------------------------------------------

RECT ButtonRect(const RECT& inner) {
  const LONG width = std::min<LONG>(GetSystemMetrics(SM_CXVSCROLL), inner.right - inner.left);
  return RECT{inner.right - width, inner.top, inner.right, inner.bottom};
}

void PaintField(HWND hwnd, const ComboState& s, HDC dc) {
  RECT client;
  GetClientRect(hwnd, &client);
  const RECT inner = DrawEdge(dc, client, Edge::kSunken);
  const RECT button = ButtonRect(inner);
  const bool enabled = IsWindowEnabled(hwnd) != FALSE;
  HBRUSH brush = ControlColours(hwnd, dc, enabled ? WM_CTLCOLOREDIT : WM_CTLCOLORSTATIC);
  RECT text{inner.left, inner.top, button.left, inner.bottom};
  FillRect(dc, &text, brush);
  FillSolid(dc, button, GetSysColor(COLOR_BTNFACE));
  const RECT face = DrawEdge(dc, button, IsOpen(s) ? Edge::kPushed : Edge::kRaised);
  DrawArrow(dc, face, Arrow::kDown, GetSysColor(enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
  if (!s.items.Valid(s.selected)) return;
  HGDIOBJ oldFont = s.font ? SelectObject(dc, s.font) : nullptr;
  RECT box{text.left + 1, text.top + 1, text.right - 1, text.bottom - 1};
  if (HasFocus(hwnd) && !IsOpen(s)) {
    FillSolid(dc, box, GetSysColor(COLOR_HIGHLIGHT));
    SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
  } else if (!enabled) {
    SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
  }
  SetBkMode(dc, TRANSPARENT);
  const std::string& label = s.items.At(s.selected).text;
  RECT line{box.left + 2, box.top, box.right, box.bottom};
  DrawText(dc, label.c_str(), static_cast<int>(label.size()), &line,
           DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  if (oldFont) SelectObject(dc, oldFont);
}

void ChangeSelection(HWND hwnd, ComboState& s, int line) {
  if (s.items.Count() == 0) return;
  line = std::clamp(line, 0, s.items.Count() - 1);
  if (line == s.selected) return;
  s.selected = line;
  InvalidateRect(hwnd, nullptr, TRUE);
  Notify(hwnd, CBN_SELCHANGE);
}

void OnKeyDown(HWND hwnd, ComboState& s, UINT key) {
  if (key == kF4) {
    if (IsOpen(s)) {
      Close(hwnd, true);
    } else {
      Open(hwnd);
    }
    return;
  }
  if (IsOpen(s)) {
    const int page = std::max(1, MeasureList(s.list, s).visible - 1);
    switch (key) {
      case VK_RETURN:
        Close(hwnd, true);
        return;
      case VK_ESCAPE:
        Close(hwnd, false);
        return;
      case VK_UP:
        Mark(s, std::max(0, s.marked - 1));
        return;
      case VK_DOWN:
        Mark(s, std::min(s.items.Count() - 1, s.marked + 1));
        return;
      case VK_PRIOR:
        Mark(s, std::max(0, s.marked - page));
        return;
      case VK_NEXT:
        Mark(s, std::min(s.items.Count() - 1, s.marked + page));
        return;
      default:
        return;
    }
  }
  switch (key) {
    case VK_UP:
    case VK_LEFT:
      ChangeSelection(hwnd, s, s.selected < 0 ? 0 : s.selected - 1);
      break;
    case VK_DOWN:
    case VK_RIGHT:
      ChangeSelection(hwnd, s, s.selected + 1);
      break;
    case VK_HOME:
      ChangeSelection(hwnd, s, 0);
      break;
    case VK_END:
      ChangeSelection(hwnd, s, s.items.Count() - 1);
      break;
    default:
      break;
  }
}

LRESULT AddLine(HWND hwnd, ComboState& s, LPARAM lParam, int index, bool insert) {
  const char* text = reinterpret_cast<const char*>(lParam);
  ListItems::Item item{text ? text : "", 0};
  int at = 0;
  if (insert) {
    std::optional<int> placed = s.items.Insert(index, std::move(item));
    if (!placed) return CB_ERR;
    at = *placed;
  } else {
    at = s.items.Add(std::move(item), (GetWindowLong(hwnd, GWL_STYLE) & static_cast<LONG>(CBS_SORT)) != 0);
  }
  if (s.selected >= at) ++s.selected;
  if (IsOpen(s)) InvalidateRect(s.list, nullptr, TRUE);
  InvalidateRect(hwnd, nullptr, TRUE);
  return at;
}

LRESULT DialogCode(const ComboState& s, LPARAM lParam) {
  LRESULT code = DLGC_WANTARROWS | DLGC_WANTCHARS;
  const auto* msg = reinterpret_cast<const MSG*>(lParam);
  if (IsOpen(s) && msg && msg->message == WM_KEYDOWN && (msg->wParam == VK_RETURN || msg->wParam == VK_ESCAPE))
    code |= DLGC_WANTMESSAGE;
  return code;
}

void OnCreate(HWND hwnd, const CREATESTRUCT* cs) {
  ComboState* s = AttachState(hwnd, std::make_unique<ComboState>());
  s->itemHeight = FontHeight(nullptr);
  s->fieldHeight = s->itemHeight + kFieldPadding;
  s->droppedHeight = std::max(0, cs->cy - s->fieldHeight);
}

}  // namespace

LRESULT ComboListProc(HWND list, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_CREATE) {
    const auto* cs = reinterpret_cast<const CREATESTRUCT*>(lParam);
    SetWindowLongPtr(list, 0, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    return 0;
  }
  HWND combo = ComboOfList(list);
  ComboState* s = combo ? StateOf<ComboState>(combo) : nullptr;
  if (!s || s->list != list) return DefWindowProc(list, msg, wParam, lParam);
  const POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  const ListGeometry g = MeasureList(list, *s);
  auto lineAt = [&](POINT q) {
    if (q.x < g.lines.left || q.x >= g.lines.right || q.y < g.lines.top || q.y >= g.lines.bottom) return -1;
    const int line = s->listTop + (q.y - g.lines.top) / s->itemHeight;
    return s->items.Valid(line) ? line : -1;
  };
  auto scroll = [list](WORD code, int position) {
    HWND owner = ComboOfList(list);
    ComboState* st = owner ? StateOf<ComboState>(owner) : nullptr;
    if (!st || st->list != list) return;
    const ListGeometry lg = MeasureList(list, *st);
    const int page = std::max(1, lg.visible - 1);
    if (code == SB_LINEUP) SetListTop(*st, lg, st->listTop - 1);
    if (code == SB_LINEDOWN) SetListTop(*st, lg, st->listTop + 1);
    if (code == SB_PAGEUP) SetListTop(*st, lg, st->listTop - page);
    if (code == SB_PAGEDOWN) SetListTop(*st, lg, st->listTop + page);
    if (code == SB_THUMBTRACK || code == SB_THUMBPOSITION) SetListTop(*st, lg, position);
  };
  switch (msg) {
    case WM_PAINT:
      return PaintControl(
          list, [&](HDC dc) { PaintList(list, combo, *s, dc); }, Border::kNone);
    case WM_ERASEBKGND:
      return 1;
    case WM_MOUSEMOVE:
      if (s->bar.Active()) {
        s->bar.Move(LayOutScrollBar(g.bar, true, ListBarInfo(*s, g)), ListBarInfo(*s, g), p, scroll);
      } else if (int line = lineAt(p); line >= 0) {
        Mark(*s, line);
      }
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      RECT client;
      GetClientRect(list, &client);
      const bool inside = p.x >= 0 && p.y >= 0 && p.x < client.right && p.y < client.bottom;
      if (!inside) {
        Close(combo, false);
      } else if (g.hasBar &&
                 s->bar.Press(list, LayOutScrollBar(g.bar, true, ListBarInfo(*s, g)), ListBarInfo(*s, g), p, scroll)) {
        InvalidateRect(list, nullptr, TRUE);
      } else if (int line = lineAt(p); line >= 0) {
        Mark(*s, line);
      }
      return 0;
    }
    case WM_LBUTTONUP:
      if (s->bar.Active()) {
        s->bar.Release(list, scroll);
        // The bar gave the mouse back; the open list keeps it.
        if (IsWindow(list)) SetCapture(list);
        InvalidateRect(list, nullptr, TRUE);
      } else if (int line = lineAt(p); line >= 0) {
        Mark(*s, line);
        Close(combo, true);
      }
      return 0;
    case WM_TIMER:
      if (wParam == ScrollTracker::kTimerId)
        s->bar.Repeat(list, LayOutScrollBar(g.bar, true, ListBarInfo(*s, g)), scroll);
      return 0;
    case WM_CAPTURECHANGED:
      // Another window took the mouse: the list closes as a click elsewhere
      // would. (Our own releases give it to nobody.)
      if (lParam && reinterpret_cast<HWND>(lParam) != list) {
        s->bar.Cancel(list);
        Close(combo, false);
      }
      return 0;
    default:
      return DefWindowProc(list, msg, wParam, lParam);
  }
}

LRESULT ComboBoxProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_CREATE) {
    OnCreate(hwnd, reinterpret_cast<const CREATESTRUCT*>(lParam));
    return 0;
  }
  ComboState* s = StateOf<ComboState>(hwnd);
  if (!s) return DefWindowProc(hwnd, msg, wParam, lParam);
  const int index = static_cast<int>(static_cast<std::intptr_t>(wParam));
  switch (msg) {
    case WM_NCDESTROY:
      if (IsOpen(*s)) DestroyWindow(s->list);
      FreeState<ComboState>(hwnd);
      return DefWindowProc(hwnd, msg, wParam, lParam);
    case WM_PAINT:
      return PaintControl(
          hwnd, [&](HDC dc) { PaintField(hwnd, *s, dc); }, Border::kNone);
    case WM_ERASEBKGND:
      return 1;
    case WM_SIZE: {
      if (s->resizing) return 0;
      const int height = HIWORD(static_cast<std::uintptr_t>(lParam));
      if (height > s->fieldHeight) s->droppedHeight = height - s->fieldHeight;
      FitHeight(hwnd, *s);
      return 0;
    }
    case WM_SETFONT:
      s->font = reinterpret_cast<HFONT>(wParam);
      s->itemHeight = FontHeight(s->font);
      s->fieldHeight = s->itemHeight + kFieldPadding;
      FitHeight(hwnd, *s);
      if (lParam) InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(s->font);
    case WM_ENABLE:
      if (!wParam) Close(hwnd, false);
      InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    case WM_GETDLGCODE:
      return DialogCode(*s, lParam);
    case WM_SETFOCUS:
      InvalidateRect(hwnd, nullptr, TRUE);
      Notify(hwnd, CBN_SETFOCUS);
      return 0;
    case WM_KILLFOCUS:
      Close(hwnd, false);
      if (IsWindow(hwnd)) InvalidateRect(hwnd, nullptr, TRUE);
      Notify(hwnd, CBN_KILLFOCUS);
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      SetFocus(hwnd);
      if (!(s = StateOf<ComboState>(hwnd))) return 0;
      if (IsOpen(*s)) {
        Close(hwnd, false);
      } else {
        Open(hwnd);
      }
      return 0;
    case WM_KEYDOWN:
      OnKeyDown(hwnd, *s, static_cast<UINT>(wParam));
      return 0;
    case WM_SYSKEYDOWN:
      // Alt+Down and Alt+Up open or close the list.
      if (wParam == VK_DOWN || wParam == VK_UP) {
        OnKeyDown(hwnd, *s, kF4);
        return 0;
      }
      return DefWindowProc(hwnd, msg, wParam, lParam);
    case WM_CHAR:
      if (std::optional<int> line =
              s->items.FindInitial(static_cast<char>(wParam), IsOpen(*s) ? s->marked : s->selected)) {
        if (IsOpen(*s)) {
          Mark(*s, *line);
        } else {
          ChangeSelection(hwnd, *s, *line);
        }
      }
      return 0;
    case WM_MOUSEWHEEL: {
      const int step = GET_WHEEL_DELTA_WPARAM(wParam) > 0 ? -1 : 1;
      if (IsOpen(*s)) {
        SetListTop(*s, MeasureList(s->list, *s), s->listTop + 3 * step);
      } else if (s->items.Count() > 0) {
        ChangeSelection(hwnd, *s, s->selected < 0 ? 0 : s->selected + step);
      }
      return 0;
    }
    case CB_ADDSTRING:
      return AddLine(hwnd, *s, lParam, -1, false);
    case CB_INSERTSTRING:
      return AddLine(hwnd, *s, lParam, index, true);
    case CB_DELETESTRING:
      if (!s->items.Valid(index)) return CB_ERR;
      s->items.Remove(index);
      if (s->selected == index) s->selected = -1;
      if (s->selected > index) --s->selected;
      if (s->marked >= s->items.Count()) s->marked = s->items.Count() - 1;
      if (IsOpen(*s)) InvalidateRect(s->list, nullptr, TRUE);
      InvalidateRect(hwnd, nullptr, TRUE);
      return s->items.Count();
    case CB_RESETCONTENT:
      s->items.Clear();
      s->selected = s->marked = -1;
      s->listTop = 0;
      if (IsOpen(*s)) InvalidateRect(s->list, nullptr, TRUE);
      InvalidateRect(hwnd, nullptr, TRUE);
      return CB_OKAY;
    case CB_GETCOUNT:
      return s->items.Count();
    case CB_GETCURSEL:
      return s->selected >= 0 ? s->selected : CB_ERR;
    case CB_SETCURSEL:
      s->selected = s->items.Valid(index) ? index : -1;
      if (IsOpen(*s)) Mark(*s, s->selected);
      InvalidateRect(hwnd, nullptr, TRUE);
      return s->selected >= 0 ? s->selected : CB_ERR;
    case CB_GETLBTEXT: {
      char* out = reinterpret_cast<char*>(lParam);
      if (!out || !s->items.Valid(index)) return CB_ERR;
      const std::string& text = s->items.At(index).text;
      text.copy(out, text.size());
      out[text.size()] = '\0';
      return static_cast<LRESULT>(text.size());
    }
    case CB_GETLBTEXTLEN:
      return s->items.Valid(index) ? static_cast<LRESULT>(s->items.At(index).text.size()) : CB_ERR;
    case CB_GETITEMDATA:
      return s->items.Valid(index) ? static_cast<LRESULT>(s->items.At(index).data) : CB_ERR;
    case CB_SETITEMDATA:
      if (!s->items.Valid(index)) return CB_ERR;
      s->items.SetData(index, static_cast<UINT_PTR>(lParam));
      return CB_OKAY;
    case CB_SHOWDROPDOWN:
      if (wParam) {
        Open(hwnd);
      } else {
        Close(hwnd, false);
      }
      return TRUE;
    case CB_GETDROPPEDSTATE:
      return IsOpen(*s) ? TRUE : FALSE;
    default:
      return DefWindowProc(hwnd, msg, wParam, lParam);
  }
}

}  // namespace plat::dialog_impl
