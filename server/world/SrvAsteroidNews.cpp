#include "server/world/SrvAsteroidNews.h"

#include <algorithm>

#include "Game/base/Packets.h"
#include "Game/model/GAsteroid.h"
#include "Game/net/AsteroidPackets.h"
#include "Game/rules/GRulesPackets.h"
#include "platform/core/bytes.h"
#include "server/battle/SrvBattlePackets.h"

namespace {

constexpr std::size_t kRecordSize = 116;
// The record's bytes that only change when the server changes them: the
// automanage flag, name and size (16 to 57), the orbit kind and power
// coefficients (59 to 63), the z factor (64 to 67), the orbit centres and the
// ring bytes (90 to 115). Owners (10 to 15) travel in 123, the composition
// (58) in 128, the radii (72 to 75) in 125; the angle, angular speed and
// position move every turn on both sides alike.
constexpr std::pair<std::size_t, std::size_t> kFixedParts[] = {{16, 58}, {59, 68}, {90, kRecordSize}};
constexpr std::size_t kRadiiAt = 72, kRadiiEnd = 76, kCompositionAt = 58;

bool Differs(const SrvPacket& a, const SrvPacket& b, std::size_t from, std::size_t to) {
  return !std::equal(a.begin() + static_cast<std::ptrdiff_t>(from), a.begin() + static_cast<std::ptrdiff_t>(to),
                     b.begin() + static_cast<std::ptrdiff_t>(from));
}

}  // namespace

SrvPacket BuildAsteroidRecordPacket(const CGAsteroid& asteroid) {
  SrvPacket p = BuildAsteroidPacket(asteroid);
  p.resize(kRecordSize);
  plat::ByteWriter w(p);
  w.WriteAt<std::uint16_t>(0, PKT_ASTEROID);
  return p;
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
  m_told.assign(count, SrvPacket{});
  for (std::uint16_t i = 0; i < count; ++i)
    if (const CGAsteroid* a = world.solar.GetAsteroid(i)) m_told[i] = BuildAsteroidRecordPacket(*a);
}

void SrvAsteroidNews::Append(const SrvWorld& world, std::array<std::vector<SrvPacket>, kMaxChapters>& queues) {
  const std::uint16_t count = CGSolarDB::GetAsteroidCount();
  m_told.resize(count);
  std::vector<SrvPacket> news;
  for (std::uint16_t i = 0; i < count; ++i) {
    const CGAsteroid* a = world.solar.GetAsteroid(i);
    if (a == nullptr) continue;
    SrvPacket now = BuildAsteroidRecordPacket(*a);
    SrvPacket& before = m_told[i];
    const bool newRecord = before.size() != now.size() ||
                           std::any_of(std::begin(kFixedParts), std::end(kFixedParts),
                                       [&](const auto& part) { return Differs(before, now, part.first, part.second); });
    if (newRecord) {
      news.push_back(now);
      for (std::uint16_t z = 0; z < a->GetZoneCount(); ++z)
        if (const CGZone* zone = a->GetZone(z)) news.push_back(BuildZonePacket(i, *zone));
    } else {
      if (Differs(before, now, kRadiiAt, kRadiiEnd)) news.push_back(BuildOrbitRadiiPacket(*a));
      if (before[kCompositionAt] != now[kCompositionAt]) news.push_back(BuildCompositionPacket(*a));
    }
    before = std::move(now);
  }
  for (std::uint16_t c = 0; c < kMaxChapters; ++c)
    if (world.HasChapter(c)) queues[c].insert(queues[c].end(), news.begin(), news.end());
}
