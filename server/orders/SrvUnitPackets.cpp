#include "server/orders/SrvUnitPackets.h"

#include <algorithm>

#include "Game/base/Packets.h"
#include "Game/model/GNotify.h"
#include "Game/model/GUnit.h"
#include "Game/net/NoticePackets.h"
#include "Game/net/UnitPackets.h"
#include "Game/rules/GRulesPackets.h"
#include "Game/rules/GTemplateDB.h"

namespace {

template <std::size_t N>
SrvPacket Bytes(const PacketImage<N>& p) {
  return SrvPacket(p.bytes.begin(), p.bytes.end());
}

}  // namespace

SrvPacket BuildUnitMovedPacket(const CGUnit& unit) { return Bytes(UnitMovedPacket{unit.id, unit.location}.Build()); }

SrvPacket BuildOrderRemovedPacket(std::uint32_t unitId, std::int32_t result) {
  return Bytes(OrderRemovedPacket{unitId, result}.Build());
}

SrvPacket BuildOrderStagePacket(const CGUnit& unit, std::uint32_t targetId) {
  return Bytes(OrderStagePacket{unit.id, unit.location.asteroid, unit.stage, targetId}.Build());
}

SrvPacket BuildUnitPowerPacket(const CGUnit& unit) {
  return Bytes(UnitPowerPacket{unit.id, unit.location.asteroid, unit.power}.Build());
}

SrvPacket BuildAtvCargoPacket(const CGUnit& unit) {
  AtvCargoPacket p;
  p.unitId = unit.id;
  std::copy(unit.atvCargo.begin(), unit.atvCargo.end(), p.counts.begin());
  return Bytes(p.Build());
}

SrvPacket BuildUnitResultPacket(const CGUnit& unit) {
  UnitResultPacket p;
  p.unitId = unit.id;
  p.outOfAction = unit.IsOperational() ? 0 : 1;
  p.status = static_cast<std::uint8_t>(unit.statusWord);
  if (unit.design != nullptr) {
    // The unit's owner names the design's chapter; its slot stays 0.
    const auto block = BuildTemplatePacket(*unit.design, 0, static_cast<std::uint16_t>(unit.GetChapter()));
    const auto from = block.bytes.begin() + 8;
    std::copy(from, from + kDesignBlockSize, p.design.begin());
  }
  p.location = unit.location;
  p.hullDamage = unit.hullDamage;
  p.lifeSupportDamage = unit.lifeSupportDamage;
  p.modules = unit.modules;
  return Bytes(p.Build());
}

SrvPacket BuildUnitDeletedPacket(std::uint32_t unitId) { return Bytes(UnitDeletedPacket{unitId}.Build()); }

SrvPacket BuildNotificationPacket(const Notification& n) {
  NotificationPacket p;
  p.category = n.category;
  p.code = n.code;
  p.text1 = plat::FixedText::Of(n.text1);
  p.text2 = plat::FixedText::Of(n.text2);
  p.param1 = n.param1;
  p.param2 = n.param2;
  p.param3 = n.param3;
  return Bytes(p.Build());
}

SrvPacket BuildResearchDonePacket(bool hull, std::uint16_t index) {
  return Bytes(ResearchDonePacket{hull, index}.Build());
}
