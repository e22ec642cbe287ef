// Refuelling at an asteroid (126) and distributing an asteroid's pool (405)
// through the server's game as a player sends them: refused when not the
// sender's to ask, done once a turn, carried out as the turn resolves.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>

#include "Game/base/Packets.h"
#include "Game/model/GAsteroid.h"
#include "Game/model/GChapter.h"
#include "Game/model/GUnit.h"
#include "Game/model/GZone.h"
#include "Game/rules/GGameVar.h"
#include "server/SrvGame.h"
#include "server/orders/SrvPacketRead.h"
#include "tests/server/srv_game_fixture.h"

namespace {

// One player holding chapter 8 (guild 1) of a game of two chapters per guild.
struct SrvAsteroidOrders : SrvGameCase<57> {
  static constexpr std::uint16_t kMine = 8;

  void SetUp() override { StartTestGame(game, {{7, kMine}}, 2); }
  SrvWorld& Mutable() { return const_cast<SrvWorld&>(World()); }
  std::uint16_t Home(std::uint16_t chapter = kMine) const { return World().Chapter(chapter)->homeAsteroid; }
  CGUnit* UnitOf(std::uint16_t chapter) const { return World().pieces->GetUnitAt(Home(chapter), chapter, 0); }
  void EndTurn() { EndTestTurn(game, {{7, kMine}}); }
  bool Refuel(std::uint32_t unit, std::uint16_t asteroid) {
    return game.Receive(7, Pkt<16>(PKT_REFUEL_AT_ASTEROID).U32(8, unit).U16(12, asteroid));
  }
  bool Distribute(std::uint16_t asteroid, std::uint16_t chapter = kMine) {
    return game.Receive(7, Pkt<16>(PKT_DISTRIBUTE_RESOURCES)
                               .U16(8, static_cast<std::uint16_t>(chapter >> 3))
                               .U16(10, chapter & 7)
                               .U16(12, asteroid));
  }
  void TearDown() override { g_gameVariables = m_variables; }
  // The chapter's power output at its home: its ATVs there draw power as
  // the guild's rule gives it (guild 1: the guild's base x the asteroid's
  // motion x the ATVs' power rating), here made to be some.
  std::uint32_t HomeOutput() {
    CGAsteroid* home = Mutable().solar.GetAsteroid(Home());
    home->kinetic = 40;
    g_gameVariables.powerBases[1] = 2;
    for (AtvTech& tech : Mutable().Chapter(kMine)->atvTech) tech.values[2] = 3;
    return home->GetChapterPowerOutput(kMine);
  }
  CGameVariables m_variables = g_gameVariables;
  std::vector<SrvPacket> PowerTold(std::uint32_t unit) const {
    std::vector<SrvPacket> out;
    for (const SrvPacket& p : this->out.Of(7, PKT_UNIT_POWER))
      if (ReadU32(p, 8) == unit) out.push_back(p);
    return out;
  }
};

}  // namespace

TEST_F(SrvAsteroidOrders, AUnitRefuelsFromItsChaptersPowerThereOnceATurn) {
  const std::uint32_t output = HomeOutput();
  ASSERT_GT(output, 0u);
  CGUnit* unit = UnitOf(kMine);
  ASSERT_NE(unit, nullptr);
  const std::uint32_t id = unit->id;
  // Empty, and generating nothing of its own, so what it gets is the asteroid's.
  unit->power = 0;
  const std::int32_t generation = unit->GetPowerGeneration();
  EXPECT_TRUE(Refuel(id, Home()));
  EXPECT_FALSE(Refuel(id, Home())) << "once a turn";
  out.sent.clear();
  EndTurn();
  const auto told = PowerTold(id);
  ASSERT_FALSE(told.empty());
  const std::int32_t expected =
      std::min<std::int32_t>(generation + static_cast<std::int32_t>(output), unit->GetMaxPower());
  EXPECT_EQ(static_cast<std::int32_t>(ReadU32(told.back(), 16)), expected);
  EXPECT_EQ(unit->power, expected);
  EXPECT_TRUE(Refuel(id, Home())) << "a new turn, a new refuelling";
}

TEST_F(SrvAsteroidOrders, ARefuellingNotTheSendersToAskIsRefusedAndChangesNothing) {
  ASSERT_GT(HomeOutput(), 0u);
  CGUnit* unit = UnitOf(kMine);
  CGUnit* theirs = UnitOf(0);
  const std::uint16_t other = static_cast<std::uint16_t>((Home() + 1) % CGSolarDB::GetAsteroidCount());
  EXPECT_FALSE(Refuel(theirs->id, Home(0))) << "another chapter's unit";
  EXPECT_FALSE(Refuel(0xABCDEF, Home())) << "no such unit";
  EXPECT_FALSE(Refuel(unit->id, CGSolarDB::GetAsteroidCount())) << "no such asteroid";
  EXPECT_FALSE(Refuel(unit->id, other)) << "the unit is not there";
  EXPECT_FALSE(game.Receive(7, Pkt<14>(PKT_REFUEL_AT_ASTEROID).U32(8, unit->id))) << "short";
  // Out of the view's range: far from the centre.
  const Location at = unit->location;
  unit->location.x = 3000;
  EXPECT_FALSE(Refuel(unit->id, Home()));
  unit->location = at;
  // No power of the chapter's there (guild 1 draws on the asteroid's motion).
  Mutable().solar.GetAsteroid(Home())->kinetic = 0;
  ASSERT_EQ(World().solar.GetAsteroid(Home())->GetChapterPowerOutput(kMine), 0u);
  EXPECT_FALSE(Refuel(unit->id, Home())) << "nothing to refuel from";
  EXPECT_TRUE(World().refuels.empty());
}

// Several units share what the chapter's facilities give in a turn, in the
// order they asked; a unit that has left by then takes nothing.
TEST_F(SrvAsteroidOrders, UnitsRefuelledAtOneAsteroidShareItsOutput) {
  const std::uint32_t output = HomeOutput();
  ASSERT_GT(output, 0u);
  CGUnit* first = UnitOf(kMine);
  CGUnit* second = Mutable().CreateUnit(kMine, first->design, first->location);
  CGUnit* gone = Mutable().CreateUnit(kMine, first->design, first->location);
  ASSERT_TRUE(second != nullptr && gone != nullptr);
  for (CGUnit* u : {first, second, gone}) u->power = 0;
  // What the asteroid gives is less than two stores: the second gets the rest.
  const std::int32_t room = first->GetMaxPower() - first->GetPowerGeneration();
  ASSERT_GT(room, 0);
  g_gameVariables.powerBases[1] = 1;
  for (AtvTech& tech : Mutable().Chapter(kMine)->atvTech) tech.values[2] = 0;
  Mutable().Chapter(kMine)->atvTech[0].values[2] = 1;
  const std::uint32_t perTurn = World().solar.GetAsteroid(Home())->GetChapterPowerOutput(kMine);
  ASSERT_GT(perTurn, 0u);
  const auto scale = (static_cast<std::uint32_t>(room) + room / 2) / perTurn + 1;
  Mutable().Chapter(kMine)->atvTech[0].values[2] = static_cast<std::uint8_t>(std::min<std::uint32_t>(scale, 255));
  const std::uint32_t given = World().solar.GetAsteroid(Home())->GetChapterPowerOutput(kMine);
  ASSERT_GT(given, static_cast<std::uint32_t>(room));
  ASSERT_LT(given, 2u * static_cast<std::uint32_t>(room));
  for (CGUnit* u : {gone, first, second}) ASSERT_TRUE(Refuel(u->id, Home()));
  gone->location.x = 3000;  // moved out of range before the turn's end
  EndTurn();
  EXPECT_EQ(first->power, first->GetMaxPower());
  EXPECT_EQ(second->power, second->GetPowerGeneration() + static_cast<std::int32_t>(given) - room);
  EXPECT_EQ(gone->power, gone->GetPowerGeneration());
}

TEST_F(SrvAsteroidOrders, ADistributionSpreadsThePoolEvenlyOverTheChaptersStores) {
  SrvWorld& world = Mutable();
  const std::uint16_t home = Home();
  EXPECT_FALSE(Distribute(home)) << "a chapter with one store has nowhere to send it";
  // Two more stores: asteroids the chapter owns with a storage facility.
  std::vector<std::uint16_t> stores{home};
  for (std::uint16_t a = 0; a < CGSolarDB::GetAsteroidCount() && stores.size() < 3; ++a) {
    CGAsteroid* asteroid = world.solar.GetAsteroid(a);
    if (a == home || asteroid->owner < kMaxChapters) continue;
    asteroid->SetOwner(kMine);
    world.poolDB.SetStorageFacilities(a, 1);
    stores.push_back(a);
  }
  ASSERT_EQ(stores.size(), 3u);
  const std::uint32_t pool[4] = {300, 31, 0, 2};
  world.poolDB.SetMinerals(home, pool);
  const std::uint32_t none[4] = {};
  world.poolDB.SetMinerals(stores[1], none);
  world.poolDB.SetMinerals(stores[2], none);

  EXPECT_FALSE(Distribute(home, 9)) << "another chapter's slot";
  EXPECT_FALSE(Distribute(Home(0))) << "another chapter's asteroid";
  EXPECT_FALSE(Distribute(CGSolarDB::GetAsteroidCount())) << "no such asteroid";
  EXPECT_TRUE(Distribute(home));
  EXPECT_FALSE(Distribute(home)) << "once a turn";
  EXPECT_TRUE(Distribute(stores[1])) << "another store's own, after the home's";
  out.sent.clear();
  EndTurn();
  // The home's thirds (what does not divide stays), then a third of what
  // the second store then held each to the others. Nobody mines there.
  const std::uint32_t second[4] = {34, 4, 0, 0}, third[4] = {133, 13, 0, 0};
  for (std::uint32_t m = 0; m < 4; ++m) {
    EXPECT_EQ(world.poolDB.GetMineral(stores[1], m), second[m]) << m;
    EXPECT_EQ(world.poolDB.GetMineral(stores[2], m), third[m]) << m;
  }
  // The pools are told to the owner with the turn.
  std::vector<std::uint16_t> told;
  for (const SrvPacket& p : out.Of(7, PKT_POOL_STATE)) told.push_back(ReadU16(p, 8));
  for (std::uint16_t s : stores) EXPECT_NE(std::find(told.begin(), told.end(), s), told.end()) << s;
  EXPECT_TRUE(world.distributions.empty());
}

// A scripted client that sends only what it may sees nothing refused.
TEST_F(SrvAsteroidOrders, AWellBehavedClientIsNeverRefused) {
  const std::string path = Folder() + "asteroid_orders.log";
  std::remove(path.c_str());
  ASSERT_TRUE(log.Open(path));
  ASSERT_GT(HomeOutput(), 0u);
  for (int turn = 0; turn < 3; ++turn) {
    CGUnit* unit = UnitOf(kMine);
    ASSERT_NE(unit, nullptr);
    if (unit->power < unit->GetMaxPower()) {
      EXPECT_TRUE(Refuel(unit->id, Home()));
    }
    EndTurn();
  }
  std::ifstream in(path);
  const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  EXPECT_EQ(text.find("refused"), std::string::npos) << text;
}
