#include "server/trade/SrvBoardPackets.h"

#include "Game/base/Packets.h"
#include "Game/model/GGuild.h"
#include "Game/net/GuildPackets.h"
#include "Game/rules/GRulesPackets.h"

namespace {

template <std::size_t N>
SrvPacket Bytes(const PacketImage<N>& p) {
  return SrvPacket(p.bytes.begin(), p.bytes.end());
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
    PacketImage<kShipOfferPacketSize> p(PKT_SHIP_OFFER_POSTED);
    p.Put<std::uint16_t>(8, guild);
    p.Put<std::uint8_t>(10, o->sellerSlot);
    p.Put<std::uint32_t>(12, o->unitId);
    p.Put<std::uint32_t>(16, o->firstTerm);
    for (std::size_t m = 0; m < 4; ++m) p.Put<std::uint32_t>(20 + 4 * m, o->terms[m]);
    out.push_back(Bytes(p));
  }
  for (std::uint32_t i = 0; const VoteOffer* o = g->GetVoteOffer(i); ++i) {
    PacketImage<kVoteOfferPacketSize> p(PKT_VOTE_OFFER_POSTED);
    p.Put<std::uint16_t>(8, guild);
    p.Put<std::uint8_t>(10, o->sellerSlot);
    p.Put<std::uint8_t>(12, o->asteroid);
    for (std::size_t m = 0; m < 4; ++m) p.Put<std::uint32_t>(16 + 4 * m, o->terms[m]);
    out.push_back(Bytes(p));
  }
  return out;
}
