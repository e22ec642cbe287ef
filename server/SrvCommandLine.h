#pragma once
// How the server program was started: through the multiplayer library (a
// hosted or single-player game; the library's session is found through the
// environment), or run-and-wait for an e-mail game: "-En:<name>-0 HVSCS"
// creates the game <name>, "-Em:<client file> HVSCS" processes one turn.
// The word " HVSCS" closes both e-mail forms; the library start takes any
// argument (the lobby's) or none.
//
// Any thread.

#include <string>
#include <vector>

enum class SrvStartMode { Library, EmailCreate, EmailTurn, Invalid };

struct SrvStart {
  SrvStartMode mode = SrvStartMode::Invalid;
  std::string name;  // game name (EmailCreate) or client file (EmailTurn)
};

// Reads the arguments after the program name (joined by blanks, so that a
// shell's split of "-En:x-0 HVSCS" reads the same). An e-mail form whose name
// is empty or would leave its folder ('\', '/', ':', "..") is Invalid.
SrvStart ParseServerCommandLine(const std::vector<std::string>& args);
