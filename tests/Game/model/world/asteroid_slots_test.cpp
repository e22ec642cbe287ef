// Asteroids live in blocks of slots that destroyed asteroids hand back. Made
// and destroyed in a shuffled order across several blocks, every asteroid
// alive must have a place of its own and keep what it holds.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "tests/Game/model/world/world_fixture.h"

namespace world_test {
namespace {

TEST_F(WorldTest, AsteroidsMadeAndDestroyedInAnyOrderKeepTheirOwnPlaces) {
  std::mt19937 random(150);
  std::vector<std::unique_ptr<CGAsteroid>> alive;
  const auto name = [](std::uint16_t id) { return "Rock " + std::to_string(id) + " of the slot test"; };
  std::uint16_t next = 0;
  for (int round = 0; round < 6; ++round) {
    const int make = round % 2 == 0 ? 300 : 100;
    for (int i = 0; i < make; ++i) {
      auto a = std::make_unique<CGAsteroid>(next);
      a->SetName(name(next).c_str());
      a->sizeClass = 2;
      a->CreateZones();
      a->GetZone(1)->SetAtvCounts(static_cast<std::uint8_t>(next), 0, 0, 0);
      alive.push_back(std::move(a));
      ++next;
    }
    std::shuffle(alive.begin(), alive.end(), random);
    alive.resize(alive.size() * 2 / 3);
    std::set<const CGAsteroid*> places;
    for (const auto& a : alive) {
      EXPECT_TRUE(places.insert(a.get()).second) << "two live asteroids share a place: " << a->id;
      EXPECT_STREQ(a->GetName(0), name(a->id).c_str());
      EXPECT_EQ(a->GetZone(1)->GetAtvCount(0), static_cast<std::uint8_t>(a->id));
    }
  }
}

}  // namespace
}  // namespace world_test
