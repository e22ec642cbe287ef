// The game-server program. It exits with 0 (failure) until it resolves turns.
#include <cstdio>

int main() {
  std::puts("QuenSrvr: the game server is not built yet.");
  return 0;
}
