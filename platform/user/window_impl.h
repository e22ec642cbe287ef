#pragma once
// The user layer's own records behind the handles, shared by its files.
// Called from the program's thread only.

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/core/handle_table.h"
#include "platform/core/types.h"
#include "platform/user/messages.h"
#include "platform/user/window.h"

namespace plat {

struct WindowClass {
  std::string name;
  UINT style = 0;
  WNDPROC proc = nullptr;
  int wndExtra = 0;
  HINSTANCE instance = nullptr;
  HICON icon = nullptr;
  HICON iconSmall = nullptr;
  HCURSOR cursor = nullptr;
};

struct HWND__ {
  std::shared_ptr<WindowClass> cls;
  WNDPROC proc = nullptr;
  DWORD style = 0;
  DWORD exStyle = 0;
  HWND parent = nullptr;       // child windows
  HWND owner = nullptr;        // popups
  std::vector<HWND> children;  // z-order, topmost first
  RECT rect;                   // parent's client coordinates (screen for top-level windows)
  std::string text;
  LONG_PTR userData = 0;
  LONG_PTR id = 0;
  HINSTANCE instance = nullptr;
  std::vector<BYTE> extra;
  bool hasUpdate = false;
  RECT update;  // client coordinates, valid when hasUpdate
  bool eraseUpdate = false;
  bool minimized = false;
  bool destroying = false;  // DestroyWindow has begun
  bool destroyed = false;   // gone from the tree; freed when no call is on it
  int callDepth = 0;
};

namespace user_impl {

struct UserState {
  std::unordered_map<std::string, std::shared_ptr<WindowClass>> classes;  // upper-case name
  HandleTable<HWND__> windows;
  std::vector<HWND> topLevel;  // z-order, topmost first
  HWND active = nullptr;
  HWND lastActive = nullptr;  // while the program is in the background
  HWND focus = nullptr;
  HWND capture = nullptr;
  HWND locked = nullptr;  // LockWindowUpdate
  bool appActive = true;
};
UserState& State();

// A window that exists and is not being torn down past WM_DESTROY.
HWND__* Live(HWND hwnd);
// Frees windows whose destruction finished and that no call is running on.
void CollectDestroyed();

// Screen origin of the client area and the client size.
POINT ClientOrigin(HWND hwnd);
RECT ClientRectOf(HWND hwnd);
RECT ScreenRectOf(HWND hwnd);  // window rectangle on the screen
HWND TopLevelOf(HWND hwnd);
// The program's main window: the unowned top-level window above the active
// window; null while no window is active.
HWND MainWindow();
bool IsShown(HWND hwnd);  // visible with all ancestors

// Rectangle helpers (right and bottom exclusive).
bool RectEmpty(const RECT& r);
RECT Intersect(const RECT& a, const RECT& b);
RECT Union(const RECT& a, const RECT& b);
bool Contains(const RECT& r, POINT p);
RECT Offset(RECT r, LONG dx, LONG dy);

// Hooks between the files of the layer.
void KillTimersOf(HWND hwnd);
void DropMessagesOf(HWND hwnd);
void ResetQueue();
void ResetTimers();
void ResetInput();
// A window going away ends any double click begun on it: its handle may be
// reused by the next window made.
void ForgetInputWindow(HWND hwnd);
void ResetCursors();
void ResetSystem();
// Activation after the active window goes away or is hidden.
void ActivateNextAfter(HWND leaving);
void Activate(HWND topLevel, WORD how);
// Invalidates what `screenRect` uncovers in windows other than `except`.
void InvalidateScreenArea(const RECT& screenRect, HWND except);
// The first window that needs WM_PAINT, matching the filter (null: any).
HWND NextPaintWindow(HWND filter);
// Input state that message removal updates (GetKeyState).
void NoteRemovedInput(const MSG& msg);

}  // namespace user_impl
}  // namespace plat
