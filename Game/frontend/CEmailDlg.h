#pragma once
// The e-mail game screen: create a new e-mail game, play one's turn of one,
// or process a turn of a game this player hosts. Game thread only.

#include <cstdint>
#include <string>

class CClntApp;

constexpr std::int16_t kResultCreateEmail = 130;
constexpr std::int16_t kResultPlayEmail = 131;
constexpr std::int16_t kResultProcessEmail = 132;

// Runs the screen; `gameName` receives the typed name when Create was pressed.
std::int16_t RunEmailDlg(CClntApp& app, std::string& gameName);

// The session's name of a new e-mail game ("My Game" gives "My_Game-0") and
// the server's command line that creates it.
std::string EmailGameName(const std::string& typed);
std::string EmailCreateCommand(const std::string& gameName);
