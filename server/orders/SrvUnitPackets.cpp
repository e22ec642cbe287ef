#include "server/orders/SrvUnitPackets.h"

#include "Game/base/Packets.h"
#include "Game/model/GNotify.h"
#include "Game/model/GUnit.h"
#include "Game/rules/GRulesPackets.h"
#include "Game/rules/GTemplateDB.h"

namespace {

template <std::size_t N>
SrvPacket Bytes(const PacketImage<N>& p) {
  return SrvPacket(p.bytes.begin(), p.bytes.end());
}

}  // namespace

SrvPacket BuildUnitMovedPacket(const CGUnit& unit) {
  PacketImage<20> p(PKT_UNIT_MOVED);
  p.Put<std::uint32_t>(8, unit.id);
  p.Put<std::uint8_t>(12, static_cast<std::uint8_t>(unit.location.asteroid));
  p.Put<std::int16_t>(14, unit.location.x);
  p.Put<std::int16_t>(16, unit.location.y);
  p.Put<std::int16_t>(18, unit.location.z);
  return Bytes(p);
}

SrvPacket BuildOrderRemovedPacket(std::uint32_t unitId, std::int32_t result) {
  PacketImage<16> p(PKT_ORDER_REMOVED);
  p.Put<std::uint32_t>(8, unitId);
  p.Put<std::int32_t>(12, result);
  return Bytes(p);
}

SrvPacket BuildOrderStagePacket(const CGUnit& unit, std::uint32_t targetId) {
  PacketImage<20> p(PKT_ORDER_TARGET_BOUND);
  p.Put<std::uint32_t>(8, unit.id);
  p.Put<std::uint16_t>(12, unit.location.asteroid);
  p.Put<std::uint16_t>(14, unit.stage);
  p.Put<std::uint32_t>(16, targetId);
  return Bytes(p);
}

SrvPacket BuildUnitPowerPacket(const CGUnit& unit) {
  PacketImage<20> p(PKT_UNIT_POWER);
  p.Put<std::uint32_t>(8, unit.id);
  p.Put<std::uint16_t>(12, unit.location.asteroid);
  p.Put<std::int32_t>(16, unit.power);
  return Bytes(p);
}

SrvPacket BuildAtvCargoPacket(const CGUnit& unit) {
  PacketImage<20> p(PKT_ATV_CARGO);
  p.Put<std::uint32_t>(8, unit.id);
  for (int k = 0; k < 4; ++k) p.Put<std::uint16_t>(12 + 2 * k, unit.atvCargo[static_cast<std::size_t>(k)]);
  return Bytes(p);
}

SrvPacket BuildUnitResultPacket(const CGUnit& unit) {
  constexpr std::size_t kBlockAt = 24, kBlockFrom = 8, kBlockSize = 110;
  PacketImage<210> p(PKT_UNIT_RESULT);
  p.Put<std::uint32_t>(8, unit.id);
  p.Put<std::uint8_t>(12, unit.IsOperational() ? 0 : 1);
  p.Put<std::uint8_t>(13, static_cast<std::uint8_t>(unit.statusWord));
  if (unit.design != nullptr) {
    const auto block = BuildTemplatePacket(*unit.design, 0, static_cast<std::uint16_t>(unit.GetChapter()));
    p.PutBytes(kBlockAt, std::span(block.bytes).subspan(kBlockFrom, kBlockSize));
  }
  p.Put<std::uint16_t>(140, unit.location.asteroid);
  p.Put<std::int16_t>(142, unit.location.x);
  p.Put<std::int16_t>(144, unit.location.y);
  p.Put<std::int16_t>(146, unit.location.z);
  p.Put<std::uint8_t>(148, unit.hullDamage);
  p.Put<std::uint8_t>(149, unit.lifeSupportDamage);
  for (int s = 0; s < kUnitSlots; ++s) {
    const ModuleSlotState& m = unit.modules[static_cast<std::size_t>(s)];
    p.Put<std::uint8_t>(150 + 3 * s, m.damage);
    p.Put<std::uint8_t>(151 + 3 * s, m.flags);
    p.Put<std::uint8_t>(152 + 3 * s, m.ammo);
  }
  return Bytes(p);
}

SrvPacket BuildUnitDeletedPacket(std::uint32_t unitId) {
  PacketImage<12> p(PKT_UNIT_DELETED);
  p.Put<std::uint32_t>(8, unitId);
  return Bytes(p);
}

SrvPacket BuildNotificationPacket(const Notification& n) {
  PacketImage<152> p(PKT_NOTIFICATION);
  p.Put<std::uint16_t>(8, n.category);
  p.Put<std::uint16_t>(10, n.code);
  p.SetText(12, kNotifyTextSize, n.text1);
  p.SetText(76, kNotifyTextSize, n.text2);
  p.Put<std::uint16_t>(140, n.param1);
  p.Put<std::uint32_t>(144, n.param2);
  p.Put<std::uint32_t>(148, n.param3);
  return Bytes(p);
}

SrvPacket BuildResearchDonePacket(bool hull, std::uint16_t index) {
  PacketImage<12> p(hull ? PKT_HULL_RESEARCH_DONE : PKT_MODULE_RESEARCH_DONE);
  p.Put<std::uint16_t>(8, index);
  return Bytes(p);
}
