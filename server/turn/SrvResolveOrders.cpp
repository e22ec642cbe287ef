#include <vector>

#include "Game/model/GUnit.h"
#include "server/orders/SrvAsteroidOrders.h"
#include "server/orders/SrvUnitPackets.h"
#include "server/orders/SrvZoneOrders.h"
#include "server/trade/SrvShipTrade.h"
#include "server/trade/SrvVoteTrade.h"
#include "server/turn/SrvOrderSteps.h"

void SrvDrainNotifications(SrvTurnContext& turn) {
  CGNotificationList& list = turn.world.notices;
  for (int i = 0; i < list.GetCount(); ++i)
    if (const Notification* n = list.GetEntry(i); n != nullptr && n->category != 0)
      turn.Tell(n->chapter, BuildNotificationPacket(*n));
  list.Clear(kAllChapters);
}

void SrvResolveOrders(SrvTurnContext& turn) {
  // The units are listed first: an order moves its unit to another cell of
  // the database, and a built ship joins it, which would upset a walk of the
  // cells. Ids, not pointers, survive a unit removed by an earlier order.
  std::vector<std::uint32_t> ids;
  turn.world.ForEachUnit([&](const CGUnit& u) {
    if (u.IsOperational() && u.GetOrderCount() > 0) ids.push_back(u.id);
  });
  for (std::uint32_t id : ids) {
    std::uint16_t at = 0;
    if (CGUnit* unit = turn.world.pieces->FindOperationalUnit(id, &at)) SrvAdvanceUnitOrder(turn, *unit);
  }
  SrvResolveZones(turn);
  SrvAdvanceResearch(turn);
  SrvMineAndEarn(turn);
  SrvRechargeUnits(turn);
  SrvRefuelAtAsteroids(turn);
  SrvDistributePools(turn);
  SrvRunTransfers(turn);
  SrvSettleShipOffers(turn);
  SrvSettleVoteOffers(turn);
  SrvTellPools(turn);
  SrvDrainNotifications(turn);
}
