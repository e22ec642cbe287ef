#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <set>
#include <tuple>
#include <vector>

#include "tests/Game/model/world/world_fixture.h"
#include "tests/Game/model/world/world_generator.h"

namespace world_test {
namespace {

class SolarTest : public WorldTest {
 protected:
  // Asteroids that stay where they are put (an orbit kind the server never makes).
  CGAsteroid* Still(std::uint16_t id, std::int16_t x, std::int16_t y, std::uint8_t step = 0) {
    CGAsteroid* a = AddAsteroid(id, 0, x, y);
    a->orbitKind = 2;
    a->detected = 1;
    a->animationStep = step;
    return a;
  }
};

TEST_F(SolarTest, DirectionZeroPicksASignEachTime) {
  std::set<int> signs;
  for (int i = 0; i < 20; ++i) signs.insert(solar.GetOrbitDirection());
  EXPECT_EQ(signs, (std::set<int>{-1, 1}));
  solar.orbitDirection = -1;
  EXPECT_EQ(solar.GetOrbitDirection(), -1);
}

TEST_F(SolarTest, StarsCycleTheirRadiation) {
  CGStar star(1);
  EXPECT_STREQ(star.GetName(), "Diantos");
  star.SetRadiationCycle(100.0, 99.0);
  star.baseRadiation = 20.4;
  star.UpdateRadiation();  // 99 + 64 sin(99 x 3.14 / 100) + 10 passes the peak
  EXPECT_EQ(std::make_tuple(star.fluctuation, star.rising), std::make_tuple(100.0, 0u));
  EXPECT_GE(star.cyclePeak, 95.0);
  EXPECT_LE(star.cyclePeak, 104.0);
  EXPECT_EQ(star.GetRadiation(), 120);
  star.SetRadiationCycle(100.0, 5.0);
  star.UpdateRadiation();  // falling below 0 turns it round
  EXPECT_EQ(std::make_tuple(star.fluctuation, star.rising), std::make_tuple(0.0, 1u));
  star.SetRadiationCycle(0.0, 0.0);  // no peak: no division by 0
  star.UpdateRadiation();
  EXPECT_FALSE(std::isnan(star.fluctuation));
}

TEST_F(SolarTest, CollisionsDuringTheAnimation) {
  solar.CreateAsteroidArray(3);
  randomEvents = true;
  Still(0, 0, 0, 1);
  Still(1, 60, 60, 1);  // 7,200 within 9,000 + 450
  CGAsteroid* far = Still(2, 200, 0, 1);
  solar.MoveAsteroids(1, 1);
  EXPECT_EQ(solar.GetAsteroid(0)->animationStep, 25);
  EXPECT_EQ(solar.GetAsteroid(1)->animationStep, 26);
  EXPECT_EQ(far->animationStep, 0);
  EXPECT_EQ(notices, (std::vector<std::pair<int, int>>{{0, 1}}));
  for (std::uint16_t i = 0; i < 3; ++i) solar.GetAsteroid(i)->animationStep = 25;
  solar.MoveAsteroids(1, 0);
  EXPECT_EQ(solar.GetAsteroid(0)->animationStep, 1);
  EXPECT_EQ(solar.GetAsteroid(1)->animationStep, 1);
  solar.GetAsteroid(0)->detected = 0;  // only detected asteroids collide
  EXPECT_EQ(solar.CheckCollision(solar.GetAsteroid(0), 1), 0);
  EXPECT_EQ(solar.CheckCollision(solar.GetAsteroid(1), 1), 0);
}

TEST_F(SolarTest, DetectionAroundTheLocalChaptersAsteroids) {
  rules.localChapter = 3;
  solar.CreateAsteroidArray(4);
  Still(0, 0, 0)->owner = 3;
  const std::int16_t xs[] = {0, 1000, 1800, 100};
  for (std::uint16_t i = 1; i < 4; ++i) Still(i, xs[i], i == 1 ? 1799 : 0)->detected = 0;
  g_worldLinks.asteroidsHiddenUntilSeen = [] { return true; };
  solar.orbitMotion = 0;
  solar.AdvanceTurn();
  EXPECT_EQ(solar.GetAsteroid(1)->detected, 1u);  // range 1799 x 1799 < 3,240,000
  EXPECT_EQ(solar.GetAsteroid(2)->detected, 0u);  // exactly at the range
  EXPECT_EQ(solar.GetAsteroid(3)->detected, 1u);
  ASSERT_EQ(notes.GetCount(), 2);
  EXPECT_EQ(notes.GetEntry(0)->code, 414);
  EXPECT_EQ(notes.GetEntry(0)->param2, 1u);
  EXPECT_EQ(notes.GetEntry(0)->param3, 0xFFFFFFFFu);
  solar.GetAsteroid(2)->position.x = 10;
  solar.DetectAsteroids(1);
  EXPECT_EQ(solar.GetAsteroid(2)->detected, 1u);
  EXPECT_EQ(notes.GetCount(), 2);  // silently
}

TEST_F(SolarTest, NextAsteroidByName) {
  solar.CreateAsteroidArray(5);
  const char* names[] = {"Beta", "Alpha", "alpha", "Gamma", "Alpha"};
  for (std::uint16_t i = 0; i < 5; ++i) AddAsteroid(i, 0)->SetName(names[i]);
  std::vector<int> up, down;
  for (std::uint16_t i = solar.GetNextAsteroidByName(0xFFFF, 1); i != 0xFFFF; i = solar.GetNextAsteroidByName(i, 1))
    up.push_back(i);
  for (std::uint16_t i = solar.GetNextAsteroidByName(0xFFFF, 0); i != 0xFFFF; i = solar.GetNextAsteroidByName(i, 0))
    down.push_back(i);
  EXPECT_EQ(up, (std::vector<int>{1, 0, 3}));  // lowercase sorts after "Zzzzzzzzzzzz"
  EXPECT_EQ(down, (std::vector<int>{3, 0, 1}));
}

TEST_F(SolarTest, DistancesAndTheirSentinels) {
  solar.CreateAsteroidArray(4);
  AddAsteroid(0, 0, 0, 0);
  AddAsteroid(1, 0, 300, 400);
  AddAsteroid(3, 0, 300, 401);
  EXPECT_EQ(solar.GetAsteroidDistance(0, 1), 500.0);
  EXPECT_EQ(solar.GetAsteroidDistanceSquared(1, 0), 250000);
  EXPECT_EQ(solar.GetAsteroidDistance(1, 1), 0.0);
  EXPECT_EQ(solar.GetAsteroidDistance(0, 4), 0.0);
  EXPECT_EQ(solar.GetAsteroidDistance(0, 2), 4294967295.0);
  EXPECT_EQ(solar.GetAsteroidDistanceSquared(2, 0), -1);
  solar.GetAsteroid(0)->position = {g_numAsteroids, -30000, -30000, -30000};
  solar.GetAsteroid(1)->position = {g_numAsteroids, 30000, 30000, 30000};
  EXPECT_EQ(solar.GetAsteroidDistanceSquared(0, 1), 2147483647);  // not wrapped negative
  std::uint32_t sq = 0;
  const Location probe{g_numAsteroids, 300, 300, 0};
  EXPECT_EQ(solar.FindNearestAsteroid(&probe, 200, &sq), solar.GetAsteroid(3));
  EXPECT_EQ(sq, 101u * 101u);
  EXPECT_EQ(solar.FindNearestAsteroid(&probe, 50, &sq), nullptr);
  EXPECT_EQ(sq, 0xFFFFFFFFu);
  EXPECT_EQ(solar.GetStarOfAsteroid(nullptr), nullptr);
}

TEST_F(SolarTest, AsteroidAndStarCountsBeyondTheTables) {
  solar.CreateAsteroidArray(3);
  EXPECT_EQ(solar.CreateAsteroidArray(151), 0);
  EXPECT_EQ(g_numAsteroids, 3);
  EXPECT_EQ(solar.CreateStarArray(257), 0);
  EXPECT_EQ(solar.SetAsteroid(std::make_unique<CGAsteroid>(3)), 0);
}

TEST_F(SolarTest, VersionOneHasNoOrbitMotion) {
  GenerateSolarSystem(solar, 3, 5);
  solar.orbitMotion = 0;
  std::vector<std::uint8_t> bytes = Saved(solar);
  bytes[0] = 1;
  bytes.resize(bytes.size() - 2);
  CGSolarDB copy;
  ASSERT_EQ(Load(copy, bytes), LoadStatus::kOk);
  EXPECT_EQ(copy.orbitMotion, 2);
  EXPECT_EQ(copy.GetStarCount(), 2);
}

TEST_F(SolarTest, DamagedBlocksLeaveTheSystemAsItWas) {
  GenerateSolarSystem(solar, 4, 9);
  const std::vector<std::uint8_t> bytes = Saved(solar);
  CGSolarDB target;
  std::vector<std::uint8_t> before;
  {
    GenerateSolarSystem(target, 2, 3);
    before = Saved(target);
  }
  for (std::size_t n = 0; n < bytes.size(); ++n)
    ASSERT_EQ(Load(target, std::span(bytes).first(n)), LoadStatus::kTruncated) << n;
  std::vector<std::uint8_t> bad = bytes;
  bad[1] = 0x01;  // 257 stars
  bad[2] = 0x01;
  EXPECT_EQ(Load(target, bad), LoadStatus::kBadCount);
  bad = bytes;
  bad[0] = 3;
  EXPECT_EQ(Load(target, bad), LoadStatus::kBadVersion);
  EXPECT_EQ(Saved(target), before);
  EXPECT_EQ(g_numAsteroids, 2);
}

}  // namespace
}  // namespace world_test
