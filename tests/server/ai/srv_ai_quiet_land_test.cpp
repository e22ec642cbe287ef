// Hard chapters take ATVs off their quiet land: miners off land not worth
// mining even where that leaves a zone free (not where the zones left would
// lose the asteroid to another chapter), kept aboard rather than landed
// on land that yields what the pools already outlast, and combat ATVs that
// no zone needs, gathered into a war load.
#include <gtest/gtest.h>

#include "Game/model/GAsteroid.h"
#include "Game/model/GUnit.h"
#include "Game/model/GZone.h"
#include "Game/rules/GTemplateDB.h"
#include "server/ai/SrvAiBudget.h"
#include "server/ai/SrvAiSubmit.h"
#include "tests/server/ai/srv_ai_fixture.h"

namespace {

using srv_ai_test::OrderFor;
using srv_ai_test::RulesGame;

constexpr std::uint8_t kAverage = 1, kHard = 2;

// Chapter 0's home, with a bare surface, full pools (nothing is worth
// mining) and an idle carrier of chapter 0; every other asteroid chapter 8's.
struct QuietHome : RulesGame {
  std::uint16_t home = 0;
  CGAsteroid* a = nullptr;
  CGUnit* carrier = nullptr;

  QuietHome() : RulesGame(1, 40, 1, kHard) {
    world.turn = kStakeTurns;
    for (std::uint16_t i = 0; i < CGSolarDB::GetAsteroidCount(); ++i)
      if (world.solar.GetAsteroid(i)->controller == kNoChapter) Control(i, 8);
    home = Chapter(0).homeAsteroid;
    for (std::uint32_t m = 0; m < kMineralTypes; ++m) world.poolDB.SetMineral(home, m, 100000);
    a = world.solar.GetAsteroid(home);
    // Its surface bare: the tests put the ATVs there.
    for (std::uint16_t z = 0; z < a->GetZoneCount(); ++z) {
      CGZone* zone = a->GetZone(z);
      for (std::uint8_t k = 0; k < kAtvKinds; ++k) zone->atvCounts[k] = 0;
      zone->SetOwner(kZoneNobody);
    }
    carrier = CarrierAt(world.pieces->GetOperationalUnitAt(home, 0, 0)->location);
  }

  CGUnit* CarrierAt(const Location& where) {
    for (int slot = 0; slot < kFixedTemplateSlots; ++slot)
      if (CGUnitTemplate* d = world.templates->GetTemplate(0, slot, 1);
          d != nullptr && d->hull != nullptr && d->atvCapacity >= 8 && d->construction == 0) {
        CGUnit* u = world.CreateUnit(0, d, where);
        u->power = u->GetMaxPower();
        return u;
      }
    return nullptr;
  }

  // The zones of the home (or another asteroid) from the first that nobody
  // holds and that takes such ATVs (the centre takes seed banks only): `n`
  // of them chapter 0's, each with the ATVs `fill` gives it.
  std::vector<std::uint16_t> Settle(int n, const std::array<std::uint8_t, kAtvKinds>& fill) {
    return Settle(*a, n, fill);
  }
  static std::vector<std::uint16_t> Settle(CGAsteroid& at, int n, const std::array<std::uint8_t, kAtvKinds>& fill) {
    std::vector<std::uint16_t> zones;
    for (std::uint16_t z = 0; z < at.GetZoneCount() && static_cast<int>(zones.size()) < n; ++z)
      if (CGZone* zone = at.GetZone(z); zone->owner == kZoneNobody && (z != 0 || (fill[0] | fill[1] | fill[2]) == 0)) {
        zone->SetOwner(0);
        for (int k = 0; k < kAtvKinds; ++k) zone->atvCounts[k] = fill[static_cast<std::size_t>(k)];
        zones.push_back(z);
      }
    return zones;
  }

  // Chapter 8's land nearest the home, other than its own home and `except`,
  // with a zone left free for an invasion (not the centre, where no load lands).
  std::uint16_t OpenPrize(std::uint16_t except = kNoChapter) {
    std::uint16_t prize = kNoChapter;
    for (std::uint16_t i = 0; i < CGSolarDB::GetAsteroidCount(); ++i)
      if (i != home && i != except && i != Chapter(8).homeAsteroid &&
          (prize == kNoChapter ||
           world.solar.GetAsteroidDistanceSquared(home, i) < world.solar.GetAsteroidDistanceSquared(home, prize)))
        prize = i;
    if (prize != kNoChapter) world.solar.GetAsteroid(prize)->GetZone(1)->SetOwner(kZoneNobody);
    return prize;
  }

  std::int64_t Order(std::uint8_t level, SrvPacket* packet = nullptr) {
    return OrderFor(*this, 0, *carrier, level, packet);
  }

  void Carry(std::int64_t type) {
    SrvPacket order;
    ASSERT_EQ(Order(kHard, &order), type);
    auto turn = Turn();
    ASSERT_EQ(SrvSubmitComputerOrder(turn, 0, order), SrvOrderVerdict::kAccepted);
    for (int t = 0; t < 10 && carrier->GetOrderCount() != 0; ++t) SrvResolveOrders(turn);
  }
};

TEST(SrvAiQuietLand, HardCarriersTakeMinersOffLandNotWorthMiningAndKeepThemAboard) {
  QuietHome game;
  ASSERT_NE(game.carrier, nullptr);
  const std::vector<std::uint16_t> lone = game.Settle(2, {0, 2, 0, 0});
  ASSERT_EQ(lone.size(), 2u);
  EXPECT_NE(game.Order(kAverage), ORDER_RECOVER_ATVS) << "average waits for a power ATV on each zone";
  game.Carry(ORDER_RECOVER_ATVS);
  EXPECT_EQ(game.carrier->atvCargo[ATV_MINING], 4);
  for (std::uint16_t z : lone) EXPECT_EQ(game.a->GetZone(z)->owner, kZoneNobody) << "left for the settlers" << z;
  // The home's free zones would take them, but it yields what the pools
  // outlast: they stay aboard.
  EXPECT_NE(game.Order(kHard), ORDER_LAND_ATVS);
  EXPECT_EQ(game.carrier->atvCargo[ATV_MINING], 4);
}

// Miners stay where taking them off would leave another chapter more zones
// than the chapter keeps: it would lose the asteroid, and its carriers land
// to take it back, turn after turn. With as many left it keeps control.
TEST(SrvAiQuietLand, HardCarriersLeaveMinersThatHoldTheControl) {
  QuietHome game;
  ASSERT_NE(game.carrier, nullptr);
  const std::vector<std::uint16_t> lone = game.Settle(2, {0, 2, 0, 0});
  const std::vector<std::uint16_t> kept = game.Settle(1, {0, 1, 1, 0});
  ASSERT_EQ(kept.size(), 1u);
  // The miners' zones built on would be kept by their facilities.
  for (std::uint16_t z : lone) game.a->GetZone(z)->SetFacilities(0);
  std::vector<CGZone*> enemy;
  for (std::uint16_t z = 1; z < game.a->GetZoneCount() && enemy.size() < 2; ++z)
    if (CGZone* zone = game.a->GetZone(z); zone->owner == kZoneNobody) {
      zone->SetOwner(8);
      zone->atvCounts[ATV_POWER] = 1;
      enemy.push_back(zone);
    }
  ASSERT_EQ(enemy.size(), 2u);
  EXPECT_NE(game.Order(kHard), ORDER_RECOVER_ATVS) << "one zone kept against two";
  enemy[1]->atvCounts[ATV_POWER] = 0;
  enemy[1]->SetOwner(kZoneNobody);
  EXPECT_EQ(game.Order(kHard), ORDER_RECOVER_ATVS) << "one against one keeps the control";
}

// A recovery takes a kind's ATVs zone by zone in order: the carrier asks for
// those of the zones kept by another ATV up to the first zone combat ATVs
// hold alone, and leaves one there.
TEST(SrvAiQuietLand, HardCarriersGatherTheCombatAtvsNoZoneNeedsIntoAWarLoad) {
  QuietHome game;
  ASSERT_NE(game.carrier, nullptr);
  const std::vector<std::uint16_t> beside = game.Settle(1, {2, 0, 1, 0});
  const std::vector<std::uint16_t> alone = game.Settle(2, {3, 0, 0, 0});
  ASSERT_EQ(alone.size(), 2u);
  ASSERT_NE(game.OpenPrize(), kNoChapter);

  SrvPacket order;
  EXPECT_NE(game.Order(kAverage), ORDER_RECOVER_ATVS);
  game.world.turn = kStakeTurns - 1;
  EXPECT_NE(game.Order(kHard), ORDER_RECOVER_ATVS) << "the first turns are left alone";
  game.world.turn = kStakeTurns;
  // An enemy's ATVs on the home's surface keep every combat ATV there.
  CGZone& enemy = *game.a->GetZone(static_cast<std::uint16_t>(alone.back() + 1));
  ASSERT_EQ(enemy.owner, kZoneNobody);
  enemy.SetOwner(8);
  enemy.atvCounts[ATV_COMBAT] = 1;
  EXPECT_NE(game.Order(kHard), ORDER_RECOVER_ATVS);
  enemy.atvCounts[ATV_COMBAT] = 0;
  enemy.SetOwner(kZoneNobody);

  ASSERT_EQ(game.Order(kHard, &order), ORDER_RECOVER_ATVS);
  game.Carry(ORDER_RECOVER_ATVS);
  EXPECT_EQ(game.carrier->atvCargo[ATV_COMBAT], 2 + 2);
  EXPECT_EQ(game.a->GetZone(beside[0])->owner, 0) << "kept by its power ATV";
  EXPECT_EQ(game.a->GetZone(alone[0])->atvCounts[ATV_COMBAT], 1);
  EXPECT_EQ(game.a->GetZone(alone[1])->atvCounts[ATV_COMBAT], 3) << "past the first zone they hold alone";
  SrvPacket move;
  ASSERT_EQ(game.Order(kHard, &move), ORDER_MOVE_TO_ASTEROID) << "a war load sets out";
}

// On outlying land not worth mining the carrier takes every combat ATV:
// the zones they held alone are left for the settlers to hold with power
// ATVs, which mine nothing. At home it leaves one where they hold a zone alone.
TEST(SrvAiQuietLand, OnOutlyingQuietLandEveryCombatAtvGoesAboard) {
  QuietHome game;
  CGAsteroid& outlying = *game.world.solar.GetAsteroid(game.OpenPrize());
  game.Control(outlying.id, 0);
  for (std::uint16_t z = 0; z < outlying.GetZoneCount(); ++z) outlying.GetZone(z)->SetOwner(kZoneNobody);
  ASSERT_NE(game.OpenPrize(outlying.id), kNoChapter);
  const std::vector<std::uint16_t> alone = QuietHome::Settle(outlying, 2, {3, 0, 0, 0});
  ASSERT_EQ(alone.size(), 2u);
  CGUnit* carrier = game.CarrierAt(Location{outlying.id, 0, 0, 0});
  ASSERT_NE(carrier, nullptr);
  SrvPacket order;
  ASSERT_EQ(OrderFor(game, 0, *carrier, kHard, &order), ORDER_RECOVER_ATVS);
  auto turn = game.Turn();
  ASSERT_EQ(SrvSubmitComputerOrder(turn, 0, order), SrvOrderVerdict::kAccepted);
  for (int t = 0; t < 10 && carrier->GetOrderCount() != 0; ++t) SrvResolveOrders(turn);
  EXPECT_EQ(carrier->atvCargo[ATV_COMBAT], 6);
  for (std::uint16_t z : alone) EXPECT_EQ(outlying.GetZone(z)->owner, kZoneNobody) << z;
}

}  // namespace
