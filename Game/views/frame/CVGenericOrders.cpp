// Order-command modes: selecting objects, picking a target with no mode or
// the generic one pending, and turning a target into orders on every selected
// unit.
#include <algorithm>

#include "Game/base/GIDString.h"
#include "Game/model/GAsteroid.h"
#include "Game/model/GGameData.h"
#include "Game/model/GLocalChapter.h"
#include "Game/model/GUnit.h"
#include "Game/views/frame/CVGeneric.h"
#include "Game/views/frame/OrderFeedback.h"
#include "Game/views/frame/Voices.h"
#include "platform/core/clock.h"
#include "platform/user/input.h"
#include "platform/user/keys.h"
#include "platform/user/queue.h"
#include "platform/user/system.h"

using namespace plat;

namespace orders {

namespace {

bool KeyHeld(int vk) { return (GetKeyState(vk) & 0x8000) != 0; }

}  // namespace

bool CtrlHeld() { return KeyHeld(VK_CONTROL); }
bool ShiftHeld() { return KeyHeld(VK_SHIFT); }
std::uint8_t InsertMode() { return CtrlHeld() ? kInsertAppend : kInsertReplace; }

CGUnit* FindUnitNear(std::uint16_t asteroid, std::uint32_t id) {
  if (!g_gameData) return nullptr;
  if (asteroid != 0xFFFF) {
    if (CGUnit* unit = g_gameData->pieces.FindUnitAt(asteroid, id)) return unit;
  }
  return g_gameData->pieces.FindUnit(id, nullptr);
}

CGAsteroid* FindAsteroid(std::uint32_t index) {
  return g_gameData && index < CGSolarDB::GetAsteroidCount() ? g_gameData->solarDB.GetAsteroid(index) : nullptr;
}

std::uint16_t SolarSpace() { return CGSolarDB::GetAsteroidCount(); }
std::uint32_t SelectionCount() { return g_gameData ? g_gameData->GetSelectionCount() : 0; }

void Tell(CVGeneric& view, const char* id, int voice, std::size_t size) {
  if (voice) view.PlayVoice(voice);
  char text[kTextSize + 1] = {};
  if (g_gameData && g_gameData->textIndex) g_gameData->textIndex->GetText(id, text, std::min(size, kTextSize));
  view.SetStatusText(text, kStatusTime);
}

void ResetMode() {
  SharedScreen().commandMode = kNoCommandMode;
  SharedScreen().commandUnitId = 0xFFFFFFFF;
  // The mode's prompt was answered: it does not come back after the outcome.
  CVGeneric::ForgetCoveredStatusLine();
}

}  // namespace orders

using namespace orders;

namespace {

// A double click arrives as a first click, then the double-click message: the
// single click's refusal waits to see whether it was half of one.
bool DoubleClickFollows() {
  Sleep(GetDoubleClickTime());
  MSG msg;
  return PeekMessage(&msg, SharedScreen().viewWnd, WM_LBUTTONDBLCLK, WM_LBUTTONDBLCLK, PM_NOREMOVE) != 0;
}

}  // namespace

int CVGeneric::FindGotoSlot(int kind, std::uint32_t id, int* slot, int start) {
  for (int n = std::max(start, 0); n < kGotoColumns; ++n) {
    const GotoEntry& e =
        SharedScreen().gotoSlots[static_cast<std::size_t>(n + kGotoColumns * SharedScreen().gotoGroup)];
    if (e.kind != kind || e.id != id) continue;
    if (slot) *slot = n;
    return 1;
  }
  return 0;
}

int CVGeneric::SelectUnitForOrder() {
  if (!g_gameData) return 0;
  if (g_gameData->IsSelected(SEL_UNIT, SharedScreen().commandUnitId)) return 1;
  CGUnit* unit = g_gameData->pieces.FindUnit(SharedScreen().commandUnitId, nullptr);
  if (!unit) return 0;
  const UnitOrder* first = unit->GetOrder(0);
  if (first && first->type == ORDER_STUNNED) {
    Tell(*this, "NOORDSTN", 0, kShortTextSize);
    MessageBeep(MB_ICONEXCLAMATION);
    return 0;
  }
  if (!ShiftHeld()) g_gameData->ClearSelection();
  if (!g_gameData->AddToSelection(SEL_UNIT, unit->id, unit->location.asteroid)) return 0;
  int slot = -1;
  while (FindGotoSlot(GOTO_UNIT, unit->id, &slot, slot + 1)) DrawGotoSlotLabel(slot, unit, 0);
  return 1;
}

int CVGeneric::SelectObject(int kind, std::uint32_t id) {
  if (!g_gameData) return 1;
  switch (kind) {
    case GOTO_ASTEROID:
    case GOTO_TERRAIN_ASTEROID:
      return 1;
    case GOTO_UNIT:
    case 5:
      if (!g_gameData->IsSelected(SEL_UNIT, id)) {
        if (!ShiftHeld()) UpdateSelectionDisplay(1);
        SharedScreen().commandUnitId = id;
        SelectUnitForOrder();
        FlushScreen();
      } else {
        g_gameData->RemoveFromSelection(SEL_UNIT, id);
        HighlightObject(GOTO_UNIT, id);
        if (CGUnit* unit = g_gameData->pieces.FindUnit(id, nullptr)) {
          int slot = -1;
          while (FindGotoSlot(GOTO_UNIT, id, &slot, slot + 1)) {
            DrawGotoSlotLabel(slot, unit, 0);
            FlushScreen();
          }
        }
      }
      SharedScreen().commandUnitId = 0xFFFFFFFF;
      return 1;
    default:
      UpdateSelectionDisplay(1);
      return 1;
  }
}

void CVGeneric::UpdateSelectionDisplay(int /*flag*/) {
  if (g_gameData) {
    for (std::uint32_t i = 0; i < g_gameData->GetSelectionCount(); ++i) {
      std::uint16_t kind = 0;
      std::uint32_t id = 0;
      if (!g_gameData->GetSelectionAt(i, &kind, &id, nullptr) || kind != SEL_UNIT) continue;
      CGUnit* unit = g_gameData->pieces.FindUnit(id, nullptr);
      if (!unit) continue;
      int slot = -1;
      // Still selected while drawn: the inverted colour is the unselected one.
      while (FindGotoSlot(GOTO_UNIT, id, &slot, slot + 1)) {
        DrawGotoSlotLabel(slot, unit, 1);
        FlushScreen();
      }
    }
    g_gameData->ClearSelection();
  }
  ResetMode();
  SharedScreen().pendingOrderOption = 0xFF;
  UpdateCursor();
}

int CVGeneric::PickTarget(int kind, std::uint32_t id) {
  if (kind == GOTO_TERRAIN_ASTEROID) kind = GOTO_ASTEROID;
  const bool generic = SharedScreen().commandMode == kNoCommandMode || SharedScreen().commandMode == ORDER_TYPE_26;
  switch (kind) {
    case GOTO_SOLAR:
      if (DoubleClickFollows()) return 0;
      Tell(*this, "INVLDTGT", kVoiceInvalid);
      return 0;
    case GOTO_UNIT:
    case 5: {
      const CGUnit* target = FindUnitNear(GetCurrentAsteroidId(), id);
      if (target && target->location.asteroid == SolarSpace()) {
        Tell(*this, "CANTINTC", kVoiceSolarSpace);
        return 0;
      }
      if (g_gameData && g_gameData->IsSelected(SEL_UNIT, id) && (ShiftHeld() || SelectionCount() <= 1)) {
        UpdateCursor();
        ResetMode();
        return 1;
      }
      if (OrderMoveToLocation(generic ? ORDER_GO_TO_UNIT : SharedScreen().commandMode, kind, id, 0)) {
        const bool own = target && target->GetChapter() == LocalChapterId();
        Tell(*this, "TRGTAQRD", own ? kVoiceOwnTarget : kVoiceOtherTarget);
      } else if (!generic || !DoubleClickFollows()) {
        Tell(*this, "INVLDTGT", kVoiceInvalid);
      }
      UpdateSelectionDisplay(1);
      ResetMode();
      return 1;
    }
    case GOTO_ASTEROID:
      if (OrderMoveToLocation(generic ? ORDER_MOVE_TO_ASTEROID : SharedScreen().commandMode, GOTO_ASTEROID, id, 0))
        Tell(*this, "TRGTAQRD", kVoiceAsteroidTarget);
      else
        Tell(*this, "INVLDTGT", kVoiceInvalid);
      UpdateSelectionDisplay(1);
      ResetMode();
      return 1;
    case GOTO_DESIGN:
      return 0;
    default:
      ResetMode();
      return 1;
  }
}

int CVGeneric::OrderMoveToLocation(std::uint32_t type, int kind, std::uint32_t id, int append) {
  if (!g_gameData || g_gameData->GetSelectionCount() == 0) return 0;
  const std::uint8_t insert = append || CtrlHeld() ? kInsertAppend : kInsertReplace;
  const bool asteroidTarget = kind == GOTO_ASTEROID || kind == GOTO_TERRAIN_ASTEROID;
  const std::uint16_t here = GetCurrentAsteroidId();
  int result = 1;
  // Orders never change the selection: its count is read once.
  const std::uint32_t count = g_gameData->GetSelectionCount();
  for (std::uint32_t i = 0; i < count; ++i) {
    std::uint16_t entryKind = 0;
    std::uint32_t unitId = 0;
    if (!g_gameData->GetSelectionAt(i, &entryKind, &unitId, nullptr) || entryKind != SEL_UNIT) continue;
    CGUnit* unit = FindUnitNear(here, unitId);
    if (!unit) return 0;
    if (unit->GetChapter() != LocalChapterId()) continue;
    if (insert == kInsertReplace && unit->GetOrderCount() > 0) unit->ClearOrders(false);
    if (asteroidTarget) {
      std::uint32_t t = type == ORDER_TYPE_26 ? ORDER_MOVE_TO_ASTEROID : type;
      if (unit->location.asteroid != id && unit->GetDeepSpaceSpeed() == 0) {
        Tell(*this, "NOTRANSE");
        result = 0;
        continue;
      }
      if (t == ORDER_MOVE_TO_ASTEROID && GetViewType() == VIEW_ASTEROID_SPACE) t = ORDER_MOVE_NEXT_TO_ASTEROID;
      result = unit->OrderOnAsteroid(t, static_cast<std::uint16_t>(id), insert);
      continue;
    }
    CGUnit* target = FindUnitNear(here, id);
    if (!target) return 0;
    std::uint8_t unitInsert = insert;
    if (target->location.asteroid != unit->location.asteroid) {
      if (unit->GetDeepSpaceSpeed() == 0) {
        Tell(*this, "NOTRANSE");
        result = 0;
        continue;
      }
      if (target->GetChapter() != unit->GetChapter()) {
        unit->OrderToLocation(ORDER_MOVE_TO_LOCATION, &target->location, unitInsert);
        Tell(*this, "LOCTARGT");
        continue;
      }
      unit->OrderOnAsteroid(ORDER_MOVE_TO_ASTEROID, target->location.asteroid, unitInsert);
      unitInsert = kInsertAppend;
    }
    std::uint32_t t = type;
    if (t == ORDER_GO_TO_UNIT || t == ORDER_TYPE_26) {
      const bool enemy = target->GetChapter() != unit->GetChapter();
      t = enemy && type != ORDER_TYPE_26 && SharedScreen().commandMode != ORDER_TYPE_26 ? ORDER_ATTACK_UNIT
                                                                                        : ORDER_GO_TO_UNIT;
    }
    result = unit->OrderOnUnit(t, target, unitInsert);
  }
  return result;
}

void CVGeneric::DeleteAllOrders() {
  if (g_gameData) {
    for (std::uint32_t i = 0; i < g_gameData->GetSelectionCount(); ++i) {
      std::uint16_t kind = 0, location = 0;
      std::uint32_t id = 0;
      if (!g_gameData->GetSelectionAt(i, &kind, &id, &location) || kind != SEL_UNIT) continue;
      if (CGUnit* unit = FindUnitNear(location, id)) unit->CancelOrders();
    }
  }
  if (!CtrlHeld()) UpdateSelectionDisplay(1);
  UpdateCursor();
  Tell(*this, "ALLORDDL", 0, kShortTextSize);
}
