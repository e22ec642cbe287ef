// The player's program. The game itself is being built; until its screens exist
// the program says what it cannot do yet and exits.
#include <cstdio>

int main() {
  std::puts("Quenbar: the game's screens are not built yet; nothing to play.");
  return 0;
}
