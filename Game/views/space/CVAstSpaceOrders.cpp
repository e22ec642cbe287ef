// The asteroid-space view's clicks and orders, unit filters and unit labels.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "Game/app/AppGlobals.h"
#include "Game/base/GIDString.h"
#include "Game/base/TraceError.h"
#include "Game/model/GAsteroid.h"
#include "Game/model/GChapter.h"
#include "Game/model/GGameData.h"
#include "Game/model/GGuild.h"
#include "Game/model/GLocalChapter.h"
#include "Game/model/GUnit.h"
#include "Game/model/GUnitModules.h"
#include "Game/model/GUnitOrder.h"
#include "Game/net/NetSession.h"
#include "Game/net/OrderMenuPackets.h"
#include "Game/panels/CVData.h"
#include "Game/rules/GHullDB.h"
#include "Game/rules/GUnitTem.h"
#include "Game/views/frame/OrderFeedback.h"
#include "Game/views/frame/Voices.h"
#include "Game/views/space/CVAstSpace.h"
#include "Game/views/world/CDispLine.h"
#include "Game/views/world/CVDispObj.h"
#include "Game/views/world/CVSgWorld.h"
#include "Game/views/world/DisplayList.h"
#include "media/CImageButton.h"
#include "platform/core/clock.h"
#include "platform/user/input.h"
#include "platform/user/keys.h"
#include "platform/user/queue.h"
#include "platform/user/system.h"

using namespace plat;
using namespace orders;

namespace {

constexpr std::uint16_t kFilterMarker = 4;
constexpr std::uint16_t kSelectedMarker = 0;
// The refuelling range from the asteroid, squared; twice that without a drive.
constexpr std::uint32_t kRefuelRange = 1440000;
constexpr std::uint32_t kRefuelRangeNoDrive = 2880000;

bool DoubleClickFollows() {
  Sleep(GetDoubleClickTime());
  MSG msg;
  return PeekMessage(&msg, SharedScreen().viewWnd, WM_LBUTTONDBLCLK, WM_LBUTTONDBLCLK, PM_NOREMOVE) != 0;
}

bool IsUnitKind(std::uint16_t kind) { return kind == DISP_UNIT || kind == DISP_PICKABLE_5; }

CGChapter* ChapterOf(std::uint32_t chapter) {
  return g_gameData && g_gameData->guildList ? g_gameData->guildList->GetChapter(chapter) : nullptr;
}

bool Allied(const CGUnit* unit) {
  const CGChapter* local = g_gameData ? g_gameData->GetLocalChapter() : nullptr;
  return local && local->IsAlliedWith(static_cast<std::uint8_t>(unit->GetGuild()),
                                      static_cast<std::uint16_t>(unit->GetChapterSlot())) != 0;
}

bool DesignScanned(const CGUnit* unit) { return !unit->design || unit->design->visible != 0; }

bool Foreign(const CGUnit* unit) { return unit->GetChapter() != LocalChapterId(); }

}  // namespace

// --- clicks ---

int CVAstSpace::OnLButtonDown(int x, int y, WPARAM keys) {
  auto cursor = [this] {
    if (!SharedScreen().infoPanelVisible) UpdateCursor();
    return 1;
  };
  if (CVGeneric::OnLButtonDown(x, y, keys)) return cursor();
  if (x > 637 && y > 98) {
    if (SharedScreen().dataPanel && SharedScreen().dataPanel->OnClick(x, y, 0) && SelectionCount() == 1) {
      std::uint16_t kind = 0;
      std::uint32_t id = 0;
      if (g_gameData->GetSelectionAt(0, &kind, &id, nullptr) && kind == SEL_UNIT) {
        RefreshDataPanel(0);
        g_gameData->RemoveFromSelection(SEL_UNIT, id);
        UnmarkObject(ObjectOfUnit(id), kSelectedMarker);
        UpdateCursor();
      }
    }
    return 1;
  }
  if (targetLineActive) {
    FinishHeightTarget(x, y);
    return cursor();
  }
  if (!displayList || !g_gameData) return cursor();
  DisplayPickHit hit;
  CVDispObj* object = x > 28 && x < 615 && y > 97 && y < 466 ? displayList->Pick(x, y, &hit) : nullptr;
  if (!object) return cursor();
  const std::uint16_t kind = object->GetType();
  CGUnit* unit = IsUnitKind(kind) ? FindUnitNear(currentAsteroid, object->key.id) : nullptr;
  if (ShiftHeld() && IsUnitKind(kind)) {
    if (!unit || Foreign(unit)) return 0;
    if (g_gameData->IsSelected(SEL_UNIT, unit->id)) {
      RefreshDataPanel(0);
      g_gameData->RemoveFromSelection(SEL_UNIT, unit->id);
      UnmarkObject(object, kSelectedMarker);
      UpdateCursor();
    } else {
      SelectPickedObject(hit.point, object);
    }
    return 1;
  }
  const bool noCommand = SharedScreen().commandMode == kNoCommandMode;
  if (noCommand && unit && !Foreign(unit)) {
    SelectPickedObject(hit.point, object);
    return 1;
  }
  if (SharedScreen().commandMode == ORDER_TYPE_26 || (noCommand && SelectionCount() > 0)) {
    TargetPickedObject(hit.point, object);
    return 1;
  }
  if (noCommand) {
    if (!unit || !Foreign(unit)) return 1;
    if (!DesignScanned(unit)) {
      if (Allied(unit)) {
        PlayVoice(kVoiceAllied);
        return 1;
      }
      PlayVoice(kVoiceEnemy);
      Tell(*this, DoubleClickFollows() ? "NOTSCAND" : "CNTORDEN");
      return 1;
    }
    if (DoubleClickFollows()) return 1;
    if (Allied(unit))
      PlayVoice(kVoiceAllied);
    else
      Tell(*this, "CNTORDEN", kVoiceEnemy);
    return 1;
  }
  if (kind == DISP_GRID) return 1;
  ExecuteOrderOnObject(hit.point, object);
  return 1;
}

int CVAstSpace::OnLButtonDblClk(int x, int y) {
  CVDispObj* object = PickAt(x, y);
  if (CVGeneric::OnLButtonDblClk(x, y)) return 0;
  if (!object) {
    if (y > 74 && x < 637) {
      GoToView(VIEW_SOLAR, static_cast<LPARAM>(-1));
      return 1;
    }
    return 0;
  }
  const std::uint16_t kind = object->GetType();
  if (kind == DISP_ASTEROID) {
    GoToView(VIEW_TERRAIN, static_cast<LPARAM>(object->key.id | 0xFFFF0000u));
    return 1;
  }
  if (IsUnitKind(kind)) {
    CGUnit* unit = FindUnitNear(currentAsteroid, object->key.id);
    if (!unit || (Foreign(unit) && !DesignScanned(unit))) return 0;
    UpdateSelectionDisplay(1);
    GoToView(VIEW_DESIGN, static_cast<LPARAM>(unit->id));
    return 1;
  }
  return 0;
}

int CVAstSpace::CanOrderUnit(CGUnit* unit) {
  ClearOrderTargetMarker(nullptr);
  if (!unit) {
    TraceError("CVAstSpace - no unit to order", __FILE__, __LINE__);
    return 0;
  }
  if (!unit->IsOperational()) {
    Tell(*this, "CNTORDDY");
    return 0;
  }
  SharedScreen().pendingOrderOption = 255;
  targetLineActive = 0;
  return 1;
}

int CVAstSpace::SelectObject(int kind, std::uint32_t id) {
  CVDispObj* object = displayList ? displayList->Find(static_cast<std::uint16_t>(kind), id) : nullptr;
  return object ? SelectPickedObject(nullptr, object) : CVB3DView::SelectObject(kind, id);
}

int CVAstSpace::PickTarget(int kind, std::uint32_t id) {
  CVDispObj* object = displayList ? displayList->Find(static_cast<std::uint16_t>(kind), id) : nullptr;
  return object ? TargetPickedObject(nullptr, object) : CVB3DView::PickTarget(kind, id);
}

int CVAstSpace::ExecuteOrderMode(int kind, std::uint32_t id) {
  CVDispObj* object = displayList ? displayList->Find(static_cast<std::uint16_t>(kind), id) : nullptr;
  return object ? ExecuteOrderOnObject(nullptr, object) : CVB3DView::ExecuteOrderMode(kind, id);
}

int CVAstSpace::SelectPickedObject(const double* /*point*/, CVDispObj* object) {
  if (!object || !g_gameData) return 0;
  const std::uint16_t kind = object->GetType();
  if (kind == DISP_ASTEROID) {
    if (!DoubleClickFollows()) {
      Tell(*this, "NOSHPSEL", kVoiceNoShip);
      UpdateSelectionDisplay(1);
    }
    return 1;
  }
  if (kind == DISP_GRID) {
    Tell(*this, "NOSHPSEL", kVoiceNoShip);
    UpdateSelectionDisplay(1);
    return 1;
  }
  if (!IsUnitKind(kind)) {
    UpdateSelectionDisplay(1);
    TraceError("CVAstSpace - selecting an object of no known kind", __FILE__, __LINE__);
    return 0;
  }
  const std::uint32_t id = object->key.id;
  if (g_gameData->IsSelected(SEL_UNIT, id)) {
    g_gameData->RemoveFromSelection(SEL_UNIT, id);
    UnmarkObject(object, kSelectedMarker);
    UpdateCursor();
    RefreshDataPanel(0);
    return 1;
  }
  CGUnit* unit = g_gameData->pieces.FindUnitAt(currentAsteroid, id);
  if (!unit || !unit->IsOperational()) {
    Tell(*this, "CNTORDDY");
    UpdateCursor();
    return 0;
  }
  if (Foreign(unit)) {
    if (Allied(unit))
      PlayVoice(kVoiceAllied);
    else
      Tell(*this, "CNTORDEN", kVoiceEnemy);
    UpdateCursor();
    return 0;
  }
  const UnitOrder* first = unit->GetOrder(0);
  if (first && first->type == ORDER_STUNNED) {
    Tell(*this, "NOORDSTN", 0, kShortTextSize);
    MessageBeep(MB_ICONEXCLAMATION);
    return 0;
  }
  if (!ShiftHeld()) UpdateSelectionDisplay(1);
  g_gameData->AddToSelection(SEL_UNIT, id, currentAsteroid);
  if (!ShiftHeld()) RefreshDataPanel(1);
  ShowUnitHover(id, 0xFFFF);
  MarkObject(object, kSelectedMarker, LocalChapterId());
  UpdateCursor();
  return 1;
}

int CVAstSpace::TargetPickedObject(const double* point, CVDispObj* object) {
  if (!object || !g_gameData) return 0;
  const std::uint16_t kind = object->GetType();
  const bool generic = SharedScreen().commandMode == kNoCommandMode || SharedScreen().commandMode == ORDER_TYPE_26;
  if (kind == DISP_GRID) {
    if (point) StartHeightTarget(point, object);
    return 1;
  }
  if (kind == DISP_ASTEROID) {
    if (IssueOrder(generic ? ORDER_MOVE_TO_ASTEROID : SharedScreen().commandMode, DISP_ASTEROID, object->key.id, 0))
      Tell(*this, "TRGTAQRD", kVoiceAsteroidTarget);
    else
      Tell(*this, "INVLDTGT", kVoiceInvalid);
    UpdateSelectionDisplay(1);
  } else if (IsUnitKind(kind)) {
    const std::uint32_t id = object->key.id;
    CGUnit* target = FindUnitNear(currentAsteroid, id);
    const int voice = target && !Foreign(target) ? kVoiceOwnTarget : kVoiceOtherTarget;
    if (g_gameData->IsSelected(SEL_UNIT, id) && (ShiftHeld() || SelectionCount() <= 1)) {
      RefreshDataPanel(0);
      g_gameData->RemoveFromSelection(SEL_UNIT, id);
      UnmarkObject(object, kSelectedMarker);
      UpdateCursor();
    } else {
      int ok = 0;
      if (!generic) {
        PlayVoice(voice);
        ok = IssueOrder(SharedScreen().commandMode, kind, id, 0);
      } else {
        ok = IssueOrder(ORDER_GO_TO_UNIT, kind, id, 0);
        if (ok) PlayVoice(voice);
      }
      if (ok)
        Tell(*this, "TRGTAQRD");
      else
        Tell(*this, "INVLDTGT", kVoiceInvalid);
      UpdateSelectionDisplay(1);
    }
  } else {
    TraceError("CVAstSpace - a target of no known kind", __FILE__, __LINE__);
  }
  ResetMode();
  return 1;
}

// --- the height target ---

void CVAstSpace::StartHeightTarget(const double point[3], CVDispObj* grid) {
  gridPoint[0] = point[0];
  gridPoint[2] = point[2];
  PlayVoice(kVoiceHeight);
  char text[kTextSize + 1] = {};
  if (g_gameData && g_gameData->textIndex) g_gameData->textIndex->GetText("SETHEGHT", text, kTextSize);
  SetStatusText(text, 0xFFFF);
  targetLineActive = 1;
  if (!targetLine && displayList) targetLine = displayList->CreateLine(nullptr, 0xFFFF, 0);
  if (!targetLine) return;
  targetLine->SetVisible(1, 0);
  double base[3] = {point[0], GridHeight() + 0.01, point[2]};
  if (grid) {
    double at[3];
    grid->GetPosition(at);
    base[1] = at[1] + 0.01;
  }
  targetLine->SetPosition(base);
}

namespace {

// The height the cursor ray points at over the grid point, or false outside the viewport.
bool CursorHeight(const double gridPoint[3], int x, int y, double* height) {
  float ray[3];
  if (!g_sgWorld || !g_sgWorld->ScreenToWorld(x, y, ray)) return false;
  double c[3];
  g_sgWorld->GetCameraPosition(c);
  const double d =
      std::sqrt((gridPoint[0] - c[0]) * (gridPoint[0] - c[0]) + (gridPoint[1] - c[1]) * (gridPoint[1] - c[1]) +
                (gridPoint[2] - c[2]) * (gridPoint[2] - c[2]));
  *height = ray[1] * d + c[1];
  return std::isfinite(*height);
}

}  // namespace

void CVAstSpace::TrackHeightTarget(int x, int y) {
  if (!targetLine) {
    TraceError("CVAstSpace - no height line", __FILE__, __LINE__);
    return;
  }
  double h = 0.0;
  if (!CursorHeight(gridPoint, x, y, &h)) return;
  h = std::clamp(h, kHeightLow, kHeightHigh) - GridHeight();
  // The line's model stands on its middle: that goes half way, so the line
  // rises from the picked point to the height rather than straddling it.
  const double middle[3] = {gridPoint[0], GridHeight() + 0.01 + h / 2, gridPoint[2]};
  targetLine->SetPosition(middle);
  targetLine->SetLength(static_cast<float>(h), 0);
}

void CVAstSpace::FinishHeightTarget(int x, int y) {
  double h = 0.0;
  if (!CursorHeight(gridPoint, x, y, &h) || !g_gameData) return;
  // The height is kept within the band the preview shows, so the packed
  // coordinate never wraps.
  const double point[3] = {gridPoint[0], std::clamp(h, kHeightLow, kHeightHigh), gridPoint[2]};
  Location target;
  WorldToLocation(point, &target);
  const std::uint8_t insert = InsertMode();
  for (std::uint32_t i = 0; i < g_gameData->GetSelectionCount(); ++i) {
    std::uint16_t kind = 0;
    std::uint32_t id = 0;
    if (!g_gameData->GetSelectionAt(i, &kind, &id, nullptr) || kind != SEL_UNIT) continue;
    CGUnit* unit = FindUnitNear(currentAsteroid, id);
    if (!unit || Foreign(unit)) continue;
    unit->OrderToLocation(ORDER_MOVE_TO_LOCATION, &target, insert);
  }
  UpdateSelectionDisplay(1);
  ResetMode();
  targetLineActive = 0;
  if (targetLine) targetLine->SetVisible(0, 0);
  Tell(*this, "TRGTAQRD");
}

// --- the pending order command ---

int CVAstSpace::ExecuteOrderOnObject(const double* /*point*/, CVDispObj* object) {
  if (!object || !g_gameData) return 0;
  const std::uint16_t kind = object->GetType();
  const std::uint32_t id = object->key.id;
  const std::uint32_t mode = SharedScreen().commandMode;
  CGUnit* target = IsUnitKind(kind) ? FindUnitNear(currentAsteroid, id) : nullptr;
  if (target && Foreign(target) && mode != 5 && mode != 9 && mode != 11 && mode != 12 && mode != 34) {
    Tell(*this, "INVLDTGT", kVoiceInvalid);
    return 0;
  }
  ClearOrderTargetMarker(nullptr);
  auto refuse = [&](const char* text, int voice) {
    Tell(*this, text, voice);
    UpdateSelectionDisplay(1);
    return 0;
  };
  const int genericKind = IsUnitKind(kind) ? GOTO_UNIT : kind == DISP_ASTEROID ? GOTO_ASTEROID : -1;
  switch (mode) {
    case ORDER_RECHARGE_FROM_ASTEROID: {
      // Only a command given from this asteroid refuels here.
      if ((SharedScreen().commandUnitId >> 16) != 0xFFFF ||
          (SharedScreen().commandUnitId & 0xFFFF) != currentAsteroid) {
        ResetMode();
        return 0;
      }
      if (!target) return refuse("INVLDTGT", kVoiceInvalid);
      CGUnit* ship = g_gameData->pieces.FindUnitAt(currentAsteroid, target->id);
      const std::uint32_t range = ship && ship->GetLocalSpaceSpeed() != 0 ? kRefuelRange : kRefuelRangeNoDrive;
      if (!ship || !ship->IsAsteroidInRange(ORDER_RECHARGE_FROM_ASTEROID, currentAsteroid, range))
        return refuse("NOINRNGE", 0);
      RefuelAtAsteroidPacket packet{ship->id, currentAsteroid};
      auto image = packet.Build();
      if (g_session) g_session->Send(kAllPlayersSlot, image.bytes.data(), kRefuelAtAsteroidSize);
      Tell(*this, "RECHARG5", kVoiceRefuel);
      UpdateSelectionDisplay(1);
      ResetMode();
      return 1;
    }
    case ORDER_REPAIR_UNIT: {
      if (!target) return refuse("INVLDTGT", kVoiceInvalid);
      CGUnit* commander = FindUnitNear(currentAsteroid, SharedScreen().commandUnitId);
      if (!commander || commander->GetConstructionCapacity() <= 0) return refuse("REPAIR_1", kVoiceRepairerCannot);
      if (IssueOrder(ORDER_REPAIR_UNIT, kind, id, 0))
        Tell(*this, "REPAIR_3", kVoiceRepair);
      else
        Tell(*this, "INVLDTGT", kVoiceInvalid);
      UpdateSelectionDisplay(1);
      ResetMode();
      return 1;
    }
    case 31:
    case ORDER_MENTAL_ATTACK: {
      if (!target) return refuse("INVLDTGT", kVoiceInvalid);
      if (target->location.asteroid == SolarSpace()) {
        Tell(*this, "CANTINTC", kVoiceSolarSpace);
        return 0;
      }
      if (!Foreign(target)) {
        Tell(*this, "NOTFRDSP", kVoiceAllied);
        return 0;
      }
      if (g_gameData->IsSelected(SEL_UNIT, id) && (ShiftHeld() || SelectionCount() <= 1)) {
        UpdateCursor();
        return 0;
      }
      if (OrderMoveToLocation(mode, GOTO_UNIT, id, 0))
        Tell(*this, "TRGTAQRD", kVoiceOtherTarget);
      else
        Tell(*this, "INVLDTGT", kVoiceInvalid);
      UpdateSelectionDisplay(1);
      ResetMode();
      return 1;
    }
    case ORDER_BUILD_SHIP:
      return refuse("INVLDTGT", kVoiceInvalid) + (ResetMode(), 0);
    case ORDER_TRANSFER_POWER:
    case ORDER_RECHARGE_FROM_UNIT:
    case ORDER_SCRAP_UNIT:
    case ORDER_DECOMMISSION:
    case ORDER_SCAN_ASTEROID:
    case ORDER_SCAN_SHIP:
    case ORDER_MODIFY_SHIP:
    case ORDER_GET_REPAIRED:
    case ORDER_REBUILD_UNIT:
    case ORDER_DELAYED_MOVE:
    case ORDER_BOMBARD:
      // The rows this view shares with the other views.
      if (genericKind < 0) return refuse("INVLDTGT", kVoiceInvalid);
      return CVGeneric::ExecuteOrderMode(genericKind, id);
    default:
      UpdateSelectionDisplay(1);
      Tell(*this, "NOTIMPYT");
      ResetMode();
      return 1;
  }
}

// --- filters ---

void CVAstSpace::ToggleFilter(int i) {
  Tell(*this, "PROSCCMD");
  Render(-1);
  filterInverted = ShiftHeld() ? 1 : 0;
  ClearFilterHighlights();
  bool sameButton = false;
  if (filterMask) {
    const int old = FilterIndex(filterMask);
    if (old < 0) return;
    if (SharedScreen().pendingOrderOption == 5) filterChapter = 255;
    if (SharedScreen().pendingOrderOption == 4 || SharedScreen().pendingOrderOption == 5) {
      SharedScreen().pendingOrderOption = 255;
      RefreshDataPanel(1);
    }
    ToggleFilterButton(old);
    sameButton = old == i;
  }
  if (i < 0 || i >= 6 || sameButton) {
    filterMask = 0;
  } else {
    filterMask = static_cast<std::uint16_t>(1u << i);
    ToggleFilterButton(i);
  }
  if (filterMask == 0x10) {
    if (SharedScreen().dataPanel) SharedScreen().dataPanel->ShowGuildList();
    SharedScreen().pendingOrderOption = 4;
    Tell(*this, "SELCTGLD");
    if (filterChapter == 255) {
      FlushScreen();
      return;
    }
  }
  FlushScreen();
  ShowFilterText();
  ApplyFilterHighlights();
}

void CVAstSpace::ToggleFilterButton(int i) {
  CImageButton* b = filterButtons[static_cast<std::size_t>(i)];
  if (!b) return;
  b->Toggle();
  // A click redraws its own button, but the F key and the button a new
  // filter replaces are drawn only here; hidden under the info panel, none is.
  if (!SharedScreen().infoPanelVisible) DrawButton(b);
}

void CVAstSpace::ShowGuildMenu() {
  int n = filterMask ? FilterIndex(filterMask) + 1 : 0;
  if (n < 0) n = 0;
  int next = n + 1;
  if (next > 6) next = 0;
  ToggleFilter(next - 1);
}

void CVAstSpace::OnSelectGuild(int guild) {
  ClearFilterHighlights();
  filterChapter = static_cast<std::uint16_t>(guild * 8);
  if (SharedScreen().dataPanel) SharedScreen().dataPanel->ShowGuildMembers(guild);
  SharedScreen().pendingOrderOption = 5;
  Tell(*this, "SELCTCHP");
}

void CVAstSpace::OnSelectChapter(std::uint32_t slot) {
  filterChapter = static_cast<std::uint16_t>(filterChapter + slot);
  ShowFilterText();
  ApplyFilterHighlights();
  SharedScreen().pendingOrderOption = 255;
  RefreshDataPanel(1);
}

int CVAstSpace::PassesFilter(std::uint32_t unitId) {
  return PassesFilter(g_gameData ? g_gameData->pieces.FindUnitAt(currentAsteroid, unitId) : nullptr);
}

int CVAstSpace::PassesFilter(const CGUnit* unit) {
  if (!unit || !unit->IsOperational()) return 0;
  const std::uint32_t local = LocalChapterId();
  const bool inverted = filterInverted == 1;
  bool pass = false;
  if (filterMask & 0x08) {
    pass = unit->GetChapter() != local && !DesignScanned(unit);
  } else if (filterMask & 0x20) {
    return inverted ? 0 : 1;
  } else if (filterMask & 0x01) {
    pass = unit->GetChapter() == local;
  } else if (filterMask & 0x06) {
    const CGChapter* chapter = ChapterOf(unit->GetChapter());
    const bool sameGuild =
        g_gameData && unit->GetGuild() == static_cast<std::uint32_t>(g_gameData->GetLocalGuildIndex());
    // A chapter in an interregnum camp has broken with the guild as surely as
    // a renegade has.
    const bool rebel = chapter && (chapter->renegade != 0 || chapter->camp != 0);
    pass = sameGuild && chapter && ((filterMask & 0x04) ? rebel : !rebel);
  } else if (filterMask & 0x10) {
    const bool same = unit->GetChapter() == filterChapter;
    return (inverted ? !same : same) ? 1 : 0;
  } else {
    return 0;
  }
  return (inverted ? !pass : pass) ? 1 : 0;
}

void CVAstSpace::ApplyFilterHighlights() {
  if (!filterMask || labelsOn || !displayList || !g_gameData) return;
  for (CVDispNode* n = displayList->head; n; n = n->next) {
    CVDispObj* object = n->object;
    if (object->GetType() != DISP_UNIT || g_gameData->IsSelected(SEL_UNIT, object->key.id)) continue;
    if (PassesFilter(object->key.id)) MarkObject(object, kFilterMarker, object->key.id >> 26);
  }
}

void CVAstSpace::ClearFilterHighlights() {
  if (!filterMask || labelsOn || !displayList) return;
  for (CVDispNode* n = displayList->head; n; n = n->next)
    if (n->object->GetType() == DISP_UNIT && n->object->HasHalo()) UnmarkObject(n->object, kFilterMarker);
}

void CVAstSpace::HandleObjectPick(CVDispObj* object) {
  if (!object) {
    TraceError("CVAstSpace - no object to restore", __FILE__, __LINE__);
    return;
  }
  if (object->GetType() != DISP_UNIT || !g_gameData) return;
  if (g_gameData->IsSelected(SEL_UNIT, object->key.id))
    MarkObject(object, kSelectedMarker, LocalChapterId());
  else if (!labelsOn && PassesFilter(object->key.id))
    MarkObject(object, kFilterMarker, object->key.id >> 26);
}

void CVAstSpace::ShowFilterText() { ShowUnitFilterText(filterMask, filterInverted == 1, filterChapter, kStatusTime); }

void CVAstSpace::ToggleUnitHalos() {
  if (labelsOn) {
    labelsOn = 0;
    ApplyFilterHighlights();
  } else {
    ClearFilterHighlights();
    labelsOn = 1;
  }
  if (g_sgWorld) g_sgWorld->redraw = 1;
}

// --- labels ---

void CVAstSpace::DrawStatusText() {
  DrawUnitLabels();
  CVGeneric::DrawStatusText();
}

void CVAstSpace::DrawUnitLabels() {
  if (!labelsOn || SharedScreen().infoPanelVisible || !displayList || !g_gameData) return;
  bool allOnScreen = true;
  CGUnit* selected = nullptr;
  CGUnit* battleTarget = nullptr;
  CGUnit* attackTarget = nullptr;
  bool looked = false;
  const std::uint32_t local = LocalChapterId();
  for (CVDispNode* n = displayList->head; n; n = n->next) {
    CVDispObj* object = n->object;
    if (object->GetType() != DISP_UNIT) continue;
    // One search of the cell: the operational units lead it, so this is the
    // unit the filter would find by its id.
    CGUnit* unit = g_gameData->pieces.FindOperationalUnitAt(currentAsteroid, object->key.id);
    if (!PassesFilter(unit)) continue;
    int sx = 0, sy = 0;
    object->GetScreenPosition(&sx, &sy);
    if (sx == 0x7FFF) {
      allOnScreen = false;
      continue;
    }
    if (sx > kViewportWidth || sy >= kViewportHeight || sx <= 0 || sy <= 0) allOnScreen = false;
    std::uint32_t full = 0, bright = 0;
    GetColorPair(unit->GetGuild(), &full, &bright);
    const bool own = unit->GetChapter() == local;
    const char* name = unit->GetName();
    DrawViewportText(name, sx, sy, static_cast<int>(std::strlen(name)) * 8, own ? full : bright, 0, 0, 0);
    int w = static_cast<int>(unit->GetDamagePercent());
    const int hull = unit->design && unit->design->hull ? static_cast<int>(unit->design->hull->structurePoints) : 0;
    if (hull > 0 && unit->GetHullDamage() > w)
      w = 100 - static_cast<int>((hull - unit->GetHullDamage()) * 100.0 / hull);
    if (unit->GetLifeSupportDamage() > w) w = unit->GetLifeSupportDamage();
    DrawPercentBar(100 - w, sx + 2, sy + 7, 0xFFD7D7, 0x0000B4);
    if (own) {
      const int maxPower = unit->GetMaxPower();
      const int v = maxPower > 0 ? static_cast<int>(unit->GetPower() * 100.0 / maxPower) : 0;
      DrawPercentBar(v, sx + 2, sy + 10, 0x00B400, 0x0000B4);
    } else if (SelectionCount() == 1) {
      if (!looked) {
        looked = true;
        std::uint16_t kind = 0;
        std::uint32_t id = 0;
        if (g_gameData->GetSelectionAt(0, &kind, &id, nullptr) && kind == SEL_UNIT)
          selected = g_gameData->pieces.FindUnitAt(currentAsteroid, id);
        if (selected) {
          const UnitOrder* first = selected->GetOrder(0);
          if (first && (first->type == ORDER_ATTACK_UNIT || first->type == ORDER_MENTAL_ATTACK))
            attackTarget = first->target;
          // The unit its own plan would fire at from where it is headed (with
          // Ctrl) or where it is.
          const Location planned = PlannedLocation(*selected);
          std::uint32_t d = 0;
          battleTarget = g_gameData->pieces.FindBattleTarget(&planned, selected, &d, selected->targeting.data());
        }
      }
      if (selected) DrawWeaponRanges(selected, unit, sx + 2, sy + 10, battleTarget, attackTarget);
    }
  }
  if (allOnScreen)
    ShowLampFrame8();
  else
    ShowLampFrame4();
}

Location CVAstSpace::PlannedLocation(const CGUnit& unit) const {
  const UnitOrder* first = unit.GetOrder(0);
  if (CtrlHeld() && first && first->type == ORDER_MOVE_TO_LOCATION && first->GetLocation().asteroid == currentAsteroid)
    return first->GetLocation();
  return unit.location;
}

void CVAstSpace::DrawWeaponRanges(CGUnit* u, CGUnit* t, int x, int y, CGUnit* b, CGUnit* a) {
  if (!u || !t || u->GetAttackStrength() == 0 || !u->design) return;
  const Location planned = PlannedLocation(*u);
  const std::uint32_t d = GetLocationDistanceSq(&planned, &t->location);
  if (a && a->location.asteroid != currentAsteroid) a = nullptr;
  const bool chosen = t == a || t == b;
  for (int slot = 0; slot < 20; ++slot) {
    if (!IsWeapon(SlotModule(u->design, slot))) continue;
    WeaponDashCase c;
    c.outOfMaxRange = u->GetWeaponMaxRangeSq(slot) < d;
    c.destroyed = u->GetSlotDamagePercent(slot) >= 100;
    c.unpowered = u->GetFiringLevel(slot) == 0 || static_cast<std::int32_t>(u->GetModulePowerUse(
                                                      10, static_cast<std::uint16_t>(slot), 0)) > u->GetPower();
    c.withinEffective = d <= u->GetWeaponEffectiveRangeSq(slot);
    bool hit = chosen && u->GetHitChanceAgainst(slot, t) >= u->targeting[4];
    if (hit && a && t == b) {
      if (GetLocationRangeSq(&planned, &a->location) <= u->GetWeaponRangeSq(slot)) hit = false;
      if (!c.withinEffective && u->targeting[3] != 2) hit = false;
    }
    c.bright = chosen && (c.outOfMaxRange || c.destroyed || c.unpowered || hit);
    DrawViewportLine(x, y, x + 6, y, WeaponDashColour(c), 2);
    x += 6;
  }
}
