#include "Game/net/TerrainPackets.h"

#include "Game/base/Packets.h"
#include "platform/core/bytes.h"

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
  PacketImage<kZoneEntrenchSize> p(PKT_ZONE_ENTRENCHED);
  p.Put(8, asteroid);
  p.Put(10, zone);
  p.Put(12, chapter);
  p.Put(14, guild);
  p.Put(16, kind);
  return p;
}

bool ZoneEntrenchPacket::Parse(std::span<const std::uint8_t> image, ZoneEntrenchPacket* out) {
  plat::ByteReader r(image);
  if (!r.Has(0, kZoneEntrenchSize)) return false;
  r.ReadAt(8, out->asteroid);
  r.ReadAt(10, out->zone);
  r.ReadAt(12, out->chapter);
  r.ReadAt(14, out->guild);
  r.ReadAt(16, out->kind);
  return true;
}

PacketImage<kZoneFacilitySize> ZoneFacilityPacket::Build() const {
  PacketImage<kZoneFacilitySize> p(PKT_TERRAIN_VIEW_611);
  p.Put(8, asteroid);
  p.Put(10, chapter);
  p.Put(12, zone);
  p.Put(14, cellKind);
  p.Put(16, facility);
  return p;
}

bool ZoneFacilityPacket::Parse(std::span<const std::uint8_t> image, ZoneFacilityPacket* out) {
  plat::ByteReader r(image);
  if (!r.Has(0, kZoneFacilitySize)) return false;
  r.ReadAt(8, out->asteroid);
  r.ReadAt(10, out->chapter);
  r.ReadAt(12, out->zone);
  r.ReadAt(14, out->cellKind);
  r.ReadAt(16, out->facility);
  return true;
}

PacketImage<kZoneConstructAtvsSize> ZoneConstructAtvsPacket::Build() const {
  PacketImage<kZoneConstructAtvsSize> p(PKT_TERRAIN_VIEW_612);
  p.Put(8, asteroid);
  p.Put(10, zone);
  p.Put(12, chapter);
  for (std::size_t i = 0; i < counts.size(); ++i) p.Put(14 + i, counts[i]);
  return p;
}

bool ZoneConstructAtvsPacket::Parse(std::span<const std::uint8_t> image, ZoneConstructAtvsPacket* out) {
  plat::ByteReader r(image);
  if (!r.Has(0, kZoneConstructAtvsSize)) return false;
  r.ReadAt(8, out->asteroid);
  r.ReadAt(10, out->zone);
  r.ReadAt(12, out->chapter);
  for (std::size_t i = 0; i < out->counts.size(); ++i) r.ReadAt(14 + i, out->counts[i]);
  return true;
}

PacketImage<kTerrainClearedSize> TerrainClearedPacket::Build() const {
  PacketImage<kTerrainClearedSize> p(PKT_TERRAIN_CLEARED);
  p.Put(8, asteroid);
  return p;
}

bool TerrainClearedPacket::Parse(std::span<const std::uint8_t> image, TerrainClearedPacket* out) {
  plat::ByteReader r(image);
  if (!r.Has(0, kTerrainClearedSize)) return false;
  r.ReadAt(8, out->asteroid);
  return true;
}
