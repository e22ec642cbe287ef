// Each victory condition reached in a constructed game, and not reached one
// step before; the game-over packet as the client's handler takes it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Game/base/Packets.h"
#include "Game/model/GViewNotices.h"
#include "Game/net/NetDispatcher.h"
#include "server/ai/SrvChapterState.h"
#include "server/ai/SrvGameOverPacket.h"
#include "server/ai/SrvVictoryRules.h"
#include "server/ai/SrvVotes.h"
#include "tests/server/ai/srv_ai_fixture.h"
#include "tests/support/recording_shell.h"

namespace {

using srv_ai_test::OfType;
using srv_ai_test::WorldGame;

// Politics first, as the turn runs them, then the check.
std::optional<SrvGameEnd> EndOfTurn(WorldGame& game) {
  auto turn = game.Politics();
  return SrvCheckGameEnd(turn);
}

std::uint8_t ResultOf(const SrvTurnContext& turn, std::uint16_t chapter) {
  return OfType(turn, 0, PKT_GAME_OVER).at(0).at(8 + chapter);
}

TEST(SrvVictory, LastManStandingWhenOneGuildIsLeftItsBestScorerFirst) {
  WorldGame game(2, 40, 1);
  for (std::uint16_t c = 8; c < kMaxChapters; ++c)
    if (c != 33 && game.world.HasChapter(c)) game.Strip(c);
  ASSERT_FALSE(EndOfTurn(game)) << "chapter 33 is still in";
  game.Strip(33);
  game.GiveAsteroids(1, 2);
  auto turn = game.Politics();
  const auto end = SrvCheckGameEnd(turn);
  ASSERT_TRUE(end);
  EXPECT_EQ(end->condition, 1);
  EXPECT_EQ(end->winners, (std::vector<std::uint16_t>{1, 0})) << "the major winner first";
  EXPECT_EQ(ResultOf(turn, 1), 2);
  EXPECT_EQ(ResultOf(turn, 0), 1);
  EXPECT_EQ(ResultOf(turn, 33), 0);
  EXPECT_EQ(OfType(turn, 39, PKT_GAME_OVER).size(), 1u) << "every chapter is told";
}

TEST(SrvVictory, ARenegadeIsNotOnItsGuildsSide) {
  WorldGame game(3, 40, 1);
  for (std::uint16_t c = 8; c < kMaxChapters; ++c)
    if (game.world.HasChapter(c)) game.Strip(c);
  game.GiveAsteroids(0, 3);
  ASSERT_TRUE(SrvTakeRenegadeVote(game.world, 0, 2, 1));
  ASSERT_FALSE(EndOfTurn(game)) << "chapter 2, declared renegade, fights on";
  game.Strip(2);
  const auto end = EndOfTurn(game);
  ASSERT_TRUE(end);
  EXPECT_EQ(end->winners.size(), 2u);
}

TEST(SrvVictory, CaptureTheFlagNeedsEveryGuildsFlag) {
  WorldGame game(2, 40, 1 | 2);
  for (int g = 1; g < kGuildCount - 1; ++g)
    game.Control(game.Chapter(static_cast<std::uint16_t>(8 * g)).homeAsteroid, 1);
  ASSERT_FALSE(EndOfTurn(game)) << "guild 4's flag is still its own";
  game.Control(game.Chapter(32).homeAsteroid, 0);
  auto turn = game.Politics();
  const auto end = SrvCheckGameEnd(turn);
  ASSERT_TRUE(end);
  EXPECT_EQ(end->condition, 2);
  EXPECT_EQ(ResultOf(turn, 1), 2) << "three flags";
  EXPECT_EQ(ResultOf(turn, 0), 1) << "two flags";
  EXPECT_EQ(ResultOf(turn, 9), 0);
  EXPECT_EQ(ReadU16(OfType(turn, 0, PKT_GAME_OVER)[0], 48), 2u);
}

TEST(SrvVictory, TheImperatorWinsWhenItsSideControlsTheShareOfAsteroids) {
  WorldGame game(2, 40, 1 | 8);
  game.setup.config.SetU16(24, 51);  // 21 of 40
  game.setup.config.SetU16(26, 100);
  ASSERT_TRUE(SrvTakeImperatorVote(game.world, 1, 0));
  game.GiveAsteroids(0, 11);
  game.GiveAsteroids(1, 7);
  ASSERT_FALSE(EndOfTurn(game)) << "20 asteroids";
  ASSERT_EQ(game.Chapter(0).stateFlag, kSrvChapterImperator);
  game.GiveAsteroids(1, 1);
  auto turn = game.Politics();
  const auto end = SrvCheckGameEnd(turn);
  ASSERT_TRUE(end);
  EXPECT_EQ(end->condition, 8);
  EXPECT_EQ(end->winners, (std::vector<std::uint16_t>{0, 1}));
}

TEST(SrvVictory, AGuildInInterregnumHasNoImperatorToWin) {
  WorldGame game(2, 40, 1 | 8 | 16);
  game.setup.config.SetU16(24, 10);  // 4 of 40
  game.setup.config.SetU16(26, 100);
  ASSERT_TRUE(SrvTakeImperatorVote(game.world, 1, 0));
  ASSERT_FALSE(EndOfTurn(game)) << "an imperator of 2 asteroids";
  ASSERT_TRUE(SrvTakeImperatorVote(game.world, 1, 1));
  game.GiveAsteroids(0, 10);
  ASSERT_FALSE(EndOfTurn(game));
  ASSERT_EQ(game.world.guilds->GetGuild(0)->interregnum, 1u);
  ASSERT_TRUE(SrvTakeImperatorVote(game.world, 1, 0));
  const auto end = EndOfTurn(game);
  ASSERT_TRUE(end) << "crowned again, and holding 12";
  EXPECT_EQ(end->condition, 8);
}

TEST(SrvVictory, BiggestIsBestAfterTheGameLength) {
  WorldGame game(2, 40, 1 | 4);
  game.setup.config.SetU16(22, 30);
  game.GiveAsteroids(17, 3);
  game.world.turn = 28;  // resolving the 29th turn
  ASSERT_FALSE(EndOfTurn(game));
  game.world.turn = 29;
  auto turn = game.Politics();
  const auto end = SrvCheckGameEnd(turn);
  ASSERT_TRUE(end);
  EXPECT_EQ(end->condition, 4);
  EXPECT_EQ(ResultOf(turn, 17), 2);
  EXPECT_EQ(ResultOf(turn, 16), 1) << "the winner's side";
  EXPECT_EQ(ResultOf(turn, 0), 0);
}

// A single player whose chapter is eliminated is not left ending turns among
// the computer chapters until the game's length: the game ends, and the
// scores decide. A player still in play, or a game of computers alone, plays
// on; a victory reached the same turn is the one told.
TEST(SrvVictory, TheGameEndsWhenEveryPlayersChapterIsEliminated) {
  WorldGame game(2, 40, 1 | 4);
  game.setup.config.SetU16(22, 300);
  game.world.turn = 40;
  game.GiveAsteroids(17, 3);
  game.Strip(0);
  auto computers = game.Politics();
  ASSERT_FALSE(SrvInPlay(game.world, 0));
  EXPECT_FALSE(SrvCheckGameEnd(computers)) << "nobody played chapter 0";

  auto before = game.Politics();
  before.human[0] = before.human[9] = true;
  EXPECT_FALSE(SrvCheckGameEnd(before)) << "chapter 9's player is still in";
  game.Strip(9);
  auto turn = game.Politics();
  turn.human[0] = turn.human[9] = true;
  const auto end = SrvCheckGameEnd(turn);
  ASSERT_TRUE(end);
  EXPECT_EQ(end->condition, 4);
  EXPECT_EQ(ResultOf(turn, 0), 0);
  EXPECT_EQ(ResultOf(turn, 9), 0);
  EXPECT_EQ(ResultOf(turn, 17), 2);
  EXPECT_EQ(ResultOf(turn, 16), 1) << "the winner's side";
}

TEST(SrvVictory, AVictoryOnTheTurnThePlayersFallIsTheOneTold) {
  WorldGame game(2, 40, 1);
  for (std::uint16_t c = 8; c < kMaxChapters; ++c)
    if (game.world.HasChapter(c)) game.Strip(c);
  game.GiveAsteroids(1, 2);
  auto turn = game.Politics();
  turn.human[8] = true;
  const auto end = SrvCheckGameEnd(turn);
  ASSERT_TRUE(end);
  EXPECT_EQ(end->condition, 1) << "last man standing";
  EXPECT_EQ(ResultOf(turn, 1), 2);
}

TEST(SrvVictory, ConditionsTheConfigurationLeavesOutNeverEndTheGame) {
  WorldGame game(2, 40, 1);
  game.setup.config.SetU16(22, 1);
  game.world.turn = 500;
  for (int g = 1; g < kGuildCount; ++g) game.Control(game.Chapter(static_cast<std::uint16_t>(8 * g)).homeAsteroid, 0);
  EXPECT_FALSE(EndOfTurn(game));
}

// The client's own handler of packet 19, with the movie, the dialogs and the
// local chapter taken through its links.
struct ClientGameOver : IViewNotices {
  quentest::RecordingShell shell;
  std::vector<std::uint8_t> shown;
  explicit ClientGameOver(std::uint16_t local) {
    shell.chapter = local;
    RegisterViewNotices(this);
  }
  ~ClientGameOver() override { RegisterViewNotices(nullptr); }
  void GameOverDialogs(std::span<const std::uint8_t> p) override { shown.assign(p.begin(), p.end()); }
};

TEST(SrvGameOverPacket, TheClientPlaysEachChaptersResultAndShowsItsFigures) {
  WorldGame game(2, 40, 1 | 4);
  game.GiveAsteroids(9, 2);
  game.Chapter(9).credits = 123456;
  game.world.poolDB.SetMineral(game.Chapter(9).homeAsteroid, MINERAL_EXOTICS, 777);
  SrvGameOutcome outcome;
  outcome.condition = 4;
  outcome.results[9] = kSrvMajorWinner;
  outcome.results[8] = kSrvMinorWinner;
  const SrvPacket packet = SrvGameOverPacket(game.world, outcome);
  ASSERT_EQ(packet.size(), kSrvGameOverSize);
  ASSERT_LE(packet.size(), kMaxPacketSize);

  const char* movies[] = {"loss.avi", "minorwin.avi", "majorwin.avi"};
  for (std::uint16_t local : {0, 8, 9}) {
    ClientGameOver client(local);
    ASSERT_TRUE(HandlePacket(nullptr, packet, 0));
    EXPECT_EQ(client.shell.movies, std::vector<std::string>{movies[outcome.results[local]]}) << local;
    ASSERT_EQ(client.shown, packet);
  }
  EXPECT_EQ(ReadU16(packet, 48), 4u);
  EXPECT_EQ(packet[50 + 9], 3) << "owns three";
  EXPECT_EQ(packet[90 + 9], 3) << "controls three";
  EXPECT_EQ(ReadU32(packet, 132 + 4 * 9), 123456u);
  EXPECT_EQ(ReadU32(packet, 612 + 4 * 9), 777u) << "exotics";
  EXPECT_EQ(packet[8 + 2], 0) << "chapter 2 is not in a game of two per guild";
  EXPECT_EQ(packet[50 + 2], 0);
}

TEST(SrvScores, AsteroidsZonesAndWealthCountAndTheEliminatedKeepTheirs) {
  WorldGame game(1, 40, 1);
  game.Chapter(0).credits = 1000;
  game.world.poolDB.SetMineral(game.Chapter(0).homeAsteroid, MINERAL_METALS, 250);
  game.GiveAsteroids(0, 1);
  game.Politics();
  const std::uint32_t zones =
      game.world.solar.GetAsteroid(1)->GetZoneCount() + 3;    // asteroid 1 whole, the three the home starts with
  const std::uint32_t wealth = (1000 + 250 + 3 * 400) / 100;  // the home pool's four minerals
  EXPECT_EQ(game.world.scores[0], 2 * 100 + 10 * zones + wealth);
  const std::uint32_t before = game.world.scores[8];
  game.Strip(8);
  game.Politics();
  EXPECT_EQ(game.world.scores[8], before);
}

// A configuration packet may carry what the configuration screen refuses.
TEST(SrvVictoryRules, ValuesOutsideTheScreensRangesAreBroughtInside) {
  WorldGame game(2, 40, 1 | 4 | 8);
  game.setup.config.SetU16(22, 0);
  game.setup.config.SetU16(24, 0);
  game.setup.config.SetU16(26, 0);
  const SrvVictoryRules rules = SrvVictoryRulesOf(game.setup);
  EXPECT_EQ(rules.imperatorVotesPercent, 1);
  EXPECT_EQ(SrvImperatorAsteroidTarget(rules, 40), 1);
  ASSERT_TRUE(SrvTakeImperatorVote(game.world, 1, 0));
  auto turn = game.Politics();
  const auto end = SrvCheckGameEnd(turn);
  ASSERT_TRUE(end);
  EXPECT_EQ(end->condition, 8) << "imperator of 1 percent, before a game length of 0 ends it";
  game.setup.config.SetU16(24, 1000);
  EXPECT_EQ(SrvImperatorAsteroidTarget(SrvVictoryRulesOf(game.setup), 40), 40);
}

}  // namespace
