#pragma once
// What the game core asks of the program around it: its boxes and questions,
// the front-end screens, the battle-plan dialogs, the progress dialog, the movies, the configuration
// screen, its own block of
// a saved game, the save dialog and the load screen, its chapter, the messages to its windows,
// the session's login box, the e-mail input and the packet sniffer. The program implements
// it and registers itself once; until then, and with no program at all
// (tests, the fuzz targets, the benchmarks, the server's tools), the default
// does nothing and answers as noted, so the core runs on its own.
//
// Game thread only.

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "platform/core/files.h"
#include "platform/core/types.h"

struct BattlePlanPacket;
struct DefaultBattlePlanTable;
struct HvMServiceEx_Struct;

class IClientShell {
 public:
  virtual ~IClientShell() = default;

  // A Yes/No box with the text of a text ID formatted with `arg` (null:
  // none), in the local guild's art. True for yes (true).
  virtual bool AskYesNo(const char* /*textId*/, const char* /*arg*/) { return true; }
  // A Yes/No box over the game screen with the text of a text ID, in the
  // local guild's art; the screen is drawn again after it. True for yes (true).
  virtual bool AskInPlay(const char* /*textId*/) { return true; }
  // The OK box with the text of a text ID, formatted with `arg` when not null.
  virtual void ShowTextBox(const char* /*textId*/, const char* /*arg*/) {}
  // The OK box with a literal text; only with a display.
  virtual void ShowPlainBox(const char* /*text*/) {}
  // The system message box with a literal text and caption.
  virtual void ShowSystemBox(const char* /*text*/, const char* /*caption*/) {}
  // The OK box with a literal text for the rules data's complaints (a rules
  // file missing or damaged, the battle-plan file), shown before the
  // application is up as well.
  virtual void ShowRulesMessage(const char* /*text*/) {}
  // The battle-plan dialogs of a unit and of a group over a record, and the
  // default-battle-plan dialog over a table: true when the player confirmed,
  // the record then holding the chosen plans (false: cancelled).
  virtual bool RunBattlePlanDialog(BattlePlanPacket& /*plan*/) { return false; }
  virtual bool RunGroupBattlePlanDialog(BattlePlanPacket& /*plan*/) { return false; }
  virtual bool RunDefaultBattlePlanDialog(DefaultBattlePlanTable& /*plans*/) { return false; }
  // Plays a movie file (the game's result).
  virtual void PlayMovie(const char* /*file*/) {}
  // Runs the front-end screens from `startScreen` on: 0 when the player left,
  // else nonzero with a game chosen. None with no front end (none): the
  // application then shows a placeholder screen that says so, and leaves.
  virtual std::optional<int> RunScreenFlow(int /*startScreen*/) { return std::nullopt; }
  // The progress dialog with the text of a text ID and an animation (0 none),
  // or its text and animation changed when it is open.
  virtual void OpenProgress(const char* /*textId*/, int /*animation*/) {}
  // Closes and deletes the progress dialog, when open.
  virtual void CloseProgress() {}
  // The next main-loop pass acts as if Escape had been pressed.
  virtual void SetPendingEscape() {}

  // The application's own block of a saved game, at the file's place: 1
  // done, 0 failed (the default has none: nothing written or read, 1).
  virtual int SaveAppState(plat::FILE* /*file*/) { return 1; }
  virtual int LoadAppState(plat::FILE* /*file*/) { return 1; }
  // Takes down whatever of the screen reads the running game (its views and
  // panels), while that game is still the game of record: a load calls it
  // before reading the application's block of the game that replaces it.
  virtual void ReleaseGameScreen() {}
  // The save dialog's name for the player's own save; false when the player
  // cancelled (false: no name, nothing saved).
  virtual bool ChooseSaveName(std::string* /*name*/) { return false; }
  // The saved-game loader's request, which the load screen answers: it makes
  // a loader in request mode for a file of `loadMode`. 0 asks again, 1 keeps
  // the loader for the reply, 2 the player cancelled (2: no load).
  virtual int AnswerLoadRequest(std::uint32_t /*loadMode*/) { return 2; }
  // Lets the player choose a file of the load screen's `mode` during a game;
  // true with the file's directory and name ("name.ext") (false).
  virtual bool ChooseLoadFile(int /*mode*/, std::string* /*directory*/, std::string* /*name*/) { return false; }
  // The player's own save is written under this file name in the save
  // directory: the game the title's quick start goes back to.
  virtual void OwnSaveWritten(const std::string& /*name*/) {}
  // Deletes the turn's replay files and review logs.
  virtual void DeleteReplayFiles() {}

  // The application's local chapter identifier, for a load with no game
  // yet; `noApp` from the default.
  virtual std::uint16_t AppChapterId(std::uint16_t noApp) { return noApp; }
  // The application's chapter name, for the e-mail turn's packet 13 ("").
  virtual const char* PlayerName() { return ""; }
  // Posts a message to the main window.
  virtual void PostToMainWindow(std::uint32_t /*msg*/) {}

  // The program's 40-byte game configuration block, valid until the next
  // call (empty: none).
  virtual std::span<std::uint8_t> GameConfigBlock() { return {}; }
  // Runs the game configuration screen over the block, as the server's
  // exchange of configurations asks for it; the player's changes are written
  // back into it (nothing changed).
  virtual void RunConfigScreen(std::span<std::uint8_t> /*block*/) {}
  // The program was started by a lobby (false).
  virtual bool LobbyLaunch() { return false; }
  // The local chapter the packet handlers speak for, given the game data's
  // (0 with no game). The program's is the game data's, as is the default's.
  virtual std::uint16_t HandlerChapterId(std::uint16_t ofGame) { return ofGame; }
  // The game settings received in packet 54, whole packet (nothing).
  virtual void ApplyReceivedSettings(std::span<const std::uint8_t> /*packet*/) {}
  // Posts the quit message with a code.
  virtual void PostQuit(int /*code*/) {}
  // The login box of a service that asks for a user name and password: it
  // writes them into the settings (nothing asked).
  virtual void RunLogin(HvMServiceEx_Struct& /*settings*/) {}

  // Whether the session's packets are handled at all: only while someone
  // hears what they tell (the default: a notify window exists).
  virtual bool HearsSession(plat::HWND notifyWindow) { return notifyWindow != nullptr; }
  // Posts (send = false) or sends a message to the session's notify window
  // (null: none).
  virtual void NotifySession(plat::HWND /*notifyWindow*/, std::uint32_t /*msg*/, std::uintptr_t /*wParam*/,
                             std::intptr_t /*lParam*/, bool /*send*/) {}

  // The next packet of the e-mail input into `buffer`, its length in
  // `*length`; false at the end (false).
  virtual bool NextEmailPacket(std::span<std::uint8_t> /*buffer*/, std::uint32_t* /*length*/) { return false; }
  // The packet sniffer's line for a packet about to be handled, when it is on.
  virtual void PacketProcessing(std::span<const std::uint8_t> /*packet*/) {}
  // Told the type of each packet the dispatcher has handled; scripted runs
  // wait on it.
  virtual void PacketHandled(std::uint16_t /*type*/) {}
};

// The registered shell, or the do-nothing default.
IClientShell& ClientShell();
// Registers the program's shell; null goes back to the default. The caller
// keeps the object alive while it is registered.
void RegisterClientShell(IClientShell* shell);
