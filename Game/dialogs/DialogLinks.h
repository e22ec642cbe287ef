#pragma once
// What the in-game dialogs need from beside them: the load screen, which the
// front end owns, chooses the battle-plan file to load. The program fills it
// in at start; empty, Load does nothing. Game thread only.

#include <functional>
#include <string>

struct DialogLinks {
  // Lets the player choose a file of the load screen's `mode` during a game;
  // true with the file's directory and name ("name.ext").
  std::function<bool(int mode, std::string* directory, std::string* name)> chooseLoadFile;
};

extern DialogLinks g_dialogLinks;
