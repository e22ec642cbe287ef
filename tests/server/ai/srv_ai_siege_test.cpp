// A fully settled asteroid has no free zone to land on: an average or hard
// chapter's warship bombards it until a landing would take it, and stops when an
// enemy unit comes to fight (a flag, when the flags win, until two loads
// would take it); carriers load for the landing where the chapter's
// warships hold the space above, and at once for a flag when their side is
// ahead in flags.
#include <gtest/gtest.h>

#include "Game/base/Packets.h"
#include "Game/model/GAsteroid.h"
#include "Game/model/GUnit.h"
#include "Game/model/GZone.h"
#include "Game/rules/GTemplateDB.h"
#include "server/ai/SrvAiChapter.h"
#include "server/ai/SrvAiLevel.h"
#include "server/ai/SrvAiPlan.h"
#include "server/ai/SrvAiSight.h"
#include "server/ai/SrvAiSubmit.h"
#include "tests/server/ai/srv_ai_fixture.h"

namespace {

using srv_ai_test::OrderFor;
using srv_ai_test::RulesGame;
using srv_ai_test::WarshipOf;

struct SrvAiSiege : testing::Test {
  RulesGame game{1, 40, 1, 2};
  std::uint16_t home = game.Chapter(0).homeAsteroid;
  CGUnit* raider = nullptr;

  // Chapter 0's home, every zone held with one mining ATV and the first with
  // a mining facility too, none of its units left there; a warship of
  // chapter 8 above it.
  void SetUp() override {
    game.Control(home, 0);
    CGAsteroid* a = game.world.solar.GetAsteroid(home);
    for (std::uint16_t z = 0; z < a->GetZoneCount(); ++z) {
      CGZone* zone = a->GetZone(z);
      for (std::uint8_t& n : zone->atvCounts) n = 0;
      zone->atvCounts[ATV_MINING] = 1;
      zone->facilities = z == 0 ? std::uint32_t{FACILITY_MINING} : 0u;
    }
    const Location above = game.world.pieces->GetOperationalUnitAt(home, 0, 0)->location;
    while (CGUnit* u = game.world.pieces->GetOperationalUnitAt(home, 0, 0)) game.world.pieces->MarkUnitUnoperational(u);
    CGUnitTemplate* warship = WarshipOf(game, 8);
    ASSERT_NE(warship, nullptr);
    raider = game.world.CreateUnit(8, warship, above);
    ASSERT_NE(raider, nullptr);
    ASSERT_TRUE(SrvAiCanFire(*raider));
  }

  // A builder of chapter 8 at its home with room for four ATVs, if any.
  CGUnit* HomeBuilder() {
    CGUnit* builder = nullptr;
    const std::uint16_t base = game.Chapter(8).homeAsteroid;
    for (std::uint16_t k = 0; CGUnit* u = game.world.pieces->GetOperationalUnitAt(base, 8, k); ++k)
      if (u->GetConstructionCapacity() > 0 && u->GetFreeAtvCapacity() >= 4) builder = u;
    return builder;
  }

  // Chapter 0's home held by its first zone alone, the raider gone: two ATVs
  // landed take it.
  void HomeHeldByOneZone() {
    CGAsteroid* a = game.world.solar.GetAsteroid(home);
    for (std::uint16_t z = 1; z < a->GetZoneCount(); ++z) {
      a->GetZone(z)->SetOwner(kZoneNobody);
      for (std::uint8_t& n : a->GetZone(z)->atvCounts) n = 0;
      a->GetZone(z)->facilities = 0;
    }
    game.world.pieces->MarkUnitUnoperational(raider);
  }
};

TEST_F(SrvAiSiege, AHardWarshipBombardsAFullySettledAsteroidUntilALandingWouldTakeIt) {
  EXPECT_NE(OrderFor(game, 8, *raider, 0), ORDER_BOMBARD) << "easy does not bombard";
  EXPECT_EQ(OrderFor(game, 8, *raider, 1), ORDER_BOMBARD) << "average does, as hard";
  SrvPacket bombard;
  ASSERT_EQ(OrderFor(game, 8, *raider, 2, &bombard), ORDER_BOMBARD);
  auto turn = game.Turn();
  ASSERT_EQ(SrvSubmitComputerOrder(turn, 8, bombard), SrvOrderVerdict::kAccepted);

  const SrvAiPlan plan(game.world, 8, SrvAiLevelOf(2), 5);
  auto takenByALanding = [&] {
    return static_cast<int>(SrvAiFreeZones(game.world, home).size()) > SrvAiZonesHeld(game.world, home, 0);
  };
  int turns = 0;
  for (; turns < 200 && !takenByALanding(); ++turns) {
    ASSERT_TRUE(SrvAiBombardmentStands(plan, *raider)) << "turn " << turns;
    auto step = game.Turn();
    SrvResolveBattles(step);
  }
  ASSERT_LT(turns, 200) << "zones come free";
  EXPECT_FALSE(SrvAiBombardmentStands(plan, *raider)) << "the carriers' turn";
  EXPECT_EQ(game.world.solar.GetAsteroid(home)->GetZone(0)->owner, 0) << "a facility keeps its zone held";
  EXPECT_NE(OrderFor(game, 8, *raider, 2), ORDER_BOMBARD);
}

// When the flags win, a flag (chapter 0's home) is worn down further: past
// the point a landing would take it, until two loads' worth of ATVs do.
TEST_F(SrvAiSiege, AFlagIsWornDownUntilTwoLoadsTakeIt) {
  SrvPacket bombard;
  ASSERT_EQ(OrderFor(game, 8, *raider, 2, &bombard), ORDER_BOMBARD);
  auto turn = game.Turn();
  ASSERT_EQ(SrvSubmitComputerOrder(turn, 8, bombard), SrvOrderVerdict::kAccepted);
  SrvAiLevel flags = SrvAiLevelOf(2);
  flags.flagsWin = true;
  const SrvAiPlan plain(game.world, 8, SrvAiLevelOf(2), 5), flagPlan(game.world, 8, flags, 5);
  const int loads = 2 * flags.atvsPerLoad;
  auto needed = [&] { return SrvAiZonesHeld(game.world, home, 0) + 1; };
  auto bombardUntil = [&](auto done) {
    int turns = 0;
    for (; turns < 400 && !done(); ++turns) {
      auto step = game.Turn();
      SrvResolveBattles(step);
    }
    return turns;
  };
  // Until a landing would take it, both bombard.
  ASSERT_LT(bombardUntil([&] { return !SrvAiBombardmentStands(plain, *raider); }), 400);
  ASSERT_LE(needed(), static_cast<int>(SrvAiFreeZones(game.world, home).size()));
  ASSERT_GT(needed(), loads) << "the home is big enough to need more than two loads";
  EXPECT_TRUE(SrvAiBombardmentStands(flagPlan, *raider));
  ASSERT_LT(bombardUntil([&] { return !SrvAiBombardmentStands(flagPlan, *raider); }), 400);
  EXPECT_LE(needed(), loads);
  EXPECT_GT(needed(), 1) << "a facility keeps its zone held";
}

TEST_F(SrvAiSiege, AnEnemyArrivingEndsTheBombardmentForAFight) {
  SrvPacket bombard;
  ASSERT_EQ(OrderFor(game, 8, *raider, 2, &bombard), ORDER_BOMBARD);
  auto turn = game.Turn();
  ASSERT_EQ(SrvSubmitComputerOrder(turn, 8, bombard), SrvOrderVerdict::kAccepted);
  EXPECT_EQ(OrderFor(game, 8, *raider, 2), -1) << "a standing bombardment is kept";

  CGUnit* defender = game.world.CreateUnit(0, WarshipOf(game, 0), raider->location);
  ASSERT_NE(defender, nullptr);
  EXPECT_FALSE(SrvAiBombardmentStands(SrvAiPlan(game.world, 8, SrvAiLevelOf(2), 5), *raider));
  const std::int64_t next = OrderFor(game, 8, *raider, 2);
  EXPECT_TRUE(next == ORDER_ATTACK_UNIT || next == ORDER_GO_TO_UNIT) << next;
}

// A builder past its fleet limit loads ATVs: for new land while some lies
// nearer than an enemy asteroid a landing would take, but the combat ATVs
// that take it once its own warships hold the space above that asteroid.
TEST_F(SrvAiSiege, CarriersLoadForALandingWhereTheirWarshipsHoldTheSpace) {
  const std::uint16_t base = game.Chapter(8).homeAsteroid;
  CGUnit* builder = HomeBuilder();
  ASSERT_NE(builder, nullptr);
  // The fleet at its limit, a pool for ATVs but for no surplus warship.
  const Location dock = builder->location;
  for (int n = 0; n < 40; ++n) ASSERT_NE(game.world.CreateUnit(8, WarshipOf(game, 8), dock), nullptr);
  for (std::uint32_t m = 0; m < kMineralTypes; ++m) game.world.poolDB.SetMineral(base, m, 300);
  HomeHeldByOneZone();
  ASSERT_GT(SrvAiFreeZones(game.world, home).size(), 2u);
  std::int32_t failure = 0;
  ASSERT_LT(builder->GetTurnsToAsteroid(home, &failure), kUnreachable);

  // The most combat ATVs one of the chapter's builders loads (a hard landing
  // that invades takes as many as the pool pays for, so the first builder
  // may take them all), and whether a load holds other kinds too.
  struct Loaded {
    int combat = -1;
    bool others = false;
  };
  auto loaded = [&] {
    Loaded most;
    for (const SrvPacket& p : SrvChooseOrders(game.world, 8, SrvAiLevelOf(2), 5)) {
      OrderPacket parsed;
      if (ReadU16(p, 0) != PKT_ORDER || ReadU32(p, 12) != ORDER_BUILD_ATVS || !ParseOrderPacket(p, &parsed)) continue;
      most.combat = std::max<int>(most.combat, parsed.head[ATV_COMBAT]);
      most.others |= parsed.head[ATV_MINING] + parsed.head[ATV_POWER] != 0;
    }
    return most;
  };
  Loaded load = loaded();
  EXPECT_EQ(load.combat, 1) << "a load for new land, one combat ATV along";
  EXPECT_TRUE(load.others);
  ASSERT_NE(game.world.CreateUnit(8, WarshipOf(game, 8), raider->location), nullptr);
  load = loaded();
  EXPECT_GE(load.combat, 2) << "the combat ATVs that take it";
  EXPECT_FALSE(load.others);
}

// A side ahead in flags when the flags win: a builder at home loads the
// combat ATVs that take the nearest flag before it builds the ships its fleet
// is short of, and whatever new land lies nearer.
TEST_F(SrvAiSiege, ASideAheadInFlagsLoadsForAFlagBeforeShips) {
  const std::uint16_t base = game.Chapter(8).homeAsteroid;
  CGUnit* builder = HomeBuilder();
  ASSERT_NE(builder, nullptr);
  for (std::uint32_t m = 0; m < kMineralTypes; ++m) game.world.poolDB.SetMineral(base, m, 30000);
  HomeHeldByOneZone();  // a flag
  SrvAiLevel hard = SrvAiLevelOf(2);
  hard.flagsWin = true;
  auto order = [&] {
    for (const SrvPacket& p : SrvChooseOrders(game.world, 8, hard, 5))
      if (ReadU16(p, 0) == PKT_ORDER && ReadU32(p, 8) == builder->id) return p;
    return SrvPacket{};
  };
  const SrvPacket alone = order();
  ASSERT_FALSE(alone.empty());
  EXPECT_EQ(ReadU32(alone, 12), ORDER_BUILD_SHIP) << "one flag: ships first";

  game.Control(game.Chapter(16).homeAsteroid, 8);
  ASSERT_EQ(SrvAiCountFlags(game.world, 8).side, 2);
  const SrvPacket ahead = order();
  ASSERT_FALSE(ahead.empty());
  ASSERT_EQ(ReadU32(ahead, 12), ORDER_BUILD_ATVS);
  auto turn = game.Turn();
  ASSERT_EQ(SrvSubmitComputerOrder(turn, 8, ahead), SrvOrderVerdict::kAccepted);
  EXPECT_EQ(builder->GetOrder(0)->head[ATV_COMBAT], builder->GetFreeAtvCapacity())
      << "at hard, a full hold of combat ATVs for the flag";
}

}  // namespace
