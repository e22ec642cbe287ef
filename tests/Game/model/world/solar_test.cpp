#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
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
  rules.randomEvents = true;
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
  rules.asteroidsHiddenUntilSeen = true;
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

// Every asteroid looked at: what the index must answer.
std::pair<int, std::uint32_t> NearestBySearch(const CGSolarDB& solar, const Location& at, std::uint32_t max) {
  int best = -1;
  std::int64_t bestSq = 0;
  for (std::uint16_t i = 0; i < g_numAsteroids; ++i) {
    const CGAsteroid* a = solar.GetAsteroid(i);
    if (a == nullptr || std::abs(a->position.x - at.x) > std::int64_t{max} ||
        std::abs(a->position.y - at.y) > std::int64_t{max})
      continue;
    const std::int64_t dx = a->position.x - at.x, dy = a->position.y - at.y, dz = a->position.z - at.z;
    if (const std::int64_t sq = dx * dx + dy * dy + dz * dz; best < 0 || sq < bestSq) {
      best = i;
      bestSq = sq;
    }
  }
  return {best, best < 0 ? 0xFFFFFFFFu : static_cast<std::uint32_t>(std::min<std::int64_t>(bestSq, 0xFFFFFFFE))};
}

// Probes around every asteroid, at the edges of the squares the index sorts
// them into and of the plane, and with reaches from none to the whole plane.
void ExpectNearestAsSearched(const CGSolarDB& solar, int round) {
  std::vector<Location> probes;
  for (std::uint16_t i = 0; i < g_numAsteroids; ++i)
    if (const CGAsteroid* a = solar.GetAsteroid(i))
      for (int k = 0; k < 6; ++k)
        probes.push_back(
            {g_numAsteroids,
             static_cast<std::int16_t>(std::clamp(a->position.x + (k * 173 + round * 61) % 900 - 450, -32768, 32767)),
             static_cast<std::int16_t>(std::clamp(a->position.y + (k * 311 + i * 7) % 900 - 450, -32768, 32767)),
             static_cast<std::int16_t>(a->position.z + k * 40 - 100)});
  for (int c : {-32768, -1025, -1024, -1, 0, 1023, 1024, 32767})
    probes.push_back({g_numAsteroids, static_cast<std::int16_t>(c), static_cast<std::int16_t>(-c - 1), 0});
  int found = 0;
  for (const Location& at : probes)
    for (std::uint32_t max : {0u, 1u, 400u, 1500u, 5000u, 0xFFFFFFFFu}) {
      std::uint32_t sq = 0;
      const CGAsteroid* a = solar.FindNearestAsteroid(&at, max, &sq);
      const auto [index, searchedSq] = NearestBySearch(solar, at, max);
      ASSERT_EQ(a != nullptr ? int{a->id} : -1, index) << at.x << "," << at.y << " within " << max;
      ASSERT_EQ(sq, searchedSq);
      found += index >= 0 && max == 400u ? 1 : 0;
    }
  EXPECT_GT(found, static_cast<int>(probes.size()) / 2);
}

TEST_F(SolarTest, NearestAsteroidAsASearchOfAllFindsItAsTheyMove) {
  GenerateSolarSystem(solar, 150, 5);
  // Neighbours at one place and at one distance: the lowest index wins.
  const Location shared{g_numAsteroids, 1023, -1024, 0};
  for (std::uint16_t i : {40, 12, 90}) solar.GetAsteroid(i)->SetPosition(&shared);
  const Location mirror{g_numAsteroids, 1223, -1024, 0};
  solar.GetAsteroid(7)->SetPosition(&mirror);
  const Location between{g_numAsteroids, 1123, -1024, 0};
  std::uint32_t sq = 0;
  EXPECT_EQ(solar.FindNearestAsteroid(&between, 400, &sq), solar.GetAsteroid(7));
  EXPECT_EQ(sq, 100u * 100u);
  for (int round = 0; round < 4; ++round) {
    ExpectNearestAsSearched(solar, round);
    solar.AdvanceTurn();
  }
  // Asteroids animated forward and back, one slot emptied, one moved by hand.
  solar.MoveAsteroids(1, 1);
  ExpectNearestAsSearched(solar, 4);
  solar.ResetAsteroidPositions();
  auto replaced = std::make_unique<CGAsteroid>(12);
  const Location far{g_numAsteroids, 30000, 30000, 0};
  replaced->SetPosition(&far);
  solar.SetAsteroid(std::move(replaced));
  solar.GetAsteroid(3)->SetPosition(&between);
  ExpectNearestAsSearched(solar, 5);
  EXPECT_EQ(solar.FindNearestAsteroid(&between, 400, &sq), solar.GetAsteroid(3));
  EXPECT_EQ(sq, 0u);
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
