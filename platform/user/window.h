#pragma once
// Window classes and windows: creation, the window tree, window data and
// subclassing, geometry and visibility. All of it belongs to the game thread.
//
// Geometry: the screen is the 800 x 600 picture the player sees. A top-level
// window's rectangle is in screen coordinates, a child's in its parent's client
// coordinates. Windows have no drawn frame; styles with a border or caption only
// shrink the client area by the classic metrics (AdjustWindowRectEx).

#include <string>

#include "platform/core/types.h"

namespace plat {

using WNDPROC = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);

// Class styles.
constexpr UINT CS_VREDRAW = 0x0001;
constexpr UINT CS_HREDRAW = 0x0002;
constexpr UINT CS_DBLCLKS = 0x0008;  // button downs close in time and place become double clicks

// Window styles.
constexpr DWORD WS_OVERLAPPED = 0x00000000;
constexpr DWORD WS_POPUP = 0x80000000;
constexpr DWORD WS_CHILD = 0x40000000;
constexpr DWORD WS_MINIMIZE = 0x20000000;
constexpr DWORD WS_VISIBLE = 0x10000000;
constexpr DWORD WS_DISABLED = 0x08000000;
constexpr DWORD WS_CLIPSIBLINGS = 0x04000000;
constexpr DWORD WS_CLIPCHILDREN = 0x02000000;
constexpr DWORD WS_CAPTION = 0x00C00000;
constexpr DWORD WS_BORDER = 0x00800000;
constexpr DWORD WS_DLGFRAME = 0x00400000;
constexpr DWORD WS_VSCROLL = 0x00200000;
constexpr DWORD WS_HSCROLL = 0x00100000;
constexpr DWORD WS_SYSMENU = 0x00080000;
constexpr DWORD WS_THICKFRAME = 0x00040000;
constexpr DWORD WS_GROUP = 0x00020000;
constexpr DWORD WS_TABSTOP = 0x00010000;
constexpr DWORD WS_MINIMIZEBOX = 0x00020000;
constexpr DWORD WS_MAXIMIZEBOX = 0x00010000;

// Extended window styles.
constexpr DWORD WS_EX_DLGMODALFRAME = 0x00000001;
constexpr DWORD WS_EX_NOPARENTNOTIFY = 0x00000004;
constexpr DWORD WS_EX_TOPMOST = 0x00000008;
constexpr DWORD WS_EX_TOOLWINDOW = 0x00000080;
constexpr DWORD WS_EX_CLIENTEDGE = 0x00000200;
constexpr DWORD WS_EX_CONTROLPARENT = 0x00010000;
constexpr DWORD WS_EX_STATICEDGE = 0x00020000;

// Default position or size of CreateWindowEx.
constexpr int CW_USEDEFAULT = static_cast<int>(0x80000000u);

// ShowWindow commands.
constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_SHOWMINIMIZED = 2;
constexpr int SW_SHOWNOACTIVATE = 4;
constexpr int SW_SHOW = 5;
constexpr int SW_MINIMIZE = 6;
constexpr int SW_SHOWNA = 8;
constexpr int SW_RESTORE = 9;

// SetWindowPos flags and insert-after values.
constexpr UINT SWP_NOSIZE = 0x0001;
constexpr UINT SWP_NOMOVE = 0x0002;
constexpr UINT SWP_NOZORDER = 0x0004;
constexpr UINT SWP_NOREDRAW = 0x0008;
constexpr UINT SWP_NOACTIVATE = 0x0010;
constexpr UINT SWP_SHOWWINDOW = 0x0040;
constexpr UINT SWP_HIDEWINDOW = 0x0080;
inline const HWND HWND_TOP = nullptr;
inline const HWND HWND_BOTTOM = reinterpret_cast<HWND>(1);
inline const HWND HWND_TOPMOST = reinterpret_cast<HWND>(-1);
inline const HWND HWND_NOTOPMOST = reinterpret_cast<HWND>(-2);

// Get/SetWindowLong indexes. Non-negative indexes address the class's extra
// window bytes (cbWndExtra), as the dialog code keeps its words there.
constexpr int GWLP_WNDPROC = -4;
constexpr int GWLP_HINSTANCE = -6;
constexpr int GWLP_HWNDPARENT = -8;
constexpr int GWLP_ID = -12;
constexpr int GWL_ID = -12;
constexpr int GWL_STYLE = -16;
constexpr int GWL_EXSTYLE = -20;
constexpr int GWLP_USERDATA = -21;
constexpr int GWL_USERDATA = -21;

// Get/SetClassLong indexes.
constexpr int GCLP_HCURSOR = -12;
constexpr int GCLP_HICON = -14;
constexpr int GCLP_WNDPROC = -24;
constexpr int GCL_STYLE = -26;
constexpr int GCLP_HICONSM = -34;

// GetWindow relations. Siblings are in z-order, topmost first; a child window
// created later goes below its older siblings, so z-order is creation order.
constexpr UINT GW_HWNDFIRST = 0;
constexpr UINT GW_HWNDLAST = 1;
constexpr UINT GW_HWNDNEXT = 2;
constexpr UINT GW_HWNDPREV = 3;
constexpr UINT GW_OWNER = 4;
constexpr UINT GW_CHILD = 5;

struct WNDCLASSEX {
  UINT cbSize = sizeof(WNDCLASSEX);
  UINT style = 0;
  WNDPROC lpfnWndProc = nullptr;
  int cbClsExtra = 0;
  int cbWndExtra = 0;
  HINSTANCE hInstance = nullptr;
  HICON hIcon = nullptr;
  HCURSOR hCursor = nullptr;
  const char* lpszClassName = nullptr;
  HICON hIconSm = nullptr;
};

// Handed to WM_CREATE through lParam.
struct CREATESTRUCT {
  void* lpCreateParams = nullptr;
  HINSTANCE hInstance = nullptr;
  HMENU hMenu = nullptr;
  HWND hwndParent = nullptr;
  int cy = 0, cx = 0, y = 0, x = 0;
  LONG style = 0;
  const char* lpszName = nullptr;
  const char* lpszClass = nullptr;
  DWORD dwExStyle = 0;
};

// Registers a class by name (compared without regard to case). Returns 0 when
// the name is taken or the record is incomplete.
ATOM RegisterClassEx(const WNDCLASSEX* wc);
BOOL UnregisterClass(const char* className, HINSTANCE instance);
BOOL GetClassInfoEx(HINSTANCE instance, const char* className, WNDCLASSEX* out);

// Creates a window of a registered class. A child (WS_CHILD) needs a parent and
// takes `menu` as its control id (GWL_ID); a popup's `parent` is its owner.
// Sends WM_CREATE (returning -1 destroys the window and yields null), then
// WM_SIZE and WM_MOVE; WS_VISIBLE shows it as SW_SHOW does. CW_USEDEFAULT puts
// the window at (0, 0) and, for the size, makes it as large as the screen.
HWND CreateWindowEx(DWORD exStyle, const char* className, const char* title, DWORD style, int x, int y, int width,
                    int height, HWND parent, HMENU menu, HINSTANCE instance, void* param);
// Destroys owned popups and children too. Sends WM_DESTROY (the window first,
// then its children) and WM_NCDESTROY (children first); removes the window's
// queued messages and timers, its focus, capture and activation.
BOOL DestroyWindow(HWND hwnd);
BOOL IsWindow(HWND hwnd);

// The parent of a child window, the owner of a popup.
HWND GetParent(HWND hwnd);
BOOL IsChild(HWND parent, HWND hwnd);
HWND GetWindow(HWND hwnd, UINT relation);
// The child with control id `id`, searched among direct children.
HWND GetDlgItem(HWND parent, int id);
int GetDlgCtrlID(HWND hwnd);

LONG GetWindowLong(HWND hwnd, int index);
LONG SetWindowLong(HWND hwnd, int index, LONG value);
LONG_PTR GetWindowLongPtr(HWND hwnd, int index);
// Returns the previous value. GWLP_WNDPROC replaces the window procedure
// (subclassing); the previous procedure is reached again through CallWindowProc.
LONG_PTR SetWindowLongPtr(HWND hwnd, int index, LONG_PTR value);
LONG_PTR GetClassLongPtr(HWND hwnd, int index);
// Changes the class shared by every window of it (GCLP_HCURSOR: their cursor).
LONG_PTR SetClassLongPtr(HWND hwnd, int index, LONG_PTR value);

// Text: through WM_SETTEXT / WM_GETTEXT, which DefWindowProc answers.
BOOL SetWindowText(HWND hwnd, const char* text);
int GetWindowText(HWND hwnd, char* buffer, int size);
int GetWindowTextLength(HWND hwnd);

BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint);
BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int width, int height, UINT flags);
// Returns whether the window was visible before.
BOOL ShowWindow(HWND hwnd, int command);
// Returns whether the window was disabled before. Disabling the window that
// has the focus (or holds it in a child) takes the focus away.
BOOL EnableWindow(HWND hwnd, BOOL enable);
BOOL IsWindowEnabled(HWND hwnd);
// Visible when it and all its ancestors are shown.
BOOL IsWindowVisible(HWND hwnd);

BOOL GetClientRect(HWND hwnd, RECT* rect);
BOOL GetWindowRect(HWND hwnd, RECT* rect);  // screen coordinates
BOOL ClientToScreen(HWND hwnd, POINT* point);
BOOL ScreenToClient(HWND hwnd, POINT* point);
// Converts `count` points from `from`'s client coordinates to `to`'s (null = screen).
int MapWindowPoints(HWND from, HWND to, POINT* points, UINT count);
// Grows a client rectangle to the window rectangle of the style.
BOOL AdjustWindowRectEx(RECT* rect, DWORD style, BOOL menu, DWORD exStyle);

// The deepest visible window under a screen point; disabled children let the
// point through to their parent.
HWND WindowFromPoint(POINT screenPoint);

LRESULT CallWindowProc(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// The default answers: WM_CLOSE destroys, WM_PAINT validates through
// BeginPaint/EndPaint, WM_ACTIVATE gives the focus to the window activated,
// WM_SETCURSOR asks the parent first (TRUE from it ends there) and then sets
// the class cursor, so the window under the mouse shows its own class cursor,
// WM_MOUSEWHEEL goes on to the parent, WM_SETTEXT/WM_GETTEXT keep the text.
LRESULT DefWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// Destroys every window and clears queue, timers, hooks, focus, capture,
// cursor and input state: a fresh user layer, for tests and for shutdown.
void ResetUserLayer();

}  // namespace plat
