#pragma once
// What the application tells the game screen, beyond what the game data and
// the handlers tell it (Game/model/GViewNotices.h): the views it makes, the turn marker, the
// notification lines, the replay file, the framework's
// saved block, the screen flush, help and the in-game options. The view framework implements both at once and registers
// itself once; the default does nothing and answers as noted.
//
// Game thread only.

#include <cstdint>
#include <memory>

#include "Game/app/GameView.h"
#include "Game/model/GViewNotices.h"
#include "platform/core/files.h"
#include "platform/core/types.h"

class CDDraw;

class IAppViewNotices : public IViewNotices {
 public:
  // Makes one of the six views over the main window and instance (none).
  virtual std::unique_ptr<IGameView> CreateView(ViewType /*type*/, plat::HWND /*window*/,
                                                plat::HINSTANCE /*instance*/) {
    return nullptr;
  }
  // The turn for which END TURN was given, -1 none (-1).
  virtual std::int32_t TurnMarker() { return -1; }
  virtual void SetTurnMarker(std::int32_t /*turn*/) {}
  // The notification panel drops its lines with the notifications.
  virtual void ClearNotificationLines() {}
  // The space replay view closes its replay file before a load.
  virtual void CloseReplayFile() {}
  // The framework's shared block of a saved game, before the views' blocks.
  virtual void SaveSharedState(plat::FILE* /*file*/) {}
  virtual void LoadSharedState(plat::FILE* /*file*/) {}
  // 1 suspends the screen flush, 0 resumes it and marks the screen dirty.
  virtual void SuspendScreenFlush(int /*suspend*/) {}
  virtual bool ScreenFlushSuspended() { return false; }
  // Shows a help topic (nothing shown).
  virtual void ShowHelp(CDDraw* /*display*/, plat::HWND /*parent*/, plat::HINSTANCE /*instance*/,
                        std::uint32_t /*topic*/) {}
  // Runs the in-game options dialog modally (it ends at once).
  virtual void RunOptions(CDDraw* /*display*/, plat::HWND /*window*/, plat::HINSTANCE /*instance*/,
                          IGameView* /*view*/) {}
};

// The registered notices, or the do-nothing default.
IAppViewNotices& AppViewNotices();
// Registers the game screen's notices for the application and, through the
// same object, for the game data and handlers; null goes back to the defaults.
void RegisterAppViewNotices(IAppViewNotices* notices);
