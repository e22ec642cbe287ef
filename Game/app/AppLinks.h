#pragma once
// What the application needs from parts of the client built around it: the
// saved-game loader, the packet dispatcher, the views, the front-end screens,
// the progress dialog and the movie player (the game data it leads itself,
// Game/app/GameLife.h; what it tells the game screen goes through
// Game/app/AppViewNotices.h). The program fills these in before it creates
// the application; an empty link does the sound nothing (no packet is
// dispatched, no view is made, no movie plays). Game thread only.

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

// The saved-game loader and the e-mail turn file.
struct LoadLinks {
  // Makes a loader in request mode: 0 asks again, 1 keeps the loader for the
  // reply, 2 the player cancelled.
  std::function<int(GameConfigPacket& config, std::uint32_t loadMode)> request;
  std::function<bool()> loaderExists;
  std::function<void()> deleteLoader;
  // The kept loader reads its file; false when the file is invalid.
  std::function<bool()> load;
  // A loader over the load-data packet the session kept reads the saved game
  // from it; false when there was none or the copy could not be read.
  std::function<bool()> loadData;
  // Writes the client turn file of an e-mail game; false on failure.
  std::function<bool(const char* name)> writeClientTurnFile;
};

struct HvMServiceEx_Struct;

struct AppLinks {
  LoadLinks loading;
  // Appends a packet to the e-mail turn file (e-mail games and file-send mode).
  std::function<void(const std::uint8_t* packet, std::uint32_t length, int slot)> writeEmailPacket;
  // Lets the packet dispatcher handle at most one received packet; true when
  // it handled one.
  std::function<bool()> dispatchPacket;
  // Runs the front-end screens from `startScreen` on; returns 0 when the
  // player left, else nonzero with a game chosen. Empty: a placeholder screen
  // that says the front end is not there and leaves.
  std::function<int(CClntApp& app, int startScreen)> runScreenFlow;
  // The progress dialog: opened (or its texts changed) and closed.
  std::function<void(const char* text, int animation)> openProgress;
  std::function<void()> closeProgress;
  // Saves the game to the named file, and the autosave; false on failure.
  std::function<bool(const char* name)> saveGame;
  std::function<bool(plat::LPARAM data)> autoSave;
  // The login box of a service that asks for a user name and password: it
  // writes them into the settings. Empty: nothing asked.
  std::function<void(HvMServiceEx_Struct& settings)> runLogin;
  // The game configuration screen over `config`, as the server's exchange of
  // configurations asks for it (lock button shown or not). Empty: the
  // configuration goes as it is.
  std::function<void(GameConfigPacket& config, bool lockShown)> runConfigScreen;
};
