#pragma once
// Activation, keyboard focus, the foreground and the minimised state.
//
// One top-level window is active while the program is in the foreground
// (the backend's window has the host's focus). Activating sends WM_ACTIVATE to
// the window losing and to the window gaining activation; the focus follows
// through DefWindowProc's answer to WM_ACTIVATE. The program losing or gaining
// the foreground sends WM_ACTIVATEAPP to every top-level window. Called from the program's thread only.

#include "platform/core/types.h"

namespace plat {

HWND SetFocus(HWND hwnd);  // returns the window that had the focus
HWND GetFocus();
HWND SetActiveWindow(HWND hwnd);  // the top-level window of hwnd; returns the previous one
HWND GetActiveWindow();
// The active window while the program is in the foreground, else null.
HWND GetForegroundWindow();
BOOL SetForegroundWindow(HWND hwnd);
BOOL IsIconic(HWND hwnd);

}  // namespace plat
