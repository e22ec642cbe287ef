#pragma once
// What saving and loading need of the application above the game core: its
// own block of a saved game, its boxes, the progress dialog and the session's
// sends. The application fills these in when it starts; an empty link does
// nothing or answers as noted, so that saves and loads run without an
// application (tests, the fuzz targets, the benchmark).
//
// Game thread only.

#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "platform/core/files.h"

struct SaveLinks {
  // CClntApp::SaveState / LoadState: the application's block; 1 or 0 (empty:
  // nothing is written or read, and the block counts as done).
  std::function<int(plat::FILE* file)> saveAppState;
  std::function<int(plat::FILE* file)> loadAppState;
  // The OK box with the text of a text ID, formatted with `arg` (nothing).
  std::function<void(const char* textId, const char* arg)> showTextBox;
  // The OK box with a literal text; only with a display (nothing).
  std::function<void(const char* text)> showPlainBox;
  // A Yes/No box with the text of a text ID formatted with `arg`; true for
  // yes (empty: yes).
  std::function<bool(const char* textId, const char* arg)> askYesNo;
  // The progress dialog with the text of a text ID, and its close (nothing).
  std::function<void(const char* textId)> openProgress;
  std::function<void()> closeProgress;
  // A sequenced send to all players (nothing sent).
  std::function<void(std::span<std::uint8_t> packet)> sendToAll;
  // The application's local chapter identifier, for a load with no game yet (0).
  std::function<std::uint16_t()> appChapterId;
  // The application's chapter name, for the e-mail turn's packet 13 ("").
  std::function<const char*()> playerName;
  // Deletes the turn's replay files and review logs (CClntApp::DeleteReplayFiles; nothing).
  std::function<void()> deleteReplayFiles;
  // Posts a message to the main window (nothing).
  std::function<void(std::uint32_t msg)> postToMainWindow;
  // The player's own save: the save dialog's name for it; false when the
  // player cancelled (empty: no name, nothing saved).
  std::function<bool(std::string* name)> chooseSaveName;
  // The player's own save is written, under this file name in the save
  // directory: the game the title's quick start goes back to (nothing).
  std::function<void(const std::string& name)> ownSaveWritten;
};

extern SaveLinks g_saveLinks;
