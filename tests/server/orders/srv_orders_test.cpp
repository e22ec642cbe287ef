// Orders through the server's game as a player sends them: refused when they
// are not the sender's to give, carried out at the turn's end by the rules the
// client predicts with.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "Game/base/Packets.h"
#include "Game/model/GAsteroid.h"
#include "Game/model/GChapter.h"
#include "Game/model/GTerrainRec.h"
#include "Game/model/GUnit.h"
#include "Game/model/GUnitModules.h"
#include "Game/model/GZone.h"
#include "Game/model/GameWorld.h"
#include "Game/rules/GGameVar.h"
#include "Game/rules/GUnitTem.h"
#include "server/SrvGame.h"
#include "server/ai/SrvChapterState.h"
#include "server/battle/SrvTerrainBattle.h"
#include "server/orders/SrvOrders.h"
#include "server/orders/SrvPacketRead.h"
#include "server/orders/SrvUnitPackets.h"
#include "server/trade/SrvBoardPackets.h"
#include "server/trade/SrvTransitTurns.h"
#include "server/world/SrvFog.h"
#include "tests/server/srv_game_fixture.h"
#include "tests/support/test_world.h"

namespace {

// One player holding chapter 8 (guild 1) of a game of two chapters per guild.
struct SrvOrders : SrvGameCase<41> {
  static constexpr std::uint16_t kMine = 8;

  void SetUp() override {
    // The fog-of-war presets, levels 0 (off) to 2.
    const std::uint16_t fogPresets[3][6] = {{0, 0, 0, 0, 0, 0}, {1, 1, 1, 1, 0, 0}, {2, 2, 1, 1, 1, 1}};
    SrvSetup settings;
    for (int k = 0; k < 6; ++k) settings.settings.SetU16(36 + 2 * k, fogPresets[FogLevel()][k]);
    StartTestGame(game, {{7, kMine}}, 2, &settings);
  }

  virtual int FogLevel() const { return 0; }
  CGUnit* UnitOf(std::uint16_t chapter) const {
    const std::uint16_t home = World().Chapter(chapter)->homeAsteroid;
    return World().pieces->GetUnitAt(home, chapter, 0);
  }
  void EndTurn() { EndTestTurn(game, {{7, kMine}}); }
  bool Order(const CGUnit& unit, const UnitOrder& order, std::uint8_t mode = kInsertReplace) {
    return game.Receive(7, Bytes(BuildOrderPacket(unit.id, order, mode)));
  }
  std::uint16_t OtherAsteroid(const CGUnit& unit) const {
    return static_cast<std::uint16_t>((unit.location.asteroid + 7) % CGSolarDB::GetAsteroidCount());
  }
  // A ship of the chapter's second design, built by `builder` where it stands;
  // null when the order is refused or nothing came of it in 30 turns.
  CGUnit* BuildShip(CGUnit& builder) {
    const std::uint32_t design = World().templates->GetTemplate(kMine, 0, 1)->templateId;
    if (!Order(builder, Ordered(ORDER_BUILD_SHIP, {design, kNoTargetId}))) return nullptr;
    for (int t = 0; t < 30 && builder.GetOrderCount() > 0; ++t) EndTurn();
    CGUnit* ship = nullptr;
    World().ForEachUnit([&](CGUnit& u) {
      if (u.GetChapter() == kMine && u.id != builder.id) ship = &u;
    });
    return ship;
  }
  // A design of the chapter's out of its slots, a hull with one module; its
  // id, or kNoTargetId when the designs refuse it.
  std::uint32_t AddLighterDesign() {
    auto lighter = std::make_unique<CGUnitTemplate>(static_cast<std::uint8_t>(kMine), -1);
    lighter->SetHull(World().hulls->GetHull(1, 0));
    lighter->FitModule(0, 0);
    const std::uint32_t id = lighter->templateId;
    return World().templates->AddTemplate(lighter.release(), kMine) == 1 ? id : kNoTargetId;
  }
};

UnitOrder MoveTo(std::uint16_t asteroid) { return Ordered(ORDER_MOVE_TO_ASTEROID, {asteroid}); }

}  // namespace

TEST_F(SrvOrders, EveryChapterStartsWithItsDesignsAndAUnitTheClientsAreSent) {
  for (std::uint16_t c : {0, 1, 8, 33}) {
    ASSERT_NE(World().templates->GetTemplate(c, 0, 1), nullptr) << c;
    const CGUnit* unit = UnitOf(c);
    ASSERT_NE(unit, nullptr) << c;
    EXPECT_EQ(unit->GetChapter(), c);
    EXPECT_GT(unit->GetDeepSpaceSpeed(), 0);
    EXPECT_GT(unit->GetConstructionCapacity(), 0);
  }
  EXPECT_EQ(World().Chapter(2), nullptr);
  std::vector<std::uint16_t> types;
  for (const Sent& s : out.sent) types.push_back(s.Type());
  const auto firstDesign = std::find(types.begin(), types.end(), PKT_TEMPLATE);
  const auto firstUnit = std::find(types.begin(), types.end(), PKT_UNIT);
  ASSERT_NE(firstDesign, types.end());
  EXPECT_LT(std::find(types.begin(), types.end(), PKT_CHAPTER_START), firstDesign);
  EXPECT_LT(firstDesign, firstUnit);
  EXPECT_LT(firstUnit, std::find(types.begin(), types.end(), PKT_CREDITS));
  EXPECT_EQ(out.Count(PKT_UNIT), 10u) << "one unit for each of the ten chapters";
  const SrvPacket* standings = out.First(PKT_TURN_STANDINGS);
  ASSERT_NE(standings, nullptr);
  EXPECT_EQ(ReadU16(*standings, 12 + 8 * kMine), 1) << "the chapter's ships";
  EXPECT_EQ(ReadU16(*standings, 12 + 8 * 2), 0) << "a chapter not in the game";
}

TEST_F(SrvOrders, ATripEndsInTheTurnsTheModelPredictedAndItsOwnerIsToldEachStage) {
  CGUnit* unit = UnitOf(kMine);
  const std::uint32_t id = unit->id;
  const std::uint16_t target = OtherAsteroid(*unit);
  std::int32_t failure = 0;
  const std::uint32_t predicted = unit->GetTurnsToAsteroid(target, &failure);
  ASSERT_LT(predicted, kUnreachable);
  ASSERT_TRUE(Order(*unit, MoveTo(target)));
  std::uint32_t turns = 0;
  std::uint16_t at = 0;
  while (World().pieces->FindUnit(id, &at)->location.asteroid != target && turns < 300) {
    out.sent.clear();
    EndTurn();
    ++turns;
  }
  EXPECT_EQ(turns, predicted);
  EXPECT_EQ(World().pieces->FindUnit(id, &at)->GetOrderCount(), 0);
  const SrvPacket* done = out.First(PKT_ORDER_REMOVED);
  ASSERT_NE(done, nullptr);
  EXPECT_EQ(ReadU32(*done, 12), 1u);
}

TEST_F(SrvOrders, AUnitWithoutThePowerItsDrivesTakeStaysAndIsToldWhy) {
  CGUnit* unit = UnitOf(kMine);
  // A second, power-hungry drive in slot 1 (slot 0's takes no power).
  World().modules->GetRecord(0)->powerUse = 200;
  unit->GetTemplate()->slots[1].moduleId = 0;
  unit->power = 0;
  const Location before = unit->location;
  ASSERT_TRUE(Order(*unit, MoveTo(OtherAsteroid(*unit))));
  out.sent.clear();
  EndTurn();
  EXPECT_EQ(unit->GetOrderCount(), 0);
  EXPECT_EQ(std::tie(unit->location.asteroid, unit->location.x), std::tie(before.asteroid, before.x));
  const SrvPacket* told = out.First(PKT_ORDER_REMOVED);
  ASSERT_NE(told, nullptr);
  EXPECT_EQ(static_cast<std::int32_t>(ReadU32(*told, 12)), ORDERFAIL_LACK_POWER);
}

// Where each of a player's packets naming a design stands in what it was
// sent: the design told (200), its values (201), a unit of it (300, 1313).
struct DesignTold {
  std::ptrdiff_t told = -1, values = -1, unit = -1;
  SrvPacket design;
};

DesignTold WhenTold(const std::vector<Sent>& sent, std::uint32_t designId) {
  DesignTold at;
  for (std::size_t i = 0; i < sent.size(); ++i) {
    const SrvPacket& p = sent[i].packet;
    const auto k = static_cast<std::ptrdiff_t>(i);
    const std::uint16_t type = sent[i].Type();
    if (type == PKT_TEMPLATE && ReadU32(p, 8) == designId && at.told < 0) {
      at.told = k;
      at.design = p;
    }
    if (type == PKT_TEMPLATE_VALUES && ReadU32(p, 8) == designId && at.values < 0) at.values = k;
    if ((type == PKT_UNIT || type == PKT_UNIT_RESULT) && ReadU32(p, 24) == designId && at.unit < 0) at.unit = k;
  }
  return at;
}

// Where a client holds the units, as its handlers keep them: its own unit
// arriving where the chapter had none in action drops that asteroid's units.
struct UnitPicture {
  std::uint16_t chapter;
  std::map<std::uint32_t, std::uint16_t> at;
  void Apply(const SrvPacket& p) {
    const std::uint16_t type = ReadU16(p, 0);
    if (type == PKT_UNIT) at[ReadU32(p, 12)] = p[16];
    if (type == PKT_UNIT_RESULT) at[ReadU32(p, 8)] = ReadU16(p, 140);
    if (type == PKT_UNIT_DELETED) at.erase(ReadU32(p, 8));
    if (type != PKT_UNIT_MOVED || at.count(ReadU32(p, 8)) == 0) return;
    const std::uint32_t id = ReadU32(p, 8);
    const std::uint16_t to = p[12];
    auto ownThere = [&] {
      return std::any_of(at.begin(), at.end(),
                         [&](const auto& u) { return u.second == to && GetChapterFromId(u.first) == chapter; });
    };
    if (to < CGSolarDB::GetAsteroidCount() && to != at[id] && GetChapterFromId(id) == chapter && !ownThere())
      std::erase_if(at, [&](const auto& u) { return u.second == to; });
    at[id] = to;
  }
};

TEST_F(SrvOrders, AClientArrivingWhereItHadNobodyIsToldTheUnitsThere) {
  CGUnit* unit = UnitOf(kMine);
  const std::uint16_t there = World().Chapter(1)->homeAsteroid;
  std::int32_t failure = 0;
  ASSERT_LT(unit->GetTurnsToAsteroid(there, &failure), kUnreachable);
  // Chapter 1's starting ships fly a design out of its slots, which the
  // client lets go with the last of them it saw.
  auto copy = std::make_unique<CGUnitTemplate>(1, -1);
  copy->CopyDesign(*UnitOf(1)->GetTemplate(), 1);
  CGUnitTemplate* loose = copy.get();
  ASSERT_EQ(World().templates->AddTemplate(copy.release(), 1), 1);
  for (int i = 0; i < 3; ++i)
    if (CGUnit* ship = World().pieces->GetUnitAt(there, 1, i)) ship->SetTemplate(loose, true);
  ASSERT_TRUE(Order(*unit, MoveTo(there)));
  std::size_t lastTurn = 0;
  for (int t = 0; t < 100 && unit->location.asteroid != there; ++t) {
    lastTurn = out.sent.size();
    EndTurn();
  }
  ASSERT_EQ(unit->location.asteroid, there);
  UnitPicture picture{kMine, {}};
  for (const Sent& s : out.sent) picture.Apply(s.packet);
  std::size_t others = 0, flyingLoose = 0;
  World().ForEachUnit([&](const CGUnit& u) {
    if (u.location.asteroid != there) return;
    others += u.GetChapter() != kMine ? 1 : 0;
    flyingLoose += u.GetTemplate() == loose ? 1 : 0;
    EXPECT_EQ(picture.at.count(u.id) != 0 ? picture.at[u.id] : 0xFFFF, there) << "unit " << u.id;
  });
  EXPECT_GT(others, 0u);
  ASSERT_GT(flyingLoose, 0u);
  std::vector<Sent> arrival;
  std::copy_if(out.sent.begin() + static_cast<std::ptrdiff_t>(lastTurn), out.sent.end(), std::back_inserter(arrival),
               [](const Sent& s) { return s.to == 7; });
  const DesignTold told = WhenTold(arrival, loose->templateId);
  ASSERT_GE(told.unit, 0);
  EXPECT_GE(told.told, 0) << "the design is told anew";
  EXPECT_LT(told.told, told.values);
  EXPECT_LT(told.values, told.unit);
}

// The same game under the fog of war's first preset: ships seen in range only.
struct SrvFogOfWar : SrvOrders {
  int FogLevel() const override { return 1; }
  std::set<std::uint32_t> Seen(const SrvFogRules& fog) const { return SrvVisibleUnits(World(), fog, kMine); }
  std::set<std::uint32_t> Told(const UnitPicture& picture) const {
    std::set<std::uint32_t> ids;
    for (const auto& [id, at] : picture.at)
      if (GetChapterFromId(id) != kMine) ids.insert(id);
    return ids;
  }
};

TEST_F(SrvFogOfWar, AChapterIsToldTheOthersUnitsOnlyWhileItSeesThem) {
  const SrvFogRules fog{1, 1};
  UnitPicture picture{kMine, {}};
  for (const Sent& s : out.sent) picture.Apply(s.packet);
  EXPECT_EQ(Told(picture), Seen(fog));
  EXPECT_LT(Told(picture).size(), 9u) << "the other chapters' homes lie out of sight";

  // A trip to another home and back: whatever comes into sight or leaves it is told.
  CGUnit* unit = UnitOf(kMine);
  const std::uint32_t watched = UnitOf(1)->id;
  auto trip = [&](std::uint16_t to) {
    ASSERT_TRUE(Order(*unit, MoveTo(to)));
    for (int t = 0; t < 100 && unit->location.asteroid != to; ++t) {
      out.sent.clear();
      EndTurn();
      for (const Sent& s : out.sent) picture.Apply(s.packet);
      ASSERT_EQ(Told(picture), Seen(fog)) << "turn " << t;
    }
    ASSERT_EQ(unit->location.asteroid, to);
  };
  const std::uint16_t home = unit->location.asteroid;
  trip(World().Chapter(1)->homeAsteroid);
  EXPECT_EQ(Told(picture).count(watched), 1u);
  trip(home);
  EXPECT_EQ(Told(picture).count(watched), 0u);
}

// What is told of a unit out of sight is held back, all but its deletion,
// which every chapter hears: its client drops an id it never held.
TEST_F(SrvFogOfWar, OfAUnitOutOfSightOnlyItsDeletionPasses) {
  const SrvFogRules fog{1, 1};
  const CGUnit& theirs = *UnitOf(1);
  ASSERT_EQ(Seen(fog).count(theirs.id), 0u);
  SrvUnitSight sight;
  sight.Reset(World(), fog);
  std::vector<SrvPacket> queue = {BuildUnitMovedPacket(theirs),         BuildUnitPowerPacket(theirs),
                                  BuildAtvCargoPacket(theirs),          BuildOrderStagePacket(theirs, 0),
                                  BuildUnitResultPacket(theirs),        BuildUnitDeletedPacket(theirs.id),
                                  BuildOrderRemovedPacket(theirs.id, 1)};
  sight.Filter(World(), fog, kMine, queue);
  std::vector<std::uint16_t> types;
  for (const SrvPacket& p : queue) types.push_back(ReadU16(p, 0));
  EXPECT_EQ(types, (std::vector<std::uint16_t>{PKT_UNIT_DELETED, PKT_ORDER_REMOVED}));
}

TEST_F(SrvFogOfWar, InSolarSpaceShipsAreSeenWithinRangeOrAlwaysOrNever) {
  CGUnit* mine = UnitOf(kMine);
  CGUnit* theirs = UnitOf(0);
  const std::uint16_t space = CGSolarDB::GetAsteroidCount();
  const Location here{space, 20000, 20000, 0}, near{space, 20000 + kSrvSightRange - 1, 20000, 0},
      far{space, 20000 + kSrvSightRange, 20000, 0};
  mine->SetLocation(&here);
  theirs->SetLocation(&near);
  EXPECT_EQ(Seen({1, 1}).count(theirs->id), 1u);
  EXPECT_EQ(Seen({2, 0}).count(theirs->id), 0u) << "never in transit";
  theirs->SetLocation(&far);
  EXPECT_EQ(Seen({1, 1}).count(theirs->id), 0u);
  EXPECT_EQ(Seen({0, 1}).count(theirs->id), 1u) << "always in transit";
  // At an asteroid: where the chapter is present, else by the second setting.
  const Location away{UnitOf(1)->location.asteroid, 0, 0, 0};
  theirs->SetLocation(&away);
  EXPECT_EQ(Seen({0, 2}).count(theirs->id), 0u);
  mine->SetLocation(&away);
  EXPECT_EQ(Seen({2, 2}).count(theirs->id), 1u);
}

// An order put before a trip's last turn does not take over its countdown.
TEST_F(SrvOrders, AnOrderPutFirstCannotRideTheLastTurnOfATrip) {
  CGUnit* unit = UnitOf(kMine);
  const std::uint16_t home = unit->location.asteroid;
  const std::uint16_t target = OtherAsteroid(*unit);
  std::int32_t failure = 0;
  const std::uint32_t predicted = unit->GetTurnsToAsteroid(target, &failure);
  ASSERT_GE(predicted, 3u);
  ASSERT_LT(predicted, kUnreachable);
  ASSERT_TRUE(Order(*unit, MoveTo(target)));
  for (std::uint32_t t = 0; t + 1 < predicted; ++t) EndTurn();
  ASSERT_EQ(unit->stage, 1);
  std::uint16_t far = home;
  for (std::uint16_t a = 0; a < CGSolarDB::GetAsteroidCount() && far == home; ++a) {
    const std::uint32_t turns = unit->GetTurnsToAsteroid(a, &failure);
    if (a != target && a != home && turns >= 2 && turns < kUnreachable) far = a;
  }
  ASSERT_NE(far, home);
  Order(*unit, MoveTo(far), kInsertFront);
  EndTurn();
  EXPECT_NE(unit->location.asteroid, far);
}

TEST_F(SrvOrders, BuildingPaysAtOnceAndCompletesInThePredictedTurns) {
  CGUnit* unit = UnitOf(kMine);
  const std::uint16_t home = unit->location.asteroid;
  std::uint32_t before[4];
  World().poolDB.GetMinerals(home, before);
  // ATVs (1, 0, 2, 0) cost three times kind 0's and twice kind 2's price.
  UnitOrder atvs;
  atvs.type = ORDER_BUILD_ATVS;
  atvs.head[0] = 1;
  atvs.head[2] = 2;
  ASSERT_TRUE(Order(*unit, atvs));
  std::int16_t k0[5], k2[5];
  g_gameVariables.GetATVCosts(0, k0);
  g_gameVariables.GetATVCosts(2, k2);
  std::uint32_t after[4];
  World().poolDB.GetMinerals(home, after);
  for (int m = 0; m < 4; ++m) EXPECT_EQ(before[m] - after[m], 3u * (k0[m] + 2u * k2[m])) << m;
  const std::uint16_t predicted = unit->GetNumTurnsUntilOrderCompletion(nullptr);
  ASSERT_LT(predicted, 100);
  for (std::uint16_t t = 0; t < predicted; ++t) {
    EXPECT_EQ(unit->atvCargo[0], 0) << "turn " << t;
    EndTurn();
  }
  EXPECT_EQ(unit->atvCargo[0], 1);
  EXPECT_EQ(unit->atvCargo[2], 2);

  // A ship of the chapter's first design.
  const CGUnitTemplate* design = World().templates->GetTemplate(kMine, 0, 1);
  ASSERT_TRUE(Order(*unit, Ordered(ORDER_BUILD_SHIP, {design->templateId, kNoTargetId})));
  const std::uint16_t shipTurns = unit->GetNumTurnsUntilOrderCompletion(nullptr);
  ASSERT_LT(shipTurns, 100);
  const std::uint32_t units = World().pieces->CountOwnerUnits(kMine, false);
  for (std::uint16_t t = 0; t + 1 < shipTurns; ++t) EndTurn();
  EXPECT_EQ(World().pieces->CountOwnerUnits(kMine, false), units);
  EndTurn();
  EXPECT_EQ(World().pieces->CountOwnerUnits(kMine, false), units + 1);
}

TEST_F(SrvOrders, OrdersThatAreNotTheSendersOrDoNotFitAreRefusedAndChangeNothing) {
  CGUnit* theirs = UnitOf(0);
  CGUnit* mine = UnitOf(kMine);
  EXPECT_FALSE(Order(*theirs, MoveTo(OtherAsteroid(*theirs)))) << "another chapter's unit";
  EXPECT_EQ(theirs->GetOrderCount(), 0);
  CGUnit ghost;
  ghost.id = (kMine << 26) | 0x3FFFFFF;
  EXPECT_FALSE(Order(ghost, MoveTo(1))) << "no such unit";
  EXPECT_FALSE(Order(*mine, MoveTo(CGSolarDB::GetAsteroidCount()))) << "no such asteroid";
  EXPECT_FALSE(Order(*mine, MoveTo(1), 3)) << "no such insert mode";
  EXPECT_FALSE(Order(*mine, Ordered(ORDER_STUNNED))) << "the server's own state";
  auto cut = Bytes(BuildOrderPacket(mine->id, MoveTo(1), kInsertReplace));
  cut.resize(100);
  EXPECT_FALSE(game.Receive(7, cut));
  EXPECT_EQ(mine->GetOrderCount(), 0);

  // A build the pool cannot pay takes nothing.
  const std::uint16_t home = mine->location.asteroid;
  const std::uint32_t empty[4] = {};
  const_cast<SrvWorld&>(World()).poolDB.SetMinerals(home, empty);
  const UnitOrder ship = Ordered(ORDER_BUILD_SHIP, {World().templates->GetTemplate(kMine, 0, 1)->templateId});
  const std::uint32_t credits = World().Chapter(kMine)->credits;
  out.sent.clear();
  EXPECT_FALSE(Order(*mine, ship));
  EXPECT_EQ(World().Chapter(kMine)->credits, credits);
  EXPECT_EQ(mine->GetOrderCount(), 0);
  // The client queued it already: it is told to drop it, with the reason.
  ASSERT_EQ(out.sent.size(), 1u);
  EXPECT_EQ(out.sent[0].Type(), PKT_ORDER_REMOVED);
  EXPECT_EQ(static_cast<std::int32_t>(ReadU32(out.sent[0].packet, 12)), ORDERFAIL_LACK_MINERALS);
  // Behind an order the server holds, a refused one cannot be told apart: nothing is sent.
  ASSERT_TRUE(Order(*mine, MoveTo(OtherAsteroid(*mine))));
  out.sent.clear();
  EXPECT_FALSE(Order(*mine, ship, kInsertAppend));
  EXPECT_TRUE(out.sent.empty());
  EXPECT_EQ(mine->GetOrderCount(), 1);
  // Another guild's research and another chapter's transfer.
  EXPECT_FALSE(game.Receive(7, Pkt<16>(PKT_MODULE_ALLOCATION).U8(8, 3).U16(10, 4).U16(12, 100)));
  EXPECT_FALSE(game.Receive(7, Pkt<16>(PKT_MODULE_ALLOCATION).U16(10, 4).U16(12, 30))) << "not a step of 25";
  EXPECT_FALSE(game.Receive(7, Pkt<20>(PKT_AUTO_TRANSFER).U32(16, 1)));
}

TEST_F(SrvOrders, MiningFillsTheHomePoolAndResearchFinishesAndIsTold) {
  // Mining ATVs of guild 1 dig one unit of each mix percent at level 0.
  const CGameVariables saved = g_gameVariables;
  g_gameVariables = CGameVariables("ATV_TECH_LEVELS=1 0 0 3 1 0 0 . .\n");
  World().Chapter(kMine)->SetATVTechLevels(255, 0);
  g_gameVariables = saved;
  const std::uint16_t home = World().Chapter(kMine)->homeAsteroid;
  std::uint16_t expected[4] = {};
  const CGAsteroid* a = World().solar.GetAsteroid(home);
  for (std::uint16_t z = 0; z < a->GetZoneCount(); ++z) {
    std::uint16_t o[4] = {};
    if (a->GetZone(z)->owner != kMine) continue;
    a->GetZone(z)->GetMiningOutput(&o[0], &o[1], &o[2], &o[3]);
    for (int m = 0; m < 4; ++m) expected[m] = static_cast<std::uint16_t>(expected[m] + o[m]);
  }
  ASSERT_GT(expected[0] + expected[1] + expected[2] + expected[3], 0);
  std::uint32_t before[4];
  World().poolDB.GetMinerals(home, before);

  ASSERT_TRUE(game.Receive(7, Pkt<16>(PKT_MODULE_ALLOCATION).U16(10, 4).U16(12, 100)));
  EndTurn();
  std::uint32_t after[4];
  World().poolDB.GetMinerals(home, after);
  for (int m = 0; m < 4; ++m) EXPECT_EQ(after[m] - before[m], expected[m]) << m;
  out.sent.clear();
  for (int t = 0; t < 4; ++t) EndTurn();
  EXPECT_EQ(out.Count(PKT_MODULE_RESEARCH_DONE), 1u);
  EXPECT_GE(out.Count(PKT_MODULE_RESEARCH), 3u) << "the progress of the turns before";
  EXPECT_EQ(World().research[1].modulePoints[4], kResearched);
  EXPECT_EQ(World().research[1].modulePercent[4], 0u) << "a finished research takes no more effort";
}

TEST_F(SrvOrders, AGameSavedWithAUnitUnderwayLoadsBackAndArrivesTheSameTurn) {
  CGUnit* unit = UnitOf(kMine);
  const std::uint32_t id = unit->id;
  const std::uint16_t target = OtherAsteroid(*unit);
  std::int32_t failure = 0;
  const std::uint32_t predicted = unit->GetTurnsToAsteroid(target, &failure);
  ASSERT_GT(predicted, 2u);
  ASSERT_TRUE(Order(*unit, MoveTo(target)));
  EndTurn();
  const std::string path = Folder() + "underway.svr";
  ASSERT_TRUE(game.Save(path, 77));
  std::uint16_t at = 0;
  const std::uint8_t stage = World().pieces->FindUnit(id, &at)->stage;
  const std::uint32_t units = World().pieces->CountOwnerUnits(kMine, false);
  EndTurn();
  ASSERT_TRUE(game.Load(path, 77));
  EXPECT_EQ(World().turn, 1u);
  CGUnit* back = World().pieces->FindUnit(id, &at);
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->stage, stage);
  EXPECT_EQ(back->GetOrderCount(), 1);
  EXPECT_EQ(World().pieces->CountOwnerUnits(kMine, false), units);
  EXPECT_NE(World().templates->GetTemplate(kMine, 0, 1), nullptr);
  for (std::uint32_t t = 1; t < predicted; ++t) EndTurn();
  EXPECT_EQ(World().pieces->FindUnit(id, &at)->location.asteroid, target);
}

TEST_F(SrvOrders, AtvsSentToAFreeZoneHoldItAfterTheTurnAndOnlyTheHoldersAtvsGo) {
  const std::uint16_t home = World().Chapter(kMine)->homeAsteroid;
  const CGAsteroid* a = World().solar.GetAsteroid(home);
  const CGZone* from = a->GetZone(1);
  const CGZone* to = a->GetZone(3);
  ASSERT_EQ(from->owner, kMine);
  ASSERT_EQ(from->atvCounts[ATV_COMBAT], 2);
  ASSERT_EQ(to->owner, kZoneNobody);
  auto move = [&](std::uint16_t chapter, std::uint16_t source, std::uint16_t count) {
    auto p = Pkt<20>(PKT_ZONE_ARRIVING_ATVS).U16(8, home).U16(10, 3).U16(12, source).U16(14, chapter);
    return game.Receive(7, p.U16(18, count));
  };
  EXPECT_FALSE(move(kMine, 1, 9)) << "more than the zone holds";
  EXPECT_FALSE(move(kMine, 4, 1)) << "a zone the chapter does not hold";
  EXPECT_FALSE(move(0, 1, 1)) << "another chapter's ATVs";
  ASSERT_TRUE(move(kMine, 1, 2));
  EXPECT_EQ(from->atvCounts[0], 0) << "they leave at once";
  ASSERT_TRUE(move(kMine, 1, 256 - 1)) << "one called back";
  EXPECT_EQ(from->atvCounts[0], 1);
  out.sent.clear();
  EndTurn();
  EXPECT_EQ(to->owner, kMine);
  EXPECT_EQ(to->atvCounts[0], 1);
  EXPECT_EQ(to->arriving.count, 0);
  EXPECT_GE(out.Count(PKT_ASTEROID_ZONES), 1u) << "the changed asteroid is told";

  // A storage facility on a home zone, paid with one mining ATV.
  const CGZone* site = a->GetZone(2);
  const std::uint8_t cost = g_gameVariables.costStorageFacility;
  g_gameVariables.costStorageFacility = 1;
  auto storage = Pkt<20>(PKT_TERRAIN_VIEW_611).U16(8, home).U16(10, kMine).U16(12, 2).U32(16, FACILITY_STORAGE);
  const std::uint8_t stores = World().poolDB.GetStorageFacilities(home);
  const std::uint8_t miners = site->atvCounts[ATV_MINING];
  EXPECT_TRUE(game.Receive(7, storage));
  EXPECT_NE(site->facilities & FACILITY_STORAGE, 0u);
  EXPECT_EQ(site->atvCounts[ATV_MINING], miners - 1);
  EXPECT_EQ(World().poolDB.GetStorageFacilities(home), stores + 1);
  EXPECT_FALSE(game.Receive(7, storage)) << "built already";
  storage.U16(12, 5);
  EXPECT_FALSE(game.Receive(7, storage)) << "a zone nobody holds";
  g_gameVariables.costStorageFacility = cost;
}

// The centre zone is the seed-bank cell alone on the players' surface view:
// no other kind of ATV is sent, called back or landed there, and no facility
// is built there; seed-bank ATVs come and go as before.
TEST_F(SrvOrders, TheCentreZoneTakesSeedBankAtvsOnly) {
  const std::uint16_t home = World().Chapter(kMine)->homeAsteroid;
  CGAsteroid* a = World().solar.GetAsteroid(home);
  CGZone* centre = a->GetZone(0);
  CGZone* ring = a->GetZone(1);
  ASSERT_EQ(centre->owner, kMine);
  const std::array<std::uint8_t, 4> centreBefore{centre->atvCounts[0], centre->atvCounts[1], centre->atvCounts[2],
                                                 centre->atvCounts[3]};
  auto move = [&](std::uint16_t type, std::uint16_t to, std::uint16_t source, std::uint16_t kind, std::uint16_t count) {
    auto p = Pkt<20>(type).U16(8, home).U16(10, to).U16(12, source).U16(14, kMine).U16(16, kind);
    return game.Receive(7, p.U16(18, count));
  };
  for (std::uint16_t kind : {ATV_COMBAT, ATV_MINING, ATV_POWER}) {
    const std::uint8_t had = ring->atvCounts[kind];
    EXPECT_FALSE(move(PKT_ZONE_ARRIVING_ATVS, 0, 1, kind, 1)) << "sent into the centre, kind " << kind;
    EXPECT_FALSE(move(PKT_ZONE_ATTACKING_ATVS, 0, 1, kind, 1)) << "sent against the centre, kind " << kind;
    EXPECT_EQ(ring->atvCounts[kind], had) << "they stay where they were";
  }
  EXPECT_EQ(centre->arriving.count, 0);
  EXPECT_EQ(centre->attacking.count, 0);

  // Seed banks go out of the centre and back.
  ASSERT_TRUE(move(PKT_ZONE_ARRIVING_ATVS, 3, 0, ATV_SEED_BANK, 1));
  EXPECT_EQ(centre->atvCounts[ATV_SEED_BANK], centreBefore[ATV_SEED_BANK] - 1);
  ASSERT_TRUE(move(PKT_ZONE_ARRIVING_ATVS, 3, 0, ATV_SEED_BANK, 256 - 1)) << "called back into the centre";
  EXPECT_EQ(centre->atvCounts[ATV_SEED_BANK], centreBefore[ATV_SEED_BANK]);
  // Combat ATVs sent from a ring-0 zone may not be called back into the
  // centre through a forged source either.
  ASSERT_TRUE(move(PKT_ZONE_ARRIVING_ATVS, 3, 1, ATV_COMBAT, 1));
  EXPECT_FALSE(move(PKT_ZONE_ARRIVING_ATVS, 3, 0, ATV_COMBAT, 256 - 1));
  EXPECT_TRUE(move(PKT_ZONE_ARRIVING_ATVS, 3, 1, ATV_COMBAT, 256 - 1));

  const std::uint8_t cost = g_gameVariables.costATVConstructionFacility;
  g_gameVariables.costATVConstructionFacility = 1;
  auto facility = Pkt<20>(PKT_TERRAIN_VIEW_611).U16(8, home).U16(10, kMine).U16(12, 0);
  EXPECT_FALSE(game.Receive(7, facility.U32(16, FACILITY_ATV_CONSTRUCTION))) << "no cell of the centre shows one";
  EXPECT_EQ(centre->facilities, 0u);
  g_gameVariables.costATVConstructionFacility = cost;

  // A landing with any other kind for the centre is refused whole, and the
  // hold keeps its ATVs; seed banks land there.
  CGUnit* unit = UnitOf(kMine);
  ASSERT_EQ(unit->location.asteroid, home);
  unit->atvCargo = {2, 0, 0, 2};
  UnitOrder land;
  land.type = ORDER_LAND_ATVS;
  land.head[5] = static_cast<std::uint8_t>(home);
  land.landing = std::make_unique<LandingBlock>();
  land.landing->Count(ATV_COMBAT, 0) = 1;
  land.landing->Count(ATV_SEED_BANK, 0) = 2;
  EXPECT_FALSE(Order(*unit, land));
  EXPECT_EQ(unit->atvCargo[ATV_COMBAT], 2);
  EXPECT_EQ(unit->atvCargo[ATV_SEED_BANK], 2);
  land.landing->Count(ATV_COMBAT, 0) = 0;
  land.landing->Count(ATV_COMBAT, 3) = 1;
  ASSERT_TRUE(Order(*unit, land));
  // A combat ATV for the centre in a landing queued otherwise (a game saved
  // before the rule) stays aboard.
  ASSERT_EQ(unit->GetOrderCount(), 1);
  ASSERT_EQ(unit->GetOrder(0)->type, ORDER_LAND_ATVS);
  unit->GetOrder(0)->landing->Count(ATV_COMBAT, 0) = 1;
  // The unit first closes in on the asteroid's centre.
  for (int t = 0; t < 60 && unit->GetOrderCount() > 0; ++t) EndTurn();
  ASSERT_EQ(unit->GetOrderCount(), 0);
  EXPECT_EQ(centre->atvCounts[ATV_SEED_BANK], centreBefore[ATV_SEED_BANK] + 2);
  EXPECT_EQ(centre->atvCounts[ATV_COMBAT] + centre->atvCounts[ATV_MINING] + centre->atvCounts[ATV_POWER], 0);
  EXPECT_EQ(unit->atvCargo[ATV_COMBAT], 2) << "the one left aboard with the order and the one kept back";
}

// Building an ATV-construction facility may spend the zone's last ATVs,
// which leaves the zone nobody's: its owner still orders ATVs from it, and
// they are theirs after the turn, but not once another chapter holds it.
TEST_F(SrvOrders, AnEmptiedZonesFacilityOwnerStillBuildsAtvsThere) {
  const std::uint16_t home = World().Chapter(kMine)->homeAsteroid;
  CGZone* zone = World().solar.GetAsteroid(home)->GetZone(3);
  ASSERT_EQ(zone->owner, kZoneNobody);
  zone->SetOwner(kMine);
  zone->SetAtvCounts(0, 0, 0, g_gameVariables.costATVConstructionFacility);
  auto facility = Pkt<20>(PKT_TERRAIN_VIEW_611).U16(8, home).U16(10, kMine).U16(12, 3);
  ASSERT_TRUE(game.Receive(7, facility.U32(16, FACILITY_ATV_CONSTRUCTION)));
  ASSERT_EQ(zone->owner, kZoneNobody) << "the facility took the zone's last ATVs";
  EXPECT_EQ(zone->facilityOwner, kMine);

  auto build = [&] {
    return game.Receive(7, Pkt<20>(PKT_TERRAIN_VIEW_612).U16(8, home).U16(10, 3).U16(12, kMine).U8(14, 2));
  };
  ASSERT_TRUE(build());
  EndTurn();
  EXPECT_EQ(zone->owner, kMine);
  EXPECT_EQ(zone->atvCounts[ATV_COMBAT], 2);

  // Once another chapter holds the zone, the facility's owner builds nothing there.
  zone->SetOwner(9);
  EXPECT_FALSE(build());
}

TEST_F(SrvOrders, AFileWhoseUnitsDoNotReadLeavesTheRunningGameWhole) {
  CGUnit* unit = UnitOf(kMine);
  const std::uint32_t id = unit->id;
  ASSERT_TRUE(Order(*unit, MoveTo(OtherAsteroid(*unit))));
  const std::string path = Folder() + "units_damaged.svr";
  ASSERT_TRUE(game.Save(path, 5));
  std::vector<std::uint8_t> bytes;
  {
    std::ifstream in(path, std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  // Past the header, the names, the solar system's and the guilds' blocks and
  // the world block's length and pools: the design count, made impossible.
  std::size_t at = 125;
  for (int c = 0; c < 40; ++c) at += 1 + bytes.at(at);
  for (int block = 0; block < 2; ++block) at += 4 + ReadU32(bytes, at);
  at += 4 + 1 + kMaxAsteroids * 21 + 1;
  ASSERT_LT(at + 4, bytes.size());
  for (int b = 0; b < 4; ++b) bytes[at + b] = 0xFF;
  std::ofstream(path, std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));

  EndTurn();
  const std::uint32_t units = World().pieces->CountOwnerUnits(kMine, false);
  std::uint16_t where = 0;
  const Location before = World().pieces->FindUnit(id, &where)->location;
  EXPECT_FALSE(game.Load(path, 5));
  EXPECT_EQ(World().turn, 1u);
  EXPECT_EQ(World().pieces->CountOwnerUnits(kMine, false), units);
  const CGUnit* kept = World().pieces->FindUnit(id, &where);
  ASSERT_NE(kept, nullptr);
  EXPECT_EQ(kept->location.asteroid, before.asteroid);
  EXPECT_EQ(kept->GetOrderCount(), 1);
  EndTurn();
  EXPECT_EQ(World().turn, 2u);
}

namespace {

// Chapters 8, 9 and 10 of guild 1, each held by player chapter - 7.
struct SrvGuildTrade : SrvGameCase<43> {
  const SrvWorld& world = game.World();

  void SetUp() override { StartTestGame(game, {{1, 8}, {2, 9}, {3, 10}}, 3); }
  void EndTurn() { EndTestTurn(game, {{1, 8}, {2, 9}, {3, 10}}); }
  std::uint32_t Metals(std::uint16_t chapter) const {
    return world.poolDB.GetMineral(world.Chapter(chapter)->homeAsteroid, 0);
  }
  // The trade notices of the code the player was sent.
  std::vector<SrvPacket> Notices(std::uint32_t player, std::uint16_t code) {
    std::vector<SrvPacket> found;
    for (const SrvPacket& p : out.Of(player, PKT_NOTIFICATION))
      if (ReadU16(p, 8) == 2 && ReadU16(p, 10) == code) found.push_back(p);
    return found;
  }
};

}  // namespace

TEST_F(SrvGuildTrade, TheHighestSealedBidBuysTheShipAndTheOthersGetTheirsBack) {
  const std::uint16_t home8 = world.Chapter(8)->homeAsteroid;
  CGUnit* ship = world.pieces->GetUnitAt(home8, 8, 0);
  ASSERT_NE(ship, nullptr);
  const std::uint32_t shipId = ship->id;
  // Full: no recharge tells its power as the turn resolves.
  const std::int32_t power = ship->GetMaxPower();
  ASSERT_GT(power, 0);
  ship->power = power;
  const std::uint8_t unitClass = ship->GetTemplate()->unitClass;

  const auto offer = Pkt<36>(PKT_SHIP_OFFER_POSTED).U16(8, 1).U32(12, shipId).U32(20, 10);
  EXPECT_FALSE(game.Receive(2, offer)) << "chapter 8's ship offered by chapter 9";
  out.sent.clear();
  ASSERT_TRUE(game.Receive(1, offer));
  // The guild's boards, the seller's own among them, show the offer.
  for (std::uint32_t player : {1u, 2u, 3u}) {
    const std::vector<SrvPacket> posted = out.Of(player, PKT_SHIP_OFFER_POSTED);
    ASSERT_EQ(posted.size(), 1u) << "player " << player;
    EXPECT_EQ(ReadU32(posted[0], 12), shipId);
  }
  // The poster reads its offer posted while the ship is still there to name;
  // its guild mates' clients raise their own notice of new offers.
  const std::vector<SrvPacket> postedNotice = Notices(1, 210);
  ASSERT_EQ(postedNotice.size(), 1u);
  EXPECT_EQ(ReadU32(postedNotice[0], 148), shipId);
  EXPECT_TRUE(Notices(2, 230).empty() && Notices(3, 230).empty() && Notices(2, 210).empty());
  auto bid = [&](std::uint16_t chapter, std::uint32_t metals) {
    auto p = Pkt<36>(PKT_TRADE_REQUEST).U16(8, 1).U16(10, chapter & 7).U32(12, shipId).U32(20, metals);
    return game.Receive(chapter - 7u, p.U16(18, world.Chapter(chapter)->homeAsteroid));
  };
  EXPECT_FALSE(bid(9, 5)) << "below the least bid";
  EXPECT_FALSE(bid(8, 50)) << "the seller";
  const std::uint16_t home9 = world.Chapter(9)->homeAsteroid, home10 = world.Chapter(10)->homeAsteroid;
  const std::uint32_t metals9 = world.poolDB.GetMineral(home9, 0), metals10 = world.poolDB.GetMineral(home10, 0);
  const std::uint32_t metals8 = world.poolDB.GetMineral(home8, 0);
  ASSERT_TRUE(bid(9, 30));
  ASSERT_TRUE(bid(10, 20));
  EXPECT_EQ(world.poolDB.GetMineral(home9, 0), metals9 - 30) << "held until the sale";
  out.sent.clear();
  EndTurn();
  std::uint16_t at = 0;
  EXPECT_EQ(world.pieces->FindUnit(shipId, &at), nullptr) << "the seller's unit is gone";
  EXPECT_EQ(world.pieces->CountOwnerUnits(9, false), 2u) << "the buyer holds it";
  EXPECT_EQ(world.poolDB.GetMineral(home10, 0), metals10) << "the losing bid came back (these rules mine nothing)";
  EXPECT_EQ(world.poolDB.GetMineral(home8, 0), metals8 + 30);
  EXPECT_GE(out.Count(PKT_UNIT_RESULT), 1u);
  EXPECT_GE(out.Count(PKT_SHIP_OFFER_WITHDRAWN), 1u);
  EXPECT_EQ(world.guilds->GetGuild(1)->FindShipOffer(shipId), nullptr);

  // The buyer's client learns the ship's power with the ship, and each side
  // of the sale reads of it; the losing bidder hears of no sale.
  const CGUnit* bought = world.pieces->GetUnitAt(home8, 9, 0);
  ASSERT_NE(bought, nullptr);
  EXPECT_EQ(bought->power, power);
  const std::vector<SrvPacket> powers = out.Of(2, PKT_UNIT_POWER);
  EXPECT_TRUE(std::any_of(powers.begin(), powers.end(), [&](const SrvPacket& p) {
    return ReadU32(p, 8) == bought->id && ReadU32(p, 16) == static_cast<std::uint32_t>(power);
  })) << "the bought ship's power told to the buyer";
  auto notices = [&](std::uint32_t player, std::uint16_t code) {
    std::vector<SrvPacket> found;
    for (const SrvPacket& p : out.Of(player, PKT_NOTIFICATION))
      if (ReadU16(p, 8) == 2 && ReadU16(p, 10) == code) found.push_back(p);
    return found;
  };
  const std::vector<SrvPacket> boughtNotice = notices(2, 201), soldNotice = notices(1, 207);
  ASSERT_EQ(boughtNotice.size(), 1u);
  EXPECT_EQ(ReadU32(boughtNotice[0], 144), unitClass);
  ASSERT_EQ(soldNotice.size(), 1u);
  EXPECT_EQ(ReadU16(soldNotice[0], 140), unitClass);
  EXPECT_EQ(ReadU32(soldNotice[0], 144), 9u) << "the buyer";
  EXPECT_EQ(ReadU32(soldNotice[0], 148), home8) << "paid into the seller's home pool";
  EXPECT_TRUE(notices(3, 201).empty() && notices(3, 207).empty());
  EXPECT_EQ(ReadU32(boughtNotice[0], 148), bought->id) << "the buyer's client goes to the ship it names";
  // The outbid chapter reads its bid rejected; the buyer does not.
  const std::vector<SrvPacket> rejected = notices(3, 202);
  ASSERT_EQ(rejected.size(), 1u);
  EXPECT_EQ(ReadU32(rejected[0], 144), unitClass);
  EXPECT_TRUE(notices(2, 202).empty());
}

// An offer withdrawn, or whose ship was lost, rejects its bids; the seller of
// a lost ship reads of it.
// Board packets name their poster where their own layouts put it: a guild
// a word wide in the offers posted, a byte in the withdrawals, the seller's
// chapter in mineral offers. One too short for its layout names nobody.
TEST(SrvBoardPoster, EachBoardPacketNamesItsPosterWhereItsLayoutPutsIt) {
  EXPECT_EQ(SrvBoardPoster(Pkt<24>(PKT_MINERAL_OFFER_POSTED).U8(8, 9).U8(9, 3)), 9);
  EXPECT_EQ(SrvBoardPoster(Pkt<12>(PKT_MINERAL_OFFER_WITHDRAWN).U8(8, 9).U8(9, 3)), 9);
  EXPECT_EQ(SrvBoardPoster(Pkt<36>(PKT_SHIP_OFFER_POSTED).U16(8, 0x0102)), 0x0102);
  EXPECT_EQ(SrvBoardPoster(Pkt<16>(PKT_SHIP_OFFER_WITHDRAWN).U8(8, 2).U8(9, 5)), 2) << "the slot is not the guild";
  EXPECT_EQ(SrvBoardPoster(Pkt<32>(PKT_VOTE_OFFER_POSTED).U16(8, 0x0203)), 0x0203);
  EXPECT_EQ(SrvBoardPoster(Pkt<12>(PKT_VOTE_OFFER_WITHDRAWN).U8(8, 3).U8(9, 5)), 3);
  EXPECT_EQ(SrvBoardPoster(Pkt<24>(PKT_MINERAL_TRADE).U8(8, 9)), std::nullopt) << "not a board packet";
  EXPECT_EQ(SrvBoardPoster(Pkt<23>(PKT_MINERAL_OFFER_POSTED).U8(8, 9)), std::nullopt);
  EXPECT_EQ(SrvBoardPoster(Pkt<35>(PKT_SHIP_OFFER_POSTED).U16(8, 1)), std::nullopt);
  EXPECT_EQ(SrvBoardPoster(Pkt<11>(PKT_VOTE_OFFER_WITHDRAWN).U8(8, 1)), std::nullopt);
  EXPECT_EQ(SrvBoardPoster(std::span<const std::uint8_t>()), std::nullopt);
}

// A board packet that ends at its header or before its offer is refused
// whoever it would name, and reaches no board: its poster is not read from
// past its end.
TEST_F(SrvGuildTrade, ABoardPacketTooShortForItsOfferIsRefused) {
  out.sent.clear();
  for (std::uint16_t type : {PKT_MINERAL_OFFER_POSTED, PKT_MINERAL_OFFER_WITHDRAWN, PKT_SHIP_OFFER_POSTED,
                             PKT_SHIP_OFFER_WITHDRAWN, PKT_VOTE_OFFER_POSTED, PKT_VOTE_OFFER_WITHDRAWN}) {
    const std::vector<std::uint8_t> header = Pkt<8>(type);
    EXPECT_FALSE(game.Receive(1, header)) << type;
    const bool bySeller = type == PKT_MINERAL_OFFER_POSTED || type == PKT_MINERAL_OFFER_WITHDRAWN;
    const std::vector<std::uint8_t> cut = Pkt<11>(type).U16(8, bySeller ? 8 : 1);
    EXPECT_FALSE(game.Receive(1, cut)) << type;
  }
  EXPECT_TRUE(out.sent.empty());
}

TEST_F(SrvGuildTrade, BidsOnAShipWithdrawnOrLostAreRejectedAndTheSellerToldOfTheLoss) {
  const std::uint16_t home8 = world.Chapter(8)->homeAsteroid;
  CGUnit* first = world.pieces->GetUnitAt(home8, 8, 0);
  ASSERT_NE(first, nullptr);
  const std::uint32_t firstId = first->id;
  const std::uint8_t unitClass = first->GetTemplate()->unitClass;
  auto offer = [&](std::uint32_t id) {
    return game.Receive(1, Pkt<36>(PKT_SHIP_OFFER_POSTED).U16(8, 1).U32(12, id).U32(20, 10));
  };
  auto bid = [&](std::uint16_t chapter, std::uint32_t id) {
    auto p = Pkt<36>(PKT_TRADE_REQUEST).U16(8, 1).U16(10, chapter & 7).U32(12, id).U32(20, 10);
    return game.Receive(chapter - 7u, p.U16(18, world.Chapter(chapter)->homeAsteroid));
  };
  ASSERT_TRUE(offer(firstId));
  ASSERT_TRUE(bid(9, firstId));
  ASSERT_TRUE(bid(10, firstId));
  ASSERT_TRUE(game.Receive(1, Pkt<16>(PKT_SHIP_OFFER_WITHDRAWN).U8(8, 1).U8(9, 0).U32(12, firstId)));
  out.sent.clear();
  EndTurn();
  for (std::uint32_t player : {2u, 3u}) {
    const std::vector<SrvPacket> rejected = Notices(player, 202);
    ASSERT_EQ(rejected.size(), 1u) << "player " << player;
    EXPECT_EQ(ReadU32(rejected[0], 144), unitClass);
  }
  EXPECT_TRUE(Notices(1, 209).empty()) << "a withdrawn ship is not lost";

  // Offered again, bid for, and destroyed before the turn settles it.
  ASSERT_TRUE(offer(firstId));
  ASSERT_TRUE(bid(9, firstId));
  ASSERT_NE(world.pieces->MarkUnitUnoperational(first), 0);
  out.sent.clear();
  EndTurn();
  const std::vector<SrvPacket> lost = Notices(1, 209);
  ASSERT_EQ(lost.size(), 1u);
  EXPECT_EQ(ReadU32(lost[0], 144), unitClass) << "the class of the ship destroyed";
  ASSERT_EQ(Notices(2, 202).size(), 1u);
  EXPECT_EQ(ReadU32(Notices(2, 202)[0], 144), unitClass);
  EXPECT_TRUE(Notices(3, 202).empty()) << "no bid of chapter 10's this time";
  EXPECT_TRUE(Notices(2, 201).empty() && Notices(1, 207).empty());
}

// A ship at work may be offered, but is not sold while it has an order: it
// would reach its buyer without its orders, the work its seller paid for
// lost. The bids go back, the offer lapses and the seller reads why; with
// no bid the offer just stands.
TEST_F(SrvGuildTrade, AShipWithAnOrderIsNotSoldAndItsSellerIsToldWhy) {
  const std::uint16_t home8 = world.Chapter(8)->homeAsteroid;
  CGUnit* ship = world.pieces->GetUnitAt(home8, 8, 0);
  ASSERT_NE(ship, nullptr);
  ship->power = ship->GetMaxPower();
  const std::uint32_t shipId = ship->id;
  const auto away = static_cast<std::uint16_t>((home8 + 7) % CGSolarDB::GetAsteroidCount());
  ASSERT_TRUE(game.Receive(1, Bytes(BuildOrderPacket(shipId, MoveTo(away), kInsertReplace))));
  ASSERT_TRUE(game.Receive(1, Pkt<36>(PKT_SHIP_OFFER_POSTED).U16(8, 1).U32(12, shipId).U32(20, 10)))
      << "offered at work, as the clients do";
  out.sent.clear();
  EndTurn();
  EXPECT_NE(world.guilds->GetGuild(1)->FindShipOffer(shipId), nullptr) << "no bid: the offer stands";
  EXPECT_TRUE(Notices(1, 218).empty());

  const std::uint16_t home9 = world.Chapter(9)->homeAsteroid;
  const std::uint32_t metals9 = world.poolDB.GetMineral(home9, 0);
  auto bid = Pkt<36>(PKT_TRADE_REQUEST).U16(8, 1).U16(10, 1).U32(12, shipId).U32(20, 25);
  ASSERT_TRUE(game.Receive(2, bid.U16(18, home9)));
  out.sent.clear();
  EndTurn();
  std::uint16_t at = 0;
  const CGUnit* kept = world.pieces->FindUnit(shipId, &at);
  ASSERT_NE(kept, nullptr) << "not handed over";
  EXPECT_EQ(kept->GetChapter(), 8);
  EXPECT_GT(kept->GetOrderCount(), 0) << "still at its work";
  EXPECT_EQ(world.poolDB.GetMineral(home9, 0), metals9) << "the bid came back";
  EXPECT_EQ(world.guilds->GetGuild(1)->FindShipOffer(shipId), nullptr);
  EXPECT_GE(out.Count(PKT_SHIP_OFFER_WITHDRAWN), 1u);
  const std::vector<SrvPacket> why = Notices(1, 218);
  ASSERT_EQ(why.size(), 1u);
  EXPECT_EQ(ReadU32(why[0], 148), shipId);
  EXPECT_EQ(Notices(2, 202).size(), 1u);
  EXPECT_TRUE(Notices(2, 201).empty() && Notices(1, 207).empty());
}

// The buyer gets a copy of the ship's design under an id nobody has heard
// of: every player is told it, and its values, before the ship that flies
// it; and a ship built of it later is told after the design again, for a
// client may have let it go.
TEST_F(SrvGuildTrade, ABoughtShipsDesignIsToldBeforeAnythingNamesIt) {
  const std::uint16_t home8 = world.Chapter(8)->homeAsteroid;
  const CGUnit* ship = world.pieces->GetUnitAt(home8, 8, 0);
  ASSERT_NE(ship, nullptr);
  const std::uint32_t shipId = ship->id, originalId = ship->GetTemplate()->templateId;
  ASSERT_TRUE(game.Receive(1, Pkt<36>(PKT_SHIP_OFFER_POSTED).U16(8, 1).U32(12, shipId).U32(20, 10)));
  auto bid = Pkt<36>(PKT_TRADE_REQUEST).U16(8, 1).U16(10, 1).U32(12, shipId).U32(20, 30);
  ASSERT_TRUE(game.Receive(2, bid.U16(18, world.Chapter(9)->homeAsteroid)));
  out.sent.clear();
  EndTurn();
  std::uint16_t at = 0;
  ASSERT_EQ(world.pieces->FindUnit(shipId, &at), nullptr);
  const CGUnit* bought = world.pieces->GetUnitAt(home8, 9, 0);
  ASSERT_NE(bought, nullptr);
  const CGUnitTemplate* copy = bought->GetTemplate();
  ASSERT_NE(copy->templateId, originalId);
  // Everyone learns the design; those who see the ship (the fog hides it
  // from chapter 10) learn it first.
  for (std::uint32_t player : {1u, 2u, 3u}) {
    const DesignTold told = WhenTold(out.To(player), copy->templateId);
    ASSERT_GE(told.told, 0) << "player " << player;
    EXPECT_LT(told.told, told.values) << "player " << player;
    if (player != 3) {
      EXPECT_LT(told.values, told.unit) << "player " << player;
    }
    EXPECT_EQ(ReadU16(told.design, 12), kNotFixedSlot) << "kept out of the buyer's slots";
    EXPECT_EQ(ReadU16(told.design, 14), 9);
  }
  EXPECT_EQ(ReadU16(out.Of(2, PKT_TEMPLATE_VALUES).back(), 14), 1) << "the bought ship counts as its first";

  // The buyer builds another of it at home, where its pool pays.
  CGUnit* builder = world.pieces->GetUnitAt(world.Chapter(9)->homeAsteroid, 9, 0);
  ASSERT_NE(builder, nullptr);
  ASSERT_GT(builder->GetConstructionCapacity(), 0);
  const UnitOrder build = Ordered(ORDER_BUILD_SHIP, {copy->templateId, kNoTargetId});
  ASSERT_TRUE(game.Receive(2, Bytes(BuildOrderPacket(builder->id, build, kInsertReplace))));
  const std::uint16_t turns = builder->GetNumTurnsUntilOrderCompletion(nullptr);
  ASSERT_LT(turns, 100);
  for (std::uint16_t t = 0; t < turns; ++t) {
    out.sent.clear();
    EndTurn();
  }
  for (std::uint32_t player : {1u, 2u, 3u}) {
    const std::vector<Sent> sent = out.To(player);
    const DesignTold told = WhenTold(sent, copy->templateId);
    ASSERT_GE(told.told, 0) << "player " << player;
    if (player == 2) {
      ASSERT_GE(told.unit, 0);
    }
    if (told.unit < 0) continue;
    EXPECT_EQ(sent[static_cast<std::size_t>(told.unit)].Type(), PKT_UNIT);
    EXPECT_LT(told.told, told.unit) << "player " << player;
  }
}

// A unit of a loose design reaches a client after the design and its values
// whichever way it comes: in a loaded game's start sequence, into sight under
// the fog (again once it left sight, for its client let the design go).
TEST(SrvLooseDesigns, AUnitComingIntoSightIsToldAfterItsLooseDesign) {
  constexpr std::uint16_t kMine = 8, kTheirs = 0;
  SrvSetup setup;
  setup.config.SetU16(14, 2);
  setup.config.SetU16(16, 20);
  for (int k = 0; k < 4; ++k) setup.settings.SetU16(36 + 2 * k, 1);
  SrvWorld world;
  const auto [hulls, modules] = SrvTestRules();
  ASSERT_TRUE(world.UseRules(hulls, modules));
  world.Generate(setup, 23, nullptr);
  CGUnit* mine = world.pieces->GetUnitAt(world.Chapter(kMine)->homeAsteroid, kMine, 0);
  CGUnit* theirs = world.pieces->GetUnitAt(world.Chapter(kTheirs)->homeAsteroid, kTheirs, 0);
  ASSERT_NE(mine, nullptr);
  ASSERT_NE(theirs, nullptr);
  auto copy = std::make_unique<CGUnitTemplate>(kTheirs, -1);
  copy->CopyDesign(*theirs->GetTemplate(), kTheirs);
  CGUnitTemplate* loose = copy.get();
  ASSERT_EQ(world.templates->AddTemplate(copy.release(), kTheirs), 1);
  theirs->SetTemplate(loose, true);
  // A second ship of it beside the first.
  CGUnit* wing = world.CreateUnit(kTheirs, loose, theirs->location);
  ASSERT_NE(wing, nullptr);
  const auto asSent = [](const std::vector<SrvPacket>& packets) {
    std::vector<Sent> sent;
    for (const SrvPacket& p : packets) sent.push_back({7, p, true});
    return sent;
  };
  const auto toldInOrder = [&](const std::vector<SrvPacket>& packets) {
    const DesignTold at = WhenTold(asSent(packets), loose->templateId);
    return at.unit >= 0 && at.told >= 0 && at.told < at.values && at.values < at.unit &&
           ReadU16(at.design, 12) == kNotFixedSlot;
  };

  std::vector<SrvPacket> start = BuildStartSequence(world, kMine, std::vector<std::string>(kMaxChapters));
  EXPECT_TRUE(toldInOrder(start)) << "a loaded game's start sequence";
  const SrvFogRules fog = SrvFogRules::From(setup);
  SrvUnitSight sight;
  sight.Filter(world, fog, kMine, start);
  ASSERT_EQ(WhenTold(asSent(start), loose->templateId).unit, -1) << "far from the chapter's sight";

  const std::uint16_t space = CGSolarDB::GetAsteroidCount();
  const Location here{space, 20000, 20000, 0}, near{space, 20000 + kSrvSightRange - 1, 20000, 0},
      far{space, -20000, -20000, 0};
  mine->SetLocation(&here);
  theirs->SetLocation(&near);
  wing->SetLocation(&near);
  for (const char* when : {"first in sight", "back in sight"}) {
    std::vector<SrvPacket> turn;
    sight.Filter(world, fog, kMine, turn);
    EXPECT_TRUE(toldInOrder(turn)) << when;
    EXPECT_EQ(std::count_if(turn.begin(), turn.end(), [](const SrvPacket& p) { return ReadU16(p, 0) == PKT_TEMPLATE; }),
              1)
        << "once, however many units fly it";
    theirs->SetLocation(&far);
    wing->SetLocation(&far);
    std::vector<SrvPacket> gone;
    sight.Filter(world, fog, kMine, gone);
    ASSERT_EQ(gone.size(), 2u);
    EXPECT_EQ(ReadU16(gone[0], 0), PKT_UNIT_DELETED);
    theirs->SetLocation(&near);
    wing->SetLocation(&near);
  }
}

TEST_F(SrvGuildTrade, AnAsteroidsVoteGoesToTheHighestBidderUntilItChangesController) {
  const std::uint16_t home8 = world.Chapter(8)->homeAsteroid;
  auto offer = Pkt<32>(PKT_VOTE_OFFER_POSTED).U16(8, 1).U8(10, 1).U8(12, static_cast<std::uint8_t>(home8)).U32(16, 10);
  EXPECT_FALSE(game.Receive(2, offer)) << "chapter 9 does not control the asteroid";
  out.sent.clear();
  ASSERT_TRUE(game.Receive(1, offer.U8(10, 0)));
  ASSERT_EQ(Notices(1, 212).size(), 1u) << "told as it posts";
  EXPECT_EQ(ReadU16(Notices(1, 212)[0], 140), home8);
  auto bid = [&](std::uint16_t chapter, std::uint32_t metals) {
    auto p = Pkt<32>(PKT_TRADE_ANSWER).U16(8, 1).U16(10, chapter & 7).U16(12, home8).U32(16, metals);
    return game.Receive(chapter - 7u, p.U16(14, world.Chapter(chapter)->homeAsteroid));
  };
  EXPECT_FALSE(bid(9, 5)) << "below the least bid";
  EXPECT_FALSE(bid(8, 50)) << "the seller";
  const std::uint32_t metals8 = Metals(8), metals9 = Metals(9), metals10 = Metals(10);
  ASSERT_TRUE(bid(10, 20));
  ASSERT_TRUE(bid(9, 30));
  EXPECT_EQ(Metals(9), metals9 - 30) << "held until the sale";
  out.sent.clear();
  EndTurn();
  EXPECT_EQ(SrvVotesHeld(world, 9), 2);
  EXPECT_EQ(SrvVotesHeld(world, 8), 0);
  EXPECT_EQ(Metals(8), metals8 + 30);
  EXPECT_EQ(Metals(10), metals10) << "the losing bid came back";
  EXPECT_EQ(out.Count(PKT_VOTE_OFFER_WITHDRAWN), 3u) << "the guild's board";
  EXPECT_EQ(world.guilds->GetGuild(1)->FindVoteOffer(static_cast<std::uint8_t>(home8)), nullptr);
  EXPECT_FALSE(game.Receive(1, offer)) << "a vote sold is not sold twice";
  // Buyer, seller and outbid chapter each read of the sale; the posting was
  // told with the turn.
  ASSERT_EQ(Notices(2, 214).size(), 1u);
  EXPECT_EQ(ReadU16(Notices(2, 214)[0], 140), home8);
  ASSERT_EQ(Notices(1, 228).size(), 1u);
  EXPECT_EQ(ReadU16(Notices(1, 228)[0], 140), home8);
  EXPECT_EQ(ReadU32(Notices(1, 228)[0], 144), 9u) << "the buyer";
  ASSERT_EQ(Notices(3, 213).size(), 1u);
  EXPECT_EQ(ReadU16(Notices(3, 213)[0], 140), home8);
  EXPECT_TRUE(Notices(2, 213).empty() && Notices(3, 214).empty());
  EXPECT_TRUE(Notices(1, 212).empty()) << "not again with the turn";

  const std::string file = Folder() + "votes.svr";
  ASSERT_TRUE(game.Save(file, 5));
  ASSERT_TRUE(game.Load(file, 5));
  EXPECT_EQ(SrvVotesHeld(world, 9), 2) << "the sale is saved";
  world.solar.GetAsteroid(home8)->SetController(10);
  EXPECT_EQ(SrvVotesHeld(world, 9), 1) << "the sale lapses with the control";
}

// A vote offer withdrawn, or whose seller lost the asteroid, is rescinded for
// its bidders.
TEST_F(SrvGuildTrade, AVoteOfferWithdrawnOrLapsedIsRescindedForItsBidders) {
  const std::uint16_t home8 = world.Chapter(8)->homeAsteroid;
  const auto offer =
      Pkt<32>(PKT_VOTE_OFFER_POSTED).U16(8, 1).U8(10, 0).U8(12, static_cast<std::uint8_t>(home8)).U32(16, 10);
  auto bid = [&](std::uint16_t chapter) {
    auto p = Pkt<32>(PKT_TRADE_ANSWER).U16(8, 1).U16(10, chapter & 7).U16(12, home8).U32(16, 10);
    return game.Receive(chapter - 7u, p.U16(14, world.Chapter(chapter)->homeAsteroid));
  };
  ASSERT_TRUE(game.Receive(1, offer));
  ASSERT_TRUE(bid(9));
  ASSERT_TRUE(
      game.Receive(1, Pkt<12>(PKT_VOTE_OFFER_WITHDRAWN).U8(8, 1).U8(9, 0).U8(10, static_cast<std::uint8_t>(home8))));
  out.sent.clear();
  EndTurn();
  ASSERT_EQ(Notices(2, 216).size(), 1u);
  EXPECT_EQ(ReadU16(Notices(2, 216)[0], 140), home8);

  ASSERT_TRUE(game.Receive(1, offer));
  ASSERT_TRUE(bid(9));
  ASSERT_TRUE(bid(10));
  world.solar.GetAsteroid(home8)->SetController(10);
  out.sent.clear();
  EndTurn();
  for (std::uint32_t player : {2u, 3u}) {
    ASSERT_EQ(Notices(player, 216).size(), 1u) << "player " << player;
    EXPECT_EQ(ReadU16(Notices(player, 216)[0], 140), home8);
    EXPECT_TRUE(Notices(player, 214).empty() && Notices(player, 213).empty());
  }
  EXPECT_TRUE(Notices(1, 228).empty());
}

// Both sides of a mineral purchase read of it with the turn, and a buyer whose
// offer had gone of its failure.
TEST_F(SrvGuildTrade, AMineralPurchaseIsToldToBothSidesAndAGoneOfferToTheBuyer) {
  const auto sellerPool = static_cast<std::uint8_t>(world.Chapter(8)->homeAsteroid);
  const auto buyerPool = static_cast<std::uint8_t>(world.Chapter(9)->homeAsteroid);
  auto post = [&](std::uint8_t mineral, std::uint16_t amount) {
    return game.Receive(
        1, Pkt<24>(PKT_MINERAL_OFFER_POSTED).U8(8, 8).U8(9, sellerPool).U8(10, mineral).U16(12, amount).U16(14, 1));
  };
  ASSERT_TRUE(post(1, 30));
  ASSERT_TRUE(post(2, 10));
  ASSERT_TRUE(post(1, 25)) << "the first changed";
  auto buy = [&](std::uint8_t mineral, std::uint16_t amount) {
    auto p = Pkt<16>(PKT_MINERAL_TRADE).U8(8, 8).U8(9, sellerPool).U8(10, mineral).U8(11, 9).U8(12, buyerPool);
    return game.Receive(2, p.U16(14, amount));
  };
  ASSERT_TRUE(buy(1, 25)) << "two tens of the 25";
  ASSERT_TRUE(buy(2, 10)) << "sold out";
  EXPECT_FALSE(buy(2, 10)) << "no longer standing";
  out.sent.clear();
  EndTurn();
  const std::vector<SrvPacket> sold = Notices(1, 203), bought = Notices(2, 204);
  ASSERT_EQ(sold.size(), 2u);
  ASSERT_EQ(bought.size(), 2u);
  EXPECT_EQ(ReadU16(sold[0], 140), 20u);
  EXPECT_EQ(ReadU32(sold[0], 144), 1u);
  EXPECT_EQ(ReadU32(sold[0], 148), (9u << 16) | sellerPool) << "the buyer and the asteroid sold from";
  EXPECT_EQ(ReadU16(bought[1], 140), 10u);
  EXPECT_EQ(ReadU32(bought[1], 144), 2u);
  EXPECT_EQ(ReadU32(bought[1], 148), (8u << 16) | buyerPool) << "the seller and where they arrive";
  const std::vector<SrvPacket> gone = Notices(2, 205);
  ASSERT_EQ(gone.size(), 1u);
  EXPECT_EQ(ReadU16(gone[0], 140), sellerPool);
  EXPECT_EQ(ReadU32(gone[0], 144), 2u);
  EXPECT_EQ(ReadU32(gone[0], 148), 8u);
}

// Bought minerals travel from the offer's asteroid for the turns the buyer's
// client lists them under, and reach the pool in the turn it names.
TEST_F(SrvGuildTrade, BoughtMineralsArriveInTheTurnTheBuyerWasShown) {
  const auto sellerPool = static_cast<std::uint8_t>(world.Chapter(8)->homeAsteroid);
  const auto buyerPool = static_cast<std::uint8_t>(world.Chapter(9)->homeAsteroid);
  const int transit = SrvTransitTurns(world, 9, sellerPool, buyerPool);
  ASSERT_GT(transit, 1) << "the homes lie further apart than a turn";
  ASSERT_TRUE(
      game.Receive(1, Pkt<24>(PKT_MINERAL_OFFER_POSTED).U8(8, 8).U8(9, sellerPool).U8(10, 1).U16(12, 20).U16(14, 1)));
  auto buy = Pkt<16>(PKT_MINERAL_TRADE).U8(8, 8).U8(9, sellerPool).U8(10, 1).U8(11, 9).U8(12, buyerPool);
  const std::uint32_t bought = world.turn;
  ASSERT_TRUE(game.Receive(2, buy.U16(14, 20)));
  ASSERT_FALSE(world.inTransit.empty());
  EXPECT_EQ(world.inTransit.back().arrivalTurn, bought + static_cast<std::uint32_t>(transit));
  auto onItsWay = [&] {
    return std::any_of(world.inTransit.begin(), world.inTransit.end(), [&](const SrvTransferInTransit& t) {
      return t.destination == buyerPool && t.mineral == 1 && t.amount == 20;
    });
  };
  for (int t = 1; t < transit; ++t) {
    EndTurn();
    EXPECT_TRUE(onItsWay()) << "still on its way at turn " << world.turn;
  }
  const std::uint32_t before = world.poolDB.GetMineral(buyerPool, 1);
  EndTurn();
  EXPECT_EQ(world.turn, bought + static_cast<std::uint32_t>(transit));
  EXPECT_FALSE(onItsWay());
  EXPECT_GE(world.poolDB.GetMineral(buyerPool, 1), before + 20) << "delivered in the turn shown";
}

// Bought from an offer on the buyer's own asteroid, they make no trip: its
// client lists them arriving this turn, and the pool holds them at once.
TEST_F(SrvGuildTrade, MineralsBoughtWhereTheyLieAreThePoolsAtOnce) {
  const auto pool = static_cast<std::uint8_t>(world.Chapter(8)->homeAsteroid);
  ASSERT_TRUE(game.Receive(1, Pkt<24>(PKT_MINERAL_OFFER_POSTED).U8(8, 8).U8(9, pool).U8(10, 1).U16(12, 20).U16(14, 1)));
  // The offer stands on an asteroid its seller has lost to the buyer since.
  const_cast<SrvWorld&>(world).solar.GetAsteroid(pool)->owner = 9;
  const std::uint32_t before = world.poolDB.GetMineral(pool, 1);
  auto buy = Pkt<16>(PKT_MINERAL_TRADE).U8(8, 8).U8(9, pool).U8(10, 1).U8(11, 9).U8(12, pool);
  ASSERT_TRUE(game.Receive(2, buy.U16(14, 20)));
  EXPECT_EQ(world.poolDB.GetMineral(pool, 1), before + 20);
  EXPECT_TRUE(std::none_of(world.inTransit.begin(), world.inTransit.end(), [&](const SrvTransferInTransit& t) {
    return t.destination == pool;
  })) << "nothing left on its way to be delivered again";
}

// The buyer's client's own reckoning; the same both ways, nothing to itself,
// and none at all (the client's "Never") for a guild without a drive.
TEST_F(SrvGuildTrade, TransitTurnsAreTheBuyersClientsAndNoneWithoutADrive) {
  const auto a = static_cast<std::uint8_t>(world.Chapter(8)->homeAsteroid);
  const auto b = static_cast<std::uint8_t>(world.Chapter(9)->homeAsteroid);
  EXPECT_EQ(SrvTransitTurns(world, 9, a, a), 0);
  const int now = SrvTransitTurns(world, 9, a, b);
  ASSERT_GT(now, 0);
  EXPECT_EQ(SrvTransitTurns(world, 9, b, a), now);
  auto& w = const_cast<SrvWorld&>(world);
  // The client reads drives of its guild alone, as the rules files make them.
  for (int m = 0; m < w.modules->GetCount(); ++m)
    if (ModuleRecord* r = w.modules->GetRecord(m); r->type == MODULE_PROPULSION) r->guildMask = 1u << 1;
  {
    test_support::TestWorld buyer;  // the buyer's client, over the same rules and asteroids
    buyer.localChapter = 9;
    buyer.modules = w.modules.get();
    buyer.solar = &w.solar;
    EXPECT_EQ(CGChapter::ComputeTransferTurns(a, b), now) << "as the buyer's client lists it";
  }
  std::vector<std::uint16_t>& points = w.research[1].modulePoints;
  const std::vector<std::uint16_t> kept = points;
  for (int m = 0; m < w.modules->GetCount(); ++m)
    if (w.modules->GetRecord(m)->type == MODULE_PROPULSION) points[static_cast<std::size_t>(m)] = 0;
  EXPECT_EQ(SrvTransitTurns(world, 9, a, b), -1);
  EXPECT_EQ(SrvPurchaseTurns(world, 9, a, b), 1) << "a purchase still comes the next turn";
  EXPECT_EQ(SrvPurchaseTurns(world, 9, a, a), 0) << "none from its own asteroid, drive or not";
  points = kept;
  EXPECT_EQ(SrvPurchaseTurns(world, 9, a, b), now);
  EXPECT_EQ(SrvTransitTurns(world, 9, a, 250), -1) << "no such asteroid";
}

// A purchase is charged its whole price: the client reckons it in 16 bits,
// where a dear enough offer wraps round to nothing.
TEST_F(SrvGuildTrade, AMineralPriceThatWrapsIn16BitsIsChargedInFullAndRefusedWhenTheBuyerCannotPay) {
  const auto sellerPool = static_cast<std::uint8_t>(world.Chapter(8)->homeAsteroid);
  const auto buyerPool = static_cast<std::uint8_t>(world.Chapter(9)->homeAsteroid);
  // Twenty reactives at 32768 metals per ten: 65536, which is 0 in 16 bits.
  ASSERT_TRUE(game.Receive(
      1, Pkt<24>(PKT_MINERAL_OFFER_POSTED).U8(8, 8).U8(9, sellerPool).U8(10, 3).U16(12, 20).U16(14, 32768)));
  const std::size_t shipments = world.inTransit.size();
  const std::uint32_t metals = world.poolDB.GetMineral(buyerPool, 0);
  ASSERT_LT(metals, 65536u);
  auto buy = Pkt<16>(PKT_MINERAL_TRADE).U8(8, 8).U8(9, sellerPool).U8(10, 3).U8(11, 9).U8(12, buyerPool);
  EXPECT_FALSE(game.Receive(2, buy.U16(14, 20)));
  EXPECT_EQ(world.inTransit.size(), shipments) << "nothing sent";
  EXPECT_EQ(world.poolDB.GetMineral(buyerPool, 0), metals);
}

// The clients learn a zone's holder and entrenchment as the server keeps them:
// a whole-asteroid record would give the zone to the asteroid's owner and
// clear the entrenchment on their screens.
TEST_F(SrvOrders, AnEntrenchedZoneIsToldAsTheServerHoldsIt) {
  const std::uint16_t home = World().Chapter(kMine)->homeAsteroid;
  CGAsteroid* a = World().solar.GetAsteroid(home);
  const CGZone* zone = a->GetZone(1);
  ASSERT_GT(zone->atvCounts[0], 0);
  ASSERT_TRUE(game.Receive(7, Pkt<20>(PKT_ZONE_ENTRENCHED).U16(8, home).U16(10, 1).U16(12, kMine)));
  a->owner = kMine + 1;  // an owner other than the zone's holder
  out.sent.clear();
  EndTurn();
  ASSERT_NE(zone->entrenched[0], 0u);
  bool told = false;
  std::uint32_t toldEntrenched = 0;
  std::uint8_t toldOwner = 0;
  for (const Sent& s : out.sent) {
    const SrvPacket& p = s.packet;
    if (ReadU16(p, 8) != home) continue;
    if (ReadU16(p, 0) == PKT_ASTEROID_WITH_ZONES) {
      told = true;
      toldEntrenched = 0;
      toldOwner = p[209] != 0 ? p[10] : kZoneNobody;
    } else if (ReadU16(p, 0) == PKT_ASTEROID_ZONES && ReadU16(p, 10) == 1) {
      told = true;
      toldEntrenched = ReadU32(p, 28);
      toldOwner = p[14];
    }
  }
  ASSERT_TRUE(told);
  EXPECT_EQ(toldEntrenched, zone->entrenched[0]);
  EXPECT_EQ(toldOwner, zone->owner);
}

TEST_F(SrvOrders, AtvsBuiltAboardLandOnAFreeZoneAndComeBackAboard) {
  CGUnit* unit = UnitOf(kMine);
  const std::uint16_t home = unit->location.asteroid;
  UnitOrder build;
  build.type = ORDER_BUILD_ATVS;
  build.head[0] = 2;
  ASSERT_TRUE(Order(*unit, build));
  for (int t = 0; t < 20 && unit->atvCargo[0] == 0; ++t) EndTurn();
  ASSERT_EQ(unit->atvCargo[0], 2);

  UnitOrder land;
  land.type = ORDER_LAND_ATVS;
  land.head[5] = static_cast<std::uint8_t>(home);
  land.landing = std::make_unique<LandingBlock>();
  land.landing->Count(0, 3) = 2;
  land.landing->Count(1, 3) = 1;
  EXPECT_FALSE(Order(*unit, land)) << "one more than the hold carries";
  land.landing->Count(1, 3) = 0;
  ASSERT_TRUE(Order(*unit, land));
  EXPECT_EQ(unit->atvCargo[0], 0) << "they leave the hold with the order";
  const CGZone* zone = World().solar.GetAsteroid(home)->GetZone(3);
  for (int t = 0; t < 20 && unit->GetOrderCount() > 0; ++t) EndTurn();
  EXPECT_EQ(zone->owner, kMine);
  EXPECT_EQ(zone->atvCounts[0], 2);

  // A full hold puts no more into a zone than its ATV limit: the rest stays
  // aboard, neither lost nor landed past the limit.
  const CGZone* four = World().solar.GetAsteroid(home)->GetZone(4);
  ASSERT_EQ(four->owner, kZoneNobody);
  const auto full = static_cast<std::uint8_t>(unit->GetAtvCapacity());
  ASSERT_GT(full, four->atvLimit);
  unit->atvCargo[1] = full;
  UnitOrder many;
  many.type = ORDER_LAND_ATVS;
  many.head[5] = static_cast<std::uint8_t>(home);
  many.landing = std::make_unique<LandingBlock>();
  many.landing->Count(1, 4) = full;
  ASSERT_TRUE(Order(*unit, many));
  for (int t = 0; t < 20 && unit->GetOrderCount() > 0; ++t) EndTurn();
  EXPECT_EQ(four->atvCounts[1], four->atvLimit);
  EXPECT_EQ(unit->atvCargo[1], full - four->atvLimit);
  unit->atvCargo[1] = 0;

  UnitOrder recover;
  recover.type = ORDER_RECOVER_ATVS;
  recover.head[0] = 1;
  recover.head[5] = static_cast<std::uint8_t>(home);
  ASSERT_TRUE(Order(*unit, recover));
  for (int t = 0; t < 20 && unit->GetOrderCount() > 0; ++t) EndTurn();
  EXPECT_EQ(unit->atvCargo[0], 1);

  // No ATV comes up from an asteroid other than the one the unit is at.
  const auto far = static_cast<std::uint16_t>((home + 1) % CGSolarDB::GetAsteroidCount());
  CGZone* remote = World().solar.GetAsteroid(far)->GetZone(0);
  remote->SetOwner(kMine);
  remote->atvCounts[0] = 3;
  recover.head[0] = 3;
  recover.head[5] = static_cast<std::uint8_t>(far);
  ASSERT_TRUE(Order(*unit, recover));
  for (int t = 0; t < 20 && unit->GetOrderCount() > 0; ++t) EndTurn();
  EXPECT_EQ(unit->atvCargo[0], 1);
  EXPECT_EQ(remote->atvCounts[0], 3);
}

// A recovery ordered by a unit with an empty store (every unit's at the start)
// is first counted with the unit drifting to the centre at idle speed; from the
// next turn it has power and the player is told far fewer turns, and the
// ATVs come aboard when the player was told.
TEST_F(SrvOrders, ARecoveryBegunWithoutPowerEndsWhenThePlayerIsToldOnceItHasPower) {
  CGUnit* unit = UnitOf(kMine);
  const std::uint16_t home = unit->location.asteroid;
  // Out of the ATVs' range, on drives as slow as the start's ships.
  unit->location = Location{home, 0, 1700, 0};
  unit->percents[PCT_LOCAL_DRIVE] = 20;
  unit->power = 0;
  UnitOrder recover;
  recover.type = ORDER_RECOVER_ATVS;
  recover.head[0] = 1;
  recover.head[5] = static_cast<std::uint8_t>(home);
  ASSERT_TRUE(Order(*unit, recover));
  const std::uint16_t idle = unit->GetNumTurnsUntilOrderCompletion(nullptr);
  EndTurn();
  ASSERT_GT(unit->power, 0);
  const std::uint16_t told = unit->GetNumTurnsUntilOrderCompletion(nullptr);
  ASSERT_GT(told, 1);
  ASSERT_LT(told + 1, idle) << "the idle drift is the longer way";
  for (int t = 1; t < told; ++t) {
    EndTurn();
    ASSERT_EQ(unit->GetOrderCount(), 1) << "not before the turn told, " << t;
  }
  EndTurn();
  EXPECT_EQ(unit->GetOrderCount(), 0);
  EXPECT_EQ(unit->atvCargo[0], 1);
}

// The client's recorder of the asteroid filled from the 602 and 603 packets
// sent to the player since `from`.
std::vector<TerrainEvent> RecordedFor(const RecordingOutbox& out, std::size_t from, std::uint16_t asteroid) {
  CRecorder recorder;
  for (std::size_t i = from; i < out.sent.size(); ++i) {
    const Sent& s = out.sent[i];
    if (s.Type() == PKT_TERRAIN_CLEARED && ReadU16(s.packet, 8) == asteroid) recorder.Clear();
    if (s.Type() == PKT_TERRAIN_EVENTS && ReadU16(s.packet, 10) == asteroid) {
      EXPECT_EQ(recorder.AddTerrainEventPacket(s.packet), 1);
    }
  }
  std::vector<TerrainEvent> events;
  for (std::uint16_t i = 0; i < recorder.GetTerrainEventCount(); ++i) events.push_back(*recorder.GetTerrainEvent(i));
  for (TerrainEvent& e : events) e.mover = nullptr;
  return events;
}

int CountKind(const std::vector<TerrainEvent>& events, std::uint32_t kind, std::uint32_t source) {
  return static_cast<int>(std::count_if(events.begin(), events.end(),
                                        [&](const TerrainEvent& e) { return e.a == kind && e.sourceType == source; }));
}

// ATVs landing come down in pods, which the combat ATVs of a hostile zone
// beside the landing zone shoot at: a downed pod's ATV is lost. A recovery
// calls them back up. The terrain replay the client records shows both.
TEST_F(SrvOrders, LandingsAndPickUpsArePlayedInTheTerrainReplay) {
  CGUnit* unit = UnitOf(kMine);
  const std::uint16_t home = unit->location.asteroid;
  CGAsteroid* asteroid = const_cast<SrvWorld&>(World()).solar.GetAsteroid(home);
  // A free landing zone with a neighbour held by chapter 0, hostile to guild
  // 1; none of the chapter's zones borders it, so that its computer player
  // finds nothing to attack while the unit closes in.
  const auto free = [&](std::uint16_t z) { return asteroid->GetZone(z)->owner == kZoneNobody; };
  const auto bordersMine = [&](std::uint16_t z) {
    for (std::uint16_t k = 0; k < asteroid->GetZoneCount(); ++k)
      if (asteroid->GetZone(k)->owner == kMine && asteroid->AreZonesAdjacent(z, k)) return true;
    return false;
  };
  std::uint16_t landing = 0xFFFF, guard = 0xFFFF;
  for (std::uint16_t z = 1; z < asteroid->GetZoneCount() && landing == 0xFFFF; ++z)
    for (std::uint16_t k = 1; k < asteroid->GetZoneCount(); ++k)
      if (k != z && free(z) && free(k) && asteroid->AreZonesAdjacent(z, k) && !bordersMine(k)) {
        landing = z;
        guard = k;
        break;
      }
  ASSERT_NE(landing, 0xFFFF);
  CGZone* guarded = asteroid->GetZone(guard);
  guarded->owner = 0;
  guarded->SetAtvCounts(8, 0, 0, 0);
  unit->atvCargo[1] = 6;
  UnitOrder land;
  land.type = ORDER_LAND_ATVS;
  land.head[5] = static_cast<std::uint8_t>(home);
  land.landing = std::make_unique<LandingBlock>();
  land.landing->Count(1, landing) = 6;
  unit->power = unit->GetMaxPower();  // closes in at its drives' speed
  ASSERT_TRUE(Order(*unit, land));
  std::size_t turnStart = out.sent.size();
  // The unit first closes in on the asteroid's centre.
  for (int t = 0; t < 60 && unit->GetOrderCount() > 0; ++t) {
    turnStart = out.sent.size();
    EndTurn();
  }
  ASSERT_EQ(unit->GetOrderCount(), 0);
  const CGZone* zone = asteroid->GetZone(landing);
  const int landed = zone->atvCounts[1];
  auto events = RecordedFor(out, turnStart, home);
  EXPECT_EQ(CountKind(events, kTerrainLanding, kElementAtv), 6) << "one per ATV that came down";
  EXPECT_EQ(CountKind(events, kTerrainLanding, kElementPod), 1) << "the pods of the kind";
  const int downed = CountKind(events, kTerrainPodShotDown, kElementShot);
  EXPECT_GT(downed, 0) << "eight guns at 20 in 100";
  ASSERT_LT(downed, 6);
  EXPECT_EQ(landed, 6 - downed);
  for (const TerrainEvent& e : events)
    if (e.a == kTerrainPodShotDown) {
      EXPECT_EQ(e.d, guard);
      EXPECT_EQ(e.g, landing);
      EXPECT_EQ(e.w, 0);
    }
  EXPECT_EQ(unit->atvCargo[1], 0) << "a downed pod's ATV is lost";
  guarded->owner = kZoneNobody;  // the guard withdraws before it attacks the new neighbour
  guarded->SetAtvCounts(0, 0, 0, 0);

  UnitOrder recover;
  recover.type = ORDER_RECOVER_ATVS;
  recover.head[1] = static_cast<std::uint8_t>(landed);
  recover.head[5] = static_cast<std::uint8_t>(home);
  ASSERT_TRUE(Order(*unit, recover));
  for (int t = 0; t < 60 && unit->GetOrderCount() > 0; ++t) {
    turnStart = out.sent.size();
    EndTurn();
  }
  ASSERT_EQ(unit->atvCargo[1], landed);
  events = RecordedFor(out, turnStart, home);
  // A pod for each zone the mining ATVs come up from, the home's ring-0 zones first.
  ASSERT_GE(CountKind(events, kTerrainPickUp, kElementPod), 1);
  for (const TerrainEvent& e : events)
    if (e.a == kTerrainPickUp) {
      EXPECT_TRUE(e.g == landing || e.g == 1u || e.g == 2u) << e.g;
      EXPECT_EQ(e.d, e.g);
      EXPECT_EQ(e.targetValue, 1u);
      EXPECT_EQ(e.w, kMine);
    }
}

TEST_F(SrvOrders, AShipIsRepairedAndRefittedInThePredictedTurns) {
  CGUnit* builder = UnitOf(kMine);
  CGUnit* ship = BuildShip(*builder);
  ASSERT_NE(ship, nullptr);

  ship->hullDamage = 40;
  ship->modules[1].damage = 5;
  ASSERT_TRUE(Order(*builder, Ordered(ORDER_REPAIR_UNIT, {ship->id})));
  const std::uint16_t repairTurns = builder->GetNumTurnsUntilOrderCompletion(nullptr);
  ASSERT_LT(repairTurns, 100);
  for (std::uint16_t t = 0; t + 1 < std::max<std::uint16_t>(repairTurns, 1); ++t) EndTurn();
  EXPECT_EQ(ship->hullDamage, 40) << "not before the predicted turn";
  out.sent.clear();
  EndTurn();
  EXPECT_EQ(ship->hullDamage, 0);
  EXPECT_EQ(ship->modules[1].damage, 0);
  EXPECT_GE(out.Count(PKT_UNIT_STATUS), 1u);

  // A refit to a lighter design of the chapter's.
  const std::uint32_t lighterId = AddLighterDesign();
  ASSERT_NE(lighterId, kNoTargetId);
  ASSERT_TRUE(Order(*builder, Ordered(ORDER_MODIFY_SHIP, {lighterId, ship->id})));
  for (int t = 0; t < 30 && builder->GetOrderCount() > 0; ++t) EndTurn();
  EXPECT_EQ(ship->GetTemplate()->templateId, lighterId);
  EXPECT_EQ(ship->GetConstructionCapacity(), 0) << "the crane is gone";

  // Scrapped, half its design's minerals come back to the pool.
  std::uint32_t cost[5] = {};
  ship->GetTemplate()->GetCost32(cost);
  const std::uint16_t home = builder->location.asteroid;
  const std::uint32_t shipId = ship->id;
  ASSERT_TRUE(Order(*builder, Ordered(ORDER_SCRAP_UNIT, {shipId})));
  const std::uint32_t metals = World().poolDB.GetMineral(home, 0);
  out.sent.clear();
  for (int t = 0; t < 30 && builder->GetOrderCount() > 0; ++t) EndTurn();
  std::uint16_t at = 0;
  EXPECT_EQ(World().pieces->FindUnit(shipId, &at), nullptr);
  EXPECT_EQ(World().poolDB.GetMineral(home, 0), metals + cost[0] / 2);
  EXPECT_GE(out.Count(PKT_UNIT_DELETED), 1u);
}

// A refit saved before it is done goes on after the load, and the design it gives
// the ship stays among the chapter's while the ship flies it.
TEST_F(SrvOrders, ARefitSavedUndoneLeavesTheShipFlyingADesignTheChapterKeeps) {
  CGUnit* builder = UnitOf(kMine);
  CGUnit* ship = BuildShip(*builder);
  ASSERT_NE(ship, nullptr);
  const std::uint32_t lighterId = AddLighterDesign();
  ASSERT_NE(lighterId, kNoTargetId);
  ASSERT_TRUE(Order(*builder, Ordered(ORDER_MODIFY_SHIP, {lighterId, ship->id})));
  const std::uint32_t builderId = builder->id, shipId = ship->id;
  const std::string path = Folder() + "refit.svr";
  ASSERT_TRUE(game.Save(path, 78));
  ASSERT_TRUE(game.Load(path, 78));

  std::uint16_t at = 0;
  builder = World().pieces->FindUnit(builderId, &at);
  ASSERT_NE(builder, nullptr);
  ASSERT_EQ(builder->GetOrderCount(), 1);
  for (int t = 0; t < 30 && builder->GetOrderCount() > 0; ++t) EndTurn();
  ship = World().pieces->FindUnit(shipId, &at);
  ASSERT_NE(ship, nullptr);
  const CGUnitTemplate* design = World().templates->FindTemplateById(lighterId);
  ASSERT_NE(design, nullptr) << "the design was let go while the ship flies it";
  EXPECT_EQ(ship->GetTemplate(), design);
  EXPECT_EQ(design->references, 1);
}

TEST_F(SrvOrders, SelfRepairMendsItsDamageControlsWorthEachTurnUntilWhole) {
  CGUnit* unit = UnitOf(kMine);
  const UnitOrder self = Ordered(ORDER_REPAIR);
  EXPECT_FALSE(Order(*unit, self)) << "no damage control";
  // The laser made a damage-control module of 10 points, fitted in the crane's place.
  ModuleRecord* medic = World().modules->GetRecord(4);
  medic->type = MODULE_DAMAGECONTROL;
  medic->typeData[0] = 10;
  unit->GetTemplate()->FitModule(1, 4);
  unit->RecomputeStats();
  unit->hullDamage = 12;
  unit->modules[2].damage = 3;
  ASSERT_TRUE(Order(*unit, self));
  out.sent.clear();
  EndTurn();
  EXPECT_EQ(std::make_tuple(+unit->modules[2].damage, +unit->hullDamage), std::make_tuple(0, 5)) << "the module first";
  EXPECT_EQ(unit->GetOrderCount(), 1);
  EXPECT_GE(out.Count(PKT_UNIT_STATUS), 1u);
  EndTurn();
  EXPECT_EQ(unit->hullDamage, 0);
  EXPECT_EQ(unit->GetOrderCount(), 0);
}

// A ship repaired or rebuilt flies and fights whole at once: its destroyed
// drives count again, not only once something else recounts its modules.
TEST_F(SrvOrders, AMendedShipsDestroyedDrivesWorkAgain) {
  CGUnit* builder = UnitOf(kMine);
  CGUnit* ship = BuildShip(*builder);
  ASSERT_NE(ship, nullptr);
  const std::int32_t whole = ship->GetDeepSpaceSpeed();
  ASSERT_GT(whole, 0);
  for (std::uint32_t type : {ORDER_REPAIR_UNIT, ORDER_REBUILD_UNIT}) {
    for (int s = 0; s < kUnitSlots; ++s)
      if (const ModuleRecord* m = SlotModule(ship->GetTemplate(), s); m != nullptr && m->type == MODULE_PROPULSION)
        ship->modules[s].damage = static_cast<std::uint8_t>(ship->GetSlotCapacity(s));
    ship->RecomputeStats();
    ASSERT_EQ(ship->GetDeepSpaceSpeed(), 0) << type;
    builder->power = builder->GetMaxPower();
    ASSERT_TRUE(Order(*builder, Ordered(type, {ship->id}))) << type;
    for (int t = 0; t < 30 && builder->GetOrderCount() > 0; ++t) EndTurn();
    EXPECT_EQ(ship->GetRepairPoints(), 0) << type;
    EXPECT_EQ(ship->GetDeepSpaceSpeed(), whole) << type;
  }
}

// A repair ordered from across the asteroid's space by a builder with an empty
// store: likewise done within the turns the player is told once the builder
// has power.
TEST_F(SrvOrders, ARepairFromAfarBegunWithoutPowerEndsWhenThePlayerIsTold) {
  CGUnit* builder = UnitOf(kMine);
  CGUnit* ship = BuildShip(*builder);
  ASSERT_NE(ship, nullptr);
  const std::uint16_t home = builder->location.asteroid;
  builder->location = Location{home, 0, 1700, 0};
  builder->percents[PCT_LOCAL_DRIVE] = 20;
  builder->power = 0;
  ship->location = Location{home, 0, -1700, 0};
  ship->hullDamage = 40;
  ASSERT_TRUE(Order(*builder, Ordered(ORDER_REPAIR_UNIT, {ship->id})));
  const std::uint16_t idle = builder->GetNumTurnsUntilOrderCompletion(nullptr);
  EndTurn();
  const std::uint16_t told = builder->GetNumTurnsUntilOrderCompletion(nullptr);
  ASSERT_GT(told, 1);
  ASSERT_LT(told * 2, idle) << "the idle approach is the far longer way";
  for (int t = 0; t < told && builder->GetOrderCount() > 0; ++t) EndTurn();
  EXPECT_EQ(ship->hullDamage, 0) << "within the turns told";
  EXPECT_EQ(builder->GetOrderCount(), 0);
}

// Work the player is told is done (a figure of 0) ends that turn, mid-order as
// at its start: a taker filled from elsewhere, a ship whose damage was mended
// meanwhile.
TEST_F(SrvOrders, WorkThePlayerIsToldIsDoneEndsThatTurnMidOrder) {
  CGUnit* builder = UnitOf(kMine);
  CGUnit* ship = BuildShip(*builder);
  ASSERT_NE(ship, nullptr);
  const auto endsOnceDone = [&](std::uint32_t type, const auto& finish) {
    builder->location = Location{builder->location.asteroid, 0, 1700, 0};
    ship->location = builder->location;
    ship->location.x = 100;
    builder->power = builder->GetMaxPower();
    ship->power = 0;
    ship->hullDamage = 200;
    ASSERT_TRUE(Order(*builder, Ordered(type, {ship->id})));
    ASSERT_GT(builder->GetNumTurnsUntilOrderCompletion(nullptr), 2) << type;
    EndTurn();
    ASSERT_EQ(builder->GetOrderCount(), 1) << type;
    finish();
    ASSERT_EQ(builder->GetNumTurnsUntilOrderCompletion(nullptr), 0) << type;
    EndTurn();
    EXPECT_EQ(builder->GetOrderCount(), 0) << type << " ends in the turn the player is told it is done";
  };
  endsOnceDone(ORDER_TRANSFER_POWER, [&] { ship->power = ship->GetMaxPower(); });
  endsOnceDone(ORDER_REPAIR_UNIT, [&] { ship->hullDamage = 0; });
}
