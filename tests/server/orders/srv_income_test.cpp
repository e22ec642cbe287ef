// A chapter's credit income: what the rules' designer sets for an asteroid,
// for every asteroid the chapter owns, and never past the credits' cap.
#include <gtest/gtest.h>

#include <cstdint>

#include "Game/model/GAsteroid.h"
#include "Game/model/GChapter.h"
#include "Game/rules/GGameVar.h"
#include "tests/server/srv_game_fixture.h"

namespace {

constexpr std::uint32_t kCreditsCap = 0x7FFFFFFF;

// Chapters 8 and 9 of guild 1, held by players 1 and 2, who order nothing,
// so that nothing but the income changes their credits.
struct SrvIncome : SrvGameCase<53> {
  CGameVariables saved = g_gameVariables;
  void SetUp() override { StartTestGame(game, {{1, 8}, {2, 9}}, 2); }
  void TearDown() override { g_gameVariables = saved; }
  SrvWorld& Mutable() { return const_cast<SrvWorld&>(World()); }
  CGChapter& Chapter(std::uint16_t c) { return *Mutable().Chapter(c); }
  std::uint32_t Owned(std::uint16_t chapter) const {
    std::uint32_t n = 0;
    for (std::uint16_t i = 0; i < CGSolarDB::GetAsteroidCount(); ++i)
      if (const CGAsteroid* a = World().solar.GetAsteroid(i); a != nullptr && a->owner == chapter) ++n;
    return n;
  }
  void EndTurn() { EndTestTurn(game, {{1, 8}, {2, 9}}); }
};

}  // namespace

TEST_F(SrvIncome, EachAsteroidOwnedBringsWhatTheRulesSet) {
  // A second asteroid for chapter 8, so that the income counts asteroids
  // rather than paying a chapter once.
  const auto outpost = static_cast<std::uint16_t>((Chapter(8).homeAsteroid + 5) % CGSolarDB::GetAsteroidCount());
  Mutable().solar.GetAsteroid(outpost)->owner = 8;
  ASSERT_EQ(Owned(8), 2u);
  ASSERT_EQ(Owned(9), 1u);
  for (const std::uint32_t perAsteroid : {37u, 0u, 60u}) {
    SCOPED_TRACE(perAsteroid);
    g_gameVariables.creditsPerAsteroid = perAsteroid;
    const std::uint32_t before8 = Chapter(8).credits;
    const std::uint32_t before9 = Chapter(9).credits;
    EndTurn();
    EXPECT_EQ(Chapter(8).credits - before8, 2 * perAsteroid);
    EXPECT_EQ(Chapter(9).credits - before9, perAsteroid);
  }
}

TEST_F(SrvIncome, CreditsStopAtTheCapWithoutWrapping) {
  // An income that would carry the credits past 32 bits must not wrap
  // them round to a handful.
  g_gameVariables.creditsPerAsteroid = 0xFFFFFFF0u;
  Chapter(8).credits = kCreditsCap - 5;
  Chapter(9).credits = 100;
  EndTurn();
  EXPECT_EQ(Chapter(8).credits, kCreditsCap);
  EXPECT_EQ(Chapter(9).credits, kCreditsCap);
  // At the cap it stays there.
  g_gameVariables.creditsPerAsteroid = 60;
  EndTurn();
  EXPECT_EQ(Chapter(8).credits, kCreditsCap);
}
