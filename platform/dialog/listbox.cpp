// The "ListBox" class.

#include "platform/dialog/listbox.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "platform/dialog/classic.h"
#include "platform/dialog/controls_impl.h"
#include "platform/dialog/dialog.h"
#include "platform/dialog/listitems.h"
#include "platform/dialog/ownerdraw.h"
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

constexpr int kWheelLines = 3;
constexpr int kMaxItemHeight = 255;

struct ListBoxState {
  ListItems items;
  HFONT font = nullptr;
  int itemHeight = 16;
  int top = 0;
  int selected = -1;
  int caret = 0;
  bool tracking = false;  // the button is held after a press on the lines
  bool hollow = false;
  ScrollTracker bar;
};

DWORD StyleOf(HWND hwnd) { return static_cast<DWORD>(GetWindowLong(hwnd, GWL_STYLE)); }
bool OwnerDrawn(HWND hwnd) { return (StyleOf(hwnd) & LBS_OWNERDRAWFIXED) != 0; }
bool HasStrings(HWND hwnd) { return !OwnerDrawn(hwnd) || (StyleOf(hwnd) & LBS_HASSTRINGS); }
bool Notifies(HWND hwnd) { return (StyleOf(hwnd) & LBS_NOTIFY) != 0; }

struct Geometry {
  RECT lines;  // where lines are drawn
  bool hasBar = false;
  RECT bar;
  int visible = 1;  // whole lines that fit
};

Geometry Measure(HWND hwnd, const ListBoxState& s) {
  Geometry g;
  RECT client;
  GetClientRect(hwnd, &client);
  g.lines = client;
  g.visible = std::max(1, static_cast<int>(client.bottom - client.top) / s.itemHeight);
  if ((StyleOf(hwnd) & WS_VSCROLL) && s.items.Count() > g.visible) {
    g.hasBar = true;
    const int width = GetSystemMetrics(SM_CXVSCROLL);
    g.bar = RECT{std::max(client.left, client.right - width), client.top, client.right, client.bottom};
    g.lines.right = g.bar.left;
  }
  return g;
}

ScrollInfo BarInfo(const ListBoxState& s, const Geometry& g) {
  ScrollInfo info;
  info.min = 0;
  info.max = std::max(0, s.items.Count() - 1);
  info.page = g.visible;
  info.pos = s.top;
  return info;
}

int MaxTop(const ListBoxState& s, const Geometry& g) { return std::max(0, s.items.Count() - g.visible); }

RECT ItemRect(const ListBoxState& s, const Geometry& g, int index) {
  const LONG y = g.lines.top + (index - s.top) * s.itemHeight;
  return RECT{g.lines.left, y, g.lines.right, y + s.itemHeight};
}

void Refresh(HWND hwnd, const ListBoxState& s) { RefreshControl(hwnd, s.hollow); }

void SetTop(HWND hwnd, ListBoxState& s, int top) {
  top = std::clamp(top, 0, MaxTop(s, Measure(hwnd, s)));
  if (top == s.top) return;
  s.top = top;
  Refresh(hwnd, s);
}

void ShowLine(HWND hwnd, ListBoxState& s, int index) {
  const Geometry g = Measure(hwnd, s);
  if (index < s.top) SetTop(hwnd, s, index);
  if (index >= s.top + g.visible) SetTop(hwnd, s, index - g.visible + 1);
}

void Select(HWND hwnd, ListBoxState& s, int index) {
  if (index != s.selected || index != s.caret) Refresh(hwnd, s);
  s.selected = index;
  if (index >= 0) {
    s.caret = index;
    ShowLine(hwnd, s, index);
  }
}

void DrawLine(HWND hwnd, const ListBoxState& s, HDC dc, int index, const RECT& r, bool focused) {
  const bool selected = index == s.selected;
  const bool caret = focused && index == s.caret;
  const ListItems::Item& item = s.items.At(index);
  if (OwnerDrawn(hwnd)) {
    DRAWITEMSTRUCT dis;
    dis.CtlType = ODT_LISTBOX;
    dis.CtlID = static_cast<UINT>(GetDlgCtrlID(hwnd));
    dis.itemID = static_cast<UINT>(index);
    dis.itemAction = ODA_DRAWENTIRE;
    dis.itemState =
        (selected ? ODS_SELECTED : 0) | (caret ? ODS_FOCUS : 0) | (IsWindowEnabled(hwnd) ? 0 : ODS_DISABLED);
    dis.hwndItem = hwnd;
    dis.hDC = dc;
    dis.rcItem = r;
    dis.itemData = item.data;
    SendMessage(GetParent(hwnd), WM_DRAWITEM, dis.CtlID, reinterpret_cast<LPARAM>(&dis));
    return;
  }
  const COLORREF text = GetTextColor(dc);
  if (selected) {
    FillSolid(dc, r, GetSysColor(COLOR_HIGHLIGHT));
    SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
  } else if (!IsWindowEnabled(hwnd)) {
    SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
  }
  const int mode = SetBkMode(dc, TRANSPARENT);
  RECT box{r.left + 2, r.top, r.right - 2, r.bottom};
  DrawText(dc, item.text.c_str(), static_cast<int>(item.text.size()), &box,
           DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  SetBkMode(dc, mode);
  SetTextColor(dc, text);
  if (caret) DrawFocusRect(dc, r);
}

void Paint(HWND hwnd, ListBoxState& s, HDC dc) {
  const Geometry g = Measure(hwnd, s);
  s.top = std::clamp(s.top, 0, MaxTop(s, g));
  HBRUSH brush = ControlColours(hwnd, dc, WM_CTLCOLORLISTBOX);
  s.hollow = IsHollow(brush);
  FillRect(dc, &g.lines, brush);
  HGDIOBJ oldFont = s.font ? SelectObject(dc, s.font) : nullptr;
  const bool focused = HasFocus(hwnd);
  const int last = std::min(s.items.Count(), s.top + g.visible + 1);
  for (int i = s.top; i < last && IsWindow(hwnd); ++i) DrawLine(hwnd, s, dc, i, ItemRect(s, g, i), focused);
  if (oldFont) SelectObject(dc, oldFont);
  if (g.hasBar) DrawScrollBar(dc, LayOutScrollBar(g.bar, true, BarInfo(s, g)), s.bar.Pushed(), true);
}

ScrollTracker::Request BarRequester(HWND hwnd) {
  return [hwnd](WORD code, int position) {
    ListBoxState* s = StateOf<ListBoxState>(hwnd);
    if (!s) return;
    const int page = std::max(1, Measure(hwnd, *s).visible - 1);
    switch (code) {
      case SB_LINEUP:
        SetTop(hwnd, *s, s->top - 1);
        break;
      case SB_LINEDOWN:
        SetTop(hwnd, *s, s->top + 1);
        break;
      case SB_PAGEUP:
        SetTop(hwnd, *s, s->top - page);
        break;
      case SB_PAGEDOWN:
        SetTop(hwnd, *s, s->top + page);
        break;
      case SB_THUMBTRACK:
      case SB_THUMBPOSITION:
        SetTop(hwnd, *s, position);
        break;
      default:
        break;
    }
  };
}

int LineAt(const ListBoxState& s, const Geometry& g, POINT p) {
  if (p.y < g.lines.top) return -1;
  const int index = s.top + (p.y - g.lines.top) / s.itemHeight;
  return s.items.Valid(index) ? index : -1;
}

void Notify(HWND hwnd, WORD code) {
  if (Notifies(hwnd)) NotifyParent(hwnd, code);
}

void OnButtonDown(HWND hwnd, POINT p) {
  SetFocus(hwnd);
  ListBoxState* live = StateOf<ListBoxState>(hwnd);
  if (!live) return;
  const Geometry g = Measure(hwnd, *live);
  if (g.hasBar && live->bar.Press(hwnd, LayOutScrollBar(g.bar, true, BarInfo(*live, g)), BarInfo(*live, g), p,
                                  BarRequester(hwnd))) {
    Refresh(hwnd, *live);
    return;
  }
  const int index = LineAt(*live, g, p);
  if (index < 0) return;
  Select(hwnd, *live, index);
  live->tracking = true;
  SetCapture(hwnd);
}

void OnKeyDown(HWND hwnd, ListBoxState& s, UINT key) {
  int target = -1;
  if (StyleOf(hwnd) & LBS_WANTKEYBOARDINPUT) {
    const LRESULT r =
        SendMessage(GetParent(hwnd), WM_VKEYTOITEM, MAKEWPARAM(static_cast<WORD>(key), static_cast<WORD>(s.caret)),
                    reinterpret_cast<LPARAM>(hwnd));
    if (r == -2 || !IsWindow(hwnd)) return;
    target = static_cast<int>(r);
  }
  ListBoxState* live = StateOf<ListBoxState>(hwnd);
  if (!live || live->items.Count() == 0) return;
  if (target < 0) {
    const int page = std::max(1, Measure(hwnd, *live).visible - 1);
    const int from = live->selected >= 0 ? live->caret : -1;
    switch (key) {
      case VK_UP:
        target = std::max(0, from - 1);
        break;
      case VK_DOWN:
        target = from + 1;
        break;
      case VK_PRIOR:
        target = std::max(0, from - page);
        break;
      case VK_NEXT:
        target = from < 0 ? page : from + page;
        break;
      case VK_HOME:
        target = 0;
        break;
      case VK_END:
        target = live->items.Count() - 1;
        break;
      default:
        return;
    }
  }
  target = std::clamp(target, 0, live->items.Count() - 1);
  Select(hwnd, *live, target);
  Notify(hwnd, LBN_SELCHANGE);
}

LRESULT AddLine(HWND hwnd, ListBoxState& s, LPARAM lParam, int insertAt, bool insert) {
  ListItems::Item item;
  if (HasStrings(hwnd)) {
    const char* text = reinterpret_cast<const char*>(lParam);
    item.text = text ? text : "";
  } else {
    item.data = static_cast<UINT_PTR>(lParam);
  }
  int index = 0;
  if (insert) {
    std::optional<int> at = s.items.Insert(insertAt, std::move(item));
    if (!at) return LB_ERR;
    index = *at;
  } else {
    index = s.items.Add(std::move(item), (StyleOf(hwnd) & LBS_SORT) && HasStrings(hwnd));
  }
  if (s.selected >= index) ++s.selected;
  if (s.caret >= index && s.items.Count() > 1) ++s.caret;
  Refresh(hwnd, s);
  return index;
}

LRESULT RemoveLine(HWND hwnd, ListBoxState& s, int index) {
  if (!s.items.Valid(index)) return LB_ERR;
  s.items.Remove(index);
  if (s.selected == index) s.selected = -1;
  if (s.selected > index) --s.selected;
  if (s.caret > index || s.caret >= s.items.Count()) s.caret = std::max(0, s.caret - 1);
  s.top = std::clamp(s.top, 0, MaxTop(s, Measure(hwnd, s)));
  Refresh(hwnd, s);
  return s.items.Count();
}

LRESULT CopyText(HWND hwnd, const ListBoxState& s, int index, char* out) {
  if (!s.items.Valid(index) || !out) return LB_ERR;
  const ListItems::Item& item = s.items.At(index);
  if (!HasStrings(hwnd)) {
    std::memcpy(out, &item.data, sizeof item.data);
    return static_cast<LRESULT>(sizeof item.data);
  }
  item.text.copy(out, item.text.size());
  out[item.text.size()] = '\0';
  return static_cast<LRESULT>(item.text.size());
}

void OnCreate(HWND hwnd, const CREATESTRUCT* cs) {
  ListBoxState* s = AttachState(hwnd, std::make_unique<ListBoxState>());
  s->itemHeight = FontHeight(nullptr);
  if (!(cs->style & static_cast<LONG>(LBS_OWNERDRAWFIXED)) || !cs->hwndParent) return;
  MEASUREITEMSTRUCT mis;
  mis.CtlType = ODT_LISTBOX;
  mis.CtlID = static_cast<UINT>(GetDlgCtrlID(hwnd));
  mis.itemWidth = static_cast<UINT>(std::max(0, cs->cx));
  mis.itemHeight = static_cast<UINT>(s->itemHeight);
  SendMessage(cs->hwndParent, WM_MEASUREITEM, mis.CtlID, reinterpret_cast<LPARAM>(&mis));
  if ((s = StateOf<ListBoxState>(hwnd)) && mis.itemHeight > 0)
    s->itemHeight = static_cast<int>(std::min<UINT>(mis.itemHeight, kMaxItemHeight));
}

}  // namespace

LRESULT ListBoxProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_CREATE) {
    OnCreate(hwnd, reinterpret_cast<const CREATESTRUCT*>(lParam));
    return 0;
  }
  ListBoxState* s = StateOf<ListBoxState>(hwnd);
  if (!s) return DefWindowProc(hwnd, msg, wParam, lParam);
  const POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  const int index = static_cast<int>(static_cast<std::intptr_t>(wParam));
  switch (msg) {
    case WM_NCDESTROY:
      FreeState<ListBoxState>(hwnd);
      return DefWindowProc(hwnd, msg, wParam, lParam);
    case WM_PAINT:
      return PaintControl(
          hwnd, [&](HDC dc) { Paint(hwnd, *s, dc); }, Border::kDraw);
    case WM_ERASEBKGND:
      return 1;
    case WM_SETFONT:
      s->font = reinterpret_cast<HFONT>(wParam);
      if (!OwnerDrawn(hwnd)) s->itemHeight = FontHeight(s->font);
      if (lParam) Refresh(hwnd, *s);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(s->font);
    case WM_ENABLE:
    case WM_SIZE:
      Refresh(hwnd, *s);
      return 0;
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_SETFOCUS:
      Refresh(hwnd, *s);
      NotifyParent(hwnd, LBN_SETFOCUS);
      return 0;
    case WM_KILLFOCUS:
      Refresh(hwnd, *s);
      NotifyParent(hwnd, LBN_KILLFOCUS);
      return 0;
    case WM_LBUTTONDOWN:
      OnButtonDown(hwnd, p);
      return 0;
    case WM_LBUTTONDBLCLK: {
      const Geometry g = Measure(hwnd, *s);
      if (g.hasBar && p.x >= g.bar.left) {
        OnButtonDown(hwnd, p);
      } else {
        Notify(hwnd, LBN_DBLCLK);
      }
      return 0;
    }
    case WM_MOUSEMOVE:
      if (s->bar.Active()) {
        const Geometry g = Measure(hwnd, *s);
        s->bar.Move(LayOutScrollBar(g.bar, true, BarInfo(*s, g)), BarInfo(*s, g), p, BarRequester(hwnd));
      } else if (s->tracking && s->items.Count() > s->top) {
        // Dragging beyond the lines shown keeps the nearest one shown.
        const Geometry g = Measure(hwnd, *s);
        const int last = std::min(s->items.Count(), s->top + g.visible) - 1;
        const int line = std::clamp(s->top + (p.y - g.lines.top) / s->itemHeight, s->top, last);
        if (line != s->selected) Select(hwnd, *s, line);
      }
      return 0;
    case WM_LBUTTONUP:
      if (s->bar.Active()) {
        s->bar.Release(hwnd, BarRequester(hwnd));
        if ((s = StateOf<ListBoxState>(hwnd))) Refresh(hwnd, *s);
      } else if (s->tracking) {
        s->tracking = false;
        if (GetCapture() == hwnd) ReleaseCapture();
        Notify(hwnd, LBN_SELCHANGE);
      }
      return 0;
    case WM_TIMER:
      if (wParam == ScrollTracker::kTimerId && s->bar.Active()) {
        const Geometry g = Measure(hwnd, *s);
        s->bar.Repeat(hwnd, LayOutScrollBar(g.bar, true, BarInfo(*s, g)), BarRequester(hwnd));
      }
      return 0;
    case WM_CAPTURECHANGED:
      if (reinterpret_cast<HWND>(lParam) != hwnd) {
        s->tracking = false;
        s->bar.Cancel(hwnd);
      }
      return 0;
    case WM_MOUSEWHEEL:
      SetTop(hwnd, *s, s->top - GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA * kWheelLines);
      return 0;
    case WM_KEYDOWN:
      OnKeyDown(hwnd, *s, static_cast<UINT>(wParam));
      return 0;
    case WM_CHAR:
      if (HasStrings(hwnd)) {
        if (std::optional<int> line = s->items.FindInitial(static_cast<char>(wParam), s->caret)) {
          Select(hwnd, *s, *line);
          Notify(hwnd, LBN_SELCHANGE);
        }
      }
      return 0;
    case LB_ADDSTRING:
      return AddLine(hwnd, *s, lParam, -1, false);
    case LB_INSERTSTRING:
      return AddLine(hwnd, *s, lParam, index, true);
    case LB_DELETESTRING:
      return RemoveLine(hwnd, *s, index);
    case LB_RESETCONTENT:
      s->items.Clear();
      s->selected = -1;
      s->caret = 0;
      s->top = 0;
      Refresh(hwnd, *s);
      return LB_OKAY;
    case LB_SETCURSEL:
      if (index == -1) {
        Select(hwnd, *s, -1);
        return LB_ERR;
      }
      if (!s->items.Valid(index)) return LB_ERR;
      Select(hwnd, *s, index);
      return index;
    case LB_GETCURSEL:
      return s->selected >= 0 ? s->selected : LB_ERR;
    case LB_GETTEXT:
      return CopyText(hwnd, *s, index, reinterpret_cast<char*>(lParam));
    case LB_GETTEXTLEN:
      if (!s->items.Valid(index)) return LB_ERR;
      return HasStrings(hwnd) ? static_cast<LRESULT>(s->items.At(index).text.size())
                              : static_cast<LRESULT>(sizeof(UINT_PTR));
    case LB_GETCOUNT:
      return s->items.Count();
    case LB_GETTOPINDEX:
      return s->top;
    case LB_SETTOPINDEX:
      if (!s->items.Valid(index)) return LB_ERR;
      SetTop(hwnd, *s, index);
      return LB_OKAY;
    case LB_GETITEMRECT: {
      auto* out = reinterpret_cast<RECT*>(lParam);
      if (!out || !s->items.Valid(index)) return LB_ERR;
      *out = ItemRect(*s, Measure(hwnd, *s), index);
      return 1;
    }
    case LB_GETITEMDATA:
      return s->items.Valid(index) ? static_cast<LRESULT>(s->items.At(index).data) : LB_ERR;
    case LB_SETITEMDATA:
      if (!s->items.Valid(index)) return LB_ERR;
      s->items.SetData(index, static_cast<UINT_PTR>(lParam));
      return LB_OKAY;
    case LB_SETITEMHEIGHT: {
      const int height = LOWORD(static_cast<std::uintptr_t>(lParam));
      if (height < 1 || height > kMaxItemHeight) return LB_ERR;
      s->itemHeight = height;
      Refresh(hwnd, *s);
      return LB_OKAY;
    }
    case LB_GETITEMHEIGHT:
      return s->itemHeight;
    default:
      return DefWindowProc(hwnd, msg, wParam, lParam);
  }
}

}  // namespace plat::dialog_impl
