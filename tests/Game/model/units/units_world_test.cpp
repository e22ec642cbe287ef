#include <gtest/gtest.h>

#include "Game/model/GAsteroid.h"
#include "Game/model/GPoolDB.h"
#include "Game/model/GSolarSys.h"
#include "Game/model/GameWorld.h"
#include "tests/Game/model/units/units_fixture.h"

namespace units_test {
namespace {

// The unit code over the real solar system and pools: a build pays from the
// asteroid's pool and a cancel gives it back; the world asks the game pieces.
class UnitsInTheWorld : public UnitWorld {
 protected:
  UnitsInTheWorld() {
    solar.CreateAsteroidArray(3);
    for (std::uint16_t i = 0; i < 3; ++i) {
      auto a = std::make_unique<CGAsteroid>(i);
      const Location at{3, static_cast<std::int16_t>(i * 5000), 0, 0};
      a->SetPosition(&at);
      solar.SetAsteroid(std::move(a));
    }
    links.solar = &solar;
    links.pools = &poolDB;
    links.pieces = &pieces;
    space.Credits(0) = 1000;
  }
  ~UnitsInTheWorld() override {
    links.solar = nullptr;
    links.pools = nullptr;
    g_numAsteroids = 0;
  }
  CGSolarDB solar;
  CGPoolDB poolDB;
};

TEST_F(UnitsInTheWorld, OrdersPayFromTheWorldsPoolsAndTheWorldSeesTheUnits) {
  EXPECT_EQ(World().AsteroidCount(), 3);
  const std::uint32_t held[4] = {1000, 1000, 1000, 1000};
  poolDB.SetMinerals(1, held);
  CGUnit* builder = Unit(Builder(), {1, 100, 0, 0});
  CGUnitTemplate* ship = Design(0, {kComputer});
  ASSERT_EQ(builder->IssueOrder(ORDER_BUILD_SHIP, ship->templateId, kInsertReplace, nullptr, true), 1);
  EXPECT_EQ(poolDB.GetMineral(1, 0), 1000u - ship->costs[0]);
  builder->CancelOrders();
  EXPECT_EQ(poolDB.GetMineral(1, 0), 1000u);

  EXPECT_TRUE(World().HasOperationalUnits(0, 1));
  EXPECT_FALSE(World().HasOperationalUnits(0, 2));

  // The asteroid the local chapter's units stand on is seen, and a unit in
  // solar space at asteroid 2's position detects it.
  Unit(builder->design, {3, 10000, 0, 0});
  solar.DetectAsteroids(1);
  EXPECT_EQ(solar.GetAsteroid(1)->detected, 1u);
  EXPECT_EQ(solar.GetAsteroid(2)->detected, 1u);
  EXPECT_EQ(solar.GetAsteroid(0)->detected, 0u);
  std::uint32_t d = 0;
  EXPECT_EQ(World().NearestAsteroid(std::data({Location{3, 4900, 0, 0}}), 400, &d), 1);
  EXPECT_EQ(d, 10000u);
}

}  // namespace
}  // namespace units_test
