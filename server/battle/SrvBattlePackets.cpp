#include "server/battle/SrvBattlePackets.h"

#include <algorithm>

#include "Game/base/Packets.h"
#include "Game/model/GTerrainRec.h"
#include "Game/model/GUnit.h"
#include "Game/model/GZone.h"
#include "Game/net/AsteroidPackets.h"
#include "Game/net/TerrainPackets.h"
#include "Game/net/UnitPackets.h"
#include "Game/rules/GRulesPackets.h"

namespace {

template <std::size_t N>
SrvPacket Bytes(const PacketImage<N>& p) {
  return SrvPacket(p.bytes.begin(), p.bytes.end());
}

SrvPacket Headed(std::uint16_t type, std::size_t size) {
  SrvPacket p(size, 0);
  WritePacketHeader(p, PacketHeader{type, 0, 0});
  return p;
}

}  // namespace

SrvPacket BuildUnitStatusPacket(const CGUnit& unit) {
  UnitStatusPacket p;
  p.unitId = unit.id;
  p.asteroid = unit.location.asteroid;
  p.hullDamage = unit.hullDamage;
  p.lifeSupportDamage = unit.lifeSupportDamage;
  p.power = unit.power;
  p.modules = unit.modules;
  p.receivedPoints = unit.receivedPoints;
  p.destroyed = unit.unoperational;
  p.status = unit.statusWord;
  return Bytes(p.Build());
}

std::vector<SrvPacket> BuildReplayPackets(std::uint16_t replay, std::span<const std::uint8_t> data) {
  std::vector<SrvPacket> out;
  const std::size_t total = std::min(data.size(), kMaxReplayBytes);
  for (std::size_t at = 0, part = 1; at < total; at += kReplayPartBytes, ++part) {
    const std::size_t n = std::min(kReplayPartBytes, total - at);
    SrvPacket p = Headed(PKT_REPLAY_DATA, 14 + n);
    plat::ByteWriter w(p);
    w.WriteAt(8, static_cast<std::uint8_t>(part));
    w.WriteAt(10, replay);
    w.WriteAt(12, static_cast<std::uint16_t>(n));
    std::copy_n(data.begin() + static_cast<std::ptrdiff_t>(at), n, p.begin() + 14);
    out.push_back(std::move(p));
  }
  return out;
}

SrvPacket BuildZonePacket(std::uint16_t asteroid, const CGZone& zone) {
  ZonePacket p;
  p.asteroid = asteroid;
  p.zone = zone.index;
  p.atvLimit = zone.atvLimit;
  p.miningValue = zone.miningValue;
  p.owner = zone.owner;
  std::copy_n(zone.atvCounts, kAtvKinds, p.atvCounts.begin());
  p.status = zone.status;
  p.facilityOwner = zone.facilityOwner;
  p.facilities = zone.facilities;
  std::copy_n(zone.entrenched, kAtvKinds, p.entrenched.begin());
  p.zoneWord = zone.zoneWord;
  return Bytes(p.Build());
}

SrvPacket BuildTerrainClearedPacket(std::uint16_t asteroid) { return Bytes(TerrainClearedPacket{asteroid}.Build()); }

std::vector<SrvPacket> BuildTerrainEventPackets(std::uint16_t asteroid, std::span<const TerrainEvent> events) {
  std::vector<SrvPacket> out;
  for (std::size_t at = 0; at < events.size(); at += kTerrainEventsPerPacket) {
    const std::size_t n = std::min(kTerrainEventsPerPacket, events.size() - at);
    SrvPacket p = Headed(PKT_TERRAIN_EVENTS, 12 + kTerrainEventRecordSize * n);
    plat::ByteWriter w(p);
    w.WriteAt(8, static_cast<std::int16_t>(n));
    w.WriteAt(10, asteroid);
    for (std::size_t i = 0; i < n; ++i) {
      const TerrainEvent& e = events[at + i];
      const std::size_t r = 12 + kTerrainEventRecordSize * i;
      const std::uint32_t fields[8] = {e.a, e.b, e.sourceType, e.d, e.sourceValue, e.targetType, e.g, e.targetValue};
      for (int f = 0; f < 8; ++f) w.WriteAt(r + 4 * static_cast<std::size_t>(f), fields[f]);
      w.WriteAt(r + 32, e.w);
    }
    out.push_back(std::move(p));
  }
  return out;
}
