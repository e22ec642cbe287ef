#pragma once
// The menu records behind HMENU handles, shared by the menu calls and the
// tracking loop. Called from the program's thread only.

#include <string>
#include <vector>

#include "platform/core/types.h"
#include "platform/dialog/menu.h"

namespace plat {

struct MenuItem {
  UINT flags = 0;  // MF_STRING / MF_OWNERDRAW / MF_SEPARATOR and the state bits
  UINT id = 0;
  HMENU submenu = nullptr;
  std::string text;
  UINT_PTR data = 0;
  RECT rect;  // in the shown menu's client coordinates, while it is shown

  bool IsSeparator() const { return (flags & MF_SEPARATOR) != 0; }
};

struct HMENU__ {
  std::vector<MenuItem> items;
  HWND window = nullptr;  // the popup showing the menu, while it is tracked
  int highlighted = -1;
  bool placed = false;  // a submenu opens at `place` rather than beside its item
  POINT place{0, 0};
};

namespace dialog_impl {

// The menu exists (was made and not yet destroyed).
bool IsLiveMenu(HMENU menu);

}  // namespace dialog_impl
}  // namespace plat
