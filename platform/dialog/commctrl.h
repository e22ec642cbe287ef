#pragma once
// The control window classes and the header of WM_NOTIFY records.
//
// The classes ("Button", "Static", "Edit", "ListBox", "ComboBox",
// "ScrollBar", the common controls "msctls_updown32" and "tooltips_class32",
// and the dialog and menu classes) are registered by InitCommonControls
// (declared with the system calls, platform/user/system.h; it registers every
// class not registered yet), and again whenever a dialog or menu is built after
// the window layer was reset.
// Windows of these classes keep their state in their window bytes, so
// GWLP_USERDATA and subclassing stay free for the program. Called from the program's thread only.

#include "platform/core/types.h"
#include "platform/user/system.h"

namespace plat {

constexpr char WC_BUTTON[] = "Button";
constexpr char WC_STATIC[] = "Static";
constexpr char WC_EDIT[] = "Edit";
constexpr char WC_LISTBOX[] = "ListBox";
constexpr char WC_COMBOBOX[] = "ComboBox";
constexpr char WC_SCROLLBAR[] = "ScrollBar";
constexpr char UPDOWN_CLASS[] = "msctls_updown32";
constexpr char TOOLTIPS_CLASS[] = "tooltips_class32";

// The header every WM_NOTIFY record starts with; wParam is idFrom.
struct NMHDR {
  HWND hwndFrom = nullptr;
  UINT_PTR idFrom = 0;
  UINT code = 0;
};

}  // namespace plat
