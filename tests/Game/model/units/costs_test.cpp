#include <gtest/gtest.h>

#include <array>

#include "tests/Game/model/units/units_fixture.h"

namespace units_test {
namespace {

using Pool = std::array<std::uint32_t, 4>;

class CostsTest : public UnitWorld {
 protected:
  CostsTest() {
    space.SetPool(0, {5000, 5000, 5000, 5000});
    space.Credits(0) = 5000;
    builder = Unit(Builder(), {0, 100, 0, 0});
    ship = Design(0, {kComputer, kDrive, kWeapon});
    ship->GetCost32(shipCost);
  }
  // Saves every unit and loads them into a new database that takes the old one's place.
  void SaveAndLoad() {
    CGGamePieceDB& current = reloaded ? *reloaded : pieces;
    const std::string bytes = box.SavedOf(current);
    const std::uint32_t id = builder->id;
    reloaded = std::make_unique<CGGamePieceDB>();
    links.pieces = reloaded.get();
    ASSERT_EQ(box.LoadedInto(*reloaded, bytes), 1);
    builder = reloaded->FindUnit(id, nullptr);
    ASSERT_NE(builder, nullptr);
  }
  Pool Less(const std::uint32_t cost[5], std::uint32_t times = 1) const {
    Pool p{5000, 5000, 5000, 5000};
    for (int i = 0; i < 4; ++i) p[i] -= cost[i] * times;
    return p;
  }

  CGUnit* builder = nullptr;
  CGUnitTemplate* ship = nullptr;
  std::uint32_t shipCost[5] = {};
  std::unique_ptr<CGGamePieceDB> reloaded;
};

TEST_F(CostsTest, BuildingPaysAtIssueAndCancelBeforeTheStartRefunds) {
  for (std::uint32_t type : {ORDER_BUILD_SHIP, ORDER_BUILD_OR_REPAIR_SHIP, ORDER_MODIFY_SHIP}) {
    ASSERT_EQ(builder->IssueOrder(type, ship->templateId, kInsertReplace, nullptr, true), 1) << type;
    EXPECT_EQ(space.PoolAt(0), Less(shipCost)) << type;
    EXPECT_EQ(space.Credits(0), 5000 - shipCost[4]);
    EXPECT_EQ(ship->references, 1);
    const ConstructionBlock& block = *builder->GetOrder(0)->construction;
    EXPECT_EQ(block.words, (std::array<std::uint16_t, 9>{
                               0, 0, 0, 0, static_cast<std::uint16_t>(shipCost[0]),
                               static_cast<std::uint16_t>(shipCost[1]), static_cast<std::uint16_t>(shipCost[2]),
                               static_cast<std::uint16_t>(shipCost[3]), static_cast<std::uint16_t>(shipCost[4])}));
    builder->CancelOrders();
    EXPECT_EQ(space.PoolAt(0), Less(shipCost, 0)) << type;
    EXPECT_EQ(space.Credits(0), 5000u);
    EXPECT_EQ(ship->references, 0);
  }
}

TEST_F(CostsTest, AStartedBuildIsNotRefunded) {
  builder->IssueOrder(ORDER_BUILD_SHIP, ship->templateId, kInsertReplace, nullptr, true);
  builder->stage = 3;
  builder->CancelOrders();
  EXPECT_EQ(space.PoolAt(0), Less(shipCost));
  EXPECT_EQ(space.Credits(0), 5000 - shipCost[4]);
}

TEST_F(CostsTest, ABuildThatEndsAfterItsStartIsNotRefunded) {
  // Failed after it started, then completed with a positive result: paid both times.
  for (std::int32_t result : {std::int32_t{ORDERFAIL_LACK_POWER}, std::int32_t{2}}) {
    ASSERT_EQ(builder->IssueOrder(ORDER_BUILD_SHIP, ship->templateId, kInsertReplace, nullptr, true), 1);
    builder->stage = 200;
    builder->PopFirstOrder(result, 1);
    EXPECT_EQ(builder->stage, kStageNotStarted);
  }
  EXPECT_EQ(space.PoolAt(0), Less(shipCost, 2));
  EXPECT_EQ(space.Credits(0), 5000 - 2 * shipCost[4]);
  // Failed before it started: refunded.
  ASSERT_EQ(builder->IssueOrder(ORDER_BUILD_SHIP, ship->templateId, kInsertReplace, nullptr, true), 1);
  builder->PopFirstOrder(ORDERFAIL_LACK_POWER, 1);
  EXPECT_EQ(space.PoolAt(0), Less(shipCost, 2));
}

TEST_F(CostsTest, ShortPoolsRefuseTheOrderAndTakeNothing) {
  space.Credits(0) = shipCost[4] - 1;
  EXPECT_EQ(builder->IssueOrder(ORDER_BUILD_SHIP, ship->templateId, kInsertReplace, nullptr, true), 0);
  space.pools.pools[0].amounts[2] = shipCost[2] - 1;
  space.Credits(0) = 5000;
  EXPECT_EQ(builder->IssueOrder(ORDER_BUILD_SHIP, ship->templateId, kInsertReplace, nullptr, true), 0);
  EXPECT_EQ(builder->GetOrderCount(), 0);
  EXPECT_EQ(space.Credits(0), 5000u);
  EXPECT_EQ(builder->IssueOrder(ORDER_BUILD_SHIP, 0x3FFFFFF, kInsertReplace, nullptr, true), 0);  // no such design
}

TEST_F(CostsTest, AtvsCostThreeTimesTheirKindCosts) {
  for (int k = 0; k < 4; ++k) {
    for (int r = 0; r < 5; ++r) g_gameVariables.atvCosts[k][r] = static_cast<std::int16_t>(10 * (k + 1) + r);
  }
  const std::uint8_t zone[6] = {1, 0, 2, 0, 0, 0};
  ASSERT_EQ(builder->OrderOnZone(ORDER_BUILD_ATVS, zone, kInsertReplace), 1);
  // 3 x (cost of kind 0 + 2 x cost of kind 2), kind 0 = 10+r, kind 2 = 30+r.
  EXPECT_EQ(space.PoolAt(0), (Pool{5000 - 210, 5000 - 219, 5000 - 228, 5000 - 237}));
  EXPECT_EQ(space.Credits(0), 5000u - 246);
  builder->PopFirstOrder(ORDERFAIL_LACK_POWER, 0);
  EXPECT_EQ(space.PoolAt(0), (Pool{5000, 5000, 5000, 5000}));
}

// Every building type keeps its whole payment across a save, so a cancel
// after loading refunds what was paid, reactives included.
TEST_F(CostsTest, RefundsAfterASaveAndLoadAreWhole) {
  for (std::uint32_t type : {ORDER_BUILD_SHIP, ORDER_MODIFY_SHIP, ORDER_BUILD_OR_REPAIR_SHIP}) {
    ASSERT_EQ(builder->IssueOrder(type, ship->templateId, kInsertReplace, nullptr, true), 1);
    builder->GetOrder(0)->construction->words[3] = 0x1234;
    SaveAndLoad();
    ASSERT_TRUE(builder->GetOrder(0)->construction) << type;
    EXPECT_EQ(builder->GetOrder(0)->construction->words[3], 0x1234);
    EXPECT_EQ(builder->GetOrder(0)->construction->Cost(3), shipCost[3]);
    builder->CancelOrders();
    EXPECT_EQ(space.PoolAt(0), Less(shipCost, 0)) << type;
    EXPECT_EQ(space.Credits(0), 5000u);
  }
}

TEST_F(CostsTest, ARebuildPaysForTheDestroyedModulesOnly) {
  CGUnit* wreck = Unit(ship, {0, 300, 0, 0});
  wreck->modules[2].damage = static_cast<std::uint8_t>(wreck->GetSlotCapacity(2));  // the weapon
  wreck->modules[1].damage = 1;                                                     // a dented drive
  ASSERT_EQ(builder->IssueOrder(ORDER_REBUILD_UNIT, 0, kInsertReplace, wreck, true), 1);
  EXPECT_EQ(builder->GetOrder(0)->Word(0), wreck->id);
  EXPECT_EQ(builder->GetOrder(0)->Word(1), kNoTargetId);
  EXPECT_EQ(space.PoolAt(0), (Pool{5000 - 30, 5000 - 20, 5000 - 10, 5000 - 5}));
  EXPECT_EQ(space.Credits(0), 5000u - 40);
  EXPECT_EQ(builder->IssueOrder(ORDER_REBUILD_UNIT, 0, kInsertReplace, nullptr, true), 0);
}

TEST_F(CostsTest, ReusedModulesLowerTheCostNeverBelowZero) {
  CGUnit* old = Unit(Design(0, {kComputer, kDrive, kWeapon, kWeapon, kWeapon}), {0, 300, 0, 0});
  std::uint32_t cost[5];
  std::uint8_t remaining[20] = {1, 1, 1};
  ship->GetCost32(cost);
  old->ReuseTargetModules(ship, cost, remaining);
  // Same class: the hull and all three modules are already there.
  EXPECT_EQ(std::vector<std::uint32_t>(cost, cost + 5), (std::vector<std::uint32_t>{0, 0, 0, 0, 0}));
  EXPECT_EQ(std::vector<std::uint8_t>(remaining, remaining + 3), (std::vector<std::uint8_t>{0, 0, 0}));

  // The builder's own weapons (from slot 4 on) offset more than the small cost left.
  CGUnitTemplate* gun = Design(0, {kNoModuleId, kNoModuleId, kNoModuleId, kNoModuleId, kWeapon});
  std::uint32_t small[5] = {10, 10, 10, 5, 10};
  std::uint8_t used[20];
  std::uint8_t need[20] = {0, 0, 0, 0, 1};
  CGUnit* armed = Unit(Design(0, {kComputer, kDrive, kPower, kScout, kWeapon}), {0, 500, 0, 0});
  armed->ReuseOwnModules(gun, small, used, need);
  EXPECT_EQ(std::vector<std::uint32_t>(small, small + 5), (std::vector<std::uint32_t>{0, 0, 0, 0, 0}));
  EXPECT_EQ(used[4], 1);
  EXPECT_EQ(need[4], 0);

  space.SetPool(0, {100, 50, 20, 10});  // the hull's costs: the reused weapon is not paid again
  space.Credits(0) = 0;
  EXPECT_EQ(armed->CanAffordTemplate(gun, true, nullptr), 1u);
  EXPECT_EQ(armed->CanAffordTemplate(gun, false, nullptr), 0u);
  EXPECT_EQ(builder->CanAffordTemplate(ship, false, old), 1u);
}

TEST_F(CostsTest, AStunnedQueueRefusingABuildGivesThePaymentBack) {
  auto stunned = std::make_unique<UnitOrder>();
  stunned->type = ORDER_STUNNED;
  builder->InsertOrder(std::move(stunned), kInsertAppend, false);
  EXPECT_EQ(builder->IssueOrder(ORDER_BUILD_SHIP, ship->templateId, kInsertReplace, nullptr, true), 0);
  EXPECT_EQ(space.PoolAt(0), Less(shipCost, 0));
  EXPECT_EQ(space.Credits(0), 5000u);
  EXPECT_EQ(ship->references, 0);
}

}  // namespace
}  // namespace units_test
