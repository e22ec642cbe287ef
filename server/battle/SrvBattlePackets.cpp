#include "server/battle/SrvBattlePackets.h"

#include <algorithm>

#include "Game/base/Packets.h"
#include "Game/model/GTerrainRec.h"
#include "Game/model/GUnit.h"
#include "Game/model/GZone.h"
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
  PacketImage<kUnitStatusRecordSize> p(PKT_UNIT_STATUS);
  p.Put<std::uint32_t>(8, unit.id);
  p.Put<std::uint16_t>(12, unit.location.asteroid);
  p.Put<std::uint8_t>(14, unit.hullDamage);
  p.Put<std::uint8_t>(15, unit.lifeSupportDamage);
  p.Put<std::int32_t>(16, unit.power);
  for (int s = 0; s < kUnitSlots; ++s) {
    p.Put<std::uint8_t>(20 + 3 * s, unit.modules[s].damage);
    p.Put<std::uint8_t>(21 + 3 * s, unit.modules[s].flags);
    p.Put<std::uint8_t>(22 + 3 * s, unit.modules[s].ammo);
  }
  p.Put<std::uint16_t>(96, unit.receivedPoints);
  p.Put<std::uint32_t>(100, unit.unoperational);
  p.Put<std::uint32_t>(104, unit.statusWord);
  return Bytes(p);
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
  PacketImage<48> p(PKT_ASTEROID_ZONES);
  p.Put<std::uint16_t>(8, asteroid);
  p.Put<std::uint16_t>(10, zone.index);
  p.Put<std::uint8_t>(12, zone.atvLimit);
  p.Put<std::uint8_t>(13, zone.miningValue);
  p.Put<std::uint8_t>(14, zone.owner);
  for (int k = 0; k < kAtvKinds; ++k) p.Put<std::uint8_t>(15 + k, zone.atvCounts[k]);
  p.Put<std::uint8_t>(19, zone.status);
  p.Put<std::uint8_t>(20, zone.facilityOwner);
  p.Put<std::uint32_t>(24, zone.facilities);
  for (int k = 0; k < kAtvKinds; ++k) p.Put<std::uint32_t>(28 + 4 * k, zone.entrenched[k]);
  p.Put<std::uint32_t>(44, zone.zoneWord);
  return Bytes(p);
}

SrvPacket BuildTerrainClearedPacket(std::uint16_t asteroid) {
  PacketImage<12> p(PKT_TERRAIN_CLEARED);
  p.Put<std::uint16_t>(8, asteroid);
  return Bytes(p);
}

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
