// Menu objects: creating, filling, changing and destroying them.

#include "platform/dialog/menu.h"

#include <memory>

#include "platform/core/handle_table.h"
#include "platform/dialog/menu_impl.h"
#include "platform/user/window.h"

namespace plat {

namespace dialog_impl {

namespace {

HandleTable<HMENU__>& Menus() {
  static HandleTable<HMENU__> menus;
  return menus;
}

// The item at a position, or the first with the command id. Submenus are
// searched first; an item that opens a submenu answers to its own id only
// when the submenu holds no such command.
MenuItem* FindItem(HMENU menu, UINT item, bool byPosition) {
  if (byPosition) return item < menu->items.size() ? &menu->items[item] : nullptr;
  MenuItem* opener = nullptr;
  for (MenuItem& it : menu->items) {
    if (it.submenu && IsLiveMenu(it.submenu)) {
      if (MenuItem* inner = FindItem(it.submenu, item, false)) return inner;
      if (!opener && it.id == item) opener = &it;
    } else if (it.id == item) {
      return &it;
    }
  }
  return opener;
}

}  // namespace

bool IsLiveMenu(HMENU menu) { return menu && Menus().Contains(menu); }

}  // namespace dialog_impl

using namespace dialog_impl;

HMENU CreatePopupMenu() { return Menus().Add(std::make_unique<HMENU__>()); }

BOOL DestroyMenu(HMENU menu) {
  std::unique_ptr<HMENU__> owned = Menus().Take(menu);
  if (!owned) return FALSE;
  // No other menu may keep pointing at this one, nor may a later menu that
  // happens to get the same address be taken for it.
  Menus().ForEach([menu](HMENU__& other) {
    for (MenuItem& item : other.items)
      if (item.submenu == menu) item.submenu = nullptr;
  });
  if (owned->window && IsWindow(owned->window)) DestroyWindow(owned->window);
  for (const MenuItem& item : owned->items)
    if (item.submenu) DestroyMenu(item.submenu);
  return TRUE;
}

BOOL IsMenu(HMENU menu) { return IsLiveMenu(menu) ? TRUE : FALSE; }

BOOL AppendMenu(HMENU menu, UINT flags, UINT_PTR id, const char* item) {
  if (!IsLiveMenu(menu)) return FALSE;
  MenuItem entry;
  entry.flags = flags & ~MF_POPUP;
  if (flags & MF_POPUP) {
    HMENU submenu = reinterpret_cast<HMENU>(id);
    if (!IsLiveMenu(submenu) || submenu == menu) return FALSE;
    entry.submenu = submenu;
  } else {
    entry.id = static_cast<UINT>(id);
  }
  if (flags & MF_OWNERDRAW) {
    entry.data = reinterpret_cast<UINT_PTR>(item);
  } else if (!(flags & MF_SEPARATOR) && item) {
    entry.text = item;
  }
  menu->items.push_back(std::move(entry));
  return TRUE;
}

BOOL SetMenuItemInfo(HMENU menu, UINT item, BOOL byPosition, const MENUITEMINFO* info) {
  if (!IsLiveMenu(menu) || !info) return FALSE;
  MenuItem* entry = FindItem(menu, item, byPosition != FALSE);
  if (!entry) return FALSE;
  if (info->fMask & MIIM_SUBMENU) {
    if (info->hSubMenu && (!IsLiveMenu(info->hSubMenu) || info->hSubMenu == menu)) return FALSE;
    entry->submenu = info->hSubMenu;
  }
  if (info->fMask & MIIM_ID) entry->id = info->wID;
  if (info->fMask & MIIM_DATA) entry->data = info->dwItemData;
  if (info->fMask & MIIM_STATE)
    entry->flags = (entry->flags & ~(MF_GRAYED | MF_DISABLED | MF_CHECKED)) |
                   (info->fState & (MF_GRAYED | MF_DISABLED | MF_CHECKED));
  return TRUE;
}

BOOL SetSubmenuPosition(HMENU menu, int x, int y) {
  if (!IsLiveMenu(menu)) return FALSE;
  menu->placed = true;
  menu->place = POINT{x, y};
  return TRUE;
}

int GetMenuItemCount(HMENU menu) { return IsLiveMenu(menu) ? static_cast<int>(menu->items.size()) : -1; }

BOOL GetMenuItemRect(HWND, HMENU menu, UINT item, RECT* rect) {
  if (!rect || !IsLiveMenu(menu) || !menu->window || !IsWindow(menu->window) || item >= menu->items.size())
    return FALSE;
  POINT origin{0, 0};
  ClientToScreen(menu->window, &origin);
  const RECT& r = menu->items[item].rect;
  *rect = RECT{r.left + origin.x, r.top + origin.y, r.right + origin.x, r.bottom + origin.y};
  return TRUE;
}

}  // namespace plat
