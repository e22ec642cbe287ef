// The solar view's mouse rules: selection, target picks and the pending
// order commands on asteroids and units in solar space, its one packet (a
// unit refuelled from the asteroid that commands it), the view switch and
// its popup menu.
#include <string>

#include "Game/app/AppGlobals.h"
#include "Game/base/GInstData.h"
#include "Game/base/TraceError.h"
#include "Game/model/GAsteroid.h"
#include "Game/model/GChapter.h"
#include "Game/model/GGameData.h"
#include "Game/model/GLocalChapter.h"
#include "Game/model/GUnit.h"
#include "Game/model/GUnitOrder.h"
#include "Game/net/NetSession.h"
#include "Game/net/OrderMenuPackets.h"
#include "Game/panels/CVData.h"
#include "Game/views/frame/CPopupMenu.h"
#include "Game/views/frame/LocalGuildArt.h"
#include "Game/views/frame/OrderFeedback.h"
#include "Game/views/frame/Voices.h"
#include "Game/views/space/CVSolar.h"
#include "Game/views/world/CVDispObj.h"
#include "Game/views/world/CVSgWorld.h"
#include "Game/views/world/DisplayList.h"
#include "media/CImageButton.h"
#include "platform/core/clock.h"
#include "platform/user/input.h"
#include "platform/user/keys.h"
#include "platform/user/queue.h"
#include "platform/user/system.h"
#include "platform/user/window.h"

using namespace plat;
using namespace orders;

namespace {

constexpr std::uint16_t kSelectedHalo = 0;
constexpr std::uint16_t kFilterHalo = 4;
constexpr std::uint16_t kAllHalos = 0xFFFF;
constexpr std::uint32_t kTargetPickMode = 26;
constexpr std::uint32_t kSetGotoItem = 501;
constexpr std::uint32_t kFindAsteroidItem = 505;
constexpr std::uint32_t kBattlePlanItem = 616;
// The refuelling range from the asteroid, squared; twice that without a drive.
constexpr std::uint32_t kRefuelRange = 1440000;
constexpr std::uint32_t kRefuelRangeNoDrive = 2880000;

bool IsUnitKind(std::uint16_t kind) { return kind == DISP_UNIT || kind == DISP_PICKABLE_5; }

bool Allied(const CGUnit* unit) {
  const CGChapter* local = g_gameData ? g_gameData->GetLocalChapter() : nullptr;
  return local && local->IsAlliedWith(static_cast<std::uint8_t>(unit->GetGuild()),
                                      static_cast<std::uint16_t>(unit->GetChapterSlot())) != 0;
}

bool Foreign(const CGUnit* unit) { return unit->GetChapter() != LocalChapterId(); }

}  // namespace

std::vector<std::uint8_t> BuildSolarRefuelPacket(std::uint32_t unitId, std::uint16_t location) {
  RefuelAtAsteroidPacket packet{unitId, location};
  const auto image = packet.Build();
  return {image.bytes.begin(), image.bytes.begin() + kRefuelAtAsteroidSize};
}

CVDispObj* CVSolar::ObjectOf(std::uint16_t kind, std::uint32_t id) const {
  return displayList ? displayList->Find(kind == 12 ? std::uint16_t{DISP_ASTEROID} : kind, id) : nullptr;
}

void CVSolar::Deselect(CVDispObj* object, std::uint32_t unitId) {
  RefreshDataPanel(0);
  g_gameData->RemoveFromSelection(SEL_UNIT, unitId);
  UnmarkObject(object, kSelectedHalo);
}

// --- clicks ---

int CVSolar::OnLButtonDown(int x, int y, WPARAM keys) {
  if (startScreenShown) LeaveStartScreen();
  if (CVGeneric::OnLButtonDown(x, y, keys) || !g_gameData) return 1;
  if (x >= 638 && y >= 99) {
    if (SharedScreen().dataPanel && SharedScreen().dataPanel->OnClick(x, y, 0) && SelectionCount() == 1 &&
        g_gameData->IsSelected(currentKind, currentId)) {
      RefreshDataPanel(0);
      g_gameData->RemoveFromSelection(currentKind, currentId);
      UnmarkObject(ObjectOf(currentKind, currentId), kSelectedHalo);
      UpdateCursor();
    }
    return 1;
  }
  CVDispObj* object = PickAt(x, y);
  if (!object || object->GetType() == DISP_STAR) return 1;
  const std::uint16_t kind = object->GetType();
  CGUnit* unit = IsUnitKind(kind) ? FindUnitNear(SolarLocation(), object->key.id) : nullptr;
  if (ShiftHeld()) {
    if (g_gameData->IsSelected(kind, object->key.id)) {
      RefreshDataPanel(0);
      g_gameData->RemoveFromSelection(kind, object->key.id);
      UnmarkObject(object, kSelectedHalo);
    } else {
      SelectSolarObject(object);
    }
    return 1;
  }
  const bool noCommand = SharedScreen().commandMode == kNoCommandMode;
  if (noCommand && ((kind == DISP_ASTEROID && SelectionCount() == 0) || (unit && !Foreign(unit)))) {
    SelectSolarObject(object);
  } else if (SharedScreen().commandMode == kTargetPickMode) {
    TargetSolarObject(object);
  } else if (!noCommand) {
    ExecuteSolarOrder(object);
  } else if (SelectionCount() > 0) {
    TargetSolarObject(object);
  } else if (unit && Foreign(unit)) {
    if (Allied(unit))
      PlayVoice(kVoiceAllied);
    else
      Tell(*this, "CNTORDEN", kVoiceEnemy);
  }
  return 1;
}

int CVSolar::OnRButtonDown(int x, int y, WPARAM keys) {
  if (!CVGeneric::OnRButtonDown(x, y, keys) && (GetKeyState(VK_MENU) & 0x8000) && x >= 29 && x <= 614 && y >= 98 &&
      y <= 465)
    ShowHelpTopic(304, x, y);
  return 1;
}

int CVSolar::OnLButtonDblClk(int x, int y) {
  if (startScreenShown) LeaveStartScreen();
  if (CVGeneric::OnLButtonDblClk(x, y)) return 1;
  CVDispObj* object = PickAt(x, y);
  if (!object) return 0;
  const std::uint16_t kind = object->GetType();
  if (kind == DISP_ASTEROID) {
    GoToView(VIEW_ASTEROID_SPACE, static_cast<LPARAM>(kAsteroidSubject | object->key.id));
    return 1;
  }
  if (!IsUnitKind(kind)) return 0;
  CGUnit* unit = FindUnitNear(SolarLocation(), object->key.id);
  if (!unit || Foreign(unit)) return 1;
  UpdateSelectionDisplay(1);
  GoToView(VIEW_DESIGN, static_cast<LPARAM>(unit->id));
  return 0;
}

int CVSolar::SelectObject(int kind, std::uint32_t id) {
  CVDispObj* object = ObjectOf(static_cast<std::uint16_t>(kind), id);
  return object ? SelectSolarObject(object) : CVGeneric::SelectObject(kind, id);
}

int CVSolar::PickTarget(int kind, std::uint32_t id) {
  CVDispObj* object = ObjectOf(static_cast<std::uint16_t>(kind), id);
  return object ? TargetSolarObject(object) : CVGeneric::PickTarget(kind, id);
}

int CVSolar::ExecuteOrderMode(int kind, std::uint32_t id) {
  CVDispObj* object = ObjectOf(static_cast<std::uint16_t>(kind), id);
  return object ? ExecuteSolarOrder(object) : CVGeneric::ExecuteOrderMode(kind, id);
}

// --- selection ---

int CVSolar::SelectSolarObject(CVDispObj* object) {
  if (!object || !g_gameData) return 0;
  const std::uint16_t kind = object->GetType();
  const std::uint32_t id = object->key.id;
  if (kind == DISP_ASTEROID) {
    if (object->HasHalo()) UnmarkObject(object, kAllHalos);
    if (!marks.IsMarked(id)) {
      if (!ShiftHeld()) ClearMarks();
      marks.Add(static_cast<std::uint16_t>(id));
      MarkObject(object, kSelectedHalo, LocalChapterId());
    } else {
      marks.Remove(static_cast<std::uint16_t>(id));
      DecorateAsteroid(object);
    }
    return 1;
  }
  if (kind == DISP_STAR) {
    Tell(*this, "INVLDSEL");
    return 1;
  }
  if (!IsUnitKind(kind)) {
    TraceError("CVSolar - selecting an object of no known kind", __FILE__, __LINE__);
    return 0;
  }
  CGUnit* unit = FindUnitNear(SolarLocation(), id);
  if (!unit) return 0;
  if (Foreign(unit)) {
    if (Allied(unit))
      PlayVoice(kVoiceAllied);
    else
      Tell(*this, "CNTORDEN", kVoiceEnemy);
    return 1;
  }
  if (g_gameData->IsSelected(SEL_UNIT, id)) {
    g_gameData->RemoveFromSelection(SEL_UNIT, id);
    UnmarkObject(object, kSelectedHalo);
    UpdateCursor();
    if (SharedScreen().dataPanel) SharedScreen().dataPanel->ShowUnitData(unit, SolarLocation(), 0);
    return 1;
  }
  const UnitOrder* first = unit->GetOrder(0);
  if (first && first->type == ORDER_STUNNED) {
    Tell(*this, "NOORDSTN", 0, kShortTextSize);
    MessageBeep(MB_ICONEXCLAMATION);
    return 0;
  }
  const bool shift = ShiftHeld();
  if (!shift) {
    const bool single = currentKind == DISP_UNIT && currentId == id;
    UpdateSelectionDisplay(single ? 0 : 1);
    g_gameData->AddToSelection(SEL_UNIT, id, SolarLocation());
    if (single && SharedScreen().dataPanel) SharedScreen().dataPanel->ShowUnitData(unit, SolarLocation(), 0);
  } else {
    g_gameData->AddToSelection(SEL_UNIT, id, SolarLocation());
  }
  ShowUnitHover(id, 0xFFFF);
  MarkObject(object, kSelectedHalo, LocalChapterId());
  if (!shift) UpdateCursor();
  return 1;
}

// --- target picks ---

int CVSolar::TargetSolarObject(CVDispObj* object) {
  if (!object || !g_gameData) return 0;
  const std::uint16_t kind = object->GetType();
  const std::uint32_t id = object->key.id;
  const bool generic = SharedScreen().commandMode == kNoCommandMode || SharedScreen().commandMode == kTargetPickMode;
  if (kind == DISP_ASTEROID) {
    if (IssueOrder(generic ? ORDER_MOVE_TO_ASTEROID : SharedScreen().commandMode, DISP_ASTEROID, id, 0))
      Tell(*this, "TRGTAQRD", kVoiceAsteroidTarget);
    else
      Tell(*this, "INVLDTGT", kVoiceInvalid);
  } else if (kind == DISP_STAR) {
    // A second click may make this a double click, which goes elsewhere.
    Sleep(GetDoubleClickTime());
    MSG msg;
    if (!PeekMessage(&msg, SharedScreen().viewWnd, WM_LBUTTONDBLCLK, WM_LBUTTONDBLCLK, PM_NOREMOVE))
      Tell(*this, "INVLDTGT", kVoiceInvalid);
    return 0;
  } else if (IsUnitKind(kind)) {
    CGUnit* target = FindUnitNear(SolarLocation(), id);
    if (target && target->location.asteroid >= SolarLocation()) {
      Tell(*this, "CANTINTC", kVoiceSolarSpace);
      return 0;
    }
    if (g_gameData->IsSelected(SEL_UNIT, id) && (ShiftHeld() || SelectionCount() < 2)) {
      Deselect(object, id);
      ResetMode();
    } else {
      const int ok = IssueOrder(generic ? ORDER_GO_TO_UNIT : SharedScreen().commandMode, kind, id, 0);
      if (ok)
        Tell(*this, "TRGTAQRD", target && !Foreign(target) ? kVoiceOwnTarget : kVoiceOtherTarget);
      else
        Tell(*this, "INVLDTGT", kVoiceInvalid);
    }
  } else {
    TraceError("CVSolar - a target of no known kind", __FILE__, __LINE__);
    return 0;
  }
  UpdateSelectionDisplay(1);
  ResetMode();
  return 1;
}

// --- the pending order command ---

int CVSolar::ExecuteSolarOrder(CVDispObj* object) {
  if (!object || !g_gameData) {
    Tell(*this, "INVLDTGT", kVoiceInvalid);
    return 0;
  }
  const std::uint16_t kind = object->GetType();
  const std::uint32_t id = object->key.id;
  CGUnit* target = IsUnitKind(kind) ? FindUnitNear(SolarLocation(), id) : nullptr;
  if (target && Foreign(target)) {
    Tell(*this, "INVLDTGT", kVoiceInvalid);
    return 0;
  }
  // The framework's rows take the same kinds: 0 asteroid, 1 solar space, 2 unit.
  const int targetKind = IsUnitKind(kind) ? GOTO_UNIT : kind == DISP_STAR ? GOTO_SOLAR : GOTO_ASTEROID;
  switch (SharedScreen().commandMode) {
    case ORDER_RECHARGE_FROM_UNIT:
      if (kind != DISP_ASTEROID) break;
      return CVGeneric::ExecuteOrderMode(GOTO_ASTEROID, id);
    case ORDER_RECHARGE_FROM_ASTEROID: {
      if ((SharedScreen().commandUnitId >> 16) == 0xFFFF) {
        if (!IsUnitKind(kind) || (SharedScreen().commandUnitId & 0xFFFF) != SolarLocation()) {
          Tell(*this, "INVLDTGT", kVoiceInvalid);
        } else {
          // A unit object whose unit has gone is out of reach, not the wrong kind.
          CGUnit* ship = g_gameData->pieces.FindUnitAt(SolarLocation(), id);
          const std::uint32_t range = ship && ship->GetLocalSpaceSpeed() != 0 ? kRefuelRange : kRefuelRangeNoDrive;
          if (ship && ship->IsAsteroidInRange(ORDER_RECHARGE_FROM_ASTEROID, ship->location.asteroid, range)) {
            std::vector<std::uint8_t> packet = BuildSolarRefuelPacket(ship->id, ship->location.asteroid);
            if (g_session) g_session->Send(kAllPlayersSlot, packet.data(), static_cast<std::uint32_t>(packet.size()));
            Tell(*this, "RECHARG5", kVoiceRefuel);
          } else {
            Tell(*this, "NOINRNGE");
          }
        }
      }
      // The cursor leaves the refuel look once before the mode ends.
      SharedScreen().commandMode = kRefuelEndedMode;
      UpdateCursor();
      ResetMode();
      return 1;
    }
    case ORDER_SCAN_ASTEROID:
      if (kind == DISP_STAR) {
        Tell(*this, "INVLDTGT", kVoiceInvalid);
        UpdateSelectionDisplay(1);
        return 0;
      }
      return CVGeneric::ExecuteOrderMode(targetKind, id);
    case ORDER_SCAN_SHIP:
    case ORDER_DELAYED_MOVE:
    case ORDER_BOMBARD:
      return CVGeneric::ExecuteOrderMode(targetKind, id);
    default:
      break;
  }
  Tell(*this, "CANTINTC", kVoiceSolarSpace);
  ResetMode();
  return 1;
}

// --- view switch ---

void CVSolar::GoToView(WPARAM type, LPARAM value) {
  SharedScreen().previousViewType = VIEW_SOLAR;
  SharedScreen().viewType = static_cast<std::uint32_t>(type);
  activated = 0;
  PostMessage(SharedScreen().viewWnd, 0x800, type, value);
  if (startScreenShown) LeaveStartScreen();
  if (g_sgWorld) g_sgWorld->ResetSceneDrawFlag();
  UnmarkAll();
  if (SharedScreen().pendingOrderOption == 4 || SharedScreen().pendingOrderOption == 5) {
    if (activeFilter == 5 && filterButtons[4]) filterButtons[4]->Toggle();
    activeFilter = 0;
    SharedScreen().pendingOrderOption = 255;
    RefreshDataPanel(0);
  }
  if (g_highlightAsteroid != 0xFFFF) {
    flashCount = 0;
    UnmarkObject(ObjectOf(DISP_ASTEROID, g_highlightAsteroid), kFilterHalo);
  }
  ShowButtons(false);
  HideControlButtons();
  StopCameraMotion();
}

// --- the view's popup menu ---

int CVSolar::ShowObjectMenu(int x, int y) {
  // The view's own menu is about no object: a unit or asteroid that an
  // earlier menu was about must not take its items.
  SharedScreen().menuObjectKind = 0xFF;
  ClosePopupMenu();
  SharedScreen().popupMenu =
      new CPopupMenu(SharedScreen().viewDDraw, SharedScreen().viewWnd, SharedScreen().screenSprite, x, y, 1, 0);
  SharedScreen().popupMenu->AppendItem(kFindAsteroidItem, LocalGuildArt("pmfndast.ima").c_str(),
                                       LocalGuildArt("phfndast.ima").c_str(), LocalGuildArtModule());
  SharedScreen().popupMenu->AppendItem(kBattlePlanItem, LocalGuildArt("pmbatpln.ima").c_str(),
                                       LocalGuildArt("phbatpln.ima").c_str(), LocalGuildArtModule());
  SharedScreen().popupMenu->Track();
  return 1;
}

LRESULT CVSolar::OnMenuCommand(std::uint32_t id) {
  if (id != kSetGotoItem && id != kFindAsteroidItem) {
    const LRESULT handled = CVB3DView::OnMenuCommand(id);
    if (handled) UpdateCursor();
    return handled;
  }
  if (!SharedScreen().popupMenu) {
    TraceError("CVSolar - a menu command without its menu", __FILE__, __LINE__);
    return 1;
  }
  if (id == kSetGotoItem) {
    int menuX = 0;
    SharedScreen().popupMenu->GetPosition(&menuX, nullptr);
    const int column = GotoColumnAt(menuX);
    std::uint16_t asteroid = 0;
    std::uint16_t kind = 0;
    std::uint32_t object = 0;
    if (HasMarkedAsteroid(&asteroid)) {
      SetGotoSlot(column, GOTO_ASTEROID, asteroid, 1);
    } else if (g_gameData && g_gameData->GetSelectionCount() > 0 && GetSingleSelection(&kind, &object)) {
      SetGotoSlot(column, kind, object, 1);
      if (g_gameData->GetSelectionCount() == 1) {
        UnmarkObject(ObjectOf(kind, object), kSelectedHalo);
        RefreshDataPanel(0);
        g_gameData->RemoveFromSelection(kind, object);
        UpdateCursor();
      }
    } else {
      SetGotoSlot(column, GOTO_SOLAR, 0, 1);
    }
  }
  ClosePopupMenu();
  if (id == kSetGotoItem)
    DrawGotoBar();
  else
    FindAsteroid();
  UpdateCursor();
  return 1;
}
