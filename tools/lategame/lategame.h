#pragma once
// A late game to look at: the default world (forty chapters on a hundred and
// fifty asteroids) played for a number of turns by the computer, the player's
// own chapter among them, written as a scenario the load screen lists. Its
// server half is written by the server's game, its player half by the
// client's model, built by the client's packet handlers from everything the
// server sent that player, turn after turn. For maintainers who must see the
// screens with the many units, long lists and large numbers of a long game.

#include <cstdint>
#include <string>

#include "tools/scenario/scenario.h"

inline constexpr char kLateGameClientFile[] = "Late Game.scn";
inline constexpr char kLateGameServerFile[] = "Late Game.svr";
// More turns than a default game lasts are refused.
inline constexpr std::uint32_t kLateGameMaxTurns = 500;

using LateGamePaths = ScenarioPaths;

// Plays `turns` turns (1 to kLateGameMaxTurns) and writes the two files.
// False, with the reason in `fault`, for a bad turn count, a missing or
// damaged rules file, a game that did not start, a packet the client refused
// (the fault counts them by type, and the client's half is not written), a
// game that ended before its turns, or a file not written.
bool WriteLateGameScenario(const LateGamePaths& paths, std::uint32_t turns, std::string* fault);
