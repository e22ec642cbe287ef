// quenqikstart RULES-DIR PROGRAM-MODULE OUT-DIR
// Writes the quick-start scenario ("QikStart.clt", "QikStart.svr") and the
// same game as a listed scenario ("Instant Action.scn", "Instant Action.svr")
// into OUT-DIR from the rules files in RULES-DIR, the chapters named by the
// program's module.
#include <cstdio>
#include <string>

#include "tools/quickstart/quickstart.h"

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: quenqikstart RULES-DIR PROGRAM-MODULE OUT-DIR\n");
    return 2;
  }
  const QuickStartPaths paths{argv[1], argv[2], argv[3]};
  std::error_code ec;
  std::filesystem::create_directories(paths.out, ec);
  std::string fault;
  if (!WriteQuickStartScenario(paths, &fault)) {
    std::fprintf(stderr, "quenqikstart: %s\n", fault.c_str());
    return 1;
  }
  return 0;
}
