#pragma once
// Update regions and painting. A window's update region is kept as one
// rectangle (the bounding box of what was invalidated), in client coordinates.
// Called from the program's thread only.
//
// Device contexts come from the GDI layer (platform/gdi/), which defines
// GetPaintDC and ReleasePaintDC in a file of their own: BeginPaint asks it for a
// DC on the window's client area clipped to the paint rectangle, and EndPaint
// gives it back. This layer only keeps the update region and PAINTSTRUCT.

#include <vector>

#include "platform/core/types.h"

namespace plat {

struct PAINTSTRUCT {
  HDC hdc = nullptr;
  BOOL fErase = FALSE;  // TRUE when WM_ERASEBKGND left the background unerased
  RECT rcPaint;         // the update rectangle BeginPaint took over
};

// Adds `rect` (client coordinates; null = the whole client area) to the update
// region; `erase` asks for WM_ERASEBKGND at the next BeginPaint. Children are
// invalidated too unless the window has WS_CLIPCHILDREN. A null window
// invalidates every top-level window.
BOOL InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase);
// Takes `rect` (null = all) out of the update region.
BOOL ValidateRect(HWND hwnd, const RECT* rect);
// TRUE when the update region is not empty; `rect` (may be null) receives its
// bounding rectangle, or an empty one.
BOOL GetUpdateRect(HWND hwnd, RECT* rect, BOOL erase);
// Sends WM_ERASEBKGND when an erase is pending, fills `ps` and validates the
// window. Returns the DC (null when the GDI layer gave none).
HDC BeginPaint(HWND hwnd, PAINTSTRUCT* ps);
BOOL EndPaint(HWND hwnd, const PAINTSTRUCT* ps);
// Sends WM_PAINT now to the window and its children that need painting.
BOOL UpdateWindow(HWND hwnd);
// While a window is locked, neither it nor its descendants receive WM_PAINT;
// their update regions keep growing and are painted after the unlock. One
// window at a time: FALSE when another is locked. Null unlocks.
BOOL LockWindowUpdate(HWND hwnd);
// Whether painting of the window is held back by LockWindowUpdate (for the GDI
// layer, whose window DCs then draw nothing).
bool IsWindowUpdateLocked(HWND hwnd);

// The screen rectangles of the visible children that the drawing of a window
// with WS_CLIPCHILDREN leaves alone (its DCs, a clipper bound to it); empty for
// a window without the style.
std::vector<RECT> ClippedChildren(HWND hwnd);
// The same into `out` (emptied first), whose room is kept for the next call.
void ClippedChildren(HWND hwnd, std::vector<RECT>& out);
// The screen rectangles of the visible top-level windows above the window's
// own top-level window, which its drawing leaves alone.
void CoveringWindows(HWND hwnd, std::vector<RECT>& out);

// Defined by the GDI layer: a DC on the client area of `hwnd`, clipped to
// `paint` (client coordinates), and its release.
HDC GetPaintDC(HWND hwnd, const RECT& paint);
void ReleasePaintDC(HWND hwnd, HDC hdc);

}  // namespace plat
