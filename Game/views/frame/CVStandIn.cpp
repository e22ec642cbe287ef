#include "Game/views/frame/CVStandIn.h"

CVStandIn::CVStandIn(ViewType type, plat::HWND window, plat::HINSTANCE instance)
    : CVGeneric(window, instance), type_(type) {}

int CVStandIn::ShowContextMenu(int x, int y) {
  if (y >= 74 || x < 0 || x >= 800) return 1;
  const GotoEntry& e = g_gotoSlots[static_cast<std::size_t>(GetGotoSlotAtX(x))];
  if (e.kind == GOTO_EMPTY) return 1;
  // The goto items, and those of the slot's object.
  int flags = 1;
  if (e.kind == GOTO_ASTEROID) flags = 1 | 2;
  if (e.kind == GOTO_UNIT) flags = 1 | 4;
  if (e.kind == GOTO_TERRAIN_ASTEROID) flags = 1 | 8;
  ShowOrderMenu(flags, e.id, x, y);
  return 1;
}

void CVStandIn::Render(std::int32_t /*argument*/) {
  AddDirtyRect({0, 0, 800, 600});
  FlushScreen();
}
