#pragma once
// Owner drawing: the records of WM_MEASUREITEM and WM_DRAWITEM that owner-drawn
// buttons, list boxes and menu items send to their owner.
//
// WM_MEASUREITEM: wParam is the control id (0 for menu items), lParam the
// MEASUREITEMSTRUCT the owner fills. WM_DRAWITEM: wParam is the control id (0
// for menu items), lParam the DRAWITEMSTRUCT; the owner draws into hDC.
// Constants only: usable from any thread.

#include "platform/core/types.h"

namespace plat {

// Control types.
constexpr UINT ODT_MENU = 1;
constexpr UINT ODT_LISTBOX = 2;
constexpr UINT ODT_COMBOBOX = 3;
constexpr UINT ODT_BUTTON = 4;
constexpr UINT ODT_STATIC = 5;

// What changed (itemAction).
constexpr UINT ODA_DRAWENTIRE = 0x0001;
constexpr UINT ODA_SELECT = 0x0002;  // the selected state changed
constexpr UINT ODA_FOCUS = 0x0004;   // the focus state changed

// The item's state after the change (itemState).
constexpr UINT ODS_SELECTED = 0x0001;  // pressed button, selected list line, highlighted menu item
constexpr UINT ODS_GRAYED = 0x0002;    // menu items
constexpr UINT ODS_DISABLED = 0x0004;
constexpr UINT ODS_CHECKED = 0x0008;  // menu items
constexpr UINT ODS_FOCUS = 0x0010;

struct MEASUREITEMSTRUCT {
  UINT CtlType = 0;
  UINT CtlID = 0;
  UINT itemID = 0;  // list line index, or the menu item's command id
  UINT itemWidth = 0;
  UINT itemHeight = 0;
  UINT_PTR itemData = 0;
};

struct DRAWITEMSTRUCT {
  UINT CtlType = 0;
  UINT CtlID = 0;
  UINT itemID = 0;  // list line index, or the menu item's command id
  UINT itemAction = 0;
  UINT itemState = 0;
  // The control; for a menu item, the menu's HMENU (reinterpret_cast back).
  HWND hwndItem = nullptr;
  HDC hDC = nullptr;  // a DC on the control (or the shown menu) to draw into
  RECT rcItem;        // the item's rectangle in hDC's coordinates
  UINT_PTR itemData = 0;
};

}  // namespace plat
