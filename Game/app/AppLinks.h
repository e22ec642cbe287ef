#pragma once
// What the application needs from parts of the client built around it: the
// game data, the packet dispatcher, the views, the front-end screens, the
// progress dialog and the movie player (what it tells the game screen goes
// through Game/app/AppViewNotices.h). The program fills these in before it creates the application; an
// empty link does the sound nothing (no game exists, no packet is dispatched,
// no view is made, no movie plays). Game thread only.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "Game/setup/GameSetup.h"
#include "Game/app/GameView.h"
#include "platform/core/files.h"
#include "platform/core/types.h"

class CClntApp;
class CDDraw;

struct GameDataLinks {
  // Creates the game data for the chosen chapter; false when it cannot.
  std::function<bool(std::uint16_t chapterId, std::uint16_t chaptersPerGuild)> create;
  std::function<void()> destroy;
  // The game data exists.
  std::function<bool()> exists;
  // The local chapter's identifier (its guild is the identifier >> 3).
  std::function<std::uint16_t()> localChapterId;
  // The game's own "guild.dll" of a guild and its image module; null when none.
  std::function<plat::HMODULE(int guild)> guildModule;
  std::function<plat::HMODULE()> imageModule;
  // The settings for a chapter, with the game configuration when one is held.
  std::function<void(const GameSettingsPacket& settings, const GameConfigPacket* config, std::uint16_t chapterId)>
      applyGameSetup;
  std::function<void(const char* name)> setChapterName;
  std::function<std::string()> chapterName;
  // Marks the local chapter as playing after a load.
  std::function<void()> setStateFlag;
  // The local guild's dark and light colours; false without them.
  std::function<bool(plat::COLORREF& dark, plat::COLORREF& light)> guildColours;
  // The turn's results arrived: advances the model a turn (when `advance`)
  // and notes the new turn for the local chapter.
  std::function<void(bool advance)> turnResults;
  // Turn processing begins: the foreign units in space go.
  std::function<void()> turnProcessing;
  // The game's turn.
  std::function<std::uint32_t()> turn;
  // Clears every chapter's notifications (before turn processing and a restart).
  std::function<void()> clearNotifications;
  // The local chapter has a home asteroid.
  std::function<bool()> localHasHome;
};

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
  // The space replay view closes its replay file.
  std::function<void()> closeReplayFile;
  // Writes the client turn file of an e-mail game; false on failure.
  std::function<bool(const char* name)> writeClientTurnFile;
};

struct HvMServiceEx_Struct;

struct AppLinks {
  GameDataLinks game;
  LoadLinks loading;
  // Appends a packet to the e-mail turn file (e-mail games and file-send mode).
  std::function<void(const std::uint8_t* packet, std::uint32_t length, int slot)> writeEmailPacket;
  // Lets the packet dispatcher handle at most one received packet; true when
  // it handled one.
  std::function<bool()> dispatchPacket;
  // Makes one of the six views over the main window and instance.
  std::function<std::unique_ptr<IGameView>(ViewType type, plat::HWND window, plat::HINSTANCE instance)> createView;
  // Runs the front-end screens from `startScreen` on; returns 0 when the
  // player left, else nonzero with a game chosen. Empty: a placeholder screen
  // that says the front end is not there and leaves.
  std::function<int(CClntApp& app, int startScreen)> runScreenFlow;
  // Plays a movie file modally over the main window; empty: it ends at once.
  std::function<void(plat::HWND window, plat::HINSTANCE instance, const char* path)> playMovie;
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
