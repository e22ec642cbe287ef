// DCs on windows: they draw onto the screen at the window's client origin,
// inside its client area.

#include "platform/gdi/dc.h"
#include "platform/gdi/gdi_impl.h"
#include "platform/user/paint.h"
#include "platform/user/window.h"

namespace plat {
namespace {

using gdi_impl::FindDC;
using gdi_impl::IntersectRects;
using gdi_impl::NewDC;

// The client area on the screen.
RECT ScreenClientRect(HWND hwnd) {
  RECT client;
  GetClientRect(hwnd, &client);
  POINT origin{0, 0};
  ClientToScreen(hwnd, &origin);
  return RECT{origin.x, origin.y, origin.x + client.right, origin.y + client.bottom};
}

HDC__* MakeWindowDC(HWND hwnd) {
  if (hwnd && !IsWindow(hwnd)) return nullptr;
  HDC__* dc = NewDC(HDC__::Kind::kWindow);
  dc->window = hwnd;
  if (!hwnd) return dc;
  ClientToScreen(hwnd, &dc->origin);
  dc->clipped = true;
  dc->clip = ScreenClientRect(hwnd);
  // A child shows only through its parents' client areas.
  for (HWND w = hwnd; (GetWindowLong(w, GWL_STYLE) & static_cast<LONG>(WS_CHILD)) && GetParent(w);) {
    w = GetParent(w);
    dc->clip = IntersectRects(dc->clip, ScreenClientRect(w));
  }
  if (!IsWindowVisible(hwnd) || IsWindowUpdateLocked(hwnd)) dc->clip = RECT{0, 0, 0, 0};
  for (const RECT& child : ClippedChildren(hwnd)) {
    const RECT hole = IntersectRects(child, dc->clip);
    if (!gdi_impl::IsEmptyRect(hole)) dc->holes.push_back(hole);
  }
  std::vector<RECT> covering;
  CoveringWindows(hwnd, covering);
  for (const RECT& above : covering) {
    const RECT hole = IntersectRects(above, dc->clip);
    if (!gdi_impl::IsEmptyRect(hole)) dc->holes.push_back(hole);
  }
  return dc;
}

}  // namespace

HDC GetDC(HWND hwnd) { return MakeWindowDC(hwnd); }

int ReleaseDC(HWND hwnd, HDC hdc) {
  HDC__* dc = FindDC(hdc);
  if (!dc || dc->kind != HDC__::Kind::kWindow || dc->window != hwnd) return 0;
  gdi_impl::FreeDC(dc);
  return 1;
}

HDC GetPaintDC(HWND hwnd, const RECT& paint) {
  HDC__* dc = MakeWindowDC(hwnd);
  if (!dc || !hwnd) return dc;
  const RECT onScreen{paint.left + dc->origin.x, paint.top + dc->origin.y, paint.right + dc->origin.x,
                      paint.bottom + dc->origin.y};
  dc->clip = IntersectRects(dc->clip, onScreen);
  return dc;
}

void ReleasePaintDC(HWND hwnd, HDC hdc) { ReleaseDC(hwnd, hdc); }

}  // namespace plat
