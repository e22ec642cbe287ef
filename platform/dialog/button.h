#pragma once
// The "Button" class: push buttons, default push buttons, owner-drawn buttons,
// check boxes, radio buttons and group boxes.
//
// A press with the left button (or the Space key) captures the mouse, shows the
// button pushed, and on release inside it sends WM_COMMAND
// MAKEWPARAM(id, BN_CLICKED) with the button's window to the parent. Automatic
// check boxes toggle and automatic radio buttons check themselves and clear the
// other radio buttons of their group before the notification. A double click
// on an owner-drawn or radio button sends BN_DOUBLECLICKED instead of pressing
// it; on other buttons it counts as a press.
//
// An owner-drawn button draws nothing itself: every paint and every change of
// its pushed or focus state sends WM_DRAWITEM to the parent at once (ODT_BUTTON,
// itemAction ODA_DRAWENTIRE / ODA_SELECT / ODA_FOCUS, itemState ODS_SELECTED
// while pushed, ODS_FOCUS with the focus, ODS_DISABLED when disabled, rcItem
// the client area). The others draw the classic look after asking the parent
// for WM_CTLCOLORBTN (push buttons) or WM_CTLCOLORSTATIC. Called from the program's thread only.

#include "platform/core/types.h"

namespace plat {

constexpr DWORD BS_PUSHBUTTON = 0x0000;
constexpr DWORD BS_DEFPUSHBUTTON = 0x0001;
constexpr DWORD BS_CHECKBOX = 0x0002;
constexpr DWORD BS_AUTOCHECKBOX = 0x0003;
constexpr DWORD BS_RADIOBUTTON = 0x0004;
constexpr DWORD BS_GROUPBOX = 0x0007;
constexpr DWORD BS_AUTORADIOBUTTON = 0x0009;
constexpr DWORD BS_OWNERDRAW = 0x000B;
constexpr DWORD BS_TYPEMASK = 0x000F;

// BM_SETCHECK / BM_GETCHECK values; BM_GETSTATE adds BST_PUSHED and BST_FOCUS.
constexpr WPARAM BST_UNCHECKED = 0x0000;
constexpr WPARAM BST_CHECKED = 0x0001;
constexpr WPARAM BST_PUSHED = 0x0004;
constexpr WPARAM BST_FOCUS = 0x0008;

constexpr UINT BM_GETCHECK = 0x00F0;
// Checking a radio button gives it WS_TABSTOP, clearing one takes it away.
constexpr UINT BM_SETCHECK = 0x00F1;
constexpr UINT BM_GETSTATE = 0x00F2;
constexpr UINT BM_SETSTATE = 0x00F3;  // wParam: pushed or not
constexpr UINT BM_SETSTYLE = 0x00F4;  // wParam: the new button type; lParam: redraw
constexpr UINT BM_CLICK = 0x00F5;     // a press and release, as the mouse gives

constexpr WORD BN_CLICKED = 0;
constexpr WORD BN_DOUBLECLICKED = 5;

}  // namespace plat
