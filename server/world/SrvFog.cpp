#include "server/world/SrvFog.h"

#include <algorithm>
#include <optional>

#include "Game/base/Packets.h"
#include "Game/model/GAsteroid.h"
#include "Game/model/GUnit.h"
#include "Game/model/GZone.h"
#include "Game/net/AsteroidPackets.h"
#include "server/battle/SrvBattlePackets.h"
#include "server/orders/SrvPacketRead.h"
#include "server/orders/SrvUnitPackets.h"
#include "server/world/SrvDesignPackets.h"

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

bool GuildOwns(const CGAsteroid& a, std::uint16_t chapter) {
  return a.owner < kMaxChapters && (a.owner >> 3) == (chapter >> 3);
}

// Offsets in the asteroid record (120, as the start's 127 without its zone
// tables) of what fog may hide, copied from the record as known.
constexpr std::size_t kOwnerAt = 10, kAutomanageAt = 16;
constexpr std::size_t kCompositionAt = 58, kCoefficientsAt = 60, kCoefficients = 3;

// The record of `a` as a chapter may know it: without its control and zones
// unless `control`, without its make-up unless `scanned`.
SrvPacket AsteroidAsKnown(const CGAsteroid& a, bool control, bool scanned) {
  AsteroidWithZonesPacket p = AsteroidRecordOf(a);
  if (!control) {
    p.owner = p.previousOwner = p.controller = kNoChapter;
    p.automanage = 0;
    p.zones = {};
  }
  if (!scanned) p.composition = p.spin = p.thermal = p.kinetic = 0;
  const auto image = p.Build();
  return SrvPacket(image.bytes.begin(), image.bytes.end());
}

bool IsAsteroidPacket(std::uint16_t type) {
  return type == PKT_ASTEROID_WITH_ZONES || type == PKT_ASTEROID_ZONES || type == PKT_ASTEROID_OWNER ||
         type == PKT_ASTEROID_POWER || type == PKT_ASTEROID || type == PKT_ASTEROID_COMPOSITION;
}

}  // namespace

SrvPacket BuildAsteroidControlPacket(const CGAsteroid& a) {
  const auto p = AsteroidControlPacket{a.id, a.owner, a.controller}.Build();
  return SrvPacket(p.bytes.begin(), p.bytes.end());
}

std::set<std::uint32_t> SrvVisibleUnits(const SrvWorld& world, const SrvFogRules& fog, std::uint16_t chapter) {
  std::set<std::uint32_t> seen;
  const Sight sight(world, chapter);
  world.ForEachUnit([&](const CGUnit& u) {
    if (u.GetChapter() != chapter && sight.Sees(world, fog, u)) seen.insert(u.id);
  });
  return seen;
}

void SrvUnitSight::Reset(const SrvWorld& world, const SrvFogRules& fog) {
  for (std::uint16_t c = 0; c < kMaxChapters; ++c) {
    m_known[c] = world.HasChapter(c) && !fog.Off() ? SrvVisibleUnits(world, fog, c) : std::set<std::uint32_t>{};
    // A loaded game's clients load their own picture of the asteroids; what
    // they may know now counts as told.
    m_asteroids[c].assign(CGSolarDB::GetAsteroidCount(), AsteroidKnown{});
    if (!world.HasChapter(c) || fog.AsteroidsOpen()) continue;
    std::vector<SrvPacket> none;
    FilterAsteroids(world, fog, c, none);
  }
}

void SrvUnitSight::Filter(const SrvWorld& world, const SrvFogRules& fog, std::uint16_t chapter,
                          std::vector<SrvPacket>& queue) {
  if (chapter >= kMaxChapters) return;
  if (!fog.AsteroidsOpen()) FilterAsteroids(world, fog, chapter, queue);
  if (fog.Off()) return;
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
  // A unit coming into sight may fly a loose design its client never held,
  // or let go with the last unit of it that it saw.
  std::set<std::uint32_t> designsTold;
  for (std::uint32_t id : seen) {
    if (!known.insert(id).second) continue;
    const CGUnit* u = world.pieces->FindUnit(id, &at);
    if (u == nullptr) continue;
    if (u->design != nullptr && designsTold.insert(u->design->templateId).second)
      for (SrvPacket& p : BuildLooseDesignNews(world, *u->design)) queue.push_back(std::move(p));
    queue.push_back(BuildUnitResultPacket(*u));
  }
  for (auto it = known.begin(); it != known.end();) {
    if (seen.count(*it) != 0) {
      ++it;
      continue;
    }
    queue.push_back(BuildUnitDeletedPacket(*it));
    it = known.erase(it);
  }
}

void SrvUnitSight::FilterAsteroids(const SrvWorld& world, const SrvFogRules& fog, std::uint16_t chapter,
                                   std::vector<SrvPacket>& queue) {
  const std::uint16_t count = CGSolarDB::GetAsteroidCount();
  std::vector<AsteroidKnown>& known = m_asteroids[chapter];
  known.resize(count);
  const Sight sight(world, chapter);
  std::vector<bool> inView(count, false);
  for (std::uint16_t i = 0; i < count; ++i) {
    const CGAsteroid* a = world.solar.GetAsteroid(i);
    if (a == nullptr) continue;
    const bool guilds = GuildOwns(*a, chapter);
    known[i].seen = known[i].seen || fog.showAsteroids == 0 || guilds || sight.present[i] || sight.InRange(a->position);
    inView[i] = known[i].seen && (fog.controlShown == 0 || sight.present[i] || guilds);
  }
  std::erase_if(queue, [&](SrvPacket& p) {
    if (p.size() < 10 || !IsAsteroidPacket(ReadU16(p, 0))) return false;
    const std::uint16_t i = ReadU16(p, 8);
    const CGAsteroid* a = i < count ? world.solar.GetAsteroid(i) : nullptr;
    if (a == nullptr) return true;
    switch (ReadU16(p, 0)) {
      case PKT_ASTEROID_WITH_ZONES:
        // The whole record, which only a start sequence holds: the client's
        // picture of the asteroid starts from it.
        known[i].told = inView[i];
        p = AsteroidAsKnown(*a, inView[i], fog.asteroidsScanned == 0 || GuildOwns(*a, chapter));
        return false;
      case PKT_ASTEROID: {
        // A changed record (the turn's news) remakes the client's zones: as
        // the start's record, it keeps what the chapter may know.
        // Its motion is as the news took it, before the orbits advanced: only
        // the hidden fields are taken from the record as known.
        known[i].told = inView[i];
        const SrvPacket shown = AsteroidAsKnown(*a, inView[i], fog.asteroidsScanned == 0 || GuildOwns(*a, chapter));
        std::copy(shown.begin() + kOwnerAt, shown.begin() + kAutomanageAt + 1, p.begin() + kOwnerAt);
        std::copy_n(shown.begin() + kCompositionAt, 1, p.begin() + kCompositionAt);
        std::copy_n(shown.begin() + kCoefficientsAt, kCoefficients, p.begin() + kCoefficientsAt);
        return false;
      }
      case PKT_ASTEROID_COMPOSITION:
        return !(fog.asteroidsScanned == 0 || GuildOwns(*a, chapter));
      case PKT_ASTEROID_POWER:
        return false;  // a scan's result, the scanning chapter's own
      default:
        return !(inView[i] && known[i].told);
    }
  });
  for (std::uint16_t i = 0; i < count; ++i) {
    const CGAsteroid* a = world.solar.GetAsteroid(i);
    if (a == nullptr || !inView[i]) {
      known[i].told = false;
      // Taken from the chapter along with its last foothold there: its
      // client would go on counting it as its own (the owned asteroids, the
      // high-score row) beside the notice that it was lost. Who holds it now
      // stays as hidden as any controller out of view.
      if (a != nullptr && known[i].ours) {
        known[i].ours = false;
        const auto hidden = AsteroidControlPacket{i, kNoChapter, kNoChapter}.Build();
        queue.emplace_back(hidden.bytes.begin(), hidden.bytes.end());
      }
      // Its zones there went with it, fought for or bombarded in its sight
      // (the surface's replay is its own): else its client would show its
      // ATVs on them still, and offer them orders.
      for (std::uint16_t z = 0; a != nullptr && known[i].ourZones != 0 && z < kZonesPerAsteroid; ++z) {
        if ((known[i].ourZones >> z & 1u) == 0) continue;
        if (const CGZone* zone = a->GetZone(z)) queue.push_back(BuildZonePacket(i, *zone));
      }
      known[i].ourZones = 0;
      continue;
    }
    known[i].ours = a->owner == chapter || a->controller == chapter;
    known[i].ourZones = 0;
    for (std::uint16_t z = 0; z < a->GetZoneCount() && z < kZonesPerAsteroid; ++z)
      if (const CGZone* zone = a->GetZone(z); zone != nullptr && zone->owner == chapter) known[i].ourZones |= 1u << z;
    if (known[i].told) continue;
    known[i].told = true;
    queue.push_back(BuildAsteroidControlPacket(*a));
    for (std::uint16_t z = 0; z < a->GetZoneCount(); ++z)
      if (const CGZone* zone = a->GetZone(z)) queue.push_back(BuildZonePacket(i, *zone));
  }
}
