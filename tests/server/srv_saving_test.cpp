// Saving and loading as the players meet it: every save, load and question
// the server refuses is answered, so that no client waits for good, and the
// last autosave the players hold loads whichever side could not write the
// next one.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

#include "Game/net/AutosavePacket.h"
#include "server/orders/SrvPacketRead.h"
#include "tests/server/srv_game_fixture.h"

namespace {

namespace fs = std::filesystem;

std::vector<std::uint8_t> SaveOrLoad(std::uint16_t type, const char* name, std::uint32_t id = 0x10001) {
  return Pkt<276>(type).Text(8, 256, name).U32(264, id).U16(268, 8);
}

std::string FileText(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

using SrvSavingTest = SrvGameCase<4321>;

}  // namespace

TEST_F(SrvSavingTest, EveryRefusedOrUnansweredSaveLoadOrQuestionIsAnsweredNo) {
  const std::vector<std::uint8_t> save = SaveOrLoad(PKT_SAVE_GAME, "a.svr"), load = SaveOrLoad(PKT_LOAD_GAME, "a.svr"),
                                  ask = SaveOrLoad(PKT_LOAD_REQUEST, "a.clt"),
                                  restart = Pkt<12>(PKT_RESTART_REQUEST).U16(8, 8);
  const std::map<std::uint16_t, std::uint16_t> answerTo = {{PKT_SAVE_GAME, PKT_SAVE_DONE},
                                                           {PKT_LOAD_GAME, PKT_LOAD_REPLY},
                                                           {PKT_LOAD_REQUEST, PKT_LOAD_ANSWER},
                                                           {PKT_RESTART_REQUEST, PKT_RESTART_ANSWER}};
  auto answeredNo = [&](std::uint32_t from, const std::vector<std::uint8_t>& packet, const char* why) {
    out.sent.clear();
    EXPECT_FALSE(game.Receive(from, packet)) << why;
    ASSERT_EQ(out.sent.size(), 1u) << why;
    EXPECT_EQ(out.sent[0].to, from) << why;
    EXPECT_EQ(out.sent[0].Type(), answerTo.at(ReadU16(packet, 0))) << why;
    EXPECT_EQ(ReadU32(out.sent[0].packet, 8), 0u) << why;
  };
  game.PlayerJoined(7);
  game.PlayerJoined(8);
  for (const auto& packet : {save, load, restart}) answeredNo(8, packet, "no game runs");
  StartTestGame(game, {{7, 0}, {8, 8}}, 1);
  game.PlayerJoined(9);
  for (const auto& packet : {save, load, ask, restart}) answeredNo(9, packet, "no chapter held");
  for (const std::uint16_t type : {PKT_SAVE_GAME, PKT_LOAD_GAME, PKT_LOAD_REQUEST})
    answeredNo(8, Pkt<200>(type), "too short");
  answeredNo(8, SaveOrLoad(PKT_SAVE_GAME, "../up.svr"), "unusable name");
  answeredNo(8, SaveOrLoad(PKT_LOAD_GAME, "sub/a.svr"), "unusable name");
  answeredNo(8, SaveOrLoad(PKT_SAVE_GAME, "a.clt"), "not a server save's name");
  std::ofstream(Folder() + "notes.svr") << "the player's own notes";
  answeredNo(8, SaveOrLoad(PKT_SAVE_GAME, "notes.svr"), "over a file that is not a server save");
  answeredNo(8, load, "no such file");
  answeredNo(8, Pkt<276>(PKT_LOAD_GAME).Text(8, 256, "QikStart.svr").U32(272, 1), "no scenarios installed");
  ASSERT_TRUE(game.Receive(7, ask));
  answeredNo(8, ask, "another question waits");
  answeredNo(8, restart, "another question waits");
  EXPECT_EQ(ReadU16(out.sent[0].packet, 12), 8) << "the asker's number goes back";
  // A minute on, the players who never answered count as saying no.
  out.sent.clear();
  game.Tick(1'000);
  game.Tick(60'999);
  EXPECT_TRUE(out.Of(7, PKT_LOAD_ANSWER).empty());
  game.Tick(61'000);
  ASSERT_EQ(out.Of(7, PKT_LOAD_ANSWER).size(), 1u);
  EXPECT_EQ(ReadU32(out.Of(7, PKT_LOAD_ANSWER)[0], 8), 0u);
}

// The players' autosave pair: the server's half moves on only once it is
// written, and the one before it stays loadable under the name the players'
// files give, for a client that could not write the next.
TEST_F(SrvSavingTest, TheLastWholeAutosavePairStaysLoadable) {
  game.PlayerJoined(7);
  StartTestGame(game, {{7, 0}}, 1);
  EndTestTurn(game, {{7, 0}});
  const std::uint32_t first = ReadU32(*out.First(PKT_AUTOSAVE), 8);
  out.sent.clear();
  EndTestTurn(game, {{7, 0}});
  ASSERT_NE(ReadU32(*out.First(PKT_AUTOSAVE), 8), first);
  // A client busy when the second was asked, or its copy "asavebak.clt",
  // loads the first: its file names "autosave.svr".
  ASSERT_TRUE(game.Receive(7, SaveOrLoad(PKT_LOAD_GAME, "autosave.svr", first)));
  EXPECT_EQ(World().turn, first >> 16);

  // A disk that cannot take the next: no player is asked for its half but
  // each is told, and both of the server's files stay as they were.
  const std::string autosave = FileText(Folder() + "autosave.svr"), backup = FileText(Folder() + "asavebak.svr");
  rlimit before{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &before), 0);
  rlimit small = before;
  small.rlim_cur = autosave.size() / 2;
  const auto handler = std::signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  out.sent.clear();
  EndTestTurn(game, {{7, 0}});
  ::setrlimit(RLIMIT_FSIZE, &before);
  std::signal(SIGXFSZ, handler);
  ASSERT_EQ(out.Count(PKT_AUTOSAVE), 1u);
  EXPECT_EQ(ReadU32(*out.First(PKT_AUTOSAVE), 8), kAutosaveFailed);
  EXPECT_EQ(FileText(Folder() + "autosave.svr"), autosave);
  EXPECT_EQ(FileText(Folder() + "asavebak.svr"), backup);
  EXPECT_FALSE(fs::exists(Folder() + "autosave.svr.new"));
}
