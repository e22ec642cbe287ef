#include <gtest/gtest.h>

#include <map>
#include <set>

#include "Game/net/ReplayFile.h"
#include "server/battle/SrvBattlePackets.h"
#include "server/battle/SrvSpaceBattle.h"
#include "tests/server/battle/battle_fixture.h"
#include "tests/server/battle/replay_reader.h"

namespace battle_test {
namespace {

constexpr std::uint16_t kBattleAsteroid = 1;  // nobody's home

class SpaceBattle : public BattleWorld {
 protected:
  // The replay as the client stores it from the 503 packets queued for the chapter.
  ReadReplay ClientReplay(const SrvTurnContext& turn, std::uint16_t chapter, std::uint16_t number) {
    // The client starts each turn's replays afresh.
    g_replayWriter.Reset();
    box.Write(std::to_string(number) + ".rpl", std::string());
    for (const SrvPacket& p : OfType(turn, chapter, 503)) {
      if (ReadU16(p, 10) != number) continue;
      EXPECT_TRUE(g_replayWriter.AddPart(p));
    }
    return ReadReplayFile(box.Dos(std::to_string(number) + ".rpl"));
  }
  // Parameters 1 and 2 of the chapter's space-battle notifications.
  static std::vector<std::pair<std::uint16_t, std::uint32_t>> BattleNotices(const SrvTurnContext& turn,
                                                                            std::uint16_t chapter) {
    std::vector<std::pair<std::uint16_t, std::uint32_t>> out;
    for (const SrvPacket& p : OfType(turn, chapter, 1500)) {
      if (ReadU16(p, 8) == 4 && ReadU16(p, 10) == 401) out.emplace_back(ReadU16(p, 140), ReadU32(p, 144));
    }
    return out;
  }
};

TEST_F(SpaceBattle, TheStrongerFleetDestroysTheWeakerAndKeepsItsShips) {
  const auto strong = Fleet(0, Design(0, {kDrive, kGun, kGun, kGun}), 4, kBattleAsteroid);
  const auto weak = Fleet(8, Design(8, {kDrive, kGun}), 1, kBattleAsteroid, 100);
  auto turn = Resolve();
  EXPECT_FALSE(weak[0]->IsOperational());
  for (const CGUnit* u : strong) EXPECT_TRUE(u->IsOperational());
  // Both sides hear of it, with a replay to review.
  EXPECT_EQ(BattleNotices(*turn, 0), (std::vector<std::pair<std::uint16_t, std::uint32_t>>{{1, kBattleAsteroid}}));
  EXPECT_EQ(BattleNotices(*turn, 8), BattleNotices(*turn, 0));
  EXPECT_TRUE(BattleNotices(*turn, 16).empty());
  // The destroyed unit's state tells the client so.
  bool toldDestroyed = false;
  for (const SrvPacket& p : OfType(*turn, 0, 304))
    toldDestroyed |= ReadU32(p, 8) == weak[0]->id && ReadU32(p, 100) == 1;
  EXPECT_TRUE(toldDestroyed);
}

TEST_F(SpaceBattle, APlanThatHoldsFireFiresNoShotAndAnAttackOrderNamesTheOnlyTarget) {
  auto holders = Fleet(0, Design(0, {kDrive, kGun}), 2, kBattleAsteroid);
  auto idle = Fleet(8, Design(8, {kDrive, kGun}), 2, kBattleAsteroid, 50);
  for (CGUnit* u : holders) u->targeting[2] = 1;  // only the ordered target
  for (CGUnit* u : idle) u->modules[1].SetFiringLevel(0);
  auto turn = Resolve();
  EXPECT_EQ(ClientReplay(*turn, 0, kBattleAsteroid).Shots().size(), 0u);
  for (const CGUnit* u : idle) EXPECT_EQ(u->hullDamage + u->lifeSupportDamage + u->modules[0].damage, 0);
  EXPECT_EQ(BattleNotices(*turn, 8), (std::vector<std::pair<std::uint16_t, std::uint32_t>>{{0, kBattleAsteroid}}));

  auto order = std::make_unique<UnitOrder>();
  order->type = ORDER_ATTACK_UNIT;
  order->SetWord(0, idle[1]->id);
  holders[0]->orders.InsertAt(order.release(), 0);
  turn = Resolve();
  const ReadReplay replay = ClientReplay(*turn, 0, kBattleAsteroid);
  ASSERT_GT(replay.Shots().size(), 0u);
  for (const ReadShot& shot : replay.Shots()) {
    EXPECT_EQ(shot.unit, holders[0]->id);
    EXPECT_EQ(shot.target, idle[1]->id);
  }
}

TEST_F(SpaceBattle, ShieldedFleetsFightToTheRoundCapAndSpendTheirAmmunition) {
  const auto a = Fleet(0, Design(0, {kDrive, kGun, kShield}), 1, kBattleAsteroid);
  const auto b = Fleet(8, Design(8, {kDrive, kGun, kShield}), 1, kBattleAsteroid, 20);
  auto turn = Resolve();
  const ReadReplay replay = ClientReplay(*turn, 8, kBattleAsteroid);
  ASSERT_TRUE(replay.whole);
  EXPECT_EQ(replay.rounds.size(), static_cast<std::size_t>(kMaxBattleRounds));
  for (const ReadShot& shot : replay.Shots()) {
    // Every hit is a shield that held: the shield module named; misses are plain.
    ASSERT_EQ(shot.parts.size(), 1u);
    if (shot.parts[0].code == kShotShieldHeld) {
      EXPECT_EQ(shot.parts[0].value, kShield);
    } else {
      EXPECT_EQ(shot.parts[0].code, kShotMiss);
    }
  }
  for (const CGUnit* u : {a[0], b[0]}) {
    EXPECT_EQ(u->hullDamage, 0);
    EXPECT_EQ(u->modules[1].ammo, 0);  // 30 rounds of ammunition, three a round
  }
}

TEST_F(SpaceBattle, AGunThatFiresItsLastRoundIsToldItsOwnerOnce) {
  const auto a = Fleet(0, Design(0, {kDrive, kGun, kShield}), 1, kBattleAsteroid);
  const auto b = Fleet(8, Design(8, {kDrive, kGun, kShield}), 1, kBattleAsteroid, 20);
  b[0]->modules[1].ammo = 31;  // one round more than ten rounds of three fire
  auto turn = Resolve();
  ASSERT_EQ(a[0]->modules[1].ammo, 0);
  ASSERT_EQ(b[0]->modules[1].ammo, 1);
  auto emptied = [&](std::uint16_t chapter) {
    std::vector<std::pair<std::uint16_t, std::uint32_t>> out;
    for (const SrvPacket& p : OfType(*turn, chapter, 1500))
      if (ReadU16(p, 8) == 1 && ReadU16(p, 10) == 110) out.emplace_back(ReadU16(p, 140), ReadU32(p, 148));
    return out;
  };
  EXPECT_EQ(emptied(0), (std::vector<std::pair<std::uint16_t, std::uint32_t>>{{kGun, a[0]->id}}));
  EXPECT_TRUE(emptied(8).empty()) << "a round left";
  turn = Resolve();
  EXPECT_EQ(emptied(8), (std::vector<std::pair<std::uint16_t, std::uint32_t>>{{kGun, b[0]->id}}));
  EXPECT_TRUE(emptied(0).empty()) << "told once";
}

TEST_F(SpaceBattle, AShotThatGetsThroughTheShieldIsNotToldAsHeld) {
  // At firing level 7 the gun strikes harder than the shield stops: the
  // replay view would play a "held" part as deflected, whatever follows it.
  auto a = Fleet(0, Design(0, {kDrive, kGun, kShield}), 1, kBattleAsteroid);
  auto b = Fleet(8, Design(8, {kDrive, kGun, kShield}), 1, kBattleAsteroid, 20);
  for (CGUnit* u : {a[0], b[0]}) u->modules[1].SetFiringLevel(7);
  auto turn = Resolve();
  const ReadReplay replay = ClientReplay(*turn, 0, kBattleAsteroid);
  int hits = 0;
  for (const ReadShot& shot : replay.Shots()) {
    for (const ReadPart& part : shot.parts) {
      EXPECT_NE(part.code, kShotShieldHeld);
      hits += part.code == kShotHit || part.code == kShotDestroyed ? 1 : 0;
    }
  }
  EXPECT_GT(hits, 0);
}

// The log's count of shots that did damage tells a battle of held shots
// from one that wears a side down.
TEST_F(SpaceBattle, OnlyShotsThatGetThroughCountAsDamaging) {
  auto a = Fleet(0, Design(0, {kDrive, kGun, kShield}), 1, kBattleAsteroid);
  auto b = Fleet(8, Design(8, {kDrive, kGun, kShield}), 1, kBattleAsteroid, 20);
  std::vector<CGUnit*> both = {a[0], b[0]};
  const SrvSpaceBattleResult held = SrvFightSpaceBattle(both, random);
  EXPECT_GT(held.ShotCount(), 0u);
  EXPECT_EQ(held.DamagingCount(), 0u);
  for (CGUnit* u : both) {
    u->modules[1].ammo = 30;
    u->modules[1].SetFiringLevel(7);
  }
  const SrvSpaceBattleResult through = SrvFightSpaceBattle(both, random);
  std::uint32_t damaging = 0;
  for (const auto& round : through.rounds)
    for (const SrvShot& shot : round) damaging += shot.parts[0].code == kShotMiss ? 0 : 1;
  EXPECT_GT(damaging, 0u);
  EXPECT_EQ(through.DamagingCount(), damaging);
}

TEST_F(SpaceBattle, AReplayTooLongForItsPartsIsCutAtAShotAndStillClosed) {
  std::vector<std::uint16_t> modules(19, kGun);
  modules.insert(modules.begin(), kShield);
  Fleet(0, Design(0, modules), 20, kBattleAsteroid);
  Fleet(8, Design(8, modules), 20, kBattleAsteroid, 300);
  auto turn = Resolve();
  const auto parts = OfType(*turn, 8, 503);
  ASSERT_EQ(parts.size(), replay::kMostReplayParts);
  for (std::size_t i = 0; i < parts.size(); ++i) EXPECT_EQ(parts[i][8], i + 1);
  const ReadReplay replay = ClientReplay(*turn, 8, kBattleAsteroid);
  EXPECT_TRUE(replay.whole);
  EXPECT_EQ(replay.rounds.size(), static_cast<std::size_t>(kMaxBattleRounds));
  EXPECT_GT(replay.Shots().size(), 1000u);
}

TEST_F(SpaceBattle, TheReplayTheClientStoresHoldsTheShotsThatWereResolved) {
  const auto red = Fleet(0, Design(0, {kDrive, kGun, kGun}), 3, kBattleAsteroid);
  const auto blue = Fleet(8, Design(8, {kDrive, kGun, kGun}), 3, kBattleAsteroid, 60);
  blue[2]->retreat = {90, 10, 0};  // leaves past 10 hull damage or 90 life-support damage
  auto turn = Resolve();
  const ReadReplay replay = ClientReplay(*turn, 0, kBattleAsteroid);
  ASSERT_TRUE(replay.whole);
  EXPECT_EQ(replay.chapters, (std::vector<std::uint8_t>{0, 8}));
  EXPECT_EQ(replay.number, kBattleAsteroid);
  EXPECT_EQ(replay.units.size(), 6u);
  ASSERT_GT(replay.Shots().size(), 0u);
  std::map<std::uint32_t, int> hull, life;
  std::map<std::uint32_t, bool> destroyed;
  for (const ReadShot& shot : replay.Shots()) {
    EXPECT_EQ(shot.weapon, kGun);
    for (const ReadPart& part : shot.parts) {
      if (part.code == kShotHit || part.code == kShotDestroyed) {
        if (part.value == kHitHull) hull[shot.target] += part.amount;
        if (part.value == kHitLifeSupport) life[shot.target] += part.amount;
      }
      if (part.code == kShotDestroyed) destroyed[shot.target] = true;
    }
  }
  int hurt = 0;
  for (const auto* side : {&red, &blue}) {
    for (const CGUnit* u : *side) {
      hurt += u->hullDamage;
      EXPECT_EQ(hull[u->id], u->hullDamage);
      EXPECT_EQ(life[u->id], u->lifeSupportDamage);
      EXPECT_EQ(destroyed[u->id], !u->IsOperational());
    }
  }
  EXPECT_GT(hurt, 0);
  // The unit that would rather leave is listed as departing once hurt.
  const bool leaving = blue[2]->hullDamage > 10 || blue[2]->lifeSupportDamage > 90;
  EXPECT_EQ(std::count(replay.departures.begin(), replay.departures.end(), blue[2]->id),
            leaving && blue[2]->IsOperational() ? 1 : 0);
}

TEST_F(SpaceBattle, UnitsOrderedOrPlannedToRetreatLeaveTheBattle) {
  const auto hunters = Fleet(0, Design(0, {kDrive, kGun}), 1, kBattleAsteroid);
  auto leaving = Fleet(8, Design(8, {kDrive, kGun}), 1, kBattleAsteroid, 30);
  auto scout = Fleet(8, Design(8, {kDrive, kShield}), 1, kBattleAsteroid, 60);  // the gun cannot hurt it
  scout[0]->retreat[2] = 1;                                                     // leaves once it has nothing to fire
  auto order = std::make_unique<UnitOrder>();
  order->type = ORDER_RETREAT;
  leaving[0]->orders.InsertAt(order.release(), 0);
  auto turn = Resolve();
  const ReadReplay replay = ClientReplay(*turn, 8, kBattleAsteroid);
  ASSERT_TRUE(replay.whole);
  EXPECT_EQ(replay.departures, (std::vector<std::uint32_t>{leaving[0]->id, scout[0]->id}));
  for (const ReadShot& shot : replay.Shots()) EXPECT_EQ(shot.unit, hunters[0]->id);
  // Whoever is left standing has no one to fight once both have gone.
  EXPECT_LE(replay.rounds.size(), 1u);
}

// The clients find a replay, its review log and its place on screen by an
// asteroid: a fight in solar space is named after the nearest asteroid that
// has no battle of its own, and two fights far apart get a replay each.
TEST_F(SpaceBattle, SolarSpaceFightsAreNamedAfterTheNearestAsteroidWithoutABattle) {
  const std::uint16_t solar = CGSolarDB::GetAsteroidCount();
  Location at;
  world.solar.GetAsteroid(kBattleAsteroid)->GetPosition(&at);
  const auto design0 = Design(0, {kDrive, kGun});
  const auto design8 = Design(8, {kDrive, kGun});
  Fleet(0, design0, 1, kBattleAsteroid);
  Fleet(8, design8, 1, kBattleAsteroid, 50);
  const auto near0 = Fleet(0, design0, 1, solar, at.x);
  const auto near8 = Fleet(8, design8, 1, solar, static_cast<std::int16_t>(at.x + 100));
  const auto far8 = Fleet(8, design8, 1, solar, static_cast<std::int16_t>(at.x > 0 ? at.x - 20000 : at.x + 20000));
  const auto far16 = Fleet(16, Design(16, {kDrive, kGun}), 1, solar, far8[0]->location.x);
  for (CGUnit* u : {near0[0], near8[0], far8[0], far16[0]}) {
    u->location.y = at.y;
    u->location.z = at.z;
  }
  const Location nearPlace = near0[0]->location, farPlace = far8[0]->location;
  auto turn = Resolve();

  const auto notices = BattleNotices(*turn, 0);
  ASSERT_EQ(notices.size(), 2u);
  EXPECT_EQ(notices[0].second, kBattleAsteroid);
  const std::uint32_t nearNumber = notices[1].second, farNumber = BattleNotices(*turn, 16).at(0).second;
  EXPECT_EQ(BattleNotices(*turn, 8).size(), 3u);
  std::set<std::uint32_t> numbers{kBattleAsteroid, nearNumber, farNumber};
  EXPECT_EQ(numbers.size(), 3u) << "one replay file per battle";
  const auto nearest = [&](const Location& place, std::uint32_t number) {
    ASSERT_LT(number, solar);
    const auto sq = [&](std::uint16_t i) {
      Location p;
      world.solar.GetAsteroid(i)->GetPosition(&p);
      const double dx = p.x - place.x, dy = p.y - place.y, dz = p.z - place.z;
      return dx * dx + dy * dy + dz * dz;
    };
    for (std::uint16_t i = 0; i < solar; ++i) {
      if (i == kBattleAsteroid || i == nearNumber || i == farNumber) continue;
      EXPECT_LE(sq(static_cast<std::uint16_t>(number)), sq(i)) << i << " is nearer";
    }
  };
  nearest(nearPlace, nearNumber);
  nearest(farPlace, farNumber);
  const ReadReplay replay = ClientReplay(*turn, 0, static_cast<std::uint16_t>(nearNumber));
  EXPECT_EQ(replay.number, nearNumber);
  EXPECT_EQ(replay.units, (std::vector<std::uint32_t>{near0[0]->id, near8[0]->id}));
  EXPECT_GT(replay.Shots().size(), 0u);
  EXPECT_EQ(ClientReplay(*turn, 16, static_cast<std::uint16_t>(farNumber)).units,
            (std::vector<std::uint32_t>{far8[0]->id, far16[0]->id}));
}

TEST_F(SpaceBattle, ARetreatPlanLeavesPastTheDamageItNamesAndAStationNeverLeaves) {
  // The plan keeps the damage a unit bears before it leaves: 100 is never,
  // 0 the first blow; a unit that cannot move stays whatever its plan says.
  CGUnitTemplate* hunter = Design(0, {kDrive, kGun, kGun});
  CGUnitTemplate* mobile = Design(8, {kDrive, kGun, kGun});
  CGUnitTemplate* station = Design(8, {kGun, kGun, kGun});
  const auto fight = [&](CGUnitTemplate* design, std::array<std::uint8_t, 3> plan) {
    world.pieces->DeleteUnitsAt(kBattleAsteroid);
    Fleet(0, hunter, 1, kBattleAsteroid);
    CGUnit* u = Fleet(8, design, 1, kBattleAsteroid, 50)[0];
    u->retreat = plan;
    for (int s : {1, 2}) u->modules[s].SetFiringLevel(0);  // it only takes the blows
    u->RecomputeStats();
    auto turn = Resolve();
    const ReadReplay replay = ClientReplay(*turn, 8, kBattleAsteroid);
    EXPECT_TRUE(replay.whole);
    EXPECT_GT(u->hullDamage + u->lifeSupportDamage, 0);
    return std::count(replay.departures.begin(), replay.departures.end(), u->id);
  };
  EXPECT_EQ(fight(mobile, {100, 100, 0}), 0);
  EXPECT_EQ(fight(station, {0, 0, 0}), 0);
  EXPECT_EQ(fight(mobile, {0, 0, 0}), 1);
}

// Each destroyed unit is told after the movement phases, where the replay
// view reads it, with its wreck list, so that it stays on the screen as a
// wreck.
TEST_F(SpaceBattle, EveryDestroyedUnitIsToldWithItsWreck) {
  const auto strong = Fleet(0, Design(0, {kDrive, kGun, kGun, kGun}), 4, kBattleAsteroid);
  const auto weak = Fleet(8, Design(8, {kDrive, kGun}), 2, kBattleAsteroid, 100);
  auto turn = Resolve();
  const ReadReplay replay = ClientReplay(*turn, 8, kBattleAsteroid);
  ASSERT_TRUE(replay.whole);
  std::vector<std::uint32_t> told, wrecks, expected;
  for (const ReadItem& item : replay.Items(3)) {
    told.push_back(item.words[0]);
    for (const auto& [id, flag] : item.wrecks) {
      EXPECT_EQ(flag, 1u);
      wrecks.push_back(id);
    }
  }
  for (const auto* side : {&strong, &weak})
    for (const CGUnit* u : *side)
      if (!u->IsOperational()) expected.push_back(u->id);
  ASSERT_FALSE(expected.empty());
  std::sort(told.begin(), told.end());
  std::sort(wrecks.begin(), wrecks.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(told, expected);
  EXPECT_EQ(wrecks, expected);
}

std::vector<std::vector<std::uint32_t>> Payloads(const std::vector<ReadItem>& items) {
  std::vector<std::vector<std::uint32_t>> out;
  for (const ReadItem& item : items) out.push_back(item.words);
  std::sort(out.begin(), out.end());
  return out;
}

// As the battle begins, each scanner scans the nearest hostile unit, a
// transport at work on its landing or recovery shows it, and a unit
// bombarding the asteroid fires on it; the view plays them from the
// battle section.
TEST_F(SpaceBattle, ScansTransportsAndFireOnTheAsteroidAreToldAsTheBattleBegins) {
  const auto scout = Fleet(0, Design(0, {kDrive, kScanner, kGun}), 1, kBattleAsteroid);
  const auto carriers = Fleet(0, Design(0, {kDrive, kHold}), 2, kBattleAsteroid, 20);
  const auto bomber = Fleet(8, Design(8, {kDrive, kGun}), 1, kBattleAsteroid, 200);
  const auto enemyScout = Fleet(8, Design(8, {kDrive, kScanner}), 1, kBattleAsteroid, 60);
  auto give = [](CGUnit* u, std::uint32_t type, std::uint32_t word0) {
    auto order = std::make_unique<UnitOrder>();
    order->type = type;
    order->SetWord(0, word0);
    u->orders.InsertAt(order.release(), 0);
  };
  give(carriers[0], ORDER_LAND_ATVS, kBattleAsteroid);
  give(carriers[1], ORDER_RECOVER_ATVS, kBattleAsteroid);
  give(bomber[0], ORDER_BOMBARD, kBattleAsteroid);
  auto turn = Resolve();
  const ReadReplay replay = ClientReplay(*turn, 0, kBattleAsteroid);
  ASSERT_TRUE(replay.whole);
  using Words = std::vector<std::vector<std::uint32_t>>;
  // The scanned unit, the scanner, the unit whose scanner it is.
  Words scans{{enemyScout[0]->id, kScanner, scout[0]->id}, {carriers[1]->id, kScanner, enemyScout[0]->id}};
  std::sort(scans.begin(), scans.end());
  EXPECT_EQ(Payloads(replay.Items(4)), scans);
  EXPECT_EQ(Payloads(replay.Items(5)), (Words{{carriers[0]->id, kHold}}));
  EXPECT_EQ(Payloads(replay.Items(6)), (Words{{carriers[1]->id, kHold}}));
  EXPECT_EQ(Payloads(replay.Items(9)), (Words{{bomber[0]->id, 0xFFFF0000u | kBattleAsteroid, kGun}}));
  // None of them without a cause: a recovery order elsewhere, no scanner.
  for (const ReadItem& item : replay.items) EXPECT_NE(item.code, 8);
}

// A unit that arrived this turn comes upon the battle as it is fought: it
// neither fires nor is fired at, is brought into the replay at its end, and
// its chapter sees it. Arrivals alone make no battle.
TEST_F(SpaceBattle, AUnitArrivingThisTurnLooksOnAndIsBroughtIntoTheReplay) {
  const auto red = Fleet(0, Design(0, {kDrive, kGun, kGun}), 2, kBattleAsteroid);
  const auto blue = Fleet(8, Design(8, {kDrive, kGun, kGun}), 2, kBattleAsteroid, 40);
  const auto late = Fleet(16, Design(16, {kDrive, kGun, kGun}), 1, kBattleAsteroid, 20);
  constexpr std::uint16_t kQuiet = 2;
  const auto host = Fleet(0, Design(0, {kDrive, kGun}), 1, kQuiet);
  const auto visitor = Fleet(8, Design(8, {kDrive, kGun}), 1, kQuiet, 10);
  auto turn = Resolve({late[0]->id, visitor[0]->id});
  const ReadReplay replay = ClientReplay(*turn, 16, kBattleAsteroid);
  ASSERT_TRUE(replay.whole);
  EXPECT_EQ(replay.chapters, (std::vector<std::uint8_t>{0, 8, 16}));
  EXPECT_EQ(replay.joined, (std::vector<std::uint32_t>{late[0]->id}));
  EXPECT_EQ(std::count(replay.units.begin(), replay.units.end(), late[0]->id), 0);
  ASSERT_GT(replay.Shots().size(), 0u);
  for (const ReadShot& shot : replay.Shots()) {
    EXPECT_NE(shot.unit, late[0]->id);
    EXPECT_NE(shot.target, late[0]->id);
  }
  EXPECT_EQ(late[0]->hullDamage + late[0]->lifeSupportDamage, 0);
  EXPECT_TRUE(OfType(*turn, 0, 503).size() == OfType(*turn, 16, 503).size());
  EXPECT_EQ(host[0]->hullDamage + visitor[0]->hullDamage, 0);
  for (const SrvPacket& p : OfType(*turn, 8, 503)) EXPECT_NE(ReadU16(p, 10), kQuiet) << "no battle yet";
  // The next turn it fights.
  turn = Resolve();
  bool fought = false;
  for (const SrvPacket& p : OfType(*turn, 8, 503)) fought |= ReadU16(p, 10) == kQuiet;
  EXPECT_TRUE(fought);
}

// Hostile units that meet with nothing able to fire - unarmed, a gun out of
// ammunition, set not to fire or holding it for a better chance, a gunship
// standing beyond its reach - are no battle, however many turns they stay together, at an asteroid or on a
// common course in solar space; one gun able to fire among them makes it one.
TEST_F(SpaceBattle, UnitsThatCannotFireMeetWithoutABattleUntilOneCan) {
  const std::uint16_t solar = CGSolarDB::GetAsteroidCount();
  const auto carrier = Fleet(0, Design(0, {kDrive, kHold}), 1, kBattleAsteroid);
  const auto scout = Fleet(8, Design(8, {kDrive, kScanner}), 1, kBattleAsteroid, 20);
  const auto empty = Fleet(16, Design(16, {kDrive, kGun}), 1, kBattleAsteroid, 40);
  const auto silent = Fleet(24, Design(24, {kDrive, kGun}), 1, kBattleAsteroid, 60);
  const auto picky = Fleet(32, Design(32, {kDrive, kGun}), 1, kBattleAsteroid, 80);
  empty[0]->modules[1].ammo = 0;
  silent[0]->modules[1].SetFiringLevel(0);
  picky[0]->targeting[4] = 100;  // holds fire short of a sure hit
  ASSERT_LT(SrvShotChance(*picky[0], 1, *carrier[0]), 100);
  Location at;
  world.solar.GetAsteroid(kBattleAsteroid)->GetPosition(&at);
  const auto travellers = Fleet(0, Design(0, {kDrive, kHold}), 1, solar, at.x);
  const auto company = Fleet(8, Design(8, {kDrive, kScanner}), 1, solar, static_cast<std::int16_t>(at.x + 50));
  for (CGUnit* u : {travellers[0], company[0]}) {
    u->location.y = at.y;
    u->location.z = at.z;
  }
  // A gunship of a third guild over another asteroid, just beyond its gun's
  // reach of an unarmed ship there.
  constexpr std::uint16_t kApart = 2;
  const auto gunship = Fleet(16, Design(16, {kDrive, kGun}), 1, kApart);
  std::uint32_t reach = 0;
  while (reach * reach <= gunship[0]->GetWeaponRangeSq(1)) ++reach;
  ASSERT_LT(reach, 30000u);
  const auto target = Fleet(0, Design(0, {kDrive, kHold}), 1, kApart, static_cast<std::int16_t>(reach));
  for (int t = 0; t < 3; ++t) {
    auto turn = Resolve();
    for (std::uint16_t c : {0, 8, 16, 24, 32}) {
      EXPECT_TRUE(OfType(*turn, c, 503).empty()) << "chapter " << c << " turn " << t;
      EXPECT_TRUE(BattleNotices(*turn, c).empty()) << "chapter " << c << " turn " << t;
    }
  }

  empty[0]->modules[1].ammo = 30;
  target[0]->location.x = static_cast<std::int16_t>(reach - 1);
  auto turn = Resolve();
  using Notices = std::vector<std::pair<std::uint16_t, std::uint32_t>>;
  EXPECT_EQ(BattleNotices(*turn, 0), (Notices{{1, kBattleAsteroid}, {1, kApart}})) << "not the travellers'";
  EXPECT_EQ(BattleNotices(*turn, 8), (Notices{{1, kBattleAsteroid}}));
  EXPECT_EQ(BattleNotices(*turn, 16), (Notices{{1, kBattleAsteroid}, {1, kApart}}));
  const ReadReplay replay = ClientReplay(*turn, 0, kBattleAsteroid);
  ASSERT_GT(replay.Shots().size(), 0u);
  for (const ReadShot& shot : replay.Shots()) EXPECT_EQ(shot.unit, empty[0]->id);
  EXPECT_GT(ClientReplay(*turn, 0, kApart).Shots().size(), 0u) << "in reach, the gunship fires";
}

class SameSeed : public BattleWorld {};

TEST_F(SameSeed, ABattleResolvesAlikeForTheSameSeed) {
  const std::uint32_t ids0 = world.Chapter(0)->nextObjectId, ids8 = world.Chapter(8)->nextObjectId;
  auto fight = [&]() {
    world.Chapter(0)->nextObjectId = ids0;
    world.Chapter(8)->nextObjectId = ids8;
    Fleet(0, Design(0, {kDrive, kGun, kGun}), 3, kBattleAsteroid);
    Fleet(8, Design(8, {kDrive, kGun, kShield}), 3, kBattleAsteroid, 40);
    random = SrvRandom(55);
    auto turn = Resolve();
    return turn->toChapter[0];
  };
  const auto first = fight();
  for (std::uint16_t at = 0; at <= CGSolarDB::GetAsteroidCount(); ++at) world.pieces->DeleteUnitsAt(at);
  fixedUsed.clear();
  EXPECT_EQ(fight(), first);
}

}  // namespace
}  // namespace battle_test
