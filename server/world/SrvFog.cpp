#include "server/world/SrvFog.h"

#include <algorithm>
#include <optional>

#include "Game/model/GAsteroid.h"
#include "Game/model/GUnit.h"
#include "Game/model/GZone.h"
#include "Game/base/Packets.h"
#include "server/orders/SrvPacketRead.h"
#include "server/orders/SrvUnitPackets.h"

namespace {

constexpr std::uint32_t kSightRangeSq = static_cast<std::uint32_t>(kSrvSightRange) * kSrvSightRange;

// The unit a packet is about, for the packets that tell of one unit.
std::optional<std::uint32_t> UnitOf(const SrvPacket& p) {
  if (p.size() < 16) return std::nullopt;
  switch (ReadU16(p, 0)) {
    case PKT_UNIT:
      return ReadU32(p, 12);
    case PKT_UNIT_MOVED:
    case PKT_UNIT_STATUS:
    case PKT_CONSTRUCTEE_BOUND:
    case PKT_UNIT_WITH_TEMPLATE:
    case PKT_ORDER_TARGET_BOUND:
    case PKT_UNIT_POWER:
    case PKT_ATV_CARGO:
    case PKT_UNIT_DELETED:
    case PKT_UNIT_RESULT:
      return ReadU32(p, 8);
    default:
      return std::nullopt;
  }
}

bool Present(const SrvWorld& world, std::uint16_t chapter, const CGAsteroid& a) {
  if (a.owner == chapter || a.controller == chapter) return true;
  for (std::uint16_t z = 0; z < a.GetZoneCount(); ++z)
    if (const CGZone* zone = a.GetZone(z); zone != nullptr && zone->owner == chapter) return true;
  return world.pieces->HasOperationalUnits(a.id, chapter) != 0;
}

// What one chapter sees from: where it is present, and its units in solar space.
struct Sight {
  std::vector<bool> present;
  std::vector<Location> points;

  Sight(const SrvWorld& world, std::uint16_t chapter) {
    const std::uint16_t count = CGSolarDB::GetAsteroidCount();
    present.assign(count, false);
    for (std::uint16_t i = 0; i < count; ++i) {
      const CGAsteroid* a = world.solar.GetAsteroid(i);
      if (a == nullptr || !Present(world, chapter, *a)) continue;
      present[i] = true;
      points.push_back(a->position);
    }
    world.ForEachUnit([&](const CGUnit& u) {
      if (u.GetChapter() == chapter && u.IsOperational() && u.location.asteroid >= count) points.push_back(u.location);
    });
  }
  bool InRange(Location at) const {
    return std::any_of(points.begin(), points.end(), [&](Location p) {
      p.asteroid = at.asteroid;
      return GetLocationRangeSq(&p, &at) < kSightRangeSq;
    });
  }
  bool Sees(const SrvWorld& world, const SrvFogRules& fog, const CGUnit& u) const {
    const std::uint16_t at = u.location.asteroid;
    if (at < present.size()) {
      if (fog.inAsteroidal == 0 || present[at]) return true;
      const CGAsteroid* a = world.solar.GetAsteroid(at);
      return fog.inAsteroidal == 1 && a != nullptr && InRange(a->position);
    }
    return fog.inTransit == 0 || (fog.inTransit == 1 && InRange(u.location));
  }
};

}  // namespace

std::set<std::uint32_t> SrvVisibleUnits(const SrvWorld& world, const SrvFogRules& fog, std::uint16_t chapter) {
  std::set<std::uint32_t> seen;
  const Sight sight(world, chapter);
  world.ForEachUnit([&](const CGUnit& u) {
    if (u.GetChapter() != chapter && sight.Sees(world, fog, u)) seen.insert(u.id);
  });
  return seen;
}

void SrvUnitSight::Reset(const SrvWorld& world, const SrvFogRules& fog) {
  for (std::uint16_t c = 0; c < kMaxChapters; ++c)
    m_known[c] = world.HasChapter(c) && !fog.Off() ? SrvVisibleUnits(world, fog, c) : std::set<std::uint32_t>{};
}

void SrvUnitSight::Filter(const SrvWorld& world, const SrvFogRules& fog, std::uint16_t chapter,
                          std::vector<SrvPacket>& queue) {
  if (fog.Off() || chapter >= kMaxChapters) return;
  std::set<std::uint32_t>& known = m_known[chapter];
  const std::set<std::uint32_t> seen = SrvVisibleUnits(world, fog, chapter);
  std::erase_if(queue, [&](const SrvPacket& p) {
    const std::optional<std::uint32_t> id = UnitOf(p);
    if (!id || GetChapterFromId(*id) == chapter) return false;
    const std::uint16_t type = ReadU16(p, 0);
    if (type == PKT_UNIT_DELETED) return known.erase(*id) == 0;
    if (seen.count(*id) == 0) return true;
    if (type == PKT_UNIT || type == PKT_UNIT_RESULT) {
      known.insert(*id);
      return false;
    }
    return known.count(*id) == 0;
  });
  std::uint16_t at = 0;
  for (std::uint32_t id : seen)
    if (known.insert(id).second)
      if (const CGUnit* u = world.pieces->FindUnit(id, &at)) queue.push_back(BuildUnitResultPacket(*u));
  for (auto it = known.begin(); it != known.end();) {
    if (seen.count(*it) != 0) {
      ++it;
      continue;
    }
    queue.push_back(BuildUnitDeletedPacket(*it));
    it = known.erase(it);
  }
}
