// A whole game of computer chapters through the server's game, no network:
// every order they give is taken, and a victory condition ends it.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "Game/net/Packets.h"
#include "Game/rules/GRulesPackets.h"
#include "server/SrvGame.h"
#include "tests/server/ai/srv_ai_fixture.h"

namespace {

struct Silence : SrvOutbox {
  void Send(std::uint32_t, const SrvPacket&, bool) override {}
};

template <std::size_t N>
std::vector<std::uint8_t> Bytes(const PacketImage<N>& p) {
  return {p.bytes.begin(), p.bytes.end()};
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(SrvComputerGame, TwoHundredTurnsOfComputerChaptersEndByAVictoryCondition) {
  const std::string logPath = testing::TempDir() + "srv_computer_game.log";
  std::remove(logPath.c_str());
  const srv_ai_test::GameVariablesScope variables;
  Silence out;
  SrvLog log;
  ASSERT_TRUE(log.Open(logPath));
  SrvGame game(out, log, nullptr, 2024, testing::TempDir());
  const auto hulls = rulesdata::CompileHulls(srv_ai_test::SourceText("data/rules/hulls.txt"));
  const auto modules = rulesdata::CompileModules(srv_ai_test::SourceText("data/rules/modules.txt"));
  ASSERT_TRUE(game.UseRules(hulls.bytes, modules.bytes));

  // Player 1 sets the game up and starts it, then leaves its chapter to the
  // server; player 2 watches, holding none.
  game.PlayerJoined(1);
  game.PlayerJoined(2);
  SrvSetup setup;
  setup.config.SetU16(14, 3);
  setup.config.SetU16(16, 80);
  setup.config.SetU16(18, 0);
  setup.config.SetU16(20, 1 | 2 | 4 | 8 | 16);
  setup.config.SetU16(22, 150);
  setup.settings.SetU16(12, 2);
  ASSERT_TRUE(game.Receive(1, Bytes(setup.config)));
  ASSERT_TRUE(game.Receive(1, Bytes(setup.settings)));
  PacketImage<48> claim(PKT_CHAPTER_CLAIM);
  ASSERT_TRUE(game.Receive(1, Bytes(claim)));
  PacketImage<12> autosaveOff(PKT_AUTOSAVE);
  ASSERT_TRUE(game.Receive(1, Bytes(autosaveOff)));
  ASSERT_TRUE(game.Receive(1, Bytes(PacketImage<12>(PKT_START))));
  game.PlayerLeft(1);

  for (int t = 0; t < 200 && !game.Ended(); ++t) game.EndTurnNow();
  ASSERT_TRUE(game.Ended()) << "still running after 200 turns";
  EXPECT_LE(game.World().turn, 150u) << "the game length ends it at the latest";
  const std::string text = ReadAll(logPath);
  const std::size_t over = text.find("game over by condition ");
  ASSERT_NE(over, std::string::npos);
  unsigned condition = 0, winners = 0;
  ASSERT_EQ(std::sscanf(text.c_str() + over, "game over by condition %u, %u winners", &condition, &winners), 2);
  EXPECT_TRUE(condition == 1 || condition == 2 || condition == 4 || condition == 8) << condition;
  EXPECT_GE(winners, 1u);
  EXPECT_LT(winners, 15u) << "the scores tell the chapters apart";
  EXPECT_EQ(text.find("refused"), std::string::npos) << text.substr(0, 2000);
}

}  // namespace
