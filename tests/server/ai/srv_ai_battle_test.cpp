// Battles the computer chapters stand in end: an armed unit closes in on an
// enemy its weapons do not reach, an attack whose target has gone is chosen
// again, and a unit that cannot fire leaves an enemy's place.
#include <gtest/gtest.h>

#include <cmath>

#include "Game/base/Packets.h"
#include "Game/model/GUnit.h"
#include "Game/rules/GTemplateDB.h"
#include "server/ai/SrvAiChapter.h"
#include "server/ai/SrvAiLevel.h"
#include "server/ai/SrvAiSight.h"
#include "server/ai/SrvAiSubmit.h"
#include "server/battle/SrvSpaceBattle.h"
#include "tests/server/ai/srv_ai_fixture.h"
#include "tests/server/ai/srv_tournament.h"

namespace {

using srv_ai_test::OrderFor;
using srv_ai_test::RulesGame;

CGUnitTemplate* DesignOf(RulesGame& game, std::uint16_t chapter, bool armed) {
  for (int slot = 0; slot < kFixedTemplateSlots; ++slot) {
    CGUnitTemplate* d = game.world.templates->GetTemplate(chapter, slot, 1);
    if (d != nullptr && d->hull != nullptr && (d->attack > 0) == armed && d->deepThrust > 0) return d;
  }
  return nullptr;
}

TEST(SrvAiBattle, AnArmedUnitOutOfReachClosesInThenAttacksAndAGoneTargetIsForgotten) {
  RulesGame game(1, 40, 1, 2);
  const std::uint16_t home = game.Chapter(0).homeAsteroid;
  CGUnitTemplate* warship = DesignOf(game, 8, true);
  ASSERT_NE(warship, nullptr);
  // The defender: chapter 0's unit furthest out along x, the raider beyond it.
  const CGUnit* defender = nullptr;
  for (std::uint16_t k = 0; const CGUnit* u = game.world.pieces->GetOperationalUnitAt(home, 0, k); ++k)
    if (defender == nullptr || u->location.x > defender->location.x) defender = u;
  ASSERT_NE(defender, nullptr);
  CGUnit* raider = game.world.CreateUnit(8, warship, defender->location);
  ASSERT_NE(raider, nullptr);
  raider->location.x = static_cast<std::int16_t>(defender->location.x + raider->GetMinWeaponRange() + 500);
  ASSERT_FALSE(SrvAiInReach(*raider, *defender));

  SrvPacket approach;
  ASSERT_EQ(OrderFor(game, 8, *raider, 2, &approach), ORDER_GO_TO_UNIT);
  auto turn = game.Turn();
  ASSERT_EQ(SrvSubmitComputerOrder(turn, 8, approach), SrvOrderVerdict::kAccepted);
  for (int t = 0; t < 20 && raider->GetOrderCount() != 0; ++t) {
    auto step = game.Turn();
    SrvResolveOrders(step);
  }
  ASSERT_TRUE(SrvAiInReach(*raider, *defender)) << "closed in within twenty turns";
  SrvPacket attack;
  ASSERT_EQ(OrderFor(game, 8, *raider, 2, &attack), ORDER_ATTACK_UNIT);
  ASSERT_EQ(SrvSubmitComputerOrder(turn, 8, attack), SrvOrderVerdict::kAccepted);
  EXPECT_EQ(OrderFor(game, 8, *raider, 2), -1) << "a standing attack in reach is kept";

  // The target leaves: the attack order no longer holds the raider.
  for (std::uint16_t k = 0; CGUnit* u = game.world.pieces->GetOperationalUnitAt(home, 0, k);)
    game.world.pieces->MarkUnitUnoperational(u);
  EXPECT_NE(OrderFor(game, 8, *raider, 2), -1);
}

TEST(SrvAiBattle, AUnitThatCannotFireLeavesAPlaceAnEnemyHolds) {
  RulesGame game(1, 40, 1, 2);
  const std::uint16_t home = game.Chapter(0).homeAsteroid;
  CGUnitTemplate* unarmed = DesignOf(game, 8, false);
  ASSERT_NE(unarmed, nullptr);
  const CGUnit* defender = game.world.pieces->GetOperationalUnitAt(home, 0, 0);
  ASSERT_NE(defender, nullptr);
  CGUnit* visitor = game.world.CreateUnit(8, unarmed, defender->location);
  ASSERT_NE(visitor, nullptr);
  visitor->atvCargo = {};
  SrvPacket order;
  ASSERT_EQ(OrderFor(game, 8, *visitor, 2, &order), ORDER_MOVE_TO_ASTEROID);
  EXPECT_EQ(ReadU32(order, 24), game.Chapter(8).homeAsteroid);
}

// A raider whose battle plan holds fire below a hit chance its weapons never
// reach would stand at an enemy's place for good without a shot: it leaves
// instead, and one that can hit attacks.
TEST(SrvAiBattle, AUnitThatWouldHoldItsFireLeavesInsteadOfAttacking) {
  RulesGame game(1, 40, 1, 2);
  const std::uint16_t home = game.Chapter(0).homeAsteroid;
  CGUnitTemplate* warship = DesignOf(game, 8, true);
  ASSERT_NE(warship, nullptr);
  const CGUnit* defender = game.world.pieces->GetOperationalUnitAt(home, 0, 0);
  ASSERT_NE(defender, nullptr);
  CGUnit* raider = game.world.CreateUnit(8, warship, defender->location);
  ASSERT_NE(raider, nullptr);
  ASSERT_TRUE(SrvAiCanHit(*raider, *defender));
  EXPECT_EQ(OrderFor(game, 8, *raider, 2), ORDER_ATTACK_UNIT);

  raider->targeting[4] = 101;  // no chance passes
  EXPECT_TRUE(SrvAiCanFire(*raider));
  EXPECT_FALSE(SrvAiCanHit(*raider, *defender));
  SrvPacket order;
  ASSERT_EQ(OrderFor(game, 8, *raider, 2, &order), ORDER_MOVE_TO_ASTEROID);
  EXPECT_EQ(ReadU32(order, 24), game.Chapter(8).homeAsteroid);
}

// Beyond its weapon's effective range a beam or missile aims worse, and the
// battle plan may hold its fire there: a raider that stands so is not yet in
// reach and closes in rather than attacking from where it would never fire.
TEST(SrvAiBattle, AUnitHoldingFireBeyondItsEffectiveRangeClosesIn) {
  RulesGame game(1, 40, 1, 2);
  const std::uint16_t home = game.Chapter(0).homeAsteroid;
  CGUnitTemplate* warship = DesignOf(game, 8, true);
  ASSERT_NE(warship, nullptr);
  const CGUnit* defender = game.world.pieces->GetOperationalUnitAt(home, 0, 0);
  ASSERT_NE(defender, nullptr);
  CGUnit* raider = game.world.CreateUnit(8, warship, defender->location);
  ASSERT_NE(raider, nullptr);
  const int slot = SrvFirstArmedSlot(*raider);
  ASSERT_GE(slot, 1);
  const std::uint32_t range = raider->GetWeaponRange(slot);
  const auto effective = static_cast<std::uint32_t>(std::sqrt(double(raider->GetWeaponEffectiveRangeSq(slot))));
  ASSERT_LT(effective + 20, range) << "the weapon reaches beyond its effective range";
  raider->location.x = static_cast<std::int16_t>(defender->location.x + (effective + range) / 2);
  const int near = raider->GetHitChanceAgainst(slot, defender), far = SrvShotChance(*raider, slot, *defender);
  ASSERT_LT(far, near) << "aims worse beyond its effective range";
  raider->targeting[4] = static_cast<std::uint8_t>(far + 1);  // holds fire there, not nearer
  for (int s = 1; s < kUnitSlots; ++s)
    if (s != slot) raider->modules[s].SetFiringLevel(0);  // the one weapon decides
  EXPECT_TRUE(SrvAiCanHit(*raider, *defender));
  EXPECT_FALSE(SrvAiInReach(*raider, *defender));
  EXPECT_EQ(OrderFor(game, 8, *raider, 2), ORDER_GO_TO_UNIT);
}

// Over a whole game no place stays in a battle without a shot for long.
TEST(SrvAiBattle, NoPlaceStaysInABattleWithoutAShot) {
  const srv_ai_test::GameLogFile log;
  const auto f = srv_ai_test::PlayTournamentGame(2, 40, 2, 5, 150, 150, log.path);
  EXPECT_GT(f.battles, 0);
  EXPECT_LE(f.longestIdleBattle, 10);
  EXPECT_LT(f.battlesWithoutShot * 4, f.battles) << f.battlesWithoutShot << " of " << f.battles;
}

// In a default world unarmed ships (builders, carriers) of hostile chapters
// travel the same lanes: meeting on a common course is no battle, so no
// place is in one without a shot for more than a turn or two.
TEST(SrvAiBattle, UnarmedShipsMeetingOnTheirWayMakeNoBattle) {
  const srv_ai_test::GameLogFile log;
  const auto f = srv_ai_test::PlayTournamentGame(8, 150, 2, 37, 300, 300, log.path);
  EXPECT_GT(f.battles, 100);
  EXPECT_LE(f.longestIdleBattle, 3);
  EXPECT_LT(f.battlesWithoutShot * 50, f.battles) << f.battlesWithoutShot << " of " << f.battles;
}

}  // namespace
