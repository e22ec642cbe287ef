#pragma once
// The quick-start scenario: a small game for one player against the computer
// chapters, ready to be loaded. Its world is made by the server's own game;
// its two halves are written by the two programs' own save code: the
// server's file ("QikStart.svr") by the server's game, and the player's saved
// game ("QikStart.clt") by the client's model, built by the client's packet
// handlers from what the server sent that player at the start.

#include <string>

#include "tools/scenario/scenario.h"

// The files' names, as the front end's quick start and the saved game's header
// name them.
inline constexpr char kQuickStartClientFile[] = "QikStart.clt";
inline constexpr char kQuickStartServerFile[] = "QikStart.svr";
// The same game once more as a scenario the load screen lists (by its name,
// so it reads as the game it is), with its own server file.
inline constexpr char kListedScenarioFile[] = "Instant Action.scn";
inline constexpr char kListedScenarioServerFile[] = "Instant Action.svr";

// What the scenario is made of.
using QuickStartPaths = ScenarioPaths;

// Writes the four files. False, with the reason in `fault`, when a rules file is
// missing or damaged, the game could not be made or a file not written.
bool WriteQuickStartScenario(const QuickStartPaths& paths, std::string* fault);
