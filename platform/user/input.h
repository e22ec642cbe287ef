#pragma once
// Mouse and keyboard: key state, the cursor position, mouse capture and the
// entry points through which a backend (or a test) feeds input in.
//
// Mouse messages go to the capture window, else to the window under the
// cursor (WindowFromPoint); a click on a disabled top-level window (the owner of
// a modal dialog) is dropped, and a click on an inactive one activates it
// first. Key messages go to the focus window; with no focus, to the active
// window as WM_SYSKEYDOWN/WM_SYSKEYUP. Keys pressed while Alt is held (and Alt
// itself, and F10) come as WM_SYSKEYDOWN/WM_SYSKEYUP. A held key repeats only
// into the top-level window its press went to: held on while another one
// became active, it sends that one nothing until it is let go and pressed
// again. Called from the program's thread only.

#include "platform/core/types.h"

namespace plat {

// State of a key as of the last message taken from the queue: bit 0x8000 down,
// bit 1 toggled (Caps Lock and the like).
SHORT GetKeyState(int vk);
// State of a key now: bit 0x8000 down.
SHORT GetAsyncKeyState(int vk);

BOOL GetCursorPos(POINT* point);  // screen coordinates
// Moves the cursor (within ClipCursor) and sends the mouse move it causes.
BOOL SetCursorPos(int x, int y);

HWND SetCapture(HWND hwnd);  // returns the previous capture window
// Sends WM_CAPTURECHANGED to the window losing the capture.
BOOL ReleaseCapture();
HWND GetCapture();

// Two button downs of the same button on the same window of a CS_DBLCLKS
// class, at most this far apart in time (ms) and at most SM_CXDOUBLECLK /
// SM_CYDOUBLECLK apart in place, make the second a double click (default 500).
UINT GetDoubleClickTime();
BOOL SetDoubleClickTime(UINT ms);

// Input from the backend. Coordinates are on the 800 x 600 screen.
namespace input {

enum class Button { Left, Right, Middle };

void MouseMove(POINT screenPoint);
void MouseButton(Button button, bool down);
// `delta` in WHEEL_DELTA units per notch, positive away from the user.
void MouseWheel(int delta);
void Key(UINT vk, bool down);
// The host asks the program to end (its window was closed): WM_CLOSE to the
// program's main window, or the quit message when no window is active.
void RequestQuit();
// The program gained or lost the host's focus.
void SetAppActive(bool active);
bool IsAppActive();
// The backend's window was minimised or restored: unowned top-level windows
// become iconic (WM_SIZE) and the program leaves the foreground.
void SetAppMinimized(bool minimized);

}  // namespace input

}  // namespace plat
