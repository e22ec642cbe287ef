#pragma once
// A whole solar system made from a seed: 150 asteroids of every size, orbit
// kind and composition, with owners, zones, events and terrain records, two
// stars, and busy chapters in the guilds. Tests, the benchmarks and the fuzz
// seeds share it.

#include <cstdint>
#include <cstdio>

#include "Game/model/GGuild.h"
#include "Game/model/GSolarSys.h"
#include "platform/core/random.h"

namespace world_test {

inline int Draw(int n) { return plat::rand() % n; }

inline void GenerateSolarSystem(CGSolarDB& solar, std::uint16_t asteroids, unsigned seed) {
  plat::srand(seed);
  solar.CreateStarArray(2);
  solar.CreateStars();
  for (std::uint16_t s = 0; s < 2; ++s) {
    CGStar* star = solar.GetStar(s);
    const Location at{asteroids, static_cast<std::int16_t>(s == 0 ? -2000 : 2000), 0, 0};
    star->SetLocation(&at);
    star->SetRadiationCycle(5000 + Draw(3000), Draw(4000));
    star->baseRadiation = 1000 + Draw(1000);
  }
  solar.CreateAsteroidArray(asteroids);
  solar.orbitDirection = 1;
  for (std::uint16_t i = 0; i < asteroids; ++i) {
    auto a = std::make_unique<CGAsteroid>(i);
    char name[16];
    std::snprintf(name, sizeof name, "Rock %03u", static_cast<unsigned>(Draw(1000)));
    a->SetName(name);
    a->sizeClass = static_cast<std::uint8_t>(i % 5);
    a->SetCompositionType(static_cast<std::uint8_t>(i % 17));
    a->ringRotations[i % 5] = static_cast<std::int8_t>(Draw(16) - 8);
    a->CreateZones();
    const Location c1{static_cast<std::uint16_t>(i % 2), static_cast<std::int16_t>(i % 2 == 0 ? -2000 : 2000), 0, 0};
    const Location c2{static_cast<std::uint16_t>(1 - i % 2), static_cast<std::int16_t>(i % 2 == 0 ? 2000 : -2000), 0,
                      0};
    a->SetOrbitCenters(&c1, &c2);
    a->SetOrbitRadii(static_cast<std::uint16_t>(3000 + Draw(20000)), static_cast<std::uint16_t>(2000 + Draw(15000)));
    const double angle = i % 2 == 0 ? Draw(6283) / 1000.0 : Draw(2000) - 1000.0;
    const float speed = static_cast<float>(Draw(400) - 200) / 4.0f;
    a->SetOrbitShape(static_cast<std::uint8_t>(i % 2), static_cast<float>(Draw(200)) / 10.0f, speed, angle);
    a->SetOrbitAngle(angle, speed);
    const Location at{asteroids, static_cast<std::int16_t>(Draw(40000) - 20000),
                      static_cast<std::int16_t>(Draw(40000) - 20000), static_cast<std::int16_t>(Draw(2000) - 1000)};
    a->SetPosition(&at);
    a->SetPowerCoefficients(static_cast<std::uint8_t>(Draw(10)), static_cast<std::uint8_t>(Draw(100)),
                            static_cast<std::uint8_t>(Draw(10)));
    a->owner = a->controller = static_cast<std::uint16_t>(i % 3 == 0 ? kNoChapter : i % kMaxChapters);
    a->detected = i % 4 != 0 ? 1 : 0;
    for (int z = 0; z < a->GetZoneCount(); ++z) {
      CGZone* zone = a->GetZone(static_cast<std::uint16_t>(z));
      zone->SetAtvLimit(static_cast<std::uint8_t>(Draw(17)));
      zone->SetMiningValue(static_cast<std::uint8_t>(Draw(17)));
      if (Draw(3) == 0) continue;
      zone->SetOwner(static_cast<std::uint8_t>(Draw(kMaxChapters)));
      zone->SetAtvCounts(static_cast<std::uint8_t>(Draw(4)), static_cast<std::uint8_t>(Draw(4)),
                         static_cast<std::uint8_t>(Draw(4)), static_cast<std::uint8_t>(Draw(4)));
      zone->SetFacilities(static_cast<std::uint32_t>(Draw(16)));
      zone->SetFacilityOwner(zone->owner);
    }
    if (i % 7 == 0) a->AddEvent({1, static_cast<std::uint32_t>(i), 20, 0});
    if (i % 11 == 0) a->AddTerrainEvents(1, 2, 2, 3, 4, 3, 5, 6, 7, 2);
    solar.SetAsteroid(std::move(a));
  }
}

inline void GenerateChapters(CGuildList& guilds, unsigned seed) {
  plat::srand(seed);
  for (int c = 0; c < kMaxChapters; ++c) {
    CGChapter* chapter = guilds.GetChapter(static_cast<std::uint32_t>(c));
    if (chapter == nullptr) continue;
    char name[24];
    std::snprintf(name, sizeof name, "Chapter %d", c);
    chapter->SetName(name);
    chapter->credits = static_cast<std::uint32_t>(Draw(100000));
    chapter->traits[c % 20] = static_cast<std::uint8_t>(Draw(100));
    chapter->AddNote("Watch the rim");
    chapter->SetAutoTransfer(static_cast<std::uint8_t>(c), static_cast<std::uint8_t>(c + 1), 2, 100);
    for (std::uint32_t& v : chapter->statistics[c % 50].values) v = static_cast<std::uint32_t>(Draw(1000));
  }
}

}  // namespace world_test
