#include "server/world/SrvUnitsInPlay.h"

#include <algorithm>

#include "Game/base/Packets.h"
#include "Game/model/GUnit.h"
#include "Game/net/UnitPackets.h"
#include "server/orders/SrvUnitPackets.h"

void SrvTellUnitsAsTheyStand(const SrvWorld& world, std::uint16_t chapter, std::vector<SrvPacket>& sequence) {
  if (sequence.empty()) return;
  std::vector<SrvPacket> standing;
  for (SrvPacket& packet : sequence) {
    PacketHeader header;
    UnitEntersPacket enters;
    if (!ReadPacketHeader(packet, header) || header.type != PKT_UNIT || !UnitEntersPacket::Parse(packet, &enters) ||
        enters.chapter != chapter)
      continue;
    std::uint16_t at = 0;
    const CGUnit* unit = world.pieces->FindUnit(enters.unitId, &at);
    if (unit == nullptr) continue;
    packet = BuildUnitResultPacket(*unit);
    for (std::uint16_t i = 0; i < unit->GetOrderCount(); ++i) {
      const auto order = BuildOrderPacket(unit->id, *unit->GetOrder(i), kInsertAppend);
      standing.emplace_back(order.bytes.begin(), order.bytes.end());
    }
    if (const UnitOrder* first = unit->GetOrder(0))
      standing.push_back(BuildOrderStagePacket(*unit, first->target != nullptr ? first->target->id : kNoTargetId));
    standing.push_back(BuildUnitPowerPacket(*unit));
    if (std::any_of(unit->atvCargo.begin(), unit->atvCargo.end(), [](std::uint8_t n) { return n != 0; }))
      standing.push_back(BuildAtvCargoPacket(*unit));
  }
  sequence.insert(sequence.end() - 1, standing.begin(), standing.end());
}
