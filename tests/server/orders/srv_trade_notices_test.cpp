// The economy's notices a player reads in its strip: shipments arriving
// (kept across a save), mining with nowhere to go, ships recycled, ATV
// builds cut short by a full hold, and vote offers that cannot stand.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "Game/base/GBlockStream.h"
#include "Game/base/Packets.h"
#include "Game/model/GAsteroid.h"
#include "Game/model/GUnit.h"
#include "Game/model/GZone.h"
#include "Game/rules/GGameVar.h"
#include "Game/rules/GUnitTem.h"
#include "server/orders/SrvPacketRead.h"
#include "server/world/SrvWorldSave.h"
#include "tests/server/srv_game_fixture.h"

namespace {

// Chapters 8 and 9 of guild 1, held by players 1 and 2.
struct SrvTradeNotices : SrvGameCase<53> {
  void SetUp() override { StartTestGame(game, {{1, 8}, {2, 9}}, 2); }
  SrvWorld& Mutable() { return const_cast<SrvWorld&>(World()); }
  std::uint16_t Home(std::uint16_t chapter) const { return World().Chapter(chapter)->homeAsteroid; }
  CGUnit* UnitOf(std::uint16_t chapter) const { return World().pieces->GetUnitAt(Home(chapter), chapter, 0); }
  void EndTurn() {
    out.sent.clear();
    EndTestTurn(game, {{1, 8}, {2, 9}});
  }
  bool Order(const CGUnit& unit, const UnitOrder& order) {
    return game.Receive(1, Bytes(BuildOrderPacket(unit.id, order, kInsertReplace)));
  }
  std::vector<SrvPacket> Notices(std::uint32_t player, std::uint16_t code, std::uint16_t category = 2) const {
    std::vector<SrvPacket> found;
    for (const SrvPacket& p : out.Of(player, PKT_NOTIFICATION))
      if (ReadU16(p, 8) == category && ReadU16(p, 10) == code) found.push_back(p);
    return found;
  }
  // Chapter 8's standing transfer of `amount` exotics from its home to `to`, two turns on the way.
  bool Transfer(std::uint16_t to, std::uint16_t amount) {
    return game.Receive(1, Pkt<20>(PKT_AUTO_TRANSFER)
                               .U8(8, 8)
                               .U8(9, static_cast<std::uint8_t>(Home(8)))
                               .U8(10, static_cast<std::uint8_t>(to))
                               .U8(11, 2)
                               .U16(12, amount)
                               .U16(14, 2));
  }
  // Fills the unit's hold but for one place (with mining ATVs).
  static bool LeaveRoomForOne(CGUnit& unit) {
    const std::int32_t room = unit.GetAtvCapacity();
    if (room <= 1) return false;
    unit.atvCargo[1] = static_cast<std::uint8_t>(room - 1);
    return true;
  }
  static UnitOrder TwoCombatAtvs() {
    UnitOrder build;
    build.type = ORDER_BUILD_ATVS;
    build.head[0] = 2;
    return build;
  }
  // An asteroid of chapter 8's besides its home, whose pool has enough to send.
  std::uint16_t Outpost() {
    const auto at = static_cast<std::uint16_t>((Home(8) + 5) % CGSolarDB::GetAsteroidCount());
    Mutable().solar.GetAsteroid(at)->owner = 8;
    Mutable().poolDB.AddMineral(Home(8), 2, 5000);
    return at;
  }
};

std::string FirstText(const SrvPacket& p) {
  const char* text = reinterpret_cast<const char*>(p.data() + 12);
  return std::string(text, strnlen(text, 64));
}

}  // namespace

TEST_F(SrvTradeNotices, AShipmentIsToldItsSenderOnArrivalEvenAcrossASave) {
  const std::uint16_t outpost = Outpost();
  const std::uint32_t before = World().poolDB.GetMineral(outpost, 2);
  ASSERT_TRUE(Transfer(outpost, 7));
  EndTurn();
  EXPECT_TRUE(Notices(1, 206).empty()) << "still on its way";
  const std::string path = Folder() + "shipping.svr";
  ASSERT_TRUE(game.Save(path, 31));
  EndTurn();
  const std::vector<SrvPacket> arrived = Notices(1, 206);
  ASSERT_EQ(arrived.size(), 1u);
  EXPECT_EQ(ReadU16(arrived[0], 140), 7u);
  EXPECT_EQ(ReadU32(arrived[0], 144), 2u) << "the mineral";
  EXPECT_EQ(ReadU32(arrived[0], 148), std::uint32_t{Home(8)} << 16 | outpost) << "from where, to where";
  EXPECT_EQ(World().poolDB.GetMineral(outpost, 2), before + 7);
  EXPECT_TRUE(Notices(2, 206).empty());

  // Loaded back, the shipment on its way still knows whom to tell.
  ASSERT_TRUE(game.Load(path, 31));
  EndTurn();
  ASSERT_EQ(Notices(1, 206).size(), 1u);
  EXPECT_EQ(ReadU32(Notices(1, 206)[0], 148), std::uint32_t{Home(8)} << 16 | outpost);

  // An outpost lost on the way does not take the minerals: they come back
  // to the source, the line naming the outpost they turned back at.
  ASSERT_TRUE(Transfer(outpost, 5));
  EndTurn();
  Mutable().solar.GetAsteroid(outpost)->owner = 9;
  const std::uint32_t atOutpost = World().poolDB.GetMineral(outpost, 2);
  const std::uint32_t atHome = World().poolDB.GetMineral(Home(8), 2);
  EndTurn();
  EXPECT_EQ(World().poolDB.GetMineral(outpost, 2), atOutpost) << "not the taker's";
  EXPECT_EQ(World().poolDB.GetMineral(Home(8), 2), atHome + 5);
  ASSERT_EQ(Notices(1, 206).size(), 1u);
  EXPECT_EQ(ReadU16(Notices(1, 206)[0], 140), 5u);
  EXPECT_EQ(ReadU32(Notices(1, 206)[0], 148), std::uint32_t{outpost} << 16 | Home(8));
  EXPECT_TRUE(Notices(2, 206).empty());

  // With its source and home lost too, the sender is told the shipment is lost.
  Mutable().solar.GetAsteroid(outpost)->owner = 8;
  ASSERT_TRUE(Transfer(outpost, 6));
  EndTurn();
  Mutable().solar.GetAsteroid(outpost)->owner = 9;
  Mutable().solar.GetAsteroid(Home(8))->owner = 9;
  const std::uint32_t takersHome = World().poolDB.GetMineral(Home(8), 2);
  EndTurn();
  EXPECT_EQ(World().poolDB.GetMineral(outpost, 2), atOutpost);
  EXPECT_EQ(World().poolDB.GetMineral(Home(8), 2), takersHome);
  EXPECT_TRUE(Notices(1, 206).empty());
  ASSERT_EQ(Notices(1, 227).size(), 1u);
  EXPECT_EQ(ReadU16(Notices(1, 227)[0], 140), outpost);
}

// A file written before shipments named their sender still loads: its
// shipments arrive, told to nobody.
TEST_F(SrvTradeNotices, AnOlderFilesShipmentsArriveUntold) {
  const std::uint16_t outpost = Outpost();
  ASSERT_TRUE(Transfer(outpost, 4321));
  EndTurn();
  ASSERT_EQ(World().inTransit.size(), 1u);
  ASSERT_EQ(World().inTransit[0].sender, 8u);
  std::vector<std::uint8_t> block;
  BlockWriter w(&block);
  ASSERT_TRUE(SrvSaveWorldState(World(), w));
  // The shipment's record: destination, mineral, amount, arrival turn, then the sender and source.
  const SrvTransferInTransit& t = World().inTransit[0];
  const std::uint8_t record[] = {t.destination,
                                 t.mineral,
                                 0xE1,
                                 0x10,
                                 static_cast<std::uint8_t>(t.arrivalTurn),
                                 static_cast<std::uint8_t>(t.arrivalTurn >> 8),
                                 0,
                                 0,
                                 8,
                                 static_cast<std::uint8_t>(Home(8))};
  const auto at = std::search(block.begin(), block.end(), std::begin(record), std::end(record));
  ASSERT_NE(at, block.end());
  std::vector<std::uint8_t> older(block.begin(), at + 8);
  older.insert(older.end(), at + 10, block.end());

  BlockReader shortRead(older);
  EXPECT_FALSE(SrvLoadWorldState(Mutable(), shortRead)) << "read as this version's, it falls short";
  BlockReader r(older);
  ASSERT_TRUE(SrvLoadWorldState(Mutable(), r, kSrvFileVersionWithoutSenders));
  ASSERT_EQ(World().inTransit.size(), 1u);
  EXPECT_EQ(World().inTransit[0].sender, kSrvNoSender);
  EXPECT_EQ(World().inTransit[0].amount, 4321u);
  const std::uint32_t before = World().poolDB.GetMineral(outpost, 2);
  EndTurn();
  EXPECT_EQ(World().poolDB.GetMineral(outpost, 2), before + 4321);
  EXPECT_TRUE(Notices(1, 206).empty());
}

TEST_F(SrvTradeNotices, MiningWithNoPoolOfItsMinersIsToldLostInsteadOfGivenToAnother) {
  const CGameVariables saved = g_gameVariables;
  g_gameVariables = CGameVariables("ATV_TECH_LEVELS=1 0 0 3 1 0 0 . .\n");
  World().Chapter(8)->SetATVTechLevels(255, 0);
  g_gameVariables = saved;
  const std::uint16_t home = Home(8);
  EndTurn();
  EXPECT_TRUE(Notices(1, 227).empty()) << "mined into its home pool";

  // Its home taken, the asteroid's pool is the taker's: chapter 8's zones
  // there mine into nothing.
  CGAsteroid* a = Mutable().solar.GetAsteroid(home);
  a->owner = 9;
  std::uint32_t held[4];
  World().poolDB.GetMinerals(home, held);
  EndTurn();
  std::uint32_t after[4];
  World().poolDB.GetMinerals(home, after);
  for (int m = 0; m < 4; ++m) EXPECT_EQ(after[m], held[m]) << m;
  const std::vector<SrvPacket> lost = Notices(1, 227);
  ASSERT_EQ(lost.size(), 1u) << "once for the asteroid";
  EXPECT_EQ(ReadU16(lost[0], 140), home);
  EXPECT_TRUE(Notices(2, 227).empty());
}

TEST_F(SrvTradeNotices, AShipTakenApartAndAtvsBuiltShortAreToldTheirOwner) {
  CGUnit* builder = UnitOf(8);
  const std::uint32_t firstId = builder->id;
  const std::uint32_t design = World().templates->GetTemplate(8, 0, 1)->templateId;
  ASSERT_TRUE(Order(*builder, Ordered(ORDER_BUILD_SHIP, {design, kNoTargetId})));
  for (int t = 0; t < 30 && builder->GetOrderCount() > 0; ++t) EndTurn();
  CGUnit* ship = nullptr;
  World().ForEachUnit([&](CGUnit& u) {
    if (u.GetChapter() == 8 && u.id != firstId) ship = &u;
  });
  ASSERT_NE(ship, nullptr);
  std::uint32_t cost[5] = {};
  ship->GetTemplate()->GetCost32(cost);
  const std::uint32_t shipId = ship->id;
  ASSERT_TRUE(Order(*builder, Ordered(ORDER_SCRAP_UNIT, {shipId})));
  std::vector<SrvPacket> recycled;
  for (int t = 0; t < 30 && builder->GetOrderCount() > 0; ++t) {
    EndTurn();
    for (const SrvPacket& p : Notices(1, 219)) recycled.push_back(p);
  }
  ASSERT_EQ(recycled.size(), 1u);
  EXPECT_EQ(ReadU16(recycled[0], 140), cost[0] / 2);
  EXPECT_EQ(ReadU32(recycled[0], 144), (cost[2] / 2) << 16 | (cost[1] / 2));
  EXPECT_EQ(FirstText(recycled[0]), std::to_string(cost[3] / 2));
  EXPECT_EQ(ReadU32(recycled[0], 148), shipId) << "the ship taken apart";

  // One free place in the hold for two ATVs ordered: one is built, and said so.
  ASSERT_TRUE(LeaveRoomForOne(*builder));
  const UnitOrder build = TwoCombatAtvs();
  ASSERT_TRUE(Order(*builder, build));
  std::vector<SrvPacket> built, reduced;
  for (int t = 0; t < 20 && builder->GetOrderCount() > 0; ++t) {
    EndTurn();
    for (const SrvPacket& p : Notices(1, 113, 1)) built.push_back(p);
    for (const SrvPacket& p : Notices(1, 220)) reduced.push_back(p);
  }
  EXPECT_EQ(builder->atvCargo[0], 1);
  ASSERT_EQ(built.size(), 1u);
  EXPECT_EQ(ReadU32(built[0], 148), 1u << 24) << "counts what was built";
  EXPECT_EQ(ReadU16(built[0], 140) & 0xFF, 0) << "built, not a zone's production halted";
  const std::uint32_t zones = World().solar.GetAsteroid(builder->location.asteroid)->GetZoneCount();
  EXPECT_GE(ReadU16(built[0], 140) >> 8, zones) << "no zone's production takes the hold's counts";
  EXPECT_EQ(FirstText(built[0]), "1") << "the count the player reads";
  const std::uint32_t at = builder->location.asteroid;
  EXPECT_EQ(ReadU32(built[0], 144), at << 16 | at) << "the asteroid named and the one a double click goes to";
  ASSERT_EQ(reduced.size(), 1u);
  EXPECT_EQ(ReadU32(reduced[0], 148), firstId);

  // Room for all: no such notice.
  builder->atvCargo = {};
  ASSERT_TRUE(Order(*builder, build));
  reduced.clear();
  for (int t = 0; t < 20 && builder->GetOrderCount() > 0; ++t) {
    EndTurn();
    for (const SrvPacket& p : Notices(1, 220)) reduced.push_back(p);
  }
  EXPECT_EQ(builder->atvCargo[0], 2);
  EXPECT_TRUE(reduced.empty());
}

// A ship taken apart in solar space fills its chapter's home pool, not the
// pool of an asteroid nobody has; with no home left nothing comes back, and
// the line says so.
TEST_F(SrvTradeNotices, AShipTakenApartInSolarSpaceIsStoredAtHomeOrLost) {
  const auto space = static_cast<std::uint16_t>(CGSolarDB::GetAsteroidCount());
  CGUnitTemplate* scrapped = World().templates->GetTemplate(8, 0, 1);
  std::uint32_t cost[5] = {};
  scrapped->GetCost32(cost);
  ASSERT_GT(cost[0] / 2, 0u);
  const auto takeApart = [&](std::int16_t x) {
    const Location at{space, x, 0, 0};
    CGUnit* builder = Mutable().CreateUnit(8, UnitOf(8)->design, at);
    CGUnit* ship = Mutable().CreateUnit(8, scrapped, at);
    if (builder == nullptr || ship == nullptr || !Order(*builder, Ordered(ORDER_SCRAP_UNIT, {ship->id})))
      return std::vector<SrvPacket>{};
    const std::uint32_t id = builder->id;
    std::vector<SrvPacket> recycled;
    for (int t = 0; t < 30 && recycled.empty(); ++t) {
      builder = World().pieces->FindUnit(id, nullptr);
      if (builder != nullptr) builder->power = builder->GetMaxPower();
      EndTurn();
      for (const SrvPacket& p : Notices(1, 219)) recycled.push_back(p);
    }
    return recycled;
  };
  const std::uint32_t before = World().poolDB.GetMineral(Home(8), 0);
  const std::vector<SrvPacket> stored = takeApart(9000);
  ASSERT_EQ(stored.size(), 1u);
  EXPECT_EQ(ReadU16(stored[0], 140), cost[0] / 2);
  EXPECT_EQ(World().poolDB.GetMineral(space, 0), 0u) << "nobody's pool";
  EXPECT_GE(World().poolDB.GetMineral(Home(8), 0), before + cost[0] / 2);

  Mutable().solar.GetAsteroid(Home(8))->owner = 9;
  const std::vector<SrvPacket> lost = takeApart(-9000);
  ASSERT_EQ(lost.size(), 1u);
  EXPECT_EQ(ReadU16(lost[0], 140), 0u);
  EXPECT_EQ(ReadU32(lost[0], 144), 0u);
  EXPECT_EQ(FirstText(lost[0]), "0");
  EXPECT_EQ(World().poolDB.GetMineral(space, 0), 0u);
}

// Two combat ATVs paid for and room for one: the one the hold could not take
// is paid back when the build ends, not kept.
TEST_F(SrvTradeNotices, AnAtvTheHoldCouldNotTakeIsPaidBack) {
  const CGameVariables before = g_gameVariables;
  std::fill_n(g_gameVariables.atvCosts[0], 5, std::int16_t{0});
  g_gameVariables.atvCosts[0][4] = 7;  // credits only: the pools mine every turn
  CGUnit* builder = UnitOf(8);
  ASSERT_TRUE(LeaveRoomForOne(*builder));
  const UnitOrder build = TwoCombatAtvs();
  const std::uint32_t unpaid = World().Chapter(8)->credits;
  ASSERT_TRUE(Order(*builder, build));
  const std::uint32_t paid = World().Chapter(8)->credits;
  EXPECT_EQ(unpaid - paid, 2u * 3 * 7);
  int turns = 0;
  for (; turns < 20 && builder->GetOrderCount() > 0; ++turns) EndTurn();
  ASSERT_EQ(builder->atvCargo[0], 1);
  const std::uint32_t built = World().Chapter(8)->credits;
  EndTurn();
  const std::uint32_t income = World().Chapter(8)->credits - built;
  EXPECT_EQ(built - paid, static_cast<std::uint32_t>(turns) * income + 3 * 7);
  g_gameVariables = before;
}

// A vote its poster does not hold cannot be offered: the poster reads why
// at once, and the boards show nothing.
TEST_F(SrvTradeNotices, AVoteOfferThatCannotStandIsToldItsPoster) {
  const std::uint16_t theirs = Home(9);
  out.sent.clear();
  EXPECT_FALSE(game.Receive(1, Pkt<32>(PKT_VOTE_OFFER_POSTED).U16(8, 1).U8(12, static_cast<std::uint8_t>(theirs))));
  ASSERT_EQ(Notices(1, 215).size(), 1u);
  EXPECT_EQ(ReadU16(Notices(1, 215)[0], 140), theirs);
  EXPECT_TRUE(Notices(1, 212).empty());
  EXPECT_EQ(out.Count(PKT_VOTE_OFFER_POSTED), 0u);
  // Its own home's vote it may offer.
  ASSERT_TRUE(game.Receive(1, Pkt<32>(PKT_VOTE_OFFER_POSTED).U16(8, 1).U8(12, static_cast<std::uint8_t>(Home(8)))));
  EXPECT_TRUE(Notices(1, 215).size() == 1u) << "no more of them";
  EXPECT_EQ(Notices(1, 212).size(), 1u);
}
