#include "server/world/SrvAsteroidNews.h"

#include <bit>
#include <optional>
#include <tuple>

#include "Game/base/Packets.h"
#include "Game/model/GAsteroid.h"
#include "Game/net/AsteroidPackets.h"
#include "server/battle/SrvBattlePackets.h"

namespace {

// The record of `a` as its client reads it from 120: the name cut to its
// field, the orbit centres' asteroids to a byte.
AsteroidWithZonesPacket RecordAsTold(const CGAsteroid& a) {
  AsteroidWithZonesPacket told;
  AsteroidWithZonesPacket::ParseChanged(AsteroidRecordOf(a).BuildChanged().bytes, &told);
  return told;
}

// What of the record only changes when the server changes it: the
// automanage flag, name and size class, the orbit kind, the power
// coefficients, the z factor (as its bits), the orbit centres and the ring
// rotations. Owners travel in 123, the composition in 128, the radii in 125;
// the angle, angular speed and position move every turn on both sides alike.
auto FixedPart(const AsteroidWithZonesPacket& r) {
  const auto centre = [](const Location& l) { return std::make_tuple(l.asteroid, l.x, l.y, l.z); };
  return std::make_tuple(r.automanage, r.name, r.sizeClass, r.orbitKind, r.spin, r.thermal, r.kinetic,
                         std::bit_cast<std::uint32_t>(r.zFactor), centre(r.centres[0]), centre(r.centres[1]),
                         r.ringRotations);
}

}  // namespace

SrvPacket BuildAsteroidRecordPacket(const CGAsteroid& asteroid) {
  const auto p = AsteroidRecordOf(asteroid).BuildChanged();
  return SrvPacket(p.bytes.begin(), p.bytes.end());
}

SrvPacket BuildOrbitRadiiPacket(const CGAsteroid& asteroid) {
  const auto p = OrbitRadiiPacket{asteroid.id, asteroid.radius1, asteroid.radius2, asteroid.speed}.Build();
  return SrvPacket(p.bytes.begin(), p.bytes.end());
}

SrvPacket BuildCompositionPacket(const CGAsteroid& asteroid) {
  const auto p = CompositionPacket{asteroid.id, asteroid.composition}.Build();
  return SrvPacket(p.bytes.begin(), p.bytes.end());
}

void SrvAsteroidNews::Reset(const SrvWorld& world) {
  const std::uint16_t count = CGSolarDB::GetAsteroidCount();
  m_told.assign(count, std::nullopt);
  for (std::uint16_t i = 0; i < count; ++i)
    if (const CGAsteroid* a = world.solar.GetAsteroid(i)) m_told[i] = RecordAsTold(*a);
}

void SrvAsteroidNews::Append(const SrvWorld& world, std::array<std::vector<SrvPacket>, kMaxChapters>& queues) {
  const std::uint16_t count = CGSolarDB::GetAsteroidCount();
  m_told.resize(count);
  std::vector<SrvPacket> news;
  for (std::uint16_t i = 0; i < count; ++i) {
    const CGAsteroid* a = world.solar.GetAsteroid(i);
    if (a == nullptr) continue;
    AsteroidWithZonesPacket now = RecordAsTold(*a);
    std::optional<AsteroidWithZonesPacket>& before = m_told[i];
    if (!before || FixedPart(*before) != FixedPart(now)) {
      news.push_back(BuildAsteroidRecordPacket(*a));
      for (std::uint16_t z = 0; z < a->GetZoneCount(); ++z)
        if (const CGZone* zone = a->GetZone(z)) news.push_back(BuildZonePacket(i, *zone));
    } else {
      if (before->radius1 != now.radius1 || before->radius2 != now.radius2) news.push_back(BuildOrbitRadiiPacket(*a));
      if (before->composition != now.composition) news.push_back(BuildCompositionPacket(*a));
    }
    before = std::move(now);
  }
  for (std::uint16_t c = 0; c < kMaxChapters; ++c)
    if (world.HasChapter(c)) queues[c].insert(queues[c].end(), news.begin(), news.end());
}
