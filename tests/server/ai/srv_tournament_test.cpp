// A small seeded tournament with the levels mixed in every guild (each guild
// of three has one chapter of each level): the hard chapters end ahead of the
// easy ones, no place stays in a battle without a shot, and a seed replays
// the same game.
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "tests/server/ai/srv_tournament.h"

namespace {

using srv_ai_test::kMixedLevels;
using srv_ai_test::PlayTournamentGame;
using srv_ai_test::TournamentFigures;

constexpr int kTurns = 300;

// The figures are read back from the game's log: each test (run in parallel
// with the others) writes its own.
TournamentFigures Play(std::uint32_t seed) {
  const std::string log = testing::TempDir() + "srv_tournament_" +
                          testing::UnitTest::GetInstance()->current_test_info()->name() + "_" +
                          std::to_string(::getpid()) + ".log";
  return PlayTournamentGame(3, 60, kMixedLevels, seed, kTurns, kTurns, log);
}

TEST(SrvTournament, HardChaptersEndAheadOfEasyOnes) {
  int hardAhead = 0, heldEasy = 0, heldHard = 0;
  for (std::uint32_t seed = 1; seed <= 4; ++seed) {
    const TournamentFigures f = Play(seed);
    SCOPED_TRACE(seed);
    heldEasy += f.heldByLevel[0];
    heldHard += f.heldByLevel[2];
    if (f.scoreByLevel[2] > f.scoreByLevel[0]) ++hardAhead;
    EXPECT_EQ(f.endTurn, kTurns - 1) << "the game length ends it";
    // Two unarmed units at work (a landing, a build) may share a place until
    // the work is done; none stays for good.
    EXPECT_LE(f.longestIdleBattle, 20);
  }
  EXPECT_GE(hardAhead, 3) << "of 4 seeds";
  EXPECT_GT(heldHard, heldEasy + heldEasy / 5);
}

TEST(SrvTournament, TheSameSeedPlaysTheSameMixedGame) {
  const TournamentFigures a = Play(9), b = Play(9);
  EXPECT_EQ(a.heldByLevel, b.heldByLevel);
  EXPECT_EQ(a.scoreByLevel, b.scoreByLevel);
  EXPECT_EQ(a.battles, b.battles);
  EXPECT_EQ(a.minerals, b.minerals);
}

}  // namespace
