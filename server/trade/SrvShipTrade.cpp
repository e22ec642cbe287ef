#include "server/trade/SrvShipTrade.h"

#include <algorithm>
#include <memory>

#include "Game/base/Packets.h"
#include "Game/model/GAsteroid.h"
#include "Game/model/GChapter.h"
#include "Game/model/GNotifyCodes.h"
#include "Game/model/GUnit.h"
#include "Game/net/OrderMenuPackets.h"
#include "Game/net/TradePackets.h"
#include "Game/rules/GRulesPackets.h"
#include "Game/rules/GUnitTem.h"
#include "server/orders/SrvPacketRead.h"
#include "server/orders/SrvUnitPackets.h"
#include "server/trade/SrvBids.h"
#include "server/world/SrvDesignPackets.h"

namespace {

// The seller's unit made the buyer's: a copy of its design joins the
// buyer's designs, and a unit of the buyer takes the ship's place and state.
// The copy is new to every player: it is announced, with its values, before
// the unit that flies it.
CGUnit* HandOver(SrvTurnContext& turn, CGUnit& ship, std::uint8_t buyer) {
  SrvWorld& world = turn.world;
  if (ship.design == nullptr) return nullptr;
  auto copy = std::make_unique<CGUnitTemplate>(buyer, -1);
  copy->CopyDesign(*ship.design, buyer);
  // The bought ship is the first of the copy the buyer has: its list of
  // designs, which shows those with ships, names it.
  copy->creationTurnHigh = 1;
  CGUnitTemplate* design = copy.get();
  if (world.templates->AddTemplate(copy.release(), buyer) == 0) return nullptr;
  CGUnit* bought = world.CreateUnit(buyer, design, ship.location);
  if (bought == nullptr) return nullptr;
  bought->power = ship.power;
  bought->hullDamage = ship.hullDamage;
  bought->lifeSupportDamage = ship.lifeSupportDamage;
  bought->modules = ship.modules;
  bought->atvCargo = ship.atvCargo;
  bought->SetName(ship.GetName());
  const std::uint32_t gone = ship.id;
  world.pieces->DeleteUnit(gone);
  for (const SrvPacket& p : BuildDesignValuesNews(world, *design)) turn.TellAll(p);
  turn.TellAll(BuildUnitDeletedPacket(gone));
  turn.TellAll(BuildUnitResultPacket(*bought));
  // The unit result carries no power, and a ship's power is told only as
  // it changes: without this the buyer would hold the ship as out of power.
  turn.Tell(buyer, BuildUnitPowerPacket(*bought));
  return bought;
}

// The class of the offered ship; a ship destroyed in battle is still listed,
// unoperational, and one taken apart is not.
std::uint32_t OfferedClass(const SrvWorld& world, std::uint32_t unitId) {
  std::uint16_t at = 0;
  const CGUnit* ship = world.pieces->FindUnit(unitId, &at);
  const CGUnitTemplate* design = ship != nullptr ? ship->GetTemplate() : nullptr;
  return design != nullptr ? design->unitClass : kSrvTradeUnknownClass;
}

SrvPacket WithdrawnPacket(std::uint8_t guild, std::uint8_t slot, std::uint32_t unitId) {
  const auto p = ShipOfferWithdrawnPacket{guild, slot, unitId}.Build();
  return SrvPacket(p.bytes.begin(), p.bytes.end());
}

}  // namespace

SrvOrderVerdict SrvPostShipOffer(SrvWorld& world, std::uint16_t chapter, std::span<const std::uint8_t> packet) {
  ShipOfferPostedPacket offer;
  if (!ShipOfferPostedPacket::Parse(packet, &offer)) return SrvOrderVerdict::kTooShort;
  // The guild's board reads the slot as a byte.
  if (offer.guild != (chapter >> 3) || static_cast<std::uint8_t>(offer.slot) != (chapter & 7) ||
      !world.MayTrade(chapter))
    return SrvOrderVerdict::kNotOwner;
  std::uint16_t at = 0;
  const CGUnit* ship = world.pieces->FindOperationalUnit(offer.unitId, &at);
  if (ship == nullptr) return SrvOrderVerdict::kUnknownUnit;
  if (ship->GetChapter() != chapter) return SrvOrderVerdict::kNotOwner;
  world.guilds->GetGuild(chapter >> 3)->PostShipOffer(packet);
  return SrvOrderVerdict::kAccepted;
}

SrvOrderVerdict SrvWithdrawShipOffer(SrvWorld& world, std::uint16_t chapter, std::span<const std::uint8_t> packet) {
  ShipOfferWithdrawnPacket withdrawn;
  if (!ShipOfferWithdrawnPacket::Parse(packet, &withdrawn)) return SrvOrderVerdict::kTooShort;
  if (withdrawn.guild != (chapter >> 3) || withdrawn.slot != (chapter & 7)) return SrvOrderVerdict::kNotOwner;
  CGuild* guild = world.guilds->GetGuild(chapter >> 3);
  const std::uint32_t unitId = withdrawn.unitId;
  const ShipOffer* offer = guild->FindShipOffer(unitId);
  if (offer == nullptr) return SrvOrderVerdict::kBadTarget;
  if (offer->sellerSlot != (chapter & 7)) return SrvOrderVerdict::kNotOwner;
  guild->RemoveShipOffer(unitId);
  SrvRejectBids(world, world.shipBids, unitId, notify::kShipBidRejected, 0, OfferedClass(world, unitId));
  return SrvOrderVerdict::kAccepted;
}

SrvOrderVerdict SrvBidForShip(SrvWorld& world, std::uint16_t chapter, std::span<const std::uint8_t> packet) {
  ShipBidPacket order;
  if (!ShipBidPacket::Parse(packet, &order)) return SrvOrderVerdict::kTooShort;
  if (order.guild != (chapter >> 3) || order.slot != (chapter & 7) || !world.MayTrade(chapter))
    return SrvOrderVerdict::kNotOwner;
  SrvShipBid bid{static_cast<std::uint8_t>(chapter), order.unitId, order.pool, {}};
  for (int m = 0; m < 4; ++m) bid.bid[m] = order.bid[static_cast<std::size_t>(m)];
  const ShipOffer* offer = world.guilds->GetGuild(chapter >> 3)->FindShipOffer(bid.unitId);
  if (offer == nullptr) return SrvOrderVerdict::kBadTarget;
  if (offer->sellerSlot == (chapter & 7)) return SrvOrderVerdict::kBadOrder;
  const CGAsteroid* pool = world.solar.GetAsteroid(bid.pool);
  if (pool == nullptr || pool->owner != chapter) return SrvOrderVerdict::kNotOwner;
  return SrvPlaceBid(world, world.shipBids, bid, offer->terms);
}

void SrvSettleShipOffers(SrvTurnContext& turn) {
  SrvWorld& world = turn.world;
  for (int g = 0; g < kGuildCount; ++g) {
    CGuild* guild = world.guilds->GetGuild(g);
    for (std::uint32_t i = 0; guild != nullptr && i < guild->shipOffers.count;) {
      const ShipOffer offer = *guild->GetShipOffer(i);
      const auto best = SrvBestBid(world.shipBids, offer.unitId);
      std::uint16_t at = 0;
      CGUnit* ship = world.pieces->FindOperationalUnit(offer.unitId, &at);
      const auto seller = static_cast<std::uint16_t>(g * 8 + offer.sellerSlot);
      const bool gone = ship == nullptr || ship->GetChapter() != seller;
      if (!gone && best == world.shipBids.end()) {
        ++i;
        continue;
      }
      // A ship at work is not handed over: the buyer's ship comes without
      // orders, and what the seller paid for its work would be lost.
      const bool busy = !gone && ship->GetOrderCount() != 0;
      // Taken before the ship changes hands: the seller's unit goes.
      const std::uint32_t unitClass = OfferedClass(world, offer.unitId);
      if (gone) {
        world.notices.Add(seller, notify::kTradeEvent, notify::kShipLost, nullptr, nullptr, 0, unitClass,
                          kSrvTradeNoUnit);
      } else if (busy) {
        world.notices.Add(seller, notify::kTradeEvent, notify::kShipHasOrder, nullptr, nullptr, 0, 0, offer.unitId);
      } else {
        const SrvShipBid won = *best;
        world.shipBids.erase(best);
        if (const CGUnit* bought = HandOver(turn, *ship, won.bidder)) {
          std::uint16_t paidAt = kSrvTradeNoPool;
          if (const CGChapter* c = world.Chapter(seller)) {
            paidAt = c->homeAsteroid;
            for (std::uint32_t m = 0; m < 4; ++m) world.poolDB.AddMineral(c->homeAsteroid, m, won.bid[m]);
          }
          world.notices.Add(won.bidder, notify::kTradeEvent, notify::kShipBought, nullptr, nullptr, 0, unitClass,
                            bought->id);
          world.notices.Add(seller, notify::kTradeEvent, notify::kShipSold, nullptr, nullptr,
                            static_cast<std::uint16_t>(unitClass), won.bidder, paidAt);
          turn.log.Line("turn %u: chapter %u bought unit %u from chapter %u, now unit %u at asteroid %u", world.turn,
                        won.bidder, offer.unitId, seller, bought->id, bought->location.asteroid);
        } else {
          SrvRefundBid(world, won);
          world.notices.Add(won.bidder, notify::kTradeEvent, notify::kShipBidRejected, nullptr, nullptr, 0, unitClass,
                            kSrvTradeNoUnit);
        }
      }
      SrvRejectBids(world, world.shipBids, offer.unitId, notify::kShipBidRejected, 0, unitClass);
      guild->RemoveShipOffer(offer.unitId);
      turn.TellGuild(g, WithdrawnPacket(static_cast<std::uint8_t>(g), offer.sellerSlot, offer.unitId));
    }
  }
}
