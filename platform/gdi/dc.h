#pragma once
// Device contexts: on windows (drawing onto the screen), on surfaces and other
// pixel targets, and memory DCs that draw into a selected DIB section.
//
// A new DC has the stock white brush, black pen and system font selected, black
// text on an opaque white background, text aligned top-left, the current
// position at (0, 0) and no palette of its own. Called from the program's thread only.

#include "platform/core/types.h"
#include "platform/gdi/objects.h"
#include "platform/gdi/pixels.h"

namespace plat {

// GetDeviceCaps indexes and answers.
constexpr int HORZRES = 8;
constexpr int VERTRES = 10;
constexpr int BITSPIXEL = 12;
constexpr int PLANES = 14;
constexpr int RASTERCAPS = 38;
constexpr int RC_BITBLT = 0x0001;
constexpr int RC_DI_BITMAP = 0x0080;
constexpr int RC_PALETTE = 0x0100;
constexpr int RC_DIBTODEV = 0x0200;
constexpr int RC_STRETCHBLT = 0x0800;
constexpr int RC_STRETCHDIB = 0x2000;

// A DC on the client area of `hwnd`, drawing onto the screen (the picture the
// backend presents, which the primary surface also draws into): its origin is the client area's top-left
// corner on the screen and it draws only inside the client area (and inside
// the client areas of the window's parents). A hidden window or one held by
// LockWindowUpdate draws nothing. Null `hwnd`: the whole screen. Null when
// `hwnd` is not a window.
HDC GetDC(HWND hwnd);
// Releases a DC of GetDC; 1 when released, 0 when `hdc` is not one of `hwnd`'s.
int ReleaseDC(HWND hwnd, HDC hdc);

// A memory DC with the capabilities of `reference` (null: the screen). It draws
// into the bitmap selected into it, and nowhere before one is.
HDC CreateCompatibleDC(HDC reference);
// Deletes a memory or target DC (its selected objects go back to being free).
// FALSE for a window DC (use ReleaseDC) or a handle that is not a DC.
BOOL DeleteDC(HDC hdc);

// A DC that draws into `pixels` until it is deleted; for the display layer's
// surfaces, whose memory the caller keeps locked meanwhile.
HDC CreateTargetDC(const PixelTarget& pixels);

// The screen position of the DC's logical (0, 0): the client origin for window
// DCs, (0, 0) for the others.
BOOL GetDCOrgEx(HDC hdc, POINT* origin);

// BITSPIXEL and PLANES of the device (a memory DC answers for the device it was
// made compatible with), RASTERCAPS (RC_PALETTE only on 8-bit devices),
// HORZRES and VERTRES (the device's size in pixels); 0 for other indexes.
int GetDeviceCaps(HDC hdc, int index);

// Selects a pen, brush, font or bitmap (memory DCs only; a bitmap can be in one
// DC at a time) and returns the object it replaces; null on failure. Palettes
// go through SelectPalette.
HGDIOBJ SelectObject(HDC hdc, HGDIOBJ object);

}  // namespace plat
