#pragma once
// The session list: the sessions the open service offers (refreshed every
// 20 s), with creating a new game, joining a listed one and loading a saved
// multiplayer game. It fills the application's connection record for the
// flow. Game thread only.

#include <cstdint>

class CClntApp;

constexpr std::int16_t kResultLoadMultiplayer = 128;
constexpr std::int16_t kResultJoin = 129;

// 10 create, 129 join, 128 load, 100 back, 1 the title.
std::int16_t RunCreateJoinDlg(CClntApp& app);
