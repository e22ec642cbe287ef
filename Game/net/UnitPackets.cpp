#include "Game/net/UnitPackets.h"

#include "Game/base/Packets.h"
#include "Game/net/PacketFields.h"

namespace {

// The three bytes of each module slot from `at` on.
template <class Io, class Modules>
void ModuleFields(Io& io, std::size_t at, Modules& modules) {
  for (auto& slot : modules) {
    io.Field(at, slot.damage);
    io.Field(at + 1, slot.flags);
    io.Field(at + 2, slot.ammo);
    at += 3;
  }
}

constexpr auto kUnitEntersFields = [](auto& p, auto& io) {
  io.Field(8, p.chapter);
  io.Field(12, p.unitId);
  NarrowLocationFields(io, 16, p.location);
  io.Field(24, p.designId);
};

constexpr auto kUnitMovedFields = [](auto& p, auto& io) {
  io.Field(8, p.unitId);
  NarrowLocationFields(io, 12, p.location);
};

constexpr auto kOrderRemovedFields = [](auto& p, auto& io) {
  io.Field(8, p.unitId);
  io.Field(12, p.result);
};

constexpr auto kUnitStatusFields = [](auto& p, auto& io) {
  io.Field(8, p.unitId);
  io.Field(12, p.asteroid);
  io.Field(14, p.hullDamage);
  io.Field(15, p.lifeSupportDamage);
  io.Field(16, p.power);
  ModuleFields(io, 20, p.modules);
  io.Field(96, p.receivedPoints);
  io.Field(100, p.destroyed);
  io.Field(104, p.status);
};

constexpr auto kOrderStageFields = [](auto& p, auto& io) {
  io.Field(8, p.unitId);
  io.Field(12, p.asteroid);
  io.Field(14, p.stage);
  io.Field(16, p.target);
};

constexpr auto kUnitPowerFields = [](auto& p, auto& io) {
  io.Field(8, p.unitId);
  io.Field(12, p.asteroid);
  io.Field(16, p.power);
};

constexpr auto kAtvCargoFields = [](auto& p, auto& io) {
  io.Field(8, p.unitId);
  io.Each(12, 2, p.counts);
};

constexpr auto kUnitDeletedFields = [](auto& p, auto& io) { io.Field(8, p.unitId); };

constexpr auto kUnitResultFields = [](auto& p, auto& io) {
  io.Field(8, p.unitId);
  io.Field(12, p.outOfAction);
  io.Field(13, p.status);
  io.Each(24, 1, p.design);
  io.Field(140, p.location.asteroid);
  io.Field(142, p.location.x);
  io.Field(144, p.location.y);
  io.Field(146, p.location.z);
  io.Field(148, p.hullDamage);
  io.Field(149, p.lifeSupportDamage);
  ModuleFields(io, 150, p.modules);
};

}  // namespace

PacketImage<kUnitEntersSize> UnitEntersPacket::Build() const {
  return BuildFields<kUnitEntersSize>(PKT_UNIT, *this, kUnitEntersFields);
}

bool UnitEntersPacket::Parse(std::span<const std::uint8_t> image, UnitEntersPacket* out) {
  return ParseFields<kUnitEntersSize>(image, out, kUnitEntersFields);
}

PacketImage<kUnitMovedSize> UnitMovedPacket::Build() const {
  return BuildFields<kUnitMovedSize>(PKT_UNIT_MOVED, *this, kUnitMovedFields);
}

bool UnitMovedPacket::Parse(std::span<const std::uint8_t> image, UnitMovedPacket* out) {
  return ParseFields<kUnitMovedSize>(image, out, kUnitMovedFields);
}

PacketImage<kOrderRemovedSize> OrderRemovedPacket::Build() const {
  return BuildFields<kOrderRemovedSize>(PKT_ORDER_REMOVED, *this, kOrderRemovedFields);
}

bool OrderRemovedPacket::Parse(std::span<const std::uint8_t> image, OrderRemovedPacket* out) {
  return ParseFields<kOrderRemovedSize>(image, out, kOrderRemovedFields);
}

PacketImage<kUnitStatusRecordSize> UnitStatusPacket::Build() const {
  return BuildFields<kUnitStatusRecordSize>(PKT_UNIT_STATUS, *this, kUnitStatusFields);
}

bool UnitStatusPacket::Parse(std::span<const std::uint8_t> image, UnitStatusPacket* out) {
  return ParseFields<kUnitStatusRecordSize>(image, out, kUnitStatusFields);
}

PacketImage<kOrderStageSize> OrderStagePacket::Build() const {
  return BuildFields<kOrderStageSize>(PKT_ORDER_TARGET_BOUND, *this, kOrderStageFields);
}

bool OrderStagePacket::Parse(std::span<const std::uint8_t> image, OrderStagePacket* out) {
  return ParseFields<kOrderStageSize>(image, out, kOrderStageFields);
}

PacketImage<kUnitPowerSize> UnitPowerPacket::Build() const {
  return BuildFields<kUnitPowerSize>(PKT_UNIT_POWER, *this, kUnitPowerFields);
}

bool UnitPowerPacket::Parse(std::span<const std::uint8_t> image, UnitPowerPacket* out) {
  return ParseFields<kUnitPowerSize>(image, out, kUnitPowerFields);
}

PacketImage<kAtvCargoSize> AtvCargoPacket::Build() const {
  return BuildFields<kAtvCargoSize>(PKT_ATV_CARGO, *this, kAtvCargoFields);
}

bool AtvCargoPacket::Parse(std::span<const std::uint8_t> image, AtvCargoPacket* out) {
  return ParseFields<kAtvCargoSize>(image, out, kAtvCargoFields);
}

PacketImage<kUnitDeletedSize> UnitDeletedPacket::Build() const {
  return BuildFields<kUnitDeletedSize>(PKT_UNIT_DELETED, *this, kUnitDeletedFields);
}

bool UnitDeletedPacket::Parse(std::span<const std::uint8_t> image, UnitDeletedPacket* out) {
  return ParseFields<kUnitDeletedSize>(image, out, kUnitDeletedFields);
}

PacketImage<kUnitResultSize> UnitResultPacket::Build() const {
  return BuildFields<kUnitResultSize>(PKT_UNIT_RESULT, *this, kUnitResultFields);
}

bool UnitResultPacket::Parse(std::span<const std::uint8_t> image, UnitResultPacket* out) {
  return ParseFields<kUnitResultSize>(image, out, kUnitResultFields);
}
