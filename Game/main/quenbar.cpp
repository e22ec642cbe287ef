// The player's program. The game's screens are still being built: the program
// opens the display the command line asks for (--headless, --windowed,
// --fullscreen), shows the messages its settings raised while starting, says
// what it cannot do yet, and exits.
#include <cstdio>
#include <string>
#include <vector>

#include "Game/model/GStartupMessage.h"
#include "platform/backend/start.h"
#include "platform/user/system.h"

namespace {

constexpr char kNotBuiltYet[] = "Quenbar: the game's screens are not built yet; nothing to play.";

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  plat::Backend& backend = plat::StartBackend(plat::TakeBackendOptions(args));
  // Without a window nobody could answer a message box: the messages go to the
  // terminal only.
  const bool canAsk = backend.CanAskUser();

  std::vector<std::string> messages = TakeStartupMessages();
  messages.emplace_back(kNotBuiltYet);
  for (const std::string& text : messages) {
    std::puts(text.c_str());
    if (canAsk) plat::MessageBox(nullptr, text.c_str(), "Quenbar", plat::MB_OK);
  }
  plat::StopBackend();
  return 0;
}
