#pragma once
// Popup menus: string, separator and owner-drawn items, submenus, and the
// modal tracking of TrackPopupMenu.
//
// TrackPopupMenu shows the menu and runs its own message loop until an item is
// chosen or the menu is dismissed; other messages (timers, paint, posted
// messages) are dispatched meanwhile. Everything it tells the owner window is
// sent, in this order:
//   WM_INITMENUPOPUP  (wParam the menu, lParam MAKELPARAM(index of the item
//                     that opens it in its parent menu (0 for the top menu),
//                     FALSE)) before a menu or submenu is measured and shown;
//   WM_MEASUREITEM    (wParam 0, ODT_MENU, itemID the command id, itemData)
//                     for each owner-drawn item of that menu; an owner-drawn
//                     item is as wide as the owner says plus twice the menu
//                     font's average character width;
//   WM_DRAWITEM       (wParam 0, ODT_MENU, hwndItem the menu's HMENU, hDC on
//                     the shown menu, rcItem in that DC) whenever an owner-drawn
//                     item needs drawing or its highlight changes (ODA_SELECT,
//                     ODS_SELECTED while highlighted);
//   WM_MENUSELECT     (wParam MAKEWPARAM(command id, or the item's index for an
//                     item that opens a submenu, item flags | MF_HILITE),
//                     lParam the menu) after an item is highlighted, and
//                     MAKEWPARAM(0, 0xFFFF) with a null menu when the menu
//                     closes.
// The chosen item's command is then posted to the owner as WM_COMMAND
// (MAKEWPARAM(id, 0), lParam 0), so it arrives after TrackPopupMenu returns.
//
// Mouse: moving over an item highlights it and opens its submenu beside the
// menu (to the right, or to the left where the screen ends); releasing a button
// over an enabled command item chooses it (the right button counts too with
// TPM_RIGHTBUTTON); pressing outside every open menu dismisses them all (that
// press goes no further).
// Keys: Up and Down move the highlight (wrapping, skipping separators), Right
// and Enter open a submenu, Left and Escape close the innermost submenu (Escape
// on the top menu dismisses it), Enter chooses a command item. Called from the program's thread only.

#include "platform/core/types.h"

namespace plat {

// Item flags (AppendMenu) and states.
constexpr UINT MF_STRING = 0x0000;
constexpr UINT MF_ENABLED = 0x0000;
constexpr UINT MF_GRAYED = 0x0001;
constexpr UINT MF_DISABLED = 0x0002;
constexpr UINT MF_CHECKED = 0x0008;
constexpr UINT MF_POPUP = 0x0010;  // the id is the submenu's HMENU
constexpr UINT MF_HILITE = 0x0080;
constexpr UINT MF_OWNERDRAW = 0x0100;  // the item text argument is the item data
constexpr UINT MF_SEPARATOR = 0x0800;

// SetMenuItemInfo masks.
constexpr UINT MIIM_STATE = 0x0001;
constexpr UINT MIIM_ID = 0x0002;
constexpr UINT MIIM_SUBMENU = 0x0004;
constexpr UINT MIIM_DATA = 0x0020;

// Item states of MENUITEMINFO.
constexpr UINT MFS_GRAYED = 0x0003;
constexpr UINT MFS_DISABLED = MFS_GRAYED;
constexpr UINT MFS_CHECKED = MF_CHECKED;
constexpr UINT MFS_HILITE = MF_HILITE;
constexpr UINT MFS_ENABLED = 0x0000;

// TrackPopupMenu flags.
constexpr UINT TPM_LEFTALIGN = 0x0000;
constexpr UINT TPM_RIGHTBUTTON = 0x0002;
constexpr UINT TPM_CENTERALIGN = 0x0004;
constexpr UINT TPM_RIGHTALIGN = 0x0008;
constexpr UINT TPM_TOPALIGN = 0x0000;
constexpr UINT TPM_VCENTERALIGN = 0x0010;
constexpr UINT TPM_BOTTOMALIGN = 0x0020;
constexpr UINT TPM_RETURNCMD = 0x0100;  // return the chosen id instead of posting WM_COMMAND

struct MENUITEMINFO {
  UINT cbSize = sizeof(MENUITEMINFO);
  UINT fMask = 0;
  UINT fType = 0;            // not used by SetMenuItemInfo
  UINT fState = 0;           // MIIM_STATE
  UINT wID = 0;              // MIIM_ID
  HMENU hSubMenu = nullptr;  // MIIM_SUBMENU (null: none)
  void* hbmpChecked = nullptr;
  void* hbmpUnchecked = nullptr;
  UINT_PTR dwItemData = 0;  // MIIM_DATA
  char* dwTypeData = nullptr;
  UINT cch = 0;
};

HMENU CreatePopupMenu();
// Destroys the menu and, as the classic call did, the submenus its items
// hold. FALSE for a handle that is not a live menu (a submenu destroyed before
// its parent is simply skipped).
BOOL DestroyMenu(HMENU menu);
BOOL IsMenu(HMENU menu);
// Appends an item. MF_STRING: `item` is the text ('&' marks an underlined
// character); MF_OWNERDRAW: `item` carries the item data
// (reinterpret_cast<const char*>(data)); MF_SEPARATOR: neither. With MF_POPUP
// `id` is the submenu (reinterpret_cast<UINT_PTR>(hmenu)).
BOOL AppendMenu(HMENU menu, UINT flags, UINT_PTR id, const char* item);
// Changes the item at `item` (a position with byPosition, else the first item
// with that command id, searched in submenus first; an item that already opens
// a submenu keeps its own id). MIIM_SUBMENU replaces the item's submenu (the
// previous one is not destroyed).
BOOL SetMenuItemInfo(HMENU menu, UINT item, BOOL byPosition, const MENUITEMINFO* info);
// -1 for a handle that is not a menu.
int GetMenuItemCount(HMENU menu);
// Fixes where a submenu opens: at (x, y) on the screen (kept on it) instead of
// beside the item that opens it, for an owner that paints the picture around
// its menus itself and so must know their places. The owner may set it while
// it answers the submenu's WM_INITMENUPOPUP. FALSE for a handle that is not a
// menu; a top menu opens where TrackPopupMenu says whatever is set here.
BOOL SetSubmenuPosition(HMENU menu, int x, int y);

// Shows and tracks the menu at (x, y) on the screen (aligned by the flags and
// kept on the screen). Without TPM_RETURNCMD returns TRUE once the menu is
// closed (FALSE when it could not be shown); with it, the chosen id or 0.
BOOL TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int reserved, HWND owner, const RECT* reserved2);
// The screen rectangle of the item at position `item` while the menu is shown;
// FALSE when it is not shown or there is no such item. `window` is not used.
BOOL GetMenuItemRect(HWND window, HMENU menu, UINT item, RECT* rect);

}  // namespace plat
