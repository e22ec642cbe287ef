// Mouse and keys of the view base: by screen area to the goto bar, the info
// panel and the notification panel; the rest to the views' own slots.
#include <cstdint>

#include "Game/app/AppGlobals.h"
#include "Game/app/AppMessages.h"
#include "Game/model/GControlIds.h"
#include "Game/model/GGameData.h"
#include "Game/model/GLocalChapter.h"
#include "Game/model/GUnitOrder.h"
#include "Game/panels/CInfoPanel.h"
#include "Game/panels/CVNotify.h"
#include "Game/views/frame/CVGeneric.h"
#include "media/CImageButton.h"
#include "media/CSndPlay.h"
#include "platform/user/focus.h"
#include "platform/user/input.h"
#include "platform/user/keys.h"
#include "platform/user/queue.h"

using namespace plat;

namespace {

// Coordinates are compared as unsigned 16-bit values: a position left of or
// above the window wraps to a large one and lies in no area.
struct Point {
  std::uint16_t x;
  std::uint16_t y;
};

Point At(int x, int y) { return {static_cast<std::uint16_t>(x), static_cast<std::uint16_t>(y)}; }

bool InNotifyArea(Point p) {
  return SharedScreen().viewType != VIEW_DESIGN && p.x > 22 && p.x < 601 && p.y > 496 && p.y < 592;
}
bool InInfoArea(Point p) { return SharedScreen().infoPanelVisible && p.x > 28 && p.x < 615 && p.y > 97 && p.y < 466; }
bool InGotoBar(Point p) { return p.y < 74; }
bool InTabRow(Point p) { return p.y < 8; }

bool KeyHeld(UINT vk) { return (GetKeyState(static_cast<int>(vk)) & 0x8000) != 0; }

void PlayClick() {
  if (g_sndPlay) g_sndPlay->PlayEffect("Click", 1.0f, 0.0f, 0);
}

bool Selected(const GotoEntry& e) { return g_gameData && g_gameData->IsSelected(e.kind, e.id) != 0; }

bool IsAsteroidEntry(const GotoEntry& e) { return e.kind == GOTO_ASTEROID || e.kind == GOTO_TERRAIN_ASTEROID; }

GotoEntry& EntryAt(int slot) {
  if (slot < kGotoColumns * SharedScreen().gotoGroup) slot += kGotoColumns * SharedScreen().gotoGroup;
  return SharedScreen().gotoSlots[static_cast<std::size_t>(slot) % SharedScreen().gotoSlots.size()];
}

}  // namespace

void CVGeneric::ClosePopupMenu() {
  if (!SharedScreen().popupMenu) return;
  ReleasePopupMenu(SharedScreen().popupMenu);
  SharedScreen().popupMenu = nullptr;
  UpdateCursor();
}

int CVGeneric::OnLButtonDown(int x, int y, WPARAM keys) {
  ClosePopupMenu();
  const Point p = At(x, y);
  if (InGotoBar(p)) {
    if (InTabRow(p)) {
      if (p.x >= kScreenWidth) return 0;
      SharedScreen().gotoGroup = static_cast<std::uint8_t>(GotoTabAt(p.x));
      DrawGotoBar();
      return 1;
    }
    GotoEntry& e = EntryAt(GetGotoSlotAtX(p.x));
    if (GetViewType() != VIEW_DESIGN && e.kind != GOTO_EMPTY) {
      const bool anySelected = g_gameData && g_gameData->GetSelectionCount() > 0;
      const std::uint16_t local = LocalChapterId();
      if (keys & MK_SHIFT) {
        if (!Selected(e)) {
          SelectObject(e.kind, e.id);
          return 1;
        }
        RefreshDataPanel(0);
        if (g_gameData) g_gameData->RemoveFromSelection(e.kind, e.id);
        HighlightObject(e.kind, e.id);
        DrawGotoBar();
        return 1;
      }
      if (SharedScreen().commandMode == kNoCommandMode &&
          ((IsAsteroidEntry(e) && !anySelected) || (e.kind == GOTO_UNIT && (e.id >> 26) == local))) {
        SelectObject(e.kind, e.id);
      } else if (SharedScreen().commandMode == ORDER_TYPE_26 ||
                 (SharedScreen().commandMode == kNoCommandMode && anySelected)) {
        PickTarget(e.kind, e.id);
      } else if (SharedScreen().commandMode != kNoCommandMode) {
        ExecuteOrderMode(e.kind, e.id);
      }
    }
  }
  if (InNotifyArea(p))
    return SharedScreen().notifyPanel ? SharedScreen().notifyPanel->OnLButtonDown(p.x, p.y, keys) : 0;
  if (InInfoArea(p)) {
    if (SharedScreen().infoPanel && SharedScreen().infoPanel->OnLButtonDown(p.x, p.y, keys)) {
      Invalidate();
      Render(-1);
    }
    return 1;
  }
  return 0;
}

int CVGeneric::OnRButtonDown(int x, int y, WPARAM keys) {
  ClosePopupMenu();
  const Point p = At(x, y);
  if (InNotifyArea(p))
    return SharedScreen().notifyPanel ? SharedScreen().notifyPanel->OnRButtonDown(p.x, p.y, keys) : 0;
  if (!KeyHeld(VK_MENU)) {
    if (InInfoArea(p)) {
      if (SharedScreen().infoPanel) SharedScreen().infoPanel->OnRButtonDown(p.x, p.y, keys);
      return 1;
    }
    return ShowContextMenu(p.x, p.y);
  }
  if (InGotoBar(p)) {
    PlayClick();
    ShowHelpTopic(201, p.x, p.y);
    return 1;
  }
  if (InInfoArea(p)) {
    if (SharedScreen().infoPanel) SharedScreen().infoPanel->ShowContextHelp(p.x, p.y);
    return 1;
  }
  return 0;
}

int CVGeneric::OnLButtonDblClk(int x, int y) {
  const Point p = At(x, y);
  if (InNotifyArea(p)) return SharedScreen().notifyPanel ? SharedScreen().notifyPanel->OnLButtonDblClk(p.x, p.y) : 0;
  if (InInfoArea(p)) {
    if (SharedScreen().infoPanel && SharedScreen().infoPanel->OnLButtonDblClk(p.x, p.y)) {
      Invalidate();
      Render(-1);
    }
    return 1;
  }
  if (!InGotoBar(p)) return 0;
  const int slot = GetGotoSlotAtX(p.x);
  PlayClick();
  ActivateGotoSlot(slot, p.x, p.y);
  const GotoEntry& e = EntryAt(slot);
  if (KeyHeld(VK_SHIFT)) return 1;
  if (e.kind == GOTO_UNIT && Selected(e)) {
    if (g_gameData) g_gameData->RemoveFromSelection(e.kind, e.id);
    HighlightObject(GOTO_UNIT, e.id);
    DrawGotoSlotLabel(GotoColumnAt(p.x), g_gameData ? g_gameData->pieces.FindUnit(e.id, nullptr) : nullptr, 0);
    FlushScreen();
  } else if (IsAsteroidEntry(e)) {
    OnDblClkObject(e.id);
  }
  return 1;
}

int CVGeneric::OnMouseMove(WPARAM keys, LPARAM position) {
  const Point p{LOWORD(static_cast<std::uintptr_t>(position)), HIWORD(static_cast<std::uintptr_t>(position))};
  if (SharedScreen().infoPanelVisible)
    return SharedScreen().infoPanel ? SharedScreen().infoPanel->OnMouseMove(p.x, p.y) : 0;
  if (InGotoBar(p)) {
    const GotoEntry& e = EntryAt(GetGotoSlotAtX(p.x));
    ShowObject(e.kind, e.id);
    return 1;
  }
  if (p.y > 496 && p.x < 601)
    return SharedScreen().notifyPanel ? SharedScreen().notifyPanel->OnMouseMove(keys, p.y) : 0;
  return 0;
}

int CVGeneric::OnMouseWheel(WPARAM wheel, LPARAM position) {
  const Point p{LOWORD(static_cast<std::uintptr_t>(position)), HIWORD(static_cast<std::uintptr_t>(position))};
  if (p.y > 496 && p.x < 601) return SharedScreen().notifyPanel ? SharedScreen().notifyPanel->OnMouseWheel(wheel) : 0;
  return 0;
}

int CVGeneric::OnKeyUp(WPARAM, LPARAM) { return GetFocus() != SharedScreen().viewWnd ? 1 : 0; }

int CVGeneric::OnKeyDown(WPARAM key, LPARAM) {
  if (GetFocus() != SharedScreen().viewWnd) return 1;
  const std::uint32_t type = GetViewType();
  const bool flat = type == VIEW_DESIGN || type == VIEW_SPACE_REPLAY || type == VIEW_TERRAIN_REPLAY;
  const bool ctrl = KeyHeld(VK_CONTROL);
  switch (key) {
    case VK_BACK:
      if (flat) return 0;
      if (KeyHeld(VK_SHIFT))
        DeleteAllOrders();
      else
        UpdateSelectionDisplay(1);
      return 0;
    case VK_RETURN:
      if (SharedScreen().previousViewType != VIEW_SOLAR)
        GoToView(SharedScreen().previousViewType,
                 static_cast<LPARAM>(0xFFFF0000u | SharedScreen().previousViewAsteroid));
      else
        GoToView(VIEW_SOLAR, -1);
      return 0;
    case VK_END:
      if (!ctrl) return 0;
      OnControlCommand(control::kEndTurn);
      return 1;
    case VK_DELETE:
      if (!flat) DeleteAllOrders();
      return 0;
    case 'D':
      ToggleInfoPanel();
      if (CImageButton* info = ControlButton(control::kInfo)) {
        info->Toggle();
        if (info->sprite) DrawViewSprite(info->sprite.get(), info->x, info->y, nullptr);
      }
      if (SharedScreen().replayMode) LeaveReplayMode(1);
      SetFocus(SharedScreen().viewWnd);
      return 1;
    case 'L':
      if (!ctrl) return 0;
      PostMessage(SharedScreen().viewWnd, WM_APP_LOAD_REQUEST, 0, 0);
      return 1;
    case 'R':
      if (ctrl) AskRestartGame();
      return 0;
    case 'S':
      if (ctrl) {
        RecenterCamera();
        PostMessage(SharedScreen().viewWnd, WM_APP_SAVE, 0, 0);
      } else if (type == VIEW_DESIGN) {
        SharedScreen().previousViewType = VIEW_SOLAR;
        UpdateSwitchViewButton(101);
      } else if (type != VIEW_SOLAR) {
        GoToView(VIEW_SOLAR, -1);
      }
      return 1;
    default:
      if (key >= '0' && key <= '9' && type != VIEW_DESIGN) {
        SharedScreen().gotoGroup = static_cast<std::uint8_t>(key == '0' ? 9 : key - '1');
        DrawGotoBar();
        return 1;
      }
      return 0;
  }
}
