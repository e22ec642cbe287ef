// The game-server program: started by the multiplayer library for a hosted or
// single-player game, or run and waited for by the client for e-mail games.
#include <cstdio>
#include <string>
#include <vector>

#include "server/SrvProgram.h"

namespace {

// The exit code of a start the server cannot read (RunServerProgram's too).
constexpr int kUsageError = 2;

constexpr const char* kUsage =
    "usage: quensrvr [LOBBY-ARGUMENT]\n"
    "       quensrvr -En:<name>-0 HVSCS\n"
    "       quensrvr -Em:<client file> HVSCS\n"
    "\n"
    "The game server of quenbar. The player's program starts it; a player does not\n"
    "need to.\n"
    "  (no argument, or the lobby's)  join the session of the host that started it\n"
    "                                 and serve the game until the session ends (exit 0;\n"
    "                                 3 when its rules cannot be read or it cannot join)\n"
    "  -En:<name>-0 HVSCS             create the e-mail game <name> (exit 1 on success)\n"
    "  -Em:<client file> HVSCS        process the running turn of an e-mail game\n"
    "                                 (exit 1 on success)\n"
    "  --help                         show this text\n"
    "An unreadable start exits 2; failures are named on standard error.\n"
    "\n"
    "Environment: QUENSRVR_SEED=<number> fixes the world's seed. The server logs to\n"
    "QuenSrvr.log in the installation's save folder.\n";

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
  for (const std::string& a : args) {
    if (a == "--help" || a == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    }
  }
  // A lobby's argument is passed on as it is; an option of ours that is not
  // known, or a start the server cannot read, is refused here, on the console.
  if (!args.empty() && args[0].rfind("--", 0) == 0) {
    std::fprintf(stderr, "quensrvr: unknown option %s (try --help)\n", args[0].c_str());
    return kUsageError;
  }
  return RunServerProgram(args);
}
