#pragma once
// The up-down control ("msctls_updown32"): two arrow buttons that step a
// position inside a range, usually shown in a buddy edit field.
//
// A click on an arrow (repeated while held: after 500 ms, every 50 ms, in steps
// of 1, then 5 after 2 s and 20 after 5 s) first reads the buddy's text
// (UDS_SETBUDDYINT), then sends the parent WM_NOTIFY with an NMUPDOWN record
// (code UDN_DELTAPOS, iPos the position, iDelta the step). The parent may
// change iDelta; 0 refuses the step, and so does a nonzero result. Otherwise
// the position moves by iDelta, held in the range (or wrapped round with
// UDS_WRAP), and the buddy shows it (UDS_SETBUDDYINT: decimal, with a ','
// every three digits unless UDS_NOTHOUSANDS). In every case the parent then
// gets WM_VSCROLL (WM_HSCROLL with UDS_HORZ) with MAKEWPARAM(SB_THUMBPOSITION,
// position) and the control as lParam; the release sends SB_ENDSCROLL.
//
// The up arrow steps towards the range's upper value, which may be below the
// lower one: the range starts as lower 100, upper 0. A click gives the focus to
// the buddy. With UDS_ARROWKEYS the buddy's Up and Down keys and its wheel step
// the control too. UDS_AUTOBUDDY takes the window created just before the
// control as its buddy; UDS_ALIGNRIGHT / UDS_ALIGNLEFT put the control at that
// edge inside the buddy, which gives up the room. Called from the program's thread only.

#include "platform/core/types.h"
#include "platform/dialog/commctrl.h"
#include "platform/user/messages.h"

namespace plat {

constexpr DWORD UDS_WRAP = 0x0001;
constexpr DWORD UDS_SETBUDDYINT = 0x0002;
constexpr DWORD UDS_ALIGNRIGHT = 0x0004;
constexpr DWORD UDS_ALIGNLEFT = 0x0008;
constexpr DWORD UDS_AUTOBUDDY = 0x0010;
constexpr DWORD UDS_ARROWKEYS = 0x0020;
constexpr DWORD UDS_HORZ = 0x0040;
constexpr DWORD UDS_NOTHOUSANDS = 0x0080;

constexpr int UD_MAXVAL = 0x7FFF;
constexpr int UD_MINVAL = -UD_MAXVAL;

constexpr UINT UDM_SETRANGE = WM_USER + 101;  // lParam MAKELONG(upper, lower); the position stays
constexpr UINT UDM_GETRANGE = WM_USER + 102;  // MAKELONG(upper, lower)
constexpr UINT UDM_SETPOS = WM_USER + 103;    // lParam low word (signed); returns the old position
// MAKELONG(position, error): error is 1 when the buddy's text is not a number
// of the range (the position then is the last good one).
constexpr UINT UDM_GETPOS = WM_USER + 104;
constexpr UINT UDM_SETBUDDY = WM_USER + 105;  // wParam: the buddy; returns the old one
constexpr UINT UDM_GETBUDDY = WM_USER + 106;

constexpr UINT UDN_DELTAPOS = static_cast<UINT>(-722);

struct NMUPDOWN {
  NMHDR hdr;
  int iPos = 0;
  int iDelta = 0;
};

}  // namespace plat
