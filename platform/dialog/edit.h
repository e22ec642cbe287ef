#pragma once
// The "Edit" class: single-line and multi-line text fields.
//
// The field keeps its text (8-bit), a selection (anchor and caret) and a limit
// on what typing may add (30000 characters until EM_LIMITTEXT). It draws the
// caret (steadily, no blinking) while it has the focus, and the selection in
// the highlight colours. Typing replaces the selection; Backspace, Delete,
// Left, Right, Home and End edit and move as usual (Shift extends the
// selection), Up and Down move between lines of a multi-line field; a click
// places the caret and a drag selects. Tabbing into a field selects all of it.
//
// Typing is refused with a beep on a read-only field, for a non-digit in an
// ES_NUMBER field, beyond the limit (EN_MAXTEXT), and on a single-line field
// without ES_AUTOHSCROLL when the text would no longer fit its width. A single
// line scrolls sideways to keep the caret in view; a multi-line field breaks
// its lines at the right edge (Enter gives "\r\n") and scrolls vertically.
// Enter reaches a multi-line field only with ES_WANTRETURN; otherwise, and in
// single-line fields, Enter and Escape go to the dialog.
//
// Each change made by typing sends WM_COMMAND EN_UPDATE and then EN_CHANGE to
// the parent; so do EM_REPLACESEL, and WM_SETTEXT on a single-line field.
// EM_REPLACESEL is held to the limit, WM_SETTEXT is not; neither is held to
// ES_NUMBER. WM_SETTEXT puts the caret at the start. The background is
// the brush of WM_CTLCOLOREDIT (WM_CTLCOLORSTATIC for read-only or disabled
// fields); with the hollow brush the field lets its parent repaint what lies
// under it before it draws its text again. Called from the program's thread only.

#include "platform/core/types.h"

namespace plat {

constexpr DWORD ES_LEFT = 0x0000;
constexpr DWORD ES_CENTER = 0x0001;
constexpr DWORD ES_RIGHT = 0x0002;
constexpr DWORD ES_MULTILINE = 0x0004;
constexpr DWORD ES_AUTOVSCROLL = 0x0040;
constexpr DWORD ES_AUTOHSCROLL = 0x0080;
constexpr DWORD ES_READONLY = 0x0800;
constexpr DWORD ES_WANTRETURN = 0x1000;
constexpr DWORD ES_NUMBER = 0x2000;

// Returns MAKELONG(start, end); wParam and lParam (DWORD*, may be null)
// receive them too.
constexpr UINT EM_GETSEL = 0x00B0;
// wParam start, lParam end (the caret); 0, -1 selects all; a start of -1 only
// removes the selection. Positions beyond the text mean its end.
constexpr UINT EM_SETSEL = 0x00B1;
// lParam: the text to put in place of the selection (wParam: undo flag, unused).
constexpr UINT EM_REPLACESEL = 0x00C2;
// wParam: the most characters typing may reach; 0 for no practical limit.
// Text already there stays.
constexpr UINT EM_LIMITTEXT = 0x00C5;
constexpr UINT EM_SETLIMITTEXT = EM_LIMITTEXT;
constexpr UINT EM_SETREADONLY = 0x00CF;  // wParam: on or off
constexpr UINT EM_GETLIMITTEXT = 0x00D5;

// Notifications (high word of WM_COMMAND's wParam).
constexpr WORD EN_SETFOCUS = 0x0100;
constexpr WORD EN_KILLFOCUS = 0x0200;
constexpr WORD EN_CHANGE = 0x0300;
constexpr WORD EN_UPDATE = 0x0400;
constexpr WORD EN_MAXTEXT = 0x0501;

}  // namespace plat
