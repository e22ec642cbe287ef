// The war on an asteroid's surface: a zone's combat ATVs weigh the enemy
// zones beside them before they attack (the ATVs and facilities there fire
// back) and keep one back where they hold their zone alone; at hard a landing
// that invades brings every combat ATV aboard down on the zones it takes,
// where the holder's ATVs beside them would pick off lone ones; easy, which
// never invades, raids a weaker neighbour now and then.
#include <gtest/gtest.h>

#include <optional>

#include "Game/base/Packets.h"
#include "Game/model/GAsteroid.h"
#include "Game/model/GUnit.h"
#include "Game/model/GZone.h"
#include "Game/rules/GTemplateDB.h"
#include "server/ai/SrvAiBudget.h"
#include "server/ai/SrvAiSight.h"
#include "tests/server/ai/srv_ai_fixture.h"

namespace {

using srv_ai_test::OrderFor;
using srv_ai_test::RulesGame;

constexpr std::uint8_t kEasy = 0, kAverage = 1, kHard = 2;

// Chapter 0's home with a bare surface but for zone `own`, chapter 0's, and
// the two zones beside it, `strong` and `weak`, chapter 8's.
struct GroundWar : RulesGame {
  CGAsteroid* a = nullptr;
  std::uint16_t own = 0, strong = 0, weak = 0;

  GroundWar() : RulesGame(1, 40, 1, kHard) {
    a = world.solar.GetAsteroid(Chapter(0).homeAsteroid);
    for (std::uint16_t z = 0; z < a->GetZoneCount(); ++z) {
      CGZone* zone = a->GetZone(z);
      for (std::uint8_t k = 0; k < kAtvKinds; ++k) zone->atvCounts[k] = 0;
      zone->facilities = 0;
      zone->SetOwner(kZoneNobody);
    }
    for (std::uint16_t z = 1; z < a->GetZoneCount() && weak == 0; ++z) {
      std::vector<std::uint16_t> beside;
      for (std::uint16_t n = 1; n < a->GetZoneCount(); ++n)
        if (n != z && a->AreZonesAdjacent(z, n) != 0) beside.push_back(n);
      if (beside.size() < 2) continue;
      own = z, strong = beside[0], weak = beside[1];
    }
    a->GetZone(own)->SetOwner(0);
    a->GetZone(strong)->SetOwner(8);
    a->GetZone(weak)->SetOwner(8);
  }

  void Fill(std::uint16_t z, std::uint8_t combat, std::uint8_t power) {
    a->GetZone(z)->atvCounts[ATV_COMBAT] = combat;
    a->GetZone(z)->atvCounts[ATV_POWER] = power;
  }

  struct Attack {
    std::uint16_t target = 0;
    int count = 0;
  };
  // The attack chapter 0's zone `own` makes at a level, if any.
  std::optional<Attack> AttackAt(std::uint8_t level) {
    for (const SrvPacket& p : SrvChooseOrders(world, 0, SrvAiLevelOf(level), 5))
      if (ReadU16(p, 0) == PKT_ZONE_ATTACKING_ATVS && ReadU16(p, 12) == own)
        return Attack{ReadU16(p, 10), ReadU16(p, 18)};
    return std::nullopt;
  }
};

TEST(SrvAiGroundWar, ZonesAttackTheWeakestNeighbourTheyOutgunAndKeepOneToHoldTheirZone) {
  GroundWar g;
  ASSERT_NE(g.weak, 0);
  g.Fill(g.own, 3, 0);
  g.Fill(g.strong, 2, 1);
  g.a->GetZone(g.strong)->facilities = FACILITY_STORAGE;
  g.Fill(g.weak, 0, 2);

  EXPECT_FALSE(g.AttackAt(kEasy)) << "easy's zones never attack";
  for (const std::uint8_t level : {kAverage, kHard}) {
    SCOPED_TRACE(static_cast<int>(level));
    g.Fill(g.own, 3, 0);
    g.Fill(g.strong, 2, 1);
    g.Fill(g.weak, 0, 2);
    auto attack = g.AttackAt(level);
    ASSERT_TRUE(attack);
    EXPECT_EQ(attack->target, g.weak) << "not the first neighbour, the weakest";
    EXPECT_EQ(attack->count, 2) << "one stays to hold the zone";

    // Neither neighbour is weaker than two combat ATVs: they wait.
    g.Fill(g.weak, 2, 0);
    EXPECT_FALSE(g.AttackAt(level));
    // With another kind holding their zone they all go.
    g.Fill(g.own, 3, 1);
    attack = g.AttackAt(level);
    ASSERT_TRUE(attack);
    EXPECT_EQ(attack->target, g.weak);
    EXPECT_EQ(attack->count, 3);

    // A zone held by a facility alone falls without a fight, but not to the
    // last combat ATV of a zone: the zone it leaves would come free.
    g.Fill(g.own, 2, 0);
    g.Fill(g.weak, 1, 1);
    g.Fill(g.strong, 0, 0);
    attack = g.AttackAt(level);
    ASSERT_TRUE(attack);
    EXPECT_EQ(attack->target, g.strong);
    EXPECT_EQ(attack->count, 1);
    g.Fill(g.own, 1, 0);
    EXPECT_FALSE(g.AttackAt(level));
  }
}

// An asteroid of chapter 8's nearest chapter 0's home, with `free` free
// zones (never the centre) and the rest held by chapter 8; a carrier of
// chapter 0 above it with `combat` combat ATVs aboard.
struct Invasion : RulesGame {
  std::uint16_t target = kNoChapter;
  CGUnit* carrier = nullptr;
  std::vector<std::uint16_t> freeZones;

  Invasion(int free, std::uint8_t combat) : RulesGame(1, 40, 1, kHard) {
    world.turn = kStakeTurns;
    const std::uint16_t home = Chapter(0).homeAsteroid;
    for (std::uint16_t i = 0; i < CGSolarDB::GetAsteroidCount(); ++i)
      if (world.solar.GetAsteroid(i)->controller == kNoChapter) {
        Control(i, 8);
        if (target == kNoChapter ||
            world.solar.GetAsteroidDistanceSquared(home, i) < world.solar.GetAsteroidDistanceSquared(home, target))
          target = i;
      }
    CGAsteroid* a = world.solar.GetAsteroid(target);
    for (std::uint16_t z = 1; z < a->GetZoneCount() && static_cast<int>(freeZones.size()) < free; ++z) {
      if (a->GetZone(z)->atvLimit == 0) continue;
      a->GetZone(z)->SetOwner(kZoneNobody);
      freeZones.push_back(z);
    }
    for (int slot = 0; slot < kFixedTemplateSlots && carrier == nullptr; ++slot)
      if (CGUnitTemplate* d = world.templates->GetTemplate(0, slot, 1);
          d != nullptr && d->hull != nullptr && d->atvCapacity >= combat && d->construction == 0)
        carrier = world.CreateUnit(0, d, Location{target, 1200, 0, 0});
    if (carrier != nullptr) carrier->atvCargo = {combat, 0, 0, 0};
  }

  // The combat ATVs chapter 0's landing puts on each zone at a level.
  std::vector<int> Landed(std::uint8_t level) {
    SrvPacket packet;
    std::vector<int> landed;
    if (OrderFor(*this, 0, *carrier, level, &packet) != ORDER_LAND_ATVS) return landed;
    OrderPacket parsed;
    EXPECT_TRUE(ParseOrderPacket(packet, &parsed));
    LandingBlock landing;
    landing.bytes = parsed.landing;
    for (std::uint16_t z = 0; z < kZonesPerAsteroid; ++z)
      if (landing.Count(ATV_COMBAT, z) != 0) landed.push_back(landing.Count(ATV_COMBAT, z));
    return landed;
  }
};

TEST(SrvAiGroundWar, ALandingThatInvadesBringsEveryCombatAtvDownOnTheZonesItTakes) {
  Invasion g(2, 7);
  ASSERT_NE(g.carrier, nullptr);
  ASSERT_EQ(g.freeZones.size(), 2u);
  EXPECT_TRUE(g.Landed(kEasy).empty()) << "easy never invades";
  EXPECT_EQ(g.Landed(kAverage), (std::vector<int>{4, 3}));
  EXPECT_EQ(g.Landed(kHard), (std::vector<int>{4, 3}));
}

// Easy takes land from nobody stronger than itself: the one combat ATV of a
// raid's load lands on an asteroid of a chapter controlling fewer asteroids
// than easy's, and not on one of a chapter controlling more; a single combat
// ATV aboard is a raid's load at easy (its settlers take none along), kept
// for the raid rather than landed on free land of its own.
TEST(SrvAiGroundWar, EasyRaidsOnlyAWeakerNeighbour) {
  Invasion g(2, 1);
  ASSERT_NE(g.carrier, nullptr);
  EXPECT_TRUE(g.Landed(kEasy).empty()) << "chapter 8 controls every asteroid but chapter 0's home";

  const std::uint16_t home = g.Chapter(0).homeAsteroid, rivalHome = g.Chapter(8).homeAsteroid;
  for (std::uint16_t i = 0; i < CGSolarDB::GetAsteroidCount(); ++i)
    if (i != g.target && i != rivalHome && g.world.solar.GetAsteroid(i)->controller == 8) g.Control(i, 0);
  EXPECT_EQ(g.Landed(kEasy), (std::vector<int>{1}));

  // Above free land of its own, the load makes for the weaker neighbour's
  // asteroid it would take at once (chapter 8 keeps no zone there).
  CGAsteroid* prize = g.world.solar.GetAsteroid(g.target);
  for (std::uint16_t z = 0; z < prize->GetZoneCount(); ++z) prize->GetZone(z)->SetOwner(kZoneNobody);
  CGAsteroid* own = g.world.solar.GetAsteroid(home);
  own->GetZone(1)->SetOwner(kZoneNobody);
  ASSERT_TRUE(SrvAiCanSettle(g.world, 0, home));
  CGUnit* raider = g.world.CreateUnit(0, g.carrier->design, Location{home, 1200, 0, 0});
  ASSERT_NE(raider, nullptr);
  raider->atvCargo = {1, 0, 0, 0};
  raider->power = raider->GetMaxPower();
  SrvPacket packet;
  ASSERT_EQ(OrderFor(g, 0, *raider, kEasy, &packet), ORDER_MOVE_TO_ASTEROID);
  EXPECT_EQ(ReadU32(packet, 24), g.target);
}

}  // namespace
