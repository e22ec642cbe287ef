#include "Game/views/frame/CVStandIn.h"

#include "Game/model/GGameData.h"
#include "Game/model/GUnit.h"
#include "Game/panels/CVData.h"

namespace {

// The data panel's picture and rows, right of the viewport.
bool InDataPanel(int x, int y) { return x >= 653 && x < 785 && y > 101 && y < 463; }

}  // namespace

CVStandIn::CVStandIn(ViewType type, plat::HWND window, plat::HINSTANCE instance)
    : CVGeneric(window, instance), type_(type) {}

int CVStandIn::ShowContextMenu(int x, int y) {
  if (y >= 74 || x < 0 || x >= 800) return 1;
  const GotoEntry& e = SharedScreen().gotoSlots[static_cast<std::size_t>(GetGotoSlotAtX(x))];
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

int CVStandIn::OnLButtonDown(int x, int y, plat::WPARAM keys) {
  if (SharedScreen().dataPanel && InDataPanel(x, y)) {
    SharedScreen().dataPanel->OnClick(x, y, 0);
    return 1;
  }
  return CVGeneric::OnLButtonDown(x, y, keys);
}

int CVStandIn::OnMouseMove(plat::WPARAM keys, plat::LPARAM position) {
  const int x = static_cast<std::int16_t>(position & 0xFFFF);
  const int y = static_cast<std::int16_t>((position >> 16) & 0xFFFF);
  if (SharedScreen().dataPanel && InDataPanel(x, y) && SharedScreen().dataPanel->SetUnitPicture(y)) FlushScreen();
  return CVGeneric::OnMouseMove(keys, position);
}

int CVStandIn::SelectObject(int kind, std::uint32_t id) {
  const int result = CVGeneric::SelectObject(kind, id);
  if ((kind == GOTO_ASTEROID || kind == GOTO_TERRAIN_ASTEROID) && SharedScreen().dataPanel) {
    SharedScreen().dataPanel->ShowAsteroidData(static_cast<std::uint16_t>(id), 0);
    FlushScreen();
  } else {
    RefreshDataPanel(0);
  }
  return result;
}

void CVStandIn::RefreshDataPanel(int flag) {
  std::uint16_t kind = 0;
  std::uint32_t id = 0;
  std::uint16_t location = 0;
  CGUnit* unit = nullptr;
  if (g_gameData && g_gameData->GetSelectionAt(0, &kind, &id, &location) && kind == GOTO_UNIT)
    unit = g_gameData->pieces.FindUnit(id, nullptr);
  if (!unit || !SharedScreen().dataPanel) {
    CVGeneric::RefreshDataPanel(flag);
    return;
  }
  SharedScreen().dataPanel->ShowUnitStatus(unit);
  FlushScreen();
}
