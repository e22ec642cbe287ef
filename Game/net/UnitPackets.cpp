#include "Game/net/UnitPackets.h"

#include "Game/base/Packets.h"
#include "platform/core/bytes.h"

namespace {

// The three bytes of each module slot from `at` on.
template <std::size_t N>
void PutModules(PacketImage<N>& p, std::size_t at, const ModuleStates& modules) {
  for (std::size_t s = 0; s < modules.size(); ++s) {
    p.Put(at + 3 * s, modules[s].damage);
    p.Put(at + 3 * s + 1, modules[s].flags);
    p.Put(at + 3 * s + 2, modules[s].ammo);
  }
}

void ReadModules(const plat::ByteReader& r, std::size_t at, ModuleStates& modules) {
  for (std::size_t s = 0; s < modules.size(); ++s) {
    r.ReadAt(at + 3 * s, modules[s].damage);
    r.ReadAt(at + 3 * s + 1, modules[s].flags);
    r.ReadAt(at + 3 * s + 2, modules[s].ammo);
  }
}

// A Location whose asteroid travels as a byte, then x, y, z from `at` + 2.
template <std::size_t N>
void PutNarrowLocation(PacketImage<N>& p, std::size_t at, const Location& l) {
  p.Put(at, static_cast<std::uint8_t>(l.asteroid));
  p.Put(at + 2, l.x);
  p.Put(at + 4, l.y);
  p.Put(at + 6, l.z);
}

void ReadNarrowLocation(const plat::ByteReader& r, std::size_t at, Location& l) {
  std::uint8_t asteroid = 0;
  r.ReadAt(at, asteroid);
  l.asteroid = asteroid;
  r.ReadAt(at + 2, l.x);
  r.ReadAt(at + 4, l.y);
  r.ReadAt(at + 6, l.z);
}

}  // namespace

PacketImage<kUnitEntersSize> UnitEntersPacket::Build() const {
  PacketImage<kUnitEntersSize> p(PKT_UNIT);
  p.Put(8, chapter);
  p.Put(12, unitId);
  PutNarrowLocation(p, 16, location);
  p.Put(24, designId);
  return p;
}

bool UnitEntersPacket::Parse(std::span<const std::uint8_t> image, UnitEntersPacket* out) {
  plat::ByteReader r(image);
  if (!r.Has(0, kUnitEntersSize)) return false;
  r.ReadAt(8, out->chapter);
  r.ReadAt(12, out->unitId);
  ReadNarrowLocation(r, 16, out->location);
  r.ReadAt(24, out->designId);
  return true;
}

PacketImage<kUnitMovedSize> UnitMovedPacket::Build() const {
  PacketImage<kUnitMovedSize> p(PKT_UNIT_MOVED);
  p.Put(8, unitId);
  PutNarrowLocation(p, 12, location);
  return p;
}

bool UnitMovedPacket::Parse(std::span<const std::uint8_t> image, UnitMovedPacket* out) {
  plat::ByteReader r(image);
  if (!r.Has(0, kUnitMovedSize)) return false;
  r.ReadAt(8, out->unitId);
  ReadNarrowLocation(r, 12, out->location);
  return true;
}

PacketImage<kOrderRemovedSize> OrderRemovedPacket::Build() const {
  PacketImage<kOrderRemovedSize> p(PKT_ORDER_REMOVED);
  p.Put(8, unitId);
  p.Put(12, result);
  return p;
}

bool OrderRemovedPacket::Parse(std::span<const std::uint8_t> image, OrderRemovedPacket* out) {
  plat::ByteReader r(image);
  if (!r.Has(0, kOrderRemovedSize)) return false;
  r.ReadAt(8, out->unitId);
  r.ReadAt(12, out->result);
  return true;
}

PacketImage<kUnitStatusRecordSize> UnitStatusPacket::Build() const {
  PacketImage<kUnitStatusRecordSize> p(PKT_UNIT_STATUS);
  p.Put(8, unitId);
  p.Put(12, asteroid);
  p.Put(14, hullDamage);
  p.Put(15, lifeSupportDamage);
  p.Put(16, power);
  PutModules(p, 20, modules);
  p.Put(96, receivedPoints);
  p.Put(100, destroyed);
  p.Put(104, status);
  return p;
}

bool UnitStatusPacket::Parse(std::span<const std::uint8_t> image, UnitStatusPacket* out) {
  plat::ByteReader r(image);
  if (!r.Has(0, kUnitStatusRecordSize)) return false;
  r.ReadAt(8, out->unitId);
  r.ReadAt(12, out->asteroid);
  r.ReadAt(14, out->hullDamage);
  r.ReadAt(15, out->lifeSupportDamage);
  r.ReadAt(16, out->power);
  ReadModules(r, 20, out->modules);
  r.ReadAt(96, out->receivedPoints);
  r.ReadAt(100, out->destroyed);
  r.ReadAt(104, out->status);
  return true;
}

PacketImage<kOrderStageSize> OrderStagePacket::Build() const {
  PacketImage<kOrderStageSize> p(PKT_ORDER_TARGET_BOUND);
  p.Put(8, unitId);
  p.Put(12, asteroid);
  p.Put(14, stage);
  p.Put(16, target);
  return p;
}

bool OrderStagePacket::Parse(std::span<const std::uint8_t> image, OrderStagePacket* out) {
  plat::ByteReader r(image);
  if (!r.Has(0, kOrderStageSize)) return false;
  r.ReadAt(8, out->unitId);
  r.ReadAt(12, out->asteroid);
  r.ReadAt(14, out->stage);
  r.ReadAt(16, out->target);
  return true;
}

PacketImage<kUnitPowerSize> UnitPowerPacket::Build() const {
  PacketImage<kUnitPowerSize> p(PKT_UNIT_POWER);
  p.Put(8, unitId);
  p.Put(12, asteroid);
  p.Put(16, power);
  return p;
}

bool UnitPowerPacket::Parse(std::span<const std::uint8_t> image, UnitPowerPacket* out) {
  plat::ByteReader r(image);
  if (!r.Has(0, kUnitPowerSize)) return false;
  r.ReadAt(8, out->unitId);
  r.ReadAt(12, out->asteroid);
  r.ReadAt(16, out->power);
  return true;
}

PacketImage<kAtvCargoSize> AtvCargoPacket::Build() const {
  PacketImage<kAtvCargoSize> p(PKT_ATV_CARGO);
  p.Put(8, unitId);
  for (std::size_t k = 0; k < counts.size(); ++k) p.Put(12 + 2 * k, counts[k]);
  return p;
}

bool AtvCargoPacket::Parse(std::span<const std::uint8_t> image, AtvCargoPacket* out) {
  plat::ByteReader r(image);
  if (!r.Has(0, kAtvCargoSize)) return false;
  r.ReadAt(8, out->unitId);
  for (std::size_t k = 0; k < out->counts.size(); ++k) r.ReadAt(12 + 2 * k, out->counts[k]);
  return true;
}

PacketImage<kUnitDeletedSize> UnitDeletedPacket::Build() const {
  PacketImage<kUnitDeletedSize> p(PKT_UNIT_DELETED);
  p.Put(8, unitId);
  return p;
}

bool UnitDeletedPacket::Parse(std::span<const std::uint8_t> image, UnitDeletedPacket* out) {
  plat::ByteReader r(image);
  if (!r.Has(0, kUnitDeletedSize)) return false;
  r.ReadAt(8, out->unitId);
  return true;
}

PacketImage<kUnitResultSize> UnitResultPacket::Build() const {
  PacketImage<kUnitResultSize> p(PKT_UNIT_RESULT);
  p.Put(8, unitId);
  p.Put(12, outOfAction);
  p.Put(13, status);
  p.PutBytes(24, design);
  p.Put(140, location.asteroid);
  p.Put(142, location.x);
  p.Put(144, location.y);
  p.Put(146, location.z);
  p.Put(148, hullDamage);
  p.Put(149, lifeSupportDamage);
  PutModules(p, 150, modules);
  return p;
}

bool UnitResultPacket::Parse(std::span<const std::uint8_t> image, UnitResultPacket* out) {
  plat::ByteReader r(image);
  if (!r.Has(0, kUnitResultSize)) return false;
  r.ReadAt(8, out->unitId);
  r.ReadAt(12, out->outOfAction);
  r.ReadAt(13, out->status);
  const auto block = image.subspan(24, kDesignBlockSize);
  std::copy(block.begin(), block.end(), out->design.begin());
  r.ReadAt(140, out->location.asteroid);
  r.ReadAt(142, out->location.x);
  r.ReadAt(144, out->location.y);
  r.ReadAt(146, out->location.z);
  r.ReadAt(148, out->hullDamage);
  r.ReadAt(149, out->lifeSupportDamage);
  ReadModules(r, 150, out->modules);
  return true;
}
