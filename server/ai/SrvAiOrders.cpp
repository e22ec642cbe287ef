#include "server/ai/SrvAiOrders.h"

#include <algorithm>
#include <iterator>
#include <memory>

#include "Game/base/Packets.h"
#include "Game/model/GZonePackets.h"
#include "Game/net/GuildPackets.h"
#include "Game/net/OrderMenuPackets.h"
#include "Game/net/TerrainPackets.h"
#include "Game/net/TradePackets.h"
#include "Game/rules/GRulesPackets.h"
#include "Game/rules/GTemplateDB.h"

namespace {

template <std::size_t N>
SrvPacket Out(const PacketImage<N>& p) {
  return SrvPacket(p.bytes.begin(), p.bytes.end());
}

SrvPacket Order(const CGUnit& unit, UnitOrder& order) { return Out(BuildOrderPacket(unit.id, order, kInsertReplace)); }

}  // namespace

SrvPacket SrvAiMoveOrder(const CGUnit& unit, std::uint16_t asteroid) {
  UnitOrder order;
  order.type = ORDER_MOVE_TO_ASTEROID;
  order.SetWord(0, asteroid);
  return Order(unit, order);
}

SrvPacket SrvAiAttackOrder(const CGUnit& unit, const CGUnit& target) {
  UnitOrder order;
  order.type = ORDER_ATTACK_UNIT;
  order.SetWord(0, target.id);
  order.SetWord(1, target.id);
  return Order(unit, order);
}

SrvPacket SrvAiSpecialAttackOrder(const CGUnit& unit, const CGUnit& target) {
  UnitOrder order;
  order.type = ORDER_SPECIAL_ATTACK;
  order.SetWord(0, target.id);
  order.SetWord(1, target.id);
  return Order(unit, order);
}

SrvPacket SrvAiApproachOrder(const CGUnit& unit, const CGUnit& target) {
  UnitOrder order;
  order.type = ORDER_GO_TO_UNIT;
  order.SetWord(0, target.id);
  return Order(unit, order);
}

SrvPacket SrvAiBombardOrder(const CGUnit& unit) {
  UnitOrder order;
  order.type = ORDER_BOMBARD;
  order.SetWord(0, unit.location.asteroid);
  return Order(unit, order);
}

SrvPacket SrvAiSelfDestructOrder(const CGUnit& unit) {
  UnitOrder order;
  order.type = ORDER_SELF_DESTRUCT;
  return Order(unit, order);
}

SrvPacket SrvAiBuildShipOrder(const CGUnit& unit, const CGUnitTemplate& design) {
  UnitOrder order;
  order.type = ORDER_BUILD_SHIP;
  order.SetWord(0, design.templateId);
  order.SetWord(1, kNoTargetId);
  return Order(unit, order);
}

SrvPacket SrvAiRefitOrder(const CGUnit& unit, const CGUnitTemplate& design, const CGUnit& ship) {
  UnitOrder order;
  order.type = ORDER_MODIFY_SHIP;
  order.SetWord(0, design.templateId);
  order.SetWord(1, ship.id);
  return Order(unit, order);
}

SrvPacket SrvAiBuildAtvsOrder(const CGUnit& unit, const std::array<std::uint8_t, kAtvKinds>& counts) {
  UnitOrder order;
  order.type = ORDER_BUILD_ATVS;
  for (int kind = 0; kind < kAtvKinds; ++kind) order.head[kind] = counts[kind];
  order.head[5] = static_cast<std::uint8_t>(unit.location.asteroid);
  return Order(unit, order);
}

SrvPacket SrvAiRecoverAtvsOrder(const CGUnit& unit, std::uint8_t kind, std::uint8_t count) {
  UnitOrder order;
  order.type = ORDER_RECOVER_ATVS;
  order.head[kind] = count;
  order.head[5] = static_cast<std::uint8_t>(unit.location.asteroid);
  return Order(unit, order);
}

SrvPacket SrvAiLandAtvsOrder(const CGUnit& unit, const LandingBlock& landing) {
  UnitOrder order;
  order.type = ORDER_LAND_ATVS;
  order.landing = std::make_unique<LandingBlock>(landing);
  return Order(unit, order);
}

SrvPacket SrvAiDesignOrder(std::uint16_t chapter, std::uint16_t slot, std::uint8_t hullPosition,
                           const CGUnitTemplate& design) {
  PacketImage<kTemplatePacketSize> p = BuildTemplatePacket(design, slot, chapter);
  // The server's own 200 names the hull by its file index; the design view's, by its place in the list.
  SetTemplatePacketHull(p, hullPosition);
  return Out(p);
}

SrvPacket SrvAiResearchOrder(std::uint16_t chapter, std::uint16_t module, std::uint16_t percent) {
  return Out(BuildModuleAllocationPacket(static_cast<std::uint8_t>(chapter & 7), module, percent));
}

SrvPacket SrvAiHullResearchOrder(std::uint16_t chapter, std::uint16_t hullPosition, std::uint16_t percent) {
  return Out(BuildHullAllocationPacket(static_cast<std::uint16_t>(chapter >> 3), static_cast<std::uint8_t>(chapter & 7),
                                       hullPosition, percent));
}

SrvPacket SrvAiTransferOrder(std::uint16_t chapter, std::uint16_t source, std::uint16_t destination,
                             std::uint8_t mineral, std::uint16_t amount, std::uint16_t transitTurns) {
  return Out(MineralTransferPacket{static_cast<std::uint8_t>(chapter), static_cast<std::uint8_t>(source),
                                   static_cast<std::uint8_t>(destination), mineral, amount, transitTurns, 1}
                 .Build());
}

SrvPacket SrvAiMineralOffer(std::uint16_t chapter, std::uint16_t asteroid, std::uint8_t mineral, std::uint16_t amount,
                            std::uint16_t pricePerTen) {
  MineralOfferPacket p{static_cast<std::uint8_t>(chapter), static_cast<std::uint8_t>(asteroid), mineral, amount, {}};
  std::fill(std::begin(p.price), std::end(p.price), pricePerTen);
  return Out(p.Build());
}

SrvPacket SrvAiShipOffer(std::uint16_t chapter, const CGUnit& unit, const std::array<std::uint32_t, 4>& least) {
  return Out(ShipOfferPostedPacket{static_cast<std::uint16_t>(chapter >> 3), static_cast<std::uint16_t>(chapter & 7),
                                   unit.id, 0, least}
                 .Build());
}

SrvPacket SrvAiShipOfferWithdrawn(std::uint16_t chapter, std::uint32_t unitId) {
  return Out(
      ShipOfferWithdrawnPacket{static_cast<std::uint8_t>(chapter >> 3), static_cast<std::uint8_t>(chapter & 7), unitId}
          .Build());
}

SrvPacket SrvAiShipBid(std::uint16_t chapter, std::uint32_t unitId, std::uint16_t pool,
                       const std::array<std::uint32_t, 4>& bid) {
  return Out(ShipBidPacket{static_cast<std::uint16_t>(chapter >> 3), static_cast<std::uint16_t>(chapter & 7), unitId, 0,
                           pool, bid}
                 .Build());
}

SrvPacket SrvAiMineralPurchase(std::uint16_t chapter, const MineralOffer& offer, std::uint16_t pool,
                               std::uint8_t paidWith, std::uint16_t amount) {
  return Out(MineralPurchasePacket{offer.seller, offer.asteroid, offer.mineral, static_cast<std::uint8_t>(chapter),
                                   static_cast<std::uint8_t>(pool), paidWith, amount}
                 .Build());
}

SrvPacket SrvAiZoneMove(std::uint16_t chapter, std::uint16_t asteroid, std::uint16_t from, std::uint16_t to,
                        std::uint8_t kind, std::uint8_t count, bool attack) {
  return Out(ZoneAtvMovePacket{attack, asteroid, to, from, chapter, kind, count}.Build());
}

SrvPacket SrvAiZoneFacility(std::uint16_t chapter, std::uint16_t asteroid, std::uint16_t zone, std::uint32_t facility) {
  return Out(ZoneFacilityPacket{asteroid, chapter, zone, 0, facility}.Build());
}

SrvPacket SrvAiRenegadeVote(std::uint16_t chapter, std::uint16_t slot, bool renegade) {
  return Out(RenegadeVotePacket{chapter, slot, static_cast<std::uint16_t>(renegade ? 1 : 0)}.Build());
}

SrvPacket SrvAiImperatorVote(std::uint16_t chapter, std::uint16_t slot) {
  return Out(ImperatorVotePacket{chapter, slot}.Build());
}
