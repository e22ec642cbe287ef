#include "Game/model/GZonePackets.h"

#include "Game/base/Packets.h"
#include "platform/core/bytes.h"

PacketImage<kZoneAtvMoveSize> ZoneAtvMovePacket::Build() const {
  PacketImage<kZoneAtvMoveSize> p(attacking ? PKT_ZONE_ATTACKING_ATVS : PKT_ZONE_ARRIVING_ATVS);
  p.Put(8, asteroid);
  p.Put(10, zone);
  p.Put(12, sourceZone);
  p.Put(14, chapter);
  p.Put(16, kind);
  p.Put(18, count);
  return p;
}

bool ZoneAtvMovePacket::Parse(std::span<const std::uint8_t> image, ZoneAtvMovePacket* out) {
  plat::ByteReader r(image);
  if (!r.Has(0, kZoneAtvMoveSize)) return false;
  std::uint16_t type = 0;
  r.ReadAt(0, type);
  out->attacking = type == PKT_ZONE_ATTACKING_ATVS;
  r.ReadAt(8, out->asteroid);
  r.ReadAt(10, out->zone);
  r.ReadAt(12, out->sourceZone);
  r.ReadAt(14, out->chapter);
  r.ReadAt(16, out->kind);
  r.ReadAt(18, out->count);
  return true;
}

PacketImage<kAutomanageSize> AutomanagePacket::Build() const {
  PacketImage<kAutomanageSize> p(PKT_AUTOMANAGE);
  p.Put(8, asteroid);
  p.Put(10, flag);
  return p;
}

bool AutomanagePacket::Parse(std::span<const std::uint8_t> image, AutomanagePacket* out) {
  plat::ByteReader r(image);
  if (!r.Has(0, kAutomanageSize)) return false;
  r.ReadAt(8, out->asteroid);
  r.ReadAt(10, out->flag);
  return true;
}
