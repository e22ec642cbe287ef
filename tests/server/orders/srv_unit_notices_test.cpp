// What a player reads in its notice strip of its units' orders: each notice
// comes with the turn that raised it, to the chapters it concerns, with the
// parameters its client's line is drawn from.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "Game/base/Packets.h"
#include "Game/model/GAsteroid.h"
#include "Game/model/GUnit.h"
#include "Game/model/GZone.h"
#include "Game/rules/GUnitTem.h"
#include "server/orders/SrvPacketRead.h"
#include "tests/server/srv_game_fixture.h"

namespace {

// Player 7 holds chapter 9 (guild 1, slot 1); player 6 holds chapter 0, of
// another guild; two chapters a guild.
struct SrvUnitNotices : SrvGameCase<47> {
  static constexpr std::uint16_t kMine = 9, kTheirs = 0;
  static constexpr std::uint32_t kMe = 7, kThem = 6;

  void SetUp() override { StartTestGame(game, {{kMe, kMine}, {kThem, kTheirs}}, 2); }
  SrvWorld& Mutable() { return const_cast<SrvWorld&>(World()); }
  CGUnit* UnitOf(std::uint16_t chapter) const {
    return World().pieces->GetUnitAt(World().Chapter(chapter)->homeAsteroid, chapter, 0);
  }
  // Ends the turn, the record holding only what it sent.
  void EndTurn() {
    out.sent.clear();
    EndTestTurn(game, {{kMe, kMine}, {kThem, kTheirs}});
  }
  void EndTurnsWhile(const CGUnit& unit, int most) {
    for (int t = 0; t < most && unit.GetOrderCount() > 0; ++t) EndTurn();
  }
  bool Order(const CGUnit& unit, const UnitOrder& order) {
    return game.Receive(kMe, Bytes(BuildOrderPacket(unit.id, order, kInsertReplace)));
  }
  // The notices of `code` (of `category`) the player was sent in the last turn.
  std::vector<SrvPacket> Notices(std::uint32_t player, std::uint16_t code, std::uint16_t category = 1) const {
    std::vector<SrvPacket> found;
    for (const SrvPacket& p : out.Of(player, PKT_NOTIFICATION))
      if (ReadU16(p, 8) == category && ReadU16(p, 10) == code) found.push_back(p);
    return found;
  }
  // True when every notice the player was sent came before its turn's results.
  bool NoticesBeforeResults(std::uint32_t player) const {
    bool results = false;
    for (const Sent& s : out.To(player)) {
      if (s.Type() == PKT_TURN_RESULTS) results = true;
      if (s.Type() == PKT_NOTIFICATION && results) return false;
    }
    return results;
  }
};

std::string SecondText(const SrvPacket& p) {
  const char* text = reinterpret_cast<const char*>(p.data() + 76);
  return std::string(text, strnlen(text, 64));
}

}  // namespace

TEST_F(SrvUnitNotices, AFleetsArrivalIsToldItsOwnerWithTheTurnAndAStepWithoutPowerAsCancelled) {
  CGUnit* unit = UnitOf(kMine);
  const auto target = static_cast<std::uint16_t>((unit->location.asteroid + 7) % CGSolarDB::GetAsteroidCount());
  ASSERT_TRUE(Order(*unit, Ordered(ORDER_MOVE_TO_ASTEROID, {target})));
  int turns = 0;
  for (; turns < 300 && unit->location.asteroid != target; ++turns) {
    EndTurn();
    if (unit->location.asteroid != target) {
      EXPECT_TRUE(Notices(kMe, 101).empty()) << "under way, turn " << turns;
    }
  }
  ASSERT_EQ(unit->location.asteroid, target);
  const std::vector<SrvPacket> done = Notices(kMe, 101);
  ASSERT_EQ(done.size(), 1u);
  EXPECT_EQ(ReadU16(done[0], 140), 0);
  EXPECT_EQ(ReadU32(done[0], 144), static_cast<std::uint32_t>(ORDER_MOVE_TO_ASTEROID));
  EXPECT_EQ(ReadU32(done[0], 148), unit->id);
  EXPECT_TRUE(NoticesBeforeResults(kMe)) << "read with the turn that ended the trip";
  EXPECT_TRUE(Notices(kThem, 101).empty()) << "the owner's alone";

  // A drive that takes more than the unit has cancels the next trip at once.
  World().modules->GetRecord(0)->powerUse = 200;
  unit->GetTemplate()->slots[1].moduleId = 0;
  unit->power = 0;
  ASSERT_TRUE(Order(*unit, Ordered(ORDER_MOVE_TO_ASTEROID, {static_cast<std::uint32_t>((target + 3) % 20)})));
  EndTurn();
  const std::vector<SrvPacket> cancelled = Notices(kMe, 102);
  ASSERT_EQ(cancelled.size(), 1u);
  EXPECT_EQ(ReadU16(cancelled[0], 140), ORDER_MOVE_TO_ASTEROID);
  EXPECT_EQ(static_cast<std::int32_t>(ReadU32(cancelled[0], 144)), ORDERFAIL_LACK_POWER);
  EXPECT_EQ(ReadU32(cancelled[0], 148), unit->id);
  EXPECT_TRUE(Notices(kMe, 101).empty());
}

TEST_F(SrvUnitNotices, AScannedShipAndAScannedAsteroidAreToldTheScanner) {
  CGUnit* unit = UnitOf(kMine);
  unit->GetTemplate()->survey = 4;
  const std::uint16_t home = unit->location.asteroid;
  ASSERT_TRUE(Order(*unit, Ordered(ORDER_SCAN_ASTEROID, {home})));
  EndTurnsWhile(*unit, 60);
  ASSERT_EQ(unit->GetOrderCount(), 0);
  const std::vector<SrvPacket> surveyed = Notices(kMe, 105);
  ASSERT_EQ(surveyed.size(), 1u);
  EXPECT_EQ(ReadU16(surveyed[0], 140), kMine & 7) << "the scanner's slot in its guild";
  EXPECT_EQ(ReadU32(surveyed[0], 144), home);
  EXPECT_EQ(Notices(kMe, 101).size(), 1u) << "and the order done";

  // Another chapter's ship beside the scanner.
  CGUnit* stranger = Mutable().CreateUnit(kTheirs, UnitOf(kTheirs)->GetTemplate(), unit->location);
  ASSERT_NE(stranger, nullptr);
  ASSERT_TRUE(Order(*unit, Ordered(ORDER_SCAN_SHIP, {stranger->id})));
  EndTurnsWhile(*unit, 60);
  ASSERT_EQ(unit->GetOrderCount(), 0);
  const std::vector<SrvPacket> scanned = Notices(kMe, 104);
  ASSERT_EQ(scanned.size(), 1u);
  EXPECT_EQ(ReadU32(scanned[0], 144), stranger->id);
  EXPECT_EQ(ReadU32(scanned[0], 148), unit->id);
  EXPECT_TRUE(Notices(kThem, 104).empty()) << "the scanned are not told";
}

TEST_F(SrvUnitNotices, ALandingIsToldTheLanderAndTheAsteroidsHoldersAndAHeldZoneHoldsItBack) {
  CGUnit* unit = UnitOf(kMine);
  const std::uint16_t home = unit->location.asteroid;
  CGAsteroid* a = Mutable().solar.GetAsteroid(home);
  std::vector<std::uint16_t> free;
  for (std::uint16_t z = 1; z < a->GetZoneCount(); ++z)
    if (a->GetZone(z)->owner == kZoneNobody) free.push_back(z);
  ASSERT_GE(free.size(), 2u);
  // Theirs holds mining ATVs only: nothing fires at the pods.
  CGZone* held = a->GetZone(free[1]);
  held->owner = kTheirs;
  held->SetAtvCounts(0, 3, 0, 0);
  unit->atvCargo[ATV_MINING] = 3;
  UnitOrder land;
  land.type = ORDER_LAND_ATVS;
  land.head[5] = static_cast<std::uint8_t>(home);
  land.landing = std::make_unique<LandingBlock>();
  land.landing->Count(ATV_MINING, free[0]) = 2;
  land.landing->Count(ATV_MINING, free[1]) = 1;
  ASSERT_TRUE(Order(*unit, land));
  EndTurnsWhile(*unit, 60);
  ASSERT_EQ(unit->GetOrderCount(), 0);
  ASSERT_EQ(a->GetZone(free[0])->atvCounts[ATV_MINING], 2);
  for (std::uint32_t player : {kMe, kThem}) {
    const std::vector<SrvPacket> landed = Notices(player, 106);
    ASSERT_EQ(landed.size(), 1u) << player;
    EXPECT_EQ(ReadU16(landed[0], 140), 2) << "the ATVs that came down";
    EXPECT_EQ(ReadU32(landed[0], 144), kMine);
    EXPECT_EQ(ReadU32(landed[0], 148), home);
    EXPECT_EQ(SecondText(landed[0]), "mining ATV");
  }
  const std::vector<SrvPacket> heldBack = Notices(kMe, 114);
  ASSERT_EQ(heldBack.size(), 1u);
  EXPECT_EQ(ReadU32(heldBack[0], 144), home);
  EXPECT_TRUE(Notices(kThem, 114).empty());
  EXPECT_EQ(unit->atvCargo[ATV_MINING], 1) << "back aboard";

  // A landing on free zones alone is held back by nothing, and told no
  // chapter that holds nothing there.
  held->owner = kZoneNobody;
  held->SetAtvCounts(0, 0, 0, 0);
  land.landing = std::make_unique<LandingBlock>();
  land.landing->Count(ATV_MINING, free[0]) = 1;
  ASSERT_TRUE(Order(*unit, land));
  EndTurnsWhile(*unit, 60);
  EXPECT_EQ(Notices(kMe, 106).size(), 1u);
  EXPECT_TRUE(Notices(kMe, 114).empty());
  EXPECT_TRUE(Notices(kThem, 106).empty());
}

TEST_F(SrvUnitNotices, AZonesRaisedMiningOrStackingIsToldWithTheTurnAndSoIsARaiseItCouldNotTake) {
  const std::uint16_t home = World().Chapter(kMine)->homeAsteroid;
  CGAsteroid* a = Mutable().solar.GetAsteroid(home);
  CGZone* zone = a->GetZone(0);
  ASSERT_EQ(zone->owner, kMine);
  zone->SetAtvCounts(0, 0, 0, 1);
  const std::uint8_t mining = zone->miningValue;
  auto raise = [&](std::uint16_t type) {
    return game.Receive(kMe, Pkt<16>(type).U16(8, kMine >> 3).U16(10, kMine).U16(12, home).U16(14, 0));
  };
  ASSERT_TRUE(raise(PKT_TERRAIN_VIEW_605));
  EXPECT_EQ(zone->miningValue, mining + 1);
  zone->SetAtvCounts(0, 0, 0, 0);
  EXPECT_FALSE(raise(PKT_TERRAIN_VIEW_606)) << "no seed bank left to raise it";
  EndTurn();
  const std::vector<SrvPacket> minedUp = Notices(kMe, 107), stacked = Notices(kMe, 108);
  ASSERT_EQ(minedUp.size(), 1u);
  EXPECT_EQ(ReadU16(minedUp[0], 140), 1);
  EXPECT_EQ(ReadU32(minedUp[0], 144), home);
  ASSERT_EQ(stacked.size(), 1u);
  EXPECT_EQ(ReadU16(stacked[0], 140), 0);
  EXPECT_EQ(ReadU32(stacked[0], 144), home);
  EXPECT_TRUE(Notices(kThem, 107).empty() && Notices(kThem, 108).empty());
}

TEST_F(SrvUnitNotices, AStandingTransferItsSourceCannotPayIsToldItsSender) {
  const std::uint16_t home = World().Chapter(kMine)->homeAsteroid;
  const auto outpost = static_cast<std::uint16_t>((home + 5) % CGSolarDB::GetAsteroidCount());
  Mutable().solar.GetAsteroid(outpost)->owner = kMine;
  const std::uint32_t held = World().poolDB.GetMineral(home, 2);
  auto send = [&](std::uint32_t amount) {
    return game.Receive(kMe, Pkt<20>(PKT_AUTO_TRANSFER)
                                 .U8(8, kMine)
                                 .U8(9, static_cast<std::uint8_t>(home))
                                 .U8(10, static_cast<std::uint8_t>(outpost))
                                 .U8(11, 2)
                                 .U16(12, static_cast<std::uint16_t>(amount))
                                 .U16(14, 2));
  };
  // Beyond what the pool holds, with the turn's mining.
  ASSERT_TRUE(send(held + 5000));
  EndTurn();
  const std::vector<SrvPacket> failed = Notices(kMe, 225, 2);
  ASSERT_EQ(failed.size(), 1u);
  EXPECT_EQ(ReadU16(failed[0], 140), held + 5000);
  EXPECT_EQ(ReadU32(failed[0], 144), 2u);
  EXPECT_EQ(ReadU32(failed[0], 148), std::uint32_t{outpost} << 16 | home);
  ASSERT_TRUE(send(1));
  EndTurn();
  EXPECT_TRUE(Notices(kMe, 225, 2).empty()) << "paid";
}
