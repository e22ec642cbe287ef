#pragma once
// What the application needs from parts of the client built around it: the
// load screen, the views, the front-end screens, the progress dialog and the
// movie player (the game data it leads itself, Game/app/GameLife.h; the saved
// games, Game/app/SavedGames.h; what it tells the game screen goes through
// Game/app/AppViewNotices.h). The program fills these in before it creates
// the application; an empty link does the sound nothing (no load is asked
// for, no view is made, no movie plays). Game thread only.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "Game/app/GameView.h"
#include "Game/setup/GameSetup.h"
#include "platform/core/files.h"
#include "platform/core/types.h"

class CClntApp;
class CDDraw;

// The saved-game loader's request, which the front end's load screen answers.
struct LoadLinks {
  // Makes a loader in request mode: 0 asks again, 1 keeps the loader for the
  // reply, 2 the player cancelled.
  std::function<int(GameConfigPacket& config, std::uint32_t loadMode)> request;
};

struct AppLinks {
  LoadLinks loading;
  // Runs the front-end screens from `startScreen` on; returns 0 when the
  // player left, else nonzero with a game chosen. Empty: a placeholder screen
  // that says the front end is not there and leaves.
  std::function<int(CClntApp& app, int startScreen)> runScreenFlow;
  // The progress dialog: opened (or its texts changed) and closed.
  std::function<void(const char* text, int animation)> openProgress;
  std::function<void()> closeProgress;
  // The game configuration screen over `config`, as the server's exchange of
  // configurations asks for it (lock button shown or not). Empty: the
  // configuration goes as it is.
  std::function<void(GameConfigPacket& config, bool lockShown)> runConfigScreen;
};
