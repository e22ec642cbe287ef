#pragma once
// What the control classes share: their state behind window byte 0, their
// window procedures, notifying the parent, and the control colour protocol.
// Called from the program's thread only.

#include <memory>

#include "platform/core/types.h"
#include "platform/dialog/classic.h"
#include "platform/gdi/objects.h"
#include "platform/user/paint.h"
#include "platform/user/window.h"

namespace plat::dialog_impl {

// Window bytes of every control class: the state object.
constexpr int kControlExtra = static_cast<int>(sizeof(void*));

template <class T>
T* StateOf(HWND hwnd) {
  return reinterpret_cast<T*>(GetWindowLongPtr(hwnd, 0));
}
template <class T>
T* AttachState(HWND hwnd, std::unique_ptr<T> state) {
  T* raw = state.release();
  SetWindowLongPtr(hwnd, 0, reinterpret_cast<LONG_PTR>(raw));
  return raw;
}
template <class T>
void FreeState(HWND hwnd) {
  delete StateOf<T>(hwnd);
  SetWindowLongPtr(hwnd, 0, 0);
}

LRESULT ButtonProc(HWND, UINT, WPARAM, LPARAM);
LRESULT StaticProc(HWND, UINT, WPARAM, LPARAM);
LRESULT EditProc(HWND, UINT, WPARAM, LPARAM);
LRESULT ListBoxProc(HWND, UINT, WPARAM, LPARAM);
LRESULT ComboBoxProc(HWND, UINT, WPARAM, LPARAM);
LRESULT ComboListProc(HWND, UINT, WPARAM, LPARAM);
LRESULT ScrollBarProc(HWND, UINT, WPARAM, LPARAM);
LRESULT UpDownProc(HWND, UINT, WPARAM, LPARAM);
LRESULT TooltipProc(HWND, UINT, WPARAM, LPARAM);
LRESULT MenuPopupProc(HWND, UINT, WPARAM, LPARAM);
LRESULT DialogWndProc(HWND, UINT, WPARAM, LPARAM);

constexpr char kComboListClass[] = "ComboLBox";
constexpr char kMenuClass[] = "#32768";
constexpr char kDialogClass[] = "#32770";

// Answers WM_PAINT: paints the update region through paint(dc), then the
// window's border when the control has one.
enum class Border { kNone, kDraw };
template <class PaintFn>
LRESULT PaintControl(HWND hwnd, PaintFn&& paint, Border border) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  if (dc) paint(dc);
  EndPaint(hwnd, &ps);
  if (border == Border::kDraw) DrawWindowBorder(hwnd);
  return 0;
}

// Registers every class of this folder that is not registered yet.
void RegisterControlClasses();

// WM_COMMAND MAKEWPARAM(control id, code) with the control to its parent.
void NotifyParent(HWND control, WORD code);

// Asks the parent for the control's colours (msg is one of WM_CTLCOLOR*): the
// parent may set the DC's text colour, background colour and mode and returns
// the background brush. Without an answer the classic defaults are set: window
// text on the window colour for edits and lists, on the button face for the
// others.
HBRUSH ControlColours(HWND control, HDC dc, UINT msg);
bool IsHollow(HBRUSH brush);
// After a change of content: a control whose background brush was hollow lets
// its parent repaint what lies under it first; every control repaints.
void RefreshControl(HWND control, bool hollowBackground);

// The window is the one with the focus.
bool HasFocus(HWND hwnd);

}  // namespace plat::dialog_impl
