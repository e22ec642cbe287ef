#include "server/SrvShipTrade.h"

#include <algorithm>
#include <memory>

#include "Game/model/GAsteroid.h"
#include "Game/model/GChapter.h"
#include "Game/model/GUnit.h"
#include "Game/net/Packets.h"
#include "Game/rules/GRulesPackets.h"
#include "Game/rules/GUnitTem.h"
#include "server/SrvPacketRead.h"
#include "server/SrvUnitPackets.h"

namespace {

constexpr std::size_t kOfferSize = 36;
constexpr std::size_t kWithdrawSize = 16;
constexpr std::size_t kBidSize = 36;
// Far above 40 chapters bidding on every ship of a board.
constexpr std::size_t kMaxBids = 40 * 1000;

std::uint16_t Chapter(int guild, int slot) { return static_cast<std::uint16_t>(guild * 8 + slot); }

void Refund(SrvWorld& world, const SrvShipBid& b) {
  for (std::uint32_t m = 0; m < 4; ++m) world.poolDB.AddMineral(b.pool, m, b.bid[m]);
}

// Gives back every bid on the unit and drops them.
void RefundBids(SrvWorld& world, std::uint32_t unitId) {
  std::erase_if(world.shipBids, [&](const SrvShipBid& b) {
    if (b.unitId != unitId) return false;
    Refund(world, b);
    return true;
  });
}

std::uint64_t Total(const SrvShipBid& b) { return std::uint64_t{b.bid[0]} + b.bid[1] + b.bid[2] + b.bid[3]; }

// The seller's unit made the buyer's: a copy of its design joins the
// buyer's designs, and a unit of the buyer takes the ship's place and state.
CGUnit* HandOver(SrvTurnContext& turn, CGUnit& ship, std::uint8_t buyer) {
  SrvWorld& world = turn.world;
  if (ship.design == nullptr) return nullptr;
  auto copy = std::make_unique<CGUnitTemplate>(buyer, -1);
  copy->CopyDesign(*ship.design, buyer);
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
  turn.TellAll(BuildUnitDeletedPacket(gone));
  turn.TellAll(BuildUnitResultPacket(*bought));
  return bought;
}

SrvPacket WithdrawnPacket(std::uint8_t guild, std::uint8_t slot, std::uint32_t unitId) {
  PacketImage<16> p(PKT_SHIP_OFFER_WITHDRAWN);
  p.Put<std::uint8_t>(8, guild);
  p.Put<std::uint8_t>(9, slot);
  p.Put<std::uint32_t>(12, unitId);
  return SrvPacket(p.bytes.begin(), p.bytes.end());
}

}  // namespace

SrvOrderVerdict SrvPostShipOffer(SrvWorld& world, std::uint16_t chapter, std::span<const std::uint8_t> packet) {
  if (packet.size() < kOfferSize) return SrvOrderVerdict::kTooShort;
  if (ReadU16(packet, 8) != (chapter >> 3) || packet[10] != (chapter & 7) || !world.MayTrade(chapter))
    return SrvOrderVerdict::kNotOwner;
  std::uint16_t at = 0;
  const CGUnit* ship = world.pieces->FindOperationalUnit(ReadU32(packet, 12), &at);
  if (ship == nullptr) return SrvOrderVerdict::kUnknownUnit;
  if (ship->GetChapter() != chapter) return SrvOrderVerdict::kNotOwner;
  world.guilds->GetGuild(chapter >> 3)->PostShipOffer(packet);
  return SrvOrderVerdict::kAccepted;
}

SrvOrderVerdict SrvWithdrawShipOffer(SrvWorld& world, std::uint16_t chapter, std::span<const std::uint8_t> packet) {
  if (packet.size() < kWithdrawSize) return SrvOrderVerdict::kTooShort;
  if (packet[8] != (chapter >> 3) || packet[9] != (chapter & 7)) return SrvOrderVerdict::kNotOwner;
  CGuild* guild = world.guilds->GetGuild(chapter >> 3);
  const std::uint32_t unitId = ReadU32(packet, 12);
  const ShipOffer* offer = guild->FindShipOffer(unitId);
  if (offer == nullptr) return SrvOrderVerdict::kBadTarget;
  if (offer->sellerSlot != (chapter & 7)) return SrvOrderVerdict::kNotOwner;
  guild->RemoveShipOffer(unitId);
  RefundBids(world, unitId);
  return SrvOrderVerdict::kAccepted;
}

SrvOrderVerdict SrvBidForShip(SrvWorld& world, std::uint16_t chapter, std::span<const std::uint8_t> packet) {
  if (packet.size() < kBidSize) return SrvOrderVerdict::kTooShort;
  if (ReadU16(packet, 8) != (chapter >> 3) || ReadU16(packet, 10) != (chapter & 7) || !world.MayTrade(chapter))
    return SrvOrderVerdict::kNotOwner;
  SrvShipBid bid{static_cast<std::uint8_t>(chapter), ReadU32(packet, 12), ReadU16(packet, 18), {}};
  for (int m = 0; m < 4; ++m) bid.bid[m] = ReadU32(packet, 20 + 4 * static_cast<std::size_t>(m));
  const ShipOffer* offer = world.guilds->GetGuild(chapter >> 3)->FindShipOffer(bid.unitId);
  if (offer == nullptr) return SrvOrderVerdict::kBadTarget;
  if (offer->sellerSlot == (chapter & 7)) return SrvOrderVerdict::kBadOrder;
  const CGAsteroid* pool = world.solar.GetAsteroid(bid.pool);
  if (pool == nullptr || pool->owner != chapter) return SrvOrderVerdict::kNotOwner;
  for (int m = 0; m < 4; ++m)
    if (bid.bid[m] < offer->terms[m]) return SrvOrderVerdict::kBadOrder;
  if (world.shipBids.size() >= kMaxBids) return SrvOrderVerdict::kBadOrder;
  // The bidder's earlier bid on this ship comes back before the new one is taken.
  const auto earlier = std::find_if(world.shipBids.begin(), world.shipBids.end(), [&](const SrvShipBid& b) {
    return b.unitId == bid.unitId && b.bidder == bid.bidder;
  });
  if (earlier != world.shipBids.end()) {
    Refund(world, *earlier);
    world.shipBids.erase(earlier);
  }
  if (world.poolDB.TakeMinerals(bid.pool, bid.bid) == 0) return SrvOrderVerdict::kCannotAfford;
  world.shipBids.push_back(bid);
  return SrvOrderVerdict::kAccepted;
}

void SrvSettleShipOffers(SrvTurnContext& turn) {
  SrvWorld& world = turn.world;
  for (int g = 0; g < kGuildCount; ++g) {
    CGuild* guild = world.guilds->GetGuild(g);
    for (std::uint32_t i = 0; guild != nullptr && i < guild->shipOffers.count;) {
      const ShipOffer offer = *guild->GetShipOffer(i);
      auto best = world.shipBids.end();
      for (auto b = world.shipBids.begin(); b != world.shipBids.end(); ++b)
        if (b->unitId == offer.unitId && (best == world.shipBids.end() || Total(*b) > Total(*best))) best = b;
      std::uint16_t at = 0;
      CGUnit* ship = world.pieces->FindOperationalUnit(offer.unitId, &at);
      const std::uint16_t seller = Chapter(g, offer.sellerSlot);
      const bool gone = ship == nullptr || ship->GetChapter() != seller;
      if (!gone && best == world.shipBids.end()) {
        ++i;
        continue;
      }
      if (!gone) {
        const SrvShipBid won = *best;
        world.shipBids.erase(best);
        if (HandOver(turn, *ship, won.bidder) != nullptr) {
          if (const CGChapter* c = world.Chapter(seller))
            for (std::uint32_t m = 0; m < 4; ++m) world.poolDB.AddMineral(c->homeAsteroid, m, won.bid[m]);
        } else {
          Refund(world, won);
        }
      }
      RefundBids(world, offer.unitId);
      guild->RemoveShipOffer(offer.unitId);
      const SrvPacket withdrawn = WithdrawnPacket(static_cast<std::uint8_t>(g), offer.sellerSlot, offer.unitId);
      for (int slot = 0; slot < 8; ++slot)
        if (world.HasChapter(Chapter(g, slot))) turn.Tell(Chapter(g, slot), withdrawn);
    }
  }
}
