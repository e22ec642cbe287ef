// The server's order intake (unit, research, science bonus, design,
// transfer, zone and trade packets) fed packets from any bytes, then a turn resolved over whatever it
// took, then the world saved and read back. Each record is
// u8 chapter, u8 unit pick, u16 length, then the packet; a pick with its top
// bit set writes the id of one of the world's units at offset 8, so that
// orders reach real units. A world with rules (the tests' small set) is made
// once per input.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "Game/base/GBlockStream.h"
#include "Game/base/Packets.h"
#include "Game/model/GUnit.h"
#include "server/orders/SrvDesigns.h"
#include "server/orders/SrvOrders.h"
#include "server/orders/SrvZoneOrders.h"
#include "server/trade/SrvMineralTrade.h"
#include "server/trade/SrvShipTrade.h"
#include "server/turn/SrvTurnSteps.h"
#include "server/world/SrvWorldSave.h"
#include "tests/server/srv_test_rules.h"

namespace {

std::vector<std::uint32_t> UnitIds(const SrvWorld& world) {
  std::vector<std::uint32_t> ids;
  world.ForEachUnit([&](const CGUnit& u) { ids.push_back(u.id); });
  return ids;
}

// Every intake a chapter's packet can reach outside the front end.
void Submit(SrvWorld& world, std::uint8_t chapter, std::span<const std::uint8_t> packet) {
  const std::uint16_t type = packet.size() >= 2 ? static_cast<std::uint16_t>(packet[0] | (packet[1] << 8)) : 0;
  SrvPacket board;
  switch (type) {
    case PKT_MINERAL_OFFER_POSTED:
      SrvPostMineralOffer(world, chapter, packet);
      return;
    case PKT_MINERAL_OFFER_WITHDRAWN:
      SrvWithdrawMineralOffer(world, chapter, packet);
      return;
    case PKT_MINERAL_TRADE:
      SrvBuyMinerals(world, chapter, packet, board);
      return;
    case PKT_SHIP_OFFER_POSTED:
      SrvPostShipOffer(world, chapter, packet);
      return;
    case PKT_SHIP_OFFER_WITHDRAWN:
      SrvWithdrawShipOffer(world, chapter, packet);
      return;
    case PKT_TRADE_REQUEST:
      SrvBidForShip(world, chapter, packet);
      return;
    case PKT_TEMPLATE:
      SrvTakeDesign(world, chapter, packet);
      return;
    default:
      if (SrvIsZonePacket(type))
        SrvSubmitZoneOrder(world, chapter, packet);
      else
        SrvSubmitOrder(world, chapter, packet);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const auto rules = SrvTestRules();
  SrvWorld world;
  world.UseRules(rules.first, rules.second);
  SrvSetup setup;
  setup.config.SetU16(14, 1);
  setup.config.SetU16(16, 8);
  world.Generate(setup, 9, nullptr);
  const std::vector<std::uint32_t> ids = UnitIds(world);

  const std::span<const std::uint8_t> input(data, size);
  std::size_t at = 0;
  while (at + 4 <= input.size()) {
    const std::uint8_t chapter = input[at], pick = input[at + 1];
    const std::size_t n = std::min<std::size_t>(input[at + 2] | (input[at + 3] << 8), input.size() - at - 4);
    std::vector<std::uint8_t> packet(input.begin() + static_cast<std::ptrdiff_t>(at + 4),
                                     input.begin() + static_cast<std::ptrdiff_t>(at + 4 + n));
    if ((pick & 0x80) != 0 && packet.size() >= 12 && !ids.empty()) {
      const std::uint32_t id = ids[(pick & 0x7F) % ids.size()];
      for (int b = 0; b < 4; ++b) packet[8 + b] = static_cast<std::uint8_t>(id >> (8 * b));
    }
    Submit(world, chapter, packet);
    at += 4 + n;
  }

  SrvLog log;
  SrvRandom random(1);
  SrvTurnContext turn{world, setup, log, random};
  SrvResolveOrders(turn);
  world.AdvanceTurn();

  std::vector<std::uint8_t> saved;
  BlockWriter w(&saved);
  if (!SrvSaveWorldState(world, w)) std::abort();
  BlockReader r(saved);
  if (!SrvLoadWorldState(world, r)) std::abort();
  return 0;
}
