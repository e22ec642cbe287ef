#include "server/battle/SrvBattlePackets.h"

#include <algorithm>

#include "Game/base/Packets.h"
#include "Game/model/GTerrainRec.h"
#include "Game/model/GUnit.h"
#include "Game/model/GZone.h"
#include "Game/net/AsteroidPackets.h"
#include "Game/net/BattleNewsPackets.h"
#include "Game/net/TerrainPackets.h"
#include "Game/net/UnitPackets.h"
#include "Game/rules/GRulesPackets.h"

namespace {

template <std::size_t N>
SrvPacket Bytes(const PacketImage<N>& p) {
  return SrvPacket(p.bytes.begin(), p.bytes.end());
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
    const auto piece = data.subspan(at, std::min(kReplayPartBytes, total - at));
    out.push_back(ReplayPartPacket{static_cast<std::uint8_t>(part), replay, {piece.begin(), piece.end()}}.Build());
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
    TerrainEventsPacket p;
    p.asteroid = asteroid;
    for (const TerrainEvent& e : events.subspan(at, std::min(kTerrainEventsPerPacket, events.size() - at)))
      p.events.push_back({{e.a, e.b, e.sourceType, e.d, e.sourceValue, e.targetType, e.g, e.targetValue}, e.w});
    out.push_back(p.Build());
  }
  return out;
}
