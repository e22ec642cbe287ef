// A computer chapter that lost its builders gets one again from a guild
// mate with builders to spare, through the guild's ship board.
#include <gtest/gtest.h>

#include "Game/model/GAsteroid.h"
#include "Game/model/GUnit.h"
#include "Game/rules/GTemplateDB.h"
#include "server/ai/SrvAiBudget.h"
#include "server/ai/SrvAiSubmit.h"
#include "server/trade/SrvBids.h"
#include "server/trade/SrvShipTrade.h"
#include "tests/server/ai/srv_ai_fixture.h"

namespace {

using srv_ai_test::RulesGame;

int Builders(const RulesGame& game, std::uint16_t chapter) {
  int n = 0;
  game.world.ForEachUnit([&](const CGUnit& u) {
    n += u.GetChapter() == chapter && u.IsOperational() && u.GetConstructionCapacity() > 0 ? 1 : 0;
  });
  return n;
}

std::uint32_t PoolTotal(const RulesGame& game, std::uint16_t asteroid) {
  std::uint32_t sum = 0;
  for (std::uint32_t m = 0; m < kMineralTypes; ++m) sum += game.world.poolDB.GetMineral(asteroid, m);
  return sum;
}

// Two chapters of one guild: chapter 0 with `sellerBuilders` idle builders
// at home, chapter 1 with none and `buyerPool` of each mineral at home.
// Neither has credits, so nothing is built meanwhile.
struct BuilderGuild {
  RulesGame game{2, 40, 1, 1};
  std::uint16_t sellerHome = game.Chapter(0).homeAsteroid, buyerHome = game.Chapter(1).homeAsteroid;

  BuilderGuild(int sellerBuilders, std::uint32_t buyerPool) {
    game.world.turn = kStakeTurns;
    for (std::uint16_t c : {0, 1})
      for (std::uint16_t at = 0; at <= CGSolarDB::GetAsteroidCount(); ++at)
        for (std::uint16_t k = 0; CGUnit* u = game.world.pieces->GetOperationalUnitAt(at, c, k);)
          if (u->GetConstructionCapacity() > 0)
            game.world.pieces->MarkUnitUnoperational(u);
          else
            ++k;
    const CGUnitTemplate* builder = nullptr;
    for (int slot = 0; builder == nullptr && slot < kFixedTemplateSlots; ++slot)
      if (const CGUnitTemplate* d = game.world.templates->GetTemplate(0, slot, 1);
          d != nullptr && d->hull != nullptr && d->construction > 0)
        builder = d;
    EXPECT_NE(builder, nullptr);
    Location at{};
    at.asteroid = sellerHome;
    for (int i = 0; builder != nullptr && i < sellerBuilders; ++i)
      game.world.CreateUnit(0, const_cast<CGUnitTemplate*>(builder), at);
    for (std::uint32_t m = 0; m < kMineralTypes; ++m) game.world.poolDB.SetMineral(buyerHome, m, buyerPool);
    game.Chapter(0).credits = game.Chapter(1).credits = 0;
  }

  const CGuild& Guild() const { return *game.world.guilds->GetGuild(0); }
};

TEST(SrvAiBuilders, AMateWithBuildersToSpareSellsOneToAChapterWithNone) {
  BuilderGuild g(2, 100000);
  ASSERT_EQ(Builders(g.game, 0), 2);
  ASSERT_EQ(Builders(g.game, 1), 0);
  const std::uint32_t sellerBefore = PoolTotal(g.game, g.sellerHome);
  auto turn = g.game.Turn();
  SrvPlayComputerChapters(turn);
  ASSERT_EQ(g.Guild().shipOffers.count, 1u) << "one builder offered, the other kept";
  const ShipOffer offer = *g.Guild().GetShipOffer(0);
  EXPECT_EQ(offer.sellerSlot, 0);
  std::uint32_t price = 0;
  for (std::uint32_t t : offer.terms) price += t;
  EXPECT_GT(price, 0u);
  ASSERT_EQ(g.game.world.shipBids.size(), 1u) << "the chapter without a builder bids";
  EXPECT_EQ(g.game.world.shipBids[0].bidder, 1);
  EXPECT_EQ(PoolTotal(g.game, g.buyerHome), 4 * 100000u - price) << "the bid is held from its home pool";
  SrvSettleShipOffers(turn);
  EXPECT_EQ(Builders(g.game, 0), 1);
  EXPECT_EQ(Builders(g.game, 1), 1);
  EXPECT_EQ(PoolTotal(g.game, g.sellerHome), sellerBefore + price);
  EXPECT_EQ(g.Guild().shipOffers.count, 0u);
  // Its builder bought, the chapter wants no other; the seller keeps its last.
  auto next = g.game.Turn();
  SrvPlayComputerChapters(next);
  EXPECT_EQ(g.Guild().shipOffers.count, 0u);
  EXPECT_TRUE(g.game.world.shipBids.empty());
}

TEST(SrvAiBuilders, NothingIsOfferedThatNobodyNeedsOrCanPayAndAnOfferNobodyCanPayIsWithdrawn) {
  {
    BuilderGuild g(1, 100000);  // a seller's last builder is its own
    auto turn = g.game.Turn();
    SrvPlayComputerChapters(turn);
    EXPECT_EQ(g.Guild().shipOffers.count, 0u);
  }
  {
    BuilderGuild g(3, 0);  // the chapter without one could not pay
    auto turn = g.game.Turn();
    SrvPlayComputerChapters(turn);
    EXPECT_EQ(g.Guild().shipOffers.count, 0u);
  }
  {
    BuilderGuild g(3, 100000);  // an enemy at its home would destroy the builder too
    CGUnitTemplate* warship = srv_ai_test::WarshipOf(g.game, 8);
    ASSERT_NE(warship, nullptr);
    Location at{};
    at.asteroid = g.buyerHome;
    ASSERT_NE(g.game.world.CreateUnit(8, warship, at), nullptr);
    auto turn = g.game.Turn();
    SrvPlayComputerChapters(turn);
    EXPECT_EQ(g.Guild().shipOffers.count, 0u);
  }
  BuilderGuild g(3, 100000);
  auto turn = g.game.Turn();
  const auto play = [&](std::uint16_t chapter, std::uint32_t seed) {
    std::vector<SrvPacket> orders = SrvChooseOrders(g.game.world, chapter, SrvAiLevelOf(1), seed);
    for (const SrvPacket& p : orders) SrvSubmitComputerOrder(turn, chapter, p);
    return orders;
  };
  play(0, 5);
  ASSERT_EQ(g.Guild().shipOffers.count, 1u);
  const std::uint32_t offered = g.Guild().GetShipOffer(0)->unitId;
  play(1, 5);
  ASSERT_EQ(g.game.world.shipBids.size(), 1u);
  // With a bid on it, the offer stands and its builder is kept from other work.
  g.game.Chapter(0).credits = 100000;
  for (std::uint32_t m = 0; m < kMineralTypes; ++m) g.game.world.poolDB.SetMineral(g.sellerHome, m, 100000);
  for (const SrvPacket& p : play(0, 6)) {
    EXPECT_FALSE(ReadU16(p, 0) == PKT_ORDER && ReadU32(p, 8) == offered);
    EXPECT_NE(ReadU16(p, 0), PKT_SHIP_OFFER_WITHDRAWN);
  }
  EXPECT_EQ(g.Guild().shipOffers.count, 1u);
  // No bid by the seller's next turn (the buyer's pool ran dry): the offer goes.
  SrvRefundBids(g.game.world, g.game.world.shipBids, offered);
  for (std::uint32_t m = 0; m < kMineralTypes; ++m) g.game.world.poolDB.SetMineral(g.buyerHome, m, 0);
  play(1, 7);
  EXPECT_TRUE(g.game.world.shipBids.empty());
  play(0, 7);
  EXPECT_EQ(g.Guild().shipOffers.count, 0u);
  EXPECT_EQ(Builders(g.game, 0), 3);
}

// Easy and hard chapters keep their builders to themselves.
TEST(SrvAiBuilders, OnlyAverageChaptersTradeBuilders) {
  BuilderGuild g(3, 100000);
  for (std::uint8_t level : {0, 2})
    for (const SrvPacket& p : SrvChooseOrders(g.game.world, 0, SrvAiLevelOf(level), 5))
      EXPECT_NE(ReadU16(p, 0), PKT_SHIP_OFFER_POSTED) << int{level};
}

}  // namespace
