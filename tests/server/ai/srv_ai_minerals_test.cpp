// A computer chapter's minerals judged one by one: which land is worth
// mining, miners taken off other land with its zones kept and landed where
// the short mineral is mined, and surpluses traded in lots that match them.
#include <gtest/gtest.h>

#include <utility>

#include "Game/model/GAsteroid.h"
#include "Game/model/GUnit.h"
#include "Game/model/GZone.h"
#include "Game/rules/GTemplateDB.h"
#include "server/ai/SrvAiBudget.h"
#include "server/ai/SrvAiChapter.h"
#include "server/ai/SrvAiLevel.h"
#include "server/ai/SrvAiOrders.h"
#include "server/ai/SrvAiSubmit.h"
#include "server/trade/SrvTransitTurns.h"
#include "tests/server/ai/srv_ai_fixture.h"

namespace {

using srv_ai_test::OrderFor;
using srv_ai_test::RulesGame;

// Composition types: an even mix, 70% metals, 70% exotics.
constexpr std::uint8_t kEvenMix = 0, kMetalRich = 4, kExoticRich = 12;
constexpr std::uint8_t kAverage = 1;

void Fill(RulesGame& game, std::uint16_t asteroid, std::array<std::uint32_t, kMineralTypes> amounts) {
  for (std::uint32_t m = 0; m < kMineralTypes; ++m) game.world.poolDB.SetMineral(asteroid, m, amounts[m]);
}

int MinersOn(const CGAsteroid& a) {
  int n = 0;
  for (std::uint16_t z = 0; z < a.GetZoneCount(); ++z)
    n += a.GetZone(z)->owner == 0 ? a.GetZone(z)->atvCounts[ATV_MINING] : 0;
  return n;
}

TEST(SrvAiMinerals, EachMineralIsJudgedOnItsOwnAndLandIsWorthMiningForWhatIsShort) {
  RulesGame game(1, 40, 1, 2);
  const std::uint16_t home = game.Chapter(0).homeAsteroid;
  // At 10 credits an asteroid, 1,000 credits in 100 turns; a credit takes
  // at most 1.2 metals, 1 silicate, 0.25 exotics or 0.5 reactives with it.
  g_gameVariables.creditsPerAsteroid = 10;
  Fill(game, home, {1199, 1000, 250, 499});
  game.world.turn = kStakeTurns - 1;
  EXPECT_EQ(SrvAiPlentifulMinerals(game.world, 0, 100), SrvAiPlenty{}) << "the starting stake is no surplus";
  game.world.turn = kStakeTurns;
  EXPECT_EQ(SrvAiPlentifulMinerals(game.world, 0, 100), (SrvAiPlenty{false, true, true, false}));
  // The income the rules set is what the stock must outlast.
  g_gameVariables.creditsPerAsteroid = 20;
  EXPECT_EQ(SrvAiPlentifulMinerals(game.world, 0, 100), SrvAiPlenty{}) << "2,000 credits to spend";
  EXPECT_EQ(SrvAiPlentifulMinerals(game.world, 0, 50), (SrvAiPlenty{false, true, true, false}));
  EXPECT_EQ(SrvAiPlentifulMinerals(game.world, 0, 0), SrvAiPlenty{}) << "a level that always mines";
  CGAsteroid& land = *game.world.solar.GetAsteroid(static_cast<std::uint16_t>(home + 1));
  auto worth = [&](std::uint8_t composition, SrvAiPlenty plenty) {
    land.SetCompositionType(composition);
    return SrvAiWorthMining(game.world, plenty, land.id);
  };
  EXPECT_TRUE(worth(kMetalRich, {false, true, true, true}));
  EXPECT_FALSE(worth(kEvenMix, {false, true, true, true})) << "a quarter of its yield wanted";
  EXPECT_TRUE(worth(kEvenMix, {false, false, true, true})) << "half of it";
  EXPECT_TRUE(worth(kExoticRich, SrvAiPlenty{}));
}

// On its settled home, not worth mining, an average chapter's carrier puts a
// power ATV on each zone only miners hold, then takes every miner aboard (the
// zones stay the chapter's); once the home yields what the chapter lacks,
// they go back. (A hard chapter's takes them at once: srv_ai_quiet_land_test.)
TEST(SrvAiMinerals, MinersGiveWayToPowerAtvsAndMineOnlyWhereTheShortMineralIs) {
  RulesGame game(1, 40, 1, 2);
  game.world.turn = kStakeTurns;
  for (std::uint16_t i = 0; i < CGSolarDB::GetAsteroidCount(); ++i)
    if (game.world.solar.GetAsteroid(i)->controller == kNoChapter) game.Control(i, 8);  // nothing to settle
  const std::uint16_t home = game.Chapter(0).homeAsteroid;
  Fill(game, home, {100000, 100000, 100000, 100000});
  CGAsteroid& a = *game.world.solar.GetAsteroid(home);
  std::vector<std::uint16_t> lone;
  for (std::uint16_t z = 1; z < a.GetZoneCount(); ++z)
    if (a.GetZone(z)->owner == kZoneNobody) {
      a.GetZone(z)->SetOwner(0);
      a.GetZone(z)->atvCounts[lone.size() < 2 ? ATV_MINING : ATV_POWER] = 1;
      if (lone.size() < 2) lone.push_back(z);
    }
  ASSERT_EQ(lone.size(), 2u);
  CGUnit* carrier = nullptr;
  for (int slot = 0; carrier == nullptr && slot < kFixedTemplateSlots; ++slot)
    if (CGUnitTemplate* d = game.world.templates->GetTemplate(0, slot, 1);
        d != nullptr && d->hull != nullptr && d->atvCapacity >= 8 && d->construction == 0)
      carrier = game.world.CreateUnit(0, d, game.world.pieces->GetOperationalUnitAt(home, 0, 0)->location);
  ASSERT_NE(carrier, nullptr);
  carrier->power = carrier->GetMaxPower();
  auto carry = [&](std::int64_t type) {
    SrvPacket order;
    ASSERT_EQ(OrderFor(game, 0, *carrier, kAverage, &order), type);
    auto turn = game.Turn();
    ASSERT_EQ(SrvSubmitComputerOrder(turn, 0, order), SrvOrderVerdict::kAccepted);
    for (int t = 0; t < 10 && carrier->GetOrderCount() != 0; ++t) SrvResolveOrders(turn);
  };
  EXPECT_NE(OrderFor(game, 0, *carrier, kAverage), ORDER_RECOVER_ATVS) << "a zone only miners hold would be lost";
  carrier->atvCargo[ATV_POWER] = 2;
  carry(ORDER_LAND_ATVS);
  for (std::uint16_t z : lone) EXPECT_EQ(a.GetZone(z)->atvCounts[ATV_POWER], 1) << z;
  const int miners = MinersOn(a);
  carry(ORDER_RECOVER_ATVS);
  EXPECT_EQ(carrier->atvCargo[ATV_MINING], miners);
  EXPECT_EQ(MinersOn(a), 0);
  for (std::uint16_t z : lone) EXPECT_EQ(a.GetZone(z)->owner, 0) << "kept by its power ATV";
  EXPECT_EQ(OrderFor(game, 0, *carrier, kAverage), -1) << "nowhere worth landing them";

  a.SetCompositionType(kExoticRich);
  game.world.poolDB.SetMineral(home, MINERAL_EXOTICS, 100);
  carry(ORDER_LAND_ATVS);
  EXPECT_EQ(MinersOn(a), miners);
}

// A surplus past what the income spends goes on the guild's board in a lot
// sized to it, and a guildmate short of it buys the lot at once.
TEST(SrvAiMinerals, SurplusesChangeHandsInLotsThatMatchThem) {
  RulesGame game(2, 40, 1, 2);
  game.world.turn = kStakeTurns;
  const std::uint16_t seller = game.Chapter(0).homeAsteroid, buyer = game.Chapter(1).homeAsteroid;
  Fill(game, seller, {3000, 3000, 3000, 40000});
  Fill(game, buyer, {3000, 50000, 3000, 100});
  game.Chapter(0).credits = game.Chapter(1).credits = 0;  // nothing is built from the pools meanwhile
  auto turn = game.Turn();
  SrvPlayComputerChapters(turn);
  EXPECT_EQ(game.world.poolDB.GetMineral(seller, MINERAL_REACTIVES), 38000u);
  EXPECT_EQ(game.world.poolDB.GetMineral(seller, MINERAL_SILICATES), 5000u) << "paid ten for ten";
  ASSERT_EQ(game.world.inTransit.size(), 1u);
  EXPECT_EQ(game.world.inTransit[0].destination, buyer);
  EXPECT_EQ(game.world.inTransit[0].amount, 2000u);
}

// Bought minerals take the trip from the offer's asteroid: of two offers a
// chapter short of a mineral takes the one that comes sooner, though it
// stands second on the board.
TEST(SrvAiMinerals, AShortChapterBuysTheOfferThatComesSoonest) {
  RulesGame game(3, 40, 1, kAverage);
  constexpr std::uint16_t kBuyer = 2;
  const std::uint16_t home = game.Chapter(kBuyer).homeAsteroid;
  auto trip = [&](std::uint16_t seller) {
    return SrvPurchaseTurns(game.world, kBuyer, game.Chapter(seller).homeAsteroid, home);
  };
  ASSERT_NE(trip(0), trip(1)) << "the sellers' homes must lie at different trips from the buyer's";
  std::pair<std::uint16_t, std::uint16_t> farThenNear{0, 1};
  if (trip(0) < trip(1)) std::swap(farThenNear.first, farThenNear.second);
  Fill(game, home, {100, 800, 800, 800});
  {
    auto turn = game.Turn();
    for (const std::uint16_t seller : {farThenNear.first, farThenNear.second}) {
      Fill(game, game.Chapter(seller).homeAsteroid, {900, 900, 900, 900});
      ASSERT_EQ(
          SrvSubmitComputerOrder(turn, seller,
                                 SrvAiMineralOffer(seller, game.Chapter(seller).homeAsteroid, MINERAL_METALS, 100, 10)),
          SrvOrderVerdict::kAccepted);
    }
  }
  int purchases = 0;
  for (const SrvPacket& p : SrvChooseOrders(game.world, kBuyer, SrvAiLevelOf(kAverage), 1)) {
    if (ReadU16(p, 0) != PKT_MINERAL_TRADE) continue;
    ++purchases;
    EXPECT_EQ(p[8], farThenNear.second) << "bought from the nearer seller";
  }
  EXPECT_EQ(purchases, 1);
}

}  // namespace
