#include "server/trade/SrvBoardPackets.h"

#include "Game/base/Packets.h"
#include "Game/model/GGuild.h"
#include "Game/net/GuildPackets.h"
#include "Game/net/OrderMenuPackets.h"
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
