// The real server program in an installation whose rules are missing or
// damaged: it starts no game, and says which file is at fault in its log and
// on its console.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <fstream>
#include <iterator>

#include "Game/net/NetSession.h"
#include "hvmulti/HvMulti.h"
#include "tests/server/srv_test_rules.h"
#include "tests/server/srv_test_support.h"

namespace {

// Runs the server in the folder with one argument; its exit code, its console in `console`.
int RunServerIn(const ScratchFolder& folder, const std::string& argument, std::string& console) {
  const std::string command =
      "cd '" + folder.dir.string() + "' && '" + ServerPath() + "' '" + argument + "' 2> console.txt";
  const int status = std::system(command.c_str());
  std::ifstream in(folder.dir / "console.txt");
  console.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

TEST(SrvMissingRules, AnEmailGameIsNeitherCreatedNorPlayedAndTheFileIsNamed) {
  ScratchFolder folder;
  std::string console;
  EXPECT_EQ(RunServerIn(folder, "-En:Bare-0 HVSCS", console), 0);
  EXPECT_NE(console.find("\"hulls.dat\""), std::string::npos) << console;
  EXPECT_NE(folder.Log().find("\"hulls.dat\" is missing or damaged"), std::string::npos) << folder.Log();
  EXPECT_FALSE(std::filesystem::exists(folder.dir / "Bare.esv"));

  // Hulls whole, modules cut short: the modules are named.
  WriteSrvTestRules(folder.dir);
  std::filesystem::resize_file(folder.dir / "modules.dat", 10);
  EXPECT_EQ(RunServerIn(folder, "-En:Bare-0 HVSCS", console), 0);
  EXPECT_NE(console.find("\"modules.dat\""), std::string::npos) << console;
  EXPECT_FALSE(std::filesystem::exists(folder.dir / "Bare-0.s00"));

  // A game made with its rules is not played on without them.
  WriteSrvTestRules(folder.dir);
  ASSERT_EQ(RunServerIn(folder, "-En:Bare-0 HVSCS", console), 1) << folder.Log();
  std::filesystem::remove(folder.dir / "hulls.dat");
  EXPECT_EQ(RunServerIn(folder, "-Em:Bare.esv HVSCS", console), 0);
  EXPECT_NE(console.find("\"hulls.dat\""), std::string::npos) << console;
  EXPECT_FALSE(std::filesystem::exists(folder.dir / "Bare-1.s00"));
}

TEST(SrvMissingRules, ASessionsServerDoesNotJoinSoTheHostsStartFailsAtOnce) {
  ScratchFolder folder;
  CHvMulti client;
  HvMPlayer_Struct me;
  plat::FixedText::Set(me.shortName, "Player");
  ASSERT_EQ(client.InitAutoLaunch(HVM_LOCAL_SERVICE_NAME, kApplicationGuid, kApplicationVersion), HVM_LAUNCH_HOST);
  HvMSession_Struct s;
  s.SetText(HvMSession_Struct::kName, HvMSession_Struct::kNameWidth, "Single");
  EXPECT_EQ(client.CreateAndJoinCS(&s, &me, ServerPath().c_str(), "", 0, nullptr), HVM_ERR_SERVERSTART);
  // A server that cannot serve says so to whoever started it, not only to its log.
  EXPECT_NE(client.LastErrorText().find("ended with code 3"), std::string::npos) << client.LastErrorText();
  EXPECT_NE(folder.Log().find("\"hulls.dat\" is missing or damaged: no game can start"), std::string::npos)
      << folder.Log();
}
