#include <gtest/gtest.h>

#include <numbers>

#include "platform/core/random.h"
#include "tests/Game/model/units/units_fixture.h"

namespace units_test {
namespace {

class MovementTest : public UnitWorld {
 protected:
  // A unit whose local and deep speeds are exactly `local` and `deep`.
  CGUnit* Mover(std::int32_t local, std::int32_t deep, Location at) {
    CGUnitTemplate* d = Design(0, {kComputer, kDrive, kPower});
    d->mass = 5000;
    d->localThrust = static_cast<std::uint32_t>(local);
    d->deepThrust = static_cast<std::uint32_t>(deep);
    CGUnit* u = Unit(d, at);
    EXPECT_EQ(u->GetLocalSpaceSpeed(), local);
    EXPECT_EQ(u->GetDeepSpaceSpeed(), deep);
    return u;
  }
};

TEST_F(MovementTest, LocalMovesCountWholeSteps) {
  CGUnit* u = Mover(500, 1000, {0, 1000, 0, 0});
  const Location target{0, 3000, 0, 0};
  std::int32_t failure = 1;
  // 1000 -> 1500 -> 2000 -> 2500, then within one step and the stop range.
  EXPECT_EQ(u->GetTurnsToLocation(&target, 0, 90000, &failure), 4u);
  EXPECT_EQ(failure, 1);
  EXPECT_EQ(u->location.x, 1000);  // the simulation puts the unit back
  u->OrderToLocation(ORDER_MOVE_TO_LOCATION, &target, kInsertReplace);
  EXPECT_EQ(u->GetETA(), 4);

  const Location near{0, 1200, 0, 0};
  u->OrderToLocation(ORDER_MOVE_TO_LOCATION, &near, kInsertReplace);
  EXPECT_EQ(u->GetETA(), 1);  // less than a turn counts as one
  EXPECT_EQ(u->GetNumTurnsUntilOrderCompletion(nullptr), 1);
}

TEST_F(MovementTest, AUnitWithoutSpeedCreepsInStepsOf32) {
  CGUnit* u = Unit(Design(0, {kComputer}), {0, 1000, 0, 0});
  ASSERT_EQ(u->GetSpeed(), 0);
  const Location target{0, 1400, 0, 0};
  // 1000 -> 1032 -> 1064 -> 1096 -> 1128, then within the stop range.
  EXPECT_EQ(u->GetTurnsToLocation(&target, 0, 90000, nullptr), 5u);
  const Location far{0, 20000, 0, 0};
  EXPECT_EQ(u->GetTurnsToLocation(&far, 0, 90000, nullptr), 65535u);
  EXPECT_EQ(u->location.x, 1000);
  // Without the asteroid mode the step is 32 / 8.
  u->SimulateMoveStep(&target, 0, 0, 90000);
  EXPECT_EQ(u->location.x, 1004);
}

TEST_F(MovementTest, RoutesThroughTheAsteroidBodyDetour) {
  plat::srand(3);
  CGUnit* u = Mover(500, 1000, {0, -1000, 0, 0});
  const Location target{0, 1000, 0, 0};
  std::int32_t failure = 1;
  const std::uint32_t turns = u->GetTurnsToLocation(&target, 1, 90000, &failure);
  EXPECT_NE(failure, ORDERFAIL_BOXED_IN);
  EXPECT_GT(turns, 4u);  // the straight line would be 4
  EXPECT_LT(turns, 65535u);
  EXPECT_EQ(u->location.x, -1000);

  // Each step the unit takes stays out of the body.
  for (int step = 0; step < 40 && u->SimulateMoveStep(&target, 1, 1, 90000) == 0; ++step) {
    const Location centre{0, 0, 0, 0};
    EXPECT_GE(GetLocationRangeSq(&u->location, &centre), 90000u) << step;
  }
}

TEST_F(MovementTest, AUnitStandingOnAnotherIsBoxedIn) {
  CGUnitTemplate* hulk = Design(0, {kComputer});
  CGUnit* u = Unit(hulk, {0, 1000, 0, 0});
  Unit(hulk, {0, 1000, 0, 0});
  const Location target{0, 3000, 0, 0};
  std::int32_t failure = 0;
  // Every step of 32 and every detour stays within reach of the other unit.
  EXPECT_EQ(u->GetTurnsToLocation(&target, 0, 90000, &failure), 1u);
  EXPECT_EQ(failure, ORDERFAIL_BOXED_IN);
}

TEST_F(MovementTest, SolarTripsTowardAStillAsteroid) {
  CGUnit* u = Mover(500, 1000, {0, 0, 0, 0});
  // 10500 at 1000 a turn: ten whole steps and a partial one.
  space.Place(1, {0, 10500, 0, 0});
  std::int32_t failure = 0;
  EXPECT_EQ(u->GetTurnsToAsteroid(1, &failure), 11u);
  // From one asteroid to another no trip counts less than two.
  space.Place(1, {0, 1500, 0, 0});
  EXPECT_EQ(u->GetTurnsToAsteroid(1, nullptr), 2u);

  u->OrderOnAsteroid(ORDER_MOVE_TO_ASTEROID, 1, kInsertReplace);
  u->stage = 6;
  EXPECT_EQ(u->GetTurnsToAsteroid(1, nullptr), 6u);

  // A move next to another asteroid adds the local approach: 2600 / 500 = 5.
  space.Place(1, {0, 10500, 0, 0});
  u->OrderOnAsteroid(ORDER_MOVE_NEXT_TO_ASTEROID, 1, kInsertReplace);
  EXPECT_EQ(u->GetETA(), 11 + 5);
}

TEST_F(MovementTest, SolarTripsChaseAMovingAsteroid) {
  CGUnit* u = Mover(500, 1000, {0, 0, 0, 0});
  // Asteroid 1 at x 10000 on the top of a wide orbit about it, turning
  // away from the unit: about 100 a turn along x.
  CGAsteroid& moving = space.Asteroid(1);
  const Location centre{g_numAsteroids, 10000, 0, 0};
  moving.SetOrbitCenters(&centre, &centre);
  moving.SetOrbitRadii(32000, 0);
  moving.SetOrbitAngle(0.5 * std::numbers::pi, -3.125f);  // 1/320 radian a turn
  // Speed 1000 - 100 = 900; after turn k the unit is at 900k and the
  // asteroid at 10000 + 100k: 12 whole steps, then within one step.
  EXPECT_EQ(u->GetTurnsToAsteroid(1, nullptr), 13u);

  // 30000 at 60 a turn: beyond the 254 turns a trip may take.
  CGUnit* slow = Mover(500, 60, {0, 0, 0, 0});
  space.Place(1, {0, 30000, 0, 0});
  std::int32_t failure = 0;
  EXPECT_EQ(slow->GetTurnsToAsteroid(1, &failure), 65535u);
  EXPECT_EQ(failure, ORDERFAIL_SOLAR_TRIP_TOO_LONG);
}

TEST_F(MovementTest, UnitsThatCannotTravelSaySo) {
  CGUnit* noDrive = Unit(Design(0, {kComputer}), {0, 0, 0, 0});
  std::int32_t failure = 0;
  EXPECT_EQ(noDrive->GetTurnsToAsteroid(1, &failure), 65535u);
  EXPECT_EQ(failure, ORDERFAIL_NO_SOLAR_DRIVE);
  EXPECT_EQ(noDrive->GetTurnsToAsteroid(3, &failure), 65535u);  // no such asteroid
  EXPECT_EQ(failure, ORDERFAIL_NO_SOLAR_DRIVE);

  CGUnit* wrecked = Mover(500, 1000, {0, 0, 0, 0});
  wrecked->modules[1].damage = static_cast<std::uint8_t>(wrecked->GetSlotCapacity(1));
  wrecked->RecomputeStats();
  EXPECT_EQ(wrecked->GetTurnsToAsteroid(1, &failure), 65535u);
  EXPECT_EQ(failure, ORDERFAIL_CANNOT_MOVE);
  const Location elsewhere{1, 0, 0, 0};
  EXPECT_EQ(wrecked->GetTurnsToLocation(&elsewhere, 1, 90000, &failure), 65535u);
  EXPECT_EQ(failure, ORDERFAIL_CANNOT_MOVE);
}

TEST_F(MovementTest, RangeTestsWidenForUnitsWithoutLocalDrive) {
  CGUnit* a = Mover(500, 1000, {0, 1000, 0, 0});
  CGUnit* b = Mover(500, 1000, {0, 1300, 0, 0});
  CGUnit* slow = Unit(Design(0, {kComputer}), {0, 1500, 0, 0});
  EXPECT_EQ(a->IsUnitInRange(5, b, 90000), 1u);
  EXPECT_EQ(a->IsUnitInRange(5, b, 89999), 0u);
  EXPECT_EQ(a->IsUnitInRange(5, slow, 90000), 1u);  // 500 squared within three times 90000
  EXPECT_EQ(a->IsUnitInRange(5, nullptr, 0), 1u);
  EXPECT_EQ(a->IsAsteroidInRange(8, 0, 1000000), 1u);
  EXPECT_EQ(a->IsAsteroidInRange(8, 0, 999999), 0u);
  EXPECT_EQ(slow->IsAsteroidInRange(8, 0, 450000), 1u);  // five times for a unit without local drive
  EXPECT_EQ(a->IsAsteroidInRange(8, 1, 1u << 30), 0u);
  EXPECT_EQ(a->IsAsteroidInRange(8, 3, 0), 1u);  // no such asteroid
}

}  // namespace
}  // namespace units_test
