// A zone holds no more ATVs than its limit, whichever way they come: its own
// construction builds what fits and tells the rest halted till room is made, arrivals past the
// room go back where they set off from (or wait on their way), landings keep
// the rest aboard. Nothing past the room is made out of nothing or lost.
// A production its asteroid's pool or its owner's credits cannot pay is shut
// down and told once.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "Game/base/Packets.h"
#include "Game/model/GAsteroid.h"
#include "Game/model/GChapter.h"
#include "Game/model/GUnit.h"
#include "Game/model/GZone.h"
#include "Game/rules/GGameVar.h"
#include "server/orders/SrvPacketRead.h"
#include "tests/server/srv_game_fixture.h"

namespace {

struct Notice {
  int outcome = 0;
  std::string text;
  std::uint32_t block = 0;
  bool operator==(const Notice&) const = default;
  friend std::ostream& operator<<(std::ostream& os, const Notice& n) {
    return os << "{" << n.outcome << ", \"" << n.text << "\", " << std::hex << n.block << std::dec << "}";
  }
};
using Told = std::vector<Notice>;

// Player 7 holds chapter 9; the other chapters play themselves.
struct SrvZoneRoom : SrvGameCase<47> {
  static constexpr std::uint16_t kMine = 9;
  static constexpr std::uint32_t kMe = 7;

  void SetUp() override {
    StartTestGame(game, {{kMe, kMine}}, 2);
    home = World().Chapter(kMine)->homeAsteroid;
    std::memcpy(prices, g_gameVariables.atvCosts, sizeof prices);
  }
  void TearDown() override { std::memcpy(g_gameVariables.atvCosts, prices, sizeof prices); }
  CGZone& Zone(std::uint16_t index) { return *const_cast<SrvWorld&>(World()).solar.GetAsteroid(home)->GetZone(index); }
  void EndTurn() {
    out.sent.clear();
    EndTestTurn(game, {{kMe, kMine}});
  }
  bool Move(std::uint16_t to, std::uint16_t from, std::uint16_t kind, std::uint16_t count) {
    auto p = Pkt<20>(PKT_ZONE_ARRIVING_ATVS).U16(8, home).U16(10, to).U16(12, from).U16(14, kMine);
    return game.Receive(kMe, p.U16(16, kind).U16(18, count));
  }
  // Zone 3 held by me with an ATV-construction facility and a power ATV.
  CGZone& FacilityZone() {
    CGZone& zone = Zone(3);
    EXPECT_EQ(zone.owner, kZoneNobody);
    zone.SetOwner(kMine);
    zone.SetAtvCounts(0, 0, 0, g_gameVariables.costATVConstructionFacility);
    auto facility = Pkt<20>(PKT_TERRAIN_VIEW_611).U16(8, home).U16(10, kMine).U16(12, 3);
    EXPECT_TRUE(game.Receive(kMe, facility.U32(16, FACILITY_ATV_CONSTRUCTION)));
    zone.SetOwner(kMine);
    zone.SetAtvCounts(0, 0, 1, 0);
    zone.atvLimit = 4;
    return zone;
  }
  bool Order(std::uint8_t combat, std::uint8_t mining) {
    return game.Receive(
        kMe, Pkt<20>(PKT_TERRAIN_VIEW_612).U16(8, home).U16(10, 3).U16(12, kMine).U8(14, combat).U8(15, mining));
  }
  // The ATV-production notices (1/113) of the last turn: outcome, first text
  // and the block the player's zone is to keep. Each names the asteroid in
  // the high half of parameter 2, which the text reads, and in the low half,
  // which a double click goes to.
  std::vector<Notice> Production() const {
    std::vector<Notice> told;
    for (const SrvPacket& p : out.Of(kMe, PKT_NOTIFICATION))
      if (ReadU16(p, 8) == 1 && ReadU16(p, 10) == 113) {
        EXPECT_EQ(ReadU32(p, 144), std::uint32_t{home} << 16 | home) << "named and gone to";
        const char* text = reinterpret_cast<const char*>(p.data() + 12);
        told.push_back({ReadU16(p, 140) & 0xFF, std::string(text, strnlen(text, 64)), ReadU32(p, 148)});
      }
    return told;
  }

  std::uint16_t home = 0;
  std::int16_t prices[kATVTypes][5] = {};
};

}  // namespace

// Built: code 0 with the count and the rest of the order; halted at the
// limit: code 1, once. The ATVs past the room are neither built nor paid for
// and wait for room, as the player's block, which the halted notice leaves as
// it is, still shows them ordered.
TEST_F(SrvZoneRoom, AZonesConstructionBuildsWhatFitsPaysForThatAndTheRestWaitsForRoom) {
  CGZone& zone = FacilityZone();
  CGChapter& me = *const_cast<SrvWorld&>(World()).Chapter(kMine);
  me.credits = 100000;
  EndTurn();
  const std::uint32_t income = me.credits - 100000;
  // Credits stand for the price: the rules here charge minerals alone.
  g_gameVariables.atvCosts[ATV_COMBAT][4] = 100;
  g_gameVariables.atvCosts[ATV_MINING][4] = 10;

  ASSERT_TRUE(Order(2, 2));
  std::uint32_t credits = me.credits;
  EndTurn();
  EXPECT_EQ(zone.atvCounts[ATV_COMBAT], 2);
  EXPECT_EQ(zone.atvCounts[ATV_MINING], 1) << "three fit beside the power ATV";
  EXPECT_EQ(me.credits, credits + income - 2 * 100 - 10) << "only what was built is paid";
  EXPECT_EQ(Production(), (Told{{0, "3", 0x00010000}, {1, ""}})) << "one mining ATV left to build";

  // Still full: the rest waits, told no more.
  credits = me.credits;
  EndTurn();
  EXPECT_EQ(zone.atvCounts[ATV_MINING], 1);
  EXPECT_EQ(me.credits, credits + income);
  EXPECT_TRUE(Production().empty());

  // Room made later builds the rest, and the order ends there.
  zone.SetAtvCounts(0, 0, 1, 0);
  credits = me.credits;
  EndTurn();
  EXPECT_EQ(zone.atvCounts[ATV_MINING], 1);
  EXPECT_EQ(zone.atvCounts[ATV_COMBAT], 0);
  EXPECT_EQ(me.credits, credits + income - 10);
  EXPECT_EQ(Production(), (Told{{0, "1"}}));
  EndTurn();
  EXPECT_EQ(zone.atvCounts[ATV_MINING], 1);
  EXPECT_TRUE(Production().empty());

  // A full zone builds nothing and takes nothing, says so once, and builds
  // the order once room is made; a new order is told again.
  zone.SetAtvCounts(4, 0, 0, 0);
  ASSERT_TRUE(Order(1, 0));
  credits = me.credits;
  EndTurn();
  EXPECT_EQ(zone.atvCounts[ATV_COMBAT], 4);
  EXPECT_EQ(me.credits, credits + income);
  EXPECT_EQ(Production(), (Told{{1, ""}}));
  EndTurn();
  EXPECT_TRUE(Production().empty());
  ASSERT_TRUE(Order(2, 0));
  EndTurn();
  EXPECT_EQ(Production(), (Told{{1, ""}}));
  zone.SetAtvCounts(3, 0, 0, 0);
  EndTurn();
  EXPECT_EQ(zone.atvCounts[ATV_COMBAT], 4);
  EXPECT_EQ(Production(), (Told{{0, "1", 0x01000000}})) << "halted, told already for this order";
}

TEST_F(SrvZoneRoom, ArrivalsPastTheRoomGoBackOrWaitAndACallBackNeedsRoom) {
  CGZone& from = Zone(1);
  CGZone& to = Zone(3);
  ASSERT_EQ(to.owner, kZoneNobody);
  from.SetOwner(kMine);
  from.SetAtvCounts(5, 0, 0, 0);
  from.atvLimit = 6;
  to.atvLimit = 2;
  ASSERT_TRUE(Move(3, 1, ATV_COMBAT, 4));
  EndTurn();
  EXPECT_EQ(to.owner, kMine);
  EXPECT_EQ(to.atvCounts[ATV_COMBAT], 2);
  EXPECT_EQ(from.atvCounts[ATV_COMBAT], 3) << "the two that found no room came back";
  EXPECT_EQ(to.arriving.count, 0);

  // With no room left behind them either, they wait on their way and join
  // once the zone has room.
  ASSERT_TRUE(Move(3, 1, ATV_COMBAT, 2));
  from.atvLimit = 1;
  EndTurn();
  EXPECT_EQ(to.atvCounts[ATV_COMBAT], 2);
  EXPECT_EQ(from.atvCounts[ATV_COMBAT], 1);
  ASSERT_EQ(to.arriving.count, 1);
  EXPECT_EQ(to.arriving.items[0]->counts[ATV_COMBAT], 2);
  to.atvLimit = 3;
  EndTurn();
  EXPECT_EQ(to.atvCounts[ATV_COMBAT], 3);
  EXPECT_EQ(from.atvCounts[ATV_COMBAT], 1) << "the one past the room still has none behind it";
  ASSERT_EQ(to.arriving.count, 1);
  EXPECT_EQ(to.arriving.items[0]->counts[ATV_COMBAT], 1);

  // ATVs called back go only where there is room for them.
  from.SetAtvCounts(1, 0, 0, 0);
  from.atvLimit = 2;
  Zone(4).SetOwner(kMine);
  Zone(4).SetAtvCounts(0, 0, 0, 0);
  ASSERT_TRUE(Move(3, 1, ATV_COMBAT, 1));
  from.SetAtvCounts(2, 0, 0, 0);
  EXPECT_FALSE(Move(3, 1, ATV_COMBAT, 256 - 1)) << "the zone filled meanwhile";
  EXPECT_EQ(from.atvCounts[ATV_COMBAT], 2);
  from.atvLimit = 3;
  EXPECT_TRUE(Move(3, 1, ATV_COMBAT, 256 - 1));
  EXPECT_EQ(from.atvCounts[ATV_COMBAT], 3);
}

// The room is the zone's, all kinds together: a landing of several kinds
// fills it in kind order and keeps the rest aboard.
TEST_F(SrvZoneRoom, ALandingOfSeveralKindsSharesTheRoomAndKeepsTheRestAboard) {
  CGUnit* unit = World().pieces->GetUnitAt(home, kMine, 0);
  ASSERT_NE(unit, nullptr);
  CGZone& zone = Zone(3);
  ASSERT_EQ(zone.owner, kZoneNobody);
  zone.atvLimit = 3;
  unit->atvCargo = {2, 2, 0, 0};
  UnitOrder land;
  land.type = ORDER_LAND_ATVS;
  land.head[5] = static_cast<std::uint8_t>(home);
  land.landing = std::make_unique<LandingBlock>();
  land.landing->Count(ATV_COMBAT, 3) = 2;
  land.landing->Count(ATV_MINING, 3) = 2;
  ASSERT_TRUE(game.Receive(kMe, Bytes(BuildOrderPacket(unit->id, land, kInsertReplace))));
  for (int t = 0; t < 60 && unit->GetOrderCount() > 0; ++t) EndTurn();
  ASSERT_EQ(unit->GetOrderCount(), 0);
  EXPECT_EQ(zone.atvCounts[ATV_COMBAT], 2);
  EXPECT_EQ(zone.atvCounts[ATV_MINING], 1);
  EXPECT_EQ(unit->atvCargo[ATV_COMBAT], 0);
  EXPECT_EQ(unit->atvCargo[ATV_MINING], 1);
}

// Outcome 2, once: credits short or the pool short, nothing is built or
// taken, and the order ends there rather than waiting turn after turn.
TEST_F(SrvZoneRoom, AProductionThatCannotBePaidShutsDownOnceAndTakesNothing) {
  CGZone& zone = FacilityZone();
  CGChapter& me = *const_cast<SrvWorld&>(World()).Chapter(kMine);
  me.credits = 100000;
  EndTurn();
  const std::uint32_t income = me.credits - 100000;
  for (auto& price : g_gameVariables.atvCosts[ATV_COMBAT]) price = 0;
  g_gameVariables.atvCosts[ATV_COMBAT][4] = 100;

  ASSERT_TRUE(Order(2, 0));
  me.credits = 199;
  EndTurn();
  EXPECT_EQ(zone.atvCounts[ATV_COMBAT], 0);
  EXPECT_EQ(me.credits, 199 + income) << "an unpaid production takes no credits";
  EXPECT_EQ(Production(), (Told{{2, ""}}));

  // Dropped: credits enough a turn later build nothing and say nothing.
  me.credits = 100000;
  EndTurn();
  EXPECT_EQ(zone.atvCounts[ATV_COMBAT], 0);
  EXPECT_EQ(me.credits, 100000 + income);
  EXPECT_TRUE(Production().empty());

  // The pool short of a mineral: credits enough, still shut down, no credits taken.
  std::uint32_t pool[4] = {};
  const_cast<SrvWorld&>(World()).poolDB.SetMinerals(home, pool);
  g_gameVariables.atvCosts[ATV_COMBAT][0] = 5;
  ASSERT_TRUE(Order(1, 0));
  EndTurn();
  EXPECT_EQ(zone.atvCounts[ATV_COMBAT], 0);
  EXPECT_EQ(me.credits, 100000 + 2 * income);
  EXPECT_EQ(Production(), (Told{{2, ""}}));

  // Paid in full, the same order builds.
  pool[0] = 5;
  const_cast<SrvWorld&>(World()).poolDB.SetMinerals(home, pool);
  ASSERT_TRUE(Order(1, 0));
  EndTurn();
  EXPECT_EQ(zone.atvCounts[ATV_COMBAT], 1);
  EXPECT_EQ(me.credits, 100000 + 3 * income - 100);
  EXPECT_EQ(Production(), (Told{{0, "1"}}));
}
