#include "server/SrvProgram.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "Game/rules/GAstNames.h"
#include "hvmulti/HvMulti.h"
#include "server/SrvCommandLine.h"
#include "server/SrvDurableFile.h"
#include "server/SrvGame.h"
#include "server/SrvLog.h"
#include "server/SrvNetLink.h"
#include "server/email/SrvEmail.h"

namespace {

constexpr auto kIdleWait = std::chrono::milliseconds(5);
constexpr int kUnreadableStart = 2;
constexpr int kCannotServe = 3;

// The world's seed: the environment's QUENSRVR_SEED when it holds a number
// (to replay a game exactly), else the clock.
std::uint32_t GameSeed() {
  if (const char* text = std::getenv("QUENSRVR_SEED")) {
    char* end = nullptr;
    const unsigned long v = std::strtoul(text, &end, 10);
    if (end != text && *end == '\0') return static_cast<std::uint32_t>(v);
  }
  return static_cast<std::uint32_t>(std::chrono::steady_clock::now().time_since_epoch().count());
}

std::uint64_t NowMs() {
  return static_cast<std::uint64_t>(
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
          .count());
}

int RunLibraryGame(SrvLog& log, const SrvOutboxBeforeLink& outbox) {
  CHvMulti multi;
  SrvNetLink link(multi, log);
  SrvGame game(
      outbox ? outbox(link) : link, log, [](unsigned n) { return LoadAsteroidName(n); }, GameSeed(), ServerFolder());
  game.SetScenarioFolder(ScenarioFolder());
  // Without its rules the game would start with no designs and no units:
  // the server does not join, so the host's start fails at once.
  std::string fault;
  if (!game.LoadRules(&fault)) {
    log.Alarm("the rules file \"%s\" is missing or damaged: no game can start without it", fault.c_str());
    return kCannotServe;
  }
  const int joined = link.Join();
  if (joined != 0) {
    log.Alarm("could not join the session (%d): %s", joined, multi.LastErrorText().c_str());
    return kCannotServe;
  }
  link.IntroducePlayers(game);
  log.Line("joined the session");
  while (!game.Ended()) {
    if (!link.Pump(game)) {
      log.Line("the session ended");
      break;
    }
    game.Tick(NowMs());
    std::this_thread::sleep_for(kIdleWait);
  }
  multi.CloseSession();
  multi.CloseService();
  log.Line("server stops");
  return 0;
}

}  // namespace

int RunServerProgram(const std::vector<std::string>& args, const SrvOutboxBeforeLink& outbox) {
  SrvLog log;
  log.Open(ServerFolder() + "QuenSrvr.log");
  const SrvStart start = ParseServerCommandLine(args);
  // What a server killed while writing left behind.
  const std::string folders[] = {ServerFolder(), EmailFolder()};
  for (const std::string& folder : folders)
    if (const int stale = SrvRemoveStaleTemporaries(folder); stale > 0)
      log.Line("%d unfinished file(s) of an earlier run removed", stale);
  switch (start.mode) {
    case SrvStartMode::Library:
      log.Line("server starts for a session");
      return RunLibraryGame(log, outbox);
    case SrvStartMode::EmailCreate:
      return CreateEmailGame(EmailFolder(), start.name, GameSeed(), log) ? 1 : 0;
    case SrvStartMode::EmailTurn:
      return ProcessEmailTurn(EmailFolder(), start.name, log) ? 1 : 0;
    case SrvStartMode::Invalid:
      break;
  }
  log.Line("unknown start; the arguments are \"-En:<name>-0 HVSCS\", \"-Em:<file> HVSCS\" or none");
  std::fprintf(stderr, "quensrvr: cannot read the start (try --help)\n");
  return kUnreadableStart;
}
