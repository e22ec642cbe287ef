#include "platform/dialog/classic.h"

#include <algorithm>
#include <map>

#include "platform/gdi/dc.h"
#include "platform/gdi/shapes.h"
#include "platform/gdi/text.h"
#include "platform/user/system.h"
#include "platform/user/window.h"

namespace plat::dialog_impl {

namespace {

void Line(HDC dc, LONG left, LONG top, LONG right, LONG bottom, COLORREF colour) {
  RECT r{left, top, right, bottom};
  FillSolid(dc, r, colour);
}

}  // namespace

HBRUSH SolidBrush(COLORREF colour) {
  // Brushes are GDI objects that outlive any window, so one per colour is kept
  // for the program's life rather than made and deleted at every paint.
  static std::map<COLORREF, HBRUSH> brushes;
  auto it = brushes.find(colour);
  if (it != brushes.end()) return it->second;
  HBRUSH b = CreateSolidBrush(colour);
  brushes.emplace(colour, b);
  return b;
}

HBRUSH SysBrush(int colourIndex) { return SolidBrush(GetSysColor(colourIndex)); }

void FillSolid(HDC dc, const RECT& rect, COLORREF colour) {
  if (rect.right <= rect.left || rect.bottom <= rect.top) return;
  FillRect(dc, &rect, SolidBrush(colour));
}

RECT DrawEdge(HDC dc, RECT r, Edge edge) {
  COLORREF outerTL = 0, outerBR = 0, innerTL = 0, innerBR = 0;
  switch (edge) {
    case Edge::kRaised:
      outerTL = GetSysColor(COLOR_BTNHIGHLIGHT);
      outerBR = GetSysColor(COLOR_3DDKSHADOW);
      innerTL = GetSysColor(COLOR_3DLIGHT);
      innerBR = GetSysColor(COLOR_BTNSHADOW);
      break;
    case Edge::kPushed:
      outerTL = outerBR = GetSysColor(COLOR_3DDKSHADOW);
      innerTL = innerBR = GetSysColor(COLOR_BTNSHADOW);
      break;
    case Edge::kSunken:
      outerTL = GetSysColor(COLOR_BTNSHADOW);
      outerBR = GetSysColor(COLOR_BTNHIGHLIGHT);
      innerTL = GetSysColor(COLOR_3DDKSHADOW);
      innerBR = GetSysColor(COLOR_3DLIGHT);
      break;
    case Edge::kEtched:
      outerTL = GetSysColor(COLOR_BTNSHADOW);
      outerBR = GetSysColor(COLOR_BTNHIGHLIGHT);
      innerTL = GetSysColor(COLOR_BTNHIGHLIGHT);
      innerBR = GetSysColor(COLOR_BTNSHADOW);
      break;
  }
  for (int ring = 0; ring < 2 && r.right - r.left >= 2 && r.bottom - r.top >= 2; ++ring) {
    const COLORREF tl = ring == 0 ? outerTL : innerTL;
    const COLORREF br = ring == 0 ? outerBR : innerBR;
    Line(dc, r.left, r.top, r.right - 1, r.top + 1, tl);
    Line(dc, r.left, r.top, r.left + 1, r.bottom - 1, tl);
    Line(dc, r.left, r.bottom - 1, r.right, r.bottom, br);
    Line(dc, r.right - 1, r.top, r.right, r.bottom, br);
    r = RECT{r.left + 1, r.top + 1, r.right - 1, r.bottom - 1};
  }
  return r;
}

void DrawFrame(HDC dc, const RECT& r, COLORREF colour) {
  if (r.right <= r.left || r.bottom <= r.top) return;
  FrameRect(dc, &r, SolidBrush(colour));
}

void DrawFocusRect(HDC dc, const RECT& r) {
  const COLORREF c = GetSysColor(COLOR_WINDOWTEXT);
  for (LONG x = r.left; x < r.right; x += 2) {
    Line(dc, x, r.top, x + 1, r.top + 1, c);
    Line(dc, x, r.bottom - 1, x + 1, r.bottom, c);
  }
  for (LONG y = r.top; y < r.bottom; y += 2) {
    Line(dc, r.left, y, r.left + 1, y + 1, c);
    Line(dc, r.right - 1, y, r.right, y + 1, c);
  }
}

void DrawArrow(HDC dc, const RECT& r, Arrow direction, COLORREF colour) {
  const LONG w = r.right - r.left, h = r.bottom - r.top;
  const bool vertical = direction == Arrow::kUp || direction == Arrow::kDown;
  // Half the base of the triangle; the height is one more than that.
  const LONG half = std::max<LONG>(1, std::min(vertical ? w : h, (vertical ? h : w) * 2) / 4);
  const LONG cx = r.left + w / 2, cy = r.top + h / 2;
  for (LONG i = 0; i <= half; ++i) {
    // Row i runs from the tip (i = 0, one pixel) to the base (i = half).
    switch (direction) {
      case Arrow::kUp:
        Line(dc, cx - i, cy - half / 2 + i, cx + i + 1, cy - half / 2 + i + 1, colour);
        break;
      case Arrow::kDown:
        Line(dc, cx - i, cy + half / 2 - i, cx + i + 1, cy + half / 2 - i + 1, colour);
        break;
      case Arrow::kLeft:
        Line(dc, cx - half / 2 + i, cy - i, cx - half / 2 + i + 1, cy + i + 1, colour);
        break;
      case Arrow::kRight:
        Line(dc, cx + half / 2 - i, cy - i, cx + half / 2 - i + 1, cy + i + 1, colour);
        break;
    }
  }
}

void DrawCheckMark(HDC dc, const RECT& r, COLORREF colour) {
  // Seven columns: three falling, four rising, each three pixels high.
  const LONG x = r.left + (r.right - r.left - 7) / 2, y = r.top + (r.bottom - r.top - 7) / 2;
  static constexpr int kTop[7] = {2, 3, 4, 3, 2, 1, 0};
  for (int i = 0; i < 7; ++i) Line(dc, x + i, y + kTop[i], x + i + 1, y + kTop[i] + 3, colour);
}

void DrawWindowBorder(HWND hwnd) {
  const LONG style = GetWindowLong(hwnd, GWL_STYLE);
  const LONG exStyle = GetWindowLong(hwnd, GWL_EXSTYLE);
  const bool border = (style & static_cast<LONG>(WS_BORDER)) != 0;
  const bool clientEdge = (exStyle & static_cast<LONG>(WS_EX_CLIENTEDGE)) != 0;
  const bool staticEdge = (exStyle & static_cast<LONG>(WS_EX_STATICEDGE)) != 0;
  if ((!border && !clientEdge && !staticEdge) || !IsWindowVisible(hwnd)) return;
  HWND parent = (style & static_cast<LONG>(WS_CHILD)) ? GetParent(hwnd) : nullptr;
  RECT r;
  GetWindowRect(hwnd, &r);
  POINT corners[2] = {{r.left, r.top}, {r.right, r.bottom}};
  if (parent) MapWindowPoints(nullptr, parent, corners, 2);
  r = RECT{corners[0].x, corners[0].y, corners[1].x, corners[1].y};
  HDC dc = GetDC(parent);
  if (!dc) return;
  if (border) {
    DrawFrame(dc, r, GetSysColor(COLOR_WINDOWFRAME));
    r = RECT{r.left + 1, r.top + 1, r.right - 1, r.bottom - 1};
  }
  if (clientEdge) r = DrawEdge(dc, r, Edge::kSunken);
  if (staticEdge) DrawFrame(dc, r, GetSysColor(COLOR_BTNSHADOW));
  ReleaseDC(parent, dc);
}

HFONT GuiFont() { return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)); }

SIZE FontCharSize(HFONT font) {
  SIZE out{8, 16};
  HDC dc = CreateCompatibleDC(nullptr);
  if (!dc) return out;
  if (font) SelectObject(dc, font);
  static constexpr char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  SIZE extent;
  TEXTMETRIC tm;
  if (GetTextExtentPoint32(dc, kLetters, 52, &extent) && GetTextMetrics(dc, &tm)) {
    out.cx = std::max<LONG>(1, (extent.cx / 26 + 1) / 2);
    out.cy = std::max<LONG>(1, tm.tmHeight);
  }
  DeleteDC(dc);
  return out;
}

int FontHeight(HFONT font) {
  HDC dc = CreateCompatibleDC(nullptr);
  if (!dc) return 16;
  if (font) SelectObject(dc, font);
  TEXTMETRIC tm;
  const int h = GetTextMetrics(dc, &tm) ? static_cast<int>(tm.tmHeight) : 16;
  DeleteDC(dc);
  return std::max(1, h);
}

}  // namespace plat::dialog_impl
