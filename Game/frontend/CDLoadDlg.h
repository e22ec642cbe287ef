#pragma once
// The load screen: lists the files of one kind in their folder, newest first,
// and returns the one the player picks; it can also delete the highlighted
// file after asking. It only chooses a name: the caller loads the file.
// Game thread only.

#include <cstdint>
#include <string>

class CClntApp;

// What is listed: the folder and the extension of each mode.
enum LoadMode : std::uint16_t {
  LOAD_SAVED_GAMES = 1,   // saved games; the scenarios can be shown instead
  LOAD_SAVED_ONLY = 2,    // saved games alone
  LOAD_SCENARIOS = 3,     // scenarios (nothing can be deleted)
  LOAD_EMAIL_GAMES = 4,   // e-mail games
  LOAD_EMAIL_TURNS = 5,   // an e-mail game's turn files, with their extensions
  LOAD_TEMPLATES = 6,     // ship templates
  LOAD_BATTLE_PLANS = 7,  // battle plans
};

// The folder and extension listed in `mode` ("s*" for any extension
// beginning with s).
std::string LoadDirectory(std::uint16_t mode);
const char* LoadExtension(std::uint16_t mode);

struct LoadChoice {
  std::uint16_t mode = LOAD_SAVED_GAMES;  // in; out: the mode the list ended in
  bool inGame = false;                    // a window over the running game, in its guild's art
  std::string directory;                  // out: the folder of the file
  std::string fileName;                   // out: "name.ext", empty when none
};

// Runs the screen: 1 with a file chosen, 2 when the player cancelled.
int RunLoadDlg(CClntApp& app, LoadChoice& choice);
