#include <gtest/gtest.h>

#include "tests/Game/model/units/units_fixture.h"

namespace units_test {
namespace {

// The builder: construction 20, power storage 300, generation 25, transfer
// rate 10; every module draws 8 power at firing level 2.
class TurnsTest : public UnitWorld {
 protected:
  TurnsTest() {
    builder = Unit(Builder(), {0, 1000, 0, 0});
    ship = Design(0, {kComputer, kDrive, kWeapon});  // build points 200 + 3 x 20
  }
  std::uint16_t Turns(CGUnit* u, std::int16_t* change = nullptr) { return u->GetNumTurnsUntilOrderCompletion(change); }

  CGUnit* builder = nullptr;
  CGUnitTemplate* ship = nullptr;
};

TEST_F(TurnsTest, EmptyQueueSelfDestructAndStunned) {
  EXPECT_EQ(Turns(builder), 0xFFFF);  // status word 1 from creation
  builder->statusWord = 0;
  EXPECT_EQ(Turns(builder), 0);
  builder->IssueOrder(ORDER_SELF_DESTRUCT, 0, kInsertReplace, nullptr, false);
  EXPECT_EQ(Turns(builder), 0xFFFE);
  builder->IssueOrder(ORDER_STUNNED, 0, kInsertReplace, nullptr, false);
  EXPECT_EQ(Turns(builder), 0xFFFF);
  builder->ClearOrders(true);
  builder->IssueOrder(ORDER_DEFEND, 0, kInsertReplace, nullptr, false);
  EXPECT_EQ(Turns(builder), 0xFFFF);
}

TEST_F(TurnsTest, BuildingAtHomeAndAway) {
  space.SetPool(0, {5000, 5000, 5000, 5000});
  builder->IssueOrder(ORDER_BUILD_SHIP, ship->templateId, kInsertReplace, nullptr, false);
  // ceil((260 + 50) / 20) = 16, one more before it starts; 17 x 8 power used.
  // Power full: G = 25 x 17 - 25 = 400 >= 136. The change is held below the
  // maximum by one turn's use: 300 - 8 - 300.
  std::int16_t change = 0;
  EXPECT_EQ(Turns(builder, &change), 17);
  EXPECT_EQ(change, -8);
  // Begun, the build shows the turns the server's count has left: 16 after
  // its first turn, then one fewer each turn, not 16 throughout.
  builder->stage = 16;
  EXPECT_EQ(Turns(builder), 16);
  builder->stage = 3;
  EXPECT_EQ(Turns(builder), 3);

  // Away from home the pool pays: no travel. It cannot: 10000 / (20 x 100) more.
  CGUnit* away = Unit(builder->design, {1, 0, 0, 0});
  away->IssueOrder(ORDER_BUILD_OR_REPAIR_SHIP, ship->templateId, kInsertReplace, nullptr, false);
  space.SetPool(1, {5000, 5000, 5000, 5000});
  EXPECT_EQ(Turns(away), 17);
  space.SetPool(1, {0, 0, 0, 0});
  EXPECT_EQ(Turns(away), 17 + 5);
  away->IssueOrder(ORDER_BUILD_SHIP, 0x3FFFFFF, kInsertReplace, nullptr, false);
  EXPECT_EQ(Turns(away), 0xFFFF);
}

TEST_F(TurnsTest, AttackInRangeCompletesNow) {
  CGUnit* prey = Unit(Builder(9), {0, 1300, 0, 0}, 9);
  builder->OrderOnUnit(ORDER_ATTACK_UNIT, prey, kInsertReplace);
  std::int16_t change = 5;
  EXPECT_EQ(Turns(builder, &change), 0);
  EXPECT_EQ(change, 0);
}

TEST_F(TurnsTest, APowerShortfallMakesAMoveImpossible) {
  CGUnit* dry = Unit(Design(0, {kComputer, kDrive}), {0, 1000, 2000, 0});  // no power module
  const Location target{0, 3000, 2000, 0};
  dry->OrderToLocation(ORDER_MOVE_TO_LOCATION, &target, kInsertReplace);
  ASSERT_GT(dry->GetETA(), 1);
  EXPECT_EQ(Turns(dry), 0xFFFF);
  CGUnit* charged = Unit(builder->design, {0, 1000, -2000, 0});
  // Three turns at 64 a turn: 192 against 300 stored and 25 x 3 - 25 made.
  const Location there{0, 1600, -2000, 0};
  charged->OrderToLocation(ORDER_MOVE_TO_LOCATION, &there, kInsertReplace);
  ASSERT_EQ(charged->GetETA(), 3);
  EXPECT_EQ(Turns(charged), 3);
  // Nine turns cost 576 against 300 + 200: too much.
  const Location farther{0, 3000, -2000, 0};
  charged->OrderToLocation(ORDER_MOVE_TO_LOCATION, &farther, kInsertReplace);
  ASSERT_EQ(charged->GetETA(), 9);
  EXPECT_EQ(Turns(charged), 0xFFFF);
}

TEST_F(TurnsTest, PowerTransferToAUnitInRange) {
  CGUnit* target = Unit(Builder(), {0, 1200, 0, 0});
  target->power = 100;
  builder->OrderOnUnit(ORDER_TRANSFER_POWER, target, kInsertReplace);
  // Room 200 at 25 + 10 a turn: 6 turns; cost 6 x 8 + 200 = 248; G = 150 - 25.
  std::int16_t change = 0;
  EXPECT_EQ(Turns(builder, &change), 6);
  EXPECT_EQ(change, 125 - 248);
  // A target busy with an order aimed elsewhere cannot take it.
  target->OrderOnAsteroid(ORDER_RETREAT, 0, kInsertReplace);
  EXPECT_EQ(Turns(builder), 0xFFFF);
}

TEST_F(TurnsTest, RechargingWithoutCostSkipsThePowerRules) {
  CGUnit* source = Unit(Builder(), {0, 1200, 0, 0});
  builder->power = 130;
  builder->OrderOnUnit(ORDER_RECHARGE_FROM_UNIT, source, kInsertReplace);
  // Need 170 at 10 + 25 a turn.
  EXPECT_EQ(Turns(builder), 5);
  PowerFromAsteroid0(15);
  builder->OrderOnAsteroid(ORDER_RECHARGE_FROM_ASTEROID, 0, kInsertReplace);
  EXPECT_EQ(Turns(builder), 5);  // 170 at 15 + 25
  PowerFromAsteroid0(0);
  EXPECT_EQ(Turns(builder), 0xFFFF);
}

TEST_F(TurnsTest, RepairAndRebuildInRange) {
  CGUnit* hurt = Unit(ship, {0, 1200, 0, 0});
  hurt->hullDamage = 50;
  hurt->modules[1].damage = 30;
  hurt->modules[7].damage = 9;  // not fitted: only a repair counts it
  builder->OrderOnUnit(ORDER_REPAIR_UNIT, hurt, kInsertReplace);
  // Rate 20, twice before the start: ceil(80 / 40) = 2.
  EXPECT_EQ(Turns(builder), 2);
  builder->stage = 1;
  // Started: rate 20, repair points 89.
  EXPECT_EQ(Turns(builder), 5);

  hurt->IssueOrder(ORDER_GET_REPAIRED, builder->id, kInsertReplace, builder, false);
  // Its own rate 0 plus the repairer's 20 before the start: ceil(89 / 20).
  EXPECT_EQ(Turns(hurt), 5);
}

TEST_F(TurnsTest, ScrapDecommissionAndScanEdges) {
  CGUnit* scrap = Unit(ship, {0, 1200, 0, 0});
  CGUnit* idle = Unit(Design(0, {kComputer}), {0, 1300, 0, 0});
  idle->IssueOrder(ORDER_SCRAP_UNIT, scrap->id, kInsertReplace, scrap, false);
  EXPECT_EQ(Turns(idle), 0xFFFF);  // no construction capacity
  builder->IssueOrder(ORDER_SCRAP_UNIT, scrap->id, kInsertReplace, scrap, false);
  EXPECT_EQ(Turns(builder), 1);  // (20 x 3) / (2 x 20)
  scrap->IssueOrder(ORDER_DECOMMISSION, builder->id, kInsertReplace, builder, false);
  // 60 / (20 x 4.0) truncates to 0, which counts as 1.
  EXPECT_EQ(Turns(scrap), 1);
  // Handing all its power over is no shortfall, asked with or without the change.
  CGUnit* yard = Unit(builder->design, {0, 1100, 0, 0});
  builder->IssueOrder(ORDER_DECOMMISSION, yard->id, kInsertReplace, yard, false);
  std::int16_t change = 0;
  EXPECT_EQ(Turns(builder, &change), 1);
  EXPECT_EQ(change, -300);
  EXPECT_EQ(Turns(builder), 1);

  CGUnit* stranger = Unit(Builder(9), {0, 1500, 0, 0}, 9);
  CGUnit* mate = Unit(ship, {0, 1500, 0, 0});
  builder->IssueOrder(ORDER_SCAN_SHIP, mate->id, kInsertReplace, mate, false);
  EXPECT_EQ(Turns(builder), 255);  // own chapter: the stage byte
  builder->IssueOrder(ORDER_SCAN_SHIP, stranger->id, kInsertReplace, stranger, false);
  EXPECT_LT(Turns(builder), 0xFFFF);
  // Without a survey rating nothing can be scanned (and nothing is divided by it).
  idle->IssueOrder(ORDER_SCAN_SHIP, stranger->id, kInsertReplace, stranger, false);
  EXPECT_EQ(Turns(idle), 0xFFFF);
  idle->IssueOrder(ORDER_SCAN_ASTEROID, 0, kInsertReplace, nullptr, false);
  EXPECT_EQ(Turns(idle), 0xFFFF);
}

TEST_F(TurnsTest, BuildingAtvsAndLanding) {
  g_gameVariables.atvBuildPoints[0] = 10;
  g_gameVariables.atvBuildPoints[2] = 30;
  builder->IssueOrder(ORDER_BUILD_ATVS, 0, kInsertReplace, nullptr, false);
  builder->GetOrder(0)->head = {1, 0, 2, 0, 0, 0, 0, 0};
  // 70 points at capacity 10: (70 - 1) / 10 + 1.
  EXPECT_EQ(Turns(builder), 7);
  std::uint8_t landing[132] = {};
  // The lander stands off the builder's straight path to the centre, so the
  // approach takes no detour (whose search resumes where the last one ended).
  CGUnit* lander = Unit(builder->design, {0, 0, 400, 0});
  lander->OrderLandAtvs(landing, kInsertReplace);
  EXPECT_EQ(Turns(lander), 1);  // within 190000 of the centre
  builder->OrderLandAtvs(landing, kInsertReplace);
  EXPECT_EQ(Turns(builder), builder->GetTurnsToLocation(std::data({Location{0, 0, 0, 0}}), 1, 160000, nullptr));
}

TEST_F(TurnsTest, RearmingNeverDividesByZero) {
  CGUnit* gun = Unit(Design(0, {kComputer, kWeapon, kSpecial}), {0, 0, 0, 0});
  gun->modules[1].ammo = 10;
  std::uint16_t cost = 0;
  // Rate of fire 3: H = 3; 30 missing at 3 a turn, 8 power each.
  EXPECT_EQ(gun->GetRearmTurns(&cost, 0), 10);
  EXPECT_EQ(cost, 80);
  cost = 0;
  // 16 points lent: 16 / 8 + 3 = 5 a turn.
  EXPECT_EQ(gun->GetRearmTurns(&cost, 16), 6);
  EXPECT_EQ(cost, 48);
  // The fast special weapon gives a negative half; its rate is held at 1.
  gun->modules[1].ammo = 40;
  gun->modules[2].ammo = 250;
  cost = 0;
  EXPECT_EQ(gun->GetRearmTurns(&cost, 0), 5);
}

TEST_F(TurnsTest, ModificationTurns) {
  CGUnit* old = Unit(Design(0, {kComputer, kDrive}), {0, 1200, 0, 0});
  CGUnitTemplate* refit = Design(0, {kComputer, kDrive, kWeapon, kWeapon});
  // The target carries slots 0 and 1; slots 2 and 3 remain, weighed by the
  // builder's own slots 2 (drive) and 3 (power): 20 + 20 over 20.
  EXPECT_EQ(builder->GetModifyTurns(0, 1, old, refit->templateId, old->id), 2);
  old->receivedPoints = 10;  // a unit being worked on: its repair at 10 + 0 a turn
  old->hullDamage = 25;
  EXPECT_EQ(builder->GetModifyTurns(0, 1, old, refit->templateId, old->id), 3);
  EXPECT_EQ(builder->GetModifyTurns(0, 1, nullptr, 0x3FFFFFF, 0), 0xFFFF);
}

// Every order type issued to a unit that can do everything, with a target
// next to it: each is queued and sent, and its turns are known except for
// the types the client has no rule for.
TEST_F(TurnsTest, EveryOrderTypeHasItsAnswer) {
  space.SetPool(0, {5000, 5000, 5000, 5000});
  PowerFromAsteroid0(20);
  space.Place(1, {0, 1500, 0, 0});
  builder->design->powerGeneration = 200;  // power for the trips, the local approach included
  CGUnit* mate = Unit(Builder(), {0, 1200, 0, 0});
  CGUnit* foe = Unit(Builder(9), {0, 1250, 0, 0}, 9);
  for (std::uint32_t type = 0; type < kOrderTypeCount; ++type) {
    builder->ClearOrders(true);
    mate->ClearOrders(true);
    links.sent.clear();
    CGUnit* target = type == 5 || type == 12 || type == 31 || type == 34 ? foe : mate;
    std::uint32_t value = target->id;
    if (type == 2 || type == 3 || type == 25) value = 1;
    if (type == 4 || type == 8 || type == 11 || type == 32) value = 0;
    if (type == 16 || type == 17 || type == 18) value = ship->templateId;
    if (type == 13 || type == 14 || type == 15) value = 0;
    if (type == 0) {
      const Location to{0, 1800, 0, 0};
      ASSERT_EQ(builder->OrderToLocation(type, &to, kInsertReplace), 1);
    } else {
      ASSERT_EQ(builder->IssueOrder(type, value, kInsertReplace, target, false), 1) << type;
    }
    ASSERT_EQ(links.sent.size(), 1u) << type;
    EXPECT_EQ(rules_test::Long(links.sent[0].bytes, 12), type);
    const std::uint16_t turns = Turns(builder);
    if (type == ORDER_SELF_DESTRUCT) {
      EXPECT_EQ(turns, 0xFFFE);
    } else if (type == 19 || (type >= 25 && type <= 30) || type == 33 || type == 35) {
      EXPECT_EQ(turns, 0xFFFF) << type;
    } else {
      EXPECT_LT(turns, 0xFFFE) << type;
    }
    char text[50];
    builder->GetOrderStatusText(0, text, sizeof text);
  }
}

}  // namespace
}  // namespace units_test
