// The computer chapters: orders the intake accepts at every difficulty, the
// same orders for the same seed, and a whole game of them.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <map>

#include "Game/base/Packets.h"
#include "Game/model/GAsteroid.h"
#include "Game/model/GUnit.h"
#include "Game/model/GZone.h"
#include "Game/rules/GHullDB.h"
#include "server/ai/SrvAiBudget.h"
#include "server/ai/SrvAiChapter.h"
#include "server/ai/SrvAiLevel.h"
#include "server/ai/SrvAiOrders.h"
#include "server/ai/SrvAiSubmit.h"
#include "server/ai/SrvChapterState.h"
#include "server/orders/SrvOrders.h"
#include "tests/server/ai/srv_ai_fixture.h"

namespace {

using srv_ai_test::OfType;
using srv_ai_test::RulesGame;

// One turn as the game runs it, the computer chapters' orders taken by hand
// so that each verdict is seen; the orders by packet type (301 by order type).
std::map<std::uint32_t, int> PlayTurn(RulesGame& game, std::uint8_t difficulty,
                                      std::vector<SrvPacket>* record = nullptr, std::uint32_t seed = 0) {
  std::map<std::uint32_t, int> given;
  auto turn = game.Turn();
  for (std::uint16_t c = 0; c < kMaxChapters; ++c) {
    if (!game.world.HasChapter(c)) continue;
    for (const SrvPacket& p :
         SrvChooseOrders(game.world, c, SrvAiLevelOf(difficulty), seed + game.world.turn * 100 + c)) {
      if (record != nullptr) record->push_back(p);
      const std::uint16_t type = ReadU16(p, 0);
      const SrvOrderVerdict v = SrvSubmitComputerOrder(turn, c, p);
      EXPECT_EQ(v, SrvOrderVerdict::kAccepted)
          << "chapter " << c << " packet " << type << " order " << ReadU32(p, 12) << ": " << SrvOrderVerdictText(v);
      ++given[type == PKT_ORDER ? 1000 + ReadU32(p, 12) : type];
    }
  }
  SrvResolveOrders(turn);
  SrvResolveBattles(turn);
  SrvResolvePolitics(turn);
  game.world.AdvanceTurn();
  return given;
}

// The module research a computer chapter of guild 0 asks for this turn
// (none: -1).
int ChosenResearch(RulesGame& game, std::uint16_t chapter) {
  for (const SrvPacket& p : SrvChooseOrders(game.world, chapter, SrvAiLevelOf(1), 5))
    if (ReadU16(p, 0) == PKT_MODULE_ALLOCATION) return ReadU16(p, 10);
  return -1;
}

// A guild's finished research stays finished: its allocation would be spent
// on nothing, and the guild's research would stop there.
TEST(SrvComputerChapters, ResearchGoesToModulesTheGuildHasNotFinished) {
  RulesGame game(2, 40, 1, 1);
  SrvGuildResearch& research = game.world.research[0];
  std::vector<int> chosen;
  for (int pick = ChosenResearch(game, 0); pick >= 0; pick = ChosenResearch(game, 0)) {
    ASSERT_LT(research.modulePoints[static_cast<std::size_t>(pick)], kResearched) << pick;
    ASSERT_LT(chosen.size(), research.modulePoints.size()) << "chooses a module twice";
    chosen.push_back(pick);
    research.modulePoints[static_cast<std::size_t>(pick)] = kResearched;
  }
  EXPECT_GE(chosen.size(), 2u);
}

// Eliminated, a chapter keeps its place in its guild but no longer steers it.
TEST(SrvComputerChapters, AnEliminatedChaptersOrdersAreRefused) {
  RulesGame game(2, 40, 1, 1);
  const int module = ChosenResearch(game, 0);
  ASSERT_GE(module, 0);
  const auto m = static_cast<std::uint16_t>(module);
  game.Chapter(1).stateFlag = kSrvChapterOut;
  EXPECT_EQ(SrvSubmitOrder(game.world, 1, SrvAiResearchOrder(1, m, 50)), SrvOrderVerdict::kNoChapter);
  EXPECT_EQ(game.world.research[0].modulePercent[m], 0);
  EXPECT_EQ(SrvSubmitOrder(game.world, 0, SrvAiResearchOrder(0, m, 50)), SrvOrderVerdict::kAccepted);
  EXPECT_EQ(game.world.research[0].modulePercent[m], 50);
}

TEST(SrvComputerChapters, EveryDifficultyGivesOrdersTheIntakeAccepts) {
  for (std::uint8_t difficulty = 0; difficulty < 3; ++difficulty) {
    SCOPED_TRACE(static_cast<int>(difficulty));
    RulesGame game(2, 60, 1, difficulty);
    std::map<std::uint32_t, int> given;
    for (int t = 0; t < 30; ++t)
      for (const auto& [type, n] : PlayTurn(game, difficulty)) given[type] += n;
    EXPECT_GT(given[1000 + ORDER_BUILD_SHIP], 0);
    EXPECT_GT(given[1000 + ORDER_MOVE_TO_ASTEROID], 0);
    EXPECT_GT(given[PKT_MODULE_ALLOCATION], 0);
    EXPECT_GT(given[PKT_IMPERATOR_VOTE], 0);
  }
}

// Every chapter's orders over some turns of a game (a process holds one
// world at a time, so games are played one after the other).
std::vector<SrvPacket> OrdersOfAGame(std::uint32_t seed) {
  RulesGame game(2, 60, 1, 2);
  std::vector<SrvPacket> all;
  for (int t = 0; t < 12; ++t) PlayTurn(game, 2, &all, seed);
  return all;
}

TEST(SrvComputerChapters, TheSameSeedGivesTheSameOrdersAndAnotherSeedOthers) {
  const auto first = OrdersOfAGame(77);
  EXPECT_TRUE(first == OrdersOfAGame(77));
  EXPECT_FALSE(first == OrdersOfAGame(78));
}

TEST(SrvComputerChapters, CustomSettingsPlayAtTheirRating) {
  SrvSetup setup;
  setup.settings.SetU16(12, 3);
  for (std::size_t at = 20; at <= 28; at += 2) setup.settings.SetU16(at, 0);
  for (std::size_t at = 36; at <= 46; at += 2) setup.settings.SetU16(at, 0);
  EXPECT_EQ(SrvDifficultyOf(setup), 0);
  setup.settings.SetU16(26, 4);
  EXPECT_EQ(SrvDifficultyOf(setup), 0) << "4 is still below 5";
  setup.settings.SetU16(28, 1);
  EXPECT_EQ(SrvDifficultyOf(setup), 1);
  setup.settings.SetU16(36, 6);
  EXPECT_EQ(SrvDifficultyOf(setup), 2);
  setup.settings.SetU16(12, 0);
  EXPECT_EQ(SrvDifficultyOf(setup), 0) << "a chosen difficulty stands";
  EXPECT_LT(SrvAiLevelOf(0).fleetLimit, SrvAiLevelOf(2).fleetLimit);
}

struct UnitOrderSeen {
  std::uint32_t unit;
  std::uint32_t type;
  SrvPacket packet;
};

std::vector<UnitOrderSeen> UnitOrders(RulesGame& game, std::uint16_t chapter, std::uint8_t difficulty = 1) {
  std::vector<UnitOrderSeen> seen;
  for (SrvPacket& p : SrvChooseOrders(game.world, chapter, SrvAiLevelOf(difficulty), 5))
    if (ReadU16(p, 0) == PKT_ORDER) seen.push_back({ReadU32(p, 8), ReadU32(p, 12), std::move(p)});
  return seen;
}

CGUnit* UnitWith(RulesGame& game, std::uint16_t chapter, bool (*wanted)(const CGUnit&)) {
  for (std::uint16_t at = 0; at <= CGSolarDB::GetAsteroidCount(); ++at)
    for (std::uint16_t k = 0; CGUnit* u = game.world.pieces->GetOperationalUnitAt(at, chapter, k); ++k)
      if (wanted(*u)) return u;
  return nullptr;
}

TEST(SrvComputerChapters, AWorkerLandsOneAtvOnEachFreeZoneOrCarriesThemToTheNearestFreeAsteroid) {
  RulesGame game(1, 40, 1, 1);
  CGUnit* worker =
      UnitWith(game, 0, [](const CGUnit& u) { return u.GetConstructionCapacity() > 0 && u.GetAtvCapacity() >= 4; });
  ASSERT_NE(worker, nullptr);
  worker->atvCargo = {0, 3, 1, 0};
  const std::uint16_t home = game.Chapter(0).homeAsteroid;
  const int free = static_cast<int>(game.world.solar.GetAsteroid(home)->GetZoneCount()) - 3;
  ASSERT_GE(free, 4);
  bool landed = false;
  for (const auto& o : UnitOrders(game, 0)) {
    if (o.unit != worker->id) continue;
    ASSERT_EQ(o.type, ORDER_LAND_ATVS);
    landed = true;
    OrderPacket parsed;
    ASSERT_TRUE(ParseOrderPacket(o.packet, &parsed));
    LandingBlock landing;
    landing.bytes = parsed.landing;
    EXPECT_EQ(landing.Count(ATV_MINING, 3) + landing.Count(ATV_MINING, 4) + landing.Count(ATV_MINING, 5), 3);
    EXPECT_EQ(landing.Count(ATV_POWER, 6), 1) << "mining ATVs first, one a zone";
    for (std::uint16_t z : {0, 1, 2}) EXPECT_EQ(landing.Count(ATV_MINING, z), 0) << "zone " << z << " is held already";
  }
  EXPECT_TRUE(landed);
  // No free zone left at home: off to the nearest asteroid nobody holds.
  CGAsteroid& a = *game.world.solar.GetAsteroid(home);
  for (std::uint16_t z = 0; z < a.GetZoneCount(); ++z) a.GetZone(z)->SetOwner(0);
  bool moved = false;
  for (const auto& o : UnitOrders(game, 0))
    if (o.unit == worker->id) {
      moved = o.type == ORDER_MOVE_TO_ASTEROID;
      const std::uint16_t target = static_cast<std::uint16_t>(ReadU32(o.packet, 24));
      EXPECT_EQ(game.world.solar.GetAsteroid(target)->controller, kNoChapter);
    }
  EXPECT_TRUE(moved);
}

TEST(SrvComputerChapters, AnArmedUnitAttacksTheEnemyWhereItStandsAndNothingIsBuiltBeyondThePool) {
  RulesGame game(1, 40, 1, 1);
  CGUnit* armed = UnitWith(game, 0, [](const CGUnit& u) { return u.GetAttackStrength() > 0; });
  ASSERT_NE(armed, nullptr);
  CGUnit* intruder = game.world.CreateUnit(8, game.world.templates->GetTemplate(8, 5, 1), armed->location);
  ASSERT_NE(intruder, nullptr);
  bool attacked = false;
  for (const auto& o : UnitOrders(game, 0))
    if (o.unit == armed->id) attacked = o.type == ORDER_ATTACK_UNIT && ReadU32(o.packet, 24) == intruder->id;
  EXPECT_TRUE(attacked);

  const std::uint16_t home = game.Chapter(0).homeAsteroid;
  for (std::uint32_t m = 0; m < kMineralTypes; ++m) game.world.poolDB.SetMineral(home, m, 100);
  for (const auto& o : UnitOrders(game, 0))
    EXPECT_NE(o.type, ORDER_BUILD_SHIP) << "no design costs under 100 a mineral";
}

// Whether chapter 0's builders, with a rich home pool and holds emptied,
// order a ship that builds or carries ATVs this turn at a level.
bool OrdersAWorker(RulesGame& game, std::uint8_t level) {
  const CGUnitTemplate* built = nullptr;
  bool worker = false;
  for (const auto& o : UnitOrders(game, 0, level)) {
    if (o.type != ORDER_BUILD_SHIP) continue;
    for (int slot = 0; slot < kFixedTemplateSlots; ++slot)
      if (const CGUnitTemplate* d = game.world.templates->GetTemplate(0, slot, 1);
          d != nullptr && d->templateId == ReadU32(o.packet, 24))
        built = d;
    EXPECT_NE(built, nullptr) << "a design of its own";
    worker = worker || (built != nullptr && (built->construction > 0 || built->atvCapacity > 0));
  }
  EXPECT_NE(built, nullptr) << "a ship is built below the fleet limit";
  return worker;
}

// The workers a chapter keeps grow with its asteroids, faster the harder
// it plays: carriers settle and invade, and a realm that outgrows them
// stops growing. It starts with two, and a warship.
TEST(SrvComputerChapters, TheWorkersKeptGrowWithTheAsteroidsHeldByLevel) {
  RulesGame game(1, 40, 1, 1);
  const std::uint16_t home = game.Chapter(0).homeAsteroid;
  for (std::uint32_t m = 0; m < kMineralTypes; ++m) game.world.poolDB.SetMineral(home, m, 60000);
  game.Chapter(0).credits = 60000;
  for (std::uint16_t k = 0; CGUnit* u = game.world.pieces->GetOperationalUnitAt(home, 0, k); ++k) u->atvCargo = {};
  EXPECT_FALSE(OrdersAWorker(game, 1)) << "two workers are enough for its home alone";
  game.GiveAsteroids(0, 3);
  EXPECT_FALSE(OrdersAWorker(game, 0)) << "easy: one, and one for every eight asteroids";
  EXPECT_TRUE(OrdersAWorker(game, 1)) << "average: two, and one for every four";
  EXPECT_TRUE(OrdersAWorker(game, 2));
}

// Two guildmates: chapter 0 with metals to spare, chapter 1 short of them
// and rich in silicates; neither has credits, so no ship is built from the
// pools meanwhile. Gives the two homes.
std::pair<std::uint16_t, std::uint16_t> SellerAndShortBuyer(RulesGame& game) {
  const std::uint16_t seller = game.Chapter(0).homeAsteroid, buyer = game.Chapter(1).homeAsteroid;
  game.world.poolDB.SetMineral(seller, MINERAL_METALS, 900);
  game.world.poolDB.SetMineral(buyer, MINERAL_METALS, 100);
  game.world.poolDB.SetMineral(buyer, MINERAL_SILICATES, 800);
  game.Chapter(0).credits = game.Chapter(1).credits = 0;
  return {seller, buyer};
}

TEST(SrvComputerChapters, ASurplusIsOfferedOnTheGuildsBoardAndAGuildmateShortOfItBuys) {
  RulesGame game(2, 40, 1, 1);
  const auto [seller, buyer] = SellerAndShortBuyer(game);
  auto turn = game.Turn();
  SrvPlayComputerChapters(turn);
  EXPECT_EQ(game.world.guilds->GetGuild(0)->FindMineralOffer(0, static_cast<std::uint8_t>(seller), MINERAL_METALS),
            nullptr)
      << "offered, then bought whole";
  EXPECT_EQ(game.world.poolDB.GetMineral(seller, MINERAL_METALS), 800u);
  EXPECT_EQ(game.world.poolDB.GetMineral(seller, MINERAL_SILICATES), 400u + 100u) << "paid ten for ten";
  EXPECT_EQ(game.world.poolDB.GetMineral(buyer, MINERAL_SILICATES), 600u)
      << "paid, and a lot of its own surplus offered";
  EXPECT_NE(game.world.guilds->GetGuild(0)->FindMineralOffer(1, static_cast<std::uint8_t>(buyer), MINERAL_SILICATES),
            nullptr);
  ASSERT_EQ(game.world.inTransit.size(), 1u);
  EXPECT_EQ(game.world.inTransit[0].destination, buyer);
  EXPECT_EQ(game.world.inTransit[0].amount, 100u);
  EXPECT_EQ(OfType(turn, 1, PKT_MINERAL_OFFER_POSTED).size(), 1u) << "the guildmate saw the offer";
  EXPECT_EQ(OfType(turn, 1, PKT_MINERAL_OFFER_WITHDRAWN).size(), 1u) << "and its end";
  EXPECT_TRUE(OfType(turn, 8, PKT_MINERAL_OFFER_POSTED).empty()) << "another guild sees nothing";
}

// A purchase takes turns to come: while it is on its way the buyer counts it
// as held, so it does not pay for the same shortage again, and buys only
// when what is coming leaves it short.
TEST(SrvComputerChapters, MineralsOnTheirWayHomeAreNotBoughtAgain) {
  RulesGame game(2, 40, 1, 1);
  const auto [seller, buyer] = SellerAndShortBuyer(game);
  // Coming home from elsewhere, and bound for another pool: only the first is the buyer's.
  game.world.inTransit.push_back(
      {static_cast<std::uint8_t>(buyer), MINERAL_METALS, 100, game.world.turn + 5, kSrvNoSender, 0});
  game.world.inTransit.push_back(
      {static_cast<std::uint8_t>(seller), MINERAL_METALS, 500, game.world.turn + 5, kSrvNoSender, 0});
  const std::uint32_t sellersSilicates = game.world.poolDB.GetMineral(seller, MINERAL_SILICATES);
  const CGuild& guild = *game.world.guilds->GetGuild(0);
  {
    auto turn = game.Turn();
    SrvPlayComputerChapters(turn);
  }
  EXPECT_NE(guild.FindMineralOffer(0, static_cast<std::uint8_t>(seller), MINERAL_METALS), nullptr);
  EXPECT_EQ(game.world.poolDB.GetMineral(seller, MINERAL_SILICATES), sellersSilicates)
      << "200 metals held, counting those on their way: nothing bought";

  game.world.inTransit[0].amount = 30;  // 130 held: still short
  {
    auto turn = game.Turn();
    SrvPlayComputerChapters(turn);
  }
  EXPECT_EQ(game.world.poolDB.GetMineral(seller, MINERAL_SILICATES), sellersSilicates + 100u) << "bought";
  ASSERT_EQ(game.world.inTransit.size(), 3u);
  EXPECT_EQ(game.world.inTransit[2].destination, buyer);
}

// The centre zone takes seed-bank ATVs only: with it the one free zone of
// the home, a worker lands nothing there, miners do not spread into it, and
// combat ATVs do not set off against an enemy holding it.
TEST(SrvComputerChapters, NoKindButSeedBanksIsLandedOrSentIntoTheCentre) {
  RulesGame game(1, 40, 1, 2);
  CGUnit* worker =
      UnitWith(game, 0, [](const CGUnit& u) { return u.GetConstructionCapacity() > 0 && u.GetAtvCapacity() >= 4; });
  ASSERT_NE(worker, nullptr);
  worker->atvCargo = {1, 2, 1, 0};
  CGAsteroid& a = *game.world.solar.GetAsteroid(game.Chapter(0).homeAsteroid);
  for (std::uint16_t z = 1; z < a.GetZoneCount(); ++z) a.GetZone(z)->SetOwner(0);
  CGZone& centre = *a.GetZone(0);
  centre.SetAtvCounts(0, 0, 0, 0);
  centre.SetOwner(kZoneNobody);
  std::uint16_t beside = 1;
  while (a.AreZonesAdjacent(0, beside) == 0) ++beside;
  a.GetZone(beside)->SetAtvCounts(4, 3, 0, 0);
  const auto intoCentre = [&] {
    int into = 0;
    for (const SrvPacket& p : SrvChooseOrders(game.world, 0, SrvAiLevelOf(2), 5)) {
      const std::uint16_t type = ReadU16(p, 0);
      if ((type == PKT_ZONE_ARRIVING_ATVS || type == PKT_ZONE_ATTACKING_ATVS) && ReadU16(p, 10) == 0 &&
          ReadU16(p, 16) != ATV_SEED_BANK)
        ++into;
      OrderPacket parsed;
      if (type == PKT_ORDER && ReadU32(p, 12) == ORDER_LAND_ATVS && ParseOrderPacket(p, &parsed)) {
        LandingBlock landing;
        landing.bytes = parsed.landing;
        for (int kind = ATV_COMBAT; kind < ATV_SEED_BANK; ++kind) into += landing.Count(kind, 0);
      }
    }
    return into;
  };
  EXPECT_EQ(intoCentre(), 0) << "the centre free";
  centre.SetOwner(8);
  centre.SetAtvCounts(0, 0, 0, 1);
  EXPECT_EQ(intoCentre(), 0) << "an enemy in the centre";
  // The same zone off the centre is attacked.
  std::uint16_t outer = 1;
  while (outer == beside || a.AreZonesAdjacent(beside, outer) == 0) ++outer;
  a.GetZone(outer)->SetOwner(8);
  a.GetZone(outer)->SetAtvCounts(0, 0, 0, 1);
  bool attacked = false;
  for (const SrvPacket& p : SrvChooseOrders(game.world, 0, SrvAiLevelOf(2), 5))
    attacked |= ReadU16(p, 0) == PKT_ZONE_ATTACKING_ATVS && ReadU16(p, 10) == outer;
  EXPECT_TRUE(attacked);
}

TEST(SrvComputerChapters, ZonesBuildAMiningFacilityAndTheirCombatAtvsAttackANeighbouringEnemyZone) {
  RulesGame game(1, 40, 1, 1);
  const std::uint16_t home = game.Chapter(0).homeAsteroid;
  CGAsteroid& a = *game.world.solar.GetAsteroid(home);
  CGZone& zone = *a.GetZone(1);
  zone.atvCounts[ATV_MINING] = 5;
  // Zone 2 neither spreads its miners nor joins the attack below.
  a.GetZone(2)->atvCounts[ATV_COMBAT] = 0;
  a.GetZone(2)->atvCounts[ATV_MINING] = 1;
  auto turn = game.Turn();
  auto zoneOrders = [&] {
    std::vector<SrvPacket> out;
    for (SrvPacket& p : SrvChooseOrders(game.world, 0, SrvAiLevelOf(1), 3))
      if (ReadU16(p, 0) >= 600 && ReadU16(p, 0) < 620) out.push_back(std::move(p));
    return out;
  };
  auto orders = zoneOrders();
  ASSERT_EQ(orders.size(), 1u);
  EXPECT_EQ(ReadU16(orders[0], 0), 611);
  EXPECT_EQ(ReadU32(orders[0], 16), FACILITY_MINING);
  EXPECT_EQ(SrvSubmitComputerOrder(turn, 0, orders[0]), SrvOrderVerdict::kAccepted);
  EXPECT_NE(zone.facilities & FACILITY_MINING, 0u);

  std::uint16_t enemy = 3;
  while (a.AreZonesAdjacent(1, enemy) == 0) ++enemy;
  a.GetZone(enemy)->SetOwner(8);
  orders = zoneOrders();
  ASSERT_EQ(orders.size(), 1u);
  EXPECT_EQ(ReadU16(orders[0], 0), 607);
  EXPECT_EQ(ReadU16(orders[0], 10), enemy);
  EXPECT_EQ(ReadU16(orders[0], 18), zone.atvCounts[ATV_COMBAT]);
  EXPECT_EQ(SrvSubmitComputerOrder(turn, 0, orders[0]), SrvOrderVerdict::kAccepted);
  EXPECT_EQ(zone.atvCounts[ATV_COMBAT], 0) << "on their way";
}

// ATVs of each kind a build order of the chapter's asks for, summed.
std::array<int, kAtvKinds> AtvsOrdered(RulesGame& game, std::uint16_t chapter) {
  std::array<int, kAtvKinds> counts{};
  for (const auto& o : UnitOrders(game, chapter)) {
    if (o.type != ORDER_BUILD_ATVS) continue;
    OrderPacket parsed;
    EXPECT_TRUE(ParseOrderPacket(o.packet, &parsed));
    for (int kind = 0; kind < kAtvKinds; ++kind)
      counts[static_cast<std::size_t>(kind)] += parsed.head[static_cast<std::size_t>(kind)];
  }
  return counts;
}

// Credits bound what a chapter builds, so minerals past what its income
// would spend in many turns come from zones it holds with ATVs that mine
// nothing; a pool short of a mineral keeps the miners coming where it is mined.
TEST(SrvComputerChapters, PoolsThatOutlastTheIncomeGetNoMoreMiners) {
  RulesGame game(1, 40, 1, 1);
  game.world.turn = kStakeTurns;  // past the starting stake
  const std::uint16_t home = game.Chapter(0).homeAsteroid;
  game.Chapter(0).credits = 100;  // ATVs, but no ship
  auto fill = [&](std::uint32_t amount) {
    for (std::uint32_t m = 0; m < kMineralTypes; ++m) game.world.poolDB.SetMineral(home, m, amount);
  };
  fill(100000);
  std::array<int, kAtvKinds> ordered = AtvsOrdered(game, 0);
  EXPECT_GT(ordered[ATV_POWER], 0);
  EXPECT_EQ(ordered[ATV_MINING], 0);
  game.world.poolDB.SetMineral(home, MINERAL_EXOTICS, 100);  // not 25 turns of its income's use
  // Miners go where what it is short of is mined: here, every asteroid
  // yields mostly exotics.
  for (std::uint16_t a = 0; a < CGSolarDB::GetAsteroidCount(); ++a)
    game.world.solar.GetAsteroid(a)->SetCompositionType(12);
  ordered = AtvsOrdered(game, 0);
  EXPECT_GT(ordered[ATV_MINING], 0);
  EXPECT_EQ(ordered[ATV_POWER], 0);

  // Nor a mining facility while the pools outlast it.
  fill(100000);
  game.world.solar.GetAsteroid(home)->GetZone(0)->atvCounts[ATV_MINING] = 5;
  for (SrvPacket& p : SrvChooseOrders(game.world, 0, SrvAiLevelOf(1), 3))
    EXPECT_NE(ReadU16(p, 0), 611) << "no facility";
  const SrvAiPlenty plenty = SrvAiPlentifulMinerals(game.world, 0, 0);
  EXPECT_TRUE(std::none_of(plenty.begin(), plenty.end(), [](bool p) { return p; })) << "a level that always mines";
}

TEST(SrvComputerChapters, AChapterAPlayerHoldsIsLeftToThePlayer) {
  RulesGame game(1, 40, 1, 2);
  auto turn = game.Turn();
  turn.human[0] = true;
  SrvPlayComputerChapters(turn);
  auto ordered = [&](std::uint16_t chapter) {
    for (std::uint16_t at = 0; at <= CGSolarDB::GetAsteroidCount(); ++at)
      for (std::uint16_t k = 0; const CGUnit* u = game.world.pieces->GetUnitAt(at, chapter, k); ++k)
        if (u->GetOrderCount() != 0) return true;
    return false;
  };
  EXPECT_FALSE(ordered(0));
  EXPECT_TRUE(ordered(8));
  EXPECT_EQ(game.world.research[0].modulePercent,
            std::vector<std::uint16_t>(game.world.research[0].modulePercent.size(), 0));
  EXPECT_NE(game.world.research[1].modulePercent,
            std::vector<std::uint16_t>(game.world.research[1].modulePercent.size(), 0));
}

}  // namespace

namespace {

// The renegade votes the chapter casts this turn: slot -> value.
std::map<std::uint16_t, std::uint16_t> RenegadeVotesOf(RulesGame& game, std::uint16_t chapter) {
  std::map<std::uint16_t, std::uint16_t> votes;
  for (const SrvPacket& p : SrvChooseOrders(game.world, chapter, SrvAiLevelOf(2), 1))
    if (ReadU16(p, 0) == PKT_RENEGADE_VOTE) votes[ReadU16(p, 10)] = ReadU16(p, 12);
  return votes;
}

// A guildmate far behind the others, or one whose ATVs attack the chapter's
// zones, gets its renegade vote; the vote goes when it catches up, past a
// third of the average where it was given below a quarter.
TEST(SrvComputerChapters, AGuildmateFarBehindOrAttackingItsZonesIsVotedARenegade) {
  RulesGame game(4, 60, 1, 2);
  for (std::uint16_t c = 0; c < 3; ++c) game.GiveAsteroids(c, 6);
  EXPECT_EQ(RenegadeVotesOf(game, 0), (std::map<std::uint16_t, std::uint16_t>{{3, 1}}));
  auto turn = game.Turn();
  for (std::uint16_t c = 0; c < 3; ++c)
    for (const SrvPacket& p : SrvChooseOrders(game.world, c, SrvAiLevelOf(2), 1)) {
      if (ReadU16(p, 0) == PKT_RENEGADE_VOTE) {
        EXPECT_EQ(SrvSubmitComputerOrder(turn, c, p), SrvOrderVerdict::kAccepted);
      }
    }
  game.Politics();
  EXPECT_NE(game.Chapter(3).renegade, 0u) << "three of four members, most of the votes";

  game.GiveAsteroids(0, 6);
  game.GiveAsteroids(3, 1);  // 2 of 29
  EXPECT_TRUE(RenegadeVotesOf(game, 0).empty()) << "past a quarter of the average, not a third: the vote stays";
  game.GiveAsteroids(3, 8);
  EXPECT_EQ(RenegadeVotesOf(game, 0), (std::map<std::uint16_t, std::uint16_t>{{3, 0}})) << "caught up";

  // Chapter 1 sends combat ATVs against a zone of chapter 0's home.
  CGAsteroid& home = *game.world.solar.GetAsteroid(game.Chapter(0).homeAsteroid);
  std::uint16_t next = 3;
  while (next < home.GetZoneCount() && home.AreZonesAdjacent(1, next) == 0) ++next;
  ASSERT_LT(next, home.GetZoneCount());
  ASSERT_EQ(home.GetZone(1)->owner, 0);
  home.GetZone(next)->SetOwner(1);
  home.GetZone(next)->AddAtvs(ATV_COMBAT, 3, 0);
  ASSERT_EQ(SrvSubmitComputerOrder(turn, 1, SrvAiZoneMove(1, home.id, next, 1, ATV_COMBAT, 3, true)),
            SrvOrderVerdict::kAccepted);
  const auto votes = RenegadeVotesOf(game, 0);
  ASSERT_TRUE(votes.contains(1));
  EXPECT_EQ(votes.at(1), 1);
  EXPECT_FALSE(RenegadeVotesOf(game, 2).contains(1)) << "only the chapter attacked";
}

}  // namespace

// A store's minerals go to the chapter's home, where its builders spend
// them: all but what a store keeps, in lots a turn. A taken home is such a
// store, and its first holder's zones keep feeding it.
TEST(SrvComputerChapters, ThePoolOfATakenAsteroidIsSentHome) {
  RulesGame game(1, 40, 1, 2);
  const std::uint16_t taken = game.Chapter(0).homeAsteroid, home = game.Chapter(8).homeAsteroid;
  game.Control(taken, 8);
  ASSERT_NE(game.world.poolDB.GetStorageFacilities(taken), 0u);
  game.world.poolDB.SetMineral(taken, 0, 5000);
  game.world.poolDB.SetMineral(taken, 1, 300);
  game.world.poolDB.SetMineral(taken, 2, 150);
  game.world.poolDB.SetMineral(taken, 3, 0);
  std::map<std::uint8_t, std::uint16_t> sent;
  auto turn = game.Turn();
  for (const SrvPacket& p : SrvChooseOrders(game.world, 8, SrvAiLevelOf(1), 5)) {
    if (ReadU16(p, 0) != PKT_AUTO_TRANSFER || p[9] != taken) continue;
    EXPECT_EQ(p[10], home);
    EXPECT_GE(ReadU16(p, 14), 1) << "turns on the way";
    sent[p[11]] = ReadU16(p, 12);
    EXPECT_EQ(SrvSubmitComputerOrder(turn, 8, p), SrvOrderVerdict::kAccepted);
  }
  EXPECT_EQ(sent, (std::map<std::uint8_t, std::uint16_t>{{0, 2000}, {1, 100}})) << "a lot at most; 200 stay";
}
