// The starting-values screen's choices reach the server's new world: the
// starting resources and ground forces at their scale, and round home orbits.
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "Game/model/GAsteroid.h"
#include "Game/model/GChapter.h"
#include "Game/model/GZone.h"
#include "server/world/SrvSetup.h"
#include "server/world/SrvWorld.h"

namespace {

constexpr std::uint16_t kAsteroids = 30;

struct StartedWorld {
  SrvSetup setup;
  SrvWorld world;

  // Two chapters a guild; the settings' starting values as given.
  StartedWorld(std::uint16_t randomOrbits, std::uint16_t resources, std::uint16_t forces, bool chaotic = false) {
    setup.config.SetU16(14, 2);
    setup.config.SetU16(16, kAsteroids);
    setup.config.SetU16(34, chaotic ? 1 : 0);
    setup.settings.SetU16(24, randomOrbits);
    setup.settings.SetU16(26, resources);
    setup.settings.SetU16(28, forces);
    world.Generate(setup, 777, nullptr);
  }
  const CGAsteroid& Home(std::uint16_t c) { return *world.solar.GetAsteroid(world.Chapter(c)->homeAsteroid); }
};

// The chapter's ATVs of each kind over all the zones of its home.
std::array<int, 4> HomeAtvs(const CGAsteroid& home, std::uint16_t chapter) {
  std::array<int, 4> counts{};
  for (std::uint16_t z = 0; z < home.GetZoneCount(); ++z)
    if (const CGZone* zone = home.GetZone(z); zone->owner == chapter)
      for (std::size_t t = 0; t < 4; ++t) counts[t] += zone->atvCounts[t];
  return counts;
}

TEST(SrvStartingValues, ResourcesAndGroundForcesFollowTheirScaleHighAverageLow) {
  struct Expected {
    std::uint16_t scale;
    std::uint32_t minerals, credits;
    std::array<std::uint8_t, 4> atvs;
  };
  for (const Expected& e : {Expected{0, 600, 7500, {6, 3, 3, 3}}, Expected{1, 400, 5000, {4, 2, 2, 2}},
                            Expected{2, 200, 2500, {2, 1, 1, 1}}}) {
    SCOPED_TRACE(e.scale);
    StartedWorld w(1, e.scale, e.scale);
    for (std::uint16_t c : {0, 9}) {
      const std::uint16_t home = w.world.Chapter(c)->homeAsteroid;
      for (std::uint32_t m = 0; m < 4; ++m) EXPECT_EQ(w.world.poolDB.GetMineral(home, m), e.minerals);
      EXPECT_EQ(w.world.Chapter(c)->credits, e.credits);
      const std::array<int, 4> counts = HomeAtvs(w.Home(c), c);
      for (std::size_t t = 0; t < 4; ++t) EXPECT_EQ(counts[t], e.atvs[t]) << "ATV kind " << t;
    }
  }
  // The two scales are the player's apart.
  StartedWorld mixed(1, 2, 0);
  EXPECT_EQ(mixed.world.Chapter(0)->credits, 2500u);
  EXPECT_EQ(HomeAtvs(mixed.Home(0), 0)[ATV_COMBAT], 6);
}

// The centre shows seed-bank ATVs only: the other kinds stand in the two
// ring-0 zones, within each zone's limit, and the storage facility in the
// first of them, whose mining cell shows it; the pool counts it.
TEST(SrvStartingValues, TheCentreHoldsTheSeedBanksAndTheRingAroundItTheRest) {
  for (std::uint16_t scale : {0, 1, 2}) {
    SCOPED_TRACE(scale);
    StartedWorld w(1, 1, scale);
    for (std::uint16_t c : {0, 1, 8, 33}) {
      const CGAsteroid& home = w.Home(c);
      const CGZone& centre = *home.GetZone(0);
      EXPECT_EQ(centre.owner, c);
      EXPECT_GT(centre.atvCounts[ATV_SEED_BANK], 0);
      EXPECT_EQ(centre.atvCounts[ATV_COMBAT] + centre.atvCounts[ATV_MINING] + centre.atvCounts[ATV_POWER], 0);
      EXPECT_EQ(centre.facilities, 0u);
      for (std::uint16_t z : {1, 2}) {
        const CGZone& ring = *home.GetZone(z);
        EXPECT_EQ(ring.owner, c) << z;
        const int total = ring.atvCounts[0] + ring.atvCounts[1] + ring.atvCounts[2] + ring.atvCounts[3];
        EXPECT_LE(total, ring.atvLimit) << z;
        EXPECT_EQ(ring.atvCounts[ATV_SEED_BANK], 0) << z;
        EXPECT_GT(ring.atvCounts[ATV_COMBAT], 0) << z;
      }
      // No miner's picture hides the storage facility's in zone 1's mining cell.
      EXPECT_EQ(home.GetZone(1)->atvCounts[ATV_MINING], 0);
      EXPECT_GT(home.GetZone(1)->atvCounts[ATV_POWER], 0);
      for (std::uint16_t z = 3; z < home.GetZoneCount(); ++z) EXPECT_EQ(home.GetZone(z)->owner, kZoneNobody) << z;
      EXPECT_EQ(home.GetZone(1)->facilities, static_cast<std::uint32_t>(FACILITY_STORAGE));
      EXPECT_EQ(home.GetZone(1)->facilityOwner, c);
      EXPECT_EQ(w.world.poolDB.GetStorageFacilities(home.id), 1);
    }
  }
}

struct Orbit {
  std::uint16_t r1, r2;
  std::uint8_t kind, composition;
  double angle;
};

// Every asteroid's orbit and composition in a world of the given orbit choice
// (one world at a time: a world installs the process's model links).
std::vector<Orbit> Orbits(std::uint16_t randomOrbits, bool chaotic, std::vector<bool>* home = nullptr) {
  StartedWorld w(randomOrbits, 1, 1, chaotic);
  std::vector<Orbit> orbits;
  for (std::uint16_t i = 0; i < kAsteroids; ++i) {
    const CGAsteroid& a = *w.world.solar.GetAsteroid(i);
    orbits.push_back({a.radius1, a.radius2, a.orbitKind, a.GetCompositionType(), a.angle});
  }
  if (home != nullptr) {
    home->assign(kAsteroids, false);
    for (std::uint16_t c = 0; c < kMaxChapters; ++c)
      if (const CGChapter* chapter = w.world.Chapter(c)) (*home)[chapter->homeAsteroid] = true;
  }
  return orbits;
}

TEST(SrvStartingValues, HomesWithoutEllipticOrbitsAreRoundAndTheRestOfTheSystemIsUnchanged) {
  for (const bool chaotic : {false, true}) {
    SCOPED_TRACE(chaotic);
    std::vector<bool> home;
    const std::vector<Orbit> any = Orbits(1, chaotic), round = Orbits(0, chaotic, &home);
    int elliptic = 0;
    for (std::uint16_t i = 0; i < kAsteroids; ++i) {
      const Orbit &a = any[i], &b = round[i];
      if (home[i]) {
        EXPECT_EQ(b.r1, b.r2) << "home " << i;
        EXPECT_EQ(b.kind, ORBIT_ELLIPTIC) << "home " << i;
        EXPECT_EQ(b.r1, a.r1) << "home " << i;
        elliptic += a.r1 != a.r2 || a.kind != ORBIT_ELLIPTIC ? 1 : 0;
      } else {
        EXPECT_EQ(b.r1, a.r1) << i;
        EXPECT_EQ(b.r2, a.r2) << i;
        EXPECT_EQ(b.kind, a.kind) << i;
        EXPECT_EQ(b.angle, a.angle) << i;
        EXPECT_EQ(b.composition, a.composition) << i;
      }
    }
    EXPECT_GT(elliptic, 0) << "some home would have been elliptic";
  }
}

}  // namespace
