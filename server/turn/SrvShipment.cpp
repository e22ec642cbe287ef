#include "server/turn/SrvShipment.h"

#include "Game/model/GAsteroid.h"
#include "Game/model/GNotifyCodes.h"
#include "server/trade/SrvTradeNotices.h"
#include "server/turn/SrvStorePool.h"

void SrvDeliverShipment(SrvWorld& world, const SrvTransferInTransit& t) {
  const CGAsteroid* to = world.solar.GetAsteroid(t.destination);
  if (t.sender == kSrvNoSender || (to != nullptr && to->owner == t.sender)) {
    world.poolDB.AddMineral(t.destination, t.mineral, t.amount);
    if (t.sender != kSrvNoSender)
      world.notices.Add(t.sender, notify::kTradeEvent, notify::kTransferReceived, nullptr, nullptr, t.amount, t.mineral,
                        std::uint32_t{t.source} << 16 | t.destination);
    return;
  }
  // Its destination changed hands on the way: the shipment turns back to
  // the sender's source, or its home, and the line tells where it came in
  // from and where it was received; with neither left it is lost.
  const std::uint16_t back = SrvStorePool(world, t.source, t.sender);
  if (back == kSrvNoStorePool) {
    world.notices.Add(t.sender, notify::kTradeEvent, notify::kMiningLost, nullptr, nullptr, t.destination, 0,
                      kSrvTradeNoUnit);
    return;
  }
  world.poolDB.AddMineral(back, t.mineral, t.amount);
  world.notices.Add(t.sender, notify::kTradeEvent, notify::kTransferReceived, nullptr, nullptr, t.amount, t.mineral,
                    std::uint32_t{t.destination} << 16 | back);
}
