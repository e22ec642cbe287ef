// quenlategame RULES-DIR PROGRAM-MODULE OUT-DIR TURNS
// Writes "Late Game.scn" and "Late Game.svr" into OUT-DIR: the default world
// played by the computer for TURNS turns, the player's chapter too.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tools/lategame/lategame.h"

int main(int argc, char** argv) {
  char* end = nullptr;
  const unsigned long turns = argc == 5 ? std::strtoul(argv[4], &end, 10) : 0;
  if (argc != 5 || end == argv[4] || *end != '\0') {
    std::fprintf(stderr, "usage: quenlategame RULES-DIR PROGRAM-MODULE OUT-DIR TURNS\n");
    return 2;
  }
  const LateGamePaths paths{argv[1], argv[2], argv[3]};
  std::error_code ec;
  std::filesystem::create_directories(paths.out, ec);
  std::string fault;
  if (!WriteLateGameScenario(
          paths, turns > kLateGameMaxTurns ? kLateGameMaxTurns + 1 : static_cast<std::uint32_t>(turns), &fault)) {
    std::fprintf(stderr, "quenlategame: %s\n", fault.c_str());
    return 1;
  }
  return 0;
}
