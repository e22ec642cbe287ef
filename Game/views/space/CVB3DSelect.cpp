// Selection and picking in the 3D views: hover marks the order target of the
// unit under the cursor, clicks and keys select, order, deselect and delete
// orders, the function keys store and recall unit groups, U cycles through
// the ships here, W flies to the selection, and the popup menus open on what
// was picked.
#include <algorithm>
#include <cmath>

#include "Game/app/AppGlobals.h"
#include "Game/base/GIDString.h"
#include "Game/model/GAsteroid.h"
#include "Game/model/GChapter.h"
#include "Game/model/GGameData.h"
#include "Game/model/GGuild.h"
#include "Game/model/GLocalChapter.h"
#include "Game/model/GUnit.h"
#include "Game/model/GUnitOrder.h"
#include "Game/panels/CVData.h"
#include "Game/views/frame/CPopupMenu.h"
#include "Game/views/frame/OrderFeedback.h"
#include "Game/views/space/CVB3DView.h"
#include "Game/views/world/CDispLine.h"
#include "Game/views/world/CVDispObj.h"
#include "Game/views/world/CVSgWorld.h"
#include "Game/views/world/DisplayList.h"
#include "platform/user/messages.h"
#include "platform/user/queue.h"
#include "platform/user/system.h"

using namespace plat;
using orders::FindUnitNear;
using orders::Tell;

namespace {

constexpr std::uint16_t kSelectedMarker = 0;
constexpr std::uint16_t kTargetMarker = 1;
constexpr std::uint16_t kAllMarkers = 0xFFFF;
constexpr std::uint32_t kSetGotoCommand = 501;
// The unit menu's offer-for-sale item.
constexpr std::uint32_t kSellShipCommand = 510;

bool InViewport(int x, int y) { return x > 29 && x < 614 && y > 98 && y < 465; }

// Order types aimed at an asteroid, and the asteroid they name.
bool AsteroidOrder(const UnitOrder& order, std::uint16_t* asteroid) {
  switch (order.type) {
    case ORDER_MOVE_TO_ASTEROID:
    case ORDER_MOVE_NEXT_TO_ASTEROID:
    case ORDER_RECHARGE_FROM_ASTEROID:
    case ORDER_SCAN_ASTEROID:
    case ORDER_BOMBARD:
      *asteroid = order.Asteroid();
      return true;
    case ORDER_LAND_ATVS:
    case ORDER_RECOVER_ATVS:
      *asteroid = order.ZoneAsteroid();
      return true;
    default:
      return false;
  }
}

// A status text with its number slot filled.
void TellNumbered(CVGeneric& view, const char* id, int n) {
  char text[orders::kTextSize + 1] = {};
  if (g_gameData && g_gameData->textIndex) g_gameData->textIndex->GetText(id, text, orders::kTextSize, n);
  view.SetStatusText(text, orders::kStatusTime);
}

const CGChapter* ChapterOf(std::uint32_t chapter) {
  const CGuild* guild = g_gameData && g_gameData->guildList ? g_gameData->guildList->GetGuild(chapter >> 3) : nullptr;
  return guild ? guild->GetChapter(chapter & 7) : nullptr;
}

// A target of the same guild, not renegade and in the same camp, is gone to
// rather than attacked.
bool SameCamp(const CGUnit& unit, const CGUnit& target) {
  if (unit.GetGuild() != target.GetGuild()) return false;
  const CGChapter* mine = ChapterOf(unit.GetChapter());
  const CGChapter* theirs = ChapterOf(target.GetChapter());
  return mine && theirs && !theirs->renegade && mine->camp == theirs->camp;
}

std::uint32_t AsteroidCount() { return g_gameData ? g_gameData->solarDB.GetAsteroidCount() : 0; }

std::uint32_t AsteroidOwnerColour(std::uint16_t asteroid) {
  const CGAsteroid* a = asteroid < AsteroidCount() ? g_gameData->solarDB.GetAsteroid(asteroid) : nullptr;
  return a ? a->owner : 0xFFFF;
}

}  // namespace

CVDispObj* CVB3DView::PickAt(int x, int y) {
  if (!InViewport(x, y) || !displayList) return nullptr;
  DisplayPickHit hit;
  return displayList->Pick(x, y, &hit);
}

void CVB3DView::MarkObject(CVDispObj* object, std::uint16_t markerKind, std::uint32_t chapter) {
  if (!object || !displayList) return;
  UnmarkObject(object, kAllMarkers);
  if (g_sgWorld) g_sgWorld->redraw = 1;
  displayList->AttachHalo(object, markerKind, chapter, markerKind == kSelectedMarker);
  if (object->GetType() == DISP_UNIT && g_gameData && g_gameData->FindSelectionEntry(SEL_UNIT, object->key.id)) {
    CGUnit* unit = FindUnitNear(GetCurrentAsteroidId(), object->key.id);
    for (int slot = 0, start = 0; FindGotoSlot(GOTO_UNIT, object->key.id, &slot, start); start = slot + 1)
      DrawGotoSlotLabel(slot, unit, 1);
    FlushScreen();
  }
}

void CVB3DView::UnmarkObject(CVDispObj* object, std::uint16_t markerKind) {
  if (!object) return;
  object->RemoveHalo(markerKind);
  if ((markerKind == kSelectedMarker || markerKind == kAllMarkers) && object->GetType() == DISP_UNIT) {
    CGUnit* unit = FindUnitNear(GetCurrentAsteroidId(), object->key.id);
    for (int slot = 0, start = 0; FindGotoSlot(GOTO_UNIT, object->key.id, &slot, start); start = slot + 1)
      DrawGotoSlotLabel(slot, unit, 0);
  }
}

CVDispObj* CVB3DView::OrderTargetObject(const UnitOrder& order) {
  if (!displayList) return nullptr;
  std::uint16_t asteroid = 0;
  if (AsteroidOrder(order, &asteroid))
    return asteroid < AsteroidCount() ? displayList->Find(DISP_ASTEROID, asteroid) : nullptr;
  if (order.target) return displayList->Find(DISP_UNIT, order.target->id);
  return nullptr;
}

void CVB3DView::ShowUnitHover(std::uint32_t unitId, std::uint16_t location) {
  // The same unit hovered again changes nothing.
  if (currentKind == DISP_UNIT && currentId == unitId) return;
  currentKind = DISP_UNIT;
  currentId = unitId;
  CGUnit* unit = FindUnitNear(location == 0xFFFF ? GetCurrentAsteroidId() : location, unitId);
  if (SharedScreen().dataPanel) {
    if (unit)
      SharedScreen().dataPanel->ShowUnitData(unit, GetCurrentAsteroidId(), 0);
    else
      SharedScreen().dataPanel->Clear(1);
  }
  if (!unit || unit->GetOrderCount() == 0 || !displayList) {
    FlushScreen();
    return;
  }
  const UnitOrder* order = unit->GetOrder(0);
  if (!order) return;
  std::uint16_t asteroid = 0;
  if (AsteroidOrder(*order, &asteroid)) {
    if (CVDispObj* o = asteroid < AsteroidCount() ? displayList->Find(DISP_ASTEROID, asteroid) : nullptr)
      MarkObject(o, kTargetMarker, AsteroidOwnerColour(asteroid));
  } else if (order->target) {
    if (CVDispObj* o = displayList->Find(DISP_UNIT, order->target->id))
      MarkObject(o, kTargetMarker, order->target->GetChapter());
  } else if (order->type == ORDER_MOVE_TO_LOCATION) {
    const Location at = order->GetLocation();
    if (at.asteroid == GetCurrentAsteroidId() && !displayList->Find(DISP_ASTEROID_3D, unitId))
      CreateLocationMarker(at, unitId);
  }
  FlushScreen();
}

void CVB3DView::ClearOrderTargetMarker(CGUnit* unit) {
  if (!unit) {
    if (currentKind != DISP_UNIT) return;
    unit = FindUnitNear(GetCurrentAsteroidId(), currentId);
  }
  if (!unit || unit->GetOrderCount() == 0 || !displayList) return;
  const UnitOrder* order = unit->GetOrder(0);
  if (!order) return;
  if (order->type == ORDER_MOVE_TO_LOCATION) {
    displayList->Remove(DISP_ASTEROID_3D, unit->id);
    return;
  }
  if (CVDispObj* o = OrderTargetObject(*order)) {
    UnmarkObject(o, kTargetMarker);
    HandleObjectPick(o);
  }
}

void CVB3DView::ShowAsteroidHover(std::uint32_t index) {
  if (currentKind == DISP_ASTEROID && currentId == index) return;
  currentKind = DISP_ASTEROID;
  currentId = index;
  if (!SharedScreen().dataPanel || index >= AsteroidCount()) return;
  SharedScreen().dataPanel->ShowAsteroidData(static_cast<std::uint16_t>(index), 0);
  FlushScreen();
}

void CVB3DView::ShowStarHover(std::uint32_t index) {
  if (currentKind == DISP_STAR && currentId == index) return;
  currentKind = DISP_STAR;
  currentId = index;
  if (!SharedScreen().dataPanel) return;
  SharedScreen().dataPanel->ShowStarData(static_cast<std::uint16_t>(index));
  FlushScreen();
}

int CVB3DView::OnMouseMove(WPARAM keys, LPARAM position) {
  if (startScreenShown) return 1;
  if (CVGeneric::OnMouseMove(keys, position)) return 1;
  if (IsReplay() && HasReplayTarget()) return 0;
  const int x = static_cast<std::int16_t>(position & 0xFFFF);
  const int y = static_cast<std::int16_t>((position >> 16) & 0xFFFF);
  // Over the data panel's template rows: that design's picture.
  if (x > 637 && SharedScreen().dataPanel && SharedScreen().dataPanel->SetUnitPicture(y)) FlushScreen();
  CVDispObj* object = PickAt(x, y);
  if (!object) {
    // Empty space in the picture: the panel for what is left current. (The
    // goto bar's rows are the framework's, which shows their objects; and the
    // pointer crossing to the data panel must leave its read-out to be
    // clicked.)
    if (InViewport(x, y)) RefreshDataPanel(0);
    return 1;
  }
  if (SharedScreen().infoPanelVisible) return 1;
  if (object->key.kind != currentKind || object->key.id != currentId) ClearOrderTargetMarker(nullptr);
  switch (object->GetType()) {
    case DISP_UNIT:
      ShowUnitHover(object->key.id, 0xFFFF);
      break;
    case DISP_ASTEROID:
      ShowAsteroidHover(object->key.id);
      break;
    case DISP_STAR:
      ShowStarHover(object->key.id);
      break;
    case DISP_GRID:
      RefreshDataPanel(0);
      break;
    default:
      break;
  }
  return 1;
}

void CVB3DView::ShowObject(int kind, std::uint32_t id) {
  if (static_cast<std::uint16_t>(kind) != currentKind || id != currentId) ClearOrderTargetMarker(nullptr);
  if (kind == GOTO_UNIT)
    ShowUnitHover(id, 0xFFFF);
  else if (kind == GOTO_ASTEROID || kind == GOTO_TERRAIN_ASTEROID)
    ShowAsteroidHover(id);
  else
    RefreshDataPanel(0);
}

int CVB3DView::OnMouseWheel(WPARAM wheel, LPARAM position) {
  if (CVGeneric::OnMouseWheel(wheel, position)) return 1;
  TurnUnitPage(GET_WHEEL_DELTA_WPARAM(wheel) > 0);
  return 1;
}

void CVB3DView::TurnUnitPage(bool forward) {
  if (currentKind != DISP_UNIT || !SharedScreen().dataPanel) return;
  SharedScreen().dataPanel->TurnPage(forward ? 1 : 0, 1);
  FlushScreen();
}

// --- orders ---

int CVB3DView::IssueOrder(std::uint32_t orderType, int targetKind, std::uint32_t targetId, int append) {
  if (!g_gameData || g_gameData->GetSelectionCount() == 0) return 0;
  const std::uint8_t insert = append || orders::CtrlHeld() || Ctrl3DHeld() ? 2 : 1;
  const std::uint16_t here = GetCurrentAsteroidId();
  int result = 0;
  const std::uint32_t count = g_gameData->GetSelectionCount();
  for (std::uint32_t i = 0; i < count; ++i) {
    std::uint16_t kind = 0;
    std::uint32_t id = 0;
    if (!g_gameData->GetSelectionAt(i, &kind, &id, nullptr) || kind != SEL_UNIT) continue;
    CGUnit* unit = FindUnitNear(here, id);
    if (!unit || unit->GetChapter() != LocalChapterId()) continue;
    std::uint8_t mode = insert;
    if (mode == 1 && unit->GetOrderCount() > 0) {
      ClearOrderTargetMarker(unit);
      unit->ClearOrders(false);
    }
    if (targetKind == DISP_ASTEROID) {
      if (targetId >= AsteroidCount()) continue;
      std::uint32_t type = orderType == ORDER_TYPE_26 ? ORDER_MOVE_TO_ASTEROID : orderType;
      if (unit->location.asteroid != targetId && unit->GetDeepSpaceSpeed() <= 0) {
        Tell(*this, "NOTRANSE");
        continue;
      }
      if (type == ORDER_MOVE_TO_ASTEROID && GetViewType() == VIEW_ASTEROID_SPACE) type = ORDER_MOVE_NEXT_TO_ASTEROID;
      result = unit->OrderOnAsteroid(type, static_cast<std::uint16_t>(targetId), mode);
      continue;
    }
    CGUnit* target = FindUnitNear(here, targetId);
    if (!target) continue;
    if (target->location.asteroid != unit->location.asteroid) {
      if (unit->GetDeepSpaceSpeed() <= 0) {
        Tell(*this, "NOTRANSE");
        continue;
      }
      if (target->GetChapter() != unit->GetChapter()) {
        result = unit->OrderToLocation(ORDER_MOVE_TO_LOCATION, &target->location, mode);
        Tell(*this, "LOCTARGT");
        continue;
      }
      unit->OrderOnAsteroid(ORDER_MOVE_TO_ASTEROID, target->location.asteroid, mode);
      mode = 2;
    }
    std::uint32_t type = orderType;
    if (type == ORDER_TYPE_26 || SharedScreen().commandMode == ORDER_TYPE_26) {
      type = ORDER_GO_TO_UNIT;
    } else if (type == ORDER_GO_TO_UNIT) {
      type =
          target->GetChapter() == unit->GetChapter() || SameCamp(*unit, *target) ? ORDER_GO_TO_UNIT : ORDER_ATTACK_UNIT;
    }
    result = unit->OrderOnUnit(type, target, mode);
  }
  return result;
}

// --- selection ---

int CVB3DView::SelectUnitForOrder() {
  if (!g_gameData || SharedScreen().commandUnitId == 0xFFFFFFFF) return 0;
  if (g_gameData->FindSelectionEntry(SEL_UNIT, SharedScreen().commandUnitId)) return 0;
  CGUnit* unit = FindUnitNear(GetCurrentAsteroidId(), SharedScreen().commandUnitId);
  if (!unit) return 0;
  const UnitOrder* first = unit->GetOrderCount() ? unit->GetOrder(0) : nullptr;
  if (first && first->type == ORDER_STUNNED) {
    Tell(*this, "NOORDSTN");
    MessageBeep(0x30);
    return 0;
  }
  if (!orders::ShiftHeld()) {
    UnmarkSelection();
    g_gameData->ClearSelection();
  }
  g_gameData->AddToSelection(SEL_UNIT, unit->id, unit->location.asteroid);
  MarkSelection();
  return 1;
}

void CVB3DView::SelectAll() {
  if (!g_gameData || !displayList) return;
  if (g_gameData->GetSelectionCount()) UpdateSelectionDisplay(1);
  const std::uint16_t here = GetCurrentAsteroidId();
  for (CVDispNode* n = displayList->head; n; n = n->next) {
    CVDispObj* o = n->object;
    if (o->GetType() != DISP_UNIT) continue;
    CGUnit* unit = g_gameData->pieces.FindUnitAt(here, o->key.id);
    if (!unit || !unit->IsOperational() || unit->GetChapter() != LocalChapterId()) continue;
    const UnitOrder* first = unit->GetOrderCount() ? unit->GetOrder(0) : nullptr;
    if (first && first->type == ORDER_STUNNED) continue;
    g_gameData->AddToSelection(SEL_UNIT, unit->id, here);
    MarkObject(o, kSelectedMarker, LocalChapterId());
  }
  UpdateCursor();
  RefreshDataPanel(0);
}

void CVB3DView::UpdateSelectionDisplay(int flag) {
  UnmarkSelection();
  if (g_gameData) g_gameData->ClearSelection();
  SharedScreen().commandMode = kNoCommandMode;
  SharedScreen().commandUnitId = 0xFFFFFFFF;
  targetLineActive = 0;
  if (targetLine) targetLine->SetVisible(0, 0);
  SetCursorSet(CURSOR_NORMAL);
  DrawGotoBar();
  if (!flag) return;
  SharedScreen().pendingOrderOption = 0xFF;
  RefreshDataPanel(0);
}

void CVB3DView::MarkSelection() {
  if (!g_gameData || !displayList) return;
  const std::uint16_t here = GetCurrentAsteroidId();
  for (std::uint32_t i = 0; i < g_gameData->GetSelectionCount(); ++i) {
    std::uint16_t kind = 0, location = 0;
    std::uint32_t id = 0;
    if (!g_gameData->GetSelectionAt(i, &kind, &id, &location) || location != here) continue;
    if (CVDispObj* o = displayList->Find(kind, id)) MarkObject(o, kSelectedMarker, LocalChapterId());
  }
}

void CVB3DView::UnmarkSelection() {
  if (!g_gameData || !displayList) return;
  const std::uint16_t here = GetCurrentAsteroidId();
  for (std::uint32_t i = 0; i < g_gameData->GetSelectionCount(); ++i) {
    std::uint16_t kind = 0, location = 0;
    std::uint32_t id = 0;
    if (!g_gameData->GetSelectionAt(i, &kind, &id, &location) || location != here) continue;
    if (CVDispObj* o = displayList->Find(kind, id)) UnmarkObject(o, kSelectedMarker);
  }
}

void CVB3DView::UnmarkAll() {
  if (displayList)
    for (CVDispNode* n = displayList->head; n; n = n->next) n->object->RemoveHalo(kAllMarkers);
  DrawGotoBar();
}

void CVB3DView::HighlightObject(int kind, std::uint32_t id) {
  if (!displayList) return;
  if (CVDispObj* o = displayList->Find(static_cast<std::uint16_t>(kind), id)) UnmarkObject(o, kSelectedMarker);
}

void CVB3DView::DeleteAllOrders() {
  if (orders::CtrlHeld()) {
    UpdateCursor();
    return;
  }
  if (g_gameData) {
    for (std::uint32_t i = 0; i < g_gameData->GetSelectionCount(); ++i) {
      std::uint16_t kind = 0, location = 0;
      std::uint32_t id = 0;
      if (!g_gameData->GetSelectionAt(i, &kind, &id, &location) || kind != SEL_UNIT) continue;
      CGUnit* unit = FindUnitNear(location, id);
      if (!unit) continue;
      if (CVDispObj* o = displayList ? displayList->Find(DISP_UNIT, id) : nullptr) UnmarkObject(o, kAllMarkers);
      ClearOrderTargetMarker(unit);
      unit->CancelOrders();
    }
  }
  UpdateSelectionDisplay(1);
  Tell(*this, "ALLORDDL");
}

// --- unit groups ---

void CVB3DView::SelectGroup(int n) {
  if (!g_gameData || n < 0 || n >= kUnitGroups || IsReplay()) return;
  if (orders::CtrlHeld() || Ctrl3DHeld()) {
    if (g_gameData->GetSelectionCount() == 0) {
      Tell(*this, "NOUNITSS");
      if (g_sgWorld) g_sgWorld->redraw = 1;
      return;
    }
    if (g_gameData->StoreUnitGroup(static_cast<std::uint32_t>(n))) {
      TellNumbered(*this, "FUNCKEYP", n + 1);
    }
    return;
  }
  UnmarkSelection();
  g_gameData->ClearSelection();
  std::uint16_t location = 0;
  int result = g_gameData->SelectUnitGroup(static_cast<std::uint32_t>(n), &location) ? 1 : 0;
  if (result == 1) {
    for (std::uint32_t i = 0; i < g_gameData->GetSelectionCount(); ++i) {
      std::uint16_t kind = 0, at = 0;
      std::uint32_t id = 0;
      if (g_gameData->GetSelectionAt(i, &kind, &id, &at) && at != location) result = -1;
    }
    if (result == -1) g_gameData->ClearSelection();
  }
  if (result != 1) {
    Tell(*this, result == -1 ? "GRPNTVEW" : "NOGROUP_");
    if (g_sgWorld) g_sgWorld->redraw = 1;
    UpdateCursor();
    return;
  }
  const bool shift = orders::ShiftHeld();
  if (location < AsteroidCount() + 1 && location != AsteroidCount() + 1) {
    TellNumbered(*this, "GRPRECLD", n + 1);
    MarkSelection();
  }
  if (shift) {
    if (location == GetCurrentAsteroidId())
      FlyToSelection();
    else
      GoToView(VIEW_ASTEROID_SPACE, static_cast<LPARAM>(kAsteroidSubject | location));
  }
  UpdateCursor();
  if (g_sgWorld) g_sgWorld->redraw = 1;
}

// --- ships here ---

namespace {

std::uint32_t CountOwnShipsAt(std::uint16_t here) {
  return g_gameData ? g_gameData->pieces.CountOperationalUnits(here, static_cast<std::int16_t>(LocalChapterId())) : 0;
}

}  // namespace

void CVB3DView::NextShip() {
  const std::uint16_t here = GetCurrentAsteroidId();
  const std::uint32_t count = CountOwnShipsAt(here);
  if (count == 0) {
    Tell(*this, "NOSHIPS_");
    return;
  }
  ++shipCycleIndex;
  if (shipCycleIndex >= count) shipCycleIndex = 0;
  CGUnit* unit = g_gameData->pieces.GetOperationalUnitAt(here, LocalChapterId(), shipCycleIndex);
  if (!unit) return;
  if (CVDispObj* o = displayList ? displayList->Find(DISP_UNIT, unit->id) : nullptr) FlyTo(o);
  if (IsCameraLocked()) FlashUnit(unit->id);
}

void CVB3DView::PreviousShip() {
  const std::uint16_t here = GetCurrentAsteroidId();
  const std::uint32_t count = CountOwnShipsAt(here);
  if (count == 0) {
    Tell(*this, "NOSHIPS_");
    return;
  }
  shipCycleIndex = shipCycleIndex == 0 || shipCycleIndex > count ? static_cast<std::uint16_t>(count - 1)
                                                                 : static_cast<std::uint16_t>(shipCycleIndex - 1);
  CGUnit* unit = g_gameData->pieces.GetOperationalUnitAt(here, LocalChapterId(), shipCycleIndex);
  if (!unit) return;
  if (CVDispObj* o = displayList ? displayList->Find(DISP_UNIT, unit->id) : nullptr) FlyTo(o);
  if (IsCameraLocked()) FlashUnit(unit->id);
}

// --- flying ---

void CVB3DView::FlyToSelection() {
  if (!g_gameData || !displayList) return;
  std::uint16_t kind = 0, location = 0;
  std::uint32_t id = 0;
  if (!g_gameData->GetSelectionAt(0, &kind, &id, &location)) return;
  if (location != GetCurrentAsteroidId()) {
    if (location == AsteroidCount()) {
      GoToView(VIEW_SOLAR, static_cast<LPARAM>(id));
      return;
    }
    if (!IsSolar()) {
      GoToView(VIEW_ASTEROID_SPACE, static_cast<LPARAM>(id));
      return;
    }
    if (CVDispObj* o = displayList->Find(DISP_ASTEROID, location)) FlyTo(o);
    return;
  }
  if (CVDispObj* o = displayList->Find(kind, id)) FlyTo(o);
}

void CVB3DView::FlyTo(CVDispObj* object) {
  if (!object || SharedScreen().infoPanelVisible || !g_sgWorld) return;
  if (glideActive && glideObject == object) {
    glideActive = 0;
  } else {
    glideActive = 0;
    if (StartGlide(object, nullptr)) return;
  }
  PlaceAtObject(object);
}

void CVB3DView::OrbitPlacement(const double object[3], double place[3]) {
  double at[3] = {object[0], object[1], object[2]};
  if (IsCameraLocked()) {
    double hx = at[0] - 1100.0, hz = at[2] - 1100.0;
    double h = std::sqrt(hx * hx + hz * hz);
    if (h < 10.0) {
      double dx = at[0] - target[0], dz = at[2] - target[2];
      double dl = std::sqrt(dx * dx + dz * dz);
      if (dl < 1e-9) {
        dx = 1.0;
        dz = 0.0;
        dl = 1.0;
      }
      at[0] = 1100.0 + dx / dl * 10.0;
      at[2] = 1100.0 + dz / dl * 10.0;
      h = 10.0;
    }
    at[1] = 1100.0 + 0.375 * h;
  }
  double d[3] = {at[0] - target[0], at[1] - target[1], at[2] - target[2]};
  double length = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
  if (length < 1e-9) {
    float f[3] = {0.f, 0.f, 1.f};
    if (g_sgWorld) g_sgWorld->GetCameraForward(f);
    d[0] = -f[0];
    d[1] = -f[1];
    d[2] = -f[2];
    length = 1.0;
  }
  for (int i = 0; i < 3; ++i) place[i] = at[i] + d[i] / length * 20.0;
}

void CVB3DView::PlaceAtObject(CVDispObj* object) {
  CVSgWorld* w = g_sgWorld;
  if (!w || !object) return;
  double at[3], p[3];
  object->GetPosition(at);
  w->GetCameraPosition(p);
  const double standOff = IsSolar() ? 40.0 : 20.0;
  float f[3];
  w->GetCameraForward(f);
  if (IsCameraLinear()) {
    const double place[3] = {at[0] - f[0] * standOff, at[1] - f[1] * standOff, at[2] - f[2] * standOff};
    w->SetCameraPosition(place[0], place[1], place[2]);
    w->ScrollStarFieldX(static_cast<float>((place[0] - p[0]) * 0.625 * 0.0012));
    w->ScrollStarFieldY(static_cast<float>((place[1] - p[1]) * 0.625 * 0.00188));
  } else if (IsCameraFree()) {
    w->SetCameraPosition(at[0], at[1], at[2] - standOff);
    w->SetCameraOrientationXYZ(0.f, 0.f, 1.f, 0.f, 1.f, 0.f);
  } else {
    double place[3];
    OrbitPlacement(at, place);
    w->SetCameraPosition(place[0], place[1], place[2]);
    LookAtTarget(1);
    w->OrientStarField(0, nullptr, nullptr, 1);
  }
  fogUpdatePending = 1;
  RefreshObjects(0);
  mouseRefreshCount = 1;
}

// --- popup menus ---

int CVB3DView::ShowContextMenu(int x, int y) {
  if (IsReplay()) {
    // The click comes round again to the asteroid-space view the replay
    // leaves for, which opens its menu.
    LeaveReplayMode(1);
    PostMessage(SharedScreen().viewWnd, WM_RBUTTONDOWN, MK_RBUTTON,
                MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)));
    UpdateCursor();
    return 1;
  }
  SetCursorSet(CURSOR_NORMAL);
  if (y < 74) {
    // The slot index already counts the shown group.
    const int slot = GetGotoSlotAtX(x);
    if (slot < 0) return 0;
    const GotoEntry& e = SharedScreen().gotoSlots[static_cast<std::size_t>(slot) % SharedScreen().gotoSlots.size()];
    int flags = 1;
    if (e.kind == GOTO_ASTEROID) flags |= 2;
    if (e.kind == GOTO_UNIT) flags |= 4;
    if (e.kind == GOTO_TERRAIN_ASTEROID) flags |= 8;
    return ShowOrderMenu(flags, e.id, x, y);
  }
  CVDispObj* object = PickAt(x, y);
  if (object && object->GetType() == DISP_ASTEROID) return ShowOrderMenu(2, object->key.id, x, y);
  if (object && object->GetType() == DISP_UNIT) {
    if ((object->key.id >> 26) != LocalChapterId()) {
      UpdateCursor();
      return 0;
    }
    return ShowOrderMenu(4, object->key.id, x, y);
  }
  return ShowObjectMenu(x, y);
}

LRESULT CVB3DView::OnMenuCommand(std::uint32_t id) {
  if (!SharedScreen().popupMenu) return 0;
  if (id != kSetGotoCommand && id != kSellShipCommand) return CVGeneric::OnMenuCommand(id);
  if (id == kSetGotoCommand) {
    int menuX = 0;
    SharedScreen().popupMenu->GetPosition(&menuX, nullptr);
    const int column = GotoColumnAt(menuX);
    std::uint16_t kind = 0, location = 0;
    std::uint32_t objectId = 0;
    if (g_gameData && g_gameData->GetSelectionAt(0, &kind, &objectId, &location)) {
      SetGotoSlot(column, kind, objectId, 0);
      if (g_gameData->GetSelectionCount() == 1) {
        if (CVDispObj* o = displayList ? displayList->Find(kind, objectId) : nullptr) UnmarkObject(o, kSelectedMarker);
        g_gameData->RemoveFromSelection(kind, objectId);
      }
    } else if (GetCurrentAsteroidId() >= AsteroidCount()) {
      Tell(*this, "NOTHGSEL");
    } else {
      SetGotoSlot(column, GOTO_ASTEROID, GetCurrentAsteroidId(), 0);
    }
  } else {
    OfferShip(SharedScreen().menuObjectId);
  }
  UpdateCursor();
  ClosePopupMenu();
  if (id == kSetGotoCommand) DrawGotoBar();
  return 1;
}

void CVB3DView::ShowUnitFilterText(std::uint16_t flags, bool inverted, std::uint32_t chapter, int attribute) {
  struct Row {
    std::uint16_t flags;
    const char* text;
    const char* inverted;
  };
  static constexpr Row kRows[] = {{0, "FILTNONE", "FILTNONE"},    {0x01, "FILTALLU", "IFLTALLU"},
                                  {0x02, "FILTLOYL", "IFLTLOYL"}, {0x04, "FILTREBL", "IFLTREBL"},
                                  {0x08, "FILTRNPB", "IFLTRNPB"}, {0x10, "FILTCHAP", "IFLTCHAP"},
                                  {0x20, "FILTGILD", "IFLTGILD"}};
  for (const Row& r : kRows) {
    if (r.flags != flags) continue;
    const CGChapter* c = flags == 0x10 ? ChapterOf(chapter) : nullptr;
    char text[orders::kTextSize + 1] = {};
    if (g_gameData && g_gameData->textIndex)
      g_gameData->textIndex->GetText(inverted ? r.inverted : r.text, text, orders::kTextSize,
                                     c && c->name ? c->name.get() : "");
    SetStatusText(text, attribute);
    return;
  }
}
