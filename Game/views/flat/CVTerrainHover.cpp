// The terrain view's read-outs in the data panel: the zone under the cursor,
// the object of a goto slot the cursor rests on, and the selection again
// anywhere else; the page keys and the wheel step the zone read-out's page.
#include <cstdint>

#include "Game/model/GAsteroid.h"
#include "Game/model/GGameData.h"
#include "Game/model/GSolarSys.h"
#include "Game/model/GUnit.h"
#include "Game/panels/CVData.h"
#include "Game/views/flat/CVTerrain.h"
#include "platform/user/messages.h"

using namespace plat;
using terrain::Hit;

namespace {

// The part of the viewport whose points the zone read-out answers.
bool InSurface(int x, int y) { return x >= 30 && x <= 613 && y >= 99 && y <= 464; }
// The notification lines keep the base's hover.
bool InNotifications(int x, int y) { return y > 496 && x < 601; }

}  // namespace

void CVTerrain::ShowZoneInPanel(int zone, int force) {
  CGAsteroid* a = Asteroid();
  if (!SharedScreen().dataPanel || !a) return;
  CSprite* const icons[4] = {atvImages[0], atvImages[1], atvImages[2], atvImages[3]};
  const auto z = static_cast<std::uint32_t>(zone);
  SharedScreen().dataPanel->ShowZoneInfo(z, z, a, placement ? PlacementUnit() : nullptr, icons, force);
  hoverShown = 1;
  shownGotoKind = 0xFFFF;
}

void CVTerrain::ShowGotoObject(int slot) {
  if (slot < 0 || slot >= static_cast<int>(SharedScreen().gotoSlots.size())) return;
  const GotoEntry& e = SharedScreen().gotoSlots[static_cast<std::size_t>(slot)];
  if (e.kind == shownGotoKind && e.id == shownGotoId) return;
  shownGotoKind = e.kind;
  shownGotoId = e.id;
  if (!SharedScreen().dataPanel || !g_gameData) return;
  if (e.kind == GOTO_ASTEROID || e.kind == GOTO_TERRAIN_ASTEROID) {
    if (!g_gameData->solarDB.GetAsteroid(e.id)) return;
    SharedScreen().dataPanel->ShowAsteroidData(static_cast<std::uint16_t>(e.id), 0);
  } else if (e.kind == GOTO_UNIT) {
    std::uint16_t location = 0;
    CGUnit* unit = g_gameData->pieces.FindUnit(e.id, &location);
    if (!unit) return;
    SharedScreen().dataPanel->ShowUnitData(unit, location, 0);
  } else {
    return;
  }
  hoverShown = 1;
  FlushScreen();
}

void CVTerrain::RefreshDataPanel(int flag) {
  hoverShown = 0;
  shownGotoKind = 0xFFFF;
  std::uint16_t kind = 0;
  std::uint32_t id = 0;
  if (!SharedScreen().dataPanel || !g_gameData || !GetSingleSelection(&kind, &id)) {
    CVGeneric::RefreshDataPanel(flag);
    return;
  }
  std::uint16_t location = 0;
  CGUnit* unit = kind == GOTO_UNIT ? g_gameData->pieces.FindUnit(id, &location) : nullptr;
  if (unit) {
    SharedScreen().dataPanel->ShowUnitData(unit, location, 0);
  } else if ((kind == GOTO_ASTEROID || kind == GOTO_TERRAIN_ASTEROID) && g_gameData->solarDB.GetAsteroid(id)) {
    SharedScreen().dataPanel->ShowAsteroidData(static_cast<std::uint16_t>(id), 0);
  } else {
    CVGeneric::RefreshDataPanel(flag);
    return;
  }
  FlushScreen();
}

void CVTerrain::ForgetHover() {
  shownGotoKind = 0xFFFF;
  if (SharedScreen().dataPanel) SharedScreen().dataPanel->zoneKey = kNoZoneKey;
}

int CVTerrain::TurnZonePage(int x, int y, int forward) {
  Hit hit;
  if (!SharedScreen().dataPanel || !HitZone(x, y, &hit)) return 0;
  SharedScreen().dataPanel->TurnPage(forward, 2);
  ShowZoneInPanel(hit.zone, 0);
  return 1;
}

int CVTerrain::OnMouseWheel(WPARAM wheel, LPARAM position) {
  const int x = GET_X_LPARAM(position), y = GET_Y_LPARAM(position);
  const auto delta = static_cast<std::int16_t>(HIWORD(static_cast<std::uintptr_t>(wheel)));
  if (TurnZonePage(x, y, delta <= 0 ? 1 : 0)) return 1;
  return CVGeneric::OnMouseWheel(wheel, position);
}

// Hover without a drag (OnMouseMove, CVTerrainAtvs.cpp).
int CVTerrain::HoverAt(WPARAM keys, LPARAM position) {
  const int x = GET_X_LPARAM(position), y = GET_Y_LPARAM(position);
  if (SharedScreen().infoPanelVisible || InNotifications(x, y)) return CVGeneric::OnMouseMove(keys, position);
  Hit hit;
  if (InSurface(x, y) && HitZone(x, y, &hit)) {
    ShowZoneInPanel(hit.zone, 0);
    return 1;
  }
  if (y < 74 && !placement) {
    ShowGotoObject(GetGotoSlotAtX(x));
    return 1;
  }
  // Back to the selection once, not on every move.
  if (hoverShown) RefreshDataPanel(0);
  return 1;
}
