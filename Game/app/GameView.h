#pragma once
// What the application calls on a game view: the view framework's base view
// derives from this and overrides what it does. Every operation does nothing
// by default, so a view that lacks one is harmless. Game thread only.

#include <cstdint>

#include "platform/core/files.h"
#include "platform/core/types.h"
#include "platform/dialog/ownerdraw.h"

// The view kinds, and the value of the view-switch message.
enum ViewType : std::uint32_t {
  VIEW_DESIGN = 0,
  VIEW_TERRAIN = 1,
  VIEW_SOLAR = 2,
  VIEW_ASTEROID_SPACE = 3,
  VIEW_SPACE_REPLAY = 6,
  VIEW_TERRAIN_REPLAY = 7,
};

class IGameView {
 public:
  virtual ~IGameView() = default;
  // Input: nonzero when the view used it (the application ignores it).
  virtual void UpdateCursor() {}
  virtual void SetCursorSet(std::uint32_t /*kind*/) {}
  virtual int OnLButtonDown(int /*x*/, int /*y*/, plat::WPARAM /*keys*/) { return 0; }
  virtual int OnRButtonDown(int /*x*/, int /*y*/, plat::WPARAM /*keys*/) { return 0; }
  virtual int OnLButtonUp(int /*x*/, int /*y*/, plat::WPARAM /*keys*/) { return 0; }
  virtual int OnRButtonUp(int /*x*/, int /*y*/, plat::WPARAM /*keys*/) { return 0; }
  virtual int OnLButtonDblClk(int /*x*/, int /*y*/) { return 0; }
  virtual int OnKeyUp(plat::WPARAM /*key*/, plat::LPARAM /*keyData*/) { return 0; }
  virtual int OnKeyDown(plat::WPARAM /*key*/, plat::LPARAM /*keyData*/) { return 0; }
  // The position packed as x in the low and y in the high 16 bits.
  virtual int OnMouseMove(plat::WPARAM /*keys*/, plat::LPARAM /*position*/) { return 0; }
  virtual int OnMouseWheel(plat::WPARAM /*wParam*/, plat::LPARAM /*lParam*/) { return 0; }
  // -1 asks for a full frame.
  virtual void Render(std::int32_t /*argument*/) {}
  virtual void Invalidate() {}
  virtual void GoToView(plat::WPARAM /*a*/, plat::LPARAM /*b*/) {}
  virtual void DrawGotoBar() {}
  virtual void UpdateControlPanel() {}
  virtual void DrawTurnLamps() {}
  virtual void RedrawBackground() {}
  // The data panel drawn again over a new background, as the view would show it.
  virtual void RedrawDataPanel() {}
  // Owner drawing of the main window's controls and menu items.
  virtual void OnDrawItem(plat::DRAWITEMSTRUCT* /*item*/) {}
  virtual void DrawControlButton(plat::DRAWITEMSTRUCT* /*item*/) {}
  virtual void RouteDrawItem(plat::DRAWITEMSTRUCT* /*item*/, int /*flag*/) {}
  virtual void DrawMenuItem(plat::DRAWITEMSTRUCT* /*item*/) {}
  // Commands; the result is the window procedure's.
  virtual plat::LRESULT OnCommand(std::uint32_t /*id*/) { return 0; }
  virtual plat::LRESULT OnMenuCommand(std::uint32_t /*id*/) { return 0; }
  virtual plat::LRESULT OnControlCommand(std::uint32_t /*id*/) { return 0; }
  virtual void OnMenuSelect(plat::HMENU /*menu*/, std::uint32_t /*position*/) {}
  virtual void OnGameStart() {}
  // Turn results: the stale mark of the space views and the redraws after a turn.
  virtual void MarkStale() {}
  virtual void ResetTurnLamps() {}
  virtual void RedrawEndTurnButton() {}
  // The goto bar back to its first entries: home, solar system, design.
  virtual void ResetGotoSlots() {}
  virtual void RebuildDisplay() {}
  // Before turn processing and before a restart.
  virtual void OnTurnProcessing() {}
  virtual void PlayFrameAnimation(std::uint32_t /*elapsedMs*/) {}
  // Shows `text` in the status line for `displayTime` steps of the frame
  // animation (nothing).
  virtual void SetStatusText(const char* /*text*/, int /*displayTime*/) {}
  // The view's own block of a saved game; 1 when done.
  virtual int SaveState(plat::FILE* /*file*/) { return 1; }
  virtual int LoadState(plat::FILE* /*file*/) { return 1; }
  virtual ViewType GetViewType() const = 0;
};
