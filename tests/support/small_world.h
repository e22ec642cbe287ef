#pragma once
// A small game's world for the tests, benches and fuzz targets: a solar
// system of still asteroids (size class 2, zones made) at the places given,
// the five guilds with every chapter at home on asteroid 0, the resource
// pools and the notification list. The world it is given points at them
// while it lives; the asteroid count goes back to 0 when it goes.

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <numbers>

#include "Game/model/GAsteroid.h"
#include "Game/model/GChapter.h"
#include "Game/model/GGuild.h"
#include "Game/model/GNotify.h"
#include "Game/model/GPoolDB.h"
#include "Game/model/GSolarSys.h"
#include "tests/support/test_world.h"

namespace test_support {

class SmallWorld {
 public:
  using Places = std::map<std::uint16_t, Location>;
  using Minerals = std::array<std::uint32_t, 4>;

  SmallWorld(TestWorld& world, std::uint16_t count, const Places& places) : world(world) {
    world.solar = &solar;
    world.guilds = &guilds;
    world.pools = &pools;
    world.notifications = &notices;
    for (std::uint16_t c = 0; c < 40; ++c) {
      if (CGChapter* chapter = guilds.GetChapter(c)) chapter->homeAsteroid = 0;
    }
    MakeSpace(count, places);
  }
  ~SmallWorld() {
    world.solar = nullptr;
    world.guilds = nullptr;
    world.pools = nullptr;
    world.notifications = nullptr;
    solar.CreateAsteroidArray(0);
  }
  SmallWorld(const SmallWorld&) = delete;
  SmallWorld& operator=(const SmallWorld&) = delete;

  // A new solar system of `count` slots with an asteroid at each place.
  void MakeSpace(std::uint16_t count, const Places& places) {
    solar.CreateAsteroidArray(count);
    for (const auto& [index, at] : places) {
      auto asteroid = std::make_unique<CGAsteroid>(index);
      asteroid->sizeClass = 2;
      asteroid->CreateZones();
      if (solar.SetAsteroid(std::move(asteroid)) == 1) Place(index, at);
    }
  }

  // An asteroid of the places given.
  CGAsteroid& Asteroid(std::uint16_t index) { return *solar.GetAsteroid(index); }
  // Moves an asteroid of the places to (x, y) on an orbit of no speed,
  // stopped where it passes through that place (its height there is 0).
  void Place(std::uint16_t index, Location at) {
    CGAsteroid& asteroid = Asteroid(index);
    const Location centre{g_numAsteroids, at.x, 0, 0};
    asteroid.SetOrbitCenters(&centre, &centre);
    asteroid.SetOrbitRadii(0, static_cast<std::uint16_t>(at.y < 0 ? -at.y : at.y));
    asteroid.SetOrbitAngle(at.y < 0 ? 1.5 * std::numbers::pi : 0.5 * std::numbers::pi, 0.0f);
    const Location position{g_numAsteroids, at.x, at.y, 0};
    asteroid.SetPosition(&position);
  }

  void SetPool(std::uint16_t asteroid, const Minerals& minerals) { pools.SetMinerals(asteroid, minerals.data()); }
  Minerals PoolAt(std::uint16_t asteroid) const {
    Minerals m{};
    pools.GetMinerals(asteroid, m.data());
    return m;
  }
  // The chapter's organics store.
  std::uint32_t& Credits(std::uint8_t chapter) { return guilds.GetChapter(chapter)->credits; }

  CGSolarDB solar;
  CGuildList guilds{8};
  CGPoolDB pools;
  CGNotificationList notices;

 private:
  TestWorld& world;
};

}  // namespace test_support
