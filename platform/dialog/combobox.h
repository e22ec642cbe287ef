#pragma once
// The "ComboBox" class as a drop-down list (CBS_DROPDOWNLIST; the other kinds
// behave the same): a field showing the selected line and a button; a click or
// F4 or Alt+Down opens the list below it.
//
// The height given at creation (or to MoveWindow) is the field plus the open
// list; the window itself keeps the field's height. While the list is open the
// combo holds the mouse: moving over it marks a line, a click (or Enter) takes
// the marked line and closes it, a click elsewhere (or Escape) closes it and
// keeps the old selection; Up and Down move the mark. With the list closed, Up,
// Down, Home, End, the wheel and a typed first letter change the selection at
// once. Notifications to the parent (WM_COMMAND): CBN_DROPDOWN before opening;
// on closing CBN_SELENDOK or CBN_SELENDCANCEL, then CBN_CLOSEUP, then
// CBN_SELCHANGE when the selection changed; CBN_SELCHANGE whenever the user
// changes the selection otherwise (never for CB_SETCURSEL); CBN_SETFOCUS and
// CBN_KILLFOCUS. The field's colours come from WM_CTLCOLOREDIT, the open
// list's from WM_CTLCOLORLISTBOX, both asked of the combo's parent. Called from the program's thread only.

#include "platform/core/types.h"

namespace plat {

constexpr DWORD CBS_DROPDOWNLIST = 0x0003;
constexpr DWORD CBS_SORT = 0x0100;

constexpr LRESULT CB_OKAY = 0;
constexpr LRESULT CB_ERR = -1;

constexpr UINT CB_ADDSTRING = 0x0143;  // lParam: text; returns the index
constexpr UINT CB_DELETESTRING = 0x0144;
constexpr UINT CB_GETCOUNT = 0x0146;
constexpr UINT CB_GETCURSEL = 0x0147;
constexpr UINT CB_GETLBTEXT = 0x0148;  // wParam index, lParam buffer; returns the length
constexpr UINT CB_GETLBTEXTLEN = 0x0149;
constexpr UINT CB_INSERTSTRING = 0x014A;
constexpr UINT CB_RESETCONTENT = 0x014B;
constexpr UINT CB_SETCURSEL = 0x014E;     // wParam: index, -1 = none
constexpr UINT CB_SHOWDROPDOWN = 0x014F;  // wParam: open or close
constexpr UINT CB_GETITEMDATA = 0x0150;
constexpr UINT CB_SETITEMDATA = 0x0151;
constexpr UINT CB_GETDROPPEDSTATE = 0x0157;

constexpr WORD CBN_SELCHANGE = 1;
constexpr WORD CBN_SETFOCUS = 3;
constexpr WORD CBN_KILLFOCUS = 4;
constexpr WORD CBN_DROPDOWN = 7;
constexpr WORD CBN_CLOSEUP = 8;
constexpr WORD CBN_SELENDOK = 9;
constexpr WORD CBN_SELENDCANCEL = 10;

}  // namespace plat
