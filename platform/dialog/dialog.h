#pragma once
// Dialogs built from DIALOG / DIALOGEX templates of resource modules, modal and
// modeless, and the dialog manager's keyboard handling.
//
// A dialog is a window of the dialog class whose procedure calls the caller's
// dialog procedure first. The dialog procedure returns nonzero when it handled
// the message; its result then is the value stored at DWLP_MSGRESULT (0 unless
// the procedure stored one), except for WM_INITDIALOG, WM_CTLCOLOR*,
// WM_VKEYTOITEM, WM_CHARTOITEM and WM_COMPAREITEM, whose result is the return
// value itself (a brush for WM_CTLCOLOR*). When it returns 0 the dialog
// manager's default handling runs:
//   WM_ERASEBKGND  fills with the brush the dialog procedure gives for
//                  WM_CTLCOLORDLG, else the button-face colour;
//   WM_ACTIVATE    keeps the control that had the focus and gives it back when
//                  the dialog is activated again (first tab stop otherwise);
//   WM_SETFOCUS    the dialog itself passes the focus on to its first tab stop;
//   WM_CLOSE       posts WM_COMMAND IDCANCEL;
//   WM_GETFONT     the dialog font; DM_GETDEFID / DM_SETDEFID; WM_NEXTDLGCTL;
//   anything else  DefWindowProc.
// A WM_PAINT is never left pending on a dialog: when the procedure handled it
// without painting, the dialog counts as painted (otherwise the queue would
// hand it out again and again).
//
// Geometry: the template's rectangle is in dialog units of the template font
// (x / 4 and y / 8 of its average character width and height); it gives the
// client area, placed relative to the owner's client area (a child dialog:
// the parent's) unless DS_ABSALIGN. DS_CENTER centres the window on the screen.
// Every dialog is a window of the dialog class; a template's own class name is
// not used. Called from the program's thread only.

#include "platform/core/types.h"
#include "platform/resource/resname.h"
#include "platform/user/messages.h"
#include "platform/user/system.h"

namespace plat {

using DLGPROC = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);

// Window bytes of a dialog (GetWindowLongPtr / SetWindowLongPtr).
constexpr int DWLP_MSGRESULT = 0;
constexpr int DWLP_DLGPROC = DWLP_MSGRESULT + static_cast<int>(sizeof(LRESULT));
constexpr int DWLP_USER = DWLP_DLGPROC + static_cast<int>(sizeof(DLGPROC));

// Dialog styles honoured when building from a template.
constexpr DWORD DS_ABSALIGN = 0x0001;
constexpr DWORD DS_NOFAILCREATE = 0x0010;
constexpr DWORD DS_MODALFRAME = 0x0080;
constexpr DWORD DS_CENTER = 0x0800;

// Other button ids the dialog manager knows.
constexpr int IDABORT = 3;
constexpr int IDRETRY = 4;
constexpr int IDIGNORE = 5;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

// Dialog messages.
constexpr UINT DM_GETDEFID = WM_USER + 0;  // MAKELONG(id, DC_HASDEFID), or 0 when none was set
constexpr UINT DM_SETDEFID = WM_USER + 1;  // wParam: the id Enter gives
constexpr WORD DC_HASDEFID = 0x534B;
// wParam: the control to focus (lParam 1), or 0 next / nonzero previous tab stop (lParam 0).
constexpr UINT WM_NEXTDLGCTL = 0x0028;

// WM_GETDLGCODE answers: what a control handles itself when it has the focus.
constexpr LRESULT DLGC_WANTARROWS = 0x0001;
constexpr LRESULT DLGC_WANTTAB = 0x0002;
constexpr LRESULT DLGC_WANTALLKEYS = 0x0004;
constexpr LRESULT DLGC_WANTMESSAGE = 0x0004;  // lParam's key message, this time
constexpr LRESULT DLGC_HASSETSEL = 0x0008;    // tabbing in selects all of its text
constexpr LRESULT DLGC_DEFPUSHBUTTON = 0x0010;
constexpr LRESULT DLGC_UNDEFPUSHBUTTON = 0x0020;
constexpr LRESULT DLGC_RADIOBUTTON = 0x0040;
constexpr LRESULT DLGC_WANTCHARS = 0x0080;
constexpr LRESULT DLGC_STATIC = 0x0100;
constexpr LRESULT DLGC_BUTTON = 0x2000;

// Runs a dialog modally: builds it from the template `name` of `module`, sends
// WM_INITDIALOG with `param`, disables the owner's top-level window, shows the
// dialog and runs a message loop (through IsDialogMessage) until EndDialog.
// Returns the EndDialog value; -1 when the template is missing or the dialog
// cannot be built; 0 when the dialog is destroyed otherwise or a WM_QUIT ends
// the loop (the WM_QUIT is posted again for the outer loop).
LRESULT DialogBoxParam(HMODULE module, const ResName& name, HWND owner, DLGPROC proc, LPARAM param);
// Builds a modeless dialog and sends WM_INITDIALOG; it shows when its template
// has WS_VISIBLE. Null when the template is missing or the dialog cannot be
// built. The caller destroys it with DestroyWindow.
HWND CreateDialogParam(HMODULE module, const ResName& name, HWND owner, DLGPROC proc, LPARAM param);
// Ends a modal dialog: keeps `result` for DialogBoxParam, enables the owner
// again and hides the dialog; the loop ends when it next looks at the queue.
// On a modeless dialog it only hides it. FALSE for a window that is not a dialog.
BOOL EndDialog(HWND dialog, LRESULT result);

// Converts a rectangle from the dialog's units to pixels.
BOOL MapDialogRect(HWND dialog, RECT* rect);

// GetDlgItem and GetDlgCtrlID are the window layer's (platform/user/window.h).
BOOL SetDlgItemText(HWND dialog, int id, const char* text);
// Copies at most size - 1 characters and a NUL; returns the count copied.
UINT GetDlgItemText(HWND dialog, int id, char* buffer, int size);
// "%d" (signed) or "%u".
BOOL SetDlgItemInt(HWND dialog, int id, UINT value, BOOL isSigned);
// Reads the item's text as a decimal number: leading blanks, an optional sign,
// then digits up to the first character that is not one. `translated` (may be
// null) tells whether there was a number; 0 without one or on overflow.
UINT GetDlgItemInt(HWND dialog, int id, BOOL* translated, BOOL isSigned);
LRESULT SendDlgItemMessage(HWND dialog, int id, UINT msg, WPARAM wParam, LPARAM lParam);

// The next (or, with `previous`, the preceding) control after `control` that is
// visible, enabled and has WS_TABSTOP, in creation order, wrapping around.
// A null `control` gives the first (last) one. When no other control
// qualifies, `control` itself.
HWND GetNextDlgTabItem(HWND dialog, HWND control, BOOL previous);
// The same within the control's group: from a WS_GROUP control up to the next
// one, visible and enabled controls, tab stop or not.
HWND GetNextDlgGroupItem(HWND dialog, HWND control, BOOL previous);

// Handles the dialog keys of a message for `dialog` or one of its controls,
// unless the control with the focus asks for them (WM_GETDLGCODE):
//   Tab / Shift+Tab  focus to the next / previous tab stop (an edit's text
//                    gets selected);
//   arrow keys       focus to the next / previous control of the group (an
//                    automatic radio button gets checked);
//   Enter            WM_COMMAND of the focused push button, else of the default
//                    id (DM_GETDEFID, IDOK without one), when that control is
//                    enabled or absent;
//   Escape           WM_COMMAND IDCANCEL.
// Other messages for the dialog are translated and dispatched. Returns TRUE
// when the message was taken (handled or dispatched), FALSE when it is not
// for this dialog.
BOOL IsDialogMessage(HWND dialog, MSG* msg);

}  // namespace plat
