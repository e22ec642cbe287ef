// The "Static" class.

#include "platform/dialog/static.h"

#include <memory>
#include <string>

#include "platform/dialog/classic.h"
#include "platform/dialog/controls_impl.h"
#include "platform/dialog/dialog.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/shapes.h"
#include "platform/gdi/text.h"
#include "platform/user/paint.h"
#include "platform/user/queue.h"

namespace plat::dialog_impl {

namespace {

struct StaticState {
  HFONT font = nullptr;
  bool hollow = false;  // the last background brush was the hollow one
};

void PaintText(HWND hwnd, StaticState& s, HDC dc, const RECT& r, DWORD style) {
  HBRUSH brush = ControlColours(hwnd, dc, WM_CTLCOLORSTATIC);
  s.hollow = IsHollow(brush);
  FillRect(dc, &r, brush);
  HGDIOBJ oldFont = s.font ? SelectObject(dc, s.font) : nullptr;
  const DWORD type = style & SS_TYPEMASK;
  UINT format = 0;
  if (type == SS_CENTER) format |= DT_CENTER | DT_WORDBREAK;
  if (type == SS_RIGHT) format |= DT_RIGHT | DT_WORDBREAK;
  if (type == SS_LEFT) format |= DT_LEFT | DT_WORDBREAK;
  if (type == SS_SIMPLE || type == SS_LEFTNOWORDWRAP) format |= DT_LEFT | DT_SINGLELINE;
  if (style & SS_NOPREFIX) format |= DT_NOPREFIX;
  if (!IsWindowEnabled(hwnd)) SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
  SetBkMode(dc, TRANSPARENT);
  const int length = GetWindowTextLength(hwnd);
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  GetWindowText(hwnd, text.data(), length + 1);
  RECT box = r;
  DrawText(dc, text.c_str(), length, &box, format);
  if (oldFont) SelectObject(dc, oldFont);
}

void Paint(HWND hwnd, StaticState& s, HDC dc) {
  RECT r;
  GetClientRect(hwnd, &r);
  const DWORD style = static_cast<DWORD>(GetWindowLong(hwnd, GWL_STYLE));
  switch (style & SS_TYPEMASK) {
    case SS_BLACKRECT:
      FillSolid(dc, r, GetSysColor(COLOR_WINDOWFRAME));
      break;
    case SS_GRAYRECT:
      FillSolid(dc, r, GetSysColor(COLOR_BTNSHADOW));
      break;
    case SS_WHITERECT:
      FillSolid(dc, r, GetSysColor(COLOR_BTNHIGHLIGHT));
      break;
    case SS_BLACKFRAME:
      DrawFrame(dc, r, GetSysColor(COLOR_WINDOWFRAME));
      break;
    case SS_GRAYFRAME:
      DrawFrame(dc, r, GetSysColor(COLOR_BTNSHADOW));
      break;
    case SS_WHITEFRAME:
      DrawFrame(dc, r, GetSysColor(COLOR_BTNHIGHLIGHT));
      break;
    case SS_ETCHEDFRAME:
      DrawEdge(dc, r, Edge::kEtched);
      break;
    default:
      PaintText(hwnd, s, dc, r, style);
      break;
  }
}

}  // namespace

LRESULT StaticProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_CREATE) {
    AttachState(hwnd, std::make_unique<StaticState>());
    return 0;
  }
  StaticState* s = StateOf<StaticState>(hwnd);
  if (!s) return DefWindowProc(hwnd, msg, wParam, lParam);
  switch (msg) {
    case WM_NCDESTROY:
      FreeState<StaticState>(hwnd);
      return DefWindowProc(hwnd, msg, wParam, lParam);
    case WM_PAINT:
      return PaintControl(
          hwnd, [&](HDC dc) { Paint(hwnd, *s, dc); }, Border::kDraw);
    case WM_ERASEBKGND:
      return 1;
    case WM_SETTEXT: {
      const LRESULT r = DefWindowProc(hwnd, msg, wParam, lParam);
      RefreshControl(hwnd, s->hollow);
      return r;
    }
    case WM_SETFONT:
      s->font = reinterpret_cast<HFONT>(wParam);
      if (lParam) InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(s->font);
    case WM_ENABLE:
      RefreshControl(hwnd, s->hollow);
      return 0;
    case WM_GETDLGCODE:
      return DLGC_STATIC;
    default:
      return DefWindowProc(hwnd, msg, wParam, lParam);
  }
}

}  // namespace plat::dialog_impl
