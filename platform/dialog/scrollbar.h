#pragma once
// The "ScrollBar" class, and the request codes of WM_VSCROLL / WM_HSCROLL.
//
// A scroll bar control does not move itself: it tells its parent what the user
// asks (WM_VSCROLL for SBS_VERT, WM_HSCROLL otherwise; wParam
// MAKEWPARAM(code, position), lParam the scroll bar) and the parent sets the
// new position. Clicking an arrow asks SB_LINEUP / SB_LINEDOWN, clicking the
// track beside the thumb SB_PAGEUP / SB_PAGEDOWN, both repeated while the
// button is held (after 400 ms, every 50 ms); dragging the thumb asks
// SB_THUMBTRACK with the position under the cursor and SB_THUMBPOSITION on
// release. Every press ends with SB_ENDSCROLL. With the focus, the arrow keys
// ask for lines, Page Up / Page Down for pages and Home / End for SB_TOP /
// SB_BOTTOM. Called from the program's thread only.

#include "platform/core/types.h"

namespace plat {

constexpr DWORD SBS_HORZ = 0x0000;
constexpr DWORD SBS_VERT = 0x0001;

constexpr WORD SB_LINEUP = 0;
constexpr WORD SB_LINELEFT = 0;
constexpr WORD SB_LINEDOWN = 1;
constexpr WORD SB_LINERIGHT = 1;
constexpr WORD SB_PAGEUP = 2;
constexpr WORD SB_PAGELEFT = 2;
constexpr WORD SB_PAGEDOWN = 3;
constexpr WORD SB_PAGERIGHT = 3;
constexpr WORD SB_THUMBPOSITION = 4;
constexpr WORD SB_THUMBTRACK = 5;
constexpr WORD SB_TOP = 6;
constexpr WORD SB_BOTTOM = 7;
constexpr WORD SB_ENDSCROLL = 8;

constexpr UINT SBM_SETPOS = 0x00E0;  // wParam: position (kept in the range); lParam: redraw; returns the old one
constexpr UINT SBM_GETPOS = 0x00E1;
constexpr UINT SBM_SETRANGE = 0x00E2;  // wParam minimum, lParam maximum; the position is kept inside
constexpr UINT SBM_GETRANGE = 0x00E3;  // wParam, lParam: INT* receiving minimum and maximum

}  // namespace plat
