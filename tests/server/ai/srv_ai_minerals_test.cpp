// A computer chapter's minerals judged one by one: what it has more of than
// its income spends, which land is worth mining for what it is short of,
// miners taken off other land with its zones kept, and surpluses traded in
// lots that match them.
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "Game/model/GAsteroid.h"
#include "Game/model/GUnit.h"
#include "Game/model/GZone.h"
#include "Game/rules/GTemplateDB.h"
#include "server/ai/SrvAiBudget.h"
#include "server/ai/SrvAiChapter.h"
#include "server/ai/SrvAiLevel.h"
#include "server/ai/SrvAiSubmit.h"
#include "tests/server/ai/srv_ai_fixture.h"

namespace {

using srv_ai_test::OrderFor;
using srv_ai_test::RulesGame;

// Composition types: an even mix, one 70% metals, one 70% exotics.
constexpr std::uint8_t kEvenMix = 0, kMetalRich = 4, kExoticRich = 12;

void Fill(RulesGame& game, std::uint16_t asteroid, std::array<std::uint32_t, kMineralTypes> amounts) {
  for (std::uint32_t m = 0; m < kMineralTypes; ++m) game.world.poolDB.SetMineral(asteroid, m, amounts[m]);
}

// A carrier of the chapter's (a hold, no construction) made at its home.
CGUnit* CarrierAtHome(RulesGame& game, std::uint16_t chapter) {
  const CGChapter& c = game.Chapter(chapter);
  for (int slot = 0; slot < kFixedTemplateSlots; ++slot) {
    CGUnitTemplate* d = game.world.templates->GetTemplate(chapter, slot, 1);
    if (d == nullptr || d->hull == nullptr || d->atvCapacity < 8 || d->construction != 0) continue;
    Location at{c.homeAsteroid, 0, 0, 0};
    for (std::uint16_t k = 0; const CGUnit* u = game.world.pieces->GetOperationalUnitAt(c.homeAsteroid, chapter, k); ++k)
      at = u->location;
    CGUnit* carrier = game.world.CreateUnit(chapter, d, at);
    if (carrier != nullptr) carrier->power = carrier->GetMaxPower();
    return carrier;
  }
  return nullptr;
}

// Gives the order through the intake and resolves turns until it is done.
void Carry(RulesGame& game, std::uint16_t chapter, CGUnit& unit, const SrvPacket& order) {
  auto turn = game.Turn();
  ASSERT_EQ(SrvSubmitComputerOrder(turn, chapter, order), SrvOrderVerdict::kAccepted);
  for (int t = 0; t < 10 && unit.GetOrderCount() != 0; ++t) SrvResolveOrders(turn);
  EXPECT_EQ(unit.GetOrderCount(), 0);
}

TEST(SrvAiMinerals, EachMineralIsJudgedOnItsOwnAndLandIsWorthMiningForWhatIsShort) {
  RulesGame game(1, 40, 1, 2);
  const std::uint16_t home = game.Chapter(0).homeAsteroid;
  // One asteroid, 100 turns: 1,000 credits of income; a credit takes at
  // most 1.2 metals, 1 silicate, 0.25 exotics or 0.5 reactives with it.
  Fill(game, home, {1199, 1000, 250, 499});
  EXPECT_EQ(SrvAiPlentifulMinerals(game.world, 0, 100), (SrvAiPlenty{false, true, true, false}));
  EXPECT_FALSE(SrvAiMineralsToSpare(game.world, 0, 100));
  Fill(game, home, {1200, 1000, 250, 500});
  EXPECT_TRUE(SrvAiMineralsToSpare(game.world, 0, 100));
  EXPECT_EQ(SrvAiPlentifulMinerals(game.world, 0, 0), SrvAiPlenty{}) << "a level that always mines";

  CGAsteroid& land = *game.world.solar.GetAsteroid(static_cast<std::uint16_t>(home + 1));
  auto worth = [&](std::uint8_t composition, SrvAiPlenty plenty) {
    land.SetCompositionType(composition);
    return SrvAiWorthMining(game.world, plenty, land.id);
  };
  const SrvAiPlenty metalsShort{false, true, true, true};
  EXPECT_TRUE(worth(kMetalRich, metalsShort));
  EXPECT_FALSE(worth(kEvenMix, metalsShort)) << "a quarter of what it yields is wanted";
  EXPECT_FALSE(worth(kExoticRich, metalsShort));
  EXPECT_TRUE(worth(kEvenMix, {false, false, true, true})) << "half of it";
  EXPECT_TRUE(worth(kExoticRich, SrvAiPlenty{})) << "nothing to spare: all land is worth mining";
  EXPECT_FALSE(worth(kMetalRich, {true, true, true, true}));
}

// On its home, not worth mining while every mineral outlasts the income, a
// chapter puts a power ATV on each zone only miners hold, then takes every
// miner aboard: its zones stay its own and mine nothing (but what combat
// ATVs dig up).
TEST(SrvAiMinerals, MinersOnLandNotWorthMiningGiveWayToPowerAtvsAndTheZonesAreKept) {
  RulesGame game(1, 40, 1, 2);
  const std::uint16_t home = game.Chapter(0).homeAsteroid;
  Fill(game, home, {100000, 100000, 100000, 100000});
  CGAsteroid& a = *game.world.solar.GetAsteroid(home);
  // Every zone settled (no free one to land on): two by a miner alone, the
  // others by a power ATV.
  std::vector<std::uint16_t> lone;
  for (std::uint16_t z = 1; z < a.GetZoneCount(); ++z)
    if (a.GetZone(z)->owner == kZoneNobody) {
      a.GetZone(z)->SetOwner(0);
      a.GetZone(z)->atvCounts[lone.size() < 2 ? ATV_MINING : ATV_POWER] = 1;
      if (lone.size() < 2) lone.push_back(z);
    }
  ASSERT_EQ(lone.size(), 2u);
  CGUnit* carrier = CarrierAtHome(game, 0);
  ASSERT_NE(carrier, nullptr);

  // Without power ATVs aboard, and unable to build them, it leaves the lone miners be.
  EXPECT_NE(OrderFor(game, 0, *carrier, 2), ORDER_RECOVER_ATVS);

  carrier->atvCargo[ATV_POWER] = 1;
  SrvPacket order;
  ASSERT_EQ(OrderFor(game, 0, *carrier, 2, &order), ORDER_LAND_ATVS) << "one power ATV, two zones";
  Carry(game, 0, *carrier, order);
  carrier->atvCargo[ATV_POWER] = 1;
  ASSERT_EQ(OrderFor(game, 0, *carrier, 2, &order), ORDER_LAND_ATVS);
  Carry(game, 0, *carrier, order);
  for (std::uint16_t z : lone) EXPECT_EQ(a.GetZone(z)->atvCounts[ATV_POWER], 1) << z;

  int miners = 0;
  for (std::uint16_t z = 0; z < a.GetZoneCount(); ++z)
    if (a.GetZone(z)->owner == 0) miners += a.GetZone(z)->atvCounts[ATV_MINING];
  ASSERT_EQ(OrderFor(game, 0, *carrier, 2, &order), ORDER_RECOVER_ATVS);
  Carry(game, 0, *carrier, order);
  EXPECT_EQ(carrier->atvCargo[ATV_MINING], miners);
  std::uint16_t out[kMineralTypes] = {};
  for (std::uint16_t z = 0; z < a.GetZoneCount(); ++z) {
    const CGZone& zone = *a.GetZone(z);
    if (zone.owner != 0) continue;
    EXPECT_EQ(zone.atvCounts[ATV_MINING], 0) << z;
    zone.GetMiningOutput(&out[0], &out[1], &out[2], &out[3]);
    if (zone.atvCounts[ATV_COMBAT] == 0) {
      EXPECT_EQ(out[0] + out[1] + out[2] + out[3], 0) << z;
    }
  }
  for (std::uint16_t z : lone) EXPECT_EQ(a.GetZone(z)->owner, 0) << "kept by its power ATV";
  EXPECT_NE(OrderFor(game, 0, *carrier, 2), ORDER_LAND_ATVS) << "the miners are not landed there again";
}

// Miners aboard, with no new land to settle, land on the chapter's own
// zones where what it is short of is mined.
TEST(SrvAiMinerals, MinersAboardGoOnMiningWhereTheShortMineralIs) {
  RulesGame game(1, 40, 1, 2);
  const std::uint16_t home = game.Chapter(0).homeAsteroid;
  for (std::uint16_t i = 0; i < CGSolarDB::GetAsteroidCount(); ++i)
    if (game.world.solar.GetAsteroid(i)->controller == kNoChapter) game.Control(i, 8);
  Fill(game, home, {100, 100000, 100000, 100000});
  CGUnit* carrier = CarrierAtHome(game, 0);
  ASSERT_NE(carrier, nullptr);
  carrier->atvCargo[ATV_MINING] = 3;
  CGAsteroid& a = *game.world.solar.GetAsteroid(home);
  a.SetCompositionType(kExoticRich);
  EXPECT_NE(OrderFor(game, 0, *carrier, 2), ORDER_LAND_ATVS) << "not where exotics are mined";

  a.SetCompositionType(kMetalRich);
  SrvPacket order;
  ASSERT_EQ(OrderFor(game, 0, *carrier, 2, &order), ORDER_LAND_ATVS);
  int before = 0, after = 0;
  for (std::uint16_t z = 0; z < a.GetZoneCount(); ++z)
    if (a.GetZone(z)->owner == 0) before += a.GetZone(z)->atvCounts[ATV_MINING];
  Carry(game, 0, *carrier, order);
  for (std::uint16_t z = 0; z < a.GetZoneCount(); ++z)
    if (a.GetZone(z)->owner == 0) after += a.GetZone(z)->atvCounts[ATV_MINING];
  EXPECT_EQ(after, before + 3);
  EXPECT_EQ(carrier->atvCargo[ATV_MINING], 0);
}

// A surplus past what the income spends goes on the guild's board in a lot
// sized to it, and a guildmate short of that mineral buys as much at once,
// paying with its own surplus.
TEST(SrvAiMinerals, SurplusesChangeHandsInLotsThatMatchThem) {
  RulesGame game(2, 40, 1, 2);
  const std::uint16_t seller = game.Chapter(0).homeAsteroid, buyer = game.Chapter(1).homeAsteroid;
  Fill(game, seller, {3000, 3000, 3000, 40000});
  Fill(game, buyer, {3000, 50000, 3000, 100});
  game.Chapter(0).credits = game.Chapter(1).credits = 0;  // nothing is built from the pools meanwhile
  auto turn = game.Turn();
  SrvPlayComputerChapters(turn);
  EXPECT_EQ(game.world.guilds->GetGuild(0)->FindMineralOffer(0, static_cast<std::uint8_t>(seller), MINERAL_REACTIVES),
            nullptr)
      << "offered, then bought whole";
  EXPECT_EQ(game.world.poolDB.GetMineral(seller, MINERAL_REACTIVES), 38000u);
  EXPECT_EQ(game.world.poolDB.GetMineral(seller, MINERAL_SILICATES), 5000u) << "paid ten for ten";
  ASSERT_EQ(game.world.inTransit.size(), 1u);
  EXPECT_EQ(game.world.inTransit[0].destination, buyer);
  EXPECT_EQ(game.world.inTransit[0].amount, 2000u);
}

}  // namespace
