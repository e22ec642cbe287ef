// The game-server program: started by the multiplayer library for a hosted or
// single-player game, or run and waited for by the client for e-mail games.
#include <string>
#include <vector>

#include "server/SrvProgram.h"

int main(int argc, char** argv) {
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
  return RunServerProgram(args);
}
