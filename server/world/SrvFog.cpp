#include "server/world/SrvFog.h"

#include <algorithm>
#include <optional>

#include "Game/base/Packets.h"
#include "Game/model/GAsteroid.h"
#include "Game/model/GUnit.h"
#include "Game/model/GZone.h"
#include "Game/net/AsteroidPackets.h"
#include "Game/net/UnitPackets.h"
#include "server/battle/SrvBattlePackets.h"
#include "server/orders/SrvPacketRead.h"
#include "server/orders/SrvUnitPackets.h"
#include "server/world/SrvDesignPackets.h"

namespace {

constexpr std::uint32_t kSightRangeSq = static_cast<std::uint32_t>(kSrvSightRange) * kSrvSightRange;

template <class Packet>
std::optional<std::uint32_t> UnitIdOf(const SrvPacket& p) {
  Packet packet;
  if (!Packet::Parse(p, &packet)) return std::nullopt;
  return packet.unitId;
}

// The unit a packet is about, for the packets that tell of one unit in
// sight. A unit gone (1308) is not among them: every chapter hears of every
// deletion, seen or not, as its client drops an id it never held, and a unit
// it did see leaves the sight kept here when it is next missed (Filter). Sent
// so since the first games, it keeps their records as they were.
std::optional<std::uint32_t> UnitOf(const SrvPacket& p) {
  switch (SrvPacketType(p)) {
    case PKT_UNIT:
      return UnitIdOf<UnitEntersPacket>(p);
    case PKT_UNIT_MOVED:
      return UnitIdOf<UnitMovedPacket>(p);
    case PKT_UNIT_STATUS:
      return UnitIdOf<UnitStatusPacket>(p);
    case PKT_ORDER_TARGET_BOUND:
      return UnitIdOf<OrderStagePacket>(p);
    case PKT_UNIT_POWER:
      return UnitIdOf<UnitPowerPacket>(p);
    case PKT_ATV_CARGO:
      return UnitIdOf<AtvCargoPacket>(p);
    case PKT_UNIT_RESULT:
      return UnitIdOf<UnitResultPacket>(p);
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

// The record of `a` as a chapter may know it: without its control and zones
// unless `control`, without its make-up unless `scanned`.
AsteroidWithZonesPacket AsteroidAsKnown(const CGAsteroid& a, bool control, bool scanned) {
  AsteroidWithZonesPacket p = AsteroidRecordOf(a);
  if (!control) {
    p.owner = p.previousOwner = p.controller = kNoChapter;
    p.automanage = 0;
    p.zones = {};
  }
  if (!scanned) p.composition = p.spin = p.thermal = p.kinetic = 0;
  return p;
}

template <std::size_t N>
SrvPacket Bytes(const PacketImage<N>& image) {
  return SrvPacket(image.bytes.begin(), image.bytes.end());
}

template <class Packet, auto Asteroid>
std::optional<std::uint16_t> AsteroidIdOf(const SrvPacket& p) {
  Packet packet;
  if (!Packet::Parse(p, &packet)) return std::nullopt;
  return packet.*Asteroid;
}

// The asteroid a packet tells of, for the packets the fog may hold back.
std::optional<std::uint16_t> AsteroidOf(const SrvPacket& p, std::uint16_t type) {
  switch (type) {
    case PKT_ASTEROID_WITH_ZONES:
      return AsteroidIdOf<AsteroidWithZonesPacket, &AsteroidWithZonesPacket::id>(p);
    case PKT_ASTEROID: {
      AsteroidWithZonesPacket record;
      if (!AsteroidWithZonesPacket::ParseChanged(p, &record)) return std::nullopt;
      return record.id;
    }
    case PKT_ASTEROID_ZONES:
      return AsteroidIdOf<ZonePacket, &ZonePacket::asteroid>(p);
    case PKT_ASTEROID_OWNER:
      return AsteroidIdOf<AsteroidControlPacket, &AsteroidControlPacket::asteroid>(p);
    case PKT_ASTEROID_POWER:
      return AsteroidIdOf<AsteroidMakeUpPacket, &AsteroidMakeUpPacket::asteroid>(p);
    case PKT_ASTEROID_COMPOSITION:
      return AsteroidIdOf<CompositionPacket, &CompositionPacket::asteroid>(p);
    default:
      return std::nullopt;
  }
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
    const std::uint16_t type = SrvPacketType(p);
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
    const std::uint16_t type = SrvPacketType(p);
    const std::optional<std::uint16_t> asteroid = AsteroidOf(p, type);
    if (!asteroid) return false;
    const std::uint16_t i = *asteroid;
    const CGAsteroid* a = i < count ? world.solar.GetAsteroid(i) : nullptr;
    if (a == nullptr) return true;
    switch (type) {
      case PKT_ASTEROID_WITH_ZONES:
        // The whole record, which only a start sequence holds: the client's
        // picture of the asteroid starts from it.
        known[i].told = inView[i];
        p = Bytes(AsteroidAsKnown(*a, inView[i], fog.asteroidsScanned == 0 || GuildOwns(*a, chapter)).Build());
        return false;
      case PKT_ASTEROID: {
        // A changed record (the turn's news) remakes the client's zones: as
        // the start's record, it keeps what the chapter may know.
        // Its motion is as the news took it, before the orbits advanced: only
        // the hidden fields are taken from the record as known.
        AsteroidWithZonesPacket record;
        if (!AsteroidWithZonesPacket::ParseChanged(p, &record)) return true;
        known[i].told = inView[i];
        const AsteroidWithZonesPacket shown =
            AsteroidAsKnown(*a, inView[i], fog.asteroidsScanned == 0 || GuildOwns(*a, chapter));
        record.owner = shown.owner;
        record.previousOwner = shown.previousOwner;
        record.controller = shown.controller;
        record.automanage = shown.automanage;
        record.composition = shown.composition;
        record.spin = shown.spin;
        record.thermal = shown.thermal;
        record.kinetic = shown.kinetic;
        p = Bytes(record.BuildChanged());
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
