// Where average and hard computer chapters make war: a flag-bearer's home, when the
// flags can win the game, before a nearer asteroid of no account; a flag
// they hold keeps its guards; the weakest guild's asteroids first; a side
// ahead in flags, or closing in on what an imperator needs, makes for the rest with its guards too, the others leave
// the flags. How their imperator votes split: a
// rival close behind the strongest backs itself, so a fallen imperator leaves an interregnum.
#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "Game/base/Packets.h"
#include "Game/model/GAsteroid.h"
#include "Game/model/GUnit.h"
#include "Game/rules/GTemplateDB.h"
#include "server/ai/SrvAiChapter.h"
#include "server/ai/SrvAiLevel.h"
#include "server/ai/SrvAiPlan.h"
#include "server/ai/SrvAiSubmit.h"
#include "server/ai/SrvChapterState.h"
#include "server/ai/SrvGuildTally.h"
#include "server/ai/SrvVictoryRules.h"
#include "tests/server/ai/srv_ai_fixture.h"

namespace {

using srv_ai_test::OfType;
using srv_ai_test::RulesGame;
using srv_ai_test::WarshipOf;

// Two chapters a guild; all but chapters 0 (a flag-bearer), 9 and 17 lose
// everything. Chapter 9 has a squadron of warships at home, more than it
// keeps on guard, and nothing else; the asteroid nearest its home is
// chapter 17's, and chapters 0 and 17 hold four more asteroids each (so
// neither is near its end).
struct SrvAiPrize : testing::Test {
  RulesGame game{2, 60, kSrvLastManStanding | kSrvCaptureTheFlag, 2};
  std::uint16_t base = game.Chapter(9).homeAsteroid;
  std::uint16_t flag = game.Chapter(0).homeAsteroid;
  std::uint16_t nearest = 0;
  std::vector<CGUnit*> squadron;

  void SetUp() override {
    for (std::uint16_t c = 0; c < kMaxChapters; ++c)
      if (game.world.HasChapter(c) && c != 0 && c != 9 && c != 17) game.Strip(c);
    const Location dock = game.world.pieces->GetOperationalUnitAt(base, 9, 0)->location;
    game.Strip(9);
    game.Control(base, 9);
    std::int32_t best = -1;
    for (std::uint16_t a = 0; a < CGSolarDB::GetAsteroidCount(); ++a) {
      const std::int32_t d = game.world.solar.GetAsteroidDistanceSquared(base, a);
      if (a != base && a != flag && (best < 0 || d < best)) {
        best = d;
        nearest = a;
      }
    }
    game.Control(nearest, 17);
    game.GiveAsteroids(17, 4);
    game.GiveAsteroids(0, 4);
    for (int n = 0; n < 6; ++n) {
      CGUnit* u = game.world.CreateUnit(9, WarshipOf(game, 9), dock);
      ASSERT_NE(u, nullptr);
      squadron.push_back(u);
    }
  }

  // Where chapter 9's warships standing at `from` set out for over some
  // turns' draws (each draw a seed), by asteroid.
  std::map<std::uint32_t, int> Destinations(const SrvAiLevel& level, std::uint16_t from) {
    std::map<std::uint32_t, int> to;
    for (std::uint32_t seed = 1; seed <= 8; ++seed)
      for (const SrvPacket& p : SrvChooseOrders(game.world, 9, level, seed)) {
        if (ReadU16(p, 0) != PKT_ORDER || ReadU32(p, 12) != ORDER_MOVE_TO_ASTEROID) continue;
        const CGUnit* u = game.world.pieces->FindUnitAt(from, ReadU32(p, 8));
        if (u != nullptr) ++to[ReadU32(p, 24)];
      }
    return to;
  }

  // Every move counted over the draws of Destinations.
  static int Moves(const std::map<std::uint32_t, int>& to) {
    int n = 0;
    for (const auto& [asteroid, count] : to) n += count;
    return n;
  }

  // Eight warships more at the squadron's dock: enough that the guards of
  // its asteroids leave some to set out.
  void ReinforceSquadron() {
    const Location dock = squadron.front()->location;
    for (int n = 0; n < 8; ++n) {
      squadron.push_back(game.world.CreateUnit(9, WarshipOf(game, 9), dock));
      ASSERT_NE(squadron.back(), nullptr);
    }
  }
};

TEST_F(SrvAiPrize, WhenTheFlagsWinHardWarshipsMakeForAFlagBeforeANearerAsteroid) {
  const std::int32_t nearDistance = game.world.solar.GetAsteroidDistanceSquared(base, nearest);
  const std::int32_t flagDistance = game.world.solar.GetAsteroidDistanceSquared(base, flag);
  ASSERT_LT(nearDistance, flagDistance);
  ASSERT_LT(flagDistance, 64 * nearDistance) << "the flag is worth the way";

  SrvAiLevel hard = SrvAiLevelOf(2);
  hard.flagsWin = true;
  const auto toFlag = Destinations(hard, base);
  ASSERT_FALSE(toFlag.empty()) << "the warships set out";
  EXPECT_EQ(toFlag.begin()->first, flag);
  EXPECT_EQ(toFlag.size(), 1u);

  const auto plain = Destinations(SrvAiLevelOf(1), base);
  ASSERT_FALSE(plain.empty());
  EXPECT_EQ(plain.begin()->first, nearest) << "average's lighter weight, with no flags to win, takes the nearest";
  EXPECT_EQ(plain.size(), 1u);
}

TEST_F(SrvAiPrize, AFlagTheChapterHoldsKeepsItsGuards) {
  // Chapter 9 has taken the flag; the level's guards stand above it, and the
  // squadron at home makes more warships than the two asteroids keep.
  const Location above = game.world.pieces->GetOperationalUnitAt(flag, 0, 0)->location;
  game.Strip(0);
  game.Control(flag, 9);
  for (int n = 0; n < SrvAiLevelOf(2).guardsPerAsteroid; ++n) {
    CGUnit* u = game.world.CreateUnit(9, WarshipOf(game, 9), above);
    ASSERT_NE(u, nullptr);
    ASSERT_EQ(u->location.asteroid, flag);
  }
  SrvAiLevel hard = SrvAiLevelOf(2);
  hard.flagsWin = true;
  EXPECT_FALSE(Destinations(hard, base).empty()) << "the squadron sets out";
  EXPECT_TRUE(Destinations(hard, flag).empty()) << "no more guards than the level keeps";
  hard.flagsWin = false;
  EXPECT_FALSE(Destinations(hard, flag).empty()) << "a home like any other when the flags do not win";

  ASSERT_NE(game.world.CreateUnit(9, WarshipOf(game, 9), above), nullptr);
  hard.flagsWin = true;
  EXPECT_FALSE(Destinations(hard, flag).empty()) << "one over the guards sets out";
}

// Every guild goes for the weakest other guild in play: its asteroids come
// before an enemy's nearer one, until it is no longer the weakest.
TEST_F(SrvAiPrize, HardWarshipsGoForTheWeakestGuild) {
  // Guilds 3 and 4 are out of the game, as their members' losses leave them.
  for (std::uint16_t c = 24; c < kMaxChapters; ++c)
    if (game.world.HasChapter(c)) game.Chapter(c).stateFlag = kSrvChapterOut;
  std::uint16_t second = kNoChapter;
  std::int32_t best = -1;
  for (std::uint16_t a = 0; a < CGSolarDB::GetAsteroidCount(); ++a) {
    const std::int32_t d = game.world.solar.GetAsteroidDistanceSquared(base, a);
    if (game.world.solar.GetAsteroid(a)->controller == kNoChapter && (best < 0 || d < best)) {
      best = d;
      second = a;
    }
  }
  ASSERT_NE(second, kNoChapter);
  game.Control(second, 0);
  const std::int32_t nearDistance = game.world.solar.GetAsteroidDistanceSquared(base, nearest);
  ASSERT_LT(best, 4 * nearDistance) << "near enough to be worth the way";
  ASSERT_GT(game.world.solar.GetAsteroidDistanceSquared(base, flag), 4 * best) << "the flag's home does not draw them";
  game.GiveAsteroids(17, 3);  // guild 2: 9 asteroids, guild 0: 6

  EXPECT_EQ(SrvAiQuarry(game.world, 9), 0) << "never its own guild, the weakest of all";
  EXPECT_EQ(SrvAiQuarry(game.world, 0), 1);
  const auto atWeakest = Destinations(SrvAiLevelOf(2), base);
  ASSERT_FALSE(atWeakest.empty());
  EXPECT_EQ(atWeakest.begin()->first, second);
  EXPECT_EQ(atWeakest.size(), 1u);

  game.GiveAsteroids(0, 4);  // guild 0: 10
  EXPECT_EQ(SrvAiQuarry(game.world, 9), 2);
  const auto atNearest = Destinations(SrvAiLevelOf(2), base);
  ASSERT_FALSE(atNearest.empty());
  EXPECT_EQ(atNearest.begin()->first, nearest);
  EXPECT_EQ(atNearest.size(), 1u);

  // A guild with no member in play is nobody's quarry.
  for (std::uint16_t c = 16; c < 24; ++c)
    if (game.world.HasChapter(c)) game.Chapter(c).stateFlag = kSrvChapterOut;
  EXPECT_EQ(SrvAiQuarry(game.world, 9), 0);
}

// A side that holds two flags, and no fewer than any other side, sends every
// warship it can spare for the rest; a side behind it leaves them the flags
// and makes for nearer land.
TEST_F(SrvAiPrize, ASideAheadInFlagsMakesForTheRestAndTheOthersLeaveThem) {
  SrvAiLevel hard = SrvAiLevelOf(2);
  hard.flagsWin = true;
  ReinforceSquadron();
  const std::uint16_t ownFlag = game.Chapter(8).homeAsteroid;
  ASSERT_EQ(game.world.solar.GetAsteroid(ownFlag)->controller, kNoChapter) << "chapter 8 lost everything";
  game.Control(ownFlag, 9);
  EXPECT_EQ(SrvAiCountFlags(game.world, 9).side, 1);
  const int oneFlag = Moves(Destinations(hard, base));
  const std::uint16_t thirdFlag = game.Chapter(16).homeAsteroid;
  game.Control(thirdFlag, 9);
  const SrvAiFlagCount ahead = SrvAiCountFlags(game.world, 9);
  EXPECT_EQ(ahead.side, 2);
  EXPECT_EQ(ahead.rival, 1) << "chapter 0 holds its own";
  const auto pushed = Destinations(hard, base);
  EXPECT_EQ(Moves(pushed), 8 * static_cast<int>(squadron.size())) << "every warship, every turn";
  EXPECT_LT(oneFlag, Moves(pushed)) << "one flag: as often as the level's aggression says";
  EXPECT_EQ(pushed.begin()->first, flag);
  EXPECT_EQ(pushed.size(), 1u);

  // Chapter 17 now holds the two flags; chapter 9 holds none and goes for
  // the nearest asteroid rather than the flag (guild 0, now the strongest,
  // is not its quarry either).
  game.Control(ownFlag, 17);
  game.Control(thirdFlag, 17);
  game.GiveAsteroids(0, 6);
  EXPECT_EQ(SrvAiCountFlags(game.world, 9).rival, 2);
  const auto behind = Destinations(hard, base);
  ASSERT_FALSE(behind.empty());
  EXPECT_EQ(behind.begin()->first, nearest);
  EXPECT_EQ(behind.size(), 1u);
}

// Average weighs the same prizes at a lighter weight and sets out less often,
// but a side of it ahead in flags makes for the rest every turn as hard's
// does: without that no average game ends before its length.
TEST_F(SrvAiPrize, AnAverageSideAheadInFlagsMakesForTheRest) {
  SrvAiLevel average = SrvAiLevelOf(1);
  average.flagsWin = true;
  ReinforceSquadron();
  game.Control(game.Chapter(8).homeAsteroid, 9);
  // The flag lies ten times the nearest asteroid's squared distance away:
  // hard's weight draws its warships there, average's does not.
  const std::int32_t nearDistance = game.world.solar.GetAsteroidDistanceSquared(base, nearest);
  ASSERT_GT(game.world.solar.GetAsteroidDistanceSquared(base, flag), 4 * nearDistance);
  ASSERT_LT(game.world.solar.GetAsteroidDistanceSquared(base, flag), 16 * nearDistance);
  SrvAiLevel hard = SrvAiLevelOf(2);
  hard.flagsWin = true;
  EXPECT_EQ(Destinations(hard, base).begin()->first, flag);
  const auto oneFlag = Destinations(average, base);
  ASSERT_FALSE(oneFlag.empty());
  EXPECT_LT(Moves(oneFlag), 8 * static_cast<int>(squadron.size()) / 2) << "one flag: at the level's chance a turn";
  EXPECT_EQ(oneFlag.begin()->first, nearest);
  EXPECT_EQ(oneFlag.size(), 1u);
  game.Control(game.Chapter(16).homeAsteroid, 9);
  ASSERT_EQ(SrvAiCountFlags(game.world, 9).side, 2);
  const auto pushed = Destinations(average, base);
  EXPECT_EQ(Moves(pushed), 8 * static_cast<int>(squadron.size())) << "two flags: every warship, every turn";
  EXPECT_EQ(pushed.begin()->first, flag);
  EXPECT_EQ(pushed.size(), 1u);
}

// The guards a chapter keeps for its asteroids while it has land to settle
// do not hold back a side ahead in flags: the last flags are what win, and
// land settled meanwhile wins nothing.
TEST_F(SrvAiPrize, ASideAheadInFlagsSendsItsGuardsToo) {
  SrvAiLevel hard = SrvAiLevelOf(2);
  hard.flagsWin = true;
  game.Control(game.Chapter(8).homeAsteroid, 9);
  ASSERT_LE(static_cast<int>(squadron.size()), hard.guardsPerAsteroid * 2) << "fewer warships than its guards";
  EXPECT_EQ(Moves(Destinations(hard, base)), 0) << "one flag: the squadron guards while land is left to settle";
  game.Control(game.Chapter(16).homeAsteroid, 9);
  ASSERT_EQ(SrvAiCountFlags(game.world, 9).side, 2);
  EXPECT_EQ(Moves(Destinations(hard, base)), 8 * static_cast<int>(squadron.size()))
      << "two flags: every warship, every turn";
}

// A hard side that holds most of the asteroids an imperator needs, and more
// than any other guild, pushes for the rest as a side ahead in flags does:
// its guards set out too, every turn. Not short of that share, nor while
// another guild holds as many, nor where an imperator does not win; an
// average side does not (its realm, pushed into more wars, loses more land
// to hard's in mixed games).
TEST_F(SrvAiPrize, ASideClosingInOnWhatAnImperatorNeedsPushesForTheRest) {
  SrvAiLevel hard = SrvAiLevelOf(2);
  game.GiveAsteroids(9, 9);
  const int held = SrvControlledAsteroids(game.world, 9);
  ASSERT_EQ(held, 10);
  const int everyTurn = 8 * static_cast<int>(squadron.size());
  ASSERT_LE(static_cast<int>(squadron.size()), hard.guardsPerAsteroid * held) << "fewer warships than its guards";
  EXPECT_EQ(Moves(Destinations(hard, base)), 0) << "no imperator wins: the squadron guards";

  hard.imperatorTarget = 100 * held / kSrvAiClosingInPercent + 1;
  EXPECT_FALSE(SrvAiClosingIn(game.world, 9, hard.imperatorTarget));
  EXPECT_EQ(Moves(Destinations(hard, base)), 0) << "short of the share";
  hard.imperatorTarget = 100 * held / kSrvAiClosingInPercent;
  EXPECT_TRUE(SrvAiClosingIn(game.world, 9, hard.imperatorTarget));
  EXPECT_EQ(Moves(Destinations(hard, base)), everyTurn) << "every warship, every turn";
  SrvAiLevel average = SrvAiLevelOf(1);
  average.imperatorTarget = hard.imperatorTarget;
  ASSERT_LE(static_cast<int>(squadron.size()), average.guardsPerAsteroid * held);
  EXPECT_EQ(Moves(Destinations(average, base)), 0) << "average does not push for an imperator";

  game.GiveAsteroids(17, held - SrvControlledAsteroids(game.world, 17));
  EXPECT_FALSE(SrvAiClosingIn(game.world, 9, hard.imperatorTarget)) << "guild 2 holds as many";
  EXPECT_EQ(Moves(Destinations(hard, base)), 0);
}

// The imperator vote each member of guild 0 gives (its own slot when it
// gives none and backs itself, as every member does from the start).
std::vector<int> Backing(RulesGame& game) {
  std::vector<int> backs;
  auto turn = game.Turn();
  SrvAiLevel level = SrvAiLevelOf(2);
  level.interregnums = SrvVictoryRulesOf(game.setup).Interregnum();
  for (std::uint16_t c = 0; c < 4; ++c) {
    for (const SrvPacket& p : SrvChooseOrders(game.world, c, level, 3))
      if (ReadU16(p, 0) == PKT_IMPERATOR_VOTE) {
        EXPECT_EQ(SrvSubmitComputerOrder(turn, c, p), SrvOrderVerdict::kAccepted);
      }
    backs.push_back(SrvImperatorChoice(game.Chapter(c), 4));
  }
  return backs;
}

TEST(SrvAiVotes, ARivalBacksItselfAndAFallenImperatorLeavesAnInterregnum) {
  RulesGame game(4, 60, kSrvImperatorWins | kSrvInterregnum, 2);
  game.setup.config.SetU16(26, 60);  // the share of the votes that makes an imperator
  for (std::uint16_t c = 0; c < 4; ++c) game.GiveAsteroids(c, 3);
  EXPECT_EQ(Backing(game), (std::vector<int>{0, 0, 0, 0})) << "level with the strongest: the first of them";

  game.GiveAsteroids(0, 6);  // 10
  game.GiveAsteroids(1, 4);  // 8: over 70 percent of the strongest's votes
  EXPECT_EQ(Backing(game), (std::vector<int>{0, 1, 0, 0}));
  game.Politics();
  ASSERT_EQ(game.Chapter(0).stateFlag, kSrvChapterImperator) << "18 of 26 votes";

  // The imperator falls: its backers' votes name a chapter out of the game,
  // and its rival holds 8 of 14.
  game.Strip(0);
  auto fall = game.Politics();
  EXPECT_EQ(game.world.guilds->GetGuild(0)->interregnum, 1u);
  EXPECT_EQ(OfType(fall, 1, PKT_INTERREGNUM_START).size(), 1u);

  EXPECT_EQ(Backing(game), (std::vector<int>{0, 1, 1, 1})) << "the others back the strongest left";
  auto after = game.Politics();
  EXPECT_EQ(OfType(after, 1, PKT_INTERREGNUM_END).size(), 1u);
  EXPECT_EQ(game.Chapter(1).stateFlag, kSrvChapterImperator);
}

// Without interregnums, a rival backs the strongest too; members backing
// another keep backing it while it holds 85% of the strongest's votes: one
// asteroid more or less does not change the guild's imperator.
TEST(SrvAiVotes, BackersStayWithTheMemberTheyBackWhileItKeepsUp) {
  RulesGame game(4, 60, kSrvImperatorWins, 2);
  for (std::uint16_t c = 0; c < 4; ++c) game.GiveAsteroids(c, 3);
  game.GiveAsteroids(0, 6);  // 10
  game.GiveAsteroids(1, 4);  // 8
  EXPECT_EQ(Backing(game), (std::vector<int>{0, 0, 0, 0}));
  game.GiveAsteroids(1, 3);  // 11: 0 holds 91% of its votes
  EXPECT_EQ(Backing(game), (std::vector<int>{1, 1, 0, 0})) << "the strongest backs itself, 0 backs it";
  game.GiveAsteroids(1, 2);  // 13: 77%
  EXPECT_EQ(Backing(game), (std::vector<int>{1, 1, 1, 1}));
}

}  // namespace
