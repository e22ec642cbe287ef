#include <gtest/gtest.h>

#include <cstdint>

#include "Game/model/GameWorld.h"
#include "tests/support/small_world.h"
#include "tests/support/test_world.h"

namespace {

// With no game the world has nothing to give, even while the asteroid count
// of a game that ended is still set.
TEST(GameWorld, WithNoGameThereIsNothingToFind) {
  const std::uint16_t saved = g_numAsteroids;
  g_numAsteroids = 5;
  GameWorld& none = World();
  EXPECT_EQ(none.AsteroidCount(), 0);
  EXPECT_EQ(none.Asteroid(0), nullptr);
  Location at{5, 0, 0, 0};
  EXPECT_FALSE(none.AsteroidPosition(0, &at));
  std::uint32_t d = 0;
  EXPECT_EQ(none.NearestAsteroid(&at, 0xFFFF, &d), -1);
  EXPECT_EQ(d, 0xFFFFFFFFu);
  EXPECT_TRUE(none.InOneCamp(0, 1));
  EXPECT_EQ(none.ShipDisplaySetting(), 0);
  EXPECT_EQ(none.SelectionCount(), 0);
  std::uint16_t location = 0;
  std::uint32_t unit = 0;
  EXPECT_FALSE(none.SelectedAt(0, &location, &unit));
  none.SelectedUnitMoved(1, 2);
  g_numAsteroids = saved;
}

// The solar system's index of places and a look at every asteroid agree on
// the nearest one and its distance, ties and misses included; places are
// given with the asteroid count as first field.
TEST(GameWorld, TheIndexAndTheFullSearchFindTheSameAsteroid) {
  test_support::TestWorld world;
  test_support::SmallWorld::Places places;
  for (std::uint16_t a = 0; a < 40; ++a) {
    if (a % 7 == 3) continue;  // empty slots
    places[a] = {0, static_cast<std::int16_t>((a % 8) * 1500 - 6000), static_cast<std::int16_t>((a / 8) * 1500 - 3000),
                 0};
  }
  test_support::SmallWorld space(world, 40, places);
  EXPECT_EQ(world.AsteroidCount(), 40);
  Location p;
  ASSERT_TRUE(world.AsteroidPosition(9, &p));
  EXPECT_EQ(p.asteroid, 40);
  EXPECT_EQ(p.x, -4500);
  EXPECT_EQ(p.y, -1500);
  EXPECT_EQ(p.z, 0);
  EXPECT_FALSE(world.AsteroidPosition(3, &p));

  int found = 0;
  for (int x = -7000; x <= 7000; x += 350) {
    for (int y = -4000; y <= 4000; y += 250) {
      const Location at{40, static_cast<std::int16_t>(x), static_cast<std::int16_t>(y), 100};
      for (std::uint32_t axis : {400u, 800u, 5000u}) {
        std::uint32_t indexed = 0, searched = 0;
        world.searchEveryAsteroid = false;
        const int a = world.NearestAsteroid(&at, axis, &indexed);
        world.searchEveryAsteroid = true;
        const int b = world.NearestAsteroid(&at, axis, &searched);
        ASSERT_EQ(a, b) << x << "," << y << " within " << axis;
        ASSERT_EQ(indexed, searched);
        if (a >= 0) ++found;
      }
    }
  }
  EXPECT_GT(found, 100);
}

// Chapters share a camp unless either is a renegade; the camps compare as
// bytes, and a chapter that is not in the game is in camp 0.
TEST(GameWorld, ChaptersShareACampUnlessEitherIsARenegade) {
  test_support::TestWorld world;
  test_support::SmallWorld space(world, 1, {});
  CGChapter& first = *space.guilds.GetChapter(0);
  CGChapter& second = *space.guilds.GetChapter(1);
  EXPECT_TRUE(world.InOneCamp(0, 1));
  second.renegade = 1;
  EXPECT_FALSE(world.InOneCamp(0, 1));
  EXPECT_FALSE(world.InOneCamp(1, 0));
  EXPECT_FALSE(world.InOneCamp(1, 1));
  second.renegade = 0;
  second.camp = 2;
  EXPECT_FALSE(world.InOneCamp(0, 1));
  first.camp = 0x102;
  EXPECT_TRUE(world.InOneCamp(0, 1));
  first.camp = 0;
  EXPECT_TRUE(world.InOneCamp(0, 200));
  EXPECT_FALSE(world.InOneCamp(1, 200));
}

}  // namespace
