#include <gtest/gtest.h>

#include <set>
#include <tuple>

#include "Game/base/Packets.h"
#include "Game/model/GTerrainRec.h"
#include "server/battle/SrvTerrainBattle.h"
#include "server/orders/SrvZoneOrders.h"
#include "tests/server/battle/battle_fixture.h"

namespace battle_test {
namespace {

constexpr std::uint16_t kField = 1;  // nobody's home

class TerrainBattle : public BattleWorld {
 protected:
  CGZone& Zone(std::uint16_t z) { return *world.solar.GetAsteroid(kField)->GetZone(z); }
  void Hold(CGZone& zone, std::uint8_t chapter, std::array<std::uint8_t, 4> atvs, std::uint32_t facilities = 0) {
    zone.owner = chapter;
    zone.SetAtvCounts(atvs[0], atvs[1], atvs[2], atvs[3]);
    zone.SetFacilities(facilities);
    zone.facilityOwner = chapter;
  }
  void Attack(CGZone& zone, std::uint8_t chapter, std::array<std::uint8_t, 4> atvs) {
    auto* e = new ZoneAtvCount{chapter, {atvs[0], atvs[1], atvs[2], atvs[3]}};
    zone.attacking.InsertAt(e, zone.attacking.count);
  }
  // The events the chapter's client records from the 602 and 603 packets queued for it.
  static std::vector<TerrainEvent> Recorded(const SrvTurnContext& turn, std::uint16_t chapter) {
    CRecorder recorder;
    EXPECT_EQ(OfType(turn, chapter, 602).size(), 1u);
    for (const SrvPacket& p : OfType(turn, chapter, 603)) {
      EXPECT_EQ(ReadU16(p, 10), kField);
      EXPECT_EQ(recorder.AddTerrainEventPacket(p), 1);
    }
    std::vector<TerrainEvent> events;
    for (std::uint16_t i = 0; i < recorder.GetTerrainEventCount(); ++i) {
      TerrainEvent e = *recorder.GetTerrainEvent(i);
      e.mover = nullptr;
      events.push_back(e);
    }
    return events;
  }
  static int Count(const std::vector<TerrainEvent>& events, std::uint32_t kind, std::uint32_t source, std::uint16_t w) {
    return static_cast<int>(std::count_if(events.begin(), events.end(), [&](const TerrainEvent& e) {
      return e.a == kind && e.sourceType == source && e.w == w;
    }));
  }
};

TEST_F(TerrainBattle, AnAttackThatWipesOutTheHoldersTakesTheZoneAsRecorded) {
  CGZone& zone = Zone(3);
  zone.atvLimit = 16;  // room for every attacker
  Hold(zone, 0, {0, 2, 0, 0}, FACILITY_POWER | FACILITY_MINING);
  Attack(zone, 8, {12, 0, 0, 0});
  auto turn = Resolve();
  ASSERT_EQ(zone.owner, 8);
  EXPECT_EQ(zone.facilities, 0u);
  EXPECT_EQ(zone.attacking.count, 0);
  const int survivors = zone.atvCounts[0];
  EXPECT_GT(survivors, 0);
  EXPECT_EQ(zone.atvCounts[1] + zone.atvCounts[2] + zone.atvCounts[3], 0);

  // Both sides record the same battle: the two facilities, pictured once at
  // the start by their loss (a second picture would stand after the loss is
  // played), both defenders lost, and as many attackers as fell.
  const auto events = Recorded(*turn, 0);
  EXPECT_EQ(events.size(), Recorded(*turn, 8).size());
  EXPECT_EQ(Count(events, kTerrainFacilityPresent, kElementFacility, 0), 0);
  EXPECT_EQ(Count(events, kTerrainFacilityLost, kElementFacility, 0), 2);
  EXPECT_EQ(Count(events, kTerrainCombatRound, kElementDestroyed, 0), 2);
  // The facilities' opening fire as the attack came in, then the rounds.
  EXPECT_EQ(Count(events, kTerrainDefenceHit, kElementDestroyed, 8) +
                Count(events, kTerrainCombatRound, kElementDestroyed, 8),
            12 - survivors);
  EXPECT_EQ(Count(events, kTerrainDefenceHit, kElementDestroyed, 8),
            Count(events, kTerrainDefenceFire, kElementShot, 0));
  for (const TerrainEvent& e : events) {
    EXPECT_EQ(e.d, 3u);
    EXPECT_EQ(e.g, 3u);
    // The replay plays a combat round's shots, losses and shields only.
    if (e.a == kTerrainCombatRound) {
      EXPECT_NE(e.sourceType, kElementFacility);
    }
  }
  // Shots, the facilities' too, fly from one of the zone's four cells.
  for (const TerrainEvent& e : events) {
    if (e.a == kTerrainCombatRound && e.sourceType == kElementShot) {
      EXPECT_LT(e.sourceValue, 4u);
    }
  }
  // Every chapter is told the zone's new state; the fighters get a notification.
  bool refreshed = false;
  for (const SrvPacket& p : OfType(*turn, 16, 121)) {
    refreshed |= ReadU16(p, 8) == kField && ReadU16(p, 10) == 3 && p[14] == 8 && p[15] == survivors;
  }
  EXPECT_TRUE(refreshed);
  bool told = false;
  for (const SrvPacket& p : OfType(*turn, 0, 1500)) told |= ReadU16(p, 10) == 411 && ReadU32(p, 144) == kField;
  EXPECT_TRUE(told);
}

// A zone holds no more than its ATV limit: attackers that take it, and a
// holder's own that join it, put the rest back into the zone they set off
// from while it has room; what has none waits in the list, and is pictured
// waiting there.
TEST_F(TerrainBattle, AttackersPastTheZonesRoomGoBackWhereTheySetOffFromOrWait) {
  CGZone& taken = Zone(3);
  CGZone& origin = Zone(2);
  taken.atvLimit = 2;
  origin.atvLimit = 4;
  Hold(origin, 8, {1, 0, 0, 0});
  world.atvOrigins[SrvAtvOriginKey(kField, 3, 8)] = 2;
  Attack(taken, 8, {5, 0, 1, 0});
  CGZone& joined = Zone(5);
  joined.atvLimit = 3;
  Hold(joined, 16, {2, 0, 0, 0});
  Hold(Zone(6), 0, {1, 0, 0, 0});
  world.atvOrigins[SrvAtvOriginKey(kField, 5, 16)] = 6;
  Attack(joined, 16, {0, 3, 0, 0});
  auto turn = Resolve();

  ASSERT_EQ(taken.owner, 8);
  EXPECT_EQ(taken.atvCounts[0] + taken.atvCounts[2], 2);
  EXPECT_EQ(taken.atvCounts[0], 2) << "combat ATVs first";
  EXPECT_EQ(origin.atvCounts[0], 4) << "three of the four left over came back";
  ASSERT_EQ(taken.attacking.count, 1);
  EXPECT_EQ(taken.attacking.GetAt(0)->counts[2], 1) << "the power ATV found no room and waits";
  EXPECT_EQ(taken.attacking.GetAt(0)->counts[0], 0);

  EXPECT_EQ(joined.atvCounts[0] + joined.atvCounts[1], 3);
  ASSERT_EQ(joined.attacking.count, 1) << "another chapter holds the zone they set off from";
  EXPECT_EQ(joined.attacking.GetAt(0)->counts[1], 2);
  EXPECT_EQ(Zone(6).owner, 0);
  EXPECT_EQ(Zone(6).atvCounts[1], 0);
}

TEST_F(TerrainBattle, TheHoldersKeepTheZoneAgainstAnAttackTheyWipeOut) {
  CGZone& zone = Zone(0);
  Hold(zone, 0, {10, 0, 0, 0}, FACILITY_STORAGE);
  Attack(zone, 8, {0, 1, 0, 0});
  auto turn = Resolve();
  EXPECT_EQ(zone.owner, 0);
  EXPECT_EQ(zone.facilities, static_cast<std::uint32_t>(FACILITY_STORAGE));
  EXPECT_EQ(zone.attacking.count, 0);
  const auto events = Recorded(*turn, 8);
  EXPECT_EQ(Count(events, kTerrainCombatRound, kElementDestroyed, 8), 1);
  EXPECT_EQ(Count(events, kTerrainCombatRound, kElementDestroyed, 0), 10 - zone.atvCounts[0]);
}

TEST_F(TerrainBattle, EveryRecordedRoundHoldsAnEventSoTheReplayPlaysToTheEnd) {
  // The replay plays rounds 0, 1, ... while a round has events: a round in
  // which every shot missed must not be numbered, or what follows is never shown.
  for (std::uint16_t z = 0; z < 6; ++z) {
    Hold(Zone(z), 0, {0, 1, 0, 0});
    Attack(Zone(z), 8, {0, 1, 0, 0});
    random = SrvRandom(1000u + z);
    auto turn = Resolve();
    std::set<std::uint32_t> rounds;
    for (const TerrainEvent& e : Recorded(*turn, 0)) {
      if (e.a == kTerrainCombatRound) rounds.insert(e.b);
    }
    ASSERT_FALSE(rounds.empty());
    EXPECT_EQ(*rounds.rbegin(), rounds.size() - 1) << "zone " << z;
  }
}

TEST_F(TerrainBattle, AFacilityFoughtOverTwiceIsPicturedOnce) {
  CGZone& zone = Zone(2);
  Hold(zone, 0, {3, 0, 0, 0}, FACILITY_STORAGE);
  Attack(zone, 8, {0, 0, 0, 1});
  Attack(zone, 16, {0, 0, 0, 1});
  auto turn = Resolve();
  ASSERT_EQ(zone.facilities, static_cast<std::uint32_t>(FACILITY_STORAGE));
  EXPECT_EQ(Count(Recorded(*turn, 0), kTerrainFacilityPresent, kElementFacility, 0), 1);
}

TEST_F(TerrainBattle, AlliesAndEmptyZonesAreNotFought) {
  CGZone& empty = Zone(1);
  Hold(empty, kZoneNobody, {0, 0, 0, 0});
  Attack(empty, 8, {3, 0, 0, 0});
  CGZone& ally = Zone(2);
  Hold(ally, 9, {4, 0, 0, 0});
  Attack(ally, 8, {3, 0, 0, 0});
  auto turn = Resolve();
  EXPECT_EQ(empty.owner, 8);
  EXPECT_EQ(empty.atvCounts[0], 3);
  EXPECT_EQ(ally.owner, 9);
  EXPECT_EQ(ally.atvCounts[0], 4);
  EXPECT_TRUE(OfType(*turn, 8, 603).empty());
}

TEST_F(TerrainBattle, FacilitiesWithoutAtvsFallToAHostileAttack) {
  CGZone& zone = Zone(5);
  Hold(zone, 0, {0, 0, 0, 0}, FACILITY_ATV_CONSTRUCTION);
  Attack(zone, 8, {1, 0, 0, 0});
  auto turn = Resolve();
  EXPECT_EQ(zone.owner, 8);
  EXPECT_EQ(zone.atvCounts[0], 1);
  EXPECT_EQ(zone.facilities, 0u);
  EXPECT_EQ(zone.atvConstruction, nullptr);
  const auto events = Recorded(*turn, 0);
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].a, kTerrainFacilityLost);
  EXPECT_EQ(events[0].sourceValue, static_cast<std::uint32_t>(FACILITY_ATV_CONSTRUCTION));
}

// The replay starts from the ATVs its events picture: those that fall by
// their loss, and every ATV still standing (holders and an attack that
// waits) by a start event of its own, or the replay would show the zone
// emptied of them, or fewer than stand.
TEST_F(TerrainBattle, TheReplayPicturesEveryGroupLeftStanding) {
  CGZone& held = Zone(0);
  Hold(held, 0, {10, 0, 2, 0});
  Attack(held, 8, {0, 1, 0, 0});
  CGZone& taken = Zone(4);
  Hold(taken, 0, {0, 0, 0, 2});
  Attack(taken, 8, {0, 0, 200, 0});
  Attack(taken, 16, {0, 0, 0, 2});
  CGZone& quiet = Zone(6);
  Hold(quiet, 16, {5, 0, 0, 0});
  auto turn = Resolve();
  ASSERT_NE(held.atvCounts[0] + held.atvCounts[2], 0);
  using Group = std::tuple<std::uint32_t, std::uint16_t, std::uint32_t>;  // zone, chapter, kind
  std::multiset<Group> pictured;
  for (const TerrainEvent& e : Recorded(*turn, 8)) {
    if (e.a != kTerrainAtvPresent) continue;
    EXPECT_EQ(e.sourceType, kElementAtv);
    EXPECT_EQ(e.b, 0u);
    pictured.insert({e.d, e.w, e.sourceValue});
  }
  std::multiset<Group> standing;
  for (CGZone* z : {&held, &taken}) {
    for (std::uint32_t k = 0; k < kAtvKinds; ++k) {
      // One picture an ATV: the replay counts a cell's ATVs by its pictures.
      for (int n = 0; n < z->atvCounts[k]; ++n) standing.insert({z->index, z->owner, k});
      for (std::uint16_t i = 0; i < z->attacking.count; ++i) {
        const ZoneAtvCount* waiting = z->attacking.GetAt(i);
        for (int n = 0; n < waiting->counts[k]; ++n) standing.insert({z->index, waiting->chapter, k});
      }
    }
  }
  EXPECT_EQ(pictured, standing);
  EXPECT_FALSE(standing.empty());
}

// Attackers fight from the cells of the zone they set off from: drawn in the
// zone they attack they would cover its holders, kind for kind.
TEST_F(TerrainBattle, AttackersAreDrawnInTheZoneTheySetOffFrom) {
  CGZone& from = Zone(2);
  CGZone& zone = Zone(3);
  Hold(from, 8, {12, 0, 0, 0});
  Hold(zone, 0, {0, 2, 0, 0});
  const auto attack = Pkt<20>(PKT_ZONE_ATTACKING_ATVS).U16(8, kField).U16(10, 3).U16(12, 2).U16(14, 8).U16(18, 12);
  ASSERT_EQ(SrvSubmitZoneOrder(world, 8, attack), SrvOrderVerdict::kAccepted);
  auto turn = Resolve();
  ASSERT_EQ(zone.owner, 8);
  int shots = 0, movedIn = 0;
  for (const TerrainEvent& e : Recorded(*turn, 0)) {
    const std::uint32_t mine = e.w == 8 ? 2 : 3, theirs = e.w == 8 ? 3 : 2;
    if (e.a == kTerrainCombatRound && e.sourceType == kElementShot) {
      ++shots;
      EXPECT_EQ(e.d, mine);
      EXPECT_EQ(e.g, theirs);
    } else if (e.a == kTerrainCombatRound && e.sourceType == kElementDestroyed) {
      EXPECT_EQ(e.d, mine);
    } else if (e.a == kTerrainAtvMovesIn) {
      ++movedIn;
      EXPECT_EQ(e.w, 8);
      EXPECT_EQ(e.d, 2u);
      EXPECT_EQ(e.g, 3u);
      EXPECT_EQ(e.sourceValue, 0u);
    } else {
      EXPECT_NE(e.a, kTerrainAtvPresent) << "the new holders are drawn moving in";
    }
  }
  EXPECT_GT(shots, 0);
  EXPECT_EQ(movedIn, zone.atvCounts[0]) << "one an ATV";
  EXPECT_GT(movedIn, 0);
}

// Holders that came into their zone in an earlier turn and keep it are
// pictured in it, not in the zone they once set off from.
TEST_F(TerrainBattle, HoldersThatKeepTheirZoneArePicturedInIt) {
  CGZone& zone = Zone(3);
  Hold(zone, 0, {12, 0, 1, 0});
  world.atvOrigins[SrvAtvOriginKey(kField, 3, 0)] = 2;
  world.atvOrigins[SrvAtvOriginKey(kField, 3, 8)] = 4;
  Attack(zone, 8, {1, 0, 0, 0});
  auto turn = Resolve();
  ASSERT_EQ(zone.owner, 0);
  int holders = 0;
  for (const TerrainEvent& e : Recorded(*turn, 0)) {
    if (e.a != kTerrainAtvPresent || e.w != 0) continue;
    ++holders;
    EXPECT_EQ(e.d, 3u);
    EXPECT_EQ(e.g, 3u);
  }
  EXPECT_EQ(holders, zone.atvCounts[0] + zone.atvCounts[2]) << "one an ATV";
}

TEST_F(TerrainBattle, ALongFightStopsAtTheRoundCapAndAnUndecidedAttackWaits) {
  CGZone& zone = Zone(4);
  Hold(zone, 0, {0, 0, 0, 200});
  Attack(zone, 8, {0, 0, 200, 0});
  auto turn = Resolve();
  std::uint32_t lastRound = 0;
  for (const TerrainEvent& e : Recorded(*turn, 0)) lastRound = std::max(lastRound, e.b);
  EXPECT_LT(lastRound, static_cast<std::uint32_t>(kMaxTerrainRounds));
  const int holders = zone.atvCounts[3];
  if (zone.owner == 0 && zone.attacking.count != 0) {
    // Neither side was wiped out: the fight ran every round and goes on next turn.
    EXPECT_EQ(lastRound, static_cast<std::uint32_t>(kMaxTerrainRounds - 1));
    EXPECT_GT(zone.attacking.GetAt(0)->counts[2], 0);
    EXPECT_GT(holders, 0);
    EXPECT_EQ(zone.owner, 0);
  } else {
    EXPECT_TRUE(holders == 0 || zone.owner == 0);
  }
}

// Everything else that happens on the surface in the turn plays in the same
// replay: a unit in orbit bombarding the zone of a hostile chapter, a ship
// destroyed overhead striking the ground, the holder's facilities firing as
// an attack comes in, and ATVs setting off to join a zone of their own.
TEST_F(TerrainBattle, BombardmentWrecksTheDefencesOpeningFireAndAdvancesAreRecorded) {
  CGZone& defended = Zone(3);
  Hold(defended, 0, {0, 2, 0, 0}, FACILITY_POWER | FACILITY_MINING | FACILITY_STORAGE | FACILITY_ATV_CONSTRUCTION);
  Attack(defended, 8, {12, 0, 0, 0});
  CGZone& bombarded = Zone(5);
  Hold(bombarded, 0, {12, 0, 0, 0});  // more than any other zone of a chapter hostile to 8 (a home has 10)
  // Two mining ATVs of chapter 8 went from zone 2 to the free zone 6.
  world.atvOrigins[SrvAtvOriginKey(kField, 6, 8)] = 2;
  Zone(6).arriving.InsertAt(new ZoneAtvCount{8, {0, 2, 0, 0}}, 0);
  const auto bomber = Fleet(8, Design(8, {kDrive, kGun, kGun, kGun}), 3, kField);
  auto order = std::make_unique<UnitOrder>();
  order->type = ORDER_BOMBARD;
  order->SetWord(0, kField);
  bomber[0]->orders.InsertAt(order.release(), 0);
  const auto doomed = Fleet(0, Design(0, {kDrive}), 1, kField, 30);

  auto turn = std::make_unique<SrvTurnContext>(SrvTurnContext{world, setup, log, random});
  SrvResolveZones(*turn);
  SrvResolveBattles(*turn);
  ASSERT_FALSE(doomed[0]->IsOperational());

  const auto attacker = Recorded(*turn, 8);
  const auto holder = Recorded(*turn, 0);
  // The bomber's shot, at the zone of the most ATVs, told to both sides.
  const int bombs = Count(attacker, kTerrainBombardment, kElementShot, 8);
  EXPECT_EQ(bombs, 1);
  EXPECT_EQ(Count(holder, kTerrainBombardment, kElementShot, 8), 1);
  for (const TerrainEvent& e : attacker)
    if (e.a == kTerrainBombardment) {
      EXPECT_EQ(e.g, 5u);
      EXPECT_EQ(e.targetValue, 0u) << "the combat ATVs stand in front";
      EXPECT_EQ(bombarded.atvCounts[0], e.targetType == kElementDestroyed ? 11 : 12);
    }
  // The wreck falls on the asteroid: the strike and the burst in one zone,
  // in the asteroid's one replay, which both sides play.
  EXPECT_EQ(Count(holder, kTerrainCollision, kElementDestroyed, 0), 1);
  EXPECT_EQ(Count(holder, kTerrainExplosion, kElementDestroyed, 0), 1);
  EXPECT_EQ(attacker.size(), holder.size());
  // The facilities' opening fire: a shot from the facility's cell for each attacker it struck.
  const int opening = Count(holder, kTerrainDefenceFire, kElementShot, 0);
  EXPECT_GT(opening, 0);
  EXPECT_EQ(Count(attacker, kTerrainDefenceHit, kElementDestroyed, 8), opening);
  for (const TerrainEvent& e : holder)
    if (e.a == kTerrainDefenceFire) {
      EXPECT_EQ(e.d, 3u);
      EXPECT_TRUE(e.sourceValue >= 1 && e.sourceValue <= 3) << "a facility's cell";
    }
  // The mining ATVs set off from zone 2 toward zone 6, which they hold now.
  EXPECT_EQ(Zone(6).owner, 8);
  EXPECT_EQ(Count(attacker, kTerrainAtvAdvance, kElementAtv, 8), 1);
  for (const TerrainEvent& e : attacker)
    if (e.a == kTerrainAtvAdvance) {
      EXPECT_EQ(e.d, 2u);
      EXPECT_EQ(e.g, 6u);
      EXPECT_EQ(e.sourceValue, 1u);
    }
}

// A turn without a fight on the surface still tells its surface events,
// with a notice of movement to review in place of a battle's; a turn with
// none tells nothing.
TEST_F(TerrainBattle, SurfaceEventsWithoutAFightComeWithoutANotice) {
  world.atvOrigins[SrvAtvOriginKey(kField, 6, 8)] = 2;
  Zone(6).arriving.InsertAt(new ZoneAtvCount{8, {0, 2, 0, 0}}, 0);
  auto turn = std::make_unique<SrvTurnContext>(SrvTurnContext{world, setup, log, random});
  SrvResolveZones(*turn);
  SrvResolveBattles(*turn);
  EXPECT_EQ(Recorded(*turn, 8).size(), 1u);
  int movement = 0;
  for (const SrvPacket& p : OfType(*turn, 8, 1500)) {
    EXPECT_NE(ReadU16(p, 10), 411);
    movement += ReadU16(p, 10) == 424 && ReadU32(p, 144) == kField;
  }
  EXPECT_EQ(movement, 1);
  EXPECT_TRUE(OfType(*turn, 0, 602).empty());
  EXPECT_TRUE(OfType(*turn, 0, 1500).empty());
}

}  // namespace
}  // namespace battle_test
