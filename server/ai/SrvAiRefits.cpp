// A builder refits an idle ship of its chapter beside it to the design that
// now improves on the ship's own in its hull's slot.
#include <algorithm>

#include "Game/model/GGamePieceDB.h"
#include "Game/model/GUnit.h"
#include "Game/rules/GTemplateDB.h"
#include "server/ai/SrvAiDesigns.h"
#include "server/ai/SrvAiOrders.h"
#include "server/ai/SrvAiPlan.h"
#include "server/orders/SrvPacketRead.h"

namespace {

// The fixed design of the ship's hull that improves on the ship's own; null: none.
const CGUnitTemplate* Successor(const SrvAiPlan& plan, const CGUnit& ship) {
  const CGUnitTemplate* own = ship.GetTemplate();
  if (own == nullptr || own->hull == nullptr) return nullptr;
  for (int s = 0; s < kFixedTemplateSlots; ++s) {
    const CGUnitTemplate* d = plan.world.templates->GetTemplate(plan.chapter, s, 1);
    if (d != nullptr && d != own && d->hull == own->hull && SrvAiDesignImproves(plan.world, *d, *own)) return d;
  }
  return nullptr;
}

bool OrderedThisTurn(const SrvAiPlan& plan, std::uint32_t unitId) {
  return std::any_of(plan.orders.begin(), plan.orders.end(), [&](const SrvPacket& p) {
    OrderPacket order;
    return SrvPacketType(p) == PKT_ORDER && ParseOrderPacket(p, &order) && order.unitId == unitId;
  });
}

}  // namespace

bool SrvAiRefit(SrvAiPlan& plan, CGUnit& builder) {
  const std::uint16_t at = builder.location.asteroid;
  for (std::uint16_t k = 0; CGUnit* ship = plan.world.pieces->GetOperationalUnitAt(at, plan.chapter, k); ++k) {
    if (ship == &builder || ship->GetOrderCount() != 0 || OrderedThisTurn(plan, ship->id) ||
        std::find(plan.offered.begin(), plan.offered.end(), ship->id) != plan.offered.end())
      continue;
    const CGUnitTemplate* design = Successor(plan, *ship);
    if (design == nullptr) continue;
    // The refit pays for the modules the ship lacks; the whole design is
    // reserved, as its price is reckoned only when the order is taken.
    const SrvAiCost cost = SrvAiDesignCost(*design);
    if (!plan.budget.Affords(at, cost)) continue;
    plan.budget.Spend(at, cost);
    plan.refitting.push_back(ship->id);
    plan.orders.push_back(SrvAiRefitOrder(builder, *design, *ship));
    return true;
  }
  return false;
}
