#include "Game/net/TerrainPackets.h"

#include "Game/base/Packets.h"
#include "Game/net/PacketFields.h"

namespace {

constexpr auto kZoneEntrenchFields = [](auto& p, auto& io) {
  io.Field(8, p.asteroid);
  io.Field(10, p.zone);
  io.Field(12, p.chapter);
  io.Field(14, p.guild);
  io.Field(16, p.kind);
};

constexpr auto kZoneFacilityFields = [](auto& p, auto& io) {
  io.Field(8, p.asteroid);
  io.Field(10, p.chapter);
  io.Field(12, p.zone);
  io.Field(14, p.cellKind);
  io.Field(16, p.facility);
};

constexpr auto kZoneConstructAtvsFields = [](auto& p, auto& io) {
  io.Field(8, p.asteroid);
  io.Field(10, p.zone);
  io.Field(12, p.chapter);
  io.Each(14, 1, p.counts);
};

constexpr auto kTerrainClearedFields = [](auto& p, auto& io) { io.Field(8, p.asteroid); };

}  // namespace

PacketImage<kZoneImprovementSize> ZoneImprovementPacket::Build() const {
  PacketImage<kZoneImprovementSize> p(stacking ? PKT_TERRAIN_VIEW_606 : PKT_TERRAIN_VIEW_605);
  p.Put(8, guild);
  p.Put(10, chapter);
  p.Put(12, asteroid);
  p.Put(14, zone);
  return p;
}

bool ZoneImprovementPacket::Parse(std::span<const std::uint8_t> image, ZoneImprovementPacket* out) {
  plat::ByteReader r(image);
  if (!r.Has(0, kZoneImprovementSize)) return false;
  std::uint16_t type = 0;
  r.ReadAt(0, type);
  out->stacking = type == PKT_TERRAIN_VIEW_606;
  r.ReadAt(8, out->guild);
  r.ReadAt(10, out->chapter);
  r.ReadAt(12, out->asteroid);
  r.ReadAt(14, out->zone);
  return true;
}

PacketImage<kZoneEntrenchSize> ZoneEntrenchPacket::Build() const {
  return BuildFields<kZoneEntrenchSize>(PKT_ZONE_ENTRENCHED, *this, kZoneEntrenchFields);
}

bool ZoneEntrenchPacket::Parse(std::span<const std::uint8_t> image, ZoneEntrenchPacket* out) {
  return ParseFields<kZoneEntrenchSize>(image, out, kZoneEntrenchFields);
}

PacketImage<kZoneFacilitySize> ZoneFacilityPacket::Build() const {
  return BuildFields<kZoneFacilitySize>(PKT_TERRAIN_VIEW_611, *this, kZoneFacilityFields);
}

bool ZoneFacilityPacket::Parse(std::span<const std::uint8_t> image, ZoneFacilityPacket* out) {
  return ParseFields<kZoneFacilitySize>(image, out, kZoneFacilityFields);
}

PacketImage<kZoneConstructAtvsSize> ZoneConstructAtvsPacket::Build() const {
  return BuildFields<kZoneConstructAtvsSize>(PKT_TERRAIN_VIEW_612, *this, kZoneConstructAtvsFields);
}

bool ZoneConstructAtvsPacket::Parse(std::span<const std::uint8_t> image, ZoneConstructAtvsPacket* out) {
  return ParseFields<kZoneConstructAtvsSize>(image, out, kZoneConstructAtvsFields);
}

PacketImage<kTerrainClearedSize> TerrainClearedPacket::Build() const {
  return BuildFields<kTerrainClearedSize>(PKT_TERRAIN_CLEARED, *this, kTerrainClearedFields);
}

bool TerrainClearedPacket::Parse(std::span<const std::uint8_t> image, TerrainClearedPacket* out) {
  return ParseFields<kTerrainClearedSize>(image, out, kTerrainClearedFields);
}
