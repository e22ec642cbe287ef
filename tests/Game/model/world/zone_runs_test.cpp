// An asteroid's zones take one run from blocks of runs of their length, and
// the model's list elements come from blocks of their own. Asteroids of every
// size made and destroyed in a shuffled order, with events and ATV moves,
// must each keep zones and elements of their own.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <set>
#include <vector>

#include "tests/Game/model/world/world_fixture.h"

namespace world_test {
namespace {

TEST_F(WorldTest, ZoneRunsAndListElementsOfManyAsteroidsStayTheirOwn) {
  rules.localChapter = 3;
  std::mt19937 random(31);
  std::vector<std::unique_ptr<CGAsteroid>> alive;
  std::uint16_t next = 0;
  const auto mark = [](std::uint16_t id, int zone) { return static_cast<std::uint8_t>(id * 7 + zone); };
  for (int round = 0; round < 5; ++round) {
    for (int i = 0; i < 120; ++i, ++next) {
      auto a = std::make_unique<CGAsteroid>(next);
      a->sizeClass = static_cast<std::uint8_t>(next % (kMaxSizeClass + 1));
      a->CreateZones();
      for (int z = 0; z < a->GetZoneCount(); ++z) {
        a->GetZone(static_cast<std::uint16_t>(z))->SetAtvCounts(mark(next, z), 0, 0, 0);
        a->GetZone(static_cast<std::uint16_t>(z))->AddAtvMoves(1, 1, mark(next, z));
      }
      a->AddEvent({static_cast<std::uint8_t>(next), next * 3u, 9, 0});
      alive.push_back(std::move(a));
    }
    std::shuffle(alive.begin(), alive.end(), random);
    alive.resize(alive.size() / 2);
    std::set<const void*> places;
    for (const auto& a : alive) {
      ASSERT_EQ(a->GetZoneCount(), ZoneCountOfSize(a->sizeClass));
      EXPECT_EQ(a->GetZone(static_cast<std::uint16_t>(a->GetZoneCount())), nullptr);
      for (int z = 0; z < a->GetZoneCount(); ++z) {
        const CGZone* zone = a->GetZone(static_cast<std::uint16_t>(z));
        ASSERT_TRUE(places.insert(zone).second) << a->id << " " << z;
        ASSERT_TRUE(places.insert(zone->atvMoves.GetAt(0)).second) << a->id << " " << z;
        EXPECT_EQ(std::make_tuple(zone->index, zone->asteroidId, zone->GetAtvCount(0)),
                  std::make_tuple(static_cast<std::uint8_t>(z), a->id, mark(a->id, z)));
        EXPECT_EQ(zone->atvMoves.GetAt(0)->sourceZone, mark(a->id, z));
      }
      ASSERT_EQ(a->events.count, 1);
      ASSERT_TRUE(places.insert(a->events.GetAt(0)).second);
      EXPECT_EQ(a->events.GetAt(0)->value, a->id * 3u);
    }
  }
}

}  // namespace
}  // namespace world_test
