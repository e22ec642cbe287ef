// The "Button" class.

#include "platform/dialog/button.h"

#include <memory>
#include <string>

#include "platform/dialog/classic.h"
#include "platform/dialog/controls_impl.h"
#include "platform/dialog/dialog.h"
#include "platform/dialog/dialog_impl.h"
#include "platform/dialog/ownerdraw.h"
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

constexpr int kBoxSize = 13;
constexpr int kTextGap = 4;

struct ButtonState {
  HFONT font = nullptr;
  WPARAM check = BST_UNCHECKED;
  bool pushed = false;
  bool tracking = false;  // the mouse is held after a press on the button
  bool spaceDown = false;
};

DWORD TypeOf(HWND hwnd) { return static_cast<DWORD>(GetWindowLong(hwnd, GWL_STYLE)) & BS_TYPEMASK; }

bool IsCheckable(DWORD type) {
  return type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON;
}
bool IsRadio(DWORD type) { return type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON; }

void DrawText1(HDC dc, HWND hwnd, RECT r, UINT format) {
  char text[256];
  GetWindowText(hwnd, text, sizeof text);
  SetBkMode(dc, TRANSPARENT);
  if (!IsWindowEnabled(hwnd)) SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
  DrawText(dc, text, -1, &r, format);
}

void PaintPush(HWND hwnd, const ButtonState& s, HDC dc, RECT r) {
  HBRUSH brush = ControlColours(hwnd, dc, WM_CTLCOLORBTN);
  FillRect(dc, &r, brush);
  if (TypeOf(hwnd) == BS_DEFPUSHBUTTON) {
    DrawFrame(dc, r, GetSysColor(COLOR_WINDOWFRAME));
    r = RECT{r.left + 1, r.top + 1, r.right - 1, r.bottom - 1};
  }
  RECT inner = DrawEdge(dc, r, s.pushed ? Edge::kPushed : Edge::kRaised);
  RECT text = inner;
  if (s.pushed) text = RECT{text.left + 1, text.top + 1, text.right + 1, text.bottom + 1};
  DrawText1(dc, hwnd, text, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  if (HasFocus(hwnd)) DrawFocusRect(dc, RECT{inner.left + 2, inner.top + 2, inner.right - 2, inner.bottom - 2});
}

void PaintCheck(HWND hwnd, const ButtonState& s, HDC dc, const RECT& r) {
  HBRUSH brush = ControlColours(hwnd, dc, WM_CTLCOLORSTATIC);
  FillRect(dc, &r, brush);
  const LONG top = r.top + (r.bottom - r.top - kBoxSize) / 2;
  RECT box{r.left, top, r.left + kBoxSize, top + kBoxSize};
  const COLORREF field = (s.pushed || !IsWindowEnabled(hwnd)) ? GetSysColor(COLOR_BTNFACE) : GetSysColor(COLOR_WINDOW);
  const COLORREF mark = IsWindowEnabled(hwnd) ? GetSysColor(COLOR_WINDOWTEXT) : GetSysColor(COLOR_GRAYTEXT);
  if (IsRadio(TypeOf(hwnd))) {
    HPEN pen = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW));
    HGDIOBJ oldPen = SelectObject(dc, pen);
    HGDIOBJ oldBrush = SelectObject(dc, SolidBrush(field));
    Ellipse(dc, box.left, box.top, box.right, box.bottom);
    if (s.check == BST_CHECKED) {
      SelectObject(dc, SolidBrush(mark));
      SelectObject(dc, GetStockObject(NULL_PEN));
      Ellipse(dc, box.left + 4, box.top + 4, box.right - 4, box.bottom - 4);
    }
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(pen);
  } else {
    RECT inside = DrawEdge(dc, box, Edge::kSunken);
    FillSolid(dc, inside, field);
    if (s.check == BST_CHECKED) DrawCheckMark(dc, inside, mark);
  }
  RECT text{box.right + kTextGap, r.top, r.right, r.bottom};
  DrawText1(dc, hwnd, text, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
  if (HasFocus(hwnd)) {
    RECT calc = text;
    char label[256];
    GetWindowText(hwnd, label, sizeof label);
    DrawText(dc, label, -1, &calc, DT_LEFT | DT_SINGLELINE | DT_CALCRECT);
    const LONG h = calc.bottom - calc.top;
    const LONG y = r.top + (r.bottom - r.top - h) / 2;
    DrawFocusRect(dc, RECT{text.left - 1, y - 1, calc.right + 1, y + h + 1});
  }
}

void PaintGroup(HWND hwnd, HDC dc, const RECT& r) {
  char label[256];
  GetWindowText(hwnd, label, sizeof label);
  SIZE size{0, 0};
  GetTextExtentPoint32(dc, label, static_cast<int>(std::char_traits<char>::length(label)), &size);
  HBRUSH brush = ControlColours(hwnd, dc, WM_CTLCOLORSTATIC);
  DrawEdge(dc, RECT{r.left, r.top + size.cy / 2, r.right, r.bottom}, Edge::kEtched);
  if (label[0]) {
    RECT text{r.left + 8, r.top, r.left + 8 + size.cx + 4, r.top + size.cy};
    FillRect(dc, &text, brush);
    DrawText1(dc, hwnd, RECT{text.left + 2, text.top, text.right, text.bottom}, DT_LEFT | DT_SINGLELINE);
  }
}

void Paint(HWND hwnd, const ButtonState& s, HDC dc, UINT action) {
  RECT r;
  GetClientRect(hwnd, &r);
  const DWORD type = TypeOf(hwnd);
  if (type == BS_OWNERDRAW) {
    DRAWITEMSTRUCT dis;
    dis.CtlType = ODT_BUTTON;
    dis.CtlID = static_cast<UINT>(GetDlgCtrlID(hwnd));
    dis.itemAction = action;
    dis.itemState =
        (s.pushed ? ODS_SELECTED : 0) | (HasFocus(hwnd) ? ODS_FOCUS : 0) | (IsWindowEnabled(hwnd) ? 0 : ODS_DISABLED);
    dis.hwndItem = hwnd;
    dis.hDC = dc;
    dis.rcItem = r;
    SendMessage(GetParent(hwnd), WM_DRAWITEM, dis.CtlID, reinterpret_cast<LPARAM>(&dis));
    return;
  }
  HGDIOBJ oldFont = s.font ? SelectObject(dc, s.font) : nullptr;
  if (type == BS_GROUPBOX) {
    PaintGroup(hwnd, dc, r);
  } else if (IsCheckable(type)) {
    PaintCheck(hwnd, s, dc, r);
  } else {
    PaintPush(hwnd, s, dc, r);
  }
  if (oldFont) SelectObject(dc, oldFont);
}

// Draws at once, as a press must be seen (and an owner told) before the
// release arrives.
void DrawNow(HWND hwnd, const ButtonState& s, UINT action) {
  if (!IsWindowVisible(hwnd)) return;
  HDC dc = GetDC(hwnd);
  Paint(hwnd, s, dc, action);
  ReleaseDC(hwnd, dc);
}

void SetPushed(HWND hwnd, ButtonState& s, bool pushed) {
  if (s.pushed == pushed) return;
  s.pushed = pushed;
  DrawNow(hwnd, s, ODA_SELECT);
}

void SetCheck(HWND hwnd, ButtonState& s, WPARAM check) {
  const DWORD type = TypeOf(hwnd);
  if (!IsCheckable(type)) return;
  check = check == BST_CHECKED ? BST_CHECKED : BST_UNCHECKED;
  if (IsRadio(type)) {
    const LONG style = GetWindowLong(hwnd, GWL_STYLE);
    const LONG tab = static_cast<LONG>(WS_TABSTOP);
    SetWindowLong(hwnd, GWL_STYLE, check == BST_CHECKED ? (style | tab) : (style & ~tab));
  }
  if (s.check == check) return;
  s.check = check;
  InvalidateRect(hwnd, nullptr, TRUE);
}

void ClearOtherRadios(HWND hwnd) {
  for (HWND sibling : GroupOf(hwnd)) {
    if (sibling == hwnd || GetClassLongPtr(sibling, GCLP_WNDPROC) != reinterpret_cast<LONG_PTR>(&ButtonProc)) continue;
    if (TypeOf(sibling) == BS_AUTORADIOBUTTON) SendMessage(sibling, BM_SETCHECK, BST_UNCHECKED, 0);
  }
}

void Click(HWND hwnd, ButtonState& s) {
  const DWORD type = TypeOf(hwnd);
  if (type == BS_AUTOCHECKBOX) SetCheck(hwnd, s, s.check == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED);
  if (type == BS_AUTORADIOBUTTON) {
    SetCheck(hwnd, s, BST_CHECKED);
    ClearOtherRadios(hwnd);
  }
  NotifyParent(hwnd, BN_CLICKED);
}

LRESULT DialogCode(HWND hwnd) {
  switch (TypeOf(hwnd)) {
    case BS_PUSHBUTTON:
      return DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON;
    case BS_DEFPUSHBUTTON:
      return DLGC_BUTTON | DLGC_DEFPUSHBUTTON;
    case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON:
      return DLGC_BUTTON | DLGC_RADIOBUTTON;
    case BS_GROUPBOX:
      return DLGC_STATIC;
    default:
      return DLGC_BUTTON;
  }
}

bool Inside(HWND hwnd, LPARAM lParam) {
  RECT r;
  GetClientRect(hwnd, &r);
  const LONG x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
  return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

}  // namespace

LRESULT ButtonProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_CREATE) {
    AttachState(hwnd, std::make_unique<ButtonState>());
    return 0;
  }
  ButtonState* s = StateOf<ButtonState>(hwnd);
  if (!s) return DefWindowProc(hwnd, msg, wParam, lParam);
  const DWORD type = TypeOf(hwnd);
  switch (msg) {
    case WM_NCDESTROY:
      FreeState<ButtonState>(hwnd);
      return DefWindowProc(hwnd, msg, wParam, lParam);
    case WM_PAINT:
      return PaintControl(
          hwnd, [&](HDC dc) { Paint(hwnd, *s, dc, ODA_DRAWENTIRE); }, Border::kDraw);
    case WM_ERASEBKGND:
      if (type == BS_OWNERDRAW) {
        HDC dc = reinterpret_cast<HDC>(wParam);
        RECT r;
        GetClientRect(hwnd, &r);
        FillRect(dc, &r, ControlColours(hwnd, dc, WM_CTLCOLORBTN));
      }
      return 1;
    case WM_SETTEXT: {
      const LRESULT r = DefWindowProc(hwnd, msg, wParam, lParam);
      InvalidateRect(hwnd, nullptr, TRUE);
      return r;
    }
    case WM_SETFONT:
      s->font = reinterpret_cast<HFONT>(wParam);
      if (lParam) InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(s->font);
    case WM_ENABLE:
      InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    case WM_GETDLGCODE:
      return DialogCode(hwnd);
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      if (msg == WM_KILLFOCUS) {
        s->spaceDown = false;
        if (s->tracking) {
          s->tracking = false;
          if (GetCapture() == hwnd) ReleaseCapture();
        }
        s->pushed = false;
      }
      DrawNow(hwnd, *s, ODA_FOCUS);
      return 0;
    case WM_LBUTTONDBLCLK:
      if (type == BS_OWNERDRAW || IsRadio(type)) {
        NotifyParent(hwnd, BN_DOUBLECLICKED);
        return 0;
      }
      [[fallthrough]];
    case WM_LBUTTONDOWN:
      if (type == BS_GROUPBOX) return 0;
      SetCapture(hwnd);
      SetFocus(hwnd);
      if (!IsWindow(hwnd) || !(s = StateOf<ButtonState>(hwnd))) return 0;
      s->tracking = true;
      SetPushed(hwnd, *s, true);
      return 0;
    case WM_MOUSEMOVE:
      if (s->tracking) SetPushed(hwnd, *s, Inside(hwnd, lParam));
      return 0;
    case WM_LBUTTONUP: {
      if (!s->tracking) return 0;
      s->tracking = false;
      const bool clicked = s->pushed && Inside(hwnd, lParam);
      SetPushed(hwnd, *s, false);
      if (GetCapture() == hwnd) ReleaseCapture();
      if (clicked) Click(hwnd, *s);
      return 0;
    }
    case WM_CAPTURECHANGED:
      if (s->tracking) {
        s->tracking = false;
        SetPushed(hwnd, *s, false);
      }
      return 0;
    case WM_KEYDOWN:
      if (wParam == VK_SPACE && type != BS_GROUPBOX && !s->spaceDown) {
        s->spaceDown = true;
        SetPushed(hwnd, *s, true);
      }
      return 0;
    case WM_KEYUP:
      if (wParam == VK_SPACE && s->spaceDown) {
        s->spaceDown = false;
        SetPushed(hwnd, *s, false);
        Click(hwnd, *s);
      }
      return 0;
    case BM_GETCHECK:
      return static_cast<LRESULT>(s->check);
    case BM_SETCHECK:
      SetCheck(hwnd, *s, wParam);
      return 0;
    case BM_GETSTATE:
      return static_cast<LRESULT>(s->check | (s->pushed ? BST_PUSHED : 0) | (HasFocus(hwnd) ? BST_FOCUS : 0));
    case BM_SETSTATE:
      SetPushed(hwnd, *s, wParam != 0);
      return 0;
    case BM_SETSTYLE: {
      const LONG style = GetWindowLong(hwnd, GWL_STYLE);
      SetWindowLong(hwnd, GWL_STYLE,
                    (style & ~static_cast<LONG>(BS_TYPEMASK)) | static_cast<LONG>(wParam & BS_TYPEMASK));
      if (lParam) InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    }
    case BM_CLICK:
      if (IsWindowEnabled(hwnd) && type != BS_GROUPBOX) {
        SendMessage(hwnd, WM_LBUTTONDOWN, 0, 0);
        if (IsWindow(hwnd)) SendMessage(hwnd, WM_LBUTTONUP, 0, 0);
      }
      return 0;
    default:
      return DefWindowProc(hwnd, msg, wParam, lParam);
  }
}

}  // namespace plat::dialog_impl
