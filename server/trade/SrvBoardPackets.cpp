#include "server/trade/SrvBoardPackets.h"

#include "Game/base/Packets.h"
#include "Game/model/GGuild.h"
#include "Game/net/GuildPackets.h"
#include "Game/net/OrderMenuPackets.h"
#include "Game/net/TradePackets.h"
#include "Game/rules/GRulesPackets.h"

namespace {

template <std::size_t N>
SrvPacket Bytes(const PacketImage<N>& p) {
  return SrvPacket(p.bytes.begin(), p.bytes.end());
}

// The field `Named` of the codec `Packet` read from `packet`; nothing when short.
template <class Packet, auto Named>
std::optional<std::uint16_t> NamedBy(std::span<const std::uint8_t> packet) {
  Packet p;
  if (!Packet::Parse(packet, &p)) return std::nullopt;
  return static_cast<std::uint16_t>(p.*Named);
}

}  // namespace

std::vector<SrvPacket> SrvGuildBoardPackets(const SrvWorld& world, std::uint16_t guild) {
  std::vector<SrvPacket> out;
  const CGuild* g = world.guilds != nullptr ? world.guilds->GetGuild(guild) : nullptr;
  if (g == nullptr) return out;
  for (std::uint32_t i = 0; const MineralOffer* o = g->GetMineralOffer(i); ++i) {
    const MineralOfferPacket standing{
        o->seller, o->asteroid, o->mineral, o->terms[0], {o->terms[1], o->terms[2], o->terms[3], o->terms[4]}};
    out.push_back(Bytes(standing.Build()));
  }
  for (std::uint32_t i = 0; const ShipOffer* o = g->GetShipOffer(i); ++i) {
    // The board keeps the class a word wide but a saved game keeps its low
    // byte, as the packet does.
    const ShipOfferPostedPacket standing{guild,
                                         o->sellerSlot,
                                         o->unitId,
                                         static_cast<std::uint8_t>(o->firstTerm),
                                         {o->terms[0], o->terms[1], o->terms[2], o->terms[3]}};
    out.push_back(Bytes(standing.Build()));
  }
  for (std::uint32_t i = 0; const VoteOffer* o = g->GetVoteOffer(i); ++i) {
    const VoteOfferPostedPacket standing{
        guild, o->sellerSlot, o->asteroid, {o->terms[0], o->terms[1], o->terms[2], o->terms[3]}};
    out.push_back(Bytes(standing.Build()));
  }
  return out;
}

std::optional<std::uint16_t> SrvBoardPoster(std::span<const std::uint8_t> packet) {
  PacketHeader header;
  if (!ReadPacketHeader(packet, header)) return std::nullopt;
  switch (header.type) {
    case PKT_MINERAL_OFFER_POSTED:
      return NamedBy<MineralOfferPacket, &MineralOfferPacket::seller>(packet);
    case PKT_MINERAL_OFFER_WITHDRAWN:
      return NamedBy<MineralOfferWithdrawnPacket, &MineralOfferWithdrawnPacket::seller>(packet);
    case PKT_SHIP_OFFER_POSTED:
      return NamedBy<ShipOfferPostedPacket, &ShipOfferPostedPacket::guild>(packet);
    case PKT_SHIP_OFFER_WITHDRAWN:
      return NamedBy<ShipOfferWithdrawnPacket, &ShipOfferWithdrawnPacket::guild>(packet);
    case PKT_VOTE_OFFER_POSTED:
      return NamedBy<VoteOfferPostedPacket, &VoteOfferPostedPacket::guild>(packet);
    case PKT_VOTE_OFFER_WITHDRAWN:
      return NamedBy<VoteOfferWithdrawnPacket, &VoteOfferWithdrawnPacket::guild>(packet);
    default:
      return std::nullopt;
  }
}
