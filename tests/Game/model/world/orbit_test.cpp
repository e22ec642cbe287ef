#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <tuple>

#include "tests/Game/model/world/world_fixture.h"

namespace world_test {
namespace {

class OrbitTest : public WorldTest {
 protected:
  OrbitTest() {
    solar.CreateAsteroidArray(3);
    solar.orbitDirection = 1;
    a = AddAsteroid(0, 1);
    const Location c1{g_numAsteroids, 1000, 0, 0};
    a->SetOrbitCenters(&c1, &c1);
    a->SetOrbitRadii(5000, 3000);
    a->SetOrbitShape(ORBIT_ELLIPTIC, 200.0f, 0.0f, 0.0);
  }
  void Start(std::uint8_t kind, double angle, float speed) {
    a->orbitKind = kind;
    a->SetOrbitAngle(angle, speed);
    a->previousAngle = angle;
    a->previousSpeed = speed;
  }
  CGAsteroid* a = nullptr;
};

TEST_F(OrbitTest, EllipticAngleWrapsAtTheSinglePrecisionValue) {
  Start(ORBIT_ELLIPTIC, 6.2, 100.0f);
  a->AdvanceOrbit(1, 1);
  EXPECT_EQ(a->angle, 6.2 + 100.0 * static_cast<double>(0.001f) - static_cast<double>(6.2832f));
  EXPECT_NEAR(a->angle, 0.0168, 1e-6);
  EXPECT_GT(std::fabs(a->angle - (6.3 - 2 * std::numbers::pi)), 1e-5);
}

// At angle 3: cos -0.98999, sin 0.14112; the centre lies on the positive side,
// so the x offset is stretched by 900 cos.
TEST_F(OrbitTest, EllipticPositionWorkedExample) {
  Start(ORBIT_ELLIPTIC, 3.0, 0.0f);
  a->AdvanceOrbit(1, 1);
  EXPECT_EQ(std::make_tuple(a->position.x, a->position.y, a->position.z),
            std::make_tuple(1000 - 4949 - 890, 423, -197));
}

TEST_F(OrbitTest, AnimationForwardThenBackwardReturnsToTheStart) {
  Start(ORBIT_ELLIPTIC, 0.5, 0.0f);
  a->AdvanceOrbit(1, 1);
  const Location atStart = a->position;
  Start(ORBIT_ELLIPTIC, 0.5, 37.5f);
  a->animationStep = 26;
  for (int i = 0; i < 26; ++i) a->AdvanceOrbit(1, 1);
  EXPECT_EQ(a->animationStep, 0);
  EXPECT_NE(a->position.y, atStart.y);
  for (int i = 0; i < 27; ++i) a->AdvanceOrbit(1, 0);
  a->AdvanceOrbit(1, 1);
  EXPECT_NEAR(a->angle, 0.5, 1e-12);
  EXPECT_EQ(std::make_tuple(a->position.x, a->position.y, a->position.z),
            std::make_tuple(atStart.x, atStart.y, atStart.z));
  // A turn's step starts from the start-of-turn state whatever the animation did.
  CGAsteroid fresh(2);
  fresh.SetOrbitRadii(5000, 3000);
  fresh.SetOrbitShape(ORBIT_ELLIPTIC, 200.0f, 37.5f, 0.5);
  fresh.center1 = a->center1;
  fresh.center2 = a->center2;
  a->AdvanceOrbit(0, 1);
  fresh.AdvanceOrbit(0, 1);
  EXPECT_EQ(std::make_tuple(a->angle, a->position.x, a->previousPosition.y, a->animationStep),
            std::make_tuple(fresh.angle, fresh.position.x, fresh.position.y, 0));
}

TEST_F(OrbitTest, AnimationStepsCountDownForwardAndUpBackward) {
  Start(ORBIT_ELLIPTIC, 0.0, 1.0f);
  const std::pair<int, int> forward[] = {{3, 2}, {1, 0}, {0, 0}};
  for (auto [from, to] : forward) {
    a->animationStep = static_cast<std::uint8_t>(from);
    a->AdvanceOrbit(1, 1);
    EXPECT_EQ(a->animationStep, to) << from;
  }
  const std::pair<int, int> backward[] = {{24, 25}, {25, 0}, {26, 0}, {0, 0}};
  for (auto [from, to] : backward) {
    a->animationStep = static_cast<std::uint8_t>(from);
    a->AdvanceOrbit(1, 0);
    EXPECT_EQ(a->animationStep, to) << from;
  }
}

// r1 1000, r2 500: from 990 at speed 50 the step overshoots the bound, so
// the asteroid stops at 1000 and turns; the next step goes 225 back.
TEST_F(OrbitTest, OscillationTurnsAtItsBound) {
  a->SetOrbitRadii(1000, 500);
  a->zFactor = 2.5f;
  Start(ORBIT_OSCILLATING, 990.0, 50.0f);
  a->AdvanceOrbit(1, 1);
  EXPECT_EQ(std::make_tuple(a->angle, a->speed, a->position.x, a->position.y),
            std::make_tuple(1000.0, -50.0f, 1000, 0));
  a->AdvanceOrbit(1, 1);
  EXPECT_EQ(std::make_tuple(a->angle, a->position.x), std::make_tuple(775.0, 775));
  EXPECT_EQ(a->position.y, -315);       // moving back: the lower half
  EXPECT_EQ(a->position.z, 1937);       // 775 x 2.5
  Start(ORBIT_OSCILLATING, 0.0, 0.1f);  // a step below 0.1 goes a further 0.1
  a->AdvanceOrbit(1, 1);
  EXPECT_NEAR(a->angle, 0.15, 1e-7);
  Location predicted;
  float speed = 50.0f;
  double angle = 990.0;
  a->PredictOrbitStep(&predicted, &speed, &angle);
  EXPECT_EQ(predicted.x, 1000);
  EXPECT_EQ(speed, -50.0f);
  EXPECT_NEAR(a->angle, 0.15, 1e-7);  // the asteroid itself stays
}

TEST_F(OrbitTest, AnOscillationWithoutWidthStaysPut) {
  a->SetOrbitRadii(0, 500);
  Start(ORBIT_OSCILLATING, 3.0, 20.0f);
  const Location before = a->position;
  a->AdvanceOrbit(1, 1);
  EXPECT_EQ(std::make_tuple(a->angle, a->position.x), std::make_tuple(3.0, before.x));
  EXPECT_EQ(a->GetEllipseY(), 0);
  a->AdvanceOrbit(0, 1);
  EXPECT_EQ(a->GetThermalCoefficient(), 13);  // 13700 / 1000 from the centre
}

TEST_F(OrbitTest, ThermalAndRadiationFromTheDistances) {
  UseGameVariables("POWER_BASE_TOPAZ=100\n");
  solar.CreateStarArray(2);
  solar.CreateStars();
  solar.GetStar(0)->baseRadiation = 1000;
  solar.GetStar(1)->baseRadiation = 500;
  const Location c1{g_numAsteroids, -1000, 0, 0}, c2{g_numAsteroids, 1000, 0, 0};
  a->SetOrbitCenters(&c1, &c2);
  const Location at{0, 0, 0, 0};  // the centres are measured as solar space whatever they hold
  a->SetPosition(&at);
  a->position.asteroid = g_numAsteroids;
  a->orbitKind = ORBIT_ELLIPTIC;
  a->ComputeThermalCoefficient();
  EXPECT_EQ(a->GetThermalCoefficient(), 13);
  a->ComputeRadiationCoefficient();  // (500 / 1000 + 1000 / 1000) x 100 x 0.1
  EXPECT_EQ(a->GetRadiationCoefficient(), 15);
  a->position.x = 900;
  a->orbitKind = ORBIT_OSCILLATING;  // the nearer centre counts
  a->ComputeThermalCoefficient();
  EXPECT_EQ(a->GetThermalCoefficient(), 137);
  a->position.x = 30000;
  a->orbitKind = ORBIT_ELLIPTIC;
  a->ComputeThermalCoefficient();
  EXPECT_EQ(a->GetThermalCoefficient(), 1);  // never 0
  a->position.x = -1000;                     // on the star: the hottest, not a division by 0
  a->ComputeThermalCoefficient();
  a->ComputeRadiationCoefficient();
  EXPECT_EQ(a->GetThermalCoefficient(), 255);
  EXPECT_EQ(a->GetRadiationCoefficient(), 255);
  a->position.x = -1040;  // 342: hotter than a byte holds, and no wrap to 86
  a->ComputeThermalCoefficient();
  EXPECT_EQ(a->GetThermalCoefficient(), 255);
}

TEST_F(OrbitTest, SolarYearWithoutSpeed) {
  Start(ORBIT_ELLIPTIC, 0.0, 0.0f);
  EXPECT_EQ(a->GetOrbitPeriod(), static_cast<double>(6283.1997f));
  a->orbitKind = ORBIT_OSCILLATING;
  EXPECT_EQ(a->GetOrbitPeriod(), 5000 * static_cast<double>(2.77f));
}

}  // namespace
}  // namespace world_test
