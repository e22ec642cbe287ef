#pragma once
// The "ListBox" class: a single-selection list of lines, standard or
// owner-drawn with one fixed line height.
//
// Standard lines are strings drawn in the list's colours (WM_CTLCOLORLISTBOX
// brush and text colour; the selected line in the highlight colours).
// Owner-drawn lists (LBS_OWNERDRAWFIXED) ask their parent for the line height
// with WM_MEASUREITEM (ODT_LISTBOX) when they are created, and send it
// WM_DRAWITEM for each visible line (itemState ODS_SELECTED for the selected
// line, ODS_FOCUS for the caret line while the list has the focus,
// ODS_DISABLED). Without LBS_HASSTRINGS an owner-drawn list keeps no strings:
// what LB_ADDSTRING is given is the line's item data.
//
// A click selects the line under the cursor; with LBS_NOTIFY the release
// sends WM_COMMAND LBN_SELCHANGE and a double click LBN_DBLCLK. Up, Down,
// Page Up, Page Down, Home and End move the selection (LBN_SELCHANGE with
// LBS_NOTIFY); with LBS_WANTKEYBOARDINPUT each key first goes to the parent as
// WM_VKEYTOITEM (wParam MAKEWPARAM(key, caret line), lParam the list), whose
// answer -2 means done, -1 the usual action, and a line index selects that
// line instead. A typed character selects the next line starting with it.
// The wheel scrolls three lines a notch. With WS_VSCROLL a scroll bar is drawn
// at the right edge while the lines do not all fit. Lines are sorted (without
// regard to case) with LBS_SORT. Setting the selection by message sends no
// notification. Called from the program's thread only.

#include "platform/core/types.h"

namespace plat {

constexpr DWORD LBS_NOTIFY = 0x0001;
constexpr DWORD LBS_SORT = 0x0002;
constexpr DWORD LBS_OWNERDRAWFIXED = 0x0010;
constexpr DWORD LBS_HASSTRINGS = 0x0040;
constexpr DWORD LBS_WANTKEYBOARDINPUT = 0x0400;

constexpr LRESULT LB_OKAY = 0;
constexpr LRESULT LB_ERR = -1;

constexpr UINT LB_ADDSTRING = 0x0180;     // lParam: text (or item data); returns the index
constexpr UINT LB_INSERTSTRING = 0x0181;  // wParam: index, -1 = at the end
constexpr UINT LB_DELETESTRING = 0x0182;  // returns the count left
constexpr UINT LB_RESETCONTENT = 0x0184;
constexpr UINT LB_SETCURSEL = 0x0186;  // wParam: index, -1 = none; LB_ERR for -1 or a bad index
constexpr UINT LB_GETCURSEL = 0x0188;  // LB_ERR when nothing is selected
constexpr UINT LB_GETTEXT = 0x0189;    // wParam index, lParam buffer (LB_GETTEXTLEN + 1 bytes); returns the length
constexpr UINT LB_GETTEXTLEN = 0x018A;
constexpr UINT LB_GETCOUNT = 0x018B;
constexpr UINT LB_GETTOPINDEX = 0x018E;
constexpr UINT LB_SETTOPINDEX = 0x0197;
constexpr UINT LB_GETITEMRECT = 0x0198;  // wParam index, lParam RECT* (client coordinates)
constexpr UINT LB_GETITEMDATA = 0x0199;
constexpr UINT LB_SETITEMDATA = 0x019A;
constexpr UINT LB_SETITEMHEIGHT = 0x01A0;  // lParam: the height (1 to 255)
constexpr UINT LB_GETITEMHEIGHT = 0x01A1;

// Notifications (high word of WM_COMMAND's wParam), with LBS_NOTIFY.
constexpr WORD LBN_SELCHANGE = 1;
constexpr WORD LBN_DBLCLK = 2;
// Sent whatever the style.
constexpr WORD LBN_SETFOCUS = 4;
constexpr WORD LBN_KILLFOCUS = 5;

}  // namespace plat
